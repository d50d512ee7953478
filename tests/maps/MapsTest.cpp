// Map backgrounds: the tile grid, composing maps from a tile server of our own on 127.0.0.1,
// the tile cache, every way a tile can fail, geocoding, and the map shown behind the labels.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QUrlQuery>
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "LocalHttpServer.h"
#include "ORV.FMX.Map.h"
#include "ORV.FMX.h"
#include "PlanoraProcess.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

// Tile (x, y) is one flat colour that tells it apart from its neighbours.
QColor TileColor(int x, int y) { return QColor((x * 37) % 200 + 40, (y * 53) % 200 + 40, 90); }

QByteArray Png(const QImage& img) {
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  return bytes;
}

QByteArray TilePng(int x, int y) {
  QImage img(256, 256, QImage::Format_RGB32);
  img.fill(TileColor(x, y));
  return Png(img);
}

// Serves /z/x/y.png as coloured tiles; `fail` may answer for one path instead.
LocalHttpServer::Handler Tiles(std::function<bool(const QString&, HttpAnswer&)> fail = {}) {
  return [fail](const HttpRequest& r) {
    HttpAnswer a;
    if (fail && fail(r.Url.path(), a)) return a;
    const QStringList parts = r.Url.path().split('/', Qt::SkipEmptyParts);
    if (parts.size() != 3) return HttpAnswer{404, "text/plain", "no such tile", false};
    a.Body = TilePng(parts[1].toInt(), parts[2].section('.', 0, 0).toInt());
    return a;
  };
}

struct MapDoc {
  TPlanoraFMX doc;
  explicit MapDoc(const LocalHttpServer& server, const QString& tag) {
    doc.ImageFolder = TmpDir(QStringLiteral("maps-") + tag);
    QDir(doc.ImageFolder).removeRecursively();
    QDir().mkpath(doc.ImageFolder);
    TPLNMapping& m = doc.Mapping();
    m.SetCacheFolder(doc.ImageFolder + QStringLiteral("/cache"));
    m.SetUrlTemplate(TPLNMapping::OpenStreetMap, server.Base() + QStringLiteral("/{z}/{x}/{y}.png"));
    m.TimeoutMs = 2000;
  }
  // Composes and waits; the error text, empty on success.
  QString Compose(const QString& lat, const QString& lon, int zoom, int w, int h) {
    doc.ComposeImage(lat, lon, zoom, w, h);
    QString error;
    const bool ok = doc.WaitForCompose(&error);
    EXPECT_EQ(ok, error.isEmpty());
    return error;
  }
  QStringList Pngs() const { return QDir(doc.ImageFolder).entryList({QStringLiteral("*.png")}, QDir::Files); }
};

}  // namespace

