// The drawing context: conversions, the matrix, font print resolution, filters and the font list.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QImage>

#include "ORV.Canvas.Recording.h"
#include "ORV.FMX.Types.h"

using namespace Orv;
using namespace Orv::Fmx;

TEST(DrawContext, ConvertsBetweenBaseUnitsAndPixels) {
  TPLNDraw d;
  d.SetResolution(254, 127);
  EXPECT_FLOAT_EQ(d.DrawValueX(1000), 10.0f);
  EXPECT_FLOAT_EQ(d.DrawValueY(1000), 5.0f);
  EXPECT_EQ(d.BaseValueX(10.0f), 1000);
  EXPECT_EQ(d.BaseValueY(10.0f), 2000);
  // Lengths come back unsigned, and half a base unit rounds away from zero.
  EXPECT_EQ(d.BaseValueX(-10.0f), d.BaseValueX(10.0f));
  TPLNDraw fine;  // one pixel per base unit, so halves are exact
  fine.SetResolution(25400, 25400);
  EXPECT_EQ(fine.BaseValueX(0.5f), 1);
  EXPECT_EQ(fine.BaseValueX(-0.5f), 1);
  EXPECT_EQ(fine.BaseValueY(2.5f), 3);
  EXPECT_EQ(fine.BaseValueY(-2.49f), 2);

  // The standard widths are the device sizes of 0.5 .. 4 mm.
  d.SetResolution(96, 96);
  d.SetStandardWidths();
  const float mm = 96.0f / 25.4f;
  EXPECT_NEAR(d.w05, 0.5f * mm, 1e-4);
  EXPECT_NEAR(d.w3, 3 * mm, 1e-4);
  EXPECT_NEAR(d.w4, 4 * mm, 1e-4);
  // A drawing scale does not thin the standard lengths: they are physical.
  d.SetResolution(96, 96, 50);
  d.SetStandardWidths();
  EXPECT_NEAR(d.w1, mm, 1e-4);
}

TEST(DrawContext, MatrixOperationsActAfterTheCurrentTransform) {
  TPLNDraw d;
  d.Translate(10, 0);
  d.Rotate(90);
  // The point is moved first, then turned clockwise (y-down) about the origin.
  QPointF p = d.LM.map(QPointF(0, 0));
  EXPECT_NEAR(p.x(), 0, 1e-9);
  EXPECT_NEAR(p.y(), 10, 1e-9);

  d.ResetMatrix(TORVDrawState::Export);
  EXPECT_TRUE(d.LM.isIdentity());
  EXPECT_EQ(d.DrawState, TORVDrawState::Export);
  d.Translate(5, 5);
  d.Scale(2, 3);
  p = d.LM.map(QPointF(1, 1));
  EXPECT_NEAR(p.x(), 12, 1e-9);
  EXPECT_NEAR(p.y(), 18, 1e-9);

  // ApplyMatrix replaces the print canvas's matrix.
  Orv::Canvas::TRecordingCanvas canvas;
  canvas.Translate(100, 100);
  d.pC = &canvas;
  d.ApplyMatrix();
  ASSERT_EQ(canvas.Count("P.SetMatrix"), 1);
  EXPECT_EQ(canvas.GetMatrix(), d.LM);
}

TEST(DrawContext, FontPrintResolutionIgnoresNonPositiveValues) {
  const float saved = GetFontPrintDPI();
  EXPECT_FLOAT_EQ(saved, 96.0f);
  EXPECT_FLOAT_EQ(FontPrintSize(25.4f), 96.0f);
  SetFontPrintDPI(0);
  SetFontPrintDPI(-5);
  EXPECT_FLOAT_EQ(GetFontPrintDPI(), 96.0f);
  SetFontPrintDPI(300);
  EXPECT_FLOAT_EQ(FontPrintSize(25.4f), 300.0f);
  SetFontPrintDPI(saved);
}

namespace {
QImage Filled(int w, int h, QRgb c) {
  QImage img(w, h, QImage::Format_ARGB32);
  img.fill(c);
  return img;
}
}  // namespace

