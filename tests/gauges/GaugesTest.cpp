// Level gauges and rank ratings: the geometry of the filled part and of the marks, what the
// screen and paper show, both file formats with bad records refused, and the two tools.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonArray>
#include <cmath>

#include "../mcp/ToolsFixture.h"
#include "ORV.Data.h"
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using F2d::TORVLevelStyle;
using F2d::TORVRankStyle;

using PlanoraTest::ReadInto;
using PlanoraTest::ReadJsonInto;
using PlanoraTest::Record;

namespace {

constexpr double kPi = 3.14159265358979323846;
const QColor kValue(0x2E, 0x86, 0xDE), kGold(0xF5, 0xB3, 0x01), kGrey(0xD9, 0xD9, 0xD9);




}  // namespace

TEST(Gauges, FilledPartsAndMarksFollowTheValue) {
  // A segment's area share is (t - sin t) / 2π for its central angle t.
  for (double f : {0.0, 0.1, 0.25, 0.5, 0.9, 1.0}) {
    double start = 0, sweep = 0;
    F2d::AngleSegment(f, false, start, sweep);
    const double t = sweep * kPi / 180;
    EXPECT_NEAR((t - std::sin(t)) / (2 * kPi), f, 1e-6) << f;
    EXPECT_NEAR(start + sweep / 2, 90, 1e-9);  // centred on the lowest point
    F2d::AngleSegment(f, true, start, sweep);
    EXPECT_NEAR(start + sweep / 2, 180, 1e-9);  // on the leftmost
  }
  TPLNBaseLabel doc;
  auto* level = PlanoraTest::MakeItem<TPLNLevel>(doc, {{0, 0}, {20000, 20000}});
  double start = 0, sweep = 0;
  level->SetLevelType(2);
  level->SetAngleGap(90);
  level->SetMaximum(200);
  level->FilledArc(50, start, sweep);
  EXPECT_DOUBLE_EQ(start, 135);
  EXPECT_DOUBLE_EQ(sweep, 270 * 50 / 200.0);
  level->SetLevelType(3);
  level->FilledArc(500, start, sweep);  // beyond the maximum: held full
  EXPECT_DOUBLE_EQ(start, 45);
  EXPECT_DOUBLE_EQ(sweep, 270);
  level->SetMaximum(0);  // no scale reads as full
  EXPECT_DOUBLE_EQ(level->Fraction(3), 1);

  // Five marks in a row too low for them: cells shrink to the height less two gaps and the row
  // is centred; in a tall box they keep their width and sit in the middle.
  auto* rank = PlanoraTest::MakeItem<TPLNRank>(doc, {{0, 0}, {100000, 10000}});
  rank->SetMaximum(5);
  std::vector<QRectF> cells = rank->Cells(QRectF(0, 0, 100, 10), 1);
  ASSERT_EQ(cells.size(), 5u);
  EXPECT_EQ(cells[0], QRectF(28, 1, 8, 8));
  EXPECT_EQ(cells[4], QRectF(28 + 4 * 9, 1, 8, 8));
  cells = rank->Cells(QRectF(0, 0, 100, 40), 1);
  EXPECT_NEAR(cells[0].width(), 18.8, 1e-9);
  EXPECT_NEAR(cells[0].left(), 1, 1e-9);
  EXPECT_NEAR(cells[0].center().y(), 20, 1e-9);
  // Filling order: from the right, from the bottom.
  rank->SetRankPos(1);
  cells = rank->Cells(QRectF(0, 0, 100, 10), 1);
  EXPECT_EQ(cells[0].left(), 28 + 4 * 9);
  EXPECT_EQ(cells[4].left(), 28);
  rank->SetRankPos(2);
  cells = rank->Cells(QRectF(0, 0, 10, 100), 1);
  EXPECT_EQ(cells[0], QRectF(1, 28 + 4 * 9, 8, 8));
  EXPECT_EQ(cells[1].top(), 28 + 3 * 9);
  // No room at all: no marks rather than inside-out ones.
  EXPECT_TRUE(rank->Cells(QRectF(0, 0, 10, 1), 1).empty());
  // The star stays in its cell and is symmetric about its middle.
  const QRectF star = TPLNRank::GetPathStar(QRectF(10, 20, 50, 50)).boundingRect();
  EXPECT_GE(star.left(), 10);
  EXPECT_LE(star.bottom(), 70);
  EXPECT_NEAR(star.center().x(), 35, 0.1);
  EXPECT_NEAR(star.center().y(), 45, 0.1);
}

