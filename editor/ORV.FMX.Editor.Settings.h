#pragma once
// Settings objects of the editor (rulers, grid, selection colours) and the small enumerations
// the editor's published properties use. Each settings object knows its editor, so a change
// repaints (or re-lays out) the surface; without an editor they are plain values.

#include <QString>
#include <cstdint>

#include "ORV.Canvas.h"
#include "ORV.Edit.h"
#include "ORV.Types.h"

namespace Orv::Fmx {

class TPLNBaseEditor;

// Zoom steps: fourteen fixed factors, then three computed from the window.
enum TORVZoom : std::uint8_t {
  zm25, zm50, zm75, zm100, zm125, zm150, zm175, zm200, zm250, zm300, zm350, zm400, zm450, zm500,
  zmWidth, zmHeight, zmFitAll
};
constexpr int kZoomSteps = 17;
// The factor of a fixed step; the fit modes have none (0).
double ZoomStepFactor(TORVZoom z);

enum TORVGridDraw : std::uint8_t { gdNone, gdPoints, gdLines };

// Sides that show a ruler, as bits of TPLNRulers::GetVisible.
enum TORVShowRulers : std::uint8_t { rvLeft = 1u << 0, rvTop = 1u << 1, rvRight = 1u << 2, rvBottom = 1u << 3 };

// rsStyle01: ticks grow from the edge next to the page; rsStyle02: from the outer edge.
enum TORVRulerStyle : std::uint8_t { rsStyle01, rsStyle02 };

// Page placement in the surface.
enum TMLPlanoraPos : std::uint8_t { lbTopLeft, lbCenter };

// Editor options, as bits of the 16-bit option set.
enum TORVEditorOption : std::uint16_t {
  eoZoomBox = 1u << 0,
  eoUnitsButton = 1u << 1,
  eoSettingsButton = 1u << 2,
  eoRotateButton = 1u << 3,
  eoOrtoInfo = 1u << 4,
  eoSnapInfo = 1u << 5,
  eoKeyboard = 1u << 6,
  eoMouseWheel = 1u << 7,
  eoDblClick = 1u << 8,
  eoLinkPoints = 1u << 9,
  eoRichTextToolbar = 1u << 10,
  eoDocFlag11 = 1u << 11,
};
constexpr std::uint16_t kDefaultEditorOptions = 0x00FF;  // members 0 to 7
constexpr std::uint16_t kAllEditorOptions = 0x0FFF;

// A size in pixels at 96 dpi for a device of `dpi`.
int ScalePos(int value, int dpi);

class TPLNRulers {
 public:
  explicit TPLNRulers(TPLNBaseEditor* owner = nullptr) : fOwner(owner) {}
  TPLNRulers(const TPLNRulers&) = delete;
  TPLNRulers& operator=(const TPLNRulers&) = delete;
  // Copies every value, not the owner; the owner lays out again once.
  void Assign(const TPLNRulers& source);

  std::uint8_t GetVisible() const { return fVisible; }
  void SetVisible(std::uint8_t sides);
  std::uint16_t GetSize() const { return fSize; }
  void SetSize(int size);  // clamped to 18..30
  const Canvas::TSkFont& GetFont() const { return fFont; }
  void SetFont(const Canvas::TSkFont& font);
  TAlphaColor GetFontColor() const { return fFontColor; }
  void SetFontColor(TAlphaColor c) { SetColorValue(fFontColor, c); }
  TAlphaColor GetColor() const { return fColor; }
  void SetColor(TAlphaColor c) { SetColorValue(fColor, c); }
  TAlphaColor GetTickColor() const { return fTickColor; }
  void SetTickColor(TAlphaColor c) { SetColorValue(fTickColor, c); }
  TAlphaColor GetMarkColor() const { return fMarkColor; }
  void SetMarkColor(TAlphaColor c) { SetColorValue(fMarkColor, c); }
  TAlphaColor GetToColor() const { return fToColor; }
  void SetToColor(TAlphaColor c) { SetColorValue(fToColor, c); }
  TAlphaColor GetSizeColor() const { return fSizeColor; }
  void SetSizeColor(TAlphaColor c) { SetColorValue(fSizeColor, c); }
  bool GetShowSize() const { return fShowSize; }
  void SetShowSize(bool b);
  bool GetShowAlign() const { return fShowAlign; }
  void SetShowAlign(bool b);
  TORVRulerStyle GetStyle() const { return fStyle; }
  void SetStyle(TORVRulerStyle s);

  // Alignment guides in base units (vertical guide at X, horizontal guide at Y) and the guide
  // being dragged: 0 none, 1 vertical, 2 horizontal.
  std::int64_t GuideX = 10000;
  std::int64_t GuideY = 10000;
  std::int32_t DragGuide = 0;

