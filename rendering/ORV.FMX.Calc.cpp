#include "ORV.FMX.Calc.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHash>
#include <QList>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <type_traits>
#include <vector>

#include "ORV.BinaryIO.h"
#include "ORV.FMX.Shared.h"
#include "ORV.FMX.Types.h"
#include "ORV.Msg.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

namespace {

constexpr double kRefDpi = 96.0;
constexpr float kCalibrationPx = 37.795f;  // 10 mm at the reference resolution
constexpr double kCalibrationHeight = 10000.0;
const QRectF kMeasureRect(0, 0, 50000, 20000);

std::int64_t PxToBase(double px) { return Utils::RoundHalfAway(px * Utils::kBasePerInch / kRefDpi); }
std::int64_t AbsPxToBase(double px) { return std::abs(PxToBase(px)); }

bool IsBreak(QChar c) { return c == QChar(13) || c == QChar(10); }
bool IsWordChar(QChar c) { return !IsBreak(c) && c != QChar(32); }

[[noreturn]] void FontFailure() { throw EPLNError(TPLNMsg::GetErrorValue(QStringLiteral("Font"))); }

// The family drawn for `name`, or empty when none serves it. fontconfig hands out some face for
// any name at all, so whether a font is "there" is decided here, never by asking Qt to make one:
// an installed family matched case-insensitively (without Qt's " [foundry]" suffix), the
// Liberation family that stands in metrically for the common Windows and PostScript names, or
// whatever fontconfig picks for a generic family. Answers are the same for every thread.
QString ResolveFamily(const QString& name) {
  static std::mutex mutex;
  static QHash<QString, QString> answers;
  const QString key = name.toLower();
  {
    std::lock_guard lock(mutex);
    if (auto it = answers.constFind(key); it != answers.constEnd()) return *it;
  }
  QString found;
  if (!key.isEmpty()) {
    const QStringList families = QFontDatabase::families();
    auto installed = [&families](const QString& wanted) -> QString {
      for (const QString& f : families) {
        const qsizetype bracket = f.indexOf(QStringLiteral(" ["));
        const QString plain = bracket > 0 ? f.left(bracket) : f;
        if (plain.compare(wanted, Qt::CaseInsensitive) == 0) return plain;
      }
      return {};
    };
    struct TAlias {
      const char* Name;
      const char* Family;
    };
    static constexpr TAlias kAliases[] = {
        {"arial", "Liberation Sans"},        {"helvetica", "Liberation Sans"},
        {"times new roman", "Liberation Serif"}, {"times", "Liberation Serif"},
        {"courier new", "Liberation Mono"},  {"courier", "Liberation Mono"},
        // DejaVu Sans comes from the same wide, open design as Verdana: the closest fit installed.
        {"verdana", "DejaVu Sans"},
    };
    struct TGeneric {
      const char* Name;
      QFont::StyleHint Hint;
    };
    static constexpr TGeneric kGeneric[] = {
        {"sans-serif", QFont::SansSerif}, {"serif", QFont::Serif}, {"monospace", QFont::Monospace}};

    found = installed(key);
    for (const TAlias& a : kAliases)
      if (found.isEmpty() && key == QLatin1String(a.Name)) found = installed(QLatin1String(a.Family));
    for (const TGeneric& g : kGeneric) {
      if (!found.isEmpty() || key != QLatin1String(g.Name)) continue;
      QFont f(QLatin1String(g.Name));
      f.setStyleHint(g.Hint);
      found = QFontInfo(f).family();
      if (found.isEmpty()) found = QLatin1String(g.Name);
    }
  }
  std::lock_guard lock(mutex);
  answers.insert(key, found);
  return found;
}

// Per thread, not per process: bitmap export draws its bands on several threads at once and the
// export thread lays out text while the user-interface thread paints, so one shared cache key and
// Font would be torn between them. Each thread keeps its own calibration instead.
struct TCalcState {
  bool Valid = false;  // a cache key is held (Reset and the start clear it)
  QString Name;
  std::int64_t He = 0;
  bool Bld = false, Itl = false;
  std::int64_t Asc = 0, Des = 0, Und = 0, Lh = 0;
  double Rat = 0;
  Canvas::TSkFont Cached;  // the font of the cached key
  Canvas::TSkFont Font;    // the font of the last FontSettings of either form
  std::uint64_t FontsMade = 0;
};
TCalcState& State() {
  thread_local TCalcState state;
  return state;
}

// Makes the font for a height of `fHeight` base units, leaves it in Font and returns its metrics.
// The calibration at 10 mm finds how much a nominal size must grow so that ascent + descent, not
// the em size, come out at the requested height.
Canvas::TSkFontMetrics MakeFont(const QString& name, std::int64_t fHeight, bool bold, bool italic,
                                double& ratio) {
  const QString family = ResolveFamily(name);
  if (family.isEmpty()) FontFailure();
  TCalcState& st = State();
  Canvas::TSkFont f;
  f.Family = family;
  const TSkFontStyle style = GetFontStyle(bold, italic);
  f.Bold = style == TSkFontStyle::Bold || style == TSkFontStyle::BoldItalic;
  f.Italic = style == TSkFontStyle::Italic || style == TSkFontStyle::BoldItalic;
  f.Size = kCalibrationPx;
  const Canvas::TSkFontMetrics cal = f.Metrics();
  ++st.FontsMade;
  const std::int64_t a = AbsPxToBase(cal.Ascent), d = AbsPxToBase(cal.Descent);
  if (a + d <= 0) FontFailure();  // the database gave no usable face after all
  ratio = kCalibrationHeight / double(a + d);
  f.Size = float(double(fHeight) * ratio / Utils::kBasePerInch * kRefDpi);
  const Canvas::TSkFontMetrics m = f.Metrics();
  ++st.FontsMade;
  st.Font = f;
  return m;
}

// ---- Measuring pieces of one text ----

// Widths in base units of pieces of one text, equal to what measuring each piece's own string
// with TSkFont::MeasureText gives: that measurement adds the glyphs' design advances left to
// right without kerning or shaping, so the advances are looked up once for the whole text and
// the same additions are repeated per piece, in the same order. This keeps line breaking linear
// in the text instead of re-measuring the growing line for every word. Where the glyphs do not
// map one to one onto the code points the pieces are measured as strings.
class TTextWidths {
 public:
  TTextWidths(const Canvas::TSkFont& font, const QString& text) : Font_(font), Text_(text) {
    const QRawFont raw = font.ToRawFont();
    if (!raw.isValid() || text.isEmpty()) return;
    const QList<quint32> glyphs = raw.glyphIndexesForString(text);
    const QList<QPointF> adv =
        raw.advancesForGlyphIndexes(glyphs, QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
    const QList<QPointF> space = raw.advancesForGlyphIndexes(raw.glyphIndexesForString(QStringLiteral(" ")),
                                                             QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
    if (adv.size() != glyphs.size() || space.size() != 1) return;
    Adv_.assign(std::size_t(text.size()), 0.0);
    qsizetype g = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++g) {
      if (g >= adv.size()) return;  // fewer glyphs than code points
      Adv_[std::size_t(i)] = adv[g].x();
      // A surrogate pair is one code point and one glyph; its low half adds nothing.
      if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    }
    if (g != adv.size()) return;
    Space_ = space[0].x();
    Exact_ = true;
  }

  std::int64_t Width(int from, int to) const {
    return Exact_ ? ToBase(Sum(from, to, 0)) : Measure(Text_.mid(from, to - from));
  }
  // Width of a space followed by text[from, to).
  std::int64_t Spaced(int from, int to) const {
    return Exact_ ? ToBase(Sum(from, to, 0.0 + Space_)) : Measure(QLatin1Char(' ') + Text_.mid(from, to - from));
  }
  // The current line, text[from, to), set and then grown at its end.
  void SetLine(int from, int to) {
    LineFrom_ = from;
    LineTo_ = to;
    if (Exact_) LineSum_ = Sum(from, to, 0);
  }
  void ExtendLine(int to) {
    if (Exact_) LineSum_ = Sum(LineTo_, to, LineSum_);
    LineTo_ = to;
  }
  std::int64_t LineWidth() const {
    return Exact_ ? ToBase(LineSum_) : Measure(Text_.mid(LineFrom_, LineTo_ - LineFrom_));
  }
  std::int64_t Measure(const QString& s) const { return PxToBase(Font_.MeasureText(s)); }

 private:
  double Sum(int from, int to, double start) const {
    for (int i = from; i < to; ++i) start += Adv_[std::size_t(i)];
    return start;
  }
  std::int64_t ToBase(double sum) const { return PxToBase(float(sum * Font_.ScaleX)); }

  const Canvas::TSkFont& Font_;
  const QString& Text_;
  std::vector<double> Adv_;  // per UTF-16 position
  double Space_ = 0;
  bool Exact_ = false;
  int LineFrom_ = 0, LineTo_ = 0;
  double LineSum_ = 0;
};

// The same operations on the print canvas, in device units. Qt's text layout shapes and kerns,
// so widths are not additive here and every piece is measured as a string.
class TPrintWidths {
 public:
  TPrintWidths(Canvas::IPrintCanvas& canvas, const QString& text) : C_(canvas), Text_(text) {}
  float Width(int from, int to) const { return Rect(Text_.mid(from, to - from)).width(); }
  float Spaced(int from, int to) const { return Rect(QLatin1Char(' ') + Text_.mid(from, to - from)).width(); }
  void SetLine(int from, int to) {
    LineFrom_ = from;
    LineTo_ = to;
    Known_ = false;
  }
  void ExtendLine(int to) {
    LineTo_ = to;
    Known_ = false;
  }
  float LineWidth() const { return float(LineRect().width()); }
  // The measured box of the current line.
  QRectF LineRect() const {
    if (!Known_) {
      LineRect_ = Rect(Text_.mid(LineFrom_, LineTo_ - LineFrom_));
      Known_ = true;
    }
    return LineRect_;
  }
  QRectF Rect(const QString& s) const {
    return C_.MeasureText(kMeasureRect, s, false, Canvas::TTextAlign::Leading, Canvas::TTextAlign::Leading);
  }

