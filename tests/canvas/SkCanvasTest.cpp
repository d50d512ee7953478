// The Skia-shaped operations, rendered through QPainter and probed pixel by pixel.
#include "CanvasProbe.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Orv::Canvas;
using namespace Orv::Canvas::Testing;

namespace {

const QRectF kOval(20, 20, 80, 80);  // centre (60, 60), radius 40

// A point on kOval's circle at `deg` degrees clockwise from 3 o'clock on y-down.
QPoint OnCircle(double deg) {
  const double a = deg * M_PI / 180;
  return QPoint(int(std::lround(60 + 40 * std::cos(a))), int(std::lround(60 + 40 * std::sin(a))));
}

}  // namespace

TEST(SkArc, AnglesRunClockwiseOnYDown) {
  struct Case {
    float start, sweep;
    std::vector<double> inked, blank;  // angles on the circle, Skia convention
  };
  const Case cases[] = {
      {0, 90, {20, 45, 70}, {-45, 135, 225}},      // lower right, not upper right
      {0, -90, {-20, -45, -70}, {45, 135, 225}},   // negative sweeps go the other way
      {90, 90, {110, 135, 160}, {45, -45, -135}},  // from the bottom to the left
      {-90, 180, {-45, 0, 45}, {135, 180, 225}},   // the right half
      {30, 360, {0, 90, 180, 270}, {}},            // a full turn is a whole circle
      {10, 400, {0, 90, 180, 270}, {}},            // and never more
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "start " << c.start << " sweep " << c.sweep);
    for (bool viaBuilder : {false, true}) {
      TImageCanvas canvas(120, 120);
      if (viaBuilder) {
        TSkPathBuilder b;
        b.ArcTo(kOval, c.start, c.sweep, false);
        canvas->DrawPath(b.Detach(), Paint(TSkPaintStyle::Stroke, 4));
      } else {
        canvas->DrawArc(kOval, c.start, c.sweep, false, Paint(TSkPaintStyle::Stroke, 4));
      }
      const QImage& img = canvas.Image();
      for (double a : c.inked) EXPECT_TRUE(DarkNear(img, OnCircle(a).x(), OnCircle(a).y())) << "angle " << a;
      for (double a : c.blank) EXPECT_TRUE(WhiteNear(img, OnCircle(a).x(), OnCircle(a).y())) << "angle " << a;
      // An empty builder starts at the arc, not with a line from (0, 0).
      if (c.sweep == 90 && c.start == 0) {
        EXPECT_TRUE(WhiteNear(img, 50, 30));
      }
    }
  }
}

TEST(SkArc, PiesChordsJoinedArcsAndWinding) {
  // The chord of the 0..90 arc is the line x + y = 160: (75, 75) lies between it and the centre.
  TImageCanvas pie(120, 120), chord(120, 120), stroked(120, 120), sweepZero(120, 120);
  pie->DrawArc(kOval, 0, 90, true, Paint(TSkPaintStyle::Fill));
  chord->DrawArc(kOval, 0, 90, false, Paint(TSkPaintStyle::Fill));
  stroked->DrawArc(kOval, 0, 90, true, Paint(TSkPaintStyle::Stroke, 3));
  sweepZero->DrawArc(kOval, 0, 0, true, Paint(TSkPaintStyle::Fill));
  EXPECT_TRUE(Dark(pie.Image(), 75, 75) && White(pie.Image(), 75, 45));
  EXPECT_TRUE(White(chord.Image(), 75, 75) && Dark(chord.Image(), 85, 85));
  EXPECT_EQ(Ink(sweepZero.Image()), 0);
  // A stroked pie includes its two radii.
  EXPECT_TRUE(DarkNear(stroked.Image(), 80, 60) && DarkNear(stroked.Image(), 60, 80) && White(stroked.Image(), 75, 75));

  // Without forceMoveTo a line joins the current point to the arc's start (100, 60).
  for (bool force : {false, true}) {
    TSkPathBuilder b;
    b.MoveTo(10, 10);
    b.ArcTo(kOval, 0, 90, force);
    TImageCanvas canvas(120, 120);
    canvas->DrawPath(b.Detach(), Paint(TSkPaintStyle::Stroke, 3));
    EXPECT_EQ(DarkNear(canvas.Image(), 55, 35), !force);
  }
  // Paths fill by the winding rule: two overlapping clockwise squares leave no hole.
  TSkPathBuilder b;
  b.AddRect(QRectF(10, 10, 60, 60));
  b.AddRect(QRectF(40, 40, 60, 60));
  TImageCanvas canvas(120, 120);
  canvas->DrawPath(b.Detach(), Paint(TSkPaintStyle::Fill));
  EXPECT_TRUE(Dark(canvas.Image(), 55, 55));
}

