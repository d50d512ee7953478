// The index of item bounds on a 100,000-item drawing: what a repaint asks, what a build costs.
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchDrawing.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraBench;

namespace {

constexpr int kItems = 100000;



TPlanoraFMX& Drawing() { return SharedShapeMix(kItems); }

// The top-left 20 x 15 mm of the page: a window zoomed in about ten times.
const TORVBounds kCorner{0, 0, 20000, 15000};
const TORVBounds kPage{-5000, -5000, 215000, 295000};

void Query(benchmark::State& st, const TORVBounds& area) {
  TPlanoraFMX& doc = Drawing();
  std::vector<int> out;
  doc.ItemsIn(area, out);  // builds the index
  for (auto _ : st) {
    doc.ItemsIn(area, out);
    benchmark::DoNotOptimize(out.data());
  }
  st.counters["items"] = double(out.size());
}

void BM_ItemsInCorner(benchmark::State& st) { Query(st, kCorner); }
void BM_ItemsInAll(benchmark::State& st) { Query(st, kPage); }

// Dragging an item about: the corner asked again after every move.
void BM_ItemsInCornerWhileMoving(benchmark::State& st) {
  TPlanoraFMX& doc = Drawing();
  std::vector<int> out;
  doc.ItemsIn(kCorner, out);
  TPLNBaseItem* item = doc.GetItem(kItems / 2);
  std::int64_t dx = 10;
  for (auto _ : st) {
    item->Move(dx, 0);
    dx = -dx;
    doc.ItemsIn(kCorner, out);
    benchmark::DoNotOptimize(out.data());
  }
}

// The first query after a load builds the index; its heap is counted per item.
void BM_IndexBuild(benchmark::State& st) {
  TPlanoraFMX a, b;
  a.TakeOver(Drawing());
  std::vector<int> out;
  double bytes = 0;
  bool toB = true;
  for (auto _ : st) {
    st.PauseTiming();
    TPlanoraFMX& to = toB ? b : a;
    to.TakeOver(toB ? a : b);  // a new item list: the index starts empty
    toB = !toB;
    out.clear();
    out.shrink_to_fit();
    const double before = HeapBytes();
    st.ResumeTiming();
    to.ItemsIn(kCorner, out);
    st.PauseTiming();
    bytes = HeapBytes() - before - double(out.capacity() * sizeof(int));
    st.ResumeTiming();
  }
  st.counters["index_bytes_per_item"] = bytes / kItems;
  Drawing().TakeOver(toB ? a : b);
}

}  // namespace

BENCHMARK(BM_ItemsInCorner)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ItemsInAll)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ItemsInCornerWhileMoving)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IndexBuild)->Unit(benchmark::kMillisecond);
