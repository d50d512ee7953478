// The print preview: the page layout of the control (full page, page width, scroll bars), the
// cells of the current page (first row and column, the label count, the data records), nothing
// drawn without a document or room, the window's page navigation and its export and print paths
// read back from the files they write, and the preview agreeing with the PNG export.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPdfDocument>
#include <QScrollBar>
#include <QToolButton>

#include "ORV.Canvas.h"
#include "ORV.Data.h"
#include "ORV.FMX.Preview.h"
#include "ORV.FMX.ShowPreview.h"
#include "ORV.FMX.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

// A sheet of 3 x 4 labels of 70 x 70 mm on A4 (top margin 8.5 mm). Each label has a black bar
// at 5..65 x 5..20 mm and a data text "mark" at (5, 30) mm, 12 mm high.
const char* kSheet = R"({
 "Version": 3200, "Units": "mm", "EditorMode": 0,
 "Measure": {"PaperWidth": 210000, "PaperHeight": 297000, "LabelWidth": 70000, "LabelHeight": 70000,
             "LeftMargin": 0, "TopMargin": 8500, "HorzGap": 0, "VertGap": 0, "Rows": 4, "Columns": 3,
             "LabelName": "Test sheet 3 x 4", "DrawScale": 1},
 "Layers": [{"Name": "Label"}],
 "Items": [
  {"Type": 6, "ID": 1, "Name": "bar", "Layer": 1, "Color": "#FF000000", "PenWidth": 0, "LineType": 0,
   "Options": 15, "Points": [[5000, 5000], [65000, 20000]], "BackColor": "#FF000000", "Filled": true,
   "Alpha": true, "Radius": 0},
  {"Type": 10, "ID": 2, "Name": "mark", "Layer": 1, "Color": "#FF000000", "PenWidth": 0, "LineType": 0,
   "Options": 15, "Points": [[5000, 30000], [5000, 30000]], "BackColor": "#FFFFFFFF", "Filled": false,
   "Alpha": true, "Text": "mark", "FontName": "Arial", "FontHeight": 12000, "Bold": true, "Italic": false,
   "Underline": false, "FontColor": "#FF000000", "HorzAlign": 0, "VertAlign": 0, "Angle": 0,
   "PaddingX": 0, "PaddingY": 0, "Radius": 0, "FillType": 1, "FillName": "mark"}
 ]})";

// `records` records; the even ones carry a mark, the odd ones an empty one.
std::shared_ptr<TPLNDataSource> Marks(int records) {
  QByteArray csv = "mark\n";
  for (int i = 0; i < records; ++i) csv += (i % 2 == 0 ? "WWW\n" : "\"\"\n");
  return std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv(csv, QStringLiteral("marks.csv")));
}

void LoadSheet(TPlanoraFMX& doc, int records = 0) {
  doc.LoadFromJson(kSheet);
  if (records > 0) doc.SetDataSource(Marks(records));
}

// Where a point of the paper (mm) lies in the preview widget.
QPoint At(const TPLNBasePreview& p, double xmm, double ymm) {
  const double k = p.Resolution() / 25.4 * p.Zoom();
  return QPoint(p.DMX() + static_cast<int>(std::lround(xmm * k)), p.DMY() + static_cast<int>(std::lround(ymm * k)));
}

// The paper rectangle (mm) of a part of label cell (column, row) of kSheet in preview pixels.
QRect CellPart(const TPLNBasePreview& p, int column, int row, double x1, double y1, double x2, double y2) {
  const double cx = (column - 1) * 70.0, cy = 8.5 + (row - 1) * 70.0;
  return QRect(At(p, cx + x1, cy + y1), At(p, cx + x2, cy + y2));
}

QImage Grab(TPLNBasePreview& p) { return p.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Answers the window's questions from the test.
class TScriptedServices : public TPreviewServices {
 public:
  QString SaveAs;
  QString Printer;
  QString PdfFile;
  bool Cancel = false;
  QStringList Errors;
  QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return SaveAs; }
  bool ChoosePrinter(QWidget*, QString& printer, QString& pdfFile) override {
    printer = Printer;
    pdfFile = PdfFile;
    return !Cancel;
  }
  void Error(QWidget*, const QString&, const QString& text) override { Errors << text; }
};

