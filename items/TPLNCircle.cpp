#include "TPLNCircle.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

void TPLNCircle::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.AntiAlias = true;
  const QRectF box = QRectF(ScreenPos(*d, GetPoint(1)), ScreenPos(*d, GetPoint(2))).normalized();
  DrawAreaSteps(d, *this, [&](TAreaStep) { d->kC->DrawOval(box, p); });
}

void TPLNCircle::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  IPrintCanvas& c = *d->pC;
  const QRectF box = QRectF(PrintPos(*d, GetPoint(1)), PrintPos(*d, GetPoint(2))).normalized();
  if (GetFilled()) {
    c.Stroke.Cap = TStrokeCap::Flat;
    c.Fill.Kind = TBrushKind::Solid;
    c.Fill.Color = GetBackColor();
    c.FillEllipse(box, 1);
  }
  if (GetPenWidth() > 0) {
    const float thickness = d->DrawBasePtoX(GetPenWidth());
    AdjustPrintLineType(d, thickness, GetLineType());
    c.Stroke.Kind = TBrushKind::Solid;
    c.Stroke.Cap = TStrokeCap::Flat;
    c.Stroke.Color = GetColor();
    c.Stroke.Thickness = thickness;
    c.DrawEllipse(box, 1);
  }
}

TPLNCircle* TPLNCircle::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNCircle>(owner, version, r, readType);
}
TPLNCircle* TPLNCircle::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNCircle>(owner, version, o);
}

}  // namespace Orv::Fmx
