#pragma once
// The editor frame: the drawing surface with rulers and grid, scroll bars and a small tool
// strip (zoom, units, indicators, settings and rotate buttons), attached to a host document.

#include <QImage>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "ORV.Base.h"
#include "ORV.FMX.Editor.Settings.h"
#include "ORV.FMX.Editor.Surface.h"

class QComboBox;
class QScrollBar;

namespace Orv::Fmx {

class TPlanoraFMX;

enum TORVTypeInfo : std::uint8_t { tiSnapToGrid, tiOrto };
enum TORVStateInfo : std::uint8_t { siNone, siOn, siOff };

// A two-state indicator square of the tool strip.
class TPLNInfoEd : public QWidget {
  Q_OBJECT

 public:
  TPLNInfoEd(TORVTypeInfo kind, QWidget* parent);
  TORVTypeInfo Kind() const { return fKind; }
  TORVStateInfo State() const { return fState; }
  void SetState(TORVStateInfo s);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TORVTypeInfo fKind;
  TORVStateInfo fState = siOff;
};

// A button showing one of the editor's PNG resources.
class TResButton : public QPushButton {
  Q_OBJECT

 public:
  explicit TResButton(QWidget* parent);
  // Loads the named resource ("SETTINGS", "ROTATE"); raises EPLNError for an unknown name.
  void ResName(const QString& name);
  QString GetResName() const { return fName; }
  const QImage& Image() const { return fImage; }

 signals:
  // Any mouse button, so the rotate button can tell left from right.
  void Pressed(Qt::MouseButton button);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QString fName;
  QImage fImage;
};

class TPLNBaseEditor : public QWidget, public IORObserver {
  Q_OBJECT

 public:
  explicit TPLNBaseEditor(QWidget* parent = nullptr);
  ~TPLNBaseEditor() override;

  // Copies the host, the scroll positions and every setting (the zoom factor stays).
  void Assign(const TPLNBaseEditor& source);

  // The document shown; the editor observes it while attached. The host must outlive the
  // editor or be detached first (SetLabel(nullptr)).
  void SetLabel(TPlanoraFMX* host);
  TPlanoraFMX* GetLabel() const { return fLabel; }
  void UpdateCtrl(TORChange change, TORChangeValue value) override;
  // The document is being destroyed: the editor lets go of it and shows an empty frame.
  void HostRemoved() override;

  // ---- zoom
  void SetZoom(TORVZoom z);
  TORVZoom GetZoom() const { return fZoom; }
  double ZoomFactor() const { return fZoomFactor; }
  // One fixed step up or down; from a fit mode, the nearest fixed step above or below the
  // fitted factor.
  void IncZoom();
  void DecZoom();
  void CustomZoom();
  void CheckDScroll();

  // ---- settings
  TPLNRulers& Rulers() { return *fRulers; }
  TPLNGrid& Grid() { return *fGrid; }
  TPLNSelColors& SelectionColors() { return *fSelColors; }
  // With resize the page is placed again (ruler thickness changed); otherwise a repaint.
  void UpdateRulers(bool resize);
  void DrawEditor();

