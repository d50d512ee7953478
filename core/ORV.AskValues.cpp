#include "ORV.AskValues.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>

#include "ORV.Json.h"
#include "ORV.Msg.h"
#include "ORV.Utils.h"

namespace Orv {

EPLNCancelled::EPLNCancelled() : EPLNError(TPLNMsg::GetErrorValue("AskCancelled")) {}

namespace {
const char* const kKindNames[kAskKinds] = {"text", "date", "number", "copies", "list"};
const char* const kSourceNames[3] = {"design", "file", "application"};

QString Quoted(const QString& s) { return QStringLiteral("\"%1\"").arg(Utils::QuoteForMessage(s)); }
}  // namespace

QString AskKindName(TORVAskKind k) { return QString::fromLatin1(kKindNames[static_cast<int>(k) % kAskKinds]); }

bool AskKindFromName(const QString& name, TORVAskKind* k) {
  for (int i = 0; i < kAskKinds; ++i)
    if (name.compare(QLatin1String(kKindNames[i]), Qt::CaseInsensitive) == 0) {
      *k = static_cast<TORVAskKind>(i);
      return true;
    }
  return false;
}

void TPLNAskValue::Write(TBinaryWriter& w) const {
  w.WriteString(Name);
  w.WriteString(Prompt);
  w.WriteByte(static_cast<std::uint8_t>(Kind));
  w.WriteString(Format);
  w.WriteString(Default);
  w.WriteByte(static_cast<std::uint8_t>(ListSource));
  w.WriteInt32(static_cast<std::int32_t>(List.size()));
  for (const QString& v : List) w.WriteString(v);
  w.WriteString(ListFile);
}

void TPLNAskValue::Read(TBinaryReader& r) {
  Name = r.ReadString();
  Prompt = r.ReadString();
  const std::uint8_t kind = r.ReadByte();
  if (kind >= kAskKinds) throw EPLNError(QStringLiteral("asked value %1: unknown kind %2").arg(Quoted(Name)).arg(kind));
  Kind = static_cast<TORVAskKind>(kind);
  Format = r.ReadString();
  Default = r.ReadString();
  const std::uint8_t source = r.ReadByte();
  if (source > 2) throw EPLNError(QStringLiteral("asked value %1: unknown list source %2").arg(Quoted(Name)).arg(source));
  ListSource = static_cast<TORVListSource>(source);
  const std::int32_t n = r.ReadCount(1, "list value");
  List.clear();
  for (int i = 0; i < n; ++i) List << r.ReadString();
  ListFile = r.ReadString();
}

QJsonObject TPLNAskValue::ToJson() const {
  QJsonObject o{{QStringLiteral("Name"), Name}, {QStringLiteral("Kind"), AskKindName(Kind)}};
  if (!Prompt.isEmpty()) o.insert(QStringLiteral("Prompt"), Prompt);
  if (!Format.isEmpty()) o.insert(QStringLiteral("Format"), Format);
  if (!Default.isEmpty()) o.insert(QStringLiteral("Default"), Default);
  if (Kind == TORVAskKind::List || ListSource != TORVListSource::Design)
    o.insert(QStringLiteral("ListSource"), QString::fromLatin1(kSourceNames[static_cast<int>(ListSource)]));
  if (!List.isEmpty()) o.insert(QStringLiteral("List"), QJsonArray::fromStringList(List));
  if (!ListFile.isEmpty()) o.insert(QStringLiteral("ListFile"), ListFile);
  return o;
}

void TPLNAskValue::FromJson(const QJsonObject& o) {
  Name = Json::Str(o, "Name");
  if (Name.trimmed().isEmpty()) throw EPLNError(QStringLiteral("an asked value has no \"Name\""));
  const QString kind = Json::Str(o, "Kind", QStringLiteral("text"));
  if (!AskKindFromName(kind, &Kind))
    throw EPLNError(QStringLiteral("asked value %1: unknown \"Kind\" %2").arg(Quoted(Name), Quoted(kind)));
  Prompt = Json::Str(o, "Prompt");
  Format = Json::Str(o, "Format");
  Default = Json::Str(o, "Default");
  const QString source = Json::Str(o, "ListSource", QStringLiteral("design"));
  int s = -1;
  for (int i = 0; i < 3; ++i)
    if (source.compare(QLatin1String(kSourceNames[i]), Qt::CaseInsensitive) == 0) s = i;
  if (s < 0) throw EPLNError(QStringLiteral("asked value %1: unknown \"ListSource\" %2").arg(Quoted(Name), Quoted(source)));
  ListSource = static_cast<TORVListSource>(s);
  List.clear();
  if (o.contains(QStringLiteral("List"))) {
    const QJsonValue v = o.value(QStringLiteral("List"));
    if (!v.isArray()) throw EPLNError(QStringLiteral("asked value %1: \"List\" must be an array of texts").arg(Quoted(Name)));
    for (const QJsonValue& e : v.toArray()) {
      if (!e.isString()) throw EPLNError(QStringLiteral("asked value %1: \"List\" must be an array of texts").arg(Quoted(Name)));
      List << e.toString();
    }
  }
  ListFile = Json::Str(o, "ListFile");
}

QStringList ReadListFile(const TPLNAskValue& a, const QString& path) {
  QFile f(path);
  if (path.isEmpty() || !f.open(QIODevice::ReadOnly | QIODevice::Text))
    throw EPLNError(TPLNMsg::GetErrorValue("AskListFile").arg(Quoted(a.Name), Quoted(path)));
  QStringList values;
  QTextStream in(&f);
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (!line.isEmpty()) values << line;
  }
  return values;
}

