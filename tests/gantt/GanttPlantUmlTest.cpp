// PlantUML Gantt text: statements, aliases, dependencies, milestones, completion, colours.
#include <gtest/gtest.h>

#include "GanttTestSupport.h"

using namespace Orv::Diagram;
using GanttTest::D;
using GanttTest::HasDiagnostic;

TEST(GanttPlantUml, StatementsAndAliases) {
  TGanttParser p;
  ASSERT_TRUE(p.Parse(
      "@startgantt\n"
      "title  Launch\n"
      "Project starts the 2024-05-01\n"
      "printscale weekly\n"
      "' a comment\n"
      "[Prototype design] as [PD] lasts 2 weeks\n"
      "[Coding] requires 3 days\n"
      "[Coding] starts 2024-05-10\n"        // a later statement moves the end too
      "[Review] starts D+4 and ends D+9\n"  // offsets from the project start
      "[pd] is 40% complete\n"              // found by alias, any case
      "@endgantt\n"));
  EXPECT_EQ(p.Title, "Launch");
  ASSERT_EQ(p.Elements.size(), 3u);
  const auto& e = p.Elements;
  EXPECT_EQ(e[0]->Name, "Prototype design");
  EXPECT_EQ(e[0]->Kind, "PD");
  EXPECT_EQ(e[0]->Color, 0xFF87CEEBu);
  EXPECT_EQ(e[0]->StartDate, D(2024, 5, 1));
  EXPECT_EQ(e[0]->Duration, 14);
  EXPECT_EQ(e[0]->EndDate, D(2024, 5, 15));
  EXPECT_EQ(e[0]->Completion, 40);
  EXPECT_EQ(e[1]->Kind, "Coding");
  EXPECT_EQ(e[1]->StartDate, D(2024, 5, 10));
  EXPECT_EQ(e[1]->EndDate, D(2024, 5, 13));
  EXPECT_EQ(e[2]->StartDate, D(2024, 5, 5));
  EXPECT_EQ(e[2]->EndDate, D(2024, 5, 10));
  EXPECT_EQ(e[2]->Duration, 5);
  EXPECT_EQ(p.FindElement(" [coding] "), e[1].get());
  EXPECT_EQ(p.FindElement("pd"), e[0].get());
  EXPECT_EQ(p.FindElement("nothing"), nullptr);
  EXPECT_TRUE(p.Diagnostics().empty());
}

TEST(GanttPlantUml, DependenciesAndTaskAnchors) {
  TGanttParser p;
  p.Parse(
      "@startgantt\n"
      "Project starts 2024-01-01\n"
      "[Late] -> [A]\n"                           // named before its task: ignored
      "[A] lasts 4 days\n"
      "[B] lasts 2 days\n"
      "[A] -> [B]\n"
      "[C] starts at [B]'s end and lasts 1 day\n"
      "[D] lasts 3 days and starts at [A]'s start\n"
      "@endgantt\n");
  ASSERT_EQ(p.Elements.size(), 4u);
  const auto& e = p.Elements;
  EXPECT_EQ(p.FindElement("Late"), nullptr);
  EXPECT_TRUE(HasDiagnostic(p, 3, TGanttSeverity::Warning));
  EXPECT_EQ(e[1]->StartDate, D(2024, 1, 5));
  EXPECT_EQ(e[1]->EndDate, D(2024, 1, 7));
  EXPECT_EQ(e[2]->StartDate, D(2024, 1, 7));
  EXPECT_EQ(e[2]->EndDate, D(2024, 1, 8));
  EXPECT_EQ(e[3]->StartDate, D(2024, 1, 1));
  EXPECT_EQ(e[3]->EndDate, D(2024, 1, 4));
  ASSERT_EQ(p.Dependencies().size(), 3u);
  EXPECT_EQ(p.Dependencies()[0].From, e[0].get());
  EXPECT_EQ(p.Dependencies()[0].To, e[1].get());
}

TEST(GanttPlantUml, MilestonesCompletionAndColours) {
  TGanttParser p;
  p.Parse(
      "@startgantt\n"
      "Project starts 2024-03-01\n"
      "[Work] lasts 10 days and is 150% complete and is colored in Red\n"
      "[Kickoff] happens 2024-03-05\n"
      "[Done] happens at [Work]'s end\n"
      "[Paint] lasts 1 day and is colored in #FF00FF80\n"
      "[Odd] lasts 1 day and is colored in notacolour\n"
      "[Gate] lasts 5 days\n"
      "[Gate] happens at D+2\n"
      "@endgantt\n");
  ASSERT_EQ(p.Elements.size(), 6u);
  const auto& e = p.Elements;
  EXPECT_EQ(e[0]->Completion, 100);
  EXPECT_EQ(e[0]->Color, 0xFFFF0000u);
  EXPECT_TRUE(e[1]->Milestone);
  EXPECT_EQ(e[1]->StartDate, D(2024, 3, 5));
  EXPECT_EQ(e[1]->EndDate, D(2024, 3, 5));
  EXPECT_EQ(e[1]->Duration, 0);
  EXPECT_EQ(e[2]->StartDate, D(2024, 3, 11));
  EXPECT_EQ(e[2]->EndDate, D(2024, 3, 11));
  EXPECT_EQ(e[3]->Color, 0xFF00FF80u);  // #AARRGGBB
  EXPECT_EQ(e[4]->Color, 0xFF87CEEBu);                // unknown colour keeps the default
  EXPECT_TRUE(HasDiagnostic(p, 7, TGanttSeverity::Warning));
  EXPECT_TRUE(e[5]->Milestone);
  EXPECT_EQ(e[5]->Duration, 0);
  EXPECT_EQ(e[5]->StartDate, D(2024, 3, 3));
}

TEST(GanttPlantUml, BadStatements) {
  TGanttParser p(D(2020, 1, 1));
  p.Parse(
      "@startgantt\n"
      "[A] lasts 3 days\n"               // no project start: the reference date
      "Project starts 2024-13-01\n"      // no such month
      "[B] starts 2024-02-30\n"          // no such day
      "[A] -> [A]\n"                     // a task after itself
      "[C] lasts 99999999999 days\n"     // absurd length
      "this means nothing\n"
      "@endgantt\n");
  EXPECT_EQ(p.Elements[0]->StartDate, D(2020, 1, 1));
  EXPECT_TRUE(HasDiagnostic(p, 2, TGanttSeverity::Warning));
  for (int line = 3; line <= 6; ++line)
    EXPECT_TRUE(HasDiagnostic(p, line, TGanttSeverity::Error)) << line;
  EXPECT_TRUE(HasDiagnostic(p, 7, TGanttSeverity::Warning));
  EXPECT_EQ(p.Elements[0]->EndDate, D(2020, 1, 4));  // unchanged by "[A] -> [A]"
  EXPECT_EQ(p.Elements[2]->Duration, 0);
}
