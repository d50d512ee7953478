// Editing a rich text in place: the formatting toolbar over it, the caret, selection and clicks
// on its laid-out segments, and the changes the toolbar and the keys make to its markup.
#include <QClipboard>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ORV.FMX.Editor.h"
#include "ORV.FMX.Editor.Surface.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
namespace RT = Orv::RichText;

namespace {

constexpr int kButtons = 10;
constexpr double kBarWidth = 304, kBarHeight = 30;
const char* const kCaptions[kButtons] = {"...", "B", "I", "U", "aBc", "Size", "Clr", "L", "C", "R"};

TSkPaint Solid(TAlphaColor c) {
  TSkPaint p;
  p.Color = c;
  p.Style = TSkPaintStyle::Fill;
  p.AntiAlias = true;
  return p;
}

TSkPaint Outline(TAlphaColor c) {
  TSkPaint p;
  p.Color = c;
  p.Style = TSkPaintStyle::Stroke;
  p.StrokeWidth = 1;
  p.AntiAlias = true;
  return p;
}

// A list that pops up under a toolbar button and closes when a choice is made or the user
// clicks elsewhere.
class TPickList : public QListWidget {
 public:
  TPickList(QWidget* parent, const QStringList& items, const QString& current, std::function<void(const QString&)> chosen)
      : QListWidget(parent), fChosen(std::move(chosen)) {
    setWindowFlags(Qt::Popup);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("richTextPicker"));
    addItems(items);
    const auto found = findItems(current, Qt::MatchFixedString);
    if (!found.isEmpty()) setCurrentItem(found.front());
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { Choose(item); });
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { Choose(item); });
  }
  // Shows the list `width` pixels wide under `button` (surface pixels), with the keyboard.
  void PopUnder(const QRectF& button, int width) {
    resize(width, 260);
    move(parentWidget()->mapToGlobal(QPoint(int(button.left()), int(button.bottom()))));
    show();
    setFocus();
  }

 private:
  void Choose(QListWidgetItem* item) {
    if (!item) return;
    const QString text = item->text();
    close();
    if (fChosen) fChosen(text);
  }
  std::function<void(const QString&)> fChosen;
};

}  // namespace

TPLNRichText* TPLNBackEditor::RichItem() const {
  TPlanoraFMX* host = fEditor->GetLabel();
  if (!host || !fTyping) return nullptr;
  auto* item = dynamic_cast<TPLNRichText*>(host->GetTextObject());
  return item && host->IndexOf(item) > 0 ? item : nullptr;
}

QTransform TPLNBackEditor::RichTransform(const TPLNRichText* item) const {
  const TPlanoraFMX* host = fEditor->GetLabel();
  const QRectF box = QRectF(ToScreen(item->GetPoint(1)), ToScreen(item->GetPoint(2))).normalized();
  const QPointF corner = TextDraw::FrameCorner(box, item->GetAngle());
  // Text is laid out on paper: screen pixels per paper base unit.
  const double k = (ToScreen(1000000, 0).x() - ToScreen(0, 0).x()) / 1e6 * double(host ? host->GetCoordMultiplier() : 1);
  QTransform t;
  t.translate(corner.x(), corner.y());
  t.rotate(Utils::PrintAngle(item->GetAngle()));
  t.scale(k, k);
  t.translate(double(item->GetBasePadX()), double(item->GetBasePadY()));
  return t;
}

// ---------------------------------------------------------------- toolbar

QRectF TPLNBackEditor::ToolbarRect() const {
  const TPLNRichText* item = RichItem();
  if (!item || !(fEditor->GetEditorOptions() & eoRichTextToolbar)) return {};
  const TORVBounds b = item->GetBounds();
  const QRectF box = QRectF(ToScreen(b.X1, b.Y1), ToScreen(b.X2, b.Y2)).normalized();
  const double left = std::max(0.0, std::min(box.left(), double(width()) - kBarWidth));
  double top = box.top() - 34;
  if (top < 0) top = box.bottom() + 4;
  top = std::min(top, double(height()) - kBarHeight);
  return QRectF(left, top, kBarWidth, kBarHeight);
}

QRectF TPLNBackEditor::ToolbarButton(int index) const {
  const QRectF bar = ToolbarRect();
  if (bar.isEmpty() || index < 0 || index >= kButtons) return {};
  return QRectF(bar.left() + 30 * index + 4, bar.top() + 4, 26, 22);
}