  void SetEditorOptions(std::uint16_t options);
  std::uint16_t GetEditorOptions() const { return fOptions; }
  void SetMargin(int margin);  // clamped to 0..100
  int GetMargin() const { return fMargin; }
  void SetMarginColor(TAlphaColor c);
  TAlphaColor GetMarginColor() const { return fMarginColor; }
  void SetPageColor(TAlphaColor c);
  TAlphaColor GetPageColor() const { return fPageColor; }
  void SetLabelPosition(TMLPlanoraPos pos);
  TMLPlanoraPos GetLabelPosition() const { return fLabelPosition; }
  void SetGap(int gap);  // clamped to 0..30
  int GetGap() const { return fGap; }
  void SetSizeRef(int size);  // clamped to 2..24
  int GetSizeRef() const { return fSizeRef; }
  void SetSizePoint(int size);  // clamped to 1..24
  int GetSizePoint() const { return fSizePoint; }
  void SetSnap(std::uint16_t snap);
  std::uint16_t GetSnap() const { return fSnap; }
  void SetOrtoLines(bool b);
  bool GetOrtoLines() const { return fOrtoLines; }
  void SetEnabledMouseFilter(bool b) { fMouseFilter = b; }
  bool GetEnabledMouseFilter() const { return fMouseFilter; }
  void SetShowRefLines(bool b);
  bool GetShowRefLines() const { return fShowRefLines; }
  // Keyboard nudge step in the document's unit (0 and no effect without a document).
  void SetMoveX(double v);
  void SetMoveY(double v);
  double GetMoveX() const;
  double GetMoveY() const;
  double MinMoveValue() const;
  double MaxMoveValue() const;
  // Option 11, kept for the document side, which does not read it yet.
  bool DocFlag11() const { return (fOptions & eoDocFlag11) != 0; }

  // ---- document
  TPLNBackEditor* Surface() const { return fSurface; }
  TORVUnits Units() const;
  std::int64_t DrawScale() const;
  // Next unit: millimetre, inch, centimetre (labelling and flowcharts), then on through
  // decimetre, metre, foot and yard in the drawing modes.
  void ClickUnits();
  void ShowUnits();
  // The settings button: the application's handler of SettingsClicked when there is one,
  // otherwise the settings window (EditSettings).
  void ClickSettings();
  // Opens the settings window for the attached document and applies it on OK, as one editor
  // update. Nothing without a document.
  void EditSettings();
  // Left press: the label turns a quarter left; right press: right.
  void MouseDownRotate(Qt::MouseButton button);
  void ScrollToItem(const TPLNBaseItem* item);
  void BeginUpdate();
  void EndUpdate();
  // Bound of the selection in the document's unit: 1 left, 2 right, 3 top, 4 bottom; -1
  // without a document or selection.
  double SizeSelection(int side) const;

  // ---- editing commands
  // Moves the selection so that its left (top, right, bottom) bound lies on the ruler guide;
  // one undo step.
  void AlignSelectedLeft();
  void AlignSelectedTop();
  void AlignSelectedRight();
  void AlignSelectedBottom();
  // Key commands of the surface (Qt key code and modifiers); true when the key was used.
  bool InputKeyDown(int key, Qt::KeyboardModifiers modifiers);

  // Pointer events on the page, before the surface handles them: button, shift state and the
  // position in the document's unit.
  using TMouseEvent = std::function<void(Qt::MouseButton, TShiftState, double, double)>;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseMove;
  TMouseEvent OnMouseUp;

  // ---- in-place coordinate input
  const QString& InputTextValue() const { return fInputText; }
  int InputCaret() const { return fInputCaret; }
  // The last point placed or typed, base units (negative when none).
  std::int64_t PrevBaseX() const { return fPrevX; }
  std::int64_t PrevBaseY() const { return fPrevY; }
  // The last point placed, base units and screen pixels.
  std::int64_t BasePointX() const { return fBasePointX; }
  std::int64_t BasePointY() const { return fBasePointY; }

  // ---- layout of the children on a 4 x 5 grid
  void AddCtrls();
  void AdjustCtrls();
  void UpdateLayout();
  void AddControl(QWidget* control, int row, int column, int rowSpan, int columnSpan);
  double GetRowHeight(int i) const;
  double GetColumnWidth(int i) const;

  QScrollBar* HorzScrollBar() const { return fHorz; }
  QScrollBar* VertScrollBar() const { return fVert; }
  QComboBox* ZoomBox() const { return fZoomBox; }
  QPushButton* UnitsButton() const { return fUnitsButton; }
  TPLNInfoEd* OrtoInfo() const { return fOrtoInfo; }
  TPLNInfoEd* SnapInfo() const { return fSnapInfo; }
  TResButton* SettingsButton() const { return fSettingsButton; }
  TResButton* RotateButton() const { return fRotateButton; }

