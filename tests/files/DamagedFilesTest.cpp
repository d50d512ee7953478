// Damaged, foreign and unwritable files: clear errors that name the file, the open document left
// exactly as it was, never a crash.
#include <QFileInfo>
#include <QtEndian>

#include <unistd.h>

#include "SampleDocument.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace PlanoraTest;

namespace {

// Loads `path` into `doc`, which must fail with a message naming the file and leave `doc`
// byte-for-byte what it was. Returns the message.
QString ExpectFailedLoad(TPlanoraFMX& doc, const QString& path) {
  const QByteArray before = EtiBytes(doc);
  const int selected = doc.GetSelectionCount();
  QString message;
  try {
    doc.LoadFromFile(path);
    ADD_FAILURE() << "loaded " << path.toStdString();
  } catch (const EPLNError& e) {
    message = e.Message();
  }
  EXPECT_TRUE(message.contains(QFileInfo(path).fileName())) << message.toStdString();
  EXPECT_EQ(EtiBytes(doc), before);
  EXPECT_EQ(doc.GetSelectionCount(), selected);
  return message;
}

void PutInt32(QByteArray& bytes, qsizetype at, std::int32_t v) {
  qToLittleEndian<std::int32_t>(v, reinterpret_cast<uchar*>(bytes.data() + at));
}

}  // namespace

TEST(DamagedFiles, EveryTruncationFailsCleanlyAndKeepsTheOpenDocument) {
  TPlanoraFMX sample;
  BuildSample(sample);
  const QByteArray full = EtiBytes(sample);
  ASSERT_GT(full.size(), 500);
  TPlanoraFMX open;
  ASSERT_TRUE(open.LoadFromFile(Sample("labels-basic.json")));
  open.Select(open.GetItem(2));
  const QString path = TmpPath("cut.eti");
  for (qsizetype len = 0; len < full.size(); ++len) {
    SCOPED_TRACE(len);
    WriteAll(path, full.left(len));
    ExpectFailedLoad(open, path);
    if (HasFailure()) break;
  }
  // The whole file still loads: the cuts, not the writer, made the errors.
  WriteAll(path, full);
  ASSERT_TRUE(open.LoadFromFile(path));
  EXPECT_EQ(open.GetItemsCount(), sample.GetItemsCount());
}

TEST(DamagedFiles, FlippedBytesNeverCrash) {
  // Every basic kind, and a technical drawing (dimensions and texts work points out from others).
  TPlanoraFMX kinds, drawing;
  BuildSample(kinds);
  ASSERT_TRUE(drawing.LoadFromFile(Sample("drawing.json")));
  for (const auto& [source, step] : {std::pair{&kinds, 3}, std::pair{&drawing, 7}}) {
    const QByteArray full = EtiBytes(*source);
    const QString path = TmpPath("flipped.eti");
    int failures = 0, loads = 0;
    for (qsizetype at = 0; at < full.size(); at += step) {
      for (const uchar mask : {uchar(0xFF), uchar(0x80), uchar(0x01)}) {
        QByteArray bytes = full;
        bytes[at] = static_cast<char>(static_cast<uchar>(bytes[at]) ^ mask);
        WriteAll(path, bytes);
        TPlanoraFMX doc;
        try {
          ASSERT_TRUE(doc.LoadFromFile(path));
          ++loads;
          EtiBytes(doc);  // whatever was read must save again, and read back from either format
          TPlanoraFMX viaJson;
          viaJson.LoadFromJson(doc.GetJsonText());
          EXPECT_EQ(viaJson.GetItemsCount(), doc.GetItemsCount());
        } catch (const EPLNError& e) {
          ++failures;
          EXPECT_TRUE(e.Message().startsWith(QStringLiteral("flipped.eti: "))) << e.what();
        }
      }
    }
    // Both outcomes happen: coordinates take a wide range, lengths and counts do not.
    EXPECT_GT(loads, 0);
    EXPECT_GT(failures, 0);
  }
}

