// The add_qrcode and add_datamatrix tools, the factory rows under them, and the items in both
// file formats.
#include <QBuffer>
#include <gtest/gtest.h>

#include "../mcp/ToolsFixture.h"
#include "ORV.Barcode2D.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

TEST(Codes2DTools, AddToolsApplyTheirArgumentsAndReportTheCode) {
  TTools t;
  t.doc.SetUnits(TORVUnits::cm);
  EXPECT_EQ(t.Ok("add_qrcode", {{"x", 1.5}, {"y", 2}, {"code", QStringLiteral("https://example.org/é")},
                                {"color", "#102030"}, {"back_color", "#FFEEDD"}, {"bar_width", 0.04},
                                {"bar_height", 0.05}, {"ratio", 1.5}, {"padding_x", 0.2}, {"padding_y", 0}}),
            QStringLiteral("QR Code added: id=1 code=\"https://example.org/é\" at (1.5, 2.0)"));
  const auto* qr = dynamic_cast<const TPLNQRCode*>(t.Last());
  ASSERT_TRUE(qr);
  EXPECT_EQ(qr->GetPoint(1), (TORVPto{15000, 20000}));
  EXPECT_EQ(qr->GetColor(), 0xFF102030u);
  EXPECT_EQ(qr->GetBackColor(), 0xFFFFEEDDu);
  EXPECT_TRUE(qr->GetFilled());
  EXPECT_EQ(qr->GetBaseBarWidth(), 400);
  EXPECT_EQ(qr->GetBaseBarHeight(), 500);
  EXPECT_EQ(qr->GetRatio(), 1.5);
  EXPECT_EQ(qr->GetBasePadX(), 2000);
  EXPECT_EQ(qr->GetBasePadY(), 0);
  // The box is the symbol at the final module size: 0.6 x 0.75 mm modules, 2 mm across.
  const TORVBounds b = qr->GetBounds();
  EXPECT_EQ(b.X2 - b.X1, std::int64_t(qr->Matrix().Cols) * 600 + 4000);
  EXPECT_EQ(b.Y2 - b.Y1, std::int64_t(qr->Matrix().Rows) * 750);

  // Absent arguments keep the layer's pen and the defaults: 0.5 mm modules, 1 mm quiet zone.
  t.doc.SetUnits(TORVUnits::mm);
  EXPECT_EQ(t.Ok("add_datamatrix", {{"x", 10}, {"y", 20}, {"code", QStringLiteral("Ärzte 42")}}),
            QStringLiteral("DataMatrix added: id=2 code=\"Ärzte 42\" at (10.0, 20.0)"));
  const auto* dm = dynamic_cast<const TPLNDataMatrix*>(t.Last());
  ASSERT_TRUE(dm);
  EXPECT_EQ(dm->GetAnsiCode(), QByteArray("\xC4rzte 42"));
  EXPECT_EQ(dm->GetColor(), t.doc.GetActiveLayer()->GetPenColor());
  EXPECT_FALSE(dm->GetFilled());
  EXPECT_EQ(dm->GetBaseBarWidth(), 500);
  EXPECT_EQ(dm->GetBasePadX(), 1000);
  EXPECT_EQ(dm->GetRatio(), 1.0);

  // Both report their kind.
  const QJsonArray items = t.Call("list_items")["structuredContent"].toObject()["items"].toArray();
  ASSERT_EQ(items.size(), 2);
  EXPECT_EQ(items[0].toObject()["type"].toString(), "qrcode");
  EXPECT_EQ(items[1].toObject()["type"].toString(), "datamatrix");
  EXPECT_EQ(t.Call("get_item", {{"id", "2"}})["structuredContent"].toObject()["type"].toString(), "datamatrix");
}

