#pragma once
// The data table: a title band, a header band, body rows and a footer band over columns that
// share the item's width by percentage. The model holds the cells, fills the rows from the
// document's data records, computes the footer aggregates and keeps the band positions the
// drawable class lays out; measuring text is the drawable class's business.
//
// Every length here (band heights, paddings, font heights, line positions) is in paper base
// units, like the text of every other item: a table on a 1:50 drawing keeps its 3 mm letters.

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "ORV.F2d.h"

namespace Orv::Types {

// Which grid lines a table draws between its cells.
enum class TPLNGrid : std::uint8_t { None = 0, Vertical = 1, Horizontal = 2, Both = 3 };

}  // namespace Orv::Types

namespace Orv::F2d {

// Footer aggregates over a column's values.
enum class TORVFooter : std::uint8_t {
  None = 0,
  Count = 1,
  Min = 2,
  Max = 3,
  Sum = 4,
  Mean = 5,
  Median = 6,
  Variance = 7,
  StdDev = 8,
};
constexpr int kFooterKinds = 9;
// Short names of the aggregates ("count", "min", ... "stddev"), for design texts and tools.
QString FooterName(TORVFooter f);

// What one column's values give. Count is the number of values that are not empty; the others
// are over the values that read as numbers (a decimal point or comma), `Skipped` counts the
// non-empty values that do not. Variance is the sample variance (n - 1); one number gives 0.
struct TORVAggregate {
  int Count = 0;
  int Numbers = 0;
  int Skipped = 0;
  double Min = 0, Max = 0, Sum = 0, Mean = 0, Median = 0, Variance = 0, StdDev = 0;
};
TORVAggregate Aggregate(const QStringList& values);
// The value of `kind` in `a`; nullopt when there is nothing to give (no numbers, or none).
std::optional<double> AggregateValue(const TORVAggregate& a, TORVFooter kind);
// A text that reads as a number, with a decimal point or comma.
std::optional<double> ParseNumber(const QString& text);

// The style and text of one cell of a column (or of the title).
class TPLNTableCell {
 public:
  QString GetText() const { return Text; }
  void SetText(const QString& t) { Text = t; }
  // Font height in millimetres and in base units.
  float GetFontHeight() const { return float(FontHeight / 1000.0); }
  void SetFontHeight(float mm) { FontHeight = std::int64_t(mm * 1000.0f + 0.5f); }
  std::int64_t BaseFontHeight() const { return FontHeight; }
  void SetFillBack(bool b) { FillBack = b; }
  void SetWrapText(bool b) { WrapText = b; }

  QString Text;
  QString FontName = QStringLiteral("Arial");
  std::int64_t FontHeight = 3000;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  TAlphaColor FontColor = kBlack;
  bool FillBack = false;
  TAlphaColor BackColor = kWhite;
  TORVHorzAlign HorzAlign = TORVHorzAlign::Left;
  TORVVertAlign VertAlign = TORVVertAlign::Center;
  bool WrapText = false;
  double Interline = 1.0;
  std::int64_t Height = 0;
  // Header cells: the header is laid out and drawn only when shown.
  bool Shown = true;

  bool operator==(const TPLNTableCell&) const = default;
};

// A footer cell: its text is a caption before the aggregate of the column's values.
class TPLNColumnFooter : public TPLNTableCell {
 public:
  TORVFooter GetFooter() const { return Footer; }
  void SetFooter(TORVFooter f) { Footer = f; }

  TORVFooter Footer = TORVFooter::None;
  // FormatDataValue's format for the aggregate ("0.00"); empty writes it in full.
  QString Format;

  bool operator==(const TPLNColumnFooter&) const = default;
};

// One laid-out band of one column.
struct TORVRowCol {
  std::int32_t Height = 0;
  TxtLines Lines;
  QString Text;
  bool Calculated = false;
  std::uint8_t Kind = 1;  // 0 header, 1 body, 2 footer
};

class TPLNColumn {
 public:
  float GetPercent() const { return Percent; }
  void SetPercent(float p) { Percent = p; }
  QString GetField() const { return Field; }
  void SetField(const QString& f) { Field = f; }

  // Slots: 0 the header, 1 the design row, 2 the footer, r + 2 data row r (r from 1).
  int SlotCount() const { return int(fSlots.size()); }
  QString GetLineTxt(int slot) const;
  const TORVRowCol& GetData(int slot) const;
  void SetData(int slot, TORVRowCol record);
  void SetLineTxt(int slot, const QString& text);
  // Drops the data rows and the layout of every slot; the texts of slots 0 to 2 stay.
  void ResetPrint();
  void ResizeSlots(int count);

