#include "TPLNRichText.h"

#include <algorithm>
#include <cmath>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"
#include "TPLNText.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using namespace Orv::Fmx::TextDraw;
using RichText::TRichParse;
using RichText::TRichSegments;
using RichText::TRichTextDrawSegment;
using RichText::TRichTextFormat;

// ---------------------------------------------------------------- fonts

void TRichFonts::Setup(const std::vector<TRichTextFormat>& formats, const QString& fallback) {
  if (formats == fFormats && fallback == fFallback && fFonts.size() == formats.size()) return;
  fFormats = formats;
  fFallback = fallback;
  fFonts.assign(formats.size(), TFont{});
  fWidths.assign(formats.size(), {});
  fMissing.clear();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const TRichTextFormat& f = formats[i];
    TFont& out = fFonts[i];
    if (f.Size <= 0) continue;
    QString family = f.FontName;
    if (!FontAvailable(family)) {
      if (!family.trimmed().isEmpty() && !fMissing.contains(family)) fMissing << family;
      family = FontAvailable(fallback) ? fallback : QStringLiteral("sans-serif");
    }
    try {
      std::int64_t asc = 0, des = 0, und = 0, lh = 0;
      TPLNCalc::FontSettings(family, f.Size, f.Bold, f.Italic, asc, des, und, lh, out.Ratio);
      out.Measure = TPLNCalc::Font();
      out.Family = TPLNCalc::Font().Family;
    } catch (const EPLNError&) {
      out = TFont{};
    }
  }
}

const TRichFonts::TFont& TRichFonts::FontOf(int format) const {
  static const TFont none;
  return format >= 0 && std::size_t(format) < fFonts.size() ? fFonts[std::size_t(format)] : none;
}

std::int64_t TRichFonts::Width(const QString& text, int format) {
  if (format < 0 || std::size_t(format) >= fFonts.size() || text.isEmpty()) return 0;
  const TFont& f = fFonts[std::size_t(format)];
  if (f.Ratio <= 0) return 0;
  QHash<QString, std::int64_t>& cache = fWidths[std::size_t(format)];
  if (auto it = cache.constFind(text); it != cache.constEnd()) return *it;
  const std::int64_t w = TPLNCalc::TxtWidth(f.Measure, text);
  // Words repeat; edited prefixes do not. Keep the cache from growing without end.
  if (cache.size() > 20000) cache.clear();
  cache.insert(text, w);
  return w;
}

std::int64_t TRichFonts::Height(int format) {
  if (format < 0 || std::size_t(format) >= fFormats.size()) return 0;
  return fFormats[std::size_t(format)].Size;
}

// ---------------------------------------------------------------- layout

std::int64_t TPLNRichText::AreaWidth() const {
  const std::int64_t mult = Owner() ? Owner()->GetCoordMultiplier() : 1;
  const std::int64_t full = (Upright(GetAngle()) ? BaseScaleWidth() : BaseScaleHeight()) / mult;
  const std::int64_t w = full - 2 * GetBasePadX();
  return w < 1 ? full : w;
}

std::int64_t TPLNRichText::AreaHeight() const {
  const std::int64_t mult = Owner() ? Owner()->GetCoordMultiplier() : 1;
  const std::int64_t full = (Upright(GetAngle()) ? BaseScaleHeight() : BaseScaleWidth()) / mult;
  const std::int64_t h = full - 2 * GetBasePadY();
  return h < 1 ? full : h;
}

void TPLNRichText::Layout(const TRichParse& parse, TRichFonts& fonts, TRichSegments& out) const {
  fonts.Setup(parse.Formats, GetFontName());
  const std::int64_t gap = Utils::RoundHalfAway(double(GetBaseFontHeight()) * (GetScaleX() - 1));
  out = RichText::LayoutRuns(parse, AreaWidth(), AreaHeight(), gap, fonts);
}

