// The preview, export, save and load tools: the image an agent sees, every export format read
// back, drawings that survive a save and a load in both formats, and bad files and paths that
// change neither the drawing nor the file already there.
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPdfDocument>
#include <QRegularExpression>

#include "PlanoraTestSupport.h"
#include "ToolsFixture.h"

using PlanoraTest::TTools;
using namespace PlanoraTest;

namespace {

const QColor kRed(0xff, 0x00, 0x00);

// A 100 x 60 mm sheet with a filled red box over (20, 10)-(50, 30) and a second item.
void RedBox(TTools& t) {
  t.Ok("setup_drawing", {{"paper_width_mm", 100}, {"paper_height_mm", 60}});
  t.Ok("add_rectangle", {{"x", 20}, {"y", 10}, {"width", 30}, {"height", 20}, {"color", "#ff0000"},
                         {"back_color", "#ff0000"}, {"filled", 1}});
  t.Ok("add_text", {{"x", 60}, {"y", 40}, {"text", "Planora"}});
}

// Centre of the box and a spot of bare paper, in pixels at 96 dpi times `scale`.
QPoint BoxCentre(double scale = 1) { return Px(35 * scale, 20 * scale); }
QPoint BarePaper(double scale = 1) { return Px(90 * scale, 5 * scale); }

// The image a preview answered with; null when the answer holds none.
QImage PreviewImage(const QJsonObject& r, QByteArray* png = nullptr) {
  const QJsonArray content = r["content"].toArray();
  if (content.size() != 1) return {};
  const QJsonObject c = content[0].toObject();
  if (c["type"].toString() != "image" || c["mimeType"].toString() != "image/png") return {};
  const QByteArray bytes = QByteArray::fromBase64(c["data"].toString().toLatin1());
  if (png) *png = bytes;
  QImage img;
  img.loadFromData(bytes, "PNG");
  return img;
}

QStringList FilesIn(const QString& dir) { return QDir(dir).entryList(QDir::Files | QDir::Hidden); }

// Points the system's temporary folder at an empty folder of the test's own while it lives.
struct TTempFolder {
  QString Dir;
  QByteArray Saved = qgetenv("TMPDIR");
  TTempFolder() : Dir(TmpDir(QStringLiteral("previews"))) {
    for (const QString& f : FilesIn(Dir)) QFile::remove(Dir + '/' + f);
    qputenv("TMPDIR", Dir.toLocal8Bit());
  }
  ~TTempFolder() { Saved.isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", Saved); }
};

}  // namespace

TEST(McpExport, PreviewIsAnInlinePngAtTheAskedScaleAndLeavesNoFile) {
  TTempFolder tmp;
  TTools t;
  RedBox(t);

  QByteArray png;
  QJsonObject r = t.Call("render_preview");
  ASSERT_FALSE(r["isError"].toBool()) << TTools::Text(r).toStdString();
  QImage img = PreviewImage(r, &png);
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.size(), QSize(378, 227));
  EXPECT_TRUE(ColorAt(img, BoxCentre(), kRed));
  EXPECT_TRUE(ColorAt(img, BarePaper(), Qt::white));
  EXPECT_EQ(r["structuredContent"].toObject(),
            (QJsonObject{{"format", "png"}, {"scale", 1.0}, {"item_count", 2}, {"byte_size", png.size()}}));
  EXPECT_EQ(FilesIn(tmp.Dir), QStringList());

  // Zero or less is the default scale; a scale doubles the pixels; beyond 5 is drawn at 5.
  for (const auto& [asked, drawn] : {std::pair{-2.0, 1.0}, {2.0, 2.0}, {7.0, 5.0}}) {
    SCOPED_TRACE(asked);
    r = t.Call("render_preview", {{"scale", asked}});
    img = PreviewImage(r);
    ASSERT_FALSE(img.isNull()) << TTools::Text(r).toStdString();
    EXPECT_EQ(r["structuredContent"].toObject()["scale"].toDouble(), drawn);
    EXPECT_NEAR(img.width(), 100 / 25.4 * 96 * drawn, 1);
    EXPECT_TRUE(ColorAt(img, BoxCentre(drawn), kRed));
  }

