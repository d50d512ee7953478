// The level gauge, rank rating and package tools.
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;

const QStringList& LevelTypeNames() {
  static const QStringList names = {QStringLiteral("fluid_horz"), QStringLiteral("fluid_vert"),
                                    QStringLiteral("radial_horz"), QStringLiteral("radial_vert")};
  return names;
}
const QStringList& RankTypeNames() {
  static const QStringList names = {QStringLiteral("square"), QStringLiteral("circle"), QStringLiteral("star"),
                                    QStringLiteral("rhombus")};
  return names;
}
const QStringList& RankPosNames() {
  static const QStringList names = {QStringLiteral("horz_left"), QStringLiteral("horz_right"),
                                    QStringLiteral("vert_left"), QStringLiteral("vert_right")};
  return names;
}

// Like every enumeration: trimmed, any case, an unknown name the first entry.
std::uint8_t IndexOf(const QStringList& names, const QString& name) {
  const int i = names.indexOf(name.trimmed().toLower());
  return static_cast<std::uint8_t>(i < 0 ? 0 : i);
}

QJsonObject AddLevel(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), r = a.Num("radius", 10);
  CheckCoord(doc, "x", x);
  CheckCoord(doc, "y", y);
  CheckLength(doc, "radius", r);
  if (!(r > 0)) throw EToolError(QStringLiteral("radius must be greater than 0"));
  const double value = a.Num("value", -1), maximum = a.Num("maximum", 0);
  if (a.Has("maximum") && maximum < 0) throw EToolError(QStringLiteral("maximum must be 0 or more"));
  const double fontHeight = a.Num("font_height", kNoSize);
  const double fontBase = fontHeight >= 0 ? LengthBase(doc, "font_height", fontHeight) : -1;
  if (fontHeight >= 0 && fontBase < 1) throw EToolError(QStringLiteral("font_height must be greater than 0"));

  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddLevel(doc, float(x), float(y), float(r)));
  auto* level = static_cast<F2d::TPLNBaseLevel*>(made.Get());
  if (a.Has("level_type")) level->SetLevelType(IndexOf(LevelTypeNames(), a.Str("level_type")));
  if (maximum > 0) level->SetMaximum(maximum);
  if (value >= 0) level->SetValue(value);
  if (a.Has("text")) level->SetText(a.Str("text"));
  level->SetColor(ColorArg(a, "color", level->GetColor()));
  level->SetValueColor(ColorArg(a, "value_color", level->ValueColor()));
  if (!a.Str("font_name").trimmed().isEmpty()) level->SetFontName(a.Str("font_name").trimmed());
  if (fontBase >= 1) level->SetBaseFontHeight(std::int64_t(std::llround(fontBase)));
  level->SetFontColor(ColorArg(a, "font_color", level->GetFontColor()));
  made.Keep();
  return TextResult(QStringLiteral("Level added: id=%1 center (%2, %3) radius %4 value %5/%6")
                        .arg(QString::number(level->GetID()), Fmt(x), Fmt(y), Fmt(r), Fmt(level->Value()),
                             Fmt(level->Maximum())));
}

QJsonObject AddRank(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), w = a.Num("width", 30), h = a.Num("height", 6);
  for (const auto& [name, v] : {std::pair{"x", x}, {"y", y}, {"width", w}, {"height", h}}) CheckCoord(doc, name, v);
  const int maximum = a.Int("maximum", -1), position = a.Int("position", -1);
  if (a.Has("maximum") && (maximum < 1 || maximum > F2d::kMaxRank))
    throw EToolError(QStringLiteral("maximum must be from 1 to %1").arg(F2d::kMaxRank));
  if (a.Has("position") && position < 0) throw EToolError(QStringLiteral("position must be 0 or more"));
  const double gap = a.Num("gap", kNoSize);
  const double gapBase = gap >= 0 ? LengthBase(doc, "gap", gap) : -1;
  const int drawEmpty = a.Int("draw_empty", -1);

  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddRank(doc, float(x), float(y), float(w), float(h)));
  auto* rank = static_cast<F2d::TPLNBaseRank*>(made.Get());
  if (a.Has("rank_type")) rank->SetRankType(IndexOf(RankTypeNames(), a.Str("rank_type")));
  if (maximum >= 1) rank->SetMaximum(maximum);
  // A rating beyond its scale is the scale's top.
  if (position >= 0) rank->SetPosition(std::min(position, int(rank->Maximum())));
  if (a.Has("rank_pos")) rank->SetRankPos(IndexOf(RankPosNames(), a.Str("rank_pos")));
  if (gapBase >= 0) rank->SetBaseGap(std::int64_t(std::llround(gapBase)));
  if (drawEmpty == 0 || drawEmpty == 1) rank->SetDrawEmpty(drawEmpty == 1);
  rank->SetBackColor(ColorArg(a, "color", rank->GetBackColor()));
  rank->SetEmptyColor(ColorArg(a, "empty_color", rank->EmptyColor()));
  made.Keep();
  return TextResult(QStringLiteral("Rank added: id=%1 at (%2, %3) position %4 of %5")
                        .arg(QString::number(rank->GetID()), Fmt(x), Fmt(y), QString::number(rank->Position()),
                             QString::number(rank->Maximum())));
}

