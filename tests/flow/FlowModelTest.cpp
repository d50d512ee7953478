// The flow-chart model: connectors, routing, links following their ends through edits, files,
// the clipboard and undo.
#include <QBuffer>
#include <gtest/gtest.h>

#include <set>

#include "ORV.FMX.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::F2d;
using Orv::Fmx::TPlanoraFMX;
using Orv::Fmx::TPLNFlow;
using Orv::Fmx::TPLNLink;

namespace {

TPLNFlow* Box(TPlanoraFMX& doc, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
              TORVFlowType type = TORVFlowType::Process) {
  auto* f = new TPLNFlow(&doc, false);
  f->SetFlowType(type);
  f->AssignPoints({{x, y}, {x + w, y + h}});
  return f;
}

TPLNLink* Link(TPlanoraFMX& doc, const TPLNBaseItem* a, const TPLNBaseItem* b, TORVinkType type, int fromIndex = 0,
               int toIndex = 0) {
  auto* l = new TPLNLink(&doc, false);
  l->SetLinkType(type);
  l->SetEnds(a->GetID(), b->GetID());
  l->SetFromIndex(static_cast<std::int16_t>(fromIndex));
  l->SetToIndex(static_cast<std::int16_t>(toIndex));
  return l;
}

TORVLinkGeom Geom(const TPLNBaseLink* l) {
  TORVLinkGeom g;
  EXPECT_TRUE(l->Geometry(g));
  return g;
}

// Each piece of an orthogonal route runs straight across or straight up and down.
void ExpectOrthogonal(const std::vector<TORVPto>& route) {
  for (std::size_t i = 0; i + 1 < route.size(); ++i)
    EXPECT_TRUE(route[i].X == route[i + 1].X || route[i].Y == route[i + 1].Y)
        << "piece " << i << " (" << route[i].X << "," << route[i].Y << ")-(" << route[i + 1].X << ","
        << route[i + 1].Y << ")";
}

// The direction of the piece a-b as a unit step.
TORVPto Heading(const TORVPto& a, const TORVPto& b) {
  auto sgn = [](std::int64_t v) { return std::int64_t(v > 0) - std::int64_t(v < 0); };
  return {sgn(b.X - a.X), sgn(b.Y - a.Y)};
}

bool Has(const std::vector<int>& v, int x) { return std::find(v.begin(), v.end(), x) != v.end(); }

// Connector `i` of `item` (0: the one facing `other`), which must exist.
TORVPto Connector(const TPLNBaseItem* item, int i, TORVPto other = {}) {
  TORVPto p;
  EXPECT_TRUE(item->LinkPoint(i, other, p)) << "connector " << i;
  return p;
}

}  // namespace

