// Flow-chart boxes and the links between items.
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"
#include "ORV.Msg.h"

namespace Orv::Fmx {

using namespace FactorySupport;
using F2d::TORVinkType;

namespace {

// Both ends are there, different, and offer the connectors asked for.
bool Linkable(const TPLNBaseItem* from, const TPLNBaseItem* to, std::int16_t fromIndex, std::int16_t toIndex) {
  return TPLNFactory::IsLinkEnd(from) && TPLNFactory::IsLinkEnd(to) && from != to && TPLNFactory::HasConnector(from, fromIndex) &&
         TPLNFactory::HasConnector(to, toIndex);
}

// The link with its ends set, routed, in the active layer's pen. `points` runs before the route
// is made: a polyline keeps them as its own, the routed types replace them.
template <class Points>
TPLNBaseItem* MakeLink(TPLNBaseLabel* doc, const TPLNBaseItem* from, const TPLNBaseItem* to, std::int16_t fromIndex,
                       std::int16_t toIndex, TORVinkType linkType, Points&& points) {
  TBatch batch(doc);
  auto* link = new TPLNLink(doc, false);
  try {
    link->SetLinkType(linkType);
    link->SetFromID(from->GetID());
    link->SetToID(to->GetID());
    link->SetFromIndex(fromIndex);
    link->SetToIndex(toIndex);
    points(link);
    // Forcing the route would drop a polyline's points.
    link->CalcLinkPoints(link->GetLinkType() != TORVinkType::PolyLine);
    PenDefaults(link, doc->GetActiveLayer(), true);
  } catch (...) {
    // A point out of range: the half-made link leaves again.
    doc->DeleteItem(doc->IndexOf(link));
    throw;
  }
  doc->SortItemsZLayer();
  return link;
}

void NoPoints(TPLNLink*) {}

// A symbol's link point k is stored as k plus the offset; 0 (the link chooses) stays 0.
std::int16_t SymbolEndIndex(const TPLNBaseItem* item, std::int16_t index) {
  if (!item || item->KindCode() != Kind::Symbol || index <= 0 || index > item->LinkPointCount()) return index;
  return static_cast<std::int16_t>(index + Symbol::kSymbolLinkOffset);
}

void CheckEven(std::size_t n) {
  if (n % 2 != 0) throw EPLNError(TPLNMsg::GetErrorValue("EventNumber"));
}

}  // namespace

TPLNBaseItem* TPLNFactory::AddFlow(TPLNBaseLabel* doc, float x, float y, float w, float h, TORVFlowType type) {
  return AddBaseFlow(doc, Base(doc, x), Base(doc, y), Base(doc, w), Base(doc, h), type);
}

TPLNBaseItem* TPLNFactory::AddBaseFlow(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w,
                                       std::int64_t h, TORVFlowType type) {
  TBatch batch(doc);
  auto* flow = new TPLNFlow(doc, false);
  flow->AssignPoints({TORVPto{x, y}, TORVPto{x + w, y + h}});
  flow->SetFlowType(type);
  const TPLNLayer* layer = doc->GetActiveLayer();
  PenDefaults(flow, layer, true);
  // A box stays filled whatever the layer's fill switch: the links behind it must not show.
  flow->SetBackColor(layer->GetBackColor());
  flow->SetFontName(layer->FontName);
  flow->SetFontHeight(layer->GetFontHeight());
  flow->SetFontColor(layer->FontColor);
  flow->SetBold(layer->Bold);
  flow->SetItalic(layer->Italic);
  doc->SortItemsZLayer();
  return flow;
}

bool TPLNFactory::IsLinkEnd(const TPLNBaseItem* item) {
  return item && !item->IsPreview() && item->GetID() >= 1 && item->LinkPointCount() > 0;
}

bool TPLNFactory::HasConnector(const TPLNBaseItem* item, int index) {
  // Numbered within the item's count, so a point takes 1 only and every index fits a file.
  if (index == 0 || (index >= 1 && index <= item->LinkPointCount() && item->HasLinkPoint(index))) return true;
  // A symbol's link points are also stored past the offset (what AddLink writes).
  const int n = item->LinkPointCount();
  return item->KindCode() == Kind::Symbol && index > Symbol::kSymbolLinkOffset &&
         index <= Symbol::kSymbolLinkOffset + n && item->HasLinkPoint(index);
}

TPLNBaseItem* TPLNFactory::AddBaseLink(TPLNBaseLabel* doc, std::int32_t fromID, std::int32_t toID,
                                       std::int16_t fromIndex, std::int16_t toIndex, TORVinkType linkType) {
  const TPLNBaseItem* from = doc->FindByID(fromID);
  const TPLNBaseItem* to = doc->FindByID(toID);
  if (!Linkable(from, to, fromIndex, toIndex)) return nullptr;
  return MakeLink(doc, from, to, fromIndex, toIndex, linkType, NoPoints);
}

TPLNBaseItem* TPLNFactory::AddLink(TPLNBaseLabel* doc, const QString& fromName, const QString& toName,
                                   std::int16_t fromIndex, std::int16_t toIndex, TORVinkType linkType) {
  const TPLNBaseItem* from = doc->SearchItem(fromName, false);
  const TPLNBaseItem* to = doc->SearchItem(toName, false);
  fromIndex = SymbolEndIndex(from, fromIndex);
  toIndex = SymbolEndIndex(to, toIndex);
  if (!Linkable(from, to, fromIndex, toIndex)) return nullptr;
  return MakeLink(doc, from, to, fromIndex, toIndex, linkType, NoPoints);
}

TPLNBaseItem* TPLNFactory::AddBasePolyLink(TPLNBaseLabel* doc, std::int32_t fromID, std::int32_t toID,
                                           std::int16_t fromIndex, std::int16_t toIndex, TORVinkType linkType,
                                           const std::vector<std::int64_t>& values) {
  CheckEven(values.size());
  const TPLNBaseItem* from = doc->FindByID(fromID);
  const TPLNBaseItem* to = doc->FindByID(toID);
  if (!Linkable(from, to, fromIndex, toIndex)) return nullptr;
  return MakeLink(doc, from, to, fromIndex, toIndex, linkType, [&](TPLNLink* link) {
    for (std::size_t i = 0; i + 1 < values.size(); i += 2)
      link->SetBaseLinkPoint(static_cast<int>(i / 2) + 1, values[i], values[i + 1]);
  });
}

TPLNBaseItem* TPLNFactory::AddPolyLink(TPLNBaseLabel* doc, std::int32_t fromID, std::int32_t toID,
                                       std::int16_t fromIndex, std::int16_t toIndex, TORVinkType linkType,
                                       const std::vector<float>& values) {
  CheckEven(values.size());
  const TPLNBaseItem* from = doc->FindByID(fromID);
  const TPLNBaseItem* to = doc->FindByID(toID);
  if (!Linkable(from, to, fromIndex, toIndex)) return nullptr;
  return MakeLink(doc, from, to, fromIndex, toIndex, linkType, [&](TPLNLink* link) {
    for (std::size_t i = 0; i + 1 < values.size(); i += 2)
      link->SetLinkPoint(static_cast<int>(i / 2) + 1, values[i], values[i + 1]);
  });
}

// ---------------------------------------------------------------- TPLNSharedFMX

TPLNBaseItem* TPLNSharedFMX::AddBaseFlow(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                                         TORVFlowType type) {
  return TPLNFactory::AddBaseFlow(this, x, y, w, h, type);
}

TPLNBaseItem* TPLNSharedFMX::AddBaseLink(std::int32_t fromID, std::int32_t toID, std::int16_t fromIndex,
                                         std::int16_t toIndex, std::uint8_t linkType) {
  // An unknown routing becomes a straight link (SetLinkType's rule).
  return TPLNFactory::AddBaseLink(this, fromID, toID, fromIndex, toIndex, static_cast<TORVinkType>(linkType));
}

}  // namespace Orv::Fmx
