#include "ORV.Base.h"
#include "ORV.Symbol.h"
#include "ORV.Undo.h"

#include <QBuffer>
#include <QFileInfo>
#include <QUuid>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <unordered_set>

#include "ORV.Data.h"
#include "ORV.Dim.h"
#include "ORV.Json.h"
#include "ORV.Msg.h"

namespace Orv {

namespace {
// Sanity limits for records read from files: far beyond any real drawing, small enough that a
// corrupt count cannot exhaust memory.
constexpr int kMaxLayers = 10000;
constexpr int kMaxDimStyles = 10000;
// The fewest bytes a stored point takes (two Int64).
constexpr qint64 kPointBytes = 16;
constexpr std::uint32_t kMagic = 0x4E4C5050;  // "PPLN" little-endian
}  // namespace

// ---------------------------------------------------------------- TPLNBaseItem

TPLNBaseItem::TPLNBaseItem(TPLNBaseLabel* owner, bool preview)
    : TPLNBaseItem(owner, owner ? owner->GetActiveLayer() : nullptr, preview) {}

TPLNBaseItem::TPLNBaseItem(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : fOwner(owner), fLayer(layer), fPreview(preview) {
  if (fLayer) fOptions = Opt::Default;
  if (fOwner) fOwner->InsertItem(this);
}

TORVPto TPLNBaseItem::GetPoint(int i) const {
  if (i < 1 || i > static_cast<int>(fPoints.size())) return {};
  return fPoints[i - 1];
}

void TPLNBaseItem::AssignPoints(const TORVPto* pts, int highIndex) {
  fPoints.assign(pts, pts + (highIndex + 1));
  Update();
}

// Setting a point on its own tells no observer (Update does), but the index must know at once.
void TPLNBaseItem::SetBase(int i, std::int64_t x, std::int64_t y) {
  if (i < 1) return;
  const bool grown = i > static_cast<int>(fPoints.size());
  if (grown) fPoints.resize(i);
  if (!grown && fPoints[i - 1] == TORVPto{x, y}) return;
  fPoints[i - 1] = {x, y};
  BoundsChanged();
}

void TPLNBaseItem::SetPointX(int i, double x) {
  if (i < 1) return;
  const TORVPto p = GetPoint(i);
  SetBase(i, Utils::SetValue(x, fOwner ? fOwner->GetUnits() : TORVUnits::mm), p.Y);
}

void TPLNBaseItem::SetPointY(int i, double y) {
  if (i < 1) return;
  const TORVPto p = GetPoint(i);
  SetBase(i, p.X, Utils::SetValue(y, fOwner ? fOwner->GetUnits() : TORVUnits::mm));
}

void TPLNBaseItem::SetID(std::int32_t id) {
  const bool renumbered = id != fID;
  fID = id;
  if (!fOwner) return;
  if (id > fOwner->fLastID) fOwner->fLastID = id;
  if (renumbered) fOwner->ItemsRenumbered();
}

void TPLNBaseItem::Update() {
  UpdatePoints();
  Changed();
}

void TPLNBaseItem::Changed() {
  if (fOwner) fOwner->ItemChanged(this);
}

void TPLNBaseItem::BoundsChanged() {
  if (!fOwner) return;
  fOwner->fIndex.Changed(this);
  fOwner->UndoTouch(this);
  fOwner->EndMoved(this);
}

void TPLNBaseItem::SetColor(TAlphaColor c) {
  if (c == fColor) return;
  fColor = c;
  Changed();
}

void TPLNBaseItem::SetPenWidth(double w) {
  if (w < 0) w = 0;
  if (w == fPenWidth) return;
  fPenWidth = w;
  Changed();
}

void TPLNBaseItem::SetLineType(TORVineType t) {
  if (t == fLineType) return;
  fLineType = t;
  Changed();
}

void TPLNBaseItem::SetLayer(TPLNLayer* layer) {
  if (!layer || layer == fLayer) return;
  fLayer = layer;
  Changed();
}

void TPLNBaseItem::SetName(const QString& n) {
  if (n == fName) return;
  fName = n;
  Changed();
}

void TPLNBaseItem::SetOptions(std::uint16_t o) {
  if (o == fOptions) return;
  fOptions = o;
  Changed();
}

bool TPLNBaseItem::HasOptions(std::uint16_t bits) const {
  if ((fOptions & bits) != bits) return false;
  return !fLayer || fLayer->HasOption(bits);
}

TORVBounds TPLNBaseItem::GetBounds() const {
  TORVBounds b;
  for (const TORVPto& p : fPoints) b.Add(p);
  if (!b.IsEmpty()) {
    const auto half = static_cast<std::int64_t>(fPenWidth / 2);
    b.X1 -= half;
    b.Y1 -= half;
    b.X2 += half;
    b.Y2 += half;
  }
  return b;
}

void TPLNBaseItem::Move(std::int64_t dx, std::int64_t dy) {
  for (TORVPto& p : fPoints) {
    p.X += dx;
    p.Y += dy;
  }
  Update();
}

void TPLNBaseItem::CheckPointCount(int n) const {
  if (n < 1) throw EPLNError(QStringLiteral("%1 without points").arg(KindName()));
}

void TPLNBaseItem::Write(TBinaryWriter& w) const {
  w.WriteInt32(KindCode());
  WriteData(w);
}

void TPLNBaseItem::WriteData(TBinaryWriter& w) const {
  w.WriteInt32(fID);
  w.WriteString(fName);
  w.WriteInt32(fOwner && fLayer ? fOwner->LayerIndex(fLayer) : 1);
  w.WriteUInt32(fColor);
  w.WriteDouble(fPenWidth);
  w.WriteByte(fLineType);
  w.WriteUInt16(fOptions);
  w.WriteInt32(static_cast<std::int32_t>(fPoints.size()));
  for (const TORVPto& p : fPoints) {
    w.WriteInt64(p.X);
    w.WriteInt64(p.Y);
  }
}

void TPLNBaseItem::ReadData(std::int32_t /*version*/, TBinaryReader& r, TORVReadType /*readType*/) {
  fID = r.ReadInt32();
  if (fOwner) fOwner->ItemsRenumbered();
  fName = r.ReadString();
  const std::int32_t layer = r.ReadInt32();
  if (fOwner) {
    if (layer < 1 || layer > fOwner->GetLayersCount())
      throw EPLNError(QStringLiteral("%1 on layer %2, which does not exist").arg(KindName()).arg(layer));
    fLayer = fOwner->GetLayer(layer);
  }
  fColor = r.ReadUInt32();
  fPenWidth = r.ReadDouble();
  if (fPenWidth < 0) throw EPLNError(QStringLiteral("%1 with a negative pen width").arg(KindName()));
  fLineType = r.ReadByte();
  fOptions = r.ReadUInt16();
  const std::int32_t n = r.ReadCount(kPointBytes, "point");
  CheckPointCount(n);
  fPoints.resize(n);
  for (TORVPto& p : fPoints) {
    p.X = r.ReadCoord("point");
    p.Y = r.ReadCoord("point");
  }
  UpdatePoints();
  BoundsChanged();
}

void TPLNBaseItem::WriteJson(Json::TJsonSink& o) const {
  o.Int("Type", KindCode());
  o.Int("ID", fID);
  if (!fName.isEmpty()) o.Str("Name", fName);
  o.Int("Layer", fOwner && fLayer ? fOwner->LayerIndex(fLayer) : 1);
  o.Color("Color", fColor);
  o.Num("PenWidth", fPenWidth);
  o.Int("LineType", fLineType);
  o.Int("Options", fOptions);
  o.Points("Points", fPoints);
}

QJsonObject TPLNBaseItem::ToJson() const {
  QJsonObject o;
  Json::TJsonObjectSink sink(o);
  WriteJson(sink);
  return o;
}

void TPLNBaseItem::ReadJson(std::int32_t /*version*/, const QJsonObject& o) {
  fID = static_cast<std::int32_t>(Json::Int(o, "ID", fID));
  if (fOwner) fOwner->ItemsRenumbered();
  fName = Json::Str(o, "Name");
  const auto layer = Json::Int(o, "Layer", fOwner ? fOwner->LayerIndex(fLayer) : 1);
  if (fOwner) {
    if (layer < 1 || layer > fOwner->GetLayersCount())
      throw EPLNError(QStringLiteral("%1 on layer %2, which does not exist").arg(KindName()).arg(layer));
    fLayer = fOwner->GetLayer(static_cast<int>(layer));
  }
  fColor = Json::Color(o, "Color", fColor);
  fPenWidth = Json::Num(o, "PenWidth", fPenWidth);
  if (fPenWidth < 0) throw EPLNError(QStringLiteral("%1 with a negative pen width").arg(KindName()));
  const auto lt = Json::Int(o, "LineType", fLineType);
  if (lt < 0 || lt > 255) throw EPLNError(QStringLiteral("\"LineType\" must be between 0 and 11"));
  fLineType = static_cast<TORVineType>(lt);
  fOptions = static_cast<std::uint16_t>(Json::Int(o, "Options", fOptions));
  std::vector<TORVPto> pts = Json::Points(o, "Points");
  CheckPointCount(static_cast<int>(pts.size()));
  fPoints = std::move(pts);
  UpdatePoints();
  BoundsChanged();
}

// ---------------------------------------------------------------- TPLN2DItem

void TPLN2DItem::SetBackColor(TAlphaColor c) {
  if (c == fBackColor) return;
  fBackColor = c;
  Changed();
}
void TPLN2DItem::SetFilled(bool f) {
  if (f == fFilled) return;
  fFilled = f;
  Changed();
}
void TPLN2DItem::SetAlpha(bool a) {
  if (a == fAlpha) return;
  fAlpha = a;
  Changed();
}
std::int64_t TPLN2DItem::GetWidth() const {
  return fPoints.size() >= 2 ? std::llabs(fPoints[1].X - fPoints[0].X) : 0;
}
std::int64_t TPLN2DItem::GetHeight() const {
  return fPoints.size() >= 2 ? std::llabs(fPoints[1].Y - fPoints[0].Y) : 0;
}

void TPLN2DItem::WriteData(TBinaryWriter& w) const {
  TPLNBaseItem::WriteData(w);
  w.WriteUInt32(fBackColor);
  w.WriteBoolean(fFilled);
  w.WriteBoolean(fAlpha);
}
void TPLN2DItem::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLNBaseItem::ReadData(version, r, readType);
  fBackColor = r.ReadUInt32();
  fFilled = r.ReadBoolean();
  fAlpha = r.ReadBoolean();
}
void TPLN2DItem::WriteJson(Json::TJsonSink& o) const {
  TPLNBaseItem::WriteJson(o);
  o.Color("BackColor", fBackColor);
  o.Bool("Filled", fFilled);
  o.Bool("Alpha", fAlpha);
}
void TPLN2DItem::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLNBaseItem::ReadJson(version, o);
  fBackColor = Json::Color(o, "BackColor", fBackColor);
  fFilled = Json::Bool(o, "Filled", fFilled);
  fAlpha = Json::Bool(o, "Alpha", fAlpha);
}

