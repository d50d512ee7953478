#pragma once
// Flow charts: the boxes (TPLNBaseFlow), the links between items (TPLNBaseLink) and the
// connector positions every linkable item offers.

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "ORV.Base.h"
#include "ORV.F2d.h"
#include "ORV.Text.h"

namespace Orv::F2d {

// Routing of a link between its two ends.
enum class TORVinkType : std::uint8_t {
  Direct = 0,    // one straight segment
  LRTB = 1,      // one bend: across first, then up or down
  TBLR = 2,      // one bend: up or down first, then across
  Step = 3,      // right-angle steps leaving and entering each end square to its side
  Arc = 4,       // circular arc through start, the through point and end
  Curve = 5,     // one cubic curve leaving and entering square to the sides
  PolyLine = 6,  // straight segments through the user's link points
  Round = 7,     // right-angle bends with rounded corners: five cubic segments
};
constexpr int kLinkTypeCount = 8;

// Connectors of a box: 16 positions clockwise from the top-left corner (1 top-left, 3 top
// centre, 5 top-right, 7 right centre, 9 bottom-right, 11 bottom centre, 13 bottom-left,
// 15 left centre, the others at the quarters between). 0 asks for the side centre that faces the
// other end.
constexpr int kBoxConnectors = 16;
// The side a connector leaves its box by: 0 top, 1 right, 2 bottom, 3 left (corners count with
// the side that follows them clockwise: 1 top, 5 right, 9 bottom, 13 left).
int ConnectorSide(int index);
// Position of connector `index` (1..16) on `box` (page axes, y down).
TORVPto BoxConnector(const TORVBounds& box, int index);
// The side centre (3, 7, 11 or 15) of `box` that faces `toward`.
int FacingConnector(const TORVBounds& box, const TORVPto& toward);
// Unit direction out of a side (0 top .. 3 left) on the page.
TORVPto SideDirection(int side);

// One box of a flow chart: an outline of fifteen shapes with its text laid out inside.
class TPLNBaseFlow : public Text::TPLNTextItem<TPLNBoxItem> {
 public:
  TPLNBaseFlow(TPLNBaseLabel* owner, bool preview);
  TPLNBaseFlow(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::Flow; }
  QString KindName() const override { return QStringLiteral("Flow"); }

  // Defaults of a new box: 4 mm text centred in it, 1.5 mm padding, filled white.
  void IniFlow();

  // The shape; a value beyond the fifteen shapes is kept and draws no outline.
  TORVFlowType GetFlowType() const { return static_cast<TORVFlowType>(fFlowType); }
  std::uint8_t GetFlowTypeValue() const { return fFlowType; }
  void SetFlowType(TORVFlowType t);
  // Line spacing of the text: the pitch is the font's line height times this factor.
  double GetScaleX() const { return fScaleX; }
  void SetScaleX(double s);
  bool GetStrikeout() const { return fStrikeout; }
  void SetStrikeout(bool b) { Set(fStrikeout, b); }
  // The box (base units).
  std::int64_t BaseScaleWidth() const { return GetWidth(); }
  std::int64_t BaseScaleHeight() const { return GetHeight(); }
  // The laid-out lines, relative to the top-left of the box.
  const TxtLines& Lines() const { return fLines; }

  // The outline of `type` in `box` (any units: device pixels to draw, base units to find
  // connectors), the same on screen and on paper; empty for a value beyond the fifteen shapes.
  // "Predefined" adds its two inner lines to `inner` as pairs of end points: stroked, never filled.
  static QPainterPath Outline(TORVFlowType type, const QRectF& box, std::vector<QPointF>* inner = nullptr);

  // Picked anywhere inside its box: a flow chart's boxes are grabbed by their face.
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  // The box, and below it the dip of a document's wavy foot.
  TORVBounds GetBounds() const override;
  // Sixteen connectors, a decision only its four corners (3, 7, 11 and 15). Each lies where the
  // line from its place on the box into the shape meets the outline (towards the centre from a
  // corner, square to the side elsewhere): links end on the shape, not in the air beside it.
  int LinkPointCount() const override { return kBoxConnectors; }
  bool HasLinkPoint(int index) const override;
  bool LinkPoint(int index, const TORVPto& toward, TORVPto& p) const override;

 protected:
  void WriteOwn(TBinaryWriter& w) const override;
  void ReadOwn(TBinaryReader& r) override;
  void WriteOwnJson(Json::TJsonSink& o) const override;
  void ReadOwnJson(const QJsonObject& o) override;
  TxtLines fLines;

