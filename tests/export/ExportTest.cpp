// Export of pages and extents to bitmaps and PDF, checked on the written files.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <set>
#include <sys/resource.h>
#include <tuple>

#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

const QColor kRed(0xE0, 0x10, 0x10);
const QColor kBlue(0x10, 0x30, 0xD0);
const QColor kGreen(0x10, 0xA0, 0x30);

QString TmpDir(const QString& sub = {}) {
  const QString dir = QStringLiteral(PLANORA_TEST_TMP) + (sub.isEmpty() ? QString() : QLatin1Char('/') + sub);
  QDir().mkpath(dir);
  return dir;
}
QString TmpPath(const QString& name) { return TmpDir() + QLatin1Char('/') + name; }

TPLNMeasure Paper(std::int64_t w, std::int64_t h) {
  TPLNMeasure m;
  m.Sizes[TPLNMeasure::PaperWidth] = m.Sizes[TPLNMeasure::LabelWidth] = w;
  m.Sizes[TPLNMeasure::PaperHeight] = m.Sizes[TPLNMeasure::LabelHeight] = h;
  return m;
}

// A filled rectangle in one flat colour (outline and fill alike), sizes in millimetres.
TPLNBaseItem* Box(TPlanoraFMX& doc, double x, double y, double w, double h, const QColor& c, double penWidth = 200) {
  auto* r = static_cast<TPLNRectangle*>(TPLNFactory::AddRectangle(&doc, float(x), float(y), float(w), float(h)));
  r->SetColor(c.rgba());
  r->SetBackColor(c.rgba());
  r->SetFilled(true);
  r->SetPenWidth(penWidth);
  return r;
}

// Runs one export to the end; the error text, empty on success.
QString Export(TPlanoraFMX& doc, TORVExport type, const QString& path, int page = 1, float scale = 1,
               bool fit = false) {
  doc.ExportDoc(type, path, page, scale, -1, false, false, fit);
  QString error;
  const bool ok = doc.WaitForExport(&error);
  EXPECT_EQ(ok, error.isEmpty());
  return error;
}

QImage ExportPng(TPlanoraFMX& doc, const QString& name, int page = 1, float scale = 1, bool fit = false) {
  const QString path = TmpPath(name);
  QFile::remove(path);
  const QString error = Export(doc, TORVExport::PNG, path, page, scale, fit);
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  QImage img(path);
  EXPECT_FALSE(img.isNull()) << name.toStdString();
  return img.convertToFormat(QImage::Format_RGB32);
}

// Pixel of a position in millimetres on a 96 dpi bitmap at `scale`.
QPoint Px(double xmm, double ymm, double scale = 1) {
  const double k = 96.0 / 25.4 * scale;
  return QPoint(int(std::floor(xmm * k)), int(std::floor(ymm * k)));
}

bool Near(QRgb p, const QColor& c, int tol = 24) {
  return std::abs(qRed(p) - c.red()) <= tol && std::abs(qGreen(p) - c.green()) <= tol &&
         std::abs(qBlue(p) - c.blue()) <= tol;
}
::testing::AssertionResult ColorAt(const QImage& img, QPoint p, const QColor& c, int tol = 24) {
  if (!img.valid(p)) return ::testing::AssertionFailure() << "(" << p.x() << ", " << p.y() << ") is outside the image";
  const QRgb v = img.pixel(p);
  if (Near(v, c, tol)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << p.x() << ", " << p.y() << ") is " << QColor(v).name().toStdString()
                                       << ", expected " << c.name().toStdString();
}

}  // namespace

TEST(Export, PngPlacesItemsByMillimetreAndScale) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 60000));
  Box(doc, 20, 10, 30, 20, kRed);
  Box(doc, 70, 40, 10, 10, kBlue);
  for (float scale : {1.0f, 2.0f}) {
    SCOPED_TRACE(scale);
    const QImage img = ExportPng(doc, QStringLiteral("place-%1.png").arg(scale), 1, scale);
    EXPECT_EQ(img.size(), QSize(std::lround(100 * 96 / 25.4 * scale), std::lround(60 * 96 / 25.4 * scale)));
    EXPECT_TRUE(ColorAt(img, Px(35, 20, scale), kRed));
    EXPECT_TRUE(ColorAt(img, Px(20.6, 10.6, scale), kRed));
    EXPECT_TRUE(ColorAt(img, Px(49.4, 29.4, scale), kRed));
    EXPECT_TRUE(ColorAt(img, Px(19.2, 20, scale), Qt::white));
    EXPECT_TRUE(ColorAt(img, Px(35, 9.2, scale), Qt::white));
    EXPECT_TRUE(ColorAt(img, Px(50.8, 20, scale), Qt::white));
    EXPECT_TRUE(ColorAt(img, Px(35, 30.8, scale), Qt::white));
    EXPECT_TRUE(ColorAt(img, Px(75, 45, scale), kBlue));
    EXPECT_TRUE(ColorAt(img, Px(75, 38.8, scale), Qt::white));
  }
}

