#include "ORV.FMX.Back.Margins.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.DialogServices.h"
#include "ORV.FMX.h"
#include "ORV.Layers.h"
#include "ORV.Msg.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

namespace {
// Margin slots of TPLNLayer::BackMargins.
enum { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };
}  // namespace

TfBackMargins::TfBackMargins(QWidget* parent, std::shared_ptr<TDialogServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : TDialogServices::Default()) {
  setObjectName(QStringLiteral("fBackMargins"));
  auto* root = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  const auto box = [&](const char* name, QLabel*& label) {
    auto* b = new TRangeBox;
    b->setObjectName(QLatin1String(name));
    connect(b, &TRangeBox::Refused, this, [this](const QString& m) { fServices->Error(this, windowTitle(), m); });
    label = new QLabel;
    form->addRow(label, b);
    return b;
  };
  fTop = box("seTop", fTopLabel);
  fLeft = box("seLeft", fLeftLabel);
  fBottom = box("seBottom", fBottomLabel);
  fRight = box("seRight", fRightLabel);
  root->addLayout(form);
  auto* buttons = new QDialogButtonBox;
  fOk = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
  fOk->setObjectName(QStringLiteral("btnOk"));
  fCancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
  fCancel->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TfBackMargins::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  root->addWidget(buttons);
}

bool TfBackMargins::Ini(TPlanoraFMX* control, int layer) {
  const auto text = [](const char* key) { return TPLNMsg::GetDialogsValue(QLatin1String(key)); };
  setWindowTitle(text("BackMargins"));
  fTopLabel->setText(text("Top"));
  fLeftLabel->setText(text("Left"));
  fBottomLabel->setText(text("Bottom"));
  fRightLabel->setText(text("Right"));
  static_cast<TRangeBox*>(fTop)->Label = text("Top");
  static_cast<TRangeBox*>(fLeft)->Label = text("Left");
  static_cast<TRangeBox*>(fBottom)->Label = text("Bottom");
  static_cast<TRangeBox*>(fRight)->Label = text("Right");
  fOk->setText(text("Ok"));
  fCancel->setText(text("Cancel"));
  fControl = nullptr;
  fLayer = 0;
  const TPLNLayer* l = control && layer >= 1 && layer <= control->GetLayersCount() ? control->GetLayer(layer) : nullptr;
  for (QDoubleSpinBox* b : {fTop, fLeft, fBottom, fRight}) b->setEnabled(l != nullptr);
  fOk->setEnabled(l != nullptr);
  if (!l) return false;
  fControl = control;
  fLayer = layer;
  const TORVUnits u = control->GetUnits();
  const TPLNMeasure& m = control->Measure();
  // Base units of one step shown: 0.1 mm whatever the unit, so no value is lost to rounding.
  const int decimals = std::clamp(static_cast<int>(std::ceil(std::log10(Utils::UnitFactor(u) / 100.0))), 1, 6);
  const auto setUp = [&](QDoubleSpinBox* b, std::int64_t limit, std::int64_t value) {
    b->setDecimals(decimals);
    b->setSuffix(QString());
    b->setRange(0, Utils::GetValue(std::max<std::int64_t>(0, limit), u));
    b->setSingleStep(Utils::GetValue(1000, u));
    b->setValue(Utils::GetValue(value, u));
    b->setToolTip(Utils::UnitName(u));
  };
  const std::int64_t w = m.Sizes[TPLNMeasure::LabelWidth], h = m.Sizes[TPLNMeasure::LabelHeight];
  setUp(fTop, h, l->BackMargins[kTop]);
  setUp(fLeft, w, l->BackMargins[kLeft]);
  setUp(fBottom, h, l->BackMargins[kBottom]);
  setUp(fRight, w, l->BackMargins[kRight]);
  return true;
}

std::int64_t TfBackMargins::Base(const QDoubleSpinBox* box) const {
  return fControl ? Utils::SetValue(box->value(), fControl->GetUnits()) : 0;
}
std::int64_t TfBackMargins::GetImgMarTop() const { return Base(fTop); }
std::int64_t TfBackMargins::GetImgMarLeft() const { return Base(fLeft); }
std::int64_t TfBackMargins::GetImgMarBottom() const { return Base(fBottom); }
std::int64_t TfBackMargins::GetImgMarRight() const { return Base(fRight); }

QString TfBackMargins::Check() const {
  if (!fControl) return TPLNMsg::GetErrorValue(QStringLiteral("NoLayer"));
  const QString bad = CheckBoxes({{fTop, fTopLabel->text()}, {fLeft, fLeftLabel->text()},
                                  {fBottom, fBottomLabel->text()}, {fRight, fRightLabel->text()}});
  if (!bad.isEmpty()) return bad;
  const TPLNMeasure& m = fControl->Measure();
  if (GetImgMarLeft() + GetImgMarRight() >= m.Sizes[TPLNMeasure::LabelWidth] ||
      GetImgMarTop() + GetImgMarBottom() >= m.Sizes[TPLNMeasure::LabelHeight])
    return TPLNMsg::GetErrorValue(QStringLiteral("MarginsTooLarge"));
  return {};
}

bool TfBackMargins::WriteBack() {
  const QString error = Check();
  if (!error.isEmpty()) {
    fServices->Error(this, windowTitle(), error);
    return false;
  }
  TPLNLayer* l = fControl->GetLayer(fLayer);
  const std::int64_t values[4] = {GetImgMarLeft(), GetImgMarTop(), GetImgMarRight(), GetImgMarBottom()};
  if (std::equal(values, values + 4, l->BackMargins)) return true;
  fControl->BeginUpdate();
  std::copy(values, values + 4, l->BackMargins);
  fControl->SetModified(true);
  fControl->NotifyChange(TORChange::Layers);
  fControl->EndUpdate();
  return true;
}

void TfBackMargins::accept() {
  const QString error = Check();
  if (!error.isEmpty()) return fServices->Error(this, windowTitle(), error);
  QDialog::accept();
}

}  // namespace Orv::Fmx
