#include "ORV.FMX.Editor.Settings.h"

#include <algorithm>

#include "ORV.FMX.Editor.Surface.h"
#include "ORV.FMX.Editor.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

double ZoomStepFactor(TORVZoom z) {
  static const double factors[] = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 3.5, 4.0, 4.5, 5.0};
  return z <= zm500 ? factors[z] : 0.0;
}

int ScalePos(int value, int dpi) { return static_cast<int>(Utils::RoundHalfAway(value * dpi / 96.0)); }

// ---------------------------------------------------------------- rulers

void TPLNRulers::Assign(const TPLNRulers& s) {
  fVisible = s.fVisible;
  fSize = s.fSize;
  fFont = s.fFont;
  fFontColor = s.fFontColor;
  fColor = s.fColor;
  fTickColor = s.fTickColor;
  fMarkColor = s.fMarkColor;
  fToColor = s.fToColor;
  fSizeColor = s.fSizeColor;
  fShowSize = s.fShowSize;
  fShowAlign = s.fShowAlign;
  fStyle = s.fStyle;
  GuideX = s.GuideX;
  GuideY = s.GuideY;
  Changed(true);
}

void TPLNRulers::SetVisible(std::uint8_t sides) {
  sides &= rvLeft | rvTop | rvRight | rvBottom;
  if (sides == fVisible) return;
  fVisible = sides;
  Changed(true);
}

void TPLNRulers::SetSize(int size) {
  const auto v = static_cast<std::uint16_t>(std::clamp(size, 18, 30));
  if (v == fSize) return;
  fSize = v;
  Changed(true);
}

void TPLNRulers::SetFont(const Canvas::TSkFont& font) {
  if (font.Family == fFont.Family && font.Size == fFont.Size && font.Bold == fFont.Bold && font.Italic == fFont.Italic)
    return;
  fFont = font;
  Changed(false);
}

void TPLNRulers::SetShowSize(bool b) {
  if (b == fShowSize) return;
  fShowSize = b;
  Changed(false);
}

void TPLNRulers::SetShowAlign(bool b) {
  if (b == fShowAlign) return;
  fShowAlign = b;
  Changed(false);
}

void TPLNRulers::SetStyle(TORVRulerStyle s) {
  if (s == fStyle) return;
  fStyle = s;
  Changed(false);
}

void TPLNRulers::SetColorValue(TAlphaColor& field, TAlphaColor c) {
  if (field == c) return;
  field = c;
  Changed(false);
}

void TPLNRulers::Changed(bool resize) {
  if (fOwner) fOwner->UpdateRulers(resize);
}

// ---------------------------------------------------------------- grid

void TPLNGrid::Assign(const TPLNGrid& s) {
  fStepColor = s.fStepColor;
  fUnitsColor = s.fUnitsColor;
  fIncX = s.fIncX;
  fIncY = s.fIncY;
  fStyle = s.fStyle;
  Changed();
}

void TPLNGrid::SetStepColor(TAlphaColor c) {
  if (c == fStepColor) return;
  fStepColor = c;
  Changed();
}

void TPLNGrid::SetUnitsColor(TAlphaColor c) {
  if (c == fUnitsColor) return;
  fUnitsColor = c;
  Changed();
}

void TPLNGrid::SetStyle(TORVGridDraw s) {
  if (s == fStyle) return;
  fStyle = s;
  Changed();
}

TORVUnits TPLNGrid::Units() const { return fOwner ? fOwner->Units() : TORVUnits::mm; }

std::int64_t TPLNGrid::Scale() const { return std::max<std::int64_t>(1, fOwner ? fOwner->DrawScale() : 1); }

std::int32_t TPLNGrid::Clamp(std::int64_t step) const {
  const std::int64_t hi = std::max<std::int64_t>(100, 1000000 / Scale());
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(step, 100, hi));
}

void TPLNGrid::SetInc(std::int32_t& field, double v) {
  // Stored as it lies on paper, so the step keeps its look when the scale changes.
  const std::int32_t step = Clamp(Utils::SetValue(v, Units()) / Scale());
  if (step == field) return;
  field = step;
  Changed();
}

void TPLNGrid::SetIncX(double v) { SetInc(fIncX, v); }
void TPLNGrid::SetIncY(double v) { SetInc(fIncY, v); }
std::int64_t TPLNGrid::BaseIncX() const { return std::int64_t(Clamp(fIncX)) * Scale(); }
std::int64_t TPLNGrid::BaseIncY() const { return std::int64_t(Clamp(fIncY)) * Scale(); }
double TPLNGrid::GetIncX() const { return Utils::GetValue(BaseIncX(), Units()); }
double TPLNGrid::GetIncY() const { return Utils::GetValue(BaseIncY(), Units()); }
double TPLNGrid::GetIncMMX() const { return BaseIncX() / 1000.0; }
double TPLNGrid::GetIncMMY() const { return BaseIncY() / 1000.0; }
double TPLNGrid::MinInc() const { return Utils::GetValue(100 * Scale(), Units()); }
double TPLNGrid::MaxInc() const {
  return Utils::GetValue(std::max<std::int64_t>(100, 1000000 / Scale()) * Scale(), Units());
}

void TPLNGrid::Changed() {
  if (fOwner) fOwner->DrawEditor();
}

// ---------------------------------------------------------------- selection colours

void TPLNSelColors::Assign(const TPLNSelColors& s) {
  Center = s.Center;
  Radio = s.Radio;
  SizeColor = s.SizeColor;
  FixColor = s.FixColor;
  SelectionRect = s.SelectionRect;
  SelectionItem = s.SelectionItem;
  Draw = s.Draw;
  Point = s.Point;
  Bezier = s.Bezier;
  Link = s.Link;
  Align = s.Align;
  AlignText = s.AlignText;
  RefLine = s.RefLine;
  RefPoint = s.RefPoint;
  SetLinkPoint(s.fLinkPoint);
}

void TPLNSelColors::SetLinkPoint(TAlphaColor c) {
  fLinkPoint = c;
  if (fOwner && fOwner->Surface()) fOwner->Surface()->DrawContext().aLinkPoint = c;
}

}  // namespace Orv::Fmx
