#pragma once
// The catalogue of standard label sheets (brand, part number, paper, label size and layout)
// that the page set-up offers: searched as the user types, and applied to a document's measure.

#include <QString>
#include <QStringList>
#include <vector>

#include "ORV.Measure.h"

namespace Orv {

struct TORVSheet {
  QString Brand, Part, Description, Paper;
  double PaperWidth = 0, PaperHeight = 0;  // millimetres
  double LabelWidth = 0, LabelHeight = 0;
  int Columns = 1, Rows = 1;
  double Left = 0, Top = 0;      // the first label's offset from the sheet's edges
  double PitchX = 0, PitchY = 0; // from one label's edge to the next one's
  QString Shape;                 // rect, round, ellipse or cd
  double Corner = 0;
  QString Name() const { return Brand + QLatin1Char(' ') + Part; }
  // "70 x 37 mm, 3 x 8 on A4"
  QString Summary() const;
};

class TORVSheetCatalog {
 public:
  // The catalogue built into the library.
  static const TORVSheetCatalog& Builtin();
  // Reads the catalogue's CSV text; EPLNError names the line that cannot be read.
  void Read(const QByteArray& csv);

  int Count() const { return static_cast<int>(fSheets.size()); }
  const TORVSheet& Sheet(int i) const { return fSheets.at(static_cast<std::size_t>(i)); }
  // The sheets whose brand, part, description, paper or size hold every word of `text` (any
  // case, any order; "5160", "avery 70x37", "herma a4 round"); all of them for empty text.
  std::vector<int> Search(const QString& text, int limit = -1) const;

  // The sheet's paper, label size, margins, gaps and grid put into `m` (its name becomes the
  // sheet's), ready for TPLNMeasure::Validate.
  static void ApplyTo(const TORVSheet& s, TPLNMeasure& m);

 private:
  std::vector<TORVSheet> fSheets;
  std::vector<QString> fKeys;  // what a search looks in, lower case
};

}  // namespace Orv
