#pragma once
// A rich text: markup laid out in styled segments inside the item's box, drawn on screen and on
// paper from the same segments.

#include <QHash>
#include <QJsonObject>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "ORV.BinaryIO.h"
#include "ORV.Canvas.h"
#include "ORV.RichTextItem.h"

namespace Orv::Fmx {

// The fonts of a parse's formats, measured as they are drawn; the widths of words are kept from
// one layout to the next while the formats stay the same (typing changes words, not formats).
class TRichFonts : public RichText::IRichMeasure {
 public:
  struct TFont {
    Canvas::TSkFont Measure;  // the measuring font (reference resolution)
    QString Family;           // the family drawn (a stand-in where the named one is missing)
    double Ratio = 0;         // 0: no font could be made; the format's text is not drawn
  };
  // Fonts for `formats`; a family that is not installed is replaced by `fallback`, then by the
  // system's default face, and named in Missing().
  void Setup(const std::vector<RichText::TRichTextFormat>& formats, const QString& fallback);
  std::int64_t Width(const QString& text, int format) override;
  std::int64_t Height(int format) override;
  const TFont& FontOf(int format) const;
  std::size_t Count() const { return fFonts.size(); }
  const QStringList& Missing() const { return fMissing; }

 private:
  std::vector<RichText::TRichTextFormat> fFormats;
  QString fFallback;
  std::vector<TFont> fFonts;
  std::vector<QHash<QString, std::int64_t>> fWidths;
  QStringList fMissing;
};

class TPLNRichText : public Orv::Text::TPLNBaseRichText {
 public:
  using Orv::Text::TPLNBaseRichText::TPLNBaseRichText;

  // Reads the markup (core), makes the fonts of its formats and lays the runs out in the box
  // less its paddings.
  void CalcValues(int mode) override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void Draw(TPLNBaseDraw* draw) override;
  void Print(TPLNBaseDraw* draw) override;

  // Measurement in the item's formats, for the editor's caret and clicks.
  RichText::IRichMeasure& Measure() const { return fFonts; }
  // The text area's size on paper (base units) the segments are laid out in, for the current
  // angle's reading direction.
  std::int64_t AreaWidth() const;
  std::int64_t AreaHeight() const;
  // What the reading of the markup and the fonts did not take as written (user texts).
  QStringList Warnings() const;

  static TPLNRichText* Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType);
  static TPLNRichText* ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o);

 private:
  struct TShown;
  // The segments and fonts to show in `draw`: the item's own, or those of a data field's value.
  void Shown(const TPLNBaseDraw* draw, TShown& out) const;
  void Layout(const RichText::TRichParse& parse, TRichFonts& fonts, RichText::TRichSegments& out) const;

  mutable TRichFonts fFonts;
};

}  // namespace Orv::Fmx
