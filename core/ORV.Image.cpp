#include "ORV.Image.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "ORV.EditGeom.h"
#include "ORV.Json.h"
#include "ORV.Text.h"

namespace Orv::F2d {

// ---------------------------------------------------------------- filters

const std::array<TORVColorMatrix, 3> FiltersSkia = {{
    {"None", {1, 0, 0, 0, 0, /**/ 0, 1, 0, 0, 0, /**/ 0, 0, 1, 0, 0, /**/ 0, 0, 0, 1, 0}},
    {"Grayscale",
     {0.299f, 0.587f, 0.114f, 0, 0, /**/ 0.299f, 0.587f, 0.114f, 0, 0, /**/ 0.299f, 0.587f, 0.114f, 0, 0, /**/ 0, 0, 0, 1, 0}},
    {"Black and White", {1.5f, 1.5f, 1.5f, 0, 0, /**/ 1.5f, 1.5f, 1.5f, 0, 0, /**/ 1.5f, 1.5f, 1.5f, 0, 0, /**/ 0, 0, 0, 1, 0}},
}};

QImage ApplyColorMatrix(const QImage& image, const std::array<float, 20>& m) {
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  const auto clamp = [](float v) { return std::clamp(int(std::lround(v)), 0, 255); };
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      const QRgb p = row[x];
      const float in[4] = {float(qRed(p)), float(qGreen(p)), float(qBlue(p)), float(qAlpha(p))};
      int c[4];
      for (int i = 0; i < 4; ++i) {
        const float* r = &m[i * 5];
        c[i] = clamp(r[0] * in[0] + r[1] * in[1] + r[2] * in[2] + r[3] * in[3] + r[4] * 255.0f);
      }
      row[x] = qRgba(c[0], c[1], c[2], c[3]);
    }
  }
  return out;
}

namespace {

// The filter on premultiplied pixels, where it is linear in them: no offsets, alpha kept and not
// mixed into the colours, as every filter of the table is. Saturating at 255 before
// premultiplying is saturating at alpha after it. Fixed-point weights, rows split over two
// threads for large pictures: a photo filters in a few tens of milliseconds.
bool LinearInPremultiplied(const std::array<float, 20>& m) {
  for (int i = 0; i < 3; ++i)
    if (m[i * 5 + 3] != 0 || m[i * 5 + 4] != 0) return false;
  return m[15] == 0 && m[16] == 0 && m[17] == 0 && m[18] == 1 && m[19] == 0;
}

void FilterRows(QImage& img, const std::array<float, 20>& m, int from, int to) {
  std::int32_t w[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) w[i * 3 + j] = std::int32_t(std::lround(m[i * 5 + j] * 65536.0f));
  for (int y = from; y < to; ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0, n = img.width(); x < n; ++x) {
      const QRgb p = row[x];
      const std::int32_t r = qRed(p), g = qGreen(p), b = qBlue(p), a = qAlpha(p);
      const auto ch = [&](int i) {
        const std::int32_t v = (w[i * 3] * r + w[i * 3 + 1] * g + w[i * 3 + 2] * b + 32768) >> 16;
        return std::clamp(v, 0, a);
      };
      row[x] = qRgba(ch(0), ch(1), ch(2), a);
    }
  }
}

