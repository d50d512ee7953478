#include "ORV.Symbol.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSaveFile>
#include <QUuid>
#include <algorithm>
#include <cmath>

#include "ORV.EditGeom.h"
#include "ORV.Json.h"
#include "ORV.Utils.h"

namespace Orv::Symbol {

using Utils::RoundHalfAway;

namespace {

constexpr double kPi = 3.14159265358979323846;
// The smallest stored command: kind, value, flag, colour, empty text, point count, start,
// sweep, both alignments and the angle.
constexpr qint64 kMinItemBytes = 1 + 8 + 1 + 4 + 1 + 4 + 8 + 8 + 1 + 1 + 8;
// Name, category, note and GUID (empty), units, insertion point, flag and the two counts.
constexpr qint64 kMinSymbolBytes = 4 + 1 + 8 + 8 + 1 + 4 + 4;
constexpr char kLibraryMagic[6] = {'P', 'L', 'N', 'L', 'Y', 'P'};
// Text extents are estimated without measuring: an average glyph is this much of the height.
constexpr double kGlyphWidth = 0.6;
// The font height a symbol's texts start with (a new layer's, 3.5 mm).
constexpr double kDefaultFontHeight = 3500;

const char* const kKindNames[kSymKindCount] = {
    "PenWidth", "Fill",      "RoundCap", "ScalePen",  "FColor", "BColor", "LineType", "FontColor",
    "FontHeight", "FontName", "Bold",    "Italic",    "Underline", "Line", "Circle", "Ellipse",
    "Rectangle", "Polyline", "Arc",      "Text",      "Bezier", "Path",   "Sector",   "FontScale",
};
const char* const kHAlignNames[] = {"Left", "Center", "Right", "Justify"};
const char* const kVAlignNames[] = {"Top", "Center", "Bottom"};

QString KindName(TSymKind k) { return QLatin1String(kKindNames[static_cast<int>(k)]); }

bool IsFlagKind(TSymKind k) {
  switch (k) {
    case TSymKind::Fill:
    case TSymKind::RoundCap:
    case TSymKind::ScalePen:
    case TSymKind::Bold:
    case TSymKind::Italic:
    case TSymKind::Underline:
    case TSymKind::Path: return true;
    default: return false;
  }
}
bool IsValueKind(TSymKind k) {
  return k == TSymKind::PenWidth || k == TSymKind::LineType || k == TSymKind::FontHeight || k == TSymKind::FontScale;
}
bool IsColorKind(TSymKind k) { return k == TSymKind::FColor || k == TSymKind::BColor || k == TSymKind::FontColor; }
bool HasAngles(TSymKind k) { return k == TSymKind::Arc || k == TSymKind::Sector; }

bool InRange(std::int64_t v) { return v >= -kMaxCoord && v <= kMaxCoord; }

// Why a command cannot be drawn as it stands; empty when it can. Every reader and the builder
// check with it, so the drawing code may rely on the points each kind needs.
QString CheckItem(const TPLNSymItem& it) {
  const auto n = it.Points.size();
  auto need = [&](std::size_t count) {
    return n == count ? QString() : QStringLiteral("%1 needs %2 points, not %3").arg(KindName(it.Kind)).arg(count).arg(n);
  };
  for (const TORVPto& p : it.Points)
    if (!InRange(p.X) || !InRange(p.Y)) return QStringLiteral("%1 lies beyond the drawing's range").arg(KindName(it.Kind));
  if (!std::isfinite(it.Value) || !std::isfinite(it.Start) || !std::isfinite(it.Sweep) || !std::isfinite(it.Angle))
    return QStringLiteral("%1 holds an invalid number").arg(KindName(it.Kind));
  if (static_cast<int>(it.HAlign) > 3 || static_cast<int>(it.VAlign) > 2)
    return QStringLiteral("%1 has an unknown alignment").arg(KindName(it.Kind));
  switch (it.Kind) {
    case TSymKind::PenWidth:
    case TSymKind::FontHeight:
      if (it.Value < 0 || it.Value > double(kMaxCoord)) return QStringLiteral("%1 must be 0 or more").arg(KindName(it.Kind));
      break;
    case TSymKind::FontScale:
      if (!(it.Value > 0) || it.Value > 1000) return QStringLiteral("FontScale must be above 0");
      break;
    case TSymKind::LineType:
      if (it.Value < 0 || it.Value > 255 || it.Value != std::floor(it.Value))
        return QStringLiteral("LineType must be a whole number from 0 to 255");
      break;
    case TSymKind::Line:
    case TSymKind::Rectangle:
      if (QString e = need(2); !e.isEmpty()) return e;
      if (it.Kind == TSymKind::Rectangle && (it.Value < 0 || it.Value > double(kMaxCoord)))
        return QStringLiteral("Rectangle's corner radius must be 0 or more");
      break;
    case TSymKind::Circle:
    case TSymKind::Ellipse:
    case TSymKind::Arc:
    case TSymKind::Sector:
      if (QString e = need(2); !e.isEmpty()) return e;
      if (it.Points[1].X < 0 || it.Points[1].Y < 0) return QStringLiteral("%1 with a negative radius").arg(KindName(it.Kind));
      if (HasAngles(it.Kind) && std::abs(it.Sweep) > 360)
        return QStringLiteral("%1 sweeps more than 360 degrees").arg(KindName(it.Kind));
      break;
    case TSymKind::Text: return need(1);
    case TSymKind::Polyline:
      if (n < 2) return QStringLiteral("Polyline needs at least 2 points, not %1").arg(n);
      break;
    case TSymKind::Bezier:
      if (n < 4 || (n - 1) % 3 != 0) return QStringLiteral("Bezier needs 1 + 3k points (at least 4), not %1").arg(n);
      break;
    default:
      if (n != 0) return QStringLiteral("%1 takes no points").arg(KindName(it.Kind));
      break;
  }
  return {};
}

// Page angle in degrees, counter-clockwise from +x as seen on the y-down page.
double PageAngle(double dx, double dy) { return std::atan2(-dy, dx) * 180.0 / kPi; }
double Norm360(double a) {
  a = std::fmod(a, 360.0);
  return a < 0 ? a + 360.0 : a;
}

// The extent of an arc of the circle (c, r) from `start` over `sweep` degrees.
void AddArc(TORVBounds& b, const TORVPto& c, double r, double start, double sweep) {
  auto at = [&](double deg) {
    const double a = deg * kPi / 180.0;
    b.Add(RoundHalfAway(double(c.X) + r * std::cos(a)), RoundHalfAway(double(c.Y) - r * std::sin(a)));
  };
  at(start);
  at(start + sweep);
  const double from = sweep >= 0 ? start : start + sweep, span = std::abs(sweep);
  for (int q = 0; q < 4; ++q)
    if (Norm360(q * 90.0 - from) <= span + 1e-9) at(q * 90.0);
}

// A rough box of a text: glyphs kGlyphWidth of the height wide, one line per line break.
void AddText(TORVBounds& b, const TPLNSymItem& it, double height, double scale) {
  const QStringList lines = it.Text.split(QLatin1Char('\n'));
  qsizetype longest = 0;
  for (const QString& l : lines) longest = std::max(longest, l.size());
  const double w = kGlyphWidth * height * scale * double(longest), h = height * double(lines.size());
  double x0 = 0, y0 = 0;
  if (it.HAlign == TORVHorzAlign::Center) x0 = -w / 2;
  if (it.HAlign == TORVHorzAlign::Right) x0 = -w;
  if (it.VAlign == TORVVertAlign::Center) y0 = -h / 2;
  if (it.VAlign == TORVVertAlign::Bottom) y0 = -h;
  const double a = it.Angle * kPi / 180.0, c = std::cos(a), s = std::sin(a);
  const TORVPto o = it.Points[0];
  for (double x : {x0, x0 + w})
    for (double y : {y0, y0 + h})
      // Counter-clockwise on the page, whose y grows downwards.
      b.Add(o.X + RoundHalfAway(x * c + y * s), o.Y + RoundHalfAway(-x * s + y * c));
}

TSymKind KindFromJson(const QJsonValue& v, QString& error) {
  if (v.isString()) {
    for (int i = 0; i < kSymKindCount; ++i)
      if (v.toString().compare(QLatin1String(kKindNames[i]), Qt::CaseInsensitive) == 0) return static_cast<TSymKind>(i);
    error = QStringLiteral("unknown command kind \"%1\"").arg(Utils::QuoteForMessage(v.toString(), 40));
  } else if (v.isDouble()) {
    const double d = v.toDouble();
    if (d >= 0 && d < kSymKindCount && d == std::floor(d)) return static_cast<TSymKind>(static_cast<int>(d));
    error = QStringLiteral("unknown command kind %1").arg(d);
  } else {
    error = QStringLiteral("\"Kind\" is missing or not a name");
  }
  return TSymKind::Line;
}

template <std::size_t N>
int AlignFromJson(const QJsonObject& o, const char* key, const char* const (&names)[N], int def) {
  const QJsonValue v = o.value(QLatin1String(key));
  if (v.isUndefined() || v.isNull()) return def;
  if (v.isString()) {
    for (std::size_t i = 0; i < N; ++i)
      if (v.toString().compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  } else if (v.isDouble()) {
    const double d = v.toDouble();
    if (d >= 0 && d < double(N) && d == std::floor(d)) return static_cast<int>(d);
  }
  throw EPLNError(QStringLiteral("\"%1\" is not a known alignment").arg(QLatin1String(key)));
}

QJsonObject ItemToJson(const TPLNSymItem& it) {
  QJsonObject o;
  o.insert(QStringLiteral("Kind"), KindName(it.Kind));
  if (IsFlagKind(it.Kind)) o.insert(QStringLiteral("Value"), it.Flag);
  if (IsValueKind(it.Kind)) o.insert(QStringLiteral("Value"), it.Value);
  if (IsColorKind(it.Kind)) o.insert(QStringLiteral("Color"), Json::ColorValue(it.Color));
  if (it.Kind == TSymKind::FontName || it.Kind == TSymKind::Text) o.insert(QStringLiteral("Text"), it.Text);
  if (!it.Points.empty()) o.insert(QStringLiteral("Points"), Json::PointsValue(it.Points));
  if (it.Kind == TSymKind::Rectangle && it.Value != 0) o.insert(QStringLiteral("Value"), it.Value);
  if (it.Kind == TSymKind::Polyline || it.Kind == TSymKind::Bezier) o.insert(QStringLiteral("Closed"), it.Flag);
  if (HasAngles(it.Kind)) {
    o.insert(QStringLiteral("Start"), it.Start);
    o.insert(QStringLiteral("Sweep"), it.Sweep);
  }
  if (it.Kind == TSymKind::Text) {
    o.insert(QStringLiteral("HAlign"), QLatin1String(kHAlignNames[static_cast<int>(it.HAlign)]));
    o.insert(QStringLiteral("VAlign"), QLatin1String(kVAlignNames[static_cast<int>(it.VAlign)]));
    if (it.Angle != 0) o.insert(QStringLiteral("Angle"), it.Angle);
  }
  return o;
}

// Raises EPLNError (naming the key) for a malformed command.
TPLNSymItem ItemFromJson(const QJsonObject& o) {
  TPLNSymItem it;
  QString error;
  it.Kind = KindFromJson(o.value(QStringLiteral("Kind")), error);
  if (!error.isEmpty()) throw EPLNError(error);
  if (IsFlagKind(it.Kind)) it.Flag = Json::Bool(o, "Value", false);
  if (IsValueKind(it.Kind)) it.Value = Json::Num(o, "Value", it.Kind == TSymKind::FontScale ? 1.0 : 0.0);
  if (IsColorKind(it.Kind)) it.Color = Json::Color(o, "Color", kBlack);
  if (it.Kind == TSymKind::FontName || it.Kind == TSymKind::Text) it.Text = Json::Str(o, "Text");
  if (it.IsGeometry()) it.Points = Json::Points(o, "Points");
  if (it.Kind == TSymKind::Rectangle) it.Value = Json::Num(o, "Value", 0);
  if (it.Kind == TSymKind::Polyline || it.Kind == TSymKind::Bezier) it.Flag = Json::Bool(o, "Closed", false);
  if (HasAngles(it.Kind)) {
    it.Start = Json::Num(o, "Start", 0);
    it.Sweep = Json::Num(o, "Sweep", 360);
  }
  if (it.Kind == TSymKind::Text) {
    it.HAlign = static_cast<TORVHorzAlign>(AlignFromJson(o, "HAlign", kHAlignNames, 0));
    it.VAlign = static_cast<TORVVertAlign>(AlignFromJson(o, "VAlign", kVAlignNames, 0));
    it.Angle = Json::Num(o, "Angle", 0);
  }
  if (const QString e = CheckItem(it); !e.isEmpty()) throw EPLNError(e);
  return it;
}

bool UnitFromJsonName(const QString& name, TORVUnits* out) {
  if (Utils::UnitFromName(name, out)) return true;
  static const struct {
    const char* name;
    TORVUnits units;
  } aliases[] = {{"inch", TORVUnits::inch}, {"inches", TORVUnits::inch}, {"foot", TORVUnits::foot},
                 {"feet", TORVUnits::foot}, {"yard", TORVUnits::yard}};
  for (const auto& a : aliases)
    if (name.compare(QLatin1String(a.name), Qt::CaseInsensitive) == 0) {
      *out = a.units;
      return true;
    }
  return false;
}

void WriteItem(TBinaryWriter& w, const TPLNSymItem& it) {
  w.WriteByte(static_cast<std::uint8_t>(it.Kind));
  w.WriteDouble(it.Value);
  w.WriteBoolean(it.Flag);
  w.WriteUInt32(it.Color);
  w.WriteString(it.Text);
  w.WriteInt32(static_cast<std::int32_t>(it.Points.size()));
  for (const TORVPto& p : it.Points) {
    w.WriteInt64(p.X);
    w.WriteInt64(p.Y);
  }
  w.WriteDouble(it.Start);
  w.WriteDouble(it.Sweep);
  w.WriteByte(static_cast<std::uint8_t>(it.HAlign));
  w.WriteByte(static_cast<std::uint8_t>(it.VAlign));
  w.WriteDouble(it.Angle);
}

TPLNSymItem ReadItem(TBinaryReader& r) {
  TPLNSymItem it;
  const std::uint8_t kind = r.ReadByte();
  if (kind >= kSymKindCount) throw EPLNError(QStringLiteral("unknown symbol command kind %1").arg(kind));
  it.Kind = static_cast<TSymKind>(kind);
  it.Value = r.ReadDouble();
  it.Flag = r.ReadBoolean();
  it.Color = r.ReadUInt32();
  it.Text = r.ReadString();
  it.Points.resize(static_cast<std::size_t>(r.ReadCount(16, "symbol point")));
  for (TORVPto& p : it.Points) {
    p.X = r.ReadCoord("symbol point");
    p.Y = r.ReadCoord("symbol point");
  }
  it.Start = r.ReadDouble();
  it.Sweep = r.ReadDouble();
  const std::uint8_t h = r.ReadByte(), v = r.ReadByte();
  if (h > 3 || v > 2) throw EPLNError(QStringLiteral("unknown text alignment in a symbol"));
  it.HAlign = static_cast<TORVHorzAlign>(h);
  it.VAlign = static_cast<TORVVertAlign>(v);
  it.Angle = r.ReadDouble();
  if (const QString e = CheckItem(it); !e.isEmpty()) throw EPLNError(e);
  return it;
}

void CopyInto(TPLNBaseLibSymbol& to, const TPLNBaseLibSymbol& from) { to = from; }

}  // namespace

QString NormalizeGuid(const QString& text) {
  const QString t = text.trimmed();
  const QUuid id = QUuid::fromString(t.startsWith(QLatin1Char('{')) ? t : QLatin1Char('{') + t + QLatin1Char('}'));
  if (id.isNull()) return {};
  return id.toString(QUuid::WithBraces).toLower();
}

// ---------------------------------------------------------------- TPLNSymItem

bool TPLNSymItem::IsGeometry() const {
  switch (Kind) {
    case TSymKind::Line:
    case TSymKind::Circle:
    case TSymKind::Ellipse:
    case TSymKind::Rectangle:
    case TSymKind::Polyline:
    case TSymKind::Arc:
    case TSymKind::Text:
    case TSymKind::Bezier:
    case TSymKind::Sector: return true;
    default: return false;
  }
}

// ---------------------------------------------------------------- TPLNBaseLibSymbol

TPLNBaseLibSymbol::TPLNBaseLibSymbol() : Guid(QUuid::createUuid().toString(QUuid::WithBraces).toLower()) {}

const TPLNSymItem& TPLNBaseLibSymbol::GetItem(int i) const {
  if (i < 1 || i > GetItemsCount()) throw EPLNError(QStringLiteral("symbol command %1 does not exist").arg(i));
  return fItems[static_cast<std::size_t>(i - 1)];
}

void TPLNBaseLibSymbol::AddItem(TPLNSymItem item) {
  if (static_cast<int>(item.Kind) >= kSymKindCount) throw EPLNError(QStringLiteral("unknown symbol command kind"));
  if (const QString e = CheckItem(item); !e.isEmpty()) throw EPLNError(e);
  fItems.push_back(std::move(item));
  fDerived.Changed();
}

TORVPto TPLNBaseLibSymbol::GetLink(int i) const {
  if (i < 1 || i > GetNumLinks()) return {};
  return fLinks[static_cast<std::size_t>(i - 1)];
}

void TPLNBaseLibSymbol::AddLink(TORVPto p) {
  if (!InRange(p.X) || !InRange(p.Y)) throw EPLNError(QStringLiteral("a link point lies beyond the drawing's range"));
  fLinks.push_back(p);
  fDerived.Changed();
}

std::shared_ptr<const void> TPLNBaseLibSymbol::DrawCache() const {
  const std::lock_guard<std::mutex> lock(fDerived.Lock);
  return fDerived.Draw;
}

void TPLNBaseLibSymbol::SetDrawCache(std::shared_ptr<const void> cache) const {
  const std::lock_guard<std::mutex> lock(fDerived.Lock);
  fDerived.Draw = std::move(cache);
}

TORVBounds TPLNBaseLibSymbol::Bounds() const {
  if (fDerived.BoundsValid.load(std::memory_order_acquire)) return fDerived.Bounds;
  const std::lock_guard<std::mutex> lock(fDerived.Lock);
  if (fDerived.BoundsValid.load(std::memory_order_relaxed)) return fDerived.Bounds;
  TORVBounds b;
  double fontHeight = kDefaultFontHeight, fontScale = 1;
  for (const TPLNSymItem& it : fItems) {
    switch (it.Kind) {
      case TSymKind::FontHeight: fontHeight = it.Value; break;
      case TSymKind::FontScale: fontScale = it.Value; break;
      case TSymKind::Line:
      case TSymKind::Rectangle:
      case TSymKind::Polyline:
      case TSymKind::Bezier:
        // A Bezier curve lies within the hull of its control points.
        for (const TORVPto& p : it.Points) b.Add(p);
        break;
      case TSymKind::Circle:
      case TSymKind::Ellipse: {
        const TORVPto c = it.Points[0], r = it.Points[1];
        b.Add(c.X - r.X, c.Y - (it.Kind == TSymKind::Circle ? r.X : r.Y));
        b.Add(c.X + r.X, c.Y + (it.Kind == TSymKind::Circle ? r.X : r.Y));
        break;
      }
      case TSymKind::Arc:
      case TSymKind::Sector:
        AddArc(b, it.Points[0], double(it.Points[1].X), it.Start, it.Sweep);
        if (it.Kind == TSymKind::Sector) b.Add(it.Points[0]);
        break;
      case TSymKind::Text: AddText(b, it, fontHeight, fontScale); break;
      default: break;
    }
  }
  for (const TORVPto& p : fLinks) b.Add(p);
  fDerived.Bounds = b;
  fDerived.BoundsValid.store(true, std::memory_order_release);
  return b;
}

void TPLNBaseLibSymbol::Write(TBinaryWriter& w) const {
  w.WriteString(Name);
  w.WriteString(Category);
  w.WriteString(Note);
  w.WriteString(Guid);
  w.WriteByte(static_cast<std::uint8_t>(Units));
  w.WriteDouble(InsertX);
  w.WriteDouble(InsertY);
  w.WriteBoolean(NotDrawScale);
  w.WriteInt32(GetItemsCount());
  for (const TPLNSymItem& it : fItems) WriteItem(w, it);
  w.WriteInt32(GetNumLinks());
  for (const TORVPto& p : fLinks) {
    w.WriteInt64(p.X);
    w.WriteInt64(p.Y);
  }
}

std::unique_ptr<TPLNBaseLibSymbol> TPLNBaseLibSymbol::Read(TBinaryReader& r, std::int32_t /*version*/) {
  // Read into a fresh symbol: a failure leaves nothing half-read behind.
  auto s = std::make_unique<TPLNLibSymbol>();
  s->Name = r.ReadString();
  s->Category = r.ReadString();
  s->Note = r.ReadString();
  const QString guid = r.ReadString();
  s->Guid = NormalizeGuid(guid);
  if (s->Guid.isEmpty())
    throw EPLNError(QStringLiteral("symbol \"%1\" has no valid GUID").arg(Utils::QuoteForMessage(s->Name, 40)));
  const std::uint8_t units = r.ReadByte();
  if (units > 6) throw EPLNError(QStringLiteral("symbol \"%1\" has the unknown unit %2").arg(Utils::QuoteForMessage(s->Name, 40)).arg(units));
  s->Units = static_cast<TORVUnits>(units);
  s->InsertX = r.ReadDouble();
  s->InsertY = r.ReadDouble();
  s->NotDrawScale = r.ReadBoolean();
  try {
    const std::int32_t n = r.ReadCount(kMinItemBytes, "symbol command");
    s->fItems.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) s->fItems.push_back(ReadItem(r));
    const std::int32_t links = r.ReadCount(16, "link point");
    for (std::int32_t i = 0; i < links; ++i) {
      const std::int64_t x = r.ReadCoord("link point"), y = r.ReadCoord("link point");
      s->fLinks.emplace_back(x, y);
    }
  } catch (const EPLNError& e) {
    throw EPLNError(QStringLiteral("symbol \"%1\": %2").arg(Utils::QuoteForMessage(s->Name, 40), e.Message()));
  }
  return s;
}

QJsonObject TPLNBaseLibSymbol::ToJson() const {
  QJsonObject o;
  o.insert(QStringLiteral("Version"), 1);
  o.insert(QStringLiteral("Name"), Name);
  o.insert(QStringLiteral("Category"), Category);
  if (!Note.isEmpty()) o.insert(QStringLiteral("Note"), Note);
  o.insert(QStringLiteral("ID"), Guid);
  o.insert(QStringLiteral("Units"), Utils::UnitName(Units));
  o.insert(QStringLiteral("InsertX"), InsertX);
  o.insert(QStringLiteral("InsertY"), InsertY);
  if (NotDrawScale) o.insert(QStringLiteral("NotDrawScale"), true);
  QJsonArray def;
  for (const TPLNSymItem& it : fItems) def.append(ItemToJson(it));
  o.insert(QStringLiteral("Def"), def);
  if (!fLinks.empty()) o.insert(QStringLiteral("Links"), Json::PointsValue(fLinks));
  return o;
}

QString TPLNBaseLibSymbol::ReadJson(const QJsonObject& o) {
  TPLNBaseLibSymbol s;
  s.Guid = Guid;
  try {
    const auto version = Json::Int(o, "Version", 1);
    if (version < 1) return QStringLiteral("\"Version\" must be 1 or more");
    if (version > 1) return QStringLiteral("the symbol comes from a newer version (version %1)").arg(version);
    s.Name = Json::Str(o, "Name");
    s.Category = Json::Str(o, "Category");
    s.Note = Json::Str(o, "Note");
    if (o.contains(QStringLiteral("ID"))) {
      const QString id = Json::Str(o, "ID");
      s.Guid = NormalizeGuid(id);
      if (s.Guid.isEmpty()) return QStringLiteral("\"ID\" is not a GUID: \"%1\"").arg(Utils::QuoteForMessage(id, 60));
    }
    const QString units = Json::Str(o, "Units", QStringLiteral("mm"));
    if (!UnitFromJsonName(units, &s.Units)) return QStringLiteral("unknown unit \"%1\"").arg(Utils::QuoteForMessage(units, 20));
    s.InsertX = Json::Num(o, "InsertX", 0);
    s.InsertY = Json::Num(o, "InsertY", 0);
    s.NotDrawScale = Json::Bool(o, "NotDrawScale", false);
    const QJsonValue def = o.value(QStringLiteral("Def"));
    if (!def.isUndefined() && !def.isNull() && !def.isArray()) return QStringLiteral("\"Def\" must be an array of commands");
    const QJsonArray cmds = def.toArray();
    for (qsizetype i = 0; i < cmds.size(); ++i) {
      if (!cmds[i].isObject()) return QStringLiteral("command %1 is not an object").arg(i + 1);
      try {
        s.fItems.push_back(ItemFromJson(cmds[i].toObject()));
      } catch (const EPLNError& e) {
        return QStringLiteral("command %1: %2").arg(i + 1).arg(e.Message());
      }
    }
    s.fLinks = Json::Points(o, "Links");
  } catch (const EPLNError& e) {
    return e.Message();
  }
  CopyInto(*this, s);
  return {};
}

bool operator==(const TPLNBaseLibSymbol& a, const TPLNBaseLibSymbol& b) {
  return a.Name == b.Name && a.Category == b.Category && a.Note == b.Note && a.Guid == b.Guid && a.Units == b.Units &&
         a.InsertX == b.InsertX && a.InsertY == b.InsertY && a.NotDrawScale == b.NotDrawScale && a.fItems == b.fItems &&
         a.fLinks == b.fLinks;
}

// ---------------------------------------------------------------- TPLNLibSymbol

namespace {
// Builder input comes from tools and hand-written definitions: a value that is no number, or
// one that would put the symbol beyond the drawing's range, is refused with a reason.
void CheckInput(std::initializer_list<double> values) {
  for (double v : values)
    if (!std::isfinite(v) || std::abs(v) > 1e15) throw EPLNError(QStringLiteral("symbol value %1 is not a usable number").arg(v));
}
}  // namespace

TORVPto TPLNLibSymbol::P(double x, double y) const {
  const double f = Utils::UnitFactor(Units);
  const TORVPto p{RoundHalfAway((x - InsertX) * f), RoundHalfAway((y - InsertY) * f)};
  if (!InRange(p.X) || !InRange(p.Y)) throw EPLNError(QStringLiteral("symbol point (%1, %2) lies beyond the drawing's range").arg(x).arg(y));
  return p;
}

std::int64_t TPLNLibSymbol::L(double length) const {
  const std::int64_t v = RoundHalfAway(std::abs(length) * Utils::UnitFactor(Units));
  if (v > kMaxCoord) throw EPLNError(QStringLiteral("symbol length %1 lies beyond the drawing's range").arg(length));
  return v;
}

namespace {
TPLNSymItem Cmd(TSymKind k) {
  TPLNSymItem it;
  it.Kind = k;
  return it;
}
TPLNSymItem FlagCmd(TSymKind k, bool on) {
  TPLNSymItem it = Cmd(k);
  it.Flag = on;
  return it;
}
TPLNSymItem ColorCmd(TSymKind k, TAlphaColor c) {
  TPLNSymItem it = Cmd(k);
  it.Color = c;
  return it;
}
TPLNSymItem ValueCmd(TSymKind k, double v) {
  TPLNSymItem it = Cmd(k);
  it.Value = v;
  return it;
}
}  // namespace

void TPLNLibSymbol::ForeColor(TAlphaColor c) { AddItem(ColorCmd(TSymKind::FColor, c)); }
void TPLNLibSymbol::BackColor(TAlphaColor c) { AddItem(ColorCmd(TSymKind::BColor, c)); }
void TPLNLibSymbol::Filled(bool on) { AddItem(FlagCmd(TSymKind::Fill, on)); }
void TPLNLibSymbol::LineType(int type) { AddItem(ValueCmd(TSymKind::LineType, std::clamp(type, 0, 255))); }
void TPLNLibSymbol::LineWidth(double width) {
  CheckInput({width});
  AddItem(ValueCmd(TSymKind::PenWidth, double(width < 0 ? 0 : L(width))));
}
void TPLNLibSymbol::RoundCap(bool on) { AddItem(FlagCmd(TSymKind::RoundCap, on)); }
void TPLNLibSymbol::ScalePen(bool on) { AddItem(FlagCmd(TSymKind::ScalePen, on)); }
void TPLNLibSymbol::SetNotDrawScale(bool on) { NotDrawScale = on; }
void TPLNLibSymbol::Path(bool on) { AddItem(FlagCmd(TSymKind::Path, on)); }
void TPLNLibSymbol::FontColor(TAlphaColor c) { AddItem(ColorCmd(TSymKind::FontColor, c)); }
void TPLNLibSymbol::FontName(const QString& name) {
  TPLNSymItem it = Cmd(TSymKind::FontName);
  it.Text = name;
  AddItem(std::move(it));
}
void TPLNLibSymbol::FontHeight(double height) {
  CheckInput({height});
  AddItem(ValueCmd(TSymKind::FontHeight, double(L(height))));
}
void TPLNLibSymbol::FontBold(bool on) { AddItem(FlagCmd(TSymKind::Bold, on)); }
void TPLNLibSymbol::FontItalic(bool on) { AddItem(FlagCmd(TSymKind::Italic, on)); }
void TPLNLibSymbol::FontUnderline(bool on) { AddItem(FlagCmd(TSymKind::Underline, on)); }
void TPLNLibSymbol::FontScale(double scale) {
  CheckInput({scale});
  AddItem(ValueCmd(TSymKind::FontScale, scale));
}

void TPLNLibSymbol::Line(double x1, double y1, double x2, double y2) {
  CheckInput({x1, y1, x2, y2});
  TPLNSymItem it = Cmd(TSymKind::Line);
  it.Points = {P(x1, y1), P(x2, y2)};
  AddItem(std::move(it));
}

void TPLNLibSymbol::Circle(double x, double y, double r) {
  CheckInput({x, y, r});
  TPLNSymItem it = Cmd(TSymKind::Circle);
  it.Points = {P(x, y), {L(r), L(r)}};
  AddItem(std::move(it));
}

void TPLNLibSymbol::Ellipse(double x, double y, double rx, double ry) {
  CheckInput({x, y, rx, ry});
  TPLNSymItem it = Cmd(TSymKind::Ellipse);
  it.Points = {P(x, y), {L(rx), L(ry)}};
  AddItem(std::move(it));
}

void TPLNLibSymbol::Sector(double x, double y, double r, double start, double sweep) {
  CheckInput({x, y, r, start, sweep});
  TPLNSymItem it = Cmd(TSymKind::Sector);
  it.Points = {P(x, y), {L(r), L(r)}};
  it.Start = start;
  it.Sweep = std::clamp(sweep, -360.0, 360.0);
  AddItem(std::move(it));
}

void TPLNLibSymbol::Rectangle(double x1, double y1, double x2, double y2, double r) {
  CheckInput({x1, y1, x2, y2, r});
  TPLNSymItem it = Cmd(TSymKind::Rectangle);
  it.Points = {P(x1, y1), P(x2, y2)};
  it.Value = double(L(r));
  AddItem(std::move(it));
}

void TPLNLibSymbol::Arc(double x1, double y1, double x2, double y2, double x3, double y3) {
  CheckInput({x1, y1, x2, y2, x3, y3});
  const TORVPto a = P(x1, y1), b = P(x2, y2), c = P(x3, y3);
  // Relative to the first point, so large coordinates keep their precision.
  const double bx = double(b.X - a.X), by = double(b.Y - a.Y), cx = double(c.X - a.X), cy = double(c.Y - a.Y);
  double ux = 0, uy = 0;
  if (a == c && a != b) {
    // Out and back: the whole circle whose diameter the two points span.
    ux = bx / 2;
    uy = by / 2;
  } else {
    const double d = 2 * (bx * cy - by * cx);
    const double lb = std::hypot(bx, by), lc = std::hypot(cx, cy);
    // Three points in line have no circle: the arc is the straight line from the first to the last.
    if (std::abs(d) <= 1e-9 * lb * lc * 2 || lb == 0 || lc == 0) {
      Line(x1, y1, x3, y3);
      return;
    }
    const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    ux = (cy * b2 - by * c2) / d;
    uy = (bx * c2 - cx * b2) / d;
  }
  const double r = std::hypot(ux, uy);
  const TORVPto centre{a.X + RoundHalfAway(ux), a.Y + RoundHalfAway(uy)};
  if (!InRange(centre.X) || !InRange(centre.Y) || r > double(kMaxCoord)) {
    // Nearly in line: a circle too large for the drawing is drawn as the line it almost is.
    Line(x1, y1, x3, y3);
    return;
  }
  const double start = PageAngle(-ux, -uy);
  double sweep = 360;
  if (a != c) {
    const double ccw = Norm360(PageAngle(cx - ux, cy - uy) - start);
    const double mid = Norm360(PageAngle(bx - ux, by - uy) - start);
    sweep = mid <= ccw ? ccw : ccw - 360;
  }
  TPLNSymItem it = Cmd(TSymKind::Arc);
  const std::int64_t rr = RoundHalfAway(r);
  it.Points = {centre, {rr, rr}};
  it.Start = start;
  it.Sweep = sweep;
  AddItem(std::move(it));
}

void TPLNLibSymbol::Text(double x, double y, const QString& text, TORVHorzAlign h, TORVVertAlign v, double angle) {
  CheckInput({x, y, angle});
  TPLNSymItem it = Cmd(TSymKind::Text);
  it.Points = {P(x, y)};
  it.Text = text;
  it.HAlign = h;
  it.VAlign = v;
  it.Angle = angle;
  AddItem(std::move(it));
}

namespace {
template <class F>
std::vector<TORVPto> Pairs(const std::vector<double>& xy, F p) {
  std::vector<TORVPto> pts;
  pts.reserve(xy.size() / 2);
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
    CheckInput({xy[i], xy[i + 1]});
    pts.push_back(p(xy[i], xy[i + 1]));
  }
  return pts;
}
}  // namespace