TEST(MapGrid, TileArithmeticCoversTheMapAroundItsCentre) {
  // The world's centre and corners at zoom 0, and the ground size of a pixel.
  const QPointF c = MapMath::WorldPixel(0, 0, 0);
  EXPECT_NEAR(c.x(), 128, 1e-9);
  EXPECT_NEAR(c.y(), 128, 1e-9);
  EXPECT_NEAR(MapMath::WorldPixel(MapMath::kMaxLatitude, -180, 3).y(), 0, 1e-3);
  EXPECT_NEAR(MapMath::MetresPerPixel(0, 0), 156543.034, 1e-3);
  EXPECT_NEAR(MapMath::MetresPerPixel(60, 1), 156543.034 / 4, 1e-3);
  const QPointF p = MapMath::WorldPixel(41.3851, 2.1734, 15);
  const QPointF back = MapMath::LatLonOfPixel(p.x(), p.y(), 15);
  EXPECT_NEAR(back.y(), 41.3851, 1e-9);
  EXPECT_NEAR(back.x(), 2.1734, 1e-9);

  TPLNMapping m;
  m.SetZoom(15);
  ASSERT_TRUE(m.LoadMap(QStringLiteral("41,3851"), QStringLiteral(" 2.1734 "), 1024, 768)) << m.LastError().toStdString();
  EXPECT_DOUBLE_EQ(m.GetLatitude(), 41.3851);
  // Every pixel of the composite lies in exactly one tile, and no tile lies outside it.
  QImage cover(1024, 768, QImage::Format_Grayscale8);
  cover.fill(0);
  for (int i = 0; i < m.GetNumTiles(); ++i) {
    const TPLNMapTile& t = m.GetTile(i);
    const QRect r = QRect(t.X, t.Y, 256, 256).intersected(cover.rect());
    ASSERT_FALSE(r.isEmpty()) << "tile " << i << " is outside the map";
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) cover.scanLine(y)[x]++;
    // The tile's place follows from its grid address.
    EXPECT_EQ(t.X - t.TileX * 256, m.GetTile(0).X - m.GetTile(0).TileX * 256);
  }
  for (int y = 0; y < 768; y += 7)
    for (int x = 0; x < 1024; x += 7) ASSERT_EQ(cover.scanLine(y)[x], 1) << x << "," << y;
  // The centre lands on the composite's middle pixel.
  const TPLNMapTile& t0 = m.GetTile(0);
  EXPECT_NEAR(p.x() - (t0.TileX * 256 - t0.X), 512, 0.5);
  EXPECT_NEAR(p.y() - (t0.TileY * 256 - t0.Y), 384, 0.5);

  // East of the date line the grid starts again at x = 0; north of the last row there is none.
  m.SetZoom(2);
  ASSERT_TRUE(m.LoadMap(QStringLiteral("84"), QStringLiteral("179.9"), 600, 600));
  bool wrapped = false;
  for (int i = 0; i < m.GetNumTiles(); ++i) {
    EXPECT_GE(m.GetTile(i).TileY, 0);
    EXPECT_LT(m.GetTile(i).TileX, 4);
    wrapped |= m.GetTile(i).TileX == 0 && m.GetTile(i).X > 0;
  }
  EXPECT_TRUE(wrapped);
}

TEST(MapGrid, RefusedRequestsKeepThePreviousOneAndUrlsFollowTheirPattern) {
  TPLNMapping m;
  m.SetZoom(10);
  ASSERT_TRUE(m.LoadMap(QStringLiteral("10"), QStringLiteral("20"), 300, 200));
  const int tiles = m.GetNumTiles();
  for (auto [lat, lon, w, h] : {std::tuple{"abc", "1", 10, 10}, {"1", "", 10, 10}, {"86", "0", 10, 10},
                                {"0", "-181", 10, 10}, {"0", "0", 0, 10}, {"0", "0", 10, 9000}}) {
    EXPECT_FALSE(m.LoadMap(QString::fromLatin1(lat), QString::fromLatin1(lon), w, h)) << lat << " " << lon;
    EXPECT_FALSE(m.LastError().isEmpty());
  }
  EXPECT_EQ(m.GetNumTiles(), tiles);
  EXPECT_DOUBLE_EQ(m.GetLatitude(), 10);

  // Zoom is clamped; unknown providers fall back to OpenStreetMap; keys are found without case.
  m.SetZoom(99);
  EXPECT_EQ(m.GetZoom(), TPLNMapping::kMaxZoom);
  m.SetProvider(42);
  EXPECT_EQ(m.GetProvider(), TPLNMapping::OpenStreetMap);
  EXPECT_EQ(TPLNMapping::ProviderFromKey(QStringLiteral("CartoVoyager")), TPLNMapping::CartoVoyager);
  EXPECT_EQ(TPLNMapping::ProviderFromKey(QStringLiteral("nonsense")), TPLNMapping::OpenStreetMap);
  for (int p = 0; p < TPLNMapping::ProviderCount; ++p) {
    EXPECT_FALSE(TPLNMapping::Attribution(p).isEmpty());
    const QString url = m.TileUrl(p, 3, 5, 2);
    EXPECT_FALSE(url.contains('{')) << url.toStdString();
    EXPECT_TRUE(url.startsWith(QLatin1String("https://"))) << url.toStdString();
  }
  // Map servers that draw any box get the tile's Mercator bounds; keys are URL-encoded.
  m.SetUrlTemplate(TPLNMapping::Sigpac, QStringLiteral("http://h/wms?BBOX={bbox}&k={key}"));
  m.SetApiKey(QStringLiteral("a b&c"));
  EXPECT_EQ(m.TileUrl(TPLNMapping::Sigpac, 0, 0, 0),
            QStringLiteral("http://h/wms?BBOX=-20037508.34,-20037508.34,20037508.34,20037508.34&k=a%20b%26c"));
  EXPECT_EQ(m.TileUrl(TPLNMapping::Sigpac, 1, 1, 0),
            QStringLiteral("http://h/wms?BBOX=0.00,0.00,20037508.34,20037508.34&k=a%20b%26c"));
  m.SetUrlTemplate(TPLNMapping::Sigpac, {});
  EXPECT_EQ(m.GetUrlTemplate(TPLNMapping::Sigpac), TPLNMapping::DefaultUrlTemplate(TPLNMapping::Sigpac));

  // File names drop separators; the longitude also loses its sign, the latitude keeps it.
  EXPECT_EQ(TPLNMapping::MapFileName(QString(), QStringLiteral("-33,868800"), QStringLiteral("-151.209300"), 12),
            QStringLiteral("-33868800_151209300_12.png"));

  // The map's own scale: a pixel of ground over a pixel of paper at 96 dpi.
  m.SetZoom(15);
  ASSERT_TRUE(m.LoadMap(QStringLiteral("0"), QStringLiteral("0"), 100, 100));
  EXPECT_EQ(m.ScaleDenominator(), std::llround(MapMath::MetresPerPixel(0, 15) / (0.0254 / 96)));
}