struct TWindow {
  std::shared_ptr<TScriptedServices> services = std::make_shared<TScriptedServices>();
  TfPreview window{nullptr, services};
  QLineEdit* page() { return window.findChild<QLineEdit*>(QStringLiteral("edNumPage")); }
  QToolButton* button(const char* name) { return window.findChild<QToolButton*>(QString::fromLatin1(name)); }
  void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, k, mods);
    QCoreApplication::sendEvent(&window, &e);
  }
  std::vector<bool> nav() {
    return {button("btnFirst")->isEnabled(), button("btnPrior")->isEnabled(), button("btnNext")->isEnabled(),
            button("btnLast")->isEnabled()};
  }
};

}  // namespace

TEST(Preview, FullPageFitsAndNeverScrollsPageWidthScrollsDown) {
  TPlanoraFMX doc;
  LoadSheet(doc);
  TPLNPreview p;
  p.SetLabel(&doc);
  p.show();
  // Wide, tall and square controls: the whole paper inside, centred, no bars, its proportions kept.
  for (QSize size : {QSize(900, 400), QSize(300, 900), QSize(500, 500), QSize(2000, 2600)}) {
    p.resize(size);
    SCOPED_TRACE(size.width());
    EXPECT_FALSE(p.GetHorzScrollBarVisible());
    EXPECT_FALSE(p.GetVertScrollBarVisible());
    EXPECT_TRUE(p.VertScrollBar()->isHidden());
    EXPECT_GE(p.DMX(), p.Gap());
    EXPECT_GE(p.DMY(), p.Gap());
    EXPECT_LE(p.DMX() + p.PaperWidth(), size.width() - p.Gap());
    EXPECT_LE(p.DMY() + p.PaperHeight(), size.height() - p.Gap());
    EXPECT_NEAR(double(p.PaperHeight()) / p.PaperWidth(), 297.0 / 210.0, 0.01);
    EXPECT_NEAR(std::abs((size.width() - p.PaperWidth()) / 2 - p.DMX()), 0, 1);
  }
  // Page width: the paper as wide as the room, taller than the control: a vertical bar only.
  p.resize(600, 400);
  p.SetViewType(TORVViewType::PageWidth);
  EXPECT_FALSE(p.GetHorzScrollBarVisible());
  ASSERT_TRUE(p.GetVertScrollBarVisible());
  EXPECT_FALSE(p.VertScrollBar()->isHidden());
  EXPECT_GT(p.PaperHeight(), 400);
  EXPECT_EQ(p.GetContentHeight(), p.PaperHeight() + 2 * p.Gap());
  // Qt's range ends one viewport before the content does.
  EXPECT_EQ(p.VertScrollBar()->maximum(), p.GetContentHeight() - 400);
  const int top = p.DMY();
  p.VertScrollBar()->setValue(p.VertScrollBar()->maximum());
  EXPECT_EQ(p.DMY(), top - p.VertScrollBar()->maximum());
  // The bottom of the paper is then in view, a gap above the control's edge.
  EXPECT_EQ(p.DMY() + p.PaperHeight() + p.Gap(), 400);
  // Back to full page: the bar goes and the scroll position with it.
  p.SetViewType(TORVViewType::FullPage);
  EXPECT_FALSE(p.GetVertScrollBarVisible());
  EXPECT_TRUE(p.VertScrollBar()->isHidden());
  EXPECT_GE(p.DMY(), p.Gap());
  // A landscape sheet in page width view in a wide control needs no bar.
  TPLNMeasure m = doc.Measure();
  m.SetPaperSizeMM(297, 210);
  doc.SetMeasure(m);
  // The document tells the preview: the paper turns without the control being touched.
  EXPECT_GT(p.PaperWidth(), p.PaperHeight());
  p.resize(1000, 800);
  p.SetViewType(TORVViewType::PageWidth);
  EXPECT_FALSE(p.GetVertScrollBarVisible());
}

