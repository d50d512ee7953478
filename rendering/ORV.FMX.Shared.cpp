#include "ORV.FMX.Shared.h"

#include <algorithm>

#include "ORV.Draw2D.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {
QRectF Square(float x, float y, float s) { return QRectF(QPointF(x - s, y - s), QPointF(x + s, y + s)); }

TSkPath ClosedPath(std::initializer_list<QPointF> pts) {
  TSkPathBuilder b;
  bool first = true;
  for (const QPointF& p : pts) {
    if (first) b.MoveTo(float(p.x()), float(p.y())); else b.LineTo(float(p.x()), float(p.y()));
    first = false;
  }
  b.Close();
  return b.Detach();
}
}  // namespace

void DrawTermType(TPLNDraw* draw, TORVTermType term, TAlphaColor lineColor, TAlphaColor fillColor, float s,
                  float x, float y, float x2, float y2, std::int16_t spread, bool byAngle) {
  if (!draw || !draw->kC || !draw->kP) return;
  ISkCanvas& c = *draw->kC;
  TSkPaint& p = *draw->kP;
  // Terminators are never dashed, whatever the line they end.
  p.PathEffect.reset();
  if (term == 0 || term > 11) return;

  const bool filled = term == 2 || term == 4 || term == 6 || term == 8;
  if (filled) {
    p.Style = TSkPaintStyle::Fill;
    p.Color = fillColor;
  } else {
    p.Style = TSkPaintStyle::Stroke;
    p.Color = lineColor;
  }
  auto outline = [&p, lineColor]() {
    p.Style = TSkPaintStyle::Stroke;
    p.Color = lineColor;
  };
  auto barbs = [&]() {
    const int length = static_cast<int>(Utils::RoundHalfAway(2.0 * s));
    return byAngle ? TDraw2D::DrawArrowAngle(x, y, x2, length, spread)
                   : TDraw2D::DrawArrow(x2, y2, x, y, length, spread);
  };

  switch (term) {
    case 1: c.DrawOval(Square(x, y, s), p); break;
    case 2:
      c.DrawOval(Square(x, y, s), p);
      outline();
      c.DrawOval(Square(x, y, s), p);
      break;
    case 3: {
      const auto [b1, b2] = barbs();
      c.DrawLine(x, y, float(b1.X), float(b1.Y), p);
      c.DrawLine(x, y, float(b2.X), float(b2.Y), p);
      break;
    }
    case 4: {
      const auto [b1, b2] = barbs();
      const TSkPath path = ClosedPath({QPointF(x, y), QPointF(b1.X, b1.Y), QPointF(b2.X, b2.Y)});
      c.DrawPath(path, p);
      outline();
      c.DrawPath(path, p);
      break;
    }
    case 5: c.DrawRect(Square(x, y, s), p); break;
    case 6:
      c.DrawRect(Square(x, y, s), p);
      outline();
      c.DrawRect(Square(x, y, s), p);
      break;
    case 7:
      c.DrawLine(x, y - s, x + s, y, p);
      c.DrawLine(x + s, y, x, y + s, p);
      c.DrawLine(x, y + s, x - s, y, p);
      c.DrawLine(x - s, y, x, y - s, p);
      break;
    case 8: {
      const TSkPath path = ClosedPath({QPointF(x, y - s), QPointF(x + s, y), QPointF(x, y + s), QPointF(x - s, y)});
      c.DrawPath(path, p);
      outline();
      c.DrawPath(path, p);
      break;
    }
    case 9: c.DrawLine(x - s, y - s, x + s, y + s, p); break;
    case 10: c.DrawLine(x + s, y - s, x - s, y + s, p); break;
    case 11:
      c.DrawLine(x - s, y - s, x + s, y + s, p);
      c.DrawLine(x + s, y - s, x - s, y + s, p);
      break;
    default: break;
  }
}

void DrawData(TPLNDraw* draw, float x, float y) {
  if (!draw || !draw->kC || !draw->kP) return;
  TSkPaint& p = *draw->kP;
  p.Style = TSkPaintStyle::Fill;
  p.Color = 0xFF808080u;
  draw->kC->DrawRect(QRectF(QPointF(x - 4, y - 4), QPointF(x + 4, y - 2)), p);
  draw->kC->DrawRect(QRectF(QPointF(x - 4, y + 2), QPointF(x + 4, y + 4)), p);
  p.Color = 0xFF90EE90u;
  draw->kC->DrawRect(QRectF(QPointF(x - 4, y - 2), QPointF(x + 4, y + 2)), p);
}

TSkFontStyle GetFontStyle(bool bold, bool italic) {
  if (bold) return italic ? TSkFontStyle::BoldItalic : TSkFontStyle::Bold;
  return italic ? TSkFontStyle::Italic : TSkFontStyle::Normal;
}

void SetupPen(TPLNDraw* draw, const TPLNBaseItem& item) {
  TSkPaint& p = *draw->kP;
  p.Color = item.GetColor();
  p.StrokeWidth = Utils::BasePtoY(item.GetPenWidth(), *draw);
  // Whatever the host's paint starts with: the ends and corners paper gets. A mitred corner is
  // also the only one whose outer edge reaches a frame's corner point.
  p.StrokeCap = TSkStrokeCap::Butt;
  p.StrokeJoin = TSkStrokeJoin::Miter;
  AdjustLineType(draw, item.GetLineType(), item.GetState());
}

