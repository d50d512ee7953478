#pragma once
// Plane geometry used by items, the factory and the drawing code.

#include <cstdint>
#include <utility>

namespace Orv {

struct TPointD {
  double X = 0;
  double Y = 0;
};

class TDraw2D {
 public:
  // Barb points of an arrow head at (x2, y2) for a segment coming from (x1, y1).
  // The head is `length` long along the segment; `spread` widens it (8 is the usual head).
  static std::pair<TPointD, TPointD> DrawArrow(double x1, double y1, double x2, double y2, int length,
                                               int spread);
  // The same head at (x, y) pointing in the direction `angle` (radians, y-down).
  static std::pair<TPointD, TPointD> DrawArrowAngle(double x, double y, double angle, int length,
                                                    int spread);
  // Circle whose diameter is the segment between the two points.
  static void CircleTwoPoints(double x1, double y1, double x2, double y2, std::int64_t& cx,
                              std::int64_t& cy, std::int64_t& r);
  // Circle through three points; false when they are collinear (or coincide).
  static bool CircleThreePoints(double x1, double y1, double x2, double y2, double x3, double y3,
                                std::int64_t& cx, std::int64_t& cy, std::int64_t& r);
  // The circular arc that starts at p1, passes p2 and ends at p3: centre, radius, start angle and
  // signed sweep (radians, y-down: positive runs clockwise on the page). False when the points are
  // collinear or coincide.
  static bool ArcThreePoints(TPointD p1, TPointD p2, TPointD p3, TPointD& center, double& radius, double& start,
                             double& sweep);
  // Intersection of lines p1-p2 and p3-p4; the segment flags limit the hit to the segments.
  static bool IntersectLines(TPointD p1, TPointD p2, TPointD p3, TPointD p4, bool segment1,
                             bool segment2, TPointD& hit);
  // Angle in [0, 2π).
  static double NormalizeAngle(double a);
  // Distance from p to the segment a-b.
  static double DistanceToSegment(TPointD p, TPointD a, TPointD b);
};

}  // namespace Orv