TEST(DamagedFiles, JsonErrorsNameTheFileAndTheProblem) {
  TPlanoraFMX open;
  ASSERT_TRUE(open.LoadFromFile(Sample("shapes.json")));
  const QString bad = TmpPath("syntax.json");
  WriteAll(bad, "{\n \"Version\": 3200,\n \"Items\": [ {\"Type\": 6,, } ]\n}\n");
  EXPECT_TRUE(ExpectFailedLoad(open, bad).contains(QStringLiteral("line 3")));

  const std::pair<const char*, const char*> cases[] = {  // item, what the message mentions
      {R"({"Type": 6, "Color": true, "Points": [[0,0],[1,1]]})", "Color"},
      {R"({"Type": 6, "Points": "none"})", "Points"},
      {R"({"Type": 6, "Points": [[0,0],[1]]})", "Points"},
      {R"({"Type": 2, "PenWidth": "thin", "Points": [[0,0],[1,1]]})", "PenWidth"},
      {R"({"Type": 6, "Filled": 1, "Points": [[0,0],[1,1]]})", "Filled"},
      {R"({"Type": 4, "FromType": "arrow", "Points": [[0,0],[1,1]]})", "FromType"},
      {R"({"Type": 6, "Name": 12, "Points": [[0,0],[1,1]]})", "Name"},
      {R"({"Type": 6, "Layer": 3, "Points": [[0,0],[1,1]]})", "layer 3"},
      {R"({"Type": 2, "Layer": 0, "Points": [[0,0],[1,1]]})", "layer 0"},
      {R"({"Type": 6, "Points": [[0,0]]})", "2 points"},
      // Coordinates beyond 4,000 km, which the binary reader refuses too.
      {R"({"Type": 2, "Points": [[0,0],[4000000000001,1]]})", "4000000000001"},
      {R"({"Type": 5, "Points": [[0,0],[1,1],[2,2]], "Center": [[-4000000000000,0]], "Radius": 1})", "arc extent"},
  };
  const QString path = TmpPath("wrong.json");
  for (const auto& [item, mentions] : cases) {
    SCOPED_TRACE(item);
    WriteAll(path, QByteArray(R"({"Layers": [{"Name": "A"}, {"Name": "B"}], "Items": [{"Type": 1, "Points": [[5,5]]}, )") +
                       item + "]}");
    const QString message = ExpectFailedLoad(open, path);
    EXPECT_TRUE(message.contains(QLatin1String(mentions))) << message.toStdString();
  }
}

TEST(DamagedFiles, UnknownKindsAreSkippedInJsonAndRefusedInBinary) {
  const QString json = TmpPath("kinds.json");
  WriteAll(json, R"({"Items": [
      {"Type": 0, "Points": [[0,0],[1,1]]},
      {"Type": 6, "Name": "a", "Points": [[0,0],[1,1]]},
      {"Type": 30, "Points": "not even read"},
      {"Type": 31, "Points": [[0,0],[1,1]]},
      {"Type": 1e300},
      {"Type": -7},
      {"Type": 2, "Name": "b", "Points": [[0,0],[1,1]]}
    ]})");
  TPlanoraFMX doc;
  ASSERT_TRUE(doc.LoadFromFile(json));
  ASSERT_EQ(doc.GetItemsCount(), 2);
  EXPECT_EQ(doc.GetItem(1)->GetName(), QStringLiteral("a"));
  EXPECT_EQ(doc.GetItem(2)->GetName(), QStringLiteral("b"));
  EXPECT_EQ(doc.SkippedItems(), 5);

  // Records that say nothing of their kind are skipped as well, and the rest still loads.
  WriteAll(json, R"({"Items": [
      {"Type": "abc", "Points": [[0,0],[1,1]]},
      42,
      {"Type": 6, "Name": "a", "Points": [[0,0],[1,1]]},
      "text", [6], null,
      {"Name": "no type", "Points": [[0,0],[1,1]]},
      {"Type": true},
      {"Type": 2, "Name": "b", "Points": [[0,0],[1,1]]}
    ]})");
  ASSERT_TRUE(doc.LoadFromFile(json));
  ASSERT_EQ(doc.GetItemsCount(), 2);
  EXPECT_EQ(doc.GetItem(2)->GetName(), QStringLiteral("b"));
  EXPECT_EQ(doc.SkippedItems(), 7);

  // A kind code of 0 in a stream is no item and takes only its four bytes.
  QByteArray zero(12, '\x07');
  PutInt32(zero, 0, 0);
  QBuffer buf(&zero);
  buf.open(QIODevice::ReadOnly);
  TBinaryReader r(&buf);
  TPlanoraFMX empty;
  EXPECT_EQ(empty.CreateFromStream(r, kFileVersion, TORVReadType::File), nullptr);
  EXPECT_EQ(r.Position(), 4);
  EXPECT_EQ(empty.GetItemsCount(), 0);

  // In a file, a code this build cannot read stops the load with the code in the message.
  const qsizetype header = EtiBytes(empty).size();
  TPlanoraFMX one;
  TPLNFactory::AddBaseRectangle(&one, 0, 0, 1000, 1000);
  const QByteArray good = EtiBytes(one);
  const QString eti = TmpPath("kind.eti");
  for (const std::int32_t code : {0, 30, 99, -1}) {
    SCOPED_TRACE(code);
    QByteArray bytes = good;
    PutInt32(bytes, header, code);
    WriteAll(eti, bytes);
    const QString message = ExpectFailedLoad(doc, eti);
    EXPECT_TRUE(message.contains(QStringLiteral("kind code %1").arg(code)) ||
                message.contains(QStringLiteral("(kind %1)").arg(code)))
        << message.toStdString();
  }
}

