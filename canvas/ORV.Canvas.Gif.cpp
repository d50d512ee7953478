#include "ORV.Canvas.Gif.h"

#include <QHash>
#include <QIODevice>

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace Orv::Canvas {

namespace {

struct TShade {
  QRgb Color;  // 0xRRGGBB, alpha cleared
  std::uint32_t Count;
};

int Channel(QRgb c, int ch) { return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c); }

// A run of shades of the histogram, one box of the median cut.
struct TBox {
  std::size_t Begin, End;
  std::uint64_t Pixels = 0;
  int Longest = 0;  // channel with the widest range
  int Range = 0;
};

TBox MakeBox(const std::vector<TShade>& shades, std::size_t begin, std::size_t end) {
  TBox b{begin, end};
  std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
  for (std::size_t i = begin; i < end; ++i) {
    b.Pixels += shades[i].Count;
    for (int ch = 0; ch < 3; ++ch) {
      lo[ch] = std::min(lo[ch], Channel(shades[i].Color, ch));
      hi[ch] = std::max(hi[ch], Channel(shades[i].Color, ch));
    }
  }
  for (int ch = 0; ch < 3; ++ch)
    if (hi[ch] - lo[ch] > b.Range) b.Range = hi[ch] - lo[ch], b.Longest = ch;
  return b;
}

// A flat area keeps its exact colour: the box's main shade when it covers most of the box,
// the weighted mean of the box otherwise.
QRgb Representative(const std::vector<TShade>& shades, const TBox& b) {
  const TShade* top = &shades[b.Begin];
  std::array<std::uint64_t, 3> sum{0, 0, 0};
  for (std::size_t i = b.Begin; i < b.End; ++i) {
    if (shades[i].Count > top->Count) top = &shades[i];
    for (int ch = 0; ch < 3; ++ch) sum[ch] += std::uint64_t(Channel(shades[i].Color, ch)) * shades[i].Count;
  }
  if (2 * std::uint64_t(top->Count) > b.Pixels) return top->Color;
  auto mean = [&](int ch) { return int((sum[ch] + b.Pixels / 2) / b.Pixels); };
  return qRgb(mean(0), mean(1), mean(2)) & 0xFFFFFF;
}

QHash<QRgb, std::uint32_t> Histogram(const QImage& img) {
  QHash<QRgb, std::uint32_t> counts;
  for (int y = 0; y < img.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    // Drawings are mostly runs of one colour: one hash update per run.
    for (int x = 0; x < img.width();) {
      const QRgb c = line[x] & 0xFFFFFF;
      int run = 1;
      while (x + run < img.width() && (line[x + run] & 0xFFFFFF) == c) ++run;
      counts[c] += std::uint32_t(run);
      x += run;
    }
  }
  return counts;
}

}  // namespace

QVector<QRgb> GifPalette(const QImage& image) {
  const QImage img = image.convertToFormat(QImage::Format_RGB32);
  const QHash<QRgb, std::uint32_t> counts = Histogram(img);
  std::vector<TShade> shades;
  shades.reserve(counts.size());
  for (auto it = counts.cbegin(); it != counts.cend(); ++it) shades.push_back({it.key(), it.value()});
  // The hash's order changes from run to run; sorting makes the palette reproducible.
  std::sort(shades.begin(), shades.end(), [](const TShade& a, const TShade& b) { return a.Color < b.Color; });
  QVector<QRgb> palette;
  if (shades.size() <= 256) {
    for (const TShade& s : shades) palette.push_back(s.Color | 0xFF000000);
    return palette;
  }
  std::vector<TBox> boxes{MakeBox(shades, 0, shades.size())};
  while (boxes.size() < 256) {
    // Split the box that holds the most pixels times colour spread, at its pixel median.
    auto pick = boxes.end();
    std::uint64_t best = 0;
    for (auto it = boxes.begin(); it != boxes.end(); ++it) {
      const std::uint64_t score = it->Pixels * std::uint64_t(it->Range);
      if (it->End - it->Begin > 1 && score > best) best = score, pick = it;
    }
    if (pick == boxes.end()) break;
    const int ch = pick->Longest;
    std::sort(shades.begin() + pick->Begin, shades.begin() + pick->End, [ch](const TShade& a, const TShade& b) {
      return Channel(a.Color, ch) != Channel(b.Color, ch) ? Channel(a.Color, ch) < Channel(b.Color, ch) : a.Color < b.Color;
    });
    std::uint64_t seen = 0;
    std::size_t cut = pick->Begin;
    while (cut + 1 < pick->End && 2 * (seen + shades[cut].Count) <= pick->Pixels) seen += shades[cut++].Count;
    if (cut == pick->Begin) cut = pick->Begin + 1;
    const std::size_t begin = pick->Begin, end = pick->End;
    *pick = MakeBox(shades, begin, cut);
    boxes.push_back(MakeBox(shades, cut, end));
  }
  for (const TBox& b : boxes) palette.push_back(Representative(shades, b) | 0xFF000000);
  std::sort(palette.begin(), palette.end());
  palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
  return palette;
}

