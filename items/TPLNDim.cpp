#include "TPLNDim.h"

#include <cmath>
#include <memory>
#include <vector>

#include "ORV.Draw2D.h"
#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using Orv::Line::TORDimType;
using Orv::Line::TPLNDimStyle;

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = 180.0 / kPi;

struct TArc {
  TPointD Center;
  double Radius = 0, Start = 0, Sweep = 0;
};

// The arc of an angle dimension through points 5, 7 and 6 (in document coordinates).
bool AngleArc(const TPLNBaseItem& dim, TArc& arc) {
  auto pt = [&dim](int i) { return TPointD{double(dim.GetPoint(i).X), double(dim.GetPoint(i).Y)}; };
  return TDraw2D::ArcThreePoints(pt(5), pt(7), pt(6), arc.Center, arc.Radius, arc.Start, arc.Sweep);
}

// Of the two tangents at an arc end, the one that points along the arc towards `inner`; on a
// tie, the one the arc's direction runs.
double EndTangent(TPointD end, TPointD center, TPointD inner, bool clockwise) {
  const double a = std::atan2(end.Y - center.Y, end.X - center.X);
  const double toInner = std::atan2(inner.Y - end.Y, inner.X - end.X);
  auto diff = [toInner](double t) {
    const double d = TDraw2D::NormalizeAngle(t - toInner);
    return d > kPi ? 2 * kPi - d : d;
  };
  const double t1 = a + kPi / 2, t2 = a - kPi / 2;
  const double d1 = diff(t1), d2 = diff(t2);
  if (d1 == d2) return clockwise ? t2 : t1;
  return d1 < d2 ? t1 : t2;
}

TORVPto ToPto(double x, double y) { return {Utils::RoundHalfAway(x), Utils::RoundHalfAway(y)}; }

// What a dimension draws, in document coordinates, shared by screen and paper.
struct TDimFigure {
  std::vector<std::pair<TORVPto, TORVPto>> Ext, Dim;
  // Each head: the end that carries it and a point in the direction of the line it ends.
  std::vector<std::pair<TORVPto, TORVPto>> Heads;
  bool HasArc = false;
  TArc Arc;
};

TDimFigure Figure(const Line::TPLNBaseDim& dim, bool captionShown) {
  TDimFigure f;
  auto pt = [&dim](int i) { return dim.GetPoint(i); };
  const TORDimType type = dim.GetDimType();
  if (Line::IsLinearDim(type) && dim.GetDimExt()) f.Ext = {{pt(3), pt(7)}, {pt(4), pt(8)}};
  switch (type) {
    case TORDimType::Angle:
      if (!AngleArc(dim, f.Arc)) break;
      f.HasArc = true;
      for (int i : {5, 6}) {
        const TPointD e{double(pt(i).X), double(pt(i).Y)};
        const double t = EndTangent(e, f.Arc.Center, {double(pt(7).X), double(pt(7).Y)}, f.Arc.Sweep > 0);
        f.Heads.push_back({pt(i), ToPto(e.X + std::cos(t) * f.Arc.Radius, e.Y + std::sin(t) * f.Arc.Radius)});
      }
      break;
    case TORDimType::RadiusInside:
    case TORDimType::DiameterInside:
      f.Dim = {{pt(1), pt(2)}, {pt(3), pt(4)}};
      if (type == TORDimType::DiameterInside) f.Heads.push_back({pt(1), pt(2)});
      f.Heads.push_back({pt(2), pt(1)});
      break;
    case TORDimType::RadiusOutside:
    case TORDimType::DiameterOutside:
      f.Dim = {{pt(3), pt(2)}, {pt(3), pt(4)}};
      f.Heads.push_back({pt(2), pt(3)});
      break;
    default:
      if (captionShown && Line::TextInLine(dim.GetDimStyle().TextPos))
        f.Dim = {{pt(5), pt(9)}, {pt(10), pt(6)}};
      else
        f.Dim = {{pt(5), pt(6)}};
      f.Heads = {{pt(5), pt(6)}, {pt(6), pt(5)}};
      break;
  }
  return f;
}
}  // namespace

// ---------------------------------------------------------------- layout

