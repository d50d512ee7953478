// The symbol library view: the grid's shape and hit testing, narrowing by category and name,
// thumbnails that show the symbol fitted in its cell and are drawn only for the cells in view,
// a damaged library refused without losing what is shown, drag data, and the choice window.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTreeWidget>

#include "ORV.Base.h"
#include "ORV.FMX.SelSymbol.h"
#include "ORV.FMX.ViewLibrary.h"
#include "ORV.Symbol.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using Orv::Symbol::TPLNLibrary;
using Orv::Symbol::TPLNLibSymbol;

namespace {

// A filled black box of w x h mm whose insertion point lies at (ix, iy) in symbol coordinates.
TPLNLibSymbol* AddBox(TPLNLibrary& lib, const QString& name, const QString& category, double w = 10, double h = 10,
                      double ix = 0, double iy = 0) {
  TPLNLibSymbol* s = lib.AddSymbol(name, category, QString(), TORVUnits::mm, ix, iy);
  s->BackColor(kBlack);
  s->Filled(true);
  s->LineWidth(0);
  s->Rectangle(0, 0, w, h);
  return s;
}

QString SaveLibrary(const TPLNLibrary& lib, const QString& name) {
  const QString path = PlanoraTest::TmpPath(name);
  lib.SaveToFile(path);
  return path;
}

QString ManyBoxes(int n, const QString& name) {
  TPLNLibrary lib;
  for (int i = 0; i < n; ++i) AddBox(lib, QStringLiteral("Box %1").arg(i + 1), QStringLiteral("Boxes"));
  return SaveLibrary(lib, name);
}

// The dark pixels' bounding box in an image.
QRect DarkBox(const QImage& img) {
  QRect r;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (PlanoraTest::Dark(img, x, y)) r |= QRect(x, y, 1, 1);
  return r;
}

}  // namespace

TEST(ViewLibrary, GridShapeScrollBarAndHitTesting) {
  const QString file = ManyBoxes(10, QStringLiteral("ten.lyp"));
  TPLNViewLibrary view;
  view.resize(300, 370);
  view.show();  // resizes of a shown view lay the grid out again
  ASSERT_EQ(view.LoadSymbols(file), QString());
  EXPECT_EQ(view.SymbolCount(), 10);
  EXPECT_EQ(view.Columns(), 3);
  EXPECT_EQ(view.Rows(), 4);
  EXPECT_FALSE(view.GetVertScrollBarVisible());
  // Centred: the grid is 3 x 80 + 4 x 10 = 280 wide in 300.
  EXPECT_EQ(view.OriginX(), 10);
  EXPECT_EQ(view.ContentHeight(), 4 * 80 + 5 * 10);

  // Cell 1 spans x 10..89, the gap right of it 90..99 still belongs to it; rows are 10..89,
  // 100..179: y 95 is the gap between rows.
  EXPECT_EQ(view.IndexAt({15, 15}), 1);
  EXPECT_EQ(view.IndexAt({95, 15}), 1);
  EXPECT_EQ(view.IndexAt({105, 15}), 2);
  EXPECT_EQ(view.IndexAt({15, 95}), 0);
  EXPECT_EQ(view.IndexAt({15, 105}), 4);
  EXPECT_EQ(view.IndexAt({5, 15}), 0);     // left of the grid
  EXPECT_EQ(view.IndexAt({105, 285}), 0);  // row 4, column 2 would be symbol 11
  EXPECT_EQ(view.IndexAt({15, 285}), 10);
  EXPECT_EQ(view.IndexAt({200, 285}), 0);  // past the last symbol
  EXPECT_EQ(view.CellRect(5), QRect(100, 100, 80, 80));

  // Narrower than one cell and two gaps: still one column.
  view.resize(50, 2000);
  EXPECT_EQ(view.Columns(), 1);
  EXPECT_EQ(view.Rows(), 10);

  // Too low for the rows: the bar shows and scrolling moves the hit rows with it.
  view.resize(300, 200);
  EXPECT_TRUE(view.GetVertScrollBarVisible());
  EXPECT_TRUE(view.VertScrollBar()->isVisibleTo(&view));
  view.VertScrollBar()->setValue(1);
  EXPECT_EQ(view.DMY(), -90);
  EXPECT_EQ(view.IndexAt({15, 15}), view.Columns() + 1);
}

