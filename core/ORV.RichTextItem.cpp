#include "ORV.RichTextItem.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Orv::RichText {

namespace {

// One piece of a run between spaces, or one space.
struct TPiece {
  QString Text;
  int Format = 0;
  int PlainStart = 0;
  std::uint8_t Align = 0;
  bool Space = false;
  bool ParaEnd = false;  // a line break follows (the piece may be empty)
};

std::vector<TPiece> Pieces(const TRichParse& parse) {
  std::vector<TPiece> out;
  out.reserve(parse.Runs.size() * 4);
  for (const TRichTextRun& r : parse.Runs) {
    const QString& t = r.Text;
    qsizetype i = 0;
    while (i < t.size()) {
      TPiece p;
      p.Format = r.Format;
      p.Align = r.Align;
      p.PlainStart = r.PlainStart + int(i);
      if (t[i] == QLatin1Char(' ')) {
        p.Space = true;
        p.Text = QStringLiteral(" ");
        ++i;
      } else {
        qsizetype j = i;
        while (j < t.size() && t[j] != QLatin1Char(' ')) ++j;
        p.Text = t.mid(i, j - i);
        i = j;
      }
      out.push_back(std::move(p));
    }
    if (r.ParaEnd) {
      TPiece p;
      p.Format = r.Format;
      p.Align = r.Align;
      p.PlainStart = r.PlainStart + int(t.size());
      p.ParaEnd = true;
      out.push_back(std::move(p));
    }
  }
  return out;
}

class TLayout {
 public:
  TLayout(std::int64_t w, std::int64_t h, std::int64_t gap, IRichMeasure& m) : fW(w), fH(h), fGap(gap), fM(m) {}

  TRichSegments Run(const std::vector<TPiece>& pieces) {
    const std::size_t n = pieces.size();
    // The width of the word starting at each piece: pieces that meet without a space or a line
    // break between them wrap together.
    std::vector<std::int64_t> widths(n, 0);
    for (std::size_t i = 0; i < n; ++i)
      if (!pieces[i].Space && !pieces[i].ParaEnd) widths[i] = fM.Width(pieces[i].Text, pieces[i].Format);
    std::vector<std::int64_t> word(n, 0);
    for (std::size_t i = n; i-- > 0;) {
      if (pieces[i].Space || pieces[i].ParaEnd) continue;
      word[i] = widths[i] + (i + 1 < n && !pieces[i + 1].Space && !pieces[i + 1].ParaEnd ? word[i + 1] : 0);
    }
    bool inWord = false;
    for (std::size_t i = 0; i < n && !fStopped; ++i) {
      const TPiece& p = pieces[i];
      if (p.ParaEnd) {
        if (fLineStart == fSegs.size()) Place(p, 0, fM.Height(p.Format));
        fSegs.back().ParaEnd = true;
        EndLine(p.Format);
        inWord = false;
        // A text ending in a line break has an empty last line: the caret goes there.
        if (i + 1 == n && !fStopped) {
          TPiece last = p;
          last.ParaEnd = false;
          ++last.PlainStart;
          Place(last, 0, fM.Height(p.Format));
        }
        continue;
      }
      if (p.Space) {
        const std::int64_t sw = fM.Width(p.Text, p.Format);
        const std::int64_t next = i + 1 < n && !pieces[i + 1].Space && !pieces[i + 1].ParaEnd ? word[i + 1] : 0;
        // The line breaks at the space rather than hold a space it cannot follow with its word.
        if (fLineStart != fSegs.size() && fX + sw + next > fW) {
          EndLine(p.Format);
          inWord = false;
          continue;
        }
        Place(p, sw, fM.Height(p.Format));
        inWord = false;
        continue;
      }
      if (!inWord && fLineStart != fSegs.size() && fX + word[i] > fW) {
        EndLine(p.Format);
        if (fStopped) break;
      }
      Place(p, widths[i], fM.Height(p.Format));
      inWord = true;
    }
    if (!fStopped && fLineStart < fSegs.size()) EndLine(-1);
    return std::move(fSegs);
  }

 private:
  void Place(const TPiece& p, std::int64_t width, std::int64_t height) {
    TRichTextDrawSegment s;
    s.Text = p.Text;
    s.Format = p.Format;
    s.X = fX;
    s.Y = fY;
    s.Width = static_cast<std::int32_t>(std::clamp<std::int64_t>(width, 0, std::numeric_limits<std::int32_t>::max()));
    s.Height = static_cast<std::int32_t>(std::clamp<std::int64_t>(height, 0, std::numeric_limits<std::int32_t>::max()));
    s.Align = p.Align;
    s.PlainStart = p.PlainStart;
    s.Line = fLine;
    fX += s.Width;
    fLineHeight = std::max<std::int64_t>(fLineHeight, s.Height);
    fSegs.push_back(std::move(s));
  }

