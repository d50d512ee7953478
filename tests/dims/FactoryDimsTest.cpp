// Dimensions and arrow lines made by coordinates: the points each kind gets and its caption.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;
using Orv::Line::TORDimType;

namespace {
constexpr double kPi = std::numbers::pi;

std::vector<TORVPto> First8(const TPLNBaseItem* item) {
  std::vector<TORVPto> pts;
  for (int i = 1; i <= 8; ++i) pts.push_back(item->GetPoint(i));
  return pts;
}
TPLNDim* AsDim(TPLNBaseItem* item) {
  auto* dim = dynamic_cast<TPLNDim*>(item);
  EXPECT_NE(dim, nullptr);
  return dim;
}
}  // namespace

// Style sizes are paper millimetres: at 1:100 the extension size of 2.5 mm is 250,000 base
// units, the head of 3 mm 300,000.
TEST(DimFactory, RadiusAndDiameterPointLists) {
  TPlanoraFMX doc;
  doc.GetActiveDimStyle()->ExtSize = 2.5f;
  TPLNMeasure m = doc.Measure();
  m.DrawScale = 100;
  doc.SetMeasure(m);
  const std::int64_t e = 250000, leader = 300000 + e;
  const TORVPto c{50000, 40000};

  // At pi the point is left of the centre and the shelf (2e) runs on to the left.
  TPLNDim* r1 = AsDim(TPLNFactory::AddBaseDimRadial1(&doc, c.X, c.Y, 10000, kPi));
  const TORVPto p{40000, 40000}, shelf{40000 - 2 * e, 40000};
  EXPECT_EQ(r1->GetDimType(), TORDimType::RadiusInside);
  EXPECT_EQ(First8(r1), (std::vector<TORVPto>{c, p, p, shelf, c, p, p, shelf}));
  EXPECT_EQ(r1->GetCaption(), QStringLiteral("R10"));

  // Outside: the leader runs out from the rim by the head and e, then the shelf to the side; the
  // shelf is 2e, or longer where the caption on it needs more.
  auto expectOutside = [&](TPLNDim* d, TORVPto rim, int side) {
    const TORVPto q{rim.X + side * leader, rim.Y};
    const std::vector<TORVPto> pts = First8(d);
    EXPECT_EQ(pts[0], c);
    EXPECT_EQ(pts[1], rim);
    EXPECT_EQ(pts[2], q);
    EXPECT_EQ(pts[3].Y, q.Y);
    EXPECT_GE(side * (pts[3].X - q.X), 2 * e);
    EXPECT_EQ(pts[7], pts[3]);
  };
  TPLNDim* r2 = AsDim(TPLNFactory::AddBaseDimRadial2(&doc, c.X, c.Y, 10000, 0));
  const TORVPto p0{60000, 40000};
  EXPECT_EQ(r2->GetDimType(), TORDimType::RadiusOutside);
  expectOutside(r2, p0, 1);

  TPLNDim* d1 = AsDim(TPLNFactory::AddBaseDimDiameter1(&doc, c.X, c.Y, 10000, 0));
  const TORVPto opp{40000, 40000}, shelfR{60000 + 2 * e, 40000};
  EXPECT_EQ(d1->GetDimType(), TORDimType::DiameterInside);
  EXPECT_EQ(First8(d1), (std::vector<TORVPto>{p0, opp, p0, shelfR, p0, opp, opp, shelfR}));
  EXPECT_EQ(d1->GetCaption(), QString(QChar(0xD8)) + QStringLiteral("20"));

  // Outside, the leg turns left on the left half; the caption still shows the whole diameter.
  TPLNDim* d2 = AsDim(TPLNFactory::AddBaseDimDiameter2(&doc, c.X, c.Y, 10000, kPi));
  EXPECT_EQ(d2->GetDimType(), TORDimType::DiameterOutside);
  expectOutside(d2, p, -1);
  EXPECT_EQ(d2->GetCaption(), QString(QChar(0xD8)) + QStringLiteral("20"));
  EXPECT_EQ(doc.GetItemsCount(), 4);

  // At 1:1 the same style gives shelves and leaders a hundredth as long.
  m.DrawScale = 1;
  doc.SetMeasure(m);
  EXPECT_EQ(r1->GetPoint(4), (TORVPto{40000 - 5000, 40000}));
  EXPECT_EQ(r2->GetPoint(3), (TORVPto{60000 + 5500, 40000}));
}

