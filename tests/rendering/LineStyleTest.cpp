// Line styles on screen and paper, terminators and the terminator sample.
#include <gtest/gtest.h>

#include <cmath>

#include "ORV.FMX.Shared.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using PlanoraTest::Dash;

namespace {
void ExpectPattern(const std::vector<float>& got, const std::vector<float>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-4) << "entry " << i;
}
}  // namespace

TEST(LineStyle, ScreenPatternsByItemStateAndDrawState) {
  PlanoraTest::RecordingContext c(96);
  TPLNDraw& d = c.d;
  d.DrawState = TORVDrawState::Export;
  d.kP->Style = TSkPaintStyle::Fill;
  AdjustLineType(&d, 11, kStateNormal);
  EXPECT_EQ(d.kP->Style, TSkPaintStyle::Stroke);
  ExpectPattern(Dash(*d.kP), {d.w4, d.w1, d.w1, d.w1});  // lengths in millimetres, not pen widths
  // A style from a newer file keeps the effect; style 0 clears a left-over dash.
  const PathEffectPtr last = d.kP->PathEffect;
  AdjustLineType(&d, 12, kStateNormal);
  EXPECT_EQ(d.kP->PathEffect, last);
  AdjustLineType(&d, 0, kStateNormal);
  EXPECT_EQ(d.kP->PathEffect, nullptr);

  // In the editor selected and hovered items get fixed dashes whatever their style; custom states
  // keep whatever is on the paint.
  for (TORVDrawState ds : {TORVDrawState::Editor, TORVDrawState::EditorUpdate}) {
    d.DrawState = ds;
    for (TORVineType t : {0, 5, 11}) {
      AdjustLineType(&d, t, kStateSelected);
      ExpectPattern(Dash(*d.kP), {12, 6});
      AdjustLineType(&d, t, kStateHover);
      ExpectPattern(Dash(*d.kP), {4, 2});
    }
    AdjustLineType(&d, 2, kStateNormal);
    const PathEffectPtr two = d.kP->PathEffect;
    AdjustLineType(&d, 7, 3);
    EXPECT_EQ(d.kP->PathEffect, two);
  }
  // Everywhere else the item's own style counts.
  for (TORVDrawState ds : {TORVDrawState::Preview, TORVDrawState::Export, TORVDrawState::Printing, TORVDrawState::Library}) {
    d.DrawState = ds;
    AdjustLineType(&d, 5, kStateSelected);
    ExpectPattern(Dash(*d.kP), {d.w2, d.w2});
    AdjustLineType(&d, 0, kStateHover);
    EXPECT_EQ(d.kP->PathEffect, nullptr);
  }
}

TEST(LineStyle, PrintPatternsAreTheSameLengthsRelativeToThePen) {
  PlanoraTest::RecordingContext c(600);
  TStrokeBrush& s = c.canvas.Stroke;
  AdjustPrintLineType(&c.d, 12.0f, 3);
  EXPECT_FLOAT_EQ(s.Thickness, 12.0f);
  EXPECT_EQ(s.Dash, TStrokeDash::Custom);
  // 2 mm and 1 mm at 600 dpi, in pen widths.
  ExpectPattern(s.DashArray, {float(2 * 600 / 25.4 / 12), float(600 / 25.4 / 12)});
  // Unknown styles keep the dash but take the thickness; 0 is solid.
  AdjustPrintLineType(&c.d, 3.0f, 40);
  EXPECT_EQ(s.Dash, TStrokeDash::Custom);
  EXPECT_FLOAT_EQ(s.Thickness, 3.0f);
  AdjustPrintLineType(&c.d, 3.0f, 0);
  EXPECT_EQ(s.Dash, TStrokeDash::Solid);
  // A hairline measures its dashes in single pixels.
  AdjustPrintLineType(&c.d, 0.0f, 2);
  ExpectPattern(s.DashArray, {c.d.w1, c.d.w1});
}

TEST(Terminators, NeverDashedAndNothingForUnknownValues) {
  PlanoraTest::RecordingContext c(96);
  TPLNDraw& d = c.d;
  d.kP->Color = 0xFF112233;
  d.kP->Style = TSkPaintStyle::Fill;
  for (TORVTermType t : {0, 12, 200}) {
    d.kP->PathEffect = TSkPathEffect::MakeDash({5, 5}, 0);
    DrawTermType(&d, t, 0xFFFF0000, 0xFF00FF00, 5, 50, 50, 0, 50, 8, false);
    EXPECT_TRUE(c.canvas.Ops.empty());
    EXPECT_EQ(d.kP->Color, 0xFF112233u);
    EXPECT_EQ(d.kP->Style, TSkPaintStyle::Fill);
  }
  // A terminator right after a dashed line is solid.
  AdjustLineType(&d, 4, kStateNormal);
  c.canvas.DrawLine(0, 50, 50, 50, *d.kP);
  DrawTermType(&d, 3, 0xFFFF0000, 0xFF00FF00, 5, 50, 50, 0, 50, 8, false);
  ASSERT_EQ(c.canvas.Count("DrawLine"), 3);
  EXPECT_NE(c.Op(0).Paint.PathEffect, nullptr);
  EXPECT_EQ(c.Op(1).Paint.PathEffect, nullptr);
  EXPECT_EQ(c.Op(2).Paint.PathEffect, nullptr);
  EXPECT_EQ(c.Op(1).Paint.Color, 0xFFFF0000u);

  // On paper too, with the canvas brushes, whatever dash the stroke had.
  c.canvas.Clear();
  c.canvas.Stroke.SetCustomDash({2, 2}, 0);
  c.canvas.Stroke.Color = 0xFFFF0000;
  c.canvas.Fill.Color = 0xFF0000FF;
  PrintTermType(&c.d, 4, QPointF(100, 50), QPointF(0, 50), 5, 8, false);
  ASSERT_EQ(c.canvas.Names(), (std::vector<std::string>{"P.FillPath", "P.DrawPath"}));
  for (const TRecordedOp& op : c.canvas.Ops) {
    EXPECT_EQ(op.Stroke.Dash, TStrokeDash::Solid);
    EXPECT_FLOAT_EQ(op.Opacity, 1.0f);
    EXPECT_EQ(op.Fill.Color, 0xFF0000FFu);
    EXPECT_EQ(op.Stroke.Color, 0xFFFF0000u);
  }
  EXPECT_NEAR(c.Op(0).Path.boundingRect().left(), 90, 1e-6);
}

