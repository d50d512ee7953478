// The frame: conversions, zoom, fit, page placement, scroll bars, tool strip layout.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>

#include "EditorFixture.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.Utils.h"

using namespace Orv;
using namespace Orv::Fmx;

TEST(EditorFrame, ConversionsAndTheirRoundTrip) {
  EditorView v;
  TPLNBackEditor& s = v.S();
  const int originX = s.MarginLeft() + s.RulerLeft() - s.ScrollX();
  const int originY = s.MarginTop() + s.RulerTop() - s.ScrollY();
  ASSERT_EQ(originX, 33);  // margin 15 + ruler 18
  // 1 mm is 3.78 pixels at 100 %: one pixel of rounding each way.
  EXPECT_EQ(s.ScreenMMX(1000), originX + 4);
  EXPECT_EQ(s.BaseMMX(originX + 4), 1058);
  EXPECT_EQ(s.ScreenMMY(1000), originY + 4);
  EXPECT_EQ(s.BaseMMY(originY + 4), 1058);
  EXPECT_EQ(s.CoordDX(10, true), originX + 38);
  EXPECT_NEAR(s.FX(), 96 / 25.4, 1e-9);
  EXPECT_NEAR(s.WorldX(originX + 38, true), 10.05, 0.01);

  // A yard is three feet.
  v.doc.SetUnits(TORVUnits::yard);
  EXPECT_EQ(s.BaseMM(1.0), 914400);
  v.doc.SetUnits(TORVUnits::inch);
  EXPECT_EQ(s.BaseMM(0.5), 12700);
  EXPECT_EQ(s.CoordDX(1, false), 96);

  // Screen -> base -> screen stays within half a pixel at every zoom and scale; scrolling shifts.
  for (std::int64_t scale : {1, 100}) {
    v.SetScale(scale);
    for (TORVZoom z : {zm25, zm75, zm100, zm350, zm500}) {
      v.ed.SetZoom(z);
      const double basePerPixel = 25400.0 / (96 * v.ed.ZoomFactor()) * scale;
      for (std::int64_t b : {0LL, 1234LL * scale, 57891LL * scale}) {
        EXPECT_NEAR(double(s.BaseMMX(s.ScreenMMX(b))), double(b), basePerPixel / 2 + scale) << z << " " << b;
        EXPECT_NEAR(double(s.BaseMMY(s.ScreenMMY(b))), double(b), basePerPixel / 2 + scale) << z << " " << b;
      }
    }
  }
  v.ed.SetZoom(zm200);
  const int before = s.ScreenMMX(20000);
  v.ed.HorzScrollBar()->setValue(50);
  EXPECT_EQ(s.ScrollX(), 50);
  EXPECT_EQ(s.ScreenMMX(20000), before - 50);

  // At 1:100 a metre of the world is a centimetre of paper; millimetres on screen stay paper.
  v.doc.SetUnits(TORVUnits::m);
  v.ed.SetZoom(zm100);
  EXPECT_EQ(s.CoordDX(1, false), 38);
  EXPECT_EQ(s.BaseMMX(s.MarginLeft() + s.RulerLeft() - s.ScrollX() + 38), 1005400);
  EXPECT_NEAR(s.WorldX(38, false), 1.0054, 1e-3);
  v.doc.SetUnits(TORVUnits::mm);
  EXPECT_NEAR(s.WorldX(38, false), 10.054, 1e-2);
}

