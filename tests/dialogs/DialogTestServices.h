#pragma once
// Services that answer the dialogs' questions from a script and remember what was shown.
#include <QColor>
#include <QWidget>
#include <QStringList>
#include <deque>
#include <gtest/gtest.h>

#include "ORV.FMX.DialogServices.h"

struct TScriptedServices : Orv::Fmx::TDialogServices {
  QStringList errors;
  QString file;  // what OpenFileName answers
  int picks = 0; // colours asked for
  QStringList questions;
  bool answer = true;
  std::deque<QString> names;
  std::deque<QColor> colours;  // an invalid colour stands for Cancel

  void Error(QWidget*, const QString&, const QString& text) override { errors << text; }
  bool Confirm(QWidget*, const QString&, const QString& question) override {
    questions << question;
    return answer;
  }
  QString AskText(QWidget*, const QString&, const QString&, const QString&) override {
    if (names.empty()) return {};
    QString n = names.front();
    names.pop_front();
    return n;
  }
  QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return file; }
  bool PickColor(QWidget*, QColor& colour) override {
    ++picks;
    if (colours.empty()) return false;
    const QColor c = colours.front();
    colours.pop_front();
    if (!c.isValid()) return false;
    colour = c;
    return true;
  }
};

// The child of `w` named `name`, failing the test when there is none.
template <class T>
T* Child(QWidget& w, const char* name) {
  T* c = w.findChild<T*>(QLatin1String(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}
