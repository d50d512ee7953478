#pragma once
// A picture in a rectangle, rounded rectangle or circle frame, kept in proportion, turned by
// quarter turns and filtered to grey or black and white, on screen and on paper alike. A picture
// that cannot be shown (missing, damaged, too large) draws a placeholder: its frame crossed out
// and the file's name.

#include <QJsonObject>
#include <QRectF>
#include <cstdint>
#include <mutex>

#include "ORV.BinaryIO.h"
#include "ORV.Canvas.h"
#include "ORV.Image.h"

namespace Orv::Fmx {

class TPLNDraw;

class TPLNImage : public Orv::F2d::TPLNBaseImage {
 public:
  using Orv::F2d::TPLNBaseImage::TPLNBaseImage;

  // Where one drawing puts things, in device pixels. Worked out per draw (two threads may draw
  // the same item at once), never kept in the item.
  struct TGeom {
    QRectF Box;             // the item's box
    QRectF FrameRect;       // the frame: the box, or the centred square of a circle
    QRectF LImageDest;      // the frame less the padding
    QRectF LImageDrw;       // where the picture goes, before its turn
    double W = 0, H = 0;    // the picture's size in pixels
    double RW = 0, RH = 0;  // and after its turn
    double Radius = 0;      // of the circle frame
    QPointF Centre;
  };
  // The frame and destination rectangles for the item's box on this context (print: the
  // printer's positions).
  TGeom DrawRect(const TPLNBaseDraw& draw, bool print) const;
  // inset: keeps the picture off a rounded frame's corners and pen, or puts it into a circle's
  // inscribed square. Otherwise, with keep-aspect, fits the w x h picture into what is left by the
  // alignment.
  void AdjustDrawRect(const TPLNBaseDraw& draw, TGeom& g, bool inset, double w, double h) const;
  // The circle the picture is clipped to (frame shape 3).
  Canvas::TSkPath GetCirclePath(const TGeom& g) const;
  // The corner radius in millimetres.
  float GetDrawRadio() const { return GetBaseRadio() == 0 ? 0.0f : float(GetBaseRadio() / 1000.0); }

  // The picture this context shows (the data field's file off the editor's surface), decoded at
  // a size that covers `want` device pixels; its Error says why there is none.
  F2d::TORVDecodedPtr Picture(const TPLNBaseDraw& draw, QSizeF want);
  // The file name this context shows.
  QString ShownFileName(const TPLNBaseDraw& draw) const;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNImage* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNImage* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);

 private:
  // The last picture decoded, for the next draw of the same file at the same size: no file
  // system look-up per repaint.
  std::mutex fPictureLock;
  F2d::TORVDecodedPtr fPicture;
  QString fPictureKey;
};

}  // namespace Orv::Fmx
