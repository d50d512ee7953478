#pragma once
// Rich-text markup: a string with inline tags (bold, italic, underline, strike-out, font family,
// size, colours, paragraph alignment, line breaks) read into styled runs, the mapping between
// positions in the plain text and in the markup, and the edits the editor makes on the markup.
//
// Tags, matched without regard to case:
//   <B> </B>, <I> </I>, <U> </U>, <S> </S>      bold, italic, underline, strike-out
//   <FN:name> </FN>                              font family
//   <FS:size> </FS>                              font size in points
//   <FC:colour> </FC>, <BC:colour> </BC>         text and background colour: RRGGBB, #RRGGBB,
//                                                #AARRGGBB or a colour name
//   <L> </L>, <C> </C>, <R> </R>                 paragraph alignment
//   <BR> (also <BR/>)                            line break; it ends the paragraph
//   &lt; &gt; &amp;                              the characters < > &
//
// Reading is lenient: an unknown tag or a lone "<" is text, a closing tag without its opening one
// is dropped, a tag never closed ends with the text. The plain text is never lost. A line break
// counts as one character of the plain text ("\n").
//
// Positions in the plain text count the characters before them (0 … length). Positions in the
// markup are indices into the markup string.

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "ORV.Types.h"

namespace Orv::RichText {

enum class TRichAlign : std::uint8_t { Left = 0, Center = 1, Right = 2 };

// One style of characters. Sizes are thousandths of a millimetre: the font's ascent + descent on
// paper, as every other text of the drawing is sized.
struct TRichTextFormat {
  QString FontName;
  std::int32_t Size = 0;
  TAlphaColor Color = kBlack;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strike = false;
  TAlphaColor BackColor = 0;  // 0: no background
  bool operator==(const TRichTextFormat&) const = default;
};

// A stretch of characters in one format and one paragraph alignment.
struct TRichTextRun {
  QString Text;                 // plain characters (entities decoded), never a line break
  std::int32_t Format = 0;      // index into TRichParse::Formats
  bool ParaEnd = false;         // a line break follows the run
  std::uint8_t Align = 0;       // TRichAlign
  std::int32_t PlainStart = 0;  // plain position of the run's first character
};

struct TRichParse {
  std::vector<TRichTextFormat> Formats;  // [0] is the base format; no two are equal
  std::vector<TRichTextRun> Runs;        // in text order; runs with empty text only where they end a paragraph
  QString Plain;                         // the plain text, "\n" for every line break
  // For every plain character k: where its markup begins (CharStart[k]) and ends (CharEnd[k],
  // one past its last markup character: 1 for a letter, 4 for "<BR>", 4 for "&lt;").
  std::vector<std::int32_t> CharStart;
  std::vector<std::int32_t> CharEnd;
  // What the lenient reading did not take as written, in user words (at most 20).
  std::vector<QString> Warnings;
  // For every paragraph (one more than there are line breaks): where text typed into it goes while
  // it is empty, at its end but before the closing tags there.
  std::vector<std::int32_t> ParaInsertPos;
};

// Font sizes of <FS:size> are points; sizes outside 1 … kMaxPoints are not usable (the size
// around them applies).
constexpr double kMaxPoints = 1000;
// Thousandths of a millimetre in `points` points.
std::int32_t PointsToSize(double points);
double SizeToPoints(std::int32_t size);

// Reads `markup`; characters outside every tag get `base` and `baseAlign`.
TRichParse Parse(const QString& markup, const TRichTextFormat& base, TRichAlign baseAlign);

// The plain text of `markup` (line breaks as "\n").
QString PlainText(const QString& markup);

// Where text typed at plain position `pos` goes in the markup: just after the character before it
// when that is not a line break (typing continues its format); otherwise before the next
// character, past the tags that open in front of it, or at the end of an empty paragraph inside
// the tags opened there. `pos` is clamped to 0 … plain length.
int PlainPosToRichPos(const TRichParse& p, int pos);
// The number of plain characters whose markup begins before `richPos` (clamped).
int RichPosToPlainPos(const TRichParse& p, int richPos);
// The markup range of the plain characters [start, end): from the first one's start to the last
// one's end, the tags just outside left outside. Both are ordered and clamped first; an empty
// range gives the insertion point twice.
void SelectionToRich(const TRichParse& p, int start, int end, int& richStart, int& richEnd);

// ---- edits; each returns the new markup, or nothing when the markup would not change

// Toggles the format of `openTag`/`closeTag` (e.g. "<B>"/"</B>", "<FN:Arial>"/"</FN>") on the
// plain characters [start, end): removes it where the selection is exactly a span of it, splits a
// span the selection lies inside, makes the whole selection formatted where it is partly
// formatted, and wraps it otherwise. Afterwards pairs that enclose nothing are removed, and so are
// pairs of the toggled <B>, <I>, <U> or <S> left around nothing but white space next to the
// selection. Nothing when start == end (line breaks do not count as formatted or not).
std::optional<QString> ToggleFormat(const QString& markup, int start, int end, const QString& openTag,
                                    const QString& closeTag);
// Colours [start, end) with "<tag:RRGGBB>" … "</tag>" (upper-case hexadecimal, alpha dropped).
// Nothing when the range is empty, when its start lies inside an open span of `tag`, or when the
// range is already exactly wrapped in a span of `tag`.
std::optional<QString> ApplyColor(const QString& markup, int start, int end, const QString& tag, TAlphaColor color);
// Sets the alignment of the paragraph holding plain position `caret`: every alignment tag inside
// the paragraph goes, the paragraph is wrapped in the new pair. Alignment spans that cross a line
// break are split at it first, so the other paragraphs keep theirs.
std::optional<QString> ApplyAlignment(const QString& markup, int caret, TRichAlign align);
// Inserts plain `text` at plain position `pos` (where PlainPosToRichPos puts it): "<", ">" and "&"
// are written as entities, a line feed as "<BR>" ("\r\n" and "\r" too), a tab as a space; other
// control characters are dropped. `inserted` receives the number of plain characters added.
QString InsertText(const QString& markup, int pos, const QString& text, int* inserted = nullptr);
// Inserts a markup fragment (from Fragment) at plain position `pos`. The fragment keeps its own
// formats: those open at `pos` are closed before it and reopened after it (alignment stays). Stray
// closing tags in it are dropped and what it leaves open is closed.
QString InsertMarkup(const QString& markup, int pos, const QString& fragment);
// Removes the plain characters [start, end) (a line break removes its "<BR>"); the tags between
// them stay, then pairs left enclosing nothing are removed (alignment pairs stay: an emptied
// paragraph keeps its alignment for what is typed next).
QString DeleteRange(const QString& markup, int start, int end);
// The markup of the plain characters [start, end) as a balanced piece: the formats open at start
// are opened at its beginning, everything open at its end is closed.
QString Fragment(const QString& markup, int start, int end);

}  // namespace Orv::RichText
