#pragma once
// The values a label design asks for when it is printed, asked all at once before the run.

#include <QDialog>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

#include "ORV.AskValues.h"

class QLabel;
class QPushButton;
class QWidget;

namespace Orv::Fmx {

class TDialogServices;
class TPlanoraFMX;

class TfAskValues : public QDialog {
 public:
  explicit TfAskValues(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = {});

  // One row per asked value of the document: a line for text, a date typed in the value's
  // format (with a calendar to pick it), a number box for numbers and copies, a choice of its
  // list for list values. Each shows the value already given for the run, else the one given
  // last in this session, else the default.
  void Ini(TPlanoraFMX* control);
  int Rows() const { return static_cast<int>(fRows.size()); }
  // The editor of the value named `name` (ignoring case), null when the design asks no such value.
  QWidget* Editor(const QString& name) const;
  // What the row of `name` holds, as the text the run is given.
  QString Value(const QString& name) const;
  // The reason the first value does not fit, empty when all fit.
  QString Check() const;
  // The values to the document for this run, and remembered for the session. False, nothing
  // given and the reason shown, when a value does not fit.
  bool WriteBack();
  // Refuses to close while a value does not fit.
  void accept() override;

  // The window over `parent` for `control`, modal: true when the values were given.
  static bool Ask(TPlanoraFMX* control, QWidget* parent, std::shared_ptr<TDialogServices> services = {});

 private:
  struct TRow {
    TPLNAskValue Ask;
    QStringList List;
    QWidget* Editor = nullptr;
    QLabel* Label = nullptr;
  };
  const TRow* Find(const QString& name) const;
  QString RowValue(const TRow& row) const;

  std::shared_ptr<TDialogServices> fServices;
  TPlanoraFMX* fControl = nullptr;
  std::vector<TRow> fRows;
  QWidget* fForm = nullptr;
  QPushButton* fOk = nullptr;
  QPushButton* fCancel = nullptr;
};

}  // namespace Orv::Fmx
