// Package drawings: the isometric fit, the flat part's proportions and holes, the part notation,
// both file formats, what screen and paper show, and the add_package tool.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <cmath>

#include "../mcp/ToolsFixture.h"
#include "ORV.FMX.Items.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.Canvas.Recording.h"
#include "PlanoraTestSupport.h"

using namespace Orv;
using namespace Orv::Fmx;
using F2d::TORVPackageValues;

TEST(Package, GeometryFitsTheFrameAndKeepsProportions) {
  // The part's proportions, as large as fit, centred.
  EXPECT_EQ(F2d::CenteredRect(200, 100, QRectF(0, 0, 100, 100)), QRectF(0, 25, 100, 50));
  EXPECT_EQ(F2d::CenteredRect(1, 2, QRectF(10, 0, 100, 100)), QRectF(35, 0, 50, 100));
  EXPECT_TRUE(F2d::CenteredRect(0, 2, QRectF(0, 0, 10, 10)).isEmpty());
  // A slot's straight part: the segment widened by half the width each side.
  const QPolygonF slot = F2d::CalculateSlotPolygon({0, 0}, {10, 0}, 4);
  EXPECT_EQ(slot.boundingRect(), QRectF(0, -2, 10, 4));

  // The box fits the content rectangle and touches it on the limiting side; the corner on the
  // top face's far end is the highest, the near bottom corner the lowest.
  const QRectF r(10, 20, 300, 200);
  for (auto [w, l, h] : {std::tuple{300.0, 200.0, 150.0}, {1000.0, 10.0, 5.0}, {10.0, 10.0, 400.0}}) {
    const F2d::TBoxProjection b = F2d::ProjectBox(w, l, h, r);
    const QRectF extent = QPolygonF(QList<QPointF>(b.Corner.begin(), b.Corner.end())).boundingRect();
    EXPECT_TRUE(r.adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(extent)) << w << " " << l << " " << h;
    EXPECT_TRUE(std::abs(extent.width() - r.width()) < 1e-6 || std::abs(extent.height() - r.height()) < 1e-6);
    EXPECT_NEAR(extent.center().x(), r.center().x(), 1e-6);
    EXPECT_NEAR(b.Corner[3].y(), extent.top(), 1e-6);
    EXPECT_NEAR(b.Corner[4].y(), extent.bottom(), 1e-6);
  }
}

TEST(Package, PartNotationIsReadWholeOrNotAtAll) {
  TPLNBaseLabel doc;
  auto* p = PlanoraTest::MakeItem<TPLNPackage>(doc, {{0, 0}, {40000, 30000}});
  p->SetData("w=120; L = 80\nH=0; D=10,10,6; d=110,70,6; S=30,40,90,40,8");
  EXPECT_FLOAT_EQ(p->SizeWidth(), 120);
  EXPECT_FLOAT_EQ(p->SizeLength(), 80);
  EXPECT_FLOAT_EQ(p->SizeHeight(), 0);
  ASSERT_EQ(p->GetNumDrills(), 2);
  EXPECT_EQ(p->GetDrillPoint(1), (F2d::TORVDrill{110, 70, 6}));
  ASSERT_EQ(p->GetNumSlots(), 1);
  EXPECT_EQ(p->GetData(), "W=120; L=80; H=0; D=10,10,6; D=110,70,6; S=30,40,90,40,8");
  const TORVPackageValues kept = p->Values();
  for (const char* bad : {"W=0", "W=abc", "D=1,2", "D=1,2,0", "S=1,2,3,4,-1", "X=5", "W", "H=-3", "W=1e12"}) {
    EXPECT_THROW(p->SetData(QString::fromLatin1(bad)), EPLNError) << bad;
    EXPECT_EQ(p->Values(), kept) << bad;
  }
  // Sizes alone keep the holes.
  p->SetData("W=100");
  EXPECT_EQ(p->GetNumDrills(), 2);
  EXPECT_EQ(p->SizeText(12.345), "12");
  p->SetFormat("0.00");
  EXPECT_EQ(p->SizeText(12.345), "12.35");
}

TEST(Package, BothFormatsKeepEveryValueAndRefuseBadRecords) {
  TPlanoraFMX doc;
  auto* p = static_cast<TPLNPackage*>(TPLNFactory::AddBasePackage(&doc, 1000, 2000, 60000, 40000));
  p->SetData("W=120.5; L=80; H=0; D=10,10,6; S=30,40,90,40,8");
  p->SetStyle(5);
  p->SetBoxColor(0xFF112233u);
  p->SetFormat("0.0");
  p->SetFontColor(0xFF445566u);
  p->SetBaseFontHeights(2500, 3500);
  p->SetNames("B", "T", "H ✓");
  p->SetBaseRadio(1500);
  const TORVPackageValues values = p->Values();
  ASSERT_NE(values, TORVPackageValues());
  for (const char* name : {"pack.eti", "pack.json"}) {
    SCOPED_TRACE(name);
    const QString path = PlanoraTest::TmpPath(QString::fromLatin1(name));
    doc.SaveToFile(path, QString::fromLatin1(name).endsWith("json") ? TORVExt::Json : TORVExt::Eti);
    TPlanoraFMX reread;
    ASSERT_TRUE(reread.LoadFromFile(path));
    auto* back = dynamic_cast<TPLNPackage*>(reread.GetItem(1));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Values(), values);
    EXPECT_EQ(back->Points(), p->Points());
  }
  TPLNBaseLabel other;
  auto* target = PlanoraTest::MakeItem<TPLNPackage>(other, {{0, 0}, {1000, 1000}});
  const TORVPackageValues kept = target->Values();
  const QJsonObject o = p->ToJson();
  for (const auto& [key, value] : std::vector<std::pair<const char*, QJsonValue>>{
           {"SizeWidth", 0}, {"SizeHeight", -1}, {"Style", 6}, {"FontHeightBox", 0}, {"Radius", -5},
           {"Holes", "D=1,2"}, {"Holes", "Q=1"}}) {
    QJsonObject rec = o;
    rec.insert(QLatin1String(key), value);
    try {
      target->ReadJson(kFileVersion, rec);
      ADD_FAILURE() << key << " was read";
    } catch (const EPLNError&) {
    }
    EXPECT_EQ(target->Values(), kept) << key;
  }
}

