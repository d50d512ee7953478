#pragma once
// A DataMatrix (ECC 200): its 8-bit code in a square or rectangular symbol, drawn module by module
// and hung on its anchor like a text. A code that cannot be encoded draws nothing.

#include <QJsonObject>
#include <cstdint>

#include "ORV.Barcode2D.h"
#include "ORV.BinaryIO.h"

namespace Orv::Fmx {

class TPLNDataMatrix : public Orv::Barcode::TPLNBaseDataMatrix {
 public:
  using Orv::Barcode::TPLNBaseDataMatrix::TPLNBaseDataMatrix;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNDataMatrix* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNDataMatrix* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
