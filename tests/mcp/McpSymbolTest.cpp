// The symbol tools: symbols built from commands (every family, alias and spelling), symbols
// loaded from and saved to libraries, placed symbols, and libraries read from an image by an AI
// provider, here a fake one on 127.0.0.1 started by the test.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <tuple>

#include "ORV.AIClient.h"
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.Symbol.h"
#include "PlanoraTestSupport.h"
#include "ToolsFixture.h"

using namespace Orv;
using Symbol::TPLNBaseLibSymbol;
using Symbol::TPLNBaseSymbol;
using Symbol::TPLNLibrary;
using Symbol::TPLNSymItem;
using Symbol::TSymKind;

namespace {

using PlanoraTest::TmpPath;
using PlanoraTest::TTools;

QJsonArray Cmds(const char* json) { return QJsonDocument::fromJson(json).array(); }

const TPLNBaseLibSymbol* Current(const TTools& t) { return t.doc.GetCurrentSymbol(); }

std::vector<TSymKind> KindsOf(const TPLNBaseLibSymbol& s) {
  std::vector<TSymKind> out;
  for (const TPLNSymItem& it : s.Items()) out.push_back(it.Kind);
  return out;
}

// A chat-completions endpoint that answers what the test tells it, or nothing at all.
class FakeProvider {
 public:
  struct TRequest {
    QByteArray Head;
    QJsonObject Body;
  };
  int Status = 200;
  QByteArray Answer;
  bool Silent = false;

  FakeProvider() { EXPECT_TRUE(fServer.listen(QHostAddress::LocalHost, 0)); QObject::connect(&fServer, &QTcpServer::newConnection, [this] { Accept(); }); }
  QString Url() const { return QStringLiteral("http://127.0.0.1:%1/v1/chat/completions").arg(fServer.serverPort()); }
  const std::vector<TRequest>& Requests() const { return fRequests; }

  // The model's text wrapped as a chat completion.
  void Reply(const QString& content) {
    Status = 200;
    const QJsonObject message{{"role", "assistant"}, {"content", content}};
    Answer = QJsonDocument(QJsonObject{{"choices", QJsonArray{QJsonObject{{"message", message}, {"finish_reason", "stop"}}}}})
                 .toJson(QJsonDocument::Compact);
  }

 private:
  void Accept() {
    while (QTcpSocket* s = fServer.nextPendingConnection()) {
      auto buffer = std::make_shared<QByteArray>();
      QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
      QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, buffer] {
        buffer->append(s->readAll());
        const qsizetype end = buffer->indexOf("\r\n\r\n");
        if (end < 0) return;
        const QByteArray head = buffer->left(end);
        qsizetype length = 0;
        for (const QByteArray& line : head.split('\n'))
          if (line.toLower().startsWith("content-length:")) length = line.mid(15).trimmed().toLongLong();
        if (buffer->size() < end + 4 + length) return;
        fRequests.push_back({head, QJsonDocument::fromJson(buffer->mid(end + 4, length)).object()});
        buffer->clear();
        if (Silent) return;
        s->write("HTTP/1.1 " + QByteArray::number(Status) + " X\r\nContent-Type: application/json\r\nContent-Length: " +
                 QByteArray::number(Answer.size()) + "\r\nConnection: close\r\n\r\n" + Answer);
        s->disconnectFromHost();
      });
    }
  }

  QTcpServer fServer;
  std::vector<TRequest> fRequests;
};

// A drawing whose server asks the fake provider.
struct TAITools : TTools {
  FakeProvider provider;
  TAITools() {
    TAIConfig c;
    c.Url = provider.Url();
    c.Model = QStringLiteral("vision-test");
    c.Key = QStringLiteral("sk-secret-123");
    c.TimeoutSeconds = 5;
    c.MaxImageBytes = 1000;
    server.AIClient().SetConfig(c);
  }
};

QString PngFile(const char* name, qsizetype bytes = 40) {
  const QString path = TmpPath(QString::fromLatin1(name));
  PlanoraTest::WriteAll(path, QByteArray(bytes, '\x89'));
  return path;
}

}  // namespace

// ---------------------------------------------------------------- create_symbol

