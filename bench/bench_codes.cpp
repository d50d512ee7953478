// Codes: encoding a linear and a 2-D code, and a large run of product labels with a data-bound
// EAN-13 each, exported to PDF.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QFileInfo>
#include <QRectF>
#include <QTemporaryDir>
#include <vector>

#include "ORV.Barcode2D.h"
#include "ORV.BarcodeItems.h"
#include "ORV.Data.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.h"
#include "TPLNBarcode.h"
#include "TPLNText.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// A valid EAN-13 body for record i (12 digits; the encoder adds the check digit).
QByteArray EanBody(int i) { return "400638" + QByteArray::number(133393 + i).rightJustified(6, '0'); }

// Check digit, pattern and the bar rectangles a renderer fills, in millimetres.
void BM_Ean13CheckPatternBars(benchmark::State& st) {
  std::vector<QRectF> bars;
  bars.reserve(64);
  int i = 0;
  for (auto _ : st) {
    const Barcode::TORVLinearCode c =
        Barcode::EncodeLinear(EanBody(i++ % 1000), TORVBarType::Ean13, false, false, true);
    bars.clear();
    double x = 0, w = 0.33;
    for (const char ch : c.Pattern) {
      int widthKind = 0, barKind = 0;
      Utils::TBarcode::FillBarData(ch, widthKind, barKind);
      if (widthKind >= 0) w = widthKind == 1 ? 0.33 * 2.5 : widthKind == 5 ? 0.33 * 1.5 : 0.33 * std::max(1, widthKind);
      if (barKind <= 2) bars.emplace_back(x, 0, w, barKind == 1 ? 6 : 15);
      x += w;
    }
    benchmark::DoNotOptimize(bars.data());
  }
}
BENCHMARK(BM_Ean13CheckPatternBars);

void BM_QRCode100Chars(benchmark::State& st) {
  const QString url = QStringLiteral("https://shop.example.com/products/organic-whole-grain-oat-flakes-500g?ref=label&batch=2026-12-06-0042");
  const QString text = url.left(100);
  Barcode::TORVModuleMatrix m;
  for (auto _ : st) {
    QString why;
    if (!Barcode::TPLNBaseQRCode::EncodeQR(text, 1, m, &why)) st.SkipWithError(qPrintable(why));
    benchmark::DoNotOptimize(m.Dark.data());
  }
  st.counters["modules"] = m.Cols;
}
BENCHMARK(BM_QRCode100Chars);

// US Letter, 3 x 10 labels of 66.7 x 25.4 mm; each label a frame, two data texts and a
// data-bound EAN-13.
void ProductSheet(TPlanoraFMX& doc, int records) {
  TPLNMeasure m;
  m.SetSize(TPLNMeasure::PaperWidth, 215900);
  m.SetSize(TPLNMeasure::PaperHeight, 279400);
  m.SetSize(TPLNMeasure::LabelWidth, 66700);
  m.SetSize(TPLNMeasure::LabelHeight, 25400);
  m.SetSize(TPLNMeasure::LeftMargin, 4800);
  m.SetSize(TPLNMeasure::TopMargin, 12700);
  m.SetSize(TPLNMeasure::HorzGap, 3200);
  m.Rows = 10;
  m.Columns = 3;
  doc.SetMeasure(m);
  TPLNFactory::AddRectangle(&doc, 1, 1, 64.7f, 23.4f);
  for (int k = 0; k < 2; ++k) {
    auto* t = static_cast<TPLNText*>(TPLNFactory::AddText(&doc, 3, 2.5f + 5 * k));
    t->SetFontHeight(3.5f);
    t->SetFillType(1);
    t->SetFillName(k == 0 ? QStringLiteral("name") : QStringLiteral("price"));
  }
  auto* code = static_cast<TPLNBarcode*>(TPLNFactory::AddBarcode(&doc, 30, 3, EanBody(0), TORVBarType::Ean13));
  code->SetBaseBarHeight(12000);
  code->SetBaseBarWidth(264);
  code->SetFillType(1);
  code->SetFillName(QStringLiteral("ean"));
  QByteArray csv = "name,price,ean\n";
  csv.reserve(records * 40);
  for (int i = 0; i < records; ++i)
    csv += "Product " + QByteArray::number(i) + "," + QByteArray::number(1 + i % 50) + ".99," + EanBody(i) + "\n";
  doc.SetDataSource(std::make_shared<const TPLNDataSource>(TPLNDataSource::FromCsv(csv, QStringLiteral("products.csv"))));
}

// Run one size per process (--benchmark_filter=LabelRun/30000) so peak_MB is that run's peak.
void BM_LabelRunToPdf(benchmark::State& st) {
  QTemporaryDir dir;
  TPlanoraFMX doc;
  const int records = static_cast<int>(st.range(0));
  ProductSheet(doc, records);
  const QString out = dir.filePath("labels.pdf");
  for (auto _ : st) {
    doc.ExportDoc(TORVExport::PDF, out, -1, 1.0f, -1, true, false, false);
    QString err;
    if (!doc.WaitForExport(&err)) st.SkipWithError(qPrintable(err));
  }
  const int pages = doc.GetDataPages();
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  st.counters["pages"] = pages;
  st.counters["KB_per_page"] = QFileInfo(out).size() / 1024.0 / pages;
  st.counters["peak_MB"] = ru.ru_maxrss / 1024.0;
}
BENCHMARK(BM_LabelRunToPdf)->Arg(12000)->Arg(30000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
