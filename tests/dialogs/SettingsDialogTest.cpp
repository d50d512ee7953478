// The editor settings window: filled from the editor, changed through its widgets, written back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "ORV.Edit.h"
#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.Editor.h"
#include "ORV.FMX.Settings.h"
#include "ORV.FMX.h"
#include "PlanoraTestSupport.h"
#include "DialogTestServices.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

struct View {
  TPlanoraFMX doc;
  TPLNEditor ed;
  View() {
    doc.SetMeasure(PlanoraTest::Paper(100000, 60000));
    ed.resize(600, 400);
    ed.SetLabel(&doc);
    doc.ClearUndo();
  }
  ~View() { ed.SetLabel(nullptr); }
};

// Everything the window can change, to compare before and after.
struct Snapshot {
  int style, snap, gap;
  double incX, incY, moveX, moveY;
  bool orto, refLines, showSize, showAlign;
  unsigned rulers;
  TAlphaColor step, units, size, align, alignText, refLine;
  explicit Snapshot(TPLNBaseEditor& e)
      : style(e.Grid().GetStyle()), snap(e.GetSnap()), gap(e.GetGap()), incX(e.Grid().GetIncX()), incY(e.Grid().GetIncY()),
        moveX(e.GetMoveX()), moveY(e.GetMoveY()), orto(e.GetOrtoLines()), refLines(e.GetShowRefLines()),
        showSize(e.Rulers().GetShowSize()), showAlign(e.Rulers().GetShowAlign()), rulers(e.Rulers().GetVisible()),
        step(e.Grid().GetStepColor()), units(e.Grid().GetUnitsColor()), size(e.Rulers().GetSizeColor()),
        align(e.SelectionColors().Align), alignText(e.SelectionColors().AlignText), refLine(e.SelectionColors().RefLine) {}
  bool operator==(const Snapshot&) const = default;
};
}  // namespace

