// Export of pages and extents to bitmaps and PDF, checked on the written files.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;

using namespace PlanoraTest;

namespace {

const QColor kRed(0xE0, 0x10, 0x10);
const QColor kBlue(0x10, 0x30, 0xD0);
const QColor kGreen(0x10, 0xA0, 0x30);

// A filled rectangle in one flat colour (outline and fill alike), sizes in millimetres.
TPLNBaseItem* Box(TPlanoraFMX& doc, double x, double y, double w, double h, const QColor& c, double penWidth = 200) {
  auto* r = static_cast<TPLNRectangle*>(TPLNFactory::AddRectangle(&doc, float(x), float(y), float(w), float(h)));
  r->SetColor(c.rgba());
  r->SetBackColor(c.rgba());
  r->SetFilled(true);
  r->SetPenWidth(penWidth);
  return r;
}

QImage ExportPng(TPlanoraFMX& doc, const QString& name, int page = 1, float scale = 1, bool fit = false) {
  const QString path = TmpPath(name);
  QFile::remove(path);
  const QString error = Export(doc, TORVExport::PNG, path, page, scale, fit);
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// Pixel of a position in millimetres on a 96 dpi bitmap at `scale`.
QPoint At(double xmm, double ymm, double scale = 1) { return Px(xmm, ymm, 96 * scale); }

}  // namespace

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
  EXPECT_TRUE(ColorAt(img, At(10, 10), kRed));
  for (double x : {30, 50, 70, 90}) EXPECT_TRUE(ColorAt(img, At(x, 10), Qt::white)) << x;
  EXPECT_TRUE(ColorAt(img, At(10, 30), kBlue));
}

TEST(Export, EveryLabelCellGetsItsCopyFromTheFirstRowAndColumn) {
  TPlanoraFMX doc;
  TPLNMeasure m = Paper(110000, 90000);
  m.Sizes[TPLNMeasure::LabelWidth] = 30000;
  m.Sizes[TPLNMeasure::LabelHeight] = 20000;
  m.Sizes[TPLNMeasure::LeftMargin] = 5000;
  m.Sizes[TPLNMeasure::TopMargin] = 8000;
  m.Sizes[TPLNMeasure::HorzGap] = 4000;
  m.Sizes[TPLNMeasure::VertGap] = 6000;
  m.Rows = m.Columns = 3;
  doc.SetMeasure(m);
  Box(doc, 5, 5, 10, 10, kBlue);
  struct Case {
    const char* what;
    int firstRow, firstColumn, page, labels;
    std::set<int> drawn;  // cells numbered 1..9 row by row
  };
  const Case cases[] = {
      {"whole sheet", 1, 1, 1, -1, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"a sheet used up to row 2, column 1", 2, 2, 1, -1, {5, 6, 7, 8, 9}},
      {"later pages are whole sheets", 2, 2, 2, -1, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"four labels from row 1, column 3", 1, 3, 1, 4, {3, 4, 5, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    doc.PrintInfo.FirstRow = c.firstRow;
    doc.PrintInfo.FirstColumn = c.firstColumn;
    doc.PrintInfo.CurrentPage = c.page;
    if (c.labels > 0) doc.PrintInfo.LabelsToPrint = c.labels;
    const QImage img = ExportPng(doc, QStringLiteral("grid.png"), c.page);
    for (int cell = 1; cell <= 9; ++cell) {
      const double x = 5 + (cell - 1) % 3 * 34, y = 8 + (cell - 1) / 3 * 26;  // the cell's top left
      EXPECT_TRUE(ColorAt(img, At(x + 10, y + 10), c.drawn.count(cell) ? kBlue : QColor(Qt::white))) << "cell " << cell;
      EXPECT_TRUE(ColorAt(img, At(x + 25, y + 10), Qt::white)) << "cell " << cell;
    }
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
  EXPECT_TRUE(ColorAt(fit, At(0.4, 0.4), Qt::white));
  EXPECT_TRUE(ColorAt(fit, At(1.6, 1.6), kGreen));
  EXPECT_TRUE(ColorAt(fit, At(50.4, 30.4), kGreen));
  EXPECT_TRUE(ColorAt(fit, At(51.6, 31.6), Qt::white));

  // On a 1:10 drawing the same box drawn ten times larger has the same size on paper.
  TPlanoraFMX big;
  TPLNMeasure m = Paper(100000, 60000);
  m.DrawScale = 10;
  big.SetMeasure(m);
  Box(big, 2000, 1500, 500, 300, kGreen, 0);
  const QImage bigFit = ExportPng(big, QStringLiteral("fit-scaled.png"), 0, 1, true);
  EXPECT_NEAR(bigFit.width(), 52 * 96 / 25.4, 1.0);
  EXPECT_NEAR(bigFit.height(), 32 * 96 / 25.4, 1.0);
  EXPECT_TRUE(ColorAt(bigFit, At(26, 16), kGreen));

  // A page number asks for the sheet even with fit.
  const QImage sheet = ExportPng(doc, QStringLiteral("fit-page.png"), 1, 1, true);
  EXPECT_EQ(sheet.size(), QSize(378, 227));
}

TEST(Export, PngPlacesItemsByMillimetreAndClampedScale) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 60000));
  Box(doc, 20, 10, 30, 20, kRed);
  Box(doc, 70, 40, 10, 10, kBlue);
  for (auto [asked, used] : {std::pair{1.0f, 1.0}, {2.0f, 2.0}, {0.1f, 0.2}, {0.2f, 0.2}, {7.0f, 5.0}, {-3.0f, 0.2}}) {
    SCOPED_TRACE(asked);
    const QImage img = ExportPng(doc, QStringLiteral("place.png"), 1, asked);
    EXPECT_NEAR(img.width(), 100 * 96 / 25.4 * used, 1.0);
    EXPECT_NEAR(img.height(), 60 * 96 / 25.4 * used, 1.0);
    EXPECT_TRUE(ColorAt(img, At(35, 20, used), kRed));
    EXPECT_TRUE(ColorAt(img, At(75, 45, used), kBlue));
    if (used < 1) continue;  // too coarse for the edges
    for (auto [x, y] : {std::pair{20.6, 10.6}, {49.4, 29.4}}) EXPECT_TRUE(ColorAt(img, At(x, y, used), kRed));
    for (auto [x, y] : {std::pair{19.2, 20.0}, {35.0, 9.2}, {50.8, 20.0}, {35.0, 30.8}, {75.0, 38.8}})
      EXPECT_TRUE(ColorAt(img, At(x, y, used), Qt::white));
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
  // The drawing's own size within 0.01 mm (0.028 points), not the nearest whole points.
  EXPECT_NEAR(pt.width(), 100 / 25.4 * 72, 0.02);
  EXPECT_NEAR(pt.height(), 60 / 25.4 * 72, 0.02);

  // The rendered page may come without a background; paper is white.
  const QImage png = ExportPng(doc, QStringLiteral("readback.png"));
  QImage paper(png.size(), QImage::Format_RGB32);
  paper.fill(Qt::white);
  QPainter(&paper).drawImage(0, 0, pdf.render(0, png.size()));
  const QPoint probes[] = {At(35, 20), At(21, 11), At(49, 29), At(75, 45), At(80, 15), At(85, 15),
                           At(10, 10), At(60, 30), At(95, 55), At(80, 5)};
  for (const QPoint p : probes) {
    SCOPED_TRACE(testing::Message() << p.x() << ", " << p.y());
    EXPECT_TRUE(ColorAt(paper, p, QColor(png.pixel(p)), 40));
  }
  EXPECT_TRUE(ColorAt(paper, At(80, 15), kGreen, 40));
  EXPECT_TRUE(ColorAt(paper, At(35, 20), kRed, 40));
}

TEST(Export, OtherBitmapFormats) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 60000));
  Box(doc, 20, 10, 30, 20, kRed);
  for (const auto& [type, name, format] : {std::tuple{TORVExport::JPEG, "out.jpg", "jpeg"}, {TORVExport::BMP, "out.bmp", "bmp"},
                                           {TORVExport::GIF, "out.gif", "gif"}}) {
    SCOPED_TRACE(name);
    const QString path = TmpPath(QLatin1String(name));
    QFile::remove(path);
    const QString error = Export(doc, type, path);
    QImage img;
    ASSERT_TRUE(error.isEmpty() && img.load(path, format)) << error.toStdString();
    EXPECT_EQ(img.size(), QSize(378, 227));
    EXPECT_TRUE(ColorAt(img, At(35, 20), kRed, 30));
    EXPECT_TRUE(ColorAt(img, At(10, 40), Qt::white, 10));
  }
}

