// A data table of 10,000 records exported to PDF: pages of rows, one column wrapping its text.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "ORV.Data.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// An A4 page with a table across it: number, name, a note that wraps every few records, amount
// with a sum; header and footer on every page.
void StockList(TPlanoraFMX& doc, int records) {
  TPLNMeasure m;
  m.SetSize(TPLNMeasure::PaperWidth, 210000);
  m.SetSize(TPLNMeasure::PaperHeight, 297000);
  m.SetSize(TPLNMeasure::LabelWidth, 210000);
  m.SetSize(TPLNMeasure::LabelHeight, 297000);
  m.Rows = 1;
  m.Columns = 1;
  doc.SetMeasure(m);
  auto* t = static_cast<TPLNTable*>(TPLNFactory::AddTable(&doc, 10, 10, 190, 277));
  while (t->GetColumnCount() > 0) t->DeleteColumn(1);
  t->AddColumn(QStringLiteral("No."), QStringLiteral("no"), 10);
  t->AddColumn(QStringLiteral("Name"), QStringLiteral("name"), 30);
  F2d::TPLNColumn& note = t->AddColumn(QStringLiteral("Note"), QStringLiteral("note"), 40);
  note.Body.WrapText = true;
  F2d::TPLNColumn& amount = t->AddColumn(QStringLiteral("Amount"), QStringLiteral("amount"), 20);
  amount.Body.HorzAlign = TORVHorzAlign::Right;
  amount.Footer.Footer = F2d::TORVFooter::Sum;
  amount.Footer.Format = QStringLiteral("0.00");
  t->SetFooterHeight(6000);
  QByteArray csv = "no,name,note,amount\n";
  for (int i = 1; i <= records; ++i) {
    csv += QByteArray::number(i) + ",Article " + QByteArray::number(i) + ",";
    csv += i % 5 == 0 ? "\"A longer note that needs two or three lines in its column, every fifth record\"" : "short";
    csv += "," + QByteArray::number(i % 1000) + "." + QByteArray::number(i % 100) + "\n";
  }
  doc.SetDataSource(std::make_shared<const TPLNDataSource>(TPLNDataSource::FromCsv(csv, QStringLiteral("stock.csv"))));
}

void BM_Table10000RecordsToPdf(benchmark::State& st) {
  QTemporaryDir dir;
  TPlanoraFMX doc;
  StockList(doc, 10000);
  const QString out = dir.filePath("stock.pdf");
  int pages = 0;
  for (auto _ : st) {
    pages = doc.GetDataPages();
    doc.ExportDoc(TORVExport::PDF, out, -1, 1.0f, -1, true, false, false);
    QString err;
    if (!doc.WaitForExport(&err)) st.SkipWithError(qPrintable(err));
  }
  st.counters["pages"] = pages;
  st.counters["KB"] = QFileInfo(out).size() / 1024.0;
}

}  // namespace

BENCHMARK(BM_Table10000RecordsToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
