#pragma once
// The table editor: the columns of the selected table, their data fields and width shares, and
// the style of each column's body, header and footer cells. Every change goes to the table at
// once, as one undo step inside a document update, so the drawing follows while the window is
// open; there is nothing to confirm or cancel.

#include <QDialog>
#include <functional>
#include <memory>

#include "ORV.Types.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace Orv {
class TPLNBaseLabel;
}
namespace Orv::F2d {
class TPLNBaseTable;
class TPLNColumn;
class TPLNTableCell;
}  // namespace Orv::F2d

namespace Orv::Fmx {

class TDialogServices;
class TColorSwatch;
class TRangeBox;

class TfEdTable : public QDialog {
 public:
  explicit TfEdTable(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = nullptr);

  // Fills the window from the document's selected table: fonts, texts, fields and columns. A
  // document without data fields is told so and shows no column pages; a table without
  // columns asks for the first one at once.
  void Ini(TPLNBaseLabel* doc);
  // The column shown (from 1); 0 when none.
  int SelectedColumn() const;
  void SelectColumn(int column);

  // The actions of the buttons, callable without a click.
  void AddColumn();
  void DeleteColumn();
  void MoveUp();
  void MoveDown();
  // Asks for a colour for swatch `tag` (0 body back, 1 body font, 2 header back, 3 header font,
  // 4 footer back, 5 footer font) and gives it to that cell.
  void PickColor(int tag);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  F2d::TPLNBaseTable* Table() const;
  void FillLanguage();
  void FillFonts();
  void FillColumns();
  void ShowColumn();
  void AdjustUpDown();
  // Runs `change` on the selected column as one undo step inside a document update.
  void ChangeColumn(const std::function<void(F2d::TPLNColumn&)>& change);
  void ChangeTable(const std::function<void(F2d::TPLNBaseTable&)>& change);
  void FieldChosen(int index);
  void Exchange(int from, int to);
  void Refused(const QString& message);

  TPLNBaseLabel* fDoc = nullptr;
  std::shared_ptr<TDialogServices> fServices;
  bool fUpdating = false;

 public:
  // The controls, by the names tests and style sheets find them by.
  QListWidget* lbColumns;
  QPushButton *butAdd, *butDelete, *butUp, *butDown;
  QTabWidget* PColumns;
  QWidget *tabColumn, *tabHeader, *tabFooter;
  // column page
  QCheckBox *ckFillCol, *ckFixed, *ckColBold, *ckColItalic, *ckColUnderline, *ckWrapText;
  TColorSwatch *ShColColor, *ShColFontColor;
  TRangeBox *seWidth, *seColHeight, *seColFontHeight, *seRowInterline;
  QLineEdit* edFormat;
  QComboBox *CBoxColFont, *cBoxFields;
  QToolButton *sbColHorzLeft, *sbColHorzCenter, *sbColHorzRight, *sbColVertTop, *sbColVertCenter, *sbColVertBottom;
  // header page
  QCheckBox *CBVisibleHead, *ckHeadFill, *ckHeadBold, *ckHeadItalic, *ckHeadUnderline;
  TColorSwatch *ShHColor, *ShHeadFontColor;
  TRangeBox *seHeightHead, *seHeadFontHeight, *seHeadInterline;
  QLineEdit* edHeaderText;
  QComboBox* CBoxHFont;
  QToolButton *SBHeadLeft, *SBHeadCenter, *SBHeadRight;
  // footer page
  QCheckBox *ckFootFill, *ckFootBold, *ckFootItalic, *ckFootUnderline;
  TColorSwatch *ShFColor, *ShFFontColor;
  TRangeBox *seHeightFoot, *seFootFontHeight;
  QLineEdit* edFooterFormat;
  QComboBox* CBoxFFont;
  QToolButton *SBFLeft, *SBFCenter, *SBFRight;
  QRadioButton* rcFooter[9];  // rcNone .. rcStdDev, by footer kind

 private:
  QButtonGroup *fColHorz, *fColVert, *fHeadHorz, *fFootHorz, *fFooterKind;
  std::vector<std::pair<QLabel*, const char*>> fPropLabels;
};

}  // namespace Orv::Fmx