TEST(Export, OnlyVisibleExportableItemsAreDrawn) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 40000));
  Box(doc, 5, 5, 10, 10, kRed);                                          // drawn
  Box(doc, 25, 5, 10, 10, kRed)->SetOptions(Opt::Default & ~Opt::Export);  // not for export
  Box(doc, 45, 5, 10, 10, kRed)->SetOptions(Opt::Default & ~Opt::Visible);  // hidden item
  TPLNLayer* hidden = doc.AddLayer(QStringLiteral("hidden"));
  hidden->Options = Opt::Default & ~Opt::Visible;
  TPLNLayer* noExport = doc.AddLayer(QStringLiteral("no export"));
  noExport->Options = Opt::Default & ~Opt::Export;
  TPLNLayer* printOnly = doc.AddLayer(QStringLiteral("not printed"));
  printOnly->Options = Opt::Default & ~Opt::Print;
  doc.SetActiveLayer(2);
  Box(doc, 65, 5, 10, 10, kRed);
  doc.SetActiveLayer(3);
  Box(doc, 85, 5, 10, 10, kRed);
  doc.SetActiveLayer(4);
  Box(doc, 5, 25, 10, 10, kBlue);  // printing does not matter to an export

  const QImage img = ExportPng(doc, QStringLiteral("visibility.png"));
  EXPECT_TRUE(ColorAt(img, Px(10, 10), kRed));
  EXPECT_TRUE(ColorAt(img, Px(30, 10), Qt::white));
  EXPECT_TRUE(ColorAt(img, Px(50, 10), Qt::white));
  EXPECT_TRUE(ColorAt(img, Px(70, 10), Qt::white));
  EXPECT_TRUE(ColorAt(img, Px(90, 10), Qt::white));
  EXPECT_TRUE(ColorAt(img, Px(10, 30), kBlue));
}

