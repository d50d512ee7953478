// What a flow-chart box shows on screen and on paper: its fifteen outlines, its fill and pen, and
// its text laid out inside. Rendered at 96 dpi unless told: 1 mm is 3.78 pixels.
#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>
#include <vector>

#include "ORV.FMX.Items.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using PlanoraTest::ColorAt;
using PlanoraTest::Dark;
using PlanoraTest::DarkNear;
using PlanoraTest::Gray;
using PlanoraTest::Ink;
using PlanoraTest::InkColumns;
using PlanoraTest::InkInRect;
using PlanoraTest::InkRows;
using PlanoraTest::MakeItem;
using PlanoraTest::White;

namespace {

constexpr TAlphaColor kFill = 0xFF3070D0;
const QColor kFillColor(0x30, 0x70, 0xD0);
constexpr double kPx = 96 / 25.4;  // pixels per millimetre

// The box of every test: 10..110 mm across, 10..70 mm down.
constexpr std::int64_t kL = 10000, kT = 10000, kR = 110000, kB = 70000;
QPointF At(double u, double v) { return {(10 + 100 * u) * kPx, (10 + 60 * v) * kPx}; }
QPoint Pixel(double u, double v) {
  const QPointF p = At(u, v);
  return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}
bool WhiteAt(const QImage& img, double u, double v) { return White(img, Pixel(u, v).x(), Pixel(u, v).y()); }

// Terminator 0 … End 14.
std::vector<TORVFlowType> Shapes() {
  std::vector<TORVFlowType> all;
  for (int i = 0; i <= int(TORVFlowType::End); ++i) all.push_back(TORVFlowType(i));
  return all;
}

TPLNFlow* Box(TPLNBaseLabel& doc, TORVFlowType type, const QString& text = {}, std::int64_t k = 1) {
  auto* f = MakeItem<TPLNFlow>(doc, {{kL * k, kT * k}, {kR * k, kB * k}});
  f->SetFlowType(type);
  f->SetBackColor(kFill);
  f->SetColor(0xFF000000);
  f->SetPenWidth(500);
  f->SetText(text);
  return f;
}
// On white without a pen only the text inks.
TPLNFlow* TextBox(TPLNBaseLabel& doc, TORVFlowType type, const QString& text = {}) {
  TPLNFlow* f = Box(doc, type, text);
  f->SetBackColor(0xFFFFFFFF);
  f->SetPenWidth(0);
  return f;
}

// Draw or Print onto white at 96 dpi, the drawing at 1:scale.
QImage Render(TPLNBaseItem* item, bool print, std::int64_t scale = 1) {
  QImage img(QSize(500, 320), QImage::Format_ARGB32);
  img.fill(Qt::white);
  QPainter painter(&img);
  TQPainterCanvas canvas(&painter);
  TPLNDraw d;
  d.SetResolution(96, 96, scale);
  d.SetStandardWidths();
  d.kC = &canvas;
  d.pC = &canvas;
  d.DrawState = print ? TORVDrawState::Printing : TORVDrawState::Export;
  print ? item->Print(&d) : item->Draw(&d);
  painter.end();
  return img;
}

const char* Where(bool print) { return print ? "paper" : "screen"; }

// Points of the box (fractions of its width and height) that each outline covers, or leaves
// white: corners cut off, notches, the waves of a sheet's lower edge.
struct TProbe {
  double U, V;
  bool Inside;
};
std::vector<TProbe> Probes(TORVFlowType type) {
  switch (type) {
    case TORVFlowType::Terminator: return {{0.02, 0.03, false}, {0.98, 0.97, false}, {0.5, 0.03, true}, {0.03, 0.5, true}};
    case TORVFlowType::Process: return {{0.02, 0.03, true}, {0.98, 0.97, true}, {0.98, 0.03, true}};
    // The lower edge dips below the box on the left and rises into it on the right.
    case TORVFlowType::Document: return {{0.02, 0.03, true}, {0.25, 1.04, true}, {0.75, 0.96, false}};
    // Sheets behind stand out above and to the right of the front one.
    case TORVFlowType::MultiDocument:
      return {{0.01, 0.01, false}, {0.98, 0.02, true}, {0.98, 0.99, false}, {0.02, 0.97, true}};
    case TORVFlowType::Decision: return {{0.02, 0.03, false}, {0.98, 0.97, false}, {0.5, 0.06, true}, {0.04, 0.5, true}};
    case TORVFlowType::Data:
      return {{0.02, 0.03, false}, {0.98, 0.97, false}, {0.98, 0.03, true}, {0.02, 0.97, true}};
    case TORVFlowType::Database: return {{0.01, 0.01, false}, {0.99, 0.99, false}, {0.5, 0.02, true}, {0.5, 0.98, true}};
    case TORVFlowType::Predefined: return {{0.02, 0.03, true}, {0.98, 0.97, true}};
    case TORVFlowType::ManualInput: return {{0.02, 0.03, false}, {0.98, 0.03, true}, {0.02, 0.97, true}};
    case TORVFlowType::ManualOperation:
      return {{0.02, 0.97, false}, {0.98, 0.97, false}, {0.02, 0.03, true}, {0.98, 0.03, true}};
    case TORVFlowType::Preparation: return {{0.02, 0.03, false}, {0.98, 0.97, false}, {0.03, 0.5, true}, {0.5, 0.03, true}};
    case TORVFlowType::Ellipse: return {{0.02, 0.03, false}, {0.98, 0.97, false}, {0.5, 0.03, true}, {0.02, 0.5, true}};
    case TORVFlowType::Start:
      return {{0.02, 0.03, false}, {0.98, 0.03, false}, {0.02, 0.97, false}, {0.05, 0.5, true}, {0.98, 0.5, true}};
    case TORVFlowType::Step: return {{0.02, 0.03, true}, {0.02, 0.5, false}, {0.98, 0.03, false}, {0.98, 0.5, true}};
    case TORVFlowType::End: return {{0.02, 0.03, true}, {0.02, 0.5, false}, {0.98, 0.03, false}, {0.95, 0.5, true}};
  }
  return {};
}

// Glyph ink: darker than the fill.
bool TextInk(const QImage& img, int x, int y) { return Gray(img, x, y) < 60; }

// Pixels that are clearly one thing (white, the fill, or ink) in one image and clearly another
// in the other; anti-aliased edges count for neither.
int Disagreements(const QImage& a, const QImage& b) {
  auto kind = [](const QImage& img, int x, int y) {
    if (White(img, x, y)) return 1;
    if (Dark(img, x, y)) return 2;
    return ColorAt(img, QPoint(x, y), kFillColor, 12) ? 3 : 0;
  };
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const int ka = kind(a, x, y), kb = kind(b, x, y);
      n += ka && kb && ka != kb;
    }
  return n;
}

