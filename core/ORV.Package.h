#pragma once
// A package drawing inside a framed box: a carton seen in isometric projection, as a wire frame
// or with solid faces and its sizes written on it, or a flat part seen from above with its drill
// holes and slots. The model holds the values and works out the geometry; the drawable class
// paints it.

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "ORV.F2d.h"

namespace Orv::F2d {

enum class TORVPackageStyle : std::uint8_t {
  Wireframe = 0,
  WireframeDim = 1,  // with the sizes listed beside the drawing
  Solid = 2,
  SolidDim = 3,
  PartDrill = 4,     // a flat part with its drills and slots
  PartDrillDim = 5,  // the same with its sizes along its edges
};
constexpr int kPackageStyleCount = 6;

// A hole of the flat part: centre and diameter in the part's units, from its bottom-left corner.
struct TORVDrill {
  double X = 0, Y = 0, Diameter = 0;
  bool operator==(const TORVDrill&) const = default;
};
// A slot: the centres of its two round ends and its width.
struct TORVSlot {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, Width = 0;
  bool operator==(const TORVSlot&) const = default;
};

// The rectangle of proportions w : h, as large as fits `r`, centred in it.
QRectF CenteredRect(double w, double h, const QRectF& r);
// The four corners of a slot from a to b, `width` wide: the straight part of its outline.
QPolygonF CalculateSlotPolygon(QPointF a, QPointF b, double width);

// The isometric view of a box w x l x h (30°): the eight corners projected, fitted into `r` and
// centred in it. Corners are indexed by bits: 1 = x (width), 2 = y (length), 4 = z (height).
struct TBoxProjection {
  std::array<QPointF, 8> Corner;
  double Scale = 0;
};
TBoxProjection ProjectBox(double w, double l, double h, const QRectF& r);

struct TORVPackageValues {
  float SizeWidth = 300;
  float SizeLength = 200;
  float SizeHeight = 150;  // 0: a flat part
  TAlphaColor BoxColor = 0xFFC8A165u;  // carton
  std::uint8_t Style = 3;
  QString Format;  // number format of the sizes; empty: whole numbers
  TAlphaColor FontColor = kBlack;
  std::int64_t FontHeightBox = 3000;    // base units
  std::int64_t FontHeightSizes = 3000;  // base units
  QString NameWidth = QStringLiteral("Width");
  QString NameLength = QStringLiteral("Length");
  QString NameHeight = QStringLiteral("Height");
  std::int64_t Radius = 0;  // the frame's corners
  std::vector<TORVDrill> Drills;
  std::vector<TORVSlot> Slots;
  bool operator==(const TORVPackageValues&) const = default;
};

class TPLNBasePackage : public TPLNBoxItem {
 public:
  using TPLNBoxItem::TPLNBoxItem;
  std::int32_t KindCode() const override { return Kind::Package; }
  QString KindName() const override { return QStringLiteral("Package"); }

  float SizeWidth() const { return fV.SizeWidth; }
  float SizeLength() const { return fV.SizeLength; }
  float SizeHeight() const { return fV.SizeHeight; }
  // Width and length above 0, height 0 or more, all finite; else EPLNError and nothing changes.
  void SetSizes(float width, float length, float height);
  TAlphaColor BoxColor() const { return fV.BoxColor; }
  void SetBoxColor(TAlphaColor c) { Set(fV.BoxColor, c); }
  std::uint8_t Style() const { return fV.Style; }
  void SetStyle(std::uint8_t s);  // 0 to 5, else EPLNError
  QString GetFormat() const { return fV.Format; }
  void SetFormat(const QString& f) { Set(fV.Format, f); }
  TAlphaColor GetFontColor() const { return fV.FontColor; }
  void SetFontColor(TAlphaColor c) { Set(fV.FontColor, c); }
  float GetFontHeightBox() const { return float(fV.FontHeightBox / 1000.0); }  // millimetres
  float GetFontHeightSizes() const { return float(fV.FontHeightSizes / 1000.0); }
  void SetBaseFontHeights(std::int64_t box, std::int64_t sizes);  // above 0, else EPLNError
  QString NameWidth() const { return fV.NameWidth; }
  QString NameLength() const { return fV.NameLength; }
  QString NameHeight() const { return fV.NameHeight; }
  void SetNames(const QString& width, const QString& length, const QString& height);
  float GetRadio() const { return float(fV.Radius / 1000.0); }
  std::int64_t GetBaseRadio() const { return fV.Radius; }
  void SetBaseRadio(std::int64_t r);  // 0 or more, else EPLNError

  int GetNumDrills() const { return int(fV.Drills.size()); }
  const TORVDrill& GetDrillPoint(int i) const { return fV.Drills.at(std::size_t(i)); }  // from 0
  int GetNumSlots() const { return int(fV.Slots.size()); }
  const TORVSlot& GetSlot(int i) const { return fV.Slots.at(std::size_t(i)); }
  void SetDrills(std::vector<TORVDrill> drills, std::vector<TORVSlot> slotList);

  // Reads the text notation of a part, one entry a line or separated by ';':
  //   W=<width>  L=<length>  H=<height>  D=<x>,<y>,<diameter>  S=<x1>,<y1>,<x2>,<y2>,<width>
  // (keys in either case, numbers with a decimal point). Entries not given keep their values;
  // any mistake raises EPLNError naming the entry, and nothing changes.
  void SetData(const QString& notation);
  // The notation of the current values.
  QString GetData() const;

  // A size as written on the drawing: the format's decimals (its digits after the point), or a
  // whole number when the format is empty.
  QString SizeText(double v) const;

  const TORVPackageValues& Values() const { return fV; }

  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;

  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 private:
  template <class V>
  void Set(V& field, const V& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void CheckValues(const TORVPackageValues& v) const;
  TORVPackageValues fV;
};

}  // namespace Orv::F2d
