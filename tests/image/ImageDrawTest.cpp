// What the picture shows on screen and paper: proportions, turns, circles, filters, and the
// placeholder for files that are missing, damaged or too large; the decoded picture shared.
#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <thread>

#include "ImageTestSupport.h"
#include "ORV.Canvas.Recording.h"
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.Image.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::F2d;
using PlanoraTest::ColorAt;
using PlanoraTest::RenderItem;

namespace {

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kPaper(255, 255, 255);

// A 40 x 40 mm picture at (0, 0): at 96 dpi about 151 px square.
TPLNImage* Square(TPLNBaseLabel& doc, const QString& file) {
  auto* i = PlanoraTest::MakeItem<TPLNImage>(doc, {{0, 0}, {40000, 40000}});
  i->SetFileName(file);
  i->SetPenWidth(0);
  return i;
}

// Grey placeholder strokes along the box's diagonal.
bool Crossed(const QImage& img) { return PlanoraTest::DarkNear(img, 75, 75, 1) || qGray(img.pixel(75, 75)) < 200; }

}  // namespace

TEST(ImageDraw, KeepAspectCentresAWidePictureAndTurnsFollowTheAngle) {
  TPLNBaseLabel doc;
  const QString wide = ImageTest::Picture("wide.png", 200, 100, qRgb(255, 0, 0), qRgb(0, 0, 255));
  TPLNImage* i = Square(doc, wide);
  for (bool print : {false, true}) {
    SCOPED_TRACE(print ? "paper" : "screen");
    i->SetAngle(TORVAngle::A0);
    i->SetKeepAspect(true);
    i->SetAlign(TORVImageAlign::Center);
    QImage img = RenderItem(i, print);
    // Full width, 75 px high, equal room above and below.
    EXPECT_TRUE(ColorAt(img, {30, 75}, kRed));
    EXPECT_TRUE(ColorAt(img, {120, 75}, kBlue));
    EXPECT_TRUE(ColorAt(img, {30, 20}, kPaper));
    EXPECT_TRUE(ColorAt(img, {30, 130}, kPaper));
    EXPECT_TRUE(ColorAt(img, {30, 42}, kRed));
    EXPECT_TRUE(ColorAt(img, {30, 110}, kRed));

    i->SetAlign(TORVImageAlign::Start);
    img = RenderItem(i, print);
    EXPECT_TRUE(ColorAt(img, {30, 10}, kRed));
    EXPECT_TRUE(ColorAt(img, {30, 100}, kPaper));

    // Stretched over the box without keep-aspect.
    i->SetKeepAspect(false);
    img = RenderItem(i, print);
    EXPECT_TRUE(ColorAt(img, {30, 10}, kRed));
    EXPECT_TRUE(ColorAt(img, {30, 140}, kRed));

    // A quarter turn counter-clockwise: the left (red) half goes to the bottom.
    i->SetAngle(TORVAngle::A90);
    img = RenderItem(i, print);
    EXPECT_TRUE(ColorAt(img, {75, 20}, kBlue));
    EXPECT_TRUE(ColorAt(img, {75, 130}, kRed));
    i->SetAngle(TORVAngle::A180);
    img = RenderItem(i, print);
    EXPECT_TRUE(ColorAt(img, {20, 75}, kBlue));
    EXPECT_TRUE(ColorAt(img, {130, 75}, kRed));
  }
}

TEST(ImageDraw, TheClippedCircleFillsItAndTheFittedOneKeepsToItsSquare) {
  TPLNBaseLabel doc;
  const QString blue = ImageTest::Picture("blue.png", 50, 50, qRgb(0, 0, 255));
  TPLNImage* i = Square(doc, blue);
  for (bool print : {false, true}) {
    SCOPED_TRACE(print ? "paper" : "screen");
    i->SetShape(TORVImageShape::CircleClip);
    QImage img = RenderItem(i, print);
    EXPECT_TRUE(ColorAt(img, {75, 8}, kBlue));    // inside the circle, above its square
    EXPECT_TRUE(ColorAt(img, {12, 12}, kPaper));  // the box's corner, outside the circle
    EXPECT_TRUE(ColorAt(img, {75, 75}, kBlue));
    i->SetShape(TORVImageShape::CircleFit);
    img = RenderItem(i, print);
    EXPECT_TRUE(ColorAt(img, {75, 8}, kPaper));
    EXPECT_TRUE(ColorAt(img, {30, 30}, kBlue));  // inside the inscribed square
    EXPECT_TRUE(ColorAt(img, {12, 12}, kPaper));
  }
  // On the recording canvas: the clip is the circle, anti-aliased, and the picture goes into
  // the whole circle's bounds; the fitted one is not clipped.
  PlanoraTest::RecordingContext c;
  auto* r = Square(c.doc, blue);
  r->SetShape(TORVImageShape::CircleClip);
  c.Redraw(r);
  ASSERT_EQ(c.canvas.Count("ClipPath"), 1);
  EXPECT_EQ(c.canvas.OpsNamed("ClipPath")[0].Args, (std::vector<double>{1}));
  ASSERT_EQ(c.canvas.Count("DrawImageRect"), 1);
  EXPECT_NEAR(c.canvas.OpsNamed("DrawImageRect")[0].Rect.width(), 400, 0.5);
  r->SetShape(TORVImageShape::CircleFit);
  c.Redraw(r);
  EXPECT_EQ(c.canvas.Count("ClipPath"), 0);
  EXPECT_NEAR(c.canvas.OpsNamed("DrawImageRect")[0].Rect.width(), 400 * std::sqrt(0.5), 0.5);
}