TEST(SkDash, IntervalsArePixelsWhateverTheWidthPhaseOrScale) {
  // {10, 10} from x = 10: dashes over [10, 20), [30, 40) ... gaps over [20, 30), [40, 50) ...
  const std::vector<std::pair<int, bool>> tenTen = {{15, true}, {25, false}, {35, true}, {45, false}, {95, true}, {105, false}};
  struct Case {
    std::vector<float> intervals;
    float phase, width, scale;
    std::vector<std::pair<int, bool>> probes;
  };
  const std::vector<Case> cases = {
      {{10, 10}, 0, 4, 1, tenTen},
      {{10, 10}, 0, 1, 1, tenTen},
      {{10, 10}, 0, 0, 1, tenTen},  // hairlines too
      {{10, 10}, 0, 2.5f, 1, tenTen},
      {{10, 10, 3}, 0, 4, 1, tenTen},  // an odd trailing interval is dropped
      {{15, 5}, 0, 3, 1, {{12, true}, {22, true}, {27, false}, {33, true}}},
      {{10, 10}, 5, 4, 1, {{12, true}, {19, false}, {29, true}, {40, false}}},  // phase in pixels
      {{10, 10}, 5, 0, 1, {{12, true}, {19, false}, {29, true}, {40, false}}},
      {{10, 10}, 0, 1, 2, {{20, true}, {28, true}, {40, false}, {60, true}}},  // scaled like the pen
      {{10, 10}, 0, 0, 2, {{20, true}, {28, true}, {40, false}, {60, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "width " << c.width << " phase " << c.phase << " scale " << c.scale);
    TSkPaint p = Paint(TSkPaintStyle::Stroke, c.width);
    p.PathEffect = TSkPathEffect::MakeDash(c.intervals, c.phase);
    TImageCanvas canvas(200, 100);
    canvas->Scale(c.scale, c.scale);
    canvas->DrawLine(10 / c.scale, 50.5f / c.scale, 190 / c.scale, 50.5f / c.scale, p);
    ExpectDashes(canvas.Image(), 50, c.probes);
  }
}

TEST(SkPaint, StyleColourAndAntiAlias) {
  // Rectangle 20..80 with a 6-pixel stroke (17..23 on the left edge); every shape shares this path.
  struct Case {
    TSkPaintStyle style;
    bool strokeAndFillEffect, inside, outline;
  };
  const Case cases[] = {
      {TSkPaintStyle::Fill, false, true, false},
      {TSkPaintStyle::Stroke, false, false, true},
      {TSkPaintStyle::StrokeAndFill, false, true, true},
      {TSkPaintStyle::Fill, true, true, true},  // the stroke-and-fill effect adds the outline
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "style " << int(c.style) << " effect " << c.strokeAndFillEffect);
    TSkPaint p = Paint(c.style, 6);
    if (c.strokeAndFillEffect) p.PathEffect = TSkPathEffect::MakeStrokeAndFill();
    TImageCanvas canvas(100, 100);
    canvas->DrawRect(QRectF(20, 20, 60, 60), p);
    EXPECT_EQ(Dark(canvas.Image(), 50, 50), c.inside);
    EXPECT_EQ(Dark(canvas.Image(), 18, 50), c.outline);
    EXPECT_TRUE(White(canvas.Image(), 12, 50));
  }
  // A translucent stroke-and-fill covers the band under the stroke only once.
  TImageCanvas once(100, 100);
  once->DrawRect(QRectF(20, 20, 60, 60), Paint(TSkPaintStyle::StrokeAndFill, 6, 0x80000000));
  EXPECT_NEAR(Gray(once.Image(), 50, 50), 127, 4);
  EXPECT_NEAR(Gray(once.Image(), 18, 50), Gray(once.Image(), 50, 50), 3);
  EXPECT_NEAR(Gray(once.Image(), 22, 50), Gray(once.Image(), 50, 50), 3);

  TImageCanvas canvas(200, 100);
  canvas->DrawRect(QRectF(0, 0, 50, 50), Paint(TSkPaintStyle::Fill, 0, 0x80FF0000));
  // Lines and point lists are stroked even with a Fill paint; point lists stay open.
  canvas->DrawLine(10, 70.5f, 90, 70.5f, Paint(TSkPaintStyle::Fill, 0));
  canvas->DrawPoints({{10, 80}, {50, 95}, {90, 80}}, Paint(TSkPaintStyle::Fill, 2));
  TSkPaint aa = Paint(TSkPaintStyle::Fill);
  aa.AntiAlias = true;
  canvas->DrawOval(QRectF(105, 5, 40, 40), aa);
  canvas->DrawOval(QRectF(155, 5, 40, 40), Paint(TSkPaintStyle::Fill));
  const QImage& img = canvas.Image();
  EXPECT_TRUE(ColorAt(img, QPoint(25, 25), QColor(255, 127, 127), 3));  // 50 % red over white
  EXPECT_TRUE(DarkNear(img, 50, 70) && DarkNear(img, 30, 87, 2));
  EXPECT_TRUE(WhiteNear(img, 50, 82));
  auto greys = [&](int x0) {
    int n = 0;
    for (int y = 0; y < 50; ++y)
      for (int x = x0; x < x0 + 50; ++x) n += Gray(img, x, y) > 20 && Gray(img, x, y) < 235;
    return n;
  };
  EXPECT_GT(greys(100), 20);  // anti-aliasing is a per-call setting
  EXPECT_EQ(greys(150), 0);
}

TEST(SkClipAndImage, ClearHonoursClipAndImagesTheirSourceRect) {
  TImageCanvas canvas(100, 100);
  canvas->Save();
  canvas->ClipRect(QRectF(0, 0, 50, 100));
  canvas->Clear(0xFF00FF00);
  canvas->Restore();
  canvas->DrawRect(QRectF(0, 80, 100, 20), Paint(TSkPaintStyle::Fill));  // the clip ended with Restore
  canvas->Save();
  TSkPathBuilder circle;
  circle.AddOval(QRectF(0, 0, 40, 40));
  canvas->ClipPath(circle.Detach(), false);
  canvas->Clear(0x00000000);  // replaces, so the pixels become transparent
  canvas->Restore();
  QImage src(2, 1, QImage::Format_ARGB32);
  src.setPixel(0, 0, qRgb(255, 0, 0));
  src.setPixel(1, 0, qRgb(0, 0, 255));
  canvas->DrawImageRect(src, QRectF(1, 0, 1, 1), QRectF(60, 0, 20, 20), Paint(TSkPaintStyle::Fill));
  canvas->DrawImageRect(src, QRectF(0, 0, 1, 1), QRectF(60, 30, 20, 20), Paint(TSkPaintStyle::Fill, 0, 0x80000000));
  const QImage& img = canvas.Image();
  EXPECT_TRUE(ColorAt(img, QPoint(25, 60), Qt::green, 0));
  EXPECT_TRUE(White(img, 75, 60) && Dark(img, 75, 90));
  EXPECT_EQ(qAlpha(img.pixel(20, 20)), 0);
  EXPECT_EQ(qAlpha(img.pixel(2, 2)), 255);  // outside the circle
  EXPECT_TRUE(ColorAt(img, QPoint(70, 10), Qt::blue, 0));
  EXPECT_TRUE(ColorAt(img, QPoint(70, 40), QColor(255, 127, 127), 3));  // red at half opacity
}