TEST(Export, UnwritableOutputLeavesNoFile) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 60000));
  Box(doc, 20, 10, 30, 20, kRed);
  const QString dir = TmpDir(QStringLiteral("unwritable"));
  for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden)) QFile::remove(dir + '/' + f);
  const QString plain = dir + QStringLiteral("/plain");
  WriteAll(plain, "not a directory");
  for (const auto& [type, name] : {std::pair{TORVExport::PNG, "x.png"}, std::pair{TORVExport::PDF, "x.pdf"},
                                   std::pair{TORVExport::BMP, "x.bmp"}, std::pair{TORVExport::GIF, "x.gif"},
                                   std::pair{TORVExport::XPS, "x.xps"}}) {
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
  const std::pair<TORVExport, const char*> full[] = {
      {TORVExport::PNG, "full.png"}, {TORVExport::PDF, "full.pdf"}, {TORVExport::GIF, "full.gif"}, {TORVExport::XPS, "full.xps"}};
  for (const auto& [type, name] : full) WriteAll(dir + '/' + QLatin1String(name), old);
  QStringList errors;
  WithFileSizeLimit(256, [&] {
    for (const auto& [type, name] : full) errors << Export(doc, type, dir + '/' + QLatin1String(name), 1, 3);
  });
  for (int i = 0; i < 4; ++i) {
    const QString name = QLatin1String(full[i].second);
    EXPECT_TRUE(errors[i].contains(name)) << errors[i].toStdString();
    EXPECT_EQ(ReadAll(dir + '/' + name), old) << name.toStdString();
  }
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden),
            (QStringList{QStringLiteral("full.gif"), QStringLiteral("full.pdf"), QStringLiteral("full.png"),
                         QStringLiteral("full.xps"), QStringLiteral("plain")}));
}
