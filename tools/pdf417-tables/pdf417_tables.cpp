// Learns the PDF417 symbol characters from libzint and prints them as a C++ source file.
//
// Each symbol is byte-compacted random data whose codewords are known in advance: the length
// descriptor, the byte latch (924: a multiple of six bytes), five base-900 digits per six bytes,
// pad codewords (900) and the Reed-Solomon check codewords over GF(929), computed here. The row
// indicators follow from the rows, columns and level. Every 17-module symbol character zint draws
// is then paired with the codeword it must carry, in the cluster of its row (row mod 3). The
// program refuses to print anything unless every pairing agrees, every codeword of every cluster
// was seen, and the result is a bijection of valid patterns (17 modules, 4 bars and 4 spaces of
// 1 to 6 modules, cluster number (b1 - b2 + b3 - b4 + 9) mod 9 = 0, 3, 6 for clusters 0, 1, 2).

#include <zint.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kMod = 929;
constexpr int kCodewords = 929;

struct Symbol {
  int rows = 0, width = 0;
  std::vector<std::vector<bool>> modules;  // [row][column]
};

bool Encode(int symbology, int level, int columns, const std::vector<unsigned char>& data, Symbol& out) {
  zint_symbol* s = ZBarcode_Create();
  s->symbology = symbology;
  s->input_mode = DATA_MODE;
  s->option_1 = level;
  s->option_2 = columns;
  const int rc = ZBarcode_Encode(s, data.data(), int(data.size()));
  const bool ok = rc == 0;
  if (ok) {
    out.rows = s->rows;
    out.width = s->width;
    out.modules.assign(s->rows, std::vector<bool>(s->width));
    for (int r = 0; r < s->rows; ++r)
      for (int c = 0; c < s->width; ++c) out.modules[r][c] = (s->encoded_data[r][c >> 3] >> (c & 7)) & 1;
  }
  ZBarcode_Delete(s);
  return ok;
}

// Widths of the elements starting at `x`, `count` of them, bar first.
std::vector<int> Widths(const std::vector<bool>& row, int x, int modules) {
  std::vector<int> w;
  for (int i = x; i < x + modules; ++i) {
    if (w.empty() || row[i] != row[i - 1]) w.push_back(0);
    ++w.back();
  }
  return w;
}

// Generator polynomial of k check codewords: (x - 3)(x - 3^2)...(x - 3^k), lowest coefficient first.
std::vector<int> Generator(int k) {
  std::vector<int> g{1};
  int root = 1;
  for (int i = 1; i <= k; ++i) {
    root = root * 3 % kMod;
    std::vector<int> next(g.size() + 1, 0);
    for (std::size_t j = 0; j < g.size(); ++j) {
      next[j + 1] = (next[j + 1] + g[j]) % kMod;
      next[j] = (next[j] + (kMod - root) * g[j]) % kMod;
    }
    g = next;
  }
  return g;
}

// The check codewords: the negated remainder of data(x) * x^k divided by the generator.
std::vector<int> Check(const std::vector<int>& data, int k) {
  const std::vector<int> g = Generator(k);
  std::vector<int> r(k, 0);  // r[j]: coefficient of x^j
  for (int d : data) {
    const int f = (d + r[k - 1]) % kMod;
    for (int j = k - 1; j > 0; --j) r[j] = (r[j - 1] + kMod * kMod - f * g[j]) % kMod;
    r[0] = (kMod * kMod - f * g[0]) % kMod;
  }
  std::vector<int> out;
  for (int j = k - 1; j >= 0; --j) out.push_back((kMod - r[j]) % kMod);
  return out;
}

// The whole codeword sequence must vanish at every root 3^1 .. 3^k.
bool Vanishes(const std::vector<int>& all, int k) {
  int root = 1;
  for (int i = 1; i <= k; ++i) {
    root = root * 3 % kMod;
    long long v = 0;
    for (int c : all) v = (v * root + c) % kMod;
    if (v != 0) return false;
  }
  return true;
}

std::string Pack(const std::vector<int>& w) {
  std::string s = "0x";
  for (int x : w) s += char('0' + x);
  return s;
}

}  // namespace

