// The map window driven through its widgets against tiles and geocoding served on 127.0.0.1:
// what it shows of the document's map settings, when OK is offered, the refusals, Cancel during
// a slow answer, and its two callers (the layers window's map button and the picture insertion).
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>

#include "DialogTestServices.h"
#include "LocalHttpServer.h"
#include "PlanoraTestSupport.h"
#include "ORV.FMX.Layers.h"
#include "ORV.FMX.SelMap.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

QByteArray TilePng() {
  static const QByteArray png = [] {
    QImage img(256, 256, QImage::Format_RGB32);
    img.fill(QColor(20, 160, 40));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
  }();
  return png;
}

// Tiles under /t/z/x/y.png, Nominatim under /search and Google under /geocode: "Barcelona"
// is found, anything else is not. `tileStatus` answers every tile (0 never answers).
struct Server {
  std::atomic<int> tileStatus{200};
  std::atomic<bool> silentSearch{false};
  LocalHttpServer http{[this](const HttpRequest& r) {
    const QString path = r.Url.path();
    const QString query = r.Url.query(QUrl::FullyDecoded);
    HttpAnswer a;
    if (path.startsWith(QLatin1String("/t/"))) {
      if (tileStatus == 0) a.Silent = true;
      a.Status = tileStatus == 0 ? 200 : tileStatus.load();
      if (a.Status == 200) a.Body = TilePng();
      else a.ContentType = "text/plain";
      return a;
    }
    a.ContentType = "application/json";
    if (silentSearch) a.Silent = true;
    const bool known = query.contains(QLatin1String("Barcelona"));
    if (path == QLatin1String("/search"))
      a.Body = known ? R"([{"lat":"41.3851","lon":"2.1734"}])" : "[]";
    else
      a.Body = known ? R"({"results":[{"geometry":{"location":{"lat":-33.868820,"lng":151.209296}}}]})"
                     : R"({"results":[],"status":"ZERO_RESULTS"})";
    return a;
  }};
};

struct Fixture {
  Server server;
  TPlanoraFMX doc;
  std::shared_ptr<TScriptedServices> services = std::make_shared<TScriptedServices>();
  std::unique_ptr<TfSelMap> win;

  explicit Fixture(const char* tag) {
    doc.ImageFolder = TmpDir(QStringLiteral("selmap-") + QLatin1String(tag));
    QDir(doc.ImageFolder).removeRecursively();
    QDir().mkpath(doc.ImageFolder);
    TPLNMapping& m = doc.Mapping();
    m.SetCacheFolder({});
    for (int p : {TPLNMapping::OpenStreetMap, TPLNMapping::CartoDB, TPLNMapping::GoogleRoad})
      m.SetUrlTemplate(p, server.http.Base() + QStringLiteral("/t/{z}/{x}/{y}.png"));
    m.NominatimUrl = server.http.Base() + QStringLiteral("/search");
    m.GoogleGeocodeUrl = server.http.Base() + QStringLiteral("/geocode");
    m.TimeoutMs = 5000;
    win = std::make_unique<TfSelMap>(nullptr, services);
  }
  template <class T>
  T* W(const char* name) {
    return Child<T>(*win, name);
  }
  bool OkEnabled() { return W<QPushButton>("butOK")->isEnabled(); }
  void Type(const char* edit, const QString& text) {
    W<QLineEdit>(edit)->setText(text);
    emit W<QLineEdit>(edit)->textEdited(text);
  }
};

