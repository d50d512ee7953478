// Interactive editing of the document: drawing by clicks, selection, drags of the selection and
// of its handles, point editing, snapping, selection commands, typing and the small helpers.
#include <gtest/gtest.h>

#include <QBuffer>
#include <cmath>
#include <optional>

#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

constexpr std::int64_t kTol = 500;
constexpr double kPi = 3.14159265358979323846;

// Clicks the given points with the draw action of `kind`.
void Draw(TPlanoraFMX& doc, TORVDrawKind kind, std::initializer_list<TORVPto> pts) {
  doc.StartAction(kind);
  for (const TORVPto& p : pts) doc.PickEditor(p.X, p.Y, kTol, Shift::None, false);
}

// Presses and releases at one spot.
void Click(TPlanoraFMX& doc, std::int64_t x, std::int64_t y, TShiftState shift = Shift::None) {
  doc.PickEditor(x, y, kTol, shift, false);
  doc.UpEditor(x, y);
}

// Presses at `from`, drags to `to` and releases.
void Drag(TPlanoraFMX& doc, TORVPto from, TORVPto to, TShiftState shift = Shift::None) {
  doc.PickEditor(from.X, from.Y, kTol, shift, false);
  doc.MoveEditor(to.X - from.X, to.Y - from.Y, to.X, to.Y, -1, -1);
  doc.UpEditor(to.X, to.Y);
}

// Grabs handle `i` of the selection and drags it to `to`.
void DragHandle(TPlanoraFMX& doc, int i, TORVPto to) {
  const TORVSelPoint h = doc.GetSelPoint(i);
  doc.Act().SetMove(MoveKindOf(h.Kind), h.Index, h.P);
  doc.MoveEditor(to.X - h.P.X, to.Y - h.P.Y, to.X, to.Y, -1, -1);
  doc.UpEditor(to.X, to.Y);
}

// The handle of `kind` (and `index` when given), 0 when none.
int FindHandle(const TPlanoraFMX& doc, TORVHandleKind kind, int index = -1) {
  for (int i = 1; i <= doc.GetSelPointCount(); ++i) {
    const TORVSelPoint h = doc.GetSelPoint(i);
    if (h.Kind == kind && (index < 0 || h.Index == index)) return i;
  }
  return 0;
}

// The box of an item's defining points as (x1, y1, x2, y2).
std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t> Corners(const TPLNBaseItem* it) {
  TORVBounds b;
  for (int i = 1; i <= it->NumPoints(); ++i) b.Add(it->GetPoint(i));
  return {b.X1, b.Y1, b.X2, b.Y2};
}

bool Near(const TORVPto& a, const TORVPto& b, std::int64_t d = 2) { return std::llabs(a.X - b.X) <= d && std::llabs(a.Y - b.Y) <= d; }

// The cubic segment from point `first` (from 1) of `it`, at t.
TORVPto CubicAt(const TPLNBaseItem* it, int first, double t) {
  const double u = 1 - t, w[4] = {u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t};
  double x = 0, y = 0;
  for (int k = 0; k < 4; ++k) x += w[k] * double(it->GetPoint(first + k).X), y += w[k] * double(it->GetPoint(first + k).Y);
  return {std::llround(x), std::llround(y)};
}

}  // namespace

TEST(EditDraw, TwoClickAndThreeClickKindsMakeTheirItems) {
  TPlanoraFMX doc;
  Draw(doc, TORVDrawKind::Rectangle, {{1000, 2000}, {5000, 8000}});
  ASSERT_EQ(doc.GetItemsCount(), 1);
  TPLNBaseItem* r = doc.GetItem(1);
  EXPECT_EQ(r->KindCode(), Kind::Rectangle);
  EXPECT_EQ(r->GetPoint(1), (TORVPto{1000, 2000}));
  EXPECT_EQ(r->GetPoint(2), (TORVPto{5000, 8000}));
  EXPECT_TRUE(doc.IsSelected(r));
  // The tool stays for the next item; two clicks on one spot make nothing.
  EXPECT_EQ(doc.Act().Action, TORVAction::Draw);
  EXPECT_EQ(doc.Act().Kind, TORVDrawKind::Rectangle);
  doc.PickEditor(3000, 3000, kTol, Shift::None, false);
  doc.PickEditor(3000, 3000, kTol, Shift::None, false);
  EXPECT_EQ(doc.GetItemsCount(), 1);
  EXPECT_EQ(doc.Act().State(), 0);

  Draw(doc, TORVDrawKind::Circle3P, {{15000, 10000}, {10000, 15000}, {5000, 10000}});
  auto* c = dynamic_cast<F2d::TPLNBaseCircle*>(doc.GetItem(2));
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(Near(c->Center(), {10000, 10000}));
  EXPECT_NEAR(double(c->Radius()), 5000, 2);

  Draw(doc, TORVDrawKind::Arc, {{15000, 10000}, {10000, 15000}, {5000, 10000}});
  auto* a = dynamic_cast<Line::TPLNBaseArc*>(doc.GetItem(3));
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(Near(a->GetCenter(), {10000, 10000}));
  EXPECT_TRUE(Near(a->GetPoint(1), {15000, 10000}));
  EXPECT_TRUE(Near(a->GetPoint(2), {10000, 15000}));
  EXPECT_TRUE(Near(a->GetPoint(3), {5000, 10000}));

  // Sector: centre, start, end (a clockwise quarter from +x to +y).
  Draw(doc, TORVDrawKind::Sector, {{0, 0}, {4000, 0}, {0, 9000}});
  auto* s = dynamic_cast<F2d::TPLNBaseSector*>(doc.GetItem(4));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetBaseRadio(), 4000);
  EXPECT_NEAR(s->GetAngleStart(), 0, 1e-9);
  EXPECT_NEAR(s->GetAngleGap(), 90, 1e-9);

  // Three points on a line make no circle and raise nothing.
  Draw(doc, TORVDrawKind::Circle3P, {{0, 0}, {1000, 0}, {2000, 0}});
  EXPECT_EQ(doc.GetItemsCount(), 4);

  // A radius dimension: pick the circle, then the caption point outside it.
  Draw(doc, TORVDrawKind::DimRadial, {{10000, 5000}, {10000, -3000}});
  auto* dim = dynamic_cast<Line::TPLNBaseDim*>(doc.GetItem(doc.GetItemsCount()));
  ASSERT_NE(dim, nullptr);
  EXPECT_EQ(dim->GetDimType(), Line::TORDimType::RadiusOutside);
  EXPECT_NEAR(dim->GetValue(), 5.0, 0.01);
  // A diameter with its caption point inside the same circle.
  Draw(doc, TORVDrawKind::DimDiameter, {{10000, 5000}, {10000, 12000}});
  dim = dynamic_cast<Line::TPLNBaseDim*>(doc.GetItem(doc.GetItemsCount()));
  ASSERT_NE(dim, nullptr);
  EXPECT_EQ(dim->GetDimType(), Line::TORDimType::DiameterInside);
  EXPECT_NEAR(dim->GetValue(), 10.0, 0.01);
  // Its rim handle keeps the other end opposite about the centre.
  doc.ClearSelection();
  doc.Select(dim);
  DragHandle(doc, FindHandle(doc, TORVHandleKind::Radius, 1), {16000, 10000});
  EXPECT_EQ(dim->GetPoint(2), (TORVPto{4000, 10000}));
  EXPECT_NEAR(dim->GetValue(), 12.0, 0.01);
  doc.ResetAction();
  // An angle: vertex, a point on each arm, then where the arc goes.
  Draw(doc, TORVDrawKind::DimAngle, {{100000, 100000}, {110000, 100000}, {110000, 110000}, {106000, 102000}});
  dim = dynamic_cast<Line::TPLNBaseDim*>(doc.GetItem(doc.GetItemsCount()));
  ASSERT_NE(dim, nullptr);
  EXPECT_EQ(dim->GetDimType(), Line::TORDimType::Angle);
  EXPECT_NEAR(dim->GetValue(), 45.0, 0.05);
  // Esc goes back to selection.
  doc.ResetAction();
  EXPECT_EQ(doc.Act().Action, TORVAction::Selection);
}

