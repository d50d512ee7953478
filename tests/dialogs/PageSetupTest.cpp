// The page set-up windows driven through their widgets: the label sheet (paper, grid, run,
// counters, data, catalogue) and the drawing window; what OK writes (one undo step), what
// Cancel leaves, what is refused, and the settings kept in both file formats.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <gtest/gtest.h>

#include "DialogTestServices.h"
#include "ORV.Data.h"
#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.Drawing.h"
#include "ORV.FMX.Labelling.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"
#include "ORV.SheetCatalog.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

// A 3 x 4 sheet of 60 x 40 mm labels on A4.
void SheetOf12(TPlanoraFMX& doc) {
  TPLNMeasure m;
  m.Sizes[TPLNMeasure::PaperWidth] = 210000;
  m.Sizes[TPLNMeasure::PaperHeight] = 297000;
  m.Sizes[TPLNMeasure::LabelWidth] = 60000;
  m.Sizes[TPLNMeasure::LabelHeight] = 40000;
  m.Sizes[TPLNMeasure::LeftMargin] = 10000;
  m.Sizes[TPLNMeasure::TopMargin] = 20000;
  m.Sizes[TPLNMeasure::HorzGap] = 5000;
  m.Sizes[TPLNMeasure::VertGap] = 4000;
  m.Columns = 3;
  m.Rows = 4;
  m.LabelName = QStringLiteral("Shelf");
  doc.SetMeasure(m);
}

struct Sheet {
  TPlanoraFMX doc;
  std::shared_ptr<TScriptedServices> services = std::make_shared<TScriptedServices>();
  std::unique_ptr<TfLabelling> win;

  Sheet() {
    SheetOf12(doc);
    TPLNFactory::AddBaseRectangle(&doc, 1000, 1000, 5000, 5000);
    doc.ClearUndo();
    win = std::make_unique<TfLabelling>(nullptr, services);
    win->Ini(&doc);
  }
  template <class T>
  T* W(const char* name) {
    return Child<T>(*win, name);
  }
  double Box(const char* name) { return W<QDoubleSpinBox>(name)->value(); }
  void Set(const char* name, double v) { W<QDoubleSpinBox>(name)->setValue(v); }
};

}  // namespace

TEST(PageSetup, SheetShownWrittenAsOneStepAndCancelKeepsTheDrawing) {
  Sheet s;
  EXPECT_EQ(s.W<QLineEdit>("edName")->text(), "Shelf");
  EXPECT_DOUBLE_EQ(s.Box("seWidth"), 60);
  EXPECT_DOUBLE_EQ(s.Box("seGapX"), 5);
  EXPECT_DOUBLE_EQ(s.Box("seGapY"), 4);
  EXPECT_DOUBLE_EQ(s.Box("seRows"), 4);
  EXPECT_EQ(s.W<QComboBox>("cbPaper")->currentText(), "A4");
  EXPECT_FALSE(s.W<QDoubleSpinBox>("sePaperWidth")->isEnabled()) << "a standard paper's sizes are the table's";

  const QByteArray before = s.doc.GetJsonText();
  s.Set("seRows", 5);
  s.Set("seWidth", 62.5);
  s.W<QLineEdit>("edName")->setText(QStringLiteral("Shelf B"));
  s.Set("edRepetition", 3);
  // Nothing reaches the drawing before OK: Cancel is simply not writing back.
  EXPECT_EQ(s.doc.GetJsonText(), before);

  ASSERT_EQ(s.win->Check(), QString());
  s.win->WriteBack();
  EXPECT_EQ(s.doc.Measure().Rows, 5);
  EXPECT_EQ(s.doc.Measure().Sizes[TPLNMeasure::LabelWidth], 62500);
  EXPECT_EQ(s.doc.Measure().LabelName, "Shelf B");
  EXPECT_EQ(s.doc.PrintInfo.Repetition, 3);
  EXPECT_EQ(s.doc.PrintInfo.LabelsToPrint, 0) << "an untouched label count keeps meaning every cell";
  EXPECT_EQ(s.doc.UndoCount(), 1);
  s.doc.Undo();
  EXPECT_EQ(s.doc.GetJsonText(), before);
}