 private:
  void SetColorValue(TAlphaColor& field, TAlphaColor c);
  void Changed(bool resize);

  TPLNBaseEditor* fOwner;
  std::uint8_t fVisible = rvLeft | rvTop;
  std::uint16_t fSize = 18;
  Canvas::TSkFont fFont{QStringLiteral("Tahoma"), 9};
  TAlphaColor fFontColor = 0xFF000000u;
  TAlphaColor fColor = 0xFFC0C0C0u;
  TAlphaColor fTickColor = 0xFF000000u;
  TAlphaColor fMarkColor = 0xFFFF0000u;
  TAlphaColor fToColor = 0xFFFFFFFFu;
  TAlphaColor fSizeColor = 0xFF000080u;
  bool fShowSize = false;
  bool fShowAlign = false;
  TORVRulerStyle fStyle = rsStyle01;
};

class TPLNGrid {
 public:
  explicit TPLNGrid(TPLNBaseEditor* owner = nullptr) : fOwner(owner) {}
  TPLNGrid(const TPLNGrid&) = delete;
  TPLNGrid& operator=(const TPLNGrid&) = delete;
  void Assign(const TPLNGrid& source);

  TAlphaColor GetStepColor() const { return fStepColor; }
  void SetStepColor(TAlphaColor c);
  TAlphaColor GetUnitsColor() const { return fUnitsColor; }
  void SetUnitsColor(TAlphaColor c);
  TORVGridDraw GetStyle() const { return fStyle; }
  void SetStyle(TORVGridDraw s);

  // Steps in the document's unit (world lengths on a scaled drawing).
  double GetIncX() const;
  double GetIncY() const;
  void SetIncX(double v);
  void SetIncY(double v);
  // Steps in base units, world lengths (what drawing and snapping use).
  std::int64_t BaseIncX() const;
  std::int64_t BaseIncY() const;
  // Steps in millimetres, world lengths.
  double GetIncMMX() const;
  double GetIncMMY() const;
  // The limits of SetIncX / SetIncY in the document's unit.
  double MinInc() const;
  double MaxInc() const;

 private:
  TORVUnits Units() const;
  std::int64_t Scale() const;  // the drawing scale, at least 1
  std::int32_t Clamp(std::int64_t step) const;
  void SetInc(std::int32_t& field, double v);
  void Changed();

  TPLNBaseEditor* fOwner;
  // Lighter than silver and grey: crisp one-pixel lines in those read darker than the
  // anti-aliased strokes of the drawing they sit behind.
  TAlphaColor fStepColor = 0xFFE0E0E0u;
  TAlphaColor fUnitsColor = 0xFFC0C0C0u;
  // Base units per drawing-scale unit: the step as it lies on paper.
  std::int32_t fIncX = 10000;
  std::int32_t fIncY = 10000;
  TORVGridDraw fStyle = gdNone;
};

// Colours of the selection marks and guides. Only the link-point colour reaches further: the
// drawing context hands it to the items that draw link points.
class TPLNSelColors {
 public:
  explicit TPLNSelColors(TPLNBaseEditor* owner = nullptr) : fOwner(owner) {}
  TPLNSelColors(const TPLNSelColors&) = delete;
  TPLNSelColors& operator=(const TPLNSelColors&) = delete;
  void Assign(const TPLNSelColors& source);

  TAlphaColor Center = 0xFF0000FFu;
  TAlphaColor Radio = 0xFF00FF00u;
  TAlphaColor SizeColor = 0xFFFF0000u;
  TAlphaColor FixColor = 0xFF808080u;
  TAlphaColor SelectionRect = 0xFF0000FFu;
  TAlphaColor SelectionItem = 0xFFC0C0C0u;
  TAlphaColor Draw = 0xFF008080u;
  TAlphaColor Point = 0xFFFF0000u;
  TAlphaColor Bezier = 0xFFDC143Cu;
  TAlphaColor Link = 0xFFFFA500u;
  TAlphaColor Align = 0xFFF0FFFFu;
  TAlphaColor AlignText = 0xFF000000u;
  TAlphaColor RefLine = 0xFFE6E6FAu;
  TAlphaColor RefPoint = 0xFFDC143Cu;

  TAlphaColor GetLinkPoint() const { return fLinkPoint; }
  void SetLinkPoint(TAlphaColor c);

 private:
  TPLNBaseEditor* fOwner;
  TAlphaColor fLinkPoint = 0xFFFFF8DCu;
};

}  // namespace Orv::Fmx
