// The dimension styles window driven through its widgets: the active style shown and edited,
// the dimensions of the drawing and the sample following each change (one undo step each),
// styles added and deleted, refusals that change nothing, and the window as drawn.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <gtest/gtest.h>

#include "DialogTestServices.h"
#include "ORV.Dim.h"
#include "ORV.FMX.DimStyles.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;
using Orv::Line::TPLNBaseDim;
using Orv::Line::TPLNDimStyle;

namespace {

struct Fixture {
  TPlanoraFMX doc;
  std::shared_ptr<TScriptedServices> services = std::make_shared<TScriptedServices>();
  std::unique_ptr<TfDimStls> win;
  TPLNBaseDim* dim = nullptr;

  Fixture() {
    doc.SetEditorMode(2);
    TPLNDimStyle* mech = doc.AddDimStyle("Mech");
    mech->FontHeight = 5;
    mech->Suffix = " mm";
    mech->DimColor = 0xFF0000FFu;
    doc.AddDimStyle("Arch");
    doc.SetActiveDimStyle(2);
    // 50 mm, measured with the style "Mech".
    dim = dynamic_cast<TPLNBaseDim*>(TPLNFactory::AddBaseDim(&doc, 10000, 20000, 60000, 20000, 35000, 10000));
    doc.ClearUndo();
    win = std::make_unique<TfDimStls>(nullptr, services);
    win->Ini(&doc);
  }
  template <class T>
  T* W(const char* name) {
    return Child<T>(*win, name);
  }
  void Edit(const char* name, const QString& text) {
    auto* ed = W<QLineEdit>(name);
    ed->setText(text);
    emit ed->editingFinished();
  }
};

TEST(DimStylesDialog, OpensOnlyInDrawingMode) {
  TPlanoraFMX doc;
  for (std::uint8_t mode : {0, 1, 3}) {
    doc.SetEditorMode(mode);
    EXPECT_FALSE(doc.EditDimStyles(nullptr, std::make_shared<TScriptedServices>())) << int(mode);
  }
}

TEST(DimStylesDialog, ShowsTheActiveStyle) {
  Fixture f;
  EXPECT_EQ(f.win->windowTitle(), QStringLiteral("    ") + TPLNMsg::GetDialogsValue("DimStyles"));
  auto* styles = f.W<QComboBox>("cbDimStyles");
  ASSERT_EQ(styles->count(), 3);
  EXPECT_EQ(styles->itemText(2), "Arch");
  EXPECT_EQ(styles->currentIndex(), 1);
  EXPECT_DOUBLE_EQ(f.W<QDoubleSpinBox>("seFontHeight")->value(), 5.0);
  EXPECT_EQ(f.W<QLineEdit>("edSuffix")->text(), " mm");
  EXPECT_EQ(f.W<QToolButton>("shDimColor")->property("colour").toUInt(), 0xFF0000FFu);
  EXPECT_EQ(f.W<QComboBox>("cbHeadType")->count(), 12);
  EXPECT_EQ(f.W<QComboBox>("cbHeadType")->currentIndex(), 4);
  EXPECT_EQ(f.W<QComboBox>("cbPosText")->count(), 6);
  EXPECT_TRUE(f.W<QCheckBox>("ckUnderline")->isHidden());
  EXPECT_EQ(f.dim->GetCaption(), "50 mm");
  EXPECT_EQ(f.win->Sample()->Captions().value(0), "68.79 mm");  // 260 px at 96 dpi
  EXPECT_FALSE(f.doc.CanUndo());

  // Another style chosen becomes active and is shown.
  styles->setCurrentIndex(0);
  EXPECT_EQ(f.doc.GetActiveDimStyleIndex(), 1);
  EXPECT_DOUBLE_EQ(f.W<QDoubleSpinBox>("seFontHeight")->value(), 3.5);
  EXPECT_TRUE(f.W<QLineEdit>("edSuffix")->text().isEmpty());
  EXPECT_FALSE(f.W<QPushButton>("butDelete")->isEnabled());
  EXPECT_EQ(f.doc.UndoCount(), 1);
}

TEST(DimStylesDialog, ChangesGoToTheStyleTheDimensionsAndTheSampleOneStepEach) {
  Fixture f;
  TPLNDimStyle* mech = f.doc.GetDimStyle(2);
  f.Edit("edPrefix", "L=");
  f.Edit("edFormat", "0.0");
  EXPECT_EQ(f.dim->GetCaption(), "L=50.0 mm");
  EXPECT_EQ(f.win->Sample()->Captions().value(0), "L=68.8 mm");
  f.W<QDoubleSpinBox>("seFontHeight")->setValue(8);
  EXPECT_FLOAT_EQ(mech->FontHeight, 8.0f);
  f.W<QCheckBox>("ckBold")->setChecked(true);
  EXPECT_TRUE(mech->Bold);
  f.W<QComboBox>("cbHeadType")->setCurrentIndex(1);
  EXPECT_EQ(mech->HeadType, 1);
  f.W<QComboBox>("cbPosText")->setCurrentIndex(3);
  EXPECT_EQ(mech->TextPos, Line::TORVTextPos::MiddleRemove);
  f.W<QComboBox>("cbLineType")->setCurrentIndex(2);
  EXPECT_EQ(mech->DimLineType, 2);
  EXPECT_EQ(mech->ExtLineType, 2);
  f.W<QSpinBox>("seArrowOpen")->setValue(20);
  EXPECT_EQ(mech->ArrowOpen, 20);
  f.W<QDoubleSpinBox>("seDimPenWidth")->setValue(400);
  EXPECT_DOUBLE_EQ(mech->DimPenWidth, 400);
  f.services->colours.push_back(QColor(255, 0, 0));
  f.W<QToolButton>("shHeadColor")->click();
  EXPECT_EQ(mech->HeadColor, 0xFFFF0000u);
  // The other styles are untouched.
  EXPECT_EQ(*f.doc.GetDimStyle(1), TPLNDimStyle());
  EXPECT_EQ(f.doc.UndoCount(), 10);

  for (int i = 0; i < 8; ++i) f.doc.Undo();
  EXPECT_EQ(f.dim->GetCaption(), "L=50.0 mm");
  EXPECT_FLOAT_EQ(mech->FontHeight, 5.0f);
  f.doc.Undo();
  EXPECT_EQ(f.dim->GetCaption(), "L=50 mm");
  f.doc.Undo();
  EXPECT_EQ(f.dim->GetCaption(), "50 mm");
  EXPECT_TRUE(mech->Prefix.isEmpty());
}

TEST(DimStylesDialog, OutOfRangeValuesAreKeptWithinTheStylesLimits) {
  Fixture f;
  TPLNDimStyle* mech = f.doc.GetDimStyle(2);
  auto* height = f.W<QDoubleSpinBox>("seFontHeight");
  height->setValue(5000);
  EXPECT_FLOAT_EQ(mech->FontHeight, 1000.0f);
  height->setValue(0);
  EXPECT_FLOAT_EQ(mech->FontHeight, 0.1f);
  EXPECT_EQ(f.W<QSpinBox>("seArrowOpen")->maximum(), 10000);
  f.W<QSpinBox>("seArrowOpen")->setValue(40000);
  EXPECT_EQ(mech->ArrowOpen, 10000);  // never wraps round in its 16 bits
  EXPECT_TRUE(f.services->errors.isEmpty());
}

TEST(DimStylesDialog, AddingAndDeletingStyles) {
  Fixture f;
  // Cancelled, clashing, then a new name.
  f.W<QPushButton>("butAdd")->click();
  f.services->names = {"arch"};
  f.W<QPushButton>("butAdd")->click();
  EXPECT_EQ(f.doc.GetDimStylesCount(), 3);
  ASSERT_EQ(f.services->errors.size(), 1);
  EXPECT_EQ(f.services->errors[0], TPLNMsg::GetErrorValue("DimStyleName"));
  f.services->names = {"Site"};
  f.W<QPushButton>("butAdd")->click();
  ASSERT_EQ(f.doc.GetDimStylesCount(), 4);
  EXPECT_EQ(f.doc.GetDimStyle(4)->Name, "Site");
  EXPECT_EQ(f.doc.GetDimStyle(4)->DimColor, 0xFF808080u);
  EXPECT_EQ(f.doc.GetActiveDimStyleIndex(), 4);
  EXPECT_EQ(f.W<QComboBox>("cbDimStyles")->count(), 4);
  EXPECT_EQ(f.W<QComboBox>("cbDimStyles")->currentText(), "Site");
  EXPECT_EQ(f.doc.UndoCount(), 1);

  // "Mech", which the dimension uses, goes on yes only; the dimension falls back to style 1.
  f.W<QComboBox>("cbDimStyles")->setCurrentIndex(1);
  f.services->answer = false;
  f.W<QPushButton>("butDelete")->click();
  EXPECT_EQ(f.doc.GetDimStylesCount(), 4);
  f.services->answer = true;
  f.W<QPushButton>("butDelete")->click();
  ASSERT_EQ(f.doc.GetDimStylesCount(), 3);
  EXPECT_EQ(f.doc.GetDimStyle(2)->Name, "Arch");
  EXPECT_EQ(f.doc.GetActiveDimStyleIndex(), 1);
  EXPECT_EQ(f.W<QComboBox>("cbDimStyles")->currentIndex(), 0);
  EXPECT_EQ(f.dim->GetDimStyleIndex(), 1);
  EXPECT_EQ(f.dim->GetCaption(), "50");

  // The default style stays.
  f.W<QPushButton>("butDelete")->click();
  f.win->DeleteStyle();
  EXPECT_EQ(f.doc.GetDimStylesCount(), 3);
  EXPECT_EQ(f.services->errors.back(), TPLNMsg::GetErrorValue("DelDefStyle"));

  f.doc.Undo();  // the deletion
  ASSERT_EQ(f.doc.GetDimStylesCount(), 4);
  EXPECT_EQ(f.doc.GetDimStyle(2)->Name, "Mech");
  auto* back = dynamic_cast<TPLNBaseDim*>(f.doc.GetItem(1));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetDimStyleIndex(), 2);
  EXPECT_EQ(back->GetCaption(), "50 mm");
}