QImage FilterPremultiplied(const QImage& image, const std::array<float, 20>& m) {
  if (!LinearInPremultiplied(m))
    return ApplyColorMatrix(image.convertToFormat(QImage::Format_ARGB32), m).convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  out.bits();  // one copy of our own before two threads write into it
  const int h = out.height();
  if (std::int64_t(out.width()) * h < 1'000'000) {
    FilterRows(out, m, 0, h);
  } else {
    std::thread half([&] { FilterRows(out, m, h / 2, h); });
    FilterRows(out, m, 0, h / 2);
    half.join();
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------- geometry

QRectF FitAspect(const QRectF& box, double w, double h, TORVImageAlign align) {
  if (!(w > 0 && h > 0) || !(box.width() > 0 && box.height() > 0)) return box;
  const double share = align == TORVImageAlign::Start ? 0 : align == TORVImageAlign::Center ? 0.5 : 1;
  QRectF r = box;
  if (box.width() / box.height() <= w / h) {
    const double ph = box.width() * h / w;
    r.setTop(box.top() + (box.height() - ph) * share);
    r.setHeight(ph);
  } else {
    const double pw = box.height() * w / h;
    r.setLeft(box.left() + (box.width() - pw) * share);
    r.setWidth(pw);
  }
  return r;
}

QRectF InscribedSquare(const QRectF& circle) {
  const double r = std::min(circle.width(), circle.height()) / 2 * std::sqrt(2.0) / 2;
  const QPointF c = circle.center();
  return QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r);
}

QRectF CentredSquare(const QRectF& box) {
  const double s = std::min(box.width(), box.height());
  return QRectF(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
}

// ---------------------------------------------------------------- decoding cache

namespace {

// What the header of a file says, read once per file version.
struct TInfo {
  QSize Size;             // as shown (after the file's own orientation)
  QSize StoredSize;       // as stored
  bool CanScale = false;  // the format decodes straight to a smaller size (JPEG)
  QString Error;
};

template <class V>
struct TSlot {
  std::mutex Lock;  // held while the value is worked out: a second asker waits for the first
  bool Done = false;
  V Value;
  std::uint64_t LastUse = 0;
  std::int64_t Bytes = 0;
};

// The cache holds this much decoded pixel data; beyond it the least recently used pictures go
// (items showing them keep their own reference).
constexpr std::int64_t kCacheBytes = 512LL * 1024 * 1024;

struct TCache {
  std::mutex Lock;
  QHash<QString, std::shared_ptr<TSlot<TInfo>>> Infos;
  QHash<QString, std::shared_ptr<TSlot<TORVDecodedPtr>>> Images;
  std::uint64_t Clock = 0;
  std::int64_t Bytes = 0;
  std::atomic<std::int64_t> Decodes{0};
  std::atomic<std::int64_t> Filtered{0};

  template <class V>
  std::shared_ptr<TSlot<V>> Get(QHash<QString, std::shared_ptr<TSlot<V>>>& map, const QString& key) {
    std::lock_guard<std::mutex> g(Lock);
    auto& slot = map[key];
    if (!slot) slot = std::make_shared<TSlot<V>>();
    slot->LastUse = ++Clock;
    return slot;
  }

  void Account(std::int64_t bytes, TSlot<TORVDecodedPtr>* slot) {
    std::lock_guard<std::mutex> g(Lock);
    slot->Bytes = bytes;
    Bytes += bytes;
    while (Bytes > kCacheBytes && Images.size() > 1) {
      auto oldest = Images.end();
      for (auto it = Images.begin(); it != Images.end(); ++it)
        if (it.value().get() != slot && it.value()->Bytes > 0 && (oldest == Images.end() || it.value()->LastUse < oldest.value()->LastUse))
          oldest = it;
      if (oldest == Images.end()) break;
      Bytes -= oldest.value()->Bytes;
      Images.erase(oldest);
    }
  }
};

TCache& Cache() {
  static TCache cache;
  return cache;
}

QString Quoted(const QString& s) { return QStringLiteral("\"%1\"").arg(s); }

// A reader over the file or over the bytes (kept alive by `buffer`).
std::unique_ptr<QImageReader> OpenReader(const QString& path, const QByteArray& bytes, QBuffer& buffer) {
  std::unique_ptr<QImageReader> r;
  if (bytes.isEmpty()) {
    r = std::make_unique<QImageReader>(path);
  } else {
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    r = std::make_unique<QImageReader>(&buffer);
  }
  r->setAutoTransform(true);
  // What we allow is checked against the header below; Qt's own limit would refuse less.
  r->setAllocationLimit(int(kMaxImagePixels * 4 / (1024 * 1024)) + 16);
  return r;
}

TInfo ReadInfo(const QString& path, const QByteArray& bytes, const QString& shown) {
  TInfo info;
  QBuffer buffer;
  auto r = OpenReader(path, bytes, buffer);
  if (!r->canRead()) {
    info.Error = QStringLiteral("Image file %1 cannot be read: %2").arg(Quoted(shown), r->errorString());
    return info;
  }
  info.StoredSize = r->size();
  if (!info.StoredSize.isValid() || info.StoredSize.isEmpty()) {
    info.Error = QStringLiteral("Image file %1 cannot be read: it gives no picture size").arg(Quoted(shown));
    return info;
  }
  info.Size = r->transformation() & QImageIOHandler::TransformationRotate90 ? info.StoredSize.transposed() : info.StoredSize;
  // Only JPEG really decodes smaller (in its transform); other formats that take a scaled size
  // decode whole first, which is what the pixel limit is there to prevent.
  const QByteArray format = r->format().toLower();
  info.CanScale = (format == "jpeg" || format == "jpg") && r->supportsOption(QImageIOHandler::ScaledSize);
  return info;
}

// Halvings of `size` that keep it at least `want` and within the pixel limit (which, without a
// format that scales while decoding, refuses the picture instead: -1).
int ReductionOf(const TInfo& info, QSizeF want) {
  const auto pixels = [&](int s) { return std::int64_t(info.StoredSize.width() >> s) * std::int64_t(info.StoredSize.height() >> s); };
  int shift = 0;
  if (info.CanScale && want.width() > 0 && want.height() > 0)
    while (shift < 6 && (info.Size.width() >> (shift + 1)) >= want.width() && (info.Size.height() >> (shift + 1)) >= want.height())
      ++shift;
  if (pixels(shift) > kMaxImagePixels) {
    if (!info.CanScale) return -1;
    while (shift < 12 && pixels(shift) > kMaxImagePixels) ++shift;
  }
  return std::min(shift, 30);
}

TORVDecodedPtr Failed(const QString& error, QSize source = {}, bool missing = false) {
  auto d = std::make_shared<TORVDecodedImage>();
  d->Error = error;
  d->SourceSize = source;
  d->Missing = missing;
  return d;
}

TORVDecodedPtr Decode(const QString& path, const QByteArray& bytes, const QString& shown, const TInfo& info, int shift) {
  QBuffer buffer;
  auto r = OpenReader(path, bytes, buffer);
  if (shift > 0)
    r->setScaledSize(QSize(std::max(1, info.StoredSize.width() >> shift), std::max(1, info.StoredSize.height() >> shift)));
  QImage img;
  Cache().Decodes++;
  if (!r->read(&img) || img.isNull())
    return Failed(QStringLiteral("Image file %1 cannot be read: %2").arg(Quoted(shown), r->errorString()), info.Size);
  auto d = std::make_shared<TORVDecodedImage>();
  d->Image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  d->SourceSize = info.Size;
  return d;
}

}  // namespace

TORVDecodedPtr DecodeImage(const QString& path, const QByteArray& bytes, TORVImageFilter filter, QSizeF want) {
  try {
    QString id;
    const QString shown = bytes.isEmpty() ? QDir::toNativeSeparators(path) : QFileInfo(path).fileName();
    if (bytes.isEmpty()) {
      const QFileInfo fi(path);
      if (path.isEmpty() || !fi.exists() || fi.isDir())
        return Failed(QStringLiteral("Image file not found: %1").arg(Quoted(shown)), {}, true);
      // A file rewritten in place is another picture.
      id = fi.canonicalFilePath() + QLatin1Char('|') + QString::number(fi.lastModified().toMSecsSinceEpoch()) +
           QLatin1Char('|') + QString::number(fi.size());
    } else {
      id = QStringLiteral("bytes:") + QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
    }
    TCache& cache = Cache();

    auto infoSlot = cache.Get(cache.Infos, id);
    TInfo info;
    {
      std::lock_guard<std::mutex> g(infoSlot->Lock);
      if (!infoSlot->Done) {
        infoSlot->Value = ReadInfo(path, bytes, shown);
        infoSlot->Done = true;
      }
      info = infoSlot->Value;
    }
    if (!info.Error.isEmpty()) return Failed(info.Error);
    const int shift = ReductionOf(info, want);
    if (shift < 0)
      return Failed(QStringLiteral("Image %1 is too large: %2 x %3 pixels (at most %4 million)")
                        .arg(Quoted(shown))
                        .arg(info.Size.width())
                        .arg(info.Size.height())
                        .arg(kMaxImagePixels / 1000000),
                    info.Size);

    const QString plainKey = id + QStringLiteral("|s") + QString::number(shift);
    auto plainSlot = cache.Get(cache.Images, plainKey);
    TORVDecodedPtr plain;
    {
      std::lock_guard<std::mutex> g(plainSlot->Lock);
      if (!plainSlot->Done) {
        plainSlot->Value = Decode(path, bytes, shown, info, shift);
        plainSlot->Done = true;
        cache.Account(plainSlot->Value->Image.sizeInBytes(), plainSlot.get());
      }
      plain = plainSlot->Value;
    }
    if (filter == TORVImageFilter::None || plain->Image.isNull()) return plain;

    auto slot = cache.Get(cache.Images, plainKey + QStringLiteral("|f") + QString::number(int(filter)));
    std::lock_guard<std::mutex> g(slot->Lock);
    if (!slot->Done) {
      auto d = std::make_shared<TORVDecodedImage>(*plain);
      d->Image = FilterPremultiplied(plain->Image, FiltersSkia[int(filter)].M);
      cache.Filtered++;
      slot->Value = d;
      slot->Done = true;
      cache.Account(d->Image.sizeInBytes(), slot.get());
    }
    return slot->Value;
  } catch (const std::exception& e) {
    // Out of memory on a hostile file: a picture that does not show, not a crash.
    return Failed(QStringLiteral("Image file \"%1\" cannot be read: %2").arg(path, QString::fromUtf8(e.what())));
  }
}

TORVImageCacheStats ImageCacheStats() {
  TCache& c = Cache();
  std::lock_guard<std::mutex> g(c.Lock);
  return {c.Decodes.load(), c.Filtered.load(), c.Images.size(), c.Bytes};
}

void ClearImageCache() {
  TCache& c = Cache();
  std::lock_guard<std::mutex> g(c.Lock);
  c.Infos.clear();
  c.Images.clear();
  c.Bytes = 0;
  c.Decodes = 0;
  c.Filtered = 0;
}

// ---------------------------------------------------------------- model

void TPLNBaseImage::SetFileName(const QString& name) {
  if (name == fFileName) return;
  fFileName = name;
  fReload = true;
  Changed();
}

QString TPLNBaseImage::ResolvePath(const QString& name) const {
  if (name.isEmpty()) return {};
  if (QDir::isAbsolutePath(name)) return QDir::cleanPath(name);
  const QString folder = Owner() ? Owner()->ImageFolder : QString();
  return QDir::cleanPath(folder.isEmpty() ? QDir::current().absoluteFilePath(name) : QDir(folder).absoluteFilePath(name));
}

QByteArray TPLNBaseImage::Bytes() const {
  std::lock_guard<std::mutex> g(fBytesLock);
  return fBytes;
}

void TPLNBaseImage::SetBytes(const QByteArray& bytes) {
  if (bytes.size() > kMaxEmbeddedBytes)
    throw EPLNError(QStringLiteral("An embedded picture is limited to %1 MB").arg(kMaxEmbeddedBytes / (1024 * 1024)));
  {
    std::lock_guard<std::mutex> g(fBytesLock);
    if (bytes == fBytes) return;
    fBytes = bytes;
  }
  fReload = true;
  Changed();
}

void TPLNBaseImage::SetEmbed(bool b) {
  Set(fStyle.Embed, b);
  if (b) EmbedNow();
}

bool TPLNBaseImage::EmbedNow() {
  if (!fStyle.Embed) return false;
  {
    std::lock_guard<std::mutex> g(fBytesLock);
    if (!fBytes.isEmpty()) return true;
  }
  QFile f(ResolvedPath());
  if (f.size() > kMaxEmbeddedBytes || !f.open(QIODevice::ReadOnly)) return false;
  // The file as it is: already encoded, and a photo stays a compact JPEG.
  const QByteArray bytes = f.readAll();
  if (bytes.isEmpty()) return false;
  std::lock_guard<std::mutex> g(fBytesLock);
  if (fBytes.isEmpty()) fBytes = bytes;
  return true;
}

QString TPLNBaseImage::PictureProblem() const {
  if (GetIsData()) return {};
  QSizeF want;
  if (fPoints.size() >= 2) {
    const double k = 96.0 / 25400.0;
    want = QSizeF(std::max(1.0, std::abs(double(fPoints[1].X - fPoints[0].X)) * k),
                  std::max(1.0, std::abs(double(fPoints[1].Y - fPoints[0].Y)) * k));
  }
  const QByteArray bytes = Bytes();
  if (bytes.isEmpty() && fFileName.isEmpty()) return QStringLiteral("Image without a file name");
  return DecodeImage(ResolvedPath(), bytes, TORVImageFilter::None, want)->Error;
}

void TPLNBaseImage::SetAlign(TORVImageAlign a) {
  if (int(a) > 2) throw EPLNError(QStringLiteral("Image alignment %1 does not exist (0 to 2)").arg(int(a)));
  Set(fStyle.Align, a);
}

void TPLNBaseImage::SetShape(TORVImageShape s) {
  if (int(s) > 3) throw EPLNError(QStringLiteral("Image frame shape %1 does not exist (0 to 3)").arg(int(s)));
  Set(fStyle.Shape, s);
}

void TPLNBaseImage::SetFilter(TORVImageFilter f) {
  if (int(f) > 2) throw EPLNError(QStringLiteral("Image filter %1 does not exist (0 to 2)").arg(int(f)));
  Set(fStyle.Filter, f);
}

void TPLNBaseImage::SetAngle(TORVAngle a) {
  if (int(a) > 3) throw EPLNError(QStringLiteral("Image angle %1 is no quarter turn").arg(int(a)));
  Set(fStyle.Angle, a);
}

void TPLNBaseImage::SetBaseRadio(std::int64_t v) { Set(fStyle.Radius, std::clamp<std::int64_t>(v, 0, Text::kMaxLength)); }
void TPLNBaseImage::SetBasePadding(std::int64_t v) { Set(fStyle.Padding, std::clamp<std::int64_t>(v, 0, Text::kMaxLength)); }

bool TPLNBaseImage::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  return EditGeom::Inside(EditGeom::BoxOf(fPoints[0], fPoints[1]), x, y, tolerance);
}

void TPLNBaseImage::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  const int q = EditGeom::QuarterTurns(angle);
  // A clockwise quarter turn on the page is a step back of the counter-clockwise angle.
  if (q > 0) fStyle.Angle = static_cast<TORVAngle>(((static_cast<int>(fStyle.Angle) - q) % 4 + 4) % 4);
  TPLNBoxItem::Rotate(cx, cy, angle);
}

