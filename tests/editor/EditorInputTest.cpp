// Pointer and keyboard input of the editor surface, driven by synthetic Qt events: drawing,
// handles, the rubber band, snapping, nudging, typing into a text and the coordinate input.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "ORV.FMX.Shared.Factory.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// The box of an item's defining points (its bounds also hold half the pen).
TORVBounds Box(const TPLNBaseItem* item) {
  TORVBounds b;
  for (int i = 1; i <= item->NumPoints(); ++i) b.Add(item->GetPoint(i));
  return b;
}

// Bounds as (x1, y1, x2, y2), to compare in one go.
std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t> Corners(const TORVBounds& b) { return {b.X1, b.Y1, b.X2, b.Y2}; }

// A black hairline drawn with anti-aliasing: grey darker than the selection outline (192)
// within a pixel of (x, y).
bool InkNear(const QImage& img, QPointF p) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (PlanoraTest::Gray(img, int(p.x()) + dx, int(p.y()) + dy) < 175) return true;
  return false;
}

// Pixels are about 264.6 base units: a point placed by a click is exact to half of that.
constexpr std::int64_t kPx = 265;

}  // namespace

TEST(EditorInput, GridRoundingAndOrthogonalProjection) {
  EXPECT_EQ(TPLNBackEditor::RoundToStep(15000, 10000), 10000);  // half a step rounds down
  EXPECT_EQ(TPLNBackEditor::RoundToStep(15001, 10000), 20000);
  EXPECT_EQ(TPLNBackEditor::RoundToStep(4999, 10000), 0);
  EXPECT_EQ(TPLNBackEditor::RoundToStep(30000, 10000), 30000);
  EXPECT_EQ(TPLNBackEditor::RoundToStep(1234, 0), 1234);  // no step: untouched, no division
  // Left of and above the page: the nearest step too, not the one towards zero.
  EXPECT_EQ(TPLNBackEditor::RoundToStep(-8000, 5000), -10000);
  EXPECT_EQ(TPLNBackEditor::RoundToStep(-7000, 5000), -5000);
  EXPECT_EQ(TPLNBackEditor::RoundToStep(-7500, 5000), -10000);  // half a step rounds down here too
  EXPECT_EQ(TPLNBackEditor::RoundToStep(-2000, 5000), 0);
  Input v;
  EXPECT_EQ(v.S().GridX(15001), -1);  // grid snapping off
  v.ed.SetSnap(snGrid);
  EXPECT_EQ(v.S().GridX(15001), 20000);
  v.ed.Grid().SetIncY(2.5);
  EXPECT_EQ(v.S().GridY(3700), 2500);
  // Ties go vertical.
  EXPECT_EQ(TPLNBackEditor::OrtoPoint({100, 100}, {110, 110}), QPointF(100, 110));
  EXPECT_EQ(TPLNBackEditor::OrtoPoint({100, 100}, {111, 90}), QPointF(111, 100));
  EXPECT_EQ(TPLNBackEditor::OrtoPoint({100, 100}, {95, 120}), QPointF(100, 120));
}

TEST(EditorInput, RectangleByTwoClicksWithAndWithoutGrid) {
  Input v;
  v.doc.StartAction(TORVDrawKind::Rectangle);
  const QPointF a = v.At(20300, 10400), b = v.At(51800, 33700);
  v.Click(a);
  v.Click(b);
  ASSERT_EQ(v.doc.GetItemsCount(), 1);
  EXPECT_EQ(Corners(Box(v.doc.GetItem(1))),
            std::tuple(v.S().BaseMMX(a.x()), v.S().BaseMMY(a.y()), v.S().BaseMMX(b.x()), v.S().BaseMMY(b.y())));
  EXPECT_NEAR(Box(v.doc.GetItem(1)).X1, 20300, kPx);

  // With grid snapping both corners land on the 10 mm grid.
  v.ed.SetSnap(snGrid);
  v.doc.StartAction(TORVDrawKind::Rectangle);
  v.Click(v.At(21400, 9000));
  v.Click(v.At(44000, 36000));
  ASSERT_EQ(v.doc.GetItemsCount(), 2);
  EXPECT_EQ(Corners(Box(v.doc.GetItem(2))), std::tuple(20000, 10000, 40000, 40000));

  // The keyboard undoes and redoes without any menu.
  v.Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(v.doc.GetItemsCount(), 1);
  v.Key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(v.doc.GetItemsCount(), 2);
  v.Key(Qt::Key_Z, Qt::ControlModifier);
  v.Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(v.doc.GetItemsCount(), 2);

  // A drag draws one too, its release snapped like a click; a click in place then waits for a
  // second corner instead of making an empty box.
  v.doc.StartAction(TORVDrawKind::Rectangle);
  v.Drag(v.At(61000, 9000), v.At(78600, 31000));
  ASSERT_EQ(v.doc.GetItemsCount(), 3);
  EXPECT_EQ(Corners(Box(v.doc.GetItem(3))), std::tuple(60000, 10000, 80000, 30000));
  v.Click(v.At(70000, 50000));
  EXPECT_EQ(v.doc.GetItemsCount(), 3);
  EXPECT_EQ(v.doc.Act().State(), 1);
}

