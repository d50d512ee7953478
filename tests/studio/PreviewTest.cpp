// File > Print Preview in the studio: the window opens over the studio's drawing, and its print
// asks through the studio's services (a printer or a PDF file) and writes every page.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPdfDocument>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "MainWindow.h"
#include "ORV.FMX.Print.h"
#include "ORV.FMX.ShowPreview.h"
#include "ORV.FMX.h"
#include "PlanoraTestSupport.h"

using namespace Planora::Studio;
using namespace PlanoraTest;

namespace {

struct TPrintServices : TStudioServices {
  QString file;
  QStringList choices;
  QStringList errors;
  QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return file; }
  void Error(QWidget*, const QString&, const QString& text) override { errors << text; }
  // The last entry: the PDF file.
  int Choose(QWidget*, const QString&, const QString&, const QStringList& items) override {
    choices = items;
    return static_cast<int>(items.size()) - 1;
  }
};

}  // namespace

TEST(StudioPreview, MenuOpensThePreviewAndPrintsThroughTheServices) {
  auto services = std::make_shared<TPrintServices>();
  TMainWindow w(services);
  ASSERT_TRUE(w.OpenFile(Sample("address-labels.json")));
  Orv::Fmx::TPlanoraFMX& doc = w.Document();
  doc.PrintInfo.LastPage = 2;  // two sheets of the same labels
  QAction* preview = w.findChild<QAction*>(QStringLiteral("filePreview"));
  ASSERT_NE(preview, nullptr);
  const QString pdf = TmpPath("studio-preview.pdf");
  QFile::remove(pdf);
  services->file = pdf;
  QString shown;
  bool seen = false;
  // The window is modal: look at it, print from it and close it from inside its loop.
  QTimer::singleShot(0, &w, [&] {
    auto* window = qobject_cast<Orv::Fmx::TfPreview*>(QApplication::activeModalWidget());
    if (!window) return;
    seen = true;
    shown = window->findChild<QLineEdit*>(QStringLiteral("edNumPage"))->text();
    window->NextPage();
    window->findChild<QToolButton*>(QStringLiteral("btnPrint"))->click();
    window->reject();
  });
  preview->trigger();
  ASSERT_TRUE(seen);
  EXPECT_EQ(shown, QStringLiteral("1 / 2"));
  ASSERT_TRUE(services->errors.isEmpty()) << services->errors.join("; ").toStdString();
  // The printers of the machine, then the PDF file.
  EXPECT_EQ(services->choices.mid(0, services->choices.size() - 1), Orv::Fmx::PrinterNames());
  QPdfDocument read;
  ASSERT_EQ(read.load(pdf), QPdfDocument::Error::None);
  EXPECT_EQ(read.pageCount(), 2);
  // The studio's drawing is left on the page the preview showed, its print range as it was.
  EXPECT_EQ(doc.PrintInfo.CurrentPage, 2);
  EXPECT_EQ(doc.PrintInfo.LastPage, 2);
  EXPECT_TRUE(doc.PrintToFile.isEmpty());
}

// A drawing that links its data prints every page its records fill, and counters number the
// labels across the pages.
TEST(StudioPreview, LinkedDataPrintsEveryPageItFills) {
  auto services = std::make_shared<TPrintServices>();
  TMainWindow w(services);
  ASSERT_TRUE(w.OpenFile(Sample("product-labels.json")));
  Orv::Fmx::TPlanoraFMX& doc = w.Document();
  ASSERT_NE(doc.GetDataSource(), nullptr) << "the example links products.csv";
  const int records = doc.GetRecordCount();
  const int perPage = doc.LabelsPerPage(1);
  ASSERT_GT(records, perPage);
  const QString pdf = TmpPath("studio-linked.pdf");
  QFile::remove(pdf);
  services->file = pdf;
  QAction* print = w.findChild<QAction*>(QStringLiteral("filePrint"));
  ASSERT_NE(print, nullptr);
  print->trigger();
  ASSERT_TRUE(services->errors.isEmpty()) << services->errors.join("; ").toStdString();
  QPdfDocument read;
  ASSERT_EQ(read.load(pdf), QPdfDocument::Error::None);
  EXPECT_EQ(read.pageCount(), (records + perPage - 1) / perPage);
  EXPECT_EQ(doc.PrintInfo.LastPage, 1) << "the drawing's own range is kept";
}
