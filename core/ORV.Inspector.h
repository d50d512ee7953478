#pragma once
// What the property inspector shows and changes. The items' properties are described here as
// rows of a JSON array (captions, values, which editor a value takes); a change comes back as a
// value object and is applied to every selected item at once, as one undo step. The inspector
// widget knows no item class: it draws these rows and sends these changes.
//
// Row keys: "H" height in pixels, "N" cells, "Kind" the items' kind code (0 when the selection
// mixes kinds), "Type" the group (base groups 0..21, item groups kItemGroup + 0..17), "Head" a
// group's caption row. Per cell i (from 1): "Prop"+i the editor (TORVInsProp), "P"+i the
// property within its group, "T"+i caption, "Name"+i a stable English key, "Value"+i the value
// (string, integer, float or bool by editor), "TV"+i the value as text, "M"+i true when the
// selected items differ, "List"+i the choices of a list, "FE"+i number format (0 text, 1 whole,
// 2 decimal), "C"+i unit caption, "F"+i decimals, "L"+i / "X"+i / "I"+i minimum, maximum and
// step of a number, "AT"+i attribute bits (TORVInsAttr).

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <cstdint>

namespace Orv {
class TPLNBaseLabel;
class TPLNBaseItem;
}

namespace Orv::Ins {

// Groups every item may have.
enum class TORVInsTypeBase : std::uint8_t {
  Identity = 0, Position, Size, Pen, LineStyle, Fill, Layer, Points, Ends, Turn, Visible, Print,
  Selectable, Export, Data, Corners, Padding, Font, Style, Alignment, Text, Scale, Count
};
// Groups of particular kinds.
enum class TORVInsType : std::uint8_t {
  Barcode = 0, BarModule, Code2D, Image, Dimension, DimStyle, Flow, Link, Arc, Level, Rank, NutriColors,
  Nutri, Package, Table, PolyText, RichText, Symbol, Count
};
constexpr int kItemGroup = 32;

using TORVInsTypesBase = std::uint32_t;  // bit per TORVInsTypeBase
using TORVInsTypes = std::uint32_t;      // bit per TORVInsType
constexpr TORVInsTypesBase kAllBase = (1u << int(TORVInsTypeBase::Count)) - 1;
// Module sizes of codes and the colours of a Nutri-Score's grades are left out unless asked for.
constexpr TORVInsTypes kDefaultTypes = 0x3F7FD;

// The editor a value takes.
enum class TORVInsProp : std::uint8_t {
  Head = 1,     // a group caption
  Color = 2,    // colour form, or typed "#RRGGBB"
  Toggle = 3,   // a click toggles
  List = 4,     // choices of "List"+i, the value is the index
  File = 5,     // a picture file
  Font = 6,     // a font family
  Field = 7,    // a data field of the document's data source ("" for none)
  Edit = 8,     // typed text or number
  Memo = 9,     // multi-line text form (markup of a rich text)
  Table = 10,   // table editor form
  Poly = 11,    // poly-text editor form
  ReadOnly = 12 // shown, not edited
};

enum TORVInsAttr : int {
  atMixed = 1,        // the selected items differ
  atLength = 2,       // a length in the document's unit; typed units are read
  atPaper = 4,        // a length on paper in millimetres (pens, fonts)
  atBarcodeKeys = 8,  // only what a barcode can encode
};

enum TORInspectorOption : std::uint8_t { ioEditOnRequest = 0, ioGroupHeads = 1, ioPointsOnly = 2 };

// The rows of the selection: the groups of both sets that every selected item has, values
// compared across the items.
QJsonArray FillInspector(const TPLNBaseLabel& doc, TORVInsTypesBase baseTypes, TORVInsTypes types,
                         bool heads = true);

// Removes from both sets the groups `item` does not have.
void NarrowInspector(const TPLNBaseItem& item, TORVInsTypesBase& baseTypes, TORVInsTypes& types);

// Applies `value` ("txt", "int", "ext", "i64", "bol", see TORVInsProp) to property `p` of group
// `type` of every selected item, as one undo step, all or nothing. The result holds "Ok", an
// "Error" message when refused (nothing changed), the stored value ("Value", "TV", "M") and
// "Link": the other cells whose value changed with it ("Kind", "Type", "Pos" = their "P",
// "Prop", "Value", "TV", "M"). "Rebuild" is true when the rows themselves changed.
QJsonObject UpdateProp(TPLNBaseLabel& doc, int prop, int kind, int type, int p, const QJsonObject& value,
                       TORVInsTypesBase baseTypes = kAllBase, TORVInsTypes types = kDefaultTypes);

// A typed length with an optional unit (mm, cm, in, pt, m, ft, or ", the document's unit when
// none) in base units; false for text that is no length.
bool ParseLength(const QString& text, double unitFactor, double* baseUnits);

}  // namespace Orv::Ins
