#pragma once
// The host control: the document with everything that needs the graphics platform — creating
// the drawable item classes when a file is read, saving, pasting, and export.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Types.h"

namespace Orv::Fmx {

class TExportThread;

// How each kind code is read; entries are empty for kinds this build does not have yet.
struct TPLNKindEntry {
  const char* ClassName;
  TPLNBaseItem* (*Read)(TPLNBaseLabel*, std::int32_t, TBinaryReader&, TORVReadType);
  TPLNBaseItem* (*ReadFromJson)(TPLNBaseLabel*, std::int32_t, const QJsonObject&);
};
// Entry of a kind code 1..29, or null for any other code.
const TPLNKindEntry* KindEntry(std::int32_t code);

class TPlanoraFMX : public TPLNSharedFMX {
 public:
  TPlanoraFMX();
  ~TPlanoraFMX() override;

  // Loads a ".eti" or ".json" file (extension compared exactly); any other extension loads
  // nothing and returns false. A failure raises EPLNError naming the file and leaves the
  // document exactly as it was.
  bool LoadFromFile(const QString& fileName);
  // Binary document from a stream; on failure raises and leaves the document as it was.
  void LoadFromStream(QIODevice* stream);
  // JSON document from its text; on failure raises and leaves the document as it was.
  void LoadFromJson(const QByteArray& text);
  // Writes through a temporary file renamed over the target, so a failed save keeps the old
  // file whole. Clears the modified flag.
  void SaveToFile(const QString& fileName, TORVExt ext);
  void SaveToStream(QIODevice* stream) const;
  QByteArray ToJsonText() const;

  // Reads a kind code and the item it announces; an unknown code yields no item and consumes
  // only the four bytes of the code.
  TPLNBaseItem* CreateFromStream(TBinaryReader& reader, std::int32_t version, TORVReadType readType);
  void CreateElementFromStream(QIODevice* stream) override;
  void PasteSelection() override;

  // Items of unknown kinds skipped by the last JSON load.
  int SkippedItems() const { return fSkipped; }

  // Starts an export on its own thread and returns at once. The document must not change
  // until WaitForExport has returned.
  void ExportDoc(TORVExport exportType, const QString& fileName, std::int32_t page, float scale, std::int16_t quality,
                 bool checkData, bool transparent, bool fit);
  // Waits for every running export; false with the first error when one failed.
  bool WaitForExport(QString* error = nullptr);

  // Prepares per-label copies of data-bound items before printing or export.
  void CheckPrintData();

 private:
  void ReadStream(QIODevice* stream);
  void ReadJsonText(const QByteArray& text);
  void ReapExports();

  std::vector<std::unique_ptr<TExportThread>> fExports;
  QString fExportError;
  int fSkipped = 0;
};

}  // namespace Orv::Fmx
