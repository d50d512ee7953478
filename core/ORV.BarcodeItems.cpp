#include "ORV.BarcodeItems.h"

#include <algorithm>

#include "ORV.Json.h"

namespace Orv::Barcode {

using Utils::TBarcode;

namespace {

constexpr std::int64_t kMinModule = 10;          // 0.01 mm
constexpr std::int64_t kMaxModule = 100000;      // 10 cm
constexpr std::int64_t kMaxBarHeight = 1000000;  // 1 m
constexpr double kMinRatio = 0.1, kMaxRatio = 100.0;
constexpr double kMinFactor = 2.0, kMaxFactor = 3.0;
constexpr int kBarTypeCount = 23;

// EAN-13, UPC-A and UPC-E print their first digit left of the bars, UPC-A and UPC-E their last
// one right of them: seven modules each, a digit's width in the usual proportions. A font too
// large for that widens the zone: a digit of the usual faces is at most 0.6 of the font height
// (ascent + descent) wide, and keeps a module away from the bars. The model cannot measure, so
// this bounds the digit rather than fitting it.
constexpr double kDigitZoneModules = 7.0;
constexpr double kDigitWidthPerHeight = 0.6;

bool HasLeadDigit(TORVBarType t) {
  return t == TORVBarType::Ean13 || t == TORVBarType::UpcA || t == TORVBarType::UpcE0;
}
bool HasTrailDigit(TORVBarType t) { return t == TORVBarType::UpcA || t == TORVBarType::UpcE0; }

}  // namespace

TORVLinearCode EncodeLinear(const QByteArray& code, TORVBarType type, bool checkDigit, bool flagB, bool showNumber) {
  TORVLinearCode out;
  if (!TBarcode::IsValidCode(code, type, checkDigit, flagB)) return out;
  if (!TBarcode::PrepareBarcode(code, type, checkDigit, flagB, false, out.Prepared, out.Auto128)) {
    out.Prepared.clear();
    return out;
  }
  out.Pattern = TBarcode::FillBarPattern(out.Prepared, type, out.Auto128, showNumber);
  out.Valid = !out.Pattern.isEmpty();
  if (!out.Valid) out.Prepared.clear();
  return out;
}

TORVLinearLayout LinearLayout(const IORVBarcode& code, const TORVLinearCode& encoded) {
  TORVLinearLayout l;
  const double m = code.BarModule();
  const bool text = code.BarShowNumber();
  // The side digits only exist where the digits are laid out in groups (a code of more than
  // five characters); a short code is printed centred like any other type.
  const bool grouped = text && encoded.Prepared.size() > 5;
  const double zone = std::max(kDigitZoneModules * m, m + kDigitWidthPerHeight * code.BarFontHeight());
  if (grouped && HasLeadDigit(code.BarKind())) l.LeadWidth = zone;
  if (grouped && HasTrailDigit(code.BarKind())) l.TrailWidth = zone;
  l.BarsWidth = TBarcode::BarCodeWidth(encoded.Pattern, code.BarFactor()) * m;
  l.BarsX = code.BarPaddingX() + l.LeadWidth;
  l.Width = l.BarsX + l.BarsWidth + l.TrailWidth + code.BarPaddingX();
  l.TextTop = code.BarPaddingY() + code.BarHeight() + (text ? code.BarDistance() : 0.0);
  l.Height = l.TextTop + (text ? code.BarFontHeight() : 0.0) + code.BarPaddingY();
  return l;
}

// ---------------------------------------------------------------- shared

TPLNBaseCode::TPLNBaseCode(TPLNBaseLabel* owner, bool preview) : TPLNBaseText(owner, preview) {}
TPLNBaseCode::TPLNBaseCode(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNBaseText(owner, layer, preview) {}

void TPLNBaseCode::SetBaseBarWidth(std::int64_t w) { Set(fBarWidth, std::clamp(w, kMinModule, kMaxModule)); }
void TPLNBaseCode::SetBaseBarHeight(std::int64_t h) { Set(fBarHeight, std::clamp(h, kMinModule, kMaxBarHeight)); }
void TPLNBaseCode::SetFactor(double f) {
  if (f == f) Set(fFactor, std::clamp(f, kMinFactor, kMaxFactor));
}
void TPLNBaseCode::SetRatio(double r) {
  if (r == r) Set(fRatio, std::clamp(r, kMinRatio, kMaxRatio));
}
void TPLNBaseCode::SetBaseDistance(std::int64_t d) { Set(fDistance, std::clamp<std::int64_t>(d, 0, Text::kMaxLength)); }

void TPLNBaseCode::CalcValues(int /*mode*/) {
  EncodeOwn();
  UpdateBounds();
}

void TPLNBaseCode::UpdateBounds() {
  double w = 0, h = 0;
  ContentSize(w, h);
  // Content sizes are millimetres; the box is placed in base units.
  PlaceBox(w * 1000.0, h * 1000.0);
}

void TPLNBaseCode::WriteOwn(TBinaryWriter& w) const {
  w.WriteInt64(fBarWidth);
  w.WriteInt64(fBarHeight);
  w.WriteDouble(fFactor);
  w.WriteDouble(fRatio);
  w.WriteBoolean(fShowNumber);
  w.WriteInt64(fDistance);
  WriteCode(w);
}

void TPLNBaseCode::ReadOwn(TBinaryReader& r) {
  const QString kind = KindName();
  fBarWidth = Text::CheckInt(kind, "BarWidth", r.ReadInt64(), kMinModule, kMaxModule);
  fBarHeight = Text::CheckInt(kind, "BarHeight", r.ReadInt64(), kMinModule, kMaxBarHeight);
  fFactor = r.ReadDouble();
  if (!(fFactor >= kMinFactor && fFactor <= kMaxFactor))
    throw EPLNError(QStringLiteral("%1: \"Factor\" must be between 2 and 3").arg(kind));
  fRatio = r.ReadDouble();
  if (!(fRatio >= kMinRatio && fRatio <= kMaxRatio))
    throw EPLNError(QStringLiteral("%1: \"Ratio\" must be between 0.1 and 100").arg(kind));
  fShowNumber = r.ReadBoolean();
  fDistance = Text::CheckInt(kind, "Distance", r.ReadInt64(), 0, Text::kMaxLength);
  ReadCode(r);
}

void TPLNBaseCode::WriteOwnJson(Json::TJsonSink& o) const {
  o.Int("BarWidth", fBarWidth);
  o.Int("BarHeight", fBarHeight);
  o.Num("Factor", fFactor);
  o.Num("Ratio", fRatio);
  o.Bool("ShowNumber", fShowNumber);
  o.Int("Distance", fDistance);
  WriteCodeJson(o);
}

void TPLNBaseCode::ReadOwnJson(const QJsonObject& o) {
  const QString kind = KindName();
  fBarWidth = Text::CheckInt(kind, "BarWidth", Json::Int(o, "BarWidth", fBarWidth), kMinModule, kMaxModule);
  fBarHeight = Text::CheckInt(kind, "BarHeight", Json::Int(o, "BarHeight", fBarHeight), kMinModule, kMaxBarHeight);
  const double f = Json::Num(o, "Factor", fFactor);
  if (!(f >= kMinFactor && f <= kMaxFactor))
    throw EPLNError(QStringLiteral("%1: \"Factor\" must be between 2 and 3").arg(kind));
  fFactor = f;
  const double ratio = Json::Num(o, "Ratio", fRatio);
  if (!(ratio >= kMinRatio && ratio <= kMaxRatio))
    throw EPLNError(QStringLiteral("%1: \"Ratio\" must be between 0.1 and 100").arg(kind));
  fRatio = ratio;
  fShowNumber = Json::Bool(o, "ShowNumber", fShowNumber);
  fDistance = Text::CheckInt(kind, "Distance", Json::Int(o, "Distance", fDistance), 0, Text::kMaxLength);
  ReadCodeJson(o);
}

// ---------------------------------------------------------------- linear

TPLNBaseBarcode::TPLNBaseBarcode(TPLNBaseLabel* owner, bool preview) : TPLNBaseCode(owner, preview) {
  IniBarcode();
}
TPLNBaseBarcode::TPLNBaseBarcode(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNBaseCode(owner, layer, preview) {
  IniBarcode();
}

void TPLNBaseBarcode::IniBarcode() {
  fBarWidth = 330;
  fBarHeight = 15000;
  fFactor = 2.5;
  fShowNumber = true;
  fDistance = 500;
  fBarType = TORVBarType::Code128;
  fStyle.FontHeight = 3000;
  fStyle.HorzAlign = TORVHorzAlign::Left;
  fStyle.VertAlign = TORVVertAlign::Top;
  fStyle.PadX = 2000;
  fStyle.PadY = 1000;
  CalcValues(0);
}

void TPLNBaseBarcode::SetBarType(TORVBarType t) {
  if (static_cast<int>(t) >= kBarTypeCount) return;
  Set(fBarType, t);
}

TORVLinearCode TPLNBaseBarcode::Encode(const QByteArray& code) const {
  return EncodeLinear(code, fBarType, fCheckSum, fFlagB, fShowNumber);
}

void TPLNBaseBarcode::EncodeOwn() { fOwn = Encode(GetAnsiCode()); }

void TPLNBaseBarcode::ContentSize(double& w, double& h) const {
  // Sized without the paddings, which PlaceBox adds.
  const TORVLinearLayout l = LinearLayout(*this, fOwn);
  w = l.Width - 2.0 * GetPaddingX();
  h = l.Height - 2.0 * GetPaddingY();
  // An invalid code keeps a box to show its cross in: as wide as the bars are high.
  if (!fOwn.Valid) w = std::max(w, double(GetBarHeight()));
}

void TPLNBaseBarcode::WriteCode(TBinaryWriter& w) const {
  w.WriteByte(static_cast<std::uint8_t>(fBarType));
  w.WriteBoolean(fCheckSum);
  w.WriteBoolean(fFlagB);
}

void TPLNBaseBarcode::ReadCode(TBinaryReader& r) {
  fBarType = static_cast<TORVBarType>(Text::CheckInt(KindName(), "BarType", r.ReadByte(), 0, kBarTypeCount - 1));
  fCheckSum = r.ReadBoolean();
  fFlagB = r.ReadBoolean();
}

void TPLNBaseBarcode::WriteCodeJson(Json::TJsonSink& o) const {
  o.Int("BarType", static_cast<int>(fBarType));
  o.Bool("CheckSum", fCheckSum);
  o.Bool("FlagB", fFlagB);
}

void TPLNBaseBarcode::ReadCodeJson(const QJsonObject& o) {
  fBarType = static_cast<TORVBarType>(
      Text::CheckInt(KindName(), "BarType", Json::Int(o, "BarType", static_cast<int>(fBarType)), 0, kBarTypeCount - 1));
  fCheckSum = Json::Bool(o, "CheckSum", fCheckSum);
  fFlagB = Json::Bool(o, "FlagB", fFlagB);
}

// ---------------------------------------------------------------- 2-D

TPLNBase2DCode::TPLNBase2DCode(TPLNBaseLabel* owner, bool preview) : TPLNBaseCode(owner, preview) { Ini2DCode(); }
TPLNBase2DCode::TPLNBase2DCode(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNBaseCode(owner, layer, preview) {
  Ini2DCode();
}

void TPLNBase2DCode::Ini2DCode() {
  fBarWidth = 500;
  fBarHeight = 500;
  fRatio = 1.0;
  fShowNumber = false;
  fStyle.PadX = 1000;
  fStyle.PadY = 1000;
  // The subclass's Encode is not there yet while this base is built: the first CalcValues of
  // the finished item (its factory or reader) encodes.
}

void TPLNBase2DCode::Encode() {
  fError.clear();
  if (!EncodeCode(GetText(), fMatrix, &fError)) fMatrix = TORVModuleMatrix{};
}

void TPLNBase2DCode::ContentSize(double& w, double& h) const {
  const double mw = GetBarWidth() * fRatio, mh = GetBarHeight() * fRatio;
  // An empty matrix keeps a box of ten modules, so the item can still be found and selected.
  const int cols = fMatrix.IsEmpty() ? 10 : fMatrix.Cols, rows = fMatrix.IsEmpty() ? 10 : fMatrix.Rows;
  w = cols * mw;
  h = rows * mh;
}

}  // namespace Orv::Barcode