TEST(McpSymbol, CreateSymbolRunsEveryCommandFamilyUnderAnySpellingAndAlias) {
  TTools t;
  const QJsonArray commands = Cmds(R"([
    {"type": "fore_color", "color": "#112233"}, {"type": "set stroke-color", "color": "#445566"},
    {"type": "LineColor", "color": "#010203"}, {"type": "outlinecolor", "color": "#020304"},
    {"type": "fcolor", "color": "#030405"}, {"type": "stroke", "color": "#040506"}, {"type": "color", "color": "#050607"},
    {"type": "BackColor", "color": "#80aabbcc"}, {"type": "bcolor", "color": "#0a0b0c"}, {"type": "bgcolor", "color": "#0b0c0d"},
    {"type": "fill_color", "color": "#0c0d0e"},
    {"type": "filled", "value": true}, {"type": "fill", "value": "off"},
    {"type": "lineType", "style": "dashed"}, {"type": "line-style", "value": "dotted"}, {"type": "linetype", "value": 3},
    {"type": "strokeWidth", "width": 0.5}, {"type": "penwidth", "value": "0.25"}, {"type": "line_width", "width": 2},
    {"type": "roundcap", "value": 1}, {"type": "scale_pen", "value": false},
    {"type": "setNotDrawScale", "value": true},
    {"type": "path", "value": true}, {"type": "path", "value": false},
    {"type": "fontcolor", "color": "#ff0000"}, {"type": "text_color", "color": "#00ff00"},
    {"type": "fontname", "name": "DejaVu Sans"}, {"type": "font-name", "value": "Courier"}, {"type": "fontname"},
    {"type": "fontheight", "height": 3}, {"type": "fontsize", "size": 4}, {"type": "font_height", "value": 2.5},
    {"type": "fontbold", "value": true}, {"type": "fontitalic", "value": "yes"}, {"type": "fontunderline", "value": 0},
    {"type": "fontscale", "value": 0.8},
    {"type": "add_line", "x1": 10, "y1": 5, "x2": 20, "y2": 5},
    {"type": "draw circle", "cx": 10, "cy": 5, "radius": 2}, {"type": "circle", "center_x": 11, "center_y": 6, "r": 1},
    {"type": "ellipse", "x": 10, "y": 5, "rx": 3, "ry": 1},
    {"type": "sector", "x": 10, "y": 5, "r": 2, "start": 30, "sweep": 90},
    {"type": "rect", "x1": 0, "y1": 0, "x2": 20, "y2": 10, "r": 1}, {"type": "box", "x": 12, "y": 7, "w": 4, "h": 2},
    {"type": "rectangle", "x": 10, "y": 5, "width": 1, "height": 1},
    {"type": "arc", "x1": 15, "y1": 5, "x2": 10, "y2": 0, "x3": 5, "y3": 5},
    {"type": "label", "x": 10, "y": 8, "text": "P1", "align": "center", "valign": "middle", "angle": 90},
    {"type": "text", "x": 10, "y": 8, "text": "R", "halign": "right", "valign": "bottom"},
    {"type": "polygon", "points": [10, 5, 12, 5, 11, 7]}, {"type": "polyline", "points": [[10, 5], [12, 5]]},
    {"type": "polyline", "points": [{"x": 10, "y": 5}, {"x": 10, "y": 9}]},
    {"type": "bezier", "points": [10, 5, 11, 4, 12, 4, 13, 5], "closed": true},
    {"type": "link_point", "x": 0, "y": 5}, {"type": "connector", "x": 20, "y": 5}, {"type": "Anchor Point", "x": 10, "y": 0},
    {"type": "link", "x": 10, "y": 10}, {"type": "connection_point"}, {"type": "attachpoint", "x": 1, "y": 1},
    {"type": "connectorpoint", "x": 2, "y": 2}, {"type": "anchor", "x": 3, "y": 3}
  ])");
  EXPECT_EQ(t.Ok("create_symbol", {{"name", "Pump"}, {"category", "HVAC"}, {"note", "centrifugal"}, {"insert_x", 10},
                                   {"insert_y", 5}, {"commands", commands}}),
            QStringLiteral("Symbol \"Pump\" created (%1 commands applied) and set as current. Use add_symbol to place it at a "
                           "position.")
                .arg(commands.size()));
  const TPLNBaseLibSymbol* s = Current(t);
  ASSERT_TRUE(s);
  EXPECT_EQ(QStringList({s->Name, s->Category, s->Note}), QStringList({"Pump", "HVAC", "centrifugal"}));
  EXPECT_TRUE(s->NotDrawScale);
  EXPECT_EQ(t.doc.GetSymbolsCount(), 1);

  using K = TSymKind;
  const std::vector<K> expected{
      K::FColor, K::FColor, K::FColor, K::FColor, K::FColor, K::FColor, K::FColor, K::BColor, K::BColor, K::BColor,
      K::BColor, K::Fill, K::Fill, K::LineType, K::LineType, K::LineType, K::PenWidth, K::PenWidth, K::PenWidth,
      K::RoundCap, K::ScalePen, K::Path, K::Path, K::FontColor, K::FontColor, K::FontName, K::FontName, K::FontName,
      K::FontHeight, K::FontHeight, K::FontHeight, K::Bold, K::Italic, K::Underline, K::FontScale, K::Line, K::Circle,
      K::Circle, K::Ellipse, K::Sector, K::Rectangle, K::Rectangle, K::Rectangle, K::Arc, K::Text, K::Text, K::Polyline,
      K::Polyline, K::Polyline, K::Bezier};
  ASSERT_EQ(KindsOf(*s), expected);
  auto item = [s](int i) { return s->GetItem(i); };  // counted from 1

  // Colours (#80... keeps its own alpha); line types dashed, dotted, by number; widths and
  // font heights in base units; flags given as true, "off", 1, false, "yes" and 0.
  for (const auto& [i, c] : {std::pair{1, 0xFF112233u}, {2, 0xFF445566u}, {8, 0x80AABBCCu}, {11, 0xFF0C0D0Eu}, {24, 0xFFFF0000u}})
    EXPECT_EQ(item(i).Color, c) << i;
  for (const auto& [i, v] : {std::pair{14, 1.0}, {15, 2.0}, {16, 3.0}, {17, 500.0}, {18, 250.0}, {29, 3000.0}, {30, 4000.0},
                             {31, 2500.0}, {35, 0.8}})
    EXPECT_DOUBLE_EQ(item(i).Value, v) << i;
  for (const auto& [i, f] : {std::pair{12, true}, {13, false}, {20, true}, {21, false}, {22, true}, {23, false}, {32, true},
                             {33, true}, {34, false}})
    EXPECT_EQ(item(i).Flag, f) << i;
  EXPECT_EQ(QStringList({item(26).Text, item(27).Text, item(28).Text}), QStringList({"DejaVu Sans", "Courier", "Arial"}));

  // Geometry is relative to the insertion point (10, 5) and in base units.
  EXPECT_EQ(item(36).Points, (std::vector<TORVPto>{{0, 0}, {10000, 0}}));
  EXPECT_EQ(item(37).Points.at(0), (TORVPto{0, 0}));
  EXPECT_EQ(item(37).Points.at(1).X, 2000);
  EXPECT_EQ(item(38).Points.at(0), (TORVPto{1000, 1000}));
  EXPECT_EQ(item(39).Points.at(1), (TORVPto{3000, 1000}));
  EXPECT_EQ(item(40).Points.at(1).X, 2000);
  EXPECT_EQ(item(40).Start, 30);
  EXPECT_EQ(item(40).Sweep, 90);
  EXPECT_EQ(item(41).Points, (std::vector<TORVPto>{{-10000, -5000}, {10000, 5000}}));
  EXPECT_EQ(item(41).Value, 1000);
  EXPECT_EQ(item(42).Points, (std::vector<TORVPto>{{2000, 2000}, {6000, 4000}}));  // x, y, w, h
  EXPECT_EQ(item(42).Value, 0);
  EXPECT_EQ(item(43).Points, (std::vector<TORVPto>{{0, 0}, {1000, 1000}}));
  // The arc through (15,5), (10,0), (5,5): centred on the insertion point with radius 5.
  EXPECT_EQ(item(44).Points.at(0), (TORVPto{0, 0}));
  EXPECT_EQ(item(44).Points.at(1).X, 5000);
  EXPECT_EQ(item(45).Text, "P1");
  EXPECT_EQ(item(45).Points.at(0), (TORVPto{0, 3000}));
  EXPECT_EQ(item(45).HAlign, TORVHorzAlign::Center);
  EXPECT_EQ(item(45).VAlign, TORVVertAlign::Center);
  EXPECT_EQ(item(45).Angle, 90);
  EXPECT_EQ(item(46).HAlign, TORVHorzAlign::Right);
  EXPECT_EQ(item(46).VAlign, TORVVertAlign::Bottom);
  EXPECT_TRUE(item(47).Flag);  // a polygon is a closed polyline
  EXPECT_EQ(item(47).Points, (std::vector<TORVPto>{{0, 0}, {2000, 0}, {1000, 2000}}));
  EXPECT_FALSE(item(48).Flag);
  EXPECT_EQ(item(48).Points, (std::vector<TORVPto>{{0, 0}, {2000, 0}}));
  EXPECT_EQ(item(49).Points, (std::vector<TORVPto>{{0, 0}, {0, 4000}}));
  EXPECT_TRUE(item(50).Flag);
  EXPECT_EQ(item(50).Points.size(), 4u);

  // Every link point alias; a link point without coordinates sits on the insertion point.
  EXPECT_EQ(s->Links(), (std::vector<TORVPto>{{-10000, 0}, {10000, 0}, {0, -5000}, {0, 5000}, {-10000, -5000},
                                               {-9000, -4000}, {-8000, -3000}, {-7000, -2000}}));
}

