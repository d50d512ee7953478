// The layers window driven through its widgets: what it shows of a document, what each change
// writes back (one undo step each), refusals that change nothing, and the window as drawn.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "DialogTestServices.h"
#include "PlanoraTestSupport.h"
#include "ORV.FMX.Layers.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

struct Fixture {
  TPlanoraFMX doc;
  std::shared_ptr<TScriptedServices> services = std::make_shared<TScriptedServices>();
  std::unique_ptr<TfLayers> win;
  TPLNBaseItem* onTwo = nullptr;
  TPLNBaseItem* onThree = nullptr;

  explicit Fixture(int layers = 3) {
    for (int i = 2; i <= layers; ++i) doc.AddLayer(QStringLiteral("L%1").arg(i));
    TPLNLayer* two = doc.GetLayer(2);
    if (two) {
      two->FontHeight = 7.5f;
      two->PenWidth = 500;
      two->PenColor = 0xFFFF0000u;
      two->Options = Opt::Visible | Opt::Print;
      onTwo = TPLNFactory::AddBaseRectangle(&doc, 1000, 1000, 5000, 5000);
      onTwo->SetLayer(two);
    }
    if (TPLNLayer* three = doc.GetLayer(3)) {
      onThree = TPLNFactory::AddBaseRectangle(&doc, 9000, 1000, 5000, 5000);
      onThree->SetLayer(three);
    }
    doc.ClearUndo();
    win = std::make_unique<TfLayers>(nullptr, services);
    win->Ini(&doc);
  }
  template <class T>
  T* W(const char* name) {
    return Child<T>(*win, name);
  }
  QListWidget* List() { return W<QListWidget>("lbLayers"); }
  bool Enabled(const char* button) { return W<QPushButton>(button)->isEnabled(); }
  void Rename(const QString& name) {
    auto* ed = W<QLineEdit>("edName");
    ed->setText(name);
    emit ed->textEdited(name);
    emit ed->editingFinished();
  }
};

TEST(LayersDialog, ShowsTheSelectedLayerAndAdjustsTheButtons) {
  Fixture f;
  EXPECT_EQ(f.win->windowTitle(), QStringLiteral("    ") + TPLNMsg::GetDialogsValue("Layers"));
  ASSERT_EQ(f.List()->count(), 3);
  EXPECT_EQ(f.List()->item(1)->text(), "L2");
  // Layer 1 first: neither deleted nor moved.
  EXPECT_EQ(f.win->SelectedLayer(), 1);
  EXPECT_FALSE(f.Enabled("butDelete"));
  EXPECT_FALSE(f.Enabled("butUp"));
  EXPECT_FALSE(f.Enabled("butDown"));
  EXPECT_TRUE(f.W<QCheckBox>("ckActive")->isChecked());

  f.List()->setCurrentRow(1);
  EXPECT_EQ(f.win->SelectedLayer(), 2);
  EXPECT_EQ(f.W<QLineEdit>("edName")->text(), "L2");
  EXPECT_DOUBLE_EQ(f.W<QDoubleSpinBox>("seFontHeight")->value(), 7.5);
  EXPECT_DOUBLE_EQ(f.W<QDoubleSpinBox>("sePenWidth")->value(), 0.5);
  EXPECT_EQ(f.W<QToolButton>("shColor")->property("colour").toUInt(), 0xFFFF0000u);
  EXPECT_TRUE(f.W<QCheckBox>("ckVisible")->isChecked());
  EXPECT_TRUE(f.W<QCheckBox>("ckPrint")->isChecked());
  EXPECT_FALSE(f.W<QCheckBox>("ckSelect")->isChecked());
  EXPECT_FALSE(f.W<QCheckBox>("ckExport")->isChecked());
  EXPECT_FALSE(f.W<QCheckBox>("ckActive")->isChecked());
  EXPECT_TRUE(f.Enabled("butDelete"));
  EXPECT_FALSE(f.Enabled("butUp"));  // nothing goes above the default layer
  EXPECT_TRUE(f.Enabled("butDown"));

  f.List()->setCurrentRow(2);
  EXPECT_TRUE(f.Enabled("butUp"));
  EXPECT_FALSE(f.Enabled("butDown"));
  // Showing a layer wrote nothing.
  EXPECT_FALSE(f.doc.CanUndo());
}

