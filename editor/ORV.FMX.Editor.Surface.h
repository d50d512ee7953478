#pragma once
// The editor's drawing surface: page placement, zoom fit, scrolling, every conversion between
// screen pixels and document base units, and the painting of page, grid, items and rulers.

#include <QElapsedTimer>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QThreadPool>
#include <QTimer>
#include <QTransform>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "ORV.Base.h"
#include "ORV.Canvas.h"
#include "ORV.FMX.Editor.Settings.h"
#include "ORV.FMX.Types.h"
#include "ORV.RichText.h"

class QPainter;

namespace Orv::F2d {
struct TORVLinkGeom;
enum class TORVinkType : std::uint8_t;
}  // namespace Orv::F2d

namespace Orv::Fmx {

// A one-pixel line paint, as rulers, grid, handles and bands are drawn.
inline Canvas::TSkPaint Hairline(TAlphaColor color, bool antiAlias = false) {
  Canvas::TSkPaint p;
  p.Color = color;
  p.Style = Canvas::TSkPaintStyle::Stroke;
  p.StrokeWidth = 0;
  p.AntiAlias = antiAlias;
  return p;
}

class TPLNBaseEditor;
class TPLNRichText;

class TPLNBackEditor : public QWidget {
  Q_OBJECT

 public:
  explicit TPLNBackEditor(TPLNBaseEditor* editor);
  ~TPLNBackEditor() override;

  TPLNBaseEditor* Editor() const { return fEditor; }
  TPLNDraw& DrawContext() { return fDraw; }

  // ---- geometry (pixels unless said otherwise)
  void GetDPIs();
  int DPIX() const { return fDPIX; }
  int DPIY() const { return fDPIY; }
  // Page size at zoom 1 in pixels and in base units (as it lies on paper).
  void SetPageSize(std::int32_t width, std::int32_t height, std::int64_t baseWidth, std::int64_t baseHeight);
  // The label of the attached document's measure, or 200 x 200 mm.
  void UpdatePageSize();
  std::int32_t PageWidth() const { return fPageW; }
  std::int32_t PageHeight() const { return fPageH; }
  std::int64_t PageBaseWidth() const { return fPageBaseW; }
  std::int64_t PageBaseHeight() const { return fPageBaseH; }
  std::int32_t ZoomPageWidth() const { return fPageZW; }
  std::int32_t ZoomPageHeight() const { return fPageZH; }
  std::int16_t RulerLeft() const { return fRulerL; }
  std::int16_t RulerTop() const { return fRulerT; }
  std::int16_t RulerRight() const { return fRulerR; }
  std::int16_t RulerBottom() const { return fRulerB; }
  std::int16_t MarginLeft() const { return fMarginL; }
  std::int16_t MarginTop() const { return fMarginT; }
  std::int16_t MarginRight() const { return fMarginR; }
  std::int16_t MarginBottom() const { return fMarginB; }
  std::int32_t ContentWidth() const { return fContentW; }
  std::int32_t ContentHeight() const { return fContentH; }
  std::int32_t ScrollX() const { return fScrollX; }
  std::int32_t ScrollY() const { return fScrollY; }
  std::int32_t ClientWidth() const { return fClientW; }
  std::int32_t ClientHeight() const { return fClientH; }
  std::int32_t GapBase() const { return fGapBase; }
  bool DrawingEnabled() const { return fDrawingEnabled; }

  // ---- conversions
  // A value in the document's unit to base units.
  std::int64_t BaseMM(double v) const;
  // Screen position to document base units, and back.
  std::int64_t BaseMMX(double x) const;
  std::int64_t BaseMMY(double y) const;
  int ScreenMMX(std::int64_t b) const;
  int ScreenMMY(std::int64_t b) const;
  // A length in base units to pixels at zoom 1.
  double BaseToScreenX(std::int64_t b) const;
  double BaseToScreenY(std::int64_t b) const;
  // Zoom-1 pixels to screen pixels, optionally placed on the page.
  int DrawDMMX(double v, bool withOrigin) const;
  int DrawDMMY(double v, bool withOrigin) const;
  // A screen position (fromScreen) or a pixel length in the document's unit.
  double WorldX(double x, bool fromScreen) const;
  double WorldY(double y, bool fromScreen) const;
  // A value in the document's unit to screen pixels, optionally placed on the page.
  int CoordDX(double v, bool withOrigin) const;
  int CoordDY(double v, bool withOrigin) const;
  // Millimetres of a pixel count at zoom 1.
  double CoordX(int px) const;
  // Pixels per document unit at the current zoom.
  double FX() const;
  double FY() const;
  int BX() const { return fRulerL; }
  int BY() const { return fRulerT; }
  // The visible page's top-left edge and its far edge.
  int CMX() const;
  int CMY() const;
  int MaxX() const;
  int MaxY() const;
  // Where the page origin lies on the surface.
  double TranslateX() const;
  double TranslateY() const;
  void SetGap();

