#include "ORV.Inspector.h"

#include <QColor>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <functional>
#include <map>
#include <vector>

#include "ORV.Barcode.h"
#include "ORV.BarcodeItems.h"
#include "ORV.Base.h"
#include "ORV.BinaryIO.h"
#include "ORV.Data.h"
#include "ORV.Dim.h"
#include "ORV.F2d.h"
#include "ORV.Flow.h"
#include "ORV.Gauges.h"
#include "ORV.Image.h"
#include "ORV.Json.h"
#include "ORV.Layers.h"
#include "ORV.Line.h"
#include "ORV.Msg.h"
#include "ORV.Nutri.h"
#include "ORV.Package.h"
#include "ORV.Poly.h"
#include "ORV.RichTextItem.h"
#include "ORV.Symbol.h"
#include "ORV.Table.h"
#include "ORV.Text.h"
#include "ORV.Utils.h"

namespace Orv::Ins {

namespace {

using Item = TPLNBaseItem;
using TB = TORVInsTypeBase;
using TI = TORVInsType;
using TTextA = Text::TPLNTextItem<TPLN2DItem>;
using TTextB = Text::TPLNTextItem<F2d::TPLNBoxItem>;

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

enum class TFmt : std::uint8_t { Text = 0, Int = 1, Float = 2 };

// One property of one group. Lengths travel in base units between Get/Set and this unit; rows
// show them in the document's unit (atLength) or in millimetres (atPaper).
struct TProp {
  int Group = 0;
  int P = 0;
  TORVInsProp Editor = TORVInsProp::Edit;
  const char* Name = "";
  const char* Caption = "";
  int Attr = 0;
  TFmt Fmt = TFmt::Text;
  double Min = 0, Max = 0, Step = 0;
  int Row = 0;  // properties of a group with the same non-zero Row share one row
  QStringList Choices;
  std::vector<int> Codes;  // the stored code of each choice (empty: the index itself)
  std::function<bool(const Item&, const TPLNBaseLabel&)> Has;
  std::function<QJsonValue(const Item&, const TPLNBaseLabel&)> Get;
  std::function<void(Item&, TPLNBaseLabel&, const QJsonValue&)> Set;
  std::function<QStringList(const TPLNBaseLabel&)> List;  // choices that depend on the document
};

[[noreturn]] void Refuse(const QString& why) { throw EPLNError(why); }

// Captions and choices are written in English in the registry below; the rows show them from the
// message tables under a key made of the English words ("Pen width": "InsPenWidth"). A text
// without letters ("90°") needs no translation.
QString InsKey(const QString& english) {
  QString key = QStringLiteral("Ins");
  bool start = true;
  for (const QChar c : english) {
    if (c == QChar(0x00B0)) {
      key += QStringLiteral("Deg");
      start = true;
    } else if (c.isLetterOrNumber() && c.unicode() < 128) {
      key += start ? c.toUpper() : c;
      start = false;
    } else {
      start = true;
    }
  }
  return key;
}
QString InsText(TORVMsgTable table, const QString& english) {
  for (const QChar c : english)
    if (c.isLetter()) return TPLNMsg::GetValue(table, InsKey(english));
  return english;
}
QString Caption(const char* english) { return InsText(TORVMsgTable::Props, QString::fromUtf8(english)); }

int BaseGroup(TB g) { return int(g); }
int ItemGroup(TI g) { return kItemGroup + int(g); }

// ---- the text family: texts, codes, paragraphs, flow boxes and rich texts share their style
template <class F>
auto OnText(const Item& it, F f) -> decltype(f(std::declval<const TTextA&>())) {
  if (auto* t = dynamic_cast<const TTextA*>(&it)) return f(*t);
  return f(dynamic_cast<const TTextB&>(it));
}
template <class F>
void OnTextSet(Item& it, F f) {
  if (auto* t = dynamic_cast<TTextA*>(&it)) f(*t);
  else f(dynamic_cast<TTextB&>(it));
}
bool IsText(const Item& it) { return dynamic_cast<const TTextA*>(&it) || dynamic_cast<const TTextB*>(&it); }
bool IsCode(const Item& it) {
  return dynamic_cast<const Barcode::TPLNBaseCode*>(&it) || it.KindCode() == Kind::PolyText;
}
bool IsRich(const Item& it) { return dynamic_cast<const Text::TPLNBaseRichText*>(&it) != nullptr; }
// The item's own words: not a code (whose text is its code) and not a rich text (its markup).
bool HasPlainText(const Item& it) { return IsText(it) && !IsCode(it) && !IsRich(it); }

// ---- data binding: the kinds that read a field of the data source
struct TDataAccess {
  std::function<std::uint8_t()> Type;
  std::function<QString()> Name;
  std::function<QString()> Format;
  std::function<void(std::uint8_t, const QString&)> SetField;
  std::function<void(const QString&)> SetFormat;
};
template <class T>
TDataAccess DataOf(T* t) {
  return {[t] { return t->FillType(); }, [t] { return t->FillName(); }, [t] { return t->GetFormat(); },
          [t](std::uint8_t type, const QString& name) {
            t->SetFillName(name);
            t->SetFillType(type);
          },
          [t](const QString& f) { t->SetFormat(f); }};
}
std::optional<TDataAccess> DataAccess(const Item& c) {
  auto& it = const_cast<Item&>(c);
  if (IsRich(it) || it.KindCode() == Kind::PolyText) return std::nullopt;
  if (auto* t = dynamic_cast<TTextA*>(&it)) return DataOf(t);
  if (auto* t = dynamic_cast<TTextB*>(&it)) return DataOf(t);
  if (auto* t = dynamic_cast<F2d::TPLNBaseImage*>(&it)) return DataOf(t);
  if (auto* t = dynamic_cast<F2d::TPLNBaseLevel*>(&it)) return DataOf(t);
  if (auto* t = dynamic_cast<F2d::TPLNBaseRank*>(&it)) return DataOf(t);
  if (auto* t = dynamic_cast<F2d::TPLNBaseNutri*>(&it)) return DataOf(t);
  return std::nullopt;
}

// ---- value helpers
QJsonValue Color(TAlphaColor c) { return QJsonValue(qint64(c)); }
TAlphaColor ToColor(const QJsonValue& v) { return static_cast<TAlphaColor>(v.toInteger()); }
std::int64_t ToBase(const QJsonValue& v) { return Utils::RoundHalfAway(v.toDouble()); }

// What the item covers, without the pen: a rectangle drawn at 10 mm shows 10 mm whatever its pen.
TORVBounds Box(const Item& it) {
  TORVBounds b = it.GetBounds();
  if (b.IsEmpty() || IsText(it)) return b;
  const auto half = static_cast<std::int64_t>(it.GetPenWidth() / 2);
  if (b.X2 - b.X1 >= 2 * half) {
    b.X1 += half;
    b.X2 -= half;
  }
  if (b.Y2 - b.Y1 >= 2 * half) {
    b.Y1 += half;
    b.Y2 -= half;
  }
  return b;
}

void MoveTo(Item& it, std::int64_t x, std::int64_t y) {
  const TORVBounds b = Box(it);
  if (b.IsEmpty()) return;
  it.Move(x == INT64_MIN ? 0 : x - b.X1, y == INT64_MIN ? 0 : y - b.Y1);
  it.Update();
}

void SizeTo(Item& it, std::int64_t w, std::int64_t h) {
  const TORVBounds b = Box(it);
  if (b.IsEmpty()) return;
  // A box of no width (a vertical line) cannot be scaled to one.
  if ((w > 0 && b.X2 == b.X1) || (h > 0 && b.Y2 == b.Y1))
    Refuse(w > 0 ? TPLNMsg::GetErrorValue(QStringLiteral("InsNoWidth")) : TPLNMsg::GetErrorValue(QStringLiteral("InsNoHeight")));
  TORVBounds to = b;
  if (w > 0) to.X2 = b.X1 + w;
  if (h > 0) to.Y2 = b.Y1 + h;
  it.Resize(b, to);
  it.Update();
}

bool Sizable(const Item& it) {
  if (it.NumPoints() < 2 || IsCode(it)) return false;
  if (dynamic_cast<const Line::TPLNBaseDim*>(&it) || dynamic_cast<const F2d::TPLNBaseLink*>(&it)) return false;
  if (dynamic_cast<const Text::TPLNBaseText*>(&it) || dynamic_cast<const Symbol::TPLNBaseSymbol*>(&it)) return false;
  return true;
}

const QStringList kLineStyles = {QStringLiteral("Solid"), QStringLiteral("Dashed"), QStringLiteral("Dotted"),
                                 QStringLiteral("Dash dot"), QStringLiteral("Dash dot dot")};
const std::vector<int> kLineCodes = {0, 1, 2, 3, 5};
const QStringList kTerms = {QStringLiteral("None"),          QStringLiteral("Circle"),
                            QStringLiteral("Filled circle"), QStringLiteral("Arrow"),
                            QStringLiteral("Filled arrow"),  QStringLiteral("Square"),
                            QStringLiteral("Filled square"), QStringLiteral("Rhombus"),
                            QStringLiteral("Filled rhombus"), QStringLiteral("Cross")};
const std::vector<int> kTermCodes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 11};
const QStringList kTurns = {QStringLiteral("0°"), QStringLiteral("90°"), QStringLiteral("180°"), QStringLiteral("270°")};

// Everything that can turn by quarter turns.
std::optional<TORVAngle> QuarterTurn(const Item& it) {
  if (IsText(it) && dynamic_cast<const Text::TPLNBaseText*>(&it)) return OnText(it, [](auto& t) { return t.GetAngle(); });
  if (auto* p = dynamic_cast<const Text::TPLNBasePara*>(&it); p && !IsRich(it)) return p->GetAngle();
  if (auto* i = dynamic_cast<const F2d::TPLNBaseImage*>(&it)) return i->GetAngle();
  return std::nullopt;
}

// A property of the items of class T: the item is cast once here, not in every getter.
template <class T>
TProp Field(int group, int p, TORVInsProp editor, const char* name, const char* caption, int attr, TFmt fmt, double lo,
            double hi, double step, QStringList choices, std::function<QJsonValue(const T&)> get,
            std::function<void(T&, const QJsonValue&)> set) {
  TProp d{group, p, editor, name, caption, attr, fmt, lo, hi, step, 0, std::move(choices), {},
          [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const T*>(&it) != nullptr; },
          [get](const Item& it, const TPLNBaseLabel&) { return get(dynamic_cast<const T&>(it)); },
          [set](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
            set(dynamic_cast<T&>(it), x);
            it.Update();
          },
          nullptr};
  return d;
}

std::vector<TProp> BuildProps() {
  std::vector<TProp> v;
  auto add = [&v](TProp p) -> TProp& {
    v.push_back(std::move(p));
    return v.back();
  };
  auto always = [](const Item&, const TPLNBaseLabel&) { return true; };

  // Identity
  add({BaseGroup(TB::Identity), 1, TORVInsProp::ReadOnly, "id", "ID", 0, TFmt::Int, 0, 0, 0, 0, {}, {}, always,
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(it.GetID()); }, nullptr, nullptr});
  add({BaseGroup(TB::Identity), 2, TORVInsProp::ReadOnly, "kind", "Kind", 0, TFmt::Text, 0, 0, 0, 0, {}, {}, always,
       [](const Item& it, const TPLNBaseLabel&) {
         return QJsonValue(TPLNMsg::GetListValue(QStringLiteral("Kind") + it.KindName()));
       },
       nullptr, nullptr});
  add({BaseGroup(TB::Identity), 3, TORVInsProp::Edit, "name", "Name", 0, TFmt::Text, 0, 0, 0, 0, {}, {}, always,
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(it.GetName()); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) { it.SetName(x.toString()); }, nullptr});

  // Position and size of what the item covers on the page
  const double kFar = 4.0e12;
  auto boxed = [](const Item& it, const TPLNBaseLabel&) { return !Box(it).IsEmpty(); };
  add({BaseGroup(TB::Position), 1, TORVInsProp::Edit, "x", "X", atLength, TFmt::Float, -kFar, kFar, 1000, 0, {}, {},
       boxed, [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(double(Box(it).X1)); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) { MoveTo(it, ToBase(x), INT64_MIN); }, nullptr});
  add({BaseGroup(TB::Position), 2, TORVInsProp::Edit, "y", "Y", atLength, TFmt::Float, -kFar, kFar, 1000, 0, {}, {},
       boxed, [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(double(Box(it).Y1)); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) { MoveTo(it, INT64_MIN, ToBase(x)); }, nullptr});
  auto sizable = [](const Item& it, const TPLNBaseLabel&) { return Sizable(it) && !Box(it).IsEmpty(); };
  add({BaseGroup(TB::Size), 1, TORVInsProp::Edit, "width", "Width", atLength, TFmt::Float, 1, kFar, 1000, 0, {}, {},
       sizable, [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(double(Box(it).X2 - Box(it).X1)); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) { SizeTo(it, ToBase(x), 0); }, nullptr});
  add({BaseGroup(TB::Size), 2, TORVInsProp::Edit, "height", "Height", atLength, TFmt::Float, 1, kFar, 1000, 0, {}, {},
       sizable, [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(double(Box(it).Y2 - Box(it).Y1)); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) { SizeTo(it, 0, ToBase(x)); }, nullptr});

  // Pen
  auto penned = [](const Item& it, const TPLNBaseLabel&) {
    return !IsRich(it) && !dynamic_cast<const Symbol::TPLNBaseSymbol*>(&it) && !dynamic_cast<const F2d::TPLNBaseImage*>(&it);
  };
  add({BaseGroup(TB::Pen), 1, TORVInsProp::Color, "color", "Colour", 0, TFmt::Text, 0, 0, 0, 0, {}, {}, penned,
       [](const Item& it, const TPLNBaseLabel&) { return Color(it.GetColor()); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) { it.SetColor(ToColor(x)); }, nullptr});
  add({BaseGroup(TB::Pen), 2, TORVInsProp::Edit, "pen_width", "Pen width", atPaper, TFmt::Float, 0, 100000, 50, 0, {},
       {}, penned, [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(it.GetPenWidth()); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         it.SetPenWidth(x.toDouble());
         it.Update();
       },
       nullptr});
  add({BaseGroup(TB::LineStyle), 1, TORVInsProp::List, "line_type", "Line style", 0, TFmt::Int, 0, 0, 0, 0,
       kLineStyles, kLineCodes, penned, [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(int(it.GetLineType())); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) { it.SetLineType(TORVineType(x.toInt())); }, nullptr});

  // Fill
  auto area = [](const Item& it, const TPLNBaseLabel&) {
    return dynamic_cast<const TPLN2DItem*>(&it) && !IsCode(it) && !dynamic_cast<const F2d::TPLNBaseImage*>(&it);
  };
  auto a2 = [](const Item& it) -> const TPLN2DItem& { return dynamic_cast<const TPLN2DItem&>(it); };
  auto m2 = [](Item& it) -> TPLN2DItem& { return dynamic_cast<TPLN2DItem&>(it); };
  add({BaseGroup(TB::Fill), 1, TORVInsProp::Toggle, "filled", "Filled", 0, TFmt::Text, 0, 0, 0, 0, {}, {}, area,
       [a2](const Item& it, const TPLNBaseLabel&) { return QJsonValue(a2(it).GetFilled()); },
       [m2](Item& it, TPLNBaseLabel&, const QJsonValue& x) { m2(it).SetFilled(x.toBool()); }, nullptr});
  add({BaseGroup(TB::Fill), 2, TORVInsProp::Color, "back_color", "Fill colour", 0, TFmt::Text, 0, 0, 0, 0, {}, {},
       area, [a2](const Item& it, const TPLNBaseLabel&) { return Color(a2(it).GetBackColor()); },
       [m2](Item& it, TPLNBaseLabel&, const QJsonValue& x) { m2(it).SetBackColor(ToColor(x)); }, nullptr});
  add({BaseGroup(TB::Fill), 3, TORVInsProp::Toggle, "fill_on_screen", "Fill on screen", 0, TFmt::Text, 0, 0, 0, 0, {},
       {}, area, [a2](const Item& it, const TPLNBaseLabel&) { return QJsonValue(a2(it).Alpha()); },
       [m2](Item& it, TPLNBaseLabel&, const QJsonValue& x) { m2(it).SetAlpha(x.toBool()); }, nullptr});

  // Layer
  add({BaseGroup(TB::Layer), 1, TORVInsProp::List, "layer", "Layer", 0, TFmt::Int, 0, 0, 0, 0, {}, {}, always,
       [](const Item& it, const TPLNBaseLabel& d) { return QJsonValue(std::max(0, d.LayerIndex(it.GetLayer()) - 1)); },
       [](Item& it, TPLNBaseLabel& d, const QJsonValue& x) {
         it.SetLayer(d.GetLayer(x.toInt() + 1));
         d.SortItemsZLayer();
       },
       [](const TPLNBaseLabel& d) {
         QStringList l;
         for (int i = 1; i <= d.GetLayersCount(); ++i) l << d.GetLayer(i)->Name;
         return l;
       }});

  // Points of a single item, X and Y side by side
  constexpr int kMaxPointRows = 8;
  for (int i = 1; i <= kMaxPointRows; ++i) {
    auto has = [i](const Item& it, const TPLNBaseLabel& d) {
      return d.GetSelectionCount() == 1 && it.NumPoints() >= i && it.NumPoints() <= kMaxPointRows &&
             !dynamic_cast<const F2d::TPLNBaseLink*>(&it);
    };
    for (int axis = 0; axis < 2; ++axis) {
      static const char* kNames[2][kMaxPointRows] = {{"x1", "x2", "x3", "x4", "x5", "x6", "x7", "x8"},
                                                     {"y1", "y2", "y3", "y4", "y5", "y6", "y7", "y8"}};
      TProp& p = add({BaseGroup(TB::Points), 2 * i - 1 + axis, TORVInsProp::Edit, kNames[axis][i - 1],
                      axis == 0 ? "X" : "Y", atLength, TFmt::Float, -kFar, kFar, 1000, i, {}, {}, has,
                      [i, axis](const Item& it, const TPLNBaseLabel&) {
                        const TORVPto pt = it.GetPoint(i);
                        return QJsonValue(double(axis == 0 ? pt.X : pt.Y));
                      },
                      [i, axis](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
                        const TORVPto pt = it.GetPoint(i);
                        it.MovePoint(i, axis == 0 ? ToBase(x) : pt.X, axis == 0 ? pt.Y : ToBase(x));
                        it.Update();
                      },
                      nullptr});
      (void)p;
    }
  }

  // Line ends
  auto ends = [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const TORVTerminators*>(&it) != nullptr; };
  auto te = [](const Item& it) -> const TORVTerminators& { return dynamic_cast<const TORVTerminators&>(it); };
  auto tm = [](Item& it) -> TORVTerminators& { return dynamic_cast<TORVTerminators&>(it); };
  // Start and end: the mark and its size, each end by pointers to its fields.
  struct TEnd {
    TORVTermType TORVTerminators::*Type;
    float TORVTerminators::*Size;
  };
  for (int k = 0; k < 2; ++k) {
    const TEnd e = k == 0 ? TEnd{&TORVTerminators::FromType, &TORVTerminators::SizeFrom}
                          : TEnd{&TORVTerminators::ToType, &TORVTerminators::SizeTo};
    add({BaseGroup(TB::Ends), 1 + k, TORVInsProp::List, k ? "to_type" : "from_type", k ? "End" : "Start", 0, TFmt::Int, 0,
         0, 0, 0, kTerms, kTermCodes, ends, [te, e](const Item& it, const TPLNBaseLabel&) { return QJsonValue(int(te(it).*e.Type)); },
         [tm, e](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
           tm(it).*e.Type = TORVTermType(x.toInt());
           it.Update();
         },
         nullptr});
    add({BaseGroup(TB::Ends), 3 + k, TORVInsProp::Edit, k ? "size_to" : "size_from", k ? "End size" : "Start size", atPaper,
         TFmt::Float, 100, 100000, 500, 0, {}, {}, ends,
         [te, e](const Item& it, const TPLNBaseLabel&) { return QJsonValue(double(te(it).*e.Size) * 1000.0); },
         [tm, e](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
           tm(it).*e.Size = float(x.toDouble() / 1000.0);
           it.Update();
         },
         nullptr});
  }

  // Quarter turns
  add({BaseGroup(TB::Turn), 1, TORVInsProp::List, "angle", "Turn", 0, TFmt::Int, 0, 0, 0, 0, kTurns, {},
       [](const Item& it, const TPLNBaseLabel&) { return QuarterTurn(it).has_value(); },
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(int(*QuarterTurn(it))); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         const auto a = TORVAngle(x.toInt());
         if (auto* i = dynamic_cast<F2d::TPLNBaseImage*>(&it)) i->SetAngle(a);
         else OnTextSet(it, [a](auto& t) { t.SetAngle(a); });
         it.Update();
       },
       nullptr});

  // Options, a group each
  struct TOpt {
    TB Group;
    const char* Name;
    const char* Caption;
    std::uint16_t Bit;
  };
  for (const TOpt& o : {TOpt{TB::Visible, "visible", "Visible", Opt::Visible}, TOpt{TB::Print, "printable", "Printable", Opt::Print},
                        TOpt{TB::Selectable, "selectable", "Selectable", Opt::Selectable},
                        TOpt{TB::Export, "exportable", "Exported", Opt::Export}}) {
    const std::uint16_t bit = o.Bit;
    add({BaseGroup(o.Group), 1, TORVInsProp::Toggle, o.Name, o.Caption, 0, TFmt::Text, 0, 0, 0, 0, {}, {}, always,
         [bit](const Item& it, const TPLNBaseLabel&) { return QJsonValue((it.GetOptions() & bit) != 0); },
         [bit](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
           it.SetOptions(x.toBool() ? (it.GetOptions() | bit) : (it.GetOptions() & ~bit));
         },
         nullptr});
  }

  // Data binding
  auto bound = [](const Item& it, const TPLNBaseLabel&) { return DataAccess(it).has_value(); };
  add({BaseGroup(TB::Data), 1, TORVInsProp::Field, "data_field", "Data field", 0, TFmt::Text, 0, 0, 0, 0, {}, {},
       bound,
       [](const Item& it, const TPLNBaseLabel&) {
         const TDataAccess a = *DataAccess(it);
         return QJsonValue(a.Type() == 0 ? QString() : a.Name());
       },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         const QString f = x.toString().trimmed();
         DataAccess(it)->SetField(f.isEmpty() ? 0 : 1, f);
         it.Update();
       },
       [](const TPLNBaseLabel& d) {
         QStringList l{QString()};
         if (const TPLNDataSource* s = d.GetDataSource()) l << s->Fields();
         // A counter numbers the labels as a field of its own.
         for (int i = 1; i <= d.GetCountersCount(); ++i)
           if (!l.contains(d.GetCounter(i)->GetName())) l << d.GetCounter(i)->GetName();
         return l;
       }});
  add({BaseGroup(TB::Data), 2, TORVInsProp::Edit, "format", "Format", 0, TFmt::Text, 0, 0, 0, 0, {}, {}, bound,
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(DataAccess(it)->Format()); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         DataAccess(it)->SetFormat(x.toString());
         it.Update();
       },
       nullptr});

  // Corners and padding
  auto rounded = [](const Item& it, const TPLNBaseLabel&) {
    return dynamic_cast<const F2d::TPLNBaseRectangle*>(&it) || (IsText(it) && !IsCode(it) && !dynamic_cast<const F2d::TPLNBaseFlow*>(&it));
  };
  add({BaseGroup(TB::Corners), 1, TORVInsProp::Edit, "radius", "Corner radius", atPaper, TFmt::Float, 0,
       double(Text::kMaxLength), 500, 0, {}, {}, rounded,
       [](const Item& it, const TPLNBaseLabel&) {
         if (auto* r = dynamic_cast<const F2d::TPLNBaseRectangle*>(&it)) return QJsonValue(double(r->GetBaseRadio()));
         return QJsonValue(double(OnText(it, [](auto& t) { return t.GetBaseRadio(); })));
       },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         if (auto* r = dynamic_cast<F2d::TPLNBaseRectangle*>(&it)) r->SetBaseRadio(ToBase(x));
         else OnTextSet(it, [&x](auto& t) { t.SetBaseRadio(ToBase(x)); });
         it.Update();
       },
       nullptr});
  auto padded = [](const Item& it, const TPLNBaseLabel&) { return IsText(it) && !IsCode(it); };
  for (int axis = 0; axis < 2; ++axis) {
    add({BaseGroup(TB::Padding), 1 + axis, TORVInsProp::Edit, axis ? "padding_y" : "padding_x",
         axis ? "Padding Y" : "Padding X", atPaper, TFmt::Float, 0, double(Text::kMaxLength), 500, 0, {}, {}, padded,
         [axis](const Item& it, const TPLNBaseLabel&) {
           return QJsonValue(double(OnText(it, [axis](auto& t) { return axis ? t.GetBasePadY() : t.GetBasePadX(); })));
         },
         [axis](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
           OnTextSet(it, [&x, axis](auto& t) { axis ? t.SetBasePadY(ToBase(x)) : t.SetBasePadX(ToBase(x)); });
           it.Update();
         },
         nullptr});
  }

  // Font, style, alignment and words of the text family
  auto texted = [](const Item& it, const TPLNBaseLabel&) { return IsText(it) && !IsRich(it); };
  add({BaseGroup(TB::Font), 1, TORVInsProp::Font, "font_name", "Font", 0, TFmt::Text, 0, 0, 0, 0, {}, {}, texted,
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(OnText(it, [](auto& t) { return t.GetFontName(); })); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         OnTextSet(it, [&x](auto& t) { t.SetFontName(x.toString()); });
         it.Update();
       },
       nullptr});
  add({BaseGroup(TB::Font), 2, TORVInsProp::Edit, "font_height", "Size", atPaper, TFmt::Float, 100, 1000000, 250, 0,
       {}, {}, texted,
       [](const Item& it, const TPLNBaseLabel&) {
         return QJsonValue(double(OnText(it, [](auto& t) { return t.GetBaseFontHeight(); })));
       },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         OnTextSet(it, [&x](auto& t) { t.SetBaseFontHeight(ToBase(x)); });
         it.Update();
       },
       nullptr});
  add({BaseGroup(TB::Font), 3, TORVInsProp::Color, "font_color", "Text colour", 0, TFmt::Text, 0, 0, 0, 0, {}, {},
       texted, [](const Item& it, const TPLNBaseLabel&) { return Color(OnText(it, [](auto& t) { return t.GetFontColor(); })); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) { OnTextSet(it, [&x](auto& t) { t.SetFontColor(ToColor(x)); }); },
       nullptr});
  static const char* kStyleNames[3] = {"bold", "italic", "underline"};
  static const char* kStyleCaps[3] = {"Bold", "Italic", "Underline"};
  for (int s = 0; s < 3; ++s) {
    add({BaseGroup(TB::Style), 1 + s, TORVInsProp::Toggle, kStyleNames[s], kStyleCaps[s], 0, TFmt::Text, 0, 0, 0, 1,
         {}, {}, texted,
         [s](const Item& it, const TPLNBaseLabel&) {
           return QJsonValue(OnText(it, [s](auto& t) { return s == 0 ? t.GetBold() : s == 1 ? t.GetItalic() : t.GetUnderline(); }));
         },
         [s](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
           const bool b = x.toBool();
           OnTextSet(it, [s, b](auto& t) { s == 0 ? t.SetBold(b) : s == 1 ? t.SetItalic(b) : t.SetUnderline(b); });
           it.Update();
         },
         nullptr});
  }
  add({BaseGroup(TB::Alignment), 1, TORVInsProp::List, "horz_align", "Horizontal", 0, TFmt::Int, 0, 0, 0, 0,
       {QStringLiteral("Left"), QStringLiteral("Centre"), QStringLiteral("Right"), QStringLiteral("Justify")}, {}, texted,
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(int(OnText(it, [](auto& t) { return t.GetHorzAlign(); }))); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         OnTextSet(it, [&x](auto& t) { t.SetHorzAlign(TORVHorzAlign(x.toInt())); });
         it.Update();
       },
       nullptr});
  add({BaseGroup(TB::Alignment), 2, TORVInsProp::List, "vert_align", "Vertical", 0, TFmt::Int, 0, 0, 0, 0,
       {QStringLiteral("Top"), QStringLiteral("Middle"), QStringLiteral("Bottom")}, {}, texted,
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(int(OnText(it, [](auto& t) { return t.GetVertAlign(); }))); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         OnTextSet(it, [&x](auto& t) { t.SetVertAlign(TORVVertAlign(x.toInt())); });
         it.Update();
       },
       nullptr});
  add({BaseGroup(TB::Text), 1, TORVInsProp::Edit, "text", "Text", 0, TFmt::Text, 0, 0, 0, 0, {}, {},
       [](const Item& it, const TPLNBaseLabel&) { return HasPlainText(it) && dynamic_cast<const Text::TPLNBaseText*>(&it); },
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(OnText(it, [](auto& t) { return t.GetText(); })); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         OnTextSet(it, [&x](auto& t) { t.SetText(x.toString()); });
         it.Update();
       },
       nullptr});
  // Boxes of several lines edit their words in a form.
  add({BaseGroup(TB::Text), 2, TORVInsProp::Memo, "text", "Text", 0, TFmt::Text, 0, 0, 0, 0, {}, {},
       [](const Item& it, const TPLNBaseLabel&) { return HasPlainText(it) && !dynamic_cast<const Text::TPLNBaseText*>(&it); },
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(OnText(it, [](auto& t) { return t.GetText(); })); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         OnTextSet(it, [&x](auto& t) { t.SetText(x.toString()); });
         it.Update();
       },
       nullptr});
  add({BaseGroup(TB::Scale), 1, TORVInsProp::Edit, "scale_x", "Width scale", 0, TFmt::Float, 0.05, 20, 0.05, 0, {}, {},
       [](const Item& it, const TPLNBaseLabel&) {
         return (dynamic_cast<const Text::TPLNBaseText*>(&it) && !IsCode(it)) || dynamic_cast<const F2d::TPLNBaseFlow*>(&it);
       },
       [](const Item& it, const TPLNBaseLabel&) {
         if (auto* f = dynamic_cast<const F2d::TPLNBaseFlow*>(&it)) return QJsonValue(f->GetScaleX());
         return QJsonValue(dynamic_cast<const Text::TPLNBaseText&>(it).GetScale());
       },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         if (auto* f = dynamic_cast<F2d::TPLNBaseFlow*>(&it)) f->SetScaleX(x.toDouble());
         else dynamic_cast<Text::TPLNBaseText&>(it).SetScale(x.toDouble());
         it.Update();
       },
       nullptr});

  // ---- kinds
  auto barcode = [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const Barcode::TPLNBaseBarcode*>(&it) != nullptr; };
  auto bc = [](const Item& it) -> const Barcode::TPLNBaseBarcode& { return dynamic_cast<const Barcode::TPLNBaseBarcode&>(it); };
  auto bm = [](Item& it) -> Barcode::TPLNBaseBarcode& { return dynamic_cast<Barcode::TPLNBaseBarcode&>(it); };
  {
    QStringList names;
    std::vector<int> codes;
    for (const auto& [name, code] : std::initializer_list<std::pair<const char*, int>>{
             {"EAN-13", 0}, {"EAN-8", 1}, {"UPC-A", 2}, {"Code 39", 4}, {"Code 93", 6}, {"Codabar", 8},
             {"Code 128", 16}, {"Code 128 A", 13}, {"Code 128 B", 14}, {"Code 128 C", 15}, {"ITF", 17}, {"MSI", 21}, {"POSTNET", 22}}) {
      names << QString::fromUtf8(name);
      codes.push_back(code);
    }
    add({ItemGroup(TI::Barcode), 1, TORVInsProp::List, "barcode_type", "Symbology", 0, TFmt::Int, 0, 0, 0, 0, names,
         codes, barcode, [bc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(int(bc(it).GetBarType())); },
         [bm](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
           bm(it).SetBarType(TORVBarType(x.toInt()));
           it.Update();
         },
         nullptr});
  }
  add({ItemGroup(TI::Barcode), 2, TORVInsProp::Edit, "code", "Code", atBarcodeKeys, TFmt::Text, 0, 0, 0, 0, {}, {},
       barcode, [bc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(bc(it).GetCode()); },
       [bm](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         bm(it).SetCode(x.toString());
         it.Update();
       },
       nullptr});
  add({ItemGroup(TI::Barcode), 3, TORVInsProp::Toggle, "check_digit", "Check digit", 0, TFmt::Text, 0, 0, 0, 0, {}, {},
       barcode, [bc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(bc(it).GetCheckSum()); },
       [bm](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         bm(it).SetCheckSum(x.toBool());
         it.Update();
       },
       nullptr});
  auto coded = [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const Barcode::TPLNBaseCode*>(&it) != nullptr; };
  auto cc = [](const Item& it) -> const Barcode::TPLNBaseCode& { return dynamic_cast<const Barcode::TPLNBaseCode&>(it); };
  auto cm = [](Item& it) -> Barcode::TPLNBaseCode& { return dynamic_cast<Barcode::TPLNBaseCode&>(it); };
  add({ItemGroup(TI::Barcode), 4, TORVInsProp::Toggle, "show_number", "Human-readable line", 0, TFmt::Text, 0, 0, 0, 0,
       {}, {}, barcode, [cc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(cc(it).GetShowNumber()); },
       [cm](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         cm(it).SetShowNumber(x.toBool());
         it.Update();
       },
       nullptr});
  add({ItemGroup(TI::BarModule), 1, TORVInsProp::Edit, "bar_width", "Module width", atPaper, TFmt::Float, 10, 100000,
       10, 0, {}, {}, coded, [cc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(double(cc(it).GetBaseBarWidth())); },
       [cm](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         cm(it).SetBaseBarWidth(ToBase(x));
         it.Update();
       },
       nullptr});
  add({ItemGroup(TI::BarModule), 2, TORVInsProp::Edit, "bar_height", "Bar height", atPaper, TFmt::Float, 10, 1000000,
       500, 0, {}, {}, barcode, [cc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(double(cc(it).GetBaseBarHeight())); },
       [cm](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         cm(it).SetBaseBarHeight(ToBase(x));
         it.Update();
       },
       nullptr});
  add({ItemGroup(TI::Code2D), 1, TORVInsProp::Edit, "code", "Code", 0, TFmt::Text, 0, 0, 0, 0, {}, {},
       [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const Barcode::TPLNBase2DCode*>(&it) != nullptr; },
       [cc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(cc(it).GetCode()); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         auto& code = dynamic_cast<Barcode::TPLNBase2DCode&>(it);
         Barcode::TORVModuleMatrix probe;
         QString why;
         if (!code.EncodeCode(x.toString(), probe, &why)) Refuse(why);
         code.SetCode(x.toString());
         it.Update();
       },
       nullptr});

  // Pictures
  auto pic = [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const F2d::TPLNBaseImage*>(&it) != nullptr; };
  auto ic = [](const Item& it) -> const F2d::TPLNBaseImage& { return dynamic_cast<const F2d::TPLNBaseImage&>(it); };
  auto im = [](Item& it) -> F2d::TPLNBaseImage& { return dynamic_cast<F2d::TPLNBaseImage&>(it); };
  add({ItemGroup(TI::Image), 1, TORVInsProp::File, "file", "File", 0, TFmt::Text, 0, 0, 0, 0, {}, {}, pic,
       [ic](const Item& it, const TPLNBaseLabel&) { return QJsonValue(ic(it).FileName()); },
       [im](Item& it, TPLNBaseLabel& d, const QJsonValue& x) {
         QString f = x.toString().trimmed();
         QFileInfo fi(f);
         if (fi.isRelative() && !d.ImageFolder.isEmpty()) fi = QFileInfo(d.ImageFolder + QLatin1Char('/') + f);
         if (!fi.isFile() || !fi.isReadable()) Refuse(TPLNMsg::GetErrorValue(QStringLiteral("InsPictureUnreadable")).arg(f));
         im(it).SetFileName(f);
         it.Update();
       },
       nullptr});
  add({ItemGroup(TI::Image), 2, TORVInsProp::Toggle, "keep_aspect", "Keep proportions", 0, TFmt::Text, 0, 0, 0, 0, {},
       {}, pic, [ic](const Item& it, const TPLNBaseLabel&) { return QJsonValue(ic(it).KeepAspect()); },
       [im](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         im(it).SetKeepAspect(x.toBool());
         it.Update();
       },
       nullptr});
  add({ItemGroup(TI::Image), 3, TORVInsProp::Toggle, "frame", "Frame", 0, TFmt::Text, 0, 0, 0, 0, {}, {}, pic,
       [ic](const Item& it, const TPLNBaseLabel&) { return QJsonValue(ic(it).Frame()); },
       [im](Item& it, TPLNBaseLabel&, const QJsonValue& x) { im(it).SetFrame(x.toBool()); }, nullptr});
  add({ItemGroup(TI::Image), 4, TORVInsProp::List, "filter", "Filter", 0, TFmt::Int, 0, 0, 0, 0,
       {QStringLiteral("None"), QStringLiteral("Grey"), QStringLiteral("Black and white")}, {}, pic,
       [ic](const Item& it, const TPLNBaseLabel&) { return QJsonValue(int(ic(it).Filter())); },
       [im](Item& it, TPLNBaseLabel&, const QJsonValue& x) { im(it).SetFilter(F2d::TORVImageFilter(x.toInt())); },
       nullptr});

  // Dimensions: their own caption and extension lines
  auto dimmed = [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const Line::TPLNBaseDim*>(&it) != nullptr; };
  auto dc = [](const Item& it) -> const Line::TPLNBaseDim& { return dynamic_cast<const Line::TPLNBaseDim&>(it); };
  auto dm = [](Item& it) -> Line::TPLNBaseDim& { return dynamic_cast<Line::TPLNBaseDim&>(it); };
  add({ItemGroup(TI::Dimension), 1, TORVInsProp::Edit, "dim_text", "Text", 0, TFmt::Text, 0, 0, 0, 0, {}, {}, dimmed,
       [dc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(dc(it).GetText()); },
       [dm](Item& it, TPLNBaseLabel& d, const QJsonValue& x) {
         dm(it).SetText(x.toString());
         d.AsignDimPosition(&dm(it), false);
         it.Update();
       },
       nullptr});
  add({ItemGroup(TI::Dimension), 2, TORVInsProp::Toggle, "text_measure", "Show measure", 0, TFmt::Text, 0, 0, 0, 0, {},
       {}, dimmed, [dc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(dc(it).GetTextMeasure()); },
       [dm](Item& it, TPLNBaseLabel& d, const QJsonValue& x) {
         dm(it).SetTextMeasure(x.toBool());
         d.AsignDimPosition(&dm(it), false);
         it.Update();
       },
       nullptr});
  add({ItemGroup(TI::Dimension), 3, TORVInsProp::List, "dim_style", "Style", 0, TFmt::Int, 0, 0, 0, 0, {}, {}, dimmed,
       [dc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(dc(it).GetDimStyleIndex() - 1); },
       [dm](Item& it, TPLNBaseLabel& d, const QJsonValue& x) {
         dm(it).SetDimStyleIndex(x.toInt() + 1);
         d.AsignDimPosition(&dm(it), false);
         it.Update();
       },
       [](const TPLNBaseLabel& d) {
         QStringList l;
         for (int i = 1; i <= d.GetDimStylesCount(); ++i) l << d.GetDimStyle(i)->Name;
         return l;
       }});

  // Flow boxes and links
  add({ItemGroup(TI::Flow), 1, TORVInsProp::List, "flow_type", "Shape", 0, TFmt::Int, 0, 0, 0, 0,
       {QStringLiteral("Terminator"), QStringLiteral("Process"), QStringLiteral("Document"), QStringLiteral("Documents"),
        QStringLiteral("Decision"), QStringLiteral("Data"), QStringLiteral("Database"), QStringLiteral("Predefined process"),
        QStringLiteral("Manual input"), QStringLiteral("Manual operation"), QStringLiteral("Preparation"),
        QStringLiteral("Ellipse"), QStringLiteral("Start"), QStringLiteral("Step"), QStringLiteral("End")},
       {}, [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const F2d::TPLNBaseFlow*>(&it) != nullptr; },
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(int(dynamic_cast<const F2d::TPLNBaseFlow&>(it).GetFlowTypeValue())); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         dynamic_cast<F2d::TPLNBaseFlow&>(it).SetFlowType(TORVFlowType(x.toInt()));
         it.Update();
       },
       nullptr});
  auto linked = [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const F2d::TPLNBaseLink*>(&it) != nullptr; };
  auto lc = [](const Item& it) -> const F2d::TPLNBaseLink& { return dynamic_cast<const F2d::TPLNBaseLink&>(it); };
  auto lm = [](Item& it) -> F2d::TPLNBaseLink& { return dynamic_cast<F2d::TPLNBaseLink&>(it); };
  add({ItemGroup(TI::Link), 1, TORVInsProp::List, "link_type", "Routing", 0, TFmt::Int, 0, 0, 0, 0,
       {QStringLiteral("Direct"), QStringLiteral("Horizontal first"), QStringLiteral("Vertical first"), QStringLiteral("Steps"),
        QStringLiteral("Arc"), QStringLiteral("Curve"), QStringLiteral("Polyline"), QStringLiteral("Rounded")},
       {}, linked, [lc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(int(lc(it).GetLinkType())); },
       [lm](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         lm(it).SetLinkType(F2d::TORVinkType(x.toInt()));
         it.Update();
       },
       nullptr});
  add({ItemGroup(TI::Link), 2, TORVInsProp::List, "from_type", "Start", 0, TFmt::Int, 0, 0, 0, 0, kTerms, kTermCodes,
       linked, [lc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(int(lc(it).GetFromType())); },
       [lm](Item& it, TPLNBaseLabel&, const QJsonValue& x) { lm(it).SetFromType(TORVTermType(x.toInt())); }, nullptr});
  add({ItemGroup(TI::Link), 3, TORVInsProp::List, "to_type", "End", 0, TFmt::Int, 0, 0, 0, 0, kTerms, kTermCodes,
       linked, [lc](const Item& it, const TPLNBaseLabel&) { return QJsonValue(int(lc(it).GetToType())); },
       [lm](Item& it, TPLNBaseLabel&, const QJsonValue& x) { lm(it).SetToType(TORVTermType(x.toInt())); }, nullptr});

  // Angles of arcs and sectors, in degrees
  auto arced = [](const Item& it, const TPLNBaseLabel&) {
    return dynamic_cast<const Line::TPLNBaseArc*>(&it) || dynamic_cast<const F2d::TPLNBaseSector*>(&it);
  };
  for (int k = 0; k < 2; ++k) {
    add({ItemGroup(TI::Arc), 1 + k, TORVInsProp::Edit, k ? "sweep_angle" : "start_angle", k ? "Sweep (°)" : "Start (°)",
         0, TFmt::Float, k ? -360.0 : -3600.0, k ? 360.0 : 3600.0, 5, 0, {}, {}, arced,
         [k](const Item& it, const TPLNBaseLabel&) {
           if (auto* s = dynamic_cast<const F2d::TPLNBaseSector*>(&it)) return QJsonValue(k ? s->GetAngleGap() : s->GetAngleStart());
           auto& a = dynamic_cast<const Line::TPLNBaseArc&>(it);
           return QJsonValue((k ? a.GetAngleSweep() : a.GetAngleStart()) / kDegToRad);
         },
         [k](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
           if (auto* s = dynamic_cast<F2d::TPLNBaseSector*>(&it)) k ? s->SetAngleGap(x.toDouble()) : s->SetAngleStart(x.toDouble());
           else {
             auto& a = dynamic_cast<Line::TPLNBaseArc&>(it);
             a.SetAngles(k ? a.GetAngleStart() : x.toDouble() * kDegToRad, k ? x.toDouble() * kDegToRad : a.GetAngleSweep());
           }
           it.Update();
         },
         nullptr});
  }

  // Gauges, Nutri-Score, packages, tables and poly texts
  using F2d::TPLNBaseLevel;
  using F2d::TPLNBaseRank;
  using F2d::TPLNBaseNutri;
  using F2d::TPLNBasePackage;
  using F2d::TPLNBaseTable;
  const int level = ItemGroup(TI::Level);
  add(Field<TPLNBaseLevel>(level, 1, TORVInsProp::Edit, "value", "Value", 0, TFmt::Float, -1e12, 1e12, 1, {},
                           [](const TPLNBaseLevel& l) { return QJsonValue(l.Value()); },
                           [](TPLNBaseLevel& l, const QJsonValue& x) { l.SetValue(x.toDouble()); }));
  add(Field<TPLNBaseLevel>(level, 2, TORVInsProp::Edit, "maximum", "Maximum", 0, TFmt::Float, 0, 1e12, 10, {},
                           [](const TPLNBaseLevel& l) { return QJsonValue(l.Maximum()); },
                           [](TPLNBaseLevel& l, const QJsonValue& x) { l.SetMaximum(x.toDouble()); }));
  add(Field<TPLNBaseLevel>(level, 3, TORVInsProp::List, "level_type", "Shape", 0, TFmt::Int, 0, 0, 0,
                           {QStringLiteral("Fluid, across"), QStringLiteral("Fluid, upwards"), QStringLiteral("Ring, across"),
                            QStringLiteral("Ring, upwards")},
                           [](const TPLNBaseLevel& l) { return QJsonValue(int(l.LevelType())); },
                           [](TPLNBaseLevel& l, const QJsonValue& x) { l.SetLevelType(std::uint8_t(x.toInt())); }));
  add(Field<TPLNBaseLevel>(level, 4, TORVInsProp::Color, "value_color", "Value colour", 0, TFmt::Text, 0, 0, 0, {},
                           [](const TPLNBaseLevel& l) { return Color(l.ValueColor()); },
                           [](TPLNBaseLevel& l, const QJsonValue& x) { l.SetValueColor(ToColor(x)); }));
  const int rank = ItemGroup(TI::Rank);
  add(Field<TPLNBaseRank>(rank, 1, TORVInsProp::Edit, "position", "Rating", 0, TFmt::Int, 0, F2d::kMaxRank, 1, {},
                          [](const TPLNBaseRank& r) { return QJsonValue(int(r.Position())); },
                          [](TPLNBaseRank& r, const QJsonValue& x) { r.SetPosition(x.toInt()); }));
  add(Field<TPLNBaseRank>(rank, 2, TORVInsProp::Edit, "maximum", "Marks", 0, TFmt::Int, 1, F2d::kMaxRank, 1, {},
                          [](const TPLNBaseRank& r) { return QJsonValue(int(r.Maximum())); },
                          [](TPLNBaseRank& r, const QJsonValue& x) { r.SetMaximum(x.toInt()); }));
  add(Field<TPLNBaseRank>(rank, 3, TORVInsProp::List, "rank_type", "Marks shape", 0, TFmt::Int, 0, 0, 0,
                          {QStringLiteral("Squares"), QStringLiteral("Circles"), QStringLiteral("Stars"), QStringLiteral("Rhombi")},
                          [](const TPLNBaseRank& r) { return QJsonValue(int(r.RankType())); },
                          [](TPLNBaseRank& r, const QJsonValue& x) { r.SetRankType(std::uint8_t(x.toInt())); }));
  add(Field<TPLNBaseRank>(rank, 4, TORVInsProp::Toggle, "draw_empty", "Show empty marks", 0, TFmt::Text, 0, 0, 0, {},
                          [](const TPLNBaseRank& r) { return QJsonValue(r.DrawEmpty()); },
                          [](TPLNBaseRank& r, const QJsonValue& x) { r.SetDrawEmpty(x.toBool()); }));
  const int nutri = ItemGroup(TI::Nutri);
  add(Field<TPLNBaseNutri>(nutri, 1, TORVInsProp::List, "grade", "Grade", 0, TFmt::Int, 0, 0, 0,
                           {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"), QStringLiteral("E")},
                           [](const TPLNBaseNutri& n) { return QJsonValue(int(n.Value()) - 'A'); },
                           [](TPLNBaseNutri& n, const QJsonValue& x) { n.SetValue(char16_t('A' + x.toInt())); }));
  add(Field<TPLNBaseNutri>(nutri, 2, TORVInsProp::List, "nutri_type", "Layout", 0, TFmt::Int, 0, 0, 0,
                           {QStringLiteral("Title above"), QStringLiteral("Title beside")},
                           [](const TPLNBaseNutri& n) { return QJsonValue(int(n.NutriType())); },
                           [](TPLNBaseNutri& n, const QJsonValue& x) { n.SetNutriType(std::uint8_t(x.toInt())); }));
  add(Field<TPLNBaseNutri>(nutri, 3, TORVInsProp::Toggle, "show_title", "Title", 0, TFmt::Text, 0, 0, 0, {},
                           [](const TPLNBaseNutri& n) { return QJsonValue(n.ShowTitle()); },
                           [](TPLNBaseNutri& n, const QJsonValue& x) { n.SetShowTitle(x.toBool()); }));
  add(Field<TPLNBaseNutri>(nutri, 4, TORVInsProp::Toggle, "black_white", "Black and white", 0, TFmt::Text, 0, 0, 0, {},
                           [](const TPLNBaseNutri& n) { return QJsonValue(n.BlackWhite()); },
                           [](TPLNBaseNutri& n, const QJsonValue& x) { n.SetBlackWhite(x.toBool()); }));
  for (int g = 0; g < 5; ++g) {
    static const char* kGradeNames[5] = {"color_a", "color_b", "color_c", "color_d", "color_e"};
    static const char* kGradeCaps[5] = {"A", "B", "C", "D", "E"};
    add(Field<TPLNBaseNutri>(ItemGroup(TI::NutriColors), 1 + g, TORVInsProp::Color, kGradeNames[g], kGradeCaps[g], 0,
                             TFmt::Text, 0, 0, 0, {}, [g](const TPLNBaseNutri& n) { return Color(n.GradeColor(g)); },
                             [g](TPLNBaseNutri& n, const QJsonValue& x) { n.SetGradeColor(g, ToColor(x)); }));
  }
  const int package = ItemGroup(TI::Package);
  static const char* kSizeNames[3] = {"size_width", "size_length", "size_height"};
  static const char* kSizeCaps[3] = {"Box width", "Box length", "Box height"};
  for (int k = 0; k < 3; ++k) {
    // The box's own sizes in millimetres, whatever the drawing's unit: they are written on it.
    add(Field<TPLNBasePackage>(package, 1 + k, TORVInsProp::Edit, kSizeNames[k], kSizeCaps[k], atPaper, TFmt::Float,
                               k == 2 ? 0 : 1, 1e7, 1000, {},
                               [k](const TPLNBasePackage& b) {
                                 return QJsonValue(double(k == 0 ? b.SizeWidth() : k == 1 ? b.SizeLength() : b.SizeHeight()) * 1000.0);
                               },
                               [k](TPLNBasePackage& b, const QJsonValue& x) {
                                 const float v = float(x.toDouble() / 1000.0);
                                 b.SetSizes(k == 0 ? v : b.SizeWidth(), k == 1 ? v : b.SizeLength(), k == 2 ? v : b.SizeHeight());
                               }));
  }
  add(Field<TPLNBasePackage>(package, 4, TORVInsProp::List, "package_style", "Drawing", 0, TFmt::Int, 0, 0, 0,
                             {QStringLiteral("Wireframe"), QStringLiteral("Wireframe with sizes"), QStringLiteral("Solid"),
                              QStringLiteral("Solid with sizes"), QStringLiteral("Part with drills"),
                              QStringLiteral("Part with drills and sizes")},
                             [](const TPLNBasePackage& b) { return QJsonValue(int(b.Style())); },
                             [](TPLNBasePackage& b, const QJsonValue& x) { b.SetStyle(std::uint8_t(x.toInt())); }));
  add(Field<TPLNBasePackage>(package, 5, TORVInsProp::Color, "box_color", "Box colour", 0, TFmt::Text, 0, 0, 0, {},
                             [](const TPLNBasePackage& b) { return Color(b.BoxColor()); },
                             [](TPLNBasePackage& b, const QJsonValue& x) { b.SetBoxColor(ToColor(x)); }));
  const int table = ItemGroup(TI::Table);
  add(Field<TPLNBaseTable>(table, 1, TORVInsProp::List, "grid", "Grid", 0, TFmt::Int, 0, 0, 0,
                           {QStringLiteral("None"), QStringLiteral("Columns"), QStringLiteral("Rows"), QStringLiteral("Both")},
                           [](const TPLNBaseTable& t) { return QJsonValue(int(t.GetGridType())); },
                           [](TPLNBaseTable& t, const QJsonValue& x) { t.SetGridType(Types::TPLNGrid(x.toInt())); }));
  add(Field<TPLNBaseTable>(table, 2, TORVInsProp::Color, "grid_color", "Grid colour", 0, TFmt::Text, 0, 0, 0, {},
                           [](const TPLNBaseTable& t) { return Color(t.GetGridColor()); },
                           [](TPLNBaseTable& t, const QJsonValue& x) { t.SetGridColor(ToColor(x)); }));
  add(Field<TPLNBaseTable>(table, 3, TORVInsProp::Edit, "grid_width", "Grid width", atPaper, TFmt::Float, 0, 10000, 50, {},
                           [](const TPLNBaseTable& t) { return QJsonValue(double(t.GetGridWidth()) * 1000.0); },
                           [](TPLNBaseTable& t, const QJsonValue& x) { t.SetGridWidth(float(x.toDouble() / 1000.0)); }));
  add(Field<TPLNBaseTable>(table, 4, TORVInsProp::Toggle, "fit_to_box", "Fit rows to the box", 0, TFmt::Text, 0, 0, 0, {},
                           [](const TPLNBaseTable& t) { return QJsonValue(t.GetFitToBox()); },
                           [](TPLNBaseTable& t, const QJsonValue& x) { t.SetFitToBox(x.toBool()); }));
  add(Field<Text::TPLNBasePoly>(ItemGroup(TI::PolyText), 1, TORVInsProp::Memo, "poly_text", "Text", 0, TFmt::Text, 0, 0,
                                0, {}, [](const Text::TPLNBasePoly& t) { return QJsonValue(t.GetData()); },
                                [](Text::TPLNBasePoly& t, const QJsonValue& x) { t.SetData(x.toString()); }));
  // The columns and the runs are edited in forms of their own; the cells say how many there are.
  add({table, 5, TORVInsProp::Table, "columns", "Columns", 0, TFmt::Text, 0, 0, 0, 0, {}, {},
       [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const TPLNBaseTable*>(&it) != nullptr; },
       [](const Item& it, const TPLNBaseLabel&) {
         const int n = dynamic_cast<const TPLNBaseTable&>(it).GetColumnCount();
         return QJsonValue(n == 1 ? TPLNMsg::GetPropValue(QStringLiteral("InsOneColumn"))
                                   : TPLNMsg::GetPropValue(QStringLiteral("InsColumnCount")).arg(n));
       },
       nullptr, nullptr});
  add({ItemGroup(TI::PolyText), 2, TORVInsProp::Poly, "runs", "Runs", 0, TFmt::Text, 0, 0, 0, 0, {}, {},
       [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const Text::TPLNBasePoly*>(&it) != nullptr; },
       [](const Item& it, const TPLNBaseLabel&) {
         const int n = dynamic_cast<const Text::TPLNBasePoly&>(it).GetItemCount();
         return QJsonValue(n == 1 ? TPLNMsg::GetPropValue(QStringLiteral("InsOneRun"))
                                   : TPLNMsg::GetPropValue(QStringLiteral("InsRunCount")).arg(n));
       },
       nullptr, nullptr});

  // Rich text: its markup in a form
  add({ItemGroup(TI::RichText), 1, TORVInsProp::Memo, "richtext", "Rich text", 0, TFmt::Text, 0, 0, 0, 0, {}, {},
       [](const Item& it, const TPLNBaseLabel&) { return IsRich(it); },
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(dynamic_cast<const Text::TPLNBaseRichText&>(it).GetRichText()); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         dynamic_cast<Text::TPLNBaseRichText&>(it).SetRichText(x.toString());
         it.Update();
       },
       nullptr});

  // Symbols: scale and free turn
  auto sym = [](const Item& it, const TPLNBaseLabel&) { return dynamic_cast<const Symbol::TPLNBaseSymbol*>(&it) != nullptr; };
  add({ItemGroup(TI::Symbol), 1, TORVInsProp::Edit, "scale", "Scale", 0, TFmt::Float, 0.01, 100, 0.1, 0, {}, {}, sym,
       [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(double(dynamic_cast<const Symbol::TPLNBaseSymbol&>(it).GetScale())); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         dynamic_cast<Symbol::TPLNBaseSymbol&>(it).SetScale(float(x.toDouble()));
         it.Update();
       },
       nullptr});
  add({ItemGroup(TI::Symbol), 2, TORVInsProp::Edit, "symbol_angle", "Angle (°)", 0, TFmt::Float, -360, 360, 15, 0, {}, {},
       sym, [](const Item& it, const TPLNBaseLabel&) { return QJsonValue(dynamic_cast<const Symbol::TPLNBaseSymbol&>(it).GetAngleDeg()); },
       [](Item& it, TPLNBaseLabel&, const QJsonValue& x) {
         dynamic_cast<Symbol::TPLNBaseSymbol&>(it).SetAngleRad(x.toDouble() * kDegToRad);
         it.Update();
       },
       nullptr});
  return v;
}

