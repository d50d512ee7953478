#include "ORV.Canvas.h"

#include <unordered_map>

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPen>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace Orv::Canvas {

namespace {

// Control-point distance of a cubic quarter ellipse, as a fraction of the radius.
constexpr double kQuarterKappa = 0.5522847498;

QColor ToQColor(TAlphaColor c) { return QColor::fromRgba(c); }

QColor WithOpacity(TAlphaColor c, float opacity) {
  QColor q = QColor::fromRgba(c);
  q.setAlphaF(q.alphaF() * std::clamp(opacity, 0.0f, 1.0f));
  return q;
}

Qt::PenCapStyle ToQt(TSkStrokeCap c) {
  switch (c) {
    case TSkStrokeCap::Round: return Qt::RoundCap;
    case TSkStrokeCap::Square: return Qt::SquareCap;
    case TSkStrokeCap::Butt: break;
  }
  return Qt::FlatCap;
}

Qt::PenJoinStyle ToQt(TSkStrokeJoin j) {
  switch (j) {
    case TSkStrokeJoin::Round: return Qt::RoundJoin;
    case TSkStrokeJoin::Bevel: return Qt::BevelJoin;
    case TSkStrokeJoin::Miter: break;
  }
  return Qt::MiterJoin;
}

Qt::PenCapStyle ToQt(TStrokeCap c) {
  switch (c) {
    case TStrokeCap::Round: return Qt::RoundCap;
    case TStrokeCap::Square: return Qt::SquareCap;
    case TStrokeCap::Flat: break;
  }
  return Qt::FlatCap;
}

Qt::PenJoinStyle ToQt(TStrokeJoin j) {
  switch (j) {
    case TStrokeJoin::Round: return Qt::RoundJoin;
    case TStrokeJoin::Bevel: return Qt::BevelJoin;
    case TStrokeJoin::Miter: break;
  }
  return Qt::MiterJoin;
}

// The pattern QPen accepts: an even count of non-negative entries that adds up to something.
QList<qreal> PenPattern(const std::vector<float>& lengths, double unit) {
  QList<qreal> pattern;
  const size_t n = lengths.size() & ~size_t(1);
  double total = 0;
  for (size_t i = 0; i < n; ++i) {
    const double v = std::max(0.0, double(lengths[i])) / unit;
    pattern.append(v);
    total += v;
  }
  if (!(total > 0)) pattern.clear();
  return pattern;
}

double DefaultFontDpi() {
  // The dpi QFont resolves point sizes against when no device is given (primary screen).
  if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi)) return 96;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      return qRound(screen->logicalDotsPerInchY());
  return 96;
}

// Skia's rounded rectangle shrinks both radii by the same factor when they do not fit.
void FitRadii(const QRectF& r, float& rx, float& ry) {
  double scale = 1;
  if (rx * 2 > r.width()) scale = std::min(scale, r.width() / (2.0 * rx));
  if (ry * 2 > r.height()) scale = std::min(scale, r.height() / (2.0 * ry));
  rx = float(rx * scale);
  ry = float(ry * scale);
}

// Qt draws a QFont at a whole pixel size; the print canvas asks for the nearest whole size and
// scales it to the exact one.
struct TScaledFont {
  QFont Font;
  double Scale = 1;
};

TScaledFont PrintFont(const TSkFont& font, double dpi) {
  const double size = font.Size > 0 ? font.Size : 1;
  TSkFont whole = font;
  whole.Size = float(std::max(1L, std::lround(size)));
  return {whole.ToQFont(dpi), size / whole.Size};
}

QRectF Scaled(const QRectF& r, double s) { return QRectF(r.topLeft() * s, r.size() * s); }

// Glyphs placed one after the other with their own advances, as Skia's simple text does.
struct TGlyphs {
  QRawFont Raw;
  QString Key;  // identifies the raw font for the outline cache
  QList<quint32> Indexes;
  QList<QPointF> Positions;
  double Advance = 0;
};

