#pragma once
// A document and a recording context at 254 dpi, where 1 mm is 10 pixels and 100 base units 1 pixel.

#include "ORV.Base.h"
#include "ORV.Canvas.Recording.h"
#include "ORV.FMX.Types.h"

struct ItemContext {
  Orv::TPLNBaseLabel doc;
  Orv::Canvas::TRecordingCanvas canvas;
  Orv::Fmx::TPLNDraw d;

  explicit ItemContext(int dpi = 254) {
    d.SetResolution(dpi, dpi);
    d.SetStandardWidths();
    d.kC = &canvas;
    d.pC = &canvas;
  }
  const Orv::Canvas::TRecordedOp& Op(size_t i) const { return canvas.Ops.at(i); }
};
