#include "TPLNRectangle.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

void TPLNRectangle::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.AntiAlias = true;
  const QRectF box = QRectF(ScreenPos(*d, GetPoint(1)), ScreenPos(*d, GetPoint(2))).normalized();
  const float rx = d->GetDrawX(GetBaseRadio()), ry = d->GetDrawY(GetBaseRadio());
  DrawAreaSteps(d, *this, [&](TAreaStep step) {
    QRectF r = box;
    // A lone outline stays inside the corner points, so the item's size is its outer size.
    if (step == TAreaStep::OutlineOnly) {
      const qreal h = p.StrokeWidth / 2;
      r.adjust(h, h, -h, -h);
    }
    if (GetBaseRadio() == 0)
      d->kC->DrawRect(r, p);
    else
      d->kC->DrawRoundRect(r, rx, ry, p);
  });
}

void TPLNRectangle::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  IPrintCanvas& c = *d->pC;
  const float thickness = d->DrawBasePtoX(GetPenWidth());
  c.Stroke.Cap = TStrokeCap::Flat;
  AdjustPrintLineType(d, thickness, GetLineType());
  const QPointF a = PrintPos(*d, GetPoint(1)), b = PrintPos(*d, GetPoint(2));
  const QRectF box = QRectF(a.x(), a.y(), b.x() - a.x(), b.y() - a.y()).normalized();
  // The model's GetRadio is in millimetres; the device wants pixels of this printer.
  const bool round = GetBaseRadio() > 0;
  const float rx = round ? d->GetDrawX(GetBaseRadio()) : 0;
  const float ry = round ? d->GetDrawY(GetBaseRadio()) : 0;
  const unsigned corners = round ? AllCorners : 0u;
  // Paper always gets the fill: Alpha only hides it on screen.
  if (GetFilled()) {
    c.Fill.Kind = TBrushKind::Solid;
    c.Fill.Color = GetBackColor();
    c.FillRect(box, rx, ry, corners, 1, TCornerType::Round);
  }
  if (GetPenWidth() > 0) {
    c.Stroke.Kind = TBrushKind::Solid;
    c.Stroke.Color = GetColor();
    c.Stroke.Thickness = thickness;
    c.DrawRect(box, rx, ry, corners, 1, TCornerType::Round);
  }
}

TPLNRectangle* TPLNRectangle::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r,
                                   TORVReadType readType) {
  return ReadItem<TPLNRectangle>(owner, version, r, readType);
}
TPLNRectangle* TPLNRectangle::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNRectangle>(owner, version, o);
}

}  // namespace Orv::Fmx
