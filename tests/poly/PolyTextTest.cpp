// The poly text item: runs laid out along the line, quarter turns, barcode and 2-D content, the
// background's corners, both file formats and the codes read back from an export.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#define ZX_USE_UTF8 1  // text() as UTF-8
#include <ZXing/ReadBarcode.h>

#include <cmath>
#include <tuple>

#include "ORV.Data.h"
#include "ORV.FMX.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using Orv::Fmx::TPlanoraFMX;
using Orv::Fmx::TPLNPolyText;
using Orv::Text::TORVPolyType;
using Orv::Text::TPLNDataPoly;
using PlanoraTest::RecordingContext;

namespace {

constexpr TAlphaColor kRed = 0xFFFF0000u, kGreen = 0xFF00A000u, kBlue = 0xFF0000FFu;

TPLNDataPoly MakeRun(const QString& text, const QString& font, std::int64_t height, bool bold, bool italic,
                 TAlphaColor color) {
  TPLNDataPoly r;
  r.SetText(text);
  r.SetFontName(font);
  r.SetBaseFontHeight(height);
  r.SetBold(bold);
  r.SetItalic(italic);
  r.SetColor(color);
  return r;
}

// Three runs in three families, sizes and colours, anchored at (5 mm, 5 mm).
TPLNPolyText* ThreeRuns(TPLNBaseLabel& doc) {
  auto* p = new TPLNPolyText(&doc, false);
  p->AssignPoints({{5000, 5000}, {5000, 5000}});
  p->AddItem(MakeRun("Hag", "Liberation Sans", 6000, false, false, kRed));
  p->AddItem(MakeRun("Wix", "Liberation Serif", 9000, true, false, kGreen));
  p->AddItem(MakeRun("mop", "DejaVu Sans Mono", 4000, false, true, kBlue));
  return p;
}

TPLNPolyText* Code(TPLNBaseLabel& doc, TORVPolyType type, const QString& code) {
  auto* p = new TPLNPolyText(&doc, false);
  p->AssignPoints({{10000, 10000}, {10000, 10000}});
  p->SetPolyType(type);
  p->SetData(code);
  return p;
}

// Which run colour a pixel shows clearly (anti-aliased edges count as none): 0 red, 1 green,
// 2 blue, -1 none.
int RunColorAt(const QImage& img, int x, int y) {
  const QColor c = img.pixelColor(x, y);
  if (c.red() > 170 && c.green() < 90 && c.blue() < 90) return 0;
  if (c.green() > 110 && c.red() < 90 && c.blue() < 90) return 1;
  if (c.blue() > 170 && c.red() < 90 && c.green() < 90) return 2;
  return -1;
}

// Pixels of each run colour in columns [x0, x1).
std::array<int, 3> ColorsIn(const QImage& img, int x0, int x1) {
  std::array<int, 3> n{0, 0, 0};
  for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x)
    for (int y = 0; y < img.height(); ++y)
      if (const int k = RunColorAt(img, x, y); k >= 0) ++n[std::size_t(k)];
  return n;
}

// Mean row and column of the pixels of one run colour.
QPointF Centroid(const QImage& img, int colour) {
  double sx = 0, sy = 0;
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (RunColorAt(img, x, y) == colour) {
        sx += x;
        sy += y;
        ++n;
      }
  return n ? QPointF(sx / n, sy / n) : QPointF(-1, -1);
}

std::string Decode(const QImage& png, ZXing::BarcodeFormat format) {
  const QImage gray = png.convertToFormat(QImage::Format_Grayscale8);
  ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                        int(gray.bytesPerLine()));
  ZXing::DecodeHints hints;
  hints.setFormats(format);
  hints.setTryRotate(true);
  const ZXing::Result r = ZXing::ReadBarcode(view, hints);
  return r.isValid() ? r.text() : std::string("<no code>");
}

}  // namespace

