#pragma once
// Typed access to JSON records: a value of the wrong type is an error that names its key,
// a missing key takes the default (hand-written documents may leave keys out).

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <vector>

#include "ORV.Pto.h"
#include "ORV.Types.h"

namespace Orv::Json {

std::int64_t Int(const QJsonObject& o, const char* key, std::int64_t def);
double Num(const QJsonObject& o, const char* key, double def);
bool Bool(const QJsonObject& o, const char* key, bool def);
QString Str(const QJsonObject& o, const char* key, const QString& def = {});
// Colours are written as "#AARRGGBB"; "#RRGGBB" and plain numbers are read too.
TAlphaColor Color(const QJsonObject& o, const char* key, TAlphaColor def);
QJsonValue ColorValue(TAlphaColor c);
bool ParseColor(const QString& text, TAlphaColor* out);
// Points as [[x, y], ...] in base units.
std::vector<TORVPto> Points(const QJsonObject& o, const char* key);
QJsonArray PointsValue(const std::vector<TORVPto>& pts);

// Where items write their records: a QJsonObject, or straight into JSON text (which keeps the
// key order and is many times faster for large drawings).
class TJsonSink {
 public:
  virtual ~TJsonSink() = default;
  virtual void Int(const char* key, std::int64_t v) = 0;
  virtual void Num(const char* key, double v) = 0;
  virtual void Bool(const char* key, bool v) = 0;
  virtual void Str(const char* key, const QString& v) = 0;
  virtual void Color(const char* key, TAlphaColor c) = 0;
  virtual void Points(const char* key, const std::vector<TORVPto>& pts) = 0;
  // Nested records (a table's columns).
  virtual void Value(const char* key, const QJsonValue& v) = 0;
};

class TJsonObjectSink : public TJsonSink {
 public:
  explicit TJsonObjectSink(QJsonObject& o) : fObject(o) {}
  void Int(const char* key, std::int64_t v) override;
  void Num(const char* key, double v) override;
  void Bool(const char* key, bool v) override;
  void Str(const char* key, const QString& v) override;
  void Color(const char* key, TAlphaColor c) override;
  void Points(const char* key, const std::vector<TORVPto>& pts) override;
  void Value(const char* key, const QJsonValue& v) override;

 private:
  QJsonObject& fObject;
};

// Appends one compact JSON object: Begin, the keys, End.
class TJsonTextSink : public TJsonSink {
 public:
  explicit TJsonTextSink(QByteArray& out) : fOut(out) {}
  void Begin();
  void End();
  void Int(const char* key, std::int64_t v) override;
  void Num(const char* key, double v) override;
  void Bool(const char* key, bool v) override;
  void Str(const char* key, const QString& v) override;
  void Color(const char* key, TAlphaColor c) override;
  void Points(const char* key, const std::vector<TORVPto>& pts) override;
  void Value(const char* key, const QJsonValue& v) override;

 private:
  void Key(const char* key);
  QByteArray& fOut;
  bool fFirst = true;
};

// A JSON string literal with its quotes.
void AppendQuoted(QByteArray& out, const QString& s);

}  // namespace Orv::Json
