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
      {0, 90, {20, 45, 70}, {-45, 135, 225}},       // lower right, not upper right
      {0, -90, {-20, -45, -70}, {45, 135, 225}},    // negative sweeps go the other way
      {90, 90, {110, 135, 160}, {45, -45, -135}},   // from the bottom to the left
      {-90, 180, {-45, 0, 45}, {135, 180, 225}},    // the right half
      {30, 360, {0, 90, 180, 270}, {}},             // a full turn is a whole circle
      {10, 400, {0, 90, 180, 270}, {}},             // and never more
  };
  for (const Case& c : cases) {
    TImageCanvas canvas(120, 120);
    canvas->DrawArc(kOval, c.start, c.sweep, false, Paint(TSkPaintStyle::Stroke, 4));
    const QImage& img = canvas.Image();
    for (double a : c.inked)
      EXPECT_TRUE(DarkNear(img, OnCircle(a).x(), OnCircle(a).y()))
          << "start " << c.start << " sweep " << c.sweep << " angle " << a;
    for (double a : c.blank)
      EXPECT_TRUE(WhiteNear(img, OnCircle(a).x(), OnCircle(a).y()))
          << "start " << c.start << " sweep " << c.sweep << " angle " << a;
  }
}

TEST(SkArc, UseCenterFillsAPieWithoutItAChord) {
  // The chord of the 0..90 arc is the line x + y = 160: (75, 75) lies between it and the centre.
  TImageCanvas pie(120, 120), chord(120, 120), sweepZero(120, 120);
  pie->DrawArc(kOval, 0, 90, true, Paint(TSkPaintStyle::Fill));
  chord->DrawArc(kOval, 0, 90, false, Paint(TSkPaintStyle::Fill));
  sweepZero->DrawArc(kOval, 0, 0, true, Paint(TSkPaintStyle::Fill));
  const QImage& p = pie.Image();
  EXPECT_TRUE(Dark(p, 75, 75));
  EXPECT_TRUE(Dark(p, 85, 85));
  EXPECT_TRUE(White(p, 75, 45));
  EXPECT_TRUE(White(p, 45, 75));
  const QImage& c = chord.Image();
  EXPECT_TRUE(White(c, 75, 75));
  EXPECT_TRUE(Dark(c, 85, 85));
  EXPECT_EQ(Ink(sweepZero.Image()), 0);

  // A stroked pie includes its two radii.
  TImageCanvas stroked(120, 120);
  stroked->DrawArc(kOval, 0, 90, true, Paint(TSkPaintStyle::Stroke, 3));
  const QImage& s = stroked.Image();
  EXPECT_TRUE(DarkNear(s, 80, 60));  // radius along 0 degrees
  EXPECT_TRUE(DarkNear(s, 60, 80));  // radius along 90 degrees
  EXPECT_TRUE(White(s, 75, 75));
}

TEST(SkArc, PathBuilderArcToMatchesDrawArc) {
  for (bool force : {true, false}) {
    TSkPathBuilder b;
    b.ArcTo(kOval, 0, 90, force);
    TImageCanvas canvas(120, 120);
    canvas->DrawPath(b.Detach(), Paint(TSkPaintStyle::Stroke, 4));
    const QImage& img = canvas.Image();
    EXPECT_TRUE(DarkNear(img, OnCircle(45).x(), OnCircle(45).y()));
    EXPECT_TRUE(WhiteNear(img, OnCircle(-45).x(), OnCircle(-45).y()));
    // An empty builder starts the arc at its own start, not with a line from (0, 0).
    EXPECT_TRUE(WhiteNear(img, 50, 30)) << force;
  }
  {
    // Without forceMoveTo a line joins the current point to the arc's start (100, 60).
    TSkPathBuilder joined, separate;
    joined.MoveTo(10, 10);
    joined.ArcTo(kOval, 0, 90, false);
    separate.MoveTo(10, 10);
    separate.ArcTo(kOval, 0, 90, true);
    TImageCanvas a(120, 120), b(120, 120);
    a->DrawPath(joined.Detach(), Paint(TSkPaintStyle::Stroke, 3));
    b->DrawPath(separate.Detach(), Paint(TSkPaintStyle::Stroke, 3));
    EXPECT_TRUE(DarkNear(a.Image(), 55, 35));
    EXPECT_TRUE(WhiteNear(b.Image(), 55, 35));
  }
  {
    // Detach hands over the path and leaves the builder empty.
    TSkPathBuilder b;
    b.AddRect(QRectF(0, 0, 10, 10));
    const TSkPath first = b.Detach();
    EXPECT_FALSE(first.IsEmpty());
    EXPECT_EQ(first.Bounds(), QRectF(0, 0, 10, 10));
    EXPECT_TRUE(b.Detach().IsEmpty());
  }
}

