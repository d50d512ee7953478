#include "ORV.FMX.Settings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "ORV.Edit.h"
#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.DialogServices.h"
#include "ORV.FMX.Editor.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"

namespace Orv::Fmx {

namespace {
QString Text(const char* key) { return TPLNMsg::GetDialogsValue(QLatin1String(key)); }

// Snap kinds in bit order, with their boxes and captions.
struct TSnapBox {
  const char* Name;
  const char* Key;
};
constexpr TSnapBox kSnapBoxes[9] = {
    {"ckPoint", "Point"},           {"ckSnap", "SnapGrid"},         {"ckMiddlePoint", "MiddlePoint"},
    {"ckCenterPoint", "CenterPoint"}, {"ckEndPoint", "EndPoint"},     {"ckRefSymbol", "RefSymbol"},
    {"ckCrossPoint", "CrossPoint"},   {"ckTangentPoint", "TangentPoint"}, {"ckPerpendicularPoint", "PerpendicularPoint"},
};
// Rulers in the bit order of TORVShowRulers.
constexpr TSnapBox kRulerBoxes[4] = {
    {"ckLeftRuler", "LeftRuler"}, {"ckTopRuler", "TopRuler"}, {"ckRightRuler", "RightRuler"}, {"ckBottomRuler", "BottomRuler"}};

// Enough decimals that the smallest value of a range shows with two significant digits.
int DecimalsFor(double smallest) {
  if (!(smallest > 0)) return 2;
  return std::clamp(static_cast<int>(std::ceil(-std::log10(smallest))) + 1, 0, 6);
}

void SetUp(QDoubleSpinBox* box, double low, double high, double value) {
  box->setDecimals(DecimalsFor(low));
  box->setRange(low, high);
  box->setSingleStep(std::pow(10.0, std::floor(std::log10(std::max(low, 1e-9)))));
  box->setValue(value);
}
}  // namespace

TfSettings::TfSettings(QWidget* parent, std::shared_ptr<TDialogServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : TDialogServices::Default()) {
  setObjectName(QStringLiteral("fSettings"));
  auto* root = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  root->addLayout(columns);

  const auto rangeBox = [this](const char* name, int label) {
    auto* b = new TRangeBox;
    b->setObjectName(QLatin1String(name));
    fBoxLabels[label] = new QLabel;
    connect(b, &TRangeBox::Refused, this, [this](const QString& m) { fServices->Error(this, windowTitle(), m); });
    return b;
  };

  // Grid
  auto* grid = new QGroupBox;
  grid->setObjectName(QStringLiteral("gbGrid"));
  auto* gl = new QGridLayout(grid);
  for (int i = 0; i < 3; ++i) {
    fGrid[i] = new QRadioButton;
    fGrid[i]->setObjectName(QStringLiteral("RB%1").arg(i + 1));
    gl->addWidget(fGrid[i], 0, i);
  }
  fGridX = rangeBox("seGridX", 0);
  fGridY = rangeBox("seGridY", 1);
  gl->addWidget(fBoxLabels[0], 1, 0);
  gl->addWidget(fGridX, 1, 1, 1, 2);
  gl->addWidget(fBoxLabels[1], 2, 0);
  gl->addWidget(fGridY, 2, 1, 1, 2);
  auto* gridColor = new QLabel;
  gridColor->setObjectName(QStringLiteral("lbGridColor"));
  gl->addWidget(gridColor, 3, 0);
  gl->addWidget(Swatch("shpGridColor"), 3, 1);
  auto* unitColor = new QLabel;
  unitColor->setObjectName(QStringLiteral("lbUnitColor"));
  gl->addWidget(unitColor, 4, 0);
  gl->addWidget(Swatch("shpUnitColor"), 4, 1);
  left->addWidget(grid);

  // Keyboard steps, orthogonal lines, pick gap
  auto* moves = new QGroupBox;
  moves->setObjectName(QStringLiteral("gbMoves"));
  auto* ml = new QFormLayout(moves);
  fMoveX = rangeBox("seMoveX", 2);
  fMoveY = rangeBox("seMoveY", 3);
  fGap = rangeBox("SEGap", 4);
  ml->addRow(fBoxLabels[2], fMoveX);
  ml->addRow(fBoxLabels[3], fMoveY);
  ml->addRow(fBoxLabels[4], fGap);
  ml->addRow(MakeCheck("ckOrtoLines"));
  left->addWidget(moves);

  // Rulers and guides
  auto* rulers = new QGroupBox;
  rulers->setObjectName(QStringLiteral("gbRulers"));
  auto* rl = new QGridLayout(rulers);
  for (int i = 0; i < 4; ++i) {
    fRulers[i] = MakeCheck(kRulerBoxes[i].Name);
    rl->addWidget(fRulers[i], i / 2, i % 2);
  }
  rl->addWidget(MakeCheck("ckShowSizes"), 2, 0);
  rl->addWidget(Swatch("shSizeColor"), 2, 1);
  rl->addWidget(MakeCheck("ckShowAlignLines"), 3, 0);
  rl->addWidget(Swatch("shAlignLinesColor"), 3, 1);
  auto* alignText = new QLabel;
  alignText->setObjectName(QStringLiteral("lbAlignTextColor"));
  rl->addWidget(alignText, 4, 0);
  rl->addWidget(Swatch("shAlignTextColor"), 4, 1);
  rl->addWidget(MakeCheck("ckShowRefLines"), 5, 0);
  rl->addWidget(Swatch("shRefLinesColor"), 5, 1);
  left->addWidget(rulers);

  // Snapping
  auto* snap = new QGroupBox;
  snap->setObjectName(QStringLiteral("gbSnap"));
  auto* sl = new QVBoxLayout(snap);
  for (int i = 0; i < 9; ++i) {
    fSnaps[i] = MakeCheck(kSnapBoxes[i].Name);
    sl->addWidget(fSnaps[i]);
  }
  sl->addStretch();
  right->addWidget(snap);

  // Terminators of new lines and links (the document's own settings)
  auto* term = new QGroupBox;
  term->setObjectName(QStringLiteral("gbLineTerm"));
  auto* tl = new QFormLayout(term);
  fTermSize = new TRangeBox;
  fTermSize->setObjectName(QStringLiteral("spinEdTermSize"));
  connect(fTermSize, &TRangeBox::Refused, this, [this](const QString& m) { fServices->Error(this, windowTitle(), m); });
  fTermLabels[0] = new QLabel;
  fTermLabels[1] = new QLabel;
  fTermLabels[2] = new QLabel;
  tl->addRow(fTermLabels[0], Swatch("shpTermColor"));
  tl->addRow(fTermLabels[1], Swatch("shpFillTermColor"));
  tl->addRow(fTermLabels[2], fTermSize);
  right->addWidget(term);

  auto* buttons = new QDialogButtonBox;
  auto* ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("btnOk"));
  auto* cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TfSettings::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  root->addWidget(buttons);
}

