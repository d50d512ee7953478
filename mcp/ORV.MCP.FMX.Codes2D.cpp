// The 2-D code tools: a QR code of a text, a DataMatrix or a PDF417 symbol of 8-bit data, at a
// position.
#include <optional>

#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.Utils.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;

// The optional arguments the tools share, read and checked before the item exists.
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

// The factories of DataMatrix and PDF417 take 8-bit data: a character beyond Latin-1 would
// arrive as '?', a code other than the one asked for.
void CheckLatin1(const char* kind, const QString& code) {
  for (const QChar ch : code)
    if (ch.unicode() > 0xFF)
      throw EToolError(QStringLiteral("%1 encodes 8-bit (Latin-1) data only; \"%2\" (U+%3) is not one of them")
                           .arg(QLatin1String(kind))
                           .arg(ch)
                           .arg(QString::number(ch.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'))));
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

// The steps every 2-D code tool takes: position and arguments checked, the item made by `make`
// (x, y, code) and given the arguments, kept only when its symbol exists.
template <class Make>
QJsonObject AddCode(TPLNBaseLabel* doc, const TArgs& a, const char* label, const char* latin1Kind, Make make) {
  const double x = a.Num("x", 0), y = a.Num("y", 0);
  CheckCoord(doc, "x", x);
  CheckCoord(doc, "y", y);
  const QString code = a.Str("code");
  const TCodeArgs c = ReadCodeArgs(doc, a);
  if (latin1Kind) CheckLatin1(latin1Kind, code);
  TUpdate batch(doc);
  TNewItem made(doc, make(float(x), float(y), code));
  auto* item = dynamic_cast<Barcode::TPLNBase2DCode*>(made.Get());
  if (!item) throw EToolError(QStringLiteral("%1 could not be made").arg(QLatin1String(label)));
  ApplyCodeArgs(item, a, c);
  made.Keep();
  return TextResult(QStringLiteral("%1 added: id=%2 code=\"%3\" at (%4, %5)")
                        .arg(QLatin1String(label), QString::number(item->GetID()), code, Fmt(x), Fmt(y)));
}

QJsonObject AddQRCode(TPLNBaseLabel* doc, const TArgs& a) {
  return AddCode(doc, a, "QR Code", nullptr,
                 [doc](float x, float y, const QString& code) { return TPLNFactory::AddQRCode(doc, x, y, code); });
}

QJsonObject AddDataMatrix(TPLNBaseLabel* doc, const TArgs& a) {
  return AddCode(doc, a, "DataMatrix", "DataMatrix", [doc](float x, float y, const QString& code) {
    return TPLNFactory::AddDataMatrix(doc, x, y, code.toLatin1());
  });
}

QJsonObject AddPDF417(TPLNBaseLabel* doc, const TArgs& a) {
  return AddCode(doc, a, "PDF417", "PDF417", [doc](float x, float y, const QString& code) {
    return TPLNFactory::AddPDF417(doc, x, y, code.toLatin1());
  });
}

// The parameters the three tools share, with their own words for the code and its colour.
TSchema CodeSchema(const char* codeText, const char* colorText) {
  return TSchema()
      .Num("x", "X position in current units", true)
      .Num("y", "Y position in current units", true)
      .Str("code", codeText, true)
      .Str("color", colorText)
      .Str("back_color", "Background color as #RRGGBB")
      .Num("bar_width", "Module width in current units")
      .Num("bar_height", "Module height in current units")
      .Num("ratio", "Module size ratio/scale factor")
      .Num("padding_x", "Horizontal quiet zone in current units")
      .Num("padding_y", "Vertical quiet zone in current units");
}

}  // namespace

void RegisterCodes2DTools(TPLNMCPServer* s) {
  AddTool(s, "add_qrcode", "Add a QR code at (x,y) encoding the given text/URL.",
          CodeSchema("QR code data (URL, text, etc)", "Module color as #RRGGBB"), AddQRCode);
  AddTool(s, "add_datamatrix", "Add a DataMatrix 2D code at (x,y) encoding the given data.",
          CodeSchema("DataMatrix data", "Module color as #RRGGBB"), AddDataMatrix);
  AddTool(s, "add_pdf417",
          "Add a PDF417 2D barcode at (x,y) encoding the given data. Suitable for documents, IDs, transport tickets.",
          CodeSchema("PDF417 data", "Bar color as #RRGGBB"), AddPDF417);
}

}  // namespace Orv::Mcp
