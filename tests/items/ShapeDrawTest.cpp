// What the basic shapes draw on screen and on paper.
#include <gtest/gtest.h>

#include <cmath>

#include "ItemTestContext.h"
#include "ORV.FMX.Items.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;

namespace {
template <class T>
T* Box(TPLNBaseLabel& doc, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  auto* item = new T(&doc, false);
  item->AssignPoints({TORVPto{x1, y1}, TORVPto{x2, y2}});
  return item;
}

std::vector<float> Dash(const TSkPaint& p) { return p.PathEffect ? p.PathEffect->Intervals() : std::vector<float>{}; }
}  // namespace

TEST(Rectangle, LoneOutlineIsInsetByHalfThePen) {
  ItemContext c;
  auto* r = Box<TPLNRectangle>(c.doc, 10000, 10000, 50000, 30000);  // 100..500 x 100..300 px
  r->SetPenWidth(2000);                                            // 2 mm = 20 px
  r->SetColor(0xFFFF0000);
  c.d.OriginX = 5;
  c.d.OriginY = 7;
  c.d.kP->PathEffect = TSkPathEffect::MakeDash({3, 3}, 0);  // left over from an earlier item

  r->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"DrawRect"});
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(115, 117), QPointF(495, 297)));
  EXPECT_FLOAT_EQ(c.Op(0).Paint.StrokeWidth, 20);
  EXPECT_EQ(c.Op(0).Paint.PathEffect, nullptr);

  // Filled: the fill and then the outline, both on the corner points.
  r->SetFilled(true);
  r->SetBackColor(0xFF00FF00);
  c.canvas.Clear();
  r->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), (std::vector<std::string>{"DrawRect", "DrawRect"}));
  const QRectF exact(QPointF(105, 107), QPointF(505, 307));
  EXPECT_EQ(c.Op(0).Rect, exact);
  EXPECT_EQ(c.Op(0).Paint.Color, 0xFF00FF00u);
  EXPECT_EQ(c.Op(1).Rect, exact);
  EXPECT_EQ(c.Op(1).Paint.Style, TSkPaintStyle::Stroke);

  // No pen: filled shows the fill alone, unfilled shows nothing.
  r->SetPenWidth(0);
  c.canvas.Clear();
  r->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"DrawRect"});
  EXPECT_EQ(c.Op(0).Paint.Style, TSkPaintStyle::Fill);
  r->SetFilled(false);
  c.canvas.Clear();
  r->Draw(&c.d);
  EXPECT_TRUE(c.canvas.Ops.empty());

  // Corners given in any order make the same box; a radius rounds it in device pixels.
  r->AssignPoints({TORVPto{50000, 30000}, TORVPto{10000, 10000}});
  r->SetPenWidth(1000);
  r->SetBaseRadio(2000);
  c.canvas.Clear();
  r->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"DrawRoundRect"});
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(110, 112), QPointF(500, 302)));
  EXPECT_EQ(c.Op(0).Args, (std::vector<double>{20, 20}));
}

TEST(Rectangle, HiddenFillShowsOnlyOnPaper) {
  ItemContext c;
  auto* r = Box<TPLNRectangle>(c.doc, 10000, 10000, 50000, 30000);
  r->SetPenWidth(1000);
  r->SetFilled(true);
  r->SetBackColor(0xFF0000FF);
  r->SetAlpha(false);
  r->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"DrawRect"});
  EXPECT_EQ(c.Op(0).Paint.Style, TSkPaintStyle::Stroke);
  // Inset like any lone outline.
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(105, 105), QPointF(495, 295)));

  c.canvas.Clear();
  c.d.IOriginX = 3;
  c.d.IOriginY = 4;
  r->SetBaseRadio(1500);
  r->Print(&c.d);
  ASSERT_EQ(c.canvas.Names(), (std::vector<std::string>{"P.FillRect", "P.DrawRect"}));
  const QRectF box(QPointF(103, 104), QPointF(503, 304));
  for (const TRecordedOp& op : c.canvas.Ops) {
    EXPECT_EQ(op.Rect, box);
    // The radius reaches the device in pixels of this device, not in millimetres.
    EXPECT_EQ(op.Args[0], 15);
    EXPECT_EQ(op.Args[1], 15);
    EXPECT_EQ(unsigned(op.Args[2]), unsigned(AllCorners));
  }
  EXPECT_EQ(c.Op(0).Fill.Color, 0xFF0000FFu);
  EXPECT_EQ(c.Op(1).Stroke.Thickness, 10);

  // Square corners, no pen: the fill alone, without corners.
  r->SetBaseRadio(0);
  r->SetPenWidth(0);
  c.canvas.Clear();
  r->Print(&c.d);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"P.FillRect"});
  EXPECT_EQ(c.Op(0).Args[0], 0);
  EXPECT_EQ(unsigned(c.Op(0).Args[2]), 0u);
}

