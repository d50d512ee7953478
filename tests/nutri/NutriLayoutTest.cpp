// Where the Nutri-Score label puts its title and cells, for both layouts and every quarter turn,
// at 254 dpi (1 mm = 10 px).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ORV.FMX.Items.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using F2d::TORVNutriType;
using PlanoraTest::MakeItem;

namespace {

constexpr double kEps = 1e-6;

::testing::AssertionResult Near(const QRectF& a, const QRectF& b) {
  if (std::abs(a.left() - b.left()) < 1e-4 && std::abs(a.top() - b.top()) < 1e-4 &&
      std::abs(a.right() - b.right()) < 1e-4 && std::abs(a.bottom() - b.bottom()) < 1e-4)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.left() << ", " << a.top() << ")-(" << a.right() << ", " << a.bottom()
                                       << ") is not (" << b.left() << ", " << b.top() << ")-(" << b.right() << ", "
                                       << b.bottom() << ")";
}

// The unit step from A towards E on the page, and the side the label's top faces.
QPointF Forward(TORVAngle a) {
  switch (a) {
    case TORVAngle::A90: return {0, -1};
    case TORVAngle::A180: return {-1, 0};
    case TORVAngle::A270: return {0, 1};
    default: return {1, 0};
  }
}
QPointF Up(TORVAngle a) {  // towards the label's top
  switch (a) {
    case TORVAngle::A90: return {-1, 0};
    case TORVAngle::A180: return {0, 1};
    case TORVAngle::A270: return {1, 0};
    default: return {0, -1};
  }
}
double Dot(QPointF a, QPointF b) { return a.x() * b.x() + a.y() * b.y(); }

}  // namespace

TEST(NutriLayout, TitleBandAndCellsShareTheInnerRectangleOnTheSideTheAngleTurnsTo) {
  const QRectF r(10, 20, 300, 120);
  for (int t = 0; t < 2; ++t)
    for (int a = 0; a < 4; ++a) {
      SCOPED_TRACE(testing::Message() << "type " << t << " angle " << a);
      const auto angle = static_cast<TORVAngle>(a);
      const QRectF band = F2d::NutriTitleRect(r, angle, std::uint8_t(t));
      QRectF cells = r;
      F2d::AdjustNutriTitle(cells, angle, std::uint8_t(t));
      // Together they are the rectangle, without overlap.
      EXPECT_TRUE(Near(band.united(cells), r));
      EXPECT_NEAR(band.width() * band.height() + cells.width() * cells.height(), r.width() * r.height(), 1e-6);
      EXPECT_LE(band.intersected(cells).width() * band.intersected(cells).height(), kEps);
      // Style 1: a third of the thickness on the label's top; style 2: a third of the length at
      // the start of the row.
      const QSizeF f = F2d::NutriFrameSize(r, angle);
      const QSizeF bf = F2d::NutriFrameSize(band, angle);
      const QPointF towards = t == 0 ? Up(angle) : -Forward(angle);
      EXPECT_GT(Dot(band.center() - cells.center(), towards), 0);
      if (t == 0) {
        EXPECT_NEAR(bf.height(), f.height() / 3, kEps);
        EXPECT_NEAR(bf.width(), f.width(), kEps);
      } else {
        EXPECT_NEAR(bf.width(), f.width() / 3, kEps);
        EXPECT_NEAR(bf.height(), f.height(), kEps);
      }
    }
  // The reading frame of a turned label is its box on its side.
  EXPECT_EQ(F2d::NutriFrameSize(r, TORVAngle::A90), QSizeF(120, 300));
  EXPECT_EQ(F2d::NutriPointToPage(r, TORVAngle::A90, QPointF(0, 0)), QPointF(10, 140));
  EXPECT_EQ(F2d::NutriPointToPage(r, TORVAngle::A270, QPointF(0, 0)), QPointF(310, 20));
  // The row's length less its four gaps; gaps wider than the row leave no room, never less.
  EXPECT_EQ(F2d::SizeScore(r, 5, TORVAngle::A90, 0), 120 - 20);
  EXPECT_EQ(F2d::SizeScore(QRectF(0, 0, 10, 10), 5, TORVAngle::A0, 0), 0);
}

TEST(NutriLayout, GradesAreOneLetterInAnyCase) {
  EXPECT_EQ(F2d::NutriGradeOf("A"), 0);
  EXPECT_EQ(F2d::NutriGradeOf(" c "), 2);
  EXPECT_EQ(F2d::NutriGradeOf("e"), 4);
  for (const char* bad : {"", "F", "AB", "@", "1", "Ä"}) EXPECT_EQ(F2d::NutriGradeOf(QString::fromUtf8(bad)), -1) << bad;
}

