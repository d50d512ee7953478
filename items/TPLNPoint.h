#pragma once
// A point: a small circle around it, on screen and on paper.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Base.h"

namespace Orv::Fmx {

class TPLNPoint : public Orv::Base::TPLNBasePoint {
 public:
  using Orv::Base::TPLNBasePoint::TPLNBasePoint;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNPoint* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNPoint* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
