// Data-bound labels: per-label copies, data pages in export, and the command line.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPdfDocument>
#include <QProcess>
#include <set>
#include <gtest/gtest.h>

#include "ORV.Data.h"
#include "ORV.FMX.Export.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using namespace PlanoraTest;

namespace {

// The sample sheet (3 x 8 labels: frame, name text, street and city paragraphs) with the
// sample's 30 addresses.
void LoadSample(TPlanoraFMX& doc, bool withData = true) {
  doc.LoadFromFile(Sample("address-labels.json"));
  if (withData)
    doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromFile(Sample("addresses.csv"))));
}

int Copies(const TPLNBaseLabel& doc) {
  int n = 0;
  for (int i = 1; i <= doc.GetItemsCount(); ++i) n += doc.GetItem(i)->IsPreview();
  return n;
}

}  // namespace

TEST(DataLabels, CheckPrintDataCopiesEachDataItemPerCell) {
  TPlanoraFMX doc;
  LoadSample(doc, false);
  const int originals = doc.GetItemsCount();
  doc.CheckPrintData();  // no data source, no request: no copies
  EXPECT_EQ(Copies(doc), 0);

  LoadSample(doc);
  doc.CheckPrintData();
  doc.CheckPrintData();  // a second run replaces, never doubles
  const TPLNMeasure& m = doc.Measure();
  ASSERT_EQ(Copies(doc), 3 * m.Rows * m.Columns);  // name, street, city; never the frame
  EXPECT_FALSE(doc.GetModified());

  // Each data item has one copy per cell, moved into it, showing that cell's record.
  const TPLNBaseItem* name = doc.SearchItem("name", true);
  std::set<std::pair<std::int64_t, std::int64_t>> cells;
  doc.GoToPage(2, false, true);
  for (int i = originals + 1; i <= doc.GetItemsCount(); ++i) {
    const TPLNBaseItem* copy = doc.GetItem(i);
    if (copy->GetName() != "name") continue;
    const TORVPto off{copy->GetPoint(1).X - name->GetPoint(1).X, copy->GetPoint(1).Y - name->GetPoint(1).Y};
    for (int r = 1; r <= m.Rows; ++r)
      for (int c = 1; c <= m.Columns; ++c)
        if (doc.PreviewPos(c, r) == off) {
          cells.insert({c, r});
          EXPECT_EQ(doc.CopyRecord(copy), 24 + (r - 1) * m.Columns + (c - 1));
        }
  }
  EXPECT_EQ(cells.size(), std::size_t(m.Rows * m.Columns));
  EXPECT_EQ(doc.CopyRecord(name), -2);

  // Saving leaves the copies out; clearing removes them.
  TPlanoraFMX reread;
  reread.LoadFromJson(doc.ToJsonText());
  EXPECT_EQ(reread.GetItemsCount(), originals);
  doc.ClearPreviewItems();
  EXPECT_EQ(doc.GetItemsCount(), originals);
  EXPECT_EQ(doc.CopyRecord(name), -2);
}

TEST(DataLabels, ExportOfPageTwoShowsItsRecords) {
  TPlanoraFMX doc;
  LoadSample(doc);
  doc.CheckPrintData();  // copies must not be drawn into the cells as well
  doc.GoToPage(2, false, true);
  TRecordingCanvas canvas;
  TPLNDraw d;
  d.ResetMatrix(TORVDrawState::Export);
  d.SetResolution(300, 300);
  d.kC = &canvas;
  d.pC = &canvas;
  const TExportLayout layout = ComputeExportLayout(doc, TORVExport::PDF, 1, false, 2);
  DrawExportPage(doc, d, layout, 300);
  QStringList names, streets;
  for (const TRecordedOp& op : canvas.OpsNamed("DrawSimpleText")) (op.Font.Bold ? names : streets) << op.Text;
  // Records 25 to 30, in cell order; the sheet ends with the data.
  EXPECT_EQ(names, (QStringList{"Clara Jensen", QStringLiteral("Mateo González"), "Emma Wilson", "Dmitri Volkov",
                                QStringLiteral("Sofía Herrera"), "Grace Kim"}));
  EXPECT_TRUE(streets.contains("Avenida Corrientes 1234, 5º"));
  EXPECT_EQ(canvas.Count("DrawRoundRect"), 6);
  // The first name sits in the first cell.
  const TRecordedOp first = canvas.OpsNamed("DrawSimpleText").front();
  const QPointF at = first.Matrix.map(QPointF(first.Args[0], first.Args[1]));
  EXPECT_LT(at.x(), 70 * 300 / 25.4);
  EXPECT_LT(at.y(), (4.5 + 36) * 300 / 25.4);

  // A bitmap (drawn in bands side by side) of page 2: frames in the 6 filled cells only.
  const QString png = TmpPath("page2.png");
  doc.PrintInfo.CurrentPage = 2;
  ASSERT_EQ(Export(doc, TORVExport::PNG, png, 2), "");
  const QImage img(png);
  EXPECT_TRUE(InkInRect(img, QRect(Px(2, 4.5 + 36 + 2), QSize(4, 60))));  // row 2, left frame edge
  EXPECT_FALSE(InkInRect(img, QRect(Px(0, 4.5 + 72), Px(210, 297))));      // rows 3 to 8 empty
  EXPECT_EQ(doc.GetCurrentRecord(), 24);
}

