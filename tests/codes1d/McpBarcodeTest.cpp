// The barcode tool as an agent uses it: its schema, texts and defaults, the optional arguments,
// refusals that leave the drawing alone, and barcode types in list_items, get_item and
// modify_item.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "../mcp/ToolsFixture.h"
#include "ORV.FMX.h"

using namespace Orv;
using Orv::Fmx::TPLNBarcode;

namespace {

struct TTools : PlanoraTest::TTools {
  TPLNBarcode* LastBar() const { return dynamic_cast<TPLNBarcode*>(Last()); }
};

}  // namespace

TEST(McpBarcode, SchemaListsTheSymbologiesAfterTheParagraph) {
  TTools t;
  const QJsonObject tool = t.Listed("add_barcode");
  EXPECT_EQ(tool["description"].toString(), "Add a 1D barcode (EAN13, CODE128, CODE39, etc) at (x,y) with given code value.");
  const QJsonObject schema = tool["inputSchema"].toObject();
  EXPECT_EQ(schema["required"].toArray(), (QJsonArray{"x", "y", "code"}));
  const QJsonObject props = schema["properties"].toObject();
  EXPECT_EQ(props["barcode_type"].toObject()["enum"].toArray(),
            (QJsonArray{"EAN13", "EAN8", "UPCA", "CODE39", "CODE128", "CODE128A", "CODE128B", "CODE128C", "CODABAR",
                        "CODE93", "ITF", "POSTNET", "MSI"}));
  EXPECT_EQ(props["show_number"].toObject()["type"].toString(), "integer");
  EXPECT_EQ(props["bar_width"].toObject()["description"].toString(), "Width of the narrowest bar in current units");
  EXPECT_EQ(props.size(), 14);
  // Listed right after add_paragraph.
  const QByteArray reply = t.server.HandleMessage(R"({"jsonrpc":"2.0","id":1,"method":"tools/list"})");
  const QJsonArray tools = QJsonDocument::fromJson(reply).object()["result"].toObject()["tools"].toArray();
  int at = -1;
  for (int i = 1; i < tools.size(); ++i)
    if (tools[i].toObject()["name"].toString() == "add_barcode") at = i;
  ASSERT_GT(at, 0);
  EXPECT_EQ(tools[at - 1].toObject()["name"].toString(), "add_paragraph");
}

