// The flow-chart tools: boxes and links as an agent makes them, their texts, defaults and
// enumerations, the refusals, undo steps, and links that follow their boxes.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ToolsFixture.h"

using namespace Orv;
using F2d::TORVinkType;
using F2d::TPLNBaseFlow;
using F2d::TPLNBaseLink;

namespace {

struct TTools : PlanoraTest::TTools {
  TPLNBaseFlow* LastFlow() const { return dynamic_cast<TPLNBaseFlow*>(Last()); }
  TPLNBaseLink* LastLink() const { return dynamic_cast<TPLNBaseLink*>(Last()); }

  // The names a tool's enumerated parameter offers, as tools/list gives them to a client.
  QStringList Offered(const QString& tool, const QString& param) {
    const QByteArray reply = server.HandleMessage(R"({"jsonrpc":"2.0","id":1,"method":"tools/list"})");
    for (const QJsonValue& t : QJsonDocument::fromJson(reply).object()["result"].toObject()["tools"].toArray()) {
      if (t.toObject()["name"].toString() != tool) continue;
      QStringList names;
      const QJsonObject p = t.toObject()["inputSchema"].toObject()["properties"].toObject()[param].toObject();
      for (const QJsonValue& v : p["enum"].toArray()) names << v.toString();
      return names;
    }
    return {};
  }
};

}  // namespace

TEST(McpFlow, AddFlowPlacesTheBoxReportsTheTypeAsNamedAndTakesEveryShapeByName) {
  TTools t;
  EXPECT_EQ(t.Ok("add_flow", {{"x", 10}, {"y", 20}}), "Flow element added: id=1 type=process at (10.0, 20.0) size 30.0 x 15.0");
  TPLNBaseFlow* flow = t.LastFlow();
  ASSERT_TRUE(flow);
  EXPECT_EQ(flow->Points(), (std::vector<TORVPto>{{10000, 20000}, {40000, 35000}}));
  EXPECT_EQ(flow->GetFlowType(), TORVFlowType::Process);

  // "stop" is the end shape, reported as the agent named it; names ignore case and spaces.
  EXPECT_EQ(t.Ok("add_flow", {{"x", 0}, {"y", 0}, {"width", "40"}, {"height", 20}, {"flow_type", "stop"}}),
            "Flow element added: id=2 type=stop at (0.0, 0.0) size 40.0 x 20.0");
  EXPECT_EQ(t.LastFlow()->GetFlowType(), TORVFlowType::End);
  t.Ok("add_flow", {{"flow_type", " DECISION "}});
  EXPECT_EQ(t.LastFlow()->GetFlowType(), TORVFlowType::Decision);
  EXPECT_EQ(t.Ok("add_flow", {{"flow_type", "cloud"}}), "Flow element added: id=4 type=cloud at (0.0, 0.0) size 30.0 x 15.0");
  EXPECT_EQ(t.LastFlow()->GetFlowType(), TORVFlowType::Process);

  // The caption and the outline colour.
  t.Ok("add_flow", {{"text", "Check\nstock"}, {"color", "#c04000"}});
  EXPECT_EQ(t.LastFlow()->GetText(), "Check\nstock");
  EXPECT_EQ(t.LastFlow()->GetColor(), 0xFFC04000u);

  // Every name the schema offers makes its own shape, in the order of the shapes.
  const QStringList shapes = t.Offered("add_flow", "flow_type");
  ASSERT_EQ(shapes.size(), 15);
  for (int i = 0; i < shapes.size(); ++i) {
    t.Ok("add_flow", {{"flow_type", shapes[i]}});
    EXPECT_EQ(t.LastFlow()->GetFlowTypeValue(), i) << shapes[i].toStdString();
  }
  EXPECT_EQ(shapes.first(), "terminator");
  EXPECT_EQ(shapes.last(), "end");
}

