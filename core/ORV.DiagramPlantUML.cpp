// PlantUML: sequence diagrams (@startuml), mind maps (@startmindmap) and work breakdown
// structures (@startwbs).
#include <QRegularExpression>
#include <QStringList>

#include "ORV.DiagramParse.h"

namespace Orv::Diagram::Detail {

namespace {

using QL1 = QLatin1String;


bool IsWord(const QString& s, QL1 word) {
  return s.size() >= word.size() && s.startsWith(word, Qt::CaseInsensitive) &&
         (s.size() == word.size() || !(s[word.size()].isLetterOrNumber() || s[word.size()] == QLatin1Char('_')));
}

// PlantUML writes line breaks inside texts as "\n".
QString PlantText(const QString& text) {
  QString t = text;
  t.replace(QL1("\\n"), QL1("\n"));
  return CleanText(t);
}

// A participant name as written in a message or declaration: quotes dropped.
QString Unquote(const QString& s) {
  const QString t = s.trimmed();
  if (t.size() >= 2 && t.front() == QLatin1Char('"') && t.back() == QLatin1Char('"'))
    return t.mid(1, t.size() - 2);
  return t;
}

bool IsEndOf(const QString& t, QL1 word) {
  // "end note", "endnote", "end title" ...
  const QString lower = t.toLower();
  return lower == QL1("end") + word || lower == QL1("end ") + word;
}

// The statements between @start... and @end..., without comments, styling and page
// decoration. The title (single or multi-line) goes to the model.
struct TBody {
  std::vector<TLine> Lines;
  QString Kind;  // "uml", "mindmap", "wbs", ...
  int StartLine = 0;
};

bool ReadBody(TReader& R, const std::vector<TLine>& lines, size_t first, TBody& body) {
  size_t i = first;
  while (i < lines.size() && lines[i].Text.startsWith(QLatin1Char('\''))) ++i;
  if (i >= lines.size() || !lines[i].Text.startsWith(QL1("@start"), Qt::CaseInsensitive)) {
    R.Error(i < lines.size() ? lines[i].No : 0, QStringLiteral("unsupported"),
            QStringLiteral("PlantUML text must begin with @startuml, @startmindmap or @startwbs"),
            i < lines.size() ? lines[i].Text : QString());
    return false;
  }
  const TLine& start = lines[i];
  QString kind;
  for (qsizetype k = 6; k < start.Text.size() && start.Text[k].isLetterOrNumber(); ++k) kind += start.Text[k];
  body.Kind = kind.toLower();
  body.StartLine = start.No;
  bool ended = false, comment = false;
  QString skipUntil;  // closing word of a block being skipped
  int titleLine = 0;
  QStringList title;
  for (++i; i < lines.size(); ++i) {
    const TLine& line = lines[i];
    const QString& t = line.Text;
    if (comment) {
      if (t.contains(QL1("'/"))) comment = false;
      continue;
    }
    if (t.startsWith(QL1("/'"))) {
      comment = !t.mid(2).contains(QL1("'/"));
      continue;
    }
    if (titleLine) {
      if (IsEndOf(t, QL1("title"))) {
        R.M.Title = PlantText(title.join(QLatin1Char('\n')));
        titleLine = 0;
      } else {
        title << t;
      }
      continue;
    }
    if (!skipUntil.isEmpty()) {
      const bool spaced = skipUntil.startsWith(QL1("end")) &&
                          t.compare(QL1("end ") + skipUntil.mid(3), Qt::CaseInsensitive) == 0;
      if (t.compare(skipUntil, Qt::CaseInsensitive) == 0 || spaced ||
          (skipUntil == QL1("}") && t.startsWith(QLatin1Char('}'))))
        skipUntil.clear();
      continue;
    }
    if (t.startsWith(QL1("@end"), Qt::CaseInsensitive)) {
      ended = true;
      break;
    }
    if (t.startsWith(QLatin1Char('\'')) || t.startsWith(QLatin1Char('!'))) continue;
    const QString word = FirstWord(t).toLower();
    if (word == QL1("skinparam")) {
      if (t.endsWith(QLatin1Char('{'))) skipUntil = QStringLiteral("}");
      continue;
    }
    if (t.compare(QL1("<style>"), Qt::CaseInsensitive) == 0) {
      skipUntil = QStringLiteral("</style>");
      continue;
    }
    if (word == QL1("legend")) {
      skipUntil = QStringLiteral("endlegend");
      continue;
    }
    if ((word == QL1("header") || word == QL1("footer")) && !t.contains(QLatin1Char(' '))) {
      skipUntil = QStringLiteral("end") + word;
      continue;
    }
    if (word == QL1("title")) {
      const QString rest = t.mid(5).trimmed();
      if (rest.isEmpty()) {
        titleLine = line.No;
        title.clear();
      } else {
        R.M.Title = PlantText(rest.startsWith(QLatin1Char(':')) ? rest.mid(1) : rest);
      }
      continue;
    }
    static const QStringList quiet = {"hide", "show", "scale", "caption", "header", "footer",
                                      "newpage", "mainframe", "allowmixing", "center"};
    if (quiet.contains(word) || t.compare(QL1("left to right direction"), Qt::CaseInsensitive) == 0 ||
        t.compare(QL1("top to bottom direction"), Qt::CaseInsensitive) == 0 ||
        t.compare(QL1("right to left direction"), Qt::CaseInsensitive) == 0)
      continue;
    body.Lines.push_back(line);
  }
  if (titleLine) R.Warn(titleLine, QStringLiteral("unclosed"), QStringLiteral("title without its end title"));
  if (comment) R.Warn(start.No, QStringLiteral("unclosed"), QStringLiteral("block comment without its end"));
  if (!ended)
    R.Warn(start.No, QStringLiteral("unclosed"),
           QStringLiteral("@start%1 without @end%1").arg(body.Kind.left(20)), start.Text);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Sequence

// Statements that belong to class, state, use case, activity or component diagrams.
bool NotSequence(const QString& t) {
  static const QRegularExpression keyword(
      QStringLiteral("^(class|abstract|interface|enum|annotation|state|usecase|component|node|artifact|"
                     "cloud|folder|frame|object|map|json|package|namespace|rectangle|storage|card|agent|"
                     "file|stack|hexagon|person|archimate|if|elseif|endif|while|endwhile|repeat|fork|"
                     "partition|split|detach|kill)\\b"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression other(
      QStringLiteral("^(start|stop)$|^:.*[;|<>/\\]}]$|\\[\\*\\]|<\\|--|--\\|>|<\\|\\.\\.|\\.\\.\\|>|\\*--|--\\*|"
                     "(^|\\s)o--|--o(\\s|$)|^\\(|(-|\\.)>?\\s*\\(|^\\|[^|]+\\|"),
      QRegularExpression::CaseInsensitiveOption);
  return keyword.match(t).hasMatch() || other.match(t).hasMatch();
}

void ReadSequence(TReader& R, const TBody& body) {
  for (const TLine& line : body.Lines) {
    if (NotSequence(line.Text)) {
      R.Error(line.No, QStringLiteral("unsupported"),
              QStringLiteral("unsupported diagram type: only sequence diagrams are read from @startuml"),
              line.Text);
      return;
    }
  }
  R.M.Kind = std::uint8_t(TORVDiagramKind::Sequence);
  static const QRegularExpression participantRe(
      QStringLiteral("^(?:create\\s+)?(participant|actor|boundary|control|entity|database|collections|queue)\\s+(.+)$"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression decorationRe(
      QStringLiteral("\\s+(order\\s+-?\\d+|#\\S+|<<.*>>)\\s*$"), QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression asRe(QStringLiteral("^(\"[^\"]*\"|\\S+)\\s+as\\s+(\"[^\"]*\"|\\S+)$"),
                                       QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression messageRe(
      QStringLiteral("^(\"[^\"]+\"|[\\w.@]+|\\[|\\?)\\s*"
                     "([ox])?(<{1,2}|[\\\\/]{1,2})?(-(?:\\[[^\\]]*\\])?-?)(>{1,2}|[\\\\/]{1,2})?(?:([ox])(?!\\w))?"
                     "\\s*(\"[^\"]+\"|[\\w.@]+|\\]|\\?)\\s*(?:\\+\\+|--|\\*\\*|!!)?\\s*(?:#\\w+)?\\s*(?::(.*))?$"),
      QRegularExpression::UseUnicodePropertiesOption);
  static const QRegularExpression noteRe(
      QStringLiteral("^[hr]?note\\s+(left|right|over|across)\\b(?:\\s+of\\b)?\\s*([^:]*?)\\s*(?::(.*))?$"),
      QRegularExpression::CaseInsensitiveOption);
  static const QStringList quiet = {"autonumber", "activate", "deactivate", "destroy", "return", "alt",
                                    "else", "opt", "loop", "group", "par", "break", "critical", "end",
                                    "box", "create", "delay", "also", "ignore", "skinparam"};
  int lastMessage = -1;  // index into Events
  int noteLine = 0, refLine = 0;
  TORVSeqEvent note;
  QStringList noteText;
  for (const TLine& line : body.Lines) {
    const QString& t = line.Text;
    if (refLine) {
      if (IsEndOf(t, QL1("ref"))) refLine = 0;
      continue;
    }
    if (noteLine) {
      if (IsEndOf(t, QL1("note")) || IsEndOf(t, QL1("hnote")) || IsEndOf(t, QL1("rnote"))) {
        note.Text = PlantText(noteText.join(QLatin1Char('\n')));
        R.AddEvent(note, noteLine);
        noteLine = 0;
      } else {
        noteText << t;
      }
      continue;
    }
    if ((t.startsWith(QL1("==")) && t.endsWith(QL1("=="))) || t.startsWith(QL1("...")) ||
        (t.startsWith(QL1("||")) && t.endsWith(QL1("||"))))
      continue;
    const QString word = FirstWord(t).toLower();
    if (word == QL1("ref")) {
      if (!t.contains(QLatin1Char(':'))) refLine = line.No;
      continue;
    }
    auto m = participantRe.match(t);
    if (m.hasMatch()) {
      QString rest = m.captured(2).trimmed();
      for (;;) {
        const auto d = decorationRe.match(rest);
        if (!d.hasMatch()) break;
        rest = rest.left(d.capturedStart()).trimmed();
      }
      QString name = Unquote(rest), label;
      const auto a = asRe.match(rest);
      if (a.hasMatch()) {
        const QString left = a.captured(1), right = a.captured(2);
        // "Display" as alias; an alias written first ("A as "Display"") is read the same way.
        if (right.startsWith(QLatin1Char('"')) && !left.startsWith(QLatin1Char('"'))) {
          name = left;
          label = Unquote(right);
        } else {
          name = Unquote(right);
          label = Unquote(left);
        }
      }
      if (name.isEmpty()) {
        R.Unknown(line);
        continue;
      }
      TORVSeqParticipant* p = R.Participant(name, line.No);
      if (!p) continue;
      if (m.captured(1).compare(QL1("actor"), Qt::CaseInsensitive) == 0) p->Actor = true;
      if (!label.isEmpty()) p->Label = PlantText(label);
      continue;
    }
    m = noteRe.match(t);
    if (m.hasMatch()) {
      TORVSeqEvent ev;
      ev.Kind = 1;
      const QString where = m.captured(1).toLower();
      QString who = m.captured(2);
      const qsizetype colour = who.indexOf(QLatin1Char('#'));
      if (colour >= 0) who = who.left(colour);
      QStringList names;
      for (const QString& n : who.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!n.trimmed().isEmpty()) names << Unquote(n);
      ev.Placement = where == QL1("left") ? QStringLiteral("left of")
                     : where == QL1("right") ? QStringLiteral("right of")
                                             : QStringLiteral("over");
      if (where == QL1("across")) {
        if (!R.M.Participants.empty()) {
          names = {R.M.Participants.front().Name};
          if (R.M.Participants.size() > 1) names << R.M.Participants.back().Name;
        }
      } else if (names.isEmpty() && lastMessage >= 0) {
        const TORVSeqEvent& last = R.M.Events[size_t(lastMessage)];
        names << (where == QL1("right") ? last.To : last.From);
      }
      if (names.isEmpty()) {
        R.Unknown(line);
        continue;
      }
      ev.From = names.value(0);
      ev.To = names.value(1);
      if (!R.Participant(ev.From, line.No)) continue;
      if (!ev.To.isEmpty() && !R.Participant(ev.To, line.No)) continue;
      if (m.capturedLength(3) > 0 || t.contains(QLatin1Char(':'))) {
        ev.Text = PlantText(m.captured(3));
        R.AddEvent(std::move(ev), line.No);
      } else {
        note = ev;
        noteText.clear();
        noteLine = line.No;
      }
      continue;
    }
    m = messageRe.match(t);
    if (m.hasMatch()) {
      const QString a = m.captured(1), b = m.captured(7);
      if (a == QL1("[") || a == QL1("?") || b == QL1("]") || b == QL1("?")) {
        R.Warn(line.No, QStringLiteral("unsupported-message"),
               QStringLiteral("messages from or to outside the diagram are not drawn"), t);
        continue;
      }
      const QString startMark = m.captured(2), startHead = m.captured(3), shaft = m.captured(4),
                    endHead = m.captured(5), endMark = m.captured(6);
      TORVSeqEvent ev;
      const bool reversed = !startHead.isEmpty() && endHead.isEmpty();
      ev.From = Unquote(reversed ? b : a);
      ev.To = Unquote(reversed ? a : b);
      ev.Dashed = shaft.count(QLatin1Char('-')) >= 2;
      const QString head = reversed ? startHead : endHead;
      const QString mark = reversed ? startMark : endMark;
      if (mark == QL1("x")) ev.Arrow = kSeqCross;
      else if (head.isEmpty()) ev.Arrow = kSeqNone;
      else if (head.size() == 2) ev.Arrow = kSeqOpen;  // ->> , -\\ , -//
      else ev.Arrow = kSeqFill;
      ev.Text = PlantText(m.captured(8));
      if (!R.Participant(ev.From, line.No) || !R.Participant(ev.To, line.No)) continue;
      if (R.AddEvent(std::move(ev), line.No)) lastMessage = int(R.M.Events.size()) - 1;
      continue;
    }
    if (quiet.contains(word) || IsWord(t, QL1("hide")) || IsWord(t, QL1("end"))) continue;
    R.Unknown(line);
  }
  if (noteLine) {
    R.Warn(noteLine, QStringLiteral("unclosed"), QStringLiteral("note without its end note"));
    note.Text = PlantText(noteText.join(QLatin1Char('\n')));
    R.AddEvent(note, noteLine);
  }
  if (refLine) R.Warn(refLine, QStringLiteral("unclosed"), QStringLiteral("ref without its end ref"));
}

// ---------------------------------------------------------------------------------------------
// Mind maps and work breakdown structures

void ReadTree(TReader& R, const TBody& body, bool mindmap) {
  R.M.Kind = std::uint8_t(mindmap ? TORVDiagramKind::TwoSidedTree : TORVDiagramKind::Graph);
  R.M.Direction = mindmap ? 1 : 0;
  static const QRegularExpression itemRe(QStringLiteral("^(\\*+|\\++|-+)(\\[#[^\\]]*\\])?([_<>]*)\\s*(.*)$"));
  static const QRegularExpression colourRe(QStringLiteral("^\\[#([^\\]]*)\\]\\s*"));
  static const QRegularExpression stereotypeRe(QStringLiteral("\\s*<<[^>]*>>\\s*$"));
  TTreeBuilder tree(R);
  std::int8_t defaultSide = 1;
  const auto& lines = body.Lines;
  for (size_t i = 0; i < lines.size(); ++i) {
    const TLine& line = lines[i];
    const QString& t = line.Text;
    if (mindmap && t.compare(QL1("left side"), Qt::CaseInsensitive) == 0) {
      defaultSide = -1;
      continue;
    }
    if (mindmap && t.compare(QL1("right side"), Qt::CaseInsensitive) == 0) {
      defaultSide = 1;
      continue;
    }
    const auto m = itemRe.match(t);
    if (!m.hasMatch()) {
      R.Unknown(line);
      continue;
    }
    const QString markers = m.captured(1);
    QString colour = m.captured(2);
    QString text = m.captured(4);
    if (colour.isEmpty()) {
      const auto c = colourRe.match(text);
      if (c.hasMatch()) {
        colour = c.captured(0).trimmed();
        text = text.mid(c.capturedLength());
      }
    }
    TTreeEntry e;
    e.Line = line.No;
    if (text.startsWith(QLatin1Char(':'))) {
      // ":first line ... last line;" spread over several lines
      QStringList parts{text.mid(1)};
      size_t j = i;
      while (!parts.back().endsWith(QLatin1Char(';')) && j + 1 < lines.size()) parts << lines[++j].Text;
      if (parts.back().endsWith(QLatin1Char(';'))) {
        parts.back().chop(1);
        i = j;
      } else {
        R.Warn(line.No, QStringLiteral("unclosed"), QStringLiteral("multi-line text without its closing ;"), t);
        parts = QStringList{text.mid(1)};
      }
      text = parts.join(QLatin1Char('\n'));
    }
    text.remove(stereotypeRe);
    e.Text = PlantText(text);
    if (!colour.isEmpty()) {
      const QString value = colour.mid(1, colour.size() - 2);  // "#name" or "#rrggbb"
      std::uint32_t argb = 0;
      if (ReadColor(value, argb)) {
        e.HasFill = true;
        e.FillColor = argb;
      } else {
        R.Warn(line.No, QStringLiteral("unknown-color"), QStringLiteral("colour \"%1\" not known").arg(value.left(40)), t);
      }
    }
    const int index = tree.Add(int(markers.size()), std::move(e));
    if (index < 0 || !mindmap) continue;
    TTreeEntry& added = tree.Entries[size_t(index)];
    if (added.Parent < 0) added.Side = 0;
    else if (added.Parent == 0)
      added.Side = markers[0] == QLatin1Char('+') ? 1 : markers[0] == QLatin1Char('-') ? -1 : defaultSide;
    else added.Side = tree.Entries[size_t(added.Parent)].Side;
  }
  if (tree.Entries.empty()) {
    R.Error(body.StartLine, QStringLiteral("empty"),
            mindmap ? QStringLiteral("mind map without a root") : QStringLiteral("work breakdown without a root"));
    return;
  }
  tree.Emit(kArrowNone, kArrowNone);
}

}  // namespace

void ReadPlantUML(TReader& R, const std::vector<TLine>& lines, size_t first) {
  TBody body;
  if (!ReadBody(R, lines, first, body)) return;
  if (body.Kind == QL1("uml")) {
    ReadSequence(R, body);
  } else if (body.Kind == QL1("mindmap")) {
    ReadTree(R, body, true);
  } else if (body.Kind == QL1("wbs")) {
    ReadTree(R, body, false);
  } else {
    R.Error(body.StartLine, QStringLiteral("unsupported"),
            QStringLiteral("unsupported diagram type \"@start%1\"").arg(body.Kind.left(40)));
  }
}

}  // namespace Orv::Diagram::Detail
