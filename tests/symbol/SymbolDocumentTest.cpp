// Library symbols travelling with documents: both file formats, undo and redo of placed
// symbols, and copy and paste between documents.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <functional>
#include <memory>
#include <tuple>

#include "ORV.FMX.h"
#include "ORV.Symbol.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Symbol;
using Orv::Fmx::TPlanoraFMX;

namespace {

constexpr double kPi = 3.14159265358979323846;

std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t> Box(const TORVBounds& b) { return {b.X1, b.Y1, b.X2, b.Y2}; }

TPLNBaseLibSymbol* Define(TPLNBaseLabel& doc, const QString& name, double size, bool current = false) {
  auto s = std::make_unique<TPLNLibSymbol>();
  s->Name = name;
  s->Category = QStringLiteral("Test");
  s->Rectangle(0, 0, size, size / 2, 0.5);
  s->Arc(0, 0, size / 2, size / 4, size, 0);
  s->Text(1, 1, name);
  s->LinkPoint(0, 0);
  s->LinkPoint(size, 0);
  return doc.AddSymbol(std::move(s), current);
}

TPLNBaseSymbol* Place(TPLNBaseLabel& doc, const TPLNBaseLibSymbol* sym, std::int64_t x, std::int64_t y) {
  auto* item = new TPLNBaseSymbol(&doc, false);
  item->AssignPoints({{x, y}});
  item->SetSymbol(sym);
  return item;
}

// Two symbols, two items showing the first and one the second, and a rectangle-free drawing
// otherwise, so every item of the document is a symbol.
void Build(TPlanoraFMX& doc) {
  TPLNBaseLibSymbol* a = Define(doc, QStringLiteral("alpha"), 10, true);
  TPLNBaseLibSymbol* b = Define(doc, QStringLiteral("beta"), 4);
  Place(doc, a, 10000, 10000)->SetScale(2);
  TPLNBaseSymbol* turned = Place(doc, a, 50000, 20000);
  turned->SetAngleRad(kPi / 3);
  turned->SetName(QStringLiteral("turned"));
  Place(doc, b, 80000, 40000);
}

void ExpectSameSymbols(const TPLNBaseLabel& read, const TPLNBaseLabel& orig) {
  ASSERT_EQ(read.GetSymbolsCount(), orig.GetSymbolsCount());
  for (int i = 1; i <= orig.GetSymbolsCount(); ++i) EXPECT_TRUE(*read.GetSymbol(i) == *orig.GetSymbol(i)) << i;
  ASSERT_EQ(read.GetItemsCount(), orig.GetItemsCount());
  for (int i = 1; i <= orig.GetItemsCount(); ++i) {
    SCOPED_TRACE(i);
    const auto* r = dynamic_cast<const TPLNBaseSymbol*>(read.GetItem(i));
    const auto* o = dynamic_cast<const TPLNBaseSymbol*>(orig.GetItem(i));
    ASSERT_TRUE(r && o);
    // The item finds its symbol in its own document.
    ASSERT_NE(r->GetSymbol(), nullptr);
    EXPECT_EQ(r->GetSymbolGuid(), o->GetSymbolGuid());
    EXPECT_TRUE(*r->GetSymbol() == *o->GetSymbol());
    EXPECT_EQ(r->GetScale(), o->GetScale());
    EXPECT_NEAR(r->GetAngleRad(), o->GetAngleRad(), 1e-12);
    EXPECT_EQ(Box(r->GetBounds()), Box(o->GetBounds()));
  }
}

QByteArray Eti(const TPlanoraFMX& doc) {
  QByteArray out;
  QBuffer b(&out);
  b.open(QIODevice::WriteOnly);
  doc.SaveToStream(&b);
  return out;
}

void LoadEti(TPlanoraFMX& doc, QByteArray bytes) {
  QBuffer b(&bytes);
  b.open(QIODevice::ReadOnly);
  doc.LoadFromStream(&b);
}

// The message of the error `fn` must throw.
QString Refusal(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const EPLNError& e) {
    return e.Message();
  }
  ADD_FAILURE() << "accepted";
  return {};
}

}  // namespace