void TPLNBackEditor::DrawRichTextToolbar(ISkCanvas& canvas) {
  const QRectF bar = ToolbarRect();
  if (bar.isEmpty()) return;
  canvas.DrawRoundRect(bar, 4, 4, Solid(0xF0F0F0FFu));
  canvas.DrawRoundRect(bar.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4, Outline(0xFFC0C0C0u));
  TSkFont font;
  font.Size = 11;
  TSkPaint text = Solid(0xFF000000u);
  const TSkFontMetrics m = font.Metrics();
  for (int i = 0; i < kButtons; ++i) {
    const QRectF r = ToolbarButton(i);
    canvas.DrawRoundRect(r, 3, 3, Solid(0xFFFFFFFFu));
    canvas.DrawRoundRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3, Outline(0xFF808080u));
    const QString caption = QString::fromLatin1(kCaptions[i]);
    const float w = font.MeasureText(caption);
    const float baseline = float(r.center().y() + (std::abs(m.Ascent) - std::abs(m.Descent)) / 2);
    canvas.DrawSimpleText(caption, float(r.center().x()) - w / 2, baseline, font, text);
  }
}

bool TPLNBackEditor::HandleToolbarClick(double x, double y) {
  TPLNRichText* item = RichItem();
  if (!item) return false;
  int hit = -1;
  for (int i = 0; i < kButtons && hit < 0; ++i)
    if (ToolbarButton(i).contains(QPointF(x, y))) hit = i;
  if (hit < 0) return ToolbarRect().contains(QPointF(x, y));  // the bar's own margin swallows the press too
  const int s = std::min(fSelStart, fSelEnd), e = std::max(fSelStart, fSelEnd);
  const bool selection = s != e;
  switch (hit) {
    case 0: ShowRichTextEditor(); break;
    case 1: ToggleRichFormat(QStringLiteral("<B>"), QStringLiteral("</B>")); break;
    case 2: ToggleRichFormat(QStringLiteral("<I>"), QStringLiteral("</I>")); break;
    case 3: ToggleRichFormat(QStringLiteral("<U>"), QStringLiteral("</U>")); break;
    case 4: selection ? ShowFontCombo() : ShowRichTextEditor(); break;
    case 5: selection ? ShowSizePopup() : ShowRichTextEditor(); break;
    case 6: ShowColorForm(); break;
    case 7: ApplyRichTextAlignment(item, fCaret, RT::TRichAlign::Left); break;
    case 8: ApplyRichTextAlignment(item, fCaret, RT::TRichAlign::Center); break;
    case 9: ApplyRichTextAlignment(item, fCaret, RT::TRichAlign::Right); break;
  }
  UpdateOverlay();
  return true;
}

// ---------------------------------------------------------------- changes of the markup

void TPLNBackEditor::RichMarkupChanged(const QString& markup, int caret, int selStart, int selEnd) {
  TPlanoraFMX* host = fEditor->GetLabel();
  TPLNRichText* item = RichItem();
  if (!host || !item) return;
  host->SetRichTextObjectValue(markup);
  fEditText = item->GetPlainText();
  const int len = static_cast<int>(fEditText.size());
  fSelAnchor = -1;
  fCaret = std::clamp(caret, 0, len);
  fSelStart = std::clamp(std::min(selStart, selEnd), 0, len);
  fSelEnd = std::clamp(std::max(selStart, selEnd), fSelStart, len);
  host->UpdateEditing(true);
  UpdateOverlay();
}

void TPLNBackEditor::NormalizeRichTextSelectionPositions(const TPLNRichText* item, int& start, int& end) const {
  const int len = item ? static_cast<int>(item->GetPlainText().size()) : 0;
  if (start > end) std::swap(start, end);
  start = std::clamp(start, 0, len);
  end = std::clamp(end, start, len);
}

bool TPLNBackEditor::ApplyRichTextFormat(TPLNRichText* item, int selStart, int selEnd, const QString& openTag,
                                         const QString& closeTag) {
  if (!item || item != RichItem() || selStart == selEnd) return false;
  NormalizeRichTextSelectionPositions(item, selStart, selEnd);
  const std::optional<QString> changed = RT::ToggleFormat(item->GetRichText(), selStart, selEnd, openTag, closeTag);
  if (!changed) return false;
  RichMarkupChanged(*changed, fCaret, fSelStart, fSelEnd);
  return true;
}

bool TPLNBackEditor::ApplyRichTextColorFormat(TPLNRichText* item, int selStart, int selEnd, const QString& tag,
                                              TAlphaColor color) {
  if (!item || item != RichItem() || selStart == selEnd) return false;
  NormalizeRichTextSelectionPositions(item, selStart, selEnd);
  const std::optional<QString> changed = RT::ApplyColor(item->GetRichText(), selStart, selEnd, tag, color);
  if (!changed) return false;
  RichMarkupChanged(*changed, fCaret, fSelStart, fSelEnd);
  return true;
}

