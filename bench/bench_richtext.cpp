// Rich text: reading a megabyte of markup, the edits made at every keystroke on a long text, the
// layout of 10,000 words, and a keystroke in the editor from key event to repainted surface.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>

#include "BenchEditor.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.h"
#include "ORV.RichText.h"

using namespace Orv;
using namespace Orv::Fmx;
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

// Every change of a rich text reads its markup and lays it out again; the words' widths are kept
// from the layout before (Cold: a fresh item, every word measured).
void BM_LayoutWords(benchmark::State& st) {
  TPlanoraFMX doc;
  auto* item = static_cast<TPLNRichText*>(TPLNFactory::AddBaseRichText(&doc, 0, 0, 190000, 2000000));
  item->SetRichText(Markup(10000));
  for (auto _ : st) item->CalcValues(0);
  st.counters["segments"] = double(item->Segments().size());
}
BENCHMARK(BM_LayoutWords)->Unit(benchmark::kMillisecond);

void BM_LayoutWordsCold(benchmark::State& st) {
  const QString m = Markup(10000);
  for (auto _ : st) {
    TPlanoraFMX doc;
    auto* item = static_cast<TPLNRichText*>(TPLNFactory::AddBaseRichText(&doc, 0, 0, 190000, 2000000));
    item->SetRichText(m);
    benchmark::DoNotOptimize(item->Segments().size());
  }
}
BENCHMARK(BM_LayoutWordsCold)->Unit(benchmark::kMillisecond);

// A letter typed into a 2,000-word rich text filling an A4 page at fit-all: the key event, the
// change of the markup and its undo step, the layout, and the repaint of the surface.
void BM_KeystrokeInEditor(benchmark::State& st) {
  TPlanoraFMX doc;
  auto* item = static_cast<TPLNRichText*>(TPLNFactory::AddBaseRichText(&doc, 5000, 5000, 190000, 280000));
  item->SetBaseFontHeight(2500);
  item->SetRichText(Markup(2000));
  PlanoraBench::View v(&doc);
  v.editor.SetEditorOptions(v.editor.GetEditorOptions() | eoRichTextToolbar);
  doc.EditItemText(item);
  v.Redraw();
  for (auto _ : st) {
    QKeyEvent e(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(v.editor.Surface(), &e);
    v.Repaint();
  }
  st.counters["chars"] = double(item->GetPlainText().size());
}
BENCHMARK(BM_KeystrokeInEditor)->Unit(benchmark::kMillisecond);

}  // namespace
