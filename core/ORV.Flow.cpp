#include "ORV.Flow.h"

#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <mutex>

#include "ORV.Draw2D.h"
#include "ORV.Json.h"
#include "ORV.Utils.h"

namespace Orv {

using Utils::RoundHalfAway;

namespace {

constexpr double kPi = 3.14159265358979323846;

TORVBounds PointsBox(const std::vector<TORVPto>& pts) {
  TORVBounds b;
  for (const TORVPto& p : pts) b.Add(p);
  return b;
}

TORVPto Centre(const TORVBounds& b) { return {b.X1 + (b.X2 - b.X1) / 2, b.Y1 + (b.Y2 - b.Y1) / 2}; }

// Where a connector's line into the ellipse inscribed in `box` meets it: towards the centre
// from a corner, square to the side elsewhere.
TORVPto EllipseConnector(const TORVBounds& box, int index) {
  const TORVPto on = F2d::BoxConnector(box, index);
  const double cx = (box.X1 + box.X2) / 2.0, cy = (box.Y1 + box.Y2) / 2.0;
  const double rx = (box.X2 - box.X1) / 2.0, ry = (box.Y2 - box.Y1) / 2.0;
  const double dx = on.X - cx, dy = on.Y - cy;
  if (rx <= 0 || ry <= 0 || (dx == 0 && dy == 0)) return on;
  if ((index - 1) % 4 == 0) {
    const double t = 1.0 / std::sqrt((dx * dx) / (rx * rx) + (dy * dy) / (ry * ry));
    return {RoundHalfAway(cx + dx * t), RoundHalfAway(cy + dy * t)};
  }
  const int side = F2d::ConnectorSide(index);
  if (side == 0 || side == 2) {
    const double k = std::sqrt(std::max(0.0, 1 - (dx * dx) / (rx * rx)));
    return {on.X, RoundHalfAway(cy + (side == 0 ? -ry : ry) * k)};
  }
  const double k = std::sqrt(std::max(0.0, 1 - (dy * dy) / (ry * ry)));
  return {RoundHalfAway(cx + (side == 3 ? -rx : rx) * k), on.Y};
}

}  // namespace

// ---------------------------------------------------------------- connectors of every item

TORVBounds TPLNBaseItem::LinkBox() const { return PointsBox(fPoints); }

namespace {

// The item's connector box and the connector asked for, 0 taken as the side centre facing
// `toward`; false when the item has no such connector.
bool FindConnector(const TPLNBaseItem& item, int& index, const TORVPto& toward, TORVBounds& box) {
  if (item.LinkPointCount() == 0) return false;
  box = item.LinkBox();
  if (box.IsEmpty()) return false;
  if (index == 0) index = F2d::FacingConnector(box, toward);
  return item.HasLinkPoint(index);
}

// Round figures take their links on the outline, not in the air at a corner of the box.
bool OvalLinkPoint(const TPLNBaseItem& item, int index, const TORVPto& toward, TORVPto& p) {
  TORVBounds box;
  if (!FindConnector(item, index, toward, box)) return false;
  p = EllipseConnector(box, index);
  return true;
}

}  // namespace

bool TPLNBaseItem::LinkPoint(int index, const TORVPto& toward, TORVPto& p) const {
  TORVBounds box;
  if (!FindConnector(*this, index, toward, box)) return false;
  p = F2d::BoxConnector(box, index);
  return true;
}

bool F2d::TPLNBaseEllipse::LinkPoint(int index, const TORVPto& toward, TORVPto& p) const {
  return OvalLinkPoint(*this, index, toward, p);
}

bool F2d::TPLNBaseCircle::LinkPoint(int index, const TORVPto& toward, TORVPto& p) const {
  return OvalLinkPoint(*this, index, toward, p);
}

bool Base::TPLNBasePoint::LinkPoint(int /*index*/, const TORVPto& /*toward*/, TORVPto& p) const {
  if (fPoints.empty()) return false;
  p = fPoints.front();
  return true;
}

// ---------------------------------------------------------------- document lookups

void TPLNBaseLabel::RebuildLookups() const {
  if (fLookupGen == fItemsGen) return;
  fByID.clear();
  fLinksByEnd.clear();
  fByID.reserve(fItems.size());
  for (const auto& it : fItems) {
    // The first item with an identifier wins, as a linear search would find it.
    fByID.emplace(it->fID, it.get());
    if (it->KindCode() != Kind::Link) continue;
    auto* link = static_cast<F2d::TPLNBaseLink*>(it.get());
    fLinksByEnd.emplace(link->GetFromID(), link);
    if (link->GetToID() != link->GetFromID()) fLinksByEnd.emplace(link->GetToID(), link);
  }
  fLookupGen = fItemsGen;
}

void TPLNBaseLabel::LinksOf(const TPLNBaseItem* item, std::vector<F2d::TPLNBaseLink*>& out) const {
  out.clear();
  if (!item) return;
  std::lock_guard lock(fLookupLock);
  RebuildLookups();
  // Only the item the identifier stands for: a duplicate identifier holds no links.
  const auto owner = fByID.find(item->fID);
  if (owner == fByID.end() || owner->second != item) return;
  const auto [from, to] = fLinksByEnd.equal_range(item->fID);
  for (auto it = from; it != to; ++it) out.push_back(it->second);
}

void TPLNBaseLabel::EndMoved(const TPLNBaseItem* item) {
  // While a file, a paste or an undo step is read, identifiers and ends are still settling:
  // every link is looked at again at the next query instead.
  if (IsReading()) {
    fLinksStale = true;
    return;
  }
  std::vector<F2d::TPLNBaseLink*> links;
  LinksOf(item, links);
  // Outside the lookup lock: the index's lock is taken while it asks links for their bounds.
  for (F2d::TPLNBaseLink* link : links) fIndex.Changed(link);
}

void TPLNBaseLabel::ItemEntered(TPLNBaseItem* item) {
  std::lock_guard lock(fLookupLock);
  if (fLookupGen != fItemsGen) return;  // rebuilt at the next use anyway
  // Called while the item is being constructed: nothing virtual may be asked of it. A new link
  // has no ends yet; they enter with LinkEndsChanged.
  fByID.emplace(item->fID, item);
}

void TPLNBaseLabel::LinkEndsChanged(F2d::TPLNBaseLink* link, std::int32_t oldFrom, std::int32_t oldTo) {
  std::lock_guard lock(fLookupLock);
  if (fLookupGen != fItemsGen) return;
  for (std::int32_t id : {oldFrom, oldTo}) {
    const auto [from, to] = fLinksByEnd.equal_range(id);
    for (auto it = from; it != to; ++it)
      if (it->second == link) {
        fLinksByEnd.erase(it);
        break;
      }
  }
  fLinksByEnd.emplace(link->GetFromID(), link);
  if (link->GetToID() != link->GetFromID()) fLinksByEnd.emplace(link->GetToID(), link);
}

void TPLNBaseLabel::CheckStaleLinks() const {
  if (!fLinksStale || IsReading()) return;
  fLinksStale = false;
  for (const auto& it : fItems)
    if (it->KindCode() == Kind::Link) fIndex.Changed(it.get());
}

void TPLNBaseLabel::RelinkPasted(const std::vector<TPLNBaseItem*>& pasted, const std::vector<std::int32_t>& oldIDs) {
  std::unordered_map<std::int32_t, std::int32_t> renamed;
  for (std::size_t i = 0; i < pasted.size() && i < oldIDs.size(); ++i) renamed.emplace(oldIDs[i], pasted[i]->GetID());
  for (TPLNBaseItem* it : pasted) {
    if (it->KindCode() != Kind::Link) continue;
    auto* link = static_cast<F2d::TPLNBaseLink*>(it);
    // An end that was not pasted with the link stays tied to the item it was tied to.
    if (auto f = renamed.find(link->GetFromID()); f != renamed.end()) link->SetFromID(f->second);
    if (auto f = renamed.find(link->GetToID()); f != renamed.end()) link->SetToID(f->second);
  }
}

bool TPLNBaseLabel::SearchLink(std::int64_t x, std::int64_t y, TORVink& link) {
  return SearchLink(x, y, 0, link, nullptr);
}

bool TPLNBaseLabel::SearchLink(std::int64_t x, std::int64_t y, std::int64_t tolerance, TORVink& link,
                               const TPLNBaseItem* except) const {
  link = TORVink{};
  const std::int64_t tol = std::max<std::int64_t>(tolerance, 0);
  std::vector<int> hits;
  ItemsIn({x - tol, y - tol, x + tol, y + tol}, hits);
  double best = -1;
  // The topmost item wins; on it, the nearest connector within the tolerance.
  for (auto i = hits.rbegin(); i != hits.rend(); ++i) {
    const TPLNBaseItem* it = fItems[*i - 1].get();
    if (it == except || it->IsPreview() || !it->HasOptions(Opt::Visible | Opt::Selectable)) continue;
    const int n = it->LinkPointCount();
    if (n == 0) continue;
    for (int k = 1; k <= n; ++k) {
      TORVPto p;
      if (!it->HasLinkPoint(k) || !it->LinkPoint(k, {x, y}, p)) continue;
      const double d = std::hypot(double(p.X - x), double(p.Y - y));
      if (d > double(tol) || (best >= 0 && d >= best)) continue;
      best = d;
      link.Item = *i;
      link.Point = k;
      link.P = p;
    }
    if (best >= 0) return true;
  }
  return false;
}

namespace F2d {

// ---------------------------------------------------------------- connector numbering

int ConnectorSide(int index) {
  if (index < 1 || index > kBoxConnectors) return 0;
  return (index - 1) / 4;
}

TORVPto BoxConnector(const TORVBounds& b, int index) {
  const std::int64_t w = b.X2 - b.X1, h = b.Y2 - b.Y1;
  const int side = ConnectorSide(index);
  const int step = (std::clamp(index, 1, kBoxConnectors) - 1) % 4;  // quarters along the side, clockwise
  const std::int64_t qx = RoundHalfAway(double(w) * step / 4.0), qy = RoundHalfAway(double(h) * step / 4.0);
  switch (side) {
    case 0: return {b.X1 + qx, b.Y1};
    case 1: return {b.X2, b.Y1 + qy};
    case 2: return {b.X2 - qx, b.Y2};
    default: return {b.X1, b.Y2 - qy};
  }
}

int FacingConnector(const TORVBounds& b, const TORVPto& toward) {
  const TORVPto c = Centre(b);
  // Compared in the box's own proportions, so a wide box is left by its side only when the
  // other end lies beside it rather than above or below.
  const double w = std::max<double>(double(b.X2 - b.X1), 1), h = std::max<double>(double(b.Y2 - b.Y1), 1);
  const double dx = double(toward.X - c.X) / w, dy = double(toward.Y - c.Y) / h;
  if (std::abs(dx) > std::abs(dy)) return dx > 0 ? 7 : 15;
  return dy < 0 ? 3 : 11;
}

TORVPto SideDirection(int side) {
  switch (side) {
    case 0: return {0, -1};
    case 1: return {1, 0};
    case 2: return {0, 1};
    default: return {-1, 0};
  }
}

// ---------------------------------------------------------------- routing

namespace {

TORVPto Add(const TORVPto& p, const TORVPto& dir, std::int64_t len) { return {p.X + dir.X * len, p.Y + dir.Y * len}; }

// Drops repeated points and the middle of three points in one straight line.
void Simplify(std::vector<TORVPto>& pts) {
  std::vector<TORVPto> out;
  for (const TORVPto& p : pts) {
    if (!out.empty() && out.back() == p) continue;
    if (out.size() >= 2) {
      const TORVPto& a = out[out.size() - 2];
      const TORVPto& b = out.back();
      const bool inLine = (a.X == b.X && b.X == p.X) || (a.Y == b.Y && b.Y == p.Y);
      // A route that doubles back on itself keeps its turning point.
      const bool between = (std::min(a.X, p.X) <= b.X && b.X <= std::max(a.X, p.X)) &&
                           (std::min(a.Y, p.Y) <= b.Y && b.Y <= std::max(a.Y, p.Y));
      if (inLine && between) out.pop_back();
    }
    out.push_back(p);
  }
  pts.swap(out);
}

void StepRoute(const TORVPto& s, int fromSide, const TORVPto& e, int toSide, std::int64_t m, std::vector<TORVPto>& out) {
  const TORVPto ds = SideDirection(fromSide), de = SideDirection(toSide);
  const TORVPto s1 = Add(s, ds, m), e1 = Add(e, de, m);
  std::vector<TORVPto> pts{s, s1};
  const bool hs = ds.X != 0, he = de.X != 0;
  if (hs && he) {
    if ((e1.X - s1.X) * ds.X >= 0 && (s1.X - e1.X) * de.X >= 0) {
      const std::int64_t mx = s1.X + (e1.X - s1.X) / 2;
      pts.insert(pts.end(), {{mx, s1.Y}, {mx, e1.Y}});
    } else if (ds.X == de.X) {
      const std::int64_t x = ds.X > 0 ? std::max(s1.X, e1.X) : std::min(s1.X, e1.X);
      pts.insert(pts.end(), {{x, s1.Y}, {x, e1.Y}});
    } else {
      const std::int64_t my = s1.Y + (e1.Y - s1.Y) / 2;
      pts.insert(pts.end(), {{s1.X, my}, {e1.X, my}});
    }
  } else if (!hs && !he) {
    if ((e1.Y - s1.Y) * ds.Y >= 0 && (s1.Y - e1.Y) * de.Y >= 0) {
      const std::int64_t my = s1.Y + (e1.Y - s1.Y) / 2;
      pts.insert(pts.end(), {{s1.X, my}, {e1.X, my}});
    } else if (ds.Y == de.Y) {
      const std::int64_t y = ds.Y > 0 ? std::max(s1.Y, e1.Y) : std::min(s1.Y, e1.Y);
      pts.insert(pts.end(), {{s1.X, y}, {e1.X, y}});
    } else {
      const std::int64_t mx = s1.X + (e1.X - s1.X) / 2;
      pts.insert(pts.end(), {{mx, s1.Y}, {mx, e1.Y}});
    }
  } else if (hs) {
    // Across, then down or up into the target, when both legs run forward.
    if ((e1.X - s1.X) * ds.X >= 0 && (s1.Y - e1.Y) * de.Y >= 0)
      pts.push_back({e1.X, s1.Y});
    else
      pts.push_back({s1.X, e1.Y});
  } else {
    if ((e1.Y - s1.Y) * ds.Y >= 0 && (s1.X - e1.X) * de.X >= 0)
      pts.push_back({s1.X, e1.Y});
    else
      pts.push_back({e1.X, s1.Y});
  }
  pts.push_back(e1);
  pts.push_back(e);
  Simplify(pts);
  out.assign(pts.begin() + 1, pts.end() - 1);
}

TPointD Unit(const TORVPto& a, const TORVPto& b) {
  const double dx = double(b.X - a.X), dy = double(b.Y - a.Y), len = std::hypot(dx, dy);
  return len > 0 ? TPointD{dx / len, dy / len} : TPointD{0, 0};
}

double Dist(const TORVPto& a, const TORVPto& b) { return std::hypot(double(b.X - a.X), double(b.Y - a.Y)); }

TORVPto Along(const TORVPto& p, const TPointD& u, double len) {
  return {p.X + RoundHalfAway(u.X * len), p.Y + RoundHalfAway(u.Y * len)};
}

TORVPto Lerp(const TORVPto& a, const TORVPto& b, double t) {
  return {a.X + RoundHalfAway(double(b.X - a.X) * t), a.Y + RoundHalfAway(double(b.Y - a.Y) * t)};
}

// Two bends, each rounded by a quarter circle: straight, corner, straight, corner, straight,
// every piece one cubic segment (a straight one with its controls on the line). Ends whose sides
// are square to each other, both legs running forward, take one bend; the two pieces left over
// then lie still on the end.
void RoundRoute(const TORVPto& s, int fromSide, const TORVPto& e, int toSide, std::int64_t m, std::vector<TORVPto>& out) {
  const bool across = fromSide == 1 || fromSide == 3, toAcross = toSide == 1 || toSide == 3;
  const TORVPto ds = SideDirection(fromSide), de = SideDirection(toSide);
  // The cubic that best follows a quarter circle has its controls 0.5523 radii along the tangents.
  constexpr double kArc = 0.5523;
  if (across != toAcross) {
    const TORVPto c = across ? TORVPto{e.X, s.Y} : TORVPto{s.X, e.Y};
    const bool forward = (c.X - s.X) * ds.X + (c.Y - s.Y) * ds.Y > 0 && (c.X - e.X) * de.X + (c.Y - e.Y) * de.Y > 0;
    if (forward) {
      const double r = std::min({double(m), Dist(s, c), Dist(c, e)});
      const TPointD u1 = Unit(s, c), u2 = Unit(c, e);
      const TORVPto a = Along(c, u1, -r), b = Along(c, u2, r);
      out = {Lerp(s, a, 1.0 / 3), Lerp(s, a, 2.0 / 3), a, Along(a, u1, kArc * r), Along(b, u2, -kArc * r), b,
             Lerp(b, e, 1.0 / 3), Lerp(b, e, 2.0 / 3), e, e, e, e, e, e};
      return;
    }
  }
  TORVPto c1, c2;
  if (across) {
    const std::int64_t mx = s.X + (e.X - s.X) / 2;
    c1 = {mx, s.Y};
    c2 = {mx, e.Y};
  } else {
    const std::int64_t my = s.Y + (e.Y - s.Y) / 2;
    c1 = {s.X, my};
    c2 = {e.X, my};
  }
  const double r = std::min({double(m), Dist(s, c1), Dist(c1, c2) / 2, Dist(c2, e)});
  const TPointD u1 = Unit(s, c1), u2 = Unit(c1, c2), u3 = Unit(c2, e);
  const double k = kArc * r;
  const TORVPto a1 = Along(c1, u1, -r), b1 = Along(c1, u2, r);
  const TORVPto a2 = Along(c2, u2, -r), b2 = Along(c2, u3, r);
  out = {Lerp(s, a1, 1.0 / 3), Lerp(s, a1, 2.0 / 3), a1,
         Along(a1, u1, k),     Along(b1, u2, -k),    b1,
         Lerp(b1, a2, 1.0 / 3), Lerp(b1, a2, 2.0 / 3), a2,
         Along(a2, u2, k),     Along(b2, u3, -k),    b2,
         Lerp(b2, e, 1.0 / 3), Lerp(b2, e, 2.0 / 3)};
}

}  // namespace

void RoutePoints(TORVinkType type, const TORVPto& start, int fromSide, const TORVPto& end, int toSide,
                 std::int64_t margin, std::vector<TORVPto>& out) {
  out.clear();
  switch (type) {
    case TORVinkType::LRTB:
      if (start.X != end.X && start.Y != end.Y) out.push_back({end.X, start.Y});
      break;
    case TORVinkType::TBLR:
      if (start.X != end.X && start.Y != end.Y) out.push_back({start.X, end.Y});
      break;
    case TORVinkType::Step: StepRoute(start, fromSide, end, toSide, margin, out); break;
    case TORVinkType::Round: RoundRoute(start, fromSide, end, toSide, margin, out); break;
    default: break;
  }
}

// ---------------------------------------------------------------- flow box

namespace {

// A closed polygon through `pts`.
void Polygon(QPainterPath& path, std::initializer_list<QPointF> pts) {
  bool first = true;
  for (const QPointF& p : pts) {
    if (first) path.moveTo(p);
    else path.lineTo(p);
    first = false;
  }
  path.closeSubpath();
}

// The lower edge of a sheet of paper from (l, b) to (r, b): down and then up, one quadratic
// curve for each half. The same curves on screen and on paper.
void WavyEdge(QPainterPath& path, double l, double r, double b, double w, double h) {
  const double cx = l + (r - l) / 2;
  path.quadTo(QPointF(l + w / 4, b + h / 6), QPointF(cx, b));
  path.quadTo(QPointF(r - w / 4, b - h / 6), QPointF(r, b));
}

}  // namespace

QPainterPath TPLNBaseFlow::Outline(TORVFlowType type, const QRectF& box, std::vector<QPointF>* inner) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  const QRectF r = box.normalized();
  const double L = r.left(), T = r.top(), R = r.right(), B = r.bottom();
  const double w = r.width(), h = r.height(), cx = L + w / 2, cy = T + h / 2;
  switch (type) {
    case TORVFlowType::Terminator: {
      // Ends rounded by half the height; a box taller than wide rounds by half its width.
      const double rad = std::min(w, h) / 2;
      path.addRoundedRect(r, rad, rad);
      break;
    }
    case TORVFlowType::Process: path.addRect(r); break;
    case TORVFlowType::Document:
      path.moveTo(L, B);
      WavyEdge(path, L, R, B, w, h);
      path.lineTo(R, T);
      path.lineTo(L, T);
      path.closeSubpath();
      break;
    case TORVFlowType::MultiDocument: {
      const double d = w / 30, e = 2 * d;
      // The back and middle sheets show only where they stand out above and right of the front.
      Polygon(path, {{L + e, T}, {R, T}, {R, B - e}, {R - d, B - e}, {R - d, T + d}, {L + e, T + d}});
      Polygon(path, {{L + d, T + d}, {R - d, T + d}, {R - d, B - d}, {R - e, B - d}, {R - e, T + e}, {L + d, T + e}});
      path.moveTo(L, B);
      WavyEdge(path, L, R - e, B, w, h);
      path.lineTo(R - e, T + e);
      path.lineTo(L, T + e);
      path.closeSubpath();
      break;
    }
    case TORVFlowType::Decision: Polygon(path, {{cx, T}, {R, cy}, {cx, B}, {L, cy}}); break;
    case TORVFlowType::Data: Polygon(path, {{L + w / 8, T}, {R, T}, {R - w / 8, B}, {L, B}}); break;
    case TORVFlowType::Database: {
      const double a = h / 20;
      path.moveTo(L, B - a);
      path.lineTo(L, T + a);
      path.quadTo(QPointF(cx, T - a), QPointF(R, T + a));
      path.lineTo(R, B - a);
      path.quadTo(QPointF(cx, B + a), QPointF(L, B - a));
      path.closeSubpath();
      break;
    }
    case TORVFlowType::Predefined:
      path.addRect(r);
      if (inner) {
        const double x1 = L + w / 15, x2 = R - w / 15;
        inner->insert(inner->end(), {QPointF(x1, T), QPointF(x1, B), QPointF(x2, T), QPointF(x2, B)});
      }
      break;
    case TORVFlowType::ManualInput: Polygon(path, {{L, T + h / 8}, {R, T}, {R, B}, {L, B}}); break;
    case TORVFlowType::ManualOperation: Polygon(path, {{L, T}, {R, T}, {R - w / 8, B}, {L + w / 8, B}}); break;
    case TORVFlowType::Preparation:
      Polygon(path, {{L + w / 4, T}, {R - w / 4, T}, {R, cy}, {R - w / 4, B}, {L + w / 4, B}, {L, cy}});
      break;
    case TORVFlowType::Ellipse: path.addEllipse(r); break;
    case TORVFlowType::Start:
      path.moveTo(L + w / 8, T);
      path.lineTo(R - w / 8, T);
      path.lineTo(R, cy);
      path.lineTo(R - w / 8, B);
      path.lineTo(L + w / 8, B);
      path.cubicTo(QPointF(L, B - h / 4), QPointF(L, T + h / 4), QPointF(L + w / 8, T));
      path.closeSubpath();
      break;
    case TORVFlowType::Step:
      Polygon(path, {{L, T}, {R - w / 8, T}, {R, cy}, {R - w / 8, B}, {L, B}, {L + w / 8, cy}});
      break;
    case TORVFlowType::End:
      path.moveTo(L, T);
      path.lineTo(R - w / 8, T);
      path.cubicTo(QPointF(R, T + h / 4), QPointF(R, B - h / 4), QPointF(R - w / 8, B));
      path.lineTo(L, B);
      path.lineTo(L + w / 8, cy);
      path.closeSubpath();
      break;
  }
  return path;
}


TPLNBaseFlow::TPLNBaseFlow(TPLNBaseLabel* owner, bool preview) : TPLNTextItem(owner, preview) { IniFlow(); }
TPLNBaseFlow::TPLNBaseFlow(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNTextItem(owner, layer, preview) {
  IniFlow();
}

void TPLNBaseFlow::IniFlow() {
  fStyle.FontHeight = 4000;
  fStyle.HorzAlign = TORVHorzAlign::Center;
  fStyle.VertAlign = TORVVertAlign::Center;
  fStyle.PadX = 1500;
  fStyle.PadY = 1500;
  fScaleX = 1.0;
  SetFilled(true);
  if (fPoints.size() < 2) fPoints.resize(2);
}

void TPLNBaseFlow::SetFlowType(TORVFlowType t) { Set(fFlowType, static_cast<std::uint8_t>(t)); }

void TPLNBaseFlow::SetScaleX(double s) {
  if (!(s > 0)) return;
  Set(fScaleX, std::min(s, 10.0));
}

bool TPLNBaseFlow::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  const TORVBounds b = PointsBox(fPoints);
  return x >= b.X1 - tolerance && x <= b.X2 + tolerance && y >= b.Y1 - tolerance && y <= b.Y2 + tolerance;
}

bool TPLNBaseFlow::HasLinkPoint(int index) const {
  if (GetFlowType() == TORVFlowType::Decision) return index == 3 || index == 7 || index == 11 || index == 15;
  return index >= 1 && index <= kBoxConnectors;
}

bool TPLNBaseFlow::LinkPoint(int index, const TORVPto& toward, TORVPto& p) const {
  TORVBounds box;
  if (!FindConnector(*this, index, toward, box)) return false;
  // Drawing threads ask at once; the first after a change finds all sixteen.
  static std::mutex lock;
  std::lock_guard guard(lock);
  const bool same = fConnectorType == fFlowType && fConnectorBox.X1 == box.X1 && fConnectorBox.Y1 == box.Y1 &&
                    fConnectorBox.X2 == box.X2 && fConnectorBox.Y2 == box.Y2;
  if (!same) {
    const QList<QPolygonF> outline =
        Outline(GetFlowType(), QRectF(QPointF(box.X1, box.Y1), QPointF(box.X2, box.Y2))).toSubpathPolygons();
    const TORVPto centre = Centre(box);
    for (int i = 1; i <= kBoxConnectors; ++i) {
      const TORVPto on = BoxConnector(box, i);
      TPointD dir;
      if ((i - 1) % 4 == 0) {
        dir = {double(centre.X - on.X), double(centre.Y - on.Y)};
      } else {
        const TORVPto out = SideDirection(ConnectorSide(i));
        dir = {-double(out.X), -double(out.Y)};
      }
      // The nearest crossing of the outline along the line into the shape.
      double best = -1;
      for (const QPolygonF& poly : outline)
        for (qsizetype k = 0; k + 1 < poly.size(); ++k) {
          const double ax = poly[k].x() - on.X, ay = poly[k].y() - on.Y;
          const double ex = poly[k + 1].x() - poly[k].x(), ey = poly[k + 1].y() - poly[k].y();
          const double den = dir.X * ey - dir.Y * ex;
          if (den == 0) continue;
          const double t = (ax * ey - ay * ex) / den, u = (ax * dir.Y - ay * dir.X) / den;
          if (t >= 0 && u >= 0 && u <= 1 && (best < 0 || t < best)) best = t;
        }
      fConnectors[i - 1] = best < 0 ? on
                                    : TORVPto{on.X + RoundHalfAway(dir.X * best), on.Y + RoundHalfAway(dir.Y * best)};
    }
    fConnectorBox = box;
    fConnectorType = fFlowType;
  }
  p = fConnectors[index - 1];
  return true;
}

TORVBounds TPLNBaseFlow::GetBounds() const {
  TORVBounds b = TPLNTextItem::GetBounds();
  const TORVFlowType t = GetFlowType();
  if (!b.IsEmpty() && (t == TORVFlowType::Document || t == TORVFlowType::MultiDocument))
    b.Y2 += RoundHalfAway(double(GetHeight()) / 12);  // half the foot's control point depth
  return b;
}

void TPLNBaseFlow::WriteOwn(TBinaryWriter& w) const {
  w.WriteByte(fFlowType);
  w.WriteDouble(fScaleX);
  w.WriteBoolean(fStrikeout);
}

void TPLNBaseFlow::ReadOwn(TBinaryReader& r) {
  fFlowType = r.ReadByte();
  const double s = r.ReadDouble();
  if (!(s > 0) || s > 10) throw EPLNError(QStringLiteral("Flow with a line spacing of %1").arg(s));
  fScaleX = s;
  fStrikeout = r.ReadBoolean();
}

void TPLNBaseFlow::WriteOwnJson(Json::TJsonSink& o) const {
  o.Int("FlowType", fFlowType);
  o.Num("ScaleX", fScaleX);
  if (fStrikeout) o.Bool("Strikeout", true);
}

void TPLNBaseFlow::ReadOwnJson(const QJsonObject& o) {
  const std::int64_t t = Json::Int(o, "FlowType", fFlowType);
  if (t < 0 || t > 255) throw EPLNError(QStringLiteral("Flow with the shape %1").arg(t));
  fFlowType = static_cast<std::uint8_t>(t);
  const double s = Json::Num(o, "ScaleX", fScaleX);
  if (!(s > 0) || s > 10) throw EPLNError(QStringLiteral("Flow with a line spacing of %1").arg(s));
  fScaleX = s;
  fStrikeout = Json::Bool(o, "Strikeout", false);
}

// ---------------------------------------------------------------- link

namespace {

// The highest connector number a link keeps.
constexpr std::int16_t kMaxConnector = 255;

// A terminator, paper millimetres: the bounds leave room for it.
constexpr std::int64_t kTermRoom = 3000;

// The step route's straight run out of a side, and a curve's reach, on paper.
constexpr std::int64_t kRouteMargin = 5000;

std::int64_t Multiplier(const TPLNBaseLabel* owner) { return owner ? owner->GetCoordMultiplier() : 1; }

void FlattenCubic(const TORVPto& p0, const TORVPto& c1, const TORVPto& c2, const TORVPto& p1, int steps,
                  std::vector<TORVPto>& out) {
  for (int i = 1; i <= steps; ++i) {
    const double t = double(i) / steps, u = 1 - t;
    const double x = u * u * u * p0.X + 3 * u * u * t * c1.X + 3 * u * t * t * c2.X + t * t * t * p1.X;
    const double y = u * u * u * p0.Y + 3 * u * u * t * c1.Y + 3 * u * t * t * c2.Y + t * t * t * p1.Y;
    out.push_back({RoundHalfAway(x), RoundHalfAway(y)});
  }
}

}  // namespace

TPLNBaseLink::TPLNBaseLink(TPLNBaseLabel* owner, bool preview) : TPLNBaseItem(owner, preview) { fPoints.resize(1); }
TPLNBaseLink::TPLNBaseLink(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNBaseItem(owner, layer, preview) {
  fPoints.resize(1);
}

template <class V>
void TPLNBaseLink::Set(V& field, const V& value) {
  if (field == value) return;
  field = value;
  Changed();
}

void TPLNBaseLink::SetFromID(std::int32_t id) { SetEnds(id, fToID); }
void TPLNBaseLink::SetToID(std::int32_t id) { SetEnds(fFromID, id); }

void TPLNBaseLink::SetEnds(std::int32_t fromID, std::int32_t toID) {
  if (fromID == fFromID && toID == fToID) return;
  const std::int32_t oldFrom = fFromID, oldTo = fToID;
  fFromID = fromID;
  fToID = toID;
  if (Owner()) Owner()->LinkEndsChanged(this, oldFrom, oldTo);
  Changed();
}

// Files keep connectors 0 to 255: any other number is no connector and leaves the link as it was.
void TPLNBaseLink::SetFromIndex(std::int16_t i) {
  if (i >= 0 && i <= kMaxConnector) Set(fFromIndex, i);
}
void TPLNBaseLink::SetToIndex(std::int16_t i) {
  if (i >= 0 && i <= kMaxConnector) Set(fToIndex, i);
}
void TPLNBaseLink::SetLinkType(TORVinkType t) {
  if (static_cast<int>(t) >= kLinkTypeCount) t = TORVinkType::Direct;
  Set(fLinkType, t);
}
void TPLNBaseLink::SetFromType(TORVTermType t) { Set(fFromType, t); }
void TPLNBaseLink::SetToType(TORVTermType t) { Set(fToType, t); }
void TPLNBaseLink::SetFromColor(TAlphaColor c) { Set(fFromColor, c); }
void TPLNBaseLink::SetToColor(TAlphaColor c) { Set(fToColor, c); }
void TPLNBaseLink::SetBulge(double b) {
  if (!std::isfinite(b)) return;
  Set(fBulge, std::clamp(b, -10.0, 10.0));
}

TPLNBaseItem* TPLNBaseLink::FromItem() const {
  TPLNBaseItem* it = Owner() ? Owner()->FindByID(fFromID) : nullptr;
  return it && it != this && it->LinkPointCount() > 0 ? it : nullptr;
}

TPLNBaseItem* TPLNBaseLink::ToItem() const {
  TPLNBaseItem* it = Owner() ? Owner()->FindByID(fToID) : nullptr;
  return it && it != this && it->LinkPointCount() > 0 ? it : nullptr;
}

TORVPto TPLNBaseLink::GetLinkPoint(int i) const {
  if (i < 1 || i > GetNumLinkPoints()) return {};
  return fLinkPts[i - 1];
}

void TPLNBaseLink::SetBaseLinkPoint(int i, std::int64_t x, std::int64_t y) {
  if (i < 1 || i > 100000) return;
  CheckCoord(x, "link point");
  CheckCoord(y, "link point");
  if (i > GetNumLinkPoints()) fLinkPts.resize(i, TORVPto{x, y});
  fLinkPts[i - 1] = {x, y};
  Changed();
}

void TPLNBaseLink::SetLinkPoint(int i, double x, double y) {
  const TORVUnits u = Owner() ? Owner()->GetUnits() : TORVUnits::mm;
  SetBaseLinkPoint(i, Utils::SetValue(x, u), Utils::SetValue(y, u));
}

void TPLNBaseLink::ClearLinkPoints() {
  if (fLinkPts.empty()) return;
  fLinkPts.clear();
  Changed();
}

void TPLNBaseLink::CalcLinkPoints(bool force) {
  if (fLinkType == TORVinkType::PolyLine && !force) return;
  TORVLinkGeom g;
  std::vector<TORVPto> pts;
  if (fLinkType != TORVinkType::PolyLine && Geometry(g)) pts = g.Points;
  if (fLinkType == TORVinkType::Arc && Geometry(g)) fPoints[0] = g.Through;
  if (pts == fLinkPts) return;
  fLinkPts = std::move(pts);
  Changed();
}

bool TPLNBaseLink::Geometry(TORVLinkGeom& g) const {
  const TPLNBaseItem* from = FromItem();
  const TPLNBaseItem* to = ToItem();
  if (!from || !to) return false;
  const TORVBounds fb = from->LinkBox(), tb = to->LinkBox();
  if (fb.IsEmpty() || tb.IsEmpty()) return false;
  // Each end aims its automatic connector at the other item's centre.
  const TORVPto fc = Centre(fb), tc = Centre(tb);
  g.FromIndex = fFromIndex == 0 || !from->HasLinkPoint(fFromIndex) ? 0 : fFromIndex;
  g.ToIndex = fToIndex == 0 || !to->HasLinkPoint(fToIndex) ? 0 : fToIndex;
  if (g.FromIndex == 0 && from->LinkPointCount() >= kBoxConnectors) g.FromIndex = FacingConnector(fb, tc);
  if (g.ToIndex == 0 && to->LinkPointCount() >= kBoxConnectors) g.ToIndex = FacingConnector(tb, fc);
  if (!from->LinkPoint(g.FromIndex, tc, g.Start) || !to->LinkPoint(g.ToIndex, fc, g.End)) return false;
  // A single point has no side: it is left towards the other end.
  auto sideOf = [](const TPLNBaseItem* it, int index, const TORVPto& at, const TORVPto& other) {
    if (it->LinkPointCount() >= kBoxConnectors) return ConnectorSide(index);
    const std::int64_t dx = other.X - at.X, dy = other.Y - at.Y;
    if (std::abs(dx) >= std::abs(dy)) return dx >= 0 ? 1 : 3;
    return dy >= 0 ? 2 : 0;
  };
  g.FromSide = sideOf(from, g.FromIndex, g.Start, g.End);
  g.ToSide = sideOf(to, g.ToIndex, g.End, g.Start);
  if (fLinkType == TORVinkType::PolyLine)
    g.Points = fLinkPts;
  else
    Route(Owner(), fLinkType, fBulge, g);
  return true;
}

void TPLNBaseLink::Route(const TPLNBaseLabel* owner, TORVinkType type, double bulge, TORVLinkGeom& g) {
  g.Points.clear();
  g.HasCircle = false;
  const std::int64_t margin = kRouteMargin * Multiplier(owner);
  switch (type) {
    case TORVinkType::PolyLine: break;
    case TORVinkType::Curve: {
      const double reach = std::max(Dist(g.Start, g.End) * 0.4, double(margin));
      const TORVPto ds = SideDirection(g.FromSide), de = SideDirection(g.ToSide);
      g.C1 = {g.Start.X + RoundHalfAway(ds.X * reach), g.Start.Y + RoundHalfAway(ds.Y * reach)};
      g.C2 = {g.End.X + RoundHalfAway(de.X * reach), g.End.Y + RoundHalfAway(de.Y * reach)};
      break;
    }
    case TORVinkType::Arc: {
      const double dx = double(g.End.X - g.Start.X), dy = double(g.End.Y - g.Start.Y);
      const TORVPto mid = Lerp(g.Start, g.End, 0.5);
      // Left of the way from start to end, on a page whose y runs down.
      g.Through = {mid.X + RoundHalfAway(dy * bulge), mid.Y + RoundHalfAway(-dx * bulge)};
      TPointD c;
      double r = 0, a0 = 0, sweep = 0;
      if (TDraw2D::ArcThreePoints({double(g.Start.X), double(g.Start.Y)}, {double(g.Through.X), double(g.Through.Y)},
                                  {double(g.End.X), double(g.End.Y)}, c, r, a0, sweep)) {
        g.HasCircle = true;
        g.CX = c.X, g.CY = c.Y, g.Radius = r, g.StartAngle = a0, g.Sweep = sweep;
        // Controls along the tangents: the terminators point along the arc.
        const double sgn = sweep >= 0 ? 1 : -1, a1 = a0 + sweep, len = std::max(r * 0.25, 1.0);
        g.C1 = {g.Start.X + RoundHalfAway(-std::sin(a0) * sgn * len), g.Start.Y + RoundHalfAway(std::cos(a0) * sgn * len)};
        g.C2 = {g.End.X + RoundHalfAway(std::sin(a1) * sgn * len), g.End.Y + RoundHalfAway(-std::cos(a1) * sgn * len)};
      } else {
        g.C1 = g.End;
        g.C2 = g.Start;
      }
      break;
    }
    default: RoutePoints(type, g.Start, g.FromSide, g.End, g.ToSide, margin, g.Points); break;
  }
}

bool TPLNBaseLink::Polyline(std::vector<TORVPto>& out) const {
  out.clear();
  TORVLinkGeom g;
  if (!Geometry(g)) return false;
  out.push_back(g.Start);
  switch (fLinkType) {
    case TORVinkType::Curve: FlattenCubic(g.Start, g.C1, g.C2, g.End, 24, out); return true;
    case TORVinkType::Round:
      for (std::size_t i = 0; i + 2 < g.Points.size() + 1; i += 3) {
        const TORVPto& end = i + 2 < g.Points.size() ? g.Points[i + 2] : g.End;
        // A copy: the flattening grows `out`, which would leave a reference to its last point dangling.
        const TORVPto from = out.back();
        FlattenCubic(from, g.Points[i], g.Points[i + 1], end, 6, out);
      }
      return true;
    case TORVinkType::Arc:
      if (g.HasCircle) {
        constexpr int kSteps = 48;
        for (int i = 1; i < kSteps; ++i) {
          const double a = g.StartAngle + g.Sweep * i / kSteps;
          out.push_back({RoundHalfAway(g.CX + g.Radius * std::cos(a)), RoundHalfAway(g.CY + g.Radius * std::sin(a))});
        }
      }
      out.push_back(g.End);
      return true;
    default:
      out.insert(out.end(), g.Points.begin(), g.Points.end());
      out.push_back(g.End);
      return true;
  }
}

// Worked out without flattening: the index and fitting ask every link for its bounds.
TORVBounds TPLNBaseLink::GetBounds() const {
  TORVLinkGeom g;
  if (!Geometry(g)) return {};
  TORVBounds b;
  b.Add(g.Start);
  b.Add(g.End);
  if (fLinkType == TORVinkType::Arc && g.HasCircle) {
    // The ends, and each quarter point of the circle the sweep passes.
    const double from = std::min(g.StartAngle, g.StartAngle + g.Sweep), to = std::max(g.StartAngle, g.StartAngle + g.Sweep);
    for (double q = std::ceil(from / (kPi / 2)) * (kPi / 2); q <= to; q += kPi / 2)
      b.Add(RoundHalfAway(g.CX + g.Radius * std::cos(q)), RoundHalfAway(g.CY + g.Radius * std::sin(q)));
  } else if (fLinkType == TORVinkType::Curve) {
    // A cubic lies inside the hull of its controls.
    b.Add(g.C1);
    b.Add(g.C2);
  } else {
    for (const TORVPto& p : g.Points) b.Add(p);
  }
  const std::int64_t room = RoundHalfAway(GetPenWidth() / 2) + kTermRoom * Multiplier(Owner());
  b.X1 -= room, b.Y1 -= room, b.X2 += room, b.Y2 += room;
  return b;
}

bool TPLNBaseLink::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  std::vector<TORVPto> pts;
  if (!Polyline(pts)) return false;
  const double reach = double(tolerance) + GetPenWidth() / 2;
  const TPointD p{double(x), double(y)};
  for (std::size_t i = 0; i + 1 < pts.size(); ++i)
    if (TDraw2D::DistanceToSegment(p, {double(pts[i].X), double(pts[i].Y)},
                                   {double(pts[i + 1].X), double(pts[i + 1].Y)}) <= reach)
      return true;
  return false;
}

void TPLNBaseLink::GetSelPoints(std::vector<TORVSelPoint>& out) const {
  TORVLinkGeom g;
  if (!Geometry(g)) return;
  auto* self = const_cast<TPLNBaseLink*>(this);
  out.push_back({g.Start, TORVHandleKind::Fixed, 0, self});
  out.push_back({g.End, TORVHandleKind::Fixed, 0, self});
  if (fLinkType == TORVinkType::Arc) {
    out.push_back({g.Through, TORVHandleKind::Point, 1, self});
  } else if (fLinkType == TORVinkType::PolyLine) {
    std::vector<TORVPto> route{g.Start};
    route.insert(route.end(), fLinkPts.begin(), fLinkPts.end());
    route.push_back(g.End);
    for (std::size_t i = 0; i < fLinkPts.size(); ++i)
      out.push_back({fLinkPts[i], TORVHandleKind::Point, static_cast<std::int32_t>(i + 1), self});
    for (std::size_t i = 0; i + 1 < route.size(); ++i)
      out.push_back({Lerp(route[i], route[i + 1], 0.5), TORVHandleKind::InsertPoint, static_cast<std::int32_t>(i), self});
  }
}

void TPLNBaseLink::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  TORVLinkGeom g;
  if (!Geometry(g)) return;
  if (kind == snEndPoint || kind == snPoint) {
    out.push_back(g.Start);
    out.push_back(g.End);
  }
  if (kind == snPoint && fLinkType == TORVinkType::PolyLine) out.insert(out.end(), fLinkPts.begin(), fLinkPts.end());
}