  // A transparent background is left clear where nothing is drawn.
  img = PreviewImage(t.Call("render_preview", {{"transparent", true}}));
  ASSERT_FALSE(img.isNull());
  EXPECT_TRUE(img.hasAlphaChannel());
  EXPECT_EQ(qAlpha(img.pixel(BarePaper())), 0);
  EXPECT_EQ(qAlpha(img.pixel(BoxCentre())), 255);

  // A preview too large to draw fails with the reason, and still leaves no file behind.
  t.Ok("setup_drawing", {{"paper_width_mm", 5000}, {"paper_height_mm", 5000}});
  const QString error = t.Refused("render_preview", {{"scale", 5}});
  EXPECT_TRUE(error.startsWith("Could not render the drawing preview. ")) << error.toStdString();
  EXPECT_TRUE(error.contains("too large")) << error.toStdString();
  EXPECT_EQ(t.Refused("render_preview", {{"scale", "big"}}), "Argument \"scale\" must be a number, not a string (\"big\")");
  EXPECT_EQ(FilesIn(tmp.Dir), QStringList());
}

TEST(McpExport, EveryFormatIsWrittenAndReadsBack) {
  TTools t;
  RedBox(t);
  const QString dir = TmpDir(QStringLiteral("formats"));
  for (const QString& f : FilesIn(dir)) QFile::remove(dir + '/' + f);

  // The bitmap formats read back as themselves, at the sheet's size, with the box in place.
  for (const auto& [format, ext, reads] : {std::tuple{"png", "png", "png"}, {"JPEG", "jpg", "jpeg"}, {"bmp", "bmp", "bmp"},
                                          {"Gif", "gif", "gif"}}) {
    const QString file = dir + "/sheet." + ext;
    SCOPED_TRACE(format);
    EXPECT_EQ(t.Ok("export_document", {{"filename", file}, {"format", format}}),
              QString("Document exported as %1 to: %2").arg(QString(format).toUpper(), file));
    QImageReader reader(file);
    EXPECT_EQ(reader.format(), QByteArray(reads));
    const QImage img = reader.read();
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(378, 227));
    EXPECT_TRUE(ColorAt(img, BoxCentre(), kRed, 40));
    EXPECT_TRUE(ColorAt(img, BarePaper(), Qt::white, 40));
  }

  // PDF is the default: one page of the sheet's size, the box where it belongs.
  const QString pdfFile = dir + "/sheet.pdf";
  EXPECT_EQ(t.Ok("export_document", {{"filename", pdfFile}}), "Document exported as PDF to: " + pdfFile);
  QPdfDocument pdf;
  ASSERT_EQ(pdf.load(pdfFile), QPdfDocument::Error::None);
  ASSERT_EQ(pdf.pageCount(), 1);
  EXPECT_NEAR(pdf.pagePointSize(0).width(), 100 / 25.4 * 72, 0.05);
  EXPECT_NEAR(pdf.pagePointSize(0).height(), 60 / 25.4 * 72, 0.05);
  QImage page(378, 227, QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter(&page).drawImage(0, 0, pdf.render(0, page.size()));
  EXPECT_TRUE(ColorAt(page, BoxCentre(), kRed, 40));
  EXPECT_TRUE(ColorAt(page, BarePaper(), Qt::white, 40));

  // XPS is a zip package holding the parts a reader looks for.
  const QString xpsFile = dir + "/sheet.xps";
  t.Ok("export_document", {{"filename", xpsFile}, {"format", "xps"}});
  const QByteArray xps = ReadAll(xpsFile);
  EXPECT_TRUE(xps.startsWith("PK\x03\x04"));
  EXPECT_TRUE(xps.contains("[Content_Types].xml"));
  EXPECT_TRUE(xps.contains("FixedDocumentSequence.fdseq"));

  // Nothing half-written and no temporary file beside them.
  EXPECT_EQ(FilesIn(dir), (QStringList{"sheet.bmp", "sheet.gif", "sheet.jpg", "sheet.pdf", "sheet.png", "sheet.xps"}));
}

