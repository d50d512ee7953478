// The undo history: a long mixed session undone and redone byte for byte, groups and empty
// steps, the limit, per-label copies, the selection, and steps that cannot be applied.
#include <gtest/gtest.h>

#include <QBuffer>
#include <functional>

#include "ORV.Dim.h"
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.MCP.Server.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

QByteArray Bytes(const TPlanoraFMX& doc) {
  QByteArray b;
  QBuffer buf(&b);
  buf.open(QIODevice::WriteOnly);
  doc.SaveToStream(&buf);
  return b;
}

// Every selected item is one of the document's items.
void ExpectSelectionLive(const TPlanoraFMX& doc) {
  for (int i = 1; i <= doc.GetSelectionCount(); ++i) EXPECT_GT(doc.IndexOf(doc.GetSelection(i)), 0);
}

template <class T>
T* ItemAs(TPlanoraFMX& doc, int i) {
  auto* it = dynamic_cast<T*>(doc.GetItem(i));
  EXPECT_NE(it, nullptr) << "item " << i;
  return it;
}

struct TCounter : IORObserver {
  int undoRedo = 0, document = 0;
  void UpdateCtrl(TORChange c, TORChangeValue) override {
    if (c == TORChange::UndoRedo) ++undoRedo;
    if (c == TORChange::Document) ++document;
  }
};

// A document whose restoring of items can be made to fail.
class TFailingDoc : public TPlanoraFMX {
 public:
  enum class TMode { None, Null, ThrowAfterInsert } mode = TMode::None;
  TPLNBaseItem* CreateItemFromRecord(TBinaryReader& r, std::int32_t version) override {
    if (mode == TMode::Null) return nullptr;
    TPLNBaseItem* it = TPlanoraFMX::CreateItemFromRecord(r, version);
    if (mode == TMode::ThrowAfterInsert) throw EPLNError(QStringLiteral("damaged record"));
    return it;
  }
};

}  // namespace

