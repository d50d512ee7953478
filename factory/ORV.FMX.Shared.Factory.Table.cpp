// Tables.
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"

namespace Orv::Fmx {

using namespace FactorySupport;

TPLNBaseItem* TPLNFactory::AddTable(TPLNBaseLabel* doc, float x, float y, float w, float h) {
  return AddBaseTable(doc, Base(doc, x), Base(doc, y), Base(doc, w), Base(doc, h));
}

TPLNBaseItem* TPLNFactory::AddBaseTable(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w,
                                        std::int64_t h) {
  TBatch batch(doc);
  auto* item = new TPLNTable(doc, false);
  item->AssignPoints({TORVPto{x, y}, TORVPto{x + w, y + h}});
  // Something to see and to overwrite at once: three equal columns with headers and a row.
  const float shares[3] = {33.33f, 33.33f, 33.34f};
  for (int i = 0; i < 3; ++i) {
    F2d::TPLNColumn& c = item->AddColumn(QStringLiteral("Column %1").arg(i + 1), QString(), shares[i]);
    c.Body.Text = QStringLiteral("Value %1").arg(i + 1);
  }
  // The frame takes the layer's look, as a rectangle does.
  const TPLNLayer* layer = doc->GetActiveLayer();
  PenDefaults(item, layer, true);
  item->SetBackColor(layer->GetBackColor());
  if (layer->Fill) item->SetFilled(true);
  doc->SortItemsZLayer();
  return item;
}

}  // namespace Orv::Fmx
