// Opening the page set-up windows: built, filled, laid out and painted once, as a user waits for
// them. The label sheet window also lists the catalogue's first sheets and reads the linked
// data's fields (the product labels example and its 22-record CSV).
#include <benchmark/benchmark.h>

#include <QImage>

#include "ORV.FMX.Drawing.h"
#include "ORV.FMX.Labelling.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

template <class Window>
void Open(benchmark::State& st, TPlanoraFMX& doc) {
  QImage img(QSize(1080, 560), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : st) {
    Window w;
    w.Ini(&doc);
    w.resize(img.size());
    w.render(&img);
  }
}

void BM_OpenLabelSheet(benchmark::State& st) {
  TPlanoraFMX doc;
  doc.LoadFromFile(QStringLiteral(PLANORA_SOURCE_DIR "/examples/product-labels.json"));
  for (const char* n : {"Serial", "Batch", "Box"}) doc.AddCounter(QString::fromLatin1(n));
  Open<TfLabelling>(st, doc);
}

void BM_OpenDrawing(benchmark::State& st) {
  TPlanoraFMX doc;
  doc.LoadFromFile(QStringLiteral(PLANORA_SOURCE_DIR "/examples/drawing.json"));
  Open<TfDrawing>(st, doc);
}

}  // namespace

BENCHMARK(BM_OpenLabelSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDrawing)->Unit(benchmark::kMillisecond);
