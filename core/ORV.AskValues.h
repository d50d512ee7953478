#pragma once
// Values a label design asks for when it is printed (a batch number, a best-before date, how
// many labels to print, a choice from a list), and the file that carries counters from one print
// run to the next.

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "ORV.BinaryIO.h"

namespace Orv {

// The user or the application chose not to give the values: nothing prints, and no one needs
// to be told why.
class EPLNCancelled : public EPLNError {
 public:
  EPLNCancelled();
};

enum class TORVAskKind : std::uint8_t { Text = 0, Date = 1, Number = 2, Copies = 3, List = 4 };
constexpr int kAskKinds = 5;
// Where the values of a list come from.
enum class TORVListSource : std::uint8_t { Design = 0, File = 1, Application = 2 };

class TPLNAskValue {
 public:
  static constexpr int kMaxCopies = 50000;
  static constexpr int kMaxAsks = 20;
  static QString DefaultDateFormat() { return QStringLiteral("dd/MM/yyyy"); }

  // The data field an item binds to show the value.
  QString Name;
  // What the user is asked ("Batch number"); the name when empty.
  QString Prompt;
  TORVAskKind Kind = TORVAskKind::Text;
  // Dates: the form of the value (Qt date format, "dd/MM/yyyy" when empty).
  QString Format;
  // Offered first when the user is asked.
  QString Default;
  // Lists: where the values come from, the values given in the design, the text file read.
  TORVListSource ListSource = TORVListSource::Design;
  QStringList List;
  QString ListFile;

  QString DateFormat() const { return Format.isEmpty() ? DefaultDateFormat() : Format; }
  QString Caption() const { return Prompt.isEmpty() ? Name : Prompt; }

  void Write(TBinaryWriter& w) const;
  void Read(TBinaryReader& r);
  QJsonObject ToJson() const;
  // Raises EPLNError on a missing name or an unknown kind or list source.
  void FromJson(const QJsonObject& o);
  friend bool operator==(const TPLNAskValue& a, const TPLNAskValue& b) = default;
};

// JSON names of the kinds and list sources ("text", "date", "number", "copies", "list";
// "design", "file", "application"); false for an unknown name.
QString AskKindName(TORVAskKind k);
bool AskKindFromName(const QString& name, TORVAskKind* k);

// One value per line, lines trimmed, empty lines skipped. EPLNError naming the value and the
// file when it cannot be read.
QStringList ReadListFile(const TPLNAskValue& a, const QString& path);

// Raises EPLNError naming the value when `value` does not fit `a`: missing (null), not a date
// in its format, not a number, copies out of 1..kMaxCopies, an empty list or a value not in it.
void CheckAskValue(const TPLNAskValue& a, const QString& value, const QStringList& list, bool given);

// ---- counters file: {counter name: next number}
// The numbers kept in `path`; empty when the file does not exist yet. EPLNError naming the file
// when it exists and is not such an object.
QHash<QString, std::int64_t> ReadCountersFile(const QString& path);
// Merges `next` into the file (names kept in it for other designs stay), through a temporary
// file renamed over it. EPLNError naming the file when it cannot be written.
void WriteCountersFile(const QString& path, const QHash<QString, std::int64_t>& next);
// Tries to write the file without changing it; EPLNError naming it when that fails.
void CheckCountersFileWritable(const QString& path);

}  // namespace Orv
