// What the SVG shows, checked on pictures of it: the canvas against the painter canvas for the
// same calls, and an exported sample against our PNG of the same page, each rasterised by
// rsvg-convert and by QtSvg.
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <ZXing/ReadBarcode.h>

#include "ORV.Canvas.Svg.h"
#include "SvgTestSupport.h"

using namespace Orv;
using namespace Orv::Canvas;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

const QColor kRed(0xE0, 0x10, 0x10), kGreen(0x10, 0xA0, 0x30), kBlue(0x10, 0x30, 0xD0), kYellow(0xF0, 0xD0, 0x10);
const QColor kPaper(Qt::white), kInk(Qt::black);

TSkPaint Fill(const QColor& c) {
  TSkPaint p;
  p.Color = c.rgba();
  p.AntiAlias = true;
  return p;
}

// Rotation, non-uniform scales, a clip that ends with its Restore, dashes and a hairline under
// a scale, a translucent stroke-and-fill, a picture and a text.
void DrawScene(ISkCanvas& c) {
  c.Save();
  c.Translate(70, 60);
  c.Rotate(30);
  c.DrawRect(QRectF(-40, -15, 80, 30), Fill(kRed));
  c.Restore();

  c.Save();
  c.Translate(220, 60);
  c.Scale(2.5f, 1);
  c.DrawOval(QRectF(-20, -20, 40, 40), Fill(kBlue));
  c.Restore();

  c.Save();
  c.ClipRect(QRectF(20, 120, 60, 40));
  c.DrawRect(QRectF(0, 100, 150, 100), Fill(kGreen));
  c.Restore();
  c.DrawRect(QRectF(100, 170, 30, 20), Fill(kGreen));

  TSkPaint dash = Fill(kInk);
  dash.Style = TSkPaintStyle::Stroke;
  dash.StrokeWidth = 2;
  dash.PathEffect = TSkPathEffect::MakeDash({5, 5}, 0);
  c.Save();
  c.Translate(150, 130.5f);
  c.Scale(2, 2);
  c.DrawLine(0, 0, 100, 0, dash);
  c.Restore();

  // A stroke under a non-uniform scale: thick where the scale is.
  dash.PathEffect = nullptr;
  c.Save();
  c.Translate(300, 100);
  c.Scale(1, 4);
  c.DrawLine(0, 0, 60, 0, dash);
  c.Restore();

  TSkPaint hair = Fill(kInk);
  hair.Style = TSkPaintStyle::Stroke;
  hair.StrokeWidth = 0;
  c.Save();
  c.Translate(150, 160.5f);
  c.Scale(4, 4);
  c.DrawLine(0, 0, 50, 0, hair);
  c.Restore();

  TSkPaint glass = Fill(QColor(0, 0, 0xFF, 0x80));
  glass.Style = TSkPaintStyle::StrokeAndFill;
  glass.StrokeWidth = 10;
  c.DrawRect(QRectF(30, 200, 80, 60), glass);

  QImage quad(2, 2, QImage::Format_ARGB32);
  quad.setPixelColor(0, 0, kRed);
  quad.setPixelColor(1, 0, kGreen);
  quad.setPixelColor(0, 1, kBlue);
  quad.setPixelColor(1, 1, kYellow);
  TSkPaint crisp = Fill(kInk);
  crisp.AntiAlias = false;
  c.DrawImageRect(quad, QRectF(0, 0, 2, 2), QRectF(300, 200, 80, 60), crisp);

  TSkFont font;
  font.Family = QStringLiteral("DejaVu Sans");
  font.Size = 30;
  c.DrawSimpleText(QStringLiteral("Hg"), 150, 280, font, Fill(kInk));
}

}  // namespace

