#pragma once
// A grid of symbol thumbnails: the symbols of one library file (or of the current drawing),
// narrowed to a category and a search text, with a selection, a hover report and drag and drop
// of a symbol (its GUID and library file) onto a drawing.

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

#include "ORV.Symbol.h"
#include "ORV.Types.h"

class QMimeData;
class QScrollBar;

namespace Orv {
class TPLNBaseLabel;
}

namespace Orv::Fmx {

class TPLNDraw;

class TPLNBaseViewLib : public QWidget {
  Q_OBJECT

 public:
  explicit TPLNBaseViewLib(QWidget* parent = nullptr);
  ~TPLNBaseViewLib() override;

  // The drawing whose own symbols the view can list (the "current drawing" library).
  void SetLabel(TPLNBaseLabel* doc);
  TPLNBaseLabel* GetLabel() const { return fDoc; }

  // The categories of a library file, one a line; empty when the file cannot be read.
  QString GetCatList(const QString& file) const;
  // Fills the grid with `category` ("*" or empty: all) of `file`, or of the drawing's own
  // symbols when `file` is kCurDrawing. Empty on success; otherwise the reason, and the view
  // shows what it showed before. A file already loaded and unchanged on disk is not read again.
  QString LoadSymbols(const QString& file, const QString& category = QStringLiteral("*"));
  static const QString kCurDrawing;

  // Narrowing the symbols shown: a category (and its sub-categories, "A" holds "A/B") and a
  // part of the name, neither case-sensitive. The selection is cleared.
  void SetCategory(const QString& category);
  QString Category() const { return fCategory; }
  void SetSearchText(const QString& text);
  QString SearchText() const { return fSearch; }

  const Symbol::TPLNLibrary& Library() const { return *fLibrary; }
  QString LibraryName() const { return fLibraryName; }
  QStringList Categories() const { return fLibrary->Categories(); }
  // Symbols shown, counted from 1.
  int SymbolCount() const { return static_cast<int>(fShown.size()); }
  const Symbol::TPLNLibSymbol* ShownSymbol(int k) const;

  // Selection (1-based, 0: none) and the selected library symbol (null when none).
  int Selected() const { return fSelected; }
  void SetSelected(int k);
  const Symbol::TPLNLibSymbol* GetSelection() const { return ShownSymbol(fSelected); }
  int Hovered() const { return fHover; }

  // Grid shape and placement, pixels.
  int Columns() const { return fCols; }
  int Rows() const { return fRows; }
  int OriginX() const { return fOrgX; }
  int OriginY() const { return fOrgY; }
  int ContentHeight() const { return fContentH; }
  int DMX() const { return 0; }
  int DMY() const { return -fScrollOffset; }
  bool GetVertScrollBarVisible() const;
  QScrollBar* VertScrollBar() const { return fBar; }
  // The cell rectangle of shown symbol k, in widget pixels with the scroll applied.
  QRect CellRect(int k) const;
  // The symbol under a widget point (1-based), 0 for none: a gap between rows hovers nothing, the
  // gap right of a cell belongs to that cell.
  int IndexAt(QPointF pos) const;

  // The thumbnail of shown symbol k, cell-sized, drawn once and kept.
  QImage Preview(int k);
  // How many thumbnails have been drawn (a cache measure).
  int PreviewsDrawn() const { return fPreviewsDrawn; }

  // Settings.
  int Gap() const { return fGap; }
  void SetGap(int gap);
  int CellWidth() const { return fCellW; }
  int CellHeight() const { return fCellH; }
  void SetCellSize(int width, int height);
  int VisibleRows() const { return fVisibleRows; }
  void SetVisibleRows(int rows);
  bool ShowHints() const { return fShowHints; }
  void SetShowHints(bool on) { fShowHints = on; }
  // Each cell's name under its drawing (the drawing keeps the rest of the cell).
  bool ShowNames() const { return fShowNames; }
  void SetShowNames(bool on);
  // The part of a cell the drawing fills, relative to the cell.
  QRect PreviewRect() const;
  TAlphaColor BackColor = 0xFFFFFFFFu;
  TAlphaColor FrameColor = 0xFF808080u;
  TAlphaColor SelColor = 0xFFFF0000u;
  TAlphaColor NameColor = 0xFF303030u;

  // What a drag of a symbol carries, and reading it back.
  static const QString kMimeType;
  static QMimeData* SymbolMime(const QString& guid, const QString& libraryFile);
  static bool ReadSymbolMime(const QMimeData* mime, QString& guid, QString& libraryFile);

 signals:
  // The hovered symbol changed: its name, GUID and unit name; empty texts when none.
  void ChangePos(const QString& name, const QString& guid, const QString& units);
  // A click chose symbol k (1-based).
  void SymbolClicked(int k);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void Refilter();
  // Columns and rows for the symbols shown and the widget's size, then the scroll bar.
  void Layout();
  void RecalcSizes();
  void UpdateScrollBar();
  void ScrollTo(int row);
  void Hover(int index);
  void DrawPreview(QImage& image, const Symbol::TPLNLibSymbol& symbol, qreal dpr);

  TPLNBaseLabel* fDoc = nullptr;
  std::unique_ptr<Symbol::TPLNLibrary> fLibrary;
  std::unique_ptr<TPLNDraw> fDraw;
  QScrollBar* fBar = nullptr;
  QString fLibraryName;  // the file loaded, or kCurDrawing
  qint64 fLibraryStamp = 0;
  QString fCategory = QStringLiteral("*");
  QString fSearch;
  std::vector<int> fShown;      // indices into the library's symbols
  std::vector<QImage> fPreviews;  // by library index; null until drawn
  int fPreviewsDrawn = 0;
  bool fShowHints = true;
  bool fShowNames = true;
  int fGap = 10;
  int fVisibleRows = 4;
  int fCellW = 80, fCellH = 80;
  int fCols = 0, fRows = 0;
  int fOrgX = 10, fOrgY = 10;
  int fContentW = 0, fContentH = 0;
  int fFirstRow = 0, fScrollOffset = 0;
  int fSelected = 0, fHover = 0, fLastHover = 0;
  QPointF fPressAt;
  int fPressIndex = 0;
};

// The control applications place; the behaviour is the base class's.
class TPLNViewLibrary : public TPLNBaseViewLib {
  Q_OBJECT
 public:
  using TPLNBaseViewLib::TPLNBaseViewLib;
};

}  // namespace Orv::Fmx
