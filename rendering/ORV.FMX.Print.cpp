#include "ORV.FMX.Print.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <algorithm>
#include <climits>
#include <cmath>

#include "ORV.Canvas.h"
#include "ORV.FMX.Types.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

QStringList PrinterNames() {
  QStringList names;
  for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) names << info.printerName();
  return names;
}

namespace {
// Undoes what a print run changes in the document and the process, also when it fails.
struct TPrintRunGuard {
  TPlanoraFMX* doc;
  float fontDPI;
  int record;
  ~TPrintRunGuard() {
    doc->RemoveState(9);
    doc->SetCurrentRecord(record);
    SetFontPrintDPI(fontDPI);
  }
};
}  // namespace

namespace {
QString CalibrationKey(const QString& printer) {
  // Printer names may hold characters QSettings reads as groups.
  return QStringLiteral("calibration/") + QString::fromLatin1(printer.toUtf8().toHex());
}
}  // namespace

QPointF PrintCalibration(const QString& printer) {
  if (printer.isEmpty()) return {};
  const QSettings s(QStringLiteral("Planora"), QStringLiteral("printers"));
  const QPointF p = s.value(CalibrationKey(printer)).toPointF();
  // A hand-edited settings file cannot throw the print off the page.
  if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || std::abs(p.x()) > 50 || std::abs(p.y()) > 50) return {};
  return p;
}

void SetPrintCalibration(const QString& printer, QPointF mm) {
  if (printer.isEmpty()) throw EPLNError(QStringLiteral("A calibration needs a printer name"));
  if (!std::isfinite(mm.x()) || !std::isfinite(mm.y()) || std::abs(mm.x()) > 50 || std::abs(mm.y()) > 50)
    throw EPLNError(QStringLiteral("A printer offset lies between -50 and 50 mm"));
  QSettings s(QStringLiteral("Planora"), QStringLiteral("printers"));
  if (mm.isNull()) s.remove(CalibrationKey(printer));
  else s.setValue(CalibrationKey(printer), mm);
  s.sync();
  if (s.status() != QSettings::NoError) throw EPLNError(QStringLiteral("The printer offset could not be kept"));
}

