#include "TPLNDim.h"

#include <cmath>
#include <memory>
#include <vector>

#include "ORV.Draw2D.h"
#include "ORV.EditGeom.h"
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

bool Outside(TORDimType t) { return t == TORDimType::RadiusOutside || t == TORDimType::DiameterOutside; }

// The points of the line the caption goes with: the dimension line, the radius or diameter line
// drawn inside, or the shelf of one drawn outside.
std::pair<int, int> CaptionLine(TORDimType t) {
  if (Line::IsLinearDim(t)) return {5, 6};
  if (Outside(t)) return {3, 4};
  return {1, 2};
}

// How far a caption of width w and height h reaches along a line at angle a.
double Along(Line::TORVTextPos pos, double a, double w, double h) {
  if (pos == Line::TORVTextPos::Horizontal) return std::abs(std::cos(a)) * w + std::abs(std::sin(a)) * h;
  if (pos == Line::TORVTextPos::Vertical) return std::abs(std::sin(a)) * w + std::abs(std::cos(a)) * h;
  return w;
}

TDimFigure Figure(const Line::TPLNBaseDim& dim, bool captionShown, const TPLNDim::TFit& fit) {
  TDimFigure f;
  auto pt = [&dim](int i) { return dim.GetPoint(i); };
  const TORDimType type = dim.GetDimType();
  // The caption's line, broken around the caption where it stands in the line.
  auto captionLine = [&](int a, int b) {
    if (captionShown && !fit.CaptionOut && Line::TextInLine(dim.GetDimStyle().TextPos))
      f.Dim.insert(f.Dim.end(), {{pt(a), pt(9)}, {pt(10), pt(b)}});
    else
      f.Dim.push_back({pt(a), pt(b)});
  };
  // The line run on beyond its ends, and the heads at the ends: pointing out from between them,
  // or in from outside.
  auto ends = [&](int a, int b, bool headA) {
    if (fit.Tail[0] != pt(a)) f.Dim.push_back({fit.Tail[0], pt(a)});
    if (fit.Tail[1] != pt(b)) f.Dim.push_back({pt(b), fit.Tail[1]});
    if (headA) f.Heads.push_back({pt(a), fit.HeadsOut ? fit.Tail[0] : pt(b)});
    f.Heads.push_back({pt(b), fit.HeadsOut ? fit.Tail[1] : pt(a)});
  };
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
      captionLine(1, 2);
      f.Dim.push_back({pt(3), pt(4)});
      ends(1, 2, type == TORDimType::DiameterInside);
      break;
    case TORDimType::RadiusOutside:
    case TORDimType::DiameterOutside:
      // The head stands on the rim and points at it along the leader, from outside.
      f.Dim.push_back({pt(3), pt(2)});
      captionLine(3, 4);
      f.Heads.push_back({pt(2), pt(3)});
      break;
    default:
      captionLine(5, 6);
      ends(5, 6, true);
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
  fLayout.LaidOut = false;
  const TPLNDimStyle& s = GetDimStyle();
  std::int64_t asc = 0, des = 0;
  bool caption = !GetCaption().isEmpty() && NumPoints() >= 10;
  if (caption) {
    try {
      TPLNCalc::FontSettings(GetCaption(), s.FontName, s.GetBaseFontHeight(), s.Bold, s.Italic, asc, des,
                             fLayout.TextWidth, fLayout.Ratio);
    } catch (const EPLNError&) {
      caption = false;  // no such font: the dimension is drawn without its caption
    }
  }
  const std::int64_t m = Owner() ? Owner()->GetCoordMultiplier() : 1;
  const double paper = 1000.0 * double(m);
  const std::int64_t gap = Utils::RoundHalfAway(s.GetDimBreak() * paper);
  const std::int64_t width = fLayout.TextWidth * m;
  // The shelf of a radius or diameter drawn outside is made long enough for the caption on it.
  SetCaptionRoom(caption && Outside(GetDimType())
                     ? Utils::RoundHalfAway(Along(s.TextPos, 0, double(width), double((asc + des) * m))) + 2 * gap
                     : 0);
  if (Owner()) Owner()->AsignDimPosition(this, false);
  fFit = {};
  if (NumPoints() < 10) return;
  if (GetDimType() == TORDimType::Angle) {
    if (!caption) return;
    PlaceAngleCaption(width, asc * m, des * m, gap);
  } else {
    const auto [a, b] = CaptionLine(GetDimType());
    const std::int64_t head = s.HeadType != 0 ? Utils::RoundHalfAway(s.GetHeadSize() * paper) : 0;
    PlaceLineCaption(a, b, caption, width, asc * m, des * m, gap, head,
                     Utils::RoundHalfAway(s.GetExtSize() * paper));
    if (!caption) return;
  }
  fLayout.LaidOut = true;
}