TEST(Rectangle, DashFollowsItemStateAndDrawState) {
  ItemContext c;
  auto* r = Box<TPLNRectangle>(c.doc, 0, 0, 20000, 20000);
  r->SetPenWidth(500);
  r->SetLineType(5);
  r->SetState(kStateSelected);
  // Selected in the editor: 12/6 whatever the style.
  r->Draw(&c.d);
  EXPECT_EQ(Dash(c.Op(0).Paint), (std::vector<float>{12, 6}));
  // Exported: the item's own style.
  c.d.DrawState = TORVDrawState::Export;
  c.canvas.Clear();
  r->Draw(&c.d);
  EXPECT_EQ(Dash(c.Op(0).Paint), (std::vector<float>{c.d.w2, c.d.w2}));
  // Printed: the same 2 mm lengths, relative to a 5 px pen.
  c.d.DrawState = TORVDrawState::Printing;
  c.canvas.Clear();
  r->Print(&c.d);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"P.DrawRect"});
  EXPECT_EQ(c.Op(0).Stroke.Dash, TStrokeDash::Custom);
  ASSERT_EQ(c.Op(0).Stroke.DashArray.size(), 2u);
  EXPECT_NEAR(c.Op(0).Stroke.DashArray[0] * c.Op(0).Stroke.Thickness, 20, 1e-3);
}

TEST(CircleEllipse, ThreeCasesWithoutInset) {
  ItemContext c;
  auto* circle = Box<TPLNCircle>(c.doc, 0, 0, 10000, 10000);
  auto* ellipse = Box<TPLNEllipse>(c.doc, 0, 0, 20000, 10000);
  for (TPLN2DItem* item : {static_cast<TPLN2DItem*>(circle), static_cast<TPLN2DItem*>(ellipse)}) {
    SCOPED_TRACE(item->KindName().toStdString());
    const QRectF box(0, 0, item->GetWidth() / 100.0, item->GetHeight() / 100.0);
    item->SetPenWidth(2000);
    c.canvas.Clear();
    item->Draw(&c.d);
    ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"DrawOval"});
    EXPECT_EQ(c.Op(0).Rect, box);
    EXPECT_EQ(c.Op(0).Paint.Style, TSkPaintStyle::Stroke);

    item->SetFilled(true);
    c.canvas.Clear();
    item->Draw(&c.d);
    ASSERT_EQ(c.canvas.Names(), (std::vector<std::string>{"DrawOval", "DrawOval"}));
    EXPECT_EQ(c.Op(0).Paint.Style, TSkPaintStyle::Fill);

    item->SetAlpha(false);
    c.canvas.Clear();
    item->Draw(&c.d);
    EXPECT_EQ(c.canvas.Names(), std::vector<std::string>{"DrawOval"});

    c.canvas.Clear();
    item->Print(&c.d);
    ASSERT_EQ(c.canvas.Names(), (std::vector<std::string>{"P.FillEllipse", "P.DrawEllipse"}));
    EXPECT_EQ(c.Op(0).Rect, box);
    EXPECT_EQ(c.Op(1).Stroke.Thickness, 20);

    item->SetPenWidth(0);
    c.canvas.Clear();
    item->Print(&c.d);
    EXPECT_EQ(c.canvas.Names(), std::vector<std::string>{"P.FillEllipse"});
  }
}

