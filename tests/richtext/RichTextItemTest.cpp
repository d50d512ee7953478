// The rich-text item: layout of runs into segments, the caret and click geometry the editor uses,
// drawing on screen and paper, files, and the MCP tool.
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include "ORV.Canvas.Recording.h"
#include "ORV.Data.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.h"
#include "../mcp/ToolsFixture.h"
#include "ORV.RichTextItem.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::RichText;

namespace {

// Every character 1000 units wide, a format's height its size: layouts that can be worked out
// by hand.
class TFixedMeasure : public IRichMeasure {
 public:
  explicit TFixedMeasure(const TRichParse& p) : fParse(p) {}
  std::int64_t Width(const QString& text, int) override { return 1000 * std::int64_t(text.size()); }
  std::int64_t Height(int format) override { return fParse.Formats[std::size_t(format)].Size; }

 private:
  const TRichParse& fParse;
};

TRichParse Read(const QString& markup, TRichAlign align = TRichAlign::Left) {
  TRichTextFormat base;
  base.FontName = QStringLiteral("Arial");
  base.Size = 4000;
  return Parse(markup, base, align);
}

// The texts of the segments, one string per line joined by "|".
QString Lines(const TRichSegments& segs) {
  QString out;
  for (std::size_t i = 0; i < segs.size(); ++i) {
    if (i > 0 && segs[i].Line != segs[i - 1].Line) out += QLatin1Char('|');
    out += segs[i].Text;
  }
  return out;
}

}  // namespace

TEST(RichTextLayout, WrapsAtSpacesKeepsWordsWholeAndStopsAtTheHeight) {
  // 10 characters a line.
  TRichParse p = Read(QStringLiteral("one two three four"));
  TFixedMeasure m(p);
  TRichSegments segs = LayoutRuns(p, 10000, 0, 0, m);
  EXPECT_EQ(Lines(segs), QStringLiteral("one two|three four"));
  // The space the line broke at is not placed; the next line starts at x 0.
  EXPECT_EQ(segs[3].Text, QStringLiteral("three"));
  EXPECT_EQ(segs[3].X, 0);
  EXPECT_EQ(segs[3].Y, 4000);
  EXPECT_EQ(segs[3].PlainStart, 8);

  // A word wider than the area stands alone on its line and overflows it.
  p = Read(QStringLiteral("a abcdefghijklmn b"));
  segs = LayoutRuns(p, 10000, 0, 0, m);
  EXPECT_EQ(Lines(segs), QStringLiteral("a|abcdefghijklmn|b"));
  EXPECT_EQ(segs[1].Width, 14000);

  // Runs that meet without a space are one word: bold "ab" and "cd" move to the next line together.
  p = Read(QStringLiteral("xxxxxxx <B>ab</B>cd"));
  segs = LayoutRuns(p, 10000, 0, 0, m);
  EXPECT_EQ(Lines(segs), QStringLiteral("xxxxxxx|abcd"));
  ASSERT_EQ(segs.size(), 3u);
  EXPECT_NE(segs[1].Format, segs[2].Format);
  EXPECT_EQ(segs[2].X, 2000);

  // Three lines of 4000 with a gap of 500 fit in 13000: the fourth (12000 + 4000) does not.
  p = Read(QStringLiteral("l1<BR>l2<BR>l3<BR>l4<BR>l5"));
  segs = LayoutRuns(p, 10000, 13000, 500, m);
  EXPECT_EQ(Lines(segs), QStringLiteral("l1|l2|l3"));
  EXPECT_EQ(segs[2].Y, 9000);
  EXPECT_TRUE(segs[0].ParaEnd);
}

TEST(RichTextLayout, AlignsEachParagraphAndLeavesWideLinesAlone) {
  TRichParse p = Read(QStringLiteral("<C>ab</C><BR><R>abc</R><BR>abcdefghijkl"), TRichAlign::Center);
  TFixedMeasure m(p);
  const TRichSegments segs = LayoutRuns(p, 10000, 0, 0, m);
  ASSERT_EQ(segs.size(), 3u);
  EXPECT_EQ(segs[0].X, 4000);  // centred: (10000 - 2000) / 2
  EXPECT_EQ(segs[1].X, 7000);  // right: 10000 - 3000
  EXPECT_EQ(segs[2].X, 0);     // centred by default, but wider than the area: not shifted

  // Bigger text makes its line taller; the lines below move down by it.
  p = Read(QStringLiteral("a <FS:24>B</FS><BR>c"));
  TFixedMeasure m2(p);
  const TRichSegments tall = LayoutRuns(p, 10000, 0, 0, m2);
  ASSERT_EQ(tall.size(), 4u);
  EXPECT_EQ(tall[3].Y, PointsToSize(24));
}

