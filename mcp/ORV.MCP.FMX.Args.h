#pragma once
// What every tool handler shares: the schema builder, the checking and reading of arguments,
// colours, the enumerations, item lookup, result objects and numbers in texts.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>
#include <vector>

#include "ORV.Barcode.h"
#include "ORV.Base.h"
#include "ORV.MCP.Server.h"

namespace Orv::Mcp {

// A handler's refusal: the call ends with an error result carrying the text, nothing changed.
class EToolError : public std::runtime_error {
 public:
  explicit EToolError(const QString& text) : std::runtime_error(text.toStdString()), fText(text) {}
  const QString& Text() const { return fText; }

 private:
  QString fText;
};

// Markers of an absent argument: sizes, widths, radii, scales and tri-states read -1 when
// absent; coordinates and angles, which may be negative, read -99999.
constexpr double kNoSize = -1;
constexpr double kNoCoord = -99999;

// Numbers above this (in any unit) are refused outright: no drawing needs them and they would
// overflow the conversion to base units.
constexpr double kMaxNumber = 1e9;
// Positions and shape sizes stay within 1000 km, pens, fonts, paddings and radii within 1 km.
constexpr double kMaxCoordBase = 1e12;
constexpr double kMaxLengthBase = 1e9;
constexpr int kMaxStringLength = 100000;
constexpr int kMaxArrayValues = 200000;

enum class TArgType { Number, Integer, String, Boolean, NumberArray, ObjectArray, Data };

// An input schema: {"type": "object", "additionalProperties": false, "properties", "required"}.
class TSchema {
 public:
  struct TParam {
    QString Name;
    TArgType Type;
  };
  TSchema& Num(const char* name, const QString& description, bool required = false);
  TSchema& Int(const char* name, const QString& description, bool required = false);
  TSchema& Str(const char* name, const QString& description, bool required = false);
  // A string without the length limit of texts (encoded file contents); the handler checks its
  // size.
  TSchema& Data(const char* name, const QString& description, bool required = false);
  TSchema& Bool(const char* name, const QString& description, bool required = false);
  TSchema& Enum(const char* name, const QStringList& values, const QString& description, bool required = false);
  TSchema& NumArray(const char* name, const QString& description, bool required = false);
  // An array of objects; a value that is no array reaches the handler as it came.
  TSchema& ObjArray(const char* name, const QString& description, bool required = false);
  QJsonObject Json() const;
  const std::vector<TParam>& Params() const { return fParams; }
  const TParam* Find(const QString& name) const;

 private:
  TSchema& Add(const char* name, TArgType type, QJsonObject prop, bool required);
  std::vector<TParam> fParams;
  QJsonObject fProperties;
  QJsonArray fRequired;
};

// The arguments of one call, already checked against the schema. A missing key, or null, reads
// as the default.
class TArgs {
 public:
  explicit TArgs(const QJsonObject& o) : fObject(o) {}
  bool Has(const char* name) const;
  double Num(const char* name, double def) const;
  int Int(const char* name, int def) const;
  QString Str(const char* name, const QString& def = {}) const;
  bool Bool(const char* name, bool def) const;
  // The value only when it really is an array.
  bool Array(const char* name, QJsonArray* out) const;
  const QJsonObject& Object() const { return fObject; }

 private:
  QJsonObject fObject;
};

// Raises EToolError for an unknown argument, a value of the wrong type, a number that is not
// finite or out of range, or a string or array beyond the limits. Returns the arguments with
// numbers given as text made numbers and booleans given for integers made 0 or 1.
QJsonObject CheckArgs(const QString& tool, const TSchema& schema, const QJsonObject& args);

// Registers a tool whose handler sees checked arguments; whatever it raises becomes an error
// result.
using TToolFn = std::function<QJsonObject(TPLNBaseLabel* doc, const TArgs& args)>;
void AddTool(TPLNMCPServer* server, const QString& name, const QString& description, const TSchema& schema, TToolFn fn);

// Results.
QJsonObject TextResult(const QString& text);
QJsonObject ErrorResult(const QString& text);
// The compact JSON of `data` as the text, and `structured` as "structuredContent".
QJsonObject DataResult(const QJsonValue& data, const QJsonObject& structured);

// A number for a text, always with a decimal point.
QString Fmt(double v, int decimals = 1);

// Colours: "#RRGGBB" (opaque), "#AARRGGBB", "$hex" or a decimal number; false leaves *out.
bool ParseColor(const QString& text, TAlphaColor* out);
// The colour argument parsed, or `current` when it is absent or unparsable.
TAlphaColor ColorArg(const TArgs& a, const char* name, TAlphaColor current);
// "#rrggbb".
QString ColorText(TAlphaColor c);

// Enumerations: names trimmed and compared without case; unknown names give the default.
TORVUnits UnitsOf(const QString& name);
QString UnitsText(TORVUnits u);
std::uint8_t EditorModeOf(const QString& name);
QString EditorModeText(std::uint8_t mode);
TORVineType LineTypeOf(const QString& name);
TORVTermType TermTypeOf(const QString& name);
// Flow-chart shapes ("process" by default, "stop" is "end") and link routings ("direct").
TORVFlowType FlowTypeOf(const QString& name);
std::uint8_t LinkTypeOf(const QString& name);
QStringList FlowTypeNames();
QStringList LinkTypeNames();
QStringList LineTypeNames();
// The names the terminator and text-position arguments accept, for the schemas' enumerations.
QStringList TermNames();
QStringList TextPosNames();
std::uint8_t TextPosOf(const QString& name);
// Linear barcode types: the names the tools accept ("CODE128" for any other), and the name every
// type is reported by ("UNKNOWN" beyond them).
TORVBarType BarTypeOf(const QString& name);
QStringList BarTypeNames();
QString BarTypeText(int type);
// "rectangle", "arrow_line", ... "unknown".
QString KindText(const TPLNBaseItem* item);

// By index (0-based, in range), else by ID (without case); null when neither finds one.
TPLNBaseItem* FindItem(const TPLNBaseLabel* doc, int index, const QString& id);

// Checks a position or shape size and a pen, font, padding or radius in the document's unit.
void CheckCoord(const TPLNBaseLabel* doc, const char* name, double v);
void CheckLength(const TPLNBaseLabel* doc, const char* name, double v);
// The value in base units, checked as a length.
double LengthBase(const TPLNBaseLabel* doc, const char* name, double v);

// Keeps observers to one notification for the whole call.
class TUpdate {
 public:
  explicit TUpdate(TPLNBaseLabel* doc) : fDoc(doc) { fDoc->BeginUpdate(true); }
  ~TUpdate() { fDoc->EndUpdate(); }
  TUpdate(const TUpdate&) = delete;
  TUpdate& operator=(const TUpdate&) = delete;

 private:
  TPLNBaseLabel* fDoc;
};

// A new item that is removed again unless the handler gets to Keep it.
class TNewItem {
 public:
  TNewItem(TPLNBaseLabel* doc, TPLNBaseItem* item) : fDoc(doc), fItem(item) {}
  ~TNewItem();
  TNewItem(const TNewItem&) = delete;
  TNewItem& operator=(const TNewItem&) = delete;
  TPLNBaseItem* Get() const { return fItem; }
  TPLNBaseItem* Keep() {
    TPLNBaseItem* it = fItem;
    fItem = nullptr;
    return it;
  }

 private:
  TPLNBaseLabel* fDoc;
  TPLNBaseItem* fItem;
};

}  // namespace Orv::Mcp
