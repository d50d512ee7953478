#pragma once
// A single line of text anchored at a point, with alignment, padding, quarter-turn rotation and
// an optional frame and background.

#include <QJsonObject>
#include <cstdint>

#include <QRectF>

#include "ORV.BinaryIO.h"
#include "ORV.Canvas.h"
#include "ORV.Text.h"

namespace Orv::Fmx {

class TPLNDraw;

// Drawing steps the text and the paragraph share.
namespace TextDraw {
// Fonts whose ascent + descent come out at the nominal height (ratio from TPLNCalc).
Canvas::TSkFont ScreenFont(const TPLNDraw& d, const QString& name, float heightMM, bool bold, bool italic,
                           double ratio);
Canvas::TSkFont PrintFont(const QString& name, float heightMM, bool bold, bool italic, bool underline, double ratio);
// Background and border of a text's frame on screen (rect in the current canvas frame) and on paper.
void DrawTextFrame(TPLNDraw* d, const TPLN2DItem& item, const QRectF& rect, std::int64_t baseRadius);
void PrintTextFrame(TPLNDraw* d, const TPLN2DItem& item, const QRectF& rect, std::int64_t baseRadius);
// A 1-pixel underline from x1 to x2 at y.
void DrawUnderline(TPLNDraw* d, TAlphaColor color, float x1, float x2, float y);
// kP for glyphs: stroke-and-fill in `color`.
void SetupTextPaint(TPLNDraw* d, TAlphaColor color);

// Paper, export and preview show a data field's value; the editor's surface and the library
// view show the item's own text with the data mark.
inline bool ShowsData(const TPLNBaseDraw& draw) {
  return draw.DrawState == TORVDrawState::Preview || draw.DrawState == TORVDrawState::Export ||
         draw.DrawState == TORVDrawState::Printing;
}

// The text shown off the editor: for a data field the value of its record (a per-label copy:
// its cell's record on the current page; an original: the record the sheet loop put in the
// context, else the document's current one), the item's own text otherwise.
inline QString DataText(const TPLNBaseItem& item, const TPLNBaseDraw* draw, std::uint8_t fillType,
                        const QString& fillName, const QString& format, const QString& own) {
  if (fillType == 0 || !item.Owner()) return own;
  const TPLNBaseLabel& doc = *item.Owner();
  int record = doc.CopyRecord(&item);
  if (record == -2) record = draw && draw->Record >= 0 ? draw->Record : doc.GetCurrentRecord();
  return doc.DataValueAt(record, fillName, format, fillType, own);
}
template <class T>
QString PrintedText(const T& item, const TPLNBaseDraw* draw) {
  return DataText(item, draw, item.FillType(), item.FillName(), item.GetFormat(), item.GetText());
}

// The start of a boxed text's screen drawing: the shared paint reset for text, the frame and
// background of the box of points 1 and 2, and the data mark on the editor; gives the box.
QRectF BeginBoxText(TPLNDraw* d, const TPLN2DItem& item, std::int64_t baseRadius);
inline bool Upright(TORVAngle a) { return a == TORVAngle::A0 || a == TORVAngle::A180; }
// The corner of a box where a text turned by `angle` has its own top-left.
QPointF FrameCorner(const QRectF& box, TORVAngle angle);

// While alive, the print canvas draws in a text's own frame: scaled by sx along the line, turned
// by `angle` degrees and moved to `origin`, on top of the matrix it had; fill and stroke in the
// text colour.
class TPrintTextFrame {
 public:
  TPrintTextFrame(TPLNDraw* d, float sx, float angle, QPointF origin, TAlphaColor color);
  ~TPrintTextFrame();
  TPrintTextFrame(const TPrintTextFrame&) = delete;
  TPrintTextFrame& operator=(const TPrintTextFrame&) = delete;

 private:
  TPLNDraw* fDraw;
  QTransform fSaved;
};
}  // namespace TextDraw

class TPLNText : public Orv::Text::TPLNBaseText {
 public:
  using Orv::Text::TPLNBaseText::TPLNBaseText;

  // Measures the text with its font; a font that cannot be made leaves zero metrics.
  void CalcValues(int mode) override;
  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  // A light grey marker label in the corners and the middle of a width x height area (device
  // pixels) at the device origin; only the top-left one when width is 0. Tables mark their
  // cells with it.
  static void DrawText(const QString& text, TPLNDraw* draw, float width, float height);
  // `text` on the print canvas with its current font and fill, its top-left at (x, y).
  static void PrintText(const QString& text, TPLNDraw* draw, float x, float y);

  static TPLNText* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNText* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
