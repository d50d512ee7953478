// The linear barcode tool: a code of one of the 1D symbologies, refused with the reason when the
// symbology cannot encode it.
#include "ORV.MCP.FMX.Barcode.h"

#include <optional>

#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.Utils.h"

namespace Orv::Mcp {

namespace {

using Fmx::TPLNFactory;
using Utils::TBarcode;

constexpr int kMaxCode = 80;

bool Digits(const QByteArray& s) {
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}
bool Within(const QByteArray& s, int lo, int hi) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) < lo || static_cast<unsigned char>(c) > hi) return false;
  return true;
}
bool AllOf(const QByteArray& s, const char* set) {
  for (const char c : s)
    if (!c || !std::strchr(set, c)) return false;
  return true;
}

// EAN/UPC: `payload` digits, or one more that must be the check digit.
QString CheckedDigits(const QString& name, const QByteArray& code, int payload) {
  if (!Digits(code) || (code.size() != payload && code.size() != payload + 1))
    return QStringLiteral("%1 needs %2 or %3 digits (the last one the check digit)").arg(name).arg(payload).arg(payload + 1);
  const char c = char('0' + TBarcode::EanCheckDigit(code.left(payload)));
  if (code.size() == payload + 1 && code[payload] != c)
    return QStringLiteral("the check digit of %1 %2 is %3, not %4").arg(name, QString::fromLatin1(code.left(payload)),
                                                                       QString(QLatin1Char(c)), QString(QLatin1Char(code[payload])));
  return {};
}

