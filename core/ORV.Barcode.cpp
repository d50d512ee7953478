#include "ORV.Barcode.h"

#include <array>
#include <cstring>
#include <vector>

namespace Orv::Utils {

namespace {

constexpr int kMaxLength = 80;

// Element widths, bar first unless the pattern so far ends with a bar. In module tables
// '1'..'4' are modules; in narrow/wide tables '1' is narrow, '2' wide and '4' four modules.
void Append(QByteArray& pat, const char* widths, bool narrowWide, int barKind = 0) {
  for (const char* p = widths; *p; ++p) {
    int wk = 0;
    switch (*p) {
      case '1': wk = 0; break;
      case '2': wk = narrowWide ? 1 : 2; break;
      case '3': wk = 3; break;
      case '4': wk = 4; break;
      default: wk = 0; break;
    }
    const bool bar = pat.size() % 2 == 0;
    if (!bar)
      pat.append(char('p' + wk));
    else if (barKind == 1)
      pat.append(char('a' + wk));
    else if (barKind == 2)
      pat.append(char('A' + wk));
    else
      pat.append(char('0' + wk));
  }
}

bool AllDigits(const QByteArray& s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return !s.isEmpty();
}

// ---- EAN / UPC ----
const char* const kEanL[10] = {"3211", "2221", "2122", "1411", "1132",
                               "1231", "1114", "1312", "1213", "3112"};
const char* const kEanG[10] = {"1123", "1222", "2212", "1141", "2311",
                               "1321", "4111", "2131", "3121", "2113"};
const char* const kEan13Parity[10] = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                      "LGGLLG", "LGGGLG", "LGLGGL", "LGLGLG", "LGGLGL"};
// UPC-E number system 0, by check digit: 'G' even parity, 'L' odd.
const char* const kUpcEParity[10] = {"GGGLLL", "GGLGLL", "GGLLGL", "GGLLLG", "GLGGLL",
                                     "GLLGGL", "GLLLGG", "GLGLGL", "GLGLLG", "GLLGLG"};

// ---- Code 39 ----
const char kC39Chars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
const char* const kC39[44] = {
    "111221211", "211211112", "112211112", "212211111", "111221112", "211221111", "112221111",
    "111211212", "211211211", "112211211", "211112112", "112112112", "212112111", "111122112",
    "211122111", "112122111", "111112212", "211112211", "112112211", "111122211", "211111122",
    "112111122", "212111121", "111121122", "211121121", "112121121", "111111222", "211111221",
    "112111221", "111121221", "221111112", "122111112", "222111111", "121121112", "221121111",
    "122121111", "121111212", "221111211", "122111211", "121212111", "121211121", "121112121",
    "111212121", "121121211" /* '*' */};

// Full ASCII as pairs of the basic set; '$', '%', '/', '+' are the shift characters.
const char* const kAsciiPairs[128] = {
    "%U", "$A", "$B", "$C", "$D", "$E", "$F", "$G", "$H", "$I", "$J", "$K", "$L", "$M", "$N",
    "$O", "$P", "$Q", "$R", "$S", "$T", "$U", "$V", "$W", "$X", "$Y", "$Z", "%A", "%B", "%C",
    "%D", "%E", " ",  "/A", "/B", "/C", "/D", "/E", "/F", "/G", "/H", "/I", "/J", "/K", "/L",
    "-",  ".",  "/O", "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "/Z", "%F",
    "%G", "%H", "%I", "%J", "%V", "A",  "B",  "C",  "D",  "E",  "F",  "G",  "H",  "I",  "J",
    "K",  "L",  "M",  "N",  "O",  "P",  "Q",  "R",  "S",  "T",  "U",  "V",  "W",  "X",  "Y",
    "Z",  "%K", "%L", "%M", "%N", "%O", "%W", "+A", "+B", "+C", "+D", "+E", "+F", "+G", "+H",
    "+I", "+J", "+K", "+L", "+M", "+N", "+O", "+P", "+Q", "+R", "+S", "+T", "+U", "+V", "+W",
    "+X", "+Y", "+Z", "%P", "%Q", "%R", "%S", "%T"};

int C39Index(char c) {
  const char* p = c ? std::strchr(kC39Chars, c) : nullptr;
  return p ? int(p - kC39Chars) : -1;
}

// ---- Code 93: values 0..42 as Code 39's characters, 43..46 the shifts ($) (%) (/) (+) ----
const char* const kC93[47] = {
    "131112", "111213", "111312", "111411", "121113", "121212", "121311", "111114", "131211",
    "141111", "211113", "211212", "211311", "221112", "221211", "231111", "112113", "112212",
    "112311", "122112", "132111", "111123", "111222", "111321", "121122", "131121", "212112",
    "212211", "211122", "211221", "221121", "222111", "112122", "112221", "122121", "123111",
    "121131", "311112", "311211", "321111", "112131", "113121", "211131", "121221", "312111",
    "311121", "122211"};

// ---- Codabar ----
const char kCodabarChars[] = "0123456789-$:/.+ABCD";
const char* const kCodabar[20] = {"1111122", "1111221", "1112112", "2211111", "1121121",
                                  "2111121", "1211112", "1211211", "1221111", "2112111",
                                  "1112211", "1122111", "2111212", "2121112", "2121211",
                                  "1121212", "1122121", "1212112", "1112122", "1112221"};

// ---- 2 of 5 family: five elements per digit, two of them wide ----
const char* const k25[10] = {"11221", "21112", "12112", "22111", "11212",
                             "21211", "12211", "11122", "21121", "12121"};

// ---- Code 11 ----
const char* const kC11[11] = {"11112", "21112", "12112", "22111", "11212", "21211",
                              "12211", "11122", "21121", "21111", "11211"};

// ---- Code 128 ----
const char* const kC128[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};

constexpr int kFnc1 = -1;
enum Set { SetA = 0, SetB = 1, SetC = 2 };

bool InSet(int c, int set) {
  if (c == kFnc1) return true;
  if (set == SetA) return c >= 0 && c <= 95;
  if (set == SetB) return c >= 32 && c <= 127;
  return false;
}
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

int ValueIn(int c, int set) {
  if (c == kFnc1) return 102;
  if (set == SetA) return c < 32 ? c + 64 : c - 32;
  return c - 32;
}

// Symbol values (start and data, without check and stop) of data in a fixed subset or, with
// set < 0, in the shortest mix of subsets. Empty when the data does not fit.
std::vector<int> Code128Values(const std::vector<int>& data, int set, int* startSet) {
  const int n = int(data.size());
  std::vector<int> out;
  auto c2 = [&](int i) { return i + 1 < n && IsDigit(data[i]) && IsDigit(data[i + 1]); };
  if (set >= 0) {
    out.push_back(103 + set);
    for (int i = 0; i < n;) {
      if (set == SetC) {
        if (data[i] == kFnc1) { out.push_back(102); ++i; continue; }
        if (!c2(i)) return {};
        out.push_back((data[i] - '0') * 10 + data[i + 1] - '0');
        i += 2;
      } else {
        if (!InSet(data[i], set)) return {};
        out.push_back(ValueIn(data[i], set));
        ++i;
      }
    }
    if (startSet) *startSet = set;
    return out;
  }
  // cost[i][s]: fewest symbols for data[i..] when in subset s at i. Kinds: 0 direct,
  // 1 shift (one character of the other of A/B), 2+t latch to t.
  constexpr int kInf = 1 << 28;
  std::vector<std::array<int, 3>> cost(n + 1, {0, 0, 0}), how(n + 1, {0, 0, 0}),
      dkind(n + 1, {0, 0, 0});
  for (int i = n - 1; i >= 0; --i) {
    std::array<int, 3> direct{kInf, kInf, kInf};
    std::array<int, 3>& kind = dkind[i];
    for (int s = 0; s < 3; ++s) {
      if (s == SetC) {
        if (data[i] == kFnc1) direct[s] = 1 + cost[i + 1][s];
        else if (c2(i)) direct[s] = 1 + cost[i + 2][s];
      } else if (InSet(data[i], s)) {
        direct[s] = 1 + cost[i + 1][s];
      } else if (InSet(data[i], 1 - s)) {
        direct[s] = 2 + cost[i + 1][s];
        kind[s] = 1;
      }
    }
    for (int s = 0; s < 3; ++s) {
      cost[i][s] = direct[s];
      how[i][s] = kind[s];
      // Prefer staying unless that needs a shift as long as a latch; among latches prefer
      // B, then C, then A.
      for (int t : {SetB, SetC, SetA}) {
        if (t == s || direct[t] >= kInf) continue;
        if (1 + direct[t] < cost[i][s] || (1 + direct[t] == cost[i][s] && how[i][s] == 1)) {
          cost[i][s] = 1 + direct[t];
          how[i][s] = 2 + t;
        }
      }
    }
  }
  int s = SetB;
  for (int t : {SetC, SetA})
    if (n > 0 && cost[0][t] < cost[0][s]) s = t;
  if (n > 0 && cost[0][s] >= kInf) return {};
  if (startSet) *startSet = s;
  out.push_back(103 + s);
  for (int i = 0; i < n;) {
    int k = how[i][s];
    if (k >= 2) {
      const int t = k - 2;
      out.push_back(t == SetA ? 101 : t == SetB ? 100 : 99);
      s = t;
      k = dkind[i][s];  // after a latch: a direct character or a shift
    }
    if (k == 1) {
      out.push_back(98);
      out.push_back(ValueIn(data[i], 1 - s));
      ++i;
    } else if (s == SetC && data[i] != kFnc1) {
      out.push_back((data[i] - '0') * 10 + data[i + 1] - '0');
      i += 2;
    } else {
      out.push_back(ValueIn(data[i], s));
      ++i;
    }
  }
  return out;
}

QByteArray Code128Pattern(const std::vector<int>& values) {
  QByteArray pat;
  int sum = values.empty() ? 0 : values[0];
  for (size_t k = 0; k < values.size(); ++k) {
    if (k > 0) sum += values[k] * int(k);
    Append(pat, kC128[values[k]], false);
  }
  Append(pat, kC128[sum % 103], false);
  Append(pat, kC128[106], false);
  return pat;
}

// GS1 element strings: AIs whose value length is predefined need no FNC1 after them.
int Gs1FixedValueLength(const QByteArray& ai) {
  const int p = ai.left(2).toInt();
  if (ai.size() == 2 && p == 0) return 18;
  if (ai.size() == 2 && p >= 1 && p <= 3) return 14;
  if (ai.size() == 2 && p == 4) return 16;
  if (ai.size() == 2 && p >= 11 && p <= 19) return 6;
  if (ai.size() == 2 && p == 20) return 2;
  if (ai.size() == 4 && p >= 31 && p <= 36) return 6;
  if (ai.size() == 3 && p == 41) return 13;
  return -1;
}

// Data of a GS1-128 code with FNC1 markers; false for bad syntax.
bool Gs1Data(const QByteArray& code, std::vector<int>& data) {
  data.clear();
  data.push_back(kFnc1);
  if (!code.startsWith('(')) {
    for (char c : code) {
      if (c < 32 || c > 126 || c == '(' || c == ')') return false;
      data.push_back(c);
    }
    return true;
  }
  int i = 0;
  bool needFnc1 = false;
  while (i < code.size()) {
    if (code[i] != '(') return false;
    const int close = code.indexOf(')', i);
    if (close < 0) return false;
    const QByteArray ai = code.mid(i + 1, close - i - 1);
    if (ai.size() < 2 || ai.size() > 4 || !AllDigits(ai)) return false;
    int end = code.indexOf('(', close);
    if (end < 0) end = int(code.size());
    const QByteArray value = code.mid(close + 1, end - close - 1);
    if (value.isEmpty()) return false;
    for (char c : value)
      if (c < 33 || c > 126 || c == ')') return false;
    const int fixed = Gs1FixedValueLength(ai);
    if (fixed >= 0 && value.size() != fixed) return false;
    if (needFnc1) data.push_back(kFnc1);
    for (char c : ai) data.push_back(c);
    for (char c : value) data.push_back(c);
    needFnc1 = fixed < 0;
    i = end;
  }
  return true;
}

int Mod10Weighted(const QByteArray& digits) {  // weights 3,1,3,... from the right
  int sum = 0;
  for (int i = int(digits.size()) - 1, w = 3; i >= 0; --i, w = 4 - w) sum += (digits[i] - '0') * w;
  return (10 - sum % 10) % 10;
}

int C39Check(const QByteArray& text) {
  int sum = 0;
  for (char c : text) sum += C39Index(c);
  return sum % 43;
}

QByteArray C39ExMapped(const QByteArray& text) {
  QByteArray out;
  for (char c : text) out.append(kAsciiPairs[int(static_cast<unsigned char>(c))]);
  return out;
}

// Code 93 values of a text, extended mapping or not (the shifts become values 43..46).
std::vector<int> C93Values(const QByteArray& text, bool extended) {
  std::vector<int> v;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u > 127) return {};
    if (!extended) {
      const int idx = C39Index(c);
      if (idx < 0) return {};
      v.push_back(idx);
      continue;
    }
    const char* pair = kAsciiPairs[u];
    // '$', '%', '/', '+' are characters of their own in Code 93.
    if (std::strlen(pair) == 2 && !(c == '$' || c == '%' || c == '/' || c == '+')) {
      const char sh = pair[0];
      v.push_back(sh == '$' ? 43 : sh == '%' ? 44 : sh == '/' ? 45 : 46);
      v.push_back(C39Index(pair[1]));
    } else {
      v.push_back(C39Index(c));
    }
  }
  return v;
}

