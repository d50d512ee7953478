#pragma once
// Page set-up values kept with a document beside its measure: the table of standard papers, the
// counters that number labels, and the data settings that say where a label run takes its
// records from.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <memory>

#include <vector>

#include "ORV.AskValues.h"
#include "ORV.BinaryIO.h"
#include "ORV.Types.h"

namespace Orv {

class TPLNDataSource;

// ---- standard papers
struct TPLNPaper {
  const char* Name;
  double Width, Height;  // millimetres, portrait
};
constexpr int kPaperCount = 27;
// The last entry of the table: a paper of the user's own size.
constexpr int UserPaperIndex = kPaperCount - 1;
const TPLNPaper& Paper(int index);
// The table entry of a paper of these sizes in either orientation (within half a millimetre),
// UserPaperIndex when none has them.
int PaperIndexOf(double widthMM, double heightMM);

// ---- counters
class TPLNCounter {
 public:
  static constexpr std::int64_t kMaxNumber = 200000000;
  static constexpr std::int64_t kMaxStep = 20000;

  QString GetName() const { return fName; }
  void SetName(const QString& s) { fName = s; }
  std::int64_t GetNumFrom() const { return fFrom; }
  std::int64_t GetNumTo() const { return fTo; }
  std::int64_t GetStep() const { return fStep; }
  // Numbers are kept between 1 and kMaxNumber, the step between 1 and kMaxStep, and the last
  // number never below the first.
  void SetNumFrom(std::int64_t n);
  void SetNumTo(std::int64_t n);
  void SetStep(std::int64_t n);
  QString TextBefore, TextAfter;
  // "0000" writes at least four digits; other formats leave the number as it is.
  QString Format;

  // The text of the label `label` (from 0) of a run: first + label x step, starting again at the
  // first number past the last.
  QString TextAt(std::int64_t label) const { return TextAt(label, StartNumber()); }
  // The same for a run that starts at `start` (kept between the first and the last number).
  QString TextAt(std::int64_t label, std::int64_t start) const;

  // A counter that continues starts each print run where the last one stopped: at Next, which
  // every run moves on by the labels it printed.
  bool Continue = false;
  std::int64_t GetNext() const { return fNext; }
  // Kept between 1 and kMaxNumber; a run reads it inside the first and the last number.
  void SetNext(std::int64_t n);
  // Where a run starts: Next for a counter that continues, else the first number.
  std::int64_t StartNumber() const;
  // The number `labels` labels after `start`, wrapping at the last number as TextAt does.
  std::int64_t NumberAfter(std::int64_t start, std::int64_t labels) const;
  // Continue and Next, kept at the end of the document's data (from version 3203).
  void WriteContinue(TBinaryWriter& w) const;
  void ReadContinue(TBinaryReader& r);

  void Write(TBinaryWriter& w) const;
  void Read(TBinaryReader& r);
  QJsonObject ToJson() const;
  // Raises EPLNError on a value of the wrong type.
  void FromJson(const QJsonObject& o);
  friend bool operator==(const TPLNCounter& a, const TPLNCounter& b);

 private:
  QString fName;
  std::int64_t fFrom = 1, fTo = kMaxNumber, fStep = 1, fNext = 1;
};
constexpr int kMaxCounters = 5;

// ---- data settings
class TPLNData {
 public:
  // The datasets a run can take its records from, as stored: none, a CSV file, the JSON text.
  static QString CsvDataset() { return QStringLiteral("CSV"); }
  static QString JsonDataset() { return QStringLiteral("JSON"); }

  QString GetDataSel() const { return fDataSel; }
  void SetDataSel(const QString& s) { fDataSel = s; }
  // An integer field whose value says how many labels each record gets (empty: one each).
  QString GetFieldRepeat() const { return fFieldRepeat; }
  void SetFieldRepeat(const QString& s) { fFieldRepeat = s; }
  QString GetCsvFile() const { return fCsvFile; }
  void SetCsvFile(const QString& s) { fCsvFile = s; }
  QString GetJson() const { return fJson; }
  void SetJson(const QString& s) { fJson = s; }
  // Read the data again whenever the document is opened.
  bool LinkData = false;
  // Keep the JSON text in the document's file.
  bool SaveJson = true;

