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
  EXPECT_FLOAT_EQ(d.DrawValueY(1000), 5.0f);
  EXPECT_EQ(d.BaseValueY(10.0f), 2000);
  // Lengths come back unsigned, and half a base unit rounds away from zero.
  EXPECT_EQ(d.BaseValueX(-10.0f), 1000);
  TPLNDraw fine;  // one pixel per base unit, so halves are exact
  fine.SetResolution(25400, 25400);
  EXPECT_EQ(fine.BaseValueX(0.5f), 1);
  EXPECT_EQ(fine.BaseValueX(-0.5f), 1);
  EXPECT_EQ(fine.BaseValueY(2.5f), 3);
  EXPECT_EQ(fine.BaseValueY(-2.49f), 2);
  // The standard widths are physical lengths: a drawing scale does not thin them.
  d.SetResolution(96, 96, 50);
  d.SetStandardWidths();
  EXPECT_NEAR(d.w1, 96.0f / 25.4f, 1e-4);
  EXPECT_NEAR(d.w4, 4 * 96.0f / 25.4f, 1e-4);
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
  EXPECT_EQ(canvas.GetMatrix(), d.LM);
}

TEST(DrawContext, FontPrintResolutionIgnoresNonPositiveValues) {
  const float saved = GetFontPrintDPI();
  SetFontPrintDPI(300);
  SetFontPrintDPI(0);
  SetFontPrintDPI(-5);
  EXPECT_FLOAT_EQ(FontPrintSize(25.4f), 300.0f);
  SetFontPrintDPI(saved);
}

TEST(BitmapFilters, GrayBlackWhiteAndCircularMaskKeepColourOrAlpha) {
  auto filled = [](int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    return img;
  };
  QImage gray = filled(2, 1, qRgba(200, 100, 50, 128));
  gray.setPixel(1, 0, qRgba(10, 20, 30, 255));
  ConvertGrayScale(gray);
  EXPECT_EQ(gray.pixel(0, 0), qRgba(124, 124, 124, 128));  // 0.299*200 + 0.587*100 + 0.114*50 = 124.2
  EXPECT_EQ(gray.pixel(1, 0), qRgba(18, 18, 18, 255));     // 18.15
  // Other formats are converted first.
  QImage rgb(2, 2, QImage::Format_RGB888);
  rgb.fill(QColor(200, 100, 50));
  ConvertGrayScale(rgb);
  EXPECT_EQ(rgb.pixel(1, 1), qRgba(124, 124, 124, 255));

  // A grey level equal to the threshold is white, one below is black; alpha stays.
  struct Case { int level, threshold, alpha; QRgb expected; };
  for (const Case c : {Case{128, 128, 255, qRgba(255, 255, 255, 255)}, Case{127, 128, 200, qRgba(0, 0, 0, 200)},
                       Case{0, 0, 77, qRgba(255, 255, 255, 77)}, Case{254, 255, 255, qRgba(0, 0, 0, 255)},
                       Case{255, 255, 200, qRgba(255, 255, 255, 200)}}) {
    QImage bw = filled(1, 1, qRgba(c.level, c.level, c.level, c.alpha));
    ConvertBlackWhite(bw, c.threshold);
    EXPECT_EQ(bw.pixel(0, 0), c.expected) << c.level << " against " << c.threshold;
  }

  // The mask keeps the inscribed disc, centre (50, 25) radius 25, pixels at exactly r included.
  QImage img = filled(100, 50, qRgba(10, 20, 30, 255));
  ApplyCircularMask(img);
  EXPECT_EQ(qAlpha(img.pixel(50, 0)), 255);
  EXPECT_EQ(qAlpha(img.pixel(75, 25)), 255);
  EXPECT_EQ(qAlpha(img.pixel(76, 25)), 0);
  EXPECT_EQ(qAlpha(img.pixel(24, 25)), 0);
  EXPECT_EQ(qAlpha(img.pixel(68, 43)), 0);    // distance 25.46
  EXPECT_EQ(qAlpha(img.pixel(67, 42)), 255);  // distance 24.04
  EXPECT_EQ(img.pixel(0, 0) & 0x00FFFFFFu, qRgb(10, 20, 30) & 0x00FFFFFFu);  // only alpha goes
}

TEST(Fonts, CollectFontsGivesSortedUniqueOutlineFamilies) {
  QStringList list{QStringLiteral("left over")};
  CollectFonts(list);
  ASSERT_FALSE(list.isEmpty());
  EXPECT_FALSE(list.contains(QStringLiteral("left over")));
  for (int i = 0; i < list.size(); ++i) {
    EXPECT_FALSE(list[i].startsWith(QLatin1Char('@')));
    EXPECT_TRUE(QFontDatabase::isScalable(list[i])) << list[i].toStdString();
    // One entry per family: no foundry-tagged copies ("Nimbus Sans [URW ]"), no generic aliases.
    EXPECT_FALSE(list[i].contains(QLatin1Char('['))) << list[i].toStdString();
    for (const char* generic : {"Sans Serif", "Serif", "Monospace"})
      EXPECT_NE(list[i].compare(QLatin1String(generic), Qt::CaseInsensitive), 0) << list[i].toStdString();
    if (i > 0) {
      EXPECT_LT(list[i - 1].compare(list[i], Qt::CaseInsensitive), 0) << list[i].toStdString();
    }
  }
  EXPECT_TRUE(list.contains(QStringLiteral("DejaVu Sans")) || list.contains(QStringLiteral("Liberation Sans")));
}