void TPrintThread::Execute() {
  TPlanoraFMX& doc = *fLabel;
  const float savedFontDPI = GetFontPrintDPI();
  const TPLNPrintInfo& pi = doc.PrintInfo;
  if (pi.PrinterIndex < 0) return;
  const bool toFile = !doc.PrintToFile.isEmpty();
  QPrinterInfo target;
  if (!toFile) {
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    if (pi.PrinterIndex >= printers.size())
      throw EPLNError(printers.isEmpty()
                          ? QStringLiteral("cannot print: this machine has no printer (print to a PDF file instead)")
                          : QStringLiteral("cannot print: there is no printer number %1 (this machine has %2)")
                                .arg(pi.PrinterIndex).arg(printers.size()));
    target = printers[pi.PrinterIndex];
  }

  if (doc.OnBeforePrint) doc.OnBeforePrint(doc);
  doc.AddState(9);
  TPrintRunGuard guard{&doc, savedFontDPI, doc.GetCurrentRecord()};

  const TPLNMeasure& m = doc.Measure();
  QPrinter printer(QPrinter::HighResolution);
  if (toFile) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(doc.PrintToFile);
  } else {
    printer.setPrinterName(target.printerName());
  }
  // The paper is a custom size; a landscape sheet goes out as its portrait size turned, so that
  // drivers feed it the way the label stock lies. Qt spools a page of whole points, and CUPS cuts
  // a custom size to hundredths of a millimetre and then to whole points, a point short unless
  // the size is named just above them. Named so, both keep the same page; otherwise the spooler
  // centres Qt's page on its own and every label moves by up to a fifth of a millimetre.
  const bool landscape = m.IsLandscape();
  const double wmm = m.GetSize(TPLNMeasure::PaperWidth) / 1000.0;
  const double hmm = m.GetSize(TPLNMeasure::PaperHeight) / 1000.0;
  const QSizeF mm = landscape ? QSizeF(hmm, wmm) : QSizeF(wmm, hmm);
  QPageSize size(mm, QPageSize::Millimeter, m.LabelName, QPageSize::ExactMatch);
  if (size.id() == QPageSize::Custom) {
    const auto wholePoints = [](double v) { return std::ceil(qRound(v * 72 / 25.4) * 2540.0 / 72) / 100; };
    size = QPageSize(QSizeF(wholePoints(mm.width()), wholePoints(mm.height())), QPageSize::Millimeter, m.LabelName,
                     QPageSize::ExactMatch);
  }
  printer.setFullPage(true);
  const QPageLayout layout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
  const QString where = toFile ? QFileInfo(doc.PrintToFile).fileName() : target.printerName();
  if (!printer.setPageLayout(layout))
    throw EPLNError(QStringLiteral("%1: the printer does not take paper of %2 x %3 mm").arg(where).arg(wmm).arg(hmm));
  printer.setResolution(1200);
  const int dpiX = printer.logicalDpiX(), dpiY = printer.logicalDpiY();
  printer.setDocName(m.LabelName);
  printer.setCreator(QStringLiteral("Planora"));

  QPainter painter;
  if (!painter.begin(&printer))
    throw EPLNError(toFile ? QStringLiteral("%1: cannot write the file").arg(where)
                           : QStringLiteral("cannot open the printer %1").arg(where));
  try {
    // The printer's own offset moves the whole page; a PDF file is where it is drawn.
    if (!toFile) {
      const QPointF off = PrintCalibration(target.printerName());
      painter.translate(off.x() * dpiX / 25.4, off.y() * dpiY / 25.4);
    }
    Canvas::TQPainterCanvas canvas(&painter);
    TPLNDraw draw;
    draw.ResetMatrix(TORVDrawState::Printing);
    draw.pC = &canvas;
    draw.kC = &canvas;
    draw.Zoom = 1.0f;
    draw.SetResolution(dpiX, dpiY, m.DrawScale);
    // Print fonts are sized in printer pixels; the saved value comes back when the job ends.
    SetFontPrintDPI(static_cast<float>(dpiY));
    draw.PageWidth = static_cast<float>(printer.width());
    draw.PageHeight = static_cast<float>(printer.height());
    // Pixels per document unit: base units per unit over base units per inch.
    const double unit = Utils::UnitFactor(doc.GetUnits()) / 25400.0;
    draw.PixPerUnitX = static_cast<float>(dpiX * unit);
    draw.PixPerUnitY = static_cast<float>(dpiY * unit);
    draw.SetStandardWidths();

    const bool data = doc.GetDataSource() != nullptr;
    int page = pi.CurrentPage, row = pi.FirstRow, column = pi.FirstColumn, counter = pi.Counter;
    // The run of labels ends with the data: no cell past the last record.
    std::int64_t labels = pi.LabelsToPrint > 0 ? pi.LabelsToPrint : INT_MAX;
    // Copies asked for the run are the labels it prints, on as many pages as they need.
    int lastPage = pi.LastPage;
    if (const int copies = doc.AskedCopies(); copies > 0) {
      labels = counter - 1 + copies;
      lastPage = INT_MAX;
    }
    if (data) {
      doc.FillDataPage(page);
      labels = std::min<std::int64_t>(labels, counter - 1 + std::max(0, doc.GetRecordCount() - doc.GetCurrentRecord()));
    }
    const int items = doc.GetItemsCount();
    while (page <= lastPage && counter <= labels) {
      while (row <= m.Rows && counter <= labels) {
        draw.Row = static_cast<std::int16_t>(row);
        // The cells lie where the measure puts them for export and preview too.
        draw.IOriginY = static_cast<std::int32_t>(std::lround(m.CellY(row) * double(dpiY) / 25400.0));
        draw.OriginY = static_cast<float>(draw.IOriginY);
        while (column <= m.Columns && counter <= labels) {
          draw.Col = static_cast<std::int16_t>(column);
          draw.IOriginX = static_cast<std::int32_t>(std::lround(m.CellX(column) * double(dpiX) / 25400.0));
          draw.OriginX = static_cast<float>(draw.IOriginX);
          // Without data the record is the label's number in the run, which counters show.
          draw.Record = data ? doc.GetCurrentRecord() : counter - 1;
          draw.Page = page;
          if (doc.HasOption(doPrintBackSurf)) doc.PrintBackSurf(draw);
          doc.PrintBackImage(draw);
          for (int i = 1; i <= items; ++i) {
            TPLNBaseItem* item = doc.GetItem(i);
            // The per-label copies stand in their cells for the preview; the originals print in
            // every cell with the cell's record. Paper asks only the print bits: a layer hidden
            // on screen still prints.
            if (item->IsPreview() || !item->HasOptions(Opt::Print)) continue;
            item->PrintElement(&draw);
          }
          doc.NextData();
          ++counter;
          ++column;
        }
        column = 1;
        ++row;
      }
      ++page;
      row = 1;
      column = 1;
      if (page <= lastPage && counter <= labels && !printer.newPage())
        throw EPLNError(QStringLiteral("%1: cannot start page %2").arg(where).arg(page));
    }
    fPrinted = counter - pi.Counter;
  } catch (...) {
    // Half a job is worth nothing: a queue drops it, a file is not finished.
    printer.abort();
    painter.end();
    throw;
  }
  if (!painter.end()) throw EPLNError(QStringLiteral("%1: the print job could not be finished").arg(where));
  doc.RemoveState(9);
  if (doc.OnAfterPrint) doc.OnAfterPrint(doc);
}

}  // namespace Orv::Fmx
