#pragma once
// The picture item: a raster image from a file next to the document (or from bytes kept in the
// item) inside a rectangle, a rounded rectangle or a circle. The model holds what the user chose;
// this unit also decodes pictures, once per file and size for the whole process, so that a sheet
// of a thousand copies of one logo decodes it once.

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "ORV.F2d.h"

namespace Orv::F2d {

enum class TORVImageShape : std::uint8_t {
  Rectangle = 0,
  RoundRect = 1,
  CircleFit = 2,   // the picture in the circle's inscribed square
  CircleClip = 3,  // the picture clipped to the circle
};
enum class TORVImageFilter : std::uint8_t { None = 0, Grayscale = 1, BlackWhite = 2 };
// Where the spare room goes when the picture keeps its proportions: the picture sits at the
// start (left / top), in the middle, or at the end.
enum class TORVImageAlign : std::uint8_t { Start = 0, Center = 1, End = 2 };

// ---- colour filters: 4 x 5 matrices, rows R, G, B, A; columns R, G, B, A, offset (0..1 scale)
struct TORVColorMatrix {
  const char* Name;
  std::array<float, 20> M;
};
extern const std::array<TORVColorMatrix, 3> FiltersSkia;
// The image with `m` applied to every pixel's unpremultiplied channels, each result clamped to
// 0..255. The result is ARGB32 (not premultiplied).
QImage ApplyColorMatrix(const QImage& image, const std::array<float, 20>& m);

// ---- geometry (device pixels, y down)

// Fits a w x h picture into `box` keeping its proportions, the spare room placed as `align` says.
QRectF FitAspect(const QRectF& box, double w, double h, TORVImageAlign align);
// The square inscribed in the circle of `circle`'s bounds (centre +- r * sqrt(2) / 2).
QRectF InscribedSquare(const QRectF& circle);
// The largest square centred in `box`: the bounds of a circle frame.
QRectF CentredSquare(const QRectF& box);

// ---- decoding

// A decoded picture, or why there is none. Shared: the cache and every item showing it hold the
// same pixels.
struct TORVDecodedImage {
  QImage Image;          // empty on failure
  QSize SourceSize;      // the size in the file (before any scaling down)
  QString Error;         // what went wrong, for the user
  bool Missing = false;  // the file does not exist (try again later)
};
using TORVDecodedPtr = std::shared_ptr<const TORVDecodedImage>;

// Pictures beyond this many pixels are decoded scaled down to it, or refused when their format
// cannot scale while decoding (a 30,000 x 30,000 PNG would need 3.6 GB).
constexpr std::int64_t kMaxImagePixels = 40'000'000;

// Decodes the file at `path` (or `bytes` when not empty: `path` then only names it in messages)
// through the process-wide cache. `want` is the device size the picture is drawn at (empty: full
// size): the picture is decoded at the smallest power-of-two reduction that still covers it.
// Thread-safe; never throws.
TORVDecodedPtr DecodeImage(const QString& path, const QByteArray& bytes, TORVImageFilter filter, QSizeF want);

// Counts of the cache, for tests and benchmarks: decodes run, entries held.
struct TORVImageCacheStats {
  std::int64_t Decodes = 0;
  std::int64_t Filtered = 0;
  std::int64_t Entries = 0;
  std::int64_t Bytes = 0;
};
TORVImageCacheStats ImageCacheStats();
void ClearImageCache();

// ---- the model

struct TORVImageStyle {
  bool Embed = false;
  bool KeepAspect = true;
  TORVImageAlign Align = TORVImageAlign::Center;
  bool Frame = false;  // outline the frame with the pen
  TORVImageShape Shape = TORVImageShape::Rectangle;
  TORVImageFilter Filter = TORVImageFilter::None;
  std::int64_t Radius = 0;   // rounded corners, base units
  std::int64_t Padding = 0;  // frame to picture, base units
  TORVAngle Angle = TORVAngle::A0;
  std::uint8_t FillType = 0;  // 0: the item's own file; otherwise the data field holds the name
  QString FillName;
  QString Format;

