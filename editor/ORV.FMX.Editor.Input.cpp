// Pointer and keyboard input of the editor's surface: press routing, handle hit tests, snapping,
// the drag of the selection, typing into a text item and the in-place coordinate input.
#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ORV.FMX.Editor.h"
#include "ORV.FMX.Editor.Surface.h"
#include "ORV.FMX.h"
#include "ORV.Flow.h"
#include "ORV.Poly.h"
#include "ORV.Text.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {

TShiftState ShiftOf(Qt::KeyboardModifiers m, Qt::MouseButtons buttons) {
  TShiftState s = Shift::None;
  if (m & Qt::ShiftModifier) s |= Shift::Shift;
  if (m & Qt::ControlModifier) s |= Shift::Ctrl;
  if (m & Qt::AltModifier) s |= Shift::Alt;
  if (buttons & Qt::LeftButton) s |= Shift::Left;
  if (buttons & Qt::RightButton) s |= Shift::Right;
  if (buttons & Qt::MiddleButton) s |= Shift::Middle;
  return s;
}

// Orthogonal drawing and the tangent and perpendicular snaps apply to straight segments.
bool IsSegmentKind(TORVDrawKind k) { return k == TORVDrawKind::Line || k == TORVDrawKind::PolyLine; }
bool TakesTangents(TORVDrawKind k) {
  return IsSegmentKind(k) || k == TORVDrawKind::Polygon || k == TORVDrawKind::Arc;
}

// Text and font of a plain text item; false for other kinds.
bool TextOf(const TPLNBaseItem* item, QString* text, QString* family) {
  // A rich text is typed as its plain text; its markup changes through the rich-text edits.
  if (const auto* r = dynamic_cast<const Text::TPLNBaseRichText*>(item)) {
    if (text) *text = r->GetPlainText();
    if (family) *family = r->GetFontName();
    return true;
  }
  // A poly text is typed as its runs, a line feed between two, or as its code.
  if (const auto* poly = dynamic_cast<const Text::TPLNBasePoly*>(item)) {
    if (text) *text = poly->GetData();
    if (family) *family = poly->GetItemCount() > 0 ? poly->GetItem(1).GetFontName() : poly->GetFontName();
    return true;
  }
  if (const auto* t = dynamic_cast<const Text::TPLNBaseText*>(item)) {
    if (text) *text = t->GetText();
    if (family) *family = t->GetFontName();
    return true;
  }
  if (const auto* p = dynamic_cast<const Text::TPLNBasePara*>(item)) {
    if (text) *text = p->GetText();
    if (family) *family = p->GetFontName();
    return true;
  }
  if (const auto* f = dynamic_cast<const F2d::TPLNBaseFlow*>(item)) {
    if (text) *text = f->GetText();
    if (family) *family = f->GetFontName();
    return true;
  }
  return false;
}

Qt::CursorShape CursorOf(TORVHandleKind k) {
  switch (k) {
    case TORVHandleKind::SizeNW:
    case TORVHandleKind::SizeSE:
      return Qt::SizeFDiagCursor;
    case TORVHandleKind::SizeNE:
    case TORVHandleKind::SizeSW:
      return Qt::SizeBDiagCursor;
    case TORVHandleKind::SizeN:
    case TORVHandleKind::SizeS:
      return Qt::SizeVerCursor;
    case TORVHandleKind::SizeE:
    case TORVHandleKind::SizeW:
      return Qt::SizeHorCursor;
    case TORVHandleKind::InsertPoint:
      return Qt::CrossCursor;
    case TORVHandleKind::Fixed:
      return Qt::ArrowCursor;
    default:
      return Qt::SizeAllCursor;
  }
}

bool IsSizeKind(TORVHandleKind k) { return k >= TORVHandleKind::SizeNW && k <= TORVHandleKind::SizeW; }

}  // namespace

// ---------------------------------------------------------------- pointer geometry

std::int64_t TPLNBackEditor::Tolerance() const { return std::int64_t(fGapBase) * Scale(); }

// The quotient is floored, not truncated: truncating rounds negative coordinates towards zero
// (-8 on a step of 5 would give -5, while -10 is nearer).
std::int64_t TPLNBackEditor::RoundToStep(std::int64_t v, std::int64_t step) {
  if (step <= 0) return v;
  std::int64_t n = v / step, r = v % step;
  if (r < 0) {
    --n;
    r += step;
  }
  if (r > step / 2) ++n;
  return n * step;
}

std::int64_t TPLNBackEditor::GridX(std::int64_t v) const {
  return (fEditor->GetSnap() & snGrid) ? RoundToStep(v, fEditor->Grid().BaseIncX()) : -1;
}

std::int64_t TPLNBackEditor::GridY(std::int64_t v) const {
  return (fEditor->GetSnap() & snGrid) ? RoundToStep(v, fEditor->Grid().BaseIncY()) : -1;
}

TORVPto TPLNBackEditor::GridPoint(QPointF pos) const {
  TORVPto p{BaseMMX(pos.x()), BaseMMY(pos.y())};
  if (fEditor->GetSnap() & snGrid) {
    p.X = RoundToStep(p.X, fEditor->Grid().BaseIncX());
    p.Y = RoundToStep(p.Y, fEditor->Grid().BaseIncY());
  }
  return p;
}

void TPLNBackEditor::AdjustGrid(bool keepX, bool keepY) {
  if (!keepX) fBaseX = RoundToStep(fBaseX, fEditor->Grid().BaseIncX());
  if (!keepY) fBaseY = RoundToStep(fBaseY, fEditor->Grid().BaseIncY());
  const QPointF p = ToScreen(fBaseX, fBaseY);
  Current = QPointF(std::round(p.x()), std::round(p.y()));
}

void TPLNBackEditor::FreeDrawPoint(QPointF pos) {
  const TAct& a = fEditor->GetLabel()->Act();
  fBaseX = BaseMMX(pos.x());
  fBaseY = BaseMMY(pos.y());
  Current = pos;
  bool keepX = false, keepY = false;
  // Both apply when both are on: the segment stays orthogonal and its free end lands on the grid.
  if (fEditor->GetOrtoLines() && IsSegmentKind(a.Kind) && !a.Points.empty()) {
    Current = OrtoPoint(Anchor, pos);
    if (Current.x() == Anchor.x()) {
      fBaseX = a.Points.back().X;
      keepX = true;
    } else {
      fBaseY = a.Points.back().Y;
      keepY = true;
    }
  }
  if (fEditor->GetSnap() & snGrid) AdjustGrid(keepX, keepY);
}

QPointF TPLNBackEditor::OrtoPoint(QPointF anchor, QPointF p) {
  if (std::abs(p.x() - anchor.x()) <= std::abs(p.y() - anchor.y())) return {anchor.x(), p.y()};
  return {p.x(), anchor.y()};
}

QPointF TPLNBackEditor::ToScreen(const TORVPto& p) const {
  const double k = fEditor->ZoomFactor() / (double(Scale()) * 25400.0);
  return {p.X * fDPIX * k + TranslateX(), p.Y * fDPIY * k + TranslateY()};
}

