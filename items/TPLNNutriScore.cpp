#include "TPLNNutriScore.h"

#include <algorithm>
#include <cmath>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"
#include "ORV.Text.h"
#include "TPLNText.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using namespace Orv::Fmx::TextDraw;
using F2d::TORVNutriType;

namespace {

const QString kFamily = QStringLiteral("Arial");

TSkFont Arial(double size) {
  TSkFont f;
  f.Family = kFamily;
  f.Size = float(size);
  return f;
}

// Font size per pixel of ascent + descent: the sizes below are heights, as a text's are.
double SizePerHeight() {
  const TSkFontMetrics m = Arial(100).Metrics();
  const double h = std::abs(m.Ascent) + std::abs(m.Descent);
  return h > 0 ? 100.0 / h : 0.0;
}

// `height`, lowered until the widest of `texts` fits `length`; 0 when nothing fits.
double FitHeight(const QStringList& texts, double height, double length) {
  const double k = SizePerHeight();
  if (height <= 0 || length <= 0 || k <= 0) return 0;
  float widest = 0;
  const TSkFont f = Arial(100);
  for (const QString& t : texts) widest = std::max(widest, f.MeasureText(t));
  // Widths grow with the size: one measure at 100 serves every height.
  const double width = widest / 100.0 * height * k;
  return width > length ? height * length / width : height;
}

// Where a title may break in two: after the hyphen or at the space nearest its middle; -1 when it
// has neither.
int TitleBreak(const QString& title) {
  int best = -1;
  for (int i = 1; i + 1 < title.size(); ++i) {
    const int at = title.at(i) == QLatin1Char('-') ? i + 1 : title.at(i) == QLatin1Char(' ') ? i : -1;
    if (at > 0 && (best < 0 || std::abs(2 * at - int(title.size())) < std::abs(2 * best - int(title.size())))) best = at;
  }
  return best;
}

QString Letter(int grade) { return QString(QChar(char16_t(u'A' + grade))); }

const QStringList& Letters() {
  static const QStringList letters = {Letter(0), Letter(1), Letter(2), Letter(3), Letter(4)};
  return letters;
}

// The cell's fill and the letter's colour: the grade's own, or black and white.
TAlphaColor CellColor(const TPLNNutriScore& n, const TPLNNutriScore::TCell& c) {
  if (!n.BlackWhite()) return n.GradeColor(c.Grade);
  return c.Selected ? kWhite : kBlack;
}
TAlphaColor LetterColor(const TPLNNutriScore& n, const TPLNNutriScore::TCell& c) {
  if (n.BlackWhite()) return c.Selected ? kBlack : kWhite;
  return c.Selected ? n.ValueColor() : n.CharColor();
}

// Cell corners never round past half the cell.
QPointF CellRadii(const TPLNBaseDraw& d, const TPLNNutriScore& n, const QRectF& cell) {
  return {std::min<double>(d.GetDrawX(n.GetBaseInnerRadio()), cell.width() / 2),
          std::min<double>(d.GetDrawY(n.GetBaseInnerRadio()), cell.height() / 2)};
}

// The outline of the selected cell. In colour a ring of the label's background (white without a
// fill) a third of the value gap wide, which sets the grown cell off its neighbours as printed
// labels do; in black and white a black line of the pen's width, so the white cell stands out of
// the black row. At least a pixel either way.
struct TOutline {
  TAlphaColor Color;
  float Width;
};
TOutline SelectedOutline(const TPLNBaseDraw& d, const TPLNNutriScore& n, const TPLNNutriScore::TLayout& l, bool paper) {
  if (n.BlackWhite())
    return {kBlack, std::max(1.0f, paper ? d.DrawBasePtoX(n.GetPenWidth()) : d.DrawBasePtoY(n.GetPenWidth()))};
  return {ShowsFill(n) ? n.GetBackColor() : kWhite, std::max(1.0f, float(l.Grow / 3))};
}

// Where line `line` of the title, w x h, starts (its own top-left corner, before the turn) to sit
// in the title band as the title's alignment says, the lines together centred across the band.
QPointF TitleOrigin(const TPLNNutriScore& n, const TPLNNutriScore::TLayout& l, double w, double h, int line) {
  const QSizeF band = F2d::NutriFrameSize(l.TitleBand, n.GetAngle());
  // Beside the cells (style 2) the title keeps the value gap from the grown cell.
  const double room = band.width() - (n.NutriType() == std::uint8_t(TORVNutriType::Style2) ? l.Grow : 0);
  double u = 0;
  if (n.TitleAlign() == TORVHorzAlign::Center) u = (room - w) / 2;
  else if (n.TitleAlign() == TORVHorzAlign::Right) u = room - w;
  const double top = (band.height() - h * l.TitleLines.size()) / 2 + h * line;
  return F2d::NutriPointToPage(l.TitleBand, n.GetAngle(), QPointF(std::max(0.0, u), top));
}

}  // namespace

