#include "ORV.FMX.Editor.Surface.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QThread>
#include <QWheelEvent>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "ORV.FMX.Editor.h"
#include "ORV.FMX.h"
#include "ORV.Flow.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {

// Paper-to-pixel factor of a unit: inches per unit, so pixels = value * DPI / k.
double UnitK(TORVUnits u) { return 25400.0 / Utils::UnitFactor(u); }

int RoundInt(double v) {
  return static_cast<int>(std::clamp<std::int64_t>(Utils::RoundHalfAway(v), INT32_MIN, INT32_MAX));
}

std::int64_t ToBase(double v) { return static_cast<std::int64_t>(std::clamp(v, -4e18, 4e18)); }

// Forwards to a canvas whose matrix carries no zoom: geometry, pen widths, dashes and font sizes
// are multiplied here instead. Qt strokes curves under a scaled matrix several times slower
// than the same curves drawn at their device size. The zoom is uniform, so it commutes with the
// items' own rotations and scales; only their translations need it.
class TZoomCanvas final : public ISkCanvas {
 public:
  TZoomCanvas(ISkCanvas& target, float zoom) : T(target), Z(zoom) {}

  void Save() override { T.Save(); }
  void Restore() override { T.Restore(); }
  void Translate(float dx, float dy) override { T.Translate(dx * Z, dy * Z); }
  void Scale(float sx, float sy) override { T.Scale(sx, sy); }
  void Rotate(float degrees) override { T.Rotate(degrees); }
  void Concat(const QTransform& m) override {
    T.Concat(QTransform(m.m11(), m.m12(), m.m13(), m.m21(), m.m22(), m.m23(), m.m31() * Z, m.m32() * Z, m.m33()));
  }
  QTransform GetTotalMatrix() const override { return QTransform::fromScale(Z, Z) * T.GetTotalMatrix(); }
  void ClipRect(const QRectF& r) override { T.ClipRect(R(r)); }
  void ClipPath(const TSkPath& path, bool antiAlias) override { T.ClipPath(P(path), antiAlias); }
  void Clear(TAlphaColor c) override { T.Clear(c); }
  void DrawLine(float x0, float y0, float x1, float y1, const TSkPaint& p) override {
    T.DrawLine(x0 * Z, y0 * Z, x1 * Z, y1 * Z, Paint(p));
  }
  void DrawRect(const QRectF& r, const TSkPaint& p) override { T.DrawRect(R(r), Paint(p)); }
  void DrawRoundRect(const QRectF& r, float rx, float ry, const TSkPaint& p) override {
    T.DrawRoundRect(R(r), rx * Z, ry * Z, Paint(p));
  }
  void DrawOval(const QRectF& r, const TSkPaint& p) override { T.DrawOval(R(r), Paint(p)); }
  void DrawArc(const QRectF& oval, float start, float sweep, bool useCenter, const TSkPaint& p) override {
    T.DrawArc(R(oval), start, sweep, useCenter, Paint(p));
  }
  void DrawPath(const TSkPath& path, const TSkPaint& p) override { T.DrawPath(P(path), Paint(p)); }
  ISkCanvas& Unscaled(float& scale) override {
    ISkCanvas& under = T.Unscaled(scale);
    scale *= Z;
    return under;
  }
  void DrawPoints(const std::vector<QPointF>& points, const TSkPaint& p) override {
    std::vector<QPointF> scaled(points);
    for (QPointF& q : scaled) q *= Z;
    T.DrawPoints(scaled, Paint(p));
  }
  void DrawImageRect(const QImage& image, const QRectF& src, const QRectF& dst, const TSkPaint& p) override {
    T.DrawImageRect(image, src, R(dst), p);
  }
  void DrawSimpleText(const QString& text, float x, float y, const TSkFont& font, const TSkPaint& p) override {
    TSkFont f = font;
    f.Size *= Z;
    T.DrawSimpleText(text, x * Z, y * Z, f, TextPaint(p));
  }
  void DrawShapedText(const QString& text, float x, float y, const TSkFont& font, const TSkPaint& p) override {
    TSkFont f = font;
    f.Size *= Z;
    T.DrawShapedText(text, x * Z, y * Z, f, TextPaint(p));
  }

 private:
  QRectF R(const QRectF& r) const { return {r.x() * Z, r.y() * Z, r.width() * Z, r.height() * Z}; }
  TSkPath P(const TSkPath& path) const { return TSkPath(QTransform::fromScale(Z, Z).map(path.Path)); }
  // Glyphs filled with a stroke of a pixel or less keep that pixel: scaled with the zoom it would
  // make every text on the surface heavier than on paper and in exports.
  const TSkPaint& TextPaint(const TSkPaint& p) {
    if (p.PathEffect && p.PathEffect->IsStrokeAndFill() && p.StrokeWidth <= 1) return p;
    return Paint(p);
  }
  const TSkPaint& Paint(const TSkPaint& p) {
    Scaled = p;
    Scaled.StrokeWidth = p.StrokeWidth * Z;  // a hairline (0) stays one device pixel
    if (p.PathEffect && p.PathEffect->IsDash()) {
      // Items keep one dash effect on the shared paint: scale it once per effect.
      if (p.PathEffect != DashSource) {
        std::vector<float> intervals = p.PathEffect->Intervals();
        for (float& v : intervals) v *= Z;
        DashSource = p.PathEffect;
        DashScaled = TSkPathEffect::MakeDash(std::move(intervals), p.PathEffect->Phase() * Z);
      }
      Scaled.PathEffect = DashScaled;
    }
    return Scaled;
  }

