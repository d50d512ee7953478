// The Nutri-Score label in files (both formats, bad records refused) and bound to data.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QJsonDocument>
#include <cmath>

#include "ORV.Data.h"
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.Shared.h"
#include "ORV.Json.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using F2d::TORVNutriStyle;

using PlanoraTest::ReadInto;
using PlanoraTest::ReadJsonInto;
using PlanoraTest::Record;

namespace {

// Every value away from its default.
void SetEverything(TPLNNutriScore& n) {
  n.SetValue(u'D');
  n.SetNutriType(1);
  n.SetAngle(TORVAngle::A270);
  n.SetShowTitle(false);
  n.SetTitle(QStringLiteral("Nutri-Score ✓"));
  n.SetTitleAlign(TORVHorzAlign::Right);
  n.SetTitleColor(0xFF112233u);
  for (int g = 0; g < 5; ++g) n.SetGradeColor(g, 0xFF000010u + g);
  n.SetCharColor(0x80102030u);
  n.SetValueColor(0xFF405060u);
  n.SetBlackWhite(true);
  n.SetBaseRadio(1234);
  n.SetBaseInnerRadio(0);
  n.SetBaseMargin(777);
  n.SetBaseGap(55);
  n.SetBaseGapValue(1500);
  n.SetFillType(2);
  n.SetFillName(QStringLiteral("grade"));
  n.SetFormat(QStringLiteral("%s"));
}




}  // namespace

TEST(NutriFile, EveryValueComesBackFromBothFormatsAndDocumentFiles) {
  TPlanoraFMX doc;
  auto* n = static_cast<TPLNNutriScore*>(TPLNFactory::AddBaseNutriScore(&doc, 1000, 2000, 30000, 15000));
  SetEverything(*n);
  ASSERT_NE(n->Style(), TORVNutriStyle());

  TPlanoraFMX other;
  auto* binary = new TPLNNutriScore(&other, false);
  ASSERT_EQ(ReadInto(*binary, Record(*n)), "");
  EXPECT_EQ(binary->Style(), n->Style());
  EXPECT_EQ(binary->Points(), n->Points());
  auto* json = new TPLNNutriScore(&other, false);
  ASSERT_EQ(ReadJsonInto(*json, n->ToJson()), "");
  EXPECT_EQ(json->Style(), n->Style());
  EXPECT_EQ(n->ToJson()["Value"].toString(), "D");

  // Saved in a document and opened again, it is the same kind of item with the same values.
  for (const char* name : {"label.eti", "label.json"}) {
    SCOPED_TRACE(name);
    const QString path = PlanoraTest::TmpPath(QString::fromLatin1(name));
    doc.SaveToFile(path, QString::fromLatin1(name).endsWith("json") ? TORVExt::Json : TORVExt::Eti);
    TPlanoraFMX reread;
    ASSERT_TRUE(reread.LoadFromFile(path));
    ASSERT_EQ(reread.GetItemsCount(), 1);
    auto* back = dynamic_cast<TPLNNutriScore*>(reread.GetItem(1));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Style(), n->Style());
    EXPECT_EQ(back->Points(), n->Points());
  }
}