TEST(SymbolFiles, BothFormatsCarryTheSymbolsAndTheItemsFindThem) {
  TPlanoraFMX doc;
  Build(doc);
  for (const auto& [name, ext] : {std::pair{"symbols.eti", TORVExt::Eti}, std::pair{"symbols.json", TORVExt::Json}}) {
    SCOPED_TRACE(name);
    const QString path = PlanoraTest::TmpPath(name);
    doc.SaveToFile(path, ext);
    TPlanoraFMX read;
    ASSERT_TRUE(read.LoadFromFile(path));
    ExpectSameSymbols(read, doc);
    // Saved again, the file is the same: nothing is lost or added on the way.
    const QString again = PlanoraTest::TmpPath(QStringLiteral("again-") + name);
    read.SaveToFile(again, ext);
    EXPECT_EQ(PlanoraTest::ReadAll(again), PlanoraTest::ReadAll(path));
  }
  // The JSON form lists the definitions next to the items.
  const QJsonObject root = QJsonDocument::fromJson(doc.ToJsonText()).object();
  ASSERT_TRUE(root.value("Symbols").isArray());
  EXPECT_EQ(root.value("Symbols").toArray().size(), 2);
  EXPECT_EQ(root.value("Symbols").toArray().at(1).toObject().value("Name").toString(), "beta");
  EXPECT_EQ(root.value("Items").toArray().size(), 3);
}

TEST(SymbolFiles, DrawingsWithoutSymbolsAndDamagedSymbolBlocks) {
  // A drawing without symbols writes no "Symbols" key and an empty block, and reads back.
  TPlanoraFMX plain;
  plain.AddLayer(QStringLiteral("second"));
  const QJsonObject root = QJsonDocument::fromJson(plain.ToJsonText()).object();
  EXPECT_FALSE(root.contains("Symbols"));
  TPlanoraFMX fromJson;
  fromJson.LoadFromJson(plain.ToJsonText());
  EXPECT_EQ(fromJson.GetSymbolsCount(), 0);
  EXPECT_EQ(fromJson.GetLayersCount(), 2);
  TPlanoraFMX fromEti;
  LoadEti(fromEti, Eti(plain));
  EXPECT_EQ(fromEti.GetLayersCount(), 2);

  // A damaged definition refuses the whole file and leaves the document as it was.
  TPlanoraFMX doc;
  Build(doc);
  TPlanoraFMX target;
  Define(target, QStringLiteral("mine"), 3, true);
  const QByteArray before = Eti(target);
  QJsonObject bad = QJsonDocument::fromJson(doc.ToJsonText()).object();
  QJsonArray symbols = bad.value("Symbols").toArray();
  QJsonObject first = symbols.at(0).toObject();
  QJsonArray def = first.value("Def").toArray();
  def.append(QJsonObject{{"Kind", "Line"}, {"Points", QJsonArray{QJsonArray{0, 0}}}});
  first.insert("Def", def);
  symbols.replace(0, first);
  bad.insert("Symbols", symbols);
  const QString why = Refusal([&] { target.LoadFromJson(QJsonDocument(bad).toJson()); });
  EXPECT_TRUE(why.contains("symbol 1") && why.contains("Line needs 2 points")) << why.toStdString();
  bad.insert("Symbols", QJsonObject());
  EXPECT_THROW(target.LoadFromJson(QJsonDocument(bad).toJson()), EPLNError);
  EXPECT_EQ(Eti(target), before);

  // In the binary form: a cut inside the symbol block, and a symbol with a bad GUID.
  const QByteArray good = Eti(doc);
  const QByteArray guid = doc.GetSymbol(1)->Guid.toUtf8();
  const qsizetype at = good.indexOf(guid);
  ASSERT_GT(at, 0);
  for (const qsizetype cut : {at + 5, at + 200}) EXPECT_THROW(LoadEti(target, good.left(cut)), EPLNError);
  QByteArray noGuid = good;
  noGuid.replace(at + 1, 8, "zzzzzzzz");
  EXPECT_TRUE(Refusal([&] { LoadEti(target, noGuid); }).contains("library symbol 1 of 2"));
  EXPECT_EQ(Eti(target), before);
}