TEST(FlowModel, ConnectorsOfBoxesDecisionsEllipsesAndPoints) {
  TPlanoraFMX doc;
  // Drawn from the bottom-right corner: the connectors follow the box, not the point order.
  TPLNFlow* box = Box(doc, 40000, 20000, -40000, -20000);
  const TORVPto expected[17] = {{},
                                {0, 0},         {10000, 0},     {20000, 0},     {30000, 0},
                                {40000, 0},     {40000, 5000},  {40000, 10000}, {40000, 15000},
                                {40000, 20000}, {30000, 20000}, {20000, 20000}, {10000, 20000},
                                {0, 20000},     {0, 15000},     {0, 10000},     {0, 5000}};
  for (int i = 1; i <= 16; ++i) EXPECT_EQ(Connector(box, i), expected[i]) << "connector " << i;
  TORVPto p;
  EXPECT_FALSE(box->LinkPoint(17, {}, p));
  EXPECT_FALSE(box->LinkPoint(-1, {}, p));
  // Automatic: the side centre facing the other end, judged in the box's proportions.
  EXPECT_EQ(Connector(box, 0, {100000, 12000}), expected[7]);
  EXPECT_EQ(Connector(box, 0, {25000, -50000}), expected[3]);
  EXPECT_EQ(Connector(box, 0, {-30000, 12000}), expected[15]);

  TPLNFlow* diamond = Box(doc, 0, 0, 40000, 20000, TORVFlowType::Decision);
  for (int i = 1; i <= 16; ++i) EXPECT_EQ(diamond->HasLinkPoint(i), i == 3 || i == 7 || i == 11 || i == 15) << i;
  EXPECT_FALSE(diamond->LinkPoint(1, {}, p));
  EXPECT_EQ(Connector(diamond, 11), (TORVPto{20000, 20000}));

  // An ellipse's connectors lie on its outline: the top-right one is inside the box's corner.
  TPLNFlow* oval = Box(doc, 0, 0, 40000, 20000, TORVFlowType::Ellipse);
  p = Connector(oval, 5);
  const double ex = (p.X - 20000) / 20000.0, ey = (p.Y - 10000) / 10000.0;
  EXPECT_NEAR(ex * ex + ey * ey, 1.0, 1e-3);
  EXPECT_LT(p.X, 40000);
  EXPECT_GT(p.Y, 0);

  // An ellipse item's quarter connector lies on its upper arc, straight below its box place.
  auto* ell = new Fmx::TPLNEllipse(&doc, false);
  ell->AssignPoints({{0, 0}, {40000, 20000}});
  EXPECT_EQ(Connector(ell, 2), (TORVPto{10000, 1340}));
  // Slanted and rounded sides take their links on the outline too.
  TPLNFlow* data = Box(doc, 0, 0, 40000, 20000, TORVFlowType::Data);
  EXPECT_EQ(Connector(data, 15), (TORVPto{2500, 10000}));
  EXPECT_EQ(Connector(data, 7), (TORVPto{37500, 10000}));
  EXPECT_EQ(Connector(data, 3), (TORVPto{20000, 0}));
  TPLNFlow* pill = Box(doc, 0, 0, 40000, 20000, TORVFlowType::Terminator);
  p = Connector(pill, 16);
  EXPECT_GT(p.X, 500);  // on the round end, right of the box's side
  EXPECT_LT(p.X, 10000);
  EXPECT_EQ(p.Y, 5000);
  // A changed shape moves its connectors at once.
  data->SetFlowType(TORVFlowType::Process);
  EXPECT_EQ(Connector(data, 15), (TORVPto{0, 10000}));
  // A document's wavy foot dips below its box: its bounds hold it.
  TPLNFlow* sheet = Box(doc, 0, 0, 40000, 24000, TORVFlowType::Document);
  sheet->SetPenWidth(0);
  EXPECT_EQ(sheet->GetBounds().Y2, 26000);

  auto* pt = static_cast<TPLNBaseItem*>(doc.AddBasePoint(5000, 6000));
  if (!pt) {  // the factory hook: make the point directly when it is not wired
    pt = new Fmx::TPLNPoint(&doc, false);
    pt->AssignPoints({{5000, 6000}});
  }
  EXPECT_EQ(Connector(pt, 0, {99999, 0}), (TORVPto{5000, 6000}));
  auto* line = new Fmx::TPLNLine(&doc, false);
  line->AssignPoints({{0, 0}, {10000, 0}});
  EXPECT_EQ(line->LinkPointCount(), 0);
}

TEST(FlowModel, OrthogonalRoutesLeaveAndEnterSquareToTheirSidesInEveryQuadrant) {
  const std::int64_t m = 5000;
  const TORVPto s{0, 0};
  const TORVPto ends[] = {{60000, 40000}, {-60000, 40000}, {60000, -40000}, {-60000, -40000},
                          {60000, 0},     {0, 40000},      {3000, 2000},    {-2000, 1000}};
  for (const TORVPto& e : ends)
    for (int fs = 0; fs < 4; ++fs)
      for (int ts = 0; ts < 4; ++ts) {
        SCOPED_TRACE(testing::Message() << "end " << e.X << "," << e.Y << " sides " << fs << "," << ts);
        std::vector<TORVPto> pts;
        RoutePoints(TORVinkType::Step, s, fs, e, ts, m, pts);
        std::vector<TORVPto> route{s};
        route.insert(route.end(), pts.begin(), pts.end());
        route.push_back(e);
        ExpectOrthogonal(route);
        ASSERT_GE(route.size(), 2u);
        // Out of the start's side, and into the end from outside its side.
        EXPECT_EQ(Heading(route[0], route[1]), SideDirection(fs));
        EXPECT_EQ(Heading(route[route.size() - 1], route[route.size() - 2]), SideDirection(ts));
        EXPECT_LE(route.size(), 7u);
      }

  // One bend: across then down, or down then across; none when the ends line up.
  std::vector<TORVPto> pts;
  RoutePoints(TORVinkType::LRTB, s, 1, {50000, 30000}, 0, m, pts);
  EXPECT_EQ(pts, (std::vector<TORVPto>{{50000, 0}}));
  RoutePoints(TORVinkType::TBLR, s, 2, {50000, 30000}, 3, m, pts);
  EXPECT_EQ(pts, (std::vector<TORVPto>{{0, 30000}}));
  RoutePoints(TORVinkType::LRTB, s, 1, {50000, 0}, 3, m, pts);
  EXPECT_TRUE(pts.empty());
}