TEST(BitmapFilters, GrayAndBlackWhiteKeepAlpha) {
  QImage img = Filled(3, 2, qRgba(200, 100, 50, 128));
  img.setPixel(1, 0, qRgba(10, 20, 30, 255));
  ConvertGrayScale(img);
  // 0.299*200 + 0.587*100 + 0.114*50 = 124.2
  EXPECT_EQ(img.pixel(0, 0), qRgba(124, 124, 124, 128));
  // 2.99 + 11.74 + 3.42 = 18.15
  EXPECT_EQ(img.pixel(1, 0), qRgba(18, 18, 18, 255));

  // Threshold 0: nothing is darker, all white.
  QImage bw = Filled(2, 1, qRgba(0, 0, 0, 77));
  ConvertBlackWhite(bw, 0);
  EXPECT_EQ(bw.pixel(1, 0), qRgba(255, 255, 255, 77));

  // Threshold 255: everything below pure white turns black; white stays.
  bw = Filled(2, 1, qRgba(254, 254, 254, 255));
  bw.setPixel(1, 0, qRgba(255, 255, 255, 200));
  ConvertBlackWhite(bw, 255);
  EXPECT_EQ(bw.pixel(0, 0), qRgba(0, 0, 0, 255));
  EXPECT_EQ(bw.pixel(1, 0), qRgba(255, 255, 255, 200));

  // The boundary: L equal to the threshold is white, one below is black.
  bw = Filled(2, 1, qRgba(128, 128, 128, 255));
  bw.setPixel(1, 0, qRgba(127, 127, 127, 255));
  ConvertBlackWhite(bw, 128);
  EXPECT_EQ(bw.pixel(0, 0), qRgba(255, 255, 255, 255));
  EXPECT_EQ(bw.pixel(1, 0), qRgba(0, 0, 0, 255));

  // Other formats are converted first; a null image is left alone.
  QImage rgb(2, 2, QImage::Format_RGB888);
  rgb.fill(QColor(200, 100, 50));
  ConvertGrayScale(rgb);
  EXPECT_EQ(rgb.format(), QImage::Format_ARGB32);
  EXPECT_EQ(rgb.pixel(1, 1), qRgba(124, 124, 124, 255));
}

TEST(BitmapFilters, CircularMaskKeepsTheInscribedDisc) {
  QImage img = Filled(100, 50, qRgba(10, 20, 30, 255));
  ApplyCircularMask(img);
  // Centre (50, 25), radius 25: the disc stays opaque, pixels at exactly r included.
  EXPECT_EQ(qAlpha(img.pixel(50, 25)), 255);
  EXPECT_EQ(qAlpha(img.pixel(50, 0)), 255);
  EXPECT_EQ(qAlpha(img.pixel(75, 25)), 255);
  EXPECT_EQ(qAlpha(img.pixel(76, 25)), 0);
  EXPECT_EQ(qAlpha(img.pixel(24, 25)), 0);
  EXPECT_EQ(qAlpha(img.pixel(68, 43)), 0);  // distance 25.46
  EXPECT_EQ(qAlpha(img.pixel(67, 42)), 255);  // distance 24.04
  // Masked pixels keep their colour; only alpha goes.
  EXPECT_EQ(img.pixel(0, 0) & 0x00FFFFFFu, qRgb(10, 20, 30) & 0x00FFFFFFu);
  int opaque = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x) opaque += qAlpha(img.pixel(x, y)) == 255;
  // About the area of a disc of radius 25.
  EXPECT_NEAR(opaque, 3.14159 * 25 * 25, 120);
}

TEST(Fonts, CollectFontsGivesSortedUniqueOutlineFamilies) {
  QStringList list{QStringLiteral("left over")};
  CollectFonts(list);
  ASSERT_FALSE(list.isEmpty());
  EXPECT_FALSE(list.contains(QStringLiteral("left over")));
  for (int i = 0; i < list.size(); ++i) {
    const QString& n = list[i];
    EXPECT_FALSE(n.isEmpty());
    EXPECT_FALSE(n.startsWith(QLatin1Char('@')));
    EXPECT_NE(n.compare(QLatin1String("roman"), Qt::CaseInsensitive), 0);
    EXPECT_TRUE(QFontDatabase::isScalable(n)) << n.toStdString();
    if (i > 0) {
      EXPECT_LT(list[i - 1].compare(n, Qt::CaseInsensitive), 0) << n.toStdString();
    }
  }
  // Installed with the project's dependencies.
  EXPECT_TRUE(list.contains(QStringLiteral("DejaVu Sans")) || list.contains(QStringLiteral("Liberation Sans")));
}
