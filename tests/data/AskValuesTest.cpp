// Values a design asks for when printed: their checks, what items show, and how the definitions
// and continuing counters are kept in both file formats and in the undo history.
#include <QBuffer>
#include <QFile>
#include <gtest/gtest.h>

#include "AskLabels.h"
#include "ORV.Data.h"
#include "ORV.FMX.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

void LoadAsk(TPlanoraFMX& doc, const QString& extraAsks = {}, const QString& counter = {}, const QString& data = {}) {
  doc.LoadFromJson(Ask::SheetJson(extraAsks, counter, data));
}

void GiveGoodValues(TPlanoraFMX& doc) {
  doc.SetAskedValue("Batch", "L042");
  doc.SetAskedValue("best", "28/02/2026");  // names ignore case
  doc.SetAskedValue("Lot", "South");
}

// The check refuses the values, with a message that names the value and contains `needle`.
::testing::AssertionResult Refused(TPlanoraFMX& doc, const char* name, const char* needle) {
  try {
    doc.CheckAskData();
  } catch (const EPLNCancelled&) {
    return ::testing::AssertionFailure() << "cancelled instead of refused";
  } catch (const EPLNError& e) {
    const QString m = e.Message();
    if (m.contains(QLatin1String(name)) && m.contains(QLatin1String(needle))) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "message: " << m.toStdString();
  }
  return ::testing::AssertionFailure() << "accepted";
}

}  // namespace

TEST(AskValues, EveryValueIsCheckedAndARefusalNamesIt) {
  TPlanoraFMX doc;
  LoadAsk(doc, R"({"Name": "Weight", "Kind": "number"}, {"Name": "Copies", "Kind": "copies"})");
  GiveGoodValues(doc);
  doc.SetAskedValue("Weight", "12.5");
  doc.SetAskedValue("Copies", "3");
  EXPECT_NO_THROW(doc.CheckAskData());
  EXPECT_EQ(doc.AskedCopies(), 3);

  struct Case {
    const char* name;
    const char* value;
    const char* needle;
  } cases[] = {
      {"Best", "31/02/2026", "31/02/2026"},  // a day that does not exist
      {"Best", "2026-02-01", "dd/MM/yyyy"},  // another form
      {"Weight", "12a", "12a"},
      {"Copies", "0", "50000"},
      {"Copies", "50001", "50001"},
      {"Copies", "2.5", "2.5"},
      {"Lot", "East", "East"},
      {"Lot", "south", "south"},  // list values are exact
  };
  for (const Case& c : cases) {
    TPlanoraFMX d;
    LoadAsk(d, R"({"Name": "Weight", "Kind": "number"}, {"Name": "Copies", "Kind": "copies"})");
    GiveGoodValues(d);
    d.SetAskedValue("Weight", "1");
    d.SetAskedValue("Copies", "1");
    d.SetAskedValue(c.name, c.value);
    EXPECT_TRUE(Refused(d, c.name, c.needle)) << c.name << " = " << c.value;
  }
  // A value never given is missing, even with a default to offer.
  TPlanoraFMX missing;
  LoadAsk(missing);
  missing.SetAskedValue("Batch", "L1");
  missing.SetAskedValue("Lot", "North");
  EXPECT_TRUE(Refused(missing, "Best", "No value"));
}