  ISkCanvas& T;
  float Z;
  TSkPaint Scaled;
  PathEffectPtr DashSource, DashScaled;
};

// How far an item may draw beyond GetBounds, by kind. Shapes and texts stay inside their
// bounds; terminators reach out by their size; captions, dimensions and kinds not listed here
// get the export's generous reach.
enum class TReach { Tight, Terminators, Wide };

TReach ReachOf(const TPLNBaseItem& item) {
  if (item.GetIsData()) return TReach::Wide;  // a data value may outgrow its box
  switch (item.KindCode()) {
    case Kind::Point:
    case Kind::Line:
    case Kind::Rectangle:
    case Kind::Polygon:
    case Kind::Circle:
    case Kind::Ellipse:
    case Kind::Text:
    case Kind::Paragraph:
    case Kind::Sector:
      return TReach::Tight;
    case Kind::PolyLine:
    case Kind::Arc:
    case Kind::Bezier:
      return TReach::Terminators;
    default:
      return TReach::Wide;
  }
}

// Reach on paper in base units: line ends and captions are sized on paper, whatever the scale.
constexpr double kWideReach = 25000;

double TerminatorReach(const TPLNBaseItem& item) {
  const auto* t = dynamic_cast<const TORVTerminators*>(&item);
  if (!t || (t->FromType == 0 && t->ToType == 0)) return 0;
  return std::max(t->SizeFrom, t->SizeTo) * 1000.0;
}

// Items whose bounds meet `area`, in drawing order, from the document's index.
void ItemsInArea(const TPLNBaseLabel& doc, const TORVBounds& area, std::vector<int>& out) { doc.ItemsIn(area, out); }

// Below this many items one thread draws the page: a second half costs an image fill and a copy.
constexpr int kBandItems = 3000;

}  // namespace

// Everything the drawing of the page depends on besides the document, whose changes bump the
// generation.
struct TPLNBackEditor::TPageKey {
  std::uint64_t Generation;
  QSize Size;
  qreal Dpr;
  double Zoom, TX, TY;
  std::int64_t PageW, PageH, Scale;
  TAlphaColor Margin, Page, GridStep, GridUnits, LinkPoint;
  std::int64_t IncX, IncY;
  TORVGridDraw Grid;
  std::uint16_t Options;
  bool Focused;
  bool operator==(const TPageKey&) const = default;
};

struct TPLNBackEditor::TView {
  double Zoom, TX, TY;
  double PixPerBase;  // device pixels per base unit of the document, zoom included
};

TPLNBackEditor::TView TPLNBackEditor::View() const {
  const double zoom = fEditor->ZoomFactor();
  return {zoom, TranslateX(), TranslateY(), zoom * fDPIX / (double(Scale()) * 25400.0)};
}

TPLNBackEditor::TPLNBackEditor(TPLNBaseEditor* editor) : QWidget(editor), fEditor(editor) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  fPool.setMaxThreadCount(1);
  fPool.setExpiryTimeout(-1);
  fSettle.setSingleShot(true);
  fSettle.setInterval(250);
  connect(&fSettle, &QTimer::timeout, this, &TPLNBackEditor::DrawEditor);
  GetDPIs();
}

TPLNBackEditor::~TPLNBackEditor() { fPool.waitForDone(); }

std::int64_t TPLNBackEditor::Scale() const { return fEditor->DrawScale(); }

void TPLNBackEditor::GetDPIs() {
  // Document pixels are 96 dpi on every screen; the platform scales them for the display.
  fDPIX = fDPIY = 96;
  TPLNFactory::SetDPI(fDPIX, fDPIY);
}

void TPLNBackEditor::SetPageSize(std::int32_t width, std::int32_t height, std::int64_t baseWidth,
                                 std::int64_t baseHeight) {
  fPageW = width;
  fPageH = height;
  fPageBaseW = baseWidth;
  fPageBaseH = baseHeight;
}

void TPLNBackEditor::UpdatePageSize() {
  std::int64_t w = 200000, h = 200000;
  if (const TPlanoraFMX* host = fEditor->GetLabel()) {
    const TPLNMeasure& m = host->Measure();
    if (m.GetSize(TPLNMeasure::LabelWidth) > 0) w = m.GetSize(TPLNMeasure::LabelWidth);
    if (m.GetSize(TPLNMeasure::LabelHeight) > 0) h = m.GetSize(TPLNMeasure::LabelHeight);
  }
  SetPageSize(RoundInt(w * fDPIX / 25400.0), RoundInt(h * fDPIY / 25400.0), w, h);
}

// ---------------------------------------------------------------- conversions

std::int64_t TPLNBackEditor::BaseMM(double v) const { return Utils::SetValue(v, fEditor->Units()); }

std::int64_t TPLNBackEditor::BaseMMX(double x) const {
  const double px = x - fMarginL - fRulerL + fScrollX;
  return Utils::RoundHalfAway(px * 25400.0 / (fDPIX * fEditor->ZoomFactor())) * Scale();
}

std::int64_t TPLNBackEditor::BaseMMY(double y) const {
  const double px = y - fMarginT - fRulerT + fScrollY;
  return Utils::RoundHalfAway(px * 25400.0 / (fDPIY * fEditor->ZoomFactor())) * Scale();
}

