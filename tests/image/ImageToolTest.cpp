// The add_image tool as an agent calls it: schema, defaults, folders, and refused files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "../mcp/ToolsFixture.h"
#include "ImageTestSupport.h"
#include "ORV.FMX.Items.h"

using namespace Orv;
using Orv::Fmx::TPLNImage;

TEST(ImageTool, IsListedAfterTheCodesWithItsSchema) {
  PlanoraTest::TTools t;
  const QJsonObject tool = t.Listed("add_image");
  EXPECT_EQ(tool["description"].toString(),
            "Add an image at (x,y) with width and height. Supports PNG, JPG, BMP, GIF. Filename can be absolute or "
            "relative to ImageFolder. Use folder param to set ImageFolder first.");
  const QJsonObject schema = tool["inputSchema"].toObject();
  EXPECT_EQ(schema["required"].toArray(), (QJsonArray{"x", "y", "width", "height", "filename"}));
  const QJsonObject props = schema["properties"].toObject();
  EXPECT_EQ(props.keys(), (QStringList{"filename", "folder", "height", "width", "x", "y"}));
  EXPECT_EQ(props["folder"].toObject()["description"].toString(),
            "Set the ImageFolder before adding the image. Subsequent images will use this folder too.");
  const QStringList names = t.server.ToolNames();
  EXPECT_LT(names.indexOf("add_pdf417"), names.indexOf("add_image"));
  EXPECT_LT(names.indexOf("add_image"), names.indexOf("add_flow"));
}

TEST(ImageTool, AddsFromAFullPathOrRelativeToTheFolderItSets) {
  PlanoraTest::TTools t;
  t.doc.GetActiveLayer()->PenWidth = 300;
  const QString full = ImageTest::Picture("tool.png", 40, 20, qRgb(255, 0, 0));
  EXPECT_EQ(t.Ok("add_image", {{"x", 10}, {"y", 20}, {"filename", full}}),
            QStringLiteral("Image added: id=1 at (10.0, 20.0) size 30.0 x 20.0 file=\"%1\"").arg(full));
  auto* i = dynamic_cast<TPLNImage*>(t.Last());
  ASSERT_TRUE(i);
  EXPECT_EQ(i->Points(), (std::vector<TORVPto>{{10000, 20000}, {40000, 40000}}));
  EXPECT_EQ(i->FileName(), full);
  EXPECT_EQ(i->GetPenWidth(), 300);

  // The folder becomes the image folder; the file is kept by its name there, and the next call
  // finds a relative name without the folder.
  const QString folder = QDir::cleanPath(PlanoraTest::TmpDir("tool-folder"));
  QFile::copy(full, folder + "/in-folder.png");
  EXPECT_EQ(t.Ok("add_image", {{"x", 0}, {"y", 0}, {"width", "12"}, {"height", 8}, {"filename", "in-folder.png"},
                               {"folder", folder}}),
            "Image added: id=2 at (0.0, 0.0) size 12.0 x 8.0 file=\"in-folder.png\"");
  EXPECT_EQ(t.doc.ImageFolder, folder);
  EXPECT_EQ(dynamic_cast<TPLNImage*>(t.Last())->FileName(), "in-folder.png");
  t.Ok("add_image", {{"x", 0}, {"y", 0}, {"width", 12}, {"height", 8}, {"filename", "in-folder.png"}});
  EXPECT_EQ(t.doc.GetItemsCount(), 3);
}

TEST(ImageTool, MissingDamagedAndHugeFilesAreRefusedWithoutChangingAnything) {
  PlanoraTest::TTools t;
  t.doc.ImageFolder = QDir::cleanPath(PlanoraTest::TmpDir("refused"));
  EXPECT_EQ(t.Refused("add_image", {{"x", 0}, {"y", 0}, {"width", 10}, {"height", 10}, {"filename", "nowhere.png"}}),
            QStringLiteral("Image file not found: \"%1/nowhere.png\"").arg(t.doc.ImageFolder));
  // A folder given with a missing file is not taken either.
  const QString other = PlanoraTest::TmpPath("not-made-yet");
  QDir(other).removeRecursively();
  t.Refused("add_image", {{"x", 0}, {"y", 0}, {"width", 10}, {"height", 10}, {"filename", "x.png"}, {"folder", other}});
  EXPECT_EQ(t.doc.ImageFolder, QDir::cleanPath(PlanoraTest::TmpDir("refused")));
  EXPECT_FALSE(QDir(other).exists());

  const QString garbage = PlanoraTest::TmpPath("tool-garbage.png");
  PlanoraTest::WriteAll(garbage, QByteArray(200, 'z'));
  EXPECT_TRUE(t.Refused("add_image", {{"x", 0}, {"y", 0}, {"width", 10}, {"height", 10}, {"filename", garbage}})
                  .contains("cannot be read"));
  const QString huge = ImageTest::HugePng("tool-huge.png", 30000, 30000);
  EXPECT_TRUE(t.Refused("add_image", {{"x", 0}, {"y", 0}, {"width", 10}, {"height", 10}, {"filename", huge}}).contains("too large"));
  EXPECT_TRUE(t.Refused("add_image", {{"x", 0}, {"y", 0}, {"width", 10}, {"height", 10}, {"filename", " "}}).contains("filename"));
  EXPECT_EQ(t.doc.GetItemsCount(), 0);
}
