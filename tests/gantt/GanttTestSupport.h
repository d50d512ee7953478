#pragma once
// Shared helpers for the Gantt parser tests.
#include <QDate>
#include <QString>

#include "ORV.Gantt.h"

namespace GanttTest {

inline QDate D(int y, int m, int d) { return QDate(y, m, d); }

// True when some diagnostic of that severity sits on that 1-based line.
inline bool HasDiagnostic(const Orv::Diagram::TGanttParser& p, int line,
                          Orv::Diagram::TGanttSeverity severity) {
  for (const auto& d : p.Diagnostics())
    if (d.Line == line && d.Severity == severity) return true;
  return false;
}

}  // namespace GanttTest
