// Rulers along the page, the grid over it and the alignment guides.
#include <algorithm>
#include <cmath>

#include "ORV.FMX.Editor.Surface.h"
#include "ORV.FMX.Editor.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {

bool Whole(double v) { return std::abs(v - std::round(v)) < 0.001; }

// "0.#": one decimal, none when it is zero.
QString ReadOut(double v) {
  QString s = Utils::FormatFloat(v, 1);
  if (s.endsWith(QLatin1String(".0"))) s.chop(2);
  return s;
}

// A grid finer than this many device pixels would be a grey tone, not a grid.
constexpr double kMinGridPx = 4;

}  // namespace

TPLNBackEditor::TTickPos TPLNBackEditor::CheckTickPos(bool vertical) const {
  TTickPos t;
  const TORVUnits units = fEditor->Units();
  const std::int64_t scale = Scale();
  // Extent: the page, or the far edge of the surface while the page runs past it.
  const std::int64_t pageBase = (vertical ? fPageBaseH : fPageBaseW) * scale;
  const int farEdge = vertical ? height() - fRulerB : width() - fRulerR;
  const double pageEnd = (vertical ? TranslateY() : TranslateX()) + (vertical ? fPageZH : fPageZW);
  t.Extent = pageEnd > farEdge ? Utils::GetValue(vertical ? BaseMMY(farEdge) : BaseMMX(farEdge), units)
                               : Utils::GetValue(pageBase, units);
  const auto pixels = [&](double v) { return vertical ? CoordDY(v, false) : CoordDX(v, false); };
  const auto exact = [&](double v) {
    return v * (vertical ? fDPIY : fDPIX) * fEditor->ZoomFactor() / (double(scale) * 25400.0 / Utils::UnitFactor(units));
  };
  static const std::vector<double> mm{0.5, 1, 2, 5, 10}, inch{0.1, 0.2, 0.5, 1, 2, 5, 10}, cm{0.2, 0.5, 1, 2, 5, 10},
      other{0.1, 0.2, 0.5, 1, 2, 5, 10, 50, 100};
  const std::vector<double>& steps =
      units == TORVUnits::mm ? mm : units == TORVUnits::inch ? inch : units == TORVUnits::cm ? cm : other;
  t.Minor = 1000;
  for (double s : steps) {
    if (pixels(s) >= 5) {
      t.Minor = s;
      break;
    }
  }
  t.MinorPx = exact(t.Minor);
  for (double s : other) {
    if ((s == 0.5 && t.Minor == 0.2) || (s == 5 && t.Minor == 2)) continue;
    if (pixels(s) > 20) {
      t.Label = s;
      break;
    }
  }
  return t;
}

void TPLNBackEditor::PaintRulers(ISkCanvas& canvas) {
  if (!(fRulerL || fRulerT || fRulerR || fRulerB)) return;
  const TPLNRulers& r = fEditor->Rulers();
  const float w = static_cast<float>(width()), h = static_cast<float>(height());
  TSkPaint back;
  back.Color = r.GetColor();
  if (fRulerL) canvas.DrawRect(QRectF(0, 0, fRulerL, h), back);
  if (fRulerR) canvas.DrawRect(QRectF(w - fRulerR, 0, fRulerR, h), back);
  if (fRulerT) canvas.DrawRect(QRectF(0, 0, w, fRulerT), back);
  if (fRulerB) canvas.DrawRect(QRectF(0, h - fRulerB, w, fRulerB), back);
  TSkFont font = r.GetFont();
  font.Size = static_cast<float>(ScalePos(static_cast<int>(std::lround(font.Size)), fDPIY));
  TSkPaint text;
  text.Color = r.GetFontColor();
  text.AntiAlias = true;
  text.PathEffect = TSkPathEffect::MakeStrokeAndFill();
  const TSkFontMetrics m = font.Metrics();
  const float textHeight = std::abs(m.Ascent) + std::abs(m.Descent);
  if (fRulerL || fRulerR) PaintLeftRightRuler(canvas, back, text, font, textHeight);
  if (fRulerT || fRulerB) PaintTopBottomRuler(canvas, back, text, font, textHeight);
}