TEST(ImageDraw, FiltersShowGreyAndFramesAndGuidesFollowTheState) {
  TPLNBaseLabel doc;
  TPLNImage* i = Square(doc, ImageTest::Picture("red.png", 20, 20, qRgb(255, 0, 0)));
  i->SetFilter(TORVImageFilter::Grayscale);
  QImage img = RenderItem(i);
  EXPECT_TRUE(ColorAt(img, {75, 75}, QColor(76, 76, 76), 3));
  i->SetFilter(TORVImageFilter::BlackWhite);
  img = RenderItem(i);
  EXPECT_TRUE(ColorAt(img, {75, 75}, QColor(255, 255, 255), 3));  // 1.5 x 255 saturates

  PlanoraTest::RecordingContext c;
  auto* r = Square(c.doc, ImageTest::Picture("red.png", 20, 20, qRgb(255, 0, 0)));
  c.d.DrawState = TORVDrawState::Editor;
  c.Redraw(r);
  // The light guide first on the editor's surface; no frame of its own without the flag.
  auto rects = c.canvas.OpsNamed("DrawRect");
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].Paint.Color, 0xFFC0C0C0u);
  c.d.DrawState = TORVDrawState::Export;
  c.Redraw(r);
  EXPECT_EQ(c.canvas.Count("DrawRect"), 0);
  r->SetFrame(true);
  r->SetPenWidth(500);
  r->SetColor(0xFF00FF00u);
  c.Redraw(r);
  rects = c.canvas.OpsNamed("DrawRect");
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].Paint.Color, 0xFF00FF00u);
  EXPECT_GT(c.canvas.Names().size(), 0u);
  EXPECT_EQ(c.canvas.Names().back(), "DrawRect");  // over the picture
}

TEST(ImageDraw, MissingDamagedAndHugeFilesDrawThePlaceholderAndALaterFileShows) {
  TPLNBaseLabel doc;
  const QString later = PlanoraTest::TmpPath("later.png");
  QFile::remove(later);
  TPLNImage* i = Square(doc, later);
  QImage img = RenderItem(i);
  EXPECT_TRUE(Crossed(img));
  EXPECT_FALSE(ColorAt(img, {30, 75}, kRed));
  PlanoraTest::RecordingContext c;
  auto* r = Square(c.doc, later);
  c.Redraw(r);
  ASSERT_EQ(c.canvas.Count("DrawSimpleText"), 1);
  EXPECT_EQ(c.canvas.OpsNamed("DrawSimpleText")[0].Text, "later.png");
  EXPECT_EQ(c.canvas.Count("DrawImageRect"), 0);
  c.Redraw(r, true);
  EXPECT_EQ(c.canvas.Count("P.FillText"), 1);

  // The file turns up: the next draw shows it, no reload needed.
  ImageTest::Picture("later.png", 10, 10, qRgb(255, 0, 0));
  img = RenderItem(i);
  EXPECT_TRUE(ColorAt(img, {30, 75}, kRed));

  // Not a picture, cut short, or a header announcing 30,000 x 30,000 pixels.
  const QString garbage = PlanoraTest::TmpPath("garbage.png");
  PlanoraTest::WriteAll(garbage, QByteArray("this is no picture at all"));
  const QByteArray whole = PlanoraTest::ReadAll(ImageTest::Picture("whole.jpg", 300, 200, qRgb(255, 0, 0), qRgb(0, 0, 255), "JPEG"));
  const QString cut = PlanoraTest::TmpPath("cut.jpg");
  PlanoraTest::WriteAll(cut, whole.left(300));
  const QString huge = ImageTest::HugePng("huge.png", 30000, 30000);
  for (const auto& [file, why] : {std::pair{garbage, "cannot be read"}, {cut, "cannot be read"}, {huge, "too large"}}) {
    SCOPED_TRACE(file.toStdString());
    i->SetFileName(file);
    for (bool print : {false, true}) {
      img = RenderItem(i, print);
      EXPECT_TRUE(Crossed(img));
      EXPECT_FALSE(ColorAt(img, {30, 75}, kRed));
    }
    const TORVDecodedPtr p = DecodeImage(file, {}, TORVImageFilter::None, {});
    EXPECT_TRUE(p->Image.isNull());
    EXPECT_TRUE(p->Error.contains(QLatin1String(why))) << p->Error.toStdString();
  }
  EXPECT_EQ(DecodeImage(huge, {}, TORVImageFilter::None, {})->SourceSize, QSize(30000, 30000));
}

