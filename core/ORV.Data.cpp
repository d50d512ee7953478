#include "ORV.Data.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include "ORV.BinaryIO.h"
#include "ORV.Utils.h"

namespace Orv {

namespace {

EPLNError LineError(const QString& name, int line, const QString& what) {
  return EPLNError(QStringLiteral("%1: line %2: %3").arg(name).arg(line).arg(what));
}

// The line of the first byte that is not well-formed UTF-8 (overlong forms, surrogates and
// values past U+10FFFF included), or 0 when all of it is.
int BadUtf8Line(const QByteArray& data) {
  int line = 1;
  const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
  const qsizetype n = data.size();
  for (qsizetype i = 0; i < n;) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      if (c == '\n') ++line;
      ++i;
      continue;
    }
    int len = 0;
    unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) len = 2;
    else if (c == 0xE0) len = 3, lo = 0xA0;
    else if (c >= 0xE1 && c <= 0xEC) len = 3;
    else if (c == 0xED) len = 3, hi = 0x9F;
    else if (c >= 0xEE && c <= 0xEF) len = 3;
    else if (c == 0xF0) len = 4, lo = 0x90;
    else if (c >= 0xF1 && c <= 0xF3) len = 4;
    else if (c == 0xF4) len = 4, hi = 0x8F;
    else return line;
    if (i + len > n || p[i + 1] < lo || p[i + 1] > hi) return line;
    for (int k = 2; k < len; ++k)
      if (p[i + k] < 0x80 || p[i + k] > 0xBF) return line;
    i += len;
  }
  return 0;
}

}  // namespace

void TPLNDataSource::SetFields(const QStringList& fields, const QString& where) {
  fFields = fields;
  fIndex.clear();
  for (int i = 0; i < fFields.size(); ++i) {
    if (fIndex.contains(fFields[i]))
      throw EPLNError(
          QStringLiteral("%1: the field \"%2\" appears twice").arg(where, Utils::QuoteForMessage(fFields[i])));
    fIndex.insert(fFields[i], i);
  }
}