TEST(SettingsDialog, ShowsTheEditorAndWritesEveryValueBack) {
  View v;
  v.ed.Grid().SetStyle(gdPoints);
  v.ed.Grid().SetIncX(5);
  v.ed.Grid().SetIncY(2.5);
  v.ed.SetMoveX(0.5);
  v.ed.SetMoveY(2);
  v.ed.SetGap(12);
  v.ed.SetSnap(snGrid | snEndPoint);
  v.ed.Rulers().SetVisible(rvLeft | rvTop | rvBottom);
  v.ed.SetShowRefLines(true);
  auto services = std::make_shared<TScriptedServices>();
  TfSettings f(nullptr, services);
  f.Ini(&v.doc, &v.ed);
  EXPECT_EQ(f.windowTitle(), "    Editor settings");
  EXPECT_EQ(Child<QCheckBox>(f, "ckOrtoLines")->text(), "Orthogonal lines (F8)");
  EXPECT_TRUE(Child<QRadioButton>(f, "RB2")->isChecked());
  EXPECT_EQ(f.GridStyle(), 1);
  auto* gridX = Child<QDoubleSpinBox>(f, "seGridX");
  EXPECT_DOUBLE_EQ(gridX->value(), 5);
  EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>(f, "seGridY")->value(), 2.5);
  EXPECT_DOUBLE_EQ(gridX->minimum(), v.ed.Grid().MinInc());
  EXPECT_DOUBLE_EQ(gridX->maximum(), v.ed.Grid().MaxInc());
  EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>(f, "seMoveX")->value(), 0.5);
  EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>(f, "seMoveY")->value(), 2);
  EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>(f, "SEGap")->value(), 12);
  EXPECT_TRUE(Child<QCheckBox>(f, "ckSnap")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(f, "ckEndPoint")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(f, "ckPoint")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(f, "ckLeftRuler")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(f, "ckRightRuler")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(f, "ckBottomRuler")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(f, "ckShowRefLines")->isChecked());
  EXPECT_EQ(Child<TColorSwatch>(f, "shpGridColor")->Color(), v.ed.Grid().GetStepColor());
  EXPECT_EQ(Child<TColorSwatch>(f, "shRefLinesColor")->Color(), v.ed.SelectionColors().RefLine);

  // Change through the widgets: colours through the colour question.
  Child<QRadioButton>(f, "RB3")->click();
  gridX->setValue(7.5);
  Child<QDoubleSpinBox>(f, "seMoveY")->setValue(0.25);
  Child<QDoubleSpinBox>(f, "SEGap")->setValue(20.4);
  Child<QCheckBox>(f, "ckOrtoLines")->click();
  Child<QCheckBox>(f, "ckSnap")->click();
  Child<QCheckBox>(f, "ckPerpendicularPoint")->click();
  Child<QCheckBox>(f, "ckShowSizes")->click();
  Child<QCheckBox>(f, "ckShowAlignLines")->click();
  Child<QCheckBox>(f, "ckShowRefLines")->click();
  services->colours = {QColor::fromRgba(0xFF102030u), QColor::fromRgba(0x80405060u)};
  Child<TColorSwatch>(f, "shpGridColor")->click();
  Child<TColorSwatch>(f, "shAlignTextColor")->click();
  Child<TColorSwatch>(f, "shpUnitColor")->click();  // cancelled: keeps its colour
  EXPECT_EQ(services->picks, 3);
  const TAlphaColor unitsBefore = v.ed.Grid().GetUnitsColor();

  // Nothing reaches the editor before OK.
  EXPECT_EQ(v.ed.Grid().GetStyle(), gdPoints);
  EXPECT_EQ(v.ed.Grid().GetStepColor(), 0xFFE0E0E0u);

  ASSERT_TRUE(f.WriteBack());
  EXPECT_EQ(v.ed.Grid().GetStyle(), gdLines);
  EXPECT_DOUBLE_EQ(v.ed.Grid().GetIncX(), 7.5);
  EXPECT_DOUBLE_EQ(v.ed.Grid().GetIncY(), 2.5);
  EXPECT_DOUBLE_EQ(v.ed.GetMoveX(), 0.5);
  EXPECT_DOUBLE_EQ(v.ed.GetMoveY(), 0.25);
  EXPECT_EQ(v.ed.GetGap(), 20);
  EXPECT_TRUE(v.ed.GetOrtoLines());
  EXPECT_EQ(v.ed.GetSnap(), snEndPoint | snPerpendicularPoint);
  EXPECT_TRUE(v.ed.Rulers().GetShowSize());
  EXPECT_TRUE(v.ed.Rulers().GetShowAlign());
  EXPECT_FALSE(v.ed.GetShowRefLines());
  EXPECT_EQ(v.ed.Grid().GetStepColor(), 0xFF102030u);
  EXPECT_EQ(v.ed.SelectionColors().AlignText, 0x80405060u);
  EXPECT_EQ(v.ed.Grid().GetUnitsColor(), unitsBefore);
  EXPECT_EQ(v.ed.Rulers().GetVisible(), rvLeft | rvTop | rvBottom);
  // Editor settings are not the document's: no undo step, not modified.
  EXPECT_EQ(v.doc.UndoCount(), 0);
}

TEST(SettingsDialog, CancelChangesNothingAndRulersChangeOneByOne) {
  View v;
  v.ed.Rulers().SetVisible(rvLeft | rvTop | rvRight | rvBottom);
  v.ed.SetSnap(snPoint | snCrossPoint);
  const Snapshot before(v.ed);
  auto services = std::make_shared<TScriptedServices>();
  {
    TfSettings f(nullptr, services);
    f.Ini(&v.doc, &v.ed);
    Child<QRadioButton>(f, "RB3")->click();
    Child<QDoubleSpinBox>(f, "seGridX")->setValue(20);
    Child<QDoubleSpinBox>(f, "seMoveX")->setValue(3);
    Child<QCheckBox>(f, "ckLeftRuler")->click();
    Child<QCheckBox>(f, "ckCrossPoint")->click();
    Child<QCheckBox>(f, "ckOrtoLines")->click();
    services->colours = {QColor(Qt::red)};
    Child<TColorSwatch>(f, "shSizeColor")->click();
    f.reject();
  }
  EXPECT_TRUE(Snapshot(v.ed) == before);

  // Unchecking only the left ruler keeps the other three.
  TfSettings f(nullptr, services);
  f.Ini(&v.doc, &v.ed);
  Child<QCheckBox>(f, "ckLeftRuler")->click();
  ASSERT_TRUE(f.WriteBack());
  EXPECT_EQ(v.ed.Rulers().GetVisible(), rvTop | rvRight | rvBottom);
  EXPECT_EQ(v.ed.GetSnap(), snPoint | snCrossPoint);
}