void TPLNLibSymbol::Polygon(const std::vector<double>& xy) {
  TPLNSymItem it = Cmd(TSymKind::Polyline);
  it.Points = Pairs(xy, [this](double x, double y) { return P(x, y); });
  it.Flag = true;
  AddItem(std::move(it));
}

void TPLNLibSymbol::Polyline(const std::vector<double>& xy) {
  TPLNSymItem it = Cmd(TSymKind::Polyline);
  it.Points = Pairs(xy, [this](double x, double y) { return P(x, y); });
  AddItem(std::move(it));
}

void TPLNLibSymbol::Bezier(const std::vector<double>& xy, bool closed) {
  TPLNSymItem it = Cmd(TSymKind::Bezier);
  it.Points = Pairs(xy, [this](double x, double y) { return P(x, y); });
  it.Flag = closed;
  AddItem(std::move(it));
}

void TPLNLibSymbol::LinkPoint(double x, double y) {
  CheckInput({x, y});
  AddLink(P(x, y));
}

// ---------------------------------------------------------------- TPLNLibrary

TPLNLibSymbol* TPLNLibrary::AddSymbol(const QString& name, const QString& category, const QString& note,
                                      TORVUnits units, double insertX, double insertY) {
  CheckInput({insertX, insertY});
  auto s = std::make_unique<TPLNLibSymbol>();
  s->Name = name;
  s->Category = category;
  s->Note = note;
  s->Units = units;
  s->InsertX = insertX;
  s->InsertY = insertY;
  Symbols.push_back(std::move(s));
  return Symbols.back().get();
}