TEST(FlowModel, RoundRouteIsFiveJoinedCubicsWithQuarterCircleCorners) {
  const TORVPto s{0, 0}, e{80000, 40000};
  std::vector<TORVPto> pts;
  RoutePoints(TORVinkType::Round, s, 1, e, 3, 5000, pts);
  ASSERT_EQ(pts.size(), 14u);
  // Corners on the vertical half-way line: the first bend ends 5 mm below the top run, the
  // second begins 5 mm above the bottom run.
  for (const auto& [i, want] : {std::pair{2, TORVPto{35000, 0}}, {5, {40000, 5000}}, {8, {40000, 35000}}, {11, {45000, 40000}}})
    EXPECT_EQ(pts[i], want) << i;
  // Straight pieces keep their controls on the line; corner controls run along the tangents.
  for (int i : {0, 1, 3}) EXPECT_EQ(pts[i].Y, 0) << i;
  for (int i : {12, 13}) EXPECT_EQ(pts[i].Y, 40000) << i;
  EXPECT_EQ(pts[4].X, 40000);
  // Into the top of a box down and to the right: one bend, the last pieces still on the end.
  RoutePoints(TORVinkType::Round, s, 1, e, 0, 5000, pts);
  ASSERT_EQ(pts.size(), 14u);
  EXPECT_EQ(pts[2], (TORVPto{75000, 0}));
  EXPECT_EQ(pts[5], (TORVPto{80000, 5000}));
  for (std::size_t i = 8; i < 14; ++i) EXPECT_EQ(pts[i], e) << i;
  // The same sides with the box up and to the left cannot be reached forward: two bends.
  RoutePoints(TORVinkType::Round, s, 1, {-80000, -40000}, 0, 5000, pts);
  ASSERT_EQ(pts.size(), 14u);
  EXPECT_NE(pts[8], (TORVPto{-80000, -40000}));
  // Ends in line: still fourteen points, the corners shrink to nothing.
  RoutePoints(TORVinkType::Round, s, 1, {80000, 0}, 3, 5000, pts);
  ASSERT_EQ(pts.size(), 14u);
  for (const TORVPto& p : pts) EXPECT_EQ(p.Y, 0);
}

TEST(FlowModel, LinksFollowTheirEndsAndSurviveDeletionAndUndo) {
  TPlanoraFMX doc;
  TPLNFlow* a = Box(doc, 0, 0, 30000, 15000);
  TPLNFlow* b = Box(doc, 100000, 60000, 30000, 15000);
  TPLNLink* l = Link(doc, a, b, TORVinkType::Step, 7, 15);
  TORVLinkGeom g = Geom(l);
  EXPECT_EQ(g.Start, (TORVPto{30000, 7500}));
  EXPECT_EQ(g.End, (TORVPto{100000, 67500}));
  // Ask the index once so that it is built, then move a box by itself.
  std::vector<int> hits;
  doc.ItemsIn({64000, 30000, 66000, 40000}, hits);
  EXPECT_TRUE(Has(hits, doc.IndexOf(l)));
  doc.ClearUndo();
  {
    TPLNUndoGroup step(doc);
    b->Move(0, 100000);
  }
  g = Geom(l);
  EXPECT_EQ(g.End, (TORVPto{100000, 167500}));
  // The index knows the link's new place without anything done to the link.
  doc.ItemsIn({64000, 120000, 66000, 130000}, hits);
  EXPECT_TRUE(Has(hits, doc.IndexOf(l)));
  std::vector<TPLNBaseLink*> attached;
  doc.LinksOf(b, attached);
  EXPECT_EQ(attached, (std::vector<TPLNBaseLink*>{l}));

  // A deleted end: the link stays and has no geometry, bounds or pick; undo brings it back.
  const int count = doc.GetItemsCount();
  {
    TPLNUndoGroup step(doc);
    doc.DeleteItem(doc.IndexOf(b));
  }
  EXPECT_EQ(doc.GetItemsCount(), count - 1);
  TORVLinkGeom none;
  EXPECT_FALSE(l->Geometry(none));
  EXPECT_TRUE(l->GetBounds().IsEmpty());
  EXPECT_FALSE(l->Pick(65000, 100000, 5000));
  doc.Undo();  // the deletion
  EXPECT_TRUE(l->Geometry(g));
  EXPECT_EQ(g.End, (TORVPto{100000, 167500}));
  doc.Undo();  // the move
  EXPECT_EQ(Geom(l).End, (TORVPto{100000, 67500}));
  doc.ItemsIn({64000, 30000, 66000, 40000}, hits);
  EXPECT_TRUE(Has(hits, doc.IndexOf(l)));

  // A link never ends on itself, on another link or on a line without connectors.
  TPLNLink* self = Link(doc, a, a, TORVinkType::Direct);
  self->SetToID(self->GetID());
  EXPECT_FALSE(self->Geometry(none));
  TPLNLink* toLink = Link(doc, a, l, TORVinkType::Direct);
  EXPECT_FALSE(toLink->Geometry(none));
}

