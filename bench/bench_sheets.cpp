// The label sheet catalogue: one search as the user types a word into the page set-up's box.
#include <benchmark/benchmark.h>

#include "ORV.SheetCatalog.h"

namespace {

void BM_SearchKeystroke(benchmark::State& st) {
  const Orv::TORVSheetCatalog& c = Orv::TORVSheetCatalog::Builtin();
  const QString typed = QStringLiteral("avery 70 x 37");
  int i = 0;
  for (auto _ : st) {
    // Each keystroke searches what was typed so far.
    i = i % typed.size() + 1;
    benchmark::DoNotOptimize(c.Search(typed.left(i)));
  }
  st.counters["sheets"] = c.Count();
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMicrosecond);

}  // namespace