const std::vector<TProp>& Props() {
  static const std::vector<TProp> props = BuildProps();
  return props;
}

const char* GroupCaption(int group) {
  static const char* kBase[] = {"Item", "Position", "Size", "Pen", "Line", "Fill", "Layer", "Points",
                                "Line ends", "Turn", "Options", "Options", "Options", "Options", "Data",
                                "Corners", "Padding", "Font", "Style", "Alignment", "Text", "Scale"};
  static const char* kItem[] = {"Barcode", "Modules", "Code", "Picture", "Dimension", "Dimension style", "Flow box",
                                "Link", "Angles", "Level", "Rank", "Grade colours", "Nutri-Score", "Package", "Table",
                                "Poly text", "Rich text", "Symbol"};
  if (group < kItemGroup) return group >= 0 && group < int(TB::Count) ? kBase[group] : "";
  group -= kItemGroup;
  return group >= 0 && group < int(TI::Count) ? kItem[group] : "";
}

bool GroupOn(int group, TORVInsTypesBase base, TORVInsTypes types) {
  if (group < kItemGroup) return (base >> group) & 1u;
  return (types >> (group - kItemGroup)) & 1u;
}

std::vector<TPLNBaseItem*> Selected(const TPLNBaseLabel& doc) {
  std::vector<TPLNBaseItem*> out;
  for (int i = 1; i <= doc.GetSelectionCount(); ++i)
    if (TPLNBaseItem* it = doc.GetSelection(i)) out.push_back(it);
  return out;
}