TEST(McpBarcode, AddBarcodeDefaultsTextsAndOptionalArguments) {
  TTools t;
  EXPECT_EQ(t.Ok("add_barcode", {{"x", 10}, {"y", 20}}), "Barcode added: id=1 type=CODE128 code=\"123456789\" at (10.0, 20.0)");
  TPLNBarcode* bar = t.LastBar();
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->GetBarType(), TORVBarType::Code128);
  EXPECT_EQ(bar->GetPoint(1), (TORVPto{10000, 20000}));
  EXPECT_FALSE(bar->GetFilled());

  // The type as named; names ignore case; an unknown name is Code 128.
  EXPECT_EQ(t.Ok("add_barcode", {{"x", 0}, {"y", 0}, {"code", "5901234123457"}, {"barcode_type", "ean13"}}),
            "Barcode added: id=2 type=ean13 code=\"5901234123457\" at (0.0, 0.0)");
  EXPECT_EQ(t.LastBar()->GetBarType(), TORVBarType::Ean13);
  t.Ok("add_barcode", {{"code", "AB12"}, {"barcode_type", "QR"}});
  EXPECT_EQ(t.LastBar()->GetBarType(), TORVBarType::Code128);

  t.Ok("add_barcode", {{"x", 1},
                       {"y", 2},
                       {"code", "1234567"},
                       {"barcode_type", "ITF"},
                       {"color", "#102030"},
                       {"back_color", "#fafafa"},
                       {"bar_width", 0.5},
                       {"bar_height", 12},
                       {"padding_x", 3},
                       {"padding_y", 0},
                       {"show_number", 0},
                       {"checksum", 1},
                       {"font_name", "Courier New"},
                       {"font_height", 4}});
  bar = t.LastBar();
  EXPECT_EQ(bar->GetBarType(), TORVBarType::Itf);
  EXPECT_EQ(bar->GetColor(), 0xFF102030u);
  EXPECT_EQ(bar->GetBackColor(), 0xFFFAFAFAu);
  EXPECT_TRUE(bar->GetFilled());
  EXPECT_EQ(bar->GetBaseBarWidth(), 500);
  EXPECT_EQ(bar->GetBaseBarHeight(), 12000);
  EXPECT_EQ(bar->GetBasePadX(), 3000);
  EXPECT_EQ(bar->GetBasePadY(), 0);
  EXPECT_FALSE(bar->GetShowNumber());
  EXPECT_TRUE(bar->GetCheckSum());
  EXPECT_EQ(bar->GetFontName(), "Courier New");
  EXPECT_EQ(bar->GetBaseFontHeight(), 4000);
  // Seven digits and the check digit: a valid ITF of eight.
  EXPECT_TRUE(bar->IsValid());
  EXPECT_EQ(bar->Encoded().Prepared, "12345670");

  // In inches the position and the lengths are inches.
  t.Ok("setup_drawing", {{"units", "inch"}});
  t.Ok("add_barcode", {{"x", 1}, {"y", 0.5}, {"bar_height", 0.5}});
  EXPECT_EQ(t.LastBar()->GetPoint(1), (TORVPto{25400, 12700}));
  EXPECT_EQ(t.LastBar()->GetBaseBarHeight(), 12700);
}

TEST(McpBarcode, CodesATypeCannotEncodeAreRefusedWithTheReason) {
  TTools t;
  t.Ok("add_barcode", {{"code", "keep"}});
  const auto refused = [&](const QJsonObject& args) { return t.Refused("add_barcode", args).toStdString(); };
  EXPECT_EQ(refused({{"code", "12345"}, {"barcode_type", "EAN13"}}),
            "Invalid code \"12345\" for barcode type EAN13: EAN13 needs 12 or 13 digits (the last one the check digit)");
  EXPECT_EQ(refused({{"code", "5901234123458"}, {"barcode_type", "EAN13"}}),
            "Invalid code \"5901234123458\" for barcode type EAN13: the check digit of EAN13 590123412345 is 7, not 8");
  EXPECT_NE(refused({{"code", "96385"}, {"barcode_type", "EAN8"}}).find("EAN8 needs 7 or 8 digits"), std::string::npos);
  EXPECT_NE(refused({{"code", "abc"}, {"barcode_type", "CODE39"}}).find("CODE39 takes digits, capital letters"), std::string::npos);
  EXPECT_NE(refused({{"code", "123"}, {"barcode_type", "CODE128C"}}).find("even number of digits"), std::string::npos);
  EXPECT_NE(refused({{"code", "12345"}, {"barcode_type", "ITF"}}).find("ITF needs an even number of digits"), std::string::npos);
  EXPECT_NE(refused({{"code", "1234"}, {"barcode_type", "CODABAR"}}).find("start letter A-D"), std::string::npos);
  EXPECT_NE(refused({{"code", "1234"}, {"barcode_type", "POSTNET"}}).find("5, 9 or 11 digits"), std::string::npos);
  EXPECT_NE(refused({{"code", "12a"}, {"barcode_type", "MSI"}}).find("MSI takes digits only"), std::string::npos);
  EXPECT_NE(refused({{"code", QString(81, QLatin1Char('1'))}}).find("at most 80 characters"), std::string::npos);
  EXPECT_NE(refused({{"code", ""}}).find("the code is empty"), std::string::npos);
  EXPECT_NE(refused({{"code", QStringLiteral("caf\u00e9")}}).find("CODE128 takes ASCII characters only"), std::string::npos);
  EXPECT_NE(refused({{"code", QStringLiteral("\u20ac1")}}).find("8-bit (Latin-1)"), std::string::npos);
  // With the check digit added, ITF takes an odd count; other refusals check before anything is made.
  EXPECT_NE(refused({{"code", "1234"}, {"barcode_type", "ITF"}, {"checksum", 1}}).find("odd number"), std::string::npos);
  EXPECT_NE(refused({{"bar_width", 1e10}}).find("bar_width"), std::string::npos);
  t.Ok("add_barcode", {{"code", "12345"}, {"barcode_type", "ITF"}, {"checksum", 1}});
  EXPECT_EQ(t.doc.GetItemsCount(), 2);
}

