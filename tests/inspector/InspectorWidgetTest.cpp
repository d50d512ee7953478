// The inspector widget driven as a user drives it: clicks on cells, typing, the step arrows, the
// list and colour editors, refusals shown in place, and rows that follow the document.
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "ORV.Data.h"
#include "ORV.FMX.EdPolyText.h"
#include "ORV.FMX.EdTable.h"
#include "ORV.FMX.Inspector.h"
#include "ORV.FMX.h"
#include "ORV.Image.h"
#include "ORV.Poly.h"
#include "ORV.RichTextItem.h"
#include "ORV.Table.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

struct View {
  TPlanoraFMX doc;
  TPLNInspector ins;
  TPLNBaseItem* rect = nullptr;
  View() {
    ins.resize(320, 900);
    ins.show();
    ins.SetLabel(&doc);
    rect = TPLNFactory::AddBaseRectangle(&doc, 10000, 10000, 20000, 10000);
  }
  ~View() { ins.SetLabel(nullptr); }
  QRect Cell(const char* name) {
    int row = -1, cell = 0;
    EXPECT_TRUE(ins.FindCell(QLatin1String(name), &row, &cell)) << name;
    return ins.CellRect(row, cell);
  }
  void Press(const QPoint& p) {
    QMouseEvent down(QEvent::MouseButtonPress, p, ins.mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&ins, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, p, ins.mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&ins, &up);
  }
  void Click(const char* name) {
    const QRect r = Cell(name);
    ASSERT_FALSE(r.isEmpty()) << name;
    Press(QPoint(r.left() + 40, r.center().y()));
  }
  void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
      QKeyEvent k(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(w, &k);
    }
  }
  void Key(QWidget* w, int key) {
    QKeyEvent k(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &k);
  }
  QString Shown(const char* name) {
    int row = -1, cell = 0;
    if (!ins.FindCell(QLatin1String(name), &row, &cell)) return QStringLiteral("<none>");
    return ins.Rows()[row].toObject().value(QStringLiteral("TV") + QString::number(cell)).toString();
  }
};

TEST(InspectorWidget, FollowsTheSelectionAndTheDocument) {
  View v;
  EXPECT_TRUE(v.ins.Rows().isEmpty());
  EXPECT_FALSE(v.ins.findChild<QScrollBar*>(QStringLiteral("inspectorScroll"))->isVisibleTo(&v.ins));
  v.doc.Select(v.rect);
  EXPECT_FALSE(v.ins.Rows().isEmpty());
  EXPECT_EQ(v.Shown("width"), QStringLiteral("20.00 mm"));
  // A short grid scrolls.
  v.ins.resize(320, 120);
  EXPECT_TRUE(v.ins.findChild<QScrollBar*>(QStringLiteral("inspectorScroll"))->isVisibleTo(&v.ins));
  v.ins.resize(320, 900);
  // A change made elsewhere (a drag, undo) shows after the event loop turns.
  v.doc.MoveSelection(5, 0, false, true);
  QApplication::processEvents();
  EXPECT_EQ(v.Shown("x"), QStringLiteral("15.00 mm"));
  v.doc.Undo();
  QApplication::processEvents();
  EXPECT_EQ(v.Shown("x"), QStringLiteral("10.00 mm"));
  v.doc.ClearSelection();
  EXPECT_TRUE(v.ins.Rows().isEmpty());
}

TEST(InspectorWidget, TypingAValueAndARefusalInPlace) {
  View v;
  v.doc.Select(v.rect);
  v.Click("pen_width");
  QLineEdit* edit = v.ins.Editor();
  ASSERT_TRUE(edit->isVisible());
  EXPECT_EQ(edit->text(), QStringLiteral("0.25"));
  edit->selectAll();
  v.Type(edit, QStringLiteral("abc"));
  v.Key(edit, Qt::Key_Return);
  EXPECT_TRUE(edit->isVisible()) << "a refused value stays for correcting";
  EXPECT_FALSE(v.ins.LastError().isEmpty());
  EXPECT_DOUBLE_EQ(v.rect->GetPenWidth(), 250);
  edit->selectAll();
  v.Type(edit, QStringLiteral("1.5"));
  v.Key(edit, Qt::Key_Return);
  EXPECT_FALSE(edit->isVisible());
  EXPECT_TRUE(v.ins.LastError().isEmpty());
  EXPECT_DOUBLE_EQ(v.rect->GetPenWidth(), 1500);
  EXPECT_EQ(v.Shown("pen_width"), QStringLiteral("1.50 mm"));
  // Escape drops what was typed.
  v.Click("width");
  v.ins.Editor()->selectAll();
  v.Type(v.ins.Editor(), QStringLiteral("99"));
  v.Key(v.ins.Editor(), Qt::Key_Escape);
  EXPECT_EQ(v.rect->GetPoint(2).X - v.rect->GetPoint(1).X, 20000);
}

