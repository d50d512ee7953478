#include "ORV.FMX.ViewLibrary.h"

#include <QApplication>
#include <QDateTime>
#include <QDrag>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "ORV.Base.h"
#include "ORV.BinaryIO.h"
#include "ORV.Canvas.h"
#include "ORV.FMX.Types.h"
#include "ORV.Msg.h"
#include "ORV.Utils.h"
#include "TPLNSymbol.h"

namespace Orv::Fmx {

using Symbol::TPLNLibSymbol;
using Symbol::TPLNLibrary;

const QString TPLNBaseViewLib::kCurDrawing = QStringLiteral("CurDrawing");
const QString TPLNBaseViewLib::kMimeType = QStringLiteral("application/x-planora-symbol");

namespace {

// When a file last changed, so an unchanged library is not read again.
qint64 Stamp(const QString& file) {
  const QFileInfo info(file);
  return info.exists() ? info.lastModified().toMSecsSinceEpoch() ^ (info.size() << 20) : 0;
}

bool InCategory(const QString& symbolCategory, const QString& category) {
  if (category.isEmpty() || category == QLatin1String("*")) return true;
  if (symbolCategory.compare(category, Qt::CaseInsensitive) == 0) return true;
  return symbolCategory.startsWith(category + QLatin1Char('/'), Qt::CaseInsensitive);
}

}  // namespace

TPLNBaseViewLib::TPLNBaseViewLib(QWidget* parent)
    : QWidget(parent), fLibrary(std::make_unique<TPLNLibrary>()), fDraw(std::make_unique<TPLNDraw>()) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  fDraw->DrawState = TORVDrawState::Library;
  fBar = new QScrollBar(Qt::Vertical, this);
  fBar->setSingleStep(1);
  fBar->hide();
  connect(fBar, &QScrollBar::valueChanged, this, [this](int v) { ScrollTo(v); });
}

TPLNBaseViewLib::~TPLNBaseViewLib() = default;

void TPLNBaseViewLib::SetLabel(TPLNBaseLabel* doc) {
  if (doc == fDoc) return;
  fDoc = doc;
  // Symbols of the previous drawing must not stay listed as this one's.
  if (fLibraryName.compare(kCurDrawing, Qt::CaseInsensitive) == 0) {
    fLibrary = std::make_unique<TPLNLibrary>();
    fLibraryName.clear();
    fPreviews.clear();
    Refilter();
  }
}

QString TPLNBaseViewLib::GetCatList(const QString& file) const {
  TPLNLibrary lib;
  try {
    lib.LoadFromFile(file);
  } catch (const EPLNError&) {
    return {};
  }
  return lib.Categories().join(QLatin1Char('\n'));
}

QString TPLNBaseViewLib::LoadSymbols(const QString& file, const QString& category) {
  const bool own = file.compare(kCurDrawing, Qt::CaseInsensitive) == 0;
  if (own) {
    if (!fDoc) return TPLNMsg::GetErrorValue(QStringLiteral("NoSymbolDrawing"));
    auto lib = std::make_unique<TPLNLibrary>();
    lib->AssignLib(*fDoc);
    fLibrary = std::move(lib);
    fLibraryName = kCurDrawing;
    fLibraryStamp = 0;
    fPreviews.assign(fLibrary->Symbols.size(), QImage());
  } else {
    const QString path = QFileInfo(file).absoluteFilePath();
    const qint64 stamp = Stamp(path);
    if (path != fLibraryName || stamp != fLibraryStamp || stamp == 0) {
      // Read into a fresh library: a damaged file leaves the view as it was.
      auto lib = std::make_unique<TPLNLibrary>();
      try {
        lib->LoadFromFile(path);
      } catch (const EPLNError& e) {
        return e.Message();
      }
      fLibrary = std::move(lib);
      fLibraryName = path;
      fLibraryStamp = stamp;
      fPreviews.assign(fLibrary->Symbols.size(), QImage());
    }
  }
  fCategory = category.isEmpty() ? QStringLiteral("*") : category;
  Refilter();
  return {};
}

void TPLNBaseViewLib::SetCategory(const QString& category) {
  fCategory = category.isEmpty() ? QStringLiteral("*") : category;
  Refilter();
}

void TPLNBaseViewLib::SetSearchText(const QString& text) {
  fSearch = text.trimmed();
  Refilter();
}