TEST(FlowModel, EveryRoutingCopesWithEndsThatMeetOrOverlapAndStaysInItsBounds) {
  TPlanoraFMX doc;
  TPLNFlow* a = Box(doc, 0, 0, 30000, 15000);
  TPLNFlow* b = Box(doc, 10000, 5000, 30000, 15000);  // overlapping a
  TPLNFlow* far = Box(doc, 90000, -60000, 30000, 15000);
  TPLNFlow* beside = Box(doc, 90000, 0, 30000, 15000);  // an arc to it bows above both
  auto* p = new Fmx::TPLNPoint(&doc, false);
  p->AssignPoints({{30000, 7500}});  // on a's right connector
  for (int t = 0; t < kLinkTypeCount; ++t) {
    SCOPED_TRACE(t);
    for (const TPLNBaseItem* other : {static_cast<const TPLNBaseItem*>(b), static_cast<const TPLNBaseItem*>(p),
                                      static_cast<const TPLNBaseItem*>(far), static_cast<const TPLNBaseItem*>(beside)}) {
      TPLNLink* l = Link(doc, a, other, static_cast<TORVinkType>(t), 7, other == p ? 0 : 15);
      std::vector<TORVPto> route;
      ASSERT_TRUE(l->Polyline(route));
      for (const TORVPto& q : route) {
        EXPECT_LT(std::abs(q.X), 1000000);
        EXPECT_LT(std::abs(q.Y), 1000000);
      }
      const TORVBounds bounds = l->GetBounds();
      EXPECT_FALSE(bounds.IsEmpty());
      for (const TORVPto& q : route) EXPECT_TRUE(q.X >= bounds.X1 && q.X <= bounds.X2 && q.Y >= bounds.Y1 && q.Y <= bounds.Y2);
      EXPECT_TRUE(l->Pick(route.front().X, route.front().Y, 10));
    }
  }
}

TEST(FlowModel, ArcIsTheSameWhicheverEndItStartsFrom) {
  TPlanoraFMX doc;
  TPLNFlow* a = Box(doc, 0, 0, 20000, 10000);
  TPLNFlow* b = Box(doc, 80000, 0, 20000, 10000);
  TPLNLink* ab = Link(doc, a, b, TORVinkType::Arc, 7, 15);
  TPLNLink* ba = Link(doc, b, a, TORVinkType::Arc, 15, 7);
  ba->SetBulge(-ab->GetBulge());
  const TORVLinkGeom g1 = Geom(ab), g2 = Geom(ba);
  ASSERT_TRUE(g1.HasCircle && g2.HasCircle);
  EXPECT_EQ(g1.Through, g2.Through);
  EXPECT_NEAR(g1.CX, g2.CX, 1);
  EXPECT_NEAR(g1.CY, g2.CY, 1);
  EXPECT_NEAR(g1.Radius, g2.Radius, 1);
  // Bowing left of the way from a to b on a y-down page: above the straight line.
  EXPECT_LT(g1.Through.Y, 5000);
  // The arc passes through its three points.
  for (const TORVPto& p : {g1.Start, g1.Through, g1.End})
    EXPECT_NEAR(std::hypot(p.X - g1.CX, p.Y - g1.CY), g1.Radius, 2);
}