TGlyphs LayOutGlyphs(const TSkFont& font, const QString& text) {
  TGlyphs g;
  g.Raw = font.ToRawFont();
  if (!g.Raw.isValid() || text.isEmpty()) return g;
  g.Key = font.Family + QLatin1Char('|') + QString::number(int(font.Bold) * 2 + int(font.Italic)) + QLatin1Char('|') +
          QString::number(double(font.Size), 'g', 9);
  g.Indexes = g.Raw.glyphIndexesForString(text);
  // Design metrics keep advances proportional to the size, independent of hinting.
  const QList<QPointF> advances = g.Raw.advancesForGlyphIndexes(
      g.Indexes, QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
  QPointF pen(0, 0);
  for (qsizetype i = 0; i < g.Indexes.size(); ++i) {
    g.Positions.append(pen);
    if (i < advances.size()) pen += advances[i];
  }
  g.Advance = pen.x();
  return g;
}

// Per-thread cache: raw fonts are resolved through the font database and cloned at the size.
// The cache is left behind when a thread outlives the application, whose font engines are gone.
struct TRawFontCache {
  QHash<QString, QRawFont>* Map = new QHash<QString, QRawFont>;
  ~TRawFontCache() {
    if (QCoreApplication::instance() != nullptr) delete Map;
  }
};

// Per-thread cache of glyph outlines: making an outline is the costly part of drawing text
// (font files, hinting), and labels repeat the same few glyphs at the same few sizes.
struct TGlyphPathCache {
  struct Key {
    QString Font;
    quint32 Glyph;
    bool operator==(const Key& o) const { return Glyph == o.Glyph && Font == o.Font; }
  };
  struct KeyHash {
    size_t operator()(const Key& k) const noexcept { return qHash(k.Font) ^ (size_t(k.Glyph) * 0x9E3779B97F4A7C15ull); }
  };
  std::unordered_map<Key, QPainterPath, KeyHash>* Map = new std::unordered_map<Key, QPainterPath, KeyHash>;
  ~TGlyphPathCache() {
    if (QCoreApplication::instance() != nullptr) delete Map;
  }
};

QPainterPath GlyphPath(const QRawFont& raw, const QString& fontKey, quint32 glyph) {
  thread_local TGlyphPathCache cache;
  const TGlyphPathCache::Key key{fontKey, glyph};
  if (auto it = cache.Map->find(key); it != cache.Map->end()) return it->second;
  if (cache.Map->size() >= 8192) cache.Map->clear();
  return cache.Map->emplace(key, raw.pathForGlyph(glyph)).first->second;
}

}  // namespace

// ---- Path effects, paths, fonts ----

std::shared_ptr<const TSkPathEffect> TSkPathEffect::MakeDash(std::vector<float> intervals,
                                                             float phase) {
  if (intervals.size() % 2 != 0) intervals.pop_back();
  for (float& v : intervals) v = std::max(v, 0.0f);
  return std::shared_ptr<const TSkPathEffect>(
      new TSkPathEffect(Kind::Dash, std::move(intervals), phase));
}

std::shared_ptr<const TSkPathEffect> TSkPathEffect::MakeStrokeAndFill() {
  static const std::shared_ptr<const TSkPathEffect> effect(
      new TSkPathEffect(Kind::StrokeAndFill, {}, 0));
  return effect;
}

void TSkPathBuilder::MoveTo(float x, float y) {
  Path_.moveTo(x, y);
  HasCurrentPoint_ = true;
}
void TSkPathBuilder::LineTo(float x, float y) {
  Path_.lineTo(x, y);
  HasCurrentPoint_ = true;
}
void TSkPathBuilder::CubicTo(float x1, float y1, float x2, float y2, float x3, float y3) {
  Path_.cubicTo(x1, y1, x2, y2, x3, y3);
  HasCurrentPoint_ = true;
}
void TSkPathBuilder::QuadTo(float x1, float y1, float x2, float y2) {
  Path_.quadTo(x1, y1, x2, y2);
  HasCurrentPoint_ = true;
}

void TSkPathBuilder::ArcTo(const QRectF& oval, float startAngle, float sweepAngle,
                           bool forceMoveTo) {
  if (oval.isEmpty()) return;
  // QPainterPath counts angles counter-clockwise. Without a current point Qt would join the arc
  // to (0, 0); Skia starts a contour at the arc's start.
  if (forceMoveTo || !HasCurrentPoint_) Path_.arcMoveTo(oval, -startAngle);
  HasCurrentPoint_ = true;
  Path_.arcTo(oval, -startAngle, -std::clamp(sweepAngle, -360.0f, 360.0f));
}

// Qt's ellipse and rectangle run clockwise (on y-down) from the same start points as Skia's,
// which matters for dash placement and winding.
void TSkPathBuilder::AddOval(const QRectF& oval) {
  Path_.addEllipse(oval);
  HasCurrentPoint_ = true;
}
void TSkPathBuilder::AddRect(const QRectF& rect) {
  Path_.addRect(rect);
  HasCurrentPoint_ = true;
}
void TSkPathBuilder::Close() { Path_.closeSubpath(); }

