// The poly text editor driven through its widgets: filled from the runs, each change written at
// once as one undo step with the box following, runs added, deleted and moved with their list
// lines, the data binding and its pop-up menu, the refusals, and the window as drawn.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

#include "DialogTestServices.h"
#include "ORV.Data.h"
#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.EdPolyText.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"
#include "ORV.Poly.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;
using Text::TPLNBasePoly;

namespace {

struct Fixture {
  TPlanoraFMX doc;
  std::shared_ptr<TScriptedServices> services = std::make_shared<TScriptedServices>();
  std::unique_ptr<TfEdPoly> win;
  TPLNBasePoly* poly = nullptr;

  explicit Fixture(const QString& runs = QStringLiteral("Net weight \n500\n g")) {
    doc.SetDataSource(std::make_shared<TPLNDataSource>(
        TPLNDataSource::FromCsv("code,weight\n01,250\n02,750\n", QStringLiteral("t"))));
    poly = dynamic_cast<TPLNBasePoly*>(TPLNFactory::AddBasePolyText(&doc, 10000, 10000));
    if (poly && !runs.isEmpty()) poly->SetData(runs);
    doc.Select(poly);
    doc.ClearUndo();
    win = std::make_unique<TfEdPoly>(nullptr, services);
    doc.OnGetFontListEvent = [](QObject*, QStringList& fonts) { fonts = {QStringLiteral("Arial"), QStringLiteral("Courier New")}; };
  }
  template <class T>
  T* W(const char* name) {
    return Child<T>(*win, name);
  }
  QListWidget* List() { return W<QListWidget>("lbColumns"); }
  bool Enabled(const char* name) { return W<QWidget>(name)->isEnabled(); }
  const Text::TPLNDataPoly& Run(int i) { return poly->GetItem(i); }
  QStringList Texts() {
    QStringList t;
    for (int i = 1; i <= poly->GetItemCount(); ++i) t << poly->GetItem(i).GetText();
    return t;
  }
  QStringList Lines() {
    QStringList t;
    for (int i = 0; i < List()->count(); ++i) t << List()->item(i)->text();
    return t;
  }
  void Finish(const char* edit, const QString& text) {
    auto* e = W<QLineEdit>(edit);
    e->setText(text);
    emit e->editingFinished();
  }
};

TEST(PolyEditor, FilledFromTheRunsWithTheFirstShown) {
  Fixture f;
  f.win->Ini(&f.doc);
  EXPECT_EQ(f.Lines(), QStringList({"Net weight", "500", "g"})) << "lines show the texts trimmed";
  EXPECT_EQ(f.List()->currentRow(), 0);
  EXPECT_EQ(f.W<QLineEdit>("edText")->text(), QStringLiteral("Net weight "));
  EXPECT_EQ(f.W<QComboBox>("cBoxFields")->count(), 2);
  EXPECT_EQ(f.W<QComboBox>("cBoxFields")->currentIndex(), -1);
  EXPECT_TRUE(f.W<QCheckBox>("ckFill")->isHidden());
  EXPECT_TRUE(f.W<QToolButton>("shBackColor")->isHidden());
  EXPECT_EQ(f.win->windowTitle(), TPLNMsg::GetPropValue("PolyText"));
  EXPECT_FALSE(f.Enabled("butUp"));
  EXPECT_TRUE(f.Enabled("butDown"));
  EXPECT_FALSE(f.doc.CanUndo());
}

TEST(PolyEditor, EachChangeIsOneUndoStepAndTheBoxFollows) {
  Fixture f;
  f.win->Ini(&f.doc);
  f.List()->setCurrentRow(1);
  const std::int64_t wide = f.poly->RunsWidth();
  ASSERT_GT(wide, 0);
  // A longer text makes the item wider at once, and renames its line.
  f.Finish("edText", QStringLiteral("  500 000  "));
  EXPECT_EQ(f.Run(2).GetText(), QStringLiteral("  500 000  "));
  EXPECT_EQ(f.List()->item(1)->text(), QStringLiteral("500 000"));
  EXPECT_GT(f.poly->RunsWidth(), wide);
  EXPECT_EQ(f.doc.UndoCount(), 1);
  f.W<QCheckBox>("ckBold")->setChecked(true);
  f.W<QComboBox>("cbFontName")->setCurrentText(QStringLiteral("Courier New"));
  f.W<TRangeBox>("seFontHeight")->setValue(8.5);
  f.services->colours = {QColor(0, 0, 255)};
  f.W<QToolButton>("shFontColor")->click();
  EXPECT_TRUE(f.Run(2).GetBold());
  EXPECT_EQ(f.Run(2).GetFontName(), QStringLiteral("Courier New"));
  EXPECT_EQ(f.Run(2).GetBaseFontHeight(), 8500);
  EXPECT_EQ(f.Run(2).GetColor(), QColor(0, 0, 255).rgba());
  EXPECT_FALSE(f.Run(1).GetBold()) << "only the selected run changes";
  EXPECT_EQ(f.doc.UndoCount(), 5);
  f.doc.Undo();
  EXPECT_EQ(f.Run(2).GetColor(), kBlack);
  for (int i = 0; i < 4; ++i) f.doc.Undo();
  EXPECT_EQ(f.Run(2).GetText(), QStringLiteral("500"));
  EXPECT_EQ(f.poly->RunsWidth(), wide);
}

TEST(PolyEditor, FieldFormatAndIAResolveTheRunsText) {
  Fixture f;
  f.win->Ini(&f.doc);
  f.List()->setCurrentRow(1);
  f.W<QComboBox>("cBoxFields")->setCurrentIndex(1);
  EXPECT_EQ(f.Run(2).GetField(), QStringLiteral("weight"));
  EXPECT_EQ(f.poly->RunText(f.Run(2)), QStringLiteral("250")) << "the record at the cursor";
  f.Finish("edFormat", QStringLiteral("0.0"));
  f.Finish("edIA", QStringLiteral("3103"));
  f.W<QCheckBox>("ckAddParenthesis")->setChecked(true);
  EXPECT_EQ(f.poly->RunText(f.Run(2)), QStringLiteral("(3103)250.0"));
  EXPECT_EQ(f.doc.UndoCount(), 4);
  // The binding survives the file, and a run without one stays as files always had it.
  TPlanoraFMX other;
  auto* back = new TPLNBasePoly(&other, false);  // the document owns it
  ASSERT_EQ(ReadInto(*back, Record(*f.poly)), QString());
  ASSERT_EQ(back->GetItemCount(), 3);
  EXPECT_TRUE(back->GetItem(2).SameAs(f.Run(2)));
  EXPECT_FALSE(back->GetItem(1).HasData());

  // The pop-up menu clears the field: no selection, no field, one step.
  f.W<QMenu>("PopMenu");
  f.win->findChild<QAction*>(QStringLiteral("menuClear"))->trigger();
  EXPECT_EQ(f.W<QComboBox>("cBoxFields")->currentIndex(), -1);
  EXPECT_TRUE(f.Run(2).GetField().isEmpty());
  EXPECT_EQ(f.doc.UndoCount(), 5);
  f.doc.Undo();
  EXPECT_EQ(f.Run(2).GetField(), QStringLiteral("weight"));
}

TEST(PolyEditor, AddDeleteAndMoveRuns) {
  Fixture f;
  f.win->Ini(&f.doc);
  f.services->names = {QString(), QStringLiteral("  "), QStringLiteral("net")};
  f.W<QPushButton>("butAdd")->click();
  f.W<QPushButton>("butAdd")->click();
  EXPECT_EQ(f.poly->GetItemCount(), 3);
  EXPECT_FALSE(f.doc.CanUndo());
  f.W<QPushButton>("butAdd")->click();
  ASSERT_EQ(f.poly->GetItemCount(), 4);
  EXPECT_EQ(f.Run(4).GetText(), QStringLiteral("net"));
  EXPECT_EQ(f.List()->currentRow(), 3);
  EXPECT_EQ(f.W<QLineEdit>("edText")->text(), QStringLiteral("net"));
  EXPECT_EQ(f.doc.UndoCount(), 1);

  // Runs and lines end in the same order.
  f.W<QPushButton>("butUp")->click();
  EXPECT_EQ(f.Texts(), QStringList({"Net weight ", "500", "net", " g"}));
  EXPECT_EQ(f.Lines(), QStringList({"Net weight", "500", "net", "g"}));
  EXPECT_EQ(f.List()->currentRow(), 2);
  f.List()->setCurrentRow(0);
  f.W<QPushButton>("butDown")->click();
  EXPECT_EQ(f.Texts(), QStringList({"500", "Net weight ", "net", " g"}));
  EXPECT_EQ(f.Lines(), QStringList({"500", "Net weight", "net", "g"}));
  EXPECT_EQ(f.doc.UndoCount(), 3);
  // The first run up and the last down change nothing.
  f.List()->setCurrentRow(0);
  f.win->MoveUp();
  f.List()->setCurrentRow(3);
  f.win->MoveDown();
  EXPECT_EQ(f.Texts(), QStringList({"500", "Net weight ", "net", " g"}));
  EXPECT_FALSE(f.Enabled("butDown"));
  EXPECT_TRUE(f.Enabled("butUp"));
  EXPECT_EQ(f.doc.UndoCount(), 3);

  f.List()->setCurrentRow(2);
  f.W<QPushButton>("butDelete")->click();
  EXPECT_EQ(f.Texts(), QStringList({"500", "Net weight ", " g"}));
  EXPECT_EQ(f.Lines(), QStringList({"500", "Net weight", "g"}));
  EXPECT_EQ(f.List()->currentRow(), 0);
  f.doc.Undo();
  f.doc.Undo();
  EXPECT_EQ(f.Texts(), QStringList({"Net weight ", "500", "net", " g"}));
}

TEST(PolyEditor, APolyTextWithoutRunsAsksForTheFirst) {
  Fixture f{QString()};
  ASSERT_EQ(f.poly->GetItemCount(), 0);
  f.services->names = {QStringLiteral("Best before")};
  f.win->Ini(&f.doc);
  ASSERT_EQ(f.poly->GetItemCount(), 1);
  EXPECT_EQ(f.Run(1).GetText(), QStringLiteral("Best before"));
  EXPECT_EQ(f.Lines(), QStringList({"Best before"}));
  // Deleting it leaves nothing to move or delete.
  f.W<QPushButton>("butDelete")->click();
  EXPECT_EQ(f.poly->GetItemCount(), 0);
  EXPECT_FALSE(f.Enabled("butUp"));
  EXPECT_FALSE(f.Enabled("butDown"));
  EXPECT_FALSE(f.Enabled("butDelete"));
  f.W<QCheckBox>("ckBold")->setChecked(true);
  EXPECT_EQ(f.doc.UndoCount(), 2);
}

TEST(PolyEditor, CodesAndOtherItemsHaveNoRunsToEdit) {
  Fixture f;
  f.poly->SetPolyType(Text::TORVPolyType::QRCode);
  f.doc.ClearUndo();
  f.services->names = {QStringLiteral("x")};
  f.win->Ini(&f.doc);
  EXPECT_EQ(f.List()->count(), 0);
  EXPECT_FALSE(f.Enabled("butAdd"));
  EXPECT_EQ(f.services->names.size(), 1u) << "nothing was asked";
  EXPECT_FALSE(f.doc.CanUndo());
}

TEST(PolyEditor, FontHeightOutOfRangeIsRefused) {
  Fixture f;
  f.win->Ini(&f.doc);
  auto* height = f.W<TRangeBox>("seFontHeight");
  EXPECT_DOUBLE_EQ(height->minimum(), 0.1);
  EXPECT_DOUBLE_EQ(height->maximum(), 1000);
  QString typed = QStringLiteral("5000");
  int pos = 4;
  EXPECT_NE(height->validate(typed, pos), QValidator::Acceptable);
  height->fixup(typed);
  QApplication::processEvents();
  ASSERT_EQ(f.services->errors.size(), 1);
  EXPECT_TRUE(f.services->errors[0].contains(QStringLiteral("1000"))) << f.services->errors[0].toStdString();
  EXPECT_FALSE(f.doc.CanUndo());
}

TEST(PolyEditor, DrawnWindowShowsTheRuns) {
  Fixture f;
  f.poly->SetItem(1, [&] {
    Text::TPLNDataPoly run = f.poly->GetItem(1);
    run.SetColor(0xFF00A000u);
    return run;
  }());
  f.win->Ini(&f.doc);
  f.win->show();
  QApplication::processEvents();
  QImage shot(f.win->size(), QImage::Format_ARGB32);
  shot.fill(Qt::black);
  f.win->render(&shot);
  for (const char* name : {"lbColumns", "butAdd", "butDelete", "butUp", "butDown", "edText", "cbFontName",
                           "seFontHeight", "shFontColor", "cBoxFields", "edFormat", "edIA", "ckAddParenthesis"}) {
    auto* w = f.win->findChild<QWidget*>(QLatin1String(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_TRUE(w->isVisible()) << name;
    EXPECT_TRUE(QRect(QPoint(), f.win->size()).contains(QRect(w->mapTo(f.win.get(), QPoint()), w->size()))) << name;
  }
  auto* swatch = f.W<QWidget>("shFontColor");
  const QColor c = shot.pixelColor(swatch->mapTo(f.win.get(), swatch->rect().center()));
  EXPECT_GT(c.green(), 130);
  EXPECT_LT(c.red(), 60);
  shot.save(TmpPath("poly-editor.png"));
}

}  // namespace
