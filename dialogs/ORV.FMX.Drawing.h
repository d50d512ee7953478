#pragma once
// The drawing window: paper, drawing scale and title block of a drawing or flowchart. Filled
// from the document by Ini; written back only by WriteBack (after OK), as one undo step.

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace Orv::Fmx {

class TPlanoraFMX;
class TDialogServices;
class TRangeBox;

class TfDrawing : public QDialog {
 public:
  explicit TfDrawing(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = nullptr);

  void Ini(TPlanoraFMX* doc);
  // Why the values cannot be written; empty when they can.
  QString Check() const;
  void WriteBack();

  void ChoosePaper(int index);
  void SetHorizontal(bool horizontal);
  // "Drawing area: H x W" at the scale, in the drawing's unit.
  QString AreaText() const;

 private:
  void FillLanguage();
  void ShowArea();

  TPlanoraFMX* fDoc = nullptr;
  std::shared_ptr<TDialogServices> fServices;
  bool fFlowchart = false;

  QLineEdit* edName;
  QComboBox* cbPaper;
  TRangeBox* sePaperWidth;
  TRangeBox* sePaperHeight;
  QRadioButton* RaBuVer;
  QRadioButton* RaBuHor;
  TRangeBox* seScale;
  QLabel* lbScale;
  QLabel* lbArea;
  QLineEdit* edAuthor;
  QLineEdit* edPromoter;
  QLineEdit* edDate;
  QLineEdit* edTitle;
  QLineEdit* edProject;
  QPlainTextEdit* meNote;
  QPushButton* butOk;
  QPushButton* butCancel;
  QLabel* lbName;
  QLabel* lbPaper;
  QLabel* lbWidth;
  QLabel* lbHeight;
  QLabel* lbAuthor;
  QLabel* lbPromoter;
  QLabel* lbDate;
  QLabel* lbTitle;
  QLabel* lbProject;
  QLabel* lbNote;
};

}  // namespace Orv::Fmx
