// Poly texts, made in the active layer's pen colour.
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"
#include "TPLNPolyText.h"

namespace Orv::Fmx {

using namespace FactorySupport;

TPLNBaseItem* TPLNFactory::AddPolyText(TPLNBaseLabel* doc, float x, float y) {
  return AddBasePolyText(doc, Base(doc, x), Base(doc, y));
}

TPLNBaseItem* TPLNFactory::AddBasePolyText(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y) {
  TBatch batch(doc);
  auto* item = new TPLNPolyText(doc, false);
  item->AssignPoints({TORVPto{x, y}, TORVPto{x, y}});
  PenDefaults(item, doc->GetActiveLayer(), false);
  doc->SortItemsZLayer();
  return item;
}

}  // namespace Orv::Fmx
