// Symbol libraries built and listed by the command-line tool, the starter library shipped with
// the program, and the example drawing that places its symbols.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <gtest/gtest.h>

#include "ORV.FMX.h"
#include "ORV.Flow.h"
#include "ORV.Symbol.h"
#include "PlanoraProcess.h"
#include "PlanoraTestSupport.h"

using namespace PlanoraTest;
using namespace Orv;
using Orv::Symbol::TPLNBaseSymbol;
using Orv::Symbol::TPLNLibrary;

namespace {

TRun Planora(const QStringList& args) { return RunProgram(QStringLiteral(PLANORA_CLI), args); }

QString StarterJson() { return QStringLiteral(PLANORA_SOURCE_DIR "/resources/symbols/starter.json"); }

// The starter library built afresh from its definitions.
QString BuildStarter() {
  const QString lyp = TmpPath("starter.lyp");
  QFile::remove(lyp);
  const TRun r = Planora({"library", "build", StarterJson(), lyp});
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.isEmpty()) << "a starter command was not applied: " << r.err.toStdString();
  return lyp;
}

QByteArray Definitions(const QJsonArray& symbols) { return QJsonDocument(QJsonObject{{"symbols", symbols}}).toJson(); }

QJsonObject Def(const QString& name, const QJsonArray& commands, const QString& units = QStringLiteral("mm")) {
  return QJsonObject{{"name", name}, {"category", "Test"}, {"units", units}, {"commands", commands}};
}

const QJsonObject kLine{{"type", "line"}, {"x1", 0}, {"y1", 0}, {"x2", 5}, {"y2", 5}};

}  // namespace

TEST(CliLibrary, StarterLibraryBuildsWithGeometryCategoriesAndLinkPoints) {
  const QString lyp = BuildStarter();
  const int defined = static_cast<int>(
      QJsonDocument::fromJson(ReadAll(StarterJson())).object().value("symbols").toArray().size());
  ASSERT_GE(defined, 40);

  TPLNLibrary lib;
  lib.LoadFromFile(lyp);
  ASSERT_EQ(static_cast<int>(lib.Symbols.size()), defined);
  QMap<QString, int> perCategory;
  for (const auto& s : lib.Symbols) {
    SCOPED_TRACE(s->Name.toStdString());
    perCategory[s->Category]++;
    bool geometry = false;
    for (const auto& it : s->Items()) geometry = geometry || it.IsGeometry();
    EXPECT_TRUE(geometry);
    // Drawn about 10 to 20 mm across around its insertion point.
    const TORVBounds b = s->Bounds();
    ASSERT_FALSE(b.IsEmpty());
    EXPECT_LE(std::max(b.X2 - b.X1, b.Y2 - b.Y1), 22000);
    EXPECT_GE(std::max(b.X2 - b.X1, b.Y2 - b.Y1), 8000);
    EXPECT_TRUE(b.X1 <= 0 && b.X2 >= 0 && b.Y1 <= 0 && b.Y2 >= 0) << "insertion point outside the drawing";
    if (s->Category == QLatin1String("Electrical") || s->Category == QLatin1String("Network")) {
      EXPECT_GT(s->GetNumLinks(), 0) << "nothing for a line to attach to";
    }
    // Two-terminal electrical parts: the terminals are drawn ends, not points in the air.
    for (const TORVPto& p : s->Links()) EXPECT_TRUE(p.X >= b.X1 && p.X <= b.X2 && p.Y >= b.Y1 && p.Y <= b.Y2);
  }
  EXPECT_EQ(perCategory.size(), 4);
  for (const char* c : {"Flowchart", "Electrical", "Network", "Arrows and signs"})
    EXPECT_GE(perCategory.value(QLatin1String(c)), 10) << c;

  // The listing: one line per symbol, its name, category and link points.
  const TRun list = Planora({"library", "list", lyp});
  ASSERT_EQ(list.code, 0) << list.err.toStdString();
  const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), defined);
  for (int i = 0; i < defined; ++i) {
    const auto& s = lib.Symbols[i];
    const QStringList f = lines[i].split('\t');
    ASSERT_EQ(f.size(), 4) << lines[i].toStdString();
    EXPECT_EQ(f[0], s->Name);
    EXPECT_EQ(f[1], s->Category);
    EXPECT_TRUE(f[3].startsWith(QString::number(s->GetNumLinks()) + QLatin1String(" link point"))) << lines[i].toStdString();
  }
  const int resistor = static_cast<int>(std::find_if(lib.Symbols.begin(), lib.Symbols.end(),
                                                     [](const auto& s) { return s->Name == QLatin1String("Resistor"); }) -
                                        lib.Symbols.begin());
  ASSERT_LT(resistor, defined);
  EXPECT_EQ(lines[resistor], QStringLiteral("Resistor\tElectrical\t20.00 x 4.00 mm\t2 link points: (-10.00, 0.00) (10.00, 0.00)"));
}

