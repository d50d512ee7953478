// The FireMonkey-shaped print operations over QPainter.
#include "CanvasProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Orv::Canvas;
using namespace Orv::Canvas::Testing;

TEST(PrintDash, PatternsAreRelativeToTheThickness) {
  struct Case {
    const char* what;
    float thickness;
    TStrokeDash named;  // Custom: {2, 1} at `offset`
    float offset;
    std::vector<std::pair<int, bool>> probes;  // along y = 50 from x = 10
  };
  const std::vector<Case> cases = {
      {"custom 2-1 x 5: 10 on, 5 off", 5, TStrokeDash::Custom, 0, {{13, true}, {18, true}, {22, false}, {28, true}, {37, false}}},
      {"named dash 3-1 x 4", 4, TStrokeDash::Dash, 0, {{12, true}, {20, true}, {24, false}, {30, true}, {40, false}}},
      {"offset 1 x 5", 5, TStrokeDash::Custom, 1, {{12, true}, {17, false}, {22, true}, {29, true}}},
      {"solid after a custom dash", 3, TStrokeDash::Solid, 0, {{12, true}, {22, true}, {37, true}, {100, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TImageCanvas canvas(200, 100);
    canvas->Stroke.Thickness = c.thickness;
    canvas->Stroke.SetCustomDash({2, 1}, c.offset);
    if (c.named != TStrokeDash::Custom) canvas->Stroke.Dash = c.named;
    canvas->DrawLine(QPointF(10, 50), QPointF(190, 50), 1);
    ExpectDashes(canvas.Image(), 50, c.probes);
  }
}

TEST(PrintBrush, KindNoneAndOpacity) {
  TImageCanvas canvas(200, 100);
  canvas->Stroke.Kind = TBrushKind::None;
  canvas->Stroke.Thickness = 6;
  canvas->Fill.Color = 0xFF0000FF;
  canvas->DrawRect(QRectF(10, 10, 40, 40), 0, 0, AllCorners, 1, TCornerType::Round);  // nothing
  canvas->FillRect(QRectF(60, 10, 40, 40), 0, 0, AllCorners, 0.5f, TCornerType::Round);
  canvas->Fill.Color = 0x800000FF;
  canvas->FillEllipse(QRectF(110, 10, 40, 40), 0.5f);  // alpha 0.5 x opacity 0.5
  canvas->Fill.Kind = TBrushKind::None;
  canvas->FillRect(QRectF(160, 10, 30, 30), 0, 0, AllCorners, 1, TCornerType::Round);  // nothing
  canvas->Stroke.Kind = TBrushKind::Solid;
  canvas->DrawRect(QRectF(10, 60, 80, 30), 0, 0, AllCorners, 1, TCornerType::Round);  // outline only
  const QImage& img = canvas.Image();
  EXPECT_TRUE(WhiteNear(img, 10, 30, 3));
  EXPECT_NEAR(img.pixelColor(80, 30).red(), 127, 3);
  EXPECT_NEAR(img.pixelColor(130, 30).red(), 191, 3);
  EXPECT_EQ(img.pixelColor(130, 30).blue(), 255);
  EXPECT_TRUE(White(img, 175, 25));
  EXPECT_TRUE(Dark(img, 10, 75));
  EXPECT_TRUE(White(img, 50, 75));
}

TEST(PrintRect, RadiiApplyToTheNamedCornersOnly) {
  // Rectangle 20..120, radii 30 at the top left. A round corner covers (32, 32), a bevel does not
  // (beyond the x + y = 70 cut), the inner kinds neither; none of them reach (22, 22).
  for (auto [type, at32] : {std::pair{TCornerType::Round, true}, {TCornerType::Bevel, false},
                            {TCornerType::InnerRound, false}, {TCornerType::InnerLine, false}}) {
    SCOPED_TRACE(int(type));
    TImageCanvas canvas(140, 140);
    canvas->FillRect(QRectF(20, 20, 100, 100), 30, 30, TopLeft, 1, type);
    const QImage& img = canvas.Image();
    EXPECT_TRUE(White(img, 22, 22));
    EXPECT_EQ(Dark(img, 32, 32), at32);
    EXPECT_TRUE(Dark(img, 45, 45));
    EXPECT_TRUE(Dark(img, 118, 22) && Dark(img, 118, 118) && Dark(img, 22, 118)) << "other corners stay square";
  }
  TImageCanvas bottom(140, 140), oversized(140, 140), outline(140, 140);
  bottom->FillRect(QRectF(20, 20, 100, 100), 30, 30, BottomRight | BottomLeft, 1, TCornerType::Round);
  EXPECT_TRUE(Dark(bottom.Image(), 22, 22) && Dark(bottom.Image(), 118, 22));
  EXPECT_TRUE(White(bottom.Image(), 118, 118) && White(bottom.Image(), 22, 118));
  // Oversized radii shrink to half the side: a 40 x 40 square with radius 100 is a circle.
  oversized->FillRect(QRectF(20, 20, 40, 40), 100, 100, AllCorners, 1, TCornerType::Round);
  EXPECT_TRUE(Dark(oversized.Image(), 40, 22));
  EXPECT_TRUE(White(oversized.Image(), 24, 24));
  // The outline follows the rounded corners.
  outline->Stroke.Thickness = 2;
  outline->DrawRect(QRectF(20, 20, 100, 100), 30, 30, AllCorners, 1, TCornerType::Round);
  const int d = int(std::lround(50 - 30 / std::sqrt(2.0)));  // on the arc at 45 degrees
  EXPECT_TRUE(White(outline.Image(), 21, 21));
  EXPECT_TRUE(DarkNear(outline.Image(), d, d));
}

TEST(PrintShapes, ArcsByCentreAndRadiiAndPolygonsBrokenAtNaN) {
  // A quarter from 3 to 6 o'clock on y-down with radii 50 x 20, and its chord filled.
  TImageCanvas drawn(130, 120), filled(120, 120);
  drawn->Stroke.Thickness = 3;
  drawn->DrawArc(QPointF(60, 60), QPointF(50, 20), 0, 90, 1);
  filled->FillArc(QPointF(60, 60), QPointF(40, 40), 0, 90, 1);
  EXPECT_TRUE(DarkNear(drawn.Image(), 110, 60) && DarkNear(drawn.Image(), 60, 80));
  EXPECT_TRUE(WhiteNear(drawn.Image(), 60, 40));
  EXPECT_TRUE(Dark(filled.Image(), 85, 85));
  EXPECT_TRUE(White(filled.Image(), 85, 35) && White(filled.Image(), 65, 65));  // a chord, not a pie

  const double nan = std::numeric_limits<double>::quiet_NaN();
  const QPolygonF two = QPolygonF() << QPointF(10, 10) << QPointF(50, 10) << QPointF(10, 50) << QPointF(nan, nan)
                                    << QPointF(110, 110) << QPointF(70, 110) << QPointF(110, 70);
  TImageCanvas parts(120, 120), outlines(120, 120);
  parts->FillPolygon(two, 1);
  outlines->Stroke.Thickness = 2;
  outlines->DrawPolygon(two, 1);
  EXPECT_TRUE(Dark(parts.Image(), 20, 20) && Dark(parts.Image(), 100, 100));
  EXPECT_TRUE(White(parts.Image(), 60, 60));  // no bridge between the parts
  EXPECT_TRUE(DarkNear(outlines.Image(), 30, 30) && DarkNear(outlines.Image(), 90, 90));  // the closing edges
  EXPECT_TRUE(WhiteNear(outlines.Image(), 60, 60) && WhiteNear(outlines.Image(), 20, 20));
}
