// The symbol tools: load library symbols and place them, build new symbols from drawing
// commands, save the drawing's symbols as a library, and have an AI provider read an image into
// a library of symbols.
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <numbers>
#include <optional>

#include "ORV.AIClient.h"
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.SymbolCommands.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.Symbol.h"
#include "ORV.Utils.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;
using Symbol::TPLNBaseSymbol;
using Symbol::TPLNLibrary;
using Symbol::TPLNLibSymbol;

const QStringList kUnitNames{"mm", "cm", "dm", "m", "inch", "ft", "yd"};

QString FileNameOnly(const QString& path) { return QFileInfo(path).fileName(); }

// ---------------------------------------------------------------- the command interpreter

// A command that names a known type but whose values cannot be used: it is not applied.
struct TBadCommand {};

// Commands come from agents and models, so numbers may be texts and flags numbers or words.
class TCommand {
 public:
  explicit TCommand(const QJsonObject& o) : fO(o) {}

  bool Has(std::initializer_list<const char*> keys) const { return Find(keys).has_value(); }
  bool IsNumber(std::initializer_list<const char*> keys) const {
    const auto v = Find(keys);
    return v && v->isDouble();
  }

  // The first of the keys present; absent gives nothing, a value that is no finite number of
  // reasonable size refuses the command.
  std::optional<double> Num(std::initializer_list<const char*> keys) const {
    const auto v = Find(keys);
    if (!v) return std::nullopt;
    return Number(*v);
  }
  double Num(std::initializer_list<const char*> keys, double def) const { return Num(keys).value_or(def); }
  double Req(std::initializer_list<const char*> keys) const {
    const auto v = Num(keys);
    if (!v) throw TBadCommand{};
    return *v;
  }

  bool Flag(std::initializer_list<const char*> keys, bool def) const {
    const auto v = Find(keys);
    if (!v) return def;
    if (v->isBool()) return v->toBool();
    if (v->isDouble()) return v->toDouble() != 0;
    if (v->isString()) {
      const QString s = v->toString().trimmed().toLower();
      if (s == QLatin1String("true") || s == QLatin1String("yes") || s == QLatin1String("on") || s == QLatin1String("1"))
        return true;
      if (s == QLatin1String("false") || s == QLatin1String("no") || s == QLatin1String("off") || s == QLatin1String("0"))
        return false;
    }
    throw TBadCommand{};
  }

  QString Str(std::initializer_list<const char*> keys, const QString& def = {}) const {
    const auto v = Find(keys);
    if (!v) return def;
    if (v->isString()) return v->toString();
    if (v->isDouble()) return QString::number(v->toDouble());
    throw TBadCommand{};
  }

  TAlphaColor Color(std::initializer_list<const char*> keys) const {
    const auto v = Find(keys);
    if (!v) throw TBadCommand{};
    TAlphaColor c = 0;
    const QString text = v->isDouble() ? QString::number(static_cast<qint64>(v->toDouble())) : v->toString();
    if (!ParseColor(text, &c)) throw TBadCommand{};
    return c;
  }

  // Points as a flat list [x1, y1, x2, y2, ...], as pairs [[x, y], ...] or as objects
  // [{"x": .., "y": ..}, ...]; a text holding one of these is read too.
  std::vector<double> Points(const char* key, int minPoints) const {
    auto v = Find({key});
    if (!v) throw TBadCommand{};
    if (v->isString()) v = QJsonDocument::fromJson(v->toString().toUtf8()).array();
    if (!v->isArray()) throw TBadCommand{};
    std::vector<double> xy;
    for (const QJsonValue& p : v->toArray()) {
      if (p.isArray()) {
        const QJsonArray pair = p.toArray();
        if (pair.size() != 2) throw TBadCommand{};
        xy.push_back(Number(pair.at(0)));
        xy.push_back(Number(pair.at(1)));
      } else if (p.isObject()) {
        const QJsonObject o = p.toObject();
        if (!o.contains(QLatin1String("x")) || !o.contains(QLatin1String("y"))) throw TBadCommand{};
        xy.push_back(Number(o.value(QLatin1String("x"))));
        xy.push_back(Number(o.value(QLatin1String("y"))));
      } else {
        xy.push_back(Number(p));
      }
    }
    if (xy.size() % 2 != 0 || static_cast<int>(xy.size() / 2) < minPoints) throw TBadCommand{};
    return xy;
  }

 private:
  std::optional<QJsonValue> Find(std::initializer_list<const char*> keys) const {
    for (const char* k : keys) {
      const QJsonValue v = fO.value(QLatin1String(k));
      if (!v.isUndefined() && !v.isNull()) return v;
    }
    return std::nullopt;
  }
  static double Number(const QJsonValue& v) {
    double d = 0;
    if (v.isDouble()) {
      d = v.toDouble();
    } else if (v.isString()) {
      bool ok = false;
      d = v.toString().trimmed().toDouble(&ok);
      if (!ok) throw TBadCommand{};
    } else {
      throw TBadCommand{};
    }
    if (!std::isfinite(d) || std::abs(d) > kMaxNumber) throw TBadCommand{};
    return d;
  }

