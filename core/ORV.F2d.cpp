#include "ORV.F2d.h"

#include <algorithm>
#include <cmath>

#include "ORV.EditGeom.h"
#include "ORV.Json.h"
#include "ORV.Text.h"

namespace Orv::F2d {

void TPLNBoxItem::CheckPointCount(int n) const {
  if (n != 2) throw EPLNError(QStringLiteral("%1 needs 2 points, not %2").arg(KindName()).arg(n));
}

// ---------------------------------------------------------------- rectangle

void TPLNBaseRectangle::SetBaseRadio(std::int64_t r) {
  if (r < 0) r = 0;
  if (r == fRadius) return;
  fRadius = r;
  Changed();
}
void TPLNBaseRectangle::WriteData(TBinaryWriter& w) const {
  TPLN2DItem::WriteData(w);
  w.WriteInt64(fRadius);
}
void TPLNBaseRectangle::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLN2DItem::ReadData(version, r, readType);
  fRadius = r.ReadCoord("corner radius");
  if (fRadius < 0) throw EPLNError(QStringLiteral("Rectangle with a negative corner radius"));
}
void TPLNBaseRectangle::WriteJson(Json::TJsonSink& o) const {
  TPLN2DItem::WriteJson(o);
  o.Int("Radius", fRadius);
}
void TPLNBaseRectangle::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLN2DItem::ReadJson(version, o);
  fRadius = Json::Int(o, "Radius", 0);
  if (fRadius < 0) throw EPLNError(QStringLiteral("Rectangle with a negative corner radius"));
  CheckCoord(fRadius, "corner radius");
}

// ---------------------------------------------------------------- polygon

TPLNBasePolygon::TPLNBasePolygon(TPLNBaseLabel* owner, int nPoints, bool preview) : TPLN2DItem(owner, preview) {
  fPoints.resize(nPoints > 0 ? nPoints : 0);
}
TPLNBasePolygon::TPLNBasePolygon(TPLNBaseLabel* owner, TPLNLayer* layer, int nPoints, bool preview)
    : TPLN2DItem(owner, layer, preview) {
  fPoints.resize(nPoints > 0 ? nPoints : 0);
}

// ---------------------------------------------------------------- sector

void TPLNBaseSector::SetAngleStart(double a) {
  if (a == fStart) return;
  fStart = a;
  Changed();
}
void TPLNBaseSector::SetAngleGap(double g) {
  g = std::clamp(g, -360.0, 360.0);
  if (g == fGap) return;
  fGap = g;
  Changed();
}
std::int64_t TPLNBaseSector::GetBaseCenterX() const {
  return fPoints.size() >= 2 ? (fPoints[0].X + fPoints[1].X) / 2 : 0;
}
std::int64_t TPLNBaseSector::GetBaseCenterY() const {
  return fPoints.size() >= 2 ? (fPoints[0].Y + fPoints[1].Y) / 2 : 0;
}
std::int64_t TPLNBaseSector::GetBaseRadio() const {
  return fPoints.size() >= 2 ? std::min(std::llabs(fPoints[1].X - fPoints[0].X), std::llabs(fPoints[1].Y - fPoints[0].Y)) / 2 : 0;
}
void TPLNBaseSector::WriteData(TBinaryWriter& w) const {
  TPLN2DItem::WriteData(w);
  w.WriteDouble(fStart);
  w.WriteDouble(fGap);
}
void TPLNBaseSector::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLN2DItem::ReadData(version, r, readType);
  fStart = r.ReadDouble();
  fGap = r.ReadDouble();
  if (std::abs(fGap) > 360) throw EPLNError(QStringLiteral("Sector with a gap beyond 360 degrees"));
}
void TPLNBaseSector::WriteJson(Json::TJsonSink& o) const {
  TPLN2DItem::WriteJson(o);
  o.Num("AngleStart", fStart);
  o.Num("AngleGap", fGap);
}
void TPLNBaseSector::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLN2DItem::ReadJson(version, o);
  fStart = Json::Num(o, "AngleStart", fStart);
  fGap = Json::Num(o, "AngleGap", fGap);
  if (std::abs(fGap) > 360) throw EPLNError(QStringLiteral("Sector with a gap beyond 360 degrees"));
}

