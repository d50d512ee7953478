// Symbols moved along paths by the controller: positions, turning, repeats, delays, callbacks,
// the state of each symbol, and what the document (saved or undone) sees of an animation.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <memory>

#include "ORV.FMX.AnimationController.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;
using Orv::Anim::TPathSegment;
using Orv::Anim::TPathType;
using Orv::Symbol::TPLNBaseSymbol;
using MS = TSymbolMotionState;

namespace {

// A drawing in the interactive mode with a symbol at (5 mm, 5 mm) and a straight path from
// (0, 0) to (40 mm, 0), in millimetres (base units are thousandths).
struct TScene {
  std::unique_ptr<TPlanoraFMX> doc = std::make_unique<TPlanoraFMX>();
  TPLNBaseSymbol* sym = nullptr;
  TPLNBaseItem* line = nullptr;
  TAnimationController ctrl;
  TScene() {
    doc->SetEditorMode(kEditorModeInteractive);
    auto def = std::make_unique<Symbol::TPLNLibSymbol>();
    def->Name = QStringLiteral("arrow");
    def->Polygon({0, -1, 3, 0, 0, 1});
    doc->AddSymbol(std::move(def), true);
    sym = dynamic_cast<TPLNBaseSymbol*>(TPLNFactory::AddBaseSymbol(doc.get(), 5000, 5000));
    line = TPLNFactory::AddLine(doc.get(), 0, 0, 40, 0);
    sym->SetName(QStringLiteral("car"));
    line->SetName(QStringLiteral("road"));
    doc->ClearUndo();
    doc->SetModified(false);
  }
  struct TPose {
    double x = NAN, y = NAN, a = NAN;
  };
  TPose Pose(std::int32_t id) const {
    TPose p;
    EXPECT_TRUE(ctrl.GetSymbolPose(id, p.x, p.y, p.a));
    return p;
  }
};

}  // namespace

TEST(AnimationController, SymbolsFollowLinesPolylinesAndCirclesTurningWithThem) {
  TScene s;
  ASSERT_TRUE(s.sym);
  const std::int32_t id = s.ctrl.AddSymbolOnItem(s.sym, s.line, 4, 1);
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msStopped);
  s.ctrl.ConfigureSymbol(id, true, 90, 0, false);
  s.ctrl.StartSymbol(id);
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msMoving);
  s.ctrl.Update(1);
  auto p = s.Pose(id);
  EXPECT_NEAR(p.x, 10, 1e-3);
  EXPECT_NEAR(p.y, 0, 1e-3);
  EXPECT_NEAR(p.a, 90, 1e-9);  // heading right plus the offset
  // The document itself never moved.
  EXPECT_EQ(s.sym->GetPoint(1), (TORVPto{5000, 5000}));

  // A polyline: 10 across then 30 down, 4 s; half-way is 10 down the second piece, heading down.
  auto* poly = TPLNFactory::AddPolyLine(s.doc.get(), {0, 0, 10, 0, 10, 30});
  const std::int32_t id2 = s.ctrl.AddSymbolOnItem(s.sym, poly, 4, 1);
  EXPECT_EQ(id2, 1);
  s.ctrl.StartSymbol(id2);
  s.ctrl.Update(2);
  p = s.Pose(id2);
  EXPECT_NEAR(p.x, 10, 1e-3);
  EXPECT_NEAR(p.y, 10, 1e-3);
  EXPECT_NEAR(p.a, 90, 1e-9);

  // A circle of radius 10 round (50, 50): a quarter of the time is a quarter turn.
  auto* circle = TPLNFactory::AddCircle(s.doc.get(), 50, 50, 10);
  s.ctrl.RemoveSymbol(id2);
  const std::int32_t id3 = s.ctrl.AddSymbolOnItem(s.sym, circle, 8, 0);
  EXPECT_EQ(id3, 1);  // the freed ID again
  s.ctrl.StartSymbol(id3);
  s.ctrl.Update(2);
  p = s.Pose(id3);
  EXPECT_NEAR(p.x, 50, 1e-3);
  EXPECT_NEAR(p.y, 60, 1e-3);
  EXPECT_NEAR(std::fmod(p.a + 360, 360), 180, 1e-3);

  // Without turning, the symbol keeps its own angle.
  s.sym->SetAngleRad(0.5);
  s.ctrl.ConfigureSymbol(id3, false, 0, 0, false);
  s.ctrl.Update(1);
  EXPECT_NEAR(s.Pose(id3).a, 0.5 * 180 / 3.14159265358979323846, 1e-9);
}