// The share of 6-pixel cells holding ink in either image that hold it in both.
double SharedInk(const QImage& a, const QImage& b) {
  int both = 0, either = 0;
  for (int y = 0; y < a.height(); y += 6)
    for (int x = 0; x < a.width(); x += 6) {
      const bool ia = InkInRect(a, QRect(x, y, 6, 6)), ib = InkInRect(b, QRect(x, y, 6, 6));
      both += ia && ib;
      either += ia || ib;
    }
  return either ? double(both) / either : 0;
}

// Text in the middle of its shape: of the box, or, where an edge takes room from it (the wavy
// foot of a document, the slanted top of a manual input), of what that edge leaves.
void ExpectCentredIn(TORVFlowType type, double inkMiddle, double boxMiddle) {
  if (type == TORVFlowType::Document) {
    EXPECT_LT(inkMiddle, boxMiddle - 4);
    EXPECT_GT(inkMiddle, boxMiddle - 20);
  } else if (type == TORVFlowType::ManualInput) {
    EXPECT_GT(inkMiddle, boxMiddle + 4);
    EXPECT_LT(inkMiddle, boxMiddle + 20);
  } else {
    EXPECT_NEAR(inkMiddle, boxMiddle, 6);
  }
}

}  // namespace

// Every outline covers its own shape, and what the screen shows is what prints.
TEST(FlowItem, EachOutlineCoversItsShapeTheSameOnScreenAndPaper) {
  TPLNBaseLabel doc;
  for (TORVFlowType type : Shapes()) {
    SCOPED_TRACE(int(type));
    TPLNFlow* f = Box(doc, type);
    f->SetPenWidth(700);
    const QImage screen = Render(f, false), paper = Render(f, true);
    for (const QImage* img : {&screen, &paper}) {
      SCOPED_TRACE(Where(img == &paper));
      EXPECT_TRUE(ColorAt(*img, Pixel(0.5, 0.5), kFillColor));
      for (const TProbe& p : Probes(type)) {
        SCOPED_TRACE(testing::Message() << "at " << p.U << ", " << p.V);
        if (p.Inside) EXPECT_TRUE(ColorAt(*img, Pixel(p.U, p.V), kFillColor));
        else EXPECT_TRUE(WhiteAt(*img, p.U, p.V));
      }
    }
    EXPECT_LT(Disagreements(screen, paper), 100 * kPx * 60 * kPx * 0.002);
  }
}