TEST(EditDraw, ManyPointKindsEndByRightClickOrDoubleClick) {
  TPlanoraFMX doc;
  Draw(doc, TORVDrawKind::PolyLine, {{0, 0}, {10000, 0}, {10000, 10000}});
  EXPECT_EQ(doc.GetItemsCount(), 0);
  doc.RightButton(10000, 10000, kTol, Shift::None);
  ASSERT_EQ(doc.GetItemsCount(), 1);
  EXPECT_EQ(doc.GetItem(1)->NumPoints(), 3);

  // A double click arrives as press, release, double click: the second press adds nothing.
  doc.PickEditor(0, 20000, kTol, Shift::None, false);
  doc.PickEditor(5000, 20000, kTol, Shift::None, false);
  doc.UpEditor(5000, 20000);
  doc.PickEditor(5000, 20000, kTol, Shift::Double, false);
  EXPECT_TRUE(doc.DoDblClick());
  ASSERT_EQ(doc.GetItemsCount(), 2);
  EXPECT_EQ(doc.GetItem(2)->NumPoints(), 2);

  // Too few points: nothing, and no error.
  Draw(doc, TORVDrawKind::Polygon, {{0, 0}, {1000, 0}});
  doc.RightButton(0, 0, kTol, Shift::None);
  EXPECT_EQ(doc.GetItemsCount(), 2);
  EXPECT_EQ(doc.Act().State(), 0);

  // A curve through three anchors: two segments.
  Draw(doc, TORVDrawKind::Bezier, {{0, 0}, {10000, 5000}, {20000, 0}});
  doc.RightButton(0, 0, kTol, Shift::None);
  ASSERT_EQ(doc.GetItemsCount(), 3);
  const TPLNBaseItem* b = doc.GetItem(3);
  EXPECT_EQ(b->NumPoints(), 7);
  EXPECT_EQ(b->GetPoint(4), (TORVPto{10000, 5000}));
  EXPECT_EQ(b->GetPoint(7), (TORVPto{20000, 0}));
}

TEST(EditCommands, RotateLeftAndRightTurnTheLabelWithItsItems) {
  TPlanoraFMX doc;
  // Distinct values everywhere, so an exchange of the wrong two shows.
  TPLNMeasure m;
  m.Sizes[TPLNMeasure::PaperWidth] = 210000;
  m.Sizes[TPLNMeasure::PaperHeight] = 297000;
  m.Sizes[TPLNMeasure::LabelWidth] = 100000;
  m.Sizes[TPLNMeasure::LabelHeight] = 60000;
  m.Sizes[TPLNMeasure::LeftMargin] = 3000;
  m.Sizes[TPLNMeasure::TopMargin] = 5000;
  m.Sizes[TPLNMeasure::HorzGap] = 1000;
  m.Sizes[TPLNMeasure::VertGap] = 2000;
  m.Columns = 2;
  m.Rows = 3;
  doc.SetMeasure(m);
  TPLNBaseItem* line = TPLNFactory::AddBaseLine(&doc, 5000, 1000, 95000, 50000);
  TPLNBaseItem* box = TPLNFactory::AddBaseRectangle(&doc, 10000, 20000, 30000, 5000);
  doc.ClearUndo();

  // Right: (x, y) goes to (label height - y, x).
  doc.RotateRight();
  // Every width exchanged with its height: paper, label, margins, gaps, columns and rows.
  const TPLNMeasure& r = doc.Measure();
  EXPECT_EQ(std::vector<std::int64_t>(std::begin(r.Sizes), std::end(r.Sizes)),
            (std::vector<std::int64_t>{297000, 210000, 60000, 100000, 5000, 3000, 2000, 1000}));
  EXPECT_EQ(std::pair(r.Columns, r.Rows), std::pair(3, 2));
  EXPECT_EQ(line->GetPoint(1), (TORVPto{59000, 5000}));
  EXPECT_EQ(line->GetPoint(2), (TORVPto{10000, 95000}));
  EXPECT_EQ(Corners(box), std::tuple(35000, 10000, 40000, 40000));
  EXPECT_EQ(doc.GetImageRotation(), 3);

  // One undo step takes all of it back.
  doc.Undo();
  EXPECT_TRUE(doc.Measure() == m);
  EXPECT_EQ(line->GetPoint(1), (TORVPto{5000, 1000}));
  EXPECT_EQ(Corners(box), std::tuple(10000, 20000, 40000, 25000));
  EXPECT_EQ(doc.GetImageRotation(), 0);

  // Left: (x, y) goes to (y, label width - x); left then right is where it started.
  doc.RotateLeft();
  EXPECT_EQ(line->GetPoint(1), (TORVPto{1000, 95000}));
  EXPECT_EQ(line->GetPoint(2), (TORVPto{50000, 5000}));
  EXPECT_EQ(doc.GetImageRotation(), 1);
  doc.RotateRight();
  EXPECT_TRUE(doc.Measure() == m);
  EXPECT_EQ(line->GetPoint(2), (TORVPto{95000, 50000}));
  EXPECT_EQ(Corners(box), std::tuple(10000, 20000, 40000, 25000));

  // A locked document does not turn.
  doc.SetEditable(false);
  doc.RotateRight();
  EXPECT_TRUE(doc.Measure() == m);
}

