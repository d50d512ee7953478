// The studio's Edit menu, the system clipboard between windows, and the tool palette.
#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <set>

#include "MainWindow.h"
#include "ORV.FMX.Editor.h"
#include "ORV.FMX.h"
#include "ORV.Flow.h"
#include "SampleDocument.h"

using namespace Planora::Studio;
using namespace PlanoraTest;

namespace {

struct TRecordingServices : TStudioServices {
  QStringList errors;
  QString nextFile;
  void Error(QWidget*, const QString&, const QString& text) override { errors << text; }
  QString OpenFileName(QWidget*, const QString&, const QString&) override { return nextFile; }
};

QAction* Act(const TMainWindow& w, const char* name) {
  QAction* a = w.Action(QLatin1String(name));
  EXPECT_NE(a, nullptr) << name;
  return a;
}

// Triggers an action the way a click or its shortcut does: only while it is enabled.
bool Trigger(const TMainWindow& w, const char* name) {
  QAction* a = Act(w, name);
  if (!a || !a->isEnabled()) return false;
  a->trigger();
  return true;
}

// An item's record without what a paste gives anew: its identifier and its layer number.
std::string Record(const TPLNBaseItem* it) {
  QJsonObject o = it->ToJson();
  o.remove(QStringLiteral("ID"));
  o.remove(QStringLiteral("Layer"));
  return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

std::vector<TORVPto> Shifted(std::vector<TORVPto> pts, std::int64_t d) {
  for (TORVPto& p : pts) p = {p.X + d, p.Y + d};
  return pts;
}

}  // namespace

// Copy, paste, undo and redo, cut, delete, duplicate and select all from the menu, with the
// commands enabled only when they can act.
TEST(StudioEdit, MenuCommandsChangeTheDrawingOneUndoStepEach) {
  QGuiApplication::clipboard()->clear();
  auto services = std::make_shared<TRecordingServices>();
  TMainWindow w(services);
  TPlanoraFMX& doc = w.Document();
  TPLNBaseItem* rect = TPLNFactory::AddBaseRectangle(&doc, 20000, 30000, 40000, 25000);
  rect->SetColor(0xFFCC0000u);
  doc.ClearUndo();
  doc.SetModified(false);
  w.UpdateEditActions();
  const QByteArray start = EtiBytes(doc);

  // Nothing selected, nothing copied: only Select All has something to act on.
  for (const char* name : {"editCut", "editCopy", "editPaste", "editDelete", "editDuplicate", "editUndo", "editRedo"})
    EXPECT_FALSE(Act(w, name)->isEnabled()) << name;
  EXPECT_TRUE(Act(w, "editSelectAll")->isEnabled());

  doc.Select(rect);
  ASSERT_TRUE(Trigger(w, "editCopy"));
  EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat(QLatin1String(TPlanoraFMX::kClipboardMime)));
  EXPECT_TRUE(Act(w, "editPaste")->isEnabled());
  EXPECT_EQ(EtiBytes(doc), start) << "copying changed the drawing";

  // A paste onto the original's place moves clear of it; a second moves clear of the first.
  ASSERT_TRUE(Trigger(w, "editPaste"));
  ASSERT_EQ(doc.GetItemsCount(), 2);
  const TPLNBaseItem* copy = doc.GetSelection(1);
  ASSERT_EQ(doc.GetSelectionCount(), 1);
  EXPECT_NE(copy->GetID(), rect->GetID());
  EXPECT_EQ(copy->GetColor(), 0xFFCC0000u);
  EXPECT_EQ(copy->Points(), Shifted(rect->Points(), 5000));
  EXPECT_TRUE(w.isWindowModified());
  const QByteArray pasted = EtiBytes(doc);

  ASSERT_TRUE(Trigger(w, "editUndo")) << "a paste must be undoable";
  EXPECT_EQ(doc.GetItemsCount(), 1);
  EXPECT_EQ(EtiBytes(doc), start);
  ASSERT_TRUE(Trigger(w, "editRedo"));
  EXPECT_EQ(EtiBytes(doc), pasted);

