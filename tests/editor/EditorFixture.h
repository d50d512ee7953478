// An editor on the offscreen platform showing a one-label document, and its surface's pixels;
// Input drives it with synthetic pointer and key events.
#pragma once

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

#include "ORV.FMX.Editor.h"
#include "ORV.FMX.Shared.Factory.h"
#include "PlanoraTestSupport.h"

struct EditorView {
  Orv::Fmx::TPlanoraFMX doc;
  Orv::Fmx::TPLNEditor ed;

  // A 100 x 60 mm label (378 x 227 pixels at 100 %) in a 600 x 400 frame unless told otherwise.
  explicit EditorView(int w = 600, int h = 400, std::int64_t pageW = 100000, std::int64_t pageH = 60000) {
    doc.SetMeasure(PlanoraTest::Paper(pageW, pageH));
    ed.resize(w, h);
    ed.show();
    ed.SetLabel(&doc);
  }
  Orv::Fmx::TPLNBackEditor& S() { return *ed.Surface(); }
  // What a repaint of the surface shows.
  QImage Shot() {
    QImage img(S().size(), QImage::Format_ARGB32_Premultiplied);
    S().render(&img);
    return img;
  }
  void SetScale(std::int64_t scale) {
    Orv::TPLNMeasure m = doc.Measure();
    m.DrawScale = scale;
    doc.SetMeasure(m);
  }
};

// The fixture's editor with pointer and key helpers in surface pixels.
struct Input : EditorView {
  Input() { ed.SetEditorOptions(Orv::Fmx::kDefaultEditorOptions | Orv::Fmx::eoDblClick); }

  void Mouse(QEvent::Type type, QPointF p, Qt::MouseButton button, Qt::MouseButtons buttons,
             Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(type, p, S().mapToGlobal(p), button, buttons, mods);
    QApplication::sendEvent(&S(), &e);
  }
  void Press(QPointF p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier) {
    Mouse(QEvent::MouseButtonPress, p, b, b, m);
  }
  void Move(QPointF p, Qt::MouseButtons held = Qt::NoButton) { Mouse(QEvent::MouseMove, p, Qt::NoButton, held); }
  void Release(QPointF p, Qt::MouseButton b = Qt::LeftButton) { Mouse(QEvent::MouseButtonRelease, p, b, Qt::NoButton); }
  void Click(QPointF p) {
    Move(p);
    Press(p);
    Release(p);
  }
  // A quick second press on the same spot, as Qt delivers it: no press event, a double click.
  void SecondPress(QPointF p) { Mouse(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton); }
  // A double click as Qt delivers it: press, release, double click, release.
  void DoubleClick(QPointF p) {
    Click(p);
    SecondPress(p);
    Release(p);
  }
  // A press, moves in steps of a few pixels (as a hand makes them), and a release.
  void Drag(QPointF from, QPointF to) {
    Move(from);
    Press(from);
    const int steps = 5;
    for (int i = 1; i <= steps; ++i) Move(from + (to - from) * i / steps, Qt::LeftButton);
    Release(to);
  }
  void Key(int key, Qt::KeyboardModifiers m = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent e(QEvent::KeyPress, key, m, text);
    QApplication::sendEvent(&S(), &e);
  }
  void Type(const QString& s) {
    for (QChar c : s) Key(c.isDigit() ? Qt::Key_0 + c.digitValue() : 0, Qt::NoModifier, QString(c));
  }
  // Screen point of a base point (the nearest pixel).
  QPointF At(std::int64_t x, std::int64_t y) { return QPointF(S().ScreenMMX(x), S().ScreenMMY(y)); }
  Orv::TORVSelPoint Handle(Orv::TORVHandleKind kind) {
    for (int i = 1; i <= doc.GetSelPointCount(); ++i)
      if (doc.GetSelPoint(i).Kind == kind) return doc.GetSelPoint(i);
    ADD_FAILURE() << "no handle of kind " << int(kind);
    return {};
  }
  Orv::TPLNBaseItem* Rect(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
    return Orv::Fmx::TPLNFactory::AddBaseRectangle(&doc, x, y, w, h);
  }
};
