// The table editor driven through its widgets: filled from a table, each change written at once
// as one undo step with the drawing following, column moves, the field binding, the footer and
// the refusals (no data fields, empty names, numbers out of range), and the window as drawn.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <gtest/gtest.h>

#include "DialogTestServices.h"
#include "ORV.Data.h"
#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.EdTable.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"
#include "ORV.Table.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;
using F2d::TORVFooter;
using F2d::TPLNBaseTable;

namespace {

struct TCounter : IORObserver {
  int changes = 0;
  void UpdateCtrl(TORChange, TORChangeValue) override { ++changes; }
};

struct Fixture {
  TPlanoraFMX doc;
  std::shared_ptr<TScriptedServices> services = std::make_shared<TScriptedServices>();
  std::unique_ptr<TfEdTable> win;
  TPLNBaseTable* table = nullptr;
  TCounter seen;

  explicit Fixture(bool data = true, int columns = 3) {
    if (data)
      doc.SetDataSource(std::make_shared<TPLNDataSource>(
          TPLNDataSource::FromCsv("name,price,stock\nTea,3.5,10\nCoffee,4,2\nCocoa,2.25,7\n", QStringLiteral("t"))));
    table = dynamic_cast<TPLNBaseTable*>(TPLNFactory::AddBaseTable(&doc, 10000, 10000, 120000, 60000));
    while (table && table->GetColumnCount() > columns) table->DeleteColumn(table->GetColumnCount());
    doc.Select(table);
    doc.ClearUndo();
    doc.AddObserver(&seen);
    win = std::make_unique<TfEdTable>(nullptr, services);
    // A fixed font list: the tests do not depend on the fonts installed.
    doc.OnGetFontListEvent = [](QObject*, QStringList& fonts) { fonts = {QStringLiteral("Arial"), QStringLiteral("Courier New")}; };
  }
  ~Fixture() { doc.RemoveObserver(&seen); }
  template <class T>
  T* W(const char* name) {
    return Child<T>(*win, name);
  }
  QListWidget* List() { return W<QListWidget>("lbColumns"); }
  bool Enabled(const char* name) { return W<QWidget>(name)->isEnabled(); }
  F2d::TPLNColumn& Col(int i) { return table->GetColumn(i); }
  void Finish(const char* edit, const QString& text) {
    auto* e = W<QLineEdit>(edit);
    e->setText(text);
    emit e->editingFinished();
  }
};

TEST(TableEditor, FilledFromTheTableWithTheFirstColumnShown) {
  Fixture f;
  f.Col(1).Footer.SetFooter(TORVFooter::Sum);
  f.Col(1).Body.HorzAlign = TORVHorzAlign::Right;
  f.Col(1).Field = QStringLiteral("price");
  f.Col(2).Header.Shown = false;
  f.win->Ini(&f.doc);
  ASSERT_EQ(f.List()->count(), 3);
  EXPECT_EQ(f.List()->item(0)->text(), QStringLiteral("Column 1"));
  EXPECT_EQ(f.List()->currentRow(), 0);
  EXPECT_EQ(f.win->windowTitle(), TPLNMsg::GetPropValue("Table"));
  EXPECT_EQ(f.W<QTabWidget>("PColumns")->tabText(2), TPLNMsg::GetDialogsValue("Footer"));
  auto* fields = f.W<QComboBox>("cBoxFields");
  ASSERT_EQ(fields->count(), 3);
  EXPECT_EQ(fields->currentText(), QStringLiteral("price"));
  EXPECT_TRUE(f.W<QRadioButton>("rcSum")->isChecked());
  EXPECT_TRUE(f.W<QToolButton>("sbColHorzRight")->isChecked());
  EXPECT_FALSE(f.W<QToolButton>("sbColHorzLeft")->isChecked());
  EXPECT_TRUE(f.W<QCheckBox>("CBVisibleHead")->isChecked());
  EXPECT_EQ(f.W<QLineEdit>("edHeaderText")->text(), QStringLiteral("Column 1"));
  EXPECT_FALSE(f.Enabled("butUp"));
  EXPECT_TRUE(f.Enabled("butDown"));
  // Filling the window wrote nothing.
  EXPECT_FALSE(f.doc.CanUndo());
  // Another line shows that column, its hidden header included.
  f.List()->setCurrentRow(1);
  EXPECT_FALSE(f.W<QCheckBox>("CBVisibleHead")->isChecked());
  EXPECT_TRUE(f.W<QRadioButton>("rcNone")->isChecked());
  EXPECT_TRUE(f.Enabled("butUp"));
  EXPECT_FALSE(f.doc.CanUndo());
}

TEST(TableEditor, EachChangeIsOneUndoStepAndTheDrawingFollows) {
  Fixture f;
  f.win->Ini(&f.doc);
  f.List()->setCurrentRow(1);
  const QImage before = RenderItem(f.table);
  const float first = f.Col(1).GetPercent(), second = f.Col(2).GetPercent();
  const int heard = f.seen.changes;
  f.W<TRangeBox>("seWidth")->setValue(60);
  EXPECT_FLOAT_EQ(f.Col(2).GetPercent(), 60.0f);
  EXPECT_FLOAT_EQ(f.Col(1).GetPercent(), first);
  EXPECT_GT(f.seen.changes, heard) << "the views were told";
  EXPECT_NE(RenderItem(f.table), before) << "the table is drawn with the new width";
  EXPECT_EQ(f.doc.UndoCount(), 1);

  // Every kind of control writes the selected column's cell, one step each.
  f.W<QCheckBox>("ckColBold")->setChecked(true);
  f.W<QToolButton>("sbColVertBottom")->click();
  f.W<TRangeBox>("seRowInterline")->setValue(1.5);
  f.W<QComboBox>("CBoxHFont")->setCurrentText(QStringLiteral("Courier New"));
  f.W<TRangeBox>("seHeadFontHeight")->setValue(4.5);
  f.W<QToolButton>("SBHeadRight")->click();
  f.Finish("edFormat", QStringLiteral("0.00"));
  f.W<QCheckBox>("ckFixed")->setChecked(true);
  EXPECT_TRUE(f.Col(2).Body.Bold);
  EXPECT_EQ(f.Col(2).Body.VertAlign, TORVVertAlign::Bottom);
  EXPECT_DOUBLE_EQ(f.Col(2).Body.Interline, 1.5);
  EXPECT_EQ(f.Col(2).Header.FontName, QStringLiteral("Courier New"));
  EXPECT_EQ(f.Col(2).Header.BaseFontHeight(), 4500);
  EXPECT_EQ(f.Col(2).Header.HorzAlign, TORVHorzAlign::Right);
  EXPECT_EQ(f.Col(2).Format, QStringLiteral("0.00"));
  EXPECT_TRUE(f.Col(2).Fixed);
  EXPECT_FALSE(f.Col(1).Body.Bold) << "only the selected column changes";
  EXPECT_EQ(f.Col(1).Header.FontName, QStringLiteral("Arial"));
  EXPECT_EQ(f.doc.UndoCount(), 9);
  // A text box left unchanged writes nothing.
  f.Finish("edFormat", QStringLiteral("0.00"));
  EXPECT_EQ(f.doc.UndoCount(), 9);

  // Undo takes back one control's change at a time.
  f.doc.Undo();
  EXPECT_FALSE(f.Col(2).Fixed);
  EXPECT_EQ(f.Col(2).Format, QStringLiteral("0.00"));
  for (int i = 0; i < 8; ++i) f.doc.Undo();
  EXPECT_FLOAT_EQ(f.Col(2).GetPercent(), second);
  EXPECT_EQ(RenderItem(f.table), before) << "all undone, the table is drawn as before";
  EXPECT_FALSE(f.Col(2).Body.Bold);
}

TEST(TableEditor, BandHeightsAndTheFooterKind) {
  Fixture f;
  f.win->Ini(&f.doc);
  ASSERT_EQ(f.table->GetFooterHeight(), 0);
  // Choosing an aggregate gives a table without a footer band one, in the same undo step.
  f.W<QRadioButton>("rcMean")->setChecked(true);
  EXPECT_EQ(f.Col(1).Footer.GetFooter(), TORVFooter::Mean);
  EXPECT_EQ(f.table->GetFooterHeight(), f.table->GetRowHeight());
  EXPECT_DOUBLE_EQ(f.W<TRangeBox>("seHeightFoot")->value(), f.table->GetRowHeight() / 1000.0);
  EXPECT_EQ(f.doc.UndoCount(), 1);
  f.W<TRangeBox>("seHeightHead")->setValue(8.5);
  EXPECT_EQ(f.table->GetHeaderHeight(), 8500);
  f.W<TRangeBox>("seColHeight")->setValue(6);
  EXPECT_EQ(f.table->GetRowHeight(), 6000);
  f.Finish("edFooterFormat", QStringLiteral("0.0"));
  EXPECT_EQ(f.Col(1).Footer.Format, QStringLiteral("0.0"));
  f.doc.Undo();
  f.doc.Undo();
  f.doc.Undo();
  f.doc.Undo();
  EXPECT_EQ(f.Col(1).Footer.GetFooter(), TORVFooter::None);
  EXPECT_EQ(f.table->GetFooterHeight(), 0);
}

TEST(TableEditor, SwatchesSetTheCellTheirTagNames) {
  Fixture f;
  f.win->Ini(&f.doc);
  f.services->colours = {QColor(0, 128, 0), QColor(), QColor(200, 0, 0)};
  // The footer's font colour, not the header's.
  f.W<QToolButton>("ShFFontColor")->click();
  EXPECT_EQ(f.Col(1).Footer.FontColor, QColor(0, 128, 0).rgba());
  EXPECT_EQ(f.Col(1).Header.FontColor, kBlack);
  EXPECT_EQ(f.Col(1).Footer.BackColor, kWhite);
  // Cancel changes nothing and records nothing.
  f.W<QToolButton>("ShHColor")->click();
  EXPECT_EQ(f.Col(1).Header.BackColor, kWhite);
  EXPECT_EQ(f.doc.UndoCount(), 1);
  f.W<QToolButton>("ShColColor")->click();
  EXPECT_EQ(f.Col(1).Body.BackColor, QColor(200, 0, 0).rgba());
  EXPECT_EQ(f.services->picks, 3);
  EXPECT_EQ(f.doc.UndoCount(), 2);
}

TEST(TableEditor, ChoosingAFieldNamesTheColumnAfterIt) {
  Fixture f;
  f.win->Ini(&f.doc);
  f.List()->setCurrentRow(2);
  f.W<QComboBox>("cBoxFields")->setCurrentIndex(2);
  EXPECT_EQ(f.Col(3).Field, QStringLiteral("stock"));
  EXPECT_EQ(f.Col(3).Header.Text, QStringLiteral("stock"));
  EXPECT_EQ(f.Col(3).Body.Text, QStringLiteral("stock"));
  EXPECT_EQ(f.List()->item(2)->text(), QStringLiteral("stock"));
  EXPECT_EQ(f.W<QLineEdit>("edHeaderText")->text(), QStringLiteral("stock"));
  EXPECT_EQ(f.doc.UndoCount(), 1);
  // The header text typed renames the line too.
  f.Finish("edHeaderText", QStringLiteral("In stock"));
  EXPECT_EQ(f.Col(3).Header.Text, QStringLiteral("In stock"));
  EXPECT_EQ(f.List()->item(2)->text(), QStringLiteral("In stock"));
  f.doc.Undo();
  f.doc.Undo();
  EXPECT_TRUE(f.Col(3).Field.isEmpty());
  EXPECT_EQ(f.Col(3).Header.Text, QStringLiteral("Column 3"));
}

TEST(TableEditor, AddDeleteAndMoveColumns) {
  Fixture f;
  f.win->Ini(&f.doc);
  // An empty answer (or only blanks) adds nothing.
  f.services->names = {QString(), QStringLiteral("   "), QStringLiteral("Price")};
  f.W<QPushButton>("butAdd")->click();
  f.W<QPushButton>("butAdd")->click();
  EXPECT_EQ(f.table->GetColumnCount(), 3);
  EXPECT_FALSE(f.doc.CanUndo());
  // Insert anywhere in the window asks too.
  QKeyEvent insert(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier);
  QApplication::sendEvent(f.W<QLineEdit>("edFormat"), &insert);
  ASSERT_EQ(f.table->GetColumnCount(), 4);
  EXPECT_EQ(f.Col(4).Header.Text, QStringLiteral("Price"));
  EXPECT_EQ(f.List()->currentRow(), 3);
  EXPECT_EQ(f.W<QLineEdit>("edHeaderText")->text(), QStringLiteral("Price"));
  EXPECT_FALSE(f.Enabled("butDown"));
  EXPECT_EQ(f.doc.UndoCount(), 1);

  // Up moves the column and its line together and keeps it selected.
  f.Col(4).Body.Bold = true;
  f.W<QPushButton>("butUp")->click();
  EXPECT_EQ(f.Col(3).Header.Text, QStringLiteral("Price"));
  EXPECT_TRUE(f.Col(3).Body.Bold);
  EXPECT_EQ(f.Col(4).Header.Text, QStringLiteral("Column 3"));
  EXPECT_EQ(f.List()->item(2)->text(), QStringLiteral("Price"));
  EXPECT_EQ(f.List()->item(3)->text(), QStringLiteral("Column 3"));
  EXPECT_EQ(f.List()->currentRow(), 2);
  EXPECT_TRUE(f.W<QCheckBox>("ckColBold")->isChecked());
  EXPECT_EQ(f.doc.UndoCount(), 2);
  // At the top, up does nothing.
  f.List()->setCurrentRow(0);
  EXPECT_FALSE(f.Enabled("butUp"));
  f.win->MoveUp();
  EXPECT_EQ(f.Col(1).Header.Text, QStringLiteral("Column 1"));
  EXPECT_EQ(f.doc.UndoCount(), 2);
  f.W<QPushButton>("butDown")->click();
  EXPECT_EQ(f.Col(2).Header.Text, QStringLiteral("Column 1"));
  EXPECT_EQ(f.List()->currentRow(), 1);
  f.doc.Undo();
  EXPECT_EQ(f.Col(1).Header.Text, QStringLiteral("Column 1"));

  // Delete takes the selected column without asking; the first line is selected after.
  f.List()->setCurrentRow(2);
  f.W<QPushButton>("butDelete")->click();
  EXPECT_EQ(f.table->GetColumnCount(), 3);
  EXPECT_EQ(f.Col(3).Header.Text, QStringLiteral("Column 3"));
  EXPECT_EQ(f.List()->count(), 3);
  EXPECT_EQ(f.List()->currentRow(), 0);
  EXPECT_TRUE(f.services->questions.isEmpty());
  f.doc.Undo();
  EXPECT_EQ(f.Col(3).Header.Text, QStringLiteral("Price"));
}

TEST(TableEditor, DeletingTheOnlyColumnLeavesNothingToMove) {
  Fixture f(true, 1);
  f.win->Ini(&f.doc);
  ASSERT_EQ(f.List()->count(), 1);
  EXPECT_FALSE(f.Enabled("butUp"));
  EXPECT_FALSE(f.Enabled("butDown"));
  f.W<QPushButton>("butDelete")->click();
  EXPECT_EQ(f.table->GetColumnCount(), 0);
  EXPECT_EQ(f.List()->count(), 0);
  EXPECT_FALSE(f.Enabled("butUp"));
  EXPECT_FALSE(f.Enabled("butDown"));
  EXPECT_FALSE(f.Enabled("butDelete"));
  // Without a column, the controls write nothing.
  f.W<QCheckBox>("ckColBold")->setChecked(true);
  f.W<TRangeBox>("seColHeight")->setValue(9);
  EXPECT_EQ(f.doc.UndoCount(), 1);
}

TEST(TableEditor, ATableWithoutColumnsAsksForTheFirstAtOnce) {
  Fixture f(true, 0);
  f.services->names = {QStringLiteral("Name")};
  f.win->Ini(&f.doc);
  ASSERT_EQ(f.table->GetColumnCount(), 1);
  EXPECT_EQ(f.Col(1).Header.Text, QStringLiteral("Name"));
  EXPECT_EQ(f.List()->count(), 1);
  EXPECT_EQ(f.List()->currentRow(), 0);
  // Cancelled, the table stays without columns and the window with an empty list.
  Fixture g(true, 0);
  g.win->Ini(&g.doc);
  EXPECT_EQ(g.table->GetColumnCount(), 0);
  EXPECT_EQ(g.List()->count(), 0);
  EXPECT_FALSE(g.doc.CanUndo());
}

TEST(TableEditor, WithoutDataFieldsNoColumnPages) {
  Fixture f(false);
  f.win->Ini(&f.doc);
  ASSERT_EQ(f.services->errors.size(), 1);
  EXPECT_EQ(f.services->errors[0], TPLNMsg::GetDialogsValue("NoFields"));
  EXPECT_TRUE(f.W<QTabWidget>("PColumns")->isHidden());
  EXPECT_EQ(f.List()->count(), 0);
  EXPECT_FALSE(f.Enabled("butAdd"));
  // Insert asks nothing either.
  f.services->names = {QStringLiteral("X")};
  QKeyEvent insert(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier);
  QApplication::sendEvent(f.List(), &insert);
  EXPECT_EQ(f.table->GetColumnCount(), 3);
  EXPECT_FALSE(f.doc.CanUndo());
}

TEST(TableEditor, NumbersOutOfRangeAreRefusedWithAMessage) {
  Fixture f;
  f.win->Ini(&f.doc);
  f.win->show();
  auto* width = f.W<TRangeBox>("seWidth");
  auto* spacing = f.W<TRangeBox>("seRowInterline");
  EXPECT_EQ(width->minimum(), 1);
  EXPECT_EQ(width->decimals(), 0);
  EXPECT_DOUBLE_EQ(spacing->minimum(), 0.2);
  EXPECT_DOUBLE_EQ(spacing->maximum(), 3.0);
  const float percent = f.Col(1).GetPercent();
  // Typed text outside the range goes back to the value and says why.
  QString typed = QStringLiteral("7");
  int pos = 1;
  EXPECT_NE(spacing->validate(typed, pos), QValidator::Acceptable);
  spacing->fixup(typed);
  typed = QStringLiteral("0");
  pos = 1;
  EXPECT_NE(width->validate(typed, pos), QValidator::Acceptable);
  width->fixup(typed);
  QApplication::processEvents();
  ASSERT_EQ(f.services->errors.size(), 2);
  EXPECT_TRUE(f.services->errors[0].contains(TPLNMsg::GetPropValue("Iterline"))) << f.services->errors[0].toStdString();
  EXPECT_FLOAT_EQ(f.Col(1).GetPercent(), percent);
  EXPECT_FALSE(f.doc.CanUndo());
}

TEST(TableEditor, DrawnWindowShowsTheColumnPages) {
  Fixture f;
  f.Col(1).Body.FontColor = 0xFFFF0000u;
  f.win->Ini(&f.doc);
  f.win->show();
  QApplication::processEvents();
  QImage shot(f.win->size(), QImage::Format_ARGB32);
  shot.fill(Qt::black);
  f.win->render(&shot);
  for (const char* name : {"lbColumns", "butAdd", "butDelete", "butUp", "butDown", "PColumns", "cBoxFields", "seWidth",
                           "CBoxColFont", "ShColFontColor", "sbColHorzLeft", "ckWrapText"}) {
    auto* w = f.win->findChild<QWidget*>(QLatin1String(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_TRUE(w->isVisible()) << name;
    EXPECT_TRUE(QRect(QPoint(), f.win->size()).contains(QRect(w->mapTo(f.win.get(), QPoint()), w->size()))) << name;
  }
  // The body font swatch shows the column's red.
  auto* swatch = f.W<QWidget>("ShColFontColor");
  const QColor c = shot.pixelColor(swatch->mapTo(f.win.get(), swatch->rect().center()));
  EXPECT_GT(c.red(), 200);
  EXPECT_LT(c.green(), 60);
  // The column list shows the headers: its first line is not blank.
  auto* list = f.List();
  const QRect line = list->visualItemRect(list->item(0)).translated(list->viewport()->mapTo(f.win.get(), QPoint()));
  int dark = 0;
  for (int x = line.left(); x < line.right(); ++x)
    for (int y = line.top(); y < line.bottom(); ++y) dark += qGray(shot.pixel(x, y)) < 128;
  EXPECT_GT(dark, 10);
  shot.save(TmpPath("table-editor.png"));
}

}  // namespace