  // ---- zoom and scrolling
  void CustomZoom();
  void CheckDScroll();
  // New page placement and scroll ranges for the current size, then a repaint.
  void Resize();
  void ChangeScrollHorz();
  void ChangeScrollVert();
  void MoveScrollPoint(double dx, double dy);
  void EnsureItemVisible(const TPLNBaseItem* item);
  void ScrollItem(const TPLNBaseItem* item);
  // Draws page and items again, then repaints.
  void DrawEditor();
  // Repaints what lies over the page (rulers, guides, marks); the page and its items are kept
  // from the last drawing.
  void UpdateOverlay();
  void BeginUpdate() { fDrawingEnabled = false; }
  void EndUpdate();

  // ---- painting
  // The whole surface on `canvas` (device pixels), limited to what meets `rect`.
  void Draw(Canvas::ISkCanvas& canvas, const QRectF& rect);
  void PaintRulers(Canvas::ISkCanvas& canvas);
  void PaintTopBottomRuler(Canvas::ISkCanvas& canvas, const Canvas::TSkPaint& backPaint,
                           const Canvas::TSkPaint& textPaint, const Canvas::TSkFont& font, float textHeight);
  void PaintLeftRightRuler(Canvas::ISkCanvas& canvas, const Canvas::TSkPaint& backPaint,
                           const Canvas::TSkPaint& textPaint, const Canvas::TSkFont& font, float textHeight);
  // Tick spacing along one direction, in the document's unit.
  struct TTickPos {
    double Extent = 0;   // ticks run from 0 to here
    double Minor = 0;    // tick step
    double MinorPx = 0;  // its screen length
    double Label = 0;    // label step; 0 when no step is wide enough
  };
  TTickPos CheckTickPos(bool vertical) const;
  // Grid inside the page transform (zoom-1 pixels); `paint` carries nothing the grid keeps.
  void DrawGrid(Canvas::ISkCanvas& canvas, Canvas::TSkPaint& paint);
  void DrawAlignLines(Canvas::ISkCanvas& canvas);

  // Pointer anchor and current point on screen (a drag is in progress while they differ).
  QPointF Anchor;
  QPointF Current;

  // ---- pointer interaction
  // Pick tolerance handed to the document: the gap in base units at the drawing scale.
  std::int64_t Tolerance() const;
  // Grid rounding of a base coordinate: the nearest step, a remainder of exactly half a step
  // rounding down (towards the smaller value, negative coordinates too); -1 while grid snapping
  // is off.
  std::int64_t GridX(std::int64_t v) const;
  std::int64_t GridY(std::int64_t v) const;
  static std::int64_t RoundToStep(std::int64_t v, std::int64_t step);
  // The drawing point under a widget position, on the nearest grid point while grid snapping is on.
  TORVPto GridPoint(QPointF pos) const;
  // Rounds the current base point to the grid and places the current screen point on it; with
  // `keepX` (`keepY`) that coordinate stays as it is (it was fixed by an orthogonal projection).
  void AdjustGrid(bool keepX = false, bool keepY = false);
  // The point on the horizontal or vertical through `anchor` nearest to `p` (ties go vertical).
  static QPointF OrtoPoint(QPointF anchor, QPointF p);
  // Hit test of the selection handles at a press; grabs the handle hit.
  bool CheckDown(double x, double y);
  // Cursor over the handle under the pointer.
  void CheckMove(double x, double y);
  // Stores the point just placed as the editor's base point and the previous point.
  void SetBasePoint(std::int64_t x, std::int64_t y);
  // An item-creating action starts (`flag`) or not: forgets the snapped point and the typed
  // coordinates and takes the focus.
  void IniEdition(bool flag);
  bool CoordEntry() const { return fCoordEntry; }
  std::int64_t BaseX() const { return fBaseX; }
  std::int64_t BaseY() const { return fBaseY; }
  const TORVRef& Ref() const { return fRef; }
  // While the link tool runs: the connector under the pointer (Item 0: none) and the item whose
  // connectors are shown (its identifier, 0: none).
  const TORVink& LinkRecord() const { return fLink; }
  std::int32_t LinkShown() const { return fLinkShown; }
  // The handle point chosen by the last press (0: none), for Delete.
  int ChosenPoint() const;
  // Called by the editor on every change notification of the document.
  void DocumentChanged(TORChange change, TORChangeValue value);
  // The document goes away: forgets every pointer into it.
  void ForgetHost();
  // Tells the editor's listeners where the pointer is now in document units (or that it is not
  // over a document), after something under a still pointer changed.
  void ReportPointer();
  // While a handle or the selection is dragged, the kept page holds everything else and the
  // selected items are drawn over it at every repaint: a move costs their drawing only.
  bool InDragLayer() const { return fDragLayer; }

