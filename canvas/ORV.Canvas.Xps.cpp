#include "ORV.Canvas.Xps.h"

#include <QBuffer>
#include <QHash>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QSaveFile>

#include <zip.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

namespace Orv::Canvas {

namespace {

constexpr char kXpsNs[] = "http://schemas.microsoft.com/xps/2005/06";

// Numbers with a decimal point whatever the locale, trailing zeros dropped.
QByteArray Num(double v, int decimals) {
  if (!std::isfinite(v)) v = 0;
  QByteArray s = QByteArray::number(v, 'f', decimals);
  if (s.contains('.')) {
    while (s.endsWith('0')) s.chop(1);
    if (s.endsWith('.')) s.chop(1);
  }
  return s == "-0" ? QByteArray("0") : s;
}

QByteArray Matrix(const QTransform& t) {
  return Num(t.m11(), 6) + ',' + Num(t.m12(), 6) + ',' + Num(t.m21(), 6) + ',' + Num(t.m22(), 6) + ',' +
         Num(t.dx(), 4) + ',' + Num(t.dy(), 4);
}

QByteArray Color(const QColor& color) {
  const QColor c = color.toRgb();
  char buf[10];
  if (c.alpha() == 255)
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c.red(), c.green(), c.blue());
  else
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X%02X", c.alpha(), c.red(), c.green(), c.blue());
  return buf;
}

// The abbreviated path syntax. A figure that ends where it began is closed, as Qt's stroker
// treats it, so its corners join instead of getting caps.
QByteArray Geometry(const QPainterPath& path, int decimals) {
  QByteArray out;
  if (path.isEmpty()) return out;
  if (path.fillRule() == Qt::WindingFill) out += "F1";
  QPointF start, last;
  int segments = 0;
  auto pt = [&](const QPointF& p) { return Num(p.x(), decimals) + ',' + Num(p.y(), decimals); };
  auto endFigure = [&] {
    if (segments > 0 && last == start) out += 'Z';
  };
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    switch (e.type) {
      case QPainterPath::MoveToElement:
        endFigure();
        start = last = e;
        segments = 0;
        out += 'M' + pt(e);
        break;
      case QPainterPath::LineToElement:
        last = e;
        ++segments;
        out += 'L' + pt(e);
        break;
      case QPainterPath::CurveToElement:
        if (i + 2 < path.elementCount()) {
          last = path.elementAt(i + 2);
          ++segments;
          out += 'C' + pt(e) + ' ' + pt(path.elementAt(i + 1)) + ' ' + pt(last);
        }
        i += 2;
        break;
      case QPainterPath::CurveToDataElement:
        break;
    }
  }
  endFigure();
  return out;
}

// Geometry to a thousandth of a device pixel, finer where the element's own transform magnifies.
int DecimalsFor(const QTransform& t) {
  const double scale = std::sqrt(std::abs(t.determinant()));
  return std::clamp(3 + int(std::ceil(std::log10(std::max(scale, 1e-9)))), 3, 8);
}

const char* CapName(Qt::PenCapStyle c) {
  return c == Qt::RoundCap ? "Round" : c == Qt::SquareCap ? "Square" : "Flat";
}

}  // namespace

// The finished pages, and the images they share: one PNG part per distinct image.
struct TXpsParts {
  struct TPage {
    QByteArray Markup;
    std::set<QString> Resources;
    double Width = 0, Height = 0;  // XPS units
  };
  std::vector<TPage> Pages;
  std::vector<std::pair<QString, QByteArray>> Images;
  QHash<qint64, QString> ImageByKey;

  QString AddImage(const QImage& image) {
    if (const auto it = ImageByKey.constFind(image.cacheKey()); it != ImageByKey.cend()) return it.value();
    QImage copy = image;
    // At 96 dpi one image pixel is one XPS unit, so brushes can address pixels directly.
    copy.setDotsPerMeterX(3780);
    copy.setDotsPerMeterY(3780);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!copy.save(&buffer, "PNG")) return {};
    const QString name = QStringLiteral("/Resources/Images/%1.png").arg(Images.size() + 1);
    Images.emplace_back(name, png);
    ImageByKey.insert(image.cacheKey(), name);
    return name;
  }
};