TEST(Polygon, OutlinedOnScreenEvenWithoutPenButNotOnPaper) {
  ItemContext c;
  auto* p = new TPLNPolygon(&c.doc, false);
  p->AssignPoints({TORVPto{0, 0}, TORVPto{10000, 0}, TORVPto{10000, 10000}});
  p->SetPenWidth(0);
  p->SetFilled(true);
  p->SetLineType(2);
  c.d.DrawState = TORVDrawState::Export;
  c.d.kP->PathEffect = TSkPathEffect::MakeDash({3, 3}, 0);
  p->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), (std::vector<std::string>{"DrawPath", "DrawPath"}));
  EXPECT_EQ(c.Op(0).Paint.Style, TSkPaintStyle::Fill);
  EXPECT_EQ(c.Op(0).Paint.PathEffect, nullptr);
  EXPECT_EQ(c.Op(1).Paint.Style, TSkPaintStyle::Stroke);
  EXPECT_EQ(c.Op(1).Paint.StrokeWidth, 0);
  EXPECT_EQ(Dash(c.Op(1).Paint), (std::vector<float>{c.d.w1, c.d.w1}));

  c.canvas.Clear();
  p->Print(&c.d);
  EXPECT_EQ(c.canvas.Names(), std::vector<std::string>{"P.FillPolygon"});
  p->SetPenWidth(300);
  c.canvas.Clear();
  p->Print(&c.d);
  ASSERT_EQ(c.canvas.Names(), (std::vector<std::string>{"P.FillPolygon", "P.DrawPolygon"}));
  EXPECT_EQ(c.Op(1).Args, (std::vector<double>{0, 0, 100, 0, 100, 100}));
}

TEST(Sector, FullTurnIsAnOvalAndNothingPrints) {
  ItemContext c;
  auto* s = Box<TPLNSector>(c.doc, 0, 0, 20000, 10000);  // radius 5000 around (10000, 5000)
  s->SetPenWidth(500);
  s->SetAngleStart(30);
  s->SetAngleGap(360);
  s->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"DrawOval"});
  EXPECT_EQ(c.Op(0).Rect, QRectF(50, 0, 100, 100));

  s->SetAngleGap(359.9);
  c.canvas.Clear();
  s->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"DrawPath"});
  const QPainterPath path = c.Op(0).Path;
  EXPECT_EQ(QPointF(path.elementAt(0)), QPointF(100, 50));
  // Starts at 30 degrees clockwise: below the horizontal on the right.
  const QPointF first(path.elementAt(1));
  EXPECT_NEAR(first.x(), 100 + 50 * std::cos(M_PI / 6), 0.05);
  EXPECT_NEAR(first.y(), 50 + 50 * std::sin(M_PI / 6), 0.05);

  s->SetFilled(true);
  c.canvas.Clear();
  s->Draw(&c.d);
  EXPECT_EQ(c.canvas.Names(), (std::vector<std::string>{"DrawPath", "DrawPath"}));
  c.canvas.Clear();
  s->Print(&c.d);
  EXPECT_TRUE(c.canvas.Ops.empty());
}

