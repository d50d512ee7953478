// The modules of 2-D codes (QR code, DataMatrix, PDF417) on screen and on paper.

#include <QTransform>

#include "ORV.FMX.Shared.h"
#include "ORV.Text.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {

// The symbol's frame on the device: the origin of its top-left module (DrawTxtPos, as a text's)
// and the module size in pixels.
struct TFrame {
  double X = 0, Y = 0, MW = 0, MH = 0;
};

TFrame PlaceFrame(const TPLNDraw& d, const Barcode::TORVModuleMatrix& m, const TORV2DPlacement& place,
                  QPointF anchor) {
  TFrame f;
  f.MW = d.DrawBasePtoX(place.ModuleW * 1000.0);
  f.MH = d.DrawBasePtoY(place.ModuleH * 1000.0);
  const double padX = d.DrawBasePtoX(place.PadX * 1000.0), padY = d.DrawBasePtoY(place.PadY * 1000.0);
  Utils::DrawTxtPos(f.X, f.Y, anchor.x(), anchor.y(), padX, padY, m.Cols * f.MW, m.Rows * f.MH, place.HorzAlign,
                    place.VertAlign, place.Angle);
  return f;
}

// Calls `rect` once per run of dark modules in a row, in the symbol's own frame: a run looks
// the same as its modules one by one and draws far fewer rectangles.
template <class F>
void ForEachRun(const Barcode::TORVModuleMatrix& m, double mw, double mh, F&& rect) {
  for (int row = 0; row < m.Rows; ++row) {
    int col = 0;
    while (col < m.Cols) {
      if (!m.At(col, row)) {
        ++col;
        continue;
      }
      const int start = col;
      while (col < m.Cols && m.At(col, row)) ++col;
      rect(QRectF(QPointF(start * mw, row * mh), QPointF(col * mw, (row + 1) * mh)));
    }
  }
}

}  // namespace

void Draw2DCode(TPLNDraw* draw, const Barcode::TORVModuleMatrix& matrix, const TORV2DPlacement& place,
                QPointF anchor, TAlphaColor color) {
  if (!draw || !draw->kC || !draw->kP || matrix.IsEmpty()) return;
  TSkPaint& p = *draw->kP;
  p.PathEffect.reset();
  p.AntiAlias = false;
  p.Style = TSkPaintStyle::Fill;
  p.Color = color;
  const TFrame f = PlaceFrame(*draw, matrix, place, anchor);
  ISkCanvas& c = *draw->kC;
  c.Save();
  c.Translate(float(f.X), float(f.Y));
  if (place.Angle != TORVAngle::A0) c.Rotate(Utils::PrintAngle(place.Angle));
  // One call for all the runs: one fill on a vector page.
  std::vector<QRectF> runs;
  ForEachRun(matrix, f.MW, f.MH, [&](const QRectF& r) { runs.push_back(r); });
  c.DrawRects(runs, p);
  c.Restore();
}

void Print2DCode(TPLNDraw* draw, const Barcode::TORVModuleMatrix& matrix, const TORV2DPlacement& place,
                 QPointF anchor, TAlphaColor color) {
  if (!draw || !draw->pC || matrix.IsEmpty()) return;
  IPrintCanvas& c = *draw->pC;
  c.Fill.Kind = TBrushKind::Solid;
  c.Fill.Color = color;
  const TFrame f = PlaceFrame(*draw, matrix, place, anchor);
  // Quarter turns keep rectangles upright, so each run is turned here and the canvas keeps its
  // matrix.
  QTransform t;
  t.translate(f.X, f.Y);
  t.rotate(Utils::PrintAngle(place.Angle));
  std::vector<QRectF> runs;
  ForEachRun(matrix, f.MW, f.MH, [&](const QRectF& r) { runs.push_back(t.mapRect(r)); });
  c.FillRects(runs, 1);
}

}  // namespace Orv::Fmx
