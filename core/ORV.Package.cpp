#include "ORV.Package.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "ORV.EditGeom.h"
#include "ORV.Json.h"
#include "ORV.Text.h"
#include "ORV.Utils.h"

namespace Orv::F2d {

using Text::CheckInt;
using Text::kMaxLength;

namespace {

// Sizes beyond any package, and holes beyond any part: both stay well inside float range.
constexpr double kMaxSize = 1e7;
constexpr int kMaxHoles = 10000;

bool SizeOk(double v, bool zero) { return std::isfinite(v) && (zero ? v >= 0 : v > 0) && v <= kMaxSize; }
bool CoordOk(double v) { return std::isfinite(v) && std::abs(v) <= kMaxSize; }

QString Number(double v) { return QString::number(v, 'g', 10); }

}  // namespace

QRectF CenteredRect(double w, double h, const QRectF& r) {
  if (!(w > 0) || !(h > 0) || !(r.width() > 0) || !(r.height() > 0)) return {};
  const double s = std::min(r.width() / w, r.height() / h);
  const QSizeF size(w * s, h * s);
  return QRectF(r.center().x() - size.width() / 2, r.center().y() - size.height() / 2, size.width(), size.height());
}

QPolygonF CalculateSlotPolygon(QPointF a, QPointF b, double width) {
  const QPointF d = b - a;
  const double len = std::hypot(d.x(), d.y());
  // A slot of no length is a hole: its straight part is the square across it.
  const QPointF along = len > 0 ? d / len : QPointF(1, 0);
  const QPointF side(-along.y() * width / 2, along.x() * width / 2);
  return QPolygonF{a + side, b + side, b - side, a - side};
}

TBoxProjection ProjectBox(double w, double l, double h, const QRectF& r) {
  TBoxProjection p;
  const double c = std::cos(3.14159265358979323846 / 6), s = 0.5;
  // At scale 1, y down on the device: x runs right and down, y left and down, z up.
  const auto at = [&](double x, double y, double z) { return QPointF((x - y) * c, -((x + y) * s - z)); };
  for (int i = 0; i < 8; ++i) p.Corner[std::size_t(i)] = at(i & 1 ? w : 0, i & 2 ? l : 0, i & 4 ? h : 0);
  const QRectF extent = QPolygonF(QList<QPointF>(p.Corner.begin(), p.Corner.end())).boundingRect();
  if (!(extent.width() > 0) || !(extent.height() > 0) || !(r.width() > 0) || !(r.height() > 0)) return p;
  p.Scale = std::min(r.width() / extent.width(), r.height() / extent.height());
  const QPointF shift = r.center() - extent.center() * p.Scale;
  for (QPointF& q : p.Corner) q = q * p.Scale + shift;
  return p;
}

void TPLNBasePackage::SetSizes(float width, float length, float height) {
  if (!SizeOk(width, false) || !SizeOk(length, false) || !SizeOk(height, true))
    throw EPLNError(QStringLiteral("Package sizes: width and length must be above 0 and height 0 or more"));
  if (fV.SizeWidth == width && fV.SizeLength == length && fV.SizeHeight == height) return;
  fV.SizeWidth = width;
  fV.SizeLength = length;
  fV.SizeHeight = height;
  Changed();
}

void TPLNBasePackage::SetStyle(std::uint8_t s) {
  CheckInt(KindName(), "Style", s, 0, kPackageStyleCount - 1);
  Set(fV.Style, s);
}

void TPLNBasePackage::SetBaseFontHeights(std::int64_t box, std::int64_t sizes) {
  CheckInt(KindName(), "FontHeightBox", box, 1, kMaxLength);
  CheckInt(KindName(), "FontHeightSizes", sizes, 1, kMaxLength);
  if (fV.FontHeightBox == box && fV.FontHeightSizes == sizes) return;
  fV.FontHeightBox = box;
  fV.FontHeightSizes = sizes;
  Changed();
}

void TPLNBasePackage::SetNames(const QString& width, const QString& length, const QString& height) {
  if (fV.NameWidth == width && fV.NameLength == length && fV.NameHeight == height) return;
  fV.NameWidth = width;
  fV.NameLength = length;
  fV.NameHeight = height;
  Changed();
}

void TPLNBasePackage::SetBaseRadio(std::int64_t r) {
  CheckInt(KindName(), "Radius", r, 0, kMaxLength);
  Set(fV.Radius, r);
}

void TPLNBasePackage::SetDrills(std::vector<TORVDrill> drills, std::vector<TORVSlot> slotList) {
  TORVPackageValues v = fV;
  v.Drills = std::move(drills);
  v.Slots = std::move(slotList);
  CheckValues(v);
  if (v == fV) return;
  fV = std::move(v);
  Changed();
}

void TPLNBasePackage::SetData(const QString& notation) {
  TORVPackageValues v = fV;
  std::vector<TORVDrill> drills;
  std::vector<TORVSlot> slotList;
  bool holes = false;
  static const QRegularExpression separators(QStringLiteral("[;\\n\\r]+"));
  const QStringList entries = notation.split(separators, Qt::SkipEmptyParts);
  for (const QString& raw : entries) {
    const QString entry = raw.trimmed();
    if (entry.isEmpty()) continue;
    const qsizetype eq = entry.indexOf(QLatin1Char('='));
    const QString key = (eq < 0 ? entry : entry.left(eq)).trimmed().toUpper();
    const QString what = Utils::QuoteForMessage(entry, 40);
    if (eq < 0) throw EPLNError(QStringLiteral("package data: \"%1\" has no '='").arg(what));
    std::vector<double> n;
    for (const QString& part : entry.mid(eq + 1).split(QLatin1Char(','))) {
      bool ok = false;
      const double d = part.trimmed().toDouble(&ok);
      if (!ok || !CoordOk(d)) throw EPLNError(QStringLiteral("package data: \"%1\" holds a value that is no number").arg(what));
      n.push_back(d);
    }
    const auto count = [&](std::size_t expected) {
      if (n.size() != expected)
        throw EPLNError(QStringLiteral("package data: \"%1\" needs %2 value(s)").arg(what).arg(expected));
    };
    if (key == QLatin1String("W") || key == QLatin1String("L") || key == QLatin1String("H")) {
      count(1);
      if (!SizeOk(n[0], key == QLatin1String("H")))
        throw EPLNError(QStringLiteral("package data: \"%1\" is not a size").arg(what));
      (key == QLatin1String("W") ? v.SizeWidth : key == QLatin1String("L") ? v.SizeLength : v.SizeHeight) = float(n[0]);
    } else if (key == QLatin1String("D")) {
      count(3);
      if (!(n[2] > 0)) throw EPLNError(QStringLiteral("package data: \"%1\" needs a diameter above 0").arg(what));
      drills.push_back({n[0], n[1], n[2]});
      holes = true;
    } else if (key == QLatin1String("S")) {
      count(5);
      if (!(n[4] > 0)) throw EPLNError(QStringLiteral("package data: \"%1\" needs a width above 0").arg(what));
      slotList.push_back({n[0], n[1], n[2], n[3], n[4]});
      holes = true;
    } else {
      throw EPLNError(QStringLiteral("package data: unknown entry \"%1\" (W, L, H, D or S)").arg(what));
    }
  }
  // Holes given replace the part's holes; none given keeps them.
  if (holes) {
    v.Drills = std::move(drills);
    v.Slots = std::move(slotList);
  }
  CheckValues(v);
  if (v == fV) return;
  fV = std::move(v);
  Changed();
}

QString TPLNBasePackage::GetData() const {
  QStringList out{QStringLiteral("W=%1").arg(Number(fV.SizeWidth)), QStringLiteral("L=%1").arg(Number(fV.SizeLength)),
                  QStringLiteral("H=%1").arg(Number(fV.SizeHeight))};
  for (const TORVDrill& d : fV.Drills)
    out << QStringLiteral("D=%1,%2,%3").arg(Number(d.X), Number(d.Y), Number(d.Diameter));
  for (const TORVSlot& s : fV.Slots)
    out << QStringLiteral("S=%1,%2,%3,%4,%5").arg(Number(s.X1), Number(s.Y1), Number(s.X2), Number(s.Y2), Number(s.Width));
  return out.join(QStringLiteral("; "));
}

QString TPLNBasePackage::SizeText(double v) const {
  // "0.00" asks for two decimals, "0" or nothing for none.
  const qsizetype point = fV.Format.indexOf(QLatin1Char('.'));
  const int decimals = point < 0 ? 0 : int(fV.Format.size() - point - 1);
  return QString::number(v, 'f', std::clamp(decimals, 0, 6));
}

bool TPLNBasePackage::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  return EditGeom::Inside(EditGeom::BoxOf(fPoints[0], fPoints[1]), x, y, tolerance);
}

