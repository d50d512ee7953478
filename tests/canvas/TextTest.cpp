// Text on both canvases: fractional pixel sizes, baselines, device resolution, alignment.
#include "CanvasProbe.h"

#include <gtest/gtest.h>

using namespace Orv::Canvas;
using namespace Orv::Canvas::Testing;

namespace {

TSkFont Font(float px, const QString& family = QStringLiteral("DejaVu Sans")) {
  TSkFont f;
  f.Family = family;
  f.Size = px;
  return f;
}

QImage Text(const QString& text, const TSkFont& font, const TSkPaint& paint, int dpi = 0) {
  TImageCanvas canvas(300, 120, dpi);
  canvas->DrawSimpleText(text, 10, 80, font, paint);
  return canvas.Image();
}

}  // namespace

TEST(SkText, FractionalPixelSizesAreNotRounded) {
  TSkPaint p = Paint(TSkPaintStyle::Fill);
  p.AntiAlias = true;
  const QString s = QStringLiteral("HHHH");
  const double ink10 = Ink(Text(s, Font(10), p));
  const double ink10half = Ink(Text(s, Font(10.5f), p));
  const double ink11 = Ink(Text(s, Font(11), p));
  EXPECT_GT(ink10half, ink10 * 1.03);
  EXPECT_LT(ink10half, ink11 * 0.97);

  // Taller glyphs for larger fractional sizes, measured as ink rows.
  const auto h40 = InkRows(Text(QStringLiteral("H"), Font(40), p));
  const auto h43 = InkRows(Text(QStringLiteral("H"), Font(42.5f), p));
  EXPECT_GT(h43.second - h43.first, h40.second - h40.first);

  // Metrics and measurements scale with the exact size.
  const TSkFont f20 = Font(20), f21 = Font(21), f205 = Font(20.5f);
  EXPECT_DOUBLE_EQ(f205.ToRawFont().pixelSize(), 20.5);
  EXPECT_NEAR(f21.Metrics().Ascent / f20.Metrics().Ascent, 21.0 / 20, 0.005);
  const QString word = QStringLiteral("Fractional");
  EXPECT_NEAR(f205.MeasureText(word) / f20.MeasureText(word), 20.5 / 20, 0.005);

  // The QFont form carries the size as points for the device's dpi.
  EXPECT_NEAR(f205.ToQFont(96).pointSizeF() * 96 / 72, 20.5, 1e-6);
  EXPECT_NEAR(f205.ToQFont(300).pointSizeF() * 300 / 72, 20.5, 1e-6);
}

TEST(SkText, SizesArePixelsOnEveryDeviceResolution) {
  TSkPaint p = Paint(TSkPaintStyle::Fill);
  p.AntiAlias = true;
  const auto at96 = InkRows(Text(QStringLiteral("H"), Font(40), p, 96));
  const auto at300 = InkRows(Text(QStringLiteral("H"), Font(40), p, 300));
  ASSERT_GE(at96.first, 0);
  ASSERT_GE(at300.first, 0);
  EXPECT_NEAR(at300.second - at300.first, at96.second - at96.first, 1);
}

TEST(SkText, DrawnOnTheBaselineWithSkiaMetrics) {
  TSkPaint p = Paint(TSkPaintStyle::Fill);
  const TSkFont f = Font(40);
  const auto rows = InkRows(Text(QStringLiteral("H"), f, p));
  EXPECT_NEAR(rows.second, 79, 1.5);  // baseline at y = 80
  EXPECT_LT(rows.first, 60);

  const TSkFontMetrics m = f.Metrics();
  EXPECT_LT(m.Ascent, -0.6f * f.Size);
  EXPECT_GT(m.Ascent, -1.3f * f.Size);
  EXPECT_GT(m.Descent, 0.1f * f.Size);
  EXPECT_LT(m.Descent, 0.5f * f.Size);
  // The cap height sits inside the ascent.
  EXPECT_LE(80 - rows.first, -m.Ascent + 1);

  TSkFont wide = f;
  wide.ScaleX = 2;
  EXPECT_NEAR(wide.MeasureText(QStringLiteral("HH")), 2 * f.MeasureText(QStringLiteral("HH")), 0.5);
}

TEST(SkText, StrokeAndFillEmboldensAndStrokeOutlines) {
  TSkPaint fill = Paint(TSkPaintStyle::Fill);
  fill.AntiAlias = true;
  TSkPaint bold = fill;
  bold.PathEffect = TSkPathEffect::MakeStrokeAndFill();
  bold.StrokeWidth = 2;
  TSkPaint outline = Paint(TSkPaintStyle::Stroke, 1);
  outline.AntiAlias = true;
  const TSkFont f = Font(60);
  const QString s = QStringLiteral("H");
  const double plain = Ink(Text(s, f, fill));
  EXPECT_GT(Ink(Text(s, f, bold)), plain * 1.1);
  const QImage hollow = Text(s, f, outline);
  EXPECT_LT(Ink(hollow), plain);
  EXPECT_GT(Ink(hollow), 0);
  // A hairline stroke-and-fill adds nothing: the same as a plain fill.
  TSkPaint hairline = fill;
  hairline.PathEffect = TSkPathEffect::MakeStrokeAndFill();
  EXPECT_NEAR(Ink(Text(s, f, hairline)), plain, plain * 0.03);
}

