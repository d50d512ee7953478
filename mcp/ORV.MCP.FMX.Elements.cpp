// The tools that add one item each through the factory, then apply the optional arguments.
#include <cmath>
#include <numbers>
#include <optional>

#include "ORV.Dim.h"
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Modify.h"
#include "ORV.MCP.FMX.Tools.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;
constexpr double kDegToRad = std::numbers::pi / 180.0;

QString Id(const TPLNBaseItem* item) { return QString::number(item->GetID()); }

void Coords(const TPLNBaseLabel* doc, std::initializer_list<std::pair<const char*, double>> values) {
  for (const auto& [name, v] : values) CheckCoord(doc, name, v);
}

// A coordinate that may be left out (the absent marker) in favour of a computed default.
double CoordOr(const TArgs& a, const char* key, double def) {
  const double v = a.Num(key, kNoCoord);
  return v == kNoCoord ? def : v;
}

// The pen and fill arguments most shapes share, read and checked before the item exists.
struct TLook {
  std::optional<double> PenWidth, Radius;

  TLook(const TPLNBaseLabel* doc, const TArgs& a) {
    if (a.Num("pen_width", kNoSize) >= 0) PenWidth = LengthBase(doc, "pen_width", a.Num("pen_width", 0));
    if (a.Num("radio", kNoSize) >= 0) Radius = LengthBase(doc, "radio", a.Num("radio", 0));
  }
  void ApplyPen(TPLNBaseItem* item, const TArgs& a) const {
    item->SetColor(ColorArg(a, "color", item->GetColor()));
    if (PenWidth) item->SetPenWidth(*PenWidth);
  }
  void ApplyArea(TPLN2DItem* item, const TArgs& a) const {
    ApplyPen(item, a);
    item->SetBackColor(ColorArg(a, "back_color", item->GetBackColor()));
    const int filled = a.Int("filled", -1);
    if (filled == 0 || filled == 1) item->SetFilled(filled == 1);
  }
};

// x1, y1, x2, y2 ... from `points`, refused below `min` values with `message`.
std::vector<float> PointList(const TPLNBaseLabel* doc, const TArgs& a, qsizetype min, const char* message) {
  QJsonArray arr;
  if (!a.Array("points", &arr) || arr.size() < min) throw EToolError(QString::fromLatin1(message));
  std::vector<float> values;
  values.reserve(static_cast<std::size_t>(arr.size()));
  for (const QJsonValue& v : arr) {
    CheckCoord(doc, "points", v.toDouble());
    values.push_back(static_cast<float>(v.toDouble()));
  }
  return values;
}

// ---------------------------------------------------------------- shapes

QJsonObject AddRectangle(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), w = a.Num("width", 20), h = a.Num("height", 10);
  Coords(doc, {{"x", x}, {"y", y}, {"width", w}, {"height", h}});
  const TLook look(doc, a);
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddRectangle(doc, float(x), float(y), float(w), float(h)));
  auto* rect = static_cast<Fmx::TPLNRectangle*>(made.Get());
  look.ApplyArea(rect, a);
  if (look.Radius) rect->SetBaseRadio(static_cast<std::int64_t>(*look.Radius));
  made.Keep();
  return TextResult(QStringLiteral("Rectangle added: id=%1 at (%2, %3) size %4 x %5").arg(Id(rect), Fmt(x), Fmt(y), Fmt(w), Fmt(h)));
}

QJsonObject AddCircle(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), r = a.Num("radius", 10);
  Coords(doc, {{"x", x}, {"y", y}, {"radius", r}});
  const TLook look(doc, a);
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddCircle(doc, float(x), float(y), float(r)));
  auto* item = static_cast<TPLN2DItem*>(made.Get());
  look.ApplyArea(item, a);
  made.Keep();
  return TextResult(QStringLiteral("Circle added: id=%1 center (%2, %3) radius %4").arg(Id(item), Fmt(x), Fmt(y), Fmt(r)));
}

QJsonObject AddEllipse(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), rx = a.Num("radius_x", 15), ry = a.Num("radius_y", 10);
  Coords(doc, {{"x", x}, {"y", y}, {"radius_x", rx}, {"radius_y", ry}});
  const TLook look(doc, a);
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddEllipse(doc, float(x), float(y), float(rx), float(ry)));
  auto* item = static_cast<TPLN2DItem*>(made.Get());
  look.ApplyArea(item, a);
  made.Keep();
  return TextResult(
      QStringLiteral("Ellipse added: id=%1 center (%2, %3) radii %4 x %5").arg(Id(item), Fmt(x), Fmt(y), Fmt(rx), Fmt(ry)));
}