TEST(McpSymbol, CommandsWithoutTypeAreKnownByTheirKeysAndBadValuesAreNotApplied) {
  TTools t;
  const QJsonArray commands = Cmds(R"([
    {"x1": 0, "y1": 0, "x2": 5, "y2": 5},
    {"x1": 0, "y1": 0, "x2": 5, "y2": 5, "r": 1},
    {"rx": 2, "ry": 1},
    {"points": [0, 0, 4, 0, 2, 3]},
    {"text": "T", "x": 1},
    {"radius": 2},
    {"type": "", "r": 3},
    {"type": "line", "x1": 0, "y1": 0, "x2": 5},
    {"type": "line", "x1": "a", "y1": 0, "x2": 5, "y2": 5},
    {"type": "circle", "r": -1},
    {"type": "forecolor", "color": "red"},
    {"type": "polygon", "points": [0, 0, 1, 1]},
    {"type": "polyline", "points": [0, 0, 1]},
    {"type": "bezier", "points": [0, 0, 1, 1, 2, 2]},
    {"type": "text", "x": 1, "y": 1},
    {"type": "filled", "value": "maybe"},
    {"type": "linewidth", "width": -2},
    {"type": "line", "x1": 1e300, "y1": 0, "x2": 0, "y2": 0},
    {"type": "triangle", "x": 1},
    "line",
    {"type": "setline", "x1": "1", "y1": "2", "x2": "3", "y2": "4"}
  ])");
  EXPECT_EQ(t.Ok("create_symbol", {{"name", "Keys"}, {"commands", commands}}),
            "Symbol \"Keys\" created (8 commands applied) and set as current. Use add_symbol to place it at a position.");
  const TPLNBaseLibSymbol* s = Current(t);
  ASSERT_TRUE(s);
  using K = TSymKind;
  EXPECT_EQ(KindsOf(*s), (std::vector<K>{K::Line, K::Rectangle, K::Ellipse, K::Polyline, K::Text, K::Circle, K::Circle, K::Line}));
  EXPECT_EQ(s->GetItem(2).Value, 1000);
  EXPECT_TRUE(s->GetItem(4).Flag);
  EXPECT_EQ(s->GetItem(7).Points.at(1).X, 3000);
  // Numbers given as text are numbers.
  EXPECT_EQ(s->GetItem(8).Points, (std::vector<TORVPto>{{1000, 2000}, {3000, 4000}}));

  // The units of the symbol scale its coordinates.
  t.Ok("create_symbol", {{"name", "Cm"}, {"units", "cm"}, {"commands", Cmds(R"([{"type":"line","x1":0,"y1":0,"x2":1,"y2":2}])")}});
  EXPECT_EQ(Current(t)->GetItem(1).Points, (std::vector<TORVPto>{{0, 0}, {10000, 20000}}));
  EXPECT_EQ(Current(t)->Units, TORVUnits::cm);
}

