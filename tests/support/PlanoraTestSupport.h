// Helpers shared by the test suites: scratch files, the file-size limit, pixel probes, and (where
// the suite links the drawing library) paper sizes, exports and a recording drawing context.
#pragma once

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>

#include <csignal>
#include <cmath>
#include <functional>
#include <sys/resource.h>

namespace PlanoraTest {

inline QString TmpDir(const QString& sub = {}) {
  const QString dir = QStringLiteral(PLANORA_TEST_TMP) + (sub.isEmpty() ? QString() : QLatin1Char('/') + sub);
  QDir().mkpath(dir);
  return dir;
}
inline QString TmpPath(const QString& name) { return TmpDir() + QLatin1Char('/') + name; }
inline QString Sample(const char* name) { return QStringLiteral(PLANORA_SOURCE_DIR "/examples/") + QLatin1String(name); }

inline QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

// Runs `fn` with files limited to `bytes`, as if the disk filled up part-way through a write.
inline void WithFileSizeLimit(rlim_t bytes, const std::function<void()>& fn) {
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = bytes;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  fn();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
}

// Pixel probes. Grey levels: dark below 100, white above 235, ink below 160.
inline int Gray(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)); }
inline bool Dark(const QImage& img, int x, int y) { return Gray(img, x, y) < 100; }
inline bool White(const QImage& img, int x, int y) { return Gray(img, x, y) > 235; }
// Dark anywhere / white everywhere within `r` pixels: for thin or anti-aliased strokes.
inline bool DarkNear(const QImage& img, int x, int y, int r = 1) {
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx)
      if (img.valid(x + dx, y + dy) && Dark(img, x + dx, y + dy)) return true;
  return false;
}
inline bool WhiteNear(const QImage& img, int x, int y, int r = 1) {
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx)
      if (img.valid(x + dx, y + dy) && !White(img, x + dx, y + dy)) return false;
  return true;
}
// Probes along row `y`: true where a dash (ink) must be, false where a gap must be.
inline void ExpectDashes(const QImage& img, int y, const std::vector<std::pair<int, bool>>& probes) {
  for (auto [x, on] : probes) EXPECT_TRUE(on ? DarkNear(img, x, y) : WhiteNear(img, x, y)) << (on ? "no dash" : "no gap") << " at x=" << x;
}
// Total darkness of the image, and the first and last rows/columns holding ink ({-1, -1} if none).
inline double Ink(const QImage& img) {
  double sum = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) sum += 255 - Gray(img, x, y);
  return sum;
}
inline std::pair<int, int> InkSpan(const QImage& img, bool rows) {
  int first = -1, last = -1;
  const int outer = rows ? img.height() : img.width(), inner = rows ? img.width() : img.height();
  for (int a = 0; a < outer; ++a)
    for (int b = 0; b < inner; ++b)
      if ((rows ? Gray(img, b, a) : Gray(img, a, b)) < 160) {
        if (first < 0) first = a;
        last = a;
        break;
      }
  return {first, last};
}
inline std::pair<int, int> InkRows(const QImage& img) { return InkSpan(img, true); }
inline std::pair<int, int> InkColumns(const QImage& img) { return InkSpan(img, false); }
inline bool InkInRect(const QImage& img, const QRect& r) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (img.valid(x, y) && Gray(img, x, y) < 160) return true;
  return false;
}

// The pixel at `p` is within `tol` of `c` on every channel.
inline ::testing::AssertionResult ColorAt(const QImage& img, QPoint p, const QColor& c, int tol = 24) {
  if (!img.valid(p)) return ::testing::AssertionFailure() << "(" << p.x() << ", " << p.y() << ") is outside the image";
  const QRgb v = img.pixel(p);
  if (std::abs(qRed(v) - c.red()) <= tol && std::abs(qGreen(v) - c.green()) <= tol && std::abs(qBlue(v) - c.blue()) <= tol)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << p.x() << ", " << p.y() << ") is " << QColor(v).name().toStdString()
                                       << ", expected " << c.name().toStdString();
}
// The pixel of a position in millimetres at `dpi`.
inline QPoint Px(double xmm, double ymm, double dpi = 96) {
  const double k = dpi / 25.4;
  return QPoint(int(std::floor(xmm * k)), int(std::floor(ymm * k)));
}

}  // namespace PlanoraTest

#if __has_include("ORV.Canvas.h")
#include "ORV.Canvas.h"

