// What arrow lines and dimensions draw on screen and on paper, their captions, and their records.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonArray>
#include <QLocale>
#include <cmath>
#include <numbers>
#include <set>

#include "ORV.Canvas.Recording.h"
#include "ORV.FMX.h"
#include "ORV.FMX.Shared.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using Orv::Line::TORDimType;
using Orv::Line::TORVTextPos;

namespace {
constexpr double kPi = std::numbers::pi;

// A document and a recording context at 254 dpi: 1 mm is 10 pixels, 100 base units 1 pixel.
struct Ctx {
  TPlanoraFMX doc;
  TRecordingCanvas canvas;
  TPLNDraw d;
  Ctx() {
    d.SetResolution(254, 254);
    d.SetStandardWidths();
    d.kC = &canvas;
    d.pC = &canvas;
  }
  std::vector<TRecordedOp> Draw(TPLNBaseItem* item) {
    canvas.Clear();
    item->Draw(&d);
    return canvas.Ops;
  }
  std::vector<TRecordedOp> Print(TPLNBaseItem* item) {
    canvas.Clear();
    item->Print(&d);
    return canvas.Ops;
  }
  int Count(const char* name) const { return canvas.Count(name); }
  // A drawing at 1:scale, drawn at the same scale.
  explicit Ctx(std::int64_t scale) : Ctx() {
    TPLNMeasure m = doc.Measure();
    m.DrawScale = scale;
    doc.SetMeasure(m);
    d.SetResolution(254, 254, scale);
  }
};

TPLNArrowLine* Arrow(Ctx& c, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  return static_cast<TPLNArrowLine*>(TPLNFactory::AddBaseArrowLine(&c.doc, x1, y1, x2, y2));
}
TPLNDim* Dim(TPLNBaseItem* item) { return static_cast<TPLNDim*>(item); }

template <class T>
T* FromBinary(TPLNBaseLabel* owner, QByteArray bytes, TORVReadType type = TORVReadType::File) {
  QBuffer buf(&bytes);
  buf.open(QIODevice::ReadOnly);
  TBinaryReader r(&buf);
  return T::Read(owner, kFileVersion, r, type);
}

}  // namespace

TEST(ArrowLine, CaptionPositionsSplitTheLine) {
  Ctx c;
  TPLNArrowLine* a = Arrow(c, 10000, 20000, 90000, 20000);
  a->ToType = 4;

  // No caption: one segment, and stale caption points do not count for the extent.
  a->SetBase(3, 10000, -50000);
  c.Draw(a);
  EXPECT_EQ(c.Count("DrawLine"), 1);
  EXPECT_EQ(c.Count("DrawSimpleText"), 0);
  TORVBounds fit;
  a->CheckFit(fit);
  EXPECT_EQ(fit.Y1, 20000 - 125);
  EXPECT_EQ(fit.Y2, 20000 + 125);

  // Above: the line stays whole and the box lies above it.
  a->SetText(QStringLiteral("Planora"));
  c.Draw(a);
  EXPECT_EQ(c.Count("DrawLine"), 1);
  EXPECT_EQ(c.Count("DrawSimpleText"), 1);
  EXPECT_EQ(c.Count("Rotate"), 0) << "an upright caption is drawn without a turn";
  EXPECT_LT(a->GetPoint(4).Y, 20000);

  // Inside the line: two segments that stop at the caption box, with the text between them.
  a->SetTextPos(TORVTextPos::MiddleRemove);
  const auto ops = c.Draw(a);
  const auto lines = c.canvas.OpsNamed("DrawLine");
  ASSERT_EQ(lines.size(), 2u);
  const double gapFrom = lines[0].Args[2], gapTo = lines[1].Args[0];
  EXPECT_DOUBLE_EQ(lines[0].Args[0], 100);
  EXPECT_DOUBLE_EQ(lines[1].Args[2], 900);
  EXPECT_GT(gapFrom, 100);
  EXPECT_LT(gapFrom, gapTo);
  EXPECT_LT(gapTo, 900);
  EXPECT_NEAR((gapFrom + gapTo) / 2, 500, 1);
  const TRecordedOp text = c.canvas.OpsNamed("DrawSimpleText").at(0);
  const float drawnWidth = text.Font.MeasureText(text.Text);
  EXPECT_GT(gapTo - gapFrom, drawnWidth) << "the text fits into the interruption";
  EXPECT_EQ(ops.front().Name, "Save") << "the caption comes first, the line over it";

  // A slanted line turns the caption with it; Vertical reads upwards whatever the line.
  a->AssignPoints({TORVPto{10000, 10000}, TORVPto{90000, 90000}});
  c.Draw(a);
  ASSERT_EQ(c.Count("Rotate"), 1);
  EXPECT_NEAR(c.canvas.OpsNamed("Rotate")[0].Args[0], 45, 1e-3);
  a->SetTextPos(TORVTextPos::Vertical);
  c.Draw(a);
  EXPECT_NEAR(c.canvas.OpsNamed("Rotate").at(0).Args[0], -90, 1e-3);

  // A font that cannot be made: the line is drawn whole and nothing raises.
  a->SetFontName(QStringLiteral("No Such Font Planora"));
  EXPECT_NO_THROW(c.Draw(a));
  EXPECT_EQ(c.Count("DrawLine"), 1);
  EXPECT_EQ(c.Count("DrawSimpleText"), 0);
  EXPECT_NO_THROW(c.Print(a));
  EXPECT_EQ(c.Count("P.FillText"), 0);
}