TEST(McpSymbol, CommandsGivenAsJsonTextWorkLikeTheArray) {
  TTools t;
  const char* json = R"([{"type":"line","x1":0,"y1":0,"x2":5,"y2":5},{"type":"circle","r":2},{"type":"link_point","x":1,"y":1}])";
  t.Ok("create_symbol", {{"name", "A"}, {"commands", Cmds(json)}});
  const TPLNBaseLibSymbol* fromArray = Current(t);
  EXPECT_EQ(t.Ok("create_symbol", {{"name", "B"}, {"commands", QString::fromLatin1(json)}}),
            "Symbol \"B\" created (3 commands applied) and set as current. Use add_symbol to place it at a position.");
  const TPLNBaseLibSymbol* fromText = Current(t);
  ASSERT_NE(fromArray, fromText);
  EXPECT_EQ(fromText->Items(), fromArray->Items());
  EXPECT_EQ(fromText->Links(), fromArray->Links());
  EXPECT_EQ(t.doc.GetSymbolsCount(), 2);
}

TEST(McpSymbol, CreateSymbolRefusalsNameWhatWasReceived) {
  TTools t;
  const QString expected = QStringLiteral(" Expected format: [{\"type\":\"line\",\"x1\":0,\"y1\":0,\"x2\":5,\"y2\":5},...]");
  EXPECT_EQ(t.Refused("create_symbol", {{"name", "  "}, {"commands", Cmds(R"([{"type":"line"}])")}}), "name is required");
  const QString missing = QStringLiteral("commands array is required and must not be empty. Received commands type: ");
  EXPECT_EQ(t.Refused("create_symbol", {{"name", "S"}}), missing + "missing");
  EXPECT_EQ(t.Refused("create_symbol", {{"name", "S"}, {"commands", QJsonArray()}}), missing + "array");
  EXPECT_EQ(t.Refused("create_symbol", {{"name", "S"}, {"commands", QJsonObject{{"type", "line"}}}}), missing + "object");
  EXPECT_EQ(t.Refused("create_symbol", {{"name", "S"}, {"commands", "line from 0,0 to 5,5"}}), missing + "string");
  EXPECT_EQ(t.Refused("create_symbol", {{"name", "S"}, {"commands", 5}}), missing + "number");

  EXPECT_EQ(t.Refused("create_symbol", {{"name", "S"}, {"commands", Cmds(R"([{"type":"blob","size":3}])")}}),
            "No valid symbol commands recognized (1 items received). First command type=\"blob\". First command JSON: "
            "{\"size\":3,\"type\":\"blob\"}" + expected);
  EXPECT_EQ(t.Refused("create_symbol", {{"name", "S"}, {"commands", Cmds(R"([5, {"type":"blob"}])")}}),
            "No valid symbol commands recognized (2 items received). First item is not an object (type=2). " + expected);
  // A known type whose values cannot be used is not a command either.
  EXPECT_TRUE(t.Refused("create_symbol", {{"name", "S"}, {"commands", Cmds(R"([{"type":"line","x1":0}])")}})
                  .startsWith("No valid symbol commands recognized (1 items received). First command type=\"line\"."));
  EXPECT_EQ(t.doc.GetSymbolsCount(), 0);
  EXPECT_EQ(Current(t), nullptr);

  // A library that cannot be written leaves the drawing without the symbol.
  t.Refused("create_symbol", {{"name", "S"}, {"filename", TmpPath("no/such/folder/s.lyp")},
                              {"commands", Cmds(R"([{"type":"circle","r":1}])")}});
  EXPECT_EQ(t.doc.GetSymbolsCount(), 0);
}

// ---------------------------------------------------------------- libraries

