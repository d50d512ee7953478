// XPS export: a fixed-page document package (zip) of our own making, drawn through a QPaintEngine
// so the canvas code runs unchanged. Shapes become Path elements with solid fills and strokes
// (dashes, caps, joins, opacity); text becomes glyph outlines; images become PNG parts.
#pragma once

#include "ORV.Canvas.h"

#include <QByteArray>
#include <QPainter>
#include <QString>

#include <memory>

namespace Orv::Canvas {

class TXpsPage;
struct TXpsParts;

// The package is built in memory and written by Close through a QSaveFile: the file follows the
// umask, and a failed or abandoned export leaves any older file as it was and no partial file.
// No temporary file exists while the pages are drawn, so a process ended then leaves none.
class TXpsDocument {
 public:
  explicit TXpsDocument(const QString& fileName);
  ~TXpsDocument();  // an unclosed document is dropped, not written
  TXpsDocument(const TXpsDocument&) = delete;
  TXpsDocument& operator=(const TXpsDocument&) = delete;

  bool IsOpen() const;  // the file can be written and the document is not closed yet
  QString ErrorString() const { return Error_; }

  // Starts a page of widthPx x heightPx pixels at `dpi` (ends an open page first); the page is
  // sized exactly in XPS units (1/96 inch). The canvas draws in pixels at `dpi` with the origin at
  // the top-left corner and stays valid until EndPage, the next BeginPage or Close. Null when the
  // document is not open or the size is not positive.
  ISkCanvas* BeginPage(float widthPx, float heightPx, float dpi);
  TQPainterCanvas* Canvas() const { return Canvas_.get(); }
  void EndPage();
  // Ends the open page and writes the package. False when no page was begun or on a write error.
  bool Close();

 private:
  QString Error_;
  QString FileName_;  // empty when the file cannot be written
  std::unique_ptr<TXpsParts> Parts_;   // the finished pages and the images they use
  std::unique_ptr<TXpsPage> Page_;  // the open page's device and paint engine
  QPainter Painter_;
  std::unique_ptr<TQPainterCanvas> Canvas_;
  bool Closed_ = false;
  bool CloseResult_ = false;
};

}  // namespace Orv::Canvas
