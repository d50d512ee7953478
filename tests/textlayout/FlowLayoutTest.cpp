// Line breaking inside flow-chart shapes.
#include <cmath>

#include "TextLayoutSupport.h"

using namespace TextLayoutTest;

namespace {

class FlowLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TPLNCalc::Reset();
    Settle(QStringLiteral("DejaVu Sans"), 3000);
  }
  std::int64_t Lay(const QString& text, TORVFlowType type, std::int64_t w, std::int64_t h, std::int64_t padV = 0) {
    return TPLNCalc::CalcFlowTxtPoints(text, nullptr, Lines, w, h, 0, padV, type, 1);
  }
  std::int64_t Width(const QString& text, std::size_t k) const {
    return TPLNCalc::CalcTxtSize(Shown(LineText(text, Lines, k)));
  }
  static QString Words(int n) {
    QString s;
    for (int i = 0; i < n; ++i) s += QStringLiteral("flow ");
    return s.trimmed();
  }
  TxtLines Lines;
};

TEST_F(FlowLayoutTest, ProcessCentresLinesAndTheBlock) {
  const QString text = Words(12);
  const std::int64_t w = 40000, h = 30000;
  EXPECT_EQ(Lay(text, TORVFlowType::Process, w, h, 500), h);
  ASSERT_GT(Lines.size(), 1u);
  ExpectContiguous(text, Lines);
  for (std::size_t k = 0; k < Lines.size(); ++k) {
    EXPECT_EQ(Lines[k].X, (w - Width(text, k)) / 2);
    EXPECT_LE(Width(text, k), w);
  }
  const std::int64_t above = Lines.front().Y, below = h - (Lines.back().Y + 3000);
  EXPECT_LE(std::abs(above - below), 1);

  Lay(QStringLiteral("one"), TORVFlowType::Process, w, h);
  ASSERT_EQ(Lines.size(), 1u);
  EXPECT_EQ(Lines[0].Y, h / 2 - 1500);

  // Without a height the text takes what it needs.
  const std::int64_t used = Lay(text, TORVFlowType::Process, w, 0);
  ASSERT_GT(Lines.size(), 1u);
  EXPECT_EQ(used, Lines.back().Y + 3000);
}

TEST_F(FlowLayoutTest, FixedShapesGiveUpOnATooWideWordRoundShapesGoLower) {
  const QString word = QStringLiteral("Verkehrsinfrastrukturfinanzierung");
  const std::int64_t ww = TPLNCalc::CalcTxtSize(word);
  EXPECT_EQ(Lay(word, TORVFlowType::Process, ww - 1, 40000), 0);
  EXPECT_EQ(Lay(word, TORVFlowType::Data, ww + 100, 40000), 0);  // its slanted sides take room

  // An ellipse four lines high is wide enough for the word only on a line across its middle
  // (0.97 of its width there, 0.87 a line lower): the word takes that line, the short line
  // sits on top of it.
  const std::int64_t cw = TPLNCalc::CalcTxtSize(QStringLiteral("c"));
  const std::int64_t w = (ww + cw) * 100 / 92, h = 12000;
  EXPECT_EQ(Lay(QStringLiteral("a\r") + word, TORVFlowType::Ellipse, w, h), h);
  ASSERT_EQ(Lines.size(), 2u);
  EXPECT_LT(Lines[1].Y, h / 2);
  EXPECT_GT(Lines[1].Y + 3000, h / 2);
  EXPECT_EQ(Lines[0].Y, Lines[1].Y - 3000);

  // Filled up, its lines are narrow at both ends and centred.
  const QString text = Words(300);
  EXPECT_EQ(Lay(text, TORVFlowType::Ellipse, 70000, 50000), 50000);
  ASSERT_GT(Lines.size(), 4u);
  std::int64_t widest = 0;
  for (std::size_t k = 0; k < Lines.size(); ++k) {
    widest = std::max(widest, Width(text, k));
    EXPECT_LE(std::abs(Lines[k].X - (70000 - Width(text, k)) / 2), 1) << k;
  }
  EXPECT_LT(Width(text, 0), widest);
  EXPECT_LT(Width(text, Lines.size() - 1), widest);
}

// The line's outer edge (the one nearer the tip) must lie inside the outline.
TEST_F(FlowLayoutTest, DecisionLinesStayInsideTheDiamond) {
  const QString text = Words(40);
  const std::int64_t w = 60000, h = 40000;
  EXPECT_EQ(Lay(text, TORVFlowType::Decision, w, h), h);
  ASSERT_GT(Lines.size(), 4u);
  EXPECT_GT(Lines[0].Y, 0);  // nothing fits at the tip
  std::size_t widest = 0;
  for (std::size_t k = 0; k < Lines.size(); ++k) {
    const std::int64_t lw = Width(text, k);
    // The edge farther from the middle, whichever half the line is in or across.
    const double edge = std::max(std::abs(double(h / 2 - Lines[k].Y)), std::abs(double(Lines[k].Y + 3000 - h / 2)));
    const double half = (w / 2.0) * (1 - edge / (h / 2.0));
    EXPECT_GE(double(Lines[k].X), w / 2.0 - half - 1) << k;
    EXPECT_LE(double(Lines[k].X + lw), w / 2.0 + half + 1) << k;
    if (lw > Width(text, widest)) widest = k;
  }
  EXPECT_LT(Width(text, 0), Width(text, widest));
  EXPECT_GT(Lines[0].X, Lines[widest].X);
  EXPECT_GT(widest, 0u);
  EXPECT_LT(widest, Lines.size() - 1);
}

