#include "ORV.FMX.AskValues.h"

#include <QComboBox>
#include <QDate>
#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>
#include <QWidgetAction>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "ORV.FMX.DialogServices.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"

namespace Orv::Fmx {

namespace {
// The values given last in this session, by lower-case name: the next print offers them again.
QHash<QString, QString>& Remembered() {
  static QHash<QString, QString> values;
  return values;
}

// A date typed in its format, with a calendar to pick it from. A plain line rather than a
// QDateEdit: that one quietly turns 31/02 into 28/02, and the label would carry a date nobody gave.
QWidget* DateBox(QLineEdit* line, const QString& format) {
  auto* box = new QWidget;
  auto* h = new QHBoxLayout(box);
  h->setContentsMargins(0, 0, 0, 0);
  line->setPlaceholderText(format);
  h->addWidget(line, 1);
  auto* pick = new QToolButton;
  pick->setText(QStringLiteral("…"));
  pick->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(pick);
  auto* calendar = new QCalendarWidget;
  auto* action = new QWidgetAction(menu);
  action->setDefaultWidget(calendar);
  menu->addAction(action);
  QObject::connect(menu, &QMenu::aboutToShow, calendar, [line, calendar, format] {
    const QDate d = QDate::fromString(line->text().trimmed(), format);
    if (d.isValid()) calendar->setSelectedDate(d);
  });
  QObject::connect(calendar, &QCalendarWidget::clicked, menu, [line, menu, format](QDate d) {
    line->setText(d.toString(format));
    menu->close();
  });
  pick->setMenu(menu);
  h->addWidget(pick);
  return box;
}
}  // namespace

TfAskValues::TfAskValues(QWidget* parent, std::shared_ptr<TDialogServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : TDialogServices::Default()) {
  setObjectName(QStringLiteral("fAskValues"));
  auto* root = new QVBoxLayout(this);
  fForm = new QWidget;
  new QFormLayout(fForm);
  root->addWidget(fForm);
  auto* buttons = new QDialogButtonBox;
  fOk = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
  fOk->setObjectName(QStringLiteral("btnOk"));
  fCancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
  fCancel->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TfAskValues::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  root->addWidget(buttons);
}

void TfAskValues::Ini(TPlanoraFMX* control) {
  const auto text = [](const char* key) { return TPLNMsg::GetDialogsValue(QLatin1String(key)); };
  setWindowTitle(text("AskValues"));
  fOk->setText(text("Ok"));
  fCancel->setText(text("Cancel"));
  auto* form = static_cast<QFormLayout*>(fForm->layout());
  while (form->rowCount() > 0) form->removeRow(0);
  fRows.clear();
  fControl = control;
  if (!control) return;
  for (const TPLNAskValue& a : control->DataSettings().Asks) {
    TRow row;
    row.Ask = a;
    QString value = control->HasAskedValue(a.Name) ? control->GetAskedValue(a.Name)
                                                   : Remembered().value(a.Name.toLower(), a.Default);
    switch (a.Kind) {
      case TORVAskKind::Text: {
        auto* e = new QLineEdit(value);
        row.Editor = e;
        break;
      }
      case TORVAskKind::Date: {
        // Today when nothing was given or offered.
        auto* e = new QLineEdit(value.isEmpty() ? QDate::currentDate().toString(a.DateFormat()) : value);
        row.Editor = e;
        break;
      }
      case TORVAskKind::Number: {
        auto* e = new QDoubleSpinBox;
        e->setDecimals(3);
        e->setRange(-1e12, 1e12);
        e->setValue(QLocale::c().toDouble(value.trimmed()));
        row.Editor = e;
        break;
      }
      case TORVAskKind::Copies: {
        auto* e = new QSpinBox;
        e->setRange(1, TPLNAskValue::kMaxCopies);
        const int n = value.trimmed().toInt();
        e->setValue(n >= 1 ? n : 1);
        row.Editor = e;
        break;
      }
      case TORVAskKind::List: {
        auto* e = new QComboBox;
        row.List = control->ListValuesOf(a);
        e->addItems(row.List);
        e->setCurrentIndex(std::max(0, static_cast<int>(row.List.indexOf(value))));
        row.Editor = e;
        break;
      }
    }
    row.Editor->setObjectName(QStringLiteral("ask_") + a.Name);
    row.Label = new QLabel(a.Caption());
    form->addRow(row.Label, a.Kind == TORVAskKind::Date ? DateBox(static_cast<QLineEdit*>(row.Editor), a.DateFormat()) : row.Editor);
    fRows.push_back(row);
  }
}

const TfAskValues::TRow* TfAskValues::Find(const QString& name) const {
  for (const TRow& r : fRows)
    if (r.Ask.Name.compare(name, Qt::CaseInsensitive) == 0) return &r;
  return nullptr;
}

QWidget* TfAskValues::Editor(const QString& name) const {
  const TRow* r = Find(name);
  return r ? r->Editor : nullptr;
}

QString TfAskValues::RowValue(const TRow& row) const {
  switch (row.Ask.Kind) {
    case TORVAskKind::Text:
    case TORVAskKind::Date:
      return static_cast<const QLineEdit*>(row.Editor)->text().trimmed();
    case TORVAskKind::Number: {
      const double v = static_cast<const QDoubleSpinBox*>(row.Editor)->value();
      return QLocale::c().toString(v, 'g', 12);
    }
    case TORVAskKind::Copies:
      return QString::number(static_cast<const QSpinBox*>(row.Editor)->value());
    case TORVAskKind::List:
      return static_cast<const QComboBox*>(row.Editor)->currentText();
  }
  return {};
}

QString TfAskValues::Value(const QString& name) const {
  const TRow* r = Find(name);
  return r ? RowValue(*r) : QString();
}

QString TfAskValues::Check() const {
  for (const TRow& r : fRows) {
    try {
      CheckAskValue(r.Ask, RowValue(r), r.List, true);
    } catch (const EPLNError& e) {
      return e.Message();
    }
  }
  return {};
}

bool TfAskValues::WriteBack() {
  const QString error = Check();
  if (!error.isEmpty()) {
    fServices->Error(this, windowTitle(), error);
    return false;
  }
  if (!fControl) return false;
  for (const TRow& r : fRows) {
    const QString v = RowValue(r);
    fControl->SetAskedValue(r.Ask.Name, v);
    Remembered().insert(r.Ask.Name.toLower(), v);
  }
  return true;
}

void TfAskValues::accept() {
  if (WriteBack()) QDialog::accept();
}

bool TfAskValues::Ask(TPlanoraFMX* control, QWidget* parent, std::shared_ptr<TDialogServices> services) {
  TfAskValues window(parent, std::move(services));
  window.Ini(control);
  return window.exec() == QDialog::Accepted;
}

}  // namespace Orv::Fmx