// ---------------------------------------------------------------- TORVTerminators

void TORVTerminators::WriteTerms(TBinaryWriter& w) const {
  w.WriteByte(FromType);
  w.WriteByte(ToType);
  w.WriteUInt32(FromColor);
  w.WriteUInt32(ToColor);
  w.WriteSingle(SizeFrom);
  w.WriteSingle(SizeTo);
}
void TORVTerminators::ReadTerms(TBinaryReader& r) {
  FromType = r.ReadByte();
  ToType = r.ReadByte();
  FromColor = r.ReadUInt32();
  ToColor = r.ReadUInt32();
  SizeFrom = r.ReadSingle();
  SizeTo = r.ReadSingle();
}
void TORVTerminators::WriteTermsJson(Json::TJsonSink& o) const {
  o.Int("FromType", FromType);
  o.Int("ToType", ToType);
  o.Color("FromColor", FromColor);
  o.Color("ToColor", ToColor);
  o.Num("SizeFrom", SizeFrom);
  o.Num("SizeTo", SizeTo);
}
void TORVTerminators::ReadTermsJson(const QJsonObject& o) {
  const auto ft = Json::Int(o, "FromType", FromType), tt = Json::Int(o, "ToType", ToType);
  if (ft < 0 || ft > 255 || tt < 0 || tt > 255)
    throw EPLNError(QStringLiteral("\"FromType\" and \"ToType\" must be between 0 and 11"));
  FromType = static_cast<TORVTermType>(ft);
  ToType = static_cast<TORVTermType>(tt);
  FromColor = Json::Color(o, "FromColor", FromColor);
  ToColor = Json::Color(o, "ToColor", ToColor);
  SizeFrom = static_cast<float>(Json::Num(o, "SizeFrom", SizeFrom));
  SizeTo = static_cast<float>(Json::Num(o, "SizeTo", SizeTo));
}

// ---------------------------------------------------------------- TPLNBasePoint

namespace Base {
TORVBounds TPLNBasePoint::GetBounds() const {
  TORVBounds b;
  if (!fPoints.empty()) {
    // A point is drawn as a circle of radius 0.5 mm.
    b.Add(fPoints[0].X - 500, fPoints[0].Y - 500);
    b.Add(fPoints[0].X + 500, fPoints[0].Y + 500);
  }
  return b;
}
void TPLNBasePoint::CheckPointCount(int n) const {
  if (n != 1) throw EPLNError(QStringLiteral("Point needs 1 point, not %1").arg(n));
}
}  // namespace Base

// ---------------------------------------------------------------- TPLNBaseLabel

TPLNBaseLabel::TPLNBaseLabel() {
  ResetLayers();
  ResetDimStyles();
  // A new document starts its history at once: its start is nearly nothing to keep.
  fUndo = std::make_unique<TPLNUndoStack>(this);
}

TPLNBaseLabel::~TPLNBaseLabel() {
  // Views still attached must not reach for a document that is gone.
  for (IORObserver* o : std::vector<IORObserver*>(fObservers)) o->HostRemoved();
  fObservers.clear();
  // Items point at layers; drop them first.
  fSelection.clear();
  fItems.clear();
}

void TPLNBaseLabel::ResetLayers() {
  fLayers.clear();
  fLayers.push_back(std::make_unique<TPLNLayer>(QStringLiteral("Layer 1")));
  fActiveLayer = 0;
}

void TPLNBaseLabel::ResetDimStyles() {
  fDimStyles.clear();
  fDimStyles.push_back(std::make_unique<Line::TPLNDimStyle>());
  fActiveDimStyle = 0;
}

Line::TPLNDimStyle* TPLNBaseLabel::GetDimStyle(int i) const {
  if (i < 1 || i > GetDimStylesCount()) return nullptr;
  return fDimStyles[i - 1].get();
}

void TPLNBaseLabel::SetActiveDimStyle(int i) {
  if (i < 1 || i > GetDimStylesCount() || i - 1 == fActiveDimStyle) return;
  fActiveDimStyle = i - 1;
  fModified = true;
  NotifyChange(TORChange::Document);
}

bool TPLNBaseLabel::SetActiveDimStyle(const QString& name) {
  for (int i = 1; i <= GetDimStylesCount(); ++i)
    if (fDimStyles[i - 1]->Name.compare(name, Qt::CaseInsensitive) == 0) {
      SetActiveDimStyle(i);
      return true;
    }
  return false;
}

Line::TPLNDimStyle* TPLNBaseLabel::AddDimStyle(const QString& name) {
  fDimStyles.push_back(std::make_unique<Line::TPLNDimStyle>(name));
  fModified = true;
  UndoPending();
  return fDimStyles.back().get();
}

bool TPLNBaseLabel::DeleteActiveDimStyle() {
  if (fActiveDimStyle <= 0 || fActiveDimStyle >= GetDimStylesCount()) return false;
  const int gone = fActiveDimStyle + 1;
  BeginUpdate();
  fDimStyles.erase(fDimStyles.begin() + fActiveDimStyle);
  fActiveDimStyle = 0;
  // Dimensions name their style by number: those after the gap move down one.
  for (const auto& it : fItems)
    if (auto* dim = dynamic_cast<Line::TPLNBaseDim*>(it.get())) {
      const int s = dim->GetDimStyleIndex();
      if (s == gone) {
        dim->SetDimStyleIndex(1);
      } else if (s > gone) {
        dim->SetDimStyleIndex(s - 1);
      }
      dim->CalcValues(0);
      UndoTouch(dim);
    }
  fModified = true;
  NotifyChange(TORChange::Document);
  EndUpdate();
  return true;
}

QString TPLNBaseLabel::SVG(TORVSvgKind, double, bool) {
  throw EPLNError(QStringLiteral("this document cannot draw: SVG export needs the drawing library"));
}

void TPLNBaseLabel::SaveSVG(const QString& fileName, TORVSvgKind, double, bool) {
  throw EPLNError(QStringLiteral("%1: this document cannot draw: SVG export needs the drawing library").arg(fileName));
}

TPLNBaseItem* TPLNBaseLabel::GetItem(int i) const {
  if (i < 1 || i > GetItemsCount()) return nullptr;
  return fItems[i - 1].get();
}

