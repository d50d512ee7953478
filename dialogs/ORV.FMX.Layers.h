#pragma once
// The layers window: adds, deletes and reorders the document's layers and edits the defaults
// and options of the selected one. Every change goes to the document at once, one undo step
// each; closing the window takes nothing back.

#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace Orv {
class TPLNLayer;
}

namespace Orv::Fmx {

class TPlanoraFMX;
class TDialogServices;

class TfLayers : public QDialog {
 public:
  explicit TfLayers(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = nullptr);

  // Fills the window from the document: fonts, texts, the layer list with layer 1 selected.
  void Ini(TPlanoraFMX* doc);
  // The number of the layer shown (0 before Ini).
  int SelectedLayer() const { return fSelected; }
  // Selects and shows layer `number` (1-based) as a click on its list entry does.
  void SelectLayer(int number);

  // The actions of the buttons, callable without a click.
  void AddLayer();
  void DeleteLayer();
  void MoveUp();
  void MoveDown();
  // Asks for a colour for swatch `tag` (0 back, 1 pen, 2 font) and gives it to the layer.
  void PickColor(int tag);
  // The margins window for the selected layer's background image; on OK the layer takes them.
  void EditMargins();
  // The map window for the selected layer's background map, opened at the label's size. On OK
  // the layer shows the map and keeps its settings (and the drawing takes the map's scale when
  // asked), as one undo step; on Cancel the document stays as it was.
  void BackMap();
  // Asks for a picture and shows it behind the labels on the selected layer, as one undo step;
  // a file that is no readable picture is refused and nothing changes.
  void BackImage();

 private:
  void FillLanguage();
  void ShowLayer();
  void AdjustUpDown();
  // Runs `change` on the selected layer as one undo step and tells the observers.
  void ChangeLayer(const std::function<void(TPLNLayer&)>& change);
  void NameEdited();
  void SetOption(std::uint16_t bit, bool on);
  void ShowSwatch(QToolButton* swatch, unsigned colour);

  TPlanoraFMX* fDoc = nullptr;
  std::shared_ptr<TDialogServices> fServices;
  int fSelected = 0;
  bool fInitialising = false;

  QListWidget* lbLayers;
  QLineEdit* edName;
  QComboBox* cbFontName;
  QDoubleSpinBox* seFontHeight;
  QDoubleSpinBox* sePenWidth;
  QToolButton* shBackColor;
  QToolButton* shColor;
  QToolButton* shFontColor;
  QCheckBox* ckActive;
  QCheckBox* ckVisible;
  QCheckBox* ckPrint;
  QCheckBox* ckSelect;
  QCheckBox* ckExport;
  QCheckBox* ckPrintBack;
  QCheckBox* ckExportBack;
  QCheckBox* ckLayerZPos;
  QPushButton* butAdd;
  QPushButton* butDelete;
  QPushButton* butUp;
  QPushButton* butDown;
  QPushButton* butApply;
  QPushButton* butBackImage;
  QPushButton* butBackMap;
  QPushButton* butBackMargins;
  QPushButton* butClose;
  QLabel* lbName;
  QLabel* lbFontName;
  QLabel* lbFontHeight;
  QLabel* lbPenWidth;
  QLabel* lbBackColor;
  QLabel* lbColor;
  QLabel* lbFontColor;
  QLabel* lbLayer;
};

}  // namespace Orv::Fmx