  // Aligns the line, moves down, and stops when the next line (in `nextFormat`, -1: none) would
  // pass the area's height.
  void EndLine(int nextFormat) {
    std::int64_t width = 0;
    for (std::size_t i = fLineStart; i < fSegs.size(); ++i) width += fSegs[i].Width;
    if (fLineStart < fSegs.size()) {
      const auto align = static_cast<TRichAlign>(fSegs[fLineStart].Align);
      const std::int64_t free = fW - width;
      const std::int64_t shift = align == TRichAlign::Center ? free / 2 : align == TRichAlign::Right ? free : 0;
      // A line wider than the area stays where it starts.
      if (shift > 0)
        for (std::size_t i = fLineStart; i < fSegs.size(); ++i) fSegs[i].X += shift;
    }
    fY += fLineHeight + fGap;
    fX = 0;
    fLineHeight = 0;
    fLineStart = fSegs.size();
    ++fLine;
    if (fH > 0 && nextFormat >= 0 && fY + fM.Height(nextFormat) > fH) fStopped = true;
  }

  std::int64_t fW, fH, fGap;
  IRichMeasure& fM;
  TRichSegments fSegs;
  std::int64_t fX = 0, fY = 0, fLineHeight = 0;
  std::size_t fLineStart = 0;
  int fLine = 0;
  bool fStopped = false;
};

int SegEnd(const TRichTextDrawSegment& s) { return s.PlainStart + int(s.Text.size()); }

// The segment a caret at `pos` belongs to: the last one starting at or before it.
std::size_t SegmentOf(const TRichSegments& segs, int pos) {
  auto it = std::upper_bound(segs.begin(), segs.end(), pos,
                             [](int p, const TRichTextDrawSegment& s) { return p < s.PlainStart; });
  return it == segs.begin() ? 0 : std::size_t(it - segs.begin()) - 1;
}

struct TLineSpan {
  std::size_t First = 0, Last = 0;  // segments [First, Last]
  std::int64_t Top = 0, Bottom = 0;
};

TLineSpan LineSpan(const TRichSegments& segs, std::size_t at) {
  TLineSpan l;
  l.First = l.Last = at;
  while (l.First > 0 && segs[l.First - 1].Line == segs[at].Line) --l.First;
  while (l.Last + 1 < segs.size() && segs[l.Last + 1].Line == segs[at].Line) ++l.Last;
  l.Top = segs[at].Y;
  std::int64_t h = 0;
  for (std::size_t i = l.First; i <= l.Last; ++i) h = std::max<std::int64_t>(h, segs[i].Height);
  l.Bottom = l.Top + h;
  return l;
}

std::int64_t XIn(const TRichTextDrawSegment& s, int pos, IRichMeasure& m) {
  const int k = std::clamp(pos - s.PlainStart, 0, int(s.Text.size()));
  if (k == 0) return s.X;
  if (k == int(s.Text.size())) return s.X + s.Width;
  return s.X + m.Width(s.Text.left(k), s.Format);
}

}  // namespace

TRichSegments LayoutRuns(const TRichParse& parse, std::int64_t w, std::int64_t h, std::int64_t gap,
                         IRichMeasure& measure) {
  if (parse.Runs.empty()) return {};
  return TLayout(w, h, gap, measure).Run(Pieces(parse));
}

TRichCaret CaretAt(const TRichSegments& segs, int pos, IRichMeasure& measure) {
  TRichCaret c;
  if (segs.empty()) return c;
  const std::size_t i = SegmentOf(segs, pos);
  const TLineSpan l = LineSpan(segs, i);
  c.X = XIn(segs[i], pos, measure);
  c.Top = l.Top;
  c.Bottom = l.Bottom;
  c.Line = segs[i].Line;
  return c;
}

int PosAt(const TRichSegments& segs, std::int64_t x, std::int64_t y, IRichMeasure& measure) {
  if (segs.empty()) return 0;
  // The line under y, else the nearest one.
  std::size_t best = 0;
  std::int64_t far = std::numeric_limits<std::int64_t>::max();
  for (std::size_t i = 0; i < segs.size();) {
    const TLineSpan l = LineSpan(segs, i);
    const std::int64_t d = y < l.Top ? l.Top - y : y > l.Bottom ? y - l.Bottom : 0;
    if (d < far) {
      far = d;
      best = i;
    }
    i = l.Last + 1;
  }
  const TLineSpan l = LineSpan(segs, best);
  int pos = segs[l.First].PlainStart;
  std::int64_t dist = std::numeric_limits<std::int64_t>::max();
  for (std::size_t i = l.First; i <= l.Last; ++i) {
    const TRichTextDrawSegment& s = segs[i];
    for (int k = 0; k <= int(s.Text.size()); ++k) {
      const std::int64_t d = std::abs(XIn(s, s.PlainStart + k, measure) - x);
      if (d < dist) {
        dist = d;
        pos = s.PlainStart + k;
      }
    }
  }
  return pos;
}

