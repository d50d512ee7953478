#include <gtest/gtest.h>
#include <zint.h>

#include <QByteArray>
#include <cstring>
#include <string>
#include <vector>

#include "ORV.Barcode.h"

using Orv::TORVBarType;
using Orv::Utils::TBarcode;

namespace {

QByteArray Prepared(const QByteArray& code, TORVBarType type, bool check = false,
                    bool flagB = false, int* auto128 = nullptr) {
  QByteArray out;
  int a = -1;
  if (!TBarcode::PrepareBarcode(code, type, check, flagB, false, out, a)) return "<invalid>";
  if (auto128) *auto128 = a;
  return out;
}

QByteArray Pattern(const QByteArray& code, TORVBarType type, bool check = false,
                   bool flagB = false, bool showNumber = false) {
  QByteArray prepared;
  int a = 0;
  if (!TBarcode::PrepareBarcode(code, type, check, flagB, false, prepared, a)) return {};
  return TBarcode::FillBarPattern(prepared, type, a, showNumber);
}

// Run lengths of dark and light modules, starting with a dark run.
std::vector<int> PatternRuns(const QByteArray& pattern, int wide) {
  std::vector<int> runs;
  int prev = 1;
  for (int i = 0; i < pattern.size(); ++i) {
    int wk = 0, bk = 0;
    TBarcode::FillBarData(pattern[i], wk, bk);
    const bool dark = bk <= 2;
    EXPECT_EQ(dark, i % 2 == 0) << "element " << i << " of " << pattern.constData();
    const int w = wk == 0 ? 1 : wk == 1 ? wide : wk >= 2 && wk <= 4 ? wk : prev;
    runs.push_back(w);
    prev = w;
  }
  return runs;
}

// Whole sequences in failure messages (gtest cuts containers short).
std::string Joined(const std::vector<int>& runs) {
  std::string out;
  for (int r : runs) out += std::to_string(r);
  return out;
}

bool ZintModule(const zint_symbol* s, int row, int col) {
  return (s->encoded_data[row][col / 8] >> (col % 8)) & 1;
}

std::vector<int> ZintRuns(const zint_symbol* s, int row) {
  std::vector<int> runs;
  bool cur = true;
  int len = 0;
  for (int c = 0; c < s->width; ++c) {
    const bool m = ZintModule(s, row, c);
    if (m == cur) {
      ++len;
    } else {
      runs.push_back(len);
      cur = m;
      len = 1;
    }
  }
  // A trailing light run (zint keeps Codabar's last gap) is quiet zone, not pattern.
  if (cur) runs.push_back(len);
  return runs;
}

struct ZintCase {
  TORVBarType type;
  QByteArray code;
  bool check;
  bool flagB;
  int zintType;
  QByteArray zintData;
  int zintOption2;
  int wide;  // zint's wide-to-narrow ratio for the type
  bool gs1 = false;
};

}  // namespace

