#include "ORV.Gantt.h"

#include <QColor>
#include <QRegularExpression>
#include <algorithm>

namespace Orv::Diagram {

namespace {

// Order of the three numbers in a date.
enum class DateOrder { YMD, DMY, MDY };

// Strict integer: digits only (an optional sign), no overflow.
bool ToInt(const QString& s, qint64& out) {
  bool ok = false;
  const qint64 v = s.trimmed().toLongLong(&ok);
  if (!ok) return false;
  out = v;
  return true;
}

// Reads "a-b-c" (or with "/") in the given order; invalid when any part is not a number or the
// day does not exist.
QDate ReadDate(const QString& text, DateOrder order) {
  QString t = text.trimmed();
  t.replace(QLatin1Char('/'), QLatin1Char('-'));
  const QStringList parts = t.split(QLatin1Char('-'));
  if (parts.size() != 3) return {};
  qint64 n[3];
  for (int i = 0; i < 3; ++i) {
    if (parts[i].isEmpty() || !ToInt(parts[i], n[i]) || n[i] < 0 || n[i] > 99999) return {};
  }
  qint64 y = n[0], m = n[1], d = n[2];
  if (order == DateOrder::DMY) { d = n[0]; m = n[1]; y = n[2]; }
  if (order == DateOrder::MDY) { m = n[0]; d = n[1]; y = n[2]; }
  if (y < 1 || y > 9999) return {};
  return QDate(int(y), int(m), int(d));  // invalid when the day does not exist
}

bool LooksLikeDate(const QString& text) {
  static const QRegularExpression re(QStringLiteral("^\\s*\\d+[-/]\\d+[-/]\\d+\\s*$"));
  return re.match(text).hasMatch();
}

// A colour name or "#" hex (#RGB, #RRGGBB, #AARRGGBB); "#Name" is read as the name too.
std::uint32_t ReadColor(const QString& name, bool& ok) {
  const QString t = name.trimmed();
  QColor c(t);
  if (!c.isValid() && t.startsWith(QLatin1Char('#'))) c = QColor(t.mid(1));
  ok = c.isValid();
  return ok ? std::uint32_t(c.rgba()) : 0u;
}

// "12", "-3.5", "0,25" -> value x 10000; false when not such a number.
bool ReadCurrency(const QString& text, qint64& out) {
  static const QRegularExpression re(QStringLiteral("^([+-]?)(\\d{1,14})(?:[.,](\\d{1,4}))?$"));
  const auto m = re.match(text.trimmed());
  if (!m.hasMatch()) return false;
  qint64 v = m.captured(2).toLongLong() * 10000;
  QString frac = m.captured(3);
  while (frac.size() < 4) frac += QLatin1Char('0');
  v += frac.toLongLong();
  out = m.captured(1) == QLatin1String("-") ? -v : v;
  return true;
}

QString Lower(const QString& s) { return s.toLower(); }

// Mermaid shows a task's state by its colour: critical red, done grey, active a stronger blue
// than the plain tasks. Critical wins when tags combine.
std::uint32_t MermaidTaskColor(const QStringList& tags) {
  if (tags.contains(QStringLiteral("crit"))) return 0xFFF4A6A6u;
  if (tags.contains(QStringLiteral("done"))) return 0xFFD3D3D3u;
  if (tags.contains(QStringLiteral("active"))) return 0xFF8FB8E8u;
  if (tags.contains(QStringLiteral("milestone"))) return 0xFFFFD54Fu;
  return 0xFFC6D9F1u;
}

}  // namespace

qint64 TGanttElement::GetTotalCost() const {
  // Iterative: a deep native tree must not exhaust the stack.
  qint64 total = 0;
  std::vector<const TGanttElement*> stack{this};
  while (!stack.empty()) {
    const TGanttElement* e = stack.back();
    stack.pop_back();
    total += e->Cost;
    for (const auto& c : e->Children) stack.push_back(c.get());
  }
  return total;
}

QStringList GanttLines(const QString& text) {
  QString t = text;
  t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t.split(QLatin1Char('\n'));
}

TGanttParser::TGanttParser(QDate reference) : ReferenceDate(reference) {}

void TGanttParser::Clear() {
  Title.clear();
  Elements.clear();
  fDiagnostics.clear();
  fDependencies.clear();
  fByKind.clear();
  fByName.clear();
  fConstraints.clear();
  fFixedEnds.clear();
}

void TGanttParser::Report(int line, TGanttSeverity severity, const QString& message) {
  if (int(fDiagnostics.size()) > kMaxDiagnostics) return;
  if (int(fDiagnostics.size()) == kMaxDiagnostics) {
    fDiagnostics.push_back({line, TGanttSeverity::Warning,
                            QStringLiteral("too many problems; the rest are not listed")});
    return;
  }
  fDiagnostics.push_back({line, severity, message});
}

TGanttElement* TGanttParser::Append(std::unique_ptr<TGanttElement> element) {
  const int index = int(Elements.size());
  // The first element with a key keeps it (QHash::insert would replace).
  const QString kind = Lower(element->Kind), name = Lower(element->Name);
  if (!kind.isEmpty() && !fByKind.contains(kind)) fByKind.insert(kind, index);
  if (!name.isEmpty() && !fByName.contains(name)) fByName.insert(name, index);
  Elements.push_back(std::move(element));
  return Elements.back().get();
}

TGanttElement* TGanttParser::Lookup(const QString& key) const {
  const int i = LookupIndex(key);
  return i < 0 ? nullptr : Elements[size_t(i)].get();
}

int TGanttParser::LookupIndex(const QString& key) const {
  QString k = key.trimmed();
  if (k.startsWith(QLatin1Char('[')) && k.endsWith(QLatin1Char(']')) && k.size() >= 2)
    k = k.mid(1, k.size() - 2).trimmed();
  k = Lower(k);
  const int a = fByKind.value(k, -1);
  const int b = fByName.value(k, -1);
  return a < 0 ? b : (b < 0 ? a : std::min(a, b));
}

TGanttElement* TGanttParser::FindElement(const QString& name) const {
  QString k = name.trimmed();
  if (k.startsWith(QLatin1Char('[')) && k.endsWith(QLatin1Char(']')) && k.size() >= 2)
    k = k.mid(1, k.size() - 2).trimmed();
  for (const auto& e : Elements) {
    if (e->Kind.compare(k, Qt::CaseInsensitive) == 0 || e->Name.compare(k, Qt::CaseInsensitive) == 0)
      return e.get();
  }
  return nullptr;
}

qint64 TGanttParser::GetTotalDuration() const {
  qint64 total = 0;
  for (const auto& e : Elements) total += e->Duration;
  return total;
}

qint64 TGanttParser::GetTotalCost() const {
  qint64 total = 0;
  for (const auto& e : Elements) total += e->GetTotalCost();
  return total;
}

QDate TGanttParser::GetMinStartDate() const {
  QDate best;
  for (const auto& e : Elements)
    if (e->StartDate.isValid() && (!best.isValid() || e->StartDate < best)) best = e->StartDate;
  return best;
}

QDate TGanttParser::GetMaxEndDate() const {
  QDate best;
  for (const auto& e : Elements)
    if (e->EndDate.isValid() && (!best.isValid() || e->EndDate > best)) best = e->EndDate;
  return best;
}

// ---------------------------------------------------------------------------------------------
// Tied starts

void TGanttParser::ResolveConstraints() {
  const int n = int(Elements.size());
  const int m = int(fConstraints.size());
  // Incoming and outgoing constraints per task, as offsets into two flat lists.
  std::vector<int> inStart(size_t(n) + 1, 0), outStart(size_t(n) + 1, 0);
  for (const TConstraint& c : fConstraints) {
    ++inStart[size_t(c.To) + 1];
    ++outStart[size_t(c.From) + 1];
  }
  for (int i = 0; i < n; ++i) {
    inStart[size_t(i) + 1] += inStart[size_t(i)];
    outStart[size_t(i) + 1] += outStart[size_t(i)];
  }
  std::vector<int> inList(static_cast<size_t>(m)), outList(static_cast<size_t>(m));
  {
    std::vector<int> inFill(inStart.begin(), inStart.end() - 1);
    std::vector<int> outFill(outStart.begin(), outStart.end() - 1);
    for (int k = 0; k < m; ++k) {
      inList[size_t(inFill[size_t(fConstraints[size_t(k)].To)]++)] = k;
      outList[size_t(outFill[size_t(fConstraints[size_t(k)].From)]++)] = k;
    }
  }
  std::vector<int> fixedEnd(size_t(n), -1);
  for (int k = 0; k < int(fFixedEnds.size()); ++k) fixedEnd[size_t(fFixedEnds[size_t(k)].Task)] = k;

  // Kahn's order: a task is settled once every task it is tied to is settled, so one walk
  // does it whatever the text order was.
  std::vector<int> waiting(static_cast<size_t>(n));
  std::vector<int> queue;
  queue.reserve(size_t(n));
  for (int i = 0; i < n; ++i) {
    waiting[size_t(i)] = inStart[size_t(i) + 1] - inStart[size_t(i)];
    if (waiting[size_t(i)] == 0) queue.push_back(i);
  }
  std::vector<char> settled(size_t(n), 0);
  for (size_t head = 0; head < queue.size(); ++head) {
    const int u = queue[head];
    settled[size_t(u)] = 1;
    TGanttElement& e = *Elements[size_t(u)];
    if (inStart[size_t(u)] != inStart[size_t(u) + 1]) {
      // The latest of the points it is tied to.
      QDate start;
      for (int j = inStart[size_t(u)]; j < inStart[size_t(u) + 1]; ++j) {
        const TConstraint& c = fConstraints[size_t(inList[size_t(j)])];
        const TGanttElement& from = *Elements[size_t(c.From)];
        const QDate point = c.FromEnd ? from.EndDate : from.StartDate;
        if (point.isValid() && (!start.isValid() || point > start)) start = point;
      }
      if (start.isValid()) {
        e.StartDate = start;
        if (const int f = fixedEnd[size_t(u)]; f >= 0) {
          const TFixedEnd& fe = fFixedEnds[size_t(f)];
          const qint64 days = start.daysTo(fe.End);
          if (days <= 0) {
            Report(fe.Line, TGanttSeverity::Error,
                   QStringLiteral("end date %1 is not after the start").arg(fe.Text));
            e.Duration = 1;
          } else if (days > kMaxDuration) {
            Report(fe.Line, TGanttSeverity::Error,
                   QStringLiteral("duration too long; one day used"));
            e.Duration = 1;
          } else {
            e.Duration = int(days);
          }
        }
        e.EndDate = start.addDays(e.Duration);
      }
    }
    for (int j = outStart[size_t(u)]; j < outStart[size_t(u) + 1]; ++j) {
      const int to = fConstraints[size_t(outList[size_t(j)])].To;
      if (--waiting[size_t(to)] == 0) queue.push_back(to);
    }
  }
  if (int(queue.size()) < n) ReportCycles(inStart, inList, settled);

  fDependencies.clear();
  for (const TConstraint& c : fConstraints)
    if (c.Listed) fDependencies.push_back({Elements[size_t(c.From)].get(), Elements[size_t(c.To)].get()});
}

void TGanttParser::ReportCycles(const std::vector<int>& inStart, const std::vector<int>& inList,
                                const std::vector<char>& settled) {
  // Every task left unsettled waits for another unsettled task. Walking those back from any of
  // them must come round to a task already on the walk: a cycle. Tasks that merely wait on a
  // cycle lead to one already reported. Each task is walked once.
  const int n = int(Elements.size());
  std::vector<char> state(size_t(n), 0);  // 0 not walked, 1 on this walk, 2 done
  std::vector<int> path, via;
  for (int v = 0; v < n; ++v) {
    if (settled[size_t(v)] || state[size_t(v)]) continue;
    path.clear();
    via.clear();
    int x = v;
    while (state[size_t(x)] == 0) {
      state[size_t(x)] = 1;
      int pick = -1;
      for (int j = inStart[size_t(x)]; j < inStart[size_t(x) + 1]; ++j) {
        if (!settled[size_t(fConstraints[size_t(inList[size_t(j)])].From)]) {
          pick = inList[size_t(j)];
          break;
        }
      }
      path.push_back(x);
      via.push_back(pick);
      if (pick < 0) break;  // cannot happen: an unsettled task waits for something
      x = fConstraints[size_t(pick)].From;
    }
    if (state[size_t(x)] == 1 && via.back() >= 0) {
      // path[pos] <- path[pos+1] <- ... <- path.back() <- path[pos]; via[i] ties path[i] to the
      // task before it. Name the tasks in the forward direction, starting from the constraint
      // written first.
      const size_t pos = size_t(std::find(path.begin(), path.end(), x) - path.begin());
      std::vector<int> cycle;   // forward order
      std::vector<int> edges;   // edges[i] ties cycle[i + 1] (wrapping) to cycle[i]
      for (size_t i = path.size(); i-- > pos;) {
        cycle.push_back(path[i]);
        edges.push_back(via[i == pos ? path.size() - 1 : i - 1]);
      }
      size_t first = 0;
      for (size_t i = 1; i < edges.size(); ++i)
        if (fConstraints[size_t(edges[i])].Line < fConstraints[size_t(edges[first])].Line) first = i;
      constexpr size_t kShown = 12;
      QStringList names;
      for (size_t i = 0; i < cycle.size() && i < kShown; ++i)
        names << Elements[size_t(cycle[(first + i) % cycle.size()])]->Name;
      if (cycle.size() > kShown)
        names << QStringLiteral("… (%1 tasks)").arg(cycle.size());
      else
        names << names.first();
      Report(fConstraints[size_t(edges[first])].Line, TGanttSeverity::Error,
             QStringLiteral("dependency cycle: %1; those tasks keep their first dates")
                 .arg(names.join(QStringLiteral(" -> "))));
    }
    for (int p : path) state[size_t(p)] = 2;
  }
}

bool TGanttParser::Parse(const QString& text) {
  Clear();
  if (text.contains(QLatin1String("@startgantt"))) {
    ParsePlantUML(text);
    return !Elements.empty();
  }
  // Mermaid when the first line that is neither blank nor a %% comment is "gantt". Scanning
  // stops at that line, so a huge text costs one short walk.
  static const QRegularExpression gantt(QStringLiteral("^gantt\\b"));
  qsizetype pos = 0;
  bool mermaid = false;
  while (pos < text.size()) {
    qsizetype end = text.indexOf(QLatin1Char('\n'), pos);
    if (end < 0) end = text.size();
    const QString line = text.mid(pos, std::min<qsizetype>(end - pos, 256)).trimmed();
    pos = end + 1;
    if (line.isEmpty() || line.startsWith(QLatin1String("%%"))) continue;
    mermaid = gantt.match(line).hasMatch();
    break;
  }
  if (mermaid) {
    ParseMermaid(text);
  } else {
    Parse(GanttLines(text));
  }
  return !Elements.empty();
}

// ---------------------------------------------------------------------------------------------
// Mermaid

void TGanttParser::ParseMermaid(const QString& text) {
  Clear();
  static const QRegularExpression durationRe(
      QStringLiteral("^(\\d+)\\s*([dw]?)$"), QRegularExpression::CaseInsensitiveOption);
  static const QStringList skipped = {QStringLiteral("gantt"),       QStringLiteral("dateformat"),
                                      QStringLiteral("axisformat"),  QStringLiteral("excludes"),
                                      QStringLiteral("todaymarker"), QStringLiteral("includes"),
                                      QStringLiteral("weekday"),     QStringLiteral("tickinterval"),
                                      QStringLiteral("displaymode"), QStringLiteral("acctitle"),
                                      QStringLiteral("accdescr"),    QStringLiteral("inclusiveenddates"),
                                      QStringLiteral("topaxis")};
  static const QStringList tags = {QStringLiteral("crit"), QStringLiteral("done"),
                                   QStringLiteral("active"), QStringLiteral("milestone")};
  DateOrder order = DateOrder::YMD;
  QString section;
  QHash<QString, int> byId;  // id -> top-level index
  // "after" lists, matched against the ids once every task is read: an id may come later.
  struct After {
    int Task;
    int Line;
    QStringList Refs;
  };
  std::vector<After> afters;
  const TGanttElement* previous = nullptr;
  const QStringList lines = GanttLines(text);
  for (int i = 0; i < lines.size(); ++i) {
    const int lineNo = i + 1;
    if (lines[i].size() > kMaxLineLength) {
      Report(lineNo, TGanttSeverity::Error, QStringLiteral("line too long; skipped"));
      continue;
    }
    const QString line = lines[i].trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1String("%%"))) continue;
    if (line.startsWith(QLatin1String("title "))) {
      Title = line.mid(6).trimmed();
      continue;
    }
    if (line.startsWith(QLatin1String("section "))) {
      section = line.mid(8).trimmed();
      continue;
    }
    const QString lower = Lower(line);
    if (lower.startsWith(QLatin1String("dateformat"))) {
      const QString f = line.mid(10).trimmed().toUpper();
      if (f == QLatin1String("YYYY-MM-DD") || f == QLatin1String("YYYY/MM/DD"))
        order = DateOrder::YMD;
      else if (f == QLatin1String("DD-MM-YYYY") || f == QLatin1String("DD/MM/YYYY"))
        order = DateOrder::DMY;
      else if (f == QLatin1String("MM/DD/YYYY") || f == QLatin1String("MM-DD-YYYY"))
        order = DateOrder::MDY;
      else
        Report(lineNo, TGanttSeverity::Warning,
               QStringLiteral("date format \"%1\" not supported; YYYY-MM-DD used").arg(f));
      continue;
    }
    if (std::any_of(skipped.begin(), skipped.end(),
                    [&](const QString& k) { return lower.startsWith(k); }))
      continue;
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0) {
      Report(lineNo, TGanttSeverity::Warning, QStringLiteral("not a task line; ignored"));
      continue;
    }
    auto e = std::make_unique<TGanttElement>();
    e->Name = line.left(colon).trimmed();
    e->Section = section;
    QStringList items = line.mid(colon + 1).split(QLatin1Char(','));
    for (QString& s : items) s = s.trimmed();
    e->Kind = items.value(0);
    // Leading tags, then [id,] [start,] end-or-duration.
    while (!items.isEmpty() && tags.contains(Lower(items.first()))) {
      e->Tags << Lower(items.first());
      items.removeFirst();
    }
    e->Milestone = e->Tags.contains(QStringLiteral("milestone"));
    QString startSpec, endSpec;
    if (items.size() >= 3) {
      e->Id = items[items.size() - 3];
      startSpec = items[items.size() - 2];
      endSpec = items.last();
    } else if (items.size() == 2) {
      const QString& first = items[0];
      if (LooksLikeDate(first) || Lower(first).startsWith(QLatin1String("after ")))
        startSpec = first;
      else
        e->Id = first;
      endSpec = items[1];
    } else if (items.size() == 1) {
      endSpec = items[0];
    }

    const int index = int(Elements.size());
    QDate start;
    bool tied = false;  // the start depends on other tasks and is settled after the last line
    if (!startSpec.isEmpty()) {
      if (Lower(startSpec).startsWith(QLatin1String("after "))) {
        After after{index, lineNo, {}};
        const QStringList refs =
            startSpec.mid(6).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& ref : refs) {
          if (!e->Id.isEmpty() && ref == e->Id) {
            Report(lineNo, TGanttSeverity::Error,
                   QStringLiteral("task \"%1\" cannot start after itself").arg(ref));
            continue;
          }
          after.Refs << ref;
          // A first guess from the tasks already read; settled later.
          if (const int dep = byId.value(ref, -1); dep >= 0) {
            const QDate end = Elements[size_t(dep)]->EndDate;
            if (!start.isValid() || end > start) start = end;
          }
        }
        afters.push_back(std::move(after));
        tied = true;
      } else {
        start = ReadDate(startSpec, order);
        if (!start.isValid())
          Report(lineNo, TGanttSeverity::Error,
                 QStringLiteral("\"%1\" is not a valid date").arg(startSpec));
      }
    }
    if (!start.isValid()) {
      if (previous) {
        start = previous->EndDate;
        if (!tied) {
          // No start of its own: it follows the task above, wherever that one ends up.
          fConstraints.push_back({index - 1, index, true, false, lineNo});
          tied = true;
        }
      } else if (tied) {
        start = ReferenceDate;  // a guess until the ids are matched
      } else {
        start = ReferenceDate;
        Report(lineNo, TGanttSeverity::Warning,
                 QStringLiteral("first task has no start date; %1 used")
                     .arg(ReferenceDate.toString(Qt::ISODate)));
      }
    }
    e->StartDate = start;

    qint64 duration = 0;
    if (LooksLikeDate(endSpec)) {
      const QDate end = ReadDate(endSpec, order);
      if (!end.isValid()) {
        Report(lineNo, TGanttSeverity::Error,
               QStringLiteral("\"%1\" is not a valid date").arg(endSpec));
      } else if (tied) {
        // Checked once the start is settled; until then a quiet guess.
        fFixedEnds.push_back({index, end, endSpec, lineNo});
        const qint64 days = start.daysTo(end);
        duration = days > 0 && days <= kMaxDuration ? days : 0;
      } else if (end <= start) {
        Report(lineNo, TGanttSeverity::Error,
               QStringLiteral("end date %1 is not after the start").arg(endSpec));
      } else {
        duration = start.daysTo(end);
      }
    } else if (!endSpec.isEmpty()) {
      const auto m = durationRe.match(endSpec);
      if (m.hasMatch()) {
        if (!ToInt(m.captured(1), duration)) duration = qint64(kMaxDuration) + 1;  // overflow
        if (Lower(m.captured(2)) == QLatin1String("w")) duration *= 7;
      } else {
        Report(lineNo, TGanttSeverity::Warning,
               QStringLiteral("\"%1\" is not a duration; one day used").arg(endSpec));
      }
    }
    if (duration > kMaxDuration) {
      Report(lineNo, TGanttSeverity::Error, QStringLiteral("duration too long; one day used"));
      duration = 0;
    }
    e->Duration = int(std::max<qint64>(1, duration));
    e->EndDate = start.addDays(e->Duration);
    e->Color = MermaidTaskColor(e->Tags);

    TGanttElement* added = Append(std::move(e));
    if (!added->Id.isEmpty()) {
      if (byId.contains(added->Id))
        Report(lineNo, TGanttSeverity::Warning,
               QStringLiteral("id \"%1\" used twice; the first task keeps it").arg(added->Id));
      else
        byId.insert(added->Id, index);
    }
    previous = added;
  }

  for (const After& after : afters) {
    bool any = false;
    for (const QString& ref : after.Refs) {
      const int dep = byId.value(ref, -1);
      if (dep < 0) {
        Report(after.Line, TGanttSeverity::Error,
               QStringLiteral("\"after %1\": no task has that id").arg(ref));
        continue;
      }
      fConstraints.push_back({dep, after.Task, true, true, after.Line});
      any = true;
    }
    if (any) continue;
    // Nothing usable after "after": like a task without a start.
    if (after.Task > 0)
      fConstraints.push_back({after.Task - 1, after.Task, true, false, after.Line});
    else
      Report(after.Line, TGanttSeverity::Warning,
             QStringLiteral("first task has no start date; %1 used")
                 .arg(ReferenceDate.toString(Qt::ISODate)));
  }
  ResolveConstraints();
}

