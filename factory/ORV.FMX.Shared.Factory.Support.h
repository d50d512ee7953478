#pragma once
// Pieces every factory source uses: unit conversion, notification batching, layer defaults.

#include "ORV.Base.h"
#include "ORV.Utils.h"

namespace Orv::Fmx::FactorySupport {

// A value in the document's unit to base units.
inline std::int64_t Base(const TPLNBaseLabel* doc, double v) { return Utils::SetValue(v, doc->GetUnits()); }

// Observers hear of the new item only once it is complete, not once per default applied.
class TBatch {
 public:
  explicit TBatch(TPLNBaseLabel* doc) : fDoc(doc) { fDoc->BeginUpdate(); }
  ~TBatch() { fDoc->EndUpdate(); }
  TBatch(const TBatch&) = delete;
  TBatch& operator=(const TBatch&) = delete;

 private:
  TPLNBaseLabel* fDoc;
};

// The active layer's pen colour and, when asked, its pen width.
inline void PenDefaults(TPLNBaseItem* item, const TPLNLayer* layer, bool width) {
  item->SetColor(layer->GetPenColor());
  if (width) item->SetPenWidth(layer->GetPenWidth());
}

}  // namespace Orv::Fmx::FactorySupport
