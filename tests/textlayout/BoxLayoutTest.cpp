// Line breaking inside a box (base units).
#include "TextLayoutSupport.h"

using namespace TextLayoutTest;

namespace {

constexpr auto L = TORVHorzAlign::Left;
constexpr auto T = TORVVertAlign::Top;

class BoxLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TPLNCalc::Reset();
    M = Settle(QStringLiteral("DejaVu Sans"), 4000);
  }
  std::int64_t Lay(const QString& text, std::int64_t w, std::int64_t h, std::int64_t padH = 0, std::int64_t padV = 0,
                   TORVHorzAlign ha = L, TORVVertAlign va = T, float inter = 1) {
    return TPLNCalc::CalcTxtPts(text, nullptr, Lines, w, h, padH, padV, ha, va, inter);
  }
  static std::int64_t Wd(const char* s) { return TPLNCalc::CalcTxtSize(QString::fromUtf8(s)); }
  TMetrics M;
  TxtLines Lines;
};

TEST_F(BoxLayoutTest, LineBreaksPairCrLfEitherWayAndCountRepeats) {
  struct Case {
    const char* Text;
    QStringList Expected;
  };
  const Case cases[] = {
      {"a\r\nb", {"a", "b"}},     {"a\n\rb", {"a", "b"}},        {"a\r\rb", {"a", "", "b"}},
      {"a\n\nb", {"a", "", "b"}}, {"a\r\n\r\nb", {"a", "", "b"}}, {"\rb", {"", "b"}},
  };
  for (const Case& c : cases) {
    const QString text = QString::fromUtf8(c.Text);
    const std::int64_t used = Lay(text, 80000, 0, 0, 300, L, T, 1.5f);
    EXPECT_EQ(Shown(text, Lines), c.Expected) << c.Text;
    ExpectContiguous(text, Lines);
    for (std::size_t k = 0; k < Lines.size(); ++k) EXPECT_EQ(Lines[k].Y, 300 + std::int64_t(k) * 6000);
    EXPECT_EQ(used, Lines.back().Y + 6000 + 300);
  }
  EXPECT_EQ(Lay(QString(), 80000, 0), 0);
  EXPECT_TRUE(Lines.empty());
}

TEST_F(BoxLayoutTest, SpacesIndentAtLineStartAndVanishBeforeAWrappedWord) {
  const QString indented = QStringLiteral("  ab cd\r   ef");
  Lay(indented, 80000, 0, 500);
  EXPECT_EQ(Shown(indented, Lines), (QStringList{"  ab cd", "   ef"}));

  // The wrap test measures one space, whatever the spaces in the text.
  const QString spaced = QStringLiteral("ab     cd");
  Lay(spaced, Wd("ab") + Wd(" cd") + 1000, 0, 500);
  EXPECT_EQ(Shown(spaced, Lines), QStringList{spaced});
  Lay(spaced, Wd("ab") + Wd(" cd") + 1000 - 1, 0, 500);
  EXPECT_EQ(Shown(spaced, Lines), (QStringList{"ab", "cd"}));
  EXPECT_EQ(Lines[1].Start, 8);  // the spaces end the first line
  EXPECT_EQ(Lines[1].X, 500);
  ExpectContiguous(spaced, Lines);
}

TEST_F(BoxLayoutTest, WordWiderThanTheBoxReturnsZeroKeepingEarlierLines) {
  const QString text = QStringLiteral("ab cd ef\rabcdefghijklmnop qr");
  EXPECT_EQ(Lay(text, Wd("ab cd"), 0), 0);
  EXPECT_EQ(Shown(text, Lines), (QStringList{"ab cd", "ef"}));
  // Indentation counts towards the first word of a line.
  EXPECT_EQ(Lay(QStringLiteral("   abc"), Wd("abc") + 10, 0), 0);
}