TEST(EditorInput, HandlesResizeRotateAndNearMissesMove) {
  Input v;
  TPLNBaseItem* item = v.Rect(20000, 20000, 40000, 20000);
  v.doc.Select(item);
  ASSERT_GT(v.doc.GetSelPointCount(), 0);

  // The right edge's handle: dragging it 20 px to the right widens the rectangle only.
  const TORVSelPoint e = v.Handle(TORVHandleKind::SizeE);
  QPointF h = v.At(e.P.X, e.P.Y);
  v.Drag(h, h + QPointF(20, 0));
  TORVBounds b = Box(item);
  EXPECT_EQ(b.X1, 20000);
  EXPECT_NEAR(b.X2, 60000 + 20 * 25400 / 96, 2 * kPx);
  EXPECT_EQ(b.Y1, 20000);
  EXPECT_EQ(b.Y2, 40000);
  EXPECT_EQ(v.doc.Act().Move, TORVMoveKind::None);  // the release ended the drag

  // 5 px below that handle, on the edge: too far for the handle, the item moves instead.
  const std::int64_t width = b.X2 - b.X1;
  const TORVSelPoint e2 = v.Handle(TORVHandleKind::SizeE);
  h = v.At(e2.P.X, e2.P.Y);
  v.Drag(h + QPointF(0, 5), h + QPointF(10, 5));
  b = Box(item);
  EXPECT_EQ(b.X2 - b.X1, width);
  EXPECT_NEAR(b.X1, 20000 + 10 * 25400 / 96, 2 * kPx);
  EXPECT_NEAR(b.Y1, 20000, kPx);

  // 5 px from the rotation handle still grabs it (it is wider). A line holds any angle: a
  // quarter turn about its middle stands it up.
  TPLNBaseItem* line = TPLNFactory::AddBaseLine(&v.doc, 20000, 50000, 60000, 50000);
  v.doc.ClearSelection();
  v.doc.Select(line);
  const TORVSelPoint rot = v.Handle(TORVHandleKind::Rotate);
  const QPointF r = v.At(rot.P.X, rot.P.Y);
  const QPointF c = v.At(40000, 50000);
  const QPointF grab = r + QPointF(5, 0);
  v.Move(grab);
  v.Press(grab);
  EXPECT_EQ(v.doc.Act().Move, TORVMoveKind::Rotate);
  // The turn is the angle swept about the centre from where the handle was grabbed.
  const double radius = std::hypot(grab.x() - c.x(), grab.y() - c.y());
  const double a0 = std::atan2(grab.y() - c.y(), grab.x() - c.x());
  const auto around = [&](int deg) {
    const double a = a0 + deg * M_PI / 180;
    return c + QPointF(radius * std::cos(a), radius * std::sin(a));
  };
  for (int deg = 10; deg <= 90; deg += 10) v.Move(around(deg), Qt::LeftButton);
  v.Release(around(90));
  const TORVBounds t = Box(line);
  EXPECT_NEAR(double(t.X2 - t.X1), 0, 600);
  EXPECT_NEAR(double(t.Y2 - t.Y1), 40000, 600);
  EXPECT_NEAR(double(t.X1 + t.X2) / 2, 40000, 300);
}