TEST(McpFlow, AddLinkJoinsTwoItemsByIdOrNameWithItsOptionsApplied) {
  TTools t;
  t.Ok("add_flow", {{"x", 0}, {"y", 0}, {"text", "Start"}, {"flow_type", "terminator"}});
  t.Ok("add_flow", {{"x", 0}, {"y", 40}, {"flow_type", "decision"}});
  t.doc.GetItem(1)->SetName(QStringLiteral("Start"));

  EXPECT_EQ(t.Ok("add_link", {{"from_id", "1"}, {"to_id", "2"}}), "Link added: id=3 from 1[0] to 2[0] type=direct");
  TPLNBaseLink* link = t.LastLink();
  ASSERT_TRUE(link);
  EXPECT_EQ(link->GetFromID(), 1);
  EXPECT_EQ(link->GetToID(), 2);
  EXPECT_EQ(link->GetPenWidth(), t.doc.GetActiveLayer()->GetPenWidth());

  // Ids may come as numbers and ends by name; every option lands on the link.
  EXPECT_EQ(t.Ok("add_link", {{"from_id", "start"},
                              {"to_id", 2},
                              {"from_connector", 11},
                              {"to_connector", "3"},
                              {"link_type", "Round"},
                              {"from_type", "circle"},
                              {"to_type", "fillarrow"},
                              {"line_style", "dashed"},
                              {"color", "#112233"},
                              {"from_color", "#445566"},
                              {"to_color", "#80778899"},
                              {"pen_width", 0.5}}),
            "Link added: id=4 from start[11] to 2[3] type=Round");
  link = t.LastLink();
  ASSERT_TRUE(link);
  EXPECT_EQ(link->GetFromID(), 1);
  EXPECT_EQ(link->GetFromIndex(), 11);
  EXPECT_EQ(link->GetToIndex(), 3);
  EXPECT_EQ(link->GetLinkType(), TORVinkType::Round);
  EXPECT_EQ(link->GetFromType(), 1);
  EXPECT_EQ(link->GetToType(), 4);
  EXPECT_EQ(link->GetLineType(), 1);
  EXPECT_EQ(link->GetColor(), 0xFF112233u);
  EXPECT_EQ(link->GetFromColor(), 0xFF445566u);
  EXPECT_EQ(link->GetToColor(), 0x80778899u);
  EXPECT_EQ(link->GetPenWidth(), 500);
  // An unparsable colour leaves the terminator's colour as it was.
  t.Ok("add_link", {{"from_id", "1"}, {"to_id", "2"}, {"to_color", "teal"}});
  EXPECT_EQ(t.LastLink()->GetToColor(), kBlack);

  // An unknown routing is a straight link, reported as named; every offered name routes its way.
  EXPECT_EQ(t.Ok("add_link", {{"from_id", "2"}, {"to_id", "1"}, {"link_type", "zigzag"}}),
            "Link added: id=6 from 2[0] to 1[0] type=zigzag");
  EXPECT_EQ(t.LastLink()->GetLinkType(), TORVinkType::Direct);
  const QStringList routings = t.Offered("add_link", "link_type");
  ASSERT_EQ(routings.size(), F2d::kLinkTypeCount);
  for (int i = 0; i < routings.size(); ++i) {
    t.Ok("add_link", {{"from_id", "1"}, {"to_id", "2"}, {"link_type", routings[i]}});
    EXPECT_EQ(static_cast<int>(t.LastLink()->GetLinkType()), i) << routings[i].toStdString();
  }
}

TEST(McpFlow, RefusedLinksSayWhyAndAddNothing) {
  TTools t;
  t.Ok("add_flow", {{"x", 0}, {"y", 0}});
  t.Ok("add_flow", {{"x", 0}, {"y", 40}, {"flow_type", "decision"}});
  t.Ok("add_line", {{"x1", 50}, {"y1", 0}, {"x2", 70}, {"y2", 0}});
  t.Ok("add_point", {{"x", 90}, {"y", 0}});
  const QString required = "from_id and to_id are required";
  const QString failed = "Failed to add link. Check that both IDs exist and support connections.";

  EXPECT_EQ(t.Refused("add_link", {{"to_id", "2"}}), required);
  EXPECT_EQ(t.Refused("add_link", {{"from_id", "1"}, {"to_id", "  "}}), required);
  EXPECT_EQ(t.Refused("add_link", {{"from_id", "1"}, {"to_id", "99"}}), failed);
  EXPECT_EQ(t.Refused("add_link", {{"from_id", "nobody"}, {"to_id", "2"}}), failed);
  EXPECT_EQ(t.Refused("add_link", {{"from_id", "1"}, {"to_id", "3"}}), failed) << "a line offers no connectors";
  EXPECT_EQ(t.Refused("add_link", {{"from_id", "2"}, {"to_id", 2}}), "from_id and to_id both name item 2: a link joins two different items");
  EXPECT_EQ(t.Refused("add_link", {{"from_id", "1"}, {"to_id", "2"}, {"to_connector", 5}}),
            "to_connector 5 does not exist on item 2 (flow): use 3, 7, 11, 15, or 0 to let the link choose");
  EXPECT_EQ(t.Refused("add_link", {{"from_id", "1"}, {"to_id", "2"}, {"from_connector", 17}}),
            "from_connector 17 does not exist on item 1 (flow): use 1-16, or 0 to let the link choose");
  EXPECT_EQ(t.Refused("add_link", {{"from_id", "1"}, {"to_id", "2"}, {"from_connector", -3}}),
            "from_connector -3 does not exist on item 1 (flow): use 1-16, or 0 to let the link choose");
  EXPECT_EQ(t.Refused("add_link", {{"from_id", "1"}, {"to_id", "4"}, {"to_connector", 2}}),
            "to_connector 2 does not exist on item 4 (point): use 1, or 0 to let the link choose");
  EXPECT_EQ(t.Refused("add_link", {{"from_id", "1"}, {"to_id", "2"}, {"pen_width", 1e7}}),
            "pen_width = 10000000.0 is too large: at most 1000000 mm");
  EXPECT_EQ(t.Refused("add_link", {{"from_id", "1"}, {"to_id", "2"}, {"connector", 3}}),
            "Unknown argument \"connector\" for add_link. Its arguments are: from_id, to_id, from_connector, to_connector, "
            "link_type, from_type, to_type, line_style, color, pen_width, from_color, to_color");
  EXPECT_TRUE(t.Refused("add_flow", {{"x", 2e9}}).contains("out of range"));
  EXPECT_EQ(t.doc.GetItemsCount(), 4);
}

