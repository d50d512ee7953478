// View > Language: the whole window switches at once, the choice comes back at the next start,
// and a damaged language file changes nothing.
#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <gtest/gtest.h>

#include "MainWindow.h"
#include "ORV.FMX.Editor.h"
#include "ORV.FMX.Inspector.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"

using namespace Planora::Studio;
using namespace Orv;

namespace {

struct TErrorServices : TStudioServices {
  QStringList errors;
  void Error(QWidget*, const QString&, const QString& text) override { errors << text; }
};

QStringList MenuTitles(TMainWindow& w) {
  QStringList titles;
  for (QAction* a : w.menuBar()->actions()) titles << a->text();
  return titles;
}

QString Action(TMainWindow& w, const char* name) {
  QAction* a = w.findChild<QAction*>(QLatin1String(name));
  return a ? a->text() : QStringLiteral("(no %1)").arg(QLatin1String(name));
}

QString InspectorCaption(TMainWindow& w) {
  const QJsonArray rows = w.Inspector()->Rows();
  return rows.isEmpty() ? QString() : rows.first().toObject().value(QStringLiteral("T1")).toString();
}

}  // namespace

TEST(StudioLanguage, SwitchesTheWholeWindowAndComesBackAtStart) {
  QSettings().clear();
  TPLNMsg::SetEnglish();
  auto services = std::make_shared<TErrorServices>();
  const QString spanish = TMainWindow::LanguageFolder() + QStringLiteral("/es.json");
  ASSERT_TRUE(QFile::exists(spanish)) << "the build tree has no language folder";
  {
    TMainWindow w(services);
    QStringList entries;
    for (QAction* a : w.findChild<QMenu*>(QStringLiteral("viewLanguage"))->actions()) entries << a->text();
    EXPECT_EQ(entries, (QStringList{QStringLiteral("English"), QStringLiteral("Español")}));

    Orv::Fmx::TPLNFactory::AddBaseRectangle(&w.Document(), 1000, 1000, 20000, 10000);
    w.Document().SelectAll();
    w.Inspector()->Refresh(true);
    const QStringList menus = MenuTitles(w);
    const QString caption = InspectorCaption(w);
    ASSERT_EQ(menus.first(), QStringLiteral("&File"));
    ASSERT_FALSE(caption.isEmpty());
    EXPECT_EQ(Action(w, "editUndo"), QStringLiteral("&Undo"));
    EXPECT_EQ(Action(w, "toolLine"), QStringLiteral("Line"));

    ASSERT_TRUE(w.SetLanguageFile(spanish));
    EXPECT_EQ(TPLNMsg::GetLanguageName(), QStringLiteral("Español"));
    EXPECT_EQ(MenuTitles(w).first(), QStringLiteral("&Archivo"));
    EXPECT_EQ(Action(w, "editUndo"), QStringLiteral("&Deshacer"));
    EXPECT_EQ(Action(w, "toolLine"), QStringLiteral("Línea"));
    EXPECT_EQ(Action(w, "linkStartArrow"), QStringLiteral("&Flecha"));
    EXPECT_EQ(w.findChild<QDockWidget*>(QStringLiteral("inspectorDock"))->windowTitle(), QStringLiteral("Propiedades"));
    EXPECT_NE(InspectorCaption(w), caption);
    EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("Sin título")));
    // Shortcuts do not follow the texts.
    EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("editUndo"))->shortcut(), QKeySequence(QKeySequence::Undo));
    QAction* es = w.findChild<QAction*>(QStringLiteral("languagees"));
    ASSERT_NE(es, nullptr);
    EXPECT_TRUE(es->isChecked());

    // A damaged file: the user is told, the window stays in Spanish.
    const QString broken = QStringLiteral(PLANORA_TEST_TMP "/broken.json");
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(R"({"Language": "Roto", "Dialogs": {"MenuFile": 1}})");
    f.close();
    EXPECT_FALSE(w.SetLanguageFile(broken));
    ASSERT_EQ(services->errors.size(), 1);
    EXPECT_TRUE(services->errors.first().contains(QStringLiteral("broken.json")));
    EXPECT_EQ(MenuTitles(w).first(), QStringLiteral("&Archivo"));
    EXPECT_EQ(TPLNMsg::GetLanguageFileName(), spanish);
  }
  // The next start comes up in Spanish.
  TPLNMsg::SetEnglish();
  {
    TMainWindow w(services);
    EXPECT_EQ(MenuTitles(w).first(), QStringLiteral("&Archivo"));
    ASSERT_TRUE(w.SetLanguageFile(QString()));
    EXPECT_EQ(MenuTitles(w).first(), QStringLiteral("&File"));
    EXPECT_EQ(Action(w, "toolLine"), QStringLiteral("Line"));
    QAction* english = w.findChild<QAction*>(QStringLiteral("languageEnglish"));
    ASSERT_NE(english, nullptr);
    EXPECT_TRUE(english->isChecked());
  }
  EXPECT_TRUE(QSettings().value(QStringLiteral("view/language")).toString().isEmpty());
  TPLNMsg::SetEnglish();
}

// A text the tables lack reaches the status bar, once.
TEST(StudioLanguage, AMissingTextIsReportedInTheStatusBar) {
  QSettings().clear();
  TPLNMsg::SetEnglish();
  TPLNMsg::ResetNotFoundReports();
  TMainWindow w(std::make_shared<TErrorServices>());
  EXPECT_EQ(TPLNMsg::GetDialogsValue(QStringLiteral("NoSuchStudioKey")), QStringLiteral("NoSuchStudioKey"));
  QCoreApplication::processEvents();
  EXPECT_TRUE(w.statusBar()->currentMessage().contains(QStringLiteral("NoSuchStudioKey")))
      << w.statusBar()->currentMessage().toStdString();
  w.statusBar()->clearMessage();
  TPLNMsg::GetDialogsValue(QStringLiteral("NoSuchStudioKey"));
  QCoreApplication::processEvents();
  EXPECT_TRUE(w.statusBar()->currentMessage().isEmpty());
}
