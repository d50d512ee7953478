// The command-line tool, run as a separate process.
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDir>
#include <QPdfDocument>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include "PlanoraProcess.h"
#include "PlanoraTestSupport.h"

using namespace PlanoraTest;

namespace {

TRun Planora(const QStringList& args) { return RunProgram(QStringLiteral(PLANORA_CLI), args); }

int ItemsIn(const QString& jsonPath) {
  return static_cast<int>(QJsonDocument::fromJson(ReadAll(jsonPath)).object().value("Items").toArray().size());
}

}  // namespace

TEST(Cli, HelpInfoAndExports) {
  const TRun help = Planora({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_TRUE(help.out.contains("export")) << help.out.toStdString();
  EXPECT_TRUE(help.err.isEmpty());

  for (const char* name : {"shapes.json", "labels-basic.json"}) {
    SCOPED_TRACE(name);
    const TRun info = Planora({"info", Sample(name)});
    EXPECT_EQ(info.code, 0) << info.err.toStdString();
    ASSERT_GT(ItemsIn(Sample(name)), 0);
    EXPECT_TRUE(info.out.contains(QStringLiteral("Items:       %1\n").arg(ItemsIn(Sample(name))))) << info.out.toStdString();

    const QString base = QFileInfo(QLatin1String(name)).completeBaseName();
    const QString png = TmpPath(base + ".png"), pdf = TmpPath(base + ".pdf");
    QFile::remove(png);
    QFile::remove(pdf);
    const TRun a = Planora({"export", Sample(name), png});
    EXPECT_EQ(a.code, 0) << a.err.toStdString();
    const QImage img(png);
    // A4 at 96 dpi, either way round, with something drawn on the white sheet.
    EXPECT_EQ(std::max(img.width(), img.height()), 1123);
    EXPECT_EQ(std::min(img.width(), img.height()), 794);
    int ink = 0;
    for (int y = 0; y < img.height(); y += 3)
      for (int x = 0; x < img.width(); x += 3) ink += qGray(img.pixel(x, y)) < 200;
    EXPECT_GT(ink, 50);
    const TRun b = Planora({"export", Sample(name), pdf, "--page", "1"});
    EXPECT_EQ(b.code, 0) << b.err.toStdString();
    QPdfDocument doc;
    ASSERT_EQ(doc.load(pdf), QPdfDocument::Error::None);
    EXPECT_EQ(doc.pageCount(), 1);
    EXPECT_NEAR(std::max(doc.pagePointSize(0).width(), doc.pagePointSize(0).height()), 297 / 25.4 * 72, 0.5);
  }
  const QString fit = TmpPath("shapes-fit.png");
  EXPECT_EQ(Planora({"export", Sample("shapes.json"), fit, "--fit", "--scale", "2"}).code, 0);
  const QImage img(fit);
  EXPECT_LT(img.width(), 2 * 1123);
  EXPECT_GT(img.width(), 100);
}

TEST(Cli, ConvertRoundTrip) {
  const QString eti = TmpPath("conv.eti"), back = TmpPath("conv-back.json"), direct = TmpPath("conv-direct.json"),
                eti2 = TmpPath("conv-2.eti");
  for (const QString& f : {eti, back, direct, eti2}) QFile::remove(f);
  EXPECT_EQ(Planora({"convert", Sample("shapes.json"), eti}).code, 0);
  EXPECT_EQ(Planora({"convert", eti, back}).code, 0);
  EXPECT_EQ(Planora({"convert", Sample("shapes.json"), direct}).code, 0);
  EXPECT_EQ(Planora({"convert", back, eti2}).code, 0);
  ASSERT_FALSE(ReadAll(back).isEmpty());
  EXPECT_EQ(ReadAll(back), ReadAll(direct));
  EXPECT_EQ(ReadAll(eti), ReadAll(eti2));
  EXPECT_EQ(ItemsIn(back), ItemsIn(Sample("shapes.json")));
}

TEST(Cli, ErrorsAreOneLineWithANonZeroStatus) {
  const QString out = TmpPath("never.png"), shapes = Sample("shapes.json");
  const QString txt = TmpPath("drawing.txt"), cut = TmpPath("corrupt.eti"), broken = TmpPath("broken.json");
  WriteAll(txt, ReadAll(shapes));
  const QString eti = TmpPath("corrupt-src.eti");
  ASSERT_EQ(Planora({"convert", Sample("labels-basic.json"), eti}).code, 0);
  WriteAll(cut, ReadAll(eti).chopped(9));
  WriteAll(broken, "{\n  \"Items\": [\n    {\"Type\": 6,\n");

  struct Case {
    QStringList args;
    QString mentions, notWritten;
  };
  const Case cases[] = {
      {{"export", TmpPath("missing.json"), out}, "missing.json", out},
      {{"info", TmpPath("missing.eti")}, "missing.eti", {}},
      {{"export", txt, out}, "drawing.txt", out},
      {{"export", shapes, TmpPath("never.tiff")}, "never.tiff", TmpPath("never.tiff")},
      {{"convert", shapes, TmpPath("never.pdf")}, "never.pdf", TmpPath("never.pdf")},
      {{"export", shapes, out, "--colour", "red"}, "--colour", out},
      {{"export", shapes, out, "--page", "0"}, "--page", out},
      {{"export", shapes, out, "--page", "two"}, "--page", out},
      {{"export", shapes, out, "--page"}, "--page", out},
      {{"export", shapes, out, "--scale", "-1"}, "--scale", out},
      {{"frobnicate"}, "frobnicate", {}},
      {{"export", shapes, TmpPath("no/such/dir/x.pdf")}, "x.pdf", {}},
      {{"convert", shapes, TmpPath("no/such/dir/x.eti")}, "x.eti", {}},
      {{"export", cut, out}, "corrupt.eti", out},
      {{"info", cut}, "corrupt.eti", {}},
      {{"convert", broken, TmpPath("never.eti")}, "broken.json", TmpPath("never.eti")},
      {{"sheets", "no-such-sheet"}, "no-such-sheet", {}},
      {{"print", "--printer", "No such printer", "--calibrate", "1,1"}, "No such printer", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    if (!c.notWritten.isEmpty()) QFile::remove(c.notWritten);
    const TRun r = Planora(c.args);
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith('\n'));
    EXPECT_TRUE(r.err.contains(c.mentions)) << r.err.toStdString();
    if (!c.notWritten.isEmpty()) {
      EXPECT_FALSE(QFileInfo::exists(c.notWritten));
    }
  }
}

TEST(Cli, ItemsThatCannotBeReadAreNeverDroppedSilently) {
  const QString damaged = TmpPath("damaged.json"), out = TmpPath("damaged-out.eti"), back = TmpPath("damaged-back.json");
  WriteAll(damaged, R"({"Items": [{"Type": 6, "Name": "kept", "Points": [[0,0],[1000,1000]]},
                                  {"Type": "abc", "Points": [[0,0],[1,1]]}, "not an item",
                                  {"Type": 2, "Name": "kept too", "Points": [[0,0],[1000,1000]]}]})");
  QFile::remove(out);
  // Reading only warns; saving refuses with one line naming the count and writes nothing.
  const TRun info = Planora({"info", damaged});
  EXPECT_EQ(info.code, 0);
  EXPECT_TRUE(info.err.contains("2 items")) << info.err.toStdString();
  EXPECT_TRUE(info.out.contains("Items:       2\n")) << info.out.toStdString();
  const TRun refused = Planora({"convert", damaged, out});
  EXPECT_EQ(refused.code, 1);
  EXPECT_EQ(refused.err.count('\n'), 1) << refused.err.toStdString();
  EXPECT_TRUE(refused.err.contains("2 items") && refused.err.contains("--drop-unknown")) << refused.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(out));
  const TRun mcp = Planora({"mcp", "--document", damaged, "--save-on-exit"});
  EXPECT_EQ(mcp.code, 1);
  EXPECT_TRUE(mcp.err.contains("2 items")) << mcp.err.toStdString();
  // Asked to, it saves the readable items.
  const TRun dropped = Planora({"convert", damaged, out, "--drop-unknown"});
  EXPECT_EQ(dropped.code, 0) << dropped.err.toStdString();
  EXPECT_TRUE(dropped.err.contains("2 items")) << dropped.err.toStdString();
  ASSERT_EQ(Planora({"convert", out, back}).code, 0);
  EXPECT_EQ(ItemsIn(back), 2);

  // Coordinates a .json file cannot hold are refused in a .eti too, naming the item.
  WriteAll(TmpPath("far-src.json"), R"({"Items": [{"Type": 1, "Points": [[5,5]]},
                                                  {"Type": 2, "Points": [[123457,7],[8,9]]}]})");
  ASSERT_EQ(Planora({"convert", TmpPath("far-src.json"), TmpPath("far-src.eti")}).code, 0);
  QByteArray bytes = ReadAll(TmpPath("far-src.eti"));
  const qint64 near = 123457, far = qint64(1) << 60;
  const qsizetype at = bytes.indexOf(QByteArray(reinterpret_cast<const char*>(&near), 8));
  ASSERT_GT(at, 0);
  std::memcpy(bytes.data() + at, &far, 8);
  WriteAll(TmpPath("far.eti"), bytes);
  QFile::remove(TmpPath("far.json"));
  const TRun farRun = Planora({"convert", TmpPath("far.eti"), TmpPath("far.json")});
  EXPECT_EQ(farRun.code, 1);
  EXPECT_TRUE(farRun.err.contains("item 2 of 2") && farRun.err.contains(QString::number(far))) << farRun.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(TmpPath("far.json")));

  // A bad argument is quoted short and escaped.
  const TRun longArg = Planora({"export", Sample("shapes.json"), TmpPath("x.png"), "--" + QString(100000, 'z')});
  EXPECT_EQ(longArg.code, 2);
  EXPECT_LT(longArg.err.size(), 200);
  EXPECT_EQ(longArg.err.count('\n'), 1);
}

