#pragma once
// Pieces every factory source uses: unit conversion, notification batching, layer defaults.

#include "ORV.Base.h"
#include "ORV.Flow.h"
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
// New terminators take the document's settings: their colour and size on lines, polylines and
// arcs, their fill on links.
inline void PenDefaults(TPLNBaseItem* item, const TPLNLayer* layer, bool width) {
  item->SetColor(layer->GetPenColor());
  if (width) item->SetPenWidth(layer->GetPenWidth());
  const TPLNBaseLabel* doc = item->Owner();
  if (!doc) return;
  const TPLNSettings& s = doc->Settings();
  if (auto* t = dynamic_cast<TORVTerminators*>(item)) {
    t->FromColor = t->ToColor = s.TermColor;
    t->SizeFrom = t->SizeTo = s.GetTermSize();
  } else if (auto* link = dynamic_cast<F2d::TPLNBaseLink*>(item)) {
    link->SetFromColor(s.FillTermColor);
    link->SetToColor(s.FillTermColor);
  }
}

}  // namespace Orv::Fmx::FactorySupport