TEST(LayersDialog, EachChangeWritesTheLayerAsOneUndoStep) {
  Fixture f;
  f.win->SelectLayer(2);
  TPLNLayer* two = f.doc.GetLayer(2);

  auto* ed = f.W<QLineEdit>("edName");
  ed->setText("Wall");
  emit ed->textEdited("Wall");
  EXPECT_EQ(f.List()->item(1)->text(), "Wall");  // the entry follows the typing
  f.Rename("Walls");
  EXPECT_EQ(two->Name, "Walls");
  EXPECT_EQ(f.List()->item(1)->text(), "Walls");
  EXPECT_EQ(f.doc.UndoCount(), 1);

    f.W<QDoubleSpinBox>("seFontHeight")->setValue(12);  EXPECT_FLOAT_EQ(two->FontHeight, 12.0f);
  f.W<QDoubleSpinBox>("sePenWidth")->setValue(1.25);
  EXPECT_DOUBLE_EQ(two->PenWidth, 1250);
  f.W<QCheckBox>("ckSelect")->setChecked(true);  EXPECT_TRUE(two->HasOption(Opt::Selectable));
  f.W<QCheckBox>("ckPrint")->setChecked(false);
  EXPECT_FALSE(two->HasOption(Opt::Print));
  EXPECT_TRUE(two->HasOption(Opt::Visible));
  f.W<QCheckBox>("ckExportBack")->setChecked(true);
  EXPECT_TRUE(two->HasOption(Opt::ExportBackground));
  f.services->colours.push_back(QColor(0, 128, 255));
  f.W<QToolButton>("shBackColor")->click();
  EXPECT_EQ(two->BackColor, 0xFF0080FFu);
  EXPECT_EQ(f.W<QToolButton>("shBackColor")->property("colour").toUInt(), 0xFF0080FFu);
  f.services->colours.push_back(QColor());  // cancelled: nothing written
  f.W<QToolButton>("shFontColor")->click();
  f.W<QCheckBox>("ckActive")->setChecked(true);  EXPECT_EQ(f.doc.GetActiveLayerIndex(), 2);
  f.W<QCheckBox>("ckLayerZPos")->setChecked(true);
  EXPECT_TRUE(f.doc.GetLayerZOrder());
  EXPECT_EQ(f.doc.UndoCount(), 9);

  // Undone one by one, newest first.
  f.doc.Undo();
  EXPECT_FALSE(f.doc.GetLayerZOrder());
  f.doc.Undo();
  EXPECT_EQ(f.doc.GetActiveLayerIndex(), 1);
  f.doc.Undo();
  EXPECT_EQ(two->BackColor, kWhite);
  for (int i = 0; i < 5; ++i) f.doc.Undo();
  EXPECT_EQ(two->Name, "Walls");
  EXPECT_FLOAT_EQ(two->FontHeight, 7.5f);
  EXPECT_EQ(two->Options, Opt::Visible | Opt::Print);
  f.doc.Undo();
  EXPECT_EQ(two->Name, "L2");
}

TEST(LayersDialog, ClashingOrEmptyNamesAndUncheckingActiveChangeNothing) {
  Fixture f;
  f.win->SelectLayer(3);
  f.Rename("l2");  // another layer's name in other letters
  f.Rename("   ");
  EXPECT_EQ(f.doc.GetLayer(3)->Name, "L3");
  EXPECT_EQ(f.W<QLineEdit>("edName")->text(), "L3");
  EXPECT_EQ(f.List()->item(2)->text(), "L3");
  ASSERT_EQ(f.services->errors.size(), 2);
  EXPECT_EQ(f.services->errors[0], TPLNMsg::GetErrorValue("LayerName"));
  EXPECT_EQ(f.services->errors[1], TPLNMsg::GetErrorValue("EmptyName"));
  // Its own name in other letters is no clash.
  f.Rename("l3");
  EXPECT_EQ(f.doc.GetLayer(3)->Name, "l3");

  f.win->SelectLayer(1);
  auto* active = f.W<QCheckBox>("ckActive");
  active->setChecked(false);
  EXPECT_EQ(f.doc.GetActiveLayerIndex(), 1);
  EXPECT_TRUE(active->isChecked());
  EXPECT_EQ(f.doc.UndoCount(), 1);
}