TEST(EditSelect, ClickShiftAndRubberBand) {
  TPlanoraFMX doc;
  TPLNBaseItem* a = TPLNFactory::AddBaseRectangle(&doc, 0, 0, 10000, 10000);
  TPLNBaseItem* b = TPLNFactory::AddBaseLine(&doc, 20000, 0, 30000, 0);
  TPLNBaseItem* c = TPLNFactory::AddBaseCircle(&doc, 50000, 50000, 5000);

  Click(doc, 0, 5000);
  EXPECT_EQ(doc.GetSelectionCount(), 1);
  EXPECT_TRUE(doc.IsSelected(a));
  // An unfilled rectangle is not hit in its middle: that press clears the selection.
  Click(doc, 5000, 5000);
  EXPECT_EQ(doc.GetSelectionCount(), 0);

  Click(doc, 0, 5000);
  Click(doc, 25000, 100, Shift::Shift);
  EXPECT_EQ(doc.GetSelectionCount(), 2);
  Click(doc, 0, 5000, Shift::Shift);
  EXPECT_EQ(doc.GetSelectionCount(), 1);
  EXPECT_TRUE(doc.IsSelected(b));

  // The band encloses the rectangle and the line; the circle only crosses it.
  Drag(doc, {-1000, -1000}, {50000, 50000});
  EXPECT_EQ(doc.GetSelectionCount(), 2);
  EXPECT_TRUE(doc.IsSelected(a));
  EXPECT_TRUE(doc.IsSelected(b));
  EXPECT_FALSE(doc.IsSelected(c));
  EXPECT_TRUE(doc.RubberBand().IsEmpty());
  // With Shift the band adds; a hidden item is never taken.
  c->SetOptions(Opt::Default & ~Opt::Visible);
  Drag(doc, {-1000, -1000}, {60000, 60000}, Shift::Shift);
  EXPECT_EQ(doc.GetSelectionCount(), 2);
  c->SetOptions(Opt::Default);
  Drag(doc, {44000, 44000}, {56000, 56000}, Shift::Shift);
  EXPECT_EQ(doc.GetSelectionCount(), 3);

  doc.SelectAll();
  EXPECT_EQ(doc.GetSelectionCount(), 3);

  // A line is hit along itself and within the tolerance round its ends, never further along
  // its extension.
  Click(doc, 30000 + 3 * kTol, 0);
  EXPECT_EQ(doc.GetSelectionCount(), 0);
  Click(doc, 20000 - 3 * kTol, 0);
  EXPECT_EQ(doc.GetSelectionCount(), 0);
  Click(doc, 30000 + kTol / 2, 0);
  EXPECT_TRUE(doc.IsSelected(b));
  Click(doc, 25000, kTol / 2);
  EXPECT_TRUE(doc.IsSelected(b));

  // Where two items overlap, the one drawn last (on top) is picked, whichever is larger.
  TPLNBaseItem* lower = TPLNFactory::AddBaseRectangle(&doc, 60000, 0, 30000, 10000);
  TPLNBaseItem* upper = TPLNFactory::AddBaseRectangle(&doc, 60000, 0, 10000, 10000);
  Click(doc, 60000, 5000);
  EXPECT_EQ(doc.GetSelectionCount(), 1);
  EXPECT_TRUE(doc.IsSelected(upper));
  EXPECT_FALSE(doc.IsSelected(lower));
  Click(doc, 90000, 5000);  // only the lower one reaches here
  EXPECT_TRUE(doc.IsSelected(lower));
}

