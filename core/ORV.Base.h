#pragma once
// The document model: items, 2-D items, the point item and the document that owns them.

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "ORV.BaseDraw.h"
#include "ORV.BinaryIO.h"
#include "ORV.Edit.h"
#include "ORV.Layers.h"
#include "ORV.Mapping.h"
#include "ORV.Measure.h"
#include "ORV.PageSetup.h"
#include "ORV.Pto.h"
#include "ORV.SpatialIndex.h"
#include "ORV.Svg.h"
#include "ORV.Types.h"

namespace Orv::Json {
class TJsonSink;
}
namespace Orv::Line {
class TPLNDimStyle;
class TPLNBaseDim;
}
namespace Orv::F2d {
class TPLNBaseLink;
}
namespace Orv::Symbol {
class TPLNBaseLibSymbol;
}

namespace Orv {

class TPLNBaseLabel;
class TPLNDataSource;
class TPLNUndoStack;

// Current file version; the clipboard stream always uses 3200.
constexpr std::int32_t kFileVersion = 3203;
constexpr std::int32_t kClipboardVersion = 3200;

class TPLNBaseItem {
 public:
  // A non-null owner takes ownership at once: items are made with `new` and never deleted by
  // their creator. The layer defaults to the owner's active layer.
  TPLNBaseItem(TPLNBaseLabel* owner, bool preview);
  TPLNBaseItem(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  virtual ~TPLNBaseItem() = default;
  TPLNBaseItem(const TPLNBaseItem&) = delete;
  TPLNBaseItem& operator=(const TPLNBaseItem&) = delete;

  virtual std::int32_t KindCode() const = 0;
  // Name of the kind, for messages and listings ("Rectangle").
  virtual QString KindName() const = 0;

  TPLNBaseLabel* Owner() const { return fOwner; }

  // Points, counted from 1.
  virtual int NumPoints() const { return static_cast<int>(fPoints.size()); }
  TORVPto GetPoint(int i) const;
  TORVPto GetPto(int i) const { return GetPoint(i); }
  const std::vector<TORVPto>& Points() const { return fPoints; }
  // Replaces the points with pts[0..highIndex], then recomputes what depends on them.
  void AssignPoints(const TORVPto* pts, int highIndex);
  void AssignPoints(std::initializer_list<TORVPto> pts) { AssignPoints(pts.begin(), int(pts.size()) - 1); }
  void SetBase(int i, std::int64_t x, std::int64_t y);
  // Coordinates in the owner's current unit.
  void SetPointX(int i, double x);
  void SetPointY(int i, double y);
  // Recomputes derived values after the points changed and tells the document.
  void Update();

  TAlphaColor GetColor() const { return fColor; }
  void SetColor(TAlphaColor c);
  double GetPenWidth() const { return fPenWidth; }
  void SetPenWidth(double w);
  TORVineType GetLineType() const { return fLineType; }
  void SetLineType(TORVineType t);
  TPLNLayer* GetLayer() const { return fLayer; }
  void SetLayer(TPLNLayer* layer);
  std::int32_t GetID() const { return fID; }
  // New items are numbered above every identifier the document has seen.
  void SetID(std::int32_t id);
  QString GetName() const { return fName; }
  void SetName(const QString& n);
  TORVItemState GetState() const { return fState; }
  void SetState(TORVItemState s) { fState = s; }
  std::uint16_t GetOptions() const { return fOptions; }
  void SetOptions(std::uint16_t o);
  bool IsPreview() const { return fPreview; }
  // Both the item's layer and the item itself carry every bit of `bits`.
  bool HasOptions(std::uint16_t bits) const;

  // Bounds of the geometry in base units, widened by half the pen.
  virtual TORVBounds GetBounds() const;
  virtual void CheckFit(TORVBounds& b) const { b.Add(GetBounds()); }
  virtual bool GetIsData() const { return false; }
  // Pages the item needs of its own to show every data record (a table whose rows run on over
  // pages); 0 for items that show one record per label.
  virtual int DataPages() { return 0; }
  virtual void Move(std::int64_t dx, std::int64_t dy);

  // ---- editing geometry (base units)
  // Whether (x, y) lies on the item's outline, or inside a filled area, within `tolerance`.
  virtual bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const;
  // The handles the item shows while selected alone (selection-wide handles are the document's).
  virtual void GetSelPoints(std::vector<TORVSelPoint>& out) const;
  // Characteristic points for snapping, of one kind (snEndPoint, snMiddlePoint, snCenterPoint,
  // snPoint, snRefSymbol).
  virtual void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const;
  // Moves point `index` (from 1) to (x, y), keeping what the kind must keep.
  virtual void MovePoint(int index, std::int64_t x, std::int64_t y);
  // Scales the item from the box `from` into the box `to`.
  virtual void Resize(const TORVBounds& from, const TORVBounds& to);
  // Turns the item by `angle` radians (clockwise on the page) about (cx, cy).
  virtual void Rotate(std::int64_t cx, std::int64_t cy, double angle);
  // False for kinds that only take quarter turns (axis-aligned boxes and texts): a turning drag
  // gives them whole quarter turns.
  virtual bool TurnsFreely() const { return true; }
  // Whether a point may be removed (polylines, polygons keep a minimum) and removes it.
  virtual bool DeletePoint(int index);
  // Inserts a point after point `index`.
  virtual bool InsertPoint(int index, std::int64_t x, std::int64_t y);

  // ---- connectors, where links attach
  // How many connectors the item offers (0: links cannot attach to it).
  virtual int LinkPointCount() const { return 0; }
  // Whether connector `index` (1..LinkPointCount) exists on this item.
  virtual bool HasLinkPoint(int index) const { return index >= 1 && index <= LinkPointCount(); }
  // Position of connector `index`; 0 takes the one facing `toward`. False for a connector the
  // item does not have.
  virtual bool LinkPoint(int index, const TORVPto& toward, TORVPto& p) const;
  // The box the connectors are spread over: the geometry, without the pen.
  virtual TORVBounds LinkBox() const;

  // Kind code, then the record.
  void Write(TBinaryWriter& w) const;
  virtual void WriteData(TBinaryWriter& w) const;
  virtual void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType);
  virtual void WriteJson(Json::TJsonSink& o) const;
  virtual void ReadJson(std::int32_t version, const QJsonObject& o);
  // The record as a JSON object ("Type" holds the kind code).
  QJsonObject ToJson() const;

