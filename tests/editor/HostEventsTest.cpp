// The host's events, raised by what a user does in the editor and its windows: each by the action
// that should raise it, once, and never by anything else.
#include <QComboBox>
#include <QStringList>

#include "EditorFixture.h"
#include "ORV.FMX.Layers.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

// What the selection events said, as "+id" and "-id", checked while the item was still there.
struct SelectionLog {
  QStringList said;
  explicit SelectionLog(TPLNBaseLabel& doc) {
    doc.OnSelectItem = [this, &doc](TPLNBaseItem* it) {
      EXPECT_GE(doc.IndexOf(it), 1) << "told about an item the document no longer has";
      EXPECT_TRUE(doc.IsSelected(it));
      said << QStringLiteral("+%1").arg(it->GetID());
    };
    doc.OnUnSelectItem = [this, &doc](TPLNBaseItem* it) {
      EXPECT_GE(doc.IndexOf(it), 1) << "told about an item the document no longer has";
      EXPECT_FALSE(doc.IsSelected(it));
      said << QStringLiteral("-%1").arg(it->GetID());
    };
  }
  // What was said since the last call, sorted (the order among one change's items is free).
  QStringList Take() {
    QStringList out = said;
    said.clear();
    out.sort();
    return out;
  }
};

QString Plus(const TPLNBaseItem* it) { return QStringLiteral("+%1").arg(it->GetID()); }
QString Minus(const TPLNBaseItem* it) { return QStringLiteral("-%1").arg(it->GetID()); }

}  // namespace

TEST(HostEvents, SelectionEventsFollowWhatTheUserSelects) {
  Input v;
  TPLNBaseItem* a = v.Rect(10000, 10000, 20000, 15000);
  TPLNBaseItem* b = v.Rect(50000, 10000, 20000, 15000);
  ASSERT_TRUE(a && b);
  v.doc.ClearSelection();
  v.doc.ClearUndo();
  SelectionLog log(v.doc);

  // A click selects; clicking it again, or moving the pointer, says nothing new.
  v.Click(v.At(20000, 10000));
  EXPECT_EQ(log.Take(), QStringList{Plus(a)});
  v.Click(v.At(20000, 10000));
  v.Move(v.At(40000, 40000));
  EXPECT_EQ(log.Take(), QStringList());
  // Shift adds the second; a click on the empty page lets both go.
  v.Move(v.At(60000, 10000));
  v.Press(v.At(60000, 10000), Qt::LeftButton, Qt::ShiftModifier);
  v.Release(v.At(60000, 10000));
  EXPECT_EQ(log.Take(), QStringList{Plus(b)});
  v.Click(v.At(40000, 50000));
  EXPECT_EQ(log.Take(), (QStringList{Minus(a), Minus(b)}));

  // A band round the first selects it alone; Ctrl+A then adds only the other.
  v.Drag(v.At(5000, 5000), v.At(35000, 30000));
  EXPECT_EQ(log.Take(), QStringList{Plus(a)});
  v.doc.SelectAll();
  EXPECT_EQ(log.Take(), QStringList{Plus(b)});

  // Delete tells both went while they still exist (the log checks it); undo brings them back
  // selected, which is said again; redo takes them away again.
  const QStringList bothGone{Minus(a), Minus(b)};
  v.Key(Qt::Key_Delete);
  EXPECT_EQ(v.doc.GetItemsCount(), 0);
  EXPECT_EQ(log.Take(), bothGone);
  v.doc.Undo();
  ASSERT_EQ(v.doc.GetItemsCount(), 2);
  a = v.doc.GetItem(1);
  b = v.doc.GetItem(2);
  EXPECT_EQ(log.Take(), (QStringList{Plus(a), Plus(b)}));
  v.doc.Redo();
  EXPECT_EQ(v.doc.GetItemsCount(), 0);
  EXPECT_EQ(log.Take().size(), 2);

  // Items that change without the selection changing say nothing.
  TPLNBaseItem* c = v.Rect(10000, 10000, 5000, 5000);
  c->Move(1000, 0);
  EXPECT_EQ(log.Take(), QStringList());
  // Clearing the drawing lets the selection go first.
  v.doc.Select(c);
  EXPECT_EQ(log.Take(), QStringList{Plus(c)});
  const QString gone = Minus(c);
  v.doc.ClearItems();
  EXPECT_EQ(log.Take(), QStringList{gone});
}

TEST(HostEvents, WindowsAskTheDocumentForTheirFonts) {
  EditorView v;
  QList<QObject*> askedBy;
  v.doc.OnGetFontListEvent = [&askedBy](QObject* sender, QStringList& fonts) {
    askedBy << sender;
    fonts = {QStringLiteral("Corporate Sans"), QStringLiteral("Corporate Serif")};
  };
  TfLayers layers(nullptr, nullptr);
  layers.Ini(&v.doc);
  ASSERT_EQ(askedBy.size(), 1);
  EXPECT_EQ(askedBy.first(), &layers);
  auto* box = layers.findChild<QComboBox*>(QStringLiteral("cbFontName"));
  ASSERT_NE(box, nullptr);
  QStringList offered;
  for (int i = 0; i < box->count(); ++i) offered << box->itemText(i);
  EXPECT_TRUE(offered.contains(QStringLiteral("Corporate Serif")));
  EXPECT_FALSE(offered.contains(QStringLiteral("DejaVu Sans")));

  // Without the event the installed fonts are offered.
  v.doc.OnGetFontListEvent = nullptr;
  TfLayers plain(nullptr, nullptr);
  plain.Ini(&v.doc);
  auto* all = plain.findChild<QComboBox*>(QStringLiteral("cbFontName"));
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(all->findText(QStringLiteral("Corporate Sans")), -1);
  EXPECT_GT(all->count(), 0);
}
