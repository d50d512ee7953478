// The PDF417 item drawn, exported, read back and added by an agent: what comes out must decode
// (ZXing) to exactly the data, at every angle, from bitmap and PDF exports alike.
#include <gtest/gtest.h>

#include <ZXing/ReadBarcode.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QProcess>

#include "ORV.FMX.Export.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.h"
#include "PlanoraTestSupport.h"
#include "../mcp/ToolsFixture.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

// Every PDF417 symbol ZXing finds in `img`, as raw bytes.
std::vector<QByteArray> Decode(const QImage& img) {
  const QImage gray = img.convertToFormat(QImage::Format_Grayscale8);
  ZXing::DecodeHints hints;
  hints.setFormats(ZXing::BarcodeFormat::PDF417);
  hints.setTryHarder(true);
  hints.setTryRotate(true);
  const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                              int(gray.bytesPerLine()));
  std::vector<QByteArray> out;
  for (const ZXing::Result& r : ZXing::ReadBarcodes(view, hints))
    if (r.isValid()) out.emplace_back(reinterpret_cast<const char*>(r.bytes().data()), int(r.bytes().size()));
  return out;
}

// The document's page exported as a 300 dpi PNG (96 dpi scaled by 300 / 96).
QImage ExportPng(TPlanoraFMX& doc, const QString& name) {
  const QString path = TmpPath(name + QStringLiteral(".png"));
  EXPECT_EQ(Export(doc, TORVExport::PNG, path, 1, 300.0f / 96.0f), QString());
  return QImage(path);
}

// The document's page exported as PDF and rasterised by poppler at 300 dpi.
QImage ExportPdf(TPlanoraFMX& doc, const QString& name) {
  const QString pdf = TmpPath(name + QStringLiteral(".pdf")), prefix = TmpPath(name);
  QFile::remove(prefix + QStringLiteral("-1.png"));
  EXPECT_EQ(Export(doc, TORVExport::PDF, pdf), QString());
  QProcess p;
  p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                       QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                       QStringLiteral("1"), pdf, prefix});
  EXPECT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return QImage(prefix + QStringLiteral("-1.png"));
}

// A document whose data fields all read "REC-<field>".
class DataDoc : public TPlanoraFMX {
 public:
  QString DataValueAt(int, const QString& field, const QString&, int, const QString&) const override {
    return QStringLiteral("REC-") + field;
  }
};

}  // namespace

TEST(PDF417Item, ExportsDecodeToTheDataAtEveryAngleFromPngAndPdf) {
  QDir().mkpath(TmpDir());
  // Bytes beyond ASCII, punctuation and digits: byte, text and numeric compaction all in play.
  const QByteArray data = QStringLiteral("Ticket \u00A7 Z\u00FCrich HB -> Gen\u00E8ve 2026-12-06 07:35, seat 12C, "
                                         "0123456789012345")
                              .toLatin1();
  for (const bool truncated : {false, true})
    for (const TORVAngle angle : {TORVAngle::A0, TORVAngle::A90, TORVAngle::A180, TORVAngle::A270}) {
      SCOPED_TRACE(testing::Message() << "angle " << int(angle) << " truncated " << truncated);
      TPlanoraFMX doc;
      doc.SetMeasure(Paper(120000, 120000));
      auto* item = static_cast<TPLNPDF417*>(TPLNFactory::AddBasePDF417(&doc, 60000, 60000, data));
      item->SetAngle(angle);
      item->SetTruncated(truncated);
      item->SetHorzAlign(TORVHorzAlign::Center);
      item->SetVertAlign(TORVVertAlign::Center);
      ASSERT_FALSE(item->Matrix().IsEmpty()) << item->EncodeError().toStdString();
      const QString name = QStringLiteral("pdf417_%1_%2").arg(int(angle)).arg(truncated);
      EXPECT_EQ(Decode(ExportPng(doc, name)), std::vector<QByteArray>{data});
      EXPECT_EQ(Decode(ExportPdf(doc, name)), std::vector<QByteArray>{data});
    }
}