void CheckAskValue(const TPLNAskValue& a, const QString& value, const QStringList& list, bool given) {
  const QString name = Quoted(a.Name);
  // An empty list cannot be chosen from, whatever was given.
  if (a.Kind == TORVAskKind::List && list.isEmpty()) throw EPLNError(TPLNMsg::GetErrorValue("AskEmptyList").arg(name));
  if (!given) throw EPLNError(TPLNMsg::GetErrorValue("AskMissing").arg(name));
  const QString v = value.trimmed();
  switch (a.Kind) {
    case TORVAskKind::Text:
      if (v.isEmpty()) throw EPLNError(TPLNMsg::GetErrorValue("AskMissing").arg(name));
      break;
    case TORVAskKind::Date:
      // QDate refuses days that do not exist (31/02) as well as other forms.
      if (!QDate::fromString(v, a.DateFormat()).isValid())
        throw EPLNError(TPLNMsg::GetErrorValue("AskBadDate").arg(name, Quoted(v), a.DateFormat()));
      break;
    case TORVAskKind::Number: {
      bool ok = false;
      const double d = QLocale::c().toDouble(v, &ok);
      if (!ok || !std::isfinite(d)) throw EPLNError(TPLNMsg::GetErrorValue("AskBadNumber").arg(name, Quoted(v)));
      break;
    }
    case TORVAskKind::Copies: {
      bool ok = false;
      const int n = v.toInt(&ok);
      if (!ok || n < 1 || n > TPLNAskValue::kMaxCopies)
        throw EPLNError(TPLNMsg::GetErrorValue("AskBadCopies").arg(name).arg(TPLNAskValue::kMaxCopies).arg(Quoted(v)));
      break;
    }
    case TORVAskKind::List:
      if (!list.contains(value)) throw EPLNError(TPLNMsg::GetErrorValue("AskNotInList").arg(name, Quoted(value)));
      break;
  }
}

// ---------------------------------------------------------------- counters file

QHash<QString, std::int64_t> ReadCountersFile(const QString& path) {
  QHash<QString, std::int64_t> out;
  QFile f(path);
  if (!f.exists()) return out;
  if (!f.open(QIODevice::ReadOnly))
    throw EPLNError(TPLNMsg::GetErrorValue("CountersFileRead").arg(Quoted(path), f.errorString()));
  QJsonParseError err{};
  const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
  if (!doc.isObject())
    throw EPLNError(TPLNMsg::GetErrorValue("CountersFileRead").arg(Quoted(path), err.error != QJsonParseError::NoError ? err.errorString() : QStringLiteral("not a JSON object")));
  const QJsonObject o = doc.object();
  for (auto it = o.begin(); it != o.end(); ++it) {
    const double d = it.value().toDouble(-1);
    if (!it.value().isDouble() || d < 1 || d != std::floor(d))
      throw EPLNError(TPLNMsg::GetErrorValue("CountersFileRead").arg(Quoted(path), QStringLiteral("%1 is not a number from 1").arg(Quoted(it.key()))));
    out.insert(it.key(), static_cast<std::int64_t>(d));
  }
  return out;
}

namespace {
void SaveCounters(const QString& path, const QByteArray& bytes, bool commit) {
  QSaveFile f(path);
  auto fail = [&] { throw EPLNError(TPLNMsg::GetErrorValue("CountersFileWrite").arg(Quoted(path), f.errorString())); };
  if (path.isEmpty() || !f.open(QIODevice::WriteOnly)) fail();
  if (f.write(bytes) != bytes.size()) fail();
  // A file we could replace but not open for writing is one the user protected.
  const QFileInfo info(path);
  if (info.exists() && !info.isWritable()) {
    f.cancelWriting();
    throw EPLNError(TPLNMsg::GetErrorValue("CountersFileWrite").arg(Quoted(path), QStringLiteral("the file is read-only")));
  }
  if (!commit) {
    f.cancelWriting();
    f.commit();
    return;
  }
  if (!f.commit()) fail();
}
}  // namespace

void WriteCountersFile(const QString& path, const QHash<QString, std::int64_t>& next) {
  QJsonObject o;
  // Numbers other designs keep in the same file stay.
  const QHash<QString, std::int64_t> kept = ReadCountersFile(path);
  for (auto it = kept.cbegin(); it != kept.cend(); ++it) o.insert(it.key(), static_cast<double>(it.value()));
  for (auto it = next.cbegin(); it != next.cend(); ++it) o.insert(it.key(), static_cast<double>(it.value()));
  SaveCounters(path, QJsonDocument(o).toJson(QJsonDocument::Indented), true);
}

void CheckCountersFileWritable(const QString& path) { SaveCounters(path, QByteArrayLiteral("{}"), false); }

}  // namespace Orv
