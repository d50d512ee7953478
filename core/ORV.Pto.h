#pragma once
// A document point: two signed 64-bit coordinates in base units (1/25400 inch).

#include <cstdint>

#include "ORV.BaseDraw.h"
#include "ORV.Utils.h"

namespace Orv {

struct TORVPto {
  std::int64_t X = 0;
  std::int64_t Y = 0;

  TORVPto() = default;
  constexpr TORVPto(std::int64_t x, std::int64_t y) : X(x), Y(y) {}

  void Define(double x, double y, TORVUnits units) {
    X = Utils::SetValue(x, units);
    Y = Utils::SetValue(y, units);
  }
  void DefineBase(std::int64_t x, std::int64_t y) { X = x; Y = y; }

  // Device coordinates without the cell origin (items add it).
  float DrawX(const TPLNBaseDraw& d) const { return static_cast<float>(X * d.PixPerBaseX); }
  float DrawY(const TPLNBaseDraw& d) const { return static_cast<float>(Y * d.PixPerBaseY); }
  // Whole device pixels, for the printer.
  std::int32_t PrintX(const TPLNBaseDraw& d) const {
    return static_cast<std::int32_t>(Utils::RoundHalfAway(X * d.PixPerBaseX));
  }
  std::int32_t PrintY(const TPLNBaseDraw& d) const {
    return static_cast<std::int32_t>(Utils::RoundHalfAway(Y * d.PixPerBaseY));
  }
  // The point shifted by `gap` base units, in device coordinates.
  float DrawGapX(const TPLNBaseDraw& d, std::int64_t gap) const {
    return static_cast<float>((X + gap) * d.PixPerBaseX);
  }
  float DrawGapY(const TPLNBaseDraw& d, std::int64_t gap) const {
    return static_cast<float>((Y + gap) * d.PixPerBaseY);
  }

  friend bool operator==(const TORVPto&, const TORVPto&) = default;
};

// Axis-aligned bounds in base units; empty while x1 > x2.
struct TORVBounds {
  std::int64_t X1 = INT64_MAX;
  std::int64_t Y1 = INT64_MAX;
  std::int64_t X2 = INT64_MIN;
  std::int64_t Y2 = INT64_MIN;
  bool IsEmpty() const { return X1 > X2 || Y1 > Y2; }
  void Add(std::int64_t x, std::int64_t y) {
    if (x < X1) X1 = x;
    if (x > X2) X2 = x;
    if (y < Y1) Y1 = y;
    if (y > Y2) Y2 = y;
  }
  void Add(const TORVPto& p) { Add(p.X, p.Y); }
  void Add(const TORVBounds& b) {
    if (!b.IsEmpty()) {
      Add(b.X1, b.Y1);
      Add(b.X2, b.Y2);
    }
  }
};

}  // namespace Orv
