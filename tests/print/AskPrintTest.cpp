// Print runs of a design that asks for values: the values on the printed labels, refusals before
// any page, copies deciding the pages, and counters that continue from one run to the next.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include "AskLabels.h"
#include "ORV.FMX.Preview.h"
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.MCP.Server.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;
using PlanoraTest::Ask::PdfTexts;

namespace {

void Ready(TPlanoraFMX& doc, const QString& pdf, const QString& extraAsks = {}, const QString& counter = {},
           const QString& data = {}) {
  doc.LoadFromJson(Ask::SheetJson(extraAsks, counter, data));
  doc.SetAskedValue("Batch", "L042");
  doc.SetAskedValue("Best", "15/03/2027");
  doc.SetAskedValue("Lot", "South");
  doc.PrintInfo.PrinterIndex = 0;
  doc.PrintInfo.LastPage = 1;
  QFile::remove(pdf);
  doc.PrintToFile = pdf;
}

QString Joined(const QStringList& pages) { return pages.join(QLatin1Char('\n')); }

}  // namespace

TEST(AskPrint, AskedValuesReachThePrintedLabels) {
  TPlanoraFMX doc;
  const QString pdf = TmpPath("ask-values.pdf");
  Ready(doc, pdf);
  doc.Print();
  const QStringList pages = PdfTexts(pdf);
  ASSERT_EQ(pages.size(), 1);
  for (const char* t : {"L042", "15/03/2027", "South", "S0001", "S0004"})
    EXPECT_TRUE(pages[0].contains(QLatin1String(t))) << t << " missing from: " << pages[0].toStdString();
  EXPECT_EQ(doc.LastPrintedLabels(), 4);
  EXPECT_FALSE(doc.GetModified()) << "values belong to the run, not the drawing";
}

TEST(AskPrint, ValuesThatDoNotFitPrintNothing) {
  const QString pdf = TmpPath("ask-refused.pdf");
  struct Case {
    const char* extra;
    const char* name;
    const char* value;
  } cases[] = {
      {"", "Best", "31/02/2026"},
      {"", "Lot", "West"},
      {R"({"Name": "Line", "Kind": "list", "List": []})", "Line", "A"},  // an empty list
  };
  for (const Case& c : cases) {
    TPlanoraFMX doc;
    Ready(doc, pdf, c.extra);
    doc.SetAskedValue(c.name, c.value);
    const QByteArray before = doc.GetJsonText();
    bool started = false;
    doc.OnBeforePrint = [&](TPlanoraFMX&) { started = true; };
    try {
      doc.Print();
      ADD_FAILURE() << c.name << " = " << c.value << " printed";
    } catch (const EPLNError& e) {
      EXPECT_TRUE(e.Message().contains(QLatin1String(c.name))) << e.Message().toStdString();
    }
    EXPECT_FALSE(started);
    EXPECT_FALSE(QFile::exists(pdf)) << c.name;
    EXPECT_EQ(doc.GetJsonText(), before);
    // Export is refused the same way, before its thread starts: no file.
    const QString png = TmpPath("ask-refused.png");
    QFile::remove(png);
    EXPECT_THROW(doc.ExportDoc(TORVExport::PNG, png, 1, 1.0f, -1, false, false, false), EPLNError);
    EXPECT_TRUE(doc.WaitForExport());
    EXPECT_FALSE(QFile::exists(png));
  }
}

TEST(AskPrint, CopiesDecideHowManyLabelsAndPagesPrint) {
  TPlanoraFMX doc;
  const QString pdf = TmpPath("ask-copies.pdf");
  Ready(doc, pdf, R"({"Name": "Copies", "Kind": "copies"})");
  doc.SetAskedValue("Copies", "6");  // four labels a page
  doc.Print();
  const QStringList pages = PdfTexts(pdf);
  ASSERT_EQ(pages.size(), 2);
  EXPECT_TRUE(pages[1].contains("S0005"));
  EXPECT_TRUE(pages[1].contains("S0006"));
  EXPECT_FALSE(pages[1].contains("S0007"));
  EXPECT_EQ(doc.LastPrintedLabels(), 6);
  EXPECT_EQ(doc.PrintInfo.LastPage, 1) << "the copies are the run's, not the drawing's";
  EXPECT_EQ(PreviewPageCount(doc), 2) << "the preview shows the pages the print fills";
  doc.SetAskedValue("Copies", "3");
  EXPECT_EQ(PreviewPageCount(doc), 1);
}

