// Rulers, grid and the painted surface: settings and their limits, tick spacing, pixel probes.
#include <QScrollBar>
#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "ORV.Utils.h"

using namespace Orv;
using namespace Orv::Fmx;
using PlanoraTest::ColorAt;
using PlanoraTest::Dark;
using PlanoraTest::DarkNear;

namespace {
const QColor kMargin = QColor::fromRgba(0xFF204080u);
const QColor kSilver = QColor::fromRgba(0xFFC0C0C0u);
// The grid sits behind the drawing, lighter than its lines.
const QColor kGridStep = QColor::fromRgba(0xFFE0E0E0u);
const QColor kGridUnits = QColor::fromRgba(0xFFC0C0C0u);

// A hairline without anti-aliasing lands on one of the two pixels around a fractional position.
bool LineAt(const QImage& img, int x, double y, const QColor& c) {
  return ColorAt(img, QPoint(x, int(std::floor(y))), c, 8) || ColorAt(img, QPoint(x, int(std::floor(y)) + 1), c, 8);
}
}  // namespace

TEST(EditorSettings, ClampsScalesAndAssign) {
  EditorView v;
  TPLNRulers& r = v.ed.Rulers();
  r.SetSize(40);
  EXPECT_EQ(r.GetSize(), 30);
  EXPECT_EQ(v.S().RulerTop(), 30);  // a new size places the page again
  r.SetSize(10);
  EXPECT_EQ(r.GetSize(), 18);

  TPLNGrid& g = v.ed.Grid();
  EXPECT_DOUBLE_EQ(g.GetIncX(), 10);
  g.SetIncX(0);
  EXPECT_DOUBLE_EQ(g.GetIncX(), 0.1);
  g.SetIncY(5000);
  EXPECT_DOUBLE_EQ(g.GetIncY(), 1000);
  g.SetIncX(2.5);
  EXPECT_EQ(g.BaseIncX(), 2500);
  v.doc.SetUnits(TORVUnits::inch);
  g.SetIncX(0.5);
  EXPECT_EQ(g.BaseIncX(), 12700);
  EXPECT_DOUBLE_EQ(g.GetIncX(), 0.5);
  v.doc.SetUnits(TORVUnits::mm);
  // At 1:100 a step is a world length: steps and limits are a hundred times larger, and the
  // 12.7 mm kept from before reads as the largest step, 10 mm on paper.
  v.SetScale(100);
  EXPECT_DOUBLE_EQ(g.GetIncX(), 1000);
  g.SetIncX(0);
  EXPECT_DOUBLE_EQ(g.GetIncX(), 10);
  EXPECT_DOUBLE_EQ(g.MinInc(), 10);
  EXPECT_DOUBLE_EQ(g.MaxInc(), 1000);
  EXPECT_EQ(g.BaseIncX(), 10000);

  // Nudge steps clamp the same way; without a document they are nothing.
  v.SetScale(1);
  v.ed.SetMoveX(0);
  EXPECT_DOUBLE_EQ(v.ed.GetMoveX(), 0.1);
  v.ed.SetMoveX(5000);
  EXPECT_DOUBLE_EQ(v.ed.GetMoveX(), 1000);
  EXPECT_DOUBLE_EQ(v.ed.MaxMoveValue(), 1000);
  TPLNEditor empty;
  empty.SetMoveX(3);
  EXPECT_EQ(empty.GetMoveX(), 0);
  EXPECT_EQ(empty.MinMoveValue(), 0);

  // Assign copies every setting by value.
  r.SetVisible(rvLeft | rvBottom);
  r.SetColor(0xFF112233u);
  r.SetStyle(rsStyle02);
  g.SetStyle(gdLines);
  g.SetUnitsColor(0xFF445566u);
  v.ed.SelectionColors().SetLinkPoint(0xFF778899u);
  v.ed.SetMarginColor(0xFF010203u);
  TPLNEditor copy;
  copy.resize(300, 200);
  copy.Assign(v.ed);
  EXPECT_EQ(copy.GetLabel(), &v.doc);
  EXPECT_EQ(copy.Rulers().GetVisible(), rvLeft | rvBottom);
  EXPECT_EQ(copy.Rulers().GetColor(), 0xFF112233u);
  EXPECT_EQ(copy.Rulers().GetStyle(), rsStyle02);
  EXPECT_EQ(copy.Grid().GetStyle(), gdLines);
  EXPECT_EQ(copy.Grid().GetUnitsColor(), 0xFF445566u);
  EXPECT_DOUBLE_EQ(copy.Grid().GetIncX(), v.ed.Grid().GetIncX());
  EXPECT_EQ(copy.Surface()->DrawContext().aLinkPoint, 0xFF778899u);
  EXPECT_EQ(copy.GetMarginColor(), 0xFF010203u);
  EXPECT_EQ(copy.Surface()->RulerBottom(), 18);
  copy.SetLabel(nullptr);
}