 private:
  std::uint8_t fFlowType = static_cast<std::uint8_t>(TORVFlowType::Process);
  double fScaleX = 1.0;
  bool fStrikeout = false;
  // Connector positions found on the outline, for the box and shape they were found for (found
  // at the first use after a change; links ask for them at every drawing).
  mutable std::array<TORVPto, kBoxConnectors> fConnectors{};
  mutable TORVBounds fConnectorBox;
  mutable int fConnectorType = -1;
};

// The geometry of a link as it lies now, from the current positions of its ends (base units).
struct TORVLinkGeom {
  TORVPto Start;
  TORVPto End;
  // Connectors the route was made for (automatic ones resolved), and the sides they leave by.
  int FromIndex = 0;
  int ToIndex = 0;
  int FromSide = 0;
  int ToSide = 0;
  // Intermediate points: the routing of lrtb, tblr, step; the 14 points of round; the user's
  // points of polyline. Empty for direct, arc and curve.
  std::vector<TORVPto> Points;
  // Curve: the two controls (start side, end side); arc: points along its tangents at the ends.
  TORVPto C1;
  TORVPto C2;
  // Arc: the point it passes through, its circle and angles (radians, y-down, positive sweep
  // clockwise on the page). A straight arc (the three points in line) has no circle.
  TORVPto Through;
  bool HasCircle = false;
  double CX = 0, CY = 0, Radius = 0, StartAngle = 0, Sweep = 0;
};

// A connection between two items that offer connectors. It stores which items and which
// connectors, not where they are: its geometry follows the items wherever they go.
class TPLNBaseLink : public TPLNBaseItem {
 public:
  TPLNBaseLink(TPLNBaseLabel* owner, bool preview);
  TPLNBaseLink(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::Link; }
  QString KindName() const override { return QStringLiteral("Link"); }

  std::int32_t GetFromID() const { return fFromID; }
  std::int32_t GetToID() const { return fToID; }
  void SetFromID(std::int32_t id);
  void SetToID(std::int32_t id);
  void SetEnds(std::int32_t fromID, std::int32_t toID);
  std::int16_t GetFromIndex() const { return fFromIndex; }
  std::int16_t GetToIndex() const { return fToIndex; }
  void SetFromIndex(std::int16_t i);
  void SetToIndex(std::int16_t i);
  TORVinkType GetLinkType() const { return fLinkType; }
  void SetLinkType(TORVinkType t);
  TORVTermType GetFromType() const { return fFromType; }
  TORVTermType GetToType() const { return fToType; }
  void SetFromType(TORVTermType t);
  void SetToType(TORVTermType t);
  TAlphaColor GetFromColor() const { return fFromColor; }
  TAlphaColor GetToColor() const { return fToColor; }
  void SetFromColor(TAlphaColor c);
  void SetToColor(TAlphaColor c);
  // How far an arc bows out of the straight line between its ends, as a share of that line's
  // length (positive: to the left going from start to end, on the page).
  static constexpr double kDefaultBulge = 0.25;
  double GetBulge() const { return fBulge; }
  void SetBulge(double b);

  // The items at the ends (null while one is missing: deleted, or not read yet).
  TPLNBaseItem* FromItem() const;
  TPLNBaseItem* ToItem() const;

  // Link points, counted from 1: the routing points of lrtb, tblr, step and round (made again
  // whenever the ends move) and the user's points of a polyline.
  int GetNumLinkPoints() const { return static_cast<int>(fLinkPts.size()); }
  TORVPto GetLinkPoint(int i) const;
  // Sets point i (from 1), growing the list as needed; the float form is in the document's unit.
  void SetBaseLinkPoint(int i, std::int64_t x, std::int64_t y);
  void SetLinkPoint(int i, double x, double y);
  void ClearLinkPoints();
  // Makes the routing points of the routed types from the ends as they are now; `force` also
  // replaces a polyline's points with the straight route's none.
  void CalcLinkPoints(bool force);

  // The geometry from the ends as they lie now; false while an end is missing.
  bool Geometry(TORVLinkGeom& g) const;
  // The route of `type` from g.Start (leaving by g.FromSide) to g.End (entered from g.ToSide) as
  // a link of `owner` lays it out: fills Points (a polyline's are its own: left empty), C1, C2
  // and an arc's circle. Also what the editor shows while a link is being drawn.
  static void Route(const TPLNBaseLabel* owner, TORVinkType type, double bulge, TORVLinkGeom& g);
  // The route as straight pieces (curves and arcs flattened), for picking and bounds.
  bool Polyline(std::vector<TORVPto>& out) const;

  TORVBounds GetBounds() const override;
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  // Handles: the points of a polyline (with insertion handles between them), an arc's through
  // point; the ends themselves belong to the items.
  void GetSelPoints(std::vector<TORVSelPoint>& out) const override;
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;
  void MovePoint(int index, std::int64_t x, std::int64_t y) override;
  void Move(std::int64_t dx, std::int64_t dy) override;
  void Resize(const TORVBounds& from, const TORVBounds& to) override;
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;
  bool DeletePoint(int index) override;
  bool InsertPoint(int index, std::int64_t x, std::int64_t y) override;

  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 protected:
  void CheckPointCount(int n) const override;

 private:
  template <class V>
  void Set(V& field, const V& value);
  std::vector<TORVPto> fLinkPts;
  std::int32_t fFromID = 0;
  std::int32_t fToID = 0;
  std::int16_t fFromIndex = 0;
  std::int16_t fToIndex = 0;
  TORVinkType fLinkType = TORVinkType::Direct;
  TORVTermType fFromType = 0;
  TORVTermType fToType = 0;
  TAlphaColor fFromColor = kBlack;
  TAlphaColor fToColor = kBlack;
  double fBulge = kDefaultBulge;
};

// Routing, for the link and for tests: the intermediate points of `type` between start (leaving
// by side `fromSide`) and end (entered from side `toSide`); `margin` is how far a step route runs
// straight out of a side before it turns.
void RoutePoints(TORVinkType type, const TORVPto& start, int fromSide, const TORVPto& end, int toSide,
                 std::int64_t margin, std::vector<TORVPto>& out);

}  // namespace Orv::F2d
