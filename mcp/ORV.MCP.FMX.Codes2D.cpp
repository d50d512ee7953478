// The QR code and DataMatrix tools: a 2-D code of a text or of 8-bit data at a position.
#include <optional>

#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.Utils.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;

// The optional arguments both tools share, read and checked before the item exists.
struct TCodeArgs {
  std::optional<double> BarWidth, BarHeight, PadX, PadY;  // base units
  double Ratio = kNoSize;
};

// A length argument in base units when it is given as 0 or more.
std::optional<double> Length(const TPLNBaseLabel* doc, const TArgs& a, const char* key) {
  const double v = a.Num(key, kNoSize);
  if (v < 0) return std::nullopt;
  return LengthBase(doc, key, v);
}

TCodeArgs ReadCodeArgs(const TPLNBaseLabel* doc, const TArgs& a) {
  TCodeArgs c;
  c.BarWidth = Length(doc, a, "bar_width");
  c.BarHeight = Length(doc, a, "bar_height");
  c.PadX = Length(doc, a, "padding_x");
  c.PadY = Length(doc, a, "padding_y");
  c.Ratio = a.Num("ratio", kNoSize);
  return c;
}

// Colours, sizes and paddings in the order of the tools' parameters; then the symbol must exist,
// or the item goes again with the encoder's reason as the error.
void ApplyCodeArgs(Barcode::TPLNBase2DCode* item, const TArgs& a, const TCodeArgs& c) {
  item->SetColor(ColorArg(a, "color", item->GetColor()));
  TAlphaColor back = item->GetBackColor();
  if (a.Has("back_color") && ParseColor(a.Str("back_color"), &back)) {
    // A background asked for is a background shown.
    item->SetBackColor(back);
    item->SetFilled(true);
  }
  if (c.BarWidth) item->SetBaseBarWidth(Utils::RoundHalfAway(*c.BarWidth));
  if (c.BarHeight) item->SetBaseBarHeight(Utils::RoundHalfAway(*c.BarHeight));
  if (c.Ratio >= 0) item->SetRatio(c.Ratio);
  if (c.PadX) item->SetBasePadX(Utils::RoundHalfAway(*c.PadX));
  if (c.PadY) item->SetBasePadY(Utils::RoundHalfAway(*c.PadY));
  if (item->Matrix().IsEmpty()) throw EToolError(item->EncodeError());
}

QJsonObject AddQRCode(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0);
  CheckCoord(doc, "x", x);
  CheckCoord(doc, "y", y);
  const QString code = a.Str("code");
  const TCodeArgs c = ReadCodeArgs(doc, a);
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddQRCode(doc, float(x), float(y), code));
  auto* item = static_cast<Fmx::TPLNQRCode*>(made.Get());
  ApplyCodeArgs(item, a, c);
  made.Keep();
  return TextResult(QStringLiteral("QR Code added: id=%1 code=\"%2\" at (%3, %4)")
                        .arg(QString::number(item->GetID()), code, Fmt(x), Fmt(y)));
}

QJsonObject AddDataMatrix(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0);
  CheckCoord(doc, "x", x);
  CheckCoord(doc, "y", y);
  const QString code = a.Str("code");
  const TCodeArgs c = ReadCodeArgs(doc, a);
  // The factory takes 8-bit data: a character beyond Latin-1 would arrive as '?'.
  for (const QChar ch : code)
    if (ch.unicode() > 0xFF)
      throw EToolError(QStringLiteral("DataMatrix encodes 8-bit (Latin-1) data only; \"%1\" (U+%2) is not one of them")
                           .arg(ch)
                           .arg(QString::number(ch.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'))));
  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddDataMatrix(doc, float(x), float(y), code.toLatin1()));
  auto* item = static_cast<Fmx::TPLNDataMatrix*>(made.Get());
  ApplyCodeArgs(item, a, c);
  made.Keep();
  return TextResult(QStringLiteral("DataMatrix added: id=%1 code=\"%2\" at (%3, %4)")
                        .arg(QString::number(item->GetID()), code, Fmt(x), Fmt(y)));
}

}  // namespace

void RegisterCodes2DTools(TPLNMCPServer* s) {
  AddTool(s, "add_qrcode", "Add a QR code at (x,y) encoding the given text/URL.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Str("code", "QR code data (URL, text, etc)", true)
              .Str("color", "Module color as #RRGGBB")
              .Str("back_color", "Background color as #RRGGBB")
              .Num("bar_width", "Module width in current units")
              .Num("bar_height", "Module height in current units")
              .Num("ratio", "Module size ratio/scale factor")
              .Num("padding_x", "Horizontal quiet zone in current units")
              .Num("padding_y", "Vertical quiet zone in current units"),
          AddQRCode);
  AddTool(s, "add_datamatrix", "Add a DataMatrix 2D code at (x,y) encoding the given data.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Str("code", "DataMatrix data", true)
              .Str("color", "Module color as #RRGGBB")
              .Str("back_color", "Background color as #RRGGBB")
              .Num("bar_width", "Module width in current units")
              .Num("bar_height", "Module height in current units")
              .Num("ratio", "Module size ratio/scale factor")
              .Num("padding_x", "Horizontal quiet zone in current units")
              .Num("padding_y", "Vertical quiet zone in current units"),
          AddDataMatrix);
}

}  // namespace Orv::Mcp
