// The PDF417 tool: a stacked 2-D code of 8-bit data at a position.
#include <optional>

#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.Utils.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;

// A length argument in base units when it is given as 0 or more.
std::optional<double> Length(const TPLNBaseLabel* doc, const TArgs& a, const char* key) {
  const double v = a.Num(key, kNoSize);
  if (v < 0) return std::nullopt;
  return LengthBase(doc, key, v);
}

QJsonObject AddPDF417(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0);
  CheckCoord(doc, "x", x);
  CheckCoord(doc, "y", y);
  const QString code = a.Str("code");
  // Everything is read and checked before the item exists.
  const std::optional<double> barWidth = Length(doc, a, "bar_width"), barHeight = Length(doc, a, "bar_height");
  const std::optional<double> padX = Length(doc, a, "padding_x"), padY = Length(doc, a, "padding_y");
  const double ratio = a.Num("ratio", kNoSize);
  for (const QChar ch : code)
    if (ch.unicode() > 0xFF)
      throw EToolError(QStringLiteral("PDF417 encodes 8-bit (Latin-1) data only; \"%1\" (U+%2) is not one of them")
                           .arg(ch)
                           .arg(QString::number(ch.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'))));

  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddPDF417(doc, float(x), float(y), code.toLatin1()));
  auto* item = static_cast<Fmx::TPLNPDF417*>(made.Get());
  item->SetColor(ColorArg(a, "color", item->GetColor()));
  TAlphaColor back = item->GetBackColor();
  if (a.Has("back_color") && ParseColor(a.Str("back_color"), &back)) {
    // A background asked for is a background shown.
    item->SetBackColor(back);
    item->SetFilled(true);
  }
  if (barWidth) item->SetBaseBarWidth(Utils::RoundHalfAway(*barWidth));
  if (barHeight) item->SetBaseBarHeight(Utils::RoundHalfAway(*barHeight));
  if (ratio >= 0) item->SetRatio(ratio);
  if (padX) item->SetBasePadX(Utils::RoundHalfAway(*padX));
  if (padY) item->SetBasePadY(Utils::RoundHalfAway(*padY));
  // A symbol that cannot be made leaves no item behind.
  if (item->Matrix().IsEmpty()) throw EToolError(item->EncodeError());
  made.Keep();
  return TextResult(QStringLiteral("PDF417 added: id=%1 code=\"%2\" at (%3, %4)")
                        .arg(QString::number(item->GetID()), code, Fmt(x), Fmt(y)));
}

}  // namespace

void RegisterPDF417Tools(TPLNMCPServer* s) {
  AddTool(s, "add_pdf417",
          "Add a PDF417 2D barcode at (x,y) encoding the given data. Suitable for documents, IDs, transport tickets.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Str("code", "PDF417 data", true)
              .Str("color", "Bar color as #RRGGBB")
              .Str("back_color", "Background color as #RRGGBB")
              .Num("bar_width", "Module width in current units")
              .Num("bar_height", "Module height in current units")
              .Num("ratio", "Module size ratio/scale factor")
              .Num("padding_x", "Horizontal quiet zone in current units")
              .Num("padding_y", "Vertical quiet zone in current units"),
          AddPDF417);
}

}  // namespace Orv::Mcp
