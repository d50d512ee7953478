// What the editor draws over the page while editing: selection handles and outlines, the
// rubber band of a selection or of the item being drawn, snap marks, the caret of the text being
// typed and the in-place coordinate input. All in surface pixels, never into the kept page; only
// the connectors shown on request go into it, with the items they belong to.
#include <cmath>

#include "ORV.FMX.Editor.h"
#include "ORV.FMX.Editor.Surface.h"
#include "ORV.FMX.h"
#include "ORV.Flow.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

namespace {

// Above this many selected items the outline is the selection's box: one rectangle per item
// would cost more than the page itself.
constexpr int kOutlineItems = 2000;

TSkPaint Fill(TAlphaColor c) {
  TSkPaint p;
  p.Color = c;
  return p;
}

QPointF Pixel(QPointF p) { return {std::round(p.x()) + 0.5, std::round(p.y()) + 0.5}; }

// A square 7 pixels wide on the point: white inside, a one-pixel outline.
void Square(ISkCanvas& canvas, QPointF p, TAlphaColor c) {
  const QPointF q = Pixel(p);
  const QRectF r(q.x() - 3, q.y() - 3, 6, 6);
  canvas.DrawRect(r, Fill(0xFFFFFFFFu));
  canvas.DrawRect(r, Hairline(c));
}

// A connector: a small square in the link-point colour outlined in the link colour (the
// link-point colour alone is barely seen on white paper); `hot` ones larger and filled in the
// link colour.
void ConnectorMark(ISkCanvas& canvas, QPointF p, bool hot, double size, const TPLNSelColors& colors) {
  const QPointF q = Pixel(p);
  const QRectF box(q.x() - size, q.y() - size, 2 * size, 2 * size);
  canvas.DrawRect(box, Fill(hot ? colors.Link : colors.GetLinkPoint()));
  canvas.DrawRect(box, Hairline(colors.Link));
}

void Circle(ISkCanvas& canvas, QPointF p, double radius, TAlphaColor c) {
  const QPointF q = Pixel(p);
  canvas.DrawOval(QRectF(q.x() - radius, q.y() - radius, 2 * radius, 2 * radius), Hairline(c, true));
}

}  // namespace

void TPLNBackEditor::DrawRefLines(ISkCanvas& canvas) {
  const TPlanoraFMX* host = fEditor->GetLabel();
  if (!host || !fRef.Found || !host->Act().IsDrawing()) return;
  const QPointF p = Pixel(QPointF(fRef.ScreenX, fRef.ScreenY));
  if (fEditor->GetShowRefLines()) {
    const TSkPaint line = Hairline(fEditor->SelectionColors().RefLine);
    canvas.DrawLine(float(CMX()), float(p.y()), float(MaxX()), float(p.y()), line);
    canvas.DrawLine(float(p.x()), float(CMY()), float(p.x()), float(MaxY()), line);
  }
  const double r = fEditor->GetSizeRef();
  canvas.DrawRect(QRectF(p.x() - r, p.y() - r, 2 * r, 2 * r), Hairline(fEditor->SelectionColors().RefPoint));
}

void TPLNBackEditor::DrawSelPoints(ISkCanvas& canvas) {
  const TPlanoraFMX* host = fEditor->GetLabel();
  if (!host) return;
  const TPLNSelColors& colors = fEditor->SelectionColors();
  const int count = host->GetSelectionCount();
  if (count == 0) return;
  const TSkPaint outline = Hairline(colors.SelectionItem);
  const auto box = [&](const TORVBounds& b) {
    if (b.IsEmpty()) return;
    const QPointF a = Pixel(ToScreen(b.X1, b.Y1)), z = Pixel(ToScreen(b.X2, b.Y2));
    canvas.DrawRect(QRectF(a, z), outline);
  };
  if (count > kOutlineItems) {
    box(host->SelectionBox());
  } else {
    for (int i = 1; i <= count; ++i) box(host->GetSelection(i)->GetBounds());
  }
  const int n = host->GetSelPointCount();
  std::vector<TORVSelPoint> points;
  points.reserve(std::size_t(std::max(0, n)));
  for (int i = 1; i <= n; ++i) points.push_back(host->GetSelPoint(i));
  // Control lines first, so the handles lie over them.
  const TSkPaint bezierLine = Hairline(colors.Bezier, true);
  for (const TORVSelPoint& sp : points) {
    if (sp.Kind != TORVHandleKind::Bezier) continue;
    for (const TORVSelPoint& anchor : points)
      if (anchor.Item == sp.Item && anchor.Kind == TORVHandleKind::Point && std::abs(anchor.Index - sp.Index) == 1) {
        const QPointF a = ToScreen(sp.P), b = ToScreen(anchor.P);
        canvas.DrawLine(float(a.x()), float(a.y()), float(b.x()), float(b.y()), bezierLine);
      }
  }
  const double radius = fEditor->GetSizeRef();
  for (const TORVSelPoint& sp : points) {
    const QPointF p = ToScreen(sp.P);
    switch (sp.Kind) {
      case TORVHandleKind::Center:
        Circle(canvas, p, radius, colors.Center);
        break;
      case TORVHandleKind::Radius:
        Circle(canvas, p, radius, colors.Radio);
        break;
      case TORVHandleKind::Rotate:
        Circle(canvas, p, radius, colors.SizeColor);
        break;
      case TORVHandleKind::Point:
      case TORVHandleKind::InsertPoint:
        Square(canvas, p, colors.Point);
        break;
      case TORVHandleKind::Bezier:
        Square(canvas, p, colors.Bezier);
        break;
      case TORVHandleKind::Fixed:
        Square(canvas, p, colors.FixColor);
        break;
      case TORVHandleKind::Move:
        Square(canvas, p, colors.Center);
        break;
      default:
        Square(canvas, p, colors.SizeColor);
        break;
    }
  }
}