TEST(EditorSettings, TickSpacingPerUnitAndZoom) {
  EditorView v;
  auto t = v.S().CheckTickPos(false);
  // 1 mm is 3.8 px, under 5: ticks every 2 mm (7.6 px), labels every 10 mm (37.8 px).
  EXPECT_EQ(t.Minor, 2);
  EXPECT_NEAR(t.MinorPx, 7.56, 0.01);
  EXPECT_EQ(t.Label, 10);
  EXPECT_NEAR(t.Extent, 100, 1e-9);
  EXPECT_NEAR(v.S().CheckTickPos(true).Extent, 60, 1e-9);
  v.ed.SetZoom(zm200);
  t = v.S().CheckTickPos(false);
  EXPECT_EQ(t.Minor, 1);
  EXPECT_EQ(t.Label, 5);
  // Past the visible edge the rulers stop at the surface's far edge.
  EXPECT_LT(t.Extent, 100);
  EXPECT_NEAR(t.Extent, Utils::GetValue(v.S().BaseMMX(v.S().width()), TORVUnits::mm), 1e-9);
  v.ed.SetZoom(zm300);
  EXPECT_EQ(v.S().CheckTickPos(false).Minor, 0.5);
  EXPECT_EQ(v.S().CheckTickPos(false).Label, 2);
  v.ed.SetZoom(zm25);
  EXPECT_EQ(v.S().CheckTickPos(false).Minor, 5);
  EXPECT_EQ(v.S().CheckTickPos(false).Label, 50);
  v.ed.SetZoom(zm100);
  v.doc.SetUnits(TORVUnits::inch);
  EXPECT_EQ(v.S().CheckTickPos(false).Minor, 0.1);
  EXPECT_EQ(v.S().CheckTickPos(false).Label, 0.5);
  v.doc.SetUnits(TORVUnits::cm);
  // 0.2 cm ticks skip the 0.5 cm labels.
  EXPECT_EQ(v.S().CheckTickPos(false).Minor, 0.2);
  EXPECT_EQ(v.S().CheckTickPos(false).Label, 1);
  // A 1:10000 drawing in millimetres: no candidate is 5 px wide.
  v.doc.SetUnits(TORVUnits::mm);
  v.SetScale(10000);
  EXPECT_EQ(v.S().CheckTickPos(false).Minor, 1000);
  EXPECT_EQ(v.S().CheckTickPos(false).Label, 0);
  EXPECT_FALSE(v.Shot().isNull());
}

