#include "TPLNText.h"

#include <cmath>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using namespace Orv::Fmx::TextDraw;

namespace TextDraw {

TSkFont ScreenFont(const TPLNDraw& d, const QString& name, float heightMM, bool bold, bool italic, double ratio) {
  TSkFont f;
  f.Family = name;
  f.Bold = bold;
  f.Italic = italic;
  f.Size = static_cast<float>(heightMM * d.PixPerMM * ratio);
  f.SkewX = 0;
  return f;
}

TSkFont PrintFont(const QString& name, float heightMM, bool bold, bool italic, bool underline, double ratio) {
  TSkFont f;
  f.Family = name;
  f.Bold = bold;
  f.Italic = italic;
  f.Underline = underline;
  f.Size = static_cast<float>(FontPrintSize(heightMM) * ratio);
  return f;
}

void DrawTextFrame(TPLNDraw* d, const TPLN2DItem& item, const QRectF& rect, std::int64_t baseRadius) {
  TSkPaint& p = *d->kP;
  const float rx = d->GetDrawX(baseRadius), ry = d->GetDrawY(baseRadius);
  auto shape = [&](const QRectF& r, float cx, float cy) {
    if (baseRadius > 0)
      d->kC->DrawRoundRect(r, cx, cy, p);
    else
      d->kC->DrawRect(r, p);
  };
  if (ShowsFill(item)) {
    SetupFill(d, item.GetBackColor(), true);
    shape(rect, rx, ry);
  }
  if (item.GetPenWidth() > 0) {
    SetupPen(d, item);
    p.Style = TSkPaintStyle::Stroke;
    const TFrameStroke f = FrameStroke(rect, rx, ry, p.StrokeWidth);
    shape(f.Rect, f.Rx, f.Ry);
  }
}

void PrintTextFrame(TPLNDraw* d, const TPLN2DItem& item, const QRectF& rect, std::int64_t baseRadius) {
  IPrintCanvas& c = *d->pC;
  const bool round = baseRadius > 0;
  const float rx = round ? d->GetDrawX(baseRadius) : 0, ry = round ? d->GetDrawY(baseRadius) : 0;
  const unsigned corners = round ? AllCorners : 0u;
  if (SetupPrintFill(d, item)) c.FillRect(rect, rx, ry, corners, 1, TCornerType::Round);
  if (item.GetPenWidth() > 0) {
    // The border's own line style, as on screen.
    SetupPrintPen(d, item);
    const TFrameStroke f = FrameStroke(rect, rx, ry, c.Stroke.Thickness);
    c.DrawRect(f.Rect, f.Rx, f.Ry, corners, 1, TCornerType::Round);
  }
  // The glyphs that follow are never dashed.
  c.Stroke.Dash = TStrokeDash::Solid;
}

void DrawUnderline(TPLNDraw* d, TAlphaColor color, float x1, float x2, float y) {
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.Style = TSkPaintStyle::Stroke;
  p.StrokeWidth = 1;
  p.StrokeCap = TSkStrokeCap::Butt;
  p.AntiAlias = false;
  p.Color = color;
  d->kC->DrawLine(x1, y, x2, y, p);
}

void SetupTextPaint(TPLNDraw* d, TAlphaColor color) {
  TSkPaint& p = *d->kP;
  p.PathEffect = TSkPathEffect::MakeStrokeAndFill();
  p.Style = TSkPaintStyle::Fill;
  p.AntiAlias = true;
  p.StrokeWidth = 1;
  p.Color = color;
}

QRectF BeginBoxText(TPLNDraw* d, const TPLN2DItem& item, std::int64_t baseRadius) {
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.Style = TSkPaintStyle::Fill;
  p.AntiAlias = true;
  p.StrokeWidth = 1;
  const QRectF box = QRectF(ScreenPos(*d, item.GetPoint(1)), ScreenPos(*d, item.GetPoint(2))).normalized();
  DrawTextFrame(d, item, box, baseRadius);
  if (item.GetIsData() && d->DrawState == TORVDrawState::Editor) DrawData(d, float(box.left()), float(box.top()));
  return box;
}

QPointF FrameCorner(const QRectF& box, TORVAngle angle) {
  switch (angle) {
    case TORVAngle::A0: return box.topLeft();
    case TORVAngle::A90: return box.bottomLeft();
    case TORVAngle::A180: return box.bottomRight();
    case TORVAngle::A270: return box.topRight();
  }
  return box.topLeft();
}

TPrintTextFrame::TPrintTextFrame(TPLNDraw* d, float sx, float angle, QPointF origin, TAlphaColor color)
    : fDraw(d), fSaved(d->pC->GetMatrix()) {
  IPrintCanvas& c = *d->pC;
  c.Fill.Color = color;
  c.Fill.Kind = TBrushKind::Solid;
  c.Stroke.Color = color;
  c.Stroke.Thickness = 0;
  d->ResetMatrix(d->DrawState);
  d->Scale(sx, 1);
  d->Rotate(angle);
  d->Translate(float(origin.x()), float(origin.y()));
  d->LM = d->LM * fSaved;
  d->ApplyMatrix();
}

TPrintTextFrame::~TPrintTextFrame() {
  fDraw->pC->SetMatrix(fSaved);
  fDraw->ResetMatrix(fDraw->DrawState);
}

}  // namespace TextDraw

