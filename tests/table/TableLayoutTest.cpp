// The table's bands, rows and drawing: band positions, wrapped rows, rows fitted to the box or
// the label, pages of rows, and what the screen and the paper get.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "ORV.Data.h"
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using F2d::TORVFooter;
using PlanoraTest::MakeItem;
using Types::TPLNGrid;

namespace {

void Data(TPLNBaseLabel& doc, const QByteArray& csv) {
  doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv(csv, "data.csv")));
}

// Records n1 .. nN of one field "n".
QByteArray Numbers(int n) {
  QByteArray csv = "n\n";
  for (int i = 1; i <= n; ++i) csv += "n" + QByteArray::number(i) + "\n";
  return csv;
}

// A table of one column bound to "n", no title, no header, no footer, rows of 5 mm.
TPLNTable* Plain(TPLNBaseLabel& doc, std::int64_t height = 40000) {
  auto* t = MakeItem<TPLNTable>(doc, {{0, 0}, {60000, height}});
  t->AddColumn(QStringLiteral("N"), QStringLiteral("n"), 100);
  t->SetHeaderHeight(0);
  t->SetRowHeight(5000);
  return t;
}

std::vector<std::int64_t> Lines(const TPLNTable& t) {
  std::vector<std::int64_t> out;
  for (int i = 0; i < t.GetLineCount(); ++i) out.push_back(t.GetLinePos(i));
  return out;
}

QStringList Texts(const TRecordingCanvas& c, const std::string& op = "DrawSimpleText") {
  QStringList out;
  for (const TRecordedOp& o : c.OpsNamed(op)) out << o.Text;
  return out;
}

}  // namespace

TEST(TableLayout, BandsFollowTitleHeaderRowsAndFooter) {
  TPLNBaseLabel doc;
  doc.SetMeasure(PlanoraTest::Paper(100000, 200000));
  Data(doc, Numbers(3));
  TPLNTable* t = Plain(doc);
  t->CalcValues(TPLNTable::kDataMode);
  // One band per row, row 1's bottom edge first.
  EXPECT_EQ(Lines(*t), (std::vector<std::int64_t>{5000, 10000, 15000}));
  EXPECT_EQ(t->RowBand(1), 0);

  t->Title().Shown = true;
  t->Title().Text = QStringLiteral("Title");
  t->Title().BaseHeight = 8000;
  t->SetHeaderHeight(6000);
  t->SetFooterHeight(4000);
  t->CalcValues(TPLNTable::kDataMode);
  EXPECT_EQ(Lines(*t), (std::vector<std::int64_t>{8000, 14000, 19000, 24000, 29000, 33000}));
  EXPECT_EQ(t->RowBand(1), 2);
  EXPECT_FALSE(t->Title().Lines().empty());

  // On the editor's surface: one design row, the footer on the box's bottom edge.
  t->CalcValues(0);
  EXPECT_EQ(Lines(*t), (std::vector<std::int64_t>{8000, 14000, 19000, 36000, 40000}));
  EXPECT_EQ(t->GetColumn(1).GetData(1).Text, "[n]");
}

TEST(TableLayout, WrappedCellsMakeTheirRowTallerAndOthersKeepTheMinimum) {
  TPLNBaseLabel doc;
  doc.SetMeasure(PlanoraTest::Paper(100000, 200000));
  Data(doc, "text,code\nshort,A\n"
            "a much longer text that cannot stay on one line of a narrow column,B\nok,C\n");
  auto* t = MakeItem<TPLNTable>(doc, {{0, 0}, {60000, 40000}});
  t->SetHeaderHeight(0);
  t->SetRowHeight(5000);
  t->AddColumn(QStringLiteral("Text"), QStringLiteral("text"), 50);
  t->AddColumn(QStringLiteral("Code"), QStringLiteral("code"), 50);
  t->CalcValues(TPLNTable::kDataMode);
  ASSERT_EQ(t->ShownRows(), 3);
  // Not wrapping: every row keeps the minimum height, the long text clipped to one row.
  EXPECT_EQ(Lines(*t), (std::vector<std::int64_t>{5000, 10000, 15000}));

  t->GetColumn(1).Body.WrapText = true;
  t->CalcValues(TPLNTable::kDataMode);
  const std::vector<std::int64_t> l = Lines(*t);
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0], 5000);  // one short line: never lower than the minimum
  const std::int64_t tall = l[1] - l[0];
  EXPECT_GT(tall, 2 * 3000) << "at least two lines of 3 mm";
  EXPECT_EQ(l[2] - l[1], 5000);
  // The wrapped text came out in several lines; the column beside it keeps one.
  EXPECT_GE(t->GetColumn(1).GetData(4).Lines.size(), 2u);
  EXPECT_EQ(t->GetColumn(2).GetData(4).Lines.size(), 1u);
  EXPECT_EQ(t->GetColumn(1).GetData(4).Height, tall);
}