TEST(DamagedFiles, CoordinatesBeyondTheRangeFailInBothFormatsNamingTheItem) {
  TPlanoraFMX doc;
  TPLNFactory::AddBaseRectangle(&doc, 0, 0, 1000, 1000);
  TPLNFactory::AddBaseLine(&doc, 4000000000000, -4000000000000, -4000000000000, 4000000000000);
  // The edge of the range reads back from either format.
  for (const auto& [ext, name] : {std::pair{TORVExt::Eti, "edge.eti"}, std::pair{TORVExt::Json, "edge.json"}}) {
    doc.SaveToFile(TmpPath(QLatin1String(name)), ext);
    TPlanoraFMX back;
    ASSERT_TRUE(back.LoadFromFile(TmpPath(QLatin1String(name))));
    EXPECT_EQ(EtiBytes(back), EtiBytes(doc));
  }
  // One step beyond it, or anything a 64-bit number holds, fails naming the item.
  const QByteArray good = EtiBytes(doc);
  QByteArray edge(8, '\0');
  qToLittleEndian<std::int64_t>(4000000000000, reinterpret_cast<uchar*>(edge.data()));
  const qsizetype at = good.indexOf(edge);
  ASSERT_GT(at, 0);
  TPlanoraFMX open;
  const QString eti = TmpPath("far.eti");
  for (const std::int64_t far : {std::int64_t(4000000000001), std::int64_t(1) << 62, INT64_MIN}) {
    SCOPED_TRACE(far);
    QByteArray bytes = good;
    qToLittleEndian<std::int64_t>(far, reinterpret_cast<uchar*>(bytes.data() + at));
    WriteAll(eti, bytes);
    const QString message = ExpectFailedLoad(open, eti);
    EXPECT_TRUE(message.contains(QStringLiteral("item 2 of 2")) && message.contains(QString::number(far)))
        << message.toStdString();
  }
  // Points an item works out (a dimension's extension lines, 2 mm past its line) count too: saved,
  // they would not read back.
  const QString dim = TmpPath("far-dim.json");
  WriteAll(dim, R"({"Items": [{"Type": 26, "DimType": 0, "Points": [[0, 3999999990000], [500000, 3999999990000],
      [0, 3999999999000], [0, 0], [0, 3999999999999], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0]]}]})");
  const QString dimMessage = ExpectFailedLoad(open, dim);
  EXPECT_TRUE(dimMessage.contains(QLatin1String("item 1 (Dim)")) && dimMessage.contains(QLatin1String("4000000001999")))
      << dimMessage.toStdString();
  // A layer's picture margins take the same range.
  const QString json = TmpPath("far-margin.json");
  WriteAll(json, R"({"Layers": [{"Name": "A", "BackMargins": [0, 1e300, 0, 0]}], "Items": []})");
  EXPECT_TRUE(ExpectFailedLoad(open, json).contains(QLatin1String("BackMargins")));
}

TEST(DamagedFiles, BadValuesAreQuotedShortInMessages) {
  TPlanoraFMX open;
  const QString path = TmpPath("long-value.json");
  const QByteArray longName(100000, 'u');
  for (const QByteArray& value : {longName, QByteArray("m\\u0000m\\nx")}) {
    WriteAll(path, "{\"Units\": \"" + value + "\", \"Items\": []}");
    const QString message = ExpectFailedLoad(open, path);
    EXPECT_LT(message.size(), 200) << message.left(300).toStdString();
    EXPECT_FALSE(message.contains(QChar(0)) || message.contains(QChar('\n'))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("unknown unit \"") + (value == longName ? "uuuu" : "m\\0m\\nx")))
        << message.left(300).toStdString();
  }
}