TEST(BarcodeEncode, CheckDigitsAlphabetsAndPreparedText) {
  struct Case {
    TORVBarType type;
    QByteArray code;
    bool check;
    bool flagB;
    QByteArray prepared;  // "<invalid>" when refused
  };
  const Case cases[] = {
      {TORVBarType::Ean13, "400638133393", false, false, "4006381333931"},
      {TORVBarType::Ean13, "4006381333931", false, false, "4006381333931"},
      {TORVBarType::Ean13, "4006381333932", false, false, "<invalid>"},  // wrong check digit
      {TORVBarType::Ean13, "40063813339", false, false, "<invalid>"},
      {TORVBarType::Ean13, "40063813339A", false, false, "<invalid>"},
      {TORVBarType::Ean8, "9638507", false, false, "96385074"},
      {TORVBarType::Ean8, "96385075", false, false, "<invalid>"},
      {TORVBarType::UpcA, "03600029145", false, false, "036000291452"},
      {TORVBarType::UpcA, "036000291453", false, false, "<invalid>"},
      {TORVBarType::UpcE0, "425261", false, false, "04252614"},
      {TORVBarType::UpcE0, "0425261", false, false, "04252614"},
      {TORVBarType::UpcE0, "04252614", false, false, "04252614"},
      {TORVBarType::UpcE0, "04252615", false, false, "<invalid>"},
      {TORVBarType::UpcE0, "1425261", false, false, "<invalid>"},  // number system 1
      {TORVBarType::Code39, "CODE 39", false, false, "*CODE 39*"},
      {TORVBarType::Code39, "CODE39", true, false, "*CODE39W*"},
      {TORVBarType::Code39, "code39", false, false, "<invalid>"},
      {TORVBarType::Code39, "A*B", false, false, "<invalid>"},
      {TORVBarType::Code39Ex, "code39*", true, false, "*code39**"},
      {TORVBarType::Code93, "TEST93", false, false, "TEST93"},
      {TORVBarType::Code93, "test93", false, false, "<invalid>"},
      {TORVBarType::Code93Ex, "test93\n", false, false, "test93\n"},
      {TORVBarType::Codabar, "A40156B", false, false, "A40156B"},
      {TORVBarType::Codabar, "40156", false, false, "<invalid>"},
      {TORVBarType::Codabar, "A40A56B", false, false, "<invalid>"},
      {TORVBarType::Itf, "1234567890", false, false, "1234567890"},
      {TORVBarType::Itf, "123456789", false, false, "<invalid>"},
      {TORVBarType::Itf, "123456789", true, false, "1234567895"},
      {TORVBarType::Industrial25, "12345", true, false, "123457"},
      {TORVBarType::Matrix25, "12A45", false, false, "<invalid>"},
      {TORVBarType::Code11, "123-45", true, false, "123-4552"},
      {TORVBarType::Code11, "123-45", true, true, "123-455"},
      {TORVBarType::Code11, "12+45", false, false, "<invalid>"},
      {TORVBarType::Msi, "1234567", true, false, "12345674"},
      {TORVBarType::Postnet, "55555", false, false, "555555"},
      {TORVBarType::Postnet, "555551234", false, false, "5555512345"},
      {TORVBarType::Postnet, "5555512", false, false, "<invalid>"},
      {TORVBarType::Code128A, "ABC\t", false, false, "ABC\t"},
      {TORVBarType::Code128A, "abc", false, false, "<invalid>"},
      {TORVBarType::Code128B, "ab\t", false, false, "<invalid>"},
      {TORVBarType::Code128C, "12345", false, false, "<invalid>"},
      {TORVBarType::Code128C, "123456", false, false, "123456"},
      {TORVBarType::Code128, "caf\xe9", false, false, "<invalid>"},
      {TORVBarType::Ean128Auto, "(01)09501101530003(10)AB12", false, false,
       "(01)09501101530003(10)AB12"},
      {TORVBarType::Ean128Auto, "(01)0950110153000(10)AB12", false, false, "<invalid>"},
      {TORVBarType::Ean128Auto, "(01)09501101530003(10", false, false, "<invalid>"},
      {TORVBarType::Ean128C, "(10)AB12", false, false, "<invalid>"},
      {TORVBarType::Ean128C, "(01)09501101530003", false, false, "(01)09501101530003"},
      {static_cast<TORVBarType>(23), "123", false, false, "<invalid>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.type) << " " << c.code.constData());
    EXPECT_EQ(Prepared(c.code, c.type, c.check, c.flagB), c.prepared);
    EXPECT_EQ(TBarcode::IsValidCode(c.code, c.type, c.check, c.flagB), c.prepared != "<invalid>");
  }
  // A refused code leaves no stale output behind.
  QByteArray prepared = "stale";
  int auto128 = 7;
  EXPECT_FALSE(TBarcode::PrepareBarcode("12A", TORVBarType::Ean13, false, false, false, prepared,
                                        auto128));
  EXPECT_TRUE(prepared.isEmpty());
  EXPECT_EQ(auto128, 0);
  EXPECT_TRUE(TBarcode::FillBarPattern("", TORVBarType::Code128, 0, false).isEmpty());
  EXPECT_TRUE(TBarcode::FillBarPattern("12A", TORVBarType::Ean8, 0, false).isEmpty());
  EXPECT_FALSE(TBarcode::IsValidCode("", TORVBarType::Code128, false, false));
  EXPECT_FALSE(TBarcode::IsValidCode(QByteArray(81, 'A'), TORVBarType::Code128, false, false));
  // UPC-E expansion: every rule of the last digit.
  EXPECT_EQ(TBarcode::UpcEToUpcA("123450"), "01200000345");
  EXPECT_EQ(TBarcode::UpcEToUpcA("123453"), "01230000045");
  EXPECT_EQ(TBarcode::UpcEToUpcA("123454"), "01234000005");
  EXPECT_EQ(TBarcode::UpcEToUpcA("123457"), "01234500007");
}

// Symbol count of a Code 128 pattern: 11 modules per symbol, 13 for the stop.
static int Code128Symbols(const QByteArray& pattern) {
  return (int(TBarcode::BarCodeWidth(pattern, 2)) - 13) / 11;
}

TEST(BarcodeEncode, Code128ChoosesTheShortestSubsets) {
  int start = -1;
  Prepared("12345678", TORVBarType::Code128, false, false, &start);
  EXPECT_EQ(start, 2);  // digits start in C
  // start, four pairs, check
  EXPECT_EQ(Code128Symbols(Pattern("12345678", TORVBarType::Code128)), 6);
  Prepared("AB\tC", TORVBarType::Code128, false, false, &start);
  EXPECT_EQ(start, 0);  // a control character needs A
  Prepared("abc", TORVBarType::Code128, false, false, &start);
  EXPECT_EQ(start, 1);
  // One control character among lower case: a shift, not two latches.
  EXPECT_EQ(Code128Symbols(Pattern("ab\tcd", TORVBarType::Code128)), 1 + 2 + 2 + 2 + 1);
  // A run of six digits inside text goes to C: start, A, B, latch C, 3 pairs, latch B, c, check.
  EXPECT_EQ(Code128Symbols(Pattern("AB123456c", TORVBarType::Code128)), 1 + 2 + 1 + 3 + 1 + 1 + 1);
  // Three digits stay in B: cheaper than latching.
  EXPECT_EQ(Code128Symbols(Pattern("A123B", TORVBarType::Code128)), 1 + 5 + 1);
  // An odd run: one digit in B, then C for the rest.
  EXPECT_EQ(Code128Symbols(Pattern("X12345", TORVBarType::Code128)), 1 + 2 + 1 + 2 + 1);
  // Forced subsets: C encodes pairs, B one symbol per character.
  EXPECT_EQ(Code128Symbols(Pattern("123456", TORVBarType::Code128C)), 1 + 3 + 1);
  EXPECT_EQ(Code128Symbols(Pattern("123456", TORVBarType::Code128B)), 1 + 6 + 1);
  // GS1: FNC1 first, and after a variable-length field that is not last.
  EXPECT_EQ(Code128Symbols(Pattern("(10)12(01)09501101530003", TORVBarType::Ean128C)),
            1 + 1 + 2 + 1 + 8 + 1);
  EXPECT_EQ(Code128Symbols(Pattern("(01)09501101530003(10)12", TORVBarType::Ean128C)),
            1 + 1 + 8 + 2 + 1);
}

TEST(BarcodeEncode, PatternDataAndTextPositions) {
  int wk = 0, bk = 0;
  const struct { char ch; int wk, bk; } decode[] = {
      {'0', 0, 0}, {'1', 1, 0}, {'5', 5, 0}, {'a', 0, 1}, {'c', 2, 1},
      {'A', 0, 2}, {'E', 4, 2}, {'p', 0, 3}, {'u', 5, 3}, {'?', -1, 3}};
  for (const auto& d : decode) {
    TBarcode::FillBarData(d.ch, wk, bk);
    EXPECT_EQ(wk, d.wk) << d.ch;
    EXPECT_EQ(bk, d.bk) << d.ch;
  }
  EXPECT_DOUBLE_EQ(TBarcode::BarCodeWidth("0p1q2?5", 3), 1 + 1 + 3 + 3 + 2 + 2 + 1.5);

  struct Layout {
    TORVBarType type;
    QByteArray code;
    double modules;
  };
  const Layout layouts[] = {{TORVBarType::Ean13, "400638133393", 95},
                            {TORVBarType::Ean8, "9638507", 67},
                            {TORVBarType::UpcA, "03600029145", 95},
                            {TORVBarType::UpcE0, "425261", 51}};
  for (const Layout& l : layouts) {
    SCOPED_TRACE(int(l.type));
    const QByteArray plain = Pattern(l.code, l.type, false, false, false);
    const QByteArray shown = Pattern(l.code, l.type, false, false, true);
    EXPECT_DOUBLE_EQ(TBarcode::BarCodeWidth(plain, 3), l.modules);
    ASSERT_EQ(plain.size(), shown.size());
    // Guard bars only with the number shown, and only where plain has bars.
    std::vector<double> guardEdges;  // left edges of guard bars, in modules
    double x = 0;
    for (int i = 0; i < shown.size(); ++i) {
      TBarcode::FillBarData(shown[i], wk, bk);
      int pwk = 0, pbk = 0;
      TBarcode::FillBarData(plain[i], pwk, pbk);
      EXPECT_NE(pbk, 2);
      EXPECT_EQ(pwk, wk);
      if (bk == 2) guardEdges.push_back(x);
      x += TBarcode::BarCodeWidth(QByteArray(1, shown[i]), 3);
    }
    double p1 = 0, p2 = 0, p3 = 0;
    const double m = 0.5;
    // The digit groups lie centred between the guards.
    switch (l.type) {
      case TORVBarType::Ean13:
        ASSERT_EQ(guardEdges.size(), 6u);
        TBarcode::Ean13Pos(shown, m, 3, p1, p2);
        EXPECT_DOUBLE_EQ(p1, m * (guardEdges[1] + 1 + guardEdges[2] - 1) / 2);
        EXPECT_DOUBLE_EQ(p2, m * (guardEdges[3] + 2 + guardEdges[4]) / 2);
        break;
      case TORVBarType::Ean8:
        ASSERT_EQ(guardEdges.size(), 6u);
        TBarcode::Ean8Pos(shown, m, 3, p1, p2);
        EXPECT_DOUBLE_EQ(p1, m * (guardEdges[1] + 1 + guardEdges[2] - 1) / 2);
        EXPECT_DOUBLE_EQ(p2, m * (guardEdges[3] + 2 + guardEdges[4]) / 2);
        break;
      case TORVBarType::UpcA:
        // Start guard, first digit's two bars, middle guard, last digit's two bars, end guard.
        ASSERT_EQ(guardEdges.size(), 10u);
        TBarcode::UPCAPos(shown, m, 3, p1, p2, p3);
        EXPECT_DOUBLE_EQ(p1, m * (3 + 7 + guardEdges[4] - 1) / 2);
        EXPECT_DOUBLE_EQ(p2, m * (guardEdges[5] + 2 + 95 - 3 - 7) / 2);
        EXPECT_DOUBLE_EQ(p3, m * 96);
        break;
      default:
        ASSERT_EQ(guardEdges.size(), 5u);
        TBarcode::UPCEPos(shown, m, 3, p1, p2);
        EXPECT_DOUBLE_EQ(p1, m * (guardEdges[1] + 1 + guardEdges[2] - 1) / 2);
        EXPECT_DOUBLE_EQ(p2, m * 52);
        break;
    }
  }
  // POSTNET: frame bars tall, two tall bars per digit, the rest short.
  const QByteArray post = Pattern("55555", TORVBarType::Postnet);
  int tall = 0, shortBars = 0;
  for (char ch : post) {
    TBarcode::FillBarData(ch, wk, bk);
    tall += bk == 0;
    shortBars += bk == 1;
  }
  EXPECT_EQ(tall, 2 + 2 * 6);
  EXPECT_EQ(shortBars, 3 * 6);
}

TEST(BarcodeEncode, ModulesMatchZintForEveryType) {
  const ZintCase cases[] = {
      {TORVBarType::Ean13, "400638133393", false, false, BARCODE_EANX, "400638133393", 0, 2},
      {TORVBarType::Ean13, "9780201379624", false, false, BARCODE_EANX, "978020137962", 0, 2},
      {TORVBarType::Ean8, "9638507", false, false, BARCODE_EANX, "9638507", 0, 2},
      {TORVBarType::UpcA, "03600029145", false, false, BARCODE_UPCA, "03600029145", 0, 2},
      {TORVBarType::UpcE0, "425261", false, false, BARCODE_UPCE, "0425261", 0, 2},
      {TORVBarType::UpcE0, "123457", false, false, BARCODE_UPCE, "0123457", 0, 2},
      {TORVBarType::Code39, "CODE-39 $/+%.", false, false, BARCODE_CODE39, "CODE-39 $/+%.", 0, 2},
      {TORVBarType::Code39, "ABC123", true, false, BARCODE_CODE39, "ABC123", 1, 2},
      {TORVBarType::Code39Ex, "Code39 ext!", false, false, BARCODE_EXCODE39, "Code39 ext!", 0, 2},
      {TORVBarType::Code39Ex, "a+b", true, false, BARCODE_EXCODE39, "a+b", 1, 2},
      {TORVBarType::Code39Ex, QByteArray("a\0b", 3), false, false, BARCODE_EXCODE39,
       QByteArray("a\0b", 3), 0, 2},
      {TORVBarType::Code93, "TEST93", false, false, BARCODE_CODE93, "TEST93", 0, 2},
      {TORVBarType::Code93, "A-B.C $/+%", false, false, BARCODE_CODE93, "A-B.C $/+%", 0, 2},
      {TORVBarType::Code93Ex, "Code 93!", false, false, BARCODE_CODE93, "Code 93!", 0, 2},
      {TORVBarType::Codabar, "A40156B", false, false, BARCODE_CODABAR, "A40156B", 0, 2},
      {TORVBarType::Codabar, "C-$:/.+D", false, false, BARCODE_CODABAR, "C-$:/.+D", 0, 2},
      {TORVBarType::Code128, "12345678", false, false, BARCODE_CODE128, "12345678", 0, 2},
      {TORVBarType::Code128, "Hello", false, false, BARCODE_CODE128, "Hello", 0, 2},
      {TORVBarType::Code128, "ABC\x01", false, false, BARCODE_CODE128, "ABC\x01", 0, 2},
      {TORVBarType::Ean128Auto, "(01)09501101530003", false, false, BARCODE_GS1_128,
       "[01]09501101530003", 0, 2, true},
      {TORVBarType::Ean128Auto, "(10)AB-12(01)09501101530003(3103)000123", false, false,
       BARCODE_GS1_128, "[10]AB-12[01]09501101530003[3103]000123", 0, 2, true},
      {TORVBarType::Ean128Auto, "(01)09501101530003(21)123456(10)X1", false, false,
       BARCODE_GS1_128, "[01]09501101530003[21]123456[10]X1", 0, 2, true},
      {TORVBarType::Code128, "AB123456c", false, false, BARCODE_CODE128, "AB123456c", 0, 2},
      {TORVBarType::Code128, "ab\tcd", false, false, BARCODE_CODE128, "ab\tcd", 0, 2},
      {TORVBarType::Code128, "X12345", false, false, BARCODE_CODE128, "X12345", 0, 2},
      {TORVBarType::Code128, "\x01\x02" "ab\x03\x04", false, false, BARCODE_CODE128,
       "\x01\x02" "ab\x03\x04", 0, 2},
      {TORVBarType::Code93Ex, "a$b%c/d+e*\x7f", false, false, BARCODE_CODE93, "a$b%c/d+e*\x7f", 0,
       2},
      {TORVBarType::Itf, "1234567890", false, false, BARCODE_C25INTER, "1234567890", 0, 3},
      {TORVBarType::Industrial25, "123456", false, false, BARCODE_C25IND, "123456", 0, 3},
      {TORVBarType::Itf, "123456789", true, false, BARCODE_C25INTER, "123456789", 1, 3},
      {TORVBarType::Industrial25, "9876", true, false, BARCODE_C25IND, "9876", 1, 3},
      {TORVBarType::Matrix25, "9876", true, false, BARCODE_C25STANDARD, "9876", 1, 3},
      // Forced subsets where zint's own choice is the same.
      {TORVBarType::Code128A, "ABC\x01", false, false, BARCODE_CODE128, "ABC\x01", 0, 2},
      {TORVBarType::Code128B, "Hello", false, false, BARCODE_CODE128, "Hello", 0, 2},
      {TORVBarType::Code128C, "12345678", false, false, BARCODE_CODE128, "12345678", 0, 2},
      {TORVBarType::Ean128C, "(01)09501101530003", false, false, BARCODE_GS1_128,
       "[01]09501101530003", 0, 2, true},
      {TORVBarType::Matrix25, "123456", false, false, BARCODE_C25STANDARD, "123456", 0, 3},
      {TORVBarType::Code11, "123-45", false, false, BARCODE_CODE11, "123-45", 2, 2},
      {TORVBarType::Code11, "0123456789-", true, false, BARCODE_CODE11, "0123456789-", 0, 2},
      {TORVBarType::Code11, "123-45", true, true, BARCODE_CODE11, "123-45", 1, 2},
      {TORVBarType::Msi, "1234567", false, false, BARCODE_MSI_PLESSEY, "1234567", 0, 2},
      {TORVBarType::Msi, "80523", true, false, BARCODE_MSI_PLESSEY, "80523", 1, 2},
  };
  // Whole alphabets, so every table entry meets zint once.
  QByteArray ascii, asciiA;
  for (int ch = 32; ch < 127; ++ch) ascii.append(char(ch));
  for (int ch = 0; ch < 96; ++ch) asciiA.append(char(ch));
  QByteArray pairs;
  for (int v = 0; v < 100; ++v) pairs += QByteArray::number(v + 100).right(2);
  const ZintCase alphabets[] = {
      {TORVBarType::Code39, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", false, false,
       BARCODE_CODE39, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", 0, 2},
      {TORVBarType::Code93Ex, ascii.left(48), false, false, BARCODE_CODE93, ascii.left(48), 0, 2},
      {TORVBarType::Code93Ex, ascii.mid(48), false, false, BARCODE_CODE93, ascii.mid(48), 0, 2},
      {TORVBarType::Code93Ex, asciiA.left(32) + '\x7f', false, false, BARCODE_CODE93,
       asciiA.left(32) + '\x7f', 0, 2},
      {TORVBarType::Codabar, "A0123456789-$:/.+B", false, false, BARCODE_CODABAR,
       "A0123456789-$:/.+B", 0, 2},
      // zint takes at most 60 Code 128 symbols.
      {TORVBarType::Code128, ascii.left(50), false, false, BARCODE_CODE128, ascii.left(50), 0, 2},
      {TORVBarType::Code128, ascii.mid(50), false, false, BARCODE_CODE128, ascii.mid(50), 0, 2},
      {TORVBarType::Code128, asciiA.left(50), false, false, BARCODE_CODE128, asciiA.left(50), 0, 2},
      {TORVBarType::Code128, asciiA.mid(50), false, false, BARCODE_CODE128, asciiA.mid(50), 0, 2},
      {TORVBarType::Code128, pairs.left(80), false, false, BARCODE_CODE128, pairs.left(80), 0, 2},
      {TORVBarType::Code128, pairs.mid(80, 80), false, false, BARCODE_CODE128, pairs.mid(80, 80),
       0, 2},
      {TORVBarType::Code128, pairs.mid(160), false, false, BARCODE_CODE128, pairs.mid(160), 0, 2},
  };
  std::vector<ZintCase> all(std::begin(cases), std::end(cases));
  all.insert(all.end(), std::begin(alphabets), std::end(alphabets));
  for (const ZintCase& c : all) {
    SCOPED_TRACE(testing::Message() << int(c.type) << " " << c.code.constData());
    const QByteArray pattern = Pattern(c.code, c.type, c.check, c.flagB);
    ASSERT_FALSE(pattern.isEmpty());
    zint_symbol* s = ZBarcode_Create();
    s->symbology = c.zintType;
    s->option_2 = c.zintOption2;
    if (c.gs1) s->input_mode = GS1_MODE;
    const int rc = ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(c.zintData.constData()),
                                   int(c.zintData.size()));
    ASSERT_LT(rc, ZINT_ERROR) << s->errtxt;
    EXPECT_EQ(Joined(PatternRuns(pattern, c.wide)), Joined(ZintRuns(s, s->rows - 1)));
    ZBarcode_Delete(s);
  }

  // POSTNET: zint's lower row holds every bar, its upper row only the tall ones.
  for (const QByteArray& code : {QByteArray("55555"), QByteArray("555551234"),
                                QByteArray("12345678901")}) {
    SCOPED_TRACE(code.constData());
    const QByteArray pattern = Pattern(code, TORVBarType::Postnet);
    std::string ours;
    for (char ch : pattern) {
      int wk = 0, bk = 0;
      TBarcode::FillBarData(ch, wk, bk);
      if (bk <= 2) ours += bk == 0 ? 'T' : 'S';
    }
    zint_symbol* s = ZBarcode_Create();
    s->symbology = BARCODE_POSTNET;
    ASSERT_LT(ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(code.constData()),
                              int(code.size())),
              ZINT_ERROR);
    ASSERT_EQ(s->rows, 2);
    std::string theirs;
    for (int col = 0; col < s->width; ++col)
      if (ZintModule(s, 1, col) && (col == 0 || !ZintModule(s, 1, col - 1)))
        theirs += ZintModule(s, 0, col) ? 'T' : 'S';
    EXPECT_EQ(ours, theirs);
    EXPECT_EQ(Joined(PatternRuns(pattern, 2)), Joined(ZintRuns(s, 1)));
    ZBarcode_Delete(s);
  }
}
