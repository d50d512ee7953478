#pragma once
// The interactive editing state of a document: the current action (what a press, a move and a
// release mean now), the handles of the selection, snapping records, the pointer filter and the
// small text helpers of in-place typing.

#include <QString>
#include <cstdint>
#include <vector>

#include "ORV.Pto.h"
#include "ORV.Types.h"

namespace Orv {

class TPLNBaseItem;

// Keyboard and button state that travels with a pointer or key event.
using TShiftState = std::uint8_t;
namespace Shift {
constexpr TShiftState None = 0;
constexpr TShiftState Shift = 1u << 0;
constexpr TShiftState Ctrl = 1u << 1;
constexpr TShiftState Alt = 1u << 2;
constexpr TShiftState Left = 1u << 3;
constexpr TShiftState Right = 1u << 4;
constexpr TShiftState Middle = 1u << 5;
constexpr TShiftState Double = 1u << 6;
}  // namespace Shift

// Snap kinds, as bits of the 16-bit snap set; their order is fixed.
enum TORVSnap : std::uint16_t {
  snPoint = 1u << 0,
  snGrid = 1u << 1,
  snMiddlePoint = 1u << 2,
  snCenterPoint = 1u << 3,
  snEndPoint = 1u << 4,
  snRefSymbol = 1u << 5,
  snCrossPoint = 1u << 6,
  snTangentPoint = 1u << 7,
  snPerpendicularPoint = 1u << 8,
};

// What the pointer does now.
enum class TORVAction : std::uint8_t {
  Selection = 0,   // click selects, drag moves or draws a rubber band
  Move = 1,        // a handle or the selection is being dragged
  Draw = 2,        // an item of TAct::Kind is being created point by point
  Text = 3,        // typing into a text item (caret placement)
  TextSelect = 4,  // selecting characters of the text item with the pointer
};

// Kinds the draw action creates, one per tool of the palette.
enum class TORVDrawKind : std::uint8_t {
  None = 0,
  Point,
  Line,
  Rectangle,     // two corners
  Ellipse,       // two corners of its box
  Circle,        // centre, then a point on the circle
  Circle3P,      // three points on the circle
  Arc,           // three points: start, a point on the arc, end
  Sector,        // centre, start of the arc, end of the arc
  PolyLine,      // clicks; right click or double click ends
  Polygon,       // clicks; right click or double click ends
  Bezier,        // clicks place the anchors, smooth controls follow; right click or double click ends
  Text,          // one click places it, then typing
  Paragraph,     // two corners, then typing
  ArrowLine,
  Dim,           // linear dimension: two ends, then the offset of the dimension line
  DimRadial,     // picks a circle or arc, then where the caption goes
  DimDiameter,
  DimAngle,      // vertex, a point on each arm, then the arc's radius
  Flow,          // two corners of a flow-chart box, then typing its text
  Link,          // a press on a connector of one item, a release on a connector of another
  Code,          // one click places a code (the tool style's CodeKind) with a sample code
  NutriScore,    // two corners of a Nutri-Score label
  Package,       // two corners of a package drawing's frame
  Level,         // two corners of the box round a level gauge's disc
  Rank,          // two corners of a rank rating
  Image,         // two corners of a picture's frame (the file: the tool style's ImageFile)
  Table,         // two corners of a table
  RichText,      // two corners of a rich text, then typing
  Count
};

// What a handle of the selection does when dragged.
enum class TORVHandleKind : std::uint8_t {
  Move = 0,      // the whole selection
  SizeNW, SizeN, SizeNE, SizeE, SizeSE, SizeS, SizeSW, SizeW,
  Point,         // one defining point of an item (Index: the point, from 1)
  Radius,        // the radius of a circle, arc or sector
  Center,        // the centre of a round item
  Bezier,        // a control point of a Bezier (drawn with lines to its anchors)
  Rotate,        // turns the selection about its centre
  Fixed,         // shown, never dragged
  InsertPoint,   // the middle of a segment: dragging inserts a point there
};

// What a drag changes, set when a handle is grabbed (TAct::SetMove).
enum class TORVMoveKind : std::uint8_t {
  None = 0,
  Selection,   // every selected item
  Size,        // the selection's box by one side or corner (Index: the size handle 1..8)
  Point,       // one point of the single selected item (Index)
  Radius,
  Center,
  Rotate,
  InsertPoint, // Index: the point after which the new point goes
  RubberBand,  // selecting by a rectangle
};

// One handle of the selection.
struct TORVSelPoint {
  TORVPto P;
  TORVHandleKind Kind = TORVHandleKind::Move;
  std::int32_t Index = 0;        // point index (from 1) for point-like handles
  TPLNBaseItem* Item = nullptr;  // the item it belongs to (null for selection-wide handles)
};

// The move kind that belongs to a handle kind.
TORVMoveKind MoveKindOf(TORVHandleKind kind);

// The eight size handles of `box` (Index 1..8 in the order NW, N, NE, E, SE, S, SW, W).
void AddSizeHandles(const TORVBounds& box, TPLNBaseItem* item, std::vector<TORVSelPoint>& out);

// A characteristic point found under the pointer.
struct TORVRef {
  TORVPto P;               // base units
  std::int32_t ScreenX = 0;
  std::int32_t ScreenY = 0;
  bool Found = false;      // a point was found
  bool RefFound = false;   // a reference point (for tangents and perpendiculars) is set
  TORVPto RefPoint;        // from where tangents and perpendiculars are taken
  void Reset() { *this = TORVRef{}; }
};

// The connection under the pointer while a link is drawn.
struct TORVink {
  std::int32_t Item = 0;   // 1-based item index, 0 for none
  std::int32_t Point = 0;  // connection point
  TORVPto P;
};

// What the flow and link tools make next: a palette's choices, kept while actions come and go.
struct TORVToolStyle {
  TORVFlowType FlowType = TORVFlowType::Process;
  std::uint8_t LinkType = 0;  // routing, F2d::TORVinkType
  TORVTermType FromType = 0;  // terminators at the start and at the end
  TORVTermType ToType = 0;
  TAlphaColor FromColor = 0xFF000000u;
  TAlphaColor ToColor = 0xFF000000u;
  // The code tool's kind: the item kind code of a barcode, QR code, DataMatrix, PDF417 or poly text.
  std::int32_t CodeKind = Kind::Barcode;
  // The picture the image tool places.
  QString ImageFile;
};

// The current action, its state and the kind being drawn.
//
// Handle drags: the surface grabs a handle with SetMove(MoveKindOf(handle.Kind), handle.Index,
// press point), then sends MoveEditor for every motion and UpEditor at the release. Without the
// press point the drag starts from the handle itself at the first MoveEditor.
class TAct {
 public:
  TORVAction Action = TORVAction::Selection;
  TORVDrawKind Kind = TORVDrawKind::None;
  // Points placed so far by the draw action (state = their count).
  std::vector<TORVPto> Points;
  // The pointer position the draw action shows its rubber band to.
  TORVPto Current;
  // Drag of the selection action.
  TORVMoveKind Move = TORVMoveKind::None;
  std::int32_t MoveIndex = 0;
  bool Dragging = false;
  TORVPto DragStart;  // base point where the drag began
  TORVPto DragLast;   // last point the drag reached
  // Text typed for the item being created or edited.
  QString Text;

