// Pictures on disk for the image tests: plain colours, halves, broken files.
#pragma once

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QtEndian>

#include "PlanoraTestSupport.h"

namespace ImageTest {

// A w x h picture in `color`, or in `left` and `right` halves; saved under the test folder.
inline QString Picture(const QString& name, int w, int h, QRgb left, QRgb right, const char* format = "PNG") {
  QImage img(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, x < w / 2 ? left : right);
  const QString path = PlanoraTest::TmpPath(name);
  QFile::remove(path);
  EXPECT_TRUE(img.save(path, format));
  return path;
}
inline QString Picture(const QString& name, int w, int h, QRgb color) { return Picture(name, w, h, color, color); }

inline std::uint32_t Crc32(const QByteArray& data) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : data) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

// A PNG whose header announces w x h pixels, followed by a little data that is not the picture.
inline QString HugePng(const QString& name, std::uint32_t w, std::uint32_t h) {
  QByteArray png("\x89PNG\r\n\x1a\n", 8);
  QByteArray ihdr("IHDR");
  const auto be32 = [](QByteArray& out, std::uint32_t v) {
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
  };
  be32(ihdr, w);
  be32(ihdr, h);
  ihdr.append(char(8)).append(char(6)).append(char(0)).append(char(0)).append(char(0));  // 8-bit RGBA
  be32(png, 13);
  png.append(ihdr);
  be32(png, Crc32(ihdr));
  QByteArray idat("IDAT");
  idat.append(QByteArray(64, 'x'));
  be32(png, 64);
  png.append(idat);
  be32(png, Crc32(idat));
  const QString path = PlanoraTest::TmpPath(name);
  PlanoraTest::WriteAll(path, png);
  return path;
}

}  // namespace ImageTest