TEST(AnimationController, RepeatsLoopsAndPingPongWithCallbacksInOrder) {
  TScene s;
  std::vector<QString> log;
  // Three cycles of 1 s over a two-piece path, all run by one long update.
  auto* poly = TPLNFactory::AddPolyLine(s.doc.get(), {0, 0, 10, 0, 10, 10});
  const std::int32_t id = s.ctrl.AddSymbolOnItem(s.sym, poly, 1, 3, [&] { log.push_back("complete"); });
  s.ctrl.SetSymbolEvents(
      id, [&](std::int32_t i, std::int32_t n) { log.push_back(QStringLiteral("cycle %1 %2").arg(i).arg(n)); },
      [&](std::int32_t, std::int32_t w, bool rev) { log.push_back(QStringLiteral("wp %1%2").arg(w).arg(rev ? "r" : "")); });
  s.ctrl.ConfigureSymbol(id, true, 0, 0, true);
  s.ctrl.StartAll();
  s.ctrl.OnAfterUpdate = [&](TAnimationController&) { log.push_back("after"); };
  s.ctrl.Update(5);
  const std::vector<QString> want = {"wp 1",  "wp 2",  "cycle 0 1", "wp 1r",    "wp 0r",
                                     "cycle 0 2", "wp 1", "wp 2", "cycle 0 3", "complete", "after"};
  EXPECT_EQ(log, want);
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msCompleted);
  EXPECT_FALSE(s.ctrl.IsRunning());
  auto p = s.Pose(id);  // ended at the path's end, no motion left over
  EXPECT_NEAR(p.x, 10, 1e-3);
  EXPECT_NEAR(p.y, 10, 1e-3);

  // Ping-pong with turning: the second run goes back and faces the other way.
  const std::int32_t back = s.ctrl.AddSymbolOnItem(s.sym, s.line, 2, 2);
  s.ctrl.ConfigureSymbol(back, true, 0, 0, true);
  s.ctrl.StartSymbol(back);
  s.ctrl.Update(2.5);  // first run done, 0.5 s into the return
  p = s.Pose(back);
  EXPECT_NEAR(p.x, 30, 1e-3);
  EXPECT_NEAR(p.a, 180, 1e-9);
  EXPECT_EQ(s.ctrl.GetSymbolState(back), MS::msMoving);

  // A loop never completes; a completed symbol started again runs from the start.
  const std::int32_t loop = s.ctrl.AddSymbol(s.sym, TPathType::Open, {TPathSegment::Line(0, 0, 1000, 0)}, 1, true);
  s.ctrl.StartSymbol(loop);
  for (int i = 0; i < 10; ++i) s.ctrl.Update(0.25);
  EXPECT_EQ(s.ctrl.GetSymbolData(loop)->CompletedCycles, 2);
  EXPECT_EQ(s.ctrl.GetSymbolState(loop), MS::msMoving);
  s.ctrl.StartSymbol(id);
  EXPECT_EQ(s.ctrl.GetSymbolData(id)->CompletedCycles, 0);
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msMoving);
}

TEST(AnimationController, DelaysWaitsPauseAndTheClock) {
  TScene s;
  const std::int32_t id = s.ctrl.AddSymbolOnItem(s.sym, s.line, 4, 1);
  s.ctrl.ConfigureSymbol(id, true, 0, 1, false);
  s.ctrl.StartSymbol(id);
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msScheduled);
  s.ctrl.Update(0.5);
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msScheduled);
  EXPECT_FALSE(s.ctrl.GetSymbolData(id)->HasPose);
  s.ctrl.Update(1.0);  // 0.5 s of delay left, then 0.5 s of motion
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msMoving);
  EXPECT_NEAR(s.Pose(id).x, 5, 1e-3);

  // A wait of 2 simulated seconds at double speed lasts 1 real second.
  s.ctrl.SetGlobalTimeScale(2);
  s.ctrl.WaitSymbol(id, 2);
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msWaiting);
  s.ctrl.Update(0.75);
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msWaiting);
  EXPECT_NEAR(s.Pose(id).x, 5, 1e-3);
  s.ctrl.Update(0.5);  // 0.25 s real left over: 0.5 s of path at double speed
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msMoving);
  EXPECT_NEAR(s.Pose(id).x, 10, 1e-3);

  // Pause keeps the place; start goes on from there.
  s.ctrl.PauseAll();
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msPaused);
  s.ctrl.Update(1);
  EXPECT_NEAR(s.Pose(id).x, 10, 1e-3);
  s.ctrl.SetGlobalTimeScale(1);
  s.ctrl.StartSymbol(id);
  s.ctrl.Update(1);
  EXPECT_NEAR(s.Pose(id).x, 20, 1e-3);

  // The timer reads an injected clock; a long gap counts as the maximum frame only.
  std::int64_t now = 1'000'000'000;
  s.ctrl.Clock = [&] { return now; };
  s.ctrl.StartTimer();
  EXPECT_TRUE(s.ctrl.TimerEnabled());
  now += 100'000'000;  // 0.1 s
  s.ctrl.OnTimerTick();
  EXPECT_NEAR(s.Pose(id).x, 21, 1e-3);
  now += 60'000'000'000;  // a minute later
  s.ctrl.OnTimerTick();
  EXPECT_NEAR(s.Pose(id).x, 23.5, 1e-3);
  s.ctrl.StopTimer();
  EXPECT_FALSE(s.ctrl.TimerEnabled());
  s.ctrl.SetUpdateInterval(1);
  EXPECT_EQ(s.ctrl.GetUpdateInterval(), 10);
}

