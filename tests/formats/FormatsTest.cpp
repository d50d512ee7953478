// GIF and XPS exports, read back by Qt's GIF reader, libzip and libgxps's renderer.
#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <zip.h>

#include <cmath>

#include "ORV.Canvas.Gif.h"
#include "ORV.Canvas.Xps.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

const QColor kRed(0xE0, 0x10, 0x10);
const QColor kBlue(0x10, 0x30, 0xD0);
const QColor kGreen(0x10, 0xA0, 0x30);

void Box(TPlanoraFMX& doc, double x, double y, double w, double h, const QColor& c) {
  auto* r = static_cast<TPLNRectangle*>(TPLNFactory::AddRectangle(&doc, float(x), float(y), float(w), float(h)));
  r->SetColor(c.rgba());
  r->SetBackColor(c.rgba());
  r->SetFilled(true);
}

// 100 x 60 mm: three flat boxes and a line of black text.
void Drawing(TPlanoraFMX& doc) {
  doc.SetMeasure(Paper(100000, 60000));
  Box(doc, 20, 10, 30, 20, kRed);
  Box(doc, 60, 30, 25, 20, kBlue);
  Box(doc, 70, 5, 20, 15, kGreen);
  auto* t = dynamic_cast<TPLNText*>(TPLNFactory::AddText(&doc, 5, 40));
  ASSERT_TRUE(t);
  t->SetText(QStringLiteral("Planora XPS"));
  t->SetFontHeight(8);
  t->SetFontColor(0xFF000000);
}

QString Exported(TPlanoraFMX& doc, TORVExport type, const QString& name) {
  const QString path = TmpPath(name);
  QFile::remove(path);
  const QString error = Export(doc, type, path);
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  return path;
}

int MaxChannelDiff(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// One part of a zip package, empty when missing.
QByteArray Part(const QString& zipPath, QString name) {
  if (name.startsWith('/')) name.remove(0, 1);
  int err = 0;
  zip_t* za = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &err);
  if (!za) return {};
  QByteArray out;
  zip_stat_t st;
  if (zip_stat(za, name.toUtf8().constData(), 0, &st) == 0) {
    if (zip_file_t* f = zip_fopen(za, name.toUtf8().constData(), 0)) {
      out.resize(qsizetype(st.size));
      if (zip_fread(f, out.data(), st.size) != zip_int64_t(st.size)) out.clear();
      zip_fclose(f);
    }
  }
  zip_close(za);
  return out;
}

QString Attribute(const QByteArray& xml, const QString& element, const QString& attribute) {
  const QRegularExpression re(QStringLiteral("<%1\\b[^>]*\\b%2=\"([^\"]*)\"").arg(element, attribute));
  return re.match(QString::fromUtf8(xml)).captured(1);
}

}  // namespace

TEST(Formats, GifKeepsTheColoursOfTheBitmap) {
  TPlanoraFMX doc;
  Drawing(doc);
  const QImage png = QImage(Exported(doc, TORVExport::PNG, QStringLiteral("shapes.png"))).convertToFormat(QImage::Format_RGB32);
  const QImage gif(Exported(doc, TORVExport::GIF, QStringLiteral("shapes.gif")), "GIF");
  ASSERT_FALSE(gif.isNull());
  EXPECT_EQ(gif.size(), png.size());
  EXPECT_LE(gif.colorCount(), 256);
  // Flat areas keep their exact colour; edges stay close to the bitmap's.
  for (const QPoint p : {Px(35, 20), Px(72, 40), Px(80, 12), Px(10, 55)}) EXPECT_EQ(gif.pixel(p) & 0xFFFFFF, png.pixel(p) & 0xFFFFFF);
  int worst = 0;
  for (int y = 0; y < png.height(); ++y)
    for (int x = 0; x < png.width(); ++x) worst = std::max(worst, MaxChannelDiff(gif.pixel(x, y), png.pixel(x, y)));
  EXPECT_LE(worst, 48);

  // Far more than 256 colours: a smooth field beside a flat red block.
  QImage field(256, 256, QImage::Format_RGB32);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) field.setPixel(x, y, x < 64 && y < 64 ? kRed.rgb() : qRgb(x, y, (x + y) / 2));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
  QString error;
  ASSERT_TRUE(Canvas::WriteGif(field, &buffer, &error)) << error.toStdString();
  const QImage back = QImage::fromData(bytes, "GIF");
  ASSERT_EQ(back.size(), field.size());
  EXPECT_LE(back.colorCount(), 256);
  EXPECT_EQ(back.pixel(10, 10) & 0xFFFFFF, kRed.rgb() & 0xFFFFFF);
  double total = 0;
  worst = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const int d = MaxChannelDiff(back.pixel(x, y), field.pixel(x, y));
      total += d;
      worst = std::max(worst, d);
    }
  EXPECT_LT(total / (256 * 256), 8);
  EXPECT_LE(worst, 32);

  // A device that refuses the bytes is a failure with a reason.
  QBuffer closed;
  EXPECT_FALSE(Canvas::WriteGif(field, &closed, &error));
  EXPECT_FALSE(error.isEmpty());
}

