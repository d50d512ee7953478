// The drawing tools' argument rules: colours, enumerations, absent-value markers, item lookup,
// the point-list refusals, wrong types, and that a refused call changes nothing.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

#include "ORV.Dim.h"
#include "ORV.FMX.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"
#include "LocalHttpServer.h"

using namespace Orv;

namespace {

struct TTools {
  Fmx::TPlanoraFMX doc;
  TPLNMCPServer server{&doc};
  TTools() { ORVMCPRegisterDefaultTools(&server); }

  QJsonObject Call(const QString& tool, const QJsonObject& args = {}) { return server.CallTool(tool, args); }
  // The text of a call that must succeed.
  QString Ok(const QString& tool, const QJsonObject& args = {}) {
    const QJsonObject r = Call(tool, args);
    EXPECT_FALSE(r["isError"].toBool()) << tool.toStdString() << ": " << Text(r).toStdString();
    return Text(r);
  }
  // The text of a call that must fail, checking that the drawing did not change.
  QString Refused(const QString& tool, const QJsonObject& args) {
    const QByteArray before = doc.ToJsonText();
    const QJsonObject r = Call(tool, args);
    EXPECT_TRUE(r["isError"].toBool()) << tool.toStdString() << " accepted "
                                       << QJsonDocument(args).toJson(QJsonDocument::Compact).left(200).toStdString();
    EXPECT_EQ(doc.ToJsonText(), before) << tool.toStdString() << ": a refused call changed the drawing";
    return Text(r);
  }
  static QString Text(const QJsonObject& r) { return r["content"].toArray()[0].toObject()["text"].toString(); }
  TPLNBaseItem* Last() const { return doc.GetItem(doc.GetItemsCount()); }
};

}  // namespace

TEST(McpTools, ColoursParseAsHexWithOptionalAlphaOrDecimalAndOtherwiseKeepTheColour) {
  TAlphaColor c = 0;
  EXPECT_TRUE(Mcp::ParseColor("#112233", &c));
  EXPECT_EQ(c, 0xFF112233u);
  EXPECT_TRUE(Mcp::ParseColor(" #80112233 ", &c));
  EXPECT_EQ(c, 0x80112233u);
  EXPECT_TRUE(Mcp::ParseColor("$FF00FF00", &c));
  EXPECT_EQ(c, 0xFF00FF00u);
  EXPECT_TRUE(Mcp::ParseColor("4278190335", &c));
  EXPECT_EQ(c, 0xFF0000FFu);
  EXPECT_TRUE(Mcp::ParseColor("-1", &c));  // the low 32 bits of a signed number
  EXPECT_EQ(c, 0xFFFFFFFFu);
  // Only six digits get an opaque alpha.
  EXPECT_TRUE(Mcp::ParseColor("#12345", &c));
  EXPECT_EQ(c, 0x00012345u);
  c = 7;
  for (const char* bad : {"red", "", "   ", "#", "#12G456", "12 34"}) EXPECT_FALSE(Mcp::ParseColor(bad, &c)) << bad;
  EXPECT_EQ(c, 7u);
  EXPECT_EQ(Mcp::ColorText(0x80A1B2C3), "#a1b2c3");

  TTools t;
  t.doc.GetActiveLayer()->PenColor = 0xFF445566;
  t.Ok("add_rectangle", {{"color", "red"}, {"back_color", "#80112233"}});
  auto* rect = static_cast<TPLN2DItem*>(t.Last());
  EXPECT_EQ(rect->GetColor(), 0xFF445566u);
  EXPECT_EQ(rect->GetBackColor(), 0x80112233u);
  t.Ok("modify_item", {{"index", 0}, {"color", "#0A0B0C"}});
  EXPECT_EQ(rect->GetColor(), 0xFF0A0B0Cu);
  const QJsonObject listed = t.Call("list_items")["structuredContent"].toObject()["items"].toArray()[0].toObject();
  EXPECT_EQ(listed["color"].toString(), "#0a0b0c");
  // An unparsable colour is no change at all.
  EXPECT_EQ(t.Ok("modify_item", {{"index", 0}, {"color", "blue"}}), "Item 1 found (rectangle) but no properties changed. Check property names.");
}

