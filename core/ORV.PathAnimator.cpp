#include "ORV.PathAnimator.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Orv::Anim {

namespace {
constexpr double kTwoPi = 6.28318530717958647692;
// A run counts as ended this close to its time, so sums of frame times that round just short of
// it do not leave a one-frame tail.
constexpr double kEndSlack = 1e-9;
}  // namespace

TPathSegment TPathSegment::Line(double x1, double y1, double x2, double y2) {
  TPathSegment s;
  s.X1 = x1, s.Y1 = y1, s.X2 = x2, s.Y2 = y2;
  return s;
}

TPathSegment TPathSegment::Arc(double cx, double cy, double rx, double ry, double start, double sweep) {
  TPathSegment s;
  s.X1 = cx, s.Y1 = cy, s.RX = rx, s.RY = ry, s.Start = start, s.Sweep = sweep;
  return s;
}

TPathSegment TPathSegment::Cubic(double x1, double y1, double c1x, double c1y, double c2x, double c2y, double x2,
                                 double y2) {
  TPathSegment s;
  s.X1 = x1, s.Y1 = y1, s.X2 = c1x, s.Y2 = c1y, s.X3 = c2x, s.Y3 = c2y, s.X4 = x2, s.Y4 = y2;
  return s;
}

TPathAnimator::TPiece TPathAnimator::PieceOf(const TPathSegment& s) const {
  switch (fType) {
    case TPathType::Circle:
    case TPathType::Ellipse:
      return TPiece::Arc;
    case TPathType::Bezier:
      return TPiece::Cubic;
    case TPathType::Mixed:
      return (s.RX != 0 || s.RY != 0) ? TPiece::Arc : TPiece::Line;
    default:
      return TPiece::Line;
  }
}

void TPathAnimator::Eval(int seg, double u, double& x, double& y, double& dx, double& dy) const {
  const TPathSegment& s = fSegments[std::size_t(seg)];
  switch (fPieces[std::size_t(seg)]) {
    case TPiece::Line:
      x = s.X1 + (s.X2 - s.X1) * u;
      y = s.Y1 + (s.Y2 - s.Y1) * u;
      dx = s.X2 - s.X1;
      dy = s.Y2 - s.Y1;
      return;
    case TPiece::Arc: {
      const double sweep = s.Sweep == 0 ? kTwoPi : s.Sweep;
      const double a = s.Start + sweep * u;
      x = s.X1 + s.RX * std::cos(a);
      y = s.Y1 + s.RY * std::sin(a);
      dx = -s.RX * std::sin(a) * sweep;
      dy = s.RY * std::cos(a) * sweep;
      return;
    }
    case TPiece::Cubic: {
      const double v = 1 - u;
      x = v * v * v * s.X1 + 3 * v * v * u * s.X2 + 3 * v * u * u * s.X3 + u * u * u * s.X4;
      y = v * v * v * s.Y1 + 3 * v * v * u * s.Y2 + 3 * v * u * u * s.Y3 + u * u * u * s.Y4;
      dx = 3 * v * v * (s.X2 - s.X1) + 6 * v * u * (s.X3 - s.X2) + 3 * u * u * (s.X4 - s.X3);
      dy = 3 * v * v * (s.Y2 - s.Y1) + 6 * v * u * (s.Y3 - s.Y2) + 3 * u * u * (s.Y4 - s.Y3);
      // A control point on an end leaves no direction there: look a little further along.
      if (dx == 0 && dy == 0) {
        dx = s.X4 - s.X1;
        dy = s.Y4 - s.Y1;
      }
      return;
    }
  }
}

void TPathAnimator::SetPath(TPathType type, const std::vector<TPathSegment>& segments) {
  fType = type;
  fSegments = segments;
  fPieces.clear();
  fSamples.clear();
  fWaypoints.clear();
  fLength = 0;
  fElapsed = 0;
  for (const TPathSegment& s : fSegments) fPieces.push_back(PieceOf(s));
  // Each piece becomes a run of samples of its own parameter with the length walked so far; a
  // position is found by length and read back from the exact curve.
  std::vector<double> ends;
  for (int i = 0; i < SegmentCount(); ++i) {
    int steps = 1;
    const TPathSegment& s = fSegments[std::size_t(i)];
    if (fPieces[std::size_t(i)] == TPiece::Arc) {
      const double sweep = std::abs(s.Sweep == 0 ? kTwoPi : s.Sweep);
      steps = std::max(8, int(std::ceil(sweep / kTwoPi * 256)));
    } else if (fPieces[std::size_t(i)] == TPiece::Cubic) {
      steps = 64;
    }
    double px = 0, py = 0, dx, dy;
    Eval(i, 0, px, py, dx, dy);
    fSamples.push_back({fLength, i, 0});
    for (int k = 1; k <= steps; ++k) {
      const double u = double(k) / steps;
      double x, y;
      Eval(i, u, x, y, dx, dy);
      fLength += std::hypot(x - px, y - py);
      fSamples.push_back({fLength, i, u});
      px = x, py = y;
    }
    ends.push_back(fLength);
  }
  const int n = SegmentCount();
  fWaypoints.push_back(0);
  for (int i = 0; i < n; ++i) fWaypoints.push_back(fLength > 0 ? ends[std::size_t(i)] / fLength : double(i + 1) / n);
  if (n > 0) fWaypoints.back() = 1.0;
}

