// Printing through QPrinter into a PDF file, read back with QPdfDocument.
#include <QFile>
#include <QPdfDocument>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "ORV.Data.h"
#include "ORV.FMX.h"
#include "LabelSheet.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;
using namespace PlanoraTest::Sheet;

namespace {

void MakeSheet(TPlanoraFMX& doc, const QString& pdf) {
  Sheet::MakeSheet(doc);
  QFile::remove(pdf);
  doc.PrintToFile = pdf;
}

}  // namespace

TEST(Print, SheetOfLabelsToPdf) {
  TPlanoraFMX doc;
  const QString path = TmpPath("sheet.pdf");
  MakeSheet(doc, path);
  // A black square on a layer of its own without `option`, where no other item lies.
  const auto squareOnLayer = [&doc](const char* name, std::uint16_t option, double y) {
    TPLNLayer* layer = doc.AddLayer(name);
    layer->Options &= ~option;
    doc.SetActiveLayer(doc.LayerIndex(layer));
    auto* square = static_cast<TPLNRectangle*>(TPLNFactory::AddRectangle(&doc, 50, y, 20, 20));
    square->SetBackColor(0xFF000000u);
    square->SetFilled(true);
  };
  squareOnLayer("notes", Opt::Print, 60);
  // Hidden on screen but printable: paper asks only the print bits.
  squareOnLayer("hidden", Opt::Visible, 10);
  int before = 0, after = 0;
  doc.OnBeforePrint = [&](TPlanoraFMX& d) { ++before; EXPECT_FALSE(d.HasState(9)); };
  doc.OnAfterPrint = [&](TPlanoraFMX& d) { ++after; EXPECT_FALSE(d.HasState(9)); };
  doc.Print();
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);

  QPdfDocument pdf;
  ASSERT_EQ(pdf.load(path), QPdfDocument::Error::None);
  ASSERT_EQ(pdf.pageCount(), 2);
  const QSizeF pt = pdf.pagePointSize(0);
  EXPECT_NEAR(pt.width(), 297 / 25.4 * 72, 0.5);
  EXPECT_NEAR(pt.height(), 210 / 25.4 * 72, 0.5);
  const QImage page1 = RenderPage(pdf, 0);
  EXPECT_TRUE(BoxInCell(page1, 2, 1));
  EXPECT_TRUE(BoxInCell(page1, 3, 2));
  EXPECT_FALSE(InkInRect(page1, QRect(P(10 + 95 + 50), P(10 + 60), P(20), P(20)))) << "non-printing layer printed";
  const QPoint inHidden(P(10 + 95 + 60), P(10 + 97 + 20));  // cell 2, 2
  EXPECT_TRUE(Dark(page1, inHidden.x(), inHidden.y())) << "a printable item on a hidden layer did not print";
  EXPECT_TRUE(BoxInCell(RenderPage(pdf, 1), 1, 1));
}

TEST(Print, FirstRowAndColumnSkipCellsOnPageOneOnly) {
  TPlanoraFMX doc;
  const QString path = TmpPath("skip.pdf");
  MakeSheet(doc, path);
  doc.PrintInfo.FirstRow = 2;
  doc.PrintInfo.FirstColumn = 2;
  doc.Print();
  QPdfDocument pdf;
  ASSERT_EQ(pdf.load(path), QPdfDocument::Error::None);
  ASSERT_EQ(pdf.pageCount(), 2);
  const QImage page1 = RenderPage(pdf, 0);
  for (int c = 1; c <= 3; ++c) EXPECT_TRUE(CellEmpty(page1, c, 1)) << "column " << c;
  EXPECT_TRUE(CellEmpty(page1, 1, 2));
  EXPECT_TRUE(BoxInCell(page1, 2, 2));
  EXPECT_TRUE(BoxInCell(page1, 3, 2));
  EXPECT_TRUE(BoxInCell(RenderPage(pdf, 1), 1, 1));
}

TEST(Print, UnopenableFileRaisesAndLeavesNoPrintingState) {
  TPlanoraFMX doc;
  MakeSheet(doc, TmpPath("no-such-dir/sheet.pdf"));
  int after = 0;
  doc.OnAfterPrint = [&](TPlanoraFMX&) { ++after; };
  EXPECT_THROW(doc.Print(), EPLNError);
  EXPECT_FALSE(doc.HasState(9));
  EXPECT_EQ(after, 0);
}

namespace {
// Logs which record every data-bound item asks for while it prints.
class TLoggingDoc : public TPlanoraFMX {
 public:
  mutable std::vector<int> asked;
  QString DataValueAt(int record, const QString& field, const QString& format, int fillType,
                      const QString& fallback) const override {
    if (HasState(9)) asked.push_back(record);
    return TPlanoraFMX::DataValueAt(record, field, format, fillType, fallback);
  }
};
}  // namespace

