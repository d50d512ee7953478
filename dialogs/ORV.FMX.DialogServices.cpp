#include "ORV.FMX.DialogServices.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "ORV.FMX.SelColor.h"
#include "ORV.Msg.h"

namespace Orv::Fmx {

void TDialogServices::Error(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::warning(parent, title, text);
}

bool TDialogServices::Confirm(QWidget* parent, const QString& title, const QString& question) {
  return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString TDialogServices::AskText(QWidget* parent, const QString& caption, const QString& prompt, const QString& initial) {
  bool ok = false;
  const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, initial, &ok);
  return ok ? text.trimmed() : QString();
}

QString TDialogServices::OpenFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

bool TDialogServices::PickColor(QWidget* parent, QColor& colour) {
  TfSelColor dialog(parent);
  dialog.Ini(TPLNMsg::GetDialogsValue(QStringLiteral("SelColor")), colour.rgba());
  if (dialog.exec() != QDialog::Accepted) return false;
  colour = QColor::fromRgba(dialog.GetSelColor());
  return true;
}

std::shared_ptr<TDialogServices> TDialogServices::Default() {
  static const std::shared_ptr<TDialogServices> services = std::make_shared<TDialogServices>();
  return services;
}

}  // namespace Orv::Fmx