TEST(PageSetup, InchDrawingShowsAndWritesInches) {
  TPlanoraFMX doc;
  SheetOf12(doc);
  doc.SetUnits(TORVUnits::inch);
  auto services = std::make_shared<TScriptedServices>();
  TfLabelling win(nullptr, services);
  win.Ini(&doc);
  EXPECT_NEAR(Child<QDoubleSpinBox>(win, "seWidth")->value(), 60 / 25.4, 0.001);
  // 2.5 in is 63.5 mm: three of them with the margin and gaps pass the paper by half a millimetre.
  Child<QDoubleSpinBox>(win, "seWidth")->setValue(2.5);
  EXPECT_TRUE(win.Check().contains("0.020 in")) << win.Check().toStdString();
  Child<QDoubleSpinBox>(win, "seWidth")->setValue(2.4);
  ASSERT_EQ(win.Check(), QString());
  win.WriteBack();
  EXPECT_EQ(doc.Measure().Sizes[TPLNMeasure::LabelWidth], 60960);
}

TEST(PageSetup, PaperOrientationAndContinuousPaper) {
  Sheet s;
  // A standard paper chosen while horizontal is checked lies across.
  s.W<QRadioButton>("RaBuHor")->click();
  EXPECT_DOUBLE_EQ(s.Box("sePaperWidth"), 297);
  EXPECT_DOUBLE_EQ(s.Box("sePaperHeight"), 210);
  s.win->ChoosePaper(3);  // A3
  EXPECT_DOUBLE_EQ(s.Box("sePaperWidth"), 420);
  EXPECT_DOUBLE_EQ(s.Box("sePaperHeight"), 297);
  s.W<QRadioButton>("RaBuVer")->click();
  EXPECT_DOUBLE_EQ(s.Box("sePaperWidth"), 297);
  s.win->ChoosePaper(UserPaperIndex);
  EXPECT_TRUE(s.W<QDoubleSpinBox>("sePaperWidth")->isEnabled());

  // Continuous paper: one cell, no gaps or margins, the paper of the label's size.
  s.W<QCheckBox>("cbContinousPaper")->setChecked(true);
  EXPECT_DOUBLE_EQ(s.Box("seRows"), 1);
  EXPECT_DOUBLE_EQ(s.Box("seColumns"), 1);
  EXPECT_DOUBLE_EQ(s.Box("seGapX"), 0);
  EXPECT_DOUBLE_EQ(s.Box("seMargTop"), 0);
  EXPECT_DOUBLE_EQ(s.Box("sePaperWidth"), 60);
  EXPECT_DOUBLE_EQ(s.Box("sePaperHeight"), 40);
  EXPECT_FALSE(s.W<QDoubleSpinBox>("seRows")->isEnabled());
  EXPECT_EQ(s.W<QComboBox>("cbPaper")->currentIndex(), UserPaperIndex);
  // The paper keeps following the label.
  s.Set("seHeight", 30);
  EXPECT_DOUBLE_EQ(s.Box("sePaperHeight"), 30);
  ASSERT_EQ(s.win->Check(), QString());
  s.win->WriteBack();
  EXPECT_TRUE(s.doc.Measure().ContinousPaper);
  EXPECT_EQ(s.doc.Measure().Sizes[TPLNMeasure::PaperHeight], 30000);
  EXPECT_FALSE(s.doc.PrintInfo.Horizontal);
}

TEST(PageSetup, GridThatDoesNotFitIsRefusedSayingByHowMuch) {
  Sheet s;
  // 10 + 3 x 70 + 2 x 5 = 230 mm on 210 mm of paper.
  s.Set("seWidth", 70);
  const QString why = s.win->Check();
  EXPECT_TRUE(why.contains(QLocale().toString(20.0, 'f', 2) + " mm")) << why.toStdString();
  s.Set("seWidth", 60);
  s.Set("seRows", 6);  // 20 + 6 x 40 + 5 x 4 = 280: fits
  EXPECT_EQ(s.win->Check(), QString());
  s.Set("seRows", 7);  // 324 mm
  EXPECT_TRUE(s.win->Check().contains(QLocale().toString(27.0, 'f', 2))) << s.win->Check().toStdString();
  s.Set("seRows", 4);
  s.Set("edFirstRow", 5);
  EXPECT_FALSE(s.win->Check().isEmpty()) << "a first label below the last row";
  // Typed text out of a box's range is refused with the box's name.
  s.Set("edFirstRow", 1);
  auto* rows = s.W<QDoubleSpinBox>("seRows");
  rows->findChild<QLineEdit*>()->setText(QStringLiteral("0"));
  EXPECT_TRUE(s.win->Check().contains(PlainLabel(TPLNMsg::GetDialogsValue("Rows")))) << s.win->Check().toStdString();
}