TEST(PolyText, RunsFollowEachOtherWithoutGapsEachInItsFontAndColourOnScreenAndPaper) {
  RecordingContext rc;
  TPLNPolyText* p = ThreeRuns(rc.doc);
  ASSERT_EQ(p->GetItemCount(), 3);
  for (int i = 1; i <= 3; ++i) EXPECT_GT(p->GetItem(i).GetBaseWidth(), 0) << "run " << i << " measured";
  // The box holds the runs and the paddings: as wide as the runs together, as tall as the tallest.
  const TORVBounds b = p->GetBounds();
  EXPECT_NEAR(double(b.X2 - b.X1), double(p->RunsWidth() + 2 * p->GetBasePadX()), 2);
  EXPECT_NEAR(double(b.Y2 - b.Y1), 9000 + 2 * p->GetBasePadY(), 50);

  rc.d.DrawState = TORVDrawState::Export;
  rc.Redraw(p);
  const auto texts = rc.canvas.OpsNamed("DrawSimpleText");
  ASSERT_EQ(texts.size(), 3u);
  const TAlphaColor colors[3] = {kRed, kGreen, kBlue};
  const char* words[3] = {"Hag", "Wix", "mop"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(texts[i].Text, QLatin1String(words[i]));
    EXPECT_EQ(texts[i].Paint.Color, colors[i]);
    // Each run starts where the one before ends, measured with the font it is drawn in.
    const double start = i == 0 ? 0.0 : texts[i - 1].Args[0] + texts[i - 1].Font.MeasureText(texts[i - 1].Text);
    EXPECT_NEAR(texts[i].Args[0], start, 1.0 + 0.02 * start);
    // Top-aligned: every run hangs from the top of the line.
    EXPECT_NEAR(texts[i].Args[1], std::abs(texts[i].Font.Metrics().Ascent), 1.5);
  }
  EXPECT_NE(texts[0].Font.Family, texts[1].Font.Family);
  EXPECT_NE(texts[1].Font.Family, texts[2].Font.Family);
  EXPECT_TRUE(texts[1].Font.Bold);
  EXPECT_TRUE(texts[2].Font.Italic);
  EXPECT_GT(texts[1].Font.Size, texts[0].Font.Size);
  EXPECT_GT(texts[0].Font.Size, texts[2].Font.Size);

  // In pixels, on screen and on paper alike: each run's stretch of the line shows its colour and
  // no other. The line starts at the anchor plus the padding (6 mm).
  const double px = 96 / 25.4;
  double edges[4] = {6 * px, 0, 0, 0};
  for (int i = 1; i <= 3; ++i) edges[i] = edges[i - 1] + p->GetItem(i).GetBaseWidth() / 1000.0 * px;
  for (const bool print : {false, true}) {
    SCOPED_TRACE(print ? "paper" : "screen");
    const QImage img = PlanoraTest::RenderItem(p, print);
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(words[i]);
      const auto n = ColorsIn(img, int(std::ceil(edges[i])) + 2, int(edges[i + 1]) - 2);
      EXPECT_GT(n[std::size_t(i)], 20);
      for (int k = 0; k < 3; ++k) {
        if (k != i) {
          EXPECT_EQ(n[std::size_t(k)], 0) << "colour " << k;
        }
      }
    }
    EXPECT_EQ(ColorsIn(img, 0, int(edges[0]) - 1), (std::array<int, 3>{0, 0, 0})) << "ink before the line";
  }
}

TEST(PolyText, VerticalAlignmentCentresOrGroundsRunsOfDifferentHeights) {
  RecordingContext rc;
  TPLNPolyText* p = ThreeRuns(rc.doc);
  rc.d.DrawState = TORVDrawState::Export;
  // The tallest run (9 mm) fills the line; the 6 mm run sits 1.5 mm lower when centred and 3 mm
  // lower when standing on the bottom (10 pixels per millimetre).
  const double top[3] = {0, 15, 30};
  for (int align = 0; align < 3; ++align) {
    SCOPED_TRACE(align);
    p->SetVertAlign(static_cast<TORVVertAlign>(align));
    rc.Redraw(p);
    const auto texts = rc.canvas.OpsNamed("DrawSimpleText");
    ASSERT_EQ(texts.size(), 3u);
    const double asc0 = std::abs(texts[0].Font.Metrics().Ascent), asc1 = std::abs(texts[1].Font.Metrics().Ascent);
    EXPECT_NEAR(texts[1].Args[1] - asc1, 0, 1.5) << "the tallest run fills the line";
    EXPECT_NEAR(texts[0].Args[1] - asc0, top[align], 1.5);
  }
}

