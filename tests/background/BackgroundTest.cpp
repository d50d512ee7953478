// The background picture behind each label cell: placement, turns and margins in exported pages,
// pictures carried inside the document, missing and broken pictures, and the print path.
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <array>

#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

const QColor kRed(Qt::red), kGreen(Qt::green), kBlue(Qt::blue), kYellow(Qt::yellow);
// Quadrants of the picture: top-left, top-right, bottom-left, bottom-right.
using Quad = std::array<QColor, 4>;
const Quad kUpright{kRed, kGreen, kBlue, kYellow};
Quad Flat(const QColor& c) { return {c, c, c, c}; }

// A 60 x 40 picture in four coloured quadrants (wider than tall, so a quarter turn shows).
QByteArray QuadrantPng(const Quad& q = kUpright) {
  QImage img(60, 40, QImage::Format_RGB32);
  QPainter p(&img);
  p.fillRect(0, 0, 30, 20, q[0]);
  p.fillRect(30, 0, 30, 20, q[1]);
  p.fillRect(0, 20, 30, 20, q[2]);
  p.fillRect(30, 20, 30, 20, q[3]);
  p.end();
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  return bytes;
}

// Two 40 x 30 mm labels side by side, 5 mm from the left and 10 mm from the top, 10 mm apart;
// layer 1, as a new document has it, shows `file` (in the scratch folder) behind them.
struct Sheet {
  TPlanoraFMX doc;
  explicit Sheet(const QString& file = QStringLiteral("quad.png")) {
    TPLNMeasure m = Paper(100000, 50000);
    m.Sizes[TPLNMeasure::LabelWidth] = 40000;
    m.Sizes[TPLNMeasure::LabelHeight] = 30000;
    m.Sizes[TPLNMeasure::LeftMargin] = 5000;
    m.Sizes[TPLNMeasure::TopMargin] = 10000;
    m.Sizes[TPLNMeasure::HorzGap] = 10000;
    m.Columns = 2;
    doc.SetMeasure(m);
    doc.ImageFolder = TmpDir();
    Layer()->BackImageFile = file;
    doc.SetBackLayer(1);
  }
  TPLNLayer* Layer() const { return doc.GetLayer(1); }
};

const double kScale = 3;  // tall enough for the export to draw in bands on several threads

QImage ExportSheet(TPlanoraFMX& doc, const QString& name) {
  const QString path = TmpPath(name);
  QFile::remove(path);
  const QString error = Export(doc, TORVExport::PNG, path, 1, float(kScale));
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  return QImage(path).convertToFormat(QImage::Format_RGB32);
}

QPoint At(double xmm, double ymm) { return Px(xmm, ymm, 96 * kScale); }

// The quadrant colours inside `r` (millimetres), probed at the centre of each quarter.
void ExpectQuadrants(const QImage& img, const QRectF& r, const Quad& q) {
  const double x1 = r.left() + r.width() / 4, x2 = r.right() - r.width() / 4;
  const double y1 = r.top() + r.height() / 4, y2 = r.bottom() - r.height() / 4;
  EXPECT_TRUE(ColorAt(img, At(x1, y1), q[0])) << "top-left";
  EXPECT_TRUE(ColorAt(img, At(x2, y1), q[1])) << "top-right";
  EXPECT_TRUE(ColorAt(img, At(x1, y2), q[2])) << "bottom-left";
  EXPECT_TRUE(ColorAt(img, At(x2, y2), q[3])) << "bottom-right";
}

void ExpectBlankCells(const QImage& img) {
  for (double x : {5.0, 55.0}) ExpectQuadrants(img, QRectF(x, 10, 40, 30), Flat(Qt::white));
}

}  // namespace

