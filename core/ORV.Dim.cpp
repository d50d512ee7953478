#include "ORV.Dim.h"

#include <QJsonArray>
#include <QLocale>
#include <algorithm>
#include <cmath>

#include "ORV.Draw2D.h"
#include "ORV.EditGeom.h"
#include "ORV.Json.h"

namespace Orv::Line {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxDecimals = 12;

struct TLoadingScope {
  explicit TLoadingScope(bool& flag) : fFlag(flag) { fFlag = true; }
  ~TLoadingScope() { fFlag = false; }
  bool& fFlag;
};

TORVPto Round(double x, double y) { return {Utils::RoundHalfAway(x), Utils::RoundHalfAway(y)}; }

// Points 3 to 8 of a linear dimension whose dimension line passes through `at`.
void LinearPoints(TORDimType type, TORVPto p1, TORVPto p2, TORVPto at, std::int64_t gap, std::int64_t ext,
                  std::array<TORVPto, 6>& out) {
  TPointD e1, e2, normal;
  if (type == TORDimType::Horizontal) {
    e1 = {double(p1.X), double(at.Y)};
    e2 = {double(p2.X), double(at.Y)};
    normal = {0, -1};
  } else if (type == TORDimType::Vertical) {
    e1 = {double(at.X), double(p1.Y)};
    e2 = {double(at.X), double(p2.Y)};
    normal = {-1, 0};
  } else {
    const double dx = double(p2.X - p1.X), dy = double(p2.Y - p1.Y), len = std::hypot(dx, dy);
    normal = len > 0 ? TPointD{-dy / len, dx / len} : TPointD{0, -1};
    const double off = (at.X - p1.X) * normal.X + (at.Y - p1.Y) * normal.Y;
    e1 = {p1.X + normal.X * off, p1.Y + normal.Y * off};
    e2 = {p2.X + normal.X * off, p2.Y + normal.Y * off};
  }
  // Each extension line runs from its measured point towards the dimension line and beyond it.
  auto extension = [&](TORVPto m, TPointD e, TORVPto& foot, TORVPto& far) {
    const double dx = e.X - m.X, dy = e.Y - m.Y, len = std::hypot(dx, dy);
    const TPointD dir = len > 0 ? TPointD{dx / len, dy / len} : normal;
    const double g = std::min(double(gap), len);
    foot = Round(m.X + dir.X * g, m.Y + dir.Y * g);
    far = Round(e.X + dir.X * ext, e.Y + dir.Y * ext);
  };
  extension(p1, e1, out[0], out[4]);
  extension(p2, e2, out[1], out[5]);
  out[2] = Round(e1.X, e1.Y);
  out[3] = Round(e2.X, e2.Y);
}

// The angle between the arms p1-p2 and p3-p4 on the side of the arc's middle (point 7), in
// degrees. The arc's points are rounded to whole coordinates, so an angle measured through them
// reads 60.01 where the arms make 60. False when the arms do not meet or the middle is their
// vertex.
bool ArmsAngle(const std::vector<TORVPto>& pts, double& degrees) {
  if (pts.size() < 8 || pts[0] == pts[1] || pts[2] == pts[3]) return false;
  auto d = [](const TORVPto& q) { return TPointD{double(q.X), double(q.Y)}; };
  TPointD v;
  if (!TDraw2D::IntersectLines(d(pts[0]), d(pts[1]), d(pts[2]), d(pts[3]), false, false, v)) return false;
  const TPointD mid{double(pts[6].X) - v.X, double(pts[6].Y) - v.Y};
  if (mid.X == 0 && mid.Y == 0) return false;
  auto arm = [&](const TORVPto& a, const TORVPto& b) {
    TPointD u{double(b.X - a.X), double(b.Y - a.Y)};
    if (u.X * mid.X + u.Y * mid.Y < 0) u = {-u.X, -u.Y};
    return u;
  };
  const TPointD u1 = arm(pts[0], pts[1]), u2 = arm(pts[2], pts[3]);
  degrees = std::atan2(std::abs(u1.X * u2.Y - u1.Y * u2.X), u1.X * u2.X + u1.Y * u2.Y) * 180.0 / kPi;
  return true;
}

void CheckRange(bool ok, const char* what) {
  if (!ok) throw EPLNError(QStringLiteral("dimension style: invalid %1").arg(QLatin1String(what)));
}
}  // namespace

// ---------------------------------------------------------------- style

