#include "ORV.Gauges.h"

#include <algorithm>
#include <cmath>

#include "ORV.EditGeom.h"
#include "ORV.Json.h"
#include "ORV.Text.h"

namespace Orv::F2d {

using Text::CheckInt;
using Text::kMaxLength;

namespace {

constexpr double kPiD = 3.14159265358979323846;

bool Finite(double v) { return std::isfinite(v); }

// Quarter turns of a caption or a row: `q` clockwise quarter turns on the page.
TORVAngle TurnAngle(TORVAngle a, int q) {
  // A clockwise quarter turn on the page is a step back of the counter-clockwise reading angle.
  return static_cast<TORVAngle>(((static_cast<int>(a) - q) % 4 + 4) % 4);
}

}  // namespace

// ---------------------------------------------------------------- level

void AngleSegment(double fraction, bool fromLeft, double& start, double& sweep) {
  const double f = std::clamp(Finite(fraction) ? fraction : 0.0, 0.0, 1.0);
  // A segment of central angle t covers (t - sin t) / 2π of the disc; that grows steadily from 0
  // to 1 over [0, 2π], so halving the interval finds t.
  double lo = 0, hi = 2 * kPiD;
  for (int i = 0; i < 60; ++i) {
    const double t = (lo + hi) / 2;
    ((t - std::sin(t)) / (2 * kPiD) < f ? lo : hi) = t;
  }
  const double t = (lo + hi) / 2 * 180.0 / kPiD;
  // The lowest point is at 90° on a y-down device, the leftmost at 180°.
  const double middle = fromLeft ? 180.0 : 90.0;
  start = middle - t / 2;
  sweep = t;
}

void TPLNBaseLevel::SetValue(double v) {
  if (!Finite(v)) throw EPLNError(QStringLiteral("Level value must be a number"));
  Set(fStyle.Value, v);
}

void TPLNBaseLevel::SetMaximum(double m) {
  if (!Finite(m) || m < 0) throw EPLNError(QStringLiteral("Level maximum must be 0 or more"));
  Set(fStyle.Maximum, m);
}

void TPLNBaseLevel::SetLevelType(std::uint8_t t) {
  CheckInt(KindName(), "LevelType", t, 0, kLevelTypeCount - 1);
  Set(fStyle.LevelType, t);
}

void TPLNBaseLevel::SetAngleGap(double degrees) {
  if (!Finite(degrees) || degrees < 0 || degrees >= 360)
    throw EPLNError(QStringLiteral("Level AngleGap must be from 0 to 359 degrees"));
  Set(fStyle.AngleGap, degrees);
}

void TPLNBaseLevel::SetBaseFontHeight(std::int64_t h) {
  CheckInt(KindName(), "FontHeight", h, 1, kMaxLength);
  Set(fStyle.FontHeight, h);
}

void TPLNBaseLevel::SetAngle(TORVAngle a) {
  CheckInt(KindName(), "Angle", static_cast<int>(a), 0, 3);
  Set(fStyle.Angle, a);
}

double TPLNBaseLevel::Fraction(double v) const {
  if (!(fStyle.Maximum > 0)) return 1;
  return std::clamp(v / fStyle.Maximum, 0.0, 1.0);
}

void TPLNBaseLevel::FilledArc(double v, double& start, double& sweep) const {
  const double f = Fraction(v);
  switch (static_cast<TORVLevelType>(fStyle.LevelType)) {
    case TORVLevelType::FluidHorz:
    case TORVLevelType::FluidVert:
      AngleSegment(f, fStyle.LevelType == 1, start, sweep);
      return;
    case TORVLevelType::RadialHorz:
      start = fStyle.AngleGap / 2 + 90;
      break;
    case TORVLevelType::RadialVert:
      start = fStyle.AngleGap / 2;
      break;
  }
  sweep = (360 - fStyle.AngleGap) * f;
}

bool TPLNBaseLevel::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  return EditGeom::Inside(EditGeom::BoxOf(fPoints[0], fPoints[1]), x, y, tolerance);
}

