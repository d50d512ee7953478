// The small dialogs driven through their widgets, without a modal loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

#include "ORV.FMX.Back.Margins.h"
#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.EdJson.h"
#include "ORV.FMX.Mem.h"
#include "ORV.FMX.SelColor.h"
#include "ORV.FMX.SelFont.h"
#include "ORV.FMX.SelSize.h"
#include "ORV.FMX.h"
#include "ORV.Layers.h"
#include "PlanoraTestSupport.h"
#include "DialogTestServices.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {
void ForgetRecentColors() { RecentColors().fill(TORVRecentColor{}); }
}  // namespace

TEST(SelColor, ChannelsAndPanelFollowEachOther) {
  ForgetRecentColors();
  TfSelColor f;
  f.Ini(QStringLiteral("Pen"), 0x80102030u);
  EXPECT_EQ(f.windowTitle(), "Pen");
  EXPECT_EQ(Child<QPushButton>(f, "btnOk")->text(), "OK");
  EXPECT_EQ(Child<QPushButton>(f, "btnSave")->text(), "Save");
  auto* red = Child<QSpinBox>(f, "sbRed");
  auto* green = Child<QSpinBox>(f, "sbGreen");
  auto* blue = Child<QSpinBox>(f, "sbBlue");
  auto* alpha = Child<QSpinBox>(f, "sbAlpha");
  EXPECT_EQ(red->value(), 0x10);
  EXPECT_EQ(green->value(), 0x20);
  EXPECT_EQ(blue->value(), 0x30);
  EXPECT_EQ(alpha->value(), 0x80);
  EXPECT_EQ(Child<TColorSwatch>(f, "shpPreview")->Color(), 0x80102030u);

  // A box changes its channel only.
  alpha->setValue(255);
  EXPECT_EQ(f.GetSelColor(), 0xFF102030u);
  blue->setValue(0xFE);
  EXPECT_EQ(f.GetSelColor(), 0xFF1020FEu);
  EXPECT_EQ(Child<TColorSwatch>(f, "shpPreview")->Color(), 0xFF1020FEu);
  // The boxes stay within a byte.
  red->setValue(300);
  EXPECT_EQ(f.GetSelColor(), 0xFFFF20FEu);

  // A palette colour reaches every box.
  Child<TColorSwatch>(f, "pal21")->click();  // pure blue
  EXPECT_EQ(f.GetSelColor(), 0xFF0000FFu);
  EXPECT_EQ(red->value(), 0);
  EXPECT_EQ(blue->value(), 255);
  EXPECT_EQ(alpha->value(), 255);
}

TEST(SelColor, RecentColoursLastForTheProcessAndSaveFollowsTheTarget) {
  ForgetRecentColors();
  {
    TfSelColor f;
    f.Ini(QStringLiteral("c"), 0xFF112233u);
    EXPECT_EQ(f.SaveTarget(), 0);
    Child<QPushButton>(f, "btnSave")->click();
    EXPECT_TRUE(RecentColors()[0].Used);
    EXPECT_EQ(RecentColors()[0].Color, 0xFF112233u);
    EXPECT_EQ(Child<TColorSwatch>(f, "rec01")->Color(), 0xFF112233u);
    EXPECT_EQ(Child<TColorSwatch>(f, "rec05")->property("tag").toInt(), 4);
  }
  {
    // A form opened later shows it, and saves into the next free entry.
    TfSelColor f;
    f.Ini(QStringLiteral("c"), 0xFF000000u);
    EXPECT_EQ(Child<TColorSwatch>(f, "rec01")->Color(), 0xFF112233u);
    EXPECT_EQ(f.SaveTarget(), 1);
    // Clicking a used entry loads it and makes it the target.
    Child<TColorSwatch>(f, "rec01")->click();
    EXPECT_EQ(f.GetSelColor(), 0xFF112233u);
    EXPECT_EQ(f.SaveTarget(), 0);
    // Clicking an unused one only moves the target.
    Child<TColorSwatch>(f, "rec04")->click();
    EXPECT_EQ(f.GetSelColor(), 0xFF112233u);
    f.SetPanelColor(0xFF445566u);
    f.Save();
    EXPECT_TRUE(RecentColors()[3].Used);
    EXPECT_FALSE(RecentColors()[1].Used);
  }
  for (int i = 0; i < kRecentColors; ++i) RecentColors()[i] = {0xFF000000u + static_cast<TAlphaColor>(i), true};
  const auto before = RecentColors();
  {
    // Every entry used and none clicked: Save has nowhere to go.
    TfSelColor f;
    f.Ini(QStringLiteral("c"), 0xFFABCDEFu);
    EXPECT_EQ(f.SaveTarget(), -1);
    Child<QPushButton>(f, "btnSave")->click();
    for (int i = 0; i < kRecentColors; ++i) EXPECT_EQ(RecentColors()[i].Color, before[i].Color) << i;
    // Once one is clicked it is overwritten.
    f.ClickRecent(7);
    EXPECT_EQ(f.GetSelColor(), 0xFF000007u);
    f.SetPanelColor(0xFFABCDEFu);
    f.Save();
    EXPECT_EQ(RecentColors()[7].Color, 0xFFABCDEFu);
    EXPECT_EQ(RecentColors()[6].Color, 0xFF000006u);
  }
  ForgetRecentColors();
}

