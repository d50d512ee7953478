#include "ORV.FMX.Export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <thread>
#include <vector>

#include "ORV.Canvas.Document.h"
#include "ORV.Canvas.Gif.h"
#include "ORV.Canvas.Xps.h"
#include "ORV.Canvas.h"
#include "ORV.FMX.Types.h"
#include "ORV.FMX.OutputFile.h"
#include "ORV.FMX.h"

namespace Orv::Fmx {

namespace {
// Bitmaps beyond this many pixels would need gigabytes; refuse them with a message instead.
constexpr double kMaxBitmapPixels = 400.0 * 1000 * 1000;
constexpr double kMaxSide = 65535;

const char* BitmapFormat(TORVExport t) {
  switch (t) {
    case TORVExport::PNG: return "PNG";
    case TORVExport::JPEG: return "JPEG";
    case TORVExport::BMP: return "BMP";
    default: return nullptr;
  }
}
}  // namespace

bool ExportTypeOfFile(const QString& fileName, TORVExport* type) {
  static const QMap<QString, TORVExport> formats{{"pdf", TORVExport::PDF}, {"xps", TORVExport::XPS},
                                                 {"bmp", TORVExport::BMP}, {"png", TORVExport::PNG},
                                                 {"gif", TORVExport::GIF}, {"jpg", TORVExport::JPEG},
                                                 {"jpeg", TORVExport::JPEG}};
  const auto it = formats.find(QFileInfo(fileName).suffix().toLower());
  if (it == formats.end()) return false;
  *type = *it;
  return true;
}

int ExportDPI(TORVExport type) { return (type == TORVExport::PDF || type == TORVExport::XPS) ? 300 : 96; }

TExportLayout ComputeExportLayout(const TPlanoraFMX& doc, TORVExport type, float scale, bool fit, std::int32_t page) {
  const int dpi = ExportDPI(type);
  const TPLNMeasure& m = doc.Measure();
  TExportLayout l;
  l.Sheet = !fit || page != 0;
  if (l.Sheet) {
    l.Width = m.GetSize(TPLNMeasure::PaperWidth) * double(scale) * dpi / 25400.0;
    l.Height = m.GetSize(TPLNMeasure::PaperHeight) * double(scale) * dpi / 25400.0;
    return l;
  }
  // The extent of what the export draws, not of what is merely visible.
  TORVBounds b = doc.CheckFit(Opt::Visible | Opt::Export);
  if (b.IsEmpty()) b = {0, 0, 0, 0};
  // A margin of one millimetre on paper around the drawn extent.
  const std::int64_t ds = std::max<std::int64_t>(1, m.DrawScale);
  const std::int64_t pad = ds * 1000;
  b.X1 -= pad;
  b.Y1 -= pad;
  b.X2 += pad;
  b.Y2 += pad;
  l.X1 = b.X1;
  l.Y1 = b.Y1;
  l.Width = std::max(10.0, (b.X2 - b.X1) * double(scale) * dpi / (double(ds) * 25400.0));
  l.Height = std::max(10.0, (b.Y2 - b.Y1) * double(scale) * dpi / (double(ds) * 25400.0));
  return l;
}

void DrawExportPage(const TPlanoraFMX& doc, TPLNDraw& draw, const TExportLayout& layout, int dpi,
                    const QRectF* visible, const TExportItemDraw& drawItem) {
  const std::uint16_t need = Opt::Visible | Opt::Export;
  // Line ends and round joins reach beyond an item's points; 25 mm covers any terminator.
  const double reach = 25.0 * dpi / 25.4;
  auto drawItems = [&] {
    for (int i = 1; i <= doc.GetItemsCount(); ++i) {
      TPLNBaseItem* item = doc.GetItem(i);
      // Per-label copies stand in their sheet cells for the preview; here the originals are
      // drawn in every cell. A data value may outgrow its item's bounds: never culled.
      if (item->IsPreview() || !item->HasOptions(need)) continue;
      if (visible && !item->GetIsData()) {
        const TORVBounds b = item->GetBounds();
        if (b.IsEmpty()) continue;
        const double x1 = b.X1 * draw.PixPerBaseX + draw.OriginX - reach, x2 = b.X2 * draw.PixPerBaseX + draw.OriginX + reach;
        const double y1 = b.Y1 * draw.PixPerBaseY + draw.OriginY - reach, y2 = b.Y2 * draw.PixPerBaseY + draw.OriginY + reach;
        if (x2 < visible->left() || x1 > visible->right() || y2 < visible->top() || y1 > visible->bottom()) continue;
      }
      if (drawItem) drawItem(*item, draw);
      else item->DrawElement(&draw);
    }
  };
  if (!layout.Sheet) {
    draw.OriginX = static_cast<float>(-layout.X1 * draw.PixPerBaseX);
    draw.OriginY = static_cast<float>(-layout.Y1 * draw.PixPerBaseY);
    drawItems();
    return;
  }
  const TPLNMeasure& m = doc.Measure();
  const TPLNPrintInfo& pi = doc.PrintInfo;
  const bool firstPage = pi.CurrentPage <= 1;
  int row = firstPage ? std::clamp(pi.FirstRow, 1, m.Rows) : 1;
  int column = firstPage ? std::clamp(pi.FirstColumn, 1, m.Columns) : 1;
  int counter = 0;
  const int limit = pi.LabelsToPrint > 0 ? pi.LabelsToPrint : m.Rows * m.Columns;
  // The cells take records from the document's cursor on, one each (NextRecord, the step of
  // NextData), and the sheet ends with the data. The walk keeps its own copy of the cursor:
  // the bands of a bitmap draw the same page side by side.
  const int records = doc.GetDataSource() ? doc.GetRecordCount() : -1;
  int record = doc.GetCurrentRecord();
  auto more = [&] { return counter < limit && (records < 0 || record < records); };
  for (; row <= m.Rows && more(); ++row, column = 1) {
    draw.Row = static_cast<std::int16_t>(row);
    draw.OriginY = static_cast<float>(m.CellY(row) * dpi / 25400.0);
    for (; column <= m.Columns && more(); ++column, ++counter, record = doc.NextRecord(record)) {
      draw.Col = static_cast<std::int16_t>(column);
      draw.Record = record;
      draw.OriginX = static_cast<float>(m.CellX(column) * dpi / 25400.0);
      // The picture cache (and the embedding of a file's picture) is the only document state an
      // export may change; DrawBackImage guards it for the bands drawn side by side.
      if (doc.HasOption(doExportBackSurf)) doc.DrawBackSurf(draw.kC, draw);
      const TPLNLayer* back = doc.GetLayer(doc.GetBackLayer());
      if (back && back->HasOption(Opt::Visible | Opt::ExportBackground))
        const_cast<TPlanoraFMX&>(doc).DrawBackImage(draw.kC, draw);
      drawItems();
    }
  }
}

TExportThread::TExportThread(TPlanoraFMX* label, const QString& fileName, TORVExport exportType, bool fit,
                             bool checkData, bool transparent, float scale, std::int16_t quality, std::int32_t page)
    : mLabel(label),
      mFileName(fileName),
      mExportType(exportType),
      mFit(fit),
      mCheckData(checkData),
      mTransparent(transparent),
      mScale(std::clamp(scale, 0.2f, 5.0f)),
      mQuality(quality),
      mPage(page) {
  if (!(scale == scale)) mScale = 1.0f;  // NaN
}

void TExportThread::run() {
  try {
    Execute();
  } catch (const std::exception& e) {
    mError = QString::fromUtf8(e.what());
  } catch (...) {
    mError = QStringLiteral("the export failed");
  }
}

void SetUpExportDraw(TPLNDraw& d, const TPlanoraFMX& doc, int dpi, float scale) {
  d.ResetMatrix(TORVDrawState::Export);
  d.SetResolution(dpi, dpi, doc.Measure().DrawScale);
  d.Zoom = scale;
  d.PixPerUnitX = d.PixPerUnitY = 1.0f;
  d.SetStandardWidths();
  d.kP->AntiAlias = true;
  d.kP->StrokeCap = Canvas::TSkStrokeCap::Round;
  d.kP->StrokeJoin = Canvas::TSkStrokeJoin::Round;
}

void TExportThread::Execute() {
  // The asked values were settled by ExportDoc on the caller's thread.
  if (mCheckData) mLabel->MakePrintCopies();
  const int dpi = ExportDPI(mExportType);
  const TExportLayout layout = ComputeExportLayout(*mLabel, mExportType, mScale, mFit, mPage);
  if (mPage < 0 && mExportType != TORVExport::PDF)
    throw EPLNError(QStringLiteral("%1: every page in one file needs PDF; other formats take one page per file")
                        .arg(QFileInfo(mFileName).fileName()));
  // A sheet shows the records of its page.
  if (layout.Sheet && mPage >= 0) mLabel->FillDataPage(mLabel->PrintInfo.CurrentPage);
  switch (mExportType) {
    case TORVExport::PNG:
    case TORVExport::JPEG:
    case TORVExport::BMP:
    case TORVExport::GIF:
      ExportBitmap(layout, dpi);
      break;
    case TORVExport::PDF:
      ExportPdf(layout, dpi);
      break;
    case TORVExport::XPS:
      ExportXps(layout, dpi);
      break;
  }
}

void TExportThread::ExportBitmap(const TExportLayout& layout, int dpi) {
  const int w = static_cast<int>(std::lround(layout.Width));
  const int h = static_cast<int>(std::lround(layout.Height));
  if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide || double(w) * h > kMaxBitmapPixels)
    throw EPLNError(QStringLiteral("%1: a %2 x %3 pixel bitmap is too large; lower the scale")
                        .arg(QFileInfo(mFileName).fileName()).arg(w).arg(h));
  const bool alpha = mTransparent && mExportType == TORVExport::PNG;
  QImage img(w, h, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (img.isNull()) throw EPLNError(QStringLiteral("%1: not enough memory for the bitmap").arg(QFileInfo(mFileName).fileName()));
  img.fill(alpha ? Qt::transparent : Qt::white);
  const int dpm = static_cast<int>(std::lround(dpi / 0.0254 * mScale));
  img.setDotsPerMeterX(dpm);
  img.setDotsPerMeterY(dpm);
  // Horizontal bands drawn side by side, one per core. Each band paints only the items that
  // reach its rows, unclipped, on a full-size image, and keeps its rows: Qt places dashes by the
  // device's extent and anti-aliases clipped spans differently, so band-sized devices or clips
  // would show at the seams. Large images are drawn in one pass to bound memory.
  const bool split = h >= 512 && double(w) * h <= 16.0 * 1000 * 1000;
  const int bands = split ? std::clamp(QThread::idealThreadCount(), 1, 4) : 1;
  std::vector<QImage> scratch(bands > 1 ? bands - 1 : 0);
  std::vector<std::thread> workers;
  std::vector<std::exception_ptr> errors(bands);
  for (int band = 0; band < bands; ++band) {
    const int y0 = h * band / bands, y1 = h * (band + 1) / bands;
    auto work = [&, band, y0, y1] {
      try {
        QImage* target = &img;
        if (band + 1 < bands) {
          scratch[band] = QImage(w, h, img.format());
          if (scratch[band].isNull()) throw EPLNError(QStringLiteral("not enough memory for the bitmap"));
          scratch[band].fill(alpha ? Qt::transparent : Qt::white);
          target = &scratch[band];
        }
        QPainter p(target);
        p.setRenderHint(QPainter::Antialiasing, true);
        Canvas::TQPainterCanvas canvas(&p);
        canvas.Scale(mScale, mScale);
        TPLNDraw d;
        SetUpExportDraw(d, *mLabel, dpi, mScale);
        d.kC = &canvas;
        d.pC = &canvas;
        d.PageWidth = static_cast<float>(w);
        d.PageHeight = static_cast<float>(h);
        const QRectF visible(0, (y0 - 1) / mScale, w / mScale, (y1 - y0 + 2) / mScale);
        DrawExportPage(*mLabel, d, layout, dpi, &visible);
      } catch (...) {
        errors[band] = std::current_exception();
      }
    };
    if (band + 1 < bands) workers.emplace_back(work);
    else work();
  }
  for (std::thread& t : workers) t.join();
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
  for (int band = 0; band + 1 < bands; ++band) {
    const int y0 = h * band / bands, y1 = h * (band + 1) / bands;
    for (int y = y0; y < y1; ++y) std::memcpy(img.scanLine(y), scratch[band].constScanLine(y), img.bytesPerLine());
  }
  TOutputFile out(mFileName);
  QFile& f = out.File();
  // JPEG takes the caller's quality. For PNG, Qt's quality 70 picks a zlib level that packs line
  // art as tightly as the default in half the time.
  int quality = -1;
  if (mExportType == TORVExport::JPEG && mQuality >= 1 && mQuality <= 100) quality = mQuality;
  if (mExportType == TORVExport::PNG) quality = 70;
  const bool gif = mExportType == TORVExport::GIF;
  if (!(gif ? Canvas::WriteGif(img, &f) : img.save(&f, BitmapFormat(mExportType), quality))) {
    throw EPLNError(QStringLiteral("%1: Error saving Bitmap to %2")
                        .arg(QFileInfo(mFileName).fileName(), gif                                ? "gif"
                                                              : mExportType == TORVExport::JPEG ? "jpg"
                                                              : mExportType == TORVExport::BMP  ? "bmp"
                                                                                                : "png"));
  }
  out.Commit();
}

void TExportThread::ExportPdf(const TExportLayout& layout, int dpi) {
  const QFileInfo target(mFileName);
  TOutputFile out(mFileName);
  out.File().close();
  {
    Canvas::TPdfDocument pdf(out.TempName());
    if (!pdf.IsOpen()) throw EPLNError(QStringLiteral("%1: cannot write the file: %2").arg(target.fileName(), pdf.ErrorString()));
    // Page -1: every data page, one PDF page each.
    const int last = mPage < 0 ? mLabel->GetDataPages() : 1;
    for (int page = 1; page <= last; ++page) {
      if (mPage < 0) {
        mLabel->GoToPage(page, false, true);
        if (mLabel->OnExportPage) mLabel->OnExportPage(page, last);
      }
      Canvas::ISkCanvas* canvas = pdf.BeginPage(static_cast<float>(layout.Width), static_cast<float>(layout.Height), dpi);
      if (!canvas) throw EPLNError(QStringLiteral("%1: cannot start the page: %2").arg(target.fileName(), pdf.ErrorString()));
      canvas->Scale(mScale, mScale);
      TPLNDraw d;
      SetUpExportDraw(d, *mLabel, dpi, mScale);
      d.kC = canvas;
      d.pC = dynamic_cast<Canvas::IPrintCanvas*>(canvas);
      d.PageWidth = static_cast<float>(layout.Width);
      d.PageHeight = static_cast<float>(layout.Height);
      DrawExportPage(*mLabel, d, layout, dpi);
    }
    pdf.EndPage();
    if (!pdf.Close()) throw EPLNError(QStringLiteral("%1: cannot write the file: %2").arg(target.fileName(), pdf.ErrorString()));
  }
  out.Commit();
}

// Drawn at print resolution like PDF: the page is vector markup whatever the resolution, and
// hairlines stay one print pixel wide. The document writes the file only when it is whole.
void TExportThread::ExportXps(const TExportLayout& layout, int dpi) {
  const QString name = QFileInfo(mFileName).fileName();
  TOutputFile out(mFileName);
  out.File().close();
  Canvas::TXpsDocument xps(out.TempName());
  if (!xps.IsOpen()) throw EPLNError(QStringLiteral("%1: cannot write the file: %2").arg(name, xps.ErrorString()));
  Canvas::ISkCanvas* canvas = xps.BeginPage(static_cast<float>(layout.Width), static_cast<float>(layout.Height), dpi);
  if (!canvas) throw EPLNError(QStringLiteral("%1: cannot start the page: %2").arg(name, xps.ErrorString()));
  canvas->Scale(mScale, mScale);
  TPLNDraw d;
  SetUpExportDraw(d, *mLabel, dpi, mScale);
  d.kC = canvas;
  d.pC = xps.Canvas();
  d.PageWidth = static_cast<float>(layout.Width);
  d.PageHeight = static_cast<float>(layout.Height);
  DrawExportPage(*mLabel, d, layout, dpi);
  xps.EndPage();
  if (!xps.Close()) throw EPLNError(QStringLiteral("%1: cannot write the file: %2").arg(name, xps.ErrorString()));
  out.Commit();
}

}  // namespace Orv::Fmx