TEST(ViewLibrary, CategoryAndSearchNarrowTheSymbolsShown) {
  TPLNLibrary lib;
  AddBox(lib, QStringLiteral("Switch"), QStringLiteral("Electric/Switches"));
  AddBox(lib, QStringLiteral("Lamp"), QStringLiteral("Electric/Lamps"));
  AddBox(lib, QStringLiteral("Ball valve"), QStringLiteral("Pipes"));
  AddBox(lib, QStringLiteral("Gate valve"), QStringLiteral("Pipes"));
  AddBox(lib, QStringLiteral("Electrics"), QStringLiteral("ElectricCars"));
  const QString file = SaveLibrary(lib, QStringLiteral("mixed.lyp"));
  TPLNViewLibrary view;
  view.resize(400, 400);
  ASSERT_EQ(view.LoadSymbols(file, QStringLiteral("Pipes")), QString());
  const auto names = [&view] {
    QStringList out;
    for (int k = 1; k <= view.SymbolCount(); ++k) out << view.ShownSymbol(k)->Name;
    return out;
  };
  EXPECT_EQ(names(), (QStringList{"Ball valve", "Gate valve"}));
  EXPECT_EQ(view.Categories(), (QStringList{"Electric/Lamps", "Electric/Switches", "ElectricCars", "Pipes"}));

  // A category holds its sub-categories, but not a category that merely starts alike.
  view.SetCategory(QStringLiteral("electric"));
  EXPECT_EQ(names(), (QStringList{"Switch", "Lamp"}));
  view.SetCategory(QStringLiteral("Electric/Lamps"));
  EXPECT_EQ(names(), (QStringList{"Lamp"}));
  view.SetCategory(QStringLiteral("*"));
  EXPECT_EQ(view.SymbolCount(), 5);

  // The search looks at names, without case, within the category.
  view.SetSelected(3);
  view.SetSearchText(QStringLiteral("VALVE"));
  EXPECT_EQ(names(), (QStringList{"Ball valve", "Gate valve"}));
  EXPECT_EQ(view.Selected(), 0);  // the shown list changed: the old number means another symbol
  view.SetCategory(QStringLiteral("Electric"));
  EXPECT_EQ(view.SymbolCount(), 0);
  EXPECT_EQ(view.Columns(), 0);
  EXPECT_EQ(view.GetSelection(), nullptr);
  view.SetSearchText(QString());
  EXPECT_EQ(view.SymbolCount(), 2);
}

TEST(ViewLibrary, PreviewsShowTheSymbolFittedAndOnlyVisibleCellsAreDrawn) {
  TPLNLibrary lib;
  // Tall and narrow, with its insertion point outside its drawing: it must still fill the
  // cell's height (less the margins) and sit in the middle across.
  AddBox(lib, QStringLiteral("Tall"), QString(), 10, 40, -30, -50);
  AddBox(lib, QStringLiteral("Wide"), QString(), 40, 10);
  const QString file = SaveLibrary(lib, QStringLiteral("shapes.lyp"));
  TPLNViewLibrary view;
  view.resize(300, 300);
  ASSERT_EQ(view.LoadSymbols(file), QString());

  // Names take a caption line under the drawing; without them the drawing has the whole cell.
  for (bool names : {true, false}) {
    SCOPED_TRACE(names ? "with names" : "without names");
    view.SetShowNames(names);
    const int h = view.PreviewRect().height();
    EXPECT_EQ(h == 80, !names) << h;
    EXPECT_GE(h, 40);
    const QImage tall = view.Preview(1);
    ASSERT_EQ(tall.size(), QSize(80, h));
    const QRect t = DarkBox(tall);
    ASSERT_FALSE(t.isEmpty()) << "blank preview";
    EXPECT_NEAR(t.top(), 5, 1);
    EXPECT_NEAR(t.bottom(), h - 6, 1);
    EXPECT_NEAR(t.width(), (h - 10) / 4.0, 2);
    EXPECT_NEAR(t.center().x(), 40, 1.5);
    const QRect w = DarkBox(view.Preview(2));
    ASSERT_FALSE(w.isEmpty()) << "blank preview";
    EXPECT_NEAR(w.left(), 5, 1);
    EXPECT_NEAR(w.right(), 74, 1);
    EXPECT_NEAR(w.center().y(), h / 2.0, 1.5);
  }

  // Kept once drawn.
  const int drawn = view.PreviewsDrawn();
  view.Preview(1);
  EXPECT_EQ(view.PreviewsDrawn(), drawn);

  // A long library: painting draws the thumbnails of the cells in view, not all of them, and
  // the grabbed view shows them (frames and symbols, not a blank widget).
  TPLNViewLibrary big;
  big.resize(380, 400);
  ASSERT_EQ(big.LoadSymbols(ManyBoxes(1000, QStringLiteral("thousand.lyp"))), QString());
  EXPECT_EQ(big.SymbolCount(), 1000);
  const QImage shot = big.grab().toImage();
  EXPECT_GT(big.PreviewsDrawn(), 0);
  EXPECT_LE(big.PreviewsDrawn(), big.Columns() * 5);
  const QRect cell = big.CellRect(1);
  EXPECT_TRUE(PlanoraTest::Dark(shot, cell.center().x(), cell.center().y()));
}

