// PDF417 in the model: the bar pattern tables, the module matrix against zint's, the row
// indicators, the truncated form, the codewords read back, options in both file formats and
// refused data.
#include <gtest/gtest.h>
#include <zint.h>

#include <QBuffer>

#include <functional>
#include <memory>
#include <set>
#include <tuple>

#include "ModuleRows.h"
#include "ORV.BinaryIO.h"
#include "ORV.Json.h"
#include "ORV.PDF417.h"
#include "ORV.PDF417Tables.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Barcode;

namespace {

struct TZint {
  std::vector<std::string> Rows;  // "1" dark
  int Columns = 0;
};

TZint ZintSymbol(const QByteArray& data, int columns, int level, bool truncated) {
  std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> s(ZBarcode_Create(), ZBarcode_Delete);
  s->symbology = truncated ? BARCODE_PDF417COMP : BARCODE_PDF417;
  s->input_mode = DATA_MODE;
  s->option_1 = level;
  s->option_2 = columns;
  const int rc = ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()));
  EXPECT_LT(rc, ZINT_ERROR) << s->errtxt;
  TZint z;
  z.Rows = PlanoraTest::ModuleRows(*s);
  z.Columns = (s->width - 1) / 17 - (truncated ? 2 : 4);
  return z;
}

std::vector<std::string> Rows(const TORVModuleMatrix& m) { return PlanoraTest::ModuleRows(m); }

std::vector<bool> Bits(const std::string& row) {
  std::vector<bool> b;
  for (char c : row) b.push_back(c == '1');
  return b;
}

// Element widths of `row` from x over `modules` modules.
std::vector<int> Widths(const std::string& row, int x, int modules) {
  std::vector<int> w;
  for (int i = x; i < x + modules; ++i) {
    if (w.empty() || row[i] != row[i - 1]) w.push_back(0);
    ++w.back();
  }
  return w;
}

QByteArray AllBytes() {
  QByteArray b;
  for (int i = 0; i < 256; ++i) b.append(char(i));
  return b;
}

const std::vector<QByteArray>& Samples() {
  static const std::vector<QByteArray> s{QByteArray("PDF417"), QByteArray("0123456789012345678901234567890123"),
                                         QByteArray("Invoice 2026-12-06, total 1.234,50 EUR; ref #A-77/x"),
                                         AllBytes(), QByteArray(700, 'z')};
  return s;
}

// GF(929) check: data and check codewords together vanish at 3^1 .. 3^(2^(level+1)).
bool ChecksVanish(const std::vector<std::uint16_t>& cw, int level) {
  const int k = 2 << level;
  int root = 1;
  for (int i = 1; i <= k; ++i) {
    root = root * 3 % 929;
    long long v = 0;
    for (int c : cw) v = (v * root + c) % 929;
    if (v != 0) return false;
  }
  return true;
}

}  // namespace

TEST(PDF417Model, ClusterTablesHold929DistinctValidPatternsEach) {
  const std::uint32_t* tables[3] = {Pdf417::PDF417_A, Pdf417::PDF417_B, Pdf417::PDF417_C};
  for (int cl = 0; cl < 3; ++cl) {
    std::set<std::uint32_t> seen;
    for (int v = 0; v < 929; ++v) {
      int w[8], sum = 0;
      for (int i = 0; i < 8; ++i) {
        w[i] = Pdf417::ElementWidth(tables[cl][v], i);
        sum += w[i];
        EXPECT_TRUE(w[i] >= 1 && w[i] <= 6) << cl << " " << v;
      }
      EXPECT_EQ(sum, 17) << cl << " " << v;
      EXPECT_EQ((w[0] - w[2] + w[4] - w[6] + 9) % 9, 3 * cl) << cl << " " << v;
      EXPECT_TRUE(seen.insert(tables[cl][v]).second) << "repeated pattern in cluster " << cl << " at " << v;
    }
  }
  int start = 0, stop = 0;
  for (int w : Pdf417::StartPat) start += w;
  for (int w : Pdf417::StopPat) stop += w;
  EXPECT_EQ(start, 17);
  EXPECT_EQ(stop, 18);
}

