// `planora import`: every grammar's sample to a drawing, standard input, the format option,
// diagnostics on standard error, and texts that give nothing leaving the output unwritten.
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPdfDocument>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <set>

#include "PlanoraProcess.h"
#include "PlanoraTestSupport.h"

using namespace PlanoraTest;

namespace {

TRun Planora(const QStringList& args, const QByteArray* input = nullptr) {
  return RunProgram(QStringLiteral(PLANORA_CLI), args, 120000, QProcessEnvironment::systemEnvironment(), input);
}

QString Diagram(const char* name) { return Sample("diagrams/") + QLatin1String(name); }

QJsonArray ItemsOf(const QString& json) { return QJsonDocument::fromJson(ReadAll(json)).object()["Items"].toArray(); }

// Every text of the drawing's items.
std::set<QString> Texts(const QJsonArray& items) {
  std::set<QString> out;
  for (const QJsonValue& v : items) {
    const QString t = v.toObject()["Text"].toString();
    if (!t.isEmpty()) out.insert(t);
  }
  return out;
}

int CountType(const QJsonArray& items, int type) {
  int n = 0;
  for (const QJsonValue& v : items) n += v.toObject()["Type"].toInt() == type;
  return n;
}

constexpr int kText = 10, kParagraph = 11, kArrowLine = 3, kFlow = 17, kLink = 18;

}  // namespace

TEST(CliImport, EveryGrammarSample) {
  struct TCase {
    const char* File;
    const char* MustShow;  // a text the drawing must hold
    int Type;              // an item kind it must have
    int AtLeast;           // ... this many times
  };
  const TCase cases[] = {
      {"gantt.mmd", "Frontend", kParagraph, 7},          {"gantt.puml", "Fit units (40%)", kParagraph, 7},
      {"gantt-native.txt", "Survey", kParagraph, 4},      {"flowchart.mmd", "Take payment", kFlow, 10},
      {"sequence.mmd", "Verify code", kArrowLine, 9},     {"mindmap.mmd", "Product launch", kFlow, 14},
      {"fishbone.mmd", "Late deliveries", kFlow, 14},     {"sequence.puml", "Check funds", kArrowLine, 6},
      {"mindmap.puml", "Passport", kFlow, 13},            {"wbs.puml", "Spokes", kFlow, 11},
      {"states.mmd", "Jammed", kFlow, 4},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File);
    const QString out = TmpPath(QStringLiteral("import-%1.json").arg(QFileInfo(c.File).completeBaseName() + QFileInfo(c.File).suffix()));
    QFile::remove(out);
    const TRun r = Planora({"import", Diagram(c.File), out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonArray items = ItemsOf(out);
    EXPECT_TRUE(Texts(items).count(QLatin1String(c.MustShow))) << "no item says " << c.MustShow;
    EXPECT_GE(CountType(items, c.Type), c.AtLeast);
    // Only the degraded state diagram has something to say.
    if (QLatin1String(c.File) == QLatin1String("states.mmd"))
      EXPECT_TRUE(r.err.contains(QStringLiteral("states.mmd:1: warning: "))) << r.err.toStdString();
    else
      EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
  }
  // Gantt dependencies are links unless --no-arrows; five in the PlantUML sample.
  const QString arrows = TmpPath("import-arrows.json"), none = TmpPath("import-none.json");
  ASSERT_EQ(Planora({"import", Diagram("gantt.puml"), arrows}).code, 0);
  ASSERT_EQ(Planora({"import", Diagram("gantt.puml"), none, "--no-arrows"}).code, 0);
  EXPECT_EQ(CountType(ItemsOf(arrows), kLink), 5);
  EXPECT_EQ(CountType(ItemsOf(none), kLink), 0);
  EXPECT_EQ(CountType(ItemsOf(none), kText), 1);
}

TEST(CliImport, StdinFormatsOutputsAndFailures) {
  // Standard input, straight to PDF: one page the size of the chart.
  const QByteArray chart = "gantt\ntitle From stdin\nA :a, 2024-01-01, 20d\nB :b, after a, 3d\n";
  const QString pdf = TmpPath("import-stdin.pdf");
  QFile::remove(pdf);
  TRun r = Planora({"import", "-", pdf}, &chart);
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  QPdfDocument doc;
  ASSERT_EQ(doc.load(pdf), QPdfDocument::Error::None);
  ASSERT_EQ(doc.pageCount(), 1);
  EXPECT_NEAR(doc.pagePointSize(0).width() * 25.4 / 72.0, 4 + 230 + 4, 0.5);
  // The PDF reader breaks lines where glyphs are placed one by one: compare without spaces.
  EXPECT_TRUE(doc.getAllText(0).text().remove(QRegularExpression("\\s")).contains("Fromstdin"));

  // The same text gives the same file, byte for byte.
  const QString a = TmpPath("import-a.json"), b = TmpPath("import-b.json");
  ASSERT_EQ(Planora({"import", Diagram("flowchart.mmd"), a}).code, 0);
  ASSERT_EQ(Planora({"import", Diagram("flowchart.mmd"), b}).code, 0);
  EXPECT_EQ(ReadAll(a), ReadAll(b));

  // A text that gives nothing: exit 1, diagnostics with file and line, the output untouched.
  const QString kept = TmpPath("import-kept.json");
  WriteAll(kept, "{}");
  const QString bad = TmpPath("bad.mmd");
  WriteAll(bad, "flowchart TD\n");
  r = Planora({"import", bad, kept});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains(QStringLiteral("error: no drawing made; nothing written"))) << r.err.toStdString();
  EXPECT_EQ(ReadAll(kept), "{}");
  static const char kJunk[] = "\x00\xff\xfe garbage \x01\x02";
  const QByteArray junk(kJunk, sizeof kJunk - 1);
  r = Planora({"import", "-", kept}, &junk);
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains(QStringLiteral("<stdin>:"))) << r.err.toStdString();
  EXPECT_EQ(ReadAll(kept), "{}");

  // --format plantuml reads a Mermaid text as PlantUML: nothing; auto reads it.
  const QByteArray mermaid = "sequenceDiagram\nA->>B: hi\n";
  EXPECT_EQ(Planora({"import", "-", kept, "--format", "plantuml"}, &mermaid).code, 1);
  EXPECT_EQ(Planora({"import", "-", kept, "--format", "auto"}, &mermaid).code, 0);
  // --strict refuses a text with a line it cannot read, and says which.
  const QByteArray sloppy = "sequenceDiagram\nA->>B: hi\nwhat is this\n";
  r = Planora({"import", "-", kept, "--strict"}, &sloppy);
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains(QStringLiteral("<stdin>:3: error: "))) << r.err.toStdString();

  // Usage errors exit 2.
  EXPECT_EQ(Planora({"import", Diagram("gantt.mmd")}).code, 2);
  EXPECT_EQ(Planora({"import", Diagram("gantt.mmd"), TmpPath("x.svg")}).code, 2);
  EXPECT_EQ(Planora({"import", Diagram("gantt.mmd"), kept, "--format", "dot"}).code, 2);
  EXPECT_EQ(Planora({"import", TmpPath("no-such.mmd"), kept}).code, 2);
}
