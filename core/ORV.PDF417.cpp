#include "ORV.PDF417.h"

#include <zint.h>

#include <algorithm>
#include <array>
#include <memory>
#include <unordered_map>

#include "ORV.Json.h"
#include "ORV.PDF417Tables.h"

namespace Orv::Barcode {

namespace Pdf417 {

namespace {

constexpr int kCharModules = 17;
constexpr int kMaxRows = 90;

const std::uint32_t* Cluster(int cluster) {
  static const std::uint32_t* const tables[3] = {PDF417_A, PDF417_B, PDF417_C};
  return tables[cluster];
}

// The 17 modules of a packed symbol character as bits, first module highest.
std::uint32_t ModuleBits(std::uint32_t packed) {
  std::uint32_t bits = 0;
  for (int i = 0; i < 8; ++i) {
    const int w = ElementWidth(packed, i);
    for (int k = 0; k < w; ++k) bits = (bits << 1) | (i % 2 == 0 ? 1u : 0u);
  }
  return bits;
}

// Codeword by module bits, per cluster.
struct TInverse {
  std::array<std::unordered_map<std::uint32_t, std::int16_t>, 3> Value;
  TInverse() {
    for (int c = 0; c < 3; ++c)
      for (int v = 0; v < 929; ++v) Value[c].emplace(ModuleBits(Cluster(c)[v]), static_cast<std::int16_t>(v));
  }
};

const TInverse& Inverse() {
  static const TInverse inverse;
  return inverse;
}

// zint's message without its "Error 123: " prefix.
QString ZintText(const char* text) {
  QString s = QString::fromLatin1(text);
  const qsizetype colon = s.indexOf(QLatin1String(": "));
  if (s.startsWith(QLatin1String("Error ")) && colon > 0) s = s.mid(colon + 2);
  return s;
}

struct TZintDeleter {
  void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};

bool Fail(QString* why, const QString& text) {
  if (why) *why = text;
  return false;
}

}  // namespace

std::uint16_t LeftIndicator(int row, int rows, int columns, int level) {
  const int q = 30 * (row / 3);
  switch (row % 3) {
    case 0: return static_cast<std::uint16_t>(q + (rows - 1) / 3);
    case 1: return static_cast<std::uint16_t>(q + (rows - 1) % 3 + 3 * level);
    default: return static_cast<std::uint16_t>(q + columns - 1);
  }
}

std::uint16_t RightIndicator(int row, int rows, int columns, int level) {
  const int q = 30 * (row / 3);
  switch (row % 3) {
    case 0: return static_cast<std::uint16_t>(q + columns - 1);
    case 1: return static_cast<std::uint16_t>(q + (rows - 1) / 3);
    default: return static_cast<std::uint16_t>(q + (rows - 1) % 3 + 3 * level);
  }
}

int SymbolWidth(int columns, bool truncated) {
  return truncated ? (columns + 2) * kCharModules + 1 : (columns + 4) * kCharModules + 1;
}

int DecodeCharacter(const std::vector<bool>& dark, int first, int cluster) {
  if (cluster < 0 || cluster > 2 || first < 0 || std::size_t(first) + kCharModules > dark.size()) return -1;
  std::uint32_t bits = 0;
  for (int i = 0; i < kCharModules; ++i) bits = (bits << 1) | (dark[std::size_t(first + i)] ? 1u : 0u);
  const auto& values = Inverse().Value[cluster];
  const auto it = values.find(bits);
  return it == values.end() ? -1 : it->second;
}

bool Encode(const QByteArray& data, int columns, int level, bool truncated, TORVPDF417Grid& out, QString* why) {
  out = TORVPDF417Grid{};
  if (columns < 0 || columns > kMaxColumns)
    return Fail(why, QStringLiteral("PDF417: %1 data columns asked for; 1 to %2, or 0 for automatic")
                         .arg(columns)
                         .arg(kMaxColumns));
  if (level < kAutoLevel || level > kMaxLevel)
    return Fail(why, QStringLiteral("PDF417: error-correction level %1 asked for; 0 to %2, or -1 for automatic")
                         .arg(level)
                         .arg(kMaxLevel));
  if (data.isEmpty()) return Fail(why, QStringLiteral("PDF417: there is no data to encode"));

  std::unique_ptr<zint_symbol, TZintDeleter> s(ZBarcode_Create());
  if (!s) return Fail(why, QStringLiteral("PDF417: out of memory"));
  s->symbology = truncated ? BARCODE_PDF417COMP : BARCODE_PDF417;
  s->input_mode = DATA_MODE;
  s->option_1 = level;
  s->option_2 = columns;
  const int rc = ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()));
  // Warnings still leave a valid symbol (the columns widened to stay within 90 rows).
  if (rc >= ZINT_ERROR) {
    if (rc == ZINT_ERROR_TOO_LONG)
      return Fail(why, QStringLiteral("PDF417: %1 bytes of data do not fit in one symbol%2")
                           .arg(data.size())
                           .arg(columns > 0 ? QStringLiteral(" of %1 columns").arg(columns) : QString()));
    return Fail(why, QStringLiteral("PDF417: the data cannot be encoded (%1)").arg(ZintText(s->errtxt)));
  }