// The item's layout in device pixels: the margin, the title band only when a title shows, the
// cells shrunk by the value gap with the selected one grown back by it on every side.
TEST(NutriLayout, ItemLayoutKeepsTheMarginTitleAndValueGapForEveryGradeAndTurn) {
  PlanoraTest::RecordingContext c;
  auto* n = MakeItem<TPLNNutriScore>(c.doc, {{0, 0}, {60000, 30000}});
  n->SetBaseMargin(1000);
  n->SetBaseGap(300);
  n->SetBaseGapValue(1000);
  const QRectF box(0, 0, 600, 300);

  // At angle 0, style 1, grade C, with the numbers worked out by hand.
  TPLNNutriScore::TLayout l = n->Layout(c.d, box, 2);
  EXPECT_TRUE(Near(l.Inner, QRectF(10, 10, 580, 280)));
  EXPECT_TRUE(Near(l.TitleBand, QRectF(10, 10, 580, 280.0 / 3)));
  ASSERT_EQ(l.Cells.size(), 5u);
  const double s = (560 - 4 * 3) / 5.0;
  EXPECT_TRUE(Near(l.Cells[0].Rect, QRectF(20, 10 + 280.0 / 3 + 10, s, 280 * 2.0 / 3 - 20)));
  EXPECT_TRUE(Near(l.Cells[4].Rect, QRectF(10 + 2 * (s + 3), 10 + 280.0 / 3, s + 20, 280 * 2.0 / 3)));
  EXPECT_GT(l.TitleHeight, 0);
  EXPECT_GT(l.ValueHeight, l.LetterHeight);

  for (int type = 0; type < 2; ++type)
    for (int a = 0; a < 4; ++a)
      for (int title = 0; title < 2; ++title)
        for (int grade = 0; grade < 5; ++grade) {
          SCOPED_TRACE(testing::Message() << "type " << type << " angle " << a << " title " << title << " grade " << grade);
          const auto angle = static_cast<TORVAngle>(a);
          n->SetNutriType(std::uint8_t(type));
          n->SetAngle(angle);
          n->SetShowTitle(title == 1);
          const QRectF turnedBox = a % 2 ? QRectF(0, 0, 300, 600) : box;
          l = n->Layout(c.d, turnedBox, grade);
          ASSERT_EQ(l.Cells.size(), 5u);
          // Grade order A..E less the selected one, which comes last.
          std::vector<int> order;
          for (const auto& cell : l.Cells) order.push_back(cell.Grade);
          std::vector<int> expected;
          for (int g = 0; g < 5; ++g)
            if (g != grade) expected.push_back(g);
          expected.push_back(grade);
          EXPECT_EQ(order, expected);
          for (int i = 0; i < 4; ++i) EXPECT_FALSE(l.Cells[i].Selected);
          EXPECT_TRUE(l.Cells[4].Selected);

          // The slots in grade order: the selected one shrunk back by the value gap.
          std::vector<QRectF> slot(5);
          for (const auto& cell : l.Cells) slot[cell.Grade] = cell.Selected ? cell.Rect.adjusted(10, 10, -10, -10) : cell.Rect;
          for (int g = 1; g < 5; ++g) {
            EXPECT_NEAR(slot[g].width(), slot[0].width(), 1e-4);
            EXPECT_NEAR(slot[g].height(), slot[0].height(), 1e-4);
            EXPECT_NEAR(Dot(slot[g].center() - slot[g - 1].center(), Forward(angle)),
                        F2d::NutriFrameSize(slot[0], angle).width() + 3, 1e-4);
          }
          // The row is the inner rectangle less the title band and the value gap.
          QRectF cells = l.Inner;
          if (title) F2d::AdjustNutriTitle(cells, angle, std::uint8_t(type));
          EXPECT_TRUE(l.TitleBand.isEmpty() != bool(title));
          EXPECT_TRUE(Near(slot[0].united(slot[4]), cells.adjusted(10, 10, -10, -10)));
        }
}

TEST(NutriLayout, ABoxTooSmallForItsMarginsHasNoCells) {
  PlanoraTest::RecordingContext c;
  auto* n = MakeItem<TPLNNutriScore>(c.doc, {{0, 0}, {3000, 3000}});
  n->SetBaseMargin(1000);
  n->SetBaseGapValue(1000);
  EXPECT_TRUE(n->Layout(c.d, QRectF(0, 0, 30, 30), 0).Cells.empty());
  n->SetBaseMargin(2000);
  EXPECT_TRUE(n->Layout(c.d, QRectF(0, 0, 30, 30), 0).Cells.empty());
  // A frame is still drawn; nothing else.
  n->SetPenWidth(100);
  EXPECT_EQ(c.Redraw(n), std::vector<std::string>{"DrawRoundRect"});
}

TEST(NutriLayout, AQuarterTurnTurnsTheReadingWithTheBoxAndTheFaceIsPicked) {
  TPLNBaseLabel doc;
  auto* n = MakeItem<TPLNNutriScore>(doc, {{0, 0}, {30000, 10000}});
  // Clockwise on the page: the label then reads downwards, its top facing right.
  n->Rotate(15000, 5000, M_PI / 2);
  EXPECT_EQ(n->GetAngle(), TORVAngle::A270);
  EXPECT_EQ(n->Points(), (std::vector<TORVPto>{{10000, -10000}, {20000, 20000}}));
  n->Rotate(15000, 5000, -M_PI / 2);
  EXPECT_EQ(n->GetAngle(), TORVAngle::A0);
  n->Rotate(15000, 5000, M_PI);
  EXPECT_EQ(n->GetAngle(), TORVAngle::A180);
  n->Rotate(15000, 5000, 0.3);  // no quarter turn: the reading stays
  EXPECT_EQ(n->GetAngle(), TORVAngle::A180);

  // Grabbed anywhere on its face, filled or not, and not beside it.
  n->AssignPoints({TORVPto{0, 0}, TORVPto{30000, 10000}});
  EXPECT_TRUE(n->Pick(15000, 5000, 0));
  EXPECT_TRUE(n->Pick(30400, 5000, 500));
  EXPECT_FALSE(n->Pick(31000, 5000, 500));
}