// Export fitted to the drawing and the selection frame use the bounds: the caption's ink lies
// inside them wherever it sits, on a level line and a slanted one.
TEST(ArrowLine, BoundsHoldTheCaptionWhereverItSits) {
  Ctx c;
  for (const TORVPto end : {TORVPto{70000, 20000}, TORVPto{60000, 45000}}) {
    TPLNArrowLine* a = Arrow(c, 10000, 20000, end.X, end.Y);
    a->FromType = 0;  // barbs spread beyond the line's width; only the caption matters here
    a->ToType = 0;
    a->SetText(QStringLiteral("Quality gJ"));
    for (int pos = 0; pos < 6; ++pos) {
      SCOPED_TRACE(testing::Message() << "end " << end.X << " position " << pos);
      a->SetTextPos(TORVTextPos(pos));
      const QImage img = PlanoraTest::RenderItem(a, false, TORVDrawState::Editor, {800, 600}, 254);
      TORVBounds b;
      a->CheckFit(b);
      const auto rows = PlanoraTest::InkRows(img), cols = PlanoraTest::InkColumns(img);
      // 100 base units a pixel; a pixel of anti-aliasing either side.
      EXPECT_GE(cols.first, b.X1 / 100 - 1);
      EXPECT_LE(cols.second, b.X2 / 100 + 1);
      EXPECT_GE(rows.first, b.Y1 / 100 - 1);
      EXPECT_LE(rows.second, b.Y2 / 100 + 1);
    }
  }
}

TEST(ArrowLine, PaperUnderlinesAndSkipsMissingEnds) {
  Ctx c;
  TPLNArrowLine* a = Arrow(c, 10000, 20000, 90000, 20000);
  a->SetText(QStringLiteral("Note"));
  a->SetUnderline(true);
  a->FromType = 0;
  a->ToType = 4;

  c.Draw(a);
  ASSERT_EQ(c.Count("DrawSimpleText"), 1);
  EXPECT_FALSE(c.canvas.OpsNamed("DrawSimpleText")[0].Font.Underline);

  const QTransform before = c.canvas.GetMatrix();
  c.Print(a);
  EXPECT_EQ(c.Count("P.DrawLine"), 1);
  EXPECT_EQ(c.Count("P.FillPath"), 1) << "only the end with a terminator";
  const auto text = c.canvas.OpsNamed("P.FillText");
  ASSERT_EQ(text.size(), 1u);
  EXPECT_TRUE(text[0].Font.Underline);
  EXPECT_EQ(text[0].Matrix.m11(), 1) << "upright";
  // Starts left of the line's middle (100..900 px) and sits above the line (200 px).
  EXPECT_GT(text[0].Matrix.dx(), 100);
  EXPECT_LT(text[0].Matrix.dx(), 500);
  EXPECT_LT(text[0].Matrix.dy(), 200);
  EXPECT_EQ(c.canvas.GetMatrix(), before) << "the page matrix is back";
}

