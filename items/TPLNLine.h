#pragma once
// A straight line between two points.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Line.h"

namespace Orv::Fmx {

class TPLNLine : public Orv::Line::TPLNBaseLine {
 public:
  using Orv::Line::TPLNBaseLine::TPLNBaseLine;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNLine* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNLine* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
