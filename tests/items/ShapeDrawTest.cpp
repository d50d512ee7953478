// What the basic shapes draw on screen and on paper, at 254 dpi (1 mm = 10 px, 100 base units = 1 px).
#include <gtest/gtest.h>

#include <cmath>

#include "ORV.FMX.Items.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using PlanoraTest::Dash;
using PlanoraTest::MakeItem;
using Names = std::vector<std::string>;

TEST(Rectangle, OutlineLiesInsideTheBox) {
  PlanoraTest::RecordingContext c;
  auto* r = MakeItem<TPLNRectangle>(c.doc, {{10000, 10000}, {50000, 30000}});  // 100..500 x 100..300 px
  r->SetPenWidth(2000);                                                    // 2 mm = 20 px
  c.d.OriginX = 5;
  c.d.OriginY = 7;
  c.d.kP->PathEffect = TSkPathEffect::MakeDash({3, 3}, 0);  // left over from an earlier item
  ASSERT_EQ(c.Redraw(r), Names{"DrawRect"});
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(115, 117), QPointF(495, 297)));
  EXPECT_FLOAT_EQ(c.Op(0).Paint.StrokeWidth, 20);
  EXPECT_EQ(c.Op(0).Paint.PathEffect, nullptr);

  // Filled: the fill on the corner points, then the outline inside them as before.
  r->SetFilled(true);
  r->SetBackColor(0xFF00FF00);
  ASSERT_EQ(c.Redraw(r), (Names{"DrawRect", "DrawRect"}));
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(105, 107), QPointF(505, 307)));
  EXPECT_EQ(c.Op(0).Paint.Color, 0xFF00FF00u);
  EXPECT_EQ(c.Op(1).Rect, QRectF(QPointF(115, 117), QPointF(495, 297)));
  EXPECT_EQ(c.Op(1).Paint.Style, TSkPaintStyle::Stroke);

  // No pen: filled shows the fill alone, unfilled shows nothing.
  r->SetPenWidth(0);
  ASSERT_EQ(c.Redraw(r), Names{"DrawRect"});
  EXPECT_EQ(c.Op(0).Paint.Style, TSkPaintStyle::Fill);
  r->SetFilled(false);
  EXPECT_TRUE(c.Redraw(r).empty());

  // Corners given in any order make the same box; a radius rounds it in device pixels, and the
  // inset outline keeps the outer radius.
  r->AssignPoints({TORVPto{50000, 30000}, TORVPto{10000, 10000}});
  r->SetPenWidth(1000);
  r->SetBaseRadio(2000);
  ASSERT_EQ(c.Redraw(r), Names{"DrawRoundRect"});
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(110, 112), QPointF(500, 302)));
  EXPECT_EQ(c.Op(0).Args, (std::vector<double>{15, 15}));
  // A pen wider than the box fills it from both sides instead of turning it inside out.
  r->AssignPoints({TORVPto{10000, 10000}, TORVPto{11000, 30000}});
  r->SetBaseRadio(0);
  r->SetPenWidth(3000);
  ASSERT_EQ(c.Redraw(r), Names{"DrawRect"});
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(110, 122), QPointF(110, 292)));
}

TEST(Rectangle, HiddenFillIsHiddenOnPaperToo) {
  PlanoraTest::RecordingContext c;
  auto* r = MakeItem<TPLNRectangle>(c.doc, {{10000, 10000}, {50000, 30000}});
  r->SetPenWidth(1000);
  r->SetFilled(true);
  r->SetBackColor(0xFF0000FF);
  r->SetAlpha(false);
  ASSERT_EQ(c.Redraw(r), Names{"DrawRect"});
  EXPECT_EQ(c.Op(0).Paint.Style, TSkPaintStyle::Stroke);
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(105, 105), QPointF(495, 295)));  // inset like any lone outline

  c.d.IOriginX = 3;
  c.d.IOriginY = 4;
  r->SetBaseRadio(1500);
  ASSERT_EQ(c.Redraw(r, true), Names{"P.DrawRect"});
  r->SetAlpha(true);
  ASSERT_EQ(c.Redraw(r, true), (Names{"P.FillRect", "P.DrawRect"}));
  // The fill covers the box, the outline lies inside it with the outer radius kept. The radius
  // reaches the device in pixels of this device, not in millimetres.
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(103, 104), QPointF(503, 304)));
  EXPECT_EQ(c.Op(0).Args[0], 15);
  EXPECT_EQ(c.Op(1).Rect, QRectF(QPointF(108, 109), QPointF(498, 299)));
  EXPECT_EQ(c.Op(1).Args[1], 10);
  for (const TRecordedOp& op : c.canvas.Ops) EXPECT_EQ(unsigned(op.Args[2]), unsigned(AllCorners));
  EXPECT_EQ(c.Op(0).Fill.Color, 0xFF0000FFu);
  EXPECT_EQ(c.Op(1).Stroke.Thickness, 10);
  EXPECT_EQ(c.Op(1).Stroke.Join, TStrokeJoin::Miter);
  // Square corners, no pen: the fill alone, without corners.
  r->SetBaseRadio(0);
  r->SetPenWidth(0);
  ASSERT_EQ(c.Redraw(r, true), Names{"P.FillRect"});
  EXPECT_EQ(unsigned(c.Op(0).Args[2]), 0u);
}

