#include "TPLNPolyText.h"

#include <cmath>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"
#include "TPLNText.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using namespace Orv::Fmx::TextDraw;
using Orv::Text::TORVPolyType;
using Orv::Text::TPLNDataPoly;

namespace {

// Where a run's top sits in the content's height: runs of different heights hang from the top,
// share their middle line or stand on the bottom.
float RunTop(TORVVertAlign align, float contentHeight, float runHeight) {
  switch (align) {
    case TORVVertAlign::Center: return (contentHeight - runHeight) / 2;
    case TORVVertAlign::Bottom: return contentHeight - runHeight;
    default: return 0;
  }
}

TORV2DPlacement Placement(const Text::TPLNBasePoly& item) {
  TORV2DPlacement p;
  p.ModuleW = item.GetBarWidth();
  p.ModuleH = item.GetBarHeight();
  p.PadX = item.GetPaddingX();
  p.PadY = item.GetPaddingY();
  p.HorzAlign = item.GetHorzAlign();
  p.VertAlign = item.GetVertAlign();
  p.Angle = item.GetAngle();
  return p;
}

// A code that cannot be shown: a red cross over the box, on the editor's surface only.
void DrawCross(TPLNDraw* d, const QRectF& r) {
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.Style = TSkPaintStyle::Stroke;
  p.StrokeCap = TSkStrokeCap::Butt;
  p.StrokeWidth = d->DrawBasePtoY(100);
  p.AntiAlias = true;
  p.Color = 0xFFFF0000u;
  d->kC->DrawLine(float(r.left()), float(r.top()), float(r.right()), float(r.bottom()), p);
  d->kC->DrawLine(float(r.right()), float(r.top()), float(r.left()), float(r.bottom()), p);
}

}  // namespace

void TPLNPolyText::CalcValues(int mode) {
  for (TPLNDataPoly& run : fRuns) {
    std::int64_t asc = 0, des = 0, und = 0, lh = 0;
    double ratio = 0;
    try {
      TPLNCalc::FontSettings(run.GetFontName(), run.GetBaseFontHeight(), run.GetBold(), run.GetItalic(), asc, des,
                             und, lh, ratio);
      const QString family = TPLNCalc::Font().Family;
      const QString text = RunText(run);
      const std::int64_t width = text.isEmpty() ? 0 : TPLNCalc::CalcTxtSize(text);
      run.SetBaseSize(width, asc, des, ratio, family);
    } catch (const EPLNError&) {
      run.SetBaseSize(0, 0, 0, 0);
    }
  }
  TPLNBasePoly::CalcValues(mode);
}

void TPLNPolyText::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 1 || fBox.IsEmpty()) return;
  const QPointF anchor = ScreenPos(*d, GetPoint(1));
  const QRectF box = QRectF(ScreenPos(*d, {fBox.X1, fBox.Y1}), ScreenPos(*d, {fBox.X2, fBox.Y2})).normalized();
  DrawTextFrame(d, *this, box, GetBaseRadio());

  switch (GetPolyType()) {
    case TORVPolyType::Barcode:
      if (IsValid())
        DrawBarcode(d, *this, Linear(), anchor, GetColor());
      else if (d->DrawState == TORVDrawState::Editor)
        DrawCross(d, box);
      return;
    case TORVPolyType::QRCode:
    case TORVPolyType::DataMatrix:
      if (IsValid())
        Draw2DCode(d, Matrix(), Placement(*this), anchor, GetColor());
      else if (d->DrawState == TORVDrawState::Editor)
        DrawCross(d, box);
      return;
    default: break;
  }

  // Runs: one after the other along the line, each as wide as it measured, no gap between.
  const float padX = d->DrawBasePtoX(double(GetBasePadX())), padY = d->DrawBasePtoY(double(GetBasePadY()));
  const float width = d->DrawBasePtoX(double(RunsWidth())), height = d->DrawBasePtoY(double(RunsHeight()));
  double ox = 0, oy = 0;
  Utils::DrawTxtPos(ox, oy, anchor.x(), anchor.y(), padX, padY, width, height, GetHorzAlign(), GetVertAlign(),
                    GetAngle());
  d->kC->Save();
  d->kC->Translate(float(ox), float(oy));
  if (GetAngle() != TORVAngle::A0) d->kC->Rotate(Utils::PrintAngle(GetAngle()));
  float x = 0;
  for (const TPLNDataPoly& run : fRuns) {
    const QString text = RunText(run);
    if (run.GetRatio() > 0 && !text.isEmpty()) {
      const TSkFont font =
          ScreenFont(*d, run.GetFamily(), run.GetFontHeight(), run.GetBold(), run.GetItalic(), run.GetRatio());
      if (font.Size > 0) {
        const float top = RunTop(GetVertAlign(), height, d->DrawBasePtoY(double(run.GetBaseHeight())));
        SetupTextPaint(d, run.GetColor());
        d->kC->DrawSimpleText(text, x, top + d->DrawBasePtoY(double(run.GetBaseAscent())), font, *d->kP);
      }
    }
    x += d->DrawBasePtoX(double(run.GetBaseWidth()));
  }
  d->kC->Restore();
}

