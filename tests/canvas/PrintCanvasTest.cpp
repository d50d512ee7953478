// The FireMonkey-shaped print operations over QPainter.
#include "CanvasProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Orv::Canvas;
using namespace Orv::Canvas::Testing;

namespace {

void ExpectAlong(const QImage& img, int y, const std::vector<std::pair<int, bool>>& probes,
                 const std::string& what) {
  for (auto [x, on] : probes) {
    if (on)
      EXPECT_TRUE(DarkNear(img, x, y, 1)) << what << " x=" << x;
    else
      EXPECT_TRUE(WhiteNear(img, x, y, 1)) << what << " x=" << x;
  }
}

}  // namespace

TEST(PrintDash, PatternsAreRelativeToTheThickness) {
  {
    // {2, 1} x 5: 10 on, 5 off from x = 10.
    TImageCanvas canvas(200, 100);
    canvas->Stroke.Thickness = 5;
    canvas->Stroke.SetCustomDash({2, 1}, 0);
    canvas->DrawLine(QPointF(10, 50), QPointF(190, 50), 1);
    ExpectAlong(canvas.Image(), 50,
                {{13, true}, {18, true}, {22, false}, {28, true}, {32, true}, {37, false}},
                "custom 2-1");
  }
  {
    // The named dash is 3 on, 1 off: 12 on, 4 off at thickness 4.
    TImageCanvas canvas(200, 100);
    canvas->Stroke.Thickness = 4;
    canvas->Stroke.Dash = TStrokeDash::Dash;
    canvas->DrawLine(QPointF(10, 50), QPointF(190, 50), 1);
    ExpectAlong(canvas.Image(), 50, {{12, true}, {20, true}, {24, false}, {30, true}, {40, false}},
                "dash");
  }
  {
    // The offset is relative too: offset 1 x 5 starts 5 pixels into {2, 1}.
    TImageCanvas canvas(200, 100);
    canvas->Stroke.Thickness = 5;
    canvas->Stroke.SetCustomDash({2, 1}, 1);
    canvas->DrawLine(QPointF(10, 50), QPointF(190, 50), 1);
    ExpectAlong(canvas.Image(), 50, {{12, true}, {17, false}, {22, true}, {29, true}}, "offset");
  }
  {
    // Solid stays solid after a custom dash is switched off.
    TImageCanvas canvas(200, 100);
    canvas->Stroke.Thickness = 3;
    canvas->Stroke.SetCustomDash({2, 1}, 0);
    canvas->Stroke.Dash = TStrokeDash::Solid;
    canvas->DrawLine(QPointF(10, 50), QPointF(190, 50), 1);
    const QImage& img = canvas.Image();
    for (int x = 12; x < 188; x += 3) EXPECT_TRUE(Dark(img, x, 50)) << x;
  }
}

TEST(PrintBrush, KindNoneAndOpacity) {
  TImageCanvas canvas(200, 100);
  canvas->Stroke.Kind = TBrushKind::None;
  canvas->Stroke.Thickness = 6;
  canvas->Fill.Kind = TBrushKind::Solid;
  canvas->Fill.Color = 0xFF0000FF;
  canvas->DrawRect(QRectF(10, 10, 40, 40), 0, 0, AllCorners, 1, TCornerType::Round);  // nothing
  canvas->FillRect(QRectF(60, 10, 40, 40), 0, 0, AllCorners, 0.5f, TCornerType::Round);
  canvas->Fill.Color = 0x800000FF;
  canvas->FillEllipse(QRectF(110, 10, 40, 40), 0.5f);  // alpha 0.5 x opacity 0.5
  canvas->Fill.Kind = TBrushKind::None;
  canvas->FillRect(QRectF(160, 10, 30, 30), 0, 0, AllCorners, 1, TCornerType::Round);  // nothing
  canvas->Stroke.Kind = TBrushKind::Solid;
  canvas->DrawRect(QRectF(10, 60, 80, 30), 0, 0, AllCorners, 1, TCornerType::Round);  // outline
  const QImage& img = canvas.Image();
  EXPECT_TRUE(WhiteNear(img, 10, 30, 3));
  const QColor half = img.pixelColor(80, 30), quarter = img.pixelColor(130, 30);
  EXPECT_NEAR(half.red(), 127, 3);
  EXPECT_EQ(half.blue(), 255);
  EXPECT_NEAR(quarter.red(), 191, 3);
  EXPECT_EQ(quarter.blue(), 255);
  EXPECT_TRUE(White(img, 175, 25));
  EXPECT_TRUE(Dark(img, 10, 75));  // stroked with the stroke brush even though Fill is None
  EXPECT_TRUE(White(img, 50, 75));
}

