#pragma once
// Open figures: line, polyline, arc.

#include "ORV.Base.h"

namespace Orv::Line {

class TPLNBaseLine : public TPLNBaseItem {
 public:
  using TPLNBaseItem::TPLNBaseItem;
  std::int32_t KindCode() const override { return Kind::Line; }
  QString KindName() const override { return QStringLiteral("Line"); }

 protected:
  void CheckPointCount(int n) const override;
};

class TPLNBasePolyLine : public TPLNTermItem<TPLNBaseItem> {
 public:
  TPLNBasePolyLine(TPLNBaseLabel* owner, bool preview) : TPLNTermItem(owner, preview) {}
  TPLNBasePolyLine(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview) : TPLNTermItem(owner, layer, preview) {}
  TPLNBasePolyLine(TPLNBaseLabel* owner, int nPoints, bool preview);
  TPLNBasePolyLine(TPLNBaseLabel* owner, TPLNLayer* layer, int nPoints, bool preview);
  std::int32_t KindCode() const override { return Kind::PolyLine; }
  QString KindName() const override { return QStringLiteral("PolyLine"); }

 protected:
  // Any count is kept; fewer than two points simply draw nothing.
  void CheckPointCount(int) const override {}
};

// A circular arc: centre, radius, start and sweep (radians, clockwise on the y-down page).
// Its three points are the start, the middle and the end of the arc.
class TPLNBaseArc : public TPLNBaseItem, public TORVTerminators {
 public:
  TPLNBaseArc(TPLNBaseLabel* owner, bool preview) : TPLNBaseItem(owner, preview) {}
  TPLNBaseArc(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview) : TPLNBaseItem(owner, layer, preview) {}
  // Through three points: start, a point on the arc, end.
  TPLNBaseArc(TPLNBaseLabel* owner, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
              std::int64_t x3, std::int64_t y3, bool preview);
  std::int32_t KindCode() const override { return Kind::Arc; }
  QString KindName() const override { return QStringLiteral("Arc"); }

  TORVPto GetCenter() const { return fCenter; }
  std::int64_t GetRadius() const { return fRadius; }
  double GetAngleStart() const { return fStart; }
  double GetAngleSweep() const { return fSweep; }
  // True when the arc runs clockwise on the page (positive sweep).
  bool GetDirection() const { return fSweep >= 0; }
  void SetAngles(double start, double sweep);
  void SetCircle(TORVPto center, std::int64_t radius);

  TORVBounds GetBounds() const override;
  void Move(std::int64_t dx, std::int64_t dy) override;
  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 protected:
  // Two points are the box of the circle; three are start, middle and end.
  void UpdatePoints() override;
  void CheckPointCount(int n) const override;

 private:
  void ComputePoints();
  TORVPto fCenter;
  std::int64_t fRadius = 0;
  double fStart = 0;
  double fSweep = 0;
};

}  // namespace Orv::Line
