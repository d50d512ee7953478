// Data sources: CSV and JSON tables, field values and formats, the record cursor and pages.
#include <QLocale>
#include <gtest/gtest.h>

#include "ORV.Base.h"
#include "ORV.Data.h"

using namespace Orv;

namespace {

QString ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const EPLNError& e) {
    return e.Message();
  }
  return {};
}

std::vector<QStringList> Rows(const TPLNDataSource& s) {
  std::vector<QStringList> rows;
  for (int r = 0; r < s.RecordCount(); ++r) {
    QStringList row;
    for (int f = 0; f < s.Fields().size(); ++f) row << s.Value(r, f);
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

TEST(DataSource, CsvQuotingLineEndsAndBom) {
  // BOM, CRLF, a quoted comma, a doubled quote, a line break inside quotes, an empty field,
  // a blank line and no line end after the last record.
  const QByteArray csv = "\xEF\xBB\xBF" "name, city\r\n"
                         "\"Martínez, José\",Madrid\r\n"
                         "\"Say \"\"hi\"\"\",\"two\nlines\"\r\n"
                         "\r\n"
                         ",Oslo";
  const TPLNDataSource s = TPLNDataSource::FromCsv(csv, "a.csv");
  EXPECT_EQ(s.Fields(), (QStringList{"name", "city"}));
  EXPECT_EQ(Rows(s), (std::vector<QStringList>{{QStringLiteral("Martínez, José"), "Madrid"},
                                               {"Say \"hi\"", "two\nlines"},
                                               {"", "Oslo"}}));
  EXPECT_EQ(s.FieldIndex("CITY"), 1);
  EXPECT_EQ(s.FieldIndex("zip"), -1);
  EXPECT_EQ(s.Value(3, 0), "");
}

TEST(DataSource, CsvErrorsNameTheLine) {
  // Line numbers count the line breaks inside quoted fields.
  EXPECT_EQ(ErrorOf([] { TPLNDataSource::FromCsv("a,b\n\"x\ny\",1\n2\n", "t.csv"); }),
            "t.csv: line 4: 1 field where the header names 2");
  EXPECT_EQ(ErrorOf([] { TPLNDataSource::FromCsv("a,b\n1,2,3\n", "t.csv"); }),
            "t.csv: line 2: 3 fields where the header names 2");
  EXPECT_EQ(ErrorOf([] { TPLNDataSource::FromCsv("a,b\n1,2\nok,\xC3\x28\n", "t.csv"); }),
            "t.csv: line 3: the text is not valid UTF-8");
  EXPECT_EQ(ErrorOf([] { TPLNDataSource::FromCsv("a,b\n1,\"open\n", "t.csv"); }),
            "t.csv: line 2: a quoted field is not closed");
  EXPECT_TRUE(ErrorOf([] { TPLNDataSource::FromCsv("a,b\n\"x\"y,1\n", "t.csv"); }).contains("line 2"));
  EXPECT_TRUE(ErrorOf([] { TPLNDataSource::FromCsv("\xEF\xBB\xBF\r\n", "t.csv"); }).contains("no header"));
  // CRLF counts one line, inside quotes and out, and blank lines count too.
  EXPECT_EQ(ErrorOf([] { TPLNDataSource::FromCsv("a,b\r\n\"x\r\ny\",1\r\n\r\n2\r\n", "t.csv"); }),
            "t.csv: line 5: 1 field where the header names 2");
  EXPECT_EQ(ErrorOf([] { TPLNDataSource::FromCsv("a,b\r\n1,2\r\n3,\"open\r\n4\r\n", "t.csv"); }),
            "t.csv: line 3: a quoted field is not closed");
  EXPECT_EQ(ErrorOf([] { TPLNDataSource::FromCsv("a,b\r\n1,2\r\n\r\nok,\xC3\x28\r\n", "t.csv"); }),
            "t.csv: line 4: the text is not valid UTF-8");

  // A bad value is quoted short and escaped: an 8 MB header or a NUL never reaches the message whole.
  const QByteArray huge(100000, 'h');
  const QString twice = ErrorOf([&] { TPLNDataSource::FromCsv(huge + ",x," + huge + "\n", "t.csv"); });
  EXPECT_TRUE(twice.startsWith("t.csv: line 1: the field \"hhh")) << twice.left(200).toStdString();
  EXPECT_LT(twice.size(), 200);
  const QString nul = ErrorOf([] { TPLNDataSource::FromJson(QByteArray("[{\"a\\u0000b\":{}}]"), "d.json"); });
  EXPECT_TRUE(nul.contains("a\\0b")) << nul.toStdString();
  EXPECT_FALSE(nul.contains(QChar(0)));
}

TEST(DataSource, JsonArrayOfObjects) {
  // Numbers keep a decimal point whatever the locale.
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German));
  const TPLNDataSource s = TPLNDataSource::FromJson(
      R"([{"name":"Ana","price":2.5,"n":3},{"qty":1e21,"name":"Bo","ok":true,"none":null}])", "d.json");
  QLocale::setDefault(saved);
  EXPECT_EQ(s.Fields(), (QStringList{"n", "name", "price", "none", "ok", "qty"}));
  EXPECT_EQ(Rows(s), (std::vector<QStringList>{{"3", "Ana", "2.5", "", "", ""}, {"", "Bo", "", "", "true", "1e+21"}}));

  EXPECT_EQ(ErrorOf([] { TPLNDataSource::FromJson("[{\"a\":1},\n{\"a\":[1]}]", "d.json"); }),
            "d.json: record 2, field \"a\": a value must be text, a number, true, false or null");
  EXPECT_TRUE(ErrorOf([] { TPLNDataSource::FromJson("[\n{\"a\":1},\n{\"a\" 2}]", "d.json"); }).startsWith("d.json: line 3: "));
}

