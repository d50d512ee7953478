// QR codes and DataMatrix symbols as exported and printed: every module where the item's box and
// angle put it, and an independent decoder reading back exactly the text, on PNG and on PDF
// pages, for the item's own code and for each record of a data-bound code.
#include <QBuffer>
#include <QProcess>
// text() as UTF-8.
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <set>

#include "ORV.Barcode2D.h"
#include "ORV.Data.h"
#include "ORV.FMX.Export.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

constexpr int kDpi = 300;

// Every symbol ZXing finds on the page, as UTF-8 text.
std::multiset<std::string> Decode(const QImage& page, ZXing::BarcodeFormat format) {
  const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
  const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                              int(gray.bytesPerLine()));
  ZXing::DecodeHints hints;
  hints.setFormats(format);
  hints.setTryHarder(true);
  std::multiset<std::string> out;
  for (const ZXing::Result& r : ZXing::ReadBarcodes(view, hints))
    if (r.isValid()) out.insert(r.text());
  return out;
}

// The page as a PNG export at 300 dpi (bitmaps export at 96 dpi, scaled up).
QImage PngPage(TPlanoraFMX& doc, const QString& name, bool data = false) {
  const QString path = TmpPath(name + ".png");
  QFile::remove(path);
  doc.ExportDoc(TORVExport::PNG, path, 1, float(kDpi) / 96.0f, -1, data, false, false);
  QString error;
  EXPECT_TRUE(doc.WaitForExport(&error)) << error.toStdString();
  return QImage(path);
}

// The page as a PDF export, rasterised by poppler at 300 dpi.
QImage PdfPage(TPlanoraFMX& doc, const QString& name, bool data = false) {
  const QString pdf = TmpPath(name + ".pdf"), stem = TmpPath(name + "-pdf");
  QFile::remove(pdf);
  QFile::remove(stem + ".png");
  doc.ExportDoc(TORVExport::PDF, pdf, 1, 1, -1, data, false, false);
  QString error;
  EXPECT_TRUE(doc.WaitForExport(&error)) << error.toStdString();
  QProcess p;
  p.start(QStringLiteral("pdftoppm"), {"-r", QString::number(kDpi), "-png", "-singlefile", pdf, stem});
  EXPECT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return QImage(stem + ".png");
}

// Where module (c, r) of the symbol has its centre on the page, in millimetres: the symbol's own
// top-left corner is at the box's top-left for 0 degrees, its bottom-left for 90 (it reads
// upwards), its bottom-right for 180 and its top-right for 270.
QPointF ModuleCentre(const QRectF& box, int c, int r, double mw, double mh, double padX, double padY, TORVAngle a) {
  const double along = (c + 0.5) * mw, down = (r + 0.5) * mh;
  switch (a) {
    case TORVAngle::A0: return {box.left() + padX + along, box.top() + padY + down};
    case TORVAngle::A90: return {box.left() + padY + down, box.bottom() - padX - along};
    case TORVAngle::A180: return {box.right() - padX - along, box.bottom() - padY - down};
    case TORVAngle::A270: return {box.right() - padY - down, box.top() + padX + along};
  }
  return {};
}

// Every module of the item's matrix has its colour where the item's box puts it.
::testing::AssertionResult ModulesInPlace(const QImage& img, const Barcode::TPLNBase2DCode& item) {
  const Barcode::TORVModuleMatrix& m = item.Matrix();
  if (m.IsEmpty()) return ::testing::AssertionFailure() << "no matrix";
  const TORVBounds b = item.GetBounds();
  const QRectF box(QPointF(b.X1 / 1000.0, b.Y1 / 1000.0), QPointF(b.X2 / 1000.0, b.Y2 / 1000.0));
  const double mw = item.GetBarWidth() * item.GetRatio(), mh = item.GetBarHeight() * item.GetRatio();
  int wrong = 0;
  std::string first;
  for (int r = 0; r < m.Rows; ++r)
    for (int c = 0; c < m.Cols; ++c) {
      const QPointF p = ModuleCentre(box, c, r, mw, mh, item.GetPaddingX(), item.GetPaddingY(), item.GetAngle());
      const QPoint px = Px(p.x(), p.y(), kDpi);
      if (Dark(img, px.x(), px.y()) == m.At(c, r)) continue;
      if (!wrong++) first = "module (" + std::to_string(c) + ", " + std::to_string(r) + ")";
    }
  if (wrong) return ::testing::AssertionFailure() << wrong << " modules wrong, first " << first;
  // Nothing outside the symbol: the paddings are quiet.
  const double inX = item.GetAngle() == TORVAngle::A0 || item.GetAngle() == TORVAngle::A180 ? item.GetPaddingX()
                                                                                           : item.GetPaddingY();
  const double inY = item.GetAngle() == TORVAngle::A0 || item.GetAngle() == TORVAngle::A180 ? item.GetPaddingY()
                                                                                           : item.GetPaddingX();
  const QRect symbol(Px(box.left() + inX, box.top() + inY, kDpi), Px(box.right() - inX, box.bottom() - inY, kDpi));
  const auto [top, bottom] = InkRows(img);
  const auto [left, right] = InkColumns(img);
  if (std::abs(top - symbol.top()) > 1 || std::abs(bottom - symbol.bottom()) > 1 || std::abs(left - symbol.left()) > 1 ||
      std::abs(right - symbol.right()) > 1)
    return ::testing::AssertionFailure() << "ink spans x " << left << ".." << right << ", y " << top << ".." << bottom
                                         << "; symbol x " << symbol.left() << ".." << symbol.right() << ", y "
                                         << symbol.top() << ".." << symbol.bottom();
  return ::testing::AssertionSuccess();
}