void TPLNBaseLink::MovePoint(int index, std::int64_t x, std::int64_t y) {
  if (fLinkType == TORVinkType::Arc && index == 1) {
    TORVLinkGeom g;
    if (!Geometry(g)) return;
    const double dx = double(g.End.X - g.Start.X), dy = double(g.End.Y - g.Start.Y), len2 = dx * dx + dy * dy;
    if (len2 <= 0) return;
    // The signed distance of the point from the chord, as a share of the chord.
    const TORVPto mid = Lerp(g.Start, g.End, 0.5);
    SetBulge((double(x - mid.X) * dy - double(y - mid.Y) * dx) / len2);
    fPoints[0] = {x, y};
    return;
  }
  if (fLinkType == TORVinkType::PolyLine && index >= 1 && index <= GetNumLinkPoints()) SetBaseLinkPoint(index, x, y);
}

void TPLNBaseLink::Move(std::int64_t dx, std::int64_t dy) {
  // The ends go with their items; the link's own points go with the link.
  for (TORVPto& p : fLinkPts) p = {p.X + dx, p.Y + dy};
  fPoints[0] = {fPoints[0].X + dx, fPoints[0].Y + dy};
  Changed();
}

void TPLNBaseLink::Resize(const TORVBounds& from, const TORVBounds& to) {
  const double fw = double(from.X2 - from.X1), fh = double(from.Y2 - from.Y1);
  auto map = [&](TORVPto& p) {
    if (fw > 0) p.X = to.X1 + RoundHalfAway(double(p.X - from.X1) * double(to.X2 - to.X1) / fw);
    if (fh > 0) p.Y = to.Y1 + RoundHalfAway(double(p.Y - from.Y1) * double(to.Y2 - to.Y1) / fh);
  };
  if (fLinkType == TORVinkType::PolyLine) {
    for (TORVPto& p : fLinkPts) map(p);
    Changed();
  }
}