TEST(FlowItem, FillAndPenEachOnlyWhenTheyShow) {
  TPLNBaseLabel doc;
  TPLNFlow* f = Box(doc, TORVFlowType::Decision);
  TPLNFlow* p = Box(doc, TORVFlowType::Predefined);
  TPLNFlow* odd = Box(doc, static_cast<TORVFlowType>(20), QStringLiteral("Odd"));
  const QPoint edge = Pixel(0.75, 0.25);   // on the upper-right side of the diamond
  const QPoint inner = Pixel(1 / 15.0, 0.5);  // on the left inner line of "Predefined"
  for (bool print : {false, true}) {
    SCOPED_TRACE(Where(print));
    // Filled without a pen: the diamond alone, its side no darker than its fill.
    f->SetPenWidth(0);
    QImage img = Render(f, print);
    EXPECT_TRUE(ColorAt(img, Pixel(0.5, 0.5), kFillColor));
    EXPECT_FALSE(DarkNear(img, edge.x(), edge.y(), 2));
    // With a pen the outline is drawn over the fill.
    f->SetPenWidth(1000);
    img = Render(f, print);
    EXPECT_TRUE(DarkNear(img, edge.x(), edge.y(), 1));
    EXPECT_TRUE(ColorAt(img, Pixel(0.5, 0.5), kFillColor));
    // Not filled, or the fill hidden: the outline alone.
    f->SetFilled(false);
    img = Render(f, print);
    EXPECT_TRUE(WhiteAt(img, 0.5, 0.5));
    EXPECT_TRUE(DarkNear(img, edge.x(), edge.y(), 1));
    f->SetFilled(true);
    f->SetAlpha(false);
    EXPECT_TRUE(WhiteAt(Render(f, print), 0.5, 0.5));
    f->SetAlpha(true);
    // Neither: nothing at all.
    f->SetFilled(false);
    f->SetPenWidth(0);
    EXPECT_EQ(Ink(Render(f, print)), 0);
    f->SetFilled(true);

    // "Predefined" has its two inner lines with the outline, never without a pen.
    p->SetPenWidth(500);
    EXPECT_TRUE(DarkNear(Render(p, print), inner.x(), inner.y(), 1));
    p->SetPenWidth(0);
    img = Render(p, print);
    EXPECT_FALSE(DarkNear(img, inner.x(), inner.y(), 2));
    EXPECT_TRUE(ColorAt(img, inner, kFillColor));

    // A shape beyond the fifteen draws no outline and no fill, but its text.
    img = Render(odd, print);
    EXPECT_TRUE(WhiteAt(img, 0.02, 0.03));
    EXPECT_FALSE(InkInRect(img, QRect(Pixel(0, 0), Pixel(0.3, 0.3))));
    EXPECT_TRUE(InkInRect(img, QRect(Pixel(0.35, 0.35), Pixel(0.65, 0.65))));
  }
}

