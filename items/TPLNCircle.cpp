#include "TPLNCircle.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

void TPLNCircle::Draw(TPLNBaseDraw* draw) { DrawOvalItem(draw, *this); }

void TPLNCircle::Print(TPLNBaseDraw* draw) { PrintOvalItem(draw, *this); }

TPLNCircle* TPLNCircle::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNCircle>(owner, version, r, readType);
}
TPLNCircle* TPLNCircle::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNCircle>(owner, version, o);
}

}  // namespace Orv::Fmx