TEST(EditorPaint, MarginPageRulersAndTicks) {
  EditorView v;
  v.ed.SetMarginColor(kMargin.rgba());
  TPLNFactory::AddBaseRectangle(&v.doc, 40000, 20000, 20000, 20000)->SetColor(kBlack);
  static_cast<TPLN2DItem*>(v.doc.GetItem(1))->SetFilled(true);
  static_cast<TPLN2DItem*>(v.doc.GetItem(1))->SetBackColor(kBlack);
  QImage img = v.Shot();
  const int w = img.width(), h = img.height();
  EXPECT_TRUE(ColorAt(img, {w - 5, h - 5}, kMargin));
  EXPECT_TRUE(ColorAt(img, {33 + 20, 33 + 200}, Qt::white));  // page, left of the item
  EXPECT_TRUE(ColorAt(img, {33 + 378 + 5, 100}, kMargin));   // right of the page
  EXPECT_TRUE(Dark(img, 33 + 189, 33 + 113));                 // the item's middle
  // Left ruler: silver beside the margin, white beside the page.
  EXPECT_TRUE(ColorAt(img, {2, h - 20}, kSilver));
  EXPECT_TRUE(ColorAt(img, {2, 45}, Qt::white));
  EXPECT_TRUE(ColorAt(img, {2, 2}, kSilver));  // the corner
  // Top ruler at 100 %: a whole-millimetre tick at 2 mm (x = 33 + 8) reaches 8 px up from its
  // inner edge at y = 18; beside it the ruler is bare.
  EXPECT_TRUE(Dark(img, 41, 11));
  EXPECT_TRUE(Dark(img, 41, 17));
  EXPECT_FALSE(Dark(img, 41, 8));
  EXPECT_FALSE(Dark(img, 43, 12));
  // A label near 10 mm (x = 33 + 38).
  EXPECT_TRUE(PlanoraTest::InkInRect(img, QRect(64, 2, 14, 12)));

  // At 300 % the half-millimetre ticks are 4 px, the whole ones 8.
  v.ed.SetZoom(zm300);
  img = v.Shot();
  EXPECT_TRUE(Dark(img, 39, 16));
  EXPECT_FALSE(Dark(img, 39, 12));
  EXPECT_TRUE(Dark(img, 44, 11));

  // A change of the document shows at the next repaint (the page drawing is not kept).
  static_cast<TPLN2DItem*>(v.doc.GetItem(1))->SetBackColor(0xFFFF0000u);
  v.ed.SetZoom(zm100);
  img = v.Shot();
  EXPECT_TRUE(ColorAt(img, {33 + 189, 33 + 113}, Qt::red));
  v.doc.GetItem(1)->Move(-20000, 0);
  img = v.Shot();
  EXPECT_TRUE(ColorAt(img, {33 + 189, 33 + 113}, Qt::white));

  // Without a document only the margin colour shows.
  v.ed.SetLabel(nullptr);
  img = v.Shot();
  EXPECT_TRUE(ColorAt(img, {2, 2}, kMargin));
  EXPECT_TRUE(ColorAt(img, {100, 100}, kMargin));
}

TEST(EditorPaint, GridPointsAndLines) {
  EditorView v;
  TPLNGrid& g = v.ed.Grid();
  const double k = 96 / 25.4;
  g.SetIncX(5);
  g.SetIncY(5);
  g.SetStyle(gdLines);
  QImage img = v.Shot();
  // Lines every 5 mm in the step colour, whole centimetres darker; none outside the page.
  EXPECT_TRUE(LineAt(img, 33 + 100, 33 + 5 * k, kGridStep));
  EXPECT_TRUE(LineAt(img, 33 + 100, 33 + 10 * k, kGridUnits));
  EXPECT_TRUE(ColorAt(img, {33 + 100, 33 + 30}, Qt::white));
  EXPECT_TRUE(ColorAt(img, {33 + 378 + 10, int(33 + 10 * k)}, kSilver));  // margin, not a line
  v.ed.SetMarginColor(kMargin.rgba());
  img = v.Shot();
  EXPECT_TRUE(ColorAt(img, {33 + 378 + 10, int(33 + 10 * k)}, kMargin));

  // In inches the grid counts in inches like the rulers: 5 mm becomes the nearest round step,
  // 0.2 in, and whole inches stand out; back in millimetres it is 5 mm again.
  v.doc.SetUnits(TORVUnits::inch);
  EXPECT_NEAR(g.GetIncX(), 0.2, 1e-12);
  EXPECT_NEAR(g.GetIncY(), 0.2, 1e-12);
  img = v.Shot();
  EXPECT_TRUE(LineAt(img, 33 + 100, 33 + 0.2 * 96, kGridStep));
  EXPECT_TRUE(LineAt(img, 33 + 100, 33 + 96, kGridUnits));
  EXPECT_TRUE(ColorAt(img, {33 + 100, 33 + 30}, Qt::white));
  v.doc.SetUnits(TORVUnits::mm);
  EXPECT_NEAR(g.GetIncX(), 5, 1e-12);

  g.SetStyle(gdPoints);
  g.SetIncX(10);
  g.SetIncY(10);
  img = v.Shot();
  const int px = int(std::floor(33 + 10 * k)), py = px;
  EXPECT_TRUE(ColorAt(img, {px, py}, kGridStep, 8) || ColorAt(img, {px + 1, py + 1}, kGridStep, 8));
  EXPECT_TRUE(ColorAt(img, {px + 5, py}, Qt::white));
  EXPECT_TRUE(ColorAt(img, {px, py + 5}, Qt::white));
  // Too fine for the screen: no grid rather than a grey page.
  g.SetIncX(0.1);
  img = v.Shot();
  EXPECT_TRUE(ColorAt(img, {px, py}, Qt::white));
}

