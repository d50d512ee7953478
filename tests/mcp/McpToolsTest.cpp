// The drawing tools' argument rules: colours, enumerations, absent-value markers, item lookup,
// the point-list refusals, wrong types, and that a refused call changes nothing.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QRegularExpression>
#include <functional>
#include <map>
#include <numbers>
#include <tuple>
#include <vector>

#include "ORV.Dim.h"
#include "ORV.FMX.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Tools.h"
#include "LocalHttpServer.h"
#include "PlanoraTestSupport.h"
#include "ToolsFixture.h"

using namespace Orv;

namespace {

using PlanoraTest::TTools;

}  // namespace

TEST(McpTools, ColoursParseAsHexWithOptionalAlphaOrDecimalAndOtherwiseKeepTheColour) {
  TAlphaColor c = 0;
  // "-1" is the low 32 bits of a signed number; only six digits get an opaque alpha.
  for (const auto& [text, want] : {std::pair{"#112233", 0xFF112233u}, {" #80112233 ", 0x80112233u}, {"$FF00FF00", 0xFF00FF00u},
                                   {"4278190335", 0xFF0000FFu}, {"-1", 0xFFFFFFFFu}, {"#12345", 0x00012345u}}) {
    EXPECT_TRUE(Mcp::ParseColor(text, &c)) << text;
    EXPECT_EQ(c, want) << text;
  }
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
  for (const auto& [name, type] : {std::pair{" DASHED ", 1}, {"dashdotdot", 5}, {"zigzag", 0}}) {
    t.Ok("add_line", {{"line_type", name}});
    EXPECT_EQ(t.Last()->GetLineType(), type) << name;
  }

  t.Ok("add_arrow_line", {{"from_type", "Cross"}, {"to_type", "blob"}, {"text_pos", "VERTICAL"}});
  auto* arrow = dynamic_cast<Line::TPLNBaseArrowLine*>(t.Last());
  ASSERT_TRUE(arrow);
  EXPECT_EQ(std::tuple(arrow->FromType, arrow->ToType), std::tuple(11, 0));
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
  EXPECT_TRUE(t.Refused("add_polyline", {{"points", QJsonArray{0, 0, "one", 1}}}).contains("value 2 is a string (\"one\")"));
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
  EXPECT_EQ(t.Refused("add_rectangle", {{"x", "12 mm"}}), "Argument \"x\" must be a number, not a string (\"12 mm\")");
  EXPECT_EQ(t.Refused("add_rectangle", {{"pen_width", true}}), "Argument \"pen_width\" must be a number, not a boolean (true)");
  EXPECT_EQ(t.Refused("add_rectangle", {{"filled", 0.5}}), "Argument \"filled\" must be a whole number, not the number 0.5");
  EXPECT_EQ(t.Refused("add_rectangle", {{"filled", "0.5"}}), "Argument \"filled\" must be a whole number, not the number 0.5");
  EXPECT_EQ(t.Refused("clear_drawing", {{"all", 2}}), "Argument \"all\" must be true or false, not the number 2");
  EXPECT_TRUE(t.Refused("add_text", {{"text", QString(Mcp::kMaxStringLength + 1, 'x')}}).contains("too long"));
  EXPECT_TRUE(t.Refused("modify_item", {{"index", 0}, {"text", "new"}, {"pen_width", "2,5"}}).contains("\"pen_width\" must be a number"));
  EXPECT_TRUE(t.Refused("modify_item", {{"index", 0}, {"text", "new"}, {"pen_width", "nan"}}).contains("out of range"));
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
  EXPECT_EQ(std::tuple(t.doc.Measure().Rows, t.doc.Measure().Columns), std::tuple(8, 3));
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
  EXPECT_FALSE(layers[0].toObject()["fill"].toBool() || layers[0].toObject().contains("active"));
  EXPECT_TRUE(layers[1].toObject()["fill"].toBool() && layers[1].toObject()["active"].toBool());
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
  EXPECT_EQ(std::tuple(text->GetBaseFontHeight(), text->GetBasePadX()), std::tuple(10000, 2000));
  EXPECT_TRUE(text->GetAngle() == TORVAngle::A90 && text->GetHorzAlign() == TORVHorzAlign::Right);

  t.Ok("add_polyline", {{"points", QJsonArray{0, 0, 1, 1, 2, 0}}});
  EXPECT_EQ(t.Ok("modify_item", {{"index", 1}, {"to_type", "fillarrow"}, {"size_to", 0.4}, {"x2", 5}}),
            "Item 2 (polyline) modified: 3 properties changed");
  auto* poly = dynamic_cast<TORVTerminators*>(t.Last());
  EXPECT_EQ(poly->ToType, 4);
  EXPECT_FLOAT_EQ(poly->SizeTo, 4.0f);
  EXPECT_EQ(t.Last()->GetPoint(2), (TORVPto{50000, 10000}));

  t.Ok("add_rectangle", {{"x", 1}, {"y", 1}, {"width", 2}, {"height", 2}});
  EXPECT_EQ(t.Ok("modify_item", {{"index", 2}, {"center_x", 10}, {"width", 4}}), "Item 3 (rectangle) modified: 2 properties changed");
  EXPECT_EQ(t.Last()->Points(), (std::vector<TORVPto>{{80000, 10000}, {120000, 30000}}));

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

namespace {

// A tile server's answer: one plain dark green tile, whatever was asked.
PlanoraTest::HttpAnswer GreenTile(const PlanoraTest::HttpRequest&) {
  QImage tile(256, 256, QImage::Format_RGB32);
  tile.fill(Qt::darkGreen);
  QByteArray png;
  QBuffer buf(&png);
  buf.open(QIODevice::WriteOnly);
  tile.save(&buf, "PNG");
  return {200, "image/png", png, false};
}

}  // namespace

TEST(McpTools, MapBackgroundIsComposedFromTheNamedProviderOntoTheLayer) {
  using namespace PlanoraTest;
  LocalHttpServer tiles(GreenTile);
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
  EXPECT_EQ(t.Refused("half_way", {}), QStringLiteral("late failure"));
  EXPECT_FALSE(t.doc.CanRedo());
  // Inside a batch the failed call's changes stay for the batch's owner to judge.
  t.Ok("begin_update");
  t.Call("half_way");
  t.Ok("end_update");
  EXPECT_EQ(t.doc.GetItemsCount(), 2);
}

TEST(McpTools, NumbersMayComeAsTextAndFlagsAsBooleans) {
  TTools t;
  EXPECT_EQ(t.Ok("add_rectangle", {{"x", "12"}, {"y", " 3.5 "}, {"width", "1e1"}, {"height", 4}, {"filled", true}, {"pen_width", "0.25"}}),
            "Rectangle added: id=1 at (12.0, 3.5) size 10.0 x 4.0");
  ASSERT_EQ(t.doc.GetItemsCount(), 1);
  auto* rect = static_cast<TPLN2DItem*>(t.Last());
  EXPECT_EQ(rect->Points(), (std::vector<TORVPto>{{12000, 3500}, {22000, 7500}}));
  EXPECT_TRUE(rect->GetFilled());
  EXPECT_EQ(rect->GetPenWidth(), 250);
  t.Ok("modify_item", {{"index", "0"}, {"filled", false}});
  EXPECT_FALSE(rect->GetFilled());

  t.Ok("add_text", {{"x", 0}, {"y", 0}, {"text", "t"}});
  auto* text = dynamic_cast<Text::TPLNBaseText*>(t.Last());
  ASSERT_TRUE(text);
  EXPECT_EQ(t.Ok("modify_item", {{"id", "2"}, {"bold", true}, {"italic", false}, {"underline", true}}),
            "Item 2 (text) modified: 3 properties changed");
  EXPECT_EQ(std::tuple(text->GetBold(), text->GetItalic(), text->GetUnderline()), std::tuple(true, false, true));
  // An id may come as a number, a true/false switch as 0 or 1.
  EXPECT_EQ(t.Ok("modify_item", {{"id", 2}, {"bold", 0}}), "Item 2 (text) modified: 1 properties changed");
  EXPECT_FALSE(text->GetBold());
  EXPECT_EQ(t.Refused("modify_item", {{"id", 2.5}, {"bold", true}}), "Argument \"id\" must be a string, not the number 2.5");

  t.Ok("add_layer", {{"name", "Locked"}, {"selectable", false}, {"visible", true}});
  EXPECT_TRUE(t.doc.GetLayer(2)->HasOption(Opt::Visible | Opt::Print));
  EXPECT_FALSE(t.doc.GetLayer(2)->HasOption(Opt::Selectable));
  EXPECT_EQ(t.Ok("set_active_layer", {{"index", "2"}}), "Active layer set to 2 (\"Locked\")");

  EXPECT_EQ(t.Ok("add_polyline", {{"points", QJsonArray{"0", 0, "10.5", "-2"}}}), "Polyline added: id=3 with 2 points");
  EXPECT_EQ(t.Last()->GetPoint(2), (TORVPto{10500, -2000}));

  // A misspelt name is still an error, and it says which names there are.
  EXPECT_EQ(t.Refused("add_circle", {{"x", 1}, {"raduis", "5"}}),
            "Unknown argument \"raduis\" for add_circle. Its arguments are: x, y, radius, color, back_color, pen_width, filled");
  EXPECT_EQ(t.Refused("list_items", {{"all", true}}), "Unknown argument \"all\": list_items takes no arguments");
}

TEST(McpTools, ErrorsQuoteABadValueShortAndEscaped) {
  TTools t;
  t.Ok("add_point");
  // The messages must stay readable whatever came in: at most 80 characters of the value, NULs
  // and line breaks escaped, never the whole value.
  const QString longValue = QString(50000, 'a') + QChar(0) + QString(49000, 'b');
  const QString nulValue = QStringLiteral("ab") + QChar(0) + QStringLiteral("c\nd");
  auto checkQuoted = [](const QString& message, const QString& quoted) {
    EXPECT_TRUE(message.contains(quoted)) << message.left(300).toStdString();
    EXPECT_LT(message.size(), 400) << message.left(300).toStdString();
    EXPECT_FALSE(message.contains(QChar(0)));
    EXPECT_FALSE(message.contains(QLatin1Char('\n')));
  };
  const QString cut = QString(80, 'a') + QStringLiteral("...");
  checkQuoted(t.Refused("add_point", {{"x", longValue}}), "(\"" + cut + "\")");
  checkQuoted(t.Refused("add_point", {{"x", nulValue}}), "(\"ab\\0c\\nd\")");
  checkQuoted(t.Refused("add_point", {{longValue, 1}}), "Unknown argument \"" + cut + "\" for add_point");
  checkQuoted(t.Refused("add_point", {{nulValue, 1}}), "Unknown argument \"ab\\0c\\nd\"");
  checkQuoted(t.Refused("modify_item", {{"id", longValue}, {"color", "#000000"}}), "Item \"" + cut + "\" not found");
  checkQuoted(t.Refused("delete_item", {{"id", nulValue}}), "Item \"ab\\0c\\nd\" not found");
  checkQuoted(t.Refused("set_paper", {{"paper_name", longValue}}), "Unknown paper name \"" + cut + "\"");
  checkQuoted(t.Refused("add_polygon", {{"points", QJsonArray{0, 0, 1, 1, 2, longValue}}}), "value 5 is a string (\"" + cut + "\")");
  checkQuoted(TTools::Text(t.server.CallTool(longValue, {})), "Unknown tool: " + cut);

  // Through the protocol too: the unknown tool and method come back quoted.
  const auto rpc = [&](const QJsonObject& msg) {
    const QByteArray reply = t.server.HandleMessage(QJsonDocument(msg).toJson(QJsonDocument::Compact));
    return QJsonDocument::fromJson(reply).object()["error"].toObject()["message"].toString();
  };
  checkQuoted(rpc({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "tools/call"}, {"params", QJsonObject{{"name", longValue}}}}),
              "Unknown tool: " + cut + " (see tools/list)");
  checkQuoted(rpc({{"jsonrpc", "2.0"}, {"id", 2}, {"method", nulValue}}), "Method not found: ab\\0c\\nd");
  EXPECT_EQ(t.doc.GetItemsCount(), 1);
}

