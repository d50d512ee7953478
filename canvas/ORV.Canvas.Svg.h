// A canvas that writes SVG: paths with their fill, stroke and dashes for every shape, pictures as
// embedded PNG data, text as <text> elements (family, size, weight, style), clip paths and the
// transform stack. What an item draws on the screen or into a PNG comes out as the same shapes.
#pragma once

#include "ORV.Canvas.h"

#include <QByteArray>
#include <QHash>
#include <QSizeF>
#include <QString>

#include <string>
#include <vector>

namespace Orv::Canvas {

// The page of an SVG document. Drawing happens in device pixels at `Dpi`; the document's user
// units (its viewBox) are millimetres, so the page is exactly ViewWidth x ViewHeight mm whatever
// the resolution. Width and Height are the root's size attributes with their unit ("100mm",
// "4in", "378" for pixels).
struct TSvgPage {
  double ViewWidth = 0;   // mm
  double ViewHeight = 0;  // mm
  QString Width;
  QString Height;
  double Dpi = 96;
};

class TSvgCanvas : public ISkCanvas {
 public:
  explicit TSvgCanvas(const TSvgPage& page);
  TSvgCanvas(const TSvgCanvas&) = delete;
  TSvgCanvas& operator=(const TSvgCanvas&) = delete;

  // Everything drawn between the two sits in <g id="...">. A clip set inside the group and not
  // restored ends with the group. Ids are written as given (escaped): the caller keeps them
  // unique.
  void BeginGroup(const QString& id);
  void EndGroup();

  // The whole document: XML declaration, the root with its size and viewBox, the definitions
  // (clip paths, pictures) and the elements drawn so far. Open groups are closed in the copy.
  QByteArray Document() const;

  // ISkCanvas
  void Save() override;
  void Restore() override;
  void Translate(float dx, float dy) override;
  void Scale(float sx, float sy) override;
  void Rotate(float degrees) override;
  void Concat(const QTransform& m) override;
  QTransform GetTotalMatrix() const override;
  void ClipRect(const QRectF& r) override;
  void ClipPath(const TSkPath& path, bool antiAlias) override;
  // SVG has no pixels to replace: a rectangle of the colour over the page (inside the clip);
  // a transparent colour draws nothing.
  void Clear(TAlphaColor color) override;
  void DrawLine(float x0, float y0, float x1, float y1, const TSkPaint& paint) override;
  void DrawRect(const QRectF& r, const TSkPaint& paint) override;
  void DrawRects(const std::vector<QRectF>& rects, const TSkPaint& paint) override;
  void DrawRoundRect(const QRectF& r, float rx, float ry, const TSkPaint& paint) override;
  void DrawOval(const QRectF& r, const TSkPaint& paint) override;
  void DrawArc(const QRectF& oval, float startAngle, float sweepAngle, bool useCenter,
               const TSkPaint& paint) override;
  void DrawPath(const TSkPath& path, const TSkPaint& paint) override;
  void DrawPoints(const std::vector<QPointF>& points, const TSkPaint& paint) override;
  // Each distinct picture is embedded once, as PNG, and placed with <use>.
  void DrawImageRect(const QImage& image, const QRectF& src, const QRectF& dst,
                     const TSkPaint& paint) override;
  // Text stays text: the viewer lays it out with the named family at the same size, starting at
  // the same baseline point. Glyph widths may differ slightly where its fonts differ.
  void DrawSimpleText(const QString& text, float x, float y, const TSkFont& font,
                      const TSkPaint& paint) override;
  void DrawShapedText(const QString& text, float x, float y, const TSkFont& font,
                      const TSkPaint& paint) override;

 private:
  enum class Mode { Fill, Stroke, Both };
  enum class Group { Clip, Item };
  struct TState {
    QTransform Matrix;  // device pixels, as the caller sees it
    int ClipGroups = 0;  // <g clip-path> opened at this level
  };
  // How an element's coordinates reach the page: mapped point by point (a matrix that keeps
  // shapes, so widths scale by one factor) or through a transform attribute.
  struct TFrame {
    QTransform Out;   // local coordinates to millimetres
    bool Mapped = true;
    double Scale = 1;  // length factor of Out
  };

  struct TOpen {
    Group Kind;
    std::size_t Depth;  // States_ size when it was opened
  };

  static Mode ModeOf(const TSkPaint& paint);
  static TFrame FrameOf(const QTransform& out);
  TFrame Frame() const;
  // Writers into *W_ (the body, or the definitions while one is written).
  void Pt(const TFrame& f, double x, double y);
  void Num(double v);
  void Attr(const char* name, double v);
  void Color(const char* name, TAlphaColor c);
  void Opacity(const char* name, TAlphaColor c);  // nothing for an opaque colour
  void TransformAttr(const TFrame& f);
  void PathData(const TFrame& f, const QPainterPath& path);
  void RectShape(const TFrame& f, const QRectF& r);
  void Paint(const TFrame& f, const TSkPaint& paint, Mode mode, Qt::FillRule rule);
  void StrokeAttrs(const TFrame& f, const TSkPaint& paint);
  void Shape(const QPainterPath& path, const TSkPaint& paint, Mode mode);
  void Clip(const QPainterPath& path);
  void Text(const QString& text, float x, float y, const TSkFont& font, const TSkPaint& paint);
  void OpenGroup(Group kind, const std::string& attrs);
  void CloseGroup();

  TSvgPage Page_;
  QTransform Base_;  // device pixels to millimetres
  std::vector<TState> States_;
  std::vector<TOpen> Open_;  // groups open in Body_, innermost last
  std::vector<std::size_t> ItemMarks_;  // Open_ sizes at each BeginGroup
  std::string Body_;
  std::string Defs_;
  std::string* W_ = &Body_;
  int Clips_ = 0;
  QHash<QString, int> Images_;  // picture key -> number of its definition
};

// Text for XML: markup characters escaped, characters XML cannot hold dropped.
QByteArray SvgEscape(const QString& text);

}  // namespace Orv::Canvas