TEST(DimStylesDialog, DeletingAStyleRenumbersTheDimensionsOfLaterStyles) {
  TPlanoraFMX doc;
  doc.SetEditorMode(2);
  doc.AddDimStyle("A");
  doc.AddDimStyle("B")->Prefix = "B:";
  doc.SetActiveDimStyle(3);
  auto* onB = dynamic_cast<TPLNBaseDim*>(TPLNFactory::AddBaseDim(&doc, 0, 0, 10000, 0, 5000, -5000));
  ASSERT_NE(onB, nullptr);
  doc.SetActiveDimStyle(2);
  ASSERT_TRUE(doc.DeleteActiveDimStyle());
  EXPECT_EQ(onB->GetDimStyleIndex(), 2);
  EXPECT_EQ(onB->GetCaption(), "B:10");
  doc.SetActiveDimStyle(1);
  EXPECT_FALSE(doc.DeleteActiveDimStyle());
  EXPECT_EQ(doc.GetDimStylesCount(), 2);
}

TEST(DimStylesDialog, DrawnWindowShowsTheSampleInTheStylesColours) {
  Fixture f;
  f.win->resize(900, 520);
  f.win->show();
  QApplication::processEvents();
  for (const char* name : {"cbDimStyles", "cbFontName", "seFontHeight", "edPrefix", "edFormat", "edSuffix",
                           "cbLineType", "cbPosText", "cbHeadType", "seHeadSize", "shDimColor", "paintLab"}) {
    auto* w = f.win->findChild<QWidget*>(QLatin1String(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_TRUE(w->isVisible()) << name;
  }
  auto count = [&](auto pred) {
    QImage shot(f.win->Sample()->size(), QImage::Format_ARGB32);
    f.win->Sample()->render(&shot);
    int n = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) n += pred(shot.pixelColor(x, y)) ? 1 : 0;
    return n;
  };
  // Thin lines are smoothed into the white: a tint is enough.
  auto blue = [](const QColor& c) { return c.blue() - std::max(c.red(), c.green()) > 60; };
  auto green = [](const QColor& c) { return c.green() - std::max(c.red(), c.blue()) > 60; };
  // "Mech" draws its dimension lines blue.
  EXPECT_GT(count(blue), 50);
  EXPECT_EQ(count(green), 0);
  f.services->colours = {QColor(0, 200, 0), QColor(0, 200, 0)};
  f.W<QToolButton>("shDimColor")->click();
  f.W<QToolButton>("shExtColor")->click();
  EXPECT_EQ(count(blue), 0);
  EXPECT_GT(count(green), 50);
  QImage shot(f.win->size(), QImage::Format_ARGB32);
  f.win->render(&shot);
  shot.save(TmpPath("dimstyles-dialog.png"));
}

}  // namespace
