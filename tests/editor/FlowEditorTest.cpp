// Flow charts drawn with the pointer: flow boxes by two corners and their captions typed in
// place, links from a connector of one item to a connector of another, links following a
// dragged box, and the connector marks of the link tool.
#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "ORV.Flow.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// Pixels are about 264.6 base units: a point placed by a click is exact to half of that.
constexpr std::int64_t kPx = 265;

struct FlowInput : Input {
  TPLNBaseItem* Flow(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                     TORVFlowType type = TORVFlowType::Process) {
    return TPLNFactory::AddBaseFlow(&doc, x, y, w, h, type);
  }
  QPointF At(const TORVPto& p) { return Input::At(p.X, p.Y); }
  using Input::At;
  std::vector<F2d::TPLNBaseLink*> Links() {
    std::vector<F2d::TPLNBaseLink*> out;
    for (int i = 1; i <= doc.GetItemsCount(); ++i)
      if (auto* l = dynamic_cast<F2d::TPLNBaseLink*>(doc.GetItem(i))) out.push_back(l);
    return out;
  }
};

TORVPto Connector(const TPLNBaseItem* item, int index) {
  TORVPto p;
  EXPECT_TRUE(item->LinkPoint(index, {}, p)) << "connector " << index;
  return p;
}

void ExpectBox(const TPLNBaseItem* item, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  TORVBounds b;
  for (int i = 1; i <= item->NumPoints(); ++i) b.Add(item->GetPoint(i));
  EXPECT_NEAR(b.X1, x1, kPx);
  EXPECT_NEAR(b.Y1, y1, kPx);
  EXPECT_NEAR(b.X2, x2, kPx);
  EXPECT_NEAR(b.Y2, y2, kPx);
}

// A pixel of `c` within `r` pixels of p.
bool ColourNear(const QImage& img, QPointF p, const QColor& c, int r) {
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx)
      if (PlanoraTest::ColorAt(img, QPoint(int(p.x()) + dx, int(p.y()) + dy), c, 40)) return true;
  return false;
}

}  // namespace

TEST(FlowEditor, BoxesByClicksOrADragAreTypedIntoAtOnce) {
  FlowInput v;
  // The shape is the palette's choice: it outlives the action that starts after it.
  v.doc.Act().Style.FlowType = TORVFlowType::Decision;
  v.doc.StartAction(TORVDrawKind::Flow);
  v.Click(v.At(10000, 10000));
  v.Click(v.At(40000, 30000));
  ASSERT_EQ(v.doc.GetItemsCount(), 1);
  auto* first = dynamic_cast<F2d::TPLNBaseFlow*>(v.doc.GetItem(1));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetFlowType(), TORVFlowType::Decision);
  ExpectBox(first, 10000, 10000, 40000, 30000);
  // Typing starts at once; Enter breaks the caption's line instead of ending it.
  ASSERT_TRUE(v.S().Typing());
  EXPECT_EQ(v.doc.GetTextObject(), first);
  v.Type(QStringLiteral("Yes"));
  v.Key(Qt::Key_Return);
  v.Type(QStringLiteral("or no"));
  EXPECT_TRUE(v.S().Typing());
  EXPECT_EQ(first->GetText(), QStringLiteral("Yes\nor no"));
  // A click outside ends the typing and places nothing; the tool stays for the next box.
  v.Click(v.At(90000, 50000));
  EXPECT_FALSE(v.S().Typing());
  EXPECT_EQ(v.doc.GetItemsCount(), 1);
  EXPECT_TRUE(v.doc.Act().IsDrawing());
  EXPECT_TRUE(v.doc.Act().Points.empty());
  // The box and its caption are one step.
  v.doc.Undo();
  EXPECT_EQ(v.doc.GetItemsCount(), 0);
  v.doc.Redo();
  // Redo makes the box again: a new item, with the caption.
  first = dynamic_cast<F2d::TPLNBaseFlow*>(v.doc.GetItem(1));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetFlowType(), TORVFlowType::Decision);
  EXPECT_EQ(first->GetText(), QStringLiteral("Yes\nor no"));

  // A drag from one corner to the other, up and to the left, with another shape.
  v.doc.Act().Style.FlowType = TORVFlowType::Terminator;
  v.Drag(v.At(80000, 45000), v.At(50000, 20000));
  ASSERT_EQ(v.doc.GetItemsCount(), 2);
  auto* second = dynamic_cast<F2d::TPLNBaseFlow*>(v.doc.GetItem(2));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetFlowType(), TORVFlowType::Terminator);
  ExpectBox(second, 50000, 20000, 80000, 45000);
  ASSERT_TRUE(v.S().Typing());
  // Escape ends the typing; a box without a caption is still a box.
  v.Key(Qt::Key_Escape);
  EXPECT_FALSE(v.S().Typing());
  ASSERT_EQ(v.doc.GetItemsCount(), 2);
  EXPECT_TRUE(second->GetText().isEmpty());
}

