// The SVG document: its page size in units and pixels, the four kinds, element ids, texts that
// need escaping, and failures that leave no file; through the document, the export_svg tool and
// the command-line tool.
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <set>

#include "ORV.FMX.Svg.h"
#include "ORV.MCP.FMX.Tools.h"
#include "PlanoraProcess.h"
#include "SvgTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

QByteArray Svg(TPlanoraFMX& doc, TORVSvgKind kind, double factor = 1, bool ids = true) {
  return doc.SVG(kind, factor, ids).toUtf8();
}

TSvgElement Root(const QByteArray& svg) {
  const std::vector<TSvgElement> all = SvgElements(svg);
  return all.empty() ? TSvgElement{} : all.front();
}

}  // namespace

// A label-sized page keeps its size exactly, in the unit the kind asks for; the viewBox is the
// page in millimetres whatever the kind, so a factor scales the picture, and rsvg-convert makes
// the page the right number of pixels.
TEST(SvgDocument, PageSizeInUnitsAndPixels) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(62000, 29000));
  TPLNFactory::AddRectangle(&doc, 10, 5, 20, 10);
  struct Case {
    TORVUnits Units;
    TORVSvgKind Kind;
    double Factor;
    const char *Width, *Height;
  };
  const Case cases[] = {
      {TORVUnits::mm, TORVSvgKind::CurrentUnit, 7, "62mm", "29mm"},  // the factor is the factor kinds' only
      {TORVUnits::mm, TORVSvgKind::NoMeasures, 1, "62mm", "29mm"},
      {TORVUnits::cm, TORVSvgKind::CurrentUnit, 1, "6.2cm", "2.9cm"},
      {TORVUnits::m, TORVSvgKind::CurrentUnit, 1, "6.2cm", "2.9cm"},
      {TORVUnits::inch, TORVSvgKind::CurrentUnit, 1, "2.4409in", "1.1417in"},
      {TORVUnits::mm, TORVSvgKind::Factor, 2, "124mm", "58mm"},
      {TORVUnits::mm, TORVSvgKind::FactorPx, 1, "234.3307", "109.6063"},
      {TORVUnits::mm, TORVSvgKind::FactorPx, 0.5, "117.1654", "54.8031"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << SvgKindName(c.Kind).toStdString() << " factor " << c.Factor);
    doc.SetUnits(c.Units);
    const TSvgElement root = Root(Svg(doc, c.Kind, c.Factor));
    EXPECT_EQ(root.Name, "svg");
    EXPECT_EQ(root.Attrs.value("width"), c.Width);
    EXPECT_EQ(root.Attrs.value("height"), c.Height);
    EXPECT_EQ(root.Attrs.value("viewBox"), "0 0 62 29");
  }
  doc.SetUnits(TORVUnits::mm);
  // 62 x 29 mm at 254 dpi is 620 x 290 pixels; the rectangle 10 mm in from the left, 5 mm down.
  const QImage img = RsvgRaster(Svg(doc, TORVSvgKind::CurrentUnit), QStringLiteral("label"), 254);
  EXPECT_EQ(img.size(), QSize(620, 290));
  EXPECT_TRUE(DarkNear(img, 100, 100, 2));
  EXPECT_TRUE(DarkNear(img, 200, 50, 2));
  EXPECT_TRUE(White(img, 95, 100));
  EXPECT_TRUE(White(img, 150, 100));  // an unfilled rectangle: white inside
  // Twice the size at the same resolution with the factor kind: the whole picture scales.
  const QImage twice = RsvgRaster(Svg(doc, TORVSvgKind::Factor, 2), QStringLiteral("label-x2"), 254);
  EXPECT_EQ(twice.size(), QSize(1240, 580));
  EXPECT_TRUE(DarkNear(twice, 200, 200, 2));
  EXPECT_TRUE(White(twice, 190, 200));
}

