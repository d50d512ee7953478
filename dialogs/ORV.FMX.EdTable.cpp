#include "ORV.FMX.EdTable.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "ORV.Base.h"
#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.DialogServices.h"
#include "ORV.FMX.Types.h"
#include "ORV.Msg.h"
#include "ORV.Table.h"

namespace Orv::Fmx {

using F2d::TORVFooter;
using F2d::TPLNBaseTable;
using F2d::TPLNColumn;
using F2d::TPLNTableCell;

namespace {

// Band heights and font heights are base units in the table and millimetres in the window.
constexpr double kBasePerMm = 1000.0;

// The dialog-table keys of the footer kinds, by kind; kind 0 takes the list text "None".
const char* const kFooterKeys[F2d::kFooterKinds] = {"None", "Count", "Min", "Max", "Sum", "Mean", "Median", "Variance", "StdDev"};
const char* const kFooterNames[F2d::kFooterKinds] = {"rcNone", "rcCount", "rcMin", "rcMax", "rcSum", "rcMean", "rcMedian", "rcVariance", "rcStdDev"};

TRangeBox* Box(QWidget* parent, const char* name, double low, double high, double step, int decimals) {
  auto* b = Named<TRangeBox>(parent, name);
  b->setRange(low, high);
  b->setSingleStep(step);
  b->setDecimals(decimals);
  return b;
}

QToolButton* AlignButton(QWidget* parent, const char* name, const QString& text, QButtonGroup* group, int id) {
  auto* b = Named<QToolButton>(parent, name);
  b->setText(text);
  b->setCheckable(true);
  b->setAutoRaise(true);
  group->addButton(b, id);
  return b;
}

void Check(QCheckBox* box, bool on) { box->setChecked(on); }

// Shows `name` in a font list, adding it when this machine lacks the font.
void ShowFont(QComboBox* list, const QString& name) {
  int i = list->findText(name, Qt::MatchFixedString);
  if (i < 0 && !name.isEmpty()) {
    list->insertItem(0, name);
    i = 0;
  }
  list->setCurrentIndex(i);
}

}  // namespace

TfEdTable::TfEdTable(QWidget* parent, std::shared_ptr<TDialogServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : TDialogServices::Default()) {
  setObjectName(QStringLiteral("fEdTable"));
  lbColumns = Named<QListWidget>(this, "lbColumns");
  butAdd = Named<QPushButton>(this, "butAdd");
  butDelete = Named<QPushButton>(this, "butDelete");
  butUp = Named<QPushButton>(this, "butUp");
  butDown = Named<QPushButton>(this, "butDown");
  butUp->setText(QStringLiteral("\u25B2"));
  butDown->setText(QStringLiteral("\u25BC"));
  PColumns = Named<QTabWidget>(this, "PColumns");
  tabColumn = Named<QWidget>(PColumns, "tabColumn");
  tabHeader = Named<QWidget>(PColumns, "tabHeader");
  tabFooter = Named<QWidget>(PColumns, "tabFooter");
  PColumns->addTab(tabColumn, QString());
  PColumns->addTab(tabHeader, QString());
  PColumns->addTab(tabFooter, QString());

  fColHorz = new QButtonGroup(this);
  fColHorz->setObjectName(QStringLiteral("horzAlign"));
  fColVert = new QButtonGroup(this);
  fColVert->setObjectName(QStringLiteral("vertAlign"));
  fHeadHorz = new QButtonGroup(this);
  fHeadHorz->setObjectName(QStringLiteral("horzHeadAlign"));
  fFootHorz = new QButtonGroup(this);
  fFootHorz->setObjectName(QStringLiteral("horzFootAlign"));
  fFooterKind = new QButtonGroup(this);
  fFooterKind->setObjectName(QStringLiteral("footerKind"));

  const QString left = QStringLiteral("\u2190"), centre = QStringLiteral("\u2194"), right = QStringLiteral("\u2192");
  const QString top = QStringLiteral("\u2191"), middle = QStringLiteral("\u2195"), bottom = QStringLiteral("\u2193");

  // ---- column page: the body cell
  ckFillCol = Named<QCheckBox>(tabColumn, "ckFillCol");
  ShColColor = Named<TColorSwatch>(tabColumn, "ShColColor");
  seWidth = Box(tabColumn, "seWidth", 1, 100, 1, 0);
  seColHeight = Box(tabColumn, "seColHeight", 1, 1000, 0.1, 1);
  edFormat = Named<QLineEdit>(tabColumn, "edFormat");
  ckFixed = Named<QCheckBox>(tabColumn, "ckFixed");
  CBoxColFont = Named<QComboBox>(tabColumn, "CBoxColFont");
  ckColBold = Named<QCheckBox>(tabColumn, "ckColBold");
  ckColItalic = Named<QCheckBox>(tabColumn, "ckColItalic");
  ckColUnderline = Named<QCheckBox>(tabColumn, "ckColUnderline");
  ShColFontColor = Named<TColorSwatch>(tabColumn, "ShColFontColor");
  sbColHorzLeft = AlignButton(tabColumn, "sbColHorzLeft", left, fColHorz, 0);
  sbColHorzCenter = AlignButton(tabColumn, "sbColHorzCenter", centre, fColHorz, 1);
  sbColHorzRight = AlignButton(tabColumn, "sbColHorzRight", right, fColHorz, 2);
  sbColVertTop = AlignButton(tabColumn, "sbColVertTop", top, fColVert, 0);
  sbColVertCenter = AlignButton(tabColumn, "sbColVertCenter", middle, fColVert, 1);
  sbColVertBottom = AlignButton(tabColumn, "sbColVertBottom", bottom, fColVert, 2);
  cBoxFields = Named<QComboBox>(tabColumn, "cBoxFields");
  seColFontHeight = Box(tabColumn, "seColFontHeight", 1, 1000, 0.1, 1);
  seRowInterline = Box(tabColumn, "seRowInterline", 0.2, 3.0, 0.01, 2);
  ckWrapText = Named<QCheckBox>(tabColumn, "ckWrapText");

  // ---- header page
  CBVisibleHead = Named<QCheckBox>(tabHeader, "CBVisibleHead");
  ckHeadFill = Named<QCheckBox>(tabHeader, "ckHeadFill");
  ShHColor = Named<TColorSwatch>(tabHeader, "ShHColor");
  // A header band of height 0 is no band at all: tables may have none.
  seHeightHead = Box(tabHeader, "seHeightHead", 0, 1000, 0.1, 1);
  edHeaderText = Named<QLineEdit>(tabHeader, "edHeaderText");
  CBoxHFont = Named<QComboBox>(tabHeader, "CBoxHFont");
  ckHeadBold = Named<QCheckBox>(tabHeader, "ckHeadBold");
  ckHeadItalic = Named<QCheckBox>(tabHeader, "ckHeadItalic");
  ckHeadUnderline = Named<QCheckBox>(tabHeader, "ckHeadUnderline");
  ShHeadFontColor = Named<TColorSwatch>(tabHeader, "ShHeadFontColor");
  SBHeadLeft = AlignButton(tabHeader, "SBHeadLeft", left, fHeadHorz, 0);
  SBHeadCenter = AlignButton(tabHeader, "SBHeadCenter", centre, fHeadHorz, 1);
  SBHeadRight = AlignButton(tabHeader, "SBHeadRight", right, fHeadHorz, 2);
  seHeadFontHeight = Box(tabHeader, "seHeadFontHeight", 1, 1000, 0.1, 1);
  seHeadInterline = Box(tabHeader, "seHeadInterline", 0.2, 3.0, 0.01, 2);

  // ---- footer page
  ckFootFill = Named<QCheckBox>(tabFooter, "ckFootFill");
  ShFColor = Named<TColorSwatch>(tabFooter, "ShFColor");
  // Likewise the footer: 0 is a table without one.
  seHeightFoot = Box(tabFooter, "seHeightFoot", 0, 1000, 0.1, 1);
  edFooterFormat = Named<QLineEdit>(tabFooter, "edFooterFormat");
  CBoxFFont = Named<QComboBox>(tabFooter, "CBoxFFont");
  ckFootBold = Named<QCheckBox>(tabFooter, "ckFootBold");
  ckFootItalic = Named<QCheckBox>(tabFooter, "ckFootItalic");
  ckFootUnderline = Named<QCheckBox>(tabFooter, "ckFootUnderline");
  ShFFontColor = Named<TColorSwatch>(tabFooter, "ShFFontColor");
  SBFLeft = AlignButton(tabFooter, "SBFLeft", left, fFootHorz, 0);
  SBFCenter = AlignButton(tabFooter, "SBFCenter", centre, fFootHorz, 1);
  SBFRight = AlignButton(tabFooter, "SBFRight", right, fFootHorz, 2);
  seFootFontHeight = Box(tabFooter, "seFootFontHeight", 1, 1000, 0.1, 1);
  for (int k = 0; k < F2d::kFooterKinds; ++k) {
    rcFooter[k] = Named<QRadioButton>(tabFooter, kFooterNames[k]);
    fFooterKind->addButton(rcFooter[k], k);
  }

  TColorSwatch* swatches[6] = {ShColColor, ShColFontColor, ShHColor, ShHeadFontColor, ShFColor, ShFFontColor};
  for (int tag = 0; tag < 6; ++tag) {
    swatches[tag]->setProperty("tag", tag);
    swatches[tag]->setFixedSize(48, 22);
    connect(swatches[tag], &QToolButton::clicked, this, [this, tag] { PickColor(tag); });
  }
  for (TRangeBox* b : findChildren<TRangeBox*>()) connect(b, &TRangeBox::Refused, this, &TfEdTable::Refused);
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);