void TPLNDimStyle::Validate() const {
  CheckRange(FontHeight >= 0.1f && FontHeight <= 1000.0f, "font height");
  CheckRange(static_cast<std::uint8_t>(TextPos) < kTextPosCount, "text position");
  CheckRange(Decimals <= kMaxDecimals, "number of decimals");
  CheckRange(Units >= -1 && Units <= 6, "unit");
  CheckRange(DimPenWidth >= 0 && ExtPenWidth >= 0 && DimPenWidth <= 1e6 && ExtPenWidth <= 1e6, "pen width");
  CheckRange(HeadSize >= 0 && HeadSize <= 10000, "head size");
  CheckRange(ExtSize >= 0 && ExtSize <= 10000 && ExtGap >= 0 && ExtGap <= 10000, "extension size");
  CheckRange(DimBreak >= 0 && DimBreak <= 10000, "dimension break");
  CheckRange(ArrowOpen >= 0 && ArrowOpen <= 10000, "arrow opening");  // the range the .json reader takes
}

void TPLNDimStyle::Write(TBinaryWriter& w) const {
  w.WriteString(Name);
  w.WriteString(FontName);
  w.WriteSingle(FontHeight);
  w.WriteUInt32(FontColor);
  w.WriteByte(static_cast<std::uint8_t>((Bold ? 1 : 0) | (Italic ? 2 : 0) | (Underline ? 4 : 0)));
  w.WriteByte(static_cast<std::uint8_t>(TextPos));
  w.WriteString(Prefix);
  w.WriteString(Suffix);
  w.WriteString(Format);
  w.WriteByte(Decimals);
  w.WriteInt8(Units);
  w.WriteByte(DimLineType);
  w.WriteByte(ExtLineType);
  w.WriteUInt32(DimColor);
  w.WriteUInt32(ExtColor);
  w.WriteDouble(DimPenWidth);
  w.WriteDouble(ExtPenWidth);
  w.WriteByte(HeadType);
  w.WriteUInt32(HeadColor);
  w.WriteUInt32(FillColor);
  w.WriteSingle(HeadSize);
  w.WriteInt16(ArrowOpen);
  w.WriteSingle(ExtSize);
  w.WriteSingle(ExtGap);
  w.WriteSingle(DimBreak);
}

void TPLNDimStyle::Read(TBinaryReader& r) {
  Name = r.ReadString();
  FontName = r.ReadString();
  FontHeight = r.ReadSingle();
  FontColor = r.ReadUInt32();
  const std::uint8_t style = r.ReadByte();
  Bold = style & 1;
  Italic = style & 2;
  Underline = style & 4;
  TextPos = static_cast<TORVTextPos>(r.ReadByte());
  Prefix = r.ReadString();
  Suffix = r.ReadString();
  Format = r.ReadString();
  Decimals = r.ReadByte();
  Units = r.ReadInt8();
  DimLineType = r.ReadByte();
  ExtLineType = r.ReadByte();
  DimColor = r.ReadUInt32();
  ExtColor = r.ReadUInt32();
  DimPenWidth = r.ReadDouble();
  ExtPenWidth = r.ReadDouble();
  HeadType = r.ReadByte();
  HeadColor = r.ReadUInt32();
  FillColor = r.ReadUInt32();
  HeadSize = r.ReadSingle();
  ArrowOpen = r.ReadInt16();
  ExtSize = r.ReadSingle();
  ExtGap = r.ReadSingle();
  DimBreak = r.ReadSingle();
  Validate();
}

QJsonObject TPLNDimStyle::ToJson() const {
  QJsonObject o;
  Json::TJsonObjectSink s(o);
  s.Str("Name", Name);
  s.Str("FontName", FontName);
  s.Num("FontHeight", FontHeight);
  s.Color("FontColor", FontColor);
  s.Bool("Bold", Bold);
  s.Bool("Italic", Italic);
  s.Bool("Underline", Underline);
  s.Int("TextPos", static_cast<std::uint8_t>(TextPos));
  s.Str("Prefix", Prefix);
  s.Str("Suffix", Suffix);
  s.Str("Format", Format);
  s.Int("Decimals", Decimals);
  s.Int("Units", Units);
  s.Int("DimLineType", DimLineType);
  s.Int("ExtLineType", ExtLineType);
  s.Color("DimColor", DimColor);
  s.Color("ExtColor", ExtColor);
  s.Num("DimPenWidth", DimPenWidth);
  s.Num("ExtPenWidth", ExtPenWidth);
  s.Int("HeadType", HeadType);
  s.Color("HeadColor", HeadColor);
  s.Color("FillColor", FillColor);
  s.Num("HeadSize", HeadSize);
  s.Int("ArrowOpen", ArrowOpen);
  s.Num("ExtSize", ExtSize);
  s.Num("ExtGap", ExtGap);
  s.Num("DimBreak", DimBreak);
  return o;
}