TEST(McpTools, DrawingInfoGivesLabelSizesInTheDrawingsUnit) {
  TTools t;
  t.Ok("set_paper", {{"paper_name", "A4"}, {"label_width", 50.8}, {"label_height", 25.4}, {"margin_left", 12.7}, {"margin_top", 6.35},
                     {"rows", 3}, {"columns", 2}, {"gap_rows", 2.54}, {"gap_columns", 5.08}});
  t.Ok("setup_drawing", {{"units", "inch"}});
  const QJsonObject paper = t.Call("get_drawing_info")["structuredContent"].toObject()["paper"].toObject();
  // The paper names its unit in its keys and keeps it.
  for (const auto& [key, value] : {std::pair{"label_width", 2.0}, {"label_height", 1.0}, {"margin_left", 0.5}, {"margin_top", 0.25},
                                   {"gap_rows", 0.1}, {"gap_columns", 0.2}, {"rows", 3.0}, {"columns", 2.0},
                                   {"paper_width_mm", 210.0}, {"paper_height_mm", 297.0}})
    EXPECT_DOUBLE_EQ(paper[QLatin1String(key)].toDouble(), value) << key;

  // What it reports goes back in as it came: the label sizes round-trip through setup_drawing,
  // which takes the current unit.
  t.Ok("setup_drawing", {{"units", "cm"}});
  const QJsonObject cm = t.Call("get_drawing_info")["structuredContent"].toObject()["paper"].toObject();
  EXPECT_DOUBLE_EQ(cm["label_width"].toDouble(), 5.08);
  t.Ok("setup_drawing", {{"width", cm["label_height"].toDouble()}, {"height", cm["label_width"].toDouble()}});
  EXPECT_EQ(std::tuple(t.doc.Measure().Sizes[TPLNMeasure::LabelWidth], t.doc.Measure().Sizes[TPLNMeasure::LabelHeight]),
            std::tuple(25400, 50800));
}

