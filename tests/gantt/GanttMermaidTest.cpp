// Mermaid Gantt text: dates, durations, ids and "after", end dates, sections, tags.
#include <gtest/gtest.h>

#include <algorithm>

#include "GanttTestSupport.h"

using namespace Orv::Diagram;
using GanttTest::D;
using GanttTest::HasDiagnostic;

TEST(GanttMermaid, GrammarIsChosenByContent) {
  TGanttParser p;
  EXPECT_TRUE(p.Parse("%% plan\ngantt\n  A :2024-01-01, 2d\n"));
  ASSERT_EQ(p.Elements.size(), 1u);
  EXPECT_EQ(p.Elements[0]->StartDate, D(2024, 1, 1));

  // "@startgantt" anywhere wins over a leading "gantt".
  EXPECT_TRUE(p.Parse("gantt\n@startgantt\n[Build] lasts 3 days\n@endgantt\n"));
  ASSERT_EQ(p.Elements.size(), 1u);
  EXPECT_EQ(p.Elements[0]->Name, "Build");
  EXPECT_EQ(p.Elements[0]->Duration, 3);
}

TEST(GanttMermaid, DatesDurationsAndChaining) {
  TGanttParser p(D(2030, 6, 1));
  p.Parse(
      "gantt\n"
      "  title  Release plan \n"
      "  dateFormat YYYY-MM-DD\n"
      "  A : 4d\n"              // no start at all: the reference date
      "  B : 2024/02/27, 3D\n"  // "/" accepted, leap year
      "  C : 2\n"               // no start: after B's end
      "  D : x, y, junk\n"      // start not a date, duration not a number
      "  E : 2w\n"              // weeks
      "no colon here\n");
  EXPECT_EQ(p.Title, "Release plan");
  ASSERT_EQ(p.Elements.size(), 5u);
  const auto& e = p.Elements;
  EXPECT_EQ(e[0]->StartDate, D(2030, 6, 1));
  EXPECT_EQ(e[0]->Duration, 4);
  EXPECT_EQ(e[1]->StartDate, D(2024, 2, 27));
  EXPECT_EQ(e[1]->EndDate, D(2024, 3, 1));
  EXPECT_EQ(e[2]->StartDate, D(2024, 3, 1));
  EXPECT_EQ(e[2]->EndDate, D(2024, 3, 3));
  EXPECT_EQ(e[3]->StartDate, D(2024, 3, 3));
  EXPECT_EQ(e[3]->Duration, 1);  // below 1 becomes 1
  EXPECT_EQ(e[4]->Duration, 14);
  EXPECT_EQ(e[4]->EndDate, D(2024, 3, 18));
  EXPECT_TRUE(HasDiagnostic(p, 4, TGanttSeverity::Warning));  // reference date used
  EXPECT_TRUE(HasDiagnostic(p, 7, TGanttSeverity::Error));    // "y" is no date
  EXPECT_TRUE(HasDiagnostic(p, 9, TGanttSeverity::Warning));  // unknown line
  EXPECT_EQ(p.GetMinStartDate(), D(2024, 2, 27));
  EXPECT_EQ(p.GetMaxEndDate(), D(2030, 6, 5));
  EXPECT_EQ(p.GetTotalDuration(), 4 + 3 + 2 + 1 + 14);
}

TEST(GanttMermaid, IdsAfterAndEndDates) {
  TGanttParser p;
  p.Parse(
      "gantt\n"
      "  section Build\n"
      "  Design :a1, 2024-01-01, 10d\n"
      "  Short  :a2, 2024-01-05, 2024-01-09\n"  // an end date, not a duration
      "  section Test\n"
      "  Verify :after a1, 3d\n"                // after a1's end, not the previous line's
      "  Ship   :s1, after a1 a2, 1d\n"
      "  Loose  :2d\n");
  ASSERT_EQ(p.Elements.size(), 5u);
  const auto& e = p.Elements;
  EXPECT_EQ(e[0]->Id, "a1");
  EXPECT_EQ(e[0]->Kind, "a1");
  EXPECT_EQ(e[0]->Section, "Build");
  EXPECT_EQ(e[1]->Duration, 4);
  EXPECT_EQ(e[1]->EndDate, D(2024, 1, 9));
  EXPECT_EQ(e[2]->StartDate, D(2024, 1, 11));
  EXPECT_EQ(e[2]->Section, "Test");
  EXPECT_EQ(e[3]->StartDate, D(2024, 1, 11));  // the later of a1 and a2
  // Section changed, no start: still follows the previous task.
  EXPECT_EQ(e[4]->StartDate, D(2024, 1, 12));
  ASSERT_EQ(p.Dependencies().size(), 3u);
  EXPECT_EQ(p.Dependencies()[0].From, e[0].get());
  EXPECT_EQ(p.Dependencies()[0].To, e[2].get());
  EXPECT_EQ(p.Dependencies()[2].From, e[1].get());
  EXPECT_EQ(p.Dependencies()[2].To, e[3].get());
  EXPECT_TRUE(p.Diagnostics().empty());
}