 private:
  Canvas::IPrintCanvas& C_;
  const QString& Text_;
  int LineFrom_ = 0, LineTo_ = 0;
  mutable QRectF LineRect_;
  mutable bool Known_ = false;
};

// ---- The line breaker shared by the box, the flow shapes and the print canvas ----

enum class TScanEnd { Done, Overflow, TooWide };
enum class TTooWide { Abort, Retry, Overflow };

// Breaks `t` into lines. The layout `L` measures (Width, Spaced, SetLine, ExtendLine, LineWidth),
// keeps the running y and decides when the height is used up (StepOverflow before each step,
// BreakOverflow before a line ends, Advance to the next line, EndFits for the last line), gives
// the width available to the current line (Avail), what to do with a token too wide for an empty
// line (TooWide) and records lines (Emit: 0-based start, count up to the next line's start, the
// line's width).
//
// Tokens: at a line's start the spaces and the following word together (the spaces indent), or
// the spaces alone before a break or the end; elsewhere the word alone, its spaces dropped when
// the word wraps. A line begun by a wrapped word is no longer at its start, so the spaces after
// that word do not count as indentation. A CR LF or LF CR pair is one break, two equal
// characters two breaks.
template <class L>
TScanEnd ScanLines(const QString& t, L& l) {
  const int n = int(t.size());
  int pos = 0, lineStart = 0;
  bool lineEmpty = true;
  while (pos < n) {
    if (l.StepOverflow()) return TScanEnd::Overflow;
    const QChar c = t[pos];
    if (IsBreak(c)) {
      int next = pos + 1;
      if (next < n && IsBreak(t[next]) && t[next] != c) ++next;
      if (l.BreakOverflow()) return TScanEnd::Overflow;
      l.Emit(lineStart, next - lineStart, l.LineWidth());
      lineEmpty = true;
      lineStart = pos = next;
      l.SetLine(next, next);
      if (!l.Advance()) return TScanEnd::Overflow;
      continue;
    }
    const int spaces = pos;
    while (pos < n && t[pos] == QChar(32)) ++pos;
    const int word = pos;
    while (pos < n && IsWordChar(t[pos])) ++pos;
    const int end = pos;
    const int from = lineEmpty ? spaces : word;  // on an empty line, spaces == lineStart
    if (from == end) continue;
    if (lineEmpty) {
      while (l.Width(from, end) > l.Avail()) {
        switch (l.TooWide()) {
          case TTooWide::Abort: return TScanEnd::TooWide;
          case TTooWide::Overflow: return TScanEnd::Overflow;
          case TTooWide::Retry: break;
        }
      }
      l.SetLine(from, end);
      lineEmpty = false;
    } else if (l.LineWidth() + l.Spaced(from, end) > l.Avail()) {
      if (l.BreakOverflow()) return TScanEnd::Overflow;
      l.Emit(lineStart, from - lineStart, l.LineWidth());
      lineStart = from;
      l.SetLine(from, end);
      if (!l.Advance()) return TScanEnd::Overflow;
    } else {
      l.ExtendLine(end);
    }
  }
  if (!lineEmpty) {
    if (!l.EndFits()) return TScanEnd::Overflow;
    l.Emit(lineStart, n - lineStart, l.LineWidth());
  }
  return TScanEnd::Done;
}

// A box: the width less the horizontal padding, the height less the vertical padding.
struct TBoxLayout : TTextWidths {
  TBoxLayout(const QString& text, TxtLines& out) : TTextWidths(State().Font, text), Out(out) {}
  TxtLines& Out;
  std::int64_t W = 0, mWidth = 0, mHeight = 0, aPadH = 0, aPadV = 0, Lh = 0, Y = 0;
  TORVHorzAlign HAlign = TORVHorzAlign::Left;