  QJsonObject fO;
};

enum class TCmd {
  ForeColor, BackColor, Filled, LineType, LineWidth, RoundCap, ScalePen, NotDrawScale, Path, FontColor, FontName,
  FontHeight, FontBold, FontItalic, FontUnderline, FontScale, Line, Circle, Ellipse, Sector, Rectangle, Arc, Text,
  Polygon, Polyline, Bezier, LinkPoint
};

const QHash<QString, TCmd>& CommandNames() {
  static const QHash<QString, TCmd> names = [] {
    QHash<QString, TCmd> h;
    auto add = [&h](TCmd c, std::initializer_list<const char*> list) {
      for (const char* n : list) h.insert(QLatin1String(n), c);
    };
    add(TCmd::ForeColor, {"forecolor", "fcolor", "strokecolor", "stroke", "linecolor", "outlinecolor", "color"});
    add(TCmd::BackColor, {"backcolor", "bcolor", "bgcolor", "fillcolor"});
    add(TCmd::Filled, {"filled", "fill"});
    add(TCmd::LineType, {"linetype", "linestyle"});
    add(TCmd::LineWidth, {"linewidth", "strokewidth", "penwidth"});
    add(TCmd::RoundCap, {"roundcap"});
    add(TCmd::ScalePen, {"scalepen"});
    add(TCmd::NotDrawScale, {"notdrawscale", "setnotdrawscale"});
    add(TCmd::Path, {"path"});
    add(TCmd::FontColor, {"fontcolor", "textcolor"});
    add(TCmd::FontName, {"fontname"});
    add(TCmd::FontHeight, {"fontheight", "fontsize"});
    add(TCmd::FontBold, {"fontbold"});
    add(TCmd::FontItalic, {"fontitalic"});
    add(TCmd::FontUnderline, {"fontunderline"});
    add(TCmd::FontScale, {"fontscale"});
    add(TCmd::Line, {"line"});
    add(TCmd::Circle, {"circle"});
    add(TCmd::Ellipse, {"ellipse"});
    add(TCmd::Sector, {"sector"});
    add(TCmd::Rectangle, {"rectangle", "rect", "box"});
    add(TCmd::Arc, {"arc"});
    add(TCmd::Text, {"text", "label"});
    add(TCmd::Polygon, {"polygon"});
    add(TCmd::Polyline, {"polyline"});
    add(TCmd::Bezier, {"bezier"});
    add(TCmd::LinkPoint, {"linkpoint", "link", "connector", "connectionpoint", "connectorpoint", "anchor", "anchorpoint",
                          "attachpoint"});
    return h;
  }();
  return names;
}

// "Fore_Color", "set-fore color" and "forecolor" are one command.
QString NormalizeType(const QString& type) {
  QString t;
  for (const QChar c : type)
    if (c != QLatin1Char(' ') && c != QLatin1Char('-') && c != QLatin1Char('_')) t += c.toLower();
  for (const char* prefix : {"add", "draw", "set"})
    if (t.startsWith(QLatin1String(prefix))) {
      t.remove(0, static_cast<int>(std::strlen(prefix)));
      break;
    }
  return t;
}

// A command without a type says what it is by its keys.
QString TypeFromKeys(const QJsonObject& o) {
  auto has = [&o](const char* k) { return o.contains(QLatin1String(k)); };
  if (has("x1") && has("y1") && has("x2") && has("y2")) return has("r") ? QStringLiteral("rectangle") : QStringLiteral("line");
  if (has("rx") && has("ry")) return QStringLiteral("ellipse");
  if (has("points")) return QStringLiteral("polygon");
  if (has("text") && has("x")) return QStringLiteral("text");
  if (has("r") || has("radius")) return QStringLiteral("circle");
  return {};
}

TORVHorzAlign HAlignOf(const QString& name) {
  const QString n = name.trimmed().toLower();
  if (n == QLatin1String("center") || n == QLatin1String("centre") || n == QLatin1String("middle") || n == QLatin1String("c") || n == QLatin1String("1"))
    return TORVHorzAlign::Center;
  if (n == QLatin1String("right") || n == QLatin1String("end") || n == QLatin1String("r") || n == QLatin1String("2"))
    return TORVHorzAlign::Right;
  if (n == QLatin1String("justify") || n == QLatin1String("3")) return TORVHorzAlign::Justify;
  return TORVHorzAlign::Left;
}