int MsiCheck(const QByteArray& digits) {  // Luhn over the digits, rightmost doubled
  int sum = 0;
  for (int i = int(digits.size()) - 1, dbl = 1; i >= 0; --i, dbl = !dbl) {
    int d = (digits[i] - '0') * (dbl ? 2 : 1);
    sum += d / 10 + d % 10;
  }
  return (10 - sum % 10) % 10;
}

char C11Check(const QByteArray& text, int maxWeight) {
  int sum = 0;
  for (int i = int(text.size()) - 1, w = 1; i >= 0; --i) {
    sum += (text[i] == '-' ? 10 : text[i] - '0') * w;
    w = w == maxWeight ? 1 : w + 1;
  }
  const int c = sum % 11;
  return c == 10 ? '-' : char('0' + c);
}

const char* const kPostnet[10] = {"11000", "00011", "00101", "00110", "01001",
                                  "01010", "01100", "10001", "10010", "10100"};

}  // namespace

int TBarcode::EanCheckDigit(const QByteArray& digits) { return Mod10Weighted(digits); }

QByteArray TBarcode::UpcEToUpcA(const QByteArray& d) {
  if (d.size() != 6) return {};
  const char last = d[5];
  QByteArray a = "0";
  if (last <= '2')
    a += d.left(2) + last + "0000" + d.mid(2, 3);
  else if (last == '3')
    a += d.left(3) + "00000" + d.mid(3, 2);
  else if (last == '4')
    a += d.left(4) + "00000" + d.mid(4, 1);
  else
    a += d.left(5) + "0000" + last;
  return a;
}