void TPLNBackEditor::DrawRubberBand(ISkCanvas& canvas) {
  const TPlanoraFMX* host = fEditor->GetLabel();
  if (!host) return;
  const TAct& a = host->Act();
  const TPLNSelColors& colors = fEditor->SelectionColors();
  if (a.Action == TORVAction::Selection || a.Action == TORVAction::Move) {
    const TORVBounds band = host->RubberBand();
    if (band.IsEmpty()) return;
    const QPointF p = Pixel(ToScreen(band.X1, band.Y1)), q = Pixel(ToScreen(band.X2, band.Y2));
    canvas.DrawRect(QRectF(p, q), Hairline(colors.SelectionRect));
    return;
  }
  if (!a.IsDrawing() || a.Points.empty()) return;
  std::vector<QPointF> pts;
  pts.reserve(a.Points.size() + 1);
  for (const TORVPto& p : a.Points) pts.push_back(ToScreen(p));
  const QPointF cur = ToScreen(a.Current);
  const TSkPaint pen = Hairline(colors.Draw, true);
  const QPointF p0 = pts.front();
  switch (a.Kind) {
    case TORVDrawKind::Rectangle:
    case TORVDrawKind::Paragraph:
    case TORVDrawKind::NutriScore:
    case TORVDrawKind::Package:
    case TORVDrawKind::Rank:
    case TORVDrawKind::Image:
    case TORVDrawKind::Table:
    case TORVDrawKind::RichText:
      canvas.DrawRect(QRectF(p0, cur).normalized(), pen);
      break;
    case TORVDrawKind::Level: {
      // The disc the gauge gets: the largest in the box, at its centre.
      const QRectF box = QRectF(p0, cur).normalized();
      const double r = std::min(box.width(), box.height()) / 2;
      canvas.DrawOval(QRectF(box.center() - QPointF(r, r), QSizeF(2 * r, 2 * r)), pen);
      canvas.DrawRect(box, pen);
      break;
    }
    case TORVDrawKind::Flow: {
      // The chosen shape, as the box will have it.
      std::vector<QPointF> inner;
      canvas.DrawPath(TSkPath(F2d::TPLNBaseFlow::Outline(a.Style.FlowType, QRectF(p0, cur).normalized(), &inner)), pen);
      for (std::size_t i = 0; i + 1 < inner.size(); i += 2)
        canvas.DrawLine(float(inner[i].x()), float(inner[i].y()), float(inner[i + 1].x()), float(inner[i + 1].y()), pen);
      break;
    }
    case TORVDrawKind::Link: {
      F2d::TORVLinkGeom g;
      if (RubberLink(g)) canvas.DrawPath(LinkPath(static_cast<F2d::TORVinkType>(a.Style.LinkType), g), pen);
      break;
    }
    case TORVDrawKind::Ellipse:
      canvas.DrawOval(QRectF(p0, cur).normalized(), pen);
      break;
    case TORVDrawKind::Circle:
    case TORVDrawKind::Sector: {
      const double r = std::hypot(cur.x() - p0.x(), cur.y() - p0.y());
      if (a.Kind == TORVDrawKind::Circle || pts.size() < 2) {
        canvas.DrawOval(QRectF(p0.x() - r, p0.y() - r, 2 * r, 2 * r), pen);
        canvas.DrawLine(float(p0.x()), float(p0.y()), float(cur.x()), float(cur.y()), pen);
      } else {
        const double r1 = std::hypot(pts[1].x() - p0.x(), pts[1].y() - p0.y());
        const double start = std::atan2(pts[1].y() - p0.y(), pts[1].x() - p0.x()) * 180 / M_PI;
        double sweep = std::atan2(cur.y() - p0.y(), cur.x() - p0.x()) * 180 / M_PI - start;
        if (sweep < 0) sweep += 360;
        canvas.DrawArc(QRectF(p0.x() - r1, p0.y() - r1, 2 * r1, 2 * r1), float(start), float(sweep), true, pen);
      }
      break;
    }
    case TORVDrawKind::Polygon:
      pts.push_back(cur);
      if (pts.size() > 2) pts.push_back(pts.front());
      canvas.DrawPoints(pts, pen);
      break;
    case TORVDrawKind::Dim:
    case TORVDrawKind::DimAngle:
      // The measured points, then the pointer's offset from the last one.
      pts.push_back(cur);
      canvas.DrawPoints(pts, pen);
      break;
    default:
      // Lines, polylines, Beziers and the three-point kinds: their points joined up to the pointer.
      pts.push_back(cur);
      canvas.DrawPoints(pts, pen);
      break;
  }
}

