#pragma once
// Linear barcode encoders: validation, the printed (human-readable) code and the bar pattern
// the screen and print renderers walk element by element.

#include <QByteArray>
#include <cstdint>

namespace Orv {

// Stored in documents by value: never renumber.
enum class TORVBarType : std::uint8_t {
  Ean13 = 0, Ean8 = 1, UpcA = 2, UpcE0 = 3, Code39 = 4, Code39Ex = 5, Code93 = 6, Code93Ex = 7,
  Codabar = 8, Ean128A = 9, Ean128B = 10, Ean128C = 11, Ean128Auto = 12, Code128A = 13,
  Code128B = 14, Code128C = 15, Code128 = 16, Itf = 17, Industrial25 = 18, Matrix25 = 19,
  Code11 = 20, Msi = 21, Postnet = 22
};

}  // namespace Orv

namespace Orv::Utils {

// Pattern characters. One character per element; elements alternate bar, space, bar, ...
// starting with a bar. Width kinds: 0 one module, 1 wide (module x wide factor), 2, 3, 4
// modules, 5 one and a half modules.
//   '0'..'5'  normal bar of width kind 0..5
//   'a'..'f'  short bar (lower two fifths; POSTNET) of width kind 0..5
//   'A'..'F'  guard bar (reaches into the text line; EAN/UPC) of width kind 0..5
//   'p'..'u'  space of width kind 0..5
// Any other character decodes to width kind -1 (keep the previous width) and a space.
class TBarcode {
 public:
  // The code's alphabet, length and given check digits for the type.
  //  EAN-13: 12 digits (check computed) or 13 (check verified). EAN-8: 7 or 8. UPC-A: 11 or 12.
  //  UPC-E: 6 digits, 7 (number system 0 first) or 8 (number system 0, check verified).
  //  Code 39: 0-9 A-Z - . space $ / + %; Code 39 extended and Code 93 extended: ASCII 0..127.
  //  Code 93: as Code 39. Codabar: A-D, then 0-9 - $ : / . +, then A-D.
  //  Code 128 A: ASCII 0..95; B: 32..127; C: an even number of digits; auto: ASCII 0..127.
  //  GS1-128 (Ean128*): "(AI)value(AI)value..." with 2 to 4 digit AIs, values of printable
  //   ASCII; AIs of predefined length (00-04, 11-20, 31-36, 41) must have that length. Without
  //   parentheses the whole code is one element. The C subset needs digits only.
  //  ITF: digits, an even count (odd when checkDigit asks for the check digit to be added).
  //  Industrial and Matrix 2 of 5, MSI: digits. Code 11: digits and '-'.
  //  POSTNET: 5, 9 or 11 digits. Nothing may be empty; at most 80 characters.
  // checkDigit: add the optional check character(s) (Code 39 mod 43, ITF/2 of 5 mod 10,
  // MSI mod 10, Code 11 C and K). flagB: for Code 11 with checkDigit, the C check only.
  // Code 93 always carries its two checks, POSTNET its check digit, EAN/UPC theirs.
  static bool IsValidCode(const QByteArray& code, TORVBarType type, bool checkDigit, bool flagB);

  // The code as printed: EAN/UPC with the check digit (UPC-E as 8 digits), Code 39 between
  // '*' with its check character (extended: the text only, the check is in the bars and
  // auto128Type is 1), 2 of 5, MSI and Code 11 with their checks, POSTNET with its check
  // digit. auto128Type: for Code 128/GS1-128 the subset the symbol starts in (0 A, 1 B, 2 C),
  // else 1 when a check character is encoded but not printed, else 0.
  // flagC is reserved. Returns false (prepared empty) for an invalid code.
  static bool PrepareBarcode(const QByteArray& code, TORVBarType type, bool checkDigit,
                             bool flagB, bool flagC, QByteArray& prepared, int& auto128Type);

  // The bar pattern of a prepared code; empty when the prepared code cannot be encoded.
  // showNumber turns the EAN/UPC guard bars (and UPC-A's first and last digit bars) into
  // guard-kind bars. Code 128 recomputes its subsets from the text, so only Code 39 extended
  // reads auto128Type. Code 128 automatic subsets: the fewest symbols; on a tie a latch
  // rather than a shift, then subset B, C, A.
  static QByteArray FillBarPattern(const QByteArray& prepared, TORVBarType type, int auto128Type,
                                   bool showNumber);

  static void FillBarData(char ch, int& widthKind, int& barKind);

  // Length of a pattern in modules, wide elements counting factor modules.
  static double BarCodeWidth(const QByteArray& pattern, double factor);

  // Text positions from the symbol's left edge, for a module width m: p1/p2 are the centres of
  // the left and right digit groups; UPC-A's p3 and UPC-E's p2 where the last digit starts
  // (one module right of the bars).
  static void Ean13Pos(const QByteArray& pattern, double m, double f, double& p1, double& p2);
  static void Ean8Pos(const QByteArray& pattern, double m, double f, double& p1, double& p2);
  static void UPCAPos(const QByteArray& pattern, double m, double f, double& p1, double& p2,
                      double& p3);
  static void UPCEPos(const QByteArray& pattern, double m, double f, double& p1, double& p2);

  // Check digits, exposed for the editors and the tests.
  static int EanCheckDigit(const QByteArray& digits);  // GTIN mod 10, weights 3/1 from the right
  // UPC-E's 6 payload digits expanded to the 11 digits of UPC-A (number system 0).
  static QByteArray UpcEToUpcA(const QByteArray& six);
};

}  // namespace Orv::Utils
