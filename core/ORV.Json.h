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

}  // namespace Orv::Json
