#include "ORV.Text.h"

#include <cmath>

#include "ORV.EditGeom.h"
#include "ORV.Json.h"

namespace Orv::Utils {

namespace {
bool Upright(TORVAngle a) { return a == TORVAngle::A0 || a == TORVAngle::A180; }
}  // namespace

QRectF AdjustRect(double ax, double ay, double padX, double padY, double w, double h, TORVHorzAlign hAlign,
                  TORVVertAlign vAlign, TORVAngle angle) {
  const double along = w + 2 * padX, across = h + 2 * padY;
  const double bw = Upright(angle) ? along : across;
  const double bh = Upright(angle) ? across : along;
  double left = ax, top = ay;
  if (hAlign == TORVHorzAlign::Center) left -= bw / 2;
  else if (hAlign == TORVHorzAlign::Right) left -= bw;
  if (vAlign == TORVVertAlign::Center) top -= bh / 2;
  else if (vAlign == TORVVertAlign::Bottom) top -= bh;
  return QRectF(left, top, bw, bh);
}

void DrawTxtPos(double& x, double& y, double ax, double ay, double padX, double padY, double w, double h,
                TORVHorzAlign hAlign, TORVVertAlign vAlign, TORVAngle angle) {
  const QRectF box = AdjustRect(ax, ay, padX, padY, w, h, hAlign, vAlign, angle);
  // The text's own top-left corner lands on a different corner of the box for each quarter turn:
  // 90 degrees reads upwards (top-left at the bottom-left), 270 downwards (at the top-right).
  switch (angle) {
    case TORVAngle::A0:
      x = box.left() + padX;
      y = box.top() + padY;
      break;
    case TORVAngle::A90:
      x = box.left() + padY;
      y = box.bottom() - padX;
      break;
    case TORVAngle::A180:
      x = box.right() - padX;
      y = box.bottom() - padY;
      break;
    case TORVAngle::A270:
      x = box.right() - padY;
      y = box.top() + padX;
      break;
  }
}

float PrintAngle(TORVAngle angle) { return -90.0f * static_cast<float>(angle); }

}  // namespace Orv::Utils

