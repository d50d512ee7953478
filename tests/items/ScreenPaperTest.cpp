// The screen (and bitmap export) and the paper draw the same marks for an item: the same shapes
// filled or stroked, in the same colours, with the same pen, ends, corners and dashes. Both sides
// are recorded at 254 dpi with the same cell origin, from a host paint that starts with round
// ends and joins, as the editor's and the export's do.
#include <gtest/gtest.h>

#include <cmath>

#include "ORV.FMX.Items.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using PlanoraTest::Dash;
using PlanoraTest::MakeItem;

namespace {

// One mark on the device, whichever canvas made it.
struct TMark {
  bool Fill = false;
  QPainterPath Path;  // device coordinates
  TAlphaColor Color = 0;
  float Width = 0;
  int Cap = 0, Join = 0;  // the two canvases order their caps and joins alike
  std::vector<float> Dash;  // device pixels
};

bool Skipped(const std::string& name) {
  return name == "DrawSimpleText" || name == "P.FillText" || name.rfind("Draw", 0) != 0;
}

std::vector<TMark> ScreenMarks(const TRecordingCanvas& canvas) {
  std::vector<TMark> out;
  for (const TRecordedOp& op : canvas.Ops) {
    if (Skipped(op.Name)) continue;
    TMark m;
    m.Fill = op.Paint.Style == TSkPaintStyle::Fill;
    m.Path = op.Matrix.map(op.Path);
    m.Color = op.Paint.Color;
    m.Width = op.Paint.StrokeWidth;
    m.Cap = int(op.Paint.StrokeCap);
    m.Join = int(op.Paint.StrokeJoin);
    m.Dash = Dash(op.Paint);
    out.push_back(m);
  }
  return out;
}

std::vector<TMark> PaperMarks(const TRecordingCanvas& canvas) {
  std::vector<TMark> out;
  for (const TRecordedOp& op : canvas.Ops) {
    const bool fill = op.Name.rfind("P.Fill", 0) == 0, stroke = op.Name.rfind("P.Draw", 0) == 0;
    if ((!fill && !stroke) || op.Name == "P.FillText" || op.Name == "P.DrawBitmap") continue;
    TMark m;
    m.Fill = fill;
    m.Path = op.Matrix.map(op.Path);
    m.Color = fill ? op.Fill.Color : op.Stroke.Color;
    m.Width = op.Stroke.Thickness;
    m.Cap = int(op.Stroke.Cap);
    m.Join = int(op.Stroke.Join);
    for (float v : op.Stroke.EffectiveDashArray()) m.Dash.push_back(v * op.Stroke.Thickness);
    out.push_back(m);
  }
  return out;
}

// Same bounds and the same covered area (probed on a grid that avoids the edges).
::testing::AssertionResult SameShape(const QPainterPath& a, const QPainterPath& b) {
  const QRectF ra = a.boundingRect(), rb = b.boundingRect();
  for (auto [u, v] : {std::pair{ra.left(), rb.left()}, {ra.top(), rb.top()}, {ra.right(), rb.right()}, {ra.bottom(), rb.bottom()}})
    if (std::abs(u - v) > 0.01)
      return ::testing::AssertionFailure() << "bounds " << ra.x() << "," << ra.y() << " " << ra.width() << "x" << ra.height()
                                           << " against " << rb.x() << "," << rb.y() << " " << rb.width() << "x" << rb.height();
  for (int i = 0; i < 16; ++i)
    for (int j = 0; j < 16; ++j) {
      const QPointF p(ra.left() + ra.width() * (i + 0.37) / 16, ra.top() + ra.height() * (j + 0.41) / 16);
      if (a.contains(p) != b.contains(p)) return ::testing::AssertionFailure() << "differ at " << p.x() << "," << p.y();
    }
  return ::testing::AssertionSuccess();
}

void ExpectSameMarks(PlanoraTest::RecordingContext& c, TPLNBaseItem* item) {
  c.canvas.Clear();
  c.d.DrawState = TORVDrawState::Export;
  item->Draw(&c.d);
  const std::vector<TMark> screen = ScreenMarks(c.canvas);
  c.canvas.Clear();
  c.d.DrawState = TORVDrawState::Printing;
  item->Print(&c.d);
  const std::vector<TMark> paper = PaperMarks(c.canvas);
  ASSERT_EQ(screen.size(), paper.size()) << "marks on screen and on paper";
  for (size_t i = 0; i < screen.size(); ++i) {
    SCOPED_TRACE("mark " + std::to_string(i));
    const TMark &s = screen[i], &p = paper[i];
    ASSERT_EQ(s.Fill, p.Fill);
    EXPECT_EQ(s.Color, p.Color);
    EXPECT_TRUE(SameShape(s.Path, p.Path));
    if (s.Fill) continue;
    EXPECT_FLOAT_EQ(s.Width, p.Width);
    EXPECT_EQ(s.Cap, p.Cap) << "line ends";
    EXPECT_EQ(s.Join, p.Join) << "corners";
    ASSERT_EQ(s.Dash.size(), p.Dash.size());
    for (size_t k = 0; k < s.Dash.size(); ++k) EXPECT_NEAR(s.Dash[k], p.Dash[k], 1e-3);
  }
}

struct Agreement : ::testing::Test {
  PlanoraTest::RecordingContext c;
  void SetUp() override {
    c.d.OriginX = c.d.IOriginX = 30;
    c.d.OriginY = c.d.IOriginY = 40;
    c.d.kP->StrokeCap = TSkStrokeCap::Round;
    c.d.kP->StrokeJoin = TSkStrokeJoin::Round;
  }
};

}  // namespace