// Unit of lengths in the document's unit or on paper.
double FactorOf(const TProp& p, const TPLNBaseLabel& doc) {
  if (p.Attr & atLength) return Utils::UnitFactor(doc.GetUnits());
  if (p.Attr & atPaper) return 1000.0;
  return 1.0;
}
QString UnitCaption(const TProp& p, const TPLNBaseLabel& doc) {
  if (p.Attr & atLength) return Utils::UnitName(doc.GetUnits());
  if (p.Attr & atPaper) return QStringLiteral("mm");
  return {};
}
int DecimalsOf(const TProp& p, const TPLNBaseLabel& doc) {
  if (p.Fmt != TFmt::Float) return 0;
  if (!(p.Attr & atLength)) return (p.Attr & atPaper) ? 2 : 3;
  switch (doc.GetUnits()) {
    case TORVUnits::mm: return 2;
    case TORVUnits::inch:
    case TORVUnits::cm: return 3;
    default: return 4;
  }
}

// Fixed choices come in the language in force; the document's own (layers, fonts, styles) as
// they are named.
QStringList ChoicesOf(const TProp& p, const TPLNBaseLabel& doc) {
  if (p.List) return p.List(doc);
  QStringList shown;
  for (const QString& c : p.Choices) shown << InsText(TORVMsgTable::Lists, c);
  return shown;
}

