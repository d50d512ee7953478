// Trees: Mermaid mind maps and fishbones, PlantUML mind maps and work breakdowns.
#include <gtest/gtest.h>

#include <QSet>

#include "DiagramTestSupport.h"

using namespace DiagramTest;
using F = Orv::TORVFlowType;

namespace {
// "text:side" per node, in order.
QStringList Sides(const TPLNDiagramModel& m) {
  QStringList out;
  for (const auto& n : m.Nodes) out << n.Text + ":" + QString::number(n.Side);
  return out;
}
// The parent's text for each edge's child: "parent>child".
QStringList TextEdges(const TPLNDiagramModel& m) {
  QStringList out;
  for (const auto& e : m.Edges) out << Node(m, e.From)->Text + ">" + Node(m, e.To)->Text;
  return out;
}
}  // namespace

TEST(DiagramTree, MermaidMindmapShapesSidesAndIds) {
  const auto m = Parse(
      "mindmap\n  root((Root))\n    A[One]\n      A1\n    B(Two)\n    C))Bang((\n    ::icon(fa fa-book)\n"
      "    D)Cloud(\n    E{{Hex}}\n      E1\n      :::urgent\n    n1[Written]\n");
  EXPECT_EQ(m->Kind, std::uint8_t(TORVDiagramKind::TwoSidedTree));
  EXPECT_EQ(m->Direction, 1);
  // Six children of the root: the first three right (+1), the rest left; descendants follow.
  EXPECT_EQ(Sides(*m), QStringList({"Root:0", "One:1", "A1:1", "Two:1", "Bang:1", "Cloud:-1", "Hex:-1",
                                    "E1:-1", "Written:-1"}))
      << qPrintable(Describe(*m));
  EXPECT_EQ(TextEdges(*m), QStringList({"Root>One", "One>A1", "Root>Two", "Root>Bang", "Root>Cloud",
                                        "Root>Hex", "Hex>E1", "Root>Written"}));
  EXPECT_EQ(Node(*m, "root")->Shape, F::Ellipse);
  EXPECT_EQ(Node(*m, "B")->Shape, F::Terminator);
  EXPECT_EQ(Node(*m, "E")->Shape, F::Preparation);
  EXPECT_EQ(Node(*m, "A")->Shape, F::Process);
  // A written id is kept; generated ids never take it.
  EXPECT_EQ(Node(*m, "n1")->Text, "Written");
  QSet<QString> ids;
  for (const auto& n : m->Nodes) ids.insert(n.ID);
  EXPECT_EQ(ids.size(), qsizetype(m->Nodes.size()));
  for (const auto& e : m->Edges) EXPECT_EQ(e.ToArrow, kArrowNone);
  EXPECT_TRUE(m->Diagnostics.empty()) << qPrintable(Describe(*m));

  // An odd count puts the extra branch on the right.
  const auto odd = Parse("mindmap\nR\n  a\n  b\n  c\n");
  EXPECT_EQ(Sides(*odd), QStringList({"R:0", "a:1", "b:1", "c:-1"}));
  // Every further root is reported and hangs below the first.
  const auto roots = Parse("mindmap\nR\n  a\nX\nY\n");
  EXPECT_EQ(TextEdges(*roots), QStringList({"R>a", "R>X", "R>Y"}));
  EXPECT_TRUE(Has(*roots, TORVDiagSeverity::Warning, 4, "multiple-roots"));
  EXPECT_TRUE(Has(*roots, TORVDiagSeverity::Warning, 5, "multiple-roots"));
}

TEST(DiagramTree, FishboneSidesAndEdges) {
  const auto m = Parse(
      "fishbone\ntitle Why late\nLate delivery\n  People\n    Training\n      Old course\n  Machines\n"
      "  Methods\n    Paper forms\n  Materials\n");
  EXPECT_EQ(m->Kind, std::uint8_t(TORVDiagramKind::Ishikawa));
  EXPECT_EQ(m->Title, "Why late");
  EXPECT_EQ(Sides(*m), QStringList({"Late delivery:0", "People:-1", "Training:-1", "Old course:-1",
                                    "Machines:1", "Methods:-1", "Paper forms:-1", "Materials:1"}))
      << qPrintable(Describe(*m));
  // From is the effect, To its cause.
  EXPECT_EQ(TextEdges(*m), QStringList({"Late delivery>People", "People>Training", "Training>Old course",
                                        "Late delivery>Machines", "Late delivery>Methods",
                                        "Methods>Paper forms", "Late delivery>Materials"}));
  // Causes written at the effect's own indentation are still its bones.
  const auto flat = Parse("ishikawa\nEffect\nA\nB\n  B1\n");
  EXPECT_EQ(TextEdges(*flat), QStringList({"Effect>A", "Effect>B", "B>B1"}));
  EXPECT_TRUE(flat->Diagnostics.empty());
  EXPECT_TRUE(Has(*Parse("ishikawa\n%% nothing\n"), TORVDiagSeverity::Error, 1, "empty"));
}

TEST(DiagramTree, PlantUmlMindmap) {
  const auto m = Parse(
      "@startmindmap\ntitle Mind\n* Root\n** [#Orange] Right one\n***_ boxless\n**[#00ff00] Right two\n"
      "left side\n** Left one\n*** Left child\n-- minus\n++ plus\n**:multi\nline text;\n"
      "** badcolour [#zzz]\n**[#nosuchcolour] x\n@endmindmap\n");
  EXPECT_EQ(m->Kind, std::uint8_t(TORVDiagramKind::TwoSidedTree));
  EXPECT_EQ(m->Direction, 1);
  EXPECT_EQ(m->Title, "Mind");
  EXPECT_EQ(Sides(*m), QStringList({"Root:0", "Right one:1", "boxless:1", "Right two:1", "Left one:-1",
                                    "Left child:-1", "minus:-1", "plus:1", "multi\nline text:-1",
                                    "badcolour [#zzz]:-1", "x:-1"}))
      << qPrintable(Describe(*m));
  EXPECT_EQ(TextEdges(*m).mid(0, 3), QStringList({"Root>Right one", "Right one>boxless", "Root>Right two"}));
  EXPECT_TRUE(m->Nodes[1].HasFill);
  EXPECT_EQ(m->Nodes[1].FillColor, 0xFFFFA500u);
  EXPECT_EQ(m->Nodes[3].FillColor, 0xFF00FF00u);
  EXPECT_FALSE(m->Nodes[2].HasFill);
  EXPECT_TRUE(Has(*m, TORVDiagSeverity::Warning, 15, "unknown-color")) << qPrintable(Describe(*m));
  EXPECT_EQ(m->Diagnostics.size(), 1u);
}

TEST(DiagramTree, PlantUmlWbs) {
  const auto m = Parse("@startwbs\n* Project\n** Phase 1\n*** Task A\n*** Task B\n** Phase 2\n+ odd root\n@endwbs\n");
  EXPECT_EQ(m->Kind, std::uint8_t(TORVDiagramKind::Graph));
  EXPECT_EQ(m->Direction, 0);
  EXPECT_EQ(TextEdges(*m), QStringList({"Project>Phase 1", "Phase 1>Task A", "Phase 1>Task B",
                                        "Project>Phase 2", "Project>odd root"}));
  for (const auto& e : m->Edges) {
    EXPECT_EQ(e.ToArrow, kArrowNone);
    EXPECT_EQ(e.FromArrow, kArrowNone);
  }
  for (const auto& n : m->Nodes) EXPECT_EQ(n.Side, 0);
  EXPECT_TRUE(Has(*m, TORVDiagSeverity::Warning, 7, "multiple-roots"));
}
