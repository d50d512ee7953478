// Opening the table and poly text editors: built, filled from a drawing whose table has 12
// columns over a data source of 30 fields (and a poly text of 20 runs), laid out and painted
// once, with the installed fonts, as a user waits for them.
#include <benchmark/benchmark.h>

#include <QImage>

#include "ORV.Data.h"
#include "ORV.FMX.DialogServices.h"
#include "ORV.FMX.EdPolyText.h"
#include "ORV.FMX.EdTable.h"
#include "ORV.FMX.h"
#include "ORV.Poly.h"
#include "ORV.Table.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// Nothing to ask: the editors open on items that have columns and runs.
struct TSilent : TDialogServices {
  void Error(QWidget*, const QString&, const QString&) override {}
};

struct Drawing {
  TPlanoraFMX doc;
  TPLNBaseItem* table = nullptr;
  TPLNBaseItem* poly = nullptr;
  Drawing() {
    QByteArray csv;
    for (int f = 1; f <= 30; ++f) csv += (f > 1 ? "," : "") + QByteArray("field") + QByteArray::number(f);
    csv += '\n';
    for (int r = 0; r < 200; ++r) {
      for (int f = 1; f <= 30; ++f) csv += (f > 1 ? "," : "") + QByteArray::number(r * f);
      csv += '\n';
    }
    doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv(csv, QStringLiteral("bench"))));
    auto* t = dynamic_cast<F2d::TPLNBaseTable*>(TPLNFactory::AddBaseTable(&doc, 10000, 10000, 180000, 120000));
    for (int c = t->GetColumnCount() + 1; c <= 12; ++c) t->AddColumn(QStringLiteral("Column %1").arg(c), QStringLiteral("field%1").arg(c), 8);
    table = t;
    auto* p = dynamic_cast<Text::TPLNBasePoly*>(TPLNFactory::AddBasePolyText(&doc, 10000, 150000));
    QStringList runs;
    for (int i = 1; i <= 20; ++i) runs << QStringLiteral("run %1").arg(i);
    p->SetData(runs.join(QLatin1Char('\n')));
    poly = p;
  }
};

template <class Window>
void Open(benchmark::State& st, bool table) {
  Drawing d;
  d.doc.Select(table ? d.table : d.poly);
  auto services = std::make_shared<TSilent>();
  QImage img(QSize(640, 420), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : st) {
    Window w(nullptr, services);
    w.Ini(&d.doc);
    w.resize(img.size());
    w.render(&img);
  }
}

void BM_OpenTableEditor(benchmark::State& st) { Open<TfEdTable>(st, true); }
void BM_OpenPolyEditor(benchmark::State& st) { Open<TfEdPoly>(st, false); }

}  // namespace

BENCHMARK(BM_OpenTableEditor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPolyEditor)->Unit(benchmark::kMillisecond);