TEST(GanttMermaid, TagsMilestonesAndComments) {
  TGanttParser p;
  p.Parse(
      "gantt\n"
      "  %% Done : 2024-01-01, 5d\n"
      "  Core   :crit, done, c1, 2024-01-01, 5d\n"
      "  Gate   :milestone, m1, after c1, 0d\n"
      "  Run    :active, 2d\n");
  ASSERT_EQ(p.Elements.size(), 3u);
  const auto& e = p.Elements;
  EXPECT_EQ(e[0]->Tags, QStringList({"crit", "done"}));
  EXPECT_EQ(e[0]->Kind, "crit");
  EXPECT_EQ(e[0]->Id, "c1");
  EXPECT_FALSE(e[0]->Milestone);
  EXPECT_TRUE(e[1]->Milestone);
  EXPECT_EQ(e[1]->StartDate, D(2024, 1, 6));
  EXPECT_EQ(e[2]->Tags, QStringList({"active"}));
  EXPECT_EQ(e[2]->StartDate, D(2024, 1, 7));
}

TEST(GanttMermaid, DateFormats) {
  struct Case {
    const char* format;
    const char* date;
  } cases[] = {{"YYYY-MM-DD", "2024-03-04"},
               {"DD-MM-YYYY", "04-03-2024"},
               {"MM/DD/YYYY", "03/04/2024"},
               {"YYYY/MM/DD", "2024/03/04"}};
  for (const auto& c : cases) {
    TGanttParser p;
    p.Parse(QString("gantt\ndateFormat %1\nT :t1, %2, %2\nU :%2, 1d\n").arg(c.format, c.date));
    ASSERT_EQ(p.Elements.size(), 2u) << c.format;
    EXPECT_EQ(p.Elements[0]->StartDate, D(2024, 3, 4)) << c.format;
    EXPECT_EQ(p.Elements[1]->StartDate, D(2024, 3, 4)) << c.format;
    // An end equal to the start is an error, not a zero or negative task.
    EXPECT_EQ(p.Elements[0]->Duration, 1) << c.format;
    EXPECT_TRUE(HasDiagnostic(p, 3, TGanttSeverity::Error)) << c.format;
  }
}

TEST(GanttMermaid, BadReferencesAndDates) {
  TGanttParser p;
  p.Parse(
      "gantt\n"
      "  A :a, 2023-02-29, 2d\n"  // no such day
      "  B :b, after b, 2d\n"     // after itself
      "  C :c, after z, 2d\n"     // z comes later and is after c: a cycle
      "  Z :z, after c, 2d\n"
      "  E :e, 2024-01-10, 2024-01-01\n"  // ends before it starts
      "  F :99999999999999999999999d\n");  // too long to hold
  ASSERT_EQ(p.Elements.size(), 6u);
  EXPECT_TRUE(HasDiagnostic(p, 7, TGanttSeverity::Error));
  EXPECT_EQ(p.Elements[5]->Duration, 1);
  for (int line = 2; line <= 4; ++line)
    EXPECT_TRUE(HasDiagnostic(p, line, TGanttSeverity::Error)) << line;
  const auto self = std::find_if(p.Diagnostics().begin(), p.Diagnostics().end(),
                                 [](const TGanttDiagnostic& d) { return d.Line == 3; });
  ASSERT_NE(self, p.Diagnostics().end());
  EXPECT_TRUE(self->Message.contains("itself")) << self->Message.toStdString();
  const auto cycle = std::find_if(p.Diagnostics().begin(), p.Diagnostics().end(),
                                  [](const TGanttDiagnostic& d) { return d.Line == 4; });
  ASSERT_NE(cycle, p.Diagnostics().end());
  EXPECT_TRUE(cycle->Message.contains("Z -> C -> Z")) << cycle->Message.toStdString();
  EXPECT_FALSE(HasDiagnostic(p, 5, TGanttSeverity::Error));
  EXPECT_TRUE(HasDiagnostic(p, 6, TGanttSeverity::Error));
  EXPECT_EQ(p.Elements[0]->StartDate, TGanttParser::DefaultReferenceDate());
  EXPECT_EQ(p.Elements[1]->StartDate, p.Elements[0]->EndDate);
  EXPECT_EQ(p.Elements[3]->StartDate, p.Elements[2]->EndDate);
  EXPECT_EQ(p.Elements[4]->Duration, 1);
  EXPECT_EQ(p.Elements[4]->EndDate, D(2024, 1, 11));
}