TEST(PDF417Model, MatricesAreZintsForEachShapeAndForm) {
  struct TCase {
    int Columns, Level;
  };
  for (const bool truncated : {false, true})
    for (const QByteArray& data : Samples())
      for (const TCase c : {TCase{0, -1}, TCase{1, 0}, TCase{3, 2}, TCase{7, 5}, TCase{30, 8}, TCase{12, -1}}) {
        SCOPED_TRACE(testing::Message() << "truncated " << truncated << ", " << data.size() << " bytes, columns "
                                        << c.Columns << ", level " << c.Level);
        TORVPDF417Grid grid;
        QString why;
        ASSERT_TRUE(Pdf417::Encode(data, c.Columns, c.Level, truncated, grid, &why)) << why.toStdString();
        TORVModuleMatrix m;
        Pdf417::BuildMatrix(grid, m);
        const TZint z = ZintSymbol(data, c.Columns, c.Level, truncated);
        EXPECT_EQ(Rows(m), z.Rows);
        EXPECT_EQ(grid.Columns, z.Columns);
        EXPECT_EQ(grid.Rows, z.Rows.size());
        EXPECT_EQ(grid.Truncated, truncated);
        if (c.Level >= 0) {
          EXPECT_EQ(grid.Level, c.Level);
        }
        ASSERT_EQ(grid.Codewords.size(), std::size_t(grid.Rows) * grid.Columns);
        // Columns asked for are kept unless the message (without its pads) would need more than
        // 90 rows of them.
        if (c.Columns > 0 && grid.Columns != c.Columns) {
          std::size_t used = grid.Codewords[0];
          while (used > 1 && grid.Codewords[used - 1] == 900) --used;
          EXPECT_GT(used + (2u << grid.Level), 90u * c.Columns);
        }
        // The codewords read back are a whole message: the length descriptor counts the data
        // codewords, and the check codewords hold.
        EXPECT_EQ(grid.Codewords[0], grid.Codewords.size() - (2u << grid.Level));
        EXPECT_TRUE(ChecksVanish(grid.Codewords, grid.Level));
      }
}

TEST(PDF417Model, RowIndicatorsFollowTheFormulasAndTheTruncatedFormEndsWithOneBar) {
  // The indicators worked by hand for 10 rows, 2 columns, level 2 (row 4: q = 1, cluster 1).
  EXPECT_EQ(Pdf417::LeftIndicator(0, 10, 2, 2), 3);
  EXPECT_EQ(Pdf417::RightIndicator(0, 10, 2, 2), 1);
  EXPECT_EQ(Pdf417::LeftIndicator(4, 10, 2, 2), 30 + 0 + 6);
  EXPECT_EQ(Pdf417::RightIndicator(4, 10, 2, 2), 30 + 3);
  EXPECT_EQ(Pdf417::LeftIndicator(8, 10, 2, 2), 60 + 1);
  EXPECT_EQ(Pdf417::RightIndicator(8, 10, 2, 2), 60 + 6);

  // zint's own indicators read back: each row's first and last symbol characters.
  for (const bool truncated : {false, true})
    for (const auto& [columns, level] : {std::pair{2, 2}, {5, 4}, {9, 0}}) {
      const QByteArray data = Samples()[2];
      const TZint z = ZintSymbol(data, columns, level, truncated);
      const int rows = int(z.Rows.size());
      ASSERT_GE(rows, 3);
      for (int r = 0; r < rows; ++r) {
        SCOPED_TRACE(testing::Message() << "row " << r << " truncated " << truncated);
        const std::vector<bool> bits = Bits(z.Rows[std::size_t(r)]);
        EXPECT_EQ(Pdf417::DecodeCharacter(bits, 17, r % 3), Pdf417::LeftIndicator(r, rows, columns, level));
        if (!truncated) {
          EXPECT_EQ(Pdf417::DecodeCharacter(bits, 17 * (2 + columns), r % 3),
                    Pdf417::RightIndicator(r, rows, columns, level));
        }
      }
    }

  // Our own matrices: full form ends with the 9-element stop pattern at (C + 3) x 17; the
  // truncated one has no right indicator and ends with a one-module bar at (C + 2) x 17.
  for (const int columns : {1, 4, 30}) {
    TORVPDF417Grid full, cut;
    ASSERT_TRUE(Pdf417::Encode("truncated or not", columns, 1, false, full, nullptr));
    ASSERT_TRUE(Pdf417::Encode("truncated or not", columns, 1, true, cut, nullptr));
    EXPECT_EQ(full.Codewords, cut.Codewords);
    TORVModuleMatrix mf, mc;
    Pdf417::BuildMatrix(full, mf);
    Pdf417::BuildMatrix(cut, mc);
    EXPECT_EQ(mf.Cols, (columns + 4) * 17 + 1);
    EXPECT_EQ(mc.Cols, (columns + 2) * 17 + 1);
    const std::vector<std::string> rf = Rows(mf), rc = Rows(mc);
    for (int r = 0; r < mc.Rows; ++r) {
      EXPECT_EQ(Widths(rf[std::size_t(r)], (columns + 3) * 17, 18), (std::vector<int>{7, 1, 1, 3, 1, 1, 1, 2, 1}));
      EXPECT_EQ(Widths(rf[std::size_t(r)], 0, 17), (std::vector<int>{8, 1, 1, 1, 1, 1, 1, 3}));
      // Everything before the bar is the full form's, the bar itself a lone dark module.
      EXPECT_EQ(rc[std::size_t(r)].substr(0, std::size_t(columns + 2) * 17), rf[std::size_t(r)].substr(0, std::size_t(columns + 2) * 17));
      EXPECT_EQ(rc[std::size_t(r)].back(), '1');
      EXPECT_EQ(rc[std::size_t(r)][rc[std::size_t(r)].size() - 2], '0');
    }
  }
}

