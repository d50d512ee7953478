#include "ORV.FMX.Texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QVariant>

namespace Orv::Fmx {

namespace {

// Placeholder: a private-use marker, the table digit, the key, a line break, the literal suffix.
constexpr QChar kMarker(0xE000);

const char* const kText = "plnKeyedText";
const char* const kTitle = "plnKeyedTitle";
const char* const kTip = "plnKeyedTip";
const char* const kPlaceholder = "plnKeyedPlaceholder";
constexpr int kItemRole = Qt::UserRole + 0x504C;  // a list entry's placeholder

bool IsKeyed(const QString& s) { return s.size() > 2 && s.at(0) == kMarker; }

// Takes a placeholder out of a property the first time, then keeps using the remembered one.
QString Remember(QObject* o, const char* name, const QString& current) {
  if (IsKeyed(current)) {
    o->setProperty(name, current);
    return ResolveKeyedText(current);
  }
  const QVariant kept = o->property(name);
  return kept.isValid() ? ResolveKeyedText(kept.toString()) : QString();
}

void Apply(QObject* o) {
  if (auto* a = qobject_cast<QAction*>(o)) {
    // A menu's own action follows the menu's title.
    if (a->menu()) return;
    if (const QString t = Remember(o, kText, a->text()); !t.isEmpty()) a->setText(t);
    if (const QString t = Remember(o, kTip, a->toolTip()); !t.isEmpty()) a->setToolTip(t);
    return;
  }
  auto* w = qobject_cast<QWidget*>(o);
  if (!w) return;
  if (auto* m = qobject_cast<QMenu*>(w)) {
    if (const QString t = Remember(o, kTitle, m->title()); !t.isEmpty()) m->setTitle(t);
  } else if (qobject_cast<QDockWidget*>(w) || qobject_cast<QToolBar*>(w) || w->isWindow()) {
    if (const QString t = Remember(o, kTitle, w->windowTitle()); !t.isEmpty()) w->setWindowTitle(t);
  }
  if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    if (const QString t = Remember(o, kText, b->text()); !t.isEmpty()) b->setText(t);
  } else if (auto* l = qobject_cast<QLabel*>(w)) {
    if (const QString t = Remember(o, kText, l->text()); !t.isEmpty()) l->setText(t);
  } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
    if (const QString t = Remember(o, kTitle, g->title()); !t.isEmpty()) g->setTitle(t);
  } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
    if (const QString t = Remember(o, kPlaceholder, e->placeholderText()); !t.isEmpty()) e->setPlaceholderText(t);
  }
  if (auto* box = qobject_cast<QComboBox*>(w))
    for (int i = 0; i < box->count(); ++i)
      if (const QVariant kept = box->itemData(i, kItemRole); kept.isValid())
        box->setItemText(i, ResolveKeyedText(kept.toString()));
  if (const QString t = Remember(o, kTip, w->toolTip()); !t.isEmpty()) w->setToolTip(t);
}

}  // namespace

QString KeyedText(TORVMsgTable table, const QString& key, const QString& suffix) {
  return QString(kMarker) + QChar(u'0' + static_cast<int>(table)) + key + QChar(u'\n') + suffix;
}

QString ResolveKeyedText(const QString& text) {
  if (!IsKeyed(text)) return text;
  const int end = text.indexOf(QChar(u'\n'), 2);
  const QString key = text.mid(2, end < 0 ? -1 : end - 2);
  const auto table = static_cast<TORVMsgTable>(text.at(1).unicode() - u'0');
  return TPLNMsg::GetValue(table, key) + (end < 0 ? QString() : text.mid(end + 1));
}

void SetKeyedToolTip(QObject* target, TORVMsgTable table, const QString& key, const QString& suffix) {
  if (!target) return;
  const QString keyed = KeyedText(table, key, suffix);
  target->setProperty(kTip, keyed);
  if (auto* a = qobject_cast<QAction*>(target)) a->setToolTip(ResolveKeyedText(keyed));
  else if (auto* w = qobject_cast<QWidget*>(target)) w->setToolTip(ResolveKeyedText(keyed));
}

void AddKeyedItem(QComboBox* box, TORVMsgTable table, const QString& key) {
  const QString keyed = KeyedText(table, key);
  box->addItem(ResolveKeyedText(keyed));
  box->setItemData(box->count() - 1, keyed, kItemRole);
}

void ApplyKeyedTexts(QObject* root) {
  if (!root) return;
  Apply(root);
  for (QObject* child : root->findChildren<QObject*>()) Apply(child);
}

void ApplyLanguageToWindows() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    ApplyKeyedTexts(w);
    // Qt hands the event on to every child widget.
    QEvent change(QEvent::LanguageChange);
    QApplication::sendEvent(w, &change);
  }
}

}  // namespace Orv::Fmx