TEST(DataSource, DocumentValuesCursorAndPages) {
  TPLNBaseLabel doc;
  // Without a source an item shows its own text, whatever the field.
  EXPECT_EQ(doc.DataValue("name", "", 1, "Own"), "Own");
  EXPECT_EQ(doc.GetDataPages(), 1);

  QByteArray csv = "name,price\n";
  for (int i = 1; i <= 30; ++i) csv += QStringLiteral("R%1,%2.456\n").arg(i).arg(i).toUtf8();
  doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv(csv, "r.csv")));
  EXPECT_EQ(doc.GetRecordCount(), 30);
  EXPECT_EQ(doc.DataValue("name", "", 1, "Own"), "R1");
  EXPECT_EQ(doc.DataValue("price", "0.0", 1, "Own"), "1.5");
  EXPECT_EQ(FormatDataValue("2,5", "0.00"), "2.50");
  {
    // Never grouped, whatever the locale groups thousands with.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FormatDataValue("123456.789", "0.00"), "123456.79");
    EXPECT_EQ(FormatDataValue("-654321", "0"), "-654321");
    QLocale::setDefault(before);
  }
  EXPECT_EQ(FormatDataValue("n/a", "0.00"), "n/a");
  EXPECT_EQ(FormatDataValue(QStringLiteral("Zoë"), "upper"), QStringLiteral("ZOË"));
  EXPECT_EQ(FormatDataValue("1.5", "0.0#"), "1.5");  // not a pattern: as it is
  EXPECT_EQ(doc.DataValue("zip", "", 1, "Own"), "");  // unknown field: empty, not the fallback
  doc.SetCurrentRecord(29);
  EXPECT_EQ(doc.DataValue("name", "", 1, ""), "R30");
  doc.NextData();  // stops past the end: no wrapping
  EXPECT_EQ(doc.DataValue("name", "", 1, "Own"), "");

  TPLNMeasure m;
  m.Rows = 8;
  m.Columns = 3;
  m.Sizes[TPLNMeasure::LabelWidth] = 70000;
  m.Sizes[TPLNMeasure::LabelHeight] = 37000;
  doc.SetMeasure(m);
  EXPECT_EQ(doc.GetDataPages(), 2);
  doc.FillDataPage(2);
  EXPECT_EQ(doc.DataValue("name", "", 1, ""), "R25");
  // Starting on row 2, column 3 skips 5 cells of page 1: 19 labels there, 24 on each further page.
  doc.PrintInfo.FirstRow = 2;
  doc.PrintInfo.FirstColumn = 3;
  EXPECT_EQ(doc.LabelsPerPage(1), 19);
  EXPECT_EQ(doc.LabelsPerPage(2), 24);
  EXPECT_EQ(doc.RecordOfCell(1, 2, 2), -1);
  EXPECT_EQ(doc.RecordOfCell(1, 3, 2), 0);
  EXPECT_EQ(doc.RecordOfCell(2, 1, 1), 19);
  EXPECT_EQ(doc.GetDataPages(), 2);
  doc.GoToPage(2, false, true);
  EXPECT_EQ(doc.PrintInfo.CurrentPage, 2);
  EXPECT_EQ(doc.DataValue("name", "", 1, ""), "R20");

  doc.ClearDataSource();
  EXPECT_EQ(doc.DataValue("name", "", 1, "Own"), "Own");
}
