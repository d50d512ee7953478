#include "ORV.Json.h"

#include <cmath>

#include "ORV.BinaryIO.h"

namespace Orv::Json {

namespace {
[[noreturn]] void Bad(const char* key, const char* what) {
  throw EPLNError(QStringLiteral("\"%1\" must be %2").arg(QLatin1String(key), QLatin1String(what)));
}
// Integers up to 2^53 survive a JSON double exactly; beyond that a coordinate is nonsense.
constexpr double kMaxInt = 9007199254740992.0;

std::int64_t ToInt(const QJsonValue& v, const char* key) {
  if (!v.isDouble()) Bad(key, "a number");
  const double d = v.toDouble();
  if (!std::isfinite(d) || std::abs(d) > kMaxInt) Bad(key, "a number within range");
  return static_cast<std::int64_t>(std::llround(d));
}
}  // namespace

std::int64_t Int(const QJsonObject& o, const char* key, std::int64_t def) {
  const auto it = o.constFind(QLatin1String(key));
  if (it == o.constEnd() || it->isNull()) return def;
  return ToInt(*it, key);
}

double Num(const QJsonObject& o, const char* key, double def) {
  const auto it = o.constFind(QLatin1String(key));
  if (it == o.constEnd() || it->isNull()) return def;
  if (!it->isDouble() || !std::isfinite(it->toDouble())) Bad(key, "a number");
  return it->toDouble();
}

bool Bool(const QJsonObject& o, const char* key, bool def) {
  const auto it = o.constFind(QLatin1String(key));
  if (it == o.constEnd() || it->isNull()) return def;
  if (!it->isBool()) Bad(key, "true or false");
  return it->toBool();
}

QString Str(const QJsonObject& o, const char* key, const QString& def) {
  const auto it = o.constFind(QLatin1String(key));
  if (it == o.constEnd() || it->isNull()) return def;
  if (!it->isString()) Bad(key, "a string");
  return it->toString();
}

bool ParseColor(const QString& text, TAlphaColor* out) {
  QString t = text.trimmed();
  if (!t.startsWith(QLatin1Char('#'))) return false;
  t = t.mid(1);
  bool ok = false;
  const quint32 v = t.toUInt(&ok, 16);
  if (!ok) return false;
  if (t.size() == 8) *out = v;
  else if (t.size() == 6) *out = 0xFF000000u | v;
  else return false;
  return true;
}

TAlphaColor Color(const QJsonObject& o, const char* key, TAlphaColor def) {
  const auto it = o.constFind(QLatin1String(key));
  if (it == o.constEnd() || it->isNull()) return def;
  if (it->isString()) {
    TAlphaColor c;
    if (!ParseColor(it->toString(), &c)) Bad(key, "a colour such as \"#FF000000\"");
    return c;
  }
  const std::int64_t n = ToInt(*it, key);
  if (n < 0 || n > 0xFFFFFFFFll) Bad(key, "a 32-bit ARGB colour");
  return static_cast<TAlphaColor>(n);
}

QJsonValue ColorValue(TAlphaColor c) {
  return QStringLiteral("#%1").arg(c, 8, 16, QLatin1Char('0')).toUpper();
}

std::vector<TORVPto> Points(const QJsonObject& o, const char* key) {
  std::vector<TORVPto> pts;
  const auto it = o.constFind(QLatin1String(key));
  if (it == o.constEnd() || it->isNull()) return pts;
  if (!it->isArray()) Bad(key, "an array of [x, y] pairs");
  const QJsonArray a = it->toArray();
  pts.reserve(a.size());
  for (const QJsonValue& v : a) {
    if (!v.isArray()) Bad(key, "an array of [x, y] pairs");
    const QJsonArray p = v.toArray();
    if (p.size() != 2) Bad(key, "an array of [x, y] pairs");
    pts.emplace_back(ToInt(p[0], key), ToInt(p[1], key));
  }
  return pts;
}

QJsonArray PointsValue(const std::vector<TORVPto>& pts) {
  QJsonArray a;
  for (const TORVPto& p : pts) a.append(QJsonArray{static_cast<double>(p.X), static_cast<double>(p.Y)});
  return a;
}

}  // namespace Orv::Json