int TPLNBaseLabel::IndexOf(const TPLNBaseItem* item) const {
  for (std::size_t i = 0; i < fItems.size(); ++i)
    if (fItems[i].get() == item) return static_cast<int>(i) + 1;
  return 0;
}

void TPLNBaseLabel::InsertItem(TPLNBaseItem* item) {
  fItems.emplace_back(item);
  fUndo->Inserted(item);
  fIndex.Added(item, GetItemsCount() - 1);
  if (item->fID <= 0) item->fID = ++fLastID;
  ItemEntered(item);
  if (!IsReading()) {
    fModified = true;
    NotifyChange(TORChange::Items, reinterpret_cast<TORChangeValue>(item));
  }
}

void TPLNBaseLabel::ItemChanged(TPLNBaseItem* item) {
  // The index and the history hear of every change, read or not.
  fIndex.Changed(item);
  UndoTouch(item);
  EndMoved(item);
  if (IsReading()) return;
  fModified = true;
  NotifyChange(TORChange::Items, reinterpret_cast<TORChangeValue>(item));
}

void TPLNBaseLabel::DeleteItem(int i) {
  if (i < 1 || i > GetItemsCount()) return;
  TPLNBaseItem* item = fItems[i - 1].get();
  Unselect(item);
  fCopyCells.erase(item);
  fIndex.Removed(item, i - 1);
  if (fTextObject == item) fTextObject = nullptr;
  fItems.erase(fItems.begin() + (i - 1));
  ItemsRenumbered();
  UndoPending();
  fModified = true;
  NotifyChange(TORChange::Items);
}

void TPLNBaseLabel::ClearItems() {
  const std::vector<TPLNBaseItem*> before = fSelection;
  fSelection.clear();
  AnnounceSelection(before);
  fCopyCells.clear();
  fTextObject = nullptr;
  fItems.clear();
  fIndex.Reset();
  ItemsRenumbered();
  fLastID = 0;
  // A cleared document is a new one: its history starts here.
  fUndo->Clear(true);
  fModified = true;
  NotifyChange(TORChange::Document);
}

void TPLNBaseLabel::ClearPreviewItems() {
  for (std::size_t i = 0; i < fItems.size(); ++i)
    if (fItems[i]->IsPreview()) fIndex.Removed(fItems[i].get(), static_cast<int>(i));
  std::erase_if(fSelection, [](TPLNBaseItem* it) { return it->IsPreview(); });
  std::erase_if(fItems, [](const std::unique_ptr<TPLNBaseItem>& it) { return it->IsPreview(); });
  ItemsRenumbered();
  fCopyCells.clear();
}

TPLNBaseItem* TPLNBaseLabel::FindByID(std::int32_t id) const {
  std::lock_guard lock(fLookupLock);
  RebuildLookups();
  const auto it = fByID.find(id);
  return it == fByID.end() ? nullptr : it->second;
}

TPLNBaseItem* TPLNBaseLabel::SearchItem(const QString& name, bool exact) const {
  const Qt::CaseSensitivity cs = exact ? Qt::CaseSensitive : Qt::CaseInsensitive;
  for (const auto& it : fItems)
    if (!it->fName.isEmpty() && it->fName.compare(name, cs) == 0) return it.get();
  bool ok = false;
  const int id = name.toInt(&ok);
  return ok ? FindByID(id) : nullptr;
}

TPLNLayer* TPLNBaseLabel::GetLayer(int i) const {
  if (i < 1 || i > GetLayersCount()) return nullptr;
  return fLayers[i - 1].get();
}

int TPLNBaseLabel::LayerIndex(const TPLNLayer* layer) const {
  for (std::size_t i = 0; i < fLayers.size(); ++i)
    if (fLayers[i].get() == layer) return static_cast<int>(i) + 1;
  return 0;
}

void TPLNBaseLabel::SetActiveLayer(int i) {
  if (i < 1 || i > GetLayersCount() || i - 1 == fActiveLayer) return;
  fActiveLayer = i - 1;
  NotifyChange(TORChange::Layers);
}

TPLNLayer* TPLNBaseLabel::AddLayer(const QString& name) {
  fLayers.push_back(std::make_unique<TPLNLayer>(name));
  fModified = true;
  NotifyChange(TORChange::Layers);
  return fLayers.back().get();
}

void TPLNBaseLabel::DeleteLayer(int i) {
  if (i <= 1 || i > GetLayersCount()) return;
  TPLNLayer* gone = fLayers[i - 1].get();
  for (auto& it : fItems)
    if (it->fLayer == gone) it->fLayer = fLayers[0].get();
  fLayers.erase(fLayers.begin() + (i - 1));
  if (fActiveLayer >= GetLayersCount()) fActiveLayer = GetLayersCount() - 1;
  // The background stays on the layer it was on, or goes with it.
  if (fBackLayer == i) {
    fBackLayer = 0;
    fReloadImage = true;
  } else if (fBackLayer > i) {
    --fBackLayer;
  }
  fModified = true;
  NotifyChange(TORChange::Layers);
}

bool TPLNBaseLabel::ExchangeLayers(int a, int b) {
  if (a <= 1 || b <= 1 || a > GetLayersCount() || b > GetLayersCount()) return false;
  if (a == b) return true;
  TPLNLayer* la = fLayers[a - 1].get();
  TPLNLayer* lb = fLayers[b - 1].get();
  std::swap(fLayers[a - 1], fLayers[b - 1]);
  // The active layer and the background picture stay with their layers.
  if (fActiveLayer == a - 1) {
    fActiveLayer = b - 1;
  } else if (fActiveLayer == b - 1) {
    fActiveLayer = a - 1;
  }
  if (fBackLayer == a) {
    fBackLayer = b;
  } else if (fBackLayer == b) {
    fBackLayer = a;
  }
  // Items save their layer by number: the records of those on the two layers change.
  for (const auto& it : fItems)
    if (it->fLayer == la || it->fLayer == lb) UndoTouch(it.get());
  if (fLayerZOrder) SortItemsZLayer();
  fModified = true;
  NotifyChange(TORChange::Layers);
  return true;
}

void TPLNBaseLabel::SetMeasure(const TPLNMeasure& m) {
  m.Validate();
  if (m == fMeasure) return;
  const bool rescaled = m.DrawScale != fMeasure.DrawScale;
  fMeasure = m;
  fModified = true;
  if (rescaled) {
    // Texts and dimension captions are measured on paper and laid out in drawing coordinates:
    // a new scale changes their frames, as reading the drawing again would.
    BeginUpdate();
    for (const auto& it : fItems) {
      it->UpdatePoints();
      fIndex.Changed(it.get());
    }
    CalcDimValues();
    EndUpdate();
  }
  NotifyChange(TORChange::Measure);
}

void TPLNBaseLabel::SetUnits(TORVUnits u) {
  if (u == fUnits) return;
  fUnits = u;
  NotifyChange(TORChange::Units);
}

void TPLNBaseLabel::SetEditorMode(std::uint8_t m) {
  if (m > 3 || m == fEditorMode) return;
  fEditorMode = m;
  fModified = true;
  NotifyChange(TORChange::Document);
}

void TPLNBaseLabel::SetBackLayer(std::int32_t i) {
  if (i < 0 || i > GetLayersCount()) throw EPLNError(QStringLiteral("no layer %1 for the background image").arg(i));
  if (i == fBackLayer) return;
  fBackLayer = i;
  fReloadImage = true;
  fModified = true;
  NotifyChange(TORChange::Layers);
}

void TPLNBaseLabel::SetImageRotation(std::uint8_t r) {
  if (r > 3) throw EPLNError(QStringLiteral("image rotation %1 is not between 0 and 3").arg(r));
  if (r == fImageRotation) return;
  fImageRotation = r;
  fModified = true;
  NotifyChange(TORChange::Layers);
}

void TPLNBaseLabel::GMLMapImageReady() {
  fMapError.clear();
  fReloadImage = true;
  NotifyChange(TORChange::Layers);
  if (OnInfoMsg) OnInfoMsg(TPLNMsg::GetDialogsValue(QStringLiteral("MapImageReady")).arg(fMapping.GetFileName()));
}

void TPLNBaseLabel::GMLMapImageFailed(const QString& why) {
  fMapError = why;
  if (OnInfoMsg) OnInfoMsg(TPLNMsg::GetErrorValue(QStringLiteral("MapFailed")).arg(why));
}

void TPLNBaseLabel::SetLayerZOrder(bool b) {
  if (b == fLayerZOrder) return;
  fLayerZOrder = b;
  SortItemsZLayer();
  NotifyChange(TORChange::Items);
}

