#pragma once
// One box of a flow chart: fifteen outlines, filled or not, with the text laid out inside.

#include <QJsonObject>
#include <QPainterPath>
#include <QRectF>
#include <cstdint>
#include <vector>

#include "ORV.BinaryIO.h"
#include "ORV.Flow.h"

namespace Orv::Fmx {

class TPLNFlow : public Orv::F2d::TPLNBaseFlow {
 public:
  using Orv::F2d::TPLNBaseFlow::TPLNBaseFlow;

  // Measures the text and lays it out inside the shape: the box less its paddings on paper, so
  // the text keeps its size in millimetres whatever the drawing scale.
  void CalcValues(int mode) override;
  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNFlow* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNFlow* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