TEST(SelFont, ListSelectionAndEvent) {
  TfSelFont f;
  f.LoadFonts({});
  EXPECT_EQ(f.GetSelectedFont(), "");
  EXPECT_FALSE(Child<QPushButton>(f, "btnOk")->isEnabled());
  QStringList seen;
  f.OnFontSelected = [&](const QString& name) { seen << name; };
  f.LoadFonts({"Arial", "Courier New", "DejaVu Sans"});
  EXPECT_EQ(f.GetSelectedFont(), "Arial");
  EXPECT_TRUE(Child<QPushButton>(f, "btnOk")->isEnabled());
  Child<QListWidget>(f, "lbFonts")->setCurrentRow(2);
  EXPECT_EQ(f.GetSelectedFont(), "DejaVu Sans");
  EXPECT_EQ(seen.last(), "DejaVu Sans");
  // Loading again replaces the list.
  f.LoadFonts({"Tahoma"});
  EXPECT_EQ(f.List()->count(), 1);
  EXPECT_EQ(f.GetSelectedFont(), "Tahoma");
}

TEST(SelSize, FixedSizesAndNothingSelected) {
  TfSelSize f;
  f.LoadSizes();
  QListWidget* list = Child<QListWidget>(f, "lbSizes");
  ASSERT_EQ(list->count(), 12);
  EXPECT_EQ(list->item(0)->text(), "4 mm");
  EXPECT_EQ(list->item(11)->text(), "15 mm");
  EXPECT_EQ(f.GetSelectedSize(), 0);
  int seen = 0;
  f.OnSizeSelected = [&](int mm) { seen = mm; };
  list->setCurrentRow(5);
  EXPECT_EQ(f.GetSelectedSize(), 9);
  EXPECT_EQ(seen, 9);
  list->clearSelection();
  EXPECT_EQ(f.GetSelectedSize(), 0);
  // Filling twice does not double the list.
  f.LoadSizes();
  EXPECT_EQ(list->count(), 12);
}

