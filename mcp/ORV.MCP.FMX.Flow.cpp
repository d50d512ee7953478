// The flow-chart tools: boxes, and links between any two items that offer connectors.
#include <optional>

#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;

QString Id(const TPLNBaseItem* item) { return QString::number(item->GetID()); }

QJsonObject AddFlow(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), w = a.Num("width", 30), h = a.Num("height", 15);
  for (const auto& [name, v] : {std::pair{"x", x}, {"y", y}, {"width", w}, {"height", h}}) CheckCoord(doc, name, v);
  const QString type = a.Str("flow_type", QStringLiteral("process"));
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddFlow(doc, float(x), float(y), float(w), float(h), FlowTypeOf(type)));
  auto* flow = static_cast<F2d::TPLNBaseFlow*>(made.Get());
  flow->SetColor(ColorArg(a, "color", flow->GetColor()));
  if (a.Has("text")) flow->SetText(a.Str("text"));
  made.Keep();
  // The type is reported as the agent named it ("stop" stays "stop").
  return TextResult(QStringLiteral("Flow element added: id=%1 type=%2 at (%3, %4) size %5 x %6")
                        .arg(Id(flow), type, Fmt(x), Fmt(y), Fmt(w), Fmt(h)));
}

// The connectors `item` has, for a message: "1-16", "3, 7, 11, 15", "any".
QString ConnectorList(const TPLNBaseItem* item) {
  const int n = item->LinkPointCount();
  QStringList has;
  for (int i = 1; i <= n; ++i)
    if (TPLNFactory::HasConnector(item, i)) has << QString::number(i);
  if (has.size() == n && n > 1) return QStringLiteral("1-%1").arg(n);
  return has.join(QStringLiteral(", "));
}

void CheckConnector(const char* arg, int index, const TPLNBaseItem* item) {
  if (TPLNFactory::HasConnector(item, index)) return;
  throw EToolError(QStringLiteral("%1 %2 does not exist on item %3 (%4): use %5, or 0 to let the link choose")
                       .arg(QLatin1String(arg))
                       .arg(index)
                       .arg(Id(item), KindText(item), ConnectorList(item)));
}

QJsonObject AddLink(TPLNBaseLabel* doc, const TArgs& a) {
  const QString fromId = a.Str("from_id").trimmed(), toId = a.Str("to_id").trimmed();
  if (fromId.isEmpty() || toId.isEmpty()) throw EToolError(QStringLiteral("from_id and to_id are required"));
  const int fromConnector = a.Int("from_connector", 0), toConnector = a.Int("to_connector", 0);
  const QString type = a.Str("link_type", QStringLiteral("direct"));
  std::optional<double> penWidth;
  if (a.Num("pen_width", kNoSize) >= 0) penWidth = LengthBase(doc, "pen_width", a.Num("pen_width", 0));

  // The factory refuses these too; here the agent hears which rule it broke.
  const TPLNBaseItem* from = doc->SearchItem(fromId, false);
  const TPLNBaseItem* to = doc->SearchItem(toId, false);
  if (!TPLNFactory::IsLinkEnd(from) || !TPLNFactory::IsLinkEnd(to))
    throw EToolError(QStringLiteral("Failed to add link. Check that both IDs exist and support connections."));
  if (from == to)
    throw EToolError(QStringLiteral("from_id and to_id both name item %1: a link joins two different items").arg(Id(from)));
  CheckConnector("from_connector", fromConnector, from);
  CheckConnector("to_connector", toConnector, to);

  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddLink(doc, fromId, toId, static_cast<std::int16_t>(fromConnector),
                                          static_cast<std::int16_t>(toConnector),
                                          static_cast<F2d::TORVinkType>(LinkTypeOf(type))));
  auto* link = static_cast<F2d::TPLNBaseLink*>(made.Get());
  if (!link) throw EToolError(QStringLiteral("Failed to add link. Check that both IDs exist and support connections."));
  if (a.Has("from_type")) link->SetFromType(TermTypeOf(a.Str("from_type")));
  if (a.Has("to_type")) link->SetToType(TermTypeOf(a.Str("to_type")));
  if (a.Has("line_style")) link->SetLineType(LineTypeOf(a.Str("line_style")));
  link->SetColor(ColorArg(a, "color", link->GetColor()));
  link->SetFromColor(ColorArg(a, "from_color", link->GetFromColor()));
  link->SetToColor(ColorArg(a, "to_color", link->GetToColor()));
  if (penWidth) link->SetPenWidth(*penWidth);
  made.Keep();
  return TextResult(QStringLiteral("Link added: id=%1 from %2[%3] to %4[%5] type=%6")
                        .arg(Id(link), fromId, QString::number(fromConnector), toId, QString::number(toConnector), type));
}

}  // namespace

void RegisterFlowTools(TPLNMCPServer* s) {
  const QStringList terms = TermNames();
  AddTool(s, "add_flow", "Add a flowchart element (process, decision, terminator, document, database, etc) at (x,y) with text label.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Num("width", "Width in current units", true)
              .Num("height", "Height in current units", true)
              .Enum("flow_type", FlowTypeNames(), "Flowchart element type", true)
              .Str("text", "Text label inside the element")
              .Str("color", "Color as #RRGGBB"),
          AddFlow);
  AddTool(s, "add_link",
          "Add a connection/link between two flow elements or symbols by their IDs. Routing types: direct (straight line), "
          "lrtb (left-right-top-bottom orthogonal), tblr (top-bottom-left-right), step (Manhattan/right-angle routing), arc "
          "(circular curve), curve (Bezier), polyline (multi-segment), round (rounded corners). Supports arrow/terminator "
          "styles at both ends, line style, colors, and specific connector positions on each element.",
          TSchema()
              .Str("from_id", "ID of source element", true)
              .Str("to_id", "ID of target element", true)
              .Int("from_connector",
                   "Connector position index on source element (0=auto). Standard rectangular shapes have 16 positions: "
                   "1=top-left, 2=top-1/4, 3=top-center, 4=top-3/4, 5=top-right, 6=right-1/4, 7=right-center, "
                   "8=right-3/4, 9=bottom-right, 10=bottom-3/4, 11=bottom-center, 12=bottom-1/4, 13=bottom-left, "
                   "14=left-3/4, 15=left-center, 16=left-1/4. Decision (diamond): 3=top, 7=right, 11=bottom, 15=left. "
                   "Symbols use their defined link_point indices (1-based)")
              .Int("to_connector", "Connector position index on target element (0=auto). Same numbering as from_connector")
              .Enum("link_type", LinkTypeNames(), "Connection routing type")
              .Enum("from_type", terms, "Arrow/terminator style at source end")
              .Enum("to_type", terms, "Arrow/terminator style at target end")
              .Enum("line_style", LineTypeNames(), "Line dash style")
              .Str("color", "Line color as #RRGGBB or #AARRGGBB")
              .Num("pen_width", "Line width in current units")
              .Str("from_color", "Terminator color at source end #RRGGBB")
              .Str("to_color", "Terminator color at target end #RRGGBB"),
          AddLink);
}

}  // namespace Orv::Mcp
