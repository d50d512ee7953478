// Mermaid: flowcharts, sequence diagrams, mind maps, a fishbone form, and state, class and
// entity-relationship diagrams read as plain graphs.
#include <QRegularExpression>
#include <QStringList>
#include <climits>

#include "ORV.DiagramParse.h"

namespace Orv::Diagram::Detail {

namespace {

using QL1 = QLatin1String;

// Everything after the first word, trimmed.
QString AfterFirstWord(const QString& s) { return s.mid(FirstWord(s).size()).trimmed(); }

bool IsWord(const QString& s, QL1 word) {
  return s.size() >= word.size() && s.startsWith(word, Qt::CaseInsensitive) &&
         (s.size() == word.size() || s[word.size()].isSpace());
}

// Splits a line at ';' outside quotes and brackets (Mermaid allows "graph TD; A-->B; B-->C").
QStringList SplitStatements(const QString& line) {
  if (!line.contains(QLatin1Char(';'))) return {line};
  QStringList out;
  int depth = 0;
  bool quoted = false, piped = false;
  qsizetype start = 0;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (c == QLatin1Char('"')) quoted = !quoted;
    if (c == QLatin1Char('|') && depth == 0) piped = !piped;  // an edge label "|a; b|"
    if (quoted || piped) continue;
    if (c == QLatin1Char('[') || c == QLatin1Char('(') || c == QLatin1Char('{')) ++depth;
    else if ((c == QLatin1Char(']') || c == QLatin1Char(')') || c == QLatin1Char('}')) && depth > 0) --depth;
    else if (c == QLatin1Char(';') && depth == 0) {
      const QString part = line.mid(start, i - start).trimmed();
      if (!part.isEmpty()) out << part;
      start = i + 1;
    }
  }
  const QString part = line.mid(start).trimmed();
  if (!part.isEmpty()) out << part;
  return out;
}

// Named shapes of the "A@{ shape: ... }" form.
bool NamedShape(const QString& name, TORVFlowType& shape) {
  using F = TORVFlowType;
  static const QHash<QString, F> table = {
      {"rect", F::Process},          {"proc", F::Process},           {"process", F::Process},
      {"rectangle", F::Process},     {"text", F::Process},           {"st-rect", F::Process},
      {"procs", F::Process},         {"processes", F::Process},      {"stacked-rectangle", F::Process},
      {"rounded", F::Terminator},    {"event", F::Terminator},       {"stadium", F::Terminator},
      {"pill", F::Terminator},       {"terminal", F::Terminator},    {"circle", F::Ellipse},
      {"circ", F::Ellipse},          {"dbl-circ", F::Ellipse},       {"double-circle", F::Ellipse},
      {"sm-circ", F::Start},         {"small-circle", F::Start},     {"start", F::Start},
      {"f-circ", F::Start},          {"filled-circle", F::Start},    {"junction", F::Start},
      {"fr-circ", F::End},           {"framed-circle", F::End},      {"stop", F::End},
      {"diam", F::Decision},         {"diamond", F::Decision},       {"decision", F::Decision},
      {"question", F::Decision},     {"hex", F::Preparation},        {"hexagon", F::Preparation},
      {"prepare", F::Preparation},   {"cyl", F::Database},           {"cylinder", F::Database},
      {"database", F::Database},     {"db", F::Database},            {"h-cyl", F::Database},
      {"das", F::Database},          {"horizontal-cylinder", F::Database},
      {"lin-cyl", F::Database},      {"disk", F::Database},          {"lined-cylinder", F::Database},
      {"doc", F::Document},          {"document", F::Document},      {"lin-doc", F::Document},
      {"lined-document", F::Document}, {"tag-doc", F::Document},     {"tagged-document", F::Document},
      {"odd", F::Document},          {"docs", F::MultiDocument},     {"documents", F::MultiDocument},
      {"st-doc", F::MultiDocument},  {"stacked-document", F::MultiDocument},
      {"lean-r", F::Data},           {"lean-right", F::Data},        {"in-out", F::Data},
      {"lean-l", F::Data},           {"lean-left", F::Data},         {"out-in", F::Data},
      {"trap-b", F::ManualOperation}, {"trapezoid-bottom", F::ManualOperation},
      {"priority", F::ManualOperation}, {"trapezoid", F::ManualOperation},
      {"trap-t", F::ManualOperation}, {"trapezoid-top", F::ManualOperation},
      {"inv-trapezoid", F::ManualOperation}, {"manual", F::ManualOperation},
      {"manual-input", F::ManualInput}, {"sl-rect", F::ManualInput}, {"sloped-rectangle", F::ManualInput},
      {"fr-rect", F::Predefined},    {"subprocess", F::Predefined},  {"subproc", F::Predefined},
      {"framed-rectangle", F::Predefined}, {"div-rect", F::Predefined}, {"divided-rectangle", F::Predefined},
      {"notch-pent", F::Preparation}, {"loop-limit", F::Preparation},
  };
  const auto it = table.constFind(name.trimmed().toLower());
  if (it == table.constEnd()) return false;
  shape = *it;
  return true;
}

// Splits "a: 1, b: "x, y"" at commas outside quotes into key -> value.
QHash<QString, QString> ReadObject(QStringView body) {
  QHash<QString, QString> out;
  QStringList parts;
  bool quoted = false;
  qsizetype start = 0;
  for (qsizetype i = 0; i <= body.size(); ++i) {
    if (i < body.size() && body[i] == QLatin1Char('"')) quoted = !quoted;
    if (i == body.size() || (!quoted && body[i] == QLatin1Char(','))) {
      parts << body.mid(start, i - start).toString();
      start = i + 1;
    }
  }
  for (const QString& part : parts) {
    const qsizetype colon = part.indexOf(QLatin1Char(':'));
    if (colon < 0) continue;
    out.insert(part.left(colon).trimmed().toLower(), part.mid(colon + 1).trimmed());
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Flowchart

struct TNodeRef {
  QString Id;
  bool HasText = false;  // a shape with text was written
  bool HasShape = false;
  TORVFlowType Shape = TORVFlowType::Process;
  QString Text;
  QStringList Classes;
};

struct TLink {
  bool Visible = true;
  bool Dashed = false;
  std::uint8_t FromArrow = kArrowNone;
  std::uint8_t ToArrow = kArrowNone;
  QString Label;
};

class TFlowStatement {
public:
  explicit TFlowStatement(QStringView s) : s(s) {}
  std::vector<std::vector<TNodeRef>> Groups;
  std::vector<TLink> Links;
  QString UnknownShape;

  bool Parse() {
    if (!ParseGroup()) return false;
    for (;;) {
      SkipSpaces();
      if (p >= s.size()) return true;
      SkipEdgeId();
      TLink link;
      if (!ParseLink(link)) return false;
      Links.push_back(std::move(link));
      SkipSpaces();
      if (!ParseGroup()) return false;
    }
  }

private:
  QStringView s;
  qsizetype p = 0;

  QChar At(qsizetype i) const { return i < s.size() ? s[i] : QChar(); }
  bool Looking(QL1 what) const { return s.mid(p).startsWith(what); }
  void SkipSpaces() {
    while (p < s.size() && s[p].isSpace()) ++p;
  }
  static bool IdChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

  // "A e1@--> B": the edge's own id names it for styling only.
  void SkipEdgeId() {
    qsizetype q = p;
    while (q < s.size() && IdChar(s[q])) ++q;
    if (q > p && At(q) == QLatin1Char('@') && At(q + 1) != QLatin1Char('{')) p = q + 1;
  }

  bool ParseGroup() {
    std::vector<TNodeRef> group;
    for (;;) {
      SkipSpaces();
      TNodeRef ref;
      if (!ParseNode(ref)) return false;
      group.push_back(std::move(ref));
      SkipSpaces();
      if (At(p) == QLatin1Char('&')) {
        ++p;
        continue;
      }
      break;
    }
    Groups.push_back(std::move(group));
    return true;
  }

  bool ParseId(QString& id) {
    const qsizetype start = p;
    while (p < s.size()) {
      const QChar c = s[p];
      // A hyphen joins two parts of an id ("my-node"); "--" or "-." starts a link.
      if (IdChar(c) || (c == QLatin1Char('-') && p > start && IdChar(At(p + 1)))) ++p;
      else break;
    }
    id = s.mid(start, p - start).toString();
    return !id.isEmpty();
  }

  // Text up to `closer`; a quoted text may hold the closer.
  bool Enclosed(QStringView closer, QString& text) {
    qsizetype q = p;
    while (q < s.size() && s[q].isSpace()) ++q;
    if (At(q) == QLatin1Char('"')) {
      const qsizetype endQuote = s.indexOf(QLatin1Char('"'), q + 1);
      if (endQuote >= 0) {
        qsizetype after = endQuote + 1;
        while (after < s.size() && s[after].isSpace()) ++after;
        if (s.mid(after).startsWith(closer)) {
          text = s.mid(q, endQuote + 1 - q).toString();
          p = after + closer.size();
          return true;
        }
      }
    }
    const qsizetype idx = s.indexOf(closer, p);
    if (idx < 0) return false;
    text = s.mid(p, idx - p).toString();
    p = idx + closer.size();
    return true;
  }

  bool Shape(QL1 opener, QL1 closer, TORVFlowType shape, TNodeRef& ref) {
    if (!Looking(opener)) return false;
    const qsizetype save = p;
    p += opener.size();
    QString text;
    if (!Enclosed(QString(closer), text)) {
      p = save;
      return false;
    }
    ref.HasShape = ref.HasText = true;
    ref.Shape = shape;
    ref.Text = text;
    return true;
  }

  // "[/ ... /]" and friends: the closing pair decides between parallelogram and trapezoid.
  bool Slanted(QChar lean, TNodeRef& ref) {
    if (At(p) != QLatin1Char('[') || At(p + 1) != lean) return false;
    const qsizetype a = s.indexOf(QL1("/]"), p + 2), b = s.indexOf(QL1("\\]"), p + 2);
    if (a < 0 && b < 0) return false;
    const bool slash = a >= 0 && (b < 0 || a < b);
    const qsizetype end = slash ? a : b;
    ref.Text = s.mid(p + 2, end - p - 2).toString();
    const bool same = (lean == QLatin1Char('/')) == slash;
    ref.Shape = same ? TORVFlowType::Data : TORVFlowType::ManualOperation;
    ref.HasShape = ref.HasText = true;
    p = end + 2;
    return true;
  }

  bool ObjectShape(TNodeRef& ref) {
    if (!Looking(QL1("@{"))) return false;
    bool quoted = false;
    qsizetype q = p + 2;
    for (; q < s.size(); ++q) {
      if (s[q] == QLatin1Char('"')) quoted = !quoted;
      else if (!quoted && s[q] == QLatin1Char('}')) break;
    }
    if (q >= s.size()) return false;
    const auto props = ReadObject(s.mid(p + 2, q - p - 2));
    p = q + 1;
    if (props.contains(QStringLiteral("shape"))) {
      const QString name = CleanText(props.value(QStringLiteral("shape")));
      if (NamedShape(name, ref.Shape)) ref.HasShape = true;
      else UnknownShape = name;
    }
    if (props.contains(QStringLiteral("label"))) {
      ref.Text = props.value(QStringLiteral("label"));
      ref.HasText = ref.HasShape = true;
    }
    return true;
  }

  bool ParseNode(TNodeRef& ref) {
    if (!ParseId(ref.Id)) return false;
    using F = TORVFlowType;
    const bool shaped =
        ObjectShape(ref) || Shape(QL1("((("), QL1(")))"), F::Ellipse, ref) ||
        Shape(QL1("(("), QL1("))"), F::Ellipse, ref) || Shape(QL1("(["), QL1("])"), F::Terminator, ref) ||
        Shape(QL1("("), QL1(")"), F::Terminator, ref) || Shape(QL1("[["), QL1("]]"), F::Predefined, ref) ||
        Shape(QL1("[("), QL1(")]"), F::Database, ref) || Slanted(QLatin1Char('/'), ref) ||
        Slanted(QLatin1Char('\\'), ref) || Shape(QL1("["), QL1("]"), F::Process, ref) ||
        Shape(QL1("{{"), QL1("}}"), F::Preparation, ref) || Shape(QL1("{"), QL1("}"), F::Decision, ref) ||
        Shape(QL1(">"), QL1("]"), F::Document, ref);
    if (!shaped) {
      // An opener without its closer is a broken statement, not a bare id.
      const QChar c = At(p);
      if (c == QLatin1Char('[') || c == QLatin1Char('(') || c == QLatin1Char('{') ||
          (c == QLatin1Char('>') && s.indexOf(QLatin1Char(']'), p) >= 0) || c == QLatin1Char('@'))
        return false;
    }
    while (Looking(QL1(":::"))) {
      p += 3;
      const qsizetype start = p;
      while (p < s.size() && (IdChar(s[p]) || s[p] == QLatin1Char('-'))) ++p;
      if (p == start) return false;
      ref.Classes << s.mid(start, p - start).toString();
    }
    return true;
  }

  // Arrow ends and bodies: -->, ---, -.->, -.-, ==>, ===, --o, --x, <-->, o--o, x--x, longer
  // forms, and the text forms "-- text -->", "-. text .->", "== text ==>".
  bool ParseLink(TLink& link) {
    const QChar c0 = At(p);
    if (c0 == QLatin1Char('<')) {
      link.FromArrow = kArrowFill;
      ++p;
    } else if ((c0 == QLatin1Char('o') || c0 == QLatin1Char('x')) &&
               (At(p + 1) == QLatin1Char('-') || At(p + 1) == QLatin1Char('=') || At(p + 1) == QLatin1Char('.'))) {
      link.FromArrow = c0 == QLatin1Char('o') ? kArrowCircle : kArrowCross;
      ++p;
    }
    const QChar c = At(p);
    bool textForm = false;
    QChar bodyChar;
    if (c == QLatin1Char('~')) {
      qsizetype k = 0;
      while (At(p) == QLatin1Char('~')) { ++p; ++k; }
      if (k < 3) return false;
      link.Visible = false;
      return true;
    }
    if (c == QLatin1Char('-') && At(p + 1) == QLatin1Char('.')) {
      p += 1;
      while (At(p) == QLatin1Char('.')) ++p;
      link.Dashed = true;
      bodyChar = QLatin1Char('.');
      if (At(p) == QLatin1Char('-')) ++p;
      else textForm = true;
    } else if (c == QLatin1Char('-') || c == QLatin1Char('=')) {
      qsizetype k = 0;
      while (At(p) == c) { ++p; ++k; }
      if (k < 2) return false;
      bodyChar = c;
      const QChar e = At(p);
      const bool head = e == QLatin1Char('>') || e == QLatin1Char('o') || e == QLatin1Char('x');
      if (k == 2 && !head) textForm = true;
    } else {
      return false;
    }
    if (textForm) {
      static const QRegularExpression solid(QStringLiteral("-{2,}[>ox]|-{3,}"));
      static const QRegularExpression thick(QStringLiteral("={2,}[>ox]|={3,}"));
      static const QRegularExpression dotted(QStringLiteral("\\.+-[>ox]?"));
      const QRegularExpression& re =
          bodyChar == QLatin1Char('.') ? dotted : (bodyChar == QLatin1Char('=') ? thick : solid);
      const auto m = re.match(s, p);
      if (!m.hasMatch()) return false;
      link.Label = CleanText(s.mid(p, m.capturedStart() - p).toString());
      p = m.capturedStart() + m.capturedLength();
      --p;  // the last character decides the head below
      if (At(p) == QLatin1Char('-') || At(p) == QLatin1Char('=')) ++p;
    }
    const QChar e = At(p);
    if (e == QLatin1Char('>')) { link.ToArrow = kArrowFill; ++p; }
    else if (e == QLatin1Char('o')) { link.ToArrow = kArrowCircle; ++p; }
    else if (e == QLatin1Char('x')) { link.ToArrow = kArrowCross; ++p; }
    if (!textForm) {
      qsizetype q = p;
      while (q < s.size() && s[q].isSpace()) ++q;
      if (At(q) == QLatin1Char('|')) {
        const qsizetype end = s.indexOf(QLatin1Char('|'), q + 1);
        if (end < 0) return false;
        link.Label = CleanText(s.mid(q + 1, end - q - 1).toString());
        p = end + 1;
      }
    }
    return true;
  }
};

class TFlowchartReader {
public:
  explicit TFlowchartReader(TReader& reader) : R(reader) {}

  void Read(const std::vector<TLine>& lines, size_t first) {
    R.M.Kind = std::uint8_t(TORVDiagramKind::Graph);
    // Header: "flowchart LR" or "graph TD; A-->B"
    {
      const TLine& header = lines[first];
      QStringList parts = SplitStatements(header.Text);
      const QString head = parts.isEmpty() ? QString() : parts.takeFirst();
      const QString dir = AfterFirstWord(head).toUpper();
      if (dir == QL1("LR") || dir == QL1("RL")) R.M.Direction = 1;
      else if (dir.isEmpty() || dir == QL1("TB") || dir == QL1("TD") || dir == QL1("BT")) R.M.Direction = 0;
      else R.Warn(header.No, QStringLiteral("unknown-direction"),
                  QStringLiteral("direction \"%1\" not known; top to bottom used").arg(dir.left(20)), header.Text);
      for (const QString& st : parts) Statement(header, st);
    }
    for (size_t i = first + 1; i < lines.size(); ++i) {
      const TLine& line = lines[i];
      if (line.Text.startsWith(QL1("%%"))) continue;
      for (const QString& st : SplitStatements(line.Text)) Statement(line, st);
    }
    for (int open : fSubgraphs)
      R.Warn(open, QStringLiteral("unclosed"), QStringLiteral("subgraph without its end"));
    ApplyFills();
  }

private:
  TReader& R;
  std::vector<char> fDefined;
  QHash<QString, std::uint32_t> fClassFill;
  QHash<QString, QStringList> fNodeClasses;
  QHash<QString, std::uint32_t> fStyleFill;
  std::vector<int> fSubgraphs;
  bool fSubgraphNoted = false;

  void Statement(const TLine& line, const QString& st) {
    const QString word = FirstWord(st);
    if (st == QL1("end")) {
      if (fSubgraphs.empty()) R.Unknown(line);
      else fSubgraphs.pop_back();
      return;
    }
    if (word == QL1("subgraph")) {
      fSubgraphs.push_back(line.No);
      if (!fSubgraphNoted)
        R.Info(line.No, QStringLiteral("subgraph"), QStringLiteral("subgraph boxes are not drawn; their nodes are"));
      fSubgraphNoted = true;
      return;
    }
    if (word == QL1("direction") || word == QL1("click") || word == QL1("linkStyle") ||
        word.startsWith(QL1("accTitle")) || word.startsWith(QL1("accDescr")))
      return;
    if (word == QL1("style")) {
      const QString rest = AfterFirstWord(st);
      const QString id = FirstWord(rest);
      std::uint32_t c = 0;
      if (!id.isEmpty() && ReadFillProperty(AfterFirstWord(rest), c)) fStyleFill.insert(id, c);
      return;
    }
    if (word == QL1("classDef")) {
      const QString rest = AfterFirstWord(st);
      std::uint32_t c = 0;
      if (ReadFillProperty(AfterFirstWord(rest), c))
        for (const QString& name : FirstWord(rest).split(QLatin1Char(','), Qt::SkipEmptyParts))
          fClassFill.insert(name.trimmed(), c);
      return;
    }
    if (word == QL1("class")) {
      const QString rest = AfterFirstWord(st);
      const QString name = AfterFirstWord(rest);
      if (name.isEmpty()) {
        R.Unknown(line);
        return;
      }
      for (const QString& id : FirstWord(rest).split(QLatin1Char(','), Qt::SkipEmptyParts))
        fNodeClasses[id.trimmed()] << name;
      return;
    }
    TFlowStatement parsed(st);
    if (!parsed.Parse()) {
      R.Unknown(line);
      return;
    }
    if (!parsed.UnknownShape.isEmpty())
      R.Warn(line.No, QStringLiteral("unknown-shape"),
             QStringLiteral("shape \"%1\" not known; drawn as a process box").arg(parsed.UnknownShape.left(40)),
             line.Text);
    std::vector<std::vector<QString>> ids(parsed.Groups.size());
    for (size_t g = 0; g < parsed.Groups.size(); ++g) {
      for (const TNodeRef& ref : parsed.Groups[g]) {
        TORVDiagNode* node = R.Node(ref.Id, line.No);
        if (!node) continue;
        const size_t index = size_t(R.M.NodeIndexOf(ref.Id));
        if (fDefined.size() <= index) fDefined.resize(index + 1, 0);
        if (!fDefined[index]) {
          if (ref.HasShape) node->Shape = ref.Shape;
          if (ref.HasText) {
            node->Text = CleanText(ref.Text);
            fDefined[index] = 1;
          }
        }
        if (!ref.Classes.isEmpty()) fNodeClasses[ref.Id] << ref.Classes;
        ids[g].push_back(ref.Id);
      }
    }
    for (size_t l = 0; l < parsed.Links.size(); ++l) {
      const TLink& link = parsed.Links[l];
      if (!link.Visible) continue;
      for (const QString& from : ids[l]) {
        for (const QString& to : ids[l + 1]) {
          TORVDiagEdge edge;
          edge.From = from;
          edge.To = to;
          edge.Label = link.Label;
          edge.Dashed = link.Dashed;
          edge.FromArrow = link.FromArrow;
          edge.ToArrow = link.ToArrow;
          if (!R.AddEdge(std::move(edge), line.No)) return;
        }
      }
    }
  }

  void ApplyFills() {
    if (fClassFill.isEmpty() && fStyleFill.isEmpty()) return;
    const auto defaultFill = fClassFill.constFind(QStringLiteral("default"));
    for (TORVDiagNode& node : R.M.Nodes) {
      bool set = false;
      std::uint32_t fill = 0;
      const auto classes = fNodeClasses.constFind(node.ID);
      if (classes != fNodeClasses.constEnd()) {
        for (const QString& c : *classes) {
          const auto it = fClassFill.constFind(c);
          if (it != fClassFill.constEnd()) { fill = *it; set = true; }
        }
      } else if (defaultFill != fClassFill.constEnd()) {
        fill = *defaultFill;
        set = true;
      }
      const auto style = fStyleFill.constFind(node.ID);
      if (style != fStyleFill.constEnd()) { fill = *style; set = true; }
      if (set) {
        node.HasFill = true;
        node.FillColor = fill;
      }
    }
  }
};

// ---------------------------------------------------------------------------------------------
// Sequence diagrams

void ReadSequence(TReader& R, const std::vector<TLine>& lines, size_t first) {
  R.M.Kind = std::uint8_t(TORVDiagramKind::Sequence);
  static const QRegularExpression participantRe(
      QStringLiteral("^(?:create\\s+)?(participant|actor)\\s+(.+?)(?:\\s+as\\s+(.+))?$"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression noteRe(
      QStringLiteral("^note\\s+(right of|left of|over)\\s+([^:]+?)\\s*:(.*)$"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression messageRe(QStringLiteral(
      "^([^:]+?)\\s*(<<-->>|<<->>|-->>|->>|--x|-x|--\\)|-\\)|-->|->)\\s*([+-]?)\\s*([^:]+?)\\s*(?::(.*))?$"));
  static const QStringList quiet = {"autonumber", "activate", "deactivate", "destroy", "link",
                                    "links", "properties", "details"};
  static const QStringList blocks = {"loop", "alt", "opt", "par", "critical", "break", "rect", "box"};
  static const QStringList continuations = {"else", "and", "option"};
  std::vector<int> open;
  for (size_t i = first + 1; i < lines.size(); ++i) {
    const TLine& line = lines[i];
    const QString& t = line.Text;
    if (t.startsWith(QL1("%%"))) continue;
    const QString word = FirstWord(t).toLower();
    if (word == QL1("title") || word.startsWith(QL1("title:"))) {
      QString title = t.mid(5).trimmed();
      if (title.startsWith(QLatin1Char(':'))) title = title.mid(1);
      R.M.Title = CleanText(title);
      continue;
    }
    if (quiet.contains(word) || word.startsWith(QL1("acctitle")) || word.startsWith(QL1("accdescr"))) continue;
    if (t == QL1("end")) {
      if (open.empty()) R.Unknown(line);
      else open.pop_back();
      continue;
    }
    if (blocks.contains(word)) {
      open.push_back(line.No);
      continue;
    }
    if (continuations.contains(word)) continue;
    auto m = participantRe.match(t);
    if (m.hasMatch()) {
      QString name = m.captured(2).trimmed();
      const qsizetype config = name.indexOf(QL1("@{"));
      if (config > 0) name = name.left(config).trimmed();
      TORVSeqParticipant* p = R.Participant(name, line.No);
      if (!p) continue;
      if (m.captured(1).compare(QL1("actor"), Qt::CaseInsensitive) == 0) p->Actor = true;
      if (m.capturedLength(3) > 0) p->Label = CleanText(m.captured(3));
      continue;
    }
    m = noteRe.match(t);
    if (m.hasMatch()) {
      const QStringList who = m.captured(2).split(QLatin1Char(','), Qt::SkipEmptyParts);
      TORVSeqEvent ev;
      ev.Kind = 1;
      ev.Placement = m.captured(1).toLower();
      ev.From = who.value(0).trimmed();
      ev.To = who.size() > 1 ? who.value(1).trimmed() : QString();
      ev.Text = CleanText(m.captured(3));
      if (ev.From.isEmpty()) {
        R.Unknown(line);
        continue;
      }
      R.Participant(ev.From, line.No);
      if (!ev.To.isEmpty()) R.Participant(ev.To, line.No);
      R.AddEvent(std::move(ev), line.No);
      continue;
    }
    m = messageRe.match(t);
    if (m.hasMatch()) {
      TORVSeqEvent ev;
      ev.From = m.captured(1).trimmed();
      ev.To = m.captured(4).trimmed();
      if (ev.To.endsWith(QLatin1Char('+')) || ev.To.endsWith(QLatin1Char('-'))) ev.To.chop(1);
      ev.Text = CleanText(m.captured(5));
      const QString arrow = m.captured(2);
      ev.Dashed = arrow.startsWith(QL1("--")) || arrow.startsWith(QL1("<<--"));
      if (arrow.endsWith(QL1(">>"))) ev.Arrow = kSeqFill;
      else if (arrow.endsWith(QLatin1Char('x'))) ev.Arrow = kSeqCross;
      else if (arrow.endsWith(QLatin1Char(')'))) ev.Arrow = kSeqOpen;
      else ev.Arrow = kSeqNone;
      if (ev.From.isEmpty() || ev.To.isEmpty()) {
        R.Unknown(line);
        continue;
      }
      if (!R.Participant(ev.From, line.No) || !R.Participant(ev.To, line.No)) continue;
      R.AddEvent(std::move(ev), line.No);
      continue;
    }
    R.Unknown(line);
  }
  for (int no : open) R.Warn(no, QStringLiteral("unclosed"), QStringLiteral("block without its end"));
}

// ---------------------------------------------------------------------------------------------
// Mind maps and the fishbone form

// "id[text]", "id(text)", "id((text))", "id))text((", "id)text(", "id{{text}}" or plain text.
TTreeEntry TreeNode(const TLine& line) {
  TTreeEntry e;
  e.Line = line.No;
  QString t = line.Text;
  const qsizetype cls = t.indexOf(QL1(":::"));
  if (cls > 0) t = t.left(cls).trimmed();
  using F = TORVFlowType;
  struct Form { QL1 open, close; F shape; };
  static const Form forms[] = {
      {QL1("(("), QL1("))"), F::Ellipse},  {QL1("))"), QL1("(("), F::Decision},
      {QL1("{{"), QL1("}}"), F::Preparation}, {QL1("["), QL1("]"), F::Process},
      {QL1("("), QL1(")"), F::Terminator}, {QL1(")"), QL1("("), F::Ellipse},
  };
  qsizetype k = 0;
  while (k < t.size() && t[k] != QLatin1Char('[') && t[k] != QLatin1Char('(') &&
         t[k] != QLatin1Char(')') && t[k] != QLatin1Char('{') && !t[k].isSpace())
    ++k;
  if (k < t.size() && !t[k].isSpace()) {
    const QStringView rest = QStringView(t).mid(k);
    for (const Form& f : forms) {
      if (rest.startsWith(f.open) && rest.endsWith(f.close) && rest.size() >= f.open.size() + f.close.size()) {
        e.Id = t.left(k);
        e.Text = CleanText(rest.mid(f.open.size(), rest.size() - f.open.size() - f.close.size()).toString());
        e.Shape = f.shape;
        return e;
      }
    }
  }
  e.Text = CleanText(t);
  return e;
}

bool TreeNoise(const QString& t) {
  return t.startsWith(QL1("%%")) || t.startsWith(QL1("::icon(")) || t.startsWith(QL1(":::"));
}

void ReadMindmap(TReader& R, const std::vector<TLine>& lines, size_t first) {
  R.M.Kind = std::uint8_t(TORVDiagramKind::TwoSidedTree);
  R.M.Direction = 1;
  TTreeBuilder tree(R);
  const QString inlineRoot = AfterFirstWord(lines[first].Text);
  if (!inlineRoot.isEmpty()) tree.Add(lines[first].Indent, TreeNode({lines[first].No, 0, inlineRoot}));
  for (size_t i = first + 1; i < lines.size(); ++i) {
    if (TreeNoise(lines[i].Text)) continue;
    tree.Add(lines[i].Indent, TreeNode(lines[i]));
  }
  if (tree.Entries.empty()) {
    R.Error(lines[first].No, QStringLiteral("empty"), QStringLiteral("mind map without a root"));
    return;
  }
  // The root's children split in two halves, the first on the right.
  int children = 0;
  for (const auto& e : tree.Entries) children += e.Parent == 0;
  const int right = (children + 1) / 2;
  int seen = 0;
  for (auto& e : tree.Entries) {
    if (e.Parent < 0) e.Side = 0;
    else if (e.Parent == 0) e.Side = seen++ < right ? 1 : -1;
    else e.Side = tree.Entries[size_t(e.Parent)].Side;
  }
  tree.Emit(kArrowNone, kArrowNone);
}

void ReadFishbone(TReader& R, const std::vector<TLine>& lines, size_t first) {
  R.M.Kind = std::uint8_t(TORVDiagramKind::Ishikawa);
  TTreeBuilder tree(R);
  for (size_t i = first + 1; i < lines.size(); ++i) {
    const TLine& line = lines[i];
    if (TreeNoise(line.Text)) continue;
    if (tree.Entries.empty() && IsWord(line.Text, QL1("title"))) {
      R.M.Title = CleanText(AfterFirstWord(line.Text));
      continue;
    }
    // The effect (head) is the root whatever its indentation; every cause hangs below it.
    tree.Add(tree.Entries.empty() ? INT_MIN : line.Indent, TreeNode(line));
  }
  if (tree.Entries.empty()) {
    R.Error(lines[first].No, QStringLiteral("empty"), QStringLiteral("fishbone without an effect"));
    return;
  }
  int bone = 0;
  for (auto& e : tree.Entries) {
    if (e.Parent < 0) e.Side = 0;
    else if (e.Parent == 0) e.Side = bone++ % 2 == 0 ? -1 : 1;
    else e.Side = tree.Entries[size_t(e.Parent)].Side;
  }
  tree.Emit(kArrowNone, kArrowNone);
}

// ---------------------------------------------------------------------------------------------
// Degraded kinds

// "A:::cls" -> "A".
QString StripClass(const QString& id) {
  const qsizetype k = id.indexOf(QL1(":::"));
  return k > 0 ? id.left(k) : id;
}

bool ReadDirection(TReader& R, const QString& t) {
  if (!IsWord(t, QL1("direction"))) return false;
  const QString dir = AfterFirstWord(t).toUpper();
  R.M.Direction = (dir == QL1("LR") || dir == QL1("RL")) ? 1 : 0;
  return true;
}

bool QuietMermaid(const QString& t) {
  static const QStringList words = {"classDef", "class", "style", "click", "linkStyle", "hide", "scale",
                                    "cssClass", "callback", "link"};
  const QString w = FirstWord(t);
  return words.contains(w) || w.startsWith(QL1("accTitle")) || w.startsWith(QL1("accDescr"));
}

void ReadState(TReader& R, const std::vector<TLine>& lines, size_t first) {
  R.M.Kind = std::uint8_t(TORVDiagramKind::Graph);
  R.Degraded(lines[first].No,
             QStringLiteral("state diagram drawn as a plain graph: composite states, forks and notes are not shown"));
  static const QRegularExpression transitionRe(QStringLiteral("^(\\S+?)\\s*-->\\s*(\\S+?)\\s*(?::(.*))?$"));
  static const QRegularExpression stateAsRe(QStringLiteral("^state\\s+\"([^\"]*)\"\\s+as\\s+(\\S+?)\\s*(\\{)?$"));
  static const QRegularExpression stateRe(QStringLiteral("^state\\s+(\\S+?)\\s*(<<\\w+>>)?\\s*(\\{)?$"));
  static const QRegularExpression describeRe(QStringLiteral("^([^\\s:]+)\\s*:(.*)$"));
  static const QRegularExpression idRe(QStringLiteral("^[\\w.-]+(?::::[\\w-]+)?$"),
                                       QRegularExpression::UseUnicodePropertiesOption);
  std::vector<std::pair<QString, int>> composite;  // name, opening line
  QSet<QString> described;
  int noteOpen = 0;
  auto endpoint = [&](const QString& raw, bool source, int lineNo) -> QString {
    const QString id = StripClass(raw);
    if (id != QL1("[*]")) {
      R.Node(id, lineNo);
      return id;
    }
    const QString scope = composite.empty() ? QString() : QStringLiteral(":") + composite.back().first;
    const QString key = (source ? QStringLiteral("[*]start") : QStringLiteral("[*]end")) + scope;
    if (R.M.NodeIndexOf(key) < 0) {
      if (TORVDiagNode* n = R.Node(key, lineNo)) {
        n->Text.clear();
        n->Shape = source ? TORVFlowType::Start : TORVFlowType::End;
      }
    }
    return key;
  };
  for (size_t i = first + 1; i < lines.size(); ++i) {
    const TLine& line = lines[i];
    const QString& t = line.Text;
    if (t.startsWith(QL1("%%"))) continue;
    if (noteOpen) {
      if (t.compare(QL1("end note"), Qt::CaseInsensitive) == 0) noteOpen = 0;
      continue;
    }
    if (IsWord(t, QL1("note"))) {
      if (!t.contains(QLatin1Char(':'))) noteOpen = line.No;
      continue;
    }
    if (ReadDirection(R, t) || QuietMermaid(t) || t == QL1("--")) continue;
    if (t == QL1("}")) {
      if (composite.empty()) R.Unknown(line);
      else composite.pop_back();
      continue;
    }
    auto m = transitionRe.match(t);
    if (m.hasMatch()) {
      TORVDiagEdge edge;
      edge.From = endpoint(m.captured(1), true, line.No);
      edge.To = endpoint(m.captured(2), false, line.No);
      edge.Label = CleanText(m.captured(3));
      if (R.M.NodeIndexOf(edge.From) >= 0 && R.M.NodeIndexOf(edge.To) >= 0) R.AddEdge(std::move(edge), line.No);
      continue;
    }
    m = stateAsRe.match(t);
    if (m.hasMatch()) {
      const QString id = StripClass(m.captured(2));
      if (TORVDiagNode* n = R.Node(id, line.No)) {
        n->Text = CleanText(m.captured(1));
        described.insert(id);
      }
      if (m.capturedLength(3) > 0) composite.push_back({id, line.No});
      continue;
    }
    m = stateRe.match(t);
    if (m.hasMatch()) {
      const QString id = StripClass(m.captured(1));
      TORVDiagNode* n = R.Node(id, line.No);
      const QString kind = m.captured(2).toLower();
      if (n && kind == QL1("<<choice>>")) n->Shape = TORVFlowType::Decision;
      if (m.capturedLength(3) > 0) composite.push_back({id, line.No});
      continue;
    }
    if (idRe.match(t).hasMatch()) {
      R.Node(StripClass(t), line.No);
      continue;
    }
    m = describeRe.match(t);
    if (m.hasMatch()) {
      const QString id = StripClass(m.captured(1));
      TORVDiagNode* n = R.Node(id, line.No);
      if (n && !described.contains(id)) {
        n->Text = CleanText(m.captured(2));
        described.insert(id);
      }
      continue;
    }
    R.Unknown(line);
  }
  if (noteOpen) R.Warn(noteOpen, QStringLiteral("unclosed"), QStringLiteral("note without its end note"));
  for (const auto& c : composite)
    R.Warn(c.second, QStringLiteral("unclosed"), QStringLiteral("composite state without its closing brace"));
}

void ReadClass(TReader& R, const std::vector<TLine>& lines, size_t first) {
  R.M.Kind = std::uint8_t(TORVDiagramKind::Graph);
  R.Degraded(lines[first].No, QStringLiteral("class diagram drawn as a plain graph: members, "
                                             "annotations, notes and cardinalities are not shown"));
  static const QRegularExpression relationRe(QStringLiteral(
      "^(\\S+?)\\s*(?:\"[^\"]*\"\\s*)?(<\\||\\*|o|<)?(--|\\.\\.)(\\|>|\\*|o|>)?\\s*(?:\"[^\"]*\"\\s*)?(\\S+?)\\s*(?::(.*))?$"));
  static const QRegularExpression classRe(
      QStringLiteral("^class\\s+([^\\s{~\\[:]+)(~[^~]*~)?(?:\\[(.*)\\])?(?::::[\\w-]+)?\\s*(\\{)?\\s*(\\})?$"));
  static const QRegularExpression memberRe(QStringLiteral("^([^\\s:]+)\\s*:"));
  int body = 0;  // line of an open class body
  std::vector<int> namespaces;
  auto classNode = [&](const QString& raw, int lineNo) -> QString {
    QString id = StripClass(raw);
    const qsizetype generic = id.indexOf(QLatin1Char('~'));
    if (generic > 0) id = id.left(generic);
    R.Node(id, lineNo);
    return id;
  };
  for (size_t i = first + 1; i < lines.size(); ++i) {
    const TLine& line = lines[i];
    const QString& t = line.Text;
    if (t.startsWith(QL1("%%"))) continue;
    if (body) {
      if (t.startsWith(QLatin1Char('}'))) body = 0;
      continue;
    }
    if (t == QL1("}")) {
      if (namespaces.empty()) R.Unknown(line);
      else namespaces.pop_back();
      continue;
    }
    if (IsWord(t, QL1("namespace"))) {
      namespaces.push_back(line.No);
      continue;
    }
    auto m = classRe.match(t);
    if (m.hasMatch()) {
      const QString id = classNode(m.captured(1), line.No);
      if (m.capturedLength(3) > 0) {
        const int index = R.M.NodeIndexOf(id);
        if (index >= 0) R.M.Nodes[size_t(index)].Text = CleanText(m.captured(3));
      }
      if (m.capturedLength(4) > 0 && m.capturedLength(5) == 0) body = line.No;
      continue;
    }
    if (ReadDirection(R, t) || IsWord(t, QL1("note")) || t.startsWith(QL1("<<")) ||
        (QuietMermaid(t) && !IsWord(t, QL1("class"))))
      continue;
    m = relationRe.match(t);
    if (m.hasMatch()) {
      TORVDiagEdge edge;
      edge.From = classNode(m.captured(1), line.No);
      edge.To = classNode(m.captured(5), line.No);
      const QString start = m.captured(2), end = m.captured(4);
      edge.Dashed = m.captured(3) == QL1("..");
      edge.FromArrow = start.isEmpty() ? kArrowNone
                       : start == QL1("*") ? kArrowFillRhombus
                       : start == QL1("o") ? kArrowRhombus
                                           : kArrowFill;
      edge.ToArrow = end.isEmpty() ? kArrowNone
                     : end == QL1("*") ? kArrowFillRhombus
                     : end == QL1("o") ? kArrowRhombus
                                       : kArrowFill;
      edge.Label = CleanText(m.captured(6));
      if (R.M.NodeIndexOf(edge.From) >= 0 && R.M.NodeIndexOf(edge.To) >= 0) R.AddEdge(std::move(edge), line.No);
      continue;
    }
    m = memberRe.match(t);
    if (m.hasMatch()) {
      classNode(m.captured(1), line.No);
      continue;
    }
    R.Unknown(line);
  }
  if (body) R.Warn(body, QStringLiteral("unclosed"), QStringLiteral("class body without its closing brace"));
  for (int no : namespaces) R.Warn(no, QStringLiteral("unclosed"), QStringLiteral("namespace without its closing brace"));
}

void ReadEntityRelation(TReader& R, const std::vector<TLine>& lines, size_t first) {
  R.M.Kind = std::uint8_t(TORVDiagramKind::Graph);
  R.Degraded(lines[first].No, QStringLiteral("entity-relationship diagram drawn as a plain graph: "
                                             "attributes and cardinalities are not shown"));
  static const QRegularExpression relationRe(QStringLiteral(
      "^(\"[^\"]+\"|[^\\s\"]+?)\\s*([|}][|o]|[|o]\\|)(--|\\.\\.)([|o][|{]|\\|[|o])\\s*(\"[^\"]+\"|[^\\s\"]+)\\s*(?::(.*))?$"));
  static const QRegularExpression entityRe(
      QStringLiteral("^(\"[^\"]+\"|[^\\s\\[{\"]+)(?:\\[(.*)\\])?\\s*(\\{)?\\s*(\\})?$"));
  int body = 0;
  auto entity = [&](const QString& raw, int lineNo) {
    const QString id = CleanText(raw);
    R.Node(id, lineNo);
    return id;
  };
  for (size_t i = first + 1; i < lines.size(); ++i) {
    const TLine& line = lines[i];
    const QString& t = line.Text;
    if (t.startsWith(QL1("%%"))) continue;
    if (body) {
      if (t.startsWith(QLatin1Char('}'))) body = 0;
      continue;
    }
    if (ReadDirection(R, t) || QuietMermaid(t)) continue;
    auto m = relationRe.match(t);
    if (m.hasMatch()) {
      TORVDiagEdge edge;
      edge.From = entity(m.captured(1), line.No);
      edge.To = entity(m.captured(5), line.No);
      edge.Dashed = m.captured(3) == QL1("..");
      edge.FromArrow = kArrowNone;
      edge.ToArrow = kArrowNone;
      edge.Label = CleanText(m.captured(6));
      if (R.M.NodeIndexOf(edge.From) >= 0 && R.M.NodeIndexOf(edge.To) >= 0) R.AddEdge(std::move(edge), line.No);
      continue;
    }
    m = entityRe.match(t);
    if (m.hasMatch()) {
      const QString id = entity(m.captured(1), line.No);
      if (m.capturedLength(2) > 0) {
        const int index = R.M.NodeIndexOf(id);
        if (index >= 0) R.M.Nodes[size_t(index)].Text = CleanText(m.captured(2));
      }
      if (m.capturedLength(3) > 0 && m.capturedLength(4) == 0) body = line.No;
      continue;
    }
    R.Unknown(line);
  }
  if (body) R.Warn(body, QStringLiteral("unclosed"), QStringLiteral("entity attributes without the closing brace"));
}

}  // namespace

void ReadMermaid(TReader& R, const std::vector<TLine>& lines, size_t first) {
  const TLine& header = lines[first];
  QString keyword;
  for (QChar c : header.Text) {
    if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_')) break;
    keyword += c;
  }
  const QString k = keyword.toLower();
  if (k == QL1("flowchart") || k == QL1("graph") || k == QL1("flowchart-elk")) {
    TFlowchartReader(R).Read(lines, first);
  } else if (k == QL1("sequencediagram")) {
    ReadSequence(R, lines, first);
  } else if (k == QL1("mindmap")) {
    ReadMindmap(R, lines, first);
  } else if (k == QL1("ishikawa") || k == QL1("fishbone")) {
    ReadFishbone(R, lines, first);
  } else if (k == QL1("statediagram") || k == QL1("statediagram-v2")) {
    ReadState(R, lines, first);
  } else if (k == QL1("classdiagram") || k == QL1("classdiagram-v2")) {
    ReadClass(R, lines, first);
  } else if (k == QL1("erdiagram")) {
    ReadEntityRelation(R, lines, first);
  } else {
    const QString seen = keyword.isEmpty() ? header.Text.left(40) : keyword.left(40);
    R.Error(header.No, QStringLiteral("unsupported"),
            QStringLiteral("unsupported diagram type \"%1\"").arg(seen), header.Text);
  }
}

}  // namespace Orv::Diagram::Detail