// ---------------------------------------------------------------------------------------------
// PlantUML

void TGanttParser::ParsePlantUML(const QString& text) {
  Clear();
  using RE = QRegularExpression;
  const auto ci = RE::CaseInsensitiveOption;
  static const RE titleRe(QStringLiteral("^title\\s+(.*)$"), ci);
  static const RE projectRe(QStringLiteral("^Project\\s+starts(?:\\s+the)?\\s+(.+)$"), ci);
  static const RE dependRe(QStringLiteral("^\\[([^\\]]+)\\]\\s*->\\s*\\[([^\\]]+)\\]$"));
  static const RE taskRe(QStringLiteral("^\\[([^\\]]+)\\](?:\\s+as\\s+\\[([^\\]]+)\\])?\\s+(.*)$"));
  static const RE weeksRe(QStringLiteral("\\b(?:requires|lasts)\\s+(\\d+)\\s+weeks?"), ci);
  static const RE daysRe(QStringLiteral("\\b(?:requires|lasts)\\s+(\\d+)\\s+days?"), ci);
  static const RE startsRe(
      QStringLiteral("\\bstarts(?:\\s+at)?\\s+(\\d{4}[-/]\\d{2}[-/]\\d{2}|D\\+\\d+)"), ci);
  static const RE endsRe(
      QStringLiteral("\\bends(?:\\s+at)?\\s+(\\d{4}[-/]\\d{2}[-/]\\d{2}|D\\+\\d+)"), ci);
  static const RE startsAtTaskRe(
      QStringLiteral("\\bstarts\\s+at\\s+\\[([^\\]]+)\\]'s\\s+(start|end)"), ci);
  static const RE happensRe(QStringLiteral("\\bhappens(?:\\s+at)?\\s+(.+)$"), ci);
  static const RE taskPointRe(QStringLiteral("^\\[([^\\]]+)\\]'s\\s+(start|end)$"), ci);
  static const RE completeRe(QStringLiteral("\\bis\\s+(\\d+)%\\s+complete(?:d)?"), ci);
  static const RE colorRe(QStringLiteral("\\bis\\s+colored\\s+in\\s+([#\\w]+)"), ci);
  static const RE dayOffsetRe(QStringLiteral("^D\\+(\\d+)$"), ci);
  static const QStringList skipped = {QStringLiteral("printscale"), QStringLiteral("projectscale"),
                                      QStringLiteral("ganttscale"), QStringLiteral("saturday"),
                                      QStringLiteral("sunday")};

  QDate projectStart;
  bool warnedNoStart = false;
  auto project = [&](int lineNo) {
    if (projectStart.isValid()) return projectStart;
    if (!warnedNoStart)
      Report(lineNo, TGanttSeverity::Warning,
             QStringLiteral("no project start; %1 used").arg(ReferenceDate.toString(Qt::ISODate)));
    warnedNoStart = true;
    return ReferenceDate;
  };
  auto readDate = [&](int lineNo, const QString& s) -> QDate {
    const auto m = dayOffsetRe.match(s.trimmed());
    if (m.hasMatch()) {
      qint64 n = 0;
      if (!ToInt(m.captured(1), n) || n > kMaxDuration) {
        Report(lineNo, TGanttSeverity::Error, QStringLiteral("day offset too large"));
        return {};
      }
      return project(lineNo).addDays(n);
    }
    const QDate d = ReadDate(s, DateOrder::YMD);
    if (!d.isValid())
      Report(lineNo, TGanttSeverity::Error, QStringLiteral("\"%1\" is not a valid date").arg(s));
    return d;
  };
  auto readCount = [&](int lineNo, const QString& s, qint64 factor) -> int {
    qint64 n = 0;
    if (!ToInt(s, n) || n > kMaxDuration / factor) {
      Report(lineNo, TGanttSeverity::Error, QStringLiteral("duration too long; ignored"));
      return -1;
    }
    return int(n * factor);
  };

  const QStringList lines = GanttLines(text);
  for (int i = 0; i < lines.size(); ++i) {
    const int lineNo = i + 1;
    if (lines[i].size() > kMaxLineLength) {
      Report(lineNo, TGanttSeverity::Error, QStringLiteral("line too long; skipped"));
      continue;
    }
    const QString line = lines[i].trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('\'')) || line.startsWith(QLatin1Char('@')))
      continue;
    const QString lower = Lower(line);
    if (std::any_of(skipped.begin(), skipped.end(),
                    [&](const QString& k) { return lower.startsWith(k); }))
      continue;

    if (auto m = titleRe.match(line); m.hasMatch()) {
      Title = m.captured(1).trimmed();
      continue;
    }
    if (auto m = projectRe.match(line); m.hasMatch()) {
      const QDate d = ReadDate(m.captured(1), DateOrder::YMD);
      if (d.isValid())
        projectStart = d;
      else
        Report(lineNo, TGanttSeverity::Error,
               QStringLiteral("project start \"%1\" is not a valid date").arg(m.captured(1)));
      continue;
    }
    // Tested before the task statement, which would otherwise swallow "[A] -> [B]".
    if (auto m = dependRe.match(line); m.hasMatch()) {
      const int fromIndex = LookupIndex(m.captured(1));
      const int toIndex = LookupIndex(m.captured(2));
      if (fromIndex < 0 || toIndex < 0) {
        Report(lineNo, TGanttSeverity::Warning,
               QStringLiteral("dependency names a task not yet defined; ignored"));
        continue;
      }
      if (fromIndex == toIndex) {
        Report(lineNo, TGanttSeverity::Error, QStringLiteral("a task cannot follow itself"));
        continue;
      }
      // Applied now as a first guess, settled again after the last line.
      TGanttElement* from = Elements[size_t(fromIndex)].get();
      TGanttElement* to = Elements[size_t(toIndex)].get();
      to->StartDate = from->EndDate;
      to->EndDate = to->StartDate.addDays(to->Duration);
      fConstraints.push_back({fromIndex, toIndex, true, true, lineNo});
      continue;
    }
    if (auto m = taskRe.match(line); m.hasMatch()) {
      const QString name = m.captured(1).trimmed();
      QString alias = m.captured(2).trimmed();
      if (alias.isEmpty()) alias = name;
      int index = LookupIndex(alias);
      if (index < 0) index = LookupIndex(name);
      if (index < 0) {
        auto fresh = std::make_unique<TGanttElement>();
        fresh->Name = name;
        fresh->Kind = alias;
        fresh->Color = 0xFF87CEEBu;
        index = int(Elements.size());
        Append(std::move(fresh));
      }
      TGanttElement* e = Elements[size_t(index)].get();
      const QString rest = m.captured(3);
      bool durationSet = false, startSet = false, endSet = false;
      if (auto w = weeksRe.match(rest); w.hasMatch()) {
        if (int n = readCount(lineNo, w.captured(1), 7); n >= 0) { e->Duration = n; durationSet = true; }
      }
      if (auto d = daysRe.match(rest); d.hasMatch()) {
        if (int n = readCount(lineNo, d.captured(1), 1); n >= 0) { e->Duration = n; durationSet = true; }
      }
      if (auto s = startsRe.match(rest); s.hasMatch()) {
        if (QDate d = readDate(lineNo, s.captured(1)); d.isValid()) { e->StartDate = d; startSet = true; }
      }
      if (auto s = endsRe.match(rest); s.hasMatch()) {
        if (QDate d = readDate(lineNo, s.captured(1)); d.isValid()) { e->EndDate = d; endSet = true; }
      }
      if (auto s = startsAtTaskRe.match(rest); s.hasMatch()) {
        const int otherIndex = LookupIndex(s.captured(1));
        if (otherIndex == index) {
          Report(lineNo, TGanttSeverity::Error, QStringLiteral("a task cannot start at itself"));
        } else if (otherIndex >= 0) {
          const TGanttElement* other = Elements[size_t(otherIndex)].get();
          const bool atEnd = Lower(s.captured(2)) != QLatin1String("start");
          e->StartDate = atEnd ? other->EndDate : other->StartDate;
          e->EndDate = e->StartDate.addDays(e->Duration);
          startSet = true;
          fConstraints.push_back({otherIndex, index, atEnd, true, lineNo});
        } else {
          Report(lineNo, TGanttSeverity::Warning,
                 QStringLiteral("task [%1] not yet defined; start unchanged").arg(s.captured(1)));
        }
      }
      if (auto h = happensRe.match(rest); h.hasMatch()) {
        e->Milestone = true;
        e->Duration = 0;
        const QString where = h.captured(1).trimmed();
        QDate d;
        if (auto t = taskPointRe.match(where); t.hasMatch()) {
          const int otherIndex = LookupIndex(t.captured(1));
          if (otherIndex >= 0 && otherIndex != index) {
            const TGanttElement* other = Elements[size_t(otherIndex)].get();
            const bool atEnd = Lower(t.captured(2)) != QLatin1String("start");
            d = atEnd ? other->EndDate : other->StartDate;
            fConstraints.push_back({otherIndex, index, atEnd, false, lineNo});
          } else {
            Report(lineNo, TGanttSeverity::Warning,
                   QStringLiteral("task [%1] not yet defined; milestone date unknown")
                       .arg(t.captured(1)));
          }
        } else {
          d = readDate(lineNo, where);
        }
        if (d.isValid()) {
          e->StartDate = d;
          startSet = true;
        }
        e->EndDate = e->StartDate;
        endSet = true;
      }
      if (auto c = completeRe.match(rest); c.hasMatch()) {
        qint64 n = 0;
        ToInt(c.captured(1), n);
        if (c.captured(1).size() > 9) n = 100;
        e->Completion = int(std::clamp<qint64>(n, 0, 100));
      }
      if (auto c = colorRe.match(rest); c.hasMatch()) {
        bool ok = false;
        const std::uint32_t color = ReadColor(c.captured(1), ok);
        if (ok)
          e->Color = color;
        else
          Report(lineNo, TGanttSeverity::Warning,
                 QStringLiteral("unknown colour \"%1\"").arg(c.captured(1)));
      }
      if (!e->StartDate.isValid()) e->StartDate = project(lineNo);
      // A new start or length moves the end unless this statement names the end itself.
      if (!e->EndDate.isValid() || ((durationSet || startSet) && !endSet && !e->Milestone))
        e->EndDate = e->StartDate.addDays(e->Duration);
      if (e->Duration == 0 && !e->Milestone) {
        const qint64 days = e->StartDate.daysTo(e->EndDate);
        if (days < 0) {
          Report(lineNo, TGanttSeverity::Error, QStringLiteral("task ends before it starts"));
          e->EndDate = e->StartDate;
        } else {
          e->Duration = int(std::min<qint64>(days, kMaxDuration));
        }
      }
      continue;
    }
    Report(lineNo, TGanttSeverity::Warning, QStringLiteral("statement not understood; ignored"));
  }
  ResolveConstraints();
}

