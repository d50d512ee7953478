#pragma once
// Message tables: every user-visible text is looked up by a fixed key.

#include <QString>

namespace Orv {

class TPLNMsg {
 public:
  static QString GetDialogsValue(const QString& key);
  static QString GetEditorValue(const QString& key);
  static QString GetErrorValue(const QString& key);
  static QString GetListValue(const QString& key);
  static QString GetPropValue(const QString& key);
};

}  // namespace Orv
