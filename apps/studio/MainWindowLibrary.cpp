// The studio's symbol library: a dock listing a ".lyp" library, the tool that places the picked
// symbol with a click or where it is dropped, and the quarter turns and scale of placed symbols.
#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QSettings>
#include <QStatusBar>
#include <QVBoxLayout>
#include <functional>

#include "MainWindow.h"
#include "ORV.FMX.Editor.Surface.h"
#include "ORV.FMX.Editor.h"
#include "ORV.FMX.SelSymbol.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.ViewLibrary.h"
#include "ORV.FMX.h"
#include "ORV.Symbol.h"
#include "StudioTexts.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace Planora::Studio {

namespace {

const QString kLastLibraryKey = QStringLiteral("symbols/lastLibrary");

std::vector<Symbol::TPLNBaseSymbol*> SelectedSymbols(TPlanoraFMX& doc) {
  std::vector<Symbol::TPLNBaseSymbol*> out;
  for (int i = 1; i <= doc.GetSelectionCount(); ++i)
    if (auto* s = dynamic_cast<Symbol::TPLNBaseSymbol*>(doc.GetSelection(i))) out.push_back(s);
  return out;
}

}  // namespace

void TMainWindow::BuildLibraryDock() {
  auto* dock = new QDockWidget(KeyTxt("SymbolLibrary"), this);
  dock->setObjectName(QStringLiteral("libraryDock"));
  auto* panel = new QWidget(dock);
  auto* box = new QVBoxLayout(panel);
  box->setContentsMargins(4, 4, 4, 4);
  auto* category = new QComboBox(panel);
  category->setObjectName(QStringLiteral("libraryCategory"));
  auto* search = new QLineEdit(panel);
  search->setObjectName(QStringLiteral("librarySearch"));
  search->setPlaceholderText(KeyTxt("SearchByName"));
  search->setClearButtonEnabled(true);
  fLibraryView = new TPLNViewLibrary(panel);
  fLibraryView->setObjectName(QStringLiteral("libraryView"));
  fLibraryView->SetLabel(fDoc.get());
  // Two columns of thumbnails and the scroll bar.
  fLibraryView->setMinimumSize(2 * fLibraryView->CellWidth() + 3 * fLibraryView->Gap() + 24, 200);
  box->addWidget(category);
  box->addWidget(search);
  box->addWidget(fLibraryView, 1);
  dock->setWidget(panel);
  addDockWidget(Qt::RightDockWidgetArea, dock);

  // The category list follows the library shown; the first entry shows them all.
  connect(category, &QComboBox::currentIndexChanged, this, [this, category](int i) {
    fLibraryView->SetCategory(i <= 0 ? QStringLiteral("*") : category->itemText(i));
  });
  connect(search, &QLineEdit::textChanged, fLibraryView, &TPLNBaseViewLib::SetSearchText);
  connect(fLibraryView, &TPLNBaseViewLib::SymbolClicked, this, [this](int k) { PickLibrarySymbol(k); });
  connect(fLibraryView, &TPLNBaseViewLib::ChangePos, this, [this](const QString& name, const QString&, const QString&) {
    if (!name.isEmpty()) statusBar()->showMessage(name, 3000);
  });

  // File menu: next to the import, where opening things lives.
  QMenu* file = menuBar()->findChild<QMenu*>(QStringLiteral("fileMenu"));
  QAction* open = new QAction(KeyTxt("MenuOpenLibrary"), this);
  open->setObjectName(QStringLiteral("fileOpenLibrary"));
  connect(open, &QAction::triggered, this, [this] {
    const QString f = fServices->OpenFileName(this, Txt("TitleOpenLibrary"), Txt("FilterLibraries"));
    if (!f.isEmpty()) OpenSymbolLibrary(f);
  });
  if (file) {
    const QList<QAction*> items = file->actions();
    QAction* before = nullptr;
    for (int i = 0; i + 1 < items.size(); ++i)
      if (items[i]->objectName() == QLatin1String("fileImport")) before = items[i + 1];
    file->insertAction(before, open);
  }

  QMenu* menu = menuBar()->addMenu(KeyTxt("MenuSymbols"));
  menu->setObjectName(QStringLiteral("symbolMenu"));
  menu->addAction(open);
  QAction* choose = menu->addAction(KeyTxt("MenuChooseSymbol"), this, [this] {
    // The window lists every library beside the last one opened.
    const QString last = QSettings().value(kLastLibraryKey).toString();
    TfSelSymbol dialog(this);
    dialog.Ini(fDoc.get(), last.isEmpty() ? QString() : QFileInfo(last).absolutePath());
    if (dialog.Execute() && fDoc->GetCurrentSymbol()) {
      fDoc->ResetAction();
      fSymbolTool->setChecked(true);
    }
  });
  choose->setObjectName(QStringLiteral("symbolChoose"));
  fSymbolTool = menu->addAction(KeyTxt("MenuPlaceSymbol"));
  fSymbolTool->setObjectName(QStringLiteral("toolSymbol"));
  fSymbolTool->setCheckable(true);
  connect(fSymbolTool, &QAction::toggled, this, [this](bool on) {
    if (!on) return;
    if (!fDoc->GetCurrentSymbol()) {
      fSymbolTool->setChecked(false);
      statusBar()->showMessage(Txt("StPickSymbol"), 4000);
      return;
    }
    // The editor must not draw or select while the clicks place symbols.
    fDoc->ResetAction();
    statusBar()->showMessage(Txt("HintSymbol"));
  });
  // Any palette tool ends the placing.
  connect(fToolGroup, &QActionGroup::triggered, this, [this] { fSymbolTool->setChecked(false); });
  menu->addSeparator();
  QAction* left = menu->addAction(KeyTxt("MenuRotateLeft"), this, [this] { RotateSelectedSymbols(true); });
  left->setObjectName(QStringLiteral("symbolRotateLeft"));
  left->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketLeft));
  QAction* right = menu->addAction(KeyTxt("MenuRotateRight"), this, [this] { RotateSelectedSymbols(false); });
  right->setObjectName(QStringLiteral("symbolRotateRight"));
  right->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketRight));
  QAction* scale = menu->addAction(KeyTxt("MenuScale"), this, [this] {
    static const double kScales[] = {0.25, 0.5, 0.75, 1, 1.5, 2, 3, 4};
    QStringList names;
    for (double s : kScales) names << QStringLiteral("%1 %").arg(s * 100);
    const int i = fServices->Choose(this, Txt("StepScale"), Txt("AskSymbolScale"), names);
    if (i >= 0 && i < int(std::size(kScales))) ScaleSelectedSymbols(kScales[i]);
  });
  scale->setObjectName(QStringLiteral("symbolScale"));
  menu->addSeparator();
  menu->addAction(dock->toggleViewAction());

  // Drops and placing clicks reach LibraryEvent through the window's event filter on the surface
  // (a separate filter object would outlive the window's own members while it is destroyed).
  fEditor->Surface()->setAcceptDrops(true);

  // The last library opened comes back, and before any was opened the starter library shipped
  // with the studio; one gone or damaged since is left out quietly.
  fLibraryCategory = category;
  QString last = QSettings().value(kLastLibraryKey).toString();
  if (last.isEmpty()) last = fServices->BundledFile(QStringLiteral("symbols/starter.lyp"));
  if (!last.isEmpty() && QFileInfo::exists(last) && fLibraryView->LoadSymbols(last).isEmpty()) FillLibraryCategories();
}

