#pragma once
// Motion along a path: the geometry (lines, elliptic arcs and cubic curves), the timing of one
// run over it, easing and direction. Positions are spread by arc length, so the speed is the same
// on every piece of a path, whatever the pieces' kinds and lengths.

#include <cstdint>
#include <vector>

namespace Orv::Anim {

// How the segments of a path are read.
enum class TPathType : std::int32_t {
  Open = 0,     // straight segments, start to end
  Closed = 1,   // straight segments that come back to the start
  Circle = 2,   // arc segments (a whole turn when Sweep is 0)
  Ellipse = 3,  // the same with two radii
  Mixed = 4,    // each segment by its own fields: radii set: arc; else a straight segment
  Bezier = 5,   // cubic segments
};

// Thirteen values. A straight segment: (X1, Y1) to (X2, Y2). An arc: centre (X1, Y1), radii RX,
// RY, Start and Sweep in radians, clockwise on the y-down page, Sweep 0 meaning a whole turn
// from Start. A cubic: (X1, Y1), controls (X2, Y2) and (X3, Y3), end (X4, Y4). Weight is 1.
struct TPathSegment {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0, X4 = 0, Y4 = 0;
  double RX = 0, RY = 0, Start = 0, Sweep = 0;
  double Weight = 1.0;

  static TPathSegment Line(double x1, double y1, double x2, double y2);
  static TPathSegment Arc(double cx, double cy, double rx, double ry, double start = 0, double sweep = 0);
  static TPathSegment Cubic(double x1, double y1, double c1x, double c1y, double c2x, double c2y, double x2,
                            double y2);
};

enum class TPathEasing : std::int32_t { Linear = 0, EaseIn = 1, EaseOut = 2, EaseInOut = 3 };

class TPathAnimator {
 public:
  TPathAnimator() = default;

  // Replaces the geometry; the run starts again.
  void SetPath(TPathType type, const std::vector<TPathSegment>& segments);
  TPathType GetPathType() const { return fType; }
  int SegmentCount() const { return static_cast<int>(fSegments.size()); }
  double GetLength() const { return fLength; }

  // One run takes totalTime seconds at scale 1; the scale speeds it up (2: twice as fast).
  // Raises std::invalid_argument for a time or scale not above 0.
  void SetTiming(double totalTime, double timeScale);
  void UpdateTimeScale(double scale);
  double GetTimeScale() const { return fScale; }
  double GetTotalTime() const { return fTotal; }

  // Advances by deltaTime real seconds. False when the run reached its end during this call;
  // `leftover` is then the part of deltaTime not used. The angle is the direction of the path
  // (start to end) at the position, radians, clockwise on the page.
  bool Update(double deltaTime, double& x, double& y, double& angle, double& leftover);
  // Share of the run's time spent, 0..1.
  double GetProgress() const;
  // Where the position lies along the path, 0 at its start and 1 at its end, easing included.
  double GetPathProgress() const;
  // Waypoints are the ends of the segments, numbered 0 (the start) to SegmentCount(). Those
  // passed going from path progress `from` to `to` (either way), in the order they were passed;
  // the one at `from` itself is not counted.
  std::vector<std::int32_t> GetCrossedWaypoints(double fromProgress, double toProgress) const;
  double WaypointProgress(int index) const;

  bool IsReverse() const { return fReverse; }
  void SetReverse(bool reverse) { fReverse = reverse; }
  // Back to the start of the current direction (the path's end when reversed).
  void Reset() { fElapsed = 0; }
  // Places the run at `t` seconds of path time (clamped to the run); false without a path.
  bool Seek(double t, double& x, double& y, double& angle);
  void SetEasing(TPathEasing easing) { fEasing = easing; }
  TPathEasing GetEasing() const { return fEasing; }

  // The point and direction at path progress p (0..1, along the path's own direction).
  bool PointAt(double p, double& x, double& y, double& angle) const;

 private:
  enum class TPiece : std::uint8_t { Line, Arc, Cubic };
  struct TSample {
    double Dist;  // path length up to here
    int Seg;
    double U;  // the segment's own parameter, 0..1
  };
  TPiece PieceOf(const TPathSegment& s) const;
  void Eval(int seg, double u, double& x, double& y, double& dx, double& dy) const;
  double Ease(double t) const;
  void Current(double& x, double& y, double& angle) const;

  TPathType fType = TPathType::Open;
  std::vector<TPathSegment> fSegments;
  std::vector<TPiece> fPieces;
  std::vector<TSample> fSamples;
  std::vector<double> fWaypoints;  // progress of each segment end, SegmentCount() + 1 values
  double fLength = 0;
  double fTotal = 1.0;
  double fScale = 1.0;
  double fElapsed = 0;  // animation seconds into the run
  bool fReverse = false;
  TPathEasing fEasing = TPathEasing::Linear;
};

}  // namespace Orv::Anim