bool TPLNBackEditor::OnPage(std::int64_t x, std::int64_t y) const {
  const std::int64_t s = Scale();
  return x >= 0 && y >= 0 && x <= fPageBaseW * s && y <= fPageBaseH * s;
}

bool TPLNBackEditor::CoreDragging() const {
  const TPlanoraFMX* host = fEditor->GetLabel();
  if (!host) return false;
  const TAct& a = host->Act();
  return a.Move != TORVMoveKind::None || a.Action == TORVAction::Move;
}

int TPLNBackEditor::ChosenPoint() const {
  const TPlanoraFMX* host = fEditor->GetLabel();
  if (!host || fChosenPoint <= 0 || host->GetSelectionCount() != 1 || host->GetSelection(1) != fChosenItem) return 0;
  return fChosenPoint;
}

void TPLNBackEditor::SetBasePoint(std::int64_t x, std::int64_t y) {
  fEditor->fBasePointX = x;
  fEditor->fBasePointY = y;
  const QPointF p = ToScreen(x, y);
  fEditor->fBaseScreenX = p.x();
  fEditor->fBaseScreenY = p.y();
  fEditor->fPrevX = x;
  fEditor->fPrevY = y;
}

void TPLNBackEditor::IniEdition(bool flag) {
  fCoordEntry = flag;
  fRef.Reset();
  CloseInput();
  ResetInputText(false);
  setFocus();
}

void TPLNBackEditor::ResetPoints() {
  Anchor = Current;
  fPressed = false;
  fRef.Reset();
}

// ---------------------------------------------------------------- handles

bool TPLNBackEditor::CheckDown(double x, double y) {
  TPlanoraFMX* host = fEditor->GetLabel();
  if (!host || x < CMX() || x > MaxX() || y < CMY() || y > MaxY()) return false;
  TAct& a = host->Act();
  const int n = host->GetSelPointCount();
  // Rotation handles first and wider: they sit close to the corner handles.
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1 && a.IsText()) break;
    for (int i = 1; i <= n; ++i) {
      const TORVSelPoint sp = host->GetSelPoint(i);
      if ((sp.Kind == TORVHandleKind::Rotate) != (pass == 0) || sp.Kind == TORVHandleKind::Fixed) continue;
      const QPointF p = ToScreen(sp.P);
      if (!CursorOnPosS(p.x(), p.y(), pass == 0 ? 8 : 4, x, y)) continue;
      Anchor = Current = QPointF(x, y);
      fBaseX = fLastX = BaseMMX(x);
      fBaseY = fLastY = BaseMMY(y);
      const int index = sp.Index == 0 && IsSizeKind(sp.Kind) ? static_cast<int>(sp.Kind) : sp.Index;
      a.SetMove(MoveKindOf(sp.Kind), index, TORVPto{fBaseX, fBaseY});
      if (sp.Kind == TORVHandleKind::Point) {
        fChosenItem = sp.Item;
        fChosenPoint = sp.Index;
      } else {
        fChosenItem = nullptr;
        fChosenPoint = 0;
      }
      host->FireInfoEvent(true);
      UpdateOverlay();
      return true;
    }
  }
  return false;
}

void TPLNBackEditor::CheckMove(double x, double y) {
  const TPlanoraFMX* host = fEditor->GetLabel();
  Qt::CursorShape shape = Qt::ArrowCursor;
  if (host && x >= CMX() && x <= MaxX() && y >= CMY() && y <= MaxY()) {
    const int n = host->GetSelPointCount();
    for (int i = 1; i <= n; ++i) {
      const TORVSelPoint sp = host->GetSelPoint(i);
      const QPointF p = ToScreen(sp.P);
      if (CursorOnPosS(p.x(), p.y(), sp.Kind == TORVHandleKind::Rotate ? 8 : 4, x, y)) {
        shape = CursorOf(sp.Kind);
        break;
      }
    }
  }
  if (cursor().shape() != shape) setCursor(shape);
}

// ---------------------------------------------------------------- pointer events

void TPLNBackEditor::mousePressEvent(QMouseEvent* event) {
  event->accept();
  fDoubleClick = false;
  const QPointF pos = event->position();
  const double x = pos.x(), y = pos.y();
  const Qt::MouseButton button = event->button();
  // A second button during a drag would start a second action over the first.
  if (fPressed && button != Qt::LeftButton) return;
  TPLNRulers& rulers = fEditor->Rulers();
  if (rulers.GetShowAlign() && button == Qt::LeftButton) {
    if (fRulerT > 0 && y >= 0 && y < fRulerT && std::abs(x - ToScreen(rulers.GuideX, 0).x()) < 6) {
      rulers.DragGuide = 1;
      return;
    }
    if (fRulerL > 0 && x >= 0 && x < fRulerL && std::abs(y - ToScreen(0, rulers.GuideY).y()) < 6) {
      rulers.DragGuide = 2;
      return;
    }
  }
  TPlanoraFMX* host = fEditor->GetLabel();
  if (!host) return;
  setFocus();
  TAct& a = host->Act();
  if (!host->GetEditable() && a.Action != TORVAction::Selection) return;
  const std::int64_t bx = BaseMMX(x), by = BaseMMY(y);
  if (!OnPage(bx, by)) return;
  const TShiftState shift = ShiftOf(event->modifiers(), button);
  if (fEditor->OnMouseDown) fEditor->OnMouseDown(button, shift, WorldX(x, true), WorldY(y, true));
  if (button == Qt::RightButton) {
    host->RightButton(bx, by, Tolerance(), shift);
    UpdateOverlay();
    return;
  }
  if (button != Qt::LeftButton) return;
  if (HandleToolbarClick(x, y)) return;
  // A drag whose release never came ends before anything new starts.
  if (CoreDragging()) host->UpEditor(fLastX, fLastY);
  fPressed = true;
  fPressPos = pos;

  if (a.Action == TORVAction::Selection || a.Action == TORVAction::Move) {
    if (CheckDown(x, y)) return;
    fChosenItem = nullptr;
    fChosenPoint = 0;
    Anchor = Current = pos;
    fBaseX = fLastX = bx;
    fBaseY = fLastY = by;
    host->PickEditor(bx, by, Tolerance(), shift, false);
    UpdateOverlay();
    return;
  }
  if (a.IsText()) {
    if (CheckDown(x, y)) return;
    if (host->SearchSelectedText(bx, by, Tolerance(), shift)) {
      // Inside the text: a click places the caret at release, a drag selects characters.
      fPressCaret = CalcCursorPosFromClick(x, y);
      a.Action = TORVAction::TextSelect;
      return;
    }
    // Outside: the typed text goes to the item and the press ends the typing (a rich text has
    // taken every change already).
    if (fTyping && !RichItem()) {
      a.Text = fEditText;
      host->SetTextObjectText(fEditText);
    }
    fPressed = false;
    host->PickEditor(bx, by, Tolerance(), shift, fEditor->GetShowRefLines());
    UpdateOverlay();
    return;
  }
  if (!a.IsDrawing()) return;
  CloseInput();
  if (a.Kind == TORVDrawKind::Link) {
    TrackLinkPoint(x, y);
  } else if (fRef.Found) {
    fBaseX = fRef.P.X;
    fBaseY = fRef.P.Y;
    Current = QPointF(fRef.ScreenX, fRef.ScreenY);
  } else {
    FreeDrawPoint(pos);
  }
  Anchor = Current;
  a.Current = TORVPto{fBaseX, fBaseY};
  const std::int64_t px = fBaseX, py = fBaseY;
  host->PickEditor(px, py, Tolerance(), shift, false);
  SetBasePoint(px, py);
  fRef.Found = false;
  UpdateOverlay();
}