TORVVertAlign VAlignOf(const QString& name) {
  const QString n = name.trimmed().toLower();
  if (n == QLatin1String("center") || n == QLatin1String("centre") || n == QLatin1String("middle") || n == QLatin1String("1"))
    return TORVVertAlign::Center;
  if (n == QLatin1String("bottom") || n == QLatin1String("baseline") || n == QLatin1String("2")) return TORVVertAlign::Bottom;
  return TORVVertAlign::Top;
}

void Apply(TPLNLibSymbol& s, TCmd cmd, const TCommand& c) {
  const auto centreX = [&c] { return c.Num({"x", "cx", "center_x"}, 0); };
  const auto centreY = [&c] { return c.Num({"y", "cy", "center_y"}, 0); };
  auto positive = [](double v) {
    if (v <= 0) throw TBadCommand{};
    return v;
  };
  switch (cmd) {
    case TCmd::ForeColor: s.ForeColor(c.Color({"color", "value"})); break;
    case TCmd::BackColor: s.BackColor(c.Color({"color", "value"})); break;
    case TCmd::FontColor: s.FontColor(c.Color({"color", "value"})); break;
    case TCmd::Filled: s.Filled(c.Flag({"value"}, true)); break;
    case TCmd::RoundCap: s.RoundCap(c.Flag({"value"}, true)); break;
    case TCmd::ScalePen: s.ScalePen(c.Flag({"value"}, true)); break;
    case TCmd::NotDrawScale: s.SetNotDrawScale(c.Flag({"value"}, true)); break;
    case TCmd::Path: s.Path(c.Flag({"value"}, true)); break;
    case TCmd::FontBold: s.FontBold(c.Flag({"value"}, true)); break;
    case TCmd::FontItalic: s.FontItalic(c.Flag({"value"}, true)); break;
    case TCmd::FontUnderline: s.FontUnderline(c.Flag({"value"}, true)); break;
    case TCmd::LineType: {
      // A line type by its number or by its name.
      if (c.IsNumber({"style", "value"})) {
        const double n = c.Req({"style", "value"});
        if (n < 0 || n > 11 || n != std::floor(n)) throw TBadCommand{};
        s.LineType(static_cast<int>(n));
      } else {
        s.LineType(static_cast<int>(LineTypeOf(c.Str({"style", "value"}, QStringLiteral("solid")))));
      }
      break;
    }
    case TCmd::LineWidth: {
      const double w = c.Req({"width", "value"});
      if (w < 0) throw TBadCommand{};
      s.LineWidth(w);
      break;
    }
    case TCmd::FontName: {
      const QString name = c.Str({"name", "value"}, QStringLiteral("Arial")).trimmed();
      s.FontName(name.isEmpty() ? QStringLiteral("Arial") : name);
      break;
    }
    case TCmd::FontHeight: s.FontHeight(positive(c.Req({"height", "size", "value"}))); break;
    case TCmd::FontScale: s.FontScale(positive(c.Num({"value"}, 1))); break;
    case TCmd::Line: s.Line(c.Req({"x1"}), c.Req({"y1"}), c.Req({"x2"}), c.Req({"y2"})); break;
    case TCmd::Circle: s.Circle(centreX(), centreY(), positive(c.Req({"r", "radius"}))); break;
    case TCmd::Ellipse: s.Ellipse(centreX(), centreY(), positive(c.Req({"rx"})), positive(c.Req({"ry"}))); break;
    case TCmd::Sector:
      s.Sector(centreX(), centreY(), positive(c.Req({"r", "radius"})), c.Num({"start"}, 0), c.Req({"sweep"}));
      break;
    case TCmd::Rectangle: {
      const double r = c.Num({"r", "radius"}, 0);
      if (r < 0) throw TBadCommand{};
      if (c.Has({"x1"})) {
        s.Rectangle(c.Req({"x1"}), c.Req({"y1"}), c.Req({"x2"}), c.Req({"y2"}), r);
      } else {
        const double x = c.Req({"x"}), y = c.Req({"y"});
        const double w = c.Req({"w", "width"}), h = c.Req({"h", "height"});
        s.Rectangle(x, y, x + w, y + h, r);
      }
      break;
    }
    case TCmd::Arc: {
      if (c.Has({"x1"}) || !c.Has({"r", "radius"})) {
        s.Arc(c.Req({"x1"}), c.Req({"y1"}), c.Req({"x2"}), c.Req({"y2"}), c.Req({"x3"}), c.Req({"y3"}));
      } else {
        // Centre, radius and angles (degrees, counter-clockwise on the page, y down): the three
        // points the builder takes are the start, the middle and the end of the arc.
        const double cx = centreX(), cy = centreY(), r = positive(c.Req({"r", "radius"}));
        const double start = c.Num({"start", "start_angle"}, 0);
        const double sweep = c.Has({"sweep", "sweep_angle"}) ? c.Req({"sweep", "sweep_angle"}) : c.Req({"end", "end_angle"}) - start;
        if (sweep == 0) throw TBadCommand{};
        auto at = [&](double deg, double* x, double* y) {
          const double a = deg * std::numbers::pi / 180.0;
          *x = cx + r * std::cos(a);
          *y = cy - r * std::sin(a);
        };
        double x1, y1, x2, y2, x3, y3;
        at(start, &x1, &y1);
        at(start + sweep / 2, &x2, &y2);
        at(start + sweep, &x3, &y3);
        s.Arc(x1, y1, x2, y2, x3, y3);
      }
      break;
    }
    case TCmd::Text: {
      const QString text = c.Str({"text", "value"});
      if (text.isEmpty()) throw TBadCommand{};
      s.Text(c.Num({"x"}, 0), c.Num({"y"}, 0), text, HAlignOf(c.Str({"halign", "align"})), VAlignOf(c.Str({"valign"})),
             c.Num({"angle"}, 0));
      break;
    }
    case TCmd::Polygon: s.Polygon(c.Points("points", 3)); break;
    case TCmd::Polyline: s.Polyline(c.Points("points", 2)); break;
    case TCmd::Bezier: s.Bezier(c.Points("points", 4), c.Flag({"closed"}, false)); break;
    case TCmd::LinkPoint: s.LinkPoint(c.Num({"x"}, 0), c.Num({"y"}, 0)); break;
  }
}

}  // namespace