TEST(Bezier, SegmentsAndTerminators) {
  ItemContext c;
  auto* b = new TPLNBezier(&c.doc, false);
  b->AssignPoints({TORVPto{0, 0}, TORVPto{1000, 0}, TORVPto{2000, 1000}, TORVPto{3000, 1000}, TORVPto{9000, 9000}});
  // Five points: one cubic through points 2 to 4; the fifth is ignored.
  QPainterPath path = b->GetPath(&c.d).Path;
  ASSERT_EQ(path.elementCount(), 4);
  EXPECT_EQ(QPointF(path.elementAt(3)), QPointF(30, 10));
  EXPECT_EQ(path.boundingRect().right(), 30);

  // Six points must not reach for a seventh.
  b->AssignPoints({TORVPto{0, 0}, TORVPto{1000, 0}, TORVPto{2000, 1000}, TORVPto{3000, 1000}, TORVPto{4000, 2000},
                   TORVPto{5000, 2000}});
  EXPECT_EQ(b->GetPath(&c.d).Path.elementCount(), 4);

  b->SetPenWidth(500);
  b->FromType = 1;
  b->ToType = 6;
  b->Draw(&c.d);
  EXPECT_EQ(c.canvas.Names(), (std::vector<std::string>{"DrawPath", "DrawOval", "DrawRect", "DrawRect"}));
  EXPECT_EQ(c.Op(0).Paint.StrokeCap, TSkStrokeCap::Round);

  // Filled: a closed figure without ends on screen, but the ends print.
  b->SetFilled(true);
  c.canvas.Clear();
  b->Draw(&c.d);
  EXPECT_EQ(c.canvas.Names(), (std::vector<std::string>{"DrawPath", "DrawPath"}));
  c.canvas.Clear();
  b->Print(&c.d);
  EXPECT_EQ(c.canvas.Names(),
            (std::vector<std::string>{"P.FillPath", "P.DrawPath", "P.DrawEllipse", "P.FillRect", "P.DrawRect"}));
  EXPECT_EQ(c.canvas.OpsNamed("P.FillRect")[0].Fill.Color, b->GetToColor());

  // Too few points for a curve: no path on paper, the ends still print.
  b->AssignPoints({TORVPto{0, 0}, TORVPto{1000, 0}, TORVPto{2000, 1000}});
  c.canvas.Clear();
  b->Print(&c.d);
  EXPECT_EQ(c.canvas.Count("P.DrawPath"), 0);
  EXPECT_EQ(c.canvas.Count("P.DrawEllipse"), 1);
}

TEST(PointAndLine, ScreenAndPaper) {
  ItemContext c;
  auto* p = new TPLNPoint(&c.doc, false);
  p->AssignPoints({TORVPto{10000, 20000}});
  p->SetLineType(7);
  c.d.DrawState = TORVDrawState::Export;
  p->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"DrawOval"});
  // A circle of 0.5 mm around the point, always solid.
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(95, 195), QPointF(105, 205)));
  EXPECT_EQ(c.Op(0).Paint.PathEffect, nullptr);
  c.canvas.Clear();
  p->Print(&c.d);
  EXPECT_TRUE(c.canvas.Ops.empty());

  auto* l = new TPLNLine(&c.doc, false);
  l->AssignPoints({TORVPto{1049, 2051}, TORVPto{3000, 4000}});
  c.d.OriginX = 0.5f;
  l->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"DrawLine"});
  EXPECT_NEAR(c.Op(0).Args[0], 10.99, 1e-4);
  // Paper: whole pixels plus the integer origin.
  c.d.IOriginX = 2;
  c.canvas.Clear();
  l->Print(&c.d);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"P.DrawLine"});
  EXPECT_EQ(c.Op(0).Args, (std::vector<double>{12, 21, 32, 40}));
}

