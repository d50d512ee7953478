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