// ---------------------------------------------------------------------------------------------
// Native form

void TGanttParser::Parse(const QStringList& lines) {
  Clear();
  TGanttElement* last = nullptr;
  int lastDepth = 0;
  for (int i = 0; i < lines.size(); ++i) ParseNativeLine(i + 1, lines[i], last, lastDepth);
}

void TGanttParser::ParseNativeLine(int lineNo, const QString& raw, TGanttElement*& last,
                                   int& lastDepth) {
  if (raw.size() > kMaxLineLength) {
    Report(lineNo, TGanttSeverity::Error, QStringLiteral("line too long; skipped"));
    return;
  }
  const QString line = raw.trimmed();
  if (line.isEmpty()) return;
  static const QLatin1String titleTag("Tessaline:Gantt:");
  if (line.startsWith(titleTag)) {
    Title = line.mid(titleTag.size()).trimmed();
    return;
  }
  int dashes = 0;
  while (dashes < line.size() && line[dashes] == QLatin1Char('-')) ++dashes;
  if (dashes == 0 || dashes > 4 || dashes >= line.size() || line[dashes] != QLatin1Char('>')) {
    Report(lineNo, TGanttSeverity::Warning, QStringLiteral("not a task line; ignored"));
    return;
  }
  TGanttElement* parent = nullptr;
  int depth = 0;
  if (dashes == 2) {
    if (Elements.empty()) {
      Report(lineNo, TGanttSeverity::Warning, QStringLiteral("sub-task without a task; dropped"));
      return;
    }
    parent = Elements.back().get();
    depth = 1;
  } else if (dashes >= 3) {
    if (!last) {
      Report(lineNo, TGanttSeverity::Warning, QStringLiteral("sub-task without a task; dropped"));
      return;
    }
    if (lastDepth + 1 > kMaxDepth) {
      Report(lineNo, TGanttSeverity::Error, QStringLiteral("tasks nested too deeply; dropped"));
      return;
    }
    parent = last;
    depth = lastDepth + 1;
  }
  const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  auto e = std::make_unique<TGanttElement>();
  e->Kind = parts.value(0);
  e->Name = parts.value(1);
  ParseElementProperties(lineNo, parts, *e);
  if (parent) {
    parent->Children.push_back(std::move(e));
    last = parent->Children.back().get();
  } else {
    last = Append(std::move(e));
  }
  lastDepth = depth;
}