TEST(PrintRect, RadiiApplyToTheNamedCornersOnly) {
  // Rectangle 20..120, radii 30. A round corner at the top-left covers (32, 32) (inside its arc),
  // a bevel does not (beyond the x + y = 70 cut), an inner round neither (within 30 of the
  // corner), and none of them reach (22, 22).
  struct Case {
    TCornerType type;
    bool at32, at45;
  };
  const Case cases[] = {{TCornerType::Round, true, true},
                        {TCornerType::Bevel, false, true},
                        {TCornerType::InnerRound, false, true},
                        {TCornerType::InnerLine, false, true}};
  for (const Case& c : cases) {
    TImageCanvas canvas(140, 140);
    canvas->FillRect(QRectF(20, 20, 100, 100), 30, 30, TopLeft, 1, c.type);
    const QImage& img = canvas.Image();
    EXPECT_TRUE(White(img, 22, 22)) << int(c.type);
    EXPECT_EQ(Dark(img, 32, 32), c.at32) << int(c.type);
    EXPECT_EQ(Dark(img, 45, 45), c.at45) << int(c.type);
    EXPECT_TRUE(Dark(img, 70, 70));
    EXPECT_TRUE(Dark(img, 118, 22)) << "top-right stays square";
    EXPECT_TRUE(Dark(img, 118, 118)) << "bottom-right stays square";
    EXPECT_TRUE(Dark(img, 22, 118)) << "bottom-left stays square";
  }
  {
    // Corner flags are independent: bottom-right and bottom-left only.
    TImageCanvas canvas(140, 140);
    canvas->FillRect(QRectF(20, 20, 100, 100), 30, 30, BottomRight | BottomLeft, 1,
                     TCornerType::Round);
    const QImage& img = canvas.Image();
    EXPECT_TRUE(Dark(img, 22, 22));
    EXPECT_TRUE(Dark(img, 118, 22));
    EXPECT_TRUE(White(img, 118, 118));
    EXPECT_TRUE(White(img, 22, 118));
  }
  {
    // Oversized radii shrink to half the side: a 40 x 40 square with radius 100 is a circle.
    TImageCanvas canvas(140, 140);
    canvas->FillRect(QRectF(20, 20, 40, 40), 100, 100, AllCorners, 1, TCornerType::Round);
    const QImage& img = canvas.Image();
    EXPECT_TRUE(Dark(img, 40, 40));
    EXPECT_TRUE(Dark(img, 40, 22));
    EXPECT_TRUE(White(img, 24, 24));
  }
  {
    // The outline follows the rounded corners.
    TImageCanvas canvas(140, 140);
    canvas->Stroke.Thickness = 2;
    canvas->DrawRect(QRectF(20, 20, 100, 100), 30, 30, AllCorners, 1, TCornerType::Round);
    const QImage& img = canvas.Image();
    EXPECT_TRUE(White(img, 21, 21));
    const int d = int(std::lround(50 - 30 / std::sqrt(2.0)));  // on the arc at 45 degrees
    EXPECT_TRUE(DarkNear(img, d, d));
    EXPECT_TRUE(Dark(img, 70, 20));
  }
}

