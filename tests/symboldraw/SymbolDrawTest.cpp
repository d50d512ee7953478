// Placed symbols run their library symbol's drawing commands: pens and fills from the commands'
// state (reset from the layer for every symbol), path mode joining geometry into one outline,
// the frame of insertion point, scale and angle, and the same marks on the screen and on paper.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "ORV.FMX.Items.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using Orv::Symbol::TPLNLibSymbol;

namespace {

constexpr TAlphaColor kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kGreen = 0xFF00FF00u;

// A symbol in millimetres with its insertion point at (0, 0), held by `doc` and made current.
TPLNLibSymbol* NewSymbol(TPLNBaseLabel& doc, const std::function<void(TPLNLibSymbol&)>& build) {
  auto s = std::make_unique<TPLNLibSymbol>();
  s->Name = QStringLiteral("test");
  build(*s);
  return static_cast<TPLNLibSymbol*>(doc.AddSymbol(std::move(s), true));
}

TPLNSymbol* Place(TPLNBaseLabel& doc, const Symbol::TPLNBaseLibSymbol* symbol, TORVPto at, float scale = 1,
                  double angle = 0) {
  auto* item = new TPLNSymbol(&doc, false);
  item->SetSymbol(symbol);
  item->AssignPoints({at});
  item->SetScale(scale);
  item->SetAngleRad(angle);
  return item;
}

bool IsMark(const std::string& name) {
  return (name.rfind("Draw", 0) == 0 || name.rfind("P.Draw", 0) == 0 || name.rfind("P.Fill", 0) == 0);
}
std::vector<TRecordedOp> Marks(const TRecordingCanvas& c) {
  std::vector<TRecordedOp> out;
  for (const TRecordedOp& op : c.Ops)
    if (IsMark(op.Name)) out.push_back(op);
  return out;
}
bool IsFill(const TRecordedOp& op) {
  return op.Name == "P.FillPath" || (op.Name == "DrawPath" && op.Paint.Style == TSkPaintStyle::Fill);
}
// The uniform scale of a recorded matrix.
double ScaleOf(const QTransform& m) { return std::sqrt(std::abs(m.determinant())); }

}  // namespace

TEST(SymbolDraw, NoSymbolDrawsNothingAndLeavesTheCanvasAsItWas) {
  PlanoraTest::RecordingContext c;
  TPLNSymbol* none = Place(c.doc, nullptr, {10000, 10000}, 2, 1.0);
  ASSERT_EQ(none->GetSymbol(), nullptr);
  c.canvas.Translate(3, 4);
  const QTransform before = c.canvas.GetTotalMatrix();
  for (bool paper : {false, true}) {
    c.Redraw(none, paper);
    EXPECT_TRUE(Marks(c.canvas).empty()) << (paper ? "paper" : "screen");
    EXPECT_EQ(c.canvas.SaveDepth(), 0);
    EXPECT_EQ(c.canvas.GetTotalMatrix(), before);
  }
}

TEST(SymbolDraw, ArcsAndSectorsTurnTheWayTheyWereBuilt) {
  PlanoraTest::RecordingContext c;
  TPLNLibSymbol* s = NewSymbol(c.doc, [](TPLNLibSymbol& b) {
    b.LineWidth(0.1);
    b.Arc(0, 0, 5, 5, 10, 0);  // down through (5, 5): the lower half circle
    b.Filled(true);
    b.Sector(0, 0, 10, 0, 90);  // the quarter above the x axis on the page
  });
  TPLNSymbol* item = Place(c.doc, s, {0, 0});
  for (bool paper : {false, true}) {
    SCOPED_TRACE(paper ? "paper" : "screen");
    c.Redraw(item, paper);
    const auto marks = Marks(c.canvas);
    ASSERT_EQ(marks.size(), 3u);
    const QRectF arc = marks[0].Path.boundingRect();
    EXPECT_NEAR(arc.top(), 0, 0.01);
    EXPECT_NEAR(arc.bottom(), 50, 0.01);
    EXPECT_NEAR(arc.left(), 0, 0.01);
    EXPECT_NEAR(arc.right(), 100, 0.01);
    const QPainterPath& pie = marks[1].Path;
    EXPECT_TRUE(pie.contains(QPointF(30, -30)));
    EXPECT_FALSE(pie.contains(QPointF(30, 30)));
    EXPECT_FALSE(pie.contains(QPointF(-30, -30)));
  }
}

