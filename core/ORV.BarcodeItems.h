#pragma once
// The code items of the model: linear barcodes (TPLNBaseBarcode) and the 2-D codes (QR code,
// DataMatrix, PDF417). Like a text they hang on an anchor (point 1) and size themselves from
// their content: the box is the symbol plus its paddings, placed on the anchor by the
// alignments and turned by quarter turns. Encoding never changes the item, so an export can
// encode each label's data value on its own thread.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "ORV.Barcode.h"
#include "ORV.Text.h"

namespace Orv::Barcode {

// What the linear renderers read of an item, by role. Lengths are millimetres on paper.
class IORVBarcode {
 public:
  virtual ~IORVBarcode() = default;
  virtual float BarModule() const = 0;       // width of one narrow bar
  virtual float BarHeight() const = 0;       // height of a normal bar
  virtual double BarFactor() const = 0;      // wide-to-narrow ratio
  virtual float BarPaddingX() const = 0;     // quiet zone before and after the symbol
  virtual float BarPaddingY() const = 0;     // above the bars and below the text
  virtual float BarDistance() const = 0;     // between the bars and the human-readable line
  virtual TORVHorzAlign BarHorzAlign() const = 0;
  virtual TORVVertAlign BarVertAlign() const = 0;
  virtual TORVAngle BarAngle() const = 0;
  virtual float BarFontHeight() const = 0;   // ascent + descent of the human-readable line
  virtual QString BarFontName() const = 0;
  virtual bool BarShowNumber() const = 0;
  virtual TORVBarType BarKind() const = 0;
};

// One encoded linear code.
struct TORVLinearCode {
  bool Valid = false;
  QByteArray Prepared;  // the human-readable code
  QByteArray Pattern;   // one character per element (Utils::TBarcode)
  int Auto128 = 0;
};

// Validates, prepares and patterns `code` for a bar type and options.
TORVLinearCode EncodeLinear(const QByteArray& code, TORVBarType type, bool checkDigit, bool flagB, bool showNumber);

// Where the parts of a linear symbol lie in its own (unturned) frame, millimetres from the
// top-left corner of its box: the box is padding, lead zone, bars, trail zone, padding across
// and padding, bars, distance, text line, padding down. EAN-13, UPC-A and UPC-E print their
// first digit left of the bars, UPC-A and UPC-E their last one right of them: those zones are
// part of the box so the digits never fall outside it.
struct TORVLinearLayout {
  double Width = 0;       // the whole box
  double Height = 0;
  double BarsX = 0;       // left edge of the first bar
  double BarsWidth = 0;   // bars and spaces, wide elements counting factor modules
  double TextTop = 0;     // top of the human-readable line (when shown)
  double LeadWidth = 0;   // zone left of the bars for a digit printed there
  double TrailWidth = 0;  // zone right of the bars
};
TORVLinearLayout LinearLayout(const IORVBarcode& code, const TORVLinearCode& encoded);

// What every code item shares: the code text (the text of the style), its module sizes and
// paddings, the human-readable line, alignment and angle, background and data binding.
class TPLNBaseCode : public Text::TPLNBaseText {
 public:
  TPLNBaseCode(TPLNBaseLabel* owner, bool preview);
  TPLNBaseCode(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  // No frame of its own: a code's box is its quiet zone.
  bool TurnsFreely() const override { return false; }

  QString GetCode() const { return GetText(); }
  void SetCode(const QString& c) { SetText(c); }
  // The code as 8 bits (Latin-1): what linear codes, PDF417 and DataMatrix encode.
  QByteArray GetAnsiCode() const { return GetText().toLatin1(); }

  // Module width and bar (or module) height, millimetres on paper. Set in base units.
  float GetBarWidth() const { return static_cast<float>(fBarWidth / 1000.0); }
  float GetBarHeight() const { return static_cast<float>(fBarHeight / 1000.0); }
  std::int64_t GetBaseBarWidth() const { return fBarWidth; }
  std::int64_t GetBaseBarHeight() const { return fBarHeight; }
  void SetBaseBarWidth(std::int64_t w);   // 0.01 mm .. 100 mm
  void SetBaseBarHeight(std::int64_t h);  // 0.01 mm .. 1 m
  // Wide-to-narrow ratio of linear codes, 2 .. 3.
  double GetFactor() const { return fFactor; }
  void SetFactor(double f);
  // Scale of the modules of 2-D codes (module = bar width x ratio), 0.1 .. 100.
  double GetRatio() const { return fRatio; }
  void SetRatio(double r);
  bool GetShowNumber() const { return fShowNumber; }
  void SetShowNumber(bool b) { Set(fShowNumber, b); }
  // Gap between the bars and the human-readable line (base units).
  float GetDistance() const { return static_cast<float>(fDistance / 1000.0); }
  std::int64_t GetBaseDistance() const { return fDistance; }
  void SetBaseDistance(std::int64_t d);

  void CalcValues(int mode) override;

 protected:
  // Content size (millimetres, unturned, without paddings) from the item's own code.
  virtual void ContentSize(double& w, double& h) const = 0;
  // Encodes the item's own code again (CalcValues calls it before sizing).
  virtual void EncodeOwn() = 0;
  void UpdateBounds() override;

  void WriteOwn(TBinaryWriter& w) const override;
  void ReadOwn(TBinaryReader& r) override;
  void WriteOwnJson(Json::TJsonSink& o) const override;
  void ReadOwnJson(const QJsonObject& o) override;
  // Each kind's own fields after the shared ones.
  virtual void WriteCode(TBinaryWriter&) const {}
  virtual void ReadCode(TBinaryReader&) {}
  virtual void WriteCodeJson(Json::TJsonSink&) const {}
  virtual void ReadCodeJson(const QJsonObject&) {}

  std::int64_t fBarWidth = 330;
  std::int64_t fBarHeight = 15000;
  double fFactor = 2.5;
  double fRatio = 1.0;
  bool fShowNumber = true;
  std::int64_t fDistance = 0;
};

// A linear barcode of one of the 23 types of TORVBarType.
class TPLNBaseBarcode : public TPLNBaseCode, public IORVBarcode {
 public:
  TPLNBaseBarcode(TPLNBaseLabel* owner, bool preview);
  TPLNBaseBarcode(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::Barcode; }
  QString KindName() const override { return QStringLiteral("Barcode"); }

