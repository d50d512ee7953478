// The docked property inspector of the studio.

#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "MainWindow.h"
#include "ORV.FMX.EdPolyText.h"
#include "ORV.FMX.EdTable.h"
#include "ORV.FMX.Inspector.h"
#include "ORV.FMX.h"
#include "ORV.Poly.h"
#include "ORV.Table.h"
#include "StudioServices.h"
#include "StudioTexts.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace Planora::Studio {

void TMainWindow::BuildInspectorDock() {
  auto* dock = new QDockWidget(KeyTxt("Properties"), this);
  dock->setObjectName(QStringLiteral("inspectorDock"));
  fInspector = new TPLNInspector(dock);
  fInspector->setObjectName(QStringLiteral("inspector"));
  fInspector->setMinimumSize(240, 200);
  fInspector->SetLabel(fDoc.get());
  // Pictures are chosen through the studio's services, like every other file.
  fInspector->OnPickFile = [this](const QString& folder) {
    fServices->StartFolder = folder;
    const QString file = fServices->OpenFileName(this, Txt("ToolImage"), Txt("FilterImages"));
    fServices->StartFolder.clear();
    return file;
  };
  connect(fInspector, &TPLNBaseInspector::ErrorChanged, this, [this](const QString& message) {
    if (!message.isEmpty()) statusBar()->showMessage(message, 5000);
  });
  dock->setWidget(fInspector);
  addDockWidget(Qt::RightDockWidgetArea, dock);
  QAction* toggle = dock->toggleViewAction();
  toggle->setObjectName(QStringLiteral("viewProperties"));
  toggle->setShortcut(QKeySequence(QStringLiteral("F4")));
  if (QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"))) {
    view->addSeparator();
    view->addAction(toggle);
  }
}

void TMainWindow::EditSelectedItem() {
  TPLNBaseItem* item = fDoc->GetSelectionCount() == 1 ? fDoc->GetSelection(1) : nullptr;
  if (dynamic_cast<F2d::TPLNBaseTable*>(item)) {
    TfEdTable form(this);
    form.Ini(fDoc.get());
    form.exec();
  } else if (auto* poly = dynamic_cast<Text::TPLNBasePoly*>(item); poly && poly->GetPolyType() == Text::TORVPolyType::Runs) {
    TfEdPoly form(this);
    form.Ini(fDoc.get());
    form.exec();
  } else {
    statusBar()->showMessage(Txt("StSelectTable"), 5000);
    return;
  }
  fInspector->Refresh(false);
  UpdateEditActions();
}

}  // namespace Planora::Studio