namespace Orv::Text {

namespace {

constexpr std::int64_t kMaxFontHeight = 1000000;  // 1 m
constexpr double kMaxScale = 100.0;
constexpr double kMaxLineSpacing = 10.0;

[[noreturn]] void OutOfRange(const QString& kind, const char* key, const QString& range) {
  throw EPLNError(QStringLiteral("%1: \"%2\" must be %3").arg(kind, QLatin1String(key), range));
}

// Clears the reading mark however the read ends.
struct TReading {
  explicit TReading(bool& flag) : fFlag(flag) { fFlag = true; }
  ~TReading() { fFlag = false; }
  bool& fFlag;
};

void ReadStyle(const QString& kind, TORVTextStyle& s, TBinaryReader& r) {
  s.Text = r.ReadString();
  s.FontName = r.ReadString();
  s.FontHeight = CheckInt(kind, "FontHeight", r.ReadInt64(), 1, kMaxFontHeight);
  s.Bold = r.ReadBoolean();
  s.Italic = r.ReadBoolean();
  s.Underline = r.ReadBoolean();
  s.FontColor = r.ReadUInt32();
  s.HorzAlign = static_cast<TORVHorzAlign>(CheckInt(kind, "HorzAlign", r.ReadByte(), 0, 3));
  s.VertAlign = static_cast<TORVVertAlign>(CheckInt(kind, "VertAlign", r.ReadByte(), 0, 2));
  s.Angle = static_cast<TORVAngle>(CheckInt(kind, "Angle", r.ReadByte(), 0, 3));
  s.PadX = CheckInt(kind, "PaddingX", r.ReadInt64(), 0, kMaxLength);
  s.PadY = CheckInt(kind, "PaddingY", r.ReadInt64(), 0, kMaxLength);
  s.Radius = CheckInt(kind, "Radius", r.ReadInt64(), 0, kMaxLength);
  s.FillType = r.ReadByte();
  s.FillName = r.ReadString();
  s.Format = r.ReadString();
}

void WriteStyle(const TORVTextStyle& s, TBinaryWriter& w) {
  w.WriteString(s.Text);
  w.WriteString(s.FontName);
  w.WriteInt64(s.FontHeight);
  w.WriteBoolean(s.Bold);
  w.WriteBoolean(s.Italic);
  w.WriteBoolean(s.Underline);
  w.WriteUInt32(s.FontColor);
  w.WriteByte(static_cast<std::uint8_t>(s.HorzAlign));
  w.WriteByte(static_cast<std::uint8_t>(s.VertAlign));
  w.WriteByte(static_cast<std::uint8_t>(s.Angle));
  w.WriteInt64(s.PadX);
  w.WriteInt64(s.PadY);
  w.WriteInt64(s.Radius);
  w.WriteByte(s.FillType);
  w.WriteString(s.FillName);
  w.WriteString(s.Format);
}

void WriteStyleJson(const TORVTextStyle& s, Json::TJsonSink& o) {
  o.Str("Text", s.Text);
  o.Str("FontName", s.FontName);
  o.Int("FontHeight", s.FontHeight);
  o.Bool("Bold", s.Bold);
  o.Bool("Italic", s.Italic);
  o.Bool("Underline", s.Underline);
  o.Color("FontColor", s.FontColor);
  o.Int("HorzAlign", static_cast<int>(s.HorzAlign));
  o.Int("VertAlign", static_cast<int>(s.VertAlign));
  o.Int("Angle", static_cast<int>(s.Angle));
  o.Int("PaddingX", s.PadX);
  o.Int("PaddingY", s.PadY);
  o.Int("Radius", s.Radius);
  o.Int("FillType", s.FillType);
  if (!s.FillName.isEmpty()) o.Str("FillName", s.FillName);
  if (!s.Format.isEmpty()) o.Str("Format", s.Format);
}

// Missing keys keep the current (default) values, as everywhere in the JSON records.
void ReadStyleJson(const QString& kind, TORVTextStyle& s, const QJsonObject& o) {
  s.Text = Json::Str(o, "Text", s.Text);
  s.FontName = Json::Str(o, "FontName", s.FontName);
  s.FontHeight = CheckInt(kind, "FontHeight", Json::Int(o, "FontHeight", s.FontHeight), 1, kMaxFontHeight);
  s.Bold = Json::Bool(o, "Bold", s.Bold);
  s.Italic = Json::Bool(o, "Italic", s.Italic);
  s.Underline = Json::Bool(o, "Underline", s.Underline);
  s.FontColor = Json::Color(o, "FontColor", s.FontColor);
  s.HorzAlign = static_cast<TORVHorzAlign>(
      CheckInt(kind, "HorzAlign", Json::Int(o, "HorzAlign", static_cast<int>(s.HorzAlign)), 0, 3));
  s.VertAlign = static_cast<TORVVertAlign>(
      CheckInt(kind, "VertAlign", Json::Int(o, "VertAlign", static_cast<int>(s.VertAlign)), 0, 2));
  s.Angle = static_cast<TORVAngle>(CheckInt(kind, "Angle", Json::Int(o, "Angle", static_cast<int>(s.Angle)), 0, 3));
  s.PadX = CheckInt(kind, "PaddingX", Json::Int(o, "PaddingX", s.PadX), 0, kMaxLength);
  s.PadY = CheckInt(kind, "PaddingY", Json::Int(o, "PaddingY", s.PadY), 0, kMaxLength);
  s.Radius = CheckInt(kind, "Radius", Json::Int(o, "Radius", s.Radius), 0, kMaxLength);
  s.FillType = static_cast<std::uint8_t>(CheckInt(kind, "FillType", Json::Int(o, "FillType", s.FillType), 0, 255));
  s.FillName = Json::Str(o, "FillName", s.FillName);
  s.Format = Json::Str(o, "Format", s.Format);
}

}  // namespace

// ---------------------------------------------------------------- shared style

std::int64_t CheckInt(const QString& kind, const char* key, std::int64_t v, std::int64_t lo, std::int64_t hi) {
  if (v < lo || v > hi) OutOfRange(kind, key, QStringLiteral("between %1 and %2").arg(lo).arg(hi));
  return v;
}
double CheckScale(const QString& kind, const char* key, double v, double hi) {
  if (!(v > 0) || v > hi) OutOfRange(kind, key, QStringLiteral("above 0 and at most %1").arg(hi));
  return v;
}

template <class TBase>
void TPLNTextItem<TBase>::SetBaseFontHeight(std::int64_t h) {
  Set(fStyle.FontHeight, std::clamp<std::int64_t>(h, 1, kMaxFontHeight));
}

template <class TBase>
void TPLNTextItem<TBase>::CalcValues(int /*mode*/) {}

template <class TBase>
void TPLNTextItem<TBase>::WriteData(TBinaryWriter& w) const {
  TBase::WriteData(w);
  WriteStyle(fStyle, w);
  WriteOwn(w);
}

template <class TBase>
void TPLNTextItem<TBase>::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  {
    TReading reading(fReading);
    TBase::ReadData(version, r, readType);
    ReadStyle(this->KindName(), fStyle, r);
    ReadOwn(r);
  }
  CalcValues(0);
}

