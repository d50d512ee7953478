// Diagram models laid out as items: the layered flow layout in both directions, the two-sided
// tree, the sequence layout and the fishbone, plus the node font fitting.
#include "LayoutSupport.h"

#include <tuple>

using namespace LayoutTest;
using namespace Orv::Diagram;
using Orv::Fmx::TPLNArrowLine;
using Orv::Fmx::TPLNFactory;
using Orv::Fmx::TPLNFlow;
using Orv::Fmx::TPLNLink;
using Orv::Fmx::TPLNParagraph;
using Orv::Fmx::TPLNText;

namespace {

TORVDiagEdge Edge(const char* from, const char* to, const char* label = "") {
  TORVDiagEdge e;
  e.From = from;
  e.To = to;
  e.Label = label;
  return e;
}

// Nodes named by the edges, in order of first mention.
TPLNDiagramModel Graph(std::vector<TORVDiagEdge> edges, std::uint8_t direction = 0) {
  TPLNDiagramModel m;
  m.Direction = direction;
  for (const auto& e : edges) {
    m.EnsureNode(e.From);
    m.EnsureNode(e.To);
  }
  m.Edges = std::move(edges);
  return m;
}

const TPLNText* TextSaying(const TPlanoraFMX& doc, const QString& s) {
  for (auto* t : ItemsOf<TPLNText>(doc))
    if (t->GetText() == s) return t;
  return nullptr;
}

}  // namespace

TEST(DiagramLayout, TopToBottomLevelsBackEdgesAndLabels) {
  TPlanoraFMX doc;
  // A -> B, A -> C, B -> D, C -> D, D -> A (back), labelled and styled edges.
  auto m = Graph({Edge("A", "B", "yes"), Edge("A", "C"), Edge("B", "D"), Edge("C", "D"), Edge("D", "A", "again")});
  m.Edges[1].Dashed = true;
  m.Edges[1].ToArrow = kArrowCross;
  m.Edges[2].FromArrow = kArrowFillRhombus;
  m.Edges[2].ToArrow = 99;  // unknown: a filled arrow at the target
  m.Nodes[0].HasFill = true;
  m.Nodes[0].FillColor = 0xFF00FF00;
  m.Title = "Loop";
  TPLNFactory::DrawFlowDiagram(&doc, m);

  // A (the cycle's first node) on level 0, B and C on level 1 centred under it, D on 2.
  EXPECT_EQ(BoxOf(Named(doc, "A")), (TBox{37500, 20000, 40000, 18000}));
  EXPECT_EQ(BoxOf(Named(doc, "B")), (TBox{10000, 54000, 40000, 18000}));
  EXPECT_EQ(BoxOf(Named(doc, "C")), (TBox{65000, 54000, 40000, 18000}));
  EXPECT_EQ(BoxOf(Named(doc, "D")), (TBox{37500, 88000, 40000, 18000}));
  EXPECT_EQ(static_cast<const TPLNFlow*>(Named(doc, "A"))->GetBackColor(), 0xFF00FF00u);
  EXPECT_EQ(m.GetNodeInId("C"), Named(doc, "C")->GetID());

  const TPLNLink* ab = LinkBetween(doc, "A", "B");
  ASSERT_TRUE(ab);
  EXPECT_EQ(ab->GetFromIndex(), 11);
  EXPECT_EQ(ab->GetToIndex(), 3);
  EXPECT_EQ(ab->GetToType(), 4);
  EXPECT_EQ(ab->GetFromType(), 0);
  const TPLNLink* ac = LinkBetween(doc, "A", "C");
  ASSERT_TRUE(ac);
  EXPECT_EQ(ac->GetLineType(), 1);
  EXPECT_EQ(ac->GetToType(), 11);
  const TPLNLink* bd = LinkBetween(doc, "B", "D");
  ASSERT_TRUE(bd);
  EXPECT_EQ(bd->GetFromType(), 8);
  EXPECT_EQ(bd->GetToType(), 4);

  // The back edge detours 27.5 mm left of the leftmost of its two node centres.
  const TPLNLink* da = LinkBetween(doc, "D", "A");
  ASSERT_TRUE(da);
  EXPECT_EQ(da->GetLinkType(), Orv::F2d::TORVinkType::PolyLine);
  EXPECT_EQ(da->GetFromIndex(), 15);
  EXPECT_EQ(da->GetToIndex(), 15);
  ASSERT_EQ(da->GetNumLinkPoints(), 2);
  EXPECT_EQ(da->GetLinkPoint(1), (Orv::TORVPto{30000, 97000}));
  EXPECT_EQ(da->GetLinkPoint(2), (Orv::TORVPto{30000, 29000}));

  // Labels: centred at the middle of the centres, or of the detour for a back edge.
  const TPLNText* yes = TextSaying(doc, "yes");
  ASSERT_TRUE(yes);
  EXPECT_EQ(yes->GetPoint(1), (Orv::TORVPto{(57500 + 30000) / 2, (29000 + 63000) / 2}));
  EXPECT_EQ(yes->GetBaseFontHeight(), 4000);
  const TPLNText* again = TextSaying(doc, "again");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->GetPoint(1), (Orv::TORVPto{30000, (97000 + 29000) / 2}));
  ASSERT_TRUE(TextSaying(doc, "Loop"));
  EXPECT_TRUE(TextSaying(doc, "Loop")->GetBold());
  // Paper: the largest right and bottom edges plus 10 mm.
  EXPECT_DOUBLE_EQ(PaperW(doc), 115.0);
  EXPECT_DOUBLE_EQ(PaperH(doc), 116.0);
}

