// The studio's symbol library: opening a library into the dock (remembered for the next start,
// a damaged one refused with the drawing untouched), picking a symbol, placing it with a click or
// a drop as one undo step each, and turning and scaling the selected symbols.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QSettings>

#include "MainWindow.h"
#include "ORV.FMX.Editor.Surface.h"
#include "ORV.FMX.Editor.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.ViewLibrary.h"
#include "ORV.FMX.h"
#include "ORV.Symbol.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Planora::Studio;
using Orv::Symbol::TPLNBaseSymbol;
using Orv::Symbol::TPLNLibrary;
using Orv::Symbol::TPLNLibSymbol;

namespace {

struct TLibServices : TStudioServices {
  QString nextFile;
  int choice = -1;
  QStringList errors;
  QString OpenFileName(QWidget*, const QString&, const QString&) override { return nextFile; }
  QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return nextFile; }
  void Error(QWidget*, const QString&, const QString& text) override { errors << text; }
  TSaveAnswer AskSave(QWidget*, const QString&) override { return TSaveAnswer::Discard; }
  int Choose(QWidget*, const QString&, const QString&, const QStringList&) override { return choice; }
  QString bundled;
  QString BundledFile(const QString&) override { return bundled; }
};

QAction* Act(const TMainWindow& w, const char* name) {
  QAction* a = w.Action(QLatin1String(name));
  EXPECT_NE(a, nullptr) << name;
  return a;
}

// Three symbols in two categories.
QString WriteLibrary(const QString& name) {
  TPLNLibrary lib;
  for (const char* n : {"Valve", "Pump", "Lamp"}) {
    TPLNLibSymbol* s = lib.AddSymbol(QLatin1String(n), QLatin1String(n[0] == 'L' ? "Electric" : "Pipes"), QString(),
                                     TORVUnits::mm, 0, 0);
    s->Rectangle(-5, -5, 5, 5);
    s->Line(-5, -5, 5, 5);
  }
  const QString path = PlanoraTest::TmpPath(name);
  lib.SaveToFile(path);
  return path;
}

TPLNBaseSymbol* SymbolItem(TPlanoraFMX& doc, int i) { return dynamic_cast<TPLNBaseSymbol*>(doc.GetItem(i)); }

void Click(QWidget* on, QPointF at) {
  QMouseEvent press(QEvent::MouseButtonPress, at, on->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, on->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(on, &press);
  QCoreApplication::sendEvent(on, &release);
}

}  // namespace

