#include "ORV.Canvas.Svg.h"

#include <QBuffer>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace Orv::Canvas {

namespace {

// Coordinates beyond a kilometre of paper are nonsense; clamping keeps every number short.
constexpr double kMaxCoord = 1e9;

// Three decimals: a micrometre in millimetres, a thousandth of a pixel in local frames.
void AppendFixed(std::string& out, double v) {
  if (!std::isfinite(v)) v = 0;
  v = std::clamp(v, -kMaxCoord, kMaxCoord);
  char buf[48];
  char* end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 3).ptr;
  // Trailing zeros and a bare point go; "-0" is written as "0".
  while (end > buf && end[-1] == '0') --end;
  if (end > buf && end[-1] == '.') --end;
  if (end - buf == 2 && buf[0] == '-' && buf[1] == '0') {
    out += '0';
    return;
  }
  out.append(buf, end);
}

// Matrix entries need relative precision rather than a fixed number of decimals.
void AppendGeneral(std::string& out, double v) {
  if (!std::isfinite(v)) v = 0;
  char buf[48];
  char* end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 9).ptr;
  out.append(buf, end);
}

void AppendHex2(std::string& out, unsigned v) {
  static const char digits[] = "0123456789abcdef";
  out += digits[(v >> 4) & 15];
  out += digits[v & 15];
}

bool Near(double a, double b, double tol) { return std::abs(a - b) <= tol; }

}  // namespace

QByteArray SvgEscape(const QString& text) {
  QByteArray out;
  out.reserve(text.size() + 8);
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    // XML 1.0 has no place for most control characters nor for U+FFFE and U+FFFF.
    if ((u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) || u == 0xFFFE || u == 0xFFFF) continue;
    switch (u) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      case 0x9: out += "&#9;"; break;
      case 0xA: out += "&#10;"; break;
      case 0xD: out += "&#13;"; break;
      default:
        if (u < 0x80) out += char(u);
        else out += QString(c).toUtf8();
    }
  }
  return out;
}

TSvgCanvas::TSvgCanvas(const TSvgPage& page) : Page_(page) {
  const double mmPerPx = 25.4 / (page.Dpi > 0 ? page.Dpi : 96.0);
  Base_ = QTransform::fromScale(mmPerPx, mmPerPx);
  States_.push_back({});
  Body_.reserve(1 << 16);
}

// ---- document

void TSvgCanvas::OpenGroup(Group kind, const std::string& attrs) {
  Body_ += "<g";
  Body_ += attrs;
  Body_ += ">\n";
  Open_.push_back({kind, States_.size()});
}

void TSvgCanvas::CloseGroup() {
  Body_ += "</g>\n";
  Open_.pop_back();
}

void TSvgCanvas::BeginGroup(const QString& id) {
  ItemMarks_.push_back(Open_.size());
  const QByteArray e = SvgEscape(id);
  OpenGroup(Group::Item, " id=\"" + std::string(e.constData(), std::size_t(e.size())) + '"');
}

void TSvgCanvas::EndGroup() {
  if (ItemMarks_.empty()) return;
  const std::size_t mark = ItemMarks_.back();
  ItemMarks_.pop_back();
  while (Open_.size() > mark) CloseGroup();
}

QByteArray TSvgCanvas::Document() const {
  std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\"";
  const QByteArray w = SvgEscape(Page_.Width), h = SvgEscape(Page_.Height);
  head += " width=\"" + w.toStdString() + "\" height=\"" + h.toStdString() + "\" viewBox=\"0 0 ";
  AppendFixed(head, Page_.ViewWidth);
  head += ' ';
  AppendFixed(head, Page_.ViewHeight);
  head += "\" xml:space=\"preserve\">\n";
  QByteArray doc;
  doc.reserve(qsizetype(head.size() + Defs_.size() + Body_.size() + 32 + Open_.size() * 5));
  doc.append(head.data(), qsizetype(head.size()));
  if (!Defs_.empty()) {
    doc.append("<defs>\n");
    doc.append(Defs_.data(), qsizetype(Defs_.size()));
    doc.append("</defs>\n");
  }
  doc.append(Body_.data(), qsizetype(Body_.size()));
  for (std::size_t i = 0; i < Open_.size(); ++i) doc.append("</g>\n");
  doc.append("</svg>\n");
  return doc;
}

// ---- state

void TSvgCanvas::Save() {
  TState s = States_.back();
  States_.push_back(s);
}