TEST(Package, ScreenAndPaperDrawTheSameShapes) {
  TPLNBaseLabel doc;
  auto* p = PlanoraTest::MakeItem<TPLNPackage>(doc, {{0, 0}, {100000, 60000}});
  p->SetBoxColor(0xFFC8A165u);
  for (std::uint8_t style : {0, 2, 3}) {
    SCOPED_TRACE(int(style));
    p->SetStyle(style);
    for (bool paper : {false, true}) {
      const QImage img = PlanoraTest::RenderItem(p, paper, TORVDrawState::Export, {420, 260});
      // The carton's colour: a wire frame's edges are thin lines of it, solid faces large areas.
      int tan = 0;
      for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
          if (const QRgb v = img.pixel(x, y); qRed(v) - qBlue(v) > 20) ++tan;  // warm: carton, faint or full
      EXPECT_GT(tan, style == 0 ? 50 : 10000) << (paper ? "paper" : "screen");
      if (style == 0) {
        EXPECT_LT(tan, 3000);
      }
      // Solid faces show the carton colour in the box's middle; a wire frame leaves it white.
      const QPointF mid = style == 3 ? QPointF(35 + 65 * 0.5, 30) : QPointF(50, 30);
      const bool solid = style != 0;
      EXPECT_EQ(PlanoraTest::ColorAt(img, PlanoraTest::Px(mid.x(), mid.y()), QColor(0xC8, 0xA1, 0x65)), solid)
          << (paper ? "paper" : "screen");
    }
  }
  // A flat part with holes: the hole circles stroke where the notation puts them, from the
  // bottom-left corner of the part.
  p->SetStyle(4);
  p->SetData("W=100; L=50; H=0; D=25,25,10");
  PlanoraTest::RecordingContext c;
  c.Redraw(p);
  const QRectF r = p->Layout(c.d, QRectF(0, 0, 1000, 600)).Content;
  const QRectF part = F2d::CenteredRect(100, 50, r);
  bool found = false;
  for (const Canvas::TRecordedOp& op : c.canvas.Ops)
    if (op.Name == "DrawPath" && op.Paint.Style == Canvas::TSkPaintStyle::Stroke) {
      const QRectF b = op.Matrix.map(op.Path).boundingRect();
      if (std::abs(b.width() - part.width() * 0.1) < 0.5 && std::abs(b.center().x() - (part.left() + part.width() / 4)) < 0.5 &&
          std::abs(b.center().y() - (part.bottom() - part.height() / 2)) < 0.5)
        found = true;
    }
  EXPECT_TRUE(found);
}

TEST(Package, ToolAddsThePackageWithItsOptions) {
  PlanoraTest::TTools t;
  const QStringList names = t.server.ToolNames();
  EXPECT_EQ(names.indexOf("add_package"), names.indexOf("add_nutriscore") + 1);
  EXPECT_EQ(t.Ok("add_package", {{"x", 10}, {"y", 10}}), "Package added: id=1 at (10.0, 10.0) box 300.0 x 200.0 x 150.0");
  EXPECT_EQ(t.Ok("add_package", {{"x", 0}, {"y", 0}, {"width", 80}, {"height", 50}, {"style", "part_drill_dim"},
                                 {"data", "W=200; L=100; H=0; D=20,20,8"}, {"box_color", "#00ff00"}, {"radio", 2}}),
            "Package added: id=2 at (0.0, 0.0) box 200.0 x 100.0 x 0.0");
  auto* p = dynamic_cast<TPLNPackage*>(t.Last());
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Style(), 5);
  EXPECT_EQ(p->GetNumDrills(), 1);
  EXPECT_EQ(p->BoxColor(), 0xFF00FF00u);
  EXPECT_EQ(p->GetBaseRadio(), 2000);
  EXPECT_EQ(t.Ok("add_package", {{"x", 0}, {"y", 0}, {"size_width", 50}, {"size_length", 40}, {"size_height", 0}}),
            "Package added: id=3 at (0.0, 0.0) box 50.0 x 40.0 x 0.0");
  EXPECT_TRUE(t.Refused("add_package", {{"x", 0}, {"y", 0}, {"data", "D=1,2"}}).contains("D=1,2"));
  EXPECT_TRUE(t.Refused("add_package", {{"x", 0}, {"y", 0}, {"width", 0}}).contains("width"));
}