TEST_F(Agreement, FramesFillsAndCorners) {
  // A frame's stroke lies inside its box on both, whether filled or not; a hidden fill is hidden
  // on both.
  auto* r = MakeItem<TPLNRectangle>(c.doc, {{10000, 10000}, {50000, 30000}});
  r->SetPenWidth(2000);
  r->SetColor(0xFF112233);
  r->SetBackColor(0xFF445566);
  for (int k = 0; k < 6; ++k) {
    SCOPED_TRACE("rectangle " + std::to_string(k));
    r->SetFilled(k >= 2);
    r->SetAlpha(k != 2 && k != 3);
    r->SetBaseRadio(k % 2 ? 3000 : 0);
    r->SetLineType(k == 4 ? 3 : 0);
    ExpectSameMarks(c, r);
  }
  // The lone outline's outer edge is the box itself.
  r->SetFilled(false);
  r->SetBaseRadio(0);
  c.Redraw(r, true);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"P.DrawRect"});
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(140, 150), QPointF(520, 330)));

  // A paragraph's frame follows the same rules.
  auto* para = MakeItem<TPLNParagraph>(c.doc, {{60000, 10000}, {90000, 40000}});
  para->SetText(QStringLiteral("frame"));
  para->SetPenWidth(1500);
  para->SetBackColor(0xFF00AA00);
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE("paragraph " + std::to_string(k));
    para->SetFilled(k > 0);
    para->SetAlpha(k != 1);
    para->SetBaseRadio(k == 2 ? 2000 : 0);
    ExpectSameMarks(c, para);
  }

  auto* e = MakeItem<TPLNEllipse>(c.doc, {{0, 0}, {20000, 10000}});
  e->SetPenWidth(700);
  e->SetFilled(true);
  e->SetAlpha(false);
  ExpectSameMarks(c, e);

  auto* poly = MakeItem<TPLNPolygon>(c.doc, {{0, 0}, {10000, 0}, {2000, 3000}});
  poly->SetFilled(true);
  for (double pen : {1500.0, 0.0}) {
    poly->SetPenWidth(pen);
    ExpectSameMarks(c, poly);
  }
  auto* pl = MakeItem<TPLNPolyLine>(c.doc, {{0, 0}, {10000, 0}, {2000, 3000}});
  pl->SetPenWidth(1500);
  pl->ToType = 4;
  pl->SizeTo = 2;
  ExpectSameMarks(c, pl);
}