  virtual void Draw(TPLNBaseDraw* /*draw*/) {}
  virtual void Print(TPLNBaseDraw* /*draw*/) {}
  void DrawElement(TPLNBaseDraw* draw) { Draw(draw); }
  void PrintElement(TPLNBaseDraw* draw) { Print(draw); }

 protected:
  // Called after the points change; kinds with derived geometry recompute it here.
  virtual void UpdatePoints() {}
  // Raises an error when `n` points cannot define this kind.
  virtual void CheckPointCount(int n) const;
  void Changed();
  // The bounds may have changed where nothing tells the observers (a point set on its own, a
  // layout): the document's index must not trust what it knew of this item.
  void BoundsChanged();
  std::vector<TORVPto> fPoints;

 private:
  friend class TPLNBaseLabel;
  friend class TORVSpatialIndex;
  friend class TPLNUndoStack;
  TPLNBaseLabel* fOwner = nullptr;
  TPLNLayer* fLayer = nullptr;
  QString fName;
  double fPenWidth = 250;
  TAlphaColor fColor = kBlack;
  std::int32_t fID = 0;
  // The item's slot in the owner's index of bounds (-1 until it is indexed).
  std::int32_t fIndexSlot = -1;
  std::uint16_t fOptions = Opt::Default;
  TORVineType fLineType = 0;
  TORVItemState fState = kStateNormal;
  bool fPreview = false;
  // The undo history's name for the item (0: not known to it yet), and whether the item may
  // have changed since the history last looked.
  std::uint32_t fUndoSerial = 0;
  bool fUndoDirty = false;
};

// An item with an area: fill colour, filled flag and whether the fill shows on screen.
class TPLN2DItem : public TPLNBaseItem {
 public:
  using TPLNBaseItem::TPLNBaseItem;

  TAlphaColor GetBackColor() const { return fBackColor; }
  void SetBackColor(TAlphaColor c);
  bool GetFilled() const { return fFilled; }
  void SetFilled(bool f);
  // False hides the fill on screen while print still fills (a fill meant for paper only).
  bool Alpha() const { return fAlpha; }
  void SetAlpha(bool a);
  std::int64_t GetWidth() const;
  std::int64_t GetHeight() const;
  // Every figure with an area offers the sixteen connectors of its box.
  int LinkPointCount() const override { return 16; }

  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 private:
  TAlphaColor fBackColor = kWhite;
  bool fFilled = false;
  bool fAlpha = true;
};

// Line-end marks of open figures.
class TORVTerminators {
 public:
  TORVTermType GetFromType() const { return FromType; }
  TORVTermType GetToType() const { return ToType; }
  TAlphaColor GetFromColor() const { return FromColor; }
  TAlphaColor GetToColor() const { return ToColor; }
  float GetSizeFrom() const { return SizeFrom; }
  float GetSizeTo() const { return SizeTo; }

  TORVTermType FromType = 0;
  TORVTermType ToType = 0;
  TAlphaColor FromColor = kBlack;
  TAlphaColor ToColor = kBlack;
  float SizeFrom = 3.0f;  // millimetres
  float SizeTo = 3.0f;

  void WriteTerms(TBinaryWriter& w) const;
  void ReadTerms(TBinaryReader& r);
  void WriteTermsJson(Json::TJsonSink& o) const;
  void ReadTermsJson(const QJsonObject& o);
};

// An item kind with line-end marks: its record is the base kind's followed by the marks.
template <class TBase>
class TPLNTermItem : public TBase, public TORVTerminators {
 public:
  using TBase::TBase;
  void WriteData(TBinaryWriter& w) const override {
    TBase::WriteData(w);
    WriteTerms(w);
  }
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override {
    TBase::ReadData(version, r, readType);
    ReadTerms(r);
  }
  void WriteJson(Json::TJsonSink& o) const override {
    TBase::WriteJson(o);
    WriteTermsJson(o);
  }
  void ReadJson(std::int32_t version, const QJsonObject& o) override {
    TBase::ReadJson(version, o);
    ReadTermsJson(o);
  }
};

namespace Base {

class TPLNBasePoint : public TPLNBaseItem {
 public:
  using TPLNBaseItem::TPLNBaseItem;
  std::int32_t KindCode() const override { return Kind::Point; }
  QString KindName() const override { return QStringLiteral("Point"); }
  TORVBounds GetBounds() const override;
  // One connector: the point itself, whatever index is asked for.
  int LinkPointCount() const override { return 1; }
  bool HasLinkPoint(int index) const override { return index >= 0; }
  bool LinkPoint(int index, const TORVPto& toward, TORVPto& p) const override;