TEST(McpTools, ArcsRunFromStartToEndInTheIncreasingDirection) {
  TTools t;
  const double deg = std::numbers::pi / 180;
  struct TCase {
    double Start, End, Sweep;
  };
  // Across 0, plain, the long way round, ends a whole turn apart, and negative starts.
  for (const TCase& c : {TCase{350, 10, 20}, TCase{10, 350, 340}, TCase{30, 120, 90}, TCase{0, 360, 360}, TCase{-30, 30, 60},
                         TCase{90, -90, 180}, TCase{400, 50, 10}}) {
    t.Ok("add_arc", {{"cx", 50}, {"cy", 40}, {"radius", 10}, {"start_angle", c.Start}, {"end_angle", c.End}});
    auto* arc = dynamic_cast<Line::TPLNBaseArc*>(t.Last());
    ASSERT_TRUE(arc);
    EXPECT_NEAR(arc->GetAngleStart(), c.Start * deg, 1e-9) << c.Start << " -> " << c.End;
    EXPECT_NEAR(arc->GetAngleSweep(), c.Sweep * deg, 1e-9) << c.Start << " -> " << c.End;
  }
  // 350 to 10 passes through 0 degrees, the point right of the centre, not through 180.
  t.Ok("add_arc", {{"cx", 50}, {"cy", 40}, {"radius", 10}, {"start_angle", 350}, {"end_angle", 10}});
  const std::vector<TORVPto>& pts = t.Last()->Points();
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[1], (TORVPto{60000, 40000}));
}

