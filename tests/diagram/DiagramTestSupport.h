#pragma once
// Shared helpers for the diagram parser tests.
#include <QString>
#include <QStringList>
#include <memory>

#include "ORV.Diagram.h"

namespace DiagramTest {

using namespace Orv::Diagram;

inline std::unique_ptr<TPLNDiagramModel> Parse(const QString& text, bool strict = false,
                                               TORVDiagramFormat format = TORVDiagramFormat::Auto) {
  return ORVParseDiagram(text, format, strict);
}

inline const TORVDiagNode* Node(const TPLNDiagramModel& m, const QString& id) {
  const int i = m.NodeIndexOf(id);
  return i < 0 ? nullptr : &m.Nodes[size_t(i)];
}

// "A>B" per edge, with "|label" when labelled.
inline QStringList EdgeList(const TPLNDiagramModel& m) {
  QStringList out;
  for (const auto& e : m.Edges) out << e.From + ">" + e.To + (e.Label.isEmpty() ? QString() : "|" + e.Label);
  return out;
}

// True when some diagnostic has that severity, line and code.
inline bool Has(const TPLNDiagramModel& m, TORVDiagSeverity severity, int line, const QString& code) {
  for (const auto& d : m.Diagnostics)
    if (d.Severity == severity && d.Line == line && d.Code == code) return true;
  return false;
}

inline int CountCode(const TPLNDiagramModel& m, const QString& code) {
  int n = 0;
  for (const auto& d : m.Diagnostics) n += d.Code == code;
  return n;
}

// Readable dump for failure messages.
inline QString Describe(const TPLNDiagramModel& m) {
  QStringList out;
  out << QString("kind=%1 dir=%2 title=%3").arg(m.Kind).arg(m.Direction).arg(m.Title);
  for (const auto& n : m.Nodes)
    out << QString("node %1 '%2' shape=%3 side=%4 fill=%5").arg(n.ID, n.Text).arg(int(n.Shape)).arg(n.Side)
               .arg(n.HasFill ? QString::number(n.FillColor, 16) : "-");
  for (const auto& e : m.Edges)
    out << QString("edge %1->%2 '%3' dashed=%4 from=%5 to=%6").arg(e.From, e.To, e.Label).arg(e.Dashed)
               .arg(e.FromArrow).arg(e.ToArrow);
  for (const auto& p : m.Participants) out << QString("part %1 '%2' actor=%3").arg(p.Name, p.Label).arg(p.Actor);
  for (const auto& e : m.Events)
    out << QString("event %1 %2->%3 '%4' arrow=%5 dashed=%6 at=%7").arg(e.Kind).arg(e.From, e.To, e.Text)
               .arg(e.Arrow).arg(e.Dashed).arg(e.Placement);
  for (const auto& d : m.Diagnostics)
    out << QString("diag %1 line %2 %3: %4 [%5]").arg(SeverityName(d.Severity)).arg(d.Line).arg(d.Code, d.Message, d.Source);
  return out.join("\n");
}

}  // namespace DiagramTest