int TPLNBackEditor::ScreenMMX(std::int64_t b) const {
  return RoundInt(b * fDPIX * fEditor->ZoomFactor() / (double(Scale()) * 25400.0)) + fMarginL + fRulerL - fScrollX;
}

int TPLNBackEditor::ScreenMMY(std::int64_t b) const {
  return RoundInt(b * fDPIY * fEditor->ZoomFactor() / (double(Scale()) * 25400.0)) + fMarginT + fRulerT - fScrollY;
}

double TPLNBackEditor::BaseToScreenX(std::int64_t b) const { return b * fDPIX / (double(Scale()) * 25400.0); }
double TPLNBackEditor::BaseToScreenY(std::int64_t b) const { return b * fDPIY / (double(Scale()) * 25400.0); }

int TPLNBackEditor::DrawDMMX(double v, bool withOrigin) const {
  return RoundInt(v * fEditor->ZoomFactor()) + (withOrigin ? fMarginL + fRulerL - fScrollX : 0);
}

int TPLNBackEditor::DrawDMMY(double v, bool withOrigin) const {
  return RoundInt(v * fEditor->ZoomFactor()) + (withOrigin ? fMarginT + fRulerT - fScrollY : 0);
}

namespace {
// Millimetres, inches and centimetres read on paper; the larger units are world lengths.
double WorldK(TORVUnits u, std::int64_t scale) {
  return static_cast<int>(u) >= static_cast<int>(TORVUnits::dm) ? UnitK(u) * scale : UnitK(u);
}
}  // namespace

double TPLNBackEditor::WorldX(double x, bool fromScreen) const {
  const double px = fromScreen ? x - fMarginL - fRulerL + fScrollX : x;
  return px * WorldK(fEditor->Units(), Scale()) / (fDPIX * fEditor->ZoomFactor());
}

double TPLNBackEditor::WorldY(double y, bool fromScreen) const {
  const double px = fromScreen ? y - fMarginT - fRulerT + fScrollY : y;
  return px * WorldK(fEditor->Units(), Scale()) / (fDPIY * fEditor->ZoomFactor());
}

int TPLNBackEditor::CoordDX(double v, bool withOrigin) const {
  const double k = UnitK(fEditor->Units());
  return RoundInt(v * fDPIX * fEditor->ZoomFactor() / (double(Scale()) * k)) +
         (withOrigin ? fMarginL + fRulerL - fScrollX : 0);
}

int TPLNBackEditor::CoordDY(double v, bool withOrigin) const {
  const double k = UnitK(fEditor->Units());
  return RoundInt(v * fDPIY * fEditor->ZoomFactor() / (double(Scale()) * k)) +
         (withOrigin ? fMarginT + fRulerT - fScrollY : 0);
}

double TPLNBackEditor::CoordX(int px) const { return px * 25.4 / fDPIX; }
double TPLNBackEditor::FX() const { return fDPIX * fEditor->ZoomFactor() / UnitK(fEditor->Units()); }
double TPLNBackEditor::FY() const { return fDPIY * fEditor->ZoomFactor() / UnitK(fEditor->Units()); }

int TPLNBackEditor::CMX() const { return fScrollX < fMarginL ? fMarginL + fRulerL - fScrollX : fRulerL; }
int TPLNBackEditor::CMY() const { return fScrollY < fMarginT ? fMarginT + fRulerT - fScrollY : fRulerT; }
int TPLNBackEditor::MaxX() const { return CMX() + fPageZW; }
int TPLNBackEditor::MaxY() const { return CMY() + fPageZH; }
double TPLNBackEditor::TranslateX() const { return double(fRulerL) + fMarginL - fScrollX; }
double TPLNBackEditor::TranslateY() const { return double(fRulerT) + fMarginT - fScrollY; }

void TPLNBackEditor::SetGap() {
  fGapBase = RoundInt(fEditor->GetGap() * 25400.0 / (fDPIX * fEditor->ZoomFactor()));
}

// ---------------------------------------------------------------- zoom and placement

void TPLNBackEditor::CustomZoom() {
  const TORVZoom z = fEditor->GetZoom();
  if (z < zmWidth) return;
  const TPLNRulers& rulers = fEditor->Rulers();
  const int size = ScalePos(rulers.GetSize(), fDPIX);
  const auto ruler = [&](std::uint8_t side) { return (rulers.GetVisible() & side) ? size : 0; };
  const int margin = fEditor->GetMargin();
  const double fitW = double(fEditor->width() - 2 * margin - 44 - ruler(rvLeft) - ruler(rvRight)) / std::max(1, fPageW);
  const double fitH = double(fEditor->height() - 2 * margin - 44 - ruler(rvTop) - ruler(rvBottom)) / std::max(1, fPageH);
  double factor = z == zmWidth ? fitW : z == zmHeight ? fitH : std::min(fitW, fitH);
  // A frame smaller than its strip leaves nothing to fit into: keep the page a dot, not negative.
  factor = std::clamp(factor, 0.0001, 100.0);
  if (factor != fEditor->ZoomFactor()) {
    fEditor->SetZoomFactor(factor);
    emit fEditor->ZoomChanged();
  }
}