void TPLNDimStyle::FromJson(const QJsonObject& o) {
  // Integers that must fit their field before they are narrowed.
  auto small = [&o](const char* key, std::int64_t def, std::int64_t lo, std::int64_t hi) {
    const std::int64_t v = Json::Int(o, key, def);
    if (v < lo || v > hi) throw EPLNError(QStringLiteral("dimension style: \"%1\" out of range").arg(QLatin1String(key)));
    return v;
  };
  Name = Json::Str(o, "Name", Name);
  FontName = Json::Str(o, "FontName", FontName);
  FontHeight = static_cast<float>(Json::Num(o, "FontHeight", FontHeight));
  FontColor = Json::Color(o, "FontColor", FontColor);
  Bold = Json::Bool(o, "Bold", Bold);
  Italic = Json::Bool(o, "Italic", Italic);
  Underline = Json::Bool(o, "Underline", Underline);
  TextPos = static_cast<TORVTextPos>(small("TextPos", static_cast<std::uint8_t>(TextPos), 0, kTextPosCount - 1));
  Prefix = Json::Str(o, "Prefix", Prefix);
  Suffix = Json::Str(o, "Suffix", Suffix);
  Format = Json::Str(o, "Format", Format);
  Decimals = static_cast<std::uint8_t>(small("Decimals", Decimals, 0, kMaxDecimals));
  Units = static_cast<std::int8_t>(small("Units", Units, -1, 6));
  DimLineType = static_cast<TORVineType>(small("DimLineType", DimLineType, 0, 255));
  ExtLineType = static_cast<TORVineType>(small("ExtLineType", ExtLineType, 0, 255));
  DimColor = Json::Color(o, "DimColor", DimColor);
  ExtColor = Json::Color(o, "ExtColor", ExtColor);
  DimPenWidth = Json::Num(o, "DimPenWidth", DimPenWidth);
  ExtPenWidth = Json::Num(o, "ExtPenWidth", ExtPenWidth);
  HeadType = static_cast<TORVTermType>(small("HeadType", HeadType, 0, 255));
  HeadColor = Json::Color(o, "HeadColor", HeadColor);
  FillColor = Json::Color(o, "FillColor", FillColor);
  HeadSize = static_cast<float>(Json::Num(o, "HeadSize", HeadSize));
  ArrowOpen = static_cast<std::int16_t>(small("ArrowOpen", ArrowOpen, 0, 10000));
  ExtSize = static_cast<float>(Json::Num(o, "ExtSize", ExtSize));
  ExtGap = static_cast<float>(Json::Num(o, "ExtGap", ExtGap));
  DimBreak = static_cast<float>(Json::Num(o, "DimBreak", DimBreak));
  Validate();
}

// ---------------------------------------------------------------- dimension

TPLNBaseDim::TPLNBaseDim(TPLNBaseLabel* owner, TORDimType type, bool preview)
    : TPLNBaseItem(owner, preview), fDimType(type) {
  if (owner) fStyle = owner->GetActiveDimStyleIndex();
  fPoints.resize(10);
}
TPLNBaseDim::TPLNBaseDim(TPLNBaseLabel* owner, TPLNLayer* layer, TORDimType type, bool preview)
    : TPLNBaseItem(owner, layer, preview), fDimType(type) {
  if (owner) fStyle = owner->GetActiveDimStyleIndex();
  fPoints.resize(10);
}

void TPLNBaseDim::SetDimStyleIndex(int i) {
  if (i < 1 || (Owner() && i > Owner()->GetDimStylesCount())) return;
  Set(fStyle, i);
}

const TPLNDimStyle& TPLNBaseDim::GetDimStyle() const {
  if (Owner())
    if (const TPLNDimStyle* s = Owner()->GetDimStyle(fStyle)) return *s;
  static const TPLNDimStyle builtIn;
  return builtIn;
}

void TPLNBaseDim::CheckPointCount(int n) const {
  if (n != 8 && n != 10) throw EPLNError(QStringLiteral("Dim needs 8 or 10 points, not %1").arg(n));
}

void TPLNBaseDim::UpdatePoints() {
  if (fPoints.size() < 10) {
    fPoints.resize(8);
    // No caption box yet: the middle of the dimension line.
    const TORVPto mid{(fPoints[4].X + fPoints[5].X) / 2, (fPoints[4].Y + fPoints[5].Y) / 2};
    fPoints.push_back(mid);
    fPoints.push_back(mid);
  }
  if (!fLoading) CalcValues(0);
}