bool TBarcode::IsValidCode(const QByteArray& code, TORVBarType type, bool checkDigit, bool flagB) {
  QByteArray prepared;
  int t = 0;
  return PrepareBarcode(code, type, checkDigit, flagB, false, prepared, t);
}

bool TBarcode::PrepareBarcode(const QByteArray& code, TORVBarType type, bool checkDigit,
                              bool flagB, bool /*flagC*/, QByteArray& prepared,
                              int& auto128Type) {
  prepared.clear();
  auto128Type = 0;
  if (code.isEmpty() || code.size() > kMaxLength) return false;
  QByteArray out;
  int extra = 0;
  auto withCheck = [&](int payload) -> bool {  // EAN/UPC: add or verify the check digit
    if (!AllDigits(code) || (code.size() != payload && code.size() != payload + 1)) return false;
    const QByteArray body = code.left(payload);
    const char c = char('0' + Mod10Weighted(body));
    if (code.size() == payload + 1 && code[payload] != c) return false;
    out = body + c;
    return true;
  };
  switch (type) {
    case TORVBarType::Ean13:
      if (!withCheck(12)) return false;
      break;
    case TORVBarType::Ean8:
      if (!withCheck(7)) return false;
      break;
    case TORVBarType::UpcA:
      if (!withCheck(11)) return false;
      break;
    case TORVBarType::UpcE0: {
      if (!AllDigits(code) || code.size() < 6 || code.size() > 8) return false;
      const QByteArray six = code.size() == 6 ? code : code.mid(1, 6);
      if (code.size() >= 7 && code[0] != '0') return false;
      const char c = char('0' + Mod10Weighted(UpcEToUpcA(six)));
      if (code.size() == 8 && code[7] != c) return false;
      out = "0" + six + c;
      break;
    }
    case TORVBarType::Code39: {
      for (char c : code)
        if (C39Index(c) < 0) return false;
      out = "*" + code;
      if (checkDigit) out += kC39Chars[C39Check(code)];
      out += "*";
      break;
    }
    case TORVBarType::Code39Ex:
      for (char c : code)
        if (c < 0) return false;  // 8-bit characters have no pair
      out = "*" + code + "*";
      extra = checkDigit ? 1 : 0;
      break;
    case TORVBarType::Code93:
    case TORVBarType::Code93Ex:
      if (C93Values(code, type == TORVBarType::Code93Ex).empty()) return false;
      out = code;
      break;
    case TORVBarType::Codabar: {
      if (code.size() < 3) return false;
      for (int i = 0; i < code.size(); ++i) {
        const char* p = std::strchr(kCodabarChars, code[i]);
        if (!code[i] || !p) return false;
        const bool startStop = p - kCodabarChars >= 16;
        if (startStop != (i == 0 || i == code.size() - 1)) return false;
      }
      out = code;
      break;
    }
    case TORVBarType::Ean128A:
    case TORVBarType::Ean128B:
    case TORVBarType::Ean128C:
    case TORVBarType::Ean128Auto: {
      std::vector<int> data;
      if (!Gs1Data(code, data)) return false;
      const int set = type == TORVBarType::Ean128Auto ? -1 : int(type) - int(TORVBarType::Ean128A);
      int start = 0;
      if (Code128Values(data, set, &start).empty()) return false;
      out = code;
      extra = start;
      break;
    }
    case TORVBarType::Code128A:
    case TORVBarType::Code128B:
    case TORVBarType::Code128C:
    case TORVBarType::Code128: {
      std::vector<int> data;
      for (char c : code) {
        if (c < 0) return false;
        data.push_back(c);
      }
      const int set = type == TORVBarType::Code128 ? -1 : int(type) - int(TORVBarType::Code128A);
      int start = 0;
      if (Code128Values(data, set, &start).empty()) return false;
      out = code;
      extra = start;
      break;
    }
    case TORVBarType::Itf:
      if (!AllDigits(code) || (code.size() + (checkDigit ? 1 : 0)) % 2 != 0) return false;
      out = checkDigit ? code + char('0' + Mod10Weighted(code)) : code;
      break;
    case TORVBarType::Industrial25:
    case TORVBarType::Matrix25:
      if (!AllDigits(code)) return false;
      out = checkDigit ? code + char('0' + Mod10Weighted(code)) : code;
      break;
    case TORVBarType::Msi:
      if (!AllDigits(code)) return false;
      out = checkDigit ? code + char('0' + MsiCheck(code)) : code;
      break;
    case TORVBarType::Code11:
      for (char c : code)
        if (!((c >= '0' && c <= '9') || c == '-')) return false;
      out = code;
      if (checkDigit) {
        out += C11Check(out, 10);
        if (!flagB) out += C11Check(out, 9);
      }
      break;
    case TORVBarType::Postnet:
      if (!AllDigits(code) || (code.size() != 5 && code.size() != 9 && code.size() != 11))
        return false;
      {
        int sum = 0;
        for (char c : code) sum += c - '0';
        out = code + char('0' + (10 - sum % 10) % 10);
      }
      break;
    default:
      return false;
  }
  prepared = out;
  auto128Type = extra;
  return true;
}