void TPLNBackEditor::PaintTopBottomRuler(ISkCanvas& canvas, const TSkPaint&, const TSkPaint& textPaint,
                                         const TSkFont& font, float textHeight) {
  const TPLNRulers& r = fEditor->Rulers();
  const int w = width(), h = height();
  const int lo = fRulerL, hi = w - fRulerR;  // between the side rulers
  const TTickPos t = CheckTickPos(false);
  const TSkFontMetrics m = font.Metrics();
  const TORVUnits units = fEditor->Units();
  const bool outer = r.GetStyle() == rsStyle02;
  struct Side {
    int Thickness;
    int Top;    // the ruler's rows: Top .. Top + Thickness
    int Inner;  // the edge next to the page
    int Dir;    // from the inner edge outwards
  };
  const Side sides[] = {{fRulerT, 0, fRulerT, -1}, {fRulerB, h - fRulerB, h - fRulerB, 1}};
  TSkPaint fill;
  for (const Side& s : sides) {
    if (s.Thickness <= 0) continue;
    // Over the page the ruler is light.
    const double p1 = std::max<double>(lo, TranslateX()), p2 = std::min<double>(hi, TranslateX() + fPageZW);
    fill.Color = r.GetToColor();
    if (p2 > p1) canvas.DrawRect(QRectF(p1, s.Top, p2 - p1, s.Thickness), fill);
    if (r.GetShowSize()) {
      const double left = fEditor->SizeSelection(1);
      if (left >= 0) {
        const int x1 = std::max(lo, CoordDX(left, true)), x2 = std::min(hi, CoordDX(fEditor->SizeSelection(2), true));
        fill.Color = r.GetSizeColor();
        if (x2 > x1) canvas.DrawRect(QRectF(x1, s.Dir < 0 ? s.Inner - 2 : s.Inner, x2 - x1, 2), fill);
      }
    }
    const TSkPaint tick = Hairline(r.GetTickColor());
    if (t.MinorPx >= 2) {
      const double first = Utils::GetValue(BaseMMX(lo), units);
      const std::int64_t k0 = std::max<std::int64_t>(0, static_cast<std::int64_t>(std::floor(first / t.Minor)) - 1);
      for (std::int64_t k = k0;; ++k) {
        const double v = k * t.Minor;
        if (v > t.Extent + 1e-9) break;
        const int x = CoordDX(v, true);
        if (x > hi) break;
        if (x < lo) continue;
        if (t.Label > 0 && Whole(v / t.Label)) {
          const QString label = Utils::FormatFloat(v, t.Label >= 1 || Whole(v) ? 0 : 1);
          const float tw = font.MeasureText(label);
          const float base = s.Top + (s.Thickness + std::abs(m.Ascent) - std::abs(m.Descent)) / 2;
          canvas.DrawSimpleText(label, x - tw / 2, base, font, textPaint);
          continue;
        }
        const int len = Whole(v) ? 8 : 4;
        const float fx = x + 0.5f;
        if (outer) {
          const float edge = s.Dir < 0 ? 0.0f : float(h);
          canvas.DrawLine(fx, edge, fx, edge - s.Dir * len, tick);
        } else {
          canvas.DrawLine(fx, float(s.Inner), fx, float(s.Inner + s.Dir * len), tick);
        }
      }
    }
    if (r.GetShowAlign()) {
      const double gv = Utils::GetValue(r.GuideX, units);
      const int x = CoordDX(gv, true);
      if (x >= lo && x <= hi) {
        // A small triangle pointing at the page.
        TSkPathBuilder b;
        const float tip = float(s.Inner), base = float(s.Inner - s.Dir * 6);
        b.MoveTo(x + 0.5f, tip);
        b.LineTo(x - 4.5f, base);
        b.LineTo(x + 5.5f, base);
        b.Close();
        fill.Color = r.GetMarkColor();
        canvas.DrawPath(b.Detach(), fill);
        if (r.DragGuide == 1) {
          const QString value = ReadOut(gv);
          canvas.DrawSimpleText(value, x + 7, s.Top + textHeight, font, textPaint);
        }
      }
    }
  }
}