TEST(Rectangle, DashFollowsItemStateAndDrawState) {
  PlanoraTest::RecordingContext c;
  auto* r = MakeItem<TPLNRectangle>(c.doc, {{0, 0}, {20000, 20000}});
  r->SetPenWidth(500);
  r->SetLineType(5);
  r->SetState(kStateSelected);
  c.Redraw(r);  // selected in the editor: 12/6 whatever the style
  EXPECT_EQ(Dash(c.Op(0).Paint), (std::vector<float>{12, 6}));
  c.d.DrawState = TORVDrawState::Export;  // exported: the item's own style
  c.Redraw(r);
  EXPECT_EQ(Dash(c.Op(0).Paint), (std::vector<float>{c.d.w2, c.d.w2}));
  // Printed: the same 2 mm lengths, relative to a 5 px pen.
  c.d.DrawState = TORVDrawState::Printing;
  ASSERT_EQ(c.Redraw(r, true), Names{"P.DrawRect"});
  EXPECT_EQ(c.Op(0).Stroke.Dash, TStrokeDash::Custom);
  ASSERT_EQ(c.Op(0).Stroke.DashArray.size(), 2u);
  EXPECT_NEAR(c.Op(0).Stroke.DashArray[0] * c.Op(0).Stroke.Thickness, 20, 1e-3);
}

TEST(CircleEllipse, ThreeCasesWithoutInset) {
  PlanoraTest::RecordingContext c;
  for (TPLN2DItem* item : {static_cast<TPLN2DItem*>(MakeItem<TPLNCircle>(c.doc, {{0, 0}, {10000, 10000}})),
                           static_cast<TPLN2DItem*>(MakeItem<TPLNEllipse>(c.doc, {{0, 0}, {20000, 10000}}))}) {
    SCOPED_TRACE(item->KindName().toStdString());
    const QRectF box(0, 0, item->GetWidth() / 100.0, item->GetHeight() / 100.0);
    item->SetPenWidth(2000);
    ASSERT_EQ(c.Redraw(item), Names{"DrawOval"});
    EXPECT_EQ(c.Op(0).Rect, box);
    EXPECT_EQ(c.Op(0).Paint.Style, TSkPaintStyle::Stroke);
    item->SetFilled(true);
    ASSERT_EQ(c.Redraw(item), (Names{"DrawOval", "DrawOval"}));
    EXPECT_EQ(c.Op(0).Paint.Style, TSkPaintStyle::Fill);
    ASSERT_EQ(c.Redraw(item, true), (Names{"P.FillEllipse", "P.DrawEllipse"}));
    EXPECT_EQ(c.Op(0).Rect, box);
    EXPECT_EQ(c.Op(1).Rect, box);
    EXPECT_EQ(c.Op(1).Stroke.Thickness, 20);
    // Alpha false: the outline alone, on screen and on paper.
    item->SetAlpha(false);
    EXPECT_EQ(c.Redraw(item), Names{"DrawOval"});
    EXPECT_EQ(c.Redraw(item, true), Names{"P.DrawEllipse"});
    item->SetAlpha(true);
    item->SetPenWidth(0);
    EXPECT_EQ(c.Redraw(item, true), Names{"P.FillEllipse"});
  }
}

TEST(Polygon, OutlinedInTheEditorEvenWithoutPenButNotOnPaper) {
  PlanoraTest::RecordingContext c;
  auto* p = MakeItem<TPLNPolygon>(c.doc, {{0, 0}, {10000, 0}, {10000, 10000}});
  p->SetPenWidth(0);
  p->SetFilled(true);
  p->SetLineType(2);
  c.d.DrawState = TORVDrawState::Editor;
  c.d.kP->PathEffect = TSkPathEffect::MakeDash({3, 3}, 0);
  ASSERT_EQ(c.Redraw(p), (Names{"DrawPath", "DrawPath"}));
  EXPECT_EQ(c.Op(0).Paint.Style, TSkPaintStyle::Fill);
  EXPECT_EQ(c.Op(0).Paint.PathEffect, nullptr);
  EXPECT_EQ(c.Op(1).Paint.Style, TSkPaintStyle::Stroke);
  EXPECT_EQ(c.Op(1).Paint.StrokeWidth, 0);
  EXPECT_EQ(Dash(c.Op(1).Paint), (std::vector<float>{c.d.w1, c.d.w1}));  // hairline dashes in pixels
  // An export shows what prints.
  c.d.DrawState = TORVDrawState::Export;
  EXPECT_EQ(c.Redraw(p), Names{"DrawPath"});

  EXPECT_EQ(c.Redraw(p, true), Names{"P.FillPolygon"});
  p->SetPenWidth(300);
  ASSERT_EQ(c.Redraw(p, true), (Names{"P.FillPolygon", "P.DrawPolygon"}));
  EXPECT_EQ(c.Op(1).Args, (std::vector<double>{0, 0, 100, 0, 100, 100}));
}