TEST(Dim, EachKindDrawsItsLinesAndHeads) {
  Ctx c;
  auto draw = [&c](TPLNBaseItem* item) {
    c.Draw(item);
    // A filled arrow head is one path filled and the same path outlined.
    return std::pair{c.Count("DrawLine"), c.Count("DrawPath") / 2};
  };
  TPLNDim* h = Dim(TPLNFactory::AddBaseDim(&c.doc, 10000, 20000, 50000, 20000, 30000, 5000));
  EXPECT_EQ(draw(h), (std::pair{3, 2}));
  EXPECT_EQ(c.Count("DrawSimpleText"), 1);
  EXPECT_FALSE(c.canvas.OpsNamed("DrawLine")[0].Paint.AntiAlias) << "a horizontal measurement stays crisp";
  h->SetDimExt(false);
  EXPECT_EQ(draw(h), (std::pair{1, 2}));

  // A caption inside the dimension line splits it at the caption box.
  c.doc.GetActiveDimStyle()->TextPos = TORVTextPos::MiddleRemove;
  c.doc.CalcDimValues();
  EXPECT_EQ(draw(h), (std::pair{2, 2}));
  const auto seg = c.canvas.OpsNamed("DrawLine");
  EXPECT_DOUBLE_EQ(seg[0].Args[0], 100);
  EXPECT_DOUBLE_EQ(seg[1].Args[2], 500);
  EXPECT_LT(seg[0].Args[2], seg[1].Args[0]);

  TPLNDim* slanted = Dim(TPLNFactory::AddBaseDim(&c.doc, 10000, 20000, 50000, 30000, 40000, 20000));
  draw(slanted);
  EXPECT_TRUE(c.canvas.OpsNamed("DrawLine")[0].Paint.AntiAlias);

  // Radius and diameter lines (drawn outside: the shelf) are broken around such a caption too,
  // besides the other line each draws (the shelf; drawn outside: the leader).
  EXPECT_EQ(draw(TPLNFactory::AddBaseDimRadial1(&c.doc, 50000, 50000, 20000, 0)), (std::pair{3, 1}));
  EXPECT_EQ(draw(TPLNFactory::AddBaseDimRadial2(&c.doc, 50000, 50000, 20000, 0)), (std::pair{3, 1}));
  EXPECT_EQ(draw(TPLNFactory::AddBaseDimDiameter1(&c.doc, 50000, 50000, 20000, 0)), (std::pair{3, 2}));
  EXPECT_EQ(draw(TPLNFactory::AddBaseDimDiameter2(&c.doc, 50000, 50000, 20000, 0)), (std::pair{3, 1}));

  // An angle: the arc from 0 to 90 degrees clockwise, heads at both ends pointing away from it.
  TPLNDim* a = Dim(TPLNFactory::AddBaseDimAngle(&c.doc, {0, 0, 10000, 0, 0, 0, 0, 10000, 5000, 5000}));
  EXPECT_EQ(draw(a), (std::pair{0, 2}));
  const auto arc = c.canvas.OpsNamed("DrawArc");
  ASSERT_EQ(arc.size(), 1u);
  EXPECT_TRUE(arc[0].Paint.AntiAlias) << "an arc is smoothed even when an arm runs along an axis";
  EXPECT_NEAR(arc[0].Args[0], 0, 0.01);
  EXPECT_NEAR(arc[0].Args[1], 90, 0.01);
  const QRectF head = c.canvas.OpsNamed("DrawPath")[0].Path.boundingRect();
  EXPECT_GT(head.top(), -0.5) << "the head at the arc's start lies along the arc below its tip";
  EXPECT_GT(head.bottom(), 5);

  // Three points in a line: no arc, no heads, the caption beyond point 7 as seen from point 8.
  auto* flat = new TPLNDim(&c.doc, TORDimType::Angle, false);
  flat->AssignPoints({TORVPto{}, TORVPto{}, TORVPto{}, TORVPto{}, TORVPto{0, 0}, TORVPto{20000, 0},
                      TORVPto{10000, 0}, TORVPto{10000, 10000}});
  EXPECT_EQ(draw(flat), (std::pair{0, 0}));
  EXPECT_EQ(c.Count("DrawArc"), 0);
  EXPECT_EQ(c.Count("DrawSimpleText"), 1);
  const TORVPto b9 = flat->GetPoint(9), b10 = flat->GetPoint(10);
  EXPECT_NEAR((b9.X + b10.X) / 2.0, 10000, 1);
  EXPECT_LT(b10.Y, 0) << "the box stays clear of point 7";

  // Paper: the same figure.
  c.Print(h);
  EXPECT_EQ(c.Count("P.DrawLine"), 2);
  EXPECT_EQ(c.Count("P.FillPath"), 2);
  EXPECT_EQ(c.Count("P.FillText"), 1);
  c.Print(a);
  EXPECT_EQ(c.Count("P.DrawArc"), 1);
  EXPECT_EQ(c.Count("P.FillPath"), 2);
}

