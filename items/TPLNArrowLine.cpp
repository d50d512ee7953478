#include "TPLNArrowLine.h"

#include <cmath>

#include "ORV.Dim.h"
#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {
constexpr double kDeg = 180.0 / 3.14159265358979323846;
// The measuring box of print text.
const QRectF kPrintTextBox(0, 0, 50000, 20000);
}  // namespace

void TPLNCaptionLayout::SetBox(std::int64_t width, std::int64_t height) {
  // The print anchor is the text's top-left corner; it reads along Angle with its top up.
  const double ux = std::cos(double(Angle)), uy = std::sin(double(Angle));
  const double w = double(width), h = double(height);
  auto at = [&](double along, double down) {
    return TORVPto{Utils::RoundHalfAway(double(Print.X) + ux * along - uy * down),
                   Utils::RoundHalfAway(double(Print.Y) + uy * along + ux * down)};
  };
  Box = {at(0, 0), at(w, 0), at(w, h), at(0, h)};
}

float DrawCaption(TPLNDraw* d, const TPLNCaption& c) {
  TSkFont font;
  font.Family = c.FontName;
  const TSkFontStyle style = GetFontStyle(c.Bold, c.Italic);
  font.Bold = style == TSkFontStyle::Bold || style == TSkFontStyle::BoldItalic;
  font.Italic = style == TSkFontStyle::Italic || style == TSkFontStyle::BoldItalic;
  font.Size = static_cast<float>(c.FontHeight * d->PixPerMM * c.Ratio);
  const float width = font.MeasureText(c.Text);
  TSkPaint& p = *d->kP;
  p.PathEffect = TSkPathEffect::MakeStrokeAndFill();
  p.Style = TSkPaintStyle::Fill;
  // A pen left by the previous item would embolden the glyphs by its width.
  p.StrokeWidth = 0;
  p.AntiAlias = true;
  p.Color = c.Color;
  ISkCanvas& k = *d->kC;
  const QPointF at = ScreenPos(*d, c.Screen);
  k.Save();
  k.Translate(float(at.x()), float(at.y()));
  if (c.Angle != 0) k.Rotate(float(c.Angle * kDeg));
  k.DrawSimpleText(c.Text, 0, 0, font, p);
  k.Restore();
  return width;
}

void PrintCaption(TPLNDraw* d, const TPLNCaption& c) {
  IPrintCanvas& pc = *d->pC;
  pc.Font.Family = c.FontName;
  pc.Font.Size = static_cast<float>(FontPrintSize(c.FontHeight) * c.Ratio);
  pc.Font.Bold = c.Bold;
  pc.Font.Italic = c.Italic;
  pc.Font.Underline = c.Underline;
  pc.Stroke.Color = c.Color;
  pc.Stroke.Thickness = 0;
  pc.Fill.Kind = TBrushKind::Solid;
  pc.Fill.Color = c.Color;
  const QPointF at = PrintPos(*d, c.Print);
  const QPointF offset = GetInternalTextOffset(pc, c.Text);
  const QTransform saved = pc.GetMatrix();
  const TORVDrawState state = d->DrawState;
  d->ResetMatrix(TORVDrawState::Printing);
  if (c.Angle != 0) d->Rotate(float(c.Angle * kDeg));
  d->Translate(float(at.x() + offset.x()), float(at.y() + offset.y()));
  // After whatever transform the print run set up for the page.
  d->LM = d->LM * saved;
  d->ApplyMatrix();
  pc.FillText(kPrintTextBox, c.Text, false, 1, TTextAlign::Leading, TTextAlign::Leading);
  pc.SetMatrix(saved);
  d->DrawState = state;
}

TPLNCaption TPLNArrowLine::Caption() const {
  TPLNCaption c;
  c.Text = GetText();
  c.FontName = GetFontName();
  c.FontHeight = GetFontHeight();
  c.Bold = Bold();
  c.Italic = Italic();
  c.Underline = Underline();
  c.Color = GetFontColor();
  return fLayout.With(c);
}