TEST(SettingsDialog, NoGridButtonMeansNoGrid) {
  View v;
  v.ed.Grid().SetStyle(gdLines);
  TfSettings f(nullptr, std::make_shared<TScriptedServices>());
  f.Ini(&v.doc, &v.ed);
  for (const char* n : {"RB1", "RB2", "RB3"}) {
    auto* rb = Child<QRadioButton>(f, n);
    rb->setAutoExclusive(false);
    rb->setChecked(false);
  }
  EXPECT_EQ(f.GridStyle(), 0);
  ASSERT_TRUE(f.WriteBack());
  EXPECT_EQ(v.ed.Grid().GetStyle(), gdNone);
}

TEST(SettingsDialog, OutOfRangeValuesAreRefusedAndSaid) {
  View v;
  const Snapshot before(v.ed);
  auto services = std::make_shared<TScriptedServices>();
  TfSettings f(nullptr, services);
  f.Ini(&v.doc, &v.ed);
  auto* gridX = Child<QDoubleSpinBox>(f, "seGridX");
  Child<QRadioButton>(f, "RB2")->click();
  gridX->findChild<QLineEdit*>()->setText(QString::number(v.ed.Grid().MaxInc() * 10));
  EXPECT_FALSE(f.Check().isEmpty());
  EXPECT_FALSE(f.WriteBack());
  ASSERT_EQ(services->errors.size(), 1);
  EXPECT_TRUE(services->errors[0].startsWith("Grid X must lie between")) << services->errors[0].toStdString();
  EXPECT_TRUE(Snapshot(v.ed) == before);  // nothing half-written
  f.setResult(-1);
  f.accept();
  EXPECT_EQ(f.result(), -1);
  EXPECT_EQ(services->errors.size(), 2);

  // Leaving the box brings its value back, and says why.
  auto* gap = Child<QDoubleSpinBox>(f, "SEGap");
  gap->findChild<QLineEdit*>()->setText(QStringLiteral("45"));
  gap->interpretText();
  QCoreApplication::processEvents();
  ASSERT_EQ(services->errors.size(), 3);
  EXPECT_TRUE(services->errors[2].contains("0") && services->errors[2].contains("30")) << services->errors[2].toStdString();
  EXPECT_DOUBLE_EQ(gap->value(), v.ed.GetGap());
}

TEST(SettingsDialog, EditSettingsAppliesOnOkOnly) {
  View v;
  v.ed.show();
  const auto answer = [](bool ok) {
    QTimer::singleShot(0, [ok] {
      auto* f = qobject_cast<TfSettings*>(QApplication::activeModalWidget());
      ASSERT_NE(f, nullptr);
      f->findChild<QRadioButton*>("RB2")->click();
      f->findChild<QDoubleSpinBox*>("seGridX")->setValue(4);
      f->findChild<QPushButton*>(ok ? "btnOk" : "btnCancel")->click();
    });
  };
  answer(false);
  v.ed.EditSettings();
  EXPECT_EQ(v.ed.Grid().GetStyle(), gdNone);
  answer(true);
  v.ed.SettingsButton()->click();  // nothing else handles the button: the window opens
  EXPECT_EQ(v.ed.Grid().GetStyle(), gdPoints);
  EXPECT_DOUBLE_EQ(v.ed.Grid().GetIncX(), 4);

  // Without a document there is nothing to set: no window.
  TPLNEditor empty;
  bool opened = false;
  QTimer::singleShot(0, [&] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      opened = true;
      w->close();
    }
  });
  empty.EditSettings();
  QCoreApplication::processEvents();
  EXPECT_FALSE(opened);
}