void TPLNBackEditor::PaintLeftRightRuler(ISkCanvas& canvas, const TSkPaint&, const TSkPaint& textPaint,
                                         const TSkFont& font, float) {
  const TPLNRulers& r = fEditor->Rulers();
  const int w = width(), h = height();
  const int lo = fRulerT, hi = h - fRulerB;
  const TTickPos t = CheckTickPos(true);
  const TSkFontMetrics m = font.Metrics();
  const TORVUnits units = fEditor->Units();
  const bool outer = r.GetStyle() == rsStyle02;
  struct Side {
    int Thickness;
    int Left;
    int Inner;
    int Dir;
  };
  const Side sides[] = {{fRulerL, 0, fRulerL, -1}, {fRulerR, w - fRulerR, w - fRulerR, 1}};
  TSkPaint fill;
  for (const Side& s : sides) {
    if (s.Thickness <= 0) continue;
    const double p1 = std::max<double>(lo, TranslateY()), p2 = std::min<double>(hi, TranslateY() + fPageZH);
    fill.Color = r.GetToColor();
    if (p2 > p1) canvas.DrawRect(QRectF(s.Left, p1, s.Thickness, p2 - p1), fill);
    if (r.GetShowSize()) {
      const double top = fEditor->SizeSelection(3);
      if (top >= 0) {
        const int y1 = std::max(lo, CoordDY(top, true)), y2 = std::min(hi, CoordDY(fEditor->SizeSelection(4), true));
        fill.Color = r.GetSizeColor();
        if (y2 > y1) canvas.DrawRect(QRectF(s.Dir < 0 ? s.Inner - 2 : s.Inner, y1, 2, y2 - y1), fill);
      }
    }
    const TSkPaint tick = Hairline(r.GetTickColor());
    if (t.MinorPx >= 2) {
      const double first = Utils::GetValue(BaseMMY(lo), units);
      const std::int64_t k0 = std::max<std::int64_t>(0, static_cast<std::int64_t>(std::floor(first / t.Minor)) - 1);
      for (std::int64_t k = k0;; ++k) {
        const double v = k * t.Minor;
        if (v > t.Extent + 1e-9) break;
        const int y = CoordDY(v, true);
        if (y > hi) break;
        if (y < lo) continue;
        if (t.Label > 0 && Whole(v / t.Label)) {
          // Labels read upwards along the side rulers.
          const QString label = Utils::FormatFloat(v, t.Label >= 1 || Whole(v) ? 0 : 1);
          const float tw = font.MeasureText(label);
          canvas.Save();
          canvas.Translate(s.Left + (s.Thickness + std::abs(m.Ascent) - std::abs(m.Descent)) / 2.0f, float(y));
          canvas.Rotate(-90);
          canvas.DrawSimpleText(label, -tw / 2, 0, font, textPaint);
          canvas.Restore();
          continue;
        }
        const int len = Whole(v) ? 8 : 4;
        const float fy = y + 0.5f;
        if (outer) {
          const float edge = s.Dir < 0 ? 0.0f : float(w);
          canvas.DrawLine(edge, fy, edge - s.Dir * len, fy, tick);
        } else {
          canvas.DrawLine(float(s.Inner), fy, float(s.Inner + s.Dir * len), fy, tick);
        }
      }
    }
    if (r.GetShowAlign()) {
      const double gv = Utils::GetValue(r.GuideY, units);
      const int y = CoordDY(gv, true);
      if (y >= lo && y <= hi) {
        TSkPathBuilder b;
        const float tip = float(s.Inner), base = float(s.Inner - s.Dir * 6);
        b.MoveTo(tip, y + 0.5f);
        b.LineTo(base, y - 4.5f);
        b.LineTo(base, y + 5.5f);
        b.Close();
        fill.Color = r.GetMarkColor();
        canvas.DrawPath(b.Detach(), fill);
        if (r.DragGuide == 2) {
          const QString value = ReadOut(gv);
          canvas.DrawSimpleText(value, float(s.Left + 1), y - 7.0f, font, textPaint);
        }
      }
    }
  }
}

