#include "ORV.Line.h"

#include <algorithm>
#include <cmath>

#include "ORV.Draw2D.h"
#include "ORV.EditGeom.h"
#include "ORV.Json.h"

namespace Orv::Line {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

void TPLNBaseLine::CheckPointCount(int n) const {
  if (n != 2) throw EPLNError(QStringLiteral("Line needs 2 points, not %1").arg(n));
}

// ---------------------------------------------------------------- polyline

TPLNBasePolyLine::TPLNBasePolyLine(TPLNBaseLabel* owner, int nPoints, bool preview) : TPLNTermItem(owner, preview) {
  fPoints.resize(nPoints > 0 ? nPoints : 0);
}
TPLNBasePolyLine::TPLNBasePolyLine(TPLNBaseLabel* owner, TPLNLayer* layer, int nPoints, bool preview)
    : TPLNTermItem(owner, layer, preview) {
  fPoints.resize(nPoints > 0 ? nPoints : 0);
}

// ---------------------------------------------------------------- arc

TPLNBaseArc::TPLNBaseArc(TPLNBaseLabel* owner, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                         std::int64_t y2, std::int64_t x3, std::int64_t y3, bool preview)
    : TPLNBaseItem(owner, preview) {
  fPoints = {{x1, y1}, {x2, y2}, {x3, y3}};
  UpdatePoints();
}

void TPLNBaseArc::CheckPointCount(int n) const {
  if (n != 2 && n != 3) throw EPLNError(QStringLiteral("Arc needs 3 points, not %1").arg(n));
}

void TPLNBaseArc::SetAngles(double start, double sweep) {
  fStart = start;
  fSweep = std::clamp(sweep, -2 * kPi, 2 * kPi);
  ComputePoints();
  Changed();
}

void TPLNBaseArc::SetCircle(TORVPto center, std::int64_t radius) {
  fCenter = center;
  fRadius = radius < 0 ? -radius : radius;
  ComputePoints();
  Changed();
}

void TPLNBaseArc::UpdatePoints() {
  if (fPoints.size() == 2) {
    // The box of the circle.
    const TORVPto a = fPoints[0], b = fPoints[1];
    fCenter = {(a.X + b.X) / 2, (a.Y + b.Y) / 2};
    fRadius = std::min(std::llabs(b.X - a.X), std::llabs(b.Y - a.Y)) / 2;
  } else if (fPoints.size() == 3) {
    const TORVPto p1 = fPoints[0], p2 = fPoints[1], p3 = fPoints[2];
    std::int64_t cx, cy, r;
    if (TDraw2D::CircleThreePoints(p1.X, p1.Y, p2.X, p2.Y, p3.X, p3.Y, cx, cy, r)) {
      fCenter = {cx, cy};
      fRadius = r;
      const double a1 = std::atan2(double(p1.Y - cy), double(p1.X - cx));
      const double a2 = std::atan2(double(p2.Y - cy), double(p2.X - cx));
      const double a3 = std::atan2(double(p3.Y - cy), double(p3.X - cx));
      const double cw = TDraw2D::NormalizeAngle(a3 - a1);
      fStart = a1;
      // Clockwise when the middle point lies on the clockwise way from start to end.
      fSweep = TDraw2D::NormalizeAngle(a2 - a1) <= cw ? cw : cw - 2 * kPi;
    } else {
      // Collinear points: a half circle over the outer two.
      TDraw2D::CircleTwoPoints(p1.X, p1.Y, p3.X, p3.Y, cx, cy, r);
      fCenter = {cx, cy};
      fRadius = r;
      fStart = std::atan2(double(p1.Y - cy), double(p1.X - cx));
      fSweep = kPi;
    }
  }
  ComputePoints();
}

void TPLNBaseArc::ComputePoints() {
  auto at = [this](double a) {
    return TORVPto{fCenter.X + Utils::RoundHalfAway(fRadius * std::cos(a)),
                   fCenter.Y + Utils::RoundHalfAway(fRadius * std::sin(a))};
  };
  fPoints = {at(fStart), at(fStart + fSweep / 2), at(fStart + fSweep)};
  BoundsChanged();
}

TORVBounds TPLNBaseArc::GetBounds() const {
  TORVBounds b;
  for (const TORVPto& p : fPoints) b.Add(p);
  // Extremes of the circle that the sweep passes.
  for (int k = -4; k <= 8; ++k) {
    const double a = k * kPi / 2;
    const double lo = std::min(fStart, fStart + fSweep), hi = std::max(fStart, fStart + fSweep);
    if (a > lo && a < hi)
      b.Add(fCenter.X + Utils::RoundHalfAway(fRadius * std::cos(a)), fCenter.Y + Utils::RoundHalfAway(fRadius * std::sin(a)));
  }
  const auto half = static_cast<std::int64_t>(GetPenWidth() / 2);
  b.X1 -= half;
  b.Y1 -= half;
  b.X2 += half;
  b.Y2 += half;
  return b;
}

void TPLNBaseArc::Move(std::int64_t dx, std::int64_t dy) {
  fCenter.X += dx;
  fCenter.Y += dy;
  ComputePoints();
  Changed();
}

void TPLNBaseArc::WriteData(TBinaryWriter& w) const {
  TPLNBaseItem::WriteData(w);
  w.WriteInt64(fCenter.X);
  w.WriteInt64(fCenter.Y);
  w.WriteInt64(fRadius);
  w.WriteDouble(fStart);
  w.WriteDouble(fSweep);
  WriteTerms(w);
}

void TPLNBaseArc::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLNBaseItem::ReadData(version, r, readType);
  fCenter.X = r.ReadCoord("centre");
  fCenter.Y = r.ReadCoord("centre");
  fRadius = r.ReadCoord("radius");
  fStart = r.ReadDouble();
  fSweep = r.ReadDouble();
  if (fRadius < 0 || std::abs(fSweep) > 2 * kPi + 1e-9) throw EPLNError(QStringLiteral("Arc with an invalid radius or sweep"));
  // The points on the circle are saved too: they must be readable again.
  CheckCoord(std::max(std::abs(fCenter.X), std::abs(fCenter.Y)) + fRadius, "arc extent");
  ReadTerms(r);
  ComputePoints();
}

