#include "TPLNDataMatrix.h"

#include "TPLN2DCode.h"

namespace Orv::Fmx {

void TPLNDataMatrix::Draw(TPLNBaseDraw* draw) { Codes2D::Draw(*this, draw); }
void TPLNDataMatrix::Print(TPLNBaseDraw* draw) { Codes2D::Print(*this, draw); }

TPLNDataMatrix* TPLNDataMatrix::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNDataMatrix>(owner, version, r, readType);
}
TPLNDataMatrix* TPLNDataMatrix::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNDataMatrix>(owner, version, o);
}

}  // namespace Orv::Fmx