QJsonObject AddSector(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), r = a.Num("radius", 10);
  const double start = a.Num("start_angle", 0), sweep = a.Num("sweep_angle", 90);
  Coords(doc, {{"x", x}, {"y", y}, {"radius", r}});
  if (std::abs(sweep) > 360) throw EToolError(QStringLiteral("sweep_angle must lie between -360 and 360 degrees"));
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddSector(doc, float(x), float(y), float(r), start, sweep));
  TPLNBaseItem* item = made.Get();
  item->SetColor(ColorArg(a, "color", item->GetColor()));
  made.Keep();
  return TextResult(QStringLiteral("Sector added: id=%1 center (%2, %3) radius %4 start %5 sweep %6")
                        .arg(Id(item), Fmt(x), Fmt(y), Fmt(r), Fmt(start, 0), Fmt(sweep, 0)));
}

QJsonObject AddPoint(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0);
  Coords(doc, {{"x", x}, {"y", y}});
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddPoint(doc, float(x), float(y)));
  TPLNBaseItem* item = made.Get();
  item->SetColor(ColorArg(a, "color", item->GetColor()));
  made.Keep();
  return TextResult(
      QStringLiteral("Point added: id=%1 at (%2, %3). It can be used as link anchor with add_link.").arg(Id(item), Fmt(x), Fmt(y)));
}

QJsonObject AddLine(TPLNBaseLabel* doc, const TArgs& a) {
  const double x1 = a.Num("x1", 0), y1 = a.Num("y1", 0), x2 = a.Num("x2", 20), y2 = a.Num("y2", 0);
  Coords(doc, {{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}});
  const TLook look(doc, a);
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddLine(doc, float(x1), float(y1), float(x2), float(y2)));
  TPLNBaseItem* item = made.Get();
  look.ApplyPen(item, a);
  if (a.Has("line_type")) item->SetLineType(LineTypeOf(a.Str("line_type")));
  made.Keep();
  return TextResult(
      QStringLiteral("Line added: id=%1 from (%2, %3) to (%4, %5)").arg(Id(item), Fmt(x1), Fmt(y1), Fmt(x2), Fmt(y2)));
}

QJsonObject AddArrowLine(TPLNBaseLabel* doc, const TArgs& a) {
  const double x1 = a.Num("x1", 0), y1 = a.Num("y1", 0), x2 = a.Num("x2", 20), y2 = a.Num("y2", 0);
  Coords(doc, {{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}});
  const TLook look(doc, a);
  const double fontHeight = a.Num("font_height", kNoSize);
  if (fontHeight >= 0) CheckLength(doc, "font_height", fontHeight);
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddArrowLine(doc, float(x1), float(y1), float(x2), float(y2)));
  auto* arrow = static_cast<Fmx::TPLNArrowLine*>(made.Get());
  look.ApplyPen(arrow, a);
  ApplyTermArgs(doc, arrow, a);
  if (a.Has("text")) arrow->SetText(a.Str("text"));
  if (a.Has("text_pos")) arrow->SetTextPos(static_cast<Line::TORVTextPos>(TextPosOf(a.Str("text_pos"))));
  // The arrow line keeps no measuring caption of its own: the distance is written in as its text.
  if (a.Int("text_measure", -1) == 1)
    arrow->SetText(Line::FormatNumber(std::hypot(x2 - x1, y2 - y1), QStringLiteral("0.##"), 2));
  if (!a.Str("font_name").trimmed().isEmpty()) arrow->SetFontName(a.Str("font_name").trimmed());
  if (fontHeight > 0) arrow->SetFontHeight(static_cast<float>(Utils::SetValue(fontHeight, doc->GetUnits()) / 1000.0));
  arrow->SetFontColor(ColorArg(a, "font_color", arrow->GetFontColor()));
  arrow->Update();
  made.Keep();
  return TextResult(
      QStringLiteral("Arrow line added: id=%1 from (%2, %3) to (%4, %5)").arg(Id(arrow), Fmt(x1), Fmt(y1), Fmt(x2), Fmt(y2)));
}