// ---------------------------------------------------------------- records

void TPLNBaseImage::CheckStyle(const TORVImageStyle& s) const {
  using Text::CheckInt;
  const QString kind = KindName();
  CheckInt(kind, "Align", int(s.Align), 0, 2);
  CheckInt(kind, "Shape", int(s.Shape), 0, 3);
  CheckInt(kind, "Filter", int(s.Filter), 0, 2);
  CheckInt(kind, "Angle", int(s.Angle), 0, 3);
  CheckInt(kind, "Radius", s.Radius, 0, Text::kMaxLength);
  CheckInt(kind, "Padding", s.Padding, 0, Text::kMaxLength);
}

void TPLNBaseImage::WriteData(TBinaryWriter& w) const {
  TPLNBoxItem::WriteData(w);
  const TORVImageStyle& s = fStyle;
  w.WriteString(fFileName);
  const QByteArray bytes = Bytes();
  w.WriteInt32(std::int32_t(bytes.size()));
  w.WriteBytes(bytes);
  w.WriteBoolean(s.Embed);
  w.WriteBoolean(s.KeepAspect);
  w.WriteByte(std::uint8_t(s.Align));
  w.WriteBoolean(s.Frame);
  w.WriteByte(std::uint8_t(s.Shape));
  w.WriteByte(std::uint8_t(s.Filter));
  w.WriteInt64(s.Radius);
  w.WriteInt64(s.Padding);
  w.WriteByte(std::uint8_t(s.Angle));
  WriteDataField(w, s.FillType, s.FillName, s.Format);
}

