// Export of data-driven label sheets and of a page at print resolution.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "ORV.Data.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// 3 x 10 labels per A4 page, each with a frame and two data texts; records for 100 pages.
void AddressSheet(TPlanoraFMX& doc) {
  TPLNMeasure m;
  m.SetSize(TPLNMeasure::LabelWidth, 66000);
  m.SetSize(TPLNMeasure::LabelHeight, 25400);
  m.SetSize(TPLNMeasure::LeftMargin, 3500);
  m.SetSize(TPLNMeasure::TopMargin, 21500);
  m.SetSize(TPLNMeasure::HorzGap, 2500);
  m.Rows = 10;
  m.Columns = 3;
  doc.SetMeasure(m);
  TPLNFactory::AddRectangle(&doc, 1, 1, 64, 23.4f);
  for (int k = 0; k < 2; ++k) {
    auto* t = static_cast<TPLNText*>(TPLNFactory::AddText(&doc, 4, 4 + 9 * k));
    t->SetFontHeight(4);
    t->SetFillType(1);
    t->SetFillName(k == 0 ? QStringLiteral("name") : QStringLiteral("city"));
  }
  QByteArray csv = "name,city\n";
  for (int i = 0; i < 3000; ++i) csv += "Person " + QByteArray::number(i) + ",Town " + QByteArray::number(i % 97) + "\n";
  doc.SetDataSource(std::make_shared<const TPLNDataSource>(TPLNDataSource::FromCsv(csv, QStringLiteral("bench.csv"))));
}

void BM_Pdf100DataPages(benchmark::State& st) {
  QTemporaryDir dir;
  TPlanoraFMX doc;
  AddressSheet(doc);
  const QString out = dir.filePath("labels.pdf");
  for (auto _ : st) {
    doc.ExportDoc(TORVExport::PDF, out, -1, 1.0f, -1, true, false, false);
    QString err;
    if (!doc.WaitForExport(&err)) st.SkipWithError(qPrintable(err));
  }
  st.counters["KB_per_page"] = QFileInfo(out).size() / 1024.0 / 100;
}

void BM_PngA4At300dpi(benchmark::State& st) {
  QTemporaryDir dir;
  TPlanoraFMX doc;
  AddressSheet(doc);
  const QString out = dir.filePath("page.png");
  for (auto _ : st) {
    doc.ExportDoc(TORVExport::PNG, out, 1, 300.0f / 96.0f, -1, true, false, false);
    QString err;
    if (!doc.WaitForExport(&err)) st.SkipWithError(qPrintable(err));
  }
}

}  // namespace

BENCHMARK(BM_Pdf100DataPages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngA4At300dpi)->Unit(benchmark::kMillisecond);