// Records what QPainter draws on one page as XPS markup, in device pixels. Solid fills and pens
// only: QPainter draws gradients, patterns and composition modes, which are not claimed here,
// into an image and hands that over instead.
class TXpsEngine : public QPaintEngine {
 public:
  explicit TXpsEngine(TXpsParts* parts)
      : QPaintEngine(PrimitiveTransform | PixmapTransform | PainterPaths | Antialiasing | AlphaBlend |
                     ConstantOpacity),
        Parts_(parts) {}

  QByteArray Body;
  std::set<QString> Resources;

  bool begin(QPaintDevice*) override { return true; }
  bool end() override {
    CloseClip();
    return true;
  }
  Type type() const override { return QPaintEngine::User; }

  void updateState(const QPaintEngineState& s) override {
    const DirtyFlags f = s.state();
    // The transform first: clips arrive in the coordinates of the transform sent with them.
    if (f & DirtyTransform) M_ = s.transform();
    if (f & DirtyPen) Pen_ = s.pen();
    if (f & DirtyBrush) Brush_ = s.brush();
    if (f & DirtyOpacity) Opacity_ = s.opacity();
    if (f & DirtyClipEnabled) {
      ClipEnabled_ = s.isClipEnabled();
      ++ClipSerial_;
    }
    if (f & DirtyClipPath) SetClip(s.clipPath(), s.clipOperation());
    if (f & DirtyClipRegion) {
      QPainterPath p;
      p.addRegion(s.clipRegion());
      SetClip(p, s.clipOperation());
    }
  }

  void drawPath(const QPainterPath& path) override { Emit(path, true); }

  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    if (count < 2) return;
    QPainterPath path;
    path.setFillRule(mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
    path.moveTo(points[0]);
    for (int i = 1; i < count; ++i) path.lineTo(points[i]);
    if (mode != PolylineMode) path.closeSubpath();
    Emit(path, mode != PolylineMode);
  }