void TPLNBaseViewLib::Refilter() {
  fShown.clear();
  for (std::size_t i = 0; i < fLibrary->Symbols.size(); ++i) {
    const TPLNLibSymbol& s = *fLibrary->Symbols[i];
    if (!InCategory(s.Category, fCategory)) continue;
    if (!fSearch.isEmpty() && !s.Name.contains(fSearch, Qt::CaseInsensitive)) continue;
    fShown.push_back(static_cast<int>(i));
  }
  fSelected = fHover = fLastHover = 0;
  Layout();
}

const TPLNLibSymbol* TPLNBaseViewLib::ShownSymbol(int k) const {
  if (k < 1 || k > SymbolCount()) return nullptr;
  return fLibrary->Symbols[std::size_t(fShown[std::size_t(k - 1)])].get();
}

void TPLNBaseViewLib::SetSelected(int k) {
  if (k < 0 || k > SymbolCount()) k = 0;
  if (k == fSelected) return;
  fSelected = k;
  update();
}

void TPLNBaseViewLib::SetGap(int gap) {
  fGap = std::max(0, gap);
  Layout();
}

void TPLNBaseViewLib::SetCellSize(int width, int height) {
  fCellW = std::max(12, width);
  fCellH = std::max(12, height);
  fPreviews.assign(fLibrary->Symbols.size(), QImage());
  Layout();
}

void TPLNBaseViewLib::SetShowNames(bool on) {
  if (on == fShowNames) return;
  fShowNames = on;
  fPreviews.assign(fLibrary->Symbols.size(), QImage());
  update();
}

QRect TPLNBaseViewLib::PreviewRect() const {
  // A caption line, but never more than half the cell.
  const int caption = fShowNames ? std::min(fontMetrics().height() + 2, fCellH / 2) : 0;
  return QRect(0, 0, fCellW, fCellH - caption);
}

void TPLNBaseViewLib::SetVisibleRows(int rows) {
  fVisibleRows = std::max(1, rows);
  Layout();
}

void TPLNBaseViewLib::Layout() {
  const int n = SymbolCount();
  const int w = width(), h = height();
  fCols = fRows = 0;
  if (n > 0 && w > 0 && h > 0) {
    const auto shape = [&](int avail) {
      fCols = std::clamp((avail - fGap) / (fCellW + fGap), 1, n);
      fRows = n / fCols + (n % fCols ? 1 : 0);
    };
    shape(w);
    // Too tall for the view: the scroll bar takes its width from the cells.
    if (h < fRows * (fCellH + fGap) + fGap) shape(w - fBar->sizeHint().width());
  }
  RecalcSizes();
  UpdateScrollBar();
}

void TPLNBaseViewLib::RecalcSizes() {
  fContentW = fContentH = 0;
  fFirstRow = 0;
  if (width() <= 0 || height() <= 0 || fCols <= 0) return;
  fContentW = fCols * fCellW + (fCols + 1) * fGap;
  if (fRows > fVisibleRows) fContentW += fBar->sizeHint().width();
  fOrgX = width() <= fContentW ? fGap : (width() - fContentW) / 2;
  fOrgY = fGap;
  fContentH = fRows * fCellH + (fRows + 1) * fGap;
}

bool TPLNBaseViewLib::GetVertScrollBarVisible() const { return fCols > 0 && height() < fContentH; }

void TPLNBaseViewLib::UpdateScrollBar() {
  fScrollOffset = 0;
  fFirstRow = 0;
  const QSignalBlocker block(fBar);
  if (!GetVertScrollBarVisible()) {
    fBar->hide();
    fBar->setPageStep(0);
    fBar->setValue(0);
  } else {
    const int bw = fBar->sizeHint().width();
    fBar->setGeometry(width() - bw, 0, bw, height());
    // Enough range that the last row can reach the top of the view.
    const int rowH = fCellH + fGap;
    const int visible = std::max(1, height() / rowH);
    fBar->setRange(0, std::max(0, fRows - visible + 1));
    fBar->setPageStep(visible);
    fBar->setValue(0);
    fBar->show();
  }
  update();
}

void TPLNBaseViewLib::ScrollTo(int row) {
  fFirstRow = std::max(0, row);
  fScrollOffset = fFirstRow * (fCellH + fGap);
  update();
}