int TPLNNutriScore::ShownGrade(const TPLNBaseDraw& draw) const {
  if (!GetIsData() || !ShowsData(draw)) return Value() - u'A';
  // What a record holds is the record's business: anything but a grade highlights none, rather
  // than claiming an A for a product whose grade is missing.
  return F2d::NutriGradeOf(PrintedText(*this, &draw));
}

TPLNNutriScore::TLayout TPLNNutriScore::Layout(const TPLNBaseDraw& d, const QRectF& box, int grade) const {
  TLayout l;
  l.Box = box;
  const TORVAngle angle = GetAngle();
  const std::uint8_t type = NutriType();
  const double mx = d.GetDrawX(GetBaseMargin()), my = d.GetDrawY(GetBaseMargin());
  l.Inner = box.adjusted(mx, my, -mx, -my);
  if (!(l.Inner.width() > 0 && l.Inner.height() > 0)) return l;
  const double vx = d.GetDrawX(GetBaseGapValue()), vy = d.GetDrawY(GetBaseGapValue());
  const bool upright = angle == TORVAngle::A0 || angle == TORVAngle::A180;
  // The value gap across the row and along it.
  const double vAcross = upright ? vy : vx;
  l.Grow = upright ? vx : vy;
  l.Gap = upright ? d.GetDrawX(GetBaseGap()) : d.GetDrawY(GetBaseGap());

  QRectF rect = l.Inner;
  if (ShowTitle() && !Title().isEmpty()) {
    l.TitleBand = F2d::NutriTitleRect(rect, angle, type);
    F2d::AdjustNutriTitle(rect, angle, type);
    const QSizeF band = F2d::NutriFrameSize(l.TitleBand, angle);
    // Across the top a third of the label's thickness; beside the cells (style 2) the title has
    // its own band and takes up to half, less the room the grown cell takes.
    const bool beside = type == std::uint8_t(TORVNutriType::Style2);
    const double thick = F2d::NutriFrameSize(l.Inner, angle).height() / (beside ? 2 : 3) - vAcross;
    const double room = band.width() - (beside ? l.Grow : 0);
    l.TitleLines = QStringList{Title()};
    l.TitleHeight = FitHeight(l.TitleLines, thick, room);
    // A short band beside the cells shrinks a long title a lot: broken after a hyphen or at a
    // space near its middle, two lines in the same depth may read larger.
    const int cut = beside ? TitleBreak(Title()) : -1;
    if (cut > 0) {
      const QStringList two{Title().left(cut).trimmed(), Title().mid(cut).trimmed()};
      const double h = FitHeight(two, thick, room);
      if (h > l.TitleHeight * 1.15) {
        l.TitleLines = two;
        l.TitleHeight = h;
      }
    }
  }

  // The selected cell grows into this border; the others stay inside it.
  rect.adjust(vx, vy, -vx, -vy);
  if (!(rect.width() > 0 && rect.height() > 0)) return l;
  double s = F2d::SizeScore(rect, l.Gap, angle, type) / F2d::kNutriGrades;
  if (!(s > 0)) return l;
  QRectF cell;
  F2d::ScoreRect(rect, cell, s, angle, type);
  const double thick = F2d::NutriFrameSize(rect, angle).height();
  // Letters with some of their cell's colour around them, the selected one as much larger as its
  // cell.
  l.LetterHeight = FitHeight(Letters(), thick - 2 * vAcross, s * 0.7);
  l.ValueHeight = FitHeight(Letters(), thick, (s + 2 * l.Grow) * 0.75);

  // A to D unless selected, walking forward; then E; then back to the selected grade, which goes
  // last and grown so it lies over its neighbours.
  const double step = s + l.Gap;
  const auto grown = [&](const QRectF& r) { return r.adjusted(-vx, -vy, vx, vy); };
  for (int g = 0; g < F2d::kNutriGrades - 1; ++g) {
    if (g != grade) l.Cells.push_back({cell, g, false});
    F2d::OffsetScoreRect(cell, step, angle, type, false);
  }
  if (grade == F2d::kNutriGrades - 1) {
    l.Cells.push_back({grown(cell), grade, true});
  } else {
    l.Cells.push_back({cell, F2d::kNutriGrades - 1, false});
    if (grade >= 0) {
      for (int g = F2d::kNutriGrades - 2; g >= grade; --g) F2d::OffsetScoreRect(cell, step, angle, type, true);
      l.Cells.push_back({grown(cell), grade, true});
    }
  }
  return l;
}

