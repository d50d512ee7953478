// Linear barcodes as drawn: bars, the human-readable line, the cross of an invalid code, the box
// they fill on screen and paper, the factory rows and the file records.
#include <QBuffer>
#include <tuple>
#include <gtest/gtest.h>

#include "ORV.Data.h"
#include "ORV.FMX.Shared.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using namespace PlanoraTest;

namespace {

constexpr double kPx = 10;  // pixels per millimetre of the recording context (254 dpi)

TPLNBarcode* MakeBarcode(TPLNBaseLabel& doc, const QString& code, TORVBarType type, TORVPto at = {20000, 30000}) {
  auto* bar = new TPLNBarcode(&doc, false);
  bar->AssignPoints({at});
  bar->SetCode(code);
  bar->SetBarType(type);
  return bar;
}

QRectF BoxPx(const TPLNBaseItem& item) {
  const TORVBounds b = item.GetBounds();
  return QRectF(QPointF(b.X1 * kPx / 1000, b.Y1 * kPx / 1000), QPointF(b.X2 * kPx / 1000, b.Y2 * kPx / 1000));
}

bool Inside(const QRectF& outer, const QRectF& r, double tol = 0.01) {
  return r.left() >= outer.left() - tol && r.right() <= outer.right() + tol && r.top() >= outer.top() - tol &&
         r.bottom() <= outer.bottom() + tol;
}

// The bars on the page, in drawing order, on screen or on paper.
std::vector<QRectF> Bars(const TRecordingCanvas& c, bool paper = false) {
  std::vector<QRectF> out;
  for (const TRecordedOp& op : c.OpsNamed(paper ? "P.FillRect" : "DrawRect")) out.push_back(op.Matrix.mapRect(op.Rect));
  return out;
}

}  // namespace