// ---------------------------------------------------------------- Bézier

TPLNBaseBezier::TPLNBaseBezier(TPLNBaseLabel* owner, int nPoints, bool preview) : TPLNTermItem(owner, preview) {
  fPoints.resize(nPoints > 0 ? nPoints : 0);
}
TPLNBaseBezier::TPLNBaseBezier(TPLNBaseLabel* owner, TPLNLayer* layer, int nPoints, bool preview)
    : TPLNTermItem(owner, layer, preview) {
  fPoints.resize(nPoints > 0 ? nPoints : 0);
}

// ---------------------------------------------------------------- editing geometry

using namespace EditGeom;

bool TPLNBoxItem::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  const TORVBounds b = BoxOf(fPoints[0], fPoints[1]);
  const std::int64_t t = tolerance + HalfPen(this);
  if (!Inside(b, x, y, t)) return false;
  if (GetFilled()) return true;
  return !(x > b.X1 + t && x < b.X2 - t && y > b.Y1 + t && y < b.Y2 - t);
}

void TPLNBoxItem::GetSelPoints(std::vector<TORVSelPoint>& out) const {
  if (fPoints.size() < 2) return;
  AddSizeHandles(BoxOf(fPoints[0], fPoints[1]), const_cast<TPLNBoxItem*>(this), out);
}

void TPLNBoxItem::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  if (fPoints.size() < 2) return;
  const TORVBounds b = BoxOf(fPoints[0], fPoints[1]);
  const std::int64_t mx = (b.X1 + b.X2) / 2, my = (b.Y1 + b.Y2) / 2;
  switch (kind) {
    case snPoint:
    case snEndPoint: out.insert(out.end(), {{b.X1, b.Y1}, {b.X2, b.Y1}, {b.X2, b.Y2}, {b.X1, b.Y2}}); break;
    case snMiddlePoint: out.insert(out.end(), {{mx, b.Y1}, {b.X2, my}, {mx, b.Y2}, {b.X1, my}}); break;
    case snCenterPoint: out.push_back({mx, my}); break;
    default: break;
  }
}

void TPLNBoxItem::MovePoint(int index, std::int64_t x, std::int64_t y) {
  if (index < 1 || index > 2 || fPoints.size() < 2) return;
  fPoints[index - 1] = {x, y};
  Update();
}

void TPLNBoxItem::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  if (fPoints.size() < 2) return;
  const TORVBounds b = BoxOf(fPoints[0], fPoints[1]);
  std::int64_t w = b.X2 - b.X1, h = b.Y2 - b.Y1;
  const int q = QuarterTurns(angle);
  if (q == 1 || q == 3) std::swap(w, h);
  const TORVPto c = RotatePoint({(b.X1 + b.X2) / 2, (b.Y1 + b.Y2) / 2}, cx, cy, angle);
  fPoints[0] = {c.X - w / 2, c.Y - h / 2};
  fPoints[1] = {fPoints[0].X + w, fPoints[0].Y + h};
  Update();
}

// ---------------------------------------------------------------- circle

TORVPto TPLNBaseCircle::Center() const {
  return fPoints.size() >= 2 ? Mid(fPoints[0], fPoints[1]) : TORVPto{};
}
std::int64_t TPLNBaseCircle::Radius() const {
  return fPoints.size() >= 2 ? std::min(std::llabs(fPoints[1].X - fPoints[0].X), std::llabs(fPoints[1].Y - fPoints[0].Y)) / 2 : 0;
}

namespace {
void SetCircleBox(std::vector<TORVPto>& pts, const TORVPto& c, std::int64_t r) {
  pts.resize(2);
  pts[0] = {c.X - r, c.Y - r};
  pts[1] = {c.X + r, c.Y + r};
}
// The radius a circle keeps when its box is scaled: the smaller factor, so it stays in the box.
std::int64_t ScaledRadius(std::int64_t r, const TORVBounds& from, const TORVBounds& to) {
  const double fw = double(from.X2 - from.X1), fh = double(from.Y2 - from.Y1);
  const double sx = fw > 0 ? std::abs(double(to.X2 - to.X1) / fw) : 1.0;
  const double sy = fh > 0 ? std::abs(double(to.Y2 - to.Y1) / fh) : 1.0;
  return Round(double(r) * std::min(sx, sy));
}
}  // namespace