void TPLNBackEditor::TrackDrawPoint(double x, double y) {
  TPlanoraFMX* host = fEditor->GetLabel();
  TAct& a = host->Act();
  if (a.Kind == TORVDrawKind::Link) {
    TrackLinkPoint(x, y);
    return;
  }
  const std::int64_t bx = BaseMMX(x), by = BaseMMY(y);
  fRef.Found = false;
  fRef.RefFound = !a.Points.empty();
  if (fRef.RefFound) fRef.RefPoint = a.Points.back();
  const std::uint16_t snap = fEditor->GetSnap();
  const bool tangents = fRef.RefFound && TakesTangents(a.Kind);
  const TORVSnap order[] = {snEndPoint,    snMiddlePoint, snCenterPoint, snTangentPoint,
                            snPerpendicularPoint, snPoint, snCrossPoint,  snRefSymbol};
  bool found = false;
  for (TORVSnap kind : order) {
    if (!(snap & kind)) continue;
    if ((kind == snTangentPoint || kind == snPerpendicularPoint) && !tangents) continue;
    if (host->SearchPoint(bx, by, Tolerance(), kind, fRef, false)) {
      found = true;
      break;
    }
  }
  if (found) {
    fBaseX = fRef.P.X;
    fBaseY = fRef.P.Y;
    const QPointF p = ToScreen(fRef.P);
    fRef.ScreenX = static_cast<std::int32_t>(std::lround(p.x()));
    fRef.ScreenY = static_cast<std::int32_t>(std::lround(p.y()));
    fRef.Found = true;
    Current = QPointF(fRef.ScreenX, fRef.ScreenY);
  } else {
    FreeDrawPoint(QPointF(x, y));
  }
  a.Current = TORVPto{fBaseX, fBaseY};
}

void TPLNBackEditor::TrackLinkPoint(double x, double y) {
  TPlanoraFMX* host = fEditor->GetLabel();
  TAct& a = host->Act();
  const std::int64_t bx = BaseMMX(x), by = BaseMMY(y);
  const TPLNBaseItem* from = a.Points.empty() ? nullptr : host->FindByID(a.LinkFromID);
  fRef.Found = false;
  fLinkShown = 0;
  if (host->SearchLink(bx, by, Tolerance(), fLink, from)) {
    fBaseX = fLink.P.X;
    fBaseY = fLink.P.Y;
    const QPointF p = ToScreen(fLink.P);
    Current = QPointF(std::round(p.x()), std::round(p.y()));
    fLinkShown = host->GetItem(fLink.Item)->GetID();
  } else {
    fLink = TORVink{};
    fBaseX = bx;
    fBaseY = by;
    Current = QPointF(x, y);
    if (const TPLNBaseItem* under = LinkTarget(bx, by, from)) fLinkShown = under->GetID();
  }
  a.Current = TORVPto{fBaseX, fBaseY};
}

const TPLNBaseItem* TPLNBackEditor::LinkTarget(std::int64_t x, std::int64_t y, const TPLNBaseItem* except) const {
  const TPlanoraFMX* host = fEditor->GetLabel();
  const std::int64_t tol = Tolerance();
  std::vector<int> hits;
  host->ItemsIn({x - tol, y - tol, x + tol, y + tol}, hits);
  for (auto i = hits.rbegin(); i != hits.rend(); ++i) {
    const TPLNBaseItem* it = host->GetItem(*i);
    if (it == except || it->IsPreview() || !it->HasOptions(Opt::Visible | Opt::Selectable) || it->LinkPointCount() == 0)
      continue;
    const TORVBounds b = it->LinkBox();
    if (!b.IsEmpty() && x >= b.X1 - tol && x <= b.X2 + tol && y >= b.Y1 - tol && y <= b.Y2 + tol) return it;
  }
  return nullptr;
}

void TPLNBackEditor::DragTo(std::int64_t x, std::int64_t y) {
  TPlanoraFMX* host = fEditor->GetLabel();
  const TAct& a = host->Act();
  if (x == fLastX && y == fLastY) return;
  if (a.Move != TORVMoveKind::RubberBand && a.Move != TORVMoveKind::None) BeginDragLayer();
  if ((fEditor->GetSnap() & snGrid) && a.Move == TORVMoveKind::Selection)
    host->MoveGridEditor(GridX(x), GridY(y), GridX(fLastX), GridY(fLastY), false);
  else
    host->MoveEditor(x - fLastX, y - fLastY, x, y, GridX(x), GridY(y));
  fLastX = fBaseX = x;
  fLastY = fBaseY = y;
}

void TPLNBackEditor::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  const QPointF pos = event->position();
  fHoverPos = pos;
  fHover = true;
  TPlanoraFMX* host = fEditor->GetLabel();
  if (host) {
    const TORVUnits u = fEditor->Units();
    emit fEditor->PointerMoved(Utils::GetValue(BaseMMX(pos.x()), u), Utils::GetValue(BaseMMY(pos.y()), u));
  }
  if (fEditor->GetEnabledMouseFilter()) {
    if (!fClock.isValid()) fClock.start();
    if (!fFilter.FilterMouseMove(pos.x(), pos.y(), fClock.elapsed())) return;
  }
  TPLNRulers& rulers = fEditor->Rulers();
  if (rulers.DragGuide != 0) {
    if (rulers.DragGuide == 1) rulers.GuideX = std::max<std::int64_t>(0, BaseMMX(pos.x()));
    else rulers.GuideY = std::max<std::int64_t>(0, BaseMMY(pos.y()));
    UpdateOverlay();
    return;
  }
  if (!host) return;
  const double x = pos.x(), y = pos.y();
  const std::int64_t bx = BaseMMX(x), by = BaseMMY(y);
  if (fEditor->OnMouseMove && OnPage(bx, by))
    fEditor->OnMouseMove(Qt::NoButton, ShiftOf(event->modifiers(), event->buttons()), WorldX(x, true), WorldY(y, true));
  TAct& a = host->Act();
  if (a.Action == TORVAction::Selection || a.Action == TORVAction::Move) {
    if (!CoreDragging()) {
      CheckMove(x, y);
      return;
    }
    if (!(event->buttons() & Qt::LeftButton)) {
      // The button went up where we could not see it: the drag ends here.
      host->UpEditor(bx, by);
      fPressed = false;
      UpdateOverlay();
      return;
    }
    Current = pos;
    DragTo(bx, by);
    UpdateOverlay();
    return;
  }
  if (a.Action == TORVAction::TextSelect) {
    if (fPressed && (event->buttons() & Qt::LeftButton)) {
      const int caret = CalcCursorPosFromClick(x, y);
      fSelAnchor = fPressCaret;
      fCaret = caret;
      fSelStart = std::min(fPressCaret, caret);
      fSelEnd = std::max(fPressCaret, caret);
      UpdateOverlay();
    }
    return;
  }
  if (a.IsDrawing()) {
    TrackDrawPoint(x, y);
    UpdateOverlay();
  }
}