TSkPath TSkPathBuilder::Detach() {
  TSkPath result(std::move(Path_));
  Path_ = QPainterPath();
  Path_.setFillRule(Qt::WindingFill);
  HasCurrentPoint_ = false;
  return result;
}

QFont TSkFont::ToQFont() const { return ToQFont(DefaultFontDpi()); }

QFont TSkFont::ToQFont(double logicalDpi) const {
  QFont f;
  if (!Family.isEmpty()) f.setFamilies({Family});
  const double px = Size > 0 ? Size : 1;
  f.setPointSizeF(px * 72.0 / (logicalDpi > 0 ? logicalDpi : 96.0));
  f.setBold(Bold);
  f.setItalic(Italic);
  f.setUnderline(Underline);
  return f;
}

QRawFont TSkFont::ToRawFont() const {
  const double px = Size > 0 ? Size : 1;
  // Asked for every piece of text drawn: the key is joined, not formatted.
  const QString key = Family + QLatin1Char(Bold ? '1' : '0') + QLatin1Char(Italic ? '1' : '0') + QLatin1Char('|') +
                      QString::number(px, 'g', 9);
  thread_local TRawFontCache cache;
  if (auto it = cache.Map->constFind(key); it != cache.Map->constEnd()) return *it;
  QFont query = ToQFont();
  query.setUnderline(false);
  // Unhinted outlines scale exactly with fractional sizes, and skip the costly hinting program.
  query.setHintingPreference(QFont::PreferNoHinting);
  QRawFont raw = QRawFont::fromFont(query);
  if (raw.isValid()) raw.setPixelSize(px);
  if (cache.Map->size() >= 256) cache.Map->clear();
  cache.Map->insert(key, raw);
  return raw;
}

TSkFontMetrics TSkFont::Metrics() const {
  const QRawFont raw = ToRawFont();
  TSkFontMetrics m;
  if (!raw.isValid()) return m;
  m.Ascent = -float(raw.ascent());
  m.Descent = float(raw.descent());
  m.Leading = float(raw.leading());
  m.UnderlinePosition = float(raw.underlinePosition());
  m.UnderlineThickness = float(raw.lineThickness());
  return m;
}

float TSkFont::MeasureText(const QString& text) const {
  return float(LayOutGlyphs(*this, text).Advance * ScaleX);
}

namespace {
// Shaped text is laid out at a whole pixel size and scaled: Qt rounds fractional font sizes.
constexpr double kShapeRefPx = 256;
QFont ShapeFont(const TSkFont& font) {
  QFont f;
  if (!font.Family.isEmpty()) f.setFamilies({font.Family});
  f.setPixelSize(int(kShapeRefPx));
  f.setBold(font.Bold);
  f.setItalic(font.Italic);
  f.setHintingPreference(QFont::PreferNoHinting);
  f.setKerning(false);
  return f;
}

bool JoinedOrRightToLeft(QChar::Script s) {
  switch (s) {
    case QChar::Script_Common:
    case QChar::Script_Inherited:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Armenian:
    case QChar::Script_Georgian:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo: return false;
    default: return true;
  }
}
}  // namespace

bool TSkFont::NeedsShaping(const QString& text) const {
  QRawFont raw;
  bool made = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text[i].unicode();
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(text[i], text[i + 1]);
      ++i;
    }
    if (c < 0x250) continue;  // Latin with its accents: every face here has them
    if (JoinedOrRightToLeft(QChar::script(c))) return true;
    if (!made) {
      raw = ToRawFont();
      made = true;
    }
    if (!raw.isValid() || !raw.supportsCharacter(c)) return true;
  }
  return false;
}

float TSkFont::MeasureShaped(const QString& text) const {
  if (text.isEmpty()) return 0;
  const QFontMetricsF fm(ShapeFont(*this));
  return float(fm.horizontalAdvance(text) * (Size > 0 ? Size : 1) / kShapeRefPx * ScaleX);
}

void TQPainterCanvas::DrawShapedText(const QString& text, float x, float y, const TSkFont& font,
                                     const TSkPaint& paint) {
  if (text.isEmpty()) return;
  // Drawn at the nearest whole size, where the glyph cache (and a bold made up for a face without
  // one) applies; the small rest of the size is a scale.
  const double size = font.Size > 0 ? font.Size : 1;
  const int whole = std::max(1, int(std::lround(size)));
  const double k = size / whole;
  QFont f = ShapeFont(font);
  f.setPixelSize(whole);
  P_->save();
  P_->translate(x, y);
  P_->setWorldTransform(QTransform(font.ScaleX * k, 0, font.SkewX * k, k, 0, 0), true);
  P_->setRenderHint(QPainter::TextAntialiasing, paint.AntiAlias);
  P_->setFont(f);
  P_->setPen(ToQColor(paint.Color));
  P_->drawText(QPointF(0, 0), text);
  P_->restore();
}