TEST(McpSymbol, SymbolsSavedToALibraryLoadBackByNameAndGuid) {
  const QString file = TmpPath("valves.lyp");
  QFile::remove(file);
  QString guid;
  std::vector<TPLNSymItem> items;
  {
    TTools t;
    EXPECT_EQ(t.Ok("create_symbol", {{"name", "Valve"}, {"category", "HVAC"}, {"filename", file},
                                     {"commands", Cmds(R"([{"type":"line","x1":-5,"y1":0,"x2":5,"y2":0},
                                                           {"type":"circle","r":3},{"type":"link_point","x":-5,"y":0}])")}}),
              QStringLiteral("Symbol \"Valve\" created (3 commands applied), saved to %1 and set as current. Use add_symbol "
                             "to place it.")
                  .arg(file));
    ASSERT_TRUE(Current(t));
    guid = Current(t)->Guid;
    items = Current(t)->Items();
  }
  TPLNLibrary lib;
  lib.LoadFromFile(file);
  ASSERT_EQ(lib.Symbols.size(), 1u);
  EXPECT_EQ(lib.Symbols[0]->Items(), items);
  EXPECT_EQ(lib.Symbols[0]->Links(), (std::vector<TORVPto>{{-5000, 0}}));

  TTools t;
  EXPECT_EQ(t.Ok("load_symbol_library", {{"filename", file}, {"name", "valve"}}),
            "Symbol loaded: \"Valve\" from valves.lyp. Use add_symbol to place it.");
  ASSERT_TRUE(Current(t));
  EXPECT_EQ(Current(t)->Items(), items);

  TTools byGuid;
  QString bare = guid;
  bare.remove('{').remove('}');
  EXPECT_EQ(byGuid.Ok("load_symbol_library", {{"filename", file}, {"guid", bare.toUpper()}, {"name", "ignored"}}),
            "Symbol loaded: \"Valve\" from valves.lyp. Use add_symbol to place it.");
  ASSERT_TRUE(Current(byGuid));
  EXPECT_EQ(Current(byGuid)->Guid, guid);

  TTools e;
  EXPECT_EQ(e.Refused("load_symbol_library", {{"name", "Valve"}}), "filename is required");
  EXPECT_EQ(e.Refused("load_symbol_library", {{"filename", TmpPath("none.lyp")}, {"name", "Valve"}}),
            "File not found: " + TmpPath("none.lyp"));
  const QString notFound = "Symbol not found in library file. Check name or guid.";
  EXPECT_EQ(e.Refused("load_symbol_library", {{"filename", file}, {"name", "Pump"}}), notFound);
  EXPECT_EQ(e.Refused("load_symbol_library", {{"filename", file}, {"guid", "{00000000-0000-0000-0000-000000000001}"}}), notFound);
  EXPECT_EQ(e.Refused("load_symbol_library", {{"filename", file}}), notFound);
  // A file that is no library is refused with the reader's reason, the drawing untouched.
  const QString junk = TmpPath("junk.lyp");
  PlanoraTest::WriteAll(junk, "not a library");
  EXPECT_FALSE(e.Refused("load_symbol_library", {{"filename", junk}, {"name", "Valve"}}).isEmpty());
  EXPECT_EQ(Current(e), nullptr);
}

TEST(McpSymbol, SaveSymbolLibraryWritesTheDrawingsSymbolsOfOneCategoryOrAll) {
  TTools t;
  const QJsonArray circle = Cmds(R"([{"type":"circle","r":1}])");
  t.Ok("create_symbol", {{"name", "Fan"}, {"category", "HVAC"}, {"commands", circle}});
  t.Ok("create_symbol", {{"name", "Tap"}, {"category", "Plumbing"}, {"commands", circle}});
  t.Ok("create_symbol", {{"name", "Duct"}, {"category", "HVAC"}, {"commands", circle}});

  const QString hvac = TmpPath("hvac.lyp"), all = TmpPath("all.lyp");
  EXPECT_EQ(t.Ok("save_symbol_library", {{"filename", hvac}, {"category", "HVAC"}}), "Symbol library saved to hvac.lyp");
  EXPECT_EQ(t.Ok("save_symbol_library", {{"filename", all}}), "Symbol library saved to all.lyp");
  auto names = [](const QString& file) {
    TPLNLibrary lib;
    lib.LoadFromFile(file);
    QStringList out;
    for (const auto& s : lib.Symbols) out << s->Name;
    return out;
  };
  EXPECT_EQ(names(hvac), (QStringList{"Fan", "Duct"}));
  EXPECT_EQ(names(all), (QStringList{"Fan", "Tap", "Duct"}));
  EXPECT_EQ(t.Refused("save_symbol_library", {{"category", "HVAC"}}), "filename is required");
}

TEST(McpSymbol, AddSymbolPlacesTheCurrentSymbolOrOneItLoadsByNameOrGuid) {
  const QString file = TmpPath("place.lyp");
  QString guid;
  {
    TTools maker;
    maker.Ok("create_symbol", {{"name", "Valve"}, {"filename", file}, {"commands", Cmds(R"([{"type":"circle","r":2}])")}});
    guid = Current(maker)->Guid;
  }

  TTools t;
  const QString none = "No symbol loaded. Use load_symbol_library first or provide filename + name/guid.";
  EXPECT_EQ(t.Refused("add_symbol", {{"x", 1}, {"y", 1}}), none);
  EXPECT_EQ(t.Refused("add_symbol", {{"x", 1}, {"y", 1}, {"filename", TmpPath("gone.lyp")}, {"name", "Valve"}}),
            "File not found: " + TmpPath("gone.lyp"));
  EXPECT_EQ(t.Refused("add_symbol", {{"x", 1}, {"y", 1}, {"filename", file}, {"name", "Pump"}}),
            "Symbol \"Pump\" not found in place.lyp");
  EXPECT_EQ(t.Refused("add_symbol", {{"x", 1}, {"y", 1}, {"filename", file}, {"guid", "{00000000-0000-0000-0000-00000000000f}"}}),
            "Symbol guid \"{00000000-0000-0000-0000-00000000000f}\" not found in place.lyp");
  EXPECT_EQ(t.doc.GetSymbolsCount(), 0);

  // Loaded on the way by name, then placed turned and scaled.
  EXPECT_EQ(t.Ok("add_symbol", {{"x", 10}, {"y", 20}, {"angle", 90}, {"scale", 2}, {"filename", file}, {"name", "valve"}}),
            "Symbol added: id=1 at (10.0, 20.0) angle=90.0 scale=2.00");
  auto* placed = dynamic_cast<TPLNBaseSymbol*>(t.Last());
  ASSERT_TRUE(placed && placed->GetSymbol());
  EXPECT_EQ(placed->Points().at(0), (TORVPto{10000, 20000}));
  EXPECT_NEAR(placed->GetAngleRad(), M_PI / 2, 1e-9);
  EXPECT_FLOAT_EQ(placed->GetScale(), 2.0f);
  EXPECT_EQ(placed->GetSymbol()->Guid, guid);

  // The current symbol again: scale 0 or less keeps the scale, angle 0 is an angle.
  EXPECT_EQ(t.Ok("add_symbol", {{"x", -5}, {"y", 2.25}, {"angle", 0}, {"scale", 0}}),
            "Symbol added: id=2 at (-5.0, 2.3) angle=0.0 scale=1.00");
  EXPECT_EQ(t.Ok("add_symbol", {{"x", 0}, {"y", 0}, {"angle", 450}, {"scale", -3}}),
            "Symbol added: id=3 at (0.0, 0.0) angle=90.0 scale=1.00");
  EXPECT_EQ(t.doc.GetItemsCount(), 3);

  // Clearing everything forgets the definitions too; clearing the items keeps them.
  t.Ok("clear_drawing", {});
  EXPECT_EQ(t.Ok("add_symbol", {{"x", 0}, {"y", 0}}), "Symbol added: id=1 at (0.0, 0.0) angle=0.0 scale=1.00");
  t.Ok("clear_drawing", {{"all", true}});
  EXPECT_EQ(t.doc.GetSymbolsCount(), 0);
  EXPECT_EQ(t.Refused("add_symbol", {{"x", 1}, {"y", 1}}), none);

  // By guid into another drawing, braces and case as the agent wrote them.
  TTools other;
  QString bare = guid.toUpper();
  bare.remove('{').remove('}');
  EXPECT_EQ(other.Ok("add_symbol", {{"x", 1}, {"y", 1}, {"filename", file}, {"guid", bare}}),
            "Symbol added: id=1 at (1.0, 1.0) angle=0.0 scale=1.00");
  EXPECT_EQ(dynamic_cast<TPLNBaseSymbol*>(other.Last())->GetSymbol()->Name, "Valve");
}

// ---------------------------------------------------------------- symbols from an image

TEST(McpSymbol, ImageToolSendsThePromptAndImageAndSavesTheCleanedAnswer) {
  TAITools t;
  const QString image = PngFile("pump.png");
  const QString out = TmpPath("from_image.lyp");
  QFile::remove(out);
  // Fenced, with prose around it, typographic quotes and trailing commas: the JSON the model meant.
  t.provider.Reply(QString::fromUtf8(
      "Here you are:\n```json\n{\"symbols\": [\n"
      " {\u201Cname\u201D: \u201CPump\u201D, \"units\": \"cm\", \"insert_x\": 1, \"commands\": [\n"
      "   {\"type\": \"strokeColor\", \"color\": \"#ff0000\"}, {\"type\": \"circle\", \"x\": 1, \"y\": 0, \"r\": 1,},],},\n"
      " {\"category\": \"Fans\", \"commands\": \"[{\\\"type\\\":\\\"line\\\",\\\"x1\\\":0,\\\"y1\\\":0,\\\"x2\\\":2,\\\"y2\\\":0}]\"},\n"
      " {\"name\": \"Blank\", \"commands\": [{\"type\": \"hologram\"}]},\n"
      "]}\n```\nHope this helps."));
  EXPECT_EQ(t.Ok("create_symbol_library_from_image", {{"image_filename", image}, {"output_filename", out}, {"category", "HVAC"},
                                                      {"max_symbols", 5}, {"instructions", "Keep valves only"}}),
            QStringLiteral("Symbol library created from image: 2 symbols saved to %1 (1 skipped)").arg(out));

  ASSERT_EQ(t.provider.Requests().size(), 1u);
  const auto& req = t.provider.Requests()[0];
  EXPECT_TRUE(req.Head.contains("Authorization: Bearer sk-secret-123")) << req.Head.toStdString();
  EXPECT_EQ(req.Body["model"].toString(), "vision-test");
  const QJsonArray messages = req.Body["messages"].toArray();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0]["role"].toString(), "user");
  const QJsonArray content = messages[0]["content"].toArray();
  ASSERT_EQ(content.size(), 2);
  const QString prompt = content[0]["text"].toString();
  EXPECT_TRUE(prompt.startsWith("Analyze the attached image and create a symbol library specification for Planora.\r\nReturn ONLY"));
  EXPECT_TRUE(prompt.contains("Use the smallest possible number of commands per symbol.\r\nSource image: pump.png\r\n"
                              "Limit the result to at most 5 symbols.\r\nDefault category: HVAC\r\nExtra instructions: Keep valves only"));
  EXPECT_TRUE(prompt.endsWith("Keep valves only"));
  EXPECT_EQ(content[1]["image_url"]["url"].toString(),
            "data:image/png;base64," + QString::fromLatin1(QByteArray(40, '\x89').toBase64()));

  TPLNLibrary lib;
  lib.LoadFromFile(out);
  ASSERT_EQ(lib.Symbols.size(), 2u);
  // The default category; centimetres, from the insertion point (1, 0); a name made up.
  const auto& pump = *lib.Symbols[0];
  const auto& second = *lib.Symbols[1];
  EXPECT_EQ(std::tuple(pump.Name, pump.Category, pump.Units), std::tuple(QString("Pump"), QString("HVAC"), TORVUnits::cm));
  EXPECT_EQ(std::tuple(second.Name, second.Category, second.Units), std::tuple(QString("symbol_2"), QString("Fans"), TORVUnits::mm));
  EXPECT_EQ(KindsOf(pump), (std::vector<TSymKind>{TSymKind::FColor, TSymKind::Circle}));
  EXPECT_EQ(pump.GetItem(2).Points, (std::vector<TORVPto>{{0, 0}, {10000, 10000}}));
  EXPECT_EQ(KindsOf(second), (std::vector<TSymKind>{TSymKind::Line}));
  EXPECT_EQ(t.doc.GetItemsCount(), 0);
}