TEST(EditDrag, SelectionMovesAndHandlesResizeRotateAndEditPoints) {
  TPlanoraFMX doc;
  TPLNBaseItem* r = TPLNFactory::AddBaseRectangle(&doc, 0, 0, 10000, 10000);
  doc.PickEditor(0, 5000, kTol, Shift::None, false);
  doc.MoveEditor(1000, 500, 1000, 5500, -1, -1);
  doc.MoveEditor(1000, 500, 2000, 6000, -1, -1);
  doc.UpEditor(2000, 6000);
  EXPECT_EQ(r->GetPoint(1), (TORVPto{2000, 1000}));
  EXPECT_EQ(doc.Act().Dragging, false);
  // With the grid the selection follows the grid point.
  doc.PickEditor(2000, 6000, kTol, Shift::None, false);
  doc.MoveEditor(10, 10, 2010, 6010, 5000, 5000);
  doc.UpEditor(2010, 6010);
  EXPECT_EQ(r->GetPoint(1), (TORVPto{5000, 0}));

  // One selected box: its eight size handles and the rotation handle.
  ASSERT_EQ(doc.GetSelPointCount(), 9);
  const int se = FindHandle(doc, TORVHandleKind::SizeSE);
  ASSERT_GT(se, 0);
  DragHandle(doc, se, {20000, 30000});
  EXPECT_EQ(r->GetPoint(1), (TORVPto{5000, 0}));
  EXPECT_EQ(r->GetPoint(2), (TORVPto{20000, 30000}));
  EXPECT_EQ(doc.Act().Action, TORVAction::Selection);

  // The rotation handle turns a line a quarter about the selection's centre.
  TPLNBaseItem* line = TPLNFactory::AddBaseLine(&doc, 0, 50000, 10000, 50000);
  doc.ClearSelection();
  doc.Select(line);
  const int rot = FindHandle(doc, TORVHandleKind::Rotate);
  ASSERT_GT(rot, 0);
  EXPECT_EQ(doc.GetSelPoint(rot).P.X, 5000);
  EXPECT_LT(doc.GetSelPoint(rot).P.Y, 50000);
  DragHandle(doc, rot, {12000, 50000});
  EXPECT_TRUE(Near(line->GetPoint(1), {5000, 45000}));
  EXPECT_TRUE(Near(line->GetPoint(2), {5000, 55000}));

  // A box only takes quarter turns: a hand moving the handle in small steps turns it once the
  // sweep passes 45 degrees, never before.
  TPLNBaseItem* box = TPLNFactory::AddBaseRectangle(&doc, 60000, 0, 20000, 10000);
  doc.ClearSelection();
  doc.Select(box);
  const TORVSelPoint bh = doc.GetSelPoint(FindHandle(doc, TORVHandleKind::Rotate));
  doc.Act().SetMove(TORVMoveKind::Rotate, 0, bh.P);
  const double radius = double(5000 - bh.P.Y);
  TORVPto last = bh.P;
  auto turnTo = [&](double degrees) {
    const double a = degrees * kPi / 180;
    const TORVPto p{70000 + std::llround(radius * std::sin(a)), 5000 - std::llround(radius * std::cos(a))};
    doc.MoveEditor(p.X - last.X, p.Y - last.Y, p.X, p.Y, -1, -1);
    last = p;
  };
  for (int d = 5; d <= 40; d += 5) turnTo(d);
  EXPECT_EQ(box->GetPoint(1), (TORVPto{60000, 0}));
  for (int d = 45; d <= 90; d += 5) turnTo(d);
  doc.UpEditor(last.X, last.Y);
  EXPECT_EQ(Corners(box), std::tuple(65000, -5000, 75000, 15000));
  doc.DeleteSelection();
  doc.Select(line);

  // Several selected: eight size handles, a move handle and the rotation handle.
  doc.Select(r);
  EXPECT_EQ(doc.GetSelPointCount(), 10);
  const int mv = FindHandle(doc, TORVHandleKind::Move);
  ASSERT_GT(mv, 0);
  const TORVPto rBefore = r->GetPoint(1);
  const TORVSelPoint h = doc.GetSelPoint(mv);
  // Grabbed without a point, the drag starts at the handle.
  doc.Act().SetMove(MoveKindOf(h.Kind), h.Index);
  doc.MoveEditor(0, 0, h.P.X + 100, h.P.Y + 200, -1, -1);
  doc.UpEditor(h.P.X + 100, h.P.Y + 200);
  EXPECT_EQ(r->GetPoint(1), (TORVPto{rBefore.X + 100, rBefore.Y + 200}));

  // Point handles of a polyline: move one, insert one by its middle handle.
  TPLNBaseItem* pl = TPLNFactory::AddBasePolyLine(&doc, {0, 0, 10000, 0, 10000, 10000});
  doc.ClearSelection();
  doc.Select(pl);
  DragHandle(doc, FindHandle(doc, TORVHandleKind::Point, 2), {12000, 1000});
  EXPECT_EQ(pl->GetPoint(2), (TORVPto{12000, 1000}));
  DragHandle(doc, FindHandle(doc, TORVHandleKind::InsertPoint, 1), {6000, -3000});
  ASSERT_EQ(pl->NumPoints(), 4);
  EXPECT_EQ(pl->GetPoint(2), (TORVPto{6000, -3000}));
  EXPECT_EQ(pl->GetPoint(3), (TORVPto{12000, 1000}));

  // A circle's radius handle keeps it a circle about the same centre.
  auto* c = dynamic_cast<F2d::TPLNBaseCircle*>(TPLNFactory::AddBaseCircle(&doc, 80000, 80000, 3000));
  doc.ClearSelection();
  doc.Select(c);
  DragHandle(doc, FindHandle(doc, TORVHandleKind::Radius), {80000, 86000});
  EXPECT_EQ(c->Center(), (TORVPto{80000, 80000}));
  EXPECT_EQ(c->Radius(), 6000);

  // A curve's insertion handle sits on it and splits its segment without changing the curve;
  // the drag then holds the new anchor. Removing that anchor leaves one segment again.
  TPLNBaseItem* bz = TPLNFactory::AddBaseBezier(&doc, {0, 100000, 2000, 108000, 9000, 109000, 12000, 100000});
  const TORVPto quarter = CubicAt(bz, 1, 0.25), threeQuarters = CubicAt(bz, 1, 0.75);
  doc.ClearSelection();
  doc.Select(bz);
  const TORVSelPoint ins = doc.GetSelPoint(FindHandle(doc, TORVHandleKind::InsertPoint));
  EXPECT_TRUE(Near(ins.P, CubicAt(bz, 1, 0.5), 1));
  DragHandle(doc, FindHandle(doc, TORVHandleKind::InsertPoint), ins.P);
  ASSERT_EQ(bz->NumPoints(), 7);
  EXPECT_TRUE(Near(bz->GetPoint(4), ins.P, 1));
  EXPECT_TRUE(Near(CubicAt(bz, 1, 0.5), quarter));
  EXPECT_TRUE(Near(CubicAt(bz, 4, 0.5), threeQuarters));
  EXPECT_EQ(FindHandle(doc, TORVHandleKind::InsertPoint, 6), FindHandle(doc, TORVHandleKind::InsertPoint) + 1);
  DragHandle(doc, FindHandle(doc, TORVHandleKind::Point, 4), {ins.P.X, ins.P.Y + 3000});
  EXPECT_EQ(bz->GetPoint(4), (TORVPto{ins.P.X, ins.P.Y + 3000}));
  doc.DeletePoint(4);
  ASSERT_EQ(bz->NumPoints(), 4);
  EXPECT_EQ(bz->GetPoint(4), (TORVPto{12000, 100000}));
  doc.Undo();
  EXPECT_EQ(doc.GetItem(doc.GetItemsCount())->NumPoints(), 7);

  // A radius: its caption handle takes the leader round the circle and keeps the value, its rim
  // handle measures anew.
  auto* rd = dynamic_cast<Line::TPLNBaseDim*>(TPLNFactory::AddBaseDimRadial2(&doc, 150000, 0, 5000, 0));
  doc.ClearSelection();
  doc.Select(rd);
  DragHandle(doc, FindHandle(doc, TORVHandleKind::Point, 4), {150000, 20000});
  EXPECT_EQ(rd->GetPoint(2), (TORVPto{150000, 5000}));
  EXPECT_GT(rd->GetPoint(4).Y, 5000);
  EXPECT_NEAR(rd->GetValue(), 5.0, 0.01);
  DragHandle(doc, FindHandle(doc, TORVHandleKind::Radius, 2), {158000, 0});
  EXPECT_NEAR(rd->GetValue(), 8.0, 0.01);
  EXPECT_EQ(rd->GetCaption(), QStringLiteral("R8"));

  // An angle: an arm point turns the arm and the value follows, also when the arc's point ends up
  // on the arm; arms made parallel are refused; the shared vertex moves both arms.
  auto* ad = dynamic_cast<Line::TPLNBaseDim*>(
      TPLNFactory::AddBaseDimAngle(&doc, {200000, 0, 210000, 0, 200000, 0, 200000, 10000, 205000, 5000}));
  doc.ClearSelection();
  doc.Select(ad);
  EXPECT_NEAR(ad->GetValue(), 90.0, 0.01);
  EXPECT_EQ(FindHandle(doc, TORVHandleKind::Point, 3), 0);  // the shared vertex shows once
  DragHandle(doc, FindHandle(doc, TORVHandleKind::Point, 4), {210000, 10000});
  EXPECT_NEAR(ad->GetValue(), 45.0, 0.05);
  DragHandle(doc, FindHandle(doc, TORVHandleKind::Point, 4), {220000, 0});
  EXPECT_NEAR(ad->GetValue(), 45.0, 0.05);
  EXPECT_EQ(ad->GetPoint(4), (TORVPto{210000, 10000}));
  DragHandle(doc, FindHandle(doc, TORVHandleKind::Point, 1), {195000, 0});
  EXPECT_EQ(ad->GetPoint(3), (TORVPto{195000, 0}));
  EXPECT_NEAR(ad->GetValue(), std::atan2(10000.0, 15000.0) * 180 / kPi, 0.05);
}

