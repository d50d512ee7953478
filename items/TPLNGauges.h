#pragma once
// The level gauge and the rank rating, drawn from one construction on the screen and on paper.

#include <QJsonObject>
#include <QPainterPath>
#include <QRectF>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Gauges.h"

namespace Orv::Fmx {

class TPLNDraw;

class TPLNLevel : public Orv::F2d::TPLNBaseLevel {
 public:
  using Orv::F2d::TPLNBaseLevel::TPLNBaseLevel;

  // The value this drawing shows: the item's own on the editor's surface, the number in its
  // data field's record off it (0 when the record holds no number).
  double ShownValue(const TPLNBaseDraw& draw) const;
  // The filled part of the disc inscribed in `box` (device pixels) for the fluid types: the
  // segment closed by its chord; empty for the ring types.
  QPainterPath GetPath(const QRectF& box, double value) const;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNLevel* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNLevel* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

class TPLNRank : public Orv::F2d::TPLNBaseRank {
 public:
  using Orv::F2d::TPLNBaseRank::TPLNBaseRank;

  // The position this drawing shows: the item's own, or its data field's whole number held
  // within 0 and the maximum off the editor.
  int ShownPosition(const TPLNBaseDraw& draw) const;
  static QPainterPath GetPathStar(const QRectF& rect);
  static QPainterPath GetPathRhombus(const QRectF& rect);

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNRank* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNRank* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
