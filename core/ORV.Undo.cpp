#include "ORV.Undo.h"

#include <algorithm>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "ORV.Base.h"
#include "ORV.Dim.h"

namespace Orv {

namespace {

// Reads a record written by the history itself.
class TRecordReader {
 public:
  explicit TRecordReader(const QByteArray& bytes) : fBytes(bytes), fBuffer(&fBytes), fReader(Open(fBuffer)) {}
  TBinaryReader& Reader() { return fReader; }

 private:
  static QIODevice* Open(QBuffer& b) {
    b.open(QIODevice::ReadOnly);
    return &b;
  }
  QByteArray fBytes;
  QBuffer fBuffer;
  TBinaryReader fReader;
};

// The document reads silently (no notification per item) and the history hears nothing of
// its own changes while a step is applied, whatever happens.
class TApplying {
 public:
  TApplying(int& readCount, bool& applying) : fRead(readCount), fApplying(applying) {
    ++fRead;
    fApplying = true;
  }
  ~TApplying() {
    --fRead;
    fApplying = false;
  }
  TApplying(const TApplying&) = delete;
  TApplying& operator=(const TApplying&) = delete;

 private:
  int& fRead;
  bool& fApplying;
};

// The points a record holds (after the kind code and the common fields every item writes first).
std::vector<TORVPto> RecordPoints(const QByteArray& bytes) {
  TRecordReader rr(bytes);
  TBinaryReader& r = rr.Reader();
  r.ReadInt32();   // kind
  r.ReadInt32();   // ID
  r.ReadString();  // name
  r.ReadInt32();   // layer
  r.ReadUInt32();  // colour
  r.ReadDouble();  // pen width
  r.ReadByte();    // line type
  r.ReadUInt16();  // options
  std::vector<TORVPto> pts(static_cast<std::size_t>(r.ReadCount(16, "point")));
  for (TORVPto& p : pts) {
    p.X = r.ReadInt64();
    p.Y = r.ReadInt64();
  }
  return pts;
}

}  // namespace

TPLNUndoStack::TPLNUndoStack(TPLNBaseLabel* doc) : fDoc(doc), fBuffer(&fScratch) {
  fBuffer.open(QIODevice::WriteOnly);
  Build();
}

TPLNUndoStack::~TPLNUndoStack() = default;

// ---------------------------------------------------------------- records

QByteArray TPLNUndoStack::Record(const TPLNBaseItem* item) {
  fBuffer.seek(0);
  TBinaryWriter w(&fBuffer);
  item->Write(w);
  return QByteArray(fScratch.constData(), static_cast<qsizetype>(fBuffer.pos()));
}

QByteArray TPLNUndoStack::DocRecord() {
  fBuffer.seek(0);
  TBinaryWriter w(&fBuffer);
  fDoc->WriteData(w);
  return QByteArray(fScratch.constData(), static_cast<qsizetype>(fBuffer.pos()));
}

QByteArray TPLNUndoStack::DocKey() {
  fBuffer.seek(0);
  TBinaryWriter w(&fBuffer);
  w.WriteByte(static_cast<std::uint8_t>(fDoc->fUnits));
  w.WriteByte(fDoc->fEditorMode);
  fDoc->fMeasure.Write(w);
  w.WriteInt32(fDoc->GetLayersCount());
  for (const auto& s : fDoc->fDimStyles) s->Write(w);
  return QByteArray(fScratch.constData(), static_cast<qsizetype>(fBuffer.pos()));
}

// ---------------------------------------------------------------- the shadow

void TPLNUndoStack::Build() {
  fThread = std::this_thread::get_id();
  FreeShadow();
  if (!Enabled()) return;
  fRecords.reserve(fDoc->fItems.size() + 1);
  fRecords.emplace_back();  // serial 0 is nobody
  fOrder.reserve(fDoc->fItems.size());
  for (const auto& it : fDoc->fItems) {
    it->fUndoDirty = false;
    if (it->IsPreview()) continue;
    it->fUndoSerial = fNextSerial++;
    fRecords.push_back(Record(it.get()));
    fOrder.push_back(it->fUndoSerial);
  }
  fDocRecord = DocRecord();
  fDocKey = DocKey();
  fValid = true;
  fPending = false;
  Seen();
}

void TPLNUndoStack::Seen() {
  fDirty.clear();
  fSeenCount = fDoc->fItems.size();
  fAppended = 0;
  fReshaped = false;
}

void TPLNUndoStack::FreeShadow() {
  fDirty = {};
  fReshaped = true;
  fRecords = {};
  fOrder = {};
  fDocRecord.clear();
  fDocKey.clear();
  fNextSerial = 1;
  fValid = false;
}

void TPLNUndoStack::Touch(TPLNBaseItem* item) {
  // Items drawn on worker threads (exports, the editor's bands) may lay themselves out and
  // report new bounds; that is no edit, and the flags are the editing thread's alone.
  if (fApplying || !item || item->IsPreview() || std::this_thread::get_id() != fThread) return;
  // Without a shadow the next step starts from scratch anyway.
  if (!fValid) return;
  if (!item->fUndoDirty) fDirty.push_back(item);
  item->fUndoDirty = true;
  fPending = true;
}

bool TPLNUndoStack::Commit() {
  if (!Enabled() || fApplying || fCommitting) return false;
  if (!fValid) {
    // No start to compare with: what is there now becomes the start.
    Build();
    return false;
  }
  fCommitting = true;
  struct TDone {
    bool& f;
    ~TDone() { f = false; }
  } done{fCommitting};
  TStep step;

  // The document's own data first: when what the items depend on changed, every item is looked at.
  const QByteArray doc = DocRecord();
  bool everyItem = false;
  if (doc != fDocRecord) {
    step.DocBefore = fDocRecord;
    step.DocAfter = doc;
    const QByteArray key = DocKey();
    if (key != fDocKey) {
      fDocKey = key;
      everyItem = true;
    }
    fDocRecord = doc;
  }

  // Editors change the selection and the text being typed most, sometimes without a word.
  for (TPLNBaseItem* it : fDoc->fSelection) Touch(it);
  if (fDoc->fTextObject) Touch(fDoc->fTextObject);
  fPending = false;

  // One walk over the items: new ones get a serial, touched ones are looked at, and the order
  // is compared with the shadow's as it goes; only what follows the first difference is kept.
  std::vector<TPLNBaseItem*> touched;
  std::vector<TPLNBaseItem*> born;
  std::vector<std::uint32_t> rest;
  std::size_t same = 0;
  bool differs = false;
  const std::size_t count = fDoc->fItems.size();
  if (!fReshaped && !everyItem && fSeenCount <= count && count == fSeenCount + fAppended) {
    // Nothing removed or reordered: the items that told of a change, and those added at the end.
    for (TPLNBaseItem* it : fDirty) {
      if (!it->fUndoDirty) continue;
      it->fUndoDirty = false;
      if (it->fUndoSerial != 0 && it->fUndoSerial < fRecords.size() && !fRecords[it->fUndoSerial].isEmpty())
        touched.push_back(it);
    }
    same = fOrder.size();
    for (std::size_t i = fSeenCount; i < count; ++i) {
      TPLNBaseItem* it = fDoc->fItems[i].get();
      it->fUndoDirty = false;
      if (it->IsPreview()) continue;
      it->fUndoSerial = fNextSerial++;
      born.push_back(it);
      differs = true;
      rest.push_back(it->fUndoSerial);
    }
    if (fRecords.size() < fNextSerial) fRecords.resize(fNextSerial);
  } else {
    for (const auto& p : fDoc->fItems) {
      TPLNBaseItem* it = p.get();
      if (it->IsPreview()) {
        it->fUndoDirty = false;
        continue;
      }
      if (it->fUndoSerial == 0 || it->fUndoSerial >= fRecords.size() || fRecords[it->fUndoSerial].isEmpty()) {
        it->fUndoSerial = fNextSerial++;
        if (fRecords.size() < fNextSerial) fRecords.resize(fNextSerial);
        born.push_back(it);
      } else if (it->fUndoDirty || everyItem) {
        touched.push_back(it);
      }
      it->fUndoDirty = false;
      if (!differs && same < fOrder.size() && fOrder[same] == it->fUndoSerial) {
        ++same;
        continue;
      }
      differs = true;
      rest.push_back(it->fUndoSerial);
    }
  }
  Seen();

  for (TPLNBaseItem* it : touched) {
    QByteArray now = Record(it);
    QByteArray& was = fRecords[it->fUndoSerial];
    if (now == was) continue;
    step.Items.push_back({it->fUndoSerial, was, now});
    was = std::move(now);
  }
  for (TPLNBaseItem* it : born) {
    QByteArray now = Record(it);
    step.Items.push_back({it->fUndoSerial, QByteArray(), now});
    fRecords[it->fUndoSerial] = std::move(now);
  }

  if (differs || same < fOrder.size()) {
    // Edits touch one stretch of the order: appends, deletions, a move to the front or back.
    const std::size_t head = same;
    const std::size_t oldRest = fOrder.size() - head;
    std::size_t tail = 0;
    while (tail < oldRest && tail < rest.size() && rest[rest.size() - 1 - tail] == fOrder[fOrder.size() - 1 - tail])
      ++tail;
    step.OrderChanged = true;
    step.OrderAt = static_cast<int>(head);
    step.OrderBefore.assign(fOrder.begin() + head, fOrder.end() - tail);
    step.OrderAfter.assign(rest.begin(), rest.end() - tail);
    // Items gone since the shadow: in the old stretch and not in the new one.
    std::unordered_set<std::uint32_t> after(step.OrderAfter.begin(), step.OrderAfter.end());
    for (std::uint32_t s : step.OrderBefore) {
      if (after.count(s)) continue;
      step.Items.push_back({s, fRecords[s], QByteArray()});
      fRecords[s] = QByteArray();
    }
    fOrder.resize(head);
    fOrder.insert(fOrder.end(), rest.begin(), rest.end());
  }

  if (step.Items.empty() && !step.OrderChanged && step.DocAfter.isEmpty()) return false;
  Push(std::move(step));
  return true;
}

void TPLNUndoStack::Push(TStep&& step) {
  // A new change after undoing drops what could have been redone.
  fSteps.erase(fSteps.begin() + fPos, fSteps.end());
  fSteps.push_back(std::move(step));
  if (static_cast<int>(fSteps.size()) > fLimit) fSteps.erase(fSteps.begin(), fSteps.end() - fLimit);
  fPos = static_cast<int>(fSteps.size());
  ++fRecorded;
  Changed(true);
}

void TPLNUndoStack::Discard() {
  Close();
  if (fPos == 0) return;
  Undo();
  fSteps.erase(fSteps.begin() + fPos, fSteps.end());
  Changed(true);
}

void TPLNUndoStack::Changed(bool historyOnly) {
  if (!historyOnly) fDoc->NotifyChange(TORChange::Document);
  fDoc->NotifyChange(TORChange::UndoRedo);
  if (fDoc->OnUndoRedoEvent) fDoc->OnUndoRedoEvent();
}

// ---------------------------------------------------------------- groups

void TPLNUndoStack::BeginGroup() {
  if (fDepth++ > 0 || !Enabled() || fApplying) return;
  // Changes made outside a group are a step of their own, not part of this one.
  if (!fValid)
    Build();
  else if (fPending)
    Commit();
}

void TPLNUndoStack::EndGroup() {
  if (fDepth == 0) return;
  if (--fDepth > 0 || !Enabled() || fApplying) return;
  // Always looked at: a group may have set a plain field of the document (title, print
  // settings) that tells nobody. Groups end in destructors, so a failure (out of memory) costs
  // the history, never the program.
  try {
    Commit();
  } catch (...) {
    fSteps.clear();
    fPos = 0;
    FreeShadow();
  }
}

void TPLNUndoStack::BeginRead(bool paste) {
  fReads.push_back(paste);
  if (paste) BeginGroup();
}

void TPLNUndoStack::EndRead() {
  if (fReads.empty()) return;
  const bool paste = fReads.back();
  fReads.pop_back();
  if (paste) EndGroup();
}

void TPLNUndoStack::Close() {
  if (fDepth > 0 || !Enabled() || fApplying) return;
  if (fPending || !fValid) Commit();
}

void TPLNUndoStack::OutsideHistory(TPLNBaseLabel& doc, const std::function<void()>& change) {
  TPLNUndoStack& u = *doc.fUndo;
  u.Close();
  change();
  // Inside a group the step compares with its start: that start takes the change too.
  if (u.fValid && u.Enabled()) u.fDocRecord = u.DocRecord();
}

void TPLNUndoStack::Clear(bool rebuild) {
  const bool had = !fSteps.empty();
  fSteps.clear();
  fSteps.shrink_to_fit();
  fPos = 0;
  if (rebuild || fDepth > 0)
    Build();
  else
    FreeShadow();
  if (had) Changed(true);
}

void TPLNUndoStack::SetLimit(int steps) {
  steps = std::max(0, steps);
  if (steps == fLimit) return;
  const bool wasOn = Enabled();
  fLimit = steps;
  if (!Enabled()) {
    // Off: nothing is kept, not even the start.
    const bool had = !fSteps.empty();
    fSteps = {};
    fPos = 0;
    FreeShadow();
    if (had) Changed(true);
    return;
  }
  if (!wasOn) {
    Build();
    return;
  }
  // Fewer steps: the oldest go first, then what could be redone.
  const int before = static_cast<int>(fSteps.size());
  while (static_cast<int>(fSteps.size()) > fLimit) {
    if (fPos > 0) {
      fSteps.erase(fSteps.begin());
      --fPos;
    } else {
      fSteps.pop_back();
    }
  }
  if (static_cast<int>(fSteps.size()) != before) Changed(true);
}

// ---------------------------------------------------------------- undo and redo

void TPLNUndoStack::Undo() {
  // Even inside a group: the step must start from a shadow that is the document.
  if (Enabled() && (fPending || !fValid)) Commit();
  if (fPos == 0) return;
  Apply(fSteps[fPos - 1], false);
  --fPos;
  Changed(false);
}

void TPLNUndoStack::Redo() {
  if (Enabled() && (fPending || !fValid)) Commit();
  if (fPos >= static_cast<int>(fSteps.size())) return;
  Apply(fSteps[fPos], true);
  ++fPos;
  Changed(false);
}

// The document's own data from a record, into the objects that are there: items and views
// point at layers and styles, so those stay where their number does not go away.
void TPLNUndoStack::RestoreDoc(const QByteArray& bytes) {
  TPLNBaseLabel read;
  read.SetUndoLimit(0);
  {
    TRecordReader rr(bytes);
    read.ReadData(rr.Reader());
  }
  TPLNBaseLabel& d = *fDoc;
  d.Title = read.Title;
  d.fUnits = read.fUnits;
  d.fEditorMode = read.fEditorMode;
  d.fLayerZOrder = read.fLayerZOrder;
  d.fMeasure = read.fMeasure;
  d.PrintInfo.FirstRow = read.PrintInfo.FirstRow;
  d.PrintInfo.FirstColumn = read.PrintInfo.FirstColumn;
  d.PrintInfo.LastPage = read.PrintInfo.LastPage;
  d.PrintInfo.LabelsToPrint = read.PrintInfo.LabelsToPrint;
  d.PrintInfo.Horizontal = read.PrintInfo.Horizontal;
  d.PrintInfo.Repetition = read.PrintInfo.Repetition;
  d.fCounters = std::move(read.fCounters);
  d.fDataSettings = read.fDataSettings;
  d.fSettings = read.fSettings;
  d.fBackSurf = read.fBackSurf;
  d.fOptions = read.fOptions;

  const std::size_t keep = std::min(d.fLayers.size(), read.fLayers.size());
  for (std::size_t i = 0; i < keep; ++i) *d.fLayers[i] = *read.fLayers[i];
  if (read.fLayers.size() > d.fLayers.size()) {
    for (std::size_t i = keep; i < read.fLayers.size(); ++i) d.fLayers.push_back(std::move(read.fLayers[i]));
  } else if (read.fLayers.size() < d.fLayers.size()) {
    // Items still on a layer that goes are given their own layer back by their records; until
    // then they must not point at nothing.
    std::unordered_set<const TPLNLayer*> gone;
    for (std::size_t i = keep; i < d.fLayers.size(); ++i) gone.insert(d.fLayers[i].get());
    for (const auto& it : d.fItems)
      if (gone.count(it->fLayer)) it->fLayer = d.fLayers[0].get();
    d.fLayers.resize(keep);
  }
  d.fActiveLayer = read.fActiveLayer;
  d.fBackLayer = read.fBackLayer;
  d.fImageRotation = read.fImageRotation;
  d.fReloadImage = true;

  const std::size_t keepStyles = std::min(d.fDimStyles.size(), read.fDimStyles.size());
  for (std::size_t i = 0; i < keepStyles; ++i) *d.fDimStyles[i] = *read.fDimStyles[i];
  for (std::size_t i = keepStyles; i < read.fDimStyles.size(); ++i)
    d.fDimStyles.push_back(std::move(read.fDimStyles[i]));
  d.fDimStyles.resize(read.fDimStyles.size());
  d.fActiveDimStyle = read.fActiveDimStyle;
}

// Reading lays some kinds out again (a text's frame follows the drawing scale), which an item
// laid out under other settings would not have been: the points come back as they were.
void TPLNUndoStack::KeepPoints(TPLNBaseItem* item, const QByteArray& record) {
  if (Record(item) == record) return;
  std::vector<TORVPto> pts = RecordPoints(record);
  if (pts == item->fPoints) return;
  item->fPoints = std::move(pts);
  item->BoundsChanged();
}

void TPLNUndoStack::Apply(const TStep& step, bool forward) {
  TPLNBaseLabel& d = *fDoc;
  // Per-label copies are made again when needed; they have no place in the history.
  d.ClearPreviewItems();
  std::vector<TPLNBaseItem*> selectedBefore = d.fSelection;

  const QByteArray& docTo = forward ? step.DocAfter : step.DocBefore;
  const QByteArray& docFrom = forward ? step.DocBefore : step.DocAfter;
  const auto& orderTo = forward ? step.OrderAfter : step.OrderBefore;
  const auto& orderFrom = forward ? step.OrderBefore : step.OrderAfter;

  // Which items the step creates, changes in place and removes, and the live ones it needs.
  std::vector<const TItemChange*> create, change, remove;
  for (const TItemChange& c : step.Items) {
    const QByteArray& from = forward ? c.Before : c.After;
    const QByteArray& to = forward ? c.After : c.Before;
    if (from.isEmpty())
      create.push_back(&c);
    else if (to.isEmpty())
      remove.push_back(&c);
    else
      change.push_back(&c);
  }
  std::unordered_map<std::uint32_t, TPLNBaseItem*> live;
  std::unordered_map<const TPLNBaseItem*, int> position;
  for (const TItemChange* c : change) live.emplace(c->Serial, nullptr);
  for (const TItemChange* c : remove) live.emplace(c->Serial, nullptr);
  for (std::size_t i = 0; i < d.fItems.size(); ++i) {
    TPLNBaseItem* it = d.fItems[i].get();
    auto f = live.find(it->fUndoSerial);
    if (f == live.end()) continue;
    f->second = it;
    position[it] = static_cast<int>(i);
  }
  for (const auto& [serial, it] : live)
    if (!it) {
      // The drawing is not what the history remembers: applying would damage it.
      Clear(true);
      throw EPLNError(QStringLiteral("The undo history no longer matches the drawing; it was cleared"));
    }
  if (step.OrderChanged && static_cast<std::size_t>(step.OrderAt) + orderFrom.size() > d.fItems.size()) {
    Clear(true);
    throw EPLNError(QStringLiteral("The undo history no longer matches the drawing; it was cleared"));
  }

  const std::size_t countBefore = d.fItems.size();
  const std::int32_t lastID = d.fLastID;
  std::vector<TPLNBaseItem*> created;
  std::size_t changedSoFar = 0;
  TApplying applying(d.fReadCount, fApplying);
  try {
    if (!docTo.isEmpty()) RestoreDoc(docTo);
    for (const TItemChange* c : create) {
      TRecordReader rr(forward ? c->After : c->Before);
      TPLNBaseItem* it = d.CreateItemFromRecord(rr.Reader(), kFileVersion);
      if (!it) throw EPLNError(QStringLiteral("an item of the step could not be made again"));
      if (rr.Reader().Remaining() != 0) throw EPLNError(QStringLiteral("an item's record was not read to its end"));
      it->fUndoSerial = c->Serial;
      created.push_back(it);
      KeepPoints(it, forward ? c->After : c->Before);
    }
    for (const TItemChange* c : change) {
      TPLNBaseItem* it = live[c->Serial];
      ++changedSoFar;
      TRecordReader rr(forward ? c->After : c->Before);
      if (rr.Reader().ReadInt32() != it->KindCode()) throw EPLNError(QStringLiteral("an item changed its kind"));
      // Read as a file reads it: no Update, which would derive the record's values again from
      // the points (an arc's angles) and change them.
      it->ReadData(kFileVersion, rr.Reader(), TORVReadType::File);
      it->BoundsChanged();
      KeepPoints(it, forward ? c->After : c->Before);
    }
  } catch (const std::exception& e) {
    // Back to where the step started: the items read so far, the new ones, the document's data.
    for (std::size_t i = 0; i < changedSoFar; ++i) {
      const TItemChange* c = change[i];
      try {
        TRecordReader rr(forward ? c->Before : c->After);
        rr.Reader().ReadInt32();
        live[c->Serial]->ReadData(kFileVersion, rr.Reader(), TORVReadType::File);
        live[c->Serial]->BoundsChanged();
      } catch (...) {
      }
    }
    if (d.fItems.size() > countBefore) d.TruncateItems(countBefore);
    d.fLastID = lastID;
    if (!docTo.isEmpty()) {
      try {
        RestoreDoc(docFrom);
      } catch (...) {
      }
    }
    d.fIndex.Reset();
    const EPLNError* pe = dynamic_cast<const EPLNError*>(&e);
    throw EPLNError(QStringLiteral("The step could not be %1: %2")
                        .arg(forward ? QStringLiteral("redone") : QStringLiteral("undone"),
                             pe ? pe->Message() : QString::fromUtf8(e.what())));
  }
  for (TPLNBaseItem* it : created) d.fLastID = std::max(d.fLastID, it->fID);

  // Removed items leave the selection, the typing and the index first, the last ones first so
  // that the index's positions hold.
  if (!remove.empty()) {
    std::vector<std::pair<int, TPLNBaseItem*>> gone;
    for (const TItemChange* c : remove) gone.emplace_back(position[live[c->Serial]], live[c->Serial]);
    std::sort(gone.begin(), gone.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::unordered_set<const TPLNBaseItem*> goneSet;
    for (const auto& [pos, it] : gone) {
      d.fIndex.Removed(it, pos);
      d.fCopyCells.erase(it);
      if (d.fTextObject == it) d.fTextObject = nullptr;
      goneSet.insert(it);
    }
    // Items that go are told they left the selection while they still exist.
    std::erase_if(d.fSelection, [&](TPLNBaseItem* it) { return goneSet.count(it) > 0; });
    d.AnnounceSelection(selectedBefore);
    selectedBefore = d.fSelection;
    std::erase_if(d.fItems, [&](const std::unique_ptr<TPLNBaseItem>& it) { return goneSet.count(it.get()) > 0; });
    d.ItemsRenumbered();
  }

  // The changed stretch of the order, with the created items (appended by now) in their place.
  if (step.OrderChanged) {
    const std::size_t at = static_cast<std::size_t>(step.OrderAt);
    const std::size_t tail = countBefore - at - orderFrom.size();
    const std::size_t createdAt = d.fItems.size() - created.size();
    std::unordered_map<std::uint32_t, std::unique_ptr<TPLNBaseItem>> pool;
    for (std::size_t i = at; i < createdAt - tail; ++i) pool.emplace(d.fItems[i]->fUndoSerial, std::move(d.fItems[i]));
    for (std::size_t i = createdAt; i < d.fItems.size(); ++i)
      pool.emplace(d.fItems[i]->fUndoSerial, std::move(d.fItems[i]));
    std::vector<std::unique_ptr<TPLNBaseItem>> items;
    items.reserve(at + orderTo.size() + tail);
    for (std::size_t i = 0; i < at; ++i) items.push_back(std::move(d.fItems[i]));
    for (std::uint32_t s : orderTo) {
      auto f = pool.find(s);
      if (f != pool.end()) {
        items.push_back(std::move(f->second));
        pool.erase(f);
      }
    }
    for (std::size_t i = createdAt - tail; i < createdAt; ++i) items.push_back(std::move(d.fItems[i]));
    // Nothing can be left over in a step the history made itself; were it so, keep the items.
    for (auto& [s, it] : pool)
      if (it) items.push_back(std::move(it));
    d.fItems.swap(items);
    d.fIndex.Reordered(static_cast<int>(at));
  }

  // The shadow is what the items write now.
  if (!docTo.isEmpty()) {
    fDocRecord = DocRecord();
    fDocKey = DocKey();
  }
  for (const TItemChange* c : remove) fRecords[c->Serial] = QByteArray();
  for (TPLNBaseItem* it : created) fRecords[it->fUndoSerial] = Record(it);
  for (const TItemChange* c : change) fRecords[c->Serial] = Record(live[c->Serial]);
  if (step.OrderChanged) {
    const std::size_t at = static_cast<std::size_t>(step.OrderAt);
    fOrder.erase(fOrder.begin() + at, fOrder.begin() + at + orderFrom.size());
    fOrder.insert(fOrder.begin() + at, orderTo.begin(), orderTo.end());
  }
  for (const auto& p : d.fItems) p->fUndoDirty = false;
  fPending = false;
  Seen();

  // What the step brought back or changed is what the user looks at next.
  if (!created.empty() || !change.empty()) {
    for (TPLNBaseItem* it : d.fSelection) it->fState = kStateNormal;
    d.fSelection.clear();
    for (TPLNBaseItem* it : created) d.fSelection.push_back(it);
    for (const TItemChange* c : change) d.fSelection.push_back(live[c->Serial]);
    for (TPLNBaseItem* it : d.fSelection) it->fState = kStateSelected;
  }
  d.AnnounceSelection(selectedBefore);
  d.fModified = true;
}

// ---------------------------------------------------------------- the document's operations

void TPLNBaseLabel::UndoTouch(TPLNBaseItem* item) { fUndo->Touch(item); }
// The document's own removals and reorders, and anything else that must not be missed: the
// next step walks every item.
void TPLNBaseLabel::UndoPending() { fUndo->Reshaped(); }

void TPLNBaseLabel::BeginUndoGroup() { fUndo->BeginGroup(); }
void TPLNBaseLabel::EndUndoGroup() { fUndo->EndGroup(); }

bool TPLNBaseLabel::CanUndo() const {
  fUndo->Close();
  return fUndo->UndoCount() > 0;
}

bool TPLNBaseLabel::CanRedo() const {
  fUndo->Close();
  return fUndo->RedoCount() > 0;
}

namespace {
// Ends typing and any drag first: the typed text becomes part of the history, and neither may
// refer to an item the step takes away.
// The typed text becomes its own step first; a drag in progress ends (closing its group) so the
// step undone is a finished one; an item half placed loses its points, the tool stays chosen.
void EndInteraction(TPLNBaseLabel& d, TAct& act, TPLNBaseItem* textObject) {
  if (textObject) d.Clear(true, false);
  if (act.Dragging || act.IsText() || act.UndoDepth > 0) {
    d.ResetAction();
  } else if (!act.Points.empty()) {
    act.Points.clear();
    d.NotifyChange(TORChange::Action);
  }
}
}  // namespace

void TPLNBaseLabel::Undo() {
  const bool typing = fTextObject != nullptr;
  EndInteraction(*this, fAct, fTextObject);
  fUndo->Undo();
  if (typing || fTextObject) {
    fTextObject = nullptr;
    fTextObjectNew = false;
    NotifyChange(TORChange::StopTextEditing);
  }
  NotifyChange(TORChange::Selection);
}

void TPLNBaseLabel::Redo() {
  const bool typing = fTextObject != nullptr;
  EndInteraction(*this, fAct, fTextObject);
  fUndo->Redo();
  if (typing || fTextObject) {
    fTextObject = nullptr;
    fTextObjectNew = false;
    NotifyChange(TORChange::StopTextEditing);
  }
  NotifyChange(TORChange::Selection);
}

void TPLNBaseLabel::ClearUndo() { fUndo->Clear(true); }
void TPLNBaseLabel::SetUndoLimit(int steps) { fUndo->SetLimit(steps); }
int TPLNBaseLabel::GetUndoLimit() const { return fUndo->Limit(); }

int TPLNBaseLabel::UndoCount() const {
  fUndo->Close();
  return fUndo->UndoCount();
}

int TPLNBaseLabel::RedoCount() const {
  fUndo->Close();
  return fUndo->RedoCount();
}

std::uint64_t TPLNBaseLabel::UndoRecorded() const {
  fUndo->Close();
  return fUndo->Recorded();
}

void TPLNBaseLabel::DiscardLastStep() {
  EndInteraction(*this, fAct, fTextObject);
  fUndo->Discard();
  NotifyChange(TORChange::Selection);
}

}  // namespace Orv
