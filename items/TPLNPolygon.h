#pragma once
// A closed figure through its points.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Canvas.h"
#include "ORV.F2d.h"

namespace Orv::Fmx {

class TPLNPolygon : public Orv::F2d::TPLNBasePolygon {
 public:
  using Orv::F2d::TPLNBasePolygon::TPLNBasePolygon;
  // The outline in screen coordinates, the cell origin included.
  Orv::Canvas::TSkPath GetPath(const TPLNBaseDraw* draw) const;
  ~TPLNPolygon() override;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNPolygon* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNPolygon* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
