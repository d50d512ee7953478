// Mermaid flowcharts: shapes, edges, labels, chains, fills and direction.
#include <gtest/gtest.h>

#include "DiagramTestSupport.h"

using namespace DiagramTest;
using F = Orv::TORVFlowType;

TEST(DiagramFlowchart, ShapesTable) {
  const auto m = Parse(
      "flowchart TD\n"
      "a[proc]\nb(round)\nc([stadium])\nd((circle))\ne(((double)))\nf{decide}\ng{{prep}}\n"
      "h[(db)]\ni[[sub]]\nj[/lean/]\nk[\\lean\\]\nl[/trap\\]\nm[\\inv/]\nn>flag]\no\n"
      "p@{ shape: docs, label: \"Many\" }\nq@{ shape: stop }\nr@{ shape: manual-input, label: \"in\" }\n"
      "s@{ shape: cyl }\nt@{ shape: lean-r }\nu@{ shape: hex }\nv@{ shape: start }\n");
  struct Row { const char* id; F shape; const char* text; };
  const Row rows[] = {
      {"a", F::Process, "proc"},       {"b", F::Terminator, "round"},   {"c", F::Terminator, "stadium"},
      {"d", F::Ellipse, "circle"},     {"e", F::Ellipse, "double"},     {"f", F::Decision, "decide"},
      {"g", F::Preparation, "prep"},   {"h", F::Database, "db"},        {"i", F::Predefined, "sub"},
      {"j", F::Data, "lean"},          {"k", F::Data, "lean"},          {"l", F::ManualOperation, "trap"},
      {"m", F::ManualOperation, "inv"}, {"n", F::Document, "flag"},     {"o", F::Process, "o"},
      {"p", F::MultiDocument, "Many"}, {"q", F::End, "q"},              {"r", F::ManualInput, "in"},
      {"s", F::Database, "s"},         {"t", F::Data, "t"},             {"u", F::Preparation, "u"},
      {"v", F::Start, "v"},
  };
  ASSERT_EQ(m->Nodes.size(), std::size(rows)) << qPrintable(Describe(*m));
  for (const Row& r : rows) {
    const auto* n = Node(*m, r.id);
    ASSERT_NE(n, nullptr) << r.id;
    EXPECT_EQ(n->Shape, r.shape) << r.id;
    EXPECT_EQ(n->Text, QString(r.text)) << r.id;
  }
  EXPECT_TRUE(m->Diagnostics.empty()) << qPrintable(Describe(*m));
  // An unknown named shape is drawn as a box but said so.
  const auto u = Parse("flowchart TD\nz@{ shape: blob }\n");
  EXPECT_EQ(Node(*u, "z")->Shape, F::Process);
  EXPECT_TRUE(Has(*u, TORVDiagSeverity::Warning, 2, "unknown-shape"));
}

TEST(DiagramFlowchart, EdgeKindsAndArrows) {
  const auto m = Parse(
      "graph LR\nA-->B\nA---B\nA-.->B\nA-.-B\nA==>B\nA===B\nA--oB\nA--xB\nA<-->B\nA o--o B\n"
      "A x--x B\nA--->B\nA-..->B\nA====>B\nA~~~B\n");
  struct Row { bool dashed; int from, to; };
  const Row rows[] = {
      {false, kArrowNone, kArrowFill},   {false, kArrowNone, kArrowNone},  {true, kArrowNone, kArrowFill},
      {true, kArrowNone, kArrowNone},    {false, kArrowNone, kArrowFill},  {false, kArrowNone, kArrowNone},
      {false, kArrowNone, kArrowCircle}, {false, kArrowNone, kArrowCross}, {false, kArrowFill, kArrowFill},
      {false, kArrowCircle, kArrowCircle}, {false, kArrowCross, kArrowCross}, {false, kArrowNone, kArrowFill},
      {true, kArrowNone, kArrowFill},    {false, kArrowNone, kArrowFill},
  };
  // The invisible link (~~~) places nodes but draws nothing.
  ASSERT_EQ(m->Edges.size(), std::size(rows)) << qPrintable(Describe(*m));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const auto& e = m->Edges[i];
    EXPECT_EQ(e.From, "A") << i;
    EXPECT_EQ(e.To, "B") << i;
    EXPECT_EQ(e.Dashed, rows[i].dashed) << i;
    EXPECT_EQ(e.FromArrow, rows[i].from) << i;
    EXPECT_EQ(e.ToArrow, rows[i].to) << i;
  }
  EXPECT_EQ(m->Nodes.size(), 2u);
  EXPECT_TRUE(m->Diagnostics.empty()) << qPrintable(Describe(*m));
}

TEST(DiagramFlowchart, LabelsInBothSyntaxes) {
  const auto m = Parse(
      "flowchart TD\nA -->|pipe| B\nA -- text form --> C\nA -. dotted words .-> D\nA == thick one ==> E\n"
      "A ---|  padded  | F\nA -- plain --- G\nA -->|| H\nA -->|a; b| I; I --> J\n");
  EXPECT_EQ(EdgeList(*m), QStringList({"A>B|pipe", "A>C|text form", "A>D|dotted words", "A>E|thick one",
                                       "A>F|padded", "A>G|plain", "A>H", "A>I|a; b", "I>J"}))
      << qPrintable(Describe(*m));
  EXPECT_TRUE(m->Edges[2].Dashed);
  EXPECT_EQ(m->Edges[2].ToArrow, kArrowFill);
  EXPECT_FALSE(m->Edges[3].Dashed);
  EXPECT_EQ(m->Edges[5].ToArrow, kArrowNone);
}

