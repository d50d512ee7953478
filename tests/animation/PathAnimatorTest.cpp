// Motion along paths: even speed by length, arcs, cubic curves, run ends, waypoints and easing.
#include <gtest/gtest.h>

#include <cmath>

#include "ORV.PathAnimator.h"

using namespace Orv::Anim;

namespace {
constexpr double kPi = 3.14159265358979323846;

struct TPose {
  double x = 0, y = 0, a = 0, left = 0;
  bool running = true;
};
TPose Step(TPathAnimator& p, double dt) {
  TPose r;
  r.running = p.Update(dt, r.x, r.y, r.a, r.left);
  return r;
}
}  // namespace

TEST(PathAnimator, StraightPiecesAreWalkedAtOneSpeed) {
  // 10 across, then 30 down: 40 in 4 s is 10 a second on both pieces.
  TPathAnimator p;
  p.SetPath(TPathType::Open, {TPathSegment::Line(0, 0, 10, 0), TPathSegment::Line(10, 0, 10, 30)});
  p.SetTiming(4, 1);
  TPose r = Step(p, 0.5);
  EXPECT_NEAR(r.x, 5, 1e-9);
  EXPECT_NEAR(r.y, 0, 1e-9);
  EXPECT_NEAR(r.a, 0, 1e-12);
  r = Step(p, 1.0);
  EXPECT_NEAR(r.x, 10, 1e-9);
  EXPECT_NEAR(r.y, 5, 1e-9);
  EXPECT_NEAR(r.a, kPi / 2, 1e-12);  // down the page
  EXPECT_TRUE(r.running);
  EXPECT_NEAR(p.GetProgress(), 0.375, 1e-12);
  // The end: the rest of the frame comes back.
  r = Step(p, 3.0);
  EXPECT_FALSE(r.running);
  EXPECT_NEAR(r.left, 0.5, 1e-9);
  EXPECT_NEAR(r.y, 30, 1e-9);
  // Twice the speed halves the time.
  p.Reset();
  p.UpdateTimeScale(2);
  r = Step(p, 1.0);
  EXPECT_NEAR(r.x, 10, 1e-9);
  EXPECT_NEAR(r.y, 10, 1e-9);
  // Reversed, the run starts at the path's end and the direction stays the path's.
  p.Reset();
  p.SetReverse(true);
  r = Step(p, 0.5);
  EXPECT_NEAR(r.x, 10, 1e-9);
  EXPECT_NEAR(r.y, 20, 1e-9);
  EXPECT_NEAR(p.GetPathProgress(), 0.75, 1e-12);
}

TEST(PathAnimator, CirclesArcsAndCurvesAreWalkedByLength) {
  TPathAnimator c;
  c.SetPath(TPathType::Circle, {TPathSegment::Arc(100, 50, 10, 10)});
  c.SetTiming(4, 1);
  EXPECT_NEAR(c.GetLength(), 2 * kPi * 10, 0.01);
  TPose r = Step(c, 1);  // a quarter turn, clockwise on the page: from the right to the bottom
  EXPECT_NEAR(r.x, 100, 1e-6);
  EXPECT_NEAR(r.y, 60, 1e-6);
  EXPECT_NEAR(std::abs(r.a), kPi, 1e-6);  // heading left
  r = Step(c, 0.5);
  EXPECT_NEAR(r.x, 100 - 10 * std::sqrt(0.5), 1e-6);
  EXPECT_NEAR(r.y, 50 + 10 * std::sqrt(0.5), 1e-6);

  // A line and a half circle in one path keep one speed: 20 + 10 pi.
  TPathAnimator m;
  m.SetPath(TPathType::Mixed, {TPathSegment::Line(-10, 0, 10, 0), TPathSegment::Arc(0, 0, 10, 10, 0, kPi)});
  const double len = 20 + 10 * kPi;
  m.SetTiming(len, 1);  // one unit a second
  r = Step(m, 20 + 5 * kPi);  // half-way round the half circle: straight below the centre
  EXPECT_NEAR(r.x, 0, 1e-3);
  EXPECT_NEAR(r.y, 10, 1e-3);

  // A cubic whose controls bunch at the start: by parameter it would be far past half-way at
  // half time; by length it is in the middle.
  TPathAnimator b;
  b.SetPath(TPathType::Bezier, {TPathSegment::Cubic(0, 0, 1, 0, 2, 0, 30, 0)});
  b.SetTiming(2, 1);
  r = Step(b, 1);
  EXPECT_NEAR(r.x, 15, 0.05);
  EXPECT_NEAR(r.a, 0, 1e-9);
}

TEST(PathAnimator, WaypointsEasingAndSeek) {
  TPathAnimator p;
  p.SetPath(TPathType::Closed, {TPathSegment::Line(0, 0, 10, 0), TPathSegment::Line(10, 0, 10, 10),
                                TPathSegment::Line(10, 10, 0, 10), TPathSegment::Line(0, 10, 0, 0)});
  p.SetTiming(4, 1);
  EXPECT_EQ(p.GetCrossedWaypoints(0, 0.6), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(p.GetCrossedWaypoints(0.25, 1), (std::vector<std::int32_t>{2, 3, 4}));  // not the one it left
  EXPECT_EQ(p.GetCrossedWaypoints(1, 0.4), (std::vector<std::int32_t>{3, 2}));     // backwards, in order
  EXPECT_TRUE(p.GetCrossedWaypoints(0.3, 0.3).empty());

  double x, y, a;
  ASSERT_TRUE(p.Seek(2.5, x, y, a));
  EXPECT_NEAR(x, 5, 1e-9);
  EXPECT_NEAR(y, 10, 1e-9);
  EXPECT_NEAR(p.GetProgress(), 0.625, 1e-12);

  p.Reset();
  p.SetEasing(TPathEasing::EaseInOut);
  TPose r = Step(p, 1);  // a quarter of the time, eased: 0.15625 of the way
  EXPECT_NEAR(p.GetPathProgress(), 0.15625, 1e-12);
  EXPECT_NEAR(r.x, 6.25, 1e-9);
  p.SetEasing(TPathEasing::EaseIn);
  EXPECT_NEAR(p.GetPathProgress(), 0.0625, 1e-12);

  TPathAnimator empty;
  EXPECT_FALSE(empty.Seek(0, x, y, a));
  EXPECT_THROW(p.SetTiming(0, 1), std::invalid_argument);
  EXPECT_THROW(p.UpdateTimeScale(-1), std::invalid_argument);
}
