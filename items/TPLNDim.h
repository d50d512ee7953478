#pragma once
// A dimension: linear with extension lines, radius and diameter inside or outside a circle, or an
// angle drawn as an arc; its look comes from the document's dimension style.

#include <QJsonObject>
#include <array>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Dim.h"
#include "ORV.FMX.Types.h"
#include "TPLNArrowLine.h"

namespace Orv::Fmx {

class TPLNDim : public Orv::Line::TPLNBaseDim {
 public:
  using Orv::Line::TPLNBaseDim::TPLNBaseDim;

  // The caption's value (unless mode is 3), the extension lines after the style, then the
  // caption's layout: along the dimension line, or outside the arc of an angle.
  void CalcValues(std::int16_t mode) override;
  void DrawText(TPLNBaseDraw* draw);
  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;
  // The points, and what is drawn beyond them: the caption and the dimension line run on past
  // heads set outside.
  TORVBounds GetBounds() const override;
  // Also the dimension line run on past heads set outside, which lies beyond the points.
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;

  // A dimension too short for its heads and caption between its ends: the heads go outside,
  // pointing in, and the caption beside them.
  struct TFit {
    bool HeadsOut = false;
    bool CaptionOut = false;
    // Where the dimension line ends beyond each of its ends: the end itself, or farther where
    // heads or the caption stand outside. Document coordinates.
    std::array<TORVPto, 2> Tail{};
  };
  const TFit& Fit() const { return fFit; }

  static TPLNDim* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNDim* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);

 private:
  TPLNCaption Caption() const;
  bool ShowCaption() const { return fLayout.LaidOut && !GetCaption().isEmpty(); }
  void PlaceAngleCaption(std::int64_t width, std::int64_t ascent, std::int64_t descent, std::int64_t gap);
  // Lays the caption out along the line from point a to point b and decides what fits between.
  void PlaceLineCaption(int a, int b, bool caption, std::int64_t width, std::int64_t ascent, std::int64_t descent,
                        std::int64_t gap, std::int64_t head, std::int64_t ext);

  bool fInCalc = false;
  TPLNCaptionLayout fLayout;
  TFit fFit;
};

}  // namespace Orv::Fmx
