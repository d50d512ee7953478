#pragma once
// Drawing helpers shared by the items: terminators, the data-field mark, font styles, and the
// pen and fill set-up every shape uses.

#include <QJsonObject>
#include <cstdint>
#include <functional>
#include <memory>

#include "ORV.Base.h"
#include "ORV.BarcodeItems.h"
#include "ORV.BinaryIO.h"
#include "ORV.FMX.Types.h"

namespace Orv::Fmx {

enum class TSkFontStyle { Normal, Italic, Bold, BoldItalic };

// One line-end mark on kC with kP. (x, y) carries the mark, (x2, y2) gives the direction; with
// byAngle the direction is the angle (radians, y-down) passed in x2. s is the half size in pixels.
void DrawTermType(TPLNDraw* draw, TORVTermType term, TAlphaColor lineColor, TAlphaColor fillColor, float s,
                  float x, float y, float x2, float y2, std::int16_t spread, bool byAngle);
// The 8 x 8 pixel mark of an item bound to a data field, centred at (x, y).
void DrawData(TPLNDraw* draw, float x, float y);
TSkFontStyle GetFontStyle(bool bold, bool italic);

// kP for the item's outline: colour, screen stroke width, stroke style and dash, flat ends and
// mitred corners as on paper.
void SetupPen(TPLNDraw* draw, const TPLNBaseItem& item);
// An area's fill shows where it is filled and its fill is not hidden (Alpha), on screen and on
// paper alike.
inline bool ShowsFill(const TPLN2DItem& item) { return item.GetFilled() && item.Alpha(); }
// Where a frame's stroke of `width` goes: its outer edge on the box, so a frame measures its box
// whether filled or not; round corners keep their outer radius.
struct TFrameStroke {
  QRectF Rect;
  float Rx = 0, Ry = 0;
};
TFrameStroke FrameStroke(const QRectF& box, float rx, float ry, float width);
// kP for a fill in `color`; clearEffect drops a dash left by an earlier stroke.
void SetupFill(TPLNDraw* draw, TAlphaColor color, bool clearEffect);
// The steps of an area shape on screen: the outline alone (no visible fill), the fill, and the
// outline over a fill.
enum class TAreaStep { OutlineOnly, Fill, Outline };
// Runs the steps `item` needs with kP set up for each: outline only when it is not filled or its
// fill is hidden on screen (nothing without a pen), else the fill and, with a pen, the outline.
void DrawAreaSteps(TPLNDraw* draw, const TPLN2DItem& item, const std::function<void(TAreaStep)>& shape);

// Screen and paper drawing shared by the circle and the ellipse.
void DrawOvalItem(TPLNBaseDraw* draw, const TPLN2DItem& item);
void PrintOvalItem(TPLNBaseDraw* draw, const TPLN2DItem& item);
// Half size in pixels of a terminator of `sizeMM` millimetres.
float TermHalfSize(const TPLNBaseDraw& draw, float sizeMM);
// A terminator of an item on screen (spread 8, direction by a neighbouring point).
void DrawItemTerm(TPLNDraw* draw, TORVTermType term, TAlphaColor penColor, TAlphaColor termColor, float sizeMM,
                  QPointF end, QPointF neighbour);
// The same on the printer: fill colour first, nothing for type none.
void PrintItemTerm(TPLNDraw* draw, TORVTermType term, TAlphaColor termColor, float sizeMM, QPointF end,
                   QPointF neighbour, bool byAngle);

// Codes. `anchor` is the item's point 1 in device pixels (ScreenPos on screen, PrintPos on
// paper); the symbol's box is placed on it by the code's alignments and turned by its angle, as
// a text's box is (Utils::AdjustRect, Utils::DrawTxtPos), so the same layout (LinearLayout)
// serves screen, export and paper. Bars and modules are drawn without anti-aliasing.
// A linear symbol and, when shown, its human-readable line in `color`; nothing for an invalid
// code (the item draws its cross).
void DrawBarcode(TPLNDraw* draw, const Barcode::IORVBarcode& code, const Barcode::TORVLinearCode& encoded,
                 QPointF anchor, TAlphaColor color);
void PrintBarcode(TPLNDraw* draw, const Barcode::IORVBarcode& code, const Barcode::TORVLinearCode& encoded,
                  QPointF anchor, TAlphaColor color);
// The modules of a 2-D code, each moduleW x moduleH millimetres, inside paddings padX, padY
// (millimetres), placed and turned like a linear code's box.
struct TORV2DPlacement {
  double ModuleW = 0.5, ModuleH = 0.5, PadX = 0, PadY = 0;
  TORVHorzAlign HorzAlign = TORVHorzAlign::Left;
  TORVVertAlign VertAlign = TORVVertAlign::Top;
  TORVAngle Angle = TORVAngle::A0;
};
void Draw2DCode(TPLNDraw* draw, const Barcode::TORVModuleMatrix& matrix, const TORV2DPlacement& place,
                QPointF anchor, TAlphaColor color);
void Print2DCode(TPLNDraw* draw, const Barcode::TORVModuleMatrix& matrix, const TORV2DPlacement& place,
                 QPointF anchor, TAlphaColor color);

// Screen and print positions of a point, the cell origin included.
QPointF ScreenPos(const TPLNBaseDraw& draw, const TORVPto& p);
// Sets the print canvas's stroke for an item's pen: line style, flat cap, mitred joins, colour,
// thickness.
void SetupPrintPen(TPLNDraw* draw, const TPLNBaseItem& item);
// Sets the print canvas's fill to the item's back colour when its fill shows (ShowsFill); false,
// and nothing set, when it does not.
bool SetupPrintFill(TPLNDraw* draw, const TPLN2DItem& item);
QPointF PrintPos(const TPLNBaseDraw& draw, const TORVPto& p);       // fractional device pixels
QPointF PrintPosWhole(const TPLNBaseDraw& draw, const TORVPto& p);  // whole device pixels

// The class-level readers: a new item of T entered into `owner`, then its record.
template <class T>
T* ReadItem(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  std::unique_ptr<T> orphan;  // only without an owner does a failed read leave the item to us
  T* item = new T(owner, readType == TORVReadType::Preview);
  if (!owner) orphan.reset(item);
  item->ReadData(version, r, readType);
  orphan.release();
  return item;
}

template <class T>
T* ReadItemJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  std::unique_ptr<T> orphan;
  T* item = new T(owner, false);
  if (!owner) orphan.reset(item);
  item->ReadJson(version, o);
  orphan.release();
  return item;
}

}  // namespace Orv::Fmx