// The stored value as the row shows it: lengths in their unit, list codes as indices.
QJsonValue Shown(const TProp& p, const TPLNBaseLabel& doc, const QJsonValue& v) {
  if (p.Editor == TORVInsProp::List && !p.Codes.empty()) {
    for (std::size_t i = 0; i < p.Codes.size(); ++i)
      if (p.Codes[i] == v.toInt()) return QJsonValue(int(i));
    return QJsonValue(-1);
  }
  if (p.Fmt == TFmt::Float) return QJsonValue(v.toDouble() / FactorOf(p, doc));
  return v;
}

QString ShownText(const TProp& p, const TPLNBaseLabel& doc, const QJsonValue& shown) {
  switch (p.Editor) {
    case TORVInsProp::Color: return Json::ColorValue(ToColor(shown)).toString();
    case TORVInsProp::Toggle: return TPLNMsg::GetListValue(shown.toBool() ? QStringLiteral("Yes") : QStringLiteral("No"));
    case TORVInsProp::List: {
      const QStringList l = ChoicesOf(p, doc);
      const int i = shown.toInt();
      return i >= 0 && i < l.size() ? l[i] : QString();
    }
    case TORVInsProp::Field: return shown.toString().isEmpty() ? TPLNMsg::GetListValue(QStringLiteral("NoField")) : shown.toString();
    default: break;
  }
  if (p.Fmt == TFmt::Float) {
    QString t = Utils::FormatFloat(shown.toDouble(), DecimalsOf(p, doc));
    const QString u = UnitCaption(p, doc);
    return u.isEmpty() ? t : t + QLatin1Char(' ') + u;
  }
  if (p.Fmt == TFmt::Int) return QString::number(shown.toInteger());
  return shown.toString();
}