TEST(McpTools, EnumerationNamesIgnoreCaseAndSpacesAndUnknownNamesTakeTheDefault) {
  TTools t;
  t.Ok("add_line", {{"line_type", " DASHED "}});
  EXPECT_EQ(t.Last()->GetLineType(), 1);
  t.Ok("add_line", {{"line_type", "dashdotdot"}});
  EXPECT_EQ(t.Last()->GetLineType(), 5);
  t.Ok("add_line", {{"line_type", "zigzag"}});
  EXPECT_EQ(t.Last()->GetLineType(), 0);

  t.Ok("add_arrow_line", {{"from_type", "Cross"}, {"to_type", "blob"}, {"text_pos", "VERTICAL"}});
  auto* arrow = dynamic_cast<Line::TPLNBaseArrowLine*>(t.Last());
  ASSERT_TRUE(arrow);
  EXPECT_EQ(arrow->FromType, 11);
  EXPECT_EQ(arrow->ToType, 0);
  EXPECT_EQ(arrow->GetTextPos(), Line::TORVTextPos::Vertical);

  EXPECT_EQ(t.Ok("setup_drawing", {{"units", "INCH"}, {"mode", "flow"}}), "Drawing configured: 8.3 x 11.7 inch, mode=flowchart");
  EXPECT_EQ(t.doc.GetUnits(), TORVUnits::inch);
  EXPECT_EQ(t.doc.GetEditorMode(), 1);
  t.Ok("setup_drawing", {{"units", "furlong"}});
  EXPECT_EQ(t.doc.GetUnits(), TORVUnits::mm);
  EXPECT_EQ(t.Call("get_drawing_info")["structuredContent"].toObject()["units"].toString(), "mm");
}

TEST(McpTools, AbsentValuesTakeDefaultsAndTheMarkersLeaveValuesAlone) {
  TTools t;
  t.doc.GetActiveLayer()->PenWidth = 300;
  EXPECT_EQ(t.Ok("add_rectangle", {{"x", 5}, {"y", 6}}), "Rectangle added: id=1 at (5.0, 6.0) size 20.0 x 10.0");
  auto* rect = static_cast<TPLN2DItem*>(t.Last());
  EXPECT_EQ(rect->GetPoint(2), (TORVPto{25000, 16000}));
  EXPECT_FALSE(rect->GetFilled());
  EXPECT_EQ(rect->GetPenWidth(), 300);
  t.Ok("add_rectangle", {{"filled", 2}, {"pen_width", -1}});
  EXPECT_FALSE(static_cast<TPLN2DItem*>(t.Last())->GetFilled());
  EXPECT_EQ(t.Last()->GetPenWidth(), 300);
  t.Ok("add_rectangle", {{"filled", 1}, {"pen_width", 0}, {"radio", 2}});
  EXPECT_TRUE(static_cast<TPLN2DItem*>(t.Last())->GetFilled());
  EXPECT_EQ(t.Last()->GetPenWidth(), 0);
  EXPECT_EQ(static_cast<F2d::TPLNBaseRectangle*>(t.Last())->GetBaseRadio(), 2000);

  // -99999 leaves a coordinate where it is; -1 leaves a size; 2 leaves a tri-state.
  EXPECT_EQ(t.Ok("modify_item", {{"id", "1"}, {"x", -99999}, {"y", -3}, {"pen_width", -1}, {"filled", 2}}),
            "Item 1 (rectangle) modified: 1 properties changed");
  EXPECT_EQ(rect->GetPoint(1), (TORVPto{5000, -3000}));
  EXPECT_EQ(rect->GetPenWidth(), 300);

  // The linear dimension's text defaults to the middle of the span, 10 units above it.
  t.Ok("add_dim_linear", {{"x1", 10}, {"y1", 40}, {"x2", 50}, {"y2", 40}, {"text_x", -99999}});
  const TPLNBaseItem* dim = t.Last();
  EXPECT_EQ(dim->GetPoint(5).Y, 30000);
  EXPECT_EQ(dim->GetPoint(6).Y, 30000);
  t.Ok("add_dim_linear", {{"x1", 10}, {"y1", 40}, {"x2", 50}, {"y2", 40}, {"text_y", 55}});
  EXPECT_EQ(t.Last()->GetPoint(5).Y, 55000);
}

