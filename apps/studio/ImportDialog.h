#pragma once
// File > Import: diagram or Gantt text laid out into a new drawing. The text can be corrected in
// place; diagnostics follow every change and a click on one shows its line.

#include <QDialog>
#include <memory>
#include <vector>

#include "ORV.Diagram.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace Orv::Fmx {
class TPlanoraFMX;
}

namespace Planora::Studio {

class TImportDialog : public QDialog {
  Q_OBJECT
 public:
  TImportDialog(const QString& name, const QString& text, QWidget* parent = nullptr);
  ~TImportDialog() override;

  // The drawing the text gives now (null when it gives none); taken by the caller on accept.
  std::unique_ptr<Orv::Fmx::TPlanoraFMX> TakeDrawing();
  const std::vector<Orv::Diagram::TORVDiagDiagnostic>& Diagnostics() const { return fDiagnostics; }
  QListWidget* DiagnosticList() const { return fList; }
  QPlainTextEdit* TextEdit() const { return fText; }
  QPushButton* ImportButton() const { return fImport; }
  // Lays the text out again now (the dialog does it on its own shortly after each change).
  void Refresh();
  // Puts the text cursor on the start of a 1-based line and shows it.
  void ShowLine(int line);

 private:
  QPlainTextEdit* fText = nullptr;
  QComboBox* fFormat = nullptr;
  QCheckBox* fArrows = nullptr;
  QListWidget* fList = nullptr;
  QLabel* fSummary = nullptr;
  QPushButton* fImport = nullptr;
  QTimer* fDelay = nullptr;
  std::unique_ptr<Orv::Fmx::TPlanoraFMX> fDrawing;
  std::vector<Orv::Diagram::TORVDiagDiagnostic> fDiagnostics;
};

}  // namespace Planora::Studio