TEST(Dim, CaptionsOfAScaledDrawingShowRealLengths) {
  Ctx paper, scaled(10);
  TPLNDim* p = Dim(TPLNFactory::AddDim(&paper.doc, 0, 0, 500, 0, 250, -30));
  TPLNDim* s = Dim(TPLNFactory::AddDim(&scaled.doc, 0, 0, 500, 0, 250, -30));
  EXPECT_EQ(p->GetCaption(), QStringLiteral("500"));
  EXPECT_EQ(s->GetCaption(), QStringLiteral("500"));
  // Text and extension overshoot are sizes on paper: ten times as long among 1:10 coordinates.
  const double wPaper = double(p->GetPoint(10).X - p->GetPoint(9).X);
  const double wScaled = double(s->GetPoint(10).X - s->GetPoint(9).X);
  EXPECT_GT(wPaper, 1000);
  EXPECT_NEAR(wScaled / wPaper, 10, 0.1);
  EXPECT_EQ(s->GetPoint(7).Y, -30000 - 20000);

  // A style change reaches the captions once the document recomputes them.
  Line::TPLNDimStyle* style = scaled.doc.GetActiveDimStyle();
  style->Prefix = QStringLiteral("L=");
  style->Format = QStringLiteral("0.0");
  style->Units = static_cast<std::int8_t>(TORVUnits::cm);
  EXPECT_EQ(s->GetCaption(), QStringLiteral("500"));
  scaled.doc.CalcDimValues();
  EXPECT_EQ(s->GetCaption(), QStringLiteral("L=50.0"));
  // The user's text, with the measurement where it asks for it.
  s->SetTextMeasure(false);
  s->SetText(QStringLiteral("<> typ."));
  EXPECT_EQ(s->GetCaption(), QStringLiteral("L=50.0 typ."));
}

TEST(Dim, NumbersIgnoreTheLocale) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  for (const auto& [value, format, decimals, want] :
       {std::tuple{1234.5, "#,##0.00", 0, "1,234.50"}, {12.5, "0.##", 0, "12.5"}, {12.001, "0.##", 0, "12"},
        {0.5, "#.##", 0, ".5"}, {-0.004, "0.##", 0, "0"}, {-2.0, "", 3, "-2.000"}})
    EXPECT_EQ(Line::FormatNumber(value, QString::fromLatin1(format), decimals), QString::fromLatin1(want)) << value;
  QLocale::setDefault(saved);
}

