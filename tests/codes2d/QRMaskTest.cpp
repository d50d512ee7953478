// QR mask selection done outside zint: the symbols equal those zint builds choosing the mask
// itself, for every version, level and kind of data, and they decode.
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>
#include <zint.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ModuleRows.h"
#include "ORV.Barcode2D.h"
#include "ORV.QRMask.h"

using namespace Orv::Barcode;

namespace {

using TZint = std::unique_ptr<zint_symbol, void (*)(zint_symbol*)>;

// zint's QR symbol for `data`; option3 0 lets zint choose the mask.
TZint ZintQR(const QByteArray& data, int level, int option3) {
  TZint s(ZBarcode_Create(), ZBarcode_Delete);
  s->symbology = BARCODE_QRCODE;
  s->input_mode = UNICODE_MODE;
  s->option_1 = level + 1;
  s->option_3 = option3;
  for (char c : data)
    if (static_cast<unsigned char>(c) >= 0x80) s->eci = 26;
  const int rc = ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(data.constData()), data.size());
  EXPECT_LT(rc, ZINT_ERROR) << s->errtxt;
  return s;
}

std::vector<std::string> Rows(const zint_symbol& s) { return PlanoraTest::ModuleRows(s); }

std::vector<std::string> Rows(const TORVModuleMatrix& m) { return PlanoraTest::ModuleRows(m); }

int VersionOf(int size) { return (size - 17) / 4; }

// Numeric, alphanumeric, byte and UTF-8 text of `length` bytes, so zint picks different modes.
QByteArray Sample(std::mt19937& rng, int kind, int length) {
  static const char* const kUtf8[] = {"é", "ß", "Ø", "€", "東", "京", "–"};
  QByteArray b;
  while (b.size() < length) {
    switch (kind) {
      case 0: b += char('0' + rng() % 10); break;
      case 1: b += "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 $%*+-./:"[rng() % 45]; break;
      case 2: b += char(32 + rng() % 95); break;
      default: b += rng() % 4 == 0 ? QByteArray(kUtf8[rng() % 7]) : QByteArray(1, char('a' + rng() % 26)); break;
    }
  }
  if (b.size() > length && kind != 3) b.truncate(length);
  return b;
}

// The symbol drawn 4 pixels a module with a 4-module quiet zone, read back by ZXing.
std::string DecodeMatrix(const TORVModuleMatrix& m) {
  constexpr int kScale = 4, kQuiet = 4;
  const int side = (m.Cols + 2 * kQuiet) * kScale;
  std::vector<std::uint8_t> pixels(std::size_t(side) * side, 255);
  for (int c = 0; c < m.Cols; ++c)
    for (int r = 0; r < m.Rows; ++r)
      if (m.At(c, r))
        for (int y = 0; y < kScale; ++y)
          for (int x = 0; x < kScale; ++x)
            pixels[std::size_t((r + kQuiet) * kScale + y) * side + (c + kQuiet) * kScale + x] = 0;
  ZXing::DecodeHints hints;
  hints.setFormats(ZXing::BarcodeFormat::QRCode);
  const ZXing::Result r = ZXing::ReadBarcode({pixels.data(), side, side, ZXing::ImageFormat::Lum}, hints);
  return r.isValid() ? r.text() : std::string("<not decoded>");
}

}  // namespace

// Many inputs of all four levels and every version: the symbol is zint's own, bit for bit.
TEST(QRMask, SymbolsEqualZintsOwnMaskChoice) {
  std::mt19937 rng(20261206);
  std::set<int> versions;
  int compared = 0;
  const auto check = [&](const QByteArray& data, int level) {
    const TZint want = ZintQR(data, level, 0);
    TORVModuleMatrix m;
    QString why;
    ASSERT_TRUE(TPLNBaseQRCode::EncodeQR(QString::fromUtf8(data), level, m, &why)) << why.toStdString();
    ASSERT_EQ(Rows(m), Rows(*want)) << "level " << level << ", " << data.size() << " bytes: " << data.left(40).constData();
    versions.insert(VersionOf(m.Rows));
    ++compared;
  };
  // Byte data growing by 15 bytes at level L reaches each of the 40 versions.
  for (int length = 1; length <= 2953; length += 15) check(Sample(rng, 2, length), 0);
  // Random lengths up to 1000 bytes, every level, each kind of data.
  for (int i = 0; i < 480; ++i) {
    const int length = i % 5 == 0 ? 1 + int(rng() % 40) : 1 + int(rng() % 1000);
    const int level = i % 4;
    const QByteArray data = Sample(rng, int(rng() % 4), length);
    if (data.size() > 1000 && level == 3) continue;  // may not fit at H
    check(data, level);
  }
  EXPECT_EQ(versions.size(), 40u);
  EXPECT_GT(compared, 600);
}