TEST(SkPath, FillsWithTheWindingRule) {
  // Two overlapping clockwise squares: the overlap stays filled (even-odd would leave a hole).
  TSkPathBuilder b;
  b.AddRect(QRectF(10, 10, 60, 60));
  b.AddRect(QRectF(40, 40, 60, 60));
  TImageCanvas canvas(120, 120);
  canvas->DrawPath(b.Detach(), Paint(TSkPaintStyle::Fill));
  EXPECT_TRUE(Dark(canvas.Image(), 55, 55));
  EXPECT_TRUE(Dark(canvas.Image(), 20, 20));
  EXPECT_TRUE(White(canvas.Image(), 90, 20));
}

// Dash probes along a horizontal line from x = 10: true = inside a dash.
void ExpectDashes(const QImage& img, int y, const std::vector<std::pair<int, bool>>& probes,
                  const char* what) {
  for (auto [x, on] : probes) {
    if (on)
      EXPECT_TRUE(DarkNear(img, x, y, 1)) << what << " x=" << x;
    else
      EXPECT_TRUE(WhiteNear(img, x, y, 1)) << what << " x=" << x;
  }
}

TEST(SkDash, IntervalsArePixelsWhateverTheWidth) {
  // {10, 10}: dashes over [10, 20), [30, 40), ... gaps over [20, 30), [40, 50), ...
  const std::vector<std::pair<int, bool>> tenTen = {{15, true},  {25, false}, {35, true},
                                                    {45, false}, {95, true},  {105, false}};
  for (float width : {4.0f, 1.0f, 0.0f, 2.5f}) {
    TSkPaint p = Paint(TSkPaintStyle::Stroke, width);
    p.PathEffect = TSkPathEffect::MakeDash({10, 10}, 0);
    TImageCanvas canvas(200, 100);
    canvas->DrawLine(10, 50.5f, 190, 50.5f, p);
    ExpectDashes(canvas.Image(), 50, tenTen, ("width " + std::to_string(width)).c_str());
  }
  {
    // An odd trailing interval is dropped.
    TSkPaint p = Paint(TSkPaintStyle::Stroke, 4);
    p.PathEffect = TSkPathEffect::MakeDash({10, 10, 3}, 0);
    EXPECT_EQ(p.PathEffect->Intervals().size(), 2u);
    TImageCanvas canvas(200, 100);
    canvas->DrawLine(10, 50, 190, 50, p);
    ExpectDashes(canvas.Image(), 50, tenTen, "odd count");
  }
  {
    // Uneven on/off lengths: 15 on, 5 off.
    TSkPaint p = Paint(TSkPaintStyle::Stroke, 3);
    p.PathEffect = TSkPathEffect::MakeDash({15, 5}, 0);
    TImageCanvas canvas(200, 100);
    canvas->DrawLine(10, 50, 190, 50, p);
    ExpectDashes(canvas.Image(), 50, {{12, true}, {22, true}, {27, false}, {33, true}}, "15/5");
  }
}

TEST(SkDash, PhaseShiftsThePatternInPixels) {
  // Phase 5 into {10, 10}: on [10, 15), off [15, 25), on [25, 35), off [35, 45).
  for (float width : {4.0f, 0.0f}) {
    TSkPaint p = Paint(TSkPaintStyle::Stroke, width);
    p.PathEffect = TSkPathEffect::MakeDash({10, 10}, 5);
    TImageCanvas canvas(200, 100);
    canvas->DrawLine(10, 50.5f, 190, 50.5f, p);
    ExpectDashes(canvas.Image(), 50, {{12, true}, {19, false}, {29, true}, {40, false}},
                 ("phase, width " + std::to_string(width)).c_str());
  }
}

