// One page of the print preview: a sheet of 30 data labels drawn by the preview control the way
// its paint event draws it, in a 960 x 708 control (the window's size less its bar).
// The address labels carry a frame and three data texts each; the product labels add an EAN-13,
// a QR code and a Nutri-Score. The data is the sample CSV, 30 records a page.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <vector>

#include "ORV.Canvas.h"
#include "ORV.Data.h"
#include "ORV.FMX.Preview.h"
#include "ORV.FMX.h"

namespace {

using namespace Orv;
using namespace Orv::Fmx;

const QString kExamples = QStringLiteral(PLANORA_SOURCE_DIR "/examples/");

// The sample's label, 30 of them on one page: `columns` across, the paper as long as it takes.
std::unique_ptr<TPlanoraFMX> Sheet(const QString& sample, const QString& data, int columns) {
  auto doc = std::make_unique<TPlanoraFMX>();
  doc->LoadFromFile(sample);
  TPLNMeasure m = doc->Measure();
  const int rows = 30 / columns;
  m.Rows = rows;
  m.Columns = columns;
  m.Sizes[TPLNMeasure::LeftMargin] = m.Sizes[TPLNMeasure::TopMargin] = 0;
  m.Sizes[TPLNMeasure::HorzGap] = m.Sizes[TPLNMeasure::VertGap] = 0;
  m.Sizes[TPLNMeasure::PaperWidth] = columns * m.Sizes[TPLNMeasure::LabelWidth];
  m.Sizes[TPLNMeasure::PaperHeight] = rows * m.Sizes[TPLNMeasure::LabelHeight];
  doc->SetMeasure(m);
  // The sample data repeated up to 30 records.
  const TPLNDataSource source = TPLNDataSource::FromFile(data);
  QByteArray csv;
  QStringList fields = source.Fields();
  csv += fields.join(',').toUtf8() + '\n';
  for (int r = 0; r < 30; ++r) {
    QStringList values;
    for (int f = 0; f < fields.size(); ++f) {
      QString v = source.Value(r % source.RecordCount(), f);
      values << QLatin1Char('"') + v.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    }
    csv += values.join(',').toUtf8() + '\n';
  }
  doc->SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv(csv, data)));
  doc->CheckPrintData();
  doc->GoToPage(1, false, true);
  return doc;
}

void DrawPage(benchmark::State& state, const QString& sample, const QString& data, int columns) {
  std::unique_ptr<TPlanoraFMX> doc;
  try {
    doc = Sheet(kExamples + sample, kExamples + data, columns);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  TPLNPreview preview;
  preview.resize(960, 708);
  preview.SetLabel(doc.get());
  preview.SetViewType(static_cast<TORVViewType>(state.range(0)));
  QImage target(preview.size(), QImage::Format_ARGB32_Premultiplied);
  std::vector<double> ms;
  QElapsedTimer t;
  std::size_t cells = 0;
  for (auto _ : state) {
    t.start();
    QPainter painter(&target);
    painter.setRenderHint(QPainter::Antialiasing, true);
    Canvas::TQPainterCanvas canvas(&painter);
    preview.Draw(canvas);
    painter.end();
    ms.push_back(t.nsecsElapsed() / 1e6);
    cells = preview.DrawnCells().size();
  }
  if (cells != 30) state.SkipWithError("the page did not hold 30 labels");
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["max_ms"] = ms.back();
  state.counters["labels"] = static_cast<double>(cells);
}

void BM_PreviewPageAddressLabels(benchmark::State& state) {
  DrawPage(state, QStringLiteral("address-labels.json"), QStringLiteral("addresses.csv"), 3);
}
// 0: full page, 1: page width (the labels larger, the page clipped to the control).
BENCHMARK(BM_PreviewPageAddressLabels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

void BM_PreviewPageProductLabels(benchmark::State& state) {
  DrawPage(state, QStringLiteral("product-labels.json"), QStringLiteral("products.csv"), 3);
}
BENCHMARK(BM_PreviewPageProductLabels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

}  // namespace