TEST(DiagramFlowchart, ChainsGroupsAndStatements) {
  const auto m = Parse("graph TD; A --> B --> C; X & Y --> P & Q\nmy-node --> A\nA e1@--> Q\n");
  EXPECT_EQ(EdgeList(*m), QStringList({"A>B", "B>C", "X>P", "X>Q", "Y>P", "Y>Q", "my-node>A", "A>Q"}))
      << qPrintable(Describe(*m));
  // A chain mixing labels and kinds keeps each link's own.
  const auto c = Parse("graph TD\nA -->|one| B -.-> C == two ==> D\n");
  EXPECT_EQ(EdgeList(*c), QStringList({"A>B|one", "B>C", "C>D|two"}));
  EXPECT_TRUE(c->Edges[1].Dashed);
}

TEST(DiagramFlowchart, TextsAndFirstDefinition) {
  const auto m = Parse(
      "flowchart TD\n"
      "A[\"text with (parens) and ]\"] --> B[\"line one<br/>line two\"]\n"
      "C[\"say &quot;hi&quot; #amp; #35;1\"]\n"
      "A[Second text] --> a\n"
      "B --> A\n");
  EXPECT_EQ(Node(*m, "A")->Text, "text with (parens) and ]");
  EXPECT_EQ(Node(*m, "B")->Text, "line one\nline two");
  EXPECT_EQ(Node(*m, "C")->Text, "say \"hi\" & #1");
  // Ids are case-sensitive: "a" is another node, shown by its id.
  ASSERT_NE(Node(*m, "a"), nullptr);
  EXPECT_EQ(Node(*m, "a")->Text, "a");
  EXPECT_EQ(m->Nodes.size(), 4u);
}

TEST(DiagramFlowchart, FillsFromStyleAndClasses) {
  const auto m = Parse(
      "flowchart TD\n"
      "A --> B --> C --> D --> E\n"
      "style A fill:#f9f,stroke:#333,stroke-width:4px\n"
      "classDef hot fill:#ff0000\n"
      "classDef cold fill:blue,stroke:#000\n"
      "class B,C hot\n"
      "D:::cold --> E\n"
      "style C fill:#00ff00\n"
      "classDef nofill stroke:#000\n"
      "class E nofill\n");
  EXPECT_TRUE(Node(*m, "A")->HasFill);
  EXPECT_EQ(Node(*m, "A")->FillColor, 0xFFFF99FFu);
  EXPECT_EQ(Node(*m, "B")->FillColor, 0xFFFF0000u);
  EXPECT_EQ(Node(*m, "C")->FillColor, 0xFF00FF00u);  // style wins over class
  EXPECT_EQ(Node(*m, "D")->FillColor, 0xFF0000FFu);
  EXPECT_FALSE(Node(*m, "E")->HasFill);
  // "default" fills every node without a class of its own.
  const auto d = Parse("flowchart TD\nA --> B\nclassDef default fill:#123456\nclassDef x fill:#654321\nclass B x\n");
  EXPECT_EQ(Node(*d, "A")->FillColor, 0xFF123456u);
  EXPECT_EQ(Node(*d, "B")->FillColor, 0xFF654321u);
}

TEST(DiagramFlowchart, DirectionHeaderAndQuietLines) {
  const struct { const char* header; int direction; } rows[] = {
      {"flowchart LR", 1}, {"flowchart RL", 1}, {"flowchart TB", 0},
      {"flowchart TD", 0}, {"flowchart BT", 0}, {"graph", 0}};
  for (const auto& r : rows) {
    const auto m = Parse(QString(r.header) + "\nA-->B\n");
    EXPECT_EQ(m->Direction, r.direction) << r.header;
    EXPECT_EQ(m->Kind, std::uint8_t(TORVDiagramKind::Graph));
  }
  const auto m = Parse(
      "---\ntitle: Front title\nconfig:\n  theme: dark\n---\n%%{init: {'theme':'forest'}}%%\n%% comment\n"
      "flowchart LR\n%% inside\nA-->B\nclick A callback\nlinkStyle 0 stroke:#f00\n"
      "subgraph one [Group]\n  direction TB\n  C --> D\nend\n");
  EXPECT_EQ(m->Title, "Front title");
  EXPECT_EQ(m->Direction, 1);
  EXPECT_EQ(EdgeList(*m), QStringList({"A>B", "C>D"}));
  // One info for the subgraph box; nothing else to say.
  ASSERT_EQ(m->Diagnostics.size(), 1u) << qPrintable(Describe(*m));
  EXPECT_EQ(m->Diagnostics[0].Severity, TORVDiagSeverity::Info);
  EXPECT_EQ(m->Diagnostics[0].Line, 13);
}