TEST(PageSetup, SketchColoursTheCellsTheRunSkips) {
  Sheet s;
  s.Set("edFirstRow", 2);
  s.Set("edFirstCol", 3);
  auto* sketch = s.win->findChild<TSheetSketch*>(QStringLiteral("paintLab"));
  ASSERT_NE(sketch, nullptr);
  const QImage img = sketch->grab().toImage();
  const TSheetSketch::TSheet& sh = sketch->Sheet();
  // The paper fitted into the box less 4 pixels all round, centred.
  const double aw = img.width() - 8, ah = img.height() - 8;
  ASSERT_GT(aw, 0);
  const bool tall = 210.0 / 297.0 <= aw / ah;
  const double pw = tall ? std::round(210 * ah / 297) : aw, ph = tall ? ah : std::round(297 * aw / 210);
  const double ox = (aw - pw) / 2 + 4, oy = (ah - ph) / 2 + 4;
  auto cellColour = [&](int r, int c) {
    const double x = ox + (sh.Left + c * (sh.LabelW + sh.GapX) + sh.LabelW / 2) * pw / 210;
    const double y = oy + (sh.Top + r * (sh.LabelH + sh.GapY) + sh.LabelH / 2) * ph / 297;
    return img.pixelColor(static_cast<int>(x), static_cast<int>(y)).rgb() & 0xFFFFFF;
  };
  const QRgb yellow = 0xFFFFE0, blue = 0xADD8E6;
  for (int c = 0; c < 3; ++c) EXPECT_EQ(cellColour(0, c), yellow) << "row 1, column " << c + 1;
  EXPECT_EQ(cellColour(1, 0), yellow);
  EXPECT_EQ(cellColour(1, 1), yellow);
  EXPECT_EQ(cellColour(1, 2), blue);
  EXPECT_EQ(cellColour(3, 0), blue);
  EXPECT_EQ(img.pixelColor(1, 1).rgb() & 0xFFFFFF, 0x808080u);
  EXPECT_EQ(img.pixelColor(static_cast<int>(ox) + 2, static_cast<int>(oy) + 2).rgb() & 0xFFFFFF, 0xFFFFFFu) << "paper outside the cells";
  EXPECT_EQ(img.pixelColor(static_cast<int>(ox + pw / 2), static_cast<int>(oy + ph) - 3).rgb() & 0xFFFFFF, 0xFFFFFFu) << "paper below the grid";
}

