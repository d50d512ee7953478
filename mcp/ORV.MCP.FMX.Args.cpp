#include "ORV.MCP.FMX.Args.h"

#include <QJsonDocument>
#include <cmath>
#include <limits>

#include "ORV.Msg.h"
#include "ORV.Utils.h"

namespace Orv::Mcp {

// ---------------------------------------------------------------- schema

TSchema& TSchema::Add(const char* name, TArgType type, QJsonObject prop, bool required) {
  const QString key = QString::fromLatin1(name);
  fParams.push_back({key, type});
  fProperties.insert(key, prop);
  if (required) fRequired.append(key);
  return *this;
}

namespace {
QJsonObject Prop(const char* type, const QString& description) {
  return QJsonObject{{QStringLiteral("type"), QLatin1String(type)}, {QStringLiteral("description"), description}};
}
}  // namespace

TSchema& TSchema::Num(const char* name, const QString& description, bool required) {
  return Add(name, TArgType::Number, Prop("number", description), required);
}
TSchema& TSchema::Int(const char* name, const QString& description, bool required) {
  return Add(name, TArgType::Integer, Prop("integer", description), required);
}
TSchema& TSchema::Str(const char* name, const QString& description, bool required) {
  return Add(name, TArgType::String, Prop("string", description), required);
}
TSchema& TSchema::Data(const char* name, const QString& description, bool required) {
  return Add(name, TArgType::Data, Prop("string", description), required);
}
TSchema& TSchema::Bool(const char* name, const QString& description, bool required) {
  return Add(name, TArgType::Boolean, Prop("boolean", description), required);
}
TSchema& TSchema::Enum(const char* name, const QStringList& values, const QString& description, bool required) {
  QJsonObject p = Prop("string", description);
  p.insert(QStringLiteral("enum"), QJsonArray::fromStringList(values));
  return Add(name, TArgType::String, p, required);
}
TSchema& TSchema::NumArray(const char* name, const QString& description, bool required) {
  QJsonObject p = Prop("array", description);
  p.insert(QStringLiteral("items"), QJsonObject{{QStringLiteral("type"), QStringLiteral("number")}});
  return Add(name, TArgType::NumberArray, p, required);
}
TSchema& TSchema::ObjArray(const char* name, const QString& description, bool required) {
  QJsonObject p = Prop("array", description);
  p.insert(QStringLiteral("items"), QJsonObject{{QStringLiteral("type"), QStringLiteral("object")}});
  return Add(name, TArgType::ObjectArray, p, required);
}

QJsonObject TSchema::Json() const {
  QJsonObject o{{QStringLiteral("type"), QStringLiteral("object")},
                {QStringLiteral("additionalProperties"), false},
                {QStringLiteral("properties"), fProperties}};
  if (!fRequired.isEmpty()) o.insert(QStringLiteral("required"), fRequired);
  return o;
}

const TSchema::TParam* TSchema::Find(const QString& name) const {
  for (const TParam& p : fParams)
    if (p.Name == name) return &p;
  return nullptr;
}

// ---------------------------------------------------------------- arguments

bool TArgs::Has(const char* name) const {
  const QJsonValue v = fObject.value(QLatin1String(name));
  return !v.isUndefined() && !v.isNull();
}
double TArgs::Num(const char* name, double def) const { return Has(name) ? fObject.value(QLatin1String(name)).toDouble() : def; }
int TArgs::Int(const char* name, int def) const {
  return Has(name) ? static_cast<int>(fObject.value(QLatin1String(name)).toDouble()) : def;
}
QString TArgs::Str(const char* name, const QString& def) const {
  return Has(name) ? fObject.value(QLatin1String(name)).toString() : def;
}
bool TArgs::Bool(const char* name, bool def) const { return Has(name) ? fObject.value(QLatin1String(name)).toBool() : def; }
bool TArgs::Array(const char* name, QJsonArray* out) const {
  const QJsonValue v = fObject.value(QLatin1String(name));
  if (!v.isArray()) return false;
  *out = v.toArray();
  return true;
}

namespace {

// How a wrong value is named back to the agent.
QString Describe(const QJsonValue& v) {
  switch (v.type()) {
    case QJsonValue::String: return QStringLiteral("a string (\"%1\")").arg(Utils::QuoteForMessage(v.toString(), 80));
    case QJsonValue::Bool: return QStringLiteral("a boolean (%1)").arg(v.toBool() ? "true" : "false");
    case QJsonValue::Array: return QStringLiteral("an array");
    case QJsonValue::Object: return QStringLiteral("an object");
    case QJsonValue::Double: return QStringLiteral("the number %1").arg(v.toDouble());
    default: return QStringLiteral("null");
  }
}

void CheckNumber(const QString& what, double v) {
  if (!std::isfinite(v) || std::abs(v) > kMaxNumber)
    throw EToolError(QStringLiteral("%1 is out of range: numbers must be finite and between -%2 and %2")
                         .arg(what, Fmt(kMaxNumber, 0)));
}

// Agents send numbers as JSON numbers or as their text ("10", " 2.5 "): the text is read with a
// decimal point whatever the locale. Anything else stays as it came, for the caller to refuse.
QJsonValue AsNumber(const QJsonValue& v) {
  if (!v.isString()) return v;
  bool ok = false;
  const double d = v.toString().toDouble(&ok);  // QString::toDouble is the C locale's
  return ok ? QJsonValue(d) : v;
}

// The arguments that name an item by its id (or, for links, by its name).
bool IsIdKey(const QString& key) {
  return key == QLatin1String("id") || key == QLatin1String("from_id") || key == QLatin1String("to_id");
}

}  // namespace

QJsonObject CheckArgs(const QString& tool, const TSchema& schema, const QJsonObject& args) {
  QJsonObject out = args;
  for (auto it = args.begin(); it != args.end(); ++it) {
    const QString& key = it.key();
    const TSchema::TParam* p = schema.Find(key);
    if (!p) {
      QStringList names;
      for (const TSchema::TParam& q : schema.Params()) names << q.Name;
      throw EToolError(names.isEmpty()
                           ? QStringLiteral("Unknown argument \"%1\": %2 takes no arguments").arg(Utils::QuoteForMessage(key, 80), tool)
                           : QStringLiteral("Unknown argument \"%1\" for %2. Its arguments are: %3")
                                 .arg(Utils::QuoteForMessage(key, 80), tool, names.join(QStringLiteral(", "))));
    }
    QJsonValue v = it.value();
    if (v.isNull()) continue;
    const QString arg = QStringLiteral("Argument \"%1\"").arg(key);
    switch (p->Type) {
      case TArgType::Number:
        v = AsNumber(v);
        if (!v.isDouble()) throw EToolError(QStringLiteral("%1 must be a number, not %2").arg(arg, Describe(v)));
        CheckNumber(arg, v.toDouble());
        out.insert(key, v);
        break;
      case TArgType::Integer: {
        // The 0/1 flags are integers, which agents send as booleans just as often.
        v = v.isBool() ? QJsonValue(v.toBool() ? 1 : 0) : AsNumber(v);
        if (!v.isDouble()) throw EToolError(QStringLiteral("%1 must be an integer, not %2").arg(arg, Describe(v)));
        const double d = v.toDouble();
        if (!std::isfinite(d) || d != std::floor(d))
          throw EToolError(QStringLiteral("%1 must be a whole number, not %2").arg(arg, Describe(v)));
        if (std::abs(d) > std::numeric_limits<std::int32_t>::max())
          throw EToolError(QStringLiteral("%1 is out of range: whole numbers must lie between -2147483647 and 2147483647").arg(arg));
        out.insert(key, v);
        break;
      }
      case TArgType::String:
        // Item ids look like numbers, and agents send them as numbers: a whole number is taken
        // as its text. Other texts (folders, colours, names) stay texts only.
        if (IsIdKey(key) && v.isDouble() && std::isfinite(v.toDouble()) && v.toDouble() == std::floor(v.toDouble()) &&
            std::abs(v.toDouble()) <= kMaxNumber) {
          v = QString::number(std::int64_t(v.toDouble()));
          out.insert(key, v);
        }
        if (!v.isString()) throw EToolError(QStringLiteral("%1 must be a string, not %2").arg(arg, Describe(v)));
        if (v.toString().size() > kMaxStringLength)
          throw EToolError(QStringLiteral("%1 is too long: %2 characters (at most %3)")
                               .arg(arg)
                               .arg(v.toString().size())
                               .arg(kMaxStringLength));
        break;
      case TArgType::Data:
        if (!v.isString()) throw EToolError(QStringLiteral("%1 must be a string, not %2").arg(arg, Describe(v)));
        break;
      case TArgType::Boolean:
        // The other way round from the integer flags: a switch may come as 0 or 1.
        if (v.isDouble() && (v.toDouble() == 0 || v.toDouble() == 1)) {
          v = v.toDouble() == 1;
          out.insert(key, v);
        }
        if (!v.isBool()) throw EToolError(QStringLiteral("%1 must be true or false, not %2").arg(arg, Describe(v)));
        break;
      case TArgType::NumberArray:
      case TArgType::ObjectArray: {
        // What is not an array at all is the handler's to word (it knows what the array holds).
        if (!v.isArray()) break;
        QJsonArray a = v.toArray();
        if (a.size() > kMaxArrayValues)
          throw EToolError(QStringLiteral("%1 holds %2 values (at most %3); split the work into several calls")
                               .arg(arg)
                               .arg(a.size())
                               .arg(kMaxArrayValues));
        if (p->Type == TArgType::NumberArray) {
          bool converted = false;
          for (qsizetype i = 0; i < a.size(); ++i) {
            const QJsonValue given = a.at(i);
            const QJsonValue n = AsNumber(given);
            if (!n.isDouble())
              throw EToolError(QStringLiteral("%1 must hold only numbers: value %2 is %3").arg(arg).arg(i).arg(Describe(n)));
            CheckNumber(QStringLiteral("%1: value %2").arg(arg).arg(i), n.toDouble());
            if (!given.isDouble()) {
              a.replace(i, n);
              converted = true;
            }
          }
          if (converted) out.insert(key, a);
        }
        break;
      }
    }
  }
  return out;
}

void AddTool(TPLNMCPServer* server, const QString& name, const QString& description, const TSchema& schema, TToolFn fn) {
  server->RegisterTool(name, description, schema.Json(),
                       [name, schema, fn = std::move(fn)](TPLNBaseLabel* doc, const QJsonObject& args) {
                         // A call that fails half-way takes back what it changed; inside a
                         // begin_update batch the step is not closed yet and stays as it is.
                         const bool own = doc && !doc->IsUpdating();
                         const std::uint64_t recorded = own ? doc->UndoRecorded() : 0;
                         auto failed = [&](const QString& why) {
                           if (own && doc->UndoRecorded() != recorded) doc->DiscardLastStep();
                           return ErrorResult(why);
                         };
                         // Failures raised by the drawing reach the agent in English.
                         const TPLNMsg::TEnglishErrors english;
                         try {
                           if (!doc) throw EToolError(QStringLiteral("%1: no document is open").arg(name));
                           const TArgs checked(CheckArgs(name, schema, args));
                           // Each call is one undo step (a begin_update batch spans its calls).
                           TPLNUndoGroup step(*doc);
                           return fn(doc, checked);
                         } catch (const EToolError& e) {
                           return failed(e.Text());
                         } catch (const EPLNError& e) {
                           return failed(e.Message());
                         } catch (const std::exception& e) {
                           return failed(QString::fromUtf8(e.what()));
                         }
                       });
}

// ---------------------------------------------------------------- results

QJsonObject TextResult(const QString& text) {
  return QJsonObject{
      {QStringLiteral("content"),
       QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("text"), text}}}}};
}