TEST(EditorInput, TheSecondClickOfADoubleClickPressesDragsOrEdits) {
  Input v;
  TPLNBaseItem* item = v.Rect(20000, 20000, 20000, 10000);
  // A click selects; a quick press on the same spot and a drag move the item. The top edge a
  // quarter along holds no handle.
  const QPointF on = v.At(25000, 20000);
  v.Click(on);
  ASSERT_TRUE(v.doc.IsSelected(item));
  v.SecondPress(on);
  for (int dx = 5; dx <= 30; dx += 5) v.Move(on + QPointF(dx, 0), Qt::LeftButton);
  v.Release(on + QPointF(30, 0));
  EXPECT_NEAR(Box(item).X1, 20000 + 30 * 25400 / 96, 2 * kPx);
  EXPECT_EQ(Box(item).Y1, 20000);
  EXPECT_EQ(v.doc.Act().Action, TORVAction::Selection);
  EXPECT_EQ(v.doc.Act().Move, TORVMoveKind::None);
  v.doc.Undo();
  EXPECT_EQ(Box(item).X1, 20000);  // one step

  // A double click on a text types into it again; dragged after the second press, it is a move.
  v.doc.StartAction(TORVDrawKind::Text);
  v.Click(v.At(50000, 40000));
  v.Type(QStringLiteral("Hello"));
  v.Key(Qt::Key_Return);
  v.doc.ResetAction();
  ASSERT_EQ(v.doc.GetItemsCount(), 2);
  TPLNBaseItem* text = v.doc.GetItem(2);
  const TORVBounds tb = text->GetBounds();
  const QPointF mid = v.At((tb.X1 + tb.X2) / 2, (tb.Y1 + tb.Y2) / 2);
  v.Click(mid);
  v.SecondPress(mid);
  v.Move(mid + QPointF(0, 20), Qt::LeftButton);
  v.Release(mid + QPointF(0, 20));
  EXPECT_EQ(v.doc.GetTextObject(), nullptr);
  EXPECT_NEAR(text->GetBounds().Y1, tb.Y1 + 20 * 25400 / 96, 2 * kPx);
  const TORVBounds moved = text->GetBounds();
  v.DoubleClick(v.At((moved.X1 + moved.X2) / 2, (moved.Y1 + moved.Y2) / 2));
  EXPECT_EQ(v.doc.GetTextObject(), text);
  EXPECT_TRUE(v.S().Typing());
  EXPECT_EQ(v.S().EditText(), QStringLiteral("Hello"));
  v.Key(Qt::Key_Escape);

  // A double click ends a polyline at the point it was made on, which is not added twice.
  v.doc.StartAction(TORVDrawKind::PolyLine);
  v.Click(v.At(10000, 45000));
  v.Click(v.At(30000, 55000));
  v.DoubleClick(v.At(60000, 45000));
  ASSERT_EQ(v.doc.GetItemsCount(), 3);
  const TPLNBaseItem* poly = v.doc.GetItem(3);
  ASSERT_EQ(poly->NumPoints(), 3);
  EXPECT_NEAR(poly->GetPoint(3).X, 60000, kPx);
  EXPECT_TRUE(v.doc.Act().Points.empty());

  // Without the option a double click is two clicks: the polyline goes on.
  v.ed.SetEditorOptions(kDefaultEditorOptions);
  v.Click(v.At(10000, 10000));
  v.DoubleClick(v.At(30000, 10000));
  EXPECT_EQ(v.doc.GetItemsCount(), 3);
  EXPECT_EQ(v.doc.Act().Points.size(), 2u);
}