  bool StepOverflow() const { return mHeight > 0 && Y > mHeight - Lh - aPadV; }
  bool BreakOverflow() const { return mHeight != 0 && Y > mHeight - Lh; }
  bool Advance() {
    Y += Lh;
    return EndFits();
  }
  bool EndFits() const { return mHeight == 0 || Y <= mHeight - Lh - aPadV; }
  std::int64_t Avail() const { return W; }
  TTooWide TooWide() const { return TTooWide::Abort; }
  void Emit(int start, int count, std::int64_t width) {
    std::int64_t x = aPadH;  // left, and justified text, which is spread afterwards
    if (HAlign == TORVHorzAlign::Center) x = (mWidth - width) / 2;
    else if (HAlign == TORVHorzAlign::Right) x = mWidth - width - aPadH;
    Out.push_back({start + 1, count, x, Y});
  }
};

double Finite(double v) { return std::isfinite(v) ? v : 0.0; }
double Chord(double r, double d) { return d < r ? Finite(std::sqrt(r * r - d * d)) : 0.0; }
double Lin(double h, double d, double w) { return Finite(d * w / h); }
double Arc(double h, double d, double w) { return Finite(w * std::cos(std::asin((h - d) / h))); }
std::int64_t Trunc(double v) { return std::int64_t(std::trunc(v)); }

// The inside of a flow-chart shape: the width a line may use follows the outline at its height.
struct TFlowLayout : TTextWidths {
  TFlowLayout(const QString& text, TxtLines& out) : TTextWidths(State().Font, text), Out(out) {}
  TxtLines& Out;
  std::vector<std::int64_t> Widths;  // of the emitted lines
  int Type = 1;
  std::int64_t W = 0, H = 0, aPadV = 0, Lh = 0, Y = 0, Usable = 0, Cw = 0, Available = 0;
  // A block of a set number of lines placed beforehand: no more lines than that, and a token too
  // wide for its line fails the block instead of moving down.
  std::size_t Limit = 0;