void TPLNBackEditor::CheckDScroll() {
  CustomZoom();
  const double zoom = fEditor->ZoomFactor();
  fPageZW = RoundInt(fPageW * zoom);
  fPageZH = RoundInt(fPageH * zoom);
  std::int64_t cw = fPageZW, ch = fPageZH;
  const TPLNRulers& rulers = fEditor->Rulers();
  const auto size = static_cast<std::int16_t>(ScalePos(rulers.GetSize(), fDPIX));
  const std::uint8_t vis = rulers.GetVisible();
  fRulerL = (vis & rvLeft) ? size : 0;
  fRulerR = (vis & rvRight) ? size : 0;
  fRulerT = (vis & rvTop) ? size : 0;
  fRulerB = (vis & rvBottom) ? size : 0;
  cw += fRulerL + fRulerR;
  ch += fRulerT + fRulerB;
  const int margin = fEditor->GetMargin();
  const int w = width(), h = height();
  // Near and far margin along one axis; the content grows by both.
  const auto place = [&](std::int64_t& content, int extent, std::int16_t& nearM, std::int16_t& farM) {
    if (fEditor->GetLabelPosition() == lbCenter) {
      if (content + 2 * margin < extent) {
        nearM = static_cast<std::int16_t>((extent - content) / 2);
        farM = static_cast<std::int16_t>(extent - content - nearM);
      } else {
        nearM = farM = static_cast<std::int16_t>(margin);
      }
      content += nearM + farM;
    } else {
      // The page stays at the top left; a wider surface is margin on the far side.
      nearM = static_cast<std::int16_t>(margin);
      content += margin;
      farM = static_cast<std::int16_t>(extent <= content + margin ? margin : extent - content);
      content += farM;
    }
  };
  place(cw, w, fMarginL, fMarginR);
  place(ch, h, fMarginT, fMarginB);
  fContentW = static_cast<std::int32_t>(std::min<std::int64_t>(cw, INT32_MAX));
  fContentH = static_cast<std::int32_t>(std::min<std::int64_t>(ch, INT32_MAX));
}

void TPLNBackEditor::Resize() {
  if (width() <= 0 || height() <= 0) return;
  fDrawingEnabled = false;
  CheckDScroll();
  // Qt's scroll range stops one viewport short of the content: max = content - viewport.
  const auto fit = [this](QScrollBar* bar, std::int32_t content, std::int32_t client, bool horizontal) {
    if (client < content) {
      int value = bar->value();
      if (value > content) value = 0;
      bar->setPageStep(client);
      bar->setSingleStep(10);
      bar->setRange(0, content - client);
      bar->setValue(std::min(value, content - client));
      fEditor->SetScrollBarNeeded(horizontal, true);
    } else {
      bar->setRange(0, 0);
      bar->setValue(0);
      fEditor->SetScrollBarNeeded(horizontal, false);
    }
    return bar->value();
  };
  fClientH = height();
  fScrollY = fit(fEditor->VertScrollBar(), fContentH, fClientH, false);
  fClientW = width();
  fScrollX = fit(fEditor->HorzScrollBar(), fContentW, fClientW, true);
  SetGap();
  fDrawingEnabled = true;
  DrawEditor();
  ReportPointer();  // another zoom or placement puts another point under the pointer
}

void TPLNBackEditor::ChangeScrollHorz() {
  if (!fDrawingEnabled) return;
  const int value = fEditor->HorzScrollBar()->value();
  MoveScrollPoint(fScrollX - value, 0);
  fScrollX = value;
  UpdateOverlay();  // the page drawing moves with the scroll position and is reused
  ReportPointer();
}

void TPLNBackEditor::ChangeScrollVert() {
  if (!fDrawingEnabled) return;
  const int value = fEditor->VertScrollBar()->value();
  MoveScrollPoint(0, fScrollY - value);
  fScrollY = value;
  UpdateOverlay();
  ReportPointer();
}

void TPLNBackEditor::MoveScrollPoint(double dx, double dy) {
  if (Anchor != Current) Anchor += QPointF(dx, dy);
}

void TPLNBackEditor::EnsureItemVisible(const TPLNBaseItem* item) {
  if (!fDrawingEnabled || !item || item->NumPoints() < 1) return;
  const TORVPto p = item->GetPoint(1);
  const int x = ScreenMMX(p.X), y = ScreenMMY(p.Y);
  if (x >= 0 && x <= fClientW && y >= 0 && y <= fClientH) return;
  QScrollBar* h = fEditor->HorzScrollBar();
  QScrollBar* v = fEditor->VertScrollBar();
  if (fEditor->fHorzNeeded) h->setValue(std::clamp(x + fScrollX - fClientW / 2, 0, h->maximum()));
  if (fEditor->fVertNeeded) v->setValue(std::clamp(y + fScrollY - fClientH / 2, 0, v->maximum()));
}

void TPLNBackEditor::ScrollItem(const TPLNBaseItem* item) {
  if (!item || item->NumPoints() < 1) return;
  const TORVPto p = item->GetPoint(1);
  const auto target = [](int unscrolled, int client) {
    const int t = unscrolled - client / 2;
    return t < 0 ? 0 : t / 2;
  };
  // The far end of a bar's range is the content size there (Qt's maximum plus a viewport).
  if (fEditor->fHorzNeeded) {
    QScrollBar* h = fEditor->HorzScrollBar();
    const int t = target(ScreenMMX(p.X) + fScrollX, fClientW);
    if (t <= h->maximum() + h->pageStep()) h->setValue(t);
  }
  if (fEditor->fVertNeeded) {
    QScrollBar* v = fEditor->VertScrollBar();
    const int t = target(ScreenMMY(p.Y) + fScrollY, fClientH);
    if (t <= v->maximum() + v->pageStep()) v->setValue(t);
  }
}

