// The palette's code, Nutri-Score and box tools: a click places the chosen code kind with a sample
// code that encodes, two corners make a Nutri-Score label; each is one undo step.
#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "ORV.Barcode2D.h"
#include "ORV.Nutri.h"
#include "ORV.PDF417.h"
#include "ORV.Poly.h"

using namespace Orv;
using namespace Orv::Fmx;

TEST(CodeTools, AClickPlacesTheChosenKindWithASampleThatEncodes) {
  Input v;
  const std::int32_t kinds[] = {Kind::Barcode, Kind::QRCode, Kind::DataMatrix, Kind::PDF417, Kind::PolyText};
  int n = 0;
  for (std::int32_t kind : kinds) {
    SCOPED_TRACE(kind);
    // The kind is the palette's choice and outlives the action.
    v.doc.Act().Style.CodeKind = kind;
    v.doc.StartAction(TORVDrawKind::Code);
    // Across the 100 x 60 mm label, on two rows.
    const std::int64_t x = 5000 + 18000 * n, y = 10000 + 25000 * (n % 2);
    v.Click(v.At(x, y));
    ASSERT_EQ(v.doc.GetItemsCount(), ++n);
    const TPLNBaseItem* item = v.doc.GetItem(n);
    EXPECT_EQ(item->KindCode(), kind);
    EXPECT_EQ(v.doc.GetSelectionCount(), 1);
    // Anchored where the click was (a pixel is about 265 base units).
    EXPECT_NEAR(item->GetPoint(1).X, x, 265);
    EXPECT_NEAR(item->GetPoint(1).Y, y, 265);
    if (auto* b = dynamic_cast<const Barcode::TPLNBaseBarcode*>(item)) {
      EXPECT_TRUE(b->IsValid());
    }
    if (auto* c = dynamic_cast<const Barcode::TPLNBase2DCode*>(item)) {
      EXPECT_FALSE(c->Matrix().IsEmpty()) << c->EncodeError().toStdString();
    }
    if (auto* p = dynamic_cast<const Text::TPLNBasePoly*>(item)) {
      EXPECT_EQ(p->GetData(), QStringLiteral("Poly text"));
    }
    // It has a real box to select and move.
    const TORVBounds b = item->GetBounds();
    EXPECT_GT(b.X2 - b.X1, 2000);
    EXPECT_GT(b.Y2 - b.Y1, 2000);
  }
  // One undo step each.
  v.doc.Undo();
  EXPECT_EQ(v.doc.GetItemsCount(), n - 1);

  // A kind the tool does not know places nothing and leaves no step behind.
  v.doc.Act().Style.CodeKind = Kind::Rectangle;
  v.doc.StartAction(TORVDrawKind::Code);
  v.Click(v.At(50000, 60000));
  EXPECT_EQ(v.doc.GetItemsCount(), n - 1);
  v.doc.Undo();
  EXPECT_EQ(v.doc.GetItemsCount(), n - 2);
}

TEST(CodeTools, NutriScoreByTwoCornersOrADrag) {
  Input v;
  v.doc.StartAction(TORVDrawKind::NutriScore);
  v.Click(v.At(10000, 10000));
  v.Click(v.At(40000, 25000));
  ASSERT_EQ(v.doc.GetItemsCount(), 1);
  auto* score = dynamic_cast<F2d::TPLNBaseNutri*>(v.doc.GetItem(1));
  ASSERT_NE(score, nullptr);
  TORVBounds b;
  for (int i = 1; i <= score->NumPoints(); ++i) b.Add(score->GetPoint(i));
  EXPECT_NEAR(b.X1, 10000, 265);
  EXPECT_NEAR(b.Y2, 25000, 265);
  v.Drag(v.At(80000, 45000), v.At(50000, 30000));
  ASSERT_EQ(v.doc.GetItemsCount(), 2);
  EXPECT_NE(dynamic_cast<F2d::TPLNBaseNutri*>(v.doc.GetItem(2)), nullptr);
  // A click without a second corner makes nothing.
  v.doc.StartAction(TORVDrawKind::NutriScore);
  v.Click(v.At(90000, 90000));
  v.doc.ResetAction();
  EXPECT_EQ(v.doc.GetItemsCount(), 2);
}

