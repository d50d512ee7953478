// Library symbols as a model: the builder's units and geometry, the definition forms (binary
// record, JSON), library files, and the placed symbol's mapping onto the page.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>
#include <memory>
#include <tuple>

#include "ORV.FMX.h"
#include "ORV.Symbol.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Symbol;
using Orv::Fmx::TPlanoraFMX;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Every command kind once, and two link points.
std::unique_ptr<TPLNLibSymbol> EveryKind() {
  auto s = std::make_unique<TPLNLibSymbol>();
  s->Name = QStringLiteral("valve");
  s->Category = QStringLiteral("HVAC");
  s->Note = QStringLiteral("two-way");
  s->LineWidth(0.35);
  s->Filled(true);
  s->RoundCap(true);
  s->ScalePen(true);
  s->ForeColor(0xFF112233u);
  s->BackColor(0x80445566u);
  s->LineType(3);
  s->FontColor(0xFF0000FFu);
  s->FontHeight(2.5);
  s->FontName(QStringLiteral("DejaVu Sans"));
  s->FontBold(true);
  s->FontItalic(true);
  s->FontUnderline(true);
  s->FontScale(0.8);
  s->Line(0, 0, 10, 0);
  s->Circle(5, 5, 2);
  s->Ellipse(5, 5, 3, 1.5);
  s->Rectangle(0, 0, 10, 10, 1);
  s->Polyline({0, 0, 1, 1, 2, 0});
  s->Polygon({0, 0, 4, 0, 2, 3});
  s->Arc(10, 0, 0, -10, -10, 0);
  s->Text(1, 2, QStringLiteral("V1\n\"quoted\""), TORVHorzAlign::Center, TORVVertAlign::Bottom, 30);
  s->Bezier({0, 0, 1, 2, 3, 2, 4, 0}, true);
  s->Path(true);
  s->Path(false);
  s->Sector(0, 0, 4, 45, -90);
  s->LinkPoint(-5, 0);
  s->LinkPoint(15, 0);
  return s;
}

QByteArray Bytes(const TPLNBaseLibSymbol& s) {
  QByteArray out;
  QBuffer b(&out);
  b.open(QIODevice::WriteOnly);
  TBinaryWriter w(&b);
  s.Write(w);
  return out;
}

std::unique_ptr<TPLNBaseLibSymbol> FromBytes(QByteArray bytes) {
  QBuffer b(&bytes);
  b.open(QIODevice::ReadOnly);
  TBinaryReader r(&b);
  auto s = TPLNBaseLibSymbol::Read(r, TPLNLibrary::kVersion);
  EXPECT_EQ(r.Remaining(), 0);
  return s;
}

void Near(const TORVPto& p, std::int64_t x, std::int64_t y, std::int64_t tol = 1) {
  EXPECT_NEAR(double(p.X), double(x), double(tol));
  EXPECT_NEAR(double(p.Y), double(y), double(tol));
}

using B4 = std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t>;
B4 Box(const TORVBounds& b) { return {b.X1, b.Y1, b.X2, b.Y2}; }
QJsonObject Obj(const QString& json) { return QJsonDocument::fromJson(json.toUtf8()).object(); }

}  // namespace