bool TPLNBackEditor::RubberLink(F2d::TORVLinkGeom& g) const {
  const TPlanoraFMX* host = fEditor->GetLabel();
  if (!host) return false;
  const TAct& a = host->Act();
  const TPLNBaseItem* from = a.Points.empty() ? nullptr : host->FindByID(a.LinkFromID);
  if (!from) return false;
  const TPLNBaseItem* to = fLink.Item != 0 && fLink.Item <= host->GetItemsCount() ? host->GetItem(fLink.Item) : nullptr;
  g = F2d::TORVLinkGeom{};
  g.Start = a.Points.front();
  g.End = to ? fLink.P : a.Current;
  g.FromIndex = a.LinkFromPoint;
  g.ToIndex = to ? fLink.Point : 0;
  // A box's connector is left or entered square to its side; a point, or the bare pointer,
  // faces the other end.
  const auto side = [](const TPLNBaseItem* item, int index, const TORVPto& at, const TORVPto& other) {
    if (item && item->LinkPointCount() >= F2d::kBoxConnectors) return F2d::ConnectorSide(index);
    const std::int64_t dx = other.X - at.X, dy = other.Y - at.Y;
    if (std::abs(dx) >= std::abs(dy)) return dx >= 0 ? 1 : 3;
    return dy >= 0 ? 2 : 0;
  };
  g.FromSide = side(from, g.FromIndex, g.Start, g.End);
  g.ToSide = side(to, g.ToIndex, g.End, g.Start);
  F2d::TPLNBaseLink::Route(host, static_cast<F2d::TORVinkType>(a.Style.LinkType), F2d::TPLNBaseLink::kDefaultBulge, g);
  return true;
}

TSkPath TPLNBackEditor::LinkPath(F2d::TORVinkType type, const F2d::TORVLinkGeom& g) const {
  using F2d::TORVinkType;
  TSkPathBuilder b;
  const auto at = [this](const TORVPto& p) { return ToScreen(p); };
  const auto move = [&b](QPointF p) { b.MoveTo(float(p.x()), float(p.y())); };
  const auto line = [&b](QPointF p) { b.LineTo(float(p.x()), float(p.y())); };
  const auto cubic = [&b](QPointF c1, QPointF c2, QPointF e) {
    b.CubicTo(float(c1.x()), float(c1.y()), float(c2.x()), float(c2.y()), float(e.x()), float(e.y()));
  };
  const QPointF start = at(g.Start), end = at(g.End);
  move(start);
  if (type == TORVinkType::Curve) {
    cubic(at(g.C1), at(g.C2), end);
  } else if (type == TORVinkType::Arc && g.HasCircle) {
    const QPointF c = ToScreen(0, 0), k = ToScreen(1000000, 1000000) - c;
    const QPointF centre(c.x() + g.CX * k.x() / 1e6, c.y() + g.CY * k.y() / 1e6);
    const QPointF r(g.Radius * k.x() / 1e6, g.Radius * k.y() / 1e6);
    constexpr double kDeg = 180.0 / M_PI;
    b.ArcTo(QRectF(centre - r, centre + r), float(g.StartAngle * kDeg), float(g.Sweep * kDeg), false);
  } else if (type == TORVinkType::Round && g.Points.size() == 14) {
    for (std::size_t i = 0; i + 2 < g.Points.size(); i += 3) cubic(at(g.Points[i]), at(g.Points[i + 1]), at(g.Points[i + 2]));
    cubic(at(g.Points[12]), at(g.Points[13]), end);
  } else {
    // Direct, a polyline still without points and a straight arc: one segment; the routed kinds
    // through their bends.
    if (type != TORVinkType::PolyLine)
      for (const TORVPto& p : g.Points) line(at(p));
    line(end);
  }
  return b.Detach();
}

