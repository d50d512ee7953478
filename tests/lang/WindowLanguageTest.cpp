// Windows in another language: a dialog built after a switch, and keyed texts of a window that
// stays open while the language changes.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "ORV.FMX.Editor.h"
#include "ORV.FMX.Settings.h"
#include "ORV.FMX.Texts.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

QString Spanish() { return QStringLiteral(PLANORA_SOURCE_DIR "/resources/lang/es.json"); }

// The captions a user reads in the editor settings window.
QStringList Captions(TPlanoraFMX& doc, TPLNEditor& editor) {
  TfSettings f;
  f.Ini(&doc, &editor);
  QStringList texts{f.windowTitle()};
  for (const char* name : {"ckOrtoLines", "ckLeftRuler", "ckCrossPoint"})
    if (auto* box = f.findChild<QCheckBox*>(QLatin1String(name))) texts << box->text();
  return texts;
}

}  // namespace

TEST(WindowLanguage, ADialogOpensInTheLanguageInForce) {
  TPLNMsg::SetEnglish();
  TPlanoraFMX doc;
  TPLNEditor editor;
  editor.SetLabel(&doc);
  const QStringList english = Captions(doc, editor);
  ASSERT_EQ(english.size(), 4);
  EXPECT_TRUE(english[0].contains(QStringLiteral("Editor settings")));

  QString message;
  ASSERT_TRUE(TPLNMsg::LoadLanguageFile(Spanish(), message)) << message.toStdString();
  const QStringList spanish = Captions(doc, editor);
  ASSERT_EQ(spanish.size(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_NE(spanish[i], english[i]) << english[i].toStdString();
  EXPECT_TRUE(spanish[0].contains(TPLNMsg::GetDialogsValue(QStringLiteral("Settings"))));
  EXPECT_TRUE(spanish[2].startsWith(TPLNMsg::GetDialogsValue(QStringLiteral("LeftRuler")))) << spanish[2].toStdString();

  TPLNMsg::SetEnglish();
  EXPECT_EQ(Captions(doc, editor), english);
  editor.SetLabel(nullptr);
}

TEST(WindowLanguage, KeyedTextsFollowASwitchWithAcceleratorsAndSuffixes) {
  TPLNMsg::SetEnglish();
  QMainWindow window;
  QMenu* file = window.menuBar()->addMenu(KeyedText(TORVMsgTable::Dialogs, QStringLiteral("MenuFile")));
  QAction* open = file->addAction(KeyedText(TORVMsgTable::Dialogs, QStringLiteral("MenuOpen")));
  open->setShortcut(QKeySequence::Open);
  open->setToolTip(KeyedText(TORVMsgTable::Dialogs, QStringLiteral("TitleOpen"), QStringLiteral(" (Ctrl+O)")));
  auto* dock = new QDockWidget(KeyedText(TORVMsgTable::Dialogs, QStringLiteral("Properties")), &window);
  QAction* plain = file->addAction(QStringLiteral("Recent.json"));
  ApplyKeyedTexts(&window);
  EXPECT_EQ(file->title(), QStringLiteral("&File"));
  EXPECT_EQ(open->text(), QStringLiteral("&Open…"));
  EXPECT_EQ(open->toolTip(), QStringLiteral("Open drawing (Ctrl+O)"));
  EXPECT_EQ(dock->windowTitle(), QStringLiteral("Properties"));

  QString message;
  ASSERT_TRUE(TPLNMsg::LoadLanguageFile(Spanish(), message));
  ApplyLanguageToWindows();
  EXPECT_EQ(file->title(), TPLNMsg::GetDialogsValue(QStringLiteral("MenuFile")));
  EXPECT_NE(file->title(), QStringLiteral("&File"));
  EXPECT_TRUE(file->title().contains(QLatin1Char('&')));
  EXPECT_EQ(open->toolTip(), TPLNMsg::GetDialogsValue(QStringLiteral("TitleOpen")) + QStringLiteral(" (Ctrl+O)"));
  EXPECT_EQ(dock->windowTitle(), TPLNMsg::GetDialogsValue(QStringLiteral("Properties")));
  EXPECT_EQ(open->shortcut(), QKeySequence(QKeySequence::Open));
  EXPECT_EQ(plain->text(), QStringLiteral("Recent.json"));

  TPLNMsg::SetEnglish();
  ApplyLanguageToWindows();
  EXPECT_EQ(file->title(), QStringLiteral("&File"));
  EXPECT_EQ(open->text(), QStringLiteral("&Open…"));
}