TEST(PolyLine, TerminatorsAreSolidAfterADashedLine) {
  ItemContext c;
  auto* pl = new TPLNPolyLine(&c.doc, false);
  pl->AssignPoints({TORVPto{0, 0}, TORVPto{10000, 0}, TORVPto{10000, 10000}});
  pl->SetLineType(3);
  pl->SetPenWidth(300);
  pl->FromType = 3;
  pl->ToType = 4;
  pl->ToColor = 0xFF00FF00;
  pl->SizeTo = 2;  // mm: half size 10 px, head 20 px
  c.d.DrawState = TORVDrawState::Export;
  pl->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), (std::vector<std::string>{"DrawPath", "DrawLine", "DrawLine", "DrawPath", "DrawPath"}));
  EXPECT_NE(c.Op(0).Paint.PathEffect, nullptr);
  for (size_t i = 1; i < c.canvas.Ops.size(); ++i) EXPECT_EQ(c.Op(i).Paint.PathEffect, nullptr);
  EXPECT_EQ(c.Op(3).Paint.Color, 0xFF00FF00u);
  // The end head points down along the last segment: barbs above the tip.
  const QRectF head = c.Op(3).Path.boundingRect();
  EXPECT_NEAR(head.top(), 80, 1e-3);
  EXPECT_NEAR(head.bottom(), 100, 1e-3);

  c.canvas.Clear();
  pl->Print(&c.d);
  ASSERT_EQ(c.canvas.Names(),
            (std::vector<std::string>{"P.DrawPath", "P.DrawLine", "P.DrawLine", "P.FillPath", "P.DrawPath"}));
  EXPECT_EQ(c.Op(0).Stroke.Dash, TStrokeDash::Custom);
  for (size_t i = 1; i < c.canvas.Ops.size(); ++i) EXPECT_EQ(c.Op(i).Stroke.Dash, TStrokeDash::Solid);
  EXPECT_EQ(c.Op(3).Fill.Color, 0xFF00FF00u);
  // The start head (3 mm, 30 px long) points left, away from the line: its barbs lie on the line side.
  EXPECT_NEAR(c.Op(1).Args[2], 30, 1e-3);
}

TEST(Arc, DegreesAndTerminatorsByAngle) {
  ItemContext c;
  auto* a = new TPLNArc(&c.doc, false);
  a->SetCircle(TORVPto{10000, 10000}, 5000);
  a->SetAngles(0, M_PI / 2);  // clockwise from the right to the bottom
  a->SetPenWidth(500);
  a->FromType = 3;
  a->ToType = 3;
  a->SizeFrom = a->SizeTo = 1;  // head 10 px
  a->Draw(&c.d);
  ASSERT_EQ(c.canvas.Names(), (std::vector<std::string>{"DrawArc", "DrawLine", "DrawLine", "DrawLine", "DrawLine"}));
  EXPECT_EQ(c.Op(0).Rect, QRectF(50, 50, 100, 100));
  EXPECT_NEAR(c.Op(0).Args[0], 0, 1e-4);
  EXPECT_NEAR(c.Op(0).Args[1], 90, 1e-4);
  EXPECT_EQ(c.Op(0).Args[2], 0);
  // Start (150, 100): the arc leaves downwards, so the head points up with its barbs below.
  EXPECT_EQ(c.Op(1).Args[0], 150);
  EXPECT_NEAR(c.Op(1).Args[3], 110, 1e-3);
  // End (100, 150): the arc arrives moving left, the head points left with its barbs to the right.
  EXPECT_EQ(c.Op(3).Args[1], 150);
  EXPECT_NEAR(c.Op(3).Args[2], 110, 1e-3);

  // Counter-clockwise: both heads turn round.
  a->SetAngles(M_PI / 2, -M_PI / 2);
  c.canvas.Clear();
  a->Draw(&c.d);
  // Start (100, 150) is left moving right: the head points left. End (150, 100) is reached moving
  // up: the head points up.
  EXPECT_EQ(c.Op(1).Args[1], 150);
  EXPECT_NEAR(c.Op(1).Args[2], 110, 1e-3);
  EXPECT_NEAR(c.Op(3).Args[3], 110, 1e-3);

  c.canvas.Clear();
  c.d.IOriginX = 1;
  a->Print(&c.d);
  ASSERT_EQ(c.canvas.Names(),
            (std::vector<std::string>{"P.DrawArc", "P.DrawLine", "P.DrawLine", "P.DrawLine", "P.DrawLine"}));
  EXPECT_EQ(c.Op(0).Args[0], 101);
  EXPECT_EQ(c.Op(0).Args[2], 50);
  EXPECT_NEAR(c.Op(0).Args[4], 90, 1e-4);
  EXPECT_NEAR(c.Op(0).Args[5], -90, 1e-4);
}
