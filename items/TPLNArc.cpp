#include "TPLNArc.h"

#include <cmath>

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = 180.0 / kPi;

// Direction of the terminator at an arc end (radians, y-down): the tangent leaving the arc.
// atan2(-dx, dy) is the tangent of a counter-clockwise run; `flip` turns it round.
double TermAngle(const TORVPto& end, const TORVPto& center, bool flip) {
  const double a = std::atan2(-double(end.X - center.X), double(end.Y - center.Y));
  return flip ? a + kPi : a;
}
}  // namespace

void TPLNArc::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 3) return;
  TSkPaint& p = *d->kP;
  p.Color = GetColor();
  p.StrokeCap = TSkStrokeCap::Butt;
  p.StrokeJoin = TSkStrokeJoin::Miter;  // the corners of its terminators, as on paper
  p.StrokeWidth = Utils::BasePtoY(GetPenWidth(), *d);
  p.AntiAlias = true;
  AdjustLineType(d, GetLineType(), GetState());
  const QPointF c = ScreenPos(*d, GetCenter());
  const QPointF r(d->GetDrawX(GetRadius()), d->GetDrawY(GetRadius()));
  d->kC->DrawArc(QRectF(c - r, c + r), float(GetAngleStart() * kDeg), float(GetAngleSweep() * kDeg), false, p);

  const bool dir = GetDirection();
  const QPointF s = ScreenPos(*d, GetPto(1)), e = ScreenPos(*d, GetPto(3));
  DrawTermType(d, GetFromType(), GetColor(), GetFromColor(), TermHalfSize(*d, GetSizeFrom()), float(s.x()),
               float(s.y()), float(TermAngle(GetPto(1), GetCenter(), !dir)), 0, 8, true);
  DrawTermType(d, GetToType(), GetColor(), GetToColor(), TermHalfSize(*d, GetSizeTo()), float(e.x()), float(e.y()),
               float(TermAngle(GetPto(3), GetCenter(), dir)), 0, 8, true);
}

void TPLNArc::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 3) return;
  IPrintCanvas& c = *d->pC;
  const float thickness = d->DrawBasePtoX(GetPenWidth());
  c.Stroke.Kind = TBrushKind::Solid;
  c.Stroke.Color = GetColor();
  AdjustPrintLineType(d, thickness, GetLineType());
  c.Stroke.Cap = TStrokeCap::Flat;
  c.Stroke.Join = TStrokeJoin::Miter;
  c.Stroke.Thickness = thickness;
  c.DrawArc(PrintPosWhole(*d, GetCenter()), QPointF(d->GetDrawX(GetRadius()), d->GetDrawY(GetRadius())),
            float(GetAngleStart() * kDeg), float(GetAngleSweep() * kDeg), 1);

  const bool dir = GetDirection();
  PrintItemTerm(d, GetFromType(), GetFromColor(), GetSizeFrom(), PrintPosWhole(*d, GetPto(1)),
                QPointF(TermAngle(GetPto(1), GetCenter(), !dir), 0), true);
  PrintItemTerm(d, GetToType(), GetToColor(), GetSizeTo(), PrintPosWhole(*d, GetPto(3)),
                QPointF(TermAngle(GetPto(3), GetCenter(), dir), 0), true);
}

TPLNArc* TPLNArc::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNArc>(owner, version, r, readType);
}
TPLNArc* TPLNArc::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNArc>(owner, version, o);
}

}  // namespace Orv::Fmx
