#include "ORV.Barcode2D.h"

#include <zint.h>

#include <memory>

#include "ORV.Json.h"
#include "ORV.QRMask.h"

namespace Orv::Barcode {

namespace {

// Data codewords of a version 40 QR symbol at L, M, Q, H.
constexpr int kQRMaxCodewords[4] = {2956, 2334, 1666, 1276};
const char* const kQRLevelNames[4] = {"L", "M", "Q", "H"};
constexpr int kQRFixedMask = 0;
constexpr int kUtf8Eci = 26;

// The standard rectangular DataMatrix sizes 8 x 18 .. 16 x 48 are zint's sizes 25 .. 30, in
// increasing capacity.
constexpr int kFirstRectSize = 25, kLastRectSize = 30;

struct TZintDelete {
  void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};
using TZintSymbol = std::unique_ptr<zint_symbol, TZintDelete>;

bool IsAscii(const QByteArray& b) {
  for (char c : b)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// zint's rows of packed bits (lowest bit first) into our column-major matrix.
void ReadModules(const zint_symbol& s, TORVModuleMatrix& out) {
  out.Resize(s.width, s.rows);
  for (int row = 0; row < s.rows; ++row)
    for (int col = 0; col < s.width; ++col) out.Set(col, row, (s.encoded_data[row][col / 8] >> (col % 8)) & 1);
}

void Fail(TORVModuleMatrix& out, QString* why, const QString& text) {
  out = TORVModuleMatrix{};
  if (why) *why = text;
}

bool IsTooLong(int rc) { return rc == ZINT_ERROR_TOO_LONG; }

}  // namespace

// ---------------------------------------------------------------- QR code

TPLNBaseQRCode::TPLNBaseQRCode(TPLNBaseLabel* owner, bool preview) : TPLNBase2DCode(owner, preview) { CalcValues(0); }
TPLNBaseQRCode::TPLNBaseQRCode(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNBase2DCode(owner, layer, preview) {
  CalcValues(0);
}

void TPLNBaseQRCode::SetLevel(TORVQRLevel l) {
  if (static_cast<int>(l) > 3) return;
  Set(fLevel, l);
}

bool TPLNBaseQRCode::EncodeQR(const QString& text, int ecLevel, TORVModuleMatrix& out, QString* why) {
  if (ecLevel < 0 || ecLevel > 3) {
    Fail(out, why, QStringLiteral("QR code: unknown error-correction level %1").arg(ecLevel));
    return false;
  }
  const QByteArray utf8 = text.toUtf8();
  if (utf8.isEmpty()) {
    Fail(out, why, QStringLiteral("QR code: no data"));
    return false;
  }
  TZintSymbol s(ZBarcode_Create());
  if (!s) {
    Fail(out, why, QStringLiteral("QR code: out of memory"));
    return false;
  }
  s->symbology = BARCODE_QRCODE;
  s->option_1 = ecLevel + 1;
  // zint scores the eight masks an order of magnitude slower than it encodes: it masks with
  // mask 0 and the best mask, by the same rules, is chosen below.
  s->option_3 = (kQRFixedMask + 1) << 8;
  const bool ascii = IsAscii(utf8);
  // Without an ECI a QR byte segment is read as Latin-1 or guessed at; saying UTF-8 makes any
  // text come back as it was written.
  s->input_mode = UNICODE_MODE;
  if (!ascii) s->eci = kUtf8Eci;
  const int rc = ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(utf8.constData()), utf8.size());
  if (rc >= ZINT_ERROR) {
    if (IsTooLong(rc)) {
      // Byte mode: 4 bits of mode, 16 of length (and 12 of ECI) before the bytes.
      const int most = kQRMaxCodewords[ecLevel] - (ascii ? 3 : 4);
      Fail(out, why, QStringLiteral("QR code: data too long (%1 bytes; at most %2 at level %3)")
                         .arg(utf8.size())
                         .arg(most)
                         .arg(QLatin1String(kQRLevelNames[ecLevel])));
    } else {
      Fail(out, why, QStringLiteral("QR code: %1").arg(QString::fromUtf8(s->errtxt)));
    }
    return false;
  }
  if (QRMask::Remask(&s->encoded_data[0][0], static_cast<int>(sizeof s->encoded_data[0]), s->rows, ecLevel,
                     kQRFixedMask, -1, out) < 0 ||
      s->rows != s->width) {
    Fail(out, why, QStringLiteral("QR code: unexpected symbol of %1 x %2 modules").arg(s->width).arg(s->rows));
    return false;
  }
  return true;
}

bool TPLNBaseQRCode::EncodeCode(const QString& code, TORVModuleMatrix& out, QString* why) const {
  return EncodeQR(code, static_cast<int>(fLevel), out, why);
}

void TPLNBaseQRCode::WriteCode(TBinaryWriter& w) const { w.WriteByte(static_cast<std::uint8_t>(fLevel)); }

void TPLNBaseQRCode::ReadCode(TBinaryReader& r) {
  fLevel = static_cast<TORVQRLevel>(Text::CheckInt(KindName(), "Level", r.ReadByte(), 0, 3));
}

void TPLNBaseQRCode::WriteCodeJson(Json::TJsonSink& o) const { o.Int("Level", static_cast<int>(fLevel)); }

void TPLNBaseQRCode::ReadCodeJson(const QJsonObject& o) {
  fLevel = static_cast<TORVQRLevel>(
      Text::CheckInt(KindName(), "Level", Json::Int(o, "Level", static_cast<int>(fLevel)), 0, 3));
}

// ---------------------------------------------------------------- DataMatrix

TPLNBaseDataMatrix::TPLNBaseDataMatrix(TPLNBaseLabel* owner, bool preview) : TPLNBase2DCode(owner, preview) {
  CalcValues(0);
}
TPLNBaseDataMatrix::TPLNBaseDataMatrix(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNBase2DCode(owner, layer, preview) {
  CalcValues(0);
}

bool TPLNBaseDataMatrix::EncodeDataMatrix(const QByteArray& data, bool square, TORVModuleMatrix& out, QString* why) {
  if (data.isEmpty()) {
    Fail(out, why, QStringLiteral("DataMatrix: no data"));
    return false;
  }
  // Square: zint picks the smallest square size. Rectangular: the smallest rectangle that holds
  // the data (zint's own choice may be a square).
  const int first = square ? 0 : kFirstRectSize, last = square ? 0 : kLastRectSize;
  int rc = 0;
  QString err;
  for (int size = first; size <= last; ++size) {
    TZintSymbol s(ZBarcode_Create());
    if (!s) {
      Fail(out, why, QStringLiteral("DataMatrix: out of memory"));
      return false;
    }
    s->symbology = BARCODE_DATAMATRIX;
    s->input_mode = DATA_MODE;
    s->option_2 = size;
    if (square) s->option_3 = DM_SQUARE;
    rc = ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(data.constData()), data.size());
    if (rc < ZINT_ERROR) {
      ReadModules(*s, out);
      return true;
    }
    err = QString::fromUtf8(s->errtxt);
    if (!IsTooLong(rc)) break;
  }
  if (IsTooLong(rc)) {
    Fail(out, why,
         square ? QStringLiteral("DataMatrix: data too long (%1 bytes; the largest square symbol, 144 x 144, "
                                 "holds at most 1556 bytes of 8-bit data)")
                      .arg(data.size())
                : QStringLiteral("DataMatrix: data too long (%1 bytes; the largest rectangular symbol, 16 x 48, "
                                 "holds at most 47 bytes of 8-bit data)")
                      .arg(data.size()));
  } else {
    Fail(out, why, QStringLiteral("DataMatrix: %1").arg(err));
  }
  return false;
}

bool TPLNBaseDataMatrix::EncodeCode(const QString& code, TORVModuleMatrix& out, QString* why) const {
  // toLatin1 would turn what it cannot hold into '?': a different code, silently.
  for (const QChar ch : code)
    if (ch.unicode() > 0xFF) {
      Fail(out, why, QStringLiteral("DataMatrix: \"%1\" is not an 8-bit (Latin-1) character").arg(ch));
      return false;
    }
  return EncodeDataMatrix(code.toLatin1(), fSquare, out, why);
}

void TPLNBaseDataMatrix::WriteCode(TBinaryWriter& w) const { w.WriteBoolean(fSquare); }
void TPLNBaseDataMatrix::ReadCode(TBinaryReader& r) { fSquare = r.ReadBoolean(); }
void TPLNBaseDataMatrix::WriteCodeJson(Json::TJsonSink& o) const { o.Bool("Square", fSquare); }
void TPLNBaseDataMatrix::ReadCodeJson(const QJsonObject& o) { fSquare = Json::Bool(o, "Square", fSquare); }

}  // namespace Orv::Barcode