TEST(PageSetup, CountersAreSavedAtOnceLimitedAndNamedOnce) {
  Sheet s;
  for (const char* n : {"Serial", "Batch", "Box", "Pallet", "Lot"}) s.services->names.push_back(QString::fromLatin1(n));
  for (int i = 0; i < 5; ++i) s.win->AddCounter();
  ASSERT_EQ(s.doc.GetCountersCount(), 5);
  EXPECT_EQ(s.W<QListWidget>("lbCounters")->count(), 5);
  EXPECT_EQ(s.doc.UndoCount(), 5) << "each new counter one step";
  s.services->names.push_back(QStringLiteral("Sixth"));
  s.win->AddCounter();
  EXPECT_EQ(s.doc.GetCountersCount(), 5);
  ASSERT_EQ(s.services->errors.size(), 1);
  EXPECT_EQ(s.services->errors.last(), TPLNMsg::GetErrorValue("LimitCounters"));
  EXPECT_EQ(s.services->names.size(), 1u) << "no name is asked for past the limit";

  // Edit the first counter: a clashing name is refused, a good one saved with its values.
  s.win->SelectCounter(0);
  s.W<QLineEdit>("edCounterName")->setText(QStringLiteral("batch"));
  s.W<QLineEdit>("edCounterName")->textEdited(QStringLiteral("batch"));
  EXPECT_TRUE(s.W<QPushButton>("butSaveCounter")->isEnabled());
  s.win->SaveCounter();
  EXPECT_EQ(s.services->errors.last(), TPLNMsg::GetErrorValue("RepeatName"));
  EXPECT_EQ(s.doc.GetCounter(1)->GetName(), "Serial");
  s.W<QLineEdit>("edCounterName")->setText(QStringLiteral("Serial no"));
  s.Set("seFrom", 98);
  s.Set("seTo", 100);
  s.Set("seStep", 1);
  s.W<QLineEdit>("edTextBefore")->setText(QStringLiteral("SN-"));
  s.W<QLineEdit>("edFormat")->setText(QStringLiteral("0000"));
  s.win->SaveCounter();
  const TPLNCounter* c = s.doc.GetCounter(1);
  EXPECT_EQ(c->GetName(), "Serial no");
  EXPECT_EQ(s.W<QListWidget>("lbCounters")->item(0)->text(), "Serial no");
  // 98, 99, 100, then from the first number again.
  EXPECT_EQ(c->TextAt(0), "SN-0098");
  EXPECT_EQ(c->TextAt(2), "SN-0100");
  EXPECT_EQ(c->TextAt(3), "SN-0098");
  EXPECT_TRUE(s.W<QLabel>("lbCounterSample")->text().startsWith("SN-0098, SN-0099"));

  // An edit left unsaved is offered for saving when another counter is chosen.
  s.W<QLineEdit>("edTextAfter")->setText(QStringLiteral("/A"));
  s.W<QLineEdit>("edTextAfter")->textEdited(QStringLiteral("/A"));
  s.services->answer = true;
  s.win->SelectCounter(2);
  EXPECT_EQ(s.services->questions.size(), 1);
  EXPECT_EQ(s.doc.GetCounter(1)->TextAfter, "/A");
  EXPECT_EQ(s.W<QLineEdit>("edCounterName")->text(), "Box");

  const int steps = s.doc.UndoCount();
  s.win->DeleteCounter();
  EXPECT_EQ(s.doc.GetCountersCount(), 4);
  EXPECT_EQ(s.doc.FindCounter(QStringLiteral("Box")), nullptr);
  s.doc.Undo();
  EXPECT_EQ(s.doc.UndoCount(), steps);
  EXPECT_NE(s.doc.FindCounter(QStringLiteral("Box")), nullptr);
}

TEST(PageSetup, DataFromCsvWithRepeatFieldAndUnreadableFileRefused) {
  Sheet s;
  const QString csv = TmpPath("stock.csv");
  {
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("name,qty,price\nbolt,2,0.5\nnut,0,0.2\nwasher,3,0.1\n");
  }
  s.services->file = csv;
  s.win->ChooseCsvFile();
  auto* grid = s.W<QTableWidget>("sgFields");
  ASSERT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(grid->item(1, 1)->text(), TPLNMsg::GetListValue("Integer"));
  EXPECT_EQ(grid->item(2, 1)->text(), TPLNMsg::GetListValue("Float"));
  auto* repeat = s.W<QComboBox>("cbFieldRepeat");
  ASSERT_EQ(repeat->count(), 2) << "only whole-number fields can count labels";
  repeat->setCurrentIndex(1);
  EXPECT_EQ(s.win->GetFieldRepeat(), "qty");
  s.Set("edRepetition", 2);
  ASSERT_EQ(s.win->Check(), QString());
  s.win->WriteBack();
  EXPECT_EQ(s.doc.DataSettings().GetDataSel(), TPLNData::CsvDataset());
  ASSERT_NE(s.doc.GetDataSource(), nullptr);
  // (2 + 0 + 3) x 2 labels.
  EXPECT_EQ(s.doc.GetRecordCount(), 10);
  EXPECT_EQ(s.doc.GetDataSource()->Value(4, 0), "washer");

  // A file gone by the next OK: refused with the reason, the drawing as it was.
  QFile::remove(csv);
  TfLabelling again(nullptr, s.services);
  again.Ini(&s.doc);
  EXPECT_FALSE(Child<QLabel>(again, "lbDataError")->text().isEmpty());
  const QByteArray before = s.doc.GetJsonText();
  EXPECT_TRUE(again.Check().contains("stock.csv")) << again.Check().toStdString();
  EXPECT_EQ(s.doc.GetJsonText(), before);
}