int RunCommands(TPLNLibSymbol& symbol, const QJsonArray& commands) {
  int applied = 0;
  for (const QJsonValue& v : commands) {
    if (!v.isObject()) continue;
    const QJsonObject o = v.toObject();
    QString type = o.value(QLatin1String("type")).toString();
    if (type.trimmed().isEmpty()) type = TypeFromKeys(o);
    const auto it = CommandNames().constFind(NormalizeType(type));
    if (it == CommandNames().constEnd()) continue;
    // Every value is read before the builder is called, so a refused command adds nothing.
    try {
      Apply(symbol, *it, TCommand(o));
    } catch (const TBadCommand&) {
      continue;
    }
    ++applied;
  }
  return applied;
}

namespace {

// The command list of an argument or a model's symbol: an array, or a text holding one.
bool CommandList(const QJsonValue& v, QJsonArray* out) {
  if (v.isArray()) {
    *out = v.toArray();
    return true;
  }
  if (v.isString()) {
    const QJsonDocument d = QJsonDocument::fromJson(v.toString().toUtf8());
    if (d.isArray()) {
      *out = d.array();
      return true;
    }
  }
  return false;
}

QString JsonTypeName(const QJsonValue& v) {
  switch (v.type()) {
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Bool: return QStringLiteral("boolean");
    case QJsonValue::Double: return QStringLiteral("number");
    case QJsonValue::String: return QStringLiteral("string");
    case QJsonValue::Array: return QStringLiteral("array");
    case QJsonValue::Object: return QStringLiteral("object");
    default: return QStringLiteral("missing");
  }
}

// ---------------------------------------------------------------- tools

QJsonObject LoadSymbolLibrary(TPLNBaseLabel* doc, const TArgs& a) {
  const QString file = a.Str("filename");
  if (file.trimmed().isEmpty()) throw EToolError(QStringLiteral("filename is required"));
  if (!QFileInfo(file).isFile()) throw EToolError(QStringLiteral("File not found: %1").arg(file));
  const QString guid = a.Str("guid").trimmed(), name = a.Str("name").trimmed();
  bool found = false;
  if (!guid.isEmpty())
    found = doc->LoadSymbolByGuid(file, guid);
  else if (!name.isEmpty())
    found = doc->LoadSymbolByName(file, name);
  if (!found || !doc->GetCurrentSymbol())
    throw EToolError(QStringLiteral("Symbol not found in library file. Check name or guid."));
  return TextResult(QStringLiteral("Symbol loaded: \"%1\" from %2. Use add_symbol to place it.")
                        .arg(doc->GetCurrentSymbol()->Name, FileNameOnly(file)));
}

QJsonObject AddSymbol(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0);
  CheckCoord(doc, "x", x);
  CheckCoord(doc, "y", y);
  const double angle = a.Num("angle", kNoCoord), scale = a.Num("scale", kNoSize);
  const QString file = a.Str("filename");
  TUpdate batch(doc);
  if (!file.trimmed().isEmpty()) {
    if (!QFileInfo(file).isFile()) throw EToolError(QStringLiteral("File not found: %1").arg(file));
    const QString guid = a.Str("guid").trimmed(), name = a.Str("name").trimmed();
    if (!guid.isEmpty()) {
      if (!doc->LoadSymbolByGuid(file, guid))
        throw EToolError(QStringLiteral("Symbol guid \"%1\" not found in %2").arg(guid, FileNameOnly(file)));
    } else if (!name.isEmpty()) {
      if (!doc->LoadSymbolByName(file, name))
        throw EToolError(QStringLiteral("Symbol \"%1\" not found in %2").arg(name, FileNameOnly(file)));
    }
  }
  if (!doc->GetCurrentSymbol())
    throw EToolError(QStringLiteral("No symbol loaded. Use load_symbol_library first or provide filename + name/guid."));
  TNewItem made(doc, TPLNFactory::AddSymbol(doc, float(x), float(y)));
  auto* symbol = dynamic_cast<TPLNBaseSymbol*>(made.Get());
  if (!symbol) throw EToolError(QStringLiteral("Failed to add symbol"));
  if (angle >= 0) symbol->SetAngleRad(angle * std::numbers::pi / 180.0);
  if (scale > 0) symbol->SetScale(float(scale));
  made.Keep();
  return TextResult(QStringLiteral("Symbol added: id=%1 at (%2, %3) angle=%4 scale=%5")
                        .arg(QString::number(symbol->GetID()), Fmt(x), Fmt(y), Fmt(symbol->GetAngleDeg()),
                             Fmt(symbol->GetScale(), 2)));
}

