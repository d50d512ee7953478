#pragma once
// Data sources for data-bound labels: a table of records whose fields are named by a header,
// read from CSV or from a JSON array of objects. Every value is text; formatting happens when a
// label asks for a value (FormatDataValue).

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace Orv {

class TPLNDataSource {
 public:
  // CSV after RFC 4180: the first row names the fields; fields may be quoted ("" is a quote
  // inside quotes, and quoted fields may hold commas and line breaks); lines end in CRLF or LF;
  // UTF-8 with or without a byte order mark. Blank lines are passed over. A row with another
  // number of fields than the header, invalid UTF-8 or an unclosed quote raises EPLNError
  // "NAME: line N: ...". `name` is what the messages call the file.
  static TPLNDataSource FromCsv(const QByteArray& data, const QString& name);
  // A JSON array of objects, one record each. Fields are the keys in order of first appearance
  // (an object's own keys alphabetically: JSON keeps no order); a record without a key has an
  // empty value there. Strings are kept, numbers are written with
  // a decimal point in their shortest exact form, true/false as such, null as empty text.
  static TPLNDataSource FromJson(const QByteArray& data, const QString& name);
  // By extension: ".csv" or ".json" (case-insensitive). Errors name the file.
  static TPLNDataSource FromFile(const QString& fileName);

  const QStringList& Fields() const { return fFields; }
  // Exact name first, then ignoring case; -1 when no field has the name.
  int FieldIndex(const QString& name) const;
  int RecordCount() const { return static_cast<int>(fRecords.size()); }
  // Empty text outside the table.
  QString Value(int record, int field) const;
  // The same fields with `count` records from `first` on (clipped to the table): one shard of a
  // large run.
  TPLNDataSource Slice(int first, int count) const;
  // Every record `times` times, and when `countField` names a field, as many times again as
  // that field's whole number says (0 or no number: none of that record). Names the source in
  // an EPLNError when the run would pass `maxRecords`.
  TPLNDataSource Repeated(int times, const QString& countField, int maxRecords = 10000000) const;
  // The kind of each field as the data shows it: 0 text, 1 true/false, 2 whole numbers, 4 other
  // numbers (every non-empty value of the field is of that kind).
  std::vector<int> FieldTypes() const;

 private:
  void SetFields(const QStringList& fields, const QString& where);

  QStringList fFields;
  QHash<QString, int> fIndex;
  std::vector<QStringList> fRecords;
};

// Applies a field format to a value. The format language, one word:
//   ""                 the value as it is
//   "upper", "lower"   letter case
//   "0", "0.0", "0.00" ... a number rounded to as many decimals as there are zeros after the
//                      point, written with a decimal point; a value that is not a number (a
//                      decimal point or comma is accepted) stays as it is
// Any other format leaves the value as it is.
QString FormatDataValue(const QString& value, const QString& format);

}  // namespace Orv
