#include "ORV.Svg.h"

#include <cmath>

#include "ORV.BinaryIO.h"

namespace Orv {

namespace {
const char* const kNames[] = {"current_unit", "no_measures", "factor", "factor_px"};
}

QString SvgKindName(TORVSvgKind kind) { return QLatin1String(kNames[static_cast<int>(kind) & 3]); }

QStringList SvgKindNames() {
  QStringList names;
  for (const char* n : kNames) names << QLatin1String(n);
  return names;
}

bool SvgKindOf(const QString& name, TORVSvgKind* kind) {
  const QString n = name.trimmed().toLower();
  for (int i = 0; i < 4; ++i)
    if (n == QLatin1String(kNames[i])) {
      *kind = static_cast<TORVSvgKind>(i);
      return true;
    }
  return false;
}

bool SvgKindScales(TORVSvgKind kind) { return kind == TORVSvgKind::Factor || kind == TORVSvgKind::FactorPx; }

QString SvgSideText(double mm, TORVUnits units, TORVSvgKind kind, double factor) {
  if (SvgKindScales(kind) && !(std::isfinite(factor) && factor > 0))
    throw EPLNError(QStringLiteral("the SVG scale factor must be a number above 0, not %1").arg(factor));
  const double f = SvgKindScales(kind) ? factor : 1.0;
  // Up to four decimals, trailing zeros dropped: exact for any size in whole micrometres.
  auto text = [](double v, const char* unit) {
    QString s = QString::number(v, 'f', 4);
    while (s.endsWith(QLatin1Char('0'))) s.chop(1);
    if (s.endsWith(QLatin1Char('.'))) s.chop(1);
    return s + QLatin1String(unit);
  };
  if (kind == TORVSvgKind::FactorPx) return text(mm / 25.4 * 96.0 * f, "");
  switch (units) {
    case TORVUnits::inch:
    case TORVUnits::foot:
    case TORVUnits::yard: return text(mm / 25.4 * f, "in");
    case TORVUnits::cm:
    case TORVUnits::dm:
    case TORVUnits::m: return text(mm / 10.0 * f, "cm");
    case TORVUnits::mm: break;
  }
  return text(mm * f, "mm");
}

}  // namespace Orv