TEST(InspectorWidget, StepArrowsStopAtTheLimits) {
  View v;
  v.doc.Select(v.rect);
  const QRect arrows = v.Cell("pen_width");
  v.Press(QPoint(arrows.right() - 3, arrows.top() + 3));  // the upper arrow
  EXPECT_DOUBLE_EQ(v.rect->GetPenWidth(), 300);
  EXPECT_EQ(v.Shown("pen_width"), QStringLiteral("0.30 mm"));
  // At the maximum a step up changes nothing.
  v.rect->SetPenWidth(100000);
  v.doc.ClearSelection();
  v.doc.Select(v.rect);
  const QRect r = v.Cell("pen_width");
  v.Press(QPoint(r.right() - 3, r.top() + 3));
  EXPECT_DOUBLE_EQ(v.rect->GetPenWidth(), 100000);
  v.Press(QPoint(r.right() - 3, r.bottom() - 3));
  EXPECT_LT(v.rect->GetPenWidth(), 100000);
}

TEST(InspectorWidget, TogglesListsAndColours) {
  View v;
  v.doc.Select(v.rect);
  auto* area = dynamic_cast<TPLN2DItem*>(v.rect);
  v.Click("filled");
  EXPECT_TRUE(area->GetFilled());
  EXPECT_EQ(v.Shown("filled"), QStringLiteral("Yes"));
  const int steps = v.doc.UndoCount();
  v.Click("line_type");
  auto* combo = v.ins.findChild<QComboBox*>(QStringLiteral("inspectorList"));
  ASSERT_TRUE(combo->isVisible());
  EXPECT_EQ(combo->count(), 5);
  combo->hidePopup();
  emit combo->activated(2);  // dotted
  EXPECT_EQ(v.rect->GetLineType(), 2);
  EXPECT_EQ(v.doc.UndoCount(), steps + 1);
  // The swatch opens the colour form; a typed name works too.
  const QRect c = v.Cell("back_color");
  v.Press(QPoint(c.left() + 6, c.center().y()));
  auto* dlg = v.ins.findChild<QColorDialog*>(QStringLiteral("inspectorColor"));
  ASSERT_NE(dlg, nullptr);
  dlg->setCurrentColor(QColor(0x12, 0x34, 0x56));
  dlg->accept();
  EXPECT_EQ(area->GetBackColor(), 0xFF123456u);
  v.Click("color");
  v.ins.Editor()->selectAll();
  v.Type(v.ins.Editor(), QStringLiteral("red"));
  v.Key(v.ins.Editor(), Qt::Key_Return);
  EXPECT_EQ(v.rect->GetColor(), 0xFFFF0000u);
  EXPECT_EQ(v.Shown("color"), QStringLiteral("#FFFF0000"));
}

}  // namespace

