// Rendering through the painter canvas into an image, and pixel probes with tolerances.
#pragma once

#include "ORV.Canvas.h"

#include <QImage>
#include <QPainter>

#include <memory>

namespace Orv::Canvas::Testing {

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
  TQPainterCanvas& operator*() { return *Canvas_; }
  TQPainterCanvas* operator->() { return Canvas_.get(); }
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

inline int Gray(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)); }
inline bool Dark(const QImage& img, int x, int y) { return Gray(img, x, y) < 100; }
inline bool White(const QImage& img, int x, int y) { return Gray(img, x, y) > 235; }
// Dark anywhere within `r` pixels of (x, y): for thin, anti-aliased or hairline strokes.
inline bool DarkNear(const QImage& img, int x, int y, int r = 1) {
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx)
      if (img.valid(x + dx, y + dy) && Dark(img, x + dx, y + dy)) return true;
  return false;
}
inline bool WhiteNear(const QImage& img, int x, int y, int r = 1) {
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx)
      if (img.valid(x + dx, y + dy) && !White(img, x + dx, y + dy)) return false;
  return true;
}

// Total darkness (0..255 per pixel) of the whole image.
inline double Ink(const QImage& img) {
  double sum = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) sum += 255 - Gray(img, x, y);
  return sum;
}

// Rows [top, bottom] that hold any ink; {-1, -1} for a blank image.
inline std::pair<int, int> InkRows(const QImage& img, int threshold = 160) {
  int top = -1, bottom = -1;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (Gray(img, x, y) < threshold) {
        if (top < 0) top = y;
        bottom = y;
        break;
      }
  return {top, bottom};
}

// Columns [left, right] that hold any ink; {-1, -1} for a blank image.
inline std::pair<int, int> InkColumns(const QImage& img, int threshold = 160) {
  int left = -1, right = -1;
  for (int x = 0; x < img.width(); ++x)
    for (int y = 0; y < img.height(); ++y)
      if (Gray(img, x, y) < threshold) {
        if (left < 0) left = x;
        right = x;
        break;
      }
  return {left, right};
}

inline bool InkInRect(const QImage& img, const QRect& r) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (img.valid(x, y) && Gray(img, x, y) < 160) return true;
  return false;
}

inline TSkPaint Paint(TSkPaintStyle style, float width = 0, TAlphaColor color = 0xFF000000) {
  TSkPaint p;
  p.Style = style;
  p.StrokeWidth = width;
  p.Color = color;
  return p;
}

}  // namespace Orv::Canvas::Testing
