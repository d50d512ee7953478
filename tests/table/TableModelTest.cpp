// The table's model: aggregates, filling from data records, and the record in both file formats
// with bad records refused.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>

#include "ORV.Data.h"
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.Json.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using F2d::TORVFooter;
using F2d::TORVTableStyle;

using PlanoraTest::ReadInto;
using PlanoraTest::ReadJsonInto;
using PlanoraTest::Record;

namespace {




// Every saved value away from its default.
void SetEverything(TPLNTable& t) {
  while (t.GetColumnCount() > 0) t.DeleteColumn(1);
  t.Title().Shown = true;
  t.Title().Text = QStringLiteral("Stock ✓");
  t.Title().FontName = QStringLiteral("Courier New");
  t.Title().BaseHeight = 9000;
  t.Title().FillBack = true;
  t.Title().BackColor = 0xFF102030u;
  t.Title().VertAlign = TORVVertAlign::Bottom;
  t.SetHeaderHeight(7000);
  t.SetRowHeight(4000);
  t.SetFooterHeight(5000);
  t.SetBasePadX(800);
  t.SetBasePadY(300);
  t.SetGridType(Types::TPLNGrid::Horizontal);
  t.SetGridColor(0xFF00FF00u);
  t.SetGridWidth(0.5f);
  t.SetFitToBox(true);
  F2d::TPLNColumn& c = t.AddColumn(QStringLiteral("Price"), QStringLiteral("price"), 40);
  c.Format = QStringLiteral("0.00");
  c.Body.WrapText = true;
  c.Body.Interline = 1.5;
  c.Body.HorzAlign = TORVHorzAlign::Right;
  c.Body.Italic = true;
  c.Footer.Footer = TORVFooter::Median;
  c.Footer.Format = QStringLiteral("0.0");
  c.Footer.Text = QStringLiteral("Median: ");
  c.Header.Shown = false;
  c.Header.Underline = true;
  c.Header.FontColor = 0x80FF0000u;
  F2d::TPLNColumn& d = t.AddColumn(QStringLiteral("Note"), QString(), 60);
  d.Fixed = true;
  d.Body.Text = QStringLiteral("fixed \"text\"");
  d.Body.FontHeight = 2500;
}

}  // namespace

TEST(TableModel, AggregatesMatchAHandComputedSetAndSkipWhatIsNoNumber) {
  // 2, 4, 4, 5, 7.5 (written with a comma); "x" is no number; the empty cell is no value.
  const F2d::TORVAggregate a = F2d::Aggregate({"2", "4", " 4 ", "5", "x", "", "7,5"});
  EXPECT_EQ(a.Count, 6);
  EXPECT_EQ(a.Numbers, 5);
  EXPECT_EQ(a.Skipped, 1);
  EXPECT_DOUBLE_EQ(a.Min, 2);
  EXPECT_DOUBLE_EQ(a.Max, 7.5);
  EXPECT_DOUBLE_EQ(a.Sum, 22.5);
  EXPECT_DOUBLE_EQ(a.Mean, 4.5);
  EXPECT_DOUBLE_EQ(a.Median, 4);
  // Squared deviations 6.25 + 0.25 + 0.25 + 0.25 + 9 = 16 over n - 1 = 4.
  EXPECT_DOUBLE_EQ(a.Variance, 4);
  EXPECT_DOUBLE_EQ(a.StdDev, 2);
  // An even count takes the mean of the middle two, whatever the order.
  EXPECT_DOUBLE_EQ(F2d::Aggregate({"10", "1", "3", "2"}).Median, 2.5);
  // One number has no spread; no numbers give nothing but the count.
  EXPECT_DOUBLE_EQ(F2d::Aggregate({"3"}).Variance, 0);
  const F2d::TORVAggregate none = F2d::Aggregate({"a", "b"});
  EXPECT_EQ(F2d::AggregateValue(none, TORVFooter::Count), 2.0);
  EXPECT_FALSE(F2d::AggregateValue(none, TORVFooter::Sum).has_value());
  // Large values close together keep their spread.
  EXPECT_NEAR(F2d::Aggregate({"100000001", "100000002", "100000003"}).Variance, 1.0, 1e-6);
  EXPECT_FALSE(F2d::ParseNumber("1,234.5").has_value());
  EXPECT_FALSE(F2d::ParseNumber("inf").has_value());
}