  // Values asked when a run is printed, and the file that keeps where continuing counters stopped
  // (empty: the document keeps it).
  std::vector<TPLNAskValue> Asks;
  QString CountersFile;
  // The ask named `name` (ignoring case), or null.
  const TPLNAskValue* FindAsk(const QString& name) const;
  // A run asks for list values / for any value at all.
  bool AsksListValues() const;
  bool AsksValues() const { return !Asks.empty(); }

  bool IsEmpty() const { return *this == TPLNData(); }
  void Write(TBinaryWriter& w) const;
  void Read(TBinaryReader& r);
  // The asks and the counters file, kept at the end of the document's data (from version 3203).
  void WriteAsks(TBinaryWriter& w) const;
  void ReadAsks(TBinaryReader& r);
  QJsonObject ToJson() const;
  void FromJson(const QJsonObject& o);
  friend bool operator==(const TPLNData& a, const TPLNData& b);

 private:
  QString fDataSel, fFieldRepeat, fCsvFile, fJson;
};

// ---- document settings: what new terminators look like
class TPLNSettings {
 public:
  static constexpr float kMinTermSize = 0.5f, kMaxTermSize = 50.0f;  // millimetres
  // The colour new polylines, arrow lines and curves give their terminators.
  TAlphaColor TermColor = 0xFF000000u;
  // The fill new links give their terminators.
  TAlphaColor FillTermColor = 0xFF000000u;
  // Millimetres: the size of every link's terminators, and of new figures' terminators.
  float GetTermSize() const { return fTermSize; }
  // Kept between kMinTermSize and kMaxTermSize.
  void SetTermSize(float mm);

  bool IsDefault() const { return *this == TPLNSettings(); }
  void Write(TBinaryWriter& w) const;
  void Read(TBinaryReader& r);
  QJsonObject ToJson() const;
  void FromJson(const QJsonObject& o);
  friend bool operator==(const TPLNSettings& a, const TPLNSettings& b);

 private:
  float fTermSize = 3.0f;
};

// ---- the label stock: what the blank label looks like
class TPLNBackSurf {
 public:
  static constexpr float kMaxRadius = 50.0f;  // millimetres
  // The colour of the label material (coloured stock); 0, fully transparent, is plain white
  // stock and draws nothing.
  TAlphaColor Color = 0;
  // Millimetres: the rounded corners of die-cut labels, 0 for square ones.
  float GetRadius() const { return fRadius; }
  // Kept between 0 and kMaxRadius.
  void SetRadius(float mm);
  bool IsDefault() const { return *this == TPLNBackSurf(); }
  // Nothing to draw: no colour.
  bool IsBlank() const { return (Color >> 24) == 0; }
  void Write(TBinaryWriter& w) const;
  void Read(TBinaryReader& r);
  QJsonObject ToJson() const;
  void FromJson(const QJsonObject& o);
  friend bool operator==(const TPLNBackSurf& a, const TPLNBackSurf& b);

 private:
  float fRadius = 0.0f;
};

// ---- document options (a set of bits)
enum TORVDocOption : std::uint16_t {
  doShowBackSurf = 1u << 0,    // the editor and the preview show the label stock
  doPrintBackSurf = 1u << 1,   // prints put the stock colour on paper (plain paper standing in for it)
  doExportBackSurf = 1u << 2,  // exported pages show the stock
};
constexpr std::uint16_t kAllDocOptions = doShowBackSurf | doPrintBackSurf | doExportBackSurf;
constexpr std::uint16_t kDefaultDocOptions = doShowBackSurf;

// The records a run takes from the dataset `d` names, repeated `repetition` times each (and by
// its repeat field): null for none. A CSV file named relatively is looked for in `folder`.
// EPLNError, naming the file, when the data cannot be read. A JSON text is an array of objects,
// or an object that holds one.
std::shared_ptr<const TPLNDataSource> ReadDataset(const TPLNData& d, int repetition, const QString& folder = {});

}  // namespace Orv
