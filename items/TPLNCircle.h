#pragma once
// A circle: the oval inscribed in the box between two opposite corners.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.F2d.h"

namespace Orv::Fmx {

class TPLNCircle : public Orv::F2d::TPLNBaseCircle {
 public:
  using Orv::F2d::TPLNBaseCircle::TPLNBaseCircle;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNCircle* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNCircle* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