  bool Fixed() const { return !(Type == 0 || Type == 4 || Type == 10 || Type == 11 || Type == 12); }
  // Distance from the outline's nearer end, top or bottom, of the line at y's edge farther from
  // the middle: that edge is where the outline is narrowest, also for a line across the middle.
  std::int64_t Dist(std::int64_t y) const {
    const std::int64_t mid = H / 2;
    return std::max<std::int64_t>(0, mid - std::max(std::abs(mid - y), std::abs(y + Lh - mid)));
  }
  std::int64_t AvailAt(std::int64_t y) const {
    const double h2 = double(H / 2), d = double(Dist(y));
    switch (Type) {
      case 0: return (W - H) + Trunc(2 * Chord(h2, std::abs(h2 - d)));
      case 3: return W - W / 15;
      case 4: return Trunc(2 * Lin(h2, d, double(W / 2))) - Cw;
      case 5: return W - W / 8 - Cw;
      case 7: return W - 2 * (W / 15);
      case 9: return W - W / 4;
      case 10: return W / 2 + Trunc(2 * Lin(h2, d, double(W / 4))) - Cw;
      case 11: return Trunc(2 * Arc(h2, d, double(W / 2))) - Cw;
      case 12: return W - W / 4 + Trunc(2 * Lin(h2, d, double(W / 8))) - Cw;
      case 13:
      case 14: return W - W / 8 - 2 * Cw;
      default: return W;
    }
  }
  std::int64_t XAt(std::int64_t y, std::int64_t width) const {
    const std::int64_t avail = AvailAt(y);
    switch (Type) {
      case 3: return (W - width) / 2 - W / 30;
      case 5: {
        // The slanted sides of the parallelogram at the line's top and bottom.
        const double s = H != 0 ? -double(W / 8) / double(H) : 0.0;
        const std::int64_t left = Utils::RoundHalfAway(s * double(y) + double(W / 8));
        return left + (W - left - Utils::RoundHalfAway(std::abs(s * double(y + Lh))) - width) / 2;
      }
      case 13:
      case 14:
        return Utils::RoundHalfAway(Lin(double(H / 2), double(Dist(y)), double(W / 8))) + (avail - width) / 2;
      default:
        if (Fixed()) return (W - width) / 2;
        return (W - avail) / 2 + (avail - width) / 2;
    }
  }