TEST(EditPoints, DeletePointKeepsEachKindsMinimum) {
  TPlanoraFMX doc;
  QString said;
  doc.OnInfoMsg = [&](const QString& m) { said = m; };
  TPLNBaseItem* pl = TPLNFactory::AddBasePolyLine(&doc, {0, 0, 1000, 0, 2000, 0});
  doc.Select(pl);
  doc.DeletePoint(2);
  EXPECT_EQ(pl->NumPoints(), 2);
  EXPECT_EQ(pl->GetPoint(2), (TORVPto{2000, 0}));
  doc.DeletePoint(1);
  EXPECT_EQ(pl->NumPoints(), 2);
  EXPECT_FALSE(said.isEmpty());

  TPLNBaseItem* pg = TPLNFactory::AddBasePolygon(&doc, {0, 0, 1000, 0, 1000, 1000});
  doc.ClearSelection();
  doc.Select(pg);
  doc.DeletePoint(1);
  EXPECT_EQ(pg->NumPoints(), 3);
  doc.DeletePoint(9);
  EXPECT_EQ(pg->NumPoints(), 3);
  // A line has no removable point; with two selected nothing is asked.
  TPLNBaseItem* ln = TPLNFactory::AddBaseLine(&doc, 0, 0, 1, 1);
  doc.Select(ln);
  doc.DeletePoint(1);
  EXPECT_EQ(ln->NumPoints(), 2);
}

TEST(EditSnap, EachKindFindsItsNearestPoint) {
  TPlanoraFMX doc;
  TPLNFactory::AddBaseLine(&doc, 0, 0, 10000, 0);
  TPLNFactory::AddBaseLine(&doc, 5000, -5000, 5000, 5000);
  TPLNFactory::AddBaseCircle(&doc, 30000, 0, 4000);
  TORVRef ref;
  // The point a search finds, none when it finds nothing.
  const auto snap = [&](std::int64_t x, std::int64_t y, std::int64_t tol, auto kind) -> std::optional<TORVPto> {
    if (!doc.SearchPoint(x, y, tol, kind, ref, false)) return std::nullopt;
    return ref.P;
  };

  EXPECT_EQ(snap(9800, 300, kTol, snEndPoint), TORVPto(10000, 0));
  // Near the crossing: the middle of the first line and the crossing coincide, the end points
  // are out of reach.
  EXPECT_FALSE(snap(5200, 200, kTol, snEndPoint));
  EXPECT_FALSE(ref.Found);
  EXPECT_EQ(snap(5200, 200, kTol, snMiddlePoint), TORVPto(5000, 0));
  EXPECT_EQ(snap(5200, 200, kTol, snCrossPoint), TORVPto(5000, 0));
  EXPECT_EQ(snap(30100, 100, kTol, snCenterPoint), TORVPto(30000, 0));
  EXPECT_EQ(snap(34100, 0, kTol, snPoint), TORVPto(34000, 0));
  EXPECT_FALSE(snap(34100, 0, kTol, snRefSymbol));

  // Two end points within reach: the nearer wins.
  TPLNFactory::AddBaseLine(&doc, 10300, 0, 20000, 0);
  EXPECT_EQ(snap(10200, 0, kTol, snEndPoint), TORVPto(10300, 0));

  // Tangent from (30000, -8000) touches the circle where the angle at the point is 90°.
  ref.Reset();
  ref.RefFound = true;
  ref.RefPoint = {30000, -8000};
  ASSERT_TRUE(snap(33500, -2000, 1500, snTangentPoint));
  const double ux = double(ref.P.X - 30000), uy = double(ref.P.Y);
  EXPECT_NEAR(std::hypot(ux, uy), 4000, 2);
  EXPECT_NEAR(ux * double(ref.P.X - 30000) + uy * double(ref.P.Y + 8000), 0, 4000.0 * 4);
  // Perpendicular foot from (7000, 3000) on the first line.
  ref.RefPoint = {7000, 3000};
  EXPECT_EQ(snap(7100, 100, kTol, snPerpendicularPoint), TORVPto(7000, 0));
  // Without a reference point there is no tangent.
  ref.Reset();
  EXPECT_FALSE(snap(33500, -2000, 1500, snTangentPoint));

  // A line crosses an ellipse where x = 4000 meets it: y = ±4000·√0.75 about the centre.
  TPLNFactory::AddBaseEllipse(&doc, 0, 30000, 8000, 4000);
  TPLNFactory::AddBaseLine(&doc, 4000, 20000, 4000, 60000);
  ASSERT_TRUE(snap(4100, 33300, kTol, snCrossPoint));
  EXPECT_TRUE(Near(ref.P, {4000, 33464}, 1));
  // A curve crosses the same line; its samples never cross one another.
  const TPLNBaseItem* bz = TPLNFactory::AddBaseBezier(&doc, {0, 50000, 3000, 56000, 5000, 56000, 8000, 50000});
  ASSERT_TRUE(snap(4200, 54300, kTol, snCrossPoint));
  EXPECT_EQ(ref.P.X, 4000);
  const TORVPto onCurve = CubicAt(bz, 1, 0.25);
  EXPECT_FALSE(snap(onCurve.X, onCurve.Y, 300, snCrossPoint));
  // The centre of an arc whose bounds lie far from it.
  TPLNFactory::AddBaseArc(&doc, 60000, 60000, 20000, -0.2, 0.4);
  EXPECT_EQ(snap(60100, 60100, kTol, snCenterPoint), TORVPto(60000, 60000));
  // The foot on a dimension line.
  TPLNFactory::AddBaseDim(&doc, 0, 70000, 20000, 70000, 10000, 65000);
  ref.Reset();
  ref.RefFound = true;
  ref.RefPoint = {7000, 60000};
  EXPECT_EQ(snap(7100, 65100, kTol, snPerpendicularPoint), TORVPto(7000, 65000));
}