TEST(SymbolDraw, PenKeepsItsDeviceWidthUnlessTheSymbolScalesIt) {
  PlanoraTest::RecordingContext c;  // 10 pixels a millimetre
  for (bool scalePen : {false, true}) {
    SCOPED_TRACE(scalePen ? "scale pen on" : "scale pen off");
    TPLNLibSymbol* s = NewSymbol(c.doc, [&](TPLNLibSymbol& b) {
      b.LineWidth(0.5);
      b.ScalePen(scalePen);
      b.LineType(2);  // 1 mm dashes
      b.Line(0, 0, 10, 0);
    });
    TPLNSymbol* item = Place(c.doc, s, {5000, 5000}, 2);
    const double width = scalePen ? 10 : 5, dash = scalePen ? 20 : 10;
    for (bool paper : {false, true}) {
      c.Redraw(item, paper);
      const auto marks = Marks(c.canvas);
      ASSERT_EQ(marks.size(), 1u);
      const TRecordedOp& op = marks[0];
      const double k = ScaleOf(op.Matrix);
      EXPECT_NEAR(k, 2, 1e-6);
      if (paper) {
        EXPECT_NEAR(op.Stroke.Thickness * k, width, 1e-4);
        const auto rel = op.Stroke.EffectiveDashArray();
        ASSERT_EQ(rel.size(), 2u);
        EXPECT_NEAR(rel[0] * op.Stroke.Thickness * k, dash, 1e-3);
      } else {
        EXPECT_NEAR(op.Paint.StrokeWidth * k, width, 1e-4);
        const auto d = PlanoraTest::Dash(op.Paint);
        ASSERT_EQ(d.size(), 2u);
        EXPECT_NEAR(d[0] * k, dash, 1e-3);
      }
      // The line itself grows with the symbol: 10 mm at scale 2 is 200 pixels.
      EXPECT_NEAR(op.Matrix.map(op.Path).boundingRect().width(), 200, 1e-3);
    }
  }
}

// Outlines are built once per symbol and reused: a change of commands or of resolution must
// never draw the old ones.
TEST(SymbolDraw, ReusedOutlinesFollowTheCommandsAndTheResolution) {
  PlanoraTest::RecordingContext c;  // 10 pixels a millimetre
  TPLNLibSymbol* s = NewSymbol(c.doc, [](TPLNLibSymbol& b) { b.Line(0, 0, 10, 0); });
  TPLNSymbol* item = Place(c.doc, s, {5000, 5000});
  auto widths = [&] {
    c.Redraw(item);
    std::vector<double> out;
    for (const TRecordedOp& op : Marks(c.canvas)) out.push_back(op.Matrix.map(op.Path).boundingRect().width());
    return out;
  };
  EXPECT_EQ(widths(), std::vector<double>({100}));
  EXPECT_EQ(widths(), std::vector<double>({100}));
  c.d.SetResolution(508, 508);
  EXPECT_EQ(widths(), std::vector<double>({200}));
  s->Line(0, 0, 5, 0);
  EXPECT_EQ(widths(), std::vector<double>({200, 100}));
  c.d.SetResolution(254, 254);
  EXPECT_EQ(widths(), std::vector<double>({100, 50}));
}

