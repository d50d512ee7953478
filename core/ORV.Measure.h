#pragma once
// Paper, label grid and drawing scale of a document.

#include <QJsonObject>
#include <QString>
#include <cstdint>

#include "ORV.BinaryIO.h"

namespace Orv {

class TPLNMeasure {
 public:
  enum Size : int {
    PaperWidth = 0,
    PaperHeight = 1,
    LabelWidth = 2,
    LabelHeight = 3,
    LeftMargin = 4,
    TopMargin = 5,
    HorzGap = 6,
    VertGap = 7,
  };

  // Sizes in base units, indexed by `Size`. Defaults: one A4 portrait label.
  std::int64_t Sizes[8] = {210000, 297000, 210000, 297000, 0, 0, 0, 0};
  std::int32_t Rows = 1;
  std::int32_t Columns = 1;
  QString LabelName = QStringLiteral("A4");
  std::int64_t DrawScale = 1;
  // One label per page on a roll: no grid, the paper is the label.
  bool ContinousPaper = false;
  // The title block of a drawing.
  QString Author, Promoter, Date, DrawingTitle, Note, Project;

  static constexpr std::int64_t GetMaxDrawScale() { return 1000000; }
  // The title block's texts by number, in the order of the file: author, promoter, date,
  // title, note, project.
  QString& TitleText(int i) {
    QString* t[6] = {&Author, &Promoter, &Date, &DrawingTitle, &Note, &Project};
    return *t[i < 0 || i > 5 ? 0 : i];
  }
  const QString& TitleText(int i) const { return const_cast<TPLNMeasure*>(this)->TitleText(i); }

  std::int64_t GetSize(int kind, bool /*scaled*/ = false) const {
    return kind >= 0 && kind < 8 ? Sizes[kind] : 0;
  }
  void SetSize(int kind, std::int64_t value) {
    if (kind >= 0 && kind < 8) Sizes[kind] = value;
  }
  bool IsLandscape() const { return Sizes[PaperHeight] < Sizes[PaperWidth]; }
  // A single label that filled its page keeps filling it when the paper changes.
  void SetPaperSize(std::int64_t w, std::int64_t h) {
    const bool follows = Rows == 1 && Columns == 1 && Sizes[LabelWidth] == Sizes[PaperWidth] &&
                         Sizes[LabelHeight] == Sizes[PaperHeight];
    Sizes[PaperWidth] = w;
    Sizes[PaperHeight] = h;
    if (follows) {
      Sizes[LabelWidth] = w;
      Sizes[LabelHeight] = h;
    }
  }
  void SetPaperSizeMM(double w, double h) {
    SetPaperSize(static_cast<std::int64_t>(w * 1000.0 + 0.5), static_cast<std::int64_t>(h * 1000.0 + 0.5));
  }
  // Top-left corner of a label cell (1-based row and column) in base units.
  std::int64_t CellX(int column) const {
    return Sizes[LeftMargin] + (column - 1) * (Sizes[LabelWidth] + Sizes[HorzGap]);
  }
  std::int64_t CellY(int row) const {
    return Sizes[TopMargin] + (row - 1) * (Sizes[LabelHeight] + Sizes[VertGap]);
  }

  // Raises EPLNError when a size or count makes no sense.
  void Validate() const;

  void Write(TBinaryWriter& w) const;
  void Read(TBinaryReader& r, std::int32_t version);
  QJsonObject ToJson() const;
  void FromJson(const QJsonObject& o);

  friend bool operator==(const TPLNMeasure& a, const TPLNMeasure& b);
};

}  // namespace Orv
