// Pictures in drawings the command-line tool exports: shown when their file is there, a
// placeholder and a warning when it is not, and an embedded one needs no file at all.
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "PlanoraProcess.h"
#include "PlanoraTestSupport.h"

using namespace PlanoraTest;
using namespace Orv;
using namespace Orv::Fmx;

TEST(CliImage, ExportShowsThePictureOrWarnsAndDrawsItsPlaceholder) {
  const QString pic = TmpPath("cli-red.png");
  QImage red(40, 20, QImage::Format_RGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save(pic));
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(60000, 40000));
  TPLNFactory::AddBaseImage(&doc, 10000, 10000, 40000, 20000, pic);
  const QString drawing = TmpPath("cli-picture.json");
  doc.SaveToFile(drawing, TORVExt::Json);
  const QString out = TmpPath("cli-picture.png");

  TRun r = RunProgram(QStringLiteral(PLANORA_CLI), {"export", drawing, out});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_FALSE(r.err.contains("warning")) << r.err.toStdString();
  QImage img(out);
  EXPECT_TRUE(ColorAt(img, Px(30, 20), QColor(255, 0, 0)));

  ASSERT_TRUE(QFile::remove(pic));
  r = RunProgram(QStringLiteral(PLANORA_CLI), {"export", drawing, out});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains(QStringLiteral("item 1: Image file not found: \"%1\"").arg(pic))) << r.err.toStdString();
  img = QImage(out);
  EXPECT_FALSE(ColorAt(img, Px(30, 20), QColor(255, 0, 0)));
  EXPECT_GT(Ink(img), 0);  // the crossed-out frame
}