void TPLNBaseImage::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLNBoxItem::ReadData(version, r, readType);
  // Read whole and checked before anything changes.
  const QString name = r.ReadString();
  const std::int32_t count = r.ReadInt32();
  if (count < 0 || count > kMaxEmbeddedBytes || count > r.Remaining())
    throw EPLNError(QStringLiteral("Image with a damaged embedded picture (%1 bytes announced, %2 left in the file)")
                        .arg(count)
                        .arg(r.Remaining()));
  QByteArray bytes = r.ReadBytes(count);
  TORVImageStyle s;
  s.Embed = r.ReadBoolean();
  s.KeepAspect = r.ReadBoolean();
  s.Align = TORVImageAlign(r.ReadByte());
  s.Frame = r.ReadBoolean();
  s.Shape = TORVImageShape(r.ReadByte());
  s.Filter = TORVImageFilter(r.ReadByte());
  s.Radius = r.ReadInt64();
  s.Padding = r.ReadInt64();
  s.Angle = TORVAngle(r.ReadByte());
  ReadDataField(r, s.FillType, s.FillName, s.Format);
  CheckStyle(s);
  fFileName = name;
  {
    std::lock_guard<std::mutex> g(fBytesLock);
    fBytes = std::move(bytes);
  }
  fStyle = std::move(s);
  fReload = true;
}

