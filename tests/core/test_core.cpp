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

// A binary reader over its own copy of `bytes`.
struct Reading {
  QByteArray data;
  QBuffer buffer{&data};
  TBinaryReader r{(buffer.open(QIODevice::ReadOnly), &buffer)};
  explicit Reading(const QByteArray& bytes) : data(bytes) {}
};

struct Observer : IORObserver {
  std::vector<TORChange> seen;
  void UpdateCtrl(TORChange c, TORChangeValue) override { seen.push_back(c); }
};
}  // namespace

TEST(Units, ConversionsRoundHalfAwayFromZero) {
  EXPECT_EQ(Utils::SetValue(1.0, TORVUnits::yard), 3 * Utils::SetValue(1.0, TORVUnits::foot));
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

TEST(Geometry, IntersectionsAndAngles) {
  // Circles through three points are checked through the factory.
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
    Reading whole(data);
    TBinaryReader& r = whole.r;
    EXPECT_EQ(r.ReadInt32(), -7);
    EXPECT_EQ(r.ReadString(), QStringLiteral("Größe ✓ 漢字"));
    EXPECT_EQ(r.ReadString().size(), 300);
    EXPECT_EQ(r.ReadDouble(), 2.5);
    EXPECT_EQ(r.ReadInt64(), -(std::int64_t(1) << 40));
    EXPECT_EQ(r.ReadSingle(), 1.25f);
    EXPECT_EQ(r.Remaining(), 0);
  }
  for (int cut = 0; cut < data.size(); ++cut) {
    Reading part(data.left(cut));
    TBinaryReader& r = part.r;
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
  Reading count(WriteWith([](TBinaryWriter& w) {
    w.WriteInt32(1000000);  // a million points cannot follow in 4 bytes
    w.WriteInt32(0);
  }));
  EXPECT_THROW(count.r.ReadCount(16, "point"), EPLNError);
  Reading nan(WriteWith([](TBinaryWriter& w) { w.WriteDouble(std::nan("")); }));
  EXPECT_THROW(nan.r.ReadDouble(), EPLNError);
  Reading length(QByteArray("\xFF\xFF\xFF\xFF\x7F", 5));  // a string longer than any file
  EXPECT_THROW(length.r.ReadString(), EPLNError);
}

TEST(Json, ColoursWithoutAlphaAreOpaqueAndWrongTypesNameTheKey) {
  // Wrong types inside items are checked through whole files with the damaged-file tests.
  const QJsonObject o = QJsonDocument::fromJson(R"({"A": "x", "D": "#00FF00", "P": [[1, 2], [3]], "N": 1e300})").object();
  EXPECT_EQ(Json::Color(o, "D", 0), 0xFF00FF00u);
  EXPECT_EQ(Json::Color(o, "missing", 7u), 7u);
  try {
    Json::Int(o, "A", 0);
    FAIL() << "no error";
  } catch (const EPLNError& e) {
    EXPECT_TRUE(e.Message().contains(QLatin1String("\"A\"")));
  }
  EXPECT_THROW(Json::Int(o, "N", 0), EPLNError);
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

TEST(Document, MeasureValidation) {
  TPLNMeasure m;
  m.Sizes[TPLNMeasure::LabelWidth] = 66000;
  m.Sizes[TPLNMeasure::LeftMargin] = 3500;
  m.Sizes[TPLNMeasure::HorzGap] = 2500;
  m.Sizes[TPLNMeasure::LabelHeight] = 25400;
  m.Sizes[TPLNMeasure::TopMargin] = 21500;
  m.Rows = 10;
  m.Columns = 3;
  TPLNBaseLabel doc;
  doc.SetMeasure(m);
  EXPECT_EQ(doc.PreviewPos(2, 1), (TORVPto{72000, 21500}));  // column 2, row 1
  TPLNMeasure bad = m;
  bad.Rows = 0;
  EXPECT_THROW(doc.SetMeasure(bad), EPLNError);
  bad = m;
  bad.Sizes[TPLNMeasure::PaperWidth] = -1;
  EXPECT_THROW(doc.SetMeasure(bad), EPLNError);
  EXPECT_EQ(doc.Measure(), m);  // a rejected measure changes nothing
}

TEST(Items, RecordsWithTheWrongPointCountAreRefused) {
  // A rectangle record claiming three points is refused, not read half.
  TPLNBaseLabel doc;
  auto* line = new Line::TPLNBasePolyLine(&doc, 3, false);
  Reading three(WriteWith([&](TBinaryWriter& w) { line->WriteData(w); }));
  auto& wrong = *new F2d::TPLNBaseRectangle(&doc, false);
  EXPECT_THROW(wrong.ReadData(kFileVersion, three.r, TORVReadType::File), EPLNError);
}
