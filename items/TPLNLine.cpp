#include "TPLNLine.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

void TPLNLine::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  SetupPen(d, *this);
  TSkPaint& p = *d->kP;
  p.StrokeCap = TSkStrokeCap::Butt;
  p.AntiAlias = true;
  const QPointF a = ScreenPos(*d, GetPoint(1)), b = ScreenPos(*d, GetPoint(2));
  d->kC->DrawLine(float(a.x()), float(a.y()), float(b.x()), float(b.y()), p);
}

void TPLNLine::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  IPrintCanvas& c = *d->pC;
  SetupPrintPen(d, *this);
  c.DrawLine(PrintPosWhole(*d, GetPoint(1)), PrintPosWhole(*d, GetPoint(2)), 1);
}

TPLNLine* TPLNLine::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNLine>(owner, version, r, readType);
}
TPLNLine* TPLNLine::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNLine>(owner, version, o);
}

}  // namespace Orv::Fmx