TEST(SvgCanvas, DrawsTheSameSceneAsThePainter) {
  QImage painted(400, 300, QImage::Format_RGB32);
  painted.fill(Qt::white);
  {
    QPainter p(&painted);
    TQPainterCanvas canvas(&p);
    DrawScene(canvas);
  }
  TSvgPage page;
  page.ViewWidth = 400 * 25.4 / 96;
  page.ViewHeight = 300 * 25.4 / 96;
  page.Width = QStringLiteral("400");
  page.Height = QStringLiteral("300");
  TSvgCanvas svg(page);
  DrawScene(svg);
  const QByteArray doc = svg.Document();
  SvgElements(doc);  // well-formed
  const QImage rsvg = RsvgRaster(doc, QStringLiteral("scene"), 96);
  ASSERT_EQ(rsvg.size(), painted.size());

  struct Probe {
    QPoint At;
    QColor Color;
    const char* What;
  };
  const Probe probes[] = {
      {{70, 60}, kRed, "rotated rectangle"},
      {{95, 86}, kRed, "a corner the rotation brings in"},
      {{108, 47}, kPaper, "a corner the rotation takes away"},
      {{260, 60}, kBlue, "ellipse stretched along x"},
      {{175, 60}, kBlue, "ellipse stretched along x"},
      {{220, 86}, kPaper, "above and below stays narrow"},
      {{50, 140}, kGreen, "inside the clip"},
      {{10, 140}, kPaper, "outside the clip"},
      {{115, 180}, kGreen, "after the clip's Restore"},
      {{155, 130}, kInk, "first dash, scaled"},
      {{165, 130}, kPaper, "first gap, scaled"},
      {{175, 130}, kInk, "second dash"},
      {{205, 130}, kPaper, "third gap"},
      {{155, 134}, kPaper, "dash width scaled by 2, not more"},
      {{330, 103}, kInk, "a stroke four times as thick along y"},
      {{330, 106}, kPaper, "and no thicker"},
      {{250, 160}, kInk, "hairline"},
      {{250, 162}, kPaper, "a hairline stays one pixel under a scale"},
      {{70, 230}, QColor(0x80, 0x80, 0xFF), "translucent interior"},
      {{33, 230}, QColor(0x80, 0x80, 0xFF), "stroke over the interior, not darker"},
      {{27, 230}, QColor(0x80, 0x80, 0xFF), "outer half of the stroke"},
      {{320, 215}, kRed, "picture, top left"},
      {{360, 215}, kGreen, "picture, top right"},
      {{320, 245}, kBlue, "picture, bottom left"},
      {{360, 245}, kYellow, "picture, bottom right"},
  };
  for (const Probe& p : probes) {
    SCOPED_TRACE(p.What);
    EXPECT_TRUE(ColorAt(painted, p.At, p.Color, 40)) << "painter";
    EXPECT_TRUE(ColorAt(rsvg, p.At, p.Color, 40)) << "rsvg-convert";
  }
  // The text: ink where the glyphs stand, none before the start point.
  EXPECT_TRUE(InkInRect(rsvg, QRect(150, 258, 40, 22)));
  EXPECT_FALSE(InkInRect(rsvg, QRect(120, 255, 28, 30)));
}

namespace {

// The symbol inside `area` (pixels), or what went wrong.
std::string DecodeEan13(const QImage& page, const QRect& area) {
  const QImage crop = page.copy(area).convertToFormat(QImage::Format_Grayscale8);
  const ZXing::ImageView view(crop.constBits(), crop.width(), crop.height(), ZXing::ImageFormat::Lum,
                              int(crop.bytesPerLine()));
  ZXing::DecodeHints hints;
  hints.setFormats(ZXing::BarcodeFormat::EAN13);
  hints.setTryHarder(true);
  const ZXing::Result r = ZXing::ReadBarcode(view, hints);
  return r.isValid() ? r.text() : "<nothing read>";
}

}  // namespace