QJsonObject ErrorResult(const QString& text) {
  QJsonObject o = TextResult(text);
  o.insert(QStringLiteral("isError"), true);
  return o;
}

QJsonObject DataResult(const QJsonValue& data, const QJsonObject& structured) {
  const QByteArray text = data.isArray() ? QJsonDocument(data.toArray()).toJson(QJsonDocument::Compact)
                                         : QJsonDocument(data.toObject()).toJson(QJsonDocument::Compact);
  QJsonObject o = TextResult(QString::fromUtf8(text));
  o.insert(QStringLiteral("structuredContent"), structured);
  return o;
}

QString Fmt(double v, int decimals) {
  // printf would write "-0.0" for a value that rounds to nothing.
  const double scale = std::pow(10.0, decimals);
  if (std::abs(v) * scale < 0.5) v = 0;
  return Utils::FormatFloat(v, decimals);
}

// ---------------------------------------------------------------- colours

bool ParseColor(const QString& text, TAlphaColor* out) {
  QString s = text.trimmed();
  if (s.isEmpty()) return false;
  if (s.startsWith(QLatin1Char('#'))) s[0] = QLatin1Char('$');
  if (s.size() == 7 && s.startsWith(QLatin1Char('$'))) s.insert(1, QStringLiteral("FF"));
  bool ok = false;
  std::uint64_t value = 0;
  if (s.startsWith(QLatin1Char('$'))) {
    const QString digits = s.mid(1);
    if (digits.isEmpty() || digits.size() > 16) return false;
    value = digits.toULongLong(&ok, 16);
  } else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    const QString digits = s.mid(2);
    if (digits.isEmpty() || digits.size() > 16) return false;
    value = digits.toULongLong(&ok, 16);
  } else {
    value = static_cast<std::uint64_t>(s.toLongLong(&ok, 10));
  }
  if (!ok) return false;
  *out = static_cast<TAlphaColor>(value & 0xFFFFFFFFu);
  return true;
}