TEST(McpSymbol, ImageToolTakesBase64AndRefusesBadImagesBeforeAskingTheProvider) {
  TAITools t;
  const QString out = TmpPath("b64.lyp");
  t.provider.Reply(R"({"symbols":[{"name":"Dot","commands":[{"type":"circle","r":1}]}]})");
  const QString data = QString::fromLatin1(QByteArray("GIF89a-tiny").toBase64());
  EXPECT_EQ(t.Ok("create_symbol_library_from_image",
                 {{"image_base64", data.left(8) + "\n" + data.mid(8)}, {"image_media_type", "image/gif"}, {"output_filename", out}}),
            QStringLiteral("Symbol library created from image: 1 symbols saved to %1").arg(out));
  ASSERT_EQ(t.provider.Requests().size(), 1u);
  const QJsonArray content = t.provider.Requests()[0].Body["messages"][0]["content"].toArray();
  EXPECT_EQ(content[1]["image_url"]["url"].toString(), "data:image/gif;base64," + data);
  EXPECT_TRUE(content[0]["text"].toString().contains("Source image: attached image\r\nLimit the result to at most 24 symbols."));
  EXPECT_FALSE(content[0]["text"].toString().contains("Default category"));

  // Real images are far longer than any text argument.
  TAIConfig c = t.server.AIClient().Config();
  c.MaxImageBytes = 200000;
  t.server.AIClient().SetConfig(c);
  const QString big = QString::fromLatin1(QByteArray(150000, 'p').toBase64());
  t.Ok("create_symbol_library_from_image", {{"image_base64", big}, {"image_media_type", "image/png"}, {"output_filename", out}});
  ASSERT_EQ(t.provider.Requests().size(), 2u);
  EXPECT_EQ(t.provider.Requests()[1].Body["messages"][0]["content"][1]["image_url"]["url"].toString(), "data:image/png;base64," + big);
  c.MaxImageBytes = 1000;
  t.server.AIClient().SetConfig(c);

  const QString tool = "create_symbol_library_from_image";
  EXPECT_EQ(t.Refused(tool, {{"output_filename", out}}), "Provide image_filename or image_base64 + image_media_type.");
  EXPECT_EQ(t.Refused(tool, {{"image_filename", PngFile("a.png")}}), "output_filename is required");
  EXPECT_EQ(t.Refused(tool, {{"image_filename", TmpPath("gone.png")}, {"output_filename", out}}),
            "Image file not found: " + TmpPath("gone.png"));
  EXPECT_EQ(t.Refused(tool, {{"image_filename", PngFile("big.png", 1001)}, {"output_filename", out}}),
            "Image exceeds the configured limit of 1000 bytes.");
  EXPECT_EQ(t.Refused(tool, {{"image_base64", "  "}, {"image_media_type", "image/png"}, {"output_filename", out}}),
            "image_base64 is empty.");
  EXPECT_EQ(t.Refused(tool, {{"image_base64", "ab$%cd=="}, {"image_media_type", "image/png"}, {"output_filename", out}}),
            "image_base64 is not valid Base64 data.");
  EXPECT_EQ(t.Refused(tool, {{"image_base64", QString::fromLatin1(QByteArray(1001, 'x').toBase64())},
                             {"image_media_type", "image/png"}, {"output_filename", out}}),
            "Decoded image exceeds the configured limit of 1000 bytes.");
  EXPECT_EQ(t.Refused(tool, {{"image_base64", data}, {"output_filename", out}}),
            "image_media_type is required when using image_base64.");
  EXPECT_EQ(t.provider.Requests().size(), 2u);

  // A model that gives more than it was asked for keeps only the first ones.
  t.provider.Reply(R"({"symbols":[{"name":"A","commands":[{"type":"circle","r":1}]},)"
                   R"({"name":"B","commands":[{"type":"circle","r":2}]},{"name":"C","commands":[{"type":"circle","r":3}]}]})");
  EXPECT_EQ(t.Ok(tool, {{"image_base64", data}, {"image_media_type", "image/gif"}, {"output_filename", out}, {"max_symbols", 2}}),
            QStringLiteral("Symbol library created from image: 2 symbols saved to %1 (1 skipped)").arg(out));
  TPLNLibrary lib;
  lib.LoadFromFile(out);
  ASSERT_EQ(lib.Symbols.size(), 2u);
  EXPECT_EQ(lib.Symbols[1]->Name, "B");
}