QRect TPLNBaseViewLib::CellRect(int k) const {
  if (k < 1 || k > SymbolCount() || fCols <= 0) return {};
  const int r = (k - 1) / fCols, c = (k - 1) % fCols;
  return QRect(fOrgX + c * (fCellW + fGap), fOrgY + r * (fCellH + fGap) + DMY(), fCellW, fCellH);
}

int TPLNBaseViewLib::IndexAt(QPointF pos) const {
  if (fCols <= 0 || pos.x() < fOrgX) return 0;
  const double y = pos.y() + fScrollOffset;
  int row = fRows + 1;
  for (int r = 1; r <= fRows; ++r) {
    const int top = fGap + (r - 1) * (fCellH + fGap);
    if (top <= y && y < top + fCellH) {
      row = r;
      break;
    }
  }
  const int col = (qRound(pos.x()) - fOrgX) / (fCellW + fGap) + 1;
  if (row > fRows || col > fCols) return 0;
  const int index = (row - 1) * fCols + col;
  return index >= 1 && index <= SymbolCount() ? index : 0;
}

QImage TPLNBaseViewLib::Preview(int k) {
  const TPLNLibSymbol* s = ShownSymbol(k);
  if (!s) return {};
  const std::size_t li = std::size_t(fShown[std::size_t(k - 1)]);
  if (fPreviews.size() != fLibrary->Symbols.size()) fPreviews.assign(fLibrary->Symbols.size(), QImage());
  const qreal dpr = devicePixelRatioF();
  QImage& img = fPreviews[li];
  const QSize size = PreviewRect().size();
  if (img.isNull() || img.devicePixelRatio() != dpr || img.size() != (QSizeF(size) * dpr).toSize()) {
    img = QImage((QSizeF(size) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    DrawPreview(img, *s, dpr);
    img.setDevicePixelRatio(dpr);
    ++fPreviewsDrawn;
  }
  return img;
}

void TPLNBaseViewLib::DrawPreview(QImage& image, const TPLNLibSymbol& symbol, qreal dpr) {
  const TORVBounds b = symbol.Bounds();
  if (b.IsEmpty()) return;
  TPLNDraw& d = *fDraw;
  const int dpi = qRound(96 * dpr);
  d.SetResolution(dpi, dpi);
  d.SetStandardWidths();
  d.Zoom = 1;
  d.OriginX = d.OriginY = 0;
  d.IOriginX = d.IOriginY = 0;
  d.DrawState = TORVDrawState::Library;
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  Canvas::TQPainterCanvas canvas(&p);
  d.kC = &canvas;
  d.pC = &canvas;
  // Fitted into the cell less a 5-pixel margin all round, centred along the slack direction.
  const double cw = image.width(), ch = image.height(), m = 5 * dpr;
  const double ew = std::max<double>(1, double(b.X2 - b.X1)) * d.PixPerBaseX;
  const double eh = std::max<double>(1, double(b.Y2 - b.Y1)) * d.PixPerBaseY;
  const double sx = (cw - 2 * m) / ew, sy = (ch - 2 * m) / eh;
  double s, left, top;
  if (sx <= sy) {
    s = sx;
    left = m;
    top = (ch - eh * sx) / 2;
  } else {
    s = sy;
    top = m;
    left = (cw - ew * sy) / 2;
  }
  canvas.Save();
  canvas.Translate(float(left - double(b.X1) * d.PixPerBaseX * s), float(top - double(b.Y1) * d.PixPerBaseY * s));
  canvas.Scale(float(s), float(s));
  // The fitting scale goes to the commands too, so pens keep a readable thickness in a
  // thumbnail of a large symbol (unless the symbol scales its pens).
  TORVDrawConf conf = TORVDrawConf::FromLayer(nullptr);
  TPLNSymbol::DrawSymbol(&d, &symbol, float(s), conf);
  canvas.Restore();
  d.kC = nullptr;
  d.pC = nullptr;
}

void TPLNBaseViewLib::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.fillRect(rect(), QColor::fromRgba(BackColor));
  if (fCols <= 0 || fContentH <= 0) return;
  const QRect clip = event->rect();
  // Only the rows in view: a long library costs the thumbnails on screen, not all of them.
  const int rowH = fCellH + fGap;
  const int firstRow = std::max(0, (fScrollOffset - fOrgY) / rowH);
  const int lastRow = std::min(fRows - 1, (fScrollOffset + height()) / rowH);
  for (int r = firstRow; r <= lastRow; ++r)
    for (int c = 0; c < fCols; ++c) {
      const int k = r * fCols + c + 1;
      if (k > SymbolCount()) break;
      const QRect cell = CellRect(k);
      if (!cell.intersects(clip)) continue;
      p.setRenderHint(QPainter::Antialiasing, false);
      p.fillRect(cell, Qt::white);
      p.drawImage(cell.topLeft(), Preview(k));
      if (fShowNames) {
        const QRect preview = PreviewRect();
        const QRect caption(cell.left() + 3, cell.top() + preview.height(), cell.width() - 6, cell.height() - preview.height());
        p.setPen(QColor::fromRgba(NameColor));
        p.drawText(caption, Qt::AlignCenter, p.fontMetrics().elidedText(ShownSymbol(k)->Name, Qt::ElideRight, caption.width()));
      }
      if (k == fSelected) {
        p.setPen(QPen(QColor::fromRgba(SelColor), 2));
        p.drawRect(cell.adjusted(1, 1, -1, -1));
      } else {
        p.setPen(QPen(QColor::fromRgba(FrameColor), 1));
        p.drawRect(cell.adjusted(0, 0, -1, -1));
      }
    }
}

void TPLNBaseViewLib::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Layout();
}