void TPLNPolyText::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 1 || fBox.IsEmpty()) return;
  IPrintCanvas& c = *d->pC;
  const QPointF anchor = PrintPos(*d, GetPoint(1));
  const QRectF box = QRectF(PrintPos(*d, {fBox.X1, fBox.Y1}), PrintPos(*d, {fBox.X2, fBox.Y2})).normalized();
  PrintTextFrame(d, *this, box, GetBaseRadio());

  switch (GetPolyType()) {
    case TORVPolyType::Barcode:
      // An invalid code prints nothing: its cross is for the editor only.
      if (IsValid()) PrintBarcode(d, *this, Linear(), anchor, GetColor());
      return;
    case TORVPolyType::QRCode:
    case TORVPolyType::DataMatrix:
      if (IsValid()) Print2DCode(d, Matrix(), Placement(*this), anchor, GetColor());
      return;
    default: break;
  }

  // The runs sit where the screen puts them (the measured widths and heights); only the glyphs
  // come from the print fonts.
  const float padX = d->DrawBasePtoX(double(GetBasePadX())), padY = d->DrawBasePtoY(double(GetBasePadY()));
  const float width = d->DrawBasePtoX(double(RunsWidth())), height = d->DrawBasePtoY(double(RunsHeight()));
  double ox = 0, oy = 0;
  Utils::DrawTxtPos(ox, oy, anchor.x(), anchor.y(), padX, padY, width, height, GetHorzAlign(), GetVertAlign(),
                    GetAngle());
  TPrintTextFrame turned(d, 1, Utils::PrintAngle(GetAngle()), QPointF(ox, oy), GetColor());
  float x = 0;
  for (const TPLNDataPoly& run : fRuns) {
    const QString text = RunText(run);
    if (run.GetRatio() > 0 && !text.isEmpty()) {
      c.Font = PrintFont(run.GetFamily(), run.GetFontHeight(), run.GetBold(), run.GetItalic(), false, run.GetRatio());
      if (c.Font.Size > 0) {
        const float top = RunTop(GetVertAlign(), height, d->DrawBasePtoY(double(run.GetBaseHeight())));
        const QPointF offset = GetInternalTextOffset(c, text);
        c.Fill.Color = run.GetColor();
        c.Stroke.Color = run.GetColor();
        c.FillText(QRectF(x + offset.x(), top + offset.y(), 50000, 20000), text, false, 1, TTextAlign::Leading,
                   TTextAlign::Leading);
      }
    }
    x += d->DrawBasePtoX(double(run.GetBaseWidth()));
  }
}

TPLNPolyText* TPLNPolyText::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r,
                                 TORVReadType readType) {
  return ReadItem<TPLNPolyText>(owner, version, r, readType);
}
TPLNPolyText* TPLNPolyText::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNPolyText>(owner, version, o);
}

}  // namespace Orv::Fmx
