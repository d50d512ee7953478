#include "StudioServices.h"
#include "StudioTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <utility>

namespace Planora::Studio {

QString TStudioServices::OpenFileName(QWidget* parent, const QString& title, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, std::exchange(StartFolder, QString()), filter);
}

QString TStudioServices::SaveFileName(QWidget* parent, const QString& title, const QString& suggested,
                                      const QString& filter) {
  return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

void TStudioServices::Error(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::critical(parent, title, text);
}

TStudioServices::TSaveAnswer TStudioServices::AskSave(QWidget* parent, const QString& name) {
  const auto b = QMessageBox::warning(parent, Txt("TitleUnsaved"),
                                      Txt("AskSaveChanges").arg(name),
                                      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  if (b == QMessageBox::Save) return TSaveAnswer::Save;
  if (b == QMessageBox::Discard) return TSaveAnswer::Discard;
  return TSaveAnswer::Cancel;
}

int TStudioServices::Choose(QWidget* parent, const QString& title, const QString& label, const QStringList& items) {
  bool ok = false;
  const QString pick = QInputDialog::getItem(parent, title, label, items, 0, false, &ok);
  return ok ? static_cast<int>(items.indexOf(pick)) : -1;
}

QString TStudioServices::BundledFile(const QString& relative) {
  const QDir bin(QCoreApplication::applicationDirPath());
  for (const QString& base : {QStringLiteral("../share/planora"), QStringLiteral("../resources")}) {
    const QFileInfo f(bin.filePath(base + QLatin1Char('/') + relative));
    if (f.isFile()) return f.canonicalFilePath();
  }
  return {};
}

}  // namespace Planora::Studio