TEST(TableModel, DataFillShowsEveryRecordWithFormatsFootersAndWarnings) {
  TPLNBaseLabel doc;
  auto* t = PlanoraTest::MakeItem<TPLNTable>(doc, {{0, 0}, {80000, 50000}});
  F2d::TPLNColumn& name = t->AddColumn(QStringLiteral("Item"), QStringLiteral("name"), 50);
  name.Footer.Footer = TORVFooter::Count;
  name.Footer.Text = QStringLiteral("n=");
  F2d::TPLNColumn& price = t->AddColumn(QStringLiteral("Price"), QStringLiteral("PRICE"), 50);
  price.Format = QStringLiteral("0");
  price.Footer.Footer = TORVFooter::Sum;
  price.Footer.Format = QStringLiteral("0.00");

  // Without data: the design row names the fields, the footers their aggregate.
  t->FillTable(true, false);
  EXPECT_EQ(t->GetColumn(1).GetLineTxt(0), "Item");
  EXPECT_EQ(t->GetColumn(1).GetLineTxt(1), "[name]");
  EXPECT_EQ(t->GetColumn(2).GetLineTxt(2), "[sum]");
  EXPECT_EQ(t->GetDataRowCount(), 0);

  doc.SetDataSource(std::make_shared<TPLNDataSource>(
      TPLNDataSource::FromCsv("name,price\nPen,1.25\nBook,12.5\nLamp,n/a\nCup,3.75\n", "stock.csv")));
  t->FillTable(true, true);
  ASSERT_EQ(t->GetDataRowCount(), 4);
  EXPECT_EQ(t->ColumnValues(1), (QStringList{"Pen", "Book", "Lamp", "Cup"}));
  // The body's format rounds what is shown; the sum adds the values as they are.
  EXPECT_EQ(t->ColumnValues(2), (QStringList{"1", "13", "n/a", "4"}));
  EXPECT_EQ(t->GetColumn(2).GetLineTxt(2), "17.50");
  EXPECT_EQ(t->GetColumn(1).GetLineTxt(2), "n=4");
  ASSERT_EQ(t->Warnings().size(), 1);
  EXPECT_EQ(t->Warnings()[0], "Table column \"PRICE\": 1 of 4 values are not numbers and were left out of the sum");
  // A field the data lacks is named, with the fields it has.
  t->GetColumn(1).Field = QStringLiteral("title");
  t->FillTable(true, true);
  EXPECT_TRUE(t->Warnings().contains("Table column 1: the data has no field \"title\" (its fields: name, price)"))
      << t->Warnings().join(QLatin1Char('\n')).toStdString();
  t->GetColumn(1).Field = QStringLiteral("name");

  // From a later record on (the next page of a long table).
  t->SetFirstRecord(2);
  t->FillTable(true, true);
  EXPECT_EQ(t->ColumnValues(1), (QStringList{"Lamp", "Cup"}));
  EXPECT_EQ(t->GetColumn(2).GetLineTxt(2), "3.75");

  // Columns that ask for more than the width share it in proportion, and such a table is saved
  // and read back like any other.
  t->AddColumn(QStringLiteral("More"), QString(), 100);
  EXPECT_DOUBLE_EQ(t->ColumnShare(1), 0.25);
  EXPECT_DOUBLE_EQ(t->ColumnShare(3), 0.5);
  auto* back = PlanoraTest::MakeItem<TPLNTable>(doc, {{0, 0}, {1000, 1000}});
  EXPECT_EQ(ReadInto(*back, Record(*t)), "");
  EXPECT_EQ(back->Style(), t->Style());
}