void TPLNBackEditor::DrawEditor() {
  ++fGeneration;
  if (fDrawingEnabled) update();
}

void TPLNBackEditor::UpdateOverlay() {
  if (fDrawingEnabled) update();
}

void TPLNBackEditor::EndUpdate() {
  fDrawingEnabled = true;
  DrawEditor();
}

// ---------------------------------------------------------------- events

void TPLNBackEditor::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Resize();
}

void TPLNBackEditor::wheelEvent(QWheelEvent* event) {
  if (!(fEditor->GetEditorOptions() & eoMouseWheel)) {
    event->ignore();
    return;
  }
  const QPoint angle = event->angleDelta();
  const int delta = angle.y() != 0 ? angle.y() : angle.x();
  const int lines = QApplication::wheelScrollLines();
  // Towards 0 when the wheel turns up, 10 pixels per line.
  const int step = -static_cast<int>(std::lround(delta / 120.0 * lines * 10));
  if (event->modifiers() & Qt::ControlModifier) {
    if (delta != 0) ZoomAt(event->position(), delta > 0);
  } else if (event->modifiers() & Qt::ShiftModifier) {
    if (fEditor->fHorzNeeded) fEditor->HorzScrollBar()->setValue(fEditor->HorzScrollBar()->value() + step);
  } else if (fEditor->fVertNeeded) {
    fEditor->VertScrollBar()->setValue(fEditor->VertScrollBar()->value() + step);
  }
  event->accept();
}

void TPLNBackEditor::ZoomAt(QPointF pos, bool in) {
  const std::int64_t bx = BaseMMX(pos.x()), by = BaseMMY(pos.y());
  const TORVZoom before = fEditor->GetZoom();
  in ? fEditor->IncZoom() : fEditor->DecZoom();
  if (fEditor->GetZoom() == before) return;
  // The point that was under the pointer comes back under it, as far as the scroll range lets.
  if (fEditor->fHorzNeeded) {
    QScrollBar* h = fEditor->HorzScrollBar();
    h->setValue(h->value() + ScreenMMX(bx) - static_cast<int>(std::lround(pos.x())));
  }
  if (fEditor->fVertNeeded) {
    QScrollBar* v = fEditor->VertScrollBar();
    v->setValue(v->value() + ScreenMMY(by) - static_cast<int>(std::lround(pos.y())));
  }
}

// ---------------------------------------------------------------- painting

TPLNBackEditor::TPageKey TPLNBackEditor::PageKey(qreal dpr) const {
  const TPLNGrid& g = fEditor->Grid();
  return {fGeneration,
          size(),
          dpr,
          fEditor->ZoomFactor(),
          TranslateX(),
          TranslateY(),
          fPageBaseW,
          fPageBaseH,
          Scale(),
          fEditor->GetMarginColor(),
          fEditor->GetPageColor(),
          g.GetStepColor(),
          g.GetUnitsColor(),
          fEditor->SelectionColors().GetLinkPoint(),
          g.BaseIncX(),
          g.BaseIncY(),
          g.GetStyle(),
          fEditor->GetEditorOptions(),
          hasFocus()};
}

void TPLNBackEditor::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  TQPainterCanvas canvas(&painter);
  const QRectF rect(event->rect());
  if (!fEditor->GetLabel()) {
    Draw(canvas, rect);
    return;
  }
  const qreal dpr = devicePixelRatioF();
  const TPageKey key = PageKey(dpr);
  // Between BeginUpdate and EndUpdate the document may be half changed: show what was drawn.
  const bool kept = !fDrawingEnabled && fPageKey && fPageKey->Size == key.Size && fPageKey->Dpr == dpr;
  if (!kept && (!fPageKey || !(*fPageKey == key))) {
    if (!ScrollPage(key, dpr)) RenderPage(key, dpr);
  }
  painter.drawImage(rect, fPageCache, QRectF(rect.topLeft() * dpr, rect.size() * dpr));
  if (fDragLayer) DrawDragLayer(canvas, rect);
  DrawOverlay(canvas);
}

void TPLNBackEditor::BeginDragLayer() {
  const TPlanoraFMX* host = fEditor->GetLabel();
  if (!host || fDragLayer || host->GetSelectionCount() == 0) return;
  fDragMask.assign(std::size_t(host->GetItemsCount()) + 1, 0);
  fDragItems.clear();
  std::vector<F2d::TPLNBaseLink*> links;
  for (int i = 1; i <= host->GetItemsCount(); ++i) {
    const TPLNBaseItem* item = host->GetItem(i);
    if (!host->IsSelected(item)) continue;
    fDragMask[std::size_t(i)] = 1;
    // The links of a dragged item follow it: they leave the kept page too.
    host->LinksOf(item, links);
    for (const F2d::TPLNBaseLink* link : links) {
      const int at = host->IndexOf(link);
      if (at > 0) fDragMask[std::size_t(at)] = 1;
    }
  }
  for (int i = 1; i <= host->GetItemsCount(); ++i)
    if (fDragMask[std::size_t(i)]) fDragItems.push_back(i);
  fDragLayer = true;
  DrawEditor();  // the kept page is drawn once more, without them
}

void TPLNBackEditor::EndDragLayer() {
  if (!fDragLayer) return;
  fDragLayer = false;
  fDragItems.clear();
  fDragMask.clear();
  DrawEditor();
}

