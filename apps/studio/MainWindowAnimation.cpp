// The studio's animation commands: a symbol sent along another item, play, pause and stop.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <exception>

#include "MainWindow.h"
#include "ORV.FMX.AnimationController.h"
#include "ORV.FMX.Editor.Surface.h"
#include "ORV.FMX.Editor.h"
#include "ORV.FMX.h"
#include "ORV.Symbol.h"
#include "StudioTexts.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace Planora::Studio {

void TMainWindow::BuildAnimationMenu() {
  fAnimation = new TAnimationController(this);
  // Poses are put on the symbols only while the surface paints (see the controller); each frame
  // asks for a fresh drawing of the page.
  fAnimation->InstallPaintHook(fEditor->Surface(), nullptr);
  fAnimation->OnAfterUpdate = [this](TAnimationController&) { fEditor->Surface()->DrawEditor(); };

  QMenu* menu = menuBar()->addMenu(KeyTxt("MenuAnimate"));
  QAction* along = menu->addAction(KeyTxt("MenuAnimatePath"), this, [this] { AnimateSelection(); });
  along->setObjectName(QStringLiteral("animAlongPath"));
  along->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_A));
  menu->addSeparator();
  auto guarded = [this](const std::function<void()>& fn) {
    try {
      fn();
    } catch (const std::exception& e) {
      statusBar()->showMessage(QString::fromUtf8(e.what()), 6000);
    }
  };
  QAction* play = menu->addAction(KeyTxt("MenuPlay"), this, [this, guarded] {
    guarded([this] {
      fAnimation->StartAll();
      fAnimation->StartTimer();
    });
  });
  play->setObjectName(QStringLiteral("animPlay"));
  play->setShortcut(QKeySequence(Qt::Key_F5));
  QAction* pause = menu->addAction(KeyTxt("MenuPause"), this, [this] {
    fAnimation->PauseAll();
    fAnimation->StopTimer();
  });
  pause->setObjectName(QStringLiteral("animPause"));
  pause->setShortcut(QKeySequence(Qt::Key_F6));
  QAction* stop = menu->addAction(KeyTxt("MenuStop"), this, [this] {
    fAnimation->StopAll();
    fAnimation->StopTimer();
    fEditor->Surface()->DrawEditor();
  });
  stop->setObjectName(QStringLiteral("animStop"));
  stop->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F5));
}

bool TMainWindow::AnimateSelection() {
  Symbol::TPLNBaseSymbol* symbol = nullptr;
  TPLNBaseItem* path = nullptr;
  if (fDoc->GetSelectionCount() == 2) {
    for (int i = 1; i <= 2; ++i) {
      TPLNBaseItem* item = fDoc->GetSelection(i);
      if (auto* s = dynamic_cast<Symbol::TPLNBaseSymbol*>(item); s && !symbol)
        symbol = s;
      else
        path = item;
    }
  }
  if (!symbol || !path) {
    statusBar()->showMessage(Txt("StAnimateSelect"), 6000);
    return false;
  }
  Anim::TPathType type;
  std::vector<Anim::TPathSegment> segments;
  if (!TAnimationController::PathFromItem(path, type, segments)) {
    statusBar()->showMessage(Txt("StNotPath"),
                             8000);
    return false;
  }
  if (fDoc->GetEditorMode() != kEditorModeInteractive) fDoc->SetEditorMode(kEditorModeInteractive);
  try {
    const std::int32_t id = fAnimation->AddSymbolOnItem(symbol, path, 4.0, 0);
    fAnimation->SeekSymbol(id, 0);
    fAnimation->StartSymbol(id);
    fAnimation->StartTimer();
  } catch (const std::exception& e) {
    statusBar()->showMessage(QString::fromUtf8(e.what()), 6000);
    return false;
  }
  statusBar()->showMessage(Txt("StAnimating"), 4000);
  return true;
}

}  // namespace Planora::Studio
