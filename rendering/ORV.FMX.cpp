#include "ORV.FMX.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <algorithm>
#include <cmath>

#include "ORV.FMX.Export.h"
#include "ORV.FMX.Map.h"
#include "ORV.FMX.Print.h"
#include "ORV.FMX.ShowPreview.h"
#include "ORV.FMX.DimStyles.h"
#include "ORV.FMX.Drawing.h"
#include "ORV.FMX.Labelling.h"
#include "ORV.FMX.Layers.h"
#include "ORV.Msg.h"
#include "ORV.Symbol.h"
#include "ORV.Undo.h"

namespace Orv::Fmx {

namespace {

template <class T>
TPLNBaseItem* ReadT(TPLNBaseLabel* d, std::int32_t v, TBinaryReader& r, TORVReadType t) {
  return T::Read(d, v, r, t);
}
template <class T>
TPLNBaseItem* ReadJsonT(TPLNBaseLabel* d, std::int32_t v, const QJsonObject& o) {
  return T::ReadFromJson(d, v, o);
}
template <class T>
constexpr TPLNKindEntry Entry(const char* name) {
  return {name, &ReadT<T>, &ReadJsonT<T>};
}
constexpr TPLNKindEntry Missing(const char* name) { return {name, nullptr, nullptr}; }

const TPLNKindEntry kKinds[Kind::Count] = {
    Entry<TPLNPoint>("TPLNPoint"),         Entry<TPLNLine>("TPLNLine"),
    Entry<TPLNArrowLine>("TPLNArrowLine"),              Entry<TPLNPolyLine>("TPLNPolyLine"),
    Entry<TPLNArc>("TPLNArc"),             Entry<TPLNRectangle>("TPLNRectangle"),
    Entry<TPLNPolygon>("TPLNPolygon"),     Entry<TPLNCircle>("TPLNCircle"),
    Entry<TPLNEllipse>("TPLNEllipse"),     Entry<TPLNText>("TPLNText"),
    Entry<TPLNParagraph>("TPLNParagraph"),              Entry<TPLNBarcode>("TPLNBarcode"),
    Entry<TPLNPDF417>("TPLNPDF417"),       Entry<TPLNDataMatrix>("TPLNDataMatrix"),
    Entry<TPLNQRCode>("TPLNQRCode"),                 Entry<TPLNImage>("TPLNImage"),
    Entry<TPLNFlow>("TPLNFlow"),           Entry<TPLNLink>("TPLNLink"),
    Entry<TPLNTable>("TPLNTable"),         Entry<TPLNPolyText>("TPLNPolyText"),
    Entry<TPLNRank>("TPLNRank"),           Entry<TPLNNutriScore>("TPLNNutriScore"),
    Entry<TPLNLevel>("TPLNLevel"),         Entry<TPLNSymbol>("TPLNSymbol"),
    Entry<TPLNBezier>("TPLNBezier"),       Entry<TPLNDim>("TPLNDim"),
    Entry<TPLNSector>("TPLNSector"),       Entry<TPLNPackage>("TPLNPackage"),
    Entry<TPLNRichText>("TPLNRichText"),
};

// Smallest record any item writes after its kind code: ID, empty name, layer, colour, pen
// width, line type, options and a point count.
constexpr qint64 kMinItemBytes = 4 + 1 + 4 + 4 + 8 + 1 + 2 + 4;

// Points an item works out from those it read (a dimension's lines) must stay in range as well:
// the item is saved with them, and the other format must read it back.
void CheckItemRange(const TPLNBaseItem* item) {
  for (const TORVPto& p : item->Points()) {
    CheckCoord(p.X, "point");
    CheckCoord(p.Y, "point");
  }
}

QString FileError(const QString& fileName, const QString& what) {
  return QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(), what);
}

}  // namespace

const TPLNKindEntry* KindEntry(std::int32_t code) {
  if (code < 1 || code > Kind::Count) return nullptr;
  return &kKinds[code - 1];
}