TEST(SymbolBuilder, UnitsAndInsertionPointGiveBaseUnitsFromTheInsertionPoint) {
  TPLNLibSymbol mm;
  mm.InsertX = 5;
  mm.InsertY = 2;
  mm.Line(5, 2, 15, 2);
  mm.Circle(5, 7, 2);
  mm.LineWidth(0.5);
  mm.LinkPoint(15, 2);
  ASSERT_EQ(mm.GetItemsCount(), 3);
  EXPECT_EQ(mm.GetItem(1).Points, (std::vector<TORVPto>{{0, 0}, {10000, 0}}));
  EXPECT_EQ(mm.GetItem(2).Points[0], TORVPto(0, 5000));
  EXPECT_EQ(mm.GetItem(2).Points[1].X, 2000);
  EXPECT_EQ(mm.GetItem(3).Kind, TSymKind::PenWidth);
  EXPECT_EQ(mm.GetItem(3).Value, 500);
  EXPECT_EQ(mm.GetLink(1), TORVPto(10000, 0));

  TPLNLibSymbol inch;
  inch.Units = TORVUnits::inch;
  inch.InsertX = 1;
  inch.Rectangle(0, 0, 2, 0.5, 0.1);
  inch.FontHeight(0.25);
  EXPECT_EQ(inch.GetItem(1).Points, (std::vector<TORVPto>{{-25400, 0}, {25400, 12700}}));
  EXPECT_EQ(inch.GetItem(1).Value, 2540);
  EXPECT_EQ(inch.GetItem(2).Value, 6350);

  TPLNLibSymbol cm;
  cm.Units = TORVUnits::cm;
  cm.Ellipse(1, 1, 2, 0.5);
  EXPECT_EQ(cm.GetItem(1).Points, (std::vector<TORVPto>{{10000, 10000}, {20000, 5000}}));

  // An odd count drops the last value; a polygon is a closed polyline.
  TPLNLibSymbol poly;
  poly.Polygon({0, 0, 1, 0, 1, 1, 9});
  ASSERT_EQ(poly.GetItemsCount(), 1);
  EXPECT_EQ(poly.GetItem(1).Kind, TSymKind::Polyline);
  EXPECT_TRUE(poly.GetItem(1).Flag);
  EXPECT_EQ(poly.GetItem(1).Points.size(), 3u);

  // Input that cannot be drawn is refused with a reason and adds nothing.
  const TPLNLibSymbol before = poly;
  EXPECT_THROW(poly.Polyline({1, 1}), EPLNError);
  EXPECT_THROW(poly.Bezier({0, 0, 1, 1, 2, 2}, false), EPLNError);
  EXPECT_THROW(poly.Line(0, 0, std::nan(""), 1), EPLNError);
  EXPECT_THROW(poly.Circle(0, 0, 1e20), EPLNError);
  EXPECT_THROW(poly.FontScale(0), EPLNError);
  EXPECT_THROW(poly.LinkPoint(INFINITY, 0), EPLNError);
  EXPECT_TRUE(poly == before);
}

TEST(SymbolBuilder, ArcThroughThreePoints) {
  // From the right through the top (y is down on the page) to the left: counter-clockwise.
  TPLNLibSymbol s;
  s.Arc(10, 0, 0, -10, -10, 0);
  ASSERT_EQ(s.GetItemsCount(), 1);
  const TPLNSymItem& up = s.GetItem(1);
  EXPECT_EQ(up.Kind, TSymKind::Arc);
  Near(up.Points[0], 0, 0);
  EXPECT_EQ(up.Points[1].X, 10000);
  EXPECT_NEAR(up.Start, 0, 1e-9);
  EXPECT_NEAR(up.Sweep, 180, 1e-9);
  EXPECT_EQ(Box(s.Bounds()), B4(-10000, -10000, 10000, 0));

  // Through the bottom instead: the same ends, turning clockwise.
  TPLNLibSymbol down;
  down.Arc(10, 0, 0, 10, -10, 0);
  EXPECT_NEAR(down.GetItem(1).Start, 0, 1e-9);
  EXPECT_NEAR(down.GetItem(1).Sweep, -180, 1e-9);
  EXPECT_EQ(Box(down.Bounds()), B4(-10000, 0, 10000, 10000));

  // A quarter off centre, with an insertion point: centre (20, 10) mm, radius 5 mm, from the
  // top (90 degrees) over the left to the bottom (270 degrees).
  TPLNLibSymbol off;
  off.InsertX = 10;
  off.Arc(20, 5, 15, 10, 20, 15);
  const TPLNSymItem& q = off.GetItem(1);
  Near(q.Points[0], 10000, 10000);
  EXPECT_EQ(q.Points[1].X, 5000);
  EXPECT_NEAR(q.Start, 90, 1e-6);
  EXPECT_NEAR(q.Sweep, 180, 1e-6);

  // A short arc that does not reach an axis keeps to its ends.
  TPLNLibSymbol small;
  const double c = 10 * std::cos(kPi / 6), sn = 10 * std::sin(kPi / 6);
  small.Arc(c, -sn, 10 * std::cos(kPi / 4), -10 * std::sin(kPi / 4), sn, -c);
  // The points are whole micrometres: a 10 mm radius puts the angles within a hundredth of a degree.
  EXPECT_NEAR(small.GetItem(1).Start, 30, 0.01);
  EXPECT_NEAR(small.GetItem(1).Sweep, 30, 0.02);
  EXPECT_NEAR(double(small.Bounds().Y1), -c * 1000, 1.0);
  EXPECT_NEAR(double(small.Bounds().X2), c * 1000, 1.0);

  // Three points in line: a line from the first to the last.
  TPLNLibSymbol straight;
  straight.Arc(0, 0, 5, 5, 10, 10);
  ASSERT_EQ(straight.GetItemsCount(), 1);
  EXPECT_EQ(straight.GetItem(1).Kind, TSymKind::Line);
  EXPECT_EQ(straight.GetItem(1).Points, (std::vector<TORVPto>{{0, 0}, {10000, 10000}}));

  // Out and back: the whole circle over the two points.
  TPLNLibSymbol round;
  round.Arc(0, 0, 10, 0, 0, 0);
  EXPECT_EQ(round.GetItem(1).Kind, TSymKind::Arc);
  Near(round.GetItem(1).Points[0], 5000, 0);
  EXPECT_EQ(round.GetItem(1).Sweep, 360);
}

