#include "ORV.QRMask.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace Orv::Barcode::QRMask {

namespace {

// Rows are kept with four light modules on each side (the quiet zone the finder-like pattern rule
// sees beyond the edge) and four light rows above and below: module (r, c) is bit c + kPad of row
// r + kPad. 177 + 8 bits fit three words.
constexpr int kPad = 4;
constexpr int kWords = 3;
constexpr int kRowsMax = kMaxSize + 2 * kPad;
using TRows = std::uint64_t[kRowsMax][kWords];

// Whether mask k inverts the data module at row i, column j.
constexpr bool Inverts(int k, int i, int j) {
  switch (k) {
    case 0: return (i + j) % 2 == 0;
    case 1: return i % 2 == 0;
    case 2: return j % 3 == 0;
    case 3: return (i + j) % 3 == 0;
    case 4: return (i / 2 + j / 3) % 2 == 0;
    case 5: return (i * j) % 2 + (i * j) % 3 == 0;
    case 6: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default: return ((i + j) % 2 + (i * j) % 3) % 2 == 0;
  }
}

// Every mask repeats down the rows with a period dividing 12: the inverted modules of each mask
// for rows 0..11, in padded row layout.
using TMaskRows = std::array<std::array<std::array<std::uint64_t, kWords>, 12>, 8>;
constexpr TMaskRows MakeMaskRows() {
  TMaskRows t{};
  for (int k = 0; k < 8; ++k)
    for (int i = 0; i < 12; ++i)
      for (int j = 0; j < kMaxSize; ++j)
        if (Inverts(k, i, j)) t[k][i][(j + kPad) / 64] |= std::uint64_t{1} << ((j + kPad) % 64);
  return t;
}
constexpr TMaskRows kMaskRows = MakeMaskRows();

// Centres of the alignment patterns along either axis, versions 2..40 (version 1 has none).
constexpr std::uint8_t kAlignment[41][7] = {
    {},
    {},
    {6, 18},
    {6, 22},
    {6, 26},
    {6, 30},
    {6, 34},
    {6, 22, 38},
    {6, 24, 42},
    {6, 26, 46},
    {6, 28, 50},
    {6, 30, 54},
    {6, 32, 58},
    {6, 34, 62},
    {6, 26, 46, 66},
    {6, 26, 48, 70},
    {6, 26, 50, 74},
    {6, 30, 54, 78},
    {6, 30, 56, 82},
    {6, 30, 58, 86},
    {6, 34, 62, 90},
    {6, 28, 50, 72, 94},
    {6, 26, 50, 74, 98},
    {6, 30, 54, 78, 102},
    {6, 28, 54, 80, 106},
    {6, 32, 58, 84, 110},
    {6, 30, 58, 86, 114},
    {6, 34, 62, 90, 118},
    {6, 26, 50, 74, 98, 122},
    {6, 30, 54, 78, 102, 126},
    {6, 26, 52, 78, 104, 130},
    {6, 30, 56, 82, 108, 134},
    {6, 34, 60, 86, 112, 138},
    {6, 30, 58, 86, 114, 142},
    {6, 34, 62, 90, 118, 146},
    {6, 30, 54, 78, 102, 126, 150},
    {6, 24, 50, 76, 102, 128, 154},
    {6, 28, 54, 80, 106, 132, 158},
    {6, 32, 58, 84, 110, 136, 162},
    {6, 26, 54, 82, 110, 138, 166},
    {6, 30, 58, 86, 114, 142, 170},
};

int VersionOf(int size) {
  if (size < 21 || size > kMaxSize || (size - 17) % 4 != 0) return 0;
  return (size - 17) / 4;
}

// Sets (or clears) padded bits [lo, hi) of one row.
void SetRange(std::uint64_t* row, int lo, int hi, bool on) {
  for (int w = 0; w < kWords; ++w) {
    const int a = std::max(lo - 64 * w, 0), b = std::min(hi - 64 * w, 64);
    if (a >= b) continue;
    const std::uint64_t bits = (b - a == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << (b - a)) - 1)) << a;
    row[w] = on ? row[w] | bits : row[w] & ~bits;
  }
}