namespace {

int WriteToDevice(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<QIODevice*>(gif->UserData);
  return out->write(reinterpret_cast<const char*>(data), length) == length ? length : 0;
}

int Nearest(const QVector<QRgb>& palette, QRgb c) {
  int best = 0, bestDistance = INT32_MAX;
  for (int i = 0; i < palette.size(); ++i) {
    const int dr = qRed(palette[i]) - qRed(c), dg = qGreen(palette[i]) - qGreen(c), db = qBlue(palette[i]) - qBlue(c);
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) bestDistance = d, best = i;
  }
  return best;
}

bool Fail(QString* error, const QString& why) {
  if (error) *error = why;
  return false;
}

}  // namespace

bool WriteGif(const QImage& image, QIODevice* out, QString* error) {
  if (image.isNull()) return Fail(error, QStringLiteral("no image to write"));
  if (image.width() > 65535 || image.height() > 65535) return Fail(error, QStringLiteral("the image is too large for GIF"));
  if (!out || !out->isWritable()) return Fail(error, QStringLiteral("the output is not open for writing"));
  const QImage img = image.convertToFormat(QImage::Format_RGB32);
  const QVector<QRgb> palette = GifPalette(img);

  int bits = 1;
  while ((1 << bits) < palette.size()) ++bits;
  std::vector<GifColorType> colors(std::size_t(1) << bits, GifColorType{0, 0, 0});
  for (int i = 0; i < palette.size(); ++i)
    colors[i] = GifColorType{GifByteType(qRed(palette[i])), GifByteType(qGreen(palette[i])), GifByteType(qBlue(palette[i]))};
  ColorMapObject* map = GifMakeMapObject(1 << bits, colors.data());
  if (!map) return Fail(error, QStringLiteral("out of memory"));

  int code = 0;
  GifFileType* gif = EGifOpen(out, WriteToDevice, &code);
  if (!gif) {
    GifFreeMapObject(map);
    return Fail(error, QString::fromUtf8(GifErrorString(code)));
  }
  bool ok = EGifPutScreenDesc(gif, img.width(), img.height(), 8, 0, map) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, img.width(), img.height(), false, nullptr) == GIF_OK;
  QHash<QRgb, GifPixelType> index;
  std::vector<GifPixelType> line(std::size_t(img.width()));
  QRgb last = 0;
  GifPixelType lastIndex = 0;
  bool haveLast = false;
  for (int y = 0; ok && y < img.height(); ++y) {
    const QRgb* src = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      const QRgb c = src[x] & 0xFFFFFF;
      if (!haveLast || c != last) {
        auto it = index.constFind(c);
        if (it == index.cend()) it = index.insert(c, GifPixelType(Nearest(palette, c)));
        last = c;
        lastIndex = it.value();
        haveLast = true;
      }
      line[std::size_t(x)] = lastIndex;
    }
    ok = EGifPutLine(gif, line.data(), img.width()) == GIF_OK;
  }
  if (!ok) code = gif->Error;
  // Closing frees the handle whatever happened before; it also writes the trailer.
  int closeCode = 0;
  if (EGifCloseFile(gif, &closeCode) != GIF_OK && ok) {
    ok = false;
    code = closeCode;
  }
  GifFreeMapObject(map);
  if (!ok) {
    const QString why = out->errorString();
    return Fail(error, why.isEmpty() || why == QLatin1String("Unknown error") ? QString::fromUtf8(GifErrorString(code)) : why);
  }
  return true;
}

}  // namespace Orv::Canvas