TEST(SymbolBuilder, BoundsCoverGeometryAndLinkPoints) {
  TPLNLibSymbol s;
  EXPECT_TRUE(s.Bounds().IsEmpty());
  s.ForeColor(kBlack);
  EXPECT_TRUE(s.Bounds().IsEmpty());
  s.Circle(0, 0, 3);
  s.Line(2, 1, 8, 2);
  s.LinkPoint(0, -6);
  EXPECT_EQ(Box(s.Bounds()), B4(-3000, -6000, 8000, 3000));
  // A sector includes its centre; a right-aligned text lies left of its anchor.
  TPLNLibSymbol t;
  t.Sector(0, 0, 10, 10, 20);
  EXPECT_EQ(t.Bounds().X1, 0);
  EXPECT_EQ(t.Bounds().Y2, 0);
  t.FontHeight(4);
  t.Text(50, 0, QStringLiteral("abcd"), TORVHorzAlign::Right, TORVVertAlign::Top);
  EXPECT_LT(t.Bounds().X2, 50001);
  EXPECT_GT(t.Bounds().X2, 49999);
  EXPECT_EQ(t.Bounds().Y2, 4000);
}

TEST(SymbolDefinition, JsonRoundTripOfEveryKindAndRefusals) {
  const auto s = EveryKind();
  std::vector<bool> seen(kSymKindCount);
  for (const TPLNSymItem& it : s->Items()) seen[static_cast<int>(it.Kind)] = true;
  for (int k = 0; k < kSymKindCount; ++k) EXPECT_TRUE(seen[k]) << "kind " << k << " not built";

  // Through text, as a file or the definition editor hands it over.
  const QByteArray text = QJsonDocument(s->ToJson()).toJson();
  const QJsonObject o = QJsonDocument::fromJson(text).object();
  EXPECT_EQ(o.value("ID").toString(), s->Guid);
  TPLNLibSymbol back;
  ASSERT_EQ(back.ReadJson(o), QString());
  EXPECT_TRUE(back == *s);

  // The template of a new definition: an empty symbol in millimetres.
  TPLNLibSymbol empty;
  const QString guid = QStringLiteral("{0F8FAD5B-D9CB-469F-A165-70867728950E}");
  ASSERT_EQ(empty.ReadJson(Obj(QStringLiteral(R"({"Version":1,"Name":"","Category":"","ID":"%1","Units":"mm",)"
                                              R"("InsertX":0,"InsertY":0,"Def":[]})").arg(guid))),
            QString());
  EXPECT_EQ(empty.Guid, guid.toLower());
  EXPECT_EQ(empty.GetItemsCount(), 0);

  // Hand-written commands by name, units by their long name.
  TPLNLibSymbol hand;
  ASSERT_EQ(hand.ReadJson(Obj(R"({"Units":"inch","Def":[{"Kind":"line","Points":[[0,0],[100,0]]},
      {"Kind":"Text","Points":[[1,2]],"Text":"x","HAlign":"right"}]})")), QString());
  EXPECT_EQ(hand.Units, TORVUnits::inch);
  EXPECT_EQ(hand.GetItem(2).HAlign, TORVHorzAlign::Right);

  // Each malformed definition names what is wrong and leaves the symbol as it was.
  const struct {
    const char* json;
    const char* says;
  } bad[] = {
      {R"({"Def":[{"Kind":"Spiral","Points":[[0,0]]}]})", "Spiral"},
      {R"({"Def":[{"Kind":"Line","Points":[[0,0]]}]})", "2 points"},
      {R"({"Def":[{"Kind":"Line","Points":[[0,0],["a",0]]}]})", "Points"},
      {R"({"Def":[{"Kind":"Circle","Points":[[0,0],[-5,-5]]}]})", "negative radius"},
      {R"({"Def":[{"Kind":"Bezier","Points":[[0,0],[1,1],[2,2]]}]})", "Bezier"},
      {R"({"Def":[{"Kind":"PenWidth","Value":-1}]})", "PenWidth"},
      {R"({"Def":[{"Kind":"Fill","Value":3}]})", "Value"},
      {R"({"Def":[{"Kind":"FColor","Color":"red"}]})", "Color"},
      {R"({"Def":[{"Kind":"Text","Points":[[0,0]],"VAlign":"middle-ish"}]})", "VAlign"},
      {R"({"Def":[7]})", "command 1"},
      {R"({"Def":{}})", "Def"},
      {R"({"ID":"not-a-guid"})", "GUID"},
      {R"({"Units":"furlong"})", "furlong"},
      {R"({"Version":2})", "newer"},
      {R"({"Links":[[0]]})", "Links"},
      {R"({"Def":[{"Kind":"Line","Points":[[0,0],[5000000000000000,0]]}]})", "range"},
  };
  for (const auto& b : bad) {
    SCOPED_TRACE(b.json);
    auto target = EveryKind();
    const TPLNLibSymbol keep = *target;
    const QJsonDocument doc = QJsonDocument::fromJson(b.json);
    ASSERT_TRUE(doc.isObject());
    const QString why = target->ReadJson(doc.object());
    EXPECT_TRUE(why.contains(QLatin1String(b.says))) << why.toStdString();
    EXPECT_TRUE(*target == keep);
  }
}

