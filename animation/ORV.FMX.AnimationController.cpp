#include "ORV.FMX.AnimationController.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <set>

#include "ORV.Flow.h"
#include "ORV.Line.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

using Anim::TPathSegment;
using Anim::TPathType;
using Symbol::TPLNBaseSymbol;

namespace {
constexpr double kPi = 3.14159265358979323846;
// A frame that would run more cycles than this (a tiny path time and a long frame) drops the rest.
constexpr int kMaxCyclesPerUpdate = 10000;
const char* const kNotInteractive = "Symbol animation requires EditorMode = emInteractive";
}  // namespace

// Hears of the document's end, so no record keeps a dangling document.
class TAnimationController::TDocWatch : public IORObserver {
 public:
  TDocWatch(TAnimationController* c, TPLNBaseLabel* doc) : fC(c), fDoc(doc) {}
  void UpdateCtrl(TORChange, TORChangeValue) override {}
  void HostRemoved() override {
    fGone = true;
    fC->DocumentRemoved(fDoc);
  }
  bool fGone = false;

 private:
  TAnimationController* fC;
  TPLNBaseLabel* fDoc;
};

TAnimationController::TAnimationController(QObject* parent) : QObject(parent) {
  fElapsed.start();
  fTimer.setInterval(fInterval);
  connect(&fTimer, &QTimer::timeout, this, [this] { OnTimerTick(); });
}

TAnimationController::~TAnimationController() {
  RestoreHomes();
  fTimer.stop();
  for (auto& [doc, watch] : fWatches)
    if (watch && !watch->fGone) doc->RemoveObserver(watch.get());
}

// ---------------------------------------------------------------- records

TAnimationController::TSymbolData* TAnimationController::Find(std::int32_t id) {
  auto it = fSymbols.find(id);
  return it == fSymbols.end() ? nullptr : &it->second;
}

const TAnimationController::TSymbolData* TAnimationController::Find(std::int32_t id) const {
  auto it = fSymbols.find(id);
  return it == fSymbols.end() ? nullptr : &it->second;
}

const TAnimationController::TSymbolData* TAnimationController::GetSymbolData(std::int32_t id) const {
  return Find(id);
}

void TAnimationController::Watch(TPLNBaseLabel* doc) {
  if (!doc || fWatches.count(doc)) return;
  auto watch = std::make_unique<TDocWatch>(this, doc);
  doc->AddObserver(watch.get());
  fWatches.emplace(doc, std::move(watch));
}

void TAnimationController::Unwatch(TPLNBaseLabel* doc) {
  if (!doc) return;
  for (const auto& [id, d] : fSymbols)
    if (d.SymbolOwner == doc) return;
  auto it = fWatches.find(doc);
  if (it == fWatches.end()) return;
  if (!it->second->fGone) doc->RemoveObserver(it->second.get());
  fWatches.erase(it);
}

void TAnimationController::DocumentRemoved(TPLNBaseLabel* document) {
  for (auto& [id, d] : fSymbols) {
    if (d.SymbolOwner != document) continue;
    d.SymbolOwner = nullptr;
    d.Symbol = nullptr;
    d.Active = false;
    d.State = TSymbolMotionState::msMissing;
    d.HasPose = false;
  }
  std::erase_if(fApplied, [document](const TApplied& a) { return a.Doc == document; });
  // The watch stays (marked gone) until the controller ends: the document is still calling it.
}

bool TAnimationController::Resolve(TSymbolData& d) {
  if (!d.SymbolOwner) {
    d.Symbol = nullptr;
    return false;
  }
  d.Symbol = dynamic_cast<TPLNBaseSymbol*>(d.SymbolOwner->FindByID(d.SymbolInID));
  return d.Symbol != nullptr;
}

void TAnimationController::CheckInteractive(const TPLNBaseSymbol* symbol) const {
  if (symbol) {
    const TPLNBaseLabel* doc = symbol->Owner();
    if (!doc || doc->GetEditorMode() != kEditorModeInteractive) throw EAnimOperation(kNotInteractive);
    return;
  }
  for (const auto& [id, d] : fSymbols)
    if (d.SymbolOwner && d.SymbolOwner->GetEditorMode() != kEditorModeInteractive)
      throw EAnimOperation(kNotInteractive);
}