TEST(Undo, FiftyMixedEditsUndoAndRedoByteForByte) {
  TPlanoraFMX doc;
  std::vector<QByteArray> states{Bytes(doc)};
  const std::vector<std::pair<const char*, std::function<void()>>> script = {
      {"rectangle", [&] { TPLNFactory::AddBaseRectangle(&doc, 1000, 1000, 20000, 10000); }},
      {"ellipse", [&] { TPLNFactory::AddBaseEllipse(&doc, 30000, 30000, 5000, 3000); }},
      {"line", [&] { TPLNFactory::AddBaseLine(&doc, 0, 0, 40000, 5000); }},
      {"text", [&] { TPLNFactory::AddBaseText(&doc, 5000, 50000); }},
      {"polygon", [&] { TPLNFactory::AddBasePolygon(&doc, {0, 0, 9000, 0, 4000, 7000}); }},
      {"circle", [&] { TPLNFactory::AddBaseCircle(&doc, 60000, 20000, 4000); }},
      {"arc", [&] { TPLNFactory::AddBaseArc(&doc, 70000, 20000, 3000, 0.5, 2.0); }},
      {"bezier", [&] { TPLNFactory::AddBaseBezier(&doc, {0, 0, 1000, 5000, 6000, 5000, 7000, 0}); }},
      {"dimension", [&] { TPLNFactory::AddBaseDim(&doc, 0, 60000, 30000, 60000, 15000, 65000); }},
      {"arrow line", [&] { TPLNFactory::AddBaseArrowLine(&doc, 0, 70000, 20000, 80000); }},
      {"paragraph", [&] { TPLNFactory::AddBaseParagraph(&doc, 40000, 40000, 30000, 10000); }},
      {"polyline", [&] { TPLNFactory::AddBasePolyLine(&doc, {0, 0, 100, 900, 2000, 300}); }},
      {"sector", [&] { TPLNFactory::AddBaseSector(&doc, 80000, 80000, 5000, 10, 60); }},
      {"move", [&] { doc.GetItem(1)->Move(500, 700); }},
      {"colour", [&] { doc.GetItem(2)->SetColor(0xFFFF0000); }},
      {"pen", [&] { doc.GetItem(3)->SetPenWidth(900); }},
      {"text change", [&] { ItemAs<TPLNText>(doc, 4)->SetText(QStringLiteral("Hello undo")); }},
      {"delete", [&] { doc.DeleteItem(3); }},
      {"add layer", [&] { doc.AddLayer(QStringLiteral("Second")); }},
      {"layer settings",
       [&] { doc.GetLayer(2)->PenColor = 0xFF00FF00; doc.GetLayer(2)->Fill = true; doc.NotifyChange(TORChange::Layers); }},
      {"active layer", [&] { doc.SetActiveLayer(2); }},
      {"rectangle on layer 2", [&] { TPLNFactory::AddBaseRectangle(&doc, 5000, 5000, 3000, 3000); }},
      {"item to layer 2", [&] { doc.GetItem(1)->SetLayer(doc.GetLayer(2)); }},
      {"back to layer 1", [&] { doc.SetActiveLayer(1); }},
      {"circle on layer 1", [&] { TPLNFactory::AddBaseCircle(&doc, 1000, 90000, 1500); }},
      {"layer z-order", [&] { doc.SetLayerZOrder(true); }},
      {"paste",
       [&] {
         doc.ClearSelection();
         doc.Select(doc.GetItem(2));
         doc.Select(doc.GetItem(4));
         doc.CopySelection();
         doc.PasteSelection();
       }},
      {"batch",
       [&] {
         doc.BeginUpdate();
         doc.GetItem(1)->Move(-200, 300);
         doc.GetItem(5)->SetColor(0xFF123456);
         doc.DeleteItem(6);
         TPLNFactory::AddBaseLine(&doc, 1, 2, 3, 4);
         doc.EndUpdate();
       }},
      {"units", [&] { doc.SetUnits(TORVUnits::inch); }},
      {"title", [&] { doc.BeginUndoGroup(); doc.Title = QStringLiteral("Undo plan"); doc.EndUndoGroup(); }},
      {"editor mode", [&] { doc.SetEditorMode(2); }},
      {"measure", [&] { TPLNMeasure m = doc.Measure(); m.DrawScale = 20; doc.SetMeasure(m); }},
      {"dimension style",
       [&] { doc.BeginUndoGroup(); doc.AddDimStyle(QStringLiteral("Fine"))->FontHeight = 2.5f; doc.EndUndoGroup(); }},
      {"active style", [&] { doc.SetActiveDimStyle(2); }},
      {"point set", [&] { doc.GetItem(doc.GetItemsCount())->SetBase(1, 777, 888); }},
      {"filled", [&] { ItemAs<TPLN2DItem>(doc, 2)->SetFilled(!ItemAs<TPLN2DItem>(doc, 2)->GetFilled()); }},
      {"back colour", [&] { ItemAs<TPLN2DItem>(doc, 2)->SetBackColor(0xFF00FFFF); }},
      {"name", [&] { doc.GetItem(3)->SetName(QStringLiteral("named")); }},
      {"options", [&] { doc.GetItem(3)->SetOptions(Opt::Visible); }},
      {"line type", [&] { doc.GetItem(3)->SetLineType(2); }},
      {"delete layer", [&] { doc.DeleteLayer(2); }},
      {"terminators",
       [&] {
         for (int i = 1; i <= doc.GetItemsCount(); ++i)
           if (auto* a = dynamic_cast<TPLNArrowLine*>(doc.GetItem(i))) {
             doc.BeginUndoGroup();
             a->ToType = 3;
             a->SizeTo = 5;
             a->Update();
             doc.EndUndoGroup();
             return;
           }
         FAIL() << "no arrow line";
       }},
      {"point", [&] { TPLNFactory::AddBasePoint(&doc, 4242, 4343); }},
      {"delete first", [&] { doc.DeleteItem(1); }},
      {"move last", [&] { doc.GetItem(doc.GetItemsCount())->Move(10, 20); }},
      {"image rotation", [&] { doc.SetImageRotation(1); }},
      {"print settings", [&] { doc.BeginUndoGroup(); doc.PrintInfo.FirstRow = 2; doc.EndUndoGroup(); }},
      {"batch of adds",
       [&] {
         doc.BeginUpdate();
         for (int i = 0; i < 3; ++i) TPLNFactory::AddBaseRectangle(&doc, i * 1000, 0, 500, 500);
         doc.EndUpdate();
       }},
      {"z-order off", [&] { doc.SetLayerZOrder(false); }},
      {"clear by deleting", [&] {
         doc.BeginUndoGroup();
         while (doc.GetItemsCount() > 0) doc.DeleteItem(1);
         doc.EndUndoGroup();
       }},
  };
  ASSERT_GE(script.size(), 50u);
  for (std::size_t i = 0; i < script.size(); ++i) {
    SCOPED_TRACE(script[i].first);
    script[i].second();
    ASSERT_EQ(doc.UndoCount(), static_cast<int>(i + 1));
    ASSERT_EQ(doc.RedoCount(), 0);
    states.push_back(Bytes(doc));
    ASSERT_NE(states.back(), states[states.size() - 2]);
  }

  for (std::size_t i = script.size(); i > 0; --i) {
    SCOPED_TRACE(std::string("undo ") + script[i - 1].first);
    doc.Undo();
    ASSERT_EQ(Bytes(doc), states[i - 1]);
    ExpectSelectionLive(doc);
  }
  EXPECT_FALSE(doc.CanUndo());
  doc.Undo();  // past the first change: nothing happens
  EXPECT_EQ(Bytes(doc), states.front());
  EXPECT_EQ(doc.RedoCount(), static_cast<int>(script.size()));

  for (std::size_t i = 1; i <= script.size(); ++i) {
    SCOPED_TRACE(std::string("redo ") + script[i - 1].first);
    doc.Redo();
    ASSERT_EQ(Bytes(doc), states[i]);
    ExpectSelectionLive(doc);
  }
  EXPECT_FALSE(doc.CanRedo());
  doc.Redo();
  EXPECT_EQ(Bytes(doc), states.back());

  // Half way back and a new change: what could be redone is gone, the rest still undoes.
  for (int i = 0; i < 10; ++i) doc.Undo();
  const std::size_t at = script.size() - 10;
  EXPECT_EQ(Bytes(doc), states[at]);
  TPLNFactory::AddBaseRectangle(&doc, 0, 0, 1000, 1000);
  EXPECT_EQ(doc.RedoCount(), 0);
  EXPECT_EQ(doc.UndoCount(), static_cast<int>(at) + 1);
  doc.Undo();
  EXPECT_EQ(Bytes(doc), states[at]);
  doc.Undo();
  EXPECT_EQ(Bytes(doc), states[at - 1]);
}