void TSvgCanvas::Restore() {
  if (States_.size() <= 1) return;
  // The clips of this level end here; an item group is never closed by a Restore.
  while (!Open_.empty() && Open_.back().Kind == Group::Clip && Open_.back().Depth >= States_.size()) CloseGroup();
  States_.pop_back();
}

void TSvgCanvas::Translate(float dx, float dy) {
  QTransform& m = States_.back().Matrix;
  m = QTransform::fromTranslate(dx, dy) * m;
}
void TSvgCanvas::Scale(float sx, float sy) {
  QTransform& m = States_.back().Matrix;
  m = QTransform::fromScale(sx, sy) * m;
}
void TSvgCanvas::Rotate(float degrees) {
  QTransform& m = States_.back().Matrix;
  m = QTransform().rotate(degrees) * m;
}
void TSvgCanvas::Concat(const QTransform& t) {
  QTransform& m = States_.back().Matrix;
  m = t * m;
}
QTransform TSvgCanvas::GetTotalMatrix() const { return States_.back().Matrix; }

// ---- element writing

TSvgCanvas::TFrame TSvgCanvas::FrameOf(const QTransform& out) {
  TFrame f;
  f.Out = out;
  const double a = out.m11(), b = out.m12(), c = out.m21(), d = out.m22();
  const double tol = 1e-7 * std::max({std::abs(a), std::abs(b), std::abs(c), std::abs(d), 1e-12});
  // Rotation, uniform scale and mirroring keep every shape: its points can be mapped one by
  // one and its widths scale by one factor. Anything else goes through a transform attribute.
  const bool similar = (Near(a, d, tol) && Near(b, -c, tol)) || (Near(a, -d, tol) && Near(b, c, tol));
  f.Mapped = similar && out.isAffine();
  f.Scale = std::sqrt(std::abs(a * d - b * c));
  if (!(f.Scale > 0)) f.Scale = 1;
  return f;
}

TSvgCanvas::TFrame TSvgCanvas::Frame() const { return FrameOf(States_.back().Matrix * Base_); }

void TSvgCanvas::Num(double v) { AppendFixed(*W_, v); }

void TSvgCanvas::Pt(const TFrame& f, double x, double y) {
  if (f.Mapped) {
    const double px = f.Out.m11() * x + f.Out.m21() * y + f.Out.dx();
    const double py = f.Out.m12() * x + f.Out.m22() * y + f.Out.dy();
    x = px;
    y = py;
  }
  AppendFixed(*W_, x);
  *W_ += ' ';
  AppendFixed(*W_, y);
}

void TSvgCanvas::Attr(const char* name, double v) {
  *W_ += ' ';
  *W_ += name;
  *W_ += "=\"";
  AppendFixed(*W_, v);
  *W_ += '"';
}

void TSvgCanvas::Color(const char* name, TAlphaColor c) {
  *W_ += ' ';
  *W_ += name;
  *W_ += "=\"#";
  AppendHex2(*W_, (c >> 16) & 0xFF);
  AppendHex2(*W_, (c >> 8) & 0xFF);
  AppendHex2(*W_, c & 0xFF);
  *W_ += '"';
}

void TSvgCanvas::Opacity(const char* name, TAlphaColor c) {
  const unsigned a = c >> 24;
  if (a == 255) return;
  *W_ += ' ';
  *W_ += name;
  *W_ += "=\"";
  AppendGeneral(*W_, std::round(a / 255.0 * 10000) / 10000);
  *W_ += '"';
}

void TSvgCanvas::TransformAttr(const TFrame& f) {
  if (f.Mapped) return;
  const QTransform& m = f.Out;
  *W_ += " transform=\"matrix(";
  const double v[6] = {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()};
  for (int i = 0; i < 6; ++i) {
    if (i) *W_ += ' ';
    AppendGeneral(*W_, v[i]);
  }
  *W_ += ")\"";
}

void TSvgCanvas::PathData(const TFrame& f, const QPainterPath& path) {
  const int n = path.elementCount();
  QPointF start, last;
  int inSubpath = 0;  // elements since the last move
  auto endSubpath = [&] {
    // A contour that comes back to its start is closed, as the painter's stroker treats it.
    if (inSubpath > 1 && last == start) *W_ += 'Z';
  };
  for (int i = 0; i < n; ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    switch (e.type) {
      case QPainterPath::MoveToElement:
        endSubpath();
        *W_ += 'M';
        Pt(f, e.x, e.y);
        start = last = QPointF(e.x, e.y);
        inSubpath = 1;
        break;
      case QPainterPath::LineToElement:
        *W_ += 'L';
        Pt(f, e.x, e.y);
        last = QPointF(e.x, e.y);
        ++inSubpath;
        break;
      case QPainterPath::CurveToElement: {
        if (i + 2 >= n) return;
        const QPainterPath::Element c2 = path.elementAt(i + 1), to = path.elementAt(i + 2);
        *W_ += 'C';
        Pt(f, e.x, e.y);
        *W_ += ' ';
        Pt(f, c2.x, c2.y);
        *W_ += ' ';
        Pt(f, to.x, to.y);
        last = QPointF(to.x, to.y);
        ++inSubpath;
        i += 2;
        break;
      }
      case QPainterPath::CurveToDataElement: break;  // consumed with its curve
    }
  }
  endSubpath();
}