double TPLNBaseDim::MeasuredLength() const {
  const TORVPto a = GetPoint(1), b = GetPoint(2);
  const double dx = double(b.X - a.X), dy = double(b.Y - a.Y);
  switch (fDimType) {
    case TORDimType::Horizontal: return std::abs(dx);
    case TORDimType::Vertical: return std::abs(dy);
    // Drawn outside, a diameter keeps only the centre and one end: twice the radius.
    case TORDimType::DiameterOutside: return 2 * std::hypot(dx, dy);
    default: return std::hypot(dx, dy);
  }
}

void TPLNBaseDim::CalcValues(std::int16_t /*mode*/) {
  const TPLNDimStyle& s = GetDimStyle();
  QString number;
  if (fDimType == TORDimType::Angle) {
    if (!ArmsAngle(fPoints, fValue)) {
      TPointD c;
      double r, start, sweep;
      const TORVPto p5 = GetPoint(5), p7 = GetPoint(7), p6 = GetPoint(6);
      fValue = TDraw2D::ArcThreePoints({double(p5.X), double(p5.Y)}, {double(p7.X), double(p7.Y)},
                                       {double(p6.X), double(p6.Y)}, c, r, start, sweep)
                   ? std::abs(sweep) * 180.0 / kPi
                   : 0.0;
    }
    number = FormatNumber(fValue, s.Format, s.Decimals) + QChar(0x00B0);
  } else {
    const TORVUnits units = s.Units >= 0 ? static_cast<TORVUnits>(s.Units)
                                         : (Owner() ? Owner()->GetUnits() : TORVUnits::mm);
    // Coordinates are real-world lengths (a drawing scale only changes how they are drawn).
    fValue = MeasuredLength() / Utils::UnitFactor(units);
    number = FormatNumber(fValue, s.Format, s.Decimals);
    if (fDimType == TORDimType::RadiusInside || fDimType == TORDimType::RadiusOutside)
      number.prepend(QLatin1Char('R'));
    else if (fDimType == TORDimType::DiameterInside || fDimType == TORDimType::DiameterOutside)
      number.prepend(QChar(0x00D8));
  }
  const QString measured = s.Prefix + number + s.Suffix;
  fCaption = fTextMeasure ? measured : QString(fText).replace(QStringLiteral("<>"), measured);
}

void TPLNBaseDim::PlaceExtensions(std::int64_t gap, std::int64_t ext) {
  if (!IsLinearDim(fDimType) || fPoints.size() < 8) return;
  std::array<TORVPto, 6> pts;
  LinearPoints(fDimType, fPoints[0], fPoints[1], fPoints[4], gap, ext, pts);
  if (std::equal(pts.begin(), pts.end(), fPoints.begin() + 2)) return;
  std::copy(pts.begin(), pts.end(), fPoints.begin() + 2);
  // Style changes place the extensions again without a change of the dimension itself.
  BoundsChanged();
}

void TPLNBaseDim::WriteData(TBinaryWriter& w) const {
  TPLNBaseItem::WriteData(w);
  w.WriteByte(static_cast<std::uint8_t>(fDimType));
  w.WriteInt32(fStyle);
  w.WriteString(fText);
  w.WriteBoolean(fTextMeasure);
  w.WriteBoolean(fDimExt);
}

namespace {
// A style number read from a record: a pasted or preview copy may come from another document and
// falls back to the active style; a file must name a style it holds.
int StyleFromRecord(const TPLNBaseLabel* owner, std::int64_t style, TORVReadType readType) {
  if (!owner) return style >= 1 && style <= INT32_MAX ? static_cast<int>(style) : 1;
  if (style >= 1 && style <= owner->GetDimStylesCount()) return static_cast<int>(style);
  if (readType != TORVReadType::File) return owner->GetActiveDimStyleIndex();
  throw EPLNError(QStringLiteral("Dim with dimension style %1, which does not exist").arg(style));
}
void CheckDimType(std::int64_t t) {
  if (t < 0 || t >= kDimTypeCount) throw EPLNError(QStringLiteral("\"DimType\" must be between 0 and 7"));
}
}  // namespace

void TPLNBaseDim::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  {
    TLoadingScope loading(fLoading);
    TPLNBaseItem::ReadData(version, r, readType);
    const std::uint8_t type = r.ReadByte();
    CheckDimType(type);
    fDimType = static_cast<TORDimType>(type);
    fStyle = StyleFromRecord(Owner(), r.ReadInt32(), readType);
    fText = r.ReadString();
    fTextMeasure = r.ReadBoolean();
    fDimExt = r.ReadBoolean();
  }
  UpdatePoints();
}

void TPLNBaseDim::WriteJson(Json::TJsonSink& o) const {
  TPLNBaseItem::WriteJson(o);
  o.Int("DimType", static_cast<std::uint8_t>(fDimType));
  o.Int("DimStyle", fStyle);
  if (!fText.isEmpty()) o.Str("Text", fText);
  o.Bool("TextMeasure", fTextMeasure);
  o.Bool("DimExt", fDimExt);
}

