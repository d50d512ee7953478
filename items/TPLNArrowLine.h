#pragma once
// A straight line with a terminator at each end and a one-line caption along it; and the caption
// drawing the dimensions share with it.

#include <QJsonObject>
#include <array>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.FMX.Types.h"
#include "ORV.Line.h"

namespace Orv::Fmx {

// A caption's font and where the layout put it (anchors in document coordinates).
struct TPLNCaption {
  QString Text;
  QString FontName;
  float FontHeight = 0;  // mm
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;  // on paper only
  TAlphaColor Color = kBlack;
  double Ratio = 1;
  TORVPto Screen;  // start of the baseline
  TORVPto Print;   // top-left corner of the text in its own frame
  float Angle = 0;  // radians
};
// Where CalcValues put a caption: the layout arrow lines and dimensions both keep.
struct TPLNCaptionLayout {
  std::int64_t TextWidth = 0;  // base units on paper
  double Ratio = 1;
  float Angle = 0;
  TORVPto Screen;
  TORVPto Print;
  bool LaidOut = false;
  // The corners of the text's box, document coordinates: what the caption covers.
  std::array<TORVPto, 4> Box{};
  // Sets Box from the print anchor, the angle and the text's size in document coordinates.
  void SetBox(std::int64_t width, std::int64_t height);
  // The caption to draw: the layout's placement with the given text and font.
  TPLNCaption With(TPLNCaption c) const {
    c.Ratio = Ratio;
    c.Screen = Screen;
    c.Print = Print;
    c.Angle = Angle;
    return c;
  }
};
// On kC; returns the caption's width in pixels as drawn.
float DrawCaption(TPLNDraw* d, const TPLNCaption& c);
// On pC, through the context's matrix.
void PrintCaption(TPLNDraw* d, const TPLNCaption& c);

class TPLNArrowLine : public Orv::Line::TPLNBaseArrowLine {
 public:
  using Orv::Line::TPLNBaseArrowLine::TPLNBaseArrowLine;

  // Measures the caption and lays it out along the line (caption box into points 3 and 4). A font
  // that cannot be made leaves the caption out of the drawing.
  void CalcValues(std::int16_t mode) override;
  void DrawText(TPLNBaseDraw* draw);
  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;
  // The line, and the caption wherever it sits: export fitted to the drawing and the selection
  // frame must not cut it off.
  TORVBounds GetBounds() const override;

  static TPLNArrowLine* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNArrowLine* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);

 private:
  TPLNCaption Caption() const;
  bool ShowCaption() const { return fLayout.LaidOut && !GetText().isEmpty(); }

  TPLNCaptionLayout fLayout;
};

}  // namespace Orv::Fmx