TSvgCanvas::Mode TSvgCanvas::ModeOf(const TSkPaint& paint) {
  Mode m = paint.Style == TSkPaintStyle::Fill     ? Mode::Fill
           : paint.Style == TSkPaintStyle::Stroke ? Mode::Stroke
                                                  : Mode::Both;
  if (paint.PathEffect && paint.PathEffect->IsStrokeAndFill()) m = Mode::Both;
  // A hairline adds nothing to a fill, as on the painter canvas.
  if (m == Mode::Both && !(paint.StrokeWidth > 0)) m = Mode::Fill;
  return m;
}

void TSvgCanvas::StrokeAttrs(const TFrame& f, const TSkPaint& paint) {
  Color("stroke", paint.Color);
  // Widths and dashes are local lengths; a hairline is one device pixel whatever the matrix.
  const double unit = f.Mapped ? f.Scale : 1.0;
  const double devicePx = Base_.m11() / (f.Mapped ? 1.0 : f.Scale);
  Attr("stroke-width", paint.StrokeWidth > 0 ? paint.StrokeWidth * unit : devicePx);
  if (paint.StrokeCap == TSkStrokeCap::Round) *W_ += " stroke-linecap=\"round\"";
  else if (paint.StrokeCap == TSkStrokeCap::Square) *W_ += " stroke-linecap=\"square\"";
  if (paint.StrokeJoin == TSkStrokeJoin::Round) *W_ += " stroke-linejoin=\"round\"";
  else if (paint.StrokeJoin == TSkStrokeJoin::Bevel) *W_ += " stroke-linejoin=\"bevel\"";
  if (paint.PathEffect && paint.PathEffect->IsDash()) {
    const std::vector<float>& v = paint.PathEffect->Intervals();
    double total = 0;
    for (float x : v) total += std::max(0.0f, x);
    if (total > 0 && v.size() >= 2) {
      *W_ += " stroke-dasharray=\"";
      for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) *W_ += ' ';
        AppendFixed(*W_, std::max(0.0f, v[i]) * unit);
      }
      *W_ += '"';
      if (paint.PathEffect->Phase() != 0) Attr("stroke-dashoffset", paint.PathEffect->Phase() * unit);
    }
  }
}

void TSvgCanvas::Paint(const TFrame& f, const TSkPaint& paint, Mode mode, Qt::FillRule rule) {
  switch (mode) {
    case Mode::Fill:
      Color("fill", paint.Color);
      Opacity("fill-opacity", paint.Color);
      break;
    case Mode::Stroke:
      *W_ += " fill=\"none\"";
      StrokeAttrs(f, paint);
      Opacity("stroke-opacity", paint.Color);
      break;
    case Mode::Both:
      // Outline and interior as one coverage, so a translucent colour does not darken where
      // they overlap: the element's opacity, not the paints'.
      Color("fill", paint.Color);
      StrokeAttrs(f, paint);
      Opacity("opacity", paint.Color);
      break;
  }
  if (rule == Qt::OddEvenFill && mode != Mode::Stroke) *W_ += " fill-rule=\"evenodd\"";
  if (!paint.AntiAlias) *W_ += " shape-rendering=\"crispEdges\"";
}

void TSvgCanvas::Shape(const QPainterPath& path, const TSkPaint& paint, Mode mode) {
  if (path.elementCount() < 2) return;
  const TFrame f = Frame();
  W_ = &Body_;
  Body_ += "<path";
  TransformAttr(f);
  Body_ += " d=\"";
  PathData(f, path);
  Body_ += '"';
  Paint(f, paint, mode, path.fillRule());
  Body_ += "/>\n";
}

