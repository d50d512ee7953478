// The document's own clipboard stream and reading single items from a stream.
#include <set>

#include "FilesSupport.h"

using namespace FilesTest;

namespace {

std::set<std::int32_t> Ids(const TPlanoraFMX& doc) {
  std::set<std::int32_t> ids;
  for (int i = 1; i <= doc.GetItemsCount(); ++i) ids.insert(doc.GetItem(i)->GetID());
  return ids;
}

}  // namespace

TEST(Clipboard, EmptyClipboardChangesNothing) {
  TPlanoraFMX doc;
  BuildSample(doc);
  doc.Select(doc.GetItem(3));
  doc.SetModified(false);
  const QByteArray before = EtiBytes(doc);
  ASSERT_TRUE(doc.ClipboardStream().isEmpty());
  doc.PasteSelection();
  EXPECT_EQ(EtiBytes(doc), before);
  ASSERT_EQ(doc.GetSelectionCount(), 1);
  EXPECT_EQ(doc.GetSelection(1), doc.GetItem(3));
  EXPECT_EQ(doc.GetItem(3)->GetState(), kStateSelected);
  EXPECT_FALSE(doc.GetModified());
}

TEST(Clipboard, CopyAndPasteAddsSelectedCopiesWithNewIds) {
  TPlanoraFMX doc;
  BuildSample(doc);
  const int n = doc.GetItemsCount();
  // Copy an arc, a rectangle and a Bézier: kinds with fields beyond the common record.
  std::vector<TPLNBaseItem*> originals;
  for (int i = 1; i <= n; ++i) {
    const auto k = doc.GetItem(i)->KindCode();
    if (k == Kind::Arc || k == Kind::Bezier || (k == Kind::Rectangle && doc.GetItem(i)->GetName() == "rect"))
      originals.push_back(doc.GetItem(i));
  }
  ASSERT_EQ(originals.size(), 3u);
  for (auto* it : originals) doc.Select(it);
  doc.CopySelection();
  doc.SetModified(false);

  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    std::set<const TPLNBaseItem*> existing;
    for (int i = 1; i <= doc.GetItemsCount(); ++i) existing.insert(doc.GetItem(i));
    doc.PasteSelection();
    ASSERT_EQ(doc.GetItemsCount(), n + 3 * round);
    EXPECT_EQ(Ids(doc).size(), static_cast<std::size_t>(doc.GetItemsCount()));  // all distinct
    // Exactly the pasted items are selected (the layer z-order moved them before layer 3's item).
    ASSERT_EQ(doc.GetSelectionCount(), 3);
    int selectedStates = 0;
    for (int i = 1; i <= doc.GetItemsCount(); ++i) selectedStates += doc.GetItem(i)->GetState() == kStateSelected;
    EXPECT_EQ(selectedStates, 3);
    for (int s = 1; s <= 3; ++s) {
      TPLNBaseItem* copy = doc.GetSelection(s);
      EXPECT_EQ(existing.count(copy), 0u);
      EXPECT_EQ(copy->GetState(), kStateSelected);
      const TPLNBaseItem* orig = originals[s - 1];
      EXPECT_NE(copy, orig);
      EXPECT_EQ(copy->KindCode(), orig->KindCode());
      EXPECT_EQ(copy->GetName(), orig->GetName());
      EXPECT_EQ(copy->GetLayer(), orig->GetLayer());
      EXPECT_EQ(copy->Points(), orig->Points());
      EXPECT_EQ(copy->GetColor(), orig->GetColor());
    }
    for (auto* it : originals) EXPECT_EQ(it->GetState(), kStateNormal);
    EXPECT_TRUE(doc.GetModified());
  }
  // A new item after the pastes still gets an identifier of its own.
  TPLNFactory::AddBasePoint(&doc, 0, 0);
  EXPECT_EQ(Ids(doc).size(), static_cast<std::size_t>(doc.GetItemsCount()));
}

TEST(Clipboard, DamagedClipboardPastesNothing) {
  TPlanoraFMX doc;
  BuildSample(doc);
  doc.Select(doc.GetItem(2));
  doc.Select(doc.GetItem(5));
  doc.CopySelection();
  const QByteArray good = doc.ClipboardStream();
  doc.ClearSelection();
  doc.Select(doc.GetItem(7));
  doc.SetModified(false);
  const QByteArray before = EtiBytes(doc);

  std::vector<QByteArray> damaged;
  for (qsizetype len = 1; len < good.size(); len += 7) damaged.push_back(good.left(len));  // cut short
  QByteArray badKind = good;
  badKind[4] = 10;  // a kind this build cannot read
  damaged.push_back(badKind);
  QByteArray badCount = good;
  badCount[0] = 3;  // one record more than there is
  damaged.push_back(badCount);
  for (const QByteArray& bytes : damaged) {
    SCOPED_TRACE(bytes.size());
    doc.ClipboardStream() = bytes;
    EXPECT_THROW(doc.PasteSelection(), EPLNError);
    EXPECT_EQ(EtiBytes(doc), before);
    ASSERT_EQ(doc.GetSelectionCount(), 1);
    EXPECT_EQ(doc.GetSelection(1), doc.GetItem(7));
    EXPECT_FALSE(doc.GetModified());
  }
  // The intact stream still pastes.
  doc.ClipboardStream() = good;
  doc.PasteSelection();
  EXPECT_EQ(doc.GetSelectionCount(), 2);
}

TEST(Clipboard, CreateElementFromStreamReadsOneItem) {
  TPlanoraFMX src;
  BuildSample(src);
  TPLNBaseItem* arc = nullptr;
  for (int i = 1; i <= src.GetItemsCount(); ++i)
    if (src.GetItem(i)->KindCode() == Kind::Arc) arc = src.GetItem(i);
  ASSERT_NE(arc, nullptr);
  arc->SetID(40);

  QByteArray bytes;
  {
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    TBinaryWriter w(&buf);
    w.WriteInt32(kFileVersion);
    arc->Write(w);
    // A second record after it is not read.
    src.GetItem(1)->Write(w);
  }
  TPlanoraFMX doc;
  BuildSample(doc);  // layer 2 exists here too
  const int n = doc.GetItemsCount();
  QBuffer buf(&bytes);
  buf.open(QIODevice::ReadOnly);
  buf.seek(bytes.size() / 2);  // the stream is rewound first
  doc.CreateElementFromStream(&buf);
  ASSERT_EQ(doc.GetItemsCount(), n + 1);
  auto* read = dynamic_cast<TPLNArc*>(doc.GetItem(n + 1));
  ASSERT_NE(read, nullptr);
  auto* orig = static_cast<TPLNArc*>(arc);
  EXPECT_EQ(read->GetName(), orig->GetName());
  EXPECT_EQ(read->GetCenter(), orig->GetCenter());
  EXPECT_EQ(read->GetRadius(), orig->GetRadius());
  EXPECT_EQ(read->GetAngleSweep(), orig->GetAngleSweep());
  EXPECT_EQ(read->ToType, orig->ToType);
  EXPECT_EQ(read->GetID(), 40);
  EXPECT_EQ(doc.LayerIndex(read->GetLayer()), 2);

  // Items made afterwards never reuse the identifier the stream brought.
  for (int i = 0; i < 40; ++i) TPLNFactory::AddBasePoint(&doc, i, i);
  EXPECT_EQ(Ids(doc).size(), static_cast<std::size_t>(doc.GetItemsCount()));
}
