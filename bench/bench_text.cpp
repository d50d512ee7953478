// Text measurement and line breaking: the font cache and long paragraphs.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.h"
#include "ORV.FMX.Types.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// Words of varied length, separated by single spaces, with a paragraph break now and then.
QString Paragraph(int words) {
  static const char* kWords[] = {"the", "layout", "of", "labels", "measures", "every", "word", "with",
                                 "a", "calibrated", "font", "at", "ninety-six", "pixels", "per", "inch"};
  QString s;
  for (int i = 0; i < words; ++i) {
    s += QLatin1String(kWords[(i * 7) % 16]);
    s += (i % 500 == 499) ? QStringLiteral("\r\n") : QStringLiteral(" ");
  }
  return s;
}

void Settle(std::int64_t height) {
  std::int64_t a, d, u, l;
  double r;
  TPLNCalc::FontSettings(QStringLiteral("DejaVu Sans"), height, false, false, a, d, u, l, r);
}

void BM_FontSettingsHit(benchmark::State& st) {
  Settle(3500);
  std::int64_t a, d, u, l;
  double r;
  const QString name = QStringLiteral("DejaVu Sans");
  for (auto _ : st) {
    TPLNCalc::FontSettings(name, 3500, false, false, a, d, u, l, r);
    benchmark::DoNotOptimize(a);
  }
}

void BM_FontSettingsMiss(benchmark::State& st) {
  std::int64_t a, d, u, l;
  double r;
  std::int64_t h = 3000;
  for (auto _ : st) {
    h = h == 3000 ? 3500 : 3000;  // both sizes stay in the canvas layer's raw font cache
    TPLNCalc::FontSettings(QStringLiteral("DejaVu Sans"), h, false, false, a, d, u, l, r);
    benchmark::DoNotOptimize(a);
  }
}

void BM_CalcTxtPts10kWords(benchmark::State& st) {
  const QString text = Paragraph(10000);
  Settle(3500);
  TxtLines lines;
  for (auto _ : st) {
    benchmark::DoNotOptimize(TPLNCalc::CalcTxtPts(text, nullptr, lines, 100000, 0, 1000, 1000,
                                                  TORVHorzAlign::Center, TORVVertAlign::Top, 1.2f));
  }
  st.counters["lines"] = double(lines.size());
}

// The same breaking with each line measured as a string for every word: what the cached
// advances save.
void BM_MeasureGrowingLine10kWords(benchmark::State& st) {
  const QString text = Paragraph(10000);
  Settle(3500);
  const QStringList words = text.split(QLatin1Char(' '));
  for (auto _ : st) {
    QString line;
    int lines = 0;
    for (const QString& w : words) {
      if (!line.isEmpty() && TPLNCalc::CalcTxtSize(line) + TPLNCalc::CalcTxtSize(QLatin1Char(' ') + w) > 98000) {
        line = w;
        ++lines;
      } else {
        line += line.isEmpty() ? w : QLatin1Char(' ') + w;
      }
    }
    benchmark::DoNotOptimize(lines);
  }
}

void BM_CalcFlowTxtPointsEllipse1kWords(benchmark::State& st) {
  const QString text = Paragraph(1000);
  Settle(3500);
  TxtLines lines;
  for (auto _ : st)
    benchmark::DoNotOptimize(
        TPLNCalc::CalcFlowTxtPoints(text, nullptr, lines, 300000, 400000, 0, 0, TORVFlowType::Ellipse, 1));
}

void BM_PrintTxtPoints1kWords(benchmark::State& st) {
  const QString text = Paragraph(1000);
  QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  Canvas::TQPainterCanvas canvas(&painter);
  canvas.Font.Family = QStringLiteral("DejaVu Sans");
  canvas.Font.Size = 12;
  TPLNDraw draw;
  draw.pC = &canvas;
  TxtFLines lines;
  for (auto _ : st)
    benchmark::DoNotOptimize(PrintTxtPoints(text, &draw, lines, 600, 100000, 16, TORVHorzAlign::Left,
                                            TORVVertAlign::Top, false, false));
}

}  // namespace

// One frame of 10,000 single-line text items drawn at 96 dpi onto a 1920 x 1080 surface, as a
// view repaints them (layout already done, as after loading).
void BM_Frame10kTexts(benchmark::State& st) {
  TPlanoraFMX doc;
  doc.BeginUpdate();
  for (int i = 0; i < 10000; ++i) {
    auto* t = static_cast<TPLNText*>(TPLNFactory::AddBaseText(&doc, (i % 100) * 5000, (i / 100) * 2800));
    t->SetText(QStringLiteral("Label %1").arg(i));
  }
  doc.EndUpdate();
  QImage img(1920, 1080, QImage::Format_RGB32);
  for (auto _ : st) {
    img.fill(Qt::white);
    QPainter p(&img);
    Canvas::TQPainterCanvas canvas(&p);
    TPLNDraw d;
    d.SetResolution(96, 96);
    d.SetStandardWidths();
    d.kC = &canvas;
    d.pC = &canvas;
    for (int i = 1; i <= doc.GetItemsCount(); ++i) doc.GetItem(i)->DrawElement(&d);
  }
}

BENCHMARK(BM_Frame10kTexts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FontSettingsHit)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_FontSettingsMiss)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalcTxtPts10kWords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureGrowingLine10kWords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcFlowTxtPointsEllipse1kWords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintTxtPoints1kWords)->Unit(benchmark::kMillisecond);