TPLNBaseItem* TPLNBaseLabel::GetSelection(int i) const {
  if (i < 1 || i > GetSelectionCount()) return nullptr;
  return fSelection[i - 1];
}

bool TPLNBaseLabel::IsSelected(const TPLNBaseItem* item) const {
  return std::find(fSelection.begin(), fSelection.end(), item) != fSelection.end();
}

void TPLNBaseLabel::Select(TPLNBaseItem* item) {
  if (!item || IsSelected(item) || item->fOwner != this) return;
  fSelection.push_back(item);
  item->fState = kStateSelected;
  if (OnSelectItem) OnSelectItem(item);
  NotifyChange(TORChange::Selection);
}

void TPLNBaseLabel::Unselect(TPLNBaseItem* item) {
  auto it = std::find(fSelection.begin(), fSelection.end(), item);
  if (it == fSelection.end()) return;
  fSelection.erase(it);
  item->fState = kStateNormal;
  if (OnUnSelectItem) OnUnSelectItem(item);
  NotifyChange(TORChange::Selection);
}

void TPLNBaseLabel::ClearSelection() {
  if (fSelection.empty()) return;
  const std::vector<TPLNBaseItem*> before = fSelection;
  for (TPLNBaseItem* it : fSelection) it->fState = kStateNormal;
  fSelection.clear();
  AnnounceSelection(before);
  NotifyChange(TORChange::Selection);
}

void TPLNBaseLabel::AnnounceSelection(const std::vector<TPLNBaseItem*>& before) {
  if (!OnSelectItem && !OnUnSelectItem) return;
  const std::unordered_set<const TPLNBaseItem*> was(before.begin(), before.end());
  const std::unordered_set<const TPLNBaseItem*> now(fSelection.begin(), fSelection.end());
  if (OnUnSelectItem)
    for (TPLNBaseItem* it : before)
      if (!now.count(it)) OnUnSelectItem(it);
  if (OnSelectItem)
    for (TPLNBaseItem* it : fSelection)
      if (!was.count(it)) OnSelectItem(it);
}

void TPLNBaseLabel::EndUpdateSelection(const std::vector<TPLNBaseItem*>& pasted) {
  const std::vector<TPLNBaseItem*> before = fSelection;
  for (TPLNBaseItem* it : fSelection) it->fState = kStateNormal;
  fSelection.clear();
  for (TPLNBaseItem* it : pasted) {
    if (!it || it->fOwner != this || IsSelected(it)) continue;
    fSelection.push_back(it);
    it->fState = kStateSelected;
  }
  AnnounceSelection(before);
  NotifyChange(TORChange::Selection);
}

void TPLNBaseLabel::TruncateItems(std::size_t count) {
  if (count >= fItems.size()) return;
  const std::vector<TPLNBaseItem*> before = fSelection;
  std::erase_if(fSelection, [&](TPLNBaseItem* it) {
    for (std::size_t i = count; i < fItems.size(); ++i)
      if (fItems[i].get() == it) return true;
    return false;
  });
  AnnounceSelection(before);
  for (std::size_t i = count; i < fItems.size(); ++i) {
    fIndex.Removed(fItems[i].get(), static_cast<int>(i));
    if (fTextObject == fItems[i].get()) fTextObject = nullptr;
  }
  fItems.resize(count);
  ItemsRenumbered();
  UndoPending();
}

// A batch is one undo step.
void TPLNBaseLabel::BeginUpdate(bool /*flag*/) {
  ++fUpdateCount;
  fUndo->BeginGroup();
}

void TPLNBaseLabel::EndUpdate() {
  if (fUpdateCount == 0) return;
  fUndo->EndGroup();
  if (--fUpdateCount == 0 && fPendingChange) {
    fPendingChange = false;
    NotifyChange(TORChange::Document);
  }
}

void TPLNBaseLabel::BeginRead(bool paste) {
  ++fReadCount;
  fUndo->BeginRead(paste);
}

void TPLNBaseLabel::EndRead(bool notify) {
  if (fReadCount == 0) return;
  // The paste's step closes once the order of the pasted items is final.
  struct TCloseRead {
    TPLNUndoStack* undo;
    ~TCloseRead() { undo->EndRead(); }
  } closeRead{fUndo.get()};
  if (--fReadCount > 0) return;
  for (const auto& it : fItems) fLastID = std::max(fLastID, it->fID);
  SortItemsZLayer();
  if (notify) {
    NotifyChange(TORChange::Document);
  } else if (fUpdateCount == 0) {
    // What changed during a silent read is the reader's to announce, not a later batch's.
    fPendingChange = false;
  }
}

void TPLNBaseLabel::AddObserver(IORObserver* o) {
  if (o && std::find(fObservers.begin(), fObservers.end(), o) == fObservers.end()) fObservers.push_back(o);
}

void TPLNBaseLabel::RemoveObserver(IORObserver* o) { std::erase(fObservers, o); }

void TPLNBaseLabel::NotifyChange(TORChange change, TORChangeValue value) {
  // Whatever the document announces as a change of its content may be part of an undo step.
  if (change <= TORChange::Modified && change != TORChange::Selection) fUndo->Pending();
  if (fUpdateCount > 0 || fReadCount > 0) {
    fPendingChange = true;
    return;
  }
  // An observer may unregister while being told; walk a copy.
  const auto observers = fObservers;
  for (IORObserver* o : observers) o->UpdateCtrl(change, value);
}

void TPLNBaseLabel::SetModified(bool m) {
  if (m == fModified) return;
  fModified = m;
  NotifyChange(TORChange::Modified);
}

void TPLNBaseLabel::WriteBaseData(TBinaryWriter& w) const {
  w.WriteUInt32(kMagic);
  w.WriteInt32(kFileVersion);
}

void TPLNBaseLabel::ReadBaseData(TBinaryReader& r) {
  if (r.Remaining() < 8 || r.ReadUInt32() != kMagic) throw EPLNError(TPLNMsg::GetErrorValue("NotDrawing"));
  const std::int32_t version = r.ReadInt32();
  if (version < 1) throw EPLNError(TPLNMsg::GetErrorValue("NotDrawing"));
  if (version > kFileVersion)
    throw EPLNError(TPLNMsg::GetErrorValue("Version") + QStringLiteral(" (version %1)").arg(version));
  fFileVersion = version;
}

void TPLNBaseLabel::WriteData(TBinaryWriter& w) const {
  w.WriteString(Title);
  w.WriteByte(static_cast<std::uint8_t>(fUnits));
  w.WriteByte(fEditorMode);
  w.WriteBoolean(fLayerZOrder);
  fMeasure.Write(w);
  w.WriteInt32(PrintInfo.FirstRow);
  w.WriteInt32(PrintInfo.FirstColumn);
  w.WriteInt32(PrintInfo.LastPage);
  w.WriteInt32(PrintInfo.LabelsToPrint);
  w.WriteInt32(GetLayersCount());
  for (const auto& l : fLayers) l->Write(w);
  w.WriteInt32(fActiveLayer + 1);
  w.WriteInt32(fBackLayer);
  w.WriteByte(fImageRotation);
  w.WriteInt32(GetDimStylesCount());
  for (const auto& s : fDimStyles) s->Write(w);
  w.WriteInt32(fActiveDimStyle + 1);
  w.WriteBoolean(PrintInfo.Horizontal);
  w.WriteInt32(PrintInfo.Repetition);
  w.WriteInt32(GetCountersCount());
  for (const auto& c : fCounters) c->Write(w);
  fDataSettings.Write(w);
  fSettings.Write(w);
  // From 3203: where continuing counters stand, the values a run asks for, the label stock
  // and the document options.
  for (const auto& c : fCounters) c->WriteContinue(w);
  fDataSettings.WriteAsks(w);
  fBackSurf.Write(w);
  w.WriteUInt16(fOptions);
}

