// Format detection, degraded and unsupported kinds, strict mode, diagnostics and the model.
#include <gtest/gtest.h>

#include "DiagramTestSupport.h"

using namespace DiagramTest;
using F = Orv::TORVFlowType;

TEST(DiagramGeneral, DegradedKindsWarnOnce) {
  const auto s = Parse(
      "stateDiagram-v2\ndirection LR\n[*] --> Still\nstate \"Moving fast\" as Moving\nStill --> Moving : push\n"
      "Moving --> [*]\nstate Pick <<choice>>\nStill : Standing\nstate Comp {\n  [*] --> Inner\n}\n"
      "note right of Still : ignored\nnote left of Moving\n  ignored too\nend note\n");
  ASSERT_EQ(CountCode(*s, "degraded"), 1) << qPrintable(Describe(*s));
  EXPECT_TRUE(Has(*s, TORVDiagSeverity::Warning, 1, "degraded"));
  EXPECT_EQ(s->Diagnostics.size(), 1u) << qPrintable(Describe(*s));
  EXPECT_EQ(s->Direction, 1);
  EXPECT_EQ(EdgeList(*s), QStringList({"[*]start>Still", "Still>Moving|push", "Moving>[*]end",
                                       "[*]start:Comp>Inner"}));
  EXPECT_EQ(Node(*s, "[*]start")->Shape, F::Start);
  EXPECT_EQ(Node(*s, "[*]end")->Shape, F::End);
  EXPECT_EQ(Node(*s, "Moving")->Text, "Moving fast");
  EXPECT_EQ(Node(*s, "Still")->Text, "Standing");
  EXPECT_EQ(Node(*s, "Pick")->Shape, F::Decision);

  const auto c = Parse(
      "classDiagram\nclass Animal {\n  +int age\n  +isMammal()\n}\nclass Duck~T~\nclass Zebra[\"Striped\"]\n"
      "Animal <|-- Duck\nAnimal *-- Leg : has\nAnimal o-- Owner\nDuck --> Pond\nDuck ..> Water\n"
      "Duck ..|> Swimmer\nDuck -- Friend\nAnimal \"1\" --> \"*\" Food : eats\nAnimal : +String name\n"
      "<<interface>> Swimmer\n");
  EXPECT_EQ(CountCode(*c, "degraded"), 1);
  EXPECT_EQ(c->Diagnostics.size(), 1u) << qPrintable(Describe(*c));
  EXPECT_EQ(EdgeList(*c), QStringList({"Animal>Duck", "Animal>Leg|has", "Animal>Owner", "Duck>Pond",
                                       "Duck>Water", "Duck>Swimmer", "Duck>Friend", "Animal>Food|eats"}));
  const struct { int from, to; bool dashed; } arrows[] = {
      {kArrowFill, kArrowNone, false}, {kArrowFillRhombus, kArrowNone, false}, {kArrowRhombus, kArrowNone, false},
      {kArrowNone, kArrowFill, false}, {kArrowNone, kArrowFill, true},         {kArrowNone, kArrowFill, true},
      {kArrowNone, kArrowNone, false}, {kArrowNone, kArrowFill, false}};
  for (size_t i = 0; i < std::size(arrows) && i < c->Edges.size(); ++i) {
    EXPECT_EQ(c->Edges[i].FromArrow, arrows[i].from) << i;
    EXPECT_EQ(c->Edges[i].ToArrow, arrows[i].to) << i;
    EXPECT_EQ(c->Edges[i].Dashed, arrows[i].dashed) << i;
  }
  EXPECT_EQ(Node(*c, "Duck")->Text, "Duck");
  EXPECT_EQ(Node(*c, "Zebra")->Text, "Striped");

  const auto e = Parse(
      "erDiagram\nCUSTOMER ||--o{ ORDER : places\nORDER ||--|{ LINE-ITEM : contains\n"
      "CUSTOMER }|..|{ ADDRESS : \"uses\"\nCUSTOMER {\n  string name\n}\nPRODUCT\n");
  EXPECT_EQ(CountCode(*e, "degraded"), 1);
  EXPECT_EQ(e->Diagnostics.size(), 1u) << qPrintable(Describe(*e));
  EXPECT_EQ(EdgeList(*e), QStringList({"CUSTOMER>ORDER|places", "ORDER>LINE-ITEM|contains", "CUSTOMER>ADDRESS|uses"}));
  for (const auto& edge : e->Edges) {
    EXPECT_EQ(edge.FromArrow, kArrowNone);
    EXPECT_EQ(edge.ToArrow, kArrowNone);
  }
  EXPECT_TRUE(e->Edges[2].Dashed);
  EXPECT_NE(Node(*e, "PRODUCT"), nullptr);
}