TEST(Preview, DrawsNothingWithoutDocumentOrRoom) {
  TPlanoraFMX doc;
  LoadSheet(doc);
  QImage img(400, 400, QImage::Format_RGB32);
  auto drawInto = [&](TPLNBasePreview& p) {
    img.fill(QColor(0, 255, 0));
    QPainter painter(&img);
    Canvas::TQPainterCanvas canvas(&painter);
    return p.Draw(canvas);
  };
  auto untouched = [&] { return img.pixel(5, 5) == qRgb(0, 255, 0) && img.pixel(200, 200) == qRgb(0, 255, 0); };
  TPLNPreview p;
  p.resize(400, 400);
  // No document: not even the background.
  EXPECT_FALSE(drawInto(p));
  EXPECT_TRUE(untouched());
  p.SetLabel(&doc);
  EXPECT_TRUE(drawInto(p));
  EXPECT_EQ(QColor(img.pixel(2, 2)), QColor(0x80, 0x80, 0x80));  // the background round the paper
  // A control of no width or no height draws nothing at all.
  for (QSize size : {QSize(0, 400), QSize(400, 0)}) {
    p.resize(size);
    EXPECT_FALSE(drawInto(p));
    EXPECT_TRUE(untouched());
  }
  // Detached again: nothing.
  p.resize(400, 400);
  p.SetLabel(nullptr);
  EXPECT_FALSE(drawInto(p));
  EXPECT_TRUE(untouched());
  // A document destroyed while the preview still shows it is forgotten, never touched.
  {
    TPlanoraFMX gone;
    LoadSheet(gone);
    p.SetLabel(&gone);
  }
  EXPECT_EQ(p.GetLabel(), nullptr);
  EXPECT_FALSE(drawInto(p));
}

TEST(Preview, CellsOfThePageFollowFirstCellLabelCountAndData) {
  TPlanoraFMX doc;
  LoadSheet(doc);
  TPLNPreview p;
  p.resize(700, 900);
  p.SetLabel(&doc);
  auto cells = [&] {
    QImage img(p.size(), QImage::Format_RGB32);
    QPainter painter(&img);
    Canvas::TQPainterCanvas canvas(&painter);
    EXPECT_TRUE(p.Draw(canvas));
    return p.DrawnCells();
  };
  EXPECT_EQ(cells().size(), 12u);
  // Page 1 starts in row 2, column 3; the next row starts in column 1.
  doc.PrintInfo.FirstRow = 2;
  doc.PrintInfo.FirstColumn = 3;
  std::vector<QPoint> c = cells();
  ASSERT_EQ(c.size(), 7u);
  EXPECT_EQ(c[0], QPoint(3, 2));
  EXPECT_EQ(c[1], QPoint(1, 3));
  EXPECT_EQ(c.back(), QPoint(3, 4));
  QImage img = Grab(p);
  EXPECT_FALSE(InkInRect(img, CellPart(p, 2, 2, 10, 8, 60, 17)));  // skipped cells stay empty
  EXPECT_FALSE(InkInRect(img, CellPart(p, 1, 1, 10, 8, 60, 17)));
  EXPECT_TRUE(InkInRect(img, CellPart(p, 3, 2, 10, 8, 60, 17)));
  EXPECT_TRUE(InkInRect(img, CellPart(p, 1, 3, 10, 8, 60, 17)));
  // Five labels to print stop in the middle of a row.
  doc.PrintInfo.FirstRow = doc.PrintInfo.FirstColumn = 1;
  doc.PrintInfo.LabelsToPrint = 5;
  c = cells();
  ASSERT_EQ(c.size(), 5u);
  EXPECT_EQ(c.back(), QPoint(2, 2));
  img = Grab(p);
  EXPECT_TRUE(InkInRect(img, CellPart(p, 2, 2, 10, 8, 60, 17)));
  EXPECT_FALSE(InkInRect(img, CellPart(p, 3, 2, 10, 8, 60, 17)));
  EXPECT_FALSE(InkInRect(img, CellPart(p, 1, 3, 10, 8, 60, 17)));
  // The count runs over the pages: page 2 of a run of 14 labels holds the last two.
  doc.SetDataSource(Marks(100));
  doc.PrintInfo.LabelsToPrint = 14;
  EXPECT_EQ(PreviewPageCount(doc), 2);
  doc.GoToPage(2, false, true);
  c = cells();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0], QPoint(1, 1));  // later pages start at the first cell whatever page 1 skips
  // The data ends the sheet: 15 records from the first cell of page 2 on, with page 1 taking 12.
  doc.PrintInfo.LabelsToPrint = 0;
  doc.SetDataSource(Marks(15));
  EXPECT_EQ(cells().size(), 3u);
  // Each cell shows its own record: records 12 and 14 carry a mark, 13 none.
  img = Grab(p);
  EXPECT_TRUE(InkInRect(img, CellPart(p, 1, 1, 5, 30, 60, 45)));
  EXPECT_FALSE(InkInRect(img, CellPart(p, 2, 1, 5, 30, 60, 45)));
  EXPECT_TRUE(InkInRect(img, CellPart(p, 3, 1, 5, 30, 60, 45)));
}