QJsonObject CreateSymbol(TPLNBaseLabel* doc, const TArgs& a) {
  const QString name = a.Str("name").trimmed();
  if (name.isEmpty()) throw EToolError(QStringLiteral("name is required"));
  const QJsonValue given = a.Object().value(QLatin1String("commands"));
  QJsonArray commands;
  if (!CommandList(given, &commands) || commands.isEmpty())
    throw EToolError(QStringLiteral("commands array is required and must not be empty. Received commands type: ") +
                     JsonTypeName(given));

  TPLNLibrary lib;
  TPLNLibSymbol* symbol = lib.AddSymbol(name, a.Str("category"), a.Str("note"), UnitsOf(a.Str("units", QStringLiteral("mm"))),
                                        a.Num("insert_x", 0), a.Num("insert_y", 0));
  const int applied = RunCommands(*symbol, commands);
  if (applied == 0) {
    QString text = QStringLiteral("No valid symbol commands recognized (%1 items received). ").arg(commands.size());
    const QJsonValue first = commands.at(0);
    if (first.isObject())
      text += QStringLiteral("First command type=\"%1\". First command JSON: %2")
                  .arg(Utils::QuoteForMessage(first.toObject().value(QLatin1String("type")).toString(), 80),
                       Utils::QuoteForMessage(QString::fromUtf8(QJsonDocument(first.toObject()).toJson(QJsonDocument::Compact)), 400));
    else
      text += QStringLiteral("First item is not an object (type=%1). ").arg(static_cast<int>(first.type()));
    text += QStringLiteral(" Expected format: [{\"type\":\"line\",\"x1\":0,\"y1\":0,\"x2\":5,\"y2\":5},...]");
    throw EToolError(text);
  }

  const QString file = a.Str("filename");
  if (!file.trimmed().isEmpty()) {
    // The file first: a library that cannot be written leaves the drawing as it was.
    lib.SaveToFile(file);
    doc->AddSymbol(std::move(lib.Symbols.front()), true);
    return TextResult(QStringLiteral("Symbol \"%1\" created (%2 commands applied), saved to %3 and set as current. Use "
                                     "add_symbol to place it.")
                          .arg(name)
                          .arg(applied)
                          .arg(file));
  }
  doc->AddSymbol(std::move(lib.Symbols.front()), true);
  return TextResult(
      QStringLiteral("Symbol \"%1\" created (%2 commands applied) and set as current. Use add_symbol to place it at a position.")
          .arg(name)
          .arg(applied));
}

QJsonObject SaveSymbolLibrary(TPLNBaseLabel* doc, const TArgs& a) {
  const QString file = a.Str("filename");
  if (file.trimmed().isEmpty()) throw EToolError(QStringLiteral("filename is required"));
  TPLNLibrary lib;
  const QString category = a.Str("category", QStringLiteral("*"));
  if (category != QLatin1String("*")) lib.CategoryFilter = category;
  lib.AssignLib(*doc);
  lib.SaveToFile(file);
  return TextResult(QStringLiteral("Symbol library saved to %1").arg(FileNameOnly(file)));
}

// ---------------------------------------------------------------- symbols from an image

QString MediaTypeOf(const QString& file) {
  const QString ext = QFileInfo(file).suffix().toLower();
  if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg")) return QStringLiteral("image/jpeg");
  if (ext == QLatin1String("png")) return QStringLiteral("image/png");
  if (ext == QLatin1String("gif")) return QStringLiteral("image/gif");
  if (ext == QLatin1String("bmp")) return QStringLiteral("image/bmp");
  if (ext == QLatin1String("webp")) return QStringLiteral("image/webp");
  return {};
}