TEST(McpTools, ItemsAreFoundByIndexFirstThenById) {
  TTools t;
  for (int i = 0; i < 3; ++i) t.Ok("add_point", {{"x", i}});
  t.doc.DeleteItem(1);  // ids 2 and 3 remain at indexes 0 and 1
  const auto id = [&](const QJsonObject& r) { return r["structuredContent"].toObject()["ID"].toInt(); };
  EXPECT_EQ(id(t.Call("get_item", {{"index", 0}, {"id", "3"}})), 2);
  EXPECT_EQ(id(t.Call("get_item", {{"index", 5}, {"id", "3"}})), 3);
  EXPECT_EQ(t.Call("get_item", {{"id", "2"}})["structuredContent"].toObject()["type"].toString(), "point");
  const QString notFound = "Item not found. Provide index (0-based) or id parameter.";
  EXPECT_EQ(t.Refused("get_item", {{"index", 2}}), notFound);
  EXPECT_EQ(t.Refused("get_item", {{"id", "1"}}), notFound);
  EXPECT_EQ(t.Refused("get_item", {{"id", "02"}}), notFound);
  EXPECT_EQ(t.Refused("modify_item", {{"id", "9"}, {"color", "#000000"}}), "Item \"9\" not found");
  EXPECT_EQ(t.Refused("modify_item", {{"index", 7}, {"color", "#000000"}}), "Provide index (0-based) or id parameter");
  EXPECT_EQ(t.Refused("delete_item", {{"id", "9"}}), "Item \"9\" not found");
  EXPECT_EQ(t.Refused("delete_item", {{"index", 7}}), "Provide index or id parameter");
  EXPECT_EQ(t.Ok("delete_item", {{"id", "3"}}), "Item \"3\" deleted");
  EXPECT_EQ(t.Ok("delete_item", {{"index", 0}}), "Item at index 0 deleted");
  EXPECT_EQ(t.doc.GetItemsCount(), 0);
}

TEST(McpTools, PointListsAreRefusedWholeWhenShortOddOrNotNumbers) {
  TTools t;
  EXPECT_EQ(t.Refused("add_polygon", {{"points", QJsonArray{0, 0, 10, 0}}}),
            "points must be an array of [x1,y1,x2,y2,...] with at least 6 values (3 points)");
  EXPECT_EQ(t.Refused("add_polyline", {{"points", QJsonArray{0, 0, 10}}}),
            "points must be an array of [x1,y1,x2,y2,...] with at least 4 values");
  EXPECT_EQ(t.Refused("add_polyline", {{"points", "0,0,10,10"}}),
            "points must be an array of [x1,y1,x2,y2,...] with at least 4 values");
  EXPECT_EQ(t.Refused("add_bezier", {{"points", QJsonArray{0, 0, 1, 1, 2, 2}}}),
            "points must be an array of [x1,y1,...] with at least 8 values (4 control points)");
  EXPECT_EQ(t.Refused("add_polygon", {{"points", QJsonArray{0, 0, 10, 0, 5, 5, 1}}}), "The number of coordinates must be even.");
  EXPECT_TRUE(t.Refused("add_polyline", {{"points", QJsonArray{0, 0, "1", 1}}}).contains("value 2 is a string"));
  EXPECT_TRUE(t.Refused("add_polyline", {{"points", QJsonArray{0, 0, 1, 1e10}}}).contains("out of range"));
  QJsonArray huge;
  for (int i = 0; i < Mcp::kMaxArrayValues + 2; ++i) huge.append(i % 100);
  EXPECT_TRUE(t.Refused("add_polyline", {{"points", huge}}).contains("at most 200000"));
  EXPECT_EQ(t.Ok("add_polygon", {{"points", QJsonArray{0, 0, 10, 0, 5, 5, 0, 5}}}), "Polygon added: id=1 with 4 vertices");
  EXPECT_EQ(t.Last()->NumPoints(), 4);
}

