// The document's index of item bounds, against a scan of every item's bounds.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "ORV.Base.h"
#include "ORV.Dim.h"
#include "ORV.F2d.h"
#include "ORV.Line.h"
#include "ORV.Text.h"

using namespace Orv;

namespace {

constexpr std::int64_t kW = 200000, kH = 280000, kFar = 1000000000000;
const TORVBounds kEverywhere{INT64_MIN, INT64_MIN, INT64_MAX, INT64_MAX};

struct TDoc : TPLNBaseLabel {
  using TPLNBaseLabel::TruncateItems;
};

// Measures the way the drawable text does: when asked, possibly while drawing, telling no one.
struct TMeasuredText : Text::TPLNBaseText {
  using TPLNBaseText::TPLNBaseText;
  std::int64_t width = 0;
  void CalcValues(int) override {
    fWidth = width;
    UpdateBounds();
  }
};

std::vector<int> Scan(const TPLNBaseLabel& doc, const TORVBounds& a) {
  std::vector<int> out;
  for (int i = 1; i <= doc.GetItemsCount(); ++i) {
    const TORVBounds b = doc.GetItem(i)->GetBounds();
    if (!b.IsEmpty() && !a.IsEmpty() && b.X1 <= a.X2 && a.X1 <= b.X2 && b.Y1 <= a.Y2 && a.Y1 <= b.Y2) out.push_back(i);
  }
  return out;
}

std::vector<int> In(const TPLNBaseLabel& doc, const TORVBounds& area) {
  std::vector<int> out{-1};  // whatever the caller's vector held goes
  doc.ItemsIn(area, out);
  return out;
}

struct Random {
  std::mt19937_64 rng{20261205};
  std::vector<TPLNBaseItem*> touched;

  std::int64_t Int(std::int64_t lo, std::int64_t hi) { return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng); }
  TORVPto OnPage() { return {Int(0, kW), Int(0, kH)}; }

  // A mix of kinds and sizes: a few far off the page, a few over all of it, some without bounds.
  void AddItem(TPLNBaseLabel& doc, bool preview = false) {
    const TORVPto a = Int(0, 99) == 0 ? TORVPto{Int(-1, 1) * kFar + Int(0, 5000), Int(0, kH)} : OnPage();
    const TORVPto b{a.X + Int(-4000, 4000), a.Y + Int(-4000, 4000)};
    switch (Int(0, 7)) {
      case 0: {
        auto* r = new F2d::TPLNBaseRectangle(&doc, preview);
        if (Int(0, 30) == 0) r->AssignPoints({TORVPto{-1000, -1000}, TORVPto{kW + 1000, kH + 1000}});
        else r->AssignPoints({a, b});
        break;
      }
      case 1: (new Line::TPLNBaseLine(&doc, preview))->AssignPoints({a, TORVPto{a.X + Int(-60000, 60000), a.Y}}); break;
      case 2: (new Base::TPLNBasePoint(&doc, preview))->AssignPoints({a}); break;
      case 3: new Line::TPLNBaseArc(&doc, a.X, a.Y, a.X + 2000, a.Y - 1500, b.X + 3000, a.Y, preview); break;
      case 4: {
        auto* t = new TMeasuredText(&doc, preview);
        t->width = Int(0, 20000);
        t->AssignPoints({a});
        break;
      }
      case 5: (new Line::TPLNBaseArrowLine(&doc, preview))->AssignPoints({a, b}); break;
      case 6: {
        auto* d = new Line::TPLNBaseDim(&doc, Line::TORDimType::Horizontal, preview);
        const TORVPto p5{a.X, a.Y - 3000}, p6{b.X, a.Y - 3000};
        d->AssignPoints({a, TORVPto{b.X, a.Y}, a, b, p5, p6, p5, p6});
        doc.AsignDimPosition(d, false);
        break;
      }
      default: new Line::TPLNBasePolyLine(&doc, preview);  // no points, no bounds
    }
  }