TEST(EditCommands, MoveSizeNextDeleteDuplicate) {
  TPlanoraFMX doc;
  TPLNBaseItem* a = TPLNFactory::AddBaseRectangle(&doc, 0, 0, 10000, 10000);
  TPLNBaseItem* hidden = TPLNFactory::AddBaseRectangle(&doc, 0, 0, 10, 10);
  hidden->SetOptions(Opt::Default & ~Opt::Selectable);
  TPLNBaseItem* c = TPLNFactory::AddBaseLine(&doc, 0, 20000, 10000, 20000);
  EXPECT_EQ(doc.SelectionBounds(1), -1);

  doc.Select(a);
  doc.MoveSelection(1.5, -2, false, true);
  EXPECT_EQ(a->GetPoint(1), (TORVPto{1500, -2000}));
  EXPECT_EQ(doc.SelectionBounds(1), 1500);
  EXPECT_EQ(doc.SelectionBounds(4), 8000);
  doc.MoveSize(2, 3, false, true);
  EXPECT_EQ(a->GetPoint(2), (TORVPto{13500, 8000}));
  // Shrinking past the other side is refused whole.
  doc.MoveSize(-20, 3, false, true);
  EXPECT_EQ(a->GetPoint(2), (TORVPto{13500, 8000}));

  // Next and prior skip what cannot be selected and wrap.
  doc.SelectNext();
  EXPECT_TRUE(doc.IsSelected(c));
  doc.SelectNext();
  EXPECT_TRUE(doc.IsSelected(a));
  doc.SelectPrior();
  EXPECT_TRUE(doc.IsSelected(c));
  EXPECT_EQ(doc.GetSelectionCount(), 1);

  doc.DuplicateSelection(1000);
  ASSERT_EQ(doc.GetItemsCount(), 4);
  TPLNBaseItem* copy = doc.GetSelection(1);
  EXPECT_EQ(copy->GetPoint(1), (TORVPto{1000, 21000}));
  EXPECT_EQ(c->GetPoint(1), (TORVPto{0, 20000}));

  doc.Select(c);
  doc.CutSelection();
  EXPECT_EQ(doc.GetItemsCount(), 2);
  EXPECT_EQ(doc.GetSelectionCount(), 0);
  EXPECT_FALSE(doc.ClipboardStream().isEmpty());
}

TEST(EditCommands, NotEditableDocumentOnlySelects) {
  TPlanoraFMX doc;
  TPLNBaseItem* a = TPLNFactory::AddBaseRectangle(&doc, 0, 0, 10000, 10000);
  doc.SetEditable(false);
  doc.StartAction(TORVDrawKind::Rectangle);
  EXPECT_EQ(doc.Act().Action, TORVAction::Selection);
  Drag(doc, {0, 5000}, {3000, 5000});
  EXPECT_TRUE(doc.IsSelected(a));
  EXPECT_EQ(a->GetPoint(1), (TORVPto{0, 0}));
  doc.MoveSelection(1, 1, false, true);
  doc.MoveSize(1, 3, false, true);
  doc.DeleteSelection();
  doc.DuplicateSelection(100);
  EXPECT_EQ(doc.GetItemsCount(), 1);
  EXPECT_EQ(a->GetPoint(2), (TORVPto{10000, 10000}));
}

