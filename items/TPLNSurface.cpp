#include "TPLNSurface.h"

#include <cmath>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"
#include "TPLNText.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using namespace Orv::Fmx::TextDraw;

namespace {

TSkFont Font(const QString& family, bool bold, bool italic) {
  TSkFont f;
  f.Family = family.isEmpty() ? QStringLiteral("Arial") : family;
  f.Bold = bold;
  f.Italic = italic;
  return f;
}

// Font size per unit of ascent + descent: a text's height is the height of its line.
double SizePerHeight(const TSkFont& font) {
  TSkFont f = font;
  f.Size = 100;
  const TSkFontMetrics m = f.Metrics();
  const double h = std::abs(m.Ascent) + std::abs(m.Descent);
  return h > 0 ? 100.0 / h : 0.0;
}

// The screen font of a line `heightMM` high.
TSkFont ScreenFont(const TPLNDraw& d, const QString& family, bool bold, bool italic, double heightMM) {
  TSkFont font = Font(family, bold, italic);
  font.Size = float(d.GetDrawY(std::int64_t(std::llround(heightMM * 1000))) * SizePerHeight(font));
  return font;
}

}  // namespace

// ---------------------------------------------------------------- screen

TScreenSurface::TScreenSurface(TPLNDraw* d) : fD(d) {}

void TScreenSurface::Fill(const QPainterPath& path, TAlphaColor color) {
  TSkPaint& p = *fD->kP;
  p.PathEffect.reset();
  p.Style = TSkPaintStyle::Fill;
  p.AntiAlias = true;
  p.Color = color;
  fD->kC->DrawPath(TSkPath(path), p);
}

void TScreenSurface::Stroke(const QPainterPath& path, TAlphaColor color, double width, bool roundCap) {
  TSkPaint& p = *fD->kP;
  p.PathEffect.reset();
  p.Style = TSkPaintStyle::Stroke;
  p.AntiAlias = true;
  p.Color = color;
  p.StrokeWidth = float(width);
  p.StrokeCap = roundCap ? TSkStrokeCap::Round : TSkStrokeCap::Butt;
  p.StrokeJoin = TSkStrokeJoin::Miter;
  fD->kC->DrawPath(TSkPath(path), p);
}

void TScreenSurface::Outline(const QPainterPath& path, const TPLNBaseItem& item) {
  TSkPaint& p = *fD->kP;
  p.PathEffect.reset();
  SetupPen(fD, item);
  p.Style = TSkPaintStyle::Stroke;
  p.AntiAlias = true;
  fD->kC->DrawPath(TSkPath(path), p);
}

void TScreenSurface::Text(const QString& text, QPointF centre, float angle, const QString& family, bool bold,
                          bool italic, double heightMM, TAlphaColor color) {
  const TSkFont font = ScreenFont(*fD, family, bold, italic, heightMM);
  if (!(font.Size > 0) || text.isEmpty()) return;
  const TSkFontMetrics m = font.Metrics();
  const float w = font.MeasureText(text), h = std::abs(m.Ascent) + std::abs(m.Descent);
  ISkCanvas& c = *fD->kC;
  c.Save();
  c.Translate(float(centre.x()), float(centre.y()));
  if (angle != 0) c.Rotate(angle);
  SetupTextPaint(fD, color);
  c.DrawSimpleText(text, -w / 2, -h / 2 + std::abs(m.Ascent), font, *fD->kP);
  c.Restore();
}


// ---------------------------------------------------------------- paper

TPaperSurface::TPaperSurface(TPLNDraw* d) : fD(d) {}

void TPaperSurface::Fill(const QPainterPath& path, TAlphaColor color) {
  IPrintCanvas& c = *fD->pC;
  c.Fill.Kind = TBrushKind::Solid;
  c.Fill.Color = color;
  TPathData data;
  data.Path = path;
  c.FillPath(data, 1);
}

void TPaperSurface::Stroke(const QPainterPath& path, TAlphaColor color, double width, bool roundCap) {
  IPrintCanvas& c = *fD->pC;
  TStrokeBrush& s = c.Stroke;
  s.Kind = TBrushKind::Solid;
  s.Color = color;
  s.Dash = TStrokeDash::Solid;
  s.Thickness = float(width);
  s.Cap = roundCap ? TStrokeCap::Round : TStrokeCap::Flat;
  s.Join = TStrokeJoin::Miter;
  TPathData data;
  data.Path = path;
  c.DrawPath(data, 1);
}

void TPaperSurface::Outline(const QPainterPath& path, const TPLNBaseItem& item) {
  SetupPrintPen(fD, item);
  TPathData data;
  data.Path = path;
  fD->pC->DrawPath(data, 1);
}

void TPaperSurface::Text(const QString& text, QPointF centre, float angle, const QString& family, bool bold,
                         bool italic, double heightMM, TAlphaColor color) {
  TSkFont font = Font(family, bold, italic);
  font.Size = float(FontPrintSize(float(heightMM)) * SizePerHeight(font));
  if (!(font.Size > 0) || text.isEmpty()) return;
  IPrintCanvas& c = *fD->pC;
  c.Font = font;
  const QPointF size = GetTextSize(c, text), offset = GetInternalTextOffset(c, text);
  TPrintTextFrame turned(fD, 1, angle, centre, color);
  c.FillText(QRectF(-size.x() / 2 + offset.x(), -size.y() / 2 + offset.y(), 50000, 20000), text, false, 1,
             TTextAlign::Leading, TTextAlign::Leading);
}


}  // namespace Orv::Fmx
