#pragma once
// The host control: the document with everything that needs the graphics platform — creating
// the drawable item classes when a file is read, saving, pasting, and export.

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Types.h"

class QWidget;
class QNetworkReply;

namespace Orv::Fmx {

class TExportThread;
class TMapComposer;
class TPreviewServices;
class TDialogServices;

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
  // The file last loaded or saved (empty for a drawing never saved).
  QString GetFileName() const { return fFileName; }
  // Gives the document the records its data settings name, repeated as the print run says;
  // false with the reason when they cannot be read (the data source then stays as it was).
  // Loading a file does this when the settings link a CSV file or hold JSON data.
  bool AttachData(QString* error = nullptr);
  // Binary document from a stream; on failure raises and leaves the document as it was.
  void LoadFromStream(QIODevice* stream);
  // JSON document from its text; on failure raises and leaves the document as it was.
  void LoadFromJson(const QByteArray& text);
  // Writes through a temporary file renamed over the target, so a failed save keeps the old
  // file whole. Clears the modified flag. Refused (EPLNError naming the count) when the last
  // load skipped items, unless DropSkippedItems is set.
  void SaveToFile(const QString& fileName, TORVExt ext);
  void SaveToStream(QIODevice* stream) const;
  QByteArray ToJsonText() const;

  // Reads a kind code and the item it announces; an unknown code yields no item and consumes
  // only the four bytes of the code.
  TPLNBaseItem* CreateFromStream(TBinaryReader& reader, std::int32_t version, TORVReadType readType);
  TPLNBaseItem* CreateItemFromRecord(TBinaryReader& reader, std::int32_t version) override;
  void CreateElementFromStream(QIODevice* stream) override;
  void PasteSelection() override;

  // A link between the items named `fromID` and `toID` (a name, or an identifier written as a
  // number); no item when either end cannot be linked (TPLNFactory::AddLink).
  TPLNBaseItem* AddLink(const QString& fromID, const QString& toID, std::int16_t fromIndex, std::int16_t toIndex,
                        F2d::TORVinkType linkType);

  // ---- clipboard between windows and applications
  // The system clipboard holds the selected items' JSON records in a small object marked with
  // kClipboardMarker, as text and under kClipboardMime, so other documents and applications can
  // take them and foreign text is told apart.
  static constexpr const char* kClipboardMime = "application/x-planora-items+json";
  static constexpr const char* kClipboardMarker = "PlanoraItems";
  // Copies the selection to the document's own clipboard stream and to the system clipboard.
  // False, and nothing copied, without a selection.
  bool CopyToClipboard();
  // Copies, then deletes the selection, as one undo step.
  bool CutToClipboard();
  // Pastes the items on the system clipboard as one undo step: new identifiers, selected, moved
  // clear of identical items at the same place. With nothing on the system clipboard, pastes the
  // document's own clipboard stream. Foreign or damaged text raises EPLNError and changes
  // nothing. False when there was nothing to paste.
  bool PasteFromClipboard();
  // Whether PasteFromClipboard has something of ours to paste (the items are not parsed).
  bool CanPasteFromClipboard();
  // The selected items in the system clipboard's form, in drawing order.
  QByteArray SelectionClipboardText() const;
  // Pastes items given in that form, as PasteFromClipboard does.
  bool PasteClipboardText(const QByteArray& text);

  // Items the last JSON load skipped: kinds this build does not know, records that are not
  // objects or have no numeric "Type".
  int SkippedItems() const { return fSkipped; }
  // A save of a document that skipped items would lose them: SaveToFile refuses it unless the
  // user chose to drop them. Each load clears it.
  bool DropSkippedItems = false;

  // Starts an export on its own thread and returns at once. The document must not change
  // until WaitForExport has returned. A sheet (page above 0) shows the print settings' current
  // page and its data records; page -1 writes every data page into one PDF.
  void ExportDoc(TORVExport exportType, const QString& fileName, std::int32_t page, float scale, std::int16_t quality,
                 bool checkData, bool transparent, bool fit);
  // Waits for every running export; false with the first error when one failed.
  bool WaitForExport(QString* error = nullptr);

  // The sheet of the current page as SVG, drawn on the calling thread after any running export
  // (ORV.FMX.Svg has the options beyond these).
  QString SVG(TORVSvgKind kind, double factor, bool withIds) override;
  void SaveSVG(const QString& fileName, TORVSvgKind kind, double factor, bool withIds) override;

