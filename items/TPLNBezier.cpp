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

namespace {
// The last point the curve reaches: the end of its last whole segment (1 without a segment). A
// point left over after it is no part of the curve and carries no terminator.
int CurveEnd(int n) { return n < 1 ? 1 : 1 + (n - 1) / 3 * 3; }
}  // namespace

void TPLNBezier::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  const int n = NumPoints();
  const int e = CurveEnd(n);
  if (!d || !d->kC || e == 1) return;  // no segment: nothing to draw
  TSkPaint& p = *d->kP;
  p.AntiAlias = true;
  const TSkPath path = GetPath(d);
  if (ShowsFill(*this)) {
    SetupFill(d, GetBackColor(), true);
    d->kC->DrawPath(path, p);
  }
  if (GetPenWidth() > 0) {
    SetupPen(d, *this);
    p.Style = TSkPaintStyle::Stroke;
    d->kC->DrawPath(path, p);
    // A closed figure has no ends to mark.
    if (!GetFilled()) {
      DrawItemTerm(d, GetFromType(), GetColor(), GetFromColor(), GetSizeFrom(), ScreenPos(*d, GetPoint(1)),
                   ScreenPos(*d, GetPoint(2)));
      DrawItemTerm(d, GetToType(), GetColor(), GetToColor(), GetSizeTo(), ScreenPos(*d, GetPoint(e)),
                   ScreenPos(*d, GetPoint(e - 1)));
    }
  }
}

void TPLNBezier::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  const int n = NumPoints();
  const int e = CurveEnd(n);
  if (!d || !d->pC || e == 1) return;
  IPrintCanvas& c = *d->pC;
  TPathData path;
  path.MoveTo(PrintPos(*d, GetPoint(1)));
  for (int i = 2; i + 2 <= n; i += 3)
    path.CurveTo(PrintPos(*d, GetPoint(i)), PrintPos(*d, GetPoint(i + 1)), PrintPos(*d, GetPoint(i + 2)));
  if (GetFilled()) path.ClosePath();
  if (SetupPrintFill(d, *this)) c.FillPath(path, 1);
  if (GetPenWidth() > 0) {
    SetupPrintPen(d, *this);
    c.DrawPath(path, 1);
    // Ends as on screen: only an open curve has them, and they are never dashed.
    if (!GetFilled()) {
      c.Stroke.Dash = TStrokeDash::Solid;
      PrintItemTerm(d, GetFromType(), GetFromColor(), GetSizeFrom(), PrintPos(*d, GetPoint(1)),
                    PrintPos(*d, GetPoint(2)), false);
      PrintItemTerm(d, GetToType(), GetToColor(), GetSizeTo(), PrintPos(*d, GetPoint(e)),
                    PrintPos(*d, GetPoint(e - 1)), false);
    }
  }
}

TPLNBezier* TPLNBezier::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNBezier>(owner, version, r, readType);
}
TPLNBezier* TPLNBezier::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNBezier>(owner, version, o);
}

}  // namespace Orv::Fmx
