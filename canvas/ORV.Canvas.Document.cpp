#include "ORV.Canvas.Document.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace Orv::Canvas {

TPdfDocument::TPdfDocument(const QString& fileName) : File_(fileName) {
  if (!File_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    Error_ = File_.errorString();
    return;
  }
  Writer_ = std::make_unique<QPdfWriter>(&File_);
  Writer_->setCreator(QStringLiteral("Planora"));
}

TPdfDocument::~TPdfDocument() {
  if (!Closed_ && Writer_) Close();
}

bool TPdfDocument::IsOpen() const { return Writer_ != nullptr && !Closed_; }

void TPdfDocument::SetTitle(const QString& title) {
  if (Writer_ && !Started_) Writer_->setTitle(title);
}

ISkCanvas* TPdfDocument::BeginPage(float widthPx, float heightPx, float dpi) {
  if (!IsOpen()) return nullptr;
  if (PageOpen_) EndPage();
  if (!(widthPx > 0 && heightPx > 0 && dpi > 0)) {
    Error_ = QStringLiteral("Invalid page size");
    return nullptr;
  }
  // PDF stores page boxes in whole points; choose the nearest one here rather than let the
  // writer truncate, so a label-sized page is within half a point of the label.
  const QSize points(std::max(1, int(std::lround(widthPx * 72.0 / dpi))),
                     std::max(1, int(std::lround(heightPx * 72.0 / dpi))));
  const QPageLayout layout(QPageSize(points, QString(), QPageSize::ExactMatch),
                           QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point);
  if (!Started_) {
    Resolution_ = std::max(1, int(std::lround(dpi)));
    Writer_->setResolution(Resolution_);
    Writer_->setPageLayout(layout);
    if (!Painter_.begin(Writer_.get())) {
      Error_ = File_.errorString().isEmpty() ? QStringLiteral("Could not start the PDF document")
                                             : File_.errorString();
      return nullptr;
    }
    Started_ = true;
  } else {
    // The new layout applies from the next page on.
    Writer_->setPageLayout(layout);
    if (!Writer_->newPage()) {
      Error_ = QStringLiteral("Could not start a new PDF page");
      return nullptr;
    }
  }
  Painter_.save();
  Painter_.resetTransform();
  // The writer's resolution is a whole number fixed by the first page; scale the rest.
  if (double(Resolution_) != double(dpi)) Painter_.scale(Resolution_ / double(dpi), Resolution_ / double(dpi));
  Canvas_ = std::make_unique<TQPainterCanvas>(&Painter_);
  PageOpen_ = true;
  return Canvas_.get();
}

void TPdfDocument::EndPage() {
  if (!PageOpen_) return;
  Canvas_.reset();
  Painter_.restore();
  PageOpen_ = false;
}

bool TPdfDocument::Close() {
  if (Closed_) return CloseResult_;
  if (!Writer_) return false;
  EndPage();
  bool ok = true;
  if (Started_) {
    ok = Painter_.end();
    if (!ok) Error_ = QStringLiteral("Could not finish the PDF document");
  } else {
    ok = false;
    Error_ = QStringLiteral("The document has no pages");
  }
  Writer_.reset();
  if (!File_.flush() || File_.error() != QFileDevice::NoError) {
    ok = false;
    Error_ = File_.errorString();
  }
  File_.close();
  Closed_ = true;
  CloseResult_ = ok;
  return ok;
}

}  // namespace Orv::Canvas