QByteArray TBarcode::FillBarPattern(const QByteArray& prepared, TORVBarType type,
                                    int auto128Type, bool showNumber) {
  QByteArray pat;
  if (prepared.isEmpty()) return pat;
  const int guard = showNumber ? 2 : 0;
  auto eanDigits = [&](const QByteArray& digits, const char* parity, bool right) {
    for (int i = 0; i < digits.size(); ++i) {
      const int d = digits[i] - '0';
      Append(pat, (!right && parity && parity[i] == 'G') ? kEanG[d] : kEanL[d], false);
    }
  };
  switch (type) {
    case TORVBarType::Ean13:
    case TORVBarType::UpcA: {
      const QByteArray d = type == TORVBarType::UpcA ? "0" + prepared : prepared;
      if (d.size() != 13 || !AllDigits(d)) return {};
      Append(pat, "111", false, guard);
      eanDigits(d.mid(1, 6), kEan13Parity[d[0] - '0'], false);
      Append(pat, "11111", false, guard);
      eanDigits(d.mid(7, 6), nullptr, true);
      Append(pat, "111", false, guard);
      if (type == TORVBarType::UpcA && showNumber) {
        // UPC-A's first and last digit bars reach into the text line too.
        const int last = int(pat.size()) - 7;
        for (int i : {4, 6, last, last + 2}) pat[i] = char(pat[i] - '0' + 'A');
      }
      break;
    }
    case TORVBarType::Ean8:
      if (prepared.size() != 8 || !AllDigits(prepared)) return {};
      Append(pat, "111", false, guard);
      eanDigits(prepared.left(4), nullptr, false);
      Append(pat, "11111", false, guard);
      eanDigits(prepared.mid(4), nullptr, true);
      Append(pat, "111", false, guard);
      break;
    case TORVBarType::UpcE0:
      if (prepared.size() != 8 || !AllDigits(prepared)) return {};
      Append(pat, "111", false, guard);
      eanDigits(prepared.mid(1, 6), kUpcEParity[prepared[7] - '0'], false);
      Append(pat, "111111", false, guard);
      break;
    case TORVBarType::Code39:
    case TORVBarType::Code39Ex: {
      if (prepared.size() < 3 || !prepared.startsWith('*') || !prepared.endsWith('*')) return {};
      QByteArray body = prepared.mid(1, prepared.size() - 2);
      if (type == TORVBarType::Code39Ex) {
        body = C39ExMapped(body);
        if (auto128Type == 1) body += kC39Chars[C39Check(body)];
      }
      Append(pat, kC39[43], true);
      for (char c : body) {
        const int idx = C39Index(c);
        if (idx < 0) return {};
        Append(pat, "1", true);
        Append(pat, kC39[idx], true);
      }
      Append(pat, "1", true);
      Append(pat, kC39[43], true);
      break;
    }
    case TORVBarType::Code93:
    case TORVBarType::Code93Ex: {
      std::vector<int> v = C93Values(prepared, type == TORVBarType::Code93Ex);
      if (v.empty()) return {};
      for (int maxW : {20, 15}) {
        int sum = 0;
        for (int i = int(v.size()) - 1, w = 1; i >= 0; --i) {
          sum += v[i] * w;
          w = w == maxW ? 1 : w + 1;
        }
        v.push_back(sum % 47);
      }
      Append(pat, "111141", false);
      for (int x : v) Append(pat, kC93[x], false);
      Append(pat, "1111411", false);  // stop and termination bar
      break;
    }
    case TORVBarType::Codabar:
      for (int i = 0; i < prepared.size(); ++i) {
        const char* p = prepared[i] ? std::strchr(kCodabarChars, prepared[i]) : nullptr;
        if (!p) return {};
        if (i > 0) Append(pat, "1", true);
        Append(pat, kCodabar[p - kCodabarChars], true);
      }
      break;
    case TORVBarType::Ean128A:
    case TORVBarType::Ean128B:
    case TORVBarType::Ean128C:
    case TORVBarType::Ean128Auto:
    case TORVBarType::Code128A:
    case TORVBarType::Code128B:
    case TORVBarType::Code128C:
    case TORVBarType::Code128: {
      std::vector<int> data;
      const bool gs1 = type <= TORVBarType::Ean128Auto;
      if (gs1) {
        if (!Gs1Data(prepared, data)) return {};
      } else {
        for (char c : prepared) {
          if (c < 0) return {};
          data.push_back(c);
        }
      }
      int set = int(type) - int(gs1 ? TORVBarType::Ean128A : TORVBarType::Code128A);
      if (set == 3) set = -1;
      const std::vector<int> values = Code128Values(data, set, nullptr);
      if (values.empty()) return {};
      pat = Code128Pattern(values);
      break;
    }
    case TORVBarType::Itf:
      if (prepared.size() % 2 != 0 || !AllDigits(prepared)) return {};
      Append(pat, "1111", true);
      for (int i = 0; i < prepared.size(); i += 2) {
        const char* b = k25[prepared[i] - '0'];
        const char* s = k25[prepared[i + 1] - '0'];
        for (int k = 0; k < 5; ++k) {
          const char two[3] = {b[k], s[k], 0};
          Append(pat, two, true);
        }
      }
      Append(pat, "211", true);
      break;
    case TORVBarType::Industrial25:
      if (!AllDigits(prepared)) return {};
      Append(pat, "212111", true);
      for (char c : prepared) {
        const char* b = k25[c - '0'];
        for (int k = 0; k < 5; ++k) {
          const char two[3] = {b[k], '1', 0};  // the bar, then a narrow space
          Append(pat, two, true);
        }
      }
      Append(pat, "21112", true);
      break;
    case TORVBarType::Matrix25:
      if (!AllDigits(prepared)) return {};
      Append(pat, "411111", true);
      for (char c : prepared) {
        Append(pat, k25[c - '0'], true);
        Append(pat, "1", true);
      }
      Append(pat, "41111", true);
      break;
    case TORVBarType::Code11:
      Append(pat, "11221", true);
      for (char c : prepared) {
        const int idx = c == '-' ? 10 : c - '0';
        if (idx < 0 || idx > 10) return {};
        Append(pat, "1", true);
        Append(pat, kC11[idx], true);
      }
      Append(pat, "1", true);
      Append(pat, "11221", true);
      break;
    case TORVBarType::Msi:
      if (!AllDigits(prepared)) return {};
      Append(pat, "21", true);
      for (char c : prepared) {
        const int d = c - '0';
        for (int bit = 3; bit >= 0; --bit) Append(pat, (d >> bit) & 1 ? "21" : "12", true);
      }
      Append(pat, "121", true);
      break;
    case TORVBarType::Postnet: {
      if (!AllDigits(prepared)) return {};
      auto bar = [&](bool tall) {
        if (!pat.isEmpty()) pat.append('p');
        pat.append(tall ? '0' : 'a');
      };
      bar(true);
      for (char c : prepared)
        for (const char* p = kPostnet[c - '0']; *p; ++p) bar(*p == '1');
      bar(true);
      break;
    }
    default:
      return {};
  }
  return pat;
}