TEST(PolyText, AQuarterTurnTurnsTheContentAnticlockwise) {
  TPlanoraFMX doc;
  auto* p = new TPLNPolyText(&doc, false);
  p->AssignPoints({{30000, 30000}, {30000, 30000}});
  p->AddItem(MakeRun("AAA", "Liberation Sans", 6000, true, false, kRed));
  p->AddItem(MakeRun("BBB", "Liberation Sans", 6000, true, false, kBlue));
  for (const bool print : {false, true}) {
    SCOPED_TRACE(print ? "paper" : "screen");
    p->SetAngle(TORVAngle::A0);
    QImage img = PlanoraTest::RenderItem(p, print);
    QPointF first = Centroid(img, 0), second = Centroid(img, 2);
    EXPECT_GT(second.x() - first.x(), 20) << "unturned the line reads left to right";
    EXPECT_NEAR(second.y(), first.y(), 3);

    // A quarter turn anticlockwise: the line reads upwards, its start at the bottom.
    p->SetAngle(TORVAngle::A90);
    img = PlanoraTest::RenderItem(p, print);
    first = Centroid(img, 0);
    second = Centroid(img, 2);
    EXPECT_GT(first.y() - second.y(), 20);
    EXPECT_NEAR(second.x(), first.x(), 3);

    // Three quarters: downwards.
    p->SetAngle(TORVAngle::A270);
    img = PlanoraTest::RenderItem(p, print);
    first = Centroid(img, 0);
    second = Centroid(img, 2);
    EXPECT_GT(second.y() - first.y(), 20);
  }
  // On screen the canvas turns by -90 degrees and the box stands upright.
  RecordingContext rc;
  auto* q = new TPLNPolyText(&rc.doc, false);
  q->AssignPoints({{0, 0}, {0, 0}});
  q->AddItem(MakeRun("AAA", "Liberation Sans", 6000, false, false, kRed));
  const TORVBounds flat = q->GetBounds();
  q->SetAngle(TORVAngle::A90);
  rc.Redraw(q);
  const auto turns = rc.canvas.OpsNamed("Rotate");
  ASSERT_EQ(turns.size(), 1u);
  EXPECT_EQ(turns[0].Args[0], -90);
  const TORVBounds up = q->GetBounds();
  EXPECT_EQ(up.X2 - up.X1, flat.Y2 - flat.Y1);
  EXPECT_EQ(up.Y2 - up.Y1, flat.X2 - flat.X1);
}

TEST(PolyText, AnInvalidBarcodeDrawsNoBars) {
  RecordingContext rc;
  TPLNPolyText* p = Code(rc.doc, TORVPolyType::Barcode, "4006381333932");  // check digit 1
  p->SetCodeType(TORVBarType::Ean13);
  EXPECT_FALSE(p->IsValid());
  EXPECT_FALSE(p->GetBounds().IsEmpty()) << "an invalid code keeps a box to select";
  for (const TORVDrawState state : {TORVDrawState::Editor, TORVDrawState::Export}) {
    rc.d.DrawState = state;
    rc.Redraw(p);
    EXPECT_EQ(rc.canvas.Count("DrawRect"), 0);
    // The editor marks it with a cross; an export shows nothing, as paper does.
    EXPECT_EQ(rc.canvas.Count("DrawLine"), state == TORVDrawState::Editor ? 2 : 0);
  }
  rc.Redraw(p, true);
  EXPECT_EQ(rc.canvas.Count("P.FillRect"), 0);
  EXPECT_EQ(PlanoraTest::Ink(PlanoraTest::RenderItem(p)), 0);

  p->SetCode("4006381333931");
  EXPECT_TRUE(p->IsValid());
  rc.d.DrawState = TORVDrawState::Export;
  rc.Redraw(p);
  EXPECT_GT(rc.canvas.Count("DrawRect"), 20);
  rc.Redraw(p, true);
  EXPECT_GT(rc.canvas.Count("P.FillRect"), 20);
  // A code the type cannot take at all, and an empty one, are invalid too.
  p->SetCode("ABC");
  EXPECT_FALSE(p->IsValid());
  EXPECT_FALSE(p->EncodeError().isEmpty());
  p->SetCode("");
  EXPECT_FALSE(p->IsValid());
}