TEST(FlowModel, FilesAndClipboardKeepLinksTiedToTheirEnds) {
  TPlanoraFMX doc;
  TPLNFlow* a = Box(doc, 0, 0, 30000, 15000, TORVFlowType::Terminator);
  a->SetText(QStringLiteral("Start"));
  TPLNFlow* b = Box(doc, 0, 40000, 30000, 15000, TORVFlowType::Decision);
  TPLNLink* l = Link(doc, a, b, TORVinkType::PolyLine, 11, 3);
  l->SetBaseLinkPoint(1, 15000, 25000);
  l->SetFromType(2);
  l->SetToType(4);
  l->SetToColor(0xFFFF0000);
  TPLNLink* r = Link(doc, b, a, TORVinkType::Round, 7, 7);
  // A connector number no file can keep is no connector: the link stays as it was.
  r->SetToIndex(300);
  r->SetFromIndex(-2);
  EXPECT_EQ(r->GetToIndex(), 7);
  EXPECT_EQ(r->GetFromIndex(), 7);

  for (TORVExt ext : {TORVExt::Eti, TORVExt::Json}) {
    SCOPED_TRACE(static_cast<int>(ext));
    const QString path = PlanoraTest::TmpPath(ext == TORVExt::Eti ? "links.eti" : "links.json");
    doc.SaveToFile(path, ext);
    TPlanoraFMX back;
    ASSERT_TRUE(back.LoadFromFile(path));
    ASSERT_EQ(back.GetItemsCount(), 4);
    auto* fa = dynamic_cast<TPLNFlow*>(back.GetItem(1));
    auto* fb = dynamic_cast<TPLNFlow*>(back.GetItem(2));
    auto* bl = dynamic_cast<TPLNLink*>(back.GetItem(3));
    auto* br = dynamic_cast<TPLNLink*>(back.GetItem(4));
    ASSERT_TRUE(fa && fb && bl && br);
    EXPECT_EQ(fa->GetText(), QStringLiteral("Start"));
    EXPECT_EQ(fb->GetFlowType(), TORVFlowType::Decision);
    EXPECT_EQ(bl->FromItem(), fa);
    EXPECT_EQ(bl->ToItem(), fb);
    EXPECT_EQ(bl->GetLinkType(), TORVinkType::PolyLine);
    EXPECT_EQ(bl->GetNumLinkPoints(), 1);
    EXPECT_EQ(bl->GetToType(), 4);
    EXPECT_EQ(bl->GetToColor(), 0xFFFF0000u);
    EXPECT_EQ(Geom(bl).Points, Geom(l).Points);
    EXPECT_EQ(Geom(br).Points, Geom(r).Points);
  }

  // Copy the chart and paste it: the pasted links join the pasted boxes.
  doc.ClearSelection();
  for (int i = 1; i <= 4; ++i) doc.Select(doc.GetItem(i));
  doc.CopySelection();
  doc.PasteSelection();
  ASSERT_EQ(doc.GetItemsCount(), 8);
  auto* pl = dynamic_cast<TPLNLink*>(doc.GetItem(7));
  ASSERT_NE(pl, nullptr);
  EXPECT_EQ(pl->FromItem(), doc.GetItem(5));
  EXPECT_EQ(pl->ToItem(), doc.GetItem(6));
  std::set<std::int32_t> ids;
  for (int i = 1; i <= doc.GetItemsCount(); ++i) ids.insert(doc.GetItem(i)->GetID());
  EXPECT_EQ(ids.size(), 8u);
  // Through the system clipboard into another window's drawing: the copies are tied together.
  {
    TPlanoraFMX other;
    ASSERT_TRUE(doc.CopyToClipboard());
    ASSERT_TRUE(other.PasteFromClipboard());
    ASSERT_EQ(other.GetItemsCount(), 4);
    auto* ol = dynamic_cast<TPLNLink*>(other.GetItem(3));
    ASSERT_NE(ol, nullptr);
    EXPECT_EQ(ol->FromItem(), other.GetItem(1));
    EXPECT_EQ(ol->ToItem(), other.GetItem(2));
  }
  // A link pasted without its ends stays tied to the originals.
  doc.ClearSelection();
  doc.Select(l);
  doc.CopySelection();
  doc.PasteSelection();
  auto* alone = dynamic_cast<TPLNLink*>(doc.GetItem(doc.GetItemsCount()));
  ASSERT_NE(alone, nullptr);
  EXPECT_EQ(alone->FromItem(), a);
  EXPECT_EQ(alone->ToItem(), b);
}

