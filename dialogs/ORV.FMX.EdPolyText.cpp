#include "ORV.FMX.EdPolyText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "ORV.Base.h"
#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.DialogServices.h"
#include "ORV.FMX.Types.h"
#include "ORV.Msg.h"
#include "ORV.Poly.h"

namespace Orv::Fmx {

using Text::TPLNBasePoly;
using Text::TPLNDataPoly;

namespace {

constexpr double kBasePerMm = 1000.0;

}  // namespace

TfEdPoly::TfEdPoly(QWidget* parent, std::shared_ptr<TDialogServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : TDialogServices::Default()) {
  setObjectName(QStringLiteral("fEdPoly"));
  lbColumns = Named<QListWidget>(this, "lbColumns");
  butAdd = Named<QPushButton>(this, "butAdd");
  butDelete = Named<QPushButton>(this, "butDelete");
  butUp = Named<QPushButton>(this, "butUp");
  butDown = Named<QPushButton>(this, "butDown");
  butUp->setText(QStringLiteral("\u25B2"));
  butDown->setText(QStringLiteral("\u25BC"));
  for (QPushButton* b : {butAdd, butDelete, butUp, butDown}) b->setAutoDefault(false);
  edText = Named<QLineEdit>(this, "edText");
  cbFontName = Named<QComboBox>(this, "cbFontName");
  ckBold = Named<QCheckBox>(this, "ckBold");
  ckItalic = Named<QCheckBox>(this, "ckItalic");
  seFontHeight = Named<TRangeBox>(this, "seFontHeight");
  seFontHeight->setRange(0.1, 1000);
  seFontHeight->setSingleStep(0.1);
  seFontHeight->setDecimals(1);
  shFontColor = Named<TColorSwatch>(this, "shFontColor");
  shFontColor->setProperty("tag", 1);
  shBackColor = Named<TColorSwatch>(this, "shBackColor");
  shBackColor->setProperty("tag", 0);
  for (TColorSwatch* s : {shFontColor, shBackColor}) s->setFixedSize(48, 22);
  ckFill = Named<QCheckBox>(this, "ckFill");
  cBoxFields = Named<QComboBox>(this, "cBoxFields");
  cBoxFields->setContextMenuPolicy(Qt::CustomContextMenu);
  PopMenu = new QMenu(this);
  PopMenu->setObjectName(QStringLiteral("PopMenu"));
  menuClear = PopMenu->addAction(QString());
  menuClear->setObjectName(QStringLiteral("menuClear"));
  edFormat = Named<QLineEdit>(this, "edFormat");
  edIA = Named<QLineEdit>(this, "edIA");
  ckAddParenthesis = Named<QCheckBox>(this, "ckAddParenthesis");

  auto label = [this](const char* key) {
    auto* l = new QLabel(this);
    fPropLabels.emplace_back(l, key);
    return l;
  };
  auto row = [](std::initializer_list<QWidget*> ws) {
    auto* h = new QHBoxLayout;
    for (QWidget* w : ws) h->addWidget(w);
    h->addStretch(1);
    return h;
  };
  auto* form = new QGridLayout;
  int r = 0;
  form->addWidget(label("Text"), r, 0);
  form->addWidget(edText, r++, 1);
  form->addWidget(label("FontName"), r, 0);
  form->addWidget(cbFontName, r++, 1);
  form->addWidget(label("FontHeight"), r, 0);
  form->addLayout(row({seFontHeight, ckBold, ckItalic}), r++, 1);
  form->addWidget(label("Color"), r, 0);
  form->addLayout(row({shFontColor, ckFill, shBackColor}), r++, 1);
  form->addWidget(label("Field"), r, 0);
  form->addWidget(cBoxFields, r++, 1);
  form->addWidget(label("Format"), r, 0);
  form->addWidget(edFormat, r++, 1);
  form->addWidget(label("IA"), r, 0);
  form->addLayout(row({edIA, ckAddParenthesis}), r++, 1);
  form->setRowStretch(r, 1);
  auto* list = new QVBoxLayout;
  list->addWidget(lbColumns, 1);
  auto* moves = new QHBoxLayout;
  for (QPushButton* b : {butAdd, butDelete, butUp, butDown}) moves->addWidget(b);
  list->addLayout(moves);
  auto* top = new QHBoxLayout(this);
  top->addLayout(list, 1);
  top->addLayout(form, 2);

  connect(butAdd, &QPushButton::clicked, this, [this] { AddRun(); });
  connect(butDelete, &QPushButton::clicked, this, [this] { DeleteRun(); });
  connect(butUp, &QPushButton::clicked, this, [this] { MoveUp(); });
  connect(butDown, &QPushButton::clicked, this, [this] { MoveDown(); });
  connect(lbColumns, &QListWidget::currentRowChanged, this, [this] {
    if (fUpdating) return;
    AdjustUpDown();
    ShowColumn();
  });
  connect(edText, &QLineEdit::editingFinished, this, [this] {
    if (fUpdating || SelectedRun() < 1) return;
    const QString text = edText->text();
    ChangeRun([&](TPLNDataPoly& run) { run.SetText(text); });
    if (QListWidgetItem* line = lbColumns->currentItem()) line->setText(text.trimmed());
  });
  connect(cbFontName, &QComboBox::currentTextChanged, this, [this](const QString& name) {
    if (!fUpdating && !name.isEmpty()) ChangeRun([&](TPLNDataPoly& run) { run.SetFontName(name); });
  });
  connect(ckBold, &QCheckBox::toggled, this, [this](bool on) {
    if (!fUpdating) ChangeRun([&](TPLNDataPoly& run) { run.SetBold(on); });
  });
  connect(ckItalic, &QCheckBox::toggled, this, [this](bool on) {
    if (!fUpdating) ChangeRun([&](TPLNDataPoly& run) { run.SetItalic(on); });
  });
  connect(seFontHeight, &TRangeBox::valueChanged, this, [this](double mm) {
    if (!fUpdating)
      ChangeRun([&](TPLNDataPoly& run) { run.SetBaseFontHeight(std::int64_t(std::llround(mm * kBasePerMm))); });
  });
  connect(seFontHeight, &TRangeBox::Refused, this,
          [this](const QString& message) { fServices->Error(this, Prop("PolyText"), message); });
  connect(cBoxFields, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (fUpdating || i < 0) return;
    const QString field = cBoxFields->itemText(i);
    ChangeRun([&](TPLNDataPoly& run) { run.SetField(field); });
  });
  connect(cBoxFields, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopMenu->popup(cBoxFields->mapToGlobal(at)); });
  connect(menuClear, &QAction::triggered, this, [this] { ClearField(); });
  connect(edFormat, &QLineEdit::editingFinished, this, [this] {
    if (!fUpdating) ChangeRun([&](TPLNDataPoly& run) { run.SetFormat(edFormat->text()); });
  });
  connect(edIA, &QLineEdit::editingFinished, this, [this] {
    if (!fUpdating) ChangeRun([&](TPLNDataPoly& run) { run.SetIA(edIA->text()); });
  });
  connect(ckAddParenthesis, &QCheckBox::toggled, this, [this](bool on) {
    if (!fUpdating) ChangeRun([&](TPLNDataPoly& run) { run.SetAddPar(on); });
  });
  connect(shFontColor, &QToolButton::clicked, this, [this] { PickColor(1); });
  connect(shBackColor, &QToolButton::clicked, this, [this] { PickColor(0); });
  FillLanguage();
  AdjustUpDown();
  resize(560, 320);
}

