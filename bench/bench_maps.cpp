// Composing a map background from tiles already in the tile cache.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// A 1024 x 768 map at zoom 15 (20 tiles), every tile a real PNG in the cache; the tile server
// is unreachable, so a tile missing from the cache would fail the run.
void BM_ComposeFromCache(benchmark::State& st) {
  QTemporaryDir dir;
  TPlanoraFMX doc;
  doc.ImageFolder = dir.path();
  TPLNMapping& m = doc.Mapping();
  m.SetCacheFolder(dir.filePath(QStringLiteral("cache")));
  m.SetUrlTemplate(TPLNMapping::OpenStreetMap, QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png"));
  m.SetZoom(15);
  if (!m.LoadMap(QStringLiteral("41.3851"), QStringLiteral("2.1734"), 1024, 768)) {
    st.SkipWithError("map request refused");
    return;
  }
  for (int i = 0; i < m.GetNumTiles(); ++i) {
    // Tiles with some content, so PNG decoding does real work.
    QImage img(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) img.setPixel(x, y, qRgb((x * 7 + i) & 255, (y * 3) & 255, ((x ^ y) + i) & 255));
    const QString path = m.CachedTilePath(m.GetTile(i));
    QDir().mkpath(QFileInfo(path).absolutePath());
    img.save(path, "PNG");
  }
  for (auto _ : st) {
    doc.ComposeImage(QStringLiteral("41.3851"), QStringLiteral("2.1734"), 15, 1024, 768);
    QString error;
    if (!doc.WaitForCompose(&error)) {
      st.SkipWithError(qPrintable(error));
      return;
    }
  }
  st.counters["tiles"] = m.GetNumTiles();
}
BENCHMARK(BM_ComposeFromCache)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