TEST(EditEvents, OddOrderIsHarmless) {
  TPlanoraFMX doc;
  TPLNBaseItem* a = TPLNFactory::AddBaseRectangle(&doc, 0, 0, 10000, 10000);
  doc.UpEditor(5, 5);
  doc.MoveEditor(10, 10, 10, 10, -1, -1);
  EXPECT_FALSE(doc.DoDblClick());
  doc.RightButton(0, 0, kTol, Shift::None);
  doc.Clear(true, true);
  doc.PickEditorValue(5);
  doc.Act().SetMove(TORVMoveKind::Point, 7);  // a handle without a selection
  doc.MoveEditor(10, 10, 10, 10, -1, -1);
  doc.UpEditor(10, 10);
  doc.DeletePoint(1);
  EXPECT_EQ(doc.GetItemsCount(), 1);
  EXPECT_EQ(a->GetPoint(1), (TORVPto{0, 0}));
  EXPECT_EQ(doc.Act().Action, TORVAction::Selection);
  EXPECT_EQ(doc.GetSelPoint(99).Item, nullptr);
  // A release after the action changed under a drag ends it cleanly.
  doc.PickEditor(0, 5000, kTol, Shift::None, false);
  doc.StartAction(TORVDrawKind::Line);
  doc.UpEditor(0, 0);
  doc.MoveEditor(1, 1, 100, 100, -1, -1);
  EXPECT_EQ(a->GetPoint(1), (TORVPto{0, 0}));
  EXPECT_EQ(doc.Act().UndoDepth, 0);

  // Another drawing read in the middle of a drag: the drag ends with the old drawing, and the
  // new one starts with no history and edits normally.
  QByteArray other;
  {
    TPlanoraFMX o;
    TPLNFactory::AddBaseLine(&o, 0, 0, 20000, 0);
    QBuffer b(&other);
    b.open(QIODevice::WriteOnly);
    o.SaveToStream(&b);
  }
  doc.StartAction(TORVDrawKind::None);
  doc.PickEditor(0, 5000, kTol, Shift::None, false);
  doc.MoveEditor(300, 0, 300, 5000, -1, -1);
  QBuffer in(&other);
  in.open(QIODevice::ReadOnly);
  doc.LoadFromStream(&in);
  EXPECT_FALSE(doc.Act().Dragging);
  EXPECT_EQ(doc.Act().UndoDepth, 0);
  EXPECT_EQ(doc.UndoCount(), 0);
  doc.MoveEditor(300, 0, 600, 5000, -1, -1);
  doc.UpEditor(600, 5000);
  EXPECT_EQ(doc.GetItem(1)->GetPoint(1), (TORVPto{0, 0}));
  doc.Select(doc.GetItem(1));
  doc.MoveSelection(1, 0, false, true);
  EXPECT_EQ(doc.UndoCount(), 1);
  doc.Undo();
  EXPECT_EQ(doc.GetItem(1)->GetPoint(1), (TORVPto{0, 0}));
}

TEST(EditText, ClickTypesAndDoubleClickEditsAgain) {
  TPlanoraFMX doc;
  doc.StartAction(TORVDrawKind::Text);
  doc.PickEditor(10000, 10000, kTol, Shift::None, false);
  TPLNBaseItem* t = doc.GetTextObject();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(doc.Act().Action, TORVAction::Text);
  doc.SetTextObjectText(QStringLiteral("Hello"));
  doc.UpdateEditing(true);
  doc.Clear(true, true);
  EXPECT_EQ(doc.GetTextObject(), nullptr);
  ASSERT_EQ(doc.GetItemsCount(), 1);
  EXPECT_EQ(dynamic_cast<Text::TPLNBaseText*>(t)->GetText(), QStringLiteral("Hello"));
  EXPECT_EQ(doc.Act().Action, TORVAction::Draw);
  EXPECT_EQ(doc.Act().UndoDepth, 0);

  // A new text left empty is removed.
  doc.PickEditor(50000, 50000, kTol, Shift::None, false);
  ASSERT_NE(doc.GetTextObject(), nullptr);
  doc.ResetAction();
  EXPECT_EQ(doc.GetItemsCount(), 1);

  // A double click on the text (after its press and release) starts editing it.
  const TORVBounds b = t->GetBounds();
  const std::int64_t x = (b.X1 + b.X2) / 2, y = (b.Y1 + b.Y2) / 2;
  Click(doc, x, y);
  ASSERT_TRUE(doc.DoDblClick());
  EXPECT_EQ(doc.GetTextObject(), t);
  EXPECT_EQ(doc.Act().Text, QStringLiteral("Hello"));
  EXPECT_TRUE(doc.SearchSelectedText(x, y, kTol, Shift::None));
  doc.Act().Text = QStringLiteral("Hello!");
  doc.PickEditor(b.X2 + 50000, y, kTol, Shift::None, false);  // a press outside ends typing
  EXPECT_EQ(doc.GetTextObject(), nullptr);
  EXPECT_EQ(dynamic_cast<Text::TPLNBaseText*>(t)->GetText(), QStringLiteral("Hello!"));
  EXPECT_EQ(doc.Act().Action, TORVAction::Selection);
}

TEST(EditGeometry, KindsKeepTheirInvariantsWhenTurnedAndScaled) {
  TPlanoraFMX doc;
  // A horizontal dimension turned a quarter becomes a vertical one of the same value.
  auto* d = dynamic_cast<Line::TPLNBaseDim*>(TPLNFactory::AddBaseDim(&doc, 0, 0, 20000, 0, 10000, -5000));
  ASSERT_NE(d, nullptr);
  const double v = d->GetValue();
  d->Rotate(0, 0, kPi / 2);
  EXPECT_EQ(d->GetDimType(), Line::TORDimType::Vertical);
  EXPECT_NEAR(d->GetValue(), v, 1e-6);
  EXPECT_TRUE(Near(d->GetPoint(2), {0, 20000}));

  // An arc turned keeps radius and sweep; its angles follow.
  auto* a = dynamic_cast<Line::TPLNBaseArc*>(TPLNFactory::AddBaseArc(&doc, 0, 0, 5000, 0.0, kPi / 2));
  a->Rotate(0, 0, kPi / 2);
  EXPECT_EQ(a->GetRadius(), 5000);
  EXPECT_NEAR(a->GetAngleStart(), kPi / 2, 1e-9);
  EXPECT_TRUE(Near(a->GetPoint(1), {0, 5000}));

  // A rectangle's quarter turn swaps its sides about the turned centre.
  TPLNBaseItem* r = TPLNFactory::AddBaseRectangle(&doc, 0, 0, 4000, 2000);
  r->Rotate(0, 0, kPi / 2);
  EXPECT_EQ(r->GetPoint(1), (TORVPto{-2000, 0}));
  EXPECT_EQ(r->GetPoint(2), (TORVPto{0, 4000}));

  // A circle scaled into a flat box stays round and fits it.
  auto* c = dynamic_cast<F2d::TPLNBaseCircle*>(TPLNFactory::AddBaseCircle(&doc, 5000, 5000, 5000));
  c->Resize({0, 0, 10000, 10000}, {0, 0, 20000, 4000});
  EXPECT_EQ(c->Radius(), 2000);
  EXPECT_EQ(c->Center(), (TORVPto{10000, 2000}));

  // A text turned a quarter clockwise reads upwards one step less.
  auto* t = dynamic_cast<Text::TPLNBaseText*>(TPLNFactory::AddBaseText(&doc, 0, 0));
  t->SetText(QStringLiteral("Abc"));
  t->Rotate(0, 0, kPi / 2);
  EXPECT_EQ(t->GetAngle(), TORVAngle::A270);
}

