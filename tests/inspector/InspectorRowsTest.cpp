// The inspector's rows for the kinds of items, and changes sent back to the document: values in
// the document's unit, mixed values, the cells that change with a change, refusals that leave
// the drawing untouched, and one undo step for a whole selection.
#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

#include "ORV.BarcodeItems.h"
#include "ORV.Data.h"
#include "ORV.FMX.h"
#include "ORV.Gauges.h"
#include "ORV.Nutri.h"
#include "ORV.Inspector.h"
#include "ORV.Text.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Ins;

namespace {

struct TCellRef {
  int Row = -1, Cell = 0;
  QJsonObject R;
  QJsonValue Get(const char* key) const { return R.value(QLatin1String(key) + QString::number(Cell)); }
};

// The cell of property `name` among the rows, or Row -1.
TCellRef Find(const QJsonArray& rows, const char* name) {
  for (int r = 0; r < rows.size(); ++r) {
    const QJsonObject o = rows[r].toObject();
    for (int c = 1; c <= o.value(QStringLiteral("N")).toInt(); ++c)
      if (o.value(QStringLiteral("Name") + QString::number(c)).toString() == QLatin1String(name)) return {r, c, o};
  }
  return {};
}

QStringList Names(const QJsonArray& rows) {
  QStringList out;
  for (const QJsonValue& v : rows) {
    const QJsonObject o = v.toObject();
    for (int c = 1; c <= o.value(QStringLiteral("N")).toInt(); ++c) out << o.value(QStringLiteral("Name") + QString::number(c)).toString();
  }
  out.removeAll(QString());
  return out;
}

struct Doc {
  TPlanoraFMX doc;
  QJsonArray Rows() const { return FillInspector(doc, kAllBase, kDefaultTypes); }
  // Sends `value` to the cell of `name` as the widget would.
  QJsonObject Send(const char* name, const QJsonObject& value) {
    const TCellRef c = Find(Rows(), name);
    EXPECT_GE(c.Row, 0) << name;
    if (c.Row < 0) return {};
    return UpdateProp(doc, c.Get("Prop").toInt(), c.R.value(QStringLiteral("Kind")).toInt(), c.R.value(QStringLiteral("Type")).toInt(),
                      c.Get("P").toInt(), value);
  }
  QJsonObject Type(const char* name, const QString& text) { return Send(name, {{QStringLiteral("txt"), text}}); }
};

TEST(InspectorRows, RectangleRowsShowItsValuesInTheDocumentUnit) {
  Doc d;
  EXPECT_TRUE(d.Rows().isEmpty());
  TPLNBaseItem* rect = TPLNFactory::AddBaseRectangle(&d.doc, 10000, 20000, 50000, 30000);
  rect->SetPenWidth(500);
  d.doc.Select(rect);
  const QJsonArray rows = d.Rows();
  const QStringList names = Names(rows);
  for (const char* n : {"id", "kind", "name", "x", "y", "width", "height", "color", "pen_width", "line_type", "filled",
                        "back_color", "layer", "x1", "y2", "visible", "printable", "radius"})
    EXPECT_TRUE(names.contains(QLatin1String(n))) << n;
  // A rectangle has no font, no code and no data field.
  for (const char* n : {"font_name", "bold", "code", "data_field", "richtext"}) EXPECT_FALSE(names.contains(QLatin1String(n))) << n;
  // Its box without the pen, in millimetres.
  EXPECT_EQ(Find(rows, "x").Get("TV").toString(), QStringLiteral("10.00 mm"));
  EXPECT_DOUBLE_EQ(Find(rows, "width").Get("Value").toDouble(), 50.0);
  EXPECT_EQ(Find(rows, "pen_width").Get("TV").toString(), QStringLiteral("0.50 mm"));
  EXPECT_EQ(Find(rows, "line_type").Get("TV").toString(), QStringLiteral("Solid"));
  // The style toggles of a text share one row; the points sit X and Y side by side.
  EXPECT_EQ(Find(rows, "x1").R.value(QStringLiteral("N")).toInt(), 2);
  EXPECT_EQ(Find(rows, "x1").R.value(QStringLiteral("Caption")).toString(), QStringLiteral("Point 1"));

  d.doc.SetUnits(TORVUnits::inch);
  const QJsonArray inches = d.Rows();
  EXPECT_EQ(Find(inches, "width").Get("TV").toString(), QStringLiteral("1.969 in"));
  // Pens are paper sizes: millimetres whatever the drawing's unit.
  EXPECT_EQ(Find(inches, "pen_width").Get("TV").toString(), QStringLiteral("0.50 mm"));
  // A length typed with its own unit is read in that unit.
  EXPECT_TRUE(d.Type("width", QStringLiteral("30 mm")).value(QStringLiteral("Ok")).toBool());
  EXPECT_EQ(rect->GetPoint(2).X - rect->GetPoint(1).X, 30000);
  EXPECT_TRUE(d.Type("x", QStringLiteral("1")).value(QStringLiteral("Ok")).toBool());
  EXPECT_EQ(rect->GetPoint(1).X, 25400);
}

TEST(InspectorRows, TextRowsAndGroupsNarrowedByTheSelection) {
  Doc d;
  auto* text = dynamic_cast<Text::TPLNBaseText*>(TPLNFactory::AddBaseText(&d.doc, 10000, 10000));
  ASSERT_NE(text, nullptr);
  text->SetText(QStringLiteral("Hello"));
  text->SetBold(true);
  d.doc.Select(text);
  QJsonArray rows = d.Rows();
  const TCellRef bold = Find(rows, "bold");
  ASSERT_GE(bold.Row, 0);
  EXPECT_EQ(bold.R.value(QStringLiteral("N")).toInt(), 3);  // bold, italic, underline
  EXPECT_TRUE(bold.Get("Value").toBool());
  EXPECT_EQ(Find(rows, "text").Get("Value").toString(), QStringLiteral("Hello"));
  EXPECT_EQ(Find(rows, "font_name").Get("Prop").toInt(), int(TORVInsProp::Font));
  EXPECT_EQ(Find(rows, "data_field").Get("TV").toString(), QStringLiteral("(none)"));

  // With a rectangle too, only what both have: no font, no text; values that differ are mixed.
  TPLNBaseItem* rect = TPLNFactory::AddBaseRectangle(&d.doc, 10000, 40000, 20000, 20000);
  rect->SetColor(0xFFFF0000);
  d.doc.Select(rect);
  rows = d.Rows();
  const QStringList names = Names(rows);
  EXPECT_FALSE(names.contains(QStringLiteral("font_name")));
  EXPECT_FALSE(names.contains(QStringLiteral("text")));
  EXPECT_FALSE(names.contains(QStringLiteral("x1"))) << "points are for one item";
  EXPECT_TRUE(names.contains(QStringLiteral("color")));
  EXPECT_TRUE(Find(rows, "color").Get("M").toBool());
  EXPECT_TRUE(Find(rows, "kind").Get("M").toBool());
  EXPECT_EQ(Find(rows, "color").R.value(QStringLiteral("Kind")).toInt(), 0);

  // Switched-off groups disappear, and so does a group no selected item has.
  d.doc.ClearSelection();
  d.doc.Select(rect);
  const QJsonArray noPen = FillInspector(d.doc, kAllBase & ~(1u << int(TORVInsTypeBase::Pen)), kDefaultTypes);
  EXPECT_FALSE(Names(noPen).contains(QStringLiteral("color")));
  TORVInsTypesBase base = kAllBase;
  TORVInsTypes types = kDefaultTypes;
  NarrowInspector(*rect, base, types);
  EXPECT_FALSE(base & (1u << int(TORVInsTypeBase::Font)));
  EXPECT_EQ(types, 0u);
}

TEST(InspectorRows, OneChangeToASelectionIsOneUndoStep) {
  Doc d;
  TPLNBaseItem* a = TPLNFactory::AddBaseRectangle(&d.doc, 10000, 10000, 20000, 20000);
  TPLNBaseItem* b = TPLNFactory::AddBaseEllipse(&d.doc, 60000, 20000, 10000, 8000);
  a->SetColor(0xFF000000);
  b->SetColor(0xFF00FF00);
  d.doc.Select(a);
  d.doc.Select(b);
  const int steps = d.doc.UndoCount();
  const QJsonObject r = d.Send("color", {{QStringLiteral("i64"), qint64(0xFF0000FF)}});
  ASSERT_TRUE(r.value(QStringLiteral("Ok")).toBool()) << r.value(QStringLiteral("Error")).toString().toStdString();
  EXPECT_FALSE(r.value(QStringLiteral("M")).toBool()) << "the colours agree now";
  EXPECT_EQ(r.value(QStringLiteral("i64")).toInteger(), qint64(0xFF0000FF));
  EXPECT_EQ(a->GetColor(), 0xFF0000FFu);
  EXPECT_EQ(b->GetColor(), 0xFF0000FFu);
  EXPECT_EQ(d.doc.UndoCount(), steps + 1);
  d.doc.Undo();
  EXPECT_EQ(a->GetColor(), 0xFF000000u);
  EXPECT_EQ(b->GetColor(), 0xFF00FF00u);

  // A toggle sends the negation and shows what the document stored.
  const QJsonObject f = d.Send("filled", {{QStringLiteral("bol"), true}});
  EXPECT_TRUE(f.value(QStringLiteral("bol")).toBool());
  EXPECT_TRUE(dynamic_cast<TPLN2DItem*>(a)->GetFilled() && dynamic_cast<TPLN2DItem*>(b)->GetFilled());
}

TEST(InspectorRows, ChangesNameTheOtherCellsThatChangedWithThem) {
  Doc d;
  TPLNBaseItem* rect = TPLNFactory::AddBaseRectangle(&d.doc, 10000, 10000, 20000, 10000);
  d.doc.Select(rect);
  // Moving the box moves both corners; the size stays.
  QJsonObject r = d.Type("x", QStringLiteral("15"));
  ASSERT_TRUE(r.value(QStringLiteral("Ok")).toBool());
  QStringList linked;
  for (const QJsonValue& l : r.value(QStringLiteral("Link")).toArray()) {
    const QJsonObject o = l.toObject();
    linked << QStringLiteral("%1/%2=%3").arg(o.value(QStringLiteral("Type")).toInt()).arg(o.value(QStringLiteral("Pos")).toInt())
                  .arg(o.value(QStringLiteral("TV")).toString());
  }
  const int points = int(TORVInsTypeBase::Points);
  EXPECT_TRUE(linked.contains(QStringLiteral("%1/1=15.00 mm").arg(points))) << linked.join(QLatin1Char(' ')).toStdString();
  EXPECT_TRUE(linked.contains(QStringLiteral("%1/3=35.00 mm").arg(points))) << linked.join(QLatin1Char(' ')).toStdString();
  EXPECT_EQ(linked.size(), 2) << "width, height and Y did not change: " << linked.join(QLatin1Char(' ')).toStdString();
  EXPECT_EQ(r.value(QStringLiteral("TV")).toString(), QStringLiteral("15.00 mm"));
  // The far corner changes the width.
  r = d.Type("x2", QStringLiteral("45"));
  bool width = false;
  for (const QJsonValue& l : r.value(QStringLiteral("Link")).toArray())
    width |= l.toObject().value(QStringLiteral("Type")).toInt() == int(TORVInsTypeBase::Size) &&
             l.toObject().value(QStringLiteral("TV")).toString() == QStringLiteral("30.00 mm");
  EXPECT_TRUE(width);
}

TEST(InspectorRows, RefusedValuesLeaveTheDrawingAsItWas) {
  Doc d;
  TPLNBaseItem* rect = TPLNFactory::AddBaseRectangle(&d.doc, 10000, 10000, 20000, 10000);
  auto* bar = dynamic_cast<Barcode::TPLNBaseBarcode*>(d.doc.AddBaseCode(60000, 10000, Kind::Barcode));
  ASSERT_NE(bar, nullptr);
  bar->SetBarType(TORVBarType(0));  // EAN-13
  bar->SetCode(QStringLiteral("590123412345"));
  ASSERT_TRUE(bar->IsValid());
  d.doc.Select(rect);
  const QByteArray before = d.doc.GetJsonText();
  const int steps = d.doc.UndoCount();
  struct Case {
    const char* Name;
    QString Typed;
    const char* Says;
  };
  for (const Case& c : {Case{"color", QStringLiteral("blurple"), "colour"}, Case{"pen_width", QStringLiteral("-1"), "between"},
                        Case{"width", QStringLiteral("12 furlongs"), "length"}, Case{"width", QStringLiteral("0"), "between"},
                        Case{"x", QStringLiteral("12,5,3"), "length"}, Case{"id", QStringLiteral("7"), "cannot be changed"}}) {
    const QJsonObject r = d.Type(c.Name, c.Typed);
    EXPECT_FALSE(r.value(QStringLiteral("Ok")).toBool()) << c.Name << " " << c.Typed.toStdString();
    EXPECT_TRUE(r.value(QStringLiteral("Error")).toString().contains(QLatin1String(c.Says)))
        << r.value(QStringLiteral("Error")).toString().toStdString();
  }
  EXPECT_FALSE(d.Send("line_type", {{QStringLiteral("int"), 17}}).value(QStringLiteral("Ok")).toBool());
  EXPECT_EQ(d.doc.GetJsonText(), before);
  EXPECT_EQ(d.doc.UndoCount(), steps);

  // A code its symbology cannot carry is taken back whole, even with another item selected.
  d.doc.ClearSelection();
  d.doc.Select(bar);
  const QJsonObject r = d.Type("code", QStringLiteral("ABC"));
  EXPECT_FALSE(r.value(QStringLiteral("Ok")).toBool());
  EXPECT_EQ(bar->GetCode(), QStringLiteral("590123412345"));
  EXPECT_EQ(d.doc.GetJsonText(), before);
  EXPECT_TRUE(d.doc.CanUndo() == (steps > 0));
  // And a good one is kept.
  EXPECT_TRUE(d.Type("code", QStringLiteral("400638133393")).value(QStringLiteral("Ok")).toBool());
  EXPECT_EQ(bar->GetCode().left(12), QStringLiteral("400638133393"));
}

TEST(InspectorRows, ARefusalHalfWayThroughTheSelectionTakesBackTheItemsBefore) {
  Doc d;
  auto* wide = dynamic_cast<F2d::TPLNBaseRank*>(d.doc.AddBaseRank(10000, 10000, 60000, 20000));
  auto* narrow = dynamic_cast<F2d::TPLNBaseRank*>(d.doc.AddBaseRank(10000, 30000, 60000, 40000));
  ASSERT_TRUE(wide && narrow);
  wide->SetMaximum(10);
  narrow->SetMaximum(5);
  wide->SetPosition(2);
  narrow->SetPosition(2);
  d.doc.Select(wide);
  d.doc.Select(narrow);
  const int steps = d.doc.UndoCount();
  // Seven of ten fits the first; the second has five marks and refuses.
  const QJsonObject r = d.Type("position", QStringLiteral("7"));
  EXPECT_FALSE(r.value(QStringLiteral("Ok")).toBool());
  EXPECT_FALSE(r.value(QStringLiteral("Error")).toString().isEmpty());
  EXPECT_EQ(wide->Position(), 2);
  EXPECT_EQ(narrow->Position(), 2);
  EXPECT_EQ(d.doc.UndoCount(), steps);
  EXPECT_EQ(d.doc.GetSelectionCount(), 2) << "the selection stays";
  const QJsonObject r4 = d.Type("position", QStringLiteral("4"));
  EXPECT_TRUE(r4.value(QStringLiteral("Ok")).toBool()) << r4.value(QStringLiteral("Error")).toString().toStdString();
  EXPECT_EQ(wide->Position(), 4);
  EXPECT_EQ(narrow->Position(), 4);

  // A Nutri-Score's grade is a list of the five letters.
  auto* nutri = dynamic_cast<F2d::TPLNBaseNutri*>(d.doc.AddBaseNutriScore(10000, 50000, 60000, 80000));
  ASSERT_NE(nutri, nullptr);
  d.doc.ClearSelection();
  d.doc.Select(nutri);
  const TCellRef grade = Find(d.Rows(), "grade");
  EXPECT_EQ(grade.Get("List").toArray().size(), 5);
  EXPECT_TRUE(d.Send("grade", {{QStringLiteral("int"), 3}}).value(QStringLiteral("Ok")).toBool());
  EXPECT_EQ(nutri->Value(), u'D');
  EXPECT_FALSE(Names(d.Rows()).contains(QStringLiteral("color_a"))) << "grade colours are asked for";
  EXPECT_TRUE(Names(FillInspector(d.doc, kAllBase, kDefaultTypes | (1u << int(TORVInsType::NutriColors)))).contains(QStringLiteral("color_a")));
}

TEST(InspectorRows, DataFieldsComeFromTheDataSource) {
  Doc d;
  d.doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv("name,price\nTea,3\n", QStringLiteral("t"))));
  auto* text = dynamic_cast<Text::TPLNBaseText*>(TPLNFactory::AddBaseText(&d.doc, 10000, 10000));
  d.doc.Select(text);
  const TCellRef field = Find(d.Rows(), "data_field");
  ASSERT_GE(field.Row, 0);
  EXPECT_EQ(field.Get("List").toArray().size(), 3);  // none, name, price
  EXPECT_TRUE(d.Type("data_field", QStringLiteral("price")).value(QStringLiteral("Ok")).toBool());
  EXPECT_TRUE(text->GetIsData());
  EXPECT_EQ(text->FillName(), QStringLiteral("price"));
  EXPECT_TRUE(d.Type("data_field", QString()).value(QStringLiteral("Ok")).toBool());
  EXPECT_FALSE(text->GetIsData());
}

TEST(InspectorRows, TypedLengths) {
  double v = 0;
  EXPECT_TRUE(ParseLength(QStringLiteral("12.5"), 1000, &v));
  EXPECT_DOUBLE_EQ(v, 12500);
  EXPECT_TRUE(ParseLength(QStringLiteral(" 1 in "), 1000, &v));
  EXPECT_DOUBLE_EQ(v, 25400);
  EXPECT_TRUE(ParseLength(QStringLiteral("2,5cm"), 25400, &v));
  EXPECT_DOUBLE_EQ(v, 25000);
  EXPECT_TRUE(ParseLength(QStringLiteral("72pt"), 1000, &v));
  EXPECT_NEAR(v, 25400, 1e-6);
  EXPECT_TRUE(ParseLength(QStringLiteral("-3"), 25400, &v));
  EXPECT_DOUBLE_EQ(v, -76200);
  for (const char* bad : {"", "mm", "1 furlong", "1..2", "1 2", "nan", "inf"}) EXPECT_FALSE(ParseLength(QLatin1String(bad), 1000, &v)) << bad;
}

}  // namespace