TEST(MapDialog, ShowsTheDocumentsMapSettingsAndOffersOnlyItsProviders) {
  Fixture f("fill");
  TPLNMapping& m = f.doc.Mapping();
  m.SetZoom(12);
  ASSERT_TRUE(m.LoadMap(QStringLiteral("41.3851"), QStringLiteral("-2.1734"), 10, 10));
  m.SetShowCenter(true);
  m.SetProviders(1u << TPLNMapping::OpenStreetMap | 1u << TPLNMapping::CartoDB | 1u << TPLNMapping::CartoVoyager);
  m.SetProvider(TPLNMapping::CartoDB);
  f.win->Ini(&f.doc, false, 300, 200);

  auto* providers = f.W<QComboBox>("cbMapProvider");
  ASSERT_EQ(providers->count(), 3);
  EXPECT_EQ(providers->itemText(2), "Carto - Voyager");
  EXPECT_EQ(providers->itemData(2).toInt(), TPLNMapping::CartoVoyager);
  EXPECT_EQ(providers->currentData().toInt(), TPLNMapping::CartoDB);
  auto* zoom = f.W<QComboBox>("cbZoom");
  ASSERT_EQ(zoom->count(), 21);
  EXPECT_EQ(zoom->currentIndex(), 12);
  EXPECT_EQ(zoom->itemText(20), TPLNMsg::GetDialogsValue("Level") + " 20");
  EXPECT_EQ(f.W<QLineEdit>("edLatitude")->text(), "41,38510000");
  EXPECT_EQ(f.W<QLineEdit>("edLongitude")->text(), "-2,17340000");
  EXPECT_TRUE(f.W<QCheckBox>("ckShowCenter")->isChecked());
  EXPECT_FALSE(f.W<QCheckBox>("ckAsignScale")->isVisibleTo(f.win.get()));
  EXPECT_FALSE(f.OkEnabled());
  EXPECT_EQ(f.win->MapWidth(), 300);
  EXPECT_EQ(f.win->MapHeight(), 200);
  // Without a key Google cannot answer a search: the window starts on Nominatim.
  EXPECT_TRUE(f.W<QRadioButton>("rb1")->isChecked());

  // A current provider the set leaves out is not shown as chosen; no size takes the selection's.
  m.SetProvider(TPLNMapping::Esri);
  m.SetApiKey(QStringLiteral("k"));
  TPLNBaseItem* box = TPLNFactory::AddBaseRectangle(&f.doc, 0, 0, 50800, 25400);
  f.doc.Select(box);
  f.win->Ini(&f.doc, true, 0, 0);
  EXPECT_EQ(providers->currentData().toInt(), TPLNMapping::OpenStreetMap);
  EXPECT_EQ(providers->findData(TPLNMapping::Esri), -1);
  EXPECT_EQ(f.win->MapWidth(), 192);
  EXPECT_EQ(f.win->MapHeight(), 96);
  EXPECT_TRUE(f.W<QCheckBox>("ckAsignScale")->isVisibleTo(f.win.get()));
  EXPECT_TRUE(f.W<QRadioButton>("rb2")->isChecked());
}