void TPLNBackEditor::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  const QPointF pos = event->position();
  const bool dbl = fDoubleClick && fPressed && event->button() == Qt::LeftButton &&
                   std::abs(pos.x() - fPressPos.x()) <= 3 && std::abs(pos.y() - fPressPos.y()) <= 3;
  if (event->button() == Qt::LeftButton) fDoubleClick = false;
  Release(event);
  if (dbl) DoubleClick();
}

void TPLNBackEditor::Release(QMouseEvent* event) {
  const QPointF pos = event->position();
  TPLNRulers& rulers = fEditor->Rulers();
  if (rulers.DragGuide != 0) {
    rulers.DragGuide = 0;
    UpdateOverlay();
    return;
  }
  TPlanoraFMX* host = fEditor->GetLabel();
  if (!host || event->button() != Qt::LeftButton) return;
  const bool pressed = fPressed;
  fPressed = false;
  TAct& a = host->Act();
  if (a.Action == TORVAction::TextSelect) {
    if (pressed && std::abs(pos.x() - fPressPos.x()) <= 3 && std::abs(pos.y() - fPressPos.y()) <= 3)
      SetEditCaret(CalcCursorPosFromClick(pos.x(), pos.y()), false);
    a.Action = TORVAction::Text;
    host->UpdateEditing(true);
    fFilter.ResetPos();
    UpdateOverlay();
    return;
  }
  const std::int64_t bx = BaseMMX(pos.x()), by = BaseMMY(pos.y());
  if (fEditor->OnMouseUp && OnPage(bx, by))
    fEditor->OnMouseUp(Qt::LeftButton, ShiftOf(event->modifiers(), Qt::LeftButton), WorldX(pos.x(), true),
                       WorldY(pos.y(), true));
  if (a.IsDrawing()) {
    // A press, drag and release draws a line or a box: the release is its second point, snapped
    // like a click.
    if (pressed && a.State() == 1 && OnPage(bx, by)) {
      TrackDrawPoint(pos.x(), pos.y());
      const std::size_t before = a.Points.size();
      host->UpEditor(fBaseX, fBaseY);
      if (a.Points.size() != before) {
        Anchor = Current;
        SetBasePoint(fBaseX, fBaseY);
      }
    }
    fFilter.ResetPos();
    UpdateOverlay();
    return;
  }
  // Even outside the page: a drag left running would go on moving items with the next hover.
  if (CoreDragging()) {
    if (pressed) DragTo(bx, by);
    host->UpEditor(bx, by);
    if (!a.IsDrawing()) Anchor = Current = pos;
  }
  fFilter.ResetPos();
  UpdateOverlay();
}

// Qt sends no press for a quick second click, only this event (press, release, double click,
// release): it is the press of whatever follows, a drag as much as a click. So it presses like
// any other press, and the double-click command waits for a release where it was pressed.
void TPLNBackEditor::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
  fDoubleClick = fPressed && event->button() == Qt::LeftButton && (fEditor->GetEditorOptions() & eoDblClick) != 0;
}

void TPLNBackEditor::DoubleClick() {
  TPlanoraFMX* host = fEditor->GetLabel();
  if (!host || !host->GetEditable() || CoreDragging()) return;
  // In a rich text a double click selects the word under it, starting the typing if need be.
  const bool words = (fEditor->GetEditorOptions() & eoRichTextToolbar) != 0;
  if (!(words && RichItem())) host->DoDblClick();
  if (words && RichItem()) SelectRichWordAt(fPressPos);
  UpdateOverlay();
}

void TPLNBackEditor::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  fHover = false;
  if (fLinkShown != 0 || fLink.Item != 0) {
    fLinkShown = 0;
    fLink = TORVink{};
    UpdateOverlay();
  }
  emit fEditor->PointerLeft();
}

void TPLNBackEditor::ReportPointer() {
  if (!fEditor->GetLabel() || !fHover) {
    emit fEditor->PointerLeft();
    return;
  }
  const TORVUnits u = fEditor->Units();
  emit fEditor->PointerMoved(Utils::GetValue(BaseMMX(fHoverPos.x()), u), Utils::GetValue(BaseMMY(fHoverPos.y()), u));
}

void TPLNBackEditor::ForgetHost() {
  fPressed = false;
  fDoubleClick = false;
  fChosenItem = nullptr;
  fChosenPoint = 0;
  fCoordEntry = false;
  fWasDrawing = false;
  fRef.Reset();
  fLink = TORVink{};
  fLinkShown = 0;
  fTyping = false;
  fEditItem = nullptr;
  fEditText.clear();
  fCaret = fSelStart = fSelEnd = 0;
  fSelAnchor = -1;
  fDragLayer = false;
  fDragItems.clear();
  fDragMask.clear();
  fInputOpen = false;
  fEditor->fInputText.clear();
  fEditor->fInputCaret = 0;
  fEditor->fPrevX = fEditor->fPrevY = -1;
  Anchor = Current;
  setCursor(Qt::ArrowCursor);
  DrawEditor();
}

// ---------------------------------------------------------------- document notifications