  // ---- text being typed (plain text of the document's current text object)
  bool Typing() const { return fTyping; }
  const QString& EditText() const { return fEditText; }
  int Caret() const { return fCaret; }
  int SelStart() const { return fSelStart; }
  int SelEnd() const { return fSelEnd; }
  // Caret position from a click at screen x on the text being edited.
  int CalcCursorPosFromClick(double x) const;
  // The same for a click at (x, y): the line under y, then the character nearest to x.
  int CalcCursorPosFromClick(double x, double y) const;
  // The caret moved to the line above (-1) or below (+1) at the same x; the caret itself on the
  // first or last line.
  int CaretLineMove(int direction) const;
  // Replaces the selected characters (or inserts at the caret) with `s` and hands the text on.
  void InsertEditText(const QString& s);
  // Caret movement: by one character or to a word boundary; `extend` grows the selection.
  void MoveCaret(int to, bool extend);
  // Backspace (kind 0) or Delete (kind 1) in the text being typed.
  void DeleteEditChar(int kind);
  void PasteFromClipBoard();
  // Ends the typing of a plain text (`finish`), then repaints.
  void ValidateImputText(bool finish);

  // ---- in-place coordinate input
  bool InputOpen() const { return fInputOpen; }
  const QRectF& InputRect() const { return fInputRect; }
  void PrepareInput();
  // Adds a typed character to the coordinate input; false when refused.
  bool InputChar(QChar c);
  // Reads the input on Enter; false (input kept) when it does not parse.
  bool ParseInput();
  void InputText(std::int64_t x, std::int64_t y);
  void InputValue(double value);
  void ResetInputText(bool repaint);
  void CloseInput();

  // ---- keyboard
  // Printable characters; true when used.
  bool KeyChar(const QString& text);

  // ---- rich text (ORV.FMX.Editor.RichText.cpp): the toolbar over the rich text being typed
  // into, and the edits it and the keys make on the markup. Each change is one undo step.
  // The rich text being typed into, or null.
  TPLNRichText* RichItem() const;
  // Where the toolbar stands (surface pixels; empty while it is not shown) and its buttons.
  QRectF ToolbarRect() const;
  QRectF ToolbarButton(int index) const;
  // A left press on a toolbar button runs it; true when the press hit one.
  bool HandleToolbarClick(double x, double y);
  bool ApplyRichTextFormat(TPLNRichText* item, int selStart, int selEnd, const QString& openTag,
                           const QString& closeTag);
  bool ApplyRichTextColorFormat(TPLNRichText* item, int selStart, int selEnd, const QString& tag, TAlphaColor color);
  bool ApplyRichTextAlignment(TPLNRichText* item, int caret, RichText::TRichAlign alignment);
  void InsertLineBreak();
  void ApplyFontNameToSelection(const QString& name);
  void ApplySizeToSelection(int size);
  void NormalizeRichTextSelectionPositions(const TPLNRichText* item, int& start, int& end) const;
  // The plain position under a surface point, and whether the point lies on a line of the text.
  bool CalcRichTextHitTestFromClick(double x, double y, int& pos) const;
  int CalcRichTextCursorPosFromClick(double x, double y) const;
  int CalcRichTextLineMove(int caret, bool down) const;
  // Toolbar pickers: a font list and a size list under their buttons, the colour form, and the
  // form that edits the markup itself. They are non-modal; choosing applies to the selection.
  void ShowFontCombo();
  void ShowSizePopup();
  void ShowColorForm();
  void ShowRichTextEditor();
  // Ctrl+B, Ctrl+I, Ctrl+U and the buttons: toggles a format on the selection.
  void ToggleRichFormat(const QString& openTag, const QString& closeTag);
  // Selects the word under a surface point (double click).
  void SelectRichWordAt(QPointF pos);
  // The clipboard: plain text for other programs, the markup of the selection for this one.
  void CopyRichSelection(bool cut);
  void PasteRichText();
  // Text-area base units of `item` to surface pixels.
  QTransform RichTransform(const TPLNRichText* item) const;
  static constexpr const char* kRichMime = "application/x-planora-richtext";

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Tab and Shift+Tab select the next and previous item instead of moving the focus.
  bool focusNextPrevChild(bool) override { return false; }