 protected:
  void CheckPointCount(int n) const override;
};

}  // namespace Base

// Changes the document reports to its observers.
enum class TORChange : std::uint8_t {
  Document,   // everything may have changed (load, new, batch end)
  Items,      // items added, removed or changed
  Selection,
  Layers,
  Measure,
  Units,
  Modified,
  Action,         // the current action or its state changed (cursor, rubber band)
  TextEditing,    // the text being typed changed (value: the item)
  StopTextEditing,
  Find,           // an item was selected by a search: scroll to it (value: the item)
  UndoRedo,       // the undo history changed
};
using TORChangeValue = std::intptr_t;

class IORObserver {
 public:
  virtual ~IORObserver() = default;
  virtual void UpdateCtrl(TORChange change, TORChangeValue value) = 0;
  // The document is being destroyed: forget it, and call nothing on it.
  virtual void HostRemoved() {}
};

constexpr std::int32_t kMaxRepetition = 200;

// Print-run settings.
struct TPLNPrintInfo {
  std::int32_t PrinterIndex = -1;
  std::int32_t FirstRow = 1;
  std::int32_t FirstColumn = 1;
  std::int32_t CurrentPage = 1;
  std::int32_t LastPage = 1;
  std::int32_t Counter = 1;
  std::int32_t LabelsToPrint = 0;  // 0: every cell of the pages
  std::int32_t Repetition = 1;     // labels printed of each record
  bool Horizontal = false;         // the paper lies landscape
  bool MakeCopies = false;         // expand data-bound items into one copy per label
};

class TPLNBaseLabel {
 public:
  TPLNBaseLabel();
  virtual ~TPLNBaseLabel();
  TPLNBaseLabel(const TPLNBaseLabel&) = delete;
  TPLNBaseLabel& operator=(const TPLNBaseLabel&) = delete;

  // Items, counted from 1.
  int GetItemsCount() const { return static_cast<int>(fItems.size()); }
  TPLNBaseItem* GetItem(int i) const;
  int IndexOf(const TPLNBaseItem* item) const;
  void DeleteItem(int i);
  // Removes every item (and the selection).
  void ClearItems();
  // Removes the per-label copies made for printing.
  void ClearPreviewItems();
  // Items whose bounds (GetBounds) meet `area` (base units, edges inclusive), as 1-based
  // indices in drawing order (ascending).
  void ItemsIn(const TORVBounds& area, std::vector<int>& out) const;
  TPLNBaseItem* FindByID(std::int32_t id) const;
  // The links whose source or target is `item`.
  void LinksOf(const TPLNBaseItem* item, std::vector<F2d::TPLNBaseLink*>& out) const;
  // After a paste gave the copies new identifiers (`oldIDs` holds what each had): links among
  // the copies are tied to the copies of their ends.
  void RelinkPasted(const std::vector<TPLNBaseItem*>& pasted, const std::vector<std::int32_t>& oldIDs);
  // By name, or by ID written as a number; case-insensitive when `exact` is false.
  TPLNBaseItem* SearchItem(const QString& name, bool exact) const;

  // Layers, counted from 1; layer 1 always exists.
  int GetLayersCount() const { return static_cast<int>(fLayers.size()); }
  TPLNLayer* GetLayer(int i) const;
  int LayerIndex(const TPLNLayer* layer) const;
  TPLNLayer* GetActiveLayer() const { return fLayers[fActiveLayer].get(); }
  int GetActiveLayerIndex() const { return fActiveLayer + 1; }
  void SetActiveLayer(int i);
  TPLNLayer* AddLayer(const QString& name);
  // Moves the items of the deleted layer to layer 1; layer 1 cannot be deleted.
  void DeleteLayer(int i);
  // Swaps the places of layers a and b, each keeping its items; layer 1 stays where it is.
  // False when either number is out of range or names layer 1.
  bool ExchangeLayers(int a, int b);

  // Dimension styles, counted from 1; style 1 always exists. New dimensions take the active one.
  int GetDimStylesCount() const { return static_cast<int>(fDimStyles.size()); }
  Line::TPLNDimStyle* GetDimStyle(int i) const;
  Line::TPLNDimStyle* GetActiveDimStyle() const { return GetDimStyle(fActiveDimStyle + 1); }
  int GetActiveDimStyleIndex() const { return fActiveDimStyle + 1; }
  void SetActiveDimStyle(int i);
  // By name (case-insensitive); false when no style has it.
  bool SetActiveDimStyle(const QString& name);
  // A new style with the default look, at the end of the list.
  Line::TPLNDimStyle* AddDimStyle(const QString& name);
  // Deletes the active style unless it is style 1; its dimensions take style 1, style 1
  // becomes active. False when nothing was deleted.
  bool DeleteActiveDimStyle();
  // Document coordinates per base unit of text on paper. Text is measured on paper, so every
  // text metric is multiplied by this before it is laid out among the points: in a drawing at
  // 1:N, whose coordinates are real-world lengths, it is N.
  std::int64_t GetCoordMultiplier() const { return fMeasure.DrawScale < 1 ? 1 : fMeasure.DrawScale; }
  // Places the dependent points of a dimension after its style (extension lines of linear
  // dimensions); `notify` tells the observers.
  void AsignDimPosition(Line::TPLNBaseDim* dim, bool notify);
  // Recomputes every dimension's value, caption and layout (after a style, unit or scale change).
  void CalcDimValues();

