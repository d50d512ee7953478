#pragma once
// A drawing layer: the defaults new items take, options and a background image.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Types.h"

namespace Orv {

class TPLNLayer {
 public:
  TPLNLayer() = default;
  explicit TPLNLayer(const QString& name) : Name(name) {}

  QString Name;
  TAlphaColor PenColor = kBlack;
  TAlphaColor BackColor = kWhite;
  double PenWidth = 250;  // base units: 0.25 mm
  QString FontName = QStringLiteral("Arial");
  float FontHeight = 3.5f;  // millimetres
  TAlphaColor FontColor = kBlack;
  bool Bold = false;
  bool Italic = false;
  // New shapes drawn on the layer start filled with its back colour.
  bool Fill = false;
  // A new layer shows its background picture everywhere: in the editor, in exports and on paper.
  std::uint16_t Options = Opt::Default | Opt::PrintBackground | Opt::ExportBackground;
  QString BackImageFile;
  // Margins of the background image in base units: left, top, right, bottom.
  std::int64_t BackMargins[4] = {0, 0, 0, 0};
  // The encoded picture kept inside the document; it wins over BackImageFile when present.
  QByteArray ImageData;
  // Copy the file's picture into ImageData the first time it is drawn, so saves carry it.
  bool EmbedImage = false;
  // The map a map-background layer shows, kept so that it can be composed again.
  int MapProvider = 0;
  int MapZoom = 15;
  double MapLatitude = 0;
  double MapLongitude = 0;
  bool MapShowCenter = false;

  TAlphaColor GetPenColor() const { return PenColor; }
  TAlphaColor GetBackColor() const { return BackColor; }
  double GetPenWidth() const { return PenWidth; }
  float GetFontHeight() const { return FontHeight; }
  bool HasOption(std::uint16_t bit) const { return (Options & bit) == bit; }

  void Write(TBinaryWriter& w) const;
  void Read(TBinaryReader& r, std::int32_t version);
  QJsonObject ToJson() const;
  void FromJson(const QJsonObject& o);
};

}  // namespace Orv