QRectF MeasurePrintText(const TSkFont& font, const QPaintDevice* device, const QRectF& bounds,
                        const QString& text, int flags) {
  const double dpi =
      device && device->logicalDpiY() > 0 ? device->logicalDpiY() : DefaultFontDpi();
  const TScaledFont sf = PrintFont(font, dpi);
  const QFontMetricsF fm = device ? QFontMetricsF(sf.Font, device) : QFontMetricsF(sf.Font);
  return Scaled(fm.boundingRect(Scaled(bounds, 1 / sf.Scale), flags, text), sf.Scale);
}

void TStrokeBrush::SetCustomDash(std::vector<float> relative, float offset) {
  Dash = TStrokeDash::Custom;
  DashArray = std::move(relative);
  DashOffset = offset;
}

std::vector<float> TStrokeBrush::EffectiveDashArray() const {
  switch (Dash) {
    case TStrokeDash::Solid: return {};
    case TStrokeDash::Dash: return {3, 1};
    case TStrokeDash::Dot: return {1, 1};
    case TStrokeDash::DashDot: return {3, 1, 1, 1};
    case TStrokeDash::DashDotDot: return {3, 1, 1, 1, 1, 1};
    case TStrokeDash::Custom: return DashArray;
  }
  return {};
}

// ---- Shared geometry ----

QPainterPath SkArcPath(const QRectF& oval, float startAngle, float sweepAngle, bool useCenter) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  const float sweep = std::clamp(sweepAngle, -360.0f, 360.0f);
  if (useCenter) {
    path.moveTo(oval.center());
    path.arcTo(oval, -startAngle, -sweep);
    path.closeSubpath();
  } else {
    path.arcMoveTo(oval, -startAngle);
    path.arcTo(oval, -startAngle, -sweep);
    if (std::abs(sweep) >= 360) path.closeSubpath();
  }
  return path;
}

QPainterPath SkRoundRectPath(const QRectF& rect, float rx, float ry) {
  QPainterPath path;
  const QRectF r = rect.normalized();
  if (!(rx > 0) || !(ry > 0)) {
    path.addRect(r);
    return path;
  }
  FitRadii(r, rx, ry);
  path.addRoundedRect(r, rx, ry, Qt::AbsoluteSize);
  return path;
}

QPainterPath PrintRectPath(const QRectF& rect, float xRadius, float yRadius, unsigned corners,
                           TCornerType type) {
  QPainterPath path;
  const QRectF r = rect.normalized();
  if (xRadius <= 0 || yRadius <= 0 || (corners & AllCorners) == 0) {
    path.addRect(r);
    return path;
  }
  const double x1 = std::min<double>(xRadius, r.width() / 2);
  const double y1 = std::min<double>(yRadius, r.height() / 2);
  const double L = r.left(), T = r.top(), R = r.right(), B = r.bottom();
  struct CornerGeom {
    unsigned Flag;
    QPointF C, A, B;  // the corner, where the shape leaves the previous side, where it meets the next
  };
  // Clockwise on y-down, starting at the top-left.
  const CornerGeom geoms[4] = {
      {TopLeft, {L, T}, {L, T + y1}, {L + x1, T}},
      {TopRight, {R, T}, {R - x1, T}, {R, T + y1}},
      {BottomRight, {R, B}, {R, B - y1}, {R - x1, B}},
      {BottomLeft, {L, B}, {L + x1, B}, {L, B - y1}},
  };
  for (int i = 0; i < 4; ++i) {
    const CornerGeom& g = geoms[i];
    if (i == 0)
      path.moveTo(g.A);
    else
      path.lineTo(g.A);
    if ((corners & g.Flag) == 0) {
      path.lineTo(g.C);
      path.lineTo(g.B);
      continue;
    }
    const QPointF inner = g.A + g.B - g.C;  // the centre of a rounded corner
    switch (type) {
      case TCornerType::Round:
        path.cubicTo(g.A + (g.C - g.A) * kQuarterKappa, g.B + (g.C - g.B) * kQuarterKappa, g.B);
        break;
      case TCornerType::Bevel:
        path.lineTo(g.B);
        break;
      case TCornerType::InnerRound:  // a concave quarter around the corner point
        path.cubicTo(g.A + (inner - g.A) * kQuarterKappa, g.B + (inner - g.B) * kQuarterKappa,
                     g.B);
        break;
      case TCornerType::InnerLine:  // a stepped notch
        path.lineTo(g.A + (inner - g.A) * 0.5);
        path.lineTo(g.B + (inner - g.B) * 0.5);
        path.lineTo(g.B);
        break;
    }
  }
  path.closeSubpath();
  return path;
}