  QSize sizeHint() const override { return {640, 480}; }

 signals:
  // Document coordinates of the pointer, in the document's unit: sent when the pointer moves and
  // again when what lies under it changes (scrolling, zoom, another unit or document).
  void PointerMoved(double x, double y);
  // The pointer left the surface, or there is no document under it any more.
  void PointerLeft();
  void ZoomChanged();
  // The settings button, when the application wants to answer it itself instead of the
  // settings window.
  void SettingsClicked();
  // The rotate button: left press turns left, right press turns right.
  void RotateClicked(bool right);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void connectNotify(const QMetaMethod& signal) override;
  void disconnectNotify(const QMetaMethod& signal) override;

 private:
  friend class TPLNBackEditor;
  struct TCell {
    double Size;
    bool Absolute;
  };
  struct TEntry {
    QWidget* Control;
    int Row, Column, RowSpan, ColumnSpan;
  };
  void SetZoomFactor(double z);
  void ZoomBoxChanged(int index);
  void SyncZoomBox();
  void SetScrollBarNeeded(bool horizontal, bool needed);
  void UpdateIndicators();
  bool SettingsHandled() const;
  // Grid steps in round values of the document's unit after the unit changed.
  void FollowUnits();
  std::int64_t ClampMove(std::int64_t step) const;

  TPlanoraFMX* fLabel = nullptr;
  std::unique_ptr<TPLNRulers> fRulers;
  std::unique_ptr<TPLNGrid> fGrid;
  std::unique_ptr<TPLNSelColors> fSelColors;

  TPLNBackEditor* fSurface = nullptr;
  QScrollBar* fHorz = nullptr;
  QScrollBar* fVert = nullptr;
  QComboBox* fZoomBox = nullptr;
  QPushButton* fUnitsButton = nullptr;
  TPLNInfoEd* fOrtoInfo = nullptr;
  TPLNInfoEd* fSnapInfo = nullptr;
  TResButton* fSettingsButton = nullptr;
  TResButton* fRotateButton = nullptr;
  bool fHorzNeeded = false;
  bool fVertNeeded = false;

  TCell fRows[4] = {{22, true}, {22, true}, {100, false}, {22, true}};
  TCell fColumns[5] = {{70, true}, {30, true}, {22, true}, {100, false}, {22, true}};
  TEntry fEntries[9] = {};
  int fEntryCount = 0;

  // The unit the grid's steps were last chosen for.
  TORVUnits fGridUnits = TORVUnits::mm;
  TORVZoom fZoom = zm100;
  double fZoomFactor = 1.0;
  int fGap = 8;
  int fSizeRef = 6;
  int fSizePoint = 3;
  int fMargin = 15;
  TAlphaColor fMarginColor = 0xFFC0C0C0u;
  TAlphaColor fPageColor = 0xFFFFFFFFu;
  TMLPlanoraPos fLabelPosition = lbTopLeft;
  std::uint16_t fOptions = kDefaultEditorOptions;
  std::uint16_t fSnap = 0;
  bool fOrtoLines = false;
  bool fMouseFilter = false;
  bool fShowRefLines = false;
  // Nudge steps in base units per drawing-scale unit.
  std::int32_t fMoveX = 1000;
  std::int32_t fMoveY = 1000;

  void AlignSelected(int side);
  // In-place input: text, caret, the previous point and the base point copy.
  QString fInputText;
  int fInputCaret = 0;
  std::int64_t fPrevX = -1, fPrevY = -1;
  std::int64_t fBasePointX = 0, fBasePointY = 0;
  double fBaseScreenX = 0, fBaseScreenY = 0;
};

// The component applications place; all behaviour is in the base class.
class TPLNEditor : public TPLNBaseEditor {
  Q_OBJECT

 public:
  explicit TPLNEditor(QWidget* parent = nullptr) : TPLNBaseEditor(parent) {}
  void ShowProp() {}
};

}  // namespace Orv::Fmx
