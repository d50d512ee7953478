#pragma once
// Font selection from a list of family names the caller gives.

#include <QDialog>
#include <functional>

class QListWidget;
class QPushButton;

namespace Orv::Fmx {

class TfSelFont : public QDialog {
  Q_OBJECT

 public:
  explicit TfSelFont(QWidget* parent = nullptr);

  // The list takes the names and selects the first, when there is one.
  void LoadFonts(const QStringList& fonts);
  // The selected name; empty when none is.
  QString GetSelectedFont() const;
  QListWidget* List() const { return fList; }

  // Raised when an entry becomes selected, with its name.
  std::function<void(const QString&)> OnFontSelected;

 private:
  QListWidget* fList = nullptr;
  QPushButton* fOk = nullptr;
  QPushButton* fCancel = nullptr;
};

}  // namespace Orv::Fmx