TEST(EdJson, FormatsChecksAndClosesOnlyOnValidText) {
  auto services = std::make_shared<TScriptedServices>();
  TfJsonData f(nullptr, services);
  f.IniDialog(QStringLiteral(R"({"name":"x","n":[1,2]})"));
  EXPECT_EQ(Child<QPushButton>(f, "btnLoad")->text(), "  Load JSON...");
  const QString shown = f.Memo()->toPlainText();
  EXPECT_EQ(shown.split('\n').size(), 7) << shown.toStdString();
  EXPECT_EQ(shown.split('\n')[1], "    \"n\": [");
  // Every line break of the formatted text is CR LF.
  const QString formatted = TfJsonData::Formatted(QStringLiteral(R"({"name":"x","n":[1,2]})"));
  EXPECT_EQ(formatted.count("\r\n"), 6);
  EXPECT_EQ(formatted.count('\n'), 6);
  EXPECT_EQ(TfJsonData::Formatted(QStringLiteral("[1]")), "");
  EXPECT_EQ(f.GetJson(), R"({"n":[1,2],"name":"x"})");

  // Not an object, or not JSON: shown as given, refused.
  f.IniDialog(QStringLiteral("[1,2]"));
  EXPECT_EQ(f.Memo()->toPlainText(), "[1,2]");
  EXPECT_EQ(f.GetJson(), "");
  f.Format();
  ASSERT_EQ(services->errors.size(), 1);
  EXPECT_EQ(services->errors[0], "JSON is not valid");
  EXPECT_EQ(f.Memo()->toPlainText(), "[1,2]");
  f.setResult(-1);
  f.accept();
  EXPECT_EQ(services->errors.size(), 2);
  EXPECT_EQ(f.result(), -1);  // still open

  // An empty memo cannot be formatted, and closing with it cancels.
  f.Memo()->clear();
  f.Format();
  EXPECT_EQ(services->errors.size(), 3);
  f.setResult(-1);
  f.accept();
  EXPECT_EQ(f.result(), QDialog::Rejected);
  EXPECT_EQ(f.GetJson(), "");

  // A typed valid text formats and accepts.
  f.Memo()->setPlainText(QStringLiteral("{ \"a\" :  true }"));
  f.Format();
  EXPECT_EQ(f.Memo()->toPlainText(), "{\n    \"a\": true\n}");
  f.accept();
  EXPECT_EQ(f.result(), QDialog::Accepted);
  EXPECT_EQ(f.GetJson(), R"({"a":true})");
  EXPECT_EQ(services->errors.size(), 3);
}

TEST(EdJson, LoadsAFileAndKeepsTheMemoWhenItCannot) {
  auto services = std::make_shared<TScriptedServices>();
  TfJsonData f(nullptr, services);
  f.IniDialog(QStringLiteral(R"({"keep":1})"));
  const QString before = f.Memo()->toPlainText();
  // Cancelled: nothing happens.
  services->file.clear();
  EXPECT_FALSE(f.Load());
  EXPECT_EQ(f.Memo()->toPlainText(), before);
  // Missing file: said, memo kept.
  services->file = PlanoraTest::TmpPath("no-such-file.json");
  QFile::remove(services->file);
  EXPECT_FALSE(f.Load());
  ASSERT_EQ(services->errors.size(), 1);
  EXPECT_TRUE(services->errors[0].contains("no-such-file.json"));
  EXPECT_EQ(f.Memo()->toPlainText(), before);
  // A name without extension means the .json file.
  PlanoraTest::WriteAll(PlanoraTest::TmpPath("data.json"), R"({"loaded":[true]})");
  services->file = PlanoraTest::TmpPath("data");
  EXPECT_TRUE(f.Load());
  EXPECT_EQ(f.GetJson(), R"({"loaded":[true]})");
}

TEST(Mem, TextSizeAndFocus) {
  TfMem f;
  f.resize(700, 500);
  f.Ini(QStringLiteral("line 1\nline 2"), true);
  EXPECT_EQ(f.size(), QSize(700, 500));
  EXPECT_EQ(f.windowTitle(), "Text");
  f.Ini(QStringLiteral("line 1\nline 2"), false);
  EXPECT_EQ(f.size(), QSize(440, 340));
  EXPECT_EQ(f.GetText(), "line 1\nline 2");
  f.Memo()->setPlainText(QStringLiteral("changed"));
  EXPECT_EQ(f.GetText(), "changed");
  f.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(f.focusWidget(), f.Memo());
}

namespace {
struct MarginsDoc {
  TPlanoraFMX doc;
  MarginsDoc() {
    doc.SetMeasure(PlanoraTest::Paper(100000, 60000));
    TPLNLayer* l = doc.GetLayer(1);
    l->BackMargins[0] = 1000;  // left
    l->BackMargins[1] = 2000;  // top
    l->BackMargins[2] = 3000;  // right
    l->BackMargins[3] = 4000;  // bottom
    doc.ClearUndo();
  }
  std::vector<std::int64_t> Margins(int layer = 1) const {
    const TPLNLayer* l = doc.GetLayer(layer);
    return {l->BackMargins[0], l->BackMargins[1], l->BackMargins[2], l->BackMargins[3]};
  }
};
}  // namespace