void TPLNDim::PlaceLineCaption(int a, int b, bool caption, std::int64_t width, std::int64_t ascent,
                               std::int64_t descent, std::int64_t gap, std::int64_t head, std::int64_t ext) {
  const TPLNDimStyle& s = GetDimStyle();
  const TORDimType type = GetDimType();
  const TORVPto pa = GetPoint(a), pb = GetPoint(b);
  const double dx = double(pb.X - pa.X), dy = double(pb.Y - pa.Y), len = std::hypot(dx, dy);
  const double ux = len > 0 ? dx / len : 1.0, uy = len > 0 ? dy / len : 0.0, angle = std::atan2(uy, ux);
  const std::int64_t h = ascent + descent;
  const std::int64_t fontHeight = s.GetBaseFontHeight() * (Owner() ? Owner()->GetCoordMultiplier() : 1);
  fFit.Tail = {pa, pb};
  auto layOut = [&](TORVPto from, TORVPto to, TORVPto& box1, TORVPto& box2) {
    Utils::PosBaseLinesText(from.X, from.Y, to.X, to.Y, width, fontHeight, ascent, descent, gap, s.TextPos, box1, box2,
                            fLayout.Screen, fLayout.Print, fLayout.Angle);
    fLayout.SetBox(width, h);
    SetBase(9, box1.X, box1.Y);
    SetBase(10, box2.X, box2.Y);
  };
  TORVPto box1, box2;
  if (Outside(type)) {
    if (caption) layOut(pa, pb, box1, box2);
    return;
  }
  // What must fit between the ends: the caption with room on both sides, and the heads (a
  // radius has one) with some line left between them.
  const bool inLine = Line::TextInLine(s.TextPos);
  const int heads = type == TORDimType::RadiusInside ? 1 : 2;
  const double room = caption ? Along(s.TextPos, angle, double(width), double(h)) + 2.0 * double(gap) : 0.0;
  const double headRoom = head > 0 ? double(heads * head + gap) : 0.0;
  const bool allFit = len >= (inLine ? room + double(heads * head) : std::max(room, headRoom));
  if (!allFit && len >= room) {
    fFit.HeadsOut = head > 0;  // the caption keeps its place between, the heads make room
  } else if (!allFit) {
    fFit.CaptionOut = caption;
    fFit.HeadsOut = head > 0 && len < headRoom;
  }
  auto beyond = [](TORVPto p, double vx, double vy, double d) {
    return TORVPto{Utils::RoundHalfAway(double(p.X) + vx * d), Utils::RoundHalfAway(double(p.Y) + vy * d)};
  };
  // Outside, each head is followed by the line for the extension size, as a leader is.
  if (fFit.HeadsOut) {
    if (heads == 2) fFit.Tail[0] = beyond(pa, -ux, -uy, double(head + ext));
    fFit.Tail[1] = beyond(pb, ux, uy, double(head + ext));
  }
  if (!caption) return;
  if (!fFit.CaptionOut) {
    layOut(pa, pb, box1, box2);
    return;
  }
  // Beside the end that comes last in reading (a radius: its rim), past the head there, on the
  // dimension line run on under it or up to it.
  double t = angle;
  if (s.TextPos == Line::TORVTextPos::Horizontal) {
    t = 0;
  } else if (s.TextPos == Line::TORVTextPos::Vertical) {
    t = -kPi / 2;
  } else {
    // Captions never read upside down.
    if (t >= kPi / 2) t -= kPi;
    if (t < -kPi / 2) t += kPi;
  }
  const bool atB = heads == 1 || ux * std::cos(t) + uy * std::sin(t) >= -1e-9;
  const TORVPto end = atB ? pb : pa;
  const double ox = atB ? ux : -ux, oy = atB ? uy : -uy;
  const TORVPto from = beyond(end, ox, oy, fFit.HeadsOut ? double(head) : 0.0);
  const TORVPto to = beyond(from, ox, oy, room);
  layOut(from, to, box1, box2);
  fFit.Tail[atB ? 1 : 0] = inLine ? from : to;
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
  fLayout.SetBox(width, ascent + descent);
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
  // Lines along the pixel grid stay crisp; slanted ones are smoothed, and so is an arc, whatever
  // its arms.
  p.AntiAlias = d->DrawState == TORVDrawState::Preview || GetDimType() == TORDimType::Angle ||
                (p1.X != p2.X && p1.Y != p2.Y);
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
  const TDimFigure f = Figure(*this, ShowCaption(), fFit);
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
  const TDimFigure f = Figure(*this, ShowCaption(), fFit);
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

TORVBounds TPLNDim::GetBounds() const {
  TORVBounds b = TPLNBaseDim::GetBounds();
  if (b.IsEmpty()) return b;
  const auto half = static_cast<std::int64_t>(GetPenWidth() / 2);
  if (fFit.HeadsOut || fFit.CaptionOut)
    for (const TORVPto& p : fFit.Tail) {
      b.Add(p.X - half, p.Y - half);
      b.Add(p.X + half, p.Y + half);
    }
  if (ShowCaption())
    for (const TORVPto& p : fLayout.Box) b.Add(p);
  return b;
}

bool TPLNDim::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (TPLNBaseDim::Pick(x, y, tolerance)) return true;
  if (!fFit.HeadsOut && !fFit.CaptionOut) return false;
  const double t = double(tolerance + static_cast<std::int64_t>(GetPenWidth() / 2));
  for (const auto& [a, b] : Figure(*this, ShowCaption(), fFit).Dim)
    if (EditGeom::DistSeg(double(x), double(y), a, b) <= t) return true;
  return false;
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