// Shapes, a text, a barcode and a picture on a 120 x 80 mm page: the SVG pictures match the PNG
// export of the page where it matters, and the barcode still scans.
TEST(SvgExport, SampleMatchesThePngInBothRenderers) {
  constexpr double kDpi = 300;
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(120000, 80000));
  auto* box = static_cast<TPLN2DItem*>(TPLNFactory::AddRectangle(&doc, 5, 5, 30, 20));
  box->SetColor(kRed.rgba());
  box->SetBackColor(kRed.rgba());
  box->SetFilled(true);
  auto* disc = static_cast<TPLN2DItem*>(TPLNFactory::AddCircle(&doc, 60, 15, 10));
  disc->SetColor(kBlue.rgba());
  disc->SetBackColor(kBlue.rgba());
  disc->SetFilled(true);
  auto* text = static_cast<TPLNText*>(TPLNFactory::AddText(&doc, 5, 35));
  text->SetText(QStringLiteral("Planora"));
  text->SetFontHeight(8);
  auto* bar = static_cast<TPLNBarcode*>(TPLNFactory::AddBarcode(&doc, 45, 40, "4006381333931", TORVBarType::Ean13));
  ASSERT_TRUE(bar->IsValid());
  QImage halves(20, 10, QImage::Format_RGB32);
  halves.fill(QColor(0xD0, 0x20, 0xD0));
  for (int y = 0; y < 10; ++y)
    for (int x = 10; x < 20; ++x) halves.setPixelColor(x, y, QColor(0x20, 0xC0, 0xD0));
  ASSERT_TRUE(halves.save(TmpPath("halves.png")));
  TPLNFactory::AddImage(&doc, 90, 55, 24, 16, TmpPath("halves.png"));

  const QString pngPath = TmpPath("sample.png");
  ASSERT_EQ(Export(doc, TORVExport::PNG, pngPath, 1, float(kDpi / 96)), "");
  const QImage png = QImage(pngPath).convertToFormat(QImage::Format_RGB32);
  const QString svgPath = TmpPath("sample.svg");
  doc.SaveSVG(svgPath, TORVSvgKind::CurrentUnit, 1, false);
  const QByteArray svg = ReadAll(svgPath);
  const QImage rsvg = RsvgRaster(svg, QStringLiteral("sample"), kDpi);
  const QImage qt = QtSvgRaster(svg, png.size());
  ASSERT_FALSE(png.isNull());
  ASSERT_FALSE(rsvg.isNull());
  // The page size comes through exactly: 120 x 80 mm at 300 dpi, to the pixel.
  EXPECT_LE(std::abs(rsvg.width() - png.width()), 1);
  EXPECT_LE(std::abs(rsvg.height() - png.height()), 1);

  const TORVBounds tb = text->GetBounds(), bb = bar->GetBounds();
  const double k = kDpi / 25400.0;
  const QRect textBox(QPoint(int(tb.X1 * k), int(tb.Y1 * k)), QPoint(int(tb.X2 * k), int(tb.Y2 * k)));
  const QRect barArea(QPoint(int((bb.X1 - 3000) * k), int((bb.Y1 - 3000) * k)),
                      QPoint(int((bb.X2 + 3000) * k), int((bb.Y2 + 3000) * k)));
  struct Probe {
    double X, Y;
    QColor Color;
  };
  const Probe probes[] = {{20, 15, kRed},   {60, 15, kBlue},   {60, 7, kBlue},  {95, 63, QColor(0xD0, 0x20, 0xD0)},
                          {109, 63, QColor(0x20, 0xC0, 0xD0)}, {110, 10, kPaper}, {40, 28, kPaper}};
  for (const auto& [name, img] : {std::pair{"png", png}, {"rsvg-convert", rsvg}, {"QtSvg", qt}}) {
    SCOPED_TRACE(name);
    for (const Probe& p : probes) EXPECT_TRUE(ColorAt(img, Px(p.X, p.Y, kDpi), p.Color, 40)) << p.X << ", " << p.Y;
    EXPECT_TRUE(InkInRect(img, textBox));
    EXPECT_EQ(DecodeEan13(img, barArea), "4006381333931");
  }
  // Beyond the probes: the pictures agree almost everywhere (text glyphs may differ a little).
  int differing = 0;
  for (int y = 0; y < std::min(png.height(), rsvg.height()); ++y)
    for (int x = 0; x < std::min(png.width(), rsvg.width()); ++x)
      if (std::abs(Gray(png, x, y) - Gray(rsvg, x, y)) > 96) ++differing;
  EXPECT_LT(differing, png.width() * png.height() / 200);
}
