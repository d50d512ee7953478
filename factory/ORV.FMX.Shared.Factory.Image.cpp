// Pictures.
#include <QDir>

#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.Factory.Support.h"

namespace Orv::Fmx {

using namespace FactorySupport;

TPLNBaseItem* TPLNFactory::AddImage(TPLNBaseLabel* doc, float x, float y, float w, float h, const QString& fileName) {
  return AddBaseImage(doc, Base(doc, x), Base(doc, y), Base(doc, w), Base(doc, h), fileName);
}

TPLNBaseItem* TPLNFactory::AddBaseImage(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                                        const QString& fileName) {
  TBatch batch(doc);
  auto* item = new TPLNImage(doc, false);
  item->AssignPoints({TORVPto{x, y}, TORVPto{x + w, y + h}});
  // A file inside the image folder is kept by its name there, so the document and its folder
  // move together; anything else keeps its full name.
  QString name = fileName;
  if (QDir::isAbsolutePath(name) && !doc->ImageFolder.isEmpty()) {
    const QString rel = QDir(doc->ImageFolder).relativeFilePath(name);
    if (!rel.startsWith(QLatin1String("..")) && !QDir::isAbsolutePath(rel)) name = rel;
  }
  item->SetFileName(name);
  PenDefaults(item, doc->GetActiveLayer(), true);
  doc->SortItemsZLayer();
  return item;
}

}  // namespace Orv::Fmx
