#include "ORV.Canvas.Document.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace Orv::Canvas {

namespace {

// The whole points the writer is given for a size: rounded up, so the exact box fits inside.
int WholePoints(double points) { return std::max(1, int(std::ceil(points - 1e-6))); }

// The writer gives every page the box "/MediaBox [0 0 W H]" with W and H whole points, written
// with six decimals, and draws with the origin at the top-left corner (y = H). Each box is
// rewritten in place to the exact size, its top still at H: [0 H-h w H]. The new text is never
// longer than the old one and is padded with spaces, so no object moves and the cross-reference
// table stays right. Boxes that are not what the writer was asked for (pages of over 5 m,
// which it writes in larger user units) keep their whole points. False on a read or write error.
bool FixPageBoxes(QFile& file, const std::vector<QSizeF>& pages) {
  if (!file.seek(0)) return false;
  const QByteArray pdf = file.readAll();
  static const QByteArray kKey("/MediaBox [0 0 ");
  std::vector<std::pair<qsizetype, QByteArray>> patches;
  qsizetype at = 0;
  for (const QSizeF& page : pages) {
    at = pdf.indexOf(kKey, at);
    if (at < 0) return true;
    const qsizetype start = at + kKey.size(), end = pdf.indexOf(']', start);
    if (end < 0) return true;
    const QList<QByteArray> wh = pdf.mid(start, end - start).split(' ');
    bool okW = false, okH = false;
    const double w = wh.size() == 2 ? wh[0].toDouble(&okW) : 0, h = wh.size() == 2 ? wh[1].toDouble(&okH) : 0;
    if (!okW || !okH || w != WholePoints(page.width()) || h != WholePoints(page.height())) return true;
    const qsizetype from = at + QByteArrayLiteral("/MediaBox [").size();
    QByteArray box = "0 " + QByteArray::number(h - page.height(), 'f', 4) + ' ' +
                     QByteArray::number(page.width(), 'f', 4) + ' ' + QByteArray::number(h, 'f', 0);
    if (box.size() > end - from) return true;
    box.append(QByteArray(end - from - box.size(), ' '));
    patches.emplace_back(from, box);
    at = end;
  }
  for (const auto& [pos, text] : patches)
    if (!file.seek(pos) || file.write(text) != text.size()) return false;
  return file.flush();
}

}  // namespace

TPdfDocument::TPdfDocument(const QString& fileName) : File_(fileName) {
  // Read and write: Close sets the exact page boxes in the written file.
  if (!File_.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
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
  // The writer stores page boxes in whole points, which puts a label-sized page up to 0.18 mm
  // off. It gets the size rounded up, and Close sets the exact box (FixPageBoxes).
  const QSizeF exact(widthPx * 72.0 / dpi, heightPx * 72.0 / dpi);
  const QSize points(WholePoints(exact.width()), WholePoints(exact.height()));
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
  PageSizes_.push_back(exact);
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
  if (ok && !FixPageBoxes(File_, PageSizes_)) {
    ok = false;
    Error_ = File_.error() != QFileDevice::NoError ? File_.errorString()
                                                   : QStringLiteral("Could not set the page sizes");
  }
  File_.close();
  Closed_ = true;
  CloseResult_ = ok;
  return ok;
}

}  // namespace Orv::Canvas