void TPLNBaseLevel::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  const int q = EditGeom::QuarterTurns(angle);
  if (q > 0) fStyle.Angle = TurnAngle(fStyle.Angle, q);
  TPLNBoxItem::Rotate(cx, cy, angle);
}

void TPLNBaseLevel::CheckStyle(const TORVLevelStyle& s) const {
  const QString kind = KindName();
  if (!Finite(s.Value)) throw EPLNError(QStringLiteral("Level value must be a number"));
  if (!Finite(s.Maximum) || s.Maximum < 0) throw EPLNError(QStringLiteral("Level maximum must be 0 or more"));
  CheckInt(kind, "LevelType", s.LevelType, 0, kLevelTypeCount - 1);
  if (!Finite(s.AngleGap) || s.AngleGap < 0 || s.AngleGap >= 360)
    throw EPLNError(QStringLiteral("Level AngleGap must be from 0 to 359 degrees"));
  CheckInt(kind, "FontHeight", s.FontHeight, 1, kMaxLength);
  CheckInt(kind, "Angle", static_cast<int>(s.Angle), 0, 3);
}

void TPLNBaseLevel::WriteData(TBinaryWriter& w) const {
  TPLNBoxItem::WriteData(w);
  const TORVLevelStyle& s = fStyle;
  w.WriteDouble(s.Value);
  w.WriteDouble(s.Maximum);
  w.WriteByte(s.LevelType);
  w.WriteDouble(s.AngleGap);
  w.WriteUInt32(s.ValueColor);
  w.WriteString(s.Text);
  w.WriteString(s.FontName);
  w.WriteInt64(s.FontHeight);
  w.WriteUInt32(s.FontColor);
  w.WriteBoolean(s.Bold);
  w.WriteBoolean(s.Italic);
  w.WriteByte(static_cast<std::uint8_t>(s.Angle));
  WriteDataField(w, s.FillType, s.FillName, s.Format);
}

void TPLNBaseLevel::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLNBoxItem::ReadData(version, r, readType);
  // Read whole and checked before anything changes.
  TORVLevelStyle s;
  s.Value = r.ReadDouble();
  s.Maximum = r.ReadDouble();
  s.LevelType = r.ReadByte();
  s.AngleGap = r.ReadDouble();
  s.ValueColor = r.ReadUInt32();
  s.Text = r.ReadString();
  s.FontName = r.ReadString();
  s.FontHeight = r.ReadInt64();
  s.FontColor = r.ReadUInt32();
  s.Bold = r.ReadBoolean();
  s.Italic = r.ReadBoolean();
  s.Angle = static_cast<TORVAngle>(r.ReadByte());
  ReadDataField(r, s.FillType, s.FillName, s.Format);
  CheckStyle(s);
  fStyle = std::move(s);
}

void TPLNBaseLevel::WriteJson(Json::TJsonSink& o) const {
  TPLNBoxItem::WriteJson(o);
  const TORVLevelStyle& s = fStyle;
  o.Num("Value", s.Value);
  o.Num("Maximum", s.Maximum);
  o.Int("LevelType", s.LevelType);
  o.Num("AngleGap", s.AngleGap);
  o.Color("ValueColor", s.ValueColor);
  o.Str("Text", s.Text);
  o.Str("FontName", s.FontName);
  o.Int("FontHeight", s.FontHeight);
  o.Color("FontColor", s.FontColor);
  o.Bool("Bold", s.Bold);
  o.Bool("Italic", s.Italic);
  o.Int("Angle", static_cast<int>(s.Angle));
  WriteDataFieldJson(o, s.FillType, s.FillName, s.Format);
}