namespace PlanoraTest {

// The dash intervals on a paint, empty when solid.
inline std::vector<float> Dash(const Orv::Canvas::TSkPaint& p) {
  return p.PathEffect ? p.PathEffect->Intervals() : std::vector<float>{};
}

}  // namespace PlanoraTest
#endif

#if __has_include("ORV.FMX.h")
#include <QBuffer>
#include <QPainter>

#include "ORV.Canvas.Recording.h"
#include "ORV.FMX.h"

namespace PlanoraTest {

// A paper that is one label of w x h base units.
inline Orv::TPLNMeasure Paper(std::int64_t w, std::int64_t h) {
  Orv::TPLNMeasure m;
  m.Sizes[Orv::TPLNMeasure::PaperWidth] = m.Sizes[Orv::TPLNMeasure::LabelWidth] = w;
  m.Sizes[Orv::TPLNMeasure::PaperHeight] = m.Sizes[Orv::TPLNMeasure::LabelHeight] = h;
  return m;
}

// Runs one export to the end; the error text, empty on success.
inline QString Export(Orv::Fmx::TPlanoraFMX& doc, Orv::TORVExport type, const QString& path, int page = 1,
                      float scale = 1, bool fit = false) {
  doc.ExportDoc(type, path, page, scale, -1, false, false, fit);
  QString error;
  const bool ok = doc.WaitForExport(&error);
  EXPECT_EQ(ok, error.isEmpty());
  return error;
}

// An item's binary record, and reading one back into an item: the error text, empty when it read.
inline QByteArray Record(const Orv::TPLNBaseItem& item) {
  QByteArray bytes;
  QBuffer b(&bytes);
  b.open(QIODevice::WriteOnly);
  Orv::TBinaryWriter w(&b);
  item.WriteData(w);
  return bytes;
}
inline QString ReadInto(Orv::TPLNBaseItem& item, QByteArray bytes) {
  QBuffer b(&bytes);
  b.open(QIODevice::ReadOnly);
  Orv::TBinaryReader r(&b);
  try {
    item.ReadData(Orv::kFileVersion, r, Orv::TORVReadType::File);
  } catch (const Orv::EPLNError& e) {
    return e.Message();
  }
  return {};
}
inline QString ReadJsonInto(Orv::TPLNBaseItem& item, const QJsonObject& o) {
  try {
    item.ReadJson(Orv::kFileVersion, o);
  } catch (const Orv::EPLNError& e) {
    return e.Message();
  }
  return {};
}

// An item of kind T on `doc` through the given points, not yet entered into the document.
template <class T>
T* MakeItem(Orv::TPLNBaseLabel& doc, std::initializer_list<Orv::TORVPto> pts) {
  auto* item = new T(&doc, false);
  item->AssignPoints(pts);
  return item;
}

// The item's Draw (or Print) onto white, at 96 dpi unless told: what the print canvas's font
// sizes expect of an unscaled context.
inline QImage RenderItem(Orv::TPLNBaseItem* item, bool print = false,
                         Orv::TORVDrawState state = Orv::TORVDrawState::Export, QSize size = {500, 400},
                         int dpi = 96) {
  QImage img(size, QImage::Format_ARGB32);
  img.fill(Qt::white);
  QPainter painter(&img);
  Orv::Canvas::TQPainterCanvas canvas(&painter);
  Orv::Fmx::TPLNDraw d;
  d.SetResolution(dpi, dpi);
  d.SetStandardWidths();
  d.kC = &canvas;
  d.pC = &canvas;
  d.DrawState = state;
  print ? item->Print(&d) : item->Draw(&d);
  painter.end();
  return img;
}

// A document and a recording drawing context; at the default 254 dpi 1 mm is 10 pixels.
struct RecordingContext {
  Orv::TPLNBaseLabel doc;
  Orv::Canvas::TRecordingCanvas canvas;
  Orv::Fmx::TPLNDraw d;

  explicit RecordingContext(int dpi = 254) {
    d.SetResolution(dpi, dpi);
    d.SetStandardWidths();
    d.kC = &canvas;
    d.pC = &canvas;
  }
  const Orv::Canvas::TRecordedOp& Op(size_t i) const { return canvas.Ops.at(i); }
  std::vector<std::string> Redraw(Orv::TPLNBaseItem* item, bool print = false) {
    canvas.Clear();
    print ? item->Print(&d) : item->Draw(&d);
    return canvas.Names();
  }
};

}  // namespace PlanoraTest
#endif