TEST(Undo, GroupsEmptyStepsEventsAndLimit) {
  TPlanoraFMX doc;
  TCounter counter;
  doc.AddObserver(&counter);
  int events = 0;
  doc.OnUndoRedoEvent = [&] { ++events; };
  const QByteArray empty = Bytes(doc);

  // Nested groups make one step; nothing is recorded before the outermost group ends.
  doc.BeginUndoGroup();
  doc.BeginUpdate();
  TPLNFactory::AddBaseRectangle(&doc, 0, 0, 1000, 1000);
  doc.EndUpdate();
  EXPECT_EQ(doc.UndoCount(), 0);
  TPLNFactory::AddBaseCircle(&doc, 0, 0, 1000);
  doc.EndUndoGroup();
  EXPECT_EQ(doc.UndoCount(), 1);
  EXPECT_EQ(events, 1);
  EXPECT_EQ(counter.undoRedo, 1);
  const QByteArray two = Bytes(doc);

  // Steps that change nothing are not kept: a move by nothing, the same colour, a change taken
  // back inside the group, an empty group, a selection.
  doc.GetItem(1)->Move(0, 0);
  doc.GetItem(1)->SetColor(doc.GetItem(1)->GetColor());
  doc.BeginUndoGroup();
  doc.GetItem(2)->Move(100, 100);
  doc.GetItem(2)->Move(-100, -100);
  doc.EndUndoGroup();
  doc.BeginUndoGroup();
  doc.EndUndoGroup();
  doc.Select(doc.GetItem(1));
  EXPECT_EQ(doc.UndoCount(), 1);
  EXPECT_EQ(events, 1);

  // Changes outside a group close into one step at the next group.
  doc.GetItem(1)->Move(10, 0);
  doc.GetItem(1)->Move(10, 0);
  doc.BeginUndoGroup();
  doc.GetItem(2)->SetColor(0xFF0000FF);
  doc.EndUndoGroup();
  EXPECT_EQ(doc.UndoCount(), 3);

  counter.document = 0;
  doc.Undo();
  doc.Undo();
  EXPECT_EQ(Bytes(doc), two);
  EXPECT_GE(counter.document, 2);  // views redraw after each
  doc.Undo();
  EXPECT_EQ(Bytes(doc), empty);
  EXPECT_EQ(doc.GetSelectionCount(), 0);
  EXPECT_EQ(events, 6);
  doc.Redo();
  EXPECT_EQ(Bytes(doc), two);
  EXPECT_EQ(events, 7);

  // The limit keeps the newest steps.
  doc.SetUndoLimit(3);
  std::vector<QByteArray> states{Bytes(doc)};
  for (int i = 0; i < 5; ++i) {
    doc.GetItem(1)->Move(1000, 0);
    EXPECT_TRUE(doc.CanUndo());  // a query closes the move into a step
    states.push_back(Bytes(doc));
  }
  EXPECT_EQ(doc.UndoCount(), 3);
  while (doc.CanUndo()) doc.Undo();
  EXPECT_EQ(Bytes(doc), states[2]);

  // Off keeps nothing; on again starts from what is there.
  doc.SetUndoLimit(0);
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_FALSE(doc.CanRedo());
  doc.GetItem(1)->Move(1, 1);
  TPLNFactory::AddBaseLine(&doc, 0, 0, 1, 1);
  EXPECT_EQ(doc.UndoCount(), 0);
  const QByteArray restart = Bytes(doc);
  doc.SetUndoLimit(100);
  doc.DeleteItem(1);
  EXPECT_EQ(doc.UndoCount(), 1);
  doc.Undo();
  EXPECT_EQ(Bytes(doc), restart);

  // A new document starts without a history: cleared items, a load.
  doc.ClearItems();
  EXPECT_EQ(doc.UndoCount(), 0);
  EXPECT_EQ(doc.RedoCount(), 0);
  QByteArray file = restart;
  QBuffer in(&file);
  in.open(QIODevice::ReadOnly);
  doc.LoadFromStream(&in);
  EXPECT_FALSE(doc.CanUndo());
  doc.GetItem(1)->SetPenWidth(1234);
  doc.BeginUndoGroup();
  doc.DeleteItem(2);
  doc.EndUndoGroup();
  doc.Undo();
  doc.Undo();
  EXPECT_EQ(Bytes(doc), restart);
  doc.RemoveObserver(&counter);

  // Without views a loaded document takes its start at the first group, before any change.
  TPlanoraFMX quiet;
  in.seek(0);
  quiet.LoadFromStream(&in);
  TPLNFactory::AddBaseEllipse(&quiet, 0, 0, 10, 20);
  quiet.BeginUpdate();
  quiet.GetItem(1)->Move(5, 5);
  quiet.SetActiveLayer(quiet.GetLayersCount());
  quiet.EndUpdate();
  EXPECT_EQ(quiet.UndoCount(), 2);
  quiet.Undo();
  quiet.Undo();
  EXPECT_EQ(Bytes(quiet), restart);
}

