#include "ORV.Json.h"

#include <QJsonDocument>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdio>

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
    const std::int64_t x = ToInt(p[0], key), y = ToInt(p[1], key);
    // The binary reader takes the same range, so a drawing converts either way and back.
    if (std::max(std::abs(x), std::abs(y)) > kMaxCoord)
      throw EPLNError(QStringLiteral("\"%1\" holds [%2, %3], beyond the drawing's range of %4 km either way")
                          .arg(QLatin1String(key)).arg(x).arg(y).arg(kMaxCoord / 1'000'000'000));
    pts.emplace_back(x, y);
  }
  return pts;
}

QJsonArray PointsValue(const std::vector<TORVPto>& pts) {
  QJsonArray a;
  for (const TORVPto& p : pts) a.append(QJsonArray{static_cast<double>(p.X), static_cast<double>(p.Y)});
  return a;
}

void TJsonObjectSink::Int(const char* key, std::int64_t v) { fObject.insert(QLatin1String(key), static_cast<double>(v)); }
void TJsonObjectSink::Num(const char* key, double v) { fObject.insert(QLatin1String(key), v); }
void TJsonObjectSink::Bool(const char* key, bool v) { fObject.insert(QLatin1String(key), v); }
void TJsonObjectSink::Str(const char* key, const QString& v) { fObject.insert(QLatin1String(key), v); }
void TJsonObjectSink::Color(const char* key, TAlphaColor c) { fObject.insert(QLatin1String(key), ColorValue(c)); }
void TJsonObjectSink::Points(const char* key, const std::vector<TORVPto>& pts) {
  fObject.insert(QLatin1String(key), PointsValue(pts));
}
void TJsonObjectSink::Value(const char* key, const QJsonValue& v) { fObject.insert(QLatin1String(key), v); }

void TJsonTextSink::Begin() {
  fOut.append('{');
  fFirst = true;
}
void TJsonTextSink::End() { fOut.append('}'); }
void TJsonTextSink::Key(const char* key) {
  if (!fFirst) fOut.append(',');
  fFirst = false;
  fOut.append('"').append(key).append("\":");
}
void TJsonTextSink::Int(const char* key, std::int64_t v) {
  Key(key);
  fOut.append(QByteArray::number(static_cast<qlonglong>(v)));
}
void TJsonTextSink::Num(const char* key, double v) {
  Key(key);
  if (!std::isfinite(v)) {
    fOut.append("null");  // JSON has no NaN; readers take the default
  } else if (v == std::floor(v) && std::abs(v) < 1e15) {
    fOut.append(QByteArray::number(static_cast<qlonglong>(v)));
  } else {
    // Shortest text that reads back as the same double, always with a decimal point.
    fOut.append(QByteArray::number(v, 'g', QLocale::FloatingPointShortest));
  }
}
void TJsonTextSink::Bool(const char* key, bool v) {
  Key(key);
  fOut.append(v ? "true" : "false");
}
void TJsonTextSink::Str(const char* key, const QString& v) {
  Key(key);
  AppendQuoted(fOut, v);
}
void TJsonTextSink::Color(const char* key, TAlphaColor c) {
  Key(key);
  static const char hex[] = "0123456789ABCDEF";
  char buf[11] = {'"', '#'};
  for (int i = 0; i < 8; ++i) buf[2 + i] = hex[(c >> (28 - 4 * i)) & 0xF];
  buf[10] = '"';
  fOut.append(buf, 11);
}
void TJsonTextSink::Points(const char* key, const std::vector<TORVPto>& pts) {
  Key(key);
  fOut.append('[');
  for (std::size_t i = 0; i < pts.size(); ++i) {
    if (i) fOut.append(',');
    fOut.append('[').append(QByteArray::number(static_cast<qlonglong>(pts[i].X))).append(',');
    fOut.append(QByteArray::number(static_cast<qlonglong>(pts[i].Y))).append(']');
  }
  fOut.append(']');
}

void TJsonTextSink::Value(const char* key, const QJsonValue& v) {
  Key(key);
  if (v.isObject()) fOut.append(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
  else if (v.isArray()) fOut.append(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
  else {
    // A lone value: wrapped in an array to serialise, the brackets taken off again.
    const QByteArray a = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    fOut.append(a.mid(1, a.size() - 2));
  }
}

void AppendQuoted(QByteArray& out, const QString& s) {
  out.append('"');
  const QByteArray u = s.toUtf8();
  for (char ch : u) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out.append("\\\""); break;
      case '\\': out.append("\\\\"); break;
      case '\n': out.append("\\n"); break;
      case '\r': out.append("\\r"); break;
      case '\t': out.append("\\t"); break;
      default:
        if (c < 0x20) {
          char buf[7];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out.append(buf);
        } else {
          out.append(ch);
        }
    }
  }
  out.append('"');
}

}  // namespace Orv::Json
