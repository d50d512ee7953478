#pragma once
// The poly text editor: the runs of the selected poly text, each with its text, font, colour
// and data binding (field, value format, IA string in parentheses or not). Runs are added,
// deleted and reordered here. Every change goes to the item at once, one undo step each, so the
// drawing follows while the window is open; there is nothing to confirm or cancel.

#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QAction;
class QMenu;
class QPushButton;

namespace Orv {
class TPLNBaseLabel;
}
namespace Orv::Text {
class TPLNBasePoly;
class TPLNDataPoly;
}  // namespace Orv::Text

namespace Orv::Fmx {

class TDialogServices;
class TColorSwatch;
class TRangeBox;

class TfEdPoly : public QDialog {
 public:
  explicit TfEdPoly(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = nullptr);

  // Fills the window from the document's selected poly text; one without runs asks for the
  // first at once.
  void Ini(TPLNBaseLabel* doc);
  // The run shown (from 1); 0 when none.
  int SelectedRun() const;
  void SelectRun(int run);

  // The actions of the buttons and the menu, callable without a click.
  void AddRun();
  void DeleteRun();
  void MoveUp();
  void MoveDown();
  void ClearField();
  // Asks for a colour for swatch `tag` (0 back, 1 font).
  void PickColor(int tag);

 private:
  Text::TPLNBasePoly* Poly() const;
  void FillLanguage();
  void FillFonts();
  void FillFields();
  void FillColumns();
  void ShowColumn();
  void AdjustUpDown();
  // Runs `change` on a copy of the selected run and puts it back, as one undo step inside a
  // document update when `update`.
  void ChangeRun(const std::function<void(Text::TPLNDataPoly&)>& change);
  void Exchange(int from, int to);

  TPLNBaseLabel* fDoc = nullptr;
  std::shared_ptr<TDialogServices> fServices;
  bool fUpdating = false;

 public:
  QListWidget* lbColumns;
  QPushButton *butAdd, *butDelete, *butUp, *butDown;
  QLineEdit *edText, *edFormat, *edIA;
  QComboBox *cbFontName, *cBoxFields;
  QCheckBox *ckBold, *ckItalic, *ckFill, *ckAddParenthesis;
  TRangeBox* seFontHeight;
  TColorSwatch *shFontColor, *shBackColor;
  QMenu* PopMenu;
  QAction* menuClear;

 private:
  std::vector<std::pair<QLabel*, const char*>> fPropLabels;
};

}  // namespace Orv::Fmx