TAlphaColor ColorArg(const TArgs& a, const char* name, TAlphaColor current) {
  TAlphaColor c = current;
  if (a.Has(name)) ParseColor(a.Str(name), &c);
  return c;
}

QString ColorText(TAlphaColor c) {
  return QStringLiteral("#%1%2%3")
      .arg((c >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
      .arg((c >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
      .arg(c & 0xFF, 2, 16, QLatin1Char('0'));
}

// ---------------------------------------------------------------- enumerations

namespace {
struct TName {
  const char* Name;
  int Value;
};
template <std::size_t N>
int Lookup(const TName (&table)[N], const QString& name, int def) {
  const QString n = name.trimmed();
  for (const TName& t : table)
    if (n.compare(QLatin1String(t.Name), Qt::CaseInsensitive) == 0) return t.Value;
  return def;
}
const TName kUnits[] = {{"mm", 0}, {"inch", 1}, {"cm", 2}, {"dm", 3}, {"m", 4}, {"ft", 5}, {"yd", 6}};
const TName kModes[] = {{"labelling", 0}, {"flowchart", 1}, {"flow", 1}, {"drawing", 2}, {"interactive", 3}};
const TName kLineTypes[] = {{"solid", 0}, {"dashed", 1}, {"dotted", 2}, {"dashdot", 3}, {"dashdotdot", 5}};
const TName kTerms[] = {{"none", 0},   {"circle", 1},     {"fillcircle", 2}, {"arrow", 3},       {"fillarrow", 4},
                        {"square", 5}, {"fillsquare", 6}, {"rhombus", 7},    {"fillrhombus", 8}, {"cross", 11}};
const TName kFlowTypes[] = {{"terminator", 0}, {"process", 1},         {"document", 2},     {"multidocument", 3},
                            {"decision", 4},   {"data", 5},            {"database", 6},     {"predefined", 7},
                            {"manualinput", 8}, {"manualoperation", 9}, {"preparation", 10}, {"ellipse", 11},
                            {"start", 12},     {"step", 13},           {"end", 14},         {"stop", 14}};
const TName kLinkTypes[] = {{"direct", 0}, {"lrtb", 1},  {"tblr", 2},     {"step", 3},
                            {"arc", 4},    {"curve", 5}, {"polyline", 6}, {"round", 7}};
const TName kTextPos[] = {{"above", 0},       {"below", 1},      {"middle", 2},
                          {"middleremove", 3}, {"horizontal", 4}, {"vertical", 5}};
const TName kBarTypes[] = {{"EAN13", 0},    {"EAN8", 1},     {"UPCA", 2},     {"CODE39", 4},   {"CODE128", 16},
                           {"CODE128A", 13}, {"CODE128B", 14}, {"CODE128C", 15}, {"CODABAR", 8}, {"CODE93", 6},
                           {"ITF", 17},     {"POSTNET", 22}, {"MSI", 21}};
}  // namespace

TORVUnits UnitsOf(const QString& name) { return static_cast<TORVUnits>(Lookup(kUnits, name, 0)); }
QString UnitsText(TORVUnits u) {
  const int i = static_cast<int>(u);
  return QLatin1String(i >= 0 && i < 7 ? kUnits[i].Name : "mm");
}
std::uint8_t EditorModeOf(const QString& name) { return static_cast<std::uint8_t>(Lookup(kModes, name, 0)); }
QString EditorModeText(std::uint8_t mode) {
  static const char* names[] = {"labelling", "flowchart", "drawing", "interactive"};
  return QLatin1String(mode < 4 ? names[mode] : "labelling");
}
TORVineType LineTypeOf(const QString& name) { return static_cast<TORVineType>(Lookup(kLineTypes, name, 0)); }
TORVTermType TermTypeOf(const QString& name) { return static_cast<TORVTermType>(Lookup(kTerms, name, 0)); }
std::uint8_t TextPosOf(const QString& name) { return static_cast<std::uint8_t>(Lookup(kTextPos, name, 0)); }
TORVFlowType FlowTypeOf(const QString& name) { return static_cast<TORVFlowType>(Lookup(kFlowTypes, name, 1)); }
std::uint8_t LinkTypeOf(const QString& name) { return static_cast<std::uint8_t>(Lookup(kLinkTypes, name, 0)); }
namespace {
template <std::size_t N>
QStringList Names(const TName (&table)[N]) {
  QStringList out;
  for (const TName& t : table) out << QLatin1String(t.Name);
  return out;
}
}  // namespace
QStringList TermNames() { return Names(kTerms); }
QStringList TextPosNames() { return Names(kTextPos); }
QStringList FlowTypeNames() {
  // "stop" is accepted as another name of "end", not offered.
  QStringList names = Names(kFlowTypes);
  names.removeAll(QStringLiteral("stop"));
  return names;
}
QStringList LinkTypeNames() { return Names(kLinkTypes); }
QStringList LineTypeNames() { return Names(kLineTypes); }
TORVBarType BarTypeOf(const QString& name) { return static_cast<TORVBarType>(Lookup(kBarTypes, name, 16)); }
QStringList BarTypeNames() { return Names(kBarTypes); }
QString BarTypeText(int type) {
  static const char* names[] = {"EAN13",    "EAN8",       "UPCA",     "UPCE0",    "CODE39",   "CODE39EX",
                                "CODE93",   "CODE93EX",   "CODABAR",  "EAN128A",  "EAN128B",  "EAN128C",
                                "EAN128AUTO", "CODE128A", "CODE128B", "CODE128C", "CODE128",  "ITF",
                                "INDUSTRIAL25", "MATRIX25", "CODE11", "MSI",      "POSTNET"};
  return QLatin1String(type >= 0 && type < 23 ? names[type] : "UNKNOWN");
}

QString KindText(const TPLNBaseItem* item) {
  switch (item ? item->KindCode() : 0) {
    case Kind::Point: return QStringLiteral("point");
    case Kind::Line: return QStringLiteral("line");
    case Kind::ArrowLine: return QStringLiteral("arrow_line");
    case Kind::PolyLine: return QStringLiteral("polyline");
    case Kind::Bezier: return QStringLiteral("bezier");
    case Kind::Arc: return QStringLiteral("arc");
    case Kind::Rectangle: return QStringLiteral("rectangle");
    case Kind::Circle: return QStringLiteral("circle");
    case Kind::Ellipse: return QStringLiteral("ellipse");
    case Kind::Polygon: return QStringLiteral("polygon");
    case Kind::Sector: return QStringLiteral("sector");
    case Kind::Text: return QStringLiteral("text");
    case Kind::RichText: return QStringLiteral("richtext");
    case Kind::Barcode: return QStringLiteral("barcode");
    case Kind::QRCode: return QStringLiteral("qrcode");
    case Kind::DataMatrix: return QStringLiteral("datamatrix");
    case Kind::PDF417: return QStringLiteral("pdf417");
    case Kind::Image: return QStringLiteral("image");
    case Kind::Flow: return QStringLiteral("flow");
    case Kind::Link: return QStringLiteral("link");
    case Kind::Table: return QStringLiteral("table");
    case Kind::Dim: return QStringLiteral("dimension");
    case Kind::Paragraph: return QStringLiteral("paragraph");
    case Kind::Level: return QStringLiteral("level");
    case Kind::Symbol: return QStringLiteral("symbol");
    default: return QStringLiteral("unknown");
  }
}

// ---------------------------------------------------------------- lookup and checks

TPLNBaseItem* FindItem(const TPLNBaseLabel* doc, int index, const QString& id) {
  if (index >= 0 && index < doc->GetItemsCount()) return doc->GetItem(index + 1);
  if (id.isEmpty()) return nullptr;
  // IDs are decimal numbers, so only the number's own spelling can match the text.
  bool ok = false;
  const int n = id.toInt(&ok);
  if (!ok || QString::number(n) != id) return nullptr;
  return doc->FindByID(n);
}

void CheckCoord(const TPLNBaseLabel* doc, const char* name, double v) {
  const double factor = Utils::UnitFactor(doc->GetUnits());
  if (std::abs(v) * factor > kMaxCoordBase)
    throw EToolError(QStringLiteral("%1 = %2 is out of range: positions and sizes must lie within %3 %4")
                         .arg(QLatin1String(name), Fmt(v, 1), Fmt(kMaxCoordBase / factor, 0), UnitsText(doc->GetUnits())));
}

void CheckLength(const TPLNBaseLabel* doc, const char* name, double v) {
  const double factor = Utils::UnitFactor(doc->GetUnits());
  if (std::abs(v) * factor > kMaxLengthBase)
    throw EToolError(QStringLiteral("%1 = %2 is too large: at most %3 %4")
                         .arg(QLatin1String(name), Fmt(v, 1), Fmt(kMaxLengthBase / factor, 0), UnitsText(doc->GetUnits())));
}

double LengthBase(const TPLNBaseLabel* doc, const char* name, double v) {
  CheckLength(doc, name, v);
  return static_cast<double>(Utils::SetValue(v, doc->GetUnits()));
}

TNewItem::~TNewItem() {
  if (!fItem) return;
  const std::int32_t id = fItem->GetID();
  const int i = fDoc->IndexOf(fItem);
  if (i > 0) fDoc->DeleteItem(i);
  fDoc->ReturnID(id);
}

}  // namespace Orv::Mcp