TEST(SettingsDialog, ScreenshotShowsTheKeyWidgets) {
  View v;
  v.ed.Grid().SetStepColor(0xFF00C000u);
  TfSettings f(nullptr, std::make_shared<TScriptedServices>());
  f.Ini(&v.doc, &v.ed);
  f.adjustSize();
  QImage shot(f.size(), QImage::Format_ARGB32_Premultiplied);
  shot.fill(Qt::transparent);
  f.render(&shot);
  if (!qEnvironmentVariableIsEmpty("PLANORA_SHOT_DIR")) shot.save(qEnvironmentVariable("PLANORA_SHOT_DIR") + "/settings.png");
  const QRect all(QPoint(0, 0), f.size());
  for (const char* n : {"RB1", "RB2", "RB3", "seGridX", "seGridY", "seMoveX", "SEGap", "ckLeftRuler", "ckBottomRuler",
                        "ckPerpendicularPoint", "shpGridColor", "btnOk", "btnCancel"}) {
    auto* w = f.findChild<QWidget*>(QLatin1String(n));
    ASSERT_NE(w, nullptr) << n;
    const QRect r(w->mapTo(&f, QPoint(0, 0)), w->size());
    EXPECT_TRUE(all.contains(r)) << n;
    EXPECT_GT(r.width(), 10) << n;
    EXPECT_TRUE(PlanoraTest::InkInRect(shot, r.adjusted(1, 1, -1, -1))) << n;
  }
  // The grid swatch shows the grid colour.
  auto* swatch = f.findChild<QWidget*>("shpGridColor");
  const QPoint c = swatch->mapTo(&f, swatch->rect().center());
  EXPECT_TRUE(PlanoraTest::ColorAt(shot, c, QColor(0, 0xC0, 0)));
  // No two key controls overlap.
  std::vector<QRect> rects;
  for (const char* n : {"RB1", "RB2", "RB3", "seGridX", "seGridY", "shpGridColor", "shpUnitColor", "seMoveX", "seMoveY", "SEGap"}) {
    auto* w = f.findChild<QWidget*>(QLatin1String(n));
    rects.emplace_back(w->mapTo(&f, QPoint(0, 0)), w->size());
  }
  for (std::size_t i = 0; i < rects.size(); ++i)
    for (std::size_t j = i + 1; j < rects.size(); ++j) EXPECT_FALSE(rects[i].intersects(rects[j])) << i << " " << j;
}

// The line-end defaults belong to the document: written as one undo step, taken by new lines
// and links, and the links' terminator size follows at once.
TEST(SettingsDialog, LineEndDefaultsGoToTheDocumentAndNewItems) {
  View v;
  auto services = std::make_shared<TScriptedServices>();
  services->colours = {QColor(200, 0, 0), QColor(0, 0, 200)};
  TfSettings w(nullptr, services);
  w.Ini(&v.doc, &v.ed);
  auto* size = w.findChild<QDoubleSpinBox*>(QStringLiteral("spinEdTermSize"));
  ASSERT_NE(size, nullptr);
  EXPECT_DOUBLE_EQ(size->value(), 3.0);
  ASSERT_TRUE(w.findChild<TColorSwatch*>(QStringLiteral("shpTermColor"))->Pick());
  ASSERT_TRUE(w.findChild<TColorSwatch*>(QStringLiteral("shpFillTermColor"))->Pick());
  size->setValue(5);
  EXPECT_TRUE(v.doc.Settings() == TPLNSettings()) << "nothing changes before OK";
  ASSERT_TRUE(w.WriteBack());
  EXPECT_EQ(v.doc.Settings().TermColor, QColor(200, 0, 0).rgba());
  EXPECT_EQ(v.doc.Settings().FillTermColor, QColor(0, 0, 200).rgba());
  EXPECT_FLOAT_EQ(v.doc.Settings().GetTermSize(), 5.0f);
  EXPECT_EQ(v.doc.UndoCount(), 1);

  auto* line = dynamic_cast<TORVTerminators*>(TPLNFactory::AddBasePolyLine(&v.doc, {0, 0, 20000, 0, 20000, 9000}));
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->FromColor, QColor(200, 0, 0).rgba());
  EXPECT_FLOAT_EQ(line->SizeTo, 5.0f);
  TPLNBaseItem* a = TPLNFactory::AddBaseRectangle(&v.doc, 0, 10000, 10000, 10000);
  TPLNBaseItem* b = TPLNFactory::AddBaseRectangle(&v.doc, 30000, 10000, 10000, 10000);
  auto* link = dynamic_cast<F2d::TPLNBaseLink*>(TPLNFactory::AddBaseLink(&v.doc, a->GetID(), b->GetID(), 0, 0, F2d::TORVinkType::Direct));
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->GetToColor(), QColor(0, 0, 200).rgba());

  // Undone, the document is back to the defaults; kept in both file formats when set.
  while (v.doc.UndoCount() > 1) v.doc.Undo();
  v.doc.Undo();
  EXPECT_TRUE(v.doc.Settings() == TPLNSettings());
  v.doc.Redo();
  for (const char* name : {"terms.eti", "terms.json"}) {
    const QString file = PlanoraTest::TmpPath(name);
    v.doc.SaveToFile(file, QString::fromLatin1(name).endsWith(".eti") ? TORVExt::Eti : TORVExt::Json);
    TPlanoraFMX back;
    back.LoadFromFile(file);
    EXPECT_TRUE(back.Settings() == v.doc.Settings()) << name;
  }
}
