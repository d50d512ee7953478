// Item creation by coordinates: point lists, layer defaults, units, circles, sectors and arcs.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

#include "ORV.FMX.h"
#include "ORV.Msg.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// The message of the EPLNError that `f` raises, or an empty text.
template <class F>
QString ErrorOf(F&& f) {
  try {
    f();
  } catch (const EPLNError& e) {
    return e.Message();
  }
  return {};
}

TPLNLayer* MakeStyledLayer(TPlanoraFMX& doc) {
  TPLNLayer* l = doc.AddLayer(QStringLiteral("Styled"));
  l->PenColor = 0x80102030;
  l->BackColor = 0x40A0B0C0;
  l->PenWidth = 777;
  doc.SetActiveLayer(2);
  return l;
}

}  // namespace

TEST(Factory, PointListCountsAreCheckedAndLeaveNothingBehind) {
  TPlanoraFMX doc;
  TPLNFactory::AddBaseRectangle(&doc, 0, 0, 10, 10);
  const QString polygon = TPLNMsg::GetErrorValue("Polygon"), even = TPLNMsg::GetErrorValue("EventNumber");
  ASSERT_NE(polygon, even);
  const std::pair<std::function<void()>, QString> cases[] = {
      {[&] { TPLNFactory::AddBasePolygon(&doc, {0, 0, 1, 1}); }, polygon},
      {[&] { TPLNFactory::AddBasePolygon(&doc, {0, 0, 1, 1, 2}); }, polygon},
      {[&] { TPLNFactory::AddBasePolygon(&doc, {}); }, polygon},
      {[&] { doc.AddBasePolygon({0, 0, 1, 1}); }, polygon},  // the document's virtual hook too
      {[&] { TPLNFactory::AddBasePolygon(&doc, {0, 0, 1, 1, 2, 2, 3}); }, even},
      {[&] { TPLNFactory::AddBasePolyLine(&doc, {0, 0, 1}); }, even},
      {[&] { TPLNFactory::AddBaseBezier(&doc, {0, 0, 1, 1, 2}); }, even},
      {[&] { TPLNFactory::AddPolygon(&doc, {0, 0, 1}); }, even},
      {[&] { TPLNFactory::AddPolyLine(&doc, {0, 0, 1, 1, 2}); }, even},
      {[&] { TPLNFactory::AddBezier(&doc, {0}); }, even},
  };
  for (const auto& [call, message] : cases) EXPECT_EQ(ErrorOf(call), message);
  EXPECT_EQ(doc.GetItemsCount(), 1);

  // The float polygon has no minimum: two points make a polygon.
  auto* two = TPLNFactory::AddPolygon(&doc, {1, 2, 3, 4});
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->KindCode(), Kind::Polygon);
  EXPECT_EQ(two->Points(), (std::vector<TORVPto>{{1000, 2000}, {3000, 4000}}));
  auto* poly = TPLNFactory::AddBasePolyLine(&doc, {5, 6, 7, 8, 9, 10});
  EXPECT_EQ(poly->Points(), (std::vector<TORVPto>{{5, 6}, {7, 8}, {9, 10}}));
  EXPECT_EQ(doc.GetItem(3), poly);
}

