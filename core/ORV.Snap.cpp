// Hit testing and snapping: which item lies under the pointer, and which characteristic point of
// the items near it. Both ask the document's spatial index for the items near the pointer only.

#include <algorithm>
#include <cmath>

#include "ORV.Base.h"
#include "ORV.Dim.h"
#include "ORV.Draw2D.h"
#include "ORV.EditGeom.h"
#include "ORV.F2d.h"
#include "ORV.Line.h"

namespace Orv {

using namespace EditGeom;

namespace {

TORVBounds Around(std::int64_t x, std::int64_t y, std::int64_t tol) { return {x - tol, y - tol, x + tol, y + tol}; }

// Flat: one piece of a curve sampled into a polyline (Ellipse: of an ellipse), from item Owner.
struct TSeg {
  TPointD A, B;
  int Owner = 0;
  bool Flat = false;
  bool Ellipse = false;
};
// A circle, or an arc of it (Sweep signed radians; a full turn for circles); with Ry > 0 a whole
// ellipse of half axes R (along x) and Ry.
struct TRound {
  TPointD C;
  double R = 0;
  double Start = 0;
  double Sweep = 2 * kPi;
  double Ry = 0;
};

// Pieces per turn of a sampled ellipse and per Bézier segment: fine enough that a snapped point
// is off the true curve by far less than a pointer's tolerance.
constexpr int kEllipseSteps = 96;
constexpr int kBezierSteps = 32;
// A second look-up for the centres of arcs whose own bounds miss the pointer reaches this many
// tolerances around it.
constexpr std::int64_t kCentreReach = 100;

TPointD D(const TORVPto& p) { return {double(p.X), double(p.Y)}; }

// The straight edges and the circles of an item, for intersections, tangents and perpendiculars.
void Geometry(const TPLNBaseItem* it, int owner, std::vector<TSeg>& segs, std::vector<TRound>& rounds) {
  const auto& p = it->Points();
  auto chain = [&](std::size_t n, bool closed) {
    for (std::size_t i = 0; i + 1 < n; ++i) segs.push_back({D(p[i]), D(p[i + 1]), owner});
    if (closed && n > 2) segs.push_back({D(p[n - 1]), D(p[0]), owner});
  };
  auto seg = [&](int a, int b) {
    if (p[a - 1] != p[b - 1]) segs.push_back({D(p[a - 1]), D(p[b - 1]), owner});
  };
  switch (it->KindCode()) {
    case Kind::Line:
    case Kind::PolyLine: chain(p.size(), false); break;
    case Kind::ArrowLine: chain(std::min<std::size_t>(p.size(), 2), false); break;
    case Kind::Polygon: chain(p.size(), true); break;
    case Kind::Rectangle:
      if (p.size() >= 2) {
        const TORVBounds b = BoxOf(p[0], p[1]);
        const TPointD a{double(b.X1), double(b.Y1)}, c{double(b.X2), double(b.Y1)}, e{double(b.X2), double(b.Y2)},
            f{double(b.X1), double(b.Y2)};
        segs.insert(segs.end(), {{a, c, owner}, {c, e, owner}, {e, f, owner}, {f, a, owner}});
      }
      break;
    case Kind::Circle:
      if (auto* c = dynamic_cast<const F2d::TPLNBaseCircle*>(it)) rounds.push_back({D(c->Center()), double(c->Radius())});
      break;
    case Kind::Arc:
      if (auto* a = dynamic_cast<const Line::TPLNBaseArc*>(it))
        rounds.push_back({D(a->GetCenter()), double(a->GetRadius()), a->GetAngleStart(), a->GetAngleSweep()});
      break;
    case Kind::Sector:
      if (auto* s = dynamic_cast<const F2d::TPLNBaseSector*>(it)) {
        const TPointD c{double(s->GetBaseCenterX()), double(s->GetBaseCenterY())};
        rounds.push_back({c, double(s->GetBaseRadio()), s->GetAngleStart() * kPi / 180, s->GetAngleGap() * kPi / 180});
        if (std::abs(s->GetAngleGap()) < 360) {
          segs.push_back({c, D(s->ArcPoint(s->GetAngleStart())), owner});
          segs.push_back({c, D(s->ArcPoint(s->GetAngleStart() + s->GetAngleGap())), owner});
        }
      }
      break;
    case Kind::Ellipse:
      if (p.size() >= 2) {
        const TORVBounds b = BoxOf(p[0], p[1]);
        const TPointD c{(b.X1 + b.X2) / 2.0, (b.Y1 + b.Y2) / 2.0};
        const double rx = (b.X2 - b.X1) / 2.0, ry = (b.Y2 - b.Y1) / 2.0;
        if (rx <= 0 || ry <= 0) {
          segs.push_back({{double(b.X1), double(b.Y1)}, {double(b.X2), double(b.Y2)}, owner});
          break;
        }
        // Exact against straight edges; sampled against every other curve.
        rounds.push_back({c, rx, 0, 2 * kPi, ry});
        TPointD prev{c.X + rx, c.Y};
        for (int k = 1; k <= kEllipseSteps; ++k) {
          const double a = 2 * kPi * k / kEllipseSteps;
          const TPointD q{c.X + rx * std::cos(a), c.Y + ry * std::sin(a)};
          segs.push_back({prev, q, owner, true, true});
          prev = q;
        }
      }
      break;
    case Kind::Bezier:
      if (auto* bz = dynamic_cast<const F2d::TPLNBaseBezier*>(it)) {
        const std::vector<TORVPto> flat = bz->Flatten(kBezierSteps);
        for (std::size_t i = 0; i + 1 < flat.size(); ++i)
          if (flat[i] != flat[i + 1]) segs.push_back({D(flat[i]), D(flat[i + 1]), owner, true});
      }
      break;
    case Kind::Dim:
      if (auto* d = dynamic_cast<const Line::TPLNBaseDim*>(it); d && p.size() >= 8) {
        if (Line::IsLinearDim(d->GetDimType())) {
          seg(5, 6), seg(3, 7), seg(4, 8);
        } else if (d->GetDimType() == Line::TORDimType::Angle) {
          seg(1, 2), seg(3, 4);
          TRound r;
          if (TDraw2D::ArcThreePoints(D(p[4]), D(p[6]), D(p[5]), r.C, r.R, r.Start, r.Sweep)) rounds.push_back(r);
        } else {
          seg(1, 2), seg(3, 4);
        }
      }
      break;
    default: break;
  }
}

bool OnRound(const TRound& r, TPointD p) {
  return r.Ry > 0 || AngleOnSweep(std::atan2(p.Y - r.C.Y, p.X - r.C.X), r.Start, r.Sweep);
}

// An ellipse is the circle of radius R stretched along y by Ry / R: these map between the two.
TPointD ToCircle(const TRound& r, TPointD p) { return r.Ry > 0 ? TPointD{p.X, r.C.Y + (p.Y - r.C.Y) * r.R / r.Ry} : p; }
TPointD FromCircle(const TRound& r, TPointD p) { return r.Ry > 0 ? TPointD{p.X, r.C.Y + (p.Y - r.C.Y) * r.Ry / r.R} : p; }

bool OnSeg(const TSeg& s, TPointD p) {
  const double dx = s.B.X - s.A.X, dy = s.B.Y - s.A.Y, len2 = dx * dx + dy * dy;
  if (len2 == 0) return false;
  const double t = ((p.X - s.A.X) * dx + (p.Y - s.A.Y) * dy) / len2;
  return t >= -1e-9 && t <= 1 + 1e-9;
}

void SegRound(const TSeg& seg, const TRound& r, std::vector<TPointD>& out) {
  const TSeg s{ToCircle(r, seg.A), ToCircle(r, seg.B)};
  const double dx = s.B.X - s.A.X, dy = s.B.Y - s.A.Y;
  const double fx = s.A.X - r.C.X, fy = s.A.Y - r.C.Y;
  const double a = dx * dx + dy * dy, b = 2 * (fx * dx + fy * dy), c = fx * fx + fy * fy - r.R * r.R;
  const double disc = b * b - 4 * a * c;
  if (a == 0 || disc < 0) return;
  for (double sign : {-1.0, 1.0}) {
    const double t = (-b + sign * std::sqrt(disc)) / (2 * a);
    const TPointD p{s.A.X + t * dx, s.A.Y + t * dy};
    if (t >= -1e-9 && t <= 1 + 1e-9 && OnRound(r, p)) out.push_back(FromCircle(r, p));
  }
}

void RoundRound(const TRound& a, const TRound& b, std::vector<TPointD>& out) {
  const double dx = b.C.X - a.C.X, dy = b.C.Y - a.C.Y, d = std::hypot(dx, dy);
  if (d == 0 || d > a.R + b.R || d < std::abs(a.R - b.R)) return;
  const double l = (a.R * a.R - b.R * b.R + d * d) / (2 * d), h = std::sqrt(std::max(0.0, a.R * a.R - l * l));
  const double mx = a.C.X + l * dx / d, my = a.C.Y + l * dy / d;
  for (double sign : {-1.0, 1.0}) {
    const TPointD p{mx - sign * h * dy / d, my + sign * h * dx / d};
    if (OnRound(a, p) && OnRound(b, p)) out.push_back(p);
  }
}

}  // namespace

TPLNBaseItem* TPLNBaseLabel::PickItemAt(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (tolerance < 0) tolerance = 0;
  thread_local std::vector<int> hits;
  hits.clear();
  ItemsIn(Around(x, y, tolerance), hits);
  // The topmost first: the last drawn wins.
  for (auto i = hits.rbegin(); i != hits.rend(); ++i) {
    TPLNBaseItem* it = fItems[*i - 1].get();
    if (it->IsPreview() || !it->HasOptions(Opt::Visible | Opt::Selectable)) continue;
    if (it->Pick(x, y, tolerance)) return it;
  }
  return nullptr;
}

bool TPLNBaseLabel::SearchPoint(std::int64_t x, std::int64_t y, std::int64_t tolerance, TORVSnap kind, TORVRef& ref,
                                bool /*flag*/) {
  ref.Found = false;
  if (tolerance < 0) return false;
  std::vector<int> hits;
  ItemsIn(Around(x, y, tolerance), hits);
  const TPointD at{double(x), double(y)};
  double best = double(tolerance);
  bool found = false;
  TPointD pick{};
  auto consider = [&](TPointD p) {
    const double d = std::hypot(p.X - at.X, p.Y - at.Y);
    if (d <= best) {
      best = d;
      pick = p;
      found = true;
    }
  };
  std::vector<TORVPto> pts;
  std::vector<TSeg> segs;
  std::vector<TRound> rounds;
  for (int i : hits) {
    const TPLNBaseItem* it = fItems[i - 1].get();
    if (it->IsPreview() || !it->HasOptions(Opt::Visible)) continue;
    switch (kind) {
      case snPoint:
      case snMiddlePoint:
      case snCenterPoint:
      case snEndPoint:
      case snRefSymbol:
        // No item kind carries a symbol reference yet, so snRefSymbol finds nothing.
        pts.clear();
        it->SnapPoints(kind, pts);
        for (const TORVPto& p : pts) consider(D(p));
        break;
      case snCrossPoint:
      case snTangentPoint:
      case snPerpendicularPoint: Geometry(it, i, segs, rounds); break;
      default: break;
    }
  }
  if (kind == snCenterPoint) {
    // An arc far from its centre does not reach the pointer with its bounds: a wider look-up
    // for the round kinds, whose centres are all that is asked of them.
    std::vector<int> wide;
    ItemsIn(Around(x, y, tolerance * kCentreReach), wide);
    for (int i : wide) {
      const TPLNBaseItem* it = fItems[i - 1].get();
      if (it->KindCode() != Kind::Arc || it->IsPreview() || !it->HasOptions(Opt::Visible)) continue;
      if (std::binary_search(hits.begin(), hits.end(), i)) continue;
      if (auto* a = dynamic_cast<const Line::TPLNBaseArc*>(it)) consider(D(a->GetCenter()));
    }
  }
  if (kind == snCrossPoint) {
    std::vector<TPointD> cross;
    for (std::size_t a = 0; a < segs.size(); ++a)
      for (std::size_t b = a + 1; b < segs.size(); ++b) {
        const TSeg &s = segs[a], &t = segs[b];
        // The pieces of one sampled curve meet only where they join.
        if ((s.Flat || t.Flat) && s.Owner == t.Owner) continue;
        // Straight edges meet an ellipse exactly below, not its samples.
        if ((s.Ellipse && !t.Flat) || (t.Ellipse && !s.Flat)) continue;
        TPointD h;
        if (TDraw2D::IntersectLines(s.A, s.B, t.A, t.B, true, true, h)) cross.push_back(h);
      }
    // An ellipse meets other curves by its samples; circles and arcs meet everything exactly.
    for (const TSeg& s : segs)
      for (const TRound& r : rounds)
        if (r.Ry <= 0 || !s.Flat) SegRound(s, r, cross);
    for (std::size_t a = 0; a < rounds.size(); ++a)
      for (std::size_t b = a + 1; b < rounds.size(); ++b)
        if (rounds[a].Ry <= 0 && rounds[b].Ry <= 0) RoundRound(rounds[a], rounds[b], cross);
    for (const TPointD& p : cross) consider(p);
  } else if (kind == snTangentPoint && ref.RefFound) {
    for (const TRound& r : rounds) {
      // Tangency survives the stretch between an ellipse and its circle.
      const TPointD q = ToCircle(r, D(ref.RefPoint));
      const double dx = q.X - r.C.X, dy = q.Y - r.C.Y, d = std::hypot(dx, dy);
      if (d <= r.R || r.R <= 0) continue;
      // The two points where the lines from the reference point touch the circle.
      const double base = std::atan2(dy, dx), off = std::acos(r.R / d);
      for (double a : {base + off, base - off}) {
        const TPointD p{r.C.X + r.R * std::cos(a), r.C.Y + r.R * std::sin(a)};
        if (OnRound(r, p)) consider(FromCircle(r, p));
      }
    }
  } else if (kind == snPerpendicularPoint && ref.RefFound) {
    const TPointD q = D(ref.RefPoint);
    for (const TSeg& s : segs) {
      const double dx = s.B.X - s.A.X, dy = s.B.Y - s.A.Y, len2 = dx * dx + dy * dy;
      if (len2 == 0) continue;
      const double t = ((q.X - s.A.X) * dx + (q.Y - s.A.Y) * dy) / len2;
      const TPointD foot{s.A.X + t * dx, s.A.Y + t * dy};
      if (OnSeg(s, foot)) consider(foot);
    }
  }
  if (!found) return false;
  ref.P = {Round(pick.X), Round(pick.Y)};
  ref.Found = true;
  return true;
}

}  // namespace Orv