// no_measures leaves the dimensions out and nothing else; ids are on request and unique even
// where a sheet repeats an item in every cell.
TEST(SvgDocument, KindsAndIds) {
  TPlanoraFMX doc;
  TPLNMeasure m = Paper(100000, 60000);
  m.SetSize(TPLNMeasure::LabelWidth, 50000);
  m.SetSize(TPLNMeasure::LabelHeight, 30000);
  m.Rows = 2;
  m.Columns = 2;
  doc.SetMeasure(m);
  const TPLNBaseItem* box = TPLNFactory::AddRectangle(&doc, 5, 5, 20, 10);
  const TPLNBaseItem* dim = TPLNFactory::AddDim(&doc, 5, 20, 25, 20, 15, 25);
  ASSERT_EQ(dim->KindCode(), Kind::Dim);
  const QString boxId = QStringLiteral("item-%1").arg(box->GetID()), dimId = QStringLiteral("item-%1").arg(dim->GetID());

  const QStringList all = ItemIds(Svg(doc, TORVSvgKind::CurrentUnit));
  EXPECT_EQ(all.size(), 8);  // two items in four cells
  EXPECT_EQ(std::set<QString>(all.begin(), all.end()).size(), std::size_t(all.size())) << all.join(' ').toStdString();
  EXPECT_TRUE(all.contains(boxId));
  EXPECT_TRUE(all.contains(dimId));
  EXPECT_TRUE(all.contains(boxId + "-4"));

  const QStringList plain = ItemIds(Svg(doc, TORVSvgKind::NoMeasures));
  EXPECT_EQ(plain.size(), 4);
  EXPECT_TRUE(plain.contains(boxId));
  EXPECT_FALSE(plain.contains(dimId));
  // The dimension's text is gone with it.
  const auto texts = [](const QByteArray& svg) {
    int n = 0;
    for (const TSvgElement& e : SvgElements(svg)) n += e.Name == QLatin1String("text");
    return n;
  };
  EXPECT_GT(texts(Svg(doc, TORVSvgKind::CurrentUnit)), 0);
  EXPECT_EQ(texts(Svg(doc, TORVSvgKind::NoMeasures)), 0);

  const QByteArray without = Svg(doc, TORVSvgKind::CurrentUnit, 1, false);
  EXPECT_TRUE(ItemIds(without).isEmpty());
  EXPECT_FALSE(without.contains("id=\"item-"));
  // The drawing is the same with and without ids: only the groups differ.
  for (const char* drawn : {"<path", "<text"})
    EXPECT_EQ(Svg(doc, TORVSvgKind::CurrentUnit).count(drawn), without.count(drawn)) << drawn;
}

// A text stays text with its font, and characters XML reserves or cannot hold never break the
// document.
TEST(SvgDocument, TextStaysTextAndIsEscaped) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 40000));
  auto* text = static_cast<TPLNText*>(TPLNFactory::AddText(&doc, 5, 10));
  text->SetText(QString::fromUtf8("a<b & \"c\" 'd'\x01 é ✓"));
  text->SetFontName(QStringLiteral("Liberation Serif"));
  text->SetFontHeight(6);
  const QByteArray svg = Svg(doc, TORVSvgKind::CurrentUnit);
  const std::vector<TSvgElement> elements = SvgElements(svg);
  const auto it = std::find_if(elements.begin(), elements.end(), [](const TSvgElement& e) { return e.Name == "text"; });
  ASSERT_NE(it, elements.end()) << svg.toStdString();
  EXPECT_EQ(it->Text, QString::fromUtf8("a<b & \"c\" 'd' é ✓"));
  EXPECT_TRUE(it->Attrs.value("font-family").contains("Liberation Serif"));
  // 6 mm letters: the font size is a millimetre length of that order in the page's units.
  const double size = it->Attrs.value("font-size").toDouble();
  EXPECT_GT(size, 4.0);
  EXPECT_LT(size, 9.0);
  QSvgRenderer renderer(svg);
  EXPECT_TRUE(renderer.isValid());
}

// A save that cannot happen raises, names the file, and leaves no file (or the old one) behind;
// nothing is half-written and the folder holds no temporary file.
TEST(SvgDocument, FailedSavesLeaveNoFile) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(50000, 30000));
  TPLNFactory::AddRectangle(&doc, 5, 5, 20, 10);
  const QString dir = TmpDir(QStringLiteral("saves"));
  const QString existing = dir + "/old.svg", asDir = dir + "/folder.svg", missing = dir + "/no/such/dir/x.svg";
  QDir().mkpath(asDir);
  WriteAll(existing, "old contents");
  struct Case {
    QString File;
    TORVSvgKind Kind;
    double Factor;
  };
  const Case cases[] = {{asDir, TORVSvgKind::CurrentUnit, 1},
                        {missing, TORVSvgKind::CurrentUnit, 1},
                        {existing, TORVSvgKind::Factor, 0},
                        {existing, TORVSvgKind::FactorPx, -2},
                        {existing, TORVSvgKind::Factor, std::nan("")}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File.toStdString());
    try {
      doc.SaveSVG(c.File, c.Kind, c.Factor, true);
      ADD_FAILURE() << "saved";
    } catch (const EPLNError& e) {
      EXPECT_FALSE(e.Message().isEmpty());
    }
  }
  EXPECT_TRUE(QFileInfo(asDir).isDir());
  EXPECT_FALSE(QFileInfo::exists(missing));
  EXPECT_EQ(ReadAll(existing), "old contents");
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"old.svg"});
  // A good save replaces the old file whole.
  doc.SaveSVG(existing, TORVSvgKind::CurrentUnit, 1, true);
  EXPECT_EQ(Root(ReadAll(existing)).Attrs.value("width"), "50mm");
}