void TPLNArrowLine::CalcValues(std::int16_t mode) {
  TPLNBaseArrowLine::CalcValues(mode);
  fLayout.LaidOut = false;
  if (GetText().isEmpty() || NumPoints() < 4) return;
  std::int64_t asc = 0, des = 0;
  try {
    TPLNCalc::FontSettings(GetText(), GetFontName(), GetBaseFontHeight(), Bold(), Italic(), asc, des, fLayout.TextWidth,
                           fLayout.Ratio);
  } catch (const EPLNError&) {
    return;  // no such font: the line is drawn without its caption
  }
  const std::int64_t m = Owner() ? Owner()->GetCoordMultiplier() : 1;
  const std::int64_t height = GetBaseFontHeight() * m;
  const TORVPto a = GetPoint(1), b = GetPoint(2);
  TORVPto box1, box2;
  Utils::PosBaseLinesText(a.X, a.Y, b.X, b.Y, fLayout.TextWidth * m, height, asc * m, des * m, height / 4, GetTextPos(),
                          box1, box2, fLayout.Screen, fLayout.Print, fLayout.Angle);
  fLayout.SetBox(fLayout.TextWidth * m, (asc + des) * m);
  SetBase(3, box1.X, box1.Y);
  SetBase(4, box2.X, box2.Y);
  fLayout.LaidOut = true;
}

TORVBounds TPLNArrowLine::GetBounds() const {
  TORVBounds b = TPLNBaseArrowLine::GetBounds();
  if (ShowCaption())
    for (const TORVPto& p : fLayout.Box) b.Add(p);
  return b;
}

void TPLNArrowLine::DrawText(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || !ShowCaption()) return;
  fLayout.TextWidth = d->BaseValueY(DrawCaption(d, Caption()));
}

void TPLNArrowLine::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 4) return;
  if (ShowCaption()) DrawText(d);
  TSkPaint& p = *d->kP;
  p.Color = GetColor();
  p.StrokeCap = TSkStrokeCap::Butt;
  p.StrokeWidth = Utils::BasePtoY(GetPenWidth(), *d);
  AdjustLineType(d, GetLineType(), GetState());
  p.AntiAlias = true;
  const QPointF a = ScreenPos(*d, GetPoint(1)), b = ScreenPos(*d, GetPoint(2));
  auto line = [&](QPointF from, QPointF to) {
    d->kC->DrawLine(float(from.x()), float(from.y()), float(to.x()), float(to.y()), p);
  };
  if (ShowCaption() && CaptionInLine()) {
    line(a, ScreenPos(*d, GetPoint(3)));
    line(ScreenPos(*d, GetPoint(4)), b);
  } else {
    line(a, b);
  }
  DrawItemTerm(d, GetFromType(), GetColor(), GetFromColor(), GetSizeFrom(), a, b);
  DrawItemTerm(d, GetToType(), GetColor(), GetToColor(), GetSizeTo(), b, a);
}

void TPLNArrowLine::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 4) return;
  IPrintCanvas& c = *d->pC;
  SetupPrintPen(d, *this);
  const QPointF a = PrintPosWhole(*d, GetPoint(1)), b = PrintPosWhole(*d, GetPoint(2));
  if (ShowCaption() && CaptionInLine()) {
    c.DrawLine(a, PrintPosWhole(*d, GetPoint(3)), 1);
    c.DrawLine(PrintPosWhole(*d, GetPoint(4)), b, 1);
  } else {
    c.DrawLine(a, b, 1);
  }
  PrintItemTerm(d, GetFromType(), GetFromColor(), GetSizeFrom(), a, b, false);
  PrintItemTerm(d, GetToType(), GetToColor(), GetSizeTo(), b, a, false);
  if (ShowCaption()) PrintCaption(d, Caption());
}

TPLNArrowLine* TPLNArrowLine::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r,
                                   TORVReadType readType) {
  return ReadItem<TPLNArrowLine>(owner, version, r, readType);
}
TPLNArrowLine* TPLNArrowLine::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNArrowLine>(owner, version, o);
}

}  // namespace Orv::Fmx
