// Symbols placed on a page: where angle and scale put them in an exported bitmap, the same
// marks on screen and on paper, the factory's symbol rows and links that end on symbols.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.h"
#include "ORV.Flow.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using namespace Orv::Canvas;
using Orv::Symbol::TPLNLibSymbol;
using PlanoraTest::ColorAt;
using PlanoraTest::Px;

namespace {

constexpr TAlphaColor kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu;

TPLNLibSymbol* NewSymbol(TPLNBaseLabel& doc, const std::function<void(TPLNLibSymbol&)>& build, bool current = true) {
  auto s = std::make_unique<TPLNLibSymbol>();
  s->Name = QStringLiteral("part");
  build(*s);
  return static_cast<TPLNLibSymbol*>(doc.AddSymbol(std::move(s), current));
}

// A red bar 10 x 2 mm along +x from the insertion point, and a blue dot 1 mm right of it.
void Bar(TPLNLibSymbol& b) {
  b.Filled(true);
  b.BackColor(kRed);
  b.LineWidth(0);
  b.Rectangle(0, 0, 10, 2);
  b.BackColor(kBlue);
  b.Circle(12, 1, 0.8);
}

}  // namespace

TEST(SymbolPlace, AngleAndScaleTurnAndGrowTheDrawingInTheExport) {
  TPlanoraFMX doc;
  doc.SetMeasure(PlanoraTest::Paper(100000, 100000));
  TPLNLibSymbol* s = NewSymbol(doc, Bar);
  // Scale 2, a quarter turn clockwise: the bar runs down from (50, 30), 4 mm wide to its left;
  // the dot lies 24 mm below the insertion point.
  TPLNBaseItem* placed = TPLNFactory::AddSymbol(&doc, 50, 30);
  ASSERT_NE(placed, nullptr);
  auto* sym = static_cast<TPLNSymbol*>(placed);
  sym->SetScale(2);
  sym->SetAngleRad(M_PI / 2);
  // And an untouched copy at (10, 70) for reference.
  ASSERT_NE(TPLNFactory::AddSymbol(&doc, 10, 70), nullptr);
  ASSERT_EQ(sym->GetSymbol(), s);

  const QString path = PlanoraTest::TmpPath(QStringLiteral("symbols.png"));
  ASSERT_TRUE(PlanoraTest::Export(doc, TORVExport::PNG, path).isEmpty());
  const QImage img = QImage(path).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(img.isNull());
  EXPECT_TRUE(ColorAt(img, Px(48, 35), Qt::red));
  EXPECT_TRUE(ColorAt(img, Px(48, 48), Qt::red));
  EXPECT_TRUE(ColorAt(img, Px(48, 53.5), Qt::blue));
  EXPECT_TRUE(ColorAt(img, Px(51, 35), Qt::white)) << "right of the turned bar";
  EXPECT_TRUE(ColorAt(img, Px(55, 31), Qt::white)) << "where the bar would lie unturned";
  EXPECT_TRUE(ColorAt(img, Px(48, 52), Qt::white)) << "past the bar's scaled end";
  // The unscaled, unturned copy.
  EXPECT_TRUE(ColorAt(img, Px(15, 71), Qt::red));
  EXPECT_TRUE(ColorAt(img, Px(22, 71), Qt::blue));
  EXPECT_TRUE(ColorAt(img, Px(15, 73), Qt::white));
}