TEST_F(Agreement, SectorsAndPointsPrint) {
  auto* s = MakeItem<TPLNSector>(c.doc, {{0, 0}, {20000, 20000}});
  s->SetPenWidth(1200);
  s->SetAngleStart(30);
  s->SetBackColor(0xFF0000FF);
  for (double gap : {100.0, 360.0}) {
    for (bool filled : {false, true}) {
      SCOPED_TRACE("gap " + std::to_string(gap) + (filled ? " filled" : ""));
      s->SetAngleGap(gap);
      s->SetFilled(filled);
      ExpectSameMarks(c, s);
    }
  }
  s->SetAngleGap(100);
  c.Redraw(s, true);
  ASSERT_EQ(c.canvas.Names(), (std::vector<std::string>{"P.FillPath", "P.DrawPath"}));
  // The wedge runs from the centre (130, 140 with the origin) out to the arc.
  EXPECT_EQ(QPointF(c.Op(0).Path.elementAt(0)), QPointF(130, 140));

  auto* p = MakeItem<TPLNPoint>(c.doc, {{10000, 20000}});
  p->SetPenWidth(300);
  p->SetLineType(5);  // a point is always solid
  ExpectSameMarks(c, p);
  ASSERT_EQ(c.canvas.Names(), std::vector<std::string>{"P.DrawEllipse"});
  EXPECT_EQ(c.Op(0).Rect, QRectF(QPointF(125, 235), QPointF(135, 245)));
}

TEST_F(Agreement, BezierEndsAtItsLastSegment) {
  // Seven points: two segments end at point 7; with an eighth left over the end stays there.
  auto* b = MakeItem<TPLNBezier>(c.doc, {{0, 0}, {1000, -2000}, {3000, -2000}, {4000, 0},
                                     {5000, 2000}, {7000, 2000}, {8000, 0}, {20000, 15000}});
  b->SetPenWidth(800);
  b->SetLineType(2);
  b->FromType = 1;
  b->ToType = 6;
  b->SizeFrom = b->SizeTo = 2;  // half size 10 px
  b->ToColor = 0xFFAA0000;
  ExpectSameMarks(c, b);
  const auto squares = [&] { return c.canvas.OpsNamed("P.FillRect"); };
  ASSERT_EQ(squares().size(), 1u);
  EXPECT_EQ(squares()[0].Rect, QRectF(QPointF(100, 30), QPointF(120, 50))) << "the square sits on point 7";
  c.Redraw(b);
  ASSERT_EQ(c.canvas.OpsNamed("DrawRect").size(), 2u);
  EXPECT_EQ(c.canvas.OpsNamed("DrawRect")[0].Rect, QRectF(QPointF(100, 30), QPointF(120, 50)));
  // The leftover point is no part of the curve.
  EXPECT_EQ(c.canvas.OpsNamed("DrawPath")[0].Path.boundingRect().right(), 110);

  // Closed and filled: no ends on either side; a hidden fill is hidden on both.
  b->SetFilled(true);
  ExpectSameMarks(c, b);
  EXPECT_EQ(c.canvas.Names(), (std::vector<std::string>{"P.FillPath", "P.DrawPath"}));
  b->SetAlpha(false);
  ExpectSameMarks(c, b);
  // Too few points for a segment: nothing on either.
  b->SetFilled(false);
  b->AssignPoints({TORVPto{0, 0}, {1000, 0}, {2000, 1000}});
  ExpectSameMarks(c, b);
  EXPECT_TRUE(c.canvas.Ops.empty());
}

TEST_F(Agreement, ArcAndItsEnds) {
  auto* a = new TPLNArc(&c.doc, false);
  a->SetCircle(TORVPto{10000, 10000}, 5000);
  a->SetAngles(0, M_PI / 2);
  a->SetPenWidth(500);
  a->FromType = 4;
  a->ToType = 8;
  a->SizeFrom = a->SizeTo = 2;
  ExpectSameMarks(c, a);
}