TEST(Export, EveryLabelCellGetsItsCopy) {
  TPlanoraFMX doc;
  TPLNMeasure m = Paper(110000, 90000);
  m.Sizes[TPLNMeasure::LabelWidth] = 30000;
  m.Sizes[TPLNMeasure::LabelHeight] = 20000;
  m.Sizes[TPLNMeasure::LeftMargin] = 5000;
  m.Sizes[TPLNMeasure::TopMargin] = 8000;
  m.Sizes[TPLNMeasure::HorzGap] = 4000;
  m.Sizes[TPLNMeasure::VertGap] = 6000;
  m.Rows = 3;
  m.Columns = 3;
  doc.SetMeasure(m);
  Box(doc, 5, 5, 10, 10, kBlue);
  // Cell (row, column) of the label grid: where its copy's centre and an empty spot are.
  auto centre = [&](int r, int c) { return Px(5 + (c - 1) * 34 + 10, 8 + (r - 1) * 26 + 10); };
  auto empty = [&](int r, int c) { return Px(5 + (c - 1) * 34 + 25, 8 + (r - 1) * 26 + 10); };

  auto expectCells = [&](const QImage& img, const std::set<std::pair<int, int>>& drawn) {
    for (int r = 1; r <= 3; ++r)
      for (int c = 1; c <= 3; ++c) {
        SCOPED_TRACE(testing::Message() << "row " << r << ", column " << c);
        EXPECT_TRUE(ColorAt(img, centre(r, c), drawn.count({r, c}) ? kBlue : QColor(Qt::white)));
        EXPECT_TRUE(ColorAt(img, empty(r, c), Qt::white));
      }
  };
  {
    SCOPED_TRACE("whole sheet");
    expectCells(ExportPng(doc, QStringLiteral("grid.png")),
                {{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {2, 3}, {3, 1}, {3, 2}, {3, 3}});
  }
  // A sheet already used up to row 2, column 1: page 1 starts at row 2, column 2.
  doc.PrintInfo.FirstRow = 2;
  doc.PrintInfo.FirstColumn = 2;
  {
    SCOPED_TRACE("first page starts later");
    expectCells(ExportPng(doc, QStringLiteral("grid-first.png")), {{2, 2}, {2, 3}, {3, 1}, {3, 2}, {3, 3}});
  }
  // Later pages are whole sheets.
  doc.PrintInfo.CurrentPage = 2;
  {
    SCOPED_TRACE("second page");
    expectCells(ExportPng(doc, QStringLiteral("grid-page2.png"), 2),
                {{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {2, 3}, {3, 1}, {3, 2}, {3, 3}});
  }
  // A run of four labels from row 1 column 3 fills the rest of the row and the next three.
  doc.PrintInfo.CurrentPage = 1;
  doc.PrintInfo.FirstRow = 1;
  doc.PrintInfo.FirstColumn = 3;
  doc.PrintInfo.LabelsToPrint = 4;
  {
    SCOPED_TRACE("four labels");
    expectCells(ExportPng(doc, QStringLiteral("grid-four.png")), {{1, 3}, {2, 1}, {2, 2}, {2, 3}});
  }
}

TEST(Export, SheetAndFitSizes) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 60000));
  // An empty drawing still gives a small bitmap.
  const QImage empty = ExportPng(doc, QStringLiteral("fit-empty.png"), 0, 1, true);
  EXPECT_GE(empty.width(), 10);
  EXPECT_GE(empty.height(), 10);
  EXPECT_LE(empty.width(), 12);

  // The extent of a 50 x 30 mm box far outside the sheet, with 1 mm around it.
  Box(doc, 200, 150, 50, 30, kGreen, 0);
  const QImage fit = ExportPng(doc, QStringLiteral("fit.png"), 0, 1, true);
  EXPECT_NEAR(fit.width(), 52 * 96 / 25.4, 1.0);
  EXPECT_NEAR(fit.height(), 32 * 96 / 25.4, 1.0);
  EXPECT_TRUE(ColorAt(fit, Px(0.4, 0.4), Qt::white));
  EXPECT_TRUE(ColorAt(fit, Px(1.6, 1.6), kGreen));
  EXPECT_TRUE(ColorAt(fit, Px(50.4, 30.4), kGreen));
  EXPECT_TRUE(ColorAt(fit, Px(51.6, 31.6), Qt::white));
  const QImage fit2 = ExportPng(doc, QStringLiteral("fit2.png"), 0, 2, true);
  EXPECT_NEAR(fit2.width(), 2 * 52 * 96 / 25.4, 1.0);
  EXPECT_TRUE(ColorAt(fit2, Px(1.6, 1.6, 2), kGreen));

  // On a 1:10 drawing the same box drawn ten times larger has the same size on paper.
  TPlanoraFMX big;
  TPLNMeasure m = Paper(100000, 60000);
  m.DrawScale = 10;
  big.SetMeasure(m);
  Box(big, 2000, 1500, 500, 300, kGreen, 0);
  const QImage bigFit = ExportPng(big, QStringLiteral("fit-scaled.png"), 0, 1, true);
  EXPECT_NEAR(bigFit.width(), 52 * 96 / 25.4, 1.0);
  EXPECT_NEAR(bigFit.height(), 32 * 96 / 25.4, 1.0);
  EXPECT_TRUE(ColorAt(bigFit, Px(26, 16), kGreen));

  // A page number asks for the sheet even with fit.
  const QImage sheet = ExportPng(doc, QStringLiteral("fit-page.png"), 1, 1, true);
  EXPECT_EQ(sheet.size(), QSize(378, 227));
}

TEST(Export, ScaleIsClamped) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 60000));
  Box(doc, 20, 10, 30, 20, kRed);
  struct Case {
    float asked;
    double used;
  };
  for (const Case c : {Case{0.1f, 0.2}, Case{0.2f, 0.2}, Case{7.0f, 5.0}, Case{-3.0f, 0.2}}) {
    SCOPED_TRACE(c.asked);
    const QImage img = ExportPng(doc, QStringLiteral("clamp.png"), 1, c.asked);
    EXPECT_NEAR(img.width(), 100 * 96 / 25.4 * c.used, 1.0);
    EXPECT_NEAR(img.height(), 60 * 96 / 25.4 * c.used, 1.0);
    EXPECT_TRUE(ColorAt(img, Px(35, 20, c.used), kRed));
  }
}

