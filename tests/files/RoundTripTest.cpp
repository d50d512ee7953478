// Saving and loading both file formats keeps every field of every basic kind.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "SampleDocument.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

TEST(FileRoundTrip, BothFormatsKeepEveryFieldAndRewriteIdentically) {
  TPlanoraFMX original;
  BuildSample(original);
  ASSERT_EQ(original.GetItemsCount(), 13);
  for (const auto& [ext, name] : {std::pair{TORVExt::Eti, "all-kinds.eti"}, std::pair{TORVExt::Json, "all-kinds.json"}}) {
    SCOPED_TRACE(name);
    const QString first = TmpPath(QLatin1String(name)), second = TmpPath(QLatin1String("again-") + name);
    original.SaveToFile(first, ext);
    TPlanoraFMX loaded;
    ASSERT_TRUE(loaded.LoadFromFile(first));
    ExpectSameDocument(original, loaded);
    EXPECT_FALSE(loaded.GetModified());
    EXPECT_EQ(loaded.SkippedItems(), 0);
    EXPECT_EQ(loaded.GetFileVersion(), kFileVersion);
    EXPECT_EQ(loaded.GetItem(1)->GetLayer(), loaded.GetLayer(1));  // the z-order kept layer 1's item first
    loaded.SaveToFile(second, ext);
    ASSERT_FALSE(ReadAll(first).isEmpty());
    EXPECT_EQ(ReadAll(first), ReadAll(second));
  }
  // JSON text: indented, no byte-order mark, numbers with a decimal point.
  const QByteArray text = ReadAll(TmpPath("all-kinds.json"));
  EXPECT_NE(static_cast<unsigned char>(text[0]), 0xEF);
  EXPECT_TRUE(text.contains("\n    "));
  EXPECT_TRUE(text.contains("123.5"));

  // Binary through JSON and back is the same file.
  TPlanoraFMX viaJson;
  ASSERT_TRUE(viaJson.LoadFromFile(TmpPath("all-kinds.json")));
  viaJson.SaveToFile(TmpPath("via-json.eti"), TORVExt::Eti);
  EXPECT_EQ(ReadAll(TmpPath("via-json.eti")), ReadAll(TmpPath("all-kinds.eti")));
}

TEST(FileRoundTrip, SamplesLoadAndKeepTheirItems) {
  for (const char* name : {"shapes.json", "labels-basic.json"}) {
    SCOPED_TRACE(name);
    const QJsonDocument src = QJsonDocument::fromJson(ReadAll(Sample(name)));
    ASSERT_TRUE(src.isObject());
    const QJsonArray items = src.object().value("Items").toArray();
    TPlanoraFMX doc;
    ASSERT_TRUE(doc.LoadFromFile(Sample(name)));
    ASSERT_EQ(doc.GetItemsCount(), items.size());
    for (int i = 1; i <= doc.GetItemsCount(); ++i) {
      const QJsonObject o = items[i - 1].toObject();
      EXPECT_EQ(doc.GetItem(i)->KindCode(), o.value("Type").toInt());
      EXPECT_EQ(doc.GetItem(i)->GetName(), o.value("Name").toString());
      EXPECT_EQ(doc.GetItem(i)->GetID(), o.value("ID").toInt());
    }
    const QString eti = TmpPath(QLatin1String(name) + QLatin1String(".eti"));
    doc.SaveToFile(eti, TORVExt::Eti);
    TPlanoraFMX again;
    ASSERT_TRUE(again.LoadFromFile(eti));
    ExpectSameDocument(doc, again);
  }
}