TEST(McpFlow, EachCallIsOneUndoStepAndALinkFollowsItsBoxes) {
  TTools t;
  const int start = t.doc.UndoCount();
  t.Ok("add_flow", {{"x", 0}, {"y", 0}, {"width", 30}, {"height", 10}, {"text", "Order received"}});
  t.Ok("add_flow", {{"x", 60}, {"y", 40}, {"width", 30}, {"height", 10}});
  t.Ok("add_link", {{"from_id", "1"}, {"to_id", "2"}, {"from_connector", 7}, {"to_connector", 3}, {"link_type", "step"},
                    {"to_type", "fillarrow"}});
  EXPECT_EQ(t.doc.UndoCount(), start + 3);
  t.doc.Undo();
  EXPECT_EQ(t.doc.GetItemsCount(), 2) << "one undo takes back the link with all its options";
  t.doc.Redo();
  ASSERT_EQ(t.doc.GetItemsCount(), 3);
  TPLNBaseLink* link = t.LastLink();
  ASSERT_TRUE(link);
  EXPECT_EQ(link->GetToType(), 4);

  // The target box moves; the link's end is the top centre of the box where it is now.
  F2d::TORVLinkGeom g;
  ASSERT_TRUE(link->Geometry(g));
  EXPECT_EQ(g.End, (TORVPto{75000, 40000}));
  t.Ok("modify_item", {{"id", "2"}, {"x", 20}, {"y", 70}, {"x2", 50}, {"y2", 80}});
  ASSERT_TRUE(link->Geometry(g));
  EXPECT_EQ(g.Start, (TORVPto{30000, 5000}));
  EXPECT_EQ(g.End, (TORVPto{35000, 70000}));
}

TEST(McpFlow, ModifyItemChangesABoxsCaptionAndALinksEnds) {
  TTools t;
  t.Ok("add_flow", {{"x", 10}, {"y", 10}, {"text", "Old"}});
  t.Ok("add_flow", {{"x", 10}, {"y", 50}});
  t.Ok("add_link", {{"from_id", "1"}, {"to_id", "2"}});
  EXPECT_EQ(t.Ok("modify_item", {{"id", "1"}, {"text", "New\ncaption"}, {"font_height", 5}, {"bold", 1}, {"angle", "90"}}),
            "Item 1 (flow) modified: 3 properties changed");
  auto* flow = dynamic_cast<TPLNBaseFlow*>(t.doc.GetItem(1));
  ASSERT_TRUE(flow);
  EXPECT_EQ(flow->GetText(), "New\ncaption");
  EXPECT_EQ(flow->GetBaseFontHeight(), 5000);
  EXPECT_TRUE(flow->GetBold());
  EXPECT_EQ(t.Ok("modify_item", {{"id", "3"}, {"to_type", "fillarrow"}, {"to_color", "#ff0000"}, {"from_type", "circle"}}),
            "Item 3 (link) modified: 3 properties changed");
  auto* link = t.LastLink();
  ASSERT_TRUE(link);
  EXPECT_EQ(link->GetToType(), 4);
  EXPECT_EQ(link->GetFromType(), 1);
  EXPECT_EQ(link->GetToColor(), 0xFFFF0000u);
  t.doc.Undo();
  EXPECT_EQ(link->GetToType(), 0) << "undo takes the whole change back";
  EXPECT_EQ(link->GetFromType(), 0);
}
