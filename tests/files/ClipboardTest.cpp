// The document's own clipboard stream and reading single items from a stream.
#include <set>

#include "SampleDocument.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

std::size_t DistinctIds(const TPlanoraFMX& doc) {
  std::set<std::int32_t> ids;
  for (int i = 1; i <= doc.GetItemsCount(); ++i) ids.insert(doc.GetItem(i)->GetID());
  return ids.size();
}

// The document, its selection and its modified flag are exactly as they were.
void ExpectUnchanged(const TPlanoraFMX& doc, const QByteArray& before, const TPLNBaseItem* selected) {
  EXPECT_EQ(EtiBytes(doc), before);
  ASSERT_EQ(doc.GetSelectionCount(), 1);
  EXPECT_EQ(doc.GetSelection(1), selected);
  EXPECT_EQ(selected->GetState(), kStateSelected);
  EXPECT_FALSE(doc.GetModified());
}

}  // namespace

TEST(Clipboard, CopyAndPasteAddsSelectedCopiesWithNewIds) {
  TPlanoraFMX doc;
  BuildSample(doc);
  // An empty clipboard pastes nothing.
  doc.Select(doc.GetItem(3));
  doc.SetModified(false);
  const QByteArray before = EtiBytes(doc);
  ASSERT_TRUE(doc.ClipboardStream().isEmpty());
  doc.PasteSelection();
  ExpectUnchanged(doc, before, doc.GetItem(3));
  doc.ClearSelection();

  // Copy an arc, a rectangle and a Bézier: kinds with fields beyond the common record.
  const int n = doc.GetItemsCount();
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
    EXPECT_EQ(DistinctIds(doc), static_cast<std::size_t>(doc.GetItemsCount()));
    // Exactly the pasted items are selected (the layer z-order moved them before layer 3's item).
    ASSERT_EQ(doc.GetSelectionCount(), 3);
    int selectedStates = 0;
    for (int i = 1; i <= doc.GetItemsCount(); ++i) selectedStates += doc.GetItem(i)->GetState() == kStateSelected;
    EXPECT_EQ(selectedStates, 3);
    for (int s = 1; s <= 3; ++s) {
      const TPLNBaseItem *copy = doc.GetSelection(s), *orig = originals[s - 1];
      EXPECT_EQ(existing.count(copy), 0u);
      EXPECT_EQ(copy->KindCode(), orig->KindCode());
      EXPECT_EQ(copy->GetName(), orig->GetName());
      EXPECT_EQ(copy->GetLayer(), orig->GetLayer());
      EXPECT_EQ(copy->Points(), orig->Points());
    }
    EXPECT_TRUE(doc.GetModified());
  }
  // A new item after the pastes still gets an identifier of its own.
  TPLNFactory::AddBasePoint(&doc, 0, 0);
  EXPECT_EQ(DistinctIds(doc), static_cast<std::size_t>(doc.GetItemsCount()));
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
  damaged.push_back(good);
  damaged.back()[4] = 10;  // a kind this build cannot read
  damaged.push_back(good);
  damaged.back()[0] = 3;  // one record more than there is
  for (const QByteArray& bytes : damaged) {
    SCOPED_TRACE(bytes.size());
    doc.ClipboardStream() = bytes;
    EXPECT_THROW(doc.PasteSelection(), EPLNError);
    ExpectUnchanged(doc, before, doc.GetItem(7));
  }
  doc.ClipboardStream() = good;  // the intact stream still pastes
  doc.PasteSelection();
  EXPECT_EQ(doc.GetSelectionCount(), 2);
}

TEST(Clipboard, CreateElementFromStreamReadsOneItemAndRaisesIds) {
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
    src.GetItem(1)->Write(w);  // a second record after it is not read
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
  EXPECT_EQ(read->GetName(), arc->GetName());
  EXPECT_EQ(read->GetRadius(), static_cast<TPLNArc*>(arc)->GetRadius());
  EXPECT_EQ(read->GetID(), 40);
  EXPECT_EQ(doc.LayerIndex(read->GetLayer()), 2);
  // Items made afterwards never reuse the identifier the stream brought.
  for (int i = 0; i < 40; ++i) TPLNFactory::AddBasePoint(&doc, i, i);
  EXPECT_EQ(DistinctIds(doc), static_cast<std::size_t>(doc.GetItemsCount()));
}
