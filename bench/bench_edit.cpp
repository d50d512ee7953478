// Interactive editing on a 100,000-item drawing: what a press (hit test), a hover while drawing
// (snapping) and a drag of the selection cost in the document, without the surface's painting.
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchDrawing.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraBench;

namespace {

constexpr int kItems = 100000;
// Four screen pixels at 96 dpi and 100 % zoom.
constexpr std::int64_t kTol = 4 * 25400 / 96;

TPlanoraFMX& Drawing() { return SharedShapeMix(kItems); }

// Points spread over the page, some on items and most between them.
TORVPto Probe(std::int64_t i) { return {(i * 7919 + 1500) % 200000, (i * 104729 + 1000) % 280000}; }

void BM_PickItemAt(benchmark::State& state) {
  TPlanoraFMX& doc = Drawing();
  doc.PickItemAt(0, 0, kTol);  // builds the index
  std::int64_t i = 0, hits = 0;
  for (auto _ : state) {
    const TORVPto p = Probe(i++);
    hits += doc.PickItemAt(p.X, p.Y, kTol) != nullptr;
  }
  state.counters["hit%"] = 100.0 * double(hits) / double(i);
}
BENCHMARK(BM_PickItemAt)->Unit(benchmark::kMicrosecond);

void BM_SearchEndPoint(benchmark::State& state) {
  TPlanoraFMX& doc = Drawing();
  TORVRef ref;
  std::int64_t i = 0, found = 0;
  for (auto _ : state) {
    const TORVPto p = Probe(i++);
    found += doc.SearchPoint(p.X, p.Y, kTol, snEndPoint, ref, false);
  }
  state.counters["found%"] = 100.0 * double(found) / double(i);
}
BENCHMARK(BM_SearchEndPoint)->Unit(benchmark::kMicrosecond);

void BM_SearchCrossPoint(benchmark::State& state) {
  TPlanoraFMX& doc = Drawing();
  TORVRef ref;
  std::int64_t i = 0;
  for (auto _ : state) {
    const TORVPto p = Probe(i++);
    benchmark::DoNotOptimize(doc.SearchPoint(p.X, p.Y, kTol, snCrossPoint, ref, false));
  }
}
BENCHMARK(BM_SearchCrossPoint)->Unit(benchmark::kMicrosecond);

// One mouse move of a drag of 1,000 selected items, back and forth so the drawing stays put.
void BM_DragThousand(benchmark::State& state) {
  TPlanoraFMX& doc = Drawing();
  doc.ClearSelection();
  for (int i = 1; i <= 1000; ++i) doc.Select(doc.GetItem(i * 97));
  const TORVPto start = doc.GetSelection(1)->GetPoint(1);
  doc.Act().SetMove(TORVMoveKind::Selection, 0, start);
  std::int64_t step = 0;
  for (auto _ : state) {
    const std::int64_t d = (step++ % 2) ? 0 : 100;
    doc.MoveEditor(0, 0, start.X + d, start.Y + d, -1, -1);
  }
  doc.UpEditor(start.X, start.Y);
  doc.ClearSelection();
}
BENCHMARK(BM_DragThousand)->Unit(benchmark::kMicrosecond);

}  // namespace
