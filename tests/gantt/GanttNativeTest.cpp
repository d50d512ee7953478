// The native indented Gantt form: levels, properties, costs.
#include <gtest/gtest.h>

#include "GanttTestSupport.h"

using namespace Orv::Diagram;
using GanttTest::D;
using GanttTest::HasDiagnostic;

TEST(GanttNative, LevelsAndProperties) {
  TGanttParser p;
  ASSERT_TRUE(p.Parse(
      "Tessaline:Gantt:Office move\n"
      "--> Orphan x [Cost:5]\n"  // no task yet: dropped
      "-> Plan x [StartDate:01-02-2024] [EndDate:11-02-2024] #Blue [Priority:High] "
      "[Risk:Low] [Critical] [Cost:1250.5]\n"
      "--> Rooms x [Cost:100,25]\n"
      "---> Desks x [Cost:0.0001]\n"
      "----> Chairs x [Cost:2]\n"
      "--> Phones x [Cost:abc]\n"
      "-> Move x [StartDate:12-02-2024] [Duration:3]\n"
      "just prose\n"));
  EXPECT_EQ(p.Title, "Office move");
  ASSERT_EQ(p.Elements.size(), 2u);
  const TGanttElement& plan = *p.Elements[0];
  EXPECT_EQ(plan.Kind, "->");
  EXPECT_EQ(plan.Name, "Plan");
  EXPECT_EQ(plan.StartDate, D(2024, 2, 1));  // dd-mm-yyyy
  EXPECT_EQ(plan.Duration, 10);
  EXPECT_EQ(plan.Color, 0xFF0000FFu);
  EXPECT_EQ(plan.Priority, "High");
  EXPECT_EQ(plan.Risk, "Low");
  EXPECT_TRUE(plan.Critical);
  EXPECT_EQ(plan.Cost, 12505000);
  ASSERT_EQ(plan.Children.size(), 2u);  // Rooms and Phones
  const TGanttElement& rooms = *plan.Children[0];
  ASSERT_EQ(rooms.Children.size(), 1u);
  ASSERT_EQ(rooms.Children[0]->Children.size(), 1u);  // Chairs under Desks
  EXPECT_EQ(rooms.Children[0]->Children[0]->Name, "Chairs");
  EXPECT_EQ(plan.Children[1]->Cost, 0);
  EXPECT_EQ(rooms.GetTotalCost(), 1002500 + 1 + 20000);
  EXPECT_EQ(plan.GetTotalCost(), 12505000 + 1002500 + 1 + 20000);
  EXPECT_EQ(p.GetTotalCost(), plan.GetTotalCost());

  const TGanttElement& move = *p.Elements[1];
  EXPECT_EQ(move.Duration, 3);  // no end date: the stated duration
  EXPECT_EQ(move.EndDate, D(2024, 2, 15));
  EXPECT_EQ(p.GetTotalDuration(), 13);

  EXPECT_TRUE(HasDiagnostic(p, 2, TGanttSeverity::Warning));
  EXPECT_TRUE(HasDiagnostic(p, 7, TGanttSeverity::Warning));
  EXPECT_TRUE(HasDiagnostic(p, 9, TGanttSeverity::Warning));
}

TEST(GanttNative, DatesThatCannotBe) {
  TGanttParser p;
  p.Parse(QStringList{
      "-> A x [StartDate:30-02-2024] [Duration:2]",
      "-> B x [StartDate:10-03-2024] [EndDate:05-03-2024] [Duration:4]",
      "-> C x [StartDate:2024-03-10] [Duration:1]",
      "-> D x [Duration:-5]",
  });
  ASSERT_EQ(p.Elements.size(), 4u);
  EXPECT_TRUE(HasDiagnostic(p, 1, TGanttSeverity::Error));
  EXPECT_FALSE(p.Elements[0]->StartDate.isValid());
  EXPECT_EQ(p.Elements[0]->Duration, 2);
  // Ends before it starts: never a negative length.
  EXPECT_TRUE(HasDiagnostic(p, 2, TGanttSeverity::Error));
  EXPECT_EQ(p.Elements[1]->Duration, 4);
  EXPECT_EQ(p.Elements[1]->EndDate, D(2024, 3, 14));
  EXPECT_TRUE(HasDiagnostic(p, 3, TGanttSeverity::Error));  // year first is not this form
  EXPECT_TRUE(HasDiagnostic(p, 4, TGanttSeverity::Error));
  EXPECT_GE(p.Elements[3]->Duration, 0);
  for (const auto& e : p.Elements) EXPECT_GE(e->Duration, 0);
}