void TPLNRichText::CalcValues(int mode) {
  TPLNBaseRichText::CalcValues(mode);
  Layout(Parsed(), fFonts, fSegments);
  const TRichFonts::TFont& base = fFonts.FontOf(0);
  fMetrics = {};
  fMetrics.Ratio = base.Ratio;
  fMetrics.Family = base.Family;
}

void TPLNRichText::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  IniRichPara();
  TPLNBaseRichText::ReadData(version, r, readType);
}

QStringList TPLNRichText::Warnings() const {
  QStringList out;
  for (const QString& w : Parsed().Warnings) out << w;
  for (const QString& f : fFonts.Missing())
    out << QStringLiteral("Font \"%1\" is not installed; \"%2\" is used instead").arg(f, fFonts.FontOf(0).Family);
  return out;
}

// ---------------------------------------------------------------- drawing

struct TPLNRichText::TShown {
  const TRichSegments* Segments = nullptr;
  const TRichFonts* Fonts = nullptr;
  const std::vector<TRichTextFormat>* Formats = nullptr;
  // A data field's value, laid out for this drawing alone.
  TRichParse Parse;
  TRichFonts ValueFonts;
  TRichSegments ValueSegments;
};

void TPLNRichText::Shown(const TPLNBaseDraw* draw, TShown& out) const {
  out.Segments = &fSegments;
  out.Fonts = &fFonts;
  out.Formats = &Parsed().Formats;
  if (!GetIsData() || !draw || !ShowsData(*draw)) return;
  const QString value = PrintedText(*this, draw);
  if (value == GetText()) return;
  // A record's value is markup too; the item keeps its own layout.
  out.Parse = RichText::Parse(value, BaseFormat(), BaseAlign());
  Layout(out.Parse, out.ValueFonts, out.ValueSegments);
  out.Segments = &out.ValueSegments;
  out.Fonts = &out.ValueFonts;
  out.Formats = &out.Parse.Formats;
}

namespace {

// Segments of one line that are drawn as one piece: the same format, both glyph by glyph or
// both through the text layout.
struct TGroup {
  std::size_t First = 0, Last = 0;  // [First, Last]
  QString Text;
  bool Shaped = false;
};

// The lines of `segs` as [first, last] ranges.
template <class Fn>
void ForEachLine(const TRichSegments& segs, Fn&& fn) {
  for (std::size_t i = 0; i < segs.size();) {
    std::size_t j = i;
    while (j + 1 < segs.size() && segs[j + 1].Line == segs[i].Line) ++j;
    fn(i, j);
    i = j + 1;
  }
}

std::vector<TGroup> Groups(const TRichSegments& segs, std::size_t first, std::size_t last,
                           const std::vector<TSkFont>& fonts) {
  std::vector<TGroup> out;
  for (std::size_t i = first; i <= last; ++i) {
    const TRichTextDrawSegment& s = segs[i];
    if (s.Text.isEmpty()) continue;
    const bool shaped = fonts[std::size_t(s.Format)].NeedsShaping(s.Text);
    if (!out.empty() && !shaped && !out.back().Shaped && segs[out.back().Last].Format == s.Format &&
        out.back().Last + 1 == i) {
      out.back().Last = i;
      out.back().Text += s.Text;
      continue;
    }
    out.push_back({i, i, s.Text, shaped});
  }
  return out;
}

// A strike-out line sits about a third of the ascent above the baseline.
constexpr float kStrikeRise = 0.3f;

// The shown formats' fonts on one device (screen or paper, made by `make`) and their metrics; a
// format without a font gets size 0 and is not drawn.
struct TDeviceFonts {
  std::vector<TSkFont> Fonts;
  std::vector<TSkFontMetrics> Metrics;

