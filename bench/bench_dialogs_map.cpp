// Opening the map window: built, filled from a document's map settings, laid out and painted
// once, as a user waits for it. No map is fetched.
#include <benchmark/benchmark.h>

#include <QImage>

#include "ORV.FMX.SelMap.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// The first window of the process pays for fonts and styles: what a user waits for at the first click.
void BM_OpenSelMapFirst(benchmark::State& st) {
  TPlanoraFMX doc;
  QImage img(QSize(370, 248), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : st) {
    TfSelMap w;
    w.Ini(&doc, true, 378, 189);
    w.resize(img.size());
    w.render(&img);
  }
}

void BM_OpenSelMap(benchmark::State& st) {
  TPlanoraFMX doc;
  doc.Mapping().SetZoom(12);
  doc.Mapping().LoadMap(QStringLiteral("41.3851"), QStringLiteral("2.1734"), 10, 10);
  doc.Mapping().SetProvider(TPLNMapping::CartoVoyager);
  QImage img(QSize(370, 248), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : st) {
    TfSelMap w;
    w.Ini(&doc, true, 378, 189);
    w.resize(img.size());
    w.render(&img);
  }
}

}  // namespace

BENCHMARK(BM_OpenSelMapFirst)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSelMap)->Unit(benchmark::kMillisecond);