bool TPLNBaseCircle::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  const TORVPto c = Center();
  const double d = Dist(double(x), double(y), double(c.X), double(c.Y)), r = double(Radius());
  const double t = double(tolerance + HalfPen(this));
  return std::abs(d - r) <= t || (GetFilled() && d <= r + t);
}

void TPLNBaseCircle::GetSelPoints(std::vector<TORVSelPoint>& out) const {
  if (fPoints.size() < 2) return;
  const TORVPto c = Center();
  auto* self = const_cast<TPLNBaseCircle*>(this);
  out.push_back({c, TORVHandleKind::Center, 1, self});
  out.push_back({{c.X + Radius(), c.Y}, TORVHandleKind::Radius, 2, self});
}

void TPLNBaseCircle::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  if (fPoints.size() < 2) return;
  const TORVPto c = Center();
  const std::int64_t r = Radius();
  if (kind == snCenterPoint || kind == snPoint) out.push_back(c);
  if (kind == snPoint) out.insert(out.end(), {{c.X + r, c.Y}, {c.X, c.Y + r}, {c.X - r, c.Y}, {c.X, c.Y - r}});
}

void TPLNBaseCircle::MovePoint(int index, std::int64_t x, std::int64_t y) {
  if (fPoints.size() < 2) return;
  if (index == 1) {
    SetCircleBox(fPoints, {x, y}, Radius());
  } else if (index == 2) {
    const TORVPto c = Center();
    SetCircleBox(fPoints, c, Round(Dist(c, {x, y})));
  } else {
    return;
  }
  Update();
}

void TPLNBaseCircle::Resize(const TORVBounds& from, const TORVBounds& to) {
  if (fPoints.size() < 2) return;
  SetCircleBox(fPoints, MapPoint(Center(), from, to), ScaledRadius(Radius(), from, to));
  Update();
}

void TPLNBaseCircle::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  if (fPoints.size() < 2) return;
  SetCircleBox(fPoints, RotatePoint(Center(), cx, cy, angle), Radius());
  Update();
}

// ---------------------------------------------------------------- ellipse

bool TPLNBaseEllipse::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  const TORVBounds b = BoxOf(fPoints[0], fPoints[1]);
  const double t = double(tolerance + HalfPen(this));
  const double rx = (b.X2 - b.X1) / 2.0, ry = (b.Y2 - b.Y1) / 2.0;
  const double cx = (b.X1 + b.X2) / 2.0, cy = (b.Y1 + b.Y2) / 2.0;
  if (rx <= 0 || ry <= 0) return DistSeg(double(x), double(y), {b.X1, b.Y1}, {b.X2, b.Y2}) <= t;
  const double dx = x - cx, dy = y - cy;
  const double k = std::hypot(dx / rx, dy / ry);
  if (GetFilled() && k <= 1) return true;
  // Along the ray from the centre, the outline lies at d / k.
  const double d = std::hypot(dx, dy);
  return k == 0 ? std::min(rx, ry) <= t : std::abs(d - d / k) <= t;
}

void TPLNBaseEllipse::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  if (fPoints.size() < 2) return;
  const TORVBounds b = BoxOf(fPoints[0], fPoints[1]);
  const std::int64_t mx = (b.X1 + b.X2) / 2, my = (b.Y1 + b.Y2) / 2;
  if (kind == snCenterPoint || kind == snPoint) out.push_back({mx, my});
  if (kind == snPoint) out.insert(out.end(), {{mx, b.Y1}, {b.X2, my}, {mx, b.Y2}, {b.X1, my}});
}

// ---------------------------------------------------------------- polygon

bool TPLNBasePolygon::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.empty()) return false;
  if (NearOutline(fPoints, true, double(x), double(y), double(tolerance + HalfPen(this)))) return true;
  return GetFilled() && fPoints.size() > 2 && InPolygon(fPoints, double(x), double(y));
}

void TPLNBasePolygon::GetSelPoints(std::vector<TORVSelPoint>& out) const { PointHandles(this, true, out); }

