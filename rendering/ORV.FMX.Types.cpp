#include "ORV.FMX.Types.h"

#include <QFontDatabase>
#include <algorithm>
#include <cmath>

#include "ORV.Base.h"
#include "ORV.Draw2D.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {
float gFontPrintDPI = 96.0f;

int Luminance(QRgb c) {
  const double l = 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
  return static_cast<int>(std::clamp<std::int64_t>(Utils::RoundHalfAway(l), 0, 255));
}

// The filters work on straight (not premultiplied) 32-bit pixels.
bool PrepareArgb(QImage& bitmap) {
  if (bitmap.isNull()) return false;
  if (bitmap.format() != QImage::Format_ARGB32) bitmap = bitmap.convertToFormat(QImage::Format_ARGB32);
  return !bitmap.isNull();
}

template <class F>
void ForEachPixel(QImage& bitmap, F f) {
  for (int y = 0; y < bitmap.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
    for (int x = 0; x < bitmap.width(); ++x) f(x, y, line[x]);
  }
}

QRectF Square(float x, float y, float s) { return QRectF(QPointF(x - s, y - s), QPointF(x + s, y + s)); }
}  // namespace

// ---------------------------------------------------------------- context

TPLNDraw::TPLNDraw() {
  ResetMatrix(TORVDrawState::Editor);
  aDrawLinkPto = false;
}

void TPLNDraw::ResetMatrix(TORVDrawState state) {
  LM.reset();
  DrawState = state;
}

void TPLNDraw::ApplyMatrix() {
  if (pC) pC->SetMatrix(LM);
}

// QTransform multiplies row vectors like the original matrix type: LM * M applies LM first.
void TPLNDraw::Rotate(float angle) { LM = LM * QTransform().rotate(angle); }
void TPLNDraw::Scale(float sx, float sy) { LM = LM * QTransform::fromScale(sx, sy); }
void TPLNDraw::Translate(float dx, float dy) { LM = LM * QTransform::fromTranslate(dx, dy); }

void TPLNDraw::ResetText() {
  aPos = -1;
  aTxt.clear();
  DrawState = TORVDrawState::Editor;
}

float TPLNDraw::DrawValueX(std::int32_t length) const {
  return static_cast<float>(double(length) * DPIx / Utils::kBasePerInch);
}
float TPLNDraw::DrawValueY(std::int32_t length) const {
  return static_cast<float>(double(length) * DPIy / Utils::kBasePerInch);
}
std::int64_t TPLNDraw::BaseValueX(float pixels) const {
  if (DPIx == 0) return 0;
  return std::llabs(Utils::RoundHalfAway(double(pixels) * Utils::kBasePerInch / DPIx));
}
std::int64_t TPLNDraw::BaseValueY(float pixels) const {
  if (DPIy == 0) return 0;
  return std::llabs(Utils::RoundHalfAway(double(pixels) * Utils::kBasePerInch / DPIy));
}

void TPLNDraw::SetStandardWidths() {
  w05 = Utils::BasePtoY(500, *this);
  w1 = Utils::BasePtoY(1000, *this);
  w2 = Utils::BasePtoY(2000, *this);
  w3 = Utils::BasePtoY(3000, *this);
  w4 = Utils::BasePtoY(4000, *this);
}

TPLNDraw* ToDraw(Orv::TPLNBaseDraw* draw) { return dynamic_cast<TPLNDraw*>(draw); }

// ---------------------------------------------------------------- font print resolution

float FontPrintSize(float size) { return size * gFontPrintDPI / 25.4f; }
void SetFontPrintDPI(float value) {
  if (value > 0) gFontPrintDPI = value;
}
float GetFontPrintDPI() { return gFontPrintDPI; }

// ---------------------------------------------------------------- bitmap filters

