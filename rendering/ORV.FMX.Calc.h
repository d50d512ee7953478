#pragma once
// Text measurement and line breaking. Geometry stays in base units while the text is measured
// with a real font at a reference resolution of 96 pixels per inch.

#include <QString>
#include <cstdint>

#include "ORV.Types.h"
#include "ORV.Canvas.h"

namespace Orv::Fmx {

class TPLNDraw;

class TPLNCalc {
 public:
  // Cached form: the metrics of a font of `fHeight` base units (ascent + descent = fHeight
  // once scaled by `oRatio`). Raises EPLNError "Could not load the specified font" when no
  // installed font serves `aFont`.
  static void FontSettings(const QString& aFont, std::int64_t fHeight, bool bold, bool italic, std::int64_t& oAsc,
                           std::int64_t& oDes, std::int64_t& oUnd, std::int64_t& oLh, double& oRatio);
  // Uncached form that also measures `aTxt` (oWid, base units).
  static void FontSettings(const QString& aTxt, const QString& aFont, std::int64_t fHeight, bool bold, bool italic,
                           std::int64_t& oAsc, std::int64_t& oDes, std::int64_t& oWid, double& oRatio);
  // Width of `aTxt` with the font of the last FontSettings, in base units.
  static std::int64_t CalcTxtSize(const QString& aTxt);
  // Width of `aTxt` in `font` (made by FontSettings) as it is drawn: glyph by glyph, or through
  // the text layout where the text needs shaping (TSkFont::NeedsShaping). Base units.
  static std::int64_t TxtWidth(const Canvas::TSkFont& font, const QString& aTxt);
  static void Reset();
  // Breaks `txt` into lines inside a box; returns the height used (base units). Justified, every
  // line of a paragraph but its last comes as one entry per word, spread over the width.
  static std::int64_t CalcTxtPts(const QString& txt, TPLNDraw* drw, TxtLines& fTxt, std::int64_t mWidth,
                                 std::int64_t mHeight, std::int64_t aPadH, std::int64_t aPadV, TORVHorzAlign hAlign,
                                 TORVVertAlign vAlign, float Inter);
  // The same inside a flow-chart shape.
  static std::int64_t CalcFlowTxtPoints(const QString& txt, TPLNDraw* drw, TxtLines& fTxt, std::int64_t mWidth,
                                        std::int64_t mHeight, std::int64_t aPadH, std::int64_t aPadV,
                                        TORVFlowType aFlowType, float aInter);
  // The font every measurement uses (the last one made by FontSettings).
  static const Canvas::TSkFont& Font();
  // Fonts made by FontSettings on the calling thread: lets tests and benchmarks see the cache work.
  static std::uint64_t FontsMade();
};

// Whether `family` names a font this system draws with: an installed family (case-insensitive),
// a generic family ("sans-serif", "serif", "monospace"), or a name the metric-compatible
// Liberation fonts stand in for (Arial, Helvetica, Times New Roman, Times, Courier New, Courier).
bool FontAvailable(const QString& family);

// Line breaking with the print canvas, in device units; justified lines as CalcTxtPts gives them.
float PrintTxtPoints(const QString& txt, TPLNDraw* drw, TxtFLines& fTxt, float width, float height, float lineHeight,
                     TORVHorzAlign hAlign, TORVVertAlign vAlign, bool flag1, bool noVertAlign);
// Size of `text` on the print canvas, and the shift that puts its glyph box at the origin.
QPointF GetTextSize(Canvas::IPrintCanvas& canvas, const QString& text);
QPointF GetInternalTextOffset(Canvas::IPrintCanvas& canvas, const QString& text);

}  // namespace Orv::Fmx