  // Defaults of a new barcode: Code 128, 0.33 mm modules, 15 mm bars, digits shown 3 mm high.
  void IniBarcode();

  TORVBarType GetBarType() const { return fBarType; }
  void SetBarType(TORVBarType t);
  void SetCodeType(TORVBarType t) { SetBarType(t); }
  // Adds the optional check character(s) of the type (Code 39, 2 of 5, MSI, Code 11).
  bool GetCheckSum() const { return fCheckSum; }
  void SetCheckSum(bool b) { Set(fCheckSum, b); }
  // Code 11 with the check: the C check only.
  bool GetFlagB() const { return fFlagB; }
  void SetFlagB(bool b) { Set(fFlagB, b); }

  // The item's own code, encoded by the last CalcValues.
  bool IsValid() const { return fOwn.Valid; }
  const TORVLinearCode& Encoded() const { return fOwn; }
  // Encodes any code with the item's type and options.
  TORVLinearCode Encode(const QByteArray& code) const;

  // IORVBarcode
  float BarModule() const override { return GetBarWidth(); }
  float BarHeight() const override { return GetBarHeight(); }
  double BarFactor() const override { return GetFactor(); }
  float BarPaddingX() const override { return GetPaddingX(); }
  float BarPaddingY() const override { return GetPaddingY(); }
  float BarDistance() const override { return GetDistance(); }
  TORVHorzAlign BarHorzAlign() const override { return GetHorzAlign(); }
  TORVVertAlign BarVertAlign() const override { return GetVertAlign(); }
  TORVAngle BarAngle() const override { return GetAngle(); }
  float BarFontHeight() const override { return GetFontHeight(); }
  QString BarFontName() const override { return GetFontName(); }
  bool BarShowNumber() const override { return GetShowNumber(); }
  TORVBarType BarKind() const override { return GetBarType(); }

 protected:
  void ContentSize(double& w, double& h) const override;
  void EncodeOwn() override;
  void WriteCode(TBinaryWriter& w) const override;
  void ReadCode(TBinaryReader& r) override;
  void WriteCodeJson(Json::TJsonSink& o) const override;
  void ReadCodeJson(const QJsonObject& o) override;

 private:
  TORVBarType fBarType = TORVBarType::Code128;
  bool fCheckSum = false;
  bool fFlagB = false;
  TORVLinearCode fOwn;
};

// Modules of a 2-D code: matrix[column][row], non-zero = dark. PDF417 rows are one module high
// here; the renderer gives them the bar height.
struct TORVModuleMatrix {
  std::uint16_t Rows = 0;
  std::uint16_t Cols = 0;
  std::vector<std::uint8_t> Dark;  // Cols x Rows, column-major
  bool At(int column, int row) const { return Dark[std::size_t(column) * Rows + std::size_t(row)] != 0; }
  void Resize(int cols, int rows) {
    Cols = static_cast<std::uint16_t>(cols);
    Rows = static_cast<std::uint16_t>(rows);
    Dark.assign(std::size_t(cols) * std::size_t(rows), 0);
  }
  void Set(int column, int row, bool dark) { Dark[std::size_t(column) * Rows + std::size_t(row)] = dark ? 1 : 0; }
  bool IsEmpty() const { return Rows == 0 || Cols == 0; }
};

// A 2-D code: the item's own code encoded into a module matrix.
class TPLNBase2DCode : public TPLNBaseCode {
 public:
  TPLNBase2DCode(TPLNBaseLabel* owner, bool preview);
  TPLNBase2DCode(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);

  // Defaults of a new 2-D code: 0.5 mm square modules, no human-readable line.
  void Ini2DCode();

  // The matrix of the item's own code (empty when it cannot be encoded) and why not.
  const TORVModuleMatrix& Matrix() const { return fMatrix; }
  QString EncodeError() const { return fError; }
  // Encodes any code with the item's options; false (and `why`) when it cannot be encoded.
  virtual bool EncodeCode(const QString& code, TORVModuleMatrix& out, QString* why) const = 0;
  // Encodes the item's own code again (the core's Encode).
  void Encode();

 protected:
  void ContentSize(double& w, double& h) const override;
  void EncodeOwn() override { Encode(); }

 private:
  TORVModuleMatrix fMatrix;
  QString fError;
};

}  // namespace Orv::Barcode
