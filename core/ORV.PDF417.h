#pragma once
// PDF417: the stacked 2-D code of documents, IDs and tickets. libzint chooses the compaction
// modes, the symbol shape and the check codewords; the item keeps the codeword grid and draws it
// from the published bar patterns: per row the start pattern, the left row indicator, the data
// columns, the right row indicator and the stop pattern (the truncated form drops the right
// indicator and ends with a one-module bar).

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "ORV.BarcodeItems.h"

namespace Orv::Barcode {

// One encoded symbol.
struct TORVPDF417Grid {
  std::uint16_t Columns = 0;  // data columns, without the row indicators
  std::uint16_t Rows = 0;
  std::uint8_t Level = 0;  // error-correction level: 2^(Level + 1) check codewords
  bool Truncated = false;
  std::vector<std::uint16_t> Codewords;  // Rows x Columns, row by row: data, pads, checks
  bool IsEmpty() const { return Rows == 0 || Columns == 0; }
};

namespace Pdf417 {

constexpr int kMaxColumns = 30;
constexpr int kMaxLevel = 8;
constexpr int kAutoLevel = -1;

// Row indicators of row `row` (from 0) of a symbol of `rows` rows, `columns` data columns and
// error-correction `level`.
std::uint16_t LeftIndicator(int row, int rows, int columns, int level);
std::uint16_t RightIndicator(int row, int rows, int columns, int level);

// Modules across one row: start, indicators, data, stop (17 each, the stop 18); the truncated
// form has no right indicator and a one-module bar instead of the stop pattern.
int SymbolWidth(int columns, bool truncated);

// The codeword a 17-module symbol character of `cluster` (0, 1, 2 = row mod 3) carries: the
// modules from `dark[0]`; -1 when it is no symbol character of that cluster.
int DecodeCharacter(const std::vector<bool>& dark, int first, int cluster);

// Encodes `data` (bytes). columns: 1..30, 0 lets the encoder choose (it may also widen a symbol
// that would otherwise need more than 90 rows); level: 0..8, -1 by the data's length. False, with
// `why`, when the data does not fit or the options are out of range.
bool Encode(const QByteArray& data, int columns, int level, bool truncated, TORVPDF417Grid& out, QString* why);

// The modules of a grid: one module row per symbol row.
void BuildMatrix(const TORVPDF417Grid& grid, TORVModuleMatrix& out);

}  // namespace Pdf417

class TPLNBasePDF417 : public TPLNBase2DCode {
 public:
  TPLNBasePDF417(TPLNBaseLabel* owner, bool preview);
  TPLNBasePDF417(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::PDF417; }
  QString KindName() const override { return QStringLiteral("PDF417"); }

  // Defaults of a new PDF417: 0.33 mm modules, rows three modules high, a 2 mm quiet zone,
  // columns and level chosen by the data, the full (not truncated) form.
  void IniPDF417();

  // Options. Data columns 0 (automatic) .. 30 and level -1 (automatic) .. 8; out-of-range
  // values are clamped.
  int GetDataColumns() const { return fColumnsOption; }
  void SetDataColumns(int columns);
  int GetECLevel() const { return fLevelOption; }
  void SetECLevel(int level);
  bool GetTruncated() const { return fTruncatedOption; }
  void SetTruncated(bool truncated) { Set(fTruncatedOption, truncated); }

  // The symbol of the item's own code, from the last encoding (all empty when it failed).
  const TORVPDF417Grid& Grid() const { return fGrid; }
  int Columns() const { return fGrid.Columns; }
  int Rows() const { return fGrid.Rows; }
  int Level() const { return fGrid.Level; }
  const std::vector<std::uint16_t>& Codewords() const { return fGrid.Codewords; }
  bool Truncated() const { return fGrid.Truncated; }

  // Encodes any code (as 8-bit text) with the item's options.
  bool EncodeGrid(const QString& code, TORVPDF417Grid& out, QString* why) const;
  bool EncodeCode(const QString& code, TORVModuleMatrix& out, QString* why) const override;

 protected:
  void EncodeOwn() override;
  void WriteCode(TBinaryWriter& w) const override;
  void ReadCode(TBinaryReader& r) override;
  void WriteCodeJson(Json::TJsonSink& o) const override;
  void ReadCodeJson(const QJsonObject& o) override;

 private:
  int fColumnsOption = 0;
  int fLevelOption = Pdf417::kAutoLevel;
  bool fTruncatedOption = false;
  TORVPDF417Grid fGrid;
};

}  // namespace Orv::Barcode
