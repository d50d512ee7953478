#include "ORV.Msg.h"

#include <QHash>

namespace Orv {

namespace {

using Table = QHash<QString, QString>;

const Table& Dialogs() {
  static const Table t{
      {"Ok", "OK"},
      {"Cancel", "Cancel"},
      {"CurDrawing", "Current drawing"},
      {"SymbolLib", "Symbol library"},
      {"Layers", "Layers"},
      {"Properties", "Properties"},
      {"ScaleExp", "Scale of the exported page (0.2 to 5)"},
      {"FitExp", "Export only the drawn area instead of the whole page"},
      {"Fit", "Fit"},
      {"Quality", "JPEG quality (10 to 100)"},
      {"Transparent", "Transparent"},
      {"Export", "Export"},
  };
  return t;
}

const Table& Editor() {
  static const Table t{
      {"Zoom", "Zoom"},
      {"Units", "Units"},
  };
  return t;
}

const Table& Errors() {
  static const Table t{
      {"EventNumber", "The number of coordinates must be even."},
      {"Polygon", "A polygon needs at least three points."},
      {"FileRead", "Cannot read the file"},
      {"FileWrite", "Cannot write the file"},
      {"NotDrawing", "The file is not a Planora drawing."},
      {"Version", "The file was written by a newer version of Planora."},
      {"UnknownKind", "Unknown item kind"},
      {"BadJson", "The file is not valid JSON"},
      {"Font", "Could not load the specified font"},
  };
  return t;
}

const Table& Lists() {
  static const Table t{
      {"mm", "Millimetres"}, {"in", "Inches"}, {"cm", "Centimetres"}, {"dm", "Decimetres"},
      {"m", "Metres"},       {"ft", "Feet"},   {"yd", "Yards"},
  };
  return t;
}

const Table& Props() {
  static const Table t{
      {"Color", "Colour"},
      {"PenWidth", "Pen width"},
      {"BackColor", "Fill colour"},
      {"Filled", "Filled"},
      {"LineType", "Line style"},
  };
  return t;
}

// An unknown key shows as itself so a missing entry is visible, never an empty text.
QString Lookup(const Table& t, const QString& key) { return t.value(key, key); }

}  // namespace

QString TPLNMsg::GetDialogsValue(const QString& key) { return Lookup(Dialogs(), key); }
QString TPLNMsg::GetEditorValue(const QString& key) { return Lookup(Editor(), key); }
QString TPLNMsg::GetErrorValue(const QString& key) { return Lookup(Errors(), key); }
QString TPLNMsg::GetListValue(const QString& key) { return Lookup(Lists(), key); }
QString TPLNMsg::GetPropValue(const QString& key) { return Lookup(Props(), key); }

}  // namespace Orv