TEST(EditorFrame, ZoomStepsLimitsAndTheZoomBox) {
  EditorView v;
  int changes = 0;
  QObject::connect(&v.ed, &TPLNBaseEditor::ZoomChanged, [&] { ++changes; });
  EXPECT_EQ(v.ed.GetZoom(), zm100);
  EXPECT_EQ(v.ed.ZoomBox()->currentIndex(), 3);
  EXPECT_EQ(v.ed.ZoomBox()->count(), 18);
  v.ed.IncZoom();
  EXPECT_EQ(v.ed.GetZoom(), zm125);
  EXPECT_DOUBLE_EQ(v.ed.ZoomFactor(), 1.25);
  EXPECT_EQ(v.ed.ZoomBox()->currentIndex(), 4);
  EXPECT_EQ(v.S().ZoomPageWidth(), 473);  // round(378 x 1.25)
  EXPECT_EQ(changes, 1);

  v.ed.SetZoom(zm500);
  v.ed.IncZoom();
  EXPECT_EQ(v.ed.GetZoom(), zm500);
  v.ed.SetZoom(zm25);
  v.ed.DecZoom();
  EXPECT_EQ(v.ed.GetZoom(), zm25);
  EXPECT_DOUBLE_EQ(v.ed.ZoomFactor(), 0.25);

  // The separator chooses nothing; the items after it are the fit modes.
  changes = 0;
  v.ed.ZoomBox()->setCurrentIndex(14);
  EXPECT_EQ(v.ed.GetZoom(), zm25);
  EXPECT_EQ(v.ed.ZoomBox()->currentIndex(), 0);
  EXPECT_EQ(changes, 0);
  v.ed.ZoomBox()->setCurrentIndex(5);
  EXPECT_EQ(v.ed.GetZoom(), zm150);
  v.ed.ZoomBox()->setCurrentIndex(17);
  EXPECT_EQ(v.ed.GetZoom(), zmFitAll);
  // From a fit mode a step goes to the fixed step next to the fitted factor, up or down; a step
  // never enters a fit mode.
  const double fit = v.ed.ZoomFactor();
  v.ed.IncZoom();
  ASSERT_LE(v.ed.GetZoom(), zm500);
  EXPECT_GT(v.ed.ZoomFactor(), fit);
  EXPECT_LE(ZoomStepFactor(static_cast<TORVZoom>(v.ed.GetZoom() - 1)), fit);
  EXPECT_EQ(v.ed.ZoomBox()->currentIndex(), int(v.ed.GetZoom()));
  v.ed.SetZoom(zmFitAll);
  v.ed.DecZoom();
  ASSERT_LE(v.ed.GetZoom(), zm500);
  EXPECT_LT(v.ed.ZoomFactor(), fit);
  EXPECT_GE(ZoomStepFactor(static_cast<TORVZoom>(v.ed.GetZoom() + 1)), fit);
}

TEST(EditorFrame, FitModes) {
  EditorView v(600, 400);
  const auto& s = v.S();
  // Width: 600 - 2 x 15 - 44 - 18 (left ruler) over 378 pixels of page.
  v.ed.SetZoom(zmWidth);
  EXPECT_NEAR(v.ed.ZoomFactor(), 508.0 / 378, 1e-9);
  v.ed.SetZoom(zmHeight);
  EXPECT_NEAR(v.ed.ZoomFactor(), 308.0 / 227, 1e-9);
  v.ed.SetZoom(zmFitAll);
  EXPECT_NEAR(v.ed.ZoomFactor(), std::min(508.0 / 378, 308.0 / 227), 1e-9);
  EXPECT_FALSE(v.ed.HorzScrollBar()->isVisibleTo(&v.ed) || v.ed.VertScrollBar()->isVisibleTo(&v.ed));
  // Fit follows the frame, and the rulers it must leave room for.
  v.ed.Rulers().SetVisible(rvLeft | rvTop | rvRight | rvBottom);
  EXPECT_NEAR(v.ed.ZoomFactor(), std::min(490.0 / 378, 290.0 / 227), 1e-9);
  v.ed.resize(900, 700);
  EXPECT_NEAR(v.ed.ZoomFactor(), std::min(790.0 / 378, 590.0 / 227), 1e-9);
  EXPECT_LE(s.ZoomPageWidth() + s.RulerLeft() + s.RulerRight() + 2 * 15, s.width());
  // A frame smaller than its tool strip keeps a positive zoom and draws.
  v.ed.resize(30, 20);
  EXPECT_GT(v.ed.ZoomFactor(), 0);
  EXPECT_FALSE(v.Shot().isNull());
}