  bool operator==(const TORVImageStyle&) const = default;
};

class TPLNBaseImage : public TPLNBoxItem {
 public:
  using TPLNBoxItem::TPLNBoxItem;
  std::int32_t KindCode() const override { return Kind::Image; }
  QString KindName() const override { return QStringLiteral("Image"); }

  // Relative to the document's image folder, or absolute.
  QString FileName() const { return fFileName; }
  void SetFileName(const QString& name);
  // The file the picture comes from: an absolute name as it is, a relative one in the document's
  // image folder (the working folder without one).
  QString ResolvedPath() const { return ResolvePath(fFileName); }
  QString ResolvePath(const QString& name) const;

  // The encoded picture kept in the item (empty when it is only referenced).
  QByteArray Bytes() const;
  void SetBytes(const QByteArray& bytes);
  bool Embed() const { return fStyle.Embed; }
  // Setting it reads the file into the item at once when the file is there; otherwise the first
  // draw that finds the file does.
  void SetEmbed(bool b);
  // Takes the file's bytes into the item when embedding and none are kept yet. Thread-safe (a draw
  // may call it). False when the file cannot be read.
  bool EmbedNow();
  // Why the item's own picture cannot be shown (missing, damaged, too large); empty when it can,
  // and for a picture named by a data field. Decodes at about the size shown on screen.
  QString PictureProblem() const;
  bool Reload() const { return fReload; }
  void SetReload(bool b) { fReload = b; }
  // Reads and clears the reload flag (the draw that decodes again).
  bool TakeReload() { return fReload.exchange(false); }

  bool KeepAspect() const { return fStyle.KeepAspect; }
  void SetKeepAspect(bool b) { Set(fStyle.KeepAspect, b); }
  TORVImageAlign Align() const { return fStyle.Align; }
  void SetAlign(TORVImageAlign a);
  bool Frame() const { return fStyle.Frame; }
  void SetFrame(bool b) { Set(fStyle.Frame, b); }
  TORVImageShape Shape() const { return fStyle.Shape; }
  void SetShape(TORVImageShape s);
  TORVImageFilter Filter() const { return fStyle.Filter; }
  void SetFilter(TORVImageFilter f);
  TORVAngle GetAngle() const { return fStyle.Angle; }
  void SetAngle(TORVAngle a);
  // Millimetres from the plain getters, base units from the Base ones.
  float GetRadio() const { return float(fStyle.Radius / 1000.0); }
  float GetPadding() const { return float(fStyle.Padding / 1000.0); }
  std::int64_t GetBaseRadio() const { return fStyle.Radius; }
  std::int64_t GetBasePadding() const { return fStyle.Padding; }
  void SetBaseRadio(std::int64_t v);
  void SetBasePadding(std::int64_t v);

  std::uint8_t FillType() const { return fStyle.FillType; }
  void SetFillType(std::uint8_t t) { Set(fStyle.FillType, t); }
  QString FillName() const { return fStyle.FillName; }
  void SetFillName(const QString& n) { Set(fStyle.FillName, n); }
  QString GetFormat() const { return fStyle.Format; }
  void SetFormat(const QString& f) { Set(fStyle.Format, f); }
  QString GetText() const { return fFileName; }
  bool GetIsData() const override { return fStyle.FillType != 0; }

  const TORVImageStyle& Style() const { return fStyle; }

  // Picked anywhere on its face: a picture is one solid thing.
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  // A quarter turn turns the picture with its box.
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;

  // The box's record, then the picture's. Damaged values raise EPLNError naming them and the
  // item keeps what it had.
  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 protected:
  // Guards the bytes, which a draw may fill in while another thread reads them.
  mutable std::mutex fBytesLock;

 private:
  template <class V>
  void Set(V& field, const V& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void CheckStyle(const TORVImageStyle& s) const;
  QString fFileName;
  QByteArray fBytes;
  TORVImageStyle fStyle;
  std::atomic<bool> fReload{false};
};

// Encoded pictures kept in a file are limited to this size (a damaged length must not make a
// reader allocate gigabytes).
constexpr std::int64_t kMaxEmbeddedBytes = 256LL * 1024 * 1024;

}  // namespace Orv::F2d
