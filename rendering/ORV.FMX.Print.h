#pragma once
// Printing: the label sheet drawn page by page on a QPrinter, a printer queue or a PDF file.

#include <QString>
#include <QStringList>

namespace Orv::Fmx {

class TPlanoraFMX;

// The printer queues of this machine, in the order the print settings' printer index counts them.
QStringList PrinterNames();

// One print run of a document. Runs on the caller's thread: QPainter on a QPrinter belongs to the
// thread that made it, and the document must not change while it prints.
class TPrintThread {
 public:
  explicit TPrintThread(TPlanoraFMX* label) : fLabel(label) {}
  // Prints with the document's print settings; a printer or file that cannot be opened raises
  // EPLNError.
  void Execute();

 private:
  TPlanoraFMX* fLabel;
};

}  // namespace Orv::Fmx