void TPLNBackEditor::DrawDragLayer(ISkCanvas& canvas, const QRectF& rect) {
  const TPlanoraFMX* host = fEditor->GetLabel();
  if (!host) return;
  const TView v = View();
  const double x1 = (rect.left() - v.TX) / v.PixPerBase, x2 = (rect.right() - v.TX) / v.PixPerBase;
  const double y1 = (rect.top() - v.TY) / v.PixPerBase, y2 = (rect.bottom() - v.TY) / v.PixPerBase;
  const double reach = 2 / v.PixPerBase + kWideReach * double(Scale());
  std::vector<int> items;
  items.reserve(fDragItems.size());
  for (int i : fDragItems) {
    // Items may have gone (an undo from a menu during the drag): never index past the end.
    if (i > host->GetItemsCount()) continue;
    const TPLNBaseItem* item = host->GetItem(i);
    if (item->IsPreview() || !item->HasOptions(Opt::Visible)) continue;
    const TORVBounds b = item->GetBounds();
    if (b.X2 + reach < x1 || b.X1 - reach > x2 || b.Y2 + reach < y1 || b.Y1 - reach > y2) continue;
    items.push_back(i);
  }
  PrepareDraw(fDraw, &canvas);
  canvas.Save();
  canvas.Translate(static_cast<float>(TranslateX()), static_cast<float>(TranslateY()));
  TZoomCanvas zoomed(canvas, static_cast<float>(fEditor->ZoomFactor() / fScreenScale));
  fDraw.kC = &zoomed;
  DrawItems(zoomed, fDraw, items, rect);
  canvas.Restore();
  fDraw.kC = &canvas;
  DrawConnectors(canvas, items);
}

void TPLNBackEditor::Draw(ISkCanvas& canvas, const QRectF& rect) {
  TSkPaint margin;
  margin.Color = fEditor->GetMarginColor();
  canvas.DrawRect(rect, margin);
  if (!fEditor->GetLabel() || rect.isEmpty()) return;
  PrepareDraw(fDraw, &canvas);
  std::vector<int> items;
  CollectItems(rect, items);
  DrawPage(canvas, fDraw, rect, items);
  DrawOverlay(canvas);
}

void TPLNBackEditor::PrepareDraw(TPLNDraw& d, ISkCanvas* canvas) {
  const TPlanoraFMX* host = fEditor->GetLabel();
  d.ResetMatrix(TORVDrawState::Editor);
  d.aFocused = hasFocus();
  d.kC = canvas;
  d.pC = dynamic_cast<IPrintCanvas*>(canvas);
  d.OwnPaint = TSkPaint{};
  d.kP = &d.OwnPaint;
  // The pen the export starts from, so the screen shows what a bitmap will.
  d.kP->AntiAlias = true;
  d.kP->StrokeCap = TSkStrokeCap::Round;
  d.kP->StrokeJoin = TSkStrokeJoin::Round;
  d.SetResolution(fDPIX, fDPIY, host ? host->Measure().DrawScale : 1);
  d.PixPerUnitX = static_cast<float>(FX());
  d.PixPerUnitY = static_cast<float>(FY());
  d.Zoom = static_cast<float>(fEditor->ZoomFactor());
  d.OriginX = d.OriginY = 0;
  d.IOriginX = d.IOriginY = 0;
  d.Row = d.Col = 1;
  d.Record = -1;
  d.PageWidth = static_cast<float>(fPageW);
  d.PageHeight = static_cast<float>(fPageH);
  d.SetStandardWidths();
  d.aDrawLinkPto = (fEditor->GetEditorOptions() & eoLinkPoints) != 0;
  d.aLinkPoint = fEditor->SelectionColors().GetLinkPoint();
}

void TPLNBackEditor::RenderPage(const TPageKey& key, qreal dpr) {
  const QSize pixels = (QSizeF(size()) * dpr).toSize();
  if (fPageCache.size() != pixels) fPageCache = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
  fPageCache.setDevicePixelRatio(dpr);
  const QColor margin = QColor::fromRgba(fEditor->GetMarginColor());
  fPageCache.fill(margin);
  fPageKey = std::make_unique<TPageKey>(key);
  fSettle.stop();
  if (pixels.isEmpty()) return;
  const QRectF all(rect());
  QPainter painter(&fPageCache);
  TQPainterCanvas canvas(&painter);
  PrepareDraw(fDraw, &canvas);
  const bool split = fEditor->GetLabel()->GetItemsCount() >= kBandItems && QThread::idealThreadCount() > 1 &&
                     height() >= 64;
  std::vector<int> items;
  if (!split) {
    CollectItems(all, items);
    DrawPage(canvas, fDraw, all, items);
    return;
  }
  // Two halves side by side. The lower one is drawn on a full-size image of its own, so that
  // dashes and anti-aliasing come out as on a single device, and only its rows are kept.
  const int mid = height() / 2;
  const QRectF top(0, 0, width(), mid), bottom(0, mid, width(), height() - mid);
  if (fBandImage.size() != pixels) fBandImage = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
  fBandImage.setDevicePixelRatio(dpr);
  PrepareDraw(fBandDraw, nullptr);
  std::vector<int> lower;
  CollectItems(top, items);
  CollectItems(bottom, lower);
  QFuture<void> band = QtConcurrent::run(&fPool, [&] {
    try {
      QPainter ip(&fBandImage);
      ip.setCompositionMode(QPainter::CompositionMode_Source);
      ip.fillRect(bottom, margin);  // only these rows are kept
      ip.setCompositionMode(QPainter::CompositionMode_SourceOver);
      TQPainterCanvas ic(&ip);
      fBandDraw.kC = &ic;
      fBandDraw.pC = &ic;
      DrawPage(ic, fBandDraw, bottom, lower);
    } catch (...) {
      // An item that cannot draw leaves its half incomplete, never the editor broken.
    }
  });
  try {
    DrawPage(canvas, fDraw, top, items);
  } catch (...) {
    // As above; the other half still has to be waited for, it draws with this frame's data.
  }
  band.waitForFinished();
  painter.end();
  const int first = static_cast<int>(std::floor(mid * dpr));
  for (int y = first; y < pixels.height(); ++y)
    std::memcpy(fPageCache.scanLine(y), fBandImage.constScanLine(y), static_cast<std::size_t>(fPageCache.bytesPerLine()));
}