  // Makes the per-label copies when the print settings ask for them or a data source is set:
  // every visible, printable data-bound item is written once and read back as a preview item
  // for each cell of the sheet, moved into its cell. A copy shows the record of its cell on the
  // current page (CopyRecord); saving skips copies, and each call drops the previous ones.
  // Before the copies it runs CheckAskData.
  void CheckPrintData();
  // The per-label copies alone: what the export thread does, the values having been checked on
  // the caller's thread.
  void MakePrintCopies();

  // ---- print-time values (the data settings' asks)
  // Fills the lists that do not come with the design: a list file's lines, an application's
  // values through OnGetListValues. EPLNError naming the value when a list file cannot be read.
  virtual void GetListValues();
  // Lets the application give the asked values through OnGetAskValues; values already given
  // stay unless it changes them. EPLNCancelled when it declines.
  virtual void GetAskValues();
  // An application's list: fill `values` for the ask `a`.
  std::function<void(TPlanoraFMX&, const TPLNAskValue& a, QStringList& values)> OnGetListValues;
  // Give the asked values with SetAskedValue; false cancels the run.
  std::function<bool(TPlanoraFMX&)> OnGetAskValues;
  // What a run settles before its first page: the lists, the asked values (each checked), the
  // counters file read for the numbers the run starts at. Raises (EPLNError naming the value)
  // before anything is printed or written; the document stays as it was. `ask` false skips
  // GetAskValues (the values were given already).
  void CheckAskData(bool ask = true);
  // The counters file of the data settings, a relative name taken from the document's folder;
  // empty when none is named.
  QString CountersFilePath() const;
  // After a run of `labels` labels the continuing counters move on: into the counters file, or
  // into the document (which is then modified). EPLNError naming the file when it cannot be
  // written.
  void AdvanceCounters(std::int64_t labels);
  // Continuing counters that a run moves on.
  bool HasContinuingCounters() const;

  // Told on the export thread before each page of an export of every data page (page -1).
  std::function<void(int page, int pages)> OnExportPage;

  // Prints synchronously with the print settings: CheckPrintData, then pages CurrentPage to
  // LastPage of the label sheet on the printer PrintInfo.PrinterIndex counts in PrinterNames(),
  // or into PrintToFile when that is set. Index -1 prints nothing and raises no event. The
  // sheet ends with the data when a data source is set.
  // Asked values are checked and a counters file tried before the first page; after the run
  // the continuing counters move on by the labels printed.
  void Print();
  // Labels the last print run printed.
  std::int64_t LastPrintedLabels() const { return fLastPrinted; }
  // Shows the print preview window of this document modally over `parent`; its file and print
  // questions go through `services` (null: the standard dialogs). False, with the reason shown
  // through the services, when the print data cannot be made.
  bool Preview(QWidget* parent = nullptr, std::shared_ptr<TPreviewServices> services = nullptr);
  // The layers window over `parent`, modal; its questions go through `services` (null: the
  // standard ones). Each change in it is one undo step of its own.
  void EditLayers(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = nullptr);
  // The page set-up of the editor mode: the label sheet window for labels, the drawing window
  // for flowcharts and drawings, nothing in interactive mode. True when the user accepted.
  bool EditProperties(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = nullptr);
  // The dimension styles window, in drawing mode only (false, nothing shown, in any other).
  bool EditDimStyles(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = nullptr);
  // A PDF file that takes the print instead of a printer (machines without one); empty: printer.
  QString PrintToFile;
  // Makes the named printer the print settings' printer; false (nothing changed) for an unknown name.
  bool SelectPrinter(const QString& name);
  // Told on the printing thread around a print run that prints.
  std::function<void(TPlanoraFMX&)> OnBeforePrint;
  std::function<void(TPlanoraFMX&)> OnAfterPrint;

  // The background layer's picture stretched into the current label cell less the image
  // margins, turned by the document's rotation; true when it drew. Export bands call it from
  // several threads at once.
  bool DrawBackImage(Canvas::ISkCanvas* canvas, TPLNDraw& draw);
  // The same on the print canvas, when the background layer is visible and prints its picture.
  void PrintBackImage(TPLNDraw& draw);
  // The label stock (BackSurf) filling the current label cell with its rounded corners, under
  // the background picture. Hosts call it where the document options show the stock on their
  // output (doShowBackSurf on screen and in the preview, doExportBackSurf, doPrintBackSurf).
  void DrawBackSurf(Canvas::ISkCanvas* canvas, const TPLNDraw& draw) const;
  void PrintBackSurf(TPLNDraw& draw) const;