  // A block placed beforehand ends where its lines are used up; a break after its last line
  // asks for no line of its own.
  bool StepOverflow() const { return Limit > 0 ? Out.size() >= Limit : H > 0 && Y > Usable - Lh - aPadV; }
  bool BreakOverflow() const { return Limit > 0 ? Out.size() >= Limit : H != 0 && Y > Usable - Lh; }
  bool Advance() {
    Y += Lh;
    Available = AvailAt(Y);
    return Limit > 0 || EndFits();
  }
  bool EndFits() const { return Limit > 0 ? Out.size() < Limit : H == 0 || Y <= Usable - Lh - aPadV; }
  std::int64_t Avail() const { return Available; }
  // Rounded shapes widen further down: skip lines until the token fits. Without a height to go
  // down through (or lines of no height) that would never end, so those give up like the others.
  TTooWide TooWide() {
    if (Fixed() || Limit > 0 || H <= 0 || Lh <= 0) return TTooWide::Abort;
    return Advance() ? TTooWide::Retry : TTooWide::Overflow;
  }
  void Emit(int start, int count, std::int64_t width) {
    Out.push_back({start + 1, count, XAt(Y, width), Y});
    Widths.push_back(width);
  }
  // Starts again with the first line at `y`.
  void Restart(std::int64_t y, std::size_t limit) {
    Out.clear();
    Widths.clear();
    Y = y;
    Available = AvailAt(y);
    Limit = limit;
  }
};

// How many lines the text needs at one width: greedy breaking gives the fewest lines a width
// allows, so no shape whose lines are at most that wide holds the text in fewer.
struct TLineCount : TTextWidths {
  explicit TLineCount(const QString& text) : TTextWidths(State().Font, text) {}
  std::int64_t W = 0;
  std::size_t Lines = 0;
  bool StepOverflow() const { return false; }
  bool BreakOverflow() const { return false; }
  bool Advance() const { return true; }
  bool EndFits() const { return true; }
  std::int64_t Avail() const { return W; }
  TTooWide TooWide() const { return TTooWide::Abort; }
  void Emit(int, int, std::int64_t) { ++Lines; }
};

// Lays the text out as a block centred in the height the shape leaves for text (from `top` down
// to its usable height, less the padding): the fewest lines that, placed there, each hold what
// falls to them. Round outlines are narrow near their ends, so their lines cannot be laid from
// the top and moved afterwards. False when no such block fits; the lines are then left empty.
bool CentredBlock(const QString& text, TFlowLayout& l, std::int64_t top) {
  const std::int64_t first = top + l.aPadV, room = l.Usable - l.aPadV - first;
  if (l.H <= 0 || l.Lh <= 0 || room < l.Lh) return false;
  TLineCount count(text);
  count.W = l.AvailAt(l.H / 2 - l.Lh / 2);  // the widest a line gets: across the middle
  if (ScanLines(text, count) != TScanEnd::Done) return false;
  const std::size_t most = std::size_t(room / l.Lh);
  for (std::size_t n = std::max<std::size_t>(count.Lines, 1); n <= most; ++n) {
    l.Restart(first + (room - std::int64_t(n) * l.Lh) / 2, n);
    if (ScanLines(text, l) == TScanEnd::Done) return true;
    if (l.Fixed()) break;  // the same widths wherever the block sits
  }
  l.Restart(0, 0);
  return false;
}

// Print text in device units on the print canvas.
struct TPrintLayout : TPrintWidths {
  TPrintLayout(Canvas::IPrintCanvas& canvas, const QString& text, TxtFLines& out)
      : TPrintWidths(canvas, text), Out(out) {}
  TxtFLines& Out;
  std::vector<float> OffsetY;  // of the emitted lines
  float Width_ = 0, Height = 0, Lh = 0, Y = 0;
  TORVHorzAlign HAlign = TORVHorzAlign::Left;

