// Text and paragraph items: defaults, measuring, drawing rules (recorded), ink on rendered images,
// records, data fields and the factory.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <tuple>

#include "ORV.FMX.Calc.h"
#include "PlanoraTestSupport.h"
#include "SampleDocument.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;

namespace {

// Draw (or Print) of one item at 96 dpi onto white.
QImage Render(TPLNBaseItem* item, bool print = false, TORVDrawState state = TORVDrawState::Export) {
  return PlanoraTest::RenderItem(item, print, state);
}

// The item's bounds in pixels at 96 dpi, widened by `tol` pixels.
QRect BoundsPx(const TPLNBaseItem& item, int tol) {
  const TORVBounds b = item.GetBounds();
  const double k = 96.0 / 25400.0;
  return QRect(QPoint(int(std::floor(b.X1 * k)) - tol, int(std::floor(b.Y1 * k)) - tol),
               QPoint(int(std::ceil(b.X2 * k)) + tol, int(std::ceil(b.Y2 * k)) + tol));
}

::testing::AssertionResult InkInside(const QImage& img, const QRect& box) {
  const auto rows = PlanoraTest::InkRows(img), cols = PlanoraTest::InkColumns(img);
  if (rows.first < 0) return ::testing::AssertionFailure() << "no ink";
  if (cols.first < box.left() || cols.second > box.right() || rows.first < box.top() || rows.second > box.bottom())
    return ::testing::AssertionFailure() << "ink x " << cols.first << ".." << cols.second << " y " << rows.first << ".."
                                         << rows.second << " outside box x " << box.left() << ".." << box.right()
                                         << " y " << box.top() << ".." << box.bottom();
  return ::testing::AssertionSuccess();
}

TPLNText* MakeText(TPLNBaseLabel& doc, const QString& s, std::int64_t x = 100000, std::int64_t y = 50000) {
  auto* t = new TPLNText(&doc, false);
  t->AssignPoints({TORVPto{x, y}, TORVPto{x, y}});
  t->SetText(s);
  return t;
}

TPLNParagraph* MakePara(TPLNBaseLabel& doc, const QString& s, TORVPto a, TORVPto b) {
  auto* p = new TPLNParagraph(&doc, false);
  p->AssignPoints({a, b});
  p->SetText(s);
  return p;
}

std::vector<QString> DrawnTexts(const TRecordingCanvas& c, const char* op = "DrawSimpleText") {
  std::vector<QString> out;
  for (const TRecordedOp& o : c.OpsNamed(op)) out.push_back(o.Text);
  return out;
}

class DataDoc : public TPlanoraFMX {
 public:
  QString DataValueAt(int, const QString& field, const QString&, int, const QString&) const override {
    return QStringLiteral("DATA-") + field;
  }
};

}  // namespace

TEST(TextItem, DefaultsAndHorizontalScale) {
  TPLNBaseLabel doc;
  auto* t = MakeText(doc, QStringLiteral("Hello World"));
  EXPECT_EQ(t->GetBaseFontHeight(), 10000);
  EXPECT_DOUBLE_EQ(t->GetScale(), 1.0);
  auto* p = new TPLNParagraph(&doc, false);
  EXPECT_EQ(p->GetBaseFontHeight(), 6000);
  EXPECT_DOUBLE_EQ(p->GetScaleX(), 1.0);

  // Measured at scale 1, the width grows by the scale, and the box with it.
  const std::int64_t plain = t->GetBaseTextWidth();
  ASSERT_GT(plain, 0);
  EXPECT_NEAR(t->Metrics().Asc + t->Metrics().Des, 10000, 2);
  const std::int64_t plainBox = t->GetBounds().X2 - t->GetBounds().X1;
  t->SetScale(1.5);
  EXPECT_EQ(t->GetBaseTextWidth(), Utils::RoundHalfAway(plain * 1.5));
  EXPECT_GT(t->GetBounds().X2 - t->GetBounds().X1, plainBox);
}

