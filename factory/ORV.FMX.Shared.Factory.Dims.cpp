// Arrow lines and dimensions by coordinates.
#include <array>
#include <cmath>

#include "ORV.Dim.h"
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"

namespace Orv::Fmx {

using namespace FactorySupport;

namespace {

using Line::TORDimType;

std::int64_t Round(double v) { return Utils::RoundHalfAway(v); }

TPLNBaseItem* MakeDim(TPLNBaseLabel* doc, TORDimType type, const std::array<TORVPto, 8>& pts) {
  TBatch batch(doc);
  auto* item = new TPLNDim(doc, type, false);
  item->AssignPoints(pts.data(), 7);
  PenDefaults(item, doc->GetActiveLayer(), true);
  doc->SortItemsZLayer();
  return item;
}

TORVPto OnCircle(std::int64_t cx, std::int64_t cy, std::int64_t r, double a) {
  return {cx + Round(r * std::cos(a)), cy + Round(r * std::sin(a))};
}

// The style's extension size, a length on paper, in document coordinates: at 1:N it spans N
// times as many. (Taken as base units at 1:1, or as a count of drawing-scale units, it made shelves
// that vanished on scaled drawings and leaders a few micrometres long.)
std::int64_t ExtSize(const TPLNBaseLabel* doc) {
  return Round(doc->GetActiveDimStyle()->GetExtSize() * 1000.0 * double(doc->GetCoordMultiplier()));
}

// The shelf of a radius or diameter drawn inside: 2e from P towards the side the radius points to.
std::int64_t InsideShelf(const TPLNBaseLabel* doc, double a) {
  const std::int64_t e = 2 * ExtSize(doc);
  return std::cos(a) < 0 ? -e : e;
}

// Radius or diameter drawn outside: a leader from P outwards to Q, then a leg of 2e to the side.
// The leader carries the arrowhead and runs e beyond it, as the document places it again after
// every change.
TPLNBaseItem* Outside(TPLNBaseLabel* doc, TORDimType type, std::int64_t cx, std::int64_t cy, std::int64_t r,
                      double a) {
  const Line::TPLNDimStyle& s = *doc->GetActiveDimStyle();
  const TORVPto c{cx, cy}, p = OnCircle(cx, cy, r, a);
  const std::int64_t e = ExtSize(doc);
  const std::int64_t head = s.HeadType != 0 ? Round(s.GetHeadSize() * 1000.0 * double(doc->GetCoordMultiplier())) : 0;
  const TORVPto q{p.X + Round(double(head + e) * std::cos(a)), p.Y + Round(double(head + e) * std::sin(a))};
  const TORVPto leg{std::cos(a) < 0 ? q.X - 2 * e : q.X + 2 * e, q.Y};
  return MakeDim(doc, type, {c, p, q, leg, c, p, p, leg});
}

}  // namespace

TPLNBaseItem* TPLNFactory::AddArrowLine(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2) {
  return AddBaseArrowLine(doc, Base(doc, x1), Base(doc, y1), Base(doc, x2), Base(doc, y2));
}
TPLNBaseItem* TPLNFactory::AddBaseArrowLine(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                            std::int64_t y2) {
  TBatch batch(doc);
  auto* item = new TPLNArrowLine(doc, false);
  item->AssignPoints({TORVPto{x1, y1}, TORVPto{x2, y2}});
  PenDefaults(item, doc->GetActiveLayer(), true);
  doc->SortItemsZLayer();
  return item;
}

TPLNBaseItem* TPLNFactory::AddDim(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2, float x3, float y3) {
  return AddBaseDim(doc, Base(doc, x1), Base(doc, y1), Base(doc, x2), Base(doc, y2), Base(doc, x3), Base(doc, y3));
}
TPLNBaseItem* TPLNFactory::AddBaseDim(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                      std::int64_t y2, std::int64_t x3, std::int64_t y3) {
  const Line::TPLNDimStyle& s = *doc->GetActiveDimStyle();
  const double paper = 1000.0 * double(doc->GetCoordMultiplier());
  const TORVPto p1{x1, y1}, p2{x2, y2};
  std::array<TORVPto, 6> more;
  const TORDimType type = Line::CalcDimPoints(p1, p2, {x3, y3}, Round(s.GetExtGap() * paper),
                                              Round(s.GetExtSize() * paper), more);
  return MakeDim(doc, type, {p1, p2, more[0], more[1], more[2], more[3], more[4], more[5]});
}

TPLNBaseItem* TPLNFactory::AddDimRadial1(TPLNBaseLabel* doc, float cx, float cy, float r, double angle) {
  return AddBaseDimRadial1(doc, Base(doc, cx), Base(doc, cy), Base(doc, r), angle);
}
TPLNBaseItem* TPLNFactory::AddBaseDimRadial1(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r,
                                             double angle) {
  const TORVPto c{cx, cy}, p = OnCircle(cx, cy, r, angle);
  const TORVPto shelf{p.X + InsideShelf(doc, angle), p.Y};
  return MakeDim(doc, TORDimType::RadiusInside, {c, p, p, shelf, c, p, p, shelf});
}

TPLNBaseItem* TPLNFactory::AddDimRadial2(TPLNBaseLabel* doc, float cx, float cy, float r, double angle) {
  return AddBaseDimRadial2(doc, Base(doc, cx), Base(doc, cy), Base(doc, r), angle);
}
TPLNBaseItem* TPLNFactory::AddBaseDimRadial2(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r,
                                             double angle) {
  return Outside(doc, TORDimType::RadiusOutside, cx, cy, r, angle);
}

TPLNBaseItem* TPLNFactory::AddDimDiameter1(TPLNBaseLabel* doc, float cx, float cy, float r, double angle) {
  return AddBaseDimDiameter1(doc, Base(doc, cx), Base(doc, cy), Base(doc, r), angle);
}
TPLNBaseItem* TPLNFactory::AddBaseDimDiameter1(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r,
                                               double angle) {
  const TORVPto p = OnCircle(cx, cy, r, angle);
  const TORVPto opposite{cx - Round(r * std::cos(angle)), cy - Round(r * std::sin(angle))};
  const TORVPto shelf{p.X + InsideShelf(doc, angle), p.Y};
  return MakeDim(doc, TORDimType::DiameterInside, {p, opposite, p, shelf, p, opposite, opposite, shelf});
}

TPLNBaseItem* TPLNFactory::AddDimDiameter2(TPLNBaseLabel* doc, float cx, float cy, float r, double angle) {
  return AddBaseDimDiameter2(doc, Base(doc, cx), Base(doc, cy), Base(doc, r), angle);
}
TPLNBaseItem* TPLNFactory::AddBaseDimDiameter2(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r,
                                               double angle) {
  return Outside(doc, TORDimType::DiameterOutside, cx, cy, r, angle);
}

TPLNBaseItem* TPLNFactory::AddDimAngle(TPLNBaseLabel* doc, const std::vector<float>& values) {
  std::vector<std::int64_t> base;
  base.reserve(values.size());
  for (float v : values) base.push_back(Base(doc, v));
  return AddBaseDimAngle(doc, base);
}

TPLNBaseItem* TPLNFactory::AddBaseDimAngle(TPLNBaseLabel* doc, const std::vector<std::int64_t>& values) {
  if (values.size() != 10) throw EPLNError(QStringLiteral("an angle dimension takes ten values, not %1").arg(values.size()));
  auto pt = [&values](int i) { return TORVPto{values[2 * i], values[2 * i + 1]}; };
  const TORVPto p1 = pt(0), p2 = pt(1), p3 = pt(2), p4 = pt(3), p = pt(4);
  std::array<TORVPto, 3> arc;
  if (!Line::CalcAnglePoints(p1, p2, p3, p4, p, arc)) return nullptr;
  return MakeDim(doc, TORDimType::Angle, {p1, p2, p3, p4, arc[0], arc[1], arc[2], p});
}

}  // namespace Orv::Fmx