void TPLNBasePolygon::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  const std::size_t n = fPoints.size();
  if (kind == snPoint || kind == snEndPoint) out.insert(out.end(), fPoints.begin(), fPoints.end());
  if (kind == snMiddlePoint && n > 1) {
    for (std::size_t i = 0; i + 1 < n; ++i) out.push_back(Mid(fPoints[i], fPoints[i + 1]));
    if (n > 2) out.push_back(Mid(fPoints[n - 1], fPoints[0]));
  }
}

bool TPLNBasePolygon::DeletePoint(int index) {
  if (index < 1 || index > NumPoints() || NumPoints() <= 3) return false;
  fPoints.erase(fPoints.begin() + (index - 1));
  Update();
  return true;
}

bool TPLNBasePolygon::InsertPoint(int after, std::int64_t x, std::int64_t y) {
  if (after < 1 || after > NumPoints()) return false;
  fPoints.insert(fPoints.begin() + after, TORVPto{x, y});
  Update();
  return true;
}

// ---------------------------------------------------------------- sector

TORVPto TPLNBaseSector::ArcPoint(double degrees) const {
  const double a = degrees * kPi / 180.0;
  const double r = double(GetBaseRadio());
  return {GetBaseCenterX() + Round(r * std::cos(a)), GetBaseCenterY() + Round(r * std::sin(a))};
}

bool TPLNBaseSector::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  const TORVPto c{GetBaseCenterX(), GetBaseCenterY()};
  const double r = double(GetBaseRadio()), t = double(tolerance + HalfPen(this));
  const double d = Dist(double(x), double(y), double(c.X), double(c.Y));
  const bool onSweep = AngleOnSweep(std::atan2(double(y - c.Y), double(x - c.X)), fStart * kPi / 180.0, fGap * kPi / 180.0);
  if (onSweep && (std::abs(d - r) <= t || (GetFilled() && d <= r))) return true;
  if (std::abs(fGap) >= 360) return false;
  return DistSeg(double(x), double(y), c, ArcPoint(fStart)) <= t || DistSeg(double(x), double(y), c, ArcPoint(fStart + fGap)) <= t;
}

void TPLNBaseSector::GetSelPoints(std::vector<TORVSelPoint>& out) const {
  if (fPoints.size() < 2) return;
  auto* self = const_cast<TPLNBaseSector*>(this);
  out.push_back({{GetBaseCenterX(), GetBaseCenterY()}, TORVHandleKind::Center, 1, self});
  out.push_back({ArcPoint(fStart + fGap / 2), TORVHandleKind::Radius, 2, self});
  out.push_back({ArcPoint(fStart), TORVHandleKind::Point, 3, self});
  out.push_back({ArcPoint(fStart + fGap), TORVHandleKind::Point, 4, self});
}

void TPLNBaseSector::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  if (fPoints.size() < 2) return;
  const TORVPto c{GetBaseCenterX(), GetBaseCenterY()};
  switch (kind) {
    case snCenterPoint: out.push_back(c); break;
    case snEndPoint: out.insert(out.end(), {ArcPoint(fStart), ArcPoint(fStart + fGap)}); break;
    case snMiddlePoint: out.push_back(ArcPoint(fStart + fGap / 2)); break;
    case snPoint: out.insert(out.end(), {c, ArcPoint(fStart), ArcPoint(fStart + fGap)}); break;
    default: break;
  }
}

void TPLNBaseSector::MovePoint(int index, std::int64_t x, std::int64_t y) {
  if (fPoints.size() < 2) return;
  const TORVPto c{GetBaseCenterX(), GetBaseCenterY()};
  const double a = std::atan2(double(y - c.Y), double(x - c.X)) * 180.0 / kPi;
  auto deg = [](double v) {
    v = std::fmod(v, 360.0);
    return v < 0 ? v + 360.0 : v;
  };
  switch (index) {
    case 1: SetCircleBox(fPoints, {x, y}, GetBaseRadio()); Update(); break;
    case 2: SetCircleBox(fPoints, c, Round(Dist(c, {x, y}))); Update(); break;
    case 3: {
      // The start moves, the end stays where it was.
      const double end = fStart + fGap;
      double gap = deg(end - a);
      if (gap == 0) gap = 360;
      fStart = a;
      fGap = fGap < 0 ? gap - 360 : gap;
      Update();
      break;
    }
    case 4: {
      double gap = deg(a - fStart);
      if (gap == 0) gap = 360;
      fGap = fGap < 0 ? gap - 360 : gap;
      Update();
      break;
    }
    default: break;
  }
}