TEST(Codes1D, Ean13DigitsBesideAndUnderTheBars) {
  RecordingContext ctx;
  TPLNBarcode* bar = MakeBarcode(ctx.doc, "590123412345", TORVBarType::Ean13);
  ASSERT_TRUE(bar->IsValid());
  ctx.Redraw(bar);
  const auto texts = ctx.canvas.OpsNamed("DrawSimpleText");
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(QStringList({texts[0].Text, texts[1].Text, texts[2].Text}), QStringList({"5", "901234", "123457"}));

  const auto rects = ctx.canvas.OpsNamed("DrawRect");
  ASSERT_FALSE(rects.empty());
  double left = 1e9, right = -1e9, barBottom = 0;
  for (const TRecordedOp& op : rects) {
    left = std::min(left, op.Rect.left());
    right = std::max(right, op.Rect.right());
    barBottom = std::max(barBottom, op.Rect.bottom());
  }
  const double m = 0.33 * kPx, h = 15 * kPx, font = 3 * kPx;
  EXPECT_NEAR(right - left, 95 * m, 1e-3);
  // Guard bars reach three quarters of the digits' height below the other bars.
  EXPECT_NEAR(barBottom, h + 0.75 * font, 1e-3);
  const TSkFont& f = texts[0].Font;
  const double asc = std::abs(f.Metrics().Ascent), des = std::abs(f.Metrics().Descent);
  EXPECT_NEAR(asc + des, font, 0.05) << "the digits are as high as the font height says";
  // The first digit ends one module left of the bars; the groups are centred on their halves.
  EXPECT_NEAR(texts[0].Args[0] + f.MeasureText("5"), left - m, 1e-3);
  EXPECT_NEAR(texts[1].Args[0] + f.MeasureText("901234") / 2, left + 24 * m, 1e-3);
  EXPECT_NEAR(texts[2].Args[0] + f.MeasureText("123457") / 2, left + 71 * m, 1e-3);
  for (const TRecordedOp& t : texts) {
    // Under the bars, and inside the item's box on the page.
    EXPECT_GT(t.Args[1] - asc, h);
    const QRectF glyphs(QPointF(t.Args[0], t.Args[1] - asc), QPointF(t.Args[0] + f.MeasureText(t.Text), t.Args[1] + des));
    EXPECT_TRUE(Inside(BoxPx(*bar), t.Matrix.mapRect(glyphs), 0.05)) << t.Text.toStdString();
  }

  // On pixels: ink left of the bars in the digits' row only while the number shows.
  const QRectF box = BoxPx(*bar);
  const QPointF bars0 = rects.front().Matrix.map(QPointF(left, 0));
  const QRect lead(int(box.left() + 2 * kPx + 1), int(bars0.y() + h + 2), int(bars0.x() - box.left() - 2 * kPx - 2),
                   int(font));
  EXPECT_TRUE(InkInRect(RenderItem(bar, false, TORVDrawState::Export, {700, 500}, 254), lead));

  bar->SetShowNumber(false);
  ctx.Redraw(bar);
  EXPECT_EQ(ctx.canvas.Count("DrawSimpleText"), 0);
  for (const TRecordedOp& op : ctx.canvas.OpsNamed("DrawRect")) EXPECT_LE(op.Rect.bottom(), h + 1e-3);
  EXPECT_FALSE(InkInRect(RenderItem(bar, false, TORVDrawState::Export, {700, 500}, 254), lead));
  ctx.Redraw(bar, true);
  EXPECT_EQ(ctx.canvas.Count("P.FillText"), 0);

  // Digits wider than seven modules, without paddings: the side digits still fall inside the box,
  // for EAN-13 and UPC-A alike.
  TPLNBarcode* upc = MakeBarcode(ctx.doc, "03600029145", TORVBarType::UpcA);
  for (TPLNBarcode* b : {bar, upc}) {
    b->SetShowNumber(true);
    b->SetBasePadX(0);
    b->SetBaseFontHeight(4500);
    ctx.Redraw(b);
    const auto digits = ctx.canvas.OpsNamed("DrawSimpleText");
    ASSERT_GE(digits.size(), 3u);
    for (const TRecordedOp& t : digits) {
      const TSkFontMetrics fm = t.Font.Metrics();
      const QRectF g(QPointF(t.Args[0], t.Args[1] + fm.Ascent), QPointF(t.Args[0] + t.Font.MeasureText(t.Text), t.Args[1] + fm.Descent));
      EXPECT_TRUE(Inside(BoxPx(*b), t.Matrix.mapRect(g), 0.05)) << t.Text.toStdString();
    }
  }
}