// A double click edits a box's caption in place, Ctrl+Enter ends it as one undo step; the caret
// goes where the caption's characters are drawn: inside the box's paddings, Up and Down walk the
// lines.
TEST(FlowEditor, CaptionsAreEditedInPlaceWithTheCaretOnTheirLines) {
  FlowInput v;
  auto* flow = dynamic_cast<F2d::TPLNBaseFlow*>(v.Flow(10000, 10000, 70000, 40000));
  ASSERT_NE(flow, nullptr);
  flow->SetBasePadX(15000);
  flow->SetBasePadY(8000);
  flow->SetText(QStringLiteral("ab\ncd"));
  v.doc.ClearUndo();
  v.DoubleClick(v.At(45000, 30000));
  ASSERT_TRUE(v.S().Typing());
  EXPECT_EQ(v.doc.GetTextObject(), flow);
  EXPECT_EQ(v.S().EditText(), QStringLiteral("ab\ncd"));
  ASSERT_EQ(flow->Lines().size(), 2u);
  const TORVTxtInf second = flow->Lines()[1];
  // Just left of the second line's first character, half a line down.
  const QPointF start = v.At(10000 + 15000 + second.X, 10000 + 8000 + second.Y + 2000) - QPointF(1, 0);
  v.Click(start);
  EXPECT_EQ(v.S().Caret(), 3);
  v.Key(Qt::Key_Up);
  EXPECT_EQ(v.S().Caret(), 0);
  v.Key(Qt::Key_Down);
  EXPECT_EQ(v.S().Caret(), 3);
  v.Key(Qt::Key_End);
  v.Type(QStringLiteral("?"));
  v.Key(Qt::Key_Return, Qt::ControlModifier);
  EXPECT_FALSE(v.S().Typing());
  EXPECT_EQ(flow->GetText(), QStringLiteral("ab\ncd?"));
  v.doc.Undo();
  EXPECT_EQ(flow->GetText(), QStringLiteral("ab\ncd"));
}

TEST(FlowEditor, LinksJoinAConnectorToAConnectorOfAnotherItem) {
  FlowInput v;
  TPLNBaseItem* a = v.Flow(10000, 10000, 20000, 15000);
  TPLNBaseItem* b = v.Rect(60000, 30000, 25000, 20000);  // any item with an area takes links
  TORVToolStyle& style = v.doc.Act().Style;
  style.LinkType = static_cast<std::uint8_t>(F2d::TORVinkType::Step);
  style.FromType = 1;  // circle
  style.ToType = 4;    // filled arrow
  style.FromColor = 0xFFFF0000u;
  style.ToColor = 0xFF0000FFu;
  v.doc.StartAction(TORVDrawKind::Link);
  const TORVPto a7 = Connector(a, 7), b15 = Connector(b, 15);
  // Pressed and released a little off the connectors: the connectors are taken.
  v.Drag(v.At(a7) + QPointF(2, 1), v.At(b15) + QPointF(-2, 2));
  ASSERT_EQ(v.Links().size(), 1u);
  F2d::TPLNBaseLink* link = v.Links()[0];
  EXPECT_EQ(std::tuple(link->GetFromID(), link->GetFromIndex(), link->GetToID(), link->GetToIndex()),
            std::tuple(a->GetID(), 7, b->GetID(), 15));
  // The tool's routing and terminators are the link's.
  EXPECT_EQ(link->GetLinkType(), F2d::TORVinkType::Step);
  EXPECT_EQ(std::tuple(int(link->GetFromType()), int(link->GetToType())), std::tuple(1, 4));
  EXPECT_EQ(std::tuple(link->GetFromColor(), link->GetToColor()), std::tuple(0xFFFF0000u, 0xFF0000FFu));
  F2d::TORVLinkGeom g;
  ASSERT_TRUE(link->Geometry(g));
  EXPECT_EQ(g.Start, a7);
  EXPECT_EQ(g.End, b15);
  // The tool stays for the next link; the link is one step.
  EXPECT_TRUE(v.doc.Act().IsDrawing());
  EXPECT_TRUE(v.doc.Act().Points.empty());
  v.doc.Undo();
  EXPECT_TRUE(v.Links().empty());
  EXPECT_EQ(v.doc.GetItemsCount(), 2);

  // Two clicks do the same: bottom of A to top of B.
  v.Click(v.At(Connector(a, 11)));
  EXPECT_EQ(v.doc.Act().State(), 1);
  v.Move(v.At(40000, 30000));
  v.Click(v.At(Connector(b, 3)));
  ASSERT_EQ(v.Links().size(), 1u);
  link = v.Links()[0];
  EXPECT_EQ(std::tuple(link->GetFromID(), link->GetFromIndex(), link->GetToID(), link->GetToIndex()),
            std::tuple(a->GetID(), 11, b->GetID(), 3));
}

