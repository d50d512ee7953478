// QR codes and DataMatrix symbols, made in the active layer's pen colour.
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"

namespace Orv::Fmx {

using namespace FactorySupport;

namespace {

// The code comes last, so the symbol is encoded and laid out once, at its anchor.
template <class T>
T* Make2DCode(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, const QString& code) {
  TBatch batch(doc);
  auto* item = new T(doc, false);
  item->AssignPoints({TORVPto{x, y}});
  PenDefaults(item, doc->GetActiveLayer(), false);
  item->SetCode(code);
  doc->SortItemsZLayer();
  return item;
}

}  // namespace

TPLNBaseItem* TPLNFactory::AddQRCode(TPLNBaseLabel* doc, float x, float y, const QString& text) {
  return AddBaseQRCode(doc, Base(doc, x), Base(doc, y), text);
}

TPLNBaseItem* TPLNFactory::AddBaseQRCode(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, const QString& text) {
  return Make2DCode<TPLNQRCode>(doc, x, y, text);
}

TPLNBaseItem* TPLNFactory::AddDataMatrix(TPLNBaseLabel* doc, float x, float y, const QByteArray& code) {
  return AddBaseDataMatrix(doc, Base(doc, x), Base(doc, y), code);
}

TPLNBaseItem* TPLNFactory::AddBaseDataMatrix(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y,
                                             const QByteArray& code) {
  return Make2DCode<TPLNDataMatrix>(doc, x, y, QString::fromLatin1(code));
}

}  // namespace Orv::Fmx