void TPLNBackEditor::DrawConnectors(ISkCanvas& canvas, const std::vector<int>& items) {
  if (!(fEditor->GetEditorOptions() & eoLinkPoints)) return;
  const TPlanoraFMX* host = fEditor->GetLabel();
  const TPLNSelColors& colors = fEditor->SelectionColors();
  for (int index : items) {
    // Items drawn as a dot are too small to take a link by the pointer.
    if (index < 0 || index > host->GetItemsCount()) continue;
    const TPLNBaseItem* item = host->GetItem(index);
    const int n = item->LinkPointCount();
    for (int k = 1; k <= n; ++k) {
      TORVPto p;
      // Marks are small enough to stay within the reach the page's strips and bands are drawn with.
      if (item->HasLinkPoint(k) && item->LinkPoint(k, {}, p)) ConnectorMark(canvas, ToScreen(p), false, 2, colors);
    }
  }
}

// Every connector of the item under the pointer; the connector the pointer is on, and the one a
// link being drawn starts from, stand out.
void TPLNBackEditor::DrawLinkMarks(ISkCanvas& canvas) {
  const TPlanoraFMX* host = fEditor->GetLabel();
  if (!host) return;
  const TAct& a = host->Act();
  if (!a.IsDrawing() || a.Kind != TORVDrawKind::Link) return;
  const TPLNSelColors& colors = fEditor->SelectionColors();
  const TORVPto toward{fBaseX, fBaseY};
  const auto mark = [&](const TORVPto& at, bool hot) { ConnectorMark(canvas, ToScreen(at), hot, hot ? 4 : 3, colors); };
  if (fHover && fLinkShown != 0)
    if (const TPLNBaseItem* item = host->FindByID(fLinkShown)) {
      const int n = item->LinkPointCount();
      for (int k = 1; k <= n; ++k) {
        TORVPto p;
        if (item->HasLinkPoint(k) && item->LinkPoint(k, toward, p)) mark(p, false);
      }
      TORVPto p;
      if (fLink.Item != 0 && item->LinkPoint(fLink.Point, toward, p)) mark(p, true);
    }
  if (!a.Points.empty())
    if (const TPLNBaseItem* from = host->FindByID(a.LinkFromID)) {
      TORVPto p;
      if (from->LinkPoint(a.LinkFromPoint, toward, p)) mark(p, true);
    }
}

void TPLNBackEditor::DrawEditText(ISkCanvas& canvas) {
  if (!fTyping) return;
  if (const TPLNRichText* rich = RichItem()) {
    DrawRichEditText(canvas, *rich);
    return;
  }
  const std::vector<TEditLine> lines = EditLines();
  if (lines.empty()) return;
  if (fSelEnd > fSelStart) {
    for (const TEditLine& l : lines) {
      const int from = std::max(fSelStart, l.Start), to = std::min(fSelEnd, l.End);
      if (from >= to) continue;
      const double x1 = EditCharX(l, from), x2 = EditCharX(l, to);
      canvas.DrawRect(QRectF(x1, l.Top, x2 - x1, l.Bottom - l.Top), Fill(0x663399FFu));
    }
  }
  const TEditLine& l = LineOf(lines, fCaret);
  const float x = float(std::round(EditCharX(l, fCaret)) + 0.5);
  canvas.DrawLine(x, float(l.Top), x, float(l.Bottom), Hairline(0xFF000000u));
}

void TPLNBackEditor::DrawInput(ISkCanvas& canvas) {
  if (!fInputOpen) return;
  const TSkFont font{QStringLiteral("Verdana"), float(ScalePos(15, fDPIX))};
  const TSkFontMetrics m = font.Metrics();
  canvas.DrawRect(fInputRect, Fill(0xFFFFFFFFu));
  canvas.DrawRect(fInputRect.adjusted(0.5, 0.5, -0.5, -0.5), Hairline(0xFF808080u));
  const QString& text = fEditor->InputTextValue();
  const float baseline = float(fInputRect.top() + 2 + std::abs(m.Ascent));
  const float left = float(fInputRect.left() + 2);
  TSkPaint red = Fill(0xFFFF0000u);
  red.AntiAlias = true;
  canvas.DrawSimpleText(text, left, baseline, font, red);
  const int caret = std::clamp(fEditor->InputCaret(), 0, static_cast<int>(text.size()));
  const float cx = std::round(left + font.MeasureText(text.left(caret))) + 0.5f;
  canvas.DrawLine(cx, float(fInputRect.top() + 2), cx, float(fInputRect.bottom() - 2), Hairline(0xFFFF0000u));
}

}  // namespace Orv::Fmx
