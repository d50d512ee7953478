#pragma once
// An ellipse: the oval inscribed in the box between two opposite corners.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.F2d.h"

namespace Orv::Fmx {

class TPLNEllipse : public Orv::F2d::TPLNBaseEllipse {
 public:
  using Orv::F2d::TPLNBaseEllipse::TPLNBaseEllipse;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNEllipse* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNEllipse* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
