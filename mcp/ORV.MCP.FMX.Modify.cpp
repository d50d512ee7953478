#include "ORV.MCP.FMX.Modify.h"

#include <cmath>
#include <numbers>
#include <optional>

#include "ORV.BarcodeItems.h"
#include "ORV.F2d.h"
#include "ORV.Flow.h"
#include "ORV.Line.h"
#include "ORV.MCP.FMX.Barcode.h"
#include "ORV.Nutri.h"
#include "ORV.Text.h"
#include "ORV.Utils.h"

namespace Orv::Mcp {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

bool Tri(const TArgs& a, const char* key, bool* out) {
  const int v = a.Int(key, -1);
  if (v != 0 && v != 1) return false;
  *out = v == 1;
  return true;
}

bool Color(const TArgs& a, const char* key, TAlphaColor* out) { return a.Has(key) && ParseColor(a.Str(key), out); }

// A length argument that is present and 0 or more, checked; nullopt otherwise.
std::optional<double> Length(const TPLNBaseLabel* doc, const TArgs& a, const char* key) {
  const double v = a.Num(key, kNoSize);
  if (v < 0) return std::nullopt;
  return LengthBase(doc, key, v);
}

// A coordinate argument other than the absent marker, checked.
std::optional<double> Coord(const TPLNBaseLabel* doc, const TArgs& a, const char* key) {
  const double v = a.Num(key, kNoCoord);
  if (v == kNoCoord) return std::nullopt;
  CheckCoord(doc, key, v);
  return v;
}

// The style of `dim` with the style arguments applied and checked; `n` counts them.
Line::TPLNDimStyle StyleWith(const TPLNBaseLabel* doc, const Line::TPLNBaseDim* dim, const TArgs& a, int* n) {
  Line::TPLNDimStyle s = dim->GetDimStyle();
  if (a.Has("text_pos")) {
    s.TextPos = static_cast<Line::TORVTextPos>(TextPosOf(a.Str("text_pos")));
    ++*n;
  }
  if (a.Has("head_type")) {
    s.HeadType = TermTypeOf(a.Str("head_type"));
    ++*n;
  }
  if (Color(a, "dim_color", &s.DimColor)) ++*n;
  if (Color(a, "ext_color", &s.ExtColor)) ++*n;
  if (Color(a, "head_color", &s.HeadColor)) {
    s.FillColor = s.HeadColor;  // closed heads are filled in the same colour
    ++*n;
  }
  if (!a.Str("font_name").trimmed().isEmpty()) {
    s.FontName = a.Str("font_name").trimmed();
    ++*n;
  }
  if (auto h = Length(doc, a, "font_height"); h && *h > 0) {
    s.FontHeight = static_cast<float>(*h / 1000.0);
    ++*n;
  }
  if (Color(a, "font_color", &s.FontColor)) ++*n;
  if (Tri(a, "bold", &s.Bold)) ++*n;
  if (Tri(a, "italic", &s.Italic)) ++*n;
  if (Tri(a, "underline", &s.Underline)) ++*n;
  if (auto w = Length(doc, a, "dim_pen_width")) {
    s.DimPenWidth = *w;
    ++*n;
  }
  if (auto w = Length(doc, a, "ext_pen_width")) {
    s.ExtPenWidth = *w;
    ++*n;
  }
  if (auto h = Length(doc, a, "head_size")) {
    s.HeadSize = static_cast<float>(*h / 1000.0);
    ++*n;
  }
  // Present but empty clears them.
  if (a.Has("prefix")) {
    s.Prefix = a.Str("prefix");
    ++*n;
  }
  if (a.Has("suffix")) {
    s.Suffix = a.Str("suffix");
    ++*n;
  }
  if (a.Has("format")) {
    s.Format = a.Str("format");
    ++*n;
  }
  s.Validate();
  return s;
}

// The dimension's own arguments.
int ApplyDimOwn(Line::TPLNBaseDim* dim, const TArgs& a) {
  int n = 0;
  bool b = false;
  if (a.Has("text")) {
    dim->SetText(a.Str("text"));
    // A custom text is meant to be seen unless the call says otherwise.
    if (!a.Str("text").isEmpty() && !a.Has("text_measure")) dim->SetTextMeasure(false);
    ++n;
  }
  if (Tri(a, "text_measure", &b)) {
    dim->SetTextMeasure(b);
    ++n;
  }
  if (Tri(a, "show_extension", &b)) {
    dim->SetDimExt(b);
    ++n;
  }
  return n;
}

void CommitStyle(TPLNBaseLabel* doc, const Line::TPLNBaseDim* dim, const Line::TPLNDimStyle& s) {
  Line::TPLNDimStyle* target = doc->GetDimStyle(dim->GetDimStyleIndex());
  if (!target || *target == s) return;
  *target = s;
  doc->SetModified(true);
  doc->CalcDimValues();
}

// The checked numbers of a modify_item call, read before anything changes.
struct TNumbers {
  std::optional<double> PenWidth, Radius, FontHeight, PadX, PadY, SizeFrom, SizeTo;
  std::optional<double> X, Y, X2, Y2, CenterX, CenterY, Width, Height;
  std::optional<double> StartAngle, SweepAngle;
};

TNumbers ReadNumbers(const TPLNBaseLabel* doc, const TArgs& a) {
  TNumbers n;
  n.PenWidth = Length(doc, a, "pen_width");
  n.Radius = Length(doc, a, "radio");
  n.FontHeight = Length(doc, a, "font_height");
  n.PadX = Length(doc, a, "padding_x");
  n.PadY = Length(doc, a, "padding_y");
  n.SizeFrom = Length(doc, a, "size_from");
  n.SizeTo = Length(doc, a, "size_to");
  n.X = Coord(doc, a, "x");
  n.Y = Coord(doc, a, "y");
  n.X2 = Coord(doc, a, "x2");
  n.Y2 = Coord(doc, a, "y2");
  n.CenterX = Coord(doc, a, "center_x");
  n.CenterY = Coord(doc, a, "center_y");
  if (a.Num("width", kNoSize) >= 0) {
    CheckCoord(doc, "width", a.Num("width", 0));
    n.Width = a.Num("width", 0);
  }
  if (a.Num("height", kNoSize) >= 0) {
    CheckCoord(doc, "height", a.Num("height", 0));
    n.Height = a.Num("height", 0);
  }
  if (a.Num("start_angle", kNoCoord) != kNoCoord) n.StartAngle = a.Num("start_angle", 0);
  if (a.Num("sweep_angle", kNoCoord) != kNoCoord) {
    n.SweepAngle = a.Num("sweep_angle", 0);
    if (std::abs(*n.SweepAngle) > 360) throw EToolError(QStringLiteral("sweep_angle must lie between -360 and 360 degrees"));
  }
  return n;
}

// A quarter-turn angle ("0", "90", "180", "270"); false for anything else.
template <class T>
bool ApplyAngle(T* item, const TArgs& a) {
  const QString s = a.Str("angle").trimmed();
  const int v = s == QLatin1String("0") ? 0 : s == QLatin1String("90") ? 1 : s == QLatin1String("180") ? 2 : s == QLatin1String("270") ? 3 : -1;
  if (v < 0) return false;
  item->SetAngle(static_cast<TORVAngle>(v));
  return true;
}

// Text, paragraph and flow box share their style setters; a flow box has neither a frame radius
// nor a turn of its text (`framed` false).
template <class T>
int ApplyTextStyle(TPLNBaseLabel* doc, T* t, const TArgs& a, const TNumbers& num, bool framed = true) {
  int n = 0;
  bool b = false;
  TAlphaColor c = 0;
  if (num.Radius && framed) {
    t->SetBaseRadio(static_cast<std::int64_t>(*num.Radius));
    ++n;
  }
  if (!a.Str("font_name").trimmed().isEmpty()) {
    t->SetFontName(a.Str("font_name").trimmed());
    ++n;
  }
  if (num.FontHeight && *num.FontHeight > 0) {
    t->SetBaseFontHeight(static_cast<std::int64_t>(*num.FontHeight));
    ++n;
  }
  if (Color(a, "font_color", &c)) {
    t->SetFontColor(c);
    ++n;
  }
  if (Tri(a, "bold", &b)) {
    t->SetBold(b);
    ++n;
  }
  if (Tri(a, "italic", &b)) {
    t->SetItalic(b);
    ++n;
  }
  if (Tri(a, "underline", &b)) {
    t->SetUnderline(b);
    ++n;
  }
  if (a.Has("horz_align")) {
    const QString h = a.Str("horz_align").trimmed().toLower();
    const int v = h == QLatin1String("left") ? 0 : h == QLatin1String("center") ? 1 : h == QLatin1String("right") ? 2 : h == QLatin1String("justify") ? 3 : -1;
    if (v >= 0) {
      t->SetHorzAlign(static_cast<TORVHorzAlign>(v));
      ++n;
    }
  }
  if (a.Has("vert_align")) {
    const QString h = a.Str("vert_align").trimmed().toLower();
    const int v = h == QLatin1String("top") ? 0 : (h == QLatin1String("center") || h == QLatin1String("middle")) ? 1 : h == QLatin1String("bottom") ? 2 : -1;
    if (v >= 0) {
      t->SetVertAlign(static_cast<TORVVertAlign>(v));
      ++n;
    }
  }
  if (num.PadX) {
    t->SetBasePadX(static_cast<std::int64_t>(*num.PadX));
    ++n;
  }
  if (num.PadY) {
    t->SetBasePadY(static_cast<std::int64_t>(*num.PadY));
    ++n;
  }
  if (a.Has("text")) {
    t->SetText(a.Str("text"));
    ++n;
  }
  if (a.Has("angle") && framed && ApplyAngle(t, a)) ++n;
  (void)doc;
  return n;
}

// Centre of what the item's points span (the circle's centre for an arc).
TORVPto CenterOf(const TPLNBaseItem* item) {
  if (auto* arc = dynamic_cast<const Line::TPLNBaseArc*>(item)) return arc->GetCenter();
  TORVBounds b;
  for (const TORVPto& p : item->Points()) b.Add(p);
  if (b.IsEmpty()) return {};
  return {b.X1 + (b.X2 - b.X1) / 2, b.Y1 + (b.Y2 - b.Y1) / 2};
}

}  // namespace