TPlanoraFMX::TPlanoraFMX() = default;

TPlanoraFMX::~TPlanoraFMX() {
  // An export still drawing this document must finish before the items go.
  WaitForExport();
}

TPLNBaseItem* TPlanoraFMX::CreateFromStream(TBinaryReader& reader, std::int32_t version, TORVReadType readType) {
  const std::int32_t code = reader.ReadInt32();
  const TPLNKindEntry* e = KindEntry(code);
  if (!e || !e->Read) return nullptr;
  return e->Read(this, version, reader, readType);
}

TPLNBaseItem* TPlanoraFMX::CreateItemFromRecord(TBinaryReader& reader, std::int32_t version) {
  return CreateFromStream(reader, version, TORVReadType::File);
}

void TPlanoraFMX::ReadStream(QIODevice* stream) {
  TBinaryReader r(stream);
  BeginRead(false);
  ReadBaseData(r);
  ReadData(r);
  // Library symbols come before the items, which find them by GUID.
  const std::int32_t symbols = r.ReadCount(1, "symbol");
  for (std::int32_t i = 1; i <= symbols; ++i) {
    try {
      AddSymbol(Symbol::TPLNBaseLibSymbol::Read(r, GetFileVersion()), false);
    } catch (const EPLNError& e) {
      throw EPLNError(TPLNMsg::GetErrorValue(QStringLiteral("ReadLibSymbol")).arg(i).arg(symbols).arg(e.Message()));
    }
  }
  const std::int32_t n = r.ReadCount(4 + kMinItemBytes, "item");
  for (std::int32_t i = 1; i <= n; ++i) {
    const qint64 at = r.Position();
    TPLNBaseItem* item = nullptr;
    try {
      item = CreateFromStream(r, GetFileVersion(), TORVReadType::File);
      if (item) CheckItemRange(item);
    } catch (const EPLNError& e) {
      throw EPLNError(TPLNMsg::GetErrorValue(QStringLiteral("ReadItem")).arg(i).arg(n).arg(e.Message()));
    }
    if (!item) {
      stream->seek(at);
      const std::int32_t code = r.ReadInt32();
      const TPLNKindEntry* e = KindEntry(code);
      throw EPLNError(e ? TPLNMsg::GetErrorValue(QStringLiteral("ReadKindTooNew"))
                              .arg(i).arg(n).arg(QLatin1String(e->ClassName)).arg(code)
                        : TPLNMsg::GetErrorValue(QStringLiteral("ReadKindUnknown")).arg(i).arg(n).arg(code));
    }
  }
  if (r.Remaining() > 0) throw EPLNError(TPLNMsg::GetErrorValue(QStringLiteral("ReadTrailingBytes")).arg(r.Remaining()));
  EndRead(true);
}

void TPlanoraFMX::LoadFromStream(QIODevice* stream) {
  TPlanoraFMX fresh;
  fresh.ReadStream(stream);
  fSkipped = 0;
  DropSkippedItems = false;
  TakeOver(fresh);
}

