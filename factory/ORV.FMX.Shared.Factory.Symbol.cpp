// Placed library symbols.
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"

namespace Orv::Fmx {

using namespace FactorySupport;

TPLNBaseItem* TPLNFactory::AddSymbol(TPLNBaseLabel* doc, float x, float y) {
  return AddBaseSymbol(doc, Base(doc, x), Base(doc, y));
}

TPLNBaseItem* TPLNFactory::AddBaseSymbol(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y) {
  // Without a current symbol there is nothing to place: an empty symbol item would draw nothing
  // and could not be picked.
  const Symbol::TPLNBaseLibSymbol* current = doc->GetCurrentSymbol();
  if (!current) return nullptr;
  TBatch batch(doc);
  auto* item = new TPLNSymbol(doc, false);
  item->SetSymbol(current);
  item->AssignPoints({TORVPto{x, y}});
  doc->SortItemsZLayer();
  return item;
}

TPLNBaseItem* TPLNFactory::AddSymbol(TPLNBaseLabel* doc, float x, float y, const QString& file, const QString& name) {
  try {
    if (!doc->LoadSymbolByName(file, name)) return nullptr;
  } catch (const EPLNError&) {
    // A library that cannot be read holds no symbol to place; the document is unchanged.
    return nullptr;
  }
  return AddSymbol(doc, x, y);
}

}  // namespace Orv::Fmx
