// Linear barcodes on screen and on paper: the bars of the pattern and the human-readable line,
// laid out by LinearLayout and placed on the anchor the way the model sizes the item's box.

#include <QTransform>

#include <cmath>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"
#include "ORV.Text.h"
#include "TPLNText.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using Barcode::IORVBarcode;
using Barcode::TORVLinearCode;
using Barcode::TORVLinearLayout;
using Utils::TBarcode;

namespace {

// The symbol on the device. Lengths are pixels in the symbol's own frame, whose origin is the
// top-left corner of the content (inside the paddings); Place maps that frame onto the device.
struct TFrame {
  TORVLinearLayout L;  // millimetres
  double Kx = 0, Ky = 0;  // pixels per millimetre along and across the code
  double BarsX = 0;       // left edge of the first bar
  double BarsWidth = 0;
  double BarHeight = 0;
  double TextTop = 0;
  double Module = 0;
  QTransform Place;  // own frame to device
};

TFrame MakeFrame(const TPLNDraw& d, const IORVBarcode& code, const TORVLinearCode& encoded, QPointF anchor) {
  TFrame f;
  f.L = Barcode::LinearLayout(code, encoded);
  f.Kx = d.DrawBasePtoX(1000.0);
  f.Ky = d.DrawBasePtoY(1000.0);
  const double padX = code.BarPaddingX(), padY = code.BarPaddingY();
  f.Module = code.BarModule() * f.Kx;
  f.BarsX = (f.L.BarsX - padX) * f.Kx;
  f.BarsWidth = f.L.BarsWidth * f.Kx;
  f.BarHeight = code.BarHeight() * f.Ky;
  f.TextTop = (f.L.TextTop - padY) * f.Ky;
  // The same box PlaceBox gives the item: content plus paddings on the anchor, turned.
  const double w = (f.L.Width - 2 * padX) * f.Kx, h = (f.L.Height - 2 * padY) * f.Ky;
  double ox = 0, oy = 0;
  Utils::DrawTxtPos(ox, oy, anchor.x(), anchor.y(), padX * f.Kx, padY * f.Ky, w, h, code.BarHorzAlign(),
                    code.BarVertAlign(), code.BarAngle());
  f.Place.translate(ox, oy);
  f.Place.rotate(Utils::PrintAngle(code.BarAngle()));
  return f;
}

// Calls `rect` once per run of dark elements of one kind, in the frame's own coordinates.
template <class F>
void ForEachBar(const QByteArray& pattern, const TFrame& f, double factor, double fontHeight, F&& rect) {
  const double m = f.Module, h = f.BarHeight;
  const double guard = h + 0.75 * fontHeight;
  double x = f.BarsX, width = 0;
  double runX = 0;
  int runKind = -1;  // no run open
  auto close = [&](double end) {
    if (runKind < 0) return;
    const double top = runKind == 1 ? 3 * h / 5 : 0;
    const double bottom = runKind == 2 ? guard : h;
    rect(QRectF(QPointF(runX, top), QPointF(end, bottom)));
    runKind = -1;
  };
  for (const char ch : pattern) {
    int wk = 0, bk = 0;
    TBarcode::FillBarData(ch, wk, bk);
    switch (wk) {
      case 0: width = m; break;
      case 1: width = m * factor; break;
      case 2: width = 2 * m; break;
      case 3: width = 3 * m; break;
      case 4: width = 4 * m; break;
      case 5: width = 1.5 * m; break;
      default: break;  // keeps the previous element's width
    }
    if (bk <= 2) {
      if (bk != runKind) {
        close(x);
        runX = x;
        runKind = bk;
      }
    } else {
      close(x);
    }
    x += width;
  }
  close(x);
}

// One piece of the human-readable line: its text and where it starts along the code.
struct TPiece {
  QString Text;
  double X = 0;
};

// Splits the printed code as EAN/UPC print it: digits beside the bars and groups centred on
// their halves; any other code centred under the bars. `width` measures a text in pixels.
template <class W>
int LayOutText(const IORVBarcode& code, const TORVLinearCode& encoded, const TFrame& f, W&& width,
               TPiece (&out)[4]) {
  const QByteArray& s = encoded.Prepared;
  const double m = f.Module, bx = f.BarsX;
  int n = 0;
  auto left = [&](const QByteArray& t) {  // its right edge one module left of the bars
    const QString q = QString::fromLatin1(t);
    out[n++] = {q, bx - m - width(q)};
  };
  auto centred = [&](const QByteArray& t, double c) {
    const QString q = QString::fromLatin1(t);
    out[n++] = {q, bx + c - width(q) / 2};
  };
  auto from = [&](const QByteArray& t, double x) { out[n++] = {QString::fromLatin1(t), bx + x}; };
  double p1 = 0, p2 = 0, p3 = 0;
  const double factor = code.BarFactor();
  const TORVBarType type = code.BarKind();
  const bool grouped = s.size() > 5;
  if (grouped && type == TORVBarType::Ean13 && s.size() == 13) {
    TBarcode::Ean13Pos(encoded.Pattern, m, factor, p1, p2);
    left(s.left(1));
    centred(s.mid(1, 6), p1);
    centred(s.mid(7, 6), p2);
  } else if (grouped && type == TORVBarType::Ean8 && s.size() == 8) {
    TBarcode::Ean8Pos(encoded.Pattern, m, factor, p1, p2);
    centred(s.left(4), p1);
    centred(s.mid(4, 4), p2);
  } else if (grouped && type == TORVBarType::UpcA && s.size() == 12) {
    TBarcode::UPCAPos(encoded.Pattern, m, factor, p1, p2, p3);
    left(s.left(1));
    centred(s.mid(1, 5), p1);
    centred(s.mid(6, 5), p2);
    from(s.mid(11, 1), p3);
  } else if (grouped && type == TORVBarType::UpcE0 && s.size() == 8) {
    TBarcode::UPCEPos(encoded.Pattern, m, factor, p1, p2);
    left(s.left(1));
    centred(s.mid(1, 6), p1);
    from(s.mid(7, 1), p2);
  } else {
    centred(s, f.BarsWidth / 2);
  }
  return n;
}

// The font of the human-readable line and its calibration (ascent + descent = the font height);
// false when no installed font serves the name, and the line is left out.
bool HumanFont(const IORVBarcode& code, QString& family, double& ratio) {
  try {
    std::int64_t asc = 0, des = 0, und = 0, lh = 0;
    TPLNCalc::FontSettings(code.BarFontName(), Utils::RoundHalfAway(code.BarFontHeight() * 1000.0), false, false,
                           asc, des, und, lh, ratio);
    family = TPLNCalc::Font().Family;
    return ratio > 0;
  } catch (const EPLNError&) {
    return false;
  }
}

bool Drawable(const IORVBarcode& code, const TORVLinearCode& encoded) {
  return encoded.Valid && !encoded.Pattern.isEmpty() && code.BarModule() > 0;
}

}  // namespace