namespace {
bool InCategory(const TPLNBaseLibSymbol& s, const QString& filter) {
  return filter == QLatin1String("*") || s.Category.compare(filter, Qt::CaseInsensitive) == 0;
}
}  // namespace

void TPLNLibrary::AssignLib(const TPLNBaseLabel& doc) {
  std::vector<std::unique_ptr<TPLNLibSymbol>> copies;
  for (int i = 1; i <= doc.GetSymbolsCount(); ++i) {
    const TPLNBaseLibSymbol* s = doc.GetSymbol(i);
    if (!s || !InCategory(*s, CategoryFilter)) continue;
    auto c = std::make_unique<TPLNLibSymbol>();
    CopyInto(*c, *s);
    copies.push_back(std::move(c));
  }
  Symbols = std::move(copies);
}

TPLNLibSymbol* TPLNLibrary::FindByName(const QString& name) const {
  for (const auto& s : Symbols)
    if (s->Name.compare(name, Qt::CaseInsensitive) == 0) return s.get();
  return nullptr;
}

TPLNLibSymbol* TPLNLibrary::FindByGuid(const QString& guid) const {
  const QString g = NormalizeGuid(guid);
  if (g.isEmpty()) return nullptr;
  for (const auto& s : Symbols)
    if (NormalizeGuid(s->Guid) == g) return s.get();
  return nullptr;
}

