// What the Nutri-Score label draws on screen and on paper: order, colours, letters, black and
// white, and the same picture from both.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using PlanoraTest::MakeItem;

namespace {

// A 60 x 30 mm label, filled, grade C; at 254 dpi 600 x 300 px.
TPLNNutriScore* Label(TPLNBaseLabel& doc) {
  auto* n = MakeItem<TPLNNutriScore>(doc, {{0, 0}, {60000, 30000}});
  n->SetPenWidth(200);
  n->SetColor(0xFFFF0000u);
  n->SetFilled(true);
  n->SetBackColor(0xFFFFFF00u);
  n->SetValue(u'C');
  return n;
}

std::vector<QString> Texts(const TRecordingCanvas& c, const std::string& op) {
  std::vector<QString> out;
  for (const TRecordedOp& o : c.OpsNamed(op)) out.push_back(o.Text);
  return out;
}

// The centre of a drawn letter on the page: its advance box from the baseline origin, through
// the matrix it was drawn with.
QPointF TextCentre(const TRecordedOp& o) {
  const TSkFontMetrics m = o.Font.Metrics();
  const double w = o.Font.MeasureText(o.Text), top = o.Args[1] - std::abs(m.Ascent);
  return o.Matrix.map(QPointF(o.Args[0] + w / 2, top + (std::abs(m.Ascent) + std::abs(m.Descent)) / 2));
}

}  // namespace

TEST(NutriDraw, OtherGradesFirstThenTheSelectedOneLargerWithItsLetterCentred) {
  PlanoraTest::RecordingContext c;
  TPLNNutriScore* n = Label(c.doc);
  for (int a = 0; a < 4; ++a) {
    SCOPED_TRACE(testing::Message() << "angle " << a);
    n->SetAngle(static_cast<TORVAngle>(a));
    c.Redraw(n);
    // Frame fill and outline, then the five cells, the selected one ringed in the label's
    // background.
    const auto rects = c.canvas.OpsNamed("DrawRoundRect");
    ASSERT_EQ(rects.size(), 8u);
    EXPECT_EQ(rects[7].Paint.Color, 0xFFFFFF00u);
    EXPECT_EQ(rects[7].Paint.Style, TSkPaintStyle::Stroke);
    EXPECT_FLOAT_EQ(rects[7].Paint.StrokeWidth, 10 / 3.0f);
    const QRectF ring = rects[6].Rect.adjusted(5 / 3.0, 5 / 3.0, -5 / 3.0, -5 / 3.0);
    EXPECT_NEAR((rects[7].Rect.topLeft() - ring.topLeft()).manhattanLength(), 0, 1e-4);
    EXPECT_NEAR((rects[7].Rect.bottomRight() - ring.bottomRight()).manhattanLength(), 0, 1e-4);
    EXPECT_EQ(rects[0].Paint.Color, 0xFFFFFF00u);
    EXPECT_EQ(rects[1].Paint.Color, 0xFFFF0000u);
    EXPECT_EQ(rects[1].Paint.Style, TSkPaintStyle::Stroke);
    const std::vector<TAlphaColor> colors = {n->AColor(), n->BColor(), n->DColor(), n->EColor(), n->CColor()};
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(rects[2 + i].Paint.Color, colors[i]) << i;
      EXPECT_EQ(rects[2 + i].Paint.Style, TSkPaintStyle::Fill);
      EXPECT_EQ(rects[2 + i].Args, (std::vector<double>{6, 6}));  // 0.6 mm corners
    }
    // The selected cell is 1 mm (10 px) larger on every side than the others.
    const QRectF other = rects[2].Rect, selected = rects[6].Rect;
    const bool upright = a % 2 == 0;
    EXPECT_NEAR(selected.width(), other.width() + 20, 1e-3);
    EXPECT_NEAR(selected.height(), other.height() + 20, 1e-3);
    EXPECT_LT(upright ? other.width() : other.height(), upright ? other.height() : other.width());

    // The title, then the letters in the cells' order, each centred in its cell and turned with
    // the label; the selected letter larger and in the value colour.
    const auto letters = c.canvas.OpsNamed("DrawSimpleText");
    ASSERT_EQ(letters.size(), 6u);
    EXPECT_EQ(letters[0].Text, "NUTRI-SCORE");
    EXPECT_EQ(letters[0].Paint.Color, n->TitleColor());
    for (int i = 0; i < 5; ++i) {
      const TRecordedOp& t = letters[1 + i];
      EXPECT_EQ(t.Text, QString(QChar(char16_t("ABDEC"[i]))));
      const QPointF d = TextCentre(t) - rects[2 + i].Rect.center();
      EXPECT_LT(std::hypot(d.x(), d.y()), 0.5) << t.Text.toStdString();
      EXPECT_EQ(t.Paint.Color, i == 4 ? n->ValueColor() : n->CharColor());
      const QPointF along = t.Matrix.map(QPointF(1, 0)) - t.Matrix.map(QPointF(0, 0));
      // Reading counter-clockwise by the angle: right, up, left, down the page.
      const QPointF reads = along / std::hypot(along.x(), along.y());
      EXPECT_NEAR(reads.x(), std::round(std::cos(a * M_PI / 2)), 1e-6);
      EXPECT_NEAR(reads.y(), -std::round(std::sin(a * M_PI / 2)), 1e-6);
    }
    EXPECT_GT(letters[5].Font.Size, letters[1].Font.Size);
    EXPECT_EQ(c.canvas.SaveDepth(), 0);
  }

  // Square cells without an inner radius; no title, no title text.
  n->SetBaseInnerRadio(0);
  n->SetShowTitle(false);
  c.Redraw(n);
  EXPECT_EQ(c.canvas.Count("DrawRect"), 6);
  EXPECT_EQ(Texts(c.canvas, "DrawSimpleText"), (std::vector<QString>{"A", "B", "D", "E", "C"}));
}