QString Prompt(const QString& imageName, int maxSymbols, const QString& category, const QString& instructions) {
  const QStringList lines{
      QStringLiteral("Analyze the attached image and create a symbol library specification for Planora."),
      QStringLiteral("Return ONLY compact valid JSON with this exact root object: {\"symbols\":[...]}. No markdown, no "
                     "comments, no prose."),
      QStringLiteral("Each symbol item must contain: "
                     "{\"name\":\"...\",\"category\":\"...\",\"note\":\"...\",\"units\":\"mm\",\"insert_x\":0,\"insert_"
                     "y\":0,\"commands\":[...]}"),
      QStringLiteral("Use only these geometry command types: line, circle, ellipse, rectangle, arc, polygon, polyline, "
                     "bezier, text, link_point."),
      QStringLiteral("Use style/font command types when needed: strokeColor, fillColor, fill, strokeWidth, lineType, "
                     "fontName, fontHeight, textColor, fontBold."),
      QStringLiteral("Represent one reusable symbol per distinct HVAC icon visible in the image. Keep symbols clean and "
                     "simple. Avoid duplicates."),
      QStringLiteral("Coordinates must be relative to the insertion point. Prefer mm units. Use centered insertion points "
                     "when possible."),
      QStringLiteral("Use the smallest possible number of commands per symbol."),
      QStringLiteral("Source image: "),
  };
  const QString crlf = QStringLiteral("\r\n");
  QString p = lines.join(crlf) + imageName;
  p += crlf + QStringLiteral("Limit the result to at most %1 symbols.").arg(maxSymbols);
  if (!category.isEmpty()) p += crlf + QStringLiteral("Default category: ") + category;
  if (!instructions.isEmpty()) p += crlf + QStringLiteral("Extra instructions: ") + instructions;
  return p;
}

// Models wrap JSON in fences, add prose around it, use typographic quotes and leave trailing
// commas: what is left after undoing that is the JSON they meant.
QString CleanAnswer(const QString& answer) {
  QString s = answer;
  static const QRegularExpression fence(QStringLiteral("```[A-Za-z0-9_-]*"));
  s.remove(fence);
  const qsizetype open = s.indexOf(QLatin1Char('{')), close = s.lastIndexOf(QLatin1Char('}'));
  if (open >= 0 && close > open) s = s.mid(open, close - open + 1);
  s.replace(QChar(0x201C), QLatin1Char('"')).replace(QChar(0x201D), QLatin1Char('"'));
  s.replace(QChar(0x2018), QLatin1Char('\'')).replace(QChar(0x2019), QLatin1Char('\''));
  static const QRegularExpression trailing(QStringLiteral(",\\s*([}\\]])"));
  s.replace(trailing, QStringLiteral("\\1"));
  return s;
}

double NumberOr(const QJsonValue& v, double def) {
  double d = def;
  if (v.isDouble()) {
    d = v.toDouble();
  } else if (v.isString()) {
    bool ok = false;
    const double t = v.toString().trimmed().toDouble(&ok);
    if (ok) d = t;
  }
  return std::isfinite(d) && std::abs(d) <= kMaxNumber ? d : def;
}