TEST(FlowItem, DashedOutlineOnScreenAndPaper) {
  TPLNBaseLabel doc;
  TPLNFlow* f = Box(doc, TORVFlowType::Process);
  f->SetFilled(false);
  // The share of the top side's length that carries ink.
  auto inked = [](const QImage& img) {
    const QPoint a = Pixel(0.1, 0), b = Pixel(0.9, 0);
    int n = 0;
    for (int x = a.x(); x <= b.x(); ++x) n += InkInRect(img, QRect(x, a.y() - 2, 1, 5));
    return double(n) / (b.x() - a.x() + 1);
  };
  for (bool print : {false, true}) {
    SCOPED_TRACE(Where(print));
    f->SetLineType(0);
    EXPECT_GT(inked(Render(f, print)), 0.97);
    f->SetLineType(5);  // 2 mm dashes, 2 mm gaps
    const double dashed = inked(Render(f, print));
    EXPECT_GT(dashed, 0.3);
    EXPECT_LT(dashed, 0.7);
  }
}

TEST(FlowItem, CornersInAnyOrderDrawTheSame) {
  TPLNBaseLabel doc;
  for (TORVFlowType type : {TORVFlowType::Data, TORVFlowType::Document, TORVFlowType::End}) {
    SCOPED_TRACE(int(type));
    TPLNFlow* f = Box(doc, type, QStringLiteral("Slanted text\rtwo lines"));
    for (bool print : {false, true}) {
      SCOPED_TRACE(Where(print));
      f->AssignPoints({TORVPto{kL, kT}, TORVPto{kR, kB}});
      const QImage base = Render(f, print);
      for (auto pts : {std::pair<TORVPto, TORVPto>{{kR, kB}, {kL, kT}}, {{kR, kT}, {kL, kB}}, {{kL, kB}, {kR, kT}}}) {
        f->AssignPoints({pts.first, pts.second});
        EXPECT_TRUE(Render(f, print) == base);
      }
    }
  }
}

// The text sits inside its shape, its block centred in the height, in the same place on screen
// and on paper; an empty text draws nothing.
TEST(FlowItem, TextInsideTheShapeCentredAndTheSameOnPaper) {
  TPLNBaseLabel doc;
  const QPointF centre = At(0.5, 0.5);
  for (TORVFlowType type : Shapes()) {
    SCOPED_TRACE(int(type));
    TPLNFlow* f = TextBox(doc, type);
    QImage shown[2];
    for (bool print : {false, true}) {
      SCOPED_TRACE(Where(print));
      f->SetText({});
      EXPECT_EQ(Ink(Render(f, print)), 0);
      f->SetText(QStringLiteral("Flow"));
      QImage img = Render(f, print);
      auto [top, bottom] = InkRows(img);
      ASSERT_GE(top, 0);
      // The line's box is centred: its glyphs above the baseline sit a little higher.
      ExpectCentredIn(type, (top + bottom) / 2.0, centre.y());
      auto [left, right] = InkColumns(img);
      if (type != TORVFlowType::MultiDocument && type != TORVFlowType::Data && type != TORVFlowType::Step &&
          type != TORVFlowType::End) {
        EXPECT_NEAR((left + right) / 2.0, centre.x(), 4);
      }
      EXPECT_GT(left, At(0, 0).x());
      EXPECT_LT(right, At(1, 1).x());

      // Several lines: a block centred as a whole.
      f->SetText(QStringLiteral("one\rtwo\rthree"));
      shown[print] = Render(f, print);
      std::tie(top, bottom) = InkRows(shown[print]);
      EXPECT_GT(bottom - top, 3 * 4 * kPx * 0.6);
      ExpectCentredIn(type, (top + bottom) / 2.0, centre.y());
    }
    EXPECT_GT(SharedInk(shown[0], shown[1]), 0.8);
  }
}

