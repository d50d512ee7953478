#include "TPLNParagraph.h"

#include <algorithm>
#include <cmath>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"
#include "TPLNText.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using namespace Orv::Fmx::TextDraw;

namespace {

// The text without the spaces and breaks a line ends with.
QString TrimmedEnd(const QString& s) {
  qsizetype n = s.size();
  while (n > 0 && s.at(n - 1).isSpace()) --n;
  return s.left(n);
}

QString LineText(const QString& text, const TORVTxtInf& line) {
  QString s = text.mid(line.Start - 1, line.Count);
  s.remove(QLatin1Char('\r'));
  s.remove(QLatin1Char('\n'));
  return s;
}

}  // namespace

// The whole box in the text's own frame goes to the line breaker, which keeps the paddings
// clear on every side itself.
void TPLNParagraph::CalcValues(int mode) {
  TPLNBasePara::CalcValues(mode);
  Orv::Text::TORVTextMetrics m;
  TxtLines lines;
  BreakLines(GetText(), m, lines);
  fMetrics = m;
  fLines = std::move(lines);
}

void TPLNParagraph::BreakLines(const QString& text, Orv::Text::TORVTextMetrics& m, TxtLines& lines) const {
  try {
    TPLNCalc::FontSettings(GetFontName(), GetBaseFontHeight(), GetBold(), GetItalic(), m.Asc, m.Des, m.Und, m.Lh,
                           m.Ratio);
    m.Family = TPLNCalc::Font().Family;
    const bool upright = Upright(GetAngle());
    // Lines are laid out on paper: the box shrinks by the drawing scale, the font does not.
    const std::int64_t mult = Owner() ? Owner()->GetCoordMultiplier() : 1;
    const std::int64_t w = (upright ? BaseScaleWidth() : BaseScaleHeight()) / mult;
    const std::int64_t h = (upright ? BaseScaleHeight() : BaseScaleWidth()) / mult;
    // A box without area holds no lines (a zero height would ask for an unbounded layout).
    if (!text.isEmpty() && w > 0 && h > 0)
      TPLNCalc::CalcTxtPts(text, nullptr, lines, w, h, GetBasePadX(), GetBasePadY(), GetHorzAlign(), GetVertAlign(),
                           static_cast<float>(GetScaleX()));
  } catch (const EPLNError&) {
    m = {};
    lines.clear();
  }
}

void TPLNParagraph::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  IniPara();
  TPLNBasePara::ReadData(version, r, readType);
}

void TPLNParagraph::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  const QRectF box = BeginBoxText(d, *this, GetBaseRadio());
  TSkPaint& p = *d->kP;

  const bool data = GetIsData() && ShowsData(*d);
  const QString text = data ? PrintedText(*this, d) : GetText();
  if (text.isEmpty()) return;
  if (fMetrics.Ratio <= 0) CalcValues(0);
  if (fMetrics.Ratio <= 0) return;
  // A record's value is broken into lines for this cell alone; the item keeps its own layout.
  TxtLines valueLines;
  if (data && text != GetText()) {
    Orv::Text::TORVTextMetrics m;
    BreakLines(text, m, valueLines);
  }
  const TxtLines& shown = data && text != GetText() ? valueLines : fLines;
  if (shown.empty()) return;
  const TSkFont font = ScreenFont(*d, fMetrics.Family, GetFontHeight(), GetBold(), GetItalic(), fMetrics.Ratio);
  if (!(font.Size > 0)) return;
  const TSkFontMetrics fm = font.Metrics();
  const float asc = std::abs(fm.Ascent);

  const QPointF corner = FrameCorner(box, GetAngle());
  d->kC->Save();
  d->kC->Translate(float(corner.x()), float(corner.y()));
  if (GetAngle() != TORVAngle::A0) d->kC->Rotate(Utils::PrintAngle(GetAngle()));
  for (std::size_t k = 0; k < shown.size(); ++k) {
    const TORVTxtInf& line = shown[k];
    const QString s = LineText(text, line);
    const float x = d->DrawBasePtoX(line.X), y = d->DrawBasePtoY(line.Y) + asc;
    // A justified line comes one entry a word: its underline runs on to the next word's place.
    // Its last word's underline stops at the word, not under the space the line broke at.
    const bool runsOn = k + 1 < shown.size() && shown[k + 1].Y == line.Y;
    const bool split = runsOn || (k > 0 && shown[k - 1].Y == line.Y);
    const float end = runsOn  ? d->DrawBasePtoX(shown[k + 1].X)
                      : split ? x + font.MeasureText(TrimmedEnd(s))
                              : x + font.MeasureText(s);
    if (GetUnderline() && !s.isEmpty()) DrawUnderline(d, GetFontColor(), x, end, y + fm.UnderlinePosition);
    SetupTextPaint(d, GetFontColor());
    if (!s.isEmpty()) d->kC->DrawSimpleText(s, x, y, font, p);
  }
  d->kC->Restore();
}

