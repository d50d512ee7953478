#include "ORV.FMX.SelSize.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ORV.Msg.h"

namespace Orv::Fmx {

TfSelSize::TfSelSize(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fSelSize"));
  auto* root = new QVBoxLayout(this);
  fList = new QListWidget;
  fList->setObjectName(QStringLiteral("lbSizes"));
  root->addWidget(fList);
  auto* buttons = new QDialogButtonBox;
  fOk = buttons->addButton(TPLNMsg::GetDialogsValue(QStringLiteral("Ok")), QDialogButtonBox::AcceptRole);
  fOk->setObjectName(QStringLiteral("btnOk"));
  buttons->addButton(TPLNMsg::GetDialogsValue(QStringLiteral("Cancel")), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  root->addWidget(buttons);
  connect(fList, &QListWidget::currentRowChanged, this, [this](int row) {
    fOk->setEnabled(row >= 0);
    if (row >= 0 && OnSizeSelected) OnSizeSelected(fList->item(row)->data(Qt::UserRole).toInt());
  });
  connect(fList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  fOk->setEnabled(false);
  resize(180, 320);
}

void TfSelSize::LoadSizes() {
  fList->clear();
  for (int mm = 4; mm <= 15; ++mm) {
    auto* item = new QListWidgetItem(QStringLiteral("%1 mm").arg(mm), fList);
    item->setData(Qt::UserRole, mm);
  }
}

int TfSelSize::GetSelectedSize() const {
  const QListWidgetItem* item = fList->currentItem();
  return item && item->isSelected() ? item->data(Qt::UserRole).toInt() : 0;
}

}  // namespace Orv::Fmx