TEST(Gauges, ScreenAndPaperShowTheValue) {
  TPLNBaseLabel doc;
  // 40 mm disc at 96 dpi: about 151 pixels, from (8, 8).
  auto* level = PlanoraTest::MakeItem<TPLNLevel>(doc, {{2000, 2000}, {42000, 42000}});
  level->SetFilled(true);
  level->SetBackColor(kWhite);
  level->SetValueColor(0xFF2E86DEu);
  level->SetMaximum(10);
  const QPoint top = PlanoraTest::Px(22, 8), bottom = PlanoraTest::Px(22, 38), left = PlanoraTest::Px(5, 22),
               right = PlanoraTest::Px(39, 22);
  for (bool paper : {false, true}) {
    SCOPED_TRACE(paper ? "paper" : "screen");
    level->SetLevelType(0);
    level->SetValue(5);
    QImage img = PlanoraTest::RenderItem(level, paper);
    EXPECT_TRUE(PlanoraTest::ColorAt(img, bottom, kValue));
    EXPECT_TRUE(PlanoraTest::ColorAt(img, top, Qt::white));
    level->SetLevelType(1);  // the liquid fills from the left
    img = PlanoraTest::RenderItem(level, paper);
    EXPECT_TRUE(PlanoraTest::ColorAt(img, left, kValue));
    EXPECT_TRUE(PlanoraTest::ColorAt(img, right, Qt::white));
    level->SetValue(10);  // full: all value
    img = PlanoraTest::RenderItem(level, paper);
    EXPECT_TRUE(PlanoraTest::ColorAt(img, top, kValue));
    EXPECT_TRUE(PlanoraTest::ColorAt(img, right, kValue));
    level->SetValue(0);
    img = PlanoraTest::RenderItem(level, paper);
    EXPECT_TRUE(PlanoraTest::ColorAt(img, bottom, Qt::white));
  }

  // Two stars of five: the first two in the fill, the rest in the empty colour; without empty
  // marks and no position nothing at all is drawn, outlines included.
  auto* rank = PlanoraTest::MakeItem<TPLNRank>(doc, {{0, 0}, {100000, 20000}});
  rank->SetFilled(true);
  rank->SetBackColor(0xFFF5B301u);
  rank->SetPenWidth(0.2);
  rank->SetPosition(2);
  for (bool paper : {false, true}) {
    SCOPED_TRACE(paper ? "paper" : "screen");
    const QImage img = PlanoraTest::RenderItem(rank, paper, TORVDrawState::Export, {420, 100});
    const std::vector<QRectF> cells = rank->Cells(QRectF(0, 0, 100, 20), 1);
    for (int i = 0; i < 5; ++i) {
      const QPoint c = PlanoraTest::Px(cells[i].center().x(), cells[i].center().y());
      EXPECT_TRUE(PlanoraTest::ColorAt(img, c, i < 2 ? kGold : kGrey)) << i;
    }
  }
  rank->SetPosition(0);
  rank->SetDrawEmpty(false);
  EXPECT_EQ(PlanoraTest::Ink(PlanoraTest::RenderItem(rank)), 0);
  EXPECT_EQ(PlanoraTest::Ink(PlanoraTest::RenderItem(rank, true)), 0);
}

