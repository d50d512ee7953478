#pragma once
// Free text: a single line anchored at a point (TPLNBaseText) and a block wrapped inside a box
// (TPLNBasePara). The model holds the text, its font and frame; measuring needs a real font and
// is left to the drawable classes through CalcValues.

#include <QRectF>
#include <QString>
#include <cstdint>

#include "ORV.Base.h"
#include "ORV.F2d.h"

namespace Orv::Utils {

// Text boxes. A text of width w and height h (in its own reading frame) gets padX before and
// after it along the reading direction and padY above and below it. Turned by `angle` (quarter
// turns counter-clockwise on the page), its box on the page is (w + 2 padX) x (h + 2 padY) for
// 0 and 180 degrees and (h + 2 padY) x (w + 2 padX) for 90 and 270 degrees.
//
// AdjustRect: that box on the page. The alignments tell which part of the box sits on the anchor
// (ax, ay), in page axes: left / centre / right edge (justify places like left), top / middle /
// bottom edge. Units are whatever the caller passes (base units or device pixels).
QRectF AdjustRect(double ax, double ay, double padX, double padY, double w, double h, TORVHorzAlign hAlign,
                  TORVVertAlign vAlign, TORVAngle angle);
// DrawTxtPos: the text origin inside that box, the point a canvas translates to before turning by
// PrintAngle(angle): the top-left corner of the text in its own frame, so the text is then drawn
// from (0, 0) to (w, h) whatever the angle.
void DrawTxtPos(double& x, double& y, double ax, double ay, double padX, double padY, double w, double h,
                TORVHorzAlign hAlign, TORVVertAlign vAlign, TORVAngle angle);
// The canvas rotation of a text turned by `angle`: 0, -90, -180 or -270 degrees (canvas
// rotations are clockwise on a y-down device, text turns counter-clockwise).
float PrintAngle(TORVAngle angle);

}  // namespace Orv::Utils

namespace Orv::Text {

// Range checks of values read from files: an out-of-range value raises EPLNError naming the kind
// and the key.
std::int64_t CheckInt(const QString& kind, const char* key, std::int64_t v, std::int64_t lo, std::int64_t hi);
// Above 0 and at most hi.
double CheckScale(const QString& kind, const char* key, double v, double hi);
// Largest length a text-like item keeps (1 km): paddings, radii, widths.
constexpr std::int64_t kMaxLength = 1000000000;

// What both text kinds share: the text, its font, alignment, padding, frame and data binding.
// Lengths are base units unless a getter says millimetres.
struct TORVTextStyle {
  QString Text;
  QString FontName = QStringLiteral("Arial");
  std::int64_t FontHeight = 0;  // base units
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  TAlphaColor FontColor = kBlack;
  TORVHorzAlign HorzAlign = TORVHorzAlign::Left;
  TORVVertAlign VertAlign = TORVVertAlign::Top;
  TORVAngle Angle = TORVAngle::A0;
  std::int64_t PadX = 0;
  std::int64_t PadY = 0;
  std::int64_t Radius = 0;  // corner radius of the frame
  std::uint8_t FillType = 0;  // 0: the item's own text; otherwise the kind of data field
  QString FillName;
  QString Format;
};

// Font metrics kept from the last layout, base units (both zero until measured).
struct TORVTextMetrics {
  std::int64_t Asc = 0;
  std::int64_t Des = 0;
  std::int64_t Und = 0;
  std::int64_t Lh = 0;
  double Ratio = 0;
  QString Family;  // the family actually measured (a stand-in for a name that is not installed)
};

// Accessors and serialisation of the shared style, mixed into both item kinds.
template <class TBase>
class TPLNTextItem : public TBase {
 public:
  using TBase::TBase;

  QString GetText() const { return fStyle.Text; }
  void SetText(const QString& t) { Set(fStyle.Text, t); }
  QString GetFontName() const { return fStyle.FontName; }
  void SetFontName(const QString& n) { Set(fStyle.FontName, n); }
  // Font height: ascent + descent of the drawn font.
  float GetFontHeight() const { return static_cast<float>(fStyle.FontHeight / 1000.0); }
  void SetFontHeight(float mm) { SetBaseFontHeight(Utils::RoundHalfAway(mm * 1000.0)); }
  std::int64_t GetBaseFontHeight() const { return fStyle.FontHeight; }
  void SetBaseFontHeight(std::int64_t h);
  bool GetBold() const { return fStyle.Bold; }
  void SetBold(bool b) { Set(fStyle.Bold, b); }
  bool GetItalic() const { return fStyle.Italic; }
  void SetItalic(bool b) { Set(fStyle.Italic, b); }
  bool GetUnderline() const { return fStyle.Underline; }
  void SetUnderline(bool b) { Set(fStyle.Underline, b); }
  TAlphaColor GetFontColor() const { return fStyle.FontColor; }
  void SetFontColor(TAlphaColor c) { Set(fStyle.FontColor, c); }
  TORVHorzAlign GetHorzAlign() const { return fStyle.HorzAlign; }
  void SetHorzAlign(TORVHorzAlign a) { Set(fStyle.HorzAlign, a); }
  TORVVertAlign GetVertAlign() const { return fStyle.VertAlign; }
  void SetVertAlign(TORVVertAlign a) { Set(fStyle.VertAlign, a); }
  TORVAngle GetAngle() const { return fStyle.Angle; }
  void SetAngle(TORVAngle a) { Set(fStyle.Angle, a); }
  float GetPaddingX() const { return static_cast<float>(fStyle.PadX / 1000.0); }
  float GetPaddingY() const { return static_cast<float>(fStyle.PadY / 1000.0); }
  std::int64_t GetBasePadX() const { return fStyle.PadX; }
  std::int64_t GetBasePadY() const { return fStyle.PadY; }
  void SetBasePadX(std::int64_t p) { Set(fStyle.PadX, p < 0 ? 0 : p); }
  void SetBasePadY(std::int64_t p) { Set(fStyle.PadY, p < 0 ? 0 : p); }
  float GetRadio() const { return static_cast<float>(fStyle.Radius / 1000.0); }
  std::int64_t GetBaseRadio() const { return fStyle.Radius; }
  void SetBaseRadio(std::int64_t r) { Set(fStyle.Radius, r < 0 ? 0 : r); }
  std::uint8_t FillType() const { return fStyle.FillType; }
  void SetFillType(std::uint8_t t) { Set(fStyle.FillType, t); }
  QString FillName() const { return fStyle.FillName; }
  void SetFillName(const QString& n) { Set(fStyle.FillName, n); }
  QString GetFormat() const { return fStyle.Format; }
  void SetFormat(const QString& f) { Set(fStyle.Format, f); }
  bool GetIsData() const override { return fStyle.FillType != 0; }