TEST(Preview, WindowNavigatesThePages) {
  TPlanoraFMX doc;
  LoadSheet(doc);
  {
    // Without data: one page, nothing to move to.
    TWindow w;
    w.window.Ini(&doc);
    EXPECT_EQ(w.window.windowTitle(), QStringLiteral("    Test sheet 3 x 4"));
    EXPECT_EQ(w.page()->text(), QStringLiteral("1 / 1"));
    EXPECT_TRUE(w.page()->isReadOnly());
    EXPECT_EQ(w.nav(), std::vector<bool>({false, false, false, false}));
    w.key(Qt::Key_PageDown);
    EXPECT_EQ(w.page()->text(), QStringLiteral("1 / 1"));
    // A sheet of many labels has no drawing to fit.
    EXPECT_TRUE(w.window.findChild<QCheckBox*>(QStringLiteral("ckFit"))->isHidden());
  }
  // 140 records at 12 a page: 12 pages.
  doc.SetDataSource(Marks(140));
  TWindow w;
  w.window.Ini(&doc);
  EXPECT_EQ(w.window.PageCount(), 12);
  EXPECT_EQ(w.page()->text(), QStringLiteral("1 / 12"));
  EXPECT_FALSE(w.page()->isReadOnly());
  EXPECT_EQ(w.nav(), std::vector<bool>({false, false, true, true}));
  w.button("btnNext")->click();
  w.key(Qt::Key_PageDown);
  EXPECT_EQ(w.page()->text(), QStringLiteral("3 / 12"));
  EXPECT_EQ(doc.PrintInfo.CurrentPage, 3);
  EXPECT_EQ(doc.GetCurrentRecord(), 24);  // the cursor on the page's first record
  EXPECT_EQ(w.nav(), std::vector<bool>({true, true, true, true}));
  w.key(Qt::Key_End);
  EXPECT_EQ(w.page()->text(), QStringLiteral("12 / 12"));
  EXPECT_EQ(w.nav(), std::vector<bool>({true, true, false, false}));
  w.key(Qt::Key_PageDown);  // past the end: stays
  EXPECT_EQ(w.page()->text(), QStringLiteral("12 / 12"));
  // Only the last page's 8 records are drawn there.
  w.window.Preview()->resize(600, 800);
  Grab(*w.window.Preview());
  EXPECT_EQ(w.window.Preview()->DrawnCells().size(), 8u);
  w.key(Qt::Key_PageUp);
  EXPECT_EQ(w.page()->text(), QStringLiteral("11 / 12"));
  w.key(Qt::Key_Home);
  EXPECT_EQ(w.page()->text(), QStringLiteral("1 / 12"));
  // A page typed into the box, one out of range, and text that is no page.
  w.page()->setText(QStringLiteral("7"));
  emit w.page()->returnPressed();
  EXPECT_EQ(w.page()->text(), QStringLiteral("7 / 12"));
  w.page()->setText(QStringLiteral("99"));
  emit w.page()->returnPressed();
  EXPECT_EQ(w.page()->text(), QStringLiteral("12 / 12"));
  w.page()->setText(QStringLiteral("abc"));
  emit w.page()->returnPressed();
  EXPECT_EQ(w.page()->text(), QStringLiteral("12 / 12"));
}