void TPLNBaseImage::WriteJson(Json::TJsonSink& o) const {
  TPLNBoxItem::WriteJson(o);
  const TORVImageStyle& s = fStyle;
  o.Str("FileName", fFileName);
  const QByteArray bytes = Bytes();
  if (!bytes.isEmpty()) o.Str("Bytes", QString::fromLatin1(bytes.toBase64()));
  o.Bool("Embed", s.Embed);
  o.Bool("KeepAspect", s.KeepAspect);
  o.Int("Align", int(s.Align));
  o.Bool("Frame", s.Frame);
  o.Int("Shape", int(s.Shape));
  o.Int("Filter", int(s.Filter));
  o.Int("Radius", s.Radius);
  o.Int("Padding", s.Padding);
  o.Int("Angle", int(s.Angle));
  WriteDataFieldJson(o, s.FillType, s.FillName, s.Format);
}

void TPLNBaseImage::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLNBoxItem::ReadJson(version, o);
  using Text::CheckInt;
  const QString kind = KindName();
  const QString name = Json::Str(o, "FileName");
  QByteArray bytes;
  const QString encoded = Json::Str(o, "Bytes");
  if (!encoded.isEmpty()) {
    if (encoded.size() / 4 * 3 > kMaxEmbeddedBytes)
      throw EPLNError(QStringLiteral("Image with an embedded picture beyond %1 MB").arg(kMaxEmbeddedBytes / (1024 * 1024)));
    auto decoded = QByteArray::fromBase64Encoding(encoded.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || encoded.contains(QChar(0xFFFD)))
      throw EPLNError(QStringLiteral("Image with a damaged embedded picture: \"Bytes\" is not Base64"));
    bytes = *decoded;
  }
  TORVImageStyle s;
  s.Embed = Json::Bool(o, "Embed", s.Embed);
  s.KeepAspect = Json::Bool(o, "KeepAspect", s.KeepAspect);
  s.Align = TORVImageAlign(CheckInt(kind, "Align", Json::Int(o, "Align", int(s.Align)), 0, 2));
  s.Frame = Json::Bool(o, "Frame", s.Frame);
  s.Shape = TORVImageShape(CheckInt(kind, "Shape", Json::Int(o, "Shape", int(s.Shape)), 0, 3));
  s.Filter = TORVImageFilter(CheckInt(kind, "Filter", Json::Int(o, "Filter", int(s.Filter)), 0, 2));
  s.Radius = Json::Int(o, "Radius", s.Radius);
  s.Padding = Json::Int(o, "Padding", s.Padding);
  s.Angle = TORVAngle(CheckInt(kind, "Angle", Json::Int(o, "Angle", int(s.Angle)), 0, 3));
  ReadDataFieldJson(kind, o, s.FillType, s.FillName, s.Format);
  CheckStyle(s);
  fFileName = name;
  {
    std::lock_guard<std::mutex> g(fBytesLock);
    fBytes = std::move(bytes);
  }
  fStyle = std::move(s);
  fReload = true;
}

}  // namespace Orv::F2d
