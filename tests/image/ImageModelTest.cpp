// The picture's model: colour filters, fitting geometry, both file formats with the picture kept
// inside, and damaged records refused.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QJsonDocument>

#include "ImageTestSupport.h"
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.Image.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::F2d;

using PlanoraTest::ReadInto;
using PlanoraTest::ReadJsonInto;
using PlanoraTest::Record;

namespace {




void SetEverything(TPLNImage& i) {
  i.SetFileName(QStringLiteral("logo ✓.png"));
  i.SetBytes(QByteArray("\x89PNG not really", 15));
  i.SetEmbed(true);
  i.SetKeepAspect(false);
  i.SetAlign(TORVImageAlign::End);
  i.SetFrame(true);
  i.SetShape(TORVImageShape::CircleClip);
  i.SetFilter(TORVImageFilter::BlackWhite);
  i.SetBaseRadio(1500);
  i.SetBasePadding(700);
  i.SetAngle(TORVAngle::A270);
  i.SetFillType(2);
  i.SetFillName(QStringLiteral("photo"));
  i.SetFormat(QStringLiteral("%s"));
}

}  // namespace

TEST(ImageFilter, GreyWeightsAndBlackAndWhiteSaturateKeepingAlpha) {
  QImage img(3, 1, QImage::Format_ARGB32);
  img.setPixel(0, 0, qRgba(200, 100, 50, 255));
  img.setPixel(1, 0, qRgba(10, 20, 30, 128));
  img.setPixel(2, 0, qRgba(0, 0, 255, 255));
  const QImage grey = ApplyColorMatrix(img, FiltersSkia[1].M);
  const QImage bw = ApplyColorMatrix(img, FiltersSkia[2].M);
  const QImage same = ApplyColorMatrix(img, FiltersSkia[0].M);
  EXPECT_STREQ(FiltersSkia[1].Name, "Grayscale");
  EXPECT_STREQ(FiltersSkia[2].Name, "Black and White");
  const int expected[3] = {124, 18, 29};  // 0.299 R + 0.587 G + 0.114 B, rounded
  const int bwExpected[3] = {255, 90, 255};  // 1.5 x (R + G + B), at most 255
  for (int x = 0; x < 3; ++x) {
    SCOPED_TRACE(x);
    const QRgb g = grey.pixel(x, 0), b = bw.pixel(x, 0), s = same.pixel(x, 0), o = img.pixel(x, 0);
    EXPECT_EQ(qRed(g), expected[x]);
    EXPECT_EQ(qGreen(g), expected[x]);
    EXPECT_EQ(qBlue(g), expected[x]);
    EXPECT_EQ(qRed(b), bwExpected[x]);
    EXPECT_EQ(qBlue(b), bwExpected[x]);
    EXPECT_EQ(qAlpha(g), qAlpha(o));
    EXPECT_EQ(qAlpha(b), qAlpha(o));
    EXPECT_EQ(s, o);
  }

  // Through the decoder: the filtered picture is what the cache hands out, the plain one stays.
  const QString path = ImageTest::Picture("filter.png", 4, 4, qRgb(200, 100, 50));
  const TORVDecodedPtr plain = DecodeImage(path, {}, TORVImageFilter::None, {});
  const TORVDecodedPtr filtered = DecodeImage(path, {}, TORVImageFilter::Grayscale, {});
  ASSERT_FALSE(filtered->Image.isNull()) << filtered->Error.toStdString();
  EXPECT_EQ(qRed(plain->Image.pixel(1, 1)), 200);
  EXPECT_EQ(qRed(filtered->Image.pixel(1, 1)), 124);
  EXPECT_EQ(qBlue(filtered->Image.pixel(1, 1)), 124);

  // Half-transparent pixels keep their alpha and come out as the unpremultiplied colours would,
  // black and white saturating at full brightness.
  QImage glass(2, 1, QImage::Format_ARGB32);
  glass.setPixel(0, 0, qRgba(10, 20, 30, 128));
  glass.setPixel(1, 0, qRgba(200, 200, 200, 128));
  const QString glassPath = PlanoraTest::TmpPath("glass.png");
  ASSERT_TRUE(glass.save(glassPath));
  const QImage g = DecodeImage(glassPath, {}, TORVImageFilter::Grayscale, {})->Image.convertToFormat(QImage::Format_ARGB32);
  const QImage b = DecodeImage(glassPath, {}, TORVImageFilter::BlackWhite, {})->Image.convertToFormat(QImage::Format_ARGB32);
  ASSERT_FALSE(g.isNull());
  EXPECT_EQ(qAlpha(g.pixel(0, 0)), 128);
  EXPECT_NEAR(qRed(g.pixel(0, 0)), 18, 2);
  EXPECT_NEAR(qRed(b.pixel(0, 0)), 90, 2);
  EXPECT_EQ(qAlpha(b.pixel(1, 0)), 128);
  EXPECT_EQ(qRed(b.pixel(1, 0)), 255);
}