TEST(TableLayout, RowsAreFittedToTheBoxOrTheLabelAndRunOnOverPages) {
  TPLNBaseLabel doc;
  doc.SetMeasure(PlanoraTest::Paper(100000, 30000));
  Data(doc, Numbers(11));
  TPLNTable* t = Plain(doc, 20000);
  t->SetFitToBox(true);
  t->CalcValues(TPLNTable::kDataMode);
  // Four rows of 5 mm fill the 20 mm box; the fifth is marked and ends the layout.
  EXPECT_EQ(t->ShownRows(), 4);
  EXPECT_EQ(t->FirstRowNotFitted(), 5);
  EXPECT_EQ(Lines(*t), (std::vector<std::int64_t>{5000, 10000, 15000, 20000, -1, 20000}));
  // Records beyond what the room can hold at the minimum row height are not even read.
  EXPECT_EQ(t->GetColumn(1).SlotCount(), 3 + 5);

  // Pages: 4 + 4 + 3 rows.
  EXPECT_EQ(doc.GetDataPages(), 3);
  EXPECT_EQ(t->FirstRecordOfTablePage(2), 4);
  EXPECT_EQ(t->FirstRecordOfTablePage(3), 8);

  // Against the label: 30 mm less the table's top at 12 mm leave room for three rows.
  t->SetFitToBox(false);
  t->AssignPoints({TORVPto{0, 12000}, TORVPto{60000, 32000}});
  t->CalcValues(TPLNTable::kDataMode);
  EXPECT_EQ(t->ShownRows(), 3);
  // A header and a footer take their share of the room.
  t->SetHeaderHeight(5000);
  t->SetFooterHeight(4000);
  t->CalcValues(TPLNTable::kDataMode);
  EXPECT_EQ(t->ShownRows(), 1);
  EXPECT_EQ(Lines(*t), (std::vector<std::int64_t>{5000, 10000, -1, 14000}));
  EXPECT_EQ(doc.GetDataPages(), 11);
}

TEST(TableDraw, EditorShowsTheDesignRowAndOtherStatesTheRecords) {
  PlanoraTest::RecordingContext c;
  c.doc.SetMeasure(PlanoraTest::Paper(100000, 200000));
  Data(c.doc, "name,qty\nPen,2\nBook,5\nLamp,x\n");
  auto* t = MakeItem<TPLNTable>(c.doc, {{0, 0}, {80000, 40000}});
  t->AddColumn(QStringLiteral("Name"), QStringLiteral("name"), 60);
  F2d::TPLNColumn& qty = t->AddColumn(QStringLiteral("Qty"), QStringLiteral("qty"), 40);
  qty.Footer.Footer = TORVFooter::Sum;
  qty.Footer.Text = QStringLiteral("Total ");
  t->SetFooterHeight(5000);

  c.d.DrawState = TORVDrawState::Editor;
  c.Redraw(t);
  EXPECT_EQ(Texts(c.canvas), (QStringList{"Name", "Qty", "[name]", "[qty]", "Total [sum]"}));
  for (TORVDrawState s : {TORVDrawState::Preview, TORVDrawState::Export, TORVDrawState::Printing}) {
    c.d.DrawState = s;
    c.Redraw(t);
    EXPECT_EQ(Texts(c.canvas), (QStringList{"Name", "Qty", "Pen", "Book", "Lamp", "2", "5", "x", "Total 7"}));
    // Paper gets the same texts from the printer path.
    c.Redraw(t, true);
    EXPECT_EQ(Texts(c.canvas, "P.FillText"), (QStringList{"Name", "Qty", "Pen", "Book", "Lamp", "2", "5", "x", "Total 7"}));
  }
  ASSERT_EQ(t->Warnings().size(), 1);

  // Rows go down by the row height (5 mm = 50 px at 254 dpi), each text inside its row.
  c.d.DrawState = TORVDrawState::Export;
  c.Redraw(t);
  const auto ops = c.canvas.OpsNamed("DrawSimpleText");
  const auto rowTop = [&](const QString& text) {
    for (const TRecordedOp& o : ops)
      if (o.Text == text) return o.Matrix.map(QPointF(o.Args[0], o.Args[1])).y();
    return -1.0;
  };
  EXPECT_NEAR(rowTop("Book") - rowTop("Pen"), 50, 0.01);
  EXPECT_NEAR(rowTop("Lamp") - rowTop("Book"), 50, 0.01);
  EXPECT_GT(rowTop("Pen"), 60);   // below the 6 mm header
  EXPECT_LT(rowTop("Pen"), 110);  // inside row 1
  // Without fitting to the box the footer follows the last row.
  EXPECT_GT(rowTop("Total 7"), 210);
  EXPECT_LT(rowTop("Total 7"), 260);
}