QJsonObject AddPolyLine(TPLNBaseLabel* doc, const TArgs& a) {
  const std::vector<float> values = PointList(doc, a, 4, "points must be an array of [x1,y1,x2,y2,...] with at least 4 values");
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddPolyLine(doc, values));
  TPLNBaseItem* item = made.Get();
  item->SetColor(ColorArg(a, "color", item->GetColor()));
  made.Keep();
  return TextResult(QStringLiteral("Polyline added: id=%1 with %2 points").arg(Id(item)).arg(values.size() / 2));
}

QJsonObject AddPolygon(TPLNBaseLabel* doc, const TArgs& a) {
  const std::vector<float> values =
      PointList(doc, a, 6, "points must be an array of [x1,y1,x2,y2,...] with at least 6 values (3 points)");
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddPolygon(doc, values));
  TPLNBaseItem* item = made.Get();
  item->SetColor(ColorArg(a, "color", item->GetColor()));
  made.Keep();
  return TextResult(QStringLiteral("Polygon added: id=%1 with %2 vertices").arg(Id(item)).arg(values.size() / 2));
}

QJsonObject AddArc(TPLNBaseLabel* doc, const TArgs& a) {
  const double cx = a.Num("cx", 0), cy = a.Num("cy", 0), r = a.Num("radius", 10);
  const double start = a.Num("start_angle", 0), end = a.Num("end_angle", 90);
  Coords(doc, {{"cx", cx}, {"cy", cy}, {"radius", r}});
  // The arc runs from start to end in the increasing direction, so 350 to 10 is the 20 degree
  // arc through 0 rather than the 340 degrees back; ends a whole turn apart give the full circle.
  const double turn = end - start;
  double sweep = turn - 360.0 * std::floor(turn / 360.0);
  if (sweep == 0 && turn != 0) sweep = 360;
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddArc(doc, float(cx), float(cy), float(r), start * kDegToRad, sweep * kDegToRad));
  TPLNBaseItem* item = made.Get();
  item->SetColor(ColorArg(a, "color", item->GetColor()));
  made.Keep();
  return TextResult(QStringLiteral("Arc added: id=%1 center (%2, %3) radius %4 angles %5-%6")
                        .arg(Id(item), Fmt(cx), Fmt(cy), Fmt(r), Fmt(start, 0), Fmt(end, 0)));
}

QJsonObject AddBezier(TPLNBaseLabel* doc, const TArgs& a) {
  const std::vector<float> values =
      PointList(doc, a, 8, "points must be an array of [x1,y1,...] with at least 8 values (4 control points)");
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddBezier(doc, values));
  TPLNBaseItem* item = made.Get();
  item->SetColor(ColorArg(a, "color", item->GetColor()));
  made.Keep();
  return TextResult(QStringLiteral("Bezier added: id=%1 with %2 control points").arg(Id(item)).arg(values.size() / 2));
}

QJsonObject AddText(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), size = a.Num("font_size", 0);
  Coords(doc, {{"x", x}, {"y", y}});
  if (size > 0) CheckLength(doc, "font_size", size);
  const QString text = a.Str("text");
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddText(doc, float(x), float(y)));
  auto* item = static_cast<Fmx::TPLNText*>(made.Get());
  item->SetText(text);
  if (!a.Str("font_name").trimmed().isEmpty()) item->SetFontName(a.Str("font_name").trimmed());
  if (size > 0) item->SetBaseFontHeight(Utils::SetValue(size, doc->GetUnits()));
  // The text is drawn in its font colour; the pen colour is what listings report.
  const TAlphaColor c = ColorArg(a, "color", item->GetFontColor());
  item->SetFontColor(c);
  if (a.Has("color")) item->SetColor(c);
  made.Keep();
  return TextResult(QStringLiteral("Text added: id=%1 at (%2, %3) text=\"%4\"").arg(Id(item), Fmt(x), Fmt(y), text));
}

