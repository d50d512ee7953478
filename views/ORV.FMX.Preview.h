#pragma once
// The print preview control: one page of a document as it prints — the paper, the label cells
// of the current page with their data records, and on every label its background picture and
// the items that print. Only the current page is ever drawn, however many pages the data needs.

#include <QPoint>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "ORV.Base.h"
#include "ORV.Types.h"

class QScrollBar;

namespace Orv::Canvas {
class ISkCanvas;
}

namespace Orv::Fmx {

class TPlanoraFMX;
class TPLNDraw;

// How the paper fits the control: the whole page, or the page's width (scrolling down).
enum class TORVViewType : std::uint8_t { FullPage = 0, PageWidth = 1 };

// Pages of a document as the preview and its print show them: the data pages with a data
// source, otherwise the print settings' last page; never more than the labels to print fill.
int PreviewPageCount(const TPlanoraFMX& doc);

class TPLNBasePreview : public QWidget, public IORObserver {
  Q_OBJECT

 public:
  explicit TPLNBasePreview(QWidget* parent = nullptr);
  ~TPLNBasePreview() override;

  // Attaches to a document (null detaches) and lays the page out again.
  void SetLabel(TPlanoraFMX* doc);
  TPlanoraFMX* GetLabel() const { return fDoc; }

  TORVViewType GetViewType() const { return fViewType; }
  void SetViewType(TORVViewType type);
  int GetContentWidth() const { return fContentW; }
  int GetContentHeight() const { return fContentH; }
  void SetContentWidth(int w);
  void SetContentHeight(int h);

  // Layout, in widget pixels.
  int Gap() const { return fGap; }
  double Zoom() const { return fZoom; }
  int OffsetX() const { return fOffsetX; }
  int OffsetY() const { return fOffsetY; }
  int PaperWidth() const { return fPaperW; }
  int PaperHeight() const { return fPaperH; }
  // Top-left corner of the paper with the scrolling applied.
  int DMX() const;
  int DMY() const;
  // Pixels per unit of the document's measuring unit at the current zoom.
  double FX() const;
  double FY() const;
  // The draw state this control draws in.
  int TypeDest() const { return static_cast<int>(TORVDrawState::Preview); }
  // Resolution of the draw context (pixels per inch of the page at zoom 1).
  int Resolution() const { return fDPI; }

  bool GetHorzScrollBarVisible() const;
  bool GetVertScrollBarVisible() const;
  QScrollBar* HorzScrollBar() const { return fHorz; }
  QScrollBar* VertScrollBar() const { return fVert; }

  TAlphaColor BackColor = 0xFF808080u;
  TAlphaColor PaperColor = 0xFFFFFFFFu;

  // IORObserver: a measure change lays the page out again; item and document changes redraw.
  void UpdateCtrl(TORChange change, TORChangeValue value) override;
  void HostRemoved() override;

  // Recomputes the layout and redraws.
  void UpdatePreview();

  // Draws the current page on `canvas` in widget pixels: false (and nothing drawn, not even
  // the background) without a document, with an empty control, or while the layout is being
  // recomputed.
  bool Draw(Canvas::ISkCanvas& canvas);
  // The label cells (column, row) the last Draw filled, in drawing order.
  const std::vector<QPoint>& DrawnCells() const { return fCells; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void AddCtrls();
  void AdjustSizes();
  void UpdateScrollBars(bool repaint = true);
  void PlaceScrollBars();
  void UpdateHorzScroll(int value);
  void UpdateVertScroll(int value);

  bool fHasDocument = false;
  bool fDrawingAllowed = true;
  TPlanoraFMX* fDoc = nullptr;
  std::unique_ptr<TPLNDraw> fDraw;
  TORVViewType fViewType = TORVViewType::FullPage;
  int fDPI = 96;
  int fContentW = 0, fContentH = 0;
  int fGap = 10;
  double fZoom = 1.0;
  int fOffsetX = 0, fOffsetY = 0;
  int fPaperW = 0, fPaperH = 0;
  int fScrollX = 0, fScrollY = 0;
  int fLastScrollX = -1, fLastScrollY = -1;
  int fThickness = 0;
  QScrollBar* fHorz = nullptr;
  QScrollBar* fVert = nullptr;
  std::vector<QPoint> fCells;
  QSize fLaidOut;
};

// The control applications place; the behaviour is the base class's.
class TPLNPreview : public TPLNBasePreview {
  Q_OBJECT
 public:
  using TPLNBasePreview::TPLNBasePreview;
};

}  // namespace Orv::Fmx