  void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
    drawImage(r, pm.toImage(), sr, Qt::AutoColor);
  }

  void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override {
    if (image.isNull() || r.isEmpty() || sr.isEmpty() || Clipped()) return;
    const QString part = Parts_->AddImage(image);
    if (part.isEmpty()) return;
    Resources.insert(part);
    SyncClip();
    QPainterPath rect;
    rect.addRect(r);
    const int d = DecimalsFor(M_);
    Body += "<Path Data=\"" + Geometry(rect, d) + '"';
    if (!M_.isIdentity()) Body += " RenderTransform=\"" + Matrix(M_) + '"';
    if (Opacity_ < 1) Body += " Opacity=\"" + Num(Opacity_, 4) + '"';
    Body += "><Path.Fill><ImageBrush ImageSource=\"" + part.toUtf8() + "\" Viewbox=\"" + Num(sr.x(), 4) + ',' +
            Num(sr.y(), 4) + ',' + Num(sr.width(), 4) + ',' + Num(sr.height(), 4) +
            "\" ViewboxUnits=\"Absolute\" Viewport=\"" + Num(r.x(), d) + ',' + Num(r.y(), d) + ',' +
            Num(r.width(), d) + ',' + Num(r.height(), d) +
            "\" ViewportUnits=\"Absolute\" TileMode=\"None\"/></Path.Fill></Path>\n";
  }

 private:
  bool Clipped() const { return ClipEnabled_ && HasClip_ && Clip_.isEmpty(); }

  void SetClip(const QPainterPath& logical, Qt::ClipOperation op) {
    const QPainterPath device = M_.map(logical);
    if (op == Qt::NoClip) {
      HasClip_ = false;
    } else if (op == Qt::IntersectClip && HasClip_) {
      Clip_ = Clip_.intersected(device);
    } else {
      Clip_ = device;
      HasClip_ = true;
    }
    ++ClipSerial_;
  }

  // Elements under one clip share a Canvas that carries it.
  void SyncClip() {
    if (OpenSerial_ == ClipSerial_) return;
    CloseClip();
    OpenSerial_ = ClipSerial_;
    if (ClipEnabled_ && HasClip_) {
      Body += "<Canvas Clip=\"" + Geometry(Clip_, 3) + "\">\n";
      CanvasOpen_ = true;
    }
  }
  void CloseClip() {
    if (CanvasOpen_) Body += "</Canvas>\n";
    CanvasOpen_ = false;
    OpenSerial_ = -1;
  }

  void Emit(const QPainterPath& path, bool fill) {
    const bool doFill = fill && Brush_.style() != Qt::NoBrush;
    const bool doStroke = Pen_.style() != Qt::NoPen && Pen_.brush().style() != Qt::NoBrush;
    if ((!doFill && !doStroke) || path.isEmpty() || Clipped()) return;
    // A cosmetic pen is as wide on the device whatever the transform: draw in device pixels.
    const bool cosmetic = doStroke && Pen_.isCosmetic();
    QTransform t = M_;
    QPainterPath geometry = path;
    if (cosmetic && !t.isIdentity()) {
      geometry = t.map(path);
      geometry.setFillRule(path.fillRule());
      t = QTransform();
    }
    const QByteArray data = Geometry(geometry, DecimalsFor(t));
    if (data.isEmpty()) return;
    SyncClip();
    Body += "<Path Data=\"" + data + '"';
    if (!t.isIdentity()) Body += " RenderTransform=\"" + Matrix(t) + '"';
    if (doFill) Body += " Fill=\"" + Color(Brush_.color()) + '"';
    if (doStroke) {
      const double width = cosmetic ? std::max(1.0, Pen_.widthF()) : Pen_.widthF();
      Body += " Stroke=\"" + Color(Pen_.color()) + "\" StrokeThickness=\"" + Num(width, 6) + '"';
      if (Pen_.capStyle() != Qt::FlatCap) {
        const char* cap = CapName(Pen_.capStyle());
        Body += QByteArray(" StrokeStartLineCap=\"") + cap + "\" StrokeEndLineCap=\"" + cap + "\" StrokeDashCap=\"" +
                cap + '"';
      }
      if (Pen_.joinStyle() == Qt::RoundJoin) Body += " StrokeLineJoin=\"Round\"";
      else if (Pen_.joinStyle() == Qt::BevelJoin) Body += " StrokeLineJoin=\"Bevel\"";
      else Body += " StrokeMiterLimit=\"" + Num(std::max(1.0, Pen_.miterLimit()), 4) + '"';
      // Both count dashes, gaps and the offset in stroke widths.
      if (Pen_.style() != Qt::SolidLine) {
        const QList<qreal> pattern = Pen_.dashPattern();
        if (pattern.size() >= 2) {
          QByteArray dashes;
          for (qsizetype i = 0; i + 1 < pattern.size(); i += 2)
            dashes += (dashes.isEmpty() ? "" : " ") + Num(pattern[i], 4) + ' ' + Num(pattern[i + 1], 4);
          Body += " StrokeDashArray=\"" + dashes + '"';
          if (Pen_.dashOffset() != 0) Body += " StrokeDashOffset=\"" + Num(Pen_.dashOffset(), 4) + '"';
        }
      }
    }
    if (Opacity_ < 1) Body += " Opacity=\"" + Num(Opacity_, 4) + '"';
    Body += "/>\n";
  }

  TXpsParts* Parts_;
  QTransform M_;
  QPen Pen_{Qt::NoPen};
  QBrush Brush_;
  double Opacity_ = 1;
  bool ClipEnabled_ = false;
  bool HasClip_ = false;
  QPainterPath Clip_;  // device pixels
  int ClipSerial_ = 0;
  int OpenSerial_ = -1;
  bool CanvasOpen_ = false;
};

// A page as a paint device: pixels at the export's resolution.
class TXpsPage : public QPaintDevice {
 public:
  TXpsPage(TXpsParts* parts, double widthPx, double heightPx, double dpi)
      : Engine(parts), Width(widthPx), Height(heightPx), Dpi(dpi) {}
  ~TXpsPage() override = default;

  QPaintEngine* paintEngine() const override { return const_cast<TXpsEngine*>(&Engine); }