void TPLNBaseArc::WriteJson(Json::TJsonSink& o) const {
  TPLNBaseItem::WriteJson(o);
  o.Points("Center", {fCenter});
  o.Int("Radius", fRadius);
  o.Num("Start", fStart);
  o.Num("Sweep", fSweep);
  WriteTermsJson(o);
}

void TPLNBaseArc::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLNBaseItem::ReadJson(version, o);
  // Centre, radius and angles, when present, are exact; otherwise the points define the arc.
  if (o.contains(QStringLiteral("Radius"))) {
    const std::vector<TORVPto> c = Json::Points(o, "Center");
    if (c.size() != 1) throw EPLNError(QStringLiteral("\"Center\" must hold one [x, y] pair"));
    fCenter = c[0];
    fRadius = Json::Int(o, "Radius", fRadius);
    fStart = Json::Num(o, "Start", fStart);
    fSweep = Json::Num(o, "Sweep", fSweep);
    if (fRadius < 0 || std::abs(fSweep) > 2 * kPi + 1e-9) throw EPLNError(QStringLiteral("Arc with an invalid radius or sweep"));
    CheckCoord(fRadius, "radius");
    CheckCoord(std::max(std::abs(fCenter.X), std::abs(fCenter.Y)) + fRadius, "arc extent");
  }
  ReadTermsJson(o);
  ComputePoints();
}

// ---------------------------------------------------------------- arrow line

namespace {
// Font heights a caption may have, in millimetres.
constexpr float kMinFontHeight = 0.1f;
constexpr float kMaxFontHeight = 1000.0f;

// Clears a flag on every way out of a read.
struct TLoadingScope {
  explicit TLoadingScope(bool& flag) : fFlag(flag) { fFlag = true; }
  ~TLoadingScope() { fFlag = false; }
  bool& fFlag;
};
}  // namespace

