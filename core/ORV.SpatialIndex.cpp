#include "ORV.SpatialIndex.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>

#include "ORV.Base.h"

namespace Orv {

namespace {

// Slot word: the position in the low 30 bits (a billion items), then the marks.
constexpr std::uint32_t kPosMask = (1u << 30) - 1;
constexpr std::uint32_t kEmpty = 1u << 30;  // no bounds when built: in no cell
constexpr std::uint32_t kMoved = 1u << 31;
constexpr std::uint32_t kGone = 0xFFFFFFFFu;  // carries kMoved, so one test skips both

// Enough items to place the grid on the bulk of the drawing without a pass over all of them.
constexpr std::size_t kSample = 4096;
// Cells are sized for about this many items each, and never smaller than the median item, so
// that a typical item lies in at most four cells.
constexpr double kItemsPerCell = 2.0;
constexpr int kMaxCells = 4096;  // per axis
// An item over more cells than this goes to the list of large items instead.
constexpr std::int64_t kBigSpan = 64;
// Moved items are asked for their bounds at every query, deleted slots only cost memory: build
// again once either list outgrows a small share of the document.
constexpr std::size_t kMovedSlack = 512;
constexpr std::size_t kGoneSlack = 1024;

bool Meets(const TORVBounds& b, const TORVBounds& a) {
  return !b.IsEmpty() && b.X1 <= a.X2 && a.X1 <= b.X2 && b.Y1 <= a.Y2 && a.Y1 <= b.Y2;
}

// Distance from lo up to hi (hi >= lo), exact over the whole 64-bit range.
std::uint64_t Span(std::int64_t lo, std::int64_t hi) {
  return static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo);
}

// The k-th smallest of `v` (reordered).
template <class T>
T Nth(std::vector<T>& v, std::size_t k) {
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
  return v[k];
}

}  // namespace

void TORVSpatialIndex::Added(TPLNBaseItem* item, int pos) {
  if (!fBuilt) return;
  std::lock_guard lock(fLock);
  if (!fBuilt) return;
  const auto slot = static_cast<std::uint32_t>(fSlots.size());
  item->fIndexSlot = static_cast<std::int32_t>(slot);
  fSlots.push_back(kMoved | static_cast<std::uint32_t>(pos));
  fMoved.push_back(slot);
}

void TORVSpatialIndex::Changed(const TPLNBaseItem* item) {
  if (!fBuilt) return;
  std::lock_guard lock(fLock);
  if (!fBuilt) return;
  const std::int32_t slot = item->fIndexSlot;
  if (slot < 0 || static_cast<std::size_t>(slot) >= fSlots.size()) {
    // Not an item this index numbered: only a full build is sure to be right.
    ResetLocked();
    return;
  }
  std::uint32_t& v = fSlots[static_cast<std::size_t>(slot)];
  if (v & kMoved) return;
  v = (v & kPosMask) | kMoved;
  fMoved.push_back(static_cast<std::uint32_t>(slot));
}

void TORVSpatialIndex::Removed(const TPLNBaseItem* item, int pos) {
  if (!fBuilt) return;
  std::lock_guard lock(fLock);
  if (!fBuilt) return;
  const std::int32_t slot = item->fIndexSlot;
  if (slot < 0 || static_cast<std::size_t>(slot) >= fSlots.size()) {
    ResetLocked();
    return;
  }
  fSlots[static_cast<std::size_t>(slot)] = kGone;
  ++fGone;
  fStaleFrom = std::min(fStaleFrom, static_cast<std::size_t>(pos));
}

void TORVSpatialIndex::Reordered(int from) {
  if (!fBuilt) return;
  std::lock_guard lock(fLock);
  fStaleFrom = std::min(fStaleFrom, static_cast<std::size_t>(std::max(from, 0)));
}

void TORVSpatialIndex::Reset() {
  std::lock_guard lock(fLock);
  ResetLocked();
}

void TORVSpatialIndex::ResetLocked() {
  fBuilt = false;
  // Assigning {} would keep the capacity.
  fSlots = std::vector<std::uint32_t>();
  fCellStart = std::vector<std::uint32_t>();
  fEntries.reset();
  fEntryCapacity = 0;
  fBig = std::vector<TBigEntry>();
  fMoved = std::vector<std::uint32_t>();
  fMarks = std::vector<std::uint64_t>();
  fAll = {};
  fGone = 0;
  fStaleFrom = 0;
}

void TORVSpatialIndex::TAxis::Set(std::int64_t origin, std::uint64_t size, int count) {
  Origin = origin;
  Size = std::max<std::uint64_t>(size, 1);
  Inverse = 1.0 / double(Size);
  Count = std::max(count, 1);
}