TEST(Codes2DTools, DataThatCannotBeEncodedIsAnErrorAndLeavesNoItem) {
  TTools t;
  t.Ok("add_qrcode", {{"x", 0}, {"y", 0}, {"code", "kept"}});
  EXPECT_EQ(t.Refused("add_qrcode", {{"x", 0}, {"y", 0}, {"code", QString(2400, QLatin1Char('z'))}}),
            QStringLiteral("QR code: data too long (2400 bytes; at most 2331 at level M)"));
  EXPECT_EQ(t.Refused("add_qrcode", {{"x", 0}, {"y", 0}, {"code", ""}}), QStringLiteral("QR code: no data"));
  EXPECT_TRUE(t.Refused("add_datamatrix", {{"x", 0}, {"y", 0}, {"code", QString(1600, QLatin1Char('\xe9'))}})
                  .startsWith(QStringLiteral("DataMatrix: data too long (1600 bytes;")));
  EXPECT_EQ(t.Refused("add_datamatrix", {{"x", 0}, {"y", 0}, {"code", QStringLiteral("東京")}}),
            QStringLiteral("DataMatrix encodes 8-bit (Latin-1) data only; \"東\" (U+6771) is not one of them"));
  // A bad size is refused before anything is made.
  t.Refused("add_qrcode", {{"x", 0}, {"y", 0}, {"code", "x"}, {"bar_width", "wide"}});
  EXPECT_EQ(t.doc.GetItemsCount(), 1);

  // A new code that cannot be encoded is refused by modify_item as well; one that can is encoded.
  t.Ok("add_datamatrix", {{"x", 0}, {"y", 0}, {"code", "abc"}});
  EXPECT_EQ(t.Refused("modify_item", {{"id", "1"}, {"text", QString(2400, QLatin1Char('z'))}}),
            QStringLiteral("QR code: data too long (2400 bytes; at most 2331 at level M)"));
  EXPECT_TRUE(t.Refused("modify_item", {{"id", "2"}, {"text", QStringLiteral("Ωmega")}}).contains("Latin-1"));
  const auto* qr = dynamic_cast<const TPLNQRCode*>(t.doc.GetItem(1));
  ASSERT_TRUE(qr);
  const int cols = qr->Matrix().Cols;
  t.Ok("modify_item", {{"id", "1"}, {"text", QString(200, QLatin1Char('z'))}});
  EXPECT_GT(qr->Matrix().Cols, cols);
}

TEST(Codes2DTools, OptionsAndCodesSurviveBothFileFormats) {
  TPlanoraFMX doc;
  auto* qr = static_cast<TPLNQRCode*>(TPLNFactory::AddBaseQRCode(&doc, 1000, 2000, QStringLiteral("Grüße – 日本")));
  qr->SetLevel(Barcode::TORVQRLevel::H);
  qr->SetRatio(2.5);
  qr->SetAngle(TORVAngle::A270);
  auto* dm = static_cast<TPLNDataMatrix*>(TPLNFactory::AddBaseDataMatrix(&doc, 5000, 6000, "\xE9t\xE9 2026"));
  dm->SetSquare(false);
  dm->SetBaseBarHeight(700);
  ASSERT_LT(dm->Matrix().Rows, dm->Matrix().Cols);

  auto check = [&](TPlanoraFMX& back, const char* format) {
    SCOPED_TRACE(format);
    ASSERT_EQ(back.GetItemsCount(), 2);
    const auto* q = dynamic_cast<const TPLNQRCode*>(back.GetItem(1));
    const auto* d = dynamic_cast<const TPLNDataMatrix*>(back.GetItem(2));
    ASSERT_TRUE(q && d);
    EXPECT_EQ(q->GetCode(), qr->GetCode());
    EXPECT_EQ(q->GetLevel(), Barcode::TORVQRLevel::H);
    EXPECT_EQ(q->GetRatio(), 2.5);
    EXPECT_EQ(q->GetAngle(), TORVAngle::A270);
    EXPECT_EQ(q->Matrix().Dark, qr->Matrix().Dark);
    EXPECT_EQ(q->GetBounds().X2, qr->GetBounds().X2);
    EXPECT_EQ(d->GetAnsiCode(), QByteArray("\xE9t\xE9 2026"));
    EXPECT_FALSE(d->GetSquare());
    EXPECT_EQ(d->Matrix().Dark, dm->Matrix().Dark);
    EXPECT_EQ(d->Matrix().Rows, dm->Matrix().Rows);
    EXPECT_EQ(d->GetBounds().Y2, dm->GetBounds().Y2);
  };
  QBuffer buf;
  buf.open(QIODevice::ReadWrite);
  doc.SaveToStream(&buf);
  buf.seek(0);
  TPlanoraFMX binary;
  binary.LoadFromStream(&buf);
  check(binary, "binary");
  TPlanoraFMX json;
  json.LoadFromJson(doc.ToJsonText());
  check(json, "json");

  // A level out of range in a file is refused with the item's kind and key.
  QByteArray text = doc.ToJsonText();
  ASSERT_TRUE(text.contains("\"Level\":3"));
  text.replace("\"Level\":3", "\"Level\":4");
  TPlanoraFMX bad;
  try {
    bad.LoadFromJson(text);
    ADD_FAILURE() << "a level of 4 was read";
  } catch (const EPLNError& e) {
    EXPECT_TRUE(e.Message().contains(QStringLiteral("QRCode: \"Level\""))) << e.Message().toStdString();
  }
  EXPECT_EQ(bad.GetItemsCount(), 0);
}