TEST(AskPrint, CountersKeptInTheDrawingContinueInTheNextRun) {
  TPlanoraFMX doc;
  const QString first = TmpPath("ask-run1.pdf"), second = TmpPath("ask-run2.pdf");
  Ready(doc, first, {}, R"(, "Continue": true, "Next": 1)");
  doc.Print();
  EXPECT_TRUE(PdfTexts(first).value(0).contains("S0004"));
  EXPECT_EQ(doc.GetCounter(1)->GetNext(), 5);
  EXPECT_TRUE(doc.GetModified());
  // Undoing an edit made after the run does not hand the printed numbers out again.
  {
    TPLNUndoGroup step(doc);
    doc.GetItem(1)->Move(1000, 0);
  }
  ASSERT_TRUE(doc.CanUndo());
  doc.Undo();
  EXPECT_FALSE(doc.CanUndo()) << "the print made a step of its own";
  EXPECT_EQ(doc.GetCounter(1)->GetNext(), 5);

  // Preview and export show the numbers the next print uses and move nothing on.
  const QString exported = TmpPath("ask-next.pdf");
  doc.ExportDoc(TORVExport::PDF, exported, 1, 1.0f, -1, false, false, false);
  ASSERT_TRUE(doc.WaitForExport());
  const QString shown = Joined(PdfTexts(exported));
  EXPECT_TRUE(shown.contains("S0005")) << shown.toStdString();
  EXPECT_FALSE(shown.contains("S0001"));
  EXPECT_EQ(doc.GetCounter(1)->GetNext(), 5);

  QFile::remove(second);
  doc.PrintToFile = second;
  doc.Print();
  const QString run2 = Joined(PdfTexts(second));
  EXPECT_TRUE(run2.contains("S0005"));
  EXPECT_TRUE(run2.contains("S0008"));
  EXPECT_FALSE(run2.contains("S0004"));
  EXPECT_EQ(doc.GetCounter(1)->GetNext(), 9);
}

TEST(AskPrint, CountersFileCarriesTheNumbersAndMustBeWritable) {
  const QString file = TmpPath("serials.json");
  QFile::remove(file);
  const QString pdf = TmpPath("ask-file.pdf");
  {
    TPlanoraFMX doc;
    Ready(doc, pdf, {}, R"(, "Continue": true)", QStringLiteral(R"(, "CountersFile": "%1")").arg(file));
    doc.Print();
    EXPECT_FALSE(doc.GetModified()) << "the file keeps the numbers, not the drawing";
    EXPECT_EQ(doc.GetCounter(1)->GetNext(), 1);
  }
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(QJsonDocument::fromJson(f.readAll()).object().value("Serial").toInt(), 5);
  f.close();
  {
    // Another document with the same design and file goes on from there.
    TPlanoraFMX doc;
    Ready(doc, pdf, {}, R"(, "Continue": true)", QStringLiteral(R"(, "CountersFile": "%1")").arg(file));
    doc.Print();
    const QString run2 = Joined(PdfTexts(pdf));
    EXPECT_TRUE(run2.contains("S0005")) << run2.toStdString();
    EXPECT_FALSE(run2.contains("S0001"));
  }
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(QJsonDocument::fromJson(f.readAll()).object().value("Serial").toInt(), 9);
  f.close();

  // A file that cannot be written is found before the first page.
  const QString folder = TmpPath("serials-folder");
  QDir().mkpath(folder);
  for (const QString& bad : {TmpPath("no-such-folder/serials.json"), folder}) {
    TPlanoraFMX doc;
    Ready(doc, pdf, {}, R"(, "Continue": true)", QStringLiteral(R"(, "CountersFile": "%1")").arg(bad));
    bool started = false;
    doc.OnBeforePrint = [&](TPlanoraFMX&) { started = true; };
    try {
      doc.Print();
      ADD_FAILURE() << bad.toStdString() << " accepted";
    } catch (const EPLNError& e) {
      EXPECT_TRUE(e.Message().contains("counters file")) << e.Message().toStdString();
    }
    EXPECT_FALSE(started);
    EXPECT_FALSE(QFile::exists(pdf));
  }
}

// The export tool of the AI tool set on a design whose values were not given: an error result
// naming the value, no file, no crash; once given, the export runs.
TEST(AskPrint, ExportToolRefusesMissingValuesAsAnErrorResult) {
  TPlanoraFMX doc;
  doc.LoadFromJson(Ask::SheetJson());
  TPLNMCPServer server(&doc);
  ORVMCPRegisterDefaultTools(&server);
  const QString file = TmpPath("ask-mcp.png");
  QFile::remove(file);
  const QJsonObject args{{"filename", file}, {"format", "png"}};
  QJsonObject r = server.CallTool("export_document", args);
  EXPECT_TRUE(r["isError"].toBool());
  EXPECT_TRUE(QJsonDocument(r).toJson().contains("Batch")) << QJsonDocument(r).toJson().toStdString();
  EXPECT_FALSE(QFile::exists(file));
  doc.SetAskedValue("Batch", "L1");
  doc.SetAskedValue("Best", "01/01/2027");
  doc.SetAskedValue("Lot", "North");
  r = server.CallTool("export_document", args);
  EXPECT_FALSE(r["isError"].toBool()) << QJsonDocument(r).toJson().toStdString();
  EXPECT_TRUE(QFile::exists(file));
}