  // ---- layout
  auto label = [this](QWidget* page, const char* key, const QString& suffix = {}) {
    auto* l = new QLabel(page);
    l->setProperty("suffix", suffix);
    fPropLabels.emplace_back(l, key);
    return l;
  };
  auto row = [](QWidget* a, QWidget* b = nullptr, QWidget* c = nullptr, QWidget* d = nullptr) {
    auto* h = new QHBoxLayout;
    for (QWidget* w : {a, b, c, d})
      if (w) h->addWidget(w);
    h->addStretch(1);
    return h;
  };
  {
    auto* g = new QGridLayout(tabColumn);
    int r = 0;
    g->addWidget(label(tabColumn, "Field"), r, 0);
    g->addWidget(cBoxFields, r++, 1);
    g->addWidget(label(tabColumn, "Width", QStringLiteral(" (%)")), r, 0);
    g->addLayout(row(seWidth, ckFixed), r++, 1);
    g->addWidget(label(tabColumn, "Height"), r, 0);
    g->addWidget(seColHeight, r++, 1);
    g->addWidget(label(tabColumn, "Format"), r, 0);
    g->addWidget(edFormat, r++, 1);
    g->addWidget(label(tabColumn, "FontName"), r, 0);
    g->addWidget(CBoxColFont, r++, 1);
    g->addWidget(label(tabColumn, "FontHeight"), r, 0);
    g->addWidget(seColFontHeight, r++, 1);
    g->addLayout(row(ckColBold, ckColItalic, ckColUnderline), r++, 1);
    g->addWidget(label(tabColumn, "Color"), r, 0);
    g->addLayout(row(ShColFontColor, ckFillCol, ShColColor), r++, 1);
    g->addLayout(row(sbColHorzLeft, sbColHorzCenter, sbColHorzRight), r, 1);
    g->addLayout(row(sbColVertTop, sbColVertCenter, sbColVertBottom), r++, 2);
    g->addWidget(label(tabColumn, "Iterline"), r, 0);
    g->addLayout(row(seRowInterline, ckWrapText), r++, 1);
    g->setRowStretch(r, 1);
  }
  {
    auto* g = new QGridLayout(tabHeader);
    int r = 0;
    g->addLayout(row(CBVisibleHead), r++, 1);
    g->addWidget(label(tabHeader, "Title"), r, 0);
    g->addWidget(edHeaderText, r++, 1);
    g->addWidget(label(tabHeader, "Height"), r, 0);
    g->addWidget(seHeightHead, r++, 1);
    g->addWidget(label(tabHeader, "FontName"), r, 0);
    g->addWidget(CBoxHFont, r++, 1);
    g->addWidget(label(tabHeader, "FontHeight"), r, 0);
    g->addWidget(seHeadFontHeight, r++, 1);
    g->addLayout(row(ckHeadBold, ckHeadItalic, ckHeadUnderline), r++, 1);
    g->addWidget(label(tabHeader, "Color"), r, 0);
    g->addLayout(row(ShHeadFontColor, ckHeadFill, ShHColor), r++, 1);
    g->addLayout(row(SBHeadLeft, SBHeadCenter, SBHeadRight), r++, 1);
    g->addWidget(label(tabHeader, "Iterline"), r, 0);
    g->addWidget(seHeadInterline, r++, 1);
    g->setRowStretch(r, 1);
  }
  {
    auto* g = new QGridLayout(tabFooter);
    int r = 0;
    g->addWidget(label(tabFooter, "Height"), r, 0);
    g->addWidget(seHeightFoot, r++, 1);
    g->addWidget(label(tabFooter, "Format"), r, 0);
    g->addWidget(edFooterFormat, r++, 1);
    g->addWidget(label(tabFooter, "FontName"), r, 0);
    g->addWidget(CBoxFFont, r++, 1);
    g->addWidget(label(tabFooter, "FontHeight"), r, 0);
    g->addWidget(seFootFontHeight, r++, 1);
    g->addLayout(row(ckFootBold, ckFootItalic, ckFootUnderline), r++, 1);
    g->addWidget(label(tabFooter, "Color"), r, 0);
    g->addLayout(row(ShFFontColor, ckFootFill, ShFColor), r++, 1);
    g->addLayout(row(SBFLeft, SBFCenter, SBFRight), r++, 1);
    auto* kinds = new QGridLayout;
    for (int k = 0; k < F2d::kFooterKinds; ++k) kinds->addWidget(rcFooter[k], k / 3, k % 3);
    g->addLayout(kinds, r++, 0, 1, 2);
    g->setRowStretch(r, 1);
  }
  auto* list = new QVBoxLayout;
  list->addWidget(lbColumns, 1);
  auto* moves = new QHBoxLayout;
  for (QPushButton* b : {butAdd, butDelete, butUp, butDown}) moves->addWidget(b);
  list->addLayout(moves);
  auto* whole = new QHBoxLayout(this);
  whole->addLayout(list, 1);
  whole->addWidget(PColumns, 2);