// One cell: the value shared by the items, or mixed.
struct TCell {
  const TProp* Prop = nullptr;
  QJsonValue Value;
  bool Mixed = false;
};

std::vector<TCell> Cells(const TPLNBaseLabel& doc, const std::vector<TPLNBaseItem*>& sel, TORVInsTypesBase base,
                         TORVInsTypes types) {
  std::vector<TCell> out;
  if (sel.empty()) return out;
  for (TPLNBaseItem* it : sel) NarrowInspector(*it, base, types);
  for (const TProp& p : Props()) {
    if (!GroupOn(p.Group, base, types)) continue;
    bool all = true;
    for (TPLNBaseItem* it : sel)
      if (!p.Has(*it, doc)) {
        all = false;
        break;
      }
    if (!all) continue;
    TCell c{&p, p.Get(*sel.front(), doc), false};
    for (std::size_t i = 1; i < sel.size() && !c.Mixed; ++i) c.Mixed = p.Get(*sel[i], doc) != c.Value;
    out.push_back(std::move(c));
  }
  return out;
}

int KindOf(const std::vector<TPLNBaseItem*>& sel) {
  if (sel.empty()) return 0;
  const int k = sel.front()->KindCode();
  for (TPLNBaseItem* it : sel)
    if (it->KindCode() != k) return 0;
  return k;
}

