// Every kind reads its own record back, from a stream and from JSON, through the kind table.
#include <gtest/gtest.h>

#include "SampleDocument.h"

using namespace Orv;
using namespace Orv::Fmx;

using PlanoraTest::ReadInto;
using PlanoraTest::ReadJsonInto;
using PlanoraTest::Record;

namespace {


QJsonObject JsonRecord(const TPLNBaseItem& item) {
  QJsonObject o = item.ToJson();
  o.remove(QStringLiteral("ID"));  // the document numbers items itself
  return o;
}

}  // namespace

TEST(ItemRead, EveryKindReadsItsOwnRecordWithThePreviewFlagOfTheReadType) {
  TPlanoraFMX sample, doc;  // both with the sample's layers
  PlanoraTest::BuildSample(sample);
  PlanoraTest::BuildSample(doc);
  for (int i = 1; i <= sample.GetItemsCount(); ++i) {
    const TPLNBaseItem& original = *sample.GetItem(i);
    SCOPED_TRACE(original.KindName().toStdString());
    const TPLNKindEntry* kind = KindEntry(original.KindCode());
    ASSERT_NE(kind, nullptr);
    const QByteArray bytes = Record(original);
    for (TORVReadType type : {TORVReadType::File, TORVReadType::Paste, TORVReadType::Preview}) {
      QByteArray copy = bytes;
      QBuffer buf(&copy);
      buf.open(QIODevice::ReadOnly);
      TBinaryReader r(&buf);
      const int before = doc.GetItemsCount();
      TPLNBaseItem* item = kind->Read(&doc, kFileVersion, r, type);
      ASSERT_NE(item, nullptr);
      EXPECT_EQ(doc.GetItemsCount(), before + 1);
      EXPECT_EQ(doc.GetItem(doc.GetItemsCount()), item);
      EXPECT_EQ(item->IsPreview(), type == TORVReadType::Preview);
      EXPECT_EQ(item->KindCode(), original.KindCode());
      EXPECT_EQ(Record(*item), bytes);
      EXPECT_EQ(buf.bytesAvailable(), 0);
    }
    TPLNBaseItem* fromJson = kind->ReadFromJson(&doc, kFileVersion, JsonRecord(original));
    ASSERT_NE(fromJson, nullptr);
    EXPECT_FALSE(fromJson->IsPreview());
    EXPECT_EQ(JsonRecord(*fromJson), JsonRecord(original));

    // A cut record raises; without an owner the half-read item is not leaked.
    QByteArray cut = bytes.left(bytes.size() - 3);
    QBuffer buf(&cut);
    buf.open(QIODevice::ReadOnly);
    TBinaryReader r(&buf);
    EXPECT_THROW(kind->Read(nullptr, kFileVersion, r, TORVReadType::File), EPLNError);
  }
}