TEST(PrintArc, ClockwiseArcsAndChordFill) {
  TImageCanvas drawn(120, 120), filled(120, 120);
  drawn->Stroke.Thickness = 4;
  drawn->DrawArc(QPointF(60, 60), QPointF(40, 40), 0, 90, 1);
  filled->FillArc(QPointF(60, 60), QPointF(40, 40), 0, 90, 1);
  const QImage& d = drawn.Image();
  EXPECT_TRUE(DarkNear(d, 88, 88));   // 45 degrees, lower right
  EXPECT_TRUE(WhiteNear(d, 88, 32));  // -45 degrees, upper right
  const QImage& f = filled.Image();
  EXPECT_TRUE(Dark(f, 85, 85));
  EXPECT_TRUE(White(f, 85, 35));
  // Elliptic radii: the arc reaches x = 60 + 50 on the horizontal and y = 60 + 20 on the vertical.
  TImageCanvas ellipse(130, 120);
  ellipse->Stroke.Thickness = 3;
  ellipse->DrawArc(QPointF(60, 60), QPointF(50, 20), 0, 90, 1);
  EXPECT_TRUE(DarkNear(ellipse.Image(), 110, 60));
  EXPECT_TRUE(DarkNear(ellipse.Image(), 60, 80));
  EXPECT_TRUE(WhiteNear(ellipse.Image(), 60, 100));
}

TEST(PrintShapes, PolygonsCloseAndBreakAtNaN) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const QPolygonF two = QPolygonF() << QPointF(10, 10) << QPointF(50, 10) << QPointF(10, 50)
                                    << QPointF(nan, nan) << QPointF(110, 110) << QPointF(70, 110)
                                    << QPointF(110, 70);
  TImageCanvas filled(120, 120), drawn(120, 120);
  filled->FillPolygon(two, 1);
  drawn->Stroke.Thickness = 2;
  drawn->DrawPolygon(two, 1);
  const QImage& f = filled.Image();
  EXPECT_TRUE(Dark(f, 20, 20));
  EXPECT_TRUE(Dark(f, 100, 100));
  EXPECT_TRUE(White(f, 60, 60));  // no bridge between the parts
  const QImage& d = drawn.Image();
  EXPECT_TRUE(DarkNear(d, 30, 30));    // the closing edge (50,10)-(10,50)
  EXPECT_TRUE(DarkNear(d, 90, 90));    // and (70,110)-(110,70)
  EXPECT_TRUE(WhiteNear(d, 60, 60));
  EXPECT_TRUE(WhiteNear(d, 20, 20));   // outlines only
}

TEST(PrintShapes, PathsEllipsesBitmapsAndMatrix) {
  TImageCanvas canvas(200, 100);
  TPathData path;
  path.MoveTo(QPointF(10, 10));
  path.LineTo(QPointF(50, 10));
  path.CurveTo(QPointF(50, 30), QPointF(30, 50), QPointF(10, 50));
  path.ClosePath();
  EXPECT_FALSE(path.IsEmpty());
  canvas->FillPath(path, 1);
  canvas->Stroke.Thickness = 2;
  canvas->DrawEllipse(QRectF(60, 10, 40, 40), 1);
  QImage red(1, 1, QImage::Format_ARGB32);
  red.fill(Qt::red);
  canvas->SetMatrix(QTransform::fromTranslate(100, 50));
  EXPECT_EQ(canvas->GetMatrix().map(QPointF(0, 0)), QPointF(100, 50));
  canvas->DrawBitmap(red, QRectF(0, 0, 1, 1), QRectF(10, 10, 30, 30), 0.5f);
  canvas->SetMatrix(QTransform());
  const QImage& img = canvas.Image();
  EXPECT_TRUE(Dark(img, 20, 20));
  EXPECT_TRUE(White(img, 48, 48));     // outside the curve
  EXPECT_TRUE(DarkNear(img, 80, 10));  // top of the ellipse outline
  EXPECT_TRUE(White(img, 80, 30));     // not filled
  const QColor b = img.pixelColor(125, 75);  // the bitmap, moved by the matrix
  EXPECT_EQ(b.red(), 255);
  EXPECT_NEAR(b.green(), 127, 3);
}