  // ---- actions
  connect(butAdd, &QPushButton::clicked, this, [this] { AddColumn(); });
  connect(butDelete, &QPushButton::clicked, this, [this] { DeleteColumn(); });
  connect(butUp, &QPushButton::clicked, this, [this] { MoveUp(); });
  connect(butDown, &QPushButton::clicked, this, [this] { MoveDown(); });
  connect(lbColumns, &QListWidget::currentRowChanged, this, [this] {
    if (fUpdating) return;
    AdjustUpDown();
    ShowColumn();
  });
  connect(cBoxFields, &QComboBox::currentIndexChanged, this, [this](int i) { FieldChosen(i); });

  // The cells of a page, and the controls every cell has.
  struct TCellControls {
    std::function<TPLNTableCell&(TPLNColumn&)> Cell;
    QCheckBox *Fill, *Bold, *Italic, *Underline;
    QComboBox* Font;
    TRangeBox* FontHeight;
    QButtonGroup* Horz;
  };
  const TCellControls cells[3] = {
      {[](TPLNColumn& c) -> TPLNTableCell& { return c.Body; }, ckFillCol, ckColBold, ckColItalic, ckColUnderline,
       CBoxColFont, seColFontHeight, fColHorz},
      {[](TPLNColumn& c) -> TPLNTableCell& { return c.Header; }, ckHeadFill, ckHeadBold, ckHeadItalic, ckHeadUnderline,
       CBoxHFont, seHeadFontHeight, fHeadHorz},
      {[](TPLNColumn& c) -> TPLNTableCell& { return c.Footer; }, ckFootFill, ckFootBold, ckFootItalic, ckFootUnderline,
       CBoxFFont, seFootFontHeight, fFootHorz},
  };
  for (const TCellControls& k : cells) {
    auto cell = k.Cell;
    auto flag = [this, cell](QCheckBox* box, bool TPLNTableCell::*member) {
      connect(box, &QCheckBox::toggled, this, [this, cell, member](bool on) {
        if (!fUpdating) ChangeColumn([&](TPLNColumn& c) { cell(c).*member = on; });
      });
    };
    flag(k.Fill, &TPLNTableCell::FillBack);
    flag(k.Bold, &TPLNTableCell::Bold);
    flag(k.Italic, &TPLNTableCell::Italic);
    flag(k.Underline, &TPLNTableCell::Underline);
    connect(k.Font, &QComboBox::currentTextChanged, this, [this, cell](const QString& name) {
      if (!fUpdating && !name.isEmpty()) ChangeColumn([&](TPLNColumn& c) { cell(c).FontName = name; });
    });
    connect(k.FontHeight, &TRangeBox::valueChanged, this, [this, cell](double mm) {
      if (!fUpdating) ChangeColumn([&](TPLNColumn& c) { cell(c).SetFontHeight(float(mm)); });
    });
    connect(k.Horz, &QButtonGroup::idClicked, this, [this, cell](int id) {
      if (!fUpdating) ChangeColumn([&](TPLNColumn& c) { cell(c).HorzAlign = TORVHorzAlign(id); });
    });
  }
  connect(fColVert, &QButtonGroup::idClicked, this, [this](int id) {
    if (!fUpdating) ChangeColumn([&](TPLNColumn& c) { c.Body.VertAlign = TORVVertAlign(id); });
  });
  connect(ckWrapText, &QCheckBox::toggled, this, [this](bool on) {
    if (!fUpdating) ChangeColumn([&](TPLNColumn& c) { c.Body.SetWrapText(on); });
  });
  connect(ckFixed, &QCheckBox::toggled, this, [this](bool on) {
    if (!fUpdating) ChangeColumn([&](TPLNColumn& c) { c.Fixed = on; });
  });
  connect(CBVisibleHead, &QCheckBox::toggled, this, [this](bool on) {
    if (!fUpdating) ChangeColumn([&](TPLNColumn& c) { c.Header.Shown = on; });
  });
  connect(seRowInterline, &TRangeBox::valueChanged, this, [this](double v) {
    if (!fUpdating) ChangeColumn([&](TPLNColumn& c) { c.Body.Interline = v; });
  });
  connect(seHeadInterline, &TRangeBox::valueChanged, this, [this](double v) {
    if (!fUpdating) ChangeColumn([&](TPLNColumn& c) { c.Header.Interline = v; });
  });
  connect(seWidth, &TRangeBox::valueChanged, this, [this](double v) {
    if (fUpdating) return;
    ChangeColumn([&](TPLNColumn& c) { c.SetPercent(float(v)); });
    // The box shows what the column keeps.
    if (TPLNBaseTable* t = Table(); t && SelectedColumn() > 0) {
      fUpdating = true;
      seWidth->setValue(t->GetColumn(SelectedColumn()).GetPercent());
      fUpdating = false;
    }
  });
  // The band heights are the table's: every column's header, rows and footer share them.
  auto height = [this](TRangeBox* box, void (TPLNBaseTable::*set)(std::int32_t)) {
    connect(box, &TRangeBox::valueChanged, this, [this, set](double mm) {
      if (!fUpdating) ChangeTable([&](TPLNBaseTable& t) { (t.*set)(std::int32_t(std::lround(mm * kBasePerMm))); });
    });
  };
  height(seColHeight, &TPLNBaseTable::SetRowHeight);
  height(seHeightHead, &TPLNBaseTable::SetHeaderHeight);
  height(seHeightFoot, &TPLNBaseTable::SetFooterHeight);
  // Texts are written when the user is done with the box: one undo step per edit.
  connect(edFormat, &QLineEdit::editingFinished, this, [this] {
    if (!fUpdating) ChangeColumn([&](TPLNColumn& c) { c.Format = edFormat->text(); });
  });
  connect(edFooterFormat, &QLineEdit::editingFinished, this, [this] {
    if (!fUpdating) ChangeColumn([&](TPLNColumn& c) { c.Footer.Format = edFooterFormat->text(); });
  });
  connect(edHeaderText, &QLineEdit::editingFinished, this, [this] {
    if (fUpdating || SelectedColumn() < 1) return;
    const QString text = edHeaderText->text();
    ChangeColumn([&](TPLNColumn& c) { c.Header.SetText(text); });
    if (QListWidgetItem* line = lbColumns->currentItem()) line->setText(text);
  });
  connect(fFooterKind, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    TPLNBaseTable* t = Table();
    if (fUpdating || !on || !t || SelectedColumn() < 1) return;
    {
      TDocStep step(*fDoc);
      ChangeColumn([&](TPLNColumn& c) { c.Footer.SetFooter(TORVFooter(id)); });
      // A footer needs a band to show in: a table without one gets one as tall as its rows,
      // in the same undo step.
      if (id != 0 && t->GetFooterHeight() == 0) t->SetFooterHeight(std::max<std::int32_t>(t->GetRowHeight(), 1000));
    }
    fUpdating = true;
    seHeightFoot->setValue(t->GetFooterHeight() / kBasePerMm);
    fUpdating = false;
  });

  // Insert anywhere in the window adds a column.
  installEventFilter(this);
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  FillLanguage();
  AdjustUpDown();
  resize(640, 420);
}

