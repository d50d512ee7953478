#pragma once
// Two indicators that show a value against a maximum: the level, a round gauge filled like a
// liquid or swept like a dial, and the rank, a row of squares, circles, stars or rhombi of which
// the first ones are filled. The model holds the values and works out the geometry; the
// drawable classes paint it.

#include <QPointF>
#include <QRectF>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "ORV.F2d.h"

namespace Orv::F2d {

// ---------------------------------------------------------------- level

enum class TORVLevelType : std::uint8_t {
  FluidHorz = 0,   // a liquid rising from the bottom, its surface level
  FluidVert = 1,   // a liquid filling from the left, its surface upright
  RadialHorz = 2,  // a ring swept clockwise from the bottom, the gap at the bottom
  RadialVert = 3,  // the same with the gap on the right
};
constexpr int kLevelTypeCount = 4;

// The circular segment that covers `fraction` (0 to 1) of a disc's area: the angles of its arc
// in degrees, clockwise on a y-down device from the positive x axis. From the bottom (`fromLeft`
// false) the segment sits on the disc's lowest point; from the left on its leftmost point.
void AngleSegment(double fraction, bool fromLeft, double& start, double& sweep);

struct TORVLevelStyle {
  double Value = 50;
  double Maximum = 100;
  std::uint8_t LevelType = 0;
  double AngleGap = 90;  // degrees, the ring types' opening
  TAlphaColor ValueColor = 0xFF2E86DEu;
  QString Text;
  QString FontName = QStringLiteral("Arial");
  std::int64_t FontHeight = 4000;  // base units (paper)
  TAlphaColor FontColor = kBlack;
  bool Bold = false;
  bool Italic = false;
  TORVAngle Angle = TORVAngle::A0;
  std::uint8_t FillType = 0;  // 0: the item's own value; otherwise the kind of data field
  QString FillName;
  QString Format;
  bool operator==(const TORVLevelStyle&) const = default;
};

class TPLNBaseLevel : public TPLNBoxItem {
 public:
  using TPLNBoxItem::TPLNBoxItem;
  std::int32_t KindCode() const override { return Kind::Level; }
  QString KindName() const override { return QStringLiteral("Level"); }

  double Value() const { return fStyle.Value; }
  void SetValue(double v);  // finite, else EPLNError
  double Maximum() const { return fStyle.Maximum; }
  void SetMaximum(double m);  // finite and 0 or more, else EPLNError
  std::uint8_t LevelType() const { return fStyle.LevelType; }
  void SetLevelType(std::uint8_t t);  // 0 to 3, else EPLNError
  double AngleGap() const { return fStyle.AngleGap; }
  void SetAngleGap(double degrees);  // 0 to 359, else EPLNError
  TAlphaColor ValueColor() const { return fStyle.ValueColor; }
  void SetValueColor(TAlphaColor c) { Set(fStyle.ValueColor, c); }

  // The caption in the middle of the disc.
  QString GetText() const { return fStyle.Text; }
  void SetText(const QString& t) { Set(fStyle.Text, t); }
  QString GetFontName() const { return fStyle.FontName; }
  void SetFontName(const QString& n) { Set(fStyle.FontName, n); }
  float GetFontHeight() const { return float(fStyle.FontHeight / 1000.0); }  // millimetres
  std::int64_t GetBaseFontHeight() const { return fStyle.FontHeight; }
  void SetBaseFontHeight(std::int64_t h);  // above 0, else EPLNError
  TAlphaColor GetFontColor() const { return fStyle.FontColor; }
  void SetFontColor(TAlphaColor c) { Set(fStyle.FontColor, c); }
  bool Bold() const { return fStyle.Bold; }
  void SetBold(bool b) { Set(fStyle.Bold, b); }
  bool Italic() const { return fStyle.Italic; }
  void SetItalic(bool b) { Set(fStyle.Italic, b); }
  TORVAngle GetAngle() const { return fStyle.Angle; }
  void SetAngle(TORVAngle a);

  // Data binding: with a fill type other than 0 the gauge shows the number held by the data
  // field `FillName` of the record being printed or exported.
  std::uint8_t FillType() const { return fStyle.FillType; }
  void SetFillType(std::uint8_t t) { Set(fStyle.FillType, t); }
  QString FillName() const { return fStyle.FillName; }
  void SetFillName(const QString& n) { Set(fStyle.FillName, n); }
  QString GetFormat() const { return fStyle.Format; }
  void SetFormat(const QString& f) { Set(fStyle.Format, f); }
  bool GetIsData() const override { return fStyle.FillType != 0; }

