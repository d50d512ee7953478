#pragma once
// A package drawing: its frame, and inside it a carton in isometric view or a flat part with its
// holes, with the sizes written on it; one construction for the screen and for paper.

#include <QJsonObject>
#include <QRectF>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Package.h"

namespace Orv::Fmx {

class TPLNDraw;
class TItemSurface;

class TPLNPackage : public Orv::F2d::TPLNBasePackage {
 public:
  using Orv::F2d::TPLNBasePackage::TPLNBasePackage;

  // Where the drawing goes inside the frame `box` (device pixels): the content rectangle, less
  // the room its texts take, and the strip the size list takes (styles with sizes beside).
  struct TLayout {
    QRectF Content, Strip;
  };
  TLayout Layout(const TPLNBaseDraw& draw, const QRectF& box) const;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;
  // The size list in the strip left of the drawing.
  void DrawSizes(TPLNBaseDraw* draw);
  void PrintSizes(TPLNBaseDraw* draw);

  static TPLNPackage* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNPackage* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);

 private:
  void Paint(TPLNDraw* d, TItemSurface& s, const QRectF& box);
  void PaintSizes(TPLNDraw* d, TItemSurface& s, const QRectF& strip);
};

}  // namespace Orv::Fmx
