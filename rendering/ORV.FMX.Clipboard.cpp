// Copy and paste through the system clipboard, so items travel between windows, between
// documents and to other applications as JSON text.
#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QMimeData>
#include <algorithm>
#include <cmath>

#include "ORV.FMX.h"
#include "ORV.Symbol.h"

namespace Orv::Fmx {

namespace {

// Version of the clipboard object's layout (the value of the marker key).
constexpr int kClipboardFormat = 1;
// How far a paste moves away from identical items lying where it would land: 5 mm on paper.
constexpr std::int64_t kPasteStep = 5000;
// Enough steps for any realistic run of pastes onto the same spot.
constexpr int kMaxPasteSteps = 200;

QString NoItemsText() { return QStringLiteral("The clipboard holds no Planora drawing items."); }

// The system clipboard, or null in programs without a graphical application (command-line
// tools), which then work with the document's own clipboard stream only.
QClipboard* SystemClipboard() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

QLatin1String MarkerKey() { return QLatin1String(TPlanoraFMX::kClipboardMarker); }

// A cheap look at clipboard text, without parsing it: an object naming our marker.
bool LooksLikeItems(const QByteArray& text) {
  const QByteArray t = text.trimmed();
  return t.startsWith('{') && t.contains(QByteArray("\"") + TPlanoraFMX::kClipboardMarker + "\"");
}

// What the system clipboard offers: our own format first, else plain text.
QByteArray SystemClipboardData() {
  QClipboard* cb = SystemClipboard();
  const QMimeData* md = cb ? cb->mimeData() : nullptr;
  if (!md) return {};
  if (md->hasFormat(QLatin1String(TPlanoraFMX::kClipboardMime))) return md->data(QLatin1String(TPlanoraFMX::kClipboardMime));
  return md->hasText() ? md->text().toUtf8() : QByteArray();
}

// Lends the document's own clipboard stream other records for one paste, and gives the user's
// copy back afterwards whatever happens.
class TLentClipboard {
 public:
  TLentClipboard(QByteArray& stream, QByteArray records) : fStream(stream), fSaved(std::move(stream)) {
    fStream = std::move(records);
  }
  ~TLentClipboard() { fStream = std::move(fSaved); }
  TLentClipboard(const TLentClipboard&) = delete;
  TLentClipboard& operator=(const TLentClipboard&) = delete;

