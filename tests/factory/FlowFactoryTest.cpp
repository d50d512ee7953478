// Flow-chart boxes and links made by the factory: points, layer defaults, ends found by name or
// identifier, refused ends, link points and routing.
#include <gtest/gtest.h>

#include <functional>

#include "ORV.FMX.h"
#include "ORV.Msg.h"

using namespace Orv;
using namespace Orv::Fmx;
using F2d::TORVinkType;
using F2d::TPLNBaseFlow;
using F2d::TPLNBaseLink;

namespace {

TPLNBaseFlow* Box(TPlanoraFMX& doc, std::int64_t x, std::int64_t y, TORVFlowType type = TORVFlowType::Process) {
  return static_cast<TPLNBaseFlow*>(TPLNFactory::AddBaseFlow(&doc, x, y, 30000, 15000, type));
}

TPLNBaseLink* AsLink(TPLNBaseItem* item) { return dynamic_cast<TPLNBaseLink*>(item); }

}  // namespace

TEST(FlowFactory, BoxesTakeTheirCornersShapeAndTheActiveLayersPenFillAndFont) {
  TPlanoraFMX doc;
  TPLNLayer* layer = doc.AddLayer(QStringLiteral("Chart"));
  layer->PenColor = 0xFF102030;
  layer->BackColor = 0xFFE0F0FF;
  layer->PenWidth = 400;
  layer->FontName = QStringLiteral("DejaVu Serif");
  layer->FontHeight = 5.5f;
  layer->FontColor = 0xFF204080;
  layer->Bold = true;
  layer->Italic = true;
  doc.SetActiveLayer(2);

  auto* flow = dynamic_cast<TPLNFlow*>(TPLNFactory::AddBaseFlow(&doc, 10000, 20000, 40000, 16000, TORVFlowType::Decision));
  ASSERT_TRUE(flow) << "made as the drawable class";
  EXPECT_EQ(flow->Points(), (std::vector<TORVPto>{{10000, 20000}, {50000, 36000}}));
  EXPECT_EQ(flow->GetFlowType(), TORVFlowType::Decision);
  EXPECT_EQ(flow->GetLayer(), layer);
  EXPECT_EQ(flow->GetColor(), 0xFF102030u);
  EXPECT_EQ(flow->GetPenWidth(), 400);
  EXPECT_EQ(flow->GetBackColor(), 0xFFE0F0FFu);
  // A box hides what runs behind it even on a layer that does not fill new shapes.
  EXPECT_TRUE(flow->GetFilled());
  EXPECT_EQ(flow->GetFontName(), "DejaVu Serif");
  EXPECT_EQ(flow->GetBaseFontHeight(), 5500);
  EXPECT_EQ(flow->GetFontColor(), 0xFF204080u);
  EXPECT_TRUE(flow->GetBold());
  EXPECT_TRUE(flow->GetItalic());

  // The float form is in the document's unit; the document's hook makes the same box.
  doc.SetUnits(TORVUnits::cm);
  auto* inCm = TPLNFactory::AddFlow(&doc, 1, 2, 3, 1.5f, TORVFlowType::End);
  EXPECT_EQ(inCm->Points(), (std::vector<TORVPto>{{10000, 20000}, {40000, 35000}}));
  EXPECT_EQ(static_cast<TPLNBaseFlow*>(inCm)->GetFlowType(), TORVFlowType::End);
  TPLNBaseLabel& base = doc;
  auto* hooked = dynamic_cast<TPLNFlow*>(base.AddBaseFlow(0, 0, 5000, 4000, TORVFlowType::Database));
  ASSERT_TRUE(hooked);
  EXPECT_EQ(hooked->GetFlowType(), TORVFlowType::Database);
  EXPECT_EQ(hooked->GetFontColor(), 0xFF204080u);
  EXPECT_EQ(doc.GetItemsCount(), 3);
}

