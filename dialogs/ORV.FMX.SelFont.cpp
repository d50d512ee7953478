#include "ORV.FMX.SelFont.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ORV.Msg.h"

namespace Orv::Fmx {

TfSelFont::TfSelFont(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fSelFont"));
  auto* root = new QVBoxLayout(this);
  fList = new QListWidget;
  fList->setObjectName(QStringLiteral("lbFonts"));
  root->addWidget(fList);
  auto* buttons = new QDialogButtonBox;
  fOk = buttons->addButton(TPLNMsg::GetDialogsValue(QStringLiteral("Ok")), QDialogButtonBox::AcceptRole);
  fOk->setObjectName(QStringLiteral("btnOk"));
  fCancel = buttons->addButton(TPLNMsg::GetDialogsValue(QStringLiteral("Cancel")), QDialogButtonBox::RejectRole);
  fCancel->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  root->addWidget(buttons);
  connect(fList, &QListWidget::currentRowChanged, this, [this](int row) {
    fOk->setEnabled(row >= 0);
    if (row >= 0 && OnFontSelected) OnFontSelected(fList->item(row)->text());
  });
  connect(fList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  fOk->setEnabled(false);
  resize(260, 360);
}

void TfSelFont::LoadFonts(const QStringList& fonts) {
  fList->clear();
  fList->addItems(fonts);
  if (!fonts.isEmpty()) fList->setCurrentRow(0);
  fOk->setEnabled(!fonts.isEmpty());
}

QString TfSelFont::GetSelectedFont() const {
  const QListWidgetItem* item = fList->currentItem();
  return item && item->isSelected() ? item->text() : QString();
}

}  // namespace Orv::Fmx
