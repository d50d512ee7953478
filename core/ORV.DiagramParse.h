#pragma once
// Pieces shared by the diagram text readers: line splitting, limits, text clean-up and the
// indentation tree used by mind maps, fishbones and work breakdowns. Internal to the core.

#include <QHash>
#include <QSet>
#include <QString>
#include <cstdint>
#include <vector>

#include "ORV.Diagram.h"

namespace Orv::Diagram::Detail {

// Longest line read; longer lines are reported and skipped so no pattern sees megabytes.
constexpr int kMaxLineLength = 65536;
// Deepest tree level kept (the root is level 0).
constexpr int kMaxDepth = 64;
constexpr int kMaxNodes = 100000;
constexpr int kMaxEdges = 200000;
// Sequence participants and events share the node and edge limits.
constexpr int kMaxParticipants = kMaxNodes;
constexpr int kMaxEvents = kMaxEdges;

struct TLine {
  int No = 0;      // 1-based
  int Indent = 0;  // leading blanks, a tab counting 4
  QString Text;    // trimmed
};

// Splits text into lines (\n, \r\n, \r). Lines longer than kMaxLineLength are reported as
// errors and left out; the rest keep their own numbers.
std::vector<TLine> SplitLines(const QString& text, TPLNDiagramModel& model);

// Node and label text as written: trimmed, one level of quotes or backticks dropped, <br>
// made a line feed and the common character references decoded.
QString CleanText(const QString& text);

// The first blank-separated word of a statement.
inline QString FirstWord(const QString& s) {
  qsizetype i = 0;
  while (i < s.size() && !s[i].isSpace()) ++i;
  return s.left(i);
}

// "#rgb", "#rrggbb", "#aarrggbb" or a colour name; "#Name" is read as the name too.
bool ReadColor(const QString& text, std::uint32_t& argb);

// "fill:#f9f,stroke:#333" -> the fill colour; false when no readable fill is given.
bool ReadFillProperty(const QString& props, std::uint32_t& argb);

// The model plus the limits every grammar shares.
class TReader {
public:
  explicit TReader(TPLNDiagramModel& model) : M(model) {}
  TPLNDiagramModel& M;

  // The node with that id, created (Text = id) when new; null past the node limit.
  TORVDiagNode* Node(const QString& id, int line);
  // False past the edge limit (reported once).
  bool AddEdge(TORVDiagEdge edge, int line);
  TORVSeqParticipant* Participant(const QString& name, int line);
  bool AddEvent(TORVSeqEvent event, int line);

  void Info(int line, const QString& code, const QString& message, const QString& source = {});
  void Warn(int line, const QString& code, const QString& message, const QString& source = {});
  void Error(int line, const QString& code, const QString& message, const QString& source = {});
  void Unknown(const TLine& line);
  // A diagram kind drawn with less than it says: one warning.
  void Degraded(int line, const QString& message);

private:
  bool fNodeLimit = false;
  bool fEdgeLimit = false;
  bool fParticipantLimit = false;
  bool fEventLimit = false;
};

// One node of an indented tree. Parent is an index into the builder's entries (-1: root).
struct TTreeEntry {
  int Parent = -1;
  int Line = 0;
  QString Id;  // as written; empty = generate one
  QString Text;
  TORVFlowType Shape = TORVFlowType::Process;
  std::int8_t Side = 0;
  bool HasFill = false;
  std::uint32_t FillColor = 0;
};

// Builds a tree from (level, entry) pairs in source order: the parent of an entry is the
// nearest earlier kept entry with a smaller level. Entries deeper than kMaxDepth are dropped
// with one warning per run of dropped lines. A second root becomes a child of the first.
class TTreeBuilder {
public:
  explicit TTreeBuilder(TReader& reader) : fReader(reader) {}
  std::vector<TTreeEntry> Entries;  // parents always precede their children

  // Index of the new entry, or -1 when dropped.
  int Add(int level, TTreeEntry entry);
  // Depth of an entry (root 0).
  int Depth(int index) const { return fDepth[size_t(index)]; }
  // Writes nodes and parent -> child edges into the model. Written ids keep their value
  // (the first use wins); the others get "n1", "n2", ... never equal to a written one.
  void Emit(std::uint8_t fromArrow, std::uint8_t toArrow);

private:
  TReader& fReader;
  std::vector<std::pair<int, int>> fStack;  // (level, entry index)
  std::vector<int> fDepth;
  bool fDropping = false;
  int fRootLevel = 0;
};

// Grammar entry points. `first` is the index of the line after the diagram's header line
// (for Mermaid: the line holding the diagram keyword itself).
void ReadMermaid(TReader& reader, const std::vector<TLine>& lines, size_t first);
void ReadPlantUML(TReader& reader, const std::vector<TLine>& lines, size_t first);

// Index of the first line that is not blank, a comment or front matter; lines.size() when
// none. Front matter "title:" is stored in the model.
size_t FirstMermaidStatement(const std::vector<TLine>& lines, TPLNDiagramModel* model);

}  // namespace Orv::Diagram::Detail