bool TPLNBackEditor::ScrollPage(const TPageKey& key, qreal dpr) {
  if (!fPageKey) return false;
  TPageKey moved = *fPageKey;
  moved.TX = key.TX;
  moved.TY = key.TY;
  if (!(moved == key)) return false;  // more than the scroll position changed
  const double fdx = (key.TX - fPageKey->TX) * dpr, fdy = (key.TY - fPageKey->TY) * dpr;
  const int dx = static_cast<int>(std::lround(fdx)), dy = static_cast<int>(std::lround(fdy));
  const int w = fPageCache.width(), h = fPageCache.height();
  if (dx != fdx || dy != fdy || std::abs(dx) >= w / 2 || std::abs(dy) >= h / 2) return false;
  // Move the pixels that stay in view; rows overlap, so memmove.
  const auto bytes = static_cast<std::size_t>(fPageCache.bytesPerLine());
  uchar* bits = fPageCache.bits();
  if (dy > 0)
    for (int y = h - 1; y >= dy; --y) std::memmove(bits + y * bytes, bits + (y - dy) * bytes, bytes);
  else if (dy < 0)
    for (int y = 0; y < h + dy; ++y) std::memmove(bits + y * bytes, bits + (y - dy) * bytes, bytes);
  if (dx != 0) {
    const std::size_t shift = std::size_t(std::abs(dx)) * 4, keep = std::size_t(w - std::abs(dx)) * 4;
    for (int y = 0; y < h; ++y) {
      uchar* row = bits + y * bytes;
      dx > 0 ? std::memmove(row + shift, row, keep) : std::memmove(row, row + shift, keep);
    }
  }
  *fPageKey = key;
  fSettle.start();
  // Draw the strips that came into view. Each is drawn unclipped on a full-size image and only
  // its pixels are kept: Qt places dashes differently under a clip.
  const double W = width(), H = height(), sx = dx / dpr, sy = dy / dpr;
  std::vector<QRect> strips;  // in widget pixels, whole since the scroll moved by whole pixels
  if (sy > 0) strips.emplace_back(0, 0, int(W), int(sy));
  if (sy < 0) strips.emplace_back(0, int(H + sy), int(W), int(-sy));
  if (sx > 0) strips.emplace_back(0, 0, int(sx), int(H));
  if (sx < 0) strips.emplace_back(int(W + sx), 0, int(-sx), int(H));
  if (fBandImage.size() != fPageCache.size()) fBandImage = QImage(fPageCache.size(), QImage::Format_ARGB32_Premultiplied);
  fBandImage.setDevicePixelRatio(dpr);
  const QColor margin = QColor::fromRgba(fEditor->GetMarginColor());
  std::vector<int> items;
  for (const QRect& strip : strips) {
    const QRect px(QPoint(int(std::lround(strip.x() * dpr)), int(std::lround(strip.y() * dpr))),
                   QSize(int(std::lround(strip.width() * dpr)), int(std::lround(strip.height() * dpr))));
    {
      QPainter painter(&fBandImage);
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      painter.fillRect(QRectF(strip), margin);
      painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
      TQPainterCanvas canvas(&painter);
      PrepareDraw(fDraw, &canvas);
      CollectItems(QRectF(strip), items);
      DrawPage(canvas, fDraw, QRectF(strip), items);
    }
    const std::size_t length = std::size_t(px.width()) * 4, offset = std::size_t(px.x()) * 4;
    for (int y = px.top(); y <= px.bottom() && y < h; ++y)
      std::memcpy(fPageCache.scanLine(y) + offset, fBandImage.constScanLine(y) + offset, length);
  }
  return true;
}

// Reference lines follow the pointer, so they are drawn here and never enter the kept page.
void TPLNBackEditor::DrawOverlay(ISkCanvas& canvas) {
  DrawRefLines(canvas);
  DrawEditText(canvas);
  DrawRichTextToolbar(canvas);
  PaintRulers(canvas);
  DrawAlignLines(canvas);
  DrawSelPoints(canvas);
  DrawInput(canvas);
  DrawRubberBand(canvas);
  DrawLinkMarks(canvas);
}

