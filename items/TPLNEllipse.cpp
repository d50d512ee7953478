#include "TPLNEllipse.h"

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

void TPLNEllipse::Draw(TPLNBaseDraw* draw) { DrawOvalItem(draw, *this); }

void TPLNEllipse::Print(TPLNBaseDraw* draw) { PrintOvalItem(draw, *this); }

TPLNEllipse* TPLNEllipse::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNEllipse>(owner, version, r, readType);
}
TPLNEllipse* TPLNEllipse::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNEllipse>(owner, version, o);
}

}  // namespace Orv::Fmx
