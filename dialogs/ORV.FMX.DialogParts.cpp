#include "ORV.FMX.DialogParts.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QDoubleSpinBox>
#include <QPainter>
#include <QSpinBox>

#include "ORV.FMX.DialogServices.h"
#include "ORV.Base.h"
#include "ORV.Msg.h"
#include "ORV.PageSetup.h"

namespace Orv::Fmx {

TColorSwatch::TColorSwatch(QWidget* parent) : QToolButton(parent) {
  setAutoRaise(false);
  setMinimumSize(28, 20);
  setCursor(Qt::PointingHandCursor);
  connect(this, &QToolButton::clicked, this, [this] {
    if (fPicks) Pick();
  });
}

void TColorSwatch::SetColor(TAlphaColor c) {
  if (c == fColor) return;
  fColor = c;
  update();
  emit ColorChanged(c);
}

void TColorSwatch::SetPicks(bool picks, std::shared_ptr<TDialogServices> services) {
  fPicks = picks;
  fServices = std::move(services);
}

bool TColorSwatch::Pick() {
  const auto services = fServices ? fServices : TDialogServices::Default();
  QColor c = QColor::fromRgba(fColor);
  if (!services->PickColor(window(), c)) return false;
  SetColor(c.rgba());
  return true;
}

void TColorSwatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect().adjusted(2, 2, -3, -3);
  // A checkerboard under the colour, so transparency shows.
  const int cell = 5;
  for (int y = r.top(); y <= r.bottom(); y += cell)
    for (int x = r.left(); x <= r.right(); x += cell)
      p.fillRect(QRect(x, y, cell, cell).intersected(r), ((x - r.left()) / cell + (y - r.top()) / cell) % 2 ? Qt::lightGray : Qt::white);
  p.fillRect(r, QColor::fromRgba(fColor));
  p.setPen(hasFocus() ? palette().highlight().color() : palette().dark().color());
  p.drawRect(r);
}

int FillPapers(QComboBox* box, double widthMM, double heightMM) {
  box->clear();
  for (int i = 0; i < kPaperCount; ++i) box->addItem(i == UserPaperIndex ? Dlg("UserPaper") : QString::fromUtf8(Paper(i).Name));
  const int index = PaperIndexOf(widthMM, heightMM);
  box->setCurrentIndex(index);
  return index;
}

void SetOrientation(QAbstractButton* vertical, QAbstractButton* horizontalButton, QDoubleSpinBox* width,
                    QDoubleSpinBox* height, bool horizontal) {
  horizontalButton->setChecked(horizontal);
  vertical->setChecked(!horizontal);
  const double w = width->value(), h = height->value();
  if ((horizontal && w < h) || (!horizontal && w > h)) {
    width->setValue(h);
    height->setValue(w);
  }
}

QSizeF PaperSizeMM(int index, bool horizontal) {
  const TPLNPaper& p = Paper(index);
  return horizontal ? QSizeF(p.Height, p.Width) : QSizeF(p.Width, p.Height);
}

TDocStep::TDocStep(TPLNBaseLabel& doc) : fDoc(doc) { fDoc.BeginUpdate(true); }
TDocStep::~TDocStep() { fDoc.EndUpdate(); }

void SwapLines(QListWidget* list, int a, int b) {
  QListWidgetItem* x = list->item(a);
  QListWidgetItem* y = list->item(b);
  if (!x || !y) return;
  const QString text = x->text();
  x->setText(y->text());
  y->setText(text);
  list->setCurrentRow(b);
}

void DropLine(QListWidget* list, int row) {
  delete list->takeItem(row);
  list->setCurrentRow(list->count() > 0 ? 0 : -1);
}

void AdjustUpDown(QListWidget* list, bool enabled, QAbstractButton* del, QAbstractButton* up, QAbstractButton* down) {
  const int n = list->count(), line = list->currentRow();
  const bool any = enabled && n > 0 && line >= 0;
  del->setEnabled(any);
  up->setEnabled(any && line > 0);
  down->setEnabled(any && line < n - 1);
}

void AcceptWhenChecked(QPushButton* ok, QDialog* dialog, std::shared_ptr<TDialogServices> services,
                       std::function<QString()> check) {
  QObject::connect(ok, &QPushButton::clicked, dialog, [dialog, services, check] {
    const QString why = check();
    if (why.isEmpty())
      dialog->accept();
    else
      services->Error(dialog, dialog->windowTitle(), why);
  });
}

QString PlainLabel(const QString& text) {
  QString t = text.trimmed();
  t.remove(QLatin1Char('&'));
  while (t.endsWith(QLatin1Char(':')) || t.endsWith(QLatin1Char('.')) || t.endsWith(QChar(0x2026))) t.chop(1);
  return t.trimmed();
}

QValidator::State TRangeBox::validate(QString& input, int& pos) const {
  const QValidator::State state = QDoubleSpinBox::validate(input, pos);
  if (state != QValidator::Invalid) return state;
  bool number = false;
  const double v = locale().toDouble(input.trimmed(), &number);
  return number && (v < minimum() || v > maximum()) ? QValidator::Intermediate : state;
}

void TRangeBox::fixup(QString& input) const {
  QDoubleSpinBox::fixup(input);
  bool number = false;
  QString t = input.trimmed();
  if (!suffix().isEmpty() && t.endsWith(suffix().trimmed())) t.chop(suffix().trimmed().size());
  const double v = locale().toDouble(t.trimmed(), &number);
  if (!number || fTelling || (v >= minimum() && v <= maximum())) return;
  const QString message = TPLNMsg::GetErrorValue(QStringLiteral("ValueRange"))
                              .arg(PlainLabel(Label), QString::number(minimum(), 'f', decimals()), QString::number(maximum(), 'f', decimals()));
  // Told after the box has settled: a message box opened inside focus handling would steal it.
  fTelling = true;
  QMetaObject::invokeMethod(
      const_cast<TRangeBox*>(this),
      [this, message] {
        fTelling = false;
        emit Refused(message);
      },
      Qt::QueuedConnection);
}

QString CheckBoxes(const std::vector<TBoxCheck>& boxes, QAbstractSpinBox** bad) {
  for (const TBoxCheck& c : boxes) {
    if (!c.Box || c.Box->hasAcceptableInput()) continue;
    if (bad) *bad = c.Box;
    QString low, high;
    if (auto* d = qobject_cast<QDoubleSpinBox*>(c.Box)) {
      low = QString::number(d->minimum(), 'f', d->decimals());
      high = QString::number(d->maximum(), 'f', d->decimals());
    } else if (auto* i = qobject_cast<QSpinBox*>(c.Box)) {
      low = QString::number(i->minimum());
      high = QString::number(i->maximum());
    }
    return TPLNMsg::GetErrorValue(QStringLiteral("ValueRange")).arg(PlainLabel(c.Label), low, high);
  }
  return {};
}

QString Dlg(const char* key) { return TPLNMsg::GetDialogsValue(QString::fromLatin1(key)); }
QString Prop(const char* key) { return TPLNMsg::GetPropValue(QString::fromLatin1(key)); }
QString Err(const char* key) { return TPLNMsg::GetErrorValue(QString::fromLatin1(key)); }

}  // namespace Orv::Fmx