void TPlanoraFMX::ReadJsonText(const QByteArray& text) {
  QJsonParseError err;
  const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
  if (err.error != QJsonParseError::NoError) {
    const int line = static_cast<int>(text.left(err.offset).count('\n')) + 1;
    throw EPLNError(QStringLiteral("%1 (line %2): %3").arg(TPLNMsg::GetErrorValue("BadJson")).arg(line).arg(err.errorString()));
  }
  if (!doc.isObject()) throw EPLNError(TPLNMsg::GetErrorValue("NotDrawing"));
  const QJsonObject root = doc.object();
  BeginRead(false);
  ReadJson(root);
  const QJsonValue items = root.value(QStringLiteral("Items"));
  if (!items.isUndefined() && !items.isArray()) throw EPLNError(QStringLiteral("\"Items\" must be an array"));
  const QJsonArray arr = items.toArray();
  fSkipped = 0;
  for (qsizetype i = 0; i < arr.size(); ++i) {
    // Records that say nothing about their kind, like kinds this build does not know, are passed
    // over and counted: the rest of the drawing still opens, and a save that would lose them
    // is refused (SaveToFile).
    if (!arr[i].isObject()) {
      ++fSkipped;
      continue;
    }
    const QJsonObject o = arr[i].toObject();
    const QJsonValue type = o.value(QStringLiteral("Type"));
    const double code = type.isDouble() ? type.toDouble() : 0;
    const TPLNKindEntry* e = code >= 1 && code <= Kind::Count ? KindEntry(static_cast<std::int32_t>(code)) : nullptr;
    if (!e || !e->ReadFromJson || code != std::floor(code)) {
      ++fSkipped;
      continue;
    }
    try {
      CheckItemRange(e->ReadFromJson(this, GetFileVersion(), o));
    } catch (const EPLNError& ex) {
      throw EPLNError(QStringLiteral("item %1 (%2): %3").arg(i + 1).arg(QLatin1String(e->ClassName + 4)).arg(ex.Message()));
    }
  }
  EndRead(true);
}

void TPlanoraFMX::LoadFromJson(const QByteArray& text) {
  TPlanoraFMX fresh;
  fresh.ReadJsonText(text);
  const int skipped = fresh.fSkipped;
  TakeOver(fresh);
  fSkipped = skipped;
  DropSkippedItems = false;  // the user's choice was about the drawing read before
}

bool TPlanoraFMX::LoadFromFile(const QString& fileName) {
  const bool eti = fileName.endsWith(QLatin1String(".eti"));
  const bool json = fileName.endsWith(QLatin1String(".json"));
  if (!eti && !json) return false;
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    throw EPLNError(FileError(fileName, TPLNMsg::GetErrorValue("FileRead") + QStringLiteral(": ") + f.errorString()));
  QByteArray data = f.readAll();
  if (f.error() != QFileDevice::NoError)
    throw EPLNError(FileError(fileName, TPLNMsg::GetErrorValue("FileRead") + QStringLiteral(": ") + f.errorString()));
  try {
    if (eti) {
      QBuffer buf(&data);
      buf.open(QIODevice::ReadOnly);
      LoadFromStream(&buf);
    } else {
      LoadFromJson(data);
    }
  } catch (const EPLNError& e) {
    throw EPLNError(FileError(fileName, e.Message()));
  } catch (const std::bad_alloc&) {
    throw EPLNError(FileError(fileName, TPLNMsg::GetErrorValue(QStringLiteral("ReadNoMemory"))));
  }
  fFileName = fileName;
  const TPLNData& d = DataSettings();
  if ((d.LinkData && d.GetDataSel() == TPLNData::CsvDataset()) || d.GetDataSel() == TPLNData::JsonDataset()) {
    // The drawing is open whatever happens to its data: a missing file is told, not fatal.
    QString why;
    if (!AttachData(&why) && OnInfoMsg) OnInfoMsg(why);
  }
  return true;
}

bool TPlanoraFMX::AttachData(QString* error) {
  try {
    auto source = ReadDataset(DataSettings(), PrintInfo.Repetition, fFileName.isEmpty() ? QString() : QFileInfo(fFileName).absolutePath());
    if (source)
      SetDataSource(std::move(source));
    else
      ClearDataSource();
    return true;
  } catch (const std::exception& e) {
    if (error) *error = QString::fromUtf8(e.what());
    return false;
  }
}

void TPlanoraFMX::SaveToStream(QIODevice* stream) const {
  TBinaryWriter w(stream);
  WriteBaseData(w);
  WriteData(w);
  w.WriteInt32(GetSymbolsCount());
  for (int i = 1; i <= GetSymbolsCount(); ++i) GetSymbol(i)->Write(w);
  std::int32_t n = 0;
  for (int i = 1; i <= GetItemsCount(); ++i)
    if (!GetItem(i)->IsPreview()) ++n;
  w.WriteInt32(n);
  for (int i = 1; i <= GetItemsCount(); ++i)
    if (!GetItem(i)->IsPreview()) GetItem(i)->Write(w);
}

