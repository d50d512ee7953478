// Pictures: a page of a thousand copies of ten files repainted (decoded once, shared), and a
// large photo placed and filtered from scratch.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.h"
#include "ORV.Image.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// A picture with some texture, so encoders and decoders do real work.
QImage Photo(int w, int h, std::uint32_t variant) {
  QImage img(w, h, QImage::Format_RGB32);
  QRandomGenerator noise(variant);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < w; ++x)
      row[x] = qRgb((x * 255 / w + int(noise.bounded(16))) & 255, (y * 255 / h) & 255, int((variant * 40 + noise.bounded(32)) & 255));
  }
  return img;
}

// Paints every item of `doc` onto an A4 page at 96 dpi, as the editor repaints.
void Repaint(TPlanoraFMX& doc, QImage& page) {
  page.fill(Qt::white);
  QPainter painter(&page);
  Canvas::TQPainterCanvas canvas(&painter);
  TPLNDraw d;
  d.SetResolution(96, 96);
  d.SetStandardWidths();
  d.kC = &canvas;
  d.DrawState = TORVDrawState::Editor;
  for (int i = 1; i <= doc.GetItemsCount(); ++i) doc.GetItem(i)->Draw(&d);
}

void BM_PageOf1000ImagesFrom10Files(benchmark::State& st) {
  QTemporaryDir dir;
  F2d::ClearImageCache();
  TPlanoraFMX doc;
  doc.ImageFolder = dir.path();
  for (int f = 0; f < 10; ++f) Photo(400, 300, std::uint32_t(f)).save(dir.filePath(QStringLiteral("p%1.jpg").arg(f)), "JPEG", 85);
  // 40 columns x 25 rows of 5 x 4 mm pictures.
  for (int k = 0; k < 1000; ++k)
    TPLNFactory::AddBaseImage(&doc, 5000 + (k % 40) * 5000, 10000 + (k / 40) * 11000, 4500, 3500,
                              QStringLiteral("p%1.jpg").arg(k % 10));
  QImage page(794, 1123, QImage::Format_ARGB32_Premultiplied);
  Repaint(doc, page);  // the first paint decodes
  for (auto _ : st) Repaint(doc, page);
  st.counters["decodes"] = double(F2d::ImageCacheStats().Decodes);
}

void BM_Photo4000x3000PlacedAndFiltered(benchmark::State& st) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("photo.jpg"));
  Photo(4000, 3000, 7).save(file, "JPEG", 90);
  const int dpi = int(st.range(0));
  QImage page(int(210 * dpi / 25.4), int(160 * dpi / 25.4), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : st) {
    F2d::ClearImageCache();
    TPlanoraFMX doc;
    auto* img = static_cast<TPLNImage*>(TPLNFactory::AddBaseImage(&doc, 5000, 5000, 200000, 150000, file));
    img->SetFilter(F2d::TORVImageFilter::Grayscale);
    page.fill(Qt::white);
    QPainter painter(&page);
    Canvas::TQPainterCanvas canvas(&painter);
    TPLNDraw d;
    d.SetResolution(dpi, dpi);
    d.SetStandardWidths();
    d.kC = &canvas;
    d.DrawState = TORVDrawState::Export;
    img->Draw(&d);
  }
}

}  // namespace

BENCHMARK(BM_PageOf1000ImagesFrom10Files)->Unit(benchmark::kMillisecond);
// The photo on the editor's surface (96 dpi) and exported for print (300 dpi).
BENCHMARK(BM_Photo4000x3000PlacedAndFiltered)->Arg(96)->Arg(300)->Unit(benchmark::kMillisecond);