void TPLNParagraph::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  if (fMetrics.Ratio <= 0) CalcValues(0);
  if (fMetrics.Ratio <= 0) return;
  IPrintCanvas& c = *d->pC;
  const QRectF box = QRectF(PrintPos(*d, GetPoint(1)), PrintPos(*d, GetPoint(2))).normalized();
  PrintTextFrame(d, *this, box, GetBaseRadio());
  const QString text = PrintedText(*this, d);
  if (text.isEmpty()) return;
  c.Font = PrintFont(fMetrics.Family, GetFontHeight(), GetBold(), GetItalic(), GetUnderline(), fMetrics.Ratio);
  if (!(c.Font.Size > 0)) return;

  const bool upright = Upright(GetAngle());
  const double padX = d->DrawBasePtoX(GetBasePadX()), padY = d->DrawBasePtoY(GetBasePadY());
  const double w = (upright ? box.width() : box.height()) - 2 * padX;
  const double h = (upright ? box.height() : box.width()) - 2 * padY;
  if (w <= 0 || h <= 0) return;
  // Lines follow one another at the font height times the line spacing, as on screen.
  const float lineHeight = static_cast<float>(FontPrintSize(GetFontHeight()) * GetScaleX());
  TxtFLines lines;
  PrintTxtPoints(text, d, lines, float(w), float(h), lineHeight, GetHorzAlign(), GetVertAlign(), false, false);
  if (lines.empty()) return;

  const QPointF corner = FrameCorner(box, GetAngle());
  TPrintTextFrame turned(d, 1, Utils::PrintAngle(GetAngle()), corner, GetFontColor());
  const TSkFontMetrics fm = c.Font.Metrics();
  const bool underline = c.Font.Underline;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const TORVFTxtInf& line = lines[k];
    const QString s = LineText(text, TORVTxtInf{line.Start, line.Count, 0, 0});
    if (s.isEmpty()) continue;
    // A justified line comes one entry a word; the font would underline each word alone, so its
    // underline is drawn once, from this word to the next one's place.
    const bool runsOn = k + 1 < lines.size() && lines[k + 1].Y == line.Y;
    const bool split = runsOn || (k > 0 && lines[k - 1].Y == line.Y);
    const QRectF at(padX + line.X, padY + line.Y, 50000, 20000);
    c.Font.Underline = underline && !split;
    c.FillText(at, s, false, 1, TTextAlign::Leading, TTextAlign::Leading);
    if (underline && split) {
      const double y = at.top() + std::abs(fm.Ascent) + fm.UnderlinePosition;
      const double end =
          runsOn ? padX + lines[k + 1].X
                 : at.left() + c.MeasureText(at, TrimmedEnd(s), false, TTextAlign::Leading, TTextAlign::Leading).width();
      c.Stroke.Thickness = std::max(fm.UnderlineThickness, 0.5f);
      c.DrawLine(QPointF(at.left(), y), QPointF(end, y), 1);
    }
  }
  c.Font.Underline = underline;
}

TPLNParagraph* TPLNParagraph::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r,
                                   TORVReadType readType) {
  return ReadItem<TPLNParagraph>(owner, version, r, readType);
}
TPLNParagraph* TPLNParagraph::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNParagraph>(owner, version, o);
}

}  // namespace Orv::Fmx
