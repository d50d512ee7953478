#pragma once
// A circular arc with terminators at both ends.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Line.h"

namespace Orv::Fmx {

class TPLNArc : public Orv::Line::TPLNBaseArc {
 public:
  using Orv::Line::TPLNBaseArc::TPLNBaseArc;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNArc* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNArc* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