void TfEdPoly::FillLanguage() {
  setWindowTitle(Prop("PolyText"));
  butAdd->setText(Dlg("Add"));
  butDelete->setText(Dlg("Delete"));
  butUp->setToolTip(Dlg("Up"));
  butDown->setToolTip(Dlg("Down"));
  for (auto& [l, key] : fPropLabels) l->setText(Prop(key));
  ckFill->setText(Prop("Fill"));
  ckBold->setText(Prop("Bold"));
  ckItalic->setText(Prop("Italic"));
  ckAddParenthesis->setText(Prop("AddParen"));
  menuClear->setText(Dlg("Clear"));
  seFontHeight->Label = Prop("FontHeight");
}

void TfEdPoly::FillFonts() {
  const QStringList fonts = FontList(fDoc, this);
  cbFontName->clear();
  cbFontName->addItems(fonts);
}

void TfEdPoly::FillFields() {
  const TPLNBasePoly* p = Poly();
  cBoxFields->clear();
  if (p) cBoxFields->addItems(p->GetDataFields());
}

void TfEdPoly::Ini(TPLNBaseLabel* doc) {
  // A run has no back colour of its own: the item's fill is set in the inspector.
  shBackColor->hide();
  ckFill->hide();
  fDoc = doc;
  fUpdating = true;
  FillLanguage();
  FillFonts();
  FillFields();
  FillColumns();
  fUpdating = false;
  if (const TPLNBasePoly* p = Poly(); p && p->GetItemCount() == 0) AddRun();
}

TPLNBasePoly* TfEdPoly::Poly() const {
  if (!fDoc || fDoc->GetSelectionCount() < 1) return nullptr;
  auto* p = dynamic_cast<TPLNBasePoly*>(fDoc->GetSelection(1));
  // Runs are what a poly text of text content shows; codes are edited in the inspector.
  return p && p->GetPolyType() == Text::TORVPolyType::Runs ? p : nullptr;
}

int TfEdPoly::SelectedRun() const {
  const TPLNBasePoly* p = Poly();
  const int line = lbColumns->currentRow();
  return p && line >= 0 && line < p->GetItemCount() ? line + 1 : 0;
}

void TfEdPoly::SelectRun(int run) {
  if (run >= 1 && run <= lbColumns->count()) lbColumns->setCurrentRow(run - 1);
}