void TPLNBackEditor::DocumentChanged(TORChange change, TORChangeValue) {
  TPlanoraFMX* host = fEditor->GetLabel();
  if (!host) return;
  switch (change) {
    case TORChange::Action: {
      const TAct& a = host->Act();
      if (fDragLayer && (a.Move == TORVMoveKind::None || a.Move == TORVMoveKind::RubberBand)) EndDragLayer();
      const bool drawing = a.IsDrawing();
      if (drawing && !fWasDrawing) {
        IniEdition(true);
      } else if (!drawing && fWasDrawing) {
        fCoordEntry = false;
        fRef.Reset();
        CloseInput();
        ResetInputText(false);
      }
      fWasDrawing = drawing;
      if (!drawing || a.Kind != TORVDrawKind::Link) {
        fLink = TORVink{};
        fLinkShown = 0;
      }
      const Qt::CursorShape shape = drawing ? Qt::CrossCursor : a.IsText() ? Qt::IBeamCursor : Qt::ArrowCursor;
      if (cursor().shape() != shape) setCursor(shape);
      UpdateOverlay();
      break;
    }
    case TORChange::TextEditing: {
      const TPLNBaseItem* item = host->GetTextObject();
      QString text;
      if (!item || !TextOf(item, &text, nullptr)) text = host->Act().Text;
      if (!fTyping || item != fEditItem) {
        fTyping = true;
        fEditItem = item;
        fEditText = text;
        fCaret = fSelStart = fSelEnd = static_cast<int>(text.size());
        fSelAnchor = -1;
      } else {
        fEditText = text;
        const int len = static_cast<int>(text.size());
        fCaret = std::clamp(fCaret, 0, len);
        fSelStart = std::clamp(fSelStart, 0, len);
        fSelEnd = std::clamp(fSelEnd, fSelStart, len);
      }
      UpdateOverlay();
      break;
    }
    case TORChange::StopTextEditing:
      fTyping = false;
      fEditItem = nullptr;
      fEditText.clear();
      fCaret = fSelStart = fSelEnd = 0;
      fSelAnchor = -1;
      UpdateOverlay();
      break;
    case TORChange::Document:
      // Sent after every grouped change as well as after a load: only a text object that is
      // gone ends the typing here.
      if (fTyping && !host->GetTextObject()) {
        fTyping = false;
        fEditItem = nullptr;
        fEditText.clear();
        fCaret = fSelStart = fSelEnd = 0;
        fSelAnchor = -1;
      }
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------- text being typed

bool TPLNBackEditor::EditTextGeometry(QRectF& box, QString& family) const {
  const TPlanoraFMX* host = fEditor->GetLabel();
  const TPLNBaseItem* item = host ? host->GetTextObject() : nullptr;
  if (!item || !TextOf(item, nullptr, &family)) return false;
  const TORVBounds b = item->GetBounds();
  if (b.IsEmpty()) return false;
  box = QRectF(ToScreen(b.X1, b.Y1), ToScreen(b.X2, b.Y2)).normalized();
  return true;
}

namespace {

// The laid-out lines of a wrapped text box (a paragraph or a flow box) on paper, the metrics
// they were measured with, and where their origin lies from the top-left of the box: a
// paragraph's lines hold its paddings, a flow box's start inside them.
struct TBoxText {
  const TxtLines* Lines = nullptr;
  const Text::TORVTextMetrics* Metrics = nullptr;
  TORVAngle Angle = TORVAngle::A0;
  QString Text;
  std::int64_t FontHeight = 0;
  std::int64_t OriginX = 0;
  std::int64_t OriginY = 0;
};

bool BoxTextOf(const TPLNBaseItem* item, TBoxText& out) {
  if (const auto* p = dynamic_cast<const Text::TPLNBasePara*>(item)) {
    out = {&p->Lines(), &p->Metrics(), p->GetAngle(), p->GetText(), p->GetBaseFontHeight(), 0, 0};
    return true;
  }
  if (const auto* f = dynamic_cast<const F2d::TPLNBaseFlow*>(item)) {
    out = {&f->Lines(),          &f->Metrics(),     f->GetAngle(),    f->GetText(),
           f->GetBaseFontHeight(), f->GetBasePadX(), f->GetBasePadY()};
    return true;
  }
  return false;
}

}  // namespace

// A wrapped paragraph or flow box shows its laid-out lines, each measured on its own; anything
// else is one line filling the text's box: character positions are the font's advances scaled to
// the line, so caret and clicks agree with each other whatever font stands in.
std::vector<TPLNBackEditor::TEditLine> TPLNBackEditor::EditLines() const {
  std::vector<TEditLine> lines;
  QRectF box;
  QString family;
  if (!EditTextGeometry(box, family)) return lines;
  const QFontMetricsF fm{QFont(family)};
  const TPlanoraFMX* host = fEditor->GetLabel();
  const TPLNBaseItem* item = host->GetTextObject();
  TBoxText bt;
  const bool boxed = BoxTextOf(item, bt) && item->NumPoints() >= 2;
  const Text::TORVTextMetrics m = boxed ? *bt.Metrics : Text::TORVTextMetrics{};
  const double fontPx = fm.ascent() + fm.descent();
  // Lines are laid out on paper: screen pixels per paper base unit.
  const double k = (ToScreen(1000000, 0).x() - ToScreen(0, 0).x()) / 1e6 * double(host->GetCoordMultiplier());
  if (boxed && fEditText.isEmpty() && dynamic_cast<const F2d::TPLNBaseFlow*>(item)) {
    // A flow box's caption is centred: the caret of an empty one stands in the middle.
    TEditLine e;
    const double h = double(bt.FontHeight) * k;
    e.Left = box.center().x();
    e.Top = box.center().y() - h / 2;
    e.Bottom = e.Top + h;
    lines.push_back(e);
    return lines;
  }
  if (boxed && bt.Angle == TORVAngle::A0 && bt.Text == fEditText && !bt.Lines->empty() && m.Asc + m.Des > 0 &&
      fontPx > 0) {
    const TORVPto p1 = item->GetPoint(1), p2 = item->GetPoint(2);
    const QPointF corner = ToScreen(std::min(p1.X, p2.X), std::min(p1.Y, p2.Y));
    const double height = double(m.Asc + m.Des) * k;
    const int len = static_cast<int>(fEditText.size());
    for (const TORVTxtInf& l : *bt.Lines) {
      TEditLine e;
      e.Start = std::clamp(l.Start - 1, 0, len);
      e.End = std::clamp(e.Start + l.Count, e.Start, len);
      while (e.End > e.Start && (fEditText[e.End - 1] == QLatin1Char('\n') || fEditText[e.End - 1] == QLatin1Char('\r'))) --e.End;
      e.Left = corner.x() + double(bt.OriginX + l.X) * k;
      e.Top = corner.y() + double(bt.OriginY + l.Y) * k;
      e.Bottom = e.Top + height;
      e.Scale = height / fontPx;
      lines.push_back(e);
    }
    return lines;
  }
  TEditLine e;
  e.End = static_cast<int>(fEditText.size());
  e.Left = box.left();
  e.Top = box.top();
  e.Bottom = box.bottom();
  const double all = fm.horizontalAdvance(fEditText);
  e.Scale = all > 0 ? box.width() / all : 0;
  lines.push_back(e);
  return lines;
}

// Where a wrapped line ends the next begins: that position is the start of the next line, as
// the caret after a typed space moves on to it.
std::size_t TPLNBackEditor::LineIndexOf(const std::vector<TEditLine>& lines, int pos) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (pos < lines[i].End) return i;
    if (pos == lines[i].End && (i + 1 == lines.size() || lines[i + 1].Start > pos)) return i;
  }
  return lines.size() - 1;
}

const TPLNBackEditor::TEditLine& TPLNBackEditor::LineOf(const std::vector<TEditLine>& lines, int pos) {
  return lines[LineIndexOf(lines, pos)];
}

double TPLNBackEditor::EditCharX(const TEditLine& line, int pos) const {
  QRectF box;
  QString family;
  if (!EditTextGeometry(box, family)) return line.Left;
  const QFontMetricsF fm{QFont(family)};
  pos = std::clamp(pos, line.Start, line.End);
  return line.Left + fm.horizontalAdvance(fEditText.mid(line.Start, pos - line.Start)) * line.Scale;
}

double TPLNBackEditor::EditCharX(int pos) const {
  const std::vector<TEditLine> lines = EditLines();
  return lines.empty() ? 0 : EditCharX(LineOf(lines, pos), pos);
}

int TPLNBackEditor::CalcCursorPosFromClick(double x) const {
  if (const TPLNRichText* rich = RichItem()) {
    // On the caret's line.
    const RichText::TRichCaret c = RichText::CaretAt(rich->Segments(), fCaret, rich->Measure());
    const QPointF mid = RichTransform(rich).map(QPointF(double(c.X), double(c.Top + c.Bottom) / 2));
    return CalcRichTextCursorPosFromClick(x, mid.y());
  }
  const std::vector<TEditLine> lines = EditLines();
  if (!fTyping || lines.empty()) return fCaret;
  const TEditLine& l = LineOf(lines, fCaret);
  return CalcCursorPosFromClick(x, (l.Top + l.Bottom) / 2);
}