void TPLNText::CalcValues(int mode) {
  TPLNBaseText::CalcValues(mode);
  Orv::Text::TORVTextMetrics m;
  std::int64_t width = 0;
  try {
    TPLNCalc::FontSettings(GetFontName(), GetBaseFontHeight(), GetBold(), GetItalic(), m.Asc, m.Des, m.Und, m.Lh,
                           m.Ratio);
    m.Family = TPLNCalc::Font().Family;
    width = TPLNCalc::CalcTxtSize(GetText());
    if (GetScale() != 1.0) width = Utils::RoundHalfAway(double(width) * GetScale());
  } catch (const EPLNError&) {
    // Without its font the text has no size; drawing skips it.
    m = {};
    width = 0;
  }
  fMetrics = m;
  fWidth = width;
  UpdateBounds();
}

void TPLNText::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 1) return;
  if (fMetrics.Ratio <= 0) CalcValues(0);
  if (fMetrics.Ratio <= 0) return;
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.Style = TSkPaintStyle::Fill;
  p.AntiAlias = true;
  p.StrokeWidth = 1;

  TSkFont font = ScreenFont(*d, fMetrics.Family, GetFontHeight(), GetBold(), GetItalic(), fMetrics.Ratio);
  font.ScaleX = static_cast<float>(GetScale());
  if (!(font.Size > 0)) return;
  const TSkFontMetrics fm = font.Metrics();
  const float asc = std::abs(fm.Ascent), des = std::abs(fm.Descent);
  fMetrics.Asc = d->BaseValueY(asc);
  fMetrics.Des = d->BaseValueY(des);

  const QString text = ShowsData(*d) ? PrintedText(*this, d) : GetText();
  const float width = text.isEmpty() ? 0.0f : font.MeasureText(text);
  const QPointF anchor = ScreenPos(*d, GetPoint(1));
  const float padX = d->DrawBasePtoX(GetBasePadX()), padY = d->DrawBasePtoY(GetBasePadY());
  double ox = 0, oy = 0;
  Utils::DrawTxtPos(ox, oy, anchor.x(), anchor.y(), padX, padY, width, asc + des, GetHorzAlign(), GetVertAlign(),
                    GetAngle());

  // The visible stretch of the line in its own frame: all of it, or the window a maximum width
  // leaves on the editor's surface (paper always gets the whole line).
  float x0 = 0, shown = width;
  const float maxWidth = d->DrawBasePtoX(GetBaseMaxWidth());
  const bool clip = d->DrawState == TORVDrawState::Editor && GetBaseMaxWidth() > 0 && maxWidth < width;
  if (clip) {
    shown = maxWidth;
    if (GetHorzAlign() == TORVHorzAlign::Right) x0 = width - maxWidth;
    else if (GetHorzAlign() != TORVHorzAlign::Left) x0 = (width - maxWidth) / 2;
  }

  // The frame is drawn in the text's own frame too, so it turns with the text.
  d->kC->Save();
  d->kC->Translate(float(ox), float(oy));
  if (GetAngle() != TORVAngle::A0) d->kC->Rotate(Utils::PrintAngle(GetAngle()));
  DrawTextFrame(d, *this, QRectF(x0 - padX, -padY, shown + 2 * padX, asc + des + 2 * padY), GetBaseRadio());
  if (!text.isEmpty()) {
    if (clip) {
      d->kC->Save();
      d->kC->ClipRect(QRectF(x0, -(asc + des), shown, 3 * (asc + des)));
    }
    if (GetUnderline()) DrawUnderline(d, GetFontColor(), x0, x0 + shown, asc + fm.UnderlinePosition);
    SetupTextPaint(d, GetFontColor());
    d->kC->DrawSimpleText(text, 0, asc, font, p);
    if (clip) d->kC->Restore();
  }
  d->kC->Restore();

  if (GetIsData() && d->DrawState == TORVDrawState::Editor) DrawData(d, float(anchor.x()), float(anchor.y()));
}