void TPathAnimator::SetTiming(double totalTime, double timeScale) {
  if (!(totalTime > 0)) throw std::invalid_argument("TotalTime must be greater than zero");
  if (!(timeScale > 0)) throw std::invalid_argument("TimeScale must be greater than zero");
  // The share of the run already done is kept.
  const double share = fTotal > 0 ? fElapsed / fTotal : 0;
  fTotal = totalTime;
  fElapsed = std::clamp(share, 0.0, 1.0) * fTotal;
  fScale = timeScale;
}

void TPathAnimator::UpdateTimeScale(double scale) {
  if (!(scale > 0)) throw std::invalid_argument("Scale must be greater than zero");
  fScale = scale;
}

double TPathAnimator::Ease(double t) const {
  t = std::clamp(t, 0.0, 1.0);
  switch (fEasing) {
    case TPathEasing::EaseIn:
      return t * t;
    case TPathEasing::EaseOut:
      return 1 - (1 - t) * (1 - t);
    case TPathEasing::EaseInOut:
      return t * t * (3 - 2 * t);
    default:
      return t;
  }
}

double TPathAnimator::GetProgress() const { return fTotal > 0 ? std::clamp(fElapsed / fTotal, 0.0, 1.0) : 0; }

double TPathAnimator::GetPathProgress() const {
  const double p = Ease(GetProgress());
  return fReverse ? 1 - p : p;
}

bool TPathAnimator::PointAt(double p, double& x, double& y, double& angle) const {
  x = y = angle = 0;
  if (fSamples.empty()) return false;
  p = std::clamp(p, 0.0, 1.0);
  const double d = p * fLength;
  // The first sample at or past d; the piece between it and the one before holds the point.
  auto it = std::lower_bound(fSamples.begin(), fSamples.end(), d,
                             [](const TSample& s, double v) { return s.Dist < v; });
  int seg;
  double u;
  if (it == fSamples.begin()) {
    seg = it->Seg, u = it->U;
  } else if (it == fSamples.end()) {
    seg = fSamples.back().Seg, u = fSamples.back().U;
  } else {
    const TSample& b = *it;
    const TSample& a = *(it - 1);
    if (a.Seg != b.Seg || b.Dist <= a.Dist) {
      seg = b.Seg, u = b.U;
    } else {
      seg = b.Seg;
      u = a.U + (b.U - a.U) * (d - a.Dist) / (b.Dist - a.Dist);
    }
  }
  double dx, dy;
  Eval(seg, u, x, y, dx, dy);
  angle = (dx == 0 && dy == 0) ? 0 : std::atan2(dy, dx);
  return true;
}

void TPathAnimator::Current(double& x, double& y, double& angle) const { PointAt(GetPathProgress(), x, y, angle); }

bool TPathAnimator::Update(double deltaTime, double& x, double& y, double& angle, double& leftover) {
  leftover = 0;
  if (!(deltaTime > 0)) deltaTime = 0;
  const double advance = deltaTime * fScale;
  bool running = true;
  if (fElapsed + advance >= fTotal * (1 - kEndSlack)) {
    const double used = (fTotal - fElapsed) / fScale;
    leftover = std::max(0.0, deltaTime - used);
    fElapsed = fTotal;
    running = false;
  } else {
    fElapsed += advance;
  }
  Current(x, y, angle);
  return running;
}

double TPathAnimator::WaypointProgress(int index) const {
  if (index < 0 || index >= int(fWaypoints.size())) return 0;
  return fWaypoints[std::size_t(index)];
}

std::vector<std::int32_t> TPathAnimator::GetCrossedWaypoints(double fromProgress, double toProgress) const {
  std::vector<std::int32_t> out;
  constexpr double eps = 1e-12;
  const int n = int(fWaypoints.size());
  if (toProgress > fromProgress) {
    for (int i = 0; i < n; ++i) {
      const double w = fWaypoints[std::size_t(i)];
      if (w > fromProgress + eps && w <= toProgress + eps) out.push_back(i);
    }
  } else if (toProgress < fromProgress) {
    for (int i = n - 1; i >= 0; --i) {
      const double w = fWaypoints[std::size_t(i)];
      if (w < fromProgress - eps && w >= toProgress - eps) out.push_back(i);
    }
  }
  return out;
}

bool TPathAnimator::Seek(double t, double& x, double& y, double& angle) {
  if (fSamples.empty()) {
    x = y = angle = 0;
    return false;
  }
  fElapsed = std::clamp(t, 0.0, fTotal);
  Current(x, y, angle);
  return true;
}

}  // namespace Orv::Anim
