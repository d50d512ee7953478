// PDF pages, read back through QtPdf.
#include "CanvasProbe.h"
#include "ORV.Canvas.Document.h"

#include <QPdfDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Orv::Canvas;
using namespace Orv::Canvas::Testing;

namespace {

double MmToPx(double mm, double dpi) { return mm / 25.4 * dpi; }

// The rendered page on white (QtPdf may leave unpainted areas transparent).
QImage RenderPage(QPdfDocument& doc, int page, QSize size) {
  QImage out(size, QImage::Format_ARGB32_Premultiplied);
  out.fill(Qt::white);
  QPainter p(&out);
  p.drawImage(0, 0, doc.render(page, size));
  return out;
}

}  // namespace

TEST(PdfDocument, PagesOfTheirOwnSizeAndResolutionReadBack) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath(QStringLiteral("labels.pdf"));
  {
    TPdfDocument pdf(file);
    ASSERT_TRUE(pdf.IsOpen()) << pdf.ErrorString().toStdString();
    // 62 x 29 mm at 300 dpi: a rectangle at (100, 50) - (300, 150) pixels and text on y = 250.
    ISkCanvas* page1 = pdf.BeginPage(float(MmToPx(62, 300)), float(MmToPx(29, 300)), 300);
    ASSERT_NE(page1, nullptr);
    page1->DrawRect(QRectF(100, 50, 200, 100), Paint(TSkPaintStyle::Fill));
    TSkFont font;
    font.Family = QStringLiteral("DejaVu Sans");
    font.Size = 60.5f;
    page1->DrawSimpleText(QStringLiteral("HHH"), 400, 250, font, Paint(TSkPaintStyle::Fill));
    pdf.EndPage();
    // 400 x 200 pixels at a fractional 96.5 dpi; a square filling the right half, with the print operations.
    ASSERT_NE(pdf.BeginPage(400, 200, 96.5f), nullptr);
    pdf.Canvas()->Fill.Color = 0xFF000000;
    pdf.Canvas()->FillRect(QRectF(200, 0, 200, 200), 0, 0, AllCorners, 1, TCornerType::Round);
    EXPECT_TRUE(pdf.Close()) << pdf.ErrorString().toStdString();
    EXPECT_FALSE(pdf.IsOpen());
  }

  QPdfDocument doc;
  ASSERT_EQ(doc.load(file), QPdfDocument::Error::None);
  ASSERT_EQ(doc.pageCount(), 2);
  // Exact sizes (0.01 mm is 0.028 points), not whole points: 62 mm is 175.75 points.
  const QSizeF s1 = doc.pagePointSize(0), s2 = doc.pagePointSize(1);
  EXPECT_NEAR(s1.width(), MmToPx(62, 72), 0.02);
  EXPECT_NEAR(s1.height(), MmToPx(29, 72), 0.02);
  EXPECT_NEAR(s2.width(), 400 * 72 / 96.5, 0.02);
  EXPECT_NEAR(s2.height(), 200 * 72 / 96.5, 0.02);
  EXPECT_EQ(doc.metaData(QPdfDocument::MetaDataField::Creator).toString(), QStringLiteral("Planora"));

  // Rendered at the page's own resolution, pixels land where they were drawn.
  const QImage p1 = RenderPage(doc, 0, (s1 * 300 / 72).toSize());
  EXPECT_TRUE(Dark(p1, 110, 60) && Dark(p1, 290, 140));
  EXPECT_TRUE(White(p1, 90, 100) && White(p1, 310, 100) && White(p1, 200, 40) && White(p1, 200, 160));
  // The text's baseline at y = 250, a cap height of about 0.73 x 60.5 above it.
  const QImage text1 = p1.copy(380, 150, 300, 120);
  const auto rows = InkRows(text1);
  EXPECT_NEAR(150 + rows.second, 249, 2);
  EXPECT_NEAR(rows.second - rows.first, 0.73 * 60.5, 3);
  EXPECT_NEAR(380 + InkColumns(text1).first, 405, 5);
  // Four times the page's pixels: the square ends at the page's bottom and right edges, not
  // a fraction of a point short of them or beyond.
  const QImage p2 = RenderPage(doc, 1, QSize(1600, 800));
  EXPECT_TRUE(White(p2, 790, 400) && White(p2, 790, 797));
  EXPECT_TRUE(Dark(p2, 810, 400) && Dark(p2, 1597, 400) && Dark(p2, 1200, 2) && Dark(p2, 1200, 797));
}

TEST(PdfDocument, FailuresAreReported) {
  TPdfDocument missingDir(QStringLiteral("/nonexistent-planora-dir/out.pdf"));
  EXPECT_FALSE(missingDir.IsOpen());
  EXPECT_FALSE(missingDir.ErrorString().isEmpty());
  EXPECT_EQ(missingDir.BeginPage(100, 100, 96), nullptr);
  EXPECT_FALSE(missingDir.Close());

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  TPdfDocument empty(dir.filePath(QStringLiteral("empty.pdf")));
  ASSERT_TRUE(empty.IsOpen());
  EXPECT_EQ(empty.BeginPage(0, 100, 96), nullptr);
  EXPECT_FALSE(empty.Close());  // no page was ever begun
  EXPECT_FALSE(empty.ErrorString().isEmpty());
}