TEST(RichTextLayout, CaretClicksLineMovesAndWordsFollowTheSegments) {
  // "one two" / "three" / "" (a text ending in a line break has an empty last line).
  const TRichParse p = Read(QStringLiteral("one two three<BR>"));
  TFixedMeasure m(p);
  const TRichSegments segs = LayoutRuns(p, 8000, 0, 0, m);
  EXPECT_EQ(Lines(segs), QStringLiteral("one two|three|"));

  TRichCaret c = CaretAt(segs, 5, m);  // after "one t"
  EXPECT_EQ(c.X, 5000);
  EXPECT_EQ(c.Line, 0);
  c = CaretAt(segs, 7, m);  // the space the line broke at: end of the first line
  EXPECT_EQ(c.Line, 0);
  EXPECT_EQ(c.X, 7000);
  c = CaretAt(segs, 8, m);  // before "three"
  EXPECT_EQ(c.Line, 1);
  EXPECT_EQ(c.X, 0);
  c = CaretAt(segs, 14, m);  // after the final line break
  EXPECT_EQ(c.Line, 2);
  EXPECT_EQ(c.Top, 8000);

  EXPECT_EQ(PosAt(segs, 2400, 1000, m), 2);   // nearest boundary
  EXPECT_EQ(PosAt(segs, 99000, 5000, m), 13);  // past the end of line 2: its end
  EXPECT_EQ(PosAt(segs, 3000, -5000, m), 3);   // above the text: the first line

  EXPECT_EQ(LineMove(segs, 2, true, m), 10);   // x 2000 on "three"
  EXPECT_EQ(LineMove(segs, 10, false, m), 2);
  EXPECT_EQ(LineMove(segs, 2, false, m), 2);   // no line above
  EXPECT_EQ(LineMove(segs, 13, true, m), 14);  // to the empty last line

  int s = 0, e = 0;
  WordAt(segs, 5, s, e);
  EXPECT_EQ(s, 4);
  EXPECT_EQ(e, 7);
  WordAt(segs, 9, s, e);  // "three" ends its paragraph: the line break comes with it
  EXPECT_EQ(s, 8);
  EXPECT_EQ(e, 14);

  // A selection across the break covers the rest of line 1 and the start of line 2.
  const std::vector<TRichBox> boxes = SelectionBoxes(segs, 5, 10, m);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].X1, 5000);
  EXPECT_EQ(boxes[0].X2, 7000);
  EXPECT_EQ(boxes[1].X1, 0);
  EXPECT_EQ(boxes[1].X2, 2000);
  EXPECT_EQ(boxes[1].Y1, 4000);
  // A selection starting a line after a break marks nothing on the line before.
  const TRichParse two = Read(QStringLiteral("ab<BR>cd"));
  TFixedMeasure m2(two);
  const std::vector<TRichBox> second = SelectionBoxes(LayoutRuns(two, 8000, 0, 0, m2), 3, 5, m2);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].Y1, 4000);
  EXPECT_EQ(second[0].X2, 2000);
}