TEST(ImageGeometry, KeepAspectAlignsTheSpareRoomAndCirclesHoldTheirSquare) {
  const QRectF square(10, 20, 100, 100);
  // A 2:1 picture: full width, the spare height below, split, or above.
  EXPECT_EQ(FitAspect(square, 200, 100, TORVImageAlign::Start), QRectF(10, 20, 100, 50));
  EXPECT_EQ(FitAspect(square, 200, 100, TORVImageAlign::Center), QRectF(10, 45, 100, 50));
  EXPECT_EQ(FitAspect(square, 200, 100, TORVImageAlign::End), QRectF(10, 70, 100, 50));
  // A 1:2 picture: full height, the spare width right, split, or left.
  EXPECT_EQ(FitAspect(square, 50, 100, TORVImageAlign::Start), QRectF(10, 20, 50, 100));
  EXPECT_EQ(FitAspect(square, 50, 100, TORVImageAlign::Center), QRectF(35, 20, 50, 100));
  EXPECT_EQ(FitAspect(square, 50, 100, TORVImageAlign::End), QRectF(60, 20, 50, 100));
  // Same proportion: the whole box; an empty picture leaves the box alone.
  EXPECT_EQ(FitAspect(QRectF(0, 0, 40, 20), 4, 2, TORVImageAlign::Center), QRectF(0, 0, 40, 20));
  EXPECT_EQ(FitAspect(square, 0, 10, TORVImageAlign::Center), square);

  const QRectF in = InscribedSquare(QRectF(0, 0, 100, 100));
  EXPECT_NEAR(in.left(), 50 - 50 * std::sqrt(0.5), 1e-9);
  EXPECT_NEAR(in.width(), 100 * std::sqrt(0.5), 1e-9);
  EXPECT_EQ(CentredSquare(QRectF(0, 0, 100, 40)), QRectF(30, 0, 40, 40));
}

TEST(ImageFile, EveryValueAndThePictureComeBackFromBothFormats) {
  TPlanoraFMX doc;
  auto* img = static_cast<TPLNImage*>(TPLNFactory::AddBaseImage(&doc, 1000, 2000, 30000, 20000, QString()));
  SetEverything(*img);
  ASSERT_NE(img->Style(), TORVImageStyle());

  TPlanoraFMX other;
  auto* binary = new TPLNImage(&other, false);
  ASSERT_EQ(ReadInto(*binary, Record(*img)), "");
  EXPECT_EQ(binary->Style(), img->Style());
  EXPECT_EQ(binary->FileName(), img->FileName());
  EXPECT_EQ(binary->Bytes(), img->Bytes());
  auto* json = new TPLNImage(&other, false);
  const QJsonObject o = img->ToJson();
  EXPECT_EQ(o["Bytes"].toString(), QString::fromLatin1(img->Bytes().toBase64()));
  ASSERT_EQ(ReadJsonInto(*json, o), "");
  EXPECT_EQ(json->Style(), img->Style());
  EXPECT_EQ(json->Bytes(), img->Bytes());
  EXPECT_EQ(json->FileName(), img->FileName());

  for (const char* name : {"pictures.eti", "pictures.json"}) {
    SCOPED_TRACE(name);
    const QString path = PlanoraTest::TmpPath(QString::fromLatin1(name));
    doc.SaveToFile(path, QString::fromLatin1(name).endsWith("json") ? TORVExt::Json : TORVExt::Eti);
    TPlanoraFMX reread;
    ASSERT_TRUE(reread.LoadFromFile(path));
    ASSERT_EQ(reread.GetItemsCount(), 1);
    auto* back = dynamic_cast<TPLNImage*>(reread.GetItem(1));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Style(), img->Style());
    EXPECT_EQ(back->Bytes(), img->Bytes());
    EXPECT_EQ(back->Points(), img->Points());
  }
  // Without kept bytes the JSON record carries no picture at all.
  img->SetBytes({});
  EXPECT_FALSE(img->ToJson().contains("Bytes"));
}