TEST(NutriFile, OutOfRangeRecordsAreRefusedAndTheLabelKeepsItsValues) {
  TPLNBaseLabel doc;
  auto* n = PlanoraTest::MakeItem<TPLNNutriScore>(doc, {{0, 0}, {30000, 15000}});
  const QByteArray good = Record(*n);
  // The label's own values follow the box's record: grade (2 bytes), layout, angle.
  QByteArray base;
  {
    QBuffer b(&base);
    b.open(QIODevice::WriteOnly);
    TBinaryWriter w(&b);
    n->F2d::TPLNBoxItem::WriteData(w);
  }
  const int at = int(base.size());
  ASSERT_EQ(good.left(at), base);

  auto* target = PlanoraTest::MakeItem<TPLNNutriScore>(doc, {{0, 0}, {1000, 1000}});
  target->SetValue(u'E');
  const TORVNutriStyle kept = target->Style();
  const auto patched = [&](int offset, char v) {
    QByteArray b = good;
    b[offset] = v;
    return ReadInto(*target, b);
  };
  EXPECT_TRUE(patched(at, 'F').contains("grade")) << patched(at, 'F').toStdString();
  EXPECT_TRUE(patched(at, '@').contains("grade"));
  EXPECT_TRUE(patched(at + 2, 2).contains("NutriType"));
  EXPECT_TRUE(patched(at + 3, 4).contains("Angle"));
  EXPECT_EQ(target->Style(), kept);
  // Cut anywhere inside the label's values.
  for (int cut = at; cut < good.size(); cut += 7) EXPECT_NE(ReadInto(*target, good.left(cut)), "") << cut;
  EXPECT_EQ(target->Style(), kept);
  EXPECT_EQ(ReadInto(*target, good), "");
  EXPECT_EQ(target->Value(), u'A');

  // JSON: each key out of range on its own.
  const QJsonObject o = n->ToJson();
  const std::vector<std::pair<QJsonObject, const char*>> bad = {
      {{{"Value", "F"}}, "grade"},       {{{"Value", "AB"}}, "grade"},   {{{"Value", ""}}, "grade"},
      {{{"NutriType", 2}}, "NutriType"}, {{{"Angle", 4}}, "Angle"},      {{{"TitleAlign", 9}}, "TitleAlign"},
      {{{"Margin", -1}}, "Margin"},      {{{"Gap", 2e9}}, "Gap"},        {{{"GapValue", -5}}, "GapValue"},
      {{{"Radius", -1}}, "Radius"},      {{{"InnerRadius", 2e9}}, "InnerRadius"},
      {{{"FillType", 256}}, "FillType"}, {{{"Margin", "wide"}}, "Margin"},
  };
  target->SetValue(u'C');
  const TORVNutriStyle before = target->Style();
  for (const auto& [change, key] : bad) {
    QJsonObject rec = o;
    for (auto it = change.begin(); it != change.end(); ++it) rec.insert(it.key(), it.value());
    const QString why = ReadJsonInto(*target, rec);
    EXPECT_TRUE(why.contains(QLatin1String(key))) << key << ": " << why.toStdString();
    EXPECT_EQ(target->Style(), before) << key;
  }
  // A grade written by hand in lower case is still that grade.
  QJsonObject lower = o;
  lower.insert("Value", "b");
  EXPECT_EQ(ReadJsonInto(*target, lower), "");
  EXPECT_EQ(target->Value(), u'B');

  // Setters refuse what files refuse.
  EXPECT_THROW(target->SetValue(u'F'), EPLNError);
  EXPECT_THROW(target->SetNutriType(2), EPLNError);
  EXPECT_EQ(target->Value(), u'B');
}

// Three labels in a row bound to the records "b", " D " and "x": each exported cell shows its
// record's grade grown over its neighbours, and the unreadable one grows none.
TEST(NutriFile, ADataBoundLabelShowsEachRecordsGradeOnExport) {
  TPlanoraFMX doc;
  TPLNMeasure m = PlanoraTest::Paper(120000, 20000);
  m.Sizes[TPLNMeasure::LabelWidth] = 40000;
  m.Columns = 3;
  doc.SetMeasure(m);
  auto* n = static_cast<TPLNNutriScore*>(TPLNFactory::AddBaseNutriScore(&doc, 2000, 2000, 36000, 16000));
  n->SetFilled(true);
  n->SetBackColor(kWhite);
  n->SetFillType(1);
  n->SetFillName(QStringLiteral("grade"));
  doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv("grade\nb\n D \nx\n", "grades.csv")));

  // The editor's surface shows the label's own grade, A, with the data mark.
  PlanoraTest::RecordingContext c;
  c.Redraw(n);
  EXPECT_EQ(c.canvas.OpsNamed("DrawSimpleText").back().Text, "A");

  doc.CheckPrintData();
  const QString png = PlanoraTest::TmpPath("data-labels.png");
  ASSERT_EQ(PlanoraTest::Export(doc, TORVExport::PNG, png), "");
  const QImage img(png);
  ASSERT_FALSE(img.isNull());
  TPLNDraw d;
  d.SetResolution(96, 96);
  const QRectF box(ScreenPos(d, n->GetPoint(1)), ScreenPos(d, n->GetPoint(2)));
  const int grades[3] = {1, 3, -1};
  for (int cell = 0; cell < 3; ++cell) {
    SCOPED_TRACE(testing::Message() << "cell " << cell);
    const QPointF offset(d.GetDrawX(doc.PreviewPos(cell + 1, 1).X), d.GetDrawY(doc.PreviewPos(cell + 1, 1).Y));
    const TPLNNutriScore::TLayout none = n->Layout(d, box.translated(offset), -1);
    ASSERT_EQ(none.Cells.size(), 5u);
    for (const auto& slot : none.Cells) {
      // Above each slot, in the border the grown cell would take: the grade's colour where it is
      // the record's, the frame's white elsewhere.
      const QPoint above(int(slot.Rect.center().x()), int(std::floor(slot.Rect.top() - 1.6)));
      if (slot.Grade == grades[cell])
        EXPECT_TRUE(PlanoraTest::ColorAt(img, above, QColor::fromRgba(n->GradeColor(slot.Grade)), 40)) << slot.Grade;
      else
        EXPECT_TRUE(PlanoraTest::ColorAt(img, above, Qt::white, 30)) << slot.Grade;
    }
  }
}