TEST(Cli, AnExportEndedBySignalLeavesNoTemporaryFile) {
  // Thousands of records: a PDF of hundreds of pages, long enough to stop half-way.
  QByteArray csv = "name,street,city\n";
  for (int i = 0; i < 20000; ++i) csv += "Name " + QByteArray::number(i) + ",Street " + QByteArray::number(i * 7) + ",City\n";
  const QString data = TmpPath("many.csv");
  WriteAll(data, csv);
  for (const int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    const QString dir = TmpDir(QStringLiteral("interrupted-%1").arg(sig));
    for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden)) QFile::remove(dir + '/' + f);
    QProcess p;
    p.setReadChannel(QProcess::StandardError);
    p.start(QStringLiteral(PLANORA_CLI), {"export", Sample("address-labels.json"), dir + "/sheets.pdf", "--data", data});
    ASSERT_TRUE(p.waitForStarted());
    // Stopped once a few pages are drawn, with the export's hidden file on disk.
    QByteArray err;
    while (!err.contains("page 3 of") && p.state() == QProcess::Running && p.waitForReadyRead(60000))
      err += p.readAllStandardError();
    ASSERT_TRUE(err.contains("page 3 of")) << err.toStdString();
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 1);
    ::kill(static_cast<pid_t>(p.processId()), sig);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);  // ended by the signal, as without a handler
    EXPECT_TRUE(QDir(dir).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << QDir(dir).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
  }
}

