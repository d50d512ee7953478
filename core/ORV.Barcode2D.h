#pragma once
// QR code and DataMatrix items of the model. Both encode through libzint; the encoders are
// public so other kinds (the poly text) can draw the same symbols from their own content.

#include <QByteArray>
#include <QString>

#include "ORV.BarcodeItems.h"

namespace Orv::Barcode {

// QR error-correction levels, as saved: L recovers about 7 % of the symbol, M 15 %, Q 25 %, H 30 %.
enum class TORVQRLevel : std::uint8_t { L = 0, M = 1, Q = 2, H = 3 };

class TPLNBaseQRCode : public TPLNBase2DCode {
 public:
  TPLNBaseQRCode(TPLNBaseLabel* owner, bool preview);
  TPLNBaseQRCode(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::QRCode; }
  QString KindName() const override { return QStringLiteral("QRCode"); }

  TORVQRLevel GetLevel() const { return fLevel; }
  void SetLevel(TORVQRLevel l);

  // `text` as UTF-8 (a plain ASCII text without an ECI header, anything else with the UTF-8 ECI,
  // so decoders read back exactly the text); ecLevel is TORVQRLevel's value (0 L .. 3 H).
  // False, an empty `out` and the reason in `why` when the text does not fit a version 40 symbol.
  static bool EncodeQR(const QString& text, int ecLevel, TORVModuleMatrix& out, QString* why);
  bool EncodeCode(const QString& code, TORVModuleMatrix& out, QString* why) const override;

 protected:
  void WriteCode(TBinaryWriter& w) const override;
  void ReadCode(TBinaryReader& r) override;
  void WriteCodeJson(Json::TJsonSink& o) const override;
  void ReadCodeJson(const QJsonObject& o) override;

 private:
  TORVQRLevel fLevel = TORVQRLevel::M;
};

class TPLNBaseDataMatrix : public TPLNBase2DCode {
 public:
  TPLNBaseDataMatrix(TPLNBaseLabel* owner, bool preview);
  TPLNBaseDataMatrix(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::DataMatrix; }
  QString KindName() const override { return QStringLiteral("DataMatrix"); }

  // Square symbols (10 x 10 .. 144 x 144) or rectangular ones (8 x 18 .. 16 x 48).
  bool GetSquare() const { return fSquare; }
  void SetSquare(bool b) { Set(fSquare, b); }

  // ECC 200 of 8-bit `data`, the smallest symbol of the chosen shape that holds it. False, an
  // empty `out` and the reason in `why` when the largest one cannot.
  static bool EncodeDataMatrix(const QByteArray& data, bool square, TORVModuleMatrix& out, QString* why);
  // The code as 8 bits (Latin-1, as GetAnsiCode); a character beyond Latin-1 is refused.
  bool EncodeCode(const QString& code, TORVModuleMatrix& out, QString* why) const override;

 protected:
  void WriteCode(TBinaryWriter& w) const override;
  void ReadCode(TBinaryReader& r) override;
  void WriteCodeJson(Json::TJsonSink& o) const override;
  void ReadCodeJson(const QJsonObject& o) override;

 private:
  bool fSquare = true;
};

}  // namespace Orv::Barcode