void TPLNBaseLabel::ReadData(TBinaryReader& r) {
  Title = r.ReadString();
  const std::uint8_t units = r.ReadByte();
  if (units > 6) throw EPLNError(QStringLiteral("unknown unit %1").arg(units));
  fUnits = static_cast<TORVUnits>(units);
  fEditorMode = r.ReadByte();
  if (fEditorMode > 3) throw EPLNError(QStringLiteral("unknown editor mode %1").arg(fEditorMode));
  fLayerZOrder = r.ReadBoolean();
  fMeasure.Read(r, fFileVersion);
  fMeasure.Validate();
  PrintInfo.FirstRow = r.ReadInt32();
  PrintInfo.FirstColumn = r.ReadInt32();
  PrintInfo.LastPage = r.ReadInt32();
  PrintInfo.LabelsToPrint = r.ReadInt32();
  const std::int32_t n = r.ReadCount(30, "layer");
  if (n < 1 || n > kMaxLayers) throw EPLNError(QStringLiteral("invalid layer count %1").arg(n));
  fLayers.clear();
  for (int i = 0; i < n; ++i) {
    auto l = std::make_unique<TPLNLayer>();
    l->Read(r, fFileVersion);
    fLayers.push_back(std::move(l));
  }
  const std::int32_t active = r.ReadInt32();
  fActiveLayer = (active >= 1 && active <= n) ? active - 1 : 0;
  fBackLayer = r.ReadInt32();
  if (fBackLayer < 0 || fBackLayer > n) throw EPLNError(QStringLiteral("no layer %1 for the background image").arg(fBackLayer));
  fImageRotation = r.ReadByte();
  if (fImageRotation > 3) throw EPLNError(QStringLiteral("image rotation %1 is not between 0 and 3").arg(fImageRotation));
  // Dimension styles: before the items, which refer to them by number.
  const std::int32_t styles = r.ReadCount(60, "dimension style");
  if (styles < 1 || styles > kMaxDimStyles) throw EPLNError(QStringLiteral("invalid dimension style count %1").arg(styles));
  fDimStyles.clear();
  for (int i = 0; i < styles; ++i) {
    auto s = std::make_unique<Line::TPLNDimStyle>();
    s->Read(r);
    fDimStyles.push_back(std::move(s));
  }
  const std::int32_t activeStyle = r.ReadInt32();
  fActiveDimStyle = (activeStyle >= 1 && activeStyle <= styles) ? activeStyle - 1 : 0;
  fCounters.clear();
  fDataSettings = TPLNData();
  fSettings = TPLNSettings();
  fBackSurf = TPLNBackSurf();
  fOptions = kDefaultDocOptions;
  PrintInfo.Horizontal = fMeasure.IsLandscape();
  PrintInfo.Repetition = 1;
  if (fFileVersion < 3202) return;
  PrintInfo.Horizontal = r.ReadBoolean();
  PrintInfo.Repetition = r.ReadInt32();
  if (PrintInfo.Repetition < 1 || PrintInfo.Repetition > kMaxRepetition)
    throw EPLNError(QStringLiteral("invalid repetition %1").arg(PrintInfo.Repetition));
  const std::int32_t counters = r.ReadCount(24, "counter");
  if (counters > kMaxCounters) throw EPLNError(QStringLiteral("invalid counter count %1").arg(counters));
  for (int i = 0; i < counters; ++i) {
    auto c = std::make_unique<TPLNCounter>();
    c->Read(r);
    fCounters.push_back(std::move(c));
  }
  fDataSettings.Read(r);
  fSettings.Read(r);
  if (fFileVersion < 3203) return;
  for (const auto& c : fCounters) c->ReadContinue(r);
  fDataSettings.ReadAsks(r);
  fBackSurf.Read(r);
  fOptions = r.ReadUInt16() & kAllDocOptions;
}

void TPLNBaseLabel::ReadJson(const QJsonObject& o) {
  const auto version = Json::Int(o, "Version", kFileVersion);
  if (version < 1) throw EPLNError(TPLNMsg::GetErrorValue("NotDrawing"));
  if (version > kFileVersion)
    throw EPLNError(TPLNMsg::GetErrorValue("Version") + QStringLiteral(" (version %1)").arg(version));
  fFileVersion = static_cast<std::int32_t>(version);
  Title = Json::Str(o, "Title");
  const QString unitName = Json::Str(o, "Units", QStringLiteral("mm"));
  if (!Utils::UnitFromName(unitName, &fUnits))
    throw EPLNError(QStringLiteral("unknown unit \"%1\"").arg(Utils::QuoteForMessage(unitName)));
  const auto mode = Json::Int(o, "EditorMode", 0);
  if (mode < 0 || mode > 3) throw EPLNError(QStringLiteral("\"EditorMode\" must be between 0 and 3"));
  fEditorMode = static_cast<std::uint8_t>(mode);
  fLayerZOrder = Json::Bool(o, "LayerZOrder", false);
  if (o.contains(QStringLiteral("Measure"))) {
    if (!o.value(QStringLiteral("Measure")).isObject()) throw EPLNError(QStringLiteral("\"Measure\" must be an object"));
    fMeasure.FromJson(o.value(QStringLiteral("Measure")).toObject());
    fMeasure.Validate();
  }
  if (o.contains(QStringLiteral("Print"))) {
    const QJsonObject p = o.value(QStringLiteral("Print")).toObject();
    PrintInfo.FirstRow = static_cast<std::int32_t>(Json::Int(p, "FirstRow", 1));
    PrintInfo.FirstColumn = static_cast<std::int32_t>(Json::Int(p, "FirstColumn", 1));
    PrintInfo.LastPage = static_cast<std::int32_t>(Json::Int(p, "LastPage", 1));
    PrintInfo.LabelsToPrint = static_cast<std::int32_t>(Json::Int(p, "LabelsToPrint", 0));
    PrintInfo.Horizontal = Json::Bool(p, "Horizontal", fMeasure.IsLandscape());
    const auto repetition = Json::Int(p, "Repetition", 1);
    if (repetition < 1 || repetition > kMaxRepetition)
      throw EPLNError(QStringLiteral("\"Repetition\" must be between 1 and %1").arg(kMaxRepetition));
    PrintInfo.Repetition = static_cast<std::int32_t>(repetition);
  } else {
    PrintInfo.Horizontal = fMeasure.IsLandscape();
    PrintInfo.Repetition = 1;
  }
  fCounters.clear();
  if (o.contains(QStringLiteral("Counters"))) {
    const QJsonValue cv = o.value(QStringLiteral("Counters"));
    if (!cv.isArray()) throw EPLNError(QStringLiteral("\"Counters\" must be an array"));
    const QJsonArray counters = cv.toArray();
    if (counters.size() > kMaxCounters) throw EPLNError(QStringLiteral("at most %1 counters").arg(kMaxCounters));
    for (const QJsonValue& v : counters) {
      if (!v.isObject()) throw EPLNError(QStringLiteral("every counter must be an object"));
      auto c = std::make_unique<TPLNCounter>();
      c->FromJson(v.toObject());
      if (CounterName(c->GetName(), nullptr))
        throw EPLNError(QStringLiteral("two counters are named \"%1\"").arg(c->GetName()));
      fCounters.push_back(std::move(c));
    }
  }
  fDataSettings = TPLNData();
  if (o.contains(QStringLiteral("Data"))) {
    if (!o.value(QStringLiteral("Data")).isObject()) throw EPLNError(QStringLiteral("\"Data\" must be an object"));
    fDataSettings.FromJson(o.value(QStringLiteral("Data")).toObject());
  }
  fSettings = TPLNSettings();
  if (o.contains(QStringLiteral("Settings"))) {
    if (!o.value(QStringLiteral("Settings")).isObject()) throw EPLNError(QStringLiteral("\"Settings\" must be an object"));
    fSettings.FromJson(o.value(QStringLiteral("Settings")).toObject());
  }
  fBackSurf = TPLNBackSurf();
  if (o.contains(QStringLiteral("BackSurf"))) {
    if (!o.value(QStringLiteral("BackSurf")).isObject()) throw EPLNError(QStringLiteral("\"BackSurf\" must be an object"));
    fBackSurf.FromJson(o.value(QStringLiteral("BackSurf")).toObject());
  }
  fOptions = static_cast<std::uint16_t>(Json::Int(o, "Options", kDefaultDocOptions) & kAllDocOptions);
  ResetLayers();
  if (o.contains(QStringLiteral("Layers"))) {
    const QJsonValue lv = o.value(QStringLiteral("Layers"));
    if (!lv.isArray()) throw EPLNError(QStringLiteral("\"Layers\" must be an array"));
    const QJsonArray layers = lv.toArray();
    if (layers.size() > kMaxLayers) throw EPLNError(QStringLiteral("too many layers"));
    if (!layers.isEmpty()) fLayers.clear();
    for (const QJsonValue& v : layers) {
      if (!v.isObject()) throw EPLNError(QStringLiteral("every layer must be an object"));
      auto l = std::make_unique<TPLNLayer>();
      l->FromJson(v.toObject());
      fLayers.push_back(std::move(l));
    }
  }
  const auto active = Json::Int(o, "ActiveLayer", 1);
  fActiveLayer = (active >= 1 && active <= GetLayersCount()) ? static_cast<int>(active) - 1 : 0;
  const auto backLayer = Json::Int(o, "BackLayer", 0);
  if (backLayer < 0 || backLayer > GetLayersCount())
    throw EPLNError(QStringLiteral("no layer %1 for the background image").arg(backLayer));
  fBackLayer = static_cast<std::int32_t>(backLayer);
  const auto rotation = Json::Int(o, "ImageRotation", 0);
  if (rotation < 0 || rotation > 3) throw EPLNError(QStringLiteral("\"ImageRotation\" must be between 0 and 3"));
  fImageRotation = static_cast<std::uint8_t>(rotation);
  ResetDimStyles();
  if (o.contains(QStringLiteral("DimStyles"))) {
    const QJsonValue sv = o.value(QStringLiteral("DimStyles"));
    if (!sv.isArray()) throw EPLNError(QStringLiteral("\"DimStyles\" must be an array"));
    const QJsonArray styles = sv.toArray();
    if (styles.size() > kMaxDimStyles) throw EPLNError(QStringLiteral("too many dimension styles"));
    if (!styles.isEmpty()) fDimStyles.clear();
    for (const QJsonValue& v : styles) {
      if (!v.isObject()) throw EPLNError(QStringLiteral("every dimension style must be an object"));
      auto s = std::make_unique<Line::TPLNDimStyle>();
      s->FromJson(v.toObject());
      fDimStyles.push_back(std::move(s));
    }
  }
  const auto activeStyle = Json::Int(o, "ActiveDimStyle", 1);
  fActiveDimStyle = (activeStyle >= 1 && activeStyle <= GetDimStylesCount()) ? static_cast<int>(activeStyle) - 1 : 0;
  // Library symbols: before the items, which find them by GUID. Drawings without any have no key.
  if (o.contains(QStringLiteral("Symbols"))) {
    const QJsonValue sv = o.value(QStringLiteral("Symbols"));
    if (!sv.isArray()) throw EPLNError(QStringLiteral("\"Symbols\" must be an array"));
    const QJsonArray symbols = sv.toArray();
    for (qsizetype i = 0; i < symbols.size(); ++i) {
      if (!symbols[i].isObject()) throw EPLNError(QStringLiteral("symbol %1 is not an object").arg(i + 1));
      auto sym = std::make_unique<Symbol::TPLNLibSymbol>();
      const QString why = sym->ReadJson(symbols[i].toObject());
      if (!why.isEmpty()) throw EPLNError(QStringLiteral("symbol %1: %2").arg(i + 1).arg(why));
      AddSymbol(std::move(sym), false);
    }
  }
}