void TPLNBackEditor::DrawGrid(ISkCanvas& canvas, TSkPaint& paint) {
  const TPLNGrid& g = fEditor->Grid();
  const std::int64_t sx = g.BaseIncX(), sy = g.BaseIncY();
  if (sx <= 0 || sy <= 0 || g.GetStyle() == gdNone) return;
  const std::int64_t scale = Scale();
  const std::int64_t pageW = (fPageBaseW > 0 ? fPageBaseW : 200000) * scale;
  const std::int64_t pageH = (fPageBaseH > 0 ? fPageBaseH : 200000) * scale;
  const double zoom = fEditor->ZoomFactor();
  if (BaseToScreenX(sx) * zoom < kMinGridPx || BaseToScreenY(sy) * zoom < kMinGridPx) return;
  // Only the steps over the surface: k runs over what lies between its edges.
  const auto range = [&](std::int64_t step, std::int64_t extent, double origin, int size, bool vertical) {
    const double perStep = (vertical ? BaseToScreenY(step) : BaseToScreenX(step)) * zoom;
    const std::int64_t first = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::floor(-origin / perStep)));
    const std::int64_t last = std::min<std::int64_t>((extent - 1) / step, static_cast<std::int64_t>(std::ceil((size - origin) / perStep)));
    return std::pair{first, last};
  };
  const auto [kx1, kx2] = range(sx, pageW, TranslateX(), width(), false);
  const auto [ky1, ky2] = range(sy, pageH, TranslateY(), height(), true);
  paint.AntiAlias = false;
  paint.StrokeWidth = 0;
  paint.PathEffect.reset();
  // Whole units on paper stand out: inches where the rulers count in inches (or feet and yards),
  // else centimetres.
  const TORVUnits u = fEditor->Units();
  const bool imperial = u == TORVUnits::inch || u == TORVUnits::foot || u == TORVUnits::yard;
  const std::int64_t unit = (imperial ? 25400 : 10000) * scale;
  if (g.GetStyle() == gdLines) {
    const float right = static_cast<float>(BaseToScreenX(pageW)), bottom = static_cast<float>(BaseToScreenY(pageH));
    TSkPathBuilder steps, units;
    for (std::int64_t k = ky1; k <= ky2; ++k) {
      const float y = static_cast<float>(BaseToScreenY(k * sy));
      TSkPathBuilder& b = (k * sy) % unit == 0 ? units : steps;
      b.MoveTo(0, y);
      b.LineTo(right, y);
    }
    for (std::int64_t k = kx1; k <= kx2; ++k) {
      const float x = static_cast<float>(BaseToScreenX(k * sx));
      TSkPathBuilder& b = (k * sx) % unit == 0 ? units : steps;
      b.MoveTo(x, 0);
      b.LineTo(x, bottom);
    }
    paint.Style = TSkPaintStyle::Stroke;
    paint.Color = g.GetStepColor();
    canvas.DrawPath(steps.Detach(), paint);
    paint.Color = g.GetUnitsColor();
    canvas.DrawPath(units.Detach(), paint);
  } else {
    // One device pixel per intersection; the canvas carries the zoom.
    const float dot = static_cast<float>(1.0 / zoom);
    TSkPathBuilder b;
    for (std::int64_t m = ky1; m <= ky2; ++m) {
      const float y = static_cast<float>(BaseToScreenY(m * sy));
      for (std::int64_t k = kx1; k <= kx2; ++k) b.AddRect(QRectF(BaseToScreenX(k * sx), y, dot, dot));
    }
    paint.Style = TSkPaintStyle::Fill;
    paint.Color = g.GetStepColor();
    canvas.DrawPath(b.Detach(), paint);
  }
}

void TPLNBackEditor::DrawAlignLines(ISkCanvas& canvas) {
  const TPLNRulers& r = fEditor->Rulers();
  if (!r.GetShowAlign() || !fEditor->GetLabel()) return;
  TSkPaint p = Hairline(fEditor->SelectionColors().Align);
  p.StrokeWidth = 1;
  p.PathEffect = TSkPathEffect::MakeDash({4, 4}, 0);
  const TORVUnits units = fEditor->Units();
  const int w = width(), h = height();
  const int x = CoordDX(Utils::GetValue(r.GuideX, units), true);
  if (x > fRulerL && x < w - fRulerR) canvas.DrawLine(x + 0.5f, float(fRulerT), x + 0.5f, float(h - fRulerB), p);
  const int y = CoordDY(Utils::GetValue(r.GuideY, units), true);
  if (y > fRulerT && y < h - fRulerB) canvas.DrawLine(float(fRulerL), y + 0.5f, float(w - fRulerR), y + 0.5f, p);
}

}  // namespace Orv::Fmx