TEST(McpSymbol, ImageToolReportsWhatTheProviderGotWrongAndWritesNoFile) {
  TAITools t;
  const QString image = PngFile("fail.png");
  const QString out = TmpPath("never.lyp");
  QFile::remove(out);
  const QString tool = "create_symbol_library_from_image";
  const QJsonObject args{{"image_filename", image}, {"output_filename", out}};

  t.provider.Reply(R"({"symbols": []})");
  EXPECT_EQ(t.Refused(tool, args), "AI returned no symbols to save.");
  t.provider.Reply("I cannot see any symbols in this picture.");
  EXPECT_EQ(t.Refused(tool, args),
            "Failed to parse AI JSON response for the symbol library. The response appears truncated or invalid. Raw excerpt: "
            "I cannot see any symbols in this picture.");
  t.provider.Reply(R"({"symbols": [{"name": "x", "commands": [{"type": "sparkle"}]}, {"name": "y"}]})");
  EXPECT_EQ(t.Refused(tool, args), "No valid symbols were generated from the image.");

  // The provider's refusal, with the key it echoed hidden.
  t.provider.Status = 500;
  t.provider.Answer = R"({"error": {"message": "model overloaded for key sk-secret-123"}})";
  const QString http = t.Refused(tool, args);
  EXPECT_TRUE(http.startsWith("AI request failed: ")) << http.toStdString();
  EXPECT_TRUE(http.contains("HTTP 500: model overloaded for key ***")) << http.toStdString();
  EXPECT_FALSE(http.contains("sk-secret")) << http.toStdString();

  t.provider.Status = 200;
  t.provider.Answer = R"({"id": "x", "object": "chat.completion"})";
  EXPECT_TRUE(t.Refused(tool, args).contains("holds no choices[0].message.content"));
  t.provider.Answer = "<html>gateway</html>";
  EXPECT_TRUE(t.Refused(tool, args).contains("is not JSON"));

  t.provider.Silent = true;
  TAIConfig c = t.server.AIClient().Config();
  c.TimeoutSeconds = 1;
  t.server.AIClient().SetConfig(c);
  EXPECT_EQ(t.Refused(tool, args), QStringLiteral("AI request failed: the AI provider at 127.0.0.1:%1 did not answer within 1 seconds")
                                       .arg(QUrl(t.provider.Url()).port()));
  EXPECT_EQ(t.provider.Requests().size(), 7u);

  // Nobody listening.
  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
  const quint16 port = closed.serverPort();
  closed.close();
  c.Url = QStringLiteral("http://127.0.0.1:%1/v1/chat/completions").arg(port);
  t.server.AIClient().SetConfig(c);
  EXPECT_EQ(t.Refused(tool, args), QStringLiteral("AI request failed: could not connect to the AI provider at 127.0.0.1:%1: "
                                                  "connection refused")
                                       .arg(port));

  c.Key.clear();
  t.server.AIClient().SetConfig(c);
  EXPECT_EQ(t.Refused(tool, args), "AI API key is not configured on the MCP server.");
  EXPECT_FALSE(QFile::exists(out));
}