TEST(Dim, RecordsRoundTrip) {
  Ctx c;
  Line::TPLNDimStyle* second = c.doc.AddDimStyle(QStringLiteral("Fine"));
  second->FontName = QStringLiteral("Courier New");
  second->HeadType = 3;
  second->TextPos = TORVTextPos::Vertical;
  second->Prefix = QStringLiteral("~");
  second->DimColor = 0xFF0000FF;
  second->ExtSize = 1.5f;
  second->Units = 2;
  c.doc.SetActiveDimStyle(2);

  // Document data: the styles and the active one, binary and JSON.
  {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    TBinaryWriter w(&buf);
    c.doc.WriteData(w);
    buf.close();
    buf.open(QIODevice::ReadOnly);
    TBinaryReader r(&buf);
    TPlanoraFMX copy;
    copy.ReadData(r);
    ASSERT_EQ(copy.GetDimStylesCount(), 2);
    EXPECT_EQ(copy.GetActiveDimStyleIndex(), 2);
    EXPECT_TRUE(*copy.GetDimStyle(2) == *second);
    EXPECT_TRUE(*copy.GetDimStyle(1) == *c.doc.GetDimStyle(1));
  }
  TPlanoraFMX fromJson;
  fromJson.ReadJson(c.doc.GetDocumentJson());
  ASSERT_EQ(fromJson.GetDimStylesCount(), 2);
  EXPECT_EQ(fromJson.GetActiveDimStyleIndex(), 2);
  EXPECT_TRUE(*fromJson.GetDimStyle(2) == *second);
  QJsonObject bad = c.doc.GetDocumentJson();
  bad.insert(QStringLiteral("DimStyles"), QJsonArray{QJsonObject{{QStringLiteral("FontHeight"), 0}}});
  EXPECT_THROW(TPlanoraFMX().ReadJson(bad), EPLNError);

  // A dimension keeps its kind, style and text; into a document without its style only a paste
  // falls back to the active style.
  TPLNDim* dim = Dim(TPLNFactory::AddBaseDimAngle(&c.doc, {0, 0, 10000, 0, 0, 0, 0, 10000, 5000, 5000}));
  dim->SetText(QStringLiteral("<>!"));
  dim->SetTextMeasure(false);
  const QByteArray rec = PlanoraTest::Record(*dim);
  TPLNDim* back = FromBinary<TPLNDim>(&fromJson, rec);
  EXPECT_EQ(back->ToJson(), dim->ToJson());
  EXPECT_EQ(back->GetCaption(), dim->GetCaption());
  EXPECT_EQ(TPLNDim::ReadFromJson(&fromJson, kFileVersion, dim->ToJson())->ToJson(), dim->ToJson());
  TPlanoraFMX plain;
  EXPECT_THROW(FromBinary<TPLNDim>(&plain, rec), EPLNError);
  EXPECT_EQ(FromBinary<TPLNDim>(&plain, rec, TORVReadType::Paste)->GetDimStyleIndex(), 1);

  // An arrow line with every caption and terminator value.
  TPLNArrowLine* a = Arrow(c, 1000, 2000, 30000, 4000);
  a->SetText(QStringLiteral("Détail A"));
  a->SetTextPos(TORVTextPos::Horizontal);
  a->SetFontName(QStringLiteral("Times New Roman"));
  a->SetFontHeight(5.5f);
  a->SetFontColor(0xFF112233);
  a->SetBold(true);
  a->SetUnderline(true);
  a->FromType = 2;
  a->ToColor = 0xFF00FF00;
  a->SizeTo = 4.5f;
  TPLNArrowLine* ab = FromBinary<TPLNArrowLine>(&c.doc, PlanoraTest::Record(*a));
  EXPECT_EQ(ab->ToJson(), a->ToJson());
  EXPECT_EQ(ab->GetPoint(3), a->GetPoint(3)) << "the caption is laid out again after reading";
  EXPECT_EQ(TPLNArrowLine::ReadFromJson(&c.doc, kFileVersion, a->ToJson())->ToJson(), a->ToJson());
  QJsonObject wrong = a->ToJson();
  wrong.insert(QStringLiteral("TextPos"), 6);
  EXPECT_THROW(TPLNArrowLine::ReadFromJson(&c.doc, kFileVersion, wrong), EPLNError);
}

namespace {
double Dist(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }
double LineLength(const TRecordedOp& op) { return std::hypot(op.Args[2] - op.Args[0], op.Args[3] - op.Args[1]); }
}  // namespace