TEST(ImageFile, DamagedRecordsAreRefusedAndTheItemKeepsWhatItHad) {
  TPLNBaseLabel doc;
  auto* good = PlanoraTest::MakeItem<TPLNImage>(doc, {{0, 0}, {30000, 20000}});
  good->SetFileName(QStringLiteral("a.png"));
  good->SetBytes(QByteArray(40, 'p'));
  const QByteArray record = Record(*good);
  QByteArray base;
  {
    QBuffer b(&base);
    b.open(QIODevice::WriteOnly);
    TBinaryWriter w(&b);
    good->F2d::TPLNBoxItem::WriteData(w);
  }
  const int count = int(base.size()) + 1 + 5;  // the name "a.png" with its length byte

  auto* target = PlanoraTest::MakeItem<TPLNImage>(doc, {{0, 0}, {1000, 1000}});
  target->SetFileName(QStringLiteral("kept.png"));
  target->SetShape(TORVImageShape::RoundRect);
  const TORVImageStyle kept = target->Style();
  const auto patched = [&](int offset, char v) {
    QByteArray b = record;
    b[offset] = v;
    return ReadInto(*target, b);
  };
  // A byte count past the end of the file or negative.
  EXPECT_TRUE(patched(count + 1, 0x7F).contains("embedded picture")) << patched(count + 1, 0x7F).toStdString();
  EXPECT_TRUE(patched(count + 3, char(0x80)).contains("embedded picture"));
  const int style = count + 4 + 40;
  EXPECT_TRUE(patched(style + 2, 3).contains("Align"));
  EXPECT_TRUE(patched(style + 4, 4).contains("Shape"));
  EXPECT_TRUE(patched(style + 5, 3).contains("Filter"));
  for (int cut = count; cut < record.size(); cut += 5) EXPECT_NE(ReadInto(*target, record.left(cut)), "") << cut;
  EXPECT_EQ(target->Style(), kept);
  EXPECT_EQ(target->FileName(), "kept.png");
  EXPECT_TRUE(target->Bytes().isEmpty());

  const QJsonObject o = good->ToJson();
  const std::vector<std::pair<QJsonObject, const char*>> bad = {
      {{{"Bytes", "not*base64!"}}, "Base64"}, {{{"Shape", 4}}, "Shape"},   {{{"Filter", -1}}, "Filter"},
      {{{"Align", 3}}, "Align"},              {{{"Angle", 4}}, "Angle"},   {{{"Radius", -1}}, "Radius"},
      {{{"Padding", 2e9}}, "Padding"},        {{{"Shape", "round"}}, "Shape"},
  };
  for (const auto& [patch, key] : bad) {
    QJsonObject b = o;
    for (auto it = patch.begin(); it != patch.end(); ++it) b[it.key()] = it.value();
    const QString error = ReadJsonInto(*target, b);
    EXPECT_TRUE(error.contains(QLatin1String(key))) << key << ": " << error.toStdString();
  }
  EXPECT_EQ(target->Style(), kept);
  EXPECT_EQ(target->FileName(), "kept.png");
  EXPECT_EQ(ReadJsonInto(*target, o), "");
  EXPECT_EQ(target->Bytes(), good->Bytes());
}

TEST(ImageFactory, TheEditorsBoxMakesAPictureWithTheLayersPenAndAFolderRelativeName) {
  TPlanoraFMX doc;
  doc.ImageFolder = QDir::cleanPath(PlanoraTest::TmpDir("factory"));
  TPLNLayer* layer = doc.GetActiveLayer();
  layer->PenWidth = 420;
  layer->PenColor = 0xFF123456u;
  // Through the document, as the editor's picture tool asks for it.
  TPLNBaseItem* item = doc.AddBaseImage(1000, 2000, 30000, 15000, doc.ImageFolder + "/sub/logo.png");
  auto* img = dynamic_cast<TPLNImage*>(item);
  ASSERT_TRUE(img);
  EXPECT_EQ(doc.GetItemsCount(), 1);
  EXPECT_EQ(img->Points(), (std::vector<TORVPto>{{1000, 2000}, {31000, 17000}}));
  EXPECT_EQ(img->FileName(), "sub/logo.png");
  EXPECT_EQ(img->ResolvedPath(), doc.ImageFolder + "/sub/logo.png");
  EXPECT_EQ(img->GetPenWidth(), 420);
  EXPECT_EQ(img->GetColor(), 0xFF123456u);
  // Outside the folder the full name stays; in the unit the document uses (cm here).
  doc.SetUnits(TORVUnits::cm);
  img = static_cast<TPLNImage*>(TPLNFactory::AddImage(&doc, 1, 2, 3, 4, QStringLiteral("/elsewhere/pic.jpg")));
  EXPECT_EQ(img->FileName(), "/elsewhere/pic.jpg");
  EXPECT_EQ(img->Points(), (std::vector<TORVPto>{{10000, 20000}, {40000, 60000}}));
  EXPECT_TRUE(img->PictureProblem().contains("not found"));
}