int main() {
  std::mt19937 rng(417);
  // table[cluster][codeword] = widths
  std::array<std::map<int, std::vector<int>>, 3> table;
  std::vector<int> start, stop;
  int symbols = 0, pairs = 0;

  const auto learn = [&](int cluster, int value, const std::vector<int>& w) {
    auto [it, fresh] = table[cluster].emplace(value, w);
    if (!fresh && it->second != w) {
      std::fprintf(stderr, "codeword %d in cluster %d drawn two ways: the predicted codewords are wrong\n", value,
                   cluster);
      std::exit(1);
    }
    ++pairs;
  };

  for (int round = 0; round < 400; ++round) {
    bool complete = true;
    for (const auto& t : table) complete = complete && int(t.size()) == kCodewords;
    if (complete) break;
    const int columns = 1 + int(rng() % 30);
    const int level = int(rng() % 9);
    const int k = 2 << level;
    // Enough groups of six bytes to fill a good part of the largest symbol this shape allows.
    const int maxData = std::min(90 * columns, 928) - k - 2;
    if (maxData < 5) continue;
    const int groups = 1 + int(rng() % std::max(1, maxData / 5));
    std::vector<unsigned char> bytes(std::size_t(groups) * 6);
    // Bytes from 0x80 up keep zint in byte compaction for the whole message.
    for (auto& b : bytes) b = static_cast<unsigned char>(0x80 + rng() % 128);
    Symbol sym;
    if (!Encode(BARCODE_PDF417, level, columns, bytes, sym)) continue;
    const int width = (columns + 4) * 17 + 1;
    if (sym.width != width) {
      std::fprintf(stderr, "unexpected width %d for %d columns\n", sym.width, columns);
      return 1;
    }
    const int rows = sym.rows;

    std::vector<int> data{0, 924};
    for (int g = 0; g < groups; ++g) {
      unsigned long long v = 0;
      for (int i = 0; i < 6; ++i) v = (v << 8) | bytes[std::size_t(g) * 6 + i];
      int digits[5];
      for (int i = 4; i >= 0; --i) {
        digits[i] = int(v % 900);
        v /= 900;
      }
      data.insert(data.end(), digits, digits + 5);
    }
    const int dataCount = rows * columns - k;
    if (int(data.size()) > dataCount) {
      std::fprintf(stderr, "zint made a symbol too small for the data\n");
      return 1;
    }
    while (int(data.size()) < dataCount) data.push_back(900);
    data[0] = dataCount;
    std::vector<int> all = data;
    const std::vector<int> check = Check(data, k);
    all.insert(all.end(), check.begin(), check.end());
    if (!Vanishes(all, k)) {
      std::fprintf(stderr, "Reed-Solomon self-check failed\n");
      return 1;
    }

    for (int r = 0; r < rows; ++r) {
      const int cluster = r % 3, q = r / 3;
      const int ri[3][2] = {{30 * q + (rows - 1) / 3, 30 * q + columns - 1},
                            {30 * q + (rows - 1) % 3 + 3 * level, 30 * q + (rows - 1) / 3},
                            {30 * q + columns - 1, 30 * q + (rows - 1) % 3 + 3 * level}};
      const auto& row = sym.modules[r];
      learn(cluster, ri[cluster][0], Widths(row, 17, 17));
      for (int c = 0; c < columns; ++c) learn(cluster, all[std::size_t(r) * columns + c], Widths(row, 17 * (2 + c), 17));
      learn(cluster, ri[cluster][1], Widths(row, 17 * (2 + columns), 17));
      const std::vector<int> s = Widths(row, 0, 17), e = Widths(row, 17 * (3 + columns), 18);
      if ((!start.empty() && s != start) || (!stop.empty() && e != stop)) {
        std::fprintf(stderr, "start or stop pattern differs between rows\n");
        return 1;
      }
      start = s;
      stop = e;
    }
    ++symbols;
  }

  // Checks of the result as a whole.
  for (int cl = 0; cl < 3; ++cl) {
    if (int(table[cl].size()) != kCodewords) {
      std::fprintf(stderr, "cluster %d: only %zu codewords seen\n", cl, table[cl].size());
      return 1;
    }
    std::set<std::vector<int>> seen;
    for (const auto& [value, w] : table[cl]) {
      int sum = 0;
      bool ok = w.size() == 8;
      for (int x : w) {
        sum += x;
        ok = ok && x >= 1 && x <= 6;
      }
      ok = ok && sum == 17 && (w[0] - w[2] + w[4] - w[6] + 9) % 9 == 3 * cl;
      if (!ok || !seen.insert(w).second) {
        std::fprintf(stderr, "cluster %d codeword %d: bad or repeated pattern\n", cl, value);
        return 1;
      }
    }
  }
  if (start.size() != 8 || stop.size() != 9) {
    std::fprintf(stderr, "start/stop patterns have %zu and %zu elements\n", start.size(), stop.size());
    return 1;
  }

  std::printf(
      "// Generated by tools/pdf417-tables (do not edit): the PDF417 start and stop patterns and the\n"
      "// symbol characters of the three clusters, learnt from libzint %d by drawing byte-compacted\n"
      "// symbols whose codewords were computed beforehand (%d symbols, %d symbol characters), and\n"
      "// checked to be 929 distinct valid patterns per cluster.\n"
      "// Each entry is the eight element widths, bar first, as the hexadecimal digits of the value.\n\n"
      "#include \"ORV.PDF417Tables.h\"\n\nnamespace Orv::Barcode::Pdf417 {\n\n",
      ZBarcode_Version(), symbols, pairs);
  const auto list = [](const std::vector<int>& w) {
    std::string s;
    for (std::size_t i = 0; i < w.size(); ++i) s += (i ? ", " : "") + std::to_string(w[i]);
    return s;
  };
  std::printf("const std::uint8_t StartPat[8] = {%s};\n", list(start).c_str());
  std::printf("const std::uint8_t StopPat[9] = {%s};\n\n", list(stop).c_str());
  const char* names[3] = {"PDF417_A", "PDF417_B", "PDF417_C"};
  for (int cl = 0; cl < 3; ++cl) {
    std::printf("const std::uint32_t %s[929] = {\n", names[cl]);
    int i = 0;
    for (const auto& [value, w] : table[cl]) {
      std::printf("%s%s,", i % 8 == 0 ? "    " : " ", Pack(w).c_str());
      if (++i % 8 == 0 || i == kCodewords) std::printf("\n");
    }
    std::printf("};\n%s", cl < 2 ? "\n" : "");
  }
  std::printf("\n}  // namespace Orv::Barcode::Pdf417\n");
  return 0;
}
