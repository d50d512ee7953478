// Repaints of the editor: the whole page of a large drawing, a corner at high zoom, and the
// first paint after opening a file.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include "ORV.FMX.Editor.h"
#include "BenchDrawing.h"
#include "BenchEditor.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraBench;

namespace {



void BM_EditorFitAll(benchmark::State& st) {
  TPlanoraFMX doc;
  FillShapeMix(doc, static_cast<int>(st.range(0)));
  View v(&doc, zmFitAll);
  v.Redraw();
  for (auto _ : st) v.Redraw();
  st.counters["zoom_pct"] = v.editor.ZoomFactor() * 100;
}

// The top-left corner of the page at 500 %.
void BM_EditorCorner(benchmark::State& st) {
  TPlanoraFMX doc;
  FillShapeMix(doc, 100000);
  View v(&doc, zm500);
  v.Redraw();
  for (auto _ : st) v.Redraw();
  st.counters["visible_mm2"] = (v.editor.Surface()->width() - 33) * (v.editor.Surface()->height() - 33) /
                               (5 * 96 / 25.4) / (5 * 96 / 25.4);
}

void BM_EditorCornerRepaint(benchmark::State& st) {
  TPlanoraFMX doc;
  FillShapeMix(doc, 100000);
  View v(&doc, zm500);
  v.Redraw();
  for (auto _ : st) v.Repaint();
}

// The same corner after scrolling by a wheel notch: what a user waits for while scrolling.
void BM_EditorScrollCorner(benchmark::State& st) {
  TPlanoraFMX doc;
  FillShapeMix(doc, 100000);
  View v(&doc, zm500);
  QScrollBar* bar = v.editor.VertScrollBar();
  int step = 30;
  for (auto _ : st) {
    bar->setValue(bar->value() + step);
    step = -step;
    v.Repaint();
  }
}

void SendMouse(QWidget* w, QEvent::Type type, QPointF p, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent e(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// 1,000 selected rectangles on top of a drawing of range(0) items, dragged by the pointer: one
// move of a few pixels and the repaint that shows it.
void BM_EditorDragSelection(benchmark::State& st) {
  TPlanoraFMX doc;
  FillShapeMix(doc, static_cast<int>(st.range(0)));
  std::vector<TPLNBaseItem*> dragged;
  doc.BeginUpdate();
  for (int i = 0; i < 1000; ++i)
    dragged.push_back(TPLNFactory::AddBaseRectangle(&doc, 10000 + (i % 40) * 4500, 20000 + (i / 40) * 4500, 3000, 2000));
  doc.EndUpdate();
  View v(&doc, zmFitAll);
  for (TPLNBaseItem* item : dragged) doc.Select(item);
  v.Redraw();
  TPLNBackEditor* s = v.editor.Surface();
  const QPointF p(s->ScreenMMX(10000), s->ScreenMMY(21000));  // the first one's left edge
  SendMouse(s, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
  SendMouse(s, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
  int k = 0;
  for (auto _ : st) {
    SendMouse(s, QEvent::MouseMove, p + QPointF((++k % 2) * 4, 0), Qt::NoButton, Qt::LeftButton);
    v.Repaint();
  }
  SendMouse(s, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
  st.counters["selected"] = doc.GetSelectionCount();
}

// A click on an item of a 100,000-item drawing: hit test, selection and the release.
void BM_EditorHitTest(benchmark::State& st) {
  TPlanoraFMX doc;
  FillShapeMix(doc, 100000);
  TPLNBaseItem* target = TPLNFactory::AddBaseRectangle(&doc, 101000, 141000, 3000, 2000);
  View v(&doc, zmFitAll);
  v.Redraw();
  TPLNBackEditor* s = v.editor.Surface();
  const QPointF p(s->ScreenMMX(101000), s->ScreenMMY(142000));
  for (auto _ : st) {
    SendMouse(s, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    SendMouse(s, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
  }
  st.counters["hit"] = doc.IsSelected(target) ? 1 : 0;
}

void BM_EditorFirstPaint(benchmark::State& st) {
  QTemporaryDir dir;
  const QString file = dir.filePath("big.eti");
  {
    TPlanoraFMX doc;
    FillShapeMix(doc, 100000);
    doc.SaveToFile(file, TORVExt::Eti);
  }
  TPLNEditor editor;
  editor.resize(1280, 800);
  editor.show();
  editor.SetZoom(zmFitAll);
  QImage img(editor.Surface()->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : st) {
    auto doc = std::make_unique<TPlanoraFMX>();
    doc->LoadFromFile(file);
    editor.SetLabel(doc.get());
    editor.Surface()->render(&img);
    st.PauseTiming();
    editor.SetLabel(nullptr);
    doc.reset();
    st.ResumeTiming();
  }
}

}  // namespace

BENCHMARK(BM_EditorFitAll)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorCorner)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorCornerRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorScrollCorner)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorDragSelection)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorHitTest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditorFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3);