TEST(Sector, FullTurnIsAnOval) {
  PlanoraTest::RecordingContext c;
  auto* s = MakeItem<TPLNSector>(c.doc, {{0, 0}, {20000, 10000}});  // radius 5000 around (10000, 5000)
  s->SetPenWidth(500);
  s->SetAngleStart(30);
  s->SetAngleGap(360);
  ASSERT_EQ(c.Redraw(s), Names{"DrawOval"});
  EXPECT_EQ(c.Op(0).Rect, QRectF(50, 0, 100, 100));

  s->SetAngleGap(359.9);
  ASSERT_EQ(c.Redraw(s), Names{"DrawPath"});
  const QPainterPath path = c.Op(0).Path;
  EXPECT_EQ(QPointF(path.elementAt(0)), QPointF(100, 50));
  // Starts at 30 degrees clockwise: below the horizontal on the right.
  const QPointF first(path.elementAt(1));
  EXPECT_NEAR(first.x(), 100 + 50 * std::cos(M_PI / 6), 0.05);
  EXPECT_NEAR(first.y(), 50 + 50 * std::sin(M_PI / 6), 0.05);

  s->SetFilled(true);
  EXPECT_EQ(c.Redraw(s), (Names{"DrawPath", "DrawPath"}));
  EXPECT_EQ(c.Redraw(s, true), (Names{"P.FillPath", "P.DrawPath"}));
  s->SetAngleGap(360);
  EXPECT_EQ(c.Redraw(s, true), (Names{"P.FillEllipse", "P.DrawEllipse"}));
}

TEST(Bezier, SegmentsAndTerminators) {
  PlanoraTest::RecordingContext c;
  // Five points: one cubic through points 2 to 4; the fifth is ignored.
  auto* b = MakeItem<TPLNBezier>(c.doc, {{0, 0}, {1000, 0}, {2000, 1000}, {3000, 1000}, {9000, 9000}});
  QPainterPath path = b->GetPath(&c.d).Path;
  ASSERT_EQ(path.elementCount(), 4);
  EXPECT_EQ(QPointF(path.elementAt(3)), QPointF(30, 10));
  EXPECT_EQ(path.boundingRect().right(), 30);
  // Six points must not reach for a seventh.
  b->AssignPoints({TORVPto{0, 0}, {1000, 0}, {2000, 1000}, {3000, 1000}, {4000, 2000}, {5000, 2000}});
  EXPECT_EQ(b->GetPath(&c.d).Path.elementCount(), 4);

  b->SetPenWidth(500);
  b->FromType = 1;
  b->ToType = 6;
  EXPECT_EQ(c.Redraw(b), (Names{"DrawPath", "DrawOval", "DrawRect", "DrawRect"}));
  EXPECT_EQ(c.Op(0).Paint.StrokeCap, TSkStrokeCap::Butt);
  EXPECT_EQ(c.Redraw(b, true), (Names{"P.DrawPath", "P.DrawEllipse", "P.FillRect", "P.DrawRect"}));
  EXPECT_EQ(c.canvas.OpsNamed("P.FillRect")[0].Fill.Color, b->GetToColor());
  // Filled: a closed figure without ends, on screen and on paper.
  b->SetFilled(true);
  EXPECT_EQ(c.Redraw(b), (Names{"DrawPath", "DrawPath"}));
  EXPECT_EQ(c.Redraw(b, true), (Names{"P.FillPath", "P.DrawPath"}));
  // Too few points for a curve: nothing at all.
  b->SetFilled(false);
  b->AssignPoints({TORVPto{0, 0}, {1000, 0}, {2000, 1000}});
  EXPECT_TRUE(c.Redraw(b).empty());
  EXPECT_TRUE(c.Redraw(b, true).empty());
}

