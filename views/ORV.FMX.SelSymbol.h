#pragma once
// The symbol choice window: a category tree of every library in a folder (and of the drawing's
// own symbols) beside a thumbnail view of the chosen category.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace Orv {
class TPLNBaseLabel;
}

namespace Orv::Fmx {

class TPLNViewLibrary;

class TfSelSymbol : public QDialog {
  Q_OBJECT

 public:
  explicit TfSelSymbol(QWidget* parent = nullptr);

  // Lists the ".lyp" files directly inside `folder` that the document's OnReadSymEvent accepts
  // (all of them when it is not set) and builds the category tree.
  void Ini(TPLNBaseLabel* doc, const QString& folder);

  // The libraries kept: file and its category list (one a line), sorted by file name.
  const std::vector<std::pair<QString, QString>>& Libraries() const { return fLibraries; }
  QTreeWidget* Tree() const { return fTree; }
  TPLNViewLibrary* View() const { return fView; }
  QLabel* NameLabel() const { return fName; }
  QLabel* UnitsLabel() const { return fUnits; }
  QLabel* NoteLabel() const { return fNote; }
  // The tree item's library file (empty for the drawing's own symbols) and category path.
  QString ItemFile(const QTreeWidgetItem* item) const;
  static QString ItemCategory(const QTreeWidgetItem* item);

  // Shows the window; on OK a copy of the chosen symbol joins the drawing as its current symbol
  // and true is returned, otherwise the drawing's pending action is reset.
  bool Execute();
  // What OK does, for hosts that show the window themselves.
  bool Accept();

 private:
  void FillLanguage();
  void CategoryChanged(QTreeWidgetItem* item);
  void HoverChanged(const QString& name, const QString& guid, const QString& units);

  TPLNBaseLabel* fDoc = nullptr;
  QTreeWidget* fTree = nullptr;
  QLabel* fName = nullptr;
  QLabel* fUnits = nullptr;
  QLabel* fNote = nullptr;
  TPLNViewLibrary* fView = nullptr;
  std::vector<std::pair<QString, QString>> fLibraries;
  bool fBuilding = false;
  QString fTreeId = QStringLiteral("-2");
};

}  // namespace Orv::Fmx