int TPLNBackEditor::CalcCursorPosFromClick(double x, double y) const {
  if (RichItem()) return CalcRichTextCursorPosFromClick(x, y);
  const std::vector<TEditLine> lines = EditLines();
  if (!fTyping || lines.empty()) return fCaret;
  // The line under y, or the nearest one above or below.
  const TEditLine* line = &lines.front();
  double far = std::numeric_limits<double>::max();
  for (const TEditLine& l : lines) {
    const double d = y < l.Top ? l.Top - y : (y > l.Bottom ? y - l.Bottom : 0);
    if (d < far) {
      far = d;
      line = &l;
    }
  }
  int best = line->Start;
  double dist = std::abs(EditCharX(*line, line->Start) - x);
  for (int i = line->Start + 1; i <= line->End; ++i) {
    const double d = std::abs(EditCharX(*line, i) - x);
    if (d < dist) {
      dist = d;
      best = i;
    }
  }
  return best;
}

int TPLNBackEditor::CaretLineMove(int direction) const {
  if (RichItem()) return CalcRichTextLineMove(fCaret, direction > 0);
  const std::vector<TEditLine> lines = EditLines();
  if (lines.empty()) return fCaret;
  const std::size_t at = LineIndexOf(lines, fCaret);
  const long next = static_cast<long>(at) + direction;
  if (next < 0 || next >= static_cast<long>(lines.size())) return fCaret;
  const TEditLine& to = lines[static_cast<std::size_t>(next)];
  return CalcCursorPosFromClick(EditCharX(lines[at], fCaret), (to.Top + to.Bottom) / 2);
}

void TPLNBackEditor::EditTextChanged() {
  TPlanoraFMX* host = fEditor->GetLabel();
  host->Act().Text = fEditText;
  host->SetTextObjectText(fEditText);
  host->UpdateEditing(true);
  UpdateOverlay();
}

void TPLNBackEditor::SetEditCaret(int caret, bool extend) {
  caret = std::clamp(caret, 0, static_cast<int>(fEditText.size()));
  if (extend) {
    if (fSelAnchor < 0) fSelAnchor = fSelStart != fSelEnd ? (fCaret == fSelStart ? fSelEnd : fSelStart) : fCaret;
    fCaret = caret;
    fSelStart = std::min(fSelAnchor, caret);
    fSelEnd = std::max(fSelAnchor, caret);
  } else {
    fSelAnchor = -1;
    fCaret = fSelStart = fSelEnd = caret;
  }
}

void TPLNBackEditor::MoveCaret(int to, bool extend) {
  if (!fTyping) return;
  SetEditCaret(to, extend);
  if (TPlanoraFMX* host = fEditor->GetLabel()) host->UpdateEditing(true);
  UpdateOverlay();
}

void TPLNBackEditor::InsertEditText(const QString& s) {
  if (!fTyping) return;
  if (TPLNRichText* rich = RichItem()) {
    // The selection goes first; the text takes the format of the character before it.
    QString markup = rich->GetRichText();
    int at = std::clamp(fCaret, 0, static_cast<int>(fEditText.size()));
    if (fSelEnd > fSelStart) {
      markup = RichText::DeleteRange(markup, fSelStart, fSelEnd);
      at = fSelStart;
    }
    int added = 0;
    markup = RichText::InsertText(markup, at, s, &added);
    RichMarkupChanged(markup, at + added, at + added, at + added);
    return;
  }
  const int len = static_cast<int>(fEditText.size());
  int at = std::clamp(fCaret, 0, len);
  if (fSelEnd > fSelStart) {
    const int from = std::clamp(fSelStart, 0, len), to = std::clamp(fSelEnd, from, len);
    fEditText.remove(from, to - from);
    at = from;
  }
  fEditText.insert(at, s);
  SetEditCaret(at + static_cast<int>(s.size()), false);
  EditTextChanged();
}

void TPLNBackEditor::DeleteEditChar(int kind) {
  if (!fTyping) return;
  if (TPLNRichText* rich = RichItem()) {
    const int len = static_cast<int>(fEditText.size());
    int from = fSelStart, to = fSelEnd;
    if (from == to) {
      from = kind == 0 ? fCaret - 1 : fCaret;
      to = from + 1;
      // A character outside the basic plane is two units: both go.
      if (kind == 0 && from > 0 && fEditText[from].isLowSurrogate() && fEditText[from - 1].isHighSurrogate()) --from;
      if (kind != 0 && to < len && fEditText[from].isHighSurrogate() && fEditText[to].isLowSurrogate()) ++to;
    }
    if (from < 0 || to > len || from >= to) return;
    RichMarkupChanged(RichText::DeleteRange(rich->GetRichText(), from, to), from, from, from);
    return;
  }
  if (fSelEnd > fSelStart) {
    const int len = static_cast<int>(fEditText.size());
    const int from = std::clamp(fSelStart, 0, len), to = std::clamp(fSelEnd, from, len);
    fEditText.remove(from, to - from);
    SetEditCaret(from, false);
    EditTextChanged();
    return;
  }
  if (!TXTUtils::DeleteCharPos(fEditText, fCaret, kind)) return;
  SetEditCaret(kind == 0 ? fCaret - 1 : fCaret, false);
  EditTextChanged();
}

void TPLNBackEditor::PasteFromClipBoard() {
  if (!fTyping) return;
  if (RichItem()) {
    PasteRichText();
    return;
  }
  const QString text = QGuiApplication::clipboard()->text();
  if (!text.isEmpty()) InsertEditText(text);
}

void TPLNBackEditor::ValidateImputText(bool finish) {
  TPlanoraFMX* host = fEditor->GetLabel();
  if (finish && host) {
    const TPLNRichText* rich = RichItem();
    host->Act().Text = rich ? rich->GetRichText() : fEditText;
    host->Clear(true, true);
    setCursor(Qt::ArrowCursor);
    host->Act().Reset();
    fTyping = false;
    fEditItem = nullptr;
    fEditText.clear();
    fCaret = fSelStart = fSelEnd = 0;
    fSelAnchor = -1;
  }
  DrawEditor();
}

// ---------------------------------------------------------------- coordinate input

void TPLNBackEditor::PrepareInput() {
  const TSkFont font{QStringLiteral("Verdana"), float(ScalePos(15, fDPIX))};
  const TSkFontMetrics m = font.Metrics();
  const double w = std::ceil(font.MeasureText(QStringLiteral("@8888888,8888888")) + 4);
  const double h = std::ceil(std::abs(m.Ascent) + std::abs(m.Descent) + 4);
  // Below and right of the pointer, where the eyes are; on the other side where the surface
  // ends, and never over the rulers.
  const QPointF at = fHover ? fHoverPos : Current;
  constexpr double kOffset = 16;
  double x = at.x() + kOffset, y = at.y() + kOffset;
  if (x + w > width() - fRulerR) x = at.x() - kOffset - w;
  if (y + h > height() - fRulerB) y = at.y() - kOffset - h;
  x = std::clamp(x, double(fRulerL), std::max(double(fRulerL), width() - fRulerR - w));
  y = std::clamp(y, double(fRulerT), std::max(double(fRulerT), height() - fRulerB - h));
  fInputRect = QRectF(std::round(x), std::round(y), w, h);
  fInputOpen = true;
  UpdateOverlay();
}

