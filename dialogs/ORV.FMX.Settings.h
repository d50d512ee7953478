#pragma once
// The editor's settings window: grid, snapping, rulers, guides, keyboard steps and pick gap.
// Nothing changes while it is open; WriteBack applies what it shows.

#include <QDialog>
#include <array>
#include <memory>

class QCheckBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace Orv::Fmx {

class TColorSwatch;
class TRangeBox;
class TDialogServices;
class TPLNBaseEditor;
class TPlanoraFMX;

class TfSettings : public QDialog {
  Q_OBJECT

 public:
  explicit TfSettings(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = {});

  // Texts, then every control from the editor's values.
  void Ini(TPlanoraFMX* document, TPLNBaseEditor* editor);
  // 0 when RB1 is checked or none is, 1 for RB2, 2 for RB3.
  int GridStyle() const;
  // Every value into the editor inside one editor update. False (nothing written) when a box
  // holds a value out of its range; the reason is shown.
  bool WriteBack();
  // Refuses to close while a value is refused.
  void accept() override;
  // Why OK would be refused; empty when every box holds a value of its range.
  QString Check() const;

 private:
  void FillLanguage();
  QCheckBox* MakeCheck(const char* name);
  TColorSwatch* Swatch(const char* name);

  std::shared_ptr<TDialogServices> fServices;
  TPLNBaseEditor* fEditor = nullptr;
  std::array<QRadioButton*, 3> fGrid{};
  QDoubleSpinBox* fGridX = nullptr;
  QDoubleSpinBox* fGridY = nullptr;
  QDoubleSpinBox* fMoveX = nullptr;
  QDoubleSpinBox* fMoveY = nullptr;
  QDoubleSpinBox* fGap = nullptr;
  std::array<QCheckBox*, 9> fSnaps{};
  std::array<QCheckBox*, 4> fRulers{};  // left, top, right, bottom
  std::array<QLabel*, 5> fBoxLabels{};  // grid X, grid Y, move X, move Y, gap
  TPlanoraFMX* fDocument = nullptr;
  TRangeBox* fTermSize = nullptr;
  std::array<QLabel*, 3> fTermLabels{};  // colour, fill colour, size
};

}  // namespace Orv::Fmx