namespace {

TEST(InspectorWidget, FormsForRichTextAndPictures) {
  View v;
  auto* rich = dynamic_cast<Text::TPLNBaseRichText*>(v.doc.AddBaseRichText(10000, 40000, 80000, 60000));
  ASSERT_NE(rich, nullptr);
  rich->SetRichText(QStringLiteral("<B>Tea</B>"));
  v.doc.Select(rich);
  EXPECT_EQ(v.Shown("font_name"), QStringLiteral("<none>")) << "a rich text's fonts are in its markup";
  v.Click("richtext");
  auto* form = v.ins.findChild<QDialog*>(QStringLiteral("inspectorText"));
  ASSERT_NE(form, nullptr);
  auto* text = form->findChild<QPlainTextEdit*>(QStringLiteral("text"));
  EXPECT_EQ(text->toPlainText(), QStringLiteral("<B>Tea</B>"));
  text->setPlainText(QStringLiteral("<I>Coffee</I>"));
  form->accept();
  EXPECT_EQ(rich->GetRichText(), QStringLiteral("<I>Coffee</I>"));

  // A picture file that cannot be read is refused with its name; a good one is taken.
  const QString logo = QStringLiteral(PLANORA_SOURCE_DIR "/examples/logo.png");
  TPLNBaseItem* pic = v.doc.AddBaseImage(10000, 70000, 30000, 30000, logo);
  ASSERT_NE(pic, nullptr);
  v.doc.ClearSelection();
  v.doc.Select(pic);
  // The picker starts in the image folder, then where the last picture taken came from.
  QString offered = QStringLiteral("/no/such/picture.png");
  QStringList startedIn;
  v.doc.ImageFolder = QStringLiteral("/srv/pictures");
  v.ins.OnPickFile = [&](const QString& folder) {
    startedIn << folder;
    return offered;
  };
  v.Click("file");
  EXPECT_TRUE(v.ins.LastError().contains(QStringLiteral("/no/such/picture.png"))) << v.ins.LastError().toStdString();
  EXPECT_EQ(dynamic_cast<F2d::TPLNBaseImage*>(pic)->FileName(), logo);
  offered = logo;
  v.Click("file");
  EXPECT_TRUE(v.ins.LastError().isEmpty());
  v.Click("file");
  EXPECT_EQ(startedIn, QStringList({QStringLiteral("/srv/pictures"), QStringLiteral("/srv/pictures"),
                                    QStringLiteral(PLANORA_SOURCE_DIR "/examples")}));
}

TEST(InspectorWidget, TableAndPolyTextCellsOpenTheirEditors) {
  View v;
  v.doc.SetDataSource(std::make_shared<TPLNDataSource>(TPLNDataSource::FromCsv("name\nTea\n", QStringLiteral("t"))));
  auto* table = dynamic_cast<F2d::TPLNBaseTable*>(TPLNFactory::AddBaseTable(&v.doc, 10000, 40000, 90000, 40000));
  auto* poly = dynamic_cast<Text::TPLNBasePoly*>(TPLNFactory::AddBasePolyText(&v.doc, 10000, 90000));
  ASSERT_TRUE(table && poly);
  poly->SetData(QStringLiteral("a\nb"));
  std::vector<int> opened;
  // The hook stands for the modal form: it edits as a user would, through the form's widgets.
  v.ins.OnShowEditor = [&](TPLNBaseLabel* doc, Ins::TORVInsProp kind) {
    opened.push_back(int(kind));
    EXPECT_EQ(doc, &v.doc);
    if (kind == Ins::TORVInsProp::Table) {
      TfEdTable form;
      form.Ini(doc);
      form.DeleteColumn();
    } else {
      TfEdPoly form;
      form.Ini(doc);
      form.DeleteRun();
    }
  };
  v.doc.ClearSelection();
  v.doc.Select(table);
  EXPECT_EQ(v.Shown("columns"), QStringLiteral("3 columns"));
  EXPECT_EQ(v.Shown("runs"), QStringLiteral("<none>"));
  v.Click("columns");
  ASSERT_EQ(opened, std::vector<int>({int(Ins::TORVInsProp::Table)}));
  EXPECT_EQ(table->GetColumnCount(), 2);
  EXPECT_EQ(v.Shown("columns"), QStringLiteral("2 columns")) << "the rows show what the form left";
  v.doc.Undo();
  EXPECT_EQ(table->GetColumnCount(), 3) << "the form's change is one undo step";

  v.doc.ClearSelection();
  v.doc.Select(poly);
  EXPECT_EQ(v.Shown("runs"), QStringLiteral("2 runs"));
  v.Click("runs");
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], int(Ins::TORVInsProp::Poly));
  EXPECT_EQ(poly->GetData(), QStringLiteral("b"));
  EXPECT_EQ(v.Shown("runs"), QStringLiteral("1 run"));
  // Enter on the current cell opens it too.
  int row = -1, cell = 0;
  ASSERT_TRUE(v.ins.FindCell(QStringLiteral("runs"), &row, &cell));
  ASSERT_TRUE(v.ins.LocatePos(-1, Ins::kItemGroup + int(Ins::TORVInsType::PolyText), 2));
  v.Key(&v.ins, Qt::Key_Return);
  EXPECT_EQ(opened.size(), 3u);
  EXPECT_EQ(poly->GetItemCount(), 0);
}

}  // namespace

namespace {

TEST(InspectorWidget, ADraggedPointShowsThePointsAlone) {
  View v;
  TPLNBaseItem* line = TPLNFactory::AddBaseLine(&v.doc, 10000, 50000, 60000, 50000);
  v.doc.Select(line);
  ASSERT_NE(v.Shown("pen_width"), QStringLiteral("<none>"));
  // Grab the line's far end, as the editor does on a press on its handle, and drag it.
  v.doc.Act().SetMove(TORVMoveKind::Point, 2, TORVPto{60000, 50000});
  v.doc.MoveEditor(5000, 5000, 65000, 55000, -1, -1);
  QApplication::processEvents();
  ASSERT_TRUE(v.doc.Act().Dragging);
  ASSERT_EQ(int(v.doc.Act().Move), int(TORVMoveKind::Point)) << v.doc.Act().MoveIndex;
  EXPECT_EQ(v.Shown("pen_width"), QStringLiteral("<none>"));
  EXPECT_EQ(v.Shown("x2"), QStringLiteral("65.00 mm"));
  int row = -1, cell = 0;
  v.ins.FindCell(QStringLiteral("x2"), &row, &cell);
  EXPECT_EQ(v.ins.CurrentRow(), row);
  v.doc.UpEditor(65000, 55000);
  QApplication::processEvents();
  EXPECT_EQ(v.Shown("pen_width"), QStringLiteral("0.25 mm"));
}

}  // namespace