QStringList TPLNLibrary::Categories() const {
  QStringList out;
  for (const auto& s : Symbols)
    if (!out.contains(s->Category)) out.append(s->Category);
  out.sort();
  return out;
}

void TPLNLibrary::SaveToStream(QIODevice* device) const {
  TBinaryWriter w(device);
  w.WriteBytes(QByteArray(kLibraryMagic, sizeof kLibraryMagic));
  w.WriteInt32(kVersion);
  std::int32_t n = 0;
  for (const auto& s : Symbols)
    if (InCategory(*s, CategoryFilter)) ++n;
  w.WriteInt32(n);
  for (const auto& s : Symbols)
    if (InCategory(*s, CategoryFilter)) s->Write(w);
}

void TPLNLibrary::LoadFromStream(QIODevice* device) {
  TBinaryReader r(device);
  const QByteArray magic(kLibraryMagic, sizeof kLibraryMagic);
  const QByteArray head = r.ReadBytes(std::min<qint64>(r.Remaining(), magic.size()));
  if (head.isEmpty() || !magic.startsWith(head)) throw EPLNError(QStringLiteral("not a symbol library"));
  if (head.size() < magic.size() || r.Remaining() < 8)
    throw EPLNError(QStringLiteral("damaged symbol library: it ends after %1 bytes").arg(r.Position()));
  const std::int32_t version = r.ReadInt32();
  if (version < 1) throw EPLNError(QStringLiteral("damaged symbol library (version %1)").arg(version));
  if (version > kVersion)
    throw EPLNError(QStringLiteral("the symbol library comes from a newer version (version %1; this one reads up to %2)")
                        .arg(version)
                        .arg(kVersion));
  std::vector<std::unique_ptr<TPLNLibSymbol>> read;
  try {
    const std::int32_t n = r.ReadCount(kMinSymbolBytes, "symbol");
    read.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
      std::unique_ptr<TPLNBaseLibSymbol> s = TPLNBaseLibSymbol::Read(r, version);
      read.emplace_back(static_cast<TPLNLibSymbol*>(s.release()));
    }
  } catch (const EPLNError& e) {
    throw EPLNError(QStringLiteral("damaged symbol library: %1").arg(e.Message()));
  }
  if (r.Remaining() > 0)
    throw EPLNError(QStringLiteral("damaged symbol library: %1 unexpected bytes after the last symbol").arg(r.Remaining()));
  Symbols = std::move(read);
}