  // Font metrics of the last layout by font slot: 1 header, 2 body, 3 footer.
  void FontSettings(int slot, std::int64_t ascent, std::int64_t descent, std::int64_t underline, double ratio);
  std::int64_t AscFont(int slot) const;
  std::int64_t DesFont(int slot) const;
  std::int64_t UndFont(int slot) const;
  double RatFont(int slot) const;

  float Percent = 33.33f;
  QString Field;
  TPLNTableCell Header;
  TPLNTableCell Body;
  TPLNColumnFooter Footer;
  QString Format;  // FormatDataValue's format for the body's values
  bool Fixed = false;  // the body shows its own text for every record instead of the field

  // What is saved; the layout is not.
  bool operator==(const TPLNColumn& o) const {
    return Percent == o.Percent && Field == o.Field && Header == o.Header && Body == o.Body && Footer == o.Footer &&
           Format == o.Format && Fixed == o.Fixed;
  }

 private:
  struct TFontMetrics {
    std::int64_t Asc = 0, Des = 0, Und = 0;
    double Ratio = 0;
  };
  std::vector<TORVRowCol> fSlots = std::vector<TORVRowCol>(3);
  std::array<TFontMetrics, 3> fFonts{};
};

// The title band across the whole width.
class TPLNBaseTitle : public TPLNTableCell {
 public:
  TPLNBaseTitle() {
    Shown = false;
    FontHeight = 4000;
    Bold = true;
    HorzAlign = TORVHorzAlign::Center;
  }
  const TxtLines& Lines() const { return fLines; }
  void SetLines(TxtLines lines) { fLines = std::move(lines); }
  void SetBaseSize(std::int64_t /*unused*/, std::int64_t ascent, std::int64_t descent, double ratio) {
    Asc = ascent;
    Des = descent;
    Ratio = ratio;
  }
  std::int32_t BaseHeight = 7000;
  std::int64_t Asc = 0, Des = 0, Und = 0;
  double Ratio = 0;

  // What is saved; the layout is not.
  bool operator==(const TPLNBaseTitle& o) const {
    return TPLNTableCell::operator==(o) && BaseHeight == o.BaseHeight;
  }

 private:
  TxtLines fLines;
};

// Everything that is saved besides the box, checked as a whole before it replaces the old one.
struct TORVTableStyle {
  TPLNBaseTitle Title;
  std::int32_t HeaderHeight = 6000;
  std::int32_t RowHeight = 5000;
  std::int32_t FooterHeight = 0;
  std::int64_t PadX = 1000, PadY = 500;
  Types::TPLNGrid Grid = Types::TPLNGrid::Both;
  TAlphaColor GridColor = kBlack;
  double GridWidth = 0.2;  // millimetres
  bool FitToBox = false;
  std::vector<TPLNColumn> Columns;

  bool operator==(const TORVTableStyle&) const = default;
};

class TPLNBaseTable : public TPLNBoxItem {
 public:
  using TPLNBoxItem::TPLNBoxItem;
  std::int32_t KindCode() const override { return Kind::Table; }
  QString KindName() const override { return QStringLiteral("Table"); }
  // Picked anywhere on its face: a table is grabbed like a box.
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  // Bound to data when a column reads a field.
  bool GetIsData() const override;

  TPLNBaseTitle& Title() { return fStyle.Title; }
  const TPLNBaseTitle& Title() const { return fStyle.Title; }
  std::int32_t GetHeaderHeight() const { return fStyle.HeaderHeight; }
  std::int32_t GetRowHeight() const { return fStyle.RowHeight; }
  std::int32_t GetFooterHeight() const { return fStyle.FooterHeight; }
  void SetHeaderHeight(std::int32_t h) { Set(fStyle.HeaderHeight, std::max(0, h)); }
  void SetRowHeight(std::int32_t h) { Set(fStyle.RowHeight, std::max(0, h)); }
  void SetFooterHeight(std::int32_t h) { Set(fStyle.FooterHeight, std::max(0, h)); }
  float GetPaddingX() const { return float(fStyle.PadX / 1000.0); }
  float GetPaddingY() const { return float(fStyle.PadY / 1000.0); }
  std::int64_t GetBasePadX() const { return fStyle.PadX; }
  std::int64_t GetBasePadY() const { return fStyle.PadY; }
  void SetBasePadX(std::int64_t p) { Set(fStyle.PadX, std::max<std::int64_t>(0, p)); }
  void SetBasePadY(std::int64_t p) { Set(fStyle.PadY, std::max<std::int64_t>(0, p)); }
  Types::TPLNGrid GetGridType() const { return fStyle.Grid; }
  void SetGridType(Types::TPLNGrid g) { Set(fStyle.Grid, g); }
  TAlphaColor GetGridColor() const { return fStyle.GridColor; }
  void SetGridColor(TAlphaColor c) { Set(fStyle.GridColor, c); }
  float GetGridWidth() const { return float(fStyle.GridWidth); }
  void SetGridWidth(float mm) { Set(fStyle.GridWidth, double(std::max(0.0f, mm))); }
  bool GetFitToBox() const { return fStyle.FitToBox; }
  void SetFitToBox(bool b) { Set(fStyle.FitToBox, b); }