void PutCell(QJsonObject& row, int i, const TCell& c, const TPLNBaseLabel& doc) {
  const TProp& p = *c.Prop;
  const QString n = QString::number(i);
  const QJsonValue shown = Shown(p, doc, c.Value);
  row[QStringLiteral("Prop") + n] = int(p.Editor);
  row[QStringLiteral("P") + n] = p.P;
  row[QStringLiteral("T") + n] = Caption(p.Caption);
  row[QStringLiteral("Name") + n] = QString::fromUtf8(p.Name);
  row[QStringLiteral("Value") + n] = shown;
  row[QStringLiteral("TV") + n] = c.Mixed ? QString() : ShownText(p, doc, shown);
  row[QStringLiteral("M") + n] = c.Mixed;
  row[QStringLiteral("FE") + n] = int(p.Fmt);
  row[QStringLiteral("AT") + n] = p.Attr | (c.Mixed ? atMixed : 0);
  if (p.Editor == TORVInsProp::List || p.Editor == TORVInsProp::Field)
    row[QStringLiteral("List") + n] = QJsonArray::fromStringList(ChoicesOf(p, doc));
  if (p.Fmt != TFmt::Text) {
    const double f = FactorOf(p, doc);
    row[QStringLiteral("C") + n] = UnitCaption(p, doc);
    row[QStringLiteral("F") + n] = DecimalsOf(p, doc);
    row[QStringLiteral("L") + n] = p.Min / f;
    row[QStringLiteral("X") + n] = p.Max / f;
    // A step of a whole or tenth unit reads better than a converted millimetre.
    double step = p.Step / f;
    if (p.Attr & atLength) step = doc.GetUnits() == TORVUnits::mm ? 1.0 : 0.1;
    row[QStringLiteral("I") + n] = step;
  }
}