TEST(DiagramLayout, LeftToRightAndLabelSizes) {
  TPlanoraFMX doc;
  auto m = Graph({Edge("A", "B", "a very long label on a short edge"), Edge("B", "C"), Edge("C", "B"),
                  Edge("A", "A")},
                 1);
  TPLNFactory::DrawFlowDiagram(&doc, m);
  EXPECT_EQ(BoxOf(Named(doc, "A")), (TBox{10000, 10000, 40000, 18000}));
  EXPECT_EQ(BoxOf(Named(doc, "B")), (TBox{65000, 10000, 40000, 18000}));
  EXPECT_EQ(BoxOf(Named(doc, "C")), (TBox{120000, 10000, 40000, 18000}));
  const TPLNLink* ab = LinkBetween(doc, "A", "B");
  ASSERT_TRUE(ab);
  EXPECT_EQ(ab->GetFromIndex(), 7);
  EXPECT_EQ(ab->GetToIndex(), 15);
  // C -> B goes back a level: below both, through their centres' x.
  const TPLNLink* cb = LinkBetween(doc, "C", "B");
  ASSERT_TRUE(cb);
  ASSERT_EQ(cb->GetNumLinkPoints(), 2);
  EXPECT_EQ(cb->GetLinkPoint(1), (Orv::TORVPto{140000, 36000}));
  EXPECT_EQ(cb->GetLinkPoint(2), (Orv::TORVPto{85000, 36000}));
  EXPECT_EQ(cb->GetFromIndex(), 11);
  // A self-loop draws nothing.
  EXPECT_FALSE(LinkBetween(doc, "A", "A"));
  EXPECT_EQ(ItemsOf<TPLNLink>(doc).size(), 3u);
  // A long label on a short edge shrinks to the 2.5 mm floor.
  const TPLNText* label = TextSaying(doc, "a very long label on a short edge");
  ASSERT_TRUE(label);
  EXPECT_EQ(label->GetBaseFontHeight(), 2500);
  // No title: nodes start 10 mm down.
  EXPECT_DOUBLE_EQ(PaperW(doc), 170.0);
}