void TPLNBaseSector::Resize(const TORVBounds& from, const TORVBounds& to) {
  if (fPoints.size() < 2) return;
  SetCircleBox(fPoints, MapPoint({GetBaseCenterX(), GetBaseCenterY()}, from, to), ScaledRadius(GetBaseRadio(), from, to));
  Update();
}

void TPLNBaseSector::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  if (fPoints.size() < 2) return;
  SetCircleBox(fPoints, RotatePoint({GetBaseCenterX(), GetBaseCenterY()}, cx, cy, angle), GetBaseRadio());
  fStart = std::fmod(fStart + angle * 180.0 / kPi, 360.0);
  Update();
}

// ---------------------------------------------------------------- Bézier

std::vector<TORVPto> TPLNBaseBezier::Flatten(int steps) const {
  std::vector<TORVPto> out;
  if (fPoints.empty()) return out;
  out.push_back(fPoints[0]);
  for (std::size_t i = 0; i + 3 < fPoints.size(); i += 3) {
    const TORVPto p0 = fPoints[i], p1 = fPoints[i + 1], p2 = fPoints[i + 2], p3 = fPoints[i + 3];
    for (int k = 1; k <= steps; ++k) {
      const double t = double(k) / steps, u = 1 - t;
      const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
      out.push_back({Round(a * p0.X + b * p1.X + c * p2.X + d * p3.X), Round(a * p0.Y + b * p1.Y + c * p2.Y + d * p3.Y)});
    }
  }
  return out;
}

bool TPLNBaseBezier::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.empty()) return false;
  const std::vector<TORVPto> flat = Flatten(16);
  if (NearOutline(flat, false, double(x), double(y), double(tolerance + HalfPen(this)))) return true;
  return GetFilled() && flat.size() > 2 && InPolygon(flat, double(x), double(y));
}

namespace {
struct TCubic {
  double x[4], y[4];
};
TCubic CubicAt(const std::vector<TORVPto>& pts, std::size_t i) {
  TCubic c;
  for (int k = 0; k < 4; ++k) c.x[k] = double(pts[i + k].X), c.y[k] = double(pts[i + k].Y);
  return c;
}
// De Casteljau at t = 0.5: the two halves share c.x[3] of the left one.
void SplitHalf(const TCubic& c, TCubic& l, TCubic& r) {
  auto half = [](const double* p, double* a, double* b) {
    const double p01 = (p[0] + p[1]) / 2, p12 = (p[1] + p[2]) / 2, p23 = (p[2] + p[3]) / 2;
    const double p012 = (p01 + p12) / 2, p123 = (p12 + p23) / 2, m = (p012 + p123) / 2;
    a[0] = p[0], a[1] = p01, a[2] = p012, a[3] = m;
    b[0] = m, b[1] = p123, b[2] = p23, b[3] = p[3];
  };
  half(c.x, l.x, r.x);
  half(c.y, l.y, r.y);
}
double ChordLength(const TCubic& c) {
  double len = 0;
  for (int k = 0; k < 3; ++k) len += std::hypot(c.x[k + 1] - c.x[k], c.y[k + 1] - c.y[k]);
  return len;
}
}  // namespace

void TPLNBaseBezier::GetSelPoints(std::vector<TORVSelPoint>& out) const {
  auto* self = const_cast<TPLNBaseBezier*>(this);
  for (int i = 0; i < NumPoints(); ++i)
    out.push_back({fPoints[i], i % 3 == 0 ? TORVHandleKind::Point : TORVHandleKind::Bezier, i + 1, self});
  // The insertion handle sits on the curve; its index is the control just before the anchor
  // the split makes, so the editor's drag after the insertion takes the new anchor.
  for (std::size_t i = 0; i + 3 < fPoints.size(); i += 3) {
    TCubic l, r;
    SplitHalf(CubicAt(fPoints, i), l, r);
    out.push_back({{Round(l.x[3]), Round(l.y[3])}, TORVHandleKind::InsertPoint, int(i) + 3, self});
  }
}

