#pragma once
// The property inspector: a grid of captions and values for the items selected in a document,
// with the editor each value takes. The rows come from the document (ORV.Inspector.h); every
// change goes back to it and applies to the whole selection as one undo step.

#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "ORV.Base.h"
#include "ORV.Inspector.h"

class QComboBox;
class QLineEdit;
class QScrollBar;
class QTimer;

namespace Orv::Fmx {

class TPLNBaseInspector : public QWidget, public IORObserver {
  Q_OBJECT

 public:
  explicit TPLNBaseInspector(QWidget* parent = nullptr);
  ~TPLNBaseInspector() override;

  // The observed document; null detaches only.
  void SetLabel(TPLNBaseLabel* doc);
  TPLNBaseLabel* Planora() const { return fDoc; }

  Ins::TORVInsTypesBase InspectPropBase() const { return fBaseTypes; }
  void SetInspectPropBase(Ins::TORVInsTypesBase t);
  Ins::TORVInsTypes InspectProp() const { return fTypes; }
  void SetInspectProp(Ins::TORVInsTypes t);
  // Bits of Ins::TORInspectorOption; group captions show with ioGroupHeads.
  std::uint32_t Options() const { return fOptions; }
  void SetOptions(std::uint32_t o);

  QColor BackColor = QColor(0xFF, 0xFF, 0xFF);
  QColor TitleColor = QColor(0, 0, 0);
  QColor ValueColor = QColor(0, 0, 0xFF);
  QColor EditColor = QColor(0xFF, 0xFF, 0xFF);
  QColor SelColor = QColor(0, 0, 0x80);
  QColor SelButColor = QColor(0, 0x80, 0x80);
  QColor ArrowColor = QColor(0x80, 0x80, 0x80);
  // Takes the colours of the widget's palette (dark themes).
  void GetStyleColors();

  // Observer: the selection (and what replaces it) rebuilds the rows.
  void UpdateCtrl(TORChange change, TORChangeValue value) override;
  void HostRemoved() override;

  const QJsonArray& Rows() const { return fRows; }
  // Lays the rows out again; `reset` also clears the scroll position, the current row and any
  // editing.
  void FillInspector(bool reset);
  // Builds the rows from the selection now.
  void Refresh(bool reset);
  // Makes current the first cell (from the first visible row) of `kind`/`type` whose "P" is
  // `prop`; false when there is none. `kind` < 0 matches any kind.
  bool LocatePos(int kind, int type, int prop);
  int CurrentRow() const { return fRow; }
  int CurrentCell() const { return fCell; }
  // The row (0-based) and cell (1-based) showing property `name` ("pen_width"); false if none.
  bool FindCell(const QString& name, int* row, int* cell) const;
  // Where a cell's value is drawn, in widget pixels (empty when scrolled out of sight).
  QRect CellRect(int row, int cell) const;

  // Opens the editor of a cell; sends toggles and list choices at once.
  void PropEditor(int row, int cell);
  // In-place text or number edit of a cell.
  void Edit(int row, int cell);
  QLineEdit* Editor() const { return fEdit; }
  // Number cells: one step up or down (within the limits), sent at once.
  void IncValue();
  void DecValue();
  // Sends the typed text of the in-place editor; `final` closes it when the document took it.
  bool UpdateNumberProp(bool final);
  // Sends a value object for the current cell; false (and LastError) when the document refused.
  bool SendValue(const QJsonObject& value);
  // Applies a change result: the changed cell and the others ("Link") that changed with it.
  void UpdateLinkedProp(const QJsonObject& result);
  static bool KeyBarcodeValid(QChar key);
  void PasteFromClipBoard();
  // The last refusal of the document, shown under the grid; empty after a change it took.
  QString LastError() const { return fError; }

  // Picture files: the chosen name or empty. Defaults to a file dialog in `folder`.
  std::function<QString(const QString& folder)> OnPickFile;
  // Font families offered; defaults to the scalable fonts installed.
  // The forms of table cells (kind Ins::TORVInsProp::Table) and poly-text cells (Poly), which
  // edit the document's selected item themselves. Defaults to the package's table and
  // poly-text editors, shown modally; tests and applications may show something else.
  std::function<void(TPLNBaseLabel* doc, Ins::TORVInsProp kind)> OnShowEditor;

 signals:
  void ErrorChanged(const QString& message);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  struct THit {
    int Row = -1;
    int Cell = 0;
    bool Arrows = false;  // the step arrows of a number cell
    bool Up = false;
    bool Swatch = false;  // the colour swatch of a colour cell
  };
  THit HitTest(const QPoint& p) const;
  int RowTop(int row) const;
  int ContentHeight() const;
  int CaptionWidth() const;
  QRect ValueRect(int row) const;
  QJsonValue CellValue(int row, int cell, const char* key) const;
  int EditorKind(int row, int cell) const;
  void SetError(const QString& message);
  void CloseEditor(bool commit);
  void OpenList(int row, int cell);
  void OpenColor(int row, int cell);
  void OpenMemo(int row, int cell);
  void OpenFile(int row, int cell);
  void OpenItemEditor(Ins::TORVInsProp kind);
  void StepValue(int direction);
  void ScheduleRefresh();
  QJsonArray BuildRows();
  void UpdateScrollBar();
  void DrawCell(QPainter& p, const QRect& r, int row, int cell, bool caption);

  TPLNBaseLabel* fDoc = nullptr;
  Ins::TORVInsTypesBase fBaseTypes = Ins::kAllBase;
  Ins::TORVInsTypes fTypes = Ins::kDefaultTypes;
  std::uint32_t fOptions = (1u << Ins::ioEditOnRequest) | (1u << Ins::ioGroupHeads);
  QJsonArray fRows;
  std::vector<int> fTops;  // top of each row in content pixels, and the total last
  int fRow = -1;
  int fCell = 0;
  int fEditRow = -1;
  int fEditCell = 0;
  int fStepDirection = 0;
  bool fSending = false;
  bool fRefreshPending = false;
  bool fPointsOnly = false;
  QString fError;
  QScrollBar* fScroll = nullptr;
  QComboBox* fCombo = nullptr;
  QLineEdit* fEdit = nullptr;
  QTimer* fTimer = nullptr;
};

class TPLNInspector : public TPLNBaseInspector {
  Q_OBJECT

 public:
  explicit TPLNInspector(QWidget* parent = nullptr);
};

}  // namespace Orv::Fmx
