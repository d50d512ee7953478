// The table tool.
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;

QJsonObject AddTable(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), w = a.Num("width", 60), h = a.Num("height", 40);
  for (const auto& [name, v] : {std::pair{"x", x}, {"y", y}, {"width", w}, {"height", h}}) CheckCoord(doc, name, v);
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddTable(doc, float(x), float(y), float(w), float(h)));
  TPLNBaseItem* table = made.Get();
  table->SetColor(ColorArg(a, "color", table->GetColor()));
  made.Keep();
  return TextResult(QStringLiteral("Table added: id=%1 at (%2, %3) size %4 x %5")
                        .arg(QString::number(table->GetID()), Fmt(x), Fmt(y), Fmt(w), Fmt(h)));
}

}  // namespace

void RegisterTableTools(TPLNMCPServer* s) {
  AddTool(s, "add_table", "Add a table element at (x,y) with given width and height.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Num("width", "Width in current units", true)
              .Num("height", "Height in current units", true)
              .Str("color", "Color as #RRGGBB"),
          AddTable);
}

}  // namespace Orv::Mcp