TEST(McpTools, WrongTypesUnknownArgumentsAndOversizedValuesChangeNothing) {
  TTools t;
  t.Ok("add_text", {{"text", "keep"}});
  EXPECT_EQ(t.Refused("add_rectangle", {{"x", "12"}}), "Argument \"x\" must be a number, not a string (\"12\")");
  EXPECT_EQ(t.Refused("add_rectangle", {{"filled", true}}), "Argument \"filled\" must be an integer, not a boolean (true)");
  EXPECT_EQ(t.Refused("add_rectangle", {{"filled", 0.5}}), "Argument \"filled\" must be a whole number, not the number 0.5");
  EXPECT_TRUE(t.Refused("add_rectangle", {{"colour", "#ff0000"}}).startsWith("Unknown argument \"colour\" for add_rectangle. Its arguments are: x, y, width"));
  EXPECT_TRUE(t.Refused("add_text", {{"text", QString(Mcp::kMaxStringLength + 1, 'x')}}).contains("too long"));
  EXPECT_TRUE(t.Refused("modify_item", {{"index", 0}, {"text", "new"}, {"pen_width", "2"}}).contains("\"pen_width\" must be a number"));
  EXPECT_TRUE(t.Refused("modify_item", {{"index", 0}, {"text", "new"}, {"font_height", 5e8}}).contains("too large"));
  t.Ok("setup_drawing", {{"units", "m"}});
  EXPECT_EQ(t.Refused("add_circle", {{"radius", 2e6}, {"x", 1}}),
            "radius = 2000000.0 is out of range: positions and sizes must lie within 1000000 m");
  t.Ok("setup_drawing", {{"units", "mm"}});
  EXPECT_TRUE(t.Refused("add_sector", {{"sweep_angle", 361}}).contains("between -360 and 360"));
  // A dimension whose style arguments are refused is taken out again.
  EXPECT_TRUE(t.Refused("add_dim_linear", {{"font_height", 5000}}).contains("font height"));
  EXPECT_TRUE(t.Refused("add_dim_angle", {{"x3", 0}, {"y3", 5}, {"x4", 50}, {"y4", 5}}).contains("parallel"));
  EXPECT_EQ(t.doc.GetItemsCount(), 1);
}

TEST(McpTools, DrawingSetupKeepsTheScaleToScaledModesAndPaperMarginsToThePresentValues) {
  TTools t;
  EXPECT_EQ(t.Ok("setup_drawing", {{"mode", "labelling"}, {"draw_scale", 20}, {"width", 100}, {"height", 50}}),
            "Drawing configured: 100.0 x 50.0 mm, mode=labelling");
  EXPECT_EQ(t.doc.Measure().DrawScale, 1);
  EXPECT_EQ(t.Ok("setup_drawing", {{"mode", "drawing"}, {"draw_scale", 20}}), "Drawing configured: 100.0 x 50.0 mm, mode=drawing, scale=1:20");
  EXPECT_EQ(t.doc.Measure().DrawScale, 20);
  EXPECT_EQ(t.Call("get_drawing_info")["structuredContent"].toObject()["draw_scale"].toInt(), 20);
  t.Ok("setup_drawing", {{"paper_width_mm", 297}, {"paper_height_mm", 210}});
  EXPECT_EQ(t.doc.Measure().LabelName, "A4");
  EXPECT_EQ(t.doc.Measure().Sizes[TPLNMeasure::LabelWidth], 297000);

  t.Ok("set_paper", {{"margin_left", 7}, {"margin_top", 3}});
  EXPECT_EQ(t.Ok("set_paper", {{"margin_left", 0}, {"margin_top", -1}}), "Paper: A4 297.0 x 210.0 mm, label: 297.0 x 210.0, margins: L=0.0 T=3.0");
  EXPECT_EQ(t.doc.Measure().Sizes[TPLNMeasure::LeftMargin], 0);
  EXPECT_EQ(t.Ok("set_paper", {{"paper_name", "letter"}, {"label_width", 60}, {"label_height", 30}, {"rows", 8}, {"columns", 3},
                               {"gap_rows", 2.5}, {"gap_columns", 0}}),
            "Paper: Letter 215.9 x 279.4 mm, label: 60.0 x 30.0, margins: L=0.0 T=3.0, layout: 8x3 gap: 2.5 x 0.0");
  EXPECT_EQ(t.doc.Measure().Rows, 8);
  EXPECT_EQ(t.doc.Measure().Columns, 3);
  EXPECT_EQ(t.doc.Measure().Sizes[TPLNMeasure::VertGap], 2500);
  const QJsonObject paper = t.Call("get_drawing_info")["structuredContent"].toObject()["paper"].toObject();
  EXPECT_EQ(paper["gap_rows"].toDouble(), 2.5);
  EXPECT_EQ(paper["paper_name"].toString(), "Letter");
  EXPECT_TRUE(t.Refused("set_paper", {{"paper_name", "A99"}}).startsWith("Unknown paper name \"A99\""));
  EXPECT_TRUE(t.Refused("set_paper", {{"margin_left", 5}, {"label_width", 1e6}}).contains("LabelWidth"));
}