void TPLNDim::CalcValues(std::int16_t mode) {
  if (fInCalc) return;
  fInCalc = true;
  struct TClear {
    bool& f;
    ~TClear() { f = false; }
  } clear{fInCalc};

  if (mode != 3) TPLNBaseDim::CalcValues(mode);
  if (Owner()) Owner()->AsignDimPosition(this, false);
  fLayout.LaidOut = false;
  if (GetCaption().isEmpty() || NumPoints() < 10) return;
  const TPLNDimStyle& s = GetDimStyle();
  std::int64_t asc = 0, des = 0;
  try {
    TPLNCalc::FontSettings(GetCaption(), s.FontName, s.GetBaseFontHeight(), s.Bold, s.Italic, asc, des, fLayout.TextWidth,
                           fLayout.Ratio);
  } catch (const EPLNError&) {
    return;  // no such font: the dimension is drawn without its caption
  }
  const std::int64_t m = Owner() ? Owner()->GetCoordMultiplier() : 1;
  const std::int64_t gap = Utils::RoundHalfAway(s.GetDimBreak() * 1000.0 * double(m));
  if (GetDimType() == TORDimType::Angle) {
    PlaceAngleCaption(fLayout.TextWidth * m, asc * m, des * m, gap);
  } else {
    const TORVPto p5 = GetPoint(5), p6 = GetPoint(6);
    TORVPto box1, box2;
    Utils::PosBaseLinesText(p5.X, p5.Y, p6.X, p6.Y, fLayout.TextWidth * m, s.GetBaseFontHeight() * m, asc * m, des * m, gap,
                            s.TextPos, box1, box2, fLayout.Screen, fLayout.Print, fLayout.Angle);
    SetBase(9, box1.X, box1.Y);
    SetBase(10, box2.X, box2.Y);
  }
  fLayout.LaidOut = true;
}

// The caption of an angle stands upright outside the arc, centred on the arc's bisector: the
// middle of its box lies that far beyond the arc that the box keeps `gap` from it. Without an arc
// (points 5, 7, 6 in a line) point 8 stands in for the centre and point 7 for the arc.
void TPLNDim::PlaceAngleCaption(std::int64_t width, std::int64_t ascent, std::int64_t descent, std::int64_t gap) {
  TArc arc;
  double a;
  if (AngleArc(*this, arc)) {
    a = arc.Start + arc.Sweep / 2;
  } else {
    const TORVPto p7 = GetPoint(7), p8 = GetPoint(8);
    arc.Center = {double(p8.X), double(p8.Y)};
    arc.Radius = std::hypot(double(p7.X - p8.X), double(p7.Y - p8.Y));
    a = std::atan2(double(p7.Y - p8.Y), double(p7.X - p8.X));
  }
  const double w = double(width), h = double(ascent + descent);
  // How far the box reaches towards the centre from its middle.
  const double reach = std::abs(std::cos(a)) * w / 2 + std::abs(std::sin(a)) * h / 2;
  const double d = arc.Radius + double(gap) + reach;
  const double mx = arc.Center.X + std::cos(a) * d, my = arc.Center.Y + std::sin(a) * d;
  fLayout.Screen = {Utils::RoundHalfAway(mx - w / 2), Utils::RoundHalfAway(my - h / 2 + double(ascent))};
  fLayout.Print = {Utils::RoundHalfAway(mx - w / 2), Utils::RoundHalfAway(my - h / 2)};
  fLayout.Angle = 0;
  SetBase(9, fLayout.Print.X, fLayout.Print.Y);
  SetBase(10, Utils::RoundHalfAway(mx + w / 2), Utils::RoundHalfAway(my + h / 2));
}

TPLNCaption TPLNDim::Caption() const {
  const TPLNDimStyle& s = GetDimStyle();
  TPLNCaption c;
  c.Text = GetCaption();
  c.FontName = s.FontName;
  c.FontHeight = s.GetFontHeight();
  c.Bold = s.Bold;
  c.Italic = s.Italic;
  c.Underline = s.Underline;
  c.Color = s.FontColor;
  return fLayout.With(c);
}

// ---------------------------------------------------------------- drawing

void TPLNDim::DrawText(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (d && d->kC && ShowCaption()) DrawCaption(d, Caption());
}

