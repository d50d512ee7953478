// The built-in catalogue of label sheets: every sheet fits its paper once applied, searches find
// sheets by part, brand and size, and a damaged catalogue is refused with its line.
#include <gtest/gtest.h>

#include "ORV.BinaryIO.h"
#include "ORV.SheetCatalog.h"

using namespace Orv;

namespace {

TEST(SheetCatalog, EverySheetMakesAValidMeasureThatFitsItsPaper) {
  const TORVSheetCatalog& c = TORVSheetCatalog::Builtin();
  ASSERT_GE(c.Count(), 1000);
  for (int i = 0; i < c.Count(); ++i) {
    const TORVSheet& s = c.Sheet(i);
    TPLNMeasure m;
    TORVSheetCatalog::ApplyTo(s, m);
    EXPECT_NO_THROW(m.Validate()) << s.Name().toStdString();
    // The last cell ends on the paper (half a millimetre of rounding allowed).
    EXPECT_LE(m.CellX(m.Columns) + m.Sizes[TPLNMeasure::LabelWidth], m.Sizes[TPLNMeasure::PaperWidth] + 500) << s.Name().toStdString();
    EXPECT_LE(m.CellY(m.Rows) + m.Sizes[TPLNMeasure::LabelHeight], m.Sizes[TPLNMeasure::PaperHeight] + 500) << s.Name().toStdString();
  }
}

TEST(SheetCatalog, SearchByPartBrandAndSize) {
  const TORVSheetCatalog& c = TORVSheetCatalog::Builtin();
  EXPECT_EQ(int(c.Search(QString()).size()), c.Count());
  const std::vector<int> hits = c.Search(QStringLiteral("AVERY 5160"));
  ASSERT_FALSE(hits.empty());
  const TORVSheet& s = c.Sheet(hits.front());
  EXPECT_EQ(s.Brand, QStringLiteral("Avery"));
  EXPECT_TRUE(s.Part.startsWith(QStringLiteral("5160")));
  EXPECT_EQ(s.Columns, 3);
  EXPECT_EQ(s.Rows, 10);
  EXPECT_NEAR(s.LabelWidth, 66.675, 0.001);
  TPLNMeasure m;
  TORVSheetCatalog::ApplyTo(s, m);
  EXPECT_EQ(m.LabelName, s.Name());
  EXPECT_EQ(m.Sizes[TPLNMeasure::HorzGap], 3969);  // pitch 70.644 less the label's 66.675
  // Words in any order and a size written either way find the same sheets.
  const auto a = c.Search(QStringLiteral("herma 48.3x25.4"));
  const auto b = c.Search(QStringLiteral("48.3 x 25.4 Herma"));
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  for (int i : a) EXPECT_EQ(c.Sheet(i).Brand, QStringLiteral("Herma"));
  EXPECT_TRUE(c.Search(QStringLiteral("no such sheet anywhere")).empty());
  EXPECT_EQ(c.Search(QStringLiteral("avery"), 5).size(), 5u);
}

TEST(SheetCatalog, DamagedCatalogueIsRefusedWithItsLine) {
  TORVSheetCatalog c;
  const QByteArray head = "# comment\nbrand,part,description,paper,paper_width_mm,paper_height_mm,label_width_mm,"
                          "label_height_mm,columns,rows,left_mm,top_mm,pitch_x_mm,pitch_y_mm,shape,corner_mm\n";
  c.Read(head + "Acme,\"1,2\",\"Say \"\"hi\"\"\",A4,210,297,70,37,3,8,0,0,70,37,rect,0\n");
  ASSERT_EQ(c.Count(), 1);
  EXPECT_EQ(c.Sheet(0).Part, QStringLiteral("1,2"));
  EXPECT_EQ(c.Sheet(0).Description, QStringLiteral("Say \"hi\""));
  for (const QByteArray& bad : {QByteArray("Acme,1,x,A4,210,297,seventy,37,3,8,0,0,70,37,rect,0\n"),
                                QByteArray("Acme,1,x,A4,210,297,70,37,0,8,0,0,70,37,rect,0\n"),
                                QByteArray("Acme,1,x,A4,210,297,70,37,3,8\n")}) {
    try {
      c.Read(head + bad);
      ADD_FAILURE() << bad.toStdString();
    } catch (const EPLNError& e) {
      EXPECT_TRUE(e.Message().contains(QStringLiteral("line 3"))) << e.Message().toStdString();
    }
    EXPECT_EQ(c.Count(), 1) << "a refused catalogue leaves the one before";
  }
}

}  // namespace