// Drawn outside, a radius or diameter has a leader of the head and the extension size (paper
// millimetres, so 50 px at 254 dpi whatever the scale), a shelf with the caption on it, and a
// head on the rim pointing at it from outside, on screen and on paper.
TEST(Dim, RadiusAndDiameterOutsideLeadToTheRim) {
  for (std::int64_t scale : {1, 10}) {
    SCOPED_TRACE(testing::Message() << "1:" << scale);
    Ctx c(scale);
    const std::int64_t r = 20000 * scale;  // 20 mm on paper, 200 px
    const TORVPto centre{50000 * scale, 50000 * scale};
    for (auto [make, angle] : {std::pair{&TPLNFactory::AddBaseDimRadial2, -kPi / 4},
                               std::pair{&TPLNFactory::AddBaseDimDiameter2, 3 * kPi / 4}}) {
      TPLNDim* dim = Dim(make(&c.doc, centre.X, centre.Y, r, angle));
      const QPointF cs = ScreenPos(c.d, centre), rim = ScreenPos(c.d, dim->GetPoint(2));
      c.Draw(dim);
      const auto lines = c.canvas.OpsNamed("DrawLine");
      ASSERT_EQ(lines.size(), 2u);
      EXPECT_NEAR(LineLength(lines[0]), 50, 1) << "the leader";
      EXPECT_GE(LineLength(lines[1]), 40) << "the shelf";
      EXPECT_DOUBLE_EQ(lines[1].Args[1], lines[1].Args[3]) << "the shelf is level";
      const QRectF head = c.canvas.OpsNamed("DrawPath").at(0).Path.boundingRect();
      EXPECT_GE(Dist(head.center(), cs), 200) << "the head stands outside the circle";
      EXPECT_LE(Dist(head.center(), rim), 20) << "with its tip on the rim";
      // The caption sits on the shelf, clear of the circle.
      const TORVPto b9 = dim->GetPoint(9), b10 = dim->GetPoint(10);
      EXPECT_LE(std::max(b9.Y, b10.Y), dim->GetPoint(3).Y);
      for (const TORVPto& corner : {b9, b10, TORVPto{b9.X, b10.Y}, TORVPto{b10.X, b9.Y}})
        EXPECT_GT(Dist(ScreenPos(c.d, corner), cs), 200);
      // Read back, it is laid out to the same points.
      EXPECT_EQ(TPLNDim::ReadFromJson(&c.doc, kFileVersion, dim->ToJson())->ToJson(), dim->ToJson());

      c.Print(dim);
      const auto paperHeads = c.canvas.OpsNamed("P.FillPath");
      ASSERT_EQ(paperHeads.size(), 1u);
      const QPointF pc = PrintPos(c.d, centre), prim = PrintPos(c.d, dim->GetPoint(2));
      const QRectF paperHead = paperHeads[0].Path.boundingRect();
      EXPECT_GE(Dist(paperHead.center(), pc), 200);
      EXPECT_LE(Dist(paperHead.center(), prim), 20);
    }
    // Drawn inside, the shelf is a length on paper too: 2 x 2 mm.
    TPLNDim* inside = Dim(TPLNFactory::AddBaseDimRadial1(&c.doc, centre.X, centre.Y, r, 0));
    c.Draw(inside);
    const auto lines = c.canvas.OpsNamed("DrawLine");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NEAR(LineLength(lines.back()), 40, 1);
  }
}

// An angle reads what its arms make, however close to the vertex its arc is drawn.
TEST(Dim, AngleValueComesFromItsArms) {
  Ctx c;
  TPLNDim* sixty = Dim(TPLNFactory::AddBaseDimAngle(&c.doc, {0, 0, 100000, 0, 0, 0, 50000, 86603, 17, 10}));
  EXPECT_EQ(sixty->GetCaption(), QStringLiteral("60°"));
  TPLNDim* obtuse = Dim(TPLNFactory::AddBaseDimAngle(&c.doc, {0, 0, 100000, 0, 0, 0, -70711, 70711, 9, 17}));
  EXPECT_EQ(obtuse->GetCaption(), QStringLiteral("135°"));
  // Arcs on the other side of the same lines measure the rest of the half turn.
  TPLNDim* acute = Dim(TPLNFactory::AddBaseDimAngle(&c.doc, {0, 0, 100000, 0, 0, 0, -70711, 70711, -19, -4}));
  EXPECT_EQ(acute->GetCaption(), QStringLiteral("45°"));
}

