#include "ORV.Layers.h"

#include <QJsonArray>
#include <cmath>

#include "ORV.Json.h"
#include "ORV.Utils.h"

namespace Orv {

void TPLNLayer::Write(TBinaryWriter& w) const {
  w.WriteString(Name);
  w.WriteUInt32(PenColor);
  w.WriteUInt32(BackColor);
  w.WriteDouble(PenWidth);
  w.WriteString(FontName);
  w.WriteSingle(FontHeight);
  w.WriteUInt32(FontColor);
  w.WriteBoolean(Bold);
  w.WriteBoolean(Italic);
  w.WriteUInt16(Options);
  w.WriteString(BackImageFile);
  for (std::int64_t m : BackMargins) w.WriteInt64(m);
  w.WriteBoolean(EmbedImage);
  w.WriteInt32(static_cast<std::int32_t>(ImageData.size()));
  w.WriteBytes(ImageData);
  w.WriteInt32(MapProvider);
  w.WriteInt32(MapZoom);
  w.WriteDouble(MapLatitude);
  w.WriteDouble(MapLongitude);
  w.WriteBoolean(MapShowCenter);
  w.WriteBoolean(Fill);
}

void TPLNLayer::Read(TBinaryReader& r, std::int32_t version) {
  Name = r.ReadString();
  PenColor = r.ReadUInt32();
  BackColor = r.ReadUInt32();
  PenWidth = r.ReadDouble();
  FontName = r.ReadString();
  FontHeight = r.ReadSingle();
  FontColor = r.ReadUInt32();
  Bold = r.ReadBoolean();
  Italic = r.ReadBoolean();
  Options = r.ReadUInt16();
  BackImageFile = r.ReadString();
  for (std::int64_t& m : BackMargins) m = r.ReadCoord("image margin");
  EmbedImage = r.ReadBoolean();
  ImageData = r.ReadBytes(r.ReadCount(1, "image byte"));
  if (version >= 3201) {
    MapProvider = r.ReadInt32();
    MapZoom = r.ReadInt32();
    MapLatitude = r.ReadDouble();
    MapLongitude = r.ReadDouble();
    MapShowCenter = r.ReadBoolean();
    Fill = r.ReadBoolean();
  }
  if (PenWidth < 0 || FontHeight < 0)
    throw EPLNError(QStringLiteral("layer \"%1\" has a negative pen width or font height").arg(Utils::QuoteForMessage(Name)));
}

QJsonObject TPLNLayer::ToJson() const {
  QJsonObject o;
  o.insert(QStringLiteral("Name"), Name);
  o.insert(QStringLiteral("PenColor"), Json::ColorValue(PenColor));
  o.insert(QStringLiteral("BackColor"), Json::ColorValue(BackColor));
  o.insert(QStringLiteral("PenWidth"), PenWidth);
  o.insert(QStringLiteral("FontName"), FontName);
  o.insert(QStringLiteral("FontHeight"), FontHeight);
  o.insert(QStringLiteral("FontColor"), Json::ColorValue(FontColor));
  o.insert(QStringLiteral("Bold"), Bold);
  o.insert(QStringLiteral("Italic"), Italic);
  if (Fill) o.insert(QStringLiteral("Fill"), true);
  o.insert(QStringLiteral("Options"), Options);
  if (!BackImageFile.isEmpty()) o.insert(QStringLiteral("BackImageFile"), BackImageFile);
  o.insert(QStringLiteral("BackMargins"),
           QJsonArray{double(BackMargins[0]), double(BackMargins[1]), double(BackMargins[2]), double(BackMargins[3])});
  if (EmbedImage) o.insert(QStringLiteral("EmbedImage"), true);
  if (!ImageData.isEmpty()) o.insert(QStringLiteral("ImageData"), QString::fromLatin1(ImageData.toBase64()));
  if (HasOption(Opt::MapBackground)) {
    o.insert(QStringLiteral("Map"), QJsonObject{{QStringLiteral("Provider"), MapProvider},
                                                {QStringLiteral("Zoom"), MapZoom},
                                                {QStringLiteral("Latitude"), MapLatitude},
                                                {QStringLiteral("Longitude"), MapLongitude},
                                                {QStringLiteral("ShowCenter"), MapShowCenter}});
  }
  return o;
}

void TPLNLayer::FromJson(const QJsonObject& o) {
  Name = Json::Str(o, "Name", Name);
  PenColor = Json::Color(o, "PenColor", PenColor);
  BackColor = Json::Color(o, "BackColor", BackColor);
  PenWidth = Json::Num(o, "PenWidth", PenWidth);
  FontName = Json::Str(o, "FontName", FontName);
  FontHeight = static_cast<float>(Json::Num(o, "FontHeight", FontHeight));
  FontColor = Json::Color(o, "FontColor", FontColor);
  Bold = Json::Bool(o, "Bold", Bold);
  Italic = Json::Bool(o, "Italic", Italic);
  Fill = Json::Bool(o, "Fill", false);
  Options = static_cast<std::uint16_t>(Json::Int(o, "Options", Options));
  BackImageFile = Json::Str(o, "BackImageFile");
  const QJsonValue m = o.value(QStringLiteral("BackMargins"));
  if (m.isArray()) {
    const QJsonArray a = m.toArray();
    if (a.size() != 4) throw EPLNError(QStringLiteral("\"BackMargins\" must hold four numbers"));
    for (int i = 0; i < 4; ++i) {
      // The range the binary reader takes; beyond it a double would not even convert.
      const double v = a[i].toDouble();
      if (!a[i].isDouble() || !(std::abs(v) <= double(kMaxCoord)))
        throw EPLNError(QStringLiteral("\"BackMargins\" must hold four numbers of at most %1 km").arg(kMaxCoord / 1'000'000'000));
      BackMargins[i] = static_cast<std::int64_t>(v);
    }
  }
  EmbedImage = Json::Bool(o, "EmbedImage", false);
  ImageData.clear();
  if (o.contains(QStringLiteral("ImageData"))) {
    const QJsonValue v = o.value(QStringLiteral("ImageData"));
    auto decoded = QByteArray::fromBase64Encoding(v.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!v.isString() || !decoded) throw EPLNError(QStringLiteral("\"ImageData\" of layer \"%1\" is not base64 text").arg(Utils::QuoteForMessage(Name)));
    ImageData = *decoded;
  }
  const QJsonValue map = o.value(QStringLiteral("Map"));
  if (!map.isUndefined()) {
    if (!map.isObject()) throw EPLNError(QStringLiteral("\"Map\" of layer \"%1\" must be an object").arg(Utils::QuoteForMessage(Name)));
    const QJsonObject mo = map.toObject();
    MapProvider = static_cast<int>(Json::Int(mo, "Provider", 0));
    MapZoom = static_cast<int>(Json::Int(mo, "Zoom", 15));
    MapLatitude = Json::Num(mo, "Latitude", 0);
    MapLongitude = Json::Num(mo, "Longitude", 0);
    MapShowCenter = Json::Bool(mo, "ShowCenter", false);
  }
  if (PenWidth < 0 || FontHeight < 0)
    throw EPLNError(QStringLiteral("layer \"%1\" has a negative pen width or font height").arg(Utils::QuoteForMessage(Name)));
}

}  // namespace Orv
