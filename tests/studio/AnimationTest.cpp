// The studio's Animate menu: a selected symbol sent along the other selected item, shown on its
// way only while the page is drawn, and back home when stopped.
#include <gtest/gtest.h>

#include <QAction>
#include <QStatusBar>

#include "MainWindow.h"
#include "ORV.FMX.AnimationController.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.h"
#include "ORV.Symbol.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Planora::Studio;

TEST(StudioAnimation, SymbolFollowsTheSelectedPathAndStopsAtHome) {
  TMainWindow w(std::make_shared<TStudioServices>());
  TPlanoraFMX& doc = w.Document();
  auto def = std::make_unique<Symbol::TPLNLibSymbol>();
  def->Rectangle(-2, -2, 2, 2);
  doc.AddSymbol(std::move(def), true);
  auto* symbol = static_cast<Symbol::TPLNBaseSymbol*>(TPLNFactory::AddBaseSymbol(&doc, 10000, 20000));
  TPLNBaseItem* line = TPLNFactory::AddBaseLine(&doc, 10000, 20000, 110000, 20000);
  QAction* along = w.findChild<QAction*>(QStringLiteral("animAlongPath"));
  QAction* stop = w.findChild<QAction*>(QStringLiteral("animStop"));
  ASSERT_TRUE(along && stop);

  // One item selected is not enough: nothing starts, and the user is told.
  doc.Select(line);
  along->trigger();
  EXPECT_EQ(w.Animation()->GetSymbolCount(), 0);
  EXPECT_FALSE(w.statusBar()->currentMessage().isEmpty());

  doc.Select(symbol);
  along->trigger();
  EXPECT_EQ(doc.GetEditorMode(), kEditorModeInteractive);
  ASSERT_EQ(w.Animation()->GetActiveSymbolCount(), 1);
  EXPECT_TRUE(w.Animation()->TimerEnabled());

  // Half of the four seconds: halfway along, while drawn; at home for everything else.
  const int steps = doc.UndoCount();
  w.Animation()->Update(2.0);
  {
    TAnimationController::TPoseScope shown(*w.Animation(), &doc);
    EXPECT_NEAR(double(symbol->GetPoint(1).X), 60000.0, 500.0);
    EXPECT_EQ(symbol->GetPoint(1).Y, 20000);
  }
  EXPECT_EQ(symbol->GetPoint(1), (TORVPto{10000, 20000}));
  EXPECT_EQ(doc.UndoCount(), steps) << "frames must not become undo steps";

  stop->trigger();
  EXPECT_EQ(w.Animation()->GetActiveSymbolCount(), 0);
  EXPECT_FALSE(w.Animation()->TimerEnabled());
  {
    TAnimationController::TPoseScope shown(*w.Animation(), &doc);
    EXPECT_EQ(symbol->GetPoint(1), (TORVPto{10000, 20000}));
  }
}
