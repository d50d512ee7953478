// File > Import: the dialog lays the text out as it changes, lists diagnostics that show their
// line, and hands a drawing to the window only when there is one.
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <gtest/gtest.h>

#include "ImportDialog.h"
#include "MainWindow.h"
#include "ORV.FMX.h"
#include "PlanoraTestSupport.h"

using namespace Planora::Studio;
using namespace PlanoraTest;

namespace {

struct TQuietServices : TStudioServices {
  QString nextFile;
  QStringList errors;
  QString OpenFileName(QWidget*, const QString&, const QString&) override { return nextFile; }
  void Error(QWidget*, const QString&, const QString& text) override { errors << text; }
  TSaveAnswer AskSave(QWidget*, const QString&) override { return TSaveAnswer::Discard; }
};

}  // namespace

TEST(StudioImport, DialogDiagnosticsAndAdoption) {
  auto services = std::make_shared<TQuietServices>();
  TMainWindow w(services);
  ASSERT_TRUE(w.OpenFile(Sample("shapes.json")));
  const int before = w.Document().GetItemsCount();

  // A text with an unreadable line: still a drawing, with a warning that shows its line.
  const QString file = TmpPath("sloppy.mmd");
  WriteAll(file, "flowchart LR\n  A --> B\n  ??? nonsense\n  B --> C\n");
  services->nextFile = file;
  QAction* import = w.findChild<QAction*>(QStringLiteral("fileImport"));
  ASSERT_TRUE(import);
  import->trigger();
  auto* dialog = w.findChild<TImportDialog*>();
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(dialog->ImportButton()->isEnabled());
  ASSERT_EQ(dialog->DiagnosticList()->count(), 1);
  emit dialog->DiagnosticList()->itemClicked(dialog->DiagnosticList()->item(0));
  EXPECT_EQ(dialog->TextEdit()->textCursor().block().blockNumber(), 2);
  EXPECT_EQ(dialog->TextEdit()->textCursor().selectedText(), "  ??? nonsense");

  // Typing a fix lays the text out again: no diagnostics left.
  QTextCursor c = dialog->TextEdit()->textCursor();
  c.removeSelectedText();
  c.insertText("  C --> D");
  dialog->Refresh();
  EXPECT_EQ(dialog->DiagnosticList()->count(), 0);

  // A text that gives nothing cannot be imported.
  dialog->TextEdit()->setPlainText("flowchart LR\n");
  dialog->Refresh();
  EXPECT_FALSE(dialog->ImportButton()->isEnabled());
  EXPECT_GE(dialog->DiagnosticList()->count(), 1);
  EXPECT_EQ(w.Document().GetItemsCount(), before);

  // Import takes the drawing: untitled, four boxes and three links.
  dialog->TextEdit()->setPlainText("flowchart LR\n  A --> B\n  B --> C\n  C --> D\n");
  dialog->Refresh();
  ASSERT_TRUE(dialog->ImportButton()->isEnabled());
  dialog->ImportButton()->click();
  QApplication::processEvents();
  EXPECT_EQ(w.Document().GetItemsCount(), 7);
  EXPECT_TRUE(w.CurrentFile().isEmpty());
  EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("Untitled")));
  EXPECT_FALSE(w.Document().CanUndo());

  // A file that cannot be read says why and opens nothing.
  EXPECT_EQ(w.ImportFile(TmpPath("no-such.mmd")), nullptr);
  ASSERT_EQ(services->errors.size(), 1);
  EXPECT_TRUE(services->errors[0].contains("no-such.mmd"));
}
