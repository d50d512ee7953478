// What opening each small dialog and the editor settings window costs: built, filled from its
// values, laid out and painted once (what the user waits for before seeing it).
#include <benchmark/benchmark.h>

#include <QImage>

#include "ORV.FMX.Back.Margins.h"
#include "ORV.FMX.EdJson.h"
#include "ORV.FMX.Editor.h"
#include "ORV.FMX.Mem.h"
#include "ORV.FMX.SelColor.h"
#include "ORV.FMX.SelFont.h"
#include "ORV.FMX.SelSize.h"
#include "ORV.FMX.Settings.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

void Paint(QWidget& w) {
  w.adjustSize();
  QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
  w.render(&img);
  benchmark::DoNotOptimize(img.bits());
}

void BM_OpenSelColor(benchmark::State& st) {
  for (auto _ : st) {
    TfSelColor f;
    f.Ini(QStringLiteral("Colour"), 0xFF336699u);
    Paint(f);
  }
}
BENCHMARK(BM_OpenSelColor)->Unit(benchmark::kMillisecond);

void BM_OpenSelFont(benchmark::State& st) {
  QStringList fonts;
  for (int i = 0; i < 400; ++i) fonts << QStringLiteral("Font family %1").arg(i);
  for (auto _ : st) {
    TfSelFont f;
    f.LoadFonts(fonts);
    Paint(f);
  }
}
BENCHMARK(BM_OpenSelFont)->Unit(benchmark::kMillisecond);

void BM_OpenSelSize(benchmark::State& st) {
  for (auto _ : st) {
    TfSelSize f;
    f.LoadSizes();
    Paint(f);
  }
}
BENCHMARK(BM_OpenSelSize)->Unit(benchmark::kMillisecond);

void BM_OpenJson(benchmark::State& st) {
  // About 60 KB of data.
  QString json = QStringLiteral("{");
  for (int i = 0; i < 2000; ++i) json += QStringLiteral("\"key%1\":[%1,\"value %1\"],").arg(i);
  json += QStringLiteral("\"end\":true}");
  for (auto _ : st) {
    TfJsonData f;
    f.IniDialog(json);
    Paint(f);
  }
}
BENCHMARK(BM_OpenJson)->Unit(benchmark::kMillisecond);

void BM_OpenMem(benchmark::State& st) {
  const QString text = QStringLiteral("A line of text to edit.\n").repeated(500);
  for (auto _ : st) {
    TfMem f;
    f.Ini(text, false);
    Paint(f);
  }
}
BENCHMARK(BM_OpenMem)->Unit(benchmark::kMillisecond);

void BM_OpenBackMargins(benchmark::State& st) {
  TPlanoraFMX doc;
  for (auto _ : st) {
    TfBackMargins f;
    f.Ini(&doc, 1);
    Paint(f);
  }
}
BENCHMARK(BM_OpenBackMargins)->Unit(benchmark::kMillisecond);

void BM_OpenSettings(benchmark::State& st) {
  TPlanoraFMX doc;
  TPLNEditor ed;
  ed.resize(800, 600);
  ed.SetLabel(&doc);
  for (auto _ : st) {
    TfSettings f;
    f.Ini(&doc, &ed);
    Paint(f);
  }
  ed.SetLabel(nullptr);
}
BENCHMARK(BM_OpenSettings)->Unit(benchmark::kMillisecond);

}  // namespace
