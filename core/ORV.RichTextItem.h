#pragma once
// The rich-text item: a paragraph box whose text is markup (ORV.RichText). The model reads the
// markup into runs; the drawable class measures them with real fonts and lays them out into
// segments through LayoutRuns, which also answers the editor's questions about the laid-out
// text (where the caret stands, which character a click hits, the line above or below).

#include <QString>
#include <cstdint>
#include <vector>

#include "ORV.RichText.h"
#include "ORV.Text.h"

namespace Orv::RichText {

// A placed piece of text. X and Y are base units on paper from the top-left of the text area;
// segments of one line share their Y and their Line.
struct TRichTextDrawSegment {
  QString Text;
  std::int32_t Format = 0;
  std::int64_t X = 0;
  std::int64_t Y = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::uint8_t Align = 0;
  bool ParaEnd = false;
  std::int32_t PlainStart = 0;  // plain position of the segment's first character
  std::int32_t Line = 0;
};
using TRichSegments = std::vector<TRichTextDrawSegment>;

// Text measurement in one of the parse's formats, base units on paper.
class IRichMeasure {
 public:
  virtual ~IRichMeasure() = default;
  virtual std::int64_t Width(const QString& text, int format) = 0;
  // Ascent + descent of the format's font.
  virtual std::int64_t Height(int format) = 0;
};

// Lays the runs out inside a text area `w` wide and `h` high (h <= 0: no limit), lines `gap`
// apart: words wrap at spaces (a word wider than the area stands alone on its line and overflows
// it), runs that meet without a space form one word, and lines past the height are not placed.
TRichSegments LayoutRuns(const TRichParse& parse, std::int64_t w, std::int64_t h, std::int64_t gap,
                         IRichMeasure& measure);

// Where the caret at plain position `pos` stands: its x, the top and bottom of its line, and the
// line (-1 when nothing is laid out). A position the layout left out (a space the line broke at,
// text past the height) stands at the end of the segment before it.
struct TRichCaret {
  std::int64_t X = 0;
  std::int64_t Top = 0;
  std::int64_t Bottom = 0;
  int Line = -1;
};
TRichCaret CaretAt(const TRichSegments& segs, int pos, IRichMeasure& measure);
// The plain position nearest to (x, y): the line under y (or the nearest line), then the
// character boundary nearest to x.
int PosAt(const TRichSegments& segs, std::int64_t x, std::int64_t y, IRichMeasure& measure);
// The position on the line below (`down`) or above at the caret's x; the caret itself when there
// is no such line.
int LineMove(const TRichSegments& segs, int caret, bool down, IRichMeasure& measure);
// The word under plain position `pos`: the segment there extended over the segments of its line
// that are not a single space; a segment that ends a paragraph takes its line break with it.
void WordAt(const TRichSegments& segs, int pos, int& start, int& end);
// The boxes covering the plain characters [start, end), one per line touched (x1, top, x2,
// bottom in base units of the text area).
struct TRichBox {
  std::int64_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};
std::vector<TRichBox> SelectionBoxes(const TRichSegments& segs, int start, int end, IRichMeasure& measure);

}  // namespace Orv::RichText

namespace Orv::Text {

class TPLNBaseRichText : public TPLNBasePara {
 public:
  TPLNBaseRichText(TPLNBaseLabel* owner, bool preview);
  TPLNBaseRichText(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::RichText; }
  QString KindName() const override { return QStringLiteral("RichText"); }

  // Defaults of a new rich text: a 4 mm font, single line spacing, no frame.
  void IniRichPara();

  QString GetRichText() const { return GetText(); }
  void SetRichText(const QString& markup) { SetText(markup); }
  void SetRichTextValue(const QString& markup) { SetText(markup); }
  QString GetPlainText() const { return Parsed().Plain; }
  int PlainPosToRichPos(int plainPos) const { return RichText::PlainPosToRichPos(Parsed(), plainPos); }
  int RichPosToPlainPos(int richPos) const { return RichText::RichPosToPlainPos(Parsed(), richPos); }

  // The markup read with the item's font, colour and alignment as the base format.
  const RichText::TRichParse& Parsed() const;
  // The base format and alignment the markup is read with.
  RichText::TRichTextFormat BaseFormat() const;
  RichText::TRichAlign BaseAlign() const;
  // The laid-out segments (empty until a drawable class has measured them).
  const RichText::TRichSegments& Segments() const { return fSegments; }

  void CalcValues(int mode) override;

 protected:
  RichText::TRichSegments fSegments;

 private:
  struct TParseKey {
    QString Markup;
    RichText::TRichTextFormat Base;
    RichText::TRichAlign Align = RichText::TRichAlign::Left;
    bool operator==(const TParseKey&) const = default;
  };
  mutable TParseKey fParsedFor;
  mutable RichText::TRichParse fParse;
  mutable bool fParsed = false;
};

}  // namespace Orv::Text