TEST(AskValues, ListsComeFromTheDesignAFileOrTheApplication) {
  // An empty list cannot be chosen from.
  TPlanoraFMX empty;
  LoadAsk(empty, R"({"Name": "Line", "Kind": "list", "List": []})");
  GiveGoodValues(empty);
  empty.SetAskedValue("Line", "A");
  EXPECT_TRUE(Refused(empty, "Line", "empty"));

  // A list file: one value a line, blank lines skipped; a file that cannot be read is named.
  const QString file = TmpPath("lines.txt");
  WriteAll(file, "Line A\n\n  Line B  \n");
  TPlanoraFMX fromFile;
  LoadAsk(fromFile, QStringLiteral(R"({"Name": "Line", "Kind": "list", "ListSource": "file", "ListFile": "%1"})").arg(file));
  GiveGoodValues(fromFile);
  fromFile.SetAskedValue("Line", "Line B");
  EXPECT_NO_THROW(fromFile.CheckAskData());
  EXPECT_EQ(fromFile.ListValuesOf(*fromFile.DataSettings().FindAsk("Line")), QStringList({"Line A", "Line B"}));
  QFile::remove(file);
  EXPECT_TRUE(Refused(fromFile, "Line", "lines.txt"));

  // The application's list arrives through OnGetListValues; without one the list is empty.
  TPlanoraFMX app;
  LoadAsk(app, R"({"Name": "Shift", "Kind": "list", "ListSource": "application"})");
  GiveGoodValues(app);
  app.SetAskedValue("Shift", "Night");
  EXPECT_TRUE(Refused(app, "Shift", "empty"));
  QString askedFor;
  app.OnGetListValues = [&](TPlanoraFMX&, const TPLNAskValue& a, QStringList& values) {
    askedFor = a.Name;
    values << "Day" << "Night";
  };
  EXPECT_NO_THROW(app.CheckAskData());
  EXPECT_EQ(askedFor, "Shift");

  // The application gives the values, or declines and nothing goes on.
  app.OnGetAskValues = [](TPlanoraFMX& d) {
    d.SetAskedValue("Shift", "Day");
    return true;
  };
  EXPECT_NO_THROW(app.CheckAskData());
  EXPECT_EQ(app.GetAskedValue("shift"), "Day");
  app.OnGetAskValues = [](TPlanoraFMX&) { return false; };
  EXPECT_THROW(app.CheckAskData(), EPLNCancelled);
}

TEST(AskValues, ItemsShowDataThenAskedValuesThenCounters) {
  TPlanoraFMX doc;
  // A counter named like an asked value loses to it.
  LoadAsk(doc, R"({"Name": "Code", "Kind": "text", "Default": "C-default"})");
  ASSERT_NE(doc.AddCounter("Code"), nullptr);
  EXPECT_EQ(doc.DataValueAt(0, "Code", {}, 1, "fallback"), "C-default") << "the default before a value is given";
  doc.SetAskedValue("Code", "C-7");
  EXPECT_EQ(doc.DataValueAt(0, "Code", {}, 1, "fallback"), "C-7");
  EXPECT_EQ(doc.DataValueAt(2, "Serial", {}, 1, "fallback"), "S0003");
  // A data field of the same name wins over both.
  doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromJson(R"([{"Code": "from data"}])", "test")));
  EXPECT_EQ(doc.DataValueAt(0, "Code", {}, 1, "fallback"), "from data");
}

TEST(AskValues, ContinuingCountersStartAtNextAndWrapAtTheLastNumber) {
  TPLNCounter c;
  c.SetNumFrom(1);
  c.SetNumTo(10);
  c.SetStep(3);
  EXPECT_EQ(c.TextAt(0), "1");
  c.Continue = true;
  c.SetNext(9);
  EXPECT_EQ(c.TextAt(0), "9");
  EXPECT_EQ(c.TextAt(1), "2");  // 9 + 3 past 10 wraps to 2
  EXPECT_EQ(c.NumberAfter(9, 2), 5);
  EXPECT_EQ(c.NumberAfter(9, 10), 9) << "a whole turn of 10 numbers comes back";
  c.SetNext(500);  // beyond the last number: a run still starts inside the range
  EXPECT_EQ(c.StartNumber(), 10);
  c.Continue = false;
  EXPECT_EQ(c.TextAt(0), "1");
}

