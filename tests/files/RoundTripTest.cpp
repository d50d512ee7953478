// Saving and loading both file formats keeps every field of every basic kind.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "FilesSupport.h"

using namespace FilesTest;

TEST(FileRoundTrip, BinaryKeepsEveryFieldAndRewritesIdentically) {
  TPlanoraFMX original;
  BuildSample(original);
  ASSERT_EQ(original.GetItemsCount(), 13);
  const QString first = TmpPath("all-kinds.eti");
  original.SaveToFile(first, TORVExt::Eti);

  TPlanoraFMX loaded;
  ASSERT_TRUE(loaded.LoadFromFile(first));
  ExpectSameDocument(original, loaded);
  EXPECT_FALSE(loaded.GetModified());
  // The layer z-order kept the one item of layer 1 first.
  EXPECT_EQ(loaded.GetItem(1)->GetLayer(), loaded.GetLayer(1));

  const QString second = TmpPath("all-kinds-again.eti");
  loaded.SaveToFile(second, TORVExt::Eti);
  const QByteArray a = ReadAll(first), b = ReadAll(second);
  ASSERT_FALSE(a.isEmpty());
  EXPECT_EQ(a, b);
}

TEST(FileRoundTrip, JsonKeepsEveryFieldInOrder) {
  TPlanoraFMX original;
  BuildSample(original);
  const QString path = TmpPath("all-kinds.json");
  original.SaveToFile(path, TORVExt::Json);

  // Text of the file: indented, no byte-order mark, numbers with a decimal point.
  const QByteArray text = ReadAll(path);
  ASSERT_FALSE(text.isEmpty());
  EXPECT_NE(static_cast<unsigned char>(text[0]), 0xEF);
  EXPECT_TRUE(text.contains("\n    "));
  EXPECT_TRUE(text.contains("123.5"));

  TPlanoraFMX loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(loaded.SkippedItems(), 0);
  ExpectSameDocument(original, loaded);
  EXPECT_EQ(loaded.GetFileVersion(), kFileVersion);
}

TEST(FileRoundTrip, BinaryThroughJsonAndBackIsIdentical) {
  TPlanoraFMX original;
  BuildSample(original);
  const QString eti = TmpPath("via-json-1.eti"), json = TmpPath("via-json.json"), eti2 = TmpPath("via-json-2.eti");
  original.SaveToFile(eti, TORVExt::Eti);

  TPlanoraFMX a;
  ASSERT_TRUE(a.LoadFromFile(eti));
  a.SaveToFile(json, TORVExt::Json);
  TPlanoraFMX b;
  ASSERT_TRUE(b.LoadFromFile(json));
  b.SaveToFile(eti2, TORVExt::Eti);
  EXPECT_EQ(ReadAll(eti), ReadAll(eti2));

  // And JSON written from either load is the same text.
  const QString json2 = TmpPath("via-json-2.json");
  b.SaveToFile(json2, TORVExt::Json);
  EXPECT_EQ(ReadAll(json), ReadAll(json2));
}

TEST(FileRoundTrip, SamplesLoadAndKeepTheirItems) {
  for (const char* name : {"shapes.json", "labels-basic.json"}) {
    SCOPED_TRACE(name);
    const QString path = QStringLiteral(PLANORA_SOURCE_DIR "/examples/") + QLatin1String(name);
    const QJsonDocument src = QJsonDocument::fromJson(ReadAll(path));
    ASSERT_TRUE(src.isObject());
    const QJsonArray items = src.object().value("Items").toArray();

    TPlanoraFMX doc;
    ASSERT_TRUE(doc.LoadFromFile(path));
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