TEST(DiagramLayout, TwoSidedTree) {
  TPlanoraFMX doc;
  auto m = Graph({Edge("root", "r1"), Edge("root", "l1"), Edge("l1", "l2")}, 1);
  m.Kind = std::uint8_t(TORVDiagramKind::TwoSidedTree);
  m.Nodes[m.NodeIndexOf("l1")].Side = -1;
  m.Nodes[m.NodeIndexOf("l2")].Side = -1;
  m.Nodes[m.NodeIndexOf("r1")].Side = 1;
  TPLNFactory::DrawFlowDiagram(&doc, m);
  // Three levels: the root in the middle column, the left branch mirrored.
  EXPECT_EQ(BoxOf(Named(doc, "root")).X, 2 * 55000 + 10000);
  EXPECT_EQ(BoxOf(Named(doc, "r1")).X, 3 * 55000 + 10000);
  EXPECT_EQ(BoxOf(Named(doc, "l1")).X, 1 * 55000 + 10000);
  EXPECT_EQ(BoxOf(Named(doc, "l2")).X, 10000);
  const TPLNLink* left = LinkBetween(doc, "root", "l1");
  const TPLNLink* right = LinkBetween(doc, "root", "r1");
  ASSERT_TRUE(left && right);
  EXPECT_EQ(std::tuple(left->GetFromIndex(), left->GetToIndex(), right->GetFromIndex(), right->GetToIndex()),
            std::tuple(15, 7, 7, 15));
  EXPECT_EQ(right->GetLinkType(), Orv::F2d::TORVinkType::Curve);
}

TEST(DiagramLayout, Sequence) {
  TPlanoraFMX doc;
  TPLNDiagramModel m;
  m.Kind = std::uint8_t(TORVDiagramKind::Sequence);
  m.Title = "Login";
  m.EnsureParticipant("A");
  m.EnsureParticipant("B").Label = "Server";
  m.EnsureParticipant("C");
  auto message = [](const char* from, const char* to, const char* text, std::uint8_t arrow, bool dashed) {
    TORVSeqEvent e;
    e.From = from;
    e.To = to;
    e.Text = text;
    e.Arrow = arrow;
    e.Dashed = dashed;
    return e;
  };
  m.Events.push_back(message("A", "B", "hello", kSeqFill, false));
  m.Events.push_back(message("B", "B", "think", kSeqFill, false));  // to itself: skipped
  m.Events.push_back(message("C", "A", "reply", kSeqCross, true));
  TORVSeqEvent note;
  note.Kind = 1;
  note.From = "A";
  note.To = "C";
  note.Placement = "over";
  note.Text = "spans";
  m.Events.push_back(note);
  note.Placement = "left of";
  note.To.clear();
  m.Events.push_back(note);
  TPLNFactory::DrawSequenceDiagram(&doc, m);

  // Participants 77.5 mm apart from x = 27.5 mm; the rows 15 mm apart from 27.5 mm down.
  const auto arrows = ItemsOf<TPLNArrowLine>(doc);
  ASSERT_EQ(arrows.size(), 2u);
  EXPECT_EQ(arrows[0]->GetPoint(1), (Orv::TORVPto{27500, 27500}));
  EXPECT_EQ(arrows[0]->GetPoint(2), (Orv::TORVPto{105000, 27500}));
  EXPECT_EQ(std::pair(int(arrows[0]->ToType), int(arrows[0]->FromType)), std::pair(4, 0));
  // The skipped self message still took its row.
  EXPECT_EQ(arrows[1]->GetPoint(1), (Orv::TORVPto{182500, 57500}));
  EXPECT_EQ(arrows[1]->GetPoint(2), (Orv::TORVPto{27500, 57500}));
  EXPECT_EQ(std::pair(int(arrows[1]->ToType), int(arrows[1]->GetLineType())), std::pair(11, 1));

  // Head and foot boxes with the shown name; notes over the middle of two and to the left.
  int servers = 0;
  bool over = false, left = false;
  for (auto* p : ItemsOf<TPLNParagraph>(doc)) {
    if (p->GetText() == "Server") {
      ++servers;
      EXPECT_EQ(BoxOf(p).X, 105000 - 17500);
    }
    if (p->GetText() == "spans" && BoxOf(p) == TBox{(27500 + 182500) / 2 - 20000, 72500 - 5000, 40000, 15000}) over = true;
    if (p->GetText() == "spans" && BoxOf(p) == TBox{27500 - 59500, 87500 - 5000, 40000, 15000}) left = true;
  }
  EXPECT_EQ(servers, 2);
  EXPECT_TRUE(over && left);
  // Five events: B = 5 x 15 + 42.5 mm; the page is 210 mm wide.
  EXPECT_DOUBLE_EQ(PaperW(doc), 210.0);
  EXPECT_DOUBLE_EQ(PaperH(doc), 127.5);

  // One participant stands at 27.5 mm on the same 210 mm page.
  TPLNDiagramModel one;
  one.Kind = std::uint8_t(TORVDiagramKind::Sequence);
  one.EnsureParticipant("Solo");
  TPlanoraFMX doc2;
  TPLNFactory::DrawSequenceDiagram(&doc2, one);
  ASSERT_FALSE(ItemsOf<Orv::Fmx::TPLNLine>(doc2).empty());
  EXPECT_EQ(ItemsOf<Orv::Fmx::TPLNLine>(doc2)[0]->GetPoint(1).X, 27500);
  EXPECT_DOUBLE_EQ(PaperW(doc2), 210.0);
}