void TPLNBasePackage::CheckValues(const TORVPackageValues& v) const {
  const QString kind = KindName();
  if (!SizeOk(v.SizeWidth, false) || !SizeOk(v.SizeLength, false) || !SizeOk(v.SizeHeight, true))
    throw EPLNError(QStringLiteral("Package sizes: width and length must be above 0 and height 0 or more"));
  CheckInt(kind, "Style", v.Style, 0, kPackageStyleCount - 1);
  CheckInt(kind, "FontHeightBox", v.FontHeightBox, 1, kMaxLength);
  CheckInt(kind, "FontHeightSizes", v.FontHeightSizes, 1, kMaxLength);
  CheckInt(kind, "Radius", v.Radius, 0, kMaxLength);
  if (v.Drills.size() + v.Slots.size() > std::size_t(kMaxHoles))
    throw EPLNError(QStringLiteral("Package with more than %1 drills and slots").arg(kMaxHoles));
  for (const TORVDrill& d : v.Drills)
    if (!CoordOk(d.X) || !CoordOk(d.Y) || !SizeOk(d.Diameter, false))
      throw EPLNError(QStringLiteral("Package drill out of range"));
  for (const TORVSlot& s : v.Slots)
    if (!CoordOk(s.X1) || !CoordOk(s.Y1) || !CoordOk(s.X2) || !CoordOk(s.Y2) || !SizeOk(s.Width, false))
      throw EPLNError(QStringLiteral("Package slot out of range"));
}