TEST(SymbolDefinition, BinaryRecordRoundTripAndDamage) {
  const auto s = EveryKind();
  const QByteArray bytes = Bytes(*s);
  const auto back = FromBytes(bytes);
  ASSERT_TRUE(back);
  EXPECT_TRUE(*back == *s);
  EXPECT_EQ(Box(back->Bounds()), Box(s->Bounds()));  // measured anew, not a stale cache

  // Every cut of the record is refused, never read in part.
  for (qsizetype n = 0; n < bytes.size(); ++n) {
    QByteArray cut = bytes.left(n);
    QBuffer b(&cut);
    b.open(QIODevice::ReadOnly);
    TBinaryReader r(&b);
    EXPECT_THROW(TPLNBaseLibSymbol::Read(r, 1), EPLNError) << "cut at " << n;
  }
  // A command kind beyond the known ones, or a kind whose points do not fit.
  TPLNLibSymbol one;
  one.Name = QStringLiteral("x");
  one.Line(0, 0, 1, 1);
  QByteArray oneBytes = Bytes(one);
  // Header: four strings, units, two doubles, a flag, the command count; then the kind byte.
  const qsizetype kindAt = 2 + 1 + 1 + 39 + 1 + 16 + 1 + 4;
  ASSERT_EQ(oneBytes.at(kindAt), char(TSymKind::Line));
  oneBytes[kindAt] = char(kSymKindCount);
  EXPECT_THROW(FromBytes(oneBytes), EPLNError);
  oneBytes[kindAt] = char(TSymKind::Circle);
  auto circle = FromBytes(oneBytes);  // a circle's radius (1, 1) is as valid as a line's end
  EXPECT_EQ(circle->GetItem(1).Kind, TSymKind::Circle);
  oneBytes[kindAt] = char(TSymKind::Text);  // a text needs one point, not two
  EXPECT_THROW(FromBytes(oneBytes), EPLNError);
}

