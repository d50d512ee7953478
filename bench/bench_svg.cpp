// SVG export of a large drawing: the document text, and the same saved to a file.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "BenchDrawing.h"
#include "ORV.FMX.Svg.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

constexpr int kShapes = 100000;

void BM_Svg100kShapes(benchmark::State& st) {
  TPlanoraFMX& doc = PlanoraBench::SharedShapeMix(kShapes);
  qsizetype bytes = 0;
  for (auto _ : st) {
    const QByteArray svg = SvgDocument(doc, {TORVSvgKind::CurrentUnit, 1, false, false});
    bytes = svg.size();
    benchmark::DoNotOptimize(svg.constData());
  }
  st.counters["MB"] = bytes / 1e6;
}

void BM_Svg100kShapesWithIds(benchmark::State& st) {
  TPlanoraFMX& doc = PlanoraBench::SharedShapeMix(kShapes);
  for (auto _ : st) {
    const QByteArray svg = SvgDocument(doc, {TORVSvgKind::CurrentUnit, 1, true, false});
    benchmark::DoNotOptimize(svg.constData());
  }
}

void BM_SaveSvg100kShapes(benchmark::State& st) {
  TPlanoraFMX& doc = PlanoraBench::SharedShapeMix(kShapes);
  QTemporaryDir dir;
  const QString out = dir.filePath("shapes.svg");
  for (auto _ : st) doc.SaveSVG(out, TORVSvgKind::CurrentUnit, 1, true);
  st.counters["MB"] = QFileInfo(out).size() / 1e6;
}

}  // namespace

BENCHMARK(BM_Svg100kShapes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Svg100kShapesWithIds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSvg100kShapes)->Unit(benchmark::kMillisecond);