// Too short for its heads, a dimension sets them outside its ends pointing in; too short for its
// caption as well, the caption goes beside them. Long enough, everything stays between.
TEST(Dim, ShortDimensionsSetHeadsAndCaptionOutside) {
  for (std::int64_t scale : {1, 10}) {
    SCOPED_TRACE(testing::Message() << "1:" << scale);
    Ctx c(scale);
    const std::int64_t mm = 1000 * scale;  // a millimetre on paper, 10 px
    // Captions in paper millimetres at either scale: 4 mm reads "4".
    c.doc.GetActiveDimStyle()->Units = static_cast<std::int8_t>(scale == 1 ? TORVUnits::mm : TORVUnits::cm);
    auto heads = [&](bool print) {
      std::vector<QRectF> out;
      for (const TRecordedOp& op : c.canvas.OpsNamed(print ? "P.FillPath" : "DrawPath"))
        if (out.empty() || op.Path.boundingRect() != out.back()) out.push_back(op.Path.boundingRect());
      return out;
    };
    for (bool print : {false, true}) {
      SCOPED_TRACE(print ? "paper" : "screen");
      auto render = [&](TPLNBaseItem* item) { print ? c.Print(item) : c.Draw(item); };
      // 40 mm: heads inside, pointing out.
      TPLNDim* wide = Dim(TPLNFactory::AddBaseDim(&c.doc, 10 * mm, 30 * mm, 50 * mm, 30 * mm, 30 * mm, 20 * mm));
      render(wide);
      auto h = heads(print);
      ASSERT_EQ(h.size(), 2u);
      EXPECT_GE(h[0].left(), 100 - 0.5);
      EXPECT_LE(h[1].right(), 500 + 0.5);

      // 4 mm: the 3 mm heads go outside, the narrow caption stays between the extension lines.
      TPLNDim* four = Dim(TPLNFactory::AddBaseDim(&c.doc, 10 * mm, 30 * mm, 14 * mm, 30 * mm, 12 * mm, 20 * mm));
      EXPECT_EQ(four->GetCaption(), QStringLiteral("4"));
      render(four);
      h = heads(print);
      ASSERT_EQ(h.size(), 2u);
      EXPECT_LE(h[0].right(), 100 + 0.5);
      EXPECT_LE(h[0].left(), 100 - 25);
      EXPECT_GE(h[1].left(), 140 - 0.5);
      EXPECT_GE(h[1].right(), 140 + 25);
      EXPECT_GE(std::min(four->GetPoint(9).X, four->GetPoint(10).X), 10 * mm);
      EXPECT_LE(std::max(four->GetPoint(9).X, four->GetPoint(10).X), 14 * mm);
      // A click on the line run on past a head picks the dimension; past the run-on, nothing.
      const TORVPto end = four->GetPoint(6), tail = four->Fit().Tail[1];
      ASSERT_GT(tail.X, end.X + 2 * mm);
      EXPECT_TRUE(four->Pick((end.X + tail.X) / 2, end.Y, mm / 5));
      EXPECT_FALSE(four->Pick(tail.X + mm, end.Y, mm / 5));

      // A diameter of 6 mm drawn inside: heads outside both rim points, the caption beside them
      // past the head on the right; the dimension line runs on to it and the bounds hold it.
      TPLNDim* small = Dim(TPLNFactory::AddBaseDimDiameter1(&c.doc, 50 * mm, 50 * mm, 3 * mm, 0));
      render(small);
      h = heads(print);
      ASSERT_EQ(h.size(), 2u);
      const QRectF right = h[0].center().x() > h[1].center().x() ? h[0] : h[1];
      const QRectF left = h[0].center().x() > h[1].center().x() ? h[1] : h[0];
      EXPECT_GE(right.left(), 530 - 0.5);
      EXPECT_LE(left.right(), 470 + 0.5);
      const std::int64_t captionLeft = std::min(small->GetPoint(9).X, small->GetPoint(10).X);
      EXPECT_GE(captionLeft, 56 * mm - 1);
      EXPECT_LE(captionLeft, 58 * mm);
      EXPECT_GE(small->GetBounds().X2, std::max(small->GetPoint(9).X, small->GetPoint(10).X));
      EXPECT_LE(small->GetBounds().X1, 47 * mm - 3 * mm);
    }
  }
}

// Loads through the host's kind table, so it needs the arrow line and dimension entries there.
TEST(Dim, ExampleDrawingShowsEveryKind) {
  TPlanoraFMX doc;
  ASSERT_TRUE(doc.LoadFromFile(QStringLiteral(PLANORA_SOURCE_DIR "/examples/drawing.json")));
  EXPECT_EQ(doc.SkippedItems(), 0);
  EXPECT_EQ(doc.GetEditorMode(), 2);
  EXPECT_EQ(doc.Measure().DrawScale, 10);
  EXPECT_EQ(doc.GetDimStylesCount(), 2);
  std::set<int> dimTypes, textPos, styles;
  for (int i = 1; i <= doc.GetItemsCount(); ++i) {
    if (auto* d = dynamic_cast<TPLNDim*>(doc.GetItem(i))) {
      dimTypes.insert(int(d->GetDimType()));
      styles.insert(d->GetDimStyleIndex());
      EXPECT_FALSE(d->GetCaption().isEmpty());
    } else if (auto* a = dynamic_cast<TPLNArrowLine*>(doc.GetItem(i))) {
      textPos.insert(int(a->GetTextPos()));
    }
  }
  EXPECT_EQ(dimTypes.size(), 8u);
  EXPECT_EQ(textPos.size(), 6u);
  EXPECT_EQ(styles.size(), 2u);
}
