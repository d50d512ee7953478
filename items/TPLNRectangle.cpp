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
    // The fill covers the box; the outline lies inside it, so the item's size is its outer size.
    const TFrameStroke f = step == TAreaStep::Fill ? TFrameStroke{box, rx, ry} : FrameStroke(box, rx, ry, p.StrokeWidth);
    if (GetBaseRadio() == 0)
      d->kC->DrawRect(f.Rect, p);
    else
      d->kC->DrawRoundRect(f.Rect, f.Rx, f.Ry, p);
  });
}

void TPLNRectangle::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  IPrintCanvas& c = *d->pC;
  const QPointF a = PrintPos(*d, GetPoint(1)), b = PrintPos(*d, GetPoint(2));
  const QRectF box = QRectF(a.x(), a.y(), b.x() - a.x(), b.y() - a.y()).normalized();
  // The model's GetRadio is in millimetres; the device wants pixels of this printer.
  const bool round = GetBaseRadio() > 0;
  const float rx = round ? d->GetDrawX(GetBaseRadio()) : 0;
  const float ry = round ? d->GetDrawY(GetBaseRadio()) : 0;
  const unsigned corners = round ? AllCorners : 0u;
  if (SetupPrintFill(d, *this)) c.FillRect(box, rx, ry, corners, 1, TCornerType::Round);
  if (GetPenWidth() > 0) {
    SetupPrintPen(d, *this);
    const TFrameStroke f = FrameStroke(box, rx, ry, c.Stroke.Thickness);
    c.DrawRect(f.Rect, f.Rx, f.Ry, corners, 1, TCornerType::Round);
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
