// Hostile input: huge texts, garbage bytes, deep nesting. Each must return with diagnostics.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "GanttTestSupport.h"

using namespace Orv::Diagram;
using GanttTest::HasDiagnostic;

TEST(GanttRobustness, HugeTextsReturn) {
  // 5 MB of Mermaid tasks, each after the previous one by id.
  QString mermaid = "gantt\nT0 :t0, 2024-01-01, 1d\n";
  int n = 1;
  while (mermaid.size() < 5 * 1024 * 1024) {
    mermaid += QString("T%1 :t%1, after t%2, 1d\n").arg(n).arg(n - 1);
    ++n;
  }
  TGanttParser p;
  ASSERT_TRUE(p.Parse(mermaid));
  ASSERT_EQ(int(p.Elements.size()), n);
  EXPECT_EQ(p.Elements.back()->StartDate, QDate(2024, 1, 1).addDays(n - 1));
  EXPECT_TRUE(p.Diagnostics().empty());

  // 5 MB of PlantUML statements naming one another.
  QString plant = "@startgantt\nProject starts 2024-01-01\n[A0] lasts 1 day\n";
  n = 1;
  while (plant.size() < 5 * 1024 * 1024) {
    plant += QString("[A%1] starts at [A%2]'s end and lasts 1 day\n").arg(n).arg(n - 1);
    ++n;
  }
  ASSERT_TRUE(p.Parse(plant));
  EXPECT_EQ(int(p.Elements.size()), n);
  EXPECT_EQ(p.Elements.back()->StartDate, QDate(2024, 1, 1).addDays(n - 1));

  // One 5 MB line: reported, not matched.
  const QString line(5 * 1024 * 1024, QLatin1Char('['));
  EXPECT_FALSE(p.Parse("@startgantt\n" + line + "\n"));
  EXPECT_TRUE(HasDiagnostic(p, 2, TGanttSeverity::Error));
}

TEST(GanttRobustness, GarbageAndDeepNesting) {
  QByteArray bytes(1 << 20, '\0');
  QRandomGenerator rng(42);
  for (char& c : bytes) c = char(rng.bounded(256));
  TGanttParser p;
  for (const QString& prefix : {QString(), QString("gantt\n"), QString("@startgantt\n")}) {
    p.Parse(prefix + QString::fromLatin1(bytes));
    // Many unknown lines, but the list stays bounded.
    EXPECT_LE(int(p.Diagnostics().size()), TGanttParser::kMaxDiagnostics + 1);
    for (const auto& d : p.Diagnostics()) EXPECT_GE(d.Line, 1);
  }

  // 10,000 levels: each "--->" is a child of the previous task.
  QString deep = "-> Root x [Cost:1]\n";
  for (int i = 0; i < 10000; ++i) deep += "---> Sub x [Cost:1]\n";
  ASSERT_TRUE(p.Parse(deep));
  ASSERT_EQ(p.Elements.size(), 1u);
  EXPECT_EQ(p.GetTotalCost(), (1 + TGanttParser::kMaxDepth) * 10000);
  EXPECT_TRUE(HasDiagnostic(p, TGanttParser::kMaxDepth + 2, TGanttSeverity::Error));
  EXPECT_FALSE(HasDiagnostic(p, TGanttParser::kMaxDepth + 1, TGanttSeverity::Error));

  // Deep indentation by blanks is just whitespace.
  ASSERT_TRUE(p.Parse("gantt\n" + QString(10000, QLatin1Char(' ')) + "A :2024-01-01, 1d\n"));
  EXPECT_EQ(p.Elements.size(), 1u);

  // Nothing at all.
  EXPECT_FALSE(p.Parse(QString()));
  EXPECT_TRUE(p.Elements.empty());
  EXPECT_FALSE(p.GetMinStartDate().isValid());
}

TEST(GanttRobustness, HugeChainsWrittenBackwardsAndHugeCycles) {
  // 5 MB of Mermaid tasks, each after the one on the next line: every id is a forward one.
  const int n = 150000;
  auto chain = [&](const QString& lastStart) {
    QString text = "gantt\n";
    text.reserve(36 * n);
    for (int i = 0; i < n - 1; ++i) text += QString("T%1 :t%1, after t%2, 1d\n").arg(i).arg(i + 1);
    return text + QString("T%1 :t%1, %2, 1d\n").arg(n - 1).arg(lastStart);
  };
  TGanttParser p;
  ASSERT_TRUE(p.Parse(chain("2024-01-01")));
  ASSERT_EQ(int(p.Elements.size()), n);
  EXPECT_EQ(p.Elements.front()->StartDate, QDate(2024, 1, 1).addDays(n - 1));
  EXPECT_TRUE(p.Diagnostics().empty());
  EXPECT_EQ(int(p.Dependencies().size()), n - 1);

  // The last task after the first closes one cycle through all of them: one error, a short
  // message, and the parse returns.
  ASSERT_TRUE(p.Parse(chain("after t0")));
  ASSERT_EQ(p.Diagnostics().size(), 1u);
  const auto& d = p.Diagnostics().front();
  EXPECT_EQ(d.Severity, TGanttSeverity::Error);
  EXPECT_EQ(d.Line, 2);
  EXPECT_TRUE(d.Message.contains(QString("(%1 tasks)").arg(n))) << d.Message.left(200).toStdString();
  EXPECT_LT(d.Message.size(), 400);
}
