#include "ORV.FMX.Preview.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cmath>

#include "ORV.Canvas.h"
#include "ORV.FMX.Types.h"
#include "ORV.FMX.h"

namespace Orv::Fmx {

using Canvas::ISkCanvas;
using Canvas::TSkPaint;

namespace {

// Labels the pages before `page` hold (page 1 loses the cells before the first row and column).
std::int64_t LabelsBefore(const TPlanoraFMX& doc, int page) {
  if (page <= 1) return 0;
  return doc.LabelsPerPage(1) + std::int64_t(page - 2) * doc.LabelsPerPage(2);
}

}  // namespace

int PreviewPageCount(const TPlanoraFMX& doc) {
  int pages = doc.GetDataSource() ? doc.GetDataPages() : std::max(1, doc.PrintInfo.LastPage);
  // Copies asked for the run are its labels, on as many pages as they need (as the print does).
  const int copies = doc.AskedCopies();
  if (copies > 0 && !doc.GetDataSource()) pages = INT_MAX;
  const int labels = copies > 0 ? copies : doc.PrintInfo.LabelsToPrint;
  if (labels > 0) {
    // The run ends with its last label: the page that label falls on is the last one.
    const int first = doc.LabelsPerPage(1);
    const int rest = std::max(1, doc.LabelsPerPage(2));
    const int needed = labels <= first ? 1 : 1 + (labels - first + rest - 1) / rest;
    pages = std::min(pages, needed);
  }
  return std::max(1, pages);
}

TPLNBasePreview::TPLNBasePreview(QWidget* parent) : QWidget(parent), fDraw(std::make_unique<TPLNDraw>()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  // The page is drawn at the screen's logical resolution; the painter adds the device ratio.
  fDPI = 96;
  fDraw->ResetMatrix(TORVDrawState::Preview);
  fDraw->SetResolution(fDPI, fDPI, 1);
  fDraw->Zoom = 1.0f;
  fDraw->SetStandardWidths();
  AddCtrls();
}

TPLNBasePreview::~TPLNBasePreview() {
  if (fDoc) fDoc->RemoveObserver(this);
}

void TPLNBasePreview::AddCtrls() {
  const QObjectList children = this->children();
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    if ((*it)->isWidgetType()) delete *it;
  fHorz = new QScrollBar(Qt::Horizontal, this);
  fVert = new QScrollBar(Qt::Vertical, this);
  for (QScrollBar* bar : {fHorz, fVert}) {
    bar->hide();
    bar->setSingleStep(1);
  }
  connect(fHorz, &QScrollBar::valueChanged, this, [this](int v) { UpdateHorzScroll(v); });
  connect(fVert, &QScrollBar::valueChanged, this, [this](int v) { UpdateVertScroll(v); });
  fThickness = fVert->sizeHint().width();
}

void TPLNBasePreview::SetLabel(TPlanoraFMX* doc) {
  if (doc == fDoc) return;
  if (fDoc) fDoc->RemoveObserver(this);
  fDoc = doc;
  fHasDocument = doc != nullptr;
  if (fDoc) fDoc->AddObserver(this);
  AdjustSizes();
  UpdateScrollBars();
}

void TPLNBasePreview::HostRemoved() {
  fDoc = nullptr;
  fHasDocument = false;
  update();
}

void TPLNBasePreview::SetViewType(TORVViewType type) {
  if (type == fViewType) return;
  fViewType = type;
  AdjustSizes();
  UpdateScrollBars();
}

void TPLNBasePreview::SetContentWidth(int w) {
  if (w == fContentW) return;
  fContentW = w;
  UpdateScrollBars();
}

void TPLNBasePreview::SetContentHeight(int h) {
  if (h == fContentH) return;
  fContentH = h;
  UpdateScrollBars();
}

void TPLNBasePreview::UpdateCtrl(TORChange change, TORChangeValue) {
  switch (change) {
    case TORChange::Measure:
      AdjustSizes();
      UpdateScrollBars();
      break;
    case TORChange::Document:
    case TORChange::Items:
    case TORChange::Layers:
      UpdatePreview();
      break;
    default:
      break;
  }
}

void TPLNBasePreview::UpdatePreview() {
  AdjustSizes();
  UpdateScrollBars();
}

void TPLNBasePreview::AdjustSizes() {
  const int cw = width(), ch = height();
  if (cw <= 0 || ch <= 0) return;
  fLaidOut = size();
  fDrawingAllowed = false;
  const int W = cw - 2 * fGap - fThickness;
  const int H = ch - 2 * fGap - fThickness;
  double pw = 0, ph = 0;
  if (fDoc) {
    const TPLNMeasure& m = fDoc->Measure();
    pw = m.GetSize(TPLNMeasure::PaperWidth) * double(fDPI) / 25400.0;
    ph = m.GetSize(TPLNMeasure::PaperHeight) * double(fDPI) / 25400.0;
  }
  if (pw <= 0 || ph <= 0 || W <= 0 || H <= 0) {
    // No paper to show, or no room for it.
    fPaperW = fPaperH = 0;
    fContentW = cw;
    fContentH = ch;
    fOffsetX = cw / 2;
    fOffsetY = ch / 2;
    fZoom = 1.0;
    fDrawingAllowed = true;
    return;
  }
  if (fViewType == TORVViewType::FullPage) {
    fPaperH = static_cast<int>(std::lround(W / pw * ph));
    if (fPaperH > H) {
      fPaperH = H;
      fPaperW = static_cast<int>(std::lround(H / ph * pw));
    } else {
      fPaperW = W;
    }
    fContentW = cw;
    fContentH = ch;
    fOffsetX = (cw - fPaperW) / 2;
    fOffsetY = (ch - fPaperH) / 2;
  } else {
    fPaperH = static_cast<int>(std::lround(W / pw * ph));
    fPaperW = W;
    fContentW = cw;
    fContentH = fPaperH + 2 * fGap;
    fOffsetX = (cw - fPaperW) / 2;
    fOffsetY = fContentH < ch ? (ch - fPaperH) / 2 : fGap;
  }
  fPaperW = std::max(1, fPaperW);
  fPaperH = std::max(1, fPaperH);
  fZoom = fPaperW / pw;
  fDrawingAllowed = true;
}

void TPLNBasePreview::UpdateScrollBars(bool repaint) {
  const bool horz = GetHorzScrollBarVisible(), vert = GetVertScrollBarVisible();
  // Qt's bars run 0 .. content − viewport, one viewport a page.
  auto set = [](QScrollBar* bar, bool needed, int content, int viewport, int& pos) {
    if (!needed) {
      pos = 0;
      const QSignalBlocker block(bar);
      bar->setValue(0);
      bar->hide();
      return;
    }
    const QSignalBlocker block(bar);
    bar->setRange(0, std::max(0, content - viewport));
    bar->setPageStep(std::max(1, viewport));
    bar->setSingleStep(std::max(1, viewport / 10));
    pos = bar->value();
    bar->show();
  };
  set(fHorz, horz, fContentW, width() - (vert ? fThickness : 0), fScrollX);
  set(fVert, vert, fContentH, height() - (horz ? fThickness : 0), fScrollY);
  PlaceScrollBars();
  if (repaint) update();
}

void TPLNBasePreview::PlaceScrollBars() {
  const bool horz = fHorz->isVisibleTo(this), vert = fVert->isVisibleTo(this);
  const int th = fThickness, hh = fHorz->sizeHint().height();
  if (horz) fHorz->setGeometry(0, height() - hh, width() - (vert ? th : 0), hh);
  if (vert) fVert->setGeometry(width() - th, 0, th, height() - (horz ? hh : 0));
}

void TPLNBasePreview::UpdateHorzScroll(int value) {
  fScrollX = value;
  if (fScrollX == fLastScrollX) return;
  update();
}

void TPLNBasePreview::UpdateVertScroll(int value) {
  fScrollY = value;
  if (fScrollY == fLastScrollY) return;
  update();
}

bool TPLNBasePreview::GetHorzScrollBarVisible() const { return width() < fContentW; }
bool TPLNBasePreview::GetVertScrollBarVisible() const { return height() < fContentH; }

int TPLNBasePreview::DMX() const {
  // A shown vertical bar takes room on the right: the paper stays centred in what is left.
  return fOffsetX - fScrollX - (GetVertScrollBarVisible() ? fThickness / 2 : 0);
}

int TPLNBasePreview::DMY() const {
  return fOffsetY - fScrollY - (GetHorzScrollBarVisible() ? fHorz->sizeHint().height() / 2 : 0);
}

double TPLNBasePreview::FX() const {
  const double k = fDPI * fZoom;
  const TORVUnits u = fDoc ? fDoc->GetUnits() : TORVUnits::mm;
  if (u == TORVUnits::inch) return k;
  if (u == TORVUnits::cm) return k / 2.54;
  return k / 25.4;
}

double TPLNBasePreview::FY() const { return FX(); }

void TPLNBasePreview::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (width() > 0 && height() > 0) {
    AdjustSizes();
    UpdateScrollBars();
  }
}

