// The add_polytext tool: its schema as a client sees it, what it makes of each argument, and the
// calls it refuses without leaving anything behind.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "../mcp/ToolsFixture.h"
#include "ORV.FMX.h"

using namespace Orv;
using Orv::Fmx::TPLNPolyText;
using Orv::Text::TORVPolyType;

namespace {

struct TTools : PlanoraTest::TTools {
  TPLNPolyText* LastPoly() const { return dynamic_cast<TPLNPolyText*>(Last()); }
};

}  // namespace

TEST(PolyTool, SchemaAsListed) {
  TTools t;
  const QJsonObject tool = t.Listed("add_polytext");
  EXPECT_EQ(tool["description"].toString(),
            "Add text (or a barcode/QR/DataMatrix) rendered along a circular path at (x,y) with given radius. Typical "
            "for round labels and stamps.");
  const QJsonObject schema = tool["inputSchema"].toObject();
  EXPECT_EQ(schema["required"].toArray(), (QJsonArray{"x", "y"}));
  const QJsonObject props = schema["properties"].toObject();
  const QStringList expected[] = {
      {"x", "number", "X position in current units"},
      {"y", "number", "Y position in current units"},
      {"text", "string", "Text (or code data for barcode/qr/datamatrix) rendered along the circular path"},
      {"radius", "number", "Radius of the circular path in current units"},
      {"poly_type", "string", "Content type rendered along the path"},
      {"barcode_type", "string", "Barcode symbology when poly_type=barcode"},
      {"color", "string", "Color as #RRGGBB"},
      {"back_color", "string", "Background color as #RRGGBB (enables fill)"},
      {"angle", "integer", "Rotation angle: 0, 90, 180 or 270 degrees"},
  };
  EXPECT_EQ(props.size(), 9);
  for (const QStringList& p : expected) {
    SCOPED_TRACE(p[0].toStdString());
    EXPECT_EQ(props[p[0]].toObject()["type"].toString(), p[1]);
    EXPECT_EQ(props[p[0]].toObject()["description"].toString(), p[2]);
  }
  EXPECT_EQ(props["poly_type"].toObject()["enum"].toArray(), (QJsonArray{"barcode", "qr", "datamatrix"}));
  EXPECT_EQ(props["barcode_type"].toObject()["enum"].toArray(),
            (QJsonArray{"EAN13", "EAN8", "UPCA", "CODE39", "CODE128", "CODE128A", "CODE128B", "CODE128C", "CODABAR",
                        "CODE93", "ITF", "POSTNET", "MSI"}));
}

TEST(PolyTool, TextRunsWithRadiusColoursAndAngle) {
  TTools t;
  EXPECT_EQ(t.Ok("add_polytext", {{"x", 10}, {"y", 20}, {"text", "Hello"}}),
            "PolyText added: id=1 at (10.0, 20.0) radius 0.0 text=\"Hello\"");
  TPLNPolyText* p = t.LastPoly();
  ASSERT_TRUE(p);
  EXPECT_EQ(p->GetPoint(1), (TORVPto{10000, 20000}));
  EXPECT_EQ(p->GetPolyType(), TORVPolyType::Runs);
  ASSERT_EQ(p->GetItemCount(), 1);
  EXPECT_EQ(p->GetItem(1).GetText(), "Hello");
  EXPECT_EQ(p->GetBaseRadio(), 0);
  EXPECT_FALSE(p->GetFilled());
  EXPECT_EQ(p->GetAngle(), TORVAngle::A0);

  EXPECT_EQ(t.Ok("add_polytext", {{"x", 1.5},
                                  {"y", 2},
                                  {"text", "Best\nbefore"},
                                  {"radius", 2.5},
                                  {"color", "#c04000"},
                                  {"back_color", "#ffe0a0"},
                                  {"angle", 90}}),
            "PolyText added: id=2 at (1.5, 2.0) radius 2.5 text=\"Best\nbefore\"");
  p = t.LastPoly();
  ASSERT_EQ(p->GetItemCount(), 2);
  EXPECT_EQ(p->GetItem(2).GetText(), "before");
  EXPECT_EQ(p->GetBaseRadio(), 2500) << "the radius rounds the background's corners";
  EXPECT_EQ(p->GetColor(), 0xFFC04000u);
  for (int i = 1; i <= 2; ++i) EXPECT_EQ(p->GetItem(i).GetColor(), 0xFFC04000u) << "the text is in the colour";
  EXPECT_TRUE(p->GetFilled());
  EXPECT_EQ(p->GetBackColor(), 0xFFFFE0A0u);
  EXPECT_EQ(p->GetAngle(), TORVAngle::A90);
  t.Ok("add_polytext", {{"angle", 270}});
  EXPECT_EQ(t.LastPoly()->GetAngle(), TORVAngle::A270);
  // An unknown content name is a line of text.
  t.Ok("add_polytext", {{"text", "plain"}, {"poly_type", "stamp"}});
  EXPECT_EQ(t.LastPoly()->GetPolyType(), TORVPolyType::Runs);
}

