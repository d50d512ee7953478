// Diagrams from text: a 500-task Gantt chart to a laid-out drawing and on to PDF, the whole
// `planora import` process for it, and a 1,000-node flowchart to a laid-out drawing.
#include <benchmark/benchmark.h>

#include <QProcess>
#include <QTemporaryDir>

#include "ORV.FMX.Export.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// Tasks in sections, each after the one before and every tenth after two, as a project plan reads.
QString Gantt(int tasks) {
  QString t = QStringLiteral("gantt\ntitle Five hundred tasks\ndateFormat YYYY-MM-DD\n");
  for (int i = 0; i < tasks; ++i) {
    if (i % 25 == 0) t += QStringLiteral("section Phase %1\n").arg(i / 25 + 1);
    const QString tag = i % 17 == 0 ? QStringLiteral("crit, ") : QString();
    if (i == 0)
      t += QStringLiteral("Task 0 :t0, 2025-01-06, 3d\n");
    else if (i % 10 == 0 && i > 1)
      t += QStringLiteral("Task %1 :%2t%1, after t%3 t%4, %5d\n").arg(i).arg(tag).arg(i - 1).arg(i - 2).arg(1 + i % 4);
    else
      t += QStringLiteral("Task %1 :%2t%1, after t%3, %4d\n").arg(i).arg(tag).arg(i - 1).arg(1 + i % 4);
  }
  return t;
}

// A layered flowchart: 1,000 nodes, each linked to one or two of the next level.
QString Flowchart(int nodes) {
  QString t = QStringLiteral("flowchart TD\n");
  for (int i = 1; i < nodes; ++i) {
    const int parent = (i - 1) / 3;
    t += QStringLiteral("  N%1[Step %1] --> N%2[Step %2]\n").arg(parent).arg(i);
    if (i % 7 == 0 && i > 3) t += QStringLiteral("  N%1 -->|back| N%2\n").arg(i).arg(parent / 2);
  }
  return t;
}

void BM_Gantt500ToLayout(benchmark::State& st) {
  const QString text = Gantt(500);
  for (auto _ : st) {
    TPlanoraFMX doc;
    if (!TPLNFactory::LoadGantt(&doc, text, true)) st.SkipWithError("not loaded");
    benchmark::DoNotOptimize(doc.GetItemsCount());
  }
}
BENCHMARK(BM_Gantt500ToLayout)->Unit(benchmark::kMillisecond);

void BM_Gantt500ToPdf(benchmark::State& st) {
  const QString text = Gantt(500);
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("gantt.pdf"));
  for (auto _ : st) {
    TPlanoraFMX doc;
    if (!TPLNFactory::LoadGantt(&doc, text, true)) st.SkipWithError("not loaded");
    doc.ExportDoc(TORVExport::PDF, pdf, 1, 1.0f, -1, false, false, false);
    QString error;
    if (!doc.WaitForExport(&error)) st.SkipWithError(qPrintable(error));
  }
}
BENCHMARK(BM_Gantt500ToPdf)->Unit(benchmark::kMillisecond);

// The whole command as a user runs it: process start, Qt, parse, layout, PDF, exit.
void BM_Gantt500ImportProcess(benchmark::State& st) {
  QTemporaryDir dir;
  const QString in = dir.filePath(QStringLiteral("plan.mmd")), out = dir.filePath(QStringLiteral("plan.pdf"));
  QFile f(in);
  if (!f.open(QIODevice::WriteOnly) || f.write(Gantt(500).toUtf8()) < 0) st.SkipWithError("cannot write the text");
  f.close();
  const QString cli = QStringLiteral(PLANORA_BIN_DIR "/planora");
  for (auto _ : st) {
    QProcess p;
    p.start(cli, {QStringLiteral("import"), in, out});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) st.SkipWithError("planora import failed");
  }
}
BENCHMARK(BM_Gantt500ImportProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Flowchart1000ToLayout(benchmark::State& st) {
  const QString text = Flowchart(1000);
  for (auto _ : st) {
    TPlanoraFMX doc;
    if (!TPLNFactory::LoadDiagram(&doc, text, Diagram::TORVDiagramFormat::Mermaid)) st.SkipWithError("not loaded");
    benchmark::DoNotOptimize(doc.GetItemsCount());
  }
}
BENCHMARK(BM_Flowchart1000ToLayout)->Unit(benchmark::kMillisecond);

}  // namespace