TEST(MapCompose, TilesLandInPlaceWithCentreMarkAndCreditAndComeFromTheCacheNextTime) {
  LocalHttpServer server(Tiles());
  MapDoc d(server, QStringLiteral("ok"));
  int ready = 0;
  d.doc.OnComposeImage = [&](TPlanoraFMX&) { ++ready; };
  d.doc.Mapping().SetShowCenter(true);
  ASSERT_EQ(d.Compose(QStringLiteral("41.3851"), QStringLiteral("2.1734"), 12, 640, 480), QString());
  EXPECT_EQ(ready, 1);
  const QString file = d.doc.Mapping().GetFileName();
  EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("413851_21734_12.png"));
  const QImage map(file);
  ASSERT_EQ(map.size(), QSize(640, 480));
  const TPLNMapping& m = d.doc.Mapping();
  EXPECT_EQ(server.Requests(), m.GetNumTiles());
  EXPECT_TRUE(server.Last().UserAgent.startsWith("Planora/")) << server.Last().UserAgent.constData();
  // Probe a pixel inside each tile's visible part, away from the centre mark and the credit.
  for (int i = 0; i < m.GetNumTiles(); ++i) {
    const TPLNMapTile& t = m.GetTile(i);
    const QRect vis = QRect(t.X, t.Y, 256, 256).intersected(QRect(0, 0, 640, 440));
    if (vis.width() < 4 || vis.height() < 4) continue;
    const QPoint probe(vis.left() + 2, vis.top() + 2);
    EXPECT_TRUE(ColorAt(map, probe, TileColor(t.TileX, t.TileY), 2)) << "tile " << i;
  }
  EXPECT_TRUE(ColorAt(map, QPoint(325, 240), Qt::red, 2));
  EXPECT_TRUE(ColorAt(map, QPoint(320, 235), Qt::red, 2));
  // The credit line: dark letters on a pale band in the bottom-right corner.
  bool lettering = false;
  for (int x = 560; x < 638 && !lettering; ++x)
    for (int y = 465; y < 479 && !lettering; ++y) lettering = Gray(map, x, y) < 90;
  EXPECT_TRUE(lettering);

  // Again with the server refusing everything: every tile comes from the cache.
  server.SetHandler([](const HttpRequest&) { return HttpAnswer{500, "text/plain", "down", false}; });
  const int asked = server.Requests();
  QFile::remove(file);
  ASSERT_EQ(d.Compose(QStringLiteral("41.3851"), QStringLiteral("2.1734"), 12, 640, 480), QString());
  EXPECT_EQ(server.Requests(), asked);
  EXPECT_EQ(QImage(file), map);

  // A damaged cache file is fetched again rather than failing the map.
  server.SetHandler(Tiles());
  const QString cached = m.CachedTilePath(m.GetTile(0));
  WriteAll(cached, "not a png");
  ASSERT_EQ(d.Compose(QStringLiteral("41.3851"), QStringLiteral("2.1734"), 12, 640, 480), QString());
  EXPECT_EQ(server.Requests(), asked + 1);
  EXPECT_EQ(QImage(file), map);
}

