#pragma once
// Gantt charts written as text: Mermaid, PlantUML and the native indented form, read into a
// tree of tasks. Pure model code: nothing here draws.

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace Orv::Diagram {

// One task (or milestone). EndDate is the day after the last day: StartDate + Duration.
class TGanttElement {
public:
  QString Kind;  // native: the level marker; Mermaid: first item after ':'; PlantUML: alias
  QString Name;
  QDate StartDate;
  QDate EndDate;
  int Duration = 0;          // days
  std::uint32_t Color = 0;   // ARGB, 0 = none
  int Completion = 0;        // 0..100
  QString Priority;
  QString Risk;
  bool Critical = false;
  std::vector<std::unique_ptr<TGanttElement>> Children;
  qint64 Cost = 0;           // fixed point, 1 = 0.0001
  bool Milestone = false;
  QString Section;
  QString Id;                // Mermaid task id (the target of `after`)
  QStringList Tags;          // Mermaid crit / done / active / milestone, in source order

  // Own cost plus every descendant's.
  qint64 GetTotalCost() const;
};

enum class TGanttSeverity : std::uint8_t { Warning, Error };

struct TGanttDiagnostic {
  int Line = 0;  // 1-based
  TGanttSeverity Severity = TGanttSeverity::Warning;
  QString Message;
};

// A "finishes before the other starts" link, kept for the arrows a layout may draw.
struct TGanttDependency {
  const TGanttElement* From = nullptr;
  const TGanttElement* To = nullptr;
};

class TGanttParser {
public:
  // A task with no start at all (the first Mermaid task without a date, a PlantUML chart
  // without "Project starts") starts on ReferenceDate, so parsing never depends on the clock.
  static QDate DefaultReferenceDate() { return QDate(2000, 1, 1); }
  explicit TGanttParser(QDate reference = DefaultReferenceDate());

  QString Title;
  std::vector<std::unique_ptr<TGanttElement>> Elements;
  QDate ReferenceDate;

  // Clears everything, then picks the grammar: "@startgantt" anywhere means PlantUML, a first
  // meaningful line "gantt" means Mermaid, anything else is the native form. True when at
  // least one task was read.
  bool Parse(const QString& text);
  void ParseMermaid(const QString& text);
  void ParsePlantUML(const QString& text);
  void Parse(const QStringList& lines);  // native form

  // First top-level element whose Kind or Name matches (no case; brackets and blanks dropped).
  TGanttElement* FindElement(const QString& name) const;

  qint64 GetTotalDuration() const;
  qint64 GetTotalCost() const;
  QDate GetMinStartDate() const;  // invalid when no element has a start
  QDate GetMaxEndDate() const;    // invalid when no element has an end

  const std::vector<TGanttDiagnostic>& Diagnostics() const { return fDiagnostics; }
  const std::vector<TGanttDependency>& Dependencies() const { return fDependencies; }

  // Longest line read; longer lines are reported and skipped so no pattern sees megabytes.
  static constexpr int kMaxLineLength = 65536;
  // Deepest native nesting kept; deeper lines are reported and dropped.
  static constexpr int kMaxDepth = 64;
  // Diagnostics kept; one more entry says the rest were dropped.
  static constexpr int kMaxDiagnostics = 1000;
  // Longest task accepted (days); guards date arithmetic against absurd numbers.
  static constexpr int kMaxDuration = 100000;

private:
  void Clear();
  void Report(int line, TGanttSeverity severity, const QString& message);
  TGanttElement* Append(std::unique_ptr<TGanttElement> element);
  TGanttElement* Lookup(const QString& key) const;
  int LookupIndex(const QString& key) const;  // top-level index, -1 when none
  void ParseNativeLine(int lineNo, const QString& line, TGanttElement*& last, int& lastDepth);
  void ParseElementProperties(int lineNo, const QStringList& parts, TGanttElement& element);

  // A start tied to another task's start or end. Recorded while reading and settled after the
  // last line, so the statements may come in any order.
  struct TConstraint {
    int From = -1;         // top-level index of the task referred to
    int To = -1;           // top-level index of the task that moves
    bool FromEnd = true;   // tied to From's end, else to its start
    bool Listed = true;    // shown in Dependencies(); a Mermaid task simply following the one
                           // above it is not
    int Line = 0;
  };
  // A Mermaid end date on a tied task: its length is known only once its start is settled.
  struct TFixedEnd {
    int Task = -1;
    QDate End;
    QString Text;
    int Line = 0;
  };
  // Settles every tied task in dependency order (each task starts at the latest point it is
  // tied to, ends Duration days later), reports cycles, and lists the dependencies.
  void ResolveConstraints();
  void ReportCycles(const std::vector<int>& inStart, const std::vector<int>& inList,
                    const std::vector<char>& settled);

  std::vector<TConstraint> fConstraints;
  std::vector<TFixedEnd> fFixedEnds;
  std::vector<TGanttDiagnostic> fDiagnostics;
  std::vector<TGanttDependency> fDependencies;
  QHash<QString, int> fByKind;  // lower-case Kind -> first top-level index
  QHash<QString, int> fByName;  // lower-case Name -> first top-level index
};

// Splits text into lines (\n, \r\n or \r).
QStringList GanttLines(const QString& text);

}  // namespace Orv::Diagram