TEST(TableDraw, FitToBoxPutsTheFooterOnTheBoxBottomWhateverTheRows) {
  PlanoraTest::RecordingContext c;
  c.d.DrawState = TORVDrawState::Export;
  TPLNTable* t = Plain(c.doc);
  t->SetFitToBox(true);
  t->SetFooterHeight(5000);
  t->GetColumn(1).Footer.FillBack = true;
  t->GetColumn(1).Footer.BackColor = 0xFF00FF00u;
  for (int n : {1, 4}) {
    Data(c.doc, Numbers(n));
    c.Redraw(t);
    std::vector<QRectF> green;
    for (const TRecordedOp& o : c.canvas.OpsNamed("DrawRect"))
      if (o.Paint.Color == 0xFF00FF00u) green.push_back(o.Matrix.mapRect(o.Rect));
    ASSERT_EQ(green.size(), 1u) << n;
    EXPECT_NEAR(green[0].top(), 350, 0.01) << n;  // 40 mm box less the 5 mm footer
    EXPECT_NEAR(green[0].bottom(), 400, 0.01) << n;
  }
}

TEST(TableDraw, EachPageDrawsItsOwnRows) {
  PlanoraTest::RecordingContext c;
  Data(c.doc, Numbers(11));
  TPLNTable* t = Plain(c.doc, 20000);
  t->SetFitToBox(true);
  // A print loop says which page it prints; export and preview show the current page.
  c.d.DrawState = TORVDrawState::Printing;
  c.d.Page = 3;
  c.Redraw(t, true);
  EXPECT_EQ(Texts(c.canvas, "P.FillText"), (QStringList{"n9", "n10", "n11"}));
  c.d.DrawState = TORVDrawState::Preview;
  c.d.Page = 0;
  c.doc.PrintInfo.CurrentPage = 2;
  c.Redraw(t);
  EXPECT_EQ(Texts(c.canvas), (QStringList{"n5", "n6", "n7", "n8"}));
}