TEST(Codes1D, InvalidCodeShowsCrossAndPrintsNothing) {
  RecordingContext ctx;
  TPLNBarcode* bar = MakeBarcode(ctx.doc, "5901234123458", TORVBarType::Ean13);  // check digit 7
  ASSERT_FALSE(bar->IsValid());
  EXPECT_EQ(ctx.Redraw(bar), (std::vector<std::string>{"DrawLine", "DrawLine"}));
  const QRectF box = BoxPx(*bar);
  ASSERT_GT(box.width(), 0);
  ASSERT_GT(box.height(), 0);
  const TRecordedOp a = ctx.Op(0), b = ctx.Op(1);
  for (const TRecordedOp& op : {a, b}) {
    EXPECT_EQ(op.Paint.Color, 0xFFFF0000u);
    EXPECT_EQ(op.Paint.StrokeCap, TSkStrokeCap::Butt);
    EXPECT_TRUE(op.Paint.AntiAlias);
    EXPECT_FALSE(op.Paint.PathEffect);
    EXPECT_NEAR(op.Paint.StrokeWidth, 0.1 * kPx, 1e-4);
  }
  EXPECT_EQ(a.Args, (std::vector<double>{box.left(), box.top(), box.right(), box.bottom()}));
  EXPECT_EQ(b.Args, (std::vector<double>{box.right(), box.top(), box.left(), box.bottom()}));
  EXPECT_TRUE(ctx.Redraw(bar, true).empty());

  // A data-bound code: the editor shows its own code, exports and paper the record's value.
  bar->SetCode("5901234123457");
  bar->SetFillType(1);
  bar->SetFillName("ean");
  ctx.doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv("ean\n4006381333931\n12345\n", "d.csv")));
  ctx.d.DrawState = TORVDrawState::Export;
  ctx.d.Record = 1;  // "12345": no EAN-13
  EXPECT_EQ(ctx.Redraw(bar), (std::vector<std::string>{"DrawLine", "DrawLine"}));
  EXPECT_TRUE(ctx.Redraw(bar, true).empty());
  ctx.d.Record = 0;
  ctx.Redraw(bar);
  EXPECT_GT(ctx.canvas.Count("DrawRect"), 20);
  EXPECT_EQ(ctx.canvas.OpsNamed("DrawSimpleText").at(1).Text, "006381");
  ctx.Redraw(bar, true);
  EXPECT_EQ(ctx.canvas.OpsNamed("P.FillText").at(2).Text, "333931");
  const auto marked = [&] {
    for (const TRecordedOp& op : ctx.canvas.OpsNamed("DrawRect"))
      if (op.Paint.Color == 0xFF90EE90u) return true;
    return false;
  };
  EXPECT_FALSE(marked()) << "the data mark is the editor's";
  ctx.d.Record = 1;
  ctx.d.DrawState = TORVDrawState::Editor;
  ctx.Redraw(bar);
  EXPECT_EQ(ctx.canvas.OpsNamed("DrawSimpleText").at(1).Text, "901234");
  EXPECT_TRUE(marked());
}

TEST(Codes1D, WidthAndBarKindsOfThePattern) {
  RecordingContext ctx;
  TPLNBarcode* bar = MakeBarcode(ctx.doc, "X", TORVBarType::Code128);
  bar->SetShowNumber(false);
  Barcode::TORVLinearCode code;
  code.Valid = true;
  code.Prepared = "X";
  // 1.5-module bar, an unknown element (a space as wide as the bar before it), a bar, a 2-module
  // space, a wide bar, an unknown space, a short bar, a space, a guard bar, then two bars in a row.
  code.Pattern = "5?0r1za?Ap00";
  ctx.canvas.Clear();
  DrawBarcode(&ctx.d, *bar, code, QPointF(0, 0), 0xFF000000u);
  const double m = 0.33 * kPx, w = 2.5 * m, h = 15 * kPx;
  const double x0 = 2 * kPx;  // left padding
  const std::vector<QRectF> want{
      QRectF(QPointF(0, 0), QPointF(1.5 * m, h)),          QRectF(QPointF(3 * m, 0), QPointF(4 * m, h)),
      QRectF(QPointF(6 * m, 0), QPointF(6 * m + w, h)),    QRectF(QPointF(6 * m + 2 * w, 0.6 * h), QPointF(6 * m + 2 * w + m, h)),
      QRectF(QPointF(6 * m + 2 * w + 2 * m, 0), QPointF(6 * m + 2 * w + 3 * m, h)),
      QRectF(QPointF(6 * m + 2 * w + 4 * m, 0), QPointF(6 * m + 2 * w + 6 * m, h))};
  const std::vector<QRectF> got = Bars(ctx.canvas);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    const QRectF e = want[i].translated(x0, 1 * kPx);
    EXPECT_NEAR(got[i].left(), e.left(), 1e-3) << i;
    EXPECT_NEAR(got[i].right(), e.right(), 1e-3) << i;
    EXPECT_NEAR(got[i].top(), e.top(), 1e-3) << i;
    EXPECT_NEAR(got[i].bottom(), e.bottom(), 1e-3) << i;
  }
  for (const TRecordedOp& op : ctx.canvas.OpsNamed("DrawRect")) EXPECT_FALSE(op.Paint.AntiAlias);
  // Paper: the same rectangles.
  ctx.canvas.Clear();
  PrintBarcode(&ctx.d, *bar, code, QPointF(0, 0), 0xFF000000u);
  const std::vector<QRectF> paper = Bars(ctx.canvas, true);
  ASSERT_EQ(paper.size(), got.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(std::abs(paper[i].left() - got[i].left()) < 1e-3 && std::abs(paper[i].bottom() - got[i].bottom()) < 1e-3) << i;
}

