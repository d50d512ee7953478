// PDF export: one canvas per page, pages sized from a pixel size and a resolution.
#pragma once

#include "ORV.Canvas.h"

#include <QFile>
#include <QPainter>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

class QPdfWriter;

namespace Orv::Canvas {

// Writes straight to the given file; callers that must not lose an older file write to a
// temporary name and rename it after Close succeeds.
class TPdfDocument {
 public:
  explicit TPdfDocument(const QString& fileName);
  ~TPdfDocument();  // closes the document if Close was not called
  TPdfDocument(const TPdfDocument&) = delete;
  TPdfDocument& operator=(const TPdfDocument&) = delete;

  bool IsOpen() const;  // the file could be created and the document is not closed yet
  QString ErrorString() const { return Error_; }
  void SetTitle(const QString& title);  // before the first page

  // Starts a page of widthPx x heightPx pixels at `dpi` (ends an open page first). The page
  // has exactly that size (to 1/10000 point), however far from whole points. The canvas
  // draws in pixels at `dpi` with the origin at the top-left corner and stays valid until
  // EndPage, the next BeginPage or Close. Null when the document is not open or the size is
  // not positive.
  ISkCanvas* BeginPage(float widthPx, float heightPx, float dpi);
  // The current page's canvas, with the print operations too; null between pages.
  TQPainterCanvas* Canvas() const { return Canvas_.get(); }
  void EndPage();
  // Ends the open page and finishes the file. False when nothing could be written, when no
  // page was begun, or on a write error (see ErrorString).
  bool Close();

 private:
  QFile File_;
  std::unique_ptr<QPdfWriter> Writer_;
  QPainter Painter_;
  std::unique_ptr<TQPainterCanvas> Canvas_;
  std::vector<QSizeF> PageSizes_;  // each page's exact size in points
  QString Error_;
  int Resolution_ = 0;  // the writer's whole-dpi resolution, fixed by the first page
  bool Started_ = false;
  bool PageOpen_ = false;
  bool Closed_ = false;
  bool CloseResult_ = false;
};

}  // namespace Orv::Canvas