void TPLNBackEditor::CloseInput() {
  if (!fInputOpen) return;
  fInputOpen = false;
  UpdateOverlay();
}

void TPLNBackEditor::ResetInputText(bool repaint) {
  fEditor->fInputText.clear();
  fEditor->fInputCaret = 0;
  if (repaint) UpdateOverlay();
}

bool TPLNBackEditor::InputChar(QChar c) {
  QString& text = fEditor->fInputText;
  int& caret = fEditor->fInputCaret;
  caret = std::clamp(caret, 0, static_cast<int>(text.size()));
  const bool once = c == u',' || c == u'<' || c == u'@';
  if (c == u'-') {
    if (!ValidInputKey(text, c, caret)) return false;
  } else if (!(c >= u'0' && c <= u'9') && c != u'.' && !once) {
    return false;
  }
  if (once && text.contains(c)) return false;
  text.insert(caret, c);
  ++caret;
  if (!fInputOpen) PrepareInput();
  else UpdateOverlay();
  return true;
}

bool TPLNBackEditor::ParseInput() {
  QString t = fEditor->fInputText.trimmed();
  if (t.isEmpty()) return false;
  const QLocale c = QLocale::c();
  const bool relative = t.startsWith(u'@');
  if (relative) t = t.mid(1);
  const bool hasPrev = fEditor->fPrevX >= 0 && fEditor->fPrevY >= 0;
  if (relative && t.isEmpty()) {
    if (!hasPrev) return false;
    InputText(fEditor->fPrevX, fEditor->fPrevY);
    return true;
  }
  const qsizetype comma = t.indexOf(u',');
  bool ok = false;
  if (comma < 0) {
    if (relative) return false;
    const double v = c.toDouble(t, &ok);
    if (!ok || !std::isfinite(v)) return false;
    InputValue(v);
    return true;
  }
  bool okY = false;
  const double vx = c.toDouble(t.left(comma), &ok);
  const double vy = c.toDouble(t.mid(comma + 1), &okY);
  if (!ok || !okY || !std::isfinite(vx) || !std::isfinite(vy)) return false;
  // Far beyond any page: refused rather than overflowing the coordinates.
  if (std::abs(vx) > 1e9 || std::abs(vy) > 1e9) return false;
  std::int64_t x = BaseMM(vx), y = BaseMM(vy);
  if (relative && hasPrev) {
    x += fEditor->fPrevX;
    y += fEditor->fPrevY;
  }
  InputText(x, y);
  return true;
}

void TPLNBackEditor::InputText(std::int64_t x, std::int64_t y) {
  TPlanoraFMX* host = fEditor->GetLabel();
  if (!host) return;
  TAct& a = host->Act();
  fRef.Found = false;
  fBaseX = x;
  fBaseY = y;
  Current = ToScreen(x, y);
  Anchor = Current;
  a.Current = TORVPto{x, y};
  host->PickEditor(x, y, Tolerance(), Shift::None, false);
  SetBasePoint(x, y);
  ResetInputText(false);
  CloseInput();
  UpdateOverlay();
}

void TPLNBackEditor::InputValue(double value) {
  TPlanoraFMX* host = fEditor->GetLabel();
  if (!host) return;
  host->PickEditorValue(value);
  ResetInputText(false);
  CloseInput();
  UpdateOverlay();
}

// ---------------------------------------------------------------- keyboard

bool TPLNBackEditor::KeyChar(const QString& text) {
  TPlanoraFMX* host = fEditor->GetLabel();
  if (!host || text.isEmpty() || !host->GetEditable()) return false;
  for (QChar c : text)
    if (!c.isPrint()) return false;  // control characters (Ctrl+V arrives as one) are commands
  const TAct& a = host->Act();
  if (fCoordEntry && a.IsDrawing() && !fTyping) {
    if (!(fEditor->GetEditorOptions() & eoKeyboard)) return false;
    for (QChar c : text) InputChar(c);
    return true;  // refused characters are swallowed too: they mean nothing here
  }
  if (!fTyping) return false;
  InsertEditText(text);
  return true;
}

void TPLNBackEditor::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  const bool command = mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (!command && KeyChar(event->text())) {
    event->accept();
    return;
  }
  // Undo and redo for hosts without menus of their own (a window's shortcuts take them first).
  const bool undo = event->matches(QKeySequence::Undo);
  const bool redo = event->matches(QKeySequence::Redo) || (mods == Qt::ControlModifier && event->key() == Qt::Key_Y);
  if (undo || redo) {
    event->accept();
    TPlanoraFMX* host = fEditor->GetLabel();
    if (!host || !host->GetEditable() || (fPressed && CoreDragging())) return;
    // A rich text's changes are steps of their own: undo takes one back and the typing goes on.
    TPLNRichText* rich = RichItem();
    const int caret = fCaret;
    if (undo ? host->CanUndo() : host->CanRedo()) undo ? host->Undo() : host->Redo();
    if (rich && host->IndexOf(rich) > 0 && host->EditItemText(rich)) {
      const int len = static_cast<int>(fEditText.size());
      fCaret = fSelStart = fSelEnd = std::clamp(caret, 0, len);
      fSelAnchor = -1;
    }
    UpdateOverlay();
    return;
  }
  if (fEditor->InputKeyDown(event->key(), mods)) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);  // unhandled keys go on to the window (menus)
}

// ---------------------------------------------------------------- editor commands