bool TfEdTable::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert) {
    AddColumn();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TfEdTable::FillLanguage() {
  setWindowTitle(Prop("Table"));
  PColumns->setTabText(0, Dlg("Column"));
  PColumns->setTabText(1, Dlg("Header"));
  PColumns->setTabText(2, Dlg("Footer"));
  butAdd->setText(Dlg("Add"));
  butDelete->setText(Dlg("Delete"));
  butUp->setToolTip(Dlg("Up"));
  butDown->setToolTip(Dlg("Down"));
  for (auto& [l, key] : fPropLabels) l->setText(Prop(key) + l->property("suffix").toString());
  ckFixed->setText(Prop("Fixed"));
  for (QCheckBox* b : {ckFillCol, ckHeadFill, ckFootFill}) b->setText(Prop("Fill"));
  for (QCheckBox* b : {ckColBold, ckHeadBold, ckFootBold}) b->setText(Prop("Bold"));
  for (QCheckBox* b : {ckColItalic, ckHeadItalic, ckFootItalic}) b->setText(Prop("Italic"));
  for (QCheckBox* b : {ckColUnderline, ckHeadUnderline, ckFootUnderline}) b->setText(Prop("Underline"));
  ckWrapText->setText(Prop("WrapText"));
  CBVisibleHead->setText(Prop("Visible"));
  rcFooter[0]->setText(TPLNMsg::GetListValue(QStringLiteral("None")));
  for (int k = 1; k < F2d::kFooterKinds; ++k) rcFooter[k]->setText(Dlg(kFooterKeys[k]));
  // Range messages name the box by its caption.
  const std::pair<TRangeBox*, const char*> named[] = {
      {seWidth, "Width"},           {seColHeight, "Height"},       {seHeightHead, "Height"},
      {seHeightFoot, "Height"},     {seColFontHeight, "FontHeight"}, {seHeadFontHeight, "FontHeight"},
      {seFootFontHeight, "FontHeight"}, {seRowInterline, "Iterline"}, {seHeadInterline, "Iterline"}};
  for (const auto& [box, key] : named) box->Label = Prop(key);
}

void TfEdTable::FillFonts() {
  const QStringList fonts = FontList(fDoc, this);
  for (QComboBox* list : {CBoxColFont, CBoxHFont, CBoxFFont}) {
    list->clear();
    list->addItems(fonts);
  }
}

void TfEdTable::Ini(TPLNBaseLabel* doc) {
  fDoc = doc;
  fUpdating = true;
  FillLanguage();
  FillFonts();
  fUpdating = false;
  FillColumns();
}

TPLNBaseTable* TfEdTable::Table() const {
  if (!fDoc || fDoc->GetSelectionCount() < 1) return nullptr;
  return dynamic_cast<TPLNBaseTable*>(fDoc->GetSelection(1));
}

int TfEdTable::SelectedColumn() const {
  const TPLNBaseTable* t = Table();
  const int line = lbColumns->currentRow();
  return t && line >= 0 && line < t->GetColumnCount() ? line + 1 : 0;
}

void TfEdTable::SelectColumn(int column) {
  if (column < 1 || column > lbColumns->count()) return;
  lbColumns->setCurrentRow(column - 1);
}

void TfEdTable::FillColumns() {
  TPLNBaseTable* t = Table();
  fUpdating = true;
  lbColumns->clear();
  cBoxFields->clear();
  const QStringList fields = t ? t->GetDetailFields() : QStringList();
  cBoxFields->addItems(fields);
  fUpdating = false;
  if (!t || fields.isEmpty()) {
    // Nothing to bind columns to: no column pages, nothing to add.
    PColumns->hide();
    for (QPushButton* b : {butAdd, butDelete, butUp, butDown}) b->setEnabled(false);
    if (t) fServices->Error(this, Prop("Table"), Dlg("NoFields"));
    return;
  }
  PColumns->show();
  butAdd->setEnabled(true);
  fUpdating = true;
  cBoxFields->setCurrentIndex(0);
  for (int i = 1; i <= t->GetColumnCount(); ++i) lbColumns->addItem(t->GetColumn(i).Header.Text);
  fUpdating = false;
  if (t->GetColumnCount() == 0) {
    AdjustUpDown();
    AddColumn();
    return;
  }
  lbColumns->setCurrentRow(0);
  AdjustUpDown();
  ShowColumn();
}

void TfEdTable::AdjustUpDown() { Fmx::AdjustUpDown(lbColumns, !PColumns->isHidden(), butDelete, butUp, butDown); }

void TfEdTable::ShowColumn() {
  TPLNBaseTable* t = Table();
  const int i = SelectedColumn();
  PColumns->setEnabled(i > 0);
  if (!t || i < 1) return;
  const TPLNColumn& c = t->GetColumn(i);
  fUpdating = true;
  Check(ckFillCol, c.Body.FillBack);
  ShColColor->SetColor(c.Body.BackColor);
  seWidth->setValue(c.GetPercent());
  seColHeight->setValue(t->GetRowHeight() / kBasePerMm);
  edFormat->setText(c.Format);
  Check(ckFixed, c.Fixed);
  ShowFont(CBoxColFont, c.Body.FontName);
  Check(ckColBold, c.Body.Bold);
  Check(ckColItalic, c.Body.Italic);
  Check(ckColUnderline, c.Body.Underline);
  ShColFontColor->SetColor(c.Body.FontColor);
  if (QAbstractButton* b = fColHorz->button(std::min(int(c.Body.HorzAlign), 2))) b->setChecked(true);
  if (QAbstractButton* b = fColVert->button(int(c.Body.VertAlign))) b->setChecked(true);
  cBoxFields->setCurrentIndex(cBoxFields->findText(c.Field, Qt::MatchFixedString));
  seColFontHeight->setValue(c.Body.GetFontHeight());
  seRowInterline->setValue(c.Body.Interline);
  Check(ckWrapText, c.Body.WrapText);

  Check(CBVisibleHead, c.Header.Shown);
  Check(ckHeadFill, c.Header.FillBack);
  ShHColor->SetColor(c.Header.BackColor);
  seHeightHead->setValue(t->GetHeaderHeight() / kBasePerMm);
  edHeaderText->setText(c.Header.Text);
  ShowFont(CBoxHFont, c.Header.FontName);
  Check(ckHeadBold, c.Header.Bold);
  Check(ckHeadItalic, c.Header.Italic);
  Check(ckHeadUnderline, c.Header.Underline);
  ShHeadFontColor->SetColor(c.Header.FontColor);
  if (QAbstractButton* b = fHeadHorz->button(std::min(int(c.Header.HorzAlign), 2))) b->setChecked(true);
  seHeadFontHeight->setValue(c.Header.GetFontHeight());
  seHeadInterline->setValue(c.Header.Interline);

  Check(ckFootFill, c.Footer.FillBack);
  ShFColor->SetColor(c.Footer.BackColor);
  seHeightFoot->setValue(t->GetFooterHeight() / kBasePerMm);
  edFooterFormat->setText(c.Footer.Format);
  ShowFont(CBoxFFont, c.Footer.FontName);
  Check(ckFootBold, c.Footer.Bold);
  Check(ckFootItalic, c.Footer.Italic);
  Check(ckFootUnderline, c.Footer.Underline);
  ShFFontColor->SetColor(c.Footer.FontColor);
  if (QAbstractButton* b = fFootHorz->button(std::min(int(c.Footer.HorzAlign), 2))) b->setChecked(true);
  seFootFontHeight->setValue(c.Footer.GetFontHeight());
  rcFooter[std::min(int(c.Footer.GetFooter()), F2d::kFooterKinds - 1)]->setChecked(true);
  fUpdating = false;
}

void TfEdTable::ChangeColumn(const std::function<void(TPLNColumn&)>& change) {
  TPLNBaseTable* t = Table();
  const int i = SelectedColumn();
  if (!t || i < 1) return;
  TDocStep step(*fDoc);
  const TPLNColumn before = t->GetColumn(i);
  change(t->GetColumn(i));
  if (!(t->GetColumn(i) == before)) t->ColumnsChanged();
}

void TfEdTable::ChangeTable(const std::function<void(TPLNBaseTable&)>& change) {
  TPLNBaseTable* t = Table();
  if (!t || SelectedColumn() < 1) return;
  TDocStep step(*fDoc);
  change(*t);
}

void TfEdTable::FieldChosen(int index) {
  if (fUpdating || index < 0) return;
  const QString field = cBoxFields->itemText(index);
  if (SelectedColumn() < 1) return;
  ChangeColumn([&](TPLNColumn& c) {
    c.SetField(field);
    c.Header.SetText(field);
    c.Body.SetText(field);
  });
  if (QListWidgetItem* line = lbColumns->currentItem()) line->setText(field);
  fUpdating = true;
  edHeaderText->setText(field);
  fUpdating = false;
}

void TfEdTable::AddColumn() {
  TPLNBaseTable* t = Table();
  if (!t || PColumns->isHidden()) return;
  const QString name = fServices->AskText(this, Dlg("AddColumn"), Prop("Name"), QString()).trimmed();
  if (name.isEmpty()) return;
  fUpdating = true;
  {
    TDocStep step(*fDoc);
    // An equal share of the width; shares over 100 % in all are scaled down when drawn.
    const float share = std::max(1.0f, std::round(100.0f / float(t->GetColumnCount() + 1)));
    t->AddColumn(name, QString(), share);
  }
  lbColumns->addItem(name);
  lbColumns->setCurrentRow(lbColumns->count() - 1);
  edHeaderText->setText(name);
  fUpdating = false;
  AdjustUpDown();
  ShowColumn();
}

void TfEdTable::DeleteColumn() {
  TPLNBaseTable* t = Table();
  const int i = SelectedColumn();
  if (!t || i < 1) return;
  {
    TDocStep step(*fDoc);
    t->DeleteColumn(i);
  }
  fUpdating = true;
  DropLine(lbColumns, i - 1);
  fUpdating = false;
  AdjustUpDown();
  ShowColumn();
}

void TfEdTable::Exchange(int from, int to) {
  TPLNBaseTable* t = Table();
  if (!t || from < 1) return;
  bool moved;
  {
    TDocStep step(*fDoc);
    moved = t->ExchangeColumns(from, to);
  }
  if (moved) {
    // The lines follow their columns.
    fUpdating = true;
    SwapLines(lbColumns, from - 1, to - 1);
    fUpdating = false;
    ShowColumn();
  }
  AdjustUpDown();
}

void TfEdTable::MoveUp() { Exchange(SelectedColumn(), SelectedColumn() - 1); }
void TfEdTable::MoveDown() { Exchange(SelectedColumn(), SelectedColumn() + 1); }

void TfEdTable::PickColor(int tag) {
  TColorSwatch* swatches[6] = {ShColColor, ShColFontColor, ShHColor, ShHeadFontColor, ShFColor, ShFFontColor};
  if (tag < 0 || tag > 5 || SelectedColumn() < 1) return;
  TColorSwatch* swatch = swatches[tag];
  QColor colour = QColor::fromRgba(swatch->Color());
  if (!fServices->PickColor(this, colour)) return;
  const TAlphaColor chosen = colour.rgba();
  fUpdating = true;
  swatch->SetColor(chosen);
  fUpdating = false;
  ChangeColumn([&](TPLNColumn& c) {
    TPLNTableCell& cell = tag < 2 ? c.Body : tag < 4 ? c.Header : static_cast<TPLNTableCell&>(c.Footer);
    (tag % 2 == 0 ? cell.BackColor : cell.FontColor) = chosen;
  });
}

void TfEdTable::Refused(const QString& message) { fServices->Error(this, Prop("Table"), message); }

}  // namespace Orv::Fmx
