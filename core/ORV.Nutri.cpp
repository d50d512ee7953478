#include "ORV.Nutri.h"

#include <algorithm>

#include "ORV.EditGeom.h"
#include "ORV.Json.h"
#include "ORV.Text.h"

namespace Orv::F2d {

// ---------------------------------------------------------------- layout

namespace {

bool Upright(TORVAngle a) { return a == TORVAngle::A0 || a == TORVAngle::A180; }

}  // namespace

QSizeF NutriFrameSize(const QRectF& rect, TORVAngle angle) {
  return Upright(angle) ? QSizeF(rect.width(), rect.height()) : QSizeF(rect.height(), rect.width());
}

QPointF NutriPointToPage(const QRectF& r, TORVAngle angle, QPointF p) {
  switch (angle) {
    case TORVAngle::A90: return {r.left() + p.y(), r.bottom() - p.x()};
    case TORVAngle::A180: return {r.right() - p.x(), r.bottom() - p.y()};
    case TORVAngle::A270: return {r.right() - p.y(), r.top() + p.x()};
    default: return {r.left() + p.x(), r.top() + p.y()};
  }
}

QRectF NutriToPage(const QRectF& r, TORVAngle angle, const QRectF& local) {
  // Two opposite corners carried over give the page rectangle whatever the turn.
  return QRectF(NutriPointToPage(r, angle, local.topLeft()), NutriPointToPage(r, angle, local.bottomRight()))
      .normalized();
}

namespace {

// The title's band and what is left for the cells, in the reading frame of `rect`.
void SplitTitle(const QRectF& rect, TORVAngle angle, std::uint8_t type, QRectF& title, QRectF& cells) {
  const QSizeF f = NutriFrameSize(rect, angle);
  if (type == static_cast<std::uint8_t>(TORVNutriType::Style2)) {
    const double l = f.width() / 3;
    title = QRectF(0, 0, l, f.height());
    cells = QRectF(l, 0, f.width() - l, f.height());
  } else {
    const double t = f.height() / 3;
    title = QRectF(0, 0, f.width(), t);
    cells = QRectF(0, t, f.width(), f.height() - t);
  }
}

// The unit step along the row on the page: towards E.
QPointF RowDirection(TORVAngle angle) {
  switch (angle) {
    case TORVAngle::A90: return {0, -1};
    case TORVAngle::A180: return {-1, 0};
    case TORVAngle::A270: return {0, 1};
    default: return {1, 0};
  }
}

}  // namespace

QRectF NutriTitleRect(const QRectF& rect, TORVAngle angle, std::uint8_t type) {
  QRectF title, cells;
  SplitTitle(rect, angle, type, title, cells);
  return NutriToPage(rect, angle, title);
}

void AdjustNutriTitle(QRectF& rect, TORVAngle angle, std::uint8_t type) {
  QRectF title, cells;
  SplitTitle(rect, angle, type, title, cells);
  rect = NutriToPage(rect, angle, cells);
}

double SizeScore(const QRectF& rect, double gap, TORVAngle angle, std::uint8_t /*type*/) {
  // Both layouts put the cells in one row along the label's length.
  return std::max(0.0, NutriFrameSize(rect, angle).width() - 4 * gap);
}

void ScoreRect(const QRectF& rect, QRectF& cell, double& s, TORVAngle angle, std::uint8_t /*type*/) {
  const QSizeF f = NutriFrameSize(rect, angle);
  cell = NutriToPage(rect, angle, QRectF(0, 0, s, f.height()));
}

void OffsetScoreRect(QRectF& cell, double d, TORVAngle angle, std::uint8_t /*type*/, bool back) {
  const QPointF step = RowDirection(angle) * (back ? -d : d);
  cell.translate(step);
}

int NutriGradeOf(const QString& text) {
  const QString t = text.trimmed();
  if (t.size() != 1) return -1;
  const char16_t c = t.at(0).toUpper().unicode();
  return c >= u'A' && c <= u'E' ? int(c - u'A') : -1;
}

// ---------------------------------------------------------------- model

void TPLNBaseNutri::SetValue(char16_t v) {
  if (v < u'A' || v > u'E')
    throw EPLNError(QStringLiteral("A Nutri-Score grade is A, B, C, D or E, not \"%1\"").arg(QChar(v)));
  Set(fStyle.Value, v);
}

void TPLNBaseNutri::SetNutriType(std::uint8_t t) {
  if (t >= kNutriTypeCount) throw EPLNError(QStringLiteral("Nutri-Score layout %1 does not exist (0 or 1)").arg(t));
  Set(fStyle.NutriType, t);
}

void TPLNBaseNutri::SetAngle(TORVAngle a) {
  if (static_cast<int>(a) > 3) throw EPLNError(QStringLiteral("Nutri-Score angle %1 is no quarter turn").arg(int(a)));
  Set(fStyle.Angle, a);
}

void TPLNBaseNutri::SetGradeColor(int grade, TAlphaColor c) {
  if (grade < 0 || grade >= kNutriGrades) throw EPLNError(QStringLiteral("Nutri-Score grade %1 does not exist").arg(grade));
  Set(fStyle.Colors[grade], c);
}

void TPLNBaseNutri::SetLength(std::int64_t& field, std::int64_t v) {
  Set(field, std::clamp<std::int64_t>(v, 0, Text::kMaxLength));
}

bool TPLNBaseNutri::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  return EditGeom::Inside(EditGeom::BoxOf(fPoints[0], fPoints[1]), x, y, tolerance);
}