TEST(Cli, SheetCatalogueSearch) {
  const TRun r = Planora({"sheets", "5160", "avery"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.first().startsWith(QStringLiteral("Avery 5160\t66.67 x 25.4 mm, 3 x 10 on US-Letter"))) << lines.first().toStdString();
  for (const QString& l : lines) EXPECT_TRUE(l.startsWith(QStringLiteral("Avery "))) << l.toStdString();
}

// A counter bound like a data field numbers the labels of the run, with data or without, and the
// run's repetitions give each record its labels.
TEST(Cli, CountersAndRepetitionsReachTheExportedLabels) {
  QJsonObject doc = QJsonDocument::fromJson(ReadAll(QStringLiteral(PLANORA_SOURCE_DIR "/examples/address-labels.json"))).object();
  doc.insert("Counters", QJsonArray{QJsonObject{{"Name", "Serial"}, {"From", 98}, {"To", 200}, {"Step", 2}, {"TextBefore", "SN-"}, {"Format", "0000"}}});
  QJsonArray items = doc.value("Items").toArray();
  int bound = 0;
  for (int i = 0; i < items.size(); ++i) {
    QJsonObject it = items[i].toObject();
    if (it.value("FillName").toString() != "name") continue;
    it.insert("FillName", "serial");  // counters are found whatever the case
    items[i] = it;
    ++bound;
  }
  ASSERT_EQ(bound, 1);
  doc.insert("Items", items);
  const QString in = TmpPath("counters.json"), pdf = TmpPath("counters.pdf"), txt = TmpPath("counters.txt");
  WriteAll(in, QJsonDocument(doc).toJson());
  auto textOf = [&](const QStringList& extra) {
    QFile::remove(pdf);
    const TRun r = Planora(QStringList{"export", in, pdf} + extra);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const TRun t = RunProgram(QStringLiteral("pdftotext"), {pdf, txt});
    EXPECT_EQ(t.code, 0) << t.err.toStdString();
    return QString::fromUtf8(ReadAll(txt));
  };
  // Without data: the 24 cells of the sheet, 98 up in steps of 2.
  QString text = textOf({});
  EXPECT_TRUE(text.contains("SN-0098")) << text.toStdString();
  EXPECT_TRUE(text.contains("SN-0100"));
  EXPECT_TRUE(text.contains("SN-0144"));
  EXPECT_FALSE(text.contains("SN-0146")) << "one sheet has 24 labels";

  // With data and every record twice: labels 1 and 2 show the first address, counted on.
  QJsonObject print = doc.value("Print").toObject();
  print.insert("Repetition", 2);
  doc.insert("Print", print);
  WriteAll(in, QJsonDocument(doc).toJson());
  const TRun info = Planora({"info", in, "--data", PLANORA_SOURCE_DIR "/examples/addresses.csv"});
  EXPECT_TRUE(info.out.contains("Data:        60 records on 3 pages")) << info.out.toStdString();
  text = textOf({"--data", PLANORA_SOURCE_DIR "/examples/addresses.csv"});
  const QString street = QString::fromUtf8(ReadAll(PLANORA_SOURCE_DIR "/examples/addresses.csv")).split('\n')[1].split(',')[1];
  EXPECT_EQ(text.count(street), 2) << street.toStdString() << "\n" << text.toStdString();
  EXPECT_TRUE(text.contains("SN-0098") && text.contains("SN-0100"));

  // A drawing that links its data is read with it, without --data.
  const TRun linked = Planora({"info", PLANORA_SOURCE_DIR "/examples/product-labels.json"});
  EXPECT_TRUE(linked.out.contains("Data:        22 records on 3 pages")) << linked.out.toStdString() << linked.err.toStdString();
}