// Away from a connector, onto the item it started from, or cancelled: nothing is made and
// nothing enters the history.
TEST(FlowEditor, NoLinkIsHalfMade) {
  FlowInput v;
  TPLNBaseItem* a = v.Flow(10000, 10000, 20000, 15000);
  TPLNBaseItem* b = v.Flow(60000, 30000, 25000, 20000, TORVFlowType::Decision);
  v.doc.ClearUndo();
  v.doc.StartAction(TORVDrawKind::Link);
  const TORVPto a7 = Connector(a, 7), a15 = Connector(a, 15), b15 = Connector(b, 15);
  const auto nothing = [&](const char* what) {
    EXPECT_TRUE(v.Links().empty()) << what;
    EXPECT_EQ(v.doc.GetItemsCount(), 2) << what;
    EXPECT_FALSE(v.doc.CanUndo()) << what;
    EXPECT_TRUE(v.doc.Act().Points.empty()) << what;
  };
  v.Drag(v.At(45000, 5000), v.At(b15));
  nothing("press on empty paper");
  v.Drag(v.At(a7), v.At(45000, 55000));
  nothing("release on empty paper");
  v.Drag(v.At(a7), v.At(a15));
  nothing("release on the start item's own connector");
  // A decision takes links only at its four points: not at a corner of its box.
  v.Drag(v.At(a7), v.At(60000, 30000));
  nothing("release on a corner of a decision");
  // Right click drops the link begun; the next press starts afresh.
  v.Click(v.At(a7));
  EXPECT_EQ(v.doc.Act().State(), 1);
  v.Press(v.At(50000, 20000), Qt::RightButton);
  v.Release(v.At(50000, 20000), Qt::RightButton);
  nothing("right click");
  EXPECT_TRUE(v.doc.Act().IsDrawing());
  v.Click(v.At(b15));
  EXPECT_EQ(v.doc.Act().LinkFromID, b->GetID());
  v.Key(Qt::Key_Escape);
  nothing("Escape");
  EXPECT_FALSE(v.doc.Act().IsDrawing());
}