TEST(LayersDialog, TheDefaultLayerIsNeverDeletedOtherLayersOnlyOnYes) {
  Fixture f;
  f.win->DeleteLayer();  // layer 1 selected
  EXPECT_EQ(f.doc.GetLayersCount(), 3);
  ASSERT_EQ(f.services->errors.size(), 1);
  EXPECT_EQ(f.services->errors[0], TPLNMsg::GetErrorValue("DelDefLayer"));
  EXPECT_TRUE(f.services->questions.isEmpty());

  f.win->SelectLayer(2);
  f.services->answer = false;
  f.W<QPushButton>("butDelete")->click();
  EXPECT_EQ(f.doc.GetLayersCount(), 3);
  EXPECT_EQ(f.services->questions.size(), 1);

  f.services->answer = true;
  f.W<QPushButton>("butDelete")->click();
  ASSERT_EQ(f.doc.GetLayersCount(), 2);
  EXPECT_EQ(f.List()->count(), 2);
  EXPECT_EQ(f.List()->item(1)->text(), "L3");
  // The selection stays on number 2, now the former layer 3.
  EXPECT_EQ(f.win->SelectedLayer(), 2);
  EXPECT_EQ(f.W<QLineEdit>("edName")->text(), "L3");
  EXPECT_EQ(f.onTwo->GetLayer(), f.doc.GetLayer(1));

  // Deleting the last layer moves the selection back to the one before.
  f.W<QPushButton>("butDelete")->click();
  EXPECT_EQ(f.doc.GetLayersCount(), 1);
  EXPECT_EQ(f.win->SelectedLayer(), 1);
  EXPECT_FALSE(f.Enabled("butDelete"));
  EXPECT_EQ(f.doc.UndoCount(), 2);

  f.doc.Undo();
  f.doc.Undo();
  ASSERT_EQ(f.doc.GetLayersCount(), 3);
  EXPECT_EQ(f.doc.GetLayer(2)->Name, "L2");
  EXPECT_EQ(f.doc.LayerIndex(f.doc.GetItem(1)->GetLayer()), 2);
  EXPECT_EQ(f.doc.LayerIndex(f.doc.GetItem(2)->GetLayer()), 3);
}

