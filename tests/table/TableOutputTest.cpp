// The table from outside: the add_table tool as an agent calls it, and a data-bound table
// exported by the command-line tool with one row per record over as many pages as it takes.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QPdfDocument>
#include <QPdfSelection>

#include "../mcp/ToolsFixture.h"
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "PlanoraProcess.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using PlanoraTest::Px;

namespace {

PlanoraTest::TRun Planora(const QStringList& args) { return PlanoraTest::RunProgram(QStringLiteral(PLANORA_CLI), args); }

// A 100 x 60 mm label with a table at (5, 5) mm, 90 x 50 mm: header 6 mm, rows 5 mm, the
// footer 5 mm, the columns bound to "item" and "qty", a sum under the quantities.
QString TableDocument(const QString& name) {
  TPlanoraFMX doc;
  doc.SetMeasure(PlanoraTest::Paper(100000, 60000));
  auto* t = static_cast<TPLNTable*>(TPLNFactory::AddBaseTable(&doc, 5000, 5000, 90000, 50000));
  while (t->GetColumnCount() > 0) t->DeleteColumn(1);
  t->AddColumn(QStringLiteral("Item"), QStringLiteral("item"), 60);
  F2d::TPLNColumn& qty = t->AddColumn(QStringLiteral("Qty"), QStringLiteral("qty"), 40);
  qty.Footer.Footer = F2d::TORVFooter::Sum;
  t->SetFooterHeight(5000);
  t->SetPenWidth(300);
  const QString path = PlanoraTest::TmpPath(name);
  doc.SaveToFile(path, TORVExt::Json);
  return path;
}

QString Records(int n) {
  QByteArray csv = "item,qty\n";
  for (int i = 1; i <= n; ++i) csv += "Item" + QByteArray::number(i) + "," + QByteArray::number(i) + "\n";
  const QString path = PlanoraTest::TmpPath(QStringLiteral("records%1.csv").arg(n));
  PlanoraTest::WriteAll(path, csv);
  return path;
}

}  // namespace

TEST(TableTool, IsListedAndAddsAUsableTable) {
  PlanoraTest::TTools t;
  const QJsonObject tool = t.Listed("add_table");
  EXPECT_EQ(tool["description"].toString(), "Add a table element at (x,y) with given width and height.");
  const QJsonObject schema = tool["inputSchema"].toObject();
  EXPECT_EQ(schema["required"].toArray(), (QJsonArray{"x", "y", "width", "height"}));
  EXPECT_EQ(schema["properties"].toObject().keys(), (QStringList{"color", "height", "width", "x", "y"}));
  EXPECT_EQ(schema["properties"].toObject()["color"].toObject()["description"].toString(), "Color as #RRGGBB");
  // Between the image and the poly text tools.
  const QStringList names = t.server.ToolNames();
  EXPECT_LT(names.indexOf("add_pdf417"), names.indexOf("add_table"));
  EXPECT_LT(names.indexOf("add_table"), names.indexOf("add_polytext"));

  EXPECT_EQ(t.Ok("add_table", {{"x", 10}, {"y", 20}}), "Table added: id=1 at (10.0, 20.0) size 60.0 x 40.0");
  auto* table = dynamic_cast<TPLNTable*>(t.Last());
  ASSERT_TRUE(table);
  EXPECT_EQ(table->Points(), (std::vector<TORVPto>{{10000, 20000}, {70000, 60000}}));
  // Three columns with headers and a design row, across the whole width.
  ASSERT_EQ(table->GetColumnCount(), 3);
  EXPECT_EQ(table->GetColumn(1).Header.Text, "Column 1");
  EXPECT_NEAR(table->ColumnShare(1) + table->ColumnShare(2) + table->ColumnShare(3), 1.0, 1e-6);
  EXPECT_FALSE(table->GetColumn(3).Body.Text.isEmpty());

  EXPECT_EQ(t.Ok("add_table", {{"x", "1.5"}, {"y", 0}, {"width", 30}, {"height", 12.5}, {"color", "#ff0000"}}),
            "Table added: id=2 at (1.5, 0.0) size 30.0 x 12.5");
  EXPECT_EQ(t.Last()->GetColor(), 0xFFFF0000u);
  t.doc.Undo();
  EXPECT_EQ(t.doc.GetItemsCount(), 1);

  // The editor's table tool asks the document for the item by its two corners.
  TPLNBaseLabel& asDocument = t.doc;
  auto* drawn = dynamic_cast<TPLNTable*>(asDocument.AddBaseTable(0, 0, 50000, 30000));
  ASSERT_TRUE(drawn);
  EXPECT_EQ(drawn->GetColumnCount(), 3);
  EXPECT_EQ(drawn->Points(), (std::vector<TORVPto>{{0, 0}, {50000, 30000}}));
  t.doc.Undo();

  EXPECT_TRUE(t.Refused("add_table", {{"x", 0}, {"colour", "#ff0000"}}).contains("colour"));
  EXPECT_TRUE(t.Refused("add_table", {{"x", "wide"}}).contains("x"));
  EXPECT_EQ(t.doc.GetItemsCount(), 1);
}