QCheckBox* TfSettings::MakeCheck(const char* name) {
  auto* c = new QCheckBox;
  c->setObjectName(QLatin1String(name));
  return c;
}

TColorSwatch* TfSettings::Swatch(const char* name) {
  auto* s = new TColorSwatch;
  s->setObjectName(QLatin1String(name));
  s->SetPicks(true, fServices);
  s->setFixedSize(40, 20);
  return s;
}

void TfSettings::FillLanguage() {
  setWindowTitle(QStringLiteral("    ") + Text("Settings"));
  const auto set = [this](const char* name, const QString& text) {
    if (auto* w = findChild<QWidget*>(QLatin1String(name))) {
      if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(text);
      else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(text);
      else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(text);
    }
  };
  set("btnOk", Text("Ok"));
  set("btnCancel", Text("Cancel"));
  set("gbGrid", Text("Grid"));
  set("RB1", Text("None"));
  set("RB2", Text("Points"));
  set("RB3", Text("Lines"));
  const char* boxKeys[5] = {"GridX", "GridY", "MoveX", "MoveY", "PickGap"};
  TRangeBox* boxes[5] = {static_cast<TRangeBox*>(fGridX), static_cast<TRangeBox*>(fGridY), static_cast<TRangeBox*>(fMoveX),
                         static_cast<TRangeBox*>(fMoveY), static_cast<TRangeBox*>(fGap)};
  for (int i = 0; i < 5; ++i) {
    fBoxLabels[i]->setText(Text(boxKeys[i]));
    boxes[i]->Label = Text(boxKeys[i]);
  }
  set("lbGridColor", Text("GridColor"));
  set("lbUnitColor", Text("UnitsColor"));
  set("gbMoves", Text("Moves"));
  set("ckOrtoLines", Text("OrtoLines") + QStringLiteral(" (F8)"));
  set("gbRulers", Text("Rulers"));
  set("ckShowSizes", Text("ShowSizes"));
  set("ckShowAlignLines", Text("ShowAlignLines"));
  set("lbAlignTextColor", Text("AlignTextColor"));
  set("ckShowRefLines", Text("ShowRefLines"));
  set("gbSnap", Text("Snap"));
  set("gbLineTerm", Text("LineTerm"));
  fTermLabels[0]->setText(Text("TermColor"));
  fTermLabels[1]->setText(Text("FillTermColor"));
  fTermLabels[2]->setText(Text("TermSize"));
  fTermSize->Label = PlainLabel(Text("TermSize"));
  for (const TSnapBox& s : kSnapBoxes) set(s.Name, Text(s.Key));
  for (const TSnapBox& s : kRulerBoxes) set(s.Name, Text(s.Key));
  // Swatches tell what they colour in their tips.
  const std::pair<const char*, const char*> tips[] = {{"shpGridColor", "GridColor"}, {"shpUnitColor", "UnitsColor"},
                                                      {"shSizeColor", "SizeColor"}, {"shAlignLinesColor", "AlignLinesColor"},
                                                      {"shAlignTextColor", "AlignTextColor"}, {"shRefLinesColor", "RefLinesColor"}};
  for (const auto& [name, key] : tips)
    if (auto* s = findChild<TColorSwatch*>(QLatin1String(name))) s->setToolTip(Text(key));
}