  TORVBounds Area(const TPLNBaseLabel& doc) {
    const TORVPto a = OnPage();
    const std::int64_t w = Int(0, 1) ? Int(0, 3000) : Int(0, 60000);
    switch (Int(0, 7)) {
      case 0: return kEverywhere;
      case 1: return {-2000, -2000, kW + 2000, kH + 2000};
      case 2: return {5, 5, 4, 4};  // empty
      case 3: {
        // Touching an item's corner: edges count.
        const TORVBounds b = doc.GetItemsCount() ? doc.GetItem(int(Int(1, doc.GetItemsCount())))->GetBounds() : TORVBounds{};
        if (b.IsEmpty()) return {0, 0, 0, 0};
        return Int(0, 1) ? TORVBounds{b.X2, b.Y2, b.X2 + w, b.Y2 + w} : TORVBounds{b.X1 - w, b.Y1 - w, b.X1, b.Y1};
      }
      case 4: return {Int(-1, 1) * kFar, 0, Int(-1, 1) * kFar + 10000, kH};
      default: return {a.X, a.Y, a.X + w, a.Y + Int(0, 2) * w};
    }
  }

  // ItemsIn against the scan: where every item touched since the last check lies now, and many
  // other areas. The first disagreement is reported.
  void Check(const TPLNBaseLabel& doc, const char* step) {
    std::vector<TORVBounds> areas;
    for (TPLNBaseItem* it : touched) {
      const TORVBounds b = it->GetBounds();
      if (!b.IsEmpty()) areas.insert(areas.end(), {b, TORVBounds{b.X2, b.Y2, b.X2, b.Y2}});
    }
    touched.clear();
    for (int q = 0; q < 60; ++q) areas.push_back(Area(doc));
    for (const TORVBounds& a : areas)
      if (In(doc, a) != Scan(doc, a)) {
        ADD_FAILURE() << step << ": area (" << a.X1 << ", " << a.Y1 << ")-(" << a.X2 << ", " << a.Y2 << ") gives "
                      << In(doc, a).size() << " items, the scan " << Scan(doc, a).size();
        return;
      }
  }

  // A random item, to be changed: the next check looks where it went.
  TPLNBaseItem* Any(const TPLNBaseLabel& doc) { return touched.emplace_back(doc.GetItem(int(Int(1, doc.GetItemsCount())))); }
};

}  // namespace

TEST(SpatialIndex, ItemsInAgreesWithAScanThroughEveryChange) {
  Random r;
  TDoc doc;
  for (int i = 0; i < 3000; ++i) r.AddItem(doc);
  r.Check(doc, "built");

  // Changes that tell no observer, on items the built index knows: a point set on its own, a
  // text measured late, extension lines placed after a style change.
  for (int i = 0; i < 150; ++i) {
    TPLNBaseItem* it = r.Any(doc);
    if (auto* t = dynamic_cast<TMeasuredText*>(it)) {
      t->width = r.Int(0, 80000);
      t->CalcValues(0);
    } else if (it->NumPoints() > 0) {
      it->SetPointX(1, double(r.Int(0, kW)) / 1000.0);
    }
  }
  doc.GetDimStyle(1)->ExtSize = 9.0f;
  for (int i = 1; i <= doc.GetItemsCount(); ++i)
    if (auto* d = dynamic_cast<Line::TPLNBaseDim*>(doc.GetItem(i))) {
      doc.AsignDimPosition(d, false);
      r.touched.push_back(d);
    }
  r.Check(doc, "points and layouts set on their own");

  for (int i = 0; i < 300; ++i) r.AddItem(doc);
  for (int i = 0; i < 200; ++i) {
    TPLNBaseItem* it = r.Any(doc);
    auto* arrow = dynamic_cast<Line::TPLNBaseArrowLine*>(it);
    if (auto* t = dynamic_cast<Text::TPLNBaseText*>(it)) {
      t->SetBasePadX(r.Int(0, 30000));
    } else if (auto* a = dynamic_cast<Line::TPLNBaseArc*>(it)) {
      a->SetCircle(r.OnPage(), r.Int(0, 40000));
    } else if (arrow && r.Int(0, 1)) {
      // An in-line caption's box counts for the bounds.
      arrow->SetBase(3, arrow->GetPoint(1).X - 30000, arrow->GetPoint(1).Y);
      arrow->SetText(QStringLiteral("caption"));
      arrow->SetTextPos(Line::TORVTextPos::MiddleRemove);
    } else if (r.Int(0, 1)) {
      it->SetPenWidth(double(r.Int(0, 20000)));
    } else {
      it->Move(r.Int(-50000, 50000), r.Int(-50000, 50000));
    }
  }
  r.Check(doc, "inserts, moves, pens, paddings, circles and captions");

  // More moves than the index keeps aside, then deletions among moved, new and untouched items.
  for (int i = 0; i < 1500; ++i) r.Any(doc)->Move(r.Int(-2000, 2000), r.Int(-2000, 2000));
  r.Check(doc, "many moves");
  for (int i = 0; i < 400; ++i) doc.DeleteItem(int(r.Int(1, doc.GetItemsCount())));
  r.Any(doc)->Move(1000, 1000);
  r.Check(doc, "deletions");

  // A paste that fails is rolled back while reading.
  const auto before = static_cast<std::size_t>(doc.GetItemsCount());
  doc.BeginRead(true);
  for (int i = 0; i < 200; ++i) r.AddItem(doc);
  r.Check(doc, "pasting");
  doc.TruncateItems(before);
  doc.EndRead(false);
  r.Check(doc, "paste rolled back");

  // Layer z-order moves items among each other.
  TPLNLayer* top = doc.AddLayer(QStringLiteral("Top"));
  for (int i = 0; i < 500; ++i) r.Any(doc)->SetLayer(top);
  doc.SetLayerZOrder(true);
  r.Check(doc, "sorted by layer");
  for (int i = 0; i < 50; ++i) r.AddItem(doc);
  doc.SortItemsZLayer();
  doc.DeleteItem(1);
  r.Check(doc, "sorted again");

  // Per-label copies come and go.
  for (int i = 0; i < 300; ++i) r.AddItem(doc, true);
  r.Check(doc, "with copies");
  doc.ClearPreviewItems();
  r.Check(doc, "copies cleared");

  // A loaded document replaces everything; the one it came from is left empty.
  TDoc loaded;
  for (int i = 0; i < 800; ++i) r.AddItem(loaded);
  r.Check(loaded, "read");
  doc.TakeOver(loaded);
  EXPECT_TRUE(In(loaded, kEverywhere).empty());
  for (int i = 0; i < 100; ++i) r.Any(doc)->Move(r.Int(-9000, 9000), 0);
  r.Check(doc, "taken over");

  doc.ClearItems();
  EXPECT_TRUE(In(doc, kEverywhere).empty());
  for (int i = 0; i < 20; ++i) r.AddItem(doc);
  r.Check(doc, "cleared and drawn again");
}

