#include "TPLNFlow.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

void TPLNFlow::CalcValues(int mode) { TPLNBaseFlow::CalcValues(mode); }

void TPLNFlow::Draw(TPLNBaseDraw* /*draw*/) {}

void TPLNFlow::Print(TPLNBaseDraw* /*draw*/) {}

TPLNFlow* TPLNFlow::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNFlow>(owner, version, r, readType);
}
TPLNFlow* TPLNFlow::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNFlow>(owner, version, o);
}

}  // namespace Orv::Fmx