TEST(EditorFrame, PagePlacementAndScrollBars) {
  EditorView v(600, 400);
  TPLNBackEditor& s = v.S();
  QScrollBar* h = v.ed.HorzScrollBar();
  QScrollBar* vb = v.ed.VertScrollBar();
  // Room for everything: no bars, the rest of the surface is margin on the far sides.
  ASSERT_EQ(s.width(), 578);
  EXPECT_FALSE(h->isVisibleTo(&v.ed) || vb->isVisibleTo(&v.ed));
  EXPECT_EQ(s.MarginRight(), 578 - 378 - 18 - 15);
  EXPECT_EQ(s.ContentWidth(), 578);

  // Narrower than page + ruler + two margins: the horizontal bar, Qt's range one viewport short.
  v.ed.resize(300, 400);
  ASSERT_EQ(s.width(), 278);
  EXPECT_TRUE(h->isVisibleTo(&v.ed));
  EXPECT_EQ(s.ContentWidth(), 378 + 18 + 30);
  EXPECT_EQ(h->maximum(), s.ContentWidth() - 278);
  EXPECT_EQ(h->pageStep(), 278);
  EXPECT_FALSE(vb->isVisibleTo(&v.ed));
  h->setValue(100);
  v.ed.resize(320, 400);  // still in range: the position stays
  EXPECT_EQ(h->value(), 100);
  EXPECT_EQ(s.ScrollX(), 100);
  v.ed.resize(800, 400);
  EXPECT_FALSE(h->isVisibleTo(&v.ed));
  EXPECT_EQ(s.ScrollX(), 0);

  // Zooming in brings both bars; the ranges follow the zoomed page.
  v.ed.SetZoom(zm300);
  EXPECT_TRUE(h->isVisibleTo(&v.ed) && vb->isVisibleTo(&v.ed));
  EXPECT_EQ(s.ContentHeight(), 681 + 18 + 30);
  EXPECT_EQ(vb->maximum(), s.ContentHeight() - s.height());

  // Centred: the margins on both sides differ by at most a pixel, whatever the parity.
  v.ed.SetZoom(zm100);
  v.ed.SetLabelPosition(lbCenter);
  for (int w : {700, 701, 702, 903}) {
    v.ed.resize(w, 500);
    EXPECT_LE(std::abs(s.MarginLeft() - s.MarginRight()), 1) << w;
    EXPECT_LE(std::abs(s.MarginTop() - s.MarginBottom()), 1) << w;
    EXPECT_EQ(s.ContentWidth(), s.width());
  }
  v.ed.resize(300, 500);
  EXPECT_EQ(std::tuple(s.MarginLeft(), s.MarginRight()), std::tuple(15, 15));

  v.ed.SetMargin(500);
  EXPECT_EQ(v.ed.GetMargin(), 100);
  EXPECT_EQ(s.MarginLeft(), 100);
  v.ed.SetMargin(-4);
  EXPECT_EQ(v.ed.GetMargin(), 0);
}