// Lines follow round outlines: all the ink of a long text stays inside an ellipse and a diamond.
TEST(FlowItem, LongTextStaysInsideRoundShapes) {
  TPLNBaseLabel doc;
  const QPointF c = At(0.5, 0.5);
  const double rx = 50 * kPx, ry = 30 * kPx;
  for (TORVFlowType type : {TORVFlowType::Ellipse, TORVFlowType::Decision}) {
    SCOPED_TRACE(int(type));
    TPLNFlow* f =
        TextBox(doc, type, QStringLiteral("A flow chart box holds as many words as fit inside its outline and no more"));
    f->SetFontHeight(3);
    for (bool print : {false, true}) {
      SCOPED_TRACE(Where(print));
      const QImage img = Render(f, print);
      int inked = 0;
      double worst = 0;
      for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
          if (Gray(img, x, y) >= 160) continue;
          ++inked;
          const double dx = std::abs(x + 0.5 - c.x()) / rx, dy = std::abs(y + 0.5 - c.y()) / ry;
          worst = std::max(worst, type == TORVFlowType::Ellipse ? std::hypot(dx, dy) : dx + dy);
        }
      EXPECT_GT(inked, 200);
      EXPECT_LE(worst, 1.0);
    }
  }
}

TEST(FlowItem, BreaksNeverReachTheCanvasAndUnderlineAndStrikeoutShow) {
  PlanoraTest::RecordingContext c;
  auto* f = MakeItem<TPLNFlow>(c.doc, {{0, 0}, {80000, 50000}});
  f->SetText(QStringLiteral("one\r\ntwo\rthree"));
  for (bool print : {false, true}) {
    c.Redraw(f, print);
    std::vector<QString> shown;
    for (const TRecordedOp& op : c.canvas.OpsNamed(print ? "P.FillText" : "DrawSimpleText")) shown.push_back(op.Text);
    EXPECT_EQ(shown, (std::vector<QString>{"one", "two", "three"})) << Where(print);
  }
  // A strikeout line each, solid even after a dashed outline or an item that left no stroke.
  f->SetStrikeout(true);
  f->SetLineType(5);
  for (bool penless : {false, true}) {
    SCOPED_TRACE(penless ? "no pen" : "dashed pen");
    if (penless) {
      f->SetPenWidth(0);
      c.canvas.Stroke.Kind = TBrushKind::None;
    }
    c.Redraw(f, true);
    ASSERT_EQ(c.canvas.Count("P.DrawLine"), 3);
    for (const TRecordedOp& op : c.canvas.OpsNamed("P.DrawLine")) {
      EXPECT_EQ(op.Stroke.Dash, TStrokeDash::Solid);
      EXPECT_EQ(op.Stroke.Kind, TBrushKind::Solid);
    }
  }

  // Underline runs along the foot of the line, strikeout through its middle; a wrapped line's
  // rules end at its last word, never running on under the space it broke at.
  TPLNBaseLabel doc;
  TPLNFlow* g = TextBox(doc, TORVFlowType::Process, QStringLiteral("Wide text"));
  g->SetFontHeight(8);
  auto* narrow = MakeItem<TPLNFlow>(doc, {{kL, kT}, {kL + 30000, kB}});
  narrow->SetText(QStringLiteral("Wide text"));
  narrow->SetFontHeight(8);
  narrow->SetPenWidth(0);
  narrow->SetBackColor(0xFFFFFFFF);
  ASSERT_EQ(narrow->Lines().size(), 2u);
  // The rows where a line runs across (almost) the whole text, as a share of its height.
  auto rules = [](const QImage& img) {
    const auto [top, bottom] = InkRows(img);
    const auto [left, right] = InkColumns(img);
    std::vector<double> at;
    for (int y = top; y <= bottom; ++y) {
      int best = 0, run = 0;
      for (int x = 0; x < img.width(); ++x) best = std::max(best, run = TextInk(img, x, y) ? run + 1 : 0);
      if (best >= 0.9 * (right - left)) at.push_back(double(y - top) / (bottom - top));
    }
    return at;
  };
  // The right-most ink of the first line's rows.
  auto firstLineEnd = [](const QImage& img) {
    const auto [top, bottom] = InkRows(img);
    int right = -1;
    for (int y = top; y < (top + bottom) / 2; ++y)
      for (int x = 0; x < img.width(); ++x)
        if (Gray(img, x, y) < 160) right = std::max(right, x);
    return right;
  };
  for (bool print : {false, true}) {
    SCOPED_TRACE(Where(print));
    EXPECT_TRUE(rules(Render(g, print)).empty());
    g->SetUnderline(true);
    std::vector<double> at = rules(Render(g, print));
    ASSERT_FALSE(at.empty());
    EXPECT_GT(at.front(), 0.7);
    g->SetUnderline(false);
    g->SetStrikeout(true);
    at = rules(Render(g, print));
    ASSERT_FALSE(at.empty());
    EXPECT_GT(at.front(), 0.3);
    EXPECT_LT(at.back(), 0.8);
    g->SetStrikeout(false);

    narrow->SetUnderline(false);
    narrow->SetStrikeout(false);
    const int plain = firstLineEnd(Render(narrow, print));
    narrow->SetUnderline(true);
    narrow->SetStrikeout(true);
    EXPECT_LE(firstLineEnd(Render(narrow, print)), plain + 2);
  }
}