TEST(EditorInput, RubberBandShowsAndSelectsExactlyTheEnclosedItems) {
  Input v;
  TPLNBaseItem* a = v.Rect(10000, 10000, 10000, 10000);
  TPLNBaseItem* b = v.Rect(30000, 10000, 10000, 10000);
  TPLNBaseItem* c = v.Rect(50000, 10000, 30000, 10000);  // sticks out of the band
  // In progress the band shows its rectangle.
  v.Move(v.At(5000, 5000));
  v.Press(v.At(5000, 5000));
  v.Move(v.At(62000, 30000), Qt::LeftButton);
  const QImage img = v.Shot();
  const QColor band = QColor::fromRgba(v.ed.SelectionColors().SelectionRect);
  const QPointF mid = v.At(33500, 5000);
  EXPECT_TRUE(PlanoraTest::ColorAt(img, mid.toPoint(), band, 60) ||
              PlanoraTest::ColorAt(img, (mid + QPointF(0, 1)).toPoint(), band, 60));
  v.Release(v.At(62000, 30000));
  EXPECT_EQ(v.doc.GetSelectionCount(), 2);
  EXPECT_TRUE(v.doc.IsSelected(a));
  EXPECT_TRUE(v.doc.IsSelected(b));
  EXPECT_FALSE(v.doc.IsSelected(c));
  EXPECT_TRUE(v.doc.RubberBand().IsEmpty());
}

TEST(EditorInput, SnapPrecedenceAndOrthogonalLines) {
  Input v;
  // An end point off the grid, and a midpoint close to it.
  TPLNFactory::AddBaseLine(&v.doc, 21500, 21500, 23500, 21500);
  v.ed.SetSnap(snEndPoint | snMiddlePoint | snGrid);
  v.doc.StartAction(TORVDrawKind::Line);
  v.Click(v.At(40000, 40000));
  // Nearer the midpoint (22500) than the end (23500), and a grid point (20000) close by.
  v.Move(v.At(22900, 21800));
  ASSERT_TRUE(v.S().Ref().Found);
  EXPECT_EQ(v.S().Ref().P, (TORVPto{23500, 21500}));
  EXPECT_EQ(v.doc.Act().Current, (TORVPto{23500, 21500}));
  v.Press(v.At(22900, 21800));
  v.Release(v.At(22900, 21800));
  ASSERT_EQ(v.doc.GetItemsCount(), 2);
  EXPECT_EQ(v.doc.GetItem(2)->GetPoint(2), (TORVPto{23500, 21500}));
  EXPECT_EQ(v.doc.GetItem(2)->GetPoint(1), (TORVPto{40000, 40000}));  // the grid, with nothing to snap to

  // Orthogonal: 10 px right and 10 px down from the first point draws a vertical line.
  v.ed.SetSnap(0);
  v.Key(Qt::Key_F8);
  EXPECT_TRUE(v.ed.GetOrtoLines());
  v.doc.StartAction(TORVDrawKind::Line);
  const QPointF p = v.At(60000, 30000);
  v.Click(p);
  v.Move(p + QPointF(10, 10));
  v.Press(p + QPointF(10, 10));
  v.Release(p + QPointF(10, 10));
  ASSERT_EQ(v.doc.GetItemsCount(), 3);
  const TPLNBaseItem* line = v.doc.GetItem(3);
  EXPECT_EQ(line->GetPoint(1).X, line->GetPoint(2).X);
  EXPECT_NEAR(double(line->GetPoint(2).Y - line->GetPoint(1).Y), 10 * 25400 / 96.0, kPx);
  v.Key(Qt::Key_F9);
  EXPECT_EQ(v.ed.GetSnap(), snGrid);

  // Both on: the segment stays vertical through the first point (typed, off the grid) and its
  // free end lands on the 10 mm grid.
  v.doc.StartAction(TORVDrawKind::PolyLine);
  v.Type(QStringLiteral("61.3,12.7"));
  v.Key(Qt::Key_Return);
  ASSERT_EQ(v.doc.Act().Points.size(), 1u);
  const TORVPto first = v.doc.Act().Points.back();
  EXPECT_EQ(first, (TORVPto{61300, 12700}));
  const QPointF off = v.At(61300, 12700) + QPointF(12, 60);  // mostly down, a little right
  v.Move(off);
  v.Press(off);
  v.Release(off);
  ASSERT_EQ(v.doc.Act().Points.size(), 2u);
  const TORVPto second = v.doc.Act().Points.back();
  EXPECT_EQ(second.X, first.X);
  EXPECT_EQ(second.Y % 10000, 0);
  EXPECT_NEAR(double(second.Y), double(v.S().BaseMMY(off.y())), 5000);
  v.Key(Qt::Key_Escape);
}

