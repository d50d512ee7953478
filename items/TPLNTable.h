#pragma once
// A data table: title, header, body rows and footer over columns, laid out with real fonts and
// drawn on screen and on paper from one list of drawing steps.

#include <QJsonObject>
#include <QLineF>
#include <QRectF>
#include <cstdint>
#include <mutex>
#include <vector>

#include "ORV.BinaryIO.h"
#include "ORV.Table.h"

namespace Orv::Fmx {

class TPLNDraw;

class TPLNTable : public Orv::F2d::TPLNBaseTable {
 public:
  using Orv::F2d::TPLNBaseTable::TPLNBaseTable;

  // Lays the title and the cells out and sets the band positions. Mode 5 fills the data rows
  // from the records (from the first record on) and fits them to the box or to the page; any
  // other mode lays out the design row.
  static constexpr std::int16_t kDataMode = 5;
  void CalcValues(std::int16_t mode);
  // Rows that fitted in the last data layout.
  int ShownRows() const { return fShownRows; }
  // Band index of data row r (from 1).
  int RowBand(int r) const;

  // One step of the drawing, in device pixels relative to the table's top-left corner.
  struct TStep {
    enum Kind : std::uint8_t { Fill, Text, Line, Outline } What = Fill;
    QRectF Rect;  // Fill and Outline; Text: its top-left is the line's top-left
    QLineF Segment;
    QString Str;
    const Orv::F2d::TPLNTableCell* Cell = nullptr;  // Text: font and colour
    double Ratio = 1;
    float Ascent = 0;  // Text: from the line's top to its baseline
    TAlphaColor Color = kBlack;
    float Width = 0;
  };
  // The steps of this table for `draw`, after laying it out for the draw's state.
  std::vector<TStep> Steps(TPLNDraw* draw);

  // Pages a data-bound table needs to show every record when its rows run over the box or the
  // label: each page starts at the first record the one before could not fit.
  int DataPages() override;
  // The first record of page `page` (from 1).
  int FirstRecordOfTablePage(int page);

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNTable* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNTable* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);

 private:
  struct TCellMetrics {
    std::int64_t Asc = 0, Des = 0, Und = 0;
    double Ratio = 0;
  };
  // The layout of one cell text inside `width` x `height` (less the paddings when `pad`);
  // returns the height the row needs: `height`, or more for a wrapped text.
  std::int32_t LayCell(const Orv::F2d::TPLNTableCell& cell, const QString& text, std::int64_t width,
                       std::int64_t height, bool pad, bool wrap, TxtLines& lines, TCellMetrics& m);
  // Lays slot `slot` of every column out as data row r; returns the row's height.
  std::int32_t LayRow(int r, int slot);
  // The height the data rows may take: the box's, or the label's below the table's top, less
  // the title, header and footer bands.
  std::int64_t RowRoom() const;
  // The footer's bands after the last one: below `last`, or on the box's bottom edge.
  void AppendFooter(std::int64_t last, bool atBoxBottom);

  int fShownRows = 0;
  // Bitmaps are drawn in bands side by side: one layout at a time.
  std::mutex fLayoutLock;
  // First record of each page, as far as computed, for the data source and record count they
  // were computed for.
  std::vector<int> fPageStarts;
  const void* fPagesSource = nullptr;
  int fPagesRecords = -1;
};

}  // namespace Orv::Fmx