TEST(FlowFactory, LinksFindTheirEndsByNameOrIdentifierAndTakeTheLayersPen) {
  TPlanoraFMX doc;
  doc.GetActiveLayer()->PenColor = 0xFF336699;
  doc.GetActiveLayer()->PenWidth = 350;
  TPLNBaseFlow* start = Box(doc, 0, 0, TORVFlowType::Terminator);
  TPLNBaseFlow* check = Box(doc, 0, 40000, TORVFlowType::Decision);
  start->SetName(QStringLiteral("Start"));
  check->SetName(QStringLiteral("Check stock"));

  // Names without regard to case; the host control forwards to the same operation.
  auto* byName = dynamic_cast<TPLNLink*>(doc.AddLink(QStringLiteral("start"), QStringLiteral("CHECK STOCK"), 11, 3, TORVinkType::Step));
  ASSERT_TRUE(byName) << "made as the drawable class";
  EXPECT_EQ(byName->GetFromID(), start->GetID());
  EXPECT_EQ(byName->GetToID(), check->GetID());
  EXPECT_EQ(byName->GetFromIndex(), 11);
  EXPECT_EQ(byName->GetToIndex(), 3);
  EXPECT_EQ(byName->GetLinkType(), TORVinkType::Step);
  EXPECT_EQ(byName->GetColor(), 0xFF336699u);
  EXPECT_EQ(byName->GetPenWidth(), 350);

  // An identifier written as a number.
  TPLNBaseLink* byId = AsLink(TPLNFactory::AddLink(&doc, QString::number(check->GetID()), QString::number(start->GetID()), 0, 0,
                                                   TORVinkType::Curve));
  ASSERT_TRUE(byId);
  EXPECT_EQ(byId->GetFromID(), check->GetID());
  EXPECT_EQ(byId->GetToID(), start->GetID());

  // Any item with an area, and a point, can be an end; the document's hook reaches the factory.
  TPLNBaseItem* rect = TPLNFactory::AddBaseRectangle(&doc, 50000, 0, 20000, 10000);
  TPLNBaseItem* point = TPLNFactory::AddBasePoint(&doc, 80000, 30000);
  TPLNBaseLabel& hooks = doc;
  TPLNBaseLink* hooked = AsLink(hooks.AddBaseLink(rect->GetID(), point->GetID(), 16, 1, 7));
  ASSERT_TRUE(hooked);
  EXPECT_EQ(hooked->GetLinkType(), TORVinkType::Round);
  EXPECT_EQ(doc.GetItemsCount(), 7);
}

TEST(FlowFactory, RefusedEndsAndConnectorsMakeNothingAndLeaveTheDocumentAsItWas) {
  TPlanoraFMX doc;
  TPLNBaseFlow* box = Box(doc, 0, 0);
  TPLNBaseFlow* decision = Box(doc, 0, 40000, TORVFlowType::Decision);
  TPLNBaseItem* line = TPLNFactory::AddBaseLine(&doc, 0, 0, 10000, 0);
  TPLNBaseItem* point = TPLNFactory::AddBasePoint(&doc, 50000, 50000);
  TPLNBaseItem* unnumbered = TPLNFactory::AddBaseRectangle(&doc, 60000, 0, 10000, 10000);
  TPLNBaseItem* link = TPLNFactory::AddBaseLink(&doc, box->GetID(), decision->GetID(), 0, 0, TORVinkType::Direct);
  ASSERT_TRUE(link);
  box->SetName(QStringLiteral("me"));
  line->SetName(QStringLiteral("rule"));
  unnumbered->SetName(QStringLiteral("unnumbered"));
  unnumbered->SetID(0);
  const QByteArray before = doc.ToJsonText();
  const int steps = doc.UndoCount();

  const auto id = [](const TPLNBaseItem* it) { return QString::number(it->GetID()); };
  const std::int32_t boxID = box->GetID(), decisionID = decision->GetID(), pointID = point->GetID();
  const std::pair<const char*, std::function<TPLNBaseItem*()>> refused[] = {
      {"unknown name", [&] { return TPLNFactory::AddLink(&doc, "nobody", id(box), 0, 0, TORVinkType::Direct); }},
      {"unknown id", [&] { return TPLNFactory::AddBaseLink(&doc, boxID, 999, 0, 0, TORVinkType::Direct); }},
      {"end without connectors", [&] { return TPLNFactory::AddLink(&doc, id(box), "rule", 0, 0, TORVinkType::Direct); }},
      {"link as an end", [&] { return TPLNFactory::AddLink(&doc, id(box), id(link), 0, 0, TORVinkType::Direct); }},
      {"identifier below 1", [&] { return TPLNFactory::AddLink(&doc, "unnumbered", id(box), 0, 0, TORVinkType::Direct); }},
      {"same item", [&] { return TPLNFactory::AddBaseLink(&doc, boxID, boxID, 0, 0, TORVinkType::Step); }},
      {"same item by name and id", [&] { return TPLNFactory::AddLink(&doc, "ME", id(box), 0, 0, TORVinkType::Step); }},
      {"decision side point", [&] { return TPLNFactory::AddBaseLink(&doc, boxID, decisionID, 7, 5, TORVinkType::Direct); }},
      {"box connector 17", [&] { return TPLNFactory::AddBaseLink(&doc, boxID, decisionID, 17, 3, TORVinkType::Direct); }},
      {"negative connector", [&] { return TPLNFactory::AddBaseLink(&doc, boxID, decisionID, -1, 3, TORVinkType::Direct); }},
      {"point connector 2", [&] { return TPLNFactory::AddBaseLink(&doc, boxID, pointID, 0, 2, TORVinkType::Direct); }},
      {"poly link to itself", [&] { return TPLNFactory::AddPolyLink(&doc, boxID, boxID, 0, 0, TORVinkType::PolyLine, {1, 2}); }},
  };
  for (const auto& [what, call] : refused) {
    SCOPED_TRACE(what);
    EXPECT_EQ(call(), nullptr);
    EXPECT_EQ(doc.ToJsonText(), before);
    EXPECT_EQ(doc.UndoCount(), steps);
  }
  // A point's one connector and 0 are fine; a decision takes its four corners.
  EXPECT_TRUE(TPLNFactory::AddBaseLink(&doc, decision->GetID(), point->GetID(), 7, 1, TORVinkType::Direct));
  EXPECT_TRUE(TPLNFactory::AddBaseLink(&doc, box->GetID(), decision->GetID(), 16, 15, TORVinkType::Direct));
}

