// The property inspector: what selecting an item costs it (rows built from the selection, laid
// out and painted), for a rectangle, a text and a barcode, and for a selection of 1,000 shapes;
// and one change sent from a cell to a selection of 1,000 shapes.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QLineEdit>
#include <QPainter>

#include "ORV.FMX.Inspector.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

struct Sheet {
  TPlanoraFMX doc;
  TPLNInspector ins;
  std::vector<TPLNBaseItem*> items;
  explicit Sheet(int shapes) {
    ins.resize(320, 800);
    ins.SetLabel(&doc);
    for (int i = 0; i < shapes; ++i)
      items.push_back(TPLNFactory::AddBaseRectangle(&doc, 1000 + (i % 40) * 5000, 1000 + (i / 40) * 5000, 4000, 3000));
  }
  ~Sheet() { ins.SetLabel(nullptr); }
};

// Select, then the inspector rebuilds; the grid is painted as the screen would.
void Refresh(benchmark::State& st, Sheet& s, const std::vector<TPLNBaseItem*>& pick) {
  QImage img(s.ins.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : st) {
    s.doc.ClearSelection();
    for (TPLNBaseItem* it : pick) s.doc.Select(it);  // each selection change rebuilds
    s.ins.render(&img);
  }
  st.counters["rows"] = s.ins.Rows().size();
}

void BM_SelectRectangle(benchmark::State& st) {
  Sheet s(100);
  Refresh(st, s, {s.items[5]});
}
BENCHMARK(BM_SelectRectangle)->Unit(benchmark::kMillisecond);

void BM_SelectText(benchmark::State& st) {
  Sheet s(100);
  auto* t = TPLNFactory::AddBaseText(&s.doc, 50000, 50000);
  Refresh(st, s, {t});
}
BENCHMARK(BM_SelectText)->Unit(benchmark::kMillisecond);

void BM_SelectBarcode(benchmark::State& st) {
  Sheet s(100);
  Refresh(st, s, {s.doc.AddBaseCode(50000, 50000, Kind::Barcode)});
}
BENCHMARK(BM_SelectBarcode)->Unit(benchmark::kMillisecond);

void BM_SelectAll1000(benchmark::State& st) {
  Sheet s(1000);
  QImage img(s.ins.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : st) {
    s.doc.ClearSelection();
    s.doc.SelectAll();
    s.ins.render(&img);
  }
  st.counters["rows"] = s.ins.Rows().size();
}
BENCHMARK(BM_SelectAll1000)->Unit(benchmark::kMillisecond);

void BM_ColourOf1000(benchmark::State& st) {
  Sheet s(1000);
  s.doc.SelectAll();
  int row = -1, cell = 0;
  s.ins.FindCell(QStringLiteral("color"), &row, &cell);
  bool red = false;
  for (auto _ : st) {
    red = !red;
    s.ins.PropEditor(row, cell);  // opens the in-place editor; the value goes as a typed colour
    s.ins.Editor()->setText(red ? QStringLiteral("#FF0000") : QStringLiteral("#0000FF"));
    s.ins.Editor()->setModified(true);
    s.ins.UpdateNumberProp(true);
  }
}
BENCHMARK(BM_ColourOf1000)->Unit(benchmark::kMillisecond);

}  // namespace
