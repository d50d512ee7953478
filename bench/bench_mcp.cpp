// MCP round trips over stdio against a real `planora mcp` process: tools/list, add_rectangle on a
// drawing of 10,000 items (median of single round trips), and 10,000 element tools in a row.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include "McpClient.h"

namespace {

using TClient = PlanoraBench::TMcpClient;

QJsonObject Rect(int i) { return {{"x", i % 200}, {"y", (i / 200) % 280}, {"width", 5}, {"height", 3}}; }

// One of the element tools, by turn.
void AddOne(TClient& c, int i) {
  const double x = i % 200, y = (i / 200) % 280;
  switch (i % 5) {
    case 0: c.Call("add_rectangle", Rect(i)); break;
    case 1: c.Call("add_circle", {{"x", x}, {"y", y}, {"radius", 2}}); break;
    case 2: c.Call("add_line", {{"x1", x}, {"y1", y}, {"x2", x + 5}, {"y2", y + 2}}); break;
    case 3: c.Call("add_polyline", {{"points", QJsonArray{x, y, x + 2, y + 3, x + 4, y}}}); break;
    default: c.Call("add_text", {{"x", x}, {"y", y}, {"text", QStringLiteral("T%1").arg(i)}}); break;
  }
}

void BM_ToolsList(benchmark::State& state) {
  TClient c;
  std::size_t bytes = 0;
  for (auto _ : state) bytes = c.Request("tools/list", {}).size();
  state.counters["reply_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ToolsList)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AddRectangleOn10kItems(benchmark::State& state) {
  TClient c;
  for (int i = 0; i < 10000; ++i) c.Call("add_rectangle", Rect(i));
  std::vector<double> ms;
  QElapsedTimer t;
  int i = 0;
  for (auto _ : state) {
    t.start();
    c.Call("add_rectangle", Rect(i++));
    ms.push_back(t.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p99_ms"] = ms[ms.size() * 99 / 100];
}
BENCHMARK(BM_AddRectangleOn10kItems)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2000);

void BM_TenThousandAdds(benchmark::State& state) {
  for (auto _ : state) {
    TClient c;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 10000; ++i) AddOne(c, i);
    state.counters["seconds"] = t.nsecsElapsed() / 1e9;
  }
}
BENCHMARK(BM_TenThousandAdds)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