void TPLNBasePackage::WriteData(TBinaryWriter& w) const {
  TPLNBoxItem::WriteData(w);
  w.WriteDouble(fV.SizeWidth);
  w.WriteDouble(fV.SizeLength);
  w.WriteDouble(fV.SizeHeight);
  w.WriteUInt32(fV.BoxColor);
  w.WriteByte(fV.Style);
  w.WriteString(fV.Format);
  w.WriteUInt32(fV.FontColor);
  w.WriteInt64(fV.FontHeightBox);
  w.WriteInt64(fV.FontHeightSizes);
  w.WriteString(fV.NameWidth);
  w.WriteString(fV.NameLength);
  w.WriteString(fV.NameHeight);
  w.WriteInt64(fV.Radius);
  w.WriteInt32(std::int32_t(fV.Drills.size()));
  for (const TORVDrill& d : fV.Drills) {
    w.WriteDouble(d.X);
    w.WriteDouble(d.Y);
    w.WriteDouble(d.Diameter);
  }
  w.WriteInt32(std::int32_t(fV.Slots.size()));
  for (const TORVSlot& s : fV.Slots)
    for (double v : {s.X1, s.Y1, s.X2, s.Y2, s.Width}) w.WriteDouble(v);
}

void TPLNBasePackage::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLNBoxItem::ReadData(version, r, readType);
  // Read whole and checked before anything changes.
  TORVPackageValues v;
  const double width = r.ReadDouble(), length = r.ReadDouble(), height = r.ReadDouble();
  if (!SizeOk(width, false) || !SizeOk(length, false) || !SizeOk(height, true))
    throw EPLNError(QStringLiteral("Package sizes: width and length must be above 0 and height 0 or more"));
  v.SizeWidth = float(width);
  v.SizeLength = float(length);
  v.SizeHeight = float(height);
  v.BoxColor = r.ReadUInt32();
  v.Style = r.ReadByte();
  v.Format = r.ReadString();
  v.FontColor = r.ReadUInt32();
  v.FontHeightBox = r.ReadInt64();
  v.FontHeightSizes = r.ReadInt64();
  v.NameWidth = r.ReadString();
  v.NameLength = r.ReadString();
  v.NameHeight = r.ReadString();
  v.Radius = r.ReadInt64();
  const std::int32_t drills = r.ReadCount(24, "drill");
  for (std::int32_t i = 0; i < drills; ++i) {
    TORVDrill d;
    d.X = r.ReadDouble();
    d.Y = r.ReadDouble();
    d.Diameter = r.ReadDouble();
    v.Drills.push_back(d);
  }
  const std::int32_t slotCount = r.ReadCount(40, "slot");
  for (std::int32_t i = 0; i < slotCount; ++i) {
    TORVSlot s;
    for (double* f : {&s.X1, &s.Y1, &s.X2, &s.Y2, &s.Width}) *f = r.ReadDouble();
    v.Slots.push_back(s);
  }
  CheckValues(v);
  fV = std::move(v);
}