TEST(PageSetup, JsonDataEditedInTheWindowIsKeptAndRead) {
  Sheet s;
  s.win->OnEditJson = [](QWidget*, QString& text) {
    text = QStringLiteral(R"({"items":[{"code":"A1"},{"code":"B2"}]})");
    return true;
  };
  s.win->ChooseData(2);
  ASSERT_EQ(s.win->GetData(), TPLNData::JsonDataset());
  s.win->EditJson();
  EXPECT_EQ(s.W<QTableWidget>("sgFields")->rowCount(), 1);
  ASSERT_EQ(s.win->Check(), QString());
  s.win->WriteBack();
  EXPECT_EQ(s.doc.GetRecordCount(), 2);
  // Saved with the drawing and read again on opening it.
  const QString file = TmpPath("json-data.json");
  s.doc.SaveToFile(file, TORVExt::Json);
  TPlanoraFMX back;
  back.LoadFromFile(file);
  ASSERT_NE(back.GetDataSource(), nullptr);
  EXPECT_EQ(back.GetDataSource()->Value(1, 0), "B2");
}

TEST(PageSetup, CatalogueSheetFillsTheBoxes) {
  Sheet s;
  s.W<QLineEdit>("edSheetSearch")->setText(QStringLiteral("avery 5160"));
  auto* list = s.W<QListWidget>("lbSheets");
  ASSERT_GT(list->count(), 0);
  const int index = list->item(0)->data(Qt::UserRole).toInt();
  const TORVSheet& sheet = TORVSheetCatalog::Builtin().Sheet(index);
  s.win->ApplySheet(index);
  TPLNMeasure expected;
  TORVSheetCatalog::ApplyTo(sheet, expected);
  EXPECT_DOUBLE_EQ(s.Box("seRows"), expected.Rows);
  EXPECT_DOUBLE_EQ(s.Box("seColumns"), expected.Columns);
  EXPECT_NEAR(s.Box("seWidth"), expected.Sizes[TPLNMeasure::LabelWidth] / 1000.0, 0.005);
  EXPECT_EQ(s.W<QComboBox>("cbPaper")->currentText(), "Letter");
  ASSERT_EQ(s.win->Check(), QString()) << "a catalogue sheet fits its paper";
  s.win->WriteBack();
  EXPECT_EQ(s.doc.Measure().Rows, expected.Rows);
}

TEST(PageSetup, DrawingWindowWritesScaleTitleBlockAndHidesScaleForFlowcharts) {
  TPlanoraFMX doc;
  doc.SetEditorMode(2);
  TPLNMeasure m = doc.Measure();
  m.DrawScale = 50;
  m.Author = QStringLiteral("R. Ortiz");
  doc.SetMeasure(m);
  doc.ClearUndo();
  auto services = std::make_shared<TScriptedServices>();
  TfDrawing win(nullptr, services);
  win.Ini(&doc);
  EXPECT_EQ(Child<QLineEdit>(win, "edAuthor")->text(), "R. Ortiz");
  EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>(win, "seScale")->value(), 50);
  // A4 portrait at 1:50 in millimetres.
  EXPECT_TRUE(win.AreaText().contains(QLocale().toString(14850.0, 'f', 2) + " mm x " + QLocale().toString(10500.0, 'f', 2)))
      << win.AreaText().toStdString();
  Child<QRadioButton>(win, "RaBuHor")->click();
  EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>(win, "sePaperWidth")->value(), 297);
  Child<QDoubleSpinBox>(win, "seScale")->setValue(100);
  Child<QLineEdit>(win, "edTitle")->setText(QStringLiteral("Pump house"));
  const QByteArray before = doc.GetJsonText();
  ASSERT_EQ(win.Check(), QString());
  win.WriteBack();
  EXPECT_EQ(doc.Measure().DrawScale, 100);
  EXPECT_EQ(doc.Measure().DrawingTitle, "Pump house");
  EXPECT_EQ(doc.Measure().Sizes[TPLNMeasure::PaperWidth], 297000);
  EXPECT_EQ(doc.Measure().Sizes[TPLNMeasure::LabelWidth], 297000);
  EXPECT_TRUE(doc.PrintInfo.Horizontal);
  EXPECT_EQ(doc.UndoCount(), 1);
  doc.Undo();
  EXPECT_EQ(doc.GetJsonText(), before);

  doc.SetEditorMode(1);
  TfDrawing flow(nullptr, services);
  flow.Ini(&doc);
  EXPECT_TRUE(Child<QDoubleSpinBox>(flow, "seScale")->isHidden());
  // Interactive drawings have no page set-up: nothing is shown, nothing changes.
  doc.SetEditorMode(3);
  EXPECT_FALSE(doc.EditProperties(nullptr, services));
}

