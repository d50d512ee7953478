// A flow chart of 5,000 boxes and 5,000 links: loading it, repainting it whole, dragging one box
// with four links attached, and add_link over stdio on it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <stdexcept>

#include "ORV.FMX.Editor.h"
#include "McpClient.h"
#include "BenchEditor.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;
using Orv::F2d::TORVinkType;
using PlanoraBench::View;

namespace {

constexpr int kColumns = 100;
constexpr int kRows = 50;
constexpr std::int64_t kPitchX = 40000, kPitchY = 30000, kW = 25000, kH = 12000;

std::size_t DraggedBox() { return (kRows / 2) * kColumns + kColumns / 2; }

// Boxes on a grid, each linked to its right-hand neighbour (the last column to the next row's
// first box), every routing type by turn: 5,000 of each. Inner boxes carry four links.
void FillChart(TPlanoraFMX& doc) {
  TPLNMeasure m;
  m.Sizes[TPLNMeasure::PaperWidth] = m.Sizes[TPLNMeasure::LabelWidth] = kColumns * kPitchX + 20000;
  m.Sizes[TPLNMeasure::PaperHeight] = m.Sizes[TPLNMeasure::LabelHeight] = kRows * kPitchY + 20000;
  doc.SetMeasure(m);
  doc.BeginUpdate();
  std::vector<TPLNFlow*> boxes;
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kColumns; ++c) {
      auto* f = new TPLNFlow(&doc, false);
      f->SetFlowType(static_cast<TORVFlowType>((r * kColumns + c) % 15));
      const std::int64_t x = 10000 + c * kPitchX, y = 10000 + r * kPitchY;
      f->AssignPoints({{x, y}, {x + kW, y + kH}});
      f->SetText(QStringLiteral("Step %1").arg(r * kColumns + c + 1));
      boxes.push_back(f);
    }
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    auto* l = new TPLNLink(&doc, false);
    const bool down = i % 2 == 1;
    const std::size_t j = down ? (i + kColumns) % boxes.size() : (i + 1) % boxes.size();
    l->SetLinkType(static_cast<TORVinkType>(i % 8));
    l->SetEnds(boxes[i]->GetID(), boxes[j]->GetID());
    l->SetToType(4);
  }
  // The box the drag bench moves carries four links, one on each side.
  TPLNFlow* mid = boxes[DraggedBox()];
  for (std::size_t j : {DraggedBox() - 1, DraggedBox() + kColumns, DraggedBox() - kColumns}) {
    auto* l = new TPLNLink(&doc, false);
    l->SetLinkType(TORVinkType::Step);
    l->SetEnds(boxes[j]->GetID(), mid->GetID());
  }
  doc.EndUpdate();
}

QString SavedChart(TORVExt ext) {
  static QTemporaryDir dir;
  const QString path = dir.filePath(ext == TORVExt::Eti ? "chart.eti" : "chart.json");
  if (!QFile::exists(path)) {
    TPlanoraFMX doc;
    FillChart(doc);
    doc.SaveToFile(path, ext);
  }
  return path;
}

void BM_FlowLoad(benchmark::State& st) {
  const QString path = SavedChart(st.range(0) == 0 ? TORVExt::Eti : TORVExt::Json);
  for (auto _ : st) {
    TPlanoraFMX doc;
    doc.LoadFromFile(path);
    benchmark::DoNotOptimize(doc.GetItemsCount());
  }
}


void BM_FlowFitAll(benchmark::State& st) {
  TPlanoraFMX doc;
  FillChart(doc);
  View v(&doc);
  v.Redraw();
  for (auto _ : st) v.Redraw();
  st.counters["items"] = doc.GetItemsCount();
}

void SendMouse(QWidget* w, QEvent::Type type, QPointF p, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent e(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// One box in the middle of the chart, at 100 %: each move drags it a few pixels, its four
// links are routed again, and the view repaints what changed.
void BM_FlowDragBox(benchmark::State& st) {
  TPlanoraFMX doc;
  FillChart(doc);
  View v(&doc);
  v.editor.SetZoom(zm100);
  TPLNBaseItem* box = doc.GetItem(static_cast<int>(DraggedBox()) + 1);
  std::vector<F2d::TPLNBaseLink*> links;
  doc.LinksOf(box, links);
  const TORVPto at = box->GetPoint(1);
  TPLNBackEditor* s = v.editor.Surface();
  v.editor.ScrollToItem(box);
  v.Redraw();
  const QPointF p(s->ScreenMMX(at.X + kW / 2), s->ScreenMMY(at.Y + kH / 2));
  SendMouse(s, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
  SendMouse(s, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
  int k = 0;
  bool moved = false;
  for (auto _ : st) {
    ++k;
    SendMouse(s, QEvent::MouseMove, p + QPointF((k % 2) * 4, (k % 3) * 2), Qt::NoButton, Qt::LeftButton);
    v.Repaint();
    moved = moved || !(box->GetPoint(1) == at);
  }
  SendMouse(s, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
  st.counters["links"] = static_cast<double>(links.size());
  st.counters["moved"] = moved ? 1 : 0;
}


void BM_FlowAddLinkMcp(benchmark::State& st) {
  PlanoraBench::TMcpClient c({"--document", SavedChart(TORVExt::Json)});
  std::vector<double> ms;
  QElapsedTimer t;
  int i = 0;
  for (auto _ : st) {
    const int from = 1 + (i * 37) % (kRows * kColumns), to = 1 + (i * 91 + 7) % (kRows * kColumns);
    ++i;
    const QJsonObject args{{"from_id", QString::number(from)}, {"to_id", QString::number(to == from ? to % 5000 + 1 : to)},
                           {"link_type", "step"}, {"to_type", "fillarrow"}};
    t.start();
    const QByteArray reply = c.Request("tools/call", {{"name", "add_link"}, {"arguments", args}});
    ms.push_back(t.nsecsElapsed() / 1e6);
    if (reply.contains("\"isError\":true")) {
      st.SkipWithError(reply.constData());
      return;
    }
  }
  std::sort(ms.begin(), ms.end());
  st.counters["median_ms"] = ms[ms.size() / 2];
  st.counters["p99_ms"] = ms[ms.size() * 99 / 100];
}

}  // namespace

BENCHMARK(BM_FlowLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlowFitAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlowDragBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlowAddLinkMcp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(500);