// Round outlines are narrow at their ends: the block of lines sits in the middle all the same,
// as many lines above the centre as below, each inside the outline at its outer edge.
TEST_F(FlowLayoutTest, RoundShapesCentreTheBlock) {
  const std::int64_t w = 50000, h = 30000;
  for (TORVFlowType type : {TORVFlowType::Terminator, TORVFlowType::Decision, TORVFlowType::Preparation,
                            TORVFlowType::Ellipse, TORVFlowType::Start}) {
    SCOPED_TRACE(int(type));
    for (int words : {1, 6, 12}) {
      SCOPED_TRACE(words);
      const QString text = Words(words);
      EXPECT_EQ(Lay(text, type, w, h, 500), h);
      ASSERT_FALSE(Lines.empty());
      ExpectContiguous(text, Lines);
      const std::int64_t above = Lines.front().Y, below = h - (Lines.back().Y + 3000);
      EXPECT_LE(std::abs(above - below), 1);
      if (type != TORVFlowType::Ellipse) continue;
      for (std::size_t k = 0; k < Lines.size(); ++k) {
        const double edge = std::max(std::abs(h / 2.0 - Lines[k].Y), std::abs(Lines[k].Y + 3000 - h / 2.0));
        const double half = (w / 2.0) * std::sqrt(1 - (edge / (h / 2.0)) * (edge / (h / 2.0)));
        EXPECT_GE(double(Lines[k].X), w / 2.0 - half - 1) << k;
        EXPECT_LE(double(Lines[k].X + Width(text, k)), w / 2.0 + half + 1) << k;
      }
    }
  }
}

TEST_F(FlowLayoutTest, DataLinesFollowTheSlant) {
  const QString text = QStringLiteral("abc\rabc\rabc\rabc");
  const std::int64_t w = 40000, h = 24000;
  Lay(text, TORVFlowType::Data, w, h);
  ASSERT_EQ(Lines.size(), 4u);
  for (std::size_t k = 1; k < Lines.size(); ++k) EXPECT_LT(Lines[k].X, Lines[k - 1].X);
  // Centred in the height, each line keeps the slant's middle at its own height.
  const std::int64_t lw = TPLNCalc::CalcTxtSize(QStringLiteral("abc"));
  for (const TORVTxtInf& line : Lines) {
    const double mid = w / 2.0 + (w / 8.0) * (0.5 - (line.Y + 1500) / double(h));
    EXPECT_LE(std::abs(line.X + lw / 2.0 - mid), 50) << line.Y;
  }

  // A single line sits in the middle, where the slant is symmetric.
  Lay(QStringLiteral("abc"), TORVFlowType::Data, w, h);
  ASSERT_EQ(Lines.size(), 1u);
  EXPECT_LE(std::abs(Lines[0].X - (w - TPLNCalc::CalcTxtSize(QStringLiteral("abc"))) / 2), 1);
}

TEST_F(FlowLayoutTest, WavyEdgesLeaveLessHeight) {
  QString text;
  for (int i = 0; i < 12; ++i) text += QStringLiteral("x\r");
  const std::int64_t w = 60000, h = 20000;  // w / 15 is more than a line
  Lay(text, TORVFlowType::Process, w, h);
  const std::size_t process = Lines.size();
  Lay(text, TORVFlowType::Document, w, h);
  EXPECT_LT(Lines.size(), process);
  Lay(text, TORVFlowType::MultiDocument, w, h);
  EXPECT_LT(Lines.size(), process);
  EXPECT_LT(Lines[0].X, (w - TPLNCalc::CalcTxtSize(QStringLiteral("x"))) / 2);  // the front sheet sits left

  // Text that fits is centred between the edges that leave room for it: below the stacked
  // sheets' tops and the slanted top of a manual input, above the wavy foot.
  const QString three = QStringLiteral("x\rx\rx");
  struct TSpan {
    TORVFlowType Type;
    std::int64_t Top, Bottom;
  };
  for (const TSpan& span : {TSpan{TORVFlowType::Document, 0, h - w / 15}, TSpan{TORVFlowType::MultiDocument, w / 15, h - w / 15},
                            TSpan{TORVFlowType::ManualInput, h / 8, h}}) {
    SCOPED_TRACE(int(span.Type));
    EXPECT_EQ(Lay(three, span.Type, w, h, 300), h);
    ASSERT_EQ(Lines.size(), 3u);
    const std::int64_t above = Lines.front().Y - span.Top, below = span.Bottom - (Lines.back().Y + 3000);
    EXPECT_GE(above, 300);
    EXPECT_LE(std::abs(above - below), 1);
    // A break after the last line asks for no line of its own.
    const TxtLines before = Lines;
    Lay(three + QStringLiteral("\r"), span.Type, w, h, 300);
    ASSERT_EQ(Lines.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(Lines[k].Y, before[k].Y);
  }
}

}  // namespace
