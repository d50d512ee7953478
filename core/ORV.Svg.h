#pragma once
// What an SVG export of the document is asked for: its kind, its scale factor, element ids, and
// the size attributes of its root. The drawing itself is the host control's (it needs the
// canvas layer); the document declares SVG and SaveSVG for it.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "ORV.Types.h"

namespace Orv {

// 0: the page in the document's unit, every item; 1: the same without dimension items; 2: the
// page's size multiplied by a factor; 3: the size in pixels (96 per inch) multiplied by a factor.
enum class TORVSvgKind : std::uint8_t { CurrentUnit = 0, NoMeasures = 1, Factor = 2, FactorPx = 3 };

// "current_unit", "no_measures", "factor", "factor_px".
QString SvgKindName(TORVSvgKind kind);
QStringList SvgKindNames();
// Names trimmed and compared without case; false for any other name.
bool SvgKindOf(const QString& name, TORVSvgKind* kind);
// Whether the kind scales the page by a factor (which must then be finite and above 0).
bool SvgKindScales(TORVSvgKind kind);

// The root's width or height for a page side of `mm` millimetres: in the unit (SVG knows mm, cm
// and in; decimetres and metres are written in cm, feet and yards in inches) times the factor
// for the factor kinds, or in pixels for factor_px. Raises EPLNError for a factor the kind cannot
// use.
QString SvgSideText(double mm, TORVUnits units, TORVSvgKind kind, double factor);

}  // namespace Orv