TEST(TableExport, OneRowPerRecordOverAsManyPagesAsTheRowsNeed) {
  const QString doc = TableDocument(QStringLiteral("stock.json"));
  // The label's 60 mm less the table's top (5 mm), its header (6 mm) and footer (5 mm) leave room
  // for 8 rows of 5 mm: 20 records take pages of 8, 8 and 4, each summed up in its footer.
  const QString data = Records(20);
  const QString pdf = PlanoraTest::TmpPath(QStringLiteral("stock.pdf"));
  const PlanoraTest::TRun r = Planora({"export", doc, pdf, "--data", data});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  QPdfDocument out;
  ASSERT_EQ(out.load(pdf), QPdfDocument::Error::None);
  ASSERT_EQ(out.pageCount(), 3);
  const QString page1 = out.getAllText(0).text(), page2 = out.getAllText(1).text(), page3 = out.getAllText(2).text();
  EXPECT_TRUE(page1.contains("Item1") && page1.contains("Item8") && page1.contains("36")) << page1.toStdString();
  EXPECT_FALSE(page1.contains("Item9"));
  EXPECT_TRUE(page2.contains("Item9") && page2.contains("Item16") && page2.contains("100")) << page2.toStdString();
  EXPECT_FALSE(page2.contains("Item17"));
  EXPECT_TRUE(page3.contains("Item17") && page3.contains("Item20") && page3.contains("74")) << page3.toStdString();
  // Every page has its header.
  for (const QString& p : {page1, page2, page3}) EXPECT_TRUE(p.contains("Qty"));
  EXPECT_FALSE(r.err.contains("warning")) << r.err.toStdString();

  // A quantity that is no number is left out of the sum, and the user is told.
  QByteArray csv = PlanoraTest::ReadAll(data);
  csv.replace("\nItem3,3\n", "\nItem3,three\n");
  const QString odd = PlanoraTest::TmpPath(QStringLiteral("odd.csv"));
  PlanoraTest::WriteAll(odd, csv);
  const PlanoraTest::TRun w = Planora({"export", doc, pdf, "--data", odd});
  ASSERT_EQ(w.code, 0) << w.err.toStdString();
  EXPECT_TRUE(w.err.contains("planora: warning: Table column \"qty\": 1 of 20 values are not numbers and were left out of "
                             "the sum")) << w.err.toStdString();
  ASSERT_EQ(out.load(pdf), QPdfDocument::Error::None);
  EXPECT_TRUE(out.getAllText(0).text().contains("33")) << "36 less the 3 left out";

  // One page as a picture: ink in the first and the eighth row and the footer, none below.
  const QString png = PlanoraTest::TmpPath(QStringLiteral("stock.png"));
  const PlanoraTest::TRun one = Planora({"export", doc, png, "--data", data});
  ASSERT_EQ(one.code, 0) << one.err.toStdString();
  QImage img(png);
  ASSERT_FALSE(img.isNull());
  const double k = img.width() / 100.0;  // pixels per millimetre
  const auto at = [&](double x, double y) { return QPoint(int(x * k), int(y * k)); };
  EXPECT_TRUE(PlanoraTest::InkInRect(img, QRect(at(7, 12), at(30, 15.5))));   // row 1: 11 .. 16 mm
  EXPECT_TRUE(PlanoraTest::InkInRect(img, QRect(at(7, 47), at(30, 50.5))));   // row 8: 46 .. 51 mm
  EXPECT_TRUE(PlanoraTest::InkInRect(img, QRect(at(60, 52), at(90, 55.5))));  // the sum: 51 .. 56 mm
  EXPECT_FALSE(PlanoraTest::InkInRect(img, QRect(at(10, 57), at(90, 59.5))));  // below the last row
}
