#pragma once
// A dimension: linear with extension lines, radius and diameter inside or outside a circle, or an
// angle drawn as an arc; its look comes from the document's dimension style.

#include <QJsonObject>
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

  static TPLNDim* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNDim* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);

 private:
  TPLNCaption Caption() const;
  bool ShowCaption() const { return fLayout.LaidOut && !GetCaption().isEmpty(); }
  void PlaceAngleCaption(std::int64_t width, std::int64_t ascent, std::int64_t descent, std::int64_t gap);

  bool fInCalc = false;
  TPLNCaptionLayout fLayout;
};

}  // namespace Orv::Fmx