// The data modules of a symbol of side n: all but finders with their separators, timing
// patterns, alignment patterns, both copies of the format information with the dark module, and
// the version information.
void DataModules(int n, TRows& d) {
  std::memset(d, 0, sizeof(TRows));
  for (int r = 0; r < n; ++r) SetRange(d[r + kPad], kPad, kPad + n, true);
  const auto clear = [&d](int row, int col, int height, int width) {
    for (int r = row; r < row + height; ++r) SetRange(d[r + kPad], col + kPad, col + width + kPad, false);
  };
  clear(0, 0, 9, 9);      // finder, separator, format information
  clear(0, n - 8, 9, 8);  // finder, separator; format information below
  clear(n - 8, 0, 8, 9);  // finder, separator; dark module and format information beside
  clear(6, 0, 1, n);      // timing patterns
  clear(0, 6, n, 1);
  const int v = VersionOf(n);
  const std::uint8_t* at = kAlignment[v];
  int count = 0;
  while (count < 7 && at[count] != 0) ++count;
  for (int a = 0; a < count; ++a)
    for (int b = 0; b < count; ++b) {
      const bool onFinder = (a == 0 && b == 0) || (a == 0 && b == count - 1) || (a == count - 1 && b == 0);
      if (!onFinder) clear(at[a] - 2, at[b] - 2, 5, 5);
    }
  if (v >= 7) {
    clear(0, n - 11, 6, 3);
    clear(n - 11, 0, 3, 6);
  }
}

// The 15 format bits of a level (0 L .. 3 H) and mask: level indicator and mask, a (15, 5) BCH
// code (generator 10100110111), XOR 101010000010010.
int FormatBits(int ecLevel, int mask) {
  static constexpr int kIndicator[4] = {1, 0, 3, 2};
  const int data = kIndicator[ecLevel] << 3 | mask;
  int rem = data << 10;
  for (int bit = 14; bit >= 10; --bit)
    if (rem >> bit & 1) rem ^= 0x537 << (bit - 10);
  return ((data << 10) | rem) ^ 0x5412;
}

void PutModule(TRows& s, int row, int col, bool dark) {
  const int b = col + kPad;
  const std::uint64_t bit = std::uint64_t{1} << (b % 64);
  std::uint64_t& w = s[row + kPad][b / 64];
  w = dark ? w | bit : w & ~bit;
}

// Both copies of the format information. Bit 14 is the most significant.
void PutFormat(TRows& s, int n, int bits) {
  const auto bit = [bits](int i) { return (bits >> i & 1) != 0; };
  for (int i = 0; i <= 5; ++i) PutModule(s, i, 8, bit(i));
  PutModule(s, 7, 8, bit(6));
  PutModule(s, 8, 8, bit(7));
  PutModule(s, 8, 7, bit(8));
  for (int i = 9; i <= 14; ++i) PutModule(s, 8, 14 - i, bit(i));
  for (int i = 0; i <= 7; ++i) PutModule(s, 8, n - 1 - i, bit(i));
  for (int i = 8; i <= 14; ++i) PutModule(s, n - 15 + i, 8, bit(i));
}

// x shifted towards bit 0 by k (1..63) across W words: bit b of the result is bit b + k of x.
template <int W, int K>
inline void Down(const std::uint64_t* x, std::uint64_t* out) {
  for (int w = 0; w < W; ++w) out[w] = (x[w] >> K) | (w + 1 < W ? x[w + 1] << (64 - K) : 0);
}

// Without a popcount instruction in the target, std::popcount is a library call; most words
// counted here are zero or sparse.
inline int Ones(std::uint64_t x) {
#if defined(__POPCNT__) || !(defined(__x86_64__) || defined(__i386__))
  return std::popcount(x);
#else
  if (x == 0) return 0;
  x = x - ((x >> 1) & 0x5555555555555555ULL);
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0fULL;
  return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
#endif
}

template <int W>
inline int Count(const std::uint64_t* x) {
  int c = 0;
  for (int w = 0; w < W; ++w) c += Ones(x[w]);
  return c;
}

// Points for runs of five or more same-coloured modules, given where neighbours (two modules, or
// two rows at a column) are equal: a run of L >= 5 scores L - 2, which is the number of its
// windows of four equal neighbour pairs plus two per run.
template <int W>
inline int RunPoints(const std::uint64_t* four) {
  std::uint64_t next[W], ends[W];
  Down<W, 1>(four, next);
  for (int w = 0; w < W; ++w) ends[w] = four[w] & ~next[w];
  return Count<W>(four) + 2 * Count<W>(ends);
}

// Finder-like patterns 1011101 with four light modules before, after or both (counted once);
// `core` marks where a pattern starts, `light4` where four light modules start.
template <int W>
inline int FinderPoints(const std::uint64_t* core, const std::uint64_t* light4) {
  std::uint64_t after[W], coreLater[W], before[W], both[W], light4Later[W];
  Down<W, 7>(light4, after);
  Down<W, 4>(core, coreLater);
  Down<W, 11>(light4, light4Later);
  for (int w = 0; w < W; ++w) {
    after[w] &= core[w];
    before[w] = light4[w] & coreLater[w];
    both[w] = before[w] & light4Later[w];
  }
  return 40 * (Count<W>(after) + Count<W>(before) - Count<W>(both));
}

