#include "TPLNPoint.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {
// A circle of 0.5 mm radius marks the point; (ox, oy) is the cell origin.
QRectF Mark(const TPLNBaseDraw& d, const TORVPto& c, double ox, double oy) {
  return QRectF(QPointF(c.DrawGapX(d, -500) + ox, c.DrawGapY(d, -500) + oy),
                QPointF(c.DrawGapX(d, 500) + ox, c.DrawGapY(d, 500) + oy));
}
}  // namespace

void TPLNPoint::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 1) return;
  TSkPaint& p = *d->kP;
  p.Color = GetColor();
  p.StrokeCap = TSkStrokeCap::Butt;
  p.StrokeJoin = TSkStrokeJoin::Miter;
  p.StrokeWidth = Utils::BasePtoY(GetPenWidth(), *d);
  AdjustLineType(d, 0, GetState());
  d->kC->DrawOval(Mark(*d, GetPoint(1), d->OriginX, d->OriginY), p);
}

// The same solid circle on paper.
void TPLNPoint::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 1) return;
  IPrintCanvas& c = *d->pC;
  const float thickness = d->DrawBasePtoX(GetPenWidth());
  AdjustPrintLineType(d, thickness, 0);
  c.Stroke.Kind = TBrushKind::Solid;
  c.Stroke.Color = GetColor();
  c.Stroke.Cap = TStrokeCap::Flat;
  c.Stroke.Join = TStrokeJoin::Miter;
  c.DrawEllipse(Mark(*d, GetPoint(1), d->IOriginX, d->IOriginY), 1);
}

TPLNPoint* TPLNPoint::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNPoint>(owner, version, r, readType);
}
TPLNPoint* TPLNPoint::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNPoint>(owner, version, o);
}

}  // namespace Orv::Fmx