  int GetColumnCount() const { return int(fStyle.Columns.size()); }
  // Columns from 1; out of range raises EPLNError.
  TPLNColumn& GetColumn(int i);
  const TPLNColumn& GetColumn(int i) const;
  TPLNColumn& AddColumn(const QString& header, const QString& field, float percent);
  void DeleteColumn(int i);
  // Swaps columns i and j (from 1); false, and nothing changes, when either is out of range or
  // they are the same column.
  bool ExchangeColumns(int i, int j);
  // The data fields a column can read: the fields of the document's data source, in its order
  // (empty without a document or a data source).
  QStringList GetDetailFields() const;
  // The part of the width column i takes: its percentage, scaled down with the others when
  // together they ask for more than the whole width.
  double ColumnShare(int i) const;
  // After changing a column's cells through GetColumn: lay out again and tell the document.
  void ColumnsChanged() { Changed(); }

  // The box's width in paper base units (the drawing scale taken out).
  std::int64_t BaseScaleWidth() const;
  std::int64_t BaseScaleHeight() const;
  std::int64_t CoordMultiplier() const;

  // ---- filling
  // Data rows filled by the last FillTable in data mode.
  std::int32_t GetDataRowCount() const { return fRowCount; }
  std::int32_t GetRecalcColumn() const { return fRecalcColumn; }
  void SetRecalcColumn(std::int32_t c) { fRecalcColumn = c; }
  // The first record the data rows start at (0-based): a table that runs over several pages
  // starts each page where the last one stopped.
  std::int32_t GetFirstRecord() const { return fFirstRecord; }
  void SetFirstRecord(std::int32_t r) { fFirstRecord = std::max(0, r); }
  // Sets the slot texts: the header and the design row and footer captions; in data mode also
  // one data row per record (from the first record on) and the footer aggregates. `reset`
  // drops the rows of an earlier fill first.
  void FillTable(bool reset, bool dataMode);
  // The data rows of column `i` (from 1) and its footer, from `values` (one per record).
  void FillData(int i, const QStringList& values);
  // At most this many data rows per fill (-1: every record): a page shows no more than its room
  // holds, and filling a long table page by page must not read every later record each time.
  void SetFillLimit(int rows) { fFillLimit = rows; }
  // The footers again, over the first `rows` data rows of the last fill: what one page shows.
  void FillFooters(int rows);
  // Why the last fill left values out of an aggregate (one line per column), empty when none.
  const QStringList& Warnings() const { return fWarnings; }
  // A column's values for the records of the last data fill, formatted as shown.
  QStringList ColumnValues(int i) const;

  // ---- band positions, in paper base units below point 1 (see CalcValues of the drawable class)
  int GetLineCount() const { return int(fLinePos.size()); }
  std::int64_t GetLinePos(int i) const;
  void SetLinePos(int i, std::int64_t y);
  void SetLineCount(int n) { fLinePos.assign(std::max(0, n), 0); }
  // The first data row whose band is -1 (did not fit), 0 when every row fitted.
  int FirstRowNotFitted() const;

  const TORVTableStyle& Style() const { return fStyle; }

  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 protected:
  template <class V>
  void Set(V& field, const V& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  TORVTableStyle fStyle;
  std::int32_t fRowCount = 0;
  std::int32_t fRecalcColumn = -1;
  std::int32_t fFirstRecord = 0;
  std::vector<std::int64_t> fLinePos;
  QStringList fWarnings;
  int fFillLimit = -1;
  // The values of the last data fill as read, before the columns' formats, by column.
  std::vector<QStringList> fRaw;

 private:
  void CheckStyle(const TORVTableStyle& s) const;
  // Column i's footer text over `values`, with a warning for values that are no numbers.
  void FooterOf(int i, const QStringList& values);
};

}  // namespace Orv::F2d