QPainterPath PolygonPath(const QPolygonF& polygon) {
  QPainterPath path;
  QPolygonF part;
  auto flush = [&] {
    if (part.size() >= 2) {
      path.addPolygon(part);
      path.closeSubpath();
    }
    part.clear();
  };
  for (const QPointF& p : polygon) {
    if (std::isnan(p.x()) || std::isnan(p.y()))
      flush();
    else
      part.append(p);
  }
  flush();
  return path;
}

int TextFlags(bool wordWrap, TTextAlign hAlign, TTextAlign vAlign) {
  int flags = 0;
  switch (hAlign) {
    case TTextAlign::Leading: flags |= Qt::AlignLeft; break;
    case TTextAlign::Center: flags |= Qt::AlignHCenter; break;
    case TTextAlign::Trailing: flags |= Qt::AlignRight; break;
  }
  switch (vAlign) {
    case TTextAlign::Leading: flags |= Qt::AlignTop; break;
    case TTextAlign::Center: flags |= Qt::AlignVCenter; break;
    case TTextAlign::Trailing: flags |= Qt::AlignBottom; break;
  }
  if (wordWrap) flags |= Qt::TextWordWrap;
  return flags;
}

// ---- TQPainterCanvas: state ----

TQPainterCanvas::TQPainterCanvas(QPainter* p) : P_(p) {}

TQPainterCanvas::~TQPainterCanvas() {
  while (SaveDepth_ > 0) Restore();
}

void TQPainterCanvas::Save() {
  P_->save();
  ++SaveDepth_;
}

void TQPainterCanvas::Restore() {
  if (SaveDepth_ == 0) return;
  P_->restore();
  --SaveDepth_;
}

void TQPainterCanvas::Translate(float dx, float dy) { P_->translate(dx, dy); }
void TQPainterCanvas::Scale(float sx, float sy) { P_->scale(sx, sy); }
void TQPainterCanvas::Rotate(float degrees) { P_->rotate(degrees); }
void TQPainterCanvas::Concat(const QTransform& m) { P_->setWorldTransform(m, true); }
QTransform TQPainterCanvas::GetTotalMatrix() const { return P_->worldTransform(); }

void TQPainterCanvas::ClipRect(const QRectF& r) { P_->setClipRect(r, Qt::IntersectClip); }

void TQPainterCanvas::ClipPath(const TSkPath& path, bool antiAlias) {
  P_->setRenderHint(QPainter::Antialiasing, antiAlias);
  P_->setClipPath(path.Path, Qt::IntersectClip);
}

void TQPainterCanvas::Clear(TAlphaColor color) {
  P_->save();
  P_->resetTransform();
  // Replace rather than blend where the engine can (raster); PDF has no pixels to replace.
  if (P_->paintEngine() && P_->paintEngine()->hasFeature(QPaintEngine::PorterDuff))
    P_->setCompositionMode(QPainter::CompositionMode_Source);
  const QPaintDevice* d = P_->device();
  P_->fillRect(QRectF(0, 0, d ? d->width() : 0, d ? d->height() : 0), ToQColor(color));
  P_->restore();
}

double TQPainterCanvas::DeviceDpi() const {
  const QPaintDevice* d = P_->device();
  return d && d->logicalDpiY() > 0 ? d->logicalDpiY() : 96.0;
}

// ---- TQPainterCanvas: Skia-style drawing ----

TQPainterCanvas::Mode TQPainterCanvas::ModeOf(const TSkPaint& paint) {
  Mode m = paint.Style == TSkPaintStyle::Fill     ? Mode::Fill
           : paint.Style == TSkPaintStyle::Stroke ? Mode::Stroke
                                                  : Mode::Both;
  if (paint.PathEffect && paint.PathEffect->IsStrokeAndFill()) m = Mode::Both;
  // A hairline adds nothing to a fill (Skia treats hairline stroke-and-fill as fill).
  if (m == Mode::Both && !(paint.StrokeWidth > 0)) m = Mode::Fill;
  return m;
}