TEST(PolyText, RadioZeroGivesASquareBackgroundAnyOtherRoundsItsCorners) {
  RecordingContext rc;
  auto* p = new TPLNPolyText(&rc.doc, false);
  p->AssignPoints({{10000, 10000}, {10000, 10000}});
  // No runs: the box is the paddings alone, 10 x 10 mm.
  p->SetBasePadX(5000);
  p->SetBasePadY(5000);
  p->SetBackColor(kBlack);
  p->SetFilled(true);
  rc.d.DrawState = TORVDrawState::Export;
  const QRectF box(100, 100, 100, 100);  // at 10 pixels per millimetre

  rc.Redraw(p);
  ASSERT_EQ(rc.canvas.Count("DrawRect"), 1);
  EXPECT_EQ(rc.canvas.OpsNamed("DrawRect")[0].Rect, box);
  EXPECT_EQ(rc.canvas.Count("DrawRoundRect"), 0);
  rc.Redraw(p, true);
  ASSERT_EQ(rc.canvas.Count("P.FillRect"), 1);
  EXPECT_EQ(rc.canvas.OpsNamed("P.FillRect")[0].Args[0], 0);

  p->SetRadio(2);
  EXPECT_EQ(p->GetBaseRadio(), 2000);
  rc.Redraw(p);
  EXPECT_EQ(rc.canvas.Count("DrawRect"), 0);
  ASSERT_EQ(rc.canvas.Count("DrawRoundRect"), 1);
  const auto round = rc.canvas.OpsNamed("DrawRoundRect")[0];
  EXPECT_EQ(round.Rect, box);
  EXPECT_FLOAT_EQ(float(round.Args[0]), 20);
  rc.Redraw(p, true);
  ASSERT_EQ(rc.canvas.Count("P.FillRect"), 1);
  EXPECT_FLOAT_EQ(float(rc.canvas.OpsNamed("P.FillRect")[0].Args[0]), 20);

  // In pixels (96 dpi: the box from 37.8 to 75.6): the corner is filled only when square.
  for (const bool print : {false, true}) {
    SCOPED_TRACE(print ? "paper" : "screen");
    p->SetRadio(0);
    QImage img = PlanoraTest::RenderItem(p, print);
    EXPECT_TRUE(PlanoraTest::Dark(img, 39, 39));
    EXPECT_TRUE(PlanoraTest::Dark(img, 56, 56));
    p->SetRadio(3);
    img = PlanoraTest::RenderItem(p, print);
    EXPECT_TRUE(PlanoraTest::White(img, 39, 39));
    EXPECT_TRUE(PlanoraTest::Dark(img, 56, 56));
    EXPECT_TRUE(PlanoraTest::Dark(img, 56, 39)) << "the top edge between the corners";
  }
}