TEST(Undo, PerLabelCopiesAndSelectionStayOutOfTheHistory) {
  TPlanoraFMX doc;
  TPLNFactory::AddBaseRectangle(&doc, 0, 0, 1000, 1000);
  const QByteArray one = Bytes(doc);

  // Copies for printing are no change of the drawing.
  auto* copy = new TPLNRectangle(&doc, true);
  copy->AssignPoints({TORVPto{5, 5}, TORVPto{10, 10}});
  copy->SetColor(0xFF00FF00);
  EXPECT_EQ(doc.UndoCount(), 1);
  auto* added = TPLNFactory::AddBaseCircle(&doc, 0, 0, 500);
  EXPECT_EQ(doc.UndoCount(), 2);
  doc.Select(added);
  doc.Select(doc.GetItem(1));
  // Undo drops the copies first, and the removed circle leaves the selection.
  doc.Undo();
  EXPECT_EQ(doc.GetItemsCount(), 1);
  EXPECT_FALSE(doc.GetItem(1)->IsPreview());
  EXPECT_EQ(Bytes(doc), one);
  ExpectSelectionLive(doc);
  EXPECT_FALSE(doc.IsSelected(added));
  // Redo brings the circle back, selected.
  doc.Redo();
  ASSERT_EQ(doc.GetItemsCount(), 2);
  EXPECT_EQ(doc.GetSelectionCount(), 1);
  EXPECT_EQ(doc.GetSelection(1), doc.GetItem(2));
  EXPECT_EQ(doc.GetItem(2)->KindCode(), Kind::Circle);

  // Copies made by the print run itself are not recorded either.
  auto* text = dynamic_cast<TPLNText*>(TPLNFactory::AddBaseText(&doc, 100, 100));
  ASSERT_NE(text, nullptr);
  text->SetFillType(1);
  text->SetFillName(QStringLiteral("Name"));
  const int steps = doc.UndoCount();
  TPLNMeasure m = doc.Measure();
  m.Rows = 2;
  m.Columns = 2;
  doc.SetMeasure(m);
  doc.PrintInfo.MakeCopies = true;
  EXPECT_EQ(doc.UndoCount(), steps + 1);
  doc.CheckPrintData();
  EXPECT_GT(doc.GetItemsCount(), 3);
  EXPECT_EQ(doc.UndoCount(), steps + 1);
  doc.Undo();
  EXPECT_EQ(doc.GetItemsCount(), 3);
}

