#include "TPLNPolyLine.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

TSkPath TPLNPolyLine::GetPath(const TPLNBaseDraw* draw) const {
  TSkPathBuilder b;
  const int n = NumPoints();
  for (int i = 1; i <= n; ++i) {
    const QPointF q = ScreenPos(*draw, GetPoint(i));
    if (i == 1) b.MoveTo(float(q.x()), float(q.y())); else b.LineTo(float(q.x()), float(q.y()));
  }
  return b.Detach();
}

void TPLNPolyLine::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  const int n = NumPoints();
  if (!d || !d->kC || n < 2) return;
  SetupPen(d, *this);
  TSkPaint& p = *d->kP;
  p.AntiAlias = true;
  p.StrokeCap = TSkStrokeCap::Butt;
  d->kC->DrawPath(GetPath(d), p);
  DrawItemTerm(d, GetFromType(), GetColor(), GetFromColor(), GetSizeFrom(), ScreenPos(*d, GetPoint(1)),
               ScreenPos(*d, GetPoint(2)));
  DrawItemTerm(d, GetToType(), GetColor(), GetToColor(), GetSizeTo(), ScreenPos(*d, GetPoint(n)),
               ScreenPos(*d, GetPoint(n - 1)));
}

void TPLNPolyLine::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  const int n = NumPoints();
  if (!d || !d->pC || n < 2) return;
  IPrintCanvas& c = *d->pC;
  SetupPrintPen(d, *this);
  TPathData path;
  path.MoveTo(PrintPos(*d, GetPoint(1)));
  for (int i = 2; i <= n; ++i) path.LineTo(PrintPos(*d, GetPoint(i)));
  c.DrawPath(path, 1);
  c.Stroke.Dash = TStrokeDash::Solid;
  PrintItemTerm(d, GetFromType(), GetFromColor(), GetSizeFrom(), PrintPos(*d, GetPoint(1)),
                PrintPos(*d, GetPoint(2)), false);
  PrintItemTerm(d, GetToType(), GetToColor(), GetSizeTo(), PrintPos(*d, GetPoint(n)),
                PrintPos(*d, GetPoint(n - 1)), false);
}

TPLNPolyLine* TPLNPolyLine::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r,
                                 TORVReadType readType) {
  return ReadItem<TPLNPolyLine>(owner, version, r, readType);
}
TPLNPolyLine* TPLNPolyLine::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNPolyLine>(owner, version, o);
}

}  // namespace Orv::Fmx
