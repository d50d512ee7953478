#pragma once
// Everything the studio asks the user goes through one replaceable object, so tests drive the
// window without dialogs appearing.

#include <QString>
#include <QStringList>

class QWidget;

namespace Planora::Studio {

class TStudioServices {
 public:
  enum class TSaveAnswer { Save, Discard, Cancel };
  virtual ~TStudioServices() = default;
  // A file to open or to write; empty when the user cancelled.
  virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& filter);
  // Where the next open window starts (then forgotten); empty: where the last one was left.
  QString StartFolder;
  virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& suggested, const QString& filter);
  virtual void Error(QWidget* parent, const QString& title, const QString& text);
  // The drawing `name` has changes: save them, throw them away, or stay?
  virtual TSaveAnswer AskSave(QWidget* parent, const QString& name);
  // One of `items` (index), or -1 when the user cancelled.
  virtual int Choose(QWidget* parent, const QString& title, const QString& label, const QStringList& items);
  // A file shipped with the studio (`relative` to its data folder: installed, or the build's
  // resources), empty when there is none.
  virtual QString BundledFile(const QString& relative);
};

}  // namespace Planora::Studio
