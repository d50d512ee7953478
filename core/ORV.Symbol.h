#pragma once
// Library symbols: small drawings defined once as a list of drawing commands (in a document or
// in a symbol library file, ".lyp") and placed as symbol items at an insertion point with a scale
// and an angle. Pure model code: the drawing of the commands is the rendering side's.

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "ORV.Base.h"
#include "ORV.BinaryIO.h"
#include "ORV.Types.h"

namespace Orv::Symbol {

// Command kinds, numbered as stored in files.
enum class TSymKind : std::uint8_t {
  PenWidth = 0,    // Value: pen width, base units (1/1000 mm)
  Fill = 1,        // Flag
  RoundCap = 2,    // Flag
  ScalePen = 3,    // Flag: the pen width follows the symbol's scale
  FColor = 4,      // Color: stroke
  BColor = 5,      // Color: fill
  LineType = 6,    // Value: a line type (dash style) number
  FontColor = 7,   // Color
  FontHeight = 8,  // Value: base units
  FontName = 9,    // Text
  Bold = 10,       // Flag
  Italic = 11,     // Flag
  Underline = 12,  // Flag
  Line = 13,       // Points[0] to Points[1]
  Circle = 14,     // centre Points[0], radius Points[1].X
  Ellipse = 15,    // centre Points[0], radii Points[1].X and Points[1].Y
  Rectangle = 16,  // corners Points[0] and Points[1]; corner radius Value (0: square corners)
  Polyline = 17,   // Points; closed when Flag
  Arc = 18,        // centre Points[0], radius Points[1].X, Start and Sweep (degrees)
  Text = 19,       // anchor Points[0], Text, HAlign, VAlign, Angle (degrees)
  Bezier = 20,     // Points: start, then three per cubic segment; closed when Flag
  Path = 21,       // Flag: path mode on or off
  Sector = 22,     // centre Points[0], radius Points[1].X, Start and Sweep (degrees)
  FontScale = 23,  // Value: horizontal text scale, 1 = normal
};
constexpr int kSymKindCount = 24;

// One drawing command. Coordinates are base units relative to the symbol's insertion point, y
// down as on the page; angles are degrees, counter-clockwise from the +x axis as seen on the
// page; Start is where an arc or sector begins and Sweep how far it turns (negative: clockwise).
struct TPLNSymItem {
  TSymKind Kind = TSymKind::Line;
  double Value = 0;
  bool Flag = false;
  TAlphaColor Color = kBlack;
  QString Text;
  std::vector<TORVPto> Points;
  double Start = 0;
  double Sweep = 0;
  TORVHorzAlign HAlign = TORVHorzAlign::Left;
  TORVVertAlign VAlign = TORVVertAlign::Top;
  double Angle = 0;

  bool IsGeometry() const;
  friend bool operator==(const TPLNSymItem&, const TPLNSymItem&) = default;
};

// A symbol definition: commands, link points and a few descriptive fields.
class TPLNBaseLibSymbol {
 public:
  TPLNBaseLibSymbol();  // a fresh braced GUID
  virtual ~TPLNBaseLibSymbol() = default;

  QString Name;
  QString Category;
  QString Note;
  QString Guid;  // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"; identifies the symbol everywhere
  TORVUnits Units = TORVUnits::mm;  // the unit its builder coordinates were given in
  double InsertX = 0;  // insertion point in Units, as given to the builder
  double InsertY = 0;
  // The symbol keeps its paper size whatever the drawing's scale.
  bool NotDrawScale = false;

  // Commands and link points, counted from 1.
  int GetItemsCount() const { return static_cast<int>(fItems.size()); }
  const TPLNSymItem& GetItem(int i) const;
  const std::vector<TPLNSymItem>& Items() const { return fItems; }
  void AddItem(TPLNSymItem item);
  int GetNumLinks() const { return static_cast<int>(fLinks.size()); }
  TORVPto GetLink(int i) const;
  const std::vector<TORVPto>& Links() const { return fLinks; }
  void AddLink(TORVPto p);