void TPLNBackEditor::DrawPage(ISkCanvas& canvas, TPLNDraw& draw, const QRectF& rect, const std::vector<int>& items) {
  TPlanoraFMX* host = fEditor->GetLabel();
  canvas.Save();
  canvas.Translate(static_cast<float>(TranslateX()), static_cast<float>(TranslateY()));
  TZoomCanvas zoomed(canvas, static_cast<float>(fEditor->ZoomFactor() / fScreenScale));
  draw.kC = &zoomed;
  const double k = draw.PixPerBaseX * draw.DrawScale;
  const QRectF page(0, 0, fPageBaseW * k, fPageBaseH * draw.PixPerBaseY * draw.DrawScale);
  TSkPaint fill;
  fill.Color = fEditor->GetPageColor();
  const TPLNLayer* back = host->GetLayer(host->GetBackLayer());
  const bool margins = back && (back->BackMargins[0] || back->BackMargins[1] || back->BackMargins[2] || back->BackMargins[3]);
  // A band or strip fills only its own part of the page (the clip is whole pixels: exact).
  const auto fillPage = [&] {
    canvas.Save();
    canvas.ClipRect(rect.translated(-TranslateX(), -TranslateY()));
    zoomed.DrawRect(page, fill);
    canvas.Restore();
  };
  // The label stock lies under the picture; both need the page filled first.
  const bool stock = host->HasOption(doShowBackSurf) && !host->BackSurf().IsBlank();
  const bool filled = margins || stock;
  if (filled) fillPage();
  if (stock) host->DrawBackSurf(&zoomed, draw);
  // The same bits as an export: the screen shows what a bitmap will.
  const bool image = back && back->HasOption(Opt::Visible | Opt::ExportBackground) && host->DrawBackImage(&zoomed, draw);
  if (!image && !filled) fillPage();
  if (fEditor->Grid().GetStyle() != gdNone) {
    TSkPaint paint;
    DrawGrid(zoomed, paint);
  }
  DrawItems(zoomed, draw, items, rect);
  canvas.Restore();
  draw.kC = &canvas;
  DrawConnectors(canvas, items);
}

void TPLNBackEditor::CollectItems(const QRectF& rect, std::vector<int>& out) const {
  out.clear();
  const TPlanoraFMX* host = fEditor->GetLabel();
  if (!host) return;
  const TView v = View();
  const double scale = double(Scale());
  const double pad = 2 / v.PixPerBase;  // anti-aliasing and hairlines
  const double x1 = (rect.left() - v.TX) / v.PixPerBase, x2 = (rect.right() - v.TX) / v.PixPerBase;
  const double y1 = (rect.top() - v.TY) / v.PixPerBase, y2 = (rect.bottom() - v.TY) / v.PixPerBase;
  const double wide = pad + kWideReach * scale;
  const TORVBounds area{ToBase(std::floor(x1 - wide)), ToBase(std::floor(y1 - wide)), ToBase(std::ceil(x2 + wide)),
                        ToBase(std::ceil(y2 + wide))};
  std::vector<int> candidates;
  ItemsInArea(*host, area, candidates);
  out.reserve(candidates.size());
  for (int i : candidates) {
    const TPLNBaseItem* item = host->GetItem(i);
    // Per-label copies stand in the preview's cells; the editor shows the originals.
    if (item->IsPreview() || !item->HasOptions(Opt::Visible)) continue;
    if (fDragLayer && std::size_t(i) < fDragMask.size() && fDragMask[std::size_t(i)]) continue;
    const TORVBounds b = item->GetBounds();
    const TReach kind = ReachOf(*item);
    const double reach =
        pad + (kind == TReach::Wide ? kWideReach * scale : kind == TReach::Terminators ? TerminatorReach(*item) * scale : 0);
    if (b.X2 + reach < x1 || b.X1 - reach > x2 || b.Y2 + reach < y1 || b.Y1 - reach > y2) continue;
    // Under a pixel on screen a shape is a dot: marked by a negative index.
    const bool dot = kind == TReach::Tight && (b.X2 - b.X1) * v.PixPerBase < 1 && (b.Y2 - b.Y1) * v.PixPerBase < 1;
    out.push_back(dot ? -i : i);
  }
}

void TPLNBackEditor::DrawItems(ISkCanvas& canvas, TPLNDraw& draw, const std::vector<int>& items, const QRectF& rect) {
  const TPlanoraFMX* host = fEditor->GetLabel();
  const TView v = View();
  // Pixels already dotted, so a crowd of tiny items costs one fill per pixel.
  std::vector<bool> dotted;
  const int w = std::max(1, static_cast<int>(std::ceil(rect.width()))) + 1;
  const int h = std::max(1, static_cast<int>(std::ceil(rect.height()))) + 1;
  TSkPaint dot;
  const float unit = static_cast<float>(1.0 / v.Zoom);
  for (int index : items) {
    TPLNBaseItem* item = host->GetItem(index < 0 ? -index : index);
    if (index > 0) {
      item->DrawElement(&draw);
      continue;
    }
    const TORVBounds b = item->GetBounds();
    const double px = std::floor(v.TX + (b.X1 + b.X2) / 2.0 * v.PixPerBase);
    const double py = std::floor(v.TY + (b.Y1 + b.Y2) / 2.0 * v.PixPerBase);
    const int cx = static_cast<int>(px - std::floor(rect.left())), cy = static_cast<int>(py - std::floor(rect.top()));
    if (cx < 0 || cy < 0 || cx >= w || cy >= h) continue;
    if (dotted.empty()) dotted.assign(std::size_t(w) * h, false);
    if (dotted[std::size_t(cy) * w + cx]) continue;
    dotted[std::size_t(cy) * w + cx] = true;
    const auto* area = dynamic_cast<const TPLN2DItem*>(item);
    dot.Color = area && area->GetFilled() && area->Alpha() ? area->GetBackColor() : item->GetColor();
    canvas.DrawRect(QRectF((px - v.TX) * unit, (py - v.TY) * unit, unit, unit), dot);
  }
}

}  // namespace Orv::Fmx