void TPLNBaseViewLib::Hover(int index) {
  if (index == 0) {
    if (fHover != 0 || fLastHover != 0) {
      fHover = fLastHover = 0;
      emit ChangePos(QString(), QString(), QString());
    }
    return;
  }
  fHover = index;
  if (index == fLastHover) return;
  fLastHover = index;
  const TPLNLibSymbol* s = ShownSymbol(index);
  setToolTip(fShowHints ? s->Name : QString());
  emit ChangePos(s->Name, s->Guid, Utils::UnitName(s->Units));
}

void TPLNBaseViewLib::mouseMoveEvent(QMouseEvent* event) {
  const QPointF pos = event->position();
  if ((event->buttons() & Qt::LeftButton) && fPressIndex > 0 &&
      (pos - fPressAt).manhattanLength() >= QApplication::startDragDistance()) {
    const int k = fPressIndex;
    const TPLNLibSymbol* s = ShownSymbol(k);
    fPressIndex = 0;
    if (s) {
      auto* drag = new QDrag(this);
      drag->setMimeData(SymbolMime(s->Guid, fLibraryName));
      const QImage thumb = Preview(k);
      drag->setPixmap(QPixmap::fromImage(thumb.scaled(thumb.size() / 2, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
      drag->exec(Qt::CopyAction);
    }
    return;
  }
  Hover(IndexAt(pos));
}

void TPLNBaseViewLib::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int k = IndexAt(event->position());
  fPressAt = event->position();
  fPressIndex = k;
  if (k == 0) return;
  fSelected = k;
  update();
  emit SymbolClicked(k);
}

void TPLNBaseViewLib::mouseReleaseEvent(QMouseEvent*) { fPressIndex = 0; }

void TPLNBaseViewLib::leaveEvent(QEvent*) { Hover(0); }

void TPLNBaseViewLib::wheelEvent(QWheelEvent* event) {
  if (!fBar->isVisible()) return;
  const int steps = event->angleDelta().y() / 120;
  fBar->setValue(fBar->value() - steps);
}

QMimeData* TPLNBaseViewLib::SymbolMime(const QString& guid, const QString& libraryFile) {
  auto* mime = new QMimeData;
  QJsonObject o;
  o[QStringLiteral("guid")] = guid;
  o[QStringLiteral("library")] = libraryFile;
  mime->setData(kMimeType, QJsonDocument(o).toJson(QJsonDocument::Compact));
  mime->setText(guid);
  return mime;
}

bool TPLNBaseViewLib::ReadSymbolMime(const QMimeData* mime, QString& guid, QString& libraryFile) {
  if (!mime || !mime->hasFormat(kMimeType)) return false;
  const QJsonDocument doc = QJsonDocument::fromJson(mime->data(kMimeType));
  if (!doc.isObject()) return false;
  const QString g = Symbol::NormalizeGuid(doc.object().value(QStringLiteral("guid")).toString());
  if (g.isEmpty()) return false;
  guid = g;
  libraryFile = doc.object().value(QStringLiteral("library")).toString();
  return true;
}

}  // namespace Orv::Fmx