QPen TQPainterCanvas::SkPen(const TSkPaint& paint) const {
  QPen pen(ToQColor(paint.Color));
  const bool hairline = !(paint.StrokeWidth > 0);
  pen.setWidthF(hairline ? 0.0 : paint.StrokeWidth);  // width 0 is Qt's cosmetic 1-pixel pen
  pen.setCapStyle(ToQt(paint.StrokeCap));
  pen.setJoinStyle(ToQt(paint.StrokeJoin));
  pen.setMiterLimit(4);  // Skia's default; Qt's limit has the same meaning
  if (paint.PathEffect && paint.PathEffect->IsDash()) {
    // QPen measures dashes in pen widths. Skia dashes the path in local units before a hairline
    // is drawn, so a hairline's device-pixel unit is 1/scale local units.
    double unit = paint.StrokeWidth;
    if (hairline) {
      const double scale = std::sqrt(std::abs(P_->combinedTransform().determinant()));
      unit = scale > 0 ? 1.0 / scale : 1.0;
    }
    const QList<qreal> pattern = PenPattern(paint.PathEffect->Intervals(), unit);
    if (!pattern.isEmpty()) {
      pen.setDashPattern(pattern);
      pen.setDashOffset(paint.PathEffect->Phase() / unit);
    }
  }
  return pen;
}

const QPen& TQPainterCanvas::ShapePen(const TSkPaint& paint) {
  // Dashed hairlines depend on the matrix: those are built afresh every time.
  const bool dashed = paint.PathEffect && paint.PathEffect->IsDash();
  if (dashed || LastPenWidth_ < 0 || paint.Color != LastPenColor_ || paint.StrokeWidth != LastPenWidth_ ||
      paint.StrokeCap != LastPenCap_ || paint.StrokeJoin != LastPenJoin_) {
    LastPen_ = SkPen(paint);
    LastPenColor_ = paint.Color;
    LastPenWidth_ = dashed ? -1 : std::max(0.0f, paint.StrokeWidth);
    LastPenCap_ = paint.StrokeCap;
    LastPenJoin_ = paint.StrokeJoin;
  }
  return LastPen_;
}

const QBrush& TQPainterCanvas::ShapeBrush(TAlphaColor color) {
  if (!HasLastBrush_ || color != LastBrushColor_) {
    LastBrush_ = QBrush(ToQColor(color));
    LastBrushColor_ = color;
    HasLastBrush_ = true;
  }
  return LastBrush_;
}

void TQPainterCanvas::SkShape(const QPainterPath& path, const TSkPaint& paint, Mode mode) {
  P_->setRenderHint(QPainter::Antialiasing, paint.AntiAlias);
  switch (mode) {
    case Mode::Fill:
      P_->setPen(NoPen_);
      P_->setBrush(ShapeBrush(paint.Color));
      break;
    case Mode::Stroke:
      P_->setPen(ShapePen(paint));
      P_->setBrush(NoBrush_);
      break;
    case Mode::Both:
      if ((paint.Color >> 24) < 255) {
        const QColor color = ToQColor(paint.Color);
        // Skia covers outline and interior in one pass; drawing both would darken the overlap.
        QPainterPathStroker stroker(SkPen(paint));
        QPainterPath whole = path.united(stroker.createStroke(path));
        whole.setFillRule(Qt::WindingFill);
        P_->setPen(Qt::NoPen);
        P_->setBrush(color);
        P_->drawPath(whole);
        return;
      }
      P_->setPen(ShapePen(paint));
      P_->setBrush(ShapeBrush(paint.Color));
      break;
  }
  P_->drawPath(path);
}

void TQPainterCanvas::DrawLine(float x0, float y0, float x1, float y1, const TSkPaint& paint) {
  P_->setRenderHint(QPainter::Antialiasing, paint.AntiAlias);
  P_->setPen(SkPen(paint));
  P_->setBrush(Qt::NoBrush);
  P_->drawLine(QLineF(x0, y0, x1, y1));
}

void TQPainterCanvas::DrawRect(const QRectF& r, const TSkPaint& paint) {
  QPainterPath path;
  path.addRect(r.normalized());
  SkShape(path, paint, ModeOf(paint));
}

void TQPainterCanvas::DrawRects(const std::vector<QRectF>& rects, const TSkPaint& paint) {
  if (rects.empty()) return;
  if (ModeOf(paint) != Mode::Fill) {
    ISkCanvas::DrawRects(rects, paint);
    return;
  }
  // One call: a PDF page gets a run of "re" operators and a single fill.
  P_->setRenderHint(QPainter::Antialiasing, paint.AntiAlias);
  P_->setPen(Qt::NoPen);
  P_->setBrush(ToQColor(paint.Color));
  P_->drawRects(rects.data(), int(rects.size()));
}

void TQPainterCanvas::DrawRoundRect(const QRectF& rect, float rx, float ry,
                                    const TSkPaint& paint) {
  SkShape(SkRoundRectPath(rect, rx, ry), paint, ModeOf(paint));
}