  bool StepOverflow() const { return Y > Height - Lh; }
  bool BreakOverflow() const { return StepOverflow(); }
  bool Advance() {
    Y += Lh;
    return EndFits();
  }
  bool EndFits() const { return Y <= Height - Lh; }
  float Avail() const { return Width_; }
  TTooWide TooWide() const { return TTooWide::Abort; }
  void Emit(int start, int count, float) {
    const QRectF r = LineRect();
    float x = float(-r.left());
    if (HAlign == TORVHorzAlign::Center) x += (Width_ - float(r.width())) / 2;
    else if (HAlign == TORVHorzAlign::Right) x += Width_ - float(r.width());
    Out.push_back({start + 1, count, x, Y + float(-r.top())});
    OffsetY.push_back(float(-r.top()));
  }
};

// Justified text: every line of a paragraph but its last is spread over `avail` by widening the
// gaps between its words. Such a line comes back as one entry per word, the spaces after a word
// counted with it (so the entries stay contiguous), each at the place its word is drawn; the
// others stay whole. `width(from, to)` measures text[from, to) as the layout does.
template <class Lines, class Width>
void JustifyLines(const QString& t, Lines& lines, double avail, Width width) {
  using TLine = typename Lines::value_type;
  using TCoord = decltype(TLine::X);
  Lines out;
  out.reserve(lines.size());
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const TLine& line = lines[k];
    const int from = line.Start - 1, end = std::min(from + line.Count, int(t.size()));
    const bool paragraphEnd = k + 1 == lines.size() || (end > from && IsBreak(t[end - 1]));
    // Words after the first (the first keeps any indent before it): where each starts and ends.
    std::vector<std::pair<int, int>> words;
    for (int i = from + 1; i < end; ++i) {
      if (!IsWordChar(t[i]) || t[i - 1] != QChar(32)) continue;
      int e = i;
      while (e < end && IsWordChar(t[e])) ++e;
      words.push_back({i, e});
    }
    const double extra = words.empty() ? 0.0 : avail - double(width(from, words.back().second));
    if (paragraphEnd || words.empty() || !(extra > 0)) {
      out.push_back(line);
      continue;
    }
    TLine first = line;
    first.Count = words.front().first - from;
    out.push_back(first);
    const double step = extra / double(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
      const auto [start, e] = words[i];
      TLine piece = line;
      piece.Start = start + 1;
      piece.Count = (i + 1 < words.size() ? words[i + 1].first : end) - start;
      // Where the word starts in the line as measured, then the widened gaps before it.
      const double at = double(width(from, e)) - double(width(start, e)) + step * double(i + 1);
      if constexpr (std::is_integral_v<TCoord>)
        piece.X = line.X + Utils::RoundHalfAway(at);
      else
        piece.X = line.X + TCoord(at);
      out.push_back(piece);
    }
  }
  lines.swap(out);
}

}  // namespace

// ---- TPLNCalc ----

void TPLNCalc::FontSettings(const QString& aFont, std::int64_t fHeight, bool bold, bool italic, std::int64_t& oAsc,
                            std::int64_t& oDes, std::int64_t& oUnd, std::int64_t& oLh, double& oRatio) {
  TCalcState& st = State();
  if (st.Valid && st.He == fHeight && st.Bld == bold && st.Itl == italic && st.Name == aFont) {
    // An uncached call in between may have left another font behind.
    st.Font = st.Cached;
  } else {
    double ratio = 0;
    const Canvas::TSkFontMetrics m = MakeFont(aFont, fHeight, bold, italic, ratio);
    st.Asc = AbsPxToBase(m.Ascent);
    st.Des = AbsPxToBase(m.Descent);
    st.Und = PxToBase(m.UnderlinePosition);
    st.Lh = fHeight;
    st.Rat = ratio;
    st.Name = aFont;
    st.He = fHeight;
    st.Bld = bold;
    st.Itl = italic;
    st.Cached = st.Font;
    st.Valid = true;
  }
  oAsc = st.Asc;
  oDes = st.Des;
  oUnd = st.Und;
  oLh = st.Lh;
  oRatio = st.Rat;
}

