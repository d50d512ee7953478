// PDF417 symbols, made in the active layer's pen colour.
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"

namespace Orv::Fmx {

using namespace FactorySupport;

TPLNBaseItem* TPLNFactory::AddPDF417(TPLNBaseLabel* doc, float x, float y, const QByteArray& code) {
  return AddBasePDF417(doc, Base(doc, x), Base(doc, y), code);
}

TPLNBaseItem* TPLNFactory::AddBasePDF417(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, const QByteArray& code) {
  TBatch batch(doc);
  auto* item = new TPLNPDF417(doc, false);
  item->AssignPoints({TORVPto{x, y}});
  PenDefaults(item, doc->GetActiveLayer(), false);
  // The code comes last, so the symbol is encoded and laid out once, at its anchor.
  item->SetCode(QString::fromLatin1(code));
  doc->SortItemsZLayer();
  return item;
}

}  // namespace Orv::Fmx