TEST(LayersDialog, MovingALayerTakesItsItemsAndUndoesInOneStep) {
  Fixture f(4);
  f.doc.SetActiveLayer(3);
  f.doc.SetBackLayer(3);
  f.doc.SetLayerZOrder(true);
  f.doc.ClearUndo();
  f.win->SelectLayer(3);
  f.W<QPushButton>("butUp")->click();
  EXPECT_EQ(f.doc.GetLayer(2)->Name, "L3");
  EXPECT_EQ(f.doc.GetLayer(3)->Name, "L2");
  EXPECT_EQ(f.List()->item(1)->text(), "L3");
  EXPECT_EQ(f.List()->item(2)->text(), "L2");
  EXPECT_EQ(f.win->SelectedLayer(), 2);  // follows the moved layer
  EXPECT_EQ(f.W<QLineEdit>("edName")->text(), "L3");
  EXPECT_FALSE(f.Enabled("butUp"));
  EXPECT_EQ(f.doc.LayerIndex(f.onThree->GetLayer()), 2);
  EXPECT_EQ(f.doc.LayerIndex(f.onTwo->GetLayer()), 3);
  EXPECT_EQ(f.doc.GetActiveLayerIndex(), 2);  // the active layer moved with it
  EXPECT_EQ(f.doc.GetBackLayer(), 2);         // and the background picture
  EXPECT_EQ(f.doc.GetItem(1), f.onThree);     // items drawn in layer order follow

  f.W<QPushButton>("butUp")->click();  // disabled in the window; the call itself refuses too
  f.win->MoveUp();
  EXPECT_EQ(f.doc.GetLayer(1)->Name, "Layer 1");

  f.win->SelectLayer(3);
  f.W<QPushButton>("butDown")->click();
  EXPECT_EQ(f.doc.GetLayer(4)->Name, "L2");
  EXPECT_EQ(f.win->SelectedLayer(), 4);
  EXPECT_FALSE(f.Enabled("butDown"));
  EXPECT_EQ(f.doc.UndoCount(), 2);

  f.doc.Undo();
  f.doc.Undo();
  EXPECT_EQ(f.doc.GetLayer(2)->Name, "L2");
  EXPECT_EQ(f.doc.GetLayer(3)->Name, "L3");
  EXPECT_EQ(f.doc.GetBackLayer(), 3);
  EXPECT_EQ(f.doc.LayerIndex(f.doc.GetItem(1)->GetLayer()), 2);
  EXPECT_EQ(f.doc.LayerIndex(f.doc.GetItem(2)->GetLayer()), 3);
  EXPECT_EQ(f.doc.GetActiveLayerIndex(), 3);
  EXPECT_EQ(f.doc.GetItemsCount(), 2);
  f.doc.Redo();
  EXPECT_EQ(f.doc.LayerIndex(f.onThree->GetLayer()), 2);
  EXPECT_EQ(f.doc.GetItem(1), f.onThree);
  EXPECT_EQ(f.doc.GetLayer(2)->Name, "L3");
}

TEST(LayersDialog, EnterAfterANameCommitsItAndPressesNoButton) {
  Fixture f;
  f.win->show();
  QApplication::processEvents();
  f.W<QPushButton>("butAdd")->click();  // the button last pressed
  auto* ed = f.W<QLineEdit>("edName");
  ed->setFocus();
  ed->selectAll();
  for (QChar c : QStringLiteral("Hatch")) {
    QKeyEvent k(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(ed, &k);
  }
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(ed, &enter);
  QApplication::processEvents();
  EXPECT_EQ(f.doc.GetLayersCount(), 4);
  EXPECT_EQ(f.doc.GetLayer(4)->Name, "Hatch");
  EXPECT_TRUE(f.win->isVisible());
}

// The margins window runs modally: the answers are given from inside its loop.
void AnswerMargins(double left, const char* button) {
  QTimer::singleShot(0, [left, button] {
    QWidget* w = QApplication::activeModalWidget();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->objectName(), "fBackMargins");
    auto* box = w->findChild<QDoubleSpinBox*>("seLeft");
    ASSERT_NE(box, nullptr);
    box->setValue(left);
    w->findChild<QPushButton*>(QLatin1String(button))->click();
  });
}

TEST(LayersDialog, MarginsOfTheBackgroundImageGoToTheSelectedLayerOnOkOnly) {
  Fixture f;
  f.win->SelectLayer(2);
  ASSERT_TRUE(f.Enabled("butBackMargins"));
  AnswerMargins(5, "btnCancel");
  f.W<QPushButton>("butBackMargins")->click();
  EXPECT_EQ(f.doc.GetLayer(2)->BackMargins[0], 0);
  AnswerMargins(5, "btnOk");
  f.W<QPushButton>("butBackMargins")->click();
  EXPECT_EQ(f.doc.GetLayer(2)->BackMargins[0], 5000);  // millimetres in the window
  EXPECT_EQ(f.doc.GetLayer(1)->BackMargins[0], 0);
  EXPECT_EQ(f.doc.UndoCount(), 1);
  f.doc.Undo();
  EXPECT_EQ(f.doc.GetLayer(2)->BackMargins[0], 0);
}