void TGanttParser::ParseElementProperties(int lineNo, const QStringList& parts,
                                          TGanttElement& e) {
  auto value = [](const QString& part) {
    const qsizetype colon = part.indexOf(QLatin1Char(':'));
    const qsizetype close = part.indexOf(QLatin1Char(']'));
    if (colon < 0) return QString();
    return close > colon ? part.mid(colon + 1, close - colon - 1) : part.mid(colon + 1);
  };
  auto date = [&](const QString& part) {
    const QString v = value(part);
    const QDate d = ReadDate(v.contains(QLatin1Char('/')) ? QString() : v, DateOrder::DMY);
    if (!d.isValid())
      Report(lineNo, TGanttSeverity::Error,
             QStringLiteral("\"%1\" is not a valid dd-mm-yyyy date").arg(v));
    return d;
  };
  bool durationStated = false;
  for (int i = 3; i < parts.size(); ++i) {
    const QString& p = parts[i];
    if (p.startsWith(QLatin1String("[StartDate:"))) {
      e.StartDate = date(p);
    } else if (p.startsWith(QLatin1String("[EndDate:"))) {
      e.EndDate = date(p);
    } else if (p.startsWith(QLatin1Char('#'))) {
      bool ok = false;
      const std::uint32_t c = ReadColor(p, ok);
      if (ok)
        e.Color = c;
      else
        Report(lineNo, TGanttSeverity::Warning, QStringLiteral("unknown colour \"%1\"").arg(p));
    } else if (p.startsWith(QLatin1String("[Duration:"))) {
      qint64 n = 0;
      if (ToInt(value(p), n) && n >= 0 && n <= kMaxDuration) {
        e.Duration = int(n);
        durationStated = true;
      } else {
        Report(lineNo, TGanttSeverity::Error,
               QStringLiteral("\"%1\" is not a duration in days").arg(value(p)));
      }
    } else if (p.startsWith(QLatin1String("[Priority:"))) {
      e.Priority = value(p);
    } else if (p.startsWith(QLatin1String("[Risk:"))) {
      e.Risk = value(p);
    } else if (p.startsWith(QLatin1String("[Critical"))) {
      e.Critical = true;
    } else if (p.startsWith(QLatin1String("[Cost:"))) {
      qint64 c = 0;
      if (!ReadCurrency(value(p), c)) {
        Report(lineNo, TGanttSeverity::Warning,
               QStringLiteral("\"%1\" is not an amount; 0 used").arg(value(p)));
        c = 0;
      }
      e.Cost = c;
    }
  }
  // The dates decide the length; a missing end comes from the stated length instead.
  if (e.StartDate.isValid() && e.EndDate.isValid()) {
    const qint64 days = e.StartDate.daysTo(e.EndDate);
    if (days < 0) {
      Report(lineNo, TGanttSeverity::Error, QStringLiteral("task ends before it starts"));
      e.EndDate = e.StartDate.addDays(e.Duration);
    } else {
      e.Duration = int(std::min<qint64>(days, kMaxDuration));
    }
  } else if (e.StartDate.isValid()) {
    e.EndDate = e.StartDate.addDays(e.Duration);
  } else if (e.EndDate.isValid() && durationStated) {
    e.StartDate = e.EndDate.addDays(-e.Duration);
  }
}

}  // namespace Orv::Diagram