TEST(MapCompose, AFailingTileEndsTheMapWithItsReasonAndWritesNothing) {
  LocalHttpServer server(Tiles());
  MapDoc d(server, QStringLiteral("fail"));
  int ready = 0;
  d.doc.OnComposeImage = [&](TPlanoraFMX&) { ++ready; };
  QStringList infos;
  d.doc.OnInfoMsg = [&](const QString& s) { infos << s; };
  d.doc.Mapping().SetZoom(12);
  ASSERT_TRUE(d.doc.Mapping().LoadMap(QStringLiteral("41.3851"), QStringLiteral("2.1734"), 640, 480));
  const int bad = 2;
  const QString badPath = QUrl(d.doc.Mapping().GetTile(bad).Url).path();
  const QString badUrl = d.doc.Mapping().GetTile(bad).Url;

  struct Case {
    HttpAnswer answer;
    QString reason;
  };
  const QImage notAnImage;
  const std::vector<Case> cases = {
      {{404, "text/html", "<p>gone</p>", false}, QStringLiteral("Error HTTP 404 to load tile 2: ") + badUrl},
      {{200, "application/vnd.ogc.se_xml", "<ServiceException>bad layer</ServiceException>", false},
       QStringLiteral("Error WMS: <ServiceException>bad layer</ServiceException>")},
      {{200, "text/plain", "hello", false}, QStringLiteral("Content-Type not expected: text/plain")},
      {{200, "image/png", "GIF89a-not-really", false}, QStringLiteral("Error loading image: ")},
      {{200, "image/png", {}, true}, QStringLiteral("no answer within 1 s")},
  };
  d.doc.Mapping().TimeoutMs = 1000;  // long enough for the healthy tiles of a loaded machine
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason.toStdString());
    QDir(d.doc.Mapping().GetCacheFolder()).removeRecursively();
    server.SetHandler(Tiles([&](const QString& path, HttpAnswer& a) {
      if (path != badPath) return false;
      a = c.answer;
      return true;
    }));
    const QString error = d.Compose(QStringLiteral("41.3851"), QStringLiteral("2.1734"), 12, 640, 480);
    EXPECT_TRUE(error.startsWith(QStringLiteral("Error on tile 2: ") + c.reason)) << error.toStdString();
    EXPECT_TRUE(error.endsWith(QStringLiteral(" - URL: ") + badUrl)) << error.toStdString();
    EXPECT_EQ(d.doc.LastMapError(), error);
    EXPECT_TRUE(d.Pngs().isEmpty()) << d.Pngs().join(' ').toStdString();
    EXPECT_TRUE(d.doc.Mapping().GetFileName().isEmpty());
  }
  EXPECT_EQ(ready, 0);
  EXPECT_EQ(infos.size(), static_cast<int>(cases.size()));

  // A request the mapping refuses fails at once, without a request.
  const int asked = server.Requests();
  EXPECT_FALSE(d.Compose(QStringLiteral("north"), QStringLiteral("2"), 12, 640, 480).isEmpty());
  EXPECT_EQ(server.Requests(), asked);
  EXPECT_TRUE(d.Pngs().isEmpty());
}

TEST(MapCompose, CoordinatesOfAnotherSystemAreTurnedIntoLatitudeAndLongitude) {
  LocalHttpServer server(Tiles());
  MapDoc d(server, QStringLiteral("transform"));
  // The application keeps positions as UTM zone 31 north: it knows this one.
  QStringList asked;
  d.doc.OnGMLCoordinateTransform = [&asked](const QString& first, const QString& second, double& lat, double& lon) {
    asked << first + QLatin1Char(' ') + second;
    if (first != QLatin1String("430000")) return false;
    lat = 41.3851;
    lon = 2.1734;
    return true;
  };
  ASSERT_EQ(d.Compose(QStringLiteral("430000"), QStringLiteral("4581000"), 12, 320, 240), QString());
  EXPECT_EQ(asked, QStringList{QStringLiteral("430000 4581000")});
  EXPECT_NEAR(d.doc.Mapping().GetLatitude(), 41.3851, 1e-9);
  EXPECT_NEAR(d.doc.Mapping().GetLongitude(), 2.1734, 1e-9);
  // The map is the one of that place, named by it.
  EXPECT_EQ(QFileInfo(d.doc.Mapping().GetFileName()).fileName(), QStringLiteral("413851_21734_12.png"));
  // Texts the event leaves alone are read as latitude and longitude.
  ASSERT_EQ(d.Compose(QStringLiteral("41.5"), QStringLiteral("2.5"), 12, 320, 240), QString());
  EXPECT_NEAR(d.doc.Mapping().GetLatitude(), 41.5, 1e-9);
  // A transform that lands off the globe is refused like any other bad centre.
  d.doc.OnGMLCoordinateTransform = [](const QString&, const QString&, double& lat, double& lon) {
    lat = 123;
    lon = 0;
    return true;
  };
  const int requests = server.Requests();
  EXPECT_FALSE(d.Compose(QStringLiteral("430000"), QStringLiteral("4581000"), 12, 320, 240).isEmpty());
  EXPECT_EQ(server.Requests(), requests);
}

