// Damaged, foreign and unwritable files: clear errors that name the file, the open document left
// exactly as it was, never a crash.
#include <QFileInfo>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "FilesSupport.h"

using namespace FilesTest;

namespace {

QString Sample(const char* name) { return QStringLiteral(PLANORA_SOURCE_DIR "/examples/") + QLatin1String(name); }

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
  TPlanoraFMX sample;
  BuildSample(sample);
  const QByteArray full = EtiBytes(sample);
  const QString path = TmpPath("flipped.eti");
  int failures = 0, loads = 0;
  for (qsizetype at = 0; at < full.size(); at += 3) {
    for (const uchar mask : {uchar(0xFF), uchar(0x80), uchar(0x01)}) {
      QByteArray bytes = full;
      bytes[at] = static_cast<char>(static_cast<uchar>(bytes[at]) ^ mask);
      WriteAll(path, bytes);
      TPlanoraFMX doc;
      try {
        ASSERT_TRUE(doc.LoadFromFile(path));
        ++loads;
        // Whatever was read must save again.
        EtiBytes(doc);
        doc.GetJson();
      } catch (const EPLNError& e) {
        ++failures;
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("flipped.eti: "))) << e.what();
      }
    }
  }
  // Both outcomes happen: coordinates take any value, lengths and counts do not.
  EXPECT_GT(loads, 0);
  EXPECT_GT(failures, 0);
}

TEST(DamagedFiles, JsonErrorsNameTheFileAndTheProblem) {
  TPlanoraFMX open;
  ASSERT_TRUE(open.LoadFromFile(Sample("shapes.json")));

  const QString bad = TmpPath("syntax.json");
  WriteAll(bad, "{\n \"Version\": 3200,\n \"Items\": [ {\"Type\": 6,, } ]\n}\n");
  EXPECT_TRUE(ExpectFailedLoad(open, bad).contains(QStringLiteral("line 3")));

  struct Case {
    const char* item;
    const char* mentions;
  };
  const Case cases[] = {
      {R"({"Type": 6, "Color": true, "Points": [[0,0],[1,1]]})", "Color"},
      {R"({"Type": 6, "Points": "none"})", "Points"},
      {R"({"Type": 6, "Points": [[0,0],[1]]})", "Points"},
      {R"({"Type": 2, "PenWidth": "thin", "Points": [[0,0],[1,1]]})", "PenWidth"},
      {R"({"Type": 6, "Filled": 1, "Points": [[0,0],[1,1]]})", "Filled"},
      {R"({"Type": 4, "FromType": "arrow", "Points": [[0,0],[1,1]]})", "FromType"},
      {R"({"Type": 6, "Name": 12, "Points": [[0,0],[1,1]]})", "Name"},
      {R"({"Type": "6", "Points": [[0,0],[1,1]]})", "Type"},
      {R"({"Type": 6, "Layer": 3, "Points": [[0,0],[1,1]]})", "layer 3"},
      {R"({"Type": 2, "Layer": 0, "Points": [[0,0],[1,1]]})", "layer 0"},
      {R"({"Type": 6, "Points": [[0,0]]})", "2 points"},
      {R"(42)", "item 2"},
  };
  const QString path = TmpPath("wrong.json");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    WriteAll(path, QByteArray(R"({"Layers": [{"Name": "A"}, {"Name": "B"}], "Items": [{"Type": 1, "Points": [[5,5]]}, )") +
                       c.item + "]}");
    const QString message = ExpectFailedLoad(open, path);
    EXPECT_TRUE(message.contains(QLatin1String(c.mentions))) << message.toStdString();
  }
}

TEST(DamagedFiles, UnknownJsonKindsAreSkipped) {
  const QString path = TmpPath("kinds.json");
  WriteAll(path, R"({"Items": [
      {"Type": 0, "Points": [[0,0],[1,1]]},
      {"Type": 6, "Name": "a", "Points": [[0,0],[1,1]]},
      {"Type": 30, "Points": "not even read"},
      {"Type": 10, "Points": [[0,0],[1,1]]},
      {"Type": 1e300},
      {"Type": -7},
      {"Type": 2, "Name": "b", "Points": [[0,0],[1,1]]}
    ]})");
  TPlanoraFMX doc;
  ASSERT_TRUE(doc.LoadFromFile(path));
  ASSERT_EQ(doc.GetItemsCount(), 2);
  EXPECT_EQ(doc.GetItem(1)->GetName(), QStringLiteral("a"));
  EXPECT_EQ(doc.GetItem(2)->GetName(), QStringLiteral("b"));
  EXPECT_EQ(doc.SkippedItems(), 5);
}

