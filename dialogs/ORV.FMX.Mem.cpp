#include "ORV.FMX.Mem.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ORV.Msg.h"

namespace Orv::Fmx {

TfMem::TfMem(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fMem"));
  auto* root = new QVBoxLayout(this);
  fMemo = new QPlainTextEdit;
  fMemo->setObjectName(QStringLiteral("Memo"));
  root->addWidget(fMemo);
  auto* buttons = new QDialogButtonBox;
  fOk = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
  fOk->setObjectName(QStringLiteral("btnOk"));
  fCancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
  fCancel->setObjectName(QStringLiteral("btnCancel"));
  // Enter belongs to the text, not to the OK button.
  fOk->setAutoDefault(false);
  fCancel->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  root->addWidget(buttons);
}

void TfMem::Ini(const QString& text, bool keepSize) {
  setWindowTitle(TPLNMsg::GetDialogsValue(QStringLiteral("Text")));
  fOk->setText(TPLNMsg::GetDialogsValue(QStringLiteral("Ok")));
  fCancel->setText(TPLNMsg::GetDialogsValue(QStringLiteral("Cancel")));
  fMemo->setPlainText(text);
  if (!keepSize) resize(440, 340);
}

QString TfMem::GetText() const { return fMemo->toPlainText(); }

void TfMem::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  fMemo->setFocus();
}

}  // namespace Orv::Fmx