TEST(SymbolLibrary, FileRoundTripAndRefusedFilesLeaveTheLibraryAlone) {
  const QString path = PlanoraTest::TmpPath("parts.lyp");
  QFile::remove(path);
  TPLNLibrary lib;
  TPLNLibSymbol* a = lib.AddSymbol("Pump", "HVAC", "", TORVUnits::mm, 0, 0);
  a->Circle(0, 0, 5);
  a->LinkPoint(-5, 0);
  TPLNLibSymbol* b = lib.AddSymbol("Door", "Building", "90 degrees", TORVUnits::cm, 1, 1);
  b->Arc(0, 0, 1, 1, 2, 0);
  lib.Symbols.push_back(EveryKind());
  lib.SaveToFile(path);

  TPLNLibrary read;
  read.LoadFromFile(path);
  ASSERT_EQ(read.Symbols.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(*read.Symbols[i] == *lib.Symbols[i]) << i;
  EXPECT_EQ(read.FindByName("pump"), read.Symbols[0].get());
  EXPECT_EQ(read.FindByGuid(b->Guid.mid(1, 36).toUpper()), read.Symbols[1].get());
  EXPECT_EQ(read.FindByGuid("{00000000-0000-0000-0000-000000000001}"), nullptr);
  EXPECT_EQ(read.Categories(), (QStringList{"Building", "HVAC"}));

  // A category filter saves that category only.
  const QString hvacPath = PlanoraTest::TmpPath("hvac.lyp");
  lib.CategoryFilter = "hvac";
  lib.SaveToFile(hvacPath);
  lib.CategoryFilter = "*";
  TPLNLibrary hvac;
  hvac.LoadFromFile(hvacPath);
  ASSERT_EQ(hvac.Symbols.size(), 2u);
  EXPECT_EQ(hvac.Symbols[0]->Name, "Pump");

  const QByteArray good = PlanoraTest::ReadAll(path);
  auto refused = [&](const QString& file, const char* says) {
    SCOPED_TRACE(says);
    try {
      read.LoadFromFile(file);
      ADD_FAILURE() << "read " << file.toStdString();
    } catch (const EPLNError& e) {
      EXPECT_TRUE(e.Message().contains(QFileInfo(file).fileName())) << e.what();
      EXPECT_TRUE(e.Message().contains(QLatin1String(says))) << e.what();
    }
    ASSERT_EQ(read.Symbols.size(), 3u);
    EXPECT_TRUE(*read.Symbols[2] == *lib.Symbols[2]);
  };
  refused(PlanoraTest::TmpPath("missing.lyp"), "does not exist");
  const QString bad = PlanoraTest::TmpPath("bad.lyp");
  for (const qsizetype n : {qsizetype(3), qsizetype(12), good.size() / 2, good.size() - 1}) {
    PlanoraTest::WriteAll(bad, good.left(n));
    refused(bad, "damaged");
  }
  PlanoraTest::WriteAll(bad, good + "x");
  refused(bad, "unexpected bytes");
  PlanoraTest::WriteAll(bad, QByteArray("\x89PNG\r\n\x1a\n0000000000000000", 24));
  refused(bad, "not a symbol library");
  PlanoraTest::WriteAll(bad, QByteArray());
  refused(bad, "not a symbol library");
  QByteArray newer = good;
  newer[6] = char(TPLNLibrary::kVersion + 1);
  PlanoraTest::WriteAll(bad, newer);
  refused(bad, "newer version");

  // A save that cannot complete keeps the old file whole.
  lib.Symbols.push_back(EveryKind());
  PlanoraTest::WithFileSizeLimit(200, [&] { EXPECT_THROW(lib.SaveToFile(path), EPLNError); });
  EXPECT_EQ(PlanoraTest::ReadAll(path), good);
  EXPECT_THROW(lib.SaveToFile(PlanoraTest::TmpPath("no/such/folder/x.lyp")), EPLNError);
}

TEST(SymbolDocument, AddSymbolReplacesByGuidInPlaceAndLoadsFromLibraries) {
  TPlanoraFMX doc;
  auto first = std::make_unique<TPLNLibSymbol>();
  first->Rectangle(0, 0, 10, 10);
  first->Guid = first->Guid.toUpper().mid(1, 36);  // taken in its usual braced lower-case form
  const QString guid = NormalizeGuid(first->Guid);
  TPLNBaseLibSymbol* held = doc.AddSymbol(std::move(first), true);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->Guid, guid);
  EXPECT_EQ(doc.GetCurrentSymbol(), held);
  EXPECT_EQ(doc.FindSymbol(guid.toUpper()), held);

  auto* item = new TPLNBaseSymbol(&doc, false);
  item->AssignPoints({{100000, 100000}});
  item->SetSymbol(held);
  EXPECT_EQ(item->GetBounds().X2, 110000 + 125);
  std::vector<int> hits;
  doc.ItemsIn({150000, 100000, 160000, 101000}, hits);
  EXPECT_TRUE(hits.empty());

  // Same GUID, new drawing: the same object changes, and the item shows the new extent at once.
  auto wider = std::make_unique<TPLNLibSymbol>();
  wider->Guid = guid;
  wider->Name = QStringLiteral("wide");
  wider->Rectangle(0, 0, 60, 10);
  EXPECT_EQ(doc.AddSymbol(std::move(wider), false), held);
  EXPECT_EQ(doc.GetSymbolsCount(), 1);
  EXPECT_EQ(held->Name, "wide");
  EXPECT_EQ(doc.GetCurrentSymbol(), held);
  EXPECT_EQ(item->GetBounds().X2, 160000 + 125);
  doc.ItemsIn({150000, 100000, 160000, 101000}, hits);
  EXPECT_EQ(hits, std::vector<int>{1});

  // Another GUID is another symbol; clearing the items keeps the symbols.
  auto other = std::make_unique<TPLNLibSymbol>();
  other->Guid = QStringLiteral("no guid at all");
  TPLNBaseLibSymbol* second = doc.AddSymbol(std::move(other), false);
  EXPECT_EQ(doc.GetSymbolsCount(), 2);
  EXPECT_FALSE(NormalizeGuid(second->Guid).isEmpty());
  doc.ClearItems();
  EXPECT_EQ(doc.GetSymbolsCount(), 2);
  EXPECT_EQ(doc.GetCurrentSymbol(), held);

  // From a library file: by name (no case) and by GUID (any spelling).
  const QString path = PlanoraTest::TmpPath("load.lyp");
  TPLNLibrary lib;
  TPLNLibSymbol* pump = lib.AddSymbol("Pump", "", "", TORVUnits::mm, 0, 0);
  pump->Circle(0, 0, 4);
  TPLNLibSymbol* fan = lib.AddSymbol("Fan", "", "", TORVUnits::mm, 0, 0);
  fan->Line(0, 0, 1, 1);
  lib.SaveToFile(path);
  ASSERT_TRUE(doc.LoadSymbolByName(path, "PUMP"));
  EXPECT_EQ(doc.GetSymbolsCount(), 3);
  ASSERT_NE(doc.GetCurrentSymbol(), nullptr);
  EXPECT_TRUE(*doc.GetCurrentSymbol() == *pump);
  ASSERT_TRUE(doc.LoadSymbolByGuid(path, fan->Guid.toUpper()));
  EXPECT_EQ(doc.GetCurrentSymbol()->Name, "Fan");
  // Loading the same symbol again replaces it rather than adding a second.
  ASSERT_TRUE(doc.LoadSymbolByName(path, "pump"));
  EXPECT_EQ(doc.GetSymbolsCount(), 4);
  EXPECT_EQ(doc.GetCurrentSymbol()->Name, "Pump");

  TPLNBaseLibSymbol* current = doc.GetCurrentSymbol();
  EXPECT_FALSE(doc.LoadSymbolByName(path, "Boiler"));
  EXPECT_FALSE(doc.LoadSymbolByGuid(path, "{00000000-0000-0000-0000-000000000001}"));
  EXPECT_THROW(doc.LoadSymbolByName(PlanoraTest::TmpPath("none.lyp"), "Pump"), EPLNError);
  EXPECT_EQ(doc.GetSymbolsCount(), 4);
  EXPECT_EQ(doc.GetCurrentSymbol(), current);
}

