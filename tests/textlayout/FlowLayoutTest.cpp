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

  // An ellipse is wide enough only near its middle.
  const std::int64_t w = ww * 5 / 4, h = 60000;
  EXPECT_EQ(Lay(QStringLiteral("a\r") + word, TORVFlowType::Ellipse, w, h), h);
  ASSERT_EQ(Lines.size(), 2u);
  EXPECT_GE(Lines[1].Y - Lines[0].Y, 2 * 3000);

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
    const double edge = Lines[k].Y <= h / 2 ? double(h / 2 - Lines[k].Y) : double(Lines[k].Y + 3000 - h / 2);
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

TEST_F(FlowLayoutTest, DataLinesFollowTheSlant) {
  const QString text = QStringLiteral("abc\rabc\rabc\rabc");
  const std::int64_t w = 40000, h = 24000;
  Lay(text, TORVFlowType::Data, w, h);
  ASSERT_EQ(Lines.size(), 4u);
  for (std::size_t k = 1; k < Lines.size(); ++k) EXPECT_LT(Lines[k].X, Lines[k - 1].X);

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
}

}  // namespace