  // Counters that number the labels of a run, counted from 1; at most kMaxCounters.
  int GetCountersCount() const { return static_cast<int>(fCounters.size()); }
  TPLNCounter* GetCounter(int i) const;
  // By name, ignoring case.
  TPLNCounter* FindCounter(const QString& name) const;
  // A new counter at the end; nullptr when kMaxCounters exist or the name is empty or taken.
  TPLNCounter* AddCounter(const QString& name);
  bool DeleteCounter(int i);
  // True when a counter other than `except` is named `name` (ignoring case).
  bool CounterName(const QString& name, const TPLNCounter* except) const;
  // A counter was changed through its own setters: one change of the document.
  void CountersChanged();
  // Where a run takes its records from (the data source itself is set with SetDataSource).
  const TPLNData& DataSettings() const { return fDataSettings; }
  void SetDataSettings(const TPLNData& d);
  // ---- print-time values: what the run was given for the data settings' asks (names ignore
  // case). They belong to the run, not the document: never saved, never undone.
  void SetAskedValue(const QString& name, const QString& value);
  bool HasAskedValue(const QString& name) const;
  QString GetAskedValue(const QString& name) const;
  void ClearAskedValues();
  // The values a list offers this run (read from its file or given by the application).
  void SetListValues(const QString& name, const QStringList& values);
  // A list given in the design offers its own values; others what SetListValues gave.
  QStringList ListValuesOf(const TPLNAskValue& a) const;
  // Raises EPLNError naming the first asked value that is missing or does not fit.
  void CheckAskedValues() const;
  // The labels the run prints as asked (a copies value), 0 when the design asks none.
  int AskedCopies() const;
  // Where continuing counters start this run when a counters file keeps them (by counter name).
  void SetCounterStarts(const QHash<QString, std::int64_t>& starts) { fCounterStarts = starts; }
  std::int64_t CounterStart(const TPLNCounter& c) const;
  // After a run of `labels` labels: the continuing counters' next numbers.
  QHash<QString, std::int64_t> CountersAfter(std::int64_t labels) const;
  // What new terminators look like, and the size of links' terminators.
  const TPLNSettings& Settings() const { return fSettings; }
  void SetSettings(const TPLNSettings& s);

  const TPLNMeasure& Measure() const { return fMeasure; }
  void SetMeasure(const TPLNMeasure& m);
  TORVUnits GetUnits() const { return fUnits; }
  void SetUnits(TORVUnits u);
  std::uint8_t GetEditorMode() const { return fEditorMode; }
  void SetEditorMode(std::uint8_t m);
  bool GetLayerZOrder() const { return fLayerZOrder; }
  void SetLayerZOrder(bool b);
  bool GetEditable() const { return fEditable; }
  void SetEditable(bool b) { fEditable = b; }
  QString Title;
  QString ImageFolder;
  // The language file of the message tables ("" is English). The tables serve the whole process,
  // so this reads the language now in force; setting a file that cannot be loaded raises EPLNError
  // and leaves the language as it was.
  QString GetLanguageFileName() const;
  void SetLanguageFileName(const QString& fileName);
  // Background image: the layer whose picture lies behind every label cell (0: none), its turn
  // in quarters counter-clockwise (0..3), and a request to the painting hosts to decode it again.
  std::int32_t GetBackLayer() const { return fBackLayer; }
  void SetBackLayer(std::int32_t i);
  std::uint8_t GetImageRotation() const { return fImageRotation; }
  void SetImageRotation(std::uint8_t r);
  bool GetReloadImage() const { return fReloadImage; }
  void SetReloadImage(bool b) { fReloadImage = b; }
  QString LibraryFolder;
  TPLNPrintInfo PrintInfo;

  // Map backgrounds: the request of the next map, its tiles and the file of the last one.
  TPLNMapping& Mapping() { return fMapping; }
  const TPLNMapping& Mapping() const { return fMapping; }
  // A composed map is on disk (Mapping().GetFileName()): the background is decoded again.
  void GMLMapImageReady();
  // Composing a map failed; `why` tells the user (also kept in LastMapError).
  void GMLMapImageFailed(const QString& why);
  QString LastMapError() const { return fMapError; }
  // Messages for the user that need no answer (a map ready or failed).
  std::function<void(const QString&)> OnInfoMsg;

  // ---- events an application can hand its own behaviour to (null: the built-in one)
  // The fonts offered by the font lists of the windows and pickers (`sender` is the one asking);
  // without it, the installed fonts.
  std::function<void(QObject* sender, QStringList& fonts)> OnGetFontListEvent;
  // Whether a symbol library file found in the library folder is offered; `accept` arrives true.
  std::function<void(const QString& file, bool& accept)> OnReadSymEvent;
  // Turns the two coordinate texts of a map request into a latitude and longitude, for
  // applications that keep positions in another reference system (UTM, a national grid).
  // False leaves the texts to be read as latitude and longitude.
  std::function<bool(const QString& first, const QString& second, double& latitude, double& longitude)>
      OnGMLCoordinateTransform;
  // An item joined or left the selection, told once per item and change, while the item still
  // exists; the handler must not change the selection.
  std::function<void(TPLNBaseItem* item)> OnSelectItem;
  std::function<void(TPLNBaseItem* item)> OnUnSelectItem;
  // The label was turned a quarter turn by RotateLeft (`left`) or RotateRight.
  std::function<void(bool left)> OnLabelRotate;

  // The folder an open-picture window starts in: OpenImgFolder when set, else ImageFolder.
  QString PictureFolder() const;
  // A picture was chosen in such a window: the next one starts in its folder.
  void PictureChosen(const QString& file);
  QString OpenImgFolder;

  // The label stock (coloured or die-cut labels) and the document options (TORVDocOption);
  // each change is one change of the document.
  const TPLNBackSurf& BackSurf() const { return fBackSurf; }
  void SetBackSurf(const TPLNBackSurf& b);
  std::uint16_t GetOptions() const { return fOptions; }
  void SetOptions(std::uint16_t o);
  bool HasOption(TORVDocOption o) const { return (fOptions & o) != 0; }

