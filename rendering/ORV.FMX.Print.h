#pragma once
// Printing: the label sheet drawn page by page on a QPrinter, a printer queue or a PDF file.

#include <QPointF>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace Orv::Fmx {

class TPlanoraFMX;

// The printer queues of this machine, in the order the print settings' printer index counts them.
QStringList PrinterNames();

// Real printers feed the paper off by a millimetre or two. The offset (millimetres, right and
// down) that puts the print where the sheet is, kept per printer on this machine: every page
// printed on that printer moves by it. (0, 0) for a printer never calibrated.
QPointF PrintCalibration(const QString& printer);
// Keeps the offset for `printer`; (0, 0) forgets it. Offsets beyond 50 mm raise EPLNError.
void SetPrintCalibration(const QString& printer, QPointF mm);

// One print run of a document. Runs on the caller's thread: QPainter on a QPrinter belongs to the
// thread that made it, and the document must not change while it prints.
class TPrintThread {
 public:
  explicit TPrintThread(TPlanoraFMX* label) : fLabel(label) {}
  // Prints with the document's print settings; a printer or file that cannot be opened raises
  // EPLNError.
  void Execute();
  // Labels printed by Execute.
  std::int64_t Printed() const { return fPrinted; }

 private:
  TPlanoraFMX* fLabel;
  std::int64_t fPrinted = 0;
};

}  // namespace Orv::Fmx
