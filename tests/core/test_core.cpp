// The document model without any drawing: conversions, geometry, binary and JSON records.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonDocument>
#include <cmath>

#include "ORV.Base.h"
#include "ORV.Draw2D.h"
#include "ORV.F2d.h"
#include "ORV.Json.h"
#include "ORV.Line.h"
#include "ORV.Utils.h"

using namespace Orv;

namespace {
constexpr double kPi = 3.14159265358979323846;

QByteArray WriteWith(const std::function<void(TBinaryWriter&)>& fn) {
  QByteArray data;
  QBuffer b(&data);
  b.open(QIODevice::WriteOnly);
  TBinaryWriter w(&b);
  fn(w);
  return data;
}

struct Observer : IORObserver {
  std::vector<TORChange> seen;
  void UpdateCtrl(TORChange c, TORChangeValue) override { seen.push_back(c); }
};
}  // namespace

TEST(Units, ConversionsRoundHalfAwayFromZero) {
  EXPECT_EQ(Utils::SetValue(1.0, TORVUnits::inch), 25400);
  EXPECT_EQ(Utils::SetValue(2.5, TORVUnits::cm), 25000);
  EXPECT_EQ(Utils::SetValue(1.0, TORVUnits::foot), 304800);
  EXPECT_EQ(Utils::SetValue(1.0, TORVUnits::yard), 914000);
  // 0.0005 mm is half a base unit: away from zero on both sides.
  EXPECT_EQ(Utils::SetValue(0.0005, TORVUnits::mm), 1);
  EXPECT_EQ(Utils::SetValue(-0.0005, TORVUnits::mm), -1);
  EXPECT_EQ(Utils::RoundHalfAway(-2.5), -3);
  EXPECT_EQ(Utils::RoundHalfAway(2.4999), 2);
  EXPECT_DOUBLE_EQ(Utils::GetValue(25400, TORVUnits::inch), 1.0);
  TORVUnits u;
  EXPECT_TRUE(Utils::UnitFromName("IN", &u));
  EXPECT_EQ(u, TORVUnits::inch);
  EXPECT_FALSE(Utils::UnitFromName("furlong", &u));
  EXPECT_EQ(Utils::FormatFloat(1.5, 2), QStringLiteral("1.50"));
}

TEST(Units, DevicePositionsFollowResolutionAndScale) {
  TPLNBaseDraw d;
  d.SetResolution(254, 254);
  TORVPto p{1000, -2500};
  EXPECT_FLOAT_EQ(p.DrawX(d), 10.0f);
  EXPECT_FLOAT_EQ(p.DrawY(d), -25.0f);
  EXPECT_EQ(p.PrintY(d), -25);
  EXPECT_FLOAT_EQ(d.PixPerMM, 10.0f);
  // A drawing at 1:10 shrinks geometry but not pens.
  d.SetResolution(254, 254, 10);
  EXPECT_FLOAT_EQ(p.DrawX(d), 1.0f);
  EXPECT_FLOAT_EQ(d.DrawBasePtoY(1000), 10.0f);
  EXPECT_FLOAT_EQ(p.DrawGapX(d, 9000), 10.0f);
}