namespace {

struct TRun {
  int code = -1;
  QString err;
};

TRun Planora(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(PLANORA_CLI), args);
  TRun r;
  if (!p.waitForFinished(120000)) return r;
  r.code = p.exitCode();
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

}  // namespace

TEST(DataLabels, CommandLine) {
  const QString pdf = TmpPath("labels.pdf");
  QFile::remove(pdf);
  TRun r = Planora({"export", Sample("address-labels.json"), pdf, "--data", Sample("addresses.csv")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(r.err, "page 1 of 2\npage 2 of 2\n");
  QPdfDocument out;
  ASSERT_EQ(out.load(pdf), QPdfDocument::Error::None);
  ASSERT_EQ(out.pageCount(), 2);
  EXPECT_TRUE(out.getAllText(1).text().contains("Grace Kim"));
  EXPECT_FALSE(out.getAllText(0).text().contains("Grace Kim"));

  const QString png = TmpPath("sheet.png");
  QFile::remove(TmpPath("sheet-2.png"));
  r = Planora({"export", Sample("address-labels.json"), png, "--data", Sample("addresses.csv"), "--all-pages"});
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(QFile::exists(TmpPath("sheet-1.png")) && QFile::exists(TmpPath("sheet-2.png")));
  EXPECT_FALSE(QFile::exists(png));

  // A bad table: one line naming the file and the line, exit 1, no output written.
  const QString bad = TmpPath("bad.csv"), out2 = TmpPath("bad.pdf");
  WriteAll(bad, "name,street\nAna,\"Rua 1\"\nBo\n");
  QFile::remove(out2);
  r = Planora({"export", Sample("address-labels.json"), out2, "--data", bad});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, QStringLiteral("planora: %1: line 3: 1 field where the header names 2\n").arg(bad));
  EXPECT_FALSE(QFile::exists(out2));
  r = Planora({"export", Sample("address-labels.json"), out2, "--data", Sample("addresses.csv"), "--page", "3"});
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(r.err.contains("fill 2 pages")) << r.err.toStdString();
}

namespace {

// Every page of a PDF, rendered at a low resolution for comparison.
std::vector<QImage> PdfPages(const QString& path) {
  QPdfDocument pdf;
  std::vector<QImage> pages;
  if (pdf.load(path) != QPdfDocument::Error::None) return pages;
  for (int i = 0; i < pdf.pageCount(); ++i) pages.push_back(pdf.render(i, QSize(210, 297)));
  return pages;
}

QString PdfText(const QString& path, int page) {
  QPdfDocument pdf;
  if (pdf.load(path) != QPdfDocument::Error::None || page >= pdf.pageCount()) return {};
  return pdf.getAllText(page).text();
}

}  // namespace

// A large run split into shards: each record keeps its cell of the whole run, so shards cut at
// page boundaries put together equal the whole run page for page, whichever way they are cut.
TEST(DataLabels, ShardsPutTogetherEqualTheWholeRun) {
  // 100 records on 24-label sheets whose first page starts on row 2 (21 labels on page 1):
  // pages 1..5 hold records 1-21, 22-45, 46-69, 70-93, 94-100.
  QByteArray csv = "name,street,city\n";
  for (int i = 1; i <= 100; ++i) csv += QStringLiteral("Name %1,Street %1,City %1\n").arg(i).toUtf8();
  const QString data = TmpPath("shards.csv"), sheet = TmpPath("shards.json");
  WriteAll(data, csv);
  {
    TPlanoraFMX doc;
    doc.LoadFromFile(Sample("address-labels.json"));
    doc.PrintInfo.FirstRow = 2;
    doc.SaveToFile(sheet, TORVExt::Json);
  }
  auto run = [&](const QString& out, const QStringList& extra) {
    QFile::remove(out);
    const TRun r = Planora(QStringList{"export", sheet, out, "--data", data} + extra);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    return PdfPages(out);
  };
  const std::vector<QImage> whole = run(TmpPath("whole.pdf"), {});
  ASSERT_EQ(whole.size(), 5u);
  for (const QStringList& cuts : {QStringList{"--pages", "1-2", "--pages", "3-5"},
                                  QStringList{"--records", "1-45", "--records", "46-100"},
                                  QStringList{"--records", "1-21", "--pages", "2-9"}}) {
    SCOPED_TRACE(cuts.join(' ').toStdString());
    std::vector<QImage> joined = run(TmpPath("shard-a.pdf"), cuts.mid(0, 2));
    for (const QImage& page : run(TmpPath("shard-b.pdf"), cuts.mid(2, 2))) joined.push_back(page);
    ASSERT_EQ(joined.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) EXPECT_EQ(joined[i], whole[i]) << "page " << i + 1;
  }

  // A shard cut inside pages prints its records in their cells and says where it was cut.
  const QString part = TmpPath("part.pdf");
  QFile::remove(part);
  TRun r = Planora({"export", sheet, part, "--data", data, "--records", "40-50"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("records 40-50 of 100, on pages 2-3 of 5")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("starts inside page 2") && r.err.contains("ends inside page 3")) << r.err.toStdString();
  EXPECT_TRUE(PdfText(part, 0).contains("Name 40") && PdfText(part, 0).contains("Name 45"));
  EXPECT_FALSE(PdfText(part, 0).contains("Name 39"));
  EXPECT_TRUE(PdfText(part, 1).contains("Name 50"));
  EXPECT_FALSE(PdfText(part, 1).contains("Name 51"));

  // Printing takes the same slice.
  const QString printed = TmpPath("printed.pdf");
  QFile::remove(printed);
  r = Planora({"print", sheet, "--output", printed, "--data", data, "--pages", "4-5"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(PdfPages(printed).size(), 2u);
  EXPECT_TRUE(PdfText(printed, 0).contains("Name 70") && PdfText(printed, 1).contains("Name 100"));
  EXPECT_FALSE(PdfText(printed, 0).contains("Name 69"));

  // Ranges past the data, malformed ranges and shards without data: a message, no file.
  const QString none = TmpPath("none.pdf");
  QFile::remove(none);
  r = Planora({"export", sheet, none, "--data", data, "--pages", "6-8"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains("fill 5 pages")) << r.err.toStdString();
  r = Planora({"export", sheet, none, "--data", data, "--records", "101-200"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains("has 100 records")) << r.err.toStdString();
  for (const QStringList& bad : {QStringList{"--records", "9-3"}, QStringList{"--pages", "0-2"},
                                 QStringList{"--records", "x"}, QStringList{"--records", "1-2", "--pages", "1"}}) {
    r = Planora(QStringList{"export", sheet, none, "--data", data} + bad);
    EXPECT_EQ(r.code, 2) << bad.join(' ').toStdString();
  }
  r = Planora({"export", sheet, none, "--records", "1-5"});
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(r.err.contains("--data")) << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(none));
}

// The batch scripts of deploy/ run as an array job would run them: one process per index, the
// shards put together in index order equal the whole run.
TEST(DataLabels, DeployScriptsRunAnArrayOfShards) {
  QByteArray csv = "name,street,city\n";
  for (int i = 1; i <= 100; ++i) csv += QStringLiteral("Name %1,Street %1,City %1\n").arg(i).toUtf8();
  const QString data = TmpPath("array.csv"), outDir = TmpDir("array-out");
  WriteAll(data, csv);
  QDir(outDir).removeRecursively();
  auto script = [&](const char* name, const QStringList& env) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("DOC", Sample("address-labels.json"));
    e.insert("DATA", data);
    e.insert("PAGES_PER_SHARD", "2");
    e.insert("OUT_DIR", outDir);
    e.insert("PLANORA", QStringLiteral(PLANORA_CLI));
    for (const QString& kv : env) e.insert(kv.section('=', 0, 0), kv.section('=', 1));
    p.setProcessEnvironment(e);
    p.start("bash", {QStringLiteral(PLANORA_SOURCE_DIR "/deploy/") + QLatin1String(name)});
    p.waitForFinished(120000);
    return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
  };
  // 100 records on 24-label sheets: 5 pages, 3 shards of 2 pages.
  const auto plan = script("plan.sh", {});
  ASSERT_EQ(plan.first, 0) << plan.second.toStdString();
  EXPECT_EQ(plan.second.trimmed(), "3");
  std::vector<QImage> joined;
  for (const char* index : {"0", "1", "2"}) {
    // Kubernetes and Slurm name the index differently; the script takes either.
    const auto r = script("shard.sh", {QStringLiteral("%1=%2").arg(*index == '1' ? "SLURM_ARRAY_TASK_ID" : "JOB_COMPLETION_INDEX", index)});
    ASSERT_EQ(r.first, 0) << r.second.toStdString();
    for (const QImage& page : PdfPages(outDir + QStringLiteral("/shard-0000%1.pdf").arg(index))) joined.push_back(page);
  }
  const QString whole = TmpPath("array-whole.pdf");
  QFile::remove(whole);
  ASSERT_EQ(Planora({"export", Sample("address-labels.json"), whole, "--data", data}).code, 0);
  const std::vector<QImage> pages = PdfPages(whole);
  ASSERT_EQ(pages.size(), 5u);
  ASSERT_EQ(joined.size(), pages.size());
  for (std::size_t i = 0; i < pages.size(); ++i) EXPECT_EQ(joined[i], pages[i]) << "page " << i + 1;
  // A shard past the end fails loudly rather than leaving a silent gap.
  const auto past = script("shard.sh", {"INDEX=3"});
  EXPECT_NE(past.first, 0);
  EXPECT_TRUE(past.second.contains("fill 5 pages")) << past.second.toStdString();
  EXPECT_NE(script("shard.sh", {"INDEX=x"}).first, 0);
}
