#pragma once
// The document's undo history.
//
// The history keeps a shadow of the last recorded state: every item's record (kind code first,
// as saved) under a serial number that stays with the item while it lives and comes back with
// it when a deleted item is restored, the order of the serials, and the document's own data
// (title, units, measure, print settings, layers, dimension styles). A step is the difference
// between two shadows: the records before and after of changed, deleted and created items, the
// stretch of the order that changed, and the document's data before and after when it changed.
// At the end of a step only the items that told the document of a change (plus the selection
// and the text being typed, which editors change most) are written again and compared, so a
// step costs what it touched plus one walk over the item list.
//
// The shadow costs about one record per item (~100-200 bytes for plain shapes). A new document
// has it at once (it is nearly empty); a loaded one builds it at the first group, query or
// undo, so reading a file to export or print it never pays for it.

#include <functional>
#include <QBuffer>
#include <QByteArray>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace Orv {

class TPLNBaseLabel;
class TPLNBaseItem;

class TPLNUndoStack {
 public:
  explicit TPLNUndoStack(TPLNBaseLabel* doc);
  ~TPLNUndoStack();
  TPLNUndoStack(const TPLNUndoStack&) = delete;
  TPLNUndoStack& operator=(const TPLNUndoStack&) = delete;

  // Hooks of the document: an item may have changed; one was added at the end; something may
  // have changed (a notification); the items may have been removed or reordered, so the next
  // step walks them all.
  void Touch(TPLNBaseItem* item);
  void Inserted(TPLNBaseItem* item) {
    ++fAppended;
    Touch(item);
  }
  void Pending() {
    if (!fApplying && std::this_thread::get_id() == fThread) fPending = true;
  }
  void Reshaped() {
    if (fApplying || std::this_thread::get_id() != fThread) return;
    fPending = true;
    fReshaped = true;
  }
  void BeginGroup();
  void EndGroup();
  // Reading into the document: a paste is a group, a silent read (copies for printing) is not.
  void BeginRead(bool paste);
  void EndRead();

  // Closes the changes made outside any group into a step (nothing inside a group).
  void Close();
  // Makes `change` to the document's own data where no step can take it back (a print run moving
  // its counters on: undoing an edit must not hand out the printed numbers again). The changes
  // pending before it close into their step first.
  static void OutsideHistory(TPLNBaseLabel& doc, const std::function<void()>& change);
  void Undo();
  void Redo();
  // Forgets every step. `rebuild`: take the current state as the start now; otherwise the start
  // is taken lazily, before the next group.
  void Clear(bool rebuild);
  void SetLimit(int steps);
  int Limit() const { return fLimit; }
  int UndoCount() const { return fPos; }
  int RedoCount() const { return static_cast<int>(fSteps.size()) - fPos; }
  std::uint64_t Recorded() const { return fRecorded; }
  // Undoes the last step and forgets it: nothing is left to redo.
  void Discard();
  bool Enabled() const { return fLimit > 0; }

 private:
  // One item in a step: its record before and after; an empty record means the item did not
  // exist on that side.
  struct TItemChange {
    std::uint32_t Serial;
    QByteArray Before, After;
  };
  struct TStep {
    std::vector<TItemChange> Items;
    // The order of the items from position OrderAt: Before and After differ there only.
    int OrderAt = 0;
    std::vector<std::uint32_t> OrderBefore, OrderAfter;
    bool OrderChanged = false;
    // The document's own data (empty when it did not change).
    QByteArray DocBefore, DocAfter;
  };

  QByteArray Record(const TPLNBaseItem* item);
  QByteArray DocRecord();
  // What of the document's own data the items' records depend on (units, measure, styles, the
  // number of layers): when it changes every item is written again.
  QByteArray DocKey();
  void Build();
  void FreeShadow();
  // The shadow matches the item list as it is now.
  void Seen();
  // Records a step of what changed since the shadow; false when nothing did.
  bool Commit();
  void Push(TStep&& step);
  void Apply(const TStep& step, bool forward);
  void RestoreDoc(const QByteArray& bytes);
  void KeepPoints(TPLNBaseItem* item, const QByteArray& record);
  void Changed(bool historyOnly);

  TPLNBaseLabel* fDoc;
  std::vector<TStep> fSteps;
  int fPos = 0;  // steps before fPos are done, those from fPos on can be redone
  std::uint64_t fRecorded = 0;
  int fLimit = 100;
  int fDepth = 0;
  std::vector<bool> fReads;
  bool fValid = false;
  bool fPending = false;
  bool fApplying = false;
  bool fCommitting = false;
  // The shadow: records by serial (empty for serials no longer alive), the order, the document.
  std::vector<QByteArray> fRecords;
  std::vector<std::uint32_t> fOrder;
  QByteArray fDocRecord;
  QByteArray fDocKey;
  std::uint32_t fNextSerial = 1;
  // Since the last step: the items that told of a change, the item count then, the items added
  // at the end, and whether anything else changed the list. With nothing else, a step looks at
  // those items only instead of walking every item.
  std::vector<TPLNBaseItem*> fDirty;
  std::size_t fSeenCount = 0;
  std::size_t fAppended = 0;
  bool fReshaped = true;
  // The thread that edits the document (the one that took the shadow).
  std::thread::id fThread;
  // Reused for writing records, so each costs one allocation.
  QByteArray fScratch;
  QBuffer fBuffer;
};

}  // namespace Orv