TEST(SymbolPlace, ScreenAndPaperDrawTheSameMarks) {
  PlanoraTest::RecordingContext c;
  c.d.OriginX = c.d.IOriginX = 30;
  c.d.OriginY = c.d.IOriginY = 40;
  c.d.DrawState = TORVDrawState::Export;
  TPLNLibSymbol* s = NewSymbol(c.doc, [](TPLNLibSymbol& b) {
    b.ForeColor(kBlue);
    b.BackColor(kRed);
    b.LineWidth(0.4);
    b.LineType(3);
    b.Line(0, 0, 5, 5);
    b.Filled(true);
    b.RoundCap(true);
    b.Circle(2, 2, 1);
    b.Ellipse(4, 1, 2, 1);
    b.Rectangle(0, 0, 6, 3, 0.5);
    b.Sector(1, 1, 3, 30, 100);
    b.Arc(0, 0, 2, 2, 4, 0);
    b.Bezier({0, 0, 1, 3, 3, 3, 4, 0}, true);
    b.Path(true);
    b.Line(0, 0, 3, 0);
    b.Arc(3, 0, 4, 1, 3, 2);
    b.Path(false);
  });
  TPLNSymbol* item = new TPLNSymbol(&c.doc, false);
  item->SetSymbol(s);
  item->AssignPoints({TORVPto{12000, 9000}});
  item->SetScale(1.7f);
  item->SetAngleRad(0.4);

  c.Redraw(item);
  std::vector<TRecordedOp> screen;
  for (const auto& op : c.canvas.Ops)
    if (op.Name.rfind("Draw", 0) == 0) screen.push_back(op);
  c.d.DrawState = TORVDrawState::Printing;
  c.Redraw(item, true);
  std::vector<TRecordedOp> paper;
  for (const auto& op : c.canvas.Ops)
    if (op.Name.rfind("P.Draw", 0) == 0 || op.Name.rfind("P.Fill", 0) == 0) paper.push_back(op);
  ASSERT_EQ(screen.size(), paper.size());
  ASSERT_GE(screen.size(), 12u);
  for (size_t i = 0; i < screen.size(); ++i) {
    SCOPED_TRACE("mark " + std::to_string(i));
    const TRecordedOp &a = screen[i], &b = paper[i];
    const bool fill = a.Paint.Style == TSkPaintStyle::Fill;
    ASSERT_EQ(fill, b.Name.rfind("P.Fill", 0) == 0);
    EXPECT_EQ(a.Paint.Color, fill ? b.Fill.Color : b.Stroke.Color);
    const QPainterPath pa = a.Matrix.map(a.Path), pb = b.Matrix.map(b.Path);
    const QRectF ra = pa.boundingRect(), rb = pb.boundingRect();
    EXPECT_NEAR(ra.left(), rb.left(), 0.01);
    EXPECT_NEAR(ra.top(), rb.top(), 0.01);
    EXPECT_NEAR(ra.right(), rb.right(), 0.01);
    EXPECT_NEAR(ra.bottom(), rb.bottom(), 0.01);
    for (int u = 0; u < 12; ++u)
      for (int v = 0; v < 12; ++v) {
        const QPointF p(ra.left() + ra.width() * (u + 0.37) / 12, ra.top() + ra.height() * (v + 0.41) / 12);
        EXPECT_EQ(pa.contains(p), pb.contains(p)) << p.x() << "," << p.y();
      }
    if (fill) continue;
    EXPECT_NEAR(a.Paint.StrokeWidth, b.Stroke.Thickness, 1e-4);
    EXPECT_EQ(int(a.Paint.StrokeCap), int(b.Stroke.Cap));
    EXPECT_EQ(int(a.Paint.StrokeJoin), int(b.Stroke.Join));
    const auto dash = PlanoraTest::Dash(a.Paint);
    const auto rel = b.Stroke.EffectiveDashArray();
    ASSERT_EQ(dash.size(), rel.size());
    for (size_t k = 0; k < dash.size(); ++k) EXPECT_NEAR(dash[k], rel[k] * b.Stroke.Thickness, 1e-3);
  }
}

TEST(SymbolPlace, ScreenPaperAndExportLookAlikeWithText) {
  TPlanoraFMX doc;
  doc.SetMeasure(PlanoraTest::Paper(60000, 40000));
  NewSymbol(doc, [](TPLNLibSymbol& b) {
    Bar(b);
    b.FontColor(kBlue);
    b.FontHeight(4);
    b.FontBold(true);
    b.FontUnderline(true);
    b.Text(0, -2, QStringLiteral("Hxy"), TORVHorzAlign::Left, TORVVertAlign::Bottom, 20);
  });
  auto* item = static_cast<TPLNSymbol*>(TPLNFactory::AddSymbol(&doc, 15, 25));
  ASSERT_NE(item, nullptr);
  item->SetAngleRad(0.3);
  const QString path = PlanoraTest::TmpPath(QStringLiteral("symbol-text.png"));
  ASSERT_TRUE(PlanoraTest::Export(doc, TORVExport::PNG, path).isEmpty());
  const QImage exported = QImage(path).convertToFormat(QImage::Format_ARGB32);
  ASSERT_FALSE(exported.isNull());
  const QImage screen = PlanoraTest::RenderItem(item, false, TORVDrawState::Export, exported.size());
  const QImage paper = PlanoraTest::RenderItem(item, true, TORVDrawState::Printing, exported.size());
  ASSERT_GT(PlanoraTest::Ink(screen), 0);
  // Text ink above the bar, in both renderings.
  EXPECT_TRUE(PlanoraTest::InkInRect(screen, QRect(Px(14, 14), Px(28, 23))));
  EXPECT_TRUE(PlanoraTest::InkInRect(paper, QRect(Px(14, 14), Px(28, 23))));
  // Pixel for pixel within the width of an anti-aliased edge: every dark pixel of one has ink
  // near it in the other.
  const auto covered = [](const QImage& a, const QImage& b) {
    int off = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x)
        if (qGray(a.pixel(x, y)) < 100 && !PlanoraTest::InkInRect(b, QRect(x - 2, y - 2, 5, 5))) ++off;
    return off;
  };
  EXPECT_EQ(covered(screen, paper), 0);
  EXPECT_EQ(covered(paper, screen), 0);
  EXPECT_EQ(covered(screen, exported), 0);
  EXPECT_EQ(covered(exported, screen), 0);
  EXPECT_NEAR(PlanoraTest::Ink(screen), PlanoraTest::Ink(paper), PlanoraTest::Ink(screen) * 0.08);
}

