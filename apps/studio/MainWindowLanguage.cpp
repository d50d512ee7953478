// The studio's language: View > Language lists English and the language files shipped with the
// program; the choice switches every window at once and is remembered for the next start.

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSettings>
#include <QStatusBar>

#include "MainWindow.h"
#include "ORV.FMX.h"
#include "StudioTexts.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace Planora::Studio {

namespace {

const QString kLanguageKey = QStringLiteral("view/language");

// The name a language file gives itself, for the menu; a file that does not say shows its
// file name (choosing it then tells what is wrong).
QString LanguageTitle(const QString& file) {
  QFile f(file);
  if (f.open(QIODevice::ReadOnly)) {
    const QJsonValue name = QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("Language"));
    if (name.isString() && !name.toString().trimmed().isEmpty()) return name.toString().trimmed();
  }
  return QFileInfo(file).completeBaseName();
}

}  // namespace

QString TMainWindow::LanguageFolder() {
  // Installed next to the program's share folder; in the build tree next to its resources.
  const QDir bin(QCoreApplication::applicationDirPath());
  for (const QString& base : {QStringLiteral("../share/planora/lang"), QStringLiteral("../resources/lang")}) {
    const QFileInfo dir(bin.filePath(base));
    if (dir.isDir()) return dir.canonicalFilePath();
  }
  return {};
}

QStringList TMainWindow::LanguageFiles() const {
  QStringList files{QString()};
  const QString folder = LanguageFolder();
  if (!folder.isEmpty())
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
      files << QDir(folder).filePath(name);
  return files;
}

void TMainWindow::BuildLanguageMenu() {
  QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"));
  if (!view) return;
  view->addSeparator();
  fLanguageMenu = view->addMenu(KeyTxt("MenuLanguage"));
  fLanguageMenu->setObjectName(QStringLiteral("viewLanguage"));
  auto* group = new QActionGroup(fLanguageMenu);
  group->setExclusive(true);
  for (const QString& file : LanguageFiles()) {
    // Each language under its own name, in that language, whatever language is in force.
    QAction* a = fLanguageMenu->addAction(file.isEmpty() ? QStringLiteral("English") : LanguageTitle(file));
    a->setObjectName(QStringLiteral("language") + (file.isEmpty() ? QStringLiteral("English") : QFileInfo(file).completeBaseName()));
    a->setCheckable(true);
    a->setData(file);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, file] { SetLanguageFile(file); });
  }
  SyncLanguageMenu();
}

void TMainWindow::SyncLanguageMenu() {
  if (!fLanguageMenu) return;
  const QString current = TPLNMsg::GetLanguageFileName();
  for (QAction* a : fLanguageMenu->actions())
    a->setChecked(QFileInfo(a->data().toString()) == QFileInfo(current) || (current.isEmpty() && a->data().toString().isEmpty()));
}

void TMainWindow::RestoreLanguage() {
  const QString file = QSettings().value(kLanguageKey).toString();
  if (file.isEmpty()) return;
  try {
    fDoc->SetLanguageFileName(file);
  } catch (const EPLNError& e) {
    // A file that went away or broke since: English, and the user hears why.
    QSettings().remove(kLanguageKey);
    statusBar()->showMessage(e.Message(), 10000);
  }
}

bool TMainWindow::SetLanguageFile(const QString& file) {
  try {
    fDoc->SetLanguageFileName(file);
  } catch (const EPLNError& e) {
    fServices->Error(this, Txt("TitleLanguage"), e.Message());
    SyncLanguageMenu();
    return false;
  }
  QSettings().setValue(kLanguageKey, file);
  ApplyLanguageToWindows();
  // Texts the window composes itself.
  UpdateTitle();
  ShowZoom();
  UpdateHint();
  SyncLanguageMenu();
  return true;
}

}  // namespace Planora::Studio