TEST(DiagramGeneral, UnsupportedEmptyAndGantt) {
  const struct { const char* text; const char* code; int line; } rows[] = {
      {"pie title Pets\n\"Dogs\" : 3\n", "unsupported", 1},
      {"journey\ntitle x\n", "unsupported", 1},
      {"\n\nwhatever this is\nA-->B\n", "unsupported", 3},
      {"", "empty", 0},
      {"   \n\t\n", "empty", 0},
      {"%% only a comment\n", "empty", 0},
      {"@startsalt\n{}\n@endsalt\n", "unsupported", 1},
  };
  for (const auto& r : rows) {
    const auto m = Parse(r.text);
    EXPECT_TRUE(Has(*m, TORVDiagSeverity::Error, r.line, r.code)) << r.text << qPrintable(Describe(*m));
    EXPECT_TRUE(m->Nodes.empty() && m->Edges.empty() && m->Participants.empty()) << r.text;
  }
  // The error names what was seen.
  EXPECT_TRUE(Parse("pie\n")->Diagnostics[0].Message.contains("pie"));
  // Explicit formats: Mermaid text read as PlantUML, and the reverse, are errors.
  EXPECT_TRUE(Has(*Parse("graph TD\nA-->B\n", false, TORVDiagramFormat::PlantUML), TORVDiagSeverity::Error, 1,
                  "unsupported"));
  EXPECT_TRUE(Has(*Parse("@startuml\nA -> B\n@enduml\n", false, TORVDiagramFormat::Mermaid),
                  TORVDiagSeverity::Error, 1, "unsupported"));

  for (const char* gantt : {"gantt\ntitle x\nTask :a1, 2024-01-01, 3d\n", "%% c\n\nGANTT\n",
                            "@startgantt\n[T] lasts 3 days\n@endgantt\n"}) {
    EXPECT_TRUE(IsGanttText(gantt)) << gantt;
    const auto m = Parse(gantt);
    ASSERT_EQ(m->Diagnostics.size(), 1u) << gantt;
    EXPECT_EQ(m->Diagnostics[0].Severity, TORVDiagSeverity::Info);
    EXPECT_EQ(m->Diagnostics[0].Code, "gantt");
    EXPECT_TRUE(m->Nodes.empty());
  }
  for (const char* other : {"graph TD\ngantt-->B\n", "ganttish\n", "@startuml\n@enduml\n", ""})
    EXPECT_FALSE(IsGanttText(other)) << other;
}

TEST(DiagramGeneral, StrictTurnsWarningsIntoErrorsAndEmptiesTheModel) {
  const QString text = "flowchart TD\nA-->B\nthis is not a statement ]]\n";
  const auto loose = Parse(text);
  EXPECT_EQ(loose->Nodes.size(), 2u);
  EXPECT_FALSE(loose->HasErrors());
  const auto strict = Parse(text, true);
  EXPECT_TRUE(strict->HasErrors());
  EXPECT_TRUE(Has(*strict, TORVDiagSeverity::Error, 3, "unknown-statement"));
  EXPECT_TRUE(strict->Nodes.empty());
  EXPECT_TRUE(strict->Edges.empty());
  EXPECT_EQ(strict->NodeIndexOf("A"), -1);  // the index goes with the nodes
  EXPECT_EQ(strict->Kind, loose->Kind);

  const auto seq = Parse("sequenceDiagram\nA->>B: hi\nloop open\n", true);
  EXPECT_TRUE(seq->Participants.empty() && seq->Events.empty());
  EXPECT_EQ(seq->ParticipantIndexOf("A"), -1);

  // Infos stay infos; a clean text keeps everything under strict.
  const auto clean = Parse("flowchart TD\nsubgraph s\nA-->B\nend\n", true);
  EXPECT_FALSE(clean->HasErrors());
  EXPECT_EQ(clean->Edges.size(), 1u);
  ASSERT_EQ(clean->Diagnostics.size(), 1u);
  EXPECT_EQ(clean->Diagnostics[0].Severity, TORVDiagSeverity::Info);
}