TEST(AnimationController, TheDocumentKeepsHomeForSavesUndoAndStop) {
  TScene s;
  const std::int32_t id = s.ctrl.AnimateItemByID(s.doc.get(), "car", "road", 4, true, 30);
  EXPECT_TRUE(s.ctrl.TimerEnabled());
  s.ctrl.StopTimer();
  const int undoBefore = s.doc->UndoCount();
  for (int i = 0; i < 30; ++i) {
    s.ctrl.Update(0.05);
    // What the editor draws: the pose on the item, for the paint only.
    TAnimationController::TPoseScope scope(s.ctrl, s.doc.get());
    EXPECT_NE(s.sym->GetPoint(1), (TORVPto{5000, 5000}));
  }
  EXPECT_EQ(s.sym->GetPoint(1), (TORVPto{5000, 5000}));
  EXPECT_EQ(s.doc->UndoCount(), undoBefore);  // no step per frame
  EXPECT_FALSE(s.doc->GetModified());
  // A save now writes the home place and angle.
  const QJsonObject saved = QJsonDocument::fromJson(s.doc->ToJsonText()).object();
  QJsonObject symJson;
  for (const auto& v : saved.value("Items").toArray())
    if (v.toObject().value("Type").toInt() == Kind::Symbol) symJson = v.toObject();
  ASSERT_FALSE(symJson.isEmpty());
  EXPECT_EQ(QJsonDocument(symJson).toJson(), QJsonDocument(s.sym->ToJson()).toJson());
  {
    TAnimationController::TPoseScope scope(s.ctrl);
    EXPECT_NE(QJsonDocument(s.sym->ToJson()).toJson(), QJsonDocument(symJson).toJson());
  }
  // Moved by the user mid-way: that is its new home.
  s.sym->Move(1000, 0);
  {
    TAnimationController::TPoseScope scope(s.ctrl);
  }
  EXPECT_EQ(s.sym->GetPoint(1), (TORVPto{6000, 5000}));
  // Stop: shown at home again.
  s.ctrl.StopSymbol(id);
  double x, y, a;
  EXPECT_FALSE(s.ctrl.GetSymbolPose(id, x, y, a));
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msStopped);
  EXPECT_EQ(s.ctrl.GetSymbolProgress(id), 0);
}