TEST(CliLibrary, BadDefinitionsExitOneAndWriteNothing) {
  const QString lyp = TmpPath("bad.lyp"), in = TmpPath("bad.json");
  // An existing library stays as it was when a rebuild fails.
  WriteAll(lyp, "previous library");
  auto refused = [&](const QByteArray& json, const char* says) {
    SCOPED_TRACE(says);
    WriteAll(in, json);
    const TRun r = Planora({"library", "build", in, lyp});
    EXPECT_EQ(r.code, 1) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QLatin1String(says))) << r.err.toStdString();
    EXPECT_EQ(ReadAll(lyp), QByteArray("previous library"));
  };
  refused("{\"symbols\": [", "not JSON");
  refused("[1, 2]", "expected {\"symbols\"");
  refused("{\"symbols\": []}", "expected {\"symbols\"");
  // One good symbol does not carry a bad one through.
  refused(Definitions({Def("Good", {kLine}), Def("Junk", {QJsonObject{{"type", "squiggle"}}, QJsonObject{{"type", "line"}}})}),
          "symbol 2 (\"Junk\"): no usable drawing command");
  refused(Definitions({Def("Empty", {})}), "no usable drawing command");
  refused(Definitions({Def("Twice", {kLine}), Def("twice", {kLine})}), "name is taken");
  refused(Definitions({Def("Parsecs", {kLine}, "parsec")}), "unknown units");
  refused(Definitions({QJsonObject{{"commands", QJsonArray{kLine}}}}), "symbol 1: not an object with a name");
  // Every problem is named in one run.
  WriteAll(in, Definitions({Def("A", {}), Def("B", {kLine}, "furlong")}));
  const TRun both = Planora({"library", "build", in, lyp});
  EXPECT_TRUE(both.err.contains("\"A\"") && both.err.contains("furlong")) << both.err.toStdString();

  // Usage errors: a library that is not a .lyp, a missing definitions file.
  EXPECT_EQ(Planora({"library", "build", in, TmpPath("bad.json.out")}).code, 2);
  EXPECT_EQ(Planora({"library", "build", TmpPath("missing.json"), lyp}).code, 2);
  EXPECT_EQ(Planora({"library", "list", TmpPath("missing.lyp")}).code, 2);
  EXPECT_EQ(Planora({"library", "list", in}).code, 1);  // not a library
  EXPECT_EQ(ReadAll(lyp), QByteArray("previous library"));

  // A symbol that keeps some commands is built, and the unusable ones are named.
  WriteAll(in, Definitions({Def("Partly", {kLine, QJsonObject{{"type", "circle"}, {"r", -2}}})}));
  const TRun partly = Planora({"library", "build", in, lyp});
  EXPECT_EQ(partly.code, 0) << partly.err.toStdString();
  EXPECT_TRUE(partly.err.contains("command 2 (\"circle\") was not applied")) << partly.err.toStdString();
  TPLNLibrary lib;
  lib.LoadFromFile(lyp);
  ASSERT_EQ(lib.Symbols.size(), 1u);
  EXPECT_EQ(lib.Symbols[0]->GetItemsCount(), 1);
}

TEST(CliLibrary, ExampleDrawingPlacesStarterSymbolsWiredAtTheirLinkPoints) {
  TPLNLibrary starter;
  starter.LoadFromFile(BuildStarter());
  Fmx::TPlanoraFMX doc;
  doc.LoadFromFile(Sample("symbols.json"));
  int symbols = 0, links = 0;
  for (int i = 1; i <= doc.GetItemsCount(); ++i) {
    TPLNBaseItem* item = doc.GetItem(i);
    if (auto* s = dynamic_cast<TPLNBaseSymbol*>(item)) {
      ++symbols;
      const Symbol::TPLNBaseLibSymbol* def = s->GetSymbol();
      ASSERT_NE(def, nullptr) << "symbol item " << s->GetID() << " lost its definition";
      // The drawing shows the starter symbols as they are now, not an older drawing of them.
      const Symbol::TPLNLibSymbol* shipped = starter.FindByName(def->Name);
      ASSERT_NE(shipped, nullptr) << def->Name.toStdString();
      EXPECT_EQ(def->Items(), shipped->Items()) << def->Name.toStdString() << ": run scripts/make-symbols-example";
      EXPECT_EQ(def->Links(), shipped->Links()) << def->Name.toStdString();
    } else if (auto* l = dynamic_cast<F2d::TPLNBaseLink*>(item)) {
      ++links;
      // Both ends on a numbered link point of a symbol.
      for (auto [id, index] : {std::pair{l->GetFromID(), l->GetFromIndex()}, std::pair{l->GetToID(), l->GetToIndex()}}) {
        const TPLNBaseItem* end = doc.SearchItem(QString::number(id), false);
        ASSERT_TRUE(dynamic_cast<const TPLNBaseSymbol*>(end)) << "link " << l->GetID() << " end " << id;
        EXPECT_GT(index, Symbol::kSymbolLinkOffset);
        EXPECT_TRUE(end->HasLinkPoint(index)) << "link " << l->GetID() << " index " << index;
      }
    }
  }
  EXPECT_GE(symbols, 5);
  EXPECT_GE(links, symbols - 1);
}