// The item's box with a 5 mm margin: ZXing 1.4 looks for a DataMatrix near the middle of the
// image, so a symbol away from the page's centre is cut out first.
// `dx`, `dy`: where the item's label cell starts on the page (millimetres).
QImage AroundItem(const QImage& page, const TPLNBaseItem& item, double dx = 0, double dy = 0) {
  const TORVBounds b = item.GetBounds();
  return page.copy(QRect(Px(dx + b.X1 / 1000.0 - 5, dy + b.Y1 / 1000.0 - 5, kDpi),
                         Px(dx + b.X2 / 1000.0 + 5, dy + b.Y2 / 1000.0 + 5, kDpi)));
}

struct TCase {
  bool qr;
  QString text;
  TORVHorzAlign h;
  TORVVertAlign v;
  bool tall = false;  // modules taller than wide: placed, not decoded (ZXing wants square modules)
};

}  // namespace

TEST(Codes2DRender, EveryAngleDecodesOnPngAndPdfWithEachModuleInPlace) {
  const QString url = QStringLiteral("https://example.org/labels/2026/batch?id=") + QString(59, QLatin1Char('7'));
  ASSERT_EQ(url.size(), 100);
  // Latin-1 only: without an ECI a decoder would have to guess this one's character set.
  const QString accents = QStringLiteral("Crème brûlée, Ærøskøbing, São Tomé, Zürich");
  const TCase cases[] = {
      {true, accents, TORVHorzAlign::Left, TORVVertAlign::Top},
      {true, url, TORVHorzAlign::Center, TORVVertAlign::Center},
      {false, QStringLiteral("Café Señor Ü 12,50"), TORVHorzAlign::Right, TORVVertAlign::Bottom},
      {false, url, TORVHorzAlign::Center, TORVVertAlign::Top},
      {false, QStringLiteral("tall modules"), TORVHorzAlign::Left, TORVVertAlign::Bottom, true},
  };
  for (const TCase& k : cases)
    for (int angle = 0; angle < 4; ++angle) {
      const std::string what =
          std::string(k.qr ? "QR " : "DataMatrix ") + k.text.left(12).toStdString() + " at " + std::to_string(90 * angle);
      SCOPED_TRACE(what);
      TPlanoraFMX doc;
      doc.SetMeasure(Paper(120000, 120000));
      auto* item = static_cast<Barcode::TPLNBase2DCode*>(
          k.qr ? TPLNFactory::AddQRCode(&doc, 60, 60, k.text) : TPLNFactory::AddDataMatrix(&doc, 60, 60, k.text.toLatin1()));
      ASSERT_TRUE(item);
      item->SetColor(0xFF000000u);
      // Unequal paddings (and modules): a swapped axis shows.
      item->SetBasePadX(3000);
      item->SetBasePadY(1500);
      if (k.tall) item->SetBaseBarHeight(700);
      item->SetHorzAlign(k.h);
      item->SetVertAlign(k.v);
      item->SetAngle(static_cast<TORVAngle>(angle));
      ASSERT_FALSE(item->Matrix().IsEmpty()) << item->EncodeError().toStdString();
      const ZXing::BarcodeFormat format = k.qr ? ZXing::BarcodeFormat::QRCode : ZXing::BarcodeFormat::DataMatrix;
      const std::multiset<std::string> expected{k.text.toStdString()};

      const QString name = QStringLiteral("angle-%1-%2").arg(&k - cases).arg(90 * angle);
      const QImage png = PngPage(doc, name);
      EXPECT_TRUE(ModulesInPlace(png, *item)) << "PNG";
      const QImage pdf = PdfPage(doc, name);
      EXPECT_TRUE(ModulesInPlace(pdf, *item)) << "PDF";
      // Exports draw as the screen does; the printer has its own path.
      const QImage paper = RenderItem(item, true, TORVDrawState::Printing, png.size(), kDpi);
      EXPECT_TRUE(ModulesInPlace(paper, *item)) << "paper";
      if (k.tall) continue;
      EXPECT_EQ(Decode(AroundItem(png, *item), format), expected) << "PNG";
      EXPECT_EQ(Decode(AroundItem(pdf, *item), format), expected) << "PDF";
      EXPECT_EQ(Decode(AroundItem(paper, *item), format), expected) << "paper";
    }
}

