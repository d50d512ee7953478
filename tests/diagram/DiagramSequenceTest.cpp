// Sequence diagrams in both grammars: participants, messages, notes and ignored lines.
#include <gtest/gtest.h>

#include "DiagramTestSupport.h"

using namespace DiagramTest;

namespace {
QStringList Names(const TPLNDiagramModel& m) {
  QStringList out;
  for (const auto& p : m.Participants) out << p.Name;
  return out;
}

struct TMessage {
  const char* from;
  const char* to;
  const char* text;
  int arrow;
  bool dashed;
};

// The model's events are exactly these messages, in order.
void ExpectMessages(const TPLNDiagramModel& m, std::initializer_list<TMessage> rows) {
  ASSERT_EQ(m.Events.size(), rows.size()) << qPrintable(Describe(m));
  size_t i = 0;
  for (const TMessage& row : rows) {
    const auto& e = m.Events[i];
    EXPECT_EQ(e.Kind, 0) << i;
    EXPECT_EQ(e.From, row.from) << i;
    EXPECT_EQ(e.To, row.to) << i;
    EXPECT_EQ(e.Text, row.text) << i;
    EXPECT_EQ(e.Arrow, row.arrow) << i;
    EXPECT_EQ(e.Dashed, row.dashed) << i;
    ++i;
  }
}
}  // namespace

TEST(DiagramSequence, MermaidMessages) {
  const auto m = Parse(
      "sequenceDiagram\nA->>B: fill\nA-->>B: fill dashed\nA->B: none\nA-->B: none dashed\nA-xB: cross\n"
      "A--xB: cross dashed\nA-)B: open\nA--)B: open dashed\nA->>+B: activate\nB-->>-A: back\nA->>B\n");
  ExpectMessages(*m, {
      {"A", "B", "fill", kSeqFill, false},  {"A", "B", "fill dashed", kSeqFill, true},
      {"A", "B", "none", kSeqNone, false},  {"A", "B", "none dashed", kSeqNone, true},
      {"A", "B", "cross", kSeqCross, false}, {"A", "B", "cross dashed", kSeqCross, true},
      {"A", "B", "open", kSeqOpen, false},  {"A", "B", "open dashed", kSeqOpen, true},
      {"A", "B", "activate", kSeqFill, false}, {"B", "A", "back", kSeqFill, true},
      {"A", "B", "", kSeqFill, false},
  });
  EXPECT_EQ(m->Kind, std::uint8_t(TORVDiagramKind::Sequence));
  EXPECT_TRUE(m->Diagnostics.empty()) << qPrintable(Describe(*m));
}

TEST(DiagramSequence, MermaidParticipantsNotesAndBlocks) {
  const auto m = Parse(
      "sequenceDiagram\ntitle: The title\nautonumber\nparticipant C\nZ->>C: first mention\n"
      "participant A as Alice\nactor B as Bob\nactor D\nactivate A\n"
      "Note right of A: r\nNote left of B: l\nnote over A: o\nNote over A,B: span\n"
      "loop every minute\n  A->>B: ping\nend\nalt yes\n  A->>B: y\nelse no\n  A->>B: n\nend\n"
      "opt never closed\nA->>B: in opt\nwhat is this\n");
  EXPECT_EQ(m->Title, "The title");
  EXPECT_EQ(Names(*m), QStringList({"C", "Z", "A", "B", "D"}));
  EXPECT_EQ(m->Participants[2].Label, "Alice");
  EXPECT_TRUE(m->Participants[3].Actor);
  EXPECT_EQ(m->Participants[3].Label, "Bob");
  EXPECT_FALSE(m->Participants[2].Actor);
  ASSERT_EQ(m->Events.size(), 9u) << qPrintable(Describe(*m));
  const struct { const char* placement; const char* from; const char* to; const char* text; } notes[] = {
      {"right of", "A", "", "r"}, {"left of", "B", "", "l"}, {"over", "A", "", "o"}, {"over", "A", "B", "span"}};
  for (int i = 0; i < 4; ++i) {
    const auto& e = m->Events[size_t(1 + i)];
    EXPECT_EQ(e.Kind, 1) << i;
    EXPECT_EQ(e.Placement, notes[i].placement) << i;
    EXPECT_EQ(e.From, notes[i].from) << i;
    EXPECT_EQ(e.To, notes[i].to) << i;
    EXPECT_EQ(e.Text, notes[i].text) << i;
  }
  EXPECT_EQ(m->Events[8].Text, "in opt");
  // The unclosed block is reported at its opening line, the unknown line at its own.
  EXPECT_TRUE(Has(*m, TORVDiagSeverity::Warning, 22, "unclosed")) << qPrintable(Describe(*m));
  EXPECT_TRUE(Has(*m, TORVDiagSeverity::Warning, 24, "unknown-statement"));
  EXPECT_EQ(m->Diagnostics.size(), 2u);
}