TEST(ImageDraw, AnEmbeddedPictureStillDrawsWhenItsFileIsGone) {
  const QString file = ImageTest::Picture("embedded.png", 20, 10, qRgb(255, 0, 0), qRgb(0, 0, 255));
  TPlanoraFMX doc;
  auto* i = static_cast<TPLNImage*>(TPLNFactory::AddBaseImage(&doc, 0, 0, 40000, 40000, file));
  i->SetPenWidth(0);
  i->SetEmbed(true);
  EXPECT_EQ(i->Bytes(), PlanoraTest::ReadAll(file));
  const QString eti = PlanoraTest::TmpPath("embedded.eti"), json = PlanoraTest::TmpPath("embedded.json");
  doc.SaveToFile(eti, TORVExt::Eti);
  doc.SaveToFile(json, TORVExt::Json);
  ASSERT_TRUE(QFile::remove(file));
  for (const QString& path : {eti, json}) {
    SCOPED_TRACE(path.toStdString());
    TPlanoraFMX back;
    ASSERT_TRUE(back.LoadFromFile(path));
    auto* b = dynamic_cast<TPLNImage*>(back.GetItem(1));
    ASSERT_TRUE(b);
    const QImage img = RenderItem(b);
    EXPECT_TRUE(ColorAt(img, {30, 75}, kRed));
    EXPECT_TRUE(ColorAt(img, {120, 75}, kBlue));
  }

  // Embedding set before the file exists: the first draw that finds it keeps it.
  const QString late = PlanoraTest::TmpPath("late-embed.png");
  QFile::remove(late);
  TPLNBaseLabel d2;
  TPLNImage* l = Square(d2, late);
  l->SetEmbed(true);
  RenderItem(l);
  EXPECT_TRUE(l->Bytes().isEmpty());
  ImageTest::Picture("late-embed.png", 8, 8, qRgb(0, 0, 255));
  RenderItem(l);
  EXPECT_FALSE(l->Bytes().isEmpty());
  QFile::remove(late);
  l->SetReload(true);
  EXPECT_TRUE(ColorAt(RenderItem(l), {75, 75}, kBlue));
}

TEST(ImageDraw, ManyCopiesOfAFewFilesDecodeOnceEvenFromTwoThreads) {
  ClearImageCache();
  TPLNBaseLabel doc;
  const QString a = ImageTest::Picture("shared-a.png", 64, 64, qRgb(255, 0, 0));
  const QString b = ImageTest::Picture("shared-b.png", 64, 64, qRgb(0, 0, 255));
  std::vector<TPLNImage*> items;
  for (int k = 0; k < 60; ++k) {
    auto* i = PlanoraTest::MakeItem<TPLNImage>(doc, {{(k % 10) * 5000, (k / 10) * 5000}, {(k % 10) * 5000 + 4000, (k / 10) * 5000 + 4000}});
    i->SetFileName(k % 2 ? a : b);
    items.push_back(i);
  }
  const auto paint = [&](QImage* out) {
    *out = QImage(500, 400, QImage::Format_ARGB32);
    out->fill(Qt::white);
    QPainter painter(out);
    Orv::Canvas::TQPainterCanvas canvas(&painter);
    TPLNDraw d;
    d.SetResolution(96, 96);
    d.SetStandardWidths();
    d.kC = &canvas;
    d.DrawState = TORVDrawState::Export;
    for (TPLNImage* i : items) i->Draw(&d);
  };
  QImage one, two;
  std::thread t1(paint, &one), t2(paint, &two);
  t1.join();
  t2.join();
  EXPECT_EQ(ImageCacheStats().Decodes, 2);
  EXPECT_EQ(one, two);
  EXPECT_TRUE(ColorAt(one, PlanoraTest::Px(2, 2), kBlue));
  EXPECT_TRUE(ColorAt(one, PlanoraTest::Px(7, 2), kRed));
  QImage again;
  paint(&again);
  EXPECT_EQ(ImageCacheStats().Decodes, 2);
  EXPECT_EQ(again, one);
}