TEST(McpSymbol, AIClientReadsItsSettingsFileUnderTheEnvironmentAndExplainsMissingKeys) {
  const QString file = TmpPath("ai.json");
  PlanoraTest::WriteAll(file, R"({"url": "http://files.example/v1", "model": "m-file", "key": "k-file", "timeout": 30,
                                  "max_image_bytes": 5000})");
  QProcessEnvironment env;
  auto fields = [](const TAIConfig& c) { return std::tuple(c.Url, c.Model, c.Key, c.TimeoutSeconds, c.MaxImageBytes); };
  TAIConfig c = TMCPAIClient::LoadConfig(file, env);
  EXPECT_EQ(fields(c), std::tuple(QString("http://files.example/v1"), QString("m-file"), QString("k-file"), 30, 5000));
  EXPECT_TRUE(c.Problem.isEmpty());

  env.insert("PLANORA_AI_URL", "http://env.example/v1");
  env.insert("PLANORA_AI_MODEL", "m-env");
  env.insert("PLANORA_AI_KEY", "k-env");
  env.insert("PLANORA_AI_TIMEOUT", "7");
  env.insert("PLANORA_AI_MAX_IMAGE_BYTES", "abc");  // nonsense keeps what the file said
  c = TMCPAIClient::LoadConfig(file, env);
  EXPECT_EQ(fields(c), std::tuple(QString("http://env.example/v1"), QString("m-env"), QString("k-env"), 7, 5000));

  // A broken file is named when a call finds no key; the defaults stand.
  PlanoraTest::WriteAll(file, "{\"key\": ");
  c = TMCPAIClient::LoadConfig(file, QProcessEnvironment());
  EXPECT_TRUE(c.Key.isEmpty());
  EXPECT_EQ(c.TimeoutSeconds, TAIConfig().TimeoutSeconds);
  QString answer, error;
  EXPECT_FALSE(TMCPAIClient(c).Send({}, &answer, &error));
  EXPECT_TRUE(error.startsWith("no AI API key is configured")) << error.toStdString();
  EXPECT_TRUE(error.contains(file)) << error.toStdString();

  c.Key = "k";
  c.Url = "ftp://example/v1";
  EXPECT_FALSE(TMCPAIClient(c).Send({}, &answer, &error));
  EXPECT_TRUE(error.contains("is not an http or https address")) << error.toStdString();

  const QJsonObject m = TMCPAIClient::MakeUserImageMessage("look", "image/png", "QUJD");
  EXPECT_EQ(QJsonDocument(m).toJson(QJsonDocument::Compact),
            R"({"content":[{"text":"look","type":"text"},{"image_url":{"url":"data:image/png;base64,QUJD"},"type":"image_url"}],"role":"user"})");
}