TEST(SymbolPlace, FactoryPlacesTheCurrentSymbolOnly) {
  TPlanoraFMX doc;
  // No current symbol: nothing is made.
  EXPECT_EQ(TPLNFactory::AddSymbol(&doc, 10, 10), nullptr);
  EXPECT_EQ(TPLNFactory::AddBaseSymbol(&doc, 10000, 10000), nullptr);
  EXPECT_EQ(doc.GetItemsCount(), 0);
  TPLNLibSymbol* first = NewSymbol(doc, Bar);
  TPLNLibSymbol* second = NewSymbol(doc, [](TPLNLibSymbol& b) { b.Line(0, 0, 1, 1); }, false);
  ASSERT_EQ(doc.GetCurrentSymbol(), first);

  doc.SetUnits(TORVUnits::cm);
  TPLNBaseItem* a = TPLNFactory::AddSymbol(&doc, 1.5f, 2);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->KindCode(), Kind::Symbol);
  EXPECT_NE(dynamic_cast<TPLNSymbol*>(a), nullptr);
  EXPECT_EQ(a->GetPoint(1), (TORVPto{15000, 20000}));
  EXPECT_EQ(static_cast<TPLNSymbol*>(a)->GetSymbol(), first);
  doc.SetCurrentSymbol(second);
  TPLNBaseItem* b = TPLNFactory::AddBaseSymbol(&doc, 3000, 4000);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->GetPoint(1), (TORVPto{3000, 4000}));
  EXPECT_EQ(static_cast<TPLNSymbol*>(b)->GetSymbol(), second);
  EXPECT_EQ(doc.GetItemsCount(), 2);
  EXPECT_EQ(doc.GetItem(2), b);
}

TEST(SymbolPlace, FactoryLoadsANamedSymbolFromALibrary) {
  const QString file = PlanoraTest::TmpPath(QStringLiteral("parts.lyp"));
  {
    Symbol::TPLNLibrary lib;
    TPLNLibSymbol* valve = lib.AddSymbol(QStringLiteral("Valve"), QStringLiteral("Pipes"), {}, TORVUnits::mm, 0, 0);
    valve->Circle(0, 0, 2);
    lib.SaveToFile(file);
  }
  TPlanoraFMX doc;
  EXPECT_EQ(TPLNFactory::AddSymbol(&doc, 5, 5, file, QStringLiteral("Pump")), nullptr);
  EXPECT_EQ(TPLNFactory::AddSymbol(&doc, 5, 5, PlanoraTest::TmpPath(QStringLiteral("none.lyp")), QStringLiteral("Valve")),
            nullptr);
  EXPECT_EQ(doc.GetItemsCount(), 0);
  EXPECT_EQ(doc.GetSymbolsCount(), 0);
  auto* item = static_cast<TPLNSymbol*>(TPLNFactory::AddSymbol(&doc, 5, 6, file, QStringLiteral("Valve")));
  ASSERT_NE(item, nullptr);
  ASSERT_NE(item->GetSymbol(), nullptr);
  EXPECT_EQ(item->GetSymbol()->Name, QStringLiteral("Valve"));
  EXPECT_EQ(doc.GetCurrentSymbol(), item->GetSymbol());
  EXPECT_EQ(item->GetPoint(1), (TORVPto{5000, 6000}));
}

