#include "TPLNLink.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

void TPLNLink::Draw(TPLNBaseDraw* /*draw*/) {}

void TPLNLink::Print(TPLNBaseDraw* /*draw*/) {}

TPLNLink* TPLNLink::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNLink>(owner, version, r, readType);
}
TPLNLink* TPLNLink::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNLink>(owner, version, o);
}

}  // namespace Orv::Fmx
