#include "ORV.RichText.h"

#include <QColor>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <unordered_map>

#include "ORV.Utils.h"

namespace Orv::RichText {

namespace {

// ---- reading the markup piece by piece

enum class TTag : std::uint8_t { None, B, I, U, S, FN, FS, FC, BC, L, C, R, BR };
constexpr int kTagCount = 13;

bool HasValue(TTag t) { return t == TTag::FN || t == TTag::FS || t == TTag::FC || t == TTag::BC; }
bool IsAlign(TTag t) { return t == TTag::L || t == TTag::C || t == TTag::R; }
bool IsFlag(TTag t) { return t == TTag::B || t == TTag::I || t == TTag::U || t == TTag::S; }

QString TagName(TTag t) {
  static const char* const names[kTagCount] = {"", "B", "I", "U", "S", "FN", "FS", "FC", "BC", "L", "C", "R", "BR"};
  return QString::fromLatin1(names[static_cast<int>(t)]);
}

TTag TagFromName(QStringView name) {
  if (name.size() == 1) {
    switch (name[0].toUpper().unicode()) {
      case 'B': return TTag::B;
      case 'I': return TTag::I;
      case 'U': return TTag::U;
      case 'S': return TTag::S;
      case 'L': return TTag::L;
      case 'C': return TTag::C;
      case 'R': return TTag::R;
      default: return TTag::None;
    }
  }
  if (name.size() == 2) {
    const char16_t a = name[0].toUpper().unicode(), b = name[1].toUpper().unicode();
    if (a == 'F' && b == 'N') return TTag::FN;
    if (a == 'F' && b == 'S') return TTag::FS;
    if (a == 'F' && b == 'C') return TTag::FC;
    if (a == 'B' && b == 'C') return TTag::BC;
    if (a == 'B' && b == 'R') return TTag::BR;
  }
  return TTag::None;
}

enum class TKind : std::uint8_t {
  Char,   // one plain character (a letter, an entity, or a "<" that starts no tag)
  Break,  // a line break: <BR>, <BR/> or a raw line feed
  Open,
  Close,
};

struct TPiece {
  std::int32_t Start = 0;
  std::int32_t End = 0;
  TKind Kind = TKind::Char;
  TTag Tag = TTag::None;
  char16_t Ch = 0;               // the plain character of Char and Break
  std::int32_t ValueStart = -1;  // Open: first character after ":", -1 without one
  std::int32_t UnknownEnd = -1;  // Char "<": end of the unknown tag it starts, -1 when it starts none
  bool IsText() const { return Kind == TKind::Char || Kind == TKind::Break; }
};

bool StartsWithCI(const QChar* d, int n, int i, QStringView what) {
  return i + what.size() <= n && QStringView(d + i, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

// The piece that starts at `i` (< s.size()). Linear overall: a "<" looks ahead no further than the
// next "<", ">" or line break.
TPiece ScanPiece(const QChar* d, int n, int i) {
  TPiece p;
  p.Start = i;
  p.End = i + 1;
  const char16_t c = d[i].unicode();
  p.Ch = c;
  if (c == '<') {
    int j = i + 1;
    while (j < n && d[j] != u'>' && d[j] != u'<' && d[j] != u'\n' && d[j] != u'\r') ++j;
    if (j >= n || d[j] != u'>') return p;
    int a = i + 1;
    const bool closing = a < j && d[a] == u'/';
    if (closing) ++a;
    int colon = -1;
    for (int k = a; k < j; ++k) {
      if (d[k] == u':') {
        colon = k;
        break;
      }
    }
    QStringView name(d + a, (colon >= 0 ? colon : j) - a);
    bool selfClosing = false;
    if (colon < 0 && name.endsWith(u'/')) {
      selfClosing = true;
      name.chop(1);
    }
    const TTag t = TagFromName(name);
    bool ok = t != TTag::None;
    if (ok) {
      if (t == TTag::BR)
        ok = colon < 0 && !(closing && selfClosing);
      else if (selfClosing)
        ok = false;
      else if (closing || !HasValue(t))
        ok = colon < 0;
    }
    if (ok) {
      p.End = j + 1;
      p.Tag = t;
      if (t == TTag::BR && !closing) {
        p.Kind = TKind::Break;
        p.Ch = u'\n';
      } else {
        p.Kind = closing ? TKind::Close : TKind::Open;
        p.Ch = 0;
        if (colon >= 0) p.ValueStart = colon + 1;
      }
      return p;
    }
    // Only something that looks like a tag is worth a warning; "a <3 b>" is just text.
    if (a < j && d[a].isLetter()) p.UnknownEnd = j + 1;
    return p;
  }
  if (c == '&') {
    if (StartsWithCI(d, n, i, u"&lt;")) {
      p.End = i + 4;
      p.Ch = u'<';
    } else if (StartsWithCI(d, n, i, u"&gt;")) {
      p.End = i + 4;
      p.Ch = u'>';
    } else if (StartsWithCI(d, n, i, u"&amp;")) {
      p.End = i + 5;
      p.Ch = u'&';
    }
    return p;
  }
  if (c == '\r' || c == '\n') {
    p.Kind = TKind::Break;
    p.Ch = u'\n';
    if (c == '\r' && i + 1 < n && d[i + 1] == u'\n') p.End = i + 2;
  }
  return p;
}

QStringView ValueOf(const QString& m, const TPiece& p) {
  if (p.ValueStart < 0) return {};
  return QStringView(m).mid(p.ValueStart, p.End - 1 - p.ValueStart);
}

bool ParseColor(QStringView v, TAlphaColor& out) {
  v = v.trimmed();
  const auto hex = [](QStringView h, TAlphaColor& c) {
    if (h.isEmpty()) return false;
    for (QChar ch : h)
      if (!std::isxdigit(static_cast<unsigned char>(ch.toLatin1()))) return false;
    bool ok = false;
    c = static_cast<TAlphaColor>(h.toUInt(&ok, 16));
    return ok;
  };
  if (v.startsWith(u'#')) {
    const QStringView h = v.mid(1);
    if (h.size() != 6 && h.size() != 8) return false;
    if (!hex(h, out)) return false;
    if (h.size() == 6) out |= 0xFF000000u;
    return true;
  }
  if (v.size() == 6 && hex(v, out)) {
    out |= 0xFF000000u;
    return true;
  }
  if (v.isEmpty()) return false;
  for (QChar ch : v)
    if (!ch.isLetter()) return false;
  const QColor c = QColor::fromString(v);
  if (!c.isValid()) return false;
  out = c.rgba();
  return true;
}

// What makes two tags of one name the same format: "<FC:red>" is "<FC:FF0000>", "<FN:arial>" is
// "<FN:Arial>".
QString ValueKey(TTag t, QStringView value) {
  value = value.trimmed();
  if (t == TTag::FS) {
    bool ok = false;
    const double v = QLocale::c().toDouble(value, &ok);
    if (ok) return QString::number(PointsToSize(v));
  } else if (t == TTag::FC || t == TTag::BC) {
    TAlphaColor c = 0;
    if (ParseColor(value, c)) return QString::number(c, 16);
  } else if (!HasValue(t)) {
    return {};
  }
  return value.toString().toLower();
}

QString Shown(const QString& m, int start, int end) {
  QString t = m.mid(start, end - start);
  if (t.size() > 40) t = t.left(39) + QChar(0x2026);
  return t;
}

struct TFormatHash {
  std::size_t operator()(const TRichTextFormat& f) const {
    std::size_t h = qHash(f.FontName);
    h = h * 31 + static_cast<std::size_t>(f.Size);
    h = h * 31 + f.Color;
    h = h * 31 + f.BackColor;
    h = h * 31 + (f.Bold ? 1 : 0) + (f.Italic ? 2 : 0) + (f.Underline ? 4 : 0) + (f.Strike ? 8 : 0);
    return h;
  }
};

// ---- the markup as pieces, for the edits

struct TDoc {
  QString M;
  std::vector<TPiece> P;
  std::vector<int> Partner;  // Open <-> Close of the same name, last in first out; -1: unmatched
  std::vector<int> CharTok;  // piece index of every plain character

  explicit TDoc(QString markup) : M(std::move(markup)) {
    const int n = M.size();
    const QChar* d = M.constData();
    for (int i = 0; i < n;) {
      P.push_back(ScanPiece(d, n, i));
      i = P.back().End;
    }
    Partner.assign(P.size(), -1);
    std::vector<int> stacks[kTagCount];
    for (int k = 0; k < static_cast<int>(P.size()); ++k) {
      const TPiece& p = P[k];
      if (p.IsText()) {
        CharTok.push_back(k);
      } else if (p.Kind == TKind::Open) {
        stacks[static_cast<int>(p.Tag)].push_back(k);
      } else {
        std::vector<int>& st = stacks[static_cast<int>(p.Tag)];
        if (!st.empty()) {
          Partner[k] = st.back();
          Partner[st.back()] = k;
          st.pop_back();
        }
      }
    }
  }
  int Chars() const { return static_cast<int>(CharTok.size()); }
  QString Text(int k) const { return M.mid(P[k].Start, P[k].End - P[k].Start); }
  // The opening tags still open before piece `upTo`, in markup order (alignment optional).
  std::vector<int> OpenBefore(int upTo, bool withAlign) const {
    std::vector<int> open;
    for (int k = 0; k < upTo; ++k) {
      if (P[k].Kind != TKind::Open || (!withAlign && IsAlign(P[k].Tag))) continue;
      if (Partner[k] < 0 || Partner[k] >= upTo) open.push_back(k);
    }
    return open;
  }
};

void AppendEscaped(QString& out, QChar c) {
  if (c == u'<')
    out += QLatin1String("&lt;");
  else if (c == u'>')
    out += QLatin1String("&gt;");
  else if (c == u'&')
    out += QLatin1String("&amp;");
  else
    out += c;
}

// The same text with every character that stands for itself but could join a neighbour into a tag
// or an entity after an edit ("<", ">", "&", raw line breaks) written out. Edits work on this form,
// so removing or inserting a tag never changes how the text around it reads.
QString Canonical(const QString& m) {
  const int n = m.size();
  const QChar* d = m.constData();
  bool needed = false;
  for (int i = 0; i < n && !needed;) {
    const TPiece p = ScanPiece(d, n, i);
    if (p.Kind == TKind::Char && p.End - p.Start == 1 && (p.Ch == u'<' || p.Ch == u'>' || p.Ch == u'&'))
      needed = true;
    if (p.Kind == TKind::Break && d[i] != u'<') needed = true;
    i = p.End;
  }
  if (!needed) return m;
  QString out;
  out.reserve(n + n / 8 + 16);
  for (int i = 0; i < n;) {
    const TPiece p = ScanPiece(d, n, i);
    if (p.Kind == TKind::Char && p.End - p.Start == 1)
      AppendEscaped(out, QChar(p.Ch));
    else if (p.Kind == TKind::Break && d[i] != u'<')
      out += QLatin1String("<BR>");
    else
      out += QStringView(d + p.Start, p.End - p.Start);
    i = p.End;
  }
  return out;
}

QString CloseTag(TTag t) { return QStringLiteral("</%1>").arg(TagName(t)); }

QString Rebuild(const TDoc& doc, const std::vector<bool>& drop) {
  QString out;
  out.reserve(doc.M.size());
  for (std::size_t k = 0; k < doc.P.size(); ++k)
    if (!drop[k]) out += QStringView(doc.M).mid(doc.P[k].Start, doc.P[k].End - doc.P[k].Start);
  return out;
}

// Removes pairs that enclose no character (but alignment pairs: an empty paragraph keeps its
// alignment) and joins "</B><B>" seams, until nothing changes. With `blank` (one of B, I, U, S),
// pairs of that tag around spaces only go too, where they touch the plain characters [lo, hi):
// the leftovers of an edit there, not what the user wrapped elsewhere on purpose.
QString Tidy(QString m, TTag blank = TTag::None, int lo = 0, int hi = 0) {
  for (;;) {
    const TDoc doc(std::move(m));
    const int n = static_cast<int>(doc.P.size());
    std::vector<int> chars(n + 1, 0), solid(n + 1, 0);  // text pieces / non-space ones before k
    for (int k = 0; k < n; ++k) {
      const TPiece& p = doc.P[k];
      chars[k + 1] = chars[k] + (p.IsText() ? 1 : 0);
      solid[k + 1] = solid[k] + (p.Kind == TKind::Break || (p.Kind == TKind::Char && !QChar(p.Ch).isSpace()) ? 1 : 0);
    }
    std::vector<bool> drop(n, false);
    bool changed = false;
    for (int k = 0; k < n; ++k) {
      const TPiece& p = doc.P[k];
      if (p.Kind != TKind::Open || IsAlign(p.Tag) || drop[k]) continue;
      const int e = doc.Partner[k] >= 0 ? doc.Partner[k] : n;
      const bool empty = chars[e] == chars[k + 1];
      const bool spaces = p.Tag == blank && IsFlag(blank) && solid[e] == solid[k + 1] && chars[k + 1] <= hi &&
                          chars[e] >= lo;
      if (empty || spaces) {
        drop[k] = true;
        if (e < n) drop[e] = true;
        changed = true;
      }
    }
    for (int k = 0; k + 1 < n; ++k) {
      const TPiece &a = doc.P[k], &b = doc.P[k + 1];
      if (a.Kind == TKind::Close && b.Kind == TKind::Open && a.Tag == b.Tag && IsFlag(a.Tag) && doc.Partner[k] >= 0 &&
          !drop[k] && !drop[k + 1]) {
        drop[k] = drop[k + 1] = true;
        changed = true;
      }
    }
    if (!changed) return doc.M;
    m = Rebuild(doc, drop);
  }
}

// Drops closing tags without their opening one and closes what is left open.
QString Balance(const QString& fragment) {
  const TDoc doc(fragment);
  const int n = static_cast<int>(doc.P.size());
  std::vector<bool> drop(n, false);
  std::vector<int> open;
  for (int k = 0; k < n; ++k) {
    if (doc.P[k].Kind == TKind::Close && doc.Partner[k] < 0) drop[k] = true;
    if (doc.P[k].Kind == TKind::Open && doc.Partner[k] < 0) open.push_back(k);
  }
  QString out = Rebuild(doc, drop);
  for (auto it = open.rbegin(); it != open.rend(); ++it) out += CloseTag(doc.P[*it].Tag);
  return out;
}

void OrderAndClamp(int& start, int& end, int length) {
  if (start > end) std::swap(start, end);
  start = std::clamp(start, 0, length);
  end = std::clamp(end, 0, length);
}

QString Escape(const QString& text, int* count) {
  QString out;
  out.reserve(text.size() + 8);
  int added = 0;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += QLatin1String("<BR>");
    } else if (c == u'\t') {
      out += u' ';
    } else if (c.category() == QChar::Other_Control) {
      continue;
    } else {
      AppendEscaped(out, c);
    }
    ++added;
  }
  if (count) *count = added;
  return out;
}

}  // namespace

// ---- sizes

std::int32_t PointsToSize(double points) {
  return static_cast<std::int32_t>(Utils::RoundHalfAway(points * 25400.0 / 72.0));
}

double SizeToPoints(std::int32_t size) { return size * 72.0 / 25400.0; }

// ---- reading

TRichParse Parse(const QString& markup, const TRichTextFormat& base, TRichAlign baseAlign) {
  TRichParse r;
  const int n = markup.size();
  const QChar* d = markup.constData();
  r.Plain.reserve(n);
  r.CharStart.reserve(n);
  r.CharEnd.reserve(n);
  r.Formats.push_back(base);
  std::unordered_map<TRichTextFormat, int, TFormatHash> known{{base, 0}};

  const auto warn = [&r](QString text) {
    if (r.Warnings.size() < 20) r.Warnings.push_back(std::move(text));
  };

  // One stack per attribute; entries remember where their tag begins, for the warnings.
  std::vector<int> flags[4];  // B I U S
  std::vector<std::pair<int, QString>> fonts;
  std::vector<std::pair<int, std::int32_t>> sizes;
  std::vector<std::pair<int, TAlphaColor>> colors, backs;
  std::vector<std::pair<int, TTag>> aligns;
  int alignCount[kTagCount] = {};  // open entries per alignment tag: a closing one without any skips the search

  int format = 0;
  bool dirty = false;
  const auto currentFormat = [&]() {
    if (dirty) {
      TRichTextFormat f = base;
      f.Bold = base.Bold || !flags[0].empty();
      f.Italic = base.Italic || !flags[1].empty();
      f.Underline = base.Underline || !flags[2].empty();
      f.Strike = base.Strike || !flags[3].empty();
      if (!fonts.empty()) f.FontName = fonts.back().second;
      if (!sizes.empty()) f.Size = sizes.back().second;
      if (!colors.empty()) f.Color = colors.back().second;
      if (!backs.empty()) f.BackColor = backs.back().second;
      auto [it, added] = known.try_emplace(f, static_cast<int>(r.Formats.size()));
      if (added) r.Formats.push_back(f);
      format = it->second;
      dirty = false;
    }
    return format;
  };
  const auto currentAlign = [&]() {
    if (aligns.empty()) return static_cast<std::uint8_t>(baseAlign);
    const TTag t = aligns.back().second;
    return static_cast<std::uint8_t>(t == TTag::C ? TRichAlign::Center : t == TTag::R ? TRichAlign::Right : TRichAlign::Left);
  };

  bool runOpen = false;
  int runStart = 0, runFormat = 0;
  std::uint8_t runAlign = 0;
  const auto closeRun = [&](bool paraEnd) {
    TRichTextRun run;
    run.Text = r.Plain.mid(runStart);
    run.Format = runFormat;
    run.ParaEnd = paraEnd;
    run.Align = runAlign;
    run.PlainStart = runStart;
    r.Runs.push_back(std::move(run));
    runOpen = false;
  };
  int lastSolid = 0;  // end of the last piece that is not a closing tag

  for (int i = 0; i < n;) {
    const TPiece p = ScanPiece(d, n, i);
    i = p.End;
    if (p.Kind == TKind::Char) {
      if (p.UnknownEnd > 0) warn(QStringLiteral("Unknown tag %1 kept as text").arg(Shown(markup, p.Start, p.UnknownEnd)));
      const int f = currentFormat();
      const std::uint8_t a = currentAlign();
      if (runOpen && (f != runFormat || a != runAlign)) closeRun(false);
      if (!runOpen) {
        runOpen = true;
        runStart = r.Plain.size();
        runFormat = f;
        runAlign = a;
      }
      r.Plain += QChar(p.Ch);
      r.CharStart.push_back(p.Start);
      r.CharEnd.push_back(p.End);
      lastSolid = p.End;
      continue;
    }
    if (p.Kind == TKind::Break) {
      if (runOpen) {
        closeRun(true);
      } else {
        TRichTextRun run;
        run.Format = currentFormat();
        run.ParaEnd = true;
        run.Align = currentAlign();
        run.PlainStart = r.Plain.size();
        r.Runs.push_back(std::move(run));
      }
      r.ParaInsertPos.push_back(lastSolid);
      r.Plain += u'\n';
      r.CharStart.push_back(p.Start);
      r.CharEnd.push_back(p.End);
      lastSolid = p.End;
      continue;
    }
    const QStringView value = ValueOf(markup, p);
    if (p.Kind == TKind::Open) {
      lastSolid = p.End;
      dirty = true;
      switch (p.Tag) {
        case TTag::B: flags[0].push_back(p.Start); break;
        case TTag::I: flags[1].push_back(p.Start); break;
        case TTag::U: flags[2].push_back(p.Start); break;
        case TTag::S: flags[3].push_back(p.Start); break;
        case TTag::FN: {
          QString name = value.trimmed().toString();
          if (name.isEmpty()) {
            warn(QStringLiteral("No font name in %1").arg(Shown(markup, p.Start, p.End)));
            name = fonts.empty() ? base.FontName : fonts.back().second;
          }
          fonts.emplace_back(p.Start, std::move(name));
          break;
        }
        case TTag::FS: {
          bool ok = false;
          const double pts = QLocale::c().toDouble(value.trimmed(), &ok);
          std::int32_t size = sizes.empty() ? base.Size : sizes.back().second;
          if (!ok)
            warn(QStringLiteral("'%1' in %2 is not a font size").arg(value.trimmed().toString(), Shown(markup, p.Start, p.End)));
          else if (!(pts >= 1 && pts <= kMaxPoints))
            warn(QStringLiteral("Font size %1 in %2 cannot be used").arg(value.trimmed().toString(), Shown(markup, p.Start, p.End)));
          else
            size = PointsToSize(pts);
          sizes.emplace_back(p.Start, size);
          break;
        }
        case TTag::FC:
        case TTag::BC: {
          auto& stack = p.Tag == TTag::FC ? colors : backs;
          TAlphaColor c = stack.empty() ? (p.Tag == TTag::FC ? base.Color : base.BackColor) : stack.back().second;
          if (!ParseColor(value, c))
            warn(QStringLiteral("'%1' in %2 is not a colour").arg(value.trimmed().toString(), Shown(markup, p.Start, p.End)));
          stack.emplace_back(p.Start, c);
          break;
        }
        default:
          aligns.emplace_back(p.Start, p.Tag);
          ++alignCount[static_cast<int>(p.Tag)];
          break;
      }
      continue;
    }
    // A closing tag closes the innermost open tag of its own name, whatever else is open.
    bool matched = true;
    const auto pop = [&matched](auto& stack) {
      if (stack.empty())
        matched = false;
      else
        stack.pop_back();
    };
    switch (p.Tag) {
      case TTag::B: pop(flags[0]); break;
      case TTag::I: pop(flags[1]); break;
      case TTag::U: pop(flags[2]); break;
      case TTag::S: pop(flags[3]); break;
      case TTag::FN: pop(fonts); break;
      case TTag::FS: pop(sizes); break;
      case TTag::FC: pop(colors); break;
      case TTag::BC: pop(backs); break;
      case TTag::BR: matched = false; break;
      default: {
        if (alignCount[static_cast<int>(p.Tag)] == 0) {
          matched = false;
          break;
        }
        auto it = std::find_if(aligns.rbegin(), aligns.rend(), [&p](const auto& e) { return e.second == p.Tag; });
        aligns.erase(std::next(it).base());
        --alignCount[static_cast<int>(p.Tag)];
      }
    }
    if (matched)
      dirty = true;
    else
      warn(QStringLiteral("%1 without an opening tag was ignored").arg(Shown(markup, p.Start, p.End)));
  }
  if (runOpen) closeRun(false);
  r.ParaInsertPos.push_back(lastSolid);

  if (r.Warnings.size() < 20) {
    std::vector<int> open;
    for (const auto& s : flags) open.insert(open.end(), s.begin(), s.end());
    for (const auto& e : fonts) open.push_back(e.first);
    for (const auto& e : sizes) open.push_back(e.first);
    for (const auto& e : colors) open.push_back(e.first);
    for (const auto& e : backs) open.push_back(e.first);
    for (const auto& e : aligns) open.push_back(e.first);
    std::sort(open.begin(), open.end());
    for (int start : open) {
      if (r.Warnings.size() >= 20) break;
      const int end = markup.indexOf(u'>', start) + 1;
      warn(QStringLiteral("%1 is never closed").arg(Shown(markup, start, end)));
    }
  }
  return r;
}

QString PlainText(const QString& markup) {
  const int n = markup.size();
  const QChar* d = markup.constData();
  QString plain;
  plain.reserve(n);
  for (int i = 0; i < n;) {
    const TPiece p = ScanPiece(d, n, i);
    if (p.IsText()) plain += QChar(p.Ch);
    i = p.End;
  }
  return plain;
}

// ---- positions

int PlainPosToRichPos(const TRichParse& p, int pos) {
  const int n = p.Plain.size();
  pos = std::clamp(pos, 0, n);
  if (pos > 0 && p.Plain[pos - 1] != u'\n') return p.CharEnd[pos - 1];
  if (pos < n && p.Plain[pos] != u'\n') return p.CharStart[pos];
  // An empty paragraph: typing goes inside what is opened there.
  const int para = static_cast<int>(std::count(p.Plain.cbegin(), p.Plain.cbegin() + pos, u'\n'));
  if (para < static_cast<int>(p.ParaInsertPos.size())) return p.ParaInsertPos[para];
  return pos > 0 ? p.CharEnd[pos - 1] : (n > 0 ? p.CharStart[0] : 0);
}

int RichPosToPlainPos(const TRichParse& p, int richPos) {
  return static_cast<int>(std::lower_bound(p.CharStart.begin(), p.CharStart.end(), richPos) - p.CharStart.begin());
}

void SelectionToRich(const TRichParse& p, int start, int end, int& richStart, int& richEnd) {
  OrderAndClamp(start, end, p.Plain.size());
  if (start == end) {
    richStart = richEnd = PlainPosToRichPos(p, start);
    return;
  }
  richStart = p.CharStart[start];
  richEnd = p.CharEnd[end - 1];
}

// ---- edits

std::optional<QString> ToggleFormat(const QString& markup, int start, int end, const QString& openTag,
                                    const QString& closeTag) {
  if (start == end || openTag.isEmpty() || closeTag.isEmpty()) return std::nullopt;
  const TPiece ot = ScanPiece(openTag.constData(), openTag.size(), 0);
  const TPiece ct = ScanPiece(closeTag.constData(), closeTag.size(), 0);
  if (ot.Kind != TKind::Open || ot.End != openTag.size() || ct.Kind != TKind::Close || ct.End != closeTag.size() ||
      ct.Tag != ot.Tag)
    return std::nullopt;
  const TTag tag = ot.Tag;
  const QString key = ValueKey(tag, ValueOf(openTag, ot));

  // The selection's pieces, the stacks of this tag name at its start and end, and whether every
  // selected character is in this format.
  struct TState {
    int From = 0, To = 0;  // pieces [From, To)
    std::vector<int> AtStart, AtEnd;
    bool All = true, Any = false, TagsInside = false;
  };
  const auto inspect = [&](const TDoc& doc) {
    int s = start, e = end;
    OrderAndClamp(s, e, doc.Chars());
    TState st;
    if (s == e) return st;
    st.From = doc.CharTok[s];
    st.To = doc.CharTok[e - 1] + 1;
    std::vector<int> stack;
    const auto formatted = [&]() {
      return !stack.empty() && ValueKey(tag, ValueOf(doc.M, doc.P[stack.back()])) == key;
    };
    for (int k = 0; k < st.To; ++k) {
      if (k == st.From) st.AtStart = stack;
      const TPiece& p = doc.P[k];
      if (p.Kind == TKind::Char) {  // line breaks carry no format worth toggling
        if (k >= st.From) {
          const bool f = formatted();
          st.All = st.All && f;
          st.Any = st.Any || f;
        }
      } else if (p.Kind != TKind::Break && p.Tag == tag) {
        if (k >= st.From) st.TagsInside = true;
        if (p.Kind == TKind::Open)
          stack.push_back(k);
        else if (!stack.empty())
          stack.pop_back();
      }
    }
    st.AtEnd = stack;
    return st;
  };

  QString m = Canonical(markup);
  TDoc doc(m);
  TState st = inspect(doc);
  if (st.To == 0) return std::nullopt;
  const bool on = !st.All;  // all formatted: take it off; otherwise make all of it formatted
  bool tidyBlank = true;

  if (st.All) {
    // The selection is exactly a span of this format (nothing but tags between its tags and the
    // selected characters): those tags go.
    std::vector<bool> drop(doc.P.size(), false);
    bool exact = false;
    for (int o : st.AtStart) {
      const int c = doc.Partner[o];
      if (c < st.To || ValueKey(tag, ValueOf(doc.M, doc.P[o])) != key) continue;
      bool tight = true;
      for (int k = o + 1; k < st.From && tight; ++k) tight = !doc.P[k].IsText();
      for (int k = st.To; k < c && tight; ++k) tight = !doc.P[k].IsText();
      if (tight) drop[o] = drop[c] = exact = true;
    }
    if (exact) {
      doc = TDoc(Rebuild(doc, drop));
      st = inspect(doc);
    }
  }

  if (on || st.Any) {
    // Rewrite the selection's stretch: this name's tags inside it go, its start opens or closes
    // what makes it all formatted (or none of it), and its end restores what the rest expects.
    std::vector<std::pair<QString, QString>> state;  // value key, opening tag as written
    for (int o : st.AtStart) state.emplace_back(ValueKey(tag, ValueOf(doc.M, doc.P[o])), doc.Text(o));
    QString out;
    out.reserve(doc.M.size() + 64);
    out += QStringView(doc.M).left(doc.P[st.From].Start);
    if (on) {
      if (state.empty() || state.back().first != key) {
        tidyBlank = st.TagsInside;
        state.emplace_back(key, openTag);
        out += openTag;
      }
    } else {
      while (!state.empty() && state.back().first == key) {
        state.pop_back();
        out += closeTag;
      }
    }
    for (int k = st.From; k < st.To; ++k)
      if (doc.P[k].IsText() || doc.P[k].Tag != tag) out += QStringView(doc.M).mid(doc.P[k].Start, doc.P[k].End - doc.P[k].Start);
    std::size_t same = 0;
    while (same < state.size() && same < st.AtEnd.size() &&
           state[same].first == ValueKey(tag, ValueOf(doc.M, doc.P[st.AtEnd[same]])))
      ++same;
    for (std::size_t k = same; k < state.size(); ++k) out += closeTag;
    for (std::size_t k = same; k < st.AtEnd.size(); ++k) out += doc.Text(st.AtEnd[k]);
    out += QStringView(doc.M).mid(doc.P[st.To - 1].End);
    doc = TDoc(out);
  }
  // A plain wrap keeps what it wrapped, even spaces; anything else also sheds empty-looking pairs.
  int s = start, e = end;
  OrderAndClamp(s, e, doc.Chars());
  QString result = Tidy(doc.M, tidyBlank ? tag : TTag::None, s, e);
  if (result == markup) return std::nullopt;
  return result;
}

std::optional<QString> ApplyColor(const QString& markup, int start, int end, const QString& tag, TAlphaColor color) {
  const TTag t = TagFromName(tag);
  if (start == end || (t != TTag::FC && t != TTag::BC)) return std::nullopt;
  const TDoc doc(Canonical(markup));
  OrderAndClamp(start, end, doc.Chars());
  if (start == end) return std::nullopt;
  const int from = doc.CharTok[start], to = doc.CharTok[end - 1] + 1;
  // Inside a span of this tag already (which includes being exactly wrapped in one): no change.
  int depth = 0;
  for (int k = 0; k < from; ++k) {
    if (doc.P[k].Tag != t) continue;
    if (doc.P[k].Kind == TKind::Open)
      ++depth;
    else if (doc.P[k].Kind == TKind::Close && depth > 0)
      --depth;
  }
  if (depth > 0) return std::nullopt;
  const QString name = TagName(t);
  const QString open = QStringLiteral("<%1:%2>").arg(name, QString::asprintf("%06X", color & 0xFFFFFFu));
  // Inside the selection, a stray closing tag of this name would end the new span early and one
  // left open would end it late: the first goes, the second pauses around the new closing tag.
  QString out = doc.M.left(doc.P[from].Start) + open;
  std::vector<int> inner;
  for (int k = from; k < to; ++k) {
    const TPiece& p = doc.P[k];
    if (p.Kind == TKind::Close && p.Tag == t) {
      if (inner.empty()) continue;
      inner.pop_back();
    } else if (p.Kind == TKind::Open && p.Tag == t) {
      inner.push_back(k);
    }
    out += doc.Text(k);
  }
  for (std::size_t k = 0; k < inner.size(); ++k) out += CloseTag(t);
  out += CloseTag(t);
  for (int o : inner) out += doc.Text(o);
  out += QStringView(doc.M).mid(doc.P[to - 1].End);
  return out;
}

std::optional<QString> ApplyAlignment(const QString& markup, int caret, TRichAlign align) {
  const TDoc doc(Canonical(markup));
  caret = std::clamp(caret, 0, doc.Chars());
  // The line breaks around the caret's paragraph (-1: none).
  int before = -1, after = -1;
  for (int c = 0; c < doc.Chars(); ++c) {
    if (doc.P[doc.CharTok[c]].Kind != TKind::Break) continue;
    if (c < caret) {
      before = doc.CharTok[c];
    } else {
      after = doc.CharTok[c];
      break;
    }
  }
  const QString tag = TagName(align == TRichAlign::Center ? TTag::C : align == TRichAlign::Right ? TTag::R : TTag::L);
  const int n = static_cast<int>(doc.P.size());
  const int first = before + 1, last = after >= 0 ? after : n;  // the paragraph's pieces
  std::vector<int> open;                                      // alignment tags open, innermost last
  QString out;
  out.reserve(doc.M.size() + 32);
  for (int k = 0; k <= n; ++k) {
    if (k == first) out += QStringLiteral("<%1>").arg(tag);
    if (k == last) out += QStringLiteral("</%1>").arg(tag);
    if (k == n) break;
    const TPiece& p = doc.P[k];
    const bool inside = k >= first && k < last;
    if (k == before) {
      // Spans crossing the break before the paragraph end there; the paragraph drops them anyway.
      for (auto it = open.rbegin(); it != open.rend(); ++it) out += CloseTag(doc.P[*it].Tag);
    }
    if (!(inside && IsAlign(p.Tag))) out += doc.Text(k);
    if (k == after) {
      // ... and spans crossing the break after it go on in the next paragraph.
      for (int o : open) out += doc.Text(o);
    }
    if (IsAlign(p.Tag)) {
      if (p.Kind == TKind::Open) {
        open.push_back(k);
      } else {
        auto it = std::find_if(open.rbegin(), open.rend(), [&](int o) { return doc.P[o].Tag == p.Tag; });
        if (it != open.rend()) open.erase(std::next(it).base());
      }
    }
  }
  if (out == markup) return std::nullopt;
  return out;
}

QString InsertText(const QString& markup, int pos, const QString& text, int* inserted) {
  int count = 0;
  const QString piece = Escape(text, &count);
  if (inserted) *inserted = count;
  if (piece.isEmpty()) return markup;
  const QString m = Canonical(markup);
  const int at = PlainPosToRichPos(Parse(m, {}, TRichAlign::Left), pos);
  return m.left(at) + piece + m.mid(at);
}

QString InsertMarkup(const QString& markup, int pos, const QString& fragment) {
  const QString piece = Balance(Canonical(fragment));
  if (piece.isEmpty()) return markup;
  const QString m = Canonical(markup);
  const int at = PlainPosToRichPos(Parse(m, {}, TRichAlign::Left), pos);
  // The piece brings its own formats: those open at the insertion point pause around it.
  // Alignment belongs to the paragraph and stays.
  const TDoc doc(m);
  int k = 0;
  while (k < static_cast<int>(doc.P.size()) && doc.P[k].Start < at) ++k;
  const std::vector<int> open = doc.OpenBefore(k, false);
  QString out = m.left(at);
  for (auto it = open.rbegin(); it != open.rend(); ++it) out += CloseTag(doc.P[*it].Tag);
  out += piece;
  for (int o : open) out += doc.Text(o);
  out += QStringView(m).mid(at);
  return Tidy(out);
}

QString DeleteRange(const QString& markup, int start, int end) {
  const TDoc doc(Canonical(markup));
  OrderAndClamp(start, end, doc.Chars());
  if (start == end) return markup;
  std::vector<bool> drop(doc.P.size(), false);
  for (int c = start; c < end; ++c) drop[doc.CharTok[c]] = true;
  return Tidy(Rebuild(doc, drop));
}

QString Fragment(const QString& markup, int start, int end) {
  const TDoc doc(Canonical(markup));
  OrderAndClamp(start, end, doc.Chars());
  if (start == end) return {};
  const int from = doc.CharTok[start], to = doc.CharTok[end - 1] + 1;
  QString piece;
  for (int o : doc.OpenBefore(from, false)) piece += doc.Text(o);
  piece += QStringView(doc.M).mid(doc.P[from].Start, doc.P[to - 1].End - doc.P[from].Start);
  return Balance(piece);
}

}  // namespace Orv::RichText