TEST(DiagramSequence, PlantUmlParticipantsAndMessages) {
  const auto m = Parse(
      "' leading comment\n@startuml\nskinparam sequence {\n  ArrowColor red\n}\n!theme plain\n"
      "/' block\ncomment '/\ntitle Plant\n"
      "participant \"Long Name\" as L\nactor Bob as B #red\nboundary Bd\ncontrol Ct\nentity En\n"
      "database Db\ncollections Co\nqueue Qu <<stereo>>\nparticipant Last as \"Display\"\n"
      "B -> L : hello\\nworld\nL --> B : back\nB ->> Db : open\nDb ->x Qu : lost\nB <- Qu : reversed\n"
      "B <-> L : both\nB -[#red]> L ++ : coloured\nB -> Co\n"
      "autonumber\nactivate B\n== Separator ==\n...\n... later ...\n|||\n||45||\n"
      "alt ok\n  B -> L : in alt\nelse\nend\ngroup g\nend\n@enduml\n");
  EXPECT_EQ(m->Kind, std::uint8_t(TORVDiagramKind::Sequence));
  EXPECT_EQ(m->Title, "Plant");
  EXPECT_EQ(Names(*m), QStringList({"L", "B", "Bd", "Ct", "En", "Db", "Co", "Qu", "Last"}));
  EXPECT_EQ(m->Participants[0].Label, "Long Name");
  EXPECT_EQ(m->Participants[1].Label, "Bob");
  EXPECT_TRUE(m->Participants[1].Actor);
  EXPECT_FALSE(m->Participants[2].Actor);
  EXPECT_EQ(m->Participants[8].Label, "Display");
  ExpectMessages(*m, {
      {"B", "L", "hello\nworld", kSeqFill, false}, {"L", "B", "back", kSeqFill, true},
      {"B", "Db", "open", kSeqOpen, false},        {"Db", "Qu", "lost", kSeqCross, false},
      {"Qu", "B", "reversed", kSeqFill, false},    {"B", "L", "both", kSeqFill, false},
      {"B", "L", "coloured", kSeqFill, false},     {"B", "Co", "", kSeqFill, false},
      {"B", "L", "in alt", kSeqFill, false},
  });
  EXPECT_TRUE(m->Diagnostics.empty()) << qPrintable(Describe(*m));
}

TEST(DiagramSequence, PlantUmlNotesAndProblems) {
  const auto m = Parse(
      "@startuml\nA -> B : m\nnote left of A : nl\nnote right of B : nr\nnote over A, B : both\n"
      "note over A\n  first\n  second\nend note\nnote right : after message\nnonsense here\n"
      "note left of B\nnever ended\n");
  ASSERT_EQ(m->Events.size(), 7u) << qPrintable(Describe(*m));
  const struct { const char* placement; const char* from; const char* to; const char* text; } notes[] = {
      {"left of", "A", "", "nl"},  {"right of", "B", "", "nr"}, {"over", "A", "B", "both"},
      {"over", "A", "", "first\nsecond"}, {"right of", "B", "", "after message"},
      {"left of", "B", "", "never ended"}};
  for (int i = 0; i < 6; ++i) {
    const auto& e = m->Events[size_t(1 + i)];
    EXPECT_EQ(e.Kind, 1) << i;
    EXPECT_EQ(e.Placement, notes[i].placement) << i;
    EXPECT_EQ(e.From, notes[i].from) << i;
    EXPECT_EQ(e.To, notes[i].to) << i;
    EXPECT_EQ(e.Text, notes[i].text) << i;
  }
  EXPECT_TRUE(Has(*m, TORVDiagSeverity::Warning, 11, "unknown-statement")) << qPrintable(Describe(*m));
  EXPECT_TRUE(Has(*m, TORVDiagSeverity::Warning, 12, "unclosed"));
  EXPECT_TRUE(Has(*m, TORVDiagSeverity::Warning, 1, "unclosed"));  // no @enduml
  EXPECT_EQ(m->Diagnostics.size(), 3u);

  // Class, state, use-case and activity statements are not a sequence.
  for (const char* body : {"class A\nA <|-- B", "state X\n[*] --> X", "actor U\nU --> (Login)",
                           "start\n:step;\nstop", "A *-- B"}) {
    const auto u = Parse(QString("@startuml\n") + body + "\n@enduml\n");
    EXPECT_EQ(CountCode(*u, "unsupported"), 1) << body << qPrintable(Describe(*u));
    EXPECT_TRUE(u->HasErrors()) << body;
    EXPECT_TRUE(u->Participants.empty() && u->Events.empty() && u->Nodes.empty()) << body;
  }
}
