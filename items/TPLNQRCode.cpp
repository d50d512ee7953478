#include "TPLNQRCode.h"

#include "TPLN2DCode.h"

namespace Orv::Fmx {

void TPLNQRCode::Draw(TPLNBaseDraw* draw) { Codes2D::Draw(*this, draw); }
void TPLNQRCode::Print(TPLNBaseDraw* draw) { Codes2D::Print(*this, draw); }

TPLNQRCode* TPLNQRCode::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNQRCode>(owner, version, r, readType);
}
TPLNQRCode* TPLNQRCode::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNQRCode>(owner, version, o);
}

}  // namespace Orv::Fmx
