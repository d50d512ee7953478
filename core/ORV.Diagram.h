#pragma once
// Diagrams written as text (Mermaid, PlantUML) read into a model of nodes and edges, or of
// participants and events for sequence diagrams. Pure model code: the factory lays it out.

#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "ORV.Types.h"

namespace Orv {
class TPLNBaseLabel;
}

namespace Orv::Diagram {

enum class TORVDiagramFormat : std::uint8_t { Auto = 0, Mermaid = 1, PlantUML = 2 };

// What the layouts do with a model. Values are stored in TPLNDiagramModel::Kind.
enum class TORVDiagramKind : std::uint8_t {
  Graph = 0,         // flowcharts and everything graph-like: layered layout
  Sequence = 1,      // participants and events
  TwoSidedTree = 2,  // mind maps: the root in the middle, branches left (Side < 0) and right
  Ishikawa = 3,      // fishbone: From is the effect of its cause To
};

// Arrow codes of an edge end: how the layout ends the link there.
enum TORVDiagArrow : std::uint8_t {
  kArrowFill = 0,
  kArrowNone = 1,
  kArrowCross = 2,
  kArrowCircle = 3,
  kArrowRhombus = 4,
  kArrowFillRhombus = 5,
};

// Arrow codes of a sequence message.
enum TORVSeqArrow : std::uint8_t {
  kSeqFill = 0,   // ->> : filled head
  kSeqOpen = 1,   // -)  : open head (asynchronous)
  kSeqCross = 2,  // -x  : lost message
  kSeqNone = 3,   // ->  : a plain line
};

struct TORVDiagNode {
  QString ID;
  QString Text;
  TORVFlowType Shape = TORVFlowType::Process;
  std::int8_t Side = 0;  // < 0: left of a two-sided tree's root, above a fishbone's spine
  bool HasFill = false;
  std::uint32_t FillColor = 0;  // ARGB
};

struct TORVDiagEdge {
  QString From;
  QString To;
  QString Label;
  bool Dashed = false;
  std::uint8_t FromArrow = kArrowNone;
  std::uint8_t ToArrow = kArrowFill;
};

struct TORVSeqParticipant {
  QString Name;   // what events name
  QString Label;  // what the head box shows; empty = Name
  bool Actor = false;
};

struct TORVSeqEvent {
  std::uint8_t Kind = 0;  // 0 message, 1 note; others are kept for their row but not drawn
  QString From;
  QString To;   // a note's second participant, may be empty
  QString Text;
  std::uint8_t Arrow = kSeqFill;
  bool Dashed = false;
  QString Placement;  // notes: "left of", "over", anything else right of
};

enum class TORVDiagSeverity : std::uint8_t { Info, Warning, Error };

struct TORVDiagDiagnostic {
  TORVDiagSeverity Severity = TORVDiagSeverity::Warning;
  int Line = 0;    // 1-based; 0 = the text as a whole
  QString Code;    // short stable key, e.g. "unknown-statement"
  QString Message;
  QString Source;  // the offending line, trimmed; may be empty
};

// "info", "warning", "error".
QString SeverityName(TORVDiagSeverity severity);

class TPLNDiagramModel {
public:
  std::uint8_t Kind = 0;       // a TORVDiagramKind value
  std::uint8_t Direction = 0;  // 1 left to right, anything else top to bottom
  QString Title;
  std::vector<TORVDiagNode> Nodes;  // source order
  std::vector<TORVDiagEdge> Edges;  // source order
  std::vector<TORVSeqParticipant> Participants;
  std::vector<TORVSeqEvent> Events;
  std::vector<TORVDiagDiagnostic> Diagnostics;

  int NodeIndexOf(const QString& id) const;
  // The node with that ID, appended (Text = ID) when new.
  TORVDiagNode& EnsureNode(const QString& id);
  int ParticipantIndexOf(const QString& name) const;
  TORVSeqParticipant& EnsureParticipant(const QString& name);

  // The item created for a node, kept by the layouts (0 = none).
  void SetNodeInId(const QString& id, std::int32_t itemId);
  std::int32_t GetNodeInId(const QString& id) const;

  bool HasErrors() const;
  void Report(TORVDiagSeverity severity, int line, const QString& code, const QString& message,
              const QString& source = {});

  // Diagnostics kept; one more entry says the rest were dropped.
  static constexpr int kMaxDiagnostics = 1000;

private:
  QHash<QString, int> fNodeIndex;
  QHash<QString, int> fParticipantIndex;
  QHash<QString, std::int32_t> fItemIds;
};

// Reads diagram text. Auto looks at the text: "@start..." is PlantUML, anything else Mermaid.
// Gantt texts are not read here (see TGanttParser); they give an empty model with an info
// diagnostic. Strict turns every warning into an error, and a model with errors has nothing
// to draw. Never returns null.
std::unique_ptr<TPLNDiagramModel> ORVParseDiagram(const QString& text, TORVDiagramFormat format,
                                                  bool strict = false);

// True when the text is a Gantt chart: its first statement is "@startgantt", "gantt", or opens
// the native form (its title line, or a top-level task "->").
bool IsGanttText(const QString& text);

// The application's diagram loader: builds a drawing from diagram text into a document. The
// factory registers its layouts here so that core code can load diagram text.
using TORVDiagramLoader = bool (*)(TPLNBaseLabel* document, const QString& text, TORVDiagramFormat format);
void SetDiagramLoader(TORVDiagramLoader loader);
TORVDiagramLoader DiagramLoader();

}  // namespace Orv::Diagram