TEST(Factory, ActiveLayerDefaults) {
  TPlanoraFMX doc;
  TPLNLayer* layer = MakeStyledLayer(doc);
  const TPLNLayer plain;

  auto check = [&](TPLNBaseItem* it, bool width, bool back) {
    SCOPED_TRACE(it->KindName().toStdString());
    EXPECT_EQ(it->GetLayer(), layer);
    EXPECT_EQ(it->GetColor(), layer->PenColor);
    EXPECT_EQ(it->GetPenWidth(), width ? layer->PenWidth : plain.PenWidth);
    if (auto* a = dynamic_cast<TPLN2DItem*>(it)) {
      EXPECT_EQ(a->GetBackColor(), back ? layer->BackColor : kWhite);
    }
  };
  check(TPLNFactory::AddBasePoint(&doc, 1, 1), false, false);
  check(TPLNFactory::AddBaseLine(&doc, 0, 0, 5, 5), true, false);
  check(TPLNFactory::AddBaseRectangle(&doc, 0, 0, 5, 5), true, true);
  check(TPLNFactory::AddBaseEllipse(&doc, 0, 0, 5, 3), true, true);
  check(TPLNFactory::AddBaseCircle(&doc, 0, 0, 5), true, true);
  check(TPLNFactory::AddBaseCircle2P(&doc, 0, 0, 10, 0), true, true);
  check(TPLNFactory::AddBaseCircle3P(&doc, 0, 0, 10, 0, 5, 5), true, true);
  check(TPLNFactory::AddBaseArc(&doc, 0, 0, 5, 0, 1), true, false);
  check(TPLNFactory::AddBaseArc(&doc, 10, 0, 0, 10, -10, 0), true, false);
  check(TPLNFactory::AddBaseSector(&doc, 0, 0, 5, 0, 90), true, true);
  check(TPLNFactory::AddBasePolyLine(&doc, {0, 0, 1, 1}), true, false);
  check(TPLNFactory::AddBasePolygon(&doc, {0, 0, 1, 1, 2, 0}), true, true);
  check(TPLNFactory::AddBaseBezier(&doc, {0, 0, 1, 1, 2, 1, 3, 0}), true, false);
  // Bézier curves are areas too, but take no fill colour from the layer.
  EXPECT_EQ(doc.GetItemsCount(), 13);

  // With the layer z-order on, a new item on a lower layer goes before the upper layer's items.
  doc.SetLayerZOrder(true);
  doc.SetActiveLayer(1);
  auto* low = TPLNFactory::AddBaseRectangle(&doc, 0, 0, 1, 1);
  EXPECT_EQ(doc.GetItem(1), low);
  EXPECT_EQ(low->GetColor(), plain.PenColor);
}

TEST(Factory, FloatFormsUseTheDocumentUnit) {
  TPlanoraFMX doc;
  doc.SetUnits(TORVUnits::inch);
  auto* r = TPLNFactory::AddRectangle(&doc, 1, 2, 0.5f, 0.25f);  // corner, width and height
  EXPECT_EQ(r->Points(), (std::vector<TORVPto>{{25400, 50800}, {38100, 57150}}));
  auto* e = TPLNFactory::AddEllipse(&doc, 2, 2, 1, 0.5f);  // centre and radii
  EXPECT_EQ(e->Points(), (std::vector<TORVPto>{{25400, 38100}, {76200, 63500}}));
  auto* s = static_cast<TPLNSector*>(TPLNFactory::AddSector(&doc, 1, 1, 1, 30, 45));
  EXPECT_EQ(s->GetAngleStart(), 30);  // angles pass unconverted
  EXPECT_EQ(s->GetBaseRadio(), 25400);
  doc.SetUnits(TORVUnits::cm);
  EXPECT_EQ(TPLNFactory::AddPoint(&doc, 1.5f, -2)->GetPoint(1), (TORVPto{15000, -20000}));
  doc.SetUnits(TORVUnits::foot);
  EXPECT_EQ(TPLNFactory::AddPolygon(&doc, {1, 0, 0, 1, 1, 1})->GetPoint(2), (TORVPto{0, 304800}));
  // A circle of radius 0 is a circle whose two points coincide.
  doc.SetUnits(TORVUnits::mm);
  auto* c = TPLNFactory::AddCircle(&doc, 1, 1, 0);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Points(), (std::vector<TORVPto>{{1000, 1000}, {1000, 1000}}));
}