  // Data source of the data-bound items, shared so that several documents (or an export
  // running while the caller loads the next file) can read one table. Records are counted from
  // 0. The cursor walks the records the way the labels consume them: NextData moves to the next
  // record and stops past the last one (no wrapping: a run of labels ends with the data), where
  // every field reads as empty text.
  void SetDataSource(std::shared_ptr<const TPLNDataSource> source);
  void ClearDataSource();
  const TPLNDataSource* GetDataSource() const { return fDataSource.get(); }
  int GetRecordCount() const;
  int GetCurrentRecord() const { return fRecord; }
  void SetCurrentRecord(int record) { fRecord = record < 0 ? 0 : record; }
  void NextData() { fRecord = NextRecord(fRecord); }
  // The record after `record`: the one step every walk over the labels takes.
  int NextRecord(int record) const { return record + 1; }
  // The value a data-bound item shows for `field` at `record` (DataValue: at the cursor). With
  // a data source: the record's field in `format` (FormatDataValue), empty text for an unknown
  // field or a record outside the table. Without one: the item's own text (`fallback`). Items
  // ask DataValueAt, so a document that supplies values of its own overrides that.
  virtual QString DataValue(const QString& field, const QString& format, int fillType, const QString& fallback) const;
  virtual QString DataValueAt(int record, const QString& field, const QString& format, int fillType,
                              const QString& fallback) const;
  // Data pages. Labels per page are rows x columns; page 1 loses the cells before the print
  // settings' first row and column. Page p (from 1) starts at the record after all the labels
  // of the pages before it.
  int LabelsPerPage(int page) const;
  int FirstRecordOfPage(int page) const;
  // The record a cell (1-based column and row) of `page` shows; -1 for a cell page 1 skips.
  int RecordOfCell(int page, int column, int row) const;
  // Pages needed for every record (1 without a data source or records).
  int GetDataPages() const;
  // Puts the cursor on the first record of `page`.
  void FillDataPage(int page);
  // Makes `page` (at least 1) the print settings' current page; `fill` moves the cursor there,
  // `notify` tells the observers to redraw.
  void GoToPage(int page, bool notify, bool fill);
  // Per-label copies of data-bound items (preview items made by CheckPrintData) know their cell;
  // a copy shows the record of its cell on the current page. -2 for an item that is no copy.
  void BindCopy(const TPLNBaseItem* copy, int column, int row);
  int CopyRecord(const TPLNBaseItem* item) const;

  // An item made and dropped again at once (a refused tool call) gives its identifier back, so a
  // refusal leaves no gap in the numbering.
  void ReturnID(std::int32_t id) {
    if (id > 0 && id == fLastID) --fLastID;
  }

  // Selection.
  int GetSelectionCount() const { return static_cast<int>(fSelection.size()); }
  TPLNBaseItem* GetSelection(int i) const;
  bool IsSelected(const TPLNBaseItem* item) const;
  void Select(TPLNBaseItem* item);
  void Unselect(TPLNBaseItem* item);
  void ClearSelection();

  // Batching: observers hear one Document change at the outermost EndUpdate.
  void BeginUpdate(bool flag = false);
  void EndUpdate();
  void BeginRead(bool paste);
  void EndRead(bool notify);
  bool IsUpdating() const { return fUpdateCount > 0; }
  bool IsReading() const { return fReadCount > 0; }

  void AddObserver(IORObserver* o);
  void RemoveObserver(IORObserver* o);
  void NotifyChange(TORChange change, TORChangeValue value = 0);

  bool GetModified() const { return fModified; }
  void SetModified(bool m);

  void AddState(int state) { fStates |= (1u << state); }
  void RemoveState(int state) { fStates &= ~(1u << state); }
  bool HasState(int state) const { return (fStates & (1u << state)) != 0; }

  std::int32_t GetFileVersion() const { return fFileVersion; }

  // Binary file: the header (magic and version), then the document's own data.
  void ReadBaseData(TBinaryReader& r);
  void ReadData(TBinaryReader& r);
  void WriteBaseData(TBinaryWriter& w) const;
  void WriteData(TBinaryWriter& w) const;
  // JSON: the document's own keys (items are read by the host, which knows the classes).
  void ReadJson(const QJsonObject& o);
  QJsonObject GetJson() const;
  // The document's own keys, without "Items".
  QJsonObject GetDocumentJson() const;
  // The whole document as indented JSON text with one line per item, written directly: the
  // form saved to files.
  QByteArray GetJsonText() const;

  // Internal clipboard: Int32 count, then each item's record (kind code first).
  QByteArray& ClipboardStream() { return fClipboard; }
  void CopySelection();

  // Stable sort of the items by layer order when layers decide the z-order.
  void SortItemsZLayer();
  // Bounds of every item carrying all of `options` (and whose layer does), in base units.
  TORVBounds CheckFit(std::uint16_t options = Opt::Visible) const;
  // Top-left of a label cell in base units.
  TORVPto PreviewPos(int column, int row) const;

  // Takes over the content of `other` (a freshly read document); `other` is left empty.
  void TakeOver(TPLNBaseLabel& other);

  // ---- library symbols the document carries (ORV.Symbol.h), counted from 1
  int GetSymbolsCount() const { return static_cast<int>(fSymbols.size()); }
  Symbol::TPLNBaseLibSymbol* GetSymbol(int i) const;
  // Takes the symbol; one already held with the same GUID is replaced in place. `current` makes
  // it the symbol that new symbol items show.
  Symbol::TPLNBaseLibSymbol* AddSymbol(std::unique_ptr<Symbol::TPLNBaseLibSymbol> symbol, bool current);
  Symbol::TPLNBaseLibSymbol* FindSymbol(const QString& guid) const;
  Symbol::TPLNBaseLibSymbol* GetCurrentSymbol() const { return fCurrentSymbol; }
  void SetCurrentSymbol(Symbol::TPLNBaseLibSymbol* symbol);
  // Forgets every symbol definition (symbol items still placed then show nothing).
  void ClearSymbols();
  // Copies one symbol of a library file into the document and makes it current. False when the
  // file holds no such symbol; EPLNError when the file cannot be read (the document unchanged).
  bool LoadSymbolByName(const QString& file, const QString& name);
  bool LoadSymbolByGuid(const QString& file, const QString& guid);

