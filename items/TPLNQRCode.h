#pragma once
// A QR code: its text encoded as UTF-8 at the item's error-correction level, drawn module by module
// and hung on its anchor like a text. A code that cannot be encoded draws nothing.

#include <QJsonObject>
#include <cstdint>

#include "ORV.Barcode2D.h"
#include "ORV.BinaryIO.h"

namespace Orv::Fmx {

class TPLNQRCode : public Orv::Barcode::TPLNBaseQRCode {
 public:
  using Orv::Barcode::TPLNBaseQRCode::TPLNBaseQRCode;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNQRCode* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNQRCode* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
