// Hostile input: huge texts, one huge line, deep nesting and random bytes. Each returns with
// diagnostics and within the limits.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "DiagramTestSupport.h"

using namespace DiagramTest;

namespace {
constexpr qsizetype kFiveMB = 5 * 1024 * 1024;
}

TEST(DiagramRobustness, HugeTextsStopAtTheLimits) {
  QString flow = "flowchart TD\n";
  int n = 0;
  for (; flow.size() < kFiveMB; ++n) flow += QString("N%1[Node %1] -->|l| N%2\n").arg(n).arg(n + 1);
  const auto f = Parse(flow);
  EXPECT_EQ(f->Nodes.size(), 100000u);
  EXPECT_EQ(f->Edges.size(), 99999u);  // edges to dropped nodes go too
  EXPECT_EQ(CountCode(*f, "too-many-nodes"), 1);
  EXPECT_TRUE(f->HasErrors());
  EXPECT_EQ(f->Nodes.back().ID, "N99999");
  EXPECT_EQ(f->NodeIndexOf("N99999"), 99999);

  QString seq = "sequenceDiagram\n";
  n = 0;
  for (; seq.size() < kFiveMB; ++n) seq += QString("P%1->>P%2: message %3\n").arg(n % 50).arg((n + 1) % 50).arg(n);
  const auto s = Parse(seq);
  EXPECT_EQ(s->Participants.size(), 50u);
  EXPECT_EQ(s->Events.size(), 200000u);
  EXPECT_EQ(CountCode(*s, "too-many-edges"), 1);

  // All pairs of two large groups stop at the edge limit.
  QStringList left, right;
  for (int i = 0; i < 1000; ++i) left << QString("a%1").arg(i), right << QString("b%1").arg(i);
  const auto g = Parse("flowchart TD\n" + left.join(" & ") + " --> " + right.join(" & ") + "\n");
  EXPECT_EQ(g->Edges.size(), 200000u);
  EXPECT_EQ(CountCode(*g, "too-many-edges"), 1);
}

TEST(DiagramRobustness, OneHugeLineIsSkipped) {
  const QString line(kFiveMB, QLatin1Char('['));
  for (const QString& head : {QString("flowchart TD\n"), QString("@startuml\n"), QString("mindmap\nroot\n")}) {
    const auto m = Parse(head + line + "\nA -> B\n");
    const int lineNo = int(head.count('\n')) + 1;
    EXPECT_TRUE(Has(*m, TORVDiagSeverity::Error, lineNo, "line-too-long")) << qPrintable(head);
  }
  // The lines around it are still read, numbered as written.
  const auto m = Parse("flowchart TD\nA-->B\n" + line + "\nB-->C\n]]\n");
  EXPECT_EQ(EdgeList(*m), QStringList({"A>B", "B>C"}));
  EXPECT_TRUE(Has(*m, TORVDiagSeverity::Warning, 5, "unknown-statement"));
}

TEST(DiagramRobustness, DeepNestingIsCut) {
  QString mind = "mindmap\n", fish = "fishbone\nHead\n", plant = "@startmindmap\n", wbs = "@startwbs\n";
  for (int i = 0; i < 10000; ++i) {
    mind += QString(i, ' ') + QString("n%1\n").arg(i);
    fish += QString(i + 1, '\t') + QString("c%1\n").arg(i);
    plant += QString(i + 1, '*') + QString(" p%1\n").arg(i);
    wbs += QString(i + 1, '+') + QString(" w%1\n").arg(i);
  }
  for (const QString* text : {&mind, &fish, &plant, &wbs}) {
    const auto m = Parse(*text);
    // The root plus 64 levels below it; one warning for the run of dropped lines.
    EXPECT_EQ(m->Nodes.size(), 65u);
    EXPECT_EQ(m->Edges.size(), 64u);
    EXPECT_EQ(CountCode(*m, "too-deep"), 1) << qPrintable(text->left(20));
  }
  // Ten thousand open blocks: bounded diagnostics, nothing lost before them.
  const auto sub = Parse("flowchart TD\n" + QString("subgraph s\n").repeated(10000) + "A-->B\n");
  EXPECT_EQ(sub->Edges.size(), 1u);
  EXPECT_EQ(int(sub->Diagnostics.size()), TPLNDiagramModel::kMaxDiagnostics + 1);
  const auto loops = Parse("sequenceDiagram\n" + QString("loop x\n").repeated(10000) + "A->>B: x\n");
  EXPECT_EQ(loops->Events.size(), 1u);
}

TEST(DiagramRobustness, RandomBytesReturnWithDiagnostics) {
  QByteArray bytes(1 << 20, '\0');
  QRandomGenerator rng(42);
  for (char& c : bytes) c = char(rng.bounded(256));
  for (const char* prefix : {"", "flowchart TD\n", "sequenceDiagram\n", "mindmap\n", "fishbone\n",
                             "stateDiagram\n", "classDiagram\n", "erDiagram\n", "@startuml\n",
                             "@startmindmap\n", "@startwbs\n"}) {
    for (const QString& text : {QString(prefix) + QString::fromLatin1(bytes), QString(prefix) + QString::fromUtf8(bytes)}) {
      const auto m = Parse(text);
      // Any line is a valid cause of a fishbone, so junk there may read cleanly.
      if (QString(prefix) != "fishbone\n") EXPECT_FALSE(m->Diagnostics.empty()) << prefix;
      else EXPECT_FALSE(m->Nodes.empty());
      EXPECT_LE(int(m->Diagnostics.size()), TPLNDiagramModel::kMaxDiagnostics + 1) << prefix;
      for (const auto& e : m->Edges) {
        EXPECT_GE(m->NodeIndexOf(e.From), 0) << prefix;
        EXPECT_GE(m->NodeIndexOf(e.To), 0) << prefix;
      }
      for (const auto& e : m->Events) EXPECT_GE(m->ParticipantIndexOf(e.From), 0) << prefix;
    }
  }
  // Same text, same model.
  const QString text = "flowchart TD\n" + QString::fromLatin1(bytes.left(50000));
  EXPECT_EQ(Describe(*Parse(text)), Describe(*Parse(text)));
}