TEST(NutriDraw, PaperDrawsTheSameCellsInTheSameOrder) {
  PlanoraTest::RecordingContext c;
  TPLNNutriScore* n = Label(c.doc);
  n->SetValue(u'E');
  c.Redraw(n);
  const auto screen = c.canvas.OpsNamed("DrawRoundRect");
  c.Redraw(n, true);
  EXPECT_EQ(c.canvas.Count("P.FillRect"), 1);
  EXPECT_EQ(c.canvas.Count("P.DrawRect"), 1);
  const auto cells = c.canvas.OpsNamed("P.FillPath");
  ASSERT_EQ(cells.size(), 5u);
  ASSERT_EQ(screen.size(), 8u);
  ASSERT_EQ(c.canvas.Count("P.DrawPath"), 1);
  EXPECT_EQ(c.canvas.OpsNamed("P.DrawPath")[0].Path.boundingRect(), screen[7].Rect);
  EXPECT_EQ(c.canvas.OpsNamed("P.DrawPath")[0].Stroke.Color, 0xFFFFFF00u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(cells[i].Fill.Color, n->GradeColor(i)) << i;
    EXPECT_EQ(cells[i].Path.boundingRect(), screen[2 + i].Rect) << i;
  }
  EXPECT_EQ(Texts(c.canvas, "P.FillText"), (std::vector<QString>{"NUTRI-SCORE", "A", "B", "C", "D", "E"}));
  const auto texts = c.canvas.OpsNamed("P.FillText");
  EXPECT_EQ(texts[5].Fill.Color, n->ValueColor());
  EXPECT_EQ(texts[1].Fill.Color, n->CharColor());
  EXPECT_GT(texts[5].Font.Size, texts[1].Font.Size);
  // Each letter's box centred in its cell, as on screen.
  for (int i = 1; i < 6; ++i) {
    c.canvas.Font = texts[i].Font;
    const QRectF r = c.canvas.MeasureText(texts[i].Rect, texts[i].Text, false, TTextAlign::Leading, TTextAlign::Leading);
    const QPointF d = texts[i].Matrix.map(r.center()) - cells[i - 1].Path.boundingRect().center();
    EXPECT_LT(std::hypot(d.x(), d.y()), 0.5) << texts[i].Text.toStdString();
  }
}