TEST(SymbolPlace, LinksByNameEndOnTheSymbolsLinkPoints) {
  TPlanoraFMX doc;
  NewSymbol(doc, [](TPLNLibSymbol& b) {
    b.Rectangle(-2, -2, 2, 2);
    b.LinkPoint(-2, 0);
    b.LinkPoint(5, 0);
    b.LinkPoint(0, 2);
  });
  TPLNBaseItem* box = TPLNFactory::AddBaseRectangle(&doc, 2000, 2000, 10000, 8000);
  auto* sym = static_cast<TPLNSymbol*>(TPLNFactory::AddBaseSymbol(&doc, 50000, 30000));
  ASSERT_NE(sym, nullptr);
  sym->SetScale(2);
  sym->SetAngleRad(M_PI / 2);  // link point 2 (5, 0) mm: 10 mm below the insertion point
  const QString boxID = QString::number(box->GetID()), symID = QString::number(sym->GetID());

  EXPECT_TRUE(TPLNFactory::HasConnector(sym, 0));
  for (int k : {1, 2, 3, 51, 52, 53}) EXPECT_TRUE(TPLNFactory::HasConnector(sym, k)) << k;
  for (int k : {-1, 4, 50, 54, 16}) EXPECT_FALSE(TPLNFactory::HasConnector(sym, k)) << k;
  EXPECT_FALSE(TPLNFactory::HasConnector(box, 52)) << "the offset belongs to symbols";

  // A link point the symbol does not have: no link.
  EXPECT_EQ(TPLNFactory::AddLink(&doc, boxID, symID, 0, 4, F2d::TORVinkType::Direct), nullptr);
  EXPECT_EQ(doc.GetItemsCount(), 2);

  auto* link = dynamic_cast<F2d::TPLNBaseLink*>(TPLNFactory::AddLink(&doc, boxID, symID, 7, 2, F2d::TORVinkType::Direct));
  ASSERT_NE(link, nullptr);
  // A box keeps its own numbering.
  EXPECT_EQ(std::pair(int(link->GetFromIndex()), int(link->GetToIndex())), std::pair(7, 52));
  const auto end = [](const F2d::TPLNBaseLink* l) {
    F2d::TORVLinkGeom g;
    return l->Geometry(g) ? g.End : TORVPto{-1, -1};
  };
  EXPECT_EQ(end(link), (TORVPto{50000, 40000}));
  // The link follows the symbol.
  sym->Move(3000, -1000);
  EXPECT_EQ(end(link), (TORVPto{53000, 39000}));

  // The editor's link tool: the pointer near a link point finds it by its own number, and the
  // document's creation hook links to it.
  TORVink hit;
  ASSERT_TRUE(doc.SearchLink(53100, 38900, 500, hit, nullptr));
  EXPECT_EQ(doc.GetItem(hit.Item), sym);
  EXPECT_EQ(hit.Point, 2);
  auto* drawn = dynamic_cast<F2d::TPLNBaseLink*>(doc.AddBaseLink(box->GetID(), sym->GetID(), 0, hit.Point, 0));
  ASSERT_NE(drawn, nullptr);
  EXPECT_EQ(end(drawn), (TORVPto{53000, 39000}));

  // Both ends on symbols, the link choosing one end itself.
  auto* other = static_cast<TPLNSymbol*>(TPLNFactory::AddBaseSymbol(&doc, 90000, 30000));
  auto* both = dynamic_cast<F2d::TPLNBaseLink*>(
      TPLNFactory::AddLink(&doc, symID, QString::number(other->GetID()), 3, 0, F2d::TORVinkType::Direct));
  ASSERT_NE(both, nullptr);
  EXPECT_EQ(std::pair(int(both->GetFromIndex()), int(both->GetToIndex())), std::pair(53, 0));
}

TEST(SymbolPlace, ReadBackSymbolsDrawAsBefore) {
  TPlanoraFMX doc;
  NewSymbol(doc, Bar);
  auto* placed = static_cast<TPLNSymbol*>(TPLNFactory::AddSymbol(&doc, 20, 10));
  ASSERT_NE(placed, nullptr);
  placed->SetScale(1.5f);
  placed->SetAngleRad(0.7);
  const auto marks = [](TPLNBaseItem* item) {
    PlanoraTest::RecordingContext c;
    c.Redraw(item);
    std::vector<QPainterPath> out;
    for (const auto& op : c.canvas.Ops)
      if (op.Name == "DrawPath") out.push_back(op.Matrix.map(op.Path));
    return out;
  };
  const auto before = marks(placed);
  ASSERT_EQ(before.size(), 2u);
  const auto expectSame = [&](TPLNBaseItem* item) {
    ASSERT_NE(dynamic_cast<TPLNSymbol*>(item), nullptr);
    const auto after = marks(item);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].boundingRect(), before[i].boundingRect());
  };

  const QString file = PlanoraTest::TmpPath(QStringLiteral("symbols.json"));
  doc.SaveToFile(file, TORVExt::Json);
  TPlanoraFMX loaded;
  ASSERT_TRUE(loaded.LoadFromFile(file));
  ASSERT_EQ(loaded.GetItemsCount(), 1);
  expectSame(loaded.GetItem(1));

  // Undo brings a deleted symbol back from its record.
  doc.ClearUndo();
  doc.Select(placed);
  doc.DeleteSelection();
  ASSERT_EQ(doc.GetItemsCount(), 0);
  doc.Undo();
  ASSERT_EQ(doc.GetItemsCount(), 1);
  expectSame(doc.GetItem(1));
}