  template <class Make>
  TDeviceFonts(const std::vector<TRichTextFormat>& formats, const TRichFonts& measured, Make&& make)
      : Fonts(formats.size()), Metrics(formats.size()) {
    for (std::size_t i = 0; i < formats.size(); ++i) {
      const TRichFonts::TFont& f = measured.FontOf(int(i));
      if (f.Ratio > 0) {
        Fonts[i] = make(formats[i], f);
        Metrics[i] = Fonts[i].Metrics();
      } else {
        Fonts[i].Size = 0;
      }
    }
  }
  // The greatest ascent and descent among a line's segments: its common baseline.
  void Line(const TRichSegments& segs, std::size_t first, std::size_t last, float& asc, float& des) const {
    asc = des = 0;
    for (std::size_t i = first; i <= last; ++i) {
      const TSkFontMetrics& m = Metrics[std::size_t(segs[i].Format)];
      asc = std::max(asc, std::abs(m.Ascent));
      des = std::max(des, std::abs(m.Descent));
    }
  }
};

}  // namespace

void TPLNRichText::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  if (fFonts.Count() != Parsed().Formats.size()) CalcValues(0);
  const QRectF box = BeginBoxText(d, *this, GetBaseRadio());
  TShown shown;
  Shown(d, shown);
  const TRichSegments& segs = *shown.Segments;
  if (GetText().isEmpty() || segs.empty()) return;
  const std::vector<TRichTextFormat>& formats = *shown.Formats;
  const TDeviceFonts dev(formats, *shown.Fonts, [d](const TRichTextFormat& f, const TRichFonts::TFont& m) {
    return ScreenFont(*d, m.Family, float(f.Size / 1000.0), f.Bold, f.Italic, m.Ratio);
  });
  const std::vector<TSkFont>& fonts = dev.Fonts;
  TSkPaint& p = *d->kP;

  const float padX = d->DrawBasePtoX(GetBasePadX()), padY = d->DrawBasePtoY(GetBasePadY());
  const bool upright = Upright(GetAngle());
  const float w = std::max(0.0f, float(upright ? box.width() : box.height()) - 2 * padX);
  const float h = std::max(0.0f, float(upright ? box.height() : box.width()) - 2 * padY);
  const QPointF corner = FrameCorner(box, GetAngle());
  ISkCanvas& c = *d->kC;
  c.Save();
  c.Translate(float(corner.x()), float(corner.y()));
  if (GetAngle() != TORVAngle::A0) c.Rotate(Utils::PrintAngle(GetAngle()));
  c.Translate(padX, padY);
  c.ClipRect(QRectF(0, 0, w, h));
  ForEachLine(segs, [&](std::size_t first, std::size_t last) {
    float asc = 0, des = 0;
    dev.Line(segs, first, last, asc, des);
    const float top = d->DrawBasePtoY(double(segs[first].Y)), baseline = top + asc;
    for (std::size_t i = first; i <= last; ++i) {
      const TAlphaColor back = formats[std::size_t(segs[i].Format)].BackColor;
      if (back == 0 || segs[i].Width <= 0) continue;
      SetupFill(d, back, true);
      c.DrawRect(QRectF(d->DrawBasePtoX(double(segs[i].X)), top, d->DrawBasePtoX(segs[i].Width), asc + des), p);
    }
    for (const TGroup& g : Groups(segs, first, last, fonts)) {
      const TRichTextDrawSegment& s = segs[g.First];
      const TRichTextFormat& f = formats[std::size_t(s.Format)];
      const TSkFont& font = fonts[std::size_t(s.Format)];
      if (!(font.Size > 0)) continue;
      const float x1 = d->DrawBasePtoX(double(s.X));
      const float x2 = d->DrawBasePtoX(double(segs[g.Last].X + segs[g.Last].Width));
      const TSkFontMetrics& m = dev.Metrics[std::size_t(s.Format)];
      if (f.Underline) DrawUnderline(d, f.Color, x1, x2, baseline + m.UnderlinePosition);
      if (f.Strike) DrawUnderline(d, f.Color, x1, x2, baseline - kStrikeRise * std::abs(m.Ascent));
      SetupTextPaint(d, f.Color);
      if (g.Shaped)
        c.DrawShapedText(g.Text, x1, baseline, font, p);
      else
        c.DrawSimpleText(g.Text, x1, baseline, font, p);
    }
  });
  c.Restore();
}

