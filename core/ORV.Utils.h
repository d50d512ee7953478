#pragma once
// Unit conversions and the one rounding rule every conversion uses.

#include <QString>
#include <cmath>
#include <cstdint>

#include "ORV.Types.h"

namespace Orv {
class TPLNBaseDraw;
}

namespace Orv::Utils {

constexpr double kBasePerInch = 25400.0;
constexpr double kBasePerMM = 1000.0;

// Half away from zero, the rounding of every base-unit conversion.
inline std::int64_t RoundHalfAway(double v) {
  return static_cast<std::int64_t>(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5));
}

// Base units in one unit of `units`.
double UnitFactor(TORVUnits units);
// A value in `units` to base units.
std::int64_t SetValue(double value, TORVUnits units);
// Base units to a value in `units`.
double GetValue(std::int64_t base, TORVUnits units);
// Short unit name ("mm", "in", "cm", "dm", "m", "ft", "yd").
QString UnitName(TORVUnits units);
bool UnitFromName(const QString& name, TORVUnits* out);

// Device size of a pen width held in base units (pens are physical: a drawing scale does not
// thin them).
float BasePtoX(double penWidth, const TPLNBaseDraw& draw);
float BasePtoY(double penWidth, const TPLNBaseDraw& draw);

// Numbers for files and texts always with a decimal point, whatever the locale.
QString FormatFloat(double value, int decimals);

// A value quoted inside an error message: at most `limit` characters of it, control
// characters escaped (\n, \t, \0, \xNN), a cut marked with "...", so one bad 8 MB line or a
// NUL in a tool argument never floods or corrupts a message.
QString QuoteForMessage(const QString& value, int limit = 80);

}  // namespace Orv::Utils
