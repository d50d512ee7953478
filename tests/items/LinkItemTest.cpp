// Links on screen and on paper: every routing drawn along its route, ends that follow their items,
// terminators solid, in their colours and pointing down the route. Rendered at 254 dpi, so 1 mm is
// 10 pixels and 100 base units are one pixel.
#include <gtest/gtest.h>

#include <cmath>

#include "ORV.FMX.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using Orv::F2d::TORVinkType;
using Orv::F2d::TORVLinkGeom;
using PlanoraTest::DarkNear;
using PlanoraTest::MakeItem;
using PlanoraTest::RenderItem;

namespace {

constexpr int kDpi = 254;
const QSize kImage(500, 400);

QPointF Dev(const TORVPto& p) { return QPointF(p.X / 100.0, p.Y / 100.0); }
QPointF Dev(double x, double y) { return QPointF(x / 100.0, y / 100.0); }
QPoint Pix(const QPointF& p) { return QPoint(int(std::lround(p.x())), int(std::lround(p.y()))); }
QPointF Mid(const QPointF& a, const QPointF& b) { return (a + b) / 2; }
QPointF Cubic(const QPointF& p0, const QPointF& c1, const QPointF& c2, const QPointF& p1, double t) {
  const double u = 1 - t;
  return u * u * u * p0 + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * p1;
}

QImage Render(TPLNBaseItem* item, bool paper) {
  return RenderItem(item, paper, paper ? TORVDrawState::Printing : TORVDrawState::Export, kImage, kDpi);
}

::testing::AssertionResult InkAt(const QImage& img, const QPointF& p, int r = 2) {
  if (DarkNear(img, Pix(p).x(), Pix(p).y(), r)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no ink at " << p.x() << "," << p.y();
}
::testing::AssertionResult BlankAt(const QImage& img, const QPointF& p, int r = 4) {
  if (PlanoraTest::WhiteNear(img, Pix(p).x(), Pix(p).y(), r)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "ink at " << p.x() << "," << p.y();
}

// Every dark pixel of `a` has ink in `b` within `r` pixels: the same marks, give or take the
// anti-aliasing of two painters.
::testing::AssertionResult Covered(const QImage& a, const QImage& b, int r) {
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      if (!PlanoraTest::Dark(a, x, y)) continue;
      if (!PlanoraTest::InkInRect(b, QRect(x - r, y - r, 2 * r + 1, 2 * r + 1)))
        return ::testing::AssertionFailure() << "ink at " << x << "," << y << " only on one side";
    }
  return ::testing::AssertionSuccess();
}

// Two boxes and a link from the right of the first to the left of the second, far below it.
struct Linked {
  TPlanoraFMX doc;
  TPLNRectangle* a = MakeItem<TPLNRectangle>(doc, {{2000, 2000}, {12000, 10000}});
  TPLNRectangle* b = MakeItem<TPLNRectangle>(doc, {{35000, 28000}, {45000, 36000}});
  TPLNLink* link = new TPLNLink(&doc, false);
  Linked() {
    link->SetEnds(a->GetID(), b->GetID());
    link->SetFromIndex(7);
    link->SetToIndex(15);
    link->SetPenWidth(500);  // 5 pixels
    link->SetColor(kBlack);
  }
  TORVLinkGeom Geom() const {
    TORVLinkGeom g;
    EXPECT_TRUE(link->Geometry(g));
    return g;
  }
  // Start, the route's points, end, on the device.
  std::vector<QPointF> Route() const {
    const TORVLinkGeom g = Geom();
    std::vector<QPointF> r{Dev(g.Start)};
    for (const TORVPto& p : g.Points) r.push_back(Dev(p));
    r.push_back(Dev(g.End));
    return r;
  }
};

// The filled arrows of a recording, with their tip and the middle of their barbs.
struct Head {
  QPointF Tip, Back;
  TAlphaColor Color;
};
std::vector<Head> FilledArrows(const TRecordingCanvas& canvas, bool paper) {
  std::vector<Head> out;
  for (const TRecordedOp& op : canvas.Ops) {
    const bool fill = paper ? op.Name == "P.FillPath" : (op.Name == "DrawPath" && op.Paint.Style == TSkPaintStyle::Fill);
    if (!fill || op.Path.elementCount() < 3) continue;
    const QPointF tip = op.Path.elementAt(0), b1 = op.Path.elementAt(1), b2 = op.Path.elementAt(2);
    out.push_back({tip, Mid(b1, b2), paper ? op.Fill.Color : op.Paint.Color});
  }
  return out;
}

// The unit direction from a to b.
QPointF Unit(const QPointF& a, const QPointF& b) {
  const QPointF d = b - a;
  const double len = std::hypot(d.x(), d.y());
  return len > 0 ? d / len : QPointF();
}

}  // namespace

// Every routing is drawn along its route, the same on screen and on paper, and ends in heads on
// its ends that point down the route: solid on a dashed line, filled in their colours.
TEST(LinkItem, EveryRoutingIsDrawnAlongItsRouteWithItsHeadsOnScreenAndOnPaper) {
  Linked k;
  k.link->SetLineType(3);
  k.link->SetFromType(4);
  k.link->SetFromColor(0xFFCC0000);
  k.link->SetToType(4);
  k.link->SetToColor(0xFF00AA00);
  PlanoraTest::RecordingContext c;  // 254 dpi
  const QPointF start = Dev(12000, 6000), end = Dev(35000, 32000);
  // Off every bent route: a quarter of the way along the straight one (the middle is not, since
  // a symmetric route passes through it).
  const QPointF quarter = start + (end - start) / 4;
  // Each head sits on its end and points along the route's first (last) piece: its barbs lie
  // towards the neighbour the route goes to. 3 mm long: 30 pixels at 254 dpi.
  const auto expectHeads = [&](const QPointF& from, const QPointF& fromAim, const QPointF& to, const QPointF& toAim) {
    for (bool paper : {false, true}) {
      SCOPED_TRACE(paper ? "paper heads" : "screen heads");
      c.Redraw(k.link, paper);
      const std::vector<Head> heads = FilledArrows(c.canvas, paper);
      ASSERT_EQ(heads.size(), 2u);
      EXPECT_EQ(heads[0].Color, 0xFFCC0000u);
      EXPECT_EQ(heads[1].Color, 0xFF00AA00u);
      EXPECT_LT(std::hypot(heads[0].Tip.x() - from.x(), heads[0].Tip.y() - from.y()), 0.01);
      EXPECT_LT(std::hypot(heads[1].Tip.x() - to.x(), heads[1].Tip.y() - to.y()), 0.01);
      const QPointF u0 = Unit(heads[0].Tip, heads[0].Back), e0 = Unit(from, fromAim);
      const QPointF u1 = Unit(heads[1].Tip, heads[1].Back), e1 = Unit(to, toAim);
      EXPECT_GT(u0.x() * e0.x() + u0.y() * e0.y(), 0.999) << "start head";
      EXPECT_GT(u1.x() * e1.x() + u1.y() * e1.y(), 0.999) << "end head";
      EXPECT_NEAR(std::hypot(heads[0].Back.x() - from.x(), heads[0].Back.y() - from.y()), 30, 1.5);
    }
  };
  for (TORVinkType type : {TORVinkType::Direct, TORVinkType::LRTB, TORVinkType::TBLR, TORVinkType::Step,
                           TORVinkType::PolyLine, TORVinkType::Arc, TORVinkType::Curve, TORVinkType::Round}) {
    SCOPED_TRACE("routing " + std::to_string(int(type)));
    const bool straight = type == TORVinkType::Direct;  // the diagonal between the ends is the route
    k.link->SetLinkType(type);
    if (type == TORVinkType::PolyLine) {
      k.link->ClearLinkPoints();
      k.link->SetBaseLinkPoint(1, 20000, 35000);
      k.link->SetBaseLinkPoint(2, 25000, 5000);
    }
    const TORVLinkGeom g = k.Geom();
    ASSERT_EQ(Dev(g.Start), start);
    ASSERT_EQ(Dev(g.End), end);
    // Points the route passes through, worked out from the geometry here.
    std::vector<QPointF> on;
    switch (type) {
      case TORVinkType::Arc:
        ASSERT_TRUE(g.HasCircle);
        on = {Dev(g.Through), Dev(g.CX + g.Radius * std::cos(g.StartAngle + g.Sweep / 4),
                                  g.CY + g.Radius * std::sin(g.StartAngle + g.Sweep / 4))};
        // The arc's heads follow its tangents: square to the radius at each end.
        EXPECT_NEAR(QPointF::dotProduct(Unit(Dev(g.CX, g.CY), start), Unit(start, Dev(g.C1))), 0, 1e-3);
        expectHeads(start, Dev(g.C1), end, Dev(g.C2));
        break;
      case TORVinkType::Curve:
        on = {Cubic(start, Dev(g.C1), Dev(g.C2), end, 0.5), Cubic(start, Dev(g.C1), Dev(g.C2), end, 0.2)};
        expectHeads(start, Dev(g.C1), end, Dev(g.C2));
        break;
      case TORVinkType::Round: {
        ASSERT_EQ(g.Points.size(), 14u);
        const auto p = [&](int i) { return Dev(g.Points[i - 1]); };
        // Both corners and the middle of the straight piece between them.
        on = {Cubic(p(3), p(4), p(5), p(6), 0.5), Cubic(p(9), p(10), p(11), p(12), 0.5), Mid(p(6), p(9))};
        expectHeads(start, p(1), end, p(14));
        break;
      }
      default: {
        const std::vector<QPointF> route = k.Route();
        ASSERT_EQ(route.size() > 2, !straight);
        for (std::size_t i = 0; i + 1 < route.size(); ++i) on.push_back(Mid(route[i], route[i + 1]));
        // The bends themselves: the corners are joined, not notched.
        for (std::size_t i = 1; i + 1 < route.size(); ++i) on.push_back(route[i]);
        expectHeads(start, route[1], end, route[route.size() - 2]);
        break;
      }
    }
    // Drawn solid for the probes: the dashes would leave gaps.
    k.link->SetLineType(0);
    const QImage screen = Render(k.link, false), paper = Render(k.link, true);
    k.link->SetLineType(3);
    for (const QPointF& p : on) {
      EXPECT_TRUE(InkAt(screen, p)) << "screen";
      EXPECT_TRUE(InkAt(paper, p)) << "paper";
    }
    for (const QImage* img : {&screen, &paper})
      EXPECT_TRUE(straight ? InkAt(*img, quarter) : BlankAt(*img, quarter)) << (img == &screen ? "screen" : "paper");
    // Screen and paper draw the same marks.
    EXPECT_TRUE(Covered(screen, paper, 2)) << "screen against paper";
    EXPECT_TRUE(Covered(paper, screen, 2)) << "paper against screen";
  }

  // An arc whose three points lie in a line, and a polyline without points, are drawn straight.
  k.link->SetLineType(0);
  k.link->SetLinkType(TORVinkType::Arc);
  k.link->SetBulge(0);
  ASSERT_FALSE(k.Geom().HasCircle);
  for (bool paper : {false, true}) EXPECT_TRUE(InkAt(Render(k.link, paper), quarter)) << paper;
  k.link->SetLinkType(TORVinkType::PolyLine);
  k.link->ClearLinkPoints();
  for (bool paper : {false, true}) EXPECT_TRUE(InkAt(Render(k.link, paper), quarter)) << paper;
  expectHeads(start, end, end, start);

  // A rounded route whose first and last straight pieces shrink to nothing still leaves and
  // enters square to the sides: the heads point across, not at a point on top of the end.
  k.link->SetLinkType(TORVinkType::Round);
  k.b->Move(-20000, 0);  // its left side 3 mm right of the first box: corners of 1.5 mm
  TORVLinkGeom g = k.Geom();
  ASSERT_EQ(g.Points.front(), g.Start) << "the case this is about";
  expectHeads(start, start + QPointF(10, 0), QPointF(150, 320), QPointF(140, 320));

  // While an end is missing nothing at all is drawn, not even a terminator.
  {
    TPLNUndoGroup step(k.doc);
    k.doc.DeleteItem(k.doc.IndexOf(k.b));
  }
  for (bool paper : {false, true}) EXPECT_EQ(c.Redraw(k.link, paper), std::vector<std::string>{}) << paper;
  k.doc.Undo();
  c.Redraw(k.link, true);
  EXPECT_EQ(FilledArrows(c.canvas, true).size(), 2u) << "back with its end";
}

// The line dashed, the terminators never: filled in their colours, outlined in the pen's.
TEST(LinkItem, TerminatorsAreSolidInTheirColoursAndTheSameSizeAtAnyScale) {
  Linked k;
  PlanoraTest::RecordingContext c;  // 254 dpi
  TPLNLink* l = k.link;
  l->SetPenWidth(300);
  l->SetColor(0xFF203040);
  l->SetLineType(3);
  l->SetFromType(4);
  l->SetFromColor(0xFFCC0000);
  l->SetToType(4);
  l->SetToColor(0xFF00AA00);
  l->SetLinkType(TORVinkType::Step);
  ASSERT_EQ(c.Redraw(l), (std::vector<std::string>{"DrawPath", "DrawPath", "DrawPath", "DrawPath", "DrawPath"}));
  EXPECT_FALSE(PlanoraTest::Dash(c.Op(0).Paint).empty()) << "the line is dashed";
  EXPECT_EQ(c.Op(0).Paint.StrokeJoin, TSkStrokeJoin::Miter);
  EXPECT_TRUE(c.Op(0).Paint.AntiAlias);
  for (std::size_t i = 1; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(c.Op(i).Paint.PathEffect, nullptr) << "a terminator is never dashed";
    EXPECT_EQ(c.Op(i).Paint.Style, i % 2 ? TSkPaintStyle::Fill : TSkPaintStyle::Stroke);
    EXPECT_EQ(c.Op(i).Paint.Color, i == 1 ? 0xFFCC0000u : i == 3 ? 0xFF00AA00u : 0xFF203040u);
  }
  c.Redraw(l, true);
  ASSERT_EQ(c.canvas.OpsNamed("P.FillPath").size(), 2u);
  const auto strokes = c.canvas.OpsNamed("P.DrawPath");
  ASSERT_EQ(strokes.size(), 3u);
  EXPECT_FALSE(strokes[0].Stroke.EffectiveDashArray().empty());
  EXPECT_EQ(strokes[0].Stroke.Join, TStrokeJoin::Miter);
  for (std::size_t i = 1; i < 3; ++i) {
    EXPECT_TRUE(strokes[i].Stroke.EffectiveDashArray().empty()) << "a terminator is never dashed on paper";
    EXPECT_EQ(strokes[i].Stroke.Color, 0xFF203040u);
  }

  // The same 3 mm at a drawing scale of 1:10 and at twice the resolution.
  l->SetLinkType(TORVinkType::Direct);
  for (auto [dpi, scale, length] : {std::tuple{254, 10, 30.0}, {508, 1, 60.0}}) {
    SCOPED_TRACE(dpi);
    c.d.SetResolution(dpi, dpi, scale);
    c.d.SetStandardWidths();
    for (bool paper : {false, true}) {
      c.Redraw(l, paper);
      const std::vector<Head> heads = FilledArrows(c.canvas, paper);
      ASSERT_EQ(heads.size(), 2u);
      EXPECT_NEAR(std::hypot(heads[1].Back.x() - heads[1].Tip.x(), heads[1].Back.y() - heads[1].Tip.y()), length,
                  length / 20);
    }
  }
}

TEST(LinkItem, ExportedPageShowsTheLinkWithItsHead) {
  TPlanoraFMX doc;
  doc.SetMeasure(PlanoraTest::Paper(60000, 40000));
  auto* a = MakeItem<TPLNRectangle>(doc, {{5000, 5000}, {15000, 15000}});
  auto* b = MakeItem<TPLNRectangle>(doc, {{40000, 25000}, {50000, 35000}});
  auto* l = new TPLNLink(&doc, false);
  l->SetEnds(a->GetID(), b->GetID());
  l->SetLinkType(TORVinkType::LRTB);
  l->SetFromIndex(7);
  l->SetToIndex(3);
  l->SetPenWidth(400);
  l->SetColor(0xFF000000);
  l->SetToType(4);
  l->SetToColor(0xFFD01010);
  const QString path = PlanoraTest::TmpPath("link.png");
  QFile::remove(path);
  ASSERT_TRUE(PlanoraTest::Export(doc, TORVExport::PNG, path, 1, 3).isEmpty());  // 288 dpi
  const QImage img = QImage(path).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(img.isNull());
  const auto Px = [](double x, double y) { return PlanoraTest::Px(x, y, 288); };
  // Across from the first box to above the second, then down into its top.
  EXPECT_TRUE(DarkNear(img, Px(30, 10).x(), Px(30, 10).y(), 2));
  EXPECT_TRUE(DarkNear(img, Px(45, 18).x(), Px(45, 18).y(), 2));
  EXPECT_TRUE(PlanoraTest::WhiteNear(img, Px(30, 20).x(), Px(30, 20).y(), 3));
  // The red head points down onto the top of the second box: red just above it.
  EXPECT_TRUE(PlanoraTest::ColorAt(img, Px(45, 23), QColor(0xD0, 0x10, 0x10), 40));
}
