// Loading, saving and exporting large drawings of basic shapes.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include "BenchDrawing.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraBench;

namespace {

constexpr int kItems = 100000;


struct Files {
  QTemporaryDir dir;
  QString eti, json;
  Files() {
    TPlanoraFMX doc;
    FillShapeMix(doc, kItems);
    eti = dir.filePath("big.eti");
    json = dir.filePath("big.json");
    doc.SaveToFile(eti, TORVExt::Eti);
    doc.SaveToFile(json, TORVExt::Json);
  }
};
Files& Shared() {
  static Files f;
  return f;
}

void BM_LoadEti(benchmark::State& st) {
  for (auto _ : st) {
    TPlanoraFMX doc;
    doc.LoadFromFile(Shared().eti);
    benchmark::DoNotOptimize(doc.GetItemsCount());
  }
}
void BM_LoadJson(benchmark::State& st) {
  for (auto _ : st) {
    TPlanoraFMX doc;
    doc.LoadFromFile(Shared().json);
    benchmark::DoNotOptimize(doc.GetItemsCount());
  }
}
void BM_SaveEti(benchmark::State& st) {
  TPlanoraFMX doc;
  doc.LoadFromFile(Shared().eti);
  const QString out = Shared().dir.filePath("save.eti");
  for (auto _ : st) doc.SaveToFile(out, TORVExt::Eti);
}
void BM_SaveJson(benchmark::State& st) {
  TPlanoraFMX doc;
  doc.LoadFromFile(Shared().eti);
  const QString out = Shared().dir.filePath("save.json");
  for (auto _ : st) doc.SaveToFile(out, TORVExt::Json);
}

// 1920 pixels across an A4 page at 96 dpi is a scale of about 2.32.
void BM_ExportPng1920(benchmark::State& st) {
  TPlanoraFMX doc;
  doc.LoadFromFile(Shared().eti);
  const QString out = Shared().dir.filePath("out.png");
  const float scale = 1920.0f / (210000.0f * 96 / 25400);
  for (auto _ : st) {
    doc.ExportDoc(TORVExport::PNG, out, 1, scale, -1, false, false, false);
    QString err;
    if (!doc.WaitForExport(&err)) st.SkipWithError(qPrintable(err));
  }
  st.counters["width"] = QImage(out).width();
}

void BM_MemoryPerItem(benchmark::State& st) {
  for (auto _ : st) {
    const double before = HeapBytes();
    auto doc = std::make_unique<TPlanoraFMX>();
    FillShapeMix(*doc, kItems);
    st.counters["bytes_per_item"] = (HeapBytes() - before) / kItems;
    TPlanoraFMX loaded;
    const double beforeLoad = HeapBytes();
    loaded.LoadFromFile(Shared().eti);
    st.counters["bytes_per_loaded_item"] = (HeapBytes() - beforeLoad) / kItems;
  }
}

}  // namespace

BENCHMARK(BM_LoadEti)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveEti)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveJson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportPng1920)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryPerItem)->Unit(benchmark::kMillisecond)->Iterations(1);