TEST(EditorPaint, HalvesDrawnSideBySideMatchOnePass) {
  EditorView v(700, 500);
  v.doc.BeginUpdate();
  for (int i = 0; i < 4000; ++i) {
    const std::int64_t x = (i * 7919LL) % 95000, y = (i * 104729LL) % 55000;
    TPLNFactory::AddBaseEllipse(&v.doc, x, y, 2000 + i % 3000, 1000 + i % 2000);
  }
  v.doc.EndUpdate();
  v.ed.Grid().SetStyle(gdLines);
  for (TORVZoom z : {zm100, zm250}) {
    v.ed.SetZoom(z);
    v.ed.VertScrollBar()->setValue(v.ed.VertScrollBar()->maximum() / 3);
    const QImage painted = v.Shot();
    QImage direct(v.S().size(), QImage::Format_ARGB32_Premultiplied);
    {
      QPainter p(&direct);
      Canvas::TQPainterCanvas c(&p);
      v.S().Draw(c, QRectF(v.S().rect()));
    }
    EXPECT_TRUE(painted == direct) << "zoom " << z;
  }
}

// A scroll moves the kept drawing and draws the uncovered strips: it must look like a fresh
// drawing, up to a few levels of anti-aliasing where the old edge cut shapes.
TEST(EditorPaint, ScrolledDrawingMatchesAFreshOne) {
  EditorView v(500, 400);
  for (int i = 0; i < 300; ++i) {
    const std::int64_t x = (i * 7919LL) % 95000, y = (i * 104729LL) % 55000;
    i % 2 ? TPLNFactory::AddBaseEllipse(&v.doc, x, y, 4000, 3000) : TPLNFactory::AddBaseLine(&v.doc, x, y, x + 9000, y + 4000);
  }
  v.ed.Grid().SetStyle(gdLines);
  v.ed.SetZoom(zm300);
  v.Shot();
  for (QPoint by : {QPoint(0, 30), QPoint(47, 0), QPoint(-13, -90), QPoint(5, 7)}) {
    v.ed.HorzScrollBar()->setValue(v.ed.HorzScrollBar()->value() + by.x());
    v.ed.VertScrollBar()->setValue(v.ed.VertScrollBar()->value() + by.y());
    const QImage scrolled = v.Shot();
    v.ed.DrawEditor();
    const QImage fresh = v.Shot();
    int worst = 0;
    for (int y = 0; y < fresh.height(); ++y)
      for (int x = 0; x < fresh.width(); ++x) {
        const QRgb a = scrolled.pixel(x, y), b = fresh.pixel(x, y);
        worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
      }
    EXPECT_LE(worst, 8) << by.x() << ", " << by.y();
  }
}