TEST(Undo, AStepThatCannotBeAppliedChangesNothing) {
  for (auto mode : {TFailingDoc::TMode::Null, TFailingDoc::TMode::ThrowAfterInsert}) {
    TFailingDoc doc;
    TPLNFactory::AddBaseRectangle(&doc, 0, 0, 1000, 1000);
    TPLNFactory::AddBaseEllipse(&doc, 5000, 5000, 1000, 2000);
    const QByteArray before = Bytes(doc);
    // One step that changes the document's data, one item, and deletes another.
    doc.BeginUpdate();
    doc.AddLayer(QStringLiteral("Gone with the step"));
    doc.GetItem(2)->SetColor(0xFFABCDEF);
    doc.DeleteItem(1);
    doc.EndUpdate();
    const QByteArray after = Bytes(doc);
    doc.Select(doc.GetItem(1));

    doc.mode = mode;
    EXPECT_THROW(doc.Undo(), EPLNError);
    EXPECT_EQ(Bytes(doc), after);
    EXPECT_EQ(doc.UndoCount(), 3);
    ExpectSelectionLive(doc);
    std::vector<int> hits;
    doc.ItemsIn(TORVBounds{-100000, -100000, 100000, 100000}, hits);
    EXPECT_EQ(hits, std::vector<int>{1});

    doc.mode = TFailingDoc::TMode::None;
    doc.Undo();
    EXPECT_EQ(Bytes(doc), before);
    hits.clear();
    doc.ItemsIn(TORVBounds{-100000, -100000, 100000, 100000}, hits);
    EXPECT_EQ(hits, (std::vector<int>{1, 2}));
    doc.Redo();
    EXPECT_EQ(Bytes(doc), after);
  }
}

TEST(Undo, EveryToolCallIsOneStep) {
  TPlanoraFMX doc;
  TPLNMCPServer server(&doc);
  ORVMCPRegisterDefaultTools(&server);
  const QJsonObject rect{{"x", 10}, {"y", 10}, {"width", 20}, {"height", 5}, {"color", "#FF0000"}, {"back_color", "#00FF00"}};
  server.CallTool("add_rectangle", rect);
  server.CallTool("add_rectangle", rect);
  EXPECT_EQ(doc.UndoCount(), 2);
  server.CallTool("list_items", {});
  server.CallTool("add_rectangle", QJsonObject{{"x", "ten"}});  // refused: no step
  EXPECT_EQ(doc.UndoCount(), 2);
  server.CallTool("begin_update", {});
  server.CallTool("add_rectangle", rect);
  server.CallTool("delete_item", QJsonObject{{"index", 0}});
  server.CallTool("end_update", {});
  EXPECT_EQ(doc.UndoCount(), 3);
  doc.Undo();
  EXPECT_EQ(doc.GetItemsCount(), 2);
  doc.Undo();
  EXPECT_EQ(doc.GetItemsCount(), 1);
  EXPECT_EQ(doc.GetItem(1)->GetColor(), 0xFFFF0000u);
}