  doc.ClearSelection();
  doc.Select(doc.GetItem(1));
  ASSERT_TRUE(Trigger(w, "editPaste"));
  ASSERT_EQ(doc.GetItemsCount(), 3);
  EXPECT_EQ(doc.GetSelection(1)->Points(), Shifted(rect->Points(), 10000));

  // Cut removes the selection in one step, and Paste brings it back.
  ASSERT_TRUE(Trigger(w, "editCut"));
  EXPECT_EQ(doc.GetItemsCount(), 2);
  EXPECT_EQ(doc.GetSelectionCount(), 0);
  EXPECT_FALSE(Act(w, "editCut")->isEnabled());
  ASSERT_TRUE(Trigger(w, "editUndo"));
  EXPECT_EQ(doc.GetItemsCount(), 3);
  ASSERT_TRUE(Trigger(w, "editRedo"));
  EXPECT_EQ(doc.GetItemsCount(), 2);

  // Align moves the selection's side onto the rulers' guide line.
  doc.ClearSelection();
  doc.Select(doc.GetItem(1));
  w.Editor().Rulers().GuideX = 70000;
  ASSERT_TRUE(Trigger(w, "editAlignLeft"));
  EXPECT_EQ(doc.SelectionBounds(1), 70000);
  ASSERT_TRUE(Trigger(w, "editUndo"));
  EXPECT_NE(doc.SelectionBounds(1), 70000);

  ASSERT_TRUE(Trigger(w, "editSelectAll"));
  EXPECT_EQ(doc.GetSelectionCount(), 2);
  ASSERT_TRUE(Trigger(w, "editDuplicate"));
  EXPECT_EQ(doc.GetItemsCount(), 4);
  EXPECT_EQ(doc.GetSelectionCount(), 2);
  ASSERT_TRUE(Trigger(w, "editDelete"));
  EXPECT_EQ(doc.GetItemsCount(), 2);
  ASSERT_TRUE(Trigger(w, "editUndo"));
  EXPECT_EQ(doc.GetItemsCount(), 4);
  EXPECT_TRUE(services->errors.isEmpty()) << services->errors.join(QLatin1Char('\n')).toStdString();
}

// Items copied in one window paste into another with their kind, geometry and colours; a
// second paste there lands beside the first.
TEST(StudioEdit, ItemsTravelBetweenWindowsThroughTheSystemClipboard) {
  auto services = std::make_shared<TRecordingServices>();
  TMainWindow a(services), b(services);
  TPlanoraFMX& from = a.Document();
  BuildSample(from);
  auto* text = TPLNFactory::AddBaseText(&from, 5000, 7000);
  ASSERT_NE(text, nullptr);
  for (int i = 1; i <= from.GetItemsCount(); ++i) from.Select(from.GetItem(i));
  ASSERT_TRUE(a.CopyItems());

  TPlanoraFMX& to = b.Document();
  // The same drawing scale: text is laid out on paper, so its box depends on the scale.
  to.SetMeasure(from.Measure());
  TPLNFactory::AddBaseLine(&to, 0, 0, 1000, 0);
  b.UpdateEditActions();
  EXPECT_TRUE(Act(b, "editPaste")->isEnabled());
  ASSERT_TRUE(b.PasteItems());
  const int n = from.GetItemsCount();
  ASSERT_EQ(to.GetItemsCount(), n + 1);
  ASSERT_EQ(to.GetSelectionCount(), n);
  for (int i = 1; i <= n; ++i) {
    const TPLNBaseItem* o = from.GetItem(i);
    const TPLNBaseItem* c = to.GetItem(i + 1);
    SCOPED_TRACE(o->KindName().toStdString());
    EXPECT_TRUE(to.IsSelected(c));
    EXPECT_EQ(Record(c), Record(o));
    // Window B has one layer: items of A's other layers land on it.
    EXPECT_EQ(c->GetLayer(), to.GetLayer(1));
  }
  std::set<std::int32_t> ids;
  for (int i = 1; i <= to.GetItemsCount(); ++i) ids.insert(to.GetItem(i)->GetID());
  EXPECT_EQ(ids.size(), static_cast<std::size_t>(to.GetItemsCount()));

  ASSERT_TRUE(b.PasteItems());
  ASSERT_EQ(to.GetItemsCount(), 2 * n + 1);
  EXPECT_EQ(to.GetItem(n + 2)->Points(), Shifted(to.GetItem(2)->Points(), 5000 * to.GetCoordMultiplier()));
  EXPECT_TRUE(services->errors.isEmpty()) << services->errors.join(QLatin1Char('\n')).toStdString();

  // With the system clipboard emptied, a window still pastes what it copied itself.
  QGuiApplication::clipboard()->clear();
  b.UpdateEditActions();
  EXPECT_FALSE(Act(b, "editPaste")->isEnabled());
  EXPECT_FALSE(b.PasteItems());
  EXPECT_EQ(to.GetItemsCount(), 2 * n + 1);
  EXPECT_TRUE(Act(a, "editPaste")->isEnabled());
  ASSERT_TRUE(a.PasteItems());
  EXPECT_EQ(from.GetItemsCount(), 2 * n);
  EXPECT_TRUE(services->errors.isEmpty());
}