// ---------------------------------------------------------------- adding

std::int32_t TAnimationController::AddSymbol(TPLNBaseSymbol* symbol, TPathType pathType,
                                             const std::vector<TPathSegment>& segments, double totalTime, bool loop,
                                             std::function<void()> onComplete) {
  if (!symbol) throw EAnimArgument("Symbol");
  CheckInteractive(symbol);
  if (segments.empty()) throw EAnimArgument("Path has no segments");
  if (!(totalTime > 0)) throw EAnimRange("TotalTime must be greater than zero");
  std::int32_t id = 0;
  while (fSymbols.count(id)) ++id;
  TSymbolData d;
  d.ID = id;
  d.Symbol = symbol;
  d.SymbolOwner = symbol->Owner();
  d.SymbolInID = symbol->GetID();
  d.Path = std::make_unique<Anim::TPathAnimator>();
  d.Path->SetPath(pathType, segments);
  d.Path->SetTiming(totalTime, fGlobalScale);
  d.Loop = loop;
  d.RepeatCount = loop ? 0 : 1;
  d.OnComplete = std::move(onComplete);
  Watch(d.SymbolOwner);
  fSymbols.emplace(id, std::move(d));
  return id;
}

std::int32_t TAnimationController::AddSymbolRepeated(TPLNBaseSymbol* symbol, TPathType pathType,
                                                     const std::vector<TPathSegment>& segments, double totalTime,
                                                     std::int32_t repeatCount, std::function<void()> onComplete) {
  if (repeatCount < 0) throw EAnimRange("RepeatCount must be zero or greater");
  const std::int32_t id = AddSymbol(symbol, pathType, segments, totalTime, repeatCount == 0, std::move(onComplete));
  Find(id)->RepeatCount = repeatCount;
  return id;
}

std::int32_t TAnimationController::AddSymbolOnItem(TPLNBaseSymbol* symbol, const TPLNBaseItem* pathItem,
                                                   double totalTime, std::int32_t repeatCount,
                                                   std::function<void()> onComplete) {
  TPathType type;
  std::vector<TPathSegment> segments;
  if (!PathFromItem(pathItem, type, segments))
    throw EAnimOperation(
        "The item cannot be used as an animation path. Supported shapes: line, arrow line, polyline, polygon, "
        "rectangle, circle, ellipse and bezier.");
  return AddSymbolRepeated(symbol, type, segments, totalTime, repeatCount, std::move(onComplete));
}

std::int32_t TAnimationController::AnimateItemByID(TPLNBaseLabel* document, const QString& symbolID,
                                                   const QString& pathItemID, double totalTime, bool loop,
                                                   double angleOffset) {
  if (!document) throw EAnimArgument("Owner document is required");
  auto* symbol = dynamic_cast<TPLNBaseSymbol*>(document->SearchItem(symbolID, false));
  if (!symbol)
    throw EAnimOperation(QStringLiteral("Symbol \"%1\" not found in the document").arg(symbolID).toStdString());
  const TPLNBaseItem* path = document->SearchItem(pathItemID, false);
  if (!path)
    throw EAnimOperation(QStringLiteral("Path item \"%1\" not found in the document").arg(pathItemID).toStdString());
  const std::int32_t id = AddSymbolOnItem(symbol, path, totalTime, loop ? 0 : 1);
  ConfigureSymbol(id, true, angleOffset, 0, false);
  SeekSymbol(id, 0);
  StartSymbol(id);
  StartTimer();
  return id;
}