TEST(PolyTool, CodesByName) {
  TTools t;
  EXPECT_EQ(t.Ok("add_polytext", {{"x", 5}, {"y", 5}, {"text", "https://example.com/p?id=42"}, {"poly_type", "qr"}}),
            "PolyText added: id=1 at (5.0, 5.0) radius 0.0 text=\"https://example.com/p?id=42\"");
  TPLNPolyText* p = t.LastPoly();
  EXPECT_EQ(p->GetPolyType(), TORVPolyType::QRCode);
  EXPECT_EQ(p->GetCode(), "https://example.com/p?id=42");
  EXPECT_TRUE(p->IsValid());
  EXPECT_EQ(p->GetItemCount(), 0);

  t.Ok("add_polytext", {{"text", "LOT 7"}, {"poly_type", " DataMatrix "}});
  EXPECT_EQ(t.LastPoly()->GetPolyType(), TORVPolyType::DataMatrix);
  EXPECT_TRUE(t.LastPoly()->IsValid());

  t.Ok("add_polytext", {{"text", "4006381333931"}, {"poly_type", "barcode"}, {"barcode_type", "ean13"}});
  p = t.LastPoly();
  EXPECT_EQ(p->GetPolyType(), TORVPolyType::Barcode);
  EXPECT_EQ(p->GetBarType(), TORVBarType::Ean13);
  EXPECT_TRUE(p->IsValid());
  // Without a type a barcode is Code 128.
  t.Ok("add_polytext", {{"text", "any text 1"}, {"poly_type", "barcode"}});
  EXPECT_EQ(t.LastPoly()->GetBarType(), TORVBarType::Code128);
  t.Ok("add_polytext", {{"text", "1234"}, {"poly_type", "barcode"}, {"barcode_type", "ITF"}});
  EXPECT_EQ(t.LastPoly()->GetBarType(), TORVBarType::Itf);
}

TEST(PolyTool, RefusalsLeaveNothingBehind) {
  TTools t;
  t.Ok("add_polytext", {{"text", "first"}});
  for (const int angle : {45, -90, 360, 1}) {
    const QString why = t.Refused("add_polytext", {{"text", "x"}, {"angle", angle}});
    EXPECT_EQ(why, QStringLiteral("angle must be 0, 90, 180 or 270 degrees, not %1").arg(angle));
  }
  // Codes their content cannot show: the reason names the rule or the limit.
  QString why = t.Refused("add_polytext", {{"text", "4006381333932"}, {"poly_type", "barcode"}, {"barcode_type", "EAN13"}});
  EXPECT_TRUE(why.contains("check digit")) << why.toStdString();
  why = t.Refused("add_polytext", {{"text", "12ab"}, {"poly_type", "barcode"}, {"barcode_type", "EAN8"}});
  EXPECT_TRUE(why.contains("EAN8")) << why.toStdString();
  why = t.Refused("add_polytext", {{"text", ""}, {"poly_type", "barcode"}});
  EXPECT_FALSE(why.isEmpty());
  why = t.Refused("add_polytext", {{"text", QString(5000, QLatin1Char('x'))}, {"poly_type", "qr"}});
  EXPECT_TRUE(why.contains("too long")) << why.toStdString();
  why = t.Refused("add_polytext", {{"text", QString(4000, QLatin1Char('y'))}, {"poly_type", "datamatrix"}});
  EXPECT_TRUE(why.contains("too long")) << why.toStdString();
  why = t.Refused("add_polytext", {{"text", QStringLiteral("Ω-7")}, {"poly_type", "datamatrix"}});
  EXPECT_TRUE(why.contains("Latin-1")) << why.toStdString();
  EXPECT_EQ(t.doc.GetItemsCount(), 1);
}
