#pragma once
// A PDF417 symbol: its code (8-bit text) encoded into a codeword grid and drawn row by row, each
// row the item's bar height tall, hung on its anchor like a text. A code that cannot be encoded
// draws nothing.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.PDF417.h"

namespace Orv::Fmx {

class TPLNPDF417 : public Orv::Barcode::TPLNBasePDF417 {
 public:
  using Orv::Barcode::TPLNBasePDF417::TPLNBasePDF417;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNPDF417* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNPDF417* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