TEST(Terminators, FilledFiguresAndCrosses) {
  PlanoraTest::RecordingContext c(96);
  const TAlphaColor line = 0xFFFF0000, fill = 0xFF00FF00;
  const float s = 4, x = 20, y = 30;
  auto draw = [&](TORVTermType t) {
    c.canvas.Clear();
    DrawTermType(&c.d, t, line, fill, s, x, y, 0, 30, 8, false);
    return c.canvas.Ops;
  };
  // Filled figures: the interior in the fill colour, then the same outline in the line colour.
  for (auto [t, name] : {std::pair<int, const char*>{2, "DrawOval"}, {4, "DrawPath"}, {6, "DrawRect"}, {8, "DrawPath"}}) {
    SCOPED_TRACE(t);
    const auto ops = draw(TORVTermType(t));
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].Name, name);
    EXPECT_EQ(ops[0].Paint.Style, TSkPaintStyle::Fill);
    EXPECT_EQ(ops[0].Paint.Color, fill);
    EXPECT_EQ(ops[1].Paint.Style, TSkPaintStyle::Stroke);
    EXPECT_EQ(ops[1].Paint.Color, line);
    EXPECT_EQ(ops[0].Path, ops[1].Path);
  }
  // Device y grows down: the cross of 11 runs from the upper left to the lower right, then back.
  const auto ops = draw(11);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].Args, (std::vector<double>{x - s, y - s, x + s, y + s}));
  EXPECT_EQ(ops[1].Args, (std::vector<double>{x + s, y - s, x - s, y + s}));
}

TEST(Terminators, ArrowBarbsAreSymmetricAndTwiceTheHalfSizeLong) {
  PlanoraTest::RecordingContext c(96);
  struct Case { float x, y, x2, y2; bool byAngle; };
  const Case cases[] = {{100, 50, 0, 50, false}, {10, 10, 40, 50, false}, {100, 50, 0, 0, true}, {60, 60, float(M_PI / 3), 0, true}};
  for (const Case& k : cases) {
    c.canvas.Clear();
    const float s = 5;
    DrawTermType(&c.d, 3, 0xFF000000, 0xFF000000, s, k.x, k.y, k.x2, k.y2, 8, k.byAngle);
    const auto lines = c.canvas.OpsNamed("DrawLine");
    ASSERT_EQ(lines.size(), 2u);
    const QPointF tip(k.x, k.y), b1(lines[0].Args[2], lines[0].Args[3]), b2(lines[1].Args[2], lines[1].Args[3]);
    // The barbs' midpoint lies 2·s behind the tip, back along the direction of travel.
    const double ang = k.byAngle ? k.x2 : std::atan2(k.y - k.y2, k.x - k.x2);
    const QPointF axis = (b1 + b2) / 2 - tip;
    EXPECT_NEAR(axis.x(), -std::cos(ang) * 2 * s, 1e-4);
    EXPECT_NEAR(axis.y(), -std::sin(ang) * 2 * s, 1e-4);
    // Mirror images about the axis.
    const QPointF d1 = b1 - tip, d2 = b2 - tip;
    EXPECT_NEAR(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()), 1e-4);
    EXPECT_GT(std::hypot(b1.x() - b2.x(), b1.y() - b2.y()), 1.0);
  }
  // The head length is 2·s rounded: 2.3 gives 5. On paper, by angle, 0 radians points right.
  c.canvas.Clear();
  DrawTermType(&c.d, 3, 0xFF000000, 0xFF000000, 2.3f, 100, 50, 0, 50, 8, false);
  EXPECT_NEAR(c.Op(0).Args[2], 95, 1e-6);
  c.canvas.Clear();
  PrintTermType(&c.d, 3, QPointF(100, 50), QPointF(0, 0), 5, 8, true);
  ASSERT_EQ(c.canvas.Count("P.DrawLine"), 2);
  EXPECT_NEAR(c.Op(0).Args[2], 90, 1e-6);
}