  const TORVTextMetrics& Metrics() const { return fMetrics; }

  // Measures and lays the text out again. The model cannot measure: it only recomputes what
  // follows from the kept metrics; the drawable classes measure first.
  virtual void CalcValues(int mode);

  // The base kind's record, the style, then the kind's own fields; the layout follows the read.
  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 protected:
  virtual void WriteOwn(TBinaryWriter&) const {}
  virtual void ReadOwn(TBinaryReader&) {}
  virtual void WriteOwnJson(Json::TJsonSink&) const {}
  virtual void ReadOwnJson(const QJsonObject&) {}

  // A change to anything that affects the layout: lay out again, then tell the document.
  template <class V>
  void Set(V& field, const V& value) {
    if (field == value) return;
    field = value;
    Relayout();
  }
  void Relayout() {
    CalcValues(0);
    this->Changed();
  }
  void UpdatePoints() override {
    if (!fReading) CalcValues(0);
  }

  TORVTextStyle fStyle;
  TORVTextMetrics fMetrics;
  bool fReading = false;  // layout waits until the whole record is read
};

// A single line anchored at point 1. Point 2 follows the far corner of the text's box.
class TPLNBaseText : public TPLNTextItem<TPLN2DItem> {
 public:
  TPLNBaseText(TPLNBaseLabel* owner, bool preview);
  TPLNBaseText(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::Text; }
  QString KindName() const override { return QStringLiteral("Text"); }
  // Picked anywhere in its box; edited by its anchor. Turning moves the box's centre and, by
  // whole quarter turns, the reading direction.
  bool TurnsFreely() const override { return false; }
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void GetSelPoints(std::vector<TORVSelPoint>& out) const override;
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;
  void MovePoint(int index, std::int64_t x, std::int64_t y) override;
  void Resize(const TORVBounds& from, const TORVBounds& to) override;
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;

  // Defaults of a new text: 10 mm font, scale 1, no frame.
  void IniText();

  // Horizontal scale of the glyphs.
  virtual double GetScale() const { return fScale; }
  void SetScale(double s);
  // A width above 0 clips a wider line on screen (paper always shows the whole line).
  std::int64_t GetBaseMaxWidth() const { return fMaxWidth; }
  void SetBaseMaxWidth(std::int64_t w) { Set(fMaxWidth, w < 0 ? std::int64_t(0) : w); }
  // Width of the text as measured, the horizontal scale applied (base units).
  std::int64_t GetBaseTextWidth() const { return fWidth; }

  // The box of the text (AdjustRect in base units) from the kept width and metrics; moves point 2.
  virtual void UpdateBounds();
  // The box of a content `w` x `h` (base units on paper, before padding and turning) placed on
  // the anchor by the alignments and the angle; moves point 2. Kinds that are not plain text
  // (codes) size their content their own way and place it with this.
  void PlaceBox(double w, double h);
  TORVBounds GetBounds() const override;

  void CalcValues(int mode) override;

 protected:
  void WriteOwn(TBinaryWriter& w) const override;
  void ReadOwn(TBinaryReader& r) override;
  void WriteOwnJson(Json::TJsonSink& o) const override;
  void ReadOwnJson(const QJsonObject& o) override;
  void CheckPointCount(int n) const override;
  void UpdatePoints() override;
  std::int64_t fWidth = 0;
  TORVBounds fBox;

 private:
  double fScale = 1.0;
  std::int64_t fMaxWidth = 0;
};

// A block of text wrapped inside the box of points 1 and 2.
class TPLNBasePara : public TPLNTextItem<F2d::TPLNBoxItem> {
 public:
  TPLNBasePara(TPLNBaseLabel* owner, bool preview);
  TPLNBasePara(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::Paragraph; }
  QString KindName() const override { return QStringLiteral("Paragraph"); }
  // Picked anywhere in its box; a quarter turn also turns the reading direction.
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;

  // Defaults of a new paragraph: 6 mm font, single line spacing, no frame.
  void IniPara();

  // Line spacing: the line pitch is the font height times this factor.
  double GetScaleX() const { return fScaleX; }
  void SetScaleX(double s);
  // The box (base units).
  std::int64_t BaseScaleWidth() const { return GetWidth(); }
  std::int64_t BaseScaleHeight() const { return GetHeight(); }
  // The laid-out lines, relative to the top-left of the text's own (turned) frame.
  const TxtLines& Lines() const { return fLines; }

 protected:
  void WriteOwn(TBinaryWriter& w) const override;
  void ReadOwn(TBinaryReader& r) override;
  void WriteOwnJson(Json::TJsonSink& o) const override;
  void ReadOwnJson(const QJsonObject& o) override;
  TxtLines fLines;

 private:
  double fScaleX = 1.0;
};

}  // namespace Orv::Text