void TQPainterCanvas::DrawOval(const QRectF& r, const TSkPaint& paint) {
  QPainterPath path;
  path.addEllipse(r.normalized());
  SkShape(path, paint, ModeOf(paint));
}

void TQPainterCanvas::DrawArc(const QRectF& oval, float startAngle, float sweepAngle,
                              bool useCenter, const TSkPaint& paint) {
  if (oval.isEmpty() || sweepAngle == 0) return;
  SkShape(SkArcPath(oval.normalized(), startAngle, sweepAngle, useCenter), paint, ModeOf(paint));
}

void TQPainterCanvas::DrawPath(const TSkPath& path, const TSkPaint& paint) {
  SkShape(path.Path, paint, ModeOf(paint));
}

void TQPainterCanvas::DrawPoints(const std::vector<QPointF>& points, const TSkPaint& paint) {
  if (points.size() < 2) return;
  P_->setRenderHint(QPainter::Antialiasing, paint.AntiAlias);
  P_->setPen(SkPen(paint));
  P_->setBrush(Qt::NoBrush);
  P_->drawPolyline(points.data(), int(points.size()));
}

void TQPainterCanvas::DrawImageRect(const QImage& image, const QRectF& src, const QRectF& dst,
                                    const TSkPaint& paint) {
  if (image.isNull()) return;
  P_->save();
  P_->setOpacity(paint.Alpha());
  P_->setRenderHint(QPainter::SmoothPixmapTransform, paint.AntiAlias);
  P_->drawImage(dst, image, src);
  P_->restore();
}

void TQPainterCanvas::DrawSimpleText(const QString& text, float x, float y, const TSkFont& font,
                                     const TSkPaint& paint) {
  const TGlyphs g = LayOutGlyphs(font, text);
  if (g.Indexes.isEmpty()) return;
  P_->save();
  P_->translate(x, y);
  if (font.ScaleX != 1 || font.SkewX != 0)
    P_->setWorldTransform(QTransform(font.ScaleX, 0, font.SkewX, 1, 0, 0), true);
  const Mode mode = ModeOf(paint);
  // Text fills as a glyph run: Qt caches rasterised glyphs (and PDFs keep real text), where
  // outlines would be flattened glyph by glyph. A stroke-and-fill pen of up to one pixel adds
  // at most half a pixel of weight, so it fills the same way; a heavier one strokes the
  // outlines over the fill, and outlined text uses the outlines alone.
  const bool heavy = mode == Mode::Both && paint.StrokeWidth > 1.0f;
  if (mode != Mode::Stroke) {
    QGlyphRun run;
    run.setRawFont(g.Raw);
    run.setGlyphIndexes(g.Indexes);
    run.setPositions(g.Positions);
    P_->setRenderHint(QPainter::TextAntialiasing, paint.AntiAlias);
    P_->setPen(ToQColor(paint.Color));
    P_->drawGlyphRun(QPointF(0, 0), run);
  }
  if (mode == Mode::Stroke || heavy) {
    QPainterPath glyphs;
    glyphs.setFillRule(Qt::WindingFill);
    for (qsizetype i = 0; i < g.Indexes.size(); ++i)
      glyphs.addPath(GlyphPath(g.Raw, g.Key, g.Indexes[i]).translated(g.Positions[i]));
    SkShape(glyphs, paint, Mode::Stroke);
  }
  P_->restore();
}

// ---- TQPainterCanvas: print canvas ----

void TQPainterCanvas::SetMatrix(const QTransform& m) { P_->setWorldTransform(m); }
QTransform TQPainterCanvas::GetMatrix() const { return P_->worldTransform(); }

bool TQPainterCanvas::PrintPen(float opacity) {
  if (Stroke.Kind == TBrushKind::None) return false;
  QPen pen(WithOpacity(Stroke.Color, opacity));
  pen.setWidthF(Stroke.Thickness > 0 ? Stroke.Thickness : 0.0);
  pen.setCapStyle(ToQt(Stroke.Cap));
  pen.setJoinStyle(ToQt(Stroke.Join));
  pen.setMiterLimit(4);
  // Already relative to the thickness, which is QPen's unit too.
  const QList<qreal> pattern = PenPattern(Stroke.EffectiveDashArray(), 1.0);
  if (!pattern.isEmpty()) {
    pen.setDashPattern(pattern);
    pen.setDashOffset(Stroke.DashOffset);
  }
  P_->setRenderHint(QPainter::Antialiasing, true);
  P_->setPen(pen);
  P_->setBrush(Qt::NoBrush);
  return true;
}

