// render_preview of an A4 drawing of 10,000 basic shapes: single round trips over stdio against a
// real `planora mcp` process (median and slowest), and the same tool called in process, which
// leaves out the pipe and the JSON framing.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "BenchDrawing.h"
#include "McpClient.h"
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Tools.h"

namespace {

using namespace Orv;
using namespace Orv::Fmx;

constexpr int kItems = 10000;

void Report(benchmark::State& state, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["max_ms"] = ms.back();
}

void BM_RenderPreviewOverStdio(benchmark::State& state) {
  QTemporaryDir dir;
  const QString file = dir.filePath("a4.eti");
  {
    TPlanoraFMX doc;
    PlanoraBench::FillShapeMix(doc, kItems);
    doc.SaveToFile(file, TORVExt::Eti);
  }
  PlanoraBench::TMcpClient client({"--document", file});
  std::vector<double> ms;
  double bytes = 0;
  QElapsedTimer t;
  for (auto _ : state) {
    t.start();
    bytes = static_cast<double>(client.Call("render_preview", {}).size());
    ms.push_back(t.nsecsElapsed() / 1e6);
  }
  Report(state, ms);
  state.counters["reply_bytes"] = bytes;
}
BENCHMARK(BM_RenderPreviewOverStdio)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

void BM_RenderPreviewInProcess(benchmark::State& state) {
  TPlanoraFMX& doc = PlanoraBench::SharedShapeMix(kItems);
  TPLNMCPServer server(&doc);
  ORVMCPRegisterDefaultTools(&server);
  std::vector<double> ms;
  double bytes = 0;
  QElapsedTimer t;
  for (auto _ : state) {
    t.start();
    const QJsonObject r = server.CallTool(QStringLiteral("render_preview"), {});
    ms.push_back(t.nsecsElapsed() / 1e6);
    if (r.value(QStringLiteral("isError")).toBool()) state.SkipWithError("render_preview failed");
    bytes = r.value(QStringLiteral("structuredContent")).toObject().value(QStringLiteral("byte_size")).toDouble();
  }
  Report(state, ms);
  state.counters["png_bytes"] = bytes;
}
BENCHMARK(BM_RenderPreviewInProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

}  // namespace
