#pragma once
// Message tables: every user-visible text is looked up by a fixed key.
//
// The built-in tables are English. A language file replaces them for the whole process:
//   {"Language": "Español", "Dialogs": {key: text}, "Editor": {...}, "Errors": {...},
//    "Lists": {...}, "Props": {...}}
// Keys a file leaves out keep their English text. Lookups are safe from any thread while the
// language changes: a switch swaps one immutable set of tables.

#include <QString>
#include <QStringList>
#include <functional>

namespace Orv {

enum class TORVMsgTable { Dialogs, Editor, Errors, Lists, Props };

class TPLNMsg {
 public:
  static QString GetDialogsValue(const QString& key);
  static QString GetEditorValue(const QString& key);
  static QString GetErrorValue(const QString& key);
  static QString GetListValue(const QString& key);
  static QString GetPropValue(const QString& key);
  static QString GetValue(TORVMsgTable table, const QString& key);
  // The English text whatever language is in force (texts for AI agents never change language).
  static QString GetEnglishValue(TORVMsgTable table, const QString& key);

  // Loads a language file. On failure returns false, leaves the language as it was and puts the
  // reason in `message`. On success `message` is empty, or names the keys that stay English.
  static bool LoadLanguageFile(const QString& fileName, QString& message);
  // Back to the built-in English tables.
  static void SetEnglish();
  // "English", or the "Language" name of the loaded file.
  static QString GetLanguageName();
  // The file in force ("" for English).
  static QString GetLanguageFileName();
  // The keys of one built-in table, sorted.
  static QStringList GetKeys(TORVMsgTable table);
  // The name of a table as language files spell it ("Dialogs", "Editor", ...).
  static QString TableName(TORVMsgTable table);

  // Called once per key that no table has (the key itself is shown instead), on the thread that
  // asked, with a ready-to-show text. Null turns the reports off.
  using TNotFoundHandler = std::function<void(const QString& key, const QString& message)>;
  static void SetNotFoundHandler(TNotFoundHandler handler);
  // Forget which keys were already reported (tests).
  static void ResetNotFoundReports();

  // While one lives, error texts looked up on this thread are English: failures that reach an AI
  // agent never change language, while the windows keep theirs.
  class TEnglishErrors {
   public:
    TEnglishErrors();
    ~TEnglishErrors();
    TEnglishErrors(const TEnglishErrors&) = delete;
    TEnglishErrors& operator=(const TEnglishErrors&) = delete;
  };
};

}  // namespace Orv