void TBarcode::FillBarData(char ch, int& widthKind, int& barKind) {
  if (ch >= '0' && ch <= '5') {
    widthKind = ch - '0';
    barKind = 0;
  } else if (ch >= 'a' && ch <= 'f') {
    widthKind = ch - 'a';
    barKind = 1;
  } else if (ch >= 'A' && ch <= 'F') {
    widthKind = ch - 'A';
    barKind = 2;
  } else if (ch >= 'p' && ch <= 'u') {
    widthKind = ch - 'p';
    barKind = 3;
  } else {
    widthKind = -1;
    barKind = 3;
  }
}

double TBarcode::BarCodeWidth(const QByteArray& pattern, double factor) {
  double total = 0, last = 0;
  for (char ch : pattern) {
    int wk = 0, bk = 0;
    FillBarData(ch, wk, bk);
    switch (wk) {
      case 0: last = 1; break;
      case 1: last = factor; break;
      case 2: last = 2; break;
      case 3: last = 3; break;
      case 4: last = 4; break;
      case 5: last = 1.5; break;
      default: break;
    }
    total += last;
  }
  return total;
}

// EAN/UPC layouts are fixed in modules, so the pattern itself is not needed.
void TBarcode::Ean13Pos(const QByteArray& /*pattern*/, double m, double, double& p1, double& p2) {
  p1 = (3 + 21) * m;
  p2 = (3 + 42 + 5 + 21) * m;
}

void TBarcode::Ean8Pos(const QByteArray&, double m, double, double& p1, double& p2) {
  p1 = (3 + 14) * m;
  p2 = (3 + 28 + 5 + 14) * m;
}

void TBarcode::UPCAPos(const QByteArray&, double m, double, double& p1, double& p2, double& p3) {
  p1 = (3 + 7 + 17.5) * m;   // digits 2-6, after the first digit's symbol
  p2 = (3 + 42 + 5 + 17.5) * m;  // digits 7-11, before the last digit's symbol
  p3 = (95 + 1) * m;
}

void TBarcode::UPCEPos(const QByteArray&, double m, double, double& p1, double& p2) {
  p1 = (3 + 21) * m;
  p2 = (51 + 1) * m;
}

}  // namespace Orv::Utils