TEST(TextItem, QuarterTurnsDrawTurnedAndInsideTheirBox) {
  PlanoraTest::RecordingContext rc;
  auto* t = MakeText(rc.doc, QStringLiteral("Turned"));
  t->SetAngle(TORVAngle::A90);
  rc.Redraw(t);
  const auto rot = rc.canvas.OpsNamed("Rotate");
  ASSERT_EQ(rot.size(), 1u);
  EXPECT_DOUBLE_EQ(rot[0].Args[0], -90);

  // Every angle and alignment keeps the ink inside the item's bounds; 90 and 270 stand upright.
  TPLNBaseLabel doc;
  auto* r = MakeText(doc, QStringLiteral("Haggle"), 60000, 50000);
  r->SetBasePadX(1000);
  for (int a = 0; a < 4; ++a)
    for (int h = 0; h < 3; ++h)
      for (int v = 0; v < 3; ++v) {
        SCOPED_TRACE(testing::Message() << "angle " << a << " h " << h << " v " << v);
        r->SetAngle(TORVAngle(a));
        r->SetHorzAlign(TORVHorzAlign(h));
        r->SetVertAlign(TORVVertAlign(v));
        const QImage img = Render(r);
        EXPECT_TRUE(InkInside(img, BoundsPx(*r, 2)));
        const auto rows = PlanoraTest::InkRows(img), cols = PlanoraTest::InkColumns(img);
        const int tall = rows.second - rows.first, wide = cols.second - cols.first;
        EXPECT_EQ(a % 2 == 1, tall > wide) << tall << " x " << wide;
        if (a == 0 && h == 0 && v == 0) {
          // The anchor is the box's top-left: padding 1 mm (about 4 px) before the ink.
          EXPECT_GE(cols.first, int(60 * 96 / 25.4) + 2);
          EXPECT_TRUE(InkInside(Render(r, true), BoundsPx(*r, 3)));
        }
      }
}

TEST(TextItem, MaximumWidthClipsOnlyTheEditorSurface) {
  PlanoraTest::RecordingContext rc(96);
  auto* t = MakeText(rc.doc, QStringLiteral("A rather long line of text"), 10000);
  const double full = t->GetBaseTextWidth() * 96.0 / 25400.0;
  t->SetBaseMaxWidth(t->GetBaseTextWidth() / 3);
  for (TORVHorzAlign h : {TORVHorzAlign::Left, TORVHorzAlign::Center, TORVHorzAlign::Right}) {
    t->SetHorzAlign(h);
    rc.d.DrawState = TORVDrawState::Editor;
    rc.Redraw(t);
    const auto clips = rc.canvas.OpsNamed("ClipRect");
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_NEAR(clips[0].Rect.width(), full / 3, 1.5);
    // Left keeps the start, right the end, centre the middle of the line.
    const double expectLeft = h == TORVHorzAlign::Left ? 0 : h == TORVHorzAlign::Right ? full * 2 / 3 : full / 3;
    EXPECT_NEAR(clips[0].Rect.left(), expectLeft, 1.5);
    rc.d.DrawState = TORVDrawState::Export;
    rc.Redraw(t);
    EXPECT_EQ(rc.canvas.Count("ClipRect"), 0);
  }
  t->SetHorzAlign(TORVHorzAlign::Left);
  const QImage screen = Render(t, false, TORVDrawState::Editor), paper = Render(t, true);
  const auto sc = PlanoraTest::InkColumns(screen), pc = PlanoraTest::InkColumns(paper);
  EXPECT_LE(sc.second - sc.first, full / 3 + 2);
  EXPECT_GE(pc.second - pc.first, full * 0.9);
}