  TXpsEngine Engine;
  double Width, Height, Dpi;

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth: return int(std::ceil(Width));
      case PdmHeight: return int(std::ceil(Height));
      case PdmWidthMM: return int(std::lround(Width * 25.4 / Dpi));
      case PdmHeightMM: return int(std::lround(Height * 25.4 / Dpi));
      case PdmNumColors: return INT_MAX;
      case PdmDepth: return 32;
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY: return int(std::lround(Dpi));
      case PdmDevicePixelRatio: return 1;
      case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
      default: return QPaintDevice::metric(m);
    }
  }
};

TXpsDocument::TXpsDocument(const QString& fileName) : Parts_(std::make_unique<TXpsParts>()) {
  // Opened only to learn at once whether the file can be written; abandoned, it leaves nothing.
  QSaveFile probe(fileName);
  if (!probe.open(QIODevice::WriteOnly)) {
    Error_ = probe.errorString();
    return;
  }
  probe.cancelWriting();
  FileName_ = fileName;
}

TXpsDocument::~TXpsDocument() {
  Canvas_.reset();
  if (Painter_.isActive()) Painter_.end();
}

bool TXpsDocument::IsOpen() const { return !FileName_.isEmpty() && !Closed_; }

ISkCanvas* TXpsDocument::BeginPage(float widthPx, float heightPx, float dpi) {
  if (!IsOpen()) return nullptr;
  EndPage();
  if (!(widthPx > 0 && heightPx > 0 && dpi > 0)) {
    Error_ = QStringLiteral("Invalid page size");
    return nullptr;
  }
  Page_ = std::make_unique<TXpsPage>(Parts_.get(), widthPx, heightPx, dpi);
  if (!Painter_.begin(Page_.get())) {
    Page_.reset();
    Error_ = QStringLiteral("Could not start the XPS page");
    return nullptr;
  }
  Canvas_ = std::make_unique<TQPainterCanvas>(&Painter_);
  return Canvas_.get();
}

void TXpsDocument::EndPage() {
  if (!Page_) return;
  Canvas_.reset();
  Painter_.end();
  const double k = 96.0 / Page_->Dpi;
  TXpsParts::TPage page;
  page.Width = Page_->Width * k;
  page.Height = Page_->Height * k;
  page.Resources = std::move(Page_->Engine.Resources);
  page.Markup = QByteArray("<FixedPage xmlns=\"") + kXpsNs + "\" xml:lang=\"und\" Width=\"" + Num(page.Width, 4) +
                "\" Height=\"" + Num(page.Height, 4) + "\">\n<Canvas RenderTransform=\"" + Num(k, 8) + ",0,0," +
                Num(k, 8) + ",0,0\">\n" + Page_->Engine.Body + "</Canvas>\n</FixedPage>\n";
  Parts_->Pages.push_back(std::move(page));
  Page_.reset();
}

namespace {

// Packs the parts into a zip held in memory; empty with `error` set on failure.
QByteArray Zip(const std::vector<std::pair<QString, QByteArray>>& parts, QString* error) {
  zip_error_t ze;
  zip_error_init(&ze);
  zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &ze);
  zip_t* za = memory ? zip_open_from_source(memory, ZIP_TRUNCATE, &ze) : nullptr;
  auto fail = [&](const char* why) {
    *error = QString::fromUtf8(why);
    zip_error_fini(&ze);
    return QByteArray();
  };
  if (!za) {
    if (memory) zip_source_free(memory);
    return fail(zip_error_strerror(&ze));
  }
  zip_source_keep(memory);  // still needed after zip_close to read the result
  for (const auto& [name, data] : parts) {
    zip_source_t* s = zip_source_buffer(za, data.constData(), zip_uint64_t(data.size()), 0);
    const zip_int64_t index = s ? zip_file_add(za, name.toUtf8().constData(), s, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
      if (s) zip_source_free(s);
      const QByteArray why = zip_strerror(za);
      zip_discard(za);
      zip_source_free(memory);
      return fail(why.constData());
    }
    // Images are compressed already.
    if (name.endsWith(QLatin1String(".png"))) zip_set_file_compression(za, zip_uint64_t(index), ZIP_CM_STORE, 0);
  }
  if (zip_close(za) < 0) {
    const QByteArray why = zip_strerror(za);
    zip_discard(za);
    zip_source_free(memory);
    return fail(why.constData());
  }
  QByteArray bytes;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_source_stat(memory, &st) == 0 && zip_source_open(memory) == 0) {
    bytes.resize(qsizetype(st.size));
    if (zip_source_read(memory, bytes.data(), st.size) != zip_int64_t(st.size)) bytes.clear();
    zip_source_close(memory);
  }
  zip_source_free(memory);
  if (bytes.isEmpty()) return fail("could not read the packed document");
  zip_error_fini(&ze);
  return bytes;
}

}  // namespace