TEST(EditorInput, NudgeRightPressAndAlignment) {
  Input v;
  TPLNBaseItem* item = v.Rect(30000, 20000, 10000, 10000);
  v.doc.Select(item);
  v.Key(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(Box(item).X1, 31000);  // MoveX, 1 mm
  v.Key(Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(Box(item).Y1, 19000);
  v.ed.SetMoveX(0);  // clamped to the smallest step, 0.1 mm
  v.Key(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(Box(item).X1, 30900);
  // With grid snapping exactly one grid step of its own axis, whatever MoveX says.
  v.ed.SetSnap(snGrid);
  v.ed.Grid().SetIncX(5);
  v.ed.Grid().SetIncY(2);
  v.Key(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(Box(item).X1, 35900);
  v.Key(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(Box(item).Y1, 21000);
  v.Key(Qt::Key_Up, Qt::ControlModifier);
  v.Key(Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(Box(item).Y1, 17000);
  EXPECT_EQ(Box(item).X1, 35900);
  // Shift+Right grows the right side by MoveX; plain arrows do nothing.
  v.ed.SetMoveX(2);
  v.Key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(Box(item).X2 - Box(item).X1, 12000);
  const TORVBounds before = Box(item);
  v.Key(Qt::Key_Right);
  EXPECT_EQ(Box(item).X1, before.X1);

  // A right press on empty paper leaves the selection alone.
  v.Press(v.At(80000, 50000), Qt::RightButton);
  v.Release(v.At(80000, 50000), Qt::RightButton);
  EXPECT_EQ(v.doc.GetSelectionCount(), 1);
  EXPECT_TRUE(v.doc.IsSelected(item));

  // Alignment to the guides, one undo step each.
  v.ed.Rulers().GuideX = 10000;
  v.ed.AlignSelectedLeft();
  EXPECT_EQ(Box(item).X1, 10000);
  v.ed.AlignSelectedRight();
  EXPECT_EQ(Box(item).X2, 10000);
  v.doc.Undo();
  EXPECT_EQ(Box(item).X1, 10000);

  // Tab walks the items; Delete removes the selection.
  TPLNBaseItem* other = v.Rect(60000, 40000, 5000, 5000);
  v.doc.Select(item);
  QApplication::setActiveWindow(&v.ed);
  v.S().setFocus();
  ASSERT_TRUE(v.S().hasFocus());
  v.Key(Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
  EXPECT_TRUE(v.doc.IsSelected(other));
  EXPECT_TRUE(v.S().hasFocus());  // Tab did not move the focus away
  v.Key(Qt::Key_Delete);
  EXPECT_EQ(v.doc.GetItemsCount(), 1);
}

TEST(EditorInput, CoordinateInput) {
  Input v;
  v.doc.StartAction(TORVDrawKind::Line);
  ASSERT_TRUE(v.S().CoordEntry());
  v.Type(QStringLiteral("1,2,"));  // the second "," is refused
  EXPECT_EQ(v.ed.InputTextValue(), QStringLiteral("1,2"));
  EXPECT_TRUE(v.S().InputOpen());
  v.Type(QStringLiteral("x@"));  // a letter never, "@" once
  EXPECT_EQ(v.ed.InputTextValue(), QStringLiteral("1,2@"));
  v.Key(Qt::Key_Backspace);
  v.Key(Qt::Key_Return);
  EXPECT_EQ(v.ed.BasePointX(), 1000);
  EXPECT_EQ(v.ed.BasePointY(), 2000);
  ASSERT_EQ(v.doc.Act().Points.size(), 1u);
  EXPECT_EQ(v.doc.Act().Points[0], (TORVPto{1000, 2000}));
  EXPECT_FALSE(v.S().InputOpen());
  EXPECT_TRUE(v.ed.InputTextValue().isEmpty());

  // The box opens next to the pointer, below the top ruler, and stays inside the surface.
  const QPointF pointer = v.At(50000, 30000);
  v.Move(pointer);
  v.Type(QStringLiteral("5"));
  ASSERT_TRUE(v.S().InputOpen());
  QRectF opened = v.S().InputRect();
  EXPECT_LT(std::hypot(opened.left() - pointer.x(), opened.top() - pointer.y()), 40) << opened.left() << "," << opened.top();
  EXPECT_GE(opened.top(), v.S().RulerTop());
  const QPointF corner(v.S().width() - 3, v.S().height() - 3);
  v.Move(corner);
  v.Key(Qt::Key_Backspace);
  v.Key(Qt::Key_Escape);
  v.doc.StartAction(TORVDrawKind::Line);
  v.Move(corner);
  v.Type(QStringLiteral("5"));
  opened = v.S().InputRect();
  EXPECT_LE(opened.right(), v.S().width());
  EXPECT_LE(opened.bottom(), v.S().height());
  EXPECT_LT(std::hypot(opened.right() - corner.x(), opened.bottom() - corner.y()), 40);
  v.Key(Qt::Key_Escape);
  v.doc.StartAction(TORVDrawKind::Line);
  v.Type(QStringLiteral("1,2"));
  v.Key(Qt::Key_Return);

  // Relative to the last point; the second point finishes the line.
  v.Type(QStringLiteral("@10.5,-3"));
  EXPECT_EQ(v.ed.InputTextValue(), QStringLiteral("@10.5,-3"));
  v.Key(Qt::Key_Enter);
  ASSERT_EQ(v.doc.GetItemsCount(), 1);
  EXPECT_EQ(v.doc.GetItem(1)->GetPoint(2), (TORVPto{11500, -1000}));

  // Backspace at caret 0 changes nothing; Delete there removes the first character.
  v.Type(QStringLiteral("12"));
  v.Key(Qt::Key_Left);
  v.Key(Qt::Key_Left);
  v.Key(Qt::Key_Left);
  v.Key(Qt::Key_Backspace);
  EXPECT_EQ(v.ed.InputTextValue(), QStringLiteral("12"));
  v.Key(Qt::Key_Delete);
  EXPECT_EQ(v.ed.InputTextValue(), QStringLiteral("2"));
  // A text that does not parse stays in the box.
  v.Type(QStringLiteral(".."));
  v.Key(Qt::Key_Return);
  EXPECT_EQ(v.ed.InputTextValue(), QStringLiteral("..2"));  // typed at the caret, still at 0
  v.Key(Qt::Key_Escape);
  EXPECT_FALSE(v.doc.Act().IsDrawing());
  EXPECT_TRUE(v.ed.InputTextValue().isEmpty());

  // The box is white with red text.
  v.doc.StartAction(TORVDrawKind::Line);
  v.Type(QStringLiteral("88,88"));
  const QImage img = v.Shot();
  const QRectF box = v.S().InputRect();
  EXPECT_TRUE(PlanoraTest::ColorAt(img, QPoint(int(box.left()) + 2, int(box.bottom()) - 2), Qt::white));
  bool red = false;
  for (int x = int(box.left()); x < int(box.right()) && !red; ++x)
    for (int y = int(box.top()); y < int(box.bottom()) && !red; ++y) red = PlanoraTest::ColorAt(img, {x, y}, Qt::red, 60);
  EXPECT_TRUE(red);
}

TEST(EditorInput, TypingIntoText) {
  Input v;
  v.doc.StartAction(TORVDrawKind::Text);
  v.Click(v.At(20000, 20000));
  ASSERT_TRUE(v.S().Typing());
  v.Type(QStringLiteral("one two"));
  EXPECT_EQ(v.S().EditText(), QStringLiteral("one two"));
  EXPECT_EQ(v.S().Caret(), 7);
  auto* text = dynamic_cast<Text::TPLNBaseText*>(v.doc.GetTextObject());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->GetText(), QStringLiteral("one two"));

  v.Key(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(v.S().Caret(), 4);
  v.Key(Qt::Key_Left);
  v.Key(Qt::Key_Backspace);
  EXPECT_EQ(v.S().EditText(), QStringLiteral("on two"));
  EXPECT_EQ(v.S().Caret(), 2);
  v.Key(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(v.S().Caret(), 3);
  // Shift selects from the caret; typing replaces the selection.
  v.Key(Qt::Key_Right, Qt::ShiftModifier);
  v.Key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(v.S().SelStart(), 3);
  EXPECT_EQ(v.S().SelEnd(), 5);
  v.Type(QStringLiteral("X"));
  EXPECT_EQ(v.S().EditText(), QStringLiteral("on Xo"));
  v.Key(Qt::Key_Home);
  v.Key(Qt::Key_Backspace);  // nothing before the caret
  v.Key(Qt::Key_Delete);
  EXPECT_EQ(v.S().EditText(), QStringLiteral("n Xo"));
  // Delete while typing edits the text, never the item.
  EXPECT_EQ(v.doc.GetItemsCount(), 1);
  // Ctrl+V pastes the clipboard's text at the caret, not a document paste.
  QGuiApplication::clipboard()->setText(QStringLiteral("ab"));
  v.Key(Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  EXPECT_EQ(v.S().EditText(), QStringLiteral("abn Xo"));
  v.Key(Qt::Key_Return);
  EXPECT_FALSE(v.S().Typing());
  ASSERT_EQ(v.doc.GetItemsCount(), 1);
  EXPECT_EQ(dynamic_cast<Text::TPLNBaseText*>(v.doc.GetItem(1))->GetText(), QStringLiteral("abn Xo"));
}

TEST(EditorInput, ParagraphCaretFollowsItsWrappedLines) {
  Input v;
  v.doc.StartAction(TORVDrawKind::Paragraph);
  v.Click(v.At(10000, 10000));
  v.Click(v.At(60000, 50000));
  ASSERT_TRUE(v.S().Typing());
  v.Type(QStringLiteral("alpha beta gamma delta epsilon zeta"));
  auto* para = dynamic_cast<Text::TPLNBasePara*>(v.doc.GetTextObject());
  ASSERT_NE(para, nullptr);
  ASSERT_GE(para->Lines().size(), 2u);
  const TORVTxtInf first = para->Lines()[0], second = para->Lines()[1];
  const int secondStart = second.Start - 1;
  // A click just left of the second line puts the caret at its first character.
  const QPointF onSecond = v.At(10000 + second.X, 10000 + second.Y + 1500) - QPointF(2, 0);
  v.Click(onSecond);
  EXPECT_EQ(v.S().Caret(), secondStart);
  // Up goes to the same place on the first line, Down comes back.
  v.Key(Qt::Key_Up);
  EXPECT_EQ(v.S().Caret(), first.Start - 1);
  v.Key(Qt::Key_Down);
  EXPECT_EQ(v.S().Caret(), secondStart);
  v.Key(Qt::Key_End);
  v.Key(Qt::Key_Down);  // the last line has nothing below
  EXPECT_EQ(v.S().Caret(), int(v.S().EditText().size()));
}

TEST(EditorInput, CopyAndPasteGoThroughTheSystemClipboard) {
  Input v;
  TPLNBaseItem* item = v.Rect(20000, 20000, 20000, 10000);
  v.doc.Select(item);
  v.Key(Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
  EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QLatin1String(TPlanoraFMX::kClipboardMarker)));
  v.Key(Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  EXPECT_EQ(v.doc.GetItemsCount(), 2);

  // Foreign text pastes nothing and is reported.
  QString told;
  v.doc.OnInfoMsg = [&](const QString& m) { told = m; };
  QGuiApplication::clipboard()->setText(QStringLiteral("hello"));
  v.Key(Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  EXPECT_EQ(v.doc.GetItemsCount(), 2);
  EXPECT_FALSE(told.isEmpty());
}

TEST(EditorInput, EventsInAnyOrderAreHarmless) {
  {
    TPLNEditor bare;  // no document at all
    bare.resize(300, 200);
    bare.show();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 50), QPointF(50, 50), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(bare.Surface(), &press);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(bare.Surface(), &key);
  }
  Input v;
  TPLNBaseItem* item = v.Rect(20000, 20000, 20000, 10000);
  const QPointF on = v.At(20000, 25000);  // on the left edge
  v.Release(on);
  v.Mouse(QEvent::MouseButtonDblClick, on, Qt::LeftButton, Qt::LeftButton);
  v.Release(on);
  v.Move(on + QPointF(30, 0), Qt::LeftButton);
  EXPECT_EQ(Box(item).X1, 20000);
  ASSERT_EQ(v.doc.GetItemsCount(), 1);

  // Keys during a drag, then a drag far outside the page and a release out there.
  v.Move(on);
  v.Press(on);
  EXPECT_TRUE(v.doc.IsSelected(item));
  v.Move(on + QPointF(10, 0), Qt::LeftButton);
  ASSERT_EQ(v.doc.GetItemsCount(), 1);
  v.Key(Qt::Key_Delete);
  v.Key(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(v.doc.GetItemsCount(), 1);
  v.Move(QPointF(-4000, -3000), Qt::LeftButton);
  v.Release(QPointF(-4000, -3000));
  EXPECT_EQ(v.doc.Act().Move, TORVMoveKind::None);
  const TORVBounds moved = Box(item);
  v.Move(on);  // hovering after the release moves nothing
  EXPECT_EQ(Box(item).X1, moved.X1);
  // A press outside the page does nothing, not even deselect.
  v.Press(QPointF(2, 2));
  v.Release(QPointF(2, 2));
  EXPECT_TRUE(v.doc.IsSelected(item));
  // An undo puts the dragged item back in one step.
  v.doc.Undo();
  EXPECT_EQ(Box(item).X1, 20000);

  // A press while drawing, Esc, and a release: nothing half made remains.
  v.doc.StartAction(TORVDrawKind::Rectangle);
  v.Click(v.At(50000, 20000));
  v.Key(Qt::Key_Escape);
  v.Release(v.At(60000, 30000));
  EXPECT_EQ(v.doc.GetItemsCount(), 1);
  EXPECT_FALSE(v.doc.Act().IsDrawing());
}

TEST(EditorInput, SizeHandlesArePainted) {
  Input v;
  TPLNBaseItem* item = v.Rect(20000, 20000, 40000, 20000);
  v.doc.Select(item);
  const TORVSelPoint e = v.Handle(TORVHandleKind::SizeE);
  const QPointF h = v.At(e.P.X, e.P.Y);
  const QImage img = v.Shot();
  // The square's outline in the size colour, white inside.
  const QColor size = QColor::fromRgba(v.ed.SelectionColors().SizeColor);
  EXPECT_TRUE(PlanoraTest::ColorAt(img, (h + QPointF(3, 0)).toPoint(), size, 40) ||
              PlanoraTest::ColorAt(img, (h + QPointF(4, 0)).toPoint(), size, 40));
  EXPECT_TRUE(PlanoraTest::ColorAt(img, (h + QPointF(1, 1)).toPoint(), Qt::white, 40));
}

// While the selection is dragged the kept page leaves it out and it is drawn over the page at
// every repaint; after the release and after an undo the page is drawn again.
TEST(EditorInput, DraggedItemsShowWhereTheyAre) {
  Input v;
  TPLNBaseItem* item = v.Rect(20000, 20000, 20000, 20000);
  v.Rect(60000, 20000, 10000, 10000);  // stays put
  const QPointF edge = v.At(20000, 25000), still = v.At(60000, 25000);
  const int shift = 40;
  ASSERT_TRUE(InkNear(v.Shot(), edge));
  v.Move(edge);
  v.Press(edge);
  for (int i = 1; i <= 4; ++i) v.Move(edge + QPointF(shift * i / 4, 0), Qt::LeftButton);
  ASSERT_TRUE(v.S().InDragLayer());
  QImage img = v.Shot();
  EXPECT_TRUE(InkNear(img, edge + QPointF(shift, 0)));
  EXPECT_TRUE(PlanoraTest::WhiteNear(img, int(edge.x()), int(edge.y())));
  EXPECT_TRUE(InkNear(img, still));
  v.Release(edge + QPointF(shift, 0));
  EXPECT_FALSE(v.S().InDragLayer());
  img = v.Shot();
  EXPECT_TRUE(InkNear(img, edge + QPointF(shift, 0)));
  EXPECT_TRUE(PlanoraTest::WhiteNear(img, int(edge.x()), int(edge.y())));
  v.doc.ClearSelection();
  v.doc.Undo();
  EXPECT_EQ(Box(item).X1, 20000);
  img = v.Shot();
  EXPECT_TRUE(InkNear(img, edge));
  EXPECT_TRUE(PlanoraTest::WhiteNear(img, int(edge.x()) + shift, int(edge.y())));
}