void TPLNBasePackage::WriteJson(Json::TJsonSink& o) const {
  TPLNBoxItem::WriteJson(o);
  o.Num("SizeWidth", fV.SizeWidth);
  o.Num("SizeLength", fV.SizeLength);
  o.Num("SizeHeight", fV.SizeHeight);
  o.Color("BoxColor", fV.BoxColor);
  o.Int("Style", fV.Style);
  o.Str("Format", fV.Format);
  o.Color("FontColor", fV.FontColor);
  o.Int("FontHeightBox", fV.FontHeightBox);
  o.Int("FontHeightSizes", fV.FontHeightSizes);
  o.Str("NameWidth", fV.NameWidth);
  o.Str("NameLength", fV.NameLength);
  o.Str("NameHeight", fV.NameHeight);
  o.Int("Radius", fV.Radius);
  // Drills and slots in the part notation: short, and read by the same rules as the tool's.
  if (!fV.Drills.empty() || !fV.Slots.empty()) {
    QStringList holes;
    for (const QString& e : GetData().split(QStringLiteral("; ")))
      if (e.startsWith(QLatin1Char('D')) || e.startsWith(QLatin1Char('S'))) holes << e;
    o.Str("Holes", holes.join(QStringLiteral("; ")));
  }
}

void TPLNBasePackage::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLNBoxItem::ReadJson(version, o);
  const QString kind = KindName();
  TORVPackageValues v = fV;
  const double width = Json::Num(o, "SizeWidth", v.SizeWidth), length = Json::Num(o, "SizeLength", v.SizeLength),
               height = Json::Num(o, "SizeHeight", v.SizeHeight);
  if (!SizeOk(width, false) || !SizeOk(length, false) || !SizeOk(height, true))
    throw EPLNError(QStringLiteral("Package sizes: width and length must be above 0 and height 0 or more"));
  v.SizeWidth = float(width);
  v.SizeLength = float(length);
  v.SizeHeight = float(height);
  v.BoxColor = Json::Color(o, "BoxColor", v.BoxColor);
  v.Style = std::uint8_t(CheckInt(kind, "Style", Json::Int(o, "Style", v.Style), 0, kPackageStyleCount - 1));
  v.Format = Json::Str(o, "Format", v.Format);
  v.FontColor = Json::Color(o, "FontColor", v.FontColor);
  v.FontHeightBox = Json::Int(o, "FontHeightBox", v.FontHeightBox);
  v.FontHeightSizes = Json::Int(o, "FontHeightSizes", v.FontHeightSizes);
  v.NameWidth = Json::Str(o, "NameWidth", v.NameWidth);
  v.NameLength = Json::Str(o, "NameLength", v.NameLength);
  v.NameHeight = Json::Str(o, "NameHeight", v.NameHeight);
  v.Radius = Json::Int(o, "Radius", v.Radius);
  v.Drills.clear();
  v.Slots.clear();
  CheckValues(v);
  const QString holes = Json::Str(o, "Holes");
  // The holes go through the notation's reader on a scratch copy: a bad entry changes nothing.
  TPLNBasePackage scratch(nullptr, false);
  scratch.fV = v;
  if (!holes.trimmed().isEmpty()) scratch.SetData(holes);
  fV = std::move(scratch.fV);
}

}  // namespace Orv::F2d