QJsonObject TPLNBaseLabel::GetJson() const {
  QJsonObject o = GetDocumentJson();
  QJsonArray items;
  for (const auto& it : fItems)
    if (!it->IsPreview()) items.append(it->ToJson());
  o.insert(QStringLiteral("Items"), items);
  return o;
}

QByteArray TPLNBaseLabel::GetJsonText() const {
  QByteArray text = QJsonDocument(GetDocumentJson()).toJson(QJsonDocument::Indented);
  // Reopen the object after its last key and add the items, one compact line each.
  text.truncate(text.lastIndexOf('}'));
  while (!text.isEmpty() && (text.back() == '\n' || text.back() == ' ')) text.chop(1);
  text.append(",\n    \"Items\": [");
  text.reserve(text.size() + static_cast<qsizetype>(fItems.size()) * 240);
  bool first = true;
  for (const auto& it : fItems) {
    if (it->IsPreview()) continue;
    text.append(first ? "\n        " : ",\n        ");
    first = false;
    Json::TJsonTextSink sink(text);
    sink.Begin();
    it->WriteJson(sink);
    sink.End();
  }
  text.append(first ? "]\n}\n" : "\n    ]\n}\n");
  return text;
}

QJsonObject TPLNBaseLabel::GetDocumentJson() const {
  QJsonObject o;
  o.insert(QStringLiteral("Version"), kFileVersion);
  if (!Title.isEmpty()) o.insert(QStringLiteral("Title"), Title);
  o.insert(QStringLiteral("Units"), Utils::UnitName(fUnits));
  o.insert(QStringLiteral("EditorMode"), fEditorMode);
  o.insert(QStringLiteral("LayerZOrder"), fLayerZOrder);
  o.insert(QStringLiteral("Measure"), fMeasure.ToJson());
  o.insert(QStringLiteral("Print"), QJsonObject{{QStringLiteral("FirstRow"), PrintInfo.FirstRow},
                                                {QStringLiteral("FirstColumn"), PrintInfo.FirstColumn},
                                                {QStringLiteral("LastPage"), PrintInfo.LastPage},
                                                {QStringLiteral("LabelsToPrint"), PrintInfo.LabelsToPrint},
                                                {QStringLiteral("Horizontal"), PrintInfo.Horizontal},
                                                {QStringLiteral("Repetition"), PrintInfo.Repetition}});
  if (!fCounters.empty()) {
    QJsonArray counters;
    for (const auto& c : fCounters) counters.append(c->ToJson());
    o.insert(QStringLiteral("Counters"), counters);
  }
  if (!fDataSettings.IsEmpty()) o.insert(QStringLiteral("Data"), fDataSettings.ToJson());
  if (!fSettings.IsDefault()) o.insert(QStringLiteral("Settings"), fSettings.ToJson());
  if (!fBackSurf.IsDefault()) o.insert(QStringLiteral("BackSurf"), fBackSurf.ToJson());
  if (fOptions != kDefaultDocOptions) o.insert(QStringLiteral("Options"), fOptions);
  QJsonArray layers;
  for (const auto& l : fLayers) layers.append(l->ToJson());
  o.insert(QStringLiteral("Layers"), layers);
  o.insert(QStringLiteral("ActiveLayer"), fActiveLayer + 1);
  if (fBackLayer > 0) o.insert(QStringLiteral("BackLayer"), fBackLayer);
  if (fImageRotation > 0) o.insert(QStringLiteral("ImageRotation"), fImageRotation);
  QJsonArray styles;
  for (const auto& s : fDimStyles) styles.append(s->ToJson());
  o.insert(QStringLiteral("DimStyles"), styles);
  o.insert(QStringLiteral("ActiveDimStyle"), fActiveDimStyle + 1);
  if (!fSymbols.empty()) {
    QJsonArray symbols;
    for (const auto& sym : fSymbols) symbols.append(sym->ToJson());
    o.insert(QStringLiteral("Symbols"), symbols);
  }
  return o;
}

namespace {
// The library symbols `items` show, each once, in the order they are first met.
std::vector<const Symbol::TPLNBaseLibSymbol*> SymbolsShownBy(const std::vector<TPLNBaseItem*>& items) {
  std::vector<const Symbol::TPLNBaseLibSymbol*> used;
  for (const TPLNBaseItem* it : items) {
    if (!it || it->KindCode() != Kind::Symbol) continue;
    const Symbol::TPLNBaseLibSymbol* sym = static_cast<const Symbol::TPLNBaseSymbol*>(it)->GetSymbol();
    if (sym && std::find(used.begin(), used.end(), sym) == used.end()) used.push_back(sym);
  }
  return used;
}
}  // namespace

void TPLNBaseLabel::CopySelection() {
  fClipboard.clear();
  QBuffer buf(&fClipboard);
  buf.open(QIODevice::WriteOnly);
  TBinaryWriter w(&buf);
  w.WriteInt32(GetSelectionCount());
  for (TPLNBaseItem* it : fSelection) it->Write(w);
  // The library symbols the copied symbol items show travel with them, so that a paste into
  // another document shows them too. A copy without any ends with the items.
  const std::vector<const Symbol::TPLNBaseLibSymbol*> used = SymbolsShownBy(fSelection);
  if (used.empty()) return;
  w.WriteInt32(static_cast<std::int32_t>(used.size()));
  for (const Symbol::TPLNBaseLibSymbol* sym : used) sym->Write(w);
}


void TPLNBaseLabel::SortItemsZLayer() {
  if (!fLayerZOrder) return;
  const auto byLayer = [this](const auto& a, const auto& b) { return LayerIndex(a->fLayer) < LayerIndex(b->fLayer); };
  // Every new item asks for a sort; mostly the order holds already.
  if (std::is_sorted(fItems.begin(), fItems.end(), byLayer)) return;
  std::stable_sort(fItems.begin(), fItems.end(), byLayer);
  fIndex.Reordered(0);
  UndoPending();
}

void TPLNBaseLabel::ItemsIn(const TORVBounds& area, std::vector<int>& out) const {
  CheckStaleLinks();
  fIndex.Query(fItems, area, out);
}

