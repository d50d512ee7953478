// Rendering through the painter canvas into an image; the probes come from the shared support.
#pragma once

#include "ORV.Canvas.h"
#include "PlanoraTestSupport.h"

#include <QPainter>

#include <memory>

namespace Orv::Canvas::Testing {

using namespace PlanoraTest;

// A white ARGB32_Premultiplied image with a canvas over it; Image() ends painting.
class TImageCanvas {
 public:
  TImageCanvas(int w, int h, int dpi = 0) : Image_(w, h, QImage::Format_ARGB32_Premultiplied) {
    Image_.fill(Qt::white);
    if (dpi > 0) {
      Image_.setDotsPerMeterX(qRound(dpi / 0.0254));
      Image_.setDotsPerMeterY(qRound(dpi / 0.0254));
    }
    Painter_.begin(&Image_);
    Canvas_ = std::make_unique<TQPainterCanvas>(&Painter_);
  }
  TQPainterCanvas* operator->() { return Canvas_.get(); }
  TQPainterCanvas& operator*() { return *Canvas_; }
  const QImage& Image() {
    if (Canvas_) {
      Canvas_.reset();
      Painter_.end();
    }
    return Image_;
  }

 private:
  QImage Image_;
  QPainter Painter_;
  std::unique_ptr<TQPainterCanvas> Canvas_;
};

inline TSkPaint Paint(TSkPaintStyle style, float width = 0, TAlphaColor color = 0xFF000000) {
  TSkPaint p;
  p.Style = style;
  p.StrokeWidth = width;
  p.Color = color;
  return p;
}

}  // namespace Orv::Canvas::Testing