TEST(McpTools, NumbersInTextsKeepADecimalPointUnderAnyLocale) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TTools t;
  const QString text = t.Ok("add_circle", {{"x", 1.25}, {"y", -2}, {"radius", 2.5}});
  const QString info = t.Ok("get_drawing_info");
  QLocale::setDefault(saved);
  EXPECT_EQ(text, "Circle added: id=1 center (1.3, -2.0) radius 2.5");
  EXPECT_TRUE(info.contains("\"paper_width_mm\":210")) << info.toStdString();
}

TEST(McpTools, LayersAreAddedChangedAndActivatedByOneBasedIndex) {
  TTools t;
  EXPECT_EQ(t.Ok("add_layer", {{"name", "Hidden"}, {"visible", 0}, {"pen_width", 0.5}, {"color", "#ff0000"}}),
            "Layer added: index=2 name=\"Hidden\"");
  const TPLNLayer* l = t.doc.GetLayer(2);
  EXPECT_FALSE(l->HasOption(Opt::Visible));
  EXPECT_TRUE(l->HasOption(Opt::Print | Opt::Selectable));
  EXPECT_EQ(l->PenWidth, 500);
  EXPECT_EQ(l->PenColor, 0xFFFF0000u);
  EXPECT_EQ(t.Ok("modify_layer", {{"index", 2}, {"visible", 1}, {"bold", 1}, {"printable", 2}, {"fill", 1}}),
            "Layer 2 (\"Hidden\") modified: 3 properties changed");
  EXPECT_TRUE(l->HasOption(Opt::Visible | Opt::Print));
  EXPECT_TRUE(l->Fill);
  EXPECT_EQ(t.Ok("modify_layer", {{"index", 1}, {"bold", 5}}), "Layer 1 (\"Layer 1\") found but no properties changed.");
  EXPECT_EQ(t.Refused("modify_layer", {{"index", 3}, {"name", "x"}}), "Invalid layer index 3. Valid range: 1..2");
  EXPECT_EQ(t.Refused("set_active_layer", {}), "Invalid layer index -1. Valid range: 1..2");
  EXPECT_EQ(t.Ok("set_active_layer", {{"index", 2}}), "Active layer set to 2 (\"Hidden\")");
  t.Ok("add_line");
  EXPECT_EQ(t.Last()->GetColor(), 0xFFFF0000u);
  // Shapes drawn on a filling layer start filled; the fill shows in the layer list.
  t.Ok("add_rectangle");
  EXPECT_TRUE(dynamic_cast<TPLN2DItem*>(t.Last())->GetFilled());
  const QJsonArray layers = t.Call("list_layers")["structuredContent"].toObject()["layers"].toArray();
  EXPECT_FALSE(layers[0].toObject()["fill"].toBool());
  EXPECT_TRUE(layers[1].toObject()["fill"].toBool());
  EXPECT_FALSE(layers[0].toObject().contains("active"));
  EXPECT_TRUE(layers[1].toObject()["active"].toBool());
  EXPECT_EQ(t.Ok("modify_item", {{"index", 0}, {"layer", 1}}), "Item 1 (line) modified: 1 properties changed");
  t.Ok("delete_item", {{"index", 1}});
  EXPECT_EQ(t.Last()->GetLayer(), t.doc.GetLayer(1));

  t.Ok("clear_drawing");
  EXPECT_EQ(t.doc.GetItemsCount(), 0);
  EXPECT_EQ(t.doc.GetLayersCount(), 2);
  t.Ok("setup_drawing", {{"units", "cm"}});
  t.Ok("clear_drawing", {{"all", true}});
  EXPECT_EQ(t.doc.GetLayersCount(), 1);
  EXPECT_EQ(t.doc.GetUnits(), TORVUnits::mm);
}