void TPLNBaseLink::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  if (fLinkType != TORVinkType::PolyLine) return;
  const double c = std::cos(angle), s = std::sin(angle);
  for (TORVPto& p : fLinkPts) {
    const double x = double(p.X - cx), y = double(p.Y - cy);
    p = {cx + RoundHalfAway(x * c - y * s), cy + RoundHalfAway(x * s + y * c)};
  }
  Changed();
}

bool TPLNBaseLink::DeletePoint(int index) {
  if (fLinkType != TORVinkType::PolyLine || index < 1 || index > GetNumLinkPoints()) return false;
  fLinkPts.erase(fLinkPts.begin() + (index - 1));
  Changed();
  return true;
}

bool TPLNBaseLink::InsertPoint(int after, std::int64_t x, std::int64_t y) {
  if (fLinkType != TORVinkType::PolyLine || after < 0 || after > GetNumLinkPoints()) return false;
  fLinkPts.insert(fLinkPts.begin() + after, TORVPto{x, y});
  Changed();
  return true;
}

void TPLNBaseLink::CheckPointCount(int n) const {
  if (n != 1) throw EPLNError(QStringLiteral("Link with %1 points (it has one)").arg(n));
}

void TPLNBaseLink::WriteData(TBinaryWriter& w) const {
  TPLNBaseItem::WriteData(w);
  w.WriteInt32(fFromID);
  w.WriteInt32(fToID);
  w.WriteInt16(fFromIndex);
  w.WriteInt16(fToIndex);
  w.WriteByte(static_cast<std::uint8_t>(fLinkType));
  w.WriteByte(fFromType);
  w.WriteByte(fToType);
  w.WriteUInt32(fFromColor);
  w.WriteUInt32(fToColor);
  w.WriteDouble(fBulge);
  // Routed types make their points again from the ends: only a polyline's are the user's.
  const std::vector<TORVPto> none;
  const std::vector<TORVPto>& pts = fLinkType == TORVinkType::PolyLine ? fLinkPts : none;
  w.WriteInt32(static_cast<std::int32_t>(pts.size()));
  for (const TORVPto& p : pts) {
    w.WriteInt64(p.X);
    w.WriteInt64(p.Y);
  }
}

