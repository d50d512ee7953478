// What a scanner reads: every linear type ZXing knows, exported at each quarter turn to PNG and
// to PDF (rasterised by pdftoppm), and a sheet of data-bound labels, decoded with ZXing.
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

#include <ZXing/ReadBarcode.h>

#include "ORV.Data.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

constexpr double kDpi = 300;

struct TSymbol {
  TORVBarType Type;
  const char* Code;
  const char* Read;  // the text ZXing reports
  ZXing::BarcodeFormat Format;
};

const TSymbol kSymbols[] = {
    {TORVBarType::Ean13, "590123412345", "5901234123457", ZXing::BarcodeFormat::EAN13},
    {TORVBarType::Ean8, "9638507", "96385074", ZXing::BarcodeFormat::EAN8},
    {TORVBarType::UpcA, "03600029145", "036000291452", ZXing::BarcodeFormat::UPCA},
    {TORVBarType::UpcE0, "0123456", "01234565", ZXing::BarcodeFormat::UPCE},
    {TORVBarType::Code39, "CODE-39 $/+%", "CODE-39 $/+%", ZXing::BarcodeFormat::Code39},
    {TORVBarType::Code93, "CODE 93.", "CODE 93.", ZXing::BarcodeFormat::Code93},
    {TORVBarType::Codabar, "A40156$:/.+B", "A40156$:/.+B", ZXing::BarcodeFormat::Codabar},
    {TORVBarType::Code128, "Code 128 #0042", "Code 128 #0042", ZXing::BarcodeFormat::Code128},
    // GS1: the element string, a group separator after the variable-length lot number, and the
    // symbology identifier that marks FNC1 in first position.
    {TORVBarType::Ean128Auto, "(01)09501101530008(10)AB-12(21)77", "]C1 0109501101530008" "10AB-12\x1d" "2177",
     ZXing::BarcodeFormat::Code128},
    {TORVBarType::Itf, "12345678", "12345678", ZXing::BarcodeFormat::ITF},
};

// The symbol inside `area` (pixels), or what went wrong.
std::string Decode(const QImage& page, const QRect& area, ZXing::BarcodeFormat format) {
  const QImage crop = page.copy(area).convertToFormat(QImage::Format_Grayscale8);
  const ZXing::ImageView view(crop.constBits(), crop.width(), crop.height(), ZXing::ImageFormat::Lum,
                              int(crop.bytesPerLine()));
  ZXing::DecodeHints hints;
  hints.setFormats(format);
  hints.setTryHarder(true);
  hints.setTryRotate(true);
  hints.setReturnCodabarStartEnd(true);
  const ZXing::Result r = ZXing::ReadBarcode(view, hints);
  if (!r.isValid()) return "<nothing read>";
  return r.symbologyIdentifier() == "]C1" ? "]C1 " + r.text() : r.text();
}

// An item's box on a page rendered at kDpi, with 3 mm of white around it.
QRect AreaOf(const TPLNBaseItem& item) {
  const TORVBounds b = item.GetBounds();
  const double k = kDpi / 25400.0, margin = 3000;
  return QRect(QPoint(int((b.X1 - margin) * k), int((b.Y1 - margin) * k)),
               QPoint(int((b.X2 + margin) * k), int((b.Y2 + margin) * k)));
}

QImage ExportPng(TPlanoraFMX& doc, const QString& name, int page = 1) {
  const QString png = TmpPath(name);
  QFile::remove(png);
  EXPECT_EQ(Export(doc, TORVExport::PNG, png, page, float(kDpi / 96)), "");
  return QImage(png);
}

