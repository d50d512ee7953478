// Shapes rendered into images at 96 dpi, probed where ink must and must not be.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>

#include "ORV.Canvas.h"
#include "ORV.FMX.Items.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;

namespace {

constexpr double kPxPerMM = 96 / 25.4;

// Screen (Draw) or paper (Print) rendering of the document's items onto white.
QImage Render(TPLNBaseLabel& doc, bool print, TORVDrawState state = TORVDrawState::Export) {
  QImage img(400, 300, QImage::Format_ARGB32);
  img.fill(Qt::white);
  QPainter painter(&img);
  TQPainterCanvas canvas(&painter);
  TPLNDraw d;
  d.SetResolution(96, 96);
  d.SetStandardWidths();
  d.kC = &canvas;
  d.pC = &canvas;
  d.DrawState = state;
  for (int i = 1; i <= doc.GetItemsCount(); ++i) {
    if (print)
      doc.GetItem(i)->Print(&d);
    else
      doc.GetItem(i)->Draw(&d);
  }
  painter.end();
  return img;
}

// Pixel at a position in millimetres.
QRgb At(const QImage& img, double xmm, double ymm) {
  return img.pixel(int(std::floor(xmm * kPxPerMM)), int(std::floor(ymm * kPxPerMM)));
}
bool IsWhite(QRgb c) { return qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240; }
bool IsRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
bool IsBlue(QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; }
bool IsBlack(QRgb c) { return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60; }

}  // namespace

TEST(ShapePixels, RectangleCircleAndArc) {
  TPLNBaseLabel doc;
  // Rectangle 10..50 x 10..40 mm, 2 mm red pen, not filled: ink 10..12 mm inside each side.
  auto* r = new TPLNRectangle(&doc, false);
  r->AssignPoints({TORVPto{10000, 10000}, TORVPto{50000, 40000}});
  r->SetPenWidth(2000);
  r->SetColor(0xFFFF0000);
  // Circle of radius 10 mm around (80, 25), filled blue with a 1 mm black pen.
  auto* circle = new TPLNCircle(&doc, false);
  circle->AssignPoints({TORVPto{70000, 15000}, TORVPto{90000, 35000}});
  circle->SetFilled(true);
  circle->SetBackColor(0xFF0000FF);
  circle->SetPenWidth(1000);
  // Quarter arc of radius 15 mm around (30, 60), clockwise from the right to the bottom.
  auto* arc = new TPLNArc(&doc, false);
  arc->SetCircle(TORVPto{30000, 60000}, 15000);
  arc->SetAngles(0, M_PI / 2);
  arc->SetPenWidth(1000);

  const QImage img = Render(doc, false);
  // Rectangle: the stroke lies inside the corners.
  EXPECT_TRUE(IsRed(At(img, 11, 25)));
  EXPECT_TRUE(IsRed(At(img, 30, 39)));
  EXPECT_TRUE(IsWhite(At(img, 9.3, 25)));   // just outside the left corner line
  EXPECT_TRUE(IsWhite(At(img, 12.8, 25)));  // past the 2 mm band
  EXPECT_TRUE(IsWhite(At(img, 30, 25)));    // the middle is not filled
  // Circle: blue inside, black rim, white beyond.
  EXPECT_TRUE(IsBlue(At(img, 80, 25)));
  EXPECT_TRUE(IsBlack(At(img, 80, 15.1)));
  EXPECT_TRUE(IsWhite(At(img, 80, 13.5)));
  EXPECT_TRUE(IsWhite(At(img, 71, 16)));  // inside the box, outside the circle
  // Arc: ink on the quarter from 0 to 90 degrees, none on the rest of the circle.
  EXPECT_TRUE(IsBlack(At(img, 30 + 15 * std::cos(M_PI / 4), 60 + 15 * std::sin(M_PI / 4))));
  EXPECT_TRUE(IsBlack(At(img, 44.9, 61)));
  EXPECT_TRUE(IsWhite(At(img, 30 - 15 * std::cos(M_PI / 4), 60 - 15 * std::sin(M_PI / 4))));
  EXPECT_TRUE(IsWhite(At(img, 15, 60)));
  EXPECT_TRUE(IsWhite(At(img, 30, 60)));
}

TEST(ShapePixels, HiddenFillAppearsOnlyOnPaper) {
  TPLNBaseLabel doc;
  auto* r = new TPLNRectangle(&doc, false);
  r->AssignPoints({TORVPto{10000, 10000}, TORVPto{50000, 40000}});
  r->SetPenWidth(500);
  r->SetFilled(true);
  r->SetAlpha(false);
  r->SetBackColor(0xFF0000FF);
  r->SetBaseRadio(3000);

  const QImage screen = Render(doc, false);
  EXPECT_TRUE(IsWhite(At(screen, 30, 25)));
  EXPECT_TRUE(IsBlack(At(screen, 30, 10.1)));
  const QImage paper = Render(doc, true, TORVDrawState::Printing);
  EXPECT_TRUE(IsBlue(At(paper, 30, 25)));
  EXPECT_TRUE(IsBlack(At(paper, 30, 10.05)));
  // A 3 mm radius rounds the corner: the very corner stays paper.
  EXPECT_TRUE(IsWhite(At(paper, 10.3, 10.3)));
  EXPECT_TRUE(IsBlue(At(paper, 12, 12)));
}

TEST(ShapePixels, SelectedOutlineIsDashedInTheEditor) {
  TPLNBaseLabel doc;
  auto* l = new TPLNLine(&doc, false);
  l->AssignPoints({TORVPto{5000, 20000}, TORVPto{95000, 20000}});
  l->SetPenWidth(750);
  l->SetState(kStateSelected);
  auto count = [](const QImage& img) {
    int transitions = 0;
    const int y = int(20 * kPxPerMM);
    for (int x = int(6 * kPxPerMM); x < int(94 * kPxPerMM); ++x)
      transitions += IsWhite(img.pixel(x, y)) != IsWhite(img.pixel(x + 1, y));
    return transitions;
  };
  // 12/6 pixel dashes over ~333 pixels: many breaks in the editor, none when exported.
  EXPECT_GT(count(Render(doc, false, TORVDrawState::Editor)), 25);
  EXPECT_EQ(count(Render(doc, false, TORVDrawState::Export)), 0);
}