TEST(SymbolFiles, OpeningADrawingReplacesTheSymbols) {
  TPlanoraFMX doc;
  Build(doc);
  const QString path = PlanoraTest::TmpPath("replace.eti");
  doc.SaveToFile(path, TORVExt::Eti);

  // The symbols of the drawing before do not travel into the one opened (a save would write
  // them into its file); where both had one GUID, the file's definition is the one shown.
  TPlanoraFMX target;
  Define(target, QStringLiteral("mine"), 3, true);
  auto stale = std::make_unique<TPLNLibSymbol>();
  stale->Guid = doc.GetSymbol(2)->Guid;
  stale->Name = QStringLiteral("stale");
  target.AddSymbol(std::move(stale), false);
  ASSERT_TRUE(target.LoadFromFile(path));
  EXPECT_EQ(target.GetSymbolsCount(), 2);
  EXPECT_EQ(target.GetCurrentSymbol(), nullptr);
  EXPECT_EQ(target.FindSymbol(doc.GetSymbol(2)->Guid)->Name, "beta");
  EXPECT_EQ(target.GetItemsCount(), 3);
  EXPECT_FALSE(target.GetModified());

  // A new drawing starts without symbols.
  TPlanoraFMX empty;
  target.TakeOver(empty);
  EXPECT_EQ(target.GetItemsCount(), 0);
  EXPECT_EQ(target.GetSymbolsCount(), 0);
  EXPECT_EQ(empty.GetSymbolsCount(), 0);
}

TEST(SymbolUndo, PlacingMovingAndDeletingASymbolUndoAndRedo) {
  TPlanoraFMX doc;
  TPLNBaseLibSymbol* sym = Define(doc, QStringLiteral("alpha"), 10, true);
  doc.ClearUndo();
  TPLNBaseSymbol* item = nullptr;
  {
    TPLNUndoGroup group(doc);
    item = Place(doc, sym, 20000, 30000);
    item->SetScale(3);
    item->SetAngleRad(kPi / 4);
  }
  const std::int32_t id = item->GetID();
  const TORVBounds placed = item->GetBounds();
  ASSERT_TRUE(doc.CanUndo());
  doc.Undo();
  EXPECT_EQ(doc.GetItemsCount(), 0);
  // The definition is no part of the history: it stays for the redo and for new items.
  EXPECT_EQ(doc.GetSymbolsCount(), 1);
  EXPECT_EQ(doc.GetCurrentSymbol(), sym);
  doc.Redo();
  ASSERT_EQ(doc.GetItemsCount(), 1);
  auto* back = dynamic_cast<TPLNBaseSymbol*>(doc.GetItem(1));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetID(), id);
  EXPECT_EQ(back->GetSymbol(), sym);
  EXPECT_EQ(back->GetScale(), 3.0f);
  EXPECT_NEAR(back->GetAngleRad(), kPi / 4, 1e-12);
  EXPECT_EQ(Box(back->GetBounds()), Box(placed));

  // A turn and a move are one step each, and undo gives the angle and the point back.
  {
    TPLNUndoGroup group(doc);
    back->Rotate(0, 0, kPi / 2);
  }
  {
    TPLNUndoGroup group(doc);
    back->Move(1000, 0);
  }
  doc.Undo();
  doc.Undo();
  back = dynamic_cast<TPLNBaseSymbol*>(doc.GetItem(1));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetPoint(1), TORVPto(20000, 30000));
  EXPECT_NEAR(back->GetAngleRad(), kPi / 4, 1e-12);
  doc.Redo();
  EXPECT_NEAR(doc.GetItem(1)->GetPoint(1).X, -30000, 1);
  EXPECT_NEAR(dynamic_cast<TPLNBaseSymbol*>(doc.GetItem(1))->GetAngleRad(), 3 * kPi / 4, 1e-12);

  // Deleting and undoing brings the item back showing the same symbol.
  doc.DeleteItem(1);
  doc.Undo();
  ASSERT_EQ(doc.GetItemsCount(), 1);
  EXPECT_EQ(dynamic_cast<TPLNBaseSymbol*>(doc.GetItem(1))->GetSymbol(), sym);
}