  const int rows = s->rows, width = s->width;
  const int cols = (width - 1) / kCharModules - (truncated ? 2 : 4);
  if (rows < 3 || rows > kMaxRows || cols < 1 || cols > kMaxColumns || SymbolWidth(cols, truncated) != width)
    return Fail(why, QStringLiteral("PDF417: the encoder returned a symbol of unexpected shape (%1 x %2 modules)")
                         .arg(width)
                         .arg(rows));

  // The codewords are read back from the drawn rows; row 1's left indicator carries the level.
  std::vector<bool> dark(static_cast<std::size_t>(width));
  const auto rowModules = [&](int r) {
    for (int x = 0; x < width; ++x) dark[std::size_t(x)] = (s->encoded_data[r][x >> 3] >> (x & 7)) & 1;
  };
  rowModules(1);
  const int li = DecodeCharacter(dark, kCharModules, 1);
  const int lv = (li - (rows - 1) % 3) / 3;
  if (li < 0 || lv < 0 || lv > kMaxLevel || LeftIndicator(1, rows, cols, lv) != li)
    return Fail(why, QStringLiteral("PDF417: the encoder's row indicators could not be read"));

  TORVPDF417Grid grid;
  grid.Columns = static_cast<std::uint16_t>(cols);
  grid.Rows = static_cast<std::uint16_t>(rows);
  grid.Level = static_cast<std::uint8_t>(lv);
  grid.Truncated = truncated;
  grid.Codewords.reserve(std::size_t(rows) * cols);
  for (int r = 0; r < rows; ++r) {
    rowModules(r);
    for (int c = 0; c < cols; ++c) {
      const int v = DecodeCharacter(dark, kCharModules * (2 + c), r % 3);
      if (v < 0)
        return Fail(why, QStringLiteral("PDF417: the encoder drew an unknown symbol character (row %1, column %2)")
                             .arg(r + 1)
                             .arg(c + 1));
      grid.Codewords.push_back(static_cast<std::uint16_t>(v));
    }
  }
  out = std::move(grid);
  return true;
}

void BuildMatrix(const TORVPDF417Grid& grid, TORVModuleMatrix& out) {
  out = TORVModuleMatrix{};
  if (grid.IsEmpty() || grid.Codewords.size() != std::size_t(grid.Rows) * grid.Columns) return;
  if (std::any_of(grid.Codewords.begin(), grid.Codewords.end(), [](std::uint16_t v) { return v > 928; })) return;
  const int cols = grid.Columns, rows = grid.Rows;
  out.Resize(SymbolWidth(cols, grid.Truncated), rows);
  for (int r = 0; r < rows; ++r) {
    int x = 0;
    // Elements alternate dark and light, dark first.
    const auto elements = [&](auto width, int count) {
      for (int i = 0; i < count; ++i) {
        const int w = width(i);
        if (i % 2 == 0)
          for (int k = 0; k < w; ++k) out.Set(x + k, r, true);
        x += w;
      }
    };
    const auto character = [&](int value) {
      const std::uint32_t packed = Cluster(r % 3)[value];
      elements([&](int i) { return ElementWidth(packed, i); }, 8);
    };
    elements([](int i) { return int(StartPat[i]); }, 8);
    character(LeftIndicator(r, rows, cols, grid.Level));
    for (int c = 0; c < cols; ++c) character(grid.Codewords[std::size_t(r) * cols + c]);
    if (grid.Truncated) {
      out.Set(x, r, true);
    } else {
      character(RightIndicator(r, rows, cols, grid.Level));
      elements([](int i) { return int(StopPat[i]); }, 9);
    }
  }
}

}  // namespace Pdf417

