#include "ORV.Poly.h"

#include <algorithm>
#include <limits>

#include "ORV.Barcode2D.h"
#include "ORV.Data.h"
#include "ORV.Json.h"

namespace Orv::Text {

using Barcode::TORVLinearCode;
using Barcode::TORVModuleMatrix;

namespace {

constexpr std::int64_t kMinModule = 10;          // 0.01 mm
constexpr std::int64_t kMaxModule = 100000;      // 10 cm
constexpr std::int64_t kMaxBarHeight = 1000000;  // 1 m
constexpr std::int64_t kMaxRunFont = 1000000;    // 1 m
constexpr double kMinFactor = 2.0, kMaxFactor = 3.0;
constexpr int kBarTypeCount = 23;
constexpr int kPolyTypeCount = 4;
// More runs than anyone sets by hand; the limit keeps a damaged count from asking for millions.
constexpr int kMaxRuns = 10000;
// QR codes at level M, DataMatrix as square symbols: what a label's code usually is.
constexpr int kQRLevelM = 1;

// Linear codes: 0.33 mm modules, 15 mm bars. 2-D codes: 0.5 mm square modules.
constexpr std::int64_t kLinearModule = 330, kLinearBarHeight = 15000, k2DModule = 500;

bool IsTwoD(TORVPolyType t) { return t == TORVPolyType::QRCode || t == TORVPolyType::DataMatrix; }

QString BarTypeName(TORVBarType t) {
  static const char* const kNames[kBarTypeCount] = {
      "EAN-13",   "EAN-8",    "UPC-A",    "UPC-E",     "Code 39",     "Code 39 extended", "Code 93",
      "Code 93 extended", "Codabar", "GS1-128 A", "GS1-128 B", "GS1-128 C", "GS1-128", "Code 128 A",
      "Code 128 B", "Code 128 C", "Code 128", "Interleaved 2 of 5", "Industrial 2 of 5", "Matrix 2 of 5",
      "Code 11",  "MSI",      "POSTNET"};
  const int i = static_cast<int>(t);
  return i >= 0 && i < kBarTypeCount ? QLatin1String(kNames[i]) : QStringLiteral("unknown");
}

bool EncodeMatrix(TORVPolyType type, const QString& code, TORVModuleMatrix& out, QString* why) {
  if (type == TORVPolyType::QRCode) return Barcode::TPLNBaseQRCode::EncodeQR(code, kQRLevelM, out, why);
  // toLatin1 would turn a character it cannot hold into '?': a different code, silently.
  for (const QChar ch : code)
    if (ch.unicode() > 0xFF) {
      out = TORVModuleMatrix{};
      if (why) *why = QStringLiteral("DataMatrix: \"%1\" is not an 8-bit (Latin-1) character").arg(ch);
      return false;
    }
  return Barcode::TPLNBaseDataMatrix::EncodeDataMatrix(code.toLatin1(), true, out, why);
}

void WriteRun(const TPLNDataPoly& run, TBinaryWriter& w) {
  w.WriteString(run.GetText());
  w.WriteString(run.GetFontName());
  w.WriteInt64(run.GetBaseFontHeight());
  w.WriteBoolean(run.GetBold());
  w.WriteBoolean(run.GetItalic());
  w.WriteUInt32(run.GetColor());
}

// The data binding of a run, written only by files whose runs have one (see WriteOwn).
void WriteRunData(const TPLNDataPoly& run, TBinaryWriter& w) {
  w.WriteString(run.GetField());
  w.WriteString(run.GetFormat());
  w.WriteString(run.GetIA());
  w.WriteBoolean(run.GetAddPar());
}

void ReadRunData(TPLNDataPoly& run, TBinaryReader& r) {
  run.SetField(r.ReadString());
  run.SetFormat(r.ReadString());
  run.SetIA(r.ReadString());
  run.SetAddPar(r.ReadBoolean());
}

TPLNDataPoly ReadRun(const QString& kind, TBinaryReader& r) {
  TPLNDataPoly run;
  run.SetText(r.ReadString());
  run.SetFontName(r.ReadString());
  run.SetBaseFontHeight(CheckInt(kind, "RunFontHeight", r.ReadInt64(), 1, kMaxRunFont));
  run.SetBold(r.ReadBoolean());
  run.SetItalic(r.ReadBoolean());
  run.SetColor(r.ReadUInt32());
  return run;
}

// Run i (from 1) in JSON: "Run<i>Text", "Run<i>FontName", ...
QByteArray RunKey(int i, const char* field) { return "Run" + QByteArray::number(i) + field; }

}  // namespace

// ---------------------------------------------------------------- runs

void TPLNDataPoly::SetBaseFontHeight(std::int64_t h) { fFontHeight = std::clamp<std::int64_t>(h, 1, kMaxRunFont); }

void TPLNDataPoly::SetBaseSize(std::int64_t width, std::int64_t ascent, std::int64_t descent, double ratio,
                               const QString& family) {
  fWidth = width;
  fAsc = ascent;
  fDes = descent;
  fRatio = ratio;
  fFamily = family;
}

// ---------------------------------------------------------------- item

TPLNBasePoly::TPLNBasePoly(TPLNBaseLabel* owner, bool preview) : TPLNBaseText(owner, preview) { IniPoly(); }
TPLNBasePoly::TPLNBasePoly(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNBaseText(owner, layer, preview) {
  IniPoly();
}

void TPLNBasePoly::IniPoly() {
  fPolyType = TORVPolyType::Runs;
  fBarType = TORVBarType::Code128;
  SetModuleDefaults(false);
  fStyle.FontHeight = 5000;
  fStyle.PadX = 1000;
  fStyle.PadY = 1000;
  CalcValues(0);
}

void TPLNBasePoly::SetModuleDefaults(bool twoD) {
  fBarWidth = twoD ? k2DModule : kLinearModule;
  fBarHeight = twoD ? k2DModule : kLinearBarHeight;
}

void TPLNBasePoly::SetPolyType(TORVPolyType t) {
  if (static_cast<int>(t) >= kPolyTypeCount || t == fPolyType) return;
  // Bars at least five modules tall suit a linear code and nothing else; modules of another
  // shape a 2-D code and nothing else.
  const bool tall = fBarHeight >= 5 * fBarWidth;
  if ((t == TORVPolyType::Barcode && !tall) || (IsTwoD(t) && tall)) SetModuleDefaults(IsTwoD(t));
  fPolyType = t;
  Relayout();
}

void TPLNBasePoly::SetData(const QString& text) {
  if (fPolyType != TORVPolyType::Runs) {
    SetCode(text);
    return;
  }
  const QStringList pieces = text.split(QLatin1Char('\n'));
  std::vector<TPLNDataPoly> runs;
  runs.reserve(std::size_t(pieces.size()));
  for (qsizetype i = 0; i < pieces.size(); ++i) {
    TPLNDataPoly run;
    if (i < qsizetype(fRuns.size())) {
      run = fRuns[std::size_t(i)];
    } else if (!runs.empty()) {
      run = runs.back();
    } else {
      run.SetFontName(fStyle.FontName);
      run.SetBaseFontHeight(fStyle.FontHeight);
      run.SetBold(fStyle.Bold);
      run.SetItalic(fStyle.Italic);
      run.SetColor(GetColor());
    }
    run.SetText(pieces[i]);
    runs.push_back(run);
  }
  const bool same = runs.size() == fRuns.size() &&
                    std::equal(runs.begin(), runs.end(), fRuns.begin(),
                               [](const TPLNDataPoly& a, const TPLNDataPoly& b) { return a.SameAs(b); });
  if (same) return;
  fRuns = std::move(runs);
  Relayout();
}

QString TPLNBasePoly::GetData() const {
  if (fPolyType != TORVPolyType::Runs) return GetCode();
  QStringList pieces;
  for (const TPLNDataPoly& run : fRuns) pieces << run.GetText();
  return pieces.join(QLatin1Char('\n'));
}

void TPLNBasePoly::AddItem(const TPLNDataPoly& run) {
  fRuns.push_back(run);
  Relayout();
}

void TPLNBasePoly::SetItem(int i, const TPLNDataPoly& run) {
  if (i < 1 || i > GetItemCount() || fRuns[std::size_t(i - 1)].SameAs(run)) return;
  fRuns[std::size_t(i - 1)] = run;
  Relayout();
}

void TPLNBasePoly::DeleteItem(int i) {
  if (i < 1 || i > GetItemCount()) return;
  fRuns.erase(fRuns.begin() + (i - 1));
  Relayout();
}

void TPLNBasePoly::ClearItems() {
  if (fRuns.empty()) return;
  fRuns.clear();
  Relayout();
}

TPLNDataPoly& TPLNBasePoly::AddElement(const QString& text, int /*kind*/) {
  TPLNDataPoly run;
  if (!fRuns.empty()) {
    run = fRuns.back();
    run.SetField({});
    run.SetFormat({});
    run.SetIA({});
    run.SetAddPar(false);
  } else {
    run.SetFontName(fStyle.FontName);
    run.SetBaseFontHeight(fStyle.FontHeight);
    run.SetBold(fStyle.Bold);
    run.SetItalic(fStyle.Italic);
    run.SetColor(GetColor());
  }
  run.SetText(text);
  fRuns.push_back(run);
  Relayout();
  return fRuns.back();
}

bool TPLNBasePoly::Exchange(int i, int j) {
  const int n = GetItemCount();
  if (i < 1 || j < 1 || i > n || j > n || i == j) return false;
  std::swap(fRuns[std::size_t(i - 1)], fRuns[std::size_t(j - 1)]);
  Relayout();
  return true;
}

bool TPLNBasePoly::GetIsData() const {
  return TPLNBaseText::GetIsData() ||
         std::any_of(fRuns.begin(), fRuns.end(), [](const TPLNDataPoly& run) { return !run.GetField().isEmpty(); });
}

QString TPLNBasePoly::RunText(const TPLNDataPoly& run) const {
  QString value = run.GetText();
  const TPLNBaseLabel* doc = Owner();
  if (!run.GetField().isEmpty() && doc) {
    // A per-label copy shows its cell's record; the item itself the document's current one.
    const int copy = doc->CopyRecord(this);
    value = doc->DataValueAt(copy == -2 ? doc->GetCurrentRecord() : copy, run.GetField(), run.GetFormat(), 1, value);
  } else if (!run.GetFormat().isEmpty()) value = FormatDataValue(value, run.GetFormat());
  if (run.GetIA().isEmpty()) return value;
  return (run.GetAddPar() ? QLatin1Char('(') + run.GetIA() + QLatin1Char(')') : run.GetIA()) + value;
}

QStringList TPLNBasePoly::GetDataFields() const {
  const TPLNBaseLabel* doc = Owner();
  const TPLNDataSource* data = doc ? doc->GetDataSource() : nullptr;
  return data ? data->Fields() : QStringList();
}

std::int64_t TPLNBasePoly::RunsWidth() const {
  std::int64_t w = 0;
  for (const TPLNDataPoly& run : fRuns) w += run.GetBaseWidth();
  return w;
}

std::int64_t TPLNBasePoly::RunsHeight() const {
  std::int64_t h = 0;
  for (const TPLNDataPoly& run : fRuns) h = std::max(h, run.GetBaseHeight());
  return h;
}

void TPLNBasePoly::SetBarType(TORVBarType t) {
  if (static_cast<int>(t) >= kBarTypeCount) return;
  Set(fBarType, t);
}
void TPLNBasePoly::SetBaseBarWidth(std::int64_t w) { Set(fBarWidth, std::clamp(w, kMinModule, kMaxModule)); }
void TPLNBasePoly::SetBaseBarHeight(std::int64_t h) { Set(fBarHeight, std::clamp(h, kMinModule, kMaxBarHeight)); }
void TPLNBasePoly::SetFactor(double f) {
  if (f == f) Set(fFactor, std::clamp(f, kMinFactor, kMaxFactor));
}
void TPLNBasePoly::SetBaseDistance(std::int64_t d) { Set(fDistance, std::clamp<std::int64_t>(d, 0, kMaxLength)); }

float TPLNBasePoly::BarFontHeight() const {
  return fRuns.empty() ? GetFontHeight() : fRuns.front().GetFontHeight();
}
QString TPLNBasePoly::BarFontName() const {
  return fRuns.empty() ? GetFontName() : fRuns.front().GetFontName();
}

bool TPLNBasePoly::IsValid() const {
  switch (fPolyType) {
    case TORVPolyType::Barcode: return fLinear.Valid;
    case TORVPolyType::QRCode:
    case TORVPolyType::DataMatrix: return !fMatrix.IsEmpty();
    default: return true;
  }
}

bool TPLNBasePoly::CanEncode(TORVPolyType type, const QString& code, TORVBarType barType, bool checkSum,
                             QString* why) {
  if (type == TORVPolyType::Barcode) {
    const QByteArray latin = code.toLatin1();
    if (QString::fromLatin1(latin) == code &&
        Barcode::EncodeLinear(latin, barType, checkSum, false, true).Valid)
      return true;
    if (why) *why = QStringLiteral("\"%1\" is not a valid %2 code").arg(code, BarTypeName(barType));
    return false;
  }
  if (IsTwoD(type)) {
    TORVModuleMatrix m;
    return EncodeMatrix(type, code, m, why);
  }
  return true;
}

void TPLNBasePoly::Encode() {
  fLinear = TORVLinearCode{};
  fMatrix = TORVModuleMatrix{};
  fError.clear();
  if (fPolyType == TORVPolyType::Barcode) {
    fLinear = Barcode::EncodeLinear(GetAnsiCode(), fBarType, fCheckSum, false, fShowNumber);
    if (!fLinear.Valid) CanEncode(fPolyType, GetCode(), fBarType, fCheckSum, &fError);
  } else if (IsTwoD(fPolyType)) {
    if (!EncodeMatrix(fPolyType, GetCode(), fMatrix, &fError)) fMatrix = TORVModuleMatrix{};
  }
}

void TPLNBasePoly::CalcValues(int /*mode*/) {
  Encode();
  UpdateBounds();
}

void TPLNBasePoly::ContentSize(double& w, double& h) const {
  switch (fPolyType) {
    case TORVPolyType::Barcode: {
      // The symbol's box less the paddings, which PlaceBox adds.
      const Barcode::TORVLinearLayout l = Barcode::LinearLayout(*this, fLinear);
      w = l.Width - 2.0 * GetPaddingX();
      h = l.Height - 2.0 * GetPaddingY();
      // An invalid code keeps a box as wide as the bars are high, to be found and selected.
      if (!fLinear.Valid) w = std::max(w, double(GetBarHeight()));
      return;
    }
    case TORVPolyType::QRCode:
    case TORVPolyType::DataMatrix: {
      const int cols = fMatrix.IsEmpty() ? 10 : fMatrix.Cols, rows = fMatrix.IsEmpty() ? 10 : fMatrix.Rows;
      w = cols * double(GetBarWidth());
      h = rows * double(GetBarHeight());
      return;
    }
    default:
      w = RunsWidth() / 1000.0;
      h = RunsHeight() / 1000.0;
      return;
  }
}

void TPLNBasePoly::UpdateBounds() {
  double w = 0, h = 0;
  ContentSize(w, h);
  PlaceBox(w * 1000.0, h * 1000.0);
}

// ---------------------------------------------------------------- files

void TPLNBasePoly::WriteOwn(TBinaryWriter& w) const {
  TPLNBaseText::WriteOwn(w);
  w.WriteByte(static_cast<std::uint8_t>(fPolyType));
  w.WriteByte(static_cast<std::uint8_t>(fBarType));
  w.WriteBoolean(fCheckSum);
  w.WriteInt64(fBarWidth);
  w.WriteInt64(fBarHeight);
  w.WriteDouble(fFactor);
  w.WriteBoolean(fShowNumber);
  w.WriteInt64(fDistance);
  // Runs bound to data are counted negatively (-1 - count) and carry their binding after the
  // font: files without a binding stay as they always were.
  const bool data = std::any_of(fRuns.begin(), fRuns.end(), [](const TPLNDataPoly& run) { return run.HasData(); });
  const auto count = static_cast<std::int32_t>(fRuns.size());
  w.WriteInt32(data ? -1 - count : count);
  for (const TPLNDataPoly& run : fRuns) {
    WriteRun(run, w);
    if (data) WriteRunData(run, w);
  }
}

void TPLNBasePoly::ReadOwn(TBinaryReader& r) {
  TPLNBaseText::ReadOwn(r);
  const QString kind = KindName();
  fPolyType = static_cast<TORVPolyType>(CheckInt(kind, "PolyType", r.ReadByte(), 0, kPolyTypeCount - 1));
  fBarType = static_cast<TORVBarType>(CheckInt(kind, "BarType", r.ReadByte(), 0, kBarTypeCount - 1));
  fCheckSum = r.ReadBoolean();
  fBarWidth = CheckInt(kind, "BarWidth", r.ReadInt64(), kMinModule, kMaxModule);
  fBarHeight = CheckInt(kind, "BarHeight", r.ReadInt64(), kMinModule, kMaxBarHeight);
  fFactor = r.ReadDouble();
  if (!(fFactor >= kMinFactor && fFactor <= kMaxFactor))
    throw EPLNError(QStringLiteral("%1: \"Factor\" must be between 2 and 3").arg(kind));
  fShowNumber = r.ReadBoolean();
  fDistance = CheckInt(kind, "Distance", r.ReadInt64(), 0, kMaxLength);
  // At least two empty strings, the height, two flags and the colour per run.
  std::int32_t n = r.ReadInt32();
  const bool data = n < 0;
  if (data) n = n == std::numeric_limits<std::int32_t>::min() ? -1 : -1 - n;
  CheckInt(kind, "RunCount", n, 0, kMaxRuns);
  // A run takes at least 16 bytes (20 with its binding): a count the rest cannot hold is damage.
  if (qint64(n) * (data ? 20 : 16) > r.Remaining())
    throw EPLNError(QStringLiteral("%1: %2 runs do not fit in the rest of the file").arg(kind).arg(n));
  std::vector<TPLNDataPoly> runs;
  runs.reserve(std::size_t(n));
  for (std::int32_t i = 0; i < n; ++i) {
    runs.push_back(ReadRun(kind, r));
    if (data) ReadRunData(runs.back(), r);
  }
  fRuns = std::move(runs);
}

void TPLNBasePoly::WriteOwnJson(Json::TJsonSink& o) const {
  TPLNBaseText::WriteOwnJson(o);
  o.Int("PolyType", static_cast<int>(fPolyType));
  o.Int("BarType", static_cast<int>(fBarType));
  o.Bool("CheckSum", fCheckSum);
  o.Int("BarWidth", fBarWidth);
  o.Int("BarHeight", fBarHeight);
  o.Num("Factor", fFactor);
  o.Bool("ShowNumber", fShowNumber);
  o.Int("Distance", fDistance);
  o.Int("RunCount", static_cast<std::int64_t>(fRuns.size()));
  for (int i = 1; i <= GetItemCount(); ++i) {
    const TPLNDataPoly& run = fRuns[std::size_t(i - 1)];
    o.Str(RunKey(i, "Text").constData(), run.GetText());
    o.Str(RunKey(i, "FontName").constData(), run.GetFontName());
    o.Int(RunKey(i, "FontHeight").constData(), run.GetBaseFontHeight());
    o.Bool(RunKey(i, "Bold").constData(), run.GetBold());
    o.Bool(RunKey(i, "Italic").constData(), run.GetItalic());
    o.Color(RunKey(i, "Color").constData(), run.GetColor());
    if (!run.HasData()) continue;
    o.Str(RunKey(i, "Field").constData(), run.GetField());
    o.Str(RunKey(i, "Format").constData(), run.GetFormat());
    o.Str(RunKey(i, "IA").constData(), run.GetIA());
    o.Bool(RunKey(i, "AddPar").constData(), run.GetAddPar());
  }
}

void TPLNBasePoly::ReadOwnJson(const QJsonObject& o) {
  TPLNBaseText::ReadOwnJson(o);
  const QString kind = KindName();
  fPolyType = static_cast<TORVPolyType>(
      CheckInt(kind, "PolyType", Json::Int(o, "PolyType", static_cast<int>(fPolyType)), 0, kPolyTypeCount - 1));
  fBarType = static_cast<TORVBarType>(
      CheckInt(kind, "BarType", Json::Int(o, "BarType", static_cast<int>(fBarType)), 0, kBarTypeCount - 1));
  fCheckSum = Json::Bool(o, "CheckSum", fCheckSum);
  fBarWidth = CheckInt(kind, "BarWidth", Json::Int(o, "BarWidth", fBarWidth), kMinModule, kMaxModule);
  fBarHeight = CheckInt(kind, "BarHeight", Json::Int(o, "BarHeight", fBarHeight), kMinModule, kMaxBarHeight);
  const double f = Json::Num(o, "Factor", fFactor);
  if (!(f >= kMinFactor && f <= kMaxFactor))
    throw EPLNError(QStringLiteral("%1: \"Factor\" must be between 2 and 3").arg(kind));
  fFactor = f;
  fShowNumber = Json::Bool(o, "ShowNumber", fShowNumber);
  fDistance = CheckInt(kind, "Distance", Json::Int(o, "Distance", fDistance), 0, kMaxLength);
  if (!o.contains(QLatin1String("RunCount"))) return;
  const auto n = static_cast<int>(CheckInt(kind, "RunCount", Json::Int(o, "RunCount", 0), 0, kMaxRuns));
  std::vector<TPLNDataPoly> runs(static_cast<std::size_t>(n));
  for (int i = 1; i <= n; ++i) {
    TPLNDataPoly& run = runs[std::size_t(i - 1)];
    run.SetText(Json::Str(o, RunKey(i, "Text").constData(), run.GetText()));
    run.SetFontName(Json::Str(o, RunKey(i, "FontName").constData(), run.GetFontName()));
    const QByteArray heightKey = RunKey(i, "FontHeight");
    run.SetBaseFontHeight(
        CheckInt(kind, heightKey.constData(), Json::Int(o, heightKey.constData(), run.GetBaseFontHeight()), 1,
                 kMaxRunFont));
    run.SetBold(Json::Bool(o, RunKey(i, "Bold").constData(), run.GetBold()));
    run.SetItalic(Json::Bool(o, RunKey(i, "Italic").constData(), run.GetItalic()));
    run.SetColor(Json::Color(o, RunKey(i, "Color").constData(), run.GetColor()));
    run.SetField(Json::Str(o, RunKey(i, "Field").constData(), run.GetField()));
    run.SetFormat(Json::Str(o, RunKey(i, "Format").constData(), run.GetFormat()));
    run.SetIA(Json::Str(o, RunKey(i, "IA").constData(), run.GetIA()));
    run.SetAddPar(Json::Bool(o, RunKey(i, "AddPar").constData(), run.GetAddPar()));
  }
  fRuns = std::move(runs);
}

}  // namespace Orv::Text