QJsonObject AddParagraph(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), w = a.Num("width", 50), h = a.Num("height", 20);
  Coords(doc, {{"x", x}, {"y", y}, {"width", w}, {"height", h}});
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddParagraph(doc, float(x), float(y), float(w), float(h)));
  auto* item = static_cast<Fmx::TPLNParagraph*>(made.Get());
  if (a.Has("text")) item->SetText(a.Str("text"));
  const TAlphaColor c = ColorArg(a, "color", item->GetFontColor());
  item->SetFontColor(c);
  if (a.Has("color")) item->SetColor(c);
  made.Keep();
  return TextResult(QStringLiteral("Paragraph added: id=%1 at (%2, %3) size %4 x %5").arg(Id(item), Fmt(x), Fmt(y), Fmt(w), Fmt(h)));
}

QJsonObject AddRichText(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0), w = a.Num("width", 50), h = a.Num("height", 20);
  Coords(doc, {{"x", x}, {"y", y}, {"width", w}, {"height", h}});
  const QString markup = a.Str("richtext");
  if (markup.isEmpty()) throw EToolError(QStringLiteral("richtext must not be empty"));
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddRichText(doc, float(x), float(y), float(w), float(h)));
  auto* item = static_cast<Fmx::TPLNRichText*>(made.Get());
  // The default colour is the colour of text outside every colour tag.
  const TAlphaColor c = ColorArg(a, "color", item->GetFontColor());
  item->SetFontColor(c);
  if (a.Has("color")) item->SetColor(c);
  item->SetRichText(markup);
  made.Keep();
  QString text = QStringLiteral("RichText added: id=%1 at (%2, %3) size %4 x %5").arg(Id(item), Fmt(x), Fmt(y), Fmt(w), Fmt(h));
  // What the markup reading left as text or replaced: the agent can correct it.
  for (const QString& w : item->Warnings()) text += QStringLiteral("\nWarning: ") + w;
  return TextResult(text);
}

// ---------------------------------------------------------------- dimensions

// A new dimension with the common arguments applied, removed again if they are refused.
TPLNBaseItem* FinishDim(TPLNBaseLabel* doc, TPLNBaseItem* made, const TArgs& a) {
  TNewItem guard(doc, made);
  ApplyDimArgs(doc, static_cast<Line::TPLNBaseDim*>(made), a);
  return guard.Keep();
}

QJsonObject AddDimLinear(TPLNBaseLabel* doc, const TArgs& a) {
  const double x1 = a.Num("x1", 0), y1 = a.Num("y1", 0), x2 = a.Num("x2", 50), y2 = a.Num("y2", 0);
  const double tx = CoordOr(a, "text_x", (x1 + x2) / 2), ty = CoordOr(a, "text_y", y1 - 10);
  Coords(doc, {{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}, {"text_x", tx}, {"text_y", ty}});
  TUpdate batch(doc);
  TPLNBaseItem* item =
      FinishDim(doc, TPLNFactory::AddDim(doc, float(x1), float(y1), float(x2), float(y2), float(tx), float(ty)), a);
  return TextResult(QStringLiteral("Linear dimension added: id=%1 from (%2, %3) to (%4, %5)")
                        .arg(Id(item), Fmt(x1), Fmt(y1), Fmt(x2), Fmt(y2)));
}

QJsonObject AddDimAngle(TPLNBaseLabel* doc, const TArgs& a) {
  const double x1 = a.Num("x1", 0), y1 = a.Num("y1", 0), x2 = a.Num("x2", 50), y2 = a.Num("y2", 0);
  const double x3 = a.Num("x3", 0), y3 = a.Num("y3", 0), x4 = a.Num("x4", 0), y4 = a.Num("y4", 50);
  const double tx = CoordOr(a, "text_x", (x1 + x3) / 2), ty = CoordOr(a, "text_y", (y1 + y3) / 2);
  Coords(doc, {{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}, {"x3", x3}, {"y3", y3}, {"x4", x4}, {"y4", y4},
               {"text_x", tx}, {"text_y", ty}});
  TUpdate batch(doc);
  TPLNBaseItem* made = TPLNFactory::AddDimAngle(
      doc, {float(x1), float(y1), float(x2), float(y2), float(x3), float(y3), float(x4), float(y4), float(tx), float(ty)});
  if (!made)
    throw EToolError(QStringLiteral("The two lines are parallel: an angle dimension needs lines (x1,y1)-(x2,y2) and "
                                    "(x3,y3)-(x4,y4) that meet"));
  return TextResult(QStringLiteral("Angle dimension added: id=%1").arg(Id(FinishDim(doc, made, a))));
}