TEST(ViewLibrary, DamagedLibraryIsRefusedAndTheViewKeepsWhatItShowed) {
  const QString good = ManyBoxes(3, QStringLiteral("good.lyp"));
  TPLNViewLibrary view;
  view.resize(300, 300);
  ASSERT_EQ(view.LoadSymbols(good), QString());
  view.SetSelected(2);
  const QString guid = view.GetSelection()->Guid;

  QByteArray bytes = PlanoraTest::ReadAll(good);
  const QString cut = PlanoraTest::TmpPath(QStringLiteral("cut.lyp"));
  PlanoraTest::WriteAll(cut, bytes.left(bytes.size() / 2));
  const QString junk = PlanoraTest::TmpPath(QStringLiteral("junk.lyp"));
  PlanoraTest::WriteAll(junk, QByteArray("this is not a symbol library at all"));
  for (const QString& bad : {cut, junk, PlanoraTest::TmpPath(QStringLiteral("missing.lyp"))}) {
    SCOPED_TRACE(bad.toStdString());
    EXPECT_FALSE(view.LoadSymbols(bad).isEmpty());
    EXPECT_EQ(view.SymbolCount(), 3);
    EXPECT_EQ(view.LibraryName(), QFileInfo(good).absoluteFilePath());
    ASSERT_NE(view.GetSelection(), nullptr);
    EXPECT_EQ(view.GetSelection()->Guid, guid);
  }
  EXPECT_TRUE(view.GetCatList(junk).isEmpty());
  EXPECT_EQ(view.GetCatList(good), QStringLiteral("Boxes"));
}