TEST(AskValues, DefinitionsSurviveBothFormatsAndUndo) {
  TPlanoraFMX doc;
  LoadAsk(doc, R"({"Name": "App", "Kind": "list", "ListSource": "application", "Prompt": "Pick"},
                  {"Name": "Lines", "Kind": "list", "ListSource": "file", "ListFile": "lines.txt"})",
          R"(, "Continue": true, "Next": 42)", R"(, "CountersFile": "serials.json")");
  ASSERT_EQ(doc.DataSettings().Asks.size(), 5u);
  EXPECT_TRUE(doc.GetCounter(1)->Continue);
  EXPECT_EQ(doc.GetCounter(1)->GetNext(), 42);
  for (const char* name : {"ask.eti", "ask.json"}) {
    const QString path = TmpPath(name);
    doc.SaveToFile(path, QString(name).endsWith("eti") ? TORVExt::Eti : TORVExt::Json);
    TPlanoraFMX back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.GetFileVersion(), 3203);
    EXPECT_TRUE(back.DataSettings() == doc.DataSettings()) << name;
    EXPECT_TRUE(*back.GetCounter(1) == *doc.GetCounter(1)) << name;
    EXPECT_EQ(back.DataSettings().FindAsk("best")->Format, "dd/MM/yyyy");
    EXPECT_EQ(back.DataSettings().FindAsk("Lot")->List, QStringList({"North", "South"}));
  }

  // The definitions are data settings: one undo step brings them back.
  doc.ClearUndo();
  const QByteArray before = doc.GetJsonText();
  TPLNData d = doc.DataSettings();
  d.Asks.erase(d.Asks.begin());
  d.CountersFile.clear();
  {
    TPLNUndoGroup step(doc);
    doc.SetDataSettings(d);
  }
  ASSERT_TRUE(doc.CanUndo());
  doc.Undo();
  EXPECT_EQ(doc.GetJsonText(), before);

  // A damaged definition is refused and leaves the open document as it was.
  QByteArray bad = Ask::SheetJson(R"({"Name": "X", "Kind": "colour"})");
  EXPECT_THROW(doc.LoadFromJson(bad), EPLNError);
  bad = Ask::SheetJson(R"({"Name": "batch", "Kind": "text"})");  // the name of another
  EXPECT_THROW(doc.LoadFromJson(bad), EPLNError);
  EXPECT_EQ(doc.GetJsonText(), before);
}

// Files of version 3202 end their document data before the asks, counter positions, label stock
// and options; a 3203 file without them is damaged.
TEST(AskValues, OlderFilesReadWithoutTheNewFields) {
  TPlanoraFMX doc;  // no counters, no asks, no items: the data ends with 0 asks and no file name
  QByteArray bytes;
  {
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    doc.SaveToStream(&out);
  }
  // ... Int32 0 asks, empty counters file name, the label stock (no colour, square corners),
  // the options (the stock shown), then Int32 0 symbols, Int32 0 items.
  const QByteArray newFields = QByteArray(4 + 1 + 8, '\0') + QByteArray("\x01\x00", 2);
  ASSERT_EQ(bytes.right(23), newFields + QByteArray(8, '\0'));
  QByteArray old = bytes;
  old.remove(old.size() - 23, newFields.size());
  const std::int32_t v3202 = 3202;
  old.replace(4, 4, QByteArray(reinterpret_cast<const char*>(&v3202), 4));  // little-endian header
  TPlanoraFMX back;
  QBuffer in(&old);
  in.open(QIODevice::ReadOnly);
  EXPECT_NO_THROW(back.LoadFromStream(&in));
  EXPECT_EQ(back.GetFileVersion(), 3202);
  EXPECT_TRUE(back.DataSettings().Asks.empty());

  QByteArray cut = bytes;
  cut.remove(cut.size() - 23, newFields.size());  // still saying 3203
  QBuffer damaged(&cut);
  damaged.open(QIODevice::ReadOnly);
  EXPECT_THROW(back.LoadFromStream(&damaged), EPLNError);
  EXPECT_EQ(back.GetFileVersion(), 3202) << "a refused file leaves the document as it was";
}