  // ---- interactive editing (base units; `tolerance` is the pick distance in base units)
  TAct& Act() { return fAct; }
  const TAct& Act() const { return fAct; }
  // Starts creating items of `kind` (None: back to selection).
  void StartAction(TORVDrawKind kind);
  // Ends any action: drops the points of an unfinished item, ends typing, back to selection.
  void ResetAction();
  // A left press: selects, starts a move or a rubber band, places a point of the item being
  // drawn or finishes it. `flag`: the press went into a text being edited.
  void PickEditor(std::int64_t x, std::int64_t y, std::int64_t tolerance, TShiftState shift, bool flag);
  // A typed single value (a radius, a width, an angle in degrees) for the item being drawn.
  void PickEditorValue(double value);
  void RightButton(std::int64_t x, std::int64_t y, std::int64_t tolerance, TShiftState shift);
  void UpEditor(std::int64_t x, std::int64_t y);
  // Pointer motion (dx, dy) to (x, y); gridX/gridY the grid-rounded point, -1 with the grid off.
  void MoveEditor(std::int64_t dx, std::int64_t dy, std::int64_t x, std::int64_t y, std::int64_t gridX,
                  std::int64_t gridY);
  // Motion with grid snapping: (x, y) now, (px, py) before, both on the grid.
  void MoveGridEditor(std::int64_t x, std::int64_t y, std::int64_t px, std::int64_t py, bool flag);
  // Double click: starts editing the text of the item under the last press.
  bool DoDblClick();
  // Starts typing into a text item of this document (ends any other typing first).
  bool EditItemText(TPLNBaseItem* item);
  // The nearest point of `kind` within `tolerance`; tangents and perpendiculars are taken from
  // ref.RefPoint when ref.RefFound.
  bool SearchPoint(std::int64_t x, std::int64_t y, std::int64_t tolerance, TORVSnap kind, TORVRef& ref, bool flag);
  // The connector under (x, y) within `tolerance` of the topmost item that offers connectors,
  // leaving `except` aside (the other end of a link being drawn). Item holds the item's index
  // and Point the connector.
  bool SearchLink(std::int64_t x, std::int64_t y, TORVink& link);
  bool SearchLink(std::int64_t x, std::int64_t y, std::int64_t tolerance, TORVink& link,
                  const TPLNBaseItem* except = nullptr) const;
  // The topmost selectable item under (x, y), or null.
  TPLNBaseItem* PickItemAt(std::int64_t x, std::int64_t y, std::int64_t tolerance) const;
  bool PickItem(const TPLNBaseItem* item, std::int64_t x, std::int64_t y, std::int64_t tolerance, bool flag) const;
  // Whether a press falls inside the text being edited.
  bool SearchSelectedText(std::int64_t x, std::int64_t y, std::int64_t tolerance, TShiftState shift);
  // Handles of the selection, counted from 1.
  int GetSelPointCount() const;
  TORVSelPoint GetSelPoint(int i) const;
  // The rubber band of a running selection drag (empty when none).
  TORVBounds RubberBand() const;
  // Bound of the selection: 1 left, 2 top, 3 right, 4 bottom; -1 without selection.
  std::int64_t SelectionBounds(int side) const;
  TORVBounds SelectionBox() const;
  // Moves the selection by (dx, dy) in the document's unit; `undo` makes it one undo step.
  void MoveSelection(double dx, double dy, bool refLines, bool undo);
  // Grows (or shrinks, negative) the selection's box on `side` (1 left, 2 top, 3 right, 4 bottom).
  void MoveSize(double amount, int side, bool refLines, bool undo);
  // Turns the label a quarter turn counter-clockwise (left) or clockwise (right), with the
  // sheet and every item on it; one undo step.
  void RotateLeft();
  void RotateRight();
  void SelectAll();
  void SelectNext();
  void SelectPrior();
  void DeleteSelection();
  // Removes point `index` of the single selected item.
  void DeletePoint(int index);
  // Copies the selection to the internal clipboard, then deletes it.
  void CutSelection();
  // Pastes a copy of the selection moved by `offset` base units and selects it.
  void DuplicateSelection(std::int64_t offset);
  // The text item being typed into (null when none) and its text.
  TPLNBaseItem* GetTextObject() const { return fTextObject; }
  void SetTextObjectText(const QString& text);
  // Replaces the markup of the rich text being typed into as one undo step; false when the text
  // object is no rich text or nothing changes.
  bool SetRichTextObjectValue(const QString& markup);
  // Tells the observers that the text being typed or its caret changed.
  void UpdateEditing(bool flag);
  // Ends typing: the text goes to the item (an empty new text item is removed).
  void Clear(bool textMember, bool notify);
  // Raised after a handle is grabbed: the host shows the selection's values.
  std::function<void(bool)> OnInfoEvent;
  void FireInfoEvent(bool flag) {
    if (OnInfoEvent) OnInfoEvent(flag);
  }