TEST(Print, DataSheetGivesEachCellItsRecordAndEndsWithTheData) {
  TLoggingDoc doc;
  doc.LoadFromFile(Sample("address-labels.json"));
  doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromFile(Sample("addresses.csv"))));
  const int records = doc.GetRecordCount();
  const int perPage = doc.Measure().Rows * doc.Measure().Columns;
  ASSERT_GT(records, perPage);
  ASSERT_LT(records, 2 * perPage);
  const QString path = TmpPath("data.pdf");
  QFile::remove(path);
  doc.PrintToFile = path;

  // No printer: nothing printed, no event, but the per-label copies are made.
  doc.PrintInfo.PrinterIndex = -1;
  bool told = false;
  doc.OnBeforePrint = doc.OnAfterPrint = [&](TPlanoraFMX&) { told = true; };
  doc.Print();
  EXPECT_FALSE(told);
  EXPECT_FALSE(QFile::exists(path));
  int copies = 0;
  for (int i = 1; i <= doc.GetItemsCount(); ++i) copies += doc.GetItem(i)->IsPreview();
  EXPECT_GT(copies, 0);

  doc.PrintInfo.PrinterIndex = 0;
  doc.PrintInfo.LastPage = 3;
  doc.Print();
  EXPECT_TRUE(told);
  // Every data item of a cell asks for the cell's record, in cell order, and no cell follows
  // the last record.
  ASSERT_FALSE(doc.asked.empty());
  const int perCell = static_cast<int>(doc.asked.size()) / records;
  ASSERT_EQ(static_cast<int>(doc.asked.size()), perCell * records);
  for (int i = 0; i < static_cast<int>(doc.asked.size()); ++i) ASSERT_EQ(doc.asked[i], i / perCell) << "call " << i;
  QPdfDocument pdf;
  ASSERT_EQ(pdf.load(path), QPdfDocument::Error::None);
  EXPECT_EQ(pdf.pageCount(), 2);
}

// Print fonts are sized for the printer's resolution: a 10 mm text prints about 10 mm tall on
// paper (cap height to descender), not a twelfth of it at 1200 dpi.
TEST(Print, TextKeepsItsSizeOnPaper) {
  TPlanoraFMX doc;
  const QString path = TmpPath("text.pdf");
  doc.SetMeasure(Paper(100000, 60000));
  auto* t = static_cast<TPLNText*>(TPLNFactory::AddText(&doc, 10, 10));
  t->SetText(QStringLiteral("Hg"));
  t->SetFontHeight(10.0f);
  doc.PrintInfo.PrinterIndex = 0;
  doc.PrintToFile = path;
  doc.Print();
  QPdfDocument pdf;
  ASSERT_EQ(pdf.load(path), QPdfDocument::Error::None);
  const QImage page = RenderPage(pdf, 0);
  const auto rows = InkRows(page);
  ASSERT_GE(rows.first, 0) << "nothing printed";
  const double inkMM = (rows.second - rows.first + 1) * 25.4 / kDpi;
  EXPECT_GT(inkMM, 6.0);
  EXPECT_LT(inkMM, 11.0);
}

// The exported bitmap (what the screen shows) and the paper show the same drawing: a frame's
// stroke inside its box with sharp corners, a hidden fill hidden, sectors and points, and a
// curve's terminator where the curve ends rather than at a point left over.
TEST(Print, PaperShowsWhatTheExportShows) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 60000));
  const TAlphaColor black = 0xFF000000u;
  auto* frame = static_cast<TPLNRectangle*>(TPLNFactory::AddRectangle(&doc, 10, 10, 30, 20));
  frame->SetPenWidth(4000);
  frame->SetColor(black);
  auto* para = static_cast<TPLNParagraph*>(TPLNFactory::AddParagraph(&doc, 50, 10, 40, 20));
  para->SetText(QStringLiteral("x"));
  para->SetPenWidth(0);
  para->SetFilled(true);
  para->SetBackColor(black);
  para->SetAlpha(false);
  auto* sector = static_cast<TPLNSector*>(TPLNFactory::AddSector(&doc, 25, 45, 10, 0, 90));
  sector->SetPenWidth(0);
  sector->SetFilled(true);
  sector->SetBackColor(black);
  auto* point = static_cast<TPLNPoint*>(TPLNFactory::AddPoint(&doc, 60, 45));
  point->SetPenWidth(500);
  point->SetColor(black);
  auto* curve = static_cast<TPLNBezier*>(TPLNFactory::AddBezier(&doc, {70, 40, 75, 35, 80, 55, 85, 45, 95, 55}));
  curve->SetPenWidth(500);
  curve->SetColor(black);
  curve->ToType = 6;
  curve->SizeTo = 3;
  curve->ToColor = black;

  const QString png = TmpPath("agree.png"), pdfPath = TmpPath("agree.pdf");
  QFile::remove(png);
  QFile::remove(pdfPath);
  const double scale = 2.5;
  ASSERT_EQ(Export(doc, TORVExport::PNG, png, 1, float(scale)), QString());
  const QImage shown = QImage(png).convertToFormat(QImage::Format_RGB32);
  doc.PrintInfo.PrinterIndex = 0;
  doc.PrintToFile = pdfPath;
  doc.Print();
  QPdfDocument pdf;
  ASSERT_EQ(pdf.load(pdfPath), QPdfDocument::Error::None);
  const QImage paper = RenderPage(pdf, 0);

  struct Probe {
    double x, y;
    bool ink;
    const char* what;
  };
  const Probe probes[] = {
      {10.6, 20, true, "the frame's stroke inside its box"},
      {9.4, 20, false, "outside the frame's box"},
      {10.3, 10.3, true, "the frame's outer corner (mitred)"},
      {85, 27, false, "a hidden fill"},
      {30, 50, true, "inside the sector"},
      {20, 40, false, "beside the sector"},
      {60.5, 45, true, "the point's circle"},
      {60, 45, false, "the point's centre"},
      {85, 45, true, "the terminator at the curve's end"},
      {95, 55, false, "the point left over after the curve"},
  };
  for (const auto& [image, dpi, name] : {std::tuple{&shown, 96 * scale, "export"}, std::tuple{&paper, kDpi, "paper"}}) {
    for (const Probe& p : probes) {
      const QPoint at = Px(p.x, p.y, dpi);
      EXPECT_EQ(p.ink ? DarkNear(*image, at.x(), at.y()) : White(*image, at.x(), at.y()), true)
          << name << ": " << p.what << " at " << p.x << ", " << p.y << " mm";
    }
  }
}

