// The background picture on the editor's page follows the layer bits a bitmap export follows.
#include <gtest/gtest.h>

#include "EditorFixture.h"

using namespace Orv;
using namespace Orv::Fmx;
using PlanoraTest::ColorAt;

TEST(EditorPaint, BackgroundPictureFollowsTheExportBits) {
  QImage picture(20, 20, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  ASSERT_TRUE(picture.save(PlanoraTest::TmpPath("editor-back.png")));
  EditorView v;
  v.doc.ImageFolder = PlanoraTest::TmpDir();
  TPLNLayer* layer = v.doc.GetLayer(1);
  layer->BackImageFile = QStringLiteral("editor-back.png");
  v.doc.SetBackLayer(1);
  const QPoint onPage(33 + 20, 33 + 200);
  // A new document's layer shows its picture, as its export does.
  EXPECT_TRUE(ColorAt(v.Shot(), onPage, Qt::blue));
  // The layers dialog redraws the editor after a change of the bits.
  layer->Options &= ~Opt::ExportBackground;
  v.ed.DrawEditor();
  EXPECT_TRUE(ColorAt(v.Shot(), onPage, Qt::white)) << "the export leaves the picture out, so the screen does";
  layer->Options |= Opt::ExportBackground;
  layer->Options &= ~Opt::Visible;
  v.ed.DrawEditor();
  EXPECT_TRUE(ColorAt(v.Shot(), onPage, Qt::white));
}

TEST(EditorPaint, LabelStockShowsUnderThePictureAndCanBeHidden) {
  EditorView v;  // 100 x 60 mm, its page at (33, 33) pixels
  TPLNBackSurf stock;
  stock.Color = 0xFF2E8B57u;  // green labels
  stock.SetRadius(8);
  v.doc.SetBackSurf(stock);
  const QColor green(0x2E, 0x8B, 0x57);
  const QPoint inside(33 + 150, 33 + 100), corner(33 + 1, 33 + 1);
  QImage shot = v.Shot();
  EXPECT_TRUE(ColorAt(shot, inside, green));
  EXPECT_FALSE(ColorAt(shot, corner, green)) << "the die-cut corner is not stock";
  // A picture covers the stock; where there is none the stock shows.
  QImage picture(20, 20, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  ASSERT_TRUE(picture.save(PlanoraTest::TmpPath("editor-stock.png")));
  v.doc.ImageFolder = PlanoraTest::TmpDir();
  TPLNLayer* layer = v.doc.GetLayer(1);
  layer->BackImageFile = QStringLiteral("editor-stock.png");
  layer->BackMargins[0] = 50000;  // the picture fills the right half only
  v.doc.SetBackLayer(1);
  v.ed.DrawEditor();
  shot = v.Shot();
  EXPECT_TRUE(ColorAt(shot, QPoint(33 + 300, 33 + 100), Qt::blue));
  EXPECT_TRUE(ColorAt(shot, QPoint(33 + 100, 33 + 100), green));
  // Without the option the page is plain paper again.
  v.doc.SetOptions(v.doc.GetOptions() & ~doShowBackSurf);
  EXPECT_TRUE(ColorAt(v.Shot(), QPoint(33 + 100, 33 + 100), Qt::white));
}