TEST(SpatialIndex, CrowdedAndElongatedDrawings) {
  Random r;
  // Every item in one spot, and one far away that must stretch nothing.
  TDoc same;
  for (int i = 0; i < 2000; ++i) (new Base::TPLNBasePoint(&same, false))->AssignPoints({TORVPto{7000, 7000}});
  (new Line::TPLNBaseLine(&same, false))->AssignPoints({TORVPto{INT64_MAX / 2, 0}, TORVPto{INT64_MAX / 2 + 10, 0}});
  EXPECT_EQ(In(same, {6500, 6500, 6500, 6500}).size(), 2000u);
  EXPECT_EQ(In(same, {INT64_MAX / 2 + 10, 0, INT64_MAX, 0}), std::vector<int>{2001});
  EXPECT_TRUE(In(same, {7501, 0, INT64_MAX / 4, INT64_MAX / 4}).empty());

  // Items on every point of a 40 x 40 lattice, asked for every span of either axis: cell edges
  // fall on item edges.
  TDoc lattice;
  for (int i = 0; i < 1600; ++i) {
    auto* l = new Line::TPLNBaseLine(&lattice, false);
    l->SetPenWidth(0);
    l->AssignPoints({TORVPto{i % 40, i / 40}, TORVPto{i % 40, i / 40}});
  }
  int wrong = 0;
  for (std::int64_t a = -1; a <= 40; ++a)
    for (std::int64_t b = a; b <= 40; ++b)
      for (const TORVBounds& area : {TORVBounds{a, -1, b, 40}, TORVBounds{-1, a, 40, b}})
        wrong += In(lattice, area) != Scan(lattice, area);
  EXPECT_EQ(wrong, 0);

  // A long thin drawing (a time line), items of every length along it.
  TDoc line;
  for (int i = 0; i < 3000; ++i) {
    const std::int64_t x = r.Int(0, 100000000), w = i % 100 == 0 ? r.Int(0, 50000000) : r.Int(0, 5000);
    (new F2d::TPLNBaseRectangle(&line, false))->AssignPoints({TORVPto{x, r.Int(0, 2000)}, TORVPto{x + w, r.Int(0, 2000)}});
  }
  for (int q = 0; q < 50; ++q) {
    const std::int64_t x = r.Int(0, 100000000);
    const TORVBounds a{x, 0, x + r.Int(0, 100000), 1000};
    EXPECT_EQ(In(line, a), Scan(line, a));
  }
}
