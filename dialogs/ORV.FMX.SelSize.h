#pragma once
// Text size selection from the fixed sizes of 4 to 15 mm.

#include <QDialog>
#include <functional>

class QListWidget;
class QPushButton;

namespace Orv::Fmx {

class TfSelSize : public QDialog {
  Q_OBJECT

 public:
  explicit TfSelSize(QWidget* parent = nullptr);

  void LoadSizes();
  // The selected size in millimetres; 0 when none is selected.
  int GetSelectedSize() const;
  QListWidget* List() const { return fList; }

  std::function<void(int)> OnSizeSelected;

 private:
  QListWidget* fList = nullptr;
  QPushButton* fOk = nullptr;
};

}  // namespace Orv::Fmx