TEST(SkDash, ScaleWithTheMatrixLikeTheStrokeWidth) {
  // Under a 2x scale a {10, 10} pattern covers 20 device pixels per dash, hairline or not.
  for (float width : {1.0f, 0.0f}) {
    TSkPaint p = Paint(TSkPaintStyle::Stroke, width);
    p.PathEffect = TSkPathEffect::MakeDash({10, 10}, 0);
    TImageCanvas canvas(200, 100);
    canvas->Scale(2, 2);
    canvas->DrawLine(5, 25.25f, 95, 25.25f, p);  // device x 10..190, y 50.5
    ExpectDashes(canvas.Image(), 50, {{20, true}, {28, true}, {40, false}, {60, true}},
                 ("scaled, width " + std::to_string(width)).c_str());
  }
}

TEST(SkPaint, StyleDecidesOutlineAndInterior) {
  // Rectangle 20..80 with a 6-pixel stroke (17..23 on the left edge).
  struct Case {
    TSkPaintStyle style;
    bool strokeAndFillEffect;
    bool inside, outline;
  };
  const Case cases[] = {
      {TSkPaintStyle::Fill, false, true, false},
      {TSkPaintStyle::Stroke, false, false, true},
      {TSkPaintStyle::StrokeAndFill, false, true, true},
      {TSkPaintStyle::Fill, true, true, true},  // the stroke-and-fill effect adds the outline
  };
  for (const Case& c : cases) {
    TSkPaint p = Paint(c.style, 6);
    if (c.strokeAndFillEffect) p.PathEffect = TSkPathEffect::MakeStrokeAndFill();
    for (int shape = 0; shape < 3; ++shape) {
      TImageCanvas canvas(100, 100);
      if (shape == 0) canvas->DrawRect(QRectF(20, 20, 60, 60), p);
      if (shape == 1) canvas->DrawOval(QRectF(20, 20, 60, 60), p);
      if (shape == 2) canvas->DrawRoundRect(QRectF(20, 20, 60, 60), 10, 10, p);
      const QImage& img = canvas.Image();
      EXPECT_EQ(Dark(img, 50, 50), c.inside) << int(c.style) << " shape " << shape;
      EXPECT_EQ(Dark(img, 18, 50), c.outline) << int(c.style) << " shape " << shape;
      EXPECT_TRUE(White(img, 12, 50));
    }
  }
}

TEST(SkPaint, TranslucentStrokeAndFillCoversOnce) {
  TImageCanvas canvas(100, 100);
  canvas->DrawRect(QRectF(20, 20, 60, 60), Paint(TSkPaintStyle::StrokeAndFill, 6, 0x80000000));
  const QImage& img = canvas.Image();
  const int fillOnly = Gray(img, 50, 50), strokeOnly = Gray(img, 18, 50), both = Gray(img, 22, 50);
  EXPECT_NEAR(fillOnly, 127, 4);
  EXPECT_NEAR(strokeOnly, fillOnly, 3);
  EXPECT_NEAR(both, fillOnly, 3);
}

TEST(SkPaint, ColourAlphaAndLinesIgnoringStyle) {
  TImageCanvas canvas(100, 100);
  canvas->DrawRect(QRectF(0, 0, 50, 50), Paint(TSkPaintStyle::Fill, 0, 0x80FF0000));
  canvas->DrawRect(QRectF(50, 0, 50, 50), Paint(TSkPaintStyle::Fill, 0, 0xFF00FF00));
  // Lines and point lists are stroked even with a Fill paint.
  canvas->DrawLine(10, 70.5f, 90, 70.5f, Paint(TSkPaintStyle::Fill, 0));
  canvas->DrawPoints({{10, 80}, {50, 95}, {90, 80}}, Paint(TSkPaintStyle::Fill, 2));
  const QImage& img = canvas.Image();
  const QColor half = img.pixelColor(25, 25), green = img.pixelColor(75, 25);
  EXPECT_NEAR(half.red(), 255, 2);
  EXPECT_NEAR(half.green(), 127, 3);
  EXPECT_NEAR(half.blue(), 127, 3);
  EXPECT_EQ(green.rgb(), QColor(0, 255, 0).rgb());
  EXPECT_TRUE(DarkNear(img, 50, 70));
  EXPECT_TRUE(DarkNear(img, 30, 87, 2));  // on the first segment of the polyline
  EXPECT_TRUE(WhiteNear(img, 50, 82));    // the polyline stays open: no 10..90 closing edge
}

