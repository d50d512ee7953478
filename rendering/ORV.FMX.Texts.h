#pragma once
// Widget texts that follow the language of the message tables.
//
// A window built with KeyedText(...) instead of a finished text remembers the key: the text is
// set from the tables when ApplyKeyedTexts first sees it, and again after every language switch.
// Actions and menus keep their accelerators, since the tables' texts carry the '&'.

#include <QString>

#include "ORV.Msg.h"

class QComboBox;
class QObject;

namespace Orv::Fmx {

// A placeholder for `key` of `table` followed by `suffix` (kept as it is, e.g. " (Ctrl+L)"),
// for a text, title, tool tip or placeholder of a widget, action or menu. Never shown:
// ApplyKeyedTexts replaces it before the window appears.
QString KeyedText(TORVMsgTable table, const QString& key, const QString& suffix = QString());
// The text a placeholder stands for in the language in force; any other text as it is.
QString ResolveKeyedText(const QString& text);
// Sets a tool tip now and again after each language switch.
void SetKeyedToolTip(QObject* target, TORVMsgTable table, const QString& key, const QString& suffix = QString());
// Adds a list entry that follows the language.
void AddKeyedItem(QComboBox* box, TORVMsgTable table, const QString& key);
// Sets every keyed text of `root` and of all its children from the tables.
void ApplyKeyedTexts(QObject* root);
// After a language switch: every top-level window's keyed texts, then a LanguageChange event
// so views with texts of their own (inspector captions, list entries) rebuild them.
void ApplyLanguageToWindows();

}  // namespace Orv::Fmx
