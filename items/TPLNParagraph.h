#pragma once
// A block of text wrapped inside the item's box.

#include <QJsonObject>
#include <cstdint>

#include "ORV.BinaryIO.h"
#include "ORV.Text.h"

namespace Orv::Fmx {

class TPLNParagraph : public Orv::Text::TPLNBasePara {
 public:
  using Orv::Text::TPLNBasePara::TPLNBasePara;

  // Measures and breaks the text into lines inside the box less its paddings.
  void CalcValues(int mode) override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  static TPLNParagraph* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNParagraph* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);

 private:
  // Sets up the measuring font and breaks `text` into lines inside the box; zero metrics and no
  // lines when the font cannot be made.
  void BreakLines(const QString& text, Orv::Text::TORVTextMetrics& m, TxtLines& lines) const;
};

}  // namespace Orv::Fmx