TEST(SymbolDraw, ClosedShapesFillInTheBackColourAndOpenOnesOnlyStroke) {
  PlanoraTest::RecordingContext c;
  struct Case {
    const char* what;
    bool closed, fill;
    double pen;
    std::vector<std::pair<bool, TAlphaColor>> marks;  // fill?, colour
  };
  const Case cases[] = {
      {"closed, filled", true, true, 0.3, {{true, kRed}, {false, kBlue}}},
      {"closed, filled, no pen", true, true, 0, {{true, kRed}}},
      {"closed, not filled", true, false, 0.3, {{false, kBlue}}},
      {"closed, neither", true, false, 0, {}},
      {"open, filled", false, true, 0.3, {{false, kBlue}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TPLNLibSymbol* s = NewSymbol(c.doc, [&](TPLNLibSymbol& b) {
      b.ForeColor(kBlue);
      b.BackColor(kRed);
      b.Filled(k.fill);
      b.LineWidth(k.pen);
      const std::vector<double> pts{0, 0, 10, 0, 10, 10, 0, 10};
      k.closed ? b.Polygon(pts) : b.Polyline(pts);
    });
    TPLNSymbol* item = Place(c.doc, s, {0, 0});
    for (bool paper : {false, true}) {
      c.Redraw(item, paper);
      const auto marks = Marks(c.canvas);
      ASSERT_EQ(marks.size(), k.marks.size()) << (paper ? "paper" : "screen");
      for (size_t i = 0; i < marks.size(); ++i) {
        const bool fill = IsFill(marks[i]);
        EXPECT_EQ(fill, k.marks[i].first);
        const TAlphaColor color =
            paper ? (fill ? marks[i].Fill.Color : marks[i].Stroke.Color) : marks[i].Paint.Color;
        EXPECT_EQ(color, k.marks[i].second);
        if (fill) {
          EXPECT_TRUE(marks[i].Path.contains(QPointF(50, 50)));
        }
      }
    }
  }
}

TEST(SymbolDraw, GeometryBetweenPathOnAndOffIsOneFilledOutline) {
  PlanoraTest::RecordingContext c;
  const auto build = [&](bool path) {
    return NewSymbol(c.doc, [&](TPLNLibSymbol& b) {
      b.Filled(true);
      b.BackColor(kGreen);
      b.LineWidth(0.2);
      if (path) b.Path(true);
      b.Line(0, 0, 10, 0);
      // Each later piece continues from where the outline stands, whatever its own start.
      b.Line(99, 99, 10, 10);
      b.Polyline({0, 10, 0, 5});
      if (path) b.Path(false);
    });
  };
  TPLNSymbol* joined = Place(c.doc, build(true), {0, 0});
  for (bool paper : {false, true}) {
    c.Redraw(joined, paper);
    const auto marks = Marks(c.canvas);
    ASSERT_EQ(marks.size(), 2u) << "one fill and one outline";
    EXPECT_TRUE(IsFill(marks[0]));
    EXPECT_FALSE(IsFill(marks[1]));
    const QPainterPath& p = marks[0].Path;
    EXPECT_TRUE(p.contains(QPointF(50, 50)));
    EXPECT_TRUE(p.contains(QPointF(5, 90)));
    EXPECT_FALSE(p.contains(QPointF(150, 50)));
    EXPECT_NEAR(p.boundingRect().width(), 100, 1e-3);
    EXPECT_NEAR(p.boundingRect().height(), 100, 1e-3);
    // Closed: the outline comes back to its first point.
    const QPainterPath& o = marks[1].Path;
    EXPECT_EQ(QPointF(o.elementAt(o.elementCount() - 1)), QPointF(o.elementAt(0)));
  }
  // Without path mode the same commands are separate strokes and nothing is filled.
  c.Redraw(Place(c.doc, build(false), {0, 0}));
  const auto marks = Marks(c.canvas);
  ASSERT_EQ(marks.size(), 3u);
  for (const auto& op : marks) EXPECT_FALSE(IsFill(op));
}

TEST(SymbolDraw, EverySymbolStartsFromItsLayer) {
  PlanoraTest::RecordingContext c;
  TPLNLayer* layer = c.doc.GetActiveLayer();
  layer->PenColor = kBlue;
  layer->PenWidth = 400;
  layer->Fill = false;
  // The first symbol changes everything and leaves path mode on; the second changes nothing.
  TPLNLibSymbol* loud = NewSymbol(c.doc, [](TPLNLibSymbol& b) {
    b.ForeColor(kRed);
    b.BackColor(kGreen);
    b.Filled(true);
    b.LineWidth(2);
    b.LineType(3);
    b.RoundCap(true);
    b.Circle(0, 0, 3);
    b.Path(true);
    b.Line(0, 0, 5, 0);
  });
  TPLNLibSymbol* plain = NewSymbol(c.doc, [](TPLNLibSymbol& b) {
    b.Circle(0, 0, 3);
    b.Line(0, 0, 5, 0);
  });
  TPLNSymbol* first = Place(c.doc, loud, {10000, 10000});
  TPLNSymbol* second = Place(c.doc, plain, {30000, 10000});
  for (bool paper : {false, true}) {
    SCOPED_TRACE(paper ? "paper" : "screen");
    c.canvas.Clear();
    paper ? first->Print(&c.d) : first->Draw(&c.d);
    c.canvas.Clear();
    paper ? second->Print(&c.d) : second->Draw(&c.d);
    const auto marks = Marks(c.canvas);
    ASSERT_EQ(marks.size(), 2u) << "the circle's outline and the line, no fill";
    for (const auto& op : marks) {
      EXPECT_FALSE(IsFill(op));
      if (paper) {
        EXPECT_EQ(op.Stroke.Color, kBlue);
        EXPECT_NEAR(op.Stroke.Thickness, 4, 1e-4);
        EXPECT_EQ(op.Stroke.Dash, TStrokeDash::Solid);
        EXPECT_EQ(op.Stroke.Cap, TStrokeCap::Flat);
      } else {
        EXPECT_EQ(op.Paint.Color, kBlue);
        EXPECT_NEAR(op.Paint.StrokeWidth, 4, 1e-4);
        EXPECT_TRUE(PlanoraTest::Dash(op.Paint).empty());
        EXPECT_EQ(op.Paint.StrokeCap, TSkStrokeCap::Butt);
      }
    }
  }
}

TEST(SymbolDraw, LinkPointCrossesSitWhereLinksEnd) {
  PlanoraTest::RecordingContext c;
  c.d.OriginX = 7;
  c.d.OriginY = 9;
  TPLNLibSymbol* s = NewSymbol(c.doc, [](TPLNLibSymbol& b) {
    b.Line(0, 0, 10, 0);
    b.LinkPoint(10, 0);
    b.LinkPoint(0, 4);
  });
  TPLNSymbol* item = Place(c.doc, s, {20000, 15000}, 1.5f, M_PI / 6);
  c.Redraw(item);
  ASSERT_EQ(Marks(c.canvas).size(), 1u) << "no crosses unless asked for";
  c.d.aDrawLinkPto = true;
  c.d.aLinkPoint = kGreen;
  c.Redraw(item);
  const auto marks = Marks(c.canvas);
  ASSERT_EQ(marks.size(), 2u);
  const TRecordedOp& cross = marks[1];
  EXPECT_EQ(cross.Paint.Color, kGreen);
  EXPECT_NEAR(cross.Paint.StrokeWidth * ScaleOf(cross.Matrix), 1, 1e-4) << "one device pixel";
  const QPainterPath onDevice = cross.Matrix.map(cross.Path);
  for (int k = 1; k <= 2; ++k) {
    SCOPED_TRACE(k);
    TORVPto p;
    ASSERT_TRUE(item->LinkPoint(k + Symbol::kSymbolLinkOffset, {}, p));
    // The middle of the k-th cross's horizontal bar (1 mm = 10 px each way, scaled by 1.5).
    const QPointF a = onDevice.elementAt((k - 1) * 4), b = onDevice.elementAt((k - 1) * 4 + 1);
    const QPointF mid = (a + b) / 2;
    EXPECT_NEAR(mid.x(), p.X / 100.0 + 7, 0.02);
    EXPECT_NEAR(mid.y(), p.Y / 100.0 + 9, 0.02);
    EXPECT_NEAR(std::hypot(b.x() - a.x(), b.y() - a.y()), 30, 1e-3);
  }
}