TEST(DimFactory, ThirdPointDecidesTheLinearKind) {
  TPlanoraFMX doc;  // default style: extension gap 1 mm, overshoot 2 mm
  const TORVPto p1{10000, 20000}, p2{50000, 30000};

  // Above the span: horizontal, extension lines from 1 mm off the points to 2 mm past the line.
  TPLNDim* h = AsDim(TPLNFactory::AddBaseDim(&doc, p1.X, p1.Y, p2.X, p2.Y, 30000, 5000));
  EXPECT_EQ(h->GetDimType(), TORDimType::Horizontal);
  EXPECT_EQ(First8(h), (std::vector<TORVPto>{p1, p2, {10000, 19000}, {50000, 29000}, {10000, 5000}, {50000, 5000},
                                            {10000, 3000}, {50000, 3000}}));
  EXPECT_EQ(h->GetCaption(), QStringLiteral("40"));

  TPLNDim* v = AsDim(TPLNFactory::AddBaseDim(&doc, p1.X, p1.Y, p2.X, p2.Y, 70000, 25000));
  EXPECT_EQ(v->GetDimType(), TORDimType::Vertical);
  EXPECT_EQ(v->GetPoint(5), (TORVPto{70000, 20000}));
  EXPECT_EQ(v->GetPoint(6), (TORVPto{70000, 30000}));
  EXPECT_EQ(v->GetPoint(8), (TORVPto{72000, 30000}));
  EXPECT_EQ(v->GetCaption(), QStringLiteral("10"));

  // Inside the box, and off its corners: aligned, the dimension line through the third point.
  for (const TORVPto p3 : {TORVPto{40000, 20000}, TORVPto{0, 60000}}) {
    TPLNDim* a = AsDim(TPLNFactory::AddBaseDim(&doc, p1.X, p1.Y, p2.X, p2.Y, p3.X, p3.Y));
    EXPECT_EQ(a->GetDimType(), TORDimType::Aligned);
    const TORVPto a5 = a->GetPoint(5), a6 = a->GetPoint(6);
    EXPECT_NEAR(double(a6.X - a5.X), 40000, 1);
    EXPECT_NEAR(double(a6.Y - a5.Y), 10000, 1);
    const double cross = double(a6.X - a5.X) * (p3.Y - a5.Y) - double(a6.Y - a5.Y) * (p3.X - a5.X);
    EXPECT_NEAR(cross / std::hypot(40000.0, 10000.0), 0, 2) << "the third point lies on the dimension line";
    EXPECT_EQ(a->GetCaption(), QStringLiteral("41.23"));
  }

  // Points on one horizontal line are measured horizontally wherever the third point is.
  EXPECT_EQ(AsDim(TPLNFactory::AddBaseDim(&doc, 0, 0, 10000, 0, 20000, 0))->GetDimType(), TORDimType::Horizontal);

  // The float form takes the document's unit.
  doc.SetUnits(TORVUnits::cm);
  TPLNDim* f = AsDim(TPLNFactory::AddDim(&doc, 1, 2, 5, 2, 3, 0.5f));
  EXPECT_EQ(f->GetPoint(2), (TORVPto{50000, 20000}));
  EXPECT_EQ(f->GetPoint(5), (TORVPto{10000, 5000}));
  EXPECT_EQ(f->GetCaption(), QStringLiteral("4"));
}

TEST(DimFactory, AngleFromTwoLinesAndAPoint) {
  TPlanoraFMX doc;
  // The x axis and the (downward) y axis, P between them: the arc runs clockwise from 0 to 90.
  TPLNDim* a = AsDim(TPLNFactory::AddBaseDimAngle(&doc, {0, 0, 10000, 0, 0, 0, 0, 10000, 5000, 5000}));
  EXPECT_EQ(a->GetDimType(), TORDimType::Angle);
  EXPECT_EQ(First8(a), (std::vector<TORVPto>{{0, 0}, {10000, 0}, {0, 0}, {0, 10000}, {7071, 0}, {0, 7071},
                                            {5000, 5000}, {5000, 5000}}));
  EXPECT_EQ(a->GetCaption(), QStringLiteral("90") + QChar(0xB0));

  // P on the far side of the first line's direction: the lines are taken towards P.
  TPLNDim* b = AsDim(TPLNFactory::AddBaseDimAngle(&doc, {0, 0, 10000, 0, 0, 0, 0, 10000, -5000, 5000}));
  EXPECT_EQ(b->GetPoint(5), (TORVPto{0, 7071}));
  EXPECT_EQ(b->GetPoint(6), (TORVPto{-7071, 0}));

  // Parallel lines: no item, nothing left behind.
  EXPECT_EQ(TPLNFactory::AddBaseDimAngle(&doc, {0, 0, 10000, 0, 0, 5000, 20000, 5000, 1000, 1000}), nullptr);
  EXPECT_EQ(TPLNFactory::AddDimAngle(&doc, {0, 0, 10, 10, 0, 5, 10, 15, 1, 1}), nullptr);
  EXPECT_EQ(doc.GetItemsCount(), 2);
}

TEST(DimFactory, ArrowLineTakesTheLayerPen) {
  TPlanoraFMX doc;
  doc.GetActiveLayer()->PenColor = 0xFF123456;
  doc.GetActiveLayer()->PenWidth = 700;
  doc.SetUnits(TORVUnits::cm);
  auto* a = dynamic_cast<TPLNArrowLine*>(TPLNFactory::AddArrowLine(&doc, 1, 2, 3, 4));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->GetPoint(2), (TORVPto{30000, 40000}));
  EXPECT_EQ(a->NumPoints(), 4);
  EXPECT_EQ(a->GetColor(), 0xFF123456u);
  EXPECT_EQ(a->GetPenWidth(), 700);
}
