// Language files: loading, falling back to English, refusing damaged files, the shipped Spanish
// file against the English tables, and the keys the sources ask for.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <atomic>
#include <thread>

#include "ORV.FMX.h"
#include "ORV.Inspector.h"
#include "ORV.Msg.h"
#include "../mcp/ToolsFixture.h"

using namespace Orv;

namespace {

const TORVMsgTable kTables[] = {TORVMsgTable::Dialogs, TORVMsgTable::Editor, TORVMsgTable::Errors,
                                TORVMsgTable::Lists, TORVMsgTable::Props};

QString SourceDir() { return QStringLiteral(PLANORA_SOURCE_DIR); }
QString Spanish() { return SourceDir() + QStringLiteral("/resources/lang/es.json"); }

QString WriteFile(const QString& name, const QByteArray& bytes) {
  QDir().mkpath(QStringLiteral(PLANORA_TEST_TMP));
  const QString path = QStringLiteral(PLANORA_TEST_TMP "/") + name;
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
  return path;
}

// Every test leaves the process in English.
struct English : ::testing::Test {
  void SetUp() override { TPLNMsg::SetEnglish(); }
  void TearDown() override {
    TPLNMsg::SetEnglish();
    TPLNMsg::SetNotFoundHandler(nullptr);
    TPLNMsg::ResetNotFoundReports();
  }
};

// The %1.. placeholders of a text, sorted.
QStringList Placeholders(const QString& text) {
  QStringList found;
  for (const auto& m : QRegularExpression(QStringLiteral("%\\d")).globalMatch(text)) found << m.captured();
  found.sort();
  return found;
}

}  // namespace

using LanguageFile = English;