// Whatever else is on the clipboard pastes nothing, says why, and leaves the drawing alone.
TEST(StudioEdit, ForeignOrDamagedClipboardTextChangesNothing) {
  auto services = std::make_shared<TRecordingServices>();
  TMainWindow w(services);
  TPlanoraFMX& doc = w.Document();
  TPLNFactory::AddBaseRectangle(&doc, 0, 0, 10000, 10000);
  TPLNFactory::AddBaseCircle(&doc, 30000, 30000, 5000);
  doc.Select(doc.GetItem(2));
  const QByteArray ours = doc.SelectionClipboardText();
  doc.SetModified(false);
  const QByteArray before = EtiBytes(doc);

  // A valid record followed by a broken one: the first must not be pasted alone.
  QJsonObject root = QJsonDocument::fromJson(ours).object();
  QJsonArray items = root.value(QStringLiteral("Items")).toArray();
  QJsonObject broken = items[0].toObject();
  broken.insert(QStringLiteral("Points"), QStringLiteral("not points"));
  items.append(broken);
  root.insert(QStringLiteral("Items"), items);
  const QByteArray halfBad = QJsonDocument(root).toJson();
  QJsonObject unmarked = root;
  unmarked.remove(QLatin1String(TPlanoraFMX::kClipboardMarker));

  const struct {
    const char* what;
    QByteArray text;
    const char* says;
  } cases[] = {
      {"plain text", "hello", "no Planora drawing items"},
      {"JSON without the marker", QJsonDocument(unmarked).toJson(), "no Planora drawing items"},
      {"truncated", ours.left(ours.size() / 2), "damaged"},
      {"a bad record", halfBad, "damaged"},
      {"a newer format", QByteArray(ours).replace("\"PlanoraItems\":1", "\"PlanoraItems\":99"), "newer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    services->errors.clear();
    QGuiApplication::clipboard()->setText(QString::fromUtf8(c.text));
    EXPECT_FALSE(w.PasteItems());
    ASSERT_EQ(services->errors.size(), 1);
    EXPECT_TRUE(services->errors[0].contains(QLatin1String(c.says))) << services->errors[0].toStdString();
    EXPECT_EQ(EtiBytes(doc), before);
    EXPECT_EQ(doc.GetSelectionCount(), 1);
    EXPECT_FALSE(w.isWindowModified());
  }
  // Foreign text is not offered for pasting in the first place, and its key does not paste
  // what this window copied before; our own text is offered.
  doc.CopySelection();
  QGuiApplication::clipboard()->setText(QStringLiteral("hello"));
  EXPECT_FALSE(Act(w, "editPaste")->isEnabled());
  for (const QKeySequence& k : QKeySequence::keyBindings(QKeySequence::Paste)) {
    QKeyEvent press(QEvent::KeyPress, k[0].key(), k[0].keyboardModifiers());
    QCoreApplication::sendEvent(w.Editor().Surface(), &press);
  }
  EXPECT_EQ(EtiBytes(doc), before);
  QGuiApplication::clipboard()->setText(QString::fromUtf8(ours));
  EXPECT_TRUE(Act(w, "editPaste")->isEnabled());
  // An empty clipboard and nothing copied: nothing happens, and nobody is bothered.
  doc.ClipboardStream().clear();
  QGuiApplication::clipboard()->clear();
  services->errors.clear();
  EXPECT_FALSE(w.PasteItems());
  EXPECT_TRUE(services->errors.isEmpty());
  EXPECT_EQ(EtiBytes(doc), before);
}

// Each tool of the palette starts its kind of drawing; the palette goes back to Select when the
// document ends the action.
TEST(StudioEdit, PaletteToolsStartTheirDrawingKind) {
  TMainWindow w(std::make_shared<TRecordingServices>());
  TPlanoraFMX& doc = w.Document();
  QActionGroup* group = Act(w, "toolSelect")->actionGroup();
  ASSERT_NE(group, nullptr);
  EXPECT_TRUE(group->isExclusive());
  EXPECT_EQ(group->actions().size(), 29);
  EXPECT_TRUE(Act(w, "toolSelect")->isChecked());

  const std::pair<const char*, TORVDrawKind> tools[] = {
      {"toolPoint", TORVDrawKind::Point},         {"toolLine", TORVDrawKind::Line},
      {"toolArrowLine", TORVDrawKind::ArrowLine}, {"toolPolyLine", TORVDrawKind::PolyLine},
      {"toolPolygon", TORVDrawKind::Polygon},     {"toolBezier", TORVDrawKind::Bezier},
      {"toolRectangle", TORVDrawKind::Rectangle}, {"toolEllipse", TORVDrawKind::Ellipse},
      {"toolCircle", TORVDrawKind::Circle},       {"toolCircle3P", TORVDrawKind::Circle3P},
      {"toolArc", TORVDrawKind::Arc},             {"toolSector", TORVDrawKind::Sector},
      {"toolText", TORVDrawKind::Text},           {"toolParagraph", TORVDrawKind::Paragraph},
      {"toolRichText", TORVDrawKind::RichText},
      {"toolDim", TORVDrawKind::Dim},             {"toolDimRadial", TORVDrawKind::DimRadial},
      {"toolDimDiameter", TORVDrawKind::DimDiameter}, {"toolDimAngle", TORVDrawKind::DimAngle},
      {"toolFlow", TORVDrawKind::Flow},           {"toolLink", TORVDrawKind::Link},
      {"toolCode", TORVDrawKind::Code},           {"toolNutriScore", TORVDrawKind::NutriScore},
      {"toolLevel", TORVDrawKind::Level},         {"toolRank", TORVDrawKind::Rank},
      {"toolPackage", TORVDrawKind::Package},     {"toolTable", TORVDrawKind::Table},
  };
  for (auto [name, kind] : tools) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(Trigger(w, name));
    EXPECT_TRUE(doc.Act().IsDrawing());
    EXPECT_EQ(doc.Act().Kind, kind);
    EXPECT_TRUE(Act(w, name)->isChecked());
    EXPECT_FALSE(Act(w, name)->icon().isNull());
  }
  // A kind picked for the Code tool starts it with that kind.
  ASSERT_TRUE(Trigger(w, "codeQRCode"));
  EXPECT_EQ(doc.Act().Kind, TORVDrawKind::Code);
  EXPECT_EQ(doc.Act().Style.CodeKind, Kind::QRCode);
  EXPECT_TRUE(Act(w, "toolCode")->isChecked());
  doc.ResetAction();
  EXPECT_TRUE(Act(w, "toolSelect")->isChecked());
  EXPECT_FALSE(Act(w, "toolDimAngle")->isChecked());

  ASSERT_TRUE(Trigger(w, "toolLine"));
  ASSERT_TRUE(Trigger(w, "toolSelect"));
  EXPECT_FALSE(doc.Act().IsDrawing());

  // The picture tool asks for its file first: cancelled, nothing starts; chosen, the box the user
  // draws gets that picture.
  auto services = std::make_shared<TRecordingServices>();
  TMainWindow pictures(services);
  ASSERT_TRUE(Trigger(pictures, "toolImage"));
  EXPECT_FALSE(pictures.Document().Act().IsDrawing());
  EXPECT_TRUE(Act(pictures, "toolSelect")->isChecked());
  services->nextFile = QStringLiteral("/tmp/photo.png");
  ASSERT_TRUE(Trigger(pictures, "toolImage"));
  EXPECT_EQ(pictures.Document().Act().Kind, TORVDrawKind::Image);
  EXPECT_EQ(pictures.Document().Act().Style.ImageFile, "/tmp/photo.png");
  EXPECT_TRUE(Act(pictures, "toolImage")->isChecked());
}