TEST(Preview, TenThousandPagesDrawOnlyThePageShown) {
  TPlanoraFMX doc;
  LoadSheet(doc);
  doc.SetDataSource(Marks(120000));
  TWindow w;
  w.window.Ini(&doc);
  EXPECT_EQ(w.page()->text(), QStringLiteral("1 / 10000"));
  // The per-label copies are one sheet's worth, not one per record.
  EXPECT_LE(doc.GetItemsCount(), 2 + 12);
  w.key(Qt::Key_End);
  EXPECT_EQ(w.page()->text(), QStringLiteral("10000 / 10000"));
  TPLNPreview* p = w.window.Preview();
  p->resize(600, 800);
  Grab(*p);
  EXPECT_EQ(p->DrawnCells().size(), 12u);
  // The last page's first record is 119,988: even, so marked; 119,989 is not.
  const QImage img = Grab(*p);
  EXPECT_TRUE(InkInRect(img, CellPart(*p, 1, 1, 5, 30, 60, 45)));
  EXPECT_FALSE(InkInRect(img, CellPart(*p, 2, 1, 5, 30, 60, 45)));
}

TEST(Preview, PreviewAgreesWithThePngExportOfThePage) {
  TPlanoraFMX doc;
  LoadSheet(doc);
  doc.SetDataSource(Marks(30));
  doc.PrintInfo.FirstColumn = 2;  // page 1 skips a cell, so page 2 starts at record 11
  TWindow w;
  w.window.Ini(&doc);
  w.window.NextPage();
  ASSERT_EQ(w.page()->text(), QStringLiteral("2 / 3"));
  TPLNPreview* p = w.window.Preview();
  p->resize(794 + 2 * p->Gap() + 40, 1123 + 2 * p->Gap() + 40);
  const QImage shown = Grab(*p);
  const QString png = TmpPath("preview-page2.png");
  QFile::remove(png);
  w.services->SaveAs = png;
  w.window.findChild<QAction*>(QStringLiteral("exportPNG"))->trigger();
  ASSERT_TRUE(w.services->Errors.isEmpty()) << w.services->Errors.join("; ").toStdString();
  QImage exported(png);
  ASSERT_FALSE(exported.isNull());
  ASSERT_EQ(exported.size(), QSize(794, 1123));
  // The export left the window on its page.
  EXPECT_EQ(doc.GetCurrentRecord(), 11);
  int agreeing = 0, marked = 0;
  const double k = 96 / 25.4;
  for (int row = 1; row <= 4; ++row)
    for (int column = 1; column <= 3; ++column) {
      const double cx = (column - 1) * 70.0, cy = 8.5 + (row - 1) * 70.0;
      // Inside the bar, and a blank spot below the mark.
      for (QPointF mm : {QPointF(35, 12.5), QPointF(10, 8), QPointF(35, 60)}) {
        const QColor a = shown.pixel(At(*p, cx + mm.x(), cy + mm.y()));
        const QColor b = exported.pixel(QPoint(int((cx + mm.x()) * k), int((cy + mm.y()) * k)));
        EXPECT_LE(std::abs(a.lightness() - b.lightness()), 40) << "cell " << column << "," << row << " at " << mm.x()
                                                                << "," << mm.y();
        ++agreeing;
      }
      // Which cells carry a mark: the same in both.
      const QRect shownMark = CellPart(*p, column, row, 5, 30, 65, 45);
      const QRect exportedMark(QPoint(int((cx + 5) * k), int((cy + 30) * k)), QPoint(int((cx + 65) * k), int((cy + 45) * k)));
      EXPECT_EQ(InkInRect(shown, shownMark), InkInRect(exported, exportedMark)) << "cell " << column << "," << row;
      marked += InkInRect(exported, exportedMark);
    }
  // Page 2 holds records 11..22: the even six of them are marked.
  EXPECT_EQ(marked, 6);
  EXPECT_EQ(agreeing, 36);
  // The window's scale and transparency reach the file.
  w.window.findChild<QDoubleSpinBox*>(QStringLiteral("sfScale"))->setValue(0.5);
  w.window.findChild<QCheckBox*>(QStringLiteral("ckTransparent"))->setChecked(true);
  const QString half = TmpPath("preview-half.png");
  QFile::remove(half);
  w.services->SaveAs = half;
  w.window.findChild<QAction*>(QStringLiteral("exportPNG"))->trigger();
  const QImage small(half);
  EXPECT_EQ(small.size(), QSize(397, 561));
  EXPECT_TRUE(small.hasAlphaChannel());
  EXPECT_EQ(qAlpha(small.pixel(200, 540)), 0);  // below the last row of labels
  // An export that cannot be written says why and changes nothing in the window.
  w.services->SaveAs = QStringLiteral("/nonexistent-folder/x.png");
  w.window.findChild<QAction*>(QStringLiteral("exportPNG"))->trigger();
  ASSERT_EQ(w.services->Errors.size(), 1);
  EXPECT_TRUE(w.services->Errors[0].contains(QStringLiteral("x.png"))) << w.services->Errors[0].toStdString();
  EXPECT_EQ(w.page()->text(), QStringLiteral("2 / 3"));
}

