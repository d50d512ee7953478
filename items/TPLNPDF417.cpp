#include "TPLNPDF417.h"

#include "ORV.FMX.Shared.h"
#include "TPLN2DCode.h"

namespace Orv::Fmx {

// The module matrix already holds one module row per symbol row; the shared 2-D drawing gives
// each row the bar height, so rows come out three modules tall by default.
void TPLNPDF417::Draw(TPLNBaseDraw* draw) { Codes2D::Draw(*this, draw); }
void TPLNPDF417::Print(TPLNBaseDraw* draw) { Codes2D::Print(*this, draw); }

TPLNPDF417* TPLNPDF417::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNPDF417>(owner, version, r, readType);
}
TPLNPDF417* TPLNPDF417::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNPDF417>(owner, version, o);
}

}  // namespace Orv::Fmx
