// Printing through the CUPS queue "PDF": a real job through the spooler, read back from the PDF
// file cups-pdf writes.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPdfDocument>
#include <QThread>
#include <QTransform>
#include <gtest/gtest.h>

#include <cmath>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "LabelSheet.h"
#include "ORV.FMX.Print.h"
#include "ORV.FMX.h"
#include "PlanoraProcess.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;
using namespace PlanoraTest::Sheet;

namespace {

const QString kQueue = QStringLiteral("PDF");
const QString kOut = QStringLiteral(PLANORA_SPOOL_OUT);

QStringList Spooled() { return QDir(kOut).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name); }

// Every job the queue has had, finished or not.
QStringList Jobs() {
  return RunProgram(QStringLiteral("lpstat"), {"-W", "all", "-o", kQueue}).out.split('\n', Qt::SkipEmptyParts);
}

// Renders a page of the sheet of w x h mm as the sheet lies. On the paper as fed, a landscape
// sheet can come back portrait, turned a quarter counter-clockwise: such a page is turned back.
::testing::AssertionResult SheetPage(QPdfDocument& pdf, int page, double w, double h, QImage& img) {
  const QSizeF pt = pdf.pagePointSize(page), want(w * 72 / 25.4, h * 72 / 25.4);
  // Pages are whole points, the nearest ones: a spooler that cut a point moved the labels too.
  auto near = [](QSizeF a, QSizeF b) {
    return std::abs(a.width() - b.width()) <= 0.5 && std::abs(a.height() - b.height()) <= 0.5;
  };
  img = RenderPage(pdf, page);
  if (near(pt, want)) return ::testing::AssertionSuccess();
  if (w > h && near(pt, want.transposed())) {
    img = img.transformed(QTransform().rotate(90));
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "page " << page + 1 << " is " << pt.width() << " x " << pt.height() << " pt";
}

class Spool : public ::testing::Test {
 protected:
  void SetUp() override {
    if (PrinterNames().contains(kQueue) && QFileInfo(kOut).isDir()) {
      // Test runs from other build trees print to the same queue: one at a time, so that the
      // new file and the job list are this test's own.
      const QByteArray lock = QFile::encodeName(kOut + QStringLiteral("/.planora-tests.lock"));
      fLock = ::open(lock.constData(), O_RDONLY | O_CREAT, 0644);
      ASSERT_GE(fLock, 0) << "cannot open the lock file in " << kOut.toStdString();
      ASSERT_EQ(::flock(fLock, LOCK_EX), 0);
      return;
    }
    // Root runs scripts/start-cups before these tests: a missing queue there is a fault.
    if (geteuid() == 0)
      FAIL() << "the CUPS queue PDF writing into " << kOut.toStdString() << " is not set up; printers: "
             << PrinterNames().join(", ").toStdString();
    GTEST_SKIP() << "no CUPS queue PDF writing into " << kOut.toStdString() << ": run scripts/start-cups as root";
  }
  void TearDown() override {
    // What a passing test printed is of no more use; a failing test leaves it to look at.
    if (!HasFailure())
      for (const QString& f : fSpooled) QFile::remove(f);
    if (fLock >= 0) ::close(fLock);
  }

  // Waits until the queue has no job left and a PDF file not in `before` is there; its path, or
  // empty with a failure that says what the spooler was doing.
  QString WaitForNewPdf(const QStringList& before) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60000) {
      // The backend writes the file while the job runs; it is whole once the job has left the queue.
      const TRun pending = RunProgram(QStringLiteral("lpstat"), {"-o", kQueue});
      if (pending.code == 0 && pending.out.trimmed().isEmpty()) {
        QStringList fresh;
        for (const QString& f : Spooled())
          if (!before.contains(f)) fresh << f;
        if (fresh.size() == 1) {
          fSpooled << kOut + QLatin1Char('/') + fresh.first();
          return fSpooled.last();
        }
        if (fresh.size() > 1) {
          ADD_FAILURE() << "one job wrote " << fresh.join(", ").toStdString();
          return {};
        }
      }
      QThread::msleep(200);
    }
    ADD_FAILURE() << "no PDF from the queue within 60 s\n"
                  << RunProgram(QStringLiteral("lpstat"), {"-l", "-p", kQueue}).out.toStdString()
                  << RunProgram(QStringLiteral("lpstat"), {"-W", "all", "-o", kQueue}).out.toStdString();
    return {};
  }

  // Prints `doc` to the queue and loads the PDF the job wrote.
  ::testing::AssertionResult PrintToQueue(TPlanoraFMX& doc, QPdfDocument& pdf) {
    const QStringList before = Spooled();
    doc.Print();
    const QString path = WaitForNewPdf(before);
    if (path.isEmpty()) return ::testing::AssertionFailure() << "no PDF from the queue";
    if (pdf.load(path) != QPdfDocument::Error::None) return ::testing::AssertionFailure() << "cannot read " << path.toStdString();
    return ::testing::AssertionSuccess();
  }

 private:
  int fLock = -1;
  QStringList fSpooled;
};

}  // namespace