TEST(FlowFactory, PolyLinksCheckTheirCountFirstAndOnlyAPolylineKeepsItsPoints) {
  TPlanoraFMX doc;
  TPLNBaseFlow* a = Box(doc, 0, 0);
  TPLNBaseFlow* b = Box(doc, 60000, 40000);
  const QByteArray before = doc.ToJsonText();
  const QString even = TPLNMsg::GetErrorValue("EventNumber");
  for (const auto& call : std::vector<std::function<void()>>{
           [&] { TPLNFactory::AddBasePolyLink(&doc, a->GetID(), b->GetID(), 0, 0, TORVinkType::PolyLine, {1, 2, 3}); },
           [&] { TPLNFactory::AddPolyLink(&doc, a->GetID(), b->GetID(), 0, 0, TORVinkType::PolyLine, {1}); },
           // The count is the first complaint, before the ends are looked at.
           [&] { TPLNFactory::AddPolyLink(&doc, 77, 78, 0, 0, TORVinkType::PolyLine, {1, 2, 3}); }}) {
    QString message;
    try {
      call();
    } catch (const EPLNError& e) {
      message = e.Message();
    }
    EXPECT_EQ(message, even);
    EXPECT_EQ(doc.ToJsonText(), before);
  }

  // A polyline keeps the points it was given, in the document's unit for the float form.
  auto* poly = AsLink(TPLNFactory::AddBasePolyLink(&doc, a->GetID(), b->GetID(), 7, 15, TORVinkType::PolyLine,
                                                   {45000, 7500, 45000, 47500}));
  ASSERT_TRUE(poly);
  ASSERT_EQ(poly->GetNumLinkPoints(), 2);
  EXPECT_EQ(poly->GetLinkPoint(1), (TORVPto{45000, 7500}));
  EXPECT_EQ(poly->GetLinkPoint(2), (TORVPto{45000, 47500}));
  doc.SetUnits(TORVUnits::cm);
  auto* inCm = AsLink(TPLNFactory::AddPolyLink(&doc, a->GetID(), b->GetID(), 0, 0, TORVinkType::PolyLine, {4.5f, 1, 4.5f, 5}));
  ASSERT_TRUE(inCm);
  ASSERT_EQ(inCm->GetNumLinkPoints(), 2);
  EXPECT_EQ(inCm->GetLinkPoint(2), (TORVPto{45000, 50000}));
  // A routed type stores the route from its connectors when made, whatever points it was handed:
  // one bend across then down for LRTB, fourteen points for a rounded route.
  auto* step = AsLink(TPLNFactory::AddPolyLink(&doc, a->GetID(), b->GetID(), 7, 15, TORVinkType::Step, {9, 9}));
  ASSERT_TRUE(step);
  F2d::TORVLinkGeom g;
  ASSERT_TRUE(step->Geometry(g));
  ASSERT_FALSE(g.Points.empty());
  std::vector<TORVPto> stored;
  for (int i = 1; i <= step->GetNumLinkPoints(); ++i) stored.push_back(step->GetLinkPoint(i));
  EXPECT_EQ(stored, g.Points);
  auto* lrtb = AsLink(TPLNFactory::AddBaseLink(&doc, a->GetID(), b->GetID(), 7, 3, TORVinkType::LRTB));
  ASSERT_TRUE(lrtb);
  ASSERT_EQ(lrtb->GetNumLinkPoints(), 1);
  EXPECT_EQ(lrtb->GetLinkPoint(1), (TORVPto{75000, 7500}));
  auto* round = AsLink(TPLNFactory::AddBaseLink(&doc, a->GetID(), b->GetID(), 7, 15, TORVinkType::Round));
  ASSERT_TRUE(round);
  EXPECT_EQ(round->GetNumLinkPoints(), 14);
}