bool TPLNBackEditor::ApplyRichTextAlignment(TPLNRichText* item, int caret, RT::TRichAlign alignment) {
  if (!item || item != RichItem()) return false;
  const std::optional<QString> changed = RT::ApplyAlignment(item->GetRichText(), caret, alignment);
  if (!changed) return false;
  RichMarkupChanged(*changed, fCaret, fSelStart, fSelEnd);
  return true;
}

void TPLNBackEditor::ToggleRichFormat(const QString& openTag, const QString& closeTag) {
  ApplyRichTextFormat(RichItem(), fSelStart, fSelEnd, openTag, closeTag);
}

void TPLNBackEditor::ApplyFontNameToSelection(const QString& name) {
  if (name.trimmed().isEmpty() || fSelStart == fSelEnd) return;
  ApplyRichTextFormat(RichItem(), fSelStart, fSelEnd, QStringLiteral("<FN:%1>").arg(name.trimmed()),
                      QStringLiteral("</FN>"));
}

void TPLNBackEditor::ApplySizeToSelection(int size) {
  if (size <= 0 || fSelStart == fSelEnd) return;
  ApplyRichTextFormat(RichItem(), fSelStart, fSelEnd, QStringLiteral("<FS:%1>").arg(size), QStringLiteral("</FS>"));
}

void TPLNBackEditor::InsertLineBreak() {
  if (!RichItem()) return;
  InsertEditText(QStringLiteral("\n"));
}

// ---------------------------------------------------------------- caret and clicks

bool TPLNBackEditor::CalcRichTextHitTestFromClick(double x, double y, int& pos) const {
  const TPLNRichText* item = RichItem();
  if (!item) return false;
  bool invertible = false;
  const QTransform inv = RichTransform(item).inverted(&invertible);
  if (!invertible) return false;
  const QPointF p = inv.map(QPointF(x, y));
  const RT::TRichSegments& segs = item->Segments();
  if (segs.empty()) {
    pos = 0;
    return false;
  }
  const auto bx = static_cast<std::int64_t>(std::llround(p.x())), by = static_cast<std::int64_t>(std::llround(p.y()));
  pos = RT::PosAt(segs, bx, by, item->Measure());
  const RT::TRichTextDrawSegment& last = segs.back();
  return by >= 0 && by <= last.Y + last.Height;
}

int TPLNBackEditor::CalcRichTextCursorPosFromClick(double x, double y) const {
  int pos = fCaret;
  CalcRichTextHitTestFromClick(x, y, pos);
  return pos;
}

int TPLNBackEditor::CalcRichTextLineMove(int caret, bool down) const {
  const TPLNRichText* item = RichItem();
  if (!item) return caret;
  return RT::LineMove(item->Segments(), caret, down, item->Measure());
}

void TPLNBackEditor::SelectRichWordAt(QPointF pos) {
  const TPLNRichText* item = RichItem();
  if (!item) return;
  int at = 0;
  if (!CalcRichTextHitTestFromClick(pos.x(), pos.y(), at) && item->Segments().empty()) return;
  int start = at, end = at;
  RT::WordAt(item->Segments(), at, start, end);
  end = std::min(end, static_cast<int>(fEditText.size()));
  fSelAnchor = start;
  fSelStart = start;
  fSelEnd = end;
  fCaret = end;
  if (TPlanoraFMX* host = fEditor->GetLabel()) host->UpdateEditing(true);
  UpdateOverlay();
}

void TPLNBackEditor::DrawRichEditText(ISkCanvas& canvas, const TPLNRichText& item) {
  const QTransform t = RichTransform(&item);
  const RT::TRichSegments& segs = item.Segments();
  TSkPaint band = Solid(0x663399FFu);
  band.AntiAlias = false;
  for (const RT::TRichBox& b : RT::SelectionBoxes(segs, fSelStart, fSelEnd, item.Measure())) {
    TSkPath path;
    path.Path.addPolygon(t.map(QPolygonF(QRectF(QPointF(double(b.X1), double(b.Y1)), QPointF(double(b.X2), double(b.Y2))))));
    canvas.DrawPath(path, band);
  }
  RT::TRichCaret c = RT::CaretAt(segs, fCaret, item.Measure());
  if (c.Line < 0) {
    // Nothing laid out yet: the caret stands at the start of the text area, one line high.
    c.Bottom = item.GetBaseFontHeight();
  }
  QPointF a = t.map(QPointF(double(c.X), double(c.Top))), b = t.map(QPointF(double(c.X), double(c.Bottom)));
  if (item.GetAngle() == TORVAngle::A0) {
    // Upright, the caret is a crisp pixel column.
    a.setX(std::round(a.x()) + 0.5);
    b.setX(a.x());
  }
  canvas.DrawLine(float(a.x()), float(a.y()), float(b.x()), float(b.y()), Hairline(0xFF000000u));
}