TEST_F(Spool, LabelSheetThroughTheQueue) {
  TPlanoraFMX doc;
  MakeSheet(doc);
  EXPECT_FALSE(doc.SelectPrinter(QStringLiteral("NoSuch")));
  EXPECT_EQ(doc.PrintInfo.PrinterIndex, 0);
  ASSERT_TRUE(doc.SelectPrinter(kQueue));
  EXPECT_EQ(doc.PrintInfo.PrinterIndex, PrinterNames().indexOf(kQueue));

  QPdfDocument pdf;
  ASSERT_TRUE(PrintToQueue(doc, pdf));
  ASSERT_EQ(pdf.pageCount(), 2);
  for (int page = 0; page < 2; ++page) {
    QImage img;
    ASSERT_TRUE(SheetPage(pdf, page, 297, 210, img));
    for (int row = 1; row <= 2; ++row)
      for (int column = 1; column <= 3; ++column)
        EXPECT_TRUE(BoxInCell(img, column, row)) << "page " << page + 1 << ", cell " << column << "," << row;
  }

  // No printer chosen: no job reaches the queue.
  const QStringList jobs = Jobs();
  doc.PrintInfo.PrinterIndex = -1;
  doc.Print();
  EXPECT_EQ(Jobs(), jobs);
}

// The paper goes to the queue as the sheet's size and orientation, custom sizes included, and
// the labels land where they are on the sheet.
TEST_F(Spool, PaperSizeAndOrientationReachThePage) {
  struct Case {
    int w, h;  // millimetres
  };
  for (const Case c : {Case{210, 297}, Case{200, 230}, Case{230, 210}}) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " mm");
    TPlanoraFMX doc;
    MakeSheet(doc);
    TPLNMeasure m = doc.Measure();
    m.SetSize(TPLNMeasure::PaperWidth, c.w * 1000);
    m.SetSize(TPLNMeasure::PaperHeight, c.h * 1000);
    m.Columns = 2;
    m.Rows = 2;
    m.LabelName = QStringLiteral("Stock %1x%2").arg(c.w).arg(c.h);
    doc.SetMeasure(m);
    doc.PrintInfo.LastPage = 1;
    ASSERT_TRUE(doc.SelectPrinter(kQueue));
    QPdfDocument pdf;
    ASSERT_TRUE(PrintToQueue(doc, pdf));
    ASSERT_EQ(pdf.pageCount(), 1);
    QImage page;
    ASSERT_TRUE(SheetPage(pdf, 0, c.w, c.h, page));
    EXPECT_TRUE(BoxInCell(page, 1, 1));
    EXPECT_TRUE(BoxInCell(page, 2, 2));
  }
}

TEST_F(Spool, CommandLine) {
  const QString cli = QStringLiteral(PLANORA_CLI);
  const TRun list = RunProgram(cli, {"print", "--list-printers"});
  EXPECT_EQ(list.code, 0) << list.err.toStdString();
  EXPECT_TRUE(list.out.split('\n').contains(kQueue)) << list.out.toStdString();

  const QString doc = Sample("labels-basic.json");
  const QStringList jobs = Jobs();
  const TRun wrong = RunProgram(cli, {"print", doc, "--printer", "NoSuch"});
  EXPECT_EQ(wrong.code, 1);
  EXPECT_EQ(wrong.err.count('\n'), 1) << wrong.err.toStdString();
  EXPECT_TRUE(wrong.err.contains("NoSuch")) << wrong.err.toStdString();
  EXPECT_EQ(Jobs(), jobs);

  const QStringList before = Spooled();
  const TRun ok = RunProgram(cli, {"print", doc, "--printer", kQueue});
  ASSERT_EQ(ok.code, 0) << ok.err.toStdString();
  const QString path = WaitForNewPdf(before);
  ASSERT_FALSE(path.isEmpty());
  QPdfDocument pdf;
  ASSERT_EQ(pdf.load(path), QPdfDocument::Error::None) << path.toStdString();
  EXPECT_EQ(pdf.pageCount(), 1);
  QImage page;
  EXPECT_TRUE(SheetPage(pdf, 0, 210, 297, page));
  EXPECT_GT(Ink(page), 0) << "blank page";
}

// A printer's calibration offset moves every page printed on it, and only on it.
TEST_F(Spool, CalibrationOffsetMovesThePrint) {
  EXPECT_THROW(SetPrintCalibration(kQueue, QPointF(60, 0)), EPLNError);
  SetPrintCalibration(kQueue, QPointF(3, 2));
  struct Forget {
    ~Forget() { SetPrintCalibration(kQueue, QPointF()); }
  } forget;
  EXPECT_EQ(PrintCalibration(kQueue), QPointF(3, 2));
  EXPECT_EQ(PrintCalibration(QStringLiteral("Another printer")), QPointF());
  TPlanoraFMX doc;
  MakeSheet(doc);
  doc.PrintInfo.LastPage = 1;
  ASSERT_TRUE(doc.SelectPrinter(kQueue));
  QPdfDocument pdf;
  ASSERT_TRUE(PrintToQueue(doc, pdf));
  QImage img;
  ASSERT_TRUE(SheetPage(pdf, 0, 297, 210, img));
  // The first cell's box is 3 mm right and 2 mm down of where the sheet has it.
  EXPECT_FALSE(BoxInCell(img, 1, 1));
  const double x = 10 + 10 + 3, y = 10 + 20 + 2;
  EXPECT_TRUE(Dark(img, P(x) + kTol, P(y) + kTol));
  EXPECT_TRUE(Dark(img, P(x + 30) - kTol, P(y + 15) - kTol));
  EXPECT_TRUE(White(img, P(x) - kTol - 1, P(y + 7)));
  EXPECT_TRUE(White(img, P(x + 15), P(y) - kTol - 1));
}