QJsonObject AddDimCircle(TPLNBaseLabel* doc, const TArgs& a, bool diameter) {
  const double cx = a.Num("center_x", 0), cy = a.Num("center_y", 0), r = a.Num("radius", 10), angle = a.Num("angle", 45);
  Coords(doc, {{"center_x", cx}, {"center_y", cy}, {"radius", r}});
  const int style = a.Int("style", 1) == 2 ? 2 : 1;
  const float fx = float(cx), fy = float(cy), fr = float(r);
  const double rad = angle * kDegToRad;
  TUpdate batch(doc);
  TPLNBaseItem* made = diameter ? (style == 2 ? TPLNFactory::AddDimDiameter2(doc, fx, fy, fr, rad)
                                              : TPLNFactory::AddDimDiameter1(doc, fx, fy, fr, rad))
                                : (style == 2 ? TPLNFactory::AddDimRadial2(doc, fx, fy, fr, rad)
                                              : TPLNFactory::AddDimRadial1(doc, fx, fy, fr, rad));
  TPLNBaseItem* item = FinishDim(doc, made, a);
  return TextResult(QStringLiteral("%1 dimension added: id=%2 center (%3, %4) %5=%6 angle=%7 style=%8")
                        .arg(diameter ? QStringLiteral("Diameter") : QStringLiteral("Radial"), Id(item), Fmt(cx), Fmt(cy),
                             diameter ? QStringLiteral("D") : QStringLiteral("R"), Fmt(diameter ? 2 * r : r), Fmt(angle, 0))
                        .arg(style));
}

// The parameters every dimension tool takes besides its own.
TSchema& DimCommon(TSchema& s) {
  return s.Str("text", "Custom text (overrides auto-measured value)")
      .Int("text_measure", "1=auto-calculate distance/angle as text, 0=use custom text")
      .Int("show_extension", "1=show extension lines, 0=hide")
      .Enum("text_pos", TextPosNames(), "Text position on dimension line")
      .Enum("head_type", {"none", "circle", "fillcircle", "arrow", "fillarrow", "square", "fillsquare", "rhombus", "fillrhombus", "cross"},
            "Terminator/arrow type at dimension ends")
      .Str("dim_color", "Dimension line color #RRGGBB")
      .Str("ext_color", "Extension line color #RRGGBB")
      .Str("head_color", "Arrow/terminator color #RRGGBB")
      .Str("font_name", "Text font name")
      .Num("font_height", "Text font height in current units")
      .Str("font_color", "Text color #RRGGBB")
      .Num("dim_pen_width", "Dimension line width")
      .Num("ext_pen_width", "Extension line width")
      .Num("head_size", "Arrow/terminator size")
      .Str("prefix", "Text prefix (e.g. R for radius, empty string to clear)")
      .Str("suffix", "Text suffix (e.g. tolerance value, empty string to clear)")
      .Str("format", "Number format string (e.g. \"0.00\", \"0.0\")");
}

const QStringList kTerms = TermNames();

}  // namespace