 private:
  friend class TPLNBaseEditor;
  struct TView;
  TView View() const;
  void PrepareDraw(TPLNDraw& draw, Canvas::ISkCanvas* canvas);
  // Page, background image, grid and `items` (from CollectItems for `rect`, device pixels).
  void DrawPage(Canvas::ISkCanvas& canvas, TPLNDraw& draw, const QRectF& rect, const std::vector<int>& items);
  void DrawItems(Canvas::ISkCanvas& canvas, TPLNDraw& draw, const std::vector<int>& items, const QRectF& rect);
  // Items that may show in `rect` (device pixels), in drawing order; a negative index marks an
  // item smaller than a pixel, drawn as a dot. The document's index is not thread-safe: only the
  // user-interface thread asks.
  void CollectItems(const QRectF& rect, std::vector<int>& out) const;
  struct TPageKey;
  TPageKey PageKey(qreal dpr) const;
  // Margin, page, grid and items of the whole surface into fPageCache.
  void RenderPage(const TPageKey& key, qreal dpr);
  // After a scroll: moves the kept drawing and draws only the uncovered strips; false when the
  // drawing cannot be reused.
  bool ScrollPage(const TPageKey& key, qreal dpr);
  void DrawOverlay(Canvas::ISkCanvas& canvas);
  std::int64_t Scale() const;

  // Interactive editing draws over the page (surface pixels): reference lines and marks,
  // selection points, the rich-text toolbar, the in-place input and the rubber band.
  void DrawRefLines(Canvas::ISkCanvas& canvas);
  void DrawSelPoints(Canvas::ISkCanvas& canvas);
  void DrawRichTextToolbar(Canvas::ISkCanvas& canvas);
  void DrawRichEditText(Canvas::ISkCanvas& canvas, const TPLNRichText& item);
  // Applies new markup to the rich text being typed into and places caret and selection.
  void RichMarkupChanged(const QString& markup, int caret, int selStart, int selEnd);
  void DrawInput(Canvas::ISkCanvas& canvas);
  void DrawRubberBand(Canvas::ISkCanvas& canvas);
  void DrawEditText(Canvas::ISkCanvas& canvas);
  // The connectors of the item under the pointer while the link tool runs.
  void DrawLinkMarks(Canvas::ISkCanvas& canvas);
  // With eoLinkPoints on, every connector of `items` (as CollectItems gives them), over the
  // items: on screen only, exports and print never show them.
  void DrawConnectors(Canvas::ISkCanvas& canvas, const std::vector<int>& items);
  // The route of the link being drawn, from its start connector to the pointer or to the
  // connector under it, as the link will lie (base units); false before a link is begun.
  bool RubberLink(F2d::TORVLinkGeom& g) const;
  // A link's route of `type` in surface pixels.
  Canvas::TSkPath LinkPath(F2d::TORVinkType type, const F2d::TORVLinkGeom& g) const;
  // Screen position of a base point, unrounded.
  QPointF ToScreen(const TORVPto& p) const;
  QPointF ToScreen(std::int64_t x, std::int64_t y) const { return ToScreen(TORVPto{x, y}); }
  bool OnPage(std::int64_t x, std::int64_t y) const;
  // The snapped, grid-rounded or projected point of the pointer while drawing.
  void TrackDrawPoint(double x, double y);
  // The link tool's point: the connector under the pointer (never the start item's once a link
  // is begun), else the pointer itself; grid and snaps do not apply, a link ends on connectors.
  void TrackLinkPoint(double x, double y);
  // The topmost item offering connectors whose connector box holds (x, y), `except` aside.
  const TPLNBaseItem* LinkTarget(std::int64_t x, std::int64_t y, const TPLNBaseItem* except) const;
  // The point a press or a move at `pos` places without a snapped point: the orthogonal
  // projection (lines and polylines) and the grid, each when switched on.
  void FreeDrawPoint(QPointF pos);
  // Zooms one step in or out keeping the document point under `pos` where it is.
  void ZoomAt(QPointF pos, bool in);
  // A left release; then the double-click command when the release ends a double click.
  void Release(QMouseEvent* event);
  void DoubleClick();
  // Sends a pointer drag to the document.
  void DragTo(std::int64_t x, std::int64_t y);
  // Whether the document is dragging a handle, the selection or a rubber band.
  bool CoreDragging() const;
  // Text and font of the text object being typed into; false when there is none.
  bool EditTextGeometry(QRectF& box, QString& family) const;
  // One line of the text being typed as it lies on screen: characters [Start, End), their left
  // edge, top and bottom, and the screen pixels per unit of the measuring font's advance.
  struct TEditLine {
    int Start = 0;
    int End = 0;
    double Left = 0, Top = 0, Bottom = 0, Scale = 0;
  };
  std::vector<TEditLine> EditLines() const;
  // The line holding caret position `pos`.
  static std::size_t LineIndexOf(const std::vector<TEditLine>& lines, int pos);
  static const TEditLine& LineOf(const std::vector<TEditLine>& lines, int pos);
  double EditCharX(const TEditLine& line, int pos) const;
  double EditCharX(int pos) const;
  void EditTextChanged();
  void SetEditCaret(int caret, bool extend);
  void ResetPoints();
  void BeginDragLayer();
  void EndDragLayer();
  void DrawDragLayer(Canvas::ISkCanvas& canvas, const QRectF& rect);

