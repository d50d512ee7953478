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

namespace {

struct Span {
  QDate start, end;
};

Span SpanOf(const TGanttParser& p, const char* name) {
  const TGanttElement* e = p.FindElement(name);
  return e ? Span{e->StartDate, e->EndDate} : Span{};
}

bool HasDependency(const TGanttParser& p, const char* from, const char* to) {
  for (const auto& d : p.Dependencies())
    if (d.From == p.FindElement(from) && d.To == p.FindElement(to)) return true;
  return false;
}

}  // namespace

TEST(GanttPlantUml, TiesHoldWhateverTheStatementOrder) {
  const QString head =
      "@startgantt\n"
      "Project starts 2024-01-01\n"
      "[A] lasts 3 days\n"
      "[B] lasts 2 days\n"
      "[C] lasts 4 days\n"
      "[E] lasts 2 days\n"
      "[S] lasts 1 day\n";
  const QString topDown = head +
      "[A] -> [B]\n"
      "[B] -> [C]\n"
      "[E] starts at [C]'s end\n"
      "[S] starts at [B]'s start\n"
      "[Gate] happens at [C]'s end\n"
      "@endgantt\n";
  // The same chart with every tie written before the ones it depends on.
  const QString bottomUp = head +
      "[Gate] happens at [C]'s end\n"
      "[S] starts at [B]'s start\n"
      "[E] starts at [C]'s end\n"
      "[B] -> [C]\n"
      "[A] -> [B]\n"
      "@endgantt\n";
  struct Want {
    const char* name;
    QDate start, end;
  } want[] = {{"A", D(2024, 1, 1), D(2024, 1, 4)},  {"B", D(2024, 1, 4), D(2024, 1, 6)},
              {"C", D(2024, 1, 6), D(2024, 1, 10)}, {"E", D(2024, 1, 10), D(2024, 1, 12)},
              {"S", D(2024, 1, 4), D(2024, 1, 5)},  {"Gate", D(2024, 1, 10), D(2024, 1, 10)}};
  for (const QString& text : {topDown, bottomUp}) {
    TGanttParser p;
    ASSERT_TRUE(p.Parse(text));
    ASSERT_EQ(p.Elements.size(), 6u);
    for (const auto& w : want) {
      EXPECT_EQ(SpanOf(p, w.name).start, w.start) << w.name << (text == topDown ? " top-down" : " bottom-up");
      EXPECT_EQ(SpanOf(p, w.name).end, w.end) << w.name << (text == topDown ? " top-down" : " bottom-up");
    }
    EXPECT_TRUE(p.Diagnostics().empty());
    // Every arrow and "starts at" is a dependency; a milestone's anchor is not.
    EXPECT_EQ(p.Dependencies().size(), 4u);
    EXPECT_TRUE(HasDependency(p, "A", "B"));
    EXPECT_TRUE(HasDependency(p, "B", "C"));
    EXPECT_TRUE(HasDependency(p, "C", "E"));
    EXPECT_TRUE(HasDependency(p, "B", "S"));
  }
}

TEST(GanttPlantUml, TiesAgainstDatesLengthsAndOneAnother) {
  TGanttParser p;
  ASSERT_TRUE(p.Parse(
      "@startgantt\n"
      "Project starts 2024-02-01\n"
      "[Plaster] lasts 5 days\n"
      "[Fit units] lasts 3 days\n"
      "[Handover] happens at [Fit units]'s end\n"  // before Fit units is moved
      "[Plaster] -> [Fit units]\n"
      "[Fixed] starts 2024-03-01 and lasts 2 days\n"  // no tie: keeps its date
      "[Paint] starts at [Plaster]'s end\n"
      "[Paint] lasts 4 days\n"                       // a later length still counts
      "[Paint] starts 2024-06-01\n"                  // a tie beats a written date
      "[Short] lasts 1 day\n"
      "[Long] lasts 10 days\n"
      "[Long] -> [Merge]\n"                          // Merge not read yet: ignored
      "[Merge] lasts 1 day\n"
      "[Long] -> [Merge]\n"
      "[Short] -> [Merge]\n"                         // the later end wins, not the later line
      "@endgantt\n"));
  EXPECT_EQ(SpanOf(p, "Plaster").end, D(2024, 2, 6));
  EXPECT_EQ(SpanOf(p, "Fit units").start, D(2024, 2, 6));
  EXPECT_EQ(SpanOf(p, "Fit units").end, D(2024, 2, 9));
  EXPECT_EQ(SpanOf(p, "Handover").start, D(2024, 2, 9));
  EXPECT_EQ(SpanOf(p, "Handover").end, D(2024, 2, 9));
  EXPECT_EQ(SpanOf(p, "Fixed").start, D(2024, 3, 1));
  EXPECT_EQ(SpanOf(p, "Fixed").end, D(2024, 3, 3));
  EXPECT_EQ(SpanOf(p, "Paint").start, D(2024, 2, 6));
  EXPECT_EQ(SpanOf(p, "Paint").end, D(2024, 2, 10));
  EXPECT_EQ(SpanOf(p, "Merge").start, D(2024, 2, 11));
  EXPECT_EQ(SpanOf(p, "Merge").end, D(2024, 2, 12));
  EXPECT_TRUE(HasDiagnostic(p, 13, TGanttSeverity::Warning));
  EXPECT_TRUE(HasDependency(p, "Short", "Merge"));
  EXPECT_TRUE(HasDependency(p, "Long", "Merge"));
}

TEST(GanttPlantUml, CyclesAreReportedAndParsingReturns) {
  TGanttParser p;
  const QString text =
      "@startgantt\n"
      "Project starts 2024-01-01\n"
      "[A] lasts 2 days\n"
      "[B] lasts 2 days\n"
      "[C] lasts 2 days\n"
      "[B] -> [C]\n"
      "[C] -> [A]\n"
      "[A] -> [B]\n"
      "[D] starts at [C]'s end and lasts 1 day\n"  // waits on the cycle, is not part of it
      "[X] lasts 1 day\n"
      "[Y] lasts 1 day\n"
      "[Y] starts at [X]'s end\n"
      "[X] starts at [Y]'s start\n"
      "[Free] lasts 3 days\n"
      "[After free] starts at [Free]'s end\n"
      "@endgantt\n";
  ASSERT_TRUE(p.Parse(text));
  ASSERT_EQ(p.Elements.size(), 8u);
  std::vector<TGanttDiagnostic> cycles;
  for (const auto& d : p.Diagnostics())
    if (d.Message.contains("cycle")) cycles.push_back(d);
  ASSERT_EQ(cycles.size(), 2u);
  // Reported on the first line of each cycle, naming its tasks in order.
  EXPECT_EQ(cycles[0].Line, 6);
  EXPECT_EQ(cycles[0].Severity, TGanttSeverity::Error);
  EXPECT_TRUE(cycles[0].Message.contains("B -> C -> A -> B")) << cycles[0].Message.toStdString();
  EXPECT_EQ(cycles[1].Line, 12);
  EXPECT_TRUE(cycles[1].Message.contains("X -> Y -> X")) << cycles[1].Message.toStdString();
  // Tasks outside any cycle are still settled.
  EXPECT_EQ(SpanOf(p, "After free").start, D(2024, 1, 4));
  // All arrows stay listed.
  EXPECT_TRUE(HasDependency(p, "C", "A"));
  EXPECT_TRUE(HasDependency(p, "C", "D"));
}