void TPLNBaseNutri::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  const int q = EditGeom::QuarterTurns(angle);
  // A clockwise quarter turn on the page is a step back of the counter-clockwise reading angle.
  if (q > 0) fStyle.Angle = static_cast<TORVAngle>(((static_cast<int>(fStyle.Angle) - q) % 4 + 4) % 4);
  TPLNBoxItem::Rotate(cx, cy, angle);
}

// ---------------------------------------------------------------- records

namespace {

using Text::CheckInt;
using Text::kMaxLength;

const char* const kColorKeys[kNutriGrades] = {"AColor", "BColor", "CColor", "DColor", "EColor"};

}  // namespace

void TPLNBaseNutri::CheckStyle(const TORVNutriStyle& s) const {
  const QString kind = KindName();
  if (s.Value < u'A' || s.Value > u'E')
    throw EPLNError(QStringLiteral("NutriScore with the grade \"%1\": A, B, C, D or E expected").arg(QChar(s.Value)));
  CheckInt(kind, "NutriType", s.NutriType, 0, kNutriTypeCount - 1);
  CheckInt(kind, "Angle", static_cast<int>(s.Angle), 0, 3);
  CheckInt(kind, "TitleAlign", static_cast<int>(s.TitleAlign), 0, 3);
  CheckInt(kind, "Radius", s.Radius, 0, kMaxLength);
  CheckInt(kind, "InnerRadius", s.InnerRadius, 0, kMaxLength);
  CheckInt(kind, "Margin", s.Margin, 0, kMaxLength);
  CheckInt(kind, "Gap", s.Gap, 0, kMaxLength);
  CheckInt(kind, "GapValue", s.GapValue, 0, kMaxLength);
}

void TPLNBaseNutri::WriteData(TBinaryWriter& w) const {
  TPLNBoxItem::WriteData(w);
  const TORVNutriStyle& s = fStyle;
  w.WriteUInt16(s.Value);
  w.WriteByte(s.NutriType);
  w.WriteByte(static_cast<std::uint8_t>(s.Angle));
  w.WriteBoolean(s.ShowTitle);
  w.WriteString(s.Title);
  w.WriteByte(static_cast<std::uint8_t>(s.TitleAlign));
  w.WriteUInt32(s.TitleColor);
  for (TAlphaColor c : s.Colors) w.WriteUInt32(c);
  w.WriteUInt32(s.CharColor);
  w.WriteUInt32(s.ValueColor);
  w.WriteBoolean(s.BlackWhite);
  w.WriteInt64(s.Radius);
  w.WriteInt64(s.InnerRadius);
  w.WriteInt64(s.Margin);
  w.WriteInt64(s.Gap);
  w.WriteInt64(s.GapValue);
  WriteDataField(w, s.FillType, s.FillName, s.Format);
}