TEST(PolyText, EveryContentSurvivesBothFileFormats) {
  TPlanoraFMX doc;
  TPLNPolyText* runs = ThreeRuns(doc);
  runs->SetRadio(1.5f);
  runs->SetAngle(TORVAngle::A180);
  runs->SetBackColor(0xFF102030u);
  runs->SetFilled(true);
  runs->SetVertAlign(TORVVertAlign::Bottom);
  TPLNPolyText* bar = Code(doc, TORVPolyType::Barcode, "ABC-123");
  bar->SetCodeType(TORVBarType::Code39);
  bar->SetCheckSum(true);
  bar->SetBaseBarWidth(400);
  bar->SetShowNumber(false);
  TPLNPolyText* qr = Code(doc, TORVPolyType::QRCode, QStringLiteral("Grüße aus Köln"));
  qr->SetAngle(TORVAngle::A90);
  TPLNPolyText* dm = Code(doc, TORVPolyType::DataMatrix, "DM-42");
  for (TPLNPolyText* p : {runs, bar, qr, dm}) ASSERT_TRUE(p->IsValid());

  auto same = [&](TPlanoraFMX& back) {
    ASSERT_EQ(back.GetItemsCount(), 4);
    for (int i = 1; i <= 4; ++i) {
      SCOPED_TRACE(i);
      auto* a = dynamic_cast<TPLNPolyText*>(doc.GetItem(i));
      auto* b = dynamic_cast<TPLNPolyText*>(back.GetItem(i));
      ASSERT_TRUE(a && b);
      EXPECT_EQ(b->GetPolyType(), a->GetPolyType());
      ASSERT_EQ(b->GetItemCount(), a->GetItemCount());
      for (int r = 1; r <= a->GetItemCount(); ++r) EXPECT_TRUE(b->GetItem(r).SameAs(a->GetItem(r))) << "run " << r;
      auto fields = [](const TPLNPolyText* p) {
        return std::tuple(p->GetCode(), p->GetBarType(), p->GetCheckSum(), p->GetBaseBarWidth(), p->GetShowNumber(),
                          p->GetBaseRadio(), p->GetAngle(), p->GetVertAlign(), p->GetFilled(), p->GetBackColor());
      };
      EXPECT_EQ(fields(b), fields(a));
      EXPECT_TRUE(b->IsValid());
      EXPECT_EQ(b->Matrix().Dark, a->Matrix().Dark);
      EXPECT_EQ(b->Linear().Pattern, a->Linear().Pattern);
      // Measured and laid out again on reading: the same box.
      const TORVBounds ba = a->GetBounds(), bb = b->GetBounds();
      EXPECT_EQ(std::tie(bb.X1, bb.Y1, bb.X2, bb.Y2), std::tie(ba.X1, ba.Y1, ba.X2, ba.Y2));
    }
    EXPECT_EQ(back.ToJsonText(), doc.ToJsonText());
  };
  {
    TPlanoraFMX back;
    back.LoadFromJson(doc.ToJsonText());
    same(back);
  }
  QBuffer buf;
  buf.open(QIODevice::WriteOnly);
  doc.SaveToStream(&buf);
  buf.close();
  {
    QBuffer in(&buf.buffer());
    in.open(QIODevice::ReadOnly);
    TPlanoraFMX back;
    back.LoadFromStream(&in);
    same(back);
  }
}

TEST(PolyText, DamagedRecordsAreRefusedAndLeaveTheDocumentAsItWas) {
  TPlanoraFMX doc;
  ThreeRuns(doc);
  const QByteArray good = doc.ToJsonText();
  TPlanoraFMX target;
  Code(target, TORVPolyType::QRCode, "keep me");
  const QByteArray before = target.ToJsonText();
  struct Bad {
    const char* from;
    const char* to;
    const char* key;
  };
  for (const Bad& bad : {Bad{"\"PolyType\":0", "\"PolyType\":4", "PolyType"},
                         Bad{"\"BarType\":16", "\"BarType\":23", "BarType"},
                         Bad{"\"BarWidth\":330", "\"BarWidth\":0", "BarWidth"},
                         Bad{"\"Factor\":2.5", "\"Factor\":7", "Factor"},
                         Bad{"\"RunCount\":3", "\"RunCount\":-1", "RunCount"},
                         Bad{"\"RunCount\":3", "\"RunCount\":20000", "RunCount"},
                         Bad{"\"Run2FontHeight\":9000", "\"Run2FontHeight\":0", "Run2FontHeight"},
                         Bad{"\"Run3Bold\":false", "\"Run3Bold\":\"no\"", "Run3Bold"}}) {
    SCOPED_TRACE(bad.to);
    QByteArray text = good;
    ASSERT_TRUE(text.contains(bad.from));
    text.replace(bad.from, bad.to);
    try {
      target.LoadFromJson(text);
      ADD_FAILURE() << "accepted";
    } catch (const EPLNError& e) {
      EXPECT_TRUE(QString(e.what()).contains(QLatin1String(bad.key))) << e.what();
    }
    EXPECT_EQ(target.ToJsonText(), before);
  }

  // Binary: a record cut short anywhere in the runs, or a run count the file cannot hold.
  QBuffer buf;
  buf.open(QIODevice::WriteOnly);
  doc.SaveToStream(&buf);
  const QByteArray bytes = buf.data();
  for (const int cut : {4, 12, 30}) {
    SCOPED_TRACE(cut);
    QByteArray shortened = bytes.left(bytes.size() - cut);
    QBuffer in(&shortened);
    in.open(QIODevice::ReadOnly);
    EXPECT_THROW(target.LoadFromStream(&in), EPLNError);
    EXPECT_EQ(target.ToJsonText(), before);
  }
  // The run count follows the distance (500) as a 32-bit 3 right before the first run's text.
  QByteArray marker("\x03\x00\x00\x00\x03Hag", 8);
  const qsizetype at = bytes.indexOf(marker);
  ASSERT_GT(at, 0);
  QByteArray huge = bytes;
  huge[at + 3] = '\x10';
  QBuffer in(&huge);
  in.open(QIODevice::ReadOnly);
  EXPECT_THROW(target.LoadFromStream(&in), EPLNError);
  EXPECT_EQ(target.ToJsonText(), before);
}