TEST_F(BoxLayoutTest, FreeHeightGivesTheNeededHeightAndNoAlignment) {
  const QString text = QStringLiteral("a\rb\rc");
  for (auto va : {TORVVertAlign::Top, TORVVertAlign::Center, TORVVertAlign::Bottom}) {
    EXPECT_EQ(Lay(text, 50000, 0, 0, 500, L, va), 500 + 2 * 4000 + 4000 + 500);
    ASSERT_EQ(Lines.size(), 3u);
    EXPECT_EQ(Lines[0].Y, 500);
    EXPECT_EQ(Lines[2].Y, 8500);
  }
}

TEST_F(BoxLayoutTest, OverflowStopsTheLayoutAndReturnsTheBoxHeight) {
  const QString byBreaks = QStringLiteral("1\r2\r3\r4\r5\r6\r7\r8");
  QString byWords;
  for (int i = 0; i < 40; ++i) byWords += QStringLiteral("word ");
  for (const QString& text : {byBreaks, byWords}) {
    EXPECT_EQ(Lay(text, 20000, 13000, 0, 500, L, TORVVertAlign::Bottom), 13000);
    EXPECT_EQ(Lines.size(), 3u);
    EXPECT_EQ(Lines[0].Y, 500);  // no alignment after an overflow
    for (const TORVTxtInf& l : Lines) EXPECT_LE(l.Y + 4000, 13000 - 500);
  }
}

TEST_F(BoxLayoutTest, VerticalAlignmentPlacesTheTextBlock) {
  const QString text = QStringLiteral("first\rsecond");
  const std::int64_t block = M.Asc + M.Des + 4000;  // glyphs of the first line, then one line step
  const std::int64_t h = 40000, pad = 1000;

  Lay(text, 50000, h, 0, pad, L, TORVVertAlign::Top);
  EXPECT_EQ(Lines[0].Y, pad);
  Lay(text, 50000, h, 0, pad, L, TORVVertAlign::Center);
  const std::int64_t above = Lines[0].Y - pad, below = h - pad - (Lines[0].Y + block);
  EXPECT_GT(above, 10000);
  EXPECT_LE(std::abs(above - below), 1);
  EXPECT_EQ(Lines[1].Y - Lines[0].Y, 4000);
  Lay(text, 50000, h, 0, pad, L, TORVVertAlign::Bottom);
  EXPECT_EQ(Lines[0].Y + block, h - pad);
  EXPECT_EQ(Lines[1].Y - Lines[0].Y, 4000);

  // Glyphs taller than the box (tight line spacing) stay at the top padding.
  for (auto va : {TORVVertAlign::Center, TORVVertAlign::Bottom}) {
    Lay(QStringLiteral("x"), 50000, 3000, 0, 500, L, va, 0.5f);
    ASSERT_EQ(Lines.size(), 1u);
    EXPECT_EQ(Lines[0].Y, 500);
  }
}

TEST_F(BoxLayoutTest, HorizontalAlignment) {
  const QString text = QStringLiteral("abc");
  const std::int64_t w = Wd("abc"), box = 50000, pad = 700;
  Lay(text, box, 0, pad, 0, TORVHorzAlign::Left);
  EXPECT_EQ(Lines[0].X, pad);
  Lay(text, box, 0, pad, 0, TORVHorzAlign::Justify);
  EXPECT_EQ(Lines[0].X, pad);
  Lay(text, box, 0, pad, 0, TORVHorzAlign::Right);
  EXPECT_EQ(Lines[0].X + w, box - pad);
  Lay(text, box, 0, pad, 0, TORVHorzAlign::Center);
  EXPECT_LE(std::abs(Lines[0].X - (box - Lines[0].X - w)), 1);
}

