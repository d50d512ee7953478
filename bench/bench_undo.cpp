// The undo history on large drawings: undoing a move of 1,000 items, what recording one added
// item costs in a 10,000-item drawing (against the same add with the history off), and the
// memory the history's shadow of the drawing takes per item.
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchDrawing.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraBench;

namespace {

constexpr int kItems = 10000;
constexpr int kMoved = 1000;

std::unique_ptr<TPlanoraFMX> Drawing(int items) {
  auto d = std::make_unique<TPlanoraFMX>();
  FillShapeMix(*d, items);
  return d;
}

// 1,000 of 10,000 items moved as one step (as a drag of a selection would), then undone.
void BM_UndoMoveOf1000Items(benchmark::State& st) {
  auto doc = Drawing(kItems);
  for (auto _ : st) {
    st.PauseTiming();
    doc->BeginUndoGroup();
    for (int i = 1; i <= kMoved; ++i) doc->GetItem(i)->Move(100, 50);
    doc->EndUndoGroup();
    st.ResumeTiming();
    doc->Undo();
  }
  st.counters["moved"] = kMoved;
}
BENCHMARK(BM_UndoMoveOf1000Items)->Unit(benchmark::kMillisecond);

// The same step recorded: the moves and the commit at the end of the group.
void BM_MoveOf1000ItemsRecorded(benchmark::State& st) {
  auto doc = Drawing(kItems);
  doc->SetUndoLimit(st.range(0));
  std::int64_t dx = 100;
  for (auto _ : st) {
    doc->BeginUndoGroup();
    for (int i = 1; i <= kMoved; ++i) doc->GetItem(i)->Move(dx, 0);
    doc->EndUndoGroup();
    dx = -dx;
  }
}
BENCHMARK(BM_MoveOf1000ItemsRecorded)->Arg(0)->Arg(100)->Unit(benchmark::kMillisecond);

// One factory add in a 10,000-item drawing, history on (100) and off (0).
void BM_AddOneIn10kItems(benchmark::State& st) {
  auto doc = Drawing(kItems);
  doc->SetUndoLimit(static_cast<int>(st.range(0)));
  int i = 0;
  for (auto _ : st) {
    TPLNFactory::AddBaseRectangle(doc.get(), (i * 37) % 200000, (i * 53) % 280000, 3000, 2000);
    ++i;
  }
}
BENCHMARK(BM_AddOneIn10kItems)->Arg(0)->Arg(100)->Unit(benchmark::kMicrosecond);

// Heap the shadow takes: the drawing with the history off, then on (the start taken at once).
void BM_ShadowMemoryPerItem(benchmark::State& st) {
  for (auto _ : st) {
    auto doc = Drawing(kItems);
    doc->SetUndoLimit(0);
    malloc_trim(0);
    const double off = HeapBytes();
    doc->SetUndoLimit(100);
    const double on = HeapBytes();
    st.counters["bytes_per_item"] = (on - off) / kItems;
  }
}
BENCHMARK(BM_ShadowMemoryPerItem)->Iterations(1)->Unit(benchmark::kMillisecond);

// Taking the start of a loaded 10,000-item drawing (once, at its first edit).
void BM_ShadowBuild10kItems(benchmark::State& st) {
  auto doc = Drawing(kItems);
  for (auto _ : st) {
    doc->SetUndoLimit(0);
    doc->SetUndoLimit(100);
  }
}
BENCHMARK(BM_ShadowBuild10kItems)->Unit(benchmark::kMillisecond);

}  // namespace
