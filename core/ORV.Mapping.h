#pragma once
// Map backgrounds: which tiles of which tile service make a map of a given centre, zoom and
// pixel size, where each tile goes in the composite, and where tiles and maps are kept.
//
// Tiles follow the common web-map grid: 256-pixel tiles of the spherical Mercator projection,
// 2^zoom tiles a side, x growing east from longitude -180 and y growing south from latitude
// +85.0511.

#include <QPointF>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace Orv {

class TPLNLayer;
class TPLNBaseLabel;

// One tile of a composed map: its address on the service and its place in the composite (the
// pixel of the composite where the tile's top-left corner lands; often negative).
struct TPLNMapTile {
  QString Url;
  int TileX = 0, TileY = 0, Zoom = 0;
  int X = 0, Y = 0;
};

namespace MapMath {
constexpr int kTileSize = 256;
constexpr double kMaxLatitude = 85.05112878;  // where the Mercator square ends
constexpr double kEarthRadius = 6378137.0;    // metres, the sphere of the web-map projection
// The point's pixel in the whole world map at `zoom` (0 … 256·2^zoom on each axis).
QPointF WorldPixel(double latitude, double longitude, int zoom);
// The inverse: latitude (y of the result) and longitude (x) of a world pixel.
QPointF LatLonOfPixel(double px, double py, int zoom);
// Ground metres a map pixel covers at a latitude.
double MetresPerPixel(double latitude, int zoom);
}  // namespace MapMath

class TPLNMapping {
 public:
  enum Provider : int {
    OpenStreetMap = 0,
    CartoDB,
    Esri,
    OpenTopo,
    Sigpac,
    IgnBase,
    IgnPnoa,
    GoogleRoad,
    GoogleSatellite,
    GoogleTerrain,
    GoogleHybrid,
    HereNormal,
    CartoDark,
    CartoVoyager,
    ProviderCount
  };
  static constexpr int kMinZoom = 0;
  static constexpr int kMaxZoom = 20;
  // Larger composites are refused: a mistyped size would otherwise fetch thousands of tiles.
  static constexpr int kMaxPixels = 8192;

  TPLNMapping();

  // The name users see ("OpenStreetMap", "Carto - Voyager"); empty out of range.
  static QString ProviderName(int provider);
  // The provider of a short key ("openstreetmap", "googlehybrid"; case-insensitive), any other
  // key gives OpenStreetMap.
  static int ProviderFromKey(const QString& key);
  static QString ProviderKey(int provider);
  // The credit line the service's terms ask for on every map made from its tiles.
  static QString Attribution(int provider);
  // The built-in tile address pattern: {z}, {x}, {y}, {bbox} (EPSG:3857 metres of the tile,
  // for map servers that draw any box) and {key} (the API key) are replaced per tile.
  static QString DefaultUrlTemplate(int provider);
  // Whether the service needs an API key to answer.
  static bool NeedsKey(int provider);

  // The providers a map window offers, one bit per provider index; all of them by default.
  // A set without any provider's bit offers them all, so a window never has nothing to show.
  static constexpr std::uint32_t kAllProviders = (1u << ProviderCount) - 1;
  std::uint32_t GetProviders() const { return fProviders; }
  void SetProviders(std::uint32_t set) { fProviders = set & kAllProviders; }
  bool Offers(int provider) const {
    const std::uint32_t set = fProviders ? fProviders : kAllProviders;
    return provider >= 0 && provider < ProviderCount && ((set >> provider) & 1u) != 0;
  }

  int GetProvider() const { return fProvider; }
  void SetProvider(int provider);  // out of range: OpenStreetMap
  int GetZoom() const { return fZoom; }
  void SetZoom(int zoom);  // clamped to kMinZoom … kMaxZoom
  bool GetShowCenter() const { return fShowCenter; }
  void SetShowCenter(bool b) { fShowCenter = b; }
  QString GetApiKey() const { return fApiKey; }
  void SetApiKey(const QString& key) { fApiKey = key; }

  // The address pattern used for a provider: a setting, so a site may point a provider at
  // its own tile server (and tests at one on 127.0.0.1). Empty restores the built-in one.
  QString GetUrlTemplate(int provider) const;
  void SetUrlTemplate(int provider, const QString& pattern);
  QString TileUrl(int provider, int zoom, int x, int y) const;

  // Prepares the request: the centre from the texts of its latitude and longitude (a comma
  // counts as a decimal point, as users type it in many countries), the composite's pixel
  // size, and the tiles covering it at the current zoom. False, with LastError telling why,
  // for a coordinate that is no number or out of range, or a size out of 1 … kMaxPixels;
  // the previous request is then kept.
  bool LoadMap(const QString& first, const QString& second, int width, int height);
  QString LastError() const { return fError; }

  double GetLatitude() const { return fLatitude; }
  double GetLongitude() const { return fLongitude; }
  int GetWidth() const { return fWidth; }
  int GetHeight() const { return fHeight; }
  int GetNumTiles() const { return static_cast<int>(fTiles.size()); }
  const TPLNMapTile& GetTile(int i) const { return fTiles.at(static_cast<size_t>(i)); }

  // The file of the last composed map; empty until one was composed.
  QString GetFileName() const { return fFileName; }
  void SetFileName(const QString& f) { fFileName = f; }
  // Where a map of these coordinate texts and zoom is stored in `folder`: the latitude text
  // without "," and "." then "_", the longitude text without ",", "." and "-" then "_", the
  // zoom and ".png".
  static QString MapFileName(const QString& folder, const QString& first, const QString& second, int zoom);

  // Tile cache: tiles fetched once are read from here until they are older than the maximum
  // age. An empty folder turns the cache off.
  QString GetCacheFolder() const { return fCacheFolder; }
  void SetCacheFolder(const QString& folder) { fCacheFolder = folder; }
  std::int64_t GetCacheMaxAge() const { return fCacheMaxAge; }  // seconds
  void SetCacheMaxAge(std::int64_t seconds) { fCacheMaxAge = seconds; }
  // The cache file of a tile of the current provider; empty without a cache folder.
  QString CachedTilePath(const TPLNMapTile& tile) const;

  // Network settings of the composition and of geocoding.
  int TimeoutMs = 15000;     // per request
  int MaxConcurrent = 2;     // requests in flight at once (tile services ask for few)
  QString NominatimUrl = QStringLiteral("https://nominatim.openstreetmap.org/search");
  QString GoogleGeocodeUrl = QStringLiteral("https://maps.googleapis.com/maps/api/geocode/json");

  // The drawing scale at which the composed map, shown the size of the label at 96 dpi,
  // matches the ground (1:N): ground metres per pixel over paper metres per pixel. 0 before
  // a request.
  std::int64_t ScaleDenominator() const;
  // Gives the document that drawing scale (at least 1).
  void ApplyScale(TPLNBaseLabel& doc) const;

  // The map settings a layer keeps so that its map can be composed again.
  void CopyToLayer(TPLNLayer& layer) const;
  void CopyFromLayer(const TPLNLayer& layer);

 private:
  int fProvider = OpenStreetMap;
  std::uint32_t fProviders = kAllProviders;
  int fZoom = 15;
  bool fShowCenter = false;
  QString fApiKey;
  std::array<QString, ProviderCount> fUrlTemplates;
  double fLatitude = 0, fLongitude = 0;
  int fWidth = 0, fHeight = 0;
  std::vector<TPLNMapTile> fTiles;
  QString fFileName;
  QString fCacheFolder;
  std::int64_t fCacheMaxAge = 7 * 24 * 3600;
  QString fError;
};

}  // namespace Orv