void TPLNDim::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 10) return;
  const TPLNDimStyle& s = GetDimStyle();
  if (ShowCaption()) DrawText(d);
  ISkCanvas& k = *d->kC;
  TSkPaint& p = *d->kP;
  p.StrokeCap = TSkStrokeCap::Butt;
  const TORVPto p1 = GetPoint(1), p2 = GetPoint(2);
  // Lines along the pixel grid stay crisp; slanted ones are smoothed.
  p.AntiAlias = d->DrawState == TORVDrawState::Preview || (p1.X != p2.X && p1.Y != p2.Y);
  auto pen = [&](TORVineType type, TAlphaColor color, double width) {
    AdjustLineType(d, type, GetState());
    p.Color = color;
    p.StrokeWidth = Utils::BasePtoY(width, *d);
  };
  auto lines = [&](const auto& list) {
    for (const auto& [a, b] : list) {
      const QPointF qa = ScreenPos(*d, a), qb = ScreenPos(*d, b);
      k.DrawLine(float(qa.x()), float(qa.y()), float(qb.x()), float(qb.y()), p);
    }
  };
  const TDimFigure f = Figure(*this, ShowCaption());
  pen(s.ExtLineType, s.ExtColor, s.GetExtPenWidth());
  lines(f.Ext);
  pen(s.DimLineType, s.DimColor, s.GetDimPenWidth());
  lines(f.Dim);
  if (f.HasArc) {
    const QPointF c = ScreenPos(*d, ToPto(f.Arc.Center.X, f.Arc.Center.Y));
    const std::int64_t radius = Utils::RoundHalfAway(f.Arc.Radius);
    const QPointF r(d->GetDrawX(radius), d->GetDrawY(radius));
    k.DrawArc(QRectF(c - r, c + r), float(f.Arc.Start * kDeg), float(f.Arc.Sweep * kDeg), false, p);
  }
  const float half = TermHalfSize(*d, s.GetHeadSize());
  for (const auto& [end, toward] : f.Heads) {
    const QPointF e = ScreenPos(*d, end), t = ScreenPos(*d, toward);
    DrawTermType(d, s.HeadType, s.HeadColor, s.FillColor, half, float(e.x()), float(e.y()), float(t.x()),
                 float(t.y()), s.ArrowOpen, false);
  }
}

void TPLNDim::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 10) return;
  const TPLNDimStyle& s = GetDimStyle();
  IPrintCanvas& c = *d->pC;
  auto pen = [&](TORVineType type, TAlphaColor color, double width) {
    const float thickness = d->DrawBasePtoX(width);
    AdjustPrintLineType(d, thickness, type);
    c.Stroke.Kind = TBrushKind::Solid;
    c.Stroke.Cap = TStrokeCap::Flat;
    c.Stroke.Color = color;
    c.Stroke.Thickness = thickness;
  };
  auto lines = [&](const auto& list) {
    for (const auto& [a, b] : list) c.DrawLine(PrintPosWhole(*d, a), PrintPosWhole(*d, b), 1);
  };
  const TDimFigure f = Figure(*this, ShowCaption());
  pen(s.ExtLineType, s.ExtColor, s.GetExtPenWidth());
  lines(f.Ext);
  pen(s.DimLineType, s.DimColor, s.GetDimPenWidth());
  lines(f.Dim);
  if (f.HasArc) {
    const std::int64_t radius = Utils::RoundHalfAway(f.Arc.Radius);
    c.DrawArc(PrintPos(*d, ToPto(f.Arc.Center.X, f.Arc.Center.Y)), QPointF(d->GetDrawX(radius), d->GetDrawY(radius)),
              float(f.Arc.Start * kDeg), float(f.Arc.Sweep * kDeg), 1);
  }
  if (s.HeadType != 0) {
    const auto half = static_cast<std::int32_t>(Utils::RoundHalfAway(TermHalfSize(*d, s.GetHeadSize())));
    c.Fill.Kind = TBrushKind::Solid;
    c.Fill.Color = s.FillColor;
    c.Stroke.Color = s.HeadColor;
    for (const auto& [end, toward] : f.Heads)
      PrintTermType(d, s.HeadType, PrintPosWhole(*d, end), PrintPosWhole(*d, toward), half, s.ArrowOpen, false);
  }
  if (ShowCaption()) PrintCaption(d, Caption());
}

TPLNDim* TPLNDim::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  std::unique_ptr<TPLNDim> orphan;  // only without an owner does a failed read leave the item to us
  auto* item = new TPLNDim(owner, TORDimType::Horizontal, readType == TORVReadType::Preview);
  if (!owner) orphan.reset(item);
  item->ReadData(version, r, readType);
  orphan.release();
  return item;
}

TPLNDim* TPLNDim::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  std::unique_ptr<TPLNDim> orphan;
  auto* item = new TPLNDim(owner, TORDimType::Horizontal, false);
  if (!owner) orphan.reset(item);
  item->ReadJson(version, o);
  orphan.release();
  return item;
}

}  // namespace Orv::Fmx