TEST(PDF417Item, ScreenAndPaperDrawTheModulesAndADataFieldShowsItsRecord) {
  DataDoc doc;
  auto* item = static_cast<TPLNPDF417*>(TPLNFactory::AddBasePDF417(&doc, 3000, 3000, "own code"));
  item->SetFilled(true);
  item->SetBackColor(0xFFFFFF00);
  // The symbol's box, filled yellow, and its first start bar: 8 modules of 0.33 mm from the
  // 2 mm quiet zone, at 300 dpi.
  const QImage screen = RenderItem(item, false, TORVDrawState::Export, {700, 500}, 300);
  const QImage paper = RenderItem(item, true, TORVDrawState::Printing, {700, 500}, 300);
  for (const QImage& img : {screen, paper}) {
    EXPECT_EQ(Decode(img), std::vector<QByteArray>{"own code"});
    const int x0 = int((3 + 2) / 25.4 * 300);  // left edge of the symbol
    const int y0 = int((3 + 2) / 25.4 * 300) + 3;
    EXPECT_TRUE(ColorAt(img, QPoint(x0 - 10, y0), QColor(255, 255, 0)));        // quiet zone, filled
    EXPECT_TRUE(ColorAt(img, QPoint(x0 + 15, y0), QColor(0, 0, 0)));           // in the start bar
    EXPECT_TRUE(ColorAt(img, QPoint(x0 + int(8.5 * 0.33 / 25.4 * 300), y0), QColor(255, 255, 0)));  // after it
  }

  // Bound to a data field: exports, previews and paper show the record's value; the editor
  // shows the item's own code and the data mark.
  item->SetFillType(1);
  item->SetFillName(QStringLiteral("Ticket"));
  EXPECT_EQ(Decode(RenderItem(item, false, TORVDrawState::Export, {900, 500}, 300)),
            std::vector<QByteArray>{"REC-Ticket"});
  EXPECT_EQ(Decode(RenderItem(item, true, TORVDrawState::Printing, {900, 500}, 300)),
            std::vector<QByteArray>{"REC-Ticket"});
  EXPECT_EQ(Decode(RenderItem(item, false, TORVDrawState::Editor, {900, 500}, 300)),
            std::vector<QByteArray>{"own code"});
  // Drawing a record's value changed nothing in the item.
  EXPECT_EQ(item->GetCode(), QStringLiteral("own code"));
  EXPECT_EQ(item->Matrix().Cols, Barcode::Pdf417::SymbolWidth(item->Columns(), false));

  // A code that cannot be encoded draws nothing, not even its background.
  item->SetFillType(0);
  item->SetCode(QString(2000, QLatin1Char('x')));
  EXPECT_EQ(Ink(RenderItem(item, false, TORVDrawState::Export, {700, 500}, 300)), 0.0);
}

TEST(PDF417Item, FactoryAndDocumentRoundTripsKeepTheSymbol) {
  TPlanoraFMX doc;
  doc.SetUnits(TORVUnits::cm);
  doc.GetActiveLayer()->PenColor = 0xFF123456;
  auto* a = static_cast<TPLNPDF417*>(TPLNFactory::AddPDF417(&doc, 1.5f, 2.5f, "\xC9tiquette 42"));
  EXPECT_EQ(a->GetPoint(1), (TORVPto{15000, 25000}));
  EXPECT_EQ(a->GetColor(), 0xFF123456u);
  EXPECT_EQ(a->GetCode(), QStringLiteral("Étiquette 42"));
  EXPECT_FALSE(a->Codewords().empty());
  a->SetDataColumns(5);
  a->SetECLevel(4);
  a->SetTruncated(true);
  a->SetRatio(1.5);
  a->SetAngle(TORVAngle::A90);

  const auto same = [&](const TPlanoraFMX& other) {
    ASSERT_EQ(other.GetItemsCount(), 1);
    const auto* b = dynamic_cast<const TPLNPDF417*>(other.GetItem(1));
    ASSERT_NE(b, nullptr) << "read back as another kind";
    EXPECT_EQ(b->GetCode(), a->GetCode());
    EXPECT_EQ(b->GetDataColumns(), 5);
    EXPECT_EQ(b->GetECLevel(), 4);
    EXPECT_TRUE(b->GetTruncated());
    EXPECT_EQ(b->GetRatio(), 1.5);
    EXPECT_EQ(b->GetAngle(), TORVAngle::A90);
    EXPECT_EQ(b->Codewords(), a->Codewords());
    EXPECT_EQ(b->GetBounds().X2, a->GetBounds().X2);
    EXPECT_EQ(b->GetBounds().Y2, a->GetBounds().Y2);
  };
  TPlanoraFMX fromJson;
  fromJson.LoadFromJson(doc.ToJsonText());
  same(fromJson);
  QByteArray bytes;
  QBuffer out(&bytes);
  out.open(QIODevice::WriteOnly);
  doc.SaveToStream(&out);
  QBuffer in(&bytes);
  in.open(QIODevice::ReadOnly);
  TPlanoraFMX fromEti;
  fromEti.LoadFromStream(&in);
  same(fromEti);
}