TEST(McpTools, ACircleResizedByWidthOrHeightStaysACircle) {
  TTools t;
  t.Ok("add_circle", {{"x", 50}, {"y", 40}, {"radius", 10}});
  auto* circle = dynamic_cast<F2d::TPLNBaseCircle*>(t.Last());
  ASSERT_TRUE(circle);
  auto box = [&] { return std::make_pair(circle->GetPoint(1), circle->GetPoint(2)); };
  // The width is the diameter, about the same centre.
  EXPECT_EQ(t.Ok("modify_item", {{"index", 0}, {"width", 30}}), "Item 1 (circle) modified: 1 properties changed");
  EXPECT_EQ(box(), std::make_pair(TORVPto{35000, 25000}, TORVPto{65000, 55000}));
  EXPECT_EQ(circle->Radius(), 15000);
  // The height alone does the same; given both, the width wins.
  t.Ok("modify_item", {{"index", 0}, {"height", 8}});
  EXPECT_EQ(box(), std::make_pair(TORVPto{46000, 36000}, TORVPto{54000, 44000}));
  t.Ok("modify_item", {{"index", 0}, {"width", 12}, {"height", 40}});
  EXPECT_EQ(box(), std::make_pair(TORVPto{44000, 34000}, TORVPto{56000, 46000}));
  EXPECT_EQ(circle->Center(), (TORVPto{50000, 40000}));
  EXPECT_EQ(t.Call("get_item", {{"index", 0}})["structuredContent"].toObject()["type"].toString(), "circle");
  // Its first corner moves it whole; a second corner sets the diameter from the first.
  EXPECT_EQ(t.Ok("modify_item", {{"index", 0}, {"x", 0}, {"y", 2}}), "Item 1 (circle) modified: 2 properties changed");
  EXPECT_EQ(box(), std::make_pair(TORVPto{0, 2000}, TORVPto{12000, 14000}));
  t.Ok("modify_item", {{"index", 0}, {"x2", 20}});
  EXPECT_EQ(box(), std::make_pair(TORVPto{0, 2000}, TORVPto{20000, 22000}));
  t.Ok("modify_item", {{"index", 0}, {"y2", 8}});
  EXPECT_EQ(box(), std::make_pair(TORVPto{0, 2000}, TORVPto{6000, 8000}));

  // An ellipse is a box: its size changes freely from its first corner.
  t.Ok("add_ellipse", {{"x", 50}, {"y", 40}, {"radius_x", 10}, {"radius_y", 5}});
  t.Ok("modify_item", {{"index", 1}, {"width", 30}});
  EXPECT_EQ(t.Last()->Points(), (std::vector<TORVPto>{{40000, 35000}, {70000, 45000}}));
}