TEST(Geometry, CirclesIntersectionsAndArrows) {
  std::int64_t cx, cy, r;
  ASSERT_TRUE(TDraw2D::CircleThreePoints(0, 10, 10, 0, 0, -10, cx, cy, r));
  EXPECT_EQ(cx, 0);
  EXPECT_EQ(cy, 0);
  EXPECT_EQ(r, 10);
  EXPECT_FALSE(TDraw2D::CircleThreePoints(0, 0, 5, 5, 10, 10, cx, cy, r));
  EXPECT_FALSE(TDraw2D::CircleThreePoints(3, 3, 3, 3, 3, 3, cx, cy, r));
  TDraw2D::CircleTwoPoints(0, 0, 10, 0, cx, cy, r);
  EXPECT_EQ(cx, 5);
  EXPECT_EQ(r, 5);

  TPointD hit;
  ASSERT_TRUE(TDraw2D::IntersectLines({0, 0}, {10, 0}, {5, -5}, {5, 5}, true, true, hit));
  EXPECT_DOUBLE_EQ(hit.X, 5);
  EXPECT_DOUBLE_EQ(hit.Y, 0);
  EXPECT_FALSE(TDraw2D::IntersectLines({0, 0}, {10, 0}, {0, 1}, {10, 1}, false, false, hit));
  // Outside the first segment: only the infinite lines meet.
  EXPECT_FALSE(TDraw2D::IntersectLines({0, 0}, {1, 0}, {5, -5}, {5, 5}, true, false, hit));
  EXPECT_TRUE(TDraw2D::IntersectLines({0, 0}, {1, 0}, {5, -5}, {5, 5}, false, false, hit));

  EXPECT_NEAR(TDraw2D::NormalizeAngle(-kPi / 2), 3 * kPi / 2, 1e-12);
  EXPECT_NEAR(TDraw2D::NormalizeAngle(5 * kPi), kPi, 1e-12);

  // The head sits behind the tip, its barbs mirror each other about the segment, and its
  // length along the segment is the one asked for.
  auto [b1, b2] = TDraw2D::DrawArrow(0, 0, 100, 0, 20, 8);
  EXPECT_NEAR(b1.X, 80, 1e-9);
  EXPECT_NEAR(b2.X, 80, 1e-9);
  EXPECT_NEAR(b1.Y, -b2.Y, 1e-9);
  EXPECT_GT(std::abs(b1.Y), 1);
  auto [c1, c2] = TDraw2D::DrawArrowAngle(0, 0, kPi / 2, 20, 8);  // pointing down the page
  EXPECT_NEAR(c1.Y, -20, 1e-9);
  EXPECT_NEAR(c1.X, -c2.X, 1e-9);
}

TEST(BinaryIO, RoundTripAndEveryTruncationFails) {
  const QByteArray data = WriteWith([](TBinaryWriter& w) {
    w.WriteInt32(-7);
    w.WriteString(QStringLiteral("Größe ✓ 漢字"));
    w.WriteString(QString(300, QLatin1Char('x')));  // a two-byte length prefix
    w.WriteDouble(2.5);
    w.WriteInt64(-(std::int64_t(1) << 40));
    w.WriteSingle(1.25f);
  });
  {
    QByteArray copy = data;
    QBuffer b(&copy);
    b.open(QIODevice::ReadOnly);
    TBinaryReader r(&b);
    EXPECT_EQ(r.ReadInt32(), -7);
    EXPECT_EQ(r.ReadString(), QStringLiteral("Größe ✓ 漢字"));
    EXPECT_EQ(r.ReadString().size(), 300);
    EXPECT_EQ(r.ReadDouble(), 2.5);
    EXPECT_EQ(r.ReadInt64(), -(std::int64_t(1) << 40));
    EXPECT_EQ(r.ReadSingle(), 1.25f);
    EXPECT_EQ(r.Remaining(), 0);
  }
  for (int cut = 0; cut < data.size(); ++cut) {
    QByteArray part = data.left(cut);
    QBuffer b(&part);
    b.open(QIODevice::ReadOnly);
    TBinaryReader r(&b);
    EXPECT_THROW(
        {
          r.ReadInt32();
          r.ReadString();
          r.ReadString();
          r.ReadDouble();
          r.ReadInt64();
          r.ReadSingle();
        },
        EPLNError)
        << "cut at " << cut;
  }
}

TEST(BinaryIO, RejectsImpossibleCountsAndNumbers) {
  QByteArray data = WriteWith([](TBinaryWriter& w) {
    w.WriteInt32(1000000);  // a million records cannot follow in 4 bytes
    w.WriteInt32(0);
  });
  QBuffer b(&data);
  b.open(QIODevice::ReadOnly);
  TBinaryReader r(&b);
  EXPECT_THROW(r.ReadCount(16, "point"), EPLNError);

  QByteArray nan = WriteWith([](TBinaryWriter& w) { w.WriteDouble(std::nan("")); });
  QBuffer nb(&nan);
  nb.open(QIODevice::ReadOnly);
  TBinaryReader nr(&nb);
  EXPECT_THROW(nr.ReadDouble(), EPLNError);

  QByteArray len = WriteWith([](TBinaryWriter& w) {
    w.WriteByte(0xFF);
    w.WriteByte(0xFF);
    w.WriteByte(0xFF);
    w.WriteByte(0xFF);
    w.WriteByte(0x7F);
  });
  QBuffer lb(&len);
  lb.open(QIODevice::ReadOnly);
  TBinaryReader lr(&lb);
  EXPECT_THROW(lr.ReadString(), EPLNError);
}