TEST(EditorPaint, CullingKeepsWhatReachesTheViewAndDotsTinyItems) {
  EditorView v(400, 300);
  v.ed.SetZoom(zm500);
  // A polyline right of the view (which ends near 18 mm) whose end squares (10 mm) reach in.
  TPLNBaseItem* line = TPLNFactory::AddBasePolyLine(&v.doc, {30000, 5000, 22000, 5000});
  ASSERT_NE(line, nullptr);
  auto* ends = dynamic_cast<TORVTerminators*>(line);
  ASSERT_NE(ends, nullptr);
  ends->FromType = ends->ToType = 5;
  ends->SizeFrom = ends->SizeTo = 10;
  v.ed.DrawEditor();
  ASSERT_GT(v.S().ScreenMMX(22000 - 500), v.S().width());
  const int edge = v.S().ScreenMMX(17000);
  ASSERT_LT(edge, v.S().width() - 10);
  const QImage img = v.Shot();
  EXPECT_TRUE(PlanoraTest::InkInRect(img, QRect(edge - 4, 40, 9, 150)));

  // A 10 m page fitted: a 2 mm square is a dot of its colour where it lies.
  EditorView big(600, 400, 10000000, 10000000);
  TPLNBaseItem* tiny = TPLNFactory::AddBaseRectangle(&big.doc, 3000000, 2000000, 2000, 2000);
  static_cast<TPLN2DItem*>(tiny)->SetFilled(true);
  static_cast<TPLN2DItem*>(tiny)->SetBackColor(0xFFFF0000u);
  big.ed.SetZoom(zmFitAll);
  const double ppb = big.ed.ZoomFactor() * 96 / 25400;
  ASSERT_LT(2000 * ppb, 1.0);
  const QImage dots = big.Shot();
  const QPoint at(int(std::floor(big.S().TranslateX() + 3001000 * ppb)), int(std::floor(big.S().TranslateY() + 2001000 * ppb)));
  EXPECT_TRUE(ColorAt(dots, at, Qt::red));
  EXPECT_TRUE(ColorAt(dots, at + QPoint(2, 0), Qt::white));
}

TEST(EditorPaint, ExtremesDoNotBreak) {
  // A 100 m page (the largest paper) at every zoom limit, and frames of a few pixels.
  EditorView v(600, 400, 100000000, 100000000);
  TPLNFactory::AddBaseRectangle(&v.doc, 99990000, 99990000, 5000, 5000);
  v.ed.Grid().SetStyle(gdPoints);
  v.ed.Rulers().SetVisible(rvLeft | rvTop | rvRight | rvBottom);
  for (TORVZoom z : {zm25, zm500, zmFitAll, zmWidth, zmHeight}) {
    v.ed.SetZoom(z);
    v.ed.HorzScrollBar()->setValue(v.ed.HorzScrollBar()->maximum());
    v.ed.VertScrollBar()->setValue(v.ed.VertScrollBar()->maximum());
    EXPECT_GT(v.S().ContentWidth(), 0) << z;
    EXPECT_FALSE(v.Shot().isNull()) << z;
  }
  EXPECT_GE(v.S().ScrollX(), 0);
  for (QSize s : {QSize(3, 3), QSize(1, 40), QSize(0, 0), QSize(23, 23)}) {
    v.ed.resize(s);
    v.ed.SetZoom(v.ed.GetZoom() == zmFitAll ? zm100 : zmFitAll);
    if (v.S().width() > 0 && v.S().height() > 0) {
      EXPECT_FALSE(v.Shot().isNull());
    }
  }
}

TEST(EditorResources, ButtonsLoadTheirImages) {
  TResButton b(nullptr);
  b.ResName(QStringLiteral("ROTATE"));
  EXPECT_EQ(b.Image().size(), QSize(32, 32));
  b.ResName(QStringLiteral("SETTINGS"));
  EXPECT_EQ(b.Image().size(), QSize(32, 32));
  EXPECT_GT(b.Image().pixelColor(16, 8).alpha(), 200);  // the gear's body
  EXPECT_EQ(b.Image().pixelColor(16, 16).alpha(), 0);   // its hub
  try {
    b.ResName(QStringLiteral("NOPE"));
    FAIL() << "no error for an unknown resource";
  } catch (const EPLNError& e) {
    EXPECT_EQ(e.Message(), "RCDATA resource \"NOPE\" not found.");
  }
  EXPECT_EQ(b.GetResName(), "SETTINGS");
}
