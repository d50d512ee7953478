#include "TPLNBarcode.h"

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"
#include "TPLNText.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using Barcode::TORVLinearCode;

namespace {

constexpr TAlphaColor kCrossColor = 0xFFFF0000u;

// The box of a symbol on the device: what PlaceBox makes of the item's own code, for any code.
QRectF SymbolBox(const TPLNDraw& d, const TPLNBarcode& item, const TORVLinearCode& code, QPointF anchor) {
  const Barcode::TORVLinearLayout l = Barcode::LinearLayout(item, code);
  const double kx = d.DrawBasePtoX(1000.0), ky = d.DrawBasePtoY(1000.0);
  const double padX = item.GetPaddingX(), padY = item.GetPaddingY();
  return Utils::AdjustRect(anchor.x(), anchor.y(), padX * kx, padY * ky, (l.Width - 2 * padX) * kx,
                           (l.Height - 2 * padY) * ky, item.GetHorzAlign(), item.GetVertAlign(), item.GetAngle());
}

// A value of a data field the 8-bit code cannot hold is not a code of any type.
bool Latin1(const QString& s) {
  for (const QChar ch : s)
    if (ch.unicode() > 0xFF) return false;
  return true;
}

}  // namespace

void TPLNBarcode::CalcValues(int mode) {
  Orv::Text::TORVTextMetrics m;
  try {
    TPLNCalc::FontSettings(GetFontName(), GetBaseFontHeight(), false, false, m.Asc, m.Des, m.Und, m.Lh, m.Ratio);
    m.Family = TPLNCalc::Font().Family;
  } catch (const EPLNError&) {
    // Without its font the human-readable line is left out; the bars still draw.
    m = {};
  }
  fMetrics = m;
  TPLNBaseBarcode::CalcValues(mode);
}

TORVLinearCode TPLNBarcode::Shown(const TPLNBaseDraw& draw) const {
  if (FillType() == 0 || !TextDraw::ShowsData(draw)) return Encoded();
  const QString value = TextDraw::PrintedText(*this, &draw);
  if (value == GetText()) return Encoded();
  if (!Latin1(value)) return {};
  return Encode(value.toLatin1());
}

void TPLNBarcode::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || !d->kP || NumPoints() < 1) return;
  ISkCanvas& c = *d->kC;
  TSkPaint& p = *d->kP;
  const TORVLinearCode code = Shown(*d);
  if (!code.Valid) {
    // The item's own box, whatever the value that could not be encoded.
    const TORVBounds b = fBox.IsEmpty() ? GetBounds() : fBox;
    const QPointF tl = ScreenPos(*d, TORVPto{b.X1, b.Y1}), br = ScreenPos(*d, TORVPto{b.X2, b.Y2});
    p.Color = kCrossColor;
    p.StrokeCap = TSkStrokeCap::Butt;
    p.StrokeWidth = d->DrawBasePtoY(100);
    p.PathEffect.reset();
    AdjustLineType(d, 0, GetState());
    p.AntiAlias = true;
    c.DrawLine(float(tl.x()), float(tl.y()), float(br.x()), float(br.y()), p);
    c.DrawLine(float(br.x()), float(tl.y()), float(tl.x()), float(br.y()), p);
    return;
  }
  const QPointF anchor = ScreenPos(*d, GetPoint(1));
  if (ShowsFill(*this)) {
    SetupFill(d, GetBackColor(), true);
    p.AntiAlias = true;
    c.DrawRect(SymbolBox(*d, *this, code, anchor), p);
  }
  DrawBarcode(d, *this, code, anchor, GetColor());
  if (GetIsData() && d->DrawState == TORVDrawState::Editor) DrawData(d, float(anchor.x()), float(anchor.y()));
}

void TPLNBarcode::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 1) return;
  // Paper always shows a data field's value.
  TORVLinearCode code = Encoded();
  if (FillType() != 0) {
    const QString value = TextDraw::PrintedText(*this, d);
    if (value != GetText()) code = Latin1(value) ? Encode(value.toLatin1()) : TORVLinearCode{};
  }
  if (!code.Valid) return;
  const QPointF anchor = PrintPos(*d, GetPoint(1));
  if (SetupPrintFill(d, *this)) d->pC->FillRect(SymbolBox(*d, *this, code, anchor), 0, 0, 0, 1, TCornerType::Round);
  PrintBarcode(d, *this, code, anchor, GetColor());
}

TPLNBarcode* TPLNBarcode::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNBarcode>(owner, version, r, readType);
}
TPLNBarcode* TPLNBarcode::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNBarcode>(owner, version, o);
}

}  // namespace Orv::Fmx