// The flow tool's menu chooses the shape of the next box and the link tool's menus its routing
// and terminators; the status bar says what the tool expects next.
TEST(StudioEdit, FlowAndLinkToolsCarryTheirChoices) {
  TMainWindow w(std::make_shared<TRecordingServices>());
  TPlanoraFMX& doc = w.Document();
  const auto menuOf = [&](const char* tool) -> QMenu* {
    auto* button = qobject_cast<QToolButton*>(w.ToolPalette()->widgetForAction(Act(w, tool)));
    return button ? button->menu() : nullptr;
  };
  ASSERT_NE(menuOf("toolFlow"), nullptr);
  EXPECT_EQ(menuOf("toolFlow")->actions().size(), 15);
  ASSERT_NE(menuOf("toolLink"), nullptr);
  EXPECT_TRUE(w.HintText().isEmpty());

  ASSERT_TRUE(Trigger(w, "flowDecision"));
  EXPECT_EQ(doc.Act().Kind, TORVDrawKind::Flow);
  EXPECT_EQ(doc.Act().Style.FlowType, TORVFlowType::Decision);
  EXPECT_TRUE(Act(w, "toolFlow")->isChecked());
  EXPECT_TRUE(w.HintText().contains(QStringLiteral("two corners")));
  // Another tool and back: the shape chosen stays.
  ASSERT_TRUE(Trigger(w, "toolRectangle"));
  EXPECT_TRUE(w.HintText().isEmpty());
  ASSERT_TRUE(Trigger(w, "toolFlow"));
  EXPECT_EQ(doc.Act().Style.FlowType, TORVFlowType::Decision);

  ASSERT_TRUE(Trigger(w, "linkRouteStep"));
  ASSERT_TRUE(Trigger(w, "linkStartCircle"));
  ASSERT_TRUE(Trigger(w, "linkEndArrow"));
  EXPECT_EQ(doc.Act().Kind, TORVDrawKind::Link);
  EXPECT_TRUE(Act(w, "toolLink")->isChecked());
  EXPECT_TRUE(w.HintText().startsWith(QStringLiteral("Press on a connector of the first item")));
  TPLNFactory::AddBaseFlow(&doc, 10000, 10000, 20000, 10000, TORVFlowType::Process);
  TPLNFactory::AddBaseFlow(&doc, 10000, 40000, 20000, 10000, TORVFlowType::Process);
  doc.PickEditor(20000, 20000, 500, Shift::Left, false);  // bottom centre of the first
  EXPECT_TRUE(w.HintText().startsWith(QStringLiteral("Release on a connector of the second item")));
  doc.PickEditor(20000, 40000, 500, Shift::Left, false);  // top centre of the second
  auto* link = dynamic_cast<Orv::F2d::TPLNBaseLink*>(doc.GetItem(3));
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->GetLinkType(), Orv::F2d::TORVinkType::Step);
  EXPECT_EQ(std::tuple(int(link->GetFromType()), int(link->GetToType())), std::tuple(1, 3));
  EXPECT_TRUE(w.HintText().startsWith(QStringLiteral("Press on a connector")));

  EXPECT_EQ(Act(w, "toolFlow")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
  EXPECT_EQ(Act(w, "toolLink")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
}

// With links or flow boxes selected, a choice from the flow or link tool's menus changes them (one
// undo step, redrawn at once, said in the status bar) and keeps them selected; with none selected
// it starts the tool. The choices are in the menu bar as well, where the keyboard reaches them.
TEST(StudioEdit, MenuChoicesRestyleTheSelectedLinksAndBoxes) {
  using Orv::F2d::TORVinkType;
  TMainWindow w(std::make_shared<TRecordingServices>());
  w.resize(900, 700);
  w.show();
  TPlanoraFMX& doc = w.Document();
  TPLNBaseItem* a = TPLNFactory::AddBaseFlow(&doc, 10000, 10000, 20000, 10000, TORVFlowType::Process);
  TPLNBaseItem* b = TPLNFactory::AddBaseFlow(&doc, 50000, 40000, 20000, 10000, TORVFlowType::Process);
  TPLNBaseItem* c = TPLNFactory::AddBaseFlow(&doc, 10000, 70000, 20000, 10000, TORVFlowType::Data);
  ASSERT_TRUE(a && b && c);
  auto* l1 = dynamic_cast<Orv::F2d::TPLNBaseLink*>(doc.AddBaseLink(a->GetID(), b->GetID(), 7, 3, 0));
  auto* l2 = dynamic_cast<Orv::F2d::TPLNBaseLink*>(doc.AddBaseLink(b->GetID(), c->GetID(), 11, 7, 0));
  ASSERT_TRUE(l1 && l2);
  doc.ClearUndo();
  Orv::Fmx::TPLNBackEditor& surface = *w.Editor().Surface();
  const auto shot = [&] {
    QImage img(surface.size(), QImage::Format_ARGB32_Premultiplied);
    surface.render(&img);
    return img;
  };
  const auto dark = [&](const QImage& img, std::int64_t x, std::int64_t y) {
    return DarkNear(img, surface.ScreenMMX(x), surface.ScreenMMY(y), 1);
  };
  // From A's right side down into B's top: a step route bends above B, a direct one cuts across.
  const TORVPto bend{60000, 15000}, diagonal{45000, 27500};
  QImage img = shot();
  EXPECT_TRUE(dark(img, diagonal.X, diagonal.Y));
  EXPECT_FALSE(dark(img, bend.X, bend.Y));

  doc.Select(l1);
  doc.Select(l2);
  ASSERT_TRUE(Trigger(w, "linkRouteStep"));
  EXPECT_EQ(l1->GetLinkType(), TORVinkType::Step);
  EXPECT_EQ(l2->GetLinkType(), TORVinkType::Step);
  EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("2 links now use step routing"));
  EXPECT_EQ(doc.GetSelectionCount(), 2);
  EXPECT_FALSE(doc.Act().IsDrawing());
  // It is the link tool's choice too.
  EXPECT_EQ(doc.Act().Style.LinkType, static_cast<std::uint8_t>(TORVinkType::Step));
  img = shot();
  EXPECT_TRUE(dark(img, bend.X, bend.Y));
  EXPECT_FALSE(dark(img, diagonal.X, diagonal.Y));
  // One step takes both back, and the message with it.
  ASSERT_TRUE(Trigger(w, "editUndo"));
  EXPECT_TRUE(w.statusBar()->currentMessage().isEmpty());
  EXPECT_EQ(l1->GetLinkType(), TORVinkType::Direct);
  EXPECT_EQ(l2->GetLinkType(), TORVinkType::Direct);
  EXPECT_FALSE(doc.CanUndo());

  // A terminator for the selected link alone; boxes in the selection are left alone by it.
  doc.ClearSelection();
  doc.Select(l2);
  doc.Select(a);
  ASSERT_TRUE(Trigger(w, "linkEndFillSquare"));
  EXPECT_EQ(l2->GetToType(), 6);
  EXPECT_EQ(l1->GetToType(), 0);
  EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("1 link now ends with a filled square"));

  // A shape for the selected boxes; the link in the selection keeps its routing.
  doc.ClearSelection();
  doc.Select(a);
  doc.Select(c);
  doc.Select(l1);
  ASSERT_TRUE(Trigger(w, "flowDecision"));
  const auto shape = [](const TPLNBaseItem* it) { return dynamic_cast<const Orv::F2d::TPLNBaseFlow*>(it)->GetFlowType(); };
  EXPECT_EQ(shape(a), TORVFlowType::Decision);
  EXPECT_EQ(shape(c), TORVFlowType::Decision);
  EXPECT_EQ(shape(b), TORVFlowType::Process);
  EXPECT_EQ(l1->GetLinkType(), TORVinkType::Direct);
  EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("2 flow boxes now have the decision shape"));
  ASSERT_TRUE(Trigger(w, "editUndo"));
  EXPECT_EQ(shape(a), TORVFlowType::Process);
  EXPECT_EQ(shape(c), TORVFlowType::Data);
  EXPECT_EQ(l2->GetToType(), 6);  // the step before stays

  // Nothing of the kind selected: the choice starts the tool and changes nothing.
  doc.ClearSelection();
  doc.Select(a);
  ASSERT_TRUE(Trigger(w, "linkRouteRound"));
  EXPECT_EQ(doc.Act().Kind, TORVDrawKind::Link);
  EXPECT_TRUE(doc.Act().IsDrawing());
  EXPECT_EQ(l1->GetLinkType(), TORVinkType::Direct);
  // While the tool draws, a link still selected (the one it made last) is left as it is.
  doc.Select(l1);
  ASSERT_TRUE(doc.IsSelected(l1));
  ASSERT_TRUE(Trigger(w, "linkRouteArc"));
  EXPECT_EQ(l1->GetLinkType(), TORVinkType::Direct);
  EXPECT_EQ(doc.Act().Style.LinkType, static_cast<std::uint8_t>(TORVinkType::Arc));
  EXPECT_TRUE(doc.Act().IsDrawing());

  // The menu bar holds the same choices, each menu with a key of its own.
  auto* diagram = w.findChild<QMenu*>(QStringLiteral("diagramMenu"));
  ASSERT_NE(diagram, nullptr);
  EXPECT_TRUE(w.menuBar()->actions().contains(diagram->menuAction()));
  std::set<QString> reached;
  std::function<void(const QMenu*)> walk = [&](const QMenu* m) {
    EXPECT_TRUE(m->title().contains(QLatin1Char('&'))) << m->title().toStdString();
    for (const QAction* act : m->actions())
      act->menu() ? walk(act->menu()) : void(reached.insert(act->objectName()));
  };
  walk(diagram);
  for (const char* name : {"flowDecision", "flowEnd", "linkRouteStep", "linkStartCircle", "linkEndFillArrow"})
    EXPECT_TRUE(reached.count(QLatin1String(name))) << name;
  EXPECT_EQ(reached.size(), 15u + 8u + 10u + 10u);
}