TFrameStroke FrameStroke(const QRectF& box, float rx, float ry, float width) {
  // A pen wider than the box meets itself in the middle rather than turning the box inside out.
  const qreal h = std::max<qreal>(0, width) / 2;
  const qreal hx = std::min(h, box.width() / 2), hy = std::min(h, box.height() / 2);
  return {box.adjusted(hx, hy, -hx, -hy), std::max(0.0f, rx - float(h)), std::max(0.0f, ry - float(h))};
}

void SetupFill(TPLNDraw* draw, TAlphaColor color, bool clearEffect) {
  TSkPaint& p = *draw->kP;
  p.Color = color;
  p.Style = TSkPaintStyle::Fill;
  if (clearEffect) p.PathEffect.reset();
}

void DrawAreaSteps(TPLNDraw* draw, const TPLN2DItem& item, const std::function<void(TAreaStep)>& shape) {
  TSkPaint& p = *draw->kP;
  if (!ShowsFill(item)) {
    if (item.GetPenWidth() > 0) {
      SetupPen(draw, item);
      p.Style = TSkPaintStyle::Stroke;
      shape(TAreaStep::OutlineOnly);
    }
  } else if (item.GetPenWidth() <= 0) {
    SetupFill(draw, item.GetBackColor(), false);
    shape(TAreaStep::Fill);
  } else {
    SetupFill(draw, item.GetBackColor(), false);
    shape(TAreaStep::Fill);
    SetupPen(draw, item);
    p.Style = TSkPaintStyle::Stroke;
    shape(TAreaStep::Outline);
  }
}

float TermHalfSize(const TPLNBaseDraw& draw, float sizeMM) { return sizeMM * draw.PixPerMM / 2; }

void DrawItemTerm(TPLNDraw* draw, TORVTermType term, TAlphaColor penColor, TAlphaColor termColor, float sizeMM,
                  QPointF end, QPointF neighbour) {
  DrawTermType(draw, term, penColor, termColor, TermHalfSize(*draw, sizeMM), float(end.x()), float(end.y()),
               float(neighbour.x()), float(neighbour.y()), 8, false);
}

void PrintItemTerm(TPLNDraw* draw, TORVTermType term, TAlphaColor termColor, float sizeMM, QPointF end,
                   QPointF neighbour, bool byAngle) {
  if (term == 0 || !draw->pC) return;
  draw->pC->Fill.Kind = TBrushKind::Solid;
  draw->pC->Fill.Color = termColor;
  const auto half = static_cast<std::int32_t>(Utils::RoundHalfAway(TermHalfSize(*draw, sizeMM)));
  PrintTermType(draw, term, end, neighbour, half, 8, byAngle);
}

QPointF ScreenPos(const TPLNBaseDraw& draw, const TORVPto& p) {
  return QPointF(p.DrawX(draw) + draw.OriginX, p.DrawY(draw) + draw.OriginY);
}
QPointF PrintPos(const TPLNBaseDraw& draw, const TORVPto& p) {
  return QPointF(p.DrawX(draw) + draw.IOriginX, p.DrawY(draw) + draw.IOriginY);
}
QPointF PrintPosWhole(const TPLNBaseDraw& draw, const TORVPto& p) {
  return QPointF(p.PrintX(draw) + draw.IOriginX, p.PrintY(draw) + draw.IOriginY);
}

// Circles and ellipses are the same figure: the oval inscribed in the box of their two points.
void DrawOvalItem(TPLNBaseDraw* draw, const TPLN2DItem& item) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || item.NumPoints() < 2) return;
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.AntiAlias = true;
  const QRectF box = QRectF(ScreenPos(*d, item.GetPoint(1)), ScreenPos(*d, item.GetPoint(2))).normalized();
  DrawAreaSteps(d, item, [&](TAreaStep) { d->kC->DrawOval(box, p); });
}

void PrintOvalItem(TPLNBaseDraw* draw, const TPLN2DItem& item) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || item.NumPoints() < 2) return;
  IPrintCanvas& c = *d->pC;
  const QRectF box = QRectF(PrintPos(*d, item.GetPoint(1)), PrintPos(*d, item.GetPoint(2))).normalized();
  if (SetupPrintFill(d, item)) c.FillEllipse(box, 1);
  if (item.GetPenWidth() > 0) {
    SetupPrintPen(d, item);
    c.DrawEllipse(box, 1);
  }
}

bool SetupPrintFill(TPLNDraw* draw, const TPLN2DItem& item) {
  if (!ShowsFill(item)) return false;
  draw->pC->Fill.Kind = TBrushKind::Solid;
  draw->pC->Fill.Color = item.GetBackColor();
  return true;
}

void SetupPrintPen(TPLNDraw* draw, const TPLNBaseItem& item) {
  Canvas::IPrintCanvas& c = *draw->pC;
  const float thickness = draw->DrawBasePtoX(item.GetPenWidth());
  AdjustPrintLineType(draw, thickness, item.GetLineType());
  c.Stroke.Kind = Canvas::TBrushKind::Solid;
  c.Stroke.Cap = Canvas::TStrokeCap::Flat;
  c.Stroke.Join = Canvas::TStrokeJoin::Miter;
  c.Stroke.Color = item.GetColor();
  c.Stroke.Thickness = thickness;
}

}  // namespace Orv::Fmx