TEST(Formats, XpsPackageAndPageSize) {
  TPlanoraFMX doc;
  Drawing(doc);
  const QString xps = Exported(doc, TORVExport::XPS, QStringLiteral("package.xps"));
  EXPECT_TRUE(QFileInfo(xps).permissions() & QFileDevice::ReadOther);
  // From the package root to the page, as a consumer finds it.
  const QByteArray types = Part(xps, QStringLiteral("[Content_Types].xml"));
  for (const char* ext : {"rels", "fdseq", "fdoc", "fpage"}) EXPECT_TRUE(types.contains(QByteArray("Extension=\"") + ext)) << ext;
  const QString seq = Attribute(Part(xps, QStringLiteral("_rels/.rels")), QStringLiteral("Relationship"), QStringLiteral("Target"));
  ASSERT_FALSE(seq.isEmpty());
  const QString fdoc = Attribute(Part(xps, seq), QStringLiteral("DocumentReference"), QStringLiteral("Source"));
  ASSERT_FALSE(fdoc.isEmpty());
  const QString page = Attribute(Part(xps, fdoc), QStringLiteral("PageContent"), QStringLiteral("Source"));
  ASSERT_FALSE(page.isEmpty());
  const QByteArray markup = Part(xps, QFileInfo(fdoc).path() + '/' + page);
  ASSERT_FALSE(markup.isEmpty());
  // XPS units are 1/96 inch; the page is the paper, not rounded.
  EXPECT_NEAR(Attribute(markup, QStringLiteral("FixedPage"), QStringLiteral("Width")).toDouble(), 100 / 25.4 * 96, 0.01);
  EXPECT_NEAR(Attribute(markup, QStringLiteral("FixedPage"), QStringLiteral("Height")).toDouble(), 60 / 25.4 * 96, 0.01);
}

TEST(Formats, XpsDashesKeepEveryPairOfTheirPattern) {
  const QString xps = TmpPath(QStringLiteral("dashes.xps"));
  QFile::remove(xps);
  {
    Canvas::TXpsDocument doc(xps);
    Canvas::ISkCanvas* c = doc.BeginPage(400, 200, 96);
    ASSERT_NE(c, nullptr);
    // Dash, gap, dot, gap, dot, gap: no two alike, in pixels of a 2-pixel stroke.
    Canvas::TSkPaint paint;
    paint.Style = Canvas::TSkPaintStyle::Stroke;
    paint.StrokeWidth = 2;
    paint.PathEffect = Canvas::TSkPathEffect::MakeDash({12, 3, 2, 5, 1, 7}, 0);
    c->DrawLine(10, 100, 390, 100, paint);
    ASSERT_TRUE(doc.Close()) << doc.ErrorString().toStdString();
  }
  const QByteArray markup = Part(xps, QStringLiteral("Documents/1/Pages/1.fpage"));
  ASSERT_FALSE(markup.isEmpty());
  // XPS counts dashes in stroke widths.
  const QStringList dashes = Attribute(markup, QStringLiteral("Path"), QStringLiteral("StrokeDashArray")).split(' ');
  const std::vector<double> expected{6, 1.5, 1, 2.5, 0.5, 3.5};
  ASSERT_EQ(dashes.size(), qsizetype(expected.size())) << markup.toStdString();
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(dashes[qsizetype(i)].toDouble(), expected[i], 1e-3) << i;
}

TEST(Formats, XpsRendersLikeThePngExport) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("xpstopng"));
  if (tool.isEmpty()) GTEST_SKIP() << "xpstopng (libgxps-utils) is not installed";
  TPlanoraFMX doc;
  Drawing(doc);
  const QImage png = QImage(Exported(doc, TORVExport::PNG, QStringLiteral("render.png"))).convertToFormat(QImage::Format_RGB32);
  const QString xps = Exported(doc, TORVExport::XPS, QStringLiteral("render.xps"));
  const QString prefix = TmpPath(QStringLiteral("render-xps"));
  QFile::remove(prefix + QStringLiteral("-1.png"));
  QProcess p;
  p.start(tool, {QStringLiteral("-r"), QStringLiteral("96"), xps, prefix});
  ASSERT_TRUE(p.waitForFinished(60000));
  // The tool succeeds even when a page fails to draw: judge the picture, not the status.
  EXPECT_TRUE(p.readAllStandardError().isEmpty());
  const QImage render = QImage(prefix + QStringLiteral("-1.png")).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(render.isNull());
  EXPECT_NEAR(render.width(), png.width(), 1);
  EXPECT_NEAR(render.height(), png.height(), 1);

  // Wherever the bitmap is flat (not an edge) the render shows the same colour.
  auto flat = [&](int x, int y) {
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx)
        if (!png.valid(x + dx, y + dy) || png.pixel(x + dx, y + dy) != png.pixel(x, y)) return false;
    return true;
  };
  int coloured = 0;
  for (int y = 0; y < png.height(); y += 3)
    for (int x = 0; x < png.width(); x += 3) {
      if (!flat(x, y) || !render.valid(x, y)) continue;
      coloured += png.pixel(x, y) != qRgb(255, 255, 255);
      EXPECT_TRUE(ColorAt(render, QPoint(x, y), QColor(png.pixel(x, y)), 40));
    }
  EXPECT_GT(coloured, 300);
  // The text is there, about as heavy as in the bitmap.
  const QRect text(Px(5, 38), Px(55, 56));  // clear of the boxes
  const double pngInk = Ink(png.copy(text)), xpsInk = Ink(render.copy(text));
  EXPECT_GT(pngInk, 0);
  EXPECT_NEAR(xpsInk / pngInk, 1.0, 0.25);
}

TEST(Formats, CommandLineExportsGifAndXps) {
  for (const char* name : {"cli.gif", "cli.xps"}) {
    SCOPED_TRACE(name);
    const QString out = TmpPath(QLatin1String(name));
    QFile::remove(out);
    QProcess p;
    p.start(QStringLiteral(PLANORA_CLI), {QStringLiteral("export"), Sample("shapes.json"), out});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    if (out.endsWith(QLatin1String(".gif"))) {
      const QImage img(out, "GIF");
      EXPECT_EQ(std::max(img.width(), img.height()), 1123);  // A4 at 96 dpi
    } else {
      EXPECT_TRUE(Part(out, QStringLiteral("Documents/1/Pages/1.fpage")).contains("<FixedPage"));
    }
  }
}
