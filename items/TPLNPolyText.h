#pragma once
// A poly text: a line of runs in their own fonts and colours, or a linear, QR or DataMatrix code,
// in a box that turns by quarter turns and may have a round-cornered background.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Poly.h"

namespace Orv::Fmx {

class TPLNPolyText : public Orv::Text::TPLNBasePoly {
 public:
  using Orv::Text::TPLNBasePoly::TPLNBasePoly;

  // Measures every run with its font (a font that cannot be made leaves the run without size),
  // then encodes the code and sizes the box.
  void CalcValues(int mode) override;
  // Drawing only reads what CalcValues left: exports draw bands on several threads at once.
  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNPolyText* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNPolyText* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