TORVBounds TPLNBaseLabel::CheckFit(std::uint16_t options) const {
  TORVBounds b;
  // Per-label copies lie on the sheet, not in the drawing.
  for (const auto& it : fItems)
    if (!it->IsPreview() && it->HasOptions(options)) it->CheckFit(b);
  return b;
}

TORVPto TPLNBaseLabel::PreviewPos(int column, int row) const {
  return {fMeasure.CellX(column), fMeasure.CellY(row)};
}

void TPLNBaseLabel::TakeOver(TPLNBaseLabel& other) {
  // A drag, a half-drawn item or a typed text belongs to the drawing being replaced.
  if (fAct.Action != TORVAction::Selection || fAct.Dragging || fAct.UndoDepth > 0 || fTextObject) ResetAction();
  const std::vector<TPLNBaseItem*> before = fSelection;
  fSelection.clear();
  AnnounceSelection(before);
  fCopyCells.clear();
  fTextObject = nullptr;
  fItems.swap(other.fItems);
  fIndex.Reset();
  other.fIndex.Reset();
  ItemsRenumbered();
  other.ItemsRenumbered();
  fLayers.swap(other.fLayers);
  // The items refer to the styles by number: they move together.
  fDimStyles.swap(other.fDimStyles);
  // Taken before the resets put the other document back on its first layer and style.
  fActiveLayer = other.fActiveLayer;
  fActiveDimStyle = other.fActiveDimStyle;
  other.fItems.clear();
  other.ResetLayers();
  other.ResetDimStyles();
  for (auto& it : fItems) it->fOwner = this;
  // The symbols go with the drawing, as its items do: a file opened or a new drawing does not
  // carry the last one's definitions (a save would write them into the wrong file).
  fSymbols = std::move(other.fSymbols);
  other.fSymbols.clear();
  fCurrentSymbol = other.fCurrentSymbol;
  other.fCurrentSymbol = nullptr;
  fMeasure = other.fMeasure;
  fCounters = std::move(other.fCounters);
  other.fCounters.clear();
  fDataSettings = other.fDataSettings;
  fSettings = other.fSettings;
  fBackSurf = other.fBackSurf;
  fOptions = other.fOptions;
  fUnits = other.fUnits;
  fEditorMode = other.fEditorMode;
  fLayerZOrder = other.fLayerZOrder;
  fBackLayer = other.fBackLayer;
  fImageRotation = other.fImageRotation;
  other.fBackLayer = 0;
  // A new document brings its own picture, whatever was decoded before.
  fReloadImage = true;
  fFileVersion = other.fFileVersion;
  fLastID = other.fLastID;
  Title = other.Title;
  PrintInfo = other.PrintInfo;
  fModified = false;
  // A loaded document starts a history of its own. Its start is taken now when views show it
  // or a group is open; a document read only to be exported or printed never pays for it.
  fUndo->Clear(!fObservers.empty());
  NotifyChange(TORChange::Document);
}

// ---------------------------------------------------------------- counters and data settings

TPLNCounter* TPLNBaseLabel::GetCounter(int i) const {
  if (i < 1 || i > GetCountersCount()) return nullptr;
  return fCounters[static_cast<std::size_t>(i - 1)].get();
}

TPLNCounter* TPLNBaseLabel::FindCounter(const QString& name) const {
  for (const auto& c : fCounters)
    if (c->GetName().compare(name, Qt::CaseInsensitive) == 0) return c.get();
  return nullptr;
}

bool TPLNBaseLabel::CounterName(const QString& name, const TPLNCounter* except) const {
  const TPLNCounter* c = FindCounter(name);
  return c && c != except;
}

TPLNCounter* TPLNBaseLabel::AddCounter(const QString& name) {
  if (GetCountersCount() >= kMaxCounters || name.trimmed().isEmpty() || CounterName(name, nullptr)) return nullptr;
  fCounters.push_back(std::make_unique<TPLNCounter>());
  fCounters.back()->SetName(name);
  CountersChanged();
  return fCounters.back().get();
}

bool TPLNBaseLabel::DeleteCounter(int i) {
  if (i < 1 || i > GetCountersCount()) return false;
  fCounters.erase(fCounters.begin() + (i - 1));
  CountersChanged();
  return true;
}

void TPLNBaseLabel::CountersChanged() {
  fModified = true;
  NotifyChange(TORChange::Document);
}

void TPLNBaseLabel::SetBackSurf(const TPLNBackSurf& b) {
  if (b == fBackSurf) return;
  fBackSurf = b;
  fModified = true;
  NotifyChange(TORChange::Document);
}

void TPLNBaseLabel::SetOptions(std::uint16_t o) {
  o &= kAllDocOptions;
  if (o == fOptions) return;
  fOptions = o;
  fModified = true;
  NotifyChange(TORChange::Document);
}

QString TPLNBaseLabel::PictureFolder() const { return OpenImgFolder.isEmpty() ? ImageFolder : OpenImgFolder; }

void TPLNBaseLabel::PictureChosen(const QString& file) {
  if (!file.isEmpty()) OpenImgFolder = QFileInfo(file).absolutePath();
}

void TPLNBaseLabel::SetSettings(const TPLNSettings& s) {
  if (s == fSettings) return;
  fSettings = s;
  fModified = true;
  // Links draw their terminators at the document's size.
  NotifyChange(TORChange::Items);
}

void TPLNBaseLabel::SetDataSettings(const TPLNData& d) {
  if (d == fDataSettings) return;
  fDataSettings = d;
  fModified = true;
  NotifyChange(TORChange::Document);
}

// ---------------------------------------------------------------- print-time values

void TPLNBaseLabel::SetAskedValue(const QString& name, const QString& value) {
  fAskedValues.insert(name.toLower(), value);
  NotifyChange(TORChange::Items);
}

bool TPLNBaseLabel::HasAskedValue(const QString& name) const { return fAskedValues.contains(name.toLower()); }

QString TPLNBaseLabel::GetAskedValue(const QString& name) const { return fAskedValues.value(name.toLower()); }

void TPLNBaseLabel::ClearAskedValues() {
  fAskedValues.clear();
  fListValues.clear();
  NotifyChange(TORChange::Items);
}

void TPLNBaseLabel::SetListValues(const QString& name, const QStringList& values) { fListValues.insert(name.toLower(), values); }

QStringList TPLNBaseLabel::ListValuesOf(const TPLNAskValue& a) const {
  if (a.ListSource == TORVListSource::Design) return a.List;
  return fListValues.value(a.Name.toLower());
}

void TPLNBaseLabel::CheckAskedValues() const {
  for (const TPLNAskValue& a : fDataSettings.Asks)
    CheckAskValue(a, GetAskedValue(a.Name), a.Kind == TORVAskKind::List ? ListValuesOf(a) : QStringList(),
                  HasAskedValue(a.Name));
}

int TPLNBaseLabel::AskedCopies() const {
  for (const TPLNAskValue& a : fDataSettings.Asks)
    if (a.Kind == TORVAskKind::Copies && HasAskedValue(a.Name)) return std::max(0, GetAskedValue(a.Name).trimmed().toInt());
  return 0;
}

std::int64_t TPLNBaseLabel::CounterStart(const TPLNCounter& c) const {
  if (!c.Continue) return c.GetNumFrom();
  const auto it = fCounterStarts.constFind(c.GetName());
  return it != fCounterStarts.constEnd() ? std::clamp(*it, c.GetNumFrom(), c.GetNumTo()) : c.StartNumber();
}

QHash<QString, std::int64_t> TPLNBaseLabel::CountersAfter(std::int64_t labels) const {
  QHash<QString, std::int64_t> next;
  for (const auto& c : fCounters)
    if (c->Continue) next.insert(c->GetName(), c->NumberAfter(CounterStart(*c), labels));
  return next;
}

// ---------------------------------------------------------------- data source

void TPLNBaseLabel::SetDataSource(std::shared_ptr<const TPLNDataSource> source) {
  fDataSource = std::move(source);
  fRecord = 0;
  NotifyChange(TORChange::Items);
}

void TPLNBaseLabel::ClearDataSource() {
  if (!fDataSource) return;
  fDataSource.reset();
  fRecord = 0;
  NotifyChange(TORChange::Items);
}

int TPLNBaseLabel::GetRecordCount() const { return fDataSource ? fDataSource->RecordCount() : 0; }

QString TPLNBaseLabel::DataValue(const QString& field, const QString& format, int fillType,
                                 const QString& fallback) const {
  return DataValueAt(fRecord, field, format, fillType, fallback);
}