TEST(MapCompose, GeocodingReadsBothServicesAndSaysWhenNothingWasFound) {
  LocalHttpServer server([](const HttpRequest& r) {
    const QUrlQuery q(r.Url);
    if (r.Url.path() == QLatin1String("/search")) {
      if (q.queryItemValue("q", QUrl::FullyDecoded) != QStringLiteral("Plaça Catalunya, Barcelona") ||
          q.queryItemValue("format") != QLatin1String("json") || q.queryItemValue("limit") != QLatin1String("1"))
        return HttpAnswer{200, "application/json", "[]", false};
      return HttpAnswer{200, "application/json", R"([{"lat":"41.3870","lon":"2.1700","display_name":"x"}])", false};
    }
    if (q.queryItemValue("key") != QLatin1String("KEY-1") || q.queryItemValue("address") != QLatin1String("Sydney"))
      return HttpAnswer{200, "application/json", R"({"results":[],"status":"ZERO_RESULTS"})", false};
    return HttpAnswer{200, "application/json",
                      R"({"results":[{"geometry":{"location":{"lat":-33.8688,"lng":151.2093}}}],"status":"OK"})", false};
  });
  TPlanoraFMX doc;
  doc.Mapping().NominatimUrl = server.Base() + QStringLiteral("/search");
  doc.Mapping().GoogleGeocodeUrl = server.Base() + QStringLiteral("/geocode/json");
  doc.Mapping().SetApiKey(QStringLiteral("KEY-1"));
  double lat = 99, lon = 99;
  ASSERT_TRUE(doc.GeocodingFromNominatim(QStringLiteral("Plaça Catalunya, Barcelona"), lat, lon));
  EXPECT_EQ(std::pair(lat, lon), std::pair(41.387, 2.17));
  EXPECT_TRUE(server.Last().UserAgent.startsWith("Planora/"));
  ASSERT_TRUE(doc.GeocodingFromGoogle(QStringLiteral("Sydney"), lat, lon));
  EXPECT_EQ(std::pair(lat, lon), std::pair(-33.8688, 151.2093));
  // Nothing found, a dead service: false, and the coordinates are left alone.
  EXPECT_FALSE(doc.GeocodingFromNominatim(QStringLiteral("Atlantis"), lat, lon));
  EXPECT_FALSE(doc.GeocodingFromGoogle(QStringLiteral("Atlantis"), lat, lon));
  doc.Mapping().NominatimUrl = QStringLiteral("http://127.0.0.1:9/search");
  EXPECT_FALSE(doc.GeocodingFromNominatim(QStringLiteral("Plaça Catalunya, Barcelona"), lat, lon));
  EXPECT_DOUBLE_EQ(lat, -33.8688);
}