// The penalty of a masked symbol of side n whose rows fit W words.
template <int W>
int Penalty(const TRows& s, int n) {
  std::uint64_t cols[W] = {}, pairs[W] = {}, light[W] = {};
  SetRange(cols, kPad, kPad + n, true);                // the symbol's columns
  SetRange(pairs, kPad, kPad + n - 1, true);           // a module and its right neighbour
  SetRange(light, 0, n + 2 * kPad, true);              // the symbol and its quiet zone
  int runs = 0, blocks = 0, finders = 0, dark = 0;

  // Per row, and the pairs of rows needed by the column rules.
  std::uint64_t sameRight[kRowsMax][W];  // module equals its right neighbour
  std::uint64_t sameBelow[kRowsMax][W];  // module equals the one below
  std::uint64_t lightRow[kRowsMax][W];   // light modules in real columns, quiet zone rows light
  for (int r = 0; r < n + 2 * kPad; ++r)
    for (int w = 0; w < W; ++w)
      lightRow[r][w] = ~s[r][w] & cols[w];

  for (int i = 0; i < n; ++i) {
    const std::uint64_t* x = s[i + kPad];
    dark += Count<W>(x);
    std::uint64_t t[W], u[W], v[W], four[W];
    Down<W, 1>(x, t);
    for (int w = 0; w < W; ++w) sameRight[i][w] = ~(x[w] ^ t[w]) & pairs[w];
    if (i + 1 < n) {
      const std::uint64_t* y = s[i + kPad + 1];
      for (int w = 0; w < W; ++w) sameBelow[i][w] = ~(x[w] ^ y[w]) & cols[w];
    }
    // Runs along the row.
    const std::uint64_t* e = sameRight[i];
    Down<W, 1>(e, t);
    Down<W, 2>(e, u);
    Down<W, 3>(e, v);
    for (int w = 0; w < W; ++w) four[w] = e[w] & t[w] & u[w] & v[w];
    runs += RunPoints<W>(four);
    // Finder-like patterns along the row.
    std::uint64_t l[W], core[W], light4[W];
    for (int w = 0; w < W; ++w) l[w] = ~x[w] & light[w];
    {
      std::uint64_t d2[W], d3[W], d4[W], d6[W], l1[W], l5[W];
      Down<W, 2>(x, d2);
      Down<W, 3>(x, d3);
      Down<W, 4>(x, d4);
      Down<W, 6>(x, d6);
      Down<W, 1>(l, l1);
      Down<W, 5>(l, l5);
      for (int w = 0; w < W; ++w) core[w] = x[w] & l1[w] & d2[w] & d3[w] & d4[w] & l5[w] & d6[w];
    }
    bool any = false;
    for (int w = 0; w < W; ++w) any |= core[w] != 0;
    if (!any) continue;
    Down<W, 1>(l, t);
    Down<W, 2>(l, u);
    Down<W, 3>(l, v);
    for (int w = 0; w < W; ++w) light4[w] = l[w] & t[w] & u[w] & v[w];
    finders += FinderPoints<W>(core, light4);
  }

  for (int i = 0; i + 1 < n; ++i) {
    // 2 x 2 blocks of one colour with their top-left module in row i.
    std::uint64_t b[W];
    for (int w = 0; w < W; ++w) b[w] = sameRight[i][w] & sameRight[i + 1][w] & sameBelow[i][w];
    blocks += 3 * Count<W>(b);
  }

  // Runs down the columns: four equal vertical neighbour pairs from row i on.
  for (int i = 0; i + 4 < n; ++i) {
    std::uint64_t four[W], more[W], ends[W];
    for (int w = 0; w < W; ++w)
      four[w] = sameBelow[i][w] & sameBelow[i + 1][w] & sameBelow[i + 2][w] & sameBelow[i + 3][w];
    if (i + 5 < n) {
      for (int w = 0; w < W; ++w) more[w] = four[w] & sameBelow[i + 4][w];
    } else {
      for (int w = 0; w < W; ++w) more[w] = 0;
    }
    for (int w = 0; w < W; ++w) ends[w] = four[w] & ~more[w];
    runs += Count<W>(four) + 2 * Count<W>(ends);
  }

  // Finder-like patterns down the columns, rows in padded numbering.
  for (int r = 0; r + 6 < n + 2 * kPad; ++r) {
    std::uint64_t core[W];
    for (int w = 0; w < W; ++w)
      core[w] = s[r][w] & lightRow[r + 1][w] & s[r + 2][w] & s[r + 3][w] & s[r + 4][w] & lightRow[r + 5][w] &
                s[r + 6][w];
    bool any = false;
    for (int w = 0; w < W; ++w) any |= core[w] != 0;
    if (!any) continue;
    std::uint64_t after[W] = {}, before[W] = {};
    if (r + 10 < n + 2 * kPad)
      for (int w = 0; w < W; ++w)
        after[w] = core[w] & lightRow[r + 7][w] & lightRow[r + 8][w] & lightRow[r + 9][w] & lightRow[r + 10][w];
    if (r >= 4)
      for (int w = 0; w < W; ++w)
        before[w] = core[w] & lightRow[r - 1][w] & lightRow[r - 2][w] & lightRow[r - 3][w] & lightRow[r - 4][w];
    std::uint64_t either[W];
    for (int w = 0; w < W; ++w) either[w] = after[w] | before[w];
    finders += 40 * Count<W>(either);
  }

  // Dark proportion: 10 points per full 5 % away from half.
  const int total = n * n;
  const int balance = 10 * (std::abs(2 * dark - total) * 10 / total);
  return runs + blocks + finders + balance;
}