void TPLNNutriScore::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  ISkCanvas& k = *d->kC;
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.AntiAlias = true;
  const QRectF box = QRectF(ScreenPos(*d, GetPoint(1)), ScreenPos(*d, GetPoint(2))).normalized();
  const float rx = d->GetDrawX(GetBaseRadio()), ry = d->GetDrawY(GetBaseRadio());

  // The frame as a rectangle draws itself; in black and white a black outline on white.
  DrawAreaSteps(d, *this, [&](TAreaStep step) {
    if (BlackWhite()) p.Color = step == TAreaStep::Fill ? kWhite : kBlack;
    const TFrameStroke f = step == TAreaStep::Fill ? TFrameStroke{box, rx, ry} : FrameStroke(box, rx, ry, p.StrokeWidth);
    if (GetBaseRadio() == 0)
      k.DrawRect(f.Rect, p);
    else
      k.DrawRoundRect(f.Rect, f.Rx, f.Ry, p);
  });

  const TLayout l = Layout(*d, box, ShownGrade(*d));
  const double perHeight = SizePerHeight();
  const float turn = Utils::PrintAngle(GetAngle());
  // A text turned with the label, its own top-left corner at `origin`.
  const auto text = [&](const QString& s, const TSkFont& font, QPointF origin, TAlphaColor color) {
    k.Save();
    k.Translate(float(origin.x()), float(origin.y()));
    if (GetAngle() != TORVAngle::A0) k.Rotate(turn);
    SetupTextPaint(d, color);
    k.DrawSimpleText(s, 0, std::abs(font.Metrics().Ascent), font, p);
    k.Restore();
  };

  if (l.TitleHeight > 0) {
    const TSkFont font = Arial(l.TitleHeight * perHeight);
    const TSkFontMetrics m = font.Metrics();
    for (int i = 0; i < l.TitleLines.size(); ++i) {
      const QString& line = l.TitleLines[i];
      text(line, font, TitleOrigin(*this, l, font.MeasureText(line), std::abs(m.Ascent) + std::abs(m.Descent), i),
           BlackWhite() ? kBlack : TitleColor());
    }
  }

  for (const TCell& c : l.Cells) {
    const QPointF r = CellRadii(*d, *this, c.Rect);
    const auto shape = [&](const QRectF& rect, QPointF radii) {
      if (GetBaseInnerRadio() == 0)
        k.DrawRect(rect, p);
      else
        k.DrawRoundRect(rect, float(radii.x()), float(radii.y()), p);
    };
    SetupFill(d, CellColor(*this, c), true);
    p.AntiAlias = true;
    shape(c.Rect, r);
    if (c.Selected) {
      const TOutline o = SelectedOutline(*d, *this, l, false);
      p.Style = TSkPaintStyle::Stroke;
      p.Color = o.Color;
      p.StrokeWidth = o.Width;
      p.StrokeJoin = TSkStrokeJoin::Miter;
      const TFrameStroke f = FrameStroke(c.Rect, float(r.x()), float(r.y()), p.StrokeWidth);
      shape(f.Rect, QPointF(f.Rx, f.Ry));
    }
    const double h = c.Selected ? l.ValueHeight : l.LetterHeight;
    if (h <= 0) continue;
    const TSkFont font = Arial(h * perHeight);
    const TSkFontMetrics m = font.Metrics();
    const QString s = Letter(c.Grade);
    double ox = 0, oy = 0;
    Utils::DrawTxtPos(ox, oy, c.Rect.center().x(), c.Rect.center().y(), 0, 0, font.MeasureText(s),
                      std::abs(m.Ascent) + std::abs(m.Descent), TORVHorzAlign::Center, TORVVertAlign::Center, GetAngle());
    text(s, font, QPointF(ox, oy), LetterColor(*this, c));
  }

  if (GetIsData() && d->DrawState == TORVDrawState::Editor) DrawData(d, float(box.left()), float(box.top()));
}

