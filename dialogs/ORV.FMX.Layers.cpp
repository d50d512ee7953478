#include "ORV.FMX.Layers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "ORV.FMX.Back.Margins.h"
#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.DialogServices.h"
#include "ORV.FMX.SelMap.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"

namespace Orv::Fmx {

namespace {

// Pen widths are base units in the document and millimetres in the window.
constexpr double kBasePerMm = 1000.0;
// The level the map window starts at.
constexpr int kDefaultMapZoom = 15;

}  // namespace

TfLayers::TfLayers(QWidget* parent, std::shared_ptr<TDialogServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : TDialogServices::Default()) {
  setObjectName(QStringLiteral("fLayers"));
  lbLayers = Named<QListWidget>(this, "lbLayers");
  edName = Named<QLineEdit>(this, "edName");
  cbFontName = Named<QComboBox>(this, "cbFontName");
  seFontHeight = Named<QDoubleSpinBox>(this, "seFontHeight");
  seFontHeight->setRange(0.1, 1000);
  seFontHeight->setDecimals(2);
  seFontHeight->setSingleStep(0.5);
  sePenWidth = Named<QDoubleSpinBox>(this, "sePenWidth");
  sePenWidth->setRange(0.1, 100);
  sePenWidth->setDecimals(2);
  sePenWidth->setSingleStep(0.05);
  // Typed values are written when the user leaves the box, not at every digit.
  seFontHeight->setKeyboardTracking(false);
  sePenWidth->setKeyboardTracking(false);
  shBackColor = Named<QToolButton>(this, "shBackColor");
  shColor = Named<QToolButton>(this, "shColor");
  shFontColor = Named<QToolButton>(this, "shFontColor");
  for (QToolButton* b : {shBackColor, shColor, shFontColor}) b->setFixedSize(48, 22);
  ckActive = Named<QCheckBox>(this, "ckActive");
  ckVisible = Named<QCheckBox>(this, "ckVisible");
  ckPrint = Named<QCheckBox>(this, "ckPrint");
  ckSelect = Named<QCheckBox>(this, "ckSelect");
  ckExport = Named<QCheckBox>(this, "ckExport");
  ckPrintBack = Named<QCheckBox>(this, "ckPrintBack");
  ckExportBack = Named<QCheckBox>(this, "ckExportBack");
  ckLayerZPos = Named<QCheckBox>(this, "ckLayerZPos");
  butAdd = Named<QPushButton>(this, "butAdd");
  butDelete = Named<QPushButton>(this, "butDelete");
  butUp = Named<QPushButton>(this, "butUp");
  butDown = Named<QPushButton>(this, "butDown");
  butApply = Named<QPushButton>(this, "butApply");
  butBackImage = Named<QPushButton>(this, "butBackImage");
  butBackMap = Named<QPushButton>(this, "butBackMap");
  butBackMargins = Named<QPushButton>(this, "butBackMargins");
  butClose = Named<QPushButton>(this, "butClose");
  lbName = new QLabel(this);
  lbFontName = new QLabel(this);
  lbFontHeight = new QLabel(this);
  lbPenWidth = new QLabel(this);
  lbBackColor = new QLabel(this);
  lbColor = new QLabel(this);
  lbFontColor = new QLabel(this);
  lbLayer = new QLabel(this);
  // Enter confirms the field being typed in; it never presses a button.
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
  // Applying the layer's values to its items is not offered yet.
  butApply->setEnabled(false);

  auto* list = new QVBoxLayout;
  list->addWidget(lbLayer);
  list->addWidget(lbLayers, 1);
  auto* moves = new QHBoxLayout;
  for (QPushButton* b : {butAdd, butDelete, butUp, butDown}) moves->addWidget(b);
  list->addLayout(moves);
  list->addWidget(ckLayerZPos);

  auto* form = new QGridLayout;
  int row = 0;
  auto put = [&](QLabel* label, QWidget* w) {
    form->addWidget(label, row, 0);
    form->addWidget(w, row++, 1);
  };
  put(lbName, edName);
  put(lbFontName, cbFontName);
  put(lbFontHeight, seFontHeight);
  put(lbPenWidth, sePenWidth);
  put(lbBackColor, shBackColor);
  put(lbColor, shColor);
  put(lbFontColor, shFontColor);
  auto* options = new QGridLayout;
  options->addWidget(ckActive, 0, 0);
  options->addWidget(ckVisible, 0, 1);
  options->addWidget(ckPrint, 1, 0);
  options->addWidget(ckSelect, 1, 1);
  options->addWidget(ckExport, 2, 0);
  options->addWidget(ckPrintBack, 3, 0);
  options->addWidget(ckExportBack, 3, 1);
  auto* back = new QHBoxLayout;
  for (QPushButton* b : {butBackImage, butBackMap, butBackMargins}) back->addWidget(b);
  auto* right = new QVBoxLayout;
  right->addLayout(form);
  right->addLayout(options);
  right->addLayout(back);
  right->addStretch(1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(butApply);
  bottom->addStretch(1);
  bottom->addWidget(butClose);
  right->addLayout(bottom);
  auto* top = new QHBoxLayout(this);
  top->addLayout(list, 1);
  top->addLayout(right, 2);

  connect(lbLayers, &QListWidget::currentRowChanged, this, [this](int r) {
    if (!fInitialising && r >= 0) SelectLayer(r + 1);
  });
  // The list entry follows the typing; the layer takes the name when the user is done.
  connect(edName, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (QListWidgetItem* entry = lbLayers->item(fSelected - 1)) entry->setText(text);
  });
  connect(edName, &QLineEdit::editingFinished, this, [this] { NameEdited(); });
  connect(cbFontName, &QComboBox::currentTextChanged, this, [this](const QString& name) {
    if (!fInitialising && !name.isEmpty()) ChangeLayer([&](TPLNLayer& l) { l.FontName = name; });
  });
  connect(seFontHeight, &QDoubleSpinBox::valueChanged, this, [this](double v) {
    if (!fInitialising) ChangeLayer([&](TPLNLayer& l) { l.FontHeight = static_cast<float>(v); });
  });
  connect(sePenWidth, &QDoubleSpinBox::valueChanged, this, [this](double v) {
    if (!fInitialising) ChangeLayer([&](TPLNLayer& l) { l.PenWidth = std::round(v * kBasePerMm); });
  });
  connect(shBackColor, &QToolButton::clicked, this, [this] { PickColor(0); });
  connect(shColor, &QToolButton::clicked, this, [this] { PickColor(1); });
  connect(shFontColor, &QToolButton::clicked, this, [this] { PickColor(2); });
  connect(ckActive, &QCheckBox::toggled, this, [this](bool on) {
    // Some layer is always active: unchecking cannot make none active.
    if (fInitialising || !fDoc || fSelected < 1) return;
    if (on) {
      TPLNUndoGroup step(*fDoc);
      fDoc->SetActiveLayer(fSelected);
    } else {
      fInitialising = true;
      ckActive->setChecked(fDoc->GetActiveLayerIndex() == fSelected);
      fInitialising = false;
    }
  });
  const std::pair<QCheckBox*, std::uint16_t> bits[] = {
      {ckVisible, Opt::Visible},       {ckPrint, Opt::Print},
      {ckSelect, Opt::Selectable},     {ckExport, Opt::Export},
      {ckPrintBack, Opt::PrintBackground}, {ckExportBack, Opt::ExportBackground}};
  for (const auto& [box, bit] : bits)
    connect(box, &QCheckBox::toggled, this, [this, bit = bit](bool on) {
      if (!fInitialising) SetOption(bit, on);
    });
  connect(ckLayerZPos, &QCheckBox::toggled, this, [this](bool on) {
    if (fInitialising || !fDoc) return;
    TPLNUndoGroup step(*fDoc);
    fDoc->SetLayerZOrder(on);
  });
  connect(butAdd, &QPushButton::clicked, this, [this] { AddLayer(); });
  connect(butDelete, &QPushButton::clicked, this, [this] { DeleteLayer(); });
  connect(butUp, &QPushButton::clicked, this, [this] { MoveUp(); });
  connect(butDown, &QPushButton::clicked, this, [this] { MoveDown(); });
  connect(butBackMargins, &QPushButton::clicked, this, [this] { EditMargins(); });
  connect(butBackMap, &QPushButton::clicked, this, [this] { BackMap(); });
  connect(butBackImage, &QPushButton::clicked, this, [this] { BackImage(); });
  connect(butClose, &QPushButton::clicked, this, &QDialog::accept);
  FillLanguage();
  AdjustUpDown();
}

void TfLayers::FillLanguage() {
  setWindowTitle(QStringLiteral("    ") + Dlg("Layers"));
  butAdd->setText(Dlg("Add"));
  butDelete->setText(Dlg("Delete"));
  butUp->setText(Dlg("Up"));
  butDown->setText(Dlg("Down"));
  butApply->setText(Dlg("ApplyLayer"));
  butBackImage->setText(Dlg("BackImage"));
  butBackMap->setText(Dlg("BackMap"));
  butBackMargins->setText(Dlg("BackMargins"));
  butClose->setText(Dlg("Ok"));
  ckExport->setText(Dlg("Export"));
  ckPrintBack->setText(Dlg("PrintBack"));
  ckExportBack->setText(Dlg("ExportBack"));
  lbLayer->setText(Dlg("Layer"));
  ckLayerZPos->setText(Prop("ZOrderLayer"));
  lbBackColor->setText(Prop("BackColor"));
  lbColor->setText(Prop("Color"));
  lbFontColor->setText(Prop("FontColor"));
  lbFontName->setText(Prop("FontName"));
  lbFontHeight->setText(Prop("FontHeight"));
  lbPenWidth->setText(Prop("PenWidth"));
  lbName->setText(Prop("Name"));
  ckActive->setText(Prop("Active"));
  ckVisible->setText(Prop("View"));
  ckPrint->setText(Prop("Print"));
  ckSelect->setText(Prop("Select"));
}

void TfLayers::Ini(TPlanoraFMX* doc) {
  fDoc = doc;
  fInitialising = true;
  const QStringList fonts = FontList(fDoc, this);
  cbFontName->clear();
  cbFontName->addItems(fonts);
  FillLanguage();
  lbLayers->clear();
  fSelected = 0;
  if (fDoc) {
    for (int i = 1; i <= fDoc->GetLayersCount(); ++i) lbLayers->addItem(fDoc->GetLayer(i)->Name);
    ckLayerZPos->setChecked(fDoc->GetLayerZOrder());
  }
  fInitialising = false;
  if (fDoc) SelectLayer(1);
  AdjustUpDown();
}

void TfLayers::SelectLayer(int number) {
  if (!fDoc || number < 1 || number > fDoc->GetLayersCount()) return;
  fSelected = number;
  fInitialising = true;
  lbLayers->setCurrentRow(number - 1);
  fInitialising = false;
  ShowLayer();
  AdjustUpDown();
}

void TfLayers::ShowSwatch(QToolButton* swatch, unsigned colour) {
  const QColor c = QColor::fromRgba(colour);
  swatch->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid gray;").arg(c.name(QColor::HexArgb)));
  swatch->setProperty("colour", QVariant::fromValue(colour));
  swatch->setToolTip(c.name(QColor::HexArgb).toUpper());
}

void TfLayers::ShowLayer() {
  const TPLNLayer* l = fDoc ? fDoc->GetLayer(fSelected) : nullptr;
  if (!l) return;
  fInitialising = true;
  edName->setText(l->Name);
  int font = cbFontName->findText(l->FontName, Qt::MatchExactly);
  if (font < 0 && !l->FontName.isEmpty()) {
    // A font this machine lacks still shows under its name.
    cbFontName->insertItem(0, l->FontName);
    font = 0;
  }
  cbFontName->setCurrentIndex(font);
  seFontHeight->setValue(l->FontHeight);
  sePenWidth->setValue(l->PenWidth / kBasePerMm);
  ShowSwatch(shBackColor, l->BackColor);
  ShowSwatch(shColor, l->PenColor);
  ShowSwatch(shFontColor, l->FontColor);
  ckActive->setChecked(fDoc->GetActiveLayerIndex() == fSelected);
  ckVisible->setChecked(l->HasOption(Opt::Visible));
  ckPrint->setChecked(l->HasOption(Opt::Print));
  ckSelect->setChecked(l->HasOption(Opt::Selectable));
  ckExport->setChecked(l->HasOption(Opt::Export));
  ckPrintBack->setChecked(l->HasOption(Opt::PrintBackground));
  ckExportBack->setChecked(l->HasOption(Opt::ExportBackground));
  ckLayerZPos->setChecked(fDoc->GetLayerZOrder());
  fInitialising = false;
}

void TfLayers::AdjustUpDown() {
  const int count = fDoc ? fDoc->GetLayersCount() : 0;
  const bool movable = fSelected > 1 && fSelected <= count;
  butBackMargins->setEnabled(fSelected >= 1 && fSelected <= count);
  butBackMap->setEnabled(fSelected >= 1 && fSelected <= count);
  butBackImage->setEnabled(fSelected >= 1 && fSelected <= count);
  butDelete->setEnabled(movable);
  butUp->setEnabled(movable && fSelected != 2);
  butDown->setEnabled(movable && fSelected < count);
}

void TfLayers::ChangeLayer(const std::function<void(TPLNLayer&)>& change) {
  TPLNLayer* l = fDoc ? fDoc->GetLayer(fSelected) : nullptr;
  if (!l) return;
  TPLNUndoGroup step(*fDoc);
  change(*l);
  fDoc->SetModified(true);
  fDoc->NotifyChange(TORChange::Layers);
}

void TfLayers::NameEdited() {
  TPLNLayer* l = fDoc ? fDoc->GetLayer(fSelected) : nullptr;
  if (!l || fInitialising) return;
  const QString name = edName->text().trimmed();
  if (name == l->Name) {
    if (QListWidgetItem* entry = lbLayers->item(fSelected - 1)) entry->setText(name);
    return;
  }
  QString refused;
  if (name.isEmpty()) refused = Err("EmptyName");
  for (int i = 1; i <= fDoc->GetLayersCount() && refused.isEmpty(); ++i)
    if (i != fSelected && fDoc->GetLayer(i)->Name.compare(name, Qt::CaseInsensitive) == 0) refused = Err("LayerName");
  if (!refused.isEmpty()) {
    // The old name comes back before the message, so a second editingFinished finds nothing to do.
    fInitialising = true;
    edName->setText(l->Name);
    if (QListWidgetItem* entry = lbLayers->item(fSelected - 1)) entry->setText(l->Name);
    fInitialising = false;
    fServices->Error(this, Dlg("Layers"), refused);
    return;
  }
  ChangeLayer([&](TPLNLayer& layer) { layer.Name = name; });
  if (QListWidgetItem* entry = lbLayers->item(fSelected - 1)) entry->setText(name);
}

void TfLayers::SetOption(std::uint16_t bit, bool on) {
  ChangeLayer([&](TPLNLayer& l) {
    l.Options = static_cast<std::uint16_t>(on ? (l.Options | bit) : (l.Options & ~bit));
  });
}

void TfLayers::PickColor(int tag) {
  TPLNLayer* l = fDoc ? fDoc->GetLayer(fSelected) : nullptr;
  if (!l) return;
  TAlphaColor* field = tag == 0 ? &l->BackColor : tag == 1 ? &l->PenColor : &l->FontColor;
  QColor colour = QColor::fromRgba(*field);
  if (!fServices->PickColor(this, colour)) return;
  const TAlphaColor chosen = colour.rgba();
  ChangeLayer([&](TPLNLayer&) { *field = chosen; });
  ShowSwatch(tag == 0 ? shBackColor : tag == 1 ? shColor : shFontColor, chosen);
}

void TfLayers::EditMargins() {
  if (!fDoc || fSelected < 1) return;
  TfBackMargins window(this, fServices);
  if (!window.Ini(fDoc, fSelected)) return;
  // The window refuses to close on margins it cannot take; its write is one undo step.
  if (window.exec() == QDialog::Accepted) window.WriteBack();
}

void TfLayers::BackMap() {
  TPLNLayer* l = fDoc ? fDoc->GetLayer(fSelected) : nullptr;
  if (!l) return;
  const TPLNMapping before = fDoc->Mapping();
  if (l->HasOption(Opt::MapBackground)) {
    TPLNMapping& m = fDoc->Mapping();
    // A zoom no map has (a damaged file) is not pinned to the nearest level: the window's usual one.
    const bool zoomOk = l->MapZoom >= TPLNMapping::kMinZoom && l->MapZoom <= TPLNMapping::kMaxZoom;
    m.CopyFromLayer(*l);
    if (!zoomOk) m.SetZoom(kDefaultMapZoom);
  }
  const TPLNMeasure& size = fDoc->Measure();
  const auto px = [](std::int64_t base) {
    return static_cast<int>(std::llround(std::abs(static_cast<double>(base)) * 96.0 / 25400.0));
  };
  TfSelMap window(this, fServices);
  window.Ini(fDoc, true, px(size.Sizes[TPLNMeasure::LabelWidth]), px(size.Sizes[TPLNMeasure::LabelHeight]));
  if (window.exec() != QDialog::Accepted) {
    fDoc->Mapping() = before;  // the window puts its own changes back; these are ours
    return;
  }
  try {
    TPLNUndoGroup step(*fDoc);
    fDoc->UseMapOnLayer(fSelected);
    if (window.AssignScale()) fDoc->Mapping().ApplyScale(*fDoc);
  } catch (const EPLNError& e) {
    fDoc->Mapping() = before;
    fServices->Error(this, Dlg("Layers"), e.Message());
    return;
  }
  ShowLayer();
}

void TfLayers::BackImage() {
  if (!fDoc || !fDoc->GetLayer(fSelected)) return;
  const QString file = fServices->OpenFileName(this, Dlg("BackImage"), fDoc->PictureFolder(),
                                               Dlg("ImageFiles") + QStringLiteral(" (*.png *.jpg *.jpeg *.bmp *.gif *.webp)"));
  if (file.isEmpty()) return;
  fDoc->PictureChosen(file);
  try {
    TPLNUndoGroup step(*fDoc);
    fDoc->UseImageOnLayer(fSelected, file);
  } catch (const EPLNError& e) {
    fServices->Error(this, Dlg("Layers"), e.Message());
    return;
  }
  ShowLayer();
}

void TfLayers::AddLayer() {
  if (!fDoc) return;
  // A name no layer has yet.
  QString name;
  for (int n = fDoc->GetLayersCount() + 1;; ++n) {
    name = Dlg("NewLayer").arg(n);
    bool used = false;
    for (int i = 1; i <= fDoc->GetLayersCount() && !used; ++i)
      used = fDoc->GetLayer(i)->Name.compare(name, Qt::CaseInsensitive) == 0;
    if (!used) break;
  }
  {
    TPLNUndoGroup step(*fDoc);
    fDoc->AddLayer(name);
  }
  lbLayers->addItem(name);
  SelectLayer(fDoc->GetLayersCount());
}

void TfLayers::DeleteLayer() {
  if (!fDoc || fSelected < 1) return;
  if (fSelected == 1) {
    fServices->Error(this, Dlg("Layers"), Err("DelDefLayer"));
    return;
  }
  if (!fServices->Confirm(this, Dlg("Layers"), Dlg("DelLayer"))) return;
  const int before = fDoc->GetLayersCount();
  {
    TPLNUndoGroup step(*fDoc);
    fDoc->DeleteLayer(fSelected);
  }
  if (fDoc->GetLayersCount() == before) return;
  fInitialising = true;
  delete lbLayers->takeItem(fSelected - 1);
  fInitialising = false;
  SelectLayer(std::min(fSelected, fDoc->GetLayersCount()));
}

void TfLayers::MoveUp() {
  if (!fDoc || fSelected <= 2) return;
  bool moved;
  {
    TPLNUndoGroup step(*fDoc);
    moved = fDoc->ExchangeLayers(fSelected, fSelected - 1);
  }
  if (!moved) return;
  // The entries follow their layers, so the list keeps showing the layer order.
  QListWidgetItem* a = lbLayers->item(fSelected - 1);
  QListWidgetItem* b = lbLayers->item(fSelected - 2);
  const QString t = a->text();
  a->setText(b->text());
  b->setText(t);
  SelectLayer(fSelected - 1);
}

void TfLayers::MoveDown() {
  if (!fDoc || fSelected <= 1 || fSelected >= fDoc->GetLayersCount()) return;
  bool moved;
  {
    TPLNUndoGroup step(*fDoc);
    moved = fDoc->ExchangeLayers(fSelected, fSelected + 1);
  }
  if (!moved) return;
  QListWidgetItem* a = lbLayers->item(fSelected - 1);
  QListWidgetItem* b = lbLayers->item(fSelected);
  const QString t = a->text();
  a->setText(b->text());
  b->setText(t);
  SelectLayer(fSelected + 1);
}

}  // namespace Orv::Fmx
