// The SVG export tool.
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.Svg.h"
#include "ORV.Utils.h"

namespace Orv::Mcp {

namespace {

QJsonObject ExportSvg(TPLNBaseLabel* doc, const TArgs& a) {
  const QString typeName = a.Str("export_type", QStringLiteral("current_unit"));
  TORVSvgKind kind = TORVSvgKind::CurrentUnit;
  // A misspelt kind would export something the agent did not ask for: refused, naming the kinds.
  if (!SvgKindOf(typeName, &kind))
    throw EToolError(QStringLiteral("export_type must be one of %1, not \"%2\"")
                         .arg(SvgKindNames().join(QStringLiteral(", ")), Utils::QuoteForMessage(typeName, 80)));
  const double factor = a.Num("factor", 1);
  const bool withIds = a.Bool("with_ids", true);
  const QString filename = a.Str("filename");
  if (filename.trimmed().isEmpty()) return TextResult(doc->SVG(kind, factor, withIds));
  doc->SaveSVG(filename, kind, factor, withIds);
  return TextResult(QStringLiteral("SVG exported to: %1 (type=%2, factor=%3)").arg(filename, SvgKindName(kind), Fmt(factor, 1)));
}

}  // namespace

void RegisterSvgTool(TPLNMCPServer* s) {
  AddTool(s, "export_svg",
          "Export the drawing as SVG. Types: current_unit (with measures in drawing units), no_measures (without "
          "dimension annotations), factor (scaled by factor), factor_px (scaled in pixels). If filename is empty, "
          "returns SVG as inline text.",
          TSchema()
              .Str("filename", "Output file path (if empty, returns SVG content as text in the response)")
              .Enum("export_type", SvgKindNames(), "SVG export type")
              .Num("factor", "Scale factor (default: 1.0). Used with export_type=factor or factor_px")
              .Bool("with_ids", "Include element IDs as attributes in SVG (default: true)"),
          ExportSvg);
}

}  // namespace Orv::Mcp