TEST(MapDialog, OkWaitsForEachMapAndTheMapIsTheChosenOne) {
  Fixture f("ok");
  int before = 0;
  f.doc.OnComposeImage = [&](TPlanoraFMX&) { ++before; };
  f.win->Ini(&f.doc, false, 300, 200);
  auto* providers = f.W<QComboBox>("cbMapProvider");
  providers->setCurrentIndex(providers->findData(TPLNMapping::CartoDB));
  f.W<QComboBox>("cbZoom")->setCurrentIndex(3);
  f.W<QCheckBox>("ckShowCenter")->setChecked(true);
  f.Type("edLatitude", QStringLiteral("41,3851"));
  f.Type("edLongitude", QStringLiteral("2,1734"));

  f.W<QPushButton>("butGetMap")->click();
  EXPECT_TRUE(f.win->Busy());
  EXPECT_FALSE(f.OkEnabled());
  EXPECT_TRUE(f.W<QProgressBar>("pbBusy")->isVisibleTo(f.win.get()));
  ASSERT_TRUE(f.doc.WaitForCompose());
  EXPECT_TRUE(f.OkEnabled());
  EXPECT_FALSE(f.win->Busy());
  EXPECT_EQ(before, 0);  // the window took the event while open
  const QImage map(f.doc.Mapping().GetFileName());
  ASSERT_FALSE(map.isNull());
  EXPECT_EQ(map.size(), QSize(300, 200));
  EXPECT_EQ(map.pixelColor(150, 100), QColor(255, 0, 0));  // the centre mark
  EXPECT_EQ(map.pixelColor(20, 20), QColor(20, 160, 40));
  EXPECT_EQ(f.doc.Mapping().GetProvider(), TPLNMapping::CartoDB);
  EXPECT_EQ(f.doc.Mapping().GetZoom(), 3);
  EXPECT_NEAR(f.doc.Mapping().GetLatitude(), 41.3851, 1e-9);

  // A new request takes OK away until its map is there; so does changing the choice.
  f.W<QPushButton>("butGetMap")->click();
  EXPECT_FALSE(f.OkEnabled());
  ASSERT_TRUE(f.doc.WaitForCompose());
  EXPECT_TRUE(f.OkEnabled());
  f.W<QComboBox>("cbZoom")->setCurrentIndex(4);
  EXPECT_FALSE(f.OkEnabled());
  f.W<QPushButton>("butGetMap")->click();
  ASSERT_TRUE(f.doc.WaitForCompose());
  f.W<QPushButton>("butOK")->click();
  EXPECT_EQ(f.win->result(), QDialog::Accepted);
  EXPECT_EQ(f.doc.Mapping().GetZoom(), 4);
  // Closed, the window gives the document's own handler back.
  f.doc.ComposeImage(QStringLiteral("1"), QStringLiteral("1"), 2, 20, 20);
  ASSERT_TRUE(f.doc.WaitForCompose());
  EXPECT_EQ(before, 1);
  EXPECT_TRUE(f.services->errors.isEmpty()) << f.services->errors.join('\n').toStdString();
}

TEST(MapDialog, BadCoordinatesMissingKeysAndFailedMapsSayWhyAndKeepOkOff) {
  Fixture f("bad");
  f.win->Ini(&f.doc, false, 300, 200);
  const int requests = f.server.http.Requests();
  const auto getMap = [&](const QString& lat, const QString& lon) {
    f.services->errors.clear();
    f.Type("edLatitude", lat);
    f.Type("edLongitude", lon);
    f.W<QPushButton>("butGetMap")->click();
    EXPECT_FALSE(f.win->Busy());
    EXPECT_FALSE(f.OkEnabled());
    return f.services->errors.value(0);
  };
  const QString lat = TPLNMsg::GetPropValue("Latitude"), lon = TPLNMsg::GetPropValue("Longitude");
  EXPECT_EQ(getMap("north", "2"), TPLNMsg::GetErrorValue("MapNotNumber").arg(lat));
  EXPECT_EQ(getMap("", "2"), TPLNMsg::GetErrorValue("MapNotNumber").arg(lat));
  EXPECT_EQ(getMap("91", "2"), TPLNMsg::GetErrorValue("ValueRange").arg(lat, "-85,0511", "85,0511"));
  EXPECT_EQ(getMap("41,3", "180,5"), TPLNMsg::GetErrorValue("ValueRange").arg(lon, "-180,0000", "180,0000"));
  EXPECT_EQ(getMap("41,3", "2.1.3"), TPLNMsg::GetErrorValue("MapNotNumber").arg(lon));
  auto* providers = f.W<QComboBox>("cbMapProvider");
  providers->setCurrentIndex(providers->findData(TPLNMapping::GoogleRoad));
  EXPECT_EQ(getMap("41,3", "2,1"), TPLNMsg::GetErrorValue("MapKeyNeeded").arg("Google Maps - Road"));
  EXPECT_EQ(f.server.http.Requests(), requests);  // nothing went to the network
  EXPECT_TRUE(f.doc.Mapping().GetFileName().isEmpty());

  // A tile the server refuses: the reason is shown, no map, OK stays off, the window can retry.
  providers->setCurrentIndex(providers->findData(TPLNMapping::OpenStreetMap));
  f.server.tileStatus = 404;
  f.services->errors.clear();
  f.W<QPushButton>("butGetMap")->click();
  EXPECT_FALSE(f.doc.WaitForCompose());
  ASSERT_EQ(f.services->errors.size(), 1);
  EXPECT_TRUE(f.services->errors[0].startsWith(TPLNMsg::GetErrorValue("MapFailed").arg("Error on tile ")))
      << f.services->errors[0].toStdString();
  EXPECT_TRUE(f.services->errors[0].contains("404"));
  EXPECT_FALSE(f.OkEnabled());
  EXPECT_FALSE(f.win->Busy());
  EXPECT_TRUE(f.W<QPushButton>("butGetMap")->isEnabled());
  EXPECT_TRUE(QDir(f.doc.ImageFolder).entryList({"*.png"}, QDir::Files).isEmpty());
  f.server.tileStatus = 200;
  f.W<QPushButton>("butGetMap")->click();
  EXPECT_TRUE(f.doc.WaitForCompose());
  EXPECT_TRUE(f.OkEnabled());
}