TEST(McpTools, ModifyItemAppliesWhatFitsTheKindInCurrentUnits) {
  TTools t;
  t.Ok("setup_drawing", {{"units", "cm"}});
  t.Ok("add_text", {{"x", 1}, {"y", 1}, {"text", "a"}, {"font_size", 0.5}});
  auto* text = dynamic_cast<Text::TPLNBaseText*>(t.Last());
  ASSERT_TRUE(text);
  EXPECT_EQ(text->GetBaseFontHeight(), 5000);
  // Width and terminators do not fit a text and are not counted.
  EXPECT_EQ(t.Ok("modify_item", {{"index", 0}, {"font_height", 1}, {"bold", 1}, {"angle", "90"}, {"text", "b"}, {"to_type", "arrow"},
                                 {"padding_x", 0.2}, {"horz_align", "right"}}),
            "Item 1 (text) modified: 6 properties changed");
  EXPECT_EQ(text->GetBaseFontHeight(), 10000);
  EXPECT_EQ(text->GetBasePadX(), 2000);
  EXPECT_EQ(text->GetAngle(), TORVAngle::A90);
  EXPECT_EQ(text->GetHorzAlign(), TORVHorzAlign::Right);

  t.Ok("add_polyline", {{"points", QJsonArray{0, 0, 1, 1, 2, 0}}});
  EXPECT_EQ(t.Ok("modify_item", {{"index", 1}, {"to_type", "fillarrow"}, {"size_to", 0.4}, {"x2", 5}}),
            "Item 2 (polyline) modified: 3 properties changed");
  auto* poly = dynamic_cast<TORVTerminators*>(t.Last());
  EXPECT_EQ(poly->ToType, 4);
  EXPECT_FLOAT_EQ(poly->SizeTo, 4.0f);
  EXPECT_EQ(t.Last()->GetPoint(2), (TORVPto{50000, 10000}));

  t.Ok("add_rectangle", {{"x", 1}, {"y", 1}, {"width", 2}, {"height", 2}});
  EXPECT_EQ(t.Ok("modify_item", {{"index", 2}, {"center_x", 10}, {"width", 4}}), "Item 3 (rectangle) modified: 2 properties changed");
  EXPECT_EQ(t.Last()->GetPoint(1), (TORVPto{80000, 10000}));
  EXPECT_EQ(t.Last()->GetPoint(2), (TORVPto{120000, 30000}));

  // A dimension's look lives in its style, which the change goes to.
  t.Ok("add_dim_radial", {{"center_x", 5}, {"center_y", 5}, {"radius", 2}});
  auto* dim = dynamic_cast<Line::TPLNBaseDim*>(t.Last());
  EXPECT_EQ(t.Ok("modify_item", {{"index", 3}, {"prefix", ""}, {"suffix", " max"}, {"head_type", "circle"}, {"text_measure", 1}}),
            "Item 4 (dimension) modified: 4 properties changed");
  EXPECT_EQ(dim->GetDimStyle().Suffix, " max");
  EXPECT_EQ(dim->GetDimStyle().HeadType, 1);
  EXPECT_TRUE(dim->GetCaption().endsWith(" max"));
  t.Ok("modify_item", {{"index", 3}, {"text", "see detail"}});
  EXPECT_EQ(dim->GetCaption(), "see detail");
}

