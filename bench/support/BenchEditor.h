#pragma once
// A 1280 x 800 editor showing a drawing, rendered into an image as a repaint of the window would.

#include <QImage>

#include "ORV.FMX.Editor.h"
#include "ORV.FMX.h"

namespace PlanoraBench {

// Redraw draws page and items again (what a change of the document costs); Repaint keeps them
// and draws what lies over them (what moving a selection mark or a ruler costs).
struct View {
  Orv::Fmx::TPLNEditor editor;
  QImage img;
  explicit View(Orv::Fmx::TPlanoraFMX* doc, Orv::Fmx::TORVZoom zoom = Orv::Fmx::zmFitAll) {
    editor.resize(1280, 800);
    editor.show();
    editor.SetLabel(doc);
    editor.SetZoom(zoom);
    img = QImage(editor.Surface()->size(), QImage::Format_ARGB32_Premultiplied);
  }
  void Redraw() {
    editor.DrawEditor();
    editor.Surface()->render(&img);
  }
  void Repaint() { editor.Surface()->render(&img); }
};

}  // namespace PlanoraBench