TEST(TextItem, MissingFontEmptyTextAndEmptyBoxesDrawNothingHarmful) {
  PlanoraTest::RecordingContext rc;
  auto* t = MakeText(rc.doc, QStringLiteral("x"));
  t->SetFontName(QStringLiteral("No Such Font Family 42"));
  EXPECT_EQ(t->Metrics().Ratio, 0);
  EXPECT_EQ(t->GetBaseTextWidth(), 0);
  rc.Redraw(t);
  rc.Redraw(t, true);
  EXPECT_EQ(rc.canvas.Count("DrawSimpleText") + rc.canvas.Count("P.FillText"), 0);

  auto* empty = MakeText(rc.doc, QString());
  rc.Redraw(empty);
  rc.Redraw(empty, true);
  auto* flat = MakePara(rc.doc, QStringLiteral("words that do not fit"), {0, 0}, {0, 0});
  auto* tiny = MakePara(rc.doc, QStringLiteral("words"), {0, 0}, {1000, 1000});
  for (TPLNParagraph* p : {flat, tiny}) {
    EXPECT_TRUE(p->Lines().empty());
    rc.Redraw(p);
    EXPECT_EQ(rc.canvas.Count("DrawSimpleText"), 0);
    rc.Redraw(p, true);
  }
}

TEST(ParagraphItem, LineBreaksAreNeverDrawnAndInkStaysInTheBox) {
  PlanoraTest::RecordingContext rc;
  auto* p = MakePara(rc.doc, QStringLiteral("one\r\ntwo\n\rthree"), {10000, 10000}, {90000, 60000});
  ASSERT_EQ(p->Lines().size(), 3u);
  rc.Redraw(p);
  const auto texts = DrawnTexts(rc.canvas);
  EXPECT_EQ(texts, (std::vector<QString>{"one", "two", "three"}));
  const auto ops = rc.canvas.OpsNamed("DrawSimpleText");
  EXPECT_LT(ops[0].Args[1], ops[1].Args[1]);
  rc.Redraw(p, true);
  for (const QString& s : DrawnTexts(rc.canvas, "P.FillText"))
    EXPECT_FALSE(s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n')));
  EXPECT_EQ(rc.canvas.Count("P.FillText"), 3);

  // Wrapped, padded and turned: the ink stays inside the box on screen and on paper.
  TPLNBaseLabel doc;
  auto* w = MakePara(doc, QStringLiteral("Several words wrap across lines inside this box"), {20000, 20000},
                     {80000, 90000});
  w->SetBasePadX(2000);
  w->SetBasePadY(1000);
  for (int a = 0; a < 4; ++a) {
    SCOPED_TRACE(a);
    w->SetAngle(TORVAngle(a));
    EXPECT_GT(w->Lines().size(), 1u);
    const QRect box = BoundsPx(*w, -2);  // inside the box less a little of the padding
    EXPECT_TRUE(InkInside(Render(w), box));
    EXPECT_TRUE(InkInside(Render(w, true), box));
  }
}

// A justified line is drawn a word at a time; its underline must still run across the whole line,
// on screen and on paper.
TEST(ParagraphItem, AJustifiedLineIsUnderlinedAcrossItsWidth) {
  TPLNBaseLabel doc;
  auto* p = MakePara(doc, QStringLiteral("Several words wrap across the lines of this justified box and stay underlined"),
                     {10000, 10000}, {90000, 60000});
  p->SetHorzAlign(TORVHorzAlign::Justify);
  p->SetUnderline(true);
  ASSERT_GT(p->Lines().size(), 2u);
  const QRect box = BoundsPx(*p, 0);
  for (const bool print : {false, true}) {
    SCOPED_TRACE(print ? "paper" : "screen");
    const QImage img = Render(p, print);
    int longest = 0;
    for (int y = box.top() + 3; y < box.top() + 40; ++y) {
      int run = 0;
      for (int x = box.left() + 3; x < box.right() - 3; ++x) {
        run = qGray(img.pixel(x, y)) < 160 ? run + 1 : 0;
        longest = std::max(longest, run);
      }
    }
    EXPECT_GT(longest, (box.width() - 6) * 9 / 10);
  }
}

TEST(DataItems, PrintTheDataValueAndMarkTheScreen) {
  DataDoc doc;
  PlanoraTest::RecordingContext rc;
  auto* p = MakePara(doc, QStringLiteral("own words"), {0, 0}, {80000, 30000});
  auto* t = MakeText(doc, QStringLiteral("own"));
  EXPECT_FALSE(p->GetIsData() || t->GetIsData());
  p->SetFillType(1);
  p->SetFillName(QStringLiteral("Name"));
  t->SetFillType(1);
  t->SetFillName(QStringLiteral("Code"));
  EXPECT_TRUE(p->GetIsData() && t->GetIsData());
  rc.Redraw(p, true);
  EXPECT_EQ(DrawnTexts(rc.canvas, "P.FillText"), std::vector<QString>{"DATA-Name"});
  rc.Redraw(t, true);
  EXPECT_EQ(DrawnTexts(rc.canvas, "P.FillText"), std::vector<QString>{"DATA-Code"});
  // The screen shows the item's own text, with the data mark only on the editor's surface.
  rc.d.DrawState = TORVDrawState::Editor;
  rc.Redraw(p);
  EXPECT_EQ(DrawnTexts(rc.canvas), std::vector<QString>{"own words"});
  const int marked = rc.canvas.Count("DrawRect");
  rc.d.DrawState = TORVDrawState::Preview;
  rc.Redraw(p);
  EXPECT_EQ(rc.canvas.Count("DrawRect"), marked - 3);
}

TEST(TextRecords, EveryFieldRoundTripsAndBadValuesNameTheirKey) {
  TPlanoraFMX doc;
  auto* t = MakeText(doc, QStringLiteral("Ünïcode text"));
  t->SetFontName(QStringLiteral("Courier New"));
  t->SetBaseFontHeight(4321);
  // Flags set unlike each other here and in the paragraph, so no two can trade places unseen.
  t->SetBold(true);
  t->SetItalic(false);
  t->SetUnderline(true);
  t->SetFontColor(0xFF102030);
  t->SetHorzAlign(TORVHorzAlign::Right);
  t->SetVertAlign(TORVVertAlign::Bottom);
  t->SetAngle(TORVAngle::A270);
  t->SetBasePadX(700);
  t->SetBasePadY(800);
  t->SetBaseRadio(900);
  t->SetFilled(true);
  t->SetBackColor(0xFF00FF00);
  t->SetFillType(2);
  t->SetFillName(QStringLiteral("Field"));
  t->SetFormat(QStringLiteral("0.00"));
  t->SetScale(1.25);
  t->SetBaseMaxWidth(12345);
  auto* p = MakePara(doc, QStringLiteral("para\r\ntext"), {1000, 2000}, {50000, 40000});
  p->SetScaleX(1.5);
  p->SetBaseFontHeight(3000);
  p->SetAngle(TORVAngle::A90);
  p->SetBasePadX(300);
  p->SetItalic(true);

  for (TPLNBaseItem* item : std::initializer_list<TPLNBaseItem*>{t, p}) {
    SCOPED_TRACE(item->KindName().toStdString());
    QByteArray bytes = PlanoraTest::Record(*item);
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    TBinaryReader r(&in);
    TPLNBaseItem* copy = item->KindCode() == Kind::Text
                             ? static_cast<TPLNBaseItem*>(TPLNText::Read(&doc, kFileVersion, r, TORVReadType::File))
                             : TPLNParagraph::Read(&doc, kFileVersion, r, TORVReadType::File);
    EXPECT_EQ(in.bytesAvailable(), 0);
    EXPECT_EQ(copy->ToJson(), item->ToJson());
    TPLNBaseItem* fromJson = item->KindCode() == Kind::Text
                                 ? static_cast<TPLNBaseItem*>(TPLNText::ReadFromJson(&doc, kFileVersion, item->ToJson()))
                                 : TPLNParagraph::ReadFromJson(&doc, kFileVersion, item->ToJson());
    EXPECT_EQ(fromJson->ToJson(), item->ToJson());
  }
  // Read items are laid out at once.
  auto* back = TPLNParagraph::ReadFromJson(&doc, kFileVersion, p->ToJson());
  EXPECT_EQ(back->Lines().size(), p->Lines().size());
  EXPECT_GT(back->Lines().size(), 0u);
  EXPECT_EQ(TPLNText::ReadFromJson(&doc, kFileVersion, t->ToJson())->GetBaseTextWidth(), t->GetBaseTextWidth());

  const std::vector<std::pair<const char*, QJsonValue>> bad = {
      {"FontHeight", 0},  {"HorzAlign", 4}, {"VertAlign", 3},  {"Angle", -1},  {"PaddingX", -5},
      {"Radius", -1},     {"FillType", 300}, {"Scale", 0},     {"Text", 5},    {"MaxWidth", -1},
      {"FontColor", "x"}, {"LineSpacing", -2}};
  for (const auto& [key, value] : bad) {
    QJsonObject o = (QLatin1String(key) == QLatin1String("LineSpacing") ? p : static_cast<TPLNBaseItem*>(t))->ToJson();
    o.insert(QLatin1String(key), value);
    try {
      if (QLatin1String(key) == QLatin1String("LineSpacing")) TPLNParagraph::ReadFromJson(nullptr, kFileVersion, o);
      else TPLNText::ReadFromJson(nullptr, kFileVersion, o);
      ADD_FAILURE() << key << " accepted";
    } catch (const EPLNError& e) {
      EXPECT_TRUE(e.Message().contains(QLatin1String(key))) << e.Message().toStdString();
    }
  }
}

TEST(TextFactory, NewTextsTakeTheActiveLayersFont) {
  TPlanoraFMX doc;
  doc.SetUnits(TORVUnits::cm);
  TPLNLayer* layer = doc.AddLayer(QStringLiteral("Texts"));
  doc.SetActiveLayer(2);
  layer->PenColor = 0xFF0000FF;
  layer->PenWidth = 500;
  layer->BackColor = 0xFFFFFF00;
  layer->FontName = QStringLiteral("Times New Roman");
  layer->FontHeight = 5.5f;
  layer->FontColor = 0xFFFF0000;
  layer->Bold = true;
  layer->Italic = true;

  auto* t = dynamic_cast<TPLNText*>(TPLNFactory::AddText(&doc, 1.5f, 2.0f));
  auto* p = dynamic_cast<TPLNParagraph*>(TPLNFactory::AddParagraph(&doc, 1, 1, 6, 3));
  ASSERT_TRUE(t && p);
  EXPECT_EQ(t->GetPoint(1), (TORVPto{15000, 20000}));
  EXPECT_EQ(p->GetPoint(2), (TORVPto{70000, 40000}));
  EXPECT_EQ(t->GetLayer(), layer);
  // A text gets no frame.
  EXPECT_EQ(std::tuple(t->GetPenWidth(), p->GetPenWidth(), p->GetBackColor(), t->GetColor(), p->GetColor()),
            std::tuple(0, 500, 0xFFFFFF00u, 0xFF0000FFu, 0xFF0000FFu));
  EXPECT_EQ(std::tuple(t->GetFontName(), p->GetBaseFontHeight(), t->GetBaseFontHeight(), t->GetFontColor()),
            std::tuple(QStringLiteral("Times New Roman"), 5500, 5500, 0xFFFF0000u));
  EXPECT_TRUE(t->GetBold() && t->GetItalic() && p->GetBold() && p->GetItalic());
  EXPECT_GT(p->Metrics().Ratio, 0);
}

TEST(TextItem, MarkerLabelFillsTheCornersAndMiddleOfAnArea) {
  PlanoraTest::RecordingContext rc(96);
  rc.d.OriginX = 10;
  rc.d.OriginY = 20;
  TPLNText::DrawText(QStringLiteral("A1"), &rc.d, 0, 0);
  ASSERT_EQ(rc.canvas.Count("DrawSimpleText"), 1);
  rc.canvas.Clear();
  TPLNText::DrawText(QStringLiteral("A1"), &rc.d, 300, 200);
  const auto ops = rc.canvas.OpsNamed("DrawSimpleText");
  ASSERT_EQ(ops.size(), 5u);
  const QRectF area(10, 20, 300, 200);
  for (const TRecordedOp& o : ops) {
    EXPECT_EQ(o.Paint.Color, 0xFFC0C0C0u);
    EXPECT_TRUE(area.contains(o.Args[0], o.Args[1])) << o.Args[0] << ", " << o.Args[1];
  }
  EXPECT_LT(ops[0].Args[0], ops[1].Args[0]);  // left, then right
}

// On a 1:10 drawing coordinates are ten times larger while text keeps its size on paper: a
// paragraph must still wrap and space its lines at the font's paper height, inside its box.
TEST(ParagraphItem, KeepsItsPaperSizeOnAScaledDrawing) {
  TPLNBaseLabel doc;
  TPLNMeasure m = doc.Measure();
  m.DrawScale = 10;
  doc.SetMeasure(m);
  auto* p = MakePara(doc, QStringLiteral("first line\r\nsecond line"), {200000, 200000}, {1000000, 800000});
  ASSERT_EQ(p->Lines().size(), 2u);
  // Line records are paper units: one line height (6 mm by default) apart, not 60 mm.
  EXPECT_NEAR(double(p->Lines()[1].Y - p->Lines()[0].Y), 6000.0, 60.0);
  TPLNDraw probe;
  probe.SetResolution(96, 96, 10);
  const TORVBounds b = p->GetBounds();
  const QRect box(QPoint(int(b.X1 * probe.PixPerBaseX) - 2, int(b.Y1 * probe.PixPerBaseY) - 2),
                  QPoint(int(b.X2 * probe.PixPerBaseX) + 2, int(b.Y2 * probe.PixPerBaseY) + 2));
  QImage img(500, 400, QImage::Format_ARGB32);
  img.fill(Qt::white);
  {
    QPainter painter(&img);
    TQPainterCanvas canvas(&painter);
    TPLNDraw d;
    d.SetResolution(96, 96, 10);
    d.SetStandardWidths();
    d.kC = &canvas;
    d.pC = &canvas;
    d.DrawState = TORVDrawState::Export;
    p->Draw(&d);
  }
  EXPECT_TRUE(InkInside(img, box));
  // Two separate lines of ink: a row without ink between them.
  const auto rows = PlanoraTest::InkRows(img);
  ASSERT_GE(rows.first, 0);
  bool gap = false;
  for (int y = rows.first; y <= rows.second && !gap; ++y) {
    bool ink = false;
    for (int x = box.left(); x <= box.right() && !ink; ++x) ink = qGray(img.pixel(x, y)) < 128;
    gap = !ink;
  }
  EXPECT_TRUE(gap);
}

TEST(TextItem, ANewDrawingScaleLaysTextsOutAsReadingWould) {
  TPlanoraFMX doc;
  auto* t = MakeText(doc, QStringLiteral("Scaled"));
  const TORVBounds before = t->GetBounds();
  TPLNMeasure m = doc.Measure();
  m.DrawScale = 10;
  doc.SetMeasure(m);
  const TORVBounds after = t->GetBounds();
  // The frame follows the scale at once, not only after a save and a load.
  EXPECT_NEAR(double(after.X2 - after.X1), 10.0 * double(before.X2 - before.X1), 0.02 * double(after.X2 - after.X1));
  QByteArray saved = PlanoraTest::EtiBytes(doc);
  TPlanoraFMX read;
  QBuffer in(&saved);
  in.open(QIODevice::ReadOnly);
  read.LoadFromStream(&in);
  EXPECT_EQ(PlanoraTest::EtiBytes(read), saved);
}
