#pragma once
// Moves symbol items of documents along paths in real time (documents in the interactive editor
// mode only). One TPathAnimator per animated symbol; the controller owns the set, the clock, each
// symbol's state and the callbacks.
//
// An animation never changes the document. Each frame computes where every symbol is shown (its
// pose); the document keeps the symbol at home. The poses are put on the items only while the page
// is drawn (TPoseScope, or the paint filter the studio installs on the editor surface) and taken
// off straight after, silently. So whatever saves, copies, queries or records undo steps between
// two paints sees the home positions: a save during an animation writes them, and the undo
// history gains no step per frame. A symbol the user moves while it animates gets that place as
// its new home.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "ORV.Base.h"
#include "ORV.PathAnimator.h"
#include "ORV.Symbol.h"

namespace Orv::Fmx {

// Raised for a missing argument, a value out of range, and an operation refused in this state.
class EAnimArgument : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};
class EAnimRange : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};
class EAnimOperation : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

enum class TSymbolMotionState { msStopped, msScheduled, msMoving, msPaused, msWaiting, msCompleted, msMissing };

using TSymbolCycleEvent = std::function<void(std::int32_t id, std::int32_t cycles)>;
using TSymbolWaypointEvent = std::function<void(std::int32_t id, std::int32_t waypoint, bool reverse)>;

// The document's editor mode that allows animation.
constexpr std::uint8_t kEditorModeInteractive = 3;

class TAnimationController : public QObject {
  Q_OBJECT
 public:
  explicit TAnimationController(QObject* parent = nullptr);
  ~TAnimationController() override;

  struct TSymbolData {
    std::int32_t ID = 0;
    Symbol::TPLNBaseSymbol* Symbol = nullptr;
    TPLNBaseLabel* SymbolOwner = nullptr;
    std::int32_t SymbolInID = 0;
    std::unique_ptr<Anim::TPathAnimator> Path;
    bool Active = false;
    bool Loop = false;
    std::int32_t RepeatCount = 1;
    std::int32_t CompletedCycles = 0;
    TSymbolMotionState State = TSymbolMotionState::msStopped;
    double StartDelay = 0;
    double RemainingDelay = 0;
    double RemainingWait = 0;
    bool AutoRotate = true;
    double AngleOffset = 0;  // degrees
    bool PingPong = false;
    double LocalTimeScale = 1.0;
    std::function<void()> OnComplete;
    TSymbolCycleEvent OnCycle;
    TSymbolWaypointEvent OnWaypoint;
    // Where the symbol is shown (base units, radians) while HasPose.
    bool HasPose = false;
    double PoseX = 0, PoseY = 0, PoseAngle = 0;
  };

  // ---- symbols
  std::int32_t AddSymbol(Symbol::TPLNBaseSymbol* symbol, Anim::TPathType pathType,
                         const std::vector<Anim::TPathSegment>& segments, double totalTime, bool loop,
                         std::function<void()> onComplete = {});
  std::int32_t AddSymbolRepeated(Symbol::TPLNBaseSymbol* symbol, Anim::TPathType pathType,
                                 const std::vector<Anim::TPathSegment>& segments, double totalTime,
                                 std::int32_t repeatCount, std::function<void()> onComplete = {});
  std::int32_t AddSymbolOnItem(Symbol::TPLNBaseSymbol* symbol, const TPLNBaseItem* pathItem, double totalTime,
                               std::int32_t repeatCount, std::function<void()> onComplete = {});
  // Both items by name or identifier; auto-rotate on, started at once with the timer.
  std::int32_t AnimateItemByID(TPLNBaseLabel* document, const QString& symbolID, const QString& pathItemID,
                               double totalTime, bool loop, double angleOffset);
  // A path of document coordinates (base units) from a line, arrow line, polyline, polygon,
  // rectangle, circle, ellipse, arc, Bezier curve or link; false for anything else.
  static bool PathFromItem(const TPLNBaseItem* item, Anim::TPathType& pathType,
                           std::vector<Anim::TPathSegment>& segments);
  void ConfigureSymbol(std::int32_t id, bool autoRotate, double angleOffset, double startDelay, bool pingPong);
  void WaitSymbol(std::int32_t id, double simulatedSeconds);
  void RemoveSymbol(std::int32_t id);
  void StartSymbol(std::int32_t id);
  void StartAll();
  void StopSymbol(std::int32_t id);
  void ResetSymbol(std::int32_t id) { StopSymbol(id); }
  void PauseSymbol(std::int32_t id);
  void StopAll();
  void ResetAll() { StopAll(); }
  void PauseAll();
  void SetSymbolEvents(std::int32_t id, TSymbolCycleEvent onCycle, TSymbolWaypointEvent onWaypoint);
  void SeekSymbol(std::int32_t id, double t);
  void SetSymbolTiming(std::int32_t id, double totalTime, double timeScale);
  void SetSymbolEasing(std::int32_t id, Anim::TPathEasing easing);
  Anim::TPathEasing GetSymbolEasing(std::int32_t id) const;
  void SetGlobalTimeScale(double scale);
  double GetGlobalTimeScale() const { return fGlobalScale; }
  void SetSimulationScale(double simulatedSeconds, double realSeconds);
  void SetMaximumDeltaTime(double seconds);
  double GetMaximumDeltaTime() const { return fMaxDelta; }
  void SetUpdateInterval(std::int32_t ms);
  std::int32_t GetUpdateInterval() const { return fInterval; }