void RegisterShapeTools(TPLNMCPServer* s) {
  AddTool(s, "add_rectangle", "Add a rectangle to the drawing at position (x,y) with given width and height in current units.",
          TSchema()
              .Num("x", "X position (top-left) in current units", true)
              .Num("y", "Y position (top-left) in current units", true)
              .Num("width", "Width in current units", true)
              .Num("height", "Height in current units", true)
              .Str("color", "Stroke color as #RRGGBB")
              .Str("back_color", "Fill/background color as #RRGGBB")
              .Num("pen_width", "Stroke width in current units")
              .Num("radio", "Corner radius (0 = sharp corners)")
              .Int("filled", "Fill: 1=filled with back_color, 0=not filled (transparent). Default: filled"),
          AddRectangle);
  AddTool(s, "add_circle", "Add a circle at center (x,y) with given radius in current units.",
          TSchema()
              .Num("x", "Center X in current units", true)
              .Num("y", "Center Y in current units", true)
              .Num("radius", "Radius in current units", true)
              .Str("color", "Stroke color as #RRGGBB")
              .Str("back_color", "Fill/background color as #RRGGBB")
              .Num("pen_width", "Stroke width in current units")
              .Int("filled", "Fill: 1=filled, 0=not filled. Default: filled"),
          AddCircle);
  AddTool(s, "add_ellipse", "Add an ellipse at center (x,y) with horizontal and vertical radii in current units.",
          TSchema()
              .Num("x", "Center X in current units", true)
              .Num("y", "Center Y in current units", true)
              .Num("radius_x", "Horizontal radius in current units", true)
              .Num("radius_y", "Vertical radius in current units", true)
              .Str("color", "Stroke color as #RRGGBB")
              .Str("back_color", "Fill/background color as #RRGGBB")
              .Num("pen_width", "Stroke width in current units")
              .Int("filled", "Fill: 1=filled, 0=not filled. Default: filled"),
          AddEllipse);
  AddTool(s, "add_sector", "Add a circular sector (pie slice) at center (x,y) with radius, start angle and sweep angle.",
          TSchema()
              .Num("x", "Center X in current units", true)
              .Num("y", "Center Y in current units", true)
              .Num("radius", "Radius in current units", true)
              .Num("start_angle", "Start angle in degrees", true)
              .Num("sweep_angle", "Sweep angle in degrees", true)
              .Str("color", "Color as #RRGGBB"),
          AddSector);
  AddTool(s, "add_point", "Add a point at (x,y). Points are useful as anchors to connect links (add_link) at arbitrary positions.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Str("color", "Color as #RRGGBB"),
          AddPoint);
  AddTool(s, "add_line", "Add a straight line from (x1,y1) to (x2,y2) in current units.",
          TSchema()
              .Num("x1", "Start X in current units", true)
              .Num("y1", "Start Y in current units", true)
              .Num("x2", "End X in current units", true)
              .Num("y2", "End Y in current units", true)
              .Str("color", "Color as #RRGGBB")
              .Num("pen_width", "Line width in current units")
              .Enum("line_type", {"solid", "dashed", "dotted", "dashdot", "dashdotdot"}, "Line style"),
          AddLine);
  AddTool(s, "add_arrow_line", "Add a line with arrow terminators from (x1,y1) to (x2,y2) in current units.",
          TSchema()
              .Num("x1", "Start X in current units", true)
              .Num("y1", "Start Y in current units", true)
              .Num("x2", "End X in current units", true)
              .Num("y2", "End Y in current units", true)
              .Str("color", "Line color as #RRGGBB")
              .Num("pen_width", "Line width in current units")
              .Enum("from_type", kTerms, "Start terminator")
              .Enum("to_type", kTerms, "End terminator")
              .Str("from_color", "Start terminator color as #RRGGBB")
              .Str("to_color", "End terminator color as #RRGGBB")
              .Str("text", "Text label on the line")
              .Enum("text_pos", TextPosNames(),
                    "Text position relative to line")
              .Int("text_measure", "1=show measured distance as text, 0=use custom text")
              .Str("font_name", "Font name (e.g. Arial)")
              .Num("font_height", "Font height in current units")
              .Str("font_color", "Font color as #RRGGBB"),
          AddArrowLine);
  AddTool(s, "add_polyline", "Add a multi-segment polyline from an array of [x1,y1,x2,y2,...] coordinates.",
          TSchema()
              .NumArray("points", "Flat array of coordinates [x1,y1,x2,y2,...] in current units", true)
              .Str("color", "Color as #RRGGBB hex string"),
          AddPolyLine);
  AddTool(s, "add_polygon", "Add a closed polygon from an array of [x1,y1,x2,y2,...] vertex coordinates (min 3 vertices).",
          TSchema()
              .NumArray("points", "Flat array of vertex coordinates [x1,y1,x2,y2,...] in current units (min 3 vertices)", true)
              .Str("color", "Color as #RRGGBB hex string"),
          AddPolygon);
  AddTool(s, "add_arc", "Add an arc at center (cx,cy) with radius and start/end angles in degrees.",
          TSchema()
              .Num("cx", "Center X in current units", true)
              .Num("cy", "Center Y in current units", true)
              .Num("radius", "Radius in current units", true)
              .Num("start_angle", "Start angle in degrees", true)
              .Num("end_angle", "End angle in degrees", true)
              .Str("color", "Color as #RRGGBB hex string"),
          AddArc);
  AddTool(s, "add_bezier", "Add a Bezier curve from control points [x1,y1,...] (min 4 control points = 8 values).",
          TSchema()
              .NumArray("points", "Flat array of control points [x1,y1,x2,y2,...] in current units (min 4 points = 8 values)", true)
              .Str("color", "Color as #RRGGBB hex string"),
          AddBezier);
  AddTool(s, "add_text", "Add a text element at (x,y) with optional font name, font size and color.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Str("text", "Text content", true)
              .Str("font_name", "Font family name (e.g. \"Arial\")")
              .Num("font_size", "Font size in current units")
              .Str("color", "Text color as #RRGGBB hex string"),
          AddText);
  const char* tags = "<B>, <I>, <U>, <S>, <FN:name>, <FS:size>, <FC:#color>, <BC:#color>, <BR>, <L>, <C>, <R>";
  AddTool(s, "add_richtext", QStringLiteral("Add a rich text element with formatting tags. Supports: %1.").arg(QLatin1String(tags)),
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Num("width", "Width in current units", true)
              .Num("height", "Height in current units", true)
              .Str("richtext", QStringLiteral("Rich text with tags: %1").arg(QLatin1String(tags)), true)
              .Str("color", "Default color as #RRGGBB"),
          AddRichText);
  AddTool(s, "add_paragraph", "Add a paragraph text block at (x,y) with given width and height.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Num("width", "Width in current units", true)
              .Num("height", "Height in current units", true)
              .Str("text", "Paragraph text")
              .Str("color", "Color as #RRGGBB"),
          AddParagraph);
}