TEST(SymbolItem, PlacementMapsLinkPointsBoundsAndEdits) {
  TPlanoraFMX doc;
  auto def = std::make_unique<TPLNLibSymbol>();
  def->Rectangle(0, -2, 10, 2);
  def->LinkPoint(10, 0);
  def->LinkPoint(0, 2);
  TPLNBaseLibSymbol* sym = doc.AddSymbol(std::move(def), true);
  auto* item = new TPLNBaseSymbol(&doc, false);
  item->AssignPoints({{100000, 50000}});
  item->SetSymbol(sym);
  item->SetPenWidth(0);
  item->SetScale(2);
  item->SetAngleRad(kPi / 2);  // a quarter turn clockwise on the page: +x points down
  EXPECT_NEAR(item->GetAngleDeg(), 90, 1e-9);

  EXPECT_EQ(item->LinkPointCount(), 2);
  TORVPto p;
  ASSERT_TRUE(item->LinkPoint(1, {}, p));
  Near(p, 100000, 70000);
  TORVPto q;
  ASSERT_TRUE(item->LinkPoint(51, {}, q));
  EXPECT_EQ(p, q);
  ASSERT_TRUE(item->LinkPoint(52, {}, p));
  Near(p, 96000, 50000);
  EXPECT_TRUE(item->HasLinkPoint(2) && item->HasLinkPoint(52));
  EXPECT_FALSE(item->HasLinkPoint(3) || item->HasLinkPoint(53));
  EXPECT_FALSE(item->LinkPoint(53, {}, p));
  // Index 0: the link point nearest the other end.
  ASSERT_TRUE(item->LinkPoint(0, {0, 50000}, p));
  Near(p, 96000, 50000);
  ASSERT_TRUE(item->LinkPoint(0, {100000, 200000}, p));
  Near(p, 100000, 70000);

  // The box of the turned, scaled rectangle: 8 wide, 20 high below the point.
  EXPECT_EQ(Box(item->GetBounds()), B4(96000, 50000, 104000, 70000));
  EXPECT_TRUE(item->Pick(100000, 60000, 0));
  EXPECT_FALSE(item->Pick(110000, 60000, 1000));

  // A quarter turn counter-clockwise takes it back to 0 degrees; the right turn is the inverse.
  item->RotateLeft();
  EXPECT_NEAR(item->GetAngleDeg(), 0, 1e-9);
  item->RotateLeft();
  EXPECT_NEAR(item->GetAngleDeg(), 270, 1e-9);
  item->RotateRight();
  item->RotateRight();
  EXPECT_NEAR(item->GetAngleDeg(), 90, 1e-9);

  // Turning about another centre moves the insertion point and adds to the angle.
  item->Rotate(0, 50000, kPi);
  Near(item->GetPoint(1), -100000, 50000);
  EXPECT_NEAR(item->GetAngleDeg(), 270, 1e-9);

  // Resizing keeps proportions: the smaller ratio scales, the point follows the box.
  item->Resize({-100000, 0, 0, 100000}, {0, 0, 300000, 50000});
  EXPECT_FLOAT_EQ(item->GetScale(), 1.0f);
  Near(item->GetPoint(1), 0, 25000);

  // Scale and angle refuse nonsense.
  item->SetScale(0);
  item->SetScale(-2);
  EXPECT_FLOAT_EQ(item->GetScale(), 1.0f);

  // Without a symbol: a small box, no link points.
  auto* bare = new TPLNBaseSymbol(&doc, false);
  bare->AssignPoints({{5000, 5000}});
  EXPECT_EQ(bare->LinkPointCount(), 0);
  EXPECT_FALSE(bare->LinkPoint(0, {}, p));
  EXPECT_FALSE(bare->GetBounds().IsEmpty());
  EXPECT_TRUE(bare->Pick(5000, 5000, 0));
}