TEST(SkPaint, AntiAliasIsPerCall) {
  TImageCanvas canvas(100, 60);
  TSkPaint aa = Paint(TSkPaintStyle::Fill);
  aa.AntiAlias = true;
  canvas->DrawOval(QRectF(5, 5, 40, 40), aa);
  canvas->DrawOval(QRectF(55, 5, 40, 40), Paint(TSkPaintStyle::Fill));
  const QImage& img = canvas.Image();
  auto greys = [&](int x0) {
    int n = 0;
    for (int y = 0; y < 50; ++y)
      for (int x = x0; x < x0 + 50; ++x)
        if (Gray(img, x, y) > 20 && Gray(img, x, y) < 235) ++n;
    return n;
  };
  EXPECT_GT(greys(0), 20);
  EXPECT_EQ(greys(50), 0);
}

TEST(SkMatrix, RotateTranslateScaleConcat) {
  TImageCanvas canvas(200, 200);
  canvas->Translate(100, 100);
  canvas->Rotate(90);  // clockwise: +x now points down
  canvas->DrawRect(QRectF(10, -5, 40, 10), Paint(TSkPaintStyle::Fill));
  EXPECT_EQ(canvas->GetTotalMatrix().map(QPointF(30, 0)), QPointF(100, 130));
  canvas->Save();
  canvas->Scale(2, 2);
  canvas->Concat(QTransform::fromTranslate(5, 0));  // applied before the scale
  EXPECT_EQ(canvas->GetTotalMatrix().map(QPointF(0, 0)), QPointF(100, 110));
  canvas->Restore();
  canvas->Restore();  // unmatched: ignored
  EXPECT_EQ(canvas->GetTotalMatrix().map(QPointF(30, 0)), QPointF(100, 130));
  const QImage& img = canvas.Image();
  EXPECT_TRUE(Dark(img, 100, 130));
  EXPECT_TRUE(White(img, 130, 100));
  EXPECT_TRUE(White(img, 100, 70));
}

TEST(SkClip, ClearHonoursClipAndSaveRestore) {
  TImageCanvas canvas(100, 100);
  canvas->Save();
  canvas->ClipRect(QRectF(0, 0, 50, 100));
  canvas->Clear(0xFF00FF00);
  canvas->Restore();
  canvas->DrawRect(QRectF(0, 80, 100, 20), Paint(TSkPaintStyle::Fill));
  canvas->Save();
  TSkPathBuilder circle;
  circle.AddOval(QRectF(0, 0, 40, 40));
  canvas->ClipPath(circle.Detach(), false);
  canvas->Clear(0x00000000);  // replaces, so the pixels become transparent
  canvas->Restore();
  const QImage& img = canvas.Image();
  EXPECT_EQ(img.pixelColor(25, 60).rgb(), QColor(0, 255, 0).rgb());
  EXPECT_TRUE(White(img, 75, 60));
  EXPECT_TRUE(Dark(img, 75, 90));  // the clip ended with Restore
  EXPECT_EQ(qAlpha(img.pixel(20, 20)), 0);
  EXPECT_EQ(qAlpha(img.pixel(2, 2)), 255);  // outside the circle
}

TEST(SkImage, SourceRectAndPaintAlpha) {
  QImage src(2, 1, QImage::Format_ARGB32);
  src.setPixel(0, 0, qRgb(255, 0, 0));
  src.setPixel(1, 0, qRgb(0, 0, 255));
  TImageCanvas canvas(100, 50);
  canvas->DrawImageRect(src, QRectF(1, 0, 1, 1), QRectF(0, 0, 40, 40), Paint(TSkPaintStyle::Fill));
  canvas->DrawImageRect(src, QRectF(0, 0, 1, 1), QRectF(50, 0, 40, 40),
                        Paint(TSkPaintStyle::Fill, 0, 0x80000000));
  const QImage& img = canvas.Image();
  EXPECT_EQ(img.pixelColor(20, 20).rgb(), QColor(0, 0, 255).rgb());
  EXPECT_NEAR(img.pixelColor(70, 20).green(), 127, 3);  // red at half opacity over white
  EXPECT_EQ(img.pixelColor(70, 20).red(), 255);
}