TEST(EditorFrame, ToolStripFollowsTheOptions) {
  EditorView v(600, 400);
  // Defaults: zoom box, units, orthogonal indicator along the bottom, buttons down the right.
  // The settings button opens the settings window, or the application's handler when it has one.
  EXPECT_EQ(v.ed.ZoomBox()->geometry(), QRect(0, 378, 70, 22));
  EXPECT_EQ(v.ed.UnitsButton()->geometry(), QRect(70, 378, 30, 22));
  EXPECT_EQ(v.ed.OrtoInfo()->geometry(), QRect(100, 378, 22, 22));
  EXPECT_TRUE(v.ed.SettingsButton()->isVisibleTo(&v.ed));
  EXPECT_EQ(v.ed.SettingsButton()->geometry(), QRect(578, 0, 22, 22));
  EXPECT_EQ(v.ed.RotateButton()->geometry(), QRect(578, 22, 22, 22));
  EXPECT_EQ(v.ed.Surface()->geometry(), QRect(0, 0, 578, 378));
  EXPECT_TRUE(v.ed.SnapInfo()->isVisibleTo(&v.ed));
  int asked = 0;
  const QMetaObject::Connection handler = QObject::connect(&v.ed, &TPLNBaseEditor::SettingsClicked, [&] { ++asked; });
  QCoreApplication::processEvents();
  EXPECT_TRUE(v.ed.SettingsButton()->isVisibleTo(&v.ed));
  v.ed.SettingsButton()->click();
  EXPECT_EQ(asked, 1);
  QObject::disconnect(handler);
  QCoreApplication::processEvents();
  EXPECT_TRUE(v.ed.SettingsButton()->isVisibleTo(&v.ed));
  // Every button and indicator says what it is.
  const std::vector<QWidget*> controls{v.ed.ZoomBox(), v.ed.UnitsButton(), v.ed.OrtoInfo(),
                                       v.ed.SnapInfo(), v.ed.SettingsButton(), v.ed.RotateButton()};
  for (QWidget* w : controls) EXPECT_FALSE(w->toolTip().isEmpty()) << w->metaObject()->className();
  const QString snapOff = v.ed.SnapInfo()->toolTip();
  v.ed.SetSnap(snGrid);
  EXPECT_NE(v.ed.SnapInfo()->toolTip(), snapOff);  // the tip tells the state
  v.ed.SetSnap(0);

  v.ed.SetEditorOptions(0);
  for (int i : {0, 1, 2}) EXPECT_EQ(v.ed.GetColumnWidth(i), 0) << i;
  for (int i : {0, 1}) EXPECT_EQ(v.ed.GetRowHeight(i), 0) << i;
  for (QWidget* w : controls) EXPECT_FALSE(w->isVisibleTo(&v.ed)) << w->metaObject()->className();
  EXPECT_EQ(v.ed.Surface()->geometry(), QRect(0, 0, 578, 378));
  EXPECT_TRUE(v.ed.Surface()->isVisibleTo(&v.ed));
  EXPECT_EQ(v.ed.HorzScrollBar()->geometry(), QRect(0, 378, 578, 22));

  v.ed.SetEditorOptions(kDefaultEditorOptions);
  EXPECT_TRUE(v.ed.ZoomBox()->isVisibleTo(&v.ed));
  EXPECT_EQ(v.ed.GetColumnWidth(3), 600 - 70 - 30 - 22 - 22);
  EXPECT_EQ(v.ed.GetColumnWidth(5), 0);
  EXPECT_EQ(v.ed.GetRowHeight(-1), 0);
  // The table holds nine controls; a tenth is not laid out.
  QWidget extra(&v.ed);
  extra.setGeometry(1, 2, 3, 4);
  v.ed.AddControl(&extra, 0, 0, 1, 1);
  v.ed.UpdateLayout();
  EXPECT_EQ(extra.geometry(), QRect(1, 2, 3, 4));

  // The indicators follow the snap and orthogonal settings.
  EXPECT_EQ(v.ed.SnapInfo()->State(), siOff);
  v.ed.SetSnap(snGrid | snEndPoint);
  EXPECT_EQ(v.ed.SnapInfo()->State(), siOn);
  v.ed.SetOrtoLines(true);
  EXPECT_EQ(v.ed.OrtoInfo()->State(), siOn);
}