void TPLNBaseDim::ReadJson(std::int32_t version, const QJsonObject& o) {
  {
    TLoadingScope loading(fLoading);
    TPLNBaseItem::ReadJson(version, o);
    const std::int64_t type = Json::Int(o, "DimType", static_cast<std::uint8_t>(fDimType));
    CheckDimType(type);
    fDimType = static_cast<TORDimType>(type);
    fStyle = StyleFromRecord(Owner(), Json::Int(o, "DimStyle", 1), TORVReadType::File);
    fText = Json::Str(o, "Text");
    fTextMeasure = Json::Bool(o, "TextMeasure", true);
    fDimExt = Json::Bool(o, "DimExt", true);
  }
  UpdatePoints();
}

// ---------------------------------------------------------------- free functions

TORDimType CalcDimPoints(const TORVPto& p1, const TORVPto& p2, const TORVPto& p3, std::int64_t gap, std::int64_t ext,
                         std::array<TORVPto, 6>& out) {
  const bool inX = p3.X >= std::min(p1.X, p2.X) && p3.X <= std::max(p1.X, p2.X);
  const bool inY = p3.Y >= std::min(p1.Y, p2.Y) && p3.Y <= std::max(p1.Y, p2.Y);
  TORDimType type = TORDimType::Aligned;
  if (p1.Y == p2.Y && p1.X != p2.X)
    type = TORDimType::Horizontal;
  else if (p1.X == p2.X && p1.Y != p2.Y)
    type = TORDimType::Vertical;
  else if (inX && !inY)
    type = TORDimType::Horizontal;
  else if (inY && !inX)
    type = TORDimType::Vertical;
  LinearPoints(type, p1, p2, p3, gap, ext, out);
  return type;
}

QString FormatNumber(double value, const QString& format, int decimals) {
  if (!std::isfinite(value)) return QString();
  int minWhole = 1, minFrac = 0, maxFrac = 0;
  bool group = false;
  if (format.isEmpty()) {
    minFrac = maxFrac = std::clamp(decimals, 0, kMaxDecimals);
  } else {
    const qsizetype dot = format.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? format : format.left(dot);
    minWhole = static_cast<int>(whole.count(QLatin1Char('0')));
    group = whole.contains(QLatin1Char(','));
    for (QChar ch : dot < 0 ? QString() : format.mid(dot + 1)) {
      if (ch == QLatin1Char('0')) ++minFrac;
      if (ch == QLatin1Char('0') || ch == QLatin1Char('#')) ++maxFrac;
    }
    maxFrac = std::min(maxFrac, kMaxDecimals);
    minFrac = std::min(minFrac, maxFrac);
  }
  // The C locale: a decimal point and no grouping, whatever the user's locale.
  const QString digits = QLocale::c().toString(std::abs(value), 'f', maxFrac);
  const qsizetype dot = digits.indexOf(QLatin1Char('.'));
  QString whole = dot < 0 ? digits : digits.left(dot);
  QString frac = dot < 0 ? QString() : digits.mid(dot + 1);
  while (frac.size() > minFrac && frac.endsWith(QLatin1Char('0'))) frac.chop(1);
  if (whole == QLatin1String("0") && minWhole == 0 && !frac.isEmpty()) whole.clear();
  while (whole.size() < minWhole) whole.prepend(QLatin1Char('0'));
  if (group)
    for (qsizetype i = whole.size() - 3; i > 0; i -= 3) whole.insert(i, QLatin1Char(','));
  QString out = frac.isEmpty() ? whole : whole + QLatin1Char('.') + frac;
  // A value that rounds to zero has no sign.
  const bool zero = std::all_of(out.begin(), out.end(), [](QChar c) { return !c.isDigit() || c == QLatin1Char('0'); });
  if (value < 0 && !zero) out.prepend(QLatin1Char('-'));
  return out.isEmpty() ? QStringLiteral("0") : out;
}

// ---------------------------------------------------------------- editing geometry

namespace {
namespace G = EditGeom;
}  // namespace

void TPLNBaseDim::Replaced() {
  if (Owner()) Owner()->AsignDimPosition(this, false);
  Update();
}

