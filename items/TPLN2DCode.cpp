#include "TPLN2DCode.h"

#include "ORV.Text.h"
#include "TPLNText.h"

namespace Orv::Fmx::Codes2D {

using namespace Orv::Canvas;
using Barcode::TORVModuleMatrix;

namespace {

// The box of a symbol of `m`'s size on the device, placed as PlaceBox places the item's own.
QRectF SymbolBox(const TPLNDraw& d, const TORV2DPlacement& place, const TORVModuleMatrix& m, QPointF anchor) {
  const double kx = d.DrawBasePtoX(1000.0), ky = d.DrawBasePtoY(1000.0);
  return Utils::AdjustRect(anchor.x(), anchor.y(), place.PadX * kx, place.PadY * ky, m.Cols * place.ModuleW * kx,
                           m.Rows * place.ModuleH * ky, place.HorzAlign, place.VertAlign, place.Angle);
}

}  // namespace

TORV2DPlacement Placement(const Barcode::TPLNBase2DCode& item) {
  TORV2DPlacement p;
  p.ModuleW = item.GetBarWidth() * item.GetRatio();
  p.ModuleH = item.GetBarHeight() * item.GetRatio();
  p.PadX = item.GetPaddingX();
  p.PadY = item.GetPaddingY();
  p.HorzAlign = item.GetHorzAlign();
  p.VertAlign = item.GetVertAlign();
  p.Angle = item.GetAngle();
  return p;
}

const TORVModuleMatrix& Shown(const Barcode::TPLNBase2DCode& item, const TPLNBaseDraw& draw,
                              TORVModuleMatrix& scratch) {
  if (item.FillType() == 0 || !TextDraw::ShowsData(draw)) return item.Matrix();
  const QString value = TextDraw::PrintedText(item, &draw);
  if (value == item.GetText()) return item.Matrix();
  item.EncodeCode(value, scratch, nullptr);
  return scratch;
}

void Draw(const Barcode::TPLNBase2DCode& item, TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || !d->kP || item.NumPoints() < 1) return;
  TORVModuleMatrix scratch;
  const TORVModuleMatrix& m = Shown(item, *d, scratch);
  const QPointF anchor = ScreenPos(*d, item.GetPoint(1));
  if (!m.IsEmpty()) {
    const TORV2DPlacement place = Placement(item);
    if (ShowsFill(item)) {
      SetupFill(d, item.GetBackColor(), true);
      d->kP->AntiAlias = false;
      d->kC->DrawRect(SymbolBox(*d, place, m, anchor), *d->kP);
    }
    Draw2DCode(d, m, place, anchor, item.GetColor());
  }
  if (item.GetIsData() && d->DrawState == TORVDrawState::Editor) DrawData(d, float(anchor.x()), float(anchor.y()));
}

void Print(const Barcode::TPLNBase2DCode& item, TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || item.NumPoints() < 1) return;
  // Paper always shows a data field's value.
  TORVModuleMatrix scratch;
  const TORVModuleMatrix* m = &item.Matrix();
  if (item.FillType() != 0) {
    const QString value = TextDraw::PrintedText(item, d);
    if (value != item.GetText()) {
      item.EncodeCode(value, scratch, nullptr);
      m = &scratch;
    }
  }
  if (m->IsEmpty()) return;
  const TORV2DPlacement place = Placement(item);
  const QPointF anchor = PrintPos(*d, item.GetPoint(1));
  if (SetupPrintFill(d, item)) d->pC->FillRect(SymbolBox(*d, place, *m, anchor), 0, 0, 0, 1, TCornerType::Round);
  Print2DCode(d, *m, place, anchor, item.GetColor());
}

}  // namespace Orv::Fmx::Codes2D