TEST(Gauges, BothFormatsKeepEveryValueAndRefuseBadRecords) {
  TPlanoraFMX doc;
  auto* level = static_cast<TPLNLevel*>(TPLNFactory::AddBaseLevel(&doc, 20000, 20000, 10000));
  level->SetValue(7.5);
  level->SetMaximum(12);
  level->SetLevelType(3);
  level->SetAngleGap(60);
  level->SetValueColor(0xFF102030u);
  level->SetText(QStringLiteral("Tank ✓"));
  level->SetFontName(QStringLiteral("DejaVu Sans"));
  level->SetBaseFontHeight(3500);
  level->SetFontColor(0xFF405060u);
  level->SetBold(true);
  level->SetAngle(TORVAngle::A90);
  level->SetFillType(1);
  level->SetFillName(QStringLiteral("fill"));
  auto* rank = static_cast<TPLNRank*>(TPLNFactory::AddBaseRank(&doc, 0, 50000, 60000, 12000));
  rank->SetMaximum(7);
  rank->SetPosition(6);
  rank->SetRankType(3);
  rank->SetRankPos(3);
  rank->SetBaseGap(1500);
  rank->SetDrawEmpty(false);
  rank->SetEmptyColor(0xFF778899u);
  const TORVLevelStyle levelStyle = level->Style();
  const TORVRankStyle rankStyle = rank->Style();
  ASSERT_NE(levelStyle, TORVLevelStyle());
  ASSERT_NE(rankStyle, TORVRankStyle());
  for (const char* name : {"gauges.eti", "gauges.json"}) {
    SCOPED_TRACE(name);
    const QString path = PlanoraTest::TmpPath(QString::fromLatin1(name));
    doc.SaveToFile(path, QString::fromLatin1(name).endsWith("json") ? TORVExt::Json : TORVExt::Eti);
    TPlanoraFMX reread;
    ASSERT_TRUE(reread.LoadFromFile(path));
    ASSERT_EQ(reread.GetItemsCount(), 2);
    auto* l = dynamic_cast<TPLNLevel*>(reread.GetItem(1));
    auto* r = dynamic_cast<TPLNRank*>(reread.GetItem(2));
    ASSERT_TRUE(l && r);
    EXPECT_EQ(l->Style(), levelStyle);
    EXPECT_EQ(r->Style(), rankStyle);
    EXPECT_EQ(l->Points(), level->Points());
  }

  // Cut short anywhere, or out of range: refused, the item keeps its values.
  TPLNBaseLabel other;
  auto* target = PlanoraTest::MakeItem<TPLNRank>(other, {{0, 0}, {1000, 1000}});
  const TORVRankStyle kept = target->Style();
  const QByteArray good = Record(*rank);
  for (int cut = good.size() - 1; cut > good.size() - 40; cut -= 3) EXPECT_NE(ReadInto(*target, good.left(cut)), "");
  EXPECT_EQ(target->Style(), kept);
  const QJsonObject o = rank->ToJson();
  const std::vector<std::pair<QJsonObject, const char*>> bad = {
      {{{"Maximum", 0}}, "Maximum"}, {{{"Maximum", 101}}, "Maximum"}, {{{"Position", 8}}, "Position"},
      {{{"RankType", 4}}, "RankType"}, {{{"RankPos", 9}}, "RankPos"}, {{{"Gap", -1}}, "Gap"},
  };
  for (const auto& [change, key] : bad) {
    QJsonObject rec = o;
    for (auto it = change.begin(); it != change.end(); ++it) rec.insert(it.key(), it.value());
    EXPECT_TRUE(ReadJsonInto(*target, rec).contains(QLatin1String(key))) << key;
    EXPECT_EQ(target->Style(), kept) << key;
  }
  auto* gauge = PlanoraTest::MakeItem<TPLNLevel>(other, {{0, 0}, {1000, 1000}});
  const TORVLevelStyle keptLevel = gauge->Style();
  QJsonObject lo = level->ToJson();
  for (const auto& [key, value] : std::vector<std::pair<const char*, QJsonValue>>{
           {"LevelType", 4}, {"AngleGap", 360}, {"Maximum", -1}, {"FontHeight", 0}, {"Angle", 4}}) {
    QJsonObject rec = lo;
    rec.insert(QLatin1String(key), value);
    EXPECT_NE(ReadJsonInto(*gauge, rec), "") << key;
    EXPECT_EQ(gauge->Style(), keptLevel) << key;
  }
  EXPECT_THROW(gauge->SetLevelType(4), EPLNError);
  EXPECT_THROW(target->SetPosition(9), EPLNError);
  // A smaller scale holds the rating within it.
  rank->SetMaximum(3);
  EXPECT_EQ(rank->Position(), 3);
}

