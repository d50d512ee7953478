// The picture tool.
#include <QDir>
#include <QFileInfo>

#include "ORV.FMX.h"
#include "ORV.Image.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;

QJsonObject AddImage(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), w = a.Num("width", 30), h = a.Num("height", 20);
  for (const auto& [name, v] : {std::pair{"x", x}, {"y", y}, {"width", w}, {"height", h}}) CheckCoord(doc, name, v);
  const QString file = a.Str("filename").trimmed();
  if (file.isEmpty()) throw EToolError(QStringLiteral("filename is required: an image file name or full path"));
  // The folder and the file are checked before anything changes: a refused call leaves the
  // image folder as it was too.
  const QString folder = a.Str("folder").trimmed();
  const QString base = a.Has("folder") && !folder.isEmpty() ? folder : doc->ImageFolder;
  const QString path = QDir::cleanPath(QDir::isAbsolutePath(file) ? file
                                       : base.isEmpty()           ? QDir::current().absoluteFilePath(file)
                                                                  : QDir(base).absoluteFilePath(file));
  if (!QFileInfo(path).isFile()) throw EToolError(QStringLiteral("Image file not found: \"%1\"").arg(path));
  // Decoded now at about the size it shows (the draws that follow find it in the cache): a file
  // that is no picture, is cut short or is too large is refused here rather than placed.
  const double k = 96.0 / 25400.0;
  const QSizeF want(std::max(1.0, std::abs(double(Utils::SetValue(w, doc->GetUnits()))) * k),
                    std::max(1.0, std::abs(double(Utils::SetValue(h, doc->GetUnits()))) * k));
  const F2d::TORVDecodedPtr pic = F2d::DecodeImage(path, {}, F2d::TORVImageFilter::None, want);
  if (pic->Image.isNull()) throw EToolError(pic->Error);
  if (!folder.isEmpty()) {
    if (!QDir().mkpath(folder))
      throw EToolError(QStringLiteral("Could not create the folder \"%1\"").arg(Utils::QuoteForMessage(folder, 80)));
  }

  TUpdate batch(doc);
  if (!folder.isEmpty()) doc->ImageFolder = folder;
  TNewItem made(doc, TPLNFactory::AddImage(doc, float(x), float(y), float(w), float(h), path));
  TPLNBaseItem* item = made.Keep();
  return TextResult(QStringLiteral("Image added: id=%1 at (%2, %3) size %4 x %5 file=\"%6\"")
                        .arg(QString::number(item->GetID()), Fmt(x), Fmt(y), Fmt(w), Fmt(h), file));
}

}  // namespace

void RegisterImageTools(TPLNMCPServer* s) {
  AddTool(s, "add_image",
          "Add an image at (x,y) with width and height. Supports PNG, JPG, BMP, GIF. Filename can be absolute or "
          "relative to ImageFolder. Use folder param to set ImageFolder first.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Num("width", "Width in current units", true)
              .Num("height", "Height in current units", true)
              .Str("filename", "Image file name or full path (PNG, JPG, BMP, GIF). If relative, resolved against ImageFolder.",
                   true)
              .Str("folder", "Set the ImageFolder before adding the image. Subsequent images will use this folder too."),
          AddImage);
}

}  // namespace Orv::Mcp