// Text sizes are paper millimetres: a drawing at 1:10 shows the same text in the same place of
// a box that is as large on paper. A font that cannot be found, or a box too small for its
// paddings, leaves the shape without text and never fails the drawing.
TEST(FlowItem, TextOnPaperScaleAndWithoutFont) {
  TPLNBaseLabel paper, scaled;
  TPLNMeasure m = scaled.Measure();
  m.DrawScale = 10;
  scaled.SetMeasure(m);
  TPLNFlow* a = Box(paper, TORVFlowType::Ellipse, QStringLiteral("Same size\ron paper"));
  TPLNFlow* b = Box(scaled, TORVFlowType::Ellipse, QStringLiteral("Same size\ron paper"), 10);
  for (bool print : {false, true}) {
    SCOPED_TRACE(Where(print));
    const QImage one = Render(a, print), ten = Render(b, print, 10);
    EXPECT_EQ(InkRows(one), InkRows(ten));
    EXPECT_EQ(InkColumns(one), InkColumns(ten));
    EXPECT_LT(Disagreements(one, ten), 20);
  }

  TPLNFlow* f = Box(paper, TORVFlowType::Process, QStringLiteral("Text"));
  f->SetFontName(QStringLiteral("No Such Font Family 42"));
  EXPECT_TRUE(f->Lines().empty());
  for (bool print : {false, true}) {
    const QImage img = Render(f, print);
    EXPECT_TRUE(ColorAt(img, Pixel(0.5, 0.5), kFillColor));
    bool text = false;
    for (int y = Pixel(0.3, 0.3).y(); y <= Pixel(0.7, 0.7).y(); ++y)
      for (int x = Pixel(0.3, 0.3).x(); x <= Pixel(0.7, 0.7).x(); ++x) text = text || TextInk(img, x, y);
    EXPECT_FALSE(text);
  }
  f->SetFontName(QStringLiteral("DejaVu Sans"));
  EXPECT_FALSE(f->Lines().empty());
  f->AssignPoints({TORVPto{kL, kT}, TORVPto{kL + 2500, kB}});  // narrower than its two paddings
  EXPECT_TRUE(f->Lines().empty());
  f->AssignPoints({TORVPto{kL, kT}, TORVPto{kR, kT}});  // no height at all
  EXPECT_TRUE(f->Lines().empty());
  // Drawn, it is the flat box's line and nothing more.
  for (bool print : {false, true}) {
    const auto [top, bottom] = InkRows(Render(f, print));
    EXPECT_GE(top, Pixel(0, 0).y() - 2);
    EXPECT_LE(bottom, Pixel(0, 0).y() + 2);
  }
}
