// A canvas that draws nothing and remembers every call, for tests of the drawing rules.
#pragma once

#include "ORV.Canvas.h"

#include <string>
#include <vector>

namespace Orv::Canvas {

// One recorded call. Matrix is the total matrix when the call was made (after the call for the
// state operations). Paint (Skia operations) and Fill/Stroke/Font (print operations) are copies
// taken at call time, so later changes to the caller's objects do not show here.
//
// Skia operations (ISkCanvas):
//   "Save", "Restore"       Args empty ("Restore" is recorded only when it matches a Save)
//   "Translate"             dx, dy
//   "Scale"                 sx, sy
//   "Rotate"                degrees
//   "Concat"                m11, m12, m21, m22, dx, dy of the concatenated matrix
//   "ClipRect"              Rect = the rectangle
//   "ClipPath"              antiAlias (0/1); Path = the path
//   "Clear"                 colour (ARGB as a number)
//   "DrawLine"              x0, y0, x1, y1; Path = the line
//   "DrawRect"              Rect = the rectangle; Path = its outline
//   "DrawRoundRect"         rx, ry; Rect = the rectangle; Path = the outline drawn
//   "DrawOval"              Rect = the oval's bounds; Path = the ellipse
//   "DrawArc"               start, sweep, useCenter (0/1); Rect = the oval; Path = the arc (or pie)
//   "DrawPath"              Path = the path
//   "DrawPoints"            x0, y0, x1, y1, ...; Path = the polyline
//   "DrawImageRect"         src x, y, width, height, image width, image height; Rect = dst
//   "DrawSimpleText"        x, y (baseline); Text; Font
//   "DrawShapedText"        x, y (baseline); Text; Font
// Print operations (IPrintCanvas), with Opacity set; Fill, Stroke and Font copied:
//   "P.SetMatrix"           Matrix = the new matrix
//   "P.DrawLine"            ax, ay, bx, by; Path = the line
//   "P.DrawRect", "P.FillRect"        xRadius, yRadius, corners, corner type (ordinal);
//                                     Rect = the rectangle; Path = the outline drawn
//   "P.DrawEllipse", "P.FillEllipse"  Rect = the bounds; Path = the ellipse
//   "P.DrawArc", "P.FillArc"          cx, cy, rx, ry, start, sweep; Rect = the oval; Path = the arc
//   "P.DrawPath", "P.FillPath"        Path = the path
//   "P.DrawPolygon", "P.FillPolygon"  x0, y0, x1, y1, ... (NaN breaks kept); Path = closed parts
//   "P.FillText"            wordWrap (0/1), hAlign, vAlign (ordinals); Rect = the box; Text
//   "P.DrawBitmap"          src x, y, width, height, image width, image height; Rect = dst
// Queries (GetTotalMatrix, GetMatrix, MeasureText) are not recorded.
struct TRecordedOp {
  std::string Name;
  std::vector<double> Args;
  TSkPaint Paint;
  TBrush Fill;
  TStrokeBrush Stroke;
  TSkFont Font;
  QPainterPath Path;
  QRectF Rect;
  float Opacity = 1;
  QString Text;
  QTransform Matrix;
};

class TRecordingCanvas : public ISkCanvas, public IPrintCanvas {
 public:
  std::vector<TRecordedOp> Ops;

  int Count(const std::string& name) const;
  std::vector<TRecordedOp> OpsNamed(const std::string& name) const;
  std::vector<std::string> Names() const;  // the op names in call order
  void Clear() { Ops.clear(); }  // forgets the ops; the matrix and save stack stay
  int SaveDepth() const { return int(Stack_.size()); }

  // ISkCanvas
  void Save() override;
  void Restore() override;
  void Translate(float dx, float dy) override;
  void Scale(float sx, float sy) override;
  void Rotate(float degrees) override;
  void Concat(const QTransform& m) override;
  QTransform GetTotalMatrix() const override { return M_; }
  void ClipRect(const QRectF& r) override;
  void ClipPath(const TSkPath& path, bool antiAlias) override;
  void Clear(TAlphaColor color) override;
  void DrawLine(float x0, float y0, float x1, float y1, const TSkPaint& paint) override;
  void DrawRect(const QRectF& r, const TSkPaint& paint) override;
  void DrawRoundRect(const QRectF& r, float rx, float ry, const TSkPaint& paint) override;
  void DrawOval(const QRectF& r, const TSkPaint& paint) override;
  void DrawArc(const QRectF& oval, float startAngle, float sweepAngle, bool useCenter,
               const TSkPaint& paint) override;
  void DrawPath(const TSkPath& path, const TSkPaint& paint) override;
  void DrawPoints(const std::vector<QPointF>& points, const TSkPaint& paint) override;
  void DrawImageRect(const QImage& image, const QRectF& src, const QRectF& dst,
                     const TSkPaint& paint) override;
  void DrawSimpleText(const QString& text, float x, float y, const TSkFont& font,
                      const TSkPaint& paint) override;
  void DrawShapedText(const QString& text, float x, float y, const TSkFont& font, const TSkPaint& paint) override;

  // IPrintCanvas
  void SetMatrix(const QTransform& m) override;
  QTransform GetMatrix() const override { return M_; }
  void DrawLine(QPointF a, QPointF b, float opacity) override;
  void DrawRect(const QRectF& r, float xRadius, float yRadius, unsigned corners, float opacity,
                TCornerType type) override;
  void FillRect(const QRectF& r, float xRadius, float yRadius, unsigned corners, float opacity,
                TCornerType type) override;
  void DrawEllipse(const QRectF& r, float opacity) override;
  void FillEllipse(const QRectF& r, float opacity) override;
  void DrawArc(QPointF center, QPointF radius, float startAngle, float sweepAngle,
               float opacity) override;
  void FillArc(QPointF center, QPointF radius, float startAngle, float sweepAngle,
               float opacity) override;
  void DrawPath(const TPathData& path, float opacity) override;
  void FillPath(const TPathData& path, float opacity) override;
  void DrawPolygon(const QPolygonF& polygon, float opacity) override;
  void FillPolygon(const QPolygonF& polygon, float opacity) override;
  void FillText(const QRectF& r, const QString& text, bool wordWrap, float opacity,
                TTextAlign hAlign, TTextAlign vAlign) override;
  // Measured with the font's metrics at its pixel size, as the painter canvas would on a screen.
  QRectF MeasureText(const QRectF& bounds, const QString& text, bool wordWrap, TTextAlign hAlign,
                     TTextAlign vAlign) override;
  void DrawBitmap(const QImage& image, const QRectF& src, const QRectF& dst,
                  float opacity) override;

 private:
  TRecordedOp& Sk(const char* name, const TSkPaint* paint = nullptr);
  TRecordedOp& Print(const char* name, float opacity);
  void PrintArc(const char* name, QPointF center, QPointF radius, float start, float sweep,
                float opacity);

  QTransform M_;
  std::vector<QTransform> Stack_;
};

}  // namespace Orv::Canvas
