// The Gantt and diagram tools: texts, counts, structured diagnostics, strictness, and refused
// calls that leave the drawing alone.
#include "ToolsFixture.h"

using PlanoraTest::TTools;

TEST(McpDiagrams, LoadGantt) {
  TTools t;
  t.Ok("add_rectangle", {{"x", 1}, {"y", 1}, {"width", 5}, {"height", 5}});
  EXPECT_EQ(t.Refused("load_gantt", {{"code", "  "}}), "code parameter is required with Gantt chart data");
  EXPECT_EQ(t.Refused("load_gantt", {{"code", "gantt\ntitle Nothing but a title\n"}}), "Failed to parse Gantt data");
  // Dependencies are not drawn by the tool: the title and three bars.
  EXPECT_EQ(t.Ok("load_gantt", {{"code", "gantt\ntitle T\nA :a, 2024-01-01, 2d\nB :b, after a, 1d\nC :1d\n"}}),
            "Gantt chart loaded. 4 items created.");
  EXPECT_EQ(t.doc.GetItemsCount(), 4);
  // The drawing was replaced, as one step that undo takes back.
  t.doc.Undo();
  EXPECT_EQ(t.doc.GetItemsCount(), 1);
}

TEST(McpDiagrams, LoadDiagram) {
  TTools t;
  EXPECT_EQ(t.Refused("load_diagram", {{"code", ""}}), "code parameter is required with the diagram source text");

  QJsonObject r = t.Call("load_diagram", {{"code", "flowchart LR\n  A[Start] --> B{Ready?}\n  B -->|yes| C((Done))\n"}});
  ASSERT_FALSE(r["isError"].toBool()) << TTools::Text(r).toStdString();
  // Three boxes, two links and the label.
  EXPECT_EQ(TTools::Text(r), "Diagram loaded. 6 items created; 0 diagnostics.");
  QJsonObject s = r["structuredContent"].toObject();
  EXPECT_TRUE(s["loaded"].toBool());
  EXPECT_EQ(s["items_created"].toInt(), 6);
  EXPECT_TRUE(s["diagnostics"].toArray().isEmpty());

  // A Gantt text goes to the Gantt layout whatever format is asked for.
  r = t.Call("load_diagram", {{"code", "gantt\nA :2024-01-01, 1d\n"}, {"format", "PlantUML"}});
  ASSERT_FALSE(r["isError"].toBool()) << TTools::Text(r).toStdString();
  EXPECT_EQ(t.doc.GetItemsCount(), 2);

  // "PlantUML" in any case picks the PlantUML reader: the Mermaid text is then no diagram.
  const int before = t.doc.GetItemsCount();
  r = t.Call("load_diagram", {{"code", "sequenceDiagram\nA->>B: hi\n"}, {"format", "PlantUML"}});
  EXPECT_TRUE(r["isError"].toBool());
  EXPECT_EQ(TTools::Text(r), "Could not parse the diagram text");
  s = r["structuredContent"].toObject();
  EXPECT_FALSE(s["loaded"].toBool());
  EXPECT_EQ(s["items_created"].toInt(), 0);
  ASSERT_FALSE(s["diagnostics"].toArray().isEmpty());
  EXPECT_EQ(s["diagnostics"].toArray()[0].toObject()["severity"].toString(), "error");
  EXPECT_EQ(t.doc.GetItemsCount(), before);

  // An unknown line is a warning with its line and source; strict refuses the whole text.
  const QString sloppy = "sequenceDiagram\nparticipant A\nthis is not a statement\nA->>B: hi\n";
  r = t.Call("load_diagram", {{"code", sloppy}});
  ASSERT_FALSE(r["isError"].toBool()) << TTools::Text(r).toStdString();
  const QJsonArray warnings = r["structuredContent"].toObject()["diagnostics"].toArray();
  ASSERT_EQ(warnings.size(), 1);
  const QJsonObject w = warnings[0].toObject();
  EXPECT_EQ(w["severity"].toString(), "warning");
  EXPECT_EQ(w["line"].toInt(), 3);
  EXPECT_EQ(w["source"].toString(), "this is not a statement");
  EXPECT_FALSE(w["code"].toString().isEmpty());
  EXPECT_TRUE(TTools::Text(r).endsWith("; 1 diagnostics."));
  const int loaded = t.doc.GetItemsCount();
  r = t.Call("load_diagram", {{"code", sloppy}, {"strict", true}});
  EXPECT_TRUE(r["isError"].toBool());
  EXPECT_EQ(r["structuredContent"].toObject()["diagnostics"].toArray()[0].toObject()["severity"].toString(), "error");
  EXPECT_EQ(t.doc.GetItemsCount(), loaded);
}