TEST(Json, TypedAccessNamesTheKey) {
  const QJsonObject o = QJsonDocument::fromJson(R"({"A": "x", "C": "#80FF0000", "D": "#00FF00", "P": [[1, 2], [3]],
      "N": 1e300, "B": 1})")
                            .object();
  try {
    Json::Int(o, "A", 0);
    FAIL() << "no error";
  } catch (const EPLNError& e) {
    EXPECT_TRUE(e.Message().contains(QLatin1String("\"A\"")));
  }
  EXPECT_EQ(Json::Color(o, "C", 0), 0x80FF0000u);
  EXPECT_EQ(Json::Color(o, "D", 0), 0xFF00FF00u);
  EXPECT_EQ(Json::Color(o, "missing", 7u), 7u);
  EXPECT_THROW(Json::Color(o, "A", 0), EPLNError);
  EXPECT_THROW(Json::Points(o, "P"), EPLNError);
  EXPECT_THROW(Json::Int(o, "N", 0), EPLNError);
  EXPECT_THROW(Json::Bool(o, "B", false), EPLNError);
  EXPECT_EQ(Json::ColorValue(0xFF1F4E79u).toString(), QStringLiteral("#FF1F4E79"));
}

TEST(Document, LayersSelectionAndBatchedNotifications) {
  TPLNBaseLabel doc;
  Observer obs;
  doc.AddObserver(&obs);
  EXPECT_EQ(doc.GetLayersCount(), 1);
  TPLNLayer* l2 = doc.AddLayer(QStringLiteral("Dims"));
  doc.SetActiveLayer(2);
  EXPECT_EQ(doc.GetActiveLayer(), l2);

  obs.seen.clear();
  doc.BeginUpdate();
  auto* a = new F2d::TPLNBaseRectangle(&doc, false);
  auto* b = new Line::TPLNBaseLine(&doc, false);
  a->AssignPoints({TORVPto{0, 0}, TORVPto{1000, 1000}});
  b->AssignPoints({TORVPto{0, 0}, TORVPto{5000, 0}});
  EXPECT_TRUE(obs.seen.empty());
  doc.EndUpdate();
  ASSERT_EQ(obs.seen.size(), 1u);
  EXPECT_EQ(obs.seen[0], TORChange::Document);
  EXPECT_EQ(a->GetLayer(), l2);
  EXPECT_TRUE(doc.GetModified());
  EXPECT_NE(a->GetID(), b->GetID());

  doc.Select(a);
  doc.Select(a);
  EXPECT_EQ(doc.GetSelectionCount(), 1);
  EXPECT_EQ(a->GetState(), kStateSelected);
  // Deleting a selected item drops it from the selection too.
  doc.DeleteItem(1);
  EXPECT_EQ(doc.GetSelectionCount(), 0);
  EXPECT_EQ(doc.GetItemsCount(), 1);

  // Deleting a layer moves its items to layer 1; layer 1 stays.
  doc.DeleteLayer(2);
  EXPECT_EQ(b->GetLayer(), doc.GetLayer(1));
  doc.DeleteLayer(1);
  EXPECT_EQ(doc.GetLayersCount(), 1);
  doc.RemoveObserver(&obs);
}

TEST(Document, LayerZOrderSortsStablyByLayer) {
  TPLNBaseLabel doc;
  doc.AddLayer(QStringLiteral("Top"));
  doc.SetActiveLayer(2);
  auto* top = new Line::TPLNBaseLine(&doc, false);
  doc.SetActiveLayer(1);
  auto* low1 = new Line::TPLNBaseLine(&doc, false);
  auto* low2 = new Line::TPLNBaseLine(&doc, false);
  EXPECT_EQ(doc.GetItem(1), top);
  doc.SetLayerZOrder(true);
  EXPECT_EQ(doc.GetItem(1), low1);
  EXPECT_EQ(doc.GetItem(2), low2);
  EXPECT_EQ(doc.GetItem(3), top);
}

