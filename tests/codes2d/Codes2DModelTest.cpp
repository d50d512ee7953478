// QR code and DataMatrix encoders: matrices against zint's own for the same data and options,
// and refused data.
#include <gtest/gtest.h>
#include <zint.h>

#include <memory>

#include "ModuleRows.h"
#include "ORV.Barcode2D.h"
#include "ORV.FMX.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Barcode;

namespace {

// zint's own symbol for the same data and options, row by row ("1" dark).
std::vector<std::string> ZintRows(int symbology, const QByteArray& data, int inputMode, int eci, int option1,
                                  int option2, int option3) {
  std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> s(ZBarcode_Create(), ZBarcode_Delete);
  s->symbology = symbology;
  s->input_mode = inputMode;
  s->eci = eci;
  s->option_1 = option1;
  s->option_2 = option2;
  s->option_3 = option3;
  const int rc = ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(data.constData()), data.size());
  EXPECT_LT(rc, ZINT_ERROR) << s->errtxt;
  return PlanoraTest::ModuleRows(*s);
}

std::vector<std::string> Rows(const TORVModuleMatrix& m) { return PlanoraTest::ModuleRows(m); }

}  // namespace

TEST(Codes2DModel, QRMatricesAreZintsForEachLevel) {
  const QString accents = QStringLiteral("Crème brûlée à Málaga, Ærøskøbing – 東京");
  for (int level = 0; level < 4; ++level) {
    TORVModuleMatrix m;
    QString why;
    ASSERT_TRUE(TPLNBaseQRCode::EncodeQR(QStringLiteral("HELLO 123"), level, m, &why)) << why.toStdString();
    EXPECT_EQ(Rows(m), ZintRows(BARCODE_QRCODE, "HELLO 123", UNICODE_MODE, 0, level + 1, 0, 0)) << level;
    // Text beyond ASCII goes out as UTF-8 with its ECI, Latin-1 text too (read without an ECI,
    // decoders guess its character set).
    for (const QString& text : {accents, QStringLiteral("Grüße aus Köln")}) {
      ASSERT_TRUE(TPLNBaseQRCode::EncodeQR(text, level, m, &why)) << why.toStdString();
      EXPECT_EQ(Rows(m), ZintRows(BARCODE_QRCODE, text.toUtf8(), UNICODE_MODE, 26, level + 1, 0, 0)) << level;
    }
    EXPECT_TRUE(why.isEmpty());
  }
}

TEST(Codes2DModel, DataMatrixMatricesAreZintsSquareAndRectangular) {
  const QByteArray latin = QStringLiteral("Ünïcödé ½ Latin-1 ÿ").toLatin1();
  for (const QByteArray& data : {QByteArray("12345678"), QByteArray("DataMatrix 2D code"), latin}) {
    TORVModuleMatrix m;
    QString why;
    ASSERT_TRUE(TPLNBaseDataMatrix::EncodeDataMatrix(data, true, m, &why)) << why.toStdString();
    EXPECT_EQ(m.Rows, m.Cols);
    EXPECT_EQ(Rows(m), ZintRows(BARCODE_DATAMATRIX, data, DATA_MODE, 0, 0, 0, DM_SQUARE));
    ASSERT_TRUE(TPLNBaseDataMatrix::EncodeDataMatrix(data, false, m, &why)) << why.toStdString();
    EXPECT_LT(m.Rows, m.Cols) << data.constData();
    std::vector<std::string> best;
    for (int size = 25; size <= 30 && best.empty(); ++size) {
      std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> s(ZBarcode_Create(), ZBarcode_Delete);
      s->symbology = BARCODE_DATAMATRIX;
      s->option_2 = size;
      if (ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(data.constData()), data.size()) < ZINT_ERROR)
        best = ZintRows(BARCODE_DATAMATRIX, data, DATA_MODE, 0, 0, size, 0);
    }
    EXPECT_EQ(Rows(m), best);
  }
}

TEST(Codes2DModel, TooLongDataIsRefusedWithItsSizes) {
  TORVModuleMatrix m;
  QString why;
  const QString url = QStringLiteral("https://example.com/") + QString(3000, QLatin1Char('a'));
  ASSERT_TRUE(TPLNBaseQRCode::EncodeQR(QStringLiteral("filled before"), 1, m, nullptr));
  EXPECT_FALSE(TPLNBaseQRCode::EncodeQR(url, 1, m, &why));
  EXPECT_TRUE(m.IsEmpty());
  EXPECT_EQ(why, QStringLiteral("QR code: data too long (3020 bytes; at most 2331 at level M)"));
  // The limit is the real one: one byte more than it holds is refused, the limit itself is not.
  EXPECT_TRUE(TPLNBaseQRCode::EncodeQR(QString(2953, QLatin1Char('a')), 0, m, nullptr));
  EXPECT_FALSE(TPLNBaseQRCode::EncodeQR(QString(2954, QLatin1Char('a')), 0, m, &why));
  EXPECT_EQ(why, QStringLiteral("QR code: data too long (2954 bytes; at most 2953 at level L)"));
  EXPECT_FALSE(TPLNBaseQRCode::EncodeQR(QString(), 1, m, &why));
  EXPECT_EQ(why, QStringLiteral("QR code: no data"));

  ASSERT_TRUE(TPLNBaseDataMatrix::EncodeDataMatrix("filled before", true, m, nullptr));
  EXPECT_FALSE(TPLNBaseDataMatrix::EncodeDataMatrix(QByteArray(1600, '\xe9'), true, m, &why));
  EXPECT_TRUE(m.IsEmpty());
  EXPECT_TRUE(why.startsWith(QStringLiteral("DataMatrix: data too long (1600 bytes;"))) << why.toStdString();
  EXPECT_FALSE(TPLNBaseDataMatrix::EncodeDataMatrix(QByteArray(120, 'A'), false, m, &why));
  EXPECT_TRUE(why.startsWith(QStringLiteral("DataMatrix: data too long (120 bytes; the largest rectangular")))
      << why.toStdString();
  // Fine as a square.
  EXPECT_TRUE(TPLNBaseDataMatrix::EncodeDataMatrix(QByteArray(120, 'A'), true, m, &why));
}
