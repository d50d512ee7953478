// The Gantt and diagram import tools.
#include <QJsonArray>

#include "ORV.Diagram.h"
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;
using namespace Diagram;

QJsonObject LoadGantt(TPLNBaseLabel* doc, const TArgs& a) {
  const QString code = a.Str("code");
  if (code.trimmed().isEmpty()) throw EToolError(QStringLiteral("code parameter is required with Gantt chart data"));
  // No dependency arrows here: the item count is the chart's bars and title.
  if (!TPLNFactory::LoadGantt(doc, code)) throw EToolError(QStringLiteral("Failed to parse Gantt data"));
  return TextResult(QStringLiteral("Gantt chart loaded. %1 items created.").arg(doc->GetItemsCount()));
}

TORVDiagramFormat FormatOf(const QString& name) {
  const QString n = name.trimmed().toLower();
  if (n == QLatin1String("mermaid")) return TORVDiagramFormat::Mermaid;
  if (n == QLatin1String("plantuml")) return TORVDiagramFormat::PlantUML;
  return TORVDiagramFormat::Auto;
}

QJsonObject DiagnosticJson(const TORVDiagDiagnostic& d) {
  QJsonObject o{{QStringLiteral("severity"), SeverityName(d.Severity)},
                {QStringLiteral("line"), d.Line},
                {QStringLiteral("code"), d.Code},
                {QStringLiteral("message"), d.Message}};
  if (!d.Source.isEmpty()) o.insert(QStringLiteral("source"), d.Source);
  return o;
}

QJsonObject LoadDiagram(TPLNBaseLabel* doc, const TArgs& a) {
  const QString code = a.Str("code");
  if (code.trimmed().isEmpty())
    throw EToolError(QStringLiteral("code parameter is required with the diagram source text"));
  const TORVDiagramFormat format = FormatOf(a.Str("format", QStringLiteral("auto")));
  const bool strict = a.Bool("strict", false);

  std::vector<TORVDiagDiagnostic> diagnostics;
  const bool loaded = TPLNFactory::LoadDiagram(doc, code, format, false, &diagnostics, strict);
  QJsonArray list;
  for (const auto& d : diagnostics) list.append(DiagnosticJson(d));
  const int items = loaded ? doc->GetItemsCount() : 0;
  const QJsonObject structured{{QStringLiteral("loaded"), loaded},
                               {QStringLiteral("items_created"), items},
                               {QStringLiteral("diagnostics"), list}};
  QJsonObject result =
      loaded ? TextResult(QStringLiteral("Diagram loaded. %1 items created; %2 diagnostics.").arg(items).arg(list.size()))
             : ErrorResult(QStringLiteral("Could not parse the diagram text"));
  result.insert(QStringLiteral("structuredContent"), structured);
  return result;
}

}  // namespace

void RegisterDiagramTools(TPLNMCPServer* s) {
  AddTool(s, "load_gantt", "Parse and render a Gantt chart from text data into the drawing.",
          TSchema().Str("code", "Gantt chart data", true), LoadGantt);
  AddTool(s, "load_diagram",
          "Load a Mermaid (flowchart, sequence, state, class, mindmap, ER, requirements, Git Graph, timeline, journey, "
          "C4, pie, Sankey, packet, Kanban, architecture, block, treemap, quadrant, XY, radar, Venn, Ishikawa, "
          "TreeView, Gantt) or PlantUML (sequence, activity, state, MindMap/WBS, structural UML, object, C4, timing, "
          "network, chronology, JSON/YAML, Salt, EBNF/regex, files tree, Ditaa, Chen ER, Gantt) diagram from its "
          "source text, replacing the current drawing.",
          TSchema()
              .Str("code",
                   "Diagram source text. Mermaid: flowchart, sequence, state, class, mindmap, ER, requirements, Git "
                   "Graph, timeline, journey, C4, pie, Sankey, packet, Kanban, architecture, block, treemap, quadrant, "
                   "XY, radar, Venn, Ishikawa, TreeView or Gantt. PlantUML: sequence, activity, state, MindMap/WBS, "
                   "class/component/deployment/use-case/object, C4, timing, network, chronology, JSON/YAML, Salt, "
                   "EBNF/regex, files tree, Ditaa, Chen ER or Gantt.",
                   true)
              .Str("format", "Diagram language. auto (default) detects PlantUML by its @start... wrapper, otherwise Mermaid.")
              .Bool("strict",
                    "Reject unsupported or unrecognized input instead of loading a partial diagram. Default false."),
          LoadDiagram);
}

}  // namespace Orv::Mcp