// Every placement: bars and digits inside the item's box, the bars spanning it along the code but
// for the paddings, and paper drawing the very same bars as the screen.
TEST(Codes1D, ScreenAndPaperFillTheItemsBoxAtEveryPlacement) {
  RecordingContext ctx;
  for (TORVBarType type : {TORVBarType::Code39, TORVBarType::UpcA}) {
    TPLNBarcode* bar = MakeBarcode(ctx.doc, type == TORVBarType::UpcA ? "03600029145" : "CODE-39", type);
    bar->SetBasePadX(1500);
    bar->SetBasePadY(700);
    for (int angle = 0; angle < 4; ++angle)
      for (int h = 0; h < 3; ++h)
        for (int v = 0; v < 3; v += 2) {
          SCOPED_TRACE(testing::Message() << "type " << int(type) << " angle " << angle << " h " << h << " v " << v);
          bar->SetAngle(static_cast<TORVAngle>(angle));
          bar->SetHorzAlign(static_cast<TORVHorzAlign>(h));
          bar->SetVertAlign(static_cast<TORVVertAlign>(v));
          const QRectF box = BoxPx(*bar);
          ctx.Redraw(bar);
          const std::vector<QRectF> screen = Bars(ctx.canvas);
          ASSERT_FALSE(screen.empty());
          QRectF all;
          for (const QRectF& r : screen) {
            EXPECT_TRUE(Inside(box, r));
            all |= r;
          }
          const auto texts = ctx.canvas.OpsNamed("DrawSimpleText");
          ASSERT_FALSE(texts.empty());
          for (const TRecordedOp& t : texts) {
            const TSkFontMetrics fm = t.Font.Metrics();
            const QRectF g(QPointF(t.Args[0], t.Args[1] + fm.Ascent), QPointF(t.Args[0] + t.Font.MeasureText(t.Text), t.Args[1] + fm.Descent));
            EXPECT_TRUE(Inside(box, t.Matrix.mapRect(g), 0.05)) << t.Text.toStdString();
          }
          // Along the code the bars leave the paddings (and UPC-A's digit zones) free.
          const bool upright = angle % 2 == 0;
          const double along = upright ? box.width() : box.height();
          const double span = upright ? all.width() : all.height();
          const double zones = type == TORVBarType::UpcA ? 14 * 0.33 * kPx : 0.0;
          EXPECT_NEAR(span, along - 2 * 1.5 * kPx - zones, 0.021) << "the box is whole base units";
          const double across0 = angle == 0 ? all.top() - box.top() : angle == 1 ? all.left() - box.left()
                                 : angle == 2 ? box.bottom() - all.bottom() : box.right() - all.right();
          EXPECT_NEAR(across0, 0.7 * kPx, 1e-3) << "the bars start below the top padding";

          ctx.Redraw(bar, true);
          const std::vector<QRectF> paper = Bars(ctx.canvas, true);
          ASSERT_EQ(paper.size(), screen.size());
          for (std::size_t i = 0; i < paper.size(); ++i) {
            const QRectF d(paper[i].topLeft() - screen[i].topLeft(), paper[i].bottomRight() - screen[i].bottomRight());
            EXPECT_LT(std::abs(d.left()) + std::abs(d.top()) + std::abs(d.width()) + std::abs(d.height()), 1e-3) << i;
          }
          EXPECT_EQ(ctx.canvas.Count("P.FillText"), int(texts.size()));
        }
    ctx.doc.DeleteItem(ctx.doc.IndexOf(bar));
  }
}