void TfSettings::Ini(TPlanoraFMX* document, TPLNBaseEditor* editor) {
  FillLanguage();
  fEditor = editor;
  fDocument = document;
  // The terminator defaults belong to the document: nothing to edit without one.
  findChild<QGroupBox*>(QStringLiteral("gbLineTerm"))->setEnabled(document != nullptr);
  const TPLNSettings ds = document ? document->Settings() : TPLNSettings();
  findChild<TColorSwatch*>(QStringLiteral("shpTermColor"))->SetColor(ds.TermColor);
  findChild<TColorSwatch*>(QStringLiteral("shpFillTermColor"))->SetColor(ds.FillTermColor);
  fTermSize->setDecimals(1);
  fTermSize->setRange(TPLNSettings::kMinTermSize, TPLNSettings::kMaxTermSize);
  fTermSize->setSingleStep(0.5);
  fTermSize->setValue(ds.GetTermSize());
  if (!editor) return;
  const auto swatch = [this](const char* name, TAlphaColor c) { findChild<TColorSwatch*>(QLatin1String(name))->SetColor(c); };
  const auto check = [this](const char* name, bool on) { findChild<QCheckBox*>(QLatin1String(name))->setChecked(on); };
  TPLNGrid& g = editor->Grid();
  TPLNRulers& r = editor->Rulers();
  TPLNSelColors& sc = editor->SelectionColors();
  const int style = std::clamp<int>(g.GetStyle(), 0, 2);
  fGrid[style]->setChecked(true);
  SetUp(fGridX, g.MinInc(), g.MaxInc(), g.GetIncX());
  SetUp(fGridY, g.MinInc(), g.MaxInc(), g.GetIncY());
  swatch("shpGridColor", g.GetStepColor());
  swatch("shpUnitColor", g.GetUnitsColor());
  SetUp(fMoveX, editor->MinMoveValue(), editor->MaxMoveValue(), editor->GetMoveX());
  SetUp(fMoveY, editor->MinMoveValue(), editor->MaxMoveValue(), editor->GetMoveY());
  // Without a document the steps have no unit: nothing to edit.
  fMoveX->setEnabled(editor->GetLabel() != nullptr);
  fMoveY->setEnabled(editor->GetLabel() != nullptr);
  fGap->setDecimals(0);
  fGap->setRange(0, 30);
  fGap->setValue(editor->GetGap());
  check("ckOrtoLines", editor->GetOrtoLines());
  check("ckShowSizes", r.GetShowSize());
  swatch("shSizeColor", r.GetSizeColor());
  check("ckShowAlignLines", r.GetShowAlign());
  swatch("shAlignLinesColor", sc.Align);
  swatch("shAlignTextColor", sc.AlignText);
  check("ckShowRefLines", editor->GetShowRefLines());
  swatch("shRefLinesColor", sc.RefLine);
  for (int i = 0; i < 9; ++i) fSnaps[i]->setChecked((editor->GetSnap() >> i) & 1u);
  for (int i = 0; i < 4; ++i) fRulers[i]->setChecked((r.GetVisible() >> i) & 1u);
}

