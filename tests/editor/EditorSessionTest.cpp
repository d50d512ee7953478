// A long session of mixed edits made only with synthetic pointer and key events: every user
// action is one undo step, and undo and redo walk the session back and forth byte for byte.
#include <QApplication>
#include <QBuffer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "EditorFixture.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

struct Session : EditorView {
  void Mouse(QEvent::Type type, QPointF p, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, p, S().mapToGlobal(p), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&S(), &e);
  }
  void Click(QPointF p) {
    Mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
    Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
  }
  void Drag(QPointF from, QPointF to) {
    Mouse(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
    Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= 4; ++i) Mouse(QEvent::MouseMove, from + (to - from) * i / 4, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  }
  void Key(int key, Qt::KeyboardModifiers m = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent e(QEvent::KeyPress, key, m, text);
    QApplication::sendEvent(&S(), &e);
  }
  QPointF At(std::int64_t x, std::int64_t y) { return QPointF(S().ScreenMMX(x), S().ScreenMMY(y)); }
  QByteArray Bytes() {
    QByteArray b;
    QBuffer buf(&b);
    buf.open(QIODevice::WriteOnly);
    doc.SaveToStream(&buf);
    return b;
  }
  // A point well inside the 100 x 60 mm page.
  QPointF PagePoint(unsigned& lcg) {
    lcg = lcg * 1103515245u + 12345u;
    const std::int64_t x = 8000 + (lcg >> 8) % 84000;
    lcg = lcg * 1103515245u + 12345u;
    const std::int64_t y = 8000 + (lcg >> 8) % 44000;
    return At(x, y);
  }
  QPointF CentreOf(const TPLNBaseItem* item) {
    const TORVBounds b = item->GetBounds();
    return At((b.X1 + b.X2) / 2, (b.Y1 + b.Y2) / 2);
  }
};

}  // namespace

TEST(EditorSession, FiftyMixedEditsUndoAndRedoByteForByte) {
  Session s;
  s.doc.ClearUndo();
  std::vector<QByteArray> states{s.Bytes()};
  unsigned lcg = 7;
  int kinds[10] = {};
  for (int step = 0; static_cast<int>(states.size()) < 51 && step < 400; ++step) {
    const int kind = step % 10;
    const int steps = s.doc.UndoCount();
    TPLNBaseItem* any = s.doc.GetItemsCount() > 0 ? s.doc.GetItem(1 + int(lcg % unsigned(s.doc.GetItemsCount()))) : nullptr;
    switch (kind) {
      case 0:  // a rectangle by two clicks
      case 5: {
        s.doc.StartAction(kind == 0 ? TORVDrawKind::Rectangle : TORVDrawKind::Ellipse);
        const QPointF a = s.PagePoint(lcg);
        s.Click(a);
        s.Click(a + QPointF(30, 20));
        s.Key(Qt::Key_Escape);
        break;
      }
      case 1: {  // a line by a drag
        s.doc.StartAction(TORVDrawKind::Line);
        const QPointF a = s.PagePoint(lcg);
        s.Drag(a, a + QPointF(40, -10));
        s.Key(Qt::Key_Escape);
        break;
      }
      case 2:  // select an item by a click and drag it
        if (!any) break;
        s.Drag(s.CentreOf(any), s.CentreOf(any) + QPointF(12, 7));
        break;
      case 3:  // nudge the selection
        s.Key(Qt::Key_Right, Qt::ControlModifier);
        break;
      case 4:  // grow it
        s.Key(Qt::Key_Down, Qt::ShiftModifier);
        break;
      case 6:  // copy and paste through the keyboard
        s.Key(Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
        s.Key(Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
        break;
      case 7: {  // a text typed in place
        s.doc.StartAction(TORVDrawKind::Text);
        s.Click(s.PagePoint(lcg));
        for (QChar c : QStringLiteral("Ab1")) s.Key(0, Qt::NoModifier, QString(c));
        s.Key(Qt::Key_Return);
        s.Key(Qt::Key_Escape);
        break;
      }
      case 8:  // a rubber band over part of the page
        s.Drag(s.At(1000, 1000), s.At(60000, 40000));
        break;
      case 9:  // delete the selection
        if (s.doc.GetSelectionCount() > 0 && lcg % 3 == 0) s.Key(Qt::Key_Delete);
        break;
    }
    const QByteArray now = s.Bytes();
    if (now == states.back()) {
      EXPECT_EQ(s.doc.UndoCount(), steps) << "step " << step << ": nothing changed, yet a step was kept";
      continue;
    }
    ASSERT_EQ(s.doc.UndoCount(), steps + 1) << "step " << step << " (kind " << kind << ") is not one undo step";
    states.push_back(now);
    ++kinds[kind];
  }
  ASSERT_EQ(states.size(), 51u);
  // Every kind of edit took part.
  for (int k : {0, 1, 2, 3, 4, 5, 6, 7}) EXPECT_GT(kinds[k], 0) << "edit kind " << k;

  for (int i = 49; i >= 0; --i) {
    s.doc.Undo();
    ASSERT_EQ(s.Bytes(), states[i]) << "undo back to state " << i;
  }
  s.doc.Undo();  // past the first change: nothing
  EXPECT_EQ(s.Bytes(), states[0]);
  for (int i = 1; i <= 50; ++i) {
    s.doc.Redo();
    ASSERT_EQ(s.Bytes(), states[i]) << "redo to state " << i;
  }
  // The window still edits after the walk: a click selects, a delete removes.
  ASSERT_GT(s.doc.GetItemsCount(), 0);
  s.Drag(s.At(500, 500), s.At(99500, 59500));
  const int before = s.doc.GetItemsCount();
  ASSERT_GT(s.doc.GetSelectionCount(), 0);
  const int selected = s.doc.GetSelectionCount();
  s.Key(Qt::Key_Delete);
  EXPECT_EQ(s.doc.GetItemsCount(), before - selected);
}