QString Rule(const QByteArray& code, TORVBarType type, bool checkDigit) {
  const QString name = BarTypeText(static_cast<int>(type));
  switch (type) {
    case TORVBarType::Ean13: return CheckedDigits(name, code, 12);
    case TORVBarType::Ean8: return CheckedDigits(name, code, 7);
    case TORVBarType::UpcA: return CheckedDigits(name, code, 11);
    case TORVBarType::UpcE0: {
      if (!Digits(code) || code.size() < 6 || code.size() > 8)
        return QStringLiteral("%1 needs 6 digits, 7 with the number system 0 first, or 8 with the check digit last").arg(name);
      if (code.size() >= 7 && code[0] != '0') return QStringLiteral("%1 takes number system 0 only (the first of 7 or 8 digits)").arg(name);
      const char c = char('0' + TBarcode::EanCheckDigit(TBarcode::UpcEToUpcA(code.mid(1, 6))));
      if (code.size() == 8 && code[7] != c)
        return QStringLiteral("the check digit of %1 %2 is %3, not %4").arg(name, QString::fromLatin1(code.left(7)),
                                                                           QString(QLatin1Char(c)), QString(QLatin1Char(code[7])));
      return {};
    }
    case TORVBarType::Code39:
    case TORVBarType::Code93:
      if (!AllOf(code, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%"))
        return QStringLiteral("%1 takes digits, capital letters A-Z, space and - . $ / + % only").arg(name);
      return {};
    case TORVBarType::Code39Ex:
    case TORVBarType::Code93Ex:
      if (!Within(code, 0, 127)) return QStringLiteral("%1 takes ASCII characters only").arg(name);
      return {};
    case TORVBarType::Codabar: {
      const QByteArray body = code.mid(1, code.size() - 2);
      if (code.size() < 3 || !AllOf(code.left(1), "ABCD") || !AllOf(code.right(1), "ABCD") ||
          !AllOf(body, "0123456789-$:/.+"))
        return QStringLiteral("%1 needs a start letter A-D, then digits or - $ : / . +, then a stop letter A-D (e.g. A1234B)").arg(name);
      return {};
    }
    case TORVBarType::Ean128A:
    case TORVBarType::Ean128B:
    case TORVBarType::Ean128C:
    case TORVBarType::Ean128Auto:
      return QStringLiteral("%1 needs GS1 elements \"(AI)value\" with 2 to 4 digit AIs, values of printable ASCII and AIs of "
                            "fixed length given in full, e.g. (01)09501101530008")
          .arg(name);
    case TORVBarType::Code128A:
      if (!Within(code, 0, 95)) return QStringLiteral("%1 takes ASCII control characters, digits, capitals and punctuation (codes 0-95) only; use CODE128B or CODE128 for lower case").arg(name);
      return {};
    case TORVBarType::Code128B:
      if (!Within(code, 32, 127)) return QStringLiteral("%1 takes printable ASCII (codes 32-127) only").arg(name);
      return {};
    case TORVBarType::Code128C:
      if (!Digits(code) || code.size() % 2 != 0) return QStringLiteral("%1 needs an even number of digits").arg(name);
      return {};
    case TORVBarType::Code128:
      if (!Within(code, 0, 127)) return QStringLiteral("%1 takes ASCII characters only").arg(name);
      return {};
    case TORVBarType::Itf:
      if (!Digits(code)) return QStringLiteral("%1 takes digits only").arg(name);
      if ((code.size() + (checkDigit ? 1 : 0)) % 2 != 0)
        return checkDigit ? QStringLiteral("%1 with a check digit needs an odd number of digits").arg(name)
                          : QStringLiteral("%1 needs an even number of digits").arg(name);
      return {};
    case TORVBarType::Industrial25:
    case TORVBarType::Matrix25:
    case TORVBarType::Msi:
      if (!Digits(code)) return QStringLiteral("%1 takes digits only").arg(name);
      return {};
    case TORVBarType::Code11:
      if (!AllOf(code, "0123456789-")) return QStringLiteral("%1 takes digits and - only").arg(name);
      return {};
    case TORVBarType::Postnet:
      if (!Digits(code) || (code.size() != 5 && code.size() != 9 && code.size() != 11))
        return QStringLiteral("%1 needs 5, 9 or 11 digits").arg(name);
      return {};
  }
  return QStringLiteral("%1 is not a barcode type").arg(name);
}

std::optional<double> LengthArg(const TPLNBaseLabel* doc, const TArgs& a, const char* key) {
  const double v = a.Num(key, kNoSize);
  if (v < 0) return std::nullopt;
  return LengthBase(doc, key, v);
}

std::optional<bool> TriArg(const TArgs& a, const char* key) {
  const int v = a.Int(key, -1);
  if (v != 0 && v != 1) return std::nullopt;
  return v == 1;
}

QJsonObject AddBarcode(TPLNBaseLabel* doc, const TArgs& a) {
  const double x = a.Num("x", 0), y = a.Num("y", 0);
  CheckCoord(doc, "x", x);
  CheckCoord(doc, "y", y);
  const QString code = a.Str("code", QStringLiteral("123456789"));
  const QString typeName = a.Str("barcode_type", QStringLiteral("CODE128"));
  const TORVBarType type = BarTypeOf(typeName);
  // Everything is read and checked before the item exists: a refusal leaves the drawing as it was.
  const std::optional<double> barWidth = LengthArg(doc, a, "bar_width"), barHeight = LengthArg(doc, a, "bar_height");
  const std::optional<double> padX = LengthArg(doc, a, "padding_x"), padY = LengthArg(doc, a, "padding_y");
  const std::optional<double> fontHeight = LengthArg(doc, a, "font_height");
  const std::optional<bool> showNumber = TriArg(a, "show_number"), checksum = TriArg(a, "checksum");
  const QString fontName = a.Str("font_name").trimmed();
  CheckBarcode(code, type, checksum.value_or(false), false);

  TUpdate batch(doc);
  TNewItem made(doc, TPLNFactory::AddBarcode(doc, float(x), float(y), code.toLatin1(), type));
  auto* bar = static_cast<Fmx::TPLNBarcode*>(made.Get());
  bar->SetColor(ColorArg(a, "color", bar->GetColor()));
  TAlphaColor back = bar->GetBackColor();
  if (a.Has("back_color") && ParseColor(a.Str("back_color"), &back)) {
    // A background asked for is a background shown.
    bar->SetBackColor(back);
    bar->SetFilled(true);
  }
  if (barWidth) bar->SetBaseBarWidth(Utils::RoundHalfAway(*barWidth));
  if (barHeight) bar->SetBaseBarHeight(Utils::RoundHalfAway(*barHeight));
  if (padX) bar->SetBasePadX(Utils::RoundHalfAway(*padX));
  if (padY) bar->SetBasePadY(Utils::RoundHalfAway(*padY));
  if (showNumber) bar->SetShowNumber(*showNumber);
  if (checksum) bar->SetCheckSum(*checksum);
  if (!fontName.isEmpty()) bar->SetFontName(fontName);
  if (fontHeight && *fontHeight > 0) bar->SetBaseFontHeight(Utils::RoundHalfAway(*fontHeight));
  made.Keep();
  return TextResult(QStringLiteral("Barcode added: id=%1 type=%2 code=\"%3\" at (%4, %5)")
                        .arg(QString::number(bar->GetID()), typeName, code, Fmt(x), Fmt(y)));
}

}  // namespace

QString BarcodeProblem(const QString& code, TORVBarType type, bool checkDigit, bool flagB) {
  if (code.isEmpty()) return QStringLiteral("the code is empty");
  if (code.size() > kMaxCode) return QStringLiteral("a code holds at most %1 characters, not %2").arg(kMaxCode).arg(code.size());
  for (const QChar ch : code)
    if (ch.unicode() > 0xFF) return QStringLiteral("a barcode holds 8-bit (Latin-1) characters only");
  const QByteArray bytes = code.toLatin1();
  if (TBarcode::IsValidCode(bytes, type, checkDigit, flagB)) return {};
  const QString rule = Rule(bytes, type, checkDigit);
  return rule.isEmpty() ? QStringLiteral("%1 cannot encode it").arg(BarTypeText(static_cast<int>(type))) : rule;
}

void CheckBarcode(const QString& code, TORVBarType type, bool checkDigit, bool flagB) {
  const QString why = BarcodeProblem(code, type, checkDigit, flagB);
  if (why.isEmpty()) return;
  throw EToolError(QStringLiteral("Invalid code \"%1\" for barcode type %2: %3")
                       .arg(Utils::QuoteForMessage(code, 80), BarTypeText(static_cast<int>(type)), why));
}

void RegisterBarcodeTools(TPLNMCPServer* s) {
  AddTool(s, "add_barcode", "Add a 1D barcode (EAN13, CODE128, CODE39, etc) at (x,y) with given code value.",
          TSchema()
              .Num("x", "X position in current units", true)
              .Num("y", "Y position in current units", true)
              .Str("code", "Barcode data value", true)
              .Enum("barcode_type", BarTypeNames(), "Barcode symbology")
              .Str("color", "Bar color as #RRGGBB")
              .Str("back_color", "Background color as #RRGGBB")
              .Num("bar_width", "Width of the narrowest bar in current units")
              .Num("bar_height", "Height of bars in current units")
              .Num("padding_x", "Horizontal padding in current units")
              .Num("padding_y", "Vertical padding in current units")
              .Int("show_number", "1=show human-readable number below bars, 0=hide")
              .Int("checksum", "1=add checksum digit, 0=no checksum")
              .Str("font_name", "Font for human-readable text")
              .Num("font_height", "Font height in current units"),
          AddBarcode);
}

}  // namespace Orv::Mcp
