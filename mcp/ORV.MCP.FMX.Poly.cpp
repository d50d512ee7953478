// The poly text tool: a line of text, or a linear, QR or DataMatrix code, in a box with an
// optional round-cornered background, turned by quarter turns.
#include <optional>

#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Barcode.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.Poly.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;
using Text::TORVPolyType;
using Text::TPLNBasePoly;

// Content names; anything else (or nothing) is a line of text runs.
TORVPolyType PolyTypeOf(const QString& name) {
  const QString n = name.trimmed().toLower();
  if (n == QLatin1String("barcode")) return TORVPolyType::Barcode;
  if (n == QLatin1String("qr")) return TORVPolyType::QRCode;
  if (n == QLatin1String("datamatrix")) return TORVPolyType::DataMatrix;
  return TORVPolyType::Runs;
}

// Degrees to quarter turns; only the four right angles are turns a poly text can take.
TORVAngle AngleOf(int degrees) {
  switch (degrees) {
    case 0: return TORVAngle::A0;
    case 90: return TORVAngle::A90;
    case 180: return TORVAngle::A180;
    case 270: return TORVAngle::A270;
    default: throw EToolError(QStringLiteral("angle must be 0, 90, 180 or 270 degrees, not %1").arg(degrees));
  }
}

QJsonObject AddPolyText(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0);
  CheckCoord(doc, "x", x);
  CheckCoord(doc, "y", y);
  const QString text = a.Str("text");
  const double radius = a.Num("radius", kNoSize);
  std::optional<double> radiusBase;
  if (radius >= 0) radiusBase = LengthBase(doc, "radius", radius);
  const TORVPolyType type = PolyTypeOf(a.Str("poly_type"));
  const bool hasBarType = a.Has("barcode_type");
  const TORVBarType barType = hasBarType ? BarTypeOf(a.Str("barcode_type")) : TORVBarType::Code128;
  std::optional<TORVAngle> angle;
  if (a.Has("angle")) angle = AngleOf(a.Int("angle", 0));

  // A code the content cannot show is refused before anything is made.
  if (type == TORVPolyType::Barcode) CheckBarcode(text, barType, false, false);
  QString why;
  if (!TPLNBasePoly::CanEncode(type, text, barType, false, &why))
    throw EToolError(QStringLiteral("Cannot encode the %1 content: %2").arg(a.Str("poly_type").trimmed(), why));

  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddPolyText(doc, float(x), float(y)));
  auto* poly = static_cast<TPLNBasePoly*>(made.Get());
  poly->SetPolyType(type);
  poly->SetData(text);
  if (radiusBase) poly->SetBaseRadio(Utils::RoundHalfAway(*radiusBase));
  if (hasBarType) poly->SetCodeType(barType);
  const TAlphaColor color = ColorArg(a, "color", poly->GetColor());
  poly->SetColor(color);
  // The colour is the ink of the text too.
  if (a.Has("color"))
    for (int i = 1; i <= poly->GetItemCount(); ++i) {
      Text::TPLNDataPoly run = poly->GetItem(i);
      run.SetColor(color);
      poly->SetItem(i, run);
    }
  if (a.Has("back_color")) {
    poly->SetBackColor(ColorArg(a, "back_color", poly->GetBackColor()));
    poly->SetFilled(true);
  }
  if (angle) poly->SetAngle(*angle);
  if (!poly->IsValid()) throw EToolError(QStringLiteral("Cannot encode the content: %1").arg(poly->EncodeError()));
  made.Keep();
  return TextResult(QStringLiteral("PolyText added: id=%1 at (%2, %3) radius %4 text=\"%5\"")
                        .arg(QString::number(poly->GetID()), Fmt(x), Fmt(y), Fmt(radius >= 0 ? radius : 0), text));
}

}  // namespace

void RegisterPolyTools(TPLNMCPServer* s) {
  AddTool(s, "add_polytext",
          "Add text (or a barcode/QR/DataMatrix) rendered along a circular path at (x,y) with given radius. Typical for "
          "round labels and stamps.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Str("text", "Text (or code data for barcode/qr/datamatrix) rendered along the circular path")
              .Num("radius", "Radius of the circular path in current units")
              .Enum("poly_type", {"barcode", "qr", "datamatrix"}, "Content type rendered along the path")
              .Enum("barcode_type",
                    {"EAN13", "EAN8", "UPCA", "CODE39", "CODE128", "CODE128A", "CODE128B", "CODE128C", "CODABAR",
                     "CODE93", "ITF", "POSTNET", "MSI"},
                    "Barcode symbology when poly_type=barcode")
              .Str("color", "Color as #RRGGBB")
              .Str("back_color", "Background color as #RRGGBB (enables fill)")
              .Int("angle", "Rotation angle: 0, 90, 180 or 270 degrees"),
          AddPolyText);
}

}  // namespace Orv::Mcp
