#include "TPLNPoint.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

void TPLNPoint::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 1) return;
  TSkPaint& p = *d->kP;
  p.Color = GetColor();
  p.StrokeCap = TSkStrokeCap::Butt;
  p.StrokeWidth = Utils::BasePtoY(GetPenWidth(), *d);
  AdjustLineType(d, 0, GetState());
  // A circle of 0.5 mm radius marks the point.
  const TORVPto c = GetPoint(1);
  const QRectF oval(QPointF(c.DrawGapX(*d, -500) + d->OriginX, c.DrawGapY(*d, -500) + d->OriginY),
                    QPointF(c.DrawGapX(*d, 500) + d->OriginX, c.DrawGapY(*d, 500) + d->OriginY));
  d->kC->DrawOval(oval, p);
}

void TPLNPoint::Print(TPLNBaseDraw* /*draw*/) {}

TPLNPoint* TPLNPoint::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNPoint>(owner, version, r, readType);
}
TPLNPoint* TPLNPoint::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNPoint>(owner, version, o);
}

}  // namespace Orv::Fmx