void TPLNNutriScore::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  IPrintCanvas& c = *d->pC;
  const QRectF box = QRectF(PrintPos(*d, GetPoint(1)), PrintPos(*d, GetPoint(2))).normalized();

  const bool round = GetBaseRadio() > 0;
  const float rx = round ? d->GetDrawX(GetBaseRadio()) : 0, ry = round ? d->GetDrawY(GetBaseRadio()) : 0;
  const unsigned corners = round ? AllCorners : 0u;
  if (SetupPrintFill(d, *this)) {
    if (BlackWhite()) c.Fill.Color = kWhite;
    c.FillRect(box, rx, ry, corners, 1, TCornerType::Round);
  }
  if (GetPenWidth() > 0) {
    SetupPrintPen(d, *this);
    if (BlackWhite()) c.Stroke.Color = kBlack;
    const TFrameStroke f = FrameStroke(box, rx, ry, c.Stroke.Thickness);
    c.DrawRect(f.Rect, f.Rx, f.Ry, corners, 1, TCornerType::Round);
  }
  // Cells and letters are never dashed.
  c.Stroke.Dash = TStrokeDash::Solid;

  const TLayout l = Layout(*d, box, ShownGrade(*d));
  const double perHeight = SizePerHeight();
  const float turn = Utils::PrintAngle(GetAngle());
  // Print fonts are sized at the font resolution; the heights here are pixels of this context.
  const auto printFont = [&](double height) {
    TSkFont f = Arial(FontPrintSize(float(height * 25.4 / d->DPIy)) * perHeight);
    return f;
  };
  const auto text = [&](const QString& s, QPointF origin, TAlphaColor color) {
    const QPointF offset = GetInternalTextOffset(c, s);
    TPrintTextFrame turned(d, 1, turn, origin, color);
    c.FillText(QRectF(offset.x(), offset.y(), 50000, 20000), s, false, 1, TTextAlign::Leading, TTextAlign::Leading);
  };

  if (l.TitleHeight > 0) {
    c.Font = printFont(l.TitleHeight);
    for (int i = 0; i < l.TitleLines.size(); ++i) {
      const QString& line = l.TitleLines[i];
      const QPointF size = GetTextSize(c, line);
      text(line, TitleOrigin(*this, l, size.x(), size.y(), i), BlackWhite() ? kBlack : TitleColor());
    }
  }

  for (const TCell& cell : l.Cells) {
    const QPointF r = CellRadii(*d, *this, cell.Rect);
    const auto path = [&](const QRectF& rect, QPointF radii) {
      TPathData p;
      if (GetBaseInnerRadio() == 0)
        p.AddRectangle(rect);
      else
        p.Path.addRoundedRect(rect, radii.x(), radii.y());
      return p;
    };
    c.Fill.Kind = TBrushKind::Solid;
    c.Fill.Color = CellColor(*this, cell);
    c.FillPath(path(cell.Rect, r), 1);
    if (cell.Selected) {
      const TOutline o = SelectedOutline(*d, *this, l, true);
      c.Stroke.Kind = TBrushKind::Solid;
      c.Stroke.Color = o.Color;
      c.Stroke.Thickness = o.Width;
      c.Stroke.Join = TStrokeJoin::Miter;
      const TFrameStroke f = FrameStroke(cell.Rect, float(r.x()), float(r.y()), c.Stroke.Thickness);
      c.DrawPath(path(f.Rect, QPointF(f.Rx, f.Ry)), 1);
    }
    const double h = cell.Selected ? l.ValueHeight : l.LetterHeight;
    if (h <= 0) continue;
    c.Font = printFont(h);
    const QString s = Letter(cell.Grade);
    const QPointF size = GetTextSize(c, s);
    double ox = 0, oy = 0;
    Utils::DrawTxtPos(ox, oy, cell.Rect.center().x(), cell.Rect.center().y(), 0, 0, size.x(), size.y(),
                      TORVHorzAlign::Center, TORVVertAlign::Center, GetAngle());
    text(s, QPointF(ox, oy), LetterColor(*this, cell));
  }
}

TPLNNutriScore* TPLNNutriScore::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r,
                                     TORVReadType readType) {
  return ReadItem<TPLNNutriScore>(owner, version, r, readType);
}
TPLNNutriScore* TPLNNutriScore::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNNutriScore>(owner, version, o);
}

}  // namespace Orv::Fmx