bool TQPainterCanvas::PrintBrush(float opacity) {
  if (Fill.Kind == TBrushKind::None) return false;
  P_->setRenderHint(QPainter::Antialiasing, true);
  P_->setPen(Qt::NoPen);
  P_->setBrush(WithOpacity(Fill.Color, opacity));
  return true;
}

void TQPainterCanvas::DrawLine(QPointF a, QPointF b, float opacity) {
  if (PrintPen(opacity)) P_->drawLine(QLineF(a, b));
}

void TQPainterCanvas::DrawRect(const QRectF& r, float xRadius, float yRadius, unsigned corners,
                               float opacity, TCornerType type) {
  if (PrintPen(opacity)) P_->drawPath(PrintRectPath(r, xRadius, yRadius, corners, type));
}

void TQPainterCanvas::FillRect(const QRectF& r, float xRadius, float yRadius, unsigned corners,
                               float opacity, TCornerType type) {
  if (PrintBrush(opacity)) P_->drawPath(PrintRectPath(r, xRadius, yRadius, corners, type));
}

void TQPainterCanvas::FillRects(const std::vector<QRectF>& rects, float opacity) {
  if (!rects.empty() && PrintBrush(opacity)) P_->drawRects(rects.data(), int(rects.size()));
}

void TQPainterCanvas::DrawEllipse(const QRectF& r, float opacity) {
  if (PrintPen(opacity)) P_->drawEllipse(r.normalized());
}

void TQPainterCanvas::FillEllipse(const QRectF& r, float opacity) {
  if (PrintBrush(opacity)) P_->drawEllipse(r.normalized());
}

void TQPainterCanvas::DrawArc(QPointF center, QPointF radius, float startAngle, float sweepAngle,
                              float opacity) {
  const QRectF oval(center - radius, center + radius);
  if (sweepAngle == 0 || oval.normalized().isEmpty()) return;
  if (PrintPen(opacity)) P_->drawPath(SkArcPath(oval.normalized(), startAngle, sweepAngle, false));
}

void TQPainterCanvas::FillArc(QPointF center, QPointF radius, float startAngle, float sweepAngle,
                              float opacity) {
  const QRectF oval(center - radius, center + radius);
  if (sweepAngle == 0 || oval.normalized().isEmpty()) return;
  if (PrintBrush(opacity)) P_->drawPath(SkArcPath(oval.normalized(), startAngle, sweepAngle, false));
}

void TQPainterCanvas::DrawPath(const TPathData& path, float opacity) {
  if (PrintPen(opacity)) P_->drawPath(path.Path);
}

void TQPainterCanvas::FillPath(const TPathData& path, float opacity) {
  if (PrintBrush(opacity)) P_->drawPath(path.Path);
}

void TQPainterCanvas::DrawPolygon(const QPolygonF& polygon, float opacity) {
  if (PrintPen(opacity)) P_->drawPath(PolygonPath(polygon));
}

void TQPainterCanvas::FillPolygon(const QPolygonF& polygon, float opacity) {
  if (PrintBrush(opacity)) P_->drawPath(PolygonPath(polygon));
}

void TQPainterCanvas::FillText(const QRectF& r, const QString& text, bool wordWrap, float opacity,
                               TTextAlign hAlign, TTextAlign vAlign) {
  if (Fill.Kind == TBrushKind::None || text.isEmpty()) return;
  const TScaledFont sf = PrintFont(Font, DeviceDpi());
  P_->save();
  P_->setRenderHint(QPainter::TextAntialiasing, true);
  P_->setFont(sf.Font);
  P_->setPen(WithOpacity(Fill.Color, opacity));
  if (sf.Scale != 1) P_->scale(sf.Scale, sf.Scale);
  P_->drawText(Scaled(r, 1 / sf.Scale), TextFlags(wordWrap, hAlign, vAlign), text);
  P_->restore();
}

QRectF TQPainterCanvas::MeasureText(const QRectF& bounds, const QString& text, bool wordWrap,
                                    TTextAlign hAlign, TTextAlign vAlign) {
  return MeasurePrintText(Font, P_->device(), bounds, text, TextFlags(wordWrap, hAlign, vAlign));
}

void TQPainterCanvas::DrawBitmap(const QImage& image, const QRectF& src, const QRectF& dst,
                                 float opacity) {
  if (image.isNull()) return;
  P_->save();
  P_->setOpacity(std::clamp(opacity, 0.0f, 1.0f));
  P_->setRenderHint(QPainter::SmoothPixmapTransform, true);
  P_->drawImage(dst, image, src);
  P_->restore();
}

}  // namespace Orv::Canvas
