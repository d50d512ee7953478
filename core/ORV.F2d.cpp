#include "ORV.F2d.h"

#include <cmath>

#include "ORV.Json.h"

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
  fRadius = r.ReadInt64();
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

}  // namespace Orv::F2d
