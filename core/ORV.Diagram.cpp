#include "ORV.Diagram.h"

#include <QColor>
#include <QRegularExpression>
#include <algorithm>
#include <climits>

#include "ORV.DiagramParse.h"

namespace Orv::Diagram {

// ---------------------------------------------------------------------------------------------
// Model

QString SeverityName(TORVDiagSeverity severity) {
  switch (severity) {
    case TORVDiagSeverity::Info: return QStringLiteral("info");
    case TORVDiagSeverity::Warning: return QStringLiteral("warning");
    case TORVDiagSeverity::Error: return QStringLiteral("error");
  }
  return QStringLiteral("error");
}

int TPLNDiagramModel::NodeIndexOf(const QString& id) const { return fNodeIndex.value(id, -1); }

TORVDiagNode& TPLNDiagramModel::EnsureNode(const QString& id) {
  const auto it = fNodeIndex.constFind(id);
  if (it != fNodeIndex.constEnd()) return Nodes[size_t(*it)];
  fNodeIndex.insert(id, int(Nodes.size()));
  TORVDiagNode node;
  node.ID = id;
  node.Text = id;
  Nodes.push_back(std::move(node));
  return Nodes.back();
}

int TPLNDiagramModel::ParticipantIndexOf(const QString& name) const {
  return fParticipantIndex.value(name, -1);
}

TORVSeqParticipant& TPLNDiagramModel::EnsureParticipant(const QString& name) {
  const auto it = fParticipantIndex.constFind(name);
  if (it != fParticipantIndex.constEnd()) return Participants[size_t(*it)];
  fParticipantIndex.insert(name, int(Participants.size()));
  TORVSeqParticipant p;
  p.Name = name;
  Participants.push_back(std::move(p));
  return Participants.back();
}

void TPLNDiagramModel::SetNodeInId(const QString& id, std::int32_t itemId) { fItemIds.insert(id, itemId); }

std::int32_t TPLNDiagramModel::GetNodeInId(const QString& id) const { return fItemIds.value(id, 0); }

bool TPLNDiagramModel::HasErrors() const {
  return std::any_of(Diagnostics.begin(), Diagnostics.end(),
                     [](const TORVDiagDiagnostic& d) { return d.Severity == TORVDiagSeverity::Error; });
}

void TPLNDiagramModel::Report(TORVDiagSeverity severity, int line, const QString& code,
                              const QString& message, const QString& source) {
  const int n = int(Diagnostics.size());
  if (n < kMaxDiagnostics) {
    Diagnostics.push_back({severity, line, code, message, source.left(200)});
    return;
  }
  if (n == kMaxDiagnostics) {
    Diagnostics.push_back({severity, line, QStringLiteral("too-many-diagnostics"),
                           QStringLiteral("too many diagnostics; the rest are not listed"), {}});
    return;
  }
  // Dropped: the summary entry still shows the worst of what it stands for.
  auto& last = Diagnostics.back();
  if (severity > last.Severity) last.Severity = severity;
}

// ---------------------------------------------------------------------------------------------
// Loader registration

namespace {
TORVDiagramLoader gLoader = nullptr;
}

void SetDiagramLoader(TORVDiagramLoader loader) { gLoader = loader; }
TORVDiagramLoader DiagramLoader() { return gLoader; }

// ---------------------------------------------------------------------------------------------
// Shared reading helpers

namespace Detail {

namespace {
int IndentOf(QStringView s) {
  int n = 0;
  for (QChar c : s) {
    if (c == QLatin1Char('\t'))
      n += 4;
    else if (c.isSpace())
      ++n;
    else
      break;
  }
  return n;
}
}  // namespace

std::vector<TLine> SplitLines(const QString& text, TPLNDiagramModel& model) {
  std::vector<TLine> lines;
  const qsizetype size = text.size();
  qsizetype pos = 0;
  int no = 0;
  while (pos < size) {
    ++no;
    qsizetype end = pos;
    while (end < size && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r')) ++end;
    const qsizetype length = end - pos;
    if (length > kMaxLineLength) {
      model.Report(TORVDiagSeverity::Error, no, QStringLiteral("line-too-long"),
                   QStringLiteral("line longer than %1 characters; skipped").arg(kMaxLineLength));
    } else if (length > 0) {
      const QStringView view = QStringView(text).mid(pos, length);
      const QStringView trimmed = view.trimmed();
      if (!trimmed.isEmpty()) lines.push_back({no, IndentOf(view), trimmed.toString()});
    }
    pos = end;
    if (pos < size) {
      if (text[pos] == QLatin1Char('\r') && pos + 1 < size && text[pos + 1] == QLatin1Char('\n'))
        pos += 2;
      else
        ++pos;
    }
  }
  return lines;
}

QString CleanText(const QString& text) {
  QString t = text.trimmed();
  auto unwrap = [&t](QChar open, QChar close) {
    if (t.size() >= 2 && t.front() == open && t.back() == close) {
      t = t.mid(1, t.size() - 2).trimmed();
      return true;
    }
    return false;
  };
  unwrap(QLatin1Char('"'), QLatin1Char('"'));
  unwrap(QLatin1Char('`'), QLatin1Char('`'));  // Mermaid markdown strings
  if (t.contains(QLatin1Char('<'))) {
    static const QRegularExpression br(QStringLiteral("\\s*<br\\s*/?>\\s*"),
                                       QRegularExpression::CaseInsensitiveOption);
    t.replace(br, QStringLiteral("\n"));
  }
  if (t.contains(QLatin1Char(';'))) {
    // "&quot;", "&#39;", "&#x27;" and Mermaid's own "#quot;", "#35;".
    static const QRegularExpression ref(
        QStringLiteral("(&#|&|#)(x[0-9A-Fa-f]{1,6}|[0-9]{1,7}|quot|amp|lt|gt|nbsp|apos);"));
    QString out;
    qsizetype last = 0;
    auto it = ref.globalMatch(t);
    while (it.hasNext()) {
      const auto m = it.next();
      const QString lead = m.captured(1), body = m.captured(2);
      char32_t code = 0;
      const bool numeric = body[0].isDigit() || (body[0] == QLatin1Char('x') && lead == QLatin1String("&#"));
      if (numeric && lead != QLatin1String("&")) {
        bool ok = false;
        code = body[0] == QLatin1Char('x') ? body.mid(1).toUInt(&ok, 16) : body.toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) continue;
      } else if (!numeric && lead != QLatin1String("&#")) {
        if (body == QLatin1String("quot")) code = '"';
        else if (body == QLatin1String("amp")) code = '&';
        else if (body == QLatin1String("lt")) code = '<';
        else if (body == QLatin1String("gt")) code = '>';
        else if (body == QLatin1String("nbsp")) code = ' ';
        else if (body == QLatin1String("apos")) code = '\'';
        else continue;
      } else {
        continue;
      }
      out += QStringView(t).mid(last, m.capturedStart() - last);
      out += QString::fromUcs4(&code, 1);
      last = m.capturedEnd();
    }
    if (last > 0) {
      out += QStringView(t).mid(last);
      t = out;
    }
  }
  return t.trimmed();
}

bool ReadColor(const QString& text, std::uint32_t& argb) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return false;
  QColor c(t);
  if (!c.isValid() && t.startsWith(QLatin1Char('#'))) c = QColor(t.mid(1));
  if (!c.isValid()) return false;
  argb = std::uint32_t(c.rgba());
  return true;
}

bool ReadFillProperty(const QString& props, std::uint32_t& argb) {
  bool found = false;
  for (const QString& part : props.split(QLatin1Char(','))) {
    const int colon = int(part.indexOf(QLatin1Char(':')));
    if (colon < 0) continue;
    if (part.left(colon).trimmed().compare(QLatin1String("fill"), Qt::CaseInsensitive) != 0) continue;
    QString value = part.mid(colon + 1).trimmed();
    if (value.endsWith(QLatin1Char(';'))) value.chop(1);
    value.remove(QLatin1String("!important"));
    std::uint32_t c = 0;
    if (ReadColor(value, c)) {
      argb = c;
      found = true;
    }
  }
  return found;
}

// Reader ------------------------------------------------------------------------------------

TORVDiagNode* TReader::Node(const QString& id, int line) {
  const int index = M.NodeIndexOf(id);
  if (index >= 0) return &M.Nodes[size_t(index)];
  if (int(M.Nodes.size()) >= kMaxNodes) {
    if (!fNodeLimit)
      Error(line, QStringLiteral("too-many-nodes"),
            QStringLiteral("more than %1 nodes; the rest are dropped").arg(kMaxNodes));
    fNodeLimit = true;
    return nullptr;
  }
  return &M.EnsureNode(id);
}

bool TReader::AddEdge(TORVDiagEdge edge, int line) {
  if (int(M.Edges.size()) >= kMaxEdges) {
    if (!fEdgeLimit)
      Error(line, QStringLiteral("too-many-edges"),
            QStringLiteral("more than %1 edges; the rest are dropped").arg(kMaxEdges));
    fEdgeLimit = true;
    return false;
  }
  M.Edges.push_back(std::move(edge));
  return true;
}

TORVSeqParticipant* TReader::Participant(const QString& name, int line) {
  const int index = M.ParticipantIndexOf(name);
  if (index >= 0) return &M.Participants[size_t(index)];
  if (int(M.Participants.size()) >= kMaxParticipants) {
    if (!fParticipantLimit)
      Error(line, QStringLiteral("too-many-nodes"),
            QStringLiteral("more than %1 participants; the rest are dropped").arg(kMaxParticipants));
    fParticipantLimit = true;
    return nullptr;
  }
  return &M.EnsureParticipant(name);
}

bool TReader::AddEvent(TORVSeqEvent event, int line) {
  if (int(M.Events.size()) >= kMaxEvents) {
    if (!fEventLimit)
      Error(line, QStringLiteral("too-many-edges"),
            QStringLiteral("more than %1 messages and notes; the rest are dropped").arg(kMaxEvents));
    fEventLimit = true;
    return false;
  }
  M.Events.push_back(std::move(event));
  return true;
}

void TReader::Info(int line, const QString& code, const QString& message, const QString& source) {
  M.Report(TORVDiagSeverity::Info, line, code, message, source);
}
void TReader::Warn(int line, const QString& code, const QString& message, const QString& source) {
  M.Report(TORVDiagSeverity::Warning, line, code, message, source);
}
void TReader::Error(int line, const QString& code, const QString& message, const QString& source) {
  M.Report(TORVDiagSeverity::Error, line, code, message, source);
}
void TReader::Unknown(const TLine& line) {
  Warn(line.No, QStringLiteral("unknown-statement"), QStringLiteral("statement not understood; skipped"),
       line.Text);
}
void TReader::Degraded(int line, const QString& message) {
  Warn(line, QStringLiteral("degraded"), message);
}

// Tree builder -------------------------------------------------------------------------------

int TTreeBuilder::Add(int level, TTreeEntry entry) {
  if (Entries.empty()) fRootLevel = level;
  while (!fStack.empty() && fStack.back().first >= level) fStack.pop_back();
  if (!Entries.empty() && level <= fRootLevel) {
    fReader.Warn(entry.Line, QStringLiteral("multiple-roots"),
                 QStringLiteral("a second root; read as a child of the first"), entry.Text);
    fStack.clear();
    fStack.push_back({INT_MIN, 0});
  }
  const int depth = int(fStack.size());
  if (depth > kMaxDepth) {
    if (!fDropping)
      fReader.Warn(entry.Line, QStringLiteral("too-deep"),
                   QStringLiteral("nested deeper than %1 levels; dropped").arg(kMaxDepth), entry.Text);
    fDropping = true;
    return -1;
  }
  fDropping = false;
  entry.Parent = fStack.empty() ? -1 : fStack.back().second;
  const int index = int(Entries.size());
  Entries.push_back(std::move(entry));
  fDepth.push_back(depth);
  fStack.push_back({level, index});
  return index;
}

void TTreeBuilder::Emit(std::uint8_t fromArrow, std::uint8_t toArrow) {
  const size_t n = Entries.size();
  std::vector<QString> ids(n);
  QSet<QString> used;
  used.reserve(qsizetype(n));
  for (size_t i = 0; i < n; ++i) {
    const QString& id = Entries[i].Id;
    if (!id.isEmpty() && !used.contains(id)) {
      used.insert(id);
      ids[i] = id;
    }
  }
  int counter = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!ids[i].isEmpty()) continue;
    QString id;
    do id = QStringLiteral("n%1").arg(++counter);
    while (used.contains(id));
    used.insert(id);
    ids[i] = id;
  }
  std::vector<char> created(n, 0);
  for (size_t i = 0; i < n; ++i) {
    const TTreeEntry& e = Entries[i];
    TORVDiagNode* node = fReader.Node(ids[i], e.Line);
    if (!node) continue;
    created[i] = 1;
    node->Text = e.Text;
    node->Shape = e.Shape;
    node->Side = e.Side;
    node->HasFill = e.HasFill;
    node->FillColor = e.FillColor;
    if (e.Parent >= 0 && created[size_t(e.Parent)]) {
      TORVDiagEdge edge;
      edge.From = ids[size_t(e.Parent)];
      edge.To = ids[i];
      edge.FromArrow = fromArrow;
      edge.ToArrow = toArrow;
      fReader.AddEdge(std::move(edge), e.Line);
    }
  }
}