namespace {

void CheckLinkValues(std::int64_t linkType, std::int64_t fromIndex, std::int64_t toIndex, double bulge) {
  if (linkType < 0 || linkType >= kLinkTypeCount)
    throw EPLNError(QStringLiteral("Link with the routing %1 (0 to %2)").arg(linkType).arg(kLinkTypeCount - 1));
  if (fromIndex < 0 || fromIndex > kMaxConnector || toIndex < 0 || toIndex > kMaxConnector)
    throw EPLNError(QStringLiteral("Link with the connectors %1 and %2").arg(fromIndex).arg(toIndex));
  if (!(std::abs(bulge) <= 10)) throw EPLNError(QStringLiteral("Link with an arc bulge of %1").arg(bulge));
}

}  // namespace

void TPLNBaseLink::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLNBaseItem::ReadData(version, r, readType);
  const std::int32_t fromID = r.ReadInt32(), toID = r.ReadInt32();
  const std::int16_t fromIndex = r.ReadInt16(), toIndex = r.ReadInt16();
  const std::uint8_t linkType = r.ReadByte();
  fFromType = r.ReadByte();
  fToType = r.ReadByte();
  fFromColor = r.ReadUInt32();
  fToColor = r.ReadUInt32();
  const double bulge = r.ReadDouble();
  CheckLinkValues(linkType, fromIndex, toIndex, bulge);
  const std::int32_t n = r.ReadCount(16, "link point");
  std::vector<TORVPto> pts(static_cast<std::size_t>(n));
  for (TORVPto& p : pts) {
    p.X = r.ReadCoord("link point");
    p.Y = r.ReadCoord("link point");
  }
  fFromID = fromID, fToID = toID, fFromIndex = fromIndex, fToIndex = toIndex;
  fLinkType = static_cast<TORVinkType>(linkType);
  fBulge = bulge;
  fLinkPts = std::move(pts);
  if (Owner()) Owner()->ItemsRenumbered();
  BoundsChanged();
}

