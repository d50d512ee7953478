#pragma once
// A placed library symbol: the symbol's drawing commands run at the insertion point, scaled and
// turned, on the screen (Skia-shaped canvas) and on paper (print canvas).

#include <QJsonObject>
#include <QPainterPath>
#include <QString>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Canvas.h"
#include "ORV.Symbol.h"

namespace Orv::Fmx {

class TPLNDraw;

// The state the commands of one symbol change: pen, fill, dash, font and path mode. Every
// placed symbol starts again from its layer's settings, so nothing leaks from one to the next.
struct TORVDrawConf {
  TAlphaColor ForeColor = kBlack;
  TAlphaColor BackColor = kWhite;
  bool Fill = false;
  bool RoundCap = false;
  bool ScalePen = false;
  TORVineType LineType = 0;
  double PenWidth = 0;  // base units
  TAlphaColor FontColor = kBlack;
  QString FontName;
  double FontHeight = 0;  // base units
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  double FontScale = 1;  // horizontal
  bool PathMode = false;

  void Ini(TAlphaColor fore, TAlphaColor back, bool fill, TORVineType lineType, double penWidth);
  void IniFont(TAlphaColor color, bool bold, bool italic, bool underline, const QString& name, double height,
               double scale);
  void Reset() { *this = TORVDrawConf(); }
  // The settings of `layer` (the defaults when there is none).
  static TORVDrawConf FromLayer(const TPLNLayer* layer);
};

class TPLNSymbol : public Orv::Symbol::TPLNBaseSymbol {
 public:
  using Orv::Symbol::TPLNBaseSymbol::TPLNBaseSymbol;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  // The commands of `symbol` on the screen canvas (kC, kP) or on paper (pC), in the frame the
  // caller set up: symbol base units at the context's pixels per base unit, already scaled by
  // `scale` (pens compensate for it unless the symbol asks for scaled pens). `conf` carries the
  // state in and out.
  static void DrawSymbol(TPLNDraw* draw, const Orv::Symbol::TPLNBaseLibSymbol* symbol, float scale,
                         TORVDrawConf& conf, TORVItemState state = 0);
  static void PrintSymbol(TPLNDraw* draw, const Orv::Symbol::TPLNBaseLibSymbol* symbol, float scale,
                          TORVDrawConf& conf);
  // The same starting from a fresh configuration (a default layer's pen, fill and font), for
  // views that show a library symbol outside any document.
  static void DrawSymbol(TPLNDraw* draw, const Orv::Symbol::TPLNBaseLibSymbol* symbol, float scale);

  // Outlines of single commands in the symbol's frame (device pixels before the frame's
  // scale): an open or closed polyline, a Bezier run (start, then three points per segment;
  // an incomplete last segment is left out), a sector (a pie).
  static QPainterPath GetPathPolyline(const TPLNBaseDraw& draw, const Orv::Symbol::TPLNSymItem& polyline);
  static QPainterPath GetPathBezier(const TPLNBaseDraw& draw, const Orv::Symbol::TPLNSymItem& bezier);
  static QPainterPath GetPathSector(const TPLNBaseDraw& draw, const Orv::Symbol::TPLNSymItem& sector);

  // The symbol's frame on the device: insertion point (cell origin included), the scale (a
  // symbol that keeps its paper size grows with the drawing scale) and the angle in degrees,
  // clockwise on the device.
  struct TFrame {
    QPointF At;
    float Scale = 1;
    float AngleDeg = 0;
    QTransform Matrix() const;
  };
  TFrame FrameOn(const TPLNBaseDraw& draw, bool paper) const;

  static TPLNSymbol* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNSymbol* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
