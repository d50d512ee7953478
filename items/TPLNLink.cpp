#include "TPLNLink.h"

#include <cmath>

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using Orv::F2d::TORVinkType;
using Orv::F2d::TORVLinkGeom;

namespace {

constexpr double kDeg = 180.0 / 3.14159265358979323846;
// Both terminators of a link: the document's size, paper millimetres at any zoom and drawing
// scale.
float LinkTermMM(const TPLNBaseItem& link) { return link.Owner() ? link.Owner()->Settings().GetTermSize() : TPLNSettings().GetTermSize(); }

// The route of a link on one device: the same figure for the screen and the paper, so both pass
// through the same points.
struct TLinkRoute {
  enum class Shape { Line, Lines, Arc, Cubics };
  Shape Kind = Shape::Line;
  // Line: start and end. Lines: start, the route points, end. Cubics: start, then (control,
  // control, end) for each segment.
  std::vector<QPointF> Pts;
  // Arc: the circle on the device and Skia angles (degrees, clockwise on y-down).
  QPointF Centre;
  QPointF Radius;
  float StartDeg = 0, SweepDeg = 0;
  // Where each terminator points from its end.
  QPointF From, To, FromAim, ToAim;
};

// The first point of [first, last) that is not `at`: a route whose first leg has no length still
// aims its terminator down the route. `at` itself when every point is there.
template <class It>
QPointF FirstAway(const QPointF& at, It first, It last) {
  for (; first != last; ++first)
    if (*first != at) return *first;
  return at;
}

// `pos` maps a document point (base units, fractional for a circle's centre) to the device.
template <class Pos>
TLinkRoute MakeRoute(const TORVLinkGeom& g, TORVinkType type, double pixX, double pixY, Pos pos) {
  TLinkRoute r;
  auto at = [&](const TORVPto& p) { return pos(double(p.X), double(p.Y)); };
  r.From = at(g.Start);
  r.To = at(g.End);
  switch (type) {
    case TORVinkType::Arc:
      if (g.HasCircle) {
        r.Kind = TLinkRoute::Shape::Arc;
        r.Centre = pos(g.CX, g.CY);
        r.Radius = QPointF(g.Radius * pixX, g.Radius * pixY);
        r.StartDeg = float(g.StartAngle * kDeg);
        r.SweepDeg = float(g.Sweep * kDeg);
      } else {
        r.Pts = {r.From, r.To};
      }
      // The core puts points along the arc's tangents into the controls.
      r.FromAim = at(g.C1);
      r.ToAim = at(g.C2);
      break;
    case TORVinkType::Curve:
      r.Kind = TLinkRoute::Shape::Cubics;
      r.Pts = {r.From, at(g.C1), at(g.C2), r.To};
      r.FromAim = r.Pts[1];
      r.ToAim = r.Pts[2];
      break;
    case TORVinkType::Round:
      if (g.Points.size() == 14) {
        r.Kind = TLinkRoute::Shape::Cubics;
        r.Pts.push_back(r.From);
        for (const TORVPto& p : g.Points) r.Pts.push_back(at(p));
        r.Pts.push_back(r.To);
        break;
      }
      [[fallthrough]];  // a route the core did not round is drawn straight
    default:
      r.Kind = g.Points.empty() ? TLinkRoute::Shape::Line : TLinkRoute::Shape::Lines;
      r.Pts.push_back(r.From);
      for (const TORVPto& p : g.Points) r.Pts.push_back(at(p));
      r.Pts.push_back(r.To);
      break;
  }
  if (type != TORVinkType::Arc && type != TORVinkType::Curve) {
    // Along the route from each end: the other end on a direct link, the nearest route point
    // otherwise (on a rounded route that is the tangent of its first and last segment).
    r.FromAim = FirstAway(r.From, r.Pts.begin() + 1, r.Pts.end());
    r.ToAim = FirstAway(r.To, r.Pts.rbegin() + 1, r.Pts.rend());
  }
  return r;
}

}  // namespace