TEST_F(LanguageFile, SpanishHasEveryKeyAndNoOther) {
  QFile f(Spanish());
  ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "missing " << Spanish().toStdString();
  QJsonParseError error{};
  const QJsonObject root = QJsonDocument::fromJson(f.readAll(), &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  EXPECT_EQ(root.value(QStringLiteral("Language")).toString(), QStringLiteral("Español"));
  QStringList missing, unknown, placeholders;
  for (TORVMsgTable t : kTables) {
    const QString name = TPLNMsg::TableName(t);
    const QJsonObject table = root.value(name).toObject();
    const QStringList english = TPLNMsg::GetKeys(t);
    for (const QString& key : english) {
      if (!table.contains(key)) missing << name + QLatin1Char('/') + key;
      else if (Placeholders(table.value(key).toString()) != Placeholders(TPLNMsg::GetEnglishValue(t, key)))
        placeholders << name + QLatin1Char('/') + key;
    }
    for (const QString& key : table.keys())
      if (!english.contains(key)) unknown << name + QLatin1Char('/') + key;
  }
  EXPECT_TRUE(missing.isEmpty()) << "keys missing from es.json: " << missing.join(QStringLiteral(", ")).toStdString();
  EXPECT_TRUE(unknown.isEmpty()) << "keys in es.json that English lacks: " << unknown.join(QStringLiteral(", ")).toStdString();
  EXPECT_TRUE(placeholders.isEmpty()) << "placeholders differ: " << placeholders.join(QStringLiteral(", ")).toStdString();
  QString message;
  EXPECT_TRUE(TPLNMsg::LoadLanguageFile(Spanish(), message));
  EXPECT_TRUE(message.isEmpty()) << message.toStdString();
}

// Literal keys handed to the lookups and to the helpers around them, in every source folder; and
// texts for agents (mcp/) only ever in English.
TEST_F(LanguageFile, EverySourceKeyIsInItsEnglishTable) {
  struct TPattern {
    const char* Call;    // a regular expression ending where the quoted key starts
    TORVMsgTable Table;
    const char* Folder;  // helpers of one folder only; null for every folder
  };
  const TPattern patterns[] = {
      {R"(GetDialogsValue\()", TORVMsgTable::Dialogs, nullptr},
      {R"(GetEditorValue\()", TORVMsgTable::Editor, nullptr},
      {R"(GetErrorValue\()", TORVMsgTable::Errors, nullptr},
      {R"(GetListValue\()", TORVMsgTable::Lists, nullptr},
      {R"(GetPropValue\()", TORVMsgTable::Props, nullptr},
      // KeyedText, SetKeyedToolTip, AddKeyedItem, GetValue and GetEnglishValue name their table
      {R"(TORVMsgTable::Dialogs, )", TORVMsgTable::Dialogs, nullptr},
      {R"(TORVMsgTable::Editor, )", TORVMsgTable::Editor, nullptr},
      {R"(TORVMsgTable::Errors, )", TORVMsgTable::Errors, nullptr},
      {R"(TORVMsgTable::Lists, )", TORVMsgTable::Lists, nullptr},
      {R"(TORVMsgTable::Props, )", TORVMsgTable::Props, nullptr},
      {R"(\bDlg\()", TORVMsgTable::Dialogs, "dialogs"},
      {R"(\bText\()", TORVMsgTable::Dialogs, "dialogs"},
      {R"(\bProp\()", TORVMsgTable::Props, "dialogs"},
      {R"(\bErr\()", TORVMsgTable::Errors, "dialogs"},
      {R"(\bTxt\()", TORVMsgTable::Dialogs, "apps"},
      {R"(\bKeyTxt\()", TORVMsgTable::Dialogs, "apps"},
  };
  const QString wrap = QStringLiteral(R"re((?:QStringLiteral\(|QLatin1String\(|QString::fromLatin1\()?"((?:[^"\\]|\\.)*)")re");
  const QRegularExpression translated(QStringLiteral(R"(TPLNMsg::Get(Dialogs|Editor|Error|List|Prop)Value\b)"));
  QStringList bad, forAgents;
  int found = 0;
  for (const char* folder : {"apps", "core", "rendering", "items", "factory", "editor", "inspector", "dialogs", "mcp",
                             "animation", "views"}) {
    QDirIterator it(SourceDir() + QLatin1Char('/') + QLatin1String(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      QFile f(it.next());
      ASSERT_TRUE(f.open(QIODevice::ReadOnly));
      const QString text = QString::fromUtf8(f.readAll());
      const QString file = QFileInfo(f.fileName()).fileName();
      if (qstrcmp(folder, "mcp") == 0 && text.contains(translated)) forAgents << file;
      for (const TPattern& p : patterns) {
        if (p.Folder && qstrcmp(p.Folder, folder) != 0) continue;
        const QRegularExpression re(QLatin1String(p.Call) + wrap);
        for (const auto& m : re.globalMatch(text)) {
          const QString key = m.captured(1);
          if (key.contains(QLatin1Char('%'))) continue;  // a key made with arg(), not a literal
          // A prefix ("Kind" + name) is no key either.
          int after = m.capturedEnd(0);
          while (after < text.size() && (text[after] == QLatin1Char(')') || text[after] == QLatin1Char(' '))) ++after;
          if (after < text.size() && text[after] == QLatin1Char('+')) continue;
          ++found;
          if (!TPLNMsg::GetKeys(p.Table).contains(key))
            bad << QStringLiteral("%1: %2/%3").arg(file, TPLNMsg::TableName(p.Table), key);
        }
      }
    }
  }
  EXPECT_GT(found, 300);  // the scan really reads the sources
  EXPECT_TRUE(bad.isEmpty()) << "keys no English table has:\n" << bad.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(forAgents.isEmpty()) << "mcp/ uses translated texts: " << forAgents.join(QStringLiteral(", ")).toStdString();
}

TEST_F(LanguageFile, DamagedFilesAreRefusedAndTheLanguageStays) {
  QString message;
  const QString good = WriteFile(QStringLiteral("good.json"),
                                 R"({"Language": "Testish", "Dialogs": {"Ok": "Okay-ish"}})");
  ASSERT_TRUE(TPLNMsg::LoadLanguageFile(good, message)) << message.toStdString();
  ASSERT_EQ(TPLNMsg::GetDialogsValue(QStringLiteral("Ok")), QStringLiteral("Okay-ish"));

  const struct {
    const char* Name;
    QByteArray Bytes;
    const char* Says;  // part of the message
  } cases[] = {
      {"truncated.json", R"({"Language": "Broken", "Dialogs": {"Ok": "Vale")", "not valid JSON"},
      {"array.json", R"(["Language", "Broken"])", "not valid JSON"},
      {"noname.json", R"({"Dialogs": {"Ok": "Vale"}})", "\"Language\""},
      {"tablearray.json", R"({"Language": "Broken", "Errors": ["x"]})", "\"Errors\""},
      {"number.json", R"({"Language": "Broken", "Props": {"Width": 12}})", "\"Props/Width\""},
  };
  for (const auto& c : cases) {
    const QString path = WriteFile(QLatin1String(c.Name), c.Bytes);
    EXPECT_FALSE(TPLNMsg::LoadLanguageFile(path, message)) << c.Name;
    EXPECT_TRUE(message.contains(QLatin1String(c.Says))) << c.Name << ": " << message.toStdString();
    EXPECT_TRUE(message.contains(QLatin1String(c.Name))) << "the message names the file: " << message.toStdString();
    EXPECT_EQ(TPLNMsg::GetLanguageName(), QStringLiteral("Testish")) << c.Name;
    EXPECT_EQ(TPLNMsg::GetDialogsValue(QStringLiteral("Ok")), QStringLiteral("Okay-ish")) << c.Name;
  }
  EXPECT_FALSE(TPLNMsg::LoadLanguageFile(QStringLiteral(PLANORA_TEST_TMP "/no-such-file.json"), message));
  EXPECT_TRUE(message.contains(QLatin1String("no-such-file.json"))) << message.toStdString();
  EXPECT_EQ(TPLNMsg::GetLanguageFileName(), good);

  // The document's property raises the same refusal and changes nothing either.
  Fmx::TPlanoraFMX doc;
  EXPECT_EQ(doc.GetLanguageFileName(), good);
  EXPECT_THROW(doc.SetLanguageFileName(WriteFile(QStringLiteral("bad2.json"), "{")), EPLNError);
  EXPECT_EQ(doc.GetLanguageFileName(), good);
  doc.SetLanguageFileName(QString());
  EXPECT_EQ(TPLNMsg::GetLanguageName(), QStringLiteral("English"));
  EXPECT_EQ(TPLNMsg::GetDialogsValue(QStringLiteral("Ok")), QStringLiteral("OK"));
}

TEST_F(LanguageFile, AnIncompleteFileFallsBackToEnglishAndSaysWhatIsMissing) {
  const QString path = WriteFile(QStringLiteral("partial.json"),
                                 R"({"Language": "Partial", "Dialogs": {"Ok": "Vale", "Cancel": "Cancelar"},
                                     "Errors": {"NoLayer": "No existe esa capa."}, "Props": {"NotAKey": "x"}})");
  QString message;
  ASSERT_TRUE(TPLNMsg::LoadLanguageFile(path, message));
  EXPECT_EQ(TPLNMsg::GetLanguageName(), QStringLiteral("Partial"));
  EXPECT_EQ(TPLNMsg::GetDialogsValue(QStringLiteral("Ok")), QStringLiteral("Vale"));
  EXPECT_EQ(TPLNMsg::GetErrorValue(QStringLiteral("NoLayer")), QStringLiteral("No existe esa capa."));
  // Left out: English; English kept for other threads' texts for agents.
  EXPECT_EQ(TPLNMsg::GetDialogsValue(QStringLiteral("Layers")), QStringLiteral("Layers"));
  EXPECT_EQ(TPLNMsg::GetEnglishValue(TORVMsgTable::Dialogs, QStringLiteral("Ok")), QStringLiteral("OK"));
  int total = 0;
  for (TORVMsgTable t : kTables) total += TPLNMsg::GetKeys(t).size();
  EXPECT_TRUE(message.contains(QString::number(total - 3))) << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("Dialogs/")) && message.contains(QStringLiteral("more")))
      << message.toStdString();
  EXPECT_FALSE(message.contains(QStringLiteral("Dialogs/Ok,"))) << message.toStdString();

  // Through the document the note reaches the host's information event.
  TPLNMsg::SetEnglish();
  Fmx::TPlanoraFMX doc;
  QString note;
  doc.OnInfoMsg = [&note](const QString& text) { note = text; };
  doc.SetLanguageFileName(path);
  EXPECT_TRUE(note.contains(QLatin1String("partial.json"))) << note.toStdString();
  EXPECT_EQ(doc.GetLanguageFileName(), path);
}

TEST_F(LanguageFile, AnUnknownKeyShowsItselfAndIsReportedOnce) {
  QStringList reports;
  TPLNMsg::SetNotFoundHandler([&reports](const QString& key, const QString& message) {
    reports << key;
    EXPECT_TRUE(message.contains(key));
  });
  EXPECT_EQ(TPLNMsg::GetDialogsValue(QStringLiteral("NoSuchKeyA")), QStringLiteral("NoSuchKeyA"));
  EXPECT_EQ(TPLNMsg::GetPropValue(QStringLiteral("NoSuchKeyA")), QStringLiteral("NoSuchKeyA"));
  EXPECT_EQ(TPLNMsg::GetErrorValue(QStringLiteral("NoSuchKeyB")), QStringLiteral("NoSuchKeyB"));
  EXPECT_EQ(TPLNMsg::GetDialogsValue(QStringLiteral("Ok")), QStringLiteral("OK"));
  EXPECT_EQ(reports, (QStringList{QStringLiteral("NoSuchKeyA"), QStringLiteral("NoSuchKeyB")}));
  // A key of one table is not found in another.
  EXPECT_EQ(TPLNMsg::GetEditorValue(QStringLiteral("Ok")), QStringLiteral("Ok"));
  EXPECT_EQ(reports.size(), 3);
}

// Lookups on other threads during switches read one whole language or the other.
TEST_F(LanguageFile, LookupsDuringSwitchesSeeOneLanguage) {
  QString message;
  const QString path = WriteFile(QStringLiteral("switch.json"), R"({"Language": "S", "Dialogs": {"Ok": "Vale"}})");
  std::atomic<bool> stop{false};
  std::atomic<int> odd{0};
  std::thread reader([&] {
    while (!stop) {
      const QString v = TPLNMsg::GetDialogsValue(QStringLiteral("Ok"));
      if (v != QLatin1String("OK") && v != QLatin1String("Vale")) ++odd;
    }
  });
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(TPLNMsg::LoadLanguageFile(path, message));
    TPLNMsg::SetEnglish();
  }
  stop = true;
  reader.join();
  EXPECT_EQ(odd, 0);
}

// The inspector shows every caption, group, choice and kind of every item in the samples from
// the tables: not one of them is missing.
TEST_F(LanguageFile, TheInspectorFindsEveryTextItShows) {
  QStringList missing;
  TPLNMsg::SetNotFoundHandler([&missing](const QString& key, const QString&) { missing << key; });
  TPLNMsg::ResetNotFoundReports();
  QSet<QString> kinds;
  int rows = 0;
  for (const QFileInfo& file : QDir(SourceDir() + QStringLiteral("/examples")).entryInfoList({QStringLiteral("*.json")})) {
    Fmx::TPlanoraFMX doc;
    ASSERT_TRUE(doc.LoadFromFile(file.filePath())) << file.fileName().toStdString();
    for (int i = 1; i <= doc.GetItemsCount(); ++i) {
      doc.ClearSelection();
      doc.Select(doc.GetItem(i));
      kinds << doc.GetItem(i)->KindName();
      rows += Ins::FillInspector(doc, Ins::kAllBase, ~Ins::TORVInsTypes(0)).size();
    }
  }
  EXPECT_GE(kinds.size(), 15);  // most kinds are in the samples
  EXPECT_GT(rows, 500);
  EXPECT_TRUE(missing.isEmpty()) << "keys the tables lack: " << missing.join(QStringLiteral(", ")).toStdString();
}

// Failures for agents stay English on the agent's thread only; the windows keep their language.
TEST_F(LanguageFile, ErrorsForAgentsStayEnglish) {
  QString message;
  ASSERT_TRUE(TPLNMsg::LoadLanguageFile(Spanish(), message));
  const QString spanishError = TPLNMsg::GetErrorValue(QStringLiteral("NoLayer"));
  ASSERT_NE(spanishError, TPLNMsg::GetEnglishValue(TORVMsgTable::Errors, QStringLiteral("NoLayer")));
  {
    const TPLNMsg::TEnglishErrors english;
    EXPECT_EQ(TPLNMsg::GetErrorValue(QStringLiteral("NoLayer")), QStringLiteral("There is no such layer."));
    EXPECT_EQ(TPLNMsg::GetDialogsValue(QStringLiteral("Ok")), QStringLiteral("Aceptar"));
    QString other;
    std::thread([&other] { other = TPLNMsg::GetErrorValue(QStringLiteral("NoLayer")); }).join();
    EXPECT_EQ(other, spanishError);
  }
  EXPECT_EQ(TPLNMsg::GetErrorValue(QStringLiteral("NoLayer")), spanishError);
}

// A tool call that fails inside the drawing answers the agent in English whatever the windows show.
TEST_F(LanguageFile, AToolFailureAnswersInEnglish) {
  QString message;
  ASSERT_TRUE(TPLNMsg::LoadLanguageFile(Spanish(), message));
  const QString file = WriteFile(QStringLiteral("garbage.eti"), QByteArray(64, 'x'));
  PlanoraTest::TTools t;
  const QString text = t.Refused(QStringLiteral("load_drawing"), {{"filename", file}});
  EXPECT_TRUE(text.contains(TPLNMsg::GetEnglishValue(TORVMsgTable::Errors, QStringLiteral("NotDrawing")))) << text.toStdString();
  EXPECT_FALSE(text.contains(TPLNMsg::GetErrorValue(QStringLiteral("NotDrawing")))) << text.toStdString();
}