  // ---- the clock
  void StartTimer();
  void StopTimer();
  bool TimerEnabled() const { return fTimer.isActive(); }
  // One tick: the time since the last tick (the interval on the first), at most the maximum.
  void OnTimerTick();
  // The clock the ticks read, in nanoseconds; a steady clock unless a test sets its own.
  std::function<std::int64_t()> Clock;
  void Update(double deltaTime);

  // ---- queries (an unknown ID: false, msMissing, 0, 0)
  bool IsSymbolActive(std::int32_t id) const;
  TSymbolMotionState GetSymbolState(std::int32_t id) const;
  double GetSymbolProgress(std::int32_t id) const;
  double GetSymbolPathProgress(std::int32_t id) const;
  int GetActiveSymbolCount() const;
  bool IsRunning() const { return fRunning; }
  int GetSymbolCount() const { return static_cast<int>(fSymbols.size()); }
  const TSymbolData* GetSymbolData(std::int32_t id) const;
  // Where the symbol is shown now, in the document's unit and degrees; false when it shows at home.
  bool GetSymbolPose(std::int32_t id, double& x, double& y, double& angleDeg) const;

  // Raises EAnimOperation unless the symbol's document (or, without one, every registered
  // symbol's document) is in the interactive editor mode.
  void CheckInteractive(const Symbol::TPLNBaseSymbol* symbol) const;

  // ---- showing the poses
  // Puts every pose of `document`'s symbols (all documents when null) on the items, silently.
  void ApplyPoses(TPLNBaseLabel* document = nullptr);
  // Takes them off again: the items go back home.
  void RestoreHomes();
  bool PosesApplied() const { return !fApplied.empty(); }
  class TPoseScope {
   public:
    explicit TPoseScope(TAnimationController& c, TPLNBaseLabel* document = nullptr) : fC(c) {
      fC.ApplyPoses(document);
    }
    ~TPoseScope() { fC.RestoreHomes(); }
    TPoseScope(const TPoseScope&) = delete;
    TPoseScope& operator=(const TPoseScope&) = delete;

   private:
    TAnimationController& fC;
  };
  // Wraps every paint of `surface` in a pose scope for `document`.
  void InstallPaintHook(QWidget* surface, TPLNBaseLabel* document);

  // Called before and after each Update that ran.
  std::function<void(TAnimationController&)> OnBeforeUpdate;
  std::function<void(TAnimationController&)> OnAfterUpdate;

  // A document is going away: its symbols lose it and become missing.
  void DocumentRemoved(TPLNBaseLabel* document);

 private:
  class TDocWatch;
  TSymbolData* Find(std::int32_t id);
  const TSymbolData* Find(std::int32_t id) const;
  void Rewind(TSymbolData& d);
  void UpdateSymbol(TSymbolData& d, double delta, std::vector<std::function<void()>>& queue);
  void Place(TSymbolData& d, double x, double y, double angle);
  void Watch(TPLNBaseLabel* doc);
  void Unwatch(TPLNBaseLabel* doc);
  bool Resolve(TSymbolData& d);
  std::int64_t Now() const;

  std::map<std::int32_t, TSymbolData> fSymbols;
  double fGlobalScale = 1.0;
  bool fRunning = false;
  QTimer fTimer;
  std::int32_t fInterval = 16;
  double fMaxDelta = 0.25;
  std::int64_t fLastTick = 0;
  bool fHaveTick = false;
  QElapsedTimer fElapsed;
  std::map<TPLNBaseLabel*, std::unique_ptr<TDocWatch>> fWatches;
  struct TApplied {
    Symbol::TPLNBaseSymbol* Item;
    TPLNBaseLabel* Doc;
    TORVPto Home;
    double HomeAngle;
  };
  std::vector<TApplied> fApplied;
};

}  // namespace Orv::Fmx