void TPLNBaseLink::WriteJson(Json::TJsonSink& o) const {
  TPLNBaseItem::WriteJson(o);
  o.Int("FromID", fFromID);
  o.Int("ToID", fToID);
  o.Int("FromIndex", fFromIndex);
  o.Int("ToIndex", fToIndex);
  o.Int("LinkType", static_cast<int>(fLinkType));
  o.Int("FromType", fFromType);
  o.Int("ToType", fToType);
  o.Color("FromColor", fFromColor);
  o.Color("ToColor", fToColor);
  if (fLinkType == TORVinkType::Arc) o.Num("Bulge", fBulge);
  if (fLinkType == TORVinkType::PolyLine && !fLinkPts.empty()) o.Points("LinkPoints", fLinkPts);
}

void TPLNBaseLink::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLNBaseItem::ReadJson(version, o);
  const std::int64_t fromID = Json::Int(o, "FromID", 0), toID = Json::Int(o, "ToID", 0);
  if (fromID < INT32_MIN || fromID > INT32_MAX || toID < INT32_MIN || toID > INT32_MAX)
    throw EPLNError(QStringLiteral("Link to an identifier out of range"));
  const std::int64_t fromIndex = Json::Int(o, "FromIndex", 0), toIndex = Json::Int(o, "ToIndex", 0);
  const std::int64_t linkType = Json::Int(o, "LinkType", 0);
  const double bulge = Json::Num(o, "Bulge", 0.25);
  CheckLinkValues(linkType, fromIndex, toIndex, bulge);
  const std::int64_t fromType = Json::Int(o, "FromType", 0), toType = Json::Int(o, "ToType", 0);
  if (fromType < 0 || fromType > 255 || toType < 0 || toType > 255)
    throw EPLNError(QStringLiteral("Link with the terminators %1 and %2").arg(fromType).arg(toType));
  std::vector<TORVPto> pts = Json::Points(o, "LinkPoints");
  fFromID = static_cast<std::int32_t>(fromID), fToID = static_cast<std::int32_t>(toID);
  fFromIndex = static_cast<std::int16_t>(fromIndex), fToIndex = static_cast<std::int16_t>(toIndex);
  fLinkType = static_cast<TORVinkType>(linkType);
  fFromType = static_cast<TORVTermType>(fromType), fToType = static_cast<TORVTermType>(toType);
  fFromColor = Json::Color(o, "FromColor", fFromColor);
  fToColor = Json::Color(o, "ToColor", fToColor);
  fBulge = bulge;
  fLinkPts = std::move(pts);
  if (Owner()) Owner()->ItemsRenumbered();
  BoundsChanged();
}

}  // namespace F2d
}  // namespace Orv