void RegisterDimensionTools(TPLNMCPServer* s) {
  TSchema linear = TSchema()
                       .Num("x1", "Start X of measured segment", true)
                       .Num("y1", "Start Y of measured segment", true)
                       .Num("x2", "End X of measured segment", true)
                       .Num("y2", "End Y of measured segment", true)
                       .Num("text_x", "X position for dimension text (default: midpoint)")
                       .Num("text_y", "Y position for dimension text (default: above line)");
  AddTool(s, "add_dim_linear",
          "Add a linear dimension (horizontal, vertical or aligned) between two points. Auto-detects orientation. Shows "
          "measured distance with extension lines and arrows.",
          DimCommon(linear), AddDimLinear);
  TSchema angle = TSchema()
                      .Num("x1", "Line 1 start X", true)
                      .Num("y1", "Line 1 start Y", true)
                      .Num("x2", "Line 1 end X", true)
                      .Num("y2", "Line 1 end Y", true)
                      .Num("x3", "Line 2 start X", true)
                      .Num("y3", "Line 2 start Y", true)
                      .Num("x4", "Line 2 end X", true)
                      .Num("y4", "Line 2 end Y", true)
                      .Num("text_x", "X position for angle text")
                      .Num("text_y", "Y position for angle text");
  AddTool(s, "add_dim_angle",
          "Add an angular dimension between two lines. Each line defined by two points. Shows the angle in degrees with an arc.",
          DimCommon(angle), AddDimAngle);
  TSchema radial = TSchema()
                       .Num("center_x", "Circle center X", true)
                       .Num("center_y", "Circle center Y", true)
                       .Num("radius", "Circle radius", true)
                       .Num("angle", "Angle in degrees where the dimension line points (default: 45)")
                       .Int("style", "Style: 1=line from center to edge (internal), 2=external arrow with horizontal text");
  AddTool(s, "add_dim_radial",
          "Add a radial dimension (radius) to a circle. Style 1: internal line from center to edge. Style 2: external "
          "arrow with horizontal text. Shows \"R\" prefix by default.",
          DimCommon(radial), [](TPLNBaseLabel* doc, const TArgs& a) { return AddDimCircle(doc, a, false); });
  TSchema diameter = TSchema()
                         .Num("center_x", "Circle center X", true)
                         .Num("center_y", "Circle center Y", true)
                         .Num("radius", "Circle radius", true)
                         .Num("angle", "Angle in degrees for the dimension line (default: 45)")
                         .Int("style", "Style: 1=line through center with arrows both ends, 2=external arrow with horizontal text");
  AddTool(s, "add_dim_diameter",
          "Add a diameter dimension to a circle. Style 1: line through center with arrows at both edges. Style 2: "
          "external arrow with horizontal text. Shows \"dia\" prefix by default.",
          DimCommon(diameter), [](TPLNBaseLabel* doc, const TArgs& a) { return AddDimCircle(doc, a, true); });
}

}  // namespace Orv::Mcp