void TPLNBaseLevel::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLNBoxItem::ReadJson(version, o);
  const QString kind = KindName();
  TORVLevelStyle s = fStyle;
  s.Value = Json::Num(o, "Value", s.Value);
  s.Maximum = Json::Num(o, "Maximum", s.Maximum);
  s.LevelType = static_cast<std::uint8_t>(CheckInt(kind, "LevelType", Json::Int(o, "LevelType", s.LevelType), 0, 255));
  s.AngleGap = Json::Num(o, "AngleGap", s.AngleGap);
  s.ValueColor = Json::Color(o, "ValueColor", s.ValueColor);
  s.Text = Json::Str(o, "Text", s.Text);
  s.FontName = Json::Str(o, "FontName", s.FontName);
  s.FontHeight = Json::Int(o, "FontHeight", s.FontHeight);
  s.FontColor = Json::Color(o, "FontColor", s.FontColor);
  s.Bold = Json::Bool(o, "Bold", s.Bold);
  s.Italic = Json::Bool(o, "Italic", s.Italic);
  s.Angle = static_cast<TORVAngle>(CheckInt(kind, "Angle", Json::Int(o, "Angle", static_cast<int>(s.Angle)), 0, 3));
  ReadDataFieldJson(kind, o, s.FillType, s.FillName, s.Format);
  CheckStyle(s);
  fStyle = std::move(s);
}

// ---------------------------------------------------------------- rank

// Outer points on a radius of 50, inner ones on 19.1 (the regular star's proportion), shifted
// down by 4.8 so that the star's height sits in the middle of its box.
const std::array<QPointF, 10> StarPoints = {{{50.0, 4.8},
                                             {61.2, 39.3},
                                             {97.6, 39.3},
                                             {68.2, 60.7},
                                             {79.4, 95.2},
                                             {50.0, 73.9},
                                             {20.6, 95.2},
                                             {31.8, 60.7},
                                             {2.4, 39.3},
                                             {38.8, 39.3}}};

void TPLNBaseRank::SetMaximum(int n) {
  CheckInt(KindName(), "Maximum", n, 1, kMaxRank);
  if (fStyle.Maximum == n) return;
  fStyle.Maximum = static_cast<std::uint16_t>(n);
  fStyle.Position = std::min(fStyle.Position, fStyle.Maximum);
  Changed();
}

void TPLNBaseRank::SetPosition(int n) {
  CheckInt(KindName(), "Position", n, 0, fStyle.Maximum);
  Set(fStyle.Position, static_cast<std::uint16_t>(n));
}

void TPLNBaseRank::SetRankType(std::uint8_t t) {
  CheckInt(KindName(), "RankType", t, 0, kRankTypeCount - 1);
  Set(fStyle.RankType, t);
}

void TPLNBaseRank::SetRankPos(std::uint8_t p) {
  CheckInt(KindName(), "RankPos", p, 0, kRankPosCount - 1);
  Set(fStyle.RankPos, p);
}

void TPLNBaseRank::SetBaseGap(std::int64_t g) {
  CheckInt(KindName(), "Gap", g, 0, kMaxLength);
  Set(fStyle.Gap, g);
}

std::vector<QRectF> TPLNBaseRank::Cells(const QRectF& box, double g) const {
  std::vector<QRectF> out;
  const int n = fStyle.Maximum;
  if (n < 1 || !(box.width() > 0) || !(box.height() > 0)) return out;
  const auto pos = static_cast<TORVRankPos>(fStyle.RankPos);
  const bool horizontal = pos == TORVRankPos::LeftToRight || pos == TORVRankPos::RightToLeft;
  // Along the row and across it.
  const double along = horizontal ? box.width() : box.height();
  const double across = horizontal ? box.height() : box.width();
  double c = (along - (n + 1) * g) / n;
  double a0, b0;  // the first cell's offsets along and across, from the box's near edges
  if (c >= across - 2 * g) {
    // Cells as thick as the row allows, the row centred along the box.
    c = across - 2 * g;
    a0 = (along - (n - 1) * g - n * c) / 2;
    b0 = g;
  } else {
    a0 = g;
    b0 = (across - c) / 2;
  }
  if (!(c > 0)) return out;
  double x = horizontal ? box.left() + a0 : box.left() + b0;
  double y = horizontal ? box.top() + b0 : box.top() + a0;
  const double step = c + g;
  if (pos == TORVRankPos::RightToLeft) x += step * (n - 1);
  if (pos == TORVRankPos::BottomToTop) y += step * (n - 1);
  for (int i = 0; i < n; ++i) {
    out.emplace_back(x, y, c, c);
    switch (pos) {
      case TORVRankPos::LeftToRight: x += step; break;
      case TORVRankPos::RightToLeft: x -= step; break;
      case TORVRankPos::BottomToTop: y -= step; break;
      case TORVRankPos::TopToBottom: y += step; break;
    }
  }
  return out;
}