TEST(FlowModel, DamagedLinkRecordsAreRefusedAndMissingEndsAreKept) {
  TPlanoraFMX doc;
  TPLNFlow* a = Box(doc, 0, 0, 30000, 15000);
  TPLNFlow* b = Box(doc, 0, 40000, 30000, 15000);
  Link(doc, a, b, TORVinkType::Step);
  const QByteArray good = doc.ToJsonText();
  auto load = [](const QByteArray& text) {
    TPlanoraFMX d;
    d.LoadFromJson(text);
    return d.GetItemsCount();
  };
  EXPECT_EQ(load(good), 3);
  struct Bad {
    const char* from;
    const char* to;
  };
  const QByteArray linkType = "\"LinkType\":3";
  ASSERT_TRUE(good.contains(linkType));
  for (const QByteArray& bad : {QByteArray("\"LinkType\":8"), QByteArray("\"LinkType\":-1"),
                                QByteArray("\"LinkType\":3,\"FromIndex\":300"),
                                QByteArray("\"LinkType\":3,\"Bulge\":1e9")}) {
    SCOPED_TRACE(bad.constData());
    QByteArray text = good;
    text.replace(linkType, bad);
    EXPECT_THROW(load(text), EPLNError);
  }
  // A link naming an identifier the file does not hold is read, kept and draws nothing.
  QByteArray orphan = good;
  orphan.replace("\"ToID\":2", "\"ToID\":77");
  TPlanoraFMX d;
  d.LoadFromJson(orphan);
  ASSERT_EQ(d.GetItemsCount(), 3);
  auto* l = dynamic_cast<TPLNLink*>(d.GetItem(3));
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->GetToID(), 77);
  TORVLinkGeom g;
  EXPECT_FALSE(l->Geometry(g));
}

TEST(FlowModel, PolylineAndArcLinksAreShapedThroughTheirHandles) {
  TPlanoraFMX doc;
  TPLNFlow* a = Box(doc, 0, 0, 30000, 15000);
  TPLNFlow* b = Box(doc, 100000, 0, 30000, 15000);
  TPLNLink* l = Link(doc, a, b, TORVinkType::PolyLine, 7, 15);
  auto handle = [&](TORVHandleKind kind, int index) {
    for (int i = 1; i <= doc.GetSelPointCount(); ++i) {
      const TORVSelPoint h = doc.GetSelPoint(i);
      if (h.Kind == kind && h.Index == index) return h;
    }
    ADD_FAILURE() << "no handle " << static_cast<int>(kind) << "/" << index;
    return TORVSelPoint{};
  };
  auto drag = [&](const TORVSelPoint& h, TORVPto to) {
    doc.Act().SetMove(MoveKindOf(h.Kind), h.Index, h.P);
    doc.MoveEditor(to.X - h.P.X, to.Y - h.P.Y, to.X, to.Y, -1, -1);
    doc.UpEditor(to.X, to.Y);
  };
  doc.ClearSelection();
  doc.Select(l);
  doc.ClearUndo();
  // Dragging the middle of the only segment puts a bend there.
  drag(handle(TORVHandleKind::InsertPoint, 0), {65000, 40000});
  ASSERT_EQ(l->GetNumLinkPoints(), 1);
  EXPECT_EQ(l->GetLinkPoint(1), (TORVPto{65000, 40000}));
  // The bend moves by its own handle; the ends stay on the boxes.
  drag(handle(TORVHandleKind::Point, 1), {65000, 60000});
  EXPECT_EQ(l->GetLinkPoint(1), (TORVPto{65000, 60000}));
  EXPECT_EQ(Geom(l).Start, (TORVPto{30000, 7500}));
  doc.Undo();
  EXPECT_EQ(l->GetLinkPoint(1), (TORVPto{65000, 40000}));
  doc.Undo();
  EXPECT_EQ(l->GetNumLinkPoints(), 0);

  // An arc's through point bows it the other way when dragged across the straight line.
  l->SetLinkType(TORVinkType::Arc);
  const TORVLinkGeom before = Geom(l);
  EXPECT_LT(before.Through.Y, 7500);
  drag(handle(TORVHandleKind::Point, 1), {65000, 30000});
  const TORVLinkGeom after = Geom(l);
  EXPECT_GT(after.Through.Y, 7500);
  EXPECT_NEAR(after.Through.Y, 30000, 2);
}
