#pragma once
// A linear barcode: the bars of its code and, when shown, the human-readable line, hanging on its
// anchor like a text. A code its type cannot encode shows a red cross on screen and prints nothing.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BarcodeItems.h"
#include "ORV.BinaryIO.h"

namespace Orv::Fmx {

class TPLNBarcode : public Orv::Barcode::TPLNBaseBarcode {
 public:
  using Orv::Barcode::TPLNBaseBarcode::TPLNBaseBarcode;

  // Measures the human-readable font, then encodes and sizes the box.
  void CalcValues(int mode) override;
  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  // What a context shows of this item: its own code on the editor's surface, else (bound to a
  // data field) the record's value encoded with the item's type and options. Never changes the
  // item: exports draw on worker threads.
  Orv::Barcode::TORVLinearCode Shown(const TPLNBaseDraw& draw) const;

  static TPLNBarcode* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNBarcode* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
