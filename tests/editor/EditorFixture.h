// An editor on the offscreen platform showing a one-label document, and its surface's pixels.
#pragma once

#include <QImage>
#include <QPainter>

#include "ORV.FMX.Editor.h"
#include "PlanoraTestSupport.h"

struct EditorView {
  Orv::Fmx::TPlanoraFMX doc;
  Orv::Fmx::TPLNEditor ed;

  // A 100 x 60 mm label (378 x 227 pixels at 100 %) in a 600 x 400 frame unless told otherwise.
  explicit EditorView(int w = 600, int h = 400, std::int64_t pageW = 100000, std::int64_t pageH = 60000) {
    doc.SetMeasure(PlanoraTest::Paper(pageW, pageH));
    ed.resize(w, h);
    ed.show();
    ed.SetLabel(&doc);
  }
  Orv::Fmx::TPLNBackEditor& S() { return *ed.Surface(); }
  // What a repaint of the surface shows.
  QImage Shot() {
    QImage img(S().size(), QImage::Format_ARGB32_Premultiplied);
    S().render(&img);
    return img;
  }
  void SetScale(std::int64_t scale) {
    Orv::TPLNMeasure m = doc.Measure();
    m.DrawScale = scale;
    doc.SetMeasure(m);
  }
};