TEST(BackMargins, ShowsWritesOneStepAndRefusesWhatDoesNotFit) {
  auto services = std::make_shared<TScriptedServices>();
  MarginsDoc m;
  TfBackMargins f(nullptr, services);
  ASSERT_TRUE(f.Ini(&m.doc, 1));
  EXPECT_EQ(f.windowTitle(), "Background image margins");
  auto* top = Child<QDoubleSpinBox>(f, "seTop");
  auto* left = Child<QDoubleSpinBox>(f, "seLeft");
  auto* bottom = Child<QDoubleSpinBox>(f, "seBottom");
  auto* right = Child<QDoubleSpinBox>(f, "seRight");
  EXPECT_DOUBLE_EQ(top->value(), 2.0);
  EXPECT_DOUBLE_EQ(left->value(), 1.0);
  EXPECT_DOUBLE_EQ(bottom->value(), 4.0);
  EXPECT_DOUBLE_EQ(right->value(), 3.0);
  EXPECT_EQ(f.GetImgMarBottom(), 4000);

  // Cancel: the boxes changed, the layer not.
  top->setValue(9);
  f.reject();
  EXPECT_EQ(m.Margins(), (std::vector<std::int64_t>{1000, 2000, 3000, 4000}));

  // OK: one undo step that takes it all back.
  top->setValue(5.5);
  left->setValue(0);
  ASSERT_TRUE(f.WriteBack());
  EXPECT_EQ(m.Margins(), (std::vector<std::int64_t>{0, 5500, 3000, 4000}));
  EXPECT_EQ(m.doc.UndoCount(), 1);
  m.doc.Undo();
  EXPECT_EQ(m.Margins(), (std::vector<std::int64_t>{1000, 2000, 3000, 4000}));
  m.doc.Redo();

  // Margins that leave no image: refused, said, nothing written.
  left->setValue(60);
  right->setValue(40);
  EXPECT_FALSE(f.WriteBack());
  ASSERT_EQ(services->errors.size(), 1);
  EXPECT_TRUE(services->errors[0].contains("margins")) << services->errors[0].toStdString();
  EXPECT_EQ(m.Margins(), (std::vector<std::int64_t>{0, 5500, 3000, 4000}));
  f.setResult(-1);
  f.accept();
  EXPECT_EQ(f.result(), -1);  // stays open

  // A typed value beyond the label: named with its range.
  right->setValue(3);
  left->setValue(1);
  bottom->findChild<QLineEdit*>()->setText(QStringLiteral("75"));
  EXPECT_FALSE(f.WriteBack());
  EXPECT_TRUE(services->errors.last().contains("Bottom")) << services->errors.last().toStdString();
  EXPECT_TRUE(services->errors.last().contains("60")) << services->errors.last().toStdString();
  EXPECT_EQ(m.Margins(), (std::vector<std::int64_t>{0, 5500, 3000, 4000}));
  // Leaving the box: its value comes back and the range is said.
  const int said = services->errors.size();
  bottom->interpretText();
  QCoreApplication::processEvents();
  ASSERT_EQ(services->errors.size(), said + 1);
  EXPECT_TRUE(services->errors.last().startsWith("Bottom must lie between 0.0 and 60.0")) << services->errors.last().toStdString();
  EXPECT_DOUBLE_EQ(bottom->value(), 4.0);
  EXPECT_TRUE(f.WriteBack());
}

TEST(BackMargins, OtherUnitsAndMissingLayers) {
  auto services = std::make_shared<TScriptedServices>();
  MarginsDoc m;
  m.doc.AddLayer(QStringLiteral("two"));
  m.doc.GetLayer(2)->BackMargins[1] = 25400;
  m.doc.SetUnits(TORVUnits::inch);
  TfBackMargins f(nullptr, services);
  ASSERT_TRUE(f.Ini(&m.doc, 2));
  auto* top = Child<QDoubleSpinBox>(f, "seTop");
  EXPECT_DOUBLE_EQ(top->value(), 1.0);
  top->setValue(0.5);
  ASSERT_TRUE(f.WriteBack());
  EXPECT_EQ(m.doc.GetLayer(2)->BackMargins[1], 12700);
  EXPECT_EQ(m.doc.GetLayer(1)->BackMargins[1], 2000);  // the other layer untouched

  EXPECT_FALSE(f.Ini(&m.doc, 3));
  EXPECT_FALSE(f.Ini(&m.doc, 0));
  EXPECT_FALSE(f.WriteBack());
  EXPECT_FALSE(services->errors.isEmpty());
  EXPECT_FALSE(Child<QPushButton>(f, "btnOk")->isEnabled());
}