void TPLNLink::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  TORVLinkGeom g;
  if (!d || !d->kC || !Geometry(g)) return;
  const TLinkRoute r = MakeRoute(g, GetLinkType(), d->PixPerBaseX, d->PixPerBaseY, [d](double x, double y) {
    return QPointF(x * d->PixPerBaseX + d->OriginX, y * d->PixPerBaseY + d->OriginY);
  });
  SetupPen(d, *this);
  TSkPaint& p = *d->kP;
  p.AntiAlias = true;
  ISkCanvas& c = *d->kC;
  switch (r.Kind) {
    case TLinkRoute::Shape::Line:
      c.DrawLine(float(r.Pts[0].x()), float(r.Pts[0].y()), float(r.Pts[1].x()), float(r.Pts[1].y()), p);
      break;
    case TLinkRoute::Shape::Arc: {
      const QRectF oval(r.Centre - r.Radius, r.Centre + r.Radius);
      c.DrawArc(oval, r.StartDeg, r.SweepDeg, false, p);
      break;
    }
    case TLinkRoute::Shape::Lines:
    case TLinkRoute::Shape::Cubics: {
      TSkPathBuilder b;
      b.MoveTo(float(r.Pts[0].x()), float(r.Pts[0].y()));
      if (r.Kind == TLinkRoute::Shape::Lines) {
        for (std::size_t i = 1; i < r.Pts.size(); ++i) b.LineTo(float(r.Pts[i].x()), float(r.Pts[i].y()));
      } else {
        for (std::size_t i = 1; i + 2 < r.Pts.size(); i += 3)
          b.CubicTo(float(r.Pts[i].x()), float(r.Pts[i].y()), float(r.Pts[i + 1].x()), float(r.Pts[i + 1].y()),
                    float(r.Pts[i + 2].x()), float(r.Pts[i + 2].y()));
      }
      c.DrawPath(b.Detach(), p);
      break;
    }
  }
  // DrawTermType drops the dash: terminators stay solid on a dashed link.
  DrawItemTerm(d, GetFromType(), GetColor(), GetFromColor(), LinkTermMM(*this), r.From, r.FromAim);
  DrawItemTerm(d, GetToType(), GetColor(), GetToColor(), LinkTermMM(*this), r.To, r.ToAim);
}

void TPLNLink::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  TORVLinkGeom g;
  if (!d || !d->pC || !Geometry(g)) return;
  const TLinkRoute r = MakeRoute(g, GetLinkType(), d->PixPerBaseX, d->PixPerBaseY, [d](double x, double y) {
    return QPointF(x * d->PixPerBaseX + d->IOriginX, y * d->PixPerBaseY + d->IOriginY);
  });
  IPrintCanvas& c = *d->pC;
  SetupPrintPen(d, *this);
  switch (r.Kind) {
    case TLinkRoute::Shape::Line: c.DrawLine(r.Pts[0], r.Pts[1], 1); break;
    case TLinkRoute::Shape::Arc: c.DrawArc(r.Centre, r.Radius, r.StartDeg, r.SweepDeg, 1); break;
    case TLinkRoute::Shape::Lines:
    case TLinkRoute::Shape::Cubics: {
      // One path, not a line per leg: the corners join mitred and a dash runs on round them.
      TPathData path;
      path.MoveTo(r.Pts[0]);
      if (r.Kind == TLinkRoute::Shape::Lines) {
        for (std::size_t i = 1; i < r.Pts.size(); ++i) path.LineTo(r.Pts[i]);
      } else {
        for (std::size_t i = 1; i + 2 < r.Pts.size(); i += 3) path.CurveTo(r.Pts[i], r.Pts[i + 1], r.Pts[i + 2]);
      }
      c.DrawPath(path, 1);
      break;
    }
  }
  PrintItemTerm(d, GetFromType(), GetFromColor(), LinkTermMM(*this), r.From, r.FromAim, false);
  PrintItemTerm(d, GetToType(), GetToColor(), LinkTermMM(*this), r.To, r.ToAim, false);
}

TPLNLink* TPLNLink::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNLink>(owner, version, r, readType);
}
TPLNLink* TPLNLink::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNLink>(owner, version, o);
}

}  // namespace Orv::Fmx