void ConvertGrayScale(QImage& bitmap) {
  if (!PrepareArgb(bitmap)) return;
  ForEachPixel(bitmap, [](int, int, QRgb& c) {
    const int l = Luminance(c);
    c = qRgba(l, l, l, qAlpha(c));
  });
}

void ConvertBlackWhite(QImage& bitmap, std::uint8_t threshold) {
  if (!PrepareArgb(bitmap)) return;
  ForEachPixel(bitmap, [threshold](int, int, QRgb& c) {
    const int v = Luminance(c) < threshold ? 0 : 255;
    c = qRgba(v, v, v, qAlpha(c));
  });
}

void ApplyCircularMask(QImage& bitmap) {
  if (!PrepareArgb(bitmap)) return;
  const double cx = bitmap.width() / 2.0, cy = bitmap.height() / 2.0;
  const double r = std::min(cx, cy);
  ForEachPixel(bitmap, [=](int x, int y, QRgb& c) {
    if (std::hypot(x - cx, y - cy) > r) c = c & 0x00FFFFFFu;
  });
}

// ---------------------------------------------------------------- fonts

QStringList FontList(const TPLNBaseLabel* doc, QObject* sender) {
  QStringList fonts;
  if (doc && doc->OnGetFontListEvent) doc->OnGetFontListEvent(sender, fonts);
  else CollectFonts(fonts);
  return fonts;
}

void CollectFonts(QStringList& list) {
  // fontconfig's generic names stand for another installed family: offering them too would list
  // one typeface twice under different names.
  static const QStringList kGeneric{QStringLiteral("Sans Serif"), QStringLiteral("Sans"),     QStringLiteral("Serif"),
                                    QStringLiteral("Monospace"),  QStringLiteral("Mono"),     QStringLiteral("Cursive"),
                                    QStringLiteral("Fantasy"),    QStringLiteral("System-ui"), QStringLiteral("Emoji"),
                                    QStringLiteral("Math")};
  QStringList names;
  for (const QString& listed : QFontDatabase::families()) {
    // A family that several foundries supply is listed once per foundry, as "Nimbus Sans [URW ]";
    // the name a drawing stores is the family's alone.
    QString family = listed;
    if (family.endsWith(QLatin1Char(']'))) {
      const qsizetype open = family.lastIndexOf(QStringLiteral(" ["));
      if (open > 0) family.truncate(open);
    }
    if (family.isEmpty() || family.startsWith(QLatin1Char('@'))) continue;
    if (kGeneric.contains(family, Qt::CaseInsensitive)) continue;
    if (family.compare(QLatin1String("Modern"), Qt::CaseInsensitive) == 0 ||
        family.compare(QLatin1String("Roman"), Qt::CaseInsensitive) == 0 ||
        family.compare(QLatin1String("Script"), Qt::CaseInsensitive) == 0)
      continue;
    // Outline fonts only: bitmap faces do not scale to print sizes.
    if (!QFontDatabase::isScalable(listed)) continue;
    names.append(family);
  }
  names.sort(Qt::CaseInsensitive);
  QStringList unique;
  for (const QString& n : names)
    if (unique.isEmpty() || unique.last().compare(n, Qt::CaseInsensitive) != 0) unique.append(n);
  list = unique;
}

// ---------------------------------------------------------------- line styles

std::vector<float> LineTypePattern(const TPLNDraw& d, TORVineType lineType) {
  switch (lineType) {
    case 1: return {d.w05, d.w05};
    case 2: return {d.w1, d.w1};
    case 3: return {d.w2, d.w1};
    case 4: return {d.w1, d.w2};
    case 5: return {d.w2, d.w2};
    case 6: return {d.w3, d.w1};
    case 7: return {d.w3, d.w3};
    case 8: return {d.w4, d.w1};
    case 9: return {d.w4, d.w2};
    case 10: return {d.w4, d.w4};
    case 11: return {d.w4, d.w1, d.w1, d.w1};
    default: return {};
  }
}

