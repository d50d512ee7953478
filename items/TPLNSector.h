#pragma once
// A pie slice of the circle inscribed in its box.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Canvas.h"
#include "ORV.F2d.h"

namespace Orv::Fmx {

class TPLNSector : public Orv::F2d::TPLNBaseSector {
 public:
  using Orv::F2d::TPLNBaseSector::TPLNBaseSector;
  // The outline in screen coordinates, the cell origin included.
  Orv::Canvas::TSkPath GetPath(const TPLNBaseDraw* draw) const;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNSector* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNSector* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