TEST(AnimationController, UnknownIdsBadInputAndVanishingDocuments) {
  TScene s;
  EXPECT_EQ(s.ctrl.GetSymbolState(42), MS::msMissing);
  EXPECT_FALSE(s.ctrl.IsSymbolActive(42));
  EXPECT_EQ(s.ctrl.GetSymbolProgress(42), 0);
  EXPECT_EQ(s.ctrl.GetSymbolPathProgress(42), 0);
  s.ctrl.StartSymbol(42);
  s.ctrl.StopSymbol(42);
  EXPECT_EQ(s.ctrl.GetActiveSymbolCount(), 0);

  const std::vector<TPathSegment> seg{TPathSegment::Line(0, 0, 10, 0)};
  EXPECT_THROW(s.ctrl.AddSymbol(nullptr, TPathType::Open, seg, 1, false), EAnimArgument);
  EXPECT_THROW(s.ctrl.AddSymbol(s.sym, TPathType::Open, {}, 1, false), EAnimArgument);
  EXPECT_THROW(s.ctrl.AddSymbol(s.sym, TPathType::Open, seg, 0, false), EAnimRange);
  EXPECT_THROW(s.ctrl.AddSymbolRepeated(s.sym, TPathType::Open, seg, 1, -1), EAnimRange);
  auto* text = TPLNFactory::AddBaseSymbol(s.doc.get(), 0, 0);  // a symbol is no path
  ASSERT_TRUE(text);
  EXPECT_THROW(s.ctrl.AddSymbolOnItem(s.sym, text, 1, 1), EAnimOperation);
  EXPECT_THROW(s.ctrl.AnimateItemByID(nullptr, "car", "road", 1, false, 0), EAnimArgument);
  EXPECT_THROW(s.ctrl.AnimateItemByID(s.doc.get(), "road", "road", 1, false, 0), EAnimOperation);
  EXPECT_THROW(s.ctrl.AnimateItemByID(s.doc.get(), "car", "nowhere", 1, false, 0), EAnimOperation);
  EXPECT_EQ(s.ctrl.GetSymbolCount(), 0);  // nothing half-added
  EXPECT_THROW(s.ctrl.Update(-0.1), EAnimRange);
  EXPECT_THROW(s.ctrl.SetGlobalTimeScale(0), EAnimRange);
  EXPECT_THROW(s.ctrl.SetSimulationScale(1, 0), EAnimRange);
  EXPECT_THROW(s.ctrl.SetMaximumDeltaTime(0), EAnimRange);

  // Every supported shape gives a path; the rectangle goes round its corners.
  TPathType type;
  std::vector<TPathSegment> out;
  ASSERT_TRUE(TAnimationController::PathFromItem(TPLNFactory::AddRectangle(s.doc.get(), 0, 0, 10, 5), type, out));
  EXPECT_EQ(type, TPathType::Closed);
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[1].X1, 10000);
  EXPECT_EQ(out[1].Y2, 5000);
  ASSERT_TRUE(TAnimationController::PathFromItem(TPLNFactory::AddPolygon(s.doc.get(), {0, 0, 10, 0, 5, 5}), type, out));
  EXPECT_EQ(out.size(), 3u);
  EXPECT_EQ(out[2].X2, 0);
  ASSERT_TRUE(TAnimationController::PathFromItem(TPLNFactory::AddEllipse(s.doc.get(), 20, 20, 8, 4), type, out));
  EXPECT_EQ(type, TPathType::Ellipse);
  EXPECT_EQ(out[0].RX, 8000);
  EXPECT_EQ(out[0].RY, 4000);
  ASSERT_TRUE(TAnimationController::PathFromItem(
      TPLNFactory::AddBezier(s.doc.get(), {0, 0, 1, 1, 2, 1, 3, 0, 4, -1, 5, -1, 6, 0}), type, out));
  EXPECT_EQ(type, TPathType::Bezier);
  EXPECT_EQ(out.size(), 2u);
  ASSERT_TRUE(TAnimationController::PathFromItem(TPLNFactory::AddArc(s.doc.get(), 0, 0, 10, 0, 1.5), type, out));
  EXPECT_EQ(out[0].Sweep, 1.5);

  // Only in the interactive mode.
  const std::int32_t id = s.ctrl.AddSymbolOnItem(s.sym, s.line, 1, 0);
  s.doc->SetEditorMode(2);
  EXPECT_THROW(s.ctrl.StartSymbol(id), EAnimOperation);
  EXPECT_THROW(s.ctrl.AddSymbolOnItem(s.sym, s.line, 1, 0), EAnimOperation);
  s.doc->SetEditorMode(kEditorModeInteractive);
  s.ctrl.StartSymbol(id);
  s.ctrl.Update(0.1);

  // The symbol deleted: missing at the next update.
  s.doc->DeleteItem(s.doc->IndexOf(s.sym));
  s.ctrl.Update(0.1);
  EXPECT_EQ(s.ctrl.GetSymbolState(id), MS::msMissing);
  EXPECT_FALSE(s.ctrl.IsRunning());

  // The document gone: its symbols are missing, and the controller survives it.
  auto* other = dynamic_cast<TPLNBaseSymbol*>(TPLNFactory::AddBaseSymbol(s.doc.get(), 0, 0));
  const std::int32_t id2 = s.ctrl.AddSymbolOnItem(other, s.line, 1, 0);
  s.ctrl.StartSymbol(id2);
  s.ctrl.Update(0.1);
  s.doc.reset();
  EXPECT_EQ(s.ctrl.GetSymbolState(id2), MS::msMissing);
  EXPECT_FALSE(s.ctrl.IsSymbolActive(id2));
  s.ctrl.StartAll();
  s.ctrl.Update(0.1);
  EXPECT_EQ(s.ctrl.GetSymbolState(id2), MS::msMissing);
}
