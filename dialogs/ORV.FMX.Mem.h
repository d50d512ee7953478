#pragma once
// A plain text editor in a window of its own.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace Orv::Fmx {

class TfMem : public QDialog {
  Q_OBJECT

 public:
  explicit TfMem(QWidget* parent = nullptr);

  // Unless keepSize the window takes its standard size of 440 x 340.
  void Ini(const QString& text, bool keepSize);
  QString GetText() const;
  QPlainTextEdit* Memo() const { return fMemo; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QPlainTextEdit* fMemo = nullptr;
  QPushButton* fOk = nullptr;
  QPushButton* fCancel = nullptr;
};

}  // namespace Orv::Fmx