TEST(PrintText, AlignmentPlacesTheTextInItsBox) {
  struct Case {
    TTextAlign h, v;
    QRect inked, blank;
  };
  const Case cases[] = {
      {TTextAlign::Leading, TTextAlign::Leading, QRect(0, 0, 100, 50), QRect(150, 50, 150, 100)},
      {TTextAlign::Trailing, TTextAlign::Trailing, QRect(200, 100, 100, 50), QRect(0, 0, 150, 75)},
      {TTextAlign::Center, TTextAlign::Center, QRect(100, 50, 100, 50), QRect(0, 0, 60, 150)},
  };
  for (const Case& c : cases) {
    TImageCanvas canvas(300, 150);
    canvas->Font = Font(24);
    canvas->Fill.Color = 0xFF000000;
    canvas->FillText(QRectF(0, 0, 300, 150), QStringLiteral("Ab"), false, 1, c.h, c.v);
    const QImage& img = canvas.Image();
    EXPECT_TRUE(InkInRect(img, c.inked)) << int(c.h) << "," << int(c.v);
    EXPECT_FALSE(InkInRect(img, c.blank)) << int(c.h) << "," << int(c.v);
  }
}

TEST(PrintText, MeasureFollowsAlignmentAndWrapping) {
  TImageCanvas canvas(10, 10);
  canvas->Font = Font(20);
  const QRectF bounds(0, 0, 50000, 20000);
  const QRectF lead = canvas->MeasureText(bounds, QStringLiteral("Hello"), false,
                                          TTextAlign::Leading, TTextAlign::Leading);
  EXPECT_NEAR(lead.left(), 0, 0.01);
  EXPECT_NEAR(lead.top(), 0, 0.01);
  EXPECT_GT(lead.width(), 20);
  EXPECT_GT(lead.height(), 18);
  EXPECT_LT(lead.height(), 30);
  const QRectF trail = canvas->MeasureText(bounds, QStringLiteral("Hello"), false,
                                           TTextAlign::Trailing, TTextAlign::Trailing);
  EXPECT_NEAR(trail.right(), 50000, 0.01);
  EXPECT_NEAR(trail.bottom(), 20000, 0.01);
  EXPECT_NEAR(trail.width(), lead.width(), 0.01);

  const QRectF narrow(0, 0, 80, 1000);
  const QString words = QStringLiteral("one two three four five");
  const QRectF wrapped =
      canvas->MeasureText(narrow, words, true, TTextAlign::Leading, TTextAlign::Leading);
  const QRectF single =
      canvas->MeasureText(narrow, words, false, TTextAlign::Leading, TTextAlign::Leading);
  EXPECT_GT(wrapped.height(), 2.5 * single.height());
  EXPECT_LE(wrapped.width(), 80.5);

  // Fractional print sizes measure between their whole neighbours (Qt alone would round them).
  auto width = [&](float px) {
    canvas->Font = Font(px);
    return canvas->MeasureText(bounds, QStringLiteral("Hello"), false, TTextAlign::Leading,
                               TTextAlign::Leading)
        .width();
  };
  const double w40 = width(40), w405 = width(40.5f), w41 = width(41);
  EXPECT_GT(w405, w40 + 0.1);
  EXPECT_LT(w405, w41 - 0.1);
}

TEST(PrintText, FractionalSizesAreDrawnAsMeasured) {
  auto drawn = [](float px) {
    TImageCanvas canvas(400, 100);
    canvas->Font = Font(px);
    canvas->FillText(QRectF(10, 10, 380, 80), QStringLiteral("HHHHHHHH"), false, 1,
                     TTextAlign::Leading, TTextAlign::Leading);
    const auto cols = InkColumns(canvas.Image());
    return cols.second - cols.first;
  };
  const int w40 = drawn(40), w405 = drawn(40.5f), w41 = drawn(41);
  EXPECT_GT(w405, w40);
  EXPECT_LT(w405, w41);
}

TEST(PrintText, FillBrushColoursAndGatesText) {
  TImageCanvas canvas(200, 100);
  canvas->Font = Font(40);
  canvas->Fill.Kind = TBrushKind::None;
  canvas->FillText(QRectF(0, 0, 200, 100), QStringLiteral("HH"), false, 1, TTextAlign::Leading,
                   TTextAlign::Leading);
  canvas->Fill.Kind = TBrushKind::Solid;
  canvas->Fill.Color = 0xFFFF0000;
  canvas->FillText(QRectF(0, 50, 200, 50), QStringLiteral("HH"), false, 1, TTextAlign::Leading,
                   TTextAlign::Leading);
  const QImage& img = canvas.Image();
  EXPECT_FALSE(InkInRect(img, QRect(0, 0, 200, 48)));
  bool red = false;
  for (int y = 50; y < 100 && !red; ++y)
    for (int x = 0; x < 200 && !red; ++x) {
      const QColor c = img.pixelColor(x, y);
      red = c.red() > 200 && c.green() < 60 && c.blue() < 60;
    }
  EXPECT_TRUE(red);
}
