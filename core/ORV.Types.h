#pragma once
// Basic types shared by the whole document model.

#include <cstdint>
#include <vector>

namespace Orv {

using TAlphaColor = std::uint32_t;  // ARGB, alpha in the top byte

constexpr TAlphaColor kBlack = 0xFF000000u;
constexpr TAlphaColor kWhite = 0xFFFFFFFFu;

// Unit of user-facing values.
enum class TORVUnits : std::uint8_t { mm = 0, inch = 1, cm = 2, dm = 3, m = 4, foot = 5, yard = 6 };

// Where an item is being drawn.
enum class TORVDrawState : std::uint8_t {
  Editor = 0,
  EditorUpdate = 1,
  Preview = 2,
  Export = 3,
  Printing = 4,
  Library = 5,
};

// Line styles 0..11 (values above 11 may arrive from files and are ignored by the stroke set-up).
using TORVineType = std::uint8_t;
// Terminator kinds 0..11 (12 and above draw nothing).
using TORVTermType = std::uint8_t;

// Display state of an item: 0 normal, 1 selected, 2 hovered/secondary selection, 3+ custom.
using TORVItemState = std::uint8_t;
constexpr TORVItemState kStateNormal = 0;
constexpr TORVItemState kStateSelected = 1;
constexpr TORVItemState kStateHover = 2;

// How an item record is read: from a file, from the clipboard, or as a per-label copy (preview).
enum class TORVReadType : std::uint8_t { File = 0, Paste = 1, Preview = 2 };

enum class TORVExport : std::uint8_t { PDF = 0, XPS = 1, BMP = 2, PNG = 3, GIF = 4, JPEG = 5 };

// Save format of SaveToFile.
enum class TORVExt : std::uint8_t { Eti = 0, Json = 1 };

// Layer and item option bits.
namespace Opt {
constexpr std::uint16_t Visible = 1u << 0;
constexpr std::uint16_t Print = 1u << 1;
constexpr std::uint16_t Selectable = 1u << 2;
constexpr std::uint16_t Export = 1u << 3;
constexpr std::uint16_t MapBackground = 1u << 6;
constexpr std::uint16_t PrintBackground = 1u << 7;
constexpr std::uint16_t ExportBackground = 1u << 8;
constexpr std::uint16_t Default = Visible | Print | Selectable | Export;
}  // namespace Opt

// Item kind codes shared by the binary file, the clipboard and the JSON "Type" key.
namespace Kind {
constexpr std::int32_t Point = 1;
constexpr std::int32_t Line = 2;
constexpr std::int32_t ArrowLine = 3;
constexpr std::int32_t PolyLine = 4;
constexpr std::int32_t Arc = 5;
constexpr std::int32_t Rectangle = 6;
constexpr std::int32_t Polygon = 7;
constexpr std::int32_t Circle = 8;
constexpr std::int32_t Ellipse = 9;
constexpr std::int32_t Text = 10;
constexpr std::int32_t Paragraph = 11;
constexpr std::int32_t Barcode = 12;
constexpr std::int32_t PDF417 = 13;
constexpr std::int32_t DataMatrix = 14;
constexpr std::int32_t QRCode = 15;
constexpr std::int32_t Image = 16;
constexpr std::int32_t Flow = 17;
constexpr std::int32_t Link = 18;
constexpr std::int32_t Table = 19;
constexpr std::int32_t PolyText = 20;
constexpr std::int32_t Rank = 21;
constexpr std::int32_t NutriScore = 22;
constexpr std::int32_t Level = 23;
constexpr std::int32_t Symbol = 24;
constexpr std::int32_t Bezier = 25;
constexpr std::int32_t Dim = 26;
constexpr std::int32_t Sector = 27;
constexpr std::int32_t Package = 28;
constexpr std::int32_t RichText = 29;
constexpr std::int32_t Count = 29;
}  // namespace Kind

// One laid-out line of text: first character (from 1), character count, and the line's origin
// relative to the item's box in base units.
struct TORVTxtInf {
  std::int32_t Start = 1;
  std::int32_t Count = 0;
  std::int64_t X = 0;
  std::int64_t Y = 0;
};
using TxtLines = std::vector<TORVTxtInf>;
// The same in device units, for the print canvas.
struct TORVFTxtInf {
  std::int32_t Start = 1;
  std::int32_t Count = 0;
  float X = 0;
  float Y = 0;
};
using TxtFLines = std::vector<TORVFTxtInf>;

enum class TORVHorzAlign : std::uint8_t { Left = 0, Center = 1, Right = 2, Justify = 3 };
enum class TORVVertAlign : std::uint8_t { Top = 0, Center = 1, Bottom = 2 };
// Quarter turns of a text: 0, 90, 180 and 270 degrees.
enum class TORVAngle : std::uint8_t { A0 = 0, A90 = 1, A180 = 2, A270 = 3 };

// The fifteen flow-chart shapes, in the order of the flow tool's type list.
enum class TORVFlowType : std::uint8_t {
  Terminator = 0,
  Process = 1,
  Document = 2,
  MultiDocument = 3,
  Decision = 4,
  Data = 5,
  Database = 6,
  Predefined = 7,
  ManualInput = 8,
  ManualOperation = 9,
  Preparation = 10,
  Ellipse = 11,
  Start = 12,
  Step = 13,
  End = 14,
};

// Editor modes of a document.
enum class TORVEditorMode : std::uint8_t { Labelling = 0, Flowchart = 1, Drawing = 2, Interactive = 3 };

}  // namespace Orv