int LineMove(const TRichSegments& segs, int caret, bool down, IRichMeasure& measure) {
  if (segs.empty()) return caret;
  const TRichCaret c = CaretAt(segs, caret, measure);
  const int target = c.Line + (down ? 1 : -1);
  for (std::size_t i = 0; i < segs.size(); ++i) {
    if (segs[i].Line != target) continue;
    const TLineSpan l = LineSpan(segs, i);
    return PosAt(segs, c.X, (l.Top + l.Bottom) / 2, measure);
  }
  return caret;
}

void WordAt(const TRichSegments& segs, int pos, int& start, int& end) {
  start = end = pos;
  if (segs.empty()) return;
  const std::size_t i = SegmentOf(segs, pos);
  auto single = [&](std::size_t k) { return segs[k].Text == QLatin1String(" "); };
  auto endOf = [&](std::size_t k) { return SegEnd(segs[k]) + (segs[k].ParaEnd ? 1 : 0); };
  std::size_t a = i, b = i;
  if (!single(i)) {
    while (a > 0 && segs[a - 1].Line == segs[i].Line && !single(a - 1)) --a;
    while (b + 1 < segs.size() && segs[b + 1].Line == segs[i].Line && !single(b + 1)) ++b;
  }
  start = segs[a].PlainStart;
  end = endOf(b);
}

std::vector<TRichBox> SelectionBoxes(const TRichSegments& segs, int start, int end, IRichMeasure& measure) {
  std::vector<TRichBox> out;
  if (start > end) std::swap(start, end);
  if (segs.empty() || start == end) return out;
  for (std::size_t i = 0; i < segs.size();) {
    const TLineSpan l = LineSpan(segs, i);
    i = l.Last + 1;
    const int textEnd = SegEnd(segs[l.Last]);
    const bool breaks = segs[l.Last].ParaEnd;
    const int from = std::max(start, segs[l.First].PlainStart), to = std::min(end, textEnd + (breaks ? 1 : 0));
    if (from >= to) continue;
    // Positions on this line only: the next line may begin at this line's end.
    auto xAt = [&](int pos) {
      std::size_t k = l.First;
      while (k < l.Last && segs[k + 1].PlainStart <= pos) ++k;
      return XIn(segs[k], pos, measure);
    };
    TRichBox b;
    b.X1 = xAt(std::min(from, textEnd));
    b.X2 = xAt(std::min(to, textEnd));
    // A selected line break shows as a little room after the line's end.
    if (breaks && to > textEnd) b.X2 += std::max<std::int64_t>((l.Bottom - l.Top) / 4, 1);
    b.Y1 = l.Top;
    b.Y2 = l.Bottom;
    if (b.X2 > b.X1) out.push_back(b);
  }
  return out;
}

}  // namespace Orv::RichText

namespace Orv::Text {

TPLNBaseRichText::TPLNBaseRichText(TPLNBaseLabel* owner, bool preview) : TPLNBasePara(owner, preview) {
  IniRichPara();
}
TPLNBaseRichText::TPLNBaseRichText(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNBasePara(owner, layer, preview) {
  IniRichPara();
}

void TPLNBaseRichText::IniRichPara() {
  IniPara();
  fStyle.FontHeight = 4000;
}

RichText::TRichTextFormat TPLNBaseRichText::BaseFormat() const {
  RichText::TRichTextFormat f;
  f.FontName = fStyle.FontName;
  f.Size = static_cast<std::int32_t>(std::clamp<std::int64_t>(fStyle.FontHeight, 0, std::numeric_limits<std::int32_t>::max()));
  f.Color = fStyle.FontColor;
  f.Bold = fStyle.Bold;
  f.Italic = fStyle.Italic;
  f.Underline = fStyle.Underline;
  return f;
}

RichText::TRichAlign TPLNBaseRichText::BaseAlign() const {
  switch (fStyle.HorzAlign) {
    case TORVHorzAlign::Center: return RichText::TRichAlign::Center;
    case TORVHorzAlign::Right: return RichText::TRichAlign::Right;
    default: return RichText::TRichAlign::Left;
  }
}

const RichText::TRichParse& TPLNBaseRichText::Parsed() const {
  if (!fParsed) {
    fParsedFor = {fStyle.Text, BaseFormat(), BaseAlign()};
    fParse = RichText::Parse(fParsedFor.Markup, fParsedFor.Base, fParsedFor.Align);
    fParsed = true;
  }
  return fParse;
}

void TPLNBaseRichText::CalcValues(int mode) {
  TPLNBasePara::CalcValues(mode);
  TParseKey key{fStyle.Text, BaseFormat(), BaseAlign()};
  if (!fParsed || !(key == fParsedFor)) {
    fParse = RichText::Parse(key.Markup, key.Base, key.Align);
    fParsedFor = std::move(key);
    fParsed = true;
  }
}

}  // namespace Orv::Text
