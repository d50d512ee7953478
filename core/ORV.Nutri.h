#pragma once
// The Nutri-Score label: a frame, an optional title and the five grades A to E in coloured cells,
// the selected grade drawn larger over its neighbours. The model holds the values and lays the
// title and the cells out; the drawable class paints what the layout gives.

#include <QRectF>
#include <QString>
#include <array>
#include <cstdint>

#include "ORV.F2d.h"

namespace Orv::F2d {

// Layouts of the label, in the label's own reading frame (turned with its angle).
enum class TORVNutriType : std::uint8_t {
  Style1 = 0,  // the title across the top, the five cells in a row under it
  Style2 = 1,  // the title in the first third of the row, the five cells after it
};
constexpr int kNutriTypeCount = 2;
constexpr int kNutriGrades = 5;

// ---- layout (pure geometry, any units: base units or device pixels, y down)
//
// `rect` is the area inside the frame's margin on the page. The label reads along its length
// (left to right at angle 0); turned by `angle` (quarter turns counter-clockwise) the length runs
// up the page (90), right to left (180) or down the page (270), and the label's top faces left,
// down and right respectively. Cells run from A at the start of the row to E at its end.

// The reading frame's length and thickness of `rect`.
QSizeF NutriFrameSize(const QRectF& rect, TORVAngle angle);
// A rectangle given in the reading frame of `rect` (x along the length from its start, y across
// from the label's top) on the page.
QRectF NutriToPage(const QRectF& rect, TORVAngle angle, const QRectF& local);
// A point of that frame on the page: where a text turned by the angle has its top-left corner.
QPointF NutriPointToPage(const QRectF& rect, TORVAngle angle, QPointF local);
// The title's band: the top third of the label (style 1) or the first third of its length
// (style 2). AdjustNutriTitle leaves `rect` with what the cells keep.
QRectF NutriTitleRect(const QRectF& rect, TORVAngle angle, std::uint8_t type);
void AdjustNutriTitle(QRectF& rect, TORVAngle angle, std::uint8_t type);
// The length of the five cells together: the row less the four gaps (never below 0).
double SizeScore(const QRectF& rect, double gap, TORVAngle angle, std::uint8_t type);
// The first cell (grade A) of the row in `rect`, `s` long along the row and as thick as the row.
// The cells keep the length they are given (`s` comes back unchanged): the box the user draws is
// the label's proportion.
void ScoreRect(const QRectF& rect, QRectF& cell, double& s, TORVAngle angle, std::uint8_t type);
// Moves `cell` by `d` along the row, towards E, or back towards A when `back`.
void OffsetScoreRect(QRectF& cell, double d, TORVAngle angle, std::uint8_t type, bool back);

// The grade a text names: 0 for A .. 4 for E, -1 for anything else. Spaces around it and the
// letter's case do not matter (data fields hold "b", " C ").
int NutriGradeOf(const QString& text);

// The colours of the grades on the usual labels: dark green, light green, yellow, orange, red.
constexpr std::array<TAlphaColor, kNutriGrades> kNutriColors = {0xFF038141u, 0xFF85BB2Fu, 0xFFFECB02u,
                                                                0xFFEE8100u, 0xFFE63E11u};

// Everything the label holds besides the frame's pen and fill (lengths in base units).
struct TORVNutriStyle {
  char16_t Value = u'A';
  std::uint8_t NutriType = 0;
  TORVAngle Angle = TORVAngle::A0;
  bool ShowTitle = true;
  QString Title = QStringLiteral("NUTRI-SCORE");
  TORVHorzAlign TitleAlign = TORVHorzAlign::Left;
  TAlphaColor TitleColor = 0xFF7F7F7Fu;
  std::array<TAlphaColor, kNutriGrades> Colors = kNutriColors;
  // The other grades' letters show pale on their colour; the selected one in full white.
  TAlphaColor CharColor = 0xB3FFFFFFu;
  TAlphaColor ValueColor = kWhite;
  bool BlackWhite = false;
  std::int64_t Radius = 2000;       // frame corners
  std::int64_t InnerRadius = 600;   // cell corners, 0 square
  std::int64_t Margin = 1000;       // frame to title and cells
  std::int64_t Gap = 300;           // between cells
  std::int64_t GapValue = 1000;     // how much the selected cell grows on every side
  std::uint8_t FillType = 0;        // 0: the item's own grade; otherwise the kind of data field
  QString FillName;
  QString Format;

  bool operator==(const TORVNutriStyle&) const = default;
};

class TPLNBaseNutri : public TPLNBoxItem {
 public:
  using TPLNBoxItem::TPLNBoxItem;
  std::int32_t KindCode() const override { return Kind::NutriScore; }
  QString KindName() const override { return QStringLiteral("NutriScore"); }