TEST(DiagramLayout, Fishbone) {
  TPlanoraFMX doc;
  // Effect E with causes M1 (above) and M2 (below); M1 has two sub-causes.
  auto m = Graph({Edge("E", "M1"), Edge("E", "M2"), Edge("M1", "S1"), Edge("M1", "S2")});
  m.Kind = std::uint8_t(TORVDiagramKind::Ishikawa);
  m.Nodes[m.NodeIndexOf("M1")].Side = -1;
  m.Nodes[m.NodeIndexOf("S1")].Side = -1;
  m.Nodes[m.NodeIndexOf("S2")].Side = -1;
  m.Nodes[m.NodeIndexOf("M2")].Side = 1;
  TPLNFactory::DrawIshikawaDiagram(&doc, m);
  // R = 2 (two sub-causes on bone 0, depth 2), D = 2, N = 2: S = 200 mm, spine at
  // 10 + 5 x 26 = 140 mm, head at 210 mm.
  const std::int64_t spine = 140000, head = 210000;
  const auto spines = ItemsOf<TPLNArrowLine>(doc);
  ASSERT_EQ(spines.size(), 1u);
  EXPECT_EQ(spines[0]->GetPoint(1), (Orv::TORVPto{10000, spine}));
  EXPECT_EQ(spines[0]->GetPoint(2), (Orv::TORVPto{head, spine}));
  EXPECT_EQ(BoxOf(Named(doc, "E")), (TBox{head, spine - 8000, 38000, 16000}));
  // Bones 0 and 1 share x = 110 mm (less 69 mm): M1 above, M2 below.
  EXPECT_EQ(BoxOf(Named(doc, "M1")), (TBox{41000, spine - 8000 - 52000, 38000, 16000}));
  EXPECT_EQ(BoxOf(Named(doc, "M2")), (TBox{41000, spine - 8000 + 52000, 38000, 16000}));
  // Two sub-causes spread 25 mm either side.
  EXPECT_EQ(BoxOf(Named(doc, "S1")).X, 41000 - 25000);
  EXPECT_EQ(BoxOf(Named(doc, "S2")).X, 41000 + 25000);
  EXPECT_EQ(BoxOf(Named(doc, "S1")).Y, spine - 8000 - 78000);

  // Causes link to their effect: a main bone bends onto the spine at its bone x.
  const TPLNLink* m1 = LinkBetween(doc, "M1", "E");
  ASSERT_TRUE(m1);
  EXPECT_EQ(m1->GetFromIndex(), 11);
  EXPECT_EQ(m1->GetToIndex(), 15);
  ASSERT_EQ(m1->GetNumLinkPoints(), 1);
  EXPECT_EQ(m1->GetLinkPoint(1), (Orv::TORVPto{110000, spine}));
  EXPECT_EQ(m1->GetToType(), 0);
  const TPLNLink* m2 = LinkBetween(doc, "M2", "E");
  ASSERT_TRUE(m2);
  EXPECT_EQ(m2->GetFromIndex(), 3);
  // A sub-cause bends between its box and its effect's, at 1/2 of the way (first of one).
  const TPLNLink* s1 = LinkBetween(doc, "S1", "M1");
  ASSERT_TRUE(s1);
  ASSERT_EQ(s1->GetNumLinkPoints(), 2);
  const std::int64_t upperBottom = spine - 8000 - 78000 + 16000, lower = spine - 8000 - 52000;
  EXPECT_EQ(s1->GetLinkPoint(1), (Orv::TORVPto{16000 + 19000, upperBottom + (lower - upperBottom) / 2}));
  EXPECT_EQ(s1->GetToIndex(), 3);
}