TEST(BackImage, TurnsAndMarginsInEveryCell) {
  WriteAll(TmpPath("quad.png"), QuadrantPng());
  // Margins of the picture's own left and top sides; a turn carries them to other sides of the
  // cell. Per turn: the quadrants seen, and the margins on the cell's left, top, right, bottom.
  struct Case {
    Quad seen;
    std::array<double, 4> sides;
  };
  const Case cases[4] = {
      {kUpright, {8, 4, 0, 0}},
      {{kGreen, kYellow, kRed, kBlue}, {4, 0, 0, 8}},  // a quarter turn counter-clockwise
      {{kYellow, kBlue, kGreen, kRed}, {0, 0, 8, 4}},
      {{kBlue, kRed, kYellow, kGreen}, {0, 8, 4, 0}},
  };
  for (int turn = 0; turn < 4; ++turn) {
    SCOPED_TRACE("rotation " + std::to_string(turn));
    Sheet s;
    s.doc.SetImageRotation(std::uint8_t(turn));
    s.Layer()->BackMargins[0] = 8000;
    s.Layer()->BackMargins[1] = 4000;
    const QImage img = ExportSheet(s.doc, QStringLiteral("turn%1.png").arg(turn));
    const auto& m = cases[turn].sides;
    for (double cx : {5.0, 55.0}) {
      const QRectF cell(cx, 10, 40, 30);
      ExpectQuadrants(img, cell.adjusted(m[0], m[1], -m[2], -m[3]), cases[turn].seen);
      // Each margin strip stays paper-white; the sides without one are covered to the edge.
      const QPointF mid = cell.center();
      const QPointF inStrip[4] = {{cell.left() + 1, mid.y()}, {mid.x(), cell.top() + 1},
                                  {cell.right() - 1, mid.y()}, {mid.x(), cell.bottom() - 1}};
      for (int side = 0; side < 4; ++side) {
        const QPoint p = At(inStrip[side].x(), inStrip[side].y());
        EXPECT_EQ(White(img, p.x(), p.y()), m[side] > 0) << "side " << side;
      }
    }
    EXPECT_TRUE(ColorAt(img, At(50, 25), Qt::white)) << "the gap between the cells";
  }
}

TEST(BackImage, EmbeddedPictureTravelsWithTheDocument) {
  const QByteArray png = QuadrantPng();
  WriteAll(TmpPath("embed.png"), png);
  Sheet s(QStringLiteral("embed.png"));
  s.Layer()->EmbedImage = true;
  ExportSheet(s.doc, QStringLiteral("embed-first.png"));
  // Drawing once copies the file's picture into the layer.
  EXPECT_EQ(s.Layer()->ImageData, png);
  for (const char* ext : {"eti", "json"}) {
    SCOPED_TRACE(ext);
    const QString path = TmpPath(QStringLiteral("embedded.") + QLatin1String(ext));
    s.doc.SaveToFile(path, ext[0] == 'e' ? TORVExt::Eti : TORVExt::Json);
    TPlanoraFMX copy;
    ASSERT_TRUE(copy.LoadFromFile(path));
    copy.ImageFolder = TmpDir(QStringLiteral("empty"));  // the file is out of reach
    ExpectQuadrants(ExportSheet(copy, QStringLiteral("embedded-%1.png").arg(ext)), QRectF(55, 10, 40, 30), kUpright);
  }
  // Stored bytes win over the file, even without the embed flag.
  s.Layer()->EmbedImage = false;
  s.Layer()->ImageData = QuadrantPng(Flat(kBlue));
  ExpectQuadrants(ExportSheet(s.doc, QStringLiteral("embed-wins.png")), QRectF(5, 10, 40, 30), Flat(kBlue));
}

