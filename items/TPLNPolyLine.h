#pragma once
// An open line through its points, with terminators at both ends.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Canvas.h"
#include "ORV.Line.h"

namespace Orv::Fmx {

class TPLNPolyLine : public Orv::Line::TPLNBasePolyLine {
 public:
  using Orv::Line::TPLNBasePolyLine::TPLNBasePolyLine;
  // The outline in screen coordinates, the cell origin included.
  Orv::Canvas::TSkPath GetPath(const TPLNBaseDraw* draw) const;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNPolyLine* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNPolyLine* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
