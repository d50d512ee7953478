// Texts and paragraphs, made with the active layer's pen and font.
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"

namespace Orv::Fmx {

using namespace FactorySupport;

namespace {

template <class T>
void FontDefaults(T* item, const TPLNLayer* layer) {
  item->SetColor(layer->GetPenColor());
  item->SetFontName(layer->FontName);
  item->SetFontHeight(layer->GetFontHeight());
  item->SetFontColor(layer->FontColor);
  item->SetBold(layer->Bold);
  item->SetItalic(layer->Italic);
}

}  // namespace

TPLNBaseItem* TPLNFactory::AddText(TPLNBaseLabel* doc, float x, float y) {
  return AddBaseText(doc, Base(doc, x), Base(doc, y));
}

TPLNBaseItem* TPLNFactory::AddBaseText(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y) {
  TBatch batch(doc);
  auto* item = new TPLNText(doc, false);
  item->AssignPoints({TORVPto{x, y}, TORVPto{x, y}});
  FontDefaults(item, doc->GetActiveLayer());
  doc->SortItemsZLayer();
  return item;
}

TPLNBaseItem* TPLNFactory::AddParagraph(TPLNBaseLabel* doc, float x, float y, float w, float h) {
  return AddBaseParagraph(doc, Base(doc, x), Base(doc, y), Base(doc, w), Base(doc, h));
}

template <class T>
TPLNBaseItem* AddBox(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
  TBatch batch(doc);
  auto* item = new T(doc, false);
  item->AssignPoints({TORVPto{x, y}, TORVPto{x + w, y + h}});
  const TPLNLayer* layer = doc->GetActiveLayer();
  FontDefaults(item, layer);
  item->SetPenWidth(layer->GetPenWidth());
  item->SetBackColor(layer->GetBackColor());
  doc->SortItemsZLayer();
  return item;
}

TPLNBaseItem* TPLNFactory::AddBaseParagraph(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w,
                                            std::int64_t h) {
  return AddBox<TPLNParagraph>(doc, x, y, w, h);
}

TPLNBaseItem* TPLNFactory::AddRichText(TPLNBaseLabel* doc, float x, float y, float w, float h) {
  return AddBaseRichText(doc, Base(doc, x), Base(doc, y), Base(doc, w), Base(doc, h));
}

TPLNBaseItem* TPLNFactory::AddBaseRichText(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w,
                                           std::int64_t h) {
  return AddBox<TPLNRichText>(doc, x, y, w, h);
}

}  // namespace Orv::Fmx