// A picture chosen for a layer lies behind the labels, printed and exported with them; a file
// that is no picture is refused and changes nothing.
TEST(LayersDialog, BackgroundPictureOfTheSelectedLayerAsOneStep) {
  Fixture f;
  f.win->SelectLayer(3);
  ASSERT_TRUE(f.Enabled("butBackImage"));
  const QString notPicture = TmpPath("not-a-picture.png");
  WriteAll(notPicture, "this is text");
  const QByteArray before = f.doc.GetJsonText();
  f.services->file = notPicture;
  f.W<QPushButton>("butBackImage")->click();
  ASSERT_EQ(f.services->errors.size(), 1);
  EXPECT_TRUE(f.services->errors[0].contains("not-a-picture.png")) << f.services->errors[0].toStdString();
  EXPECT_EQ(f.doc.GetJsonText(), before);
  EXPECT_EQ(f.doc.UndoCount(), 0);

  QImage img(40, 20, QImage::Format_RGB32);
  img.fill(Qt::red);
  const QString picture = TmpPath("layer-back.png");
  ASSERT_TRUE(img.save(picture));
  f.services->file = picture;
  f.W<QPushButton>("butBackImage")->click();
  const TPLNLayer* three = f.doc.GetLayer(3);
  EXPECT_EQ(three->BackImageFile, picture);
  EXPECT_EQ(f.doc.GetBackLayer(), 3);
  EXPECT_TRUE(three->HasOption(Opt::PrintBackground | Opt::ExportBackground));
  EXPECT_FALSE(three->HasOption(Opt::MapBackground));
  EXPECT_TRUE(f.W<QCheckBox>("ckPrintBack")->isChecked()) << "the window shows what the layer took";
  EXPECT_EQ(f.doc.UndoCount(), 1);
  f.doc.Undo();
  EXPECT_EQ(f.doc.GetJsonText(), before);
}

TEST(LayersDialog, AddedLayersGetAFreeNameAndAreSelected) {
  Fixture f(1);
  f.doc.AddLayer("Layer 3");
  f.doc.ClearUndo();
  f.win->Ini(&f.doc);
  f.W<QPushButton>("butAdd")->click();
  ASSERT_EQ(f.doc.GetLayersCount(), 3);
  EXPECT_EQ(f.doc.GetLayer(3)->Name, "Layer 4");  // "Layer 3" is taken
  EXPECT_EQ(f.List()->count(), 3);
  EXPECT_EQ(f.List()->currentRow(), 2);
  EXPECT_EQ(f.win->SelectedLayer(), 3);
  EXPECT_TRUE(f.Enabled("butUp"));
  EXPECT_FALSE(f.Enabled("butDown"));
  EXPECT_EQ(f.doc.UndoCount(), 1);
  f.doc.Undo();
  EXPECT_EQ(f.doc.GetLayersCount(), 2);
}

TEST(LayersDialog, DrawnWindowShowsTheListAndTheColours) {
  Fixture f;
  f.win->resize(640, 420);
  f.win->SelectLayer(2);
  f.win->show();
  QApplication::processEvents();
  QImage shot(f.win->size(), QImage::Format_ARGB32);
  shot.fill(Qt::black);
  f.win->render(&shot);
  for (const char* name : {"lbLayers", "edName", "cbFontName", "seFontHeight", "sePenWidth", "ckActive", "ckVisible",
                           "ckLayerZPos", "butAdd", "butDelete", "butUp", "butDown"}) {
    auto* w = f.win->findChild<QWidget*>(QLatin1String(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_TRUE(w->isVisible()) << name;
    EXPECT_TRUE(QRect(QPoint(), f.win->size()).contains(QRect(w->mapTo(f.win.get(), QPoint()), w->size()))) << name;
  }
  // The pen swatch shows the layer's red in its middle.
  auto* swatch = f.W<QToolButton>("shColor");
  const QPoint mid = swatch->mapTo(f.win.get(), swatch->rect().center());
  const QColor c = shot.pixelColor(mid);
  EXPECT_GT(c.red(), 200);
  EXPECT_LT(c.green(), 60);
  shot.save(TmpPath("layers-dialog.png"));
}

}  // namespace
