// The command line with a design that asks for values when printed: --ask given and missing,
// info listing the asks, and counters kept in the drawing continuing from one print to the next.
#include <QFile>
#include <gtest/gtest.h>

#include "AskLabels.h"
#include "PlanoraProcess.h"
#include "PlanoraTestSupport.h"

using namespace PlanoraTest;
using PlanoraTest::Ask::PdfTexts;

namespace {
TRun Cli(const QStringList& args) { return RunProgram(QStringLiteral(PLANORA_CLI), args); }
const QStringList kGood = {"--ask", "Batch=B-77", "--ask", "Best=30/11/2027", "--ask", "Lot=North"};
}  // namespace

TEST(CliAsk, ValuesGivenPrintAndExportMissingOnesWriteNothing) {
  const QString doc = TmpPath("cli-ask.json"), pdf = TmpPath("cli-ask.pdf"), png = TmpPath("cli-ask.png");
  WriteAll(doc, Ask::SheetJson());
  QFile::remove(pdf);
  QFile::remove(png);

  const TRun info = Cli({"info", doc});
  EXPECT_EQ(info.code, 0) << info.err.toStdString();
  EXPECT_TRUE(info.out.contains("Batch: text")) << info.out.toStdString();
  EXPECT_TRUE(info.out.contains("Best: date dd/MM/yyyy"));
  EXPECT_TRUE(info.out.contains("Lot: list of North, South"));

  // A value not given: named, with the syntax, and nothing written.
  TRun r = Cli(QStringList{"print", doc, "--output", pdf, "--ask", "Batch=B-77", "--ask", "Best=30/11/2027"});
  EXPECT_NE(r.code, 0);
  EXPECT_TRUE(r.err.contains("\"Lot\"") && r.err.contains("--ask Lot=VALUE")) << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(pdf));
  r = Cli(QStringList{"export", doc, png, "--ask", "Batch=B-77"});
  EXPECT_NE(r.code, 0);
  EXPECT_TRUE(r.err.contains("Best")) << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(png));
  // A date that does not exist, a value the drawing does not ask for, a malformed --ask.
  r = Cli(QStringList{"print", doc, "--output", pdf} + kGood + QStringList{"--ask", "Best=31/02/2026"});
  EXPECT_NE(r.code, 0);
  EXPECT_TRUE(r.err.contains("31/02/2026")) << r.err.toStdString();
  r = Cli(QStringList{"print", doc, "--output", pdf} + kGood + QStringList{"--ask", "Colour=red"});
  EXPECT_NE(r.code, 0);
  EXPECT_TRUE(r.err.contains("Colour") && r.err.contains("Batch, Best, Lot")) << r.err.toStdString();
  r = Cli(QStringList{"print", doc, "--output", pdf, "--ask", "Batch"});
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(r.err.contains("NAME=VALUE")) << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(pdf));

  r = Cli(QStringList{"print", doc, "--output", pdf} + kGood);
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  const QString printed = PdfTexts(pdf).join('\n');
  for (const char* t : {"B-77", "30/11/2027", "North", "S0001"}) EXPECT_TRUE(printed.contains(t)) << t;
  r = Cli(QStringList{"export", doc, png} + kGood);
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(QFile::exists(png));
}

TEST(CliAsk, CountersInTheDrawingContinueAndTheDrawingIsSaved) {
  const QString doc = TmpPath("cli-continue.eti"), json = TmpPath("cli-continue.json");
  const QString pdf1 = TmpPath("cli-continue1.pdf"), pdf2 = TmpPath("cli-continue2.pdf");
  WriteAll(json, Ask::SheetJson({}, R"(, "Continue": true, "Next": 10)"));
  QFile::remove(doc);
  ASSERT_EQ(Cli({"convert", json, doc}).code, 0);
  TRun r = Cli(QStringList{"print", doc, "--output", pdf1} + kGood);
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("Serial at 14")) << r.out.toStdString();
  r = Cli(QStringList{"print", doc, "--output", pdf2} + kGood);
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  const QString first = PdfTexts(pdf1).join('\n'), second = PdfTexts(pdf2).join('\n');
  EXPECT_TRUE(first.contains("S0010") && first.contains("S0013")) << first.toStdString();
  EXPECT_TRUE(second.contains("S0014") && second.contains("S0017")) << second.toStdString();
  EXPECT_FALSE(second.contains("S0013"));
  EXPECT_TRUE(Cli({"info", doc}).out.contains("Serial continues at 18"));
}