// "Show connectors" turns on the editor's connector marks (what they draw is the editor's own
// test's) and is remembered for the next window.
TEST(StudioEdit, ShowConnectorsIsARememberedViewOption) {
  QSettings().remove(QStringLiteral("view/connectors"));
  auto w = std::make_unique<TMainWindow>(std::make_shared<TRecordingServices>());
  QAction* show = Act(*w, "viewConnectors");
  ASSERT_NE(show, nullptr);
  EXPECT_FALSE(show->isChecked());
  EXPECT_FALSE(w->Editor().GetEditorOptions() & Orv::Fmx::eoLinkPoints);
  show->trigger();
  EXPECT_TRUE(w->Editor().GetEditorOptions() & Orv::Fmx::eoLinkPoints);

  // The next window starts with the marks shown; unchecked, they go and stay gone.
  w = std::make_unique<TMainWindow>(std::make_shared<TRecordingServices>());
  show = Act(*w, "viewConnectors");
  EXPECT_TRUE(show->isChecked());
  EXPECT_TRUE(w->Editor().GetEditorOptions() & Orv::Fmx::eoLinkPoints);
  show->trigger();
  EXPECT_FALSE(w->Editor().GetEditorOptions() & Orv::Fmx::eoLinkPoints);
  EXPECT_FALSE(QSettings().value(QStringLiteral("view/connectors")).toBool());
}

