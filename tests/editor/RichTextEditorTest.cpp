// Typing into a rich text on the editor's surface with real key and pointer events: formats by
// keys and by the toolbar, line breaks, words, the clipboard and undo of each change.
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDialog>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

struct RichInput : Input {
  TPLNRichText* item = nullptr;
  // A rich text drawn with its tool from (10, 10) to (90, 40) mm, being typed into.
  RichInput() {
    ed.SetEditorOptions(ed.GetEditorOptions() | eoRichTextToolbar);
    doc.StartAction(TORVDrawKind::RichText);
    Click(At(10000, 10000));
    Click(At(90000, 40000));
    item = dynamic_cast<TPLNRichText*>(doc.GetTextObject());
  }
  std::string Markup() const { return item ? item->GetRichText().toStdString() : std::string(); }
  void Ctrl(int key) { Key(key, Qt::ControlModifier, QString(QChar(key & 0x1F))); }
  void Select(int from, int to) {
    Key(Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < from; ++i) Key(Qt::Key_Right);
    for (int i = from; i < to; ++i) Key(Qt::Key_Right, Qt::ShiftModifier);
  }
  void ClickButton(int index) {
    const QRectF r = S().ToolbarButton(index);
    ASSERT_FALSE(r.isEmpty()) << "no toolbar";
    Click(r.center());
  }
};

}  // namespace

TEST(RichTextEditor, KeysToggleFormatsAndEachChangeUndoesOnItsOwn) {
  RichInput v;
  ASSERT_NE(v.item, nullptr);
  ASSERT_TRUE(v.S().Typing());
  v.Type(QStringLiteral("xabcy"));
  EXPECT_EQ(v.Markup(), "xabcy");
  EXPECT_EQ(v.S().Caret(), 5);

  v.Select(1, 4);
  v.Ctrl(Qt::Key_B);
  EXPECT_EQ(v.Markup(), "x<B>abc</B>y");
  // The selection stays for the next format; the same key takes the format off again.
  EXPECT_EQ(v.S().SelStart(), 1);
  EXPECT_EQ(v.S().SelEnd(), 4);
  v.Ctrl(Qt::Key_B);
  EXPECT_EQ(v.Markup(), "xabcy");
  v.Ctrl(Qt::Key_I);
  v.Ctrl(Qt::Key_U);
  EXPECT_EQ(v.Markup(), "x<I><U>abc</U></I>y");

  // Typing after a bold character continues in bold.
  v.Select(0, 1);
  v.Ctrl(Qt::Key_B);
  v.Key(Qt::Key_Home, Qt::ControlModifier);
  v.Key(Qt::Key_Right);
  v.Type(QStringLiteral("2"));
  EXPECT_EQ(v.Markup(), "<B>x2</B><I><U>abc</U></I>y");

  // Ctrl+Z takes back one change at a time and the typing goes on.
  v.Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(v.Markup(), "<B>x</B><I><U>abc</U></I>y");
  EXPECT_TRUE(v.S().Typing());
  v.Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(v.Markup(), "x<I><U>abc</U></I>y");
  v.Key(Qt::Key_Z, Qt::ControlModifier, QString());
  v.Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(v.Markup(), "x<I><U>abc</U></I>y");
  EXPECT_EQ(v.S().EditText(), QStringLiteral("xabcy"));
  EXPECT_LE(v.S().Caret(), 5);
}

TEST(RichTextEditor, EnterBreaksTheLineAndArrowsFollowTheLines) {
  RichInput v;
  v.Type(QStringLiteral("first"));
  v.Key(Qt::Key_Return);
  v.Type(QStringLiteral("second"));
  EXPECT_EQ(v.Markup(), "first<BR>second");
  EXPECT_EQ(v.S().EditText(), QStringLiteral("first\nsecond"));
  ASSERT_GE(v.item->Segments().size(), 2u);
  v.Key(Qt::Key_Up);
  EXPECT_LE(v.S().Caret(), 5);
  v.Key(Qt::Key_Down);
  EXPECT_GE(v.S().Caret(), 6);
  // Home and End go to the ends of the caret's line.
  v.Key(Qt::Key_Home);
  EXPECT_EQ(v.S().Caret(), 6);
  v.Key(Qt::Key_Up);
  v.Key(Qt::Key_End);
  EXPECT_EQ(v.S().Caret(), 5);
  // Backspace at a line's start joins it with the line before.
  v.Key(Qt::Key_Down);
  v.Key(Qt::Key_Home);
  v.Key(Qt::Key_Backspace);
  EXPECT_EQ(v.Markup(), "firstsecond");
}