std::map<std::pair<int, int>, TCell> Snapshot(const TPLNBaseLabel& doc, TORVInsTypesBase base, TORVInsTypes types) {
  std::map<std::pair<int, int>, TCell> m;
  for (TCell& c : Cells(doc, Selected(doc), base, types)) m[{c.Prop->Group, c.Prop->P}] = std::move(c);
  return m;
}

// The typed or sent value as the property stores it; refuses what does not parse.
QJsonValue Parse(const TProp& p, const TPLNBaseLabel& doc, const QJsonObject& v) {
  const QString txt = v.value(QStringLiteral("txt")).toString();
  switch (p.Editor) {
    case TORVInsProp::Color: {
      if (!txt.trimmed().isEmpty()) {
        TAlphaColor c = 0;
        if (Json::ParseColor(txt, &c)) return Color(c);
        const QColor q = QColor::fromString(txt.trimmed());
        if (!q.isValid()) Refuse(TPLNMsg::GetErrorValue(QStringLiteral("InsNoColour")).arg(txt.trimmed()));
        return Color(q.rgba());
      }
      return Color(static_cast<TAlphaColor>(v.value(QStringLiteral("i64")).toInteger()));
    }
    case TORVInsProp::Toggle: return QJsonValue(v.value(QStringLiteral("bol")).toBool());
    case TORVInsProp::List: {
      const int i = v.value(QStringLiteral("int")).toInt(-1);
      const int n = int(ChoicesOf(p, doc).size());
      if (i < 0 || i >= n) Refuse(TPLNMsg::GetErrorValue(QStringLiteral("InsChooseEntry")).arg(n));
      return QJsonValue(p.Codes.empty() ? i : p.Codes[std::size_t(i)]);
    }
    case TORVInsProp::Font:
      if (txt.trimmed().isEmpty()) Refuse(TPLNMsg::GetErrorValue(QStringLiteral("InsFontName")));
      return QJsonValue(txt.trimmed());
    case TORVInsProp::ReadOnly:
    case TORVInsProp::Head: Refuse(TPLNMsg::GetErrorValue(QStringLiteral("InsReadOnly")).arg(Caption(p.Caption)));
    default: break;
  }
  if (p.Fmt == TFmt::Text) return QJsonValue(txt);
  // Numbers: typed text (with a unit for lengths), or the number an arrow sent.
  const double f = FactorOf(p, doc);
  double base = 0;
  if (!txt.trimmed().isEmpty()) {
    if (p.Attr & (atLength | atPaper)) {
      if (!ParseLength(txt, f, &base))
        Refuse(TPLNMsg::GetErrorValue(QStringLiteral("InsNoLength")).arg(txt.trimmed()));
    } else {
      bool ok = false;
      QString t = txt.trimmed();
      t.replace(QLatin1Char(','), QLatin1Char('.'));
      base = QLocale::c().toDouble(t, &ok);
      if (!ok) Refuse(TPLNMsg::GetErrorValue(QStringLiteral("InsNoNumber")).arg(txt.trimmed()));
    }
  } else {
    base = (p.Fmt == TFmt::Int ? double(v.value(QStringLiteral("int")).toInteger()) : v.value(QStringLiteral("ext")).toDouble()) * f;
  }
  if (!std::isfinite(base) || base < p.Min || base > p.Max) {
    const int d = DecimalsOf(p, doc);
    const QString u = UnitCaption(p, doc);
    Refuse(TPLNMsg::GetErrorValue(QStringLiteral("InsRange"))
               .arg(Caption(p.Caption), Utils::FormatFloat(p.Min / f, d), Utils::FormatFloat(p.Max / f, d),
                    u.isEmpty() ? QString() : QLatin1Char(' ') + u));
  }
  return p.Fmt == TFmt::Int ? QJsonValue(qint64(std::llround(base))) : QJsonValue(base);
}

