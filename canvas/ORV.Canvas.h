// The drawing surface the item code is written against: Skia-shaped operations (ISkCanvas) for
// screen and export drawing, FireMonkey-TCanvas-shaped operations (IPrintCanvas) for printing,
// and one QPainter implementation of both.
#pragma once

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRawFont>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class QPainter;
class QPaintDevice;
class QPen;

namespace Orv::Canvas {

using TAlphaColor = std::uint32_t;  // ARGB, alpha in the top byte

enum class TSkPaintStyle { Fill, Stroke, StrokeAndFill };
enum class TSkStrokeCap { Butt, Round, Square };
enum class TSkStrokeJoin { Miter, Round, Bevel };

// Immutable and shared between paints. Dash intervals are in the same units as the stroke width
// (pixels at the identity matrix), with a phase into the pattern.
class TSkPathEffect {
 public:
  // An odd trailing interval is dropped; negative intervals count as 0. A pattern that adds up to
  // nothing draws solid.
  static std::shared_ptr<const TSkPathEffect> MakeDash(std::vector<float> intervals, float phase);
  // Outline and interior together, whatever the paint's style: a Fill paint with this effect
  // behaves like StrokeAndFill. Texts drawn this way come out slightly bolder by the stroke width.
  static std::shared_ptr<const TSkPathEffect> MakeStrokeAndFill();

  bool IsDash() const { return Kind_ == Kind::Dash; }
  bool IsStrokeAndFill() const { return Kind_ == Kind::StrokeAndFill; }
  const std::vector<float>& Intervals() const { return Intervals_; }
  float Phase() const { return Phase_; }

 private:
  enum class Kind { Dash, StrokeAndFill };
  TSkPathEffect(Kind kind, std::vector<float> intervals, float phase)
      : Kind_(kind), Intervals_(std::move(intervals)), Phase_(phase) {}
  Kind Kind_;
  std::vector<float> Intervals_;
  float Phase_ = 0;
};
using PathEffectPtr = std::shared_ptr<const TSkPathEffect>;

struct TSkPaint {
  TAlphaColor Color = 0xFF000000;
  TSkPaintStyle Style = TSkPaintStyle::Fill;
  float StrokeWidth = 0;  // 0 = hairline (1 device pixel)
  TSkStrokeCap StrokeCap = TSkStrokeCap::Butt;
  TSkStrokeJoin StrokeJoin = TSkStrokeJoin::Miter;
  bool AntiAlias = false;
  PathEffectPtr PathEffect;  // null = solid
  float Alpha() const { return float(Color >> 24) / 255.0f; }
};

// Skia fills paths with the non-zero winding rule; builders and paths keep that rule.
class TSkPath {
 public:
  TSkPath() { Path.setFillRule(Qt::WindingFill); }
  explicit TSkPath(QPainterPath path) : Path(std::move(path)) {}
  QPainterPath Path;
  bool IsEmpty() const { return Path.isEmpty(); }  // no elements, or a lone move
  QRectF Bounds() const { return Path.controlPointRect(); }
};

class TSkPathBuilder {
 public:
  TSkPathBuilder() { Path_.setFillRule(Qt::WindingFill); }
  void MoveTo(float x, float y);
  void LineTo(float x, float y);
  void CubicTo(float x1, float y1, float x2, float y2, float x3, float y3);
  void QuadTo(float x1, float y1, float x2, float y2);
  // Degrees, clockwise on a y-down device; when forceMoveTo is false a line joins the current
  // point to the arc's start, otherwise the arc starts a new contour.
  void ArcTo(const QRectF& oval, float startAngle, float sweepAngle, bool forceMoveTo);
  void AddOval(const QRectF& oval);  // clockwise from the right-hand middle, a closed contour
  void AddRect(const QRectF& rect);  // clockwise from the top-left, a closed contour
  void Close();
  TSkPath Detach();  // the path built so far; the builder starts again empty