TEST(RichTextEditor, ToolbarButtonsFormatAlignAndOpenTheirForms) {
  RichInput v;
  v.Type(QStringLiteral("one two"));
  // The bar stands above the item, inside the surface.
  const QRectF bar = v.S().ToolbarRect();
  ASSERT_FALSE(bar.isEmpty());
  EXPECT_EQ(bar.size(), QSizeF(304, 30));
  EXPECT_NEAR(bar.bottom(), v.At(10000, 10000).y() - 4, 1.5);
  EXPECT_EQ(v.S().ToolbarButton(3).topLeft(), bar.topLeft() + QPointF(94, 4));

  v.Select(4, 7);
  v.ClickButton(1);
  EXPECT_EQ(v.Markup(), "one <B>two</B>");
  EXPECT_TRUE(v.S().Typing());  // the press went to the bar, not to the page
  v.ClickButton(8);
  v.ClickButton(8);
  EXPECT_EQ(v.Markup(), "<C>one <B>two</B></C>");

  // The font list opens under its button; a choice wraps the selection.
  v.ed.GetLabel()->OnGetFontListEvent = [](QObject*, QStringList& l) { l = {QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Mono")}; };
  v.ClickButton(4);
  auto* list = v.S().findChild<QListWidget*>(QStringLiteral("richTextPicker"));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count(), 2);
  emit list->itemClicked(list->item(1));
  EXPECT_EQ(v.Markup(), "<C>one <B><FN:Liberation Mono>two</FN></B></C>");
  QApplication::processEvents();

  // The colour form colours what was selected when it opened.
  v.ClickButton(6);
  auto* colour = v.S().findChild<QColorDialog*>(QStringLiteral("richTextColor"));
  ASSERT_NE(colour, nullptr);
  colour->setCurrentColor(Qt::red);
  colour->accept();
  EXPECT_NE(v.Markup().find("<FC:FF0000>"), std::string::npos) << v.Markup();
  QApplication::processEvents();

  // Without a selection the font button opens the markup form instead of the list.
  v.Key(Qt::Key_End);
  v.ClickButton(4);
  auto* form = v.S().findChild<QDialog*>(QStringLiteral("richTextEditor"));
  ASSERT_NE(form, nullptr);
  auto* edit = form->findChild<QPlainTextEdit*>(QStringLiteral("markup"));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->toPlainText().toStdString(), v.Markup());
  edit->setPlainText(QStringLiteral("<I>new</I>\nline"));
  form->accept();
  EXPECT_EQ(v.Markup(), "<I>new</I><BR>line");
  EXPECT_EQ(v.S().EditText(), QStringLiteral("new\nline"));
}

TEST(RichTextEditor, DoubleClickSelectsAWordAndTheClipboardKeepsTheMarkup) {
  RichInput v;
  v.Type(QStringLiteral("alpha beta"));
  v.Select(0, 5);
  v.Ctrl(Qt::Key_B);
  ASSERT_EQ(v.Markup(), "<B>alpha</B> beta");

  // A double click on "beta" selects it.
  const QTransform t = v.S().RichTransform(v.item);
  const auto& segs = v.item->Segments();
  ASSERT_GE(segs.size(), 3u);
  const RichText::TRichTextDrawSegment& beta = segs.back();
  const QPointF on = t.map(QPointF(double(beta.X + beta.Width / 2), double(beta.Y + beta.Height / 2)));
  v.DoubleClick(on);
  EXPECT_EQ(v.S().SelStart(), 6);
  EXPECT_EQ(v.S().SelEnd(), 10);

  // Copy the bold word: other programs get its text, this one its format too.
  v.Select(0, 5);
  v.Ctrl(Qt::Key_C);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->text(), QStringLiteral("alpha"));
  v.Key(Qt::Key_End);
  v.Type(QStringLiteral(" "));
  v.Ctrl(Qt::Key_V);
  EXPECT_EQ(v.Markup(), "<B>alpha</B> beta <B>alpha</B>");
  // Plain text from elsewhere comes in as text: its "<" stays a character.
  QGuiApplication::clipboard()->setText(QStringLiteral("<B>"));
  v.Ctrl(Qt::Key_V);
  EXPECT_EQ(v.S().EditText(), QStringLiteral("alpha beta alpha<B>"));
  // Cut takes the selection out.
  v.Select(0, 6);
  v.Ctrl(Qt::Key_X);
  EXPECT_EQ(v.S().EditText(), QStringLiteral("beta alpha<B>"));
}

TEST(RichTextEditor, ANewEmptyRichTextLeavesNothingBehind) {
  RichInput v;
  v.Key(Qt::Key_Escape);
  EXPECT_FALSE(v.S().Typing());
  EXPECT_EQ(v.doc.GetItemsCount(), 0);
  // Nor in the history: no step brings an empty rich text back.
  while (v.doc.CanUndo()) {
    v.doc.Undo();
    EXPECT_EQ(v.doc.GetItemsCount(), 0);
  }
}
