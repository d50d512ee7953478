#include "ORV.Utils.h"

#include <QLocale>
#include <algorithm>

#include "ORV.BaseDraw.h"

namespace Orv::Utils {

double UnitFactor(TORVUnits units) {
  switch (units) {
    case TORVUnits::mm: return 1000.0;
    case TORVUnits::inch: return 25400.0;
    case TORVUnits::cm: return 10000.0;
    case TORVUnits::dm: return 100000.0;
    case TORVUnits::m: return 1000000.0;
    case TORVUnits::foot: return 304800.0;
    case TORVUnits::yard: return 914400.0;  // three feet
  }
  return 1000.0;
}

std::int64_t SetValue(double value, TORVUnits units) { return RoundHalfAway(value * UnitFactor(units)); }

double GetValue(std::int64_t base, TORVUnits units) { return static_cast<double>(base) / UnitFactor(units); }

QString UnitName(TORVUnits units) {
  static const char* names[] = {"mm", "in", "cm", "dm", "m", "ft", "yd"};
  const auto i = static_cast<unsigned>(units);
  return QString::fromLatin1(i < 7 ? names[i] : "mm");
}

bool UnitFromName(const QString& name, TORVUnits* out) {
  for (int i = 0; i < 7; ++i) {
    if (name.compare(UnitName(static_cast<TORVUnits>(i)), Qt::CaseInsensitive) == 0) {
      *out = static_cast<TORVUnits>(i);
      return true;
    }
  }
  return false;
}

float BasePtoX(double penWidth, const TPLNBaseDraw& draw) { return draw.DrawBasePtoX(penWidth); }
float BasePtoY(double penWidth, const TPLNBaseDraw& draw) { return draw.DrawBasePtoY(penWidth); }

QString FormatFloat(double value, int decimals) { return QLocale::c().toString(value, 'f', decimals); }

QString QuoteForMessage(const QString& value, int limit) {
  QString out;
  out.reserve(std::min<qsizetype>(value.size(), limit) + 8);
  int taken = 0;
  qsizetype i = 0;
  for (; i < value.size() && taken < limit; ++i, ++taken) {
    const QChar c = value.at(i);
    switch (c.unicode()) {
      case '\n': out += QLatin1String("\\n"); break;
      case '\r': out += QLatin1String("\\r"); break;
      case '\t': out += QLatin1String("\\t"); break;
      case 0: out += QLatin1String("\\0"); break;
      default:
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
          out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else if (c.isHighSurrogate() && i + 1 < value.size()) {
          out += c;
          out += value.at(++i);  // keep a surrogate pair whole
        } else
          out += c;
    }
  }
  if (i < value.size()) out += QLatin1String("...");
  return out;
}

}  // namespace Orv::Utils

namespace Orv {
void TPLNBaseDraw::SetResolution(std::int32_t dpiX, std::int32_t dpiY, std::int64_t drawScale) {
  DPIx = dpiX;
  DPIy = dpiY;
  DrawScale = drawScale < 1 ? 1 : drawScale;
  PixPerBaseX = dpiX / (25400.0 * DrawScale);
  PixPerBaseY = dpiY / (25400.0 * DrawScale);
  PixPerMM = static_cast<float>(dpiY / 25.4);
}
}  // namespace Orv