// Takes back a change refused half-way through the selection; the history's undo selects what
// it restored, so the selection is put back as it was.
void TakeBack(TPLNBaseLabel& doc, std::uint64_t recorded, const std::vector<TPLNBaseItem*>& sel) {
  if (doc.UndoRecorded() == recorded) return;
  doc.DiscardLastStep();
  doc.ClearSelection();
  for (TPLNBaseItem* it : sel) doc.Select(it);
}

QJsonObject Refusal(const QString& why) {
  return QJsonObject{{QStringLiteral("Ok"), false}, {QStringLiteral("Error"), why}, {QStringLiteral("Link"), QJsonArray()}};
}

}  // namespace

bool ParseLength(const QString& text, double unitFactor, double* baseUnits) {
  static const QRegularExpression re(QStringLiteral("^\\s*([-+]?(?:\\d+(?:[.,]\\d*)?|[.,]\\d+)(?:[eE][-+]?\\d+)?)\\s*([a-zA-Z\"]*)\\s*$"));
  const QRegularExpressionMatch m = re.match(text);
  if (!m.hasMatch()) return false;
  QString num = m.captured(1);
  num.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double v = QLocale::c().toDouble(num, &ok);
  if (!ok) return false;
  const QString u = m.captured(2).toLower();
  double f = unitFactor;
  if (u.isEmpty()) f = unitFactor;
  else if (u == QLatin1String("mm")) f = 1000;
  else if (u == QLatin1String("cm")) f = 10000;
  else if (u == QLatin1String("m")) f = 1000000;
  else if (u == QLatin1String("in") || u == QLatin1String("\"")) f = 25400;
  else if (u == QLatin1String("pt")) f = 25400.0 / 72.0;
  else if (u == QLatin1String("ft")) f = 304800;
  else return false;
  *baseUnits = v * f;
  return std::isfinite(*baseUnits);
}

void NarrowInspector(const TPLNBaseItem& item, TORVInsTypesBase& baseTypes, TORVInsTypes& types) {
  // A group stays when the item has at least one of its properties.
  TORVInsTypesBase b = 0;
  TORVInsTypes t = 0;
  const TPLNBaseLabel* doc = item.Owner();
  for (const TProp& p : Props()) {
    if (doc && !p.Has(item, *doc)) continue;
    if (p.Group < kItemGroup) b |= 1u << p.Group;
    else t |= 1u << (p.Group - kItemGroup);
  }
  baseTypes &= b;
  types &= t;
}

QJsonArray FillInspector(const TPLNBaseLabel& doc, TORVInsTypesBase baseTypes, TORVInsTypes types, bool heads) {
  QJsonArray rows;
  const std::vector<TPLNBaseItem*> sel = Selected(doc);
  const std::vector<TCell> cells = Cells(doc, sel, baseTypes, types);
  const int kind = KindOf(sel);
  int group = -1;
  QString caption;
  for (std::size_t i = 0; i < cells.size();) {
    const TProp& p = *cells[i].Prop;
    // Groups of one caption (the options) share one head.
    if (heads && p.Group != group && QString::fromUtf8(GroupCaption(p.Group)) != caption) {
      caption = QString::fromUtf8(GroupCaption(p.Group));
      rows.append(QJsonObject{{QStringLiteral("H"), 22}, {QStringLiteral("N"), 1}, {QStringLiteral("Head"), true},
                              {QStringLiteral("Kind"), kind}, {QStringLiteral("Type"), p.Group},
                              {QStringLiteral("Prop1"), int(TORVInsProp::Head)}, {QStringLiteral("P1"), 0},
                              {QStringLiteral("T1"), Caption(GroupCaption(p.Group))}});
    }
    group = p.Group;
    QJsonObject row{{QStringLiteral("H"), 22}, {QStringLiteral("Kind"), kind}, {QStringLiteral("Type"), p.Group},
                    {QStringLiteral("Value1"), 0}, {QStringLiteral("Value2"), 0}};
    int n = 0;
    std::size_t j = i;
    do {
      PutCell(row, ++n, cells[j], doc);
      ++j;
    } while (p.Row != 0 && j < cells.size() && cells[j].Prop->Group == p.Group && cells[j].Prop->Row == p.Row);
    row[QStringLiteral("N")] = n;
    if (p.Group == int(TB::Points)) row[QStringLiteral("Caption")] = TPLNMsg::GetPropValue(QStringLiteral("InsPointRow")).arg(p.Row);
    else if (n > 1) row[QStringLiteral("Caption")] = Caption(GroupCaption(p.Group));
    rows.append(row);
    i = j;
  }
  return rows;
}

QJsonObject UpdateProp(TPLNBaseLabel& doc, int prop, int kind, int type, int p, const QJsonObject& value,
                       TORVInsTypesBase baseTypes, TORVInsTypes types) {
  (void)kind;
  const std::vector<TPLNBaseItem*> sel = Selected(doc);
  if (sel.empty()) return Refusal(TPLNMsg::GetErrorValue(QStringLiteral("InsNoSelection")));
  if (!doc.GetEditable()) return Refusal(TPLNMsg::GetErrorValue(QStringLiteral("InsNotEditable")));
  const TProp* def = nullptr;
  for (const TProp& d : Props())
    if (d.Group == type && d.P == p && (prop <= 0 || int(d.Editor) == prop)) def = &d;
  if (!def || !def->Set) return Refusal(TPLNMsg::GetErrorValue(QStringLiteral("InsFixedProperty")));
  for (TPLNBaseItem* it : sel)
    if (!def->Has(*it, doc)) return Refusal(TPLNMsg::GetErrorValue(QStringLiteral("InsNotShared")).arg(Caption(def->Caption)));

  QJsonValue v;
  try {
    v = Parse(*def, doc, value);
  } catch (const EPLNError& e) {
    return Refusal(e.Message());
  }
  const auto before = Snapshot(doc, baseTypes, types);
  const std::uint64_t recorded = doc.UndoRecorded();
  QString error;
  doc.BeginUpdate(true);
  try {
    for (TPLNBaseItem* it : sel) def->Set(*it, doc, v);
  } catch (const std::exception& e) {
    error = QString::fromUtf8(e.what());
  }
  doc.EndUpdate();
  // A refusal half-way through the selection takes back what was already changed.
  if (!error.isEmpty()) {
    TakeBack(doc, recorded, sel);
    return Refusal(error);
  }
  // Codes keep only what their symbology encodes.
  for (TPLNBaseItem* it : sel)
    if (auto* bar = dynamic_cast<Barcode::TPLNBaseBarcode*>(it); bar && !bar->IsValid() && def->Group == ItemGroup(TI::Barcode)) {
      const QString code = bar->GetCode();
      TakeBack(doc, recorded, sel);
      return Refusal(TPLNMsg::GetErrorValue(QStringLiteral("InsCannotEncode")).arg(code));
    }

  const auto after = Snapshot(doc, baseTypes, types);
  QJsonObject result{{QStringLiteral("Ok"), true}};
  QJsonArray links;
  bool rebuild = before.size() != after.size();
  for (const auto& [key, cell] : after) {
    const auto old = before.find(key);
    if (old == before.end()) {
      rebuild = true;
      continue;
    }
    const QJsonValue shown = Shown(*cell.Prop, doc, cell.Value);
    const QString text = cell.Mixed ? QString() : ShownText(*cell.Prop, doc, shown);
    if (key == std::make_pair(type, p)) {
      result[QStringLiteral("Value")] = shown;
      result[QStringLiteral("TV")] = text;
      result[QStringLiteral("M")] = cell.Mixed;
      continue;
    }
    if (old->second.Value == cell.Value && old->second.Mixed == cell.Mixed) continue;
    links.append(QJsonObject{{QStringLiteral("Kind"), KindOf(sel)}, {QStringLiteral("Type"), key.first},
                             {QStringLiteral("Pos"), key.second}, {QStringLiteral("Prop"), int(cell.Prop->Editor)},
                             {QStringLiteral("Value"), shown}, {QStringLiteral("TV"), text}, {QStringLiteral("M"), cell.Mixed}});
  }
  result[QStringLiteral("Link")] = links;
  result[QStringLiteral("Rebuild")] = rebuild;
  // The value keys of the request, holding what was stored.
  const QJsonValue shown = result.value(QStringLiteral("Value"));
  switch (def->Editor) {
    case TORVInsProp::Color: result[QStringLiteral("i64")] = shown; break;
    case TORVInsProp::Toggle: result[QStringLiteral("bol")] = shown; break;
    case TORVInsProp::List: result[QStringLiteral("int")] = shown; break;
    default:
      if (def->Fmt == TFmt::Float) result[QStringLiteral("ext")] = shown;
      else if (def->Fmt == TFmt::Int) result[QStringLiteral("int")] = shown;
      else result[QStringLiteral("txt")] = shown;
  }
  return result;
}

}  // namespace Orv::Ins