TEST(PolyText, ARunBoundToDataShowsTheRecordAndKeepsItsBindingInBothFormats) {
  TPlanoraFMX doc;
  doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv("gtin,kg\n123,2.5\n", QStringLiteral("t"))));
  TPLNPolyText* p = ThreeRuns(doc);
  TPLNDataPoly run = p->GetItem(2);
  run.SetField(QStringLiteral("kg"));
  run.SetFormat(QStringLiteral("0.00"));
  run.SetIA(QStringLiteral("3102"));
  run.SetAddPar(true);
  const std::int64_t plain = p->GetItem(2).GetBaseWidth();
  EXPECT_FALSE(p->GetIsData());
  p->SetItem(2, run);
  EXPECT_TRUE(p->GetIsData()) << "each label of a sheet shows its own record";
  EXPECT_EQ(p->RunText(p->GetItem(2)), QStringLiteral("(3102)2.50"));
  EXPECT_GT(p->GetItem(2).GetBaseWidth(), plain) << "measured with the value it shows";
  EXPECT_EQ(p->RunText(p->GetItem(1)), QStringLiteral("Hag"));
  run.SetAddPar(false);
  p->SetItem(2, run);
  EXPECT_EQ(p->RunText(p->GetItem(2)), QStringLiteral("31022.50"));

  QBuffer buf;
  buf.open(QIODevice::WriteOnly);
  doc.SaveToStream(&buf);
  const QByteArray bytes = buf.data();
  for (const bool json : {false, true}) {
    SCOPED_TRACE(json);
    TPlanoraFMX back;
    if (json) {
      back.LoadFromJson(doc.ToJsonText());
    } else {
      QByteArray copy = bytes;
      QBuffer in(&copy);
      in.open(QIODevice::ReadOnly);
      back.LoadFromStream(&in);
    }
    auto* b = dynamic_cast<TPLNPolyText*>(back.GetItem(1));
    ASSERT_TRUE(b && b->GetItemCount() == 3);
    for (int r = 1; r <= 3; ++r) EXPECT_TRUE(b->GetItem(r).SameAs(p->GetItem(r))) << r;
    EXPECT_EQ(b->GetItem(2).GetField(), QStringLiteral("kg"));
  }
  // Bound runs are counted as -1 - count: -4 before the first run's text. A count below that
  // the file cannot hold is refused like any other.
  QByteArray marker("\xFC\xFF\xFF\xFF\x03Hag", 8);
  const qsizetype at = bytes.indexOf(marker);
  ASSERT_GT(at, 0);
  TPlanoraFMX target;
  for (const char top : {'\x80', '\xF0'}) {
    QByteArray huge = bytes;
    huge[at] = '\x00';
    huge[at + 3] = top;
    QBuffer in(&huge);
    in.open(QIODevice::ReadOnly);
    EXPECT_THROW(target.LoadFromStream(&in), EPLNError);
    EXPECT_EQ(target.GetItemsCount(), 0);
  }
  // A run without a binding is written as it always was: no binding in the JSON either.
  run = p->GetItem(2);
  run.SetField({});
  run.SetFormat({});
  run.SetIA({});
  p->SetItem(2, run);
  EXPECT_FALSE(doc.ToJsonText().contains("Run2Field"));
}