// Justified: every line of a paragraph but its last reaches from padding to padding, its words
// spread with equal gaps; the last line of each paragraph stays left. The layout stays contiguous.
TEST_F(BoxLayoutTest, JustifySpreadsEveryLineButEachParagraphsLast) {
  const QString text = QStringLiteral(
      "Justified text fills the box from one side to the other with wider gaps between its words, "
      "save the last line of each paragraph.\r\nA second paragraph ends short\r\nok");
  const std::int64_t box = 90000, pad = 1300;
  Lay(text, box, 0, pad, 700, TORVHorzAlign::Justify);
  ExpectContiguous(text, Lines);
  // Entries by line (their y), each line's words.
  std::vector<std::vector<TORVTxtInf>> rows;
  for (const TORVTxtInf& e : Lines) {
    if (rows.empty() || rows.back().front().Y != e.Y) rows.emplace_back();
    rows.back().push_back(e);
  }
  ASSERT_GE(rows.size(), 5u);
  int spread = 0;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::vector<TORVTxtInf>& row = rows[r];
    SCOPED_TRACE(testing::Message() << "line " << r);
    EXPECT_EQ(row.front().X, pad);
    const QString rowText = text.mid(row.front().Start - 1, row.back().Start - row.front().Start + row.back().Count);
    const bool last = r + 1 == rows.size() || rowText.endsWith(QLatin1Char('\n'));
    if (last) {
      EXPECT_EQ(row.size(), 1u) << "a paragraph's last line stays whole, at the left";
      continue;
    }
    ++spread;
    ASSERT_GE(row.size(), 2u);
    const QString lastWord = Shown(LineText(text, row, row.size() - 1));
    EXPECT_NEAR(double(row.back().X + TPLNCalc::CalcTxtSize(lastWord)), double(box - pad), 2);
    // Equal gaps: each word starts where the words before it and the widened gaps end.
    std::vector<std::int64_t> gaps;
    for (std::size_t i = 1; i < row.size(); ++i) {
      const QString word = Shown(LineText(text, row, i - 1));
      gaps.push_back(row[i].X - (row[i - 1].X + TPLNCalc::CalcTxtSize(word)));
    }
    for (std::int64_t g : gaps) EXPECT_NEAR(double(g), double(gaps.front()), 2);
    EXPECT_GT(gaps.front(), TPLNCalc::CalcTxtSize(QStringLiteral(" ")));
  }
  EXPECT_GE(spread, 2);
}

// Widths come from advances looked up once per text; they must equal measuring each line's own
// string, in every script, and the breaks must be greedy.
TEST_F(BoxLayoutTest, BreaksAreGreedyAndWidthsMatchWholeStringsInAnyScript) {
  const QString text = QString::fromUtf8(
      "Zwölf Boxkämpfer jagen Viktor quer über den großen Sylter Deich. Ξεσκεπάζω τὴν ψυχοφθόρα "
      "βδελυγμία. \xD9\x86\xD8\xB5 \xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A \xD9\x82\xD8\xB5\xD9\x8A\xD8\xB1 "
      "漢字 仮名 中文 \xF0\x9F\x98\x80\xF0\x9F\x98\x81 𝔄𝔅 mixed  spaces   here.\r\nSecond paragraph "
      "after a break with   several   gaps and a final word");
  for (const char* family : {"DejaVu Sans", "Liberation Serif"}) {
    Settle(QLatin1String(family), 3500);
    for (std::int64_t box : {std::int64_t(25000), std::int64_t(60000), std::int64_t(140000)}) {
      const std::int64_t used = Lay(text, box, 0, 0, 0, TORVHorzAlign::Center);
      ASSERT_FALSE(Lines.empty());
      ASSERT_EQ(used, Lines.back().Y + 3500) << family << " " << box;
      ExpectContiguous(text, Lines);
      const QStringList shown = Shown(text, Lines);
      for (std::size_t k = 0; k < Lines.size(); ++k) {
        const std::int64_t w = TPLNCalc::CalcTxtSize(shown[int(k)]);
        EXPECT_EQ(Lines[k].X, (box - w) / 2) << family << " line " << k;
        EXPECT_LE(w, box);
        const QString whole = LineText(text, Lines, k);
        if (k + 1 < Lines.size() && !whole.endsWith(QChar(10)) && !whole.endsWith(QChar(13))) {
          const QString next = shown[int(k + 1)].section(QChar(' '), 0, 0);
          EXPECT_GT(w + TPLNCalc::CalcTxtSize(QChar(' ') + next), box) << "line " << k << " could take " << next.toStdString();
        }
      }
    }
  }
}

}  // namespace