  // The selected grade, 'A' to 'E'; any other value raises EPLNError and changes nothing.
  char16_t Value() const { return fStyle.Value; }
  void SetValue(char16_t v);
  // The grade as text, what a data-bound label shows on the editor's surface.
  QString GetText() const { return QString(QChar(fStyle.Value)); }
  std::uint8_t NutriType() const { return fStyle.NutriType; }
  void SetNutriType(std::uint8_t t);  // 0 or 1, else EPLNError
  TORVAngle GetAngle() const { return fStyle.Angle; }
  void SetAngle(TORVAngle a);
  bool ShowTitle() const { return fStyle.ShowTitle; }
  void SetShowTitle(bool b) { Set(fStyle.ShowTitle, b); }
  QString Title() const { return fStyle.Title; }
  void SetTitle(const QString& t) { Set(fStyle.Title, t); }
  TORVHorzAlign TitleAlign() const { return fStyle.TitleAlign; }
  void SetTitleAlign(TORVHorzAlign a) { Set(fStyle.TitleAlign, a); }
  TAlphaColor TitleColor() const { return fStyle.TitleColor; }
  void SetTitleColor(TAlphaColor c) { Set(fStyle.TitleColor, c); }
  // Cell colours by grade (0 = A .. 4 = E).
  TAlphaColor GradeColor(int grade) const { return fStyle.Colors.at(grade); }
  void SetGradeColor(int grade, TAlphaColor c);
  TAlphaColor AColor() const { return fStyle.Colors[0]; }
  TAlphaColor BColor() const { return fStyle.Colors[1]; }
  TAlphaColor CColor() const { return fStyle.Colors[2]; }
  TAlphaColor DColor() const { return fStyle.Colors[3]; }
  TAlphaColor EColor() const { return fStyle.Colors[4]; }
  TAlphaColor CharColor() const { return fStyle.CharColor; }
  void SetCharColor(TAlphaColor c) { Set(fStyle.CharColor, c); }
  TAlphaColor ValueColor() const { return fStyle.ValueColor; }
  void SetValueColor(TAlphaColor c) { Set(fStyle.ValueColor, c); }
  bool BlackWhite() const { return fStyle.BlackWhite; }
  void SetBlackWhite(bool b) { Set(fStyle.BlackWhite, b); }

  // Lengths: millimetres from the plain getters, base units from the Base ones; negative values
  // are taken as 0.
  float GetRadio() const { return float(fStyle.Radius / 1000.0); }
  float GetInnerRadio() const { return float(fStyle.InnerRadius / 1000.0); }
  float GetMargin() const { return float(fStyle.Margin / 1000.0); }
  float GetGap() const { return float(fStyle.Gap / 1000.0); }
  float GetGapValue() const { return float(fStyle.GapValue / 1000.0); }
  std::int64_t GetBaseRadio() const { return fStyle.Radius; }
  std::int64_t GetBaseInnerRadio() const { return fStyle.InnerRadius; }
  std::int64_t GetBaseMargin() const { return fStyle.Margin; }
  std::int64_t GetBaseGap() const { return fStyle.Gap; }
  std::int64_t GetBaseGapValue() const { return fStyle.GapValue; }
  void SetBaseRadio(std::int64_t v) { SetLength(fStyle.Radius, v); }
  void SetBaseInnerRadio(std::int64_t v) { SetLength(fStyle.InnerRadius, v); }
  void SetBaseMargin(std::int64_t v) { SetLength(fStyle.Margin, v); }
  void SetBaseGap(std::int64_t v) { SetLength(fStyle.Gap, v); }
  void SetBaseGapValue(std::int64_t v) { SetLength(fStyle.GapValue, v); }

  // Data binding: with a fill type other than 0 the label shows the grade held by the data
  // field `FillName` of the record being printed or exported.
  std::uint8_t FillType() const { return fStyle.FillType; }
  void SetFillType(std::uint8_t t) { Set(fStyle.FillType, t); }
  QString FillName() const { return fStyle.FillName; }
  void SetFillName(const QString& n) { Set(fStyle.FillName, n); }
  QString GetFormat() const { return fStyle.Format; }
  void SetFormat(const QString& f) { Set(fStyle.Format, f); }
  bool GetIsData() const override { return fStyle.FillType != 0; }

  const TORVNutriStyle& Style() const { return fStyle; }

  // Picked anywhere on its face, like a flow-chart box: the label is one solid thing.
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  // A quarter turn turns the reading direction with the box.
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;

  // The box's record, then the label's values. A value out of range raises EPLNError naming it,
  // and the item keeps what it had.
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
  void SetLength(std::int64_t& field, std::int64_t v);
  // Raises EPLNError when a value read from a file is out of range.
  void CheckStyle(const TORVNutriStyle& s) const;
  TORVNutriStyle fStyle;
};

}  // namespace Orv::F2d