TEST(GanttMermaid, AfterMayNameLaterTasks) {
  TGanttParser p;
  p.Parse(
      "gantt\n"
      "  A :a, after b, 2d\n"               // b comes later
      "  C :c, 3d\n"                        // no start: follows A wherever A lands
      "  B :b, 2024-01-01, 5d\n"
      "  E :e, after b c, 2024-01-20\n"     // the later of b and c; an end date, not a length
      "  F :f, after b, 2024-01-03\n"       // ends before b ends
      "  X :x, after nope, 1d\n");          // no task has that id
  ASSERT_EQ(p.Elements.size(), 6u);
  const auto& e = p.Elements;
  EXPECT_EQ(e[2]->StartDate, D(2024, 1, 1));
  EXPECT_EQ(e[0]->StartDate, D(2024, 1, 6));
  EXPECT_EQ(e[0]->EndDate, D(2024, 1, 8));
  EXPECT_EQ(e[1]->StartDate, D(2024, 1, 8));
  EXPECT_EQ(e[1]->EndDate, D(2024, 1, 11));
  EXPECT_EQ(e[3]->StartDate, D(2024, 1, 11));
  EXPECT_EQ(e[3]->EndDate, D(2024, 1, 20));
  EXPECT_EQ(e[3]->Duration, 9);
  EXPECT_EQ(e[4]->StartDate, D(2024, 1, 6));
  EXPECT_EQ(e[4]->Duration, 1);
  EXPECT_EQ(e[5]->StartDate, e[4]->EndDate);  // unknown id: follows the task above
  // Only the bad end and the unknown id are errors; later ids are not.
  for (int line = 2; line <= 5; ++line)
    EXPECT_FALSE(HasDiagnostic(p, line, TGanttSeverity::Error)) << line;
  EXPECT_TRUE(HasDiagnostic(p, 6, TGanttSeverity::Error));
  EXPECT_TRUE(HasDiagnostic(p, 7, TGanttSeverity::Error));
  EXPECT_EQ(p.Diagnostics().size(), 2u);
  // Forward ids are arrows too, listed in text order; following the task above is not.
  ASSERT_EQ(p.Dependencies().size(), 4u);
  EXPECT_EQ(p.Dependencies()[0].From, e[2].get());
  EXPECT_EQ(p.Dependencies()[0].To, e[0].get());
  EXPECT_EQ(p.Dependencies()[1].From, e[2].get());
  EXPECT_EQ(p.Dependencies()[1].To, e[3].get());
  EXPECT_EQ(p.Dependencies()[2].From, e[1].get());
  EXPECT_EQ(p.Dependencies()[2].To, e[3].get());
  EXPECT_EQ(p.Dependencies()[3].To, e[4].get());

  // A first task tied only to an unknown id starts on the reference date, with a warning.
  TGanttParser q(D(2030, 1, 1));
  q.Parse("gantt\n  A :a, after zz, 2d\n  B :b, 2024-01-01, 1d\n");
  EXPECT_EQ(q.Elements[0]->StartDate, D(2030, 1, 1));
  EXPECT_TRUE(HasDiagnostic(q, 2, TGanttSeverity::Error));
  EXPECT_TRUE(HasDiagnostic(q, 2, TGanttSeverity::Warning));
}