TEST(MapDialog, SearchFillsTheCentreOrSaysNothingWasFound) {
  Fixture f("search");
  f.win->Ini(&f.doc, false, 300, 200);
  auto* place = f.W<QLineEdit>("edLocation");
  auto* search = f.W<QPushButton>("butSearch");
  const int requests = f.server.http.Requests();
  search->click();  // nothing to look for
  EXPECT_EQ(f.server.http.Requests(), requests);

  place->setText(QStringLiteral("Barcelona"));
  f.W<QRadioButton>("rb1")->setChecked(true);
  search->click();
  EXPECT_EQ(f.W<QLineEdit>("edLatitude")->text(), "41,385100");
  EXPECT_EQ(f.W<QLineEdit>("edLongitude")->text(), "2,173400");
  f.doc.Mapping().SetApiKey(QStringLiteral("key"));
  f.W<QRadioButton>("rb2")->setChecked(true);
  search->click();
  EXPECT_EQ(f.W<QLineEdit>("edLatitude")->text(), "-33,868820");
  EXPECT_EQ(f.W<QLineEdit>("edLongitude")->text(), "151,209296");
  EXPECT_TRUE(f.server.http.Last().Url.query(QUrl::FullyDecoded).contains("key=key"));
  EXPECT_TRUE(f.services->errors.isEmpty());

  // Not found, on either service or with no server at all: the message, the centre kept.
  place->setText(QStringLiteral("Atlantis"));
  search->click();
  f.W<QRadioButton>("rb1")->setChecked(true);
  search->click();
  f.doc.Mapping().NominatimUrl = QStringLiteral("http://127.0.0.1:9/search");
  place->setText(QStringLiteral("Barcelona"));
  search->click();
  EXPECT_EQ(f.services->errors, QStringList(3, TPLNMsg::GetErrorValue("LocNotFound")));
  EXPECT_EQ(f.W<QLineEdit>("edLatitude")->text(), "-33,868820");
  EXPECT_FALSE(f.win->Busy());
  EXPECT_TRUE(search->isEnabled());
}