int TfSettings::GridStyle() const {
  for (int i = 0; i < 3; ++i)
    if (fGrid[i]->isChecked()) return i;
  return 0;
}

QString TfSettings::Check() const {
  std::vector<TBoxCheck> boxes;
  QDoubleSpinBox* all[5] = {fGridX, fGridY, fMoveX, fMoveY, fGap};
  for (int i = 0; i < 5; ++i)
    if (all[i]->isEnabled()) boxes.push_back({all[i], fBoxLabels[i]->text()});
  if (fDocument) boxes.push_back({fTermSize, fTermSize->Label});
  return CheckBoxes(boxes);
}

bool TfSettings::WriteBack() {
  if (!fEditor) return false;
  const QString error = Check();
  if (!error.isEmpty()) {
    fServices->Error(this, windowTitle(), error);
    return false;
  }
  TPLNBaseEditor& ed = *fEditor;
  const auto checked = [this](const char* name) { return findChild<QCheckBox*>(QLatin1String(name))->isChecked(); };
  const auto color = [this](const char* name) { return findChild<TColorSwatch*>(QLatin1String(name))->Color(); };
  TPLNRulers& r = ed.Rulers();
  TPLNGrid& g = ed.Grid();
  TPLNSelColors& sc = ed.SelectionColors();
  ed.BeginUpdate();
  // Each side is added or removed on its own, so bits beyond the four sides stay as they were.
  const auto side = [&](int i) {
    const auto bit = static_cast<std::uint8_t>(1u << i);
    r.SetVisible(fRulers[i]->isChecked() ? std::uint8_t(r.GetVisible() | bit) : std::uint8_t(r.GetVisible() & ~bit));
  };
  side(2);
  side(0);
  side(1);
  side(3);
  r.SetShowSize(checked("ckShowSizes"));
  r.SetSizeColor(color("shSizeColor"));
  ed.SetShowRefLines(checked("ckShowRefLines"));
  sc.RefLine = color("shRefLinesColor");
  sc.Align = color("shAlignLinesColor");
  r.SetShowAlign(checked("ckShowAlignLines"));
  sc.AlignText = color("shAlignTextColor");
  g.SetStyle(static_cast<TORVGridDraw>(GridStyle()));
  ed.SetOrtoLines(checked("ckOrtoLines"));
  ed.SetGap(static_cast<int>(std::lround(fGap->value())));
  for (int i = 0; i < 9; ++i) {
    const auto bit = static_cast<std::uint16_t>(1u << i);
    ed.SetSnap(fSnaps[i]->isChecked() ? std::uint16_t(ed.GetSnap() | bit) : std::uint16_t(ed.GetSnap() & ~bit));
  }
  if (fMoveX->isEnabled()) {
    ed.SetMoveX(fMoveX->value());
    ed.SetMoveY(fMoveY->value());
  }
  g.SetStepColor(color("shpGridColor"));
  g.SetUnitsColor(color("shpUnitColor"));
  g.SetIncX(fGridX->value());
  g.SetIncY(fGridY->value());
  g.SetStyle(static_cast<TORVGridDraw>(GridStyle()));
  ed.EndUpdate();
  if (fDocument) {
    TPLNSettings ds = fDocument->Settings();
    ds.TermColor = color("shpTermColor");
    ds.FillTermColor = color("shpFillTermColor");
    ds.SetTermSize(static_cast<float>(fTermSize->value()));
    // The document's part is one step of its history.
    fDocument->BeginUpdate(true);
    fDocument->SetSettings(ds);
    fDocument->EndUpdate();
  }
  // Colour fields set directly are seen at the next paint.
  ed.DrawEditor();
  return true;
}

void TfSettings::accept() {
  const QString error = Check();
  if (!error.isEmpty()) return fServices->Error(this, windowTitle(), error);
  QDialog::accept();
}

}  // namespace Orv::Fmx