void TPLNText::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 1) return;
  if (fMetrics.Ratio <= 0) CalcValues(0);
  if (fMetrics.Ratio <= 0) return;
  IPrintCanvas& c = *d->pC;
  const QString text = PrintedText(*this, d);
  c.Font = PrintFont(fMetrics.Family, GetFontHeight(), GetBold(), GetItalic(), GetUnderline(), fMetrics.Ratio);
  if (!(c.Font.Size > 0)) return;
  const float angle = Utils::PrintAngle(GetAngle());
  const QPointF size = text.isEmpty() ? QPointF(0, 0) : GetTextSize(c, text);
  const double w = size.x() * GetScale(), h = size.y();
  const QPointF anchor = PrintPos(*d, GetPoint(1));
  const double padX = d->DrawBasePtoX(GetBasePadX()), padY = d->DrawBasePtoY(GetBasePadY());

  const QRectF frame = Utils::AdjustRect(anchor.x(), anchor.y(), padX, padY, w, h, GetHorzAlign(), GetVertAlign(),
                                         GetAngle());
  PrintTextFrame(d, *this, frame, GetBaseRadio());
  if (text.isEmpty()) return;

  double ox = 0, oy = 0;
  Utils::DrawTxtPos(ox, oy, anchor.x(), anchor.y(), padX, padY, w, h, GetHorzAlign(), GetVertAlign(), GetAngle());
  // The glyph box's own shift belongs to the text's frame, so it turns with the text.
  const QPointF offset = GetInternalTextOffset(c, text);
  TPrintTextFrame turned(d, float(GetScale()), angle, QPointF(ox, oy), GetFontColor());
  c.FillText(QRectF(offset.x(), offset.y(), 50000, 20000), text, false, 1, TTextAlign::Leading, TTextAlign::Leading);
}

void TPLNText::DrawText(const QString& text, TPLNDraw* draw, float width, float height) {
  if (!draw || !draw->kC || text.isEmpty()) return;
  TSkPaint& p = *draw->kP;
  p.PathEffect.reset();
  p.Style = TSkPaintStyle::Fill;
  p.AntiAlias = true;
  p.StrokeWidth = 1;
  TSkFont font;
  font.Family = QStringLiteral("Arial");
  font.Bold = true;
  font.Size = height > 0 ? height / 20 : draw->PixPerMM * 1.6f;
  p.PathEffect = TSkPathEffect::MakeStrokeAndFill();
  p.Color = 0xFFC0C0C0u;
  const TSkFontMetrics m = font.Metrics();
  const float ad = std::abs(m.Ascent) + std::abs(m.Descent);
  const float x = draw->OriginX, y = draw->OriginY;
  draw->kC->DrawSimpleText(text, x, y + ad, font, p);
  if (width <= 0) return;
  const float tw = font.MeasureText(text);
  draw->kC->DrawSimpleText(text, x + width - tw, y + ad, font, p);
  draw->kC->DrawSimpleText(text, x + width / 2 - tw / 2, y + height / 2, font, p);
  draw->kC->DrawSimpleText(text, x + width - tw, y + height - ad, font, p);
  draw->kC->DrawSimpleText(text, x, y + height - ad, font, p);
}

void TPLNText::PrintText(const QString& text, TPLNDraw* draw, float x, float y) {
  if (!draw || !draw->pC || text.isEmpty()) return;
  draw->pC->FillText(QRectF(x, y, 50000, 20000), text, false, 1, TTextAlign::Leading, TTextAlign::Leading);
}

TPLNText* TPLNText::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNText>(owner, version, r, readType);
}
TPLNText* TPLNText::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNText>(owner, version, o);
}

}  // namespace Orv::Fmx