TEST(StudioLibrary, OpenPickAndPlaceByClickAndByDrop) {
  QSettings().clear();
  const QString file = WriteLibrary(QStringLiteral("studio.lyp"));
  auto services = std::make_shared<TLibServices>();
  TMainWindow w(services);
  w.resize(1200, 900);
  w.show();
  TPlanoraFMX& doc = w.Document();
  TPLNViewLibrary* view = w.LibraryView();
  ASSERT_NE(view, nullptr);

  services->nextFile = file;
  Act(w, "fileOpenLibrary")->trigger();
  EXPECT_TRUE(services->errors.isEmpty()) << services->errors.join(QLatin1Char('\n')).toStdString();
  ASSERT_EQ(view->SymbolCount(), 3);
  auto* category = w.findChild<QComboBox*>(QStringLiteral("libraryCategory"));
  ASSERT_NE(category, nullptr);
  EXPECT_EQ(category->count(), 3);  // all, Electric, Pipes
  category->setCurrentIndex(category->findText(QStringLiteral("Pipes")));
  EXPECT_EQ(view->SymbolCount(), 2);
  auto* search = w.findChild<QLineEdit*>(QStringLiteral("librarySearch"));
  ASSERT_NE(search, nullptr);
  search->setText(QStringLiteral("pu"));
  ASSERT_EQ(view->SymbolCount(), 1);
  EXPECT_EQ(view->ShownSymbol(1)->Name, QStringLiteral("Pump"));

  // A click on the symbol: the drawing's current symbol is a copy of it; the place tool is armed.
  EXPECT_FALSE(w.PlacingSymbol());
  view->resize(300, 300);
  Click(view, view->CellRect(1).center());
  ASSERT_NE(doc.GetCurrentSymbol(), nullptr);
  EXPECT_EQ(doc.GetCurrentSymbol()->Guid, view->ShownSymbol(1)->Guid);
  EXPECT_EQ(doc.GetCurrentSymbol()->Name, QStringLiteral("Pump"));
  EXPECT_NE(static_cast<const void*>(doc.GetCurrentSymbol()), static_cast<const void*>(view->ShownSymbol(1)));
  EXPECT_TRUE(w.PlacingSymbol());

  // A click on the page places it there, as one undo step; the tool stays for the next one.
  TPLNBackEditor* surface = w.Editor().Surface();
  const QPointF at(surface->width() / 3, surface->height() / 3);
  const TORVPto atBase{surface->BaseMMX(at.x()), surface->BaseMMY(at.y())};
  ASSERT_TRUE(atBase.X > 0 && atBase.X < surface->PageBaseWidth() && atBase.Y > 0 && atBase.Y < surface->PageBaseHeight())
      << atBase.X << ", " << atBase.Y;
  const int before = doc.GetItemsCount();
  Click(surface, at);
  ASSERT_EQ(doc.GetItemsCount(), before + 1);
  TPLNBaseSymbol* placed = SymbolItem(doc, doc.GetItemsCount());
  ASSERT_NE(placed, nullptr);
  EXPECT_EQ(placed->GetSymbolGuid(), doc.GetCurrentSymbol()->Guid);
  EXPECT_EQ(placed->GetPoint(1), atBase);
  EXPECT_TRUE(w.PlacingSymbol());
  doc.Undo();
  EXPECT_EQ(doc.GetItemsCount(), before);

  // With grid snapping on, the symbol lands on the grid point nearest the click.
  w.Editor().SetSnap(snGrid);
  const QPointF offGrid = at + QPointF(3.3, 2.7);
  Click(surface, offGrid);
  ASSERT_EQ(doc.GetItemsCount(), before + 1);
  const TORVPto snapped = SymbolItem(doc, doc.GetItemsCount())->GetPoint(1);
  EXPECT_EQ(snapped, surface->GridPoint(offGrid));
  EXPECT_EQ(snapped.X % w.Editor().Grid().BaseIncX(), 0);
  EXPECT_EQ(snapped.Y % w.Editor().Grid().BaseIncY(), 0);
  EXPECT_NE(snapped, (TORVPto{surface->BaseMMX(offGrid.x()), surface->BaseMMY(offGrid.y())}));
  doc.Undo();
  w.Editor().SetSnap(0);

  // Esc ends placing: a click is the editor's again and places nothing.
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(surface, &esc);
  EXPECT_FALSE(w.PlacingSymbol());
  Click(surface, at);
  EXPECT_EQ(doc.GetItemsCount(), before);

  // A symbol dragged from the view lands where it is dropped, even one not picked before.
  search->clear();
  category->setCurrentIndex(0);
  const TPLNLibSymbol* lamp = view->Library().FindByName(QStringLiteral("Lamp"));
  ASSERT_NE(lamp, nullptr);
  std::unique_ptr<QMimeData> mime(TPLNBaseViewLib::SymbolMime(lamp->Guid, file));
  const QPointF dropAt(surface->width() / 2, surface->height() / 2);
  const TORVPto dropBase{surface->BaseMMX(dropAt.x()), surface->BaseMMY(dropAt.y())};
  ASSERT_NE(dropBase, atBase);
  QDragEnterEvent enter(dropAt.toPoint(), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(surface, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(dropAt, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(surface, &drop);
  ASSERT_EQ(doc.GetItemsCount(), before + 1);
  placed = SymbolItem(doc, doc.GetItemsCount());
  ASSERT_NE(placed, nullptr);
  EXPECT_EQ(placed->GetSymbolGuid(), Symbol::NormalizeGuid(lamp->Guid));
  ASSERT_NE(placed->GetSymbol(), nullptr);
  EXPECT_EQ(placed->GetSymbol()->Name, QStringLiteral("Lamp"));
  EXPECT_EQ(placed->GetPoint(1), dropBase);
  doc.Undo();
  EXPECT_EQ(doc.GetItemsCount(), before);

  // Dropped from a library the dock does not show: read from its file.
  const QString other = WriteLibrary(QStringLiteral("other.lyp"));
  TPLNLibrary otherLib;
  otherLib.LoadFromFile(other);
  std::unique_ptr<QMimeData> otherMime(TPLNBaseViewLib::SymbolMime(otherLib.Symbols[0]->Guid, other));
  // Qt hands a drop to the widget that took the drag's entry.
  QDragEnterEvent enter2(dropAt.toPoint(), Qt::CopyAction, otherMime.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(surface, &enter2);
  QDropEvent drop2(dropAt, Qt::CopyAction, otherMime.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(surface, &drop2);
  ASSERT_EQ(doc.GetItemsCount(), before + 1) << services->errors.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(SymbolItem(doc, doc.GetItemsCount())->GetSymbolGuid(), Symbol::NormalizeGuid(otherLib.Symbols[0]->Guid));

  // The next window opens the same library at start; before any was opened, the bundled one.
  auto shipped = std::make_shared<TLibServices>();
  shipped->bundled = WriteLibrary(QStringLiteral("bundled.lyp"));
  TMainWindow next(shipped);
  EXPECT_EQ(next.LibraryView()->LibraryName(), QFileInfo(file).absoluteFilePath());
  EXPECT_EQ(next.LibraryView()->SymbolCount(), 3);
  QSettings().clear();
  TMainWindow first(shipped);
  EXPECT_EQ(first.LibraryView()->LibraryName(), QFileInfo(shipped->bundled).absoluteFilePath());
  EXPECT_EQ(first.findChild<QComboBox*>(QStringLiteral("libraryCategory"))->count(), 3);
}

TEST(StudioLibrary, DamagedLibraryIsRefusedAndNothingChanges) {
  QSettings().clear();
  const QString good = WriteLibrary(QStringLiteral("kept.lyp"));
  auto services = std::make_shared<TLibServices>();
  TMainWindow w(services);
  TPlanoraFMX& doc = w.Document();
  ASSERT_TRUE(w.OpenSymbolLibrary(good));
  ASSERT_TRUE(w.PickLibrarySymbol(2));
  const QString current = doc.GetCurrentSymbol()->Guid;
  const int symbols = doc.GetSymbolsCount();
  TPLNFactory::AddBaseRectangle(&doc, 0, 0, 10000, 10000);
  const int items = doc.GetItemsCount();

  QByteArray bytes = PlanoraTest::ReadAll(good);
  bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x5A);
  const QString bad = PlanoraTest::TmpPath(QStringLiteral("flipped.lyp"));
  PlanoraTest::WriteAll(bad, bytes.left(bytes.size() - 7));
  services->nextFile = bad;
  Act(w, "fileOpenLibrary")->trigger();
  ASSERT_EQ(services->errors.size(), 1);
  EXPECT_TRUE(services->errors[0].contains(QStringLiteral("flipped.lyp"))) << services->errors[0].toStdString();
  EXPECT_EQ(w.LibraryView()->LibraryName(), QFileInfo(good).absoluteFilePath());
  EXPECT_EQ(w.LibraryView()->SymbolCount(), 3);
  EXPECT_EQ(doc.GetItemsCount(), items);
  EXPECT_EQ(doc.GetSymbolsCount(), symbols);
  EXPECT_EQ(doc.GetCurrentSymbol()->Guid, current);
  EXPECT_EQ(QSettings().value(QStringLiteral("symbols/lastLibrary")).toString(), QFileInfo(good).absoluteFilePath());
  EXPECT_FALSE(w.PickLibrarySymbol(9));
}

TEST(StudioLibrary, RotateAndScaleTheSelectedSymbols) {
  QSettings().clear();
  auto services = std::make_shared<TLibServices>();
  TMainWindow w(services);
  TPlanoraFMX& doc = w.Document();
  ASSERT_TRUE(w.OpenSymbolLibrary(WriteLibrary(QStringLiteral("turn.lyp"))));
  ASSERT_TRUE(w.PickLibrarySymbol(1));
  auto* a = dynamic_cast<TPLNBaseSymbol*>(w.PlaceSymbolAt(10000, 10000));
  auto* b = dynamic_cast<TPLNBaseSymbol*>(w.PlaceSymbolAt(30000, 10000));
  auto* c = dynamic_cast<TPLNBaseSymbol*>(w.PlaceSymbolAt(50000, 10000));
  ASSERT_TRUE(a && b && c);
  TPLNBaseItem* box = TPLNFactory::AddBaseRectangle(&doc, 0, 40000, 10000, 10000);
  doc.ClearUndo();

  // Nothing selected, or only other items: nothing to turn.
  doc.ClearSelection();
  EXPECT_FALSE(w.RotateSelectedSymbols(true));
  doc.Select(box);
  EXPECT_FALSE(w.RotateSelectedSymbols(true));
  EXPECT_FALSE(doc.CanUndo());

  doc.ClearSelection();
  doc.Select(a);
  doc.Select(b);
  Act(w, "symbolRotateLeft")->trigger();
  EXPECT_NEAR(a->GetAngleDeg(), 270, 1e-9);
  EXPECT_NEAR(b->GetAngleDeg(), 270, 1e-9);
  EXPECT_NEAR(c->GetAngleDeg(), 0, 1e-9);
  Act(w, "symbolRotateRight")->trigger();
  Act(w, "symbolRotateRight")->trigger();
  EXPECT_NEAR(a->GetAngleDeg(), 90, 1e-9);
  doc.Undo();
  EXPECT_NEAR(a->GetAngleDeg(), 0, 1e-9);
  EXPECT_NEAR(b->GetAngleDeg(), 0, 1e-9);
  doc.Undo();
  EXPECT_NEAR(a->GetAngleDeg(), 270, 1e-9);

  // Their keys are their own and do not clash with another command's.
  EXPECT_FALSE(Act(w, "symbolRotateLeft")->shortcut().isEmpty());
  EXPECT_NE(Act(w, "symbolRotateLeft")->shortcut(), Act(w, "symbolRotateRight")->shortcut());

  // Scale: the chosen factor, one undo step; a cancelled choice changes nothing.
  services->choice = -1;
  Act(w, "symbolScale")->trigger();
  EXPECT_FLOAT_EQ(a->GetScale(), 1);
  services->choice = 5;  // 200 %
  Act(w, "symbolScale")->trigger();
  EXPECT_FLOAT_EQ(a->GetScale(), 2);
  EXPECT_FLOAT_EQ(b->GetScale(), 2);
  EXPECT_FLOAT_EQ(c->GetScale(), 1);
  doc.Undo();
  EXPECT_FLOAT_EQ(a->GetScale(), 1);
  EXPECT_FLOAT_EQ(b->GetScale(), 1);
}
