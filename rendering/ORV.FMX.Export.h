#pragma once
// Page export: draws the label sheet (or the drawing's extent) into a bitmap or a PDF file on a
// thread of its own.

#include <QRectF>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>

#include "ORV.FMX.OutputFile.h"
#include "ORV.Types.h"

namespace Orv {
class TPLNBaseItem;
}

namespace Orv::Fmx {

class TPlanoraFMX;
class TPLNDraw;

// Pixel size of an export and where the drawing sits in it.
struct TExportLayout {
  double Width = 0;
  double Height = 0;
  bool Sheet = true;
  std::int64_t X1 = 0;  // fit mode: top-left of the drawn extent, base units
  std::int64_t Y1 = 0;
};

// The export format a file name asks for by its extension (case-insensitive: .pdf, .xps,
// .png, .jpg/.jpeg, .bmp, .gif); false for any other.
bool ExportTypeOfFile(const QString& fileName, TORVExport* type);
// Resolution of a format: bitmaps at screen resolution, documents at print resolution.
int ExportDPI(TORVExport type);
TExportLayout ComputeExportLayout(const TPlanoraFMX& doc, TORVExport type, float scale, bool fit, std::int32_t page);
// How the page loop has an item draw itself (in the current cell); by default DrawElement.
using TExportItemDraw = std::function<void(TPLNBaseItem& item, TPLNDraw& draw)>;
// Draws every visible, exportable item of the page (sheet) or the whole drawing (fit) with `draw`,
// whose canvas, resolution and scale are already set. With `visible` (device pixels before the
// canvas scale) items that cannot reach it are skipped.
void DrawExportPage(const TPlanoraFMX& doc, TPLNDraw& draw, const TExportLayout& layout, int dpi,
                    const QRectF* visible = nullptr, const TExportItemDraw& drawItem = {});
// The context of an export at `dpi` and `scale`: export state, the document's drawing scale,
// anti-aliased paint with round caps and joins. The caller sets the canvas and page size.
void SetUpExportDraw(TPLNDraw& d, const TPlanoraFMX& doc, int dpi, float scale);


class TExportThread : public QThread {
 public:
  TExportThread(TPlanoraFMX* label, const QString& fileName, TORVExport exportType, bool fit, bool checkData,
                bool transparent, float scale, std::int16_t quality, std::int32_t page);

  QString Error() const { return mError; }
  float Scale() const { return mScale; }

 protected:
  void run() override;

 private:
  void Execute();
  void ExportBitmap(const TExportLayout& layout, int dpi);
  void ExportPdf(const TExportLayout& layout, int dpi);
  void ExportXps(const TExportLayout& layout, int dpi);

  TPlanoraFMX* mLabel;
  QString mFileName;
  TORVExport mExportType;
  bool mFit;
  bool mCheckData;
  bool mTransparent;
  float mScale;
  std::int16_t mQuality;
  std::int32_t mPage;
  QString mError;
};

}  // namespace Orv::Fmx