// ---------------------------------------------------------------- clipboard

void TPLNBackEditor::CopyRichSelection(bool cut) {
  TPLNRichText* item = RichItem();
  if (!item || fSelStart == fSelEnd) return;
  int s = fSelStart, e = fSelEnd;
  NormalizeRichTextSelectionPositions(item, s, e);
  auto* data = new QMimeData;
  data->setText(fEditText.mid(s, e - s));
  data->setData(QLatin1String(kRichMime), RT::Fragment(item->GetRichText(), s, e).toUtf8());
  QGuiApplication::clipboard()->setMimeData(data);
  if (cut) RichMarkupChanged(RT::DeleteRange(item->GetRichText(), s, e), s, s, s);
}

void TPLNBackEditor::PasteRichText() {
  TPLNRichText* item = RichItem();
  if (!item) return;
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data) return;
  QString markup = item->GetRichText();
  int at = std::clamp(fCaret, 0, static_cast<int>(fEditText.size()));
  if (fSelEnd > fSelStart) {
    markup = RT::DeleteRange(markup, fSelStart, fSelEnd);
    at = fSelStart;
  }
  const int before = static_cast<int>(RT::PlainText(markup).size());
  if (data->hasFormat(QLatin1String(kRichMime)))
    markup = RT::InsertMarkup(markup, at, QString::fromUtf8(data->data(QLatin1String(kRichMime))));
  else if (data->hasText())
    markup = RT::InsertText(markup, at, data->text());
  else
    return;
  const int added = static_cast<int>(RT::PlainText(markup).size()) - before;
  RichMarkupChanged(markup, at + added, at + added, at + added);
}

// ---------------------------------------------------------------- pickers

void TPLNBackEditor::ShowFontCombo() {
  if (!RichItem() || fSelStart == fSelEnd) return;
  const QStringList fonts = FontList(fEditor->GetLabel(), this);
  auto* list = new TPickList(this, fonts, RichItem()->GetFontName(),
                             [this](const QString& name) { ApplyFontNameToSelection(name); });
  list->PopUnder(ToolbarButton(4), 220);
}

void TPLNBackEditor::ShowSizePopup() {
  if (!RichItem() || fSelStart == fSelEnd) return;
  QStringList sizes;
  for (int s : {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 32, 36, 48, 60, 72, 96}) sizes << QString::number(s);
  auto* list = new TPickList(this, sizes, QString(), [this](const QString& size) { ApplySizeToSelection(size.toInt()); });
  list->PopUnder(ToolbarButton(5), 70);
}

void TPLNBackEditor::ShowColorForm() {
  TPLNRichText* item = RichItem();
  if (!item) return;
  auto* dialog = new QColorDialog(QColor::fromRgba(item->GetFontColor()), this);
  dialog->setObjectName(QStringLiteral("richTextColor"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(TPLNMsg::GetEditorValue(QStringLiteral("RichTextColour")));
  // The selection at the time the form opened is what gets the colour.
  const int s = fSelStart, e = fSelEnd;
  connect(dialog, &QColorDialog::colorSelected, this, [this, s, e](const QColor& c) {
    if (c.isValid()) ApplyRichTextColorFormat(RichItem(), s, e, QStringLiteral("FC"), c.rgba());
  });
  dialog->open();
}

void TPLNBackEditor::ShowRichTextEditor() {
  TPLNRichText* item = RichItem();
  if (!item) return;
  auto* dialog = new QDialog(this);
  dialog->setObjectName(QStringLiteral("richTextEditor"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(TPLNMsg::GetEditorValue(QStringLiteral("RichTextEdit")));
  auto* layout = new QVBoxLayout(dialog);
  auto* edit = new QPlainTextEdit(dialog);
  edit->setObjectName(QStringLiteral("markup"));
  edit->setPlainText(item->GetRichText());
  edit->setToolTip(TPLNMsg::GetEditorValue(QStringLiteral("RichTextTags")));
  layout->addWidget(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  connect(dialog, &QDialog::accepted, this, [this, edit] {
    // Line breaks typed in the form are the markup's own.
    QString markup = edit->toPlainText();
    markup.replace(QLatin1String("\r\n"), QLatin1String("<BR>")).replace(QLatin1Char('\n'), QLatin1String("<BR>"));
    const int len = static_cast<int>(RT::PlainText(markup).size());
    RichMarkupChanged(markup, len, len, len);
  });
  dialog->resize(480, 260);
  dialog->open();
}

}  // namespace Orv::Fmx