TEST(CodeTools, ADoubleClickEditsACodeInPlace) {
  Input v;
  auto* bar = dynamic_cast<Barcode::TPLNBaseBarcode*>(
      TPLNFactory::AddBaseBarcode(&v.doc, 10000, 10000, "123456789", TORVBarType::Code128));
  ASSERT_NE(bar, nullptr);
  const TORVBounds b = bar->GetBounds();
  v.DoubleClick(v.At((b.X1 + b.X2) / 2, (b.Y1 + b.Y2) / 2));
  ASSERT_TRUE(v.S().Typing());
  v.Key(Qt::Key_End);
  v.Type(QStringLiteral("0"));
  v.Key(Qt::Key_Escape);
  EXPECT_EQ(bar->GetCode(), QStringLiteral("1234567890"));
  EXPECT_TRUE(bar->IsValid());
}

TEST(CodeTools, ADoubleClickEditsAPolyTextsRuns) {
  Input v;
  auto* poly = dynamic_cast<Text::TPLNBasePoly*>(TPLNFactory::AddBasePolyText(&v.doc, 10000, 10000));
  ASSERT_NE(poly, nullptr);
  poly->SetData(QStringLiteral("Best\nbefore"));
  const TORVBounds b = poly->GetBounds();
  v.DoubleClick(v.At((b.X1 + b.X2) / 2, (b.Y1 + b.Y2) / 2));
  ASSERT_TRUE(v.S().Typing());
  v.Key(Qt::Key_End);
  v.Type(QStringLiteral(":"));
  v.Key(Qt::Key_Escape);
  // The runs changed, the first kept its text.
  ASSERT_EQ(poly->GetItemCount(), 2);
  EXPECT_EQ(poly->GetItem(1).GetText(), QStringLiteral("Best"));
  EXPECT_EQ(poly->GetItem(2).GetText(), QStringLiteral("before:"));
}

// The gauge, rating, package, picture and table tools make their item from the box the user
// draws; the gauge takes the largest disc in it.
TEST(CodeTools, BoxToolsMakeTheirItemFromTwoCorners) {
  Input v;
  const std::pair<TORVDrawKind, std::int32_t> tools[] = {{TORVDrawKind::Level, Kind::Level},
                                                         {TORVDrawKind::Rank, Kind::Rank},
                                                         {TORVDrawKind::Package, Kind::Package},
                                                         {TORVDrawKind::Image, Kind::Image},
                                                         {TORVDrawKind::Table, Kind::Table}};
  int n = 0;
  for (const auto& [tool, kind] : tools) {
    SCOPED_TRACE(kind);
    v.doc.Act().Style.ImageFile = QStringLiteral("/nowhere/photo.png");  // shows its placeholder
    v.doc.StartAction(tool);
    v.Click(v.At(10000, 10000));
    v.Click(v.At(50000, 30000));
    ASSERT_EQ(v.doc.GetItemsCount(), ++n);
    const TPLNBaseItem* item = v.doc.GetItem(n);
    EXPECT_EQ(item->KindCode(), kind);
    const TORVPto a = item->GetPoint(1), b = item->GetPoint(2);
    if (kind == Kind::Level) {
      // A 20 mm disc centred in the 40 x 20 mm box.
      EXPECT_NEAR(a.X, 20000, 265);
      EXPECT_NEAR(b.X, 40000, 265);
      EXPECT_NEAR(a.Y, 10000, 265);
      EXPECT_NEAR(b.Y, 30000, 265);
    } else {
      EXPECT_NEAR(a.X, 10000, 265);
      EXPECT_NEAR(b.Y, 30000, 265);
    }
    v.doc.Undo();
    EXPECT_EQ(v.doc.GetItemsCount(), --n);
  }
}
