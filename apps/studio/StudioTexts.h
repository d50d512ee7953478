#pragma once
// The studio's texts come from the Dialogs message table.

#include <QString>

#include "ORV.FMX.Texts.h"
#include "ORV.Msg.h"

namespace Planora::Studio {

// A text shown once (a message, a dialog's title): looked up now.
inline QString Txt(const char* key) { return Orv::TPLNMsg::GetDialogsValue(QString::fromLatin1(key)); }
// A text that stays on screen (menus, actions, docks): follows a language switch.
inline QString KeyTxt(const QString& key, const QString& suffix = QString()) {
  return Orv::Fmx::KeyedText(Orv::TORVMsgTable::Dialogs, key, suffix);
}

}  // namespace Planora::Studio