void TSvgCanvas::RectShape(const TFrame& f, const QRectF& rect) {
  const QRectF r = rect.normalized();
  *W_ += 'M';
  Pt(f, r.left(), r.top());
  *W_ += 'L';
  Pt(f, r.right(), r.top());
  *W_ += 'L';
  Pt(f, r.right(), r.bottom());
  *W_ += 'L';
  Pt(f, r.left(), r.bottom());
  *W_ += 'Z';
}

// ---- clipping

void TSvgCanvas::Clip(const QPainterPath& path) {
  const TFrame f = Frame();
  const int id = ++Clips_;
  W_ = &Defs_;
  Defs_ += "<clipPath id=\"clip" + std::to_string(id) + "\"><path";
  TransformAttr(f);
  Defs_ += " d=\"";
  if (path.elementCount() > 0) PathData(f, path);
  else Defs_ += "M0 0Z";  // an empty clip: nothing shows
  Defs_ += '"';
  if (path.fillRule() == Qt::OddEvenFill) Defs_ += " clip-rule=\"evenodd\"";
  Defs_ += "/></clipPath>\n";
  W_ = &Body_;
  OpenGroup(Group::Clip, " clip-path=\"url(#clip" + std::to_string(id) + ")\"");
}

void TSvgCanvas::ClipRect(const QRectF& r) {
  QPainterPath p;
  p.addRect(r.normalized());
  Clip(p);
}

void TSvgCanvas::ClipPath(const TSkPath& path, bool /*antiAlias*/) { Clip(path.Path); }

void TSvgCanvas::Clear(TAlphaColor color) {
  if ((color >> 24) == 0) return;
  W_ = &Body_;
  Body_ += "<path d=\"M0 0H";
  Num(Page_.ViewWidth);
  Body_ += 'V';
  Num(Page_.ViewHeight);
  Body_ += "H0Z\"";
  Color("fill", color);
  Opacity("fill-opacity", color);
  Body_ += "/>\n";
}

// ---- shapes

void TSvgCanvas::DrawLine(float x0, float y0, float x1, float y1, const TSkPaint& paint) {
  const TFrame f = Frame();
  W_ = &Body_;
  Body_ += "<path";
  TransformAttr(f);
  Body_ += " d=\"M";
  Pt(f, x0, y0);
  Body_ += 'L';
  Pt(f, x1, y1);
  Body_ += '"';
  Paint(f, paint, Mode::Stroke, Qt::WindingFill);
  Body_ += "/>\n";
}

void TSvgCanvas::DrawRect(const QRectF& r, const TSkPaint& paint) {
  const TFrame f = Frame();
  W_ = &Body_;
  Body_ += "<path";
  TransformAttr(f);
  Body_ += " d=\"";
  RectShape(f, r);
  Body_ += '"';
  Paint(f, paint, ModeOf(paint), Qt::WindingFill);
  Body_ += "/>\n";
}

void TSvgCanvas::DrawRects(const std::vector<QRectF>& rects, const TSkPaint& paint) {
  if (rects.empty()) return;
  if (ModeOf(paint) != Mode::Fill) {
    ISkCanvas::DrawRects(rects, paint);
    return;
  }
  // One path for a whole run of bars or modules.
  const TFrame f = Frame();
  W_ = &Body_;
  Body_ += "<path";
  TransformAttr(f);
  Body_ += " d=\"";
  for (const QRectF& r : rects) RectShape(f, r);
  Body_ += '"';
  Paint(f, paint, Mode::Fill, Qt::WindingFill);
  Body_ += "/>\n";
}

void TSvgCanvas::DrawRoundRect(const QRectF& r, float rx, float ry, const TSkPaint& paint) {
  Shape(SkRoundRectPath(r, rx, ry), paint, ModeOf(paint));
}

void TSvgCanvas::DrawOval(const QRectF& r, const TSkPaint& paint) {
  QPainterPath p;
  p.addEllipse(r.normalized());
  Shape(p, paint, ModeOf(paint));
}

void TSvgCanvas::DrawArc(const QRectF& oval, float startAngle, float sweepAngle, bool useCenter,
                         const TSkPaint& paint) {
  if (oval.isEmpty() || sweepAngle == 0) return;
  Shape(SkArcPath(oval.normalized(), startAngle, sweepAngle, useCenter), paint, ModeOf(paint));
}

void TSvgCanvas::DrawPath(const TSkPath& path, const TSkPaint& paint) { Shape(path.Path, paint, ModeOf(paint)); }