 private:
  QPainterPath Path_;
  bool HasCurrentPoint_ = false;  // an empty QPainterPath already holds a move to (0, 0)
};

// Skia-style font metrics in pixels: ascent is negative (above the baseline), descent positive.
struct TSkFontMetrics {
  float Ascent = 0;
  float Descent = 0;
  float Leading = 0;
  float UnderlinePosition = 0;   // below the baseline, positive
  float UnderlineThickness = 0;
};

// Size in pixels, fractional sizes honoured. Qt's font database rounds every QFont to whole
// pixels (setPointSizeF included), so exact sizes go through QRawFont, which keeps fractional
// pixel sizes: ToRawFont, Metrics, MeasureText and DrawSimpleText use it. ToQFont(dpi) gives the
// size as a point size for a device of that dpi; Qt draws it at the nearest whole pixel size,
// which the print canvas makes up for with a scale. The no-argument form uses the application's
// default font dpi, the one QFontMetricsF(QFont) uses.
struct TSkFont {
  QString Family;
  float Size = 12;       // pixels
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;  // print text only (FillText); Skia-style text never underlines
  float ScaleX = 1;        // horizontal scale of the glyphs
  float SkewX = 0;         // x shear per unit of y in glyph space; negative slants to the right

  QFont ToQFont() const;
  QFont ToQFont(double logicalDpi) const;
  QRawFont ToRawFont() const;  // the resolved face at exactly Size pixels (cached per thread)
  TSkFontMetrics Metrics() const;
  // Advance width in pixels, ScaleX applied: glyph by glyph with the font's own advances, no
  // kerning or shaping, as DrawSimpleText places them.
  float MeasureText(const QString& text) const;
  // Whether `text` needs Qt's text layout to show right: characters the face lacks (drawn from
  // a fallback font) or scripts whose letters join or run right to left.
  bool NeedsShaping(const QString& text) const;
  // Advance width in pixels as DrawShapedText lays the text out.
  float MeasureShaped(const QString& text) const;
};

class ISkCanvas {  // screen and export drawing
 public:
  virtual ~ISkCanvas() = default;
  virtual void Save() = 0;
  virtual void Restore() = 0;  // an unmatched Restore is ignored
  virtual void Translate(float dx, float dy) = 0;
  virtual void Scale(float sx, float sy) = 0;
  virtual void Rotate(float degrees) = 0;  // clockwise on y-down, like Skia and QPainter::rotate
  virtual void Concat(const QTransform&) = 0;  // applies the given matrix before the current one
  virtual QTransform GetTotalMatrix() const = 0;
  virtual void ClipRect(const QRectF&) = 0;
  virtual void ClipPath(const TSkPath& path, bool antiAlias) = 0;  // intersects
  virtual void Clear(TAlphaColor) = 0;  // replaces every pixel inside the clip
  // Lines and points are always stroked, whatever the paint's style (as in Skia).
  virtual void DrawLine(float x0, float y0, float x1, float y1, const TSkPaint&) = 0;
  virtual void DrawRect(const QRectF&, const TSkPaint&) = 0;
  // Many rectangles with one paint, as if each were drawn with DrawRect; a canvas may draw them
  // as one shape (barcode bars and modules: far smaller vector output).
  virtual void DrawRects(const std::vector<QRectF>& rects, const TSkPaint& paint) {
    for (const QRectF& r : rects) DrawRect(r, paint);
  }
  virtual void DrawRoundRect(const QRectF&, float rx, float ry, const TSkPaint&) = 0;
  virtual void DrawOval(const QRectF&, const TSkPaint&) = 0;
  // Skia angles (degrees, clockwise on y-down); useCenter draws a pie; |sweep| >= 360 a full oval.
  virtual void DrawArc(const QRectF& oval, float startAngle, float sweepAngle, bool useCenter,
                       const TSkPaint&) = 0;
  virtual void DrawPath(const TSkPath&, const TSkPaint&) = 0;
  // The canvas underneath a wrapper that scales geometry on its way through, and that scale.
  // A caller that sets up a scaled frame of its own anyway (a placed symbol) draws there, with
  // the scale joined to its frame, rather than have every outline copied. Plain canvases: this.
  virtual ISkCanvas& Unscaled(float& scale) {
    scale = 1;
    return *this;
  }
  virtual void DrawPoints(const std::vector<QPointF>&, const TSkPaint&) = 0;  // open polyline
  // The paint's alpha is the image's opacity; AntiAlias asks for smooth scaling.
  virtual void DrawImageRect(const QImage&, const QRectF& src, const QRectF& dst,
                             const TSkPaint&) = 0;
  // Glyph by glyph from the font's face, without fallback fonts, kerning or shaping.
  virtual void DrawSimpleText(const QString&, float x, float y /*baseline*/, const TSkFont&,
                              const TSkPaint&) = 0;
  // Through Qt's text layout: fallback fonts, joined scripts, right-to-left runs; filled in the
  // paint's colour. Canvases without a text layout draw it glyph by glyph.
  virtual void DrawShapedText(const QString& text, float x, float y /*baseline*/, const TSkFont& font,
                              const TSkPaint& paint) {
    DrawSimpleText(text, x, y, font, paint);
  }
};

// ---- Print canvas (FireMonkey TCanvas shape) ----

enum class TBrushKind { None, Solid };
enum class TStrokeCap { Flat, Round, Square };
enum class TStrokeJoin { Miter, Round, Bevel };
enum class TStrokeDash { Solid, Dash, Dot, DashDot, DashDotDot, Custom };
enum class TCornerType { Round, Bevel, InnerRound, InnerLine };
enum Corner : unsigned { TopLeft = 1, TopRight = 2, BottomLeft = 4, BottomRight = 8, AllCorners = 15 };

struct TBrush {
  TBrushKind Kind = TBrushKind::Solid;
  TAlphaColor Color = 0xFF000000;
};

// Dash lengths and the offset are relative to the thickness. The named dashes use the usual
// FireMonkey patterns (Dash 3-1, Dot 1-1, DashDot 3-1-1-1, DashDotDot 3-1-1-1-1-1).
// A thickness of 0 or less strokes a 1-pixel hairline.
struct TStrokeBrush : TBrush {
  float Thickness = 1;
  TStrokeCap Cap = TStrokeCap::Flat;
  TStrokeJoin Join = TStrokeJoin::Miter;
  TStrokeDash Dash = TStrokeDash::Solid;
  std::vector<float> DashArray;
  float DashOffset = 0;
  void SetCustomDash(std::vector<float> relative, float offset);
  // The pattern in effect for Dash (empty for Solid), relative to the thickness.
  std::vector<float> EffectiveDashArray() const;
};

// Filled with the even-odd rule.
class TPathData {
 public:
  void MoveTo(QPointF p) { Path.moveTo(p); }
  void LineTo(QPointF p) { Path.lineTo(p); }
  void CurveTo(QPointF c1, QPointF c2, QPointF end) { Path.cubicTo(c1, c2, end); }
  void ClosePath() { Path.closeSubpath(); }
  void AddEllipse(QRectF r) { Path.addEllipse(r); }
  void AddRectangle(QRectF r) { Path.addRect(r); }
  bool IsEmpty() const { return Path.elementCount() == 0; }
  QPainterPath Path;
};

enum class TTextAlign { Center, Leading, Trailing };

class IPrintCanvas {
 public:
  virtual ~IPrintCanvas() = default;
  TBrush Fill;
  TStrokeBrush Stroke;
  TSkFont Font;  // the text colour is Fill's colour