TEST(MapDialog, CancelEndsASlowMapOrSearchAndPutsTheSettingsBack) {
  Fixture f("cancel");
  f.server.tileStatus = 0;  // the tile server never answers
  f.doc.Mapping().SetProvider(TPLNMapping::CartoDB);
  int ready = 0;
  f.doc.OnComposeImage = [&](TPlanoraFMX&) { ++ready; };
  f.win->Ini(&f.doc, false, 300, 200);
  auto* providers = f.W<QComboBox>("cbMapProvider");
  providers->setCurrentIndex(providers->findData(TPLNMapping::OpenStreetMap));
  f.W<QPushButton>("butGetMap")->click();
  EXPECT_TRUE(f.win->Busy());
  EXPECT_TRUE(f.doc.IsComposing());
  f.W<QPushButton>("butCancel")->click();
  EXPECT_EQ(f.win->result(), QDialog::Rejected);
  EXPECT_FALSE(f.doc.IsComposing());
  EXPECT_FALSE(f.win->Busy());
  EXPECT_EQ(f.doc.Mapping().GetProvider(), TPLNMapping::CartoDB);
  EXPECT_TRUE(f.services->errors.isEmpty());
  // The document's handler is back and hears its own maps again.
  f.server.tileStatus = 200;
  f.doc.ComposeImage(QStringLiteral("1"), QStringLiteral("1"), 2, 20, 20);
  ASSERT_TRUE(f.doc.WaitForCompose());
  EXPECT_EQ(ready, 1);

  // A search that gets no answer: Cancel ends it long before the request's timeout.
  f.server.silentSearch = true;
  f.doc.Mapping().TimeoutMs = 20000;
  f.win->Ini(&f.doc, false, 300, 200);
  f.W<QLineEdit>("edLocation")->setText(QStringLiteral("Barcelona"));
  f.W<QRadioButton>("rb1")->setChecked(true);
  bool busyMeanwhile = false;
  QTimer::singleShot(200, [&] {
    busyMeanwhile = f.win->Busy() && !f.W<QPushButton>("butSearch")->isEnabled();
    f.win->reject();
  });
  QElapsedTimer clock;
  clock.start();
  f.W<QPushButton>("butSearch")->click();
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_TRUE(busyMeanwhile);
  EXPECT_FALSE(f.win->Busy());
  EXPECT_TRUE(f.services->errors.isEmpty());  // a cancelled search is no failed one
  EXPECT_EQ(f.win->result(), QDialog::Rejected);
}

// The map window opened from another window runs modally: it is answered from inside its loop.
void AnswerMap(Fixture& f, bool ok, bool scale, int* zoomShown = nullptr) {
  QTimer::singleShot(0, [&f, ok, scale, zoomShown] {
    auto* w = dynamic_cast<TfSelMap*>(QApplication::activeModalWidget());
    ASSERT_NE(w, nullptr);
    if (zoomShown) *zoomShown = w->findChild<QComboBox*>("cbZoom")->currentIndex();
    w->findChild<QCheckBox*>("ckAsignScale")->setChecked(scale);
    w->findChild<QPushButton*>("butGetMap")->click();
    EXPECT_TRUE(f.doc.WaitForCompose());
    w->findChild<QPushButton*>(ok ? "butOK" : "butCancel")->click();
  });
}