bool TPLNBaseDim::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 8) return false;
  const double t = double(tolerance + static_cast<std::int64_t>(GetPenWidth() / 2));
  const double px = double(x), py = double(y);
  auto near = [&](int a, int b) { return G::DistSeg(px, py, fPoints[a - 1], fPoints[b - 1]) <= t; };
  if (fPoints.size() >= 10 && G::Inside(G::BoxOf(fPoints[8], fPoints[9]), x, y, tolerance)) return true;
  if (IsLinearDim(fDimType)) return near(5, 6) || near(3, 7) || near(4, 8);
  if (fDimType == TORDimType::Angle) return near(1, 2) || near(3, 4) || near(5, 7) || near(7, 6);
  // Drawn outside, only the leader and the shelf are drawn.
  if (fDimType == TORDimType::RadiusOutside || fDimType == TORDimType::DiameterOutside) return near(3, 2) || near(3, 4);
  return near(1, 2) || near(3, 4) || near(5, 6);
}

namespace {
// A radius or diameter as the circle it measures and the direction of its leader.
struct TRound {
  double cx, cy, r, a;
};
TRound RoundOfDim(TORDimType type, const std::vector<TORVPto>& pts) {
  TRound o;
  if (type == TORDimType::DiameterInside) {
    o.cx = (double(pts[0].X) + double(pts[1].X)) / 2, o.cy = (double(pts[0].Y) + double(pts[1].Y)) / 2;
  } else {
    o.cx = double(pts[0].X), o.cy = double(pts[0].Y);
  }
  const double dx = double(pts[type == TORDimType::DiameterInside ? 0 : 1].X) - o.cx;
  const double dy = double(pts[type == TORDimType::DiameterInside ? 0 : 1].Y) - o.cy;
  o.r = std::hypot(dx, dy);
  o.a = o.r > 0 ? std::atan2(dy, dx) : 0.0;
  return o;
}
// Points 1 to 8 of a radius or diameter on `c`, laid out as it was first drawn: inside, a shelf of
// the length it had; outside, a leader and a leg of the lengths they had.
void PlaceRound(TORDimType type, const TRound& c, std::vector<TORVPto>& pts) {
  const double cs = std::cos(c.a), sn = std::sin(c.a);
  const TORVPto centre = Round(c.cx, c.cy), p = Round(c.cx + c.r * cs, c.cy + c.r * sn);
  const std::int64_t shelf = std::llabs(pts[3].X - pts[2].X);
  const std::int64_t side = cs < 0 ? -shelf : shelf;
  if (type == TORDimType::RadiusInside || type == TORDimType::DiameterInside) {
    const TORVPto end{p.X + side, p.Y};
    if (type == TORDimType::RadiusInside) {
      pts[0] = centre, pts[1] = p, pts[4] = centre, pts[5] = p;
    } else {
      const TORVPto opp = Round(c.cx - c.r * cs, c.cy - c.r * sn);
      pts[0] = p, pts[1] = opp, pts[4] = p, pts[5] = opp;
    }
    pts[2] = p, pts[3] = end, pts[7] = end;
    pts[6] = pts[5];
    return;
  }
  const double e = G::Dist(pts[1], pts[2]);
  const TORVPto q = Round(double(p.X) + e * cs, double(p.Y) + e * sn);
  const TORVPto leg{q.X + side, q.Y};
  pts[0] = centre, pts[1] = p, pts[2] = q, pts[3] = leg, pts[4] = centre, pts[5] = p, pts[6] = p, pts[7] = leg;
}
}  // namespace

void TPLNBaseDim::PlaceLeader(std::int64_t leader, std::int64_t shelf) {
  if (IsLinearDim(fDimType) || fDimType == TORDimType::Angle || fPoints.size() < 8) return;
  const TRound c = RoundOfDim(fDimType, fPoints);
  const double cs = std::cos(c.a), sn = std::sin(c.a);
  const bool outside = fDimType == TORDimType::RadiusOutside || fDimType == TORDimType::DiameterOutside;
  const TORVPto p = fPoints[fDimType == TORDimType::DiameterInside ? 0 : 1];
  const TORVPto q = outside ? Round(double(p.X) + double(leader) * cs, double(p.Y) + double(leader) * sn) : p;
  const std::int64_t len = outside ? std::max(shelf, fCaptionRoom) : shelf;
  const TORVPto end{q.X + (cs < 0 ? -len : len), q.Y};
  if (fPoints[2] == q && fPoints[3] == end && fPoints[7] == end) return;
  fPoints[2] = q, fPoints[3] = end, fPoints[7] = end;
  BoundsChanged();
}