TEST(Codes2DRender, BackgroundFillsTheBoxAndAnUnencodableCodeDrawsNothing) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(60000, 60000));
  auto* qr = static_cast<TPLNQRCode*>(TPLNFactory::AddQRCode(&doc, 10, 10, QStringLiteral("background")));
  qr->SetColor(0xFF000000u);
  qr->SetBackColor(0xFFFFFF80u);  // light enough to decode on
  qr->SetFilled(true);
  qr->SetAngle(TORVAngle::A90);
  const TORVBounds b = qr->GetBounds();
  for (const bool print : {false, true}) {
    const QImage img = RenderItem(qr, print, TORVDrawState::Export, {600, 600}, kDpi);
    // The paddings' corners are yellow; just outside the box is white.
    EXPECT_TRUE(ColorAt(img, Px(b.X1 / 1000.0 + 0.2, b.Y1 / 1000.0 + 0.2, kDpi), QColor(0xFF, 0xFF, 0x80))) << print;
    EXPECT_TRUE(ColorAt(img, Px(b.X2 / 1000.0 - 0.2, b.Y2 / 1000.0 - 0.2, kDpi), QColor(0xFF, 0xFF, 0x80))) << print;
    EXPECT_TRUE(ColorAt(img, Px(b.X2 / 1000.0 + 0.3, b.Y2 / 1000.0 + 0.3, kDpi), Qt::white)) << print;
    EXPECT_EQ(Decode(img, ZXing::BarcodeFormat::QRCode), std::multiset<std::string>{"background"}) << print;
  }
  // Too long: nothing at all on screen or paper, not even the background.
  qr->SetCode(QString(3000, QLatin1Char('x')));
  ASSERT_TRUE(qr->Matrix().IsEmpty());
  EXPECT_EQ(Ink(RenderItem(qr, false, TORVDrawState::Export, {600, 600}, kDpi)), 0);
  EXPECT_EQ(Ink(RenderItem(qr, true, TORVDrawState::Export, {600, 600}, kDpi)), 0);
}

TEST(Codes2DRender, DataBoundCodesDecodeToEachLabelsRecord) {
  TPlanoraFMX doc;
  TPLNMeasure m = Paper(100000, 100000);
  m.SetSize(TPLNMeasure::LabelWidth, 50000);
  m.SetSize(TPLNMeasure::LabelHeight, 50000);
  m.Columns = 2;
  m.Rows = 2;
  doc.SetMeasure(m);
  const QByteArray csv =
      "name,ref\n"
      "Åsa Öberg,REF-0001\n"
      "Zoë Brontë,REF-0002\n"
      "Jürgen Groß,REF-0003\n"
      "Inês Conceição,REF-0004\n";
  doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv(csv, QStringLiteral("people.csv"))));
  auto* qr = static_cast<TPLNQRCode*>(TPLNFactory::AddQRCode(&doc, 5, 5, QStringLiteral("own text")));
  qr->SetFillType(1);
  qr->SetFillName(QStringLiteral("name"));
  auto* dm = static_cast<TPLNDataMatrix*>(TPLNFactory::AddDataMatrix(&doc, 28, 28, "own data"));
  dm->SetFillType(1);
  dm->SetFillName(QStringLiteral("ref"));
  for (auto* item : {static_cast<TPLNBaseItem*>(qr), static_cast<TPLNBaseItem*>(dm)}) item->SetColor(0xFF000000u);

  // The cells take the records row by row; each code is decoded on its own (ZXing finds one
  // DataMatrix per image).
  const std::string names[] = {"Åsa Öberg", "Zoë Brontë", "Jürgen Groß", "Inês Conceição"};
  for (const bool pdf : {false, true}) {
    const QImage page = pdf ? PdfPage(doc, "data", true) : PngPage(doc, "data", true);
    for (int cell = 0; cell < 4; ++cell) {
      const double x = 50 * (cell % 2), y = 50 * (cell / 2);
      EXPECT_EQ(Decode(AroundItem(page, *qr, x, y), ZXing::BarcodeFormat::QRCode),
                std::multiset<std::string>{names[cell]})
          << (pdf ? "PDF" : "PNG") << " cell " << cell;
      EXPECT_EQ(Decode(AroundItem(page, *dm, x, y), ZXing::BarcodeFormat::DataMatrix),
                std::multiset<std::string>{"REF-000" + std::to_string(cell + 1)})
          << (pdf ? "PDF" : "PNG") << " cell " << cell;
    }
  }
  // The editor's surface shows the item's own code, with the data mark on its anchor.
  const QImage editor = RenderItem(qr, false, TORVDrawState::Editor, {600, 600}, kDpi);
  EXPECT_EQ(Decode(AroundItem(editor, *qr), ZXing::BarcodeFormat::QRCode), std::multiset<std::string>{"own text"});
  EXPECT_TRUE(ColorAt(editor, Px(5, 5, kDpi), QColor(0x90, 0xEE, 0x90)));
  // Drawing the records never changed the items.
  EXPECT_EQ(qr->GetCode(), QStringLiteral("own text"));
  Barcode::TORVModuleMatrix own;
  ASSERT_TRUE(Barcode::TPLNBaseQRCode::EncodeQR(QStringLiteral("own text"), 1, own, nullptr));
  EXPECT_EQ(qr->Matrix().Dark, own.Dark);
}