void AdjustLineType(TPLNDraw* draw, TORVineType lineType, TORVItemState state) {
  if (!draw || !draw->kP) return;
  TSkPaint& p = *draw->kP;
  p.Style = TSkPaintStyle::Stroke;
  if (draw->DrawState == TORVDrawState::Editor || draw->DrawState == TORVDrawState::EditorUpdate) {
    // The editor marks selected and hovered items with fixed dashes, whatever their style.
    if (state == kStateSelected) {
      p.PathEffect = TSkPathEffect::MakeDash({12, 6}, 0);
      return;
    }
    if (state == kStateHover) {
      p.PathEffect = TSkPathEffect::MakeDash({4, 2}, 0);
      return;
    }
    if (state >= 3) return;
  }
  if (lineType == 0)
    p.PathEffect.reset();
  else if (lineType <= 11)
    p.PathEffect = TSkPathEffect::MakeDash(LineTypePattern(*draw, lineType), 1.0f);
}

void AdjustPrintLineType(TPLNDraw* draw, float penWidth, TORVineType lineType) {
  if (!draw || !draw->pC) return;
  TStrokeBrush& s = draw->pC->Stroke;
  s.Thickness = penWidth;
  if (lineType == 0) {
    s.Dash = TStrokeDash::Solid;
  } else if (lineType <= 11) {
    // Paper gets the same physical dash lengths as the screen (0.5 .. 4 mm at the printer's
    // resolution); raw device pixels would vanish at printer resolutions.
    // The brush's dash array is relative to the thickness; a hairline (0) is one pixel wide.
    const float unit = penWidth > 0 ? penWidth : 1.0f;
    std::vector<float> pattern = LineTypePattern(*draw, lineType);
    for (float& v : pattern) v /= unit;
    s.SetCustomDash(std::move(pattern), 0);
  }
}

// ---------------------------------------------------------------- terminators

void PrintTermType(TPLNDraw* draw, TORVTermType term, QPointF point, QPointF other, std::int32_t size,
                   std::int16_t spread, bool byAngle) {
  if (!draw || !draw->pC) return;
  IPrintCanvas& c = *draw->pC;
  c.Stroke.Dash = TStrokeDash::Solid;
  const float x = float(point.x()), y = float(point.y()), s = float(size);
  auto barbs = [&]() {
    const int length = static_cast<int>(2 * size);
    return byAngle ? TDraw2D::DrawArrowAngle(x, y, other.x(), length, spread)
                   : TDraw2D::DrawArrow(other.x(), other.y(), x, y, length, spread);
  };
  auto closed = [](std::initializer_list<QPointF> pts) {
    TPathData path;
    bool first = true;
    for (const QPointF& p : pts) {
      if (first) path.MoveTo(p); else path.LineTo(p);
      first = false;
    }
    path.ClosePath();
    return path;
  };
  switch (term) {
    case 1: c.DrawEllipse(Square(x, y, s), 1); break;
    case 2:
      c.FillEllipse(Square(x, y, s), 1);
      c.DrawEllipse(Square(x, y, s), 1);
      break;
    case 3: {
      const auto [b1, b2] = barbs();
      c.DrawLine(point, QPointF(b1.X, b1.Y), 1);
      c.DrawLine(point, QPointF(b2.X, b2.Y), 1);
      break;
    }
    case 4: {
      const auto [b1, b2] = barbs();
      const TPathData path = closed({point, QPointF(b1.X, b1.Y), QPointF(b2.X, b2.Y)});
      c.FillPath(path, 1);
      c.DrawPath(path, 1);
      break;
    }
    case 5: c.DrawRect(Square(x, y, s), 0, 0, AllCorners, 1, TCornerType::Round); break;
    case 6:
      c.FillRect(Square(x, y, s), 0, 0, AllCorners, 1, TCornerType::Round);
      c.DrawRect(Square(x, y, s), 0, 0, AllCorners, 1, TCornerType::Round);
      break;
    case 7: {
      const QPointF t(x, y - s), r(x + s, y), b(x, y + s), l(x - s, y);
      c.DrawLine(t, r, 1);
      c.DrawLine(r, b, 1);
      c.DrawLine(b, l, 1);
      c.DrawLine(l, t, 1);
      break;
    }
    case 8: {
      const TPathData path = closed({QPointF(x, y - s), QPointF(x + s, y), QPointF(x, y + s), QPointF(x - s, y)});
      c.FillPath(path, 1);
      c.DrawPath(path, 1);
      break;
    }
    case 9: c.DrawLine(QPointF(x - s, y - s), QPointF(x + s, y + s), 1); break;
    case 10: c.DrawLine(QPointF(x + s, y - s), QPointF(x - s, y + s), 1); break;
    case 11:
      c.DrawLine(QPointF(x - s, y - s), QPointF(x + s, y + s), 1);
      c.DrawLine(QPointF(x + s, y - s), QPointF(x - s, y + s), 1);
      break;
    default: break;
  }
}