TEST(PolyText, EachLabelOfASheetShowsItsRecordInABoundRun) {
  TPlanoraFMX doc;
  doc.LoadFromFile(PlanoraTest::Sample("address-labels.json"));
  doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromFile(PlanoraTest::Sample("addresses.csv"))));
  const int originals = doc.GetItemsCount();
  TPLNPolyText* p = ThreeRuns(doc);
  TPLNDataPoly run = p->GetItem(2);
  run.SetField(doc.GetDataSource()->Fields().first());
  p->SetItem(2, run);
  doc.CheckPrintData();
  doc.GoToPage(1, false, true);
  int copies = 0;
  for (int i = originals + 2; i <= doc.GetItemsCount(); ++i) {
    auto* copy = dynamic_cast<TPLNPolyText*>(doc.GetItem(i));
    if (!copy) continue;
    ++copies;
    const int record = doc.CopyRecord(copy);
    ASSERT_GE(record, 0);
    EXPECT_EQ(copy->RunText(copy->GetItem(2)), doc.GetDataSource()->Value(record, 0)) << record;
    EXPECT_EQ(copy->RunText(copy->GetItem(1)), QStringLiteral("Hag"));
  }
  EXPECT_EQ(copies, doc.Measure().Rows * doc.Measure().Columns);
}

TEST(PolyText, SetDataSplitsATextIntoRunsAtLineFeeds) {
  TPlanoraFMX doc;
  auto* p = new TPLNPolyText(&doc, false);
  p->AssignPoints({{0, 0}, {0, 0}});
  p->SetColor(kRed);
  p->SetData("one");
  ASSERT_EQ(p->GetItemCount(), 1);
  EXPECT_EQ(p->GetItem(1).GetText(), "one");
  EXPECT_EQ(p->GetItem(1).GetColor(), kRed) << "a first run takes the item's ink";
  EXPECT_EQ(p->GetItem(1).GetFontName(), p->GetFontName());

  TPLNDataPoly styled = p->GetItem(1);
  styled.SetFontName("Liberation Serif");
  styled.SetColor(kBlue);
  p->SetItem(1, styled);
  p->SetData("a\nb\nc");
  ASSERT_EQ(p->GetItemCount(), 3);
  EXPECT_EQ(p->GetData(), "a\nb\nc");
  // The first run keeps its font; the new ones take the last run's.
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(p->GetItem(i).GetFontName(), "Liberation Serif") << i;
    EXPECT_EQ(p->GetItem(i).GetColor(), kBlue) << i;
  }
  p->SetData("x");
  ASSERT_EQ(p->GetItemCount(), 1);
  EXPECT_EQ(p->GetItem(1).GetText(), "x");

  // Code content: the text is the code, the runs stay.
  p->SetPolyType(TORVPolyType::QRCode);
  p->SetData("QR data");
  EXPECT_EQ(p->GetCode(), "QR data");
  EXPECT_EQ(p->GetItemCount(), 1);
  EXPECT_EQ(p->GetItem(1).GetText(), "x");
  // 2-D content starts from square modules, linear content from narrow tall bars.
  EXPECT_EQ(p->GetBaseBarWidth(), p->GetBaseBarHeight());
  p->SetPolyType(TORVPolyType::Barcode);
  EXPECT_GT(p->GetBaseBarHeight(), 10 * p->GetBaseBarWidth());
  // Through text runs and back: the sizes follow the code, not the last type.
  p->SetPolyType(TORVPolyType::DataMatrix);
  p->SetPolyType(TORVPolyType::Runs);
  p->SetPolyType(TORVPolyType::Barcode);
  EXPECT_GT(p->GetBaseBarHeight(), 10 * p->GetBaseBarWidth());
  // Sizes of the user's that suit the new code stay.
  p->SetBaseBarWidth(250);
  p->SetBaseBarHeight(8000);
  p->SetPolyType(TORVPolyType::Runs);
  p->SetPolyType(TORVPolyType::Barcode);
  EXPECT_EQ(p->GetBaseBarWidth(), 250);
  EXPECT_EQ(p->GetBaseBarHeight(), 8000);
}