// Each version with each mask: the data modules are found, unmasked and masked again right, and
// the format information written for each level and mask is the one zint writes.
TEST(QRMask, FixedMasksEqualZintsForEveryVersion) {
  std::mt19937 rng(7);
  std::set<int> versions;
  // Length 1 + 15k bytes at L, and the same data at the other levels, span versions 1..40.
  for (int length = 1; length <= 2953; length += 15) {
    const QByteArray data = Sample(rng, 2, length);
    for (int level = 0; level < 4; ++level) {
      if (level > 0 && length % 4 != 1) continue;
      if (level > 0 && length > 1270) continue;
      const TZint from = ZintQR(data, level, 3 << 8);  // masked with mask 2
      const int version = VersionOf(from->rows);
      if (!versions.insert(version * 4 + level).second) continue;
      for (int mask = 0; mask < 8; ++mask) {
        const TZint want = ZintQR(data, level, (mask + 1) << 8);
        TORVModuleMatrix m;
        ASSERT_EQ(QRMask::Remask(&from->encoded_data[0][0], 144, from->rows, level, 2, mask, m), mask);
        ASSERT_EQ(Rows(m), Rows(*want)) << "version " << version << " level " << level << " mask " << mask;
      }
    }
  }
  std::set<int> seen;
  for (int key : versions) seen.insert(key / 4);
  EXPECT_EQ(seen.size(), 40u);
}

// The modules left for data match the published capacities: total codewords times 8 plus the
// remainder bits, version by version.
TEST(QRMask, DataModulesMatchPublishedCapacities) {
  static constexpr int kCodewords[41] = {0,    26,   44,   70,   100,  134,  172,  196,  242,  292,  346,
                                         404,  466,  532,  581,  655,  733,  815,  901,  991,  1085, 1156,
                                         1258, 1364, 1474, 1588, 1706, 1828, 1921, 2051, 2185, 2323, 2465,
                                         2611, 2761, 2876, 3034, 3196, 3362, 3532, 3706};
  for (int v = 1; v <= 40; ++v) {
    const int remainder = v == 1 ? 0 : v <= 6 ? 7 : v <= 13 ? 0 : v <= 20 ? 3 : v <= 27 ? 4 : v <= 34 ? 3 : 0;
    EXPECT_EQ(QRMask::DataModuleCount(17 + 4 * v), kCodewords[v] * 8 + remainder) << "version " << v;
  }
  EXPECT_EQ(QRMask::DataModuleCount(22), 0);
  EXPECT_EQ(QRMask::DataModuleCount(181), 0);
}

// Symbols with and without version information, ASCII and UTF-8, decode to their text at every
// level.
TEST(QRMask, SymbolsDecode) {
  const QString texts[] = {QStringLiteral("A1"), QStringLiteral("https://example.com/p/4006381333931?lot=17"),
                           QStringLiteral("Crème brûlée, Ærøskøbing – 東京 ") + QString(160, QLatin1Char('x'))};
  for (const QString& text : texts)
    for (int level = 0; level < 4; ++level) {
      TORVModuleMatrix m;
      QString why;
      ASSERT_TRUE(TPLNBaseQRCode::EncodeQR(text, level, m, &why)) << why.toStdString();
      EXPECT_EQ(DecodeMatrix(m), text.toStdString()) << "level " << level << ", " << m.Cols << " modules";
    }
}

// Arguments out of range are refused and leave the matrix as it was.
TEST(QRMask, BadArgumentsLeaveTheMatrixAlone) {
  const TZint s = ZintQR("HELLO", 1, 1 << 8);
  TORVModuleMatrix m;
  m.Resize(2, 3);
  m.Set(1, 2, true);
  const std::uint8_t* p = &s->encoded_data[0][0];
  EXPECT_EQ(QRMask::Remask(p, 144, 22, 1, 0, -1, m), -1);
  EXPECT_EQ(QRMask::Remask(p, 144, 185, 1, 0, -1, m), -1);
  EXPECT_EQ(QRMask::Remask(p, 2, 21, 1, 0, -1, m), -1);
  EXPECT_EQ(QRMask::Remask(p, 144, 21, 4, 0, -1, m), -1);
  EXPECT_EQ(QRMask::Remask(p, 144, 21, 1, 8, -1, m), -1);
  EXPECT_EQ(QRMask::Remask(p, 144, 21, 1, 0, 8, m), -1);
  EXPECT_EQ(QRMask::Remask(nullptr, 144, 21, 1, 0, -1, m), -1);
  EXPECT_EQ(m.Cols, 2);
  EXPECT_EQ(m.Rows, 3);
  EXPECT_TRUE(m.At(1, 2));
  EXPECT_GE(QRMask::Remask(p, 144, 21, 1, 0, -1, m), 0);
  EXPECT_EQ(Rows(m), Rows(*ZintQR("HELLO", 1, 0)));
}