TEST(PointAndLine, ScreenAndPaper) {
  PlanoraTest::RecordingContext c;
  auto* p = MakeItem<TPLNPoint>(c.doc, {{10000, 20000}});
  p->SetLineType(7);
  c.d.DrawState = TORVDrawState::Export;
  ASSERT_EQ(c.Redraw(p), Names{"DrawOval"});
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(95, 195), QPointF(105, 205)));  // 0.5 mm around, always solid
  EXPECT_EQ(c.Op(0).Paint.PathEffect, nullptr);
  ASSERT_EQ(c.Redraw(p, true), Names{"P.DrawEllipse"});
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(95, 195), QPointF(105, 205)));
  EXPECT_EQ(c.Op(0).Stroke.Dash, TStrokeDash::Solid);

  auto* l = MakeItem<TPLNLine>(c.doc, {{1049, 2051}, {3000, 4000}});
  c.d.OriginX = 0.5f;
  ASSERT_EQ(c.Redraw(l), Names{"DrawLine"});
  EXPECT_NEAR(c.Op(0).Args[0], 10.99, 1e-4);
  // Paper: whole pixels plus the integer origin.
  c.d.IOriginX = 2;
  ASSERT_EQ(c.Redraw(l, true), Names{"P.DrawLine"});
  EXPECT_EQ(c.Op(0).Args, (std::vector<double>{12, 21, 32, 40}));
}

TEST(PolyLine, TerminatorsAreSolidAndPointAlongTheLine) {
  PlanoraTest::RecordingContext c;
  auto* pl = MakeItem<TPLNPolyLine>(c.doc, {{0, 0}, {10000, 0}, {10000, 10000}});
  pl->SetLineType(3);
  pl->SetPenWidth(300);
  pl->FromType = 3;
  pl->ToType = 4;
  pl->ToColor = 0xFF00FF00;
  pl->SizeTo = 2;  // mm: half size 10 px, head 20 px
  c.d.DrawState = TORVDrawState::Export;
  ASSERT_EQ(c.Redraw(pl), (Names{"DrawPath", "DrawLine", "DrawLine", "DrawPath", "DrawPath"}));
  EXPECT_NE(c.Op(0).Paint.PathEffect, nullptr);
  for (size_t i = 1; i < c.canvas.Ops.size(); ++i) EXPECT_EQ(c.Op(i).Paint.PathEffect, nullptr);
  EXPECT_EQ(c.Op(3).Paint.Color, 0xFF00FF00u);
  // The end head points down along the last segment: barbs above the tip.
  const QRectF head = c.Op(3).Path.boundingRect();
  EXPECT_NEAR(head.top(), 80, 1e-3);
  EXPECT_NEAR(head.bottom(), 100, 1e-3);

  ASSERT_EQ(c.Redraw(pl, true), (Names{"P.DrawPath", "P.DrawLine", "P.DrawLine", "P.FillPath", "P.DrawPath"}));
  EXPECT_EQ(c.Op(0).Stroke.Dash, TStrokeDash::Custom);
  for (size_t i = 1; i < c.canvas.Ops.size(); ++i) EXPECT_EQ(c.Op(i).Stroke.Dash, TStrokeDash::Solid);
  // The start head (3 mm, 30 px long) points left, away from the line: its barbs lie on the line side.
  EXPECT_NEAR(c.Op(1).Args[2], 30, 1e-3);
}

TEST(Arc, DegreesAndTerminatorsByAngle) {
  PlanoraTest::RecordingContext c;
  auto* a = new TPLNArc(&c.doc, false);
  a->SetCircle(TORVPto{10000, 10000}, 5000);
  a->SetAngles(0, M_PI / 2);  // clockwise from the right to the bottom
  a->SetPenWidth(500);
  a->FromType = a->ToType = 3;
  a->SizeFrom = a->SizeTo = 1;  // head 10 px
  ASSERT_EQ(c.Redraw(a), (Names{"DrawArc", "DrawLine", "DrawLine", "DrawLine", "DrawLine"}));
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

  // Counter-clockwise both heads turn round: the start (100, 150) head points left, the end
  // (150, 100) head up.
  a->SetAngles(M_PI / 2, -M_PI / 2);
  c.Redraw(a);
  EXPECT_EQ(c.Op(1).Args[1], 150);
  EXPECT_NEAR(c.Op(1).Args[2], 110, 1e-3);
  EXPECT_NEAR(c.Op(3).Args[3], 110, 1e-3);

  c.d.IOriginX = 1;
  ASSERT_EQ(c.Redraw(a, true), (Names{"P.DrawArc", "P.DrawLine", "P.DrawLine", "P.DrawLine", "P.DrawLine"}));
  EXPECT_EQ(c.Op(0).Args[0], 101);
  EXPECT_EQ(c.Op(0).Args[2], 50);
  EXPECT_NEAR(c.Op(0).Args[4], 90, 1e-4);
  EXPECT_NEAR(c.Op(0).Args[5], -90, 1e-4);
}