  // Composes a width x height pixel map around the centre given as latitude (`first`) and
  // longitude (`second`) texts at `zoom` with the mapping's provider, and stores it as a PNG in
  // ImageFolder. Returns at once; the tiles arrive through this thread's event loop. A request
  // the mapping refuses fails at once. Either way the document hears GMLMapImageReady or
  // GMLMapImageFailed, and OnComposeImage follows a map that was written. A new call abandons
  // a composition still running.
  void ComposeImage(const QString& first, const QString& second, std::int32_t zoom, std::int32_t width,
                    std::int32_t height);
  // Runs the event loop until the composition ends; false with the reason when it failed.
  bool WaitForCompose(QString* error = nullptr);
  bool IsComposing() const;
  std::function<void(TPlanoraFMX&)> OnComposeImage;
  // Told after GMLMapImageFailed, with the reason, when a composition fails (also at once,
  // inside ComposeImage, for a request the mapping refuses).
  std::function<void(TPlanoraFMX&, const QString&)> OnComposeFailed;
  // Abandons a running composition: no map is written and neither event follows.
  void CancelCompose();
  // Where maps go when ImageFolder is empty.
  static QString DefaultMapFolder();
  // Shows the last composed map behind the labels on layer `layer` (1-based): the layer takes
  // the map file, the map-background options and the map's settings, and becomes the
  // background layer. Raises when there is no such layer or no map yet.
  void UseMapOnLayer(int layer);
  // Shows the picture `file` behind the labels on layer `layer` (1-based), printed and exported
  // with them; the layer becomes the background layer. Raises, changing nothing, when there is
  // no such layer or the file is no picture that can be read.
  void UseImageOnLayer(int layer, const QString& file);

  // The location of an address from the Google geocoding service (with the mapping's API
  // key) or from OpenStreetMap's Nominatim; true when one was found. Blocks for at most the
  // mapping's timeout.
  bool GeocodingFromGoogle(const QString& address, double& latitude, double& longitude);
  bool GeocodingFromNominatim(const QString& address, double& latitude, double& longitude);
  // Ends a geocoding request that is waiting for its answer: it returns at once, having found
  // nothing. Nothing happens when none is waiting.
  void AbortGeocoding();
  // The map window sized to w x h base units at 96 dots per inch; on OK an image item showing
  // the composed map at (x, y, w, h), as one undo step. No item when the window was cancelled.
  TPLNBaseItem* AddBaseMapImage(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                                QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = nullptr);

 private:
  // Puts `file` behind the labels on `layer` with the background options and `options` added.
  void PutBackImage(TPLNLayer* layer, int number, const QString& file, std::uint16_t options);
  // A file named relatively in the drawing's settings, taken from the drawing's folder (as it
  // is when the drawing was never saved).
  QString BesideDocument(const QString& name) const;
  QString fFileName;
  std::int64_t fLastPrinted = 0;
  void ReadStream(QIODevice* stream);
  void ReadJsonText(const QByteArray& text);
  void ReapExports();
  // Lets running exports finish; their errors wait for WaitForExport.
  void WaitForRunningExports();
  // The decoded background picture (null when there is none), decoded again only when its
  // source changed or a reload was asked for.
  QImage BackImage();
  // The current cell less the margins, in device pixels, for a cell whose origin is (ox, oy).
  QRectF BackImageRect(const TPLNDraw& draw, const TPLNLayer& layer, double ox, double oy) const;
  // The label cell at (ox, oy) and the stock's corner radius, in device pixels.
  QRectF CellRect(const TPLNDraw& draw, double ox, double oy, double* radius) const;

  std::vector<std::unique_ptr<TExportThread>> fExports;
  QString fExportError;
  // Guards LImage and its source, which export threads share with the user interface.
  std::mutex fImageLock;
  QImage LImage;
  QString fImageSource;  // what LImage was decoded from; empty before the first decode
  int fSkipped = 0;
  std::unique_ptr<TMapComposer> fComposer;
  QString fComposeError;
  QNetworkReply* fGeocodeReply = nullptr;  // the geocoding request waiting for its answer
};

}  // namespace Orv::Fmx