TPLNBaseArrowLine::TPLNBaseArrowLine(TPLNBaseLabel* owner, bool preview) : TPLNTermItem(owner, preview) {
  fPoints.resize(4);
}
TPLNBaseArrowLine::TPLNBaseArrowLine(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNTermItem(owner, layer, preview) {
  fPoints.resize(4);
}

void TPLNBaseArrowLine::SetFontHeight(float mm) { Set(fFontHeight, std::clamp(mm, kMinFontHeight, kMaxFontHeight)); }

void TPLNBaseArrowLine::CheckPointCount(int n) const {
  if (n != 2 && n != 4) throw EPLNError(QStringLiteral("ArrowLine needs 2 or 4 points, not %1").arg(n));
}

void TPLNBaseArrowLine::UpdatePoints() {
  if (fPoints.size() < 4) {
    fPoints.resize(2);
    const TORVPto a = fPoints[0], b = fPoints[1];
    fPoints.push_back(a);
    fPoints.push_back(b);
  }
  if (!fLoading) CalcValues(0);
}

TORVBounds TPLNBaseArrowLine::GetBounds() const {
  TORVBounds b;
  const auto half = static_cast<std::int64_t>(GetPenWidth()) / 2;
  const int n = CaptionInLine() ? 4 : 2;
  for (int i = 0; i < n && i < static_cast<int>(fPoints.size()); ++i) {
    b.Add(fPoints[i].X - half, fPoints[i].Y - half);
    b.Add(fPoints[i].X + half, fPoints[i].Y + half);
  }
  return b;
}

void TPLNBaseArrowLine::CheckValues() const {
  if (static_cast<std::uint8_t>(fTextPos) >= kTextPosCount)
    throw EPLNError(QStringLiteral("\"TextPos\" must be between 0 and 5"));
  if (!(fFontHeight >= kMinFontHeight && fFontHeight <= kMaxFontHeight))
    throw EPLNError(QStringLiteral("\"FontHeight\" must be between 0.1 and 1000 mm"));
}

void TPLNBaseArrowLine::WriteData(TBinaryWriter& w) const {
  TPLNTermItem::WriteData(w);
  w.WriteString(fText);
  w.WriteByte(static_cast<std::uint8_t>(fTextPos));
  w.WriteString(fFontName);
  w.WriteSingle(fFontHeight);
  w.WriteUInt32(fFontColor);
  w.WriteByte(static_cast<std::uint8_t>((fBold ? 1 : 0) | (fItalic ? 2 : 0) | (fUnderline ? 4 : 0)));
}

void TPLNBaseArrowLine::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  {
    TLoadingScope loading(fLoading);
    TPLNTermItem::ReadData(version, r, readType);
    fText = r.ReadString();
    fTextPos = static_cast<TORVTextPos>(r.ReadByte());
    fFontName = r.ReadString();
    fFontHeight = r.ReadSingle();
    fFontColor = r.ReadUInt32();
    const std::uint8_t style = r.ReadByte();
    fBold = style & 1;
    fItalic = style & 2;
    fUnderline = style & 4;
    CheckValues();
  }
  UpdatePoints();
}

void TPLNBaseArrowLine::WriteJson(Json::TJsonSink& o) const {
  TPLNTermItem::WriteJson(o);
  if (!fText.isEmpty()) o.Str("Text", fText);
  o.Int("TextPos", static_cast<std::uint8_t>(fTextPos));
  o.Str("FontName", fFontName);
  o.Num("FontHeight", fFontHeight);
  o.Color("FontColor", fFontColor);
  o.Bool("Bold", fBold);
  o.Bool("Italic", fItalic);
  o.Bool("Underline", fUnderline);
}

void TPLNBaseArrowLine::ReadJson(std::int32_t version, const QJsonObject& o) {
  {
    TLoadingScope loading(fLoading);
    TPLNTermItem::ReadJson(version, o);
    fText = Json::Str(o, "Text");
    const auto pos = Json::Int(o, "TextPos", static_cast<std::uint8_t>(fTextPos));
    if (pos < 0 || pos >= kTextPosCount) throw EPLNError(QStringLiteral("\"TextPos\" must be between 0 and 5"));
    fTextPos = static_cast<TORVTextPos>(pos);
    fFontName = Json::Str(o, "FontName", fFontName);
    fFontHeight = static_cast<float>(Json::Num(o, "FontHeight", fFontHeight));
    fFontColor = Json::Color(o, "FontColor", fFontColor);
    fBold = Json::Bool(o, "Bold", fBold);
    fItalic = Json::Bool(o, "Italic", fItalic);
    fUnderline = Json::Bool(o, "Underline", fUnderline);
    CheckValues();
  }
  UpdatePoints();
}

// ---------------------------------------------------------------- editing geometry

namespace {
namespace G = EditGeom;
}  // namespace

void TPLNBasePolyLine::GetSelPoints(std::vector<TORVSelPoint>& out) const { G::PointHandles(this, false, out); }

bool TPLNBasePolyLine::DeletePoint(int index) {
  if (index < 1 || index > NumPoints() || NumPoints() <= 2) return false;
  fPoints.erase(fPoints.begin() + (index - 1));
  Update();
  return true;
}

bool TPLNBasePolyLine::InsertPoint(int after, std::int64_t x, std::int64_t y) {
  if (after < 1 || after >= NumPoints()) return false;
  fPoints.insert(fPoints.begin() + after, TORVPto{x, y});
  Update();
  return true;
}

bool TPLNBaseArc::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  const double d = G::Dist(double(x), double(y), double(fCenter.X), double(fCenter.Y));
  if (std::abs(d - double(fRadius)) > double(tolerance + G::HalfPen(this))) return false;
  return G::AngleOnSweep(std::atan2(double(y - fCenter.Y), double(x - fCenter.X)), fStart, fSweep);
}