TEST(TableDraw, GridTypesHiddenHeadersAndEmptyFooters) {
  PlanoraTest::RecordingContext c;
  c.d.DrawState = TORVDrawState::Export;
  c.doc.SetMeasure(PlanoraTest::Paper(100000, 200000));
  Data(c.doc, "a,b,c\n1,2,3\n4,5,6\n");
  auto* t = MakeItem<TPLNTable>(c.doc, {{0, 0}, {90000, 40000}});
  t->SetPenWidth(0);
  t->Title().Shown = true;
  t->Title().Text = QStringLiteral("T");
  t->Title().BaseHeight = 7000;
  for (const char* f : {"a", "b", "c"}) t->AddColumn(QString::fromLatin1(f).toUpper(), QString::fromLatin1(f), 100 / 3.0f);
  t->SetFooterHeight(4000);
  // Lines: title, header, two rows, footer.
  const auto lines = [&](TPLNGrid g, bool vertical) {
    t->SetGridType(g);
    c.Redraw(t);
    int n = 0;
    for (const TRecordedOp& o : c.canvas.OpsNamed("DrawLine")) {
      const bool isVertical = o.Args[0] == o.Args[2];
      if (isVertical != vertical) continue;
      ++n;
      // Vertical lines start below the title (7 mm = 70 px).
      if (vertical) {
        EXPECT_NEAR(std::min(o.Args[1], o.Args[3]), 70, 0.01);
      }
    }
    return n;
  };
  EXPECT_EQ(lines(TPLNGrid::None, true) + lines(TPLNGrid::None, false), 0);
  EXPECT_EQ(lines(TPLNGrid::Vertical, true), 2);
  EXPECT_EQ(lines(TPLNGrid::Vertical, false), 0);
  EXPECT_EQ(lines(TPLNGrid::Horizontal, true), 0);
  EXPECT_EQ(lines(TPLNGrid::Horizontal, false), 4);
  EXPECT_EQ(lines(TPLNGrid::Both, true), 2);
  EXPECT_EQ(lines(TPLNGrid::Both, false), 4);

  // A hidden header draws neither its text nor its fill, and its column keeps its width.
  F2d::TPLNColumn& b = t->GetColumn(2);
  b.Header.Shown = false;
  b.Header.FillBack = true;
  b.Header.BackColor = 0xFFFF0000u;
  // A footer without an aggregate draws no text, but its fill.
  b.Footer.FillBack = true;
  b.Footer.BackColor = 0xFF0000FFu;
  b.Footer.Text = QStringLiteral("caption");
  t->GetColumn(3).Footer.Footer = TORVFooter::Max;
  c.Redraw(t);
  const QStringList texts = Texts(c.canvas);
  EXPECT_FALSE(texts.contains("B"));
  EXPECT_FALSE(texts.contains("caption"));
  EXPECT_TRUE(texts.contains("6"));
  EXPECT_TRUE(texts.contains("5"));
  int red = 0, blue = 0;
  for (const TRecordedOp& o : c.canvas.OpsNamed("DrawRect")) {
    red += o.Paint.Color == 0xFFFF0000u;
    if (o.Paint.Color == 0xFF0000FFu) {
      ++blue;
      EXPECT_NEAR(o.Matrix.mapRect(o.Rect).left(), 300, 0.1);  // the third of 90 mm
    }
  }
  EXPECT_EQ(red, 0);
  EXPECT_EQ(blue, 1);
  const auto ops = c.canvas.OpsNamed("DrawSimpleText");
  for (const TRecordedOp& o : ops)
    if (o.Text == "C") {
      EXPECT_GT(o.Matrix.map(QPointF(o.Args[0], 0)).x(), 600);  // still in the third column
    }
}

TEST(TableDraw, ScreenAndPaperPaintTheSameTable) {
  TPLNBaseLabel doc;
  doc.SetMeasure(PlanoraTest::Paper(100000, 200000));
  Data(doc, "name,qty\nPen,2\nBook,5\n");
  auto* t = MakeItem<TPLNTable>(doc, {{5000, 5000}, {95000, 45000}});
  t->SetPenWidth(500);
  t->AddColumn(QStringLiteral("Name"), QStringLiteral("name"), 50);
  t->AddColumn(QStringLiteral("Qty"), QStringLiteral("qty"), 50);
  t->GetColumn(1).Header.FillBack = true;
  t->GetColumn(1).Header.BackColor = 0xFF0000FFu;
  const QImage screen = PlanoraTest::RenderItem(t, false);
  const QImage paper = PlanoraTest::RenderItem(t, true);
  // The blue header cell: 5 .. 50 mm across, 5 .. 11 mm down (96 dpi).
  for (const QImage* img : {&screen, &paper}) {
    EXPECT_TRUE(PlanoraTest::ColorAt(*img, PlanoraTest::Px(10, 6), QColor(0, 0, 255)));
    EXPECT_TRUE(PlanoraTest::ColorAt(*img, PlanoraTest::Px(60, 6), QColor(255, 255, 255)));
    // The frame's left edge and the grid line between the columns.
    EXPECT_TRUE(PlanoraTest::DarkNear(*img, PlanoraTest::Px(5.2, 14).x(), PlanoraTest::Px(5.2, 14).y()));
    // The 0.2 mm grid is under a pixel wide here: grey, not black.
    const QPoint grid = PlanoraTest::Px(50, 14);
    int darkest = 255;
    for (int dx = -1; dx <= 1; ++dx) darkest = std::min(darkest, PlanoraTest::Gray(*img, grid.x() + dx, grid.y()));
    EXPECT_LT(darkest, 200);
    // Ink in row 2 (Book), nothing below the table's last row (6 + 2 x 5 mm from its top).
    EXPECT_TRUE(PlanoraTest::InkInRect(*img, QRect(PlanoraTest::Px(6, 17), PlanoraTest::Px(30, 20))));
    EXPECT_FALSE(PlanoraTest::InkInRect(*img, QRect(PlanoraTest::Px(10, 23), PlanoraTest::Px(90, 44))));
  }
  // Both ink about the same amount.
  EXPECT_NEAR(PlanoraTest::Ink(screen), PlanoraTest::Ink(paper), PlanoraTest::Ink(screen) * 0.25);
}