bool TPLNBaseRank::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  return EditGeom::Inside(EditGeom::BoxOf(fPoints[0], fPoints[1]), x, y, tolerance);
}

void TPLNBaseRank::CheckStyle(const TORVRankStyle& s) const {
  const QString kind = KindName();
  CheckInt(kind, "Maximum", s.Maximum, 1, kMaxRank);
  CheckInt(kind, "Position", s.Position, 0, s.Maximum);
  CheckInt(kind, "RankType", s.RankType, 0, kRankTypeCount - 1);
  CheckInt(kind, "RankPos", s.RankPos, 0, kRankPosCount - 1);
  CheckInt(kind, "Gap", s.Gap, 0, kMaxLength);
}

void TPLNBaseRank::WriteData(TBinaryWriter& w) const {
  TPLNBoxItem::WriteData(w);
  const TORVRankStyle& s = fStyle;
  w.WriteUInt16(s.Maximum);
  w.WriteUInt16(s.Position);
  w.WriteByte(s.RankType);
  w.WriteByte(s.RankPos);
  w.WriteInt64(s.Gap);
  w.WriteBoolean(s.DrawEmpty);
  w.WriteUInt32(s.EmptyColor);
  WriteDataField(w, s.FillType, s.FillName, s.Format);
}

void TPLNBaseRank::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLNBoxItem::ReadData(version, r, readType);
  TORVRankStyle s;
  s.Maximum = r.ReadUInt16();
  s.Position = r.ReadUInt16();
  s.RankType = r.ReadByte();
  s.RankPos = r.ReadByte();
  s.Gap = r.ReadInt64();
  s.DrawEmpty = r.ReadBoolean();
  s.EmptyColor = r.ReadUInt32();
  ReadDataField(r, s.FillType, s.FillName, s.Format);
  CheckStyle(s);
  fStyle = std::move(s);
}

void TPLNBaseRank::WriteJson(Json::TJsonSink& o) const {
  TPLNBoxItem::WriteJson(o);
  const TORVRankStyle& s = fStyle;
  o.Int("Maximum", s.Maximum);
  o.Int("Position", s.Position);
  o.Int("RankType", s.RankType);
  o.Int("RankPos", s.RankPos);
  o.Int("Gap", s.Gap);
  o.Bool("DrawEmpty", s.DrawEmpty);
  o.Color("EmptyColor", s.EmptyColor);
  WriteDataFieldJson(o, s.FillType, s.FillName, s.Format);
}

void TPLNBaseRank::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLNBoxItem::ReadJson(version, o);
  const QString kind = KindName();
  TORVRankStyle s = fStyle;
  s.Maximum = static_cast<std::uint16_t>(CheckInt(kind, "Maximum", Json::Int(o, "Maximum", s.Maximum), 1, kMaxRank));
  s.Position = static_cast<std::uint16_t>(CheckInt(kind, "Position", Json::Int(o, "Position", s.Position), 0, s.Maximum));
  s.RankType = static_cast<std::uint8_t>(CheckInt(kind, "RankType", Json::Int(o, "RankType", s.RankType), 0, 255));
  s.RankPos = static_cast<std::uint8_t>(CheckInt(kind, "RankPos", Json::Int(o, "RankPos", s.RankPos), 0, 255));
  s.Gap = Json::Int(o, "Gap", s.Gap);
  s.DrawEmpty = Json::Bool(o, "DrawEmpty", s.DrawEmpty);
  s.EmptyColor = Json::Color(o, "EmptyColor", s.EmptyColor);
  ReadDataFieldJson(kind, o, s.FillType, s.FillName, s.Format);
  CheckStyle(s);
  fStyle = std::move(s);
}

}  // namespace Orv::F2d
