// Rich-text markup: reading a megabyte, and the edits made at every keystroke on a long text.
#include <benchmark/benchmark.h>

#include "ORV.RichText.h"

using namespace Orv::RichText;

namespace {

QString Markup(int words) {
  QString s;
  for (int i = 0; i < words; ++i) {
    if (i % 7 == 0)
      s += QStringLiteral("<B>bold</B> ");
    else if (i % 11 == 0)
      s += QStringLiteral("<FS:12><FC:FF0000>red &amp; big</FC></FS> ");
    else
      s += QStringLiteral("word ");
    if (i % 200 == 199) s += QStringLiteral("<BR><C>centred</C><BR>");
  }
  return s;
}

void BM_ParseMegabyte(benchmark::State& st) {
  QString m = Markup(10000);
  while (m.size() < (1 << 20)) m += m;
  for (auto _ : st) benchmark::DoNotOptimize(Parse(m, {}, TRichAlign::Left));
  st.SetBytesProcessed(st.iterations() * m.size() * 2);
}
BENCHMARK(BM_ParseMegabyte)->Unit(benchmark::kMillisecond);

void BM_TypeLetter(benchmark::State& st) {
  const QString m = Markup(10000);
  for (auto _ : st) benchmark::DoNotOptimize(Parse(InsertText(m, 30000, QStringLiteral("x")), {}, TRichAlign::Left));
}
BENCHMARK(BM_TypeLetter)->Unit(benchmark::kMillisecond);

void BM_ToggleBold(benchmark::State& st) {
  const QString m = Markup(10000);
  for (auto _ : st) benchmark::DoNotOptimize(ToggleFormat(m, 1000, 40000, QStringLiteral("<B>"), QStringLiteral("</B>")));
}
BENCHMARK(BM_ToggleBold)->Unit(benchmark::kMillisecond);

}  // namespace