QImage ExportPdfRaster(TPlanoraFMX& doc, const QString& name) {
  const QString pdf = TmpPath(name + ".pdf"), prefix = TmpPath(name);
  QFile::remove(pdf);
  QFile::remove(prefix + "-1.png");
  EXPECT_EQ(Export(doc, TORVExport::PDF, pdf), "");
  QProcess p;
  p.start("pdftoppm", {"-r", QString::number(kDpi), "-png", "-f", "1", "-l", "1", pdf, prefix});
  EXPECT_TRUE(p.waitForFinished(120000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return QImage(prefix + "-1.png");
}

}  // namespace

TEST(Codes1DDecode, EveryTypeAtEveryAngleOnPngAndPdf) {
  const int n = int(std::size(kSymbols));
  for (int angle = 0; angle < 4; ++angle) {
    // Two columns of 95 mm cells, each symbol centred in its own.
    TPlanoraFMX doc;
    doc.SetMeasure(Paper(200000, 20000 + 95000 * ((n + 1) / 2)));
    std::vector<TPLNBaseItem*> items;
    for (int i = 0; i < n; ++i) {
      const TSymbol& s = kSymbols[i];
      auto* bar = static_cast<TPLNBarcode*>(TPLNFactory::AddBaseBarcode(
          &doc, 10000 + 95000 * (i % 2) + 47500, 10000 + 95000 * (i / 2) + 47500, s.Code, s.Type));
      // Quiet zones of four millimetres (eleven modules and more) on both sides.
      bar->SetBasePadX(4000);
      bar->SetBasePadY(2000);
      bar->SetHorzAlign(TORVHorzAlign::Center);
      bar->SetVertAlign(TORVVertAlign::Center);
      bar->SetAngle(static_cast<TORVAngle>(angle));
      ASSERT_TRUE(bar->IsValid()) << s.Code;
      items.push_back(bar);
    }
    const QImage png = ExportPng(doc, QStringLiteral("codes-%1.png").arg(angle));
    const QImage pdf = ExportPdfRaster(doc, QStringLiteral("codes-%1").arg(angle));
    ASSERT_FALSE(png.isNull());
    ASSERT_FALSE(pdf.isNull());
    for (int i = 0; i < n; ++i) {
      SCOPED_TRACE(testing::Message() << kSymbols[i].Code << " at angle " << angle);
      EXPECT_EQ(Decode(png, AreaOf(*items[i]), kSymbols[i].Format), kSymbols[i].Read) << "PNG";
      EXPECT_EQ(Decode(pdf, AreaOf(*items[i]), kSymbols[i].Format), kSymbols[i].Read) << "PDF";
    }
  }
}

// A 2 x 2 sheet with one data-bound EAN-13 per label: every label of every page reads its own
// record; the cells past the end of the data show no code.
TEST(Codes1DDecode, DataBoundLabelsReadTheirRecords) {
  TPlanoraFMX doc;
  TPLNMeasure m = Paper(150000, 110000);
  m.SetSize(TPLNMeasure::LabelWidth, 70000);
  m.SetSize(TPLNMeasure::LabelHeight, 50000);
  m.SetSize(TPLNMeasure::LeftMargin, 5000);
  m.SetSize(TPLNMeasure::TopMargin, 5000);
  m.SetSize(TPLNMeasure::HorzGap, 0);
  m.SetSize(TPLNMeasure::VertGap, 0);
  m.Columns = 2;
  m.Rows = 2;
  doc.SetMeasure(m);
  const QByteArray csv = "sku,gtin\nA,4006381333931\nB,5901234123457\nC,9780201379624\nD,0012345678905\nE,4012345000009\n";
  doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv(csv, "items.csv")));
  auto* bar = static_cast<TPLNBarcode*>(TPLNFactory::AddBaseBarcode(&doc, 35000, 25000, "0000000000000", TORVBarType::Ean13));
  bar->SetHorzAlign(TORVHorzAlign::Center);
  bar->SetVertAlign(TORVVertAlign::Center);
  bar->SetBasePadX(4000);
  bar->SetFillType(1);
  bar->SetFillName("gtin");
  doc.CheckPrintData();

  const char* records[] = {"4006381333931", "5901234123457", "9780201379624", "0012345678905", "4012345000009"};
  const double k = kDpi / 25.4;
  for (int page = 1; page <= 2; ++page) {
    doc.PrintInfo.CurrentPage = page;
    const QImage img = ExportPng(doc, QStringLiteral("sheet-%1.png").arg(page), page);
    ASSERT_FALSE(img.isNull());
    for (int row = 1; row <= 2; ++row)
      for (int col = 1; col <= 2; ++col) {
        const int record = (page - 1) * 4 + (row - 1) * 2 + (col - 1);
        const QRect cell(int((5 + 70 * (col - 1)) * k), int((5 + 50 * (row - 1)) * k), int(70 * k), int(50 * k));
        SCOPED_TRACE(testing::Message() << "page " << page << " cell " << col << "," << row);
        EXPECT_EQ(Decode(img, cell, ZXing::BarcodeFormat::EAN13), record < 5 ? records[record] : "<nothing read>");
      }
  }
}