TEST(EditorFrame, WheelScrollsAndZooms) {
  EditorView v(400, 300);
  v.ed.SetZoom(zm300);
  QScrollBar* h = v.ed.HorzScrollBar();
  QScrollBar* vb = v.ed.VertScrollBar();
  const auto wheel = [&](int delta, Qt::KeyboardModifiers mods) {
    QWheelEvent e(QPointF(50, 50), v.S().mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(v.ed.Surface(), &e);
    return e.isAccepted();
  };
  const int step = QApplication::wheelScrollLines() * 10;
  wheel(-120, Qt::NoModifier);
  EXPECT_EQ(vb->value(), step);
  EXPECT_EQ(v.S().ScrollY(), step);
  wheel(-120, Qt::ShiftModifier);
  EXPECT_EQ(h->value(), step);
  wheel(120, Qt::ShiftModifier);
  EXPECT_EQ(h->value(), 0);
  wheel(120, Qt::ControlModifier);
  EXPECT_EQ(v.ed.GetZoom(), zm350);
  wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(v.ed.GetZoom(), zm300);
  v.ed.SetEditorOptions(kDefaultEditorOptions & ~eoMouseWheel);
  EXPECT_FALSE(wheel(-120, Qt::NoModifier));
  EXPECT_EQ(vb->value(), step);
}

TEST(EditorFrame, RotateButtonTurnsTheLabel) {
  EditorView v;  // 100 x 60 mm
  TPLNBaseItem* line = TPLNFactory::AddBaseLine(&v.doc, 5000, 1000, 95000, 50000);
  bool right = false;
  int turns = 0;
  QObject::connect(&v.ed, &TPLNBaseEditor::RotateClicked, [&](bool r) { right = r, ++turns; });
  // The document tells its application each turn, and which way.
  QStringList told;
  v.doc.OnLabelRotate = [&told](bool left) { told << (left ? QStringLiteral("left") : QStringLiteral("right")); };
  const auto press = [&](Qt::MouseButton b) {
    const QPointF c = QRectF(v.ed.RotateButton()->rect()).center();
    QMouseEvent down(QEvent::MouseButtonPress, c, v.ed.RotateButton()->mapToGlobal(c), b, b, Qt::NoModifier);
    QApplication::sendEvent(v.ed.RotateButton(), &down);
    QMouseEvent up(QEvent::MouseButtonRelease, c, v.ed.RotateButton()->mapToGlobal(c), b, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(v.ed.RotateButton(), &up);
  };
  press(Qt::LeftButton);
  EXPECT_EQ(turns, 1);
  EXPECT_FALSE(right);
  // The page the editor shows is the turned label, with the line turned on it.
  EXPECT_EQ(std::tuple(v.S().PageBaseWidth(), v.S().PageBaseHeight()), std::tuple(60000, 100000));
  EXPECT_EQ(line->GetPoint(1), (TORVPto{1000, 95000}));
  press(Qt::RightButton);
  EXPECT_TRUE(right);
  EXPECT_EQ(v.S().PageBaseWidth(), 100000);
  EXPECT_EQ(line->GetPoint(1), (TORVPto{5000, 1000}));
  press(Qt::MiddleButton);
  EXPECT_EQ(turns, 2);
  // Undoing a turn is no turn of the user's; a drawing that may not be edited does not turn.
  v.doc.Undo();
  v.doc.SetEditable(false);
  v.doc.RotateLeft();
  EXPECT_EQ(told, QStringList({QStringLiteral("left"), QStringLiteral("right")}));
}

TEST(EditorFrame, CtrlWheelZoomsAroundThePointer) {
  EditorView v(400, 300, 200000, 200000);
  const QPointF at(150, 120);
  const auto ctrlWheel = [&](int delta) {
    QWheelEvent e(at, v.S().mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::ControlModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(v.ed.Surface(), &e);
  };
  // From the fit every drawing opens with, the wheel zooms in to a fixed step.
  v.ed.SetZoom(zmFitAll);
  const double fit = v.ed.ZoomFactor();
  ctrlWheel(120);
  ASSERT_LE(v.ed.GetZoom(), zm500);
  EXPECT_GT(v.ed.ZoomFactor(), fit);

  // Scrolled into a page larger than the view, the paper point under the pointer stays there.
  v.ed.SetZoom(zm100);
  v.ed.HorzScrollBar()->setValue(v.ed.HorzScrollBar()->maximum() / 2);
  v.ed.VertScrollBar()->setValue(v.ed.VertScrollBar()->maximum() / 2);
  const std::int64_t bx = v.S().BaseMMX(at.x()), by = v.S().BaseMMY(at.y());
  // In twice, then out once: the point stays each time.
  for (int delta : {120, 120, -120}) {
    ctrlWheel(delta);
    EXPECT_NEAR(v.S().ScreenMMX(bx), at.x(), 1.5);
    EXPECT_NEAR(v.S().ScreenMMY(by), at.y(), 1.5);
  }
  EXPECT_EQ(v.ed.GetZoom(), zm125);
}

TEST(EditorFrame, ADocumentDestroyedUnderTheEditorIsLetGo) {
  TPLNEditor ed;
  ed.resize(500, 400);
  ed.show();
  auto doc = std::make_unique<TPlanoraFMX>();
  doc->SetMeasure(PlanoraTest::Paper(100000, 60000));
  TPLNBaseItem* item = TPLNFactory::AddBaseRectangle(doc.get(), 20000, 20000, 20000, 10000);
  ed.SetLabel(doc.get());
  doc->Select(item);
  doc->StartAction(TORVDrawKind::PolyLine);
  QImage img(ed.Surface()->size(), QImage::Format_ARGB32_Premultiplied);
  ed.Surface()->render(&img);
  int left = 0;
  QObject::connect(&ed, &TPLNBaseEditor::PointerLeft, [&] { ++left; });
  doc.reset();
  EXPECT_EQ(ed.GetLabel(), nullptr);
  EXPECT_GT(left, 0);  // the status of the pointer is no longer about a drawing
  // Painting, pointer and keys afterwards touch nothing that is gone.
  img.fill(Qt::black);
  ed.Surface()->render(&img);
  EXPECT_EQ(QColor(img.pixel(img.width() / 2, img.height() / 2)), QColor::fromRgba(ed.GetMarginColor()));
  const QPointF p(120, 100);
  for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseButtonRelease}) {
    QMouseEvent e(t, p, ed.Surface()->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ed.Surface(), &e);
  }
  QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QApplication::sendEvent(ed.Surface(), &key);
  ed.RotateButton()->click();
  // Another document attaches as usual.
  TPlanoraFMX next;
  next.SetMeasure(PlanoraTest::Paper(50000, 50000));
  ed.SetLabel(&next);
  EXPECT_EQ(ed.Surface()->PageWidth(), 189);
}

TEST(EditorFrame, ScrollToItemCentresAPointOutOfView) {
  EditorView v(400, 300);
  v.ed.SetZoom(zm500);
  TPLNBaseItem* item = TPLNFactory::AddBaseRectangle(&v.doc, 80000, 50000, 5000, 5000);
  TPLNBackEditor& s = v.S();
  ASSERT_GT(s.ScreenMMX(80000), s.ClientWidth());
  v.ed.ScrollToItem(item);
  const int x = s.ScreenMMX(80000), y = s.ScreenMMY(50000);
  EXPECT_NEAR(x, s.ClientWidth() / 2, 1);
  EXPECT_NEAR(y, s.ClientHeight() / 2, 1);
  // Already visible: nothing moves.
  const int scroll = s.ScrollX();
  v.ed.ScrollToItem(item);
  EXPECT_EQ(s.ScrollX(), scroll);
}

TEST(EditorFrame, UnitsPointerAndObserving) {
  EditorView v;
  EXPECT_EQ(v.ed.UnitsButton()->text(), "mm");
  // Labelling cycles three units; the drawing modes all seven.
  v.ed.ClickUnits();
  EXPECT_EQ(v.ed.Units(), TORVUnits::inch);
  EXPECT_EQ(v.ed.UnitsButton()->text(), "in");
  v.ed.ClickUnits();
  v.ed.ClickUnits();
  EXPECT_EQ(v.ed.Units(), TORVUnits::mm);
  v.doc.SetEditorMode(static_cast<std::uint8_t>(TORVEditorMode::Drawing));
  for (int i = 0; i < 6; ++i) v.ed.ClickUnits();
  EXPECT_EQ(v.ed.Units(), TORVUnits::yard);
  v.ed.ClickUnits();
  EXPECT_EQ(v.ed.Units(), TORVUnits::mm);

  // The pointer reports document coordinates in the document's unit, again whenever what lies
  // under a still pointer changes: another unit, a scroll, a zoom.
  double px = -1, py = -1;
  int left = 0;
  QObject::connect(&v.ed, &TPLNBaseEditor::PointerMoved, [&](double x, double y) { px = x, py = y; });
  QObject::connect(&v.ed, &TPLNBaseEditor::PointerLeft, [&] { ++left; });
  const QPointF at(v.S().ScreenMMX(20000), v.S().ScreenMMY(10000));
  QMouseEvent move(QEvent::MouseMove, at, v.S().mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(v.ed.Surface(), &move);
  EXPECT_NEAR(px, 20, 0.3);
  EXPECT_NEAR(py, 10, 0.3);
  v.doc.SetUnits(TORVUnits::cm);
  EXPECT_NEAR(px, 2, 0.03);
  EXPECT_NEAR(py, 1, 0.03);
  v.doc.SetUnits(TORVUnits::mm);
  v.ed.SetZoom(zm200);
  v.ed.VertScrollBar()->setValue(100);
  ASSERT_EQ(v.S().ScrollY(), 100);
  EXPECT_NEAR(py, v.S().WorldY(at.y(), true), 0.01);  // what lies under the pointer now
  EXPECT_GT(std::abs(py - 10), 1);
  v.ed.SetZoom(zm100);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(v.ed.Surface(), &leave);
  EXPECT_EQ(left, 1);

  // Attached, the editor follows the measure; detached it does not.
  v.doc.SetMeasure(PlanoraTest::Paper(50000, 50000));
  EXPECT_EQ(v.S().PageWidth(), 189);
  EXPECT_EQ(v.ed.DrawScale(), 1);
  v.ed.SetLabel(nullptr);
  EXPECT_EQ(v.ed.Units(), TORVUnits::mm);
  v.doc.SetMeasure(PlanoraTest::Paper(150000, 50000));
  EXPECT_EQ(v.S().PageWidth(), 756);  // the 200 mm page of an empty editor
  // An editor destroyed while attached leaves the document's observers.
  {
    TPLNEditor other;
    other.SetLabel(&v.doc);
  }
  v.doc.SetMeasure(PlanoraTest::Paper(80000, 50000));
}