TEST(BackImage, DocumentRecordsAreChecked) {
  Sheet s;
  s.doc.AddLayer(QStringLiteral("second"));
  EXPECT_THROW(s.doc.SetImageRotation(4), EPLNError);
  EXPECT_THROW(s.doc.SetBackLayer(3), EPLNError);
  s.doc.SetBackLayer(2);
  s.doc.DeleteLayer(2);
  EXPECT_EQ(s.doc.GetBackLayer(), 0) << "the background goes with its layer";
  s.doc.SetBackLayer(1);
  s.doc.SetImageRotation(2);
  s.Layer()->ImageData = "abc";
  const QByteArray text = s.doc.ToJsonText();
  TPlanoraFMX copy;
  copy.LoadFromJson(text);
  for (auto [good, bad] : {std::pair{"\"ImageRotation\": 2", "\"ImageRotation\": 7"},
                           {"\"BackLayer\": 1", "\"BackLayer\": 5"}, {"\"YWJj\"", "\"Y*Jj\""}}) {
    ASSERT_TRUE(text.contains(good)) << good;
    EXPECT_THROW(copy.LoadFromJson(QByteArray(text).replace(good, bad)), EPLNError) << bad;
  }
  EXPECT_EQ(copy.GetImageRotation(), 2) << "a failed load keeps the open document";
}

TEST(BackImage, MissingOrBrokenPicturesDrawNothing) {
  WriteAll(TmpPath("broken.png"), QByteArray("\x89PNG\r\n\x1a\n this is no picture", 28));
  for (const char* file : {"nowhere.png", "broken.png", ""}) {
    SCOPED_TRACE(file);
    Sheet s{QString::fromLatin1(file)};
    s.Layer()->EmbedImage = true;
    auto* box = TPLNFactory::AddRectangle(&s.doc, 2, 2, 6, 6);  // in every cell
    static_cast<TPLNRectangle*>(box)->SetFilled(true);
    static_cast<TPLN2DItem*>(box)->SetBackColor(kBlack);
    const QImage img = ExportSheet(s.doc, QStringLiteral("broken-page.png"));
    ExpectBlankCells(img);
    for (const QPoint p : {At(10, 15), At(60, 15)}) EXPECT_TRUE(Dark(img, p.x(), p.y())) << "the items are still drawn";
    EXPECT_TRUE(s.Layer()->ImageData.isEmpty()) << "nothing worth carrying is embedded";
  }
  // Broken stored bytes draw nothing either, and the canvas is left untouched.
  Sheet s;
  s.Layer()->ImageData = "not a picture";
  RecordingContext rc;
  EXPECT_FALSE(s.doc.DrawBackImage(&rc.canvas, rc.d));
  EXPECT_TRUE(rc.canvas.Ops.empty());
}

TEST(BackImage, ShownOnlyWhereTheLayerAsks) {
  WriteAll(TmpPath("quad.png"), QuadrantPng());
  for (int c = 0; c < 3; ++c) {
    SCOPED_TRACE(c);
    Sheet s;
    if (c == 0) s.Layer()->Options &= ~Opt::ExportBackground;
    if (c == 1) s.Layer()->Options &= ~Opt::Visible;
    if (c == 2) s.doc.SetBackLayer(0);
    ExpectBlankCells(ExportSheet(s.doc, QStringLiteral("not-shown.png")));
  }
}

TEST(BackImage, FollowsAChangedPicture) {
  WriteAll(TmpPath("quad.png"), QuadrantPng());
  WriteAll(TmpPath("other.png"), QuadrantPng(Flat(kBlue)));
  Sheet s;
  const QRectF cell(5, 10, 40, 30);
  ExpectQuadrants(ExportSheet(s.doc, QStringLiteral("before.png")), cell, kUpright);
  s.Layer()->BackImageFile = TmpPath("other.png");  // an absolute name works as well
  ExpectQuadrants(ExportSheet(s.doc, QStringLiteral("other-page.png")), cell, Flat(kBlue));
  // The same file rewritten shows once a reload is asked for.
  WriteAll(TmpPath("other.png"), QuadrantPng(Flat(kGreen)));
  s.doc.SetReloadImage(true);
  ExpectQuadrants(ExportSheet(s.doc, QStringLiteral("reloaded.png")), cell, Flat(kGreen));
  // A document loaded in its place shows its own picture.
  Sheet other;
  other.Layer()->ImageData = QuadrantPng(Flat(kRed));
  s.doc.LoadFromJson(other.doc.ToJsonText());
  ExpectQuadrants(ExportSheet(s.doc, QStringLiteral("reopened.png")), cell, Flat(kRed));
}

