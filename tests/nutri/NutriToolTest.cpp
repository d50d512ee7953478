// The add_nutriscore tool as an agent calls it: texts, defaults, options and refusals.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "../mcp/ToolsFixture.h"
#include "ORV.FMX.Items.h"

using namespace Orv;
using Orv::Fmx::TPLNNutriScore;

namespace {

struct TTools : PlanoraTest::TTools {
  TPLNNutriScore* LastScore() const { return dynamic_cast<TPLNNutriScore*>(Last()); }
};

}  // namespace

TEST(NutriTool, IsListedWithItsDescriptionAndTheGradeRequired) {
  TTools t;
  const QJsonObject tool = t.Listed("add_nutriscore");
  EXPECT_EQ(tool["description"].toString(),
            "Add a Nutri-Score food rating graphic (A-E scale) at (x,y) with given width and height.");
  const QJsonObject schema = tool["inputSchema"].toObject();
  EXPECT_EQ(schema["required"].toArray(), (QJsonArray{"x", "y", "width", "height", "value"}));
  const QJsonObject props = schema["properties"].toObject();
  EXPECT_EQ(props.keys(), (QStringList{"black_white", "height", "nutri_type", "show_title", "title", "value", "width", "x", "y"}));
  EXPECT_EQ(props["value"].toObject()["enum"].toArray(), (QJsonArray{"A", "B", "C", "D", "E"}));
  EXPECT_EQ(props["nutri_type"].toObject()["enum"].toArray(), (QJsonArray{"style1", "style2"}));
  EXPECT_EQ(props["show_title"].toObject()["type"].toString(), "integer");
  EXPECT_EQ(props["title"].toObject()["description"].toString(), "Title text (default: NUTRI-SCORE)");
  // Listed after the shapes and before the flow-chart tools.
  const QStringList names = t.server.ToolNames();
  EXPECT_LT(names.indexOf("add_paragraph"), names.indexOf("add_nutriscore"));
  EXPECT_LT(names.indexOf("add_nutriscore"), names.indexOf("add_flow"));
}

TEST(NutriTool, AddsTheLabelWithItsDefaultsAndOptions) {
  TTools t;
  EXPECT_EQ(t.Ok("add_nutriscore", {{"x", 10}, {"y", 20}, {"value", "C"}}), "NutriScore added: id=1 at (10.0, 20.0) value=C");
  TPLNNutriScore* n = t.LastScore();
  ASSERT_TRUE(n);
  EXPECT_EQ(n->Points(), (std::vector<TORVPto>{{10000, 20000}, {40000, 35000}}));  // 30 x 15
  EXPECT_EQ(n->Value(), u'C');
  EXPECT_EQ(n->NutriType(), 0);
  EXPECT_TRUE(n->ShowTitle());
  EXPECT_EQ(n->Title(), "NUTRI-SCORE");
  EXPECT_FALSE(n->BlackWhite());

  // Grades and styles like every enumeration: trimmed, any case; an unknown style is the first.
  EXPECT_EQ(t.Ok("add_nutriscore", {{"x", 0}, {"y", 0}, {"width", 40}, {"height", "20"}, {"value", " e "},
                                    {"nutri_type", "STYLE2"}, {"title", "Score"}, {"show_title", 0}, {"black_white", 1}}),
            "NutriScore added: id=2 at (0.0, 0.0) value=E");
  n = t.LastScore();
  EXPECT_EQ(n->Points(), (std::vector<TORVPto>{{0, 0}, {40000, 20000}}));
  EXPECT_EQ(n->Value(), u'E');
  EXPECT_EQ(n->NutriType(), 1);
  EXPECT_EQ(n->Title(), "Score");
  EXPECT_FALSE(n->ShowTitle());
  EXPECT_TRUE(n->BlackWhite());
  t.Ok("add_nutriscore", {{"value", "a"}, {"nutri_type", "fancy"}, {"show_title", 2}, {"black_white", true}});
  n = t.LastScore();
  EXPECT_EQ(n->NutriType(), 0);
  EXPECT_TRUE(n->ShowTitle());  // 2 is neither 0 nor 1: left as made
  EXPECT_TRUE(n->BlackWhite());

  // In inches the box is converted; the text reports the numbers as given.
  t.Ok("setup_drawing", {{"units", "inch"}});
  EXPECT_EQ(t.Ok("add_nutriscore", {{"x", 1}, {"y", 0.5}, {"width", 2}, {"height", 1}, {"value", "B"}}),
            "NutriScore added: id=4 at (1.0, 0.5) value=B");
  EXPECT_EQ(t.LastScore()->Points(), (std::vector<TORVPto>{{25400, 12700}, {76200, 38100}}));

  // One undo step takes the whole label away.
  const int items = t.doc.GetItemsCount();
  t.doc.Undo();
  EXPECT_EQ(t.doc.GetItemsCount(), items - 1);

  // modify_item turns it by quarter turns; other angles change nothing.
  EXPECT_EQ(t.Ok("modify_item", {{"id", "1"}, {"angle", "90"}}), "Item 1 (unknown) modified: 1 properties changed");
  EXPECT_EQ(t.doc.GetItem(1)->KindCode(), Kind::NutriScore);
  EXPECT_EQ(dynamic_cast<TPLNNutriScore*>(t.doc.GetItem(1))->GetAngle(), TORVAngle::A90);
  EXPECT_TRUE(t.Ok("modify_item", {{"id", "1"}, {"angle", "45"}}).contains("no properties changed"));
}

TEST(NutriTool, AMissingOrWrongGradeIsRefusedAndAddsNothing) {
  TTools t;
  EXPECT_EQ(t.Refused("add_nutriscore", {{"x", 0}, {"y", 0}}), "value is required: the Nutri-Score grade A, B, C, D or E");
  EXPECT_EQ(t.Refused("add_nutriscore", {{"value", "  "}}), "value is required: the Nutri-Score grade A, B, C, D or E");
  EXPECT_EQ(t.Refused("add_nutriscore", {{"value", "F"}}), "value \"F\" is no Nutri-Score grade: use A, B, C, D or E");
  EXPECT_EQ(t.Refused("add_nutriscore", {{"value", "AB"}}), "value \"AB\" is no Nutri-Score grade: use A, B, C, D or E");
  EXPECT_TRUE(t.Refused("add_nutriscore", {{"value", "A"}, {"colour", "#ff0000"}}).contains("colour"));
  t.Ok("setup_drawing", {{"units", "inch"}});
  EXPECT_TRUE(t.Refused("add_nutriscore", {{"value", "A"}, {"x", 5e8}}).startsWith("x = "));
  EXPECT_EQ(t.doc.GetItemsCount(), 0);
}
