// Symbols: a page of 10,000 placed symbols repainted at fit-all, and one frame of 100 symbols
// animated at once (controller update, poses shown, page repainted), from which the share of a
// core that 60 frames a second take follows.
#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

#include "BenchEditor.h"
#include "ORV.FMX.AnimationController.h"
#include "ORV.FMX.h"
#include "ORV.Symbol.h"

using namespace Orv;
using namespace Orv::Fmx;
using PlanoraBench::View;

namespace {

// A valve-like symbol of ten commands: pen, colours, fill, a body, two triangles, a stem, a
// handle, a label and a link point each side.
Symbol::TPLNBaseLibSymbol* DefineValve(TPlanoraFMX& doc) {
  auto s = std::make_unique<Symbol::TPLNLibSymbol>();
  s->Name = QStringLiteral("valve");
  s->LineWidth(0.25);
  s->ForeColor(0xFF202020);
  s->BackColor(0xFF9FC5E8);
  s->Filled(true);
  s->Polygon({-4, -2, 0, 0, -4, 2});
  s->Polygon({4, -2, 0, 0, 4, 2});
  s->Line(0, 0, 0, -3);
  s->Rectangle(-1.5, -4, 1.5, -3);
  s->FontHeight(1.5);
  s->Text(0, 2.5, QStringLiteral("V"), TORVHorzAlign::Center, TORVVertAlign::Top);
  s->LinkPoint(-4, 0);
  s->LinkPoint(4, 0);
  return doc.AddSymbol(std::move(s), true);
}

void BM_Symbols10000FitAll(benchmark::State& st) {
  TPlanoraFMX doc;
  DefineValve(doc);
  doc.BeginUpdate();
  for (int i = 0; i < 10000; ++i) {
    const std::int64_t x = 5000 + (i % 100) * 2000, y = 5000 + (i / 100) * 2800;
    auto* item = static_cast<Symbol::TPLNBaseSymbol*>(TPLNFactory::AddBaseSymbol(&doc, x, y));
    item->SetScale(0.2f);
    item->SetAngleRad((i % 8) * 0.785398);
  }
  doc.EndUpdate();
  View v(&doc);
  v.Redraw();
  for (auto _ : st) v.Redraw();
}
BENCHMARK(BM_Symbols10000FitAll)->Unit(benchmark::kMillisecond);

// Each of 100 symbols runs round its own circle; one iteration is one 60 Hz frame.
void BM_Animate100SymbolsFrame(benchmark::State& st) {
  TPlanoraFMX doc;
  doc.SetEditorMode(kEditorModeInteractive);
  DefineValve(doc);
  TAnimationController controller;
  for (int i = 0; i < 100; ++i) {
    const std::int64_t cx = 20000 + (i % 10) * 18000, cy = 30000 + (i / 10) * 24000;
    const TPLNBaseItem* path = TPLNFactory::AddBaseCircle(&doc, cx, cy, 7000);
    auto* symbol = static_cast<Symbol::TPLNBaseSymbol*>(TPLNFactory::AddBaseSymbol(&doc, cx + 7000, cy));
    const std::int32_t id = controller.AddSymbolOnItem(symbol, path, 2.0 + i * 0.01, 0);
    controller.ConfigureSymbol(id, true, 0, 0, false);
    controller.StartSymbol(id);
  }
  View v(&doc);
  timespec t0{}, t1{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t0);
  for (auto _ : st) {
    controller.Update(1.0 / 60.0);
    {
      TAnimationController::TPoseScope poses(controller, &doc);
      v.Redraw();
    }
  }
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t1);
  const double cpu = double(t1.tv_sec - t0.tv_sec) + double(t1.tv_nsec - t0.tv_nsec) * 1e-9;
  st.counters["active"] = controller.GetActiveSymbolCount();
  // CPU seconds per frame times 60 frames, as a share of one core.
  st.counters["core_pct_at_60fps"] = cpu / double(st.iterations()) * 60.0 * 100.0;
}
BENCHMARK(BM_Animate100SymbolsFrame)->Unit(benchmark::kMillisecond);

}  // namespace
