#pragma once
// Editing the JSON data of an item: a memo that is checked, formatted and loaded from a file.

#include <QDialog>
#include <memory>

class QPlainTextEdit;
class QPushButton;

namespace Orv::Fmx {

class TDialogServices;

class TfJsonData : public QDialog {
  Q_OBJECT

 public:
  explicit TfJsonData(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = {});

  // A valid text is shown indented; anything else as it is.
  void IniDialog(const QString& json);
  // The memo's text in compact form; empty when the memo is empty (or not valid).
  QString GetJson() const;

  // A JSON object; an empty text is not valid.
  static bool IsValid(const QString& text);
  // The indented form with CR LF line ends; empty when the text is not valid. (The memo keeps
  // lines, not line ends: it shows this text line by line.)
  static QString Formatted(const QString& text);

  // What the buttons do.
  void Format();
  // Asks for a file and shows it; false when cancelled or unreadable (the memo kept).
  bool Load();
  bool LoadFile(const QString& path);
  void accept() override;

  QPlainTextEdit* Memo() const { return fMemo; }

 private:
  void NotValid();

  std::shared_ptr<TDialogServices> fServices;
  QPlainTextEdit* fMemo = nullptr;
  QPushButton* fOk = nullptr;
  QPushButton* fCancel = nullptr;
  QPushButton* fLoad = nullptr;
  QPushButton* fFormat = nullptr;
};

}  // namespace Orv::Fmx