TEST(FlowEditor, LinksFollowADraggedBoxAndOutliveItsDeletion) {
  FlowInput v;
  TPLNBaseItem* a = v.Flow(10000, 10000, 20000, 15000);
  TPLNBaseItem* b = v.Flow(60000, 30000, 25000, 20000);
  auto* link = dynamic_cast<F2d::TPLNBaseLink*>(v.doc.AddBaseLink(a->GetID(), b->GetID(), 7, 15, 0));
  ASSERT_NE(link, nullptr);
  v.doc.ClearUndo();
  const TORVPto before = Connector(a, 7);
  // Drag A by its face 40 px right and 20 px down.
  const QPointF grab = v.At(20000, 17500), shift(40, 20);
  v.Move(grab);
  v.Press(grab);
  v.Move(grab + shift / 4, Qt::LeftButton);
  ASSERT_TRUE(v.S().InDragLayer());
  // The page kept for the drag is drawn now: the link must not be on it, or it would stay here.
  F2d::TORVLinkGeom g;
  ASSERT_TRUE(link->Geometry(g));
  const QPointF oldMid = (v.At(g.Start) + v.At(g.End)) / 2;
  QImage img = v.Shot();
  EXPECT_TRUE(PlanoraTest::DarkNear(img, int(oldMid.x()), int(oldMid.y()), 2));
  for (int i = 2; i <= 4; ++i) v.Move(grab + shift * i / 4, Qt::LeftButton);
  // Mid-drag the link already starts at A's connector where A is now, and shows there.
  ASSERT_TRUE(link->Geometry(g));
  EXPECT_EQ(g.Start, Connector(a, 7));
  const QPointF newMid = (v.At(g.Start) + v.At(g.End)) / 2;
  img = v.Shot();
  EXPECT_TRUE(PlanoraTest::DarkNear(img, int(newMid.x()), int(newMid.y()), 2));
  EXPECT_TRUE(PlanoraTest::WhiteNear(img, int(oldMid.x()), int(oldMid.y()), 2));
  v.Release(grab + shift);
  EXPECT_FALSE(v.S().InDragLayer());
  ASSERT_NE(Connector(a, 7), before);
  const auto start = [&] { return link->Geometry(g) ? g.Start : TORVPto{-1, -1}; };
  EXPECT_EQ(start(), Connector(a, 7));
  // One undo step brings the box and with it the link's start back.
  v.doc.ClearSelection();
  v.doc.Undo();
  EXPECT_EQ(start(), before);
  EXPECT_FALSE(v.doc.CanUndo());

  // Deleting a box with the key leaves its links in the drawing, hidden until the box is back.
  v.doc.ClearSelection();
  v.doc.Select(b);
  v.Key(Qt::Key_Delete);
  ASSERT_EQ(v.doc.GetItemsCount(), 2);
  EXPECT_TRUE(PlanoraTest::WhiteNear(v.Shot(), int(oldMid.x()), int(oldMid.y()), 2));
  v.doc.Undo();
  EXPECT_TRUE(PlanoraTest::DarkNear(v.Shot(), int(oldMid.x()), int(oldMid.y()), 2));
}

TEST(FlowEditor, TheLinkToolShowsTheConnectorsUnderThePointer) {
  FlowInput v;
  TPLNBaseItem* a = v.Flow(20000, 15000, 30000, 20000);
  const QColor link = QColor::fromRgba(v.ed.SelectionColors().Link);
  const QPointF top = v.At(Connector(a, 3)), right = v.At(Connector(a, 7)), inside = v.At(35000, 25000);
  // Not without the link tool.
  v.Move(inside);
  EXPECT_FALSE(ColourNear(v.Shot(), top, link, 4));
  v.doc.StartAction(TORVDrawKind::Link);
  v.Move(inside);
  EXPECT_EQ(v.S().LinkShown(), a->GetID());
  QImage img = v.Shot();
  // Every connector is marked, outlined in the link colour and light inside.
  EXPECT_TRUE(ColourNear(img, top, link, 4));
  EXPECT_TRUE(ColourNear(img, right, link, 4));
  EXPECT_TRUE(ColourNear(img, v.At(Connector(a, 1)), link, 4));
  EXPECT_GT(PlanoraTest::Gray(img, int(top.x()), int(top.y())), 200);
  // On a connector, that one is filled with the link colour.
  v.Move(right + QPointF(1, 1));
  EXPECT_EQ(v.S().LinkRecord().Point, 7);
  img = v.Shot();
  EXPECT_TRUE(PlanoraTest::ColorAt(img, right.toPoint(), link, 40));
  EXPECT_FALSE(PlanoraTest::ColorAt(img, top.toPoint(), link, 40));
  // Away from the box, no marks.
  v.Move(v.At(90000, 55000));
  EXPECT_EQ(v.S().LinkShown(), 0);
  EXPECT_FALSE(ColourNear(v.Shot(), top, link, 4));
}

