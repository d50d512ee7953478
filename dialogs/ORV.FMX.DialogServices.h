#pragma once
// What the dialogs ask of the user outside their own window: errors, yes/no questions, a name,
// a file, a colour. One replaceable object, so tests and applications answer without a user.

#include <QColor>
#include <QString>
#include <memory>

class QWidget;

namespace Orv::Fmx {

class TDialogServices {
 public:
  virtual ~TDialogServices() = default;
  virtual void Error(QWidget* parent, const QString& title, const QString& text);
  // True for yes.
  virtual bool Confirm(QWidget* parent, const QString& title, const QString& question);
  // A line of text; empty when the user cancelled.
  virtual QString AskText(QWidget* parent, const QString& caption, const QString& prompt, const QString& initial = {});
  // A file to read, starting in `folder`; empty when cancelled. `filter` in Qt's form.
  virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter);
  // A colour chosen from `colour`; false when cancelled.
  virtual bool PickColor(QWidget* parent, QColor& colour);

  // The services the dialogs use when none are given.
  static std::shared_ptr<TDialogServices> Default();
};

}  // namespace Orv::Fmx