bool CalcAnglePoints(const TORVPto& p1, const TORVPto& p2, const TORVPto& p3, const TORVPto& p4, const TORVPto& at,
                     std::array<TORVPto, 3>& out) {
  auto d = [](const TORVPto& q) { return TPointD{double(q.X), double(q.Y)}; };
  const TPointD p = d(at);
  if (p1 == p2 || p3 == p4) return false;
  TPointD v;
  if (!TDraw2D::IntersectLines(d(p1), d(p2), d(p3), d(p4), false, false, v)) return false;
  const double aP = TDraw2D::NormalizeAngle(std::atan2(p.Y - v.Y, p.X - v.X));
  // Each line's direction from the vertex on the side of the radius point.
  auto side = [&](TPointD a, TPointD b) {
    double dir = std::atan2(b.Y - a.Y, b.X - a.X);
    if ((b.X - a.X) * (p.X - v.X) + (b.Y - a.Y) * (p.Y - v.Y) < 0) dir = TDraw2D::NormalizeAngle(dir + kPi);
    return dir;
  };
  const double a1 = side(d(p1), d(p2)), a2 = side(d(p3), d(p4));
  const bool between = TDraw2D::NormalizeAngle(aP - a1) <= TDraw2D::NormalizeAngle(a2 - a1);
  const double start = between ? a1 : a2, end = between ? a2 : a1;
  const double r = std::max(1.0, std::hypot(p.X - v.X, p.Y - v.Y));
  auto on = [&](double a) { return Round(v.X + r * std::cos(a), v.Y + r * std::sin(a)); };
  // Point 7 goes to the middle of the arc: `at` may lie on an arm, where it would not tell the arc.
  out = {on(start), on(end), on(start + TDraw2D::NormalizeAngle(end - start) / 2)};
  return true;
}

void TPLNBaseDim::GetSelPoints(std::vector<TORVSelPoint>& out) const {
  if (fPoints.size() < 8) return;
  auto* self = const_cast<TPLNBaseDim*>(this);
  if (IsLinearDim(fDimType)) {
    for (int i : {1, 2, 5}) out.push_back({fPoints[i - 1], TORVHandleKind::Point, i, self});
  } else if (fDimType == TORDimType::Angle) {
    // Arms sharing their vertex show it once; it moves both.
    const bool shared = fPoints[0] == fPoints[2];
    for (int i : {1, 2, 3, 4})
      if (i != 3 || !shared) out.push_back({fPoints[i - 1], TORVHandleKind::Point, i, self});
    out.push_back({fPoints[7], TORVHandleKind::Radius, 8, self});
  } else {
    // The rim point measured, and the leader's end where the caption stands.
    const int rim = fDimType == TORDimType::DiameterInside ? 1 : 2;
    out.push_back({fPoints[rim - 1], TORVHandleKind::Radius, rim, self});
    out.push_back({fPoints[3], TORVHandleKind::Point, 4, self});
  }
}

void TPLNBaseDim::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  if (fPoints.size() < 8) return;
  if (kind == snPoint || kind == snEndPoint) out.insert(out.end(), {fPoints[4], fPoints[5]});
}

void TPLNBaseDim::MovePoint(int index, std::int64_t x, std::int64_t y) {
  if (fPoints.size() < 8) return;
  if (IsLinearDim(fDimType)) {
    if (index != 1 && index != 2 && index != 5) return;
    fPoints[index - 1] = {x, y};
    Replaced();
    return;
  }
  if (fDimType == TORDimType::Angle) {
    if (index < 1 || (index > 4 && index != 8)) return;
    std::array<TORVPto, 8> p;
    std::copy(fPoints.begin(), fPoints.begin() + 8, p.begin());
    if (index == 1 && p[0] == p[2]) p[2] = {x, y};
    p[index - 1] = {x, y};
    std::array<TORVPto, 3> arc;
    // Arms that no longer meet keep the dimension as it was.
    if (!CalcAnglePoints(p[0], p[1], p[2], p[3], p[7], arc)) return;
    p[4] = arc[0], p[5] = arc[1], p[6] = arc[2];
    std::copy(p.begin(), p.end(), fPoints.begin());
    Update();
    return;
  }
  const int rim = fDimType == TORDimType::DiameterInside ? 1 : 2;
  if (index != rim && index != 4) return;
  TRound c = RoundOfDim(fDimType, fPoints);
  const double dx = double(x) - c.cx, dy = double(y) - c.cy;
  if (dx == 0 && dy == 0) return;
  c.a = std::atan2(dy, dx);
  // The rim point measures anew; the caption only goes round the circle.
  if (index == rim) c.r = std::hypot(dx, dy);
  PlaceRound(fDimType, c, fPoints);
  Update();
}

void TPLNBaseDim::Resize(const TORVBounds& from, const TORVBounds& to) {
  for (TORVPto& p : fPoints) p = G::MapPoint(p, from, to);
  Replaced();
}