TEST(McpBarcode, ListGetAndModifyNameTheSymbology) {
  TTools t;
  t.Ok("add_rectangle", {{"x", 0}, {"y", 0}});
  t.Ok("add_barcode", {{"code", "0360002914"}, {"barcode_type", "ITF"}});
  const QJsonArray items = t.Call("list_items")["structuredContent"].toObject()["items"].toArray();
  ASSERT_EQ(items.size(), 2);
  EXPECT_FALSE(items[0].toObject().contains("barcode_type"));
  EXPECT_EQ(items[1].toObject()["barcode_type"].toString(), "ITF");
  EXPECT_EQ(items[1].toObject()["type"].toString(), "barcode");
  const QJsonObject got = t.Call("get_item", {{"index", 1}})["structuredContent"].toObject();
  EXPECT_EQ(got["barcode_type"].toString(), "ITF");
  EXPECT_EQ(got["Text"].toString(), "0360002914");
  EXPECT_FALSE(t.Call("get_item", {{"index", 0}})["structuredContent"].toObject().contains("barcode_type"));

  // Reported names of types the tools cannot name.
  static_cast<TPLNBarcode*>(t.Last())->SetBarType(TORVBarType::UpcE0);
  EXPECT_EQ(t.Call("list_items")["structuredContent"].toObject()["items"].toArray()[1].toObject()["barcode_type"], "UPCE0");
  static_cast<TPLNBarcode*>(t.Last())->SetBarType(TORVBarType::Ean128Auto);
  EXPECT_EQ(t.Call("get_item", {{"index", 1}})["structuredContent"].toObject()["barcode_type"], "EAN128AUTO");
  static_cast<TPLNBarcode*>(t.Last())->SetBarType(TORVBarType::Itf);

  const QString id = QString::number(t.Last()->GetID());
  EXPECT_EQ(t.Ok("modify_item", {{"id", id}, {"barcode_type", "UPCA"}, {"text", "03600029145"}}),
            "Item " + id + " (barcode) modified: 2 properties changed");
  EXPECT_EQ(static_cast<TPLNBarcode*>(t.Last())->GetBarType(), TORVBarType::UpcA);
  EXPECT_TRUE(static_cast<TPLNBarcode*>(t.Last())->IsValid());
  EXPECT_EQ(t.Ok("modify_item", {{"index", 1}, {"barcode_type", "code39"}}), "Item " + id + " (barcode) modified: 1 properties changed");
  EXPECT_EQ(t.Call("get_item", {{"index", 1}})["structuredContent"].toObject()["barcode_type"], "CODE39");
  // A type or code that does not fit is refused, the barcode left as it was.
  EXPECT_EQ(t.Refused("modify_item", {{"index", 1}, {"barcode_type", "EAN8"}}).toStdString(),
            "Invalid code \"03600029145\" for barcode type EAN8: EAN8 needs 7 or 8 digits (the last one the check digit)");
  EXPECT_TRUE(t.Refused("modify_item", {{"index", 1}, {"text", "lower"}}).contains("CODE39 takes digits"));
  // Other kinds ignore the argument.
  EXPECT_EQ(t.Ok("modify_item", {{"index", 0}, {"barcode_type", "EAN8"}}), "Item 1 found (rectangle) but no properties changed. Check property names.");
}