bool TAnimationController::PathFromItem(const TPLNBaseItem* item, TPathType& pathType,
                                        std::vector<TPathSegment>& segments) {
  segments.clear();
  if (!item) return false;
  std::vector<TORVPto> pts = item->Points();
  auto P = [&](std::size_t i) { return std::pair<double, double>(double(pts[i].X), double(pts[i].Y)); };
  auto lines = [&](bool close) {
    for (std::size_t i = 0; i + 1 < pts.size(); ++i)
      segments.push_back(TPathSegment::Line(P(i).first, P(i).second, P(i + 1).first, P(i + 1).second));
    if (close)
      segments.push_back(
          TPathSegment::Line(P(pts.size() - 1).first, P(pts.size() - 1).second, P(0).first, P(0).second));
  };
  const std::int32_t kind = item->KindCode();
  if (kind == Kind::Link) {
    const auto* link = dynamic_cast<const F2d::TPLNBaseLink*>(item);
    pts.clear();
    if (!link || !link->Polyline(pts) || pts.size() < 2) return false;
    pathType = TPathType::Open;
    lines(false);
    return true;
  }
  if (pts.size() < 2) return false;
  switch (kind) {
    case Kind::Line:
    case Kind::ArrowLine:
      pathType = TPathType::Open;
      pts.resize(2);
      lines(false);
      return true;
    case Kind::PolyLine:
      pathType = TPathType::Open;
      lines(false);
      return true;
    case Kind::Polygon:
      pathType = TPathType::Closed;
      lines(true);
      return true;
    case Kind::Rectangle: {
      const auto [x1, y1] = P(0);
      const auto [x2, y2] = P(1);
      pathType = TPathType::Closed;
      segments = {TPathSegment::Line(x1, y1, x2, y1), TPathSegment::Line(x2, y1, x2, y2),
                  TPathSegment::Line(x2, y2, x1, y2), TPathSegment::Line(x1, y2, x1, y1)};
      return true;
    }
    case Kind::Circle:
    case Kind::Ellipse: {
      const auto [x1, y1] = P(0);
      const auto [x2, y2] = P(1);
      pathType = kind == Kind::Circle ? TPathType::Circle : TPathType::Ellipse;
      segments = {TPathSegment::Arc((x1 + x2) / 2, (y1 + y2) / 2, std::abs(x2 - x1) / 2, std::abs(y2 - y1) / 2)};
      return true;
    }
    case Kind::Arc: {
      const auto* arc = dynamic_cast<const Line::TPLNBaseArc*>(item);
      if (!arc || arc->GetRadius() <= 0 || arc->GetAngleSweep() == 0) return false;
      const double r = double(arc->GetRadius());
      pathType = TPathType::Circle;
      segments = {TPathSegment::Arc(double(arc->GetCenter().X), double(arc->GetCenter().Y), r, r,
                                    arc->GetAngleStart(), arc->GetAngleSweep())};
      return true;
    }
    case Kind::Bezier: {
      const std::size_t count = (pts.size() - 1) / 3;
      if (count < 1) return false;
      pathType = TPathType::Bezier;
      for (std::size_t k = 0; k < count; ++k) {
        const std::size_t b = 3 * k;
        segments.push_back(TPathSegment::Cubic(P(b).first, P(b).second, P(b + 1).first, P(b + 1).second,
                                               P(b + 2).first, P(b + 2).second, P(b + 3).first, P(b + 3).second));
      }
      return true;
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------- settings

void TAnimationController::ConfigureSymbol(std::int32_t id, bool autoRotate, double angleOffset, double startDelay,
                                           bool pingPong) {
  if (startDelay < 0) throw EAnimRange("StartDelay must be zero or greater");
  TSymbolData* d = Find(id);
  if (!d) return;
  d->AutoRotate = autoRotate;
  d->AngleOffset = angleOffset;
  d->StartDelay = startDelay;
  d->RemainingDelay = startDelay;
  d->PingPong = pingPong;
}

void TAnimationController::WaitSymbol(std::int32_t id, double simulatedSeconds) {
  if (simulatedSeconds < 0) throw EAnimRange("SimulatedSeconds must be zero or greater");
  TSymbolData* d = Find(id);
  if (!d) return;
  d->RemainingWait = simulatedSeconds;
  if (simulatedSeconds > 0) {
    d->Active = true;
    d->State = TSymbolMotionState::msWaiting;
    fRunning = true;
  }
}

void TAnimationController::RemoveSymbol(std::int32_t id) {
  auto it = fSymbols.find(id);
  if (it == fSymbols.end()) return;
  TPLNBaseLabel* doc = it->second.SymbolOwner;
  fSymbols.erase(it);
  Unwatch(doc);
  fRunning = GetActiveSymbolCount() > 0;
}

void TAnimationController::Rewind(TSymbolData& d) {
  d.Path->SetReverse(false);
  d.Path->Reset();
  d.CompletedCycles = 0;
  d.RemainingDelay = d.StartDelay;
}

static void Activate(TAnimationController::TSymbolData& d) {
  d.Active = true;
  d.State = d.RemainingDelay > 0   ? TSymbolMotionState::msScheduled
            : d.RemainingWait > 0 ? TSymbolMotionState::msWaiting
                                  : TSymbolMotionState::msMoving;
}

void TAnimationController::StartSymbol(std::int32_t id) {
  CheckInteractive(nullptr);
  TSymbolData* d = Find(id);
  if (!d) return;
  if (d->State == TSymbolMotionState::msCompleted) Rewind(*d);
  Activate(*d);
  fRunning = true;
}

void TAnimationController::StartAll() {
  CheckInteractive(nullptr);
  for (auto& [id, d] : fSymbols) {
    if (d.State == TSymbolMotionState::msCompleted) Rewind(d);
    Activate(d);
  }
  fRunning = !fSymbols.empty();
}

void TAnimationController::StopSymbol(std::int32_t id) {
  TSymbolData* d = Find(id);
  if (!d) return;
  d->Active = false;
  Rewind(*d);
  d->RemainingWait = 0;
  d->State = TSymbolMotionState::msStopped;
  d->HasPose = false;  // shown at home again
  fRunning = GetActiveSymbolCount() > 0;
}

void TAnimationController::PauseSymbol(std::int32_t id) {
  TSymbolData* d = Find(id);
  if (!d) return;
  d->Active = false;
  d->State = TSymbolMotionState::msPaused;
  fRunning = GetActiveSymbolCount() > 0;
}

void TAnimationController::StopAll() {
  for (auto& [id, d] : fSymbols) StopSymbol(id);
  fRunning = false;
}

void TAnimationController::PauseAll() {
  for (auto& [id, d] : fSymbols) {
    if (!d.Active) continue;
    d.Active = false;
    d.State = TSymbolMotionState::msPaused;
  }
  fRunning = false;
}

void TAnimationController::SetSymbolEvents(std::int32_t id, TSymbolCycleEvent onCycle,
                                           TSymbolWaypointEvent onWaypoint) {
  TSymbolData* d = Find(id);
  if (!d) return;
  d->OnCycle = std::move(onCycle);
  d->OnWaypoint = std::move(onWaypoint);
}

void TAnimationController::SeekSymbol(std::int32_t id, double t) {
  TSymbolData* d = Find(id);
  if (!d || !Resolve(*d)) return;
  double x, y, a;
  if (d->Path->Seek(t, x, y, a)) Place(*d, x, y, a);
}

void TAnimationController::SetSymbolTiming(std::int32_t id, double totalTime, double timeScale) {
  if (!(timeScale > 0)) throw EAnimRange("TimeScale must be greater than zero");
  if (!(totalTime > 0)) throw EAnimRange("TotalTime must be greater than zero");
  TSymbolData* d = Find(id);
  if (!d) return;
  d->LocalTimeScale = timeScale;
  d->Path->SetTiming(totalTime, timeScale * fGlobalScale);
}

void TAnimationController::SetSymbolEasing(std::int32_t id, Anim::TPathEasing easing) {
  if (TSymbolData* d = Find(id)) d->Path->SetEasing(easing);
}

Anim::TPathEasing TAnimationController::GetSymbolEasing(std::int32_t id) const {
  const TSymbolData* d = Find(id);
  return d ? d->Path->GetEasing() : Anim::TPathEasing::Linear;
}

void TAnimationController::SetGlobalTimeScale(double scale) {
  if (!(scale > 0)) throw EAnimRange("Scale must be greater than zero");
  fGlobalScale = scale;
  for (auto& [id, d] : fSymbols) d.Path->UpdateTimeScale(scale * d.LocalTimeScale);
}

void TAnimationController::SetSimulationScale(double simulatedSeconds, double realSeconds) {
  if (!(simulatedSeconds > 0)) throw EAnimRange("SimulatedSeconds must be greater than zero");
  if (!(realSeconds > 0)) throw EAnimRange("RealSeconds must be greater than zero");
  SetGlobalTimeScale(simulatedSeconds / realSeconds);
}

void TAnimationController::SetMaximumDeltaTime(double seconds) {
  if (!(seconds > 0)) throw EAnimRange("MaximumDeltaTime must be greater than zero");
  fMaxDelta = seconds;
}

void TAnimationController::SetUpdateInterval(std::int32_t ms) {
  fInterval = std::clamp(ms, 10, 1000);
  fTimer.setInterval(fInterval);
}

// ---------------------------------------------------------------- the clock

std::int64_t TAnimationController::Now() const { return Clock ? Clock() : fElapsed.nsecsElapsed(); }

void TAnimationController::StartTimer() {
  CheckInteractive(nullptr);
  if (fTimer.isActive()) return;
  fLastTick = Now();
  fHaveTick = true;
  fTimer.setInterval(fInterval);
  fTimer.start();
}

void TAnimationController::StopTimer() { fTimer.stop(); }

void TAnimationController::OnTimerTick() {
  const std::int64_t now = Now();
  double delta = fHaveTick ? double(now - fLastTick) / 1e9 : fInterval / 1000.0;
  fLastTick = now;
  fHaveTick = true;
  Update(std::clamp(delta, 0.0, fMaxDelta));
}

void TAnimationController::Update(double deltaTime) {
  if (deltaTime < 0) throw EAnimRange("DeltaTime must be zero or greater");
  if (!fRunning) return;
  if (OnBeforeUpdate) OnBeforeUpdate(*this);
  // Callbacks run once every symbol is done, so they may add, remove, start or stop symbols.
  std::vector<std::function<void()>> queue;
  for (auto& [id, d] : fSymbols)
    if (d.Active) UpdateSymbol(d, deltaTime, queue);
  for (auto& call : queue) call();
  fRunning = GetActiveSymbolCount() > 0;
  if (OnAfterUpdate) OnAfterUpdate(*this);
}

void TAnimationController::Place(TSymbolData& d, double x, double y, double angle) {
  d.HasPose = true;
  d.PoseX = x;
  d.PoseY = y;
  if (d.AutoRotate) {
    d.PoseAngle = angle + d.AngleOffset * kPi / 180 + (d.Path->IsReverse() ? kPi : 0);
  } else {
    d.PoseAngle = d.Symbol ? d.Symbol->GetAngleRad() : 0;
  }
}

void TAnimationController::UpdateSymbol(TSymbolData& d, double delta, std::vector<std::function<void()>>& queue) {
  if (!Resolve(d)) {
    d.Active = false;
    d.State = TSymbolMotionState::msMissing;
    d.HasPose = false;
    return;
  }
  const double s = d.Path->GetTimeScale();
  // A start delay, then a wait between runs: each uses up the frame's time first, and what is
  // left of the frame moves the symbol.
  const auto pause = [&](double& left, TSymbolMotionState state) {
    if (left <= 0) return true;
    d.State = state;
    left -= delta * s;
    if (left > 0) return false;
    delta = -left / s;
    left = 0;
    return true;
  };
  if (!pause(d.RemainingDelay, TSymbolMotionState::msScheduled) || !pause(d.RemainingWait, TSymbolMotionState::msWaiting))
    return;
  d.State = TSymbolMotionState::msMoving;
  const std::int32_t id = d.ID;
  for (int cycles = 0;; ++cycles) {
    const double from = d.Path->GetPathProgress();
    const bool reverse = d.Path->IsReverse();
    double x, y, a, leftover;
    const bool running = d.Path->Update(delta, x, y, a, leftover);
    if (d.OnWaypoint)
      for (std::int32_t w : d.Path->GetCrossedWaypoints(from, d.Path->GetPathProgress()))
        queue.push_back([f = d.OnWaypoint, id, w, reverse] { f(id, w, reverse); });
    Place(d, x, y, a);
    if (running) break;
    ++d.CompletedCycles;
    if (d.OnCycle) queue.push_back([f = d.OnCycle, id, n = d.CompletedCycles] { f(id, n); });
    if (d.RepeatCount == 0 || d.CompletedCycles < d.RepeatCount) {
      if (d.PingPong) d.Path->SetReverse(!d.Path->IsReverse());
      d.Path->Reset();
      if (leftover > 0 && cycles < kMaxCyclesPerUpdate) {
        delta = leftover;
        continue;
      }
      break;
    }
    d.Active = false;
    d.State = TSymbolMotionState::msCompleted;
    if (d.OnComplete) queue.push_back(d.OnComplete);
    break;
  }
}

// ---------------------------------------------------------------- queries

bool TAnimationController::IsSymbolActive(std::int32_t id) const {
  const TSymbolData* d = Find(id);
  return d && d->Active;
}

TSymbolMotionState TAnimationController::GetSymbolState(std::int32_t id) const {
  const TSymbolData* d = Find(id);
  return d ? d->State : TSymbolMotionState::msMissing;
}

double TAnimationController::GetSymbolProgress(std::int32_t id) const {
  const TSymbolData* d = Find(id);
  return d ? d->Path->GetProgress() : 0;
}

double TAnimationController::GetSymbolPathProgress(std::int32_t id) const {
  const TSymbolData* d = Find(id);
  return d ? d->Path->GetPathProgress() : 0;
}

int TAnimationController::GetActiveSymbolCount() const {
  return static_cast<int>(std::count_if(fSymbols.begin(), fSymbols.end(), [](const auto& p) { return p.second.Active; }));
}

bool TAnimationController::GetSymbolPose(std::int32_t id, double& x, double& y, double& angleDeg) const {
  const TSymbolData* d = Find(id);
  if (!d || !d->HasPose || !d->SymbolOwner) return false;
  const TORVUnits u = d->SymbolOwner->GetUnits();
  x = Utils::GetValue(std::llround(d->PoseX), u);
  y = Utils::GetValue(std::llround(d->PoseY), u);
  angleDeg = d->PoseAngle * 180 / kPi;
  return true;
}

// ---------------------------------------------------------------- showing the poses

void TAnimationController::ApplyPoses(TPLNBaseLabel* document) {
  if (!fApplied.empty()) return;  // already shown
  std::set<TPLNBaseLabel*> docs;
  for (auto& [id, d] : fSymbols) {
    if (!d.HasPose || (document && d.SymbolOwner != document) || !Resolve(d)) continue;
    if (std::any_of(fApplied.begin(), fApplied.end(), [&](const TApplied& a) { return a.Item == d.Symbol; }))
      continue;
    // Read as a document being loaded: no modified flag, no observer told, nothing to undo.
    if (docs.insert(d.SymbolOwner).second) d.SymbolOwner->BeginRead(false);
    fApplied.push_back({d.Symbol, d.SymbolOwner, d.Symbol->GetPoint(1), d.Symbol->GetAngleRad()});
    d.Symbol->SetBase(1, std::llround(d.PoseX), std::llround(d.PoseY));
    d.Symbol->SetAngleRad(d.PoseAngle);
  }
  for (TPLNBaseLabel* doc : docs) doc->EndRead(false);
}

void TAnimationController::RestoreHomes() {
  if (fApplied.empty()) return;
  std::set<TPLNBaseLabel*> docs;
  for (auto it = fApplied.rbegin(); it != fApplied.rend(); ++it) {
    if (docs.insert(it->Doc).second) it->Doc->BeginRead(false);
    it->Item->SetBase(1, it->Home.X, it->Home.Y);
    it->Item->SetAngleRad(it->HomeAngle);
  }
  fApplied.clear();
  for (TPLNBaseLabel* doc : docs) doc->EndRead(false);
}

namespace {
// Paints the surface with the poses on, and takes them off before anything else runs.
class TPaintHook : public QObject {
 public:
  TPaintHook(TAnimationController* c, TPLNBaseLabel* doc, QObject* parent) : QObject(parent), fC(c), fDoc(doc) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || fInside || !fC || fC->GetSymbolCount() == 0) return false;
    fInside = true;
    {
      TAnimationController::TPoseScope scope(*fC, fDoc);
      QCoreApplication::sendEvent(watched, event);
    }
    fInside = false;
    return true;
  }

 private:
  QPointer<TAnimationController> fC;
  TPLNBaseLabel* fDoc;
  bool fInside = false;
};
}  // namespace

void TAnimationController::InstallPaintHook(QWidget* surface, TPLNBaseLabel* document) {
  if (!surface) return;
  surface->installEventFilter(new TPaintHook(this, document, surface));
}

}  // namespace Orv::Fmx