  // Absolute: replaces the current matrix (shared with ISkCanvas's matrix).
  virtual void SetMatrix(const QTransform&) = 0;
  virtual QTransform GetMatrix() const = 0;
  // Draw* stroke with Stroke, Fill* fill with Fill; a brush of kind None draws nothing.
  // Opacity multiplies the brush colour's alpha.
  virtual void DrawLine(QPointF a, QPointF b, float opacity) = 0;
  // Radii apply to the corners named in `corners` (a Corner mask); the others stay square.
  virtual void DrawRect(const QRectF&, float xRadius, float yRadius, unsigned corners,
                        float opacity, TCornerType) = 0;
  virtual void FillRect(const QRectF&, float xRadius, float yRadius, unsigned corners,
                        float opacity, TCornerType) = 0;
  // Square-cornered rectangles filled as if each were filled with FillRect.
  virtual void FillRects(const std::vector<QRectF>& rects, float opacity) {
    for (const QRectF& r : rects) FillRect(r, 0, 0, 0, opacity, TCornerType::Round);
  }
  virtual void DrawEllipse(const QRectF&, float opacity) = 0;
  virtual void FillEllipse(const QRectF&, float opacity) = 0;
  // Centre, radii, start and sweep in degrees clockwise on y-down. FillArc fills the arc's own
  // outline, closed by its chord, as filling an arc path does.
  virtual void DrawArc(QPointF center, QPointF radius, float startAngle, float sweepAngle,
                       float opacity) = 0;
  virtual void FillArc(QPointF center, QPointF radius, float startAngle, float sweepAngle,
                       float opacity) = 0;
  virtual void DrawPath(const TPathData&, float opacity) = 0;
  virtual void FillPath(const TPathData&, float opacity) = 0;
  // Closed. A point with NaN coordinates separates sub-polygons.
  virtual void DrawPolygon(const QPolygonF&, float opacity) = 0;
  virtual void FillPolygon(const QPolygonF&, float opacity) = 0;
  virtual void FillText(const QRectF&, const QString&, bool wordWrap, float opacity,
                        TTextAlign hAlign, TTextAlign vAlign) = 0;
  // The rectangle the text would occupy when laid out in `bounds` like FillText. Both use Qt's
  // text layout with the font's family, so fallback fonts and shaping apply here.
  virtual QRectF MeasureText(const QRectF& bounds, const QString&, bool wordWrap,
                             TTextAlign hAlign, TTextAlign vAlign) = 0;
  virtual void DrawBitmap(const QImage&, const QRectF& src, const QRectF& dst, float opacity) = 0;
};

// Shared geometry, so the recording canvas reports exactly what the painter draws.
QPainterPath SkArcPath(const QRectF& oval, float startAngle, float sweepAngle, bool useCenter);
QPainterPath SkRoundRectPath(const QRectF& rect, float rx, float ry);
QPainterPath PrintRectPath(const QRectF& r, float xRadius, float yRadius, unsigned corners,
                           TCornerType type);
QPainterPath PolygonPath(const QPolygonF& polygon);
int TextFlags(bool wordWrap, TTextAlign hAlign, TTextAlign vAlign);
// Print text measured for `device` (null: the default font dpi), as FillText lays it out.
QRectF MeasurePrintText(const TSkFont& font, const QPaintDevice* device, const QRectF& bounds,
                        const QString& text, int flags);

class TQPainterCanvas : public ISkCanvas, public IPrintCanvas {
 public:
  // The painter must be active and outlive the canvas. Restores any Save left open on destruction.
  explicit TQPainterCanvas(QPainter* p);
  ~TQPainterCanvas() override;
  TQPainterCanvas(const TQPainterCanvas&) = delete;
  TQPainterCanvas& operator=(const TQPainterCanvas&) = delete;
  QPainter* Painter() const { return P_; }

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
  void DrawImageRect(const QImage& image, const QRectF& src, const QRectF& dst,
                     const TSkPaint& paint) override;
  void DrawSimpleText(const QString& text, float x, float y, const TSkFont& font,
                      const TSkPaint& paint) override;
  void DrawShapedText(const QString& text, float x, float y, const TSkFont& font, const TSkPaint& paint) override;

