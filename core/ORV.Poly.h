#pragma once
// The poly text item: a box hung on an anchor (point 1) that shows one of four contents, a line
// of text made of runs (each in its own font, style, size and colour), a linear barcode, a QR
// code or a DataMatrix code. The box is the content plus the paddings, placed on the anchor by
// the alignments and turned by quarter turns like a text's; a filled box has the back colour
// and, with a radius, round corners.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "ORV.BarcodeItems.h"
#include "ORV.Text.h"

namespace Orv::Text {

// What a poly text shows.
enum class TORVPolyType : std::uint8_t { Runs = 0, Barcode = 1, QRCode = 2, DataMatrix = 3 };

// One run of a poly text: its text and font. The measured sizes are kept by the drawable class
// (SetBaseSize) and are not saved.
class TPLNDataPoly {
 public:
  QString GetText() const { return fText; }
  void SetText(const QString& t) { fText = t; }
  // The text shown when the run reads no field (TPLNBasePoly::RunText resolves a field).
  QString GetResText() const { return fText; }
  // A run may show a data field instead of its text, in a value format, after an application
  // identifier ("01" of a GS1 code), which can be put in parentheses: "(01)12345".
  QString GetField() const { return fField; }
  void SetField(const QString& f) { fField = f; }
  QString GetFormat() const { return fFormat; }
  void SetFormat(const QString& f) { fFormat = f; }
  QString GetIA() const { return fIA; }
  void SetIA(const QString& ia) { fIA = ia; }
  bool GetAddPar() const { return fAddPar; }
  void SetAddPar(bool b) { fAddPar = b; }
  // Any of the four above differs from a plain run's.
  bool HasData() const { return !fField.isEmpty() || !fFormat.isEmpty() || !fIA.isEmpty() || fAddPar; }
  QString GetFontName() const { return fFontName; }
  void SetFontName(const QString& n) { fFontName = n; }
  bool GetBold() const { return fBold; }
  void SetBold(bool b) { fBold = b; }
  bool GetItalic() const { return fItalic; }
  void SetItalic(bool b) { fItalic = b; }
  TAlphaColor GetColor() const { return fColor; }
  void SetColor(TAlphaColor c) { fColor = c; }
  // Ascent + descent of the drawn font, millimetres on paper / base units.
  float GetFontHeight() const { return static_cast<float>(fFontHeight / 1000.0); }
  std::int64_t GetBaseFontHeight() const { return fFontHeight; }
  void SetBaseFontHeight(std::int64_t h);

  // Measured in base units on paper; ratio as TPLNCalc gives it (0 until measured or when the
  // font cannot be made). `family` is the family actually measured.
  void SetBaseSize(std::int64_t width, std::int64_t ascent, std::int64_t descent, double ratio,
                   const QString& family = {});
  std::int64_t GetBaseWidth() const { return fWidth; }
  std::int64_t GetBaseAscent() const { return fAsc; }
  std::int64_t GetBaseDescent() const { return fDes; }
  std::int64_t GetBaseHeight() const { return fAsc + fDes; }
  double GetRatio() const { return fRatio; }
  QString GetFamily() const { return fFamily.isEmpty() ? fFontName : fFamily; }

  // What is saved (the measured sizes are not).
  bool SameAs(const TPLNDataPoly& o) const {
    return fText == o.fText && fFontName == o.fFontName && fFontHeight == o.fFontHeight && fBold == o.fBold &&
           fItalic == o.fItalic && fColor == o.fColor && fField == o.fField && fFormat == o.fFormat &&
           fIA == o.fIA && fAddPar == o.fAddPar;
  }

 private:
  QString fText;
  QString fFontName = QStringLiteral("Arial");
  std::int64_t fFontHeight = 5000;
  bool fBold = false;
  bool fItalic = false;
  TAlphaColor fColor = kBlack;
  QString fField, fFormat, fIA;
  bool fAddPar = false;
  std::int64_t fWidth = 0, fAsc = 0, fDes = 0;
  double fRatio = 0;
  QString fFamily;
};

class TPLNBasePoly : public TPLNBaseText, public Barcode::IORVBarcode {
 public:
  TPLNBasePoly(TPLNBaseLabel* owner, bool preview);
  TPLNBasePoly(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::PolyText; }
  QString KindName() const override { return QStringLiteral("PolyText"); }

  // Defaults of a new poly text: runs, 1 mm paddings, Code 128 for a barcode.
  void IniPoly();

  TORVPolyType GetPolyType() const { return fPolyType; }
  // Code content whose module sizes do not suit it (bars under five modules tall for a linear
  // code, taller ones for a 2-D code) starts from that content's defaults: 0.33 mm x 15 mm bars,
  // 0.5 mm square modules. Out-of-range values are ignored.
  void SetPolyType(TORVPolyType t);
  // Text runs (type 0): the runs get the pieces of `text` split at line feeds, one run per
  // piece (a poly text is one line, so a line feed can only mean "next run"). Existing runs keep
  // their fonts; new runs take the last run's font, or the item's font and pen colour when there
  // is none; runs beyond the pieces are removed. An empty text leaves one empty run. Codes:
  // `text` is the code.
  void SetData(const QString& text);
  // The runs' texts joined by line feeds (type 0), or the code.
  QString GetData() const;

  // Background corner radius (millimetres / base units; 0 square corners).
  void SetRadio(float mm) { SetBaseRadio(Utils::RoundHalfAway(double(mm) * 1000.0)); }