int PenaltyOf(const TRows& s, int n) {
  const int words = (n + 2 * kPad + 63) / 64;
  if (words == 1) return Penalty<1>(s, n);
  if (words == 2) return Penalty<2>(s, n);
  return Penalty<3>(s, n);
}

}  // namespace

int DataModuleCount(int size) {
  if (VersionOf(size) == 0) return 0;
  TRows d;
  DataModules(size, d);
  int c = 0;
  for (int r = 0; r < size; ++r)
    for (int w = 0; w < kWords; ++w) c += std::popcount(d[r + kPad][w]);
  return c;
}

int Remask(const std::uint8_t* packed, int stride, int size, int ecLevel, int fromMask, int toMask,
           TORVModuleMatrix& out) {
  if (!packed || VersionOf(size) == 0 || stride < (size + 7) / 8 || ecLevel < 0 || ecLevel > 3 || fromMask < 0 ||
      fromMask > 7 || toMask < -1 || toMask > 7)
    return -1;
  const int n = size;
  TRows data, base, s;
  DataModules(n, data);

  // The symbol with its data unmasked; function modules as given.
  std::memset(base, 0, sizeof(TRows));
  for (int r = 0; r < n; ++r) {
    std::uint64_t w[kWords] = {};
    const std::uint8_t* row = packed + std::size_t(r) * std::size_t(stride);
    for (int b = 0; b < (n + 7) / 8; ++b) w[b / 8] |= std::uint64_t{row[b]} << (8 * (b % 8));
    std::uint64_t* dst = base[r + kPad];
    dst[0] = w[0] << kPad;
    for (int k = 1; k < kWords; ++k) dst[k] = (w[k] << kPad) | (w[k - 1] >> (64 - kPad));
    SetRange(dst, kPad + n, 64 * kWords, false);
    const auto& m = kMaskRows[fromMask][r % 12];
    for (int k = 0; k < kWords; ++k) dst[k] ^= m[k] & data[r + kPad][k];
  }

  const auto apply = [&](int mask) {
    std::memcpy(s, base, sizeof(base[0]) * std::size_t(n + 2 * kPad));
    for (int r = 0; r < n; ++r) {
      const auto& m = kMaskRows[mask][r % 12];
      for (int k = 0; k < kWords; ++k) s[r + kPad][k] ^= m[k] & data[r + kPad][k];
    }
    PutFormat(s, n, FormatBits(ecLevel, mask));
  };

  int chosen = toMask;
  if (chosen < 0) {
    int best = 0;
    for (int mask = 0; mask < 8; ++mask) {
      apply(mask);
      const int p = PenaltyOf(s, n);
      if (mask == 0 || p < best) {
        best = p;
        chosen = mask;
      }
    }
  }
  apply(chosen);

  out.Resize(n, n);
  std::uint8_t* dst = out.Dark.data();
  for (int c = 0; c < n; ++c) {
    const int b = c + kPad;
    for (int r = 0; r < n; ++r) *dst++ = (s[r + kPad][b / 64] >> (b % 64)) & 1;
  }
  return chosen;
}

}  // namespace Orv::Barcode::QRMask