TEST(RichTextItem, DrawsEachFormatOnOneBaselineOnScreenAndPaper) {
  TPlanoraFMX doc;
  auto* item = static_cast<TPLNRichText*>(TPLNFactory::AddBaseRichText(&doc, 10000, 10000, 80000, 30000));
  item->SetBaseFontHeight(5000);
  item->SetRichText(QStringLiteral("plain <B>bold</B> <U>under</U> <FC:FF0000>red</FC> <BC:FFFF00>marked</BC> <S>gone</S>"));
  ASSERT_FALSE(item->Segments().empty());
  EXPECT_TRUE(item->Warnings().isEmpty()) << item->Warnings().join(QLatin1Char(';')).toStdString();

  Canvas::TRecordingCanvas rec;
  TPLNDraw d;
  d.kC = &rec;
  item->Draw(&d);
  QStringList texts;
  float baseline = -1;
  bool boldSeen = false, redSeen = false;
  for (const auto& op : rec.Ops) {
    if (op.Name != "DrawSimpleText") continue;
    texts << op.Text;
    if (baseline < 0) baseline = op.Args[1];
    EXPECT_FLOAT_EQ(op.Args[1], baseline) << op.Text.toStdString();
    if (op.Text == QLatin1String("bold")) boldSeen = op.Font.Bold;
    if (op.Text == QLatin1String("red")) redSeen = op.Paint.Color == 0xFFFF0000u;
  }
  EXPECT_EQ(texts.join(QLatin1Char('/')), QStringLiteral("plain /bold/ /under/ /red/ /marked/ /gone"));
  EXPECT_TRUE(boldSeen);
  EXPECT_TRUE(redSeen);
  // The marked word's background, and the underline and strike-out lines.
  int rects = 0, lines = 0;
  for (const auto& op : rec.Ops) {
    if (op.Name == "DrawRect" && op.Paint.Color == 0xFFFFFF00u) ++rects;
    if (op.Name == "DrawLine") ++lines;
  }
  EXPECT_EQ(rects, 1);
  EXPECT_EQ(lines, 2);

  // Paper: the same words, the underline by the font, the strike-out as a line.
  Canvas::TRecordingCanvas paper;
  TPLNDraw pd;
  pd.pC = &paper;
  pd.DrawState = TORVDrawState::Printing;
  item->Print(&pd);
  QStringList printed;
  bool underlined = false;
  for (const auto& op : paper.Ops)
    if (op.Name == "P.FillText") {
      printed << op.Text;
      if (op.Text == QLatin1String("under")) underlined = op.Font.Underline;
    }
  EXPECT_EQ(printed.join(QLatin1Char('/')), QStringLiteral("plain /bold/ /under/ /red/ /marked/ /gone"));
  EXPECT_TRUE(underlined);
}

TEST(RichTextItem, ADataFieldShowsItsRecordsValueAsMarkup) {
  TPlanoraFMX doc;
  auto* item = static_cast<TPLNRichText*>(TPLNFactory::AddBaseRichText(&doc, 0, 0, 80000, 20000));
  item->SetRichText(QStringLiteral("<B>name</B>"));
  item->SetFillType(1);
  item->SetFillName(QStringLiteral("name"));
  doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv("name\n<I>Anna</I> Smith\n", "r.csv")));
  auto drawn = [&](TORVDrawState state) {
    Canvas::TRecordingCanvas rec;
    TPLNDraw d;
    d.kC = &rec;
    d.DrawState = state;
    d.Record = 0;
    item->Draw(&d);
    QStringList out;
    for (const auto& op : rec.OpsNamed("DrawSimpleText")) out << (op.Font.Italic ? "i:" : op.Font.Bold ? "b:" : "") + op.Text;
    return out.join(QLatin1Char('/'));
  };
  EXPECT_EQ(drawn(TORVDrawState::Export), QStringLiteral("i:Anna/ Smith"));
  // The editor shows the item's own text; the item keeps its own layout.
  EXPECT_EQ(drawn(TORVDrawState::Editor), QStringLiteral("b:name"));
  EXPECT_EQ(item->GetPlainText(), QStringLiteral("name"));
}

TEST(RichTextItem, ScriptsThatNeedShapingGoThroughTheTextLayout) {
  TPlanoraFMX doc;
  auto* item = static_cast<TPLNRichText*>(TPLNFactory::AddBaseRichText(&doc, 0, 0, 90000, 40000));
  item->SetRichText(QStringLiteral("Crème Ελληνικά Кириллица <B>漢字</B> عربي"));
  Canvas::TRecordingCanvas rec;
  TPLNDraw d;
  d.kC = &rec;
  item->Draw(&d);
  QStringList simple, shaped;
  for (const auto& op : rec.Ops) {
    if (op.Name == "DrawSimpleText") simple << op.Text;
    if (op.Name == "DrawShapedText") shaped << op.Text;
  }
  EXPECT_TRUE(simple.join(QString()).contains(QStringLiteral("Crème")));
  EXPECT_TRUE(simple.join(QString()).contains(QStringLiteral("Кириллица")));
  // Arabic joins its letters: never glyph by glyph.
  EXPECT_TRUE(shaped.contains(QStringLiteral("عربي")));
  EXPECT_FALSE(simple.join(QString()).contains(QStringLiteral("عربي")));
  // The plain text keeps every character.
  EXPECT_EQ(item->GetPlainText(), QStringLiteral("Crème Ελληνικά Кириллица 漢字 عربي"));
}