void TPLNCalc::FontSettings(const QString& aTxt, const QString& aFont, std::int64_t fHeight, bool bold, bool italic,
                            std::int64_t& oAsc, std::int64_t& oDes, std::int64_t& oWid, double& oRatio) {
  const Canvas::TSkFontMetrics m = MakeFont(aFont, fHeight, bold, italic, oRatio);
  oAsc = AbsPxToBase(m.Ascent);
  oDes = AbsPxToBase(m.Descent);
  oWid = PxToBase(State().Font.MeasureText(aTxt));
}

std::int64_t TPLNCalc::CalcTxtSize(const QString& aTxt) { return PxToBase(State().Font.MeasureText(aTxt)); }

std::int64_t TPLNCalc::TxtWidth(const Canvas::TSkFont& font, const QString& aTxt) {
  return PxToBase(font.NeedsShaping(aTxt) ? font.MeasureShaped(aTxt) : font.MeasureText(aTxt));
}

void TPLNCalc::Reset() {
  TCalcState& st = State();
  st.Valid = false;
  st.Name.clear();
  st.He = 0;
  st.Bld = st.Itl = false;
  st.Asc = st.Des = st.Und = 0;
}

const Canvas::TSkFont& TPLNCalc::Font() { return State().Font; }

std::uint64_t TPLNCalc::FontsMade() { return State().FontsMade; }

std::int64_t TPLNCalc::CalcTxtPts(const QString& txt, TPLNDraw* /*drw*/, TxtLines& fTxt, std::int64_t mWidth,
                                  std::int64_t mHeight, std::int64_t aPadH, std::int64_t aPadV, TORVHorzAlign hAlign,
                                  TORVVertAlign vAlign, float Inter) {
  fTxt.clear();
  if (txt.isEmpty()) return 0;
  const TCalcState& st = State();
  TBoxLayout l(txt, fTxt);
  l.Lh = Utils::RoundHalfAway(double(st.Lh) * Inter);
  l.mWidth = mWidth;
  l.mHeight = mHeight;
  l.aPadH = aPadH;
  l.aPadV = aPadV;
  l.W = mWidth - 2 * aPadH < 0 ? mWidth : mWidth - 2 * aPadH;
  l.Y = aPadV;
  l.HAlign = hAlign;
  const TScanEnd end = ScanLines(txt, l);
  if (end == TScanEnd::TooWide) return 0;

  if (end == TScanEnd::Done && mHeight > 0 && !fTxt.empty() && vAlign != TORVVertAlign::Top) {
    const std::int64_t n = std::int64_t(fTxt.size());
    const std::int64_t glyphs = st.Asc + st.Des < 1 ? l.Lh : st.Asc + st.Des;
    const std::int64_t textHeight = glyphs + (n - 1) * l.Lh;
    std::int64_t top = aPadV;
    if (vAlign == TORVVertAlign::Center) {
      const std::int64_t free = mHeight - 2 * aPadV - textHeight;
      if (free > 0) top = aPadV + free / 2;
    } else {
      top = std::max(mHeight - aPadV - textHeight, aPadV);
    }
    for (std::int64_t k = 0; k < n; ++k) fTxt[std::size_t(k)].Y = top + k * l.Lh;
  }
  if (hAlign == TORVHorzAlign::Justify)
    JustifyLines(txt, fTxt, double(l.W), [&l](int from, int to) { return l.Width(from, to); });
  return mHeight != 0 ? mHeight : l.Y + l.Lh + aPadV;
}