TEST(DiagramGeneral, DiagnosticLinesAndSources) {
  // Line numbers count every line, blank, comment or CRLF-terminated.
  const auto m = Parse("flowchart TD\r\n\r\n%% c\r\nA-->B\r\n  bad ]] line  \r\nsubgraph open\r\nC\r\n");
  EXPECT_TRUE(Has(*m, TORVDiagSeverity::Warning, 5, "unknown-statement")) << qPrintable(Describe(*m));
  EXPECT_TRUE(Has(*m, TORVDiagSeverity::Warning, 6, "unclosed"));
  for (const auto& d : m->Diagnostics) {
    if (d.Code == "unknown-statement") {
      EXPECT_EQ(d.Source, "bad ]] line");
    }
  }
  // A lone CR ends a line too.
  EXPECT_TRUE(Has(*Parse("flowchart TD\rA-->B\r]]\r"), TORVDiagSeverity::Warning, 3, "unknown-statement"));
  // Unclosed subgraph, end without a block.
  const auto s = Parse("flowchart TD\nend\n");
  EXPECT_TRUE(Has(*s, TORVDiagSeverity::Warning, 2, "unknown-statement"));
}

TEST(DiagramGeneral, ModelIndexesReportCapAndLoader) {
  TPLNDiagramModel m;
  EXPECT_EQ(m.NodeIndexOf("a"), -1);
  m.EnsureNode("a").Text = "first";
  m.EnsureNode("b");
  EXPECT_EQ(m.EnsureNode("a").Text, "first");  // not appended twice
  EXPECT_EQ(m.Nodes.size(), 2u);
  EXPECT_EQ(m.NodeIndexOf("b"), 1);
  EXPECT_EQ(m.Nodes[1].Text, "b");
  EXPECT_EQ(m.NodeIndexOf("A"), -1);
  m.EnsureParticipant("p");
  m.EnsureParticipant("q");
  m.EnsureParticipant("p");
  EXPECT_EQ(m.Participants.size(), 2u);
  EXPECT_EQ(m.ParticipantIndexOf("q"), 1);
  EXPECT_EQ(m.GetNodeInId("a"), 0);
  m.SetNodeInId("a", 42);
  EXPECT_EQ(m.GetNodeInId("a"), 42);
  EXPECT_EQ(m.GetNodeInId("b"), 0);

  EXPECT_FALSE(m.HasErrors());
  for (int i = 0; i < TPLNDiagramModel::kMaxDiagnostics + 50; ++i)
    m.Report(i == TPLNDiagramModel::kMaxDiagnostics + 10 ? TORVDiagSeverity::Error : TORVDiagSeverity::Info, i + 1,
             "x", "m");
  ASSERT_EQ(int(m.Diagnostics.size()), TPLNDiagramModel::kMaxDiagnostics + 1);
  EXPECT_EQ(m.Diagnostics.back().Code, "too-many-diagnostics");
  // A dropped error still shows: the summary takes the worst severity it stands for.
  EXPECT_TRUE(m.HasErrors());

  EXPECT_EQ(SeverityName(TORVDiagSeverity::Info), "info");
  EXPECT_EQ(SeverityName(TORVDiagSeverity::Warning), "warning");
  EXPECT_EQ(SeverityName(TORVDiagSeverity::Error), "error");

  const TORVDiagramLoader before = DiagramLoader();
  TORVDiagramLoader loader = [](Orv::TPLNBaseLabel*, const QString& text, TORVDiagramFormat) { return !text.isEmpty(); };
  SetDiagramLoader(loader);
  EXPECT_EQ(DiagramLoader(), loader);
  EXPECT_TRUE(DiagramLoader()(nullptr, "x", TORVDiagramFormat::Auto));
  SetDiagramLoader(before);
}