TEST(Gauges, ADataBoundRankShowsEachRecordsRating) {
  TPlanoraFMX doc;
  auto* rank = static_cast<TPLNRank*>(TPLNFactory::AddBaseRank(&doc, 0, 0, 50000, 10000));
  rank->SetFillType(1);
  rank->SetFillName(QStringLiteral("stars"));
  doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv("stars\n4\n9\nn/a\n", "r.csv")));
  TPLNDraw d;
  d.DrawState = TORVDrawState::Editor;
  EXPECT_EQ(rank->ShownPosition(d), 3);  // the item's own on the editor
  d.DrawState = TORVDrawState::Export;
  const std::vector<int> expected = {4, 5, 0};  // beyond the scale: full; no number: none
  for (int rec = 0; rec < 3; ++rec) {
    d.Record = rec;
    EXPECT_EQ(rank->ShownPosition(d), expected[rec]) << rec;
  }
}

TEST(Gauges, ToolsAddThemWithTheirOptionsAndRefuseBadArguments) {
  PlanoraTest::TTools t;
  const QStringList names = t.server.ToolNames();
  EXPECT_LT(names.indexOf("add_level"), names.indexOf("add_rank"));
  EXPECT_LT(names.indexOf("add_rank"), names.indexOf("add_nutriscore"));
  EXPECT_EQ(t.Listed("add_rank")["inputSchema"].toObject()["properties"].toObject()["rank_type"].toObject()["enum"].toArray(),
            (QJsonArray{"square", "circle", "star", "rhombus"}));

  EXPECT_EQ(t.Ok("add_level", {{"x", 30}, {"y", 40}}), "Level added: id=1 center (30.0, 40.0) radius 10.0 value 50.0/100.0");
  auto* level = dynamic_cast<TPLNLevel*>(t.Last());
  ASSERT_TRUE(level);
  EXPECT_EQ(level->Points(), (std::vector<TORVPto>{{20000, 30000}, {40000, 50000}}));
  EXPECT_EQ(t.Ok("add_level", {{"x", 0}, {"y", 0}, {"radius", 5}, {"level_type", " RADIAL_VERT "}, {"value", 3},
                               {"maximum", 4}, {"text", "75 %"}, {"value_color", "#ff0000"}, {"font_height", 2.5},
                               {"font_name", "DejaVu Sans"}}),
            "Level added: id=2 center (0.0, 0.0) radius 5.0 value 3.0/4.0");
  level = dynamic_cast<TPLNLevel*>(t.Last());
  EXPECT_EQ(level->LevelType(), 3);
  EXPECT_EQ(level->ValueColor(), 0xFFFF0000u);
  EXPECT_EQ(level->GetBaseFontHeight(), 2500);
  EXPECT_EQ(level->GetText(), "75 %");

  EXPECT_EQ(t.Ok("add_rank", {{"x", 5}, {"y", 6}}), "Rank added: id=3 at (5.0, 6.0) position 3 of 5");
  EXPECT_EQ(t.Ok("add_rank", {{"x", 5}, {"y", 6}, {"maximum", 10}, {"position", 12}, {"rank_type", "circle"},
                              {"rank_pos", "vert_right"}, {"draw_empty", 0}, {"gap", 0.5}, {"empty_color", "#00ff00"}}),
            "Rank added: id=4 at (5.0, 6.0) position 10 of 10");
  auto* rank = dynamic_cast<TPLNRank*>(t.Last());
  ASSERT_TRUE(rank);
  EXPECT_EQ(rank->RankType(), 1);
  EXPECT_EQ(rank->RankPos(), 3);
  EXPECT_FALSE(rank->DrawEmpty());
  EXPECT_EQ(rank->GetBaseGap(), 500);
  EXPECT_EQ(rank->EmptyColor(), 0xFF00FF00u);

  const int before = t.doc.GetItemsCount();
  EXPECT_TRUE(t.Refused("add_level", {{"x", 0}, {"y", 0}, {"radius", 0}}).contains("radius"));
  EXPECT_TRUE(t.Refused("add_level", {{"x", 0}, {"y", 0}, {"maximum", -2}}).contains("maximum"));
  EXPECT_TRUE(t.Refused("add_rank", {{"x", 0}, {"y", 0}, {"maximum", 0}}).contains("maximum"));
  EXPECT_TRUE(t.Refused("add_rank", {{"x", 0}, {"y", 0}, {"maximum", 500}}).contains("maximum"));
  EXPECT_EQ(t.doc.GetItemsCount(), before);
}
