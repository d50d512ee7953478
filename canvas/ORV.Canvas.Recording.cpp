#include "ORV.Canvas.Recording.h"


namespace Orv::Canvas {

namespace {

QPainterPath LinePath(QPointF a, QPointF b) {
  QPainterPath p;
  p.moveTo(a);
  p.lineTo(b);
  return p;
}

void AppendImageArgs(std::vector<double>& args, const QImage& image, const QRectF& src) {
  args = {src.x(), src.y(), src.width(), src.height(), double(image.width()),
          double(image.height())};
}

}  // namespace

int TRecordingCanvas::Count(const std::string& name) const {
  int n = 0;
  for (const TRecordedOp& op : Ops)
    if (op.Name == name) ++n;
  return n;
}

std::vector<TRecordedOp> TRecordingCanvas::OpsNamed(const std::string& name) const {
  std::vector<TRecordedOp> result;
  for (const TRecordedOp& op : Ops)
    if (op.Name == name) result.push_back(op);
  return result;
}

std::vector<std::string> TRecordingCanvas::Names() const {
  std::vector<std::string> result;
  result.reserve(Ops.size());
  for (const TRecordedOp& op : Ops) result.push_back(op.Name);
  return result;
}

TRecordedOp& TRecordingCanvas::Sk(const char* name, const TSkPaint* paint) {
  TRecordedOp op;
  op.Name = name;
  if (paint) op.Paint = *paint;
  op.Matrix = M_;
  Ops.push_back(std::move(op));
  return Ops.back();
}

TRecordedOp& TRecordingCanvas::Print(const char* name, float opacity) {
  TRecordedOp op;
  op.Name = name;
  op.Fill = IPrintCanvas::Fill;
  op.Stroke = IPrintCanvas::Stroke;
  op.Font = IPrintCanvas::Font;
  op.Opacity = opacity;
  op.Matrix = M_;
  Ops.push_back(std::move(op));
  return Ops.back();
}

// ---- Skia-style ----

void TRecordingCanvas::Save() {
  Stack_.push_back(M_);
  Sk("Save");
}

void TRecordingCanvas::Restore() {
  if (Stack_.empty()) return;
  M_ = Stack_.back();
  Stack_.pop_back();
  Sk("Restore");
}

void TRecordingCanvas::Translate(float dx, float dy) {
  M_.translate(dx, dy);
  Sk("Translate").Args = {dx, dy};
}

void TRecordingCanvas::Scale(float sx, float sy) {
  M_.scale(sx, sy);
  Sk("Scale").Args = {sx, sy};
}

void TRecordingCanvas::Rotate(float degrees) {
  M_.rotate(degrees);
  Sk("Rotate").Args = {degrees};
}

void TRecordingCanvas::Concat(const QTransform& m) {
  M_ = m * M_;
  Sk("Concat").Args = {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()};
}

void TRecordingCanvas::ClipRect(const QRectF& r) { Sk("ClipRect").Rect = r; }

void TRecordingCanvas::ClipPath(const TSkPath& path, bool antiAlias) {
  TRecordedOp& op = Sk("ClipPath");
  op.Args = {antiAlias ? 1.0 : 0.0};
  op.Path = path.Path;
}

void TRecordingCanvas::Clear(TAlphaColor color) { Sk("Clear").Args = {double(color)}; }

void TRecordingCanvas::DrawLine(float x0, float y0, float x1, float y1, const TSkPaint& paint) {
  TRecordedOp& op = Sk("DrawLine", &paint);
  op.Args = {x0, y0, x1, y1};
  op.Path = LinePath({x0, y0}, {x1, y1});
}

void TRecordingCanvas::DrawRect(const QRectF& r, const TSkPaint& paint) {
  TRecordedOp& op = Sk("DrawRect", &paint);
  op.Rect = r;
  op.Path.addRect(r.normalized());
}

void TRecordingCanvas::DrawRoundRect(const QRectF& r, float rx, float ry, const TSkPaint& paint) {
  TRecordedOp& op = Sk("DrawRoundRect", &paint);
  op.Args = {rx, ry};
  op.Rect = r;
  op.Path = SkRoundRectPath(r, rx, ry);
}

void TRecordingCanvas::DrawOval(const QRectF& r, const TSkPaint& paint) {
  TRecordedOp& op = Sk("DrawOval", &paint);
  op.Rect = r;
  op.Path.addEllipse(r.normalized());
}

void TRecordingCanvas::DrawArc(const QRectF& oval, float startAngle, float sweepAngle,
                               bool useCenter, const TSkPaint& paint) {
  TRecordedOp& op = Sk("DrawArc", &paint);
  op.Args = {startAngle, sweepAngle, useCenter ? 1.0 : 0.0};
  op.Rect = oval;
  op.Path = SkArcPath(oval.normalized(), startAngle, sweepAngle, useCenter);
}

void TRecordingCanvas::DrawPath(const TSkPath& path, const TSkPaint& paint) {
  Sk("DrawPath", &paint).Path = path.Path;
}

void TRecordingCanvas::DrawPoints(const std::vector<QPointF>& points, const TSkPaint& paint) {
  TRecordedOp& op = Sk("DrawPoints", &paint);
  for (size_t i = 0; i < points.size(); ++i) {
    op.Args.push_back(points[i].x());
    op.Args.push_back(points[i].y());
    if (i == 0)
      op.Path.moveTo(points[i]);
    else
      op.Path.lineTo(points[i]);
  }
}

void TRecordingCanvas::DrawImageRect(const QImage& image, const QRectF& src, const QRectF& dst,
                                     const TSkPaint& paint) {
  TRecordedOp& op = Sk("DrawImageRect", &paint);
  AppendImageArgs(op.Args, image, src);
  op.Rect = dst;
}

void TRecordingCanvas::DrawSimpleText(const QString& text, float x, float y, const TSkFont& font,
                                      const TSkPaint& paint) {
  TRecordedOp& op = Sk("DrawSimpleText", &paint);
  op.Args = {x, y};
  op.Text = text;
  op.Font = font;
}

void TRecordingCanvas::DrawShapedText(const QString& text, float x, float y, const TSkFont& font,
                                      const TSkPaint& paint) {
  TRecordedOp& op = Sk("DrawShapedText", &paint);
  op.Args = {x, y};
  op.Text = text;
  op.Font = font;
}

// ---- Print ----

void TRecordingCanvas::SetMatrix(const QTransform& m) {
  M_ = m;
  Print("P.SetMatrix", 1);
}

void TRecordingCanvas::DrawLine(QPointF a, QPointF b, float opacity) {
  TRecordedOp& op = Print("P.DrawLine", opacity);
  op.Args = {a.x(), a.y(), b.x(), b.y()};
  op.Path = LinePath(a, b);
}

void TRecordingCanvas::DrawRect(const QRectF& r, float xRadius, float yRadius, unsigned corners,
                                float opacity, TCornerType type) {
  TRecordedOp& op = Print("P.DrawRect", opacity);
  op.Args = {xRadius, yRadius, double(corners), double(int(type))};
  op.Rect = r;
  op.Path = PrintRectPath(r, xRadius, yRadius, corners, type);
}

void TRecordingCanvas::FillRect(const QRectF& r, float xRadius, float yRadius, unsigned corners,
                                float opacity, TCornerType type) {
  TRecordedOp& op = Print("P.FillRect", opacity);
  op.Args = {xRadius, yRadius, double(corners), double(int(type))};
  op.Rect = r;
  op.Path = PrintRectPath(r, xRadius, yRadius, corners, type);
}

void TRecordingCanvas::DrawEllipse(const QRectF& r, float opacity) {
  TRecordedOp& op = Print("P.DrawEllipse", opacity);
  op.Rect = r;
  op.Path.addEllipse(r.normalized());
}

void TRecordingCanvas::FillEllipse(const QRectF& r, float opacity) {
  TRecordedOp& op = Print("P.FillEllipse", opacity);
  op.Rect = r;
  op.Path.addEllipse(r.normalized());
}

void TRecordingCanvas::PrintArc(const char* name, QPointF center, QPointF radius, float start,
                                float sweep, float opacity) {
  TRecordedOp& op = Print(name, opacity);
  op.Args = {center.x(), center.y(), radius.x(), radius.y(), start, sweep};
  op.Rect = QRectF(center - radius, center + radius);
  op.Path = SkArcPath(op.Rect.normalized(), start, sweep, false);
}

void TRecordingCanvas::DrawArc(QPointF center, QPointF radius, float startAngle, float sweepAngle,
                               float opacity) {
  PrintArc("P.DrawArc", center, radius, startAngle, sweepAngle, opacity);
}

void TRecordingCanvas::FillArc(QPointF center, QPointF radius, float startAngle, float sweepAngle,
                               float opacity) {
  PrintArc("P.FillArc", center, radius, startAngle, sweepAngle, opacity);
}

void TRecordingCanvas::DrawPath(const TPathData& path, float opacity) {
  Print("P.DrawPath", opacity).Path = path.Path;
}

void TRecordingCanvas::FillPath(const TPathData& path, float opacity) {
  Print("P.FillPath", opacity).Path = path.Path;
}

void TRecordingCanvas::DrawPolygon(const QPolygonF& polygon, float opacity) {
  TRecordedOp& op = Print("P.DrawPolygon", opacity);
  for (const QPointF& p : polygon) {
    op.Args.push_back(p.x());
    op.Args.push_back(p.y());
  }
  op.Path = PolygonPath(polygon);
}

void TRecordingCanvas::FillPolygon(const QPolygonF& polygon, float opacity) {
  TRecordedOp& op = Print("P.FillPolygon", opacity);
  for (const QPointF& p : polygon) {
    op.Args.push_back(p.x());
    op.Args.push_back(p.y());
  }
  op.Path = PolygonPath(polygon);
}

void TRecordingCanvas::FillText(const QRectF& r, const QString& text, bool wordWrap, float opacity,
                                TTextAlign hAlign, TTextAlign vAlign) {
  TRecordedOp& op = Print("P.FillText", opacity);
  op.Args = {wordWrap ? 1.0 : 0.0, double(int(hAlign)), double(int(vAlign))};
  op.Rect = r;
  op.Text = text;
}

QRectF TRecordingCanvas::MeasureText(const QRectF& bounds, const QString& text, bool wordWrap,
                                     TTextAlign hAlign, TTextAlign vAlign) {
  return MeasurePrintText(IPrintCanvas::Font, nullptr, bounds, text,
                          TextFlags(wordWrap, hAlign, vAlign));
}

void TRecordingCanvas::DrawBitmap(const QImage& image, const QRectF& src, const QRectF& dst,
                                  float opacity) {
  TRecordedOp& op = Print("P.DrawBitmap", opacity);
  AppendImageArgs(op.Args, image, src);
  op.Rect = dst;
}

}  // namespace Orv::Canvas