void TPLNBaseNutri::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLNBoxItem::ReadData(version, r, readType);
  // Read whole and checked before anything changes.
  TORVNutriStyle s;
  s.Value = r.ReadUInt16();
  s.NutriType = r.ReadByte();
  s.Angle = static_cast<TORVAngle>(r.ReadByte());
  s.ShowTitle = r.ReadBoolean();
  s.Title = r.ReadString();
  s.TitleAlign = static_cast<TORVHorzAlign>(r.ReadByte());
  s.TitleColor = r.ReadUInt32();
  for (TAlphaColor& c : s.Colors) c = r.ReadUInt32();
  s.CharColor = r.ReadUInt32();
  s.ValueColor = r.ReadUInt32();
  s.BlackWhite = r.ReadBoolean();
  s.Radius = r.ReadInt64();
  s.InnerRadius = r.ReadInt64();
  s.Margin = r.ReadInt64();
  s.Gap = r.ReadInt64();
  s.GapValue = r.ReadInt64();
  ReadDataField(r, s.FillType, s.FillName, s.Format);
  CheckStyle(s);
  fStyle = std::move(s);
}

void TPLNBaseNutri::WriteJson(Json::TJsonSink& o) const {
  TPLNBoxItem::WriteJson(o);
  const TORVNutriStyle& s = fStyle;
  o.Str("Value", GetText());
  o.Int("NutriType", s.NutriType);
  o.Int("Angle", static_cast<int>(s.Angle));
  o.Bool("ShowTitle", s.ShowTitle);
  o.Str("Title", s.Title);
  o.Int("TitleAlign", static_cast<int>(s.TitleAlign));
  o.Color("TitleColor", s.TitleColor);
  for (int i = 0; i < kNutriGrades; ++i) o.Color(kColorKeys[i], s.Colors[i]);
  o.Color("CharColor", s.CharColor);
  o.Color("ValueColor", s.ValueColor);
  o.Bool("BlackWhite", s.BlackWhite);
  o.Int("Radius", s.Radius);
  o.Int("InnerRadius", s.InnerRadius);
  o.Int("Margin", s.Margin);
  o.Int("Gap", s.Gap);
  o.Int("GapValue", s.GapValue);
  WriteDataFieldJson(o, s.FillType, s.FillName, s.Format);
}

void TPLNBaseNutri::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLNBoxItem::ReadJson(version, o);
  const QString kind = KindName();
  TORVNutriStyle s = fStyle;
  const QString value = Json::Str(o, "Value", GetText());
  // One letter exactly: a grade written by hand as "b" is still B.
  if (value.size() != 1 || NutriGradeOf(value) < 0)
    throw EPLNError(QStringLiteral("NutriScore with the grade \"%1\": A, B, C, D or E expected").arg(value.left(20)));
  s.Value = value.at(0).toUpper().unicode();
  s.NutriType = static_cast<std::uint8_t>(CheckInt(kind, "NutriType", Json::Int(o, "NutriType", s.NutriType), 0, kNutriTypeCount - 1));
  s.Angle = static_cast<TORVAngle>(CheckInt(kind, "Angle", Json::Int(o, "Angle", static_cast<int>(s.Angle)), 0, 3));
  s.ShowTitle = Json::Bool(o, "ShowTitle", s.ShowTitle);
  s.Title = Json::Str(o, "Title", s.Title);
  s.TitleAlign = static_cast<TORVHorzAlign>(
      CheckInt(kind, "TitleAlign", Json::Int(o, "TitleAlign", static_cast<int>(s.TitleAlign)), 0, 3));
  s.TitleColor = Json::Color(o, "TitleColor", s.TitleColor);
  for (int i = 0; i < kNutriGrades; ++i) s.Colors[i] = Json::Color(o, kColorKeys[i], s.Colors[i]);
  s.CharColor = Json::Color(o, "CharColor", s.CharColor);
  s.ValueColor = Json::Color(o, "ValueColor", s.ValueColor);
  s.BlackWhite = Json::Bool(o, "BlackWhite", s.BlackWhite);
  s.Radius = Json::Int(o, "Radius", s.Radius);
  s.InnerRadius = Json::Int(o, "InnerRadius", s.InnerRadius);
  s.Margin = Json::Int(o, "Margin", s.Margin);
  s.Gap = Json::Int(o, "Gap", s.Gap);
  s.GapValue = Json::Int(o, "GapValue", s.GapValue);
  ReadDataFieldJson(kind, o, s.FillType, s.FillName, s.Format);
  CheckStyle(s);
  fStyle = std::move(s);
}

}  // namespace Orv::F2d