TEST(McpExport, BadTargetsAreRefusedAndAFailedWriteKeepsTheOldFile) {
  TTools t;
  RedBox(t);
  const QString dir = TmpDir(QStringLiteral("targets"));
  for (const QString& f : FilesIn(dir)) QFile::remove(dir + '/' + f);
  const QString plain = dir + "/plain";
  WriteAll(plain, "not a folder");

  EXPECT_EQ(t.Refused("export_document", {{"format", "png"}}), "filename parameter is required");
  EXPECT_EQ(t.Refused("export_document", {{"filename", dir + "/x.tif"}, {"format", "tiff"}}),
            "Invalid format. Use: pdf, png, bmp, gif, jpeg, xps");
  EXPECT_EQ(t.Refused("export_document", {{"filename", dir + "/x.jpg"}, {"format", "jpeg"}, {"quality", 101}}),
            "quality must be from 0 to 100, not 101");
  for (const char* tool : {"export_document", "save_drawing"}) {
    SCOPED_TRACE(tool);
    EXPECT_EQ(t.Refused(tool, {{"filename", dir}}), dir + " is a folder; give a file name inside it");
    EXPECT_EQ(t.Refused(tool, {{"filename", dir + "/no/such/x.json"}}), "Folder not found: " + dir + "/no/such");
    EXPECT_EQ(t.Refused(tool, {{"filename", plain + "/x.json"}}), plain + " is not a folder");
  }

  // The disk fills up half-way: the call fails naming the file, the file written before stays
  // whole and nothing is left beside it.
  for (const auto& [tool, name] : {std::pair{"export_document", "old.pdf"}, {"save_drawing", "old.json"}, {"save_drawing", "old.plb"}}) {
    SCOPED_TRACE(name);
    const QString file = dir + '/' + name;
    t.Ok(tool, {{"filename", file}});
    const QByteArray before = ReadAll(file);
    for (int i = 0; i < 100; ++i) t.Ok("add_circle", {{"x", i % 100}, {"y", 30}, {"radius", 2}});
    QString error;
    WithFileSizeLimit(before.size() + 16, [&] { error = t.Refused(tool, {{"filename", file}}); });
    EXPECT_TRUE(error.contains(name)) << error.toStdString();
    EXPECT_EQ(ReadAll(file), before);
  }
  EXPECT_EQ(FilesIn(dir), (QStringList{"old.json", "old.pdf", "old.plb", "plain"}));
}