inline int TORVSpatialIndex::TAxis::Cell(std::int64_t v) const {
  if (v <= Origin) return 0;
  const std::uint64_t d = Span(Origin, v);
  // The guess is off by at most one, then made exact.
  const double guess = double(d) * Inverse;
  if (guess >= double(Count)) return Count - 1;
  auto c = static_cast<std::uint64_t>(guess);
  using U128 = unsigned __int128;
  if (U128(c) * Size > d)
    --c;
  else if (U128(c + 1) * Size <= d)
    ++c;
  return c >= static_cast<std::uint64_t>(Count) ? Count - 1 : static_cast<int>(c);
}

bool TORVSpatialIndex::TAxis::Within(int c, std::int64_t from, std::int64_t to) const {
  const __int128 lo = c == 0 ? __int128(INT64_MIN) : __int128(Origin) + __int128(c) * Size;
  const __int128 hi = c == Count - 1 ? __int128(INT64_MAX) : __int128(Origin) + __int128(c + 1) * Size - 1;
  return from <= lo && hi <= to;
}

bool TORVSpatialIndex::Renumber(const TItems& items) {
  for (std::size_t i = fStaleFrom; i < items.size(); ++i) {
    const auto slot = static_cast<std::size_t>(items[i]->fIndexSlot);
    if (slot >= fSlots.size()) return false;
    fSlots[slot] = (fSlots[slot] & ~kPosMask) | static_cast<std::uint32_t>(i);
  }
  fStaleFrom = items.size();
  return true;
}

void TORVSpatialIndex::Build(const TItems& items) {
  const std::size_t n = items.size();
  // Building again keeps the memory: a document that needed it once will again.
  fBuilt = true;
  fSlots.clear();
  fSlots.reserve(n);
  fBig.clear();
  fMoved.clear();
  fAll = {};
  fGone = 0;
  fStaleFrom = n;

  // Place the grid on a sample: the bulk between the 1st and 99th percentile of the edges, so
  // that a few items far away do not stretch every cell.
  std::vector<TORVBounds> sample;
  const std::size_t stride = std::max<std::size_t>(1, n / kSample);
  for (std::size_t i = 0; i < n; i += stride) {
    const TORVBounds b = items[i]->GetBounds();
    if (!b.IsEmpty()) sample.push_back(b);
  }
  fX.Set(0, 1, 1);
  fY.Set(0, 1, 1);
  if (!sample.empty()) {
    const std::size_t m = sample.size(), q = m / 100;
    std::vector<std::int64_t> v(m);
    auto edge = [&](auto field, std::size_t k) {
      for (std::size_t i = 0; i < m; ++i) v[i] = sample[i].*field;
      return Nth(v, k);
    };
    const std::int64_t x1 = edge(&TORVBounds::X1, q), y1 = edge(&TORVBounds::Y1, q);
    const std::int64_t x2 = std::max(x1, edge(&TORVBounds::X2, m - 1 - q));
    const std::int64_t y2 = std::max(y1, edge(&TORVBounds::Y2, m - 1 - q));
    std::vector<double> sizes(m);
    for (std::size_t i = 0; i < m; ++i)
      sizes[i] = std::max(double(Span(sample[i].X1, sample[i].X2)), double(Span(sample[i].Y1, sample[i].Y2)));
    const double median = Nth(sizes, m / 2);

    const std::uint64_t w = Span(x1, x2), h = Span(y1, y2);
    const double target = std::max(1.0, double(n) / kItemsPerCell);
    double side = (w > 0 && h > 0) ? std::sqrt(double(w) * double(h) / target) : double(std::max(w, h)) / target;
    side = std::max({side, median, 1.0});
    const int cols = static_cast<int>(std::clamp(std::ceil(double(w) / side), 1.0, double(kMaxCells)));
    const int rows = static_cast<int>(std::clamp(std::ceil(double(h) / side), 1.0, double(kMaxCells)));
    fX.Set(x1, w / cols + (w % cols != 0), cols);
    fY.Set(y1, h / rows + (h % rows != 0), rows);
  }

  // Two passes over the items, asking each for its bounds twice rather than keeping them: count
  // the entries of every cell, then lay them out with the slots ascending.
  const std::size_t cols = std::size_t(fX.Count), cells = cols * std::size_t(fY.Count);
  fCellStart.assign(cells + 1, 0);
  std::size_t entries = 0;
  for (std::size_t i = 0; i < n; ++i) {
    TPLNBaseItem* item = items[i].get();
    item->fIndexSlot = static_cast<std::int32_t>(i);
    const TORVBounds b = item->GetBounds();
    if (b.IsEmpty()) {
      fSlots.push_back(static_cast<std::uint32_t>(i) | kEmpty);
      continue;
    }
    fSlots.push_back(static_cast<std::uint32_t>(i));
    fAll.Add(b);
    const int cx0 = fX.Cell(b.X1), cx1 = fX.Cell(b.X2), cy0 = fY.Cell(b.Y1), cy1 = fY.Cell(b.Y2);
    if (std::int64_t(cx1 - cx0 + 1) * (cy1 - cy0 + 1) > kBigSpan) {
      fBig.push_back({static_cast<std::uint32_t>(i), b});
      continue;
    }
    for (int cy = cy0; cy <= cy1; ++cy)
      for (int cx = cx0; cx <= cx1; ++cx) ++fCellStart[std::size_t(cy) * cols + cx];
    entries += std::size_t(cx1 - cx0 + 1) * std::size_t(cy1 - cy0 + 1);
  }
  // Running sums make each count the end of its cell; filling backwards moves it to the start.
  for (std::size_t c = 1; c < cells; ++c) fCellStart[c] += fCellStart[c - 1];
  fCellStart[cells] = static_cast<std::uint32_t>(entries);
  if (entries > fEntryCapacity) {
    // Left uninitialised: every entry is written below.
    fEntries = std::make_unique_for_overwrite<std::uint32_t[]>(entries);
    fEntryCapacity = entries;
  }
  for (std::size_t i = n; i-- > 0;) {
    if (fSlots[i] & kEmpty) continue;
    const TORVBounds b = items[i]->GetBounds();
    const int cx0 = fX.Cell(b.X1), cx1 = fX.Cell(b.X2), cy0 = fY.Cell(b.Y1), cy1 = fY.Cell(b.Y2);
    if (std::int64_t(cx1 - cx0 + 1) * (cy1 - cy0 + 1) > kBigSpan) continue;
    for (int cy = cy0; cy <= cy1; ++cy)
      for (int cx = cx0; cx <= cx1; ++cx)
        fEntries[--fCellStart[std::size_t(cy) * cols + cx]] = static_cast<std::uint32_t>(i);
  }
}