bool TXpsDocument::Close() {
  if (Closed_) return CloseResult_;
  if (FileName_.isEmpty()) return false;
  EndPage();
  Closed_ = true;
  if (Parts_->Pages.empty()) {
    Error_ = QStringLiteral("The document has no pages");
    return CloseResult_ = false;
  }
  std::vector<std::pair<QString, QByteArray>> parts;
  parts.emplace_back(QStringLiteral("[Content_Types].xml"),
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\n"
                     "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>\n"
                     "<Default Extension=\"fdseq\" ContentType=\"application/vnd.ms-package.xps-fixeddocumentsequence+xml\"/>\n"
                     "<Default Extension=\"fdoc\" ContentType=\"application/vnd.ms-package.xps-fixeddocument+xml\"/>\n"
                     "<Default Extension=\"fpage\" ContentType=\"application/vnd.ms-package.xps-fixedpage+xml\"/>\n"
                     "<Default Extension=\"png\" ContentType=\"image/png\"/>\n"
                     "</Types>\n");
  parts.emplace_back(QStringLiteral("_rels/.rels"),
                     QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n"
                                "<Relationship Id=\"R0\" Type=\"") +
                         kXpsNs + "/fixedrepresentation\" Target=\"/FixedDocumentSequence.fdseq\"/>\n</Relationships>\n");
  parts.emplace_back(QStringLiteral("FixedDocumentSequence.fdseq"),
                     QByteArray("<FixedDocumentSequence xmlns=\"") + kXpsNs +
                         "\">\n<DocumentReference Source=\"/Documents/1/FixedDocument.fdoc\"/>\n</FixedDocumentSequence>\n");
  QByteArray fdoc = QByteArray("<FixedDocument xmlns=\"") + kXpsNs + "\">\n";
  for (std::size_t i = 0; i < Parts_->Pages.size(); ++i) {
    const TXpsParts::TPage& page = Parts_->Pages[i];
    const QByteArray n = QByteArray::number(qulonglong(i + 1));
    fdoc += "<PageContent Source=\"Pages/" + n + ".fpage\" Width=\"" + Num(page.Width, 4) + "\" Height=\"" +
            Num(page.Height, 4) + "\"/>\n";
    parts.emplace_back(QStringLiteral("Documents/1/Pages/%1.fpage").arg(i + 1), page.Markup);
    if (!page.Resources.empty()) {
      QByteArray rels("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n");
      int id = 0;
      for (const QString& r : page.Resources)
        rels += "<Relationship Id=\"R" + QByteArray::number(id++) + "\" Type=\"" + kXpsNs +
                "/required-resource\" Target=\"" + r.toUtf8() + "\"/>\n";
      rels += "</Relationships>\n";
      parts.emplace_back(QStringLiteral("Documents/1/Pages/_rels/%1.fpage.rels").arg(i + 1), rels);
    }
  }
  fdoc += "</FixedDocument>\n";
  parts.emplace_back(QStringLiteral("Documents/1/FixedDocument.fdoc"), fdoc);
  for (const auto& [name, png] : Parts_->Images) parts.emplace_back(name.mid(1), png);

  QString why;
  const QByteArray zip = Zip(parts, &why);
  QSaveFile file(FileName_);
  bool ok = !zip.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(zip) == zip.size();
  // commit() does not see an error of the last buffered write (a full disk): flush first.
  if (ok) ok = file.flush();
  if (ok) ok = file.commit();
  if (!ok) {
    Error_ = why.isEmpty() ? file.errorString() : why;
    file.cancelWriting();
  }
  return CloseResult_ = ok;
}

}  // namespace Orv::Canvas