template <class TBase>
void TPLNTextItem<TBase>::WriteJson(Json::TJsonSink& o) const {
  TBase::WriteJson(o);
  WriteStyleJson(fStyle, o);
  WriteOwnJson(o);
}

template <class TBase>
void TPLNTextItem<TBase>::ReadJson(std::int32_t version, const QJsonObject& o) {
  {
    TReading reading(fReading);
    TBase::ReadJson(version, o);
    ReadStyleJson(this->KindName(), fStyle, o);
    ReadOwnJson(o);
  }
  CalcValues(0);
}

template class TPLNTextItem<TPLN2DItem>;
template class TPLNTextItem<F2d::TPLNBoxItem>;

// ---------------------------------------------------------------- text

TPLNBaseText::TPLNBaseText(TPLNBaseLabel* owner, bool preview) : TPLNTextItem(owner, preview) { IniText(); }
TPLNBaseText::TPLNBaseText(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNTextItem(owner, layer, preview) {
  IniText();
}

void TPLNBaseText::IniText() {
  fStyle.FontHeight = 10000;
  fScale = 1.0;
  // A text has no frame until it is given a pen.
  SetPenWidth(0);
  if (fPoints.size() < 2) fPoints.resize(2);
}

void TPLNBaseText::SetScale(double s) {
  if (!(s > 0)) return;
  Set(fScale, std::min(s, kMaxScale));
}

void TPLNBaseText::CalcValues(int /*mode*/) { UpdateBounds(); }

void TPLNBaseText::UpdateBounds() { PlaceBox(double(fWidth), double(fMetrics.Asc + fMetrics.Des)); }

void TPLNBaseText::PlaceBox(double w, double h) {
  if (fPoints.size() < 2) fPoints.resize(2);
  const TORVPto a = fPoints[0];
  // Font, paddings and measured width are sizes on paper; at 1:N the box covers N times as much
  // of the drawing's coordinates.
  const double m = Owner() ? double(Owner()->GetCoordMultiplier()) : 1.0;
  const QRectF r = Utils::AdjustRect(double(a.X), double(a.Y), m * fStyle.PadX, m * fStyle.PadY, m * w, m * h,
                                     fStyle.HorzAlign, fStyle.VertAlign, fStyle.Angle);
  const TORVBounds was = fBox;
  fBox = TORVBounds{};
  fBox.Add(Utils::RoundHalfAway(r.left()), Utils::RoundHalfAway(r.top()));
  fBox.Add(Utils::RoundHalfAway(r.right()), Utils::RoundHalfAway(r.bottom()));
  fPoints[1] = {fBox.X2, fBox.Y2};
  // A layout may come from drawing (a text measured late), which tells no observer.
  if (was.X1 != fBox.X1 || was.Y1 != fBox.Y1 || was.X2 != fBox.X2 || was.Y2 != fBox.Y2) BoundsChanged();
}

TORVBounds TPLNBaseText::GetBounds() const {
  TORVBounds b = fBox;
  if (b.IsEmpty()) return TPLN2DItem::GetBounds();
  const auto half = static_cast<std::int64_t>(GetPenWidth() / 2);
  b.X1 -= half;
  b.Y1 -= half;
  b.X2 += half;
  b.Y2 += half;
  return b;
}

void TPLNBaseText::CheckPointCount(int n) const {
  if (n < 1 || n > 2) throw EPLNError(QStringLiteral("Text needs 1 or 2 points, not %1").arg(n));
}

// Moving needs no new measurement: the box follows the anchor.
void TPLNBaseText::UpdatePoints() { UpdateBounds(); }

void TPLNBaseText::WriteOwn(TBinaryWriter& w) const {
  w.WriteDouble(fScale);
  w.WriteInt64(fMaxWidth);
}
void TPLNBaseText::ReadOwn(TBinaryReader& r) {
  fScale = CheckScale(KindName(), "Scale", r.ReadDouble(), kMaxScale);
  fMaxWidth = CheckInt(KindName(), "MaxWidth", r.ReadInt64(), 0, kMaxLength);
}
void TPLNBaseText::WriteOwnJson(Json::TJsonSink& o) const {
  o.Num("Scale", fScale);
  o.Int("MaxWidth", fMaxWidth);
}
void TPLNBaseText::ReadOwnJson(const QJsonObject& o) {
  fScale = CheckScale(KindName(), "Scale", Json::Num(o, "Scale", fScale), kMaxScale);
  fMaxWidth = CheckInt(KindName(), "MaxWidth", Json::Int(o, "MaxWidth", fMaxWidth), 0, kMaxLength);
}

// ---------------------------------------------------------------- paragraph

TPLNBasePara::TPLNBasePara(TPLNBaseLabel* owner, bool preview) : TPLNTextItem(owner, preview) { IniPara(); }
TPLNBasePara::TPLNBasePara(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNTextItem(owner, layer, preview) {
  IniPara();
}

void TPLNBasePara::IniPara() {
  fStyle.FontHeight = 6000;
  fScaleX = 1.0;
  SetPenWidth(0);
  if (fPoints.size() < 2) fPoints.resize(2);
}

void TPLNBasePara::SetScaleX(double s) {
  if (!(s > 0)) return;
  Set(fScaleX, std::min(s, kMaxLineSpacing));
}

void TPLNBasePara::WriteOwn(TBinaryWriter& w) const { w.WriteDouble(fScaleX); }
void TPLNBasePara::ReadOwn(TBinaryReader& r) {
  fScaleX = CheckScale(KindName(), "LineSpacing", r.ReadDouble(), kMaxLineSpacing);
}
void TPLNBasePara::WriteOwnJson(Json::TJsonSink& o) const { o.Num("LineSpacing", fScaleX); }
void TPLNBasePara::ReadOwnJson(const QJsonObject& o) {
  fScaleX = CheckScale(KindName(), "LineSpacing", Json::Num(o, "LineSpacing", fScaleX), kMaxLineSpacing);
}

// ---------------------------------------------------------------- editing geometry

namespace {
namespace G = EditGeom;

// A clockwise quarter turn on the page is a counter-clockwise step back of the reading angle.
TORVAngle TurnedAngle(TORVAngle a, int quarters) {
  return static_cast<TORVAngle>(((static_cast<int>(a) - quarters) % 4 + 4) % 4);
}
}  // namespace

bool TPLNBaseText::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  const TORVBounds b = GetBounds();
  return !b.IsEmpty() && G::Inside(b, x, y, tolerance);
}

void TPLNBaseText::GetSelPoints(std::vector<TORVSelPoint>& out) const {
  if (!fPoints.empty()) out.push_back({fPoints[0], TORVHandleKind::Point, 1, const_cast<TPLNBaseText*>(this)});
}

void TPLNBaseText::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  if (fPoints.empty()) return;
  if (kind == snPoint) out.push_back(fPoints[0]);
  if (kind == snCenterPoint && !fBox.IsEmpty()) out.push_back({(fBox.X1 + fBox.X2) / 2, (fBox.Y1 + fBox.Y2) / 2});
}

