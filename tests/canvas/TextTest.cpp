// Text on both canvases: fractional pixel sizes, baselines, device resolution, alignment.
#include "CanvasProbe.h"

#include <gtest/gtest.h>

using namespace Orv::Canvas;
using namespace Orv::Canvas::Testing;

namespace {

TSkFont Font(float px) {
  TSkFont f;
  f.Family = QStringLiteral("DejaVu Sans");
  f.Size = px;
  return f;
}

TSkPaint Smooth() {
  TSkPaint p = Paint(TSkPaintStyle::Fill);
  p.AntiAlias = true;
  return p;
}

QImage Text(const QString& text, const TSkFont& font, const TSkPaint& paint, int dpi = 0) {
  TImageCanvas canvas(300, 120, dpi);
  canvas->DrawSimpleText(text, 10, 80, font, paint);
  return canvas.Image();
}

int Extent(std::pair<int, int> span) { return span.second - span.first; }

}  // namespace

TEST(SkText, FractionalPixelSizesAreNotRoundedOnAnyResolution) {
  const QString s = QStringLiteral("HHHH");
  const double ink10 = Ink(Text(s, Font(10), Smooth())), ink10half = Ink(Text(s, Font(10.5f), Smooth())),
               ink11 = Ink(Text(s, Font(11), Smooth()));
  EXPECT_GT(ink10half, ink10 * 1.03);
  EXPECT_LT(ink10half, ink11 * 0.97);
  EXPECT_GT(Extent(InkRows(Text(QStringLiteral("H"), Font(42.5f), Smooth()))),
            Extent(InkRows(Text(QStringLiteral("H"), Font(40), Smooth()))));

  // Metrics and measurements scale with the exact size.
  const TSkFont f20 = Font(20), f21 = Font(21), f205 = Font(20.5f);
  EXPECT_NEAR(f21.Metrics().Ascent / f20.Metrics().Ascent, 21.0 / 20, 0.005);
  const QString word = QStringLiteral("Fractional");
  EXPECT_NEAR(f205.MeasureText(word) / f20.MeasureText(word), 20.5 / 20, 0.005);
  // The QFont form carries the pixel size as points for the device's dpi.
  for (int dpi : {96, 300}) EXPECT_NEAR(f205.ToQFont(dpi).pointSizeF() * dpi / 72, 20.5, 1e-6);

  // A size in pixels is that many pixels whatever resolution the image claims.
  const auto at96 = InkRows(Text(QStringLiteral("H"), Font(40), Smooth(), 96));
  const auto at300 = InkRows(Text(QStringLiteral("H"), Font(40), Smooth(), 300));
  ASSERT_GE(at96.first, 0);
  EXPECT_NEAR(Extent(at300), Extent(at96), 1);
}

TEST(SkText, DrawnOnTheBaselineWithSkiaMetrics) {
  const TSkFont f = Font(40);
  const auto rows = InkRows(Text(QStringLiteral("H"), f, Paint(TSkPaintStyle::Fill)));
  EXPECT_NEAR(rows.second, 79, 1.5);  // baseline at y = 80
  const TSkFontMetrics m = f.Metrics();
  EXPECT_LT(m.Ascent, -0.6f * f.Size);  // negative, Skia style, and holding the cap height
  EXPECT_LE(80 - rows.first, -m.Ascent + 1);
  EXPECT_GT(m.Descent, 0.1f * f.Size);
  TSkFont wide = f;
  wide.ScaleX = 2;
  EXPECT_NEAR(wide.MeasureText(QStringLiteral("HH")), 2 * f.MeasureText(QStringLiteral("HH")), 0.5);
}

TEST(SkText, StrokeAndFillEmboldensAndStrokeOutlines) {
  TSkPaint bold = Smooth(), hairline = Smooth(), outline = Paint(TSkPaintStyle::Stroke, 1);
  bold.PathEffect = hairline.PathEffect = TSkPathEffect::MakeStrokeAndFill();
  bold.StrokeWidth = 2;
  outline.AntiAlias = true;
  const TSkFont f = Font(60);
  const QString s = QStringLiteral("H");
  const double plain = Ink(Text(s, f, Smooth()));
  EXPECT_GT(Ink(Text(s, f, bold)), plain * 1.1);
  const double hollow = Ink(Text(s, f, outline));
  EXPECT_LT(hollow, plain);
  EXPECT_GT(hollow, 0);
  EXPECT_NEAR(Ink(Text(s, f, hairline)), plain, plain * 0.03);  // a hairline adds nothing
}

TEST(PrintText, AlignmentPlacesAndMeasuresTheText) {
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
    SCOPED_TRACE(testing::Message() << int(c.h) << "," << int(c.v));
    TImageCanvas canvas(300, 150);
    canvas->Font = Font(24);
    canvas->Fill.Color = 0xFF000000;
    canvas->FillText(QRectF(0, 0, 300, 150), QStringLiteral("Ab"), false, 1, c.h, c.v);
    EXPECT_TRUE(InkInRect(canvas.Image(), c.inked));
    EXPECT_FALSE(InkInRect(canvas.Image(), c.blank));
  }
  TImageCanvas canvas(10, 10);
  canvas->Font = Font(20);
  auto measure = [&](const QRectF& bounds, const QString& text, bool wrap, TTextAlign align) {
    return canvas->MeasureText(bounds, text, wrap, align, align);
  };
  const QRectF bounds(0, 0, 50000, 20000);
  const QRectF lead = measure(bounds, QStringLiteral("Hello"), false, TTextAlign::Leading);
  const QRectF trail = measure(bounds, QStringLiteral("Hello"), false, TTextAlign::Trailing);
  EXPECT_EQ(lead.topLeft(), QPointF(0, 0));
  EXPECT_GT(lead.height(), 18);
  EXPECT_LT(lead.height(), 30);
  EXPECT_NEAR(trail.right(), 50000, 0.01);
  EXPECT_NEAR(trail.bottom(), 20000, 0.01);
  EXPECT_NEAR(trail.width(), lead.width(), 0.01);
  const QString words = QStringLiteral("one two three four five");
  const QRectF wrapped = measure(QRectF(0, 0, 80, 1000), words, true, TTextAlign::Leading);
  EXPECT_GT(wrapped.height(), 2.5 * measure(QRectF(0, 0, 80, 1000), words, false, TTextAlign::Leading).height());
  EXPECT_LE(wrapped.width(), 80.5);
}

TEST(PrintText, FractionalSizesAreMeasuredAndDrawnBetweenTheirNeighbours) {
  // Qt alone would round a 40.5 px print font to a whole size.
  auto measured = [](float px) {
    TImageCanvas canvas(10, 10);
    canvas->Font = Font(px);
    return canvas->MeasureText(QRectF(0, 0, 50000, 20000), QStringLiteral("Hello"), false, TTextAlign::Leading,
                               TTextAlign::Leading).width();
  };
  auto drawn = [](float px) {
    TImageCanvas canvas(400, 100);
    canvas->Font = Font(px);
    canvas->FillText(QRectF(10, 10, 380, 80), QStringLiteral("HHHHHHHH"), false, 1, TTextAlign::Leading,
                     TTextAlign::Leading);
    return Extent(InkColumns(canvas.Image()));
  };
  EXPECT_GT(measured(40.5f), measured(40) + 0.1);
  EXPECT_LT(measured(40.5f), measured(41) - 0.1);
  EXPECT_GT(drawn(40.5f), drawn(40));
  EXPECT_LT(drawn(40.5f), drawn(41));
}