void TPLNBaseArc::GetSelPoints(std::vector<TORVSelPoint>& out) const {
  if (fPoints.size() < 3) return;
  auto* self = const_cast<TPLNBaseArc*>(this);
  out.push_back({fPoints[0], TORVHandleKind::Point, 1, self});
  out.push_back({fPoints[1], TORVHandleKind::Radius, 2, self});
  out.push_back({fPoints[2], TORVHandleKind::Point, 3, self});
  out.push_back({fCenter, TORVHandleKind::Center, 4, self});
}

void TPLNBaseArc::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  if (fPoints.size() < 3) return;
  switch (kind) {
    case snEndPoint: out.insert(out.end(), {fPoints[0], fPoints[2]}); break;
    case snMiddlePoint: out.push_back(fPoints[1]); break;
    case snCenterPoint: out.push_back(fCenter); break;
    case snPoint: out.insert(out.end(), fPoints.begin(), fPoints.end()); break;
    default: break;
  }
}

void TPLNBaseArc::MovePoint(int index, std::int64_t x, std::int64_t y) {
  if (fPoints.size() < 3) return;
  switch (index) {
    case 1:
    case 3: {
      // Through the moved end, the middle and the other end; a collinear choice keeps the arc.
      std::vector<TORVPto> pts = fPoints;
      pts[index - 1] = {x, y};
      TPointD c;
      double r, s, w;
      if (!TDraw2D::ArcThreePoints({double(pts[0].X), double(pts[0].Y)}, {double(pts[1].X), double(pts[1].Y)},
                                   {double(pts[2].X), double(pts[2].Y)}, c, r, s, w))
        return;
      fPoints = pts;
      Update();
      break;
    }
    case 2: SetCircle(fCenter, Utils::RoundHalfAway(G::Dist(fCenter, {x, y}))); break;
    case 4: SetCircle({x, y}, fRadius); break;
    default: break;
  }
}

void TPLNBaseArc::Resize(const TORVBounds& from, const TORVBounds& to) {
  const double fw = double(from.X2 - from.X1), fh = double(from.Y2 - from.Y1);
  const double sx = fw > 0 ? double(to.X2 - to.X1) / fw : 1.0, sy = fh > 0 ? double(to.Y2 - to.Y1) / fh : 1.0;
  double start = fStart, sweep = fSweep;
  // A mirrored box mirrors the arc.
  if (sx < 0) {
    start = kPi - start;
    sweep = -sweep;
  }
  if (sy < 0) {
    start = -start;
    sweep = -sweep;
  }
  fCenter = G::MapPoint(fCenter, from, to);
  fRadius = Utils::RoundHalfAway(double(fRadius) * std::min(std::abs(sx), std::abs(sy)));
  SetAngles(start, sweep);
}

void TPLNBaseArc::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  fCenter = G::RotatePoint(fCenter, cx, cy, angle);
  SetAngles(fStart + angle, fSweep);
}

bool TPLNBaseArrowLine::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  if (G::DistSeg(double(x), double(y), fPoints[0], fPoints[1]) <= double(tolerance + G::HalfPen(this))) return true;
  return CaptionInLine() && fPoints.size() >= 4 && G::Inside(G::BoxOf(fPoints[2], fPoints[3]), x, y, tolerance);
}

void TPLNBaseArrowLine::GetSelPoints(std::vector<TORVSelPoint>& out) const {
  auto* self = const_cast<TPLNBaseArrowLine*>(this);
  for (int i = 0; i < 2 && i < NumPoints(); ++i) out.push_back({fPoints[i], TORVHandleKind::Point, i + 1, self});
}

void TPLNBaseArrowLine::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  if (fPoints.size() < 2) return;
  if (kind == snPoint || kind == snEndPoint) out.insert(out.end(), {fPoints[0], fPoints[1]});
  if (kind == snMiddlePoint) out.push_back(G::Mid(fPoints[0], fPoints[1]));
}

void TPLNBaseArrowLine::MovePoint(int index, std::int64_t x, std::int64_t y) {
  if (index < 1 || index > 2 || fPoints.size() < 2) return;
  TORVPto ends[2] = {fPoints[0], fPoints[1]};
  ends[index - 1] = {x, y};
  AssignPoints(ends, 1);
}

void TPLNBaseArrowLine::Resize(const TORVBounds& from, const TORVBounds& to) {
  if (fPoints.size() < 2) return;
  const TORVPto ends[2] = {G::MapPoint(fPoints[0], from, to), G::MapPoint(fPoints[1], from, to)};
  AssignPoints(ends, 1);
}

void TPLNBaseArrowLine::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  if (fPoints.size() < 2) return;
  const TORVPto ends[2] = {G::RotatePoint(fPoints[0], cx, cy, angle), G::RotatePoint(fPoints[1], cx, cy, angle)};
  AssignPoints(ends, 1);
}

}  // namespace Orv::Line
