#pragma once
// Closed figures: rectangle, circle, ellipse, polygon, sector, Bézier curve.

#include "ORV.Base.h"

namespace Orv::F2d {

// The data field a box item may show instead of its own value off the editor: the kind of field
// (0: none, the item's own value), its name and the format of its value. One record layout for
// every kind that has one; the JSON keys are written only for a bound item.
void WriteDataField(TBinaryWriter& w, std::uint8_t fillType, const QString& fillName, const QString& format);
void ReadDataField(TBinaryReader& r, std::uint8_t& fillType, QString& fillName, QString& format);
void WriteDataFieldJson(Json::TJsonSink& o, std::uint8_t fillType, const QString& fillName, const QString& format);
// Raises EPLNError naming the item's kind for a kind of field beyond 255.
void ReadDataFieldJson(const QString& kind, const QJsonObject& o, std::uint8_t& fillType, QString& fillName,
                       QString& format);

// Shapes defined by the box between two opposite corners.
class TPLNBoxItem : public TPLN2DItem {
 public:
  using TPLN2DItem::TPLN2DItem;
  // Size handles on the box; the rest follows the two corners. A box cannot hold a free angle:
  // turning moves its centre, and a quarter turn swaps width and height.
  bool TurnsFreely() const override { return false; }
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void GetSelPoints(std::vector<TORVSelPoint>& out) const override;
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;
  void MovePoint(int index, std::int64_t x, std::int64_t y) override;
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;

 protected:
  void CheckPointCount(int n) const override;
};

class TPLNBaseRectangle : public TPLNBoxItem {
 public:
  using TPLNBoxItem::TPLNBoxItem;
  std::int32_t KindCode() const override { return Kind::Rectangle; }
  QString KindName() const override { return QStringLiteral("Rectangle"); }
  // Corner radius in millimetres and in base units.
  float GetRadio() const { return static_cast<float>(fRadius / 1000.0); }
  std::int64_t GetBaseRadio() const { return fRadius; }
  void SetBaseRadio(std::int64_t r);

  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 private:
  std::int64_t fRadius = 0;
};

class TPLNBaseCircle : public TPLNBoxItem {
 public:
  using TPLNBoxItem::TPLNBoxItem;
  std::int32_t KindCode() const override { return Kind::Circle; }
  QString KindName() const override { return QStringLiteral("Circle"); }
  // Handles: 1 the centre, 2 the radius. Resizing and turning keep it a circle.
  bool TurnsFreely() const override { return true; }
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void GetSelPoints(std::vector<TORVSelPoint>& out) const override;
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;
  void MovePoint(int index, std::int64_t x, std::int64_t y) override;
  void Resize(const TORVBounds& from, const TORVBounds& to) override;
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;
  // Connectors on the circle itself (see TPLNBaseEllipse).
  bool LinkPoint(int index, const TORVPto& toward, TORVPto& p) const override;
  TORVPto Center() const;
  std::int64_t Radius() const;
};

class TPLNBaseEllipse : public TPLNBoxItem {
 public:
  using TPLNBoxItem::TPLNBoxItem;
  std::int32_t KindCode() const override { return Kind::Ellipse; }
  QString KindName() const override { return QStringLiteral("Ellipse"); }
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  // Connectors where the line from their place on the box into the ellipse meets it: towards
  // the centre from a corner, square to the side elsewhere.
  bool LinkPoint(int index, const TORVPto& toward, TORVPto& p) const override;
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;
};

class TPLNBasePolygon : public TPLN2DItem {
 public:
  TPLNBasePolygon(TPLNBaseLabel* owner, bool preview) : TPLN2DItem(owner, preview) {}
  TPLNBasePolygon(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview) : TPLN2DItem(owner, layer, preview) {}
  TPLNBasePolygon(TPLNBaseLabel* owner, int nPoints, bool preview);
  TPLNBasePolygon(TPLNBaseLabel* owner, TPLNLayer* layer, int nPoints, bool preview);
  std::int32_t KindCode() const override { return Kind::Polygon; }
  QString KindName() const override { return QStringLiteral("Polygon"); }
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void GetSelPoints(std::vector<TORVSelPoint>& out) const override;
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;
  // At least three corners stay.
  bool DeletePoint(int index) override;
  bool InsertPoint(int after, std::int64_t x, std::int64_t y) override;

 protected:
  // Any count is kept; fewer than two points simply draw nothing.
  void CheckPointCount(int) const override {}
};

// A pie slice of the circle inscribed in the box; angles in degrees, clockwise on the page.
class TPLNBaseSector : public TPLNBoxItem {
 public:
  using TPLNBoxItem::TPLNBoxItem;
  std::int32_t KindCode() const override { return Kind::Sector; }
  QString KindName() const override { return QStringLiteral("Sector"); }
  // Handles: 1 the centre, 2 the radius, 3 and 4 the ends of the arc.
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void GetSelPoints(std::vector<TORVSelPoint>& out) const override;
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;
  void MovePoint(int index, std::int64_t x, std::int64_t y) override;
  void Resize(const TORVBounds& from, const TORVBounds& to) override;
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;
  // The ends of the arc.
  TORVPto ArcPoint(double degrees) const;
  double GetAngleStart() const { return fStart; }
  double GetAngleGap() const { return fGap; }
  void SetAngleStart(double a);
  void SetAngleGap(double g);
  std::int64_t GetBaseCenterX() const;
  std::int64_t GetBaseCenterY() const;
  std::int64_t GetBaseRadio() const;

  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 private:
  double fStart = 0;
  double fGap = 90;
};

// A start point followed by (control, control, end) triples.
class TPLNBaseBezier : public TPLNTermItem<TPLN2DItem> {
 public:
  TPLNBaseBezier(TPLNBaseLabel* owner, bool preview) : TPLNTermItem(owner, preview) {}
  TPLNBaseBezier(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview) : TPLNTermItem(owner, layer, preview) {}
  TPLNBaseBezier(TPLNBaseLabel* owner, int nPoints, bool preview);
  TPLNBaseBezier(TPLNBaseLabel* owner, TPLNLayer* layer, int nPoints, bool preview);
  std::int32_t KindCode() const override { return Kind::Bezier; }
  QString KindName() const override { return QStringLiteral("Bezier"); }
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void GetSelPoints(std::vector<TORVSelPoint>& out) const override;
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;
  // Handles: every anchor and control, and an insertion handle on the middle of each segment.
  // Removes an anchor with its controls, merging the two segments about it into one; a curve
  // keeps at least one segment.
  bool DeletePoint(int index) override;
  // Splits the segment whose second control is `after` in two halves that keep its shape; the
  // new anchor (then at after + 1) follows (x, y) with its controls.
  bool InsertPoint(int after, std::int64_t x, std::int64_t y) override;
  // The curve sampled into a polyline, `steps` per segment.
  std::vector<TORVPto> Flatten(int steps) const;

 protected:
  void CheckPointCount(int) const override {}
};

}  // namespace Orv::F2d