  // Pointer state.
  QPointF fPressPos;
  std::int64_t fBaseX = 0, fBaseY = 0;        // current point in base units
  std::int64_t fLastX = 0, fLastY = 0;        // base point of the last drag event
  bool fPressed = false;                      // a left press was seen and not released
  // The press came as the second click of a double click: released where it was pressed, it
  // runs the double-click command; dragged, it was a drag.
  bool fDoubleClick = false;
  // Where the pointer is over the surface, for reports when what lies under it changes.
  QPointF fHoverPos;
  bool fHover = false;
  TORVRef fRef;
  TORVink fLink;
  std::int32_t fLinkShown = 0;
  TMouseFilterS fFilter{70, 20};
  QElapsedTimer fClock;
  TPLNBaseItem* fChosenItem = nullptr;        // the item whose point handle was grabbed last
  int fChosenPoint = 0;
  bool fCoordEntry = false;
  bool fWasDrawing = false;
  // Text being typed.
  bool fTyping = false;
  const TPLNBaseItem* fEditItem = nullptr;
  QString fEditText;
  int fCaret = 0, fSelStart = 0, fSelEnd = 0, fSelAnchor = -1;
  int fPressCaret = 0;
  // Items drawn over the kept page during a drag (1-based indices) and their mask by index.
  bool fDragLayer = false;
  std::vector<int> fDragItems;
  std::vector<char> fDragMask;
  // In-place input box.
  bool fInputOpen = false;
  QRectF fInputRect;

  TPLNBaseEditor* fEditor;
  std::int32_t fDPIX = 96;
  std::int32_t fDPIY = 96;
  std::int32_t fScreenScale = 1;
  std::int32_t fPageW = 200;
  std::int32_t fPageH = 200;
  std::int64_t fPageBaseW = 200000;
  std::int64_t fPageBaseH = 200000;
  std::int32_t fPageZW = 200;
  std::int32_t fPageZH = 200;
  std::int16_t fRulerL = 0, fRulerT = 0, fRulerR = 0, fRulerB = 0;
  std::int16_t fMarginL = 0, fMarginT = 0, fMarginR = 0, fMarginB = 0;
  std::int32_t fContentW = 0;
  std::int32_t fContentH = 0;
  std::int32_t fScrollX = 0;
  std::int32_t fScrollY = 0;
  std::int32_t fClientW = 0;
  std::int32_t fClientH = 0;
  std::int32_t fGapBase = 0;
  bool fDrawingEnabled = false;
  TPLNDraw fDraw;
  // The page with its items as last drawn, and what it was drawn for: repaints of the overlay
  // (rulers now, handles and rubber bands when editing) copy it instead of drawing every item.
  QImage fPageCache;
  std::unique_ptr<TPageKey> fPageKey;
  std::uint64_t fGeneration = 0;
  // Qt phases the dashes of a path that crosses the device's edge by where it crosses: strips
  // drawn while scrolling can show a dash out of step at their seam, so once scrolling stops the
  // page is drawn whole.
  QTimer fSettle;
  // The lower half of a large page is drawn on its own thread, with its own context and image;
  // the thread stays, so its font caches stay warm.
  TPLNDraw fBandDraw;
  QImage fBandImage;
  QThreadPool fPool;
};

}  // namespace Orv::Fmx
