#pragma once
// Dimensions of technical drawings: the dimension item's model, the dimension styles the
// document shares among its dimensions, how three picked points become a linear dimension, the
// caption's number format and the layout of a caption along a line.

#include <QJsonObject>
#include <QString>
#include <array>
#include <cstdint>

#include "ORV.Line.h"

namespace Orv::Line {

enum class TORDimType : std::uint8_t {
  Horizontal = 0,
  Vertical = 1,
  Aligned = 2,
  RadiusInside = 3,
  RadiusOutside = 4,
  DiameterInside = 5,
  DiameterOutside = 6,
  Angle = 7,
};
constexpr std::uint8_t kDimTypeCount = 8;
inline bool IsLinearDim(TORDimType t) { return static_cast<std::uint8_t>(t) <= 2; }

// The look of a family of dimensions. Sizes in millimetres are sizes on paper: in a drawing at
// 1:N they span N times as many document coordinates, like the text they go with.
class TPLNDimStyle {
 public:
  TPLNDimStyle() = default;
  explicit TPLNDimStyle(const QString& name) : Name(name) {}

  QString Name = QStringLiteral("Standard");
  // Caption.
  QString FontName = QStringLiteral("Arial");
  float FontHeight = 3.5f;  // mm
  TAlphaColor FontColor = kBlack;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;  // on paper only
  TORVTextPos TextPos = TORVTextPos::Above;
  QString Prefix;
  QString Suffix;
  // '0' a digit always shown, '#' a digit shown unless it is a trailing zero, ',' in the whole
  // part groups thousands. Empty: `Decimals` fixed decimals.
  QString Format = QStringLiteral("0.##");
  std::uint8_t Decimals = 2;
  // Unit of the measured lengths (a TORVUnits ordinal), or -1 for the document's unit.
  std::int8_t Units = -1;
  // Dimension and extension lines; pen widths in base units, physical like every pen.
  TORVineType DimLineType = 0;
  TORVineType ExtLineType = 0;
  TAlphaColor DimColor = kBlack;
  TAlphaColor ExtColor = kBlack;
  double DimPenWidth = 180;
  double ExtPenWidth = 180;
  // Heads: the outline colour and the fill of closed heads; ArrowOpen is the spread of arrows.
  TORVTermType HeadType = 4;
  TAlphaColor HeadColor = kBlack;
  TAlphaColor FillColor = kBlack;
  float HeadSize = 3.0f;  // mm
  std::int16_t ArrowOpen = 6;
  // Extension lines overshoot the dimension line by ExtSize and start ExtGap away from the
  // measured point; DimBreak is the room left around a caption inside the dimension line. mm.
  float ExtSize = 2.0f;
  float ExtGap = 1.0f;
  float DimBreak = 1.0f;

  float GetFontHeight() const { return FontHeight; }
  std::int64_t GetBaseFontHeight() const { return Utils::RoundHalfAway(FontHeight * 1000.0); }
  double GetDimPenWidth() const { return DimPenWidth; }
  double GetExtPenWidth() const { return ExtPenWidth; }
  float GetHeadSize() const { return HeadSize; }
  float GetExtSize() const { return ExtSize; }
  float GetExtGap() const { return ExtGap; }
  float GetDimBreak() const { return DimBreak; }

  // Raises EPLNError naming the first value out of range.
  void Validate() const;
  void Write(TBinaryWriter& w) const;
  void Read(TBinaryReader& r);
  QJsonObject ToJson() const;
  void FromJson(const QJsonObject& o);

  friend bool operator==(const TPLNDimStyle&, const TPLNDimStyle&) = default;
};

// A dimension. Points (from 1): 1, 2 the measured points, or the ends of the radius or diameter
// line; 3, 4 the feet of the extension lines (radius and diameter: the leader's corner and end);
// 5, 6 the ends of the dimension line or arc; 7, 8 the far ends of the extension lines (angle:
// 7 on the arc, 8 the picked point that stands in for the centre); 9, 10 the caption box.
class TPLNBaseDim : public TPLNBaseItem {
 public:
  TPLNBaseDim(TPLNBaseLabel* owner, TORDimType type, bool preview);
  TPLNBaseDim(TPLNBaseLabel* owner, TPLNLayer* layer, TORDimType type, bool preview);
  std::int32_t KindCode() const override { return Kind::Dim; }
  QString KindName() const override { return QStringLiteral("Dim"); }
  // A linear dimension edits its measured points (1, 2) and its dimension line (5), and every
  // change places the extensions again. A radius or diameter edits its rim point (2; a diameter
  // drawn inside: 1), which measures anew, and the end of its leader (4), which takes the leader
  // round the circle. An angle edits the points of its arms (1 to 4; a shared vertex moves 1 and
  // 3 together) and the point that places its arc (8); the arc follows.
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void GetSelPoints(std::vector<TORVSelPoint>& out) const override;
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;
  void MovePoint(int index, std::int64_t x, std::int64_t y) override;
  void Resize(const TORVBounds& from, const TORVBounds& to) override;
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;