TEST(DiagramLayout, NodeFontFitsItsBox) {
  using Orv::TORVFlowType;
  EXPECT_EQ(TPLNFactory::NodeFontHeight("", TORVFlowType::Process), 4000);
  EXPECT_EQ(TPLNFactory::NodeFontHeight("Start", TORVFlowType::Process), 4000);
  // 34 mm wide at 4 mm (2.08 mm a character): 16 characters a line, two lines of 5 mm fit 13.5.
  EXPECT_EQ(TPLNFactory::NodeFontHeight("sixteen chars ok and more", TORVFlowType::Process), 4000);
  // Three lines need a smaller font, and a diamond's smaller box smaller still.
  const std::int64_t three = TPLNFactory::NodeFontHeight("one two three four five six seven eight nine", TORVFlowType::Process);
  EXPECT_LT(three, 4000);
  EXPECT_GT(three, 1500);
  EXPECT_EQ(three % 250, 0);
  EXPECT_LT(TPLNFactory::NodeFontHeight("one two three four five six seven eight nine", TORVFlowType::Decision), three);
  // A word that fits no line even at the smallest size gets the floor.
  EXPECT_EQ(TPLNFactory::NodeFontHeight(QString(60, QLatin1Char('w')), TORVFlowType::Process), 1500);
}

TEST(DiagramLayout, TooLargeForAPageChangesNothing) {
  TPlanoraFMX doc;
  ASSERT_TRUE(TPLNFactory::LoadMermaid(&doc, "flowchart TD\nA --> B\n"));
  const QByteArray before = doc.ToJsonText();

  // 2,000 boxes side by side make a row 110 m long.
  QString wide = "flowchart TD\n";
  for (int i = 0; i < 2000; ++i) wide += QStringLiteral("R --> C%1\n").arg(i);
  std::vector<TORVDiagDiagnostic> diagnostics;
  EXPECT_FALSE(TPLNFactory::LoadDiagram(&doc, wide, TORVDiagramFormat::Auto, false, &diagnostics));
  ASSERT_FALSE(diagnostics.empty());
  EXPECT_EQ(diagnostics.back().Code, "too-large");
  EXPECT_EQ(doc.ToJsonText(), before);

  // A Gantt task of 20,000 days is 200 m of bar.
  diagnostics.clear();
  EXPECT_FALSE(TPLNFactory::LoadGantt(&doc, "gantt\nLong :a, 2024-01-01, 20000d\n", true, &diagnostics));
  ASSERT_FALSE(diagnostics.empty());
  EXPECT_EQ(diagnostics.back().Code, "too-large");
  EXPECT_EQ(doc.ToJsonText(), before);

  // 10,000 messages run 150 m down the page.
  TPLNDiagramModel seq;
  seq.Kind = std::uint8_t(TORVDiagramKind::Sequence);
  seq.EnsureParticipant("A");
  seq.Events.resize(10000);
  EXPECT_FALSE(TPLNFactory::DrawSequenceDiagram(&doc, seq));
  EXPECT_EQ(doc.ToJsonText(), before);

  // The core reaches the layouts through the loader the factory registers.
  ASSERT_NE(DiagramLoader(), nullptr);
  EXPECT_TRUE(DiagramLoader()(&doc, "sequenceDiagram\nA->>B: hi\n", TORVDiagramFormat::Auto));
  EXPECT_EQ(ItemsOf<TPLNArrowLine>(doc).size(), 1u);
}
