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

// A closed polygon through `pts`.
void Polygon(QPainterPath& path, std::initializer_list<QPointF> pts) {
  bool first = true;
  for (const QPointF& p : pts) {
    if (first) path.moveTo(p);
    else path.lineTo(p);
    first = false;
  }
  path.closeSubpath();
}

// The lower edge of a sheet of paper from (l, b) to (r, b): down and then up, one quadratic
// curve for each half. The same curves on screen and on paper.
void WavyEdge(QPainterPath& path, double l, double r, double b, double w, double h) {
  const double cx = l + (r - l) / 2;
  path.quadTo(QPointF(l + w / 4, b + h / 6), QPointF(cx, b));
  path.quadTo(QPointF(r - w / 4, b - h / 6), QPointF(r, b));
}

}  // namespace

QPainterPath TPLNFlow::Outline(TORVFlowType type, const QRectF& box, std::vector<QPointF>* inner) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  const QRectF r = box.normalized();
  const double L = r.left(), T = r.top(), R = r.right(), B = r.bottom();
  const double w = r.width(), h = r.height(), cx = L + w / 2, cy = T + h / 2;
  switch (type) {
    case TORVFlowType::Terminator: {
      // Ends rounded by half the height; a box taller than wide rounds by half its width.
      const double rad = std::min(w, h) / 2;
      path.addRoundedRect(r, rad, rad);
      break;
    }
    case TORVFlowType::Process: path.addRect(r); break;
    case TORVFlowType::Document:
      path.moveTo(L, B);
      WavyEdge(path, L, R, B, w, h);
      path.lineTo(R, T);
      path.lineTo(L, T);
      path.closeSubpath();
      break;
    case TORVFlowType::MultiDocument: {
      const double d = w / 30, e = 2 * d;
      // The back and middle sheets show only where they stand out above and right of the front.
      Polygon(path, {{L + e, T}, {R, T}, {R, B - e}, {R - d, B - e}, {R - d, T + d}, {L + e, T + d}});
      Polygon(path, {{L + d, T + d}, {R - d, T + d}, {R - d, B - d}, {R - e, B - d}, {R - e, T + e}, {L + d, T + e}});
      path.moveTo(L, B);
      WavyEdge(path, L, R - e, B, w, h);
      path.lineTo(R - e, T + e);
      path.lineTo(L, T + e);
      path.closeSubpath();
      break;
    }
    case TORVFlowType::Decision: Polygon(path, {{cx, T}, {R, cy}, {cx, B}, {L, cy}}); break;
    case TORVFlowType::Data: Polygon(path, {{L + w / 8, T}, {R, T}, {R - w / 8, B}, {L, B}}); break;
    case TORVFlowType::Database: {
      const double a = h / 20;
      path.moveTo(L, B - a);
      path.lineTo(L, T + a);
      path.quadTo(QPointF(cx, T - a), QPointF(R, T + a));
      path.lineTo(R, B - a);
      path.quadTo(QPointF(cx, B + a), QPointF(L, B - a));
      path.closeSubpath();
      break;
    }
    case TORVFlowType::Predefined:
      path.addRect(r);
      if (inner) {
        const double x1 = L + w / 15, x2 = R - w / 15;
        inner->insert(inner->end(), {QPointF(x1, T), QPointF(x1, B), QPointF(x2, T), QPointF(x2, B)});
      }
      break;
    case TORVFlowType::ManualInput: Polygon(path, {{L, T + h / 8}, {R, T}, {R, B}, {L, B}}); break;
    case TORVFlowType::ManualOperation: Polygon(path, {{L, T}, {R, T}, {R - w / 8, B}, {L + w / 8, B}}); break;
    case TORVFlowType::Preparation:
      Polygon(path, {{L + w / 4, T}, {R - w / 4, T}, {R, cy}, {R - w / 4, B}, {L + w / 4, B}, {L, cy}});
      break;
    case TORVFlowType::Ellipse: path.addEllipse(r); break;
    case TORVFlowType::Start:
      path.moveTo(L + w / 8, T);
      path.lineTo(R - w / 8, T);
      path.lineTo(R, cy);
      path.lineTo(R - w / 8, B);
      path.lineTo(L + w / 8, B);
      path.cubicTo(QPointF(L, B - h / 4), QPointF(L, T + h / 4), QPointF(L + w / 8, T));
      path.closeSubpath();
      break;
    case TORVFlowType::Step:
      Polygon(path, {{L, T}, {R - w / 8, T}, {R, cy}, {R - w / 8, B}, {L, B}, {L + w / 8, cy}});
      break;
    case TORVFlowType::End:
      path.moveTo(L, T);
      path.lineTo(R - w / 8, T);
      path.cubicTo(QPointF(R, T + h / 4), QPointF(R, B - h / 4), QPointF(R - w / 8, B));
      path.lineTo(L, B);
      path.lineTo(L + w / 8, cy);
      path.closeSubpath();
      break;
  }
  return path;
}

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