// The tool: inline text or a file, the kind by name (any case), a misspelt kind or a bad factor
// refused without a file, and the drawing and its history untouched either way.
TEST(SvgDocument, ExportSvgTool) {
  TPlanoraFMX doc;
  TPLNMCPServer server(&doc);
  ORVMCPRegisterDefaultTools(&server);
  auto call = [&](const QJsonObject& args) { return server.CallTool(QStringLiteral("export_svg"), args); };
  auto text = [](const QJsonObject& r) { return r["content"].toArray()[0].toObject()["text"].toString(); };
  TPLNFactory::AddRectangle(&doc, 10, 10, 30, 20);
  const QByteArray before = doc.ToJsonText();
  const int steps = doc.UndoCount();

  QJsonObject r = call({});
  EXPECT_FALSE(r["isError"].toBool()) << text(r).toStdString();
  EXPECT_EQ(ItemIds(text(r).toUtf8()).size(), 1);  // ids by default
  EXPECT_TRUE(ItemIds(text(call({{"with_ids", false}})).toUtf8()).isEmpty());
  EXPECT_EQ(Root(text(call({{"export_type", " FACTOR "}, {"factor", "3"}})).toUtf8()).Attrs.value("width"), "630mm");

  const QString file = TmpPath("tool.svg");
  QFile::remove(file);
  r = call({{"filename", file}, {"export_type", "factor_px"}, {"factor", 0.5}});
  EXPECT_EQ(text(r), QStringLiteral("SVG exported to: %1 (type=factor_px, factor=0.5)").arg(file));
  EXPECT_EQ(Root(ReadAll(file)).Attrs.value("width"), "396.8504");

  const QString never = TmpPath("tool-never.svg");
  QFile::remove(never);
  for (const QJsonObject& bad : {QJsonObject{{"filename", never}, {"export_type", "pixels"}},
                                 QJsonObject{{"filename", never}, {"export_type", "factor"}, {"factor", 0}},
                                 QJsonObject{{"filename", never}, {"type", "factor"}}}) {
    r = call(bad);
    EXPECT_TRUE(r["isError"].toBool()) << text(r).toStdString();
    EXPECT_FALSE(QFileInfo::exists(never));
  }
  EXPECT_EQ(text(call({{"export_type", "pixels"}})),
            "export_type must be one of current_unit, no_measures, factor, factor_px, not \"pixels\"");
  EXPECT_EQ(doc.ToJsonText(), before);
  EXPECT_EQ(doc.UndoCount(), steps);
}

// The command-line tool: kinds and ids by option, the factor from --scale, and refusals that
// write nothing.
TEST(SvgDocument, CommandLine) {
  const QString src = TmpPath("cli.json"), out = TmpPath("cli.svg");
  {
    TPlanoraFMX doc;
    doc.SetMeasure(Paper(80000, 40000));
    TPLNFactory::AddRectangle(&doc, 5, 5, 20, 10);
    TPLNFactory::AddDim(&doc, 5, 20, 25, 20, 15, 25);
    doc.SaveToFile(src, TORVExt::Json);
  }
  auto run = [&](QStringList args) { return RunProgram(PLANORA_CLI, QStringList{"export", src, out} + args); };
  QFile::remove(out);
  TRun r = run({});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(r.out.trimmed(), QFileInfo(out).absoluteFilePath());
  EXPECT_EQ(Root(ReadAll(out)).Attrs.value("width"), "80mm");
  EXPECT_TRUE(ItemIds(ReadAll(out)).isEmpty());  // ids only on request

  ASSERT_EQ(run({"--svg-kind", "no_measures", "--svg-ids"}).code, 0);
  EXPECT_EQ(ItemIds(ReadAll(out)).size(), 1);
  ASSERT_EQ(run({"--svg-kind", "factor", "--scale", "1.5"}).code, 0);
  EXPECT_EQ(Root(ReadAll(out)).Attrs.value("width"), "120mm");

  const QString png = TmpPath("cli.png");
  struct Case {
    QStringList Args;
    QString Output, Mentions;
  };
  const Case cases[] = {
      {{"--svg-kind", "huge"}, out, "--svg-kind"},
      {{"--svg-kind"}, out, "--svg-kind"},
      {{"--scale", "2"}, out, "--scale"},  // the page kinds have no factor
      {{"--svg-ids"}, png, "--svg-ids"},   // not an SVG
      {{"--svg-kind", "factor", "--scale", "0"}, out, "--scale"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Args.join(' ').toStdString());
    QFile::remove(c.Output);
    r = RunProgram(PLANORA_CLI, QStringList{"export", src, c.Output} + c.Args);
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains(c.Mentions)) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(c.Output));
  }
  QDir().mkpath(TmpPath("cli-dir.svg"));
  r = RunProgram(PLANORA_CLI, {"export", src, TmpPath("cli-dir.svg")});
  EXPECT_NE(r.code, 0);
  EXPECT_TRUE(r.err.contains("cli-dir.svg")) << r.err.toStdString();
  EXPECT_TRUE(QFileInfo(TmpPath("cli-dir.svg")).isDir());
}
