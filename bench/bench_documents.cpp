// Loading, saving and exporting large drawings of basic shapes.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <malloc.h>

#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

constexpr int kItems = 100000;

// A mix of the basic kinds spread over an A4 page.
void Fill(TPlanoraFMX& doc, int n) {
  doc.BeginUpdate();
  for (int i = 0; i < n; ++i) {
    const std::int64_t x = (std::int64_t(i) * 7919) % 200000, y = (std::int64_t(i) * 104729) % 280000;
    switch (i % 5) {
      case 0: TPLNFactory::AddBaseRectangle(&doc, x, y, 3000, 2000); break;
      case 1: TPLNFactory::AddBaseLine(&doc, x, y, x + 4000, y + 1000); break;
      case 2: TPLNFactory::AddBaseCircle(&doc, x, y, 1500); break;
      case 3: TPLNFactory::AddBaseEllipse(&doc, x, y, 2000, 1000); break;
      case 4: TPLNFactory::AddBasePolygon(&doc, {x, y, x + 2000, y, x + 1000, y + 2000}); break;
    }
  }
  doc.EndUpdate();
}

struct Files {
  QTemporaryDir dir;
  QString eti, json;
  Files() {
    TPlanoraFMX doc;
    Fill(doc, kItems);
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

// Heap in use, counted by the allocator (RSS would hide memory reused from earlier runs).
double HeapBytes() { return static_cast<double>(mallinfo2().uordblks); }

void BM_MemoryPerItem(benchmark::State& st) {
  for (auto _ : st) {
    const double before = HeapBytes();
    auto doc = std::make_unique<TPlanoraFMX>();
    Fill(*doc, kItems);
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
