// Opening the layers and dimension styles windows: built, filled from a drawing with 20 layers
// and 10 styles, laid out and painted once, as a user waits for them.
#include <benchmark/benchmark.h>

#include <QImage>

#include "ORV.Dim.h"
#include "ORV.FMX.DimStyles.h"
#include "ORV.FMX.Layers.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

struct Drawing {
  TPlanoraFMX doc;
  Drawing() {
    doc.SetEditorMode(2);
    for (int i = 2; i <= 20; ++i) doc.AddLayer(QStringLiteral("Layer %1").arg(i));
    for (int i = 2; i <= 10; ++i) doc.AddDimStyle(QStringLiteral("Style %1").arg(i));
    for (int i = 0; i < 200; ++i)
      TPLNFactory::AddBaseDim(&doc, 1000, 1000 + i * 2000, 40000, 1000 + i * 2000, 20000, 500 + i * 2000);
  }
};

template <class Window>
void Open(benchmark::State& st) {
  Drawing d;
  QImage img(QSize(900, 560), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : st) {
    Window w;
    w.Ini(&d.doc);
    w.resize(img.size());
    w.render(&img);
  }
}

void BM_OpenLayers(benchmark::State& st) { Open<TfLayers>(st); }
void BM_OpenDimStyles(benchmark::State& st) { Open<TfDimStls>(st); }

}  // namespace

BENCHMARK(BM_OpenLayers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDimStyles)->Unit(benchmark::kMillisecond);
