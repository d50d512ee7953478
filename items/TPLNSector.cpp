#include "TPLNSector.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {
// The circle of the sector with the cell origin (ox, oy) added.
QRectF Oval(const TPLNBaseDraw& d, const Orv::F2d::TPLNBaseSector& s, double ox, double oy) {
  const QPointF c(d.GetDrawX(s.GetBaseCenterX()) + ox, d.GetDrawY(s.GetBaseCenterY()) + oy);
  const QPointF r(d.GetDrawX(s.GetBaseRadio()), d.GetDrawY(s.GetBaseRadio()));
  return QRectF(c - r, c + r);
}

TSkPath Wedge(const QRectF& oval, const Orv::F2d::TPLNBaseSector& s) {
  TSkPathBuilder b;
  b.MoveTo(float(oval.center().x()), float(oval.center().y()));
  b.ArcTo(oval, float(s.GetAngleStart()), float(s.GetAngleGap()), false);
  b.Close();
  return b.Detach();
}
}  // namespace

TSkPath TPLNSector::GetPath(const TPLNBaseDraw* draw) const {
  return Wedge(Oval(*draw, *this, draw->OriginX, draw->OriginY), *this);
}

void TPLNSector::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.AntiAlias = true;
  // A full turn is a plain oval: the path would add a radius from the centre.
  const bool full = GetAngleGap() == 360;
  const QRectF oval = Oval(*d, *this, d->OriginX, d->OriginY);
  const TSkPath path = full ? TSkPath() : GetPath(d);
  // No inset for the lone outline: it follows the arc and both radii.
  DrawAreaSteps(d, *this, [&](TAreaStep) {
    if (full)
      d->kC->DrawOval(oval, p);
    else
      d->kC->DrawPath(path, p);
  });
}

// Paper gets the same wedge, fill and outline as the screen.
void TPLNSector::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  IPrintCanvas& c = *d->pC;
  const bool full = GetAngleGap() == 360;
  const QRectF oval = Oval(*d, *this, d->IOriginX, d->IOriginY);
  TPathData path;
  if (!full) path.Path = Wedge(oval, *this).Path;
  if (SetupPrintFill(d, *this)) {
    if (full) c.FillEllipse(oval, 1); else c.FillPath(path, 1);
  }
  if (GetPenWidth() > 0) {
    SetupPrintPen(d, *this);
    if (full) c.DrawEllipse(oval, 1); else c.DrawPath(path, 1);
  }
}

TPLNSector* TPLNSector::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNSector>(owner, version, r, readType);
}
TPLNSector* TPLNSector::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNSector>(owner, version, o);
}

}  // namespace Orv::Fmx
