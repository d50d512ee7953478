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

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using Orv::Line::TORDimType;
using Orv::Line::TORVTextPos;

namespace {

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
};

TPLNArrowLine* Arrow(Ctx& c, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  return static_cast<TPLNArrowLine*>(TPLNFactory::AddBaseArrowLine(&c.doc, x1, y1, x2, y2));
}
TPLNDim* Dim(TPLNBaseItem* item) { return static_cast<TPLNDim*>(item); }

QByteArray Binary(const TPLNBaseItem& item) {
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  TBinaryWriter w(&buf);
  item.WriteData(w);
  return bytes;
}
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

  // Above: the line stays whole, the box lies above it and does not widen the extent.
  a->SetText(QStringLiteral("Planora"));
  c.Draw(a);
  EXPECT_EQ(c.Count("DrawLine"), 1);
  EXPECT_EQ(c.Count("DrawSimpleText"), 1);
  EXPECT_EQ(c.Count("Rotate"), 0) << "an upright caption is drawn without a turn";
  EXPECT_LT(a->GetPoint(4).Y, 20000);
  fit = {};
  a->CheckFit(fit);
  EXPECT_EQ(fit.Y1, 20000 - 125);

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

  EXPECT_EQ(draw(TPLNFactory::AddBaseDimRadial1(&c.doc, 50000, 50000, 10000, 0)), (std::pair{2, 1}));
  EXPECT_EQ(draw(TPLNFactory::AddBaseDimRadial2(&c.doc, 50000, 50000, 10000, 0)), (std::pair{2, 1}));
  EXPECT_EQ(draw(TPLNFactory::AddBaseDimDiameter1(&c.doc, 50000, 50000, 10000, 0)), (std::pair{2, 2}));
  EXPECT_EQ(draw(TPLNFactory::AddBaseDimDiameter2(&c.doc, 50000, 50000, 10000, 0)), (std::pair{2, 1}));

  // An angle: the arc from 0 to 90 degrees clockwise, heads at both ends pointing away from it.
  TPLNDim* a = Dim(TPLNFactory::AddBaseDimAngle(&c.doc, {0, 0, 10000, 0, 0, 0, 0, 10000, 5000, 5000}));
  EXPECT_EQ(draw(a), (std::pair{0, 2}));
  const auto arc = c.canvas.OpsNamed("DrawArc");
  ASSERT_EQ(arc.size(), 1u);
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
  Ctx paper, scaled;
  TPLNMeasure m = scaled.doc.Measure();
  m.DrawScale = 10;
  scaled.doc.SetMeasure(m);
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
  EXPECT_EQ(Line::FormatNumber(1234.5, QStringLiteral("#,##0.00"), 0), QStringLiteral("1,234.50"));
  EXPECT_EQ(Line::FormatNumber(12.5, QStringLiteral("0.##"), 0), QStringLiteral("12.5"));
  EXPECT_EQ(Line::FormatNumber(12.001, QStringLiteral("0.##"), 0), QStringLiteral("12"));
  EXPECT_EQ(Line::FormatNumber(0.5, QStringLiteral("#.##"), 0), QStringLiteral(".5"));
  EXPECT_EQ(Line::FormatNumber(-0.004, QStringLiteral("0.##"), 0), QStringLiteral("0"));
  EXPECT_EQ(Line::FormatNumber(-2, QString(), 3), QStringLiteral("-2.000"));
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
  const QByteArray rec = Binary(*dim);
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
  TPLNArrowLine* ab = FromBinary<TPLNArrowLine>(&c.doc, Binary(*a));
  EXPECT_EQ(ab->ToJson(), a->ToJson());
  EXPECT_EQ(ab->GetPoint(3), a->GetPoint(3)) << "the caption is laid out again after reading";
  EXPECT_EQ(TPLNArrowLine::ReadFromJson(&c.doc, kFileVersion, a->ToJson())->ToJson(), a->ToJson());
  QJsonObject wrong = a->ToJson();
  wrong.insert(QStringLiteral("TextPos"), 6);
  EXPECT_THROW(TPLNArrowLine::ReadFromJson(&c.doc, kFileVersion, wrong), EPLNError);
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