void TPLNBaseDim::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  for (TORVPto& p : fPoints) p = G::RotatePoint(p, cx, cy, angle);
  if (IsLinearDim(fDimType)) {
    const int q = G::QuarterTurns(angle);
    if (q < 0) {
      fDimType = TORDimType::Aligned;
    } else if (q % 2 == 1 && fDimType != TORDimType::Aligned) {
      fDimType = fDimType == TORDimType::Horizontal ? TORDimType::Vertical : TORDimType::Horizontal;
    }
  }
  Replaced();
}

}  // namespace Orv::Line

// ---------------------------------------------------------------- caption layout

namespace Orv::Utils {

void PosBaseLinesText(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t textWidth,
                      std::int64_t fontHeight, std::int64_t ascent, std::int64_t descent, std::int64_t gap,
                      Line::TORVTextPos pos, TORVPto& box1, TORVPto& box2, TORVPto& screen, TORVPto& print,
                      float& angle) {
  using Line::TORVTextPos;
  constexpr double kPi = 3.14159265358979323846;
  const double dx = double(x2 - x1), dy = double(y2 - y1), len = std::hypot(dx, dy);
  const double a = len > 0 ? std::atan2(dy, dx) : 0.0;
  const double mx = (x1 + x2) / 2.0, my = (y1 + y2) / 2.0;
  const double w = double(textWidth), h = ascent + descent > 0 ? double(ascent + descent) : double(fontHeight);

  double t = a;
  if (pos == TORVTextPos::Horizontal) {
    t = 0;
  } else if (pos == TORVTextPos::Vertical) {
    t = -kPi / 2;
  } else {
    if (t >= kPi / 2) t -= kPi;
    if (t < -kPi / 2) t += kPi;
  }
  // Reading direction and the direction the text's top faces (y-down).
  const double ux = std::cos(t), uy = std::sin(t), upx = uy, upy = -ux;
  // Distance of the text's descent line from the line, towards its top.
  const double bottom = pos == TORVTextPos::Above ? double(gap) : pos == TORVTextPos::Below ? -double(gap) - h : -h / 2;
  auto at = [&](double along, double up) {
    return TORVPto{RoundHalfAway(mx + ux * along + upx * up), RoundHalfAway(my + uy * along + upy * up)};
  };
  screen = at(-w / 2, bottom + descent);
  print = at(-w / 2, bottom + h);
  angle = static_cast<float>(t);
  if (!Line::TextInLine(pos)) {
    box1 = at(-w / 2, bottom);
    box2 = at(w / 2, bottom + h);
    return;
  }
  // Half the box the line must not cross, along and across the text, and how far from the middle
  // the line leaves it.
  const double halfAlong = w / 2 + gap, halfAcross = h / 2 + gap;
  const double cx = len > 0 ? dx / len : 1.0, cy = len > 0 ? dy / len : 0.0;
  const double along = std::abs(cx * ux + cy * uy), across = std::abs(cx * upx + cy * upy);
  double s = len / 2;
  if (along > 1e-12) s = std::min(s, halfAlong / along);
  if (across > 1e-12) s = std::min(s, halfAcross / across);
  box1 = {RoundHalfAway(mx - cx * s), RoundHalfAway(my - cy * s)};
  box2 = {RoundHalfAway(mx + cx * s), RoundHalfAway(my + cy * s)};
}

}  // namespace Orv::Utils

// ---------------------------------------------------------------- the document's part

namespace Orv {

void TPLNBaseLabel::AsignDimPosition(Line::TPLNBaseDim* dim, bool notify) {
  if (!dim || dim->GetDimType() == Line::TORDimType::Angle) return;
  const Line::TPLNDimStyle& s = dim->GetDimStyle();
  // Style sizes are millimetres on paper: at 1:N they span N times as many coordinates.
  const double paper = 1000.0 * static_cast<double>(GetCoordMultiplier());
  const std::int64_t ext = Utils::RoundHalfAway(s.GetExtSize() * paper);
  if (Line::IsLinearDim(dim->GetDimType())) {
    dim->PlaceExtensions(Utils::RoundHalfAway(s.GetExtGap() * paper), ext);
  } else {
    // The leader carries the arrowhead and runs the extension size beyond it: a leader of the
    // extension size alone would end inside a head of the usual size. The shelf is twice the
    // extension size, as radius and diameter dimensions are first drawn.
    const std::int64_t head = s.HeadType != 0 ? Utils::RoundHalfAway(s.GetHeadSize() * paper) : 0;
    dim->PlaceLeader(head + ext, 2 * ext);
  }
  if (notify) NotifyChange(TORChange::Items, reinterpret_cast<TORChangeValue>(dim));
}

void TPLNBaseLabel::CalcDimValues() {
  for (const auto& it : fItems)
    if (auto* dim = dynamic_cast<Line::TPLNBaseDim*>(it.get())) dim->CalcValues(0);
  NotifyChange(TORChange::Items);
}

}  // namespace Orv