void TSvgCanvas::DrawPoints(const std::vector<QPointF>& points, const TSkPaint& paint) {
  if (points.size() < 2) return;
  const TFrame f = Frame();
  W_ = &Body_;
  Body_ += "<path";
  TransformAttr(f);
  Body_ += " d=\"M";
  Pt(f, points[0].x(), points[0].y());
  for (std::size_t i = 1; i < points.size(); ++i) {
    Body_ += 'L';
    Pt(f, points[i].x(), points[i].y());
  }
  Body_ += '"';
  Paint(f, paint, Mode::Stroke, Qt::WindingFill);
  Body_ += "/>\n";
}

// ---- pictures

void TSvgCanvas::DrawImageRect(const QImage& image, const QRectF& src, const QRectF& dst, const TSkPaint& paint) {
  if (image.isNull() || dst.isEmpty() || (paint.Color >> 24) == 0) return;
  const QRect part = src.toAlignedRect() & image.rect();
  if (part.isEmpty()) return;
  const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                          .arg(image.cacheKey())
                          .arg(part.x())
                          .arg(part.y())
                          .arg(part.width())
                          .arg(part.height());
  auto it = Images_.constFind(key);
  int id = 0;
  if (it != Images_.constEnd()) {
    id = *it;
  } else {
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    if (!(part == image.rect() ? image : image.copy(part)).save(&buf, "PNG")) return;
    id = int(Images_.size()) + 1;
    Images_.insert(key, id);
    W_ = &Defs_;
    Defs_ += "<image id=\"img" + std::to_string(id) + '"';
    Attr("width", part.width());
    Attr("height", part.height());
    Defs_ += " preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64,";
    const QByteArray b64 = png.toBase64();
    Defs_.append(b64.constData(), std::size_t(b64.size()));
    Defs_ += "\"/>\n";
  }
  // The picture's pixels onto dst, then the canvas matrix.
  const QTransform place(dst.width() / part.width(), 0, 0, dst.height() / part.height(), dst.x(), dst.y());
  TFrame f = FrameOf(place * States_.back().Matrix * Base_);
  f.Mapped = false;
  W_ = &Body_;
  Body_ += "<use xlink:href=\"#img" + std::to_string(id) + '"';
  TransformAttr(f);
  Opacity("opacity", paint.Color);
  if (!paint.AntiAlias) Body_ += " image-rendering=\"optimizeSpeed\"";
  Body_ += "/>\n";
}

// ---- text

void TSvgCanvas::Text(const QString& text, float x, float y, const TSkFont& font, const TSkPaint& paint) {
  if (text.isEmpty()) return;
  // Glyph space: the horizontal scale and slant of the font, at the baseline point.
  const QTransform glyphs(font.ScaleX, 0, font.SkewX, 1, x, y);
  TFrame f = FrameOf(glyphs * States_.back().Matrix * Base_);
  const QTransform& m = f.Out;
  // Upright text at a plain scale keeps plain coordinates and a scaled size.
  const bool plain = m.m12() == 0 && m.m21() == 0 && m.m11() > 0 && Near(m.m11(), m.m22(), 1e-7 * m.m11());
  f.Mapped = plain;
  const double size = font.Size > 0 ? font.Size : 1;
  W_ = &Body_;
  Body_ += "<text";
  if (plain) {
    Attr("x", m.dx());
    Attr("y", m.dy());
  } else {
    TransformAttr(f);
  }
  QString family = font.Family;
  family.remove(QLatin1Char('\''));
  Body_ += " font-family=\"'";
  const QByteArray fam = SvgEscape(family);
  Body_.append(fam.constData(), std::size_t(fam.size()));
  Body_ += "'\"";
  Attr("font-size", plain ? size * f.Scale : size);
  if (font.Bold) Body_ += " font-weight=\"bold\"";
  if (font.Italic) Body_ += " font-style=\"italic\"";
  Mode mode = ModeOf(paint);
  // As the painter canvas draws it: a stroke-and-fill pen of up to one pixel only fills.
  if (mode == Mode::Both && paint.StrokeWidth <= 1.0f) mode = Mode::Fill;
  Paint(f, paint, mode, Qt::WindingFill);
  Body_ += '>';
  const QByteArray t = SvgEscape(text);
  Body_.append(t.constData(), std::size_t(t.size()));
  Body_ += "</text>\n";
}

void TSvgCanvas::DrawSimpleText(const QString& text, float x, float y, const TSkFont& font, const TSkPaint& paint) {
  Text(text, x, y, font, paint);
}

void TSvgCanvas::DrawShapedText(const QString& text, float x, float y, const TSkFont& font, const TSkPaint& paint) {
  Text(text, x, y, font, paint);
}

}  // namespace Orv::Canvas