TEST(Preview, PrintFromTheWindowIntoAPdfHasEveryPage) {
  TPlanoraFMX doc;
  LoadSheet(doc);
  doc.SetDataSource(Marks(30));  // 12 + 12 + 6 labels
  TWindow w;
  w.window.Ini(&doc);
  w.window.NextPage();
  const QString pdfPath = TmpPath("preview-print.pdf");
  QFile::remove(pdfPath);
  // Cancelled: nothing printed, nothing reported.
  w.services->Cancel = true;
  w.key(Qt::Key_P, Qt::ControlModifier);
  EXPECT_FALSE(QFile::exists(pdfPath));
  EXPECT_TRUE(w.services->Errors.isEmpty());
  w.services->Cancel = false;
  w.services->PdfFile = pdfPath;
  w.button("btnPrint")->click();
  ASSERT_TRUE(w.services->Errors.isEmpty()) << w.services->Errors.join("; ").toStdString();
  // Back on the page it showed; the document's own print range untouched.
  EXPECT_EQ(w.page()->text(), QStringLiteral("2 / 3"));
  EXPECT_EQ(doc.PrintInfo.CurrentPage, 2);
  EXPECT_EQ(doc.PrintInfo.LastPage, 1);
  EXPECT_TRUE(doc.PrintToFile.isEmpty());
  QPdfDocument pdf;
  ASSERT_EQ(pdf.load(pdfPath), QPdfDocument::Error::None);
  ASSERT_EQ(pdf.pageCount(), 3);
  const double k = 72 / 25.4;
  const QSize size(qRound(210 * k), qRound(297 * k));
  auto bar = [&](const QImage& img, int column, int row) {
    const double cx = (column - 1) * 70.0, cy = 8.5 + (row - 1) * 70.0;
    return InkInRect(img, QRect(QPoint(int((cx + 10) * k), int((cy + 8) * k)), QPoint(int((cx + 60) * k), int((cy + 17) * k))));
  };
  auto render = [&](int page) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter(&img).drawImage(0, 0, pdf.render(page, size));
    return img;
  };
  const QImage first = render(0), third = render(2);
  EXPECT_TRUE(bar(first, 1, 1));
  EXPECT_TRUE(bar(first, 3, 4));
  // The last page holds the six last records: two rows, then nothing.
  EXPECT_TRUE(bar(third, 3, 2));
  EXPECT_FALSE(bar(third, 1, 3));
  EXPECT_FALSE(bar(third, 3, 4));
  // A file that cannot be written: the reason reported, the window still on its page.
  w.services->PdfFile = QStringLiteral("/nonexistent-folder/labels.pdf");
  w.button("btnPrint")->click();
  ASSERT_EQ(w.services->Errors.size(), 1);
  EXPECT_TRUE(w.services->Errors[0].contains(QStringLiteral("labels.pdf"))) << w.services->Errors[0].toStdString();
  EXPECT_EQ(w.page()->text(), QStringLiteral("2 / 3"));
  EXPECT_EQ(doc.PrintInfo.LastPage, 1);
}