void TPLNBaseBezier::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  if (fPoints.empty()) return;
  if (kind == snPoint)
    for (std::size_t i = 0; i < fPoints.size(); i += 3) out.push_back(fPoints[i]);
  if (kind == snEndPoint) out.insert(out.end(), {fPoints.front(), fPoints.back()});
}

bool TPLNBaseBezier::DeletePoint(int index) {
  const int n = NumPoints();
  if (index < 1 || index > n || (index - 1) % 3 != 0 || n < 7) return false;
  const std::size_t a = std::size_t(index - 1);
  if (a == 0) {
    fPoints.erase(fPoints.begin(), fPoints.begin() + 3);
  } else if (a + 3 >= fPoints.size()) {
    fPoints.erase(fPoints.begin() + std::ptrdiff_t(a) - 2, fPoints.begin() + std::ptrdiff_t(a) + 1);
  } else {
    // The two segments merge into one whose outer controls are stretched back by the share each
    // had of the length, so removing an anchor a split made gives the curve it split again.
    const TCubic l = CubicAt(fPoints, a - 3), r = CubicAt(fPoints, a);
    const double ll = ChordLength(l), lr = ChordLength(r);
    const double t = std::clamp(ll + lr > 0 ? ll / (ll + lr) : 0.5, 0.2, 0.8);
    fPoints[a - 2] = {Round(l.x[0] + (l.x[1] - l.x[0]) / t), Round(l.y[0] + (l.y[1] - l.y[0]) / t)};
    fPoints[a + 2] = {Round(r.x[3] + (r.x[2] - r.x[3]) / (1 - t)), Round(r.y[3] + (r.y[2] - r.y[3]) / (1 - t))};
    fPoints.erase(fPoints.begin() + std::ptrdiff_t(a) - 1, fPoints.begin() + std::ptrdiff_t(a) + 2);
  }
  Update();
  return true;
}

bool TPLNBaseBezier::InsertPoint(int after, std::int64_t x, std::int64_t y) {
  // `after` is the second control of the segment to split (see GetSelPoints).
  const int n = NumPoints();
  if (after < 3 || after % 3 != 0 || after + 1 > n) return false;
  const std::size_t s = std::size_t(after - 3);
  TCubic l, r;
  SplitHalf(CubicAt(fPoints, s), l, r);
  // The new anchor lands where the pointer is and takes its controls along, so the curve stays
  // smooth through it; at the handle itself the shape does not change.
  const double dx = double(x) - l.x[3], dy = double(y) - l.y[3];
  const TORVPto mid[4] = {{Round(l.x[2] + dx), Round(l.y[2] + dy)},
                          {Round(l.x[3] + dx), Round(l.y[3] + dy)},
                          {Round(r.x[1] + dx), Round(r.y[1] + dy)},
                          {Round(r.x[2]), Round(r.y[2])}};
  fPoints[s + 1] = {Round(l.x[1]), Round(l.y[1])};
  fPoints[s + 2] = mid[0];
  fPoints.insert(fPoints.begin() + std::ptrdiff_t(s) + 3, {mid[1], mid[2], mid[3]});
  Update();
  return true;
}

void WriteDataField(TBinaryWriter& w, std::uint8_t fillType, const QString& fillName, const QString& format) {
  w.WriteByte(fillType);
  w.WriteString(fillName);
  w.WriteString(format);
}

void ReadDataField(TBinaryReader& r, std::uint8_t& fillType, QString& fillName, QString& format) {
  fillType = r.ReadByte();
  fillName = r.ReadString();
  format = r.ReadString();
}

void WriteDataFieldJson(Json::TJsonSink& o, std::uint8_t fillType, const QString& fillName, const QString& format) {
  if (fillType == 0) return;
  o.Int("FillType", fillType);
  o.Str("FillName", fillName);
  o.Str("Format", format);
}

void ReadDataFieldJson(const QString& kind, const QJsonObject& o, std::uint8_t& fillType, QString& fillName,
                       QString& format) {
  fillType = static_cast<std::uint8_t>(Text::CheckInt(kind, "FillType", Json::Int(o, "FillType", 0), 0, 255));
  fillName = Json::Str(o, "FillName");
  format = Json::Str(o, "Format");
}

}  // namespace Orv::F2d