// While a link is drawn, the rubber line takes the route the link will take once made: bends for
// the routed kinds, rounded corners for round, a bow for arc and curve, one segment for direct.
TEST(FlowEditor, TheRubberLineFollowsTheRouting) {
  using F2d::TORVinkType;
  FlowInput v;
  TPLNBaseItem* a = v.Flow(5000, 5000, 20000, 10000);
  TPLNBaseItem* b = v.Flow(60000, 35000, 25000, 15000);
  const TORVPto a7 = Connector(a, 7), b3 = Connector(b, 3);
  // The right centre of A to the top centre of B: a step route runs across, then down.
  const TORVPto bend{b3.X, a7.Y}, diagonal{(a7.X + b3.X) / 2, (a7.Y + b3.Y) / 2};
  const auto inked = [&](const QImage& img, const TORVPto& p) { return !PlanoraTest::WhiteNear(img, int(v.At(p).x()), int(v.At(p).y()), 1); };
  // The rubber line to B's connector, then the link made there.
  const auto rubber = [&](TORVinkType type, F2d::TPLNBaseLink*& made) {
    v.doc.Act().Style.LinkType = static_cast<std::uint8_t>(type);
    v.doc.StartAction(TORVDrawKind::Link);
    v.Click(v.At(a7));
    v.Move(v.At(b3) + QPointF(1, -1));
    EXPECT_EQ(v.S().LinkRecord().Point, 3);
    const QImage img = v.Shot();
    v.Click(v.At(b3));
    made = v.Links().empty() ? nullptr : v.Links().back();
    return img;
  };
  const TORVinkType types[] = {TORVinkType::Direct, TORVinkType::LRTB, TORVinkType::TBLR, TORVinkType::Step,
                               TORVinkType::Arc,    TORVinkType::Curve, TORVinkType::Round};
  for (TORVinkType type : types) {
    SCOPED_TRACE(static_cast<int>(type));
    F2d::TPLNBaseLink* link = nullptr;
    const QImage img = rubber(type, link);
    ASSERT_NE(link, nullptr);
    // Everywhere along the link as made, the rubber line was there (the ends aside, where the
    // boxes and the connector marks are).
    std::vector<TORVPto> route;
    ASSERT_TRUE(link->Polyline(route));
    const auto far = [](const TORVPto& p, const TORVPto& q) { return std::hypot(double(p.X - q.X), double(p.Y - q.Y)) > 4000; };
    int probed = 0;
    for (std::size_t i = 0; i + 1 < route.size(); ++i)
      for (int k = 0; k < 8; ++k) {
        const TORVPto p{route[i].X + (route[i + 1].X - route[i].X) * k / 8, route[i].Y + (route[i + 1].Y - route[i].Y) * k / 8};
        if (!far(p, a7) || !far(p, b3)) continue;
        ++probed;
        EXPECT_TRUE(inked(img, p)) << "(" << p.X << ", " << p.Y << ")";
      }
    EXPECT_GE(probed, 4);
    switch (type) {
      case TORVinkType::Direct:
        EXPECT_TRUE(inked(img, diagonal));
        EXPECT_FALSE(inked(img, bend));
        break;
      case TORVinkType::Step:
      case TORVinkType::LRTB:
        EXPECT_TRUE(inked(img, bend));
        EXPECT_FALSE(inked(img, diagonal));
        break;
      case TORVinkType::Round:
        // The corner is rounded off: the curve passes inside it, not through it.
        EXPECT_FALSE(inked(img, bend));
        EXPECT_FALSE(inked(img, diagonal));
        break;
      default:
        EXPECT_FALSE(inked(img, diagonal));
        break;
    }
    v.doc.Undo();
    EXPECT_TRUE(v.Links().empty());
  }

  // Away from any connector the line runs to the pointer itself.
  v.doc.Act().Style.LinkType = static_cast<std::uint8_t>(TORVinkType::Direct);
  v.doc.StartAction(TORVDrawKind::Link);
  v.Click(v.At(a7));
  const TORVPto free{45000, 50000};
  v.Move(v.At(free));
  EXPECT_EQ(v.S().LinkRecord().Item, 0);
  QImage img = v.Shot();
  EXPECT_TRUE(inked(img, {(a7.X + free.X) / 2, (a7.Y + free.Y) / 2}));
  // Cancelled, nothing is left on screen.
  v.Key(Qt::Key_Escape);
  img = v.Shot();
  EXPECT_FALSE(inked(img, {(a7.X + free.X) / 2, (a7.Y + free.Y) / 2}));
}