void TPLNLibrary::SaveToFile(const QString& path) const {
  const QString name = QFileInfo(path).fileName();
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly))
    throw EPLNError(QStringLiteral("%1: cannot be written: %2").arg(name, f.errorString()));
  try {
    SaveToStream(&f);
  } catch (const EPLNError& e) {
    f.cancelWriting();
    throw EPLNError(QStringLiteral("%1: cannot be written: %2").arg(name, e.Message()));
  }
  // A full disk shows on the flush of the last buffered bytes, which commit would not report.
  if (!f.flush()) {
    const QString why = f.errorString();
    f.cancelWriting();
    throw EPLNError(QStringLiteral("%1: cannot be written: %2").arg(name, why));
  }
  if (!f.commit()) throw EPLNError(QStringLiteral("%1: cannot be written: %2").arg(name, f.errorString()));
}

void TPLNLibrary::LoadFromFile(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  QFile f(path);
  if (!QFileInfo(path).isFile()) throw EPLNError(QStringLiteral("%1: the symbol library does not exist").arg(name));
  if (!f.open(QIODevice::ReadOnly)) throw EPLNError(QStringLiteral("%1: cannot be read: %2").arg(name, f.errorString()));
  try {
    LoadFromStream(&f);
  } catch (const EPLNError& e) {
    throw EPLNError(QStringLiteral("%1: %2").arg(name, e.Message()));
  } catch (const std::bad_alloc&) {
    throw EPLNError(QStringLiteral("%1: not enough memory to read the symbol library").arg(name));
  }
}