// The commands answer to the platform's standard keys, no two commands share a key (Qt
// silently drops an ambiguous shortcut), and the snap and orthogonal toggles set the editor.
TEST(StudioEdit, CommandsUseStandardShortcutsWithoutClashes) {
  TMainWindow w(std::make_shared<TRecordingServices>());
  const std::pair<const char*, QKeySequence::StandardKey> standard[] = {
      {"editUndo", QKeySequence::Undo},   {"editRedo", QKeySequence::Redo},
      {"editCut", QKeySequence::Cut},     {"editCopy", QKeySequence::Copy},
      {"editPaste", QKeySequence::Paste}, {"editDelete", QKeySequence::Delete},
      {"editSelectAll", QKeySequence::SelectAll},
  };
  for (auto [name, key] : standard) {
    SCOPED_TRACE(name);
    const QList<QKeySequence> keys = Act(w, name)->shortcuts();
    for (const QKeySequence& k : QKeySequence::keyBindings(key)) EXPECT_TRUE(keys.contains(k)) << k.toString().toStdString();
    EXPECT_FALSE(keys.isEmpty());
  }
  EXPECT_TRUE(Act(w, "editRedo")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
  EXPECT_EQ(Act(w, "editDuplicate")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));

  QMap<QString, QStringList> owners;
  for (QAction* a : w.findChildren<QAction*>())
    for (const QKeySequence& k : a->shortcuts()) owners[k.toString()] << a->text();
  for (auto it = owners.cbegin(); it != owners.cend(); ++it)
    EXPECT_EQ(it.value().size(), 1) << it.key().toStdString() << ": " << it.value().join(QStringLiteral(", ")).toStdString();

  // While a text is typed, the editor's surface keeps the keys the menu would otherwise take.
  Orv::Fmx::TPLNEditor& ed = w.Editor();
  auto surfaceTakes = [&](int key, Qt::KeyboardModifiers mods) {
    QKeyEvent e(QEvent::ShortcutOverride, key, mods);
    e.ignore();
    QCoreApplication::sendEvent(ed.Surface(), &e);
    return e.isAccepted();
  };
  TPlanoraFMX& doc = w.Document();
  TPLNFactory::AddBaseRectangle(&doc, 0, 0, 10000, 10000);
  doc.Select(doc.GetItem(1));
  w.UpdateEditActions();
  EXPECT_FALSE(surfaceTakes(Qt::Key_Delete, Qt::NoModifier));
  EXPECT_FALSE(surfaceTakes(Qt::Key_C, Qt::ControlModifier));
  doc.StartAction(TORVDrawKind::Text);
  doc.PickEditor(20000, 20000, 500, Shift::Left, false);
  ASSERT_TRUE(ed.Surface()->Typing()) << "placing a text did not start typing";
  EXPECT_TRUE(surfaceTakes(Qt::Key_Delete, Qt::NoModifier));
  EXPECT_TRUE(surfaceTakes(Qt::Key_C, Qt::ControlModifier));
  EXPECT_FALSE(Act(w, "editCopy")->isEnabled());
  EXPECT_FALSE(Act(w, "editDelete")->isEnabled());
  doc.ResetAction();
  EXPECT_FALSE(ed.Surface()->Typing());
  EXPECT_FALSE(surfaceTakes(Qt::Key_Delete, Qt::NoModifier));

  ASSERT_FALSE(ed.GetSnap() & Orv::snGrid);
  Act(w, "editSnap")->trigger();
  EXPECT_TRUE(ed.GetSnap() & Orv::snGrid);
  Act(w, "editSnap")->trigger();
  EXPECT_FALSE(ed.GetSnap() & Orv::snGrid);
  Act(w, "editOrto")->trigger();
  EXPECT_TRUE(ed.GetOrtoLines());
  EXPECT_TRUE(Act(w, "editOrto")->isChecked());
}
