// The tools that show the drawing to the agent and move it in and out of files: an inline PNG
// preview, exports in every format, saving and loading.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryFile>
#include <algorithm>

#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.Msg.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPlanoraFMX;

const QStringList kFormats{"pdf", "xps", "bmp", "png", "gif", "jpeg"};

TPlanoraFMX& Control(TPLNBaseLabel* doc, const char* tool) {
  auto* fmx = dynamic_cast<TPlanoraFMX*>(doc);
  if (!fmx) throw EToolError(QStringLiteral("%1 requires a FMX label (TPlanoraFMX)").arg(QLatin1String(tool)));
  return *fmx;
}

QString FileArg(const TArgs& a) {
  const QString f = a.Str("filename").trimmed();
  if (f.isEmpty()) throw EToolError(QStringLiteral("filename parameter is required"));
  return f;
}

// Names the binary and the JSON drawing go by; the binary one has two.
bool BinaryName(const QString& file) {
  const QString ext = QFileInfo(file).suffix().toLower();
  return ext == QLatin1String("eti") || ext == QLatin1String("plb");
}
bool JsonName(const QString& file) { return QFileInfo(file).suffix().toLower() == QLatin1String("json"); }

// Where a file is to be written must be a file name in a folder that exists: said plainly here,
// rather than as the failed rename of the temporary file the writers go through.
void CheckTarget(const QString& file) {
  const QFileInfo fi(file);
  if (fi.isDir()) throw EToolError(QStringLiteral("%1 is a folder; give a file name inside it").arg(file));
  const QFileInfo folder(fi.absolutePath());
  if (!folder.exists()) throw EToolError(QStringLiteral("Folder not found: %1").arg(folder.filePath()));
  if (!folder.isDir()) throw EToolError(QStringLiteral("%1 is not a folder").arg(folder.filePath()));
}

// The sheet the document shows, exported to its end; the exporter's reason when it failed.
// Per-label data copies are not made: the export draws the originals in every cell anyway.
QString RunExport(TPlanoraFMX& fmx, TORVExport type, const QString& file, double scale, int quality, bool transparent) {
  // An export started elsewhere finishes first, so its outcome is not taken for this one's.
  fmx.WaitForExport();
  const int page = std::max(1, fmx.PrintInfo.CurrentPage);
  fmx.ExportDoc(type, file, page, static_cast<float>(scale), static_cast<std::int16_t>(quality), false, transparent,
                false);
  QString error;
  fmx.WaitForExport(&error);
  return error;
}

// A scale of 0 or less means the default; the exporter keeps it within 0.2 to 5.
double ScaleArg(const TArgs& a) {
  const double s = a.Num("scale", 1);
  return s <= 0 ? 1.0 : std::clamp(s, 0.2, 5.0);
}

QJsonObject RenderPreview(TPLNBaseLabel* doc, const TArgs& a) {
  TPlanoraFMX& fmx = Control(doc, "render_preview");
  const QString failed = QStringLiteral("Could not render the drawing preview.");
  const double scale = ScaleArg(a);
  // A fresh name nobody else holds; the file goes when this object does, whatever happens.
  QTemporaryFile tmp(QDir::tempPath() + QStringLiteral("/planora-preview-XXXXXX.png"));
  if (!tmp.open()) throw EToolError(failed + QLatin1Char(' ') + tmp.errorString());
  tmp.close();
  const QString error = RunExport(fmx, TORVExport::PNG, tmp.fileName(), scale, -1, a.Bool("transparent", false));
  if (!error.isEmpty()) throw EToolError(failed + QLatin1Char(' ') + error);
  // The exporter renames its finished file over the placeholder: read it by name.
  QFile png(tmp.fileName());
  const QByteArray bytes = png.open(QIODevice::ReadOnly) ? png.readAll() : QByteArray();
  png.close();
  tmp.remove();
  if (bytes.isEmpty()) throw EToolError(failed);
  const QJsonObject image{{QStringLiteral("type"), QStringLiteral("image")},
                          {QStringLiteral("data"), QString::fromLatin1(bytes.toBase64())},
                          {QStringLiteral("mimeType"), QStringLiteral("image/png")}};
  const QJsonObject info{{QStringLiteral("format"), QStringLiteral("png")},
                         {QStringLiteral("scale"), scale},
                         {QStringLiteral("item_count"), doc->GetItemsCount()},
                         {QStringLiteral("byte_size"), bytes.size()}};
  return QJsonObject{{QStringLiteral("content"), QJsonArray{image}}, {QStringLiteral("structuredContent"), info}};
}

QJsonObject ExportDocument(TPLNBaseLabel* doc, const TArgs& a) {
  TPlanoraFMX& fmx = Control(doc, "export_document");
  const QString file = FileArg(a);
  const QString format = a.Str("format", QStringLiteral("pdf")).trimmed().toLower();
  const int kind = kFormats.indexOf(format);
  if (kind < 0) throw EToolError(QStringLiteral("Invalid format. Use: pdf, png, bmp, gif, jpeg, xps"));
  const int quality = a.Int("quality", 95);
  if (quality < 0 || quality > 100) throw EToolError(QStringLiteral("quality must be from 0 to 100, not %1").arg(quality));
  CheckTarget(file);
  const QString error = RunExport(fmx, static_cast<TORVExport>(kind), file, ScaleArg(a), quality, a.Bool("transparent", false));
  if (!error.isEmpty()) throw EToolError(QStringLiteral("Export failed: %1").arg(error));
  return TextResult(QStringLiteral("Document exported as %1 to: %2").arg(format.toUpper(), file));
}

