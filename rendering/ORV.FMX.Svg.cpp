#include "ORV.FMX.Svg.h"

#include <unordered_map>

#include "ORV.Canvas.Svg.h"
#include "ORV.FMX.Export.h"
#include "ORV.FMX.OutputFile.h"
#include "ORV.FMX.h"

namespace Orv::Fmx {

namespace {
// The resolution of the bitmap exports: hairlines, dash lengths and text sizes come out as in
// a PNG of the same page.
constexpr int kSvgDpi = 96;
}  // namespace

QByteArray SvgDocument(TPlanoraFMX& doc, const TSvgExport& options) {
  // Checked before anything is drawn: a bad factor raises here.
  const TORVUnits units = doc.GetUnits();
  SvgSideText(1, units, options.Kind, options.Factor);

  const TExportLayout layout = ComputeExportLayout(doc, TORVExport::PNG, 1.0f, options.Fit, options.Fit ? 0 : 1);
  // A sheet shows the records of its page, as the other exports do.
  if (layout.Sheet) doc.FillDataPage(doc.PrintInfo.CurrentPage);
  const TPLNMeasure& m = doc.Measure();
  const double wmm = layout.Sheet ? m.GetSize(TPLNMeasure::PaperWidth) / 1000.0 : layout.Width * 25.4 / kSvgDpi;
  const double hmm = layout.Sheet ? m.GetSize(TPLNMeasure::PaperHeight) / 1000.0 : layout.Height * 25.4 / kSvgDpi;
  Canvas::TSvgPage page;
  page.ViewWidth = wmm;
  page.ViewHeight = hmm;
  page.Width = SvgSideText(wmm, units, options.Kind, options.Factor);
  page.Height = SvgSideText(hmm, units, options.Kind, options.Factor);
  page.Dpi = kSvgDpi;
  Canvas::TSvgCanvas canvas(page);

  TPLNDraw d;
  SetUpExportDraw(d, doc, kSvgDpi, 1.0f);
  d.kC = &canvas;
  d.PageWidth = static_cast<float>(layout.Width);
  d.PageHeight = static_cast<float>(layout.Height);

  const bool measures = options.Kind != TORVSvgKind::NoMeasures;
  std::unordered_map<std::int32_t, int> drawn;  // cells each item was drawn in so far
  const TExportItemDraw drawItem = [&](TPLNBaseItem& item, TPLNDraw& draw) {
    if (!measures && item.KindCode() == Kind::Dim) return;
    if (!options.WithIds) {
      item.DrawElement(&draw);
      return;
    }
    // Ids are unique in the document: a sheet repeats an item in every label cell.
    const int n = ++drawn[item.GetID()];
    canvas.BeginGroup(n == 1 ? QStringLiteral("item-%1").arg(item.GetID())
                             : QStringLiteral("item-%1-%2").arg(item.GetID()).arg(n));
    item.DrawElement(&draw);
    canvas.EndGroup();
  };
  DrawExportPage(doc, d, layout, kSvgDpi, nullptr, drawItem);
  return canvas.Document();
}

void SaveSvgFile(TPlanoraFMX& doc, const QString& fileName, const TSvgExport& options) {
  const QByteArray svg = SvgDocument(doc, options);
  TOutputFile out(fileName);
  if (out.File().write(svg) != svg.size()) out.Fail(out.File().errorString());
  out.Commit();
}

// ---- the document's SVG operations

void TPlanoraFMX::WaitForRunningExports() {
  for (auto& t : fExports) t->wait();
  ReapExports();
}

QString TPlanoraFMX::SVG(TORVSvgKind kind, double factor, bool withIds) {
  // A running export reads the document, and the sheet's data page is about to move.
  WaitForRunningExports();
  return QString::fromUtf8(SvgDocument(*this, {kind, factor, withIds, false}));
}

void TPlanoraFMX::SaveSVG(const QString& fileName, TORVSvgKind kind, double factor, bool withIds) {
  WaitForRunningExports();
  SaveSvgFile(*this, fileName, {kind, factor, withIds, false});
}

}  // namespace Orv::Fmx