QByteArray TPlanoraFMX::ToJsonText() const { return GetJsonText(); }

void TPlanoraFMX::SaveToFile(const QString& fileName, TORVExt ext) {
  if (ext != TORVExt::Eti && ext != TORVExt::Json) return;
  if (fSkipped > 0 && !DropSkippedItems)
    throw EPLNError(FileError(fileName, (fSkipped == 1 ? TPLNMsg::GetErrorValue(QStringLiteral("SaveWouldLoseOne"))
                                                           : TPLNMsg::GetErrorValue(QStringLiteral("SaveWouldLose")).arg(fSkipped))));
  const auto failure = [&fileName](const QString& why) {
    return FileError(fileName, TPLNMsg::GetErrorValue("FileWrite") + QStringLiteral(": ") + why);
  };
  TOutputFile out(fileName, failure);
  QFile& f = out.File();
  try {
    if (ext == TORVExt::Eti) {
      SaveToStream(&f);
    } else {
      const QByteArray text = ToJsonText();
      if (f.write(text) != text.size()) throw EPLNError(f.errorString());
    }
  } catch (const EPLNError& e) {
    throw EPLNError(failure(e.Message()));
  }
  out.Commit();
  fFileName = fileName;
  SetModified(false);
}

void TPlanoraFMX::CreateElementFromStream(QIODevice* stream) {
  stream->seek(0);
  TBinaryReader r(stream);
  const std::int32_t version = r.ReadInt32();
  BeginUpdate(true);
  try {
    if (TPLNBaseItem* item = CreateFromStream(r, version, TORVReadType::File)) {
      // The item keeps the identifier it was written with unless another item holds it.
      std::int32_t id = item->GetID(), last = 0;
      bool taken = id <= 0;
      for (int i = 1; i <= GetItemsCount(); ++i) {
        if (GetItem(i) == item) continue;
        taken = taken || GetItem(i)->GetID() == id;
        last = std::max(last, GetItem(i)->GetID());
      }
      item->SetID(taken ? last + 1 : id);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TPLNBaseItem* TPlanoraFMX::AddLink(const QString& fromID, const QString& toID, std::int16_t fromIndex,
                                   std::int16_t toIndex, F2d::TORVinkType linkType) {
  return TPLNFactory::AddLink(this, fromID, toID, fromIndex, toIndex, linkType);
}

void TPlanoraFMX::PasteSelection() {
  QByteArray& clip = ClipboardStream();
  if (clip.isEmpty()) return;
  QBuffer buf(&clip);
  buf.open(QIODevice::ReadOnly);
  TBinaryReader r(&buf);
  const std::size_t before = static_cast<std::size_t>(GetItemsCount());
  std::vector<TPLNBaseItem*> pasted;
  std::vector<std::unique_ptr<Symbol::TPLNBaseLibSymbol>> symbols;
  BeginRead(true);
  try {
    const std::int32_t n = r.ReadCount(4 + kMinItemBytes, "item");
    for (std::int32_t i = 0; i < n; ++i) {
      TPLNBaseItem* item = CreateFromStream(r, kClipboardVersion, TORVReadType::Paste);
      if (!item) throw EPLNError(TPLNMsg::GetErrorValue(QStringLiteral("ClipboardKind")));
      pasted.push_back(item);
    }
    // After the items: the library symbols they show, when they show any.
    if (r.Remaining() > 0) {
      const std::int32_t count = r.ReadCount(1, "symbol");
      for (std::int32_t i = 0; i < count; ++i) symbols.push_back(Symbol::TPLNBaseLibSymbol::Read(r, kClipboardVersion));
    }
  } catch (...) {
    // A damaged stream pastes nothing at all, and the selection stays as it was.
    TruncateItems(before);
    EndRead(false);
    throw;
  }
  // A pasted copy is a new item with an identifier of its own.
  std::int32_t last = 0;
  for (std::size_t i = 1; i <= before; ++i) last = std::max(last, GetItem(static_cast<int>(i))->GetID());
  std::vector<std::int32_t> oldIDs;
  oldIDs.reserve(pasted.size());
  for (TPLNBaseItem* item : pasted) {
    oldIDs.push_back(item->GetID());
    item->SetID(++last);
  }
  // A link pasted with its ends joins the copies, not the originals.
  RelinkPasted(pasted, oldIDs);
  // A symbol this document holds already stays as it is: same GUID, same symbol.
  for (auto& sym : symbols)
    if (!FindSymbol(sym->Guid)) AddSymbol(std::move(sym), false);
  EndRead(false);
  SetModified(true);
  // The layer z-order may have moved the copies among the other items: select them by identity.
  EndUpdateSelection(pasted);
}

void TPlanoraFMX::GetListValues() {
  for (const TPLNAskValue& a : DataSettings().Asks) {
    if (a.Kind != TORVAskKind::List) continue;
    if (a.ListSource == TORVListSource::File) {
      SetListValues(a.Name, ReadListFile(a, BesideDocument(a.ListFile)));
    } else if (a.ListSource == TORVListSource::Application) {
      QStringList values;
      if (OnGetListValues) OnGetListValues(*this, a, values);
      SetListValues(a.Name, values);
    }
  }
}

void TPlanoraFMX::GetAskValues() {
  if (OnGetAskValues && !OnGetAskValues(*this)) throw EPLNCancelled();
}

QString TPlanoraFMX::BesideDocument(const QString& name) const {
  if (name.isEmpty() || !QDir::isRelativePath(name) || GetFileName().isEmpty()) return name;
  return QFileInfo(GetFileName()).dir().filePath(name);
}

QString TPlanoraFMX::CountersFilePath() const { return BesideDocument(DataSettings().CountersFile.trimmed()); }

bool TPlanoraFMX::HasContinuingCounters() const {
  for (int i = 1; i <= GetCountersCount(); ++i)
    if (GetCounter(i)->Continue) return true;
  return false;
}

void TPlanoraFMX::CheckAskData(bool ask) {
  const TPLNData& d = DataSettings();
  if (d.AsksListValues()) GetListValues();
  if (ask && d.AsksValues()) GetAskValues();
  CheckAskedValues();
  // The numbers this run starts at: the counters file's when one is named.
  const QString file = HasContinuingCounters() ? CountersFilePath() : QString();
  SetCounterStarts(file.isEmpty() ? QHash<QString, std::int64_t>() : ReadCountersFile(file));
}

void TPlanoraFMX::AdvanceCounters(std::int64_t labels) {
  if (labels <= 0 || !HasContinuingCounters()) return;
  const QHash<QString, std::int64_t> next = CountersAfter(labels);
  const QString file = CountersFilePath();
  if (!file.isEmpty()) {
    WriteCountersFile(file, next);
    SetCounterStarts(next);
    NotifyChange(TORChange::Items);
    return;
  }
  TPLNUndoStack::OutsideHistory(*this, [&] {
    for (int i = 1; i <= GetCountersCount(); ++i) {
      TPLNCounter* c = GetCounter(i);
      if (c->Continue) c->SetNext(next.value(c->GetName(), c->GetNext()));
    }
    CountersChanged();
  });
}

void TPlanoraFMX::CheckPrintData() {
  CheckAskData();
  MakePrintCopies();
}

void TPlanoraFMX::MakePrintCopies() {
  // Copies from an earlier run go first, so that a second call never doubles them.
  ClearPreviewItems();
  if (!PrintInfo.MakeCopies && !GetDataSource()) return;
  const TPLNMeasure& m = Measure();
  const int originals = GetItemsCount();
  // Copies are no edit: read silently, so the document is neither modified nor redrawn per copy.
  BeginRead(false);
  try {
    for (int i = 1; i <= originals; ++i) {
      TPLNBaseItem* item = GetItem(i);
      if (!item->GetIsData() || !item->HasOptions(Opt::Print)) continue;  // what prints, as printing asks
      QByteArray record;
      {
        QBuffer out(&record);
        out.open(QIODevice::WriteOnly);
        TBinaryWriter w(&out);
        item->Write(w);
      }
      for (int r = 1; r <= m.Rows; ++r)
        for (int c = 1; c <= m.Columns; ++c) {
          QBuffer in(&record);
          in.open(QIODevice::ReadOnly);
          TBinaryReader reader(&in);
          TPLNBaseItem* copy = CreateFromStream(reader, kFileVersion, TORVReadType::Preview);
          if (!copy) throw EPLNError(QStringLiteral("%1 could not be copied for each label").arg(item->KindName()));
          // The original sits in the label's own frame; its copy sits in its cell on the sheet
          // and shows the record of that cell (CopyRecord).
          const TORVPto at = PreviewPos(c, r);
          copy->Move(at.X, at.Y);
          BindCopy(copy, c, r);
        }
    }
  } catch (...) {
    ClearPreviewItems();
    EndRead(false);
    throw;
  }
  EndRead(false);
}

void TPlanoraFMX::ReapExports() {
  std::erase_if(fExports, [this](const std::unique_ptr<TExportThread>& t) {
    if (!t->isFinished()) return false;
    if (!t->Error().isEmpty() && fExportError.isEmpty()) fExportError = t->Error();
    return true;
  });
}

void TPlanoraFMX::ExportDoc(TORVExport exportType, const QString& fileName, std::int32_t page, float scale,
                            std::int16_t quality, bool checkData, bool transparent, bool fit) {
  ReapExports();
  // The values are checked here, on the caller's thread: a refusal writes no file. They are
  // asked only when some are missing (a preview exporting its page has them).
  const std::vector<TPLNAskValue>& asks = DataSettings().Asks;
  const bool missing = std::any_of(asks.begin(), asks.end(), [this](const TPLNAskValue& a) { return !HasAskedValue(a.Name); });
  if (checkData || !asks.empty()) {
    // The running exports read the values and counters this replaces.
    WaitForRunningExports();
    CheckAskData(missing);
  }
  auto t = std::make_unique<TExportThread>(this, fileName, exportType, fit, checkData, transparent, scale, quality, page);
  t->start();
  fExports.push_back(std::move(t));
}

bool TPlanoraFMX::WaitForExport(QString* error) {
  for (auto& t : fExports) t->wait();
  ReapExports();
  const QString e = fExportError;
  fExportError.clear();
  if (error) *error = e;
  return e.isEmpty();
}

QImage TPlanoraFMX::BackImage() {
  const std::lock_guard<std::mutex> lock(fImageLock);
  const std::int32_t index = GetBackLayer();
  TPLNLayer* layer = GetLayer(index);
  if (!layer) return {};
  const QString path = layer->BackImageFile.isEmpty() ? QString() : QDir(ImageFolder).filePath(layer->BackImageFile);
  // The bytes are shared until someone assigns new ones, so their address tells a change apart.
  auto source = [&] {
    return QStringLiteral("%1|%2|%3|%4")
        .arg(index)
        .arg(path)
        .arg(layer->ImageData.size())
        .arg(reinterpret_cast<quintptr>(layer->ImageData.constData()));
  };
  if (!GetReloadImage() && !fImageSource.isEmpty() && fImageSource == source()) return LImage;
  QByteArray bytes = layer->ImageData;
  if (bytes.isEmpty() && !path.isEmpty() && QFileInfo(path).isFile()) {
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) bytes = f.readAll();
  }
  QImage img = bytes.isEmpty() ? QImage() : QImage::fromData(bytes);
  if (!img.isNull()) {
    // Decoded once into the format the painter draws from, so threads only ever read it.
    img.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (layer->EmbedImage && layer->ImageData.isEmpty()) layer->ImageData = bytes;
  }
  LImage = img;
  fImageSource = source();
  SetReloadImage(false);
  return LImage;
}

QRectF TPlanoraFMX::BackImageRect(const TPLNDraw& draw, const TPLNLayer& layer, double ox, double oy) const {
  const TPLNMeasure& m = Measure();
  // The cell and the margins are paper lengths, whatever the drawing scale.
  const double scale = static_cast<double>(std::max<std::int64_t>(1, m.DrawScale));
  const double kx = draw.PixPerBaseX * scale, ky = draw.PixPerBaseY * scale;
  // The margins belong to the picture's own sides, so turning it moves each to another side.
  const int turn = GetImageRotation();
  auto margin = [&](int side) { return static_cast<double>(layer.BackMargins[(side + turn) % 4]); };
  const QPointF topLeft(ox + margin(0) * kx, oy + margin(1) * ky);
  const QPointF bottomRight(ox + m.Sizes[TPLNMeasure::LabelWidth] * kx - margin(2) * kx,
                            oy + m.Sizes[TPLNMeasure::LabelHeight] * ky - margin(3) * ky);
  return QRectF(topLeft, bottomRight);
}

QRectF TPlanoraFMX::CellRect(const TPLNDraw& draw, double ox, double oy, double* radius) const {
  const TPLNMeasure& m = Measure();
  // Paper lengths, whatever the drawing scale.
  const double scale = static_cast<double>(std::max<std::int64_t>(1, m.DrawScale));
  const double kx = draw.PixPerBaseX * scale, ky = draw.PixPerBaseY * scale;
  if (radius) *radius = BackSurf().GetRadius() * 1000.0 * std::min(kx, ky);
  return QRectF(ox, oy, m.Sizes[TPLNMeasure::LabelWidth] * kx, m.Sizes[TPLNMeasure::LabelHeight] * ky);
}

void TPlanoraFMX::DrawBackSurf(Canvas::ISkCanvas* canvas, const TPLNDraw& draw) const {
  if (!canvas || BackSurf().IsBlank()) return;
  double r = 0;
  const QRectF cell = CellRect(draw, draw.OriginX, draw.OriginY, &r);
  Canvas::TSkPaint paint;
  paint.AntiAlias = true;
  paint.Color = BackSurf().Color;
  if (r > 0) canvas->DrawRoundRect(cell, static_cast<float>(r), static_cast<float>(r), paint);
  else canvas->DrawRect(cell, paint);
}

void TPlanoraFMX::PrintBackSurf(TPLNDraw& draw) const {
  if (!draw.pC || BackSurf().IsBlank()) return;
  double r = 0;
  const QRectF cell = CellRect(draw, draw.IOriginX, draw.IOriginY, &r);
  const Canvas::TBrush saved = draw.pC->Fill;
  draw.pC->Fill.Kind = Canvas::TBrushKind::Solid;
  draw.pC->Fill.Color = BackSurf().Color;
  draw.pC->FillRect(cell, static_cast<float>(r), static_cast<float>(r), r > 0 ? Canvas::AllCorners : 0u, 1.0f,
                    Canvas::TCornerType::Round);
  draw.pC->Fill = saved;
}

bool TPlanoraFMX::DrawBackImage(Canvas::ISkCanvas* canvas, TPLNDraw& draw) {
  const TPLNLayer* layer = GetLayer(GetBackLayer());
  if (!canvas || !layer) return false;
  const QImage img = BackImage();
  if (img.isNull()) return false;
  const QRectF target = BackImageRect(draw, *layer, draw.OriginX, draw.OriginY);
  if (!target.isValid()) return false;  // margins wider than the cell
  const int turn = GetImageRotation();
  QRectF dst = target;
  canvas->Save();
  if (turn != 0) {
    canvas->Translate(static_cast<float>(target.center().x()), static_cast<float>(target.center().y()));
    canvas->Rotate(-90.0f * turn);
    const QSizeF size = turn % 2 ? target.size().transposed() : target.size();
    dst = QRectF(QPointF(-size.width() / 2, -size.height() / 2), size);
  }
  Canvas::TSkPaint paint;
  paint.AntiAlias = true;  // smooth scaling: a picture stretched to a label is rarely its own size
  canvas->DrawImageRect(img, QRectF(img.rect()), dst, paint);
  canvas->Restore();
  return true;
}

void TPlanoraFMX::PrintBackImage(TPLNDraw& draw) {
  const TPLNLayer* layer = GetLayer(GetBackLayer());
  // Paper asks only the print bit, as for the items: a hidden layer's picture still prints.
  if (!draw.pC || !layer || !layer->HasOption(Opt::PrintBackground)) return;
  QImage img = BackImage();
  if (img.isNull()) return;
  const QRectF target = BackImageRect(draw, *layer, draw.IOriginX, draw.IOriginY);
  if (!target.isValid()) return;
  // The print canvas is not turned: the picture is, the same way the screen shows it.
  if (const int turn = GetImageRotation()) img = img.transformed(QTransform().rotate(-90.0 * turn));
  draw.pC->DrawBitmap(img, QRectF(img.rect()), target, 1.0f);
}

void TPlanoraFMX::Print() {
  CheckPrintData();
  // A counters file that cannot take the numbers after the run is found before the first page.
  if (PrintInfo.PrinterIndex >= 0 && HasContinuingCounters() && !CountersFilePath().isEmpty())
    CheckCountersFileWritable(CountersFilePath());
  TPrintThread job(this);
  job.Execute();
  fLastPrinted = job.Printed();
  AdvanceCounters(fLastPrinted);
}

void TPlanoraFMX::EditLayers(QWidget* parent, std::shared_ptr<TDialogServices> services) {
  TfLayers window(parent, std::move(services));
  window.Ini(this);
  window.exec();
  // The views show the layers as the window left them.
  NotifyChange(TORChange::Layers);
}

bool TPlanoraFMX::EditProperties(QWidget* parent, std::shared_ptr<TDialogServices> services) {
  switch (GetEditorMode()) {
    case 0: {
      TfLabelling window(parent, std::move(services));
      window.Ini(this);
      if (window.exec() != QDialog::Accepted) return false;
      window.WriteBack();
      return true;
    }
    case 1:
    case 2: {
      TfDrawing window(parent, std::move(services));
      window.Ini(this);
      if (window.exec() != QDialog::Accepted) return false;
      window.WriteBack();
      return true;
    }
    default:
      return false;
  }
}

bool TPlanoraFMX::EditDimStyles(QWidget* parent, std::shared_ptr<TDialogServices> services) {
  if (GetEditorMode() != 2) return false;
  TfDimStls window(parent, std::move(services));
  window.Ini(this);
  window.exec();
  // The window recomputes the dimensions with every change; this catches what it did not touch.
  CalcDimValues();
  NotifyChange(TORChange::Document);
  return true;
}

bool TPlanoraFMX::Preview(QWidget* parent, std::shared_ptr<TPreviewServices> services) {
  if (!services) services = std::make_shared<TPreviewServices>();
  TfPreview window(parent, services);
  try {
    window.Ini(this);
  } catch (const EPLNCancelled&) {
    return false;  // the user declined to give the values: nothing to preview, nothing to say
  } catch (const std::exception& e) {
    services->Error(parent, TPLNMsg::GetDialogsValue(QStringLiteral("TitlePreview")), QString::fromUtf8(e.what()));
    return false;
  }
  window.exec();
  return true;
}

bool TPlanoraFMX::SelectPrinter(const QString& name) {
  const int i = PrinterNames().indexOf(name);
  if (i < 0) return false;
  PrintInfo.PrinterIndex = i;
  return true;
}

}  // namespace Orv::Fmx