void TMainWindow::FillLibraryCategories() {
  const QSignalBlocker block(fLibraryCategory);
  fLibraryCategory->clear();
  AddKeyedItem(fLibraryCategory, Orv::TORVMsgTable::Dialogs, QStringLiteral("AllCategories"));
  fLibraryCategory->addItems(fLibraryView->Categories());
}

bool TMainWindow::OpenSymbolLibrary(const QString& path) {
  const QString error = fLibraryView->LoadSymbols(path);
  if (!error.isEmpty()) {
    fServices->Error(this, Txt("TitleOpenLibrary"), error);
    return false;
  }
  FillLibraryCategories();
  if (auto* search = findChild<QLineEdit*>(QStringLiteral("librarySearch"))) {
    const QSignalBlocker block(search);
    search->clear();
  }
  QSettings().setValue(kLastLibraryKey, fLibraryView->LibraryName());
  statusBar()->showMessage(Txt("StLibrarySymbols").arg(QFileInfo(path).fileName()).arg(fLibraryView->SymbolCount()), 5000);
  return true;
}

bool TMainWindow::PickLibrarySymbol(int k) {
  const Symbol::TPLNLibSymbol* symbol = fLibraryView->ShownSymbol(k);
  if (!symbol) return false;
  fLibraryView->SetSelected(k);
  // The drawing keeps its own copy: it must draw the same when the library changes or is gone.
  fDoc->AddSymbol(std::make_unique<Symbol::TPLNLibSymbol>(*symbol), true);
  fDoc->ResetAction();
  fSymbolTool->setChecked(true);
  fEditor->Surface()->setFocus();
  return true;
}