TEST(McpExport, DrawingsSurviveASaveAndALoadInBothFormats) {
  TTools t;
  RedBox(t);
  t.Ok("add_layer", {{"name", "Notes"}, {"color", "#0000ff"}});
  t.Ok("set_active_layer", {{"index", 2}});
  t.Ok("add_barcode", {{"x", 5}, {"y", 40}, {"code", "4006381333931"}, {"barcode_type", "EAN13"}});
  const QByteArray drawing = t.doc.ToJsonText();
  const QString dir = TmpDir(QStringLiteral("saved"));
  for (const QString& f : FilesIn(dir)) QFile::remove(dir + '/' + f);

  // The format follows the name when it is not given; a name without a known ending is JSON.
  const std::tuple<QString, QJsonValue, QString> saves[] = {
      {"a.json", QJsonValue(), "json"}, {"b.PLB", QJsonValue(), "binary"}, {"c.bin", "binary", "binary"}, {"d", QJsonValue(), "json"}};
  for (const auto& [name, format, written] : saves) {
    const QString file = dir + '/' + name;
    QJsonObject args{{"filename", file}};
    if (!format.isNull()) args.insert("format", format);
    EXPECT_EQ(t.Ok("save_drawing", args), QString("Drawing saved to: %1 (format: %2)").arg(file, written));
    EXPECT_EQ(ReadAll(file).startsWith('{'), written == "json") << name.toStdString();
  }

  // Each file brings back the same drawing, whatever was open before.
  for (const auto& [name, format, written] : saves) {
    SCOPED_TRACE(name.toStdString());
    t.Ok("clear_drawing", {{"all", true}});
    const QString file = dir + '/' + name;
    EXPECT_EQ(t.Ok("load_drawing", {{"filename", file}}), "Drawing loaded from: " + file + " (3 items)");
    EXPECT_EQ(t.doc.ToJsonText(), drawing);
  }
  // A loaded drawing starts a history of its own and is edited like any other.
  EXPECT_EQ(t.doc.UndoCount(), 0);
  t.Ok("add_circle", {{"x", 10}, {"y", 10}, {"radius", 3}});
  t.doc.Undo();
  EXPECT_EQ(t.doc.ToJsonText(), drawing);

  // A format the name contradicts would make a file that does not open again.
  EXPECT_EQ(t.Refused("save_drawing", {{"filename", dir + "/x.json"}, {"format", "binary"}}),
            dir + "/x.json is a name for a JSON drawing: use format \"json\" or a .eti or .plb name");
  EXPECT_EQ(t.Refused("save_drawing", {{"filename", dir + "/x.plb"}, {"format", "json"}}),
            dir + "/x.plb is a name for a binary drawing: use format \"binary\" or a .json name");
  EXPECT_EQ(t.Refused("save_drawing", {{"filename", " "}}), "filename parameter is required");
  EXPECT_EQ(FilesIn(dir).size(), qsizetype(std::size(saves)));
}

TEST(McpExport, AFailedLoadLeavesTheDrawingAsItWas) {
  TTools t;
  RedBox(t);
  const QString dir = TmpDir(QStringLiteral("bad"));
  const QString good = dir + "/good.plb";
  t.Ok("save_drawing", {{"filename", good}});
  const QByteArray binary = ReadAll(good);
  t.Ok("add_circle", {{"x", 10}, {"y", 10}, {"radius", 3}});

  EXPECT_EQ(t.Refused("load_drawing", {}), "filename parameter is required");
  EXPECT_EQ(t.Refused("load_drawing", {{"filename", dir + "/none.json"}}), "File not found: " + dir + "/none.json");
  EXPECT_EQ(t.Refused("load_drawing", {{"filename", dir}}), dir + " is a folder, not a drawing file");

  // Files of the wrong kind, damaged or cut short: each is named with what is wrong with it.
  QImage picture(8, 8, QImage::Format_RGB32);
  picture.fill(Qt::red);
  picture.save(dir + "/picture.png");
  const std::pair<const char*, QByteArray> bad[] = {
      {"garbage.json", "{\"Items\": [ {\"Type\": 6, "},
      {"array.json", "[1, 2, 3]"},
      {"other.json", "{\"name\": \"package\", \"version\": \"1.0.0\"}"},
      {"empty.plb", ""},
      {"cut.plb", binary.left(binary.size() / 2)},
      {"noise.eti", QByteArray(300, '\x7f')},
      {"picture.plb", ReadAll(dir + "/picture.png")},
      {"notes", "just some words"}};
  for (const auto& [name, bytes] : bad) {
    SCOPED_TRACE(name);
    const QString file = dir + '/' + name;
    WriteAll(file, bytes);
    const QString error = t.Refused("load_drawing", {{"filename", file}});
    EXPECT_TRUE(error.startsWith("Could not load " + file + ": ")) << error.toStdString();
  }
  EXPECT_TRUE(t.Refused("load_drawing", {{"filename", dir + "/other.json"}}).endsWith("The file is not a Planora drawing."));
}
