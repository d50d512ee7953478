#pragma once
// The document's index of item bounds: which items meet an area, without looking at every item.
//
// A uniform grid of cells over the bulk of the drawing; the slot numbers of all cells lie in one
// flat array. Every item has a slot, numbered when the grid was built; the slot holds the item's
// position in the document and two marks:
//  - moved: the grid's entries for the slot are out of date; the item is asked for its bounds at
//    each query, from a short list of moved and new items, until the next build;
//  - gone: the item was deleted (its entries stay in the grid and are skipped).
// The grid is built lazily at the first query after the document was replaced, and again when
// the moved list or the deleted slots grow too long. Items far outside the bulk fall into the
// border cells, which reach to infinity; items spanning many cells are kept in a list of their
// own. Positions shift on deletion and reordering; they are renumbered lazily from the first one
// that changed.
//
// The index keeps no item pointers: the document passes its item list to every query. Its
// operations lock: items drawn on worker threads (the editor's bands, exports) may lay
// themselves out and report new bounds while the document is asked on the main thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "ORV.Pto.h"

namespace Orv {

class TPLNBaseItem;

class TORVSpatialIndex {
 public:
  using TItems = std::vector<std::unique_ptr<TPLNBaseItem>>;

  // The document's hooks. `pos` is the item's position in the list, from 0.
  void Added(TPLNBaseItem* item, int pos);
  // The item's bounds may have changed. Cheap when nothing is built or the item is already moved.
  void Changed(const TPLNBaseItem* item);
  // Called before the item at `pos` leaves the list.
  void Removed(const TPLNBaseItem* item, int pos);
  // The positions from `from` on may have changed (a sort).
  void Reordered(int from);
  // Everything changed (a new item list, a cleared document): the next query builds again.
  void Reset();

  // Positions (from 1, ascending) of the items whose bounds meet `area`, edges inclusive.
  void Query(const TItems& items, const TORVBounds& area, std::vector<int>& out);

 private:
  // One axis of the grid: `Count` cells of `Size` from `Origin`; the first and the last reach to
  // infinity.
  struct TAxis {
    std::int64_t Origin = 0;
    std::uint64_t Size = 1;
    double Inverse = 1;  // 1 / Size, for a first guess without a division
    int Count = 1;
    void Set(std::int64_t origin, std::uint64_t size, int count);
    int Cell(std::int64_t v) const;
    // The cell lies within [from, to].
    bool Within(int c, std::int64_t from, std::int64_t to) const;
  };

  void ResetLocked();
  void Build(const TItems& items);
  // False when an item has no slot of this index.
  bool Renumber(const TItems& items);

  struct TBigEntry {
    std::uint32_t Slot;
    TORVBounds Bounds;
  };

  // Per slot: position | marks.
  std::vector<std::uint32_t> fSlots;
  // Cell c holds fEntries[fCellStart[c] .. fCellStart[c + 1]), slots in ascending order.
  std::vector<std::uint32_t> fCellStart;
  std::unique_ptr<std::uint32_t[]> fEntries;
  std::size_t fEntryCapacity = 0;
  std::vector<TBigEntry> fBig;
  // Slots of moved and new items.
  std::vector<std::uint32_t> fMoved;
  // One bit per position, all clear between queries.
  std::vector<std::uint64_t> fMarks;
  // Union of the bounds in the grid and the big list, as built.
  TORVBounds fAll;
  TAxis fX, fY;
  std::size_t fGone = 0;
  // Positions from here on are out of date.
  std::size_t fStaleFrom = 0;
  // Read without the lock, so that an unbuilt index costs its hooks nothing.
  std::atomic<bool> fBuilt = false;
  std::mutex fLock;
};

}  // namespace Orv