TPLNBasePDF417::TPLNBasePDF417(TPLNBaseLabel* owner, bool preview) : TPLNBase2DCode(owner, preview) { IniPDF417(); }
TPLNBasePDF417::TPLNBasePDF417(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNBase2DCode(owner, layer, preview) {
  IniPDF417();
}

void TPLNBasePDF417::IniPDF417() {
  fBarWidth = 330;
  fBarHeight = 990;
  fStyle.PadX = 2000;
  fStyle.PadY = 2000;
  fColumnsOption = 0;
  fLevelOption = Pdf417::kAutoLevel;
  fTruncatedOption = false;
  CalcValues(0);
}

void TPLNBasePDF417::SetDataColumns(int columns) { Set(fColumnsOption, std::clamp(columns, 0, Pdf417::kMaxColumns)); }
void TPLNBasePDF417::SetECLevel(int level) {
  Set(fLevelOption, std::clamp(level, Pdf417::kAutoLevel, Pdf417::kMaxLevel));
}

bool TPLNBasePDF417::EncodeGrid(const QString& code, TORVPDF417Grid& out, QString* why) const {
  // Only 8-bit text can be encoded as it is; anything else would come out as '?'.
  for (const QChar ch : code)
    if (ch.unicode() > 0xFF) {
      out = TORVPDF417Grid{};
      if (why)
        *why = QStringLiteral("PDF417: the character U+%1 is not an 8-bit (Latin-1) character")
                   .arg(QString::number(ch.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
      return false;
    }
  return Pdf417::Encode(code.toLatin1(), fColumnsOption, fLevelOption, fTruncatedOption, out, why);
}

bool TPLNBasePDF417::EncodeCode(const QString& code, TORVModuleMatrix& out, QString* why) const {
  TORVPDF417Grid grid;
  if (!EncodeGrid(code, grid, why)) {
    out = TORVModuleMatrix{};
    return false;
  }
  Pdf417::BuildMatrix(grid, out);
  return true;
}

void TPLNBasePDF417::EncodeOwn() {
  // The base keeps the matrix (through EncodeCode); the grid it was drawn from is kept here.
  if (!EncodeGrid(GetText(), fGrid, nullptr)) fGrid = TORVPDF417Grid{};
  Encode();
}

void TPLNBasePDF417::WriteCode(TBinaryWriter& w) const {
  w.WriteByte(static_cast<std::uint8_t>(fColumnsOption));
  w.WriteInt8(static_cast<std::int8_t>(fLevelOption));
  w.WriteBoolean(fTruncatedOption);
}

void TPLNBasePDF417::ReadCode(TBinaryReader& r) {
  const QString kind = KindName();
  fColumnsOption = int(Text::CheckInt(kind, "Columns", r.ReadByte(), 0, Pdf417::kMaxColumns));
  fLevelOption = int(Text::CheckInt(kind, "Level", r.ReadInt8(), Pdf417::kAutoLevel, Pdf417::kMaxLevel));
  fTruncatedOption = r.ReadBoolean();
}

void TPLNBasePDF417::WriteCodeJson(Json::TJsonSink& o) const {
  o.Int("Columns", fColumnsOption);
  o.Int("Level", fLevelOption);
  o.Bool("Truncated", fTruncatedOption);
}

void TPLNBasePDF417::ReadCodeJson(const QJsonObject& o) {
  const QString kind = KindName();
  fColumnsOption = int(Text::CheckInt(kind, "Columns", Json::Int(o, "Columns", fColumnsOption), 0, Pdf417::kMaxColumns));
  fLevelOption = int(Text::CheckInt(kind, "Level", Json::Int(o, "Level", fLevelOption), Pdf417::kAutoLevel,
                                    Pdf417::kMaxLevel));
  fTruncatedOption = Json::Bool(o, "Truncated", fTruncatedOption);
}

}  // namespace Orv::Barcode
