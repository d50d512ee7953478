// Where a one-line text lands for every quarter turn and alignment: its box on the anchor, its ink
// inside the box at the paddings.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;

namespace {

// At 96 dpi, as the print canvas's font sizes expect of an unscaled context.
QImage Render96(TPLNBaseItem* item, bool print) {
  return PlanoraTest::RenderItem(item, print, TORVDrawState::Export, {500, 500});
}

}  // namespace

// The alignments name the edge of the box on the anchor in page axes, whatever the turn (a
// bottom-aligned text turned 90 degrees ends at the anchor and reads upwards from it). Inside the
// box the ink keeps the horizontal padding before and after it along its reading direction and
// stays out of the vertical padding across it; the two paddings differ, so a turn that mixes
// them up shows. On screen and on paper alike.
TEST(TextPlacement, EveryTurnAndAlignmentPutsTheBoxOnTheAnchorAndTheInkAtThePaddings) {
  TPLNBaseLabel doc;
  const TORVPto anchor{60000, 60000};
  auto* t = new TPLNText(&doc, false);
  t->AssignPoints({anchor, anchor});
  t->SetText(QStringLiteral("Haggle"));
  t->SetPenWidth(0);
  const std::int64_t padX = 4000, padY = 1000;
  t->SetBasePadX(padX);
  t->SetBasePadY(padY);
  const double px = 25400.0 / 96;  // base units a pixel
  for (int a = 0; a < 4; ++a)
    for (int h = 0; h < 3; ++h)
      for (int v = 0; v < 3; ++v) {
        SCOPED_TRACE(testing::Message() << "angle " << a * 90 << " h " << h << " v " << v);
        t->SetAngle(TORVAngle(a));
        t->SetHorzAlign(TORVHorzAlign(h));
        t->SetVertAlign(TORVVertAlign(v));
        const TORVBounds b = t->GetBounds();
        const std::int64_t along = t->GetBaseTextWidth() + 2 * padX;
        const std::int64_t across = t->Metrics().Asc + t->Metrics().Des + 2 * padY;
        const bool upright = a % 2 == 0;
        EXPECT_NEAR(double(b.X2 - b.X1), double(upright ? along : across), 2);
        EXPECT_NEAR(double(b.Y2 - b.Y1), double(upright ? across : along), 2);
        const double xEdge = h == 0 ? double(b.X1) : h == 1 ? (b.X1 + b.X2) / 2.0 : double(b.X2);
        const double yEdge = v == 0 ? double(b.Y1) : v == 1 ? (b.Y1 + b.Y2) / 2.0 : double(b.Y2);
        EXPECT_NEAR(xEdge, double(anchor.X), 1);
        EXPECT_NEAR(yEdge, double(anchor.Y), 1);

        for (bool print : {false, true}) {
          SCOPED_TRACE(print ? "paper" : "screen");
          const QImage img = Render96(t, print);
          const auto rows = PlanoraTest::InkRows(img), cols = PlanoraTest::InkColumns(img);
          ASSERT_GE(rows.first, 0);
          // Gaps between the box's edges and the ink, in base units: before and after along the
          // reading direction, on both sides across it.
          const double left = cols.first * px - b.X1, right = b.X2 - (cols.second + 1) * px;
          const double top = rows.first * px - b.Y1, bottom = b.Y2 - (rows.second + 1) * px;
          const double alongA = upright ? left : top, alongB = upright ? right : bottom;
          const double acrossA = upright ? top : left, acrossB = upright ? bottom : right;
          // Side bearings and anti-aliasing: within a millimetre of the horizontal padding.
          EXPECT_NEAR(alongA, double(padX), 1000);
          EXPECT_NEAR(alongB, double(padX), 1000);
          EXPECT_GE(acrossA, double(padY) - 300);
          EXPECT_GE(acrossB, double(padY) - 300);
        }
      }
}