namespace {

// The defaults the schemas tell an agent about, as tools/list gives them: "(default: 15)",
// "1=visible (default)", "If false (default)". Only literal numbers and booleans.
struct TDeclaredDefault {
  QString Tool, Param;
  QJsonValue Value;
};

std::vector<TDeclaredDefault> DeclaredDefaults(TPLNMCPServer& server) {
  const QByteArray reply = server.HandleMessage(R"({"jsonrpc":"2.0","id":1,"method":"tools/list"})");
  const QJsonArray tools = QJsonDocument::fromJson(reply).object()["result"].toObject()["tools"].toArray();
  const QRegularExpression valueFirst(QStringLiteral(R"(\(default: (-?\d+(?:\.\d+)?|true|false)\))"));
  const QRegularExpression valueBefore(QStringLiteral(R"((\d+)=\w+ \(default\))"));
  const QRegularExpression ifValue(QStringLiteral(R"(If (true|false) \(default\))"));
  const auto literal = [](const QString& s) {
    if (s == QLatin1String("true") || s == QLatin1String("false")) return QJsonValue(s == QLatin1String("true"));
    return QJsonValue(s.toDouble());
  };
  std::vector<TDeclaredDefault> out;
  for (const QJsonValue& tool : tools) {
    const QJsonObject props = tool.toObject()["inputSchema"].toObject()["properties"].toObject();
    for (auto it = props.begin(); it != props.end(); ++it) {
      const QString description = it.value().toObject()["description"].toString();
      for (const QRegularExpression* re : {&valueFirst, &valueBefore, &ifValue}) {
        const QRegularExpressionMatch m = re->match(description);
        if (m.hasMatch()) {
          out.push_back({tool.toObject()["name"].toString(), it.key(), literal(m.captured(1))});
          break;
        }
      }
    }
  }
  return out;
}

// Another value of the same kind, which must make a difference.
QJsonValue OtherThan(const QJsonValue& v) {
  if (v.isBool()) return !v.toBool();
  return v.toDouble() == 1 ? 0.0 : v.toDouble() + 1;
}

}  // namespace