TEST(Factory, CirclesAndSectorsThroughPoints) {
  TPlanoraFMX doc;
  MakeStyledLayer(doc);
  EXPECT_EQ(TPLNFactory::AddBaseCircle2P(&doc, 0, 0, 10000, 0)->Points(), (std::vector<TORVPto>{{0, -5000}, {10000, 5000}}));
  // Through (0,0), (8,0) and (0,6): centre (4,3), radius 5.
  auto* c3 = TPLNFactory::AddCircle3P(&doc, 0, 0, 8, 0, 0, 6);
  ASSERT_NE(c3, nullptr);
  EXPECT_EQ(c3->Points(), (std::vector<TORVPto>{{-1000, -2000}, {9000, 8000}}));
  auto* s2 = static_cast<TPLNSector*>(TPLNFactory::AddBaseSector2P(&doc, 0, 0, 0, 20000, 10, 360));
  EXPECT_EQ(s2->GetBaseCenterY(), 10000);
  EXPECT_EQ(s2->GetBaseRadio(), 10000);
  EXPECT_EQ(s2->GetAngleGap(), 360);
  auto* s3 = static_cast<TPLNSector*>(TPLNFactory::AddSector3P(&doc, 0, 0, 8, 0, 0, 6, -45, 270));
  ASSERT_NE(s3, nullptr);
  EXPECT_EQ(s3->GetBaseCenterX(), 4000);
  EXPECT_EQ(s3->GetBaseRadio(), 5000);
  EXPECT_EQ(s3->GetAngleGap(), 270);
  EXPECT_EQ(s3->GetBackColor(), doc.GetActiveLayer()->BackColor);
  // Points on one line make no circle, and leave nothing behind.
  const int n = doc.GetItemsCount();
  EXPECT_EQ(TPLNFactory::AddBaseCircle3P(&doc, 0, 0, 1000, 1000, 3000, 3000), nullptr);
  EXPECT_EQ(TPLNFactory::AddCircle3P(&doc, 1, 1, 1, 1, 1, 1), nullptr);
  EXPECT_EQ(TPLNFactory::AddBaseSector3P(&doc, 0, 0, 0, 5000, 0, -7000, 0, 90), nullptr);
  EXPECT_EQ(doc.GetItemsCount(), n);
}

TEST(Factory, ArcsTurnClockwiseOnThePage) {
  constexpr double pi = std::numbers::pi;
  TPlanoraFMX doc;
  // By angles: start, middle and end, from straight below the centre (y down) back to the right.
  auto* a = static_cast<TPLNArc*>(TPLNFactory::AddBaseArc(&doc, 50000, 40000, 10000, pi / 2, -pi / 2));
  EXPECT_FALSE(a->GetDirection());
  EXPECT_EQ(a->Points(), (std::vector<TORVPto>{{50000, 50000}, {57071, 47071}, {60000, 40000}}));

  // Through three points, in millimetres: right, bottom, left is clockwise on the page.
  struct Case { float x1, y1, x2, y2, x3, y3; double sweep; TORVPto middle; };
  for (const Case& k : {Case{10, 0, 0, 10, -10, 0, pi, {0, 10000}}, Case{-10, 0, 0, 10, 10, 0, -pi, {0, 10000}},
                        Case{10, 0, 0, -10, -10, 0, -pi, {0, -10000}}, Case{10, 0, 6, 8, 0, 10, pi / 2, {7071, 7071}}}) {
    SCOPED_TRACE(k.sweep);
    auto* arc = static_cast<TPLNArc*>(TPLNFactory::AddArc(&doc, k.x1, k.y1, k.x2, k.y2, k.x3, k.y3));
    EXPECT_EQ(arc->GetCenter(), (TORVPto{0, 0}));
    EXPECT_EQ(arc->GetRadius(), 10000);
    EXPECT_NEAR(arc->GetAngleSweep(), k.sweep, 1e-9);
    EXPECT_EQ(arc->GetDirection(), k.sweep > 0);
    EXPECT_EQ(arc->GetPoint(2), k.middle);
  }
  // Its bounds include the top of the circle, which none of the end points reach.
  EXPECT_LE(doc.GetItem(4)->GetBounds().Y1, -10000);
  // Sweeps beyond a full turn are held to one turn.
  auto* e = static_cast<TPLNArc*>(TPLNFactory::AddArc(&doc, 0, 0, 1, 0, 10));
  EXPECT_DOUBLE_EQ(e->GetAngleSweep(), 2 * pi);
}