void DrawBarcode(TPLNDraw* draw, const IORVBarcode& code, const TORVLinearCode& encoded, QPointF anchor,
                 TAlphaColor color) {
  if (!draw || !draw->kC || !draw->kP || !Drawable(code, encoded)) return;
  ISkCanvas& c = *draw->kC;
  TSkPaint& p = *draw->kP;
  const TFrame f = MakeFrame(*draw, code, encoded, anchor);
  const bool text = code.BarShowNumber();
  const double fontHeight = text ? code.BarFontHeight() * f.Ky : 0.0;

  c.Save();
  c.Concat(f.Place);
  // Bars stay crisp: anti-aliased edges would blur the module widths a reader measures.
  p.PathEffect.reset();
  p.AntiAlias = false;
  p.Style = TSkPaintStyle::Fill;
  p.Color = color;
  // All bars in one call: one fill for the symbol, which keeps exported pages small and fast.
  std::vector<QRectF> bars;
  bars.reserve(std::size_t(encoded.Pattern.size() / 2 + 1));
  ForEachBar(encoded.Pattern, f, code.BarFactor(), fontHeight, [&](const QRectF& r) { bars.push_back(r); });
  c.DrawRects(bars, p);

  QString family;
  double ratio = 0;
  if (text && HumanFont(code, family, ratio)) {
    const TSkFont font = TextDraw::ScreenFont(*draw, family, code.BarFontHeight(), false, false, ratio);
    if (font.Size > 0) {
      TextDraw::SetupTextPaint(draw, color);
      const float baseline = float(f.TextTop + std::abs(font.Metrics().Ascent));
      TPiece pieces[4];
      const int n = LayOutText(code, encoded, f, [&](const QString& s) { return double(font.MeasureText(s)); }, pieces);
      for (int i = 0; i < n; ++i) c.DrawSimpleText(pieces[i].Text, float(pieces[i].X), baseline, font, p);
    }
  }
  c.Restore();
}

void PrintBarcode(TPLNDraw* draw, const IORVBarcode& code, const TORVLinearCode& encoded, QPointF anchor,
                  TAlphaColor color) {
  if (!draw || !draw->pC || !Drawable(code, encoded)) return;
  IPrintCanvas& c = *draw->pC;
  const TFrame f = MakeFrame(*draw, code, encoded, anchor);
  const bool text = code.BarShowNumber();
  const double fontHeight = text ? code.BarFontHeight() * f.Ky : 0.0;
  c.Fill.Kind = TBrushKind::Solid;
  c.Fill.Color = color;
  // Quarter turns keep the bars upright rectangles: each is turned here, the matrix stays; all
  // are filled in one call.
  std::vector<QRectF> bars;
  bars.reserve(std::size_t(encoded.Pattern.size() / 2 + 1));
  ForEachBar(encoded.Pattern, f, code.BarFactor(), fontHeight,
             [&](const QRectF& r) { bars.push_back(f.Place.mapRect(r)); });
  c.FillRects(bars, 1);

  QString family;
  double ratio = 0;
  if (!text || !HumanFont(code, family, ratio)) return;
  c.Font = TextDraw::PrintFont(family, code.BarFontHeight(), false, false, false, ratio);
  if (!(c.Font.Size > 0)) return;
  TPiece pieces[4];
  const int n = LayOutText(code, encoded, f, [&](const QString& s) { return GetTextSize(c, s).x(); }, pieces);
  const float angle = Utils::PrintAngle(code.BarAngle());
  for (int i = 0; i < n; ++i) {
    const QPointF offset = GetInternalTextOffset(c, pieces[i].Text);
    TextDraw::TPrintTextFrame turned(draw, 1, angle, f.Place.map(QPointF(pieces[i].X, f.TextTop)), color);
    c.FillText(QRectF(offset.x(), offset.y(), 50000, 20000), pieces[i].Text, false, 1, TTextAlign::Leading,
               TTextAlign::Leading);
  }
}

}  // namespace Orv::Fmx