  // Set when the drag's start point is known (a press, or SetMove with a point).
  bool HasDragStart = false;
  // The drag has changed the document (its undo group is open).
  bool DragChanged = false;
  // Fixed centre of a rotation drag, and the angle turned so far (radians, clockwise).
  TORVPto Pivot;
  double Turned = 0;
  // Quarter turns given so far in this drag to the items that only take quarter turns.
  int QuarterTurns = 0;
  // A rubber band started with Shift adds to the selection instead of replacing it.
  bool BandAdds = false;
  // The last left press and its tolerance (a double click acts on what lies under it).
  TORVPto Press;
  std::int64_t PressTolerance = 0;
  bool HasPress = false;
  // The circle a radius or diameter dimension is drawn on (picked by the first click).
  TORVPto RefCenter;
  std::int64_t RefRadius = 0;
  // Open undo groups of the action; survives Reset so the document can still close them.
  int UndoDepth = 0;
  // The flow and link tools' choices; survive Reset.
  TORVToolStyle Style;
  // The link being drawn: the items (identifiers) and connectors of its ends, Points holding
  // where they lie. The end stays 0 until a connector of another item is pressed or reached.
  std::int32_t LinkFromID = 0;
  std::int32_t LinkFromPoint = 0;
  std::int32_t LinkToID = 0;
  std::int32_t LinkToPoint = 0;

  int State() const { return static_cast<int>(Points.size()); }
  bool IsDrawing() const { return Action == TORVAction::Draw; }
  bool IsText() const { return Action == TORVAction::Text || Action == TORVAction::TextSelect; }
  // Grabs a handle: the move action drags it from the next MoveEditor on.
  void SetMove(TORVMoveKind kind, std::int32_t index);
  // The same, with the point where the handle was grabbed.
  void SetMove(TORVMoveKind kind, std::int32_t index, TORVPto at);
  // Back to the selection action, nothing placed, nothing dragged (open undo groups and the
  // tools' choices stay).
  void Reset();
};

// Drops pointer moves that are too close to the last one kept, or come too soon after it.
class TMouseFilterS {
 public:
  // `minDistance` in hundredths of a pixel, `minInterval` in milliseconds.
  TMouseFilterS(int minDistance = 70, int minInterval = 20) : fMinDistance(minDistance), fMinInterval(minInterval) {}
  // True when the move at (x, y), `timeMs` on a monotonic clock, is to be handled.
  bool FilterMouseMove(double x, double y, std::int64_t timeMs);
  void ResetPos() { fHasPos = false; }

 private:
  int fMinDistance;
  int fMinInterval;
  double fX = 0, fY = 0;
  std::int64_t fTime = 0;
  bool fHasPos = false;
};

// A press within `radius` pixels of the point (px, py) (square test, edges included).
bool CursorOnPosS(double px, double py, double radius, double x, double y);

// Whether `key` may be typed into the coordinate input `text` at `caret`: a minus sign only at
// the start of the text, right after "@" or right after the first ","; every other key is
// allowed (the surface checks its own character class).
bool ValidInputKey(const QString& text, QChar key, int caret);

namespace TXTUtils {
// Deletes one character of `text`: kind 0 the one before `pos` (backspace), kind 1 the one at
// `pos` (delete). False when there is none.
bool DeleteCharPos(QString& text, int pos, int kind);
bool IsWordSeparator(QChar c);
int FindPrevWordBoundary(const QString& text, int pos);
int FindNextWordBoundary(const QString& text, int pos);
}  // namespace TXTUtils

}  // namespace Orv