TEST(MapCompose, TheMapShowsBehindTheLabelsAndItsSettingsAreSaved) {
  LocalHttpServer server(Tiles());
  MapDoc d(server, QStringLiteral("layer"));
  d.doc.SetMeasure(Paper(60000, 40000));
  d.doc.Mapping().SetShowCenter(true);
  ASSERT_EQ(d.Compose(QStringLiteral("48.8584"), QStringLiteral("2.2945"), 14, 227, 151), QString());
  EXPECT_THROW(d.doc.UseMapOnLayer(d.doc.GetLayersCount() + 1), EPLNError);
  d.doc.UseMapOnLayer(1);
  const TPLNLayer* l = d.doc.GetLayer(1);
  EXPECT_EQ(d.doc.GetBackLayer(), 1);
  EXPECT_TRUE(l->HasOption(Opt::MapBackground | Opt::PrintBackground | Opt::ExportBackground | Opt::Visible));
  EXPECT_EQ(l->BackImageFile, QFileInfo(d.doc.Mapping().GetFileName()).fileName());  // relative to the image folder

  // The exported label shows the map: its middle carries the red centre mark.
  const QString png = TmpPath(QStringLiteral("map-label.png"));
  ASSERT_EQ(Export(d.doc, TORVExport::PNG, png), QString());
  const QImage page(png);
  ASSERT_FALSE(page.isNull());
  const TPLNMapTile& t = d.doc.Mapping().GetTile(0);
  const QColor corner = QImage(d.doc.Mapping().GetFileName()).pixelColor(0, 0);
  EXPECT_TRUE(ColorAt(page, QPoint(1, 1), corner, 30)) << t.TileX;
  bool red = false;
  for (int y = page.height() / 2 - 3; y <= page.height() / 2 + 3; ++y)
    for (int x = page.width() / 2 - 8; x <= page.width() / 2 + 8; ++x)
      red |= page.pixelColor(x, y).red() > 180 && page.pixelColor(x, y).green() < 80;
  EXPECT_TRUE(red);

  // The layer keeps the map's settings (and its other defaults) through both file formats.
  d.doc.GetLayer(1)->Fill = true;
  for (auto [ext, name] : {std::pair{TORVExt::Json, "map.json"}, std::pair{TORVExt::Eti, "map.eti"}}) {
    d.doc.SaveToFile(TmpPath(QLatin1String(name)), ext);
    TPlanoraFMX back;
    ASSERT_TRUE(back.LoadFromFile(TmpPath(QLatin1String(name))));
    const TPLNLayer* bl = back.GetLayer(1);
    EXPECT_EQ(back.GetBackLayer(), 1);
    EXPECT_EQ(std::tuple(int(bl->MapZoom), bl->MapLatitude, bl->MapLongitude, bool(bl->MapShowCenter), bool(bl->Fill)),
              std::tuple(14, 48.8584, 2.2945, true, true));
    back.Mapping().CopyFromLayer(*bl);
    EXPECT_EQ(back.Mapping().GetZoom(), 14);
  }
}

TEST(MapCompose, CommandLineMapsADrawingOrSaysWhyNot) {
  LocalHttpServer server(Tiles());
  const QString dir = TmpDir(QStringLiteral("cli-map"));
  QDir(dir).removeRecursively();
  QDir().mkpath(dir);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CACHE_HOME"), dir + QStringLiteral("/cache"));
  auto run = [&](const QStringList& args, QString* err = nullptr) {
    const TRun r = RunProgram(QStringLiteral(PLANORA_CLI), args, 60000, env);
    if (err) *err = r.err;
    return r.code;
  };
  const QString out = dir + QStringLiteral("/mapped.json");
  const QStringList base = {"map", Sample("labels-basic.json"), out, "--lat", "51.5007", "--lon", "-0.1246", "--zoom", "13",
                            "--folder", dir, "--tiles", server.Base() + "/{z}/{x}/{y}.png"};
  QString err;
  ASSERT_EQ(run(base + QStringList{"--center", "--scale"}, &err), 0) << err.toStdString();
  TPlanoraFMX doc;
  ASSERT_TRUE(doc.LoadFromFile(out));
  EXPECT_EQ(doc.GetBackLayer(), 1);
  EXPECT_TRUE(QFileInfo(QDir(dir).filePath(doc.GetLayer(1)->BackImageFile)).isFile());
  EXPECT_GT(doc.Measure().DrawScale, 1000);  // a city map at zoom 13 is some 1:50,000

  server.SetHandler([](const HttpRequest&) { return HttpAnswer{404, "text/plain", "", false}; });
  QFile::remove(out);
  QDir(dir + QStringLiteral("/cache")).removeRecursively();
  EXPECT_EQ(run(base, &err), 1);
  EXPECT_TRUE(err.contains("Error on tile 0: Error HTTP 404")) << err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(out));
  EXPECT_EQ(run({"map", Sample("labels-basic.json"), out, "--lat", "1"}, &err), 2);
  EXPECT_EQ(run(base + QStringList{"--provider", "googleroad"}, &err), 2);
  EXPECT_TRUE(err.contains("API key")) << err.toStdString();
}