  const TORVLevelStyle& Style() const { return fStyle; }

  // The filled part for value `v`: the angles of its arc (degrees, clockwise on a y-down device).
  // A maximum of 0 reads as full; values below 0 or above the maximum are held at the ends.
  void FilledArc(double v, double& start, double& sweep) const;
  // `v` as a share of the maximum, 0 to 1 (1 when the maximum is 0).
  double Fraction(double v) const;

  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;

  // A value out of range raises EPLNError naming it, and the item keeps what it had.
  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 private:
  template <class V>
  void Set(V& field, const V& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void CheckStyle(const TORVLevelStyle& s) const;
  TORVLevelStyle fStyle;
};

// ---------------------------------------------------------------- rank

enum class TORVRankType : std::uint8_t { Square = 0, Circle = 1, Star = 2, Rhombus = 3 };
enum class TORVRankPos : std::uint8_t { LeftToRight = 0, RightToLeft = 1, BottomToTop = 2, TopToBottom = 3 };
constexpr int kRankTypeCount = 4;
constexpr int kRankPosCount = 4;
// Enough marks for any rating; more would only make the cells vanish.
constexpr int kMaxRank = 100;

// A five-pointed star's outline, ten (x, y) pairs in percent of its box, from the top point
// clockwise; the star sits in the middle of the box.
extern const std::array<QPointF, 10> StarPoints;

struct TORVRankStyle {
  std::uint16_t Maximum = 5;
  std::uint16_t Position = 3;
  std::uint8_t RankType = 2;
  std::uint8_t RankPos = 0;
  std::int64_t Gap = 1000;  // base units (paper)
  bool DrawEmpty = true;
  TAlphaColor EmptyColor = 0xFFD9D9D9u;
  std::uint8_t FillType = 0;
  QString FillName;
  QString Format;
  bool operator==(const TORVRankStyle&) const = default;
};

class TPLNBaseRank : public TPLNBoxItem {
 public:
  using TPLNBoxItem::TPLNBoxItem;
  std::int32_t KindCode() const override { return Kind::Rank; }
  QString KindName() const override { return QStringLiteral("Rank"); }

  std::uint16_t Maximum() const { return fStyle.Maximum; }
  void SetMaximum(int n);  // 1 to kMaxRank, else EPLNError; the position is held within it
  std::uint16_t Position() const { return fStyle.Position; }
  void SetPosition(int n);  // 0 to the maximum, else EPLNError
  std::uint8_t RankType() const { return fStyle.RankType; }
  void SetRankType(std::uint8_t t);  // 0 to 3, else EPLNError
  std::uint8_t RankPos() const { return fStyle.RankPos; }
  void SetRankPos(std::uint8_t p);  // 0 to 3, else EPLNError
  float GetGap() const { return float(fStyle.Gap / 1000.0); }  // millimetres
  std::int64_t GetBaseGap() const { return fStyle.Gap; }
  void SetBaseGap(std::int64_t g);  // 0 or more, else EPLNError
  bool DrawEmpty() const { return fStyle.DrawEmpty; }
  void SetDrawEmpty(bool b) { Set(fStyle.DrawEmpty, b); }
  TAlphaColor EmptyColor() const { return fStyle.EmptyColor; }
  void SetEmptyColor(TAlphaColor c) { Set(fStyle.EmptyColor, c); }

  // Data binding: the position comes from a data field (a whole number; anything else shows none
  // filled).
  std::uint8_t FillType() const { return fStyle.FillType; }
  void SetFillType(std::uint8_t t) { Set(fStyle.FillType, t); }
  QString FillName() const { return fStyle.FillName; }
  void SetFillName(const QString& n) { Set(fStyle.FillName, n); }
  QString GetFormat() const { return fStyle.Format; }
  void SetFormat(const QString& f) { Set(fStyle.Format, f); }
  bool GetIsData() const override { return fStyle.FillType != 0; }
  QString GetText() const { return QString::number(fStyle.Position); }

  const TORVRankStyle& Style() const { return fStyle; }

  // The marks' square cells in `box` (any units, y down) with the gap `gap`, in filling order:
  // the first `Position` of them are the filled ones.
  std::vector<QRectF> Cells(const QRectF& box, double gap) const;

  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;

  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 private:
  template <class V>
  void Set(V& field, const V& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void CheckStyle(const TORVRankStyle& s) const;
  TORVRankStyle fStyle;
};

}  // namespace Orv::F2d
