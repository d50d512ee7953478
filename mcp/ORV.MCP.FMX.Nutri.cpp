// The Nutri-Score tool.
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;

const QStringList& GradeNames() {
  static const QStringList names = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"),
                                    QStringLiteral("E")};
  return names;
}
const QStringList& StyleNames() {
  static const QStringList names = {QStringLiteral("style1"), QStringLiteral("style2")};
  return names;
}

// Like every enumeration: trimmed, any case, an unknown name the first style.
std::uint8_t StyleOf(const QString& name) {
  const int i = StyleNames().indexOf(name.trimmed().toLower());
  return static_cast<std::uint8_t>(i < 0 ? 0 : i);
}

QJsonObject AddNutriScore(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), w = a.Num("width", 30), h = a.Num("height", 15);
  for (const auto& [name, v] : {std::pair{"x", x}, {"y", y}, {"width", w}, {"height", h}}) CheckCoord(doc, name, v);
  // The grade is the label's whole point: no default stands in for a missing or wrong one.
  const QString given = a.Str("value");
  const int grade = F2d::NutriGradeOf(given);
  if (!a.Has("value") || grade < 0)
    throw EToolError(given.trimmed().isEmpty()
                         ? QStringLiteral("value is required: the Nutri-Score grade A, B, C, D or E")
                         : QStringLiteral("value \"%1\" is no Nutri-Score grade: use A, B, C, D or E").arg(given.left(40)));
  const QString value = GradeNames().at(grade);

  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddNutriScore(doc, float(x), float(y), float(w), float(h)));
  auto* score = static_cast<F2d::TPLNBaseNutri*>(made.Get());
  score->SetValue(value.at(0).unicode());
  if (a.Has("nutri_type")) score->SetNutriType(StyleOf(a.Str("nutri_type")));
  if (a.Has("title")) score->SetTitle(a.Str("title"));
  const int showTitle = a.Int("show_title", -1), blackWhite = a.Int("black_white", -1);
  if (showTitle == 0 || showTitle == 1) score->SetShowTitle(showTitle == 1);
  if (blackWhite == 0 || blackWhite == 1) score->SetBlackWhite(blackWhite == 1);
  made.Keep();
  return TextResult(QStringLiteral("NutriScore added: id=%1 at (%2, %3) value=%4")
                        .arg(QString::number(score->GetID()), Fmt(x), Fmt(y), value));
}

}  // namespace

void RegisterNutriTools(TPLNMCPServer* s) {
  AddTool(s, "add_nutriscore", "Add a Nutri-Score food rating graphic (A-E scale) at (x,y) with given width and height.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Num("width", "Width in current units", true)
              .Num("height", "Height in current units", true)
              .Enum("value", GradeNames(), "Nutri-Score grade to highlight", true)
              .Enum("nutri_type", StyleNames(), "Visual style")
              .Str("title", "Title text (default: NUTRI-SCORE)")
              .Int("show_title", "1=show title, 0=hide")
              .Int("black_white", "1=black and white rendering, 0=color"),
          AddNutriScore);
}

}  // namespace Orv::Mcp