void TPLNRichText::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  if (fFonts.Count() != Parsed().Formats.size()) CalcValues(0);
  IPrintCanvas& c = *d->pC;
  const QRectF box = QRectF(PrintPos(*d, GetPoint(1)), PrintPos(*d, GetPoint(2))).normalized();
  PrintTextFrame(d, *this, box, GetBaseRadio());
  TShown shown;
  Shown(d, shown);
  const TRichSegments& segs = *shown.Segments;
  if (GetText().isEmpty() || segs.empty()) return;
  const std::vector<TRichTextFormat>& formats = *shown.Formats;
  const TDeviceFonts dev(formats, *shown.Fonts, [](const TRichTextFormat& f, const TRichFonts::TFont& m) {
    return PrintFont(m.Family, float(f.Size / 1000.0), f.Bold, f.Italic, f.Underline, m.Ratio);
  });
  const std::vector<TSkFont>& fonts = dev.Fonts;
  const float padX = d->DrawBasePtoX(GetBasePadX()), padY = d->DrawBasePtoY(GetBasePadY());
  const QPointF corner = FrameCorner(box, GetAngle());
  TPrintTextFrame turned(d, 1, Utils::PrintAngle(GetAngle()), corner, kBlack);
  ForEachLine(segs, [&](std::size_t first, std::size_t last) {
    float asc = 0, des = 0;
    dev.Line(segs, first, last, asc, des);
    const float top = padY + d->DrawBasePtoY(double(segs[first].Y)), baseline = top + asc;
    for (std::size_t i = first; i <= last; ++i) {
      const TAlphaColor back = formats[std::size_t(segs[i].Format)].BackColor;
      if (back == 0 || segs[i].Width <= 0) continue;
      c.Fill.Kind = TBrushKind::Solid;
      c.Fill.Color = back;
      c.FillRect(QRectF(padX + d->DrawBasePtoX(double(segs[i].X)), top, d->DrawBasePtoX(segs[i].Width), asc + des), 0,
                 0, 0, 1, TCornerType::Round);
    }
    for (const TGroup& g : Groups(segs, first, last, fonts)) {
      const TRichTextDrawSegment& s = segs[g.First];
      const TRichTextFormat& f = formats[std::size_t(s.Format)];
      if (!(fonts[std::size_t(s.Format)].Size > 0)) continue;
      c.Font = fonts[std::size_t(s.Format)];
      const TSkFontMetrics& m = dev.Metrics[std::size_t(s.Format)];
      const float x1 = padX + d->DrawBasePtoX(double(s.X));
      c.Fill.Kind = TBrushKind::Solid;
      c.Fill.Color = f.Color;
      c.FillText(QRectF(x1, baseline - std::abs(m.Ascent), 50000, 20000), g.Text, false, 1, TTextAlign::Leading,
                 TTextAlign::Leading);
      if (f.Strike) {
        const float x2 = padX + d->DrawBasePtoX(double(segs[g.Last].X + segs[g.Last].Width));
        const float y = baseline - kStrikeRise * std::abs(m.Ascent);
        c.Stroke.Kind = TBrushKind::Solid;
        c.Stroke.Color = f.Color;
        c.Stroke.Dash = TStrokeDash::Solid;
        c.Stroke.Thickness = std::max(m.UnderlineThickness, 0.5f);
        c.DrawLine(QPointF(x1, y), QPointF(x2, y), 1);
      }
    }
  });
}

TPLNRichText* TPLNRichText::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNRichText>(owner, version, r, readType);
}
TPLNRichText* TPLNRichText::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNRichText>(owner, version, o);
}

}  // namespace Orv::Fmx
