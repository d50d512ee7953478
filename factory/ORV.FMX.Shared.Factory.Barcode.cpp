// Linear barcodes, made with the active layer's pen and, in the unit form, its font.
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"

namespace Orv::Fmx {

using namespace FactorySupport;

namespace {

// The code and type come last, so the box is laid out once with the font the item ends with.
TPLNBarcode* MakeBarcode(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, const QByteArray& code,
                         TORVBarType type, bool font) {
  auto* item = new TPLNBarcode(doc, false);
  item->AssignPoints({TORVPto{x, y}});
  const TPLNLayer* layer = doc->GetActiveLayer();
  item->SetColor(layer->GetPenColor());
  if (font) {
    item->SetFontName(layer->FontName);
    item->SetFontHeight(layer->GetFontHeight());
  }
  item->SetCode(QString::fromLatin1(code));
  item->SetCodeType(type);
  doc->SortItemsZLayer();
  return item;
}

}  // namespace

TPLNBaseItem* TPLNFactory::AddBarcode(TPLNBaseLabel* doc, float x, float y, const QByteArray& code, TORVBarType type) {
  TBatch batch(doc);
  return MakeBarcode(doc, Base(doc, x), Base(doc, y), code, type, true);
}

TPLNBaseItem* TPLNFactory::AddBaseBarcode(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, const QByteArray& code,
                                          TORVBarType type) {
  TBatch batch(doc);
  return MakeBarcode(doc, x, y, code, type, false);
}

}  // namespace Orv::Fmx