const QStringList& PackageStyleNames() {
  static const QStringList names = {QStringLiteral("wireframe"), QStringLiteral("wireframe_dim"),
                                    QStringLiteral("solid"),     QStringLiteral("solid_dim"),
                                    QStringLiteral("part_drill"), QStringLiteral("part_drill_dim")};
  return names;
}

QJsonObject AddPackage(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), w = a.Num("width", 40), h = a.Num("height", 30);
  for (const auto& [name, v] : {std::pair{"x", x}, {"y", y}, {"width", w}, {"height", h}}) CheckCoord(doc, name, v);
  if (!(w > 0) || !(h > 0)) throw EToolError(QStringLiteral("width and height must be greater than 0"));
  const double radius = a.Num("radio", kNoSize);
  const double radiusBase = radius >= 0 ? LengthBase(doc, "radio", radius) : -1;

  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddPackage(doc, float(x), float(y), float(w), float(h)));
  auto* pack = static_cast<F2d::TPLNBasePackage*>(made.Get());
  // Sizes of 0 or less keep the default carton's; a height of 0 given asks for a flat part.
  const double sw = a.Num("size_width", 0), sl = a.Num("size_length", 0), sh = a.Num("size_height", -1);
  try {
    pack->SetSizes(sw > 0 ? float(sw) : pack->SizeWidth(), sl > 0 ? float(sl) : pack->SizeLength(),
                   sh >= 0 ? float(sh) : pack->SizeHeight());
    if (a.Has("style")) pack->SetStyle(IndexOf(PackageStyleNames(), a.Str("style")));
    if (!a.Str("data").trimmed().isEmpty()) pack->SetData(a.Str("data"));
  } catch (const EPLNError& e) {
    throw EToolError(e.Message());
  }
  if (radiusBase >= 0) pack->SetBaseRadio(std::int64_t(std::llround(radiusBase)));
  pack->SetColor(ColorArg(a, "color", pack->GetColor()));
  pack->SetBoxColor(ColorArg(a, "box_color", pack->BoxColor()));
  pack->SetFontColor(ColorArg(a, "font_color", pack->GetFontColor()));
  made.Keep();
  return TextResult(QStringLiteral("Package added: id=%1 at (%2, %3) box %4 x %5 x %6")
                        .arg(QString::number(pack->GetID()), Fmt(x), Fmt(y), Fmt(pack->SizeWidth()),
                             Fmt(pack->SizeLength()), Fmt(pack->SizeHeight())));
}

}  // namespace

void RegisterPackageTools(TPLNMCPServer* s) {
  AddTool(s, "add_package",
          "Add a package/box element (wireframe or solid, with optional dimension texts, or a flat part with "
          "drills/slots) for packaging and technical drawings.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Num("width", "Drawing width in current units", true)
              .Num("height", "Drawing height in current units", true)
              .Num("size_width", "Real package width shown as dimension text")
              .Num("size_length", "Real package length shown as dimension text")
              .Num("size_height", "Real package height shown as dimension text")
              .Enum("style", PackageStyleNames(),
                    "Rendering style: wireframe or solid box, with or without dimension texts, or flat part with "
                    "drills/slots")
              .Str("data", "Text notation describing width, height, drills and slots (for part_drill styles)")
              .Num("radio", "Corner radius")
              .Str("color", "Line color as #RRGGBB")
              .Str("box_color", "Box fill color as #RRGGBB")
              .Str("font_color", "Dimension text color as #RRGGBB"),
          AddPackage);
}

void RegisterGaugeTools(TPLNMCPServer* s) {
  AddTool(s, "add_level",
          "Add a level/gauge indicator (fluid fill or radial needle) at center (x,y) with radius, showing a value "
          "against a maximum.",
          TSchema()
              .Num("x", "Center X in current units", true)
              .Num("y", "Center Y in current units", true)
              .Num("radius", "Radius in current units", true)
              .Enum("level_type", LevelTypeNames(),
                    "Gauge style: fluid (filled level) or radial (needle), horizontal or vertical")
              .Num("value", "Current value to display")
              .Num("maximum", "Maximum value of the gauge")
              .Str("text", "Text label shown with the value")
              .Str("color", "Outline color as #RRGGBB")
              .Str("value_color", "Fill/needle color as #RRGGBB")
              .Str("font_name", "Font name for the value text")
              .Num("font_height", "Font height in current units")
              .Str("font_color", "Text color as #RRGGBB"),
          AddLevel);
  AddTool(s, "add_rank",
          "Add a rating element (stars, circles, squares or rhombus) showing position out of maximum (e.g. 3 of 5 "
          "stars).",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Num("width", "Width in current units", true)
              .Num("height", "Height in current units", true)
              .Enum("rank_type", RankTypeNames(), "Shape of the rating marks")
              .Int("position", "Current rating value (number of filled marks)")
              .Int("maximum", "Total number of marks (e.g. 5 for a 5-star rating)")
              .Enum("rank_pos", RankPosNames(), "Fill direction/orientation")
              .Num("gap", "Gap between marks in current units")
              .Int("draw_empty", "1=draw unfilled marks with empty_color, 0=hide them")
              .Str("color", "Filled marks color as #RRGGBB")
              .Str("empty_color", "Unfilled marks color as #RRGGBB"),
          AddRank);
}

}  // namespace Orv::Mcp
