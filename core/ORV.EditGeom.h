#pragma once
// Small plane helpers shared by the editing geometry of the item kinds and by snapping.

#include <cmath>
#include <cstdint>
#include <vector>

#include "ORV.Base.h"
#include "ORV.Pto.h"
#include "ORV.Utils.h"

namespace Orv::EditGeom {

constexpr double kPi = 3.14159265358979323846;

inline std::int64_t Round(double v) { return Utils::RoundHalfAway(v); }

inline double Dist(double x1, double y1, double x2, double y2) { return std::hypot(x2 - x1, y2 - y1); }
inline double Dist(const TORVPto& a, const TORVPto& b) { return Dist(double(a.X), double(a.Y), double(b.X), double(b.Y)); }

// Distance from (x, y) to the segment a-b.
inline double DistSeg(double x, double y, const TORVPto& a, const TORVPto& b) {
  const double ax = double(a.X), ay = double(a.Y), dx = double(b.X) - ax, dy = double(b.Y) - ay;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return Dist(x, y, ax + t * dx, ay + t * dy);
}

// Maps a coordinate from [f1, f2] into [t1, t2]; a box without extent maps to the start.
inline std::int64_t MapAxis(std::int64_t v, std::int64_t f1, std::int64_t f2, std::int64_t t1, std::int64_t t2) {
  if (f2 == f1) return t1 + (v - f1);
  return t1 + Round(double(v - f1) * double(t2 - t1) / double(f2 - f1));
}
inline TORVPto MapPoint(const TORVPto& p, const TORVBounds& from, const TORVBounds& to) {
  return {MapAxis(p.X, from.X1, from.X2, to.X1, to.X2), MapAxis(p.Y, from.Y1, from.Y2, to.Y1, to.Y2)};
}

// (x, y) turned by `angle` radians about (cx, cy); positive turns clockwise on the y-down page.
inline TORVPto RotatePoint(const TORVPto& p, std::int64_t cx, std::int64_t cy, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double dx = double(p.X - cx), dy = double(p.Y - cy);
  return {cx + Round(dx * c - dy * s), cy + Round(dx * s + dy * c)};
}

// The number of clockwise quarter turns when `angle` is a whole multiple of 90°, else -1.
inline int QuarterTurns(double angle) {
  const double q = angle / (kPi / 2);
  const double r = std::round(q);
  if (std::abs(q - r) > 1e-6) return -1;
  return static_cast<int>(((static_cast<long long>(r) % 4) + 4) % 4);
}

// Angle in [0, 2π).
inline double Norm(double a) {
  a = std::fmod(a, 2 * kPi);
  return a < 0 ? a + 2 * kPi : a;
}

// Whether the direction `a` lies on the sweep from `start` (signed, radians).
inline bool AngleOnSweep(double a, double start, double sweep) {
  if (std::abs(sweep) >= 2 * kPi - 1e-12) return true;
  if (sweep >= 0) return Norm(a - start) <= sweep + 1e-9;
  return Norm(start - a) <= -sweep + 1e-9;
}

inline bool Inside(const TORVBounds& b, std::int64_t x, std::int64_t y, std::int64_t tol = 0) {
  return x >= b.X1 - tol && x <= b.X2 + tol && y >= b.Y1 - tol && y <= b.Y2 + tol;
}

// Even-odd test of a closed polygon.
inline bool InPolygon(const std::vector<TORVPto>& pts, double x, double y) {
  bool in = false;
  const std::size_t n = pts.size();
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const double xi = double(pts[i].X), yi = double(pts[i].Y), xj = double(pts[j].X), yj = double(pts[j].Y);
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
  }
  return in;
}

// The box of two corners, ordered.
inline TORVBounds BoxOf(const TORVPto& a, const TORVPto& b) {
  TORVBounds r;
  r.Add(a);
  r.Add(b);
  return r;
}

inline TORVPto Mid(const TORVPto& a, const TORVPto& b) { return {(a.X + b.X) / 2, (a.Y + b.Y) / 2}; }

inline std::int64_t HalfPen(const TPLNBaseItem* it) { return static_cast<std::int64_t>(it->GetPenWidth() / 2); }

// Within `tol` of the closed (or open) outline through `pts`.
inline bool NearOutline(const std::vector<TORVPto>& pts, bool closed, double x, double y, double tol) {
  const std::size_t n = pts.size();
  if (n == 0) return false;
  if (n == 1) return Dist(x, y, double(pts[0].X), double(pts[0].Y)) <= tol;
  for (std::size_t i = 0; i + 1 < n; ++i)
    if (DistSeg(x, y, pts[i], pts[i + 1]) <= tol) return true;
  return closed && n > 2 && DistSeg(x, y, pts[n - 1], pts[0]) <= tol;
}

// Point handles of every point, and an insertion handle in the middle of every edge.
inline void PointHandles(const TPLNBaseItem* it, bool closed, std::vector<TORVSelPoint>& out) {
  const auto& pts = it->Points();
  const int n = static_cast<int>(pts.size());
  auto* item = const_cast<TPLNBaseItem*>(it);
  for (int i = 0; i < n; ++i) out.push_back({pts[i], TORVHandleKind::Point, i + 1, item});
  for (int i = 0; i + 1 < n; ++i) out.push_back({Mid(pts[i], pts[i + 1]), TORVHandleKind::InsertPoint, i + 1, item});
  if (closed && n > 2) out.push_back({Mid(pts[n - 1], pts[0]), TORVHandleKind::InsertPoint, n, item});
}

}  // namespace Orv::EditGeom