QJsonObject SymbolsFromImage(TPLNMCPServer* server, const TArgs& a) {
  if (!server) throw EToolError(QStringLiteral("MCP server context is not available for AI symbol extraction."));
  TMCPAIClient& ai = server->AIClient();
  if (!ai.HasKey()) throw EToolError(QStringLiteral("AI API key is not configured on the MCP server."));
  const std::int64_t limit = ai.Config().MaxImageBytes;

  const QString imageFile = a.Str("image_filename").trimmed(), output = a.Str("output_filename").trimmed();
  const QString category = a.Str("category").trimmed(), instructions = a.Str("instructions").trimmed();
  const TORVUnits units = UnitsOf(a.Str("units", QStringLiteral("mm")));
  int maxSymbols = a.Int("max_symbols", 24);
  if (maxSymbols < 1) maxSymbols = 24;
  if (imageFile.isEmpty() && !a.Has("image_base64"))
    throw EToolError(QStringLiteral("Provide image_filename or image_base64 + image_media_type."));
  if (output.isEmpty()) throw EToolError(QStringLiteral("output_filename is required"));
  // Before the provider is asked: its answer would be lost for want of a folder.
  const QFileInfo outInfo(output);
  if (!outInfo.absoluteDir().exists())
    throw EToolError(QStringLiteral("Symbol library save failed: the folder %1 does not exist.").arg(outInfo.absolutePath()));

  QString mediaType, base64, imageName = a.Str("image_name").trimmed();
  if (!imageFile.isEmpty()) {
    const QFileInfo info(imageFile);
    if (!info.isFile()) throw EToolError(QStringLiteral("Image file not found: %1").arg(imageFile));
    if (info.size() > limit) throw EToolError(QStringLiteral("Image exceeds the configured limit of %1 bytes.").arg(limit));
    mediaType = MediaTypeOf(imageFile);
    if (mediaType.isEmpty()) mediaType = a.Str("image_media_type").trimmed();
    if (mediaType.isEmpty())
      throw EToolError(QStringLiteral("Unsupported image file type \"%1\": use a .png, .jpg, .jpeg, .gif, .bmp or .webp file, "
                                      "or give image_media_type.")
                           .arg(info.suffix()));
    QFile f(imageFile);
    if (!f.open(QIODevice::ReadOnly))
      throw EToolError(QStringLiteral("Image file %1 cannot be read: %2").arg(imageFile, f.errorString()));
    base64 = QString::fromLatin1(f.readAll().toBase64());
    if (imageName.isEmpty()) imageName = info.fileName();
  } else {
    QString data = a.Str("image_base64").trimmed();
    mediaType = a.Str("image_media_type").trimmed();
    // A data URL carries its media type in front of the data.
    static const QRegularExpression dataUrl(QStringLiteral("^data:([^;,]*);base64,"));
    if (const auto m = dataUrl.match(data); m.hasMatch()) {
      if (mediaType.isEmpty()) mediaType = m.captured(1);
      data.remove(0, m.capturedLength());
    }
    data.remove(QRegularExpression(QStringLiteral("\\s")));
    if (data.isEmpty()) throw EToolError(QStringLiteral("image_base64 is empty."));
    const auto decoded = QByteArray::fromBase64Encoding(data.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
      throw EToolError(QStringLiteral("image_base64 is not valid Base64 data."));
    if (decoded.decoded.size() > limit)
      throw EToolError(QStringLiteral("Decoded image exceeds the configured limit of %1 bytes.").arg(limit));
    if (mediaType.isEmpty()) throw EToolError(QStringLiteral("image_media_type is required when using image_base64."));
    base64 = QString::fromLatin1(decoded.decoded.toBase64());
  }
  if (imageName.isEmpty()) imageName = QStringLiteral("attached image");

  QString answer, why;
  const QJsonArray messages{TMCPAIClient::MakeUserImageMessage(Prompt(imageName, maxSymbols, category, instructions), mediaType, base64)};
  if (!ai.Send(messages, &answer, &why)) throw EToolError(QStringLiteral("AI request failed: ") + why);

  const QJsonDocument parsed = QJsonDocument::fromJson(CleanAnswer(answer).toUtf8());
  if (!parsed.isObject())
    throw EToolError(QStringLiteral("Failed to parse AI JSON response for the symbol library. The response appears truncated "
                                    "or invalid. Raw excerpt: ") +
                     Utils::QuoteForMessage(answer, 300));
  const QJsonArray list = parsed.object().value(QLatin1String("symbols")).toArray();
  if (list.isEmpty()) throw EToolError(QStringLiteral("AI returned no symbols to save."));

  TPLNLibrary lib;
  int skipped = 0;
  for (int i = 0; i < list.size(); ++i) {
    // The model is asked for at most this many; what it gives beyond them is left out.
    if (static_cast<int>(lib.Symbols.size()) >= maxSymbols) {
      skipped += static_cast<int>(list.size()) - i;
      break;
    }
    const QJsonObject o = list.at(i).toObject();
    QJsonArray commands;
    if (!CommandList(o.value(QLatin1String("commands")), &commands) || commands.isEmpty()) {
      ++skipped;
      continue;
    }
    QString name = o.value(QLatin1String("name")).toString().trimmed();
    if (name.isEmpty()) name = QStringLiteral("symbol_%1").arg(i + 1);
    QString cat = o.value(QLatin1String("category")).toString().trimmed();
    if (cat.isEmpty()) cat = category;
    const QString unitName = o.value(QLatin1String("units")).toString().trimmed();
    TPLNLibSymbol* symbol = lib.AddSymbol(name, cat, o.value(QLatin1String("note")).toString(),
                                          unitName.isEmpty() ? units : UnitsOf(unitName),
                                          NumberOr(o.value(QLatin1String("insert_x")), 0),
                                          NumberOr(o.value(QLatin1String("insert_y")), 0));
    if (RunCommands(*symbol, commands) == 0) {
      lib.Symbols.pop_back();
      ++skipped;
    }
  }
  if (lib.Symbols.empty()) throw EToolError(QStringLiteral("No valid symbols were generated from the image."));

  try {
    lib.SaveToFile(output);
  } catch (const EPLNError& e) {
    throw EToolError(QStringLiteral("Symbol library save failed: ") + e.Message());
  }
  if (!QFileInfo(output).isFile())
    throw EToolError(QStringLiteral("Symbol library save failed: output file was not created."));
  const int kept = static_cast<int>(lib.Symbols.size());
  if (skipped > 0)
    return TextResult(
        QStringLiteral("Symbol library created from image: %1 symbols saved to %2 (%3 skipped)").arg(kept).arg(output).arg(skipped));
  return TextResult(QStringLiteral("Symbol library created from image: %1 symbols saved to %2").arg(kept).arg(output));
}

}  // namespace