bool TPLNBaseEditor::InputKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  if (!fLabel) return false;
  const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
  TAct& a = fLabel->Act();
  TPLNBackEditor* s = fSurface;
  if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
    if (key == Qt::Key_Backtab || (mods & Qt::ShiftModifier)) fLabel->SelectPrior();
    else fLabel->SelectNext();
    return true;
  }
  if (!fLabel->GetEditable()) return false;
  const bool ctrl = mods == Qt::ControlModifier, shift = mods == Qt::ShiftModifier, plain = mods == Qt::NoModifier;
  switch (key) {
    case Qt::Key_F8:
      SetOrtoLines(!fOrtoLines);
      return true;
    case Qt::Key_F9:
      SetSnap(fSnap ^ snGrid);
      return true;
    case Qt::Key_Escape:
      fLabel->ResetAction();
      s->ResetPoints();
      s->CloseInput();
      s->ResetInputText(true);
      return true;
    default:
      break;
  }
  // While the pointer drags, the document is mid-change: leave it to the drag.
  if (s->fPressed && s->CoreDragging()) return false;

  const bool coordEntry = s->CoordEntry() && a.IsDrawing() && !s->Typing();
  if (coordEntry) {
    if (key == Qt::Key_F4) return true;
    if (fOptions & eoKeyboard) {
      fInputCaret = std::clamp(fInputCaret, 0, static_cast<int>(fInputText.size()));
      switch (key) {
        case Qt::Key_Left:
          if (fInputCaret > 0) --fInputCaret;
          s->UpdateOverlay();
          return true;
        case Qt::Key_Right:
          if (fInputCaret < fInputText.size()) ++fInputCaret;
          s->UpdateOverlay();
          return true;
        case Qt::Key_Backspace:
          if (TXTUtils::DeleteCharPos(fInputText, fInputCaret, 0)) --fInputCaret;
          s->UpdateOverlay();
          return true;
        case Qt::Key_Delete:
          TXTUtils::DeleteCharPos(fInputText, fInputCaret, 1);
          s->UpdateOverlay();
          return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
          s->ParseInput();
          return true;
        default:
          break;
      }
    }
  }

  if (s->Typing()) {
    const bool extend = (mods & Qt::ShiftModifier) != 0;
    const bool word = (mods & Qt::ControlModifier) != 0;
    const QString& text = s->EditText();
    switch (key) {
      case Qt::Key_Left:
      case Qt::Key_Right: {
        // Ctrl+arrows with several items selected still nudge the selection.
        if (ctrl && fLabel->GetSelectionCount() > 1) break;
        const bool left = key == Qt::Key_Left;
        int to = s->Caret() + (left ? -1 : 1);
        if (word) to = left ? TXTUtils::FindPrevWordBoundary(text, s->Caret()) : TXTUtils::FindNextWordBoundary(text, s->Caret());
        s->MoveCaret(to, extend);
        return true;
      }
      case Qt::Key_Home:
      case Qt::Key_End: {
        const bool home = key == Qt::Key_Home;
        // In a rich text Home and End go to the ends of the caret's line, with Ctrl to the text's.
        if (const TPLNRichText* rich = s->RichItem(); rich && !word) {
          const RichText::TRichCaret c = RichText::CaretAt(rich->Segments(), s->Caret(), rich->Measure());
          const std::int64_t far = home ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
          s->MoveCaret(c.Line < 0 ? s->Caret() : RichText::PosAt(rich->Segments(), far, (c.Top + c.Bottom) / 2, rich->Measure()),
                       extend);
          return true;
        }
        s->MoveCaret(home ? 0 : static_cast<int>(text.size()), extend);
        return true;
      }
      case Qt::Key_A:
        if (!ctrl) return false;
        s->MoveCaret(0, false);
        s->MoveCaret(static_cast<int>(text.size()), true);
        return true;
      case Qt::Key_B:
      case Qt::Key_I:
      case Qt::Key_U:
        if (!ctrl || !s->RichItem() || !(fOptions & eoRichTextToolbar)) return false;
        s->ToggleRichFormat(QStringLiteral("<%1>").arg(QChar(key)), QStringLiteral("</%1>").arg(QChar(key)));
        return true;
      case Qt::Key_X:
        if (!ctrl || !s->RichItem()) return false;
        s->CopyRichSelection(true);
        return true;
      case Qt::Key_Backspace:
        s->DeleteEditChar(0);
        return true;
      case Qt::Key_Delete:
        s->DeleteEditChar(1);
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (s->RichItem()) {
          s->InsertLineBreak();
          return true;
        }
        // A flow box's caption is a few short lines: Enter breaks the line, Ctrl+Enter, Escape or
        // a click outside ends the typing.
        if (!ctrl && dynamic_cast<const F2d::TPLNBaseFlow*>(fLabel->GetTextObject())) {
          s->InsertEditText(QStringLiteral("\n"));
          return true;
        }
        s->ValidateImputText(true);
        return true;
      case Qt::Key_V:
        if (!ctrl) return false;
        s->PasteFromClipBoard();
        return true;
      case Qt::Key_C:
        if (!ctrl) return false;
        if (s->RichItem()) s->CopyRichSelection(false);
        else if (s->SelEnd() > s->SelStart())
          QGuiApplication::clipboard()->setText(text.mid(s->SelStart(), s->SelEnd() - s->SelStart()));
        return true;
      case Qt::Key_Up:
      case Qt::Key_Down:
        if (ctrl && fLabel->GetSelectionCount() > 1) break;
        // The line above or below in a wrapped paragraph; a single line has neither.
        s->MoveCaret(s->CaretLineMove(key == Qt::Key_Up ? -1 : 1), extend);
        return true;
      default:
        return false;
    }
  }

  if (key == Qt::Key_V && ctrl) {
    if (a.IsDrawing() && a.Kind == TORVDrawKind::Text) {
      s->PasteFromClipBoard();
      return true;
    }
    // Items copied in another window or application come through the system clipboard; text
    // that holds none is reported, and the drawing stays as it was.
    try {
      fLabel->PasteFromClipboard();
    } catch (const EPLNError& e) {
      if (fLabel->OnInfoMsg) fLabel->OnInfoMsg(e.Message());
    }
    return true;
  }
  if (fLabel->GetSelectionCount() == 0) return false;
  const bool selecting = a.Action == TORVAction::Selection || a.Action == TORVAction::Move;
  switch (key) {
    case Qt::Key_Delete:
      if (!plain || !selecting) return false;
      if (const int point = s->ChosenPoint()) fLabel->DeletePoint(point);
      else fLabel->DeleteSelection();
      s->fChosenItem = nullptr;
      s->fChosenPoint = 0;
      return true;
    case Qt::Key_C:
      if (!ctrl) return false;
      fLabel->CopyToClipboard();
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
      const int dirX = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
      const int dirY = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
      if (ctrl) {
        // With grid snapping one grid step, so items stay on the grid.
        const bool grid = (fSnap & snGrid) != 0;
        const TORVUnits u = Units();
        const double stepX = grid ? Utils::GetValue(fGrid->BaseIncX(), u) : GetMoveX();
        const double stepY = grid ? Utils::GetValue(fGrid->BaseIncY(), u) : GetMoveY();
        fLabel->MoveSelection(dirX * stepX, dirY * stepY, fShowRefLines, true);
        return true;
      }
      if (shift) {
        const int side = dirX < 0 ? 1 : dirY < 0 ? 2 : dirX > 0 ? 3 : 4;
        fLabel->MoveSize(dirX != 0 ? GetMoveX() : GetMoveY(), side, fShowRefLines, true);
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

void TPLNBaseEditor::AlignSelected(int side) {
  if (!fLabel || fLabel->GetSelectionCount() == 0) return;
  const std::int64_t bound = fLabel->SelectionBounds(side);
  if (bound < 0) return;
  const bool vertical = side == 1 || side == 3;  // left and right meet the vertical guide
  const std::int64_t guide = vertical ? fRulers->GuideX : fRulers->GuideY;
  if (bound == guide) return;
  const double d = Utils::GetValue(guide - bound, Units());
  fLabel->MoveSelection(vertical ? d : 0, vertical ? 0 : d, fShowRefLines, true);
  DrawEditor();
}

void TPLNBaseEditor::AlignSelectedLeft() { AlignSelected(1); }
void TPLNBaseEditor::AlignSelectedTop() { AlignSelected(2); }
void TPLNBaseEditor::AlignSelectedRight() { AlignSelected(3); }
void TPLNBaseEditor::AlignSelectedBottom() { AlignSelected(4); }

}  // namespace Orv::Fmx
