#pragma once
// What items built from outlines paint with: the screen's Skia-shaped canvas or the print
// canvas. Both take outlines in device pixels, so one construction of an item serves the
// editor, exports and paper.

#include <QPainterPath>
#include <QPointF>
#include <QString>

#include "ORV.Base.h"

namespace Orv::Fmx {

class TPLNDraw;

class TItemSurface {
 public:
  virtual ~TItemSurface() = default;
  virtual void Fill(const QPainterPath& path, TAlphaColor color) = 0;
  // A solid stroke; `width` 0 is a hairline.
  virtual void Stroke(const QPainterPath& path, TAlphaColor color, double width, bool roundCap = false) = 0;
  // The item's own pen: its colour, width and dash.
  virtual void Outline(const QPainterPath& path, const TPLNBaseItem& item) = 0;
  // `text` centred on `centre`, turned by `angle` degrees (clockwise on the device); its line is
  // `heightMM` millimetres high (ascent and descent).
  virtual void Text(const QString& text, QPointF centre, float angle, const QString& family, bool bold, bool italic,
                    double heightMM, TAlphaColor color) = 0;
};

class TScreenSurface : public TItemSurface {
 public:
  explicit TScreenSurface(TPLNDraw* d);
  void Fill(const QPainterPath& path, TAlphaColor color) override;
  void Stroke(const QPainterPath& path, TAlphaColor color, double width, bool roundCap) override;
  void Outline(const QPainterPath& path, const TPLNBaseItem& item) override;
  void Text(const QString& text, QPointF centre, float angle, const QString& family, bool bold, bool italic,
            double heightMM, TAlphaColor color) override;

 private:
  TPLNDraw* fD;
};

class TPaperSurface : public TItemSurface {
 public:
  explicit TPaperSurface(TPLNDraw* d);
  void Fill(const QPainterPath& path, TAlphaColor color) override;
  void Stroke(const QPainterPath& path, TAlphaColor color, double width, bool roundCap) override;
  void Outline(const QPainterPath& path, const TPLNBaseItem& item) override;
  void Text(const QString& text, QPointF centre, float angle, const QString& family, bool bold, bool italic,
            double heightMM, TAlphaColor color) override;

 private:
  TPLNDraw* fD;
};

}  // namespace Orv::Fmx