TEST(Export, PdfReadsBackLikeThePng) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 60000));
  Box(doc, 20, 10, 30, 20, kRed);
  Box(doc, 70, 40, 10, 10, kBlue);
  auto* c = static_cast<TPLNCircle*>(TPLNFactory::AddCircle(&doc, 80, 15, 8));
  c->SetColor(kGreen.rgba());
  c->SetBackColor(kGreen.rgba());
  c->SetFilled(true);

  const QString pdfPath = TmpPath("readback.pdf");
  QFile::remove(pdfPath);
  const QString error = Export(doc, TORVExport::PDF, pdfPath);
  ASSERT_TRUE(error.isEmpty()) << error.toStdString();
  EXPECT_TRUE(QFileInfo(pdfPath).permissions() & QFileDevice::ReadOther);

  QPdfDocument pdf;
  ASSERT_EQ(pdf.load(pdfPath), QPdfDocument::Error::None);
  ASSERT_EQ(pdf.pageCount(), 1);
  const QSizeF pt = pdf.pagePointSize(0);
  EXPECT_NEAR(pt.width(), 100 / 25.4 * 72, 0.5);
  EXPECT_NEAR(pt.height(), 60 / 25.4 * 72, 0.5);

  const QImage png = ExportPng(doc, QStringLiteral("readback.png"));
  QImage page = pdf.render(0, png.size());
  ASSERT_FALSE(page.isNull());
  // The rendered page may come without a background; paper is white.
  QImage paper(page.size(), QImage::Format_RGB32);
  paper.fill(Qt::white);
  {
    QPainter p(&paper);
    p.drawImage(0, 0, page);
  }
  const QPoint probes[] = {Px(35, 20), Px(21, 11), Px(49, 29), Px(75, 45), Px(80, 15), Px(85, 15),
                           Px(10, 10), Px(60, 30), Px(95, 55), Px(80, 5)};
  for (const QPoint p : probes) {
    SCOPED_TRACE(testing::Message() << p.x() << ", " << p.y());
    EXPECT_TRUE(ColorAt(paper, p, QColor(png.pixel(p)), 40));
  }
  EXPECT_TRUE(ColorAt(paper, Px(80, 15), kGreen, 40));
  EXPECT_TRUE(ColorAt(paper, Px(35, 20), kRed, 40));
}

TEST(Export, OtherBitmapFormatsAndUnsupportedOnes) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 60000));
  Box(doc, 20, 10, 30, 20, kRed);
  for (const auto& [type, name, format] : {std::tuple{TORVExport::JPEG, "out.jpg", "jpeg"},
                                           std::tuple{TORVExport::BMP, "out.bmp", "bmp"}}) {
    SCOPED_TRACE(name);
    const QString path = TmpPath(QLatin1String(name));
    QFile::remove(path);
    ASSERT_TRUE(Export(doc, type, path).isEmpty());
    QImage img;
    ASSERT_TRUE(img.load(path, format));
    EXPECT_EQ(img.size(), QSize(378, 227));
    EXPECT_TRUE(ColorAt(img, Px(35, 20), kRed, 30));
    EXPECT_TRUE(ColorAt(img, Px(10, 40), Qt::white, 10));
  }
  for (const auto& [type, name, label] : {std::tuple{TORVExport::GIF, "out.gif", "GIF"},
                                          std::tuple{TORVExport::XPS, "out.xps", "XPS"}}) {
    SCOPED_TRACE(name);
    const QString path = TmpPath(QLatin1String(name));
    QFile::remove(path);
    const QString error = Export(doc, type, path);
    EXPECT_TRUE(error.contains(QLatin1String(label))) << error.toStdString();
    EXPECT_TRUE(error.contains(QLatin1String(name))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
  }
}

TEST(Export, UnwritableOutputLeavesNoFile) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 60000));
  Box(doc, 20, 10, 30, 20, kRed);
  const QString dir = TmpDir(QStringLiteral("unwritable"));
  for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden)) QFile::remove(dir + '/' + f);
  const QString plain = dir + QStringLiteral("/plain");
  {
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a directory");
  }
  for (const auto& [type, name] : {std::pair{TORVExport::PNG, "x.png"}, std::pair{TORVExport::PDF, "x.pdf"},
                                   std::pair{TORVExport::BMP, "x.bmp"}}) {
    for (const QString& base : {plain, dir + QStringLiteral("/no/such/dir")}) {
      const QString path = base + '/' + QLatin1String(name);
      SCOPED_TRACE(path.toStdString());
      const QString error = Export(doc, type, path);
      EXPECT_TRUE(error.contains(QLatin1String(name))) << error.toStdString();
      EXPECT_FALSE(QFileInfo::exists(path));
    }
  }

  // The disk fills up half-way: the earlier export stays whole and no partial file is left.
  const QByteArray old(100, 'o');
  for (const char* name : {"full.png", "full.pdf"}) {
    const QString path = dir + '/' + QLatin1String(name);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(old);
  }
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 256;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const QString pngError = Export(doc, TORVExport::PNG, dir + QStringLiteral("/full.png"), 1, 3);
  const QString pdfError = Export(doc, TORVExport::PDF, dir + QStringLiteral("/full.pdf"), 1, 3);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_TRUE(pngError.contains(QLatin1String("full.png"))) << pngError.toStdString();
  EXPECT_TRUE(pdfError.contains(QLatin1String("full.pdf"))) << pdfError.toStdString();
  for (const char* name : {"full.png", "full.pdf"}) {
    QFile f(dir + '/' + QLatin1String(name));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old) << name;
  }
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden),
            (QStringList{QStringLiteral("full.pdf"), QStringLiteral("full.png"), QStringLiteral("plain")}));
}