TEST(DamagedFiles, OtherExtensionsLoadNothing) {
  TPlanoraFMX sample;
  BuildSample(sample);
  const QByteArray bytes = EtiBytes(sample);
  TPlanoraFMX open;
  ASSERT_TRUE(open.LoadFromFile(Sample("labels-basic.json")));
  const QByteArray before = EtiBytes(open);
  for (const char* name : {"caps.ETI", "caps.JSON", "drawing.txt", "drawing.eti.bak", "noext"}) {
    SCOPED_TRACE(name);
    const QString path = TmpPath(QLatin1String(name));
    WriteAll(path, bytes);
    EXPECT_FALSE(open.LoadFromFile(path));
    EXPECT_EQ(EtiBytes(open), before);
  }
  // A missing file of a known kind is an error, not a silent no-op.
  ExpectFailedLoad(open, TmpPath("does-not-exist.eti"));
  ExpectFailedLoad(open, TmpPath("does-not-exist.json"));
}

TEST(DamagedFiles, KindCodes) {
  // A kind code of 0 is no item and takes only its four bytes.
  {
    TPlanoraFMX doc;
    QByteArray bytes(12, '\x07');
    PutInt32(bytes, 0, 0);
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    TBinaryReader r(&buf);
    EXPECT_EQ(doc.CreateFromStream(r, kFileVersion, TORVReadType::File), nullptr);
    EXPECT_EQ(r.Position(), 4);
    EXPECT_EQ(doc.GetItemsCount(), 0);
  }
  // In a file, a code this build cannot read stops the load with the code in the message.
  TPlanoraFMX empty;
  const qsizetype header = EtiBytes(empty).size();
  TPlanoraFMX one;
  TPLNFactory::AddBaseRectangle(&one, 0, 0, 1000, 1000);
  const QByteArray good = EtiBytes(one);
  TPlanoraFMX open;
  ASSERT_TRUE(open.LoadFromFile(Sample("shapes.json")));
  const QString path = TmpPath("kind.eti");
  for (const std::int32_t code : {0, 3, 10, 29, 30, 99, -1}) {
    SCOPED_TRACE(code);
    QByteArray bytes = good;
    PutInt32(bytes, header, code);
    WriteAll(path, bytes);
    const QString message = ExpectFailedLoad(open, path);
    EXPECT_TRUE(message.contains(QStringLiteral("kind code %1").arg(code)) ||
                message.contains(QStringLiteral("(kind %1)").arg(code)))
        << message.toStdString();
  }
}

TEST(SaveFile, FailuresKeepTheOldFile) {
  TPlanoraFMX doc;
  BuildSample(doc);
  const QString dir = TmpPath("save");
  QDir().mkpath(dir);
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

  // A write that fails half-way (the disk fills up) leaves the previous file whole.
  const QString full = dir + QStringLiteral("/full.eti");
  const QByteArray old(300, 'o');
  WriteAll(full, old);
  const QByteArray expected = EtiBytes(doc);
  ASSERT_GT(expected.size(), 1000);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 512;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  for (TORVExt ext : {TORVExt::Eti, TORVExt::Json}) {
    bool threw = false;
    try {
      doc.SaveToFile(full, ext);
    } catch (const EPLNError&) {
      threw = true;
    }
    EXPECT_TRUE(threw);
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(ReadAll(full), old);
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 3) << QDir(dir).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();

  // A successful save replaces it and clears the modified flag.
  ASSERT_TRUE(doc.GetModified());
  doc.SaveToFile(full, TORVExt::Eti);
  EXPECT_FALSE(doc.GetModified());
  EXPECT_EQ(ReadAll(full), expected);
  TPLNFactory::AddBasePoint(&doc, 0, 0);
  EXPECT_TRUE(doc.GetModified());
  doc.SaveToFile(TmpPath("modified.json"), TORVExt::Json);
  EXPECT_FALSE(doc.GetModified());
}