  // ---- undo and redo
  // Every change of the document becomes part of an undo step: one step per user action. A
  // group (BeginUpdate/EndUpdate and a paste are one too) makes everything inside it one step,
  // nested groups included; changes outside a group are closed into a step at the next group,
  // Undo, Redo or query. A step that changes nothing is not kept. Per-label copies for printing
  // never enter the history. Undo and Redo raise EPLNError when a step cannot be applied, and
  // then leave the document as it was.
  void BeginUndoGroup();
  void EndUndoGroup();
  bool CanUndo() const;
  bool CanRedo() const;
  void Undo();
  void Redo();
  // Forgets the history (a new or loaded document starts without one).
  void ClearUndo();
  // Steps kept (0 switches undo off and frees what it kept); default 100.
  void SetUndoLimit(int steps);
  int GetUndoLimit() const;
  int UndoCount() const;
  int RedoCount() const;
  // Steps recorded since the document was made (a counter that only grows).
  std::uint64_t UndoRecorded() const;
  // Takes back the last step and forgets it, leaving nothing to redo: a change that failed
  // half-way leaves no trace.
  void DiscardLastStep();
  // After every change of the history (a new step, an undo, a redo, a clear).
  std::function<void()> OnUndoRedoEvent;

  // Creation hooks that the graphical document implements through the factory.
  virtual TPLNBaseItem* AddBasePoint(std::int64_t, std::int64_t) { return nullptr; }
  virtual TPLNBaseItem* AddBaseLine(std::int64_t, std::int64_t, std::int64_t, std::int64_t) { return nullptr; }
  virtual TPLNBaseItem* AddBaseRectangle(std::int64_t, std::int64_t, std::int64_t, std::int64_t) { return nullptr; }
  virtual TPLNBaseItem* AddBaseEllipse(std::int64_t, std::int64_t, std::int64_t, std::int64_t) { return nullptr; }
  virtual TPLNBaseItem* AddBaseCircle(std::int64_t, std::int64_t, std::int64_t) { return nullptr; }
  virtual TPLNBaseItem* AddBaseArc(std::int64_t, std::int64_t, std::int64_t, double, double) { return nullptr; }
  virtual TPLNBaseItem* AddBaseSector(std::int64_t, std::int64_t, std::int64_t, double, double) { return nullptr; }
  virtual TPLNBaseItem* AddBasePolyLine(const std::vector<std::int64_t>&) { return nullptr; }
  virtual TPLNBaseItem* AddBasePolygon(const std::vector<std::int64_t>&) { return nullptr; }
  virtual TPLNBaseItem* AddBaseBezier(const std::vector<std::int64_t>&) { return nullptr; }
  virtual TPLNBaseItem* AddBaseText(std::int64_t, std::int64_t) { return nullptr; }
  virtual TPLNBaseItem* AddBaseParagraph(std::int64_t, std::int64_t, std::int64_t, std::int64_t) { return nullptr; }
  virtual TPLNBaseItem* AddBaseArrowLine(std::int64_t, std::int64_t, std::int64_t, std::int64_t) { return nullptr; }
  // Linear dimension: the two measured points and a point on the dimension line.
  virtual TPLNBaseItem* AddBaseDim(std::int64_t, std::int64_t, std::int64_t, std::int64_t, std::int64_t,
                                   std::int64_t) {
    return nullptr;
  }
  // Radius (diameter) dimension of the circle (cx, cy, r), its caption towards `angle` (radians),
  // drawn outside the circle when `outside`.
  virtual TPLNBaseItem* AddBaseDimRadius(std::int64_t, std::int64_t, std::int64_t, double, bool /*diameter*/,
                                         bool /*outside*/) {
    return nullptr;
  }
  // A flow-chart box of `type` and a link between two items (connectors 0: automatic).
  virtual TPLNBaseItem* AddBaseFlow(std::int64_t, std::int64_t, std::int64_t, std::int64_t, TORVFlowType) {
    return nullptr;
  }
  virtual TPLNBaseItem* AddBaseLink(std::int32_t /*fromID*/, std::int32_t /*toID*/, std::int16_t /*fromIndex*/,
                                    std::int16_t /*toIndex*/, std::uint8_t /*linkType*/) {
    return nullptr;
  }
  // A code item of kind `kind` (Kind::Barcode, QRCode, DataMatrix, PDF417 or PolyText) anchored
  // at (x, y) with a sample code, and a Nutri-Score label in a box.
  virtual TPLNBaseItem* AddBaseCode(std::int64_t, std::int64_t, std::int32_t /*kind*/) { return nullptr; }
  virtual TPLNBaseItem* AddBaseNutriScore(std::int64_t, std::int64_t, std::int64_t, std::int64_t) { return nullptr; }
  virtual TPLNBaseItem* AddBasePackage(std::int64_t, std::int64_t, std::int64_t, std::int64_t) { return nullptr; }
  virtual TPLNBaseItem* AddBaseLevel(std::int64_t /*cx*/, std::int64_t /*cy*/, std::int64_t /*r*/) { return nullptr; }
  virtual TPLNBaseItem* AddBaseRank(std::int64_t, std::int64_t, std::int64_t, std::int64_t) { return nullptr; }
  virtual TPLNBaseItem* AddBaseImage(std::int64_t, std::int64_t, std::int64_t, std::int64_t, const QString& /*fileName*/) {
    return nullptr;
  }
  virtual TPLNBaseItem* AddBaseTable(std::int64_t, std::int64_t, std::int64_t, std::int64_t) { return nullptr; }
  virtual TPLNBaseItem* AddBaseRichText(std::int64_t, std::int64_t, std::int64_t, std::int64_t) { return nullptr; }
  // Angle dimension: lines p1-p2 and p3-p4 and a point on the arc, ten values.
  virtual TPLNBaseItem* AddBaseDimAngle(const std::vector<std::int64_t>&) { return nullptr; }
  // The sheet of the print settings' current page as an SVG document, and the same written to a
  // file whole or not at all. Drawing needs the host control, which overrides both; a bare
  // document raises EPLNError.
  virtual QString SVG(TORVSvgKind kind, double factor, bool withIds);
  virtual void SaveSVG(const QString& fileName, TORVSvgKind kind, double factor, bool withIds);
  // An item from its record (kind code first), entered at the end of the items; null for a kind
  // this document cannot make. Undo brings deleted items back through it.
  virtual TPLNBaseItem* CreateItemFromRecord(TBinaryReader& /*r*/, std::int32_t /*version*/) { return nullptr; }
  virtual void CreateElementFromStream(QIODevice* /*stream*/) {}
  virtual void PasteSelection() {}