  // Extent of the geometry (and link points) relative to the insertion point, base units; empty
  // when the symbol draws nothing.
  TORVBounds Bounds() const;

  // What the drawing code builds from the commands (outlines at some resolution), kept with the
  // definition so that every placement reuses it; any change of content drops it. Safe to call
  // from drawing threads that share the symbol.
  std::shared_ptr<const void> DrawCache() const;
  void SetDrawCache(std::shared_ptr<const void> cache) const;

  // Binary record (document symbol blocks and library files).
  void Write(TBinaryWriter& w) const;
  // Raises EPLNError on a damaged record; never returns a half-read symbol.
  static std::unique_ptr<TPLNBaseLibSymbol> Read(TBinaryReader& r, std::int32_t version);
  // The JSON definition form: {"Version":1,"Name","Category","Note","ID","Units","InsertX",
  // "InsertY","NotDrawScale","Def":[commands],"Links":[[x,y],...]}; coordinates in base units.
  QJsonObject ToJson() const;
  // Empty on success, else the reason; the symbol is unchanged on failure.
  QString ReadJson(const QJsonObject& o);

  friend bool operator==(const TPLNBaseLibSymbol& a, const TPLNBaseLibSymbol& b);

 protected:
  std::vector<TPLNSymItem> fItems;
  std::vector<TORVPto> fLinks;

 private:
  // Worked out once per content: every placed symbol asks for them at each repaint, from both
  // halves of a page drawn at once. A copy works its own out again.
  struct TDerived {
    std::mutex Lock;
    std::atomic<bool> BoundsValid{false};
    TORVBounds Bounds;
    std::shared_ptr<const void> Draw;
    TDerived() = default;
    TDerived(const TDerived&) {}
    TDerived& operator=(const TDerived&) {
      Changed();
      return *this;
    }
    // Content changes never race with drawing: no lock needed here.
    void Changed() {
      BoundsValid.store(false, std::memory_order_relaxed);
      Draw.reset();
    }
  };
  mutable TDerived fDerived;
};

// A symbol being built: every operation appends one command. Coordinates and lengths are in the
// symbol's Units, relative to its insertion point (InsertX, InsertY).
class TPLNLibSymbol : public TPLNBaseLibSymbol {
 public:
  using TPLNBaseLibSymbol::TPLNBaseLibSymbol;

  void ForeColor(TAlphaColor c);
  void BackColor(TAlphaColor c);
  void Filled(bool on);
  void LineType(int type);
  void LineWidth(double width);  // in Units
  void RoundCap(bool on);
  void ScalePen(bool on);
  void SetNotDrawScale(bool on);
  void Path(bool on);
  void FontColor(TAlphaColor c);
  void FontName(const QString& name);
  void FontHeight(double height);  // in Units
  void FontBold(bool on);
  void FontItalic(bool on);
  void FontUnderline(bool on);
  void FontScale(double scale);
  void Line(double x1, double y1, double x2, double y2);
  void Circle(double x, double y, double r);
  void Ellipse(double x, double y, double rx, double ry);
  void Sector(double x, double y, double r, double start, double sweep);
  void Rectangle(double x1, double y1, double x2, double y2, double r = 0);
  // The arc from (x1, y1) through (x2, y2) to (x3, y3); three points in line give a line.
  void Arc(double x1, double y1, double x2, double y2, double x3, double y3);
  void Text(double x, double y, const QString& text, TORVHorzAlign h = TORVHorzAlign::Left,
            TORVVertAlign v = TORVVertAlign::Top, double angle = 0);
  // Flat [x1, y1, x2, y2, ...]; an odd count drops the last value.
  void Polygon(const std::vector<double>& xy);
  void Polyline(const std::vector<double>& xy);
  void Bezier(const std::vector<double>& xy, bool closed);
  void LinkPoint(double x, double y);

 private:
  TORVPto P(double x, double y) const;  // symbol coordinates to base units from the insertion point
  std::int64_t L(double length) const;  // a length in Units to base units
};

// A symbol library: the contents of a ".lyp" file.
class TPLNLibrary {
 public:
  std::vector<std::unique_ptr<TPLNLibSymbol>> Symbols;
  // Category kept by SaveToFile and AssignLib; "*" keeps all.
  QString CategoryFilter = QStringLiteral("*");

