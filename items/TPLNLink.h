#pragma once
// A link between two items, routed one of eight ways, with a terminator at each end.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Flow.h"

namespace Orv::Fmx {

class TPLNLink : public Orv::F2d::TPLNBaseLink {
 public:
  using Orv::F2d::TPLNBaseLink::TPLNBaseLink;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNLink* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNLink* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