std::int64_t TPLNCalc::CalcFlowTxtPoints(const QString& txt, TPLNDraw* /*drw*/, TxtLines& fTxt, std::int64_t mWidth,
                                         std::int64_t mHeight, std::int64_t /*aPadH*/, std::int64_t aPadV,
                                         TORVFlowType aFlowType, float aInter) {
  fTxt.clear();
  if (txt.isEmpty()) return 0;
  TFlowLayout l(txt, fTxt);
  l.Type = int(aFlowType);
  l.W = mWidth;
  l.H = mHeight;
  l.aPadV = aPadV;
  l.Lh = Utils::RoundHalfAway(double(State().Lh) * aInter);
  l.Cw = l.Measure(QStringLiteral("c"));
  std::int64_t top = 0;
  l.Usable = mHeight;
  switch (l.Type) {
    case 2: l.Usable = mHeight - mWidth / 15; break;  // above the wavy lower edge
    case 3:
      top = mWidth / 15;  // the front sheet of the stack
      l.Usable = mHeight - mWidth / 15;
      break;
    case 6: top = mHeight / 20; break;  // below the cylinder's upper rim
    case 8: top = mHeight / 8; break;   // below the slanted upper edge
    default: break;
  }
  if (CentredBlock(txt, l, top)) return mHeight;

  // Too much text for the height (or too wide a word): lines from the top, as many as fit.
  l.Y = aPadV + top;
  l.Available = l.AvailAt(l.Y);
  if (ScanLines(txt, l) == TScanEnd::TooWide) return 0;

  const std::int64_t n = std::int64_t(fTxt.size());
  if (n == 1) {
    TORVTxtInf& line = fTxt.front();
    line.Y = mHeight / 2 - l.Lh / 2;
    if (l.Type == 5 || l.Type == 13 || l.Type == 14) line.X = l.XAt(line.Y, l.Widths.front());
  } else if (n > 1 && l.Type != 0 && l.Type != 4) {
    const std::int64_t free = mHeight - n * l.Lh - 2 * aPadV;
    if (free > 0)
      for (std::size_t k = 0; k < fTxt.size(); ++k) {
        TORVTxtInf& line = fTxt[k];
        line.Y += free / 2;
        // Slanted sides: a line that moves down moves along with them.
        if (l.Type == 5 || l.Type == 13 || l.Type == 14) line.X = l.XAt(line.Y, l.Widths[k]);
      }
  }
  return mHeight != 0 ? mHeight : l.Y + l.Lh;
}

// ---- Print canvas ----

float PrintTxtPoints(const QString& txt, TPLNDraw* drw, TxtFLines& fTxt, float width, float height, float lineHeight,
                     TORVHorzAlign hAlign, TORVVertAlign vAlign, bool /*flag1: the caller's own*/, bool noVertAlign) {
  fTxt.clear();
  // Without a print canvas there is nothing to measure with.
  if (txt.isEmpty() || drw == nullptr || drw->pC == nullptr) return 0;
  TPrintLayout l(*drw->pC, txt, fTxt);
  l.Width_ = width;
  l.Height = height;
  l.Lh = lineHeight;
  l.HAlign = hAlign;
  const TScanEnd end = ScanLines(txt, l);

  if (!noVertAlign && end != TScanEnd::Overflow && !fTxt.empty()) {
    const std::size_t n = fTxt.size();
    if (vAlign == TORVVertAlign::Center) {
      const float free = height - float(n) * lineHeight;
      if (free > 0)
        for (std::size_t k = 0; k < n; ++k) fTxt[k].Y = free / 2 + float(k) * lineHeight + l.OffsetY[k];
    } else if (vAlign == TORVVertAlign::Bottom) {
      for (std::size_t j = 0; j < n; ++j) {
        const std::size_t k = n - 1 - j;
        fTxt[k].Y = std::max(height - float(j + 1) * lineHeight, 0.0f) + l.OffsetY[k];
      }
    }
  }
  if (hAlign == TORVHorzAlign::Justify)
    JustifyLines(txt, fTxt, double(width), [&l](int from, int to) { return l.Width(from, to); });
  return l.Y + lineHeight;
}

QPointF GetTextSize(Canvas::IPrintCanvas& canvas, const QString& text) {
  const QRectF r =
      canvas.MeasureText(kMeasureRect, text, false, Canvas::TTextAlign::Leading, Canvas::TTextAlign::Leading);
  return {r.width(), r.height()};
}

QPointF GetInternalTextOffset(Canvas::IPrintCanvas& canvas, const QString& text) {
  const QRectF r =
      canvas.MeasureText(kMeasureRect, text, false, Canvas::TTextAlign::Leading, Canvas::TTextAlign::Leading);
  return {-r.left(), -r.top()};
}

bool FontAvailable(const QString& family) { return !ResolveFamily(family).isEmpty(); }

}  // namespace Orv::Fmx
