#pragma once
// A Nutri-Score label: frame, optional title and the five grades, the selected one drawn last and
// larger, on screen and on paper from one layout.

#include <QJsonObject>
#include <QRectF>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "ORV.BinaryIO.h"
#include "ORV.Nutri.h"

namespace Orv::Fmx {

class TPLNDraw;

class TPLNNutriScore : public Orv::F2d::TPLNBaseNutri {
 public:
  using Orv::F2d::TPLNBaseNutri::TPLNBaseNutri;

  // One cell as drawn: its box in device pixels, its grade (0 = A) and whether it is the
  // selected one (grown on every side by the value gap).
  struct TCell {
    QRectF Rect;
    int Grade = 0;
    bool Selected = false;
  };
  // Where everything goes for a frame `box` (device pixels) showing `grade` (-1: none). Cells
  // come in drawing order, the selected one last. Sizes are the heights (ascent + descent) the
  // title and the letters get, already shrunk to fit their band and cells; the title comes in
  // one line, or two where a short band beside the cells lets them read larger.
  struct TLayout {
    QRectF Box, Inner, TitleBand;
    QStringList TitleLines;
    double Gap = 0, Grow = 0;
    double TitleHeight = 0, LetterHeight = 0, ValueHeight = 0;
    std::vector<TCell> Cells;
  };
  TLayout Layout(const TPLNBaseDraw& draw, const QRectF& box, int grade) const;
  // The grade this drawing shows (0 = A .. 4 = E, -1 none): the item's own on the editor's
  // surface, the grade in its data field's record off it.
  int ShownGrade(const TPLNBaseDraw& draw) const;

  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNNutriScore* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNNutriScore* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);
};

}  // namespace Orv::Fmx