TEST(Print, LabelStockReachesTheOutputsTheOptionsName) {
  TPlanoraFMX doc;
  doc.SetMeasure(Paper(100000, 60000));
  TPLNBackSurf stock;
  stock.Color = 0xFFFFD700u;  // gold labels
  stock.SetRadius(6);
  doc.SetBackSurf(stock);
  const QColor gold(0xFF, 0xD7, 0x00);
  const QString png = TmpPath("stock.png"), pdfPath = TmpPath("stock.pdf");
  const auto exported = [&] {
    QFile::remove(png);
    EXPECT_EQ(Export(doc, TORVExport::PNG, png, 1, 1.0f), QString());
    return QImage(png).convertToFormat(QImage::Format_RGB32);
  };
  const auto printed = [&] {
    QFile::remove(pdfPath);
    doc.PrintInfo.PrinterIndex = 0;
    doc.PrintToFile = pdfPath;
    doc.Print();
    QPdfDocument pdf;
    EXPECT_EQ(pdf.load(pdfPath), QPdfDocument::Error::None);
    return RenderPage(pdf, 0);
  };
  // By default the stock is only shown: exports and prints leave the paper as it is.
  EXPECT_TRUE(ColorAt(exported(), Px(50, 30, 96), Qt::white));
  EXPECT_TRUE(ColorAt(printed(), Px(50, 30, kDpi), Qt::white));
  // Asked for, both put it on the page, the die-cut corners left bare.
  doc.SetOptions(doc.GetOptions() | doExportBackSurf | doPrintBackSurf);
  for (const auto& [page, dpi, name] : {std::tuple{exported(), 96.0, "export"}, std::tuple{printed(), double(kDpi), "paper"}}) {
    EXPECT_TRUE(ColorAt(page, Px(50, 30, dpi), gold)) << name;
    EXPECT_TRUE(ColorAt(page, Px(3, 30, dpi), gold)) << name << ": the side between the corners";
    EXPECT_TRUE(ColorAt(page, Px(0.6, 0.6, dpi), Qt::white)) << name << ": a rounded corner";
  }

  // Kept with the drawing in both formats; undo takes a change back.
  for (const auto ext : {TORVExt::Eti, TORVExt::Json}) {
    const QString file = TmpPath(ext == TORVExt::Json ? "stock.json" : "stock.eti");
    doc.SaveToFile(file, ext);
    TPlanoraFMX back;
    ASSERT_TRUE(back.LoadFromFile(file));
    EXPECT_EQ(back.BackSurf(), stock);
    EXPECT_EQ(back.GetOptions(), doc.GetOptions());
  }
  doc.ClearUndo();
  TPLNBackSurf plain;
  doc.SetBackSurf(plain);
  doc.Undo();
  EXPECT_EQ(doc.BackSurf(), stock);
  // A radius beyond what a label can have is refused by the file, not clamped silently.
  QFile bad(TmpPath("stock-bad.json"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write(R"({"Version": 3203, "BackSurf": {"Color": "#FFFFD700", "Radius": 500}, "Items": []})");
  bad.close();
  TPlanoraFMX refused;
  EXPECT_THROW(refused.LoadFromFile(bad.fileName()), EPLNError);
}