QJsonObject SaveDrawing(TPLNBaseLabel* doc, const TArgs& a) {
  TPlanoraFMX& fmx = Control(doc, "save_drawing");
  const QString file = FileArg(a);
  // Without a format the name decides; the readers here tell the two formats apart by the name,
  // so a format the name contradicts would make a file that does not open again.
  const QString format = a.Str("format").trimmed().toLower();
  const bool json = format.isEmpty() ? !BinaryName(file) : format == QLatin1String("json");
  if (json && BinaryName(file))
    throw EToolError(QStringLiteral("%1 is a name for a binary drawing: use format \"binary\" or a .json name").arg(file));
  if (!json && JsonName(file))
    throw EToolError(QStringLiteral("%1 is a name for a JSON drawing: use format \"json\" or a .eti or .plb name").arg(file));
  CheckTarget(file);
  // The writer goes through a temporary file renamed over the old one: a failure keeps it whole.
  fmx.SaveToFile(file, json ? TORVExt::Json : TORVExt::Eti);
  return TextResult(QStringLiteral("Drawing saved to: %1 (format: %2)").arg(file, QLatin1String(json ? "json" : "binary")));
}

// JSON by its name, binary by its name, and by its first character when the name says neither.
bool LooksLikeJson(const QString& file, const QByteArray& bytes) {
  if (JsonName(file)) return true;
  if (BinaryName(file)) return false;
  for (const char c : bytes)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return c == '{';
  return false;
}

QJsonObject LoadDrawing(TPLNBaseLabel* doc, const TArgs& a) {
  TPlanoraFMX& fmx = Control(doc, "load_drawing");
  const QString file = FileArg(a);
  const QFileInfo fi(file);
  if (!fi.exists()) throw EToolError(QStringLiteral("File not found: %1").arg(file));
  if (fi.isDir()) throw EToolError(QStringLiteral("%1 is a folder, not a drawing file").arg(file));
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) throw EToolError(QStringLiteral("Cannot read %1: %2").arg(file, f.errorString()));
  QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError)
    throw EToolError(QStringLiteral("Cannot read %1: %2").arg(file, f.errorString()));
  const QString notDrawing = QStringLiteral("Could not load %1: %2").arg(file, TPLNMsg::GetEnglishValue(TORVMsgTable::Errors, QStringLiteral("NotDrawing")));
  if (bytes.trimmed().isEmpty()) throw EToolError(notDrawing);
  // Both readers build the drawing aside and take it over only when all of it was read.
  try {
    if (LooksLikeJson(file, bytes)) {
      // Any JSON object would read as an empty drawing: a saved drawing always lists its items.
      const QJsonDocument json = QJsonDocument::fromJson(bytes);
      if (json.isObject() && !json.object().contains(QStringLiteral("Items"))) throw EToolError(notDrawing);
      fmx.LoadFromJson(bytes);
    } else {
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::ReadOnly);
      fmx.LoadFromStream(&buffer);
    }
  } catch (const EPLNError& e) {
    throw EToolError(QStringLiteral("Could not load %1: %2").arg(file, e.Message()));
  } catch (const std::bad_alloc&) {
    throw EToolError(QStringLiteral("Could not load %1: not enough memory to read the drawing").arg(file));
  }
  QString text = QStringLiteral("Drawing loaded from: %1 (%2 items)").arg(file).arg(doc->GetItemsCount());
  if (const int skipped = fmx.SkippedItems())
    text += QStringLiteral(". %1 items of kinds this version cannot read were left out; save_drawing refuses to "
                           "overwrite a file with this drawing")
                .arg(skipped);
  return TextResult(text);
}

}  // namespace

void RegisterExportTools(TPLNMCPServer* s) {
  AddTool(s, "render_preview",
          "Render the current drawing as an inline PNG image. Use it after editing to visually verify layout, "
          "clipping, overlaps and text readability.",
          TSchema()
              .Num("scale", "Preview scale factor greater than zero (default: 1.0)")
              .Bool("transparent", "Use a transparent PNG background (default: false)"),
          RenderPreview);
  AddTool(s, "export_document", "Export the drawing as PDF, PNG, BMP, GIF, JPEG, or XPS to a file.",
          TSchema()
              .Str("filename", "Output file path", true)
              .Enum("format", {"pdf", "png", "bmp", "gif", "jpeg", "xps"}, "Export format", true)
              .Num("scale", "Scale factor (default: 1.0)")
              .Int("quality", "Image quality 0-100 for JPEG (default: 95)")
              .Bool("transparent", "Transparent background for PNG (default: false)"),
          ExportDocument);
  AddTool(s, "save_drawing", "Save the current drawing to a file in JSON or binary format.",
          TSchema().Str("filename", "Output file path", true).Enum("format", {"json", "binary"}, "File format"),
          SaveDrawing);
  AddTool(s, "load_drawing", "Load a drawing from a file (.json or .plb).",
          TSchema().Str("filename", "Input file path (.json or .plb)", true), LoadDrawing);
}

}  // namespace Orv::Mcp