TEST(SymbolItem, RecordsKeepScaleAngleAndSymbol) {
  TPlanoraFMX doc;
  auto def = std::make_unique<TPLNLibSymbol>();
  def->Circle(0, 0, 3);
  TPLNBaseLibSymbol* sym = doc.AddSymbol(std::move(def), true);
  auto* item = new TPLNBaseSymbol(&doc, false);
  item->AssignPoints({{7000, -3000}});
  item->SetSymbol(sym);
  item->SetScale(1.5f);
  item->SetAngleRad(kPi / 6);

  QByteArray bytes = PlanoraTest::Record(*item);
  auto* copy = new TPLNBaseSymbol(&doc, false);
  {
    QBuffer b(&bytes);
    b.open(QIODevice::ReadOnly);
    TBinaryReader r(&b);
    copy->ReadData(kFileVersion, r, TORVReadType::File);
    EXPECT_EQ(r.Remaining(), 0);
  }
  EXPECT_EQ(copy->GetPoint(1), item->GetPoint(1));
  EXPECT_EQ(copy->GetScale(), 1.5f);
  EXPECT_EQ(copy->GetAngleRad(), item->GetAngleRad());
  EXPECT_EQ(copy->GetSymbol(), sym);

  const QJsonObject o = item->ToJson();
  EXPECT_EQ(o.value("Type").toInt(), Kind::Symbol);
  EXPECT_NEAR(o.value("Angle").toDouble(), 30, 1e-9);
  EXPECT_NEAR(o.value("Scale").toDouble(), 1.5, 1e-9);
  EXPECT_EQ(o.value("Symbol").toString(), sym->Guid);
  auto* fromJson = new TPLNBaseSymbol(&doc, false);
  fromJson->ReadJson(kFileVersion, o);
  EXPECT_NEAR(fromJson->GetAngleRad(), kPi / 6, 1e-12);
  EXPECT_EQ(fromJson->GetScale(), 1.5f);
  EXPECT_EQ(fromJson->GetSymbol(), sym);

  // Damaged records: a scale of 0, a reference that is no GUID.
  QJsonObject zero = o;
  zero.insert("Scale", 0);
  EXPECT_THROW(fromJson->ReadJson(kFileVersion, zero), EPLNError);
  QJsonObject junk = o;
  junk.insert("Symbol", "pump");
  EXPECT_THROW(fromJson->ReadJson(kFileVersion, junk), EPLNError);
  QByteArray badScale = bytes;
  const qsizetype scaleAt = bytes.size() - 4 - 8 - 1 - 38;
  float zeroScale = 0;
  badScale.replace(scaleAt, 4, reinterpret_cast<const char*>(&zeroScale), 4);
  EXPECT_FALSE(PlanoraTest::ReadInto(*copy, badScale).isEmpty());
}