void TPLNBaseText::MovePoint(int index, std::int64_t x, std::int64_t y) {
  if (index != 1 || fPoints.empty()) return;
  Move(x - fPoints[0].X, y - fPoints[0].Y);
}

// The glyphs keep their size: only the anchor follows the box.
void TPLNBaseText::Resize(const TORVBounds& from, const TORVBounds& to) {
  if (fPoints.empty()) return;
  const TORVPto a = G::MapPoint(fPoints[0], from, to);
  Move(a.X - fPoints[0].X, a.Y - fPoints[0].Y);
}

void TPLNBaseText::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  if (fPoints.empty()) return;
  const TORVBounds b = fBox.IsEmpty() ? G::BoxOf(fPoints[0], fPoints[0]) : fBox;
  const TORVPto target = G::RotatePoint({(b.X1 + b.X2) / 2, (b.Y1 + b.Y2) / 2}, cx, cy, angle);
  const int q = G::QuarterTurns(angle);
  if (q > 0) SetAngle(TurnedAngle(fStyle.Angle, q));
  const TORVBounds n = fBox.IsEmpty() ? G::BoxOf(fPoints[0], fPoints[0]) : fBox;
  Move(target.X - (n.X1 + n.X2) / 2, target.Y - (n.Y1 + n.Y2) / 2);
}

bool TPLNBasePara::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  return G::Inside(G::BoxOf(fPoints[0], fPoints[1]), x, y, tolerance + static_cast<std::int64_t>(GetPenWidth() / 2));
}

void TPLNBasePara::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  const int q = G::QuarterTurns(angle);
  if (q > 0) fStyle.Angle = TurnedAngle(fStyle.Angle, q);
  // The box turns with it (a quarter turn swaps its sides) and lays the text out again.
  F2d::TPLNBoxItem::Rotate(cx, cy, angle);
}

}  // namespace Orv::Text
