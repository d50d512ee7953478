#pragma once
// A chain of cubic Bézier segments, with terminators when open.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Canvas.h"
#include "ORV.F2d.h"

namespace Orv::Fmx {

class TPLNBezier : public Orv::F2d::TPLNBaseBezier {
 public:
  using Orv::F2d::TPLNBaseBezier::TPLNBaseBezier;
  // The outline in screen coordinates, the cell origin included.
  Orv::Canvas::TSkPath GetPath(const TPLNBaseDraw* draw) const;
  ~TPLNBezier() override;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNBezier* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNBezier* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
