#pragma once
// The drawing context every item draws and prints through, the unit conversions of the device,
// the font print resolution, bitmap filters, the font list, line styles and terminators.

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTransform>
#include <cstdint>

#include "ORV.BaseDraw.h"
#include "ORV.Canvas.h"
#include "ORV.Types.h"

class QObject;

namespace Orv {
class TPLNBaseLabel;
}

namespace Orv::Fmx {

class TPLNDraw : public Orv::TPLNBaseDraw {
 public:
  TPLNDraw();
  // kP may point at OwnPaint, so a copy would share or lose it; hosts make one context each.
  TPLNDraw(const TPLNDraw&) = delete;
  TPLNDraw& operator=(const TPLNDraw&) = delete;

  Orv::Canvas::ISkCanvas* kC = nullptr;
  // The shared paint; a host may point it at a paint of its own.
  Orv::Canvas::TSkPaint OwnPaint;
  Orv::Canvas::TSkPaint* kP = &OwnPaint;
  // Text measurement and, when printing, the printer canvas.
  Orv::Canvas::IPrintCanvas* pC = nullptr;
  QTransform LM;

  // Scratch state of the text routines.
  std::int32_t aPos = -1;
  float aPosx = 0, aPosy = 0;
  std::int32_t aPosIx = 0, aPosIy = 0;
  float aMaxX = 0, aMaxY = 0;
  QString aTxt;
  float aW = 0, aH = 0, aHT = 0, aHH = 0, aFH = 0, aFE = 0, aFP = 0;

  // Device sizes of 0.5, 1, 2, 3 and 4 mm: the standard dash lengths.
  float w05 = 0, w1 = 0, w2 = 0, w3 = 0, w4 = 0;

  bool aDrawLinkPto = false;
  TAlphaColor aLinkPoint = 0xFF1E90FFu;
  bool aFocused = false;
  std::int32_t aSelStart = 0, aSelEnd = 0;

  void ResetMatrix(TORVDrawState state);
  // Makes LM the matrix of the print canvas (when there is one).
  void ApplyMatrix();
  // Each acts after the transforms already in LM (points are row vectors: p · LM · M).
  void Rotate(float angle);
  void Scale(float sx, float sy);
  void Translate(float dx, float dy);
  void ResetText();

  // Base units to device pixels, and back (never negative).
  float DrawValueX(std::int32_t length) const;
  float DrawValueY(std::int32_t length) const;
  std::int64_t BaseValueX(float pixels) const;
  std::int64_t BaseValueY(float pixels) const;

  // Fills w05..w4 for the current resolution; call after SetResolution.
  void SetStandardWidths();
};

// The context of an item's Draw/Print, or null when the host handed something else.
TPLNDraw* ToDraw(Orv::TPLNBaseDraw* draw);

// Font heights in millimetres to pixels at the font print resolution (96 at start).
float FontPrintSize(float size);
void SetFontPrintDPI(float value);
float GetFontPrintDPI();

// In-place filters; alpha is kept by the first two.
void ConvertGrayScale(QImage& bitmap);
void ConvertBlackWhite(QImage& bitmap, std::uint8_t threshold);
void ApplyCircularMask(QImage& bitmap);

// Installed outline font families, sorted, without duplicates.
void CollectFonts(QStringList& list);
// The fonts a font list offers: the document's OnGetFontListEvent when it is set (asked by
// `sender`), else the installed ones.
QStringList FontList(const TPLNBaseLabel* doc, QObject* sender);

// The dash pattern of a line style 1..11 in the context's standard lengths; empty otherwise.
std::vector<float> LineTypePattern(const TPLNDraw& draw, TORVineType lineType);

// Screen and export: stroke style and dash effect of kP for a line of `lineType` drawn by an item
// in `state`. The caller sets the colour before and the stroke width after.
void AdjustLineType(TPLNDraw* draw, TORVineType lineType, TORVItemState state);
// Printer: thickness and dash of pC's stroke brush.
void AdjustPrintLineType(TPLNDraw* draw, float penWidth, TORVineType lineType);
// A terminator on the print canvas with its current stroke and fill. With byAngle the direction
// is the angle (radians) passed in other.x().
void PrintTermType(TPLNDraw* draw, TORVTermType term, QPointF point, QPointF other, std::int32_t size,
                   std::int16_t spread, bool byAngle);
// The sample of a terminator in a list cell.
void DrawTerm(Orv::Canvas::IPrintCanvas& canvas, const QRectF& cell, TORVTermType term, TAlphaColor lineColor,
              TAlphaColor fillColor);

}  // namespace Orv::Fmx
