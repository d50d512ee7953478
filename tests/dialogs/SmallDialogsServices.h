#pragma once
// Answers the dialogs' questions from a script and keeps what they said.

#include <QStringList>
#include <deque>

#include "ORV.FMX.DialogServices.h"

struct TScriptServices : Orv::Fmx::TDialogServices {
  QStringList errors;
  QString file;                // what OpenFileName answers
  std::deque<QColor> colours;  // what PickColor answers, in turn; cancelled when empty
  int picks = 0;
  void Error(QWidget*, const QString&, const QString& text) override { errors << text; }
  QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return file; }
  bool PickColor(QWidget*, QColor& c) override {
    ++picks;
    if (colours.empty()) return false;
    c = colours.front();
    colours.pop_front();
    return true;
  }
};