bool TMainWindow::PlacingSymbol() const { return fSymbolTool && fSymbolTool->isChecked(); }

TPLNBaseItem* TMainWindow::PlaceSymbolAt(std::int64_t x, std::int64_t y) {
  if (!fDoc->GetCurrentSymbol()) return nullptr;
  TPLNBaseItem* made = nullptr;
  RunEdit(Txt("StepPlaceSymbol"), [&] {
    made = TPLNFactory::AddBaseSymbol(fDoc.get(), x, y);
    return made != nullptr;
  });
  return made;
}

bool TMainWindow::RotateSelectedSymbols(bool left) {
  const std::vector<Symbol::TPLNBaseSymbol*> symbols = SelectedSymbols(*fDoc);
  if (symbols.empty()) return false;
  return RunEdit(left ? Txt("StepRotateLeft") : Txt("StepRotateRight"), [&] {
    for (Symbol::TPLNBaseSymbol* s : symbols) left ? s->RotateLeft() : s->RotateRight();
    return true;
  });
}

bool TMainWindow::ScaleSelectedSymbols(double scale) {
  const std::vector<Symbol::TPLNBaseSymbol*> symbols = SelectedSymbols(*fDoc);
  if (symbols.empty() || !(scale > 0)) return false;
  return RunEdit(Txt("StepScale"), [&] {
    for (Symbol::TPLNBaseSymbol* s : symbols) s->SetScale(float(scale));
    return true;
  });
}

bool TMainWindow::DropSymbol(const QMimeData* mime, QPointF at) {
  QString guid, file;
  if (!TPLNBaseViewLib::ReadSymbolMime(mime, guid, file)) return false;
  // Placed on the grid as anything drawn there would be.
  const TORVPto point = fEditor->Surface()->GridPoint(at);
  // From the dock's own library when it is the one named; otherwise read from the file.
  const Symbol::TPLNLibSymbol* shown =
      (file.isEmpty() || QFileInfo(file).absoluteFilePath() == fLibraryView->LibraryName() ||
       file == TPLNBaseViewLib::kCurDrawing)
          ? fLibraryView->Library().FindByGuid(guid)
          : nullptr;
  try {
    if (shown) {
      fDoc->AddSymbol(std::make_unique<Symbol::TPLNLibSymbol>(*shown), true);
    } else if (file.isEmpty() || !fDoc->LoadSymbolByGuid(file, guid)) {
      fServices->Error(this, Txt("StepPlaceSymbol"), Txt("SymbolNotIn").arg(QFileInfo(file).fileName()));
      return false;
    }
  } catch (const std::exception& e) {
    fServices->Error(this, Txt("StepPlaceSymbol"), QString::fromUtf8(e.what()));
    return false;
  }
  return PlaceSymbolAt(point.X, point.Y) != nullptr;
}

bool TMainWindow::LibraryEvent(QObject* watched, QEvent* event) {
  if (watched != fEditor->Surface()) return false;
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* e = static_cast<QDragMoveEvent*>(event);
      if (!e->mimeData()->hasFormat(TPLNBaseViewLib::kMimeType)) return false;
      e->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* e = static_cast<QDropEvent*>(event);
      if (!e->mimeData()->hasFormat(TPLNBaseViewLib::kMimeType)) return false;
      if (DropSymbol(e->mimeData(), e->position())) e->acceptProposedAction();
      else e->ignore();
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      if (!PlacingSymbol()) return false;
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() == Qt::RightButton) {
        if (event->type() == QEvent::MouseButtonPress) fSymbolTool->setChecked(false);
        return true;
      }
      if (e->button() != Qt::LeftButton) return false;
      if (event->type() == QEvent::MouseButtonPress) {
        const TORVPto point = fEditor->Surface()->GridPoint(e->position());
        PlaceSymbolAt(point.X, point.Y);
      }
      return true;
    }
    case QEvent::KeyPress:
      if (PlacingSymbol() && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        fSymbolTool->setChecked(false);
        statusBar()->clearMessage();
        return true;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace Planora::Studio