void RegisterSymbolTools(TPLNMCPServer* s) {
  AddTool(s, "load_symbol_library",
          "Load a symbol from a library file (.lyp) by name or GUID. The symbol becomes the current symbol ready to be "
          "placed with add_symbol.",
          TSchema()
              .Str("filename", "Path to symbol library file (.lyp)", true)
              .Str("name", "Symbol name to load (use name or guid)")
              .Str("guid", "Symbol GUID to load (use name or guid)"),
          LoadSymbolLibrary);
  AddTool(s, "add_symbol",
          "Add a symbol at (x,y) with optional angle and scale. If filename + name/guid are provided, the symbol is loaded "
          "automatically. Otherwise, use load_symbol_library first.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Num("angle", "Rotation angle in degrees (0-360)")
              .Num("scale", "Scale factor (1.0 = original size)")
              .Str("filename", "Symbol library file path (.lyp). If provided with name/guid, loads the symbol automatically")
              .Str("name", "Symbol name (when using filename to auto-load)")
              .Str("guid", "Symbol GUID (when using filename to auto-load)"),
          AddSymbol);
  AddTool(s, "create_symbol",
          "Create a new symbol by defining its geometry and appearance with drawing commands. Commands are executed "
          "sequentially: style commands (colors, line settings, fonts) affect all subsequent geometry. Geometry "
          "coordinates are relative to the insertion point. Use link_point to add connector attachment points. If "
          "filename is provided, saves to .lyp file; otherwise sets as current symbol for immediate placement with "
          "add_symbol.",
          TSchema()
              .Str("name", "Symbol name", true)
              .Str("category", "Category for the symbol library (e.g. \"Map\", \"Restaurant\", \"Garden\")")
              .Str("note", "Optional description or note for the symbol")
              .Enum("units", kUnitNames, "Measurement units for coordinates")
              .Num("insert_x", "X coordinate of insertion point (default 0)")
              .Num("insert_y", "Y coordinate of insertion point (default 0)")
              .Str("filename",
                   "Optional .lyp file path to save the symbol. If omitted, symbol is set as current for immediate "
                   "placement")
              .ObjArray("commands",
                        "Drawing commands run in order, each an object with a \"type\" and its values, e.g. "
                        "{\"type\":\"line\",\"x1\":0,\"y1\":0,\"x2\":5,\"y2\":5}. Styles: foreColor, backColor (color "
                        "\"#RRGGBB\"), filled, roundCap, scalePen, path, fontBold, fontItalic, fontUnderline (value "
                        "true/false), lineType (style), lineWidth (width), fontColor (color), fontName (name), fontHeight "
                        "(height), fontScale (value). Geometry: line (x1,y1,x2,y2), circle (x,y,r), ellipse (x,y,rx,ry), "
                        "sector (x,y,r,start,sweep), rectangle (x1,y1,x2,y2 or x,y,w,h; corner r), arc "
                        "(x1,y1,x2,y2,x3,y3), text (x,y,text,halign,valign,angle), polygon and polyline (points: "
                        "[x1,y1,x2,y2,...]), bezier (points, closed), link_point (x,y)."),
          CreateSymbol);
  AddTool(s, "save_symbol_library",
          "Save all symbols from the current drawing as a symbol library file (.lyp). Optionally filter by category.",
          TSchema()
              .Str("filename", "Path to save the symbol library file (.lyp)", true)
              .Str("category", "Optional category filter (default \"*\" = all symbols)"),
          SaveSymbolLibrary);
  AddTool(s, "create_symbol_library_from_image",
          "Analyze an input image with the configured AI provider, generate multiple reusable symbols, and save them as a "
          ".lyp symbol library file. Returns success only if the output file is created.",
          TSchema()
              .Str("image_filename",
                   "Path to the source image that contains multiple symbols/icons to extract. Optional if image_base64 is "
                   "provided.")
              .Data("image_base64",
                   "Base64-encoded attached image content. Use this when the client sends the image as an attachment "
                   "instead of a file path.")
              .Str("image_media_type", "MIME type of image_base64, e.g. image/jpeg or image/png. Required when using image_base64.")
              .Str("image_name", "Optional original attached filename, used only for context/logging.")
              .Str("output_filename", "Path to the output symbol library file (.lyp).", true)
              .Str("category", "Default category assigned to generated symbols when the AI does not provide one.")
              .Enum("units", kUnitNames, "Default units for generated symbol geometry")
              .Int("max_symbols", "Maximum number of symbols to generate from the image (default 24).")
              .Str("instructions", "Optional extra instructions for the AI, e.g. naming conventions or which icons to keep."),
          [s](TPLNBaseLabel*, const TArgs& a) { return SymbolsFromImage(s, a); });
}

}  // namespace Orv::Mcp