// ---------------------------------------------------------------- TPLNBaseSymbol

TPLNBaseSymbol::TPLNBaseSymbol(TPLNBaseLabel* owner, bool preview) : TPLNBaseItem(owner, preview) {}
TPLNBaseSymbol::TPLNBaseSymbol(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview)
    : TPLNBaseItem(owner, layer, preview) {}

void TPLNBaseSymbol::SetScale(float s) {
  if (!(s > 0) || !std::isfinite(s) || s == fScale) return;
  fScale = s;
  Update();
}

double TPLNBaseSymbol::GetAngleDeg() const { return fAngle * 180.0 / kPi; }

void TPLNBaseSymbol::SetAngleRad(double a) {
  if (!std::isfinite(a)) return;
  a = EditGeom::Norm(a);
  if (a >= 2 * kPi) a = 0;  // rounding of a tiny negative angle
  if (a == fAngle) return;
  fAngle = a;
  Update();
}

// The angle turns clockwise on the page: a counter-clockwise quarter turn takes a quarter off.
void TPLNBaseSymbol::RotateLeft() { SetAngleRad(fAngle - kPi / 2); }
void TPLNBaseSymbol::RotateRight() { SetAngleRad(fAngle + kPi / 2); }

TPLNBaseLibSymbol* TPLNBaseSymbol::GetSymbol() const {
  if (fGuid.isEmpty() || !Owner()) return nullptr;
  return Owner()->FindSymbol(fGuid);
}