// The rubber band of a flow box is the chosen shape in the rectangle of the two corners.
TEST(FlowEditor, TheBoxRubberBandShowsTheChosenShape) {
  FlowInput v;
  const QPointF c1 = v.At(10000, 10000), c2 = v.At(50000, 40000);
  const auto shot = [&](TORVFlowType type) {
    v.doc.Act().Style.FlowType = type;
    v.doc.StartAction(TORVDrawKind::Flow);
    v.Click(c1);
    v.Move(c2);
    const QImage img = v.Shot();
    v.Key(Qt::Key_Escape);
    EXPECT_EQ(v.doc.GetItemsCount(), 0);
    return img;
  };
  const auto inked = [](const QImage& img, QPointF p) { return !PlanoraTest::WhiteNear(img, int(p.x()), int(p.y()), 1); };
  const QPointF topRight(c2.x() - 3, c1.y() + 3), bottomLeft(c1.x() + 3, c2.y() - 3), bottomRight = c2 - QPointF(3, 3);
  QImage img = shot(TORVFlowType::Decision);
  // The diamond's points and the middle of an edge are drawn; the box's corners stay blank.
  for (const QPointF& p : {v.At(30000, 10000), v.At(50000, 25000), v.At(40000, 17500)})
    EXPECT_TRUE(inked(img, p)) << p.x() << "," << p.y();
  for (const QPointF& p : {topRight, bottomLeft, bottomRight}) EXPECT_FALSE(inked(img, p)) << p.x() << "," << p.y();
  // A process box fills the rectangle to its corners.
  img = shot(TORVFlowType::Process);
  EXPECT_TRUE(inked(img, QPointF(c2.x(), c1.y())));
  EXPECT_TRUE(inked(img, QPointF(c1.x(), c2.y())));
  EXPECT_FALSE(inked(img, v.At(40000, 17500)));
}

// The connectors view option marks where every item takes links, over the items, while it is
// on; exports never show the marks.
TEST(FlowEditor, ConnectorsShowOnlyOnScreenWhileAsked) {
  FlowInput v;
  TPLNBaseItem* a = v.Flow(10000, 10000, 30000, 20000);
  TPLNBaseItem* d = v.Flow(55000, 10000, 30000, 20000, TORVFlowType::Decision);
  TPLNBaseItem* r = v.Rect(20000, 40000, 20000, 10000);
  const QColor link = QColor::fromRgba(v.ed.SelectionColors().Link);
  const auto marked = [&](const QImage& img, const TPLNBaseItem* item, int index) {
    return ColourNear(img, v.At(Connector(item, index)), link, 2);
  };
  const int probes[] = {1, 3, 6, 7, 11, 16};
  QImage img = v.Shot();
  for (int k : probes) EXPECT_FALSE(marked(img, a, k)) << k;

  v.ed.SetEditorOptions(v.ed.GetEditorOptions() | eoLinkPoints);
  img = v.Shot();
  for (int k : probes) {
    EXPECT_TRUE(marked(img, a, k)) << k;
    EXPECT_TRUE(marked(img, r, k)) << k;
  }
  // A decision takes links at its four points only: its box's corners stay unmarked.
  for (int k : {3, 7, 11, 15}) EXPECT_TRUE(marked(img, d, k)) << k;
  for (const TORVPto& corner : {TORVPto{55000, 10000}, TORVPto{85000, 30000}})
    EXPECT_FALSE(ColourNear(img, v.At(corner), link, 3));
  // A box that moves takes its marks along.
  v.doc.Select(a);
  const TORVPto before = Connector(a, 7);
  a->Move(0, 5000);
  v.doc.ClearSelection();
  img = v.Shot();
  EXPECT_TRUE(marked(img, a, 7));
  EXPECT_FALSE(ColourNear(img, v.At(before), link, 1));

  // Exports draw the items alone.
  const QString path = PlanoraTest::TmpPath(QStringLiteral("flow-connectors.png"));
  ASSERT_TRUE(PlanoraTest::Export(v.doc, TORVExport::PNG, path).isEmpty());
  const QImage out(path);
  ASSERT_GT(PlanoraTest::Ink(out), 0) << "the boxes are there";
  int orange = 0;
  for (int y = 0; y < out.height(); ++y)
    for (int x = 0; x < out.width(); ++x) {
      const QColor c = out.pixelColor(x, y);
      orange += std::abs(c.red() - link.red()) < 40 && std::abs(c.green() - link.green()) < 40 &&
                std::abs(c.blue() - link.blue()) < 40;
    }
  EXPECT_EQ(orange, 0);

  // Off again, the marks go.
  v.ed.SetEditorOptions(v.ed.GetEditorOptions() & ~eoLinkPoints);
  img = v.Shot();
  for (int k : probes) EXPECT_FALSE(marked(img, a, k)) << k;
}
