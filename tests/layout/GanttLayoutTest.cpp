// Gantt charts laid out from text: bars on a day scale, the title, colours, completion, the
// paper, dependency arrows, and a document left alone when the text holds no task.
#include "LayoutSupport.h"

using namespace LayoutTest;
using Orv::Fmx::TPLNFactory;
using Orv::Fmx::TPLNParagraph;
using Orv::Fmx::TPLNText;

TEST(GanttLayout, BarsOnADayScale) {
  TPlanoraFMX doc;
  const QString text =
      "@startgantt\n"
      "title Launch\n"
      "Project starts 2024-03-04\n"
      "[Design] lasts 3 days\n"
      "[Build] lasts 2 weeks\n"
      "[Build] starts at [Design]'s end\n"
      "[Build] is 150% complete\n"
      "[Review] happens at [Build]'s end\n"
      "[Blink] lasts 1 day\n"
      "[Design] is colored in #FF0000\n"
      "@endgantt\n";
  ASSERT_TRUE(TPLNFactory::LoadGantt(&doc, text));
  // The title and one bar per task; no links without arrows.
  ASSERT_EQ(doc.GetItemsCount(), 5);
  const auto titles = ItemsOf<TPLNText>(doc);
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_EQ(titles[0]->GetText(), "Launch");
  EXPECT_EQ(titles[0]->GetBaseFontHeight(), 8000);
  EXPECT_EQ(titles[0]->GetFontName(), "Verdana");

  const auto bars = ItemsOf<TPLNParagraph>(doc);
  ASSERT_EQ(bars.size(), 4u);
  // Design: day 0, 3 days. Build: day 3, 14 days. Review: a milestone on day 17, 4 mm wide.
  // Blink: one day, from the project start.
  EXPECT_EQ(BoxOf(bars[0]), (TBox{4000, 12000, 30000, 5000}));
  EXPECT_EQ(BoxOf(bars[1]), (TBox{34000, 17000, 140000, 5000}));
  EXPECT_EQ(BoxOf(bars[2]), (TBox{174000, 22000, 4000, 5000}));
  EXPECT_EQ(BoxOf(bars[3]), (TBox{4000, 27000, 10000, 5000}));
  EXPECT_EQ(bars[1]->GetText(), "Build (100%)");
  EXPECT_EQ(bars[0]->GetText(), "Design");
  EXPECT_EQ(bars[0]->GetBackColor(), 0xFFFF0000u);
  EXPECT_TRUE(bars[0]->GetFilled());
  EXPECT_EQ(bars[0]->GetBaseFontHeight(), 4000);
  // Width: the rightmost bar end plus 4 mm; height: the rows plus a 5 mm margin.
  EXPECT_DOUBLE_EQ(PaperW(doc), 182.0);
  EXPECT_DOUBLE_EQ(PaperH(doc), 37.0);

  // A short chart still gets 120 mm of paper; a zero-day and a one-day task are both 10 mm.
  ASSERT_TRUE(TPLNFactory::LoadGantt(&doc, "gantt\nA :a, 2024-01-01, 0d\nB :b, 2024-01-01, 1d\n"));
  const auto small = ItemsOf<TPLNParagraph>(doc);
  ASSERT_EQ(small.size(), 2u);
  EXPECT_EQ(BoxOf(small[0]).W, 10000);
  EXPECT_EQ(BoxOf(small[1]).W, 10000);
  EXPECT_DOUBLE_EQ(PaperW(doc), 120.0);
}

TEST(GanttLayout, DependencyArrowsAndRefusedText) {
  TPlanoraFMX doc;
  const QString text =
      "gantt\n"
      "dateFormat YYYY-MM-DD\n"
      "A :a, 2024-01-01, 2d\n"
      "B :b, after a, 3d\n"
      "C :crit, c, after a b, 1d\n";
  ASSERT_TRUE(TPLNFactory::LoadGantt(&doc, text, true));
  const auto links = ItemsOf<Orv::Fmx::TPLNLink>(doc);
  // a->b, a->c and b->c.
  ASSERT_EQ(links.size(), 3u);
  const auto bars = ItemsOf<TPLNParagraph>(doc);
  ASSERT_EQ(bars.size(), 3u);
  for (auto* l : links) {
    EXPECT_EQ(l->GetToIndex(), 15) << "arrows end at the left of the later bar";
    EXPECT_EQ(l->GetFromIndex(), 10) << "and leave the earlier bar downwards";
    EXPECT_EQ(l->GetToType(), 4);
    EXPECT_EQ(l->GetFromType(), 0);
    ASSERT_EQ(l->GetNumLinkPoints(), 1);
    // The bend sits under the last quarter of the first bar, level with the second's middle.
    const TPLNBaseItem* from = l->FromItem();
    const TPLNBaseItem* to = l->ToItem();
    ASSERT_TRUE(from && to);
    const TBox f = BoxOf(from), t = BoxOf(to);
    EXPECT_EQ(l->GetLinkPoint(1).X, f.X + f.W * 3 / 4);
    EXPECT_EQ(l->GetLinkPoint(1).Y, t.Y + t.H / 2);
  }
  // Mermaid's critical task is red, a plain one blue.
  EXPECT_NE(bars[2]->GetBackColor(), bars[0]->GetBackColor());

  // Without arrows the same chart has no links.
  ASSERT_TRUE(TPLNFactory::LoadGantt(&doc, text, false));
  EXPECT_TRUE(ItemsOf<Orv::Fmx::TPLNLink>(doc).empty());

  // Text without a task changes nothing, not even the paper.
  const int before = doc.GetItemsCount();
  const double paper = PaperW(doc);
  std::vector<Orv::Diagram::TORVDiagDiagnostic> diagnostics;
  EXPECT_FALSE(TPLNFactory::LoadGantt(&doc, "@startgantt\n[Nothing here\n@endgantt", false, &diagnostics));
  EXPECT_FALSE(TPLNFactory::LoadGantt(&doc, ""));
  EXPECT_EQ(doc.GetItemsCount(), before);
  EXPECT_DOUBLE_EQ(PaperW(doc), paper);

  // A load is one undo step: undo brings the earlier chart back whole.
  ASSERT_TRUE(TPLNFactory::LoadGantt(&doc, "gantt\nOnly :o, 2024-01-01, 1d\n"));
  EXPECT_EQ(doc.GetItemsCount(), 2);
  doc.Undo();
  EXPECT_EQ(doc.GetItemsCount(), before);
}