void TPLNBaseSymbol::SetSymbol(const TPLNBaseLibSymbol* symbol) {
  const QString guid = symbol ? NormalizeGuid(symbol->Guid) : QString();
  // A symbol from elsewhere (a library, another document) comes into this document, so the
  // item can find it by its GUID; one the document holds already is left as it is.
  if (symbol && !guid.isEmpty() && Owner() && !Owner()->FindSymbol(guid)) {
    auto copy = std::make_unique<TPLNLibSymbol>();
    CopyInto(*copy, *symbol);
    Owner()->AddSymbol(std::move(copy), false);
  }
  if (guid == fGuid) return;
  fGuid = guid;
  Update();
}

double TPLNBaseSymbol::PageScale() const {
  const TPLNBaseLibSymbol* s = GetSymbol();
  const double m = s && s->NotDrawScale && Owner() ? double(Owner()->GetCoordMultiplier()) : 1.0;
  return double(fScale) * m;
}

namespace {

// Scale, turn and move of a placed symbol, with the turn's sine and cosine worked out once.
struct TPageMap {
  double K, C, S;
  TORVPto O;
  TORVPto operator()(const TORVPto& p) const {
    const double x = double(p.X) * K, y = double(p.Y) * K;
    return {O.X + RoundHalfAway(x * C - y * S), O.Y + RoundHalfAway(x * S + y * C)};
  }
};

}  // namespace

TORVPto TPLNBaseSymbol::ToPage(const TORVPto& p) const {
  return TPageMap{PageScale(), std::cos(fAngle), std::sin(fAngle), GetPoint(1)}(p);
}

