#pragma once
// SVG export of the host control's document: every kind draws itself through the SVG canvas in
// the export state, so the SVG shows what the PNG and PDF exports show.

#include <QByteArray>
#include <QString>

#include "ORV.Svg.h"

namespace Orv::Fmx {

class TPlanoraFMX;

struct TSvgExport {
  TORVSvgKind Kind = TORVSvgKind::CurrentUnit;
  double Factor = 1;  // the factor kinds only; finite and above 0
  bool WithIds = true;  // each item's drawing in <g id="item-ID">
  bool Fit = false;     // the drawing's extent (1 mm around it) instead of the sheet
};

// The sheet of the print settings' current page (or the extent) as an SVG document in UTF-8.
// The viewBox is the page in millimetres; the size attributes follow the kind. An item drawn in
// several label cells has the id "item-ID" in the first and "item-ID-N" in its N-th. Raises
// EPLNError for a factor the kind cannot use.
QByteArray SvgDocument(TPlanoraFMX& doc, const TSvgExport& options);
// The same written to `fileName` through a temporary file renamed over it: a failure (bad
// factor, unwritable folder, a directory of that name) raises EPLNError naming the file and
// leaves whatever was there.
void SaveSvgFile(TPlanoraFMX& doc, const QString& fileName, const TSvgExport& options);

}  // namespace Orv::Fmx