void TfEdPoly::FillColumns() {
  const TPLNBasePoly* p = Poly();
  const bool was = fUpdating;
  fUpdating = true;
  lbColumns->clear();
  for (int i = 1; p && i <= p->GetItemCount(); ++i) lbColumns->addItem(p->GetItem(i).GetText().trimmed());
  if (lbColumns->count() > 0) lbColumns->setCurrentRow(0);
  fUpdating = was;
  AdjustUpDown();
  if (lbColumns->count() > 0) ShowColumn();
}

void TfEdPoly::AdjustUpDown() {
  butAdd->setEnabled(Poly() != nullptr);
  Fmx::AdjustUpDown(lbColumns, Poly() != nullptr, butDelete, butUp, butDown);
}

void TfEdPoly::ShowColumn() {
  const TPLNBasePoly* p = Poly();
  const int i = SelectedRun();
  for (QWidget* w : std::initializer_list<QWidget*>{edText, cbFontName, ckBold, ckItalic, seFontHeight, shFontColor,
                                                    cBoxFields, edFormat, edIA, ckAddParenthesis})
    w->setEnabled(i > 0);
  if (!p || i < 1) return;
  const TPLNDataPoly& run = p->GetItem(i);
  const bool was = fUpdating;
  fUpdating = true;
  edText->setText(run.GetText());
  int font = cbFontName->findText(run.GetFontName(), Qt::MatchFixedString);
  if (font < 0 && !run.GetFontName().isEmpty()) {
    cbFontName->insertItem(0, run.GetFontName());
    font = 0;
  }
  cbFontName->setCurrentIndex(font);
  ckBold->setChecked(run.GetBold());
  ckItalic->setChecked(run.GetItalic());
  seFontHeight->setValue(run.GetBaseFontHeight() / kBasePerMm);
  shFontColor->SetColor(run.GetColor());
  cBoxFields->setCurrentIndex(run.GetField().isEmpty() ? -1 : cBoxFields->findText(run.GetField(), Qt::MatchFixedString));
  edFormat->setText(run.GetFormat());
  edIA->setText(run.GetIA());
  ckAddParenthesis->setChecked(run.GetAddPar());
  fUpdating = was;
}

void TfEdPoly::ChangeRun(const std::function<void(TPLNDataPoly&)>& change) {
  TPLNBasePoly* p = Poly();
  const int i = SelectedRun();
  if (!p || i < 1) return;
  TPLNDataPoly run = p->GetItem(i);
  change(run);
  TDocStep step(*fDoc);
  p->SetItem(i, run);
}

void TfEdPoly::AddRun() {
  TPLNBasePoly* p = Poly();
  if (!p) return;
  const QString name = fServices->AskText(this, Dlg("AddText"), Prop("Name"), QString());
  if (name.trimmed().isEmpty()) return;
  fUpdating = true;
  {
    TDocStep step(*fDoc);
    p->AddElement(name, 0);
  }
  lbColumns->addItem(name.trimmed());
  lbColumns->setCurrentRow(lbColumns->count() - 1);
  fUpdating = false;
  ShowColumn();
  AdjustUpDown();
}

void TfEdPoly::DeleteRun() {
  TPLNBasePoly* p = Poly();
  const int i = SelectedRun();
  if (!p || i < 1) return;
  {
    TDocStep step(*fDoc);
    p->DeleteItem(i);
  }
  fUpdating = true;
  DropLine(lbColumns, i - 1);
  fUpdating = false;
  AdjustUpDown();
  ShowColumn();
}

void TfEdPoly::Exchange(int from, int to) {
  TPLNBasePoly* p = Poly();
  if (p && from >= 1) {
    bool moved;
    {
      TDocStep step(*fDoc);
      moved = p->Exchange(from, to);
    }
    if (moved) {
      fUpdating = true;
      SwapLines(lbColumns, from - 1, to - 1);
      fUpdating = false;
      ShowColumn();
    }
  }
  AdjustUpDown();
}

void TfEdPoly::MoveUp() { Exchange(SelectedRun(), SelectedRun() - 1); }
void TfEdPoly::MoveDown() { Exchange(SelectedRun(), SelectedRun() + 1); }

void TfEdPoly::ClearField() {
  if (SelectedRun() < 1) return;
  fUpdating = true;
  cBoxFields->setCurrentIndex(-1);
  fUpdating = false;
  ChangeRun([](TPLNDataPoly& run) { run.SetField(QString()); });
}

void TfEdPoly::PickColor(int tag) {
  // Only the font colour: runs have no back colour (the swatch for it stays hidden).
  if (tag != 1 || SelectedRun() < 1) return;
  QColor colour = QColor::fromRgba(shFontColor->Color());
  if (!fServices->PickColor(this, colour)) return;
  const TAlphaColor chosen = colour.rgba();
  fUpdating = true;
  shFontColor->SetColor(chosen);
  fUpdating = false;
  ChangeRun([&](TPLNDataPoly& run) { run.SetColor(chosen); });
}

}  // namespace Orv::Fmx