 protected:
  // Replaces the selection with the items just pasted.
  void EndUpdateSelection(const std::vector<TPLNBaseItem*>& pasted);
  // Drops the items after the first `count` (undoing a failed paste).
  void TruncateItems(std::size_t count);

 private:
  friend class TPLNBaseItem;
  void InsertItem(TPLNBaseItem* item);
  void ItemChanged(TPLNBaseItem* item);
  // Items came, went or changed identifier, or a link changed its ends: the lookups by
  // identifier are made again at their next use.
  void ItemsRenumbered() { ++fItemsGen; }
  // The links attached to `item` lie elsewhere now: the index looks at them again.
  void EndMoved(const TPLNBaseItem* item);
  // Keep the lookups by identifier up to date without a rebuild: an item entered, a link's ends.
  void ItemEntered(TPLNBaseItem* item);
  void LinkEndsChanged(F2d::TPLNBaseLink* link, std::int32_t oldFrom, std::int32_t oldTo);
  // Links whose ends moved while the document was being read are looked at again.
  void CheckStaleLinks() const;
  void RebuildLookups() const;
  friend class F2d::TPLNBaseLink;
  void ResetLayers();
  void ResetDimStyles();
  // Tells OnUnSelectItem / OnSelectItem what left and joined the selection since `before`.
  // Called while every item named still exists.
  void AnnounceSelection(const std::vector<TPLNBaseItem*>& before);

  std::vector<std::unique_ptr<TPLNBaseItem>> fItems;
  std::vector<std::unique_ptr<Symbol::TPLNBaseLibSymbol>> fSymbols;
  Symbol::TPLNBaseLibSymbol* fCurrentSymbol = nullptr;
  std::vector<std::unique_ptr<TPLNLayer>> fLayers;
  std::vector<std::unique_ptr<Line::TPLNDimStyle>> fDimStyles;
  int fActiveDimStyle = 0;
  std::vector<TPLNBaseItem*> fSelection;
  std::vector<IORObserver*> fObservers;
  TPLNMeasure fMeasure;
  std::vector<std::unique_ptr<TPLNCounter>> fCounters;
  TPLNData fDataSettings;
  QHash<QString, QString> fAskedValues;      // lower-case name -> value
  QHash<QString, QStringList> fListValues;   // lower-case name -> values
  QHash<QString, std::int64_t> fCounterStarts;
  TPLNSettings fSettings;
  TPLNBackSurf fBackSurf;
  std::uint16_t fOptions = kDefaultDocOptions;
  QByteArray fClipboard;
  std::int32_t fLastID = 0;
  std::int32_t fFileVersion = kFileVersion;
  int fActiveLayer = 0;
  int fUpdateCount = 0;
  int fReadCount = 0;
  bool fPendingChange = false;
  bool fModified = false;
  bool fLayerZOrder = false;
  bool fEditable = true;
  std::uint8_t fEditorMode = 0;
  TORVUnits fUnits = TORVUnits::mm;
  std::uint32_t fStates = 0;
  std::int32_t fBackLayer = 0;
  std::uint8_t fImageRotation = 0;
  bool fReloadImage = false;
  TPLNMapping fMapping;
  QString fMapError;
  std::shared_ptr<const TPLNDataSource> fDataSource;
  int fRecord = 0;
  // Cell index (row-major from 0) of every per-label copy.
  std::unordered_map<const TPLNBaseItem*, int> fCopyCells;
  // Built at the first query and kept up to date by every change of the items.
  mutable TORVSpatialIndex fIndex;
  // Identifier -> item, and identifier -> links attached to it; rebuilt when fItemsGen moved on.
  // Guarded: drawing threads look links' ends up while the index asks for their bounds.
  mutable std::mutex fLookupLock;
  mutable std::unordered_map<std::int32_t, TPLNBaseItem*> fByID;
  mutable std::unordered_multimap<std::int32_t, F2d::TPLNBaseLink*> fLinksByEnd;
  mutable std::uint64_t fLookupGen = ~std::uint64_t(0);
  std::uint64_t fItemsGen = 0;
  mutable bool fLinksStale = false;
  TAct fAct;
  TPLNBaseItem* fTextObject = nullptr;
  bool fTextObjectNew = false;
  friend class TPLNUndoStack;
  // An item may have changed / the document may have changed: the history looks at the next step.
  void UndoTouch(TPLNBaseItem* item);
  void UndoPending();
  std::unique_ptr<TPLNUndoStack> fUndo;
};

// Makes everything done in a scope one undo step, however the scope is left.
class TPLNUndoGroup {
 public:
  explicit TPLNUndoGroup(TPLNBaseLabel& doc) : fDoc(doc) { fDoc.BeginUndoGroup(); }
  ~TPLNUndoGroup() { fDoc.EndUndoGroup(); }
  TPLNUndoGroup(const TPLNUndoGroup&) = delete;
  TPLNUndoGroup& operator=(const TPLNUndoGroup&) = delete;

 private:
  TPLNBaseLabel& fDoc;
};

}  // namespace Orv