TEST(McpTools, ACallWithoutAnArgumentGetsTheDefaultTheToolDeclares) {
  using namespace PlanoraTest;
  LocalHttpServer tiles(GreenTile);
  // Each probe makes one call on a fresh drawing, with `extra` added, and returns what the call
  // left behind.
  using TProbe = std::function<QString(const QJsonObject& extra)>;
  const auto call = [](const QString& tool, QJsonObject args, const QJsonObject& extra, const std::function<void(TTools&)>& before) {
    TTools t;
    if (before) before(t);
    for (auto it = extra.begin(); it != extra.end(); ++it) args.insert(it.key(), it.value());
    const QJsonObject r = t.Call(tool, args);
    EXPECT_FALSE(r["isError"].toBool()) << tool.toStdString() << ": " << TTools::Text(r).toStdString();
    return QString::fromUtf8(t.doc.ToJsonText()) + QJsonDocument(t.Call("list_layers")["structuredContent"].toObject()).toJson() +
           t.Ok("get_drawing_info");
  };
  const auto item = [&](const QString& tool, const QJsonObject& args) {
    return TProbe([=](const QJsonObject& extra) { return call(tool, args, extra, nullptr); });
  };
  std::map<QString, TProbe> probes{
      {"add_layer", item("add_layer", {{"name", "L"}})},
      {"add_dim_radial", item("add_dim_radial", {{"center_x", 20}, {"center_y", 20}, {"radius", 10}})},
      {"add_dim_diameter", item("add_dim_diameter", {{"center_x", 20}, {"center_y", 20}, {"radius", 10}})},
      {"clear_drawing",
       [&](const QJsonObject& extra) {
         return call("clear_drawing", {}, extra, [](TTools& t) {
           t.Ok("add_layer", {{"name", "Second"}});
           t.Ok("add_point", {{"x", 3}});
           t.Ok("setup_drawing", {{"units", "cm"}, {"mode", "drawing"}});
         });
       }},
      // The export leaves the drawing as it was: what it gives back is the SVG (or its refusal).
      {"export_svg",
       [&](const QJsonObject& extra) {
         TTools t;
         t.Ok("add_rectangle", {{"x", 5}, {"y", 5}});
         QJsonObject args{{"export_type", "factor"}};
         for (auto it = extra.begin(); it != extra.end(); ++it) args.insert(it.key(), it.value());
         return TTools::Text(t.Call("export_svg", args));
       }},
      {"set_map_background",
       [&](const QJsonObject& extra) {
         TTools t;
         t.doc.ImageFolder = QStringLiteral(PLANORA_TEST_TMP) + "/maps_defaults";
         t.doc.Mapping().SetCacheFolder({});
         t.doc.Mapping().SetUrlTemplate(TPLNMapping::OpenStreetMap, tiles.Base() + "/{z}/{x}/{y}.png");
         t.Ok("add_layer", {{"name", "Map"}});
         QJsonObject args{{"latitude", 41.3851}, {"longitude", 2.1734}};
         for (auto it = extra.begin(); it != extra.end(); ++it) args.insert(it.key(), it.value());
         const QString text = t.Ok("set_map_background", args);
         QByteArray image;
         QBuffer buf(&image);
         buf.open(QIODevice::WriteOnly);
         QImage(t.doc.Mapping().GetFileName()).save(&buf, "PNG");
         // The file's name is the download's own; the rest of the text names zoom and layer.
         return text.section(QStringLiteral(" File: "), 0, 0) + QString::fromLatin1(image.toBase64()) +
                QJsonDocument(t.Call("list_layers")["structuredContent"].toObject()).toJson();
       }},
      // What the output tools write: the preview's image, and a PNG and a JPEG export (the
      // transparency is PNG's, the quality JPEG's).
      {"render_preview",
       [&](const QJsonObject& extra) {
         TTools t;
         t.Ok("setup_drawing", {{"paper_width_mm", 40}, {"paper_height_mm", 30}});
         t.Ok("add_circle", {{"x", 20}, {"y", 15}, {"radius", 8}, {"filled", 1}});
         const QJsonObject r = t.Call("render_preview", extra);
         return QJsonDocument(r).toJson();
       }},
      {"export_document",
       [&](const QJsonObject& extra) {
         TTools t;
         t.Ok("setup_drawing", {{"paper_width_mm", 40}, {"paper_height_mm", 30}});
         t.Ok("add_circle", {{"x", 20}, {"y", 15}, {"radius", 8}, {"filled", 1}});
         QByteArray written;
         for (const char* format : {"png", "jpeg"}) {
           QJsonObject args{{"filename", TmpPath(QStringLiteral("defaults.") + format)}, {"format", format}};
           for (auto it = extra.begin(); it != extra.end(); ++it) args.insert(it.key(), it.value());
           t.Ok("export_document", args);
           written += ReadAll(args["filename"].toString()).toBase64();
         }
         return QString::fromLatin1(written);
       }},
  };

  TTools listing;
  const std::vector<TDeclaredDefault> declared = DeclaredDefaults(listing.server);
  EXPECT_GE(declared.size(), 11u);
  for (const TDeclaredDefault& d : declared) {
    SCOPED_TRACE((d.Tool + "." + d.Param).toStdString());
    const auto probe = probes.find(d.Tool);
    ASSERT_NE(probe, probes.end()) << "a default declared without a probe here to check it";
    const QString without = probe->second({});
    EXPECT_EQ(without, probe->second({{d.Param, d.Value}}));
    // A scale of 0 or less stands for the default scale itself.
    const QJsonValue other = d.Param == QLatin1String("scale") ? QJsonValue(2.0) : OtherThan(d.Value);
    EXPECT_NE(without, probe->second({{d.Param, other}})) << "the argument changes nothing this probe sees";
  }

  // The position and size arguments are marked required, but one left out takes the value the
  // tool documents, like the rectangle's 20 x 10.
  const std::vector<TDeclaredDefault> documented{
      {"add_circle", "radius", 10},      {"add_ellipse", "radius_x", 15},  {"add_ellipse", "radius_y", 10},
      {"add_sector", "radius", 10},      {"add_sector", "start_angle", 0}, {"add_sector", "sweep_angle", 90},
      {"add_line", "x2", 20},            {"add_arrow_line", "x2", 20},     {"add_arc", "radius", 10},
      {"add_arc", "start_angle", 0},     {"add_arc", "end_angle", 90},     {"add_paragraph", "width", 50},
      {"add_paragraph", "height", 20},   {"add_rectangle", "width", 20},   {"add_rectangle", "height", 10},
      {"add_dim_linear", "x2", 50},      {"add_dim_radial", "angle", 45},  {"add_point", "x", 0}};
  for (const TDeclaredDefault& d : documented) {
    SCOPED_TRACE((d.Tool + "." + d.Param).toStdString());
    const TProbe probe = item(d.Tool, {});
    const QString without = probe({});
    EXPECT_EQ(without, probe({{d.Param, d.Value}}));
    EXPECT_NE(without, probe({{d.Param, OtherThan(d.Value)}}));
  }
}
