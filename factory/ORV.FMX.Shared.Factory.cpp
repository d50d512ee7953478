#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"

#include "ORV.Draw2D.h"
#include "ORV.FMX.Items.h"
#include "ORV.Msg.h"

namespace Orv::Fmx {

using namespace FactorySupport;

namespace {

template <class T>
T* Finish2D(TPLNBaseLabel* doc, T* item) {
  const TPLNLayer* layer = doc->GetActiveLayer();
  PenDefaults(item, layer, true);
  item->SetBackColor(layer->GetBackColor());
  if (layer->Fill) item->SetFilled(true);
  doc->SortItemsZLayer();
  return item;
}

template <class T>
T* MakeBox(TPLNBaseLabel* doc, TORVPto a, TORVPto b) {
  TBatch batch(doc);
  auto* item = new T(doc, false);
  item->AssignPoints({a, b});
  return Finish2D(doc, item);
}

TORVPto CircleBox1(std::int64_t cx, std::int64_t cy, std::int64_t r) { return {cx - r, cy - r}; }
TORVPto CircleBox2(std::int64_t cx, std::int64_t cy, std::int64_t r) { return {cx + r, cy + r}; }

void CheckEven(std::size_t n) {
  if (n % 2 != 0) throw EPLNError(TPLNMsg::GetErrorValue("EventNumber"));
}

template <class T, class V>
T* MakeList(TPLNBaseLabel* doc, const std::vector<V>& values) {
  TBatch batch(doc);
  const int n = static_cast<int>(values.size() / 2);
  auto* item = new T(doc, n, false);
  for (int i = 1; i <= n; ++i) {
    if constexpr (std::is_integral_v<V>) {
      item->SetBase(i, values[2 * (i - 1)], values[2 * (i - 1) + 1]);
    } else {
      item->SetPointX(i, values[2 * (i - 1)]);
      item->SetPointY(i, values[2 * (i - 1) + 1]);
    }
  }
  item->Update();
  return item;
}

}  // namespace

TPLNBaseItem* TPLNFactory::AddPoint(TPLNBaseLabel* doc, float x, float y) {
  return AddBasePoint(doc, Base(doc, x), Base(doc, y));
}
TPLNBaseItem* TPLNFactory::AddBasePoint(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y) {
  TBatch batch(doc);
  auto* item = new TPLNPoint(doc, false);
  item->AssignPoints({TORVPto{x, y}});
  PenDefaults(item, doc->GetActiveLayer(), false);
  doc->SortItemsZLayer();
  return item;
}

TPLNBaseItem* TPLNFactory::AddLine(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2) {
  return AddBaseLine(doc, Base(doc, x1), Base(doc, y1), Base(doc, x2), Base(doc, y2));
}
TPLNBaseItem* TPLNFactory::AddBaseLine(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                       std::int64_t y2) {
  TBatch batch(doc);
  auto* item = new TPLNLine(doc, false);
  item->AssignPoints({TORVPto{x1, y1}, TORVPto{x2, y2}});
  PenDefaults(item, doc->GetActiveLayer(), true);
  doc->SortItemsZLayer();
  return item;
}

TPLNBaseItem* TPLNFactory::AddRectangle(TPLNBaseLabel* doc, float x, float y, float w, float h) {
  return AddBaseRectangle(doc, Base(doc, x), Base(doc, y), Base(doc, w), Base(doc, h));
}
TPLNBaseItem* TPLNFactory::AddBaseRectangle(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w,
                                            std::int64_t h) {
  return MakeBox<TPLNRectangle>(doc, {x, y}, {x + w, y + h});
}

TPLNBaseItem* TPLNFactory::AddEllipse(TPLNBaseLabel* doc, float cx, float cy, float rx, float ry) {
  return AddBaseEllipse(doc, Base(doc, cx), Base(doc, cy), Base(doc, rx), Base(doc, ry));
}
TPLNBaseItem* TPLNFactory::AddBaseEllipse(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t rx,
                                          std::int64_t ry) {
  return MakeBox<TPLNEllipse>(doc, {cx - rx, cy - ry}, {cx + rx, cy + ry});
}

TPLNBaseItem* TPLNFactory::AddCircle(TPLNBaseLabel* doc, float cx, float cy, float r) {
  return AddBaseCircle(doc, Base(doc, cx), Base(doc, cy), Base(doc, r));
}
TPLNBaseItem* TPLNFactory::AddBaseCircle(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r) {
  return MakeBox<TPLNCircle>(doc, CircleBox1(cx, cy, r), CircleBox2(cx, cy, r));
}

TPLNBaseItem* TPLNFactory::AddCircle2P(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2) {
  return AddBaseCircle2P(doc, Base(doc, x1), Base(doc, y1), Base(doc, x2), Base(doc, y2));
}
TPLNBaseItem* TPLNFactory::AddBaseCircle2P(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                           std::int64_t y2) {
  std::int64_t cx, cy, r;
  TDraw2D::CircleTwoPoints(x1, y1, x2, y2, cx, cy, r);
  return AddBaseCircle(doc, cx, cy, r);
}

TPLNBaseItem* TPLNFactory::AddCircle3P(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2, float x3, float y3) {
  return AddBaseCircle3P(doc, Base(doc, x1), Base(doc, y1), Base(doc, x2), Base(doc, y2), Base(doc, x3), Base(doc, y3));
}
TPLNBaseItem* TPLNFactory::AddBaseCircle3P(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                           std::int64_t y2, std::int64_t x3, std::int64_t y3) {
  std::int64_t cx, cy, r;
  if (!TDraw2D::CircleThreePoints(x1, y1, x2, y2, x3, y3, cx, cy, r)) return nullptr;
  return AddBaseCircle(doc, cx, cy, r);
}

TPLNBaseItem* TPLNFactory::AddArc(TPLNBaseLabel* doc, float cx, float cy, float r, double start, double sweep) {
  return AddBaseArc(doc, Base(doc, cx), Base(doc, cy), Base(doc, r), start, sweep);
}
TPLNBaseItem* TPLNFactory::AddBaseArc(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r,
                                      double start, double sweep) {
  TBatch batch(doc);
  auto* item = new TPLNArc(doc, false);
  item->AssignPoints({CircleBox1(cx, cy, r), CircleBox2(cx, cy, r)});
  item->SetAngles(start, sweep);
  PenDefaults(item, doc->GetActiveLayer(), true);
  doc->SortItemsZLayer();
  return item;
}

TPLNBaseItem* TPLNFactory::AddArc(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2, float x3, float y3) {
  return AddBaseArc(doc, Base(doc, x1), Base(doc, y1), Base(doc, x2), Base(doc, y2), Base(doc, x3), Base(doc, y3));
}
TPLNBaseItem* TPLNFactory::AddBaseArc(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                      std::int64_t y2, std::int64_t x3, std::int64_t y3) {
  TBatch batch(doc);
  auto* item = new TPLNArc(doc, x1, y1, x2, y2, x3, y3, false);
  PenDefaults(item, doc->GetActiveLayer(), true);
  doc->SortItemsZLayer();
  return item;
}

namespace {
TPLNBaseItem* MakeSector(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r, double start,
                         double gap) {
  TBatch batch(doc);
  auto* item = MakeBox<TPLNSector>(doc, CircleBox1(cx, cy, r), CircleBox2(cx, cy, r));
  item->SetAngleStart(start);
  item->SetAngleGap(gap);
  return item;
}
}  // namespace

TPLNBaseItem* TPLNFactory::AddSector(TPLNBaseLabel* doc, float cx, float cy, float r, double start, double gap) {
  return AddBaseSector(doc, Base(doc, cx), Base(doc, cy), Base(doc, r), start, gap);
}
TPLNBaseItem* TPLNFactory::AddBaseSector(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r,
                                         double start, double gap) {
  return MakeSector(doc, cx, cy, r, start, gap);
}
TPLNBaseItem* TPLNFactory::AddSector2P(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2, double start,
                                       double gap) {
  return AddBaseSector2P(doc, Base(doc, x1), Base(doc, y1), Base(doc, x2), Base(doc, y2), start, gap);
}
TPLNBaseItem* TPLNFactory::AddBaseSector2P(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                           std::int64_t y2, double start, double gap) {
  std::int64_t cx, cy, r;
  TDraw2D::CircleTwoPoints(x1, y1, x2, y2, cx, cy, r);
  return MakeSector(doc, cx, cy, r, start, gap);
}
TPLNBaseItem* TPLNFactory::AddSector3P(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2, float x3, float y3,
                                       double start, double gap) {
  return AddBaseSector3P(doc, Base(doc, x1), Base(doc, y1), Base(doc, x2), Base(doc, y2), Base(doc, x3), Base(doc, y3),
                         start, gap);
}
TPLNBaseItem* TPLNFactory::AddBaseSector3P(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                           std::int64_t y2, std::int64_t x3, std::int64_t y3, double start,
                                           double gap) {
  std::int64_t cx, cy, r;
  if (!TDraw2D::CircleThreePoints(x1, y1, x2, y2, x3, y3, cx, cy, r)) return nullptr;
  return MakeSector(doc, cx, cy, r, start, gap);
}

TPLNBaseItem* TPLNFactory::AddPolyLine(TPLNBaseLabel* doc, const std::vector<float>& values) {
  CheckEven(values.size());
  TBatch batch(doc);  // the defaults belong to the same undo step as the item
  auto* item = MakeList<TPLNPolyLine>(doc, values);
  PenDefaults(item, doc->GetActiveLayer(), true);
  doc->SortItemsZLayer();
  return item;
}
TPLNBaseItem* TPLNFactory::AddBasePolyLine(TPLNBaseLabel* doc, const std::vector<std::int64_t>& values) {
  CheckEven(values.size());
  TBatch batch(doc);  // the defaults belong to the same undo step as the item
  auto* item = MakeList<TPLNPolyLine>(doc, values);
  PenDefaults(item, doc->GetActiveLayer(), true);
  doc->SortItemsZLayer();
  return item;
}

namespace {
template <class V>
TPLNBaseItem* PolygonFrom(TPLNBaseLabel* doc, const std::vector<V>& values) {
  TBatch batch(doc);  // the defaults belong to the same undo step as the item
  return Finish2D(doc, MakeList<TPLNPolygon>(doc, values));
}
}  // namespace

TPLNBaseItem* TPLNFactory::AddPolygon(TPLNBaseLabel* doc, const std::vector<float>& values) {
  CheckEven(values.size());
  return PolygonFrom(doc, values);
}
TPLNBaseItem* TPLNFactory::AddBasePolygon(TPLNBaseLabel* doc, const std::vector<std::int64_t>& values) {
  // Too few points is the first complaint, even for an odd count of them.
  if (values.size() < 6) throw EPLNError(TPLNMsg::GetErrorValue("Polygon"));
  CheckEven(values.size());
  return PolygonFrom(doc, values);
}

TPLNBaseItem* TPLNFactory::AddBezier(TPLNBaseLabel* doc, const std::vector<float>& values) {
  CheckEven(values.size());
  TBatch batch(doc);  // the defaults belong to the same undo step as the item
  auto* item = MakeList<TPLNBezier>(doc, values);
  PenDefaults(item, doc->GetActiveLayer(), true);
  doc->SortItemsZLayer();
  return item;
}
TPLNBaseItem* TPLNFactory::AddBaseBezier(TPLNBaseLabel* doc, const std::vector<std::int64_t>& values) {
  CheckEven(values.size());
  TBatch batch(doc);  // the defaults belong to the same undo step as the item
  auto* item = MakeList<TPLNBezier>(doc, values);
  PenDefaults(item, doc->GetActiveLayer(), true);
  doc->SortItemsZLayer();
  return item;
}

// ---------------------------------------------------------------- TPLNSharedFMX

TPLNBaseItem* TPLNSharedFMX::AddBasePoint(std::int64_t x, std::int64_t y) { return TPLNFactory::AddBasePoint(this, x, y); }
TPLNBaseItem* TPLNSharedFMX::AddBaseLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  return TPLNFactory::AddBaseLine(this, x1, y1, x2, y2);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseRectangle(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
  return TPLNFactory::AddBaseRectangle(this, x, y, w, h);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseEllipse(std::int64_t cx, std::int64_t cy, std::int64_t rx, std::int64_t ry) {
  return TPLNFactory::AddBaseEllipse(this, cx, cy, rx, ry);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseCircle(std::int64_t cx, std::int64_t cy, std::int64_t r) {
  return TPLNFactory::AddBaseCircle(this, cx, cy, r);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseArc(std::int64_t cx, std::int64_t cy, std::int64_t r, double start, double sweep) {
  return TPLNFactory::AddBaseArc(this, cx, cy, r, start, sweep);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseSector(std::int64_t cx, std::int64_t cy, std::int64_t r, double start, double gap) {
  return TPLNFactory::AddBaseSector(this, cx, cy, r, start, gap);
}
TPLNBaseItem* TPLNSharedFMX::AddBasePolyLine(const std::vector<std::int64_t>& values) {
  return TPLNFactory::AddBasePolyLine(this, values);
}
TPLNBaseItem* TPLNSharedFMX::AddBasePolygon(const std::vector<std::int64_t>& values) {
  return TPLNFactory::AddBasePolygon(this, values);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseBezier(const std::vector<std::int64_t>& values) {
  return TPLNFactory::AddBaseBezier(this, values);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseText(std::int64_t x, std::int64_t y) { return TPLNFactory::AddBaseText(this, x, y); }
TPLNBaseItem* TPLNSharedFMX::AddBaseParagraph(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
  return TPLNFactory::AddBaseParagraph(this, x, y, w, h);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseRichText(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
  return TPLNFactory::AddBaseRichText(this, x, y, w, h);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseArrowLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  return TPLNFactory::AddBaseArrowLine(this, x1, y1, x2, y2);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseDim(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                                        std::int64_t x3, std::int64_t y3) {
  return TPLNFactory::AddBaseDim(this, x1, y1, x2, y2, x3, y3);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseDimRadius(std::int64_t cx, std::int64_t cy, std::int64_t r, double angle,
                                              bool diameter, bool outside) {
  if (diameter)
    return outside ? TPLNFactory::AddBaseDimDiameter2(this, cx, cy, r, angle)
                   : TPLNFactory::AddBaseDimDiameter1(this, cx, cy, r, angle);
  return outside ? TPLNFactory::AddBaseDimRadial2(this, cx, cy, r, angle)
                 : TPLNFactory::AddBaseDimRadial1(this, cx, cy, r, angle);
}
TPLNBaseItem* TPLNSharedFMX::AddBaseDimAngle(const std::vector<std::int64_t>& values) {
  return TPLNFactory::AddBaseDimAngle(this, values);
}

}  // namespace Orv::Fmx
