#pragma once
// The drawing every bench of large documents uses, and the heap counter they measure with.

#include <malloc.h>

#include <memory>

#include "ORV.FMX.h"

namespace PlanoraBench {

// A mix of the basic kinds spread over an A4 page.
inline void FillShapeMix(Orv::Fmx::TPlanoraFMX& doc, int n) {
  using Orv::Fmx::TPLNFactory;
  doc.BeginUpdate();
  for (int i = 0; i < n; ++i) {
    const std::int64_t x = (std::int64_t(i) * 7919) % 200000, y = (std::int64_t(i) * 104729) % 280000;
    switch (i % 5) {
      case 0: TPLNFactory::AddBaseRectangle(&doc, x, y, 3000, 2000); break;
      case 1: TPLNFactory::AddBaseLine(&doc, x, y, x + 4000, y + 1000); break;
      case 2: TPLNFactory::AddBaseCircle(&doc, x, y, 1500); break;
      case 3: TPLNFactory::AddBaseEllipse(&doc, x, y, 2000, 1000); break;
      case 4: TPLNFactory::AddBasePolygon(&doc, {x, y, x + 2000, y, x + 1000, y + 2000}); break;
    }
  }
  doc.EndUpdate();
}

// One shape-mix drawing of `n` items per program, made at first use and kept.
inline Orv::Fmx::TPlanoraFMX& SharedShapeMix(int n) {
  static const auto doc = [n] {
    auto d = std::make_unique<Orv::Fmx::TPlanoraFMX>();
    FillShapeMix(*d, n);
    return d;
  }();
  return *doc;
}

// Heap in use counted by the allocator, large blocks (mapped on their own) included; RSS would
// hide memory reused from earlier runs.
inline double HeapBytes() {
  const struct mallinfo2 m = mallinfo2();
  return double(m.uordblks + m.hblkhd);
}

}  // namespace PlanoraBench
