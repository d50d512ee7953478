#include "TPLNSector.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {
QRectF Oval(const TPLNBaseDraw& d, const Orv::F2d::TPLNBaseSector& s) {
  const QPointF c(d.GetDrawX(s.GetBaseCenterX()) + d.OriginX, d.GetDrawY(s.GetBaseCenterY()) + d.OriginY);
  const QPointF r(d.GetDrawX(s.GetBaseRadio()), d.GetDrawY(s.GetBaseRadio()));
  return QRectF(c - r, c + r);
}
}  // namespace

TSkPath TPLNSector::GetPath(const TPLNBaseDraw* draw) const {
  const QRectF oval = Oval(*draw, *this);
  TSkPathBuilder b;
  b.MoveTo(float(oval.center().x()), float(oval.center().y()));
  b.ArcTo(oval, float(GetAngleStart()), float(GetAngleGap()), false);
  b.Close();
  return b.Detach();
}

void TPLNSector::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.AntiAlias = true;
  // A full turn is a plain oval: the path would add a radius from the centre.
  const bool full = GetAngleGap() == 360;
  const QRectF oval = Oval(*d, *this);
  const TSkPath path = full ? TSkPath() : GetPath(d);
  // No inset for the lone outline: it follows the arc and both radii.
  DrawAreaSteps(d, *this, [&](TAreaStep) {
    if (full)
      d->kC->DrawOval(oval, p);
    else
      d->kC->DrawPath(path, p);
  });
}

// Sectors are a screen figure (charts built on screen); they do not print.
void TPLNSector::Print(TPLNBaseDraw* /*draw*/) {}

TPLNSector* TPLNSector::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNSector>(owner, version, r, readType);
}
TPLNSector* TPLNSector::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNSector>(owner, version, o);
}

}  // namespace Orv::Fmx