void TPLNBasePreview::wheelEvent(QWheelEvent* event) {
  if (!fVert->isVisible()) return QWidget::wheelEvent(event);
  const int steps = event->angleDelta().y() / 120;
  fVert->setValue(fVert->value() - steps * fVert->singleStep());
  event->accept();
}

void TPLNBasePreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  Canvas::TQPainterCanvas canvas(&painter);
  if (!Draw(canvas)) {
    // Nothing of a document to show: the widget's own background, not stale pixels.
    painter.fillRect(rect(), palette().window());
  }
}

bool TPLNBasePreview::Draw(ISkCanvas& canvas) {
  fCells.clear();
  // A widget resized while hidden hears of it only when shown: lay out for the size it has.
  if (fDrawingAllowed && size() != fLaidOut && width() > 0 && height() > 0) {
    AdjustSizes();
    UpdateScrollBars(false);
  }
  if (!fDrawingAllowed || !fHasDocument || !fDoc || fContentW <= 0 || fContentH <= 0 || width() <= 0 ||
      height() <= 0 || fPaperW <= 0 || fPaperH <= 0)
    return false;
  fDrawingAllowed = false;
  struct TAllow {
    bool& flag;
    ~TAllow() { flag = true; }
  } allow{fDrawingAllowed};
  fLastScrollX = fScrollX;
  fLastScrollY = fScrollY;

  TPlanoraFMX& doc = *fDoc;
  const TPLNMeasure& m = doc.Measure();
  TPLNDraw& d = *fDraw;
  d.ResetMatrix(TORVDrawState::Preview);

  TSkPaint back;
  back.Color = BackColor;
  canvas.DrawRect(QRectF(0, 0, width(), height()), back);
  const int dmx = DMX(), dmy = DMY();
  TSkPaint paper;
  paper.AntiAlias = true;
  paper.Color = PaperColor;
  canvas.DrawRect(QRectF(dmx, dmy, fPaperW, fPaperH), paper);

  canvas.Save();
  // Labels never draw outside the paper.
  canvas.ClipRect(QRectF(dmx, dmy, fPaperW, fPaperH));
  canvas.Translate(static_cast<float>(dmx), static_cast<float>(dmy));
  canvas.Scale(static_cast<float>(fZoom), static_cast<float>(fZoom));
  d.kC = &canvas;
  d.pC = dynamic_cast<Canvas::IPrintCanvas*>(&canvas);
  d.OwnPaint = TSkPaint{};
  d.kP = &d.OwnPaint;
  // The pen an export starts from, so the preview shows what a bitmap will.
  d.kP->AntiAlias = true;
  d.kP->StrokeCap = Canvas::TSkStrokeCap::Round;
  d.kP->StrokeJoin = Canvas::TSkStrokeJoin::Round;
  d.SetResolution(fDPI, fDPI, std::max<std::int64_t>(1, m.DrawScale));
  d.PixPerUnitX = static_cast<float>(FX());
  d.PixPerUnitY = static_cast<float>(FY());
  d.Zoom = static_cast<float>(fZoom);
  d.PageWidth = static_cast<float>(m.GetSize(TPLNMeasure::PaperWidth) * double(fDPI) / 25400.0);
  d.PageHeight = static_cast<float>(m.GetSize(TPLNMeasure::PaperHeight) * double(fDPI) / 25400.0);
  d.SetStandardWidths();

  const TPLNPrintInfo& pi = doc.PrintInfo;
  const int page = std::max(1, pi.CurrentPage);
  const bool first = page == 1;
  int row = first ? std::clamp(pi.FirstRow, 1, std::max(1, m.Rows)) : 1;
  int column = first ? std::clamp(pi.FirstColumn, 1, std::max(1, m.Columns)) : 1;
  // Labels are numbered over the whole run, as the print counts them.
  std::int64_t label = LabelsBefore(doc, page) + 1;
  const std::int64_t labels = pi.LabelsToPrint > 0 ? pi.LabelsToPrint : LLONG_MAX;
  // With data, each cell shows its own record and the sheet ends with the data.
  const bool data = doc.GetDataSource() != nullptr;
  const int records = data ? doc.GetRecordCount() : -1;
  int record = data ? doc.FirstRecordOfPage(page) : -1;
  const TPLNLayer* backLayer = doc.GetLayer(doc.GetBackLayer());
  const bool backImage = backLayer && backLayer->HasOption(Opt::PrintBackground);
  // The stock the labels are printed on, as it will look, whether or not the print adds it.
  const bool stock = doc.HasOption(doShowBackSurf);
  const int items = doc.GetItemsCount();
  auto more = [&] { return label <= labels && (!data || record < records); };
  for (; row <= m.Rows && more(); ++row, column = 1) {
    for (; column <= m.Columns && more(); ++column, ++label) {
      d.Row = static_cast<std::int16_t>(row);
      d.Col = static_cast<std::int16_t>(column);
      d.Page = page;
      // Without data the record is the label's number in the run, which counters show.
      d.Record = data ? record : static_cast<int>(label - 1);
      d.OriginX = static_cast<float>(m.CellX(column) * double(fDPI) / 25400.0);
      d.OriginY = static_cast<float>(m.CellY(row) * double(fDPI) / 25400.0);
      d.IOriginX = static_cast<std::int32_t>(std::lround(d.OriginX));
      d.IOriginY = static_cast<std::int32_t>(std::lround(d.OriginY));
      fCells.emplace_back(column, row);
      if (stock) doc.DrawBackSurf(&canvas, d);
      if (backImage) doc.DrawBackImage(&canvas, d);
      for (int i = 1; i <= items; ++i) {
        TPLNBaseItem* item = doc.GetItem(i);
        // The originals are drawn in every cell with the cell's record, as they print; the
        // per-label copies only stand in for them on the sheet.
        if (item->IsPreview() || !item->HasOptions(Opt::Print)) continue;
        item->DrawElement(&d);
      }
      if (data) record = doc.NextRecord(record);
    }
  }
  canvas.Restore();
  d.kC = nullptr;
  d.pC = nullptr;
  return true;
}

}  // namespace Orv::Fmx