TEST(PolyText, CodesReadBackFromA300DpiExportAtEveryQuarterTurn) {
  struct Case {
    TORVPolyType type;
    QString code;
    ZXing::BarcodeFormat format;
  };
  const Case cases[] = {
      {TORVPolyType::QRCode, QStringLiteral("Poly text QR: Grüße, 3 × 4 = 12 €"), ZXing::BarcodeFormat::QRCode},
      {TORVPolyType::DataMatrix, QStringLiteral("DM 2026-12-06"), ZXing::BarcodeFormat::DataMatrix},
      {TORVPolyType::Barcode, QStringLiteral("POLY-128"), ZXing::BarcodeFormat::Code128},
  };
  for (const Case& c : cases) {
    for (const TORVAngle angle : {TORVAngle::A0, TORVAngle::A90, TORVAngle::A180, TORVAngle::A270}) {
      SCOPED_TRACE(c.code.toStdString() + " angle " + std::to_string(int(angle)));
      TPlanoraFMX doc;
      doc.SetMeasure(PlanoraTest::Paper(80000, 80000));
      TPLNPolyText* p = Code(doc, c.type, c.code);
      // Centred on the page: ZXing looks for a DataMatrix from the middle of the image outwards.
      p->AssignPoints({{40000, 40000}, {40000, 40000}});
      p->SetHorzAlign(TORVHorzAlign::Center);
      p->SetVertAlign(TORVVertAlign::Center);
      p->SetAngle(angle);
      // A coloured background behind the code: the quiet zone is the paddings.
      p->SetBackColor(0xFFFFF0C0u);
      p->SetFilled(true);
      p->SetRadio(1);
      p->SetBasePadX(3000);
      p->SetBasePadY(3000);
      ASSERT_TRUE(p->IsValid());
      const QString png = PlanoraTest::TmpPath(QStringLiteral("poly_%1_%2.png").arg(int(c.type)).arg(int(angle)));
      ASSERT_EQ(PlanoraTest::Export(doc, TORVExport::PNG, png, 1, 300.0f / 96.0f), QString());
      const QImage img(png);
      ASSERT_FALSE(img.isNull());
      EXPECT_NEAR(img.width(), 80 / 25.4 * 300, 2) << "300 dpi";
      EXPECT_EQ(Decode(img, c.format), c.code.toStdString());
    }
  }
}

TEST(PolyText, FactoryHangsARunlessPolyTextOnItsAnchorInTheLayersPen) {
  TPlanoraFMX doc;
  doc.GetActiveLayer()->PenColor = 0xFF123456u;
  doc.SetUnits(TORVUnits::cm);
  auto* p = dynamic_cast<TPLNPolyText*>(Fmx::TPLNFactory::AddPolyText(&doc, 1.5f, 2));
  ASSERT_TRUE(p);
  EXPECT_EQ(doc.GetItemsCount(), 1);
  EXPECT_EQ(p->GetPoint(1), (TORVPto{15000, 20000}));
  EXPECT_EQ(p->GetColor(), 0xFF123456u);
  EXPECT_EQ(p->GetPolyType(), TORVPolyType::Runs);
  EXPECT_EQ(p->GetItemCount(), 0);
  auto* q = dynamic_cast<TPLNPolyText*>(Fmx::TPLNFactory::AddBasePolyText(&doc, -3000, 700));
  ASSERT_TRUE(q);
  EXPECT_EQ(q->GetPoint(1), (TORVPto{-3000, 700}));
  EXPECT_EQ(q->GetColor(), 0xFF123456u);
}