TEST(PDF417Model, ItemKeepsItsGridOptionsAndDefaultsAndRefusesWhatCannotBeEncoded) {
  TPLNBaseLabel doc;
  auto* item = new TPLNBasePDF417(&doc, false);
  // Built and encoded: nothing to encode yet, with a reason.
  EXPECT_EQ(item->GetBaseBarWidth(), 330);
  EXPECT_EQ(item->GetBaseBarHeight(), 990);
  EXPECT_EQ(item->GetBasePadX(), 2000);
  EXPECT_EQ(item->GetBasePadY(), 2000);
  EXPECT_TRUE(item->Matrix().IsEmpty());
  EXPECT_FALSE(item->EncodeError().isEmpty());

  item->AssignPoints({TORVPto{10000, 10000}});
  item->SetCode(QStringLiteral("Boarding pass 4417 / seat 12C"));
  item->SetDataColumns(4);
  item->SetECLevel(3);
  EXPECT_TRUE(item->EncodeError().isEmpty()) << item->EncodeError().toStdString();
  EXPECT_EQ(item->Columns(), 4);
  EXPECT_EQ(item->Level(), 3);
  EXPECT_FALSE(item->Truncated());
  EXPECT_EQ(item->Rows() * item->Columns(), int(item->Codewords().size()));
  TORVModuleMatrix m;
  Pdf417::BuildMatrix(item->Grid(), m);
  EXPECT_EQ(Rows(m), Rows(item->Matrix()));
  EXPECT_EQ(Rows(item->Matrix()), ZintSymbol("Boarding pass 4417 / seat 12C", 4, 3, false).Rows);
  // The box is the symbol (0.33 mm modules, rows 0.99 mm) and the 2 mm quiet zones.
  const TORVBounds b = item->GetBounds();
  EXPECT_NEAR(double(b.X2 - b.X1), (4 + 4) * 17 * 330 + 330 + 2 * 2000, 2);
  EXPECT_NEAR(double(b.Y2 - b.Y1), item->Rows() * 990 + 2 * 2000, 2);
  item->SetTruncated(true);
  EXPECT_TRUE(item->Truncated());
  EXPECT_EQ(item->Matrix().Cols, (4 + 2) * 17 + 1);

  // Options out of range are clamped by the setters.
  item->SetDataColumns(99);
  EXPECT_EQ(item->GetDataColumns(), 30);
  item->SetECLevel(-5);
  EXPECT_EQ(item->GetECLevel(), -1);

  // Too much data: false, a reason, an empty matrix; the item keeps nothing of an old symbol.
  item->SetDataColumns(0);
  TORVModuleMatrix out;
  QString why;
  EXPECT_FALSE(item->EncodeCode(QString(2000, QLatin1Char('x')), out, &why));
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_TRUE(why.contains(QLatin1String("2000 bytes of data do not fit"))) << why.toStdString();
  item->SetCode(QString(2000, QLatin1Char('x')));
  EXPECT_TRUE(item->Matrix().IsEmpty());
  EXPECT_TRUE(item->Grid().IsEmpty());
  EXPECT_TRUE(item->Codewords().empty());
  EXPECT_FALSE(item->EncodeError().isEmpty());
  // Characters beyond 8 bits are refused, not turned into '?'.
  EXPECT_FALSE(item->EncodeCode(QStringLiteral("price 5 €"), out, &why));
  EXPECT_EQ(why, QStringLiteral("PDF417: the character U+20AC is not an 8-bit (Latin-1) character"));
  EXPECT_TRUE(item->EncodeCode(QStringLiteral("prix 5 £, crème"), out, &why));
  EXPECT_EQ(Rows(out), ZintSymbol(QStringLiteral("prix 5 £, crème").toLatin1(), 0, -1, true).Rows);
}