 private:
  QByteArray& fStream;
  QByteArray fSaved;
};

}  // namespace

QByteArray TPlanoraFMX::SelectionClipboardText() const {
  QJsonArray items, symbols;
  std::vector<const Symbol::TPLNBaseLibSymbol*> used;
  // Drawing order rather than the order of selecting, so the copies stack like the originals.
  for (int i = 1; i <= GetItemsCount(); ++i) {
    const TPLNBaseItem* it = GetItem(i);
    if (it->IsPreview() || !IsSelected(it)) continue;
    items.append(it->ToJson());
    // The library symbols the items show go with them, so another document can show them too.
    if (it->KindCode() != Kind::Symbol) continue;
    const Symbol::TPLNBaseLibSymbol* sym = static_cast<const Symbol::TPLNBaseSymbol*>(it)->GetSymbol();
    if (sym && std::find(used.begin(), used.end(), sym) == used.end()) {
      used.push_back(sym);
      symbols.append(sym->ToJson());
    }
  }
  // Written by hand so the marker comes first (QJsonObject sorts its keys): even a text cut off
  // part-way is then recognised as damaged items rather than as foreign text.
  QByteArray text = QByteArray("{\"") + kClipboardMarker + "\":" + QByteArray::number(kClipboardFormat) +
                    ",\"Version\":" + QByteArray::number(kFileVersion) + ",\"Items\":";
  text += QJsonDocument(items).toJson(QJsonDocument::Compact);
  if (!symbols.isEmpty()) text += ",\"Symbols\":" + QJsonDocument(symbols).toJson(QJsonDocument::Compact);
  text += '}';
  return text;
}

bool TPlanoraFMX::CopyToClipboard() {
  if (GetSelectionCount() == 0) return false;
  CopySelection();
  if (QClipboard* cb = SystemClipboard()) {
    const QByteArray text = SelectionClipboardText();
    auto* md = new QMimeData;  // the clipboard takes ownership
    md->setData(QLatin1String(kClipboardMime), text);
    md->setText(QString::fromUtf8(text));
    cb->setMimeData(md);
  }
  return true;
}

bool TPlanoraFMX::CutToClipboard() {
  if (GetSelectionCount() == 0) return false;
  TPLNUndoGroup group(*this);
  CopyToClipboard();
  DeleteSelection();
  return true;
}

bool TPlanoraFMX::CanPasteFromClipboard() {
  const QByteArray data = SystemClipboardData();
  if (!data.trimmed().isEmpty()) return LooksLikeItems(data);
  // Count, then the records: a copy of nothing is the count alone.
  return ClipboardStream().size() > 4;
}

bool TPlanoraFMX::PasteFromClipboard() {
  const QByteArray data = SystemClipboardData();
  if (!data.trimmed().isEmpty()) return PasteClipboardText(data);
  if (ClipboardStream().size() <= 4) return false;
  TPLNUndoGroup group(*this);
  PasteSelection();
  return true;
}

bool TPlanoraFMX::PasteClipboardText(const QByteArray& text) {
  // Everything is checked and read before the document is touched.
  QJsonParseError err;
  const QJsonDocument json = QJsonDocument::fromJson(text, &err);
  if (err.error != QJsonParseError::NoError) {
    if (LooksLikeItems(text))
      throw EPLNError(QStringLiteral("The drawing items on the clipboard are damaged (%1 at character %2).")
                          .arg(err.errorString())
                          .arg(err.offset));
    throw EPLNError(NoItemsText());
  }
  if (!json.isObject() || !json.object().contains(MarkerKey())) throw EPLNError(NoItemsText());
  const QJsonObject root = json.object();
  const QJsonValue format = root.value(MarkerKey());
  if (!format.isDouble() || format.toDouble() < 1)
    throw EPLNError(QStringLiteral("The drawing items on the clipboard are damaged (bad \"%1\").").arg(MarkerKey()));
  const double version = root.value(QStringLiteral("Version")).toDouble(kFileVersion);
  if (format.toDouble() > kClipboardFormat || version > kFileVersion)
    throw EPLNError(QStringLiteral("The drawing items on the clipboard come from a newer version of Planora."));
  if (version < 1 || version != std::floor(version))
    throw EPLNError(QStringLiteral("The drawing items on the clipboard are damaged (bad \"Version\")."));
  const QJsonValue itemsValue = root.value(QStringLiteral("Items"));
  if (!itemsValue.isArray())
    throw EPLNError(QStringLiteral("The drawing items on the clipboard are damaged (no \"Items\" list)."));
  const QJsonArray items = itemsValue.toArray();
  if (items.isEmpty()) return false;
  const QJsonValue symbolsValue = root.value(QStringLiteral("Symbols"));
  if (!symbolsValue.isUndefined() && !symbolsValue.isArray())
    throw EPLNError(QStringLiteral("The drawing items on the clipboard are damaged (\"Symbols\" is no list)."));

  // The records are read into a scratch document shaped like this one (its layers, dimension
  // styles, scale and unit), so a bad record is found before anything is added here.
  TPlanoraFMX scratch;
  scratch.SetMeasure(Measure());
  scratch.SetUnits(GetUnits());
  for (int i = 2; i <= GetLayersCount(); ++i) scratch.AddLayer(GetLayer(i)->Name);
  for (int i = 2; i <= GetDimStylesCount(); ++i) scratch.AddDimStyle(GetDimStyle(i)->Name);
  scratch.BeginRead(false);
  const QJsonArray symbols = symbolsValue.toArray();
  for (qsizetype i = 0; i < symbols.size(); ++i) {
    auto sym = std::make_unique<Symbol::TPLNLibSymbol>();
    const QString why = symbols[i].isObject() ? sym->ReadJson(symbols[i].toObject()) : QStringLiteral("no object");
    if (!why.isEmpty())
      throw EPLNError(QStringLiteral("The drawing items on the clipboard are damaged (symbol %1 of %2: %3).")
                          .arg(i + 1)
                          .arg(symbols.size())
                          .arg(why));
    scratch.AddSymbol(std::move(sym), false);
  }
  for (qsizetype i = 0; i < items.size(); ++i) {
    const QString where = QStringLiteral("item %1 of %2 on the clipboard").arg(i + 1).arg(items.size());
    if (!items[i].isObject()) throw EPLNError(QStringLiteral("The drawing items on the clipboard are damaged (%1 is no object).").arg(where));
    QJsonObject o = items[i].toObject();
    const QJsonValue type = o.value(QStringLiteral("Type"));
    const double code = type.toDouble(-1);
    const TPLNKindEntry* e = type.isDouble() && code == std::floor(code) && code >= 1 && code <= Kind::Count
                                 ? KindEntry(static_cast<std::int32_t>(code))
                                 : nullptr;
    if (!e) throw EPLNError(QStringLiteral("The drawing items on the clipboard are damaged (%1 has no valid \"Type\").").arg(where));
    if (!e->ReadFromJson)
      throw EPLNError(QStringLiteral("%1 is a %2, which this version cannot paste.").arg(where, QLatin1String(e->ClassName + 4)));
    // Items from another document keep their layer and style when this one has them, and take
    // the active ones otherwise.
    const double layer = o.value(QStringLiteral("Layer")).toDouble(0);
    if (layer < 1 || layer > GetLayersCount()) o.insert(QStringLiteral("Layer"), GetActiveLayerIndex());
    if (o.contains(QStringLiteral("DimStyle"))) {
      const double style = o.value(QStringLiteral("DimStyle")).toDouble(0);
      if (style < 1 || style > GetDimStylesCount()) o.insert(QStringLiteral("DimStyle"), GetActiveDimStyleIndex());
    }
    try {
      e->ReadFromJson(&scratch, static_cast<std::int32_t>(version), o);
    } catch (const EPLNError& ex) {
      throw EPLNError(QStringLiteral("The drawing items on the clipboard are damaged (%1: %2).").arg(where, ex.Message()));
    }
  }
  scratch.EndRead(false);

  // Pasting back where the originals still lie would hide them under their copies: move the
  // copies on by a step until they land clear of identical items.
  auto landsOnTwin = [&](std::int64_t offset) {
    std::vector<int> hits;
    for (int i = 1; i <= scratch.GetItemsCount(); ++i) {
      const TPLNBaseItem* s = scratch.GetItem(i);
      TORVBounds b = s->GetBounds();
      if (b.IsEmpty()) continue;
      b.X1 += offset, b.X2 += offset, b.Y1 += offset, b.Y2 += offset;
      hits.clear();
      ItemsIn(b, hits);
      for (int h : hits) {
        const TPLNBaseItem* t = GetItem(h);
        if (t->IsPreview() || t->KindCode() != s->KindCode() || t->Points().size() != s->Points().size()) continue;
        bool same = true;
        for (std::size_t k = 0; same && k < s->Points().size(); ++k)
          same = t->Points()[k] == TORVPto{s->Points()[k].X + offset, s->Points()[k].Y + offset};
        if (same) return true;
      }
    }
    return false;
  };
  const std::int64_t step = kPasteStep * GetCoordMultiplier();
  std::int64_t offset = 0;
  for (int n = 0; n < kMaxPasteSteps && landsOnTwin(offset); ++n) offset += step;

  QByteArray records;
  {
    QBuffer buf(&records);
    buf.open(QIODevice::WriteOnly);
    TBinaryWriter w(&buf);
    w.WriteInt32(scratch.GetItemsCount());
    for (int i = 1; i <= scratch.GetItemsCount(); ++i) {
      TPLNBaseItem* s = scratch.GetItem(i);
      if (offset != 0) s->Move(offset, offset);
      s->Write(w);
    }
    // The symbols travel after the items, as a copy within the program writes them.
    if (scratch.GetSymbolsCount() > 0) {
      w.WriteInt32(scratch.GetSymbolsCount());
      for (int i = 1; i <= scratch.GetSymbolsCount(); ++i) scratch.GetSymbol(i)->Write(w);
    }
  }
  // The internal paste gives the copies new identifiers, selects them and is one undo step.
  TPLNUndoGroup group(*this);
  TLentClipboard lent(ClipboardStream(), std::move(records));
  PasteSelection();
  return true;
}

}  // namespace Orv::Fmx