int ApplyTermArgs(const TPLNBaseLabel* doc, TORVTerminators* t, const TArgs& a) {
  int n = 0;
  const std::optional<double> from = Length(doc, a, "size_from"), to = Length(doc, a, "size_to");
  if (a.Has("from_type")) {
    t->FromType = TermTypeOf(a.Str("from_type"));
    ++n;
  }
  if (a.Has("to_type")) {
    t->ToType = TermTypeOf(a.Str("to_type"));
    ++n;
  }
  if (Color(a, "from_color", &t->FromColor)) ++n;
  if (Color(a, "to_color", &t->ToColor)) ++n;
  if (from) {
    t->SizeFrom = static_cast<float>(*from / 1000.0);
    ++n;
  }
  if (to) {
    t->SizeTo = static_cast<float>(*to / 1000.0);
    ++n;
  }
  return n;
}

int ApplyDimArgs(TPLNBaseLabel* doc, Line::TPLNBaseDim* dim, const TArgs& a) {
  int styleChanges = 0;
  const Line::TPLNDimStyle style = StyleWith(doc, dim, a, &styleChanges);
  const int n = ApplyDimOwn(dim, a);
  if (styleChanges > 0) CommitStyle(doc, dim, style);
  return n + styleChanges;
}

QJsonObject ModifyItem(TPLNBaseLabel* doc, const TArgs& a) {
  const QString id = a.Str("id");
  TPLNBaseItem* item = FindItem(doc, a.Int("index", -1), id);
  if (!item)
    throw EToolError(!id.isEmpty() ? QStringLiteral("Item \"%1\" not found").arg(Utils::QuoteForMessage(id, 80))
                                   : QStringLiteral("Provide index (0-based) or id parameter"));
  // Every value is read and checked before the item changes, so a refusal leaves it whole.
  const TNumbers num = ReadNumbers(doc, a);
  auto* dim = dynamic_cast<Line::TPLNBaseDim*>(item);
  // A barcode keeps a code its symbology can encode.
  auto* bar = dynamic_cast<Barcode::TPLNBaseBarcode*>(item);
  if (bar && (a.Has("barcode_type") || a.Has("text")))
    CheckBarcode(a.Has("text") ? a.Str("text") : bar->GetCode(),
                 a.Has("barcode_type") ? BarTypeOf(a.Str("barcode_type")) : bar->GetBarType(), bar->GetCheckSum(),
                 bar->GetFlagB());
  // So does a 2-D code: a text it cannot encode would leave a symbol that draws nothing.
  if (const auto* code2d = dynamic_cast<const Barcode::TPLNBase2DCode*>(item); code2d && a.Has("text")) {
    Barcode::TORVModuleMatrix probe;
    QString why;
    if (!code2d->EncodeCode(a.Str("text"), probe, &why)) throw EToolError(why);
  }
  int styleChanges = 0;
  std::optional<Line::TPLNDimStyle> style;
  if (dim) style = StyleWith(doc, dim, a, &styleChanges);

  TUpdate batch(doc);
  int n = 0;
  TAlphaColor c = 0;
  bool b = false;
  bool pointsMoved = false;
  if (Color(a, "color", &c)) {
    item->SetColor(c);
    ++n;
  }
  if (num.PenWidth) {
    item->SetPenWidth(*num.PenWidth);
    ++n;
  }
  const bool circle = dynamic_cast<F2d::TPLNBaseCircle*>(item) && item->NumPoints() >= 2;
  if (circle && (num.X || num.Y || num.X2 || num.Y2)) {
    // A circle stays a circle: its first corner moves it whole, and a second corner sets the
    // diameter from the first (the other side follows in its own direction).
    const TORVPto p1 = item->GetPoint(1), p2 = item->GetPoint(2);
    const TORVPto q1{num.X ? Utils::SetValue(*num.X, doc->GetUnits()) : p1.X, num.Y ? Utils::SetValue(*num.Y, doc->GetUnits()) : p1.Y};
    std::int64_t dx = p2.X - p1.X, dy = p2.Y - p1.Y;
    if (num.X2 || num.Y2) {
      const std::int64_t given = num.X2 ? Utils::SetValue(*num.X2, doc->GetUnits()) - q1.X : Utils::SetValue(*num.Y2, doc->GetUnits()) - q1.Y;
      const std::int64_t side = std::llabs(given);
      const bool back = given < 0;
      dx = (num.X2 ? back : dx < 0) ? -side : side;
      dy = (num.X2 ? dy < 0 : back) ? -side : side;
    }
    item->SetBase(1, q1.X, q1.Y);
    item->SetBase(2, q1.X + dx, q1.Y + dy);
    pointsMoved = true;
    n += (num.X ? 1 : 0) + (num.Y ? 1 : 0) + (num.X2 || num.Y2 ? 1 : 0);
  }
  if (num.X && !circle) {
    item->SetPointX(1, *num.X);
    pointsMoved = true;
    ++n;
  }
  if (num.Y && !circle) {
    item->SetPointY(1, *num.Y);
    pointsMoved = true;
    ++n;
  }
  // A text's (or code's) second point follows its box; a single point has none.
  const bool hasSecond = item->NumPoints() >= 2 && !dynamic_cast<Text::TPLNBaseText*>(item) && !circle;
  if (num.X2 && hasSecond) {
    item->SetPointX(2, *num.X2);
    pointsMoved = true;
    ++n;
  }
  if (num.Y2 && hasSecond) {
    item->SetPointY(2, *num.Y2);
    pointsMoved = true;
    ++n;
  }
  const int layer = a.Int("layer", -1);
  if (layer >= 1 && layer <= doc->GetLayersCount()) {
    item->SetLayer(doc->GetLayer(layer));
    doc->SortItemsZLayer();
    ++n;
  }
  if (auto* area = dynamic_cast<TPLN2DItem*>(item)) {
    if (Color(a, "back_color", &c)) {
      area->SetBackColor(c);
      ++n;
    }
    if (Tri(a, "filled", &b)) {
      area->SetFilled(b);
      ++n;
    }
  }
  if (auto* rect = dynamic_cast<F2d::TPLNBaseRectangle*>(item); rect && num.Radius) {
    rect->SetBaseRadio(static_cast<std::int64_t>(*num.Radius));
    ++n;
  }
  if (a.Has("line_type")) {
    item->SetLineType(LineTypeOf(a.Str("line_type")));
    ++n;
  }
  if (auto* text = dynamic_cast<Text::TPLNBaseText*>(item)) {
    n += ApplyTextStyle(doc, text, a, num);
    if (auto s = a.Num("scale_x", kNoSize); s > 0) {
      text->SetScale(s);
      ++n;
    }
    if (bar && a.Has("barcode_type")) {
      bar->SetBarType(BarTypeOf(a.Str("barcode_type")));
      ++n;
    }
  } else if (auto* nutri = dynamic_cast<F2d::TPLNBaseNutri*>(item)) {
    // A Nutri-Score turns by quarter turns like a text.
    if (a.Has("angle") && ApplyAngle(nutri, a)) ++n;
  } else if (auto* para = dynamic_cast<Text::TPLNBasePara*>(item)) {
    n += ApplyTextStyle(doc, para, a, num);
  } else if (auto* flow = dynamic_cast<F2d::TPLNBaseFlow*>(item)) {
    n += ApplyTextStyle(doc, flow, a, num, false);
    if (auto s = a.Num("scale_x", kNoSize); s > 0) {
      flow->SetScaleX(s);
      ++n;
    }
  } else if (auto* link = dynamic_cast<F2d::TPLNBaseLink*>(item)) {
    if (a.Has("from_type")) {
      link->SetFromType(TermTypeOf(a.Str("from_type")));
      ++n;
    }
    if (a.Has("to_type")) {
      link->SetToType(TermTypeOf(a.Str("to_type")));
      ++n;
    }
    if (Color(a, "from_color", &c)) {
      link->SetFromColor(c);
      ++n;
    }
    if (Color(a, "to_color", &c)) {
      link->SetToColor(c);
      ++n;
    }
  }
  if (auto* arrow = dynamic_cast<Line::TPLNBaseArrowLine*>(item)) {
    if (!a.Str("font_name").trimmed().isEmpty()) {
      arrow->SetFontName(a.Str("font_name").trimmed());
      ++n;
    }
    if (num.FontHeight && *num.FontHeight > 0) {
      arrow->SetFontHeight(static_cast<float>(*num.FontHeight / 1000.0));
      ++n;
    }
    if (Color(a, "font_color", &c)) {
      arrow->SetFontColor(c);
      ++n;
    }
    if (Tri(a, "bold", &b)) {
      arrow->SetBold(b);
      ++n;
    }
    if (Tri(a, "italic", &b)) {
      arrow->SetItalic(b);
      ++n;
    }
    if (Tri(a, "underline", &b)) {
      arrow->SetUnderline(b);
      ++n;
    }
    if (a.Has("text")) {
      arrow->SetText(a.Str("text"));
      ++n;
    }
    if (a.Has("text_pos")) {
      arrow->SetTextPos(static_cast<Line::TORVTextPos>(TextPosOf(a.Str("text_pos"))));
      ++n;
    }
  }
  if ((num.Width || num.Height) && dynamic_cast<F2d::TPLNBaseCircle*>(item) && item->NumPoints() >= 2) {
    // A circle stays a circle: the width (or, alone, the height) is its diameter, about the same
    // centre that add_circle placed it by.
    const TORVPto c = static_cast<F2d::TPLNBaseCircle*>(item)->Center();
    const std::int64_t d = std::llabs(Utils::SetValue(num.Width ? *num.Width : *num.Height, doc->GetUnits()));
    item->SetBase(1, c.X - d / 2, c.Y - d / 2);
    item->SetBase(2, c.X - d / 2 + d, c.Y - d / 2 + d);
    pointsMoved = true;
    n += (num.Width ? 1 : 0) + (num.Height ? 1 : 0);
  } else if ((num.Width || num.Height) && dynamic_cast<F2d::TPLNBoxItem*>(item) && item->NumPoints() >= 2) {
    // A box's far corner follows the size.
    const TORVPto p1 = item->GetPoint(1), p2 = item->GetPoint(2);
    const std::int64_t w = num.Width ? Utils::SetValue(*num.Width, doc->GetUnits()) : p2.X - p1.X;
    const std::int64_t h = num.Height ? Utils::SetValue(*num.Height, doc->GetUnits()) : p2.Y - p1.Y;
    item->SetBase(2, p1.X + w, p1.Y + h);
    pointsMoved = true;
    n += (num.Width ? 1 : 0) + (num.Height ? 1 : 0);
  }
  if (auto* t = dynamic_cast<TORVTerminators*>(item)) {
    const int terms = ApplyTermArgs(doc, t, a);
    if (terms > 0) pointsMoved = true;  // Update tells the views
    n += terms;
  }
  if (auto* sector = dynamic_cast<F2d::TPLNBaseSector*>(item)) {
    if (num.StartAngle) {
      sector->SetAngleStart(*num.StartAngle);
      ++n;
    }
    if (num.SweepAngle) {
      sector->SetAngleGap(*num.SweepAngle);
      ++n;
    }
  } else if (auto* arc = dynamic_cast<Line::TPLNBaseArc*>(item); arc && (num.StartAngle || num.SweepAngle)) {
    arc->SetAngles(num.StartAngle ? *num.StartAngle * kDegToRad : arc->GetAngleStart(),
                   num.SweepAngle ? *num.SweepAngle * kDegToRad : arc->GetAngleSweep());
    n += (num.StartAngle ? 1 : 0) + (num.SweepAngle ? 1 : 0);
  }
  if (dim) {
    n += ApplyDimOwn(dim, a) + styleChanges;
    if (styleChanges > 0) CommitStyle(doc, dim, *style);
  }
  if (pointsMoved) item->Update();
  if (num.CenterX || num.CenterY) {
    const TORVPto c0 = CenterOf(item);
    const std::int64_t dx = num.CenterX ? Utils::SetValue(*num.CenterX, doc->GetUnits()) - c0.X : 0;
    const std::int64_t dy = num.CenterY ? Utils::SetValue(*num.CenterY, doc->GetUnits()) - c0.Y : 0;
    item->Move(dx, dy);
    item->Update();
    n += (num.CenterX ? 1 : 0) + (num.CenterY ? 1 : 0);
  }
  const QString itemId = QString::number(item->GetID());
  if (n == 0)
    return TextResult(QStringLiteral("Item %1 found (%2) but no properties changed. Check property names.").arg(itemId, KindText(item)));
  return TextResult(QStringLiteral("Item %1 (%2) modified: %3 properties changed").arg(itemId, KindText(item)).arg(n));
}

}  // namespace Orv::Mcp