void DrawTerm(IPrintCanvas& canvas, const QRectF& cell, TORVTermType term, TAlphaColor lineColor,
              TAlphaColor fillColor) {
  if (term == 0 || term > 11) return;
  const double d = std::max(1.0, std::min(cell.width() - 8, cell.height() - 8));
  const QRectF q(cell.center().x() - d / 2, cell.center().y() - d / 2, d, d);
  canvas.Fill.Kind = TBrushKind::Solid;
  canvas.Fill.Color = fillColor;
  canvas.Stroke.Kind = TBrushKind::Solid;
  canvas.Stroke.Color = lineColor;
  canvas.Stroke.Thickness = 1;
  canvas.Stroke.Dash = TStrokeDash::Solid;
  const QPointF top(q.center().x(), q.top()), right(q.right(), q.center().y());
  const QPointF bottom(q.center().x(), q.bottom()), left(q.left(), q.center().y());
  auto path = [](std::initializer_list<QPointF> pts, bool close) {
    TPathData p;
    bool first = true;
    for (const QPointF& pt : pts) {
      if (first) p.MoveTo(pt); else p.LineTo(pt);
      first = false;
    }
    if (close) p.ClosePath();
    return p;
  };
  switch (term) {
    case 1: canvas.DrawEllipse(q, 1); break;
    case 2:
      canvas.FillEllipse(q, 1);
      canvas.DrawEllipse(q, 1);
      break;
    case 3: canvas.DrawPath(path({q.bottomLeft(), top, q.bottomRight()}, false), 1); break;
    case 4: {
      const TPathData p = path({top, q.bottomRight(), q.bottomLeft()}, true);
      canvas.FillPath(p, 1);
      canvas.DrawPath(p, 1);
      break;
    }
    case 5: canvas.DrawRect(q, 0, 0, AllCorners, 1, TCornerType::Round); break;
    case 6:
      canvas.FillRect(q, 0, 0, AllCorners, 1, TCornerType::Round);
      canvas.DrawRect(q, 0, 0, AllCorners, 1, TCornerType::Round);
      break;
    case 7: canvas.DrawPath(path({top, right, bottom, left}, true), 1); break;
    case 8: {
      const TPathData p = path({top, right, bottom, left}, true);
      canvas.FillPath(p, 1);
      canvas.DrawPath(p, 1);
      break;
    }
    case 9: canvas.DrawLine(q.topLeft(), q.bottomRight(), 1); break;
    case 10: canvas.DrawLine(q.topRight(), q.bottomLeft(), 1); break;
    case 11:
      canvas.DrawLine(q.topLeft(), q.bottomRight(), 1);
      canvas.DrawLine(q.topRight(), q.bottomLeft(), 1);
      break;
    default: break;
  }
}

}  // namespace Orv::Fmx