TEST(Document, MeasureValidationAndCells) {
  TPLNMeasure m;
  m.Sizes[TPLNMeasure::LabelWidth] = 66000;
  m.Sizes[TPLNMeasure::LeftMargin] = 3500;
  m.Sizes[TPLNMeasure::HorzGap] = 2500;
  m.Sizes[TPLNMeasure::LabelHeight] = 25400;
  m.Sizes[TPLNMeasure::TopMargin] = 21500;
  m.Rows = 10;
  m.Columns = 3;
  EXPECT_EQ(m.CellX(3), 3500 + 2 * 68500);
  EXPECT_EQ(m.CellY(2), 21500 + 25400);
  TPLNBaseLabel doc;
  doc.SetMeasure(m);
  EXPECT_EQ(doc.PreviewPos(2, 1), (TORVPto{72000, 21500}));
  TPLNMeasure bad = m;
  bad.Rows = 0;
  EXPECT_THROW(doc.SetMeasure(bad), EPLNError);
  bad = m;
  bad.Sizes[TPLNMeasure::PaperWidth] = -1;
  EXPECT_THROW(doc.SetMeasure(bad), EPLNError);
  EXPECT_EQ(doc.Measure(), m);  // a rejected measure changes nothing
}

TEST(Items, ArcFromThreePointsKeepsItsDirection) {
  TPLNBaseLabel doc;
  // Start right of the centre, through the bottom (y grows downwards), end on the left:
  // clockwise on the page, a positive sweep of half a turn.
  auto& cw = *new Line::TPLNBaseArc(&doc, 10000, 0, 0, 10000, -10000, 0, false);
  EXPECT_EQ(cw.GetCenter(), (TORVPto{0, 0}));
  EXPECT_EQ(cw.GetRadius(), 10000);
  EXPECT_NEAR(cw.GetAngleSweep(), kPi, 1e-9);
  EXPECT_TRUE(cw.GetDirection());
  // The same ends through the top: counter-clockwise.
  auto& ccw = *new Line::TPLNBaseArc(&doc, 10000, 0, 0, -10000, -10000, 0, false);
  EXPECT_NEAR(ccw.GetAngleSweep(), -kPi, 1e-9);
  EXPECT_FALSE(ccw.GetDirection());
  EXPECT_EQ(ccw.GetPto(2), (TORVPto{0, -10000}));
  // Its bounds include the top of the circle, which none of the end points reach.
  EXPECT_LE(ccw.GetBounds().Y1, -10000);
  EXPECT_GE(ccw.GetBounds().Y2, -(std::int64_t)ccw.GetPenWidth());
}

TEST(Items, BinaryRecordsRoundTripAndRejectBadCounts) {
  TPLNBaseLabel doc;
  doc.AddLayer(QStringLiteral("Second"));
  auto* r = new F2d::TPLNBaseRectangle(&doc, doc.GetLayer(2), false);
  r->AssignPoints({TORVPto{-5, 7}, TORVPto{123456789012LL, 99}});
  r->SetBaseRadio(1500);
  r->SetFilled(true);
  r->SetAlpha(false);
  r->SetBackColor(0x7F102030);
  r->SetLineType(11);
  r->SetPenWidth(333.5);
  r->SetName(QStringLiteral("Größe"));
  const QByteArray data = WriteWith([&](TBinaryWriter& w) { r->WriteData(w); });

  QByteArray copy = data;
  QBuffer b(&copy);
  b.open(QIODevice::ReadOnly);
  TBinaryReader rd(&b);
  auto& back = *new F2d::TPLNBaseRectangle(&doc, false);
  back.ReadData(kFileVersion, rd, TORVReadType::File);
  EXPECT_EQ(back.Points(), r->Points());
  EXPECT_EQ(back.GetBaseRadio(), 1500);
  EXPECT_TRUE(back.GetFilled());
  EXPECT_FALSE(back.Alpha());
  EXPECT_EQ(back.GetBackColor(), 0x7F102030u);
  EXPECT_EQ(back.GetLineType(), 11);
  EXPECT_EQ(back.GetPenWidth(), 333.5);
  EXPECT_EQ(back.GetName(), QStringLiteral("Größe"));
  EXPECT_EQ(back.GetLayer(), doc.GetLayer(2));

  // A rectangle record claiming three points is refused, not read half.
  auto* line = new Line::TPLNBasePolyLine(&doc, 3, false);
  line->SetLayer(doc.GetLayer(1));
  QByteArray three = WriteWith([&](TBinaryWriter& w) { line->WriteData(w); });
  QBuffer tb(&three);
  tb.open(QIODevice::ReadOnly);
  TBinaryReader tr(&tb);
  auto& wrong = *new F2d::TPLNBaseRectangle(&doc, false);
  EXPECT_THROW(wrong.ReadData(kFileVersion, tr, TORVReadType::File), EPLNError);
}