TEST(EditHelpers, WordsKeysAndPointerFilter) {
  const QString s = QStringLiteral("one two");
  EXPECT_EQ(TXTUtils::FindPrevWordBoundary(s, 7), 4);
  EXPECT_EQ(TXTUtils::FindNextWordBoundary(s, 0), 4);
  EXPECT_EQ(TXTUtils::FindPrevWordBoundary(s, 4), 0);
  EXPECT_EQ(TXTUtils::FindNextWordBoundary(s, 4), 7);
  EXPECT_EQ(TXTUtils::FindPrevWordBoundary(s, 99), 4);
  EXPECT_EQ(TXTUtils::FindNextWordBoundary(QStringLiteral("a, (b"), 1), 4);
  EXPECT_TRUE(TXTUtils::IsWordSeparator(QLatin1Char('}')));
  EXPECT_FALSE(TXTUtils::IsWordSeparator(QLatin1Char('_')));

  QString t = QStringLiteral("abc");
  EXPECT_FALSE(TXTUtils::DeleteCharPos(t, 0, 0));
  EXPECT_FALSE(TXTUtils::DeleteCharPos(t, 3, 1));
  EXPECT_TRUE(TXTUtils::DeleteCharPos(t, 1, 1));
  EXPECT_EQ(t, QStringLiteral("ac"));
  EXPECT_TRUE(TXTUtils::DeleteCharPos(t, 2, 0));
  EXPECT_EQ(t, QStringLiteral("a"));

  // A minus only where a coordinate starts: first, after "@", or right after the first comma; other keys always.
  for (const auto& [text, key, at, ok] : {std::tuple{"", '-', 0, true}, {"-5", '-', 0, false}, {"5", '-', 1, false},
                                          {"@", '-', 1, true}, {"@5,", '-', 3, true}, {"5,6,", '-', 4, false}, {"5", '7', 1, true}})
    EXPECT_EQ(ValidInputKey(QString::fromLatin1(text), QLatin1Char(key), at), ok) << text << " + " << key << " at " << at;

  EXPECT_TRUE(CursorOnPosS(100, 100, 4, 104, 96));
  EXPECT_FALSE(CursorOnPosS(100, 100, 4, 104.5, 100));

  TMouseFilterS f(100, 20);  // one pixel, 20 ms
  EXPECT_TRUE(f.FilterMouseMove(0, 0, 1000));
  EXPECT_FALSE(f.FilterMouseMove(5, 0, 1010));    // too soon
  EXPECT_FALSE(f.FilterMouseMove(0.5, 0, 1030));  // too close
  EXPECT_TRUE(f.FilterMouseMove(1, 0, 1030));
  f.ResetPos();
  EXPECT_TRUE(f.FilterMouseMove(1, 0, 1031));

  EXPECT_EQ(MoveKindOf(TORVHandleKind::SizeSW), TORVMoveKind::Size);
  EXPECT_EQ(MoveKindOf(TORVHandleKind::Bezier), TORVMoveKind::Point);
  EXPECT_EQ(MoveKindOf(TORVHandleKind::Fixed), TORVMoveKind::None);
}

TEST(EditUndo, ADragAndATypedTextAreOneStepEach) {
  TPlanoraFMX doc;
  TPLNBaseItem* r = TPLNFactory::AddBaseRectangle(&doc, 0, 0, 10000, 10000);
  doc.ClearUndo();
  doc.PickEditor(0, 5000, kTol, Shift::None, false);
  for (int i = 1; i <= 5; ++i) doc.MoveEditor(100, 0, 100 * i, 5000, -1, -1);
  doc.UpEditor(500, 5000);
  EXPECT_EQ(r->GetPoint(1), (TORVPto{500, 0}));
  EXPECT_EQ(doc.UndoCount(), 1);
  doc.Undo();
  EXPECT_EQ(doc.GetItem(1)->GetPoint(1), (TORVPto{0, 0}));

  // Undo in the middle of a drag ends the drag and undoes all of it; redo brings it back.
  doc.Redo();
  doc.PickEditor(500, 5000, kTol, Shift::None, false);
  doc.MoveEditor(300, 0, 800, 5000, -1, -1);
  doc.Undo();
  EXPECT_FALSE(doc.Act().Dragging);
  EXPECT_EQ(doc.Act().UndoDepth, 0);
  EXPECT_EQ(doc.GetItem(1)->GetPoint(1), (TORVPto{500, 0}));
  doc.MoveEditor(300, 0, 1100, 5000, -1, -1);  // the ended drag moves nothing
  doc.UpEditor(1100, 5000);
  EXPECT_EQ(doc.GetItem(1)->GetPoint(1), (TORVPto{500, 0}));
  doc.Redo();
  EXPECT_EQ(doc.GetItem(1)->GetPoint(1), (TORVPto{800, 0}));

  // A click without motion leaves no step behind.
  doc.ClearUndo();
  Click(doc, 0, 5000);
  EXPECT_EQ(doc.UndoCount(), 0);

  doc.StartAction(TORVDrawKind::Text);
  doc.PickEditor(30000, 30000, kTol, Shift::None, false);
  doc.SetTextObjectText(QStringLiteral("A"));
  doc.SetTextObjectText(QStringLiteral("AB"));
  doc.Clear(true, true);
  EXPECT_EQ(doc.GetItemsCount(), 2);
  EXPECT_EQ(doc.UndoCount(), 1);
  doc.Undo();
  EXPECT_EQ(doc.GetItemsCount(), 1);
}