TEST(RichTextItem, RoundTripsThroughBothFormatsAndReportsMissingFonts) {
  TPlanoraFMX doc;
  auto* item = static_cast<TPLNRichText*>(TPLNFactory::AddBaseRichText(&doc, 5000, 6000, 50000, 20000));
  const QString markup = QStringLiteral("<C><B>Big</B> <FN:Courier New>mono</FN> &lt;tag&gt;<BR><FS:14>size</FS></C>");
  item->SetRichText(markup);
  item->SetAngle(TORVAngle::A90);
  item->SetScaleX(1.5);
  for (const TORVExt ext : {TORVExt::Eti, TORVExt::Json}) {
    const QString path = PlanoraTest::TmpPath(ext == TORVExt::Eti ? QStringLiteral("rich.eti") : QStringLiteral("rich.json"));
    doc.SaveToFile(path, ext);
    TPlanoraFMX back;
    ASSERT_TRUE(back.LoadFromFile(path));
    ASSERT_EQ(back.GetItemsCount(), 1);
    auto* read = dynamic_cast<TPLNRichText*>(back.GetItem(1));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetRichText(), markup);
    EXPECT_EQ(read->GetAngle(), TORVAngle::A90);
    EXPECT_DOUBLE_EQ(read->GetScaleX(), 1.5);
    EXPECT_EQ(read->Segments().size(), item->Segments().size());
  }
  // A family that is not installed draws in the item's font and says so.
  item->SetRichText(QStringLiteral("<FN:No Such Font 123>x</FN>"));
  ASSERT_EQ(item->Warnings().size(), 1);
  EXPECT_TRUE(item->Warnings().front().contains(QStringLiteral("No Such Font 123")));
  EXPECT_FALSE(item->Segments().empty());
}

TEST(RichTextItem, AgentsAddRichTextsWithTheirTextsAndErrors) {
  PlanoraTest::TTools t;
  const QJsonObject schema = t.Listed("add_richtext")["inputSchema"].toObject();
  EXPECT_EQ(schema["required"].toArray(), (QJsonArray{"x", "y", "width", "height", "richtext"}));
  const QString text = t.Ok("add_richtext", {{"x", 10}, {"y", 20}, {"width", 60}, {"height", 15},
                                             {"richtext", "<B>Sale</B> <FC:#FF0000>-20%</FC><Q>"}, {"color", "#0000FF"}});
  EXPECT_TRUE(text.startsWith("RichText added: id=1 at (10.0, 20.0) size 60.0 x 15.0\nWarning: ")) << text.toStdString();
  EXPECT_TRUE(text.contains("<Q>")) << text.toStdString();  // the unknown tag stays as text, and is named
  auto* item = dynamic_cast<TPLNRichText*>(t.Last());
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetFontColor(), 0xFF0000FFu);
  EXPECT_EQ(item->GetPlainText(), QStringLiteral("Sale -20%<Q>"));
  // Defaults for the size; a plain markup draws without warnings.
  EXPECT_EQ(t.Ok("add_richtext", {{"x", 0}, {"y", 0}, {"richtext", "plain"}}), "RichText added: id=2 at (0.0, 0.0) size 50.0 x 20.0");
  EXPECT_TRUE(t.Refused("add_richtext", {{"x", 1}, {"y", 1}, {"richtext", ""}}).contains("richtext"));
  EXPECT_TRUE(t.Refused("add_richtext", {{"x", 1}, {"y", 1}, {"richtext", "a"}, {"colour", "#FF0000"}}).contains("color"));
}