TEST(Codes1D, FactoryRowsTakeTheLayersDefaults) {
  TPlanoraFMX doc;
  doc.SetUnits(TORVUnits::inch);
  TPLNLayer* layer = doc.GetActiveLayer();
  layer->PenColor = 0xFF112233u;
  layer->FontName = QStringLiteral("Courier New");
  layer->FontHeight = 4.5f;
  auto* a = dynamic_cast<TPLNBarcode*>(TPLNFactory::AddBarcode(&doc, 1, 2, "4006381333931", TORVBarType::Ean13));
  ASSERT_TRUE(a);
  EXPECT_EQ(a->GetPoint(1), (TORVPto{25400, 50800}));
  EXPECT_EQ(std::tuple(a->GetColor(), a->GetFontName(), a->GetBaseFontHeight(), a->GetBarType(), a->GetCode()),
            std::tuple(0xFF112233u, QString("Courier New"), 4500, TORVBarType::Ean13, QString("4006381333931")));
  EXPECT_TRUE(a->IsValid());
  // Laid out with the font it ends with: the box holds the 4.5 mm digits.
  EXPECT_EQ(a->GetBounds().Y2 - a->GetBounds().Y1, 1000 + 15000 + 500 + 4500 + 1000);

  auto* b = dynamic_cast<TPLNBarcode*>(TPLNFactory::AddBaseBarcode(&doc, 1000, 2000, "ABC", TORVBarType::Code39));
  ASSERT_TRUE(b);
  EXPECT_EQ(b->GetPoint(1), (TORVPto{1000, 2000}));
  EXPECT_EQ(std::tuple(b->GetColor(), b->GetFontName(), b->GetBaseFontHeight()), std::tuple(0xFF112233u, QString("Arial"), 3000));
}

TEST(Codes1D, FileRecordsRoundTrip) {
  TPlanoraFMX doc;
  auto* bar = static_cast<TPLNBarcode*>(TPLNFactory::AddBaseBarcode(&doc, 5000, 6000, "0123456", TORVBarType::UpcE0));
  bar->SetBaseBarWidth(410);
  bar->SetBaseBarHeight(9000);
  bar->SetFactor(2.2);
  bar->SetCheckSum(true);
  bar->SetAngle(TORVAngle::A270);
  bar->SetHorzAlign(TORVHorzAlign::Right);
  bar->SetBasePadX(2500);
  bar->SetColor(0xFF0000AAu);
  bar->SetFillType(1);
  bar->SetFillName("gtin");
  const TORVBounds bounds = bar->GetBounds();

  auto same = [&](TPlanoraFMX& other) {
    ASSERT_EQ(other.GetItemsCount(), 1);
    auto* r = dynamic_cast<TPLNBarcode*>(other.GetItem(1));
    ASSERT_TRUE(r) << "read back as a drawable barcode";
    EXPECT_EQ(std::tuple(r->GetCode(), r->GetBarType(), r->GetBaseBarWidth(), r->GetBaseBarHeight(), r->GetFactor(),
                         r->GetCheckSum(), r->GetAngle(), r->GetHorzAlign(), r->GetColor(), r->FillName()),
              std::tuple(QString("0123456"), TORVBarType::UpcE0, 410, 9000, 2.2, true, TORVAngle::A270, TORVHorzAlign::Right,
                         0xFF0000AAu, QString("gtin")));
    EXPECT_TRUE(r->IsValid());
    EXPECT_EQ(r->Encoded().Prepared, "01234565");
    const TORVBounds b = r->GetBounds();
    EXPECT_TRUE(b.X1 == bounds.X1 && b.Y1 == bounds.Y1 && b.X2 == bounds.X2 && b.Y2 == bounds.Y2);
  };
  QBuffer buf;
  buf.open(QIODevice::ReadWrite);
  doc.SaveToStream(&buf);
  buf.seek(0);
  TPlanoraFMX binary;
  binary.LoadFromStream(&buf);
  same(binary);
  TPlanoraFMX json;
  json.LoadFromJson(doc.ToJsonText());
  same(json);
}
