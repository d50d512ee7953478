#pragma once
// An axis-aligned box between two opposite corners, optionally with round corners.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.F2d.h"

namespace Orv::Fmx {

class TPLNRectangle : public Orv::F2d::TPLNBaseRectangle {
 public:
  using Orv::F2d::TPLNBaseRectangle::TPLNBaseRectangle;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNRectangle* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNRectangle* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