QString TPLNBaseLabel::DataValueAt(int record, const QString& field, const QString& format, int /*fillType*/,
                                   const QString& fallback) const {
  const int f = fDataSource ? fDataSource->FieldIndex(field) : -1;
  // A counter's name binds the label's number in the run (the record, with data or without);
  // a field of the data of the same name comes first.
  if (f < 0 && !field.isEmpty()) {
    // A value asked for the run comes before a counter: the one given, else its default.
    if (const TPLNAskValue* a = fDataSettings.FindAsk(field))
      return HasAskedValue(a->Name) ? GetAskedValue(a->Name) : a->Default;
    if (const TPLNCounter* c = FindCounter(field)) return c->TextAt(std::max(0, record), CounterStart(*c));
  }
  if (!fDataSource) return fallback;
  if (f < 0 || record < 0 || record >= fDataSource->RecordCount()) return {};
  return FormatDataValue(fDataSource->Value(record, f), format);
}

namespace {
// Cells page 1 leaves empty before the print settings' first row and column.
int SkippedCells(const TPLNMeasure& m, const TPLNPrintInfo& pi) {
  const int row = std::clamp(pi.FirstRow, 1, std::max(1, m.Rows));
  const int column = std::clamp(pi.FirstColumn, 1, std::max(1, m.Columns));
  return (row - 1) * m.Columns + (column - 1);
}
}  // namespace

int TPLNBaseLabel::LabelsPerPage(int page) const {
  const int all = std::max(1, fMeasure.Rows * fMeasure.Columns);
  return page <= 1 ? all - SkippedCells(fMeasure, PrintInfo) : all;
}

int TPLNBaseLabel::FirstRecordOfPage(int page) const {
  if (page <= 1) return 0;
  return LabelsPerPage(1) + (page - 2) * LabelsPerPage(2);
}

int TPLNBaseLabel::RecordOfCell(int page, int column, int row) const {
  int cell = (row - 1) * fMeasure.Columns + (column - 1);
  if (page <= 1) {
    cell -= SkippedCells(fMeasure, PrintInfo);
    if (cell < 0) return -1;
  }
  return FirstRecordOfPage(page) + cell;
}

int TPLNBaseLabel::GetDataPages() const {
  const int records = GetRecordCount();
  // A table shows many records on one label: when one is bound, its rows decide the pages.
  if (fDataSource) {
    int own = 0;
    for (int i = 1; i <= GetItemsCount(); ++i) {
      TPLNBaseItem* item = GetItem(i);
      if (!item->IsPreview() && item->GetIsData()) own = std::max(own, item->DataPages());
    }
    if (own > 0) return own;
  }
  const int first = LabelsPerPage(1);
  if (records <= first) return 1;
  const int rest = LabelsPerPage(2);
  return 1 + (records - first + rest - 1) / rest;
}

void TPLNBaseLabel::FillDataPage(int page) { fRecord = FirstRecordOfPage(page); }

void TPLNBaseLabel::GoToPage(int page, bool notify, bool fill) {
  PrintInfo.CurrentPage = std::max(1, page);
  if (fill) FillDataPage(PrintInfo.CurrentPage);
  if (notify) NotifyChange(TORChange::Document);
}

void TPLNBaseLabel::BindCopy(const TPLNBaseItem* copy, int column, int row) {
  if (copy && copy->IsPreview()) fCopyCells[copy] = (row - 1) * fMeasure.Columns + (column - 1);
}

int TPLNBaseLabel::CopyRecord(const TPLNBaseItem* item) const {
  const auto it = fCopyCells.find(item);
  if (it == fCopyCells.end()) return -2;
  const int columns = std::max(1, fMeasure.Columns);
  return RecordOfCell(PrintInfo.CurrentPage, it->second % columns + 1, it->second / columns + 1);
}

// ---------------------------------------------------------------- library symbols

Symbol::TPLNBaseLibSymbol* TPLNBaseLabel::GetSymbol(int i) const {
  if (i < 1 || i > GetSymbolsCount()) return nullptr;
  return fSymbols[static_cast<std::size_t>(i - 1)].get();
}

Symbol::TPLNBaseLibSymbol* TPLNBaseLabel::FindSymbol(const QString& guid) const {
  if (guid.isEmpty()) return nullptr;
  // Held GUIDs are normalised on entry, and so are the items' references: mostly a plain match.
  for (const auto& sym : fSymbols)
    if (sym->Guid == guid) return sym.get();
  const QString g = Symbol::NormalizeGuid(guid);
  if (g.isEmpty()) return nullptr;
  for (const auto& sym : fSymbols)
    if (Symbol::NormalizeGuid(sym->Guid) == g) return sym.get();
  return nullptr;
}

void TPLNBaseLabel::ClearSymbols() {
  if (fSymbols.empty()) return;
  fCurrentSymbol = nullptr;
  fSymbols.clear();
  fModified = true;
  NotifyChange(TORChange::Items);
}

Symbol::TPLNBaseLibSymbol* TPLNBaseLabel::AddSymbol(std::unique_ptr<Symbol::TPLNBaseLibSymbol> symbol, bool current) {
  if (!symbol) return nullptr;
  QString guid = Symbol::NormalizeGuid(symbol->Guid);
  if (guid.isEmpty()) guid = QUuid::createUuid().toString(QUuid::WithBraces).toLower();
  symbol->Guid = guid;
  Symbol::TPLNBaseLibSymbol* held = FindSymbol(guid);
  if (held == symbol.get()) {
    (void)symbol.release();  // already ours
  } else if (held) {
    // In place: whoever holds the symbol (the current symbol, a view) keeps a valid pointer.
    *held = *symbol;
  } else {
    fSymbols.push_back(std::move(symbol));
    held = fSymbols.back().get();
  }
  // Items showing the symbol may have changed their extent: the index and the links look again.
  for (const auto& it : fItems) {
    if (it->KindCode() != Kind::Symbol) continue;
    if (static_cast<const Symbol::TPLNBaseSymbol*>(it.get())->GetSymbolGuid() != guid) continue;
    fIndex.Changed(it.get());
    EndMoved(it.get());
  }
  if (current) fCurrentSymbol = held;
  if (!IsReading()) {
    fModified = true;
    NotifyChange(TORChange::Items);
  }
  return held;
}

void TPLNBaseLabel::SetCurrentSymbol(Symbol::TPLNBaseLibSymbol* symbol) {
  if (!symbol) {
    fCurrentSymbol = nullptr;
    return;
  }
  for (const auto& sym : fSymbols)
    if (sym.get() == symbol) {
      fCurrentSymbol = symbol;
      return;
    }
  // A symbol from elsewhere: the document's own of that GUID, or a copy of it.
  if (Symbol::TPLNBaseLibSymbol* held = FindSymbol(symbol->Guid)) {
    fCurrentSymbol = held;
    return;
  }
  auto copy = std::make_unique<Symbol::TPLNLibSymbol>();
  static_cast<Symbol::TPLNBaseLibSymbol&>(*copy) = *symbol;
  AddSymbol(std::move(copy), true);
}

namespace {
// Reads the library file (EPLNError when it cannot) and copies the symbol found into `doc`.
template <class Find>
bool LoadLibrarySymbol(TPLNBaseLabel& doc, const QString& file, Find find) {
  Symbol::TPLNLibrary lib;
  lib.LoadFromFile(file);
  const Symbol::TPLNLibSymbol* found = find(lib);
  if (!found) return false;
  auto copy = std::make_unique<Symbol::TPLNLibSymbol>();
  static_cast<Symbol::TPLNBaseLibSymbol&>(*copy) = *found;
  doc.AddSymbol(std::move(copy), true);
  return true;
}
}  // namespace

bool TPLNBaseLabel::LoadSymbolByName(const QString& file, const QString& name) {
  return LoadLibrarySymbol(*this, file, [&](const Symbol::TPLNLibrary& lib) { return lib.FindByName(name); });
}

bool TPLNBaseLabel::LoadSymbolByGuid(const QString& file, const QString& guid) {
  return LoadLibrarySymbol(*this, file, [&](const Symbol::TPLNLibrary& lib) { return lib.FindByGuid(guid); });
}

QString TPLNBaseLabel::GetLanguageFileName() const { return TPLNMsg::GetLanguageFileName(); }

void TPLNBaseLabel::SetLanguageFileName(const QString& fileName) {
  if (fileName == TPLNMsg::GetLanguageFileName()) return;
  if (fileName.isEmpty()) {
    TPLNMsg::SetEnglish();
    return;
  }
  QString message;
  if (!TPLNMsg::LoadLanguageFile(fileName, message)) throw EPLNError(message);
  // An incomplete file is in force; the user hears which texts stay English.
  if (!message.isEmpty() && OnInfoMsg) OnInfoMsg(message);
}

}  // namespace Orv