TEST(NutriDraw, BlackAndWhiteFillsTheRowBlackAndOutlinesTheSelectedCell) {
  PlanoraTest::RecordingContext c;
  TPLNNutriScore* n = Label(c.doc);
  n->SetBlackWhite(true);
  n->SetValue(u'B');
  c.Redraw(n);
  const auto rects = c.canvas.OpsNamed("DrawRoundRect");
  ASSERT_EQ(rects.size(), 8u);
  // The frame in black on white, whatever its own colours.
  EXPECT_EQ(rects[0].Paint.Color, kWhite);
  EXPECT_EQ(rects[1].Paint.Color, kBlack);
  for (int i = 2; i < 6; ++i) EXPECT_EQ(rects[i].Paint.Color, kBlack) << i;
  // B: white inside a black outline of the pen's width, its outer edge on the grown cell.
  EXPECT_EQ(rects[6].Paint.Color, kWhite);
  EXPECT_EQ(rects[6].Paint.Style, TSkPaintStyle::Fill);
  EXPECT_EQ(rects[7].Paint.Color, kBlack);
  EXPECT_EQ(rects[7].Paint.Style, TSkPaintStyle::Stroke);
  EXPECT_FLOAT_EQ(rects[7].Paint.StrokeWidth, 2);
  EXPECT_EQ(rects[7].Rect, rects[6].Rect.adjusted(1, 1, -1, -1));
  const auto texts = c.canvas.OpsNamed("DrawSimpleText");
  ASSERT_EQ(texts.size(), 6u);
  EXPECT_EQ(texts[0].Paint.Color, kBlack);
  for (int i = 1; i < 5; ++i) EXPECT_EQ(texts[i].Paint.Color, kWhite);
  EXPECT_EQ(texts[5].Text, "B");
  EXPECT_EQ(texts[5].Paint.Color, kBlack);

  c.Redraw(n, true);
  const auto cells = c.canvas.OpsNamed("P.FillPath");
  ASSERT_EQ(cells.size(), 5u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(cells[i].Fill.Color, kBlack);
  EXPECT_EQ(cells[4].Fill.Color, kWhite);
  ASSERT_EQ(c.canvas.Count("P.DrawPath"), 1);
  EXPECT_EQ(c.canvas.OpsNamed("P.DrawPath")[0].Stroke.Color, kBlack);
  EXPECT_EQ(c.canvas.OpsNamed("P.DrawRect")[0].Stroke.Color, kBlack);
  EXPECT_EQ(c.canvas.OpsNamed("P.FillRect")[0].Fill.Color, kWhite);
}

// What a user sees: the cells in their colours, the selected one reaching over its neighbours'
// edges, the same on screen (export) and on paper.
TEST(NutriDraw, ScreenAndPaperPicturesAgree) {
  TPlanoraFMX doc;
  TPLNNutriScore* n = Label(doc);
  n->SetPenWidth(300);
  n->SetColor(0xFF808080u);
  n->SetBackColor(kWhite);
  n->SetValue(u'D');
  for (int a : {0, 1}) {
    n->SetAngle(static_cast<TORVAngle>(a));
    n->AssignPoints({TORVPto{5000, 5000}, a ? TORVPto{35000, 65000} : TORVPto{65000, 35000}});
    PlanoraTest::RecordingContext c(96);
    const TPLNNutriScore::TLayout l = n->Layout(c.d, QRectF(ScreenPos(c.d, n->GetPoint(1)), ScreenPos(c.d, n->GetPoint(2))), 3);
    for (bool paper : {false, true}) {
      SCOPED_TRACE(testing::Message() << "angle " << a << (paper ? " paper" : " screen"));
      const QImage img = PlanoraTest::RenderItem(n, paper, TORVDrawState::Export, {300, 300});
      img.save(PlanoraTest::TmpPath(QStringLiteral("nutri-%1-%2.png").arg(a).arg(paper ? "paper" : "screen")));
      for (const auto& cell : l.Cells) {
        // Near a cell's corner, clear of its letter and of the rounding.
        const QRectF r = cell.Rect;
        const QPointF corner = a ? QPointF(r.left() + 3, r.top() + 3) : QPointF(r.left() + 3, r.bottom() - 3);
        EXPECT_TRUE(PlanoraTest::ColorAt(img, corner.toPoint(), QColor::fromRgba(n->GradeColor(cell.Grade)), 40))
            << "grade " << cell.Grade;
      }
      // The grown D covers the end of C (past the gap between them, inside its white ring).
      const QRectF d = l.Cells.back().Rect;
      const QPointF start = a ? QPointF(d.center().x(), d.bottom() - 2) : QPointF(d.left() + 2, d.center().y() + 8);
      EXPECT_TRUE(PlanoraTest::ColorAt(img, start.toPoint(), QColor::fromRgba(n->DColor()), 40));
      // The title above (or left of) the cells.
      EXPECT_TRUE(PlanoraTest::InkInRect(img, l.TitleBand.toRect()));
    }
  }
}

// Beside the cells the title's band is short: a long title breaks after its hyphen (or at a
// space) into two larger lines inside the band; across the top it stays one line.
TEST(NutriDraw, ATitleBesideTheCellsBreaksInTwoWhenThatReadsLarger) {
  PlanoraTest::RecordingContext c;
  auto* n = MakeItem<TPLNNutriScore>(c.doc, {{0, 0}, {30000, 15000}});
  n->SetNutriType(1);
  const QRectF box(0, 0, 300, 150);
  const TPLNNutriScore::TLayout two = n->Layout(c.d, box, 0);
  EXPECT_EQ(two.TitleLines, (QStringList{"NUTRI-", "SCORE"}));
  c.Redraw(n);
  const auto texts = c.canvas.OpsNamed("DrawSimpleText");
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[0].Text, "NUTRI-");
  EXPECT_EQ(texts[1].Text, "SCORE");
  EXPECT_EQ(texts[0].Font.Size, texts[1].Font.Size);
  const QPointF first = texts[0].Matrix.map(QPointF(0, 0)), second = texts[1].Matrix.map(QPointF(0, 0));
  EXPECT_NEAR(second.x(), first.x(), 1e-3);
  EXPECT_NEAR(second.y() - first.y(), two.TitleHeight, 0.05);
  for (const auto& t : {texts[0], texts[1]}) {
    const QPointF at = t.Matrix.map(QPointF(t.Font.MeasureText(t.Text), t.Args[1]));
    EXPECT_TRUE(two.TitleBand.contains(t.Matrix.map(QPointF(0, 0))) && two.TitleBand.contains(at)) << t.Text.toStdString();
  }

  // Unbreakable, or across the top, one line; a short title fits one line anyway.
  n->SetTitle(QStringLiteral("NUTRISCORE"));
  EXPECT_EQ(n->Layout(c.d, box, 0).TitleLines, QStringList{"NUTRISCORE"});
  n->SetTitle(QStringLiteral("NUTRI-SCORE"));
  n->SetNutriType(0);
  EXPECT_EQ(n->Layout(c.d, box, 0).TitleLines, QStringList{"NUTRI-SCORE"});
  n->SetNutriType(1);
  n->AssignPoints({TORVPto{0, 0}, TORVPto{90000, 12000}});
  n->SetTitle(QStringLiteral("N S"));
  EXPECT_EQ(n->Layout(c.d, QRectF(0, 0, 900, 120), 0).TitleLines, QStringList{"N S"});
}
