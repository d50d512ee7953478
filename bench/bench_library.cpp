// A symbol library of 1,000 symbols: opening it in the library view and drawing the first
// screenful with its thumbnails (goal: 300 ms together), then scrolling a page further.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>

#include "ORV.FMX.ViewLibrary.h"
#include "ORV.Symbol.h"

using namespace Orv;
using namespace Orv::Fmx;
using Orv::Symbol::TPLNLibrary;
using Orv::Symbol::TPLNLibSymbol;

namespace {

// Symbols of a dozen commands each: outlines, a filled shape, a curve, text, link points.
QString MakeLibrary(const QTemporaryDir& dir) {
  TPLNLibrary lib;
  for (int i = 0; i < 1000; ++i) {
    TPLNLibSymbol* s = lib.AddSymbol(QStringLiteral("Symbol %1").arg(i + 1), QStringLiteral("Group %1").arg(i % 10),
                                     QString(), TORVUnits::mm, 0, 0);
    s->LineWidth(0.35);
    s->Rectangle(-10, -6, 10, 6, i % 3);
    s->Filled(true);
    s->BackColor(0xFFE0E8F0u);
    s->Circle(0, 0, 3 + i % 4);
    s->Filled(false);
    s->Line(-10, 0, -14, 0);
    s->Line(10, 0, 14, 0);
    s->Bezier({-8, 4, -4, -2, 4, 6, 8, 0}, false);
    s->Polyline({-6, -4, -2, -5, 2, -3, 6, -5});
    s->Arc(-4, 2, 0, 5, 4, 2);
    s->FontHeight(2.5);
    s->Text(0, -9, QStringLiteral("S%1").arg(i));
    s->LinkPoint(-14, 0);
    s->LinkPoint(14, 0);
  }
  const QString path = dir.filePath(QStringLiteral("thousand.lyp"));
  lib.SaveToFile(path);
  return path;
}

void BM_OpenLibraryFirstScreen(benchmark::State& state) {
  QTemporaryDir dir;
  const QString file = MakeLibrary(dir);
  QImage target(600, 800, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    TPLNViewLibrary view;
    view.resize(600, 800);
    if (!view.LoadSymbols(file).isEmpty()) {
      state.SkipWithError("library not read");
      return;
    }
    view.render(&target);
    benchmark::DoNotOptimize(target.bits());
    state.counters["previews"] = view.PreviewsDrawn();
  }
}
BENCHMARK(BM_OpenLibraryFirstScreen)->Unit(benchmark::kMillisecond);

void BM_ScrollOnePage(benchmark::State& state) {
  QTemporaryDir dir;
  const QString file = MakeLibrary(dir);
  TPLNViewLibrary view;
  view.resize(600, 800);
  view.LoadSymbols(file);
  QImage target(600, 800, QImage::Format_ARGB32_Premultiplied);
  int row = 0;
  for (auto _ : state) {
    // Fresh rows every time until the end, then from the top again (kept thumbnails).
    row = (row + 8) % std::max(1, view.Rows());
    view.SetSelected(row * view.Columns() + 1);
    view.VertScrollBar()->setValue(row);
    view.render(&target);
    benchmark::DoNotOptimize(target.bits());
  }
}
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMillisecond);

}  // namespace