TEST(PDF417Model, OptionsRoundTripThroughBothFormatsAndBadValuesAreRefused) {
  TPLNBaseLabel doc;
  auto* item = new TPLNBasePDF417(&doc, false);
  item->AssignPoints({TORVPto{5000, 7000}});
  item->SetCode(QStringLiteral("round trip"));
  item->SetDataColumns(6);
  item->SetECLevel(-1);
  item->SetTruncated(true);
  item->SetBaseBarWidth(400);
  item->SetBaseBarHeight(1600);

  const auto check = [&](const TPLNBasePDF417& back) {
    EXPECT_EQ(std::tuple(back.GetCode(), back.GetDataColumns(), back.GetECLevel(), back.GetTruncated(), back.GetBaseBarWidth(),
                         back.GetBaseBarHeight()),
              std::tuple(QStringLiteral("round trip"), 6, -1, true, 400, 1600));
    EXPECT_EQ(back.Codewords(), item->Codewords());
    EXPECT_EQ(Rows(back.Matrix()), Rows(item->Matrix()));
  };
  // A fresh item of another document reading `read`'s record: the error, empty when it read.
  const auto readBack = [&](const std::function<QString(TPLNBasePDF417&)>& read, bool checked) {
    TPLNBaseLabel other;
    auto* back = new TPLNBasePDF417(&other, false);
    const QString error = read(*back);
    if (checked) check(*back);
    return error;
  };

  // Binary and JSON records, then the same with values out of range.
  const QByteArray bytes = PlanoraTest::Record(*item);
  EXPECT_EQ(readBack([&](TPLNBasePDF417& b) { return PlanoraTest::ReadInto(b, bytes); }, true), QString());
  QJsonObject o;
  {
    Json::TJsonObjectSink sink(o);
    item->WriteJson(sink);
  }
  EXPECT_EQ(readBack([&](TPLNBasePDF417& b) { return PlanoraTest::ReadJsonInto(b, o); }, true), QString());
  for (const auto& [key, value] : {std::pair{"Columns", 31}, {"Columns", -1}, {"Level", 9}, {"Level", -2}}) {
    QJsonObject bad = o;
    bad[QLatin1String(key)] = value;
    EXPECT_TRUE(readBack([&](TPLNBasePDF417& b) { return PlanoraTest::ReadJsonInto(b, bad); }, false).contains(QLatin1String(key)))
        << key << " = " << value;
  }
  // Binary records whose columns or level byte is out of range (the last three bytes are the
  // columns, the level and the truncated flag).
  for (const auto& [offset, value, key] : {std::tuple{3, 31, "Columns"}, {2, 9, "Level"}, {2, -2, "Level"}}) {
    QByteArray badBytes = bytes;
    badBytes[badBytes.size() - offset] = char(value);
    EXPECT_TRUE(readBack([&](TPLNBasePDF417& b) { return PlanoraTest::ReadInto(b, badBytes); }, false).contains(QLatin1String(key)))
        << key << " = " << value;
  }
}