TEST(SaveFile, ADrawingThatSkippedItemsIsSavedOnlyWhenAskedTo) {
  const QString json = TmpPath("skipping.json");
  WriteAll(json, R"({"Items": [{"Type": 6, "Name": "kept", "Points": [[0,0],[1,1]]}, {"Type": "abc"}, 7,
                               {"Type": 30, "Text": "a kind this build lacks"}]})");
  TPlanoraFMX doc;
  ASSERT_TRUE(doc.LoadFromFile(json));
  ASSERT_EQ(doc.SkippedItems(), 3);
  const QString out = TmpPath("skipping-out.eti");
  WriteAll(out, "older");
  for (const auto& [ext, target] : {std::pair{TORVExt::Eti, out}, std::pair{TORVExt::Json, json}}) {
    try {
      doc.SaveToFile(target, ext);
      ADD_FAILURE() << "saved " << target.toStdString();
    } catch (const EPLNError& e) {
      EXPECT_TRUE(e.Message().contains(QFileInfo(target).fileName()) && e.Message().contains(QLatin1String("3 items")))
          << e.what();
    }
  }
  // Neither file changed: not the source, not an older output.
  EXPECT_EQ(ReadAll(out), QByteArray("older"));
  EXPECT_TRUE(ReadAll(json).contains("a kind this build lacks"));
  doc.DropSkippedItems = true;
  doc.SaveToFile(out, TORVExt::Eti);
  TPlanoraFMX back;
  ASSERT_TRUE(back.LoadFromFile(out));
  ASSERT_EQ(back.GetItemsCount(), 1);
  EXPECT_EQ(back.GetItem(1)->GetName(), QStringLiteral("kept"));
  // A drawing read whole saves as before, whatever the last one skipped.
  EXPECT_EQ(back.SkippedItems(), 0);
  back.SaveToFile(TmpPath("skipping-again.json"), TORVExt::Json);
  ASSERT_TRUE(doc.LoadFromFile(TmpPath("skipping-again.json")));
  EXPECT_EQ(doc.SkippedItems(), 0);
  doc.SaveToFile(TmpPath("skipping-again.eti"), TORVExt::Eti);
  // The choice to drop was about that drawing: the next one that skips items is refused again.
  ASSERT_TRUE(doc.LoadFromFile(json));
  EXPECT_FALSE(doc.DropSkippedItems);
  EXPECT_THROW(doc.SaveToFile(out, TORVExt::Eti), EPLNError);
}

TEST(DamagedFiles, OtherExtensionsLoadNothingAndMissingFilesFail) {
  TPlanoraFMX sample;
  BuildSample(sample);
  TPlanoraFMX open;
  ASSERT_TRUE(open.LoadFromFile(Sample("labels-basic.json")));
  const QByteArray before = EtiBytes(open);
  for (const char* name : {"caps.ETI", "caps.JSON", "drawing.txt", "drawing.eti.bak", "noext"}) {
    SCOPED_TRACE(name);
    WriteAll(TmpPath(QLatin1String(name)), EtiBytes(sample));
    EXPECT_FALSE(open.LoadFromFile(TmpPath(QLatin1String(name))));
    EXPECT_EQ(EtiBytes(open), before);
  }
  ExpectFailedLoad(open, TmpPath("does-not-exist.eti"));
  ExpectFailedLoad(open, TmpPath("does-not-exist.json"));
}

TEST(SaveFile, FailuresKeepTheOldFile) {
  TPlanoraFMX doc;
  BuildSample(doc);
  const QString dir = TmpDir(QStringLiteral("save"));
  const QString plain = dir + QStringLiteral("/plain");
  WriteAll(plain, "a regular file");
  for (const QString& target : {dir + QStringLiteral("/missing/dir/x.eti"), plain + QStringLiteral("/x.json")}) {
    SCOPED_TRACE(target.toStdString());
    for (TORVExt ext : {TORVExt::Eti, TORVExt::Json}) {
      try {
        doc.SaveToFile(target, ext);
        ADD_FAILURE() << "saved";
      } catch (const EPLNError& e) {
        EXPECT_TRUE(e.Message().contains(QFileInfo(target).fileName())) << e.what();
      }
    }
  }
  EXPECT_EQ(ReadAll(plain), QByteArray("a regular file"));

  // A read-only target stays as it was (root writes through permissions, so only as a user).
  const QString ro = dir + QStringLiteral("/readonly.eti");
  WriteAll(ro, "old");
  QFile::setPermissions(ro, QFileDevice::ReadOwner);
  if (geteuid() != 0) {
    EXPECT_THROW(doc.SaveToFile(ro, TORVExt::Eti), EPLNError);
    EXPECT_EQ(ReadAll(ro), QByteArray("old"));
  }
  QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

  // A write that fails half-way (the disk fills up) leaves the previous file whole and no other.
  const QString full = dir + QStringLiteral("/full.eti");
  WriteAll(full, QByteArray(300, 'o'));
  ASSERT_GT(EtiBytes(doc).size(), 1000);
  WithFileSizeLimit(512, [&] {
    for (TORVExt ext : {TORVExt::Eti, TORVExt::Json}) EXPECT_THROW(doc.SaveToFile(full, ext), EPLNError);
  });
  EXPECT_EQ(ReadAll(full), QByteArray(300, 'o'));
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 3)
      << QDir(dir).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();

  // A successful save replaces it, keeps its permissions and clears the modified flag.
  ASSERT_TRUE(doc.GetModified());
  const auto shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
  QFile::setPermissions(full, shared);
  doc.SaveToFile(full, TORVExt::Eti);
  EXPECT_FALSE(doc.GetModified());
  EXPECT_EQ(ReadAll(full), EtiBytes(doc));
  EXPECT_EQ(QFile::permissions(full) & 0x7077, shared);  // owner, group and others
  TPLNFactory::AddBasePoint(&doc, 0, 0);
  EXPECT_TRUE(doc.GetModified());
}