TEST(PageSetup, SettingsKeptInBothFileFormatsAndRefusedWhenDamaged) {
  TPlanoraFMX doc;
  SheetOf12(doc);
  TPLNMeasure m = doc.Measure();
  m.ContinousPaper = true;
  m.Project = QStringLiteral("Warehouse");
  m.Note = QStringLiteral("two\nlines");
  doc.SetMeasure(m);
  doc.PrintInfo.Repetition = 4;
  doc.PrintInfo.Horizontal = true;
  TPLNCounter* c = doc.AddCounter(QStringLiteral("Serial"));
  c->SetNumFrom(7);
  c->TextBefore = QStringLiteral("N");
  TPLNData d;
  d.SetDataSel(TPLNData::CsvDataset());
  d.SetCsvFile(QStringLiteral("parts.csv"));
  d.SetFieldRepeat(QStringLiteral("qty"));
  d.LinkData = false;
  doc.SetDataSettings(d);
  for (const auto& [name, ext] : {std::pair{"settings.eti", TORVExt::Eti}, std::pair{"settings.json", TORVExt::Json}}) {
    const QString file = TmpPath(name);
    doc.SaveToFile(file, ext);
    TPlanoraFMX back;
    back.LoadFromFile(file);
    EXPECT_TRUE(back.Measure() == doc.Measure()) << name;
    EXPECT_EQ(back.PrintInfo.Repetition, 4) << name;
    EXPECT_TRUE(back.PrintInfo.Horizontal) << name;
    ASSERT_EQ(back.GetCountersCount(), 1) << name;
    EXPECT_TRUE(*back.GetCounter(1) == *c) << name;
    EXPECT_TRUE(back.DataSettings() == d) << name;
  }
  // Damaged values are named, and the drawing being read into keeps what it had.
  TPlanoraFMX target;
  SheetOf12(target);
  const QByteArray before = target.GetJsonText();
  QByteArray text = doc.GetJsonText();
  text.replace("\"Repetition\": 4", "\"Repetition\": 0");
  EXPECT_THROW(target.LoadFromJson(text), EPLNError);
  text = doc.GetJsonText();
  text.replace("\"From\": 7", "\"From\": -3");
  EXPECT_THROW(target.LoadFromJson(text), EPLNError);
  EXPECT_EQ(target.GetJsonText(), before);
}

// The windows as drawn: every key control on screen, the sheet sketch painted.
TEST(PageSetup, WindowsAsDrawnShowTheirKeyControls) {
  Sheet s;
  s.win->show();
  const QImage shot = s.win->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  for (const char* name : {"cbPaper", "sePaperWidth", "seWidth", "seRows", "seColumns", "RaBuHor", "cbContinousPaper",
                           "edSheetSearch", "lbSheets", "butOk", "butCancel"}) {
    QWidget* w = s.W<QWidget>(name);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible()) << name;
    const QRect r(w->mapTo(s.win.get(), QPoint(0, 0)), w->size());
    EXPECT_TRUE(QRect(QPoint(0, 0), shot.size()).contains(r)) << name << " " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << " in " << shot.width() << "x" << shot.height();
  }
  auto* sketch = s.win->findChild<TSheetSketch*>(QStringLiteral("paintLab"));
  const QPoint mid = sketch->mapTo(s.win.get(), sketch->rect().center());
  int blue = 0;
  for (int dx = -40; dx <= 40; dx += 4)
    for (int dy = -40; dy <= 40; dy += 4)
      if ((shot.pixelColor(mid + QPoint(dx, dy)).rgb() & 0xFFFFFF) == 0xADD8E6) ++blue;
  EXPECT_GT(blue, 100) << "the labels of the sheet drawn in the window";

  TPlanoraFMX drawing;
  drawing.SetEditorMode(2);
  TfDrawing d(nullptr, s.services);
  d.Ini(&drawing);
  d.show();
  const QImage dshot = d.grab().toImage();
  for (const char* name : {"edName", "cbPaper", "seScale", "lbArea", "edTitle", "meNote", "butOk"}) {
    QWidget* w = Child<QWidget>(d, name);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible()) << name;
    EXPECT_TRUE(QRect(QPoint(0, 0), dshot.size()).contains(QRect(w->mapTo(&d, QPoint(0, 0)), w->size()))) << name;
  }
}
