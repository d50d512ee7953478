// Level gauges, rank ratings and package drawings.
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"

namespace Orv::Fmx {

using namespace FactorySupport;

namespace {

// A gauge's frame takes the layer's look, as a rectangle does.
void BoxDefaults(TPLNBaseLabel* doc, TPLN2DItem* item) {
  const TPLNLayer* layer = doc->GetActiveLayer();
  PenDefaults(item, layer, true);
  item->SetBackColor(layer->GetBackColor());
  if (layer->Fill) item->SetFilled(true);
}

}  // namespace

TPLNBaseItem* TPLNFactory::AddLevel(TPLNBaseLabel* doc, float cx, float cy, float r) {
  return AddBaseLevel(doc, Base(doc, cx), Base(doc, cy), Base(doc, r));
}

TPLNBaseItem* TPLNFactory::AddBaseLevel(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r) {
  if (r <= 0) return nullptr;
  TBatch batch(doc);
  auto* item = new TPLNLevel(doc, false);
  item->AssignPoints({TORVPto{cx - r, cy - r}, TORVPto{cx + r, cy + r}});
  BoxDefaults(doc, item);
  doc->SortItemsZLayer();
  return item;
}

TPLNBaseItem* TPLNFactory::AddRank(TPLNBaseLabel* doc, float x, float y, float w, float h) {
  return AddBaseRank(doc, Base(doc, x), Base(doc, y), Base(doc, w), Base(doc, h));
}

TPLNBaseItem* TPLNFactory::AddBaseRank(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w,
                                       std::int64_t h) {
  TBatch batch(doc);
  auto* item = new TPLNRank(doc, false);
  item->AssignPoints({TORVPto{x, y}, TORVPto{x + w, y + h}});
  BoxDefaults(doc, item);
  // Filled marks in a warm gold unless the layer fills: a rating reads at once.
  if (!doc->GetActiveLayer()->Fill) {
    item->SetBackColor(0xFFF5B301u);
    item->SetFilled(true);
  }
  doc->SortItemsZLayer();
  return item;
}

TPLNBaseItem* TPLNFactory::AddPackage(TPLNBaseLabel* doc, float x, float y, float w, float h) {
  return AddBasePackage(doc, Base(doc, x), Base(doc, y), Base(doc, w), Base(doc, h));
}

TPLNBaseItem* TPLNFactory::AddBasePackage(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w,
                                          std::int64_t h) {
  TBatch batch(doc);
  auto* item = new TPLNPackage(doc, false);
  item->AssignPoints({TORVPto{x, y}, TORVPto{x + w, y + h}});
  BoxDefaults(doc, item);
  item->SetFontColor(doc->GetActiveLayer()->FontColor);
  doc->SortItemsZLayer();
  return item;
}

}  // namespace Orv::Fmx