TEST(MapDialog, LayersMapButtonShowsTheMapOnTheLayerAsOneUndoStep) {
  Fixture f("layers");
  f.doc.AddLayer(QStringLiteral("Map"));
  TPLNMeasure measure = f.doc.Measure();
  measure.Sizes[TPLNMeasure::LabelWidth] = 100000;
  measure.Sizes[TPLNMeasure::LabelHeight] = 50000;
  f.doc.SetMeasure(measure);
  TPLNLayer* layer = f.doc.GetLayer(2);
  // A layer read from a file with an earlier map, whose zoom is none the window offers.
  layer->Options = Opt::Visible | Opt::MapBackground;
  layer->MapProvider = TPLNMapping::CartoDB;
  layer->MapZoom = 25;
  layer->MapLatitude = 41.5;
  layer->MapLongitude = 2.25;
  f.doc.ClearUndo();
  const TPLNLayer saved = *layer;
  const std::int64_t scale = f.doc.Measure().DrawScale;

  TfLayers layers(nullptr, f.services);
  layers.Ini(&f.doc);
  layers.SelectLayer(2);
  auto* button = layers.findChild<QPushButton*>("butBackMap");
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(button->isEnabled());

  int zoomShown = -1;
  AnswerMap(f, false, true, &zoomShown);
  button->click();
  EXPECT_EQ(zoomShown, 15);
  EXPECT_EQ(layer->Options, saved.Options);
  EXPECT_EQ(layer->BackImageFile, saved.BackImageFile);
  EXPECT_EQ(f.doc.Mapping().GetProvider(), TPLNMapping::OpenStreetMap);  // as before the button
  EXPECT_EQ(f.doc.Measure().DrawScale, scale);
  EXPECT_EQ(f.doc.GetBackLayer(), 0);
  EXPECT_EQ(f.doc.UndoCount(), 0);

  AnswerMap(f, true, true);
  button->click();
  EXPECT_TRUE(layer->HasOption(Opt::MapBackground));
  EXPECT_FALSE(layer->BackImageFile.isEmpty());
  EXPECT_TRUE(QFileInfo(QDir(f.doc.ImageFolder).filePath(layer->BackImageFile)).isFile());
  EXPECT_EQ(layer->MapProvider, TPLNMapping::CartoDB);
  EXPECT_EQ(layer->MapZoom, 15);
  EXPECT_DOUBLE_EQ(layer->MapLatitude, 41.5);
  EXPECT_EQ(f.doc.GetBackLayer(), 2);
  // The map is 378 x 189 pixels for the 100 x 50 mm label.
  EXPECT_EQ(QImage(f.doc.Mapping().GetFileName()).size(), QSize(378, 189));
  EXPECT_EQ(f.doc.Measure().DrawScale, f.doc.Mapping().ScaleDenominator());
  EXPECT_GT(f.doc.Measure().DrawScale, 1000);
  EXPECT_EQ(f.doc.UndoCount(), 1);
  f.doc.Undo();
  EXPECT_EQ(layer->Options, saved.Options);
  EXPECT_TRUE(layer->BackImageFile.isEmpty());
  EXPECT_EQ(f.doc.Measure().DrawScale, scale);
  EXPECT_EQ(f.doc.GetBackLayer(), 0);
  EXPECT_TRUE(f.services->errors.isEmpty()) << f.services->errors.join('\n').toStdString();
}

TEST(MapDialog, InsertingAMapPictureMakesAnImageItemOnlyOnOk) {
  Fixture f("insert");
  AnswerMap(f, false, false);
  EXPECT_EQ(f.doc.AddBaseMapImage(1000, 2000, 50800, 25400), nullptr);
  EXPECT_EQ(f.doc.GetItemsCount(), 0);
  AnswerMap(f, true, false);
  TPLNBaseItem* item = f.doc.AddBaseMapImage(1000, 2000, 50800, 25400);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->KindCode(), Kind::Image);
  EXPECT_EQ(f.doc.GetItemsCount(), 1);
  EXPECT_EQ(QImage(f.doc.Mapping().GetFileName()).size(), QSize(192, 96));
  EXPECT_EQ(f.doc.UndoCount(), 1);
}

TEST(MapDialog, DrawnWindowShowsItsControlsInsideIt) {
  Fixture f("shot");
  f.win->Ini(&f.doc, true, 300, 200);
  f.win->show();
  QApplication::processEvents();
  QImage shot(f.win->size(), QImage::Format_ARGB32);
  shot.fill(Qt::black);
  f.win->render(&shot);
  for (const char* name : {"cbMapProvider", "cbZoom", "edLatitude", "edLongitude", "butGetMap", "ckShowCenter",
                           "edLocation", "butSearch", "RGLoc", "rb1", "rb2", "ckAsignScale", "butOK", "butCancel"}) {
    auto* w = f.win->findChild<QWidget*>(QLatin1String(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_TRUE(w->isVisible()) << name;
    EXPECT_TRUE(QRect(QPoint(), f.win->size()).contains(QRect(w->mapTo(f.win.get(), QPoint()), w->size()))) << name;
  }
  // The window is painted (no black left from the fill) where its search box is.
  auto* place = f.W<QLineEdit>("edLocation");
  const QColor c = shot.pixelColor(place->mapTo(f.win.get(), place->rect().center()));
  EXPECT_GT(c.lightness(), 100);
  EXPECT_LE(f.win->width(), 480);
  shot.save(TmpPath("map-dialog.png"));
}

}  // namespace