  // IPrintCanvas
  void SetMatrix(const QTransform& m) override;
  QTransform GetMatrix() const override;
  void DrawLine(QPointF a, QPointF b, float opacity) override;
  void DrawRect(const QRectF& r, float xRadius, float yRadius, unsigned corners, float opacity,
                TCornerType type) override;
  void FillRect(const QRectF& r, float xRadius, float yRadius, unsigned corners, float opacity,
                TCornerType type) override;
  void FillRects(const std::vector<QRectF>& rects, float opacity) override;
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
  QRectF MeasureText(const QRectF& bounds, const QString& text, bool wordWrap, TTextAlign hAlign,
                     TTextAlign vAlign) override;
  void DrawBitmap(const QImage& image, const QRectF& src, const QRectF& dst,
                  float opacity) override;

 private:
  enum class Mode { Fill, Stroke, Both };
  static Mode ModeOf(const TSkPaint& paint);
  QPen SkPen(const TSkPaint& paint) const;
  // The pen and brush of the last shape, kept so that runs of shapes drawn alike (a page of
  // placed symbols) neither build nor compare new ones.
  const QPen& ShapePen(const TSkPaint& paint);
  const QBrush& ShapeBrush(TAlphaColor color);
  void SkShape(const QPainterPath& path, const TSkPaint& paint, Mode mode);
  bool PrintPen(float opacity);
  bool PrintBrush(float opacity);
  double DeviceDpi() const;

  QPainter* P_;
  int SaveDepth_ = 0;
  QPen LastPen_;
  TAlphaColor LastPenColor_ = 0;
  float LastPenWidth_ = -1;  // none kept yet
  TSkStrokeCap LastPenCap_ = TSkStrokeCap::Butt;
  TSkStrokeJoin LastPenJoin_ = TSkStrokeJoin::Miter;
  QBrush LastBrush_;
  TAlphaColor LastBrushColor_ = 0;
  bool HasLastBrush_ = false;
  const QBrush NoBrush_{Qt::NoBrush};
  const QPen NoPen_{Qt::NoPen};
};

}  // namespace Orv::Canvas