  TPLNLibSymbol* AddSymbol(const QString& name, const QString& category, const QString& note, TORVUnits units,
                           double insertX, double insertY);
  // Copies of the document's symbols (those of CategoryFilter).
  void AssignLib(const TPLNBaseLabel& doc);
  TPLNLibSymbol* FindByName(const QString& name) const;  // no case, first match
  TPLNLibSymbol* FindByGuid(const QString& guid) const;  // braces and case ignored
  QStringList Categories() const;                        // sorted, unique, empty category as ""

  // Atomic: the file is complete or untouched. Raises EPLNError with the reason.
  void SaveToFile(const QString& path) const;
  // Raises EPLNError (naming the file) for a missing, truncated, damaged or foreign file, or a
  // newer version; the library is unchanged then.
  void LoadFromFile(const QString& path);
  void SaveToStream(QIODevice* device) const;
  void LoadFromStream(QIODevice* device);

  static constexpr std::int32_t kVersion = 1;
};

// The core side of a placed symbol: insertion point (point 1), scale, angle and the library
// symbol it shows, found in its document by GUID.
class TPLNBaseSymbol : public TPLNBaseItem {
 public:
  TPLNBaseSymbol(TPLNBaseLabel* owner, bool preview);
  TPLNBaseSymbol(TPLNBaseLabel* owner, TPLNLayer* layer, bool preview);
  std::int32_t KindCode() const override { return Kind::Symbol; }
  QString KindName() const override { return QStringLiteral("Symbol"); }

  float GetScale() const { return fScale; }
  void SetScale(float s);  // > 0; others are ignored
  double GetAngleRad() const { return fAngle; }
  double GetAngleDeg() const;
  void SetAngleRad(double a);  // kept in [0, 2 pi)
  void RotateLeft();           // a quarter turn counter-clockwise on the page
  void RotateRight();
  // The symbol shown; null when none is set or the document does not hold it.
  TPLNBaseLibSymbol* GetSymbol() const;
  void SetSymbol(const TPLNBaseLibSymbol* symbol);
  QString GetSymbolGuid() const { return fGuid; }

  // Symbol coordinates (base units from the insertion point) to the page: scaled, turned, moved.
  TORVPto ToPage(const TORVPto& p) const;
  // The factor ToPage scales by: the scale, times the drawing's coordinate multiplier for a
  // symbol that keeps its paper size (NotDrawScale).
  double PageScale() const;

  TORVBounds GetBounds() const override;
  bool Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const override;
  void Move(std::int64_t dx, std::int64_t dy) override;
  void Rotate(std::int64_t cx, std::int64_t cy, double angle) override;
  void Resize(const TORVBounds& from, const TORVBounds& to) override;
  // Links attach to the library symbol's link points: number k is stored as k + 50
  // (kSymbolLinkOffset); plain 1..n is read as the same points.
  int LinkPointCount() const override;
  bool HasLinkPoint(int index) const override;
  bool LinkPoint(int index, const TORVPto& toward, TORVPto& p) const override;
  // The symbol's extent without the pen, so links aim at its middle.
  TORVBounds LinkBox() const override;
  // snRefSymbol (and snPoint): the insertion point.
  void SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const override;

  void WriteData(TBinaryWriter& w) const override;
  void ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) override;
  void WriteJson(Json::TJsonSink& o) const override;
  void ReadJson(std::int32_t version, const QJsonObject& o) override;

 protected:
  void CheckPointCount(int n) const override;

 private:
  float fScale = 1.0f;
  double fAngle = 0;  // radians, clockwise on the page
  QString fGuid;
};

// A link end on a symbol stores its link point's number plus this offset.
constexpr std::int16_t kSymbolLinkOffset = 50;

// "{…}" from a GUID text with or without braces, lower case; empty when it is not a GUID.
QString NormalizeGuid(const QString& text);

}  // namespace Orv::Symbol
