#include "TPLNBezier.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

TPLNBezier::~TPLNBezier() = default;

// Segments run over (control, control, end) triples after the start point; a trailing incomplete
// triple is ignored rather than read past the last point.
TSkPath TPLNBezier::GetPath(const TPLNBaseDraw* draw) const {
  TSkPathBuilder b;
  const int n = NumPoints();
  if (n < 1) return b.Detach();
  const QPointF s = ScreenPos(*draw, GetPoint(1));
  b.MoveTo(float(s.x()), float(s.y()));
  for (int i = 2; i + 2 <= n; i += 3) {
    const QPointF c1 = ScreenPos(*draw, GetPoint(i)), c2 = ScreenPos(*draw, GetPoint(i + 1));
    const QPointF e = ScreenPos(*draw, GetPoint(i + 2));
    b.CubicTo(float(c1.x()), float(c1.y()), float(c2.x()), float(c2.y()), float(e.x()), float(e.y()));
  }
  if (GetFilled()) b.Close();
  return b.Detach();
}

void TPLNBezier::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  const int n = NumPoints();
  if (!d || !d->kC || n < 2) return;
  TSkPaint& p = *d->kP;
  p.AntiAlias = true;
  const TSkPath path = GetPath(d);
  if (GetFilled()) {
    SetupFill(d, GetBackColor(), true);
    d->kC->DrawPath(path, p);
  }
  if (GetPenWidth() > 0) {
    p.StrokeCap = TSkStrokeCap::Round;
    p.StrokeWidth = Utils::BasePtoY(GetPenWidth(), *d);
    p.Style = TSkPaintStyle::Stroke;
    p.Color = GetColor();
    AdjustLineType(d, GetLineType(), GetState());
    d->kC->DrawPath(path, p);
    // A closed filled curve has no ends to mark on screen.
    if (!GetFilled()) {
      DrawItemTerm(d, GetFromType(), GetColor(), GetFromColor(), GetSizeFrom(), ScreenPos(*d, GetPoint(1)),
                   ScreenPos(*d, GetPoint(2)));
      DrawItemTerm(d, GetToType(), GetColor(), GetToColor(), GetSizeTo(), ScreenPos(*d, GetPoint(n)),
                   ScreenPos(*d, GetPoint(n - 1)));
    }
  }
}

void TPLNBezier::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  const int n = NumPoints();
  if (!d || !d->pC || n < 2) return;
  IPrintCanvas& c = *d->pC;
  if (n > 3) {
    TPathData path;
    path.MoveTo(PrintPos(*d, GetPoint(1)));
    for (int i = 2; i + 2 <= n; i += 3)
      path.CurveTo(PrintPos(*d, GetPoint(i)), PrintPos(*d, GetPoint(i + 1)), PrintPos(*d, GetPoint(i + 2)));
    if (GetFilled()) path.ClosePath();
    if (GetFilled()) {
      c.Fill.Kind = TBrushKind::Solid;
      c.Fill.Color = GetBackColor();
      c.FillPath(path, 1);
    }
    if (GetPenWidth() > 0) {
      const float thickness = d->DrawBasePtoX(GetPenWidth());
      AdjustPrintLineType(d, thickness, GetLineType());
      c.Stroke.Kind = TBrushKind::Solid;
      c.Stroke.Color = GetColor();
      c.Stroke.Thickness = thickness;
      c.Stroke.Cap = TStrokeCap::Flat;
      c.Stroke.Join = TStrokeJoin::Miter;
      c.DrawPath(path, 1);
    }
  }
  // Paper shows the terminators of a filled curve too.
  PrintItemTerm(d, GetFromType(), GetFromColor(), GetSizeFrom(), PrintPos(*d, GetPoint(1)),
                PrintPos(*d, GetPoint(2)), false);
  PrintItemTerm(d, GetToType(), GetToColor(), GetSizeTo(), PrintPos(*d, GetPoint(n)),
                PrintPos(*d, GetPoint(n - 1)), false);
}

TPLNBezier* TPLNBezier::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNBezier>(owner, version, r, readType);
}
TPLNBezier* TPLNBezier::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNBezier>(owner, version, o);
}

}  // namespace Orv::Fmx