  TORDimType GetDimType() const { return fDimType; }
  void SetDimType(TORDimType t) { Set(fDimType, t); }
  // The document's style the dimension takes its look from, counted from 1.
  int GetDimStyleIndex() const { return fStyle; }
  void SetDimStyleIndex(int i);
  // That style; a built-in one for a dimension without a document.
  const TPLNDimStyle& GetDimStyle() const;
  // The user's text; "<>" in it stands for the measured value.
  QString GetText() const { return fText; }
  void SetText(const QString& t) { Set(fText, t); }
  // True: the caption is the measured value; false: the user's text.
  bool GetTextMeasure() const { return fTextMeasure; }
  void SetTextMeasure(bool b) { Set(fTextMeasure, b); }
  // Whether the extension lines of a linear dimension are drawn.
  bool GetDimExt() const { return fDimExt; }
  void SetDimExt(bool b) { Set(fDimExt, b); }

  // The measured value in the caption's unit (degrees for an angle) and the caption drawn.
  double GetValue() const { return fValue; }
  QString GetCaption() const { return fCaption; }

  // Measures and words the caption; the drawable class also lays it out.
  virtual void CalcValues(std::int16_t mode);
  // Re-derives the extension lines of a linear dimension from its measured points and the
  // distance of its dimension line, with `gap` and `ext` (document coordinates) from the style.
  void PlaceExtensions(std::int64_t gap, std::int64_t ext);
  // Re-derives the leader and shelf of a radius or diameter from its rim point (document
  // coordinates): drawn outside, a leader `leader` long outwards from the rim, then the shelf to
  // the side the leader points to; drawn inside, the shelf from the rim point. The shelf is
  // `shelf` long, or as long as the caption set on it needs (SetCaptionRoom).
  void PlaceLeader(std::int64_t leader, std::int64_t shelf);

  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 protected:
  // Keeps ten points and recomputes.
  void UpdatePoints() override;
  // The shelf length the caption of a radius or diameter drawn outside needs, set by the
  // drawable class, which measures the caption, before it places the leader.
  void SetCaptionRoom(std::int64_t room) { fCaptionRoom = room; }
  void CheckPointCount(int n) const override;

 private:
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    CalcValues(0);
    Changed();
  }
  double MeasuredLength() const;
  // After its points changed: extensions placed again, caption recomputed.
  void Replaced();

  TORDimType fDimType;
  int fStyle = 1;
  QString fText;
  bool fTextMeasure = true;
  bool fDimExt = true;
  double fValue = 0;
  QString fCaption;
  std::int64_t fCaptionRoom = 0;
  bool fLoading = false;
};

// A linear dimension from two measured points and a third that places the dimension line.
// Where the third point lies decides the kind: above or below the span of the two points (its x
// between theirs, its y outside theirs) a horizontal dimension; beside it (y between, x
// outside) a vertical one; anywhere else, inside the box of the two points or off its corners,
// one aligned with them at the third point's distance from their line. Two points on one
// horizontal (vertical) line always give a horizontal (vertical) dimension. `out` receives
// points 3 to 8; `gap` and `ext` are the style's extension gap and overshoot.
TORDimType CalcDimPoints(const TORVPto& p1, const TORVPto& p2, const TORVPto& p3, std::int64_t gap, std::int64_t ext,
                         std::array<TORVPto, 6>& out);

// The arc of an angle between the lines p1-p2 and p3-p4: its start, end and middle (points 5,
// 6, 7), on the angle `at` lies in, at `at`'s distance from the vertex. False when the lines do
// not meet.
bool CalcAnglePoints(const TORVPto& p1, const TORVPto& p2, const TORVPto& p3, const TORVPto& p4, const TORVPto& at,
                     std::array<TORVPto, 3>& out);

// `value` written with a decimal point whatever the locale, after `format` (see TPLNDimStyle),
// or with `decimals` fixed decimals when the format is empty.
QString FormatNumber(double value, const QString& format, int decimals);

}  // namespace Orv::Line

namespace Orv::Utils {

// Lays a one-line caption out along the line (x1, y1)-(x2, y2). All lengths are document
// coordinates: the text's width, nominal height, ascent and descent, and `gap`, the room kept
// between text and line.
//
// The caption is centred on the middle of the line and reads along it, turned so that it never
// reads upside down (a vertical line reads upwards); Horizontal keeps it upright and Vertical
// reads upwards whatever the line. Above and Below leave `gap` between the line and the text's
// descent or ascent line (above is the side the text's top faces); the other positions centre
// the text's height on the line.
//
// Outputs: for Above, Below and Middle, box1 and box2 are the corners of the text box at its
// start below and at its end above; for the in-line positions they are the points where the
// line enters and leaves the text box widened by `gap`, box1 on the side of (x1, y1) and never
// beyond the middle of the line, so the line is drawn as 1-box1 and box2-2. `screen` is the start
// of the baseline, `print` the top-left corner of the text in its own frame, and `angle` the
// direction of reading in radians (y-down, clockwise), in [-pi/2, pi/2).
void PosBaseLinesText(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t textWidth,
                      std::int64_t fontHeight, std::int64_t ascent, std::int64_t descent, std::int64_t gap,
                      Line::TORVTextPos pos, TORVPto& box1, TORVPto& box2, TORVPto& screen, TORVPto& print,
                      float& angle);

}  // namespace Orv::Utils