TEST(ViewLibrary, ClickSelectsHoverReportsAndDragDataRoundTrips) {
  const QString file = ManyBoxes(4, QStringLiteral("four.lyp"));
  TPLNViewLibrary view;
  view.resize(300, 300);
  ASSERT_EQ(view.LoadSymbols(file), QString());
  std::vector<int> clicked;
  std::vector<QStringList> hover;
  QObject::connect(&view, &TPLNBaseViewLib::SymbolClicked, [&](int k) { clicked.push_back(k); });
  QObject::connect(&view, &TPLNBaseViewLib::ChangePos,
                   [&](const QString& n, const QString& g, const QString& u) { hover.push_back({n, g, u}); });

  QMouseEvent move(QEvent::MouseMove, QPointF(105, 15), QPointF(105, 15), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&view, &move);
  ASSERT_EQ(int(hover.size()), 1);
  EXPECT_EQ(hover[0][0], QStringLiteral("Box 2"));
  EXPECT_EQ(hover[0][1], view.ShownSymbol(2)->Guid);
  QCoreApplication::sendEvent(&view, &move);  // the same symbol again: no new report
  EXPECT_EQ(int(hover.size()), 1);
  QMouseEvent gap(QEvent::MouseMove, QPointF(15, 95), QPointF(15, 95), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&view, &gap);
  ASSERT_EQ(int(hover.size()), 2);
  EXPECT_TRUE(hover[1][0].isEmpty());

  QMouseEvent press(QEvent::MouseButtonPress, QPointF(195, 15), QPointF(195, 15), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(&view, &press);
  ASSERT_EQ(int(clicked.size()), 1);
  EXPECT_EQ(clicked[0], 3);
  EXPECT_EQ(view.Selected(), 3);
  EXPECT_EQ(view.GetSelection()->Name, QStringLiteral("Box 3"));

  std::unique_ptr<QMimeData> mime(TPLNBaseViewLib::SymbolMime(view.GetSelection()->Guid, file));
  QString guid, path;
  ASSERT_TRUE(TPLNBaseViewLib::ReadSymbolMime(mime.get(), guid, path));
  EXPECT_EQ(guid, view.GetSelection()->Guid);
  EXPECT_EQ(path, file);
  QMimeData foreign;
  foreign.setText(guid);
  EXPECT_FALSE(TPLNBaseViewLib::ReadSymbolMime(&foreign, guid, path));
  QMimeData broken;
  broken.setData(TPLNBaseViewLib::kMimeType, R"({"guid":"not a guid","library":"x.lyp"})");
  EXPECT_FALSE(TPLNBaseViewLib::ReadSymbolMime(&broken, guid, path));
}

TEST(SelSymbol, TreeOfLibrariesAndChoosingASymbol) {
  QDir dir(PlanoraTest::TmpDir(QStringLiteral("libs")));
  dir.removeRecursively();
  dir.mkpath(QStringLiteral("."));
  dir.mkpath(QStringLiteral("sub"));
  {
    TPLNLibrary one, two, deep;
    AddBox(one, QStringLiteral("b1"), QStringLiteral("A/B"));
    AddBox(one, QStringLiteral("c1"), QStringLiteral("A/C"));
    AddBox(two, QStringLiteral("a2"), QStringLiteral("A"));
    AddBox(deep, QStringLiteral("hidden"), QStringLiteral("Deep"));
    one.SaveToFile(dir.filePath(QStringLiteral("one.lyp")));
    two.SaveToFile(dir.filePath(QStringLiteral("two.lyp")));
    deep.SaveToFile(dir.filePath(QStringLiteral("sub/deep.lyp")));
  }
  TPLNBaseLabel doc;
  TfSelSymbol dialog;
  dialog.Ini(&doc, dir.path());
  QTreeWidget* tree = dialog.Tree();
  // No own symbols: no item for the drawing. Subfolders are not searched.
  ASSERT_EQ(dialog.Libraries().size(), 2u);
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  QTreeWidgetItem* a1 = tree->topLevelItem(0);
  QTreeWidgetItem* a2 = tree->topLevelItem(1);
  EXPECT_EQ(a1->text(0), QStringLiteral("A"));
  EXPECT_EQ(a2->text(0), QStringLiteral("A"));
  ASSERT_EQ(a1->childCount(), 2);
  EXPECT_EQ(a1->child(0)->text(0), QStringLiteral("B"));
  EXPECT_EQ(a1->child(1)->text(0), QStringLiteral("C"));
  EXPECT_EQ(a2->childCount(), 0);
  EXPECT_TRUE(dialog.ItemFile(a1).endsWith(QStringLiteral("one.lyp")));
  EXPECT_TRUE(dialog.ItemFile(a2).endsWith(QStringLiteral("two.lyp")));
  EXPECT_EQ(TfSelSymbol::ItemCategory(a1->child(1)), QStringLiteral("A/C"));

  // Choosing a tree item shows that category of that library.
  dialog.View()->resize(400, 400);
  tree->setCurrentItem(a1->child(1));
  ASSERT_EQ(dialog.View()->SymbolCount(), 1);
  EXPECT_EQ(dialog.View()->ShownSymbol(1)->Name, QStringLiteral("c1"));
  tree->setCurrentItem(a2);
  ASSERT_EQ(dialog.View()->SymbolCount(), 1);
  EXPECT_EQ(dialog.View()->ShownSymbol(1)->Name, QStringLiteral("a2"));

  // Nothing selected: nothing to accept. Selected: the drawing gets a copy as current symbol.
  EXPECT_FALSE(dialog.Accept());
  EXPECT_EQ(doc.GetSymbolsCount(), 0);
  dialog.View()->SetSelected(1);
  ASSERT_TRUE(dialog.Accept());
  ASSERT_EQ(doc.GetSymbolsCount(), 1);
  ASSERT_NE(doc.GetCurrentSymbol(), nullptr);
  EXPECT_EQ(doc.GetCurrentSymbol()->Guid, dialog.View()->GetSelection()->Guid);
  EXPECT_NE(static_cast<const void*>(doc.GetCurrentSymbol()), static_cast<const void*>(dialog.View()->GetSelection()));

  // Now the drawing has symbols of its own: they head the tree and can be listed. The
  // document's library event leaves libraries out, asked once per file with the flag set.
  QStringList asked;
  doc.OnReadSymEvent = [&asked](const QString& f, bool& accept) {
    asked << QFileInfo(f).fileName() + (accept ? QStringLiteral("+") : QStringLiteral("-"));
    accept = !f.endsWith(QStringLiteral("two.lyp"));
  };
  TfSelSymbol again;
  again.Ini(&doc, dir.path());
  asked.sort();
  EXPECT_EQ(asked, QStringList({QStringLiteral("one.lyp+"), QStringLiteral("two.lyp+")}));
  ASSERT_EQ(again.Tree()->topLevelItemCount(), 2);
  EXPECT_EQ(again.Tree()->topLevelItem(0)->data(0, Qt::UserRole).toInt(), -1);
  again.View()->resize(400, 400);
  again.Tree()->setCurrentItem(again.Tree()->topLevelItem(0));
  ASSERT_EQ(again.View()->SymbolCount(), 1);
  EXPECT_EQ(again.View()->ShownSymbol(1)->Name, QStringLiteral("a2"));
}