TEST(BackImage, PrintDrawsOneBitmapIntoTheMarginRectangle) {
  WriteAll(TmpPath("quad.png"), QuadrantPng());
  Sheet s;
  s.Layer()->BackMargins[0] = 8000;
  s.Layer()->BackMargins[1] = 4000;
  RecordingContext rc;  // 254 dpi: 10 pixels a millimetre
  rc.d.IOriginX = 100;
  rc.d.IOriginY = 200;
  s.Layer()->Options &= ~Opt::PrintBackground;
  s.doc.PrintBackImage(rc.d);
  EXPECT_EQ(rc.canvas.Count("P.DrawBitmap"), 0) << "the layer does not print its picture";

  // Paper asks only the print bit: a layer hidden on screen still prints its picture.
  s.Layer()->Options = Opt::PrintBackground;
  s.doc.PrintBackImage(rc.d);
  ASSERT_EQ(rc.canvas.Names(), std::vector<std::string>{"P.DrawBitmap"});
  EXPECT_EQ(rc.Op(0).Rect, QRectF(QPointF(180, 240), QPointF(500, 500)));
  EXPECT_EQ(rc.Op(0).Opacity, 1.0f);
  EXPECT_EQ(rc.Op(0).Args[4], 60);  // the whole picture, upright

  // A quarter turn: the picture turned, the margins on the sides the turn moved them to.
  rc.canvas.Clear();
  s.doc.SetImageRotation(1);
  s.doc.PrintBackImage(rc.d);
  ASSERT_EQ(rc.canvas.Count("P.DrawBitmap"), 1);
  EXPECT_EQ(rc.Op(0).Rect, QRectF(QPointF(140, 200), QPointF(500, 420)));
  EXPECT_EQ(rc.Op(0).Args[4], 40);
  EXPECT_EQ(rc.Op(0).Args[5], 60);
  // ... turned the same way as on the screen.
  QImage paper(500, 500, QImage::Format_RGB32);
  paper.fill(Qt::white);
  QPainter painter(&paper);
  Canvas::TQPainterCanvas printer(&painter);
  rc.d.pC = &printer;
  s.doc.PrintBackImage(rc.d);
  painter.end();
  const Quad seen{kGreen, kYellow, kRed, kBlue};
  const QPoint probes[4] = {{230, 255}, {410, 255}, {230, 365}, {410, 365}};
  for (int q = 0; q < 4; ++q) EXPECT_TRUE(ColorAt(paper, probes[q], seen[q])) << "quadrant " << q;
}

// A layer made now shows its picture in the export and on paper without asking; the bits of an
// existing layer are its own.
TEST(BackImage, NewLayersShowTheirPictureEverywhere) {
  WriteAll(TmpPath("quad.png"), QuadrantPng(Flat(kBlue)));
  Sheet s;
  TPLNLayer* added = s.doc.AddLayer(QStringLiteral("picture"));
  added->BackImageFile = QStringLiteral("quad.png");
  s.doc.SetBackLayer(2);
  ExpectQuadrants(ExportSheet(s.doc, QStringLiteral("new-layer.png")), QRectF(55, 10, 40, 30), Flat(kBlue));
  RecordingContext rc;
  s.doc.PrintBackImage(rc.d);
  EXPECT_EQ(rc.canvas.Count("P.DrawBitmap"), 1);
  // Read back as it was saved: a layer that asked for neither keeps asking for neither.
  added->Options = Opt::Default;
  TPlanoraFMX copy;
  copy.LoadFromJson(s.doc.ToJsonText());
  copy.ImageFolder = TmpDir();
  EXPECT_EQ(copy.GetLayer(2)->Options, Opt::Default);
  ExpectBlankCells(ExportSheet(copy, QStringLiteral("old-layer.png")));
}
