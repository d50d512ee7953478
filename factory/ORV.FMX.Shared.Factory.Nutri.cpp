// Nutri-Score labels.
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"

namespace Orv::Fmx {

using namespace FactorySupport;

TPLNBaseItem* TPLNFactory::AddNutriScore(TPLNBaseLabel* doc, float x, float y, float w, float h) {
  return AddBaseNutriScore(doc, Base(doc, x), Base(doc, y), Base(doc, w), Base(doc, h));
}

TPLNBaseItem* TPLNFactory::AddBaseNutriScore(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w,
                                             std::int64_t h) {
  TBatch batch(doc);
  auto* item = new TPLNNutriScore(doc, false);
  item->AssignPoints({TORVPto{x, y}, TORVPto{x + w, y + h}});
  // The frame takes the layer's look, as a rectangle does.
  const TPLNLayer* layer = doc->GetActiveLayer();
  PenDefaults(item, layer, true);
  item->SetBackColor(layer->GetBackColor());
  if (layer->Fill) item->SetFilled(true);
  doc->SortItemsZLayer();
  return item;
}

}  // namespace Orv::Fmx