TEST(SymbolClipboard, PasteIntoAnotherDocumentCarriesTheSymbol) {
  TPlanoraFMX from;
  Build(from);
  from.Select(from.SearchItem(QStringLiteral("turned"), true));
  from.CopySelection();
  const QByteArray clip = from.ClipboardStream();
  const QString guid = from.GetSymbol(1)->Guid;

  // The document's own stream, handed to another document.
  TPlanoraFMX to;
  Define(to, QStringLiteral("other"), 2, true);
  to.ClipboardStream() = clip;
  to.PasteSelection();
  ASSERT_EQ(to.GetItemsCount(), 1);
  ASSERT_EQ(to.GetSymbolsCount(), 2);
  auto* pasted = dynamic_cast<TPLNBaseSymbol*>(to.GetItem(1));
  ASSERT_TRUE(pasted && pasted->GetSymbol());
  EXPECT_TRUE(*pasted->GetSymbol() == *from.GetSymbol(1));
  EXPECT_EQ(to.GetSelectionCount(), 1);
  // Pasting twice adds the item again but not the symbol; undo takes the items back and
  // leaves the definition.
  to.PasteSelection();
  EXPECT_EQ(to.GetItemsCount(), 2);
  EXPECT_EQ(to.GetSymbolsCount(), 2);
  to.Undo();
  to.Undo();
  EXPECT_EQ(to.GetItemsCount(), 0);
  EXPECT_NE(to.FindSymbol(guid), nullptr);

  // A document holding its own definition of that GUID keeps it.
  TPlanoraFMX own;
  auto mine = std::make_unique<TPLNLibSymbol>();
  mine->Guid = guid;
  mine->Name = QStringLiteral("own");
  mine->Circle(0, 0, 1);
  own.AddSymbol(std::move(mine), false);
  own.ClipboardStream() = clip;
  own.PasteSelection();
  EXPECT_EQ(own.GetSymbolsCount(), 1);
  EXPECT_EQ(own.GetSymbol(1)->Name, "own");

  // A copy without symbol items ends with the items: the count and one record.
  TPlanoraFMX plain;
  TPLNBaseItem* point = plain.AddBasePoint(0, 0);
  ASSERT_NE(point, nullptr);
  plain.Select(point);
  plain.CopySelection();
  QByteArray record;
  {
    QBuffer b(&record);
    b.open(QIODevice::WriteOnly);
    TBinaryWriter w(&b);
    point->Write(w);
  }
  EXPECT_EQ(plain.ClipboardStream().size(), 4 + record.size());

  // The system clipboard's text form.
  const QByteArray text = from.SelectionClipboardText();
  EXPECT_TRUE(text.contains("\"Symbols\""));
  TPlanoraFMX viaText;
  ASSERT_TRUE(viaText.PasteClipboardText(text));
  ASSERT_EQ(viaText.GetItemsCount(), 1);
  auto* textPasted = dynamic_cast<TPLNBaseSymbol*>(viaText.GetItem(1));
  ASSERT_TRUE(textPasted && textPasted->GetSymbol());
  EXPECT_TRUE(*textPasted->GetSymbol() == *from.GetSymbol(1));
  EXPECT_NEAR(textPasted->GetAngleRad(), kPi / 3, 1e-12);

  // A damaged definition on the clipboard pastes nothing at all.
  QJsonObject root = QJsonDocument::fromJson(text).object();
  QJsonArray symbols = root.value("Symbols").toArray();
  QJsonObject sym = symbols.at(0).toObject();
  sym.insert("Units", "furlong");
  symbols.replace(0, sym);
  root.insert("Symbols", symbols);
  TPlanoraFMX refused;
  EXPECT_TRUE(Refusal([&] { refused.PasteClipboardText(QJsonDocument(root).toJson(QJsonDocument::Compact)); }).contains("furlong"));
  EXPECT_EQ(refused.GetItemsCount(), 0);
  EXPECT_EQ(refused.GetSymbolsCount(), 0);

  // A damaged symbol block in the stream: no item is left behind either.
  QByteArray cut = clip.left(clip.size() - 3);
  TPlanoraFMX partial;
  partial.ClipboardStream() = cut;
  EXPECT_THROW(partial.PasteSelection(), EPLNError);
  EXPECT_EQ(partial.GetItemsCount(), 0);
  EXPECT_EQ(partial.GetSymbolsCount(), 0);
}
