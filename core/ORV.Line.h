#pragma once
// Open figures: line, polyline, arc, and the captioned arrow line.

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
  void GetSelPoints(std::vector<TORVSelPoint>& out) const override;
  // At least two points stay.
  bool DeletePoint(int index) override;
  bool InsertPoint(int after, std::int64_t x, std::int64_t y) override;

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
  // Handles: 1 and 3 the ends (the arc passes through them and the middle), 2 the radius (centre
  // and angles kept), 4 the centre.
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void GetSelPoints(std::vector<TORVSelPoint>& out) const override;
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;
  void MovePoint(int index, std::int64_t x, std::int64_t y) override;
  void Resize(const TORVBounds& from, const TORVBounds& to) override;
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;

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

// Where a caption sits on its line. The last three put it inside the line, which is then
// interrupted to leave room for the text.
enum class TORVTextPos : std::uint8_t {
  Above = 0,
  Below = 1,
  Middle = 2,        // centred on the line, which runs on under the text
  MiddleRemove = 3,  // centred on the line along its direction
  Horizontal = 4,    // centred on the line, upright whatever the line's direction
  Vertical = 5,      // centred on the line, reading upwards
};
constexpr std::uint8_t kTextPosCount = 6;
inline bool TextInLine(TORVTextPos p) { return static_cast<std::uint8_t>(p) >= 3; }

// A straight line with a terminator at each end and an optional one-line caption. Points 1 and
// 2 are the ends; points 3 and 4 are the caption box along the line, which the drawable class
// lays out with a real font in CalcValues.
class TPLNBaseArrowLine : public TPLNTermItem<TPLNBaseItem> {
 public:
  TPLNBaseArrowLine(TPLNBaseLabel* owner, bool preview);
  TPLNBaseArrowLine(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::ArrowLine; }
  QString KindName() const override { return QStringLiteral("ArrowLine"); }
  // Only the ends are edited; the caption box follows them.
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void GetSelPoints(std::vector<TORVSelPoint>& out) const override;
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;
  void MovePoint(int index, std::int64_t x, std::int64_t y) override;
  void Resize(const TORVBounds& from, const TORVBounds& to) override;
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;

  QString GetText() const { return fText; }
  void SetText(const QString& t) { Set(fText, t); }
  TORVTextPos GetTextPos() const { return fTextPos; }
  void SetTextPos(TORVTextPos p) { Set(fTextPos, p); }
  QString GetFontName() const { return fFontName; }
  void SetFontName(const QString& n) { Set(fFontName, n); }
  float GetFontHeight() const { return fFontHeight; }  // millimetres
  void SetFontHeight(float mm);
  std::int64_t GetBaseFontHeight() const { return Utils::RoundHalfAway(fFontHeight * 1000.0); }
  TAlphaColor GetFontColor() const { return fFontColor; }
  void SetFontColor(TAlphaColor c) { Set(fFontColor, c); }
  bool Bold() const { return fBold; }
  void SetBold(bool b) { Set(fBold, b); }
  bool Italic() const { return fItalic; }
  void SetItalic(bool b) { Set(fItalic, b); }
  bool Underline() const { return fUnderline; }
  void SetUnderline(bool b) { Set(fUnderline, b); }
  // The caption box counts for the extent only when the caption sits inside the line.
  bool CaptionInLine() const { return !fText.isEmpty() && TextInLine(fTextPos); }

  // Recomputes what depends on the text and the points. The model cannot measure text; the
  // drawable class lays the caption out here.
  virtual void CalcValues(std::int16_t /*mode*/) {}

  TORVBounds GetBounds() const override;
  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 protected:
  // Keeps four points (a caption box where there is none yet: the ends) and re-lays the caption.
  void UpdatePoints() override;
  void CheckPointCount(int n) const override;

 private:
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    CalcValues(0);
    Changed();
  }
  void CheckValues() const;

  QString fText;
  TORVTextPos fTextPos = TORVTextPos::Above;
  QString fFontName = QStringLiteral("Arial");
  float fFontHeight = 3.5f;
  TAlphaColor fFontColor = kBlack;
  bool fBold = false;
  bool fItalic = false;
  bool fUnderline = false;
  // Set while a record is read: the points arrive before the caption, so nothing is laid out yet.
  bool fLoading = false;
};

}  // namespace Orv::Line