  // Runs, numbered from 1.
  int GetItemCount() const { return static_cast<int>(fRuns.size()); }
  const TPLNDataPoly& GetItem(int i) const { return fRuns.at(std::size_t(i - 1)); }
  void AddItem(const TPLNDataPoly& run);
  // Replaces run i; out-of-range indices are ignored.
  void SetItem(int i, const TPLNDataPoly& run);
  void DeleteItem(int i);
  void ClearItems();
  // A new last run showing `text`, in the last run's font (the item's font and pen colour when
  // there is none). `kind` is reserved for runs of another sort; 0 is a text run.
  TPLNDataPoly& AddElement(const QString& text, int kind = 0);
  // Swaps runs i and j (from 1); false, and nothing changes, when either is out of range or
  // they are the same run.
  bool Exchange(int i, int j);
  // What run `run` shows: its text, or with a field the record's value at the document's data
  // cursor in the run's format; after the IA string, in parentheses when asked.
  QString RunText(const TPLNDataPoly& run) const;
  // Bound to data when a run reads a field: each label of a sheet shows its own record.
  bool GetIsData() const override;
  // The data fields a run can read: the document's data source's, in order (empty without one).
  QStringList GetDataFields() const;
  // Total width and tallest height of the runs as last measured (base units on paper).
  std::int64_t RunsWidth() const;
  std::int64_t RunsHeight() const;

  // The code of barcode, QR and DataMatrix content (Latin-1 for barcode and DataMatrix).
  QString GetCode() const { return GetText(); }
  void SetCode(const QString& c) { SetText(c); }
  QByteArray GetAnsiCode() const { return GetText().toLatin1(); }
  TORVBarType GetBarType() const { return fBarType; }
  void SetBarType(TORVBarType t);
  void SetCodeType(TORVBarType t) { SetBarType(t); }
  bool GetCheckSum() const { return fCheckSum; }
  void SetCheckSum(bool b) { Set(fCheckSum, b); }
  // Module width and bar (or module) height, millimetres on paper / base units.
  float GetBarWidth() const { return static_cast<float>(fBarWidth / 1000.0); }
  float GetBarHeight() const { return static_cast<float>(fBarHeight / 1000.0); }
  std::int64_t GetBaseBarWidth() const { return fBarWidth; }
  std::int64_t GetBaseBarHeight() const { return fBarHeight; }
  void SetBaseBarWidth(std::int64_t w);   // 0.01 mm .. 10 cm
  void SetBaseBarHeight(std::int64_t h);  // 0.01 mm .. 1 m
  double GetFactor() const { return fFactor; }
  void SetFactor(double f);  // 2 .. 3
  bool GetShowNumber() const { return fShowNumber; }
  void SetShowNumber(bool b) { Set(fShowNumber, b); }
  std::int64_t GetBaseDistance() const { return fDistance; }
  void SetBaseDistance(std::int64_t d);

  // The encoded content as of the last CalcValues: the linear code (with its validity flag) and
  // the module matrix of a 2-D code (empty, with the reason, when it cannot be encoded).
  bool IsValid() const;
  const Barcode::TORVLinearCode& Linear() const { return fLinear; }
  const Barcode::TORVModuleMatrix& Matrix() const { return fMatrix; }
  QString EncodeError() const { return fError; }
  // Encodes the item's code for its content type again.
  void Encode();
  // Whether `code` can be shown as content `type` (with a bar type and check option for
  // barcodes); false with the reason in `why`. Text runs always can.
  static bool CanEncode(TORVPolyType type, const QString& code, TORVBarType barType, bool checkSum, QString* why);

  // Lays the content out again from the kept run sizes: encodes and sizes the box.
  void CalcValues(int mode) override;

  // IORVBarcode: the human-readable line takes the first run's font, or the item's.
  float BarModule() const override { return GetBarWidth(); }
  float BarHeight() const override { return GetBarHeight(); }
  double BarFactor() const override { return fFactor; }
  float BarPaddingX() const override { return GetPaddingX(); }
  float BarPaddingY() const override { return GetPaddingY(); }
  float BarDistance() const override { return static_cast<float>(fDistance / 1000.0); }
  TORVHorzAlign BarHorzAlign() const override { return GetHorzAlign(); }
  TORVVertAlign BarVertAlign() const override { return GetVertAlign(); }
  TORVAngle BarAngle() const override { return GetAngle(); }
  float BarFontHeight() const override;
  QString BarFontName() const override;
  bool BarShowNumber() const override { return fShowNumber; }
  TORVBarType BarKind() const override { return fBarType; }

 protected:
  void UpdateBounds() override;
  // Content size (millimetres, unturned, without paddings).
  void ContentSize(double& w, double& h) const;

  void WriteOwn(TBinaryWriter& w) const override;
  void ReadOwn(TBinaryReader& r) override;
  void WriteOwnJson(Json::TJsonSink& o) const override;
  void ReadOwnJson(const QJsonObject& o) override;

  std::vector<TPLNDataPoly> fRuns;

 private:
  void SetModuleDefaults(bool twoD);

  TORVPolyType fPolyType = TORVPolyType::Runs;
  TORVBarType fBarType = TORVBarType::Code128;
  bool fCheckSum = false;
  std::int64_t fBarWidth = 330;
  std::int64_t fBarHeight = 15000;
  double fFactor = 2.5;
  bool fShowNumber = true;
  std::int64_t fDistance = 500;
  Barcode::TORVLinearCode fLinear;
  Barcode::TORVModuleMatrix fMatrix;
  QString fError;
};

}  // namespace Orv::Text
