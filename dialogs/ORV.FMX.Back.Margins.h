#pragma once
// The margins of a layer's background image, in the document's unit.

#include <QDialog>
#include <cstdint>
#include <memory>

class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace Orv::Fmx {

class TDialogServices;
class TPlanoraFMX;

class TfBackMargins : public QDialog {
  Q_OBJECT

 public:
  explicit TfBackMargins(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = {});

  // The boxes show the margins of layer `layer` (from 1). False, with nothing shown, when the
  // layer does not exist.
  bool Ini(TPlanoraFMX* control, int layer);
  // The margins in base units, as the boxes hold them.
  std::int64_t GetImgMarTop() const;
  std::int64_t GetImgMarLeft() const;
  std::int64_t GetImgMarBottom() const;
  std::int64_t GetImgMarRight() const;
  // The margins into the layer as one undo step. False (nothing written) when a box holds no
  // value of its range or the margins leave no room for the image; the reason is shown.
  bool WriteBack();
  // Refuses to close while a value is refused.
  void accept() override;

 private:
  QString Check() const;
  std::int64_t Base(const QDoubleSpinBox* box) const;

  std::shared_ptr<TDialogServices> fServices;
  TPlanoraFMX* fControl = nullptr;
  int fLayer = 0;
  QDoubleSpinBox* fTop = nullptr;
  QDoubleSpinBox* fLeft = nullptr;
  QDoubleSpinBox* fBottom = nullptr;
  QDoubleSpinBox* fRight = nullptr;
  QLabel* fTopLabel = nullptr;
  QLabel* fLeftLabel = nullptr;
  QLabel* fBottomLabel = nullptr;
  QLabel* fRightLabel = nullptr;
  QPushButton* fOk = nullptr;
  QPushButton* fCancel = nullptr;
};

}  // namespace Orv::Fmx