int TPLNDataSource::FieldIndex(const QString& name) const {
  const auto it = fIndex.constFind(name);
  if (it != fIndex.constEnd()) return *it;
  for (int i = 0; i < fFields.size(); ++i)
    if (fFields[i].compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

QString TPLNDataSource::Value(int record, int field) const {
  if (record < 0 || record >= RecordCount()) return {};
  const QStringList& r = fRecords[static_cast<std::size_t>(record)];
  return field >= 0 && field < r.size() ? r[field] : QString();
}

TPLNDataSource TPLNDataSource::FromCsv(const QByteArray& raw, const QString& name) {
  QByteArray data = raw;
  if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
  if (const int bad = BadUtf8Line(data)) throw LineError(name, bad, QStringLiteral("the text is not valid UTF-8"));

  TPLNDataSource src;
  const char* p = data.constData();
  const qsizetype n = data.size();
  qsizetype i = 0;
  int line = 1;
  bool header = true;
  while (i < n) {
    const int recordLine = line;
    QStringList fields;
    bool blank = true;
    // One record: fields up to an unquoted line end or the end of the text.
    for (;;) {
      QByteArray field;
      if (i < n && p[i] == '"') {
        blank = false;
        const int openLine = line;
        ++i;
        for (;;) {
          if (i >= n) throw LineError(name, openLine, QStringLiteral("a quoted field is not closed"));
          const char c = p[i++];
          if (c == '"') {
            if (i < n && p[i] == '"') {
              field += '"';
              ++i;
            } else {
              break;
            }
          } else {
            if (c == '\n') ++line;
            field += c;
          }
        }
        if (i < n && p[i] != ',' && p[i] != '\r' && p[i] != '\n')
          throw LineError(name, line, QStringLiteral("text after the closing quote of a field"));
      } else {
        const qsizetype start = i;
        while (i < n && p[i] != ',' && p[i] != '\r' && p[i] != '\n') ++i;
        field = QByteArray(p + start, i - start);
        if (!field.isEmpty()) blank = false;
      }
      fields << QString::fromUtf8(field);
      if (i < n && p[i] == ',') {
        blank = false;
        ++i;
        continue;
      }
      // A line end (CRLF, LF or a lone CR) or the end of the text closes the record.
      if (i < n && p[i] == '\r') ++i;
      if (i < n && p[i] == '\n') ++i;
      ++line;
      break;
    }
    if (blank) continue;
    if (header) {
      for (QString& f : fields) f = f.trimmed();
      src.SetFields(fields, QStringLiteral("%1: line %2").arg(name).arg(recordLine));
      header = false;
      continue;
    }
    if (fields.size() != src.fFields.size())
      throw LineError(name, recordLine,
                      QStringLiteral("%1 %2 where the header names %3")
                          .arg(fields.size())
                          .arg(fields.size() == 1 ? QStringLiteral("field") : QStringLiteral("fields"))
                          .arg(src.fFields.size()));
    src.fRecords.push_back(std::move(fields));
  }
  if (header) throw EPLNError(QStringLiteral("%1: no header row naming the fields").arg(name));
  return src;
}

TPLNDataSource TPLNDataSource::FromJson(const QByteArray& data, const QString& name) {
  QJsonParseError err;
  const QJsonDocument doc = QJsonDocument::fromJson(data, &err);
  if (err.error != QJsonParseError::NoError) {
    const int line = static_cast<int>(data.left(err.offset).count('\n')) + 1;
    throw LineError(name, line, err.errorString());
  }
  if (!doc.isArray()) throw EPLNError(QStringLiteral("%1: expected a JSON array of objects, one per record").arg(name));
  const QJsonArray arr = doc.array();
  TPLNDataSource src;
  QStringList fields;
  QHash<QString, int> seen;
  for (qsizetype r = 0; r < arr.size(); ++r) {
    if (!arr[r].isObject()) throw EPLNError(QStringLiteral("%1: record %2 is not an object").arg(name).arg(r + 1));
    const QJsonObject o = arr[r].toObject();
    for (auto it = o.begin(); it != o.end(); ++it)
      if (!seen.contains(it.key())) {
        seen.insert(it.key(), static_cast<int>(fields.size()));
        fields << it.key();
      }
  }
  src.SetFields(fields, name);
  src.fRecords.reserve(static_cast<std::size_t>(arr.size()));
  for (qsizetype r = 0; r < arr.size(); ++r) {
    const QJsonObject o = arr[r].toObject();
    QStringList values(fields.size());
    for (auto it = o.begin(); it != o.end(); ++it) {
      const QJsonValue v = it.value();
      QString& out = values[seen.value(it.key())];
      if (v.isString()) out = v.toString();
      // QString::number ignores the locale: always a decimal point.
      else if (v.isDouble()) out = QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
      else if (v.isBool()) out = v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
      else if (!v.isNull())
        throw EPLNError(QStringLiteral("%1: record %2, field \"%3\": a value must be text, a number, true, false or null")
                            .arg(name).arg(r + 1).arg(Utils::QuoteForMessage(it.key())));
    }
    src.fRecords.push_back(std::move(values));
  }
  return src;
}

TPLNDataSource TPLNDataSource::Slice(int first, int count) const {
  TPLNDataSource out;
  out.fFields = fFields;
  out.fIndex = fIndex;
  const int from = std::clamp(first, 0, RecordCount());
  const int to = std::clamp(from + std::max(0, count), from, RecordCount());
  out.fRecords.assign(fRecords.begin() + from, fRecords.begin() + to);
  return out;
}

TPLNDataSource TPLNDataSource::Repeated(int times, const QString& countField, int maxRecords) const {
  TPLNDataSource out;
  out.fFields = fFields;
  out.fIndex = fIndex;
  const int field = countField.isEmpty() ? -1 : FieldIndex(countField);
  if (!countField.isEmpty() && field < 0) throw EPLNError(QStringLiteral("no field \"%1\" to repeat the records by").arg(countField));
  times = std::max(1, times);
  std::int64_t total = 0;
  for (const QStringList& r : fRecords) {
    std::int64_t n = times;
    if (field >= 0) {
      bool ok = false;
      const qlonglong count = r.value(field).trimmed().toLongLong(&ok);
      n *= ok ? std::max<qlonglong>(0, count) : 0;
    }
    total += n;
    if (total > maxRecords)
      throw EPLNError(QStringLiteral("the repeated records would make more than %1 labels").arg(maxRecords));
    for (std::int64_t i = 0; i < n; ++i) out.fRecords.push_back(r);
  }
  return out;
}

std::vector<int> TPLNDataSource::FieldTypes() const {
  std::vector<int> types(static_cast<std::size_t>(fFields.size()), -1);
  for (const QStringList& r : fRecords)
    for (int f = 0; f < fFields.size(); ++f) {
      const QString v = r.value(f).trimmed();
      int& t = types[static_cast<std::size_t>(f)];
      if (v.isEmpty() || t == 0) continue;
      bool ok = false;
      int kind = 0;
      if (v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || v.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        kind = 1;
      else if (v.toLongLong(&ok), ok)
        kind = 2;
      else if (v.toDouble(&ok), ok)
        kind = 4;
      // Whole numbers among other numbers make a column of numbers; any other mix is text.
      if (t == -1 || t == kind) t = kind;
      else if ((t == 2 && kind == 4) || (t == 4 && kind == 2)) t = 4;
      else t = 0;
    }
  for (int& t : types)
    if (t < 0) t = 0;
  return types;
}

TPLNDataSource TPLNDataSource::FromFile(const QString& fileName) {
  const QString ext = QFileInfo(fileName).suffix().toLower();
  if (ext != QLatin1String("csv") && ext != QLatin1String("json"))
    throw EPLNError(QStringLiteral("%1: not a data file (expected .csv or .json)").arg(fileName));
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly)) throw EPLNError(QStringLiteral("%1: %2").arg(fileName, f.errorString()));
  const QByteArray data = f.readAll();
  if (f.error() != QFileDevice::NoError) throw EPLNError(QStringLiteral("%1: %2").arg(fileName, f.errorString()));
  return ext == QLatin1String("csv") ? FromCsv(data, fileName) : FromJson(data, fileName);
}

QString FormatDataValue(const QString& value, const QString& format) {
  if (format.isEmpty()) return value;
  if (format.compare(QLatin1String("upper"), Qt::CaseInsensitive) == 0) return value.toUpper();
  if (format.compare(QLatin1String("lower"), Qt::CaseInsensitive) == 0) return value.toLower();
  // "0", "0.0", "0.00", ...
  const qsizetype dot = format.indexOf(QLatin1Char('.'));
  const QString whole = dot < 0 ? format : format.left(dot);
  const QString decimals = dot < 0 ? QString() : format.mid(dot + 1);
  const auto zeros = [](const QString& s) {
    for (QChar c : s)
      if (c != QLatin1Char('0')) return false;
    return true;
  };
  if (whole != QLatin1String("0") || !zeros(decimals) || (dot >= 0 && decimals.isEmpty())) return value;
  QString number = value.trimmed();
  number.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double v = QLocale::c().toDouble(number, &ok);
  if (!ok) return value;
  return QLocale::c().toString(v, 'f', static_cast<int>(decimals.size()));
}

}  // namespace Orv