size_t FirstMermaidStatement(const std::vector<TLine>& lines, TPLNDiagramModel* model) {
  size_t i = 0;
  if (i < lines.size() && lines[i].Text == QLatin1String("---")) {
    const int open = lines[i].No;
    size_t j = i + 1;
    while (j < lines.size() && lines[j].Text != QLatin1String("---")) {
      if (model && lines[j].Indent == 0 && lines[j].Text.startsWith(QLatin1String("title:")))
        model->Title = CleanText(lines[j].Text.mid(6));
      ++j;
    }
    if (j >= lines.size()) {
      if (model)
        model->Report(TORVDiagSeverity::Warning, open, QStringLiteral("unclosed"),
                      QStringLiteral("front matter opened with --- is never closed"));
      return lines.size();
    }
    i = j + 1;
  }
  while (i < lines.size() && lines[i].Text.startsWith(QLatin1String("%%"))) ++i;
  return i;
}

}  // namespace Detail

// ---------------------------------------------------------------------------------------------
// Entry points

namespace {

// The first line that says something: blanks, Mermaid and PlantUML comments and Mermaid front
// matter are passed over. At most the first 256 characters of the line are returned, so a
// huge text costs one short walk.
QString FirstMeaningfulLine(const QString& text) {
  qsizetype pos = 0;
  bool inFrontMatter = false, first = true;
  while (pos < text.size()) {
    qsizetype end = pos;
    while (end < text.size() && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r')) ++end;
    const QString line = QStringView(text).mid(pos, std::min<qsizetype>(end - pos, 256)).trimmed().toString();
    pos = end + 1;
    if (line.isEmpty()) continue;
    if (inFrontMatter) {
      if (line == QLatin1String("---")) inFrontMatter = false;
      continue;
    }
    if (first && line == QLatin1String("---")) {
      inFrontMatter = true;
      first = false;
      continue;
    }
    first = false;
    if (line.startsWith(QLatin1String("%%")) || line.startsWith(QLatin1Char('\''))) continue;
    return line;
  }
  return {};
}

}  // namespace

bool IsGanttText(const QString& text) {
  const QString line = FirstMeaningfulLine(text);
  static const QRegularExpression re(QStringLiteral("^(@startgantt\\b|gantt\\b)"),
                                     QRegularExpression::CaseInsensitiveOption);
  // The native form opens with its title line or straight away with a top-level task.
  return re.match(line).hasMatch() || line.startsWith(QLatin1String("Tessaline:Gantt:")) ||
         line.startsWith(QLatin1String("->"));
}

std::unique_ptr<TPLNDiagramModel> ORVParseDiagram(const QString& text, TORVDiagramFormat format,
                                                  bool strict) {
  auto model = std::make_unique<TPLNDiagramModel>();
  const QString first = FirstMeaningfulLine(text);
  if (first.isEmpty()) {
    model->Report(TORVDiagSeverity::Error, 0, QStringLiteral("empty"),
                  QStringLiteral("no diagram text"));
  } else if (IsGanttText(text)) {
    model->Report(TORVDiagSeverity::Info, 0, QStringLiteral("gantt"),
                  QStringLiteral("Gantt chart: read by the Gantt importer, not as a diagram"));
  } else {
    const std::vector<Detail::TLine> lines = Detail::SplitLines(text, *model);
    Detail::TReader reader(*model);
    bool plant = format == TORVDiagramFormat::PlantUML;
    if (format == TORVDiagramFormat::Auto)
      plant = first.startsWith(QLatin1String("@start"), Qt::CaseInsensitive);
    if (plant) {
      Detail::ReadPlantUML(reader, lines, 0);
    } else {
      const size_t start = Detail::FirstMermaidStatement(lines, model.get());
      if (start >= lines.size()) {
        if (!model->HasErrors())
          model->Report(TORVDiagSeverity::Error, 0, QStringLiteral("empty"),
                        QStringLiteral("no diagram text"));
      } else {
        Detail::ReadMermaid(reader, lines, start);
      }
    }
  }
  if (strict) {
    for (auto& d : model->Diagnostics)
      if (d.Severity == TORVDiagSeverity::Warning) d.Severity = TORVDiagSeverity::Error;
    if (model->HasErrors()) {
      // Nothing to draw: keep what describes the text, drop the contents (and their indexes).
      auto bare = std::make_unique<TPLNDiagramModel>();
      bare->Kind = model->Kind;
      bare->Direction = model->Direction;
      bare->Title = model->Title;
      bare->Diagnostics = std::move(model->Diagnostics);
      model = std::move(bare);
    }
  }
  return model;
}

}  // namespace Orv::Diagram
