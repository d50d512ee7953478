#include "ORV.Mapping.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocale>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "ORV.Base.h"
#include "ORV.Layers.h"
#include "ORV.Utils.h"

namespace Orv {

namespace MapMath {

QPointF WorldPixel(double latitude, double longitude, int zoom) {
  const double size = kTileSize * std::ldexp(1.0, zoom);
  const double lat = std::clamp(latitude, -kMaxLatitude, kMaxLatitude) * std::numbers::pi / 180.0;
  const double x = (longitude + 180.0) / 360.0 * size;
  const double y = (1.0 - std::log(std::tan(lat) + 1.0 / std::cos(lat)) / std::numbers::pi) / 2.0 * size;
  return {x, y};
}

QPointF LatLonOfPixel(double px, double py, int zoom) {
  const double size = kTileSize * std::ldexp(1.0, zoom);
  const double lon = px / size * 360.0 - 180.0;
  const double n = std::numbers::pi * (1.0 - 2.0 * py / size);
  const double lat = std::atan(std::sinh(n)) * 180.0 / std::numbers::pi;
  return {lon, lat};
}

double MetresPerPixel(double latitude, int zoom) {
  const double circumference = 2.0 * std::numbers::pi * kEarthRadius;
  return circumference * std::cos(latitude * std::numbers::pi / 180.0) / (kTileSize * std::ldexp(1.0, zoom));
}

}  // namespace MapMath

namespace {

struct ProviderRow {
  const char* name;
  const char* key;
  const char* url;
  const char* credit;
  bool needsKey;
};

// Public tile services. The Spanish services (SIGPAC, IGN) are WMTS or WMS servers of the
// same grid; SIGPAC draws any box, so its tiles are asked for by their Mercator bounds.
const ProviderRow kProviders[TPLNMapping::ProviderCount] = {
    {"OpenStreetMap", "openstreetmap", "https://tile.openstreetmap.org/{z}/{x}/{y}.png",
     "\u00A9 OpenStreetMap contributors", false},
    {"CartoDB", "cartodb", "https://basemaps.cartocdn.com/light_all/{z}/{x}/{y}.png",
     "\u00A9 OpenStreetMap contributors \u00A9 CARTO", false},
    {"ESRI", "esri", "https://server.arcgisonline.com/ArcGIS/rest/services/World_Imagery/MapServer/tile/{z}/{y}/{x}",
     "Tiles \u00A9 Esri", false},
    {"OpenTopo", "opentopo", "https://tile.opentopomap.org/{z}/{x}/{y}.png",
     "\u00A9 OpenStreetMap contributors, SRTM | \u00A9 OpenTopoMap (CC-BY-SA)", false},
    {"SIGPAC", "sigpac",
     "https://sigpac-hubcloud.es/wms?SERVICE=WMS&VERSION=1.3.0&REQUEST=GetMap&LAYERS=recinto&STYLES="
     "&CRS=EPSG:3857&BBOX={bbox}&WIDTH=256&HEIGHT=256&FORMAT=image/png",
     "\u00A9 FEGA - SIGPAC", false},
    {"IGN - Mapa Base", "ignbase",
     "https://www.ign.es/wmts/ign-base?SERVICE=WMTS&REQUEST=GetTile&VERSION=1.0.0&LAYER=IGNBaseTodo"
     "&STYLE=default&TILEMATRIXSET=GoogleMapsCompatible&TILEMATRIX={z}&TILEROW={y}&TILECOL={x}&FORMAT=image/jpeg",
     "\u00A9 Instituto Geogr\u00E1fico Nacional de Espa\u00F1a", false},
    {"IGN - Ortofoto PNOA", "ignpnoa",
     "https://www.ign.es/wmts/pnoa-ma?SERVICE=WMTS&REQUEST=GetTile&VERSION=1.0.0&LAYER=OI.OrthoimageCoverage"
     "&STYLE=default&TILEMATRIXSET=GoogleMapsCompatible&TILEMATRIX={z}&TILEROW={y}&TILECOL={x}&FORMAT=image/jpeg",
     "PNOA \u00A9 Instituto Geogr\u00E1fico Nacional de Espa\u00F1a", false},
    {"Google Maps - Road", "googleroad", "https://mt.google.com/vt/lyrs=m&x={x}&y={y}&z={z}&key={key}",
     "\u00A9 Google", true},
    {"Google Maps - Satellite", "googlesatellite", "https://mt.google.com/vt/lyrs=s&x={x}&y={y}&z={z}&key={key}",
     "\u00A9 Google", true},
    {"Google Maps - Terrain", "googleterrain", "https://mt.google.com/vt/lyrs=p&x={x}&y={y}&z={z}&key={key}",
     "\u00A9 Google", true},
    {"Google Maps - Hybrid", "googlehybrid", "https://mt.google.com/vt/lyrs=y&x={x}&y={y}&z={z}&key={key}",
     "\u00A9 Google", true},
    {"Here Maps - Normal", "heremaps",
     "https://maps.hereapi.com/v3/base/mc/{z}/{x}/{y}/png8?style=explore.day&apiKey={key}", "\u00A9 HERE", true},
    {"Carto - Dark Matter", "cartodark", "https://basemaps.cartocdn.com/dark_all/{z}/{x}/{y}.png",
     "\u00A9 OpenStreetMap contributors \u00A9 CARTO", false},
    {"Carto - Voyager", "cartovoyager", "https://basemaps.cartocdn.com/rastertiles/voyager/{z}/{x}/{y}.png",
     "\u00A9 OpenStreetMap contributors \u00A9 CARTO", false},
};

bool InRange(int provider) { return provider >= 0 && provider < TPLNMapping::ProviderCount; }

// A coordinate as users type it: blanks around it, a comma or a point as decimal separator.
bool ParseCoordinate(const QString& text, double& value) {
  QString t = text.trimmed();
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  value = QLocale::c().toDouble(t, &ok);
  return ok && std::isfinite(value);
}

}  // namespace

TPLNMapping::TPLNMapping()
    : fCacheFolder(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
                       .filePath(QStringLiteral("planora/tiles"))) {}

QString TPLNMapping::ProviderName(int provider) {
  return InRange(provider) ? QString::fromUtf8(kProviders[provider].name) : QString();
}

QString TPLNMapping::ProviderKey(int provider) {
  return InRange(provider) ? QString::fromLatin1(kProviders[provider].key) : QString();
}

int TPLNMapping::ProviderFromKey(const QString& key) {
  for (int i = 0; i < ProviderCount; ++i)
    if (key.compare(QLatin1String(kProviders[i].key), Qt::CaseInsensitive) == 0) return i;
  return OpenStreetMap;
}

QString TPLNMapping::Attribution(int provider) {
  return InRange(provider) ? QString::fromUtf8(kProviders[provider].credit) : QString();
}

QString TPLNMapping::DefaultUrlTemplate(int provider) {
  return InRange(provider) ? QString::fromLatin1(kProviders[provider].url) : QString();
}

bool TPLNMapping::NeedsKey(int provider) { return InRange(provider) && kProviders[provider].needsKey; }

void TPLNMapping::SetProvider(int provider) { fProvider = InRange(provider) ? provider : OpenStreetMap; }

void TPLNMapping::SetZoom(int zoom) { fZoom = std::clamp(zoom, kMinZoom, kMaxZoom); }

QString TPLNMapping::GetUrlTemplate(int provider) const {
  if (!InRange(provider)) return {};
  const QString& own = fUrlTemplates[static_cast<size_t>(provider)];
  return own.isEmpty() ? DefaultUrlTemplate(provider) : own;
}

void TPLNMapping::SetUrlTemplate(int provider, const QString& pattern) {
  if (InRange(provider)) fUrlTemplates[static_cast<size_t>(provider)] = pattern;
}

QString TPLNMapping::TileUrl(int provider, int zoom, int x, int y) const {
  QString url = GetUrlTemplate(provider);
  if (url.contains(QLatin1String("{bbox}"))) {
    // The tile's bounds in spherical Mercator metres: minx, miny, maxx, maxy.
    const double half = std::numbers::pi * MapMath::kEarthRadius;
    const double span = 2.0 * half / std::ldexp(1.0, zoom);
    const double minx = -half + x * span, maxy = half - y * span;
    const auto f = [](double v) { return QString::number(v, 'f', 2); };
    url.replace(QLatin1String("{bbox}"), f(minx) + ',' + f(maxy - span) + ',' + f(minx + span) + ',' + f(maxy));
  }
  url.replace(QLatin1String("{z}"), QString::number(zoom));
  url.replace(QLatin1String("{x}"), QString::number(x));
  url.replace(QLatin1String("{y}"), QString::number(y));
  url.replace(QLatin1String("{key}"), QString::fromLatin1(QUrl::toPercentEncoding(fApiKey)));
  return url;
}

bool TPLNMapping::LoadMap(const QString& first, const QString& second, int width, int height) {
  double lat = 0, lon = 0;
  if (!ParseCoordinate(first, lat)) {
    fError = QStringLiteral("the latitude \"%1\" is not a number").arg(first);
    return false;
  }
  if (!ParseCoordinate(second, lon)) {
    fError = QStringLiteral("the longitude \"%1\" is not a number").arg(second);
    return false;
  }
  if (std::abs(lat) > MapMath::kMaxLatitude) {
    fError = QStringLiteral("the latitude %1 is outside -85.0511 to 85.0511, where web maps end").arg(lat);
    return false;
  }
  if (std::abs(lon) > 180.0) {
    fError = QStringLiteral("the longitude %1 is outside -180 to 180").arg(lon);
    return false;
  }
  if (width < 1 || height < 1 || width > kMaxPixels || height > kMaxPixels) {
    fError = QStringLiteral("a map of %1 x %2 pixels cannot be made (1 to %3 pixels a side)")
                 .arg(width)
                 .arg(height)
                 .arg(kMaxPixels);
    return false;
  }
  fError.clear();
  fLatitude = lat;
  fLongitude = lon;
  fWidth = width;
  fHeight = height;

  // The centre lands on pixel (width/2, height/2) of the composite, as the centre mark does.
  const QPointF c = MapMath::WorldPixel(lat, lon, fZoom);
  const std::int64_t left = Utils::RoundHalfAway(c.x()) - width / 2;
  const std::int64_t top = Utils::RoundHalfAway(c.y()) - height / 2;
  const std::int64_t count = std::int64_t(1) << fZoom;
  const auto floorDiv = [](std::int64_t a) {
    return a >= 0 ? a / MapMath::kTileSize : -((-a + MapMath::kTileSize - 1) / MapMath::kTileSize);
  };
  fTiles.clear();
  for (std::int64_t ty = floorDiv(top); ty <= floorDiv(top + height - 1); ++ty) {
    if (ty < 0 || ty >= count) continue;  // beyond the poles: left white
    for (std::int64_t tx = floorDiv(left); tx <= floorDiv(left + width - 1); ++tx) {
      TPLNMapTile t;
      t.Zoom = fZoom;
      t.TileX = static_cast<int>(((tx % count) + count) % count);  // the world repeats east and west
      t.TileY = static_cast<int>(ty);
      t.X = static_cast<int>(tx * MapMath::kTileSize - left);
      t.Y = static_cast<int>(ty * MapMath::kTileSize - top);
      t.Url = TileUrl(fProvider, fZoom, t.TileX, t.TileY);
      fTiles.push_back(std::move(t));
    }
  }
  return true;
}

QString TPLNMapping::MapFileName(const QString& folder, const QString& first, const QString& second, int zoom) {
  QString a = first, b = second;
  a.remove(QLatin1Char(',')).remove(QLatin1Char('.'));
  b.remove(QLatin1Char(',')).remove(QLatin1Char('.')).remove(QLatin1Char('-'));
  const QString name = a + QLatin1Char('_') + b + QLatin1Char('_') + QString::number(zoom) + QStringLiteral(".png");
  return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

QString TPLNMapping::CachedTilePath(const TPLNMapTile& tile) const {
  if (fCacheFolder.isEmpty()) return {};
  // Keyed by the address, so a changed pattern or key never serves another service's tile.
  const QByteArray hash = QCryptographicHash::hash(tile.Url.toUtf8(), QCryptographicHash::Sha1).toHex();
  return QDir(fCacheFolder).filePath(ProviderKey(fProvider) + QLatin1Char('/') + QString::number(tile.Zoom) +
                                     QLatin1Char('/') + QString::fromLatin1(hash) + QStringLiteral(".tile"));
}

std::int64_t TPLNMapping::ScaleDenominator() const {
  if (fWidth == 0) return 0;
  const double paperMetresPerPixel = 0.0254 / 96.0;
  return Utils::RoundHalfAway(MapMath::MetresPerPixel(fLatitude, fZoom) / paperMetresPerPixel);
}

void TPLNMapping::ApplyScale(TPLNBaseLabel& doc) const {
  TPLNMeasure m = doc.Measure();
  m.DrawScale = std::max<std::int64_t>(1, ScaleDenominator());
  doc.SetMeasure(m);
}

void TPLNMapping::CopyToLayer(TPLNLayer& layer) const {
  layer.MapProvider = fProvider;
  layer.MapZoom = fZoom;
  layer.MapLatitude = fLatitude;
  layer.MapLongitude = fLongitude;
  layer.MapShowCenter = fShowCenter;
}

void TPLNMapping::CopyFromLayer(const TPLNLayer& layer) {
  SetProvider(layer.MapProvider);
  SetZoom(layer.MapZoom);
  fLatitude = layer.MapLatitude;
  fLongitude = layer.MapLongitude;
  fShowCenter = layer.MapShowCenter;
}

}  // namespace Orv