void TORVSpatialIndex::Query(const TItems& items, const TORVBounds& area, std::vector<int>& out) {
  std::lock_guard lock(fLock);
  out.clear();
  const std::size_t n = items.size();
  // A count that does not add up means an item came or went unannounced: build afresh rather
  // than trust any slot.
  if (!fBuilt || fSlots.size() - fGone != n || fMoved.size() > kMovedSlack + n / 16 || fGone > kGoneSlack + n / 4)
    Build(items);
  else if (fStaleFrom < n && !Renumber(items))
    Build(items);
  if (area.IsEmpty() || n == 0) return;

  fMarks.resize((n + 63) / 64);
  std::size_t first = fMarks.size(), last = 0;
  auto mark = [&](std::uint32_t pos) {
    const std::size_t w = pos >> 6;
    fMarks[w] |= std::uint64_t(1) << (pos & 63);
    first = std::min(first, w);
    last = std::max(last, w);
  };
  auto marked = [&](std::uint32_t pos) { return (fMarks[pos >> 6] >> (pos & 63)) & 1; };

  if (!fAll.IsEmpty() && area.X1 <= fAll.X1 && fAll.X2 <= area.X2 && area.Y1 <= fAll.Y1 && fAll.Y2 <= area.Y2) {
    // Everything the grid holds lies inside.
    for (const std::uint32_t v : fSlots)
      if (!(v & (kMoved | kEmpty))) mark(v);
  } else if (Meets(fAll, area)) {
    const int cx0 = fX.Cell(area.X1), cx1 = fX.Cell(area.X2), cy0 = fY.Cell(area.Y1), cy1 = fY.Cell(area.Y2);
    const std::size_t cols = std::size_t(fX.Count);
    for (int cy = cy0; cy <= cy1; ++cy) {
      const bool rowInside = fY.Within(cy, area.Y1, area.Y2);
      for (int cx = cx0; cx <= cx1; ++cx) {
        // An item lies in the cells its bounds meet: inside the area, a cell needs no test.
        const bool inside = rowInside && fX.Within(cx, area.X1, area.X2);
        const std::size_t c = std::size_t(cy) * cols + cx;
        for (std::uint32_t e = fCellStart[c]; e < fCellStart[c + 1]; ++e) {
          const std::uint32_t v = fSlots[fEntries[e]];
          if ((v & kMoved) || marked(v)) continue;
          if (inside || Meets(items[v]->GetBounds(), area)) mark(v);
        }
      }
    }
    for (const TBigEntry& b : fBig) {
      const std::uint32_t v = fSlots[b.Slot];
      if (!(v & kMoved) && Meets(b.Bounds, area)) mark(v);
    }
  }
  // Moved and new items, asked now; deleted ones leave the list.
  std::erase_if(fMoved, [this](std::uint32_t s) { return fSlots[s] == kGone; });
  for (const std::uint32_t s : fMoved) {
    const std::uint32_t pos = fSlots[s] & kPosMask;
    if (Meets(items[pos]->GetBounds(), area)) mark(pos);
  }

  for (std::size_t w = first; w <= last && w < fMarks.size(); ++w) {
    std::uint64_t bits = fMarks[w];
    fMarks[w] = 0;
    while (bits) {
      out.push_back(static_cast<int>(w * 64 + std::countr_zero(bits)) + 1);
      bits &= bits - 1;
    }
  }
}

}  // namespace Orv
