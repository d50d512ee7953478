#include "ORV.Draw2D.h"

#include <algorithm>
#include <cmath>

#include "ORV.Utils.h"

namespace Orv {

namespace {
constexpr double kPi = 3.14159265358979323846;

// Half-angle of the head: 2.5 degrees per spread step, so the usual spread 8 gives 20 degrees.
double HalfAngle(int spread) { return std::clamp(spread * 2.5, 1.0, 80.0) * kPi / 180.0; }
}  // namespace

std::pair<TPointD, TPointD> TDraw2D::DrawArrowAngle(double x, double y, double angle, int length,
                                                    int spread) {
  const double half = HalfAngle(spread);
  // The barbs sit `length` behind the tip along the axis, symmetric about it.
  const double back = angle + kPi;
  const double side = length * std::tan(half);
  const double bx = x + length * std::cos(back);
  const double by = y + length * std::sin(back);
  const double px = -std::sin(back) * side;
  const double py = std::cos(back) * side;
  return {TPointD{bx + px, by + py}, TPointD{bx - px, by - py}};
}

std::pair<TPointD, TPointD> TDraw2D::DrawArrow(double x1, double y1, double x2, double y2, int length,
                                               int spread) {
  double angle = 0;
  if (x1 != x2 || y1 != y2) angle = std::atan2(y2 - y1, x2 - x1);
  return DrawArrowAngle(x2, y2, angle, length, spread);
}

void TDraw2D::CircleTwoPoints(double x1, double y1, double x2, double y2, std::int64_t& cx,
                              std::int64_t& cy, std::int64_t& r) {
  cx = Utils::RoundHalfAway((x1 + x2) / 2);
  cy = Utils::RoundHalfAway((y1 + y2) / 2);
  r = Utils::RoundHalfAway(std::hypot(x2 - x1, y2 - y1) / 2);
}

bool TDraw2D::CircleThreePoints(double x1, double y1, double x2, double y2, double x3, double y3,
                                std::int64_t& cx, std::int64_t& cy, std::int64_t& r) {
  const double d = 2 * (x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2));
  const double scale = std::max({std::abs(x1), std::abs(x2), std::abs(x3), std::abs(y1), std::abs(y2),
                                 std::abs(y3), 1.0});
  if (std::abs(d) <= 1e-12 * scale * scale) return false;
  const double s1 = x1 * x1 + y1 * y1, s2 = x2 * x2 + y2 * y2, s3 = x3 * x3 + y3 * y3;
  const double ux = (s1 * (y2 - y3) + s2 * (y3 - y1) + s3 * (y1 - y2)) / d;
  const double uy = (s1 * (x3 - x2) + s2 * (x1 - x3) + s3 * (x2 - x1)) / d;
  cx = Utils::RoundHalfAway(ux);
  cy = Utils::RoundHalfAway(uy);
  r = Utils::RoundHalfAway(std::hypot(x1 - ux, y1 - uy));
  return true;
}

bool TDraw2D::ArcThreePoints(TPointD p1, TPointD p2, TPointD p3, TPointD& center, double& radius, double& start,
                             double& sweep) {
  const double d = 2 * (p1.X * (p2.Y - p3.Y) + p2.X * (p3.Y - p1.Y) + p3.X * (p1.Y - p2.Y));
  const double scale = std::max({std::abs(p1.X), std::abs(p2.X), std::abs(p3.X), std::abs(p1.Y), std::abs(p2.Y),
                                 std::abs(p3.Y), 1.0});
  if (std::abs(d) <= 1e-12 * scale * scale) return false;
  const double s1 = p1.X * p1.X + p1.Y * p1.Y, s2 = p2.X * p2.X + p2.Y * p2.Y, s3 = p3.X * p3.X + p3.Y * p3.Y;
  center = {(s1 * (p2.Y - p3.Y) + s2 * (p3.Y - p1.Y) + s3 * (p1.Y - p2.Y)) / d,
            (s1 * (p3.X - p2.X) + s2 * (p1.X - p3.X) + s3 * (p2.X - p1.X)) / d};
  radius = std::hypot(p1.X - center.X, p1.Y - center.Y);
  start = std::atan2(p1.Y - center.Y, p1.X - center.X);
  const double to2 = NormalizeAngle(std::atan2(p2.Y - center.Y, p2.X - center.X) - start);
  const double to3 = NormalizeAngle(std::atan2(p3.Y - center.Y, p3.X - center.X) - start);
  // Clockwise when the middle point comes first on the clockwise way round.
  sweep = to2 <= to3 ? to3 : to3 - 2 * kPi;
  return true;
}

bool TDraw2D::IntersectLines(TPointD p1, TPointD p2, TPointD p3, TPointD p4, bool segment1,
                             bool segment2, TPointD& hit) {
  const double d1x = p2.X - p1.X, d1y = p2.Y - p1.Y;
  const double d2x = p4.X - p3.X, d2y = p4.Y - p3.Y;
  const double den = d1x * d2y - d1y * d2x;
  const double len = std::hypot(d1x, d1y) * std::hypot(d2x, d2y);
  if (len == 0 || std::abs(den) <= 1e-12 * len) return false;
  const double t = ((p3.X - p1.X) * d2y - (p3.Y - p1.Y) * d2x) / den;
  const double u = ((p3.X - p1.X) * d1y - (p3.Y - p1.Y) * d1x) / den;
  if (segment1 && (t < 0 || t > 1)) return false;
  if (segment2 && (u < 0 || u > 1)) return false;
  hit = {p1.X + t * d1x, p1.Y + t * d1y};
  return true;
}

double TDraw2D::NormalizeAngle(double a) {
  a = std::fmod(a, 2 * kPi);
  if (a < 0) a += 2 * kPi;
  if (a >= 2 * kPi) a = 0;
  return a;
}

double TDraw2D::DistanceToSegment(TPointD p, TPointD a, TPointD b) {
  const double dx = b.X - a.X, dy = b.Y - a.Y;
  const double l2 = dx * dx + dy * dy;
  double t = l2 > 0 ? ((p.X - a.X) * dx + (p.Y - a.Y) * dy) / l2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.X - (a.X + t * dx), p.Y - (a.Y + t * dy));
}

}  // namespace Orv
