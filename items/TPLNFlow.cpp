#include "TPLNFlow.h"

#include <QRawFont>

#include <algorithm>
#include <cmath>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"
#include "TPLNText.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using namespace Orv::Fmx::TextDraw;

namespace {

// A line as drawn: without its breaks, and without the spaces a wrapped word left at its end,
// which the layout did not count in its width (an underline would run on under them).
QString LineText(const QString& text, const TORVTxtInf& line) {
  QString s = text.mid(line.Start - 1, line.Count);
  s.remove(QLatin1Char('\r'));
  s.remove(QLatin1Char('\n'));
  qsizetype n = s.size();
  while (n > 0 && s.at(n - 1) == QLatin1Char(' ')) --n;
  s.truncate(n);
  return s;
}

// How far above the baseline a strikeout runs: through the middle of the lower-case letters.
float StrikeRise(const TSkFont& font, const TSkFontMetrics& fm) {
  const QRawFont raw = font.ToRawFont();
  const float x = raw.isValid() ? float(raw.xHeight()) : 0.0f;
  return x > 0 ? x / 2 : std::abs(fm.Ascent) * 0.3f;
}

}  // namespace

// The text box is the element less its paddings, on paper: the layout works in paper units and
// the box shrinks by the drawing scale while the font does not.
void TPLNFlow::CalcValues(int mode) {
  TPLNBaseFlow::CalcValues(mode);
  Orv::Text::TORVTextMetrics m;
  TxtLines lines;
  try {
    TPLNCalc::FontSettings(GetFontName(), GetBaseFontHeight(), GetBold(), GetItalic(), m.Asc, m.Des, m.Und, m.Lh,
                           m.Ratio);
    m.Family = TPLNCalc::Font().Family;
    const std::int64_t mult = Owner() ? Owner()->GetCoordMultiplier() : 1;
    const std::int64_t w = BaseScaleWidth() / mult - 2 * GetBasePadX();
    const std::int64_t h = BaseScaleHeight() / mult - 2 * GetBasePadY();
    // A box without area holds no lines (a zero height would ask for an unbounded layout).
    if (!GetText().isEmpty() && w > 0 && h > 0)
      // The frame already lies inside the paddings: the layout keeps no second margin of its own.
      TPLNCalc::CalcFlowTxtPoints(GetText(), nullptr, lines, w, h, 0, 0, GetFlowType(),
                                  static_cast<float>(GetScaleX()));
  } catch (const EPLNError&) {
    // A font that cannot be made leaves the box without text rather than failing the drawing.
    m = {};
    lines.clear();
  }
  fMetrics = m;
  fLines = std::move(lines);
}

void TPLNFlow::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.AntiAlias = true;
  const QRectF box = QRectF(ScreenPos(*d, GetPoint(1)), ScreenPos(*d, GetPoint(2))).normalized();
  std::vector<QPointF> inner;
  const QPainterPath outline = Outline(GetFlowType(), box, &inner);
  if (!outline.isEmpty()) {
    const TSkPath path(outline);
    DrawAreaSteps(d, *this, [&](TAreaStep) { d->kC->DrawPath(path, p); });
    if (GetPenWidth() > 0)
      for (std::size_t i = 0; i + 1 < inner.size(); i += 2)
        d->kC->DrawLine(float(inner[i].x()), float(inner[i].y()), float(inner[i + 1].x()), float(inner[i + 1].y()), p);
  }

  // Drawing only reads the layout made when the box last changed: bitmap export draws its bands
  // on several threads at once.
  const QString text = GetText();
  if (text.isEmpty() || fMetrics.Ratio <= 0 || fLines.empty()) return;
  const TSkFont font = ScreenFont(*d, fMetrics.Family, GetFontHeight(), GetBold(), GetItalic(), fMetrics.Ratio);
  if (!(font.Size > 0)) return;
  const TSkFontMetrics fm = font.Metrics();
  const float asc = std::abs(fm.Ascent);
  const float strike = GetStrikeout() ? StrikeRise(font, fm) : 0.0f;

  d->kC->Save();
  d->kC->Translate(float(box.left() + d->DrawBasePtoX(GetBasePadX())),
                   float(box.top() + d->DrawBasePtoY(GetBasePadY())));
  for (const TORVTxtInf& line : fLines) {
    const QString s = LineText(text, line);
    if (s.isEmpty()) continue;
    const float x = d->DrawBasePtoX(line.X), y = d->DrawBasePtoY(line.Y) + asc;
    if (GetUnderline() || GetStrikeout()) {
      const float end = x + font.MeasureText(s);
      if (GetUnderline()) DrawUnderline(d, GetFontColor(), x, end, y + fm.UnderlinePosition);
      if (GetStrikeout()) DrawUnderline(d, GetFontColor(), x, end, y - strike);
    }
    SetupTextPaint(d, GetFontColor());
    d->kC->DrawSimpleText(s, x, y, font, p);
  }
  d->kC->Restore();
}

void TPLNFlow::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  IPrintCanvas& c = *d->pC;
  const QRectF box = QRectF(PrintPos(*d, GetPoint(1)), PrintPos(*d, GetPoint(2))).normalized();
  std::vector<QPointF> inner;
  TPathData path;
  path.Path = Outline(GetFlowType(), box, &inner);
  if (!path.IsEmpty()) {
    if (SetupPrintFill(d, *this)) c.FillPath(path, 1);
    if (GetPenWidth() > 0) {
      SetupPrintPen(d, *this);
      c.DrawPath(path, 1);
      for (std::size_t i = 0; i + 1 < inner.size(); i += 2) c.DrawLine(inner[i], inner[i + 1], 1);
    }
  }

  const QString text = GetText();
  if (text.isEmpty() || fMetrics.Ratio <= 0 || fLines.empty()) return;
  c.Font = PrintFont(fMetrics.Family, GetFontHeight(), GetBold(), GetItalic(), GetUnderline(), fMetrics.Ratio);
  if (!(c.Font.Size > 0)) return;
  const TSkFontMetrics fm = c.Font.Metrics();
  const float strike = GetStrikeout() ? StrikeRise(c.Font, fm) : 0.0f;
  const QPointF origin(box.left() + d->DrawBasePtoX(GetBasePadX()), box.top() + d->DrawBasePtoY(GetBasePadY()));
  TPrintTextFrame frame(d, 1, 0, origin, GetFontColor());
  // The strikeout is a plain solid line, whatever the outline (or an earlier item) left behind.
  c.Stroke.Kind = TBrushKind::Solid;
  c.Stroke.Dash = TStrokeDash::Solid;
  c.Stroke.Cap = TStrokeCap::Flat;
  c.Stroke.Thickness = std::max(fm.UnderlineThickness, 0.5f);
  for (const TORVTxtInf& line : fLines) {
    const QString s = LineText(text, line);
    if (s.isEmpty()) continue;
    const QRectF at(d->DrawBasePtoX(line.X), d->DrawBasePtoY(line.Y), 50000, 20000);
    c.FillText(at, s, false, 1, TTextAlign::Leading, TTextAlign::Leading);
    if (GetStrikeout()) {
      const double y = at.top() + std::abs(fm.Ascent) - strike;
      const double end =
          at.left() + c.MeasureText(at, s, false, TTextAlign::Leading, TTextAlign::Leading).width();
      c.DrawLine(QPointF(at.left(), y), QPointF(end, y), 1);
    }
  }
}

TPLNFlow* TPLNFlow::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNFlow>(owner, version, r, readType);
}
TPLNFlow* TPLNFlow::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNFlow>(owner, version, o);
}

}  // namespace Orv::Fmx