TEST(PDF417Tool, AddsTheSymbolWithItsOptionsAndRefusesWhatCannotBeEncoded) {
  TTools t;
  const QString text = t.Ok("add_pdf417", {{"x", 10},
                                           {"y", 20.25},
                                           {"code", "ID 7781-A"},
                                           {"color", "#102030"},
                                           {"back_color", "#FFEEDD"},
                                           {"bar_width", 0.4},
                                           {"bar_height", 1.2},
                                           {"ratio", 2},
                                           {"padding_x", 3},
                                           {"padding_y", 0}});
  auto* item = dynamic_cast<TPLNPDF417*>(t.Last());
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(text, QStringLiteral("PDF417 added: id=%1 code=\"ID 7781-A\" at (10.0, 20.3)").arg(item->GetID()));
  EXPECT_EQ(item->GetPoint(1), (TORVPto{10000, 20250}));
  EXPECT_EQ(item->GetCode(), QStringLiteral("ID 7781-A"));
  EXPECT_EQ(item->GetColor(), 0xFF102030u);
  EXPECT_EQ(item->GetBackColor(), 0xFFFFEEDDu);
  EXPECT_TRUE(item->GetFilled());
  EXPECT_EQ(item->GetBaseBarWidth(), 400);
  EXPECT_EQ(item->GetBaseBarHeight(), 1200);
  EXPECT_EQ(item->GetRatio(), 2.0);
  EXPECT_EQ(item->GetBasePadX(), 3000);
  EXPECT_EQ(item->GetBasePadY(), 0);
  EXPECT_EQ(t.Call("get_item", {{"index", 0}})["structuredContent"].toObject()["type"].toString(), "pdf417");

  // Without options: the defaults, in the layer's pen colour.
  t.Ok("add_pdf417", {{"x", 0}, {"y", 0}, {"code", "plain"}});
  auto* plain = dynamic_cast<TPLNPDF417*>(t.Last());
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->GetBaseBarWidth(), 330);
  EXPECT_EQ(plain->GetBaseBarHeight(), 990);
  EXPECT_FALSE(plain->GetFilled());
  EXPECT_EQ(plain->GetColor(), t.doc.GetActiveLayer()->GetPenColor());

  EXPECT_EQ(t.Refused("add_pdf417", {{"x", 0}, {"y", 0}, {"code", QString(2000, QLatin1Char('x'))}}),
            QStringLiteral("PDF417: 2000 bytes of data do not fit in one symbol"));
  EXPECT_EQ(t.Refused("add_pdf417", {{"x", 0}, {"y", 0}, {"code", ""}}),
            QStringLiteral("PDF417: there is no data to encode"));
  EXPECT_EQ(t.Refused("add_pdf417", {{"x", 0}, {"y", 0}, {"code", "5 €"}}),
            QStringLiteral("PDF417 encodes 8-bit (Latin-1) data only; \"€\" (U+20AC) is not one of them"));
}