TEST(TableModel, EveryValueComesBackFromBothFormatsAndDocumentFiles) {
  TPlanoraFMX doc;
  auto* t = static_cast<TPLNTable*>(TPLNFactory::AddBaseTable(&doc, 1000, 2000, 90000, 40000));
  SetEverything(*t);
  const TORVTableStyle style = t->Style();
  ASSERT_NE(style, TORVTableStyle());

  TPlanoraFMX other;
  auto* binary = new TPLNTable(&other, false);
  ASSERT_EQ(ReadInto(*binary, Record(*t)), "");
  EXPECT_EQ(binary->Style(), style);
  EXPECT_EQ(binary->Points(), t->Points());
  auto* json = new TPLNTable(&other, false);
  ASSERT_EQ(ReadJsonInto(*json, t->ToJson()), "");
  EXPECT_EQ(json->Style(), style);

  for (const char* name : {"table.eti", "table.json"}) {
    SCOPED_TRACE(name);
    const QString path = PlanoraTest::TmpPath(QString::fromLatin1(name));
    doc.SaveToFile(path, QString::fromLatin1(name).endsWith("json") ? TORVExt::Json : TORVExt::Eti);
    TPlanoraFMX reread;
    ASSERT_TRUE(reread.LoadFromFile(path));
    ASSERT_EQ(reread.GetItemsCount(), 1);
    auto* back = dynamic_cast<TPLNTable*>(reread.GetItem(1));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Style(), style);
    EXPECT_EQ(back->Points(), t->Points());
  }
}

TEST(TableModel, BadRecordsAreRefusedAndTheTableKeepsItsValues) {
  TPLNBaseLabel doc;
  auto* source = PlanoraTest::MakeItem<TPLNTable>(doc, {{0, 0}, {60000, 30000}});
  SetEverything(*source);
  const QByteArray good = Record(*source);

  auto* target = PlanoraTest::MakeItem<TPLNTable>(doc, {{0, 0}, {1000, 1000}});
  target->AddColumn(QStringLiteral("Kept"), QString(), 100);
  const TORVTableStyle kept = target->Style();
  // Cut anywhere: an error, never a half-read table.
  for (int cut = 40; cut < good.size(); cut += 11) EXPECT_NE(ReadInto(*target, good.left(cut)), "") << cut;
  EXPECT_EQ(target->Style(), kept);

  // JSON: values out of range, wrong types and shapes, each on its own.
  const QJsonObject o = source->ToJson();
  const auto withColumn = [&](const char* key, const QJsonValue& v) {
    QJsonArray cols = o["Columns"].toArray();
    QJsonObject c = cols[0].toObject();
    c[key] = v;
    cols[0] = c;
    return QJsonObject{{"Columns", cols}};
  };
  const auto withFooter = [&](const char* key, const QJsonValue& v) {
    QJsonArray cols = o["Columns"].toArray();
    QJsonObject c = cols[0].toObject();
    QJsonObject f = c["FooterCell"].toObject();
    f[key] = v;
    c["FooterCell"] = f;
    cols[0] = c;
    return QJsonObject{{"Columns", cols}};
  };
  const std::vector<std::pair<QJsonObject, const char*>> bad = {
      {{{"Grid", 4}}, "Grid"},
      {{{"HeaderHeight", -1}}, "HeaderHeight"},
      {{{"RowHeight", 2e9}}, "RowHeight"},
      {{{"PaddingX", -5}}, "PaddingX"},
      {{{"GridWidth", -1}}, "GridWidth"},
      {{{"Columns", "three"}}, "Columns"},
      {{{"Columns", QJsonArray{1}}}, "column 1"},
      {{{"Title", 5}}, "Title"},
      {withColumn("Percent", 120), "Percent"},
      {withColumn("Body", QJsonObject{{"HorzAlign", 7}}), "HorzAlign"},
      {withColumn("Body", QJsonObject{{"Interline", 0}}), "Interline"},
      {withColumn("Body", QJsonObject{{"FontHeight", "big"}}), "FontHeight"},
      {withFooter("Footer", 9), "Footer"},
  };
  for (const auto& [patch, what] : bad) {
    QJsonObject j = o;
    for (auto it = patch.begin(); it != patch.end(); ++it) j[it.key()] = it.value();
    const QString error = ReadJsonInto(*target, j);
    EXPECT_TRUE(error.contains(QLatin1String(what))) << what << ": " << error.toStdString();
    EXPECT_EQ(target->Style(), kept) << what;
  }
  ASSERT_EQ(ReadJsonInto(*target, o), "");
  EXPECT_EQ(target->Style(), source->Style());
}