TEST(McpTools, MapBackgroundIsComposedFromTheNamedProviderOntoTheLayer) {
  using namespace PlanoraTest;
  LocalHttpServer tiles([](const HttpRequest&) {
    QImage tile(256, 256, QImage::Format_RGB32);
    tile.fill(Qt::darkGreen);
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    tile.save(&buf, "PNG");
    return HttpAnswer{200, "image/png", png, false};
  });
  TTools t;
  t.doc.ImageFolder = QStringLiteral(PLANORA_TEST_TMP) + "/maps";
  QDir(t.doc.ImageFolder).removeRecursively();
  t.doc.Mapping().SetCacheFolder({});
  t.doc.Mapping().SetUrlTemplate(TPLNMapping::CartoVoyager, tiles.Base() + "/{z}/{x}/{y}.png");
  t.Ok("add_layer", {{"name", "Map"}});
  const QString text = t.Ok("set_map_background", {{"latitude", 41.3851}, {"longitude", 2.1734}, {"provider", "CARTOVOYAGER"},
                                                   {"layer", 1}, {"image_width", 300}, {"image_height", 200}});
  EXPECT_TRUE(text.startsWith("Map loaded: provider=CARTOVOYAGER center=(41.385100, 2.173400) zoom=15 on layer 1. File: "))
      << text.toStdString();
  EXPECT_GT(tiles.Requests(), 0);
  EXPECT_EQ(t.doc.Mapping().GetProvider(), TPLNMapping::CartoVoyager);
  EXPECT_TRUE(t.doc.GetLayer(2)->HasOption(Opt::Visible | Opt::MapBackground | Opt::PrintBackground));
  EXPECT_EQ(t.doc.GetBackLayer(), 2);

  tiles.SetHandler([](const HttpRequest&) { return HttpAnswer{500, "text/plain", "down", false}; });
  EXPECT_TRUE(t.Refused("set_map_background", {{"latitude", 10.5}, {"longitude", 20}, {"provider", "cartovoyager"}})
                  .startsWith("The map could not be made"));
  EXPECT_EQ(t.Refused("set_map_background", {{"zoom", 3}}), "latitude and longitude are required");
}

TEST(McpTools, BatchesLeftOpenCloseWhenTheClientGoes) {
  TTools t;
  t.Ok("begin_update");
  t.Ok("begin_update");
  t.Ok("end_update");
  EXPECT_TRUE(t.doc.IsUpdating());
  emit t.server.InputClosed();
  EXPECT_FALSE(t.doc.IsUpdating());
}

TEST(McpTools, ACallThatFailsHalfWayTakesBackWhatItChanged) {
  TTools t;
  t.Ok("add_rectangle", {{"x", 10}, {"y", 10}, {"width", 20}, {"height", 10}});
  // A tool that changes the drawing and then fails, as a tool meeting bad data late would.
  Mcp::AddTool(&t.server, QStringLiteral("half_way"), QStringLiteral("adds, then fails"), Mcp::TSchema(),
               [](TPLNBaseLabel* doc, const Mcp::TArgs&) -> QJsonObject {
                 doc->GetItem(1)->SetColor(0xFFFF0000u);
                 Fmx::TPLNFactory::AddBaseLine(doc, 0, 0, 5000, 5000);
                 throw EPLNError(QStringLiteral("late failure"));
               });
  const int steps = t.doc.UndoCount();
  EXPECT_EQ(t.Refused("half_way", {}), QStringLiteral("late failure"));
  EXPECT_EQ(t.doc.UndoCount(), steps);
  EXPECT_FALSE(t.doc.CanRedo());
  // Inside a batch the failed call's changes stay for the batch's owner to judge.
  t.Ok("begin_update");
  t.Call("half_way");
  t.Ok("end_update");
  EXPECT_EQ(t.doc.GetItemsCount(), 2);
}