TORVBounds TPLNBaseSymbol::LinkBox() const {
  TORVBounds b;
  if (fPoints.empty()) return b;
  const TPLNBaseLibSymbol* s = GetSymbol();
  const TORVBounds sb = s ? s->Bounds() : TORVBounds{};
  if (sb.IsEmpty()) {
    b.Add(fPoints[0]);
    return b;
  }
  const TPageMap map{PageScale(), std::cos(fAngle), std::sin(fAngle), fPoints[0]};
  for (const TORVPto& corner : {TORVPto{sb.X1, sb.Y1}, TORVPto{sb.X2, sb.Y1}, TORVPto{sb.X1, sb.Y2}, TORVPto{sb.X2, sb.Y2}})
    b.Add(map(corner));
  return b;
}

TORVBounds TPLNBaseSymbol::GetBounds() const {
  if (fPoints.empty()) return {};
  const TPLNBaseLibSymbol* s = GetSymbol();
  if (!s || s->Bounds().IsEmpty()) {
    // Nothing to show: a small box keeps the item findable and selectable.
    constexpr std::int64_t kHalf = 1000;
    TORVBounds b;
    b.Add(fPoints[0].X - kHalf, fPoints[0].Y - kHalf);
    b.Add(fPoints[0].X + kHalf, fPoints[0].Y + kHalf);
    return b;
  }
  TORVBounds b = LinkBox();
  const auto half = static_cast<std::int64_t>(GetPenWidth() / 2);
  b.X1 -= half;
  b.Y1 -= half;
  b.X2 += half;
  b.Y2 += half;
  return b;
}

bool TPLNBaseSymbol::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  return EditGeom::Inside(GetBounds(), x, y, tolerance);
}

void TPLNBaseSymbol::Move(std::int64_t dx, std::int64_t dy) { TPLNBaseItem::Move(dx, dy); }

void TPLNBaseSymbol::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  if (fPoints.empty() || !std::isfinite(angle)) return;
  fPoints[0] = EditGeom::RotatePoint(fPoints[0], cx, cy, angle);
  double a = EditGeom::Norm(fAngle + angle);
  if (a >= 2 * kPi) a = 0;
  fAngle = a;
  Update();
}

void TPLNBaseSymbol::Resize(const TORVBounds& from, const TORVBounds& to) {
  if (fPoints.empty() || from.IsEmpty() || to.IsEmpty()) return;
  const double fw = double(from.X2 - from.X1), fh = double(from.Y2 - from.Y1);
  const double tw = double(to.X2 - to.X1), th = double(to.Y2 - to.Y1);
  // The symbol keeps its proportions: the smaller ratio fits it into the new box.
  double k = 0;
  if (fw > 0 && fh > 0)
    k = std::min(tw / fw, th / fh);
  else if (fw > 0)
    k = tw / fw;
  else if (fh > 0)
    k = th / fh;
  fPoints[0] = EditGeom::MapPoint(fPoints[0], from, to);
  const double s = double(fScale) * k;
  if (k > 0 && std::isfinite(s) && s > 0) fScale = static_cast<float>(s);
  Update();
}

int TPLNBaseSymbol::LinkPointCount() const {
  const TPLNBaseLibSymbol* s = GetSymbol();
  return s ? s->GetNumLinks() : 0;
}

bool TPLNBaseSymbol::HasLinkPoint(int index) const {
  const int n = LinkPointCount();
  if (index > kSymbolLinkOffset) index -= kSymbolLinkOffset;
  return index >= 1 && index <= n;
}

bool TPLNBaseSymbol::LinkPoint(int index, const TORVPto& toward, TORVPto& p) const {
  const TPLNBaseLibSymbol* s = GetSymbol();
  if (!s || fPoints.empty() || s->GetNumLinks() == 0) return false;
  if (index == 0) {
    double best = -1;
    for (const TORVPto& l : s->Links()) {
      const TORVPto at = ToPage(l);
      const double d = EditGeom::Dist(at, toward);
      if (best < 0 || d < best) {
        best = d;
        p = at;
      }
    }
    return true;
  }
  if (!HasLinkPoint(index)) return false;
  if (index > kSymbolLinkOffset) index -= kSymbolLinkOffset;
  p = ToPage(s->GetLink(index));
  return true;
}

void TPLNBaseSymbol::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  if (fPoints.empty()) return;
  if (kind == snRefSymbol || kind == snPoint) out.push_back(fPoints[0]);
}

void TPLNBaseSymbol::CheckPointCount(int n) const {
  if (n != 1) throw EPLNError(QStringLiteral("Symbol needs 1 point, not %1").arg(n));
}

void TPLNBaseSymbol::WriteData(TBinaryWriter& w) const {
  TPLNBaseItem::WriteData(w);
  w.WriteSingle(fScale);
  w.WriteDouble(fAngle);
  w.WriteString(fGuid);
}

void TPLNBaseSymbol::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLNBaseItem::ReadData(version, r, readType);
  const float scale = r.ReadSingle();
  if (!(scale > 0)) throw EPLNError(QStringLiteral("Symbol with the scale %1, which is not above 0").arg(scale));
  const double angle = r.ReadDouble();
  const QString text = r.ReadString();
  const QString guid = NormalizeGuid(text);
  if (guid.isEmpty() && !text.isEmpty())
    throw EPLNError(QStringLiteral("Symbol refers to \"%1\", which is no GUID").arg(Utils::QuoteForMessage(text, 40)));
  fScale = scale;
  fAngle = EditGeom::Norm(angle);
  if (fAngle >= 2 * kPi) fAngle = 0;
  fGuid = guid;
  BoundsChanged();
}

void TPLNBaseSymbol::WriteJson(Json::TJsonSink& o) const {
  TPLNBaseItem::WriteJson(o);
  o.Num("Scale", fScale);
  o.Num("Angle", GetAngleDeg());
  o.Str("Symbol", fGuid);
}

void TPLNBaseSymbol::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLNBaseItem::ReadJson(version, o);
  const double scale = Json::Num(o, "Scale", 1.0);
  if (!(scale > 0) || scale > 1e6) throw EPLNError(QStringLiteral("\"Scale\" must be above 0"));
  const double deg = Json::Num(o, "Angle", 0);
  const QString text = Json::Str(o, "Symbol");
  const QString guid = NormalizeGuid(text);
  if (guid.isEmpty() && !text.isEmpty())
    throw EPLNError(QStringLiteral("\"Symbol\" is not a GUID: \"%1\"").arg(Utils::QuoteForMessage(text, 40)));
  fScale = static_cast<float>(scale);
  fAngle = EditGeom::Norm(deg * kPi / 180.0);
  if (fAngle >= 2 * kPi) fAngle = 0;
  fGuid = guid;
  BoundsChanged();
}

}  // namespace Orv::Symbol
