#include "ORV.FMX.Labelling.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "ORV.Data.h"
#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.DialogServices.h"
#include "ORV.FMX.EdJson.h"
#include "ORV.FMX.Print.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"
#include "ORV.SheetCatalog.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

namespace {

constexpr int kSheetHits = 60;

int Decimals(TORVUnits u) { return u == TORVUnits::mm ? 2 : u == TORVUnits::cm || u == TORVUnits::inch ? 3 : 4; }

TRangeBox* NumberBox(QWidget* parent, const char* name, double lo, double hi, int decimals) {
  auto* b = Named<TRangeBox>(parent, name);
  b->setRange(lo, hi);
  b->setDecimals(decimals);
  return b;
}

// The names of the field kinds the data shows, as the field grid lists them.
QString TypeName(int type) {
  static const char* const names[] = {"String", "Boolean", "Integer", "Int64", "Float", "String", "Img64", "ImgBlob"};
  return TPLNMsg::GetListValue(QLatin1String(names[std::clamp(type, 0, 7)]));
}

}  // namespace

// ---------------------------------------------------------------- sketch

TSheetSketch::TSheetSketch(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("paintLab"));
  setMinimumSize(220, 260);
}

void TSheetSketch::SetSheet(const TSheet& s) {
  fSheet = s;
  update();
}

void TSheetSketch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor::fromRgba(0xFF808080u));
  const TSheet& s = fSheet;
  const double aw = width() - 8, ah = height() - 8;
  if (s.PaperW <= 0 || s.PaperH <= 0 || aw <= 0 || ah <= 0) return;
  double w, h;
  if (s.PaperW / s.PaperH <= aw / ah) {
    h = ah;
    w = std::round(s.PaperW * ah / s.PaperH);
  } else {
    w = aw;
    h = std::round(s.PaperH * aw / s.PaperW);
  }
  const double ox = (aw - w) / 2 + 4, oy = (ah - h) / 2 + 4;
  const double fx = w / s.PaperW, fy = h / s.PaperH;
  p.fillRect(QRectF(ox, oy, w, h), Qt::white);
  p.setPen(QColor::fromRgba(0xFF000000u));
  const int skipped = (std::max(1, s.FirstRow) - 1) * s.Columns + std::max(1, s.FirstCol) - 1;
  // Thousands of cells are a grey blur at this size anyway: the grid is capped.
  const int rows = std::min(s.Rows, 400), cols = std::min(s.Columns, 400);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const QRectF cell(ox + (s.Left + c * (s.LabelW + s.GapX)) * fx, oy + (s.Top + r * (s.LabelH + s.GapY)) * fy,
                        s.LabelW * fx, s.LabelH * fy);
      p.setBrush(QColor::fromRgba(r * s.Columns + c < skipped ? 0xFFFFFFE0u : 0xFFADD8E6u));
      p.drawRect(cell);
    }
}

// ---------------------------------------------------------------- window

TfLabelling::TfLabelling(QWidget* parent, std::shared_ptr<TDialogServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : TDialogServices::Default()) {
  setObjectName(QStringLiteral("fLabelling"));
  OnEditJson = [this](QWidget* parent, QString& text) {
    TfJsonData editor(parent, fServices);
    editor.IniDialog(text);
    if (editor.exec() != QDialog::Accepted) return false;
    text = editor.GetJson();
    return true;
  };
  auto label = [this](const char* key) {
    auto* l = new QLabel(this);
    fLabels.emplace_back(l, key);
    return l;
  };
  PageControl = Named<QTabWidget>(this, "PageControl");

  // -- the sheet
  auto* sheetPage = new QWidget;
  paintLab = new TSheetSketch(sheetPage);
  edName = Named<QLineEdit>(sheetPage, "edName");
  cbPaper = Named<QComboBox>(sheetPage, "cbPaper");
  sePaperWidth = NumberBox(sheetPage, "sePaperWidth", 0, 10000, 2);
  sePaperHeight = NumberBox(sheetPage, "sePaperHeight", 0, 10000, 2);
  seWidth = NumberBox(sheetPage, "seWidth", 0, 10000, 2);
  seHeight = NumberBox(sheetPage, "seHeight", 0, 10000, 2);
  seGapX = NumberBox(sheetPage, "seGapX", 0, 10000, 2);
  seGapY = NumberBox(sheetPage, "seGapY", 0, 10000, 2);
  // The measure keeps margins on the paper: a cell starting off the sheet would print cut.
  seMargLeft = NumberBox(sheetPage, "seMargLeft", 0, 10000, 2);
  seMargTop = NumberBox(sheetPage, "seMargTop", 0, 10000, 2);
  seRows = NumberBox(sheetPage, "seRows", 1, 200, 0);
  seColumns = NumberBox(sheetPage, "seColumns", 1, 200, 0);
  cbContinousPaper = Named<QCheckBox>(sheetPage, "cbContinousPaper");
  RaBuVer = Named<QRadioButton>(sheetPage, "RaBuVer");
  RaBuHor = Named<QRadioButton>(sheetPage, "RaBuHor");
  edSheetSearch = Named<QLineEdit>(sheetPage, "edSheetSearch");
  edSheetSearch->setClearButtonEnabled(true);
  lbSheets = Named<QListWidget>(sheetPage, "lbSheets");
  lbSheets->setMinimumWidth(300);
  {
    auto* grid = new QGridLayout;
    int row = 0;
    auto pair = [&](const char* key, QWidget* a, const char* key2, QWidget* b) {
      grid->addWidget(label(key), row, 0);
      grid->addWidget(a, row, 1);
      if (b) {
        grid->addWidget(label(key2), row, 2);
        grid->addWidget(b, row, 3);
      }
      ++row;
    };
    grid->addWidget(label("LabelName"), row, 0);
    grid->addWidget(edName, row++, 1, 1, 3);
    grid->addWidget(label("PaperSize"), row, 0);
    grid->addWidget(cbPaper, row++, 1, 1, 3);
    pair("Width", sePaperWidth, "Height", sePaperHeight);
    auto* orient = new QHBoxLayout;
    orient->addWidget(RaBuVer);
    orient->addWidget(RaBuHor);
    orient->addStretch();
    grid->addLayout(orient, row++, 1, 1, 3);
    grid->addWidget(label("LabelSize"), row++, 0, 1, 4);
    pair("Width", seWidth, "Height", seHeight);
    grid->addWidget(label("LabelSeparation"), row++, 0, 1, 4);
    pair("Horizontal", seGapX, "Vertical", seGapY);
    grid->addWidget(label("LabelMargins"), row++, 0, 1, 4);
    pair("Left", seMargLeft, "Top", seMargTop);
    grid->addWidget(label("LabelDisposition"), row++, 0, 1, 4);
    pair("Rows", seRows, "Columns", seColumns);
    grid->addWidget(cbContinousPaper, row++, 0, 1, 4);
    grid->setRowStretch(row, 1);
    auto* catalogue = new QVBoxLayout;
    catalogue->addWidget(label("SheetCatalog"));
    catalogue->addWidget(edSheetSearch);
    catalogue->addWidget(lbSheets, 1);
    auto* h = new QHBoxLayout(sheetPage);
    h->addLayout(grid);
    h->addWidget(paintLab, 1);
    h->addLayout(catalogue);
  }
  PageControl->addTab(sheetPage, {});

  // -- the print run
  auto* runPage = new QWidget;
  edNumLabs = NumberBox(runPage, "edNumLabs", 1, 50000, 0);
  edFirstRow = NumberBox(runPage, "edFirstRow", 1, 200, 0);
  edFirstCol = NumberBox(runPage, "edFirstCol", 1, 200, 0);
  edRepetition = NumberBox(runPage, "edRepetition", 1, kMaxRepetition, 0);
  cbCalPrinter = Named<QComboBox>(runPage, "cbCalPrinter");
  seCalX = NumberBox(runPage, "seCalX", -50, 50, 2);
  seCalY = NumberBox(runPage, "seCalY", -50, 50, 2);
  ckStock = Named<QCheckBox>(runPage, "ckStock");
  swStock = Named<TColorSwatch>(runPage, "swStock");
  swStock->SetPicks(true, fServices);
  seStockRadius = NumberBox(runPage, "seStockRadius", 0, TPLNBackSurf::kMaxRadius, 1);
  ckShowStock = Named<QCheckBox>(runPage, "ckShowStock");
  ckPrintStock = Named<QCheckBox>(runPage, "ckPrintStock");
  ckExportStock = Named<QCheckBox>(runPage, "ckExportStock");
  connect(ckStock, &QCheckBox::toggled, swStock, &QWidget::setEnabled);
  {
    auto* f = new QFormLayout;
    f->addRow(label("NumLabs"), edNumLabs);
    f->addRow(label("FirstRow"), edFirstRow);
    f->addRow(label("FirstColumn"), edFirstCol);
    f->addRow(label("Repetition"), edRepetition);
    auto* cal = new QFormLayout;
    cal->addRow(label("Printer"), cbCalPrinter);
    cal->addRow(label("OffsetX"), seCalX);
    cal->addRow(label("OffsetY"), seCalY);
    auto* v = new QVBoxLayout(runPage);
    v->addWidget(label("NumLabsToPrint"));
    v->addLayout(f);
    v->addSpacing(12);
    v->addWidget(label("Calibration"));
    v->addLayout(cal);
    v->addSpacing(12);
    v->addWidget(label("LabelStock"));
    auto* colour = new QHBoxLayout;
    colour->addWidget(ckStock);
    colour->addWidget(swStock);
    colour->addStretch();
    auto* stock = new QFormLayout;
    stock->addRow(colour);
    stock->addRow(label("CornerRadius"), seStockRadius);
    stock->addRow(ckShowStock);
    stock->addRow(ckPrintStock);
    stock->addRow(ckExportStock);
    v->addLayout(stock);
    v->addStretch();
  }
  PageControl->addTab(runPage, {});

  // -- counters
  auto* counterPage = new QWidget;
  lbCounters = Named<QListWidget>(counterPage, "lbCounters");
  edCounterName = Named<QLineEdit>(counterPage, "edCounterName");
  seStep = NumberBox(counterPage, "seStep", 1, static_cast<double>(TPLNCounter::kMaxStep), 0);
  seFrom = NumberBox(counterPage, "seFrom", 1, static_cast<double>(TPLNCounter::kMaxNumber), 0);
  seTo = NumberBox(counterPage, "seTo", 1, static_cast<double>(TPLNCounter::kMaxNumber), 0);
  edTextBefore = Named<QLineEdit>(counterPage, "edTextBefore");
  edTextAfter = Named<QLineEdit>(counterPage, "edTextAfter");
  edFormat = Named<QLineEdit>(counterPage, "edFormat");
  lbCounterSample = Named<QLabel>(counterPage, "lbCounterSample");
  ckContinue = Named<QCheckBox>(counterPage, "ckContinue");
  seNext = NumberBox(counterPage, "seNext", 1, static_cast<double>(TPLNCounter::kMaxNumber), 0);
  butAddCounter = Named<QPushButton>(counterPage, "butAddCounter");
  butSaveCounter = Named<QPushButton>(counterPage, "butSaveCounter");
  butDelCounter = Named<QPushButton>(counterPage, "butDelCounter");
  {
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(butAddCounter);
    buttons->addWidget(butSaveCounter);
    buttons->addWidget(butDelCounter);
    auto* left = new QVBoxLayout;
    left->addWidget(lbCounters, 1);
    left->addLayout(buttons);
    auto* f = new QFormLayout;
    f->addRow(label("Name"), edCounterName);
    f->addRow(label("Step"), seStep);
    f->addRow(label("FromNumber"), seFrom);
    f->addRow(label("ToNumber"), seTo);
    f->addRow(label("TextBefore"), edTextBefore);
    f->addRow(label("TextAfter"), edTextAfter);
    f->addRow(label("Format"), edFormat);
    f->addRow(label("CounterSample"), lbCounterSample);
    f->addRow(QString(), ckContinue);
    f->addRow(label("NextNumber"), seNext);
    auto* h = new QHBoxLayout(counterPage);
    h->addLayout(left);
    h->addLayout(f, 1);
  }
  PageControl->addTab(counterPage, {});

  // -- data
  auto* dataPage = new QWidget;
  cbData = Named<QComboBox>(dataPage, "cbData");
  cbFieldRepeat = Named<QComboBox>(dataPage, "cbFieldRepeat");
  edCsvFile = Named<QLineEdit>(dataPage, "edCsvFile");
  butEdCsvFile = Named<QPushButton>(dataPage, "butEdCsvFile");
  butJson = Named<QPushButton>(dataPage, "butJson");
  butJson->setText(QStringLiteral("{JSON}"));
  ckLinkData = Named<QCheckBox>(dataPage, "ckLinkData");
  ckSaveJson = Named<QCheckBox>(dataPage, "ckSaveJson");
  sgFields = Named<QTableWidget>(dataPage, "sgFields");
  sgFields->setColumnCount(2);
  sgFields->verticalHeader()->hide();
  sgFields->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgFields->setColumnWidth(0, 220);
  sgFields->setColumnWidth(1, 140);
  lbDataError = Named<QLabel>(dataPage, "lbDataError");
  lbDataError->setWordWrap(true);
  lbDataError->setStyleSheet(QStringLiteral("color: #b00020"));
  {
    auto* file = new QHBoxLayout;
    file->addWidget(edCsvFile, 1);
    file->addWidget(butEdCsvFile);
    auto* f = new QFormLayout;
    f->addRow(label("DataSource"), cbData);
    f->addRow(label("FileCsv"), file);
    f->addRow(label("FieldRepeat"), cbFieldRepeat);
    auto* flags = new QHBoxLayout;
    flags->addWidget(ckLinkData);
    flags->addWidget(ckSaveJson);
    flags->addStretch();
    flags->addWidget(butJson);
    auto* v = new QVBoxLayout(dataPage);
    v->addLayout(f);
    v->addLayout(flags);
    v->addWidget(label("FieldList"));
    v->addWidget(sgFields, 1);
    v->addWidget(lbDataError);
  }
  PageControl->addTab(dataPage, {});

  // -- values asked when printing
  auto* askPage = new QWidget;
  lbAsks = Named<QListWidget>(askPage, "lbAsks");
  butAddAsk = Named<QPushButton>(askPage, "butAddAsk");
  butDelAsk = Named<QPushButton>(askPage, "butDelAsk");
  edAskName = Named<QLineEdit>(askPage, "edAskName");
  edAskPrompt = Named<QLineEdit>(askPage, "edAskPrompt");
  cbAskKind = Named<QComboBox>(askPage, "cbAskKind");
  edAskFormat = Named<QLineEdit>(askPage, "edAskFormat");
  edAskDefault = Named<QLineEdit>(askPage, "edAskDefault");
  cbAskListSource = Named<QComboBox>(askPage, "cbAskListSource");
  meAskList = Named<QPlainTextEdit>(askPage, "meAskList");
  edAskListFile = Named<QLineEdit>(askPage, "edAskListFile");
  edCountersFile = Named<QLineEdit>(askPage, "edCountersFile");
  {
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(butAddAsk);
    buttons->addWidget(butDelAsk);
    auto* left = new QVBoxLayout;
    left->addWidget(lbAsks, 1);
    left->addLayout(buttons);
    auto* f = new QFormLayout;
    f->addRow(label("Name"), edAskName);
    f->addRow(label("AskPrompt"), edAskPrompt);
    f->addRow(label("AskKind"), cbAskKind);
    f->addRow(label("AskFormat"), edAskFormat);
    f->addRow(label("AskDefault"), edAskDefault);
    f->addRow(label("AskListSource"), cbAskListSource);
    f->addRow(label("AskListValues"), meAskList);
    f->addRow(label("AskListFile"), edAskListFile);
    auto* h = new QHBoxLayout;
    h->addLayout(left);
    h->addLayout(f, 1);
    auto* counters = new QFormLayout;
    counters->addRow(label("CountersFile"), edCountersFile);
    auto* v = new QVBoxLayout(askPage);
    v->addLayout(h, 1);
    v->addLayout(counters);
  }
  PageControl->addTab(askPage, {});

  butOk = Named<QPushButton>(this, "butOk");
  butCancel = Named<QPushButton>(this, "butCancel");
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(butOk);
  bottom->addWidget(butCancel);
  auto* main = new QVBoxLayout(this);
  main->addWidget(PageControl, 1);
  main->addLayout(bottom);
  // Never smaller than its controls need; room for the catalogue's long lines by default.
  main->setSizeConstraint(QLayout::SetMinimumSize);
  resize(1080, 560);

  for (TRangeBox* b : findChildren<TRangeBox*>())
    connect(b, &TRangeBox::Refused, this, [this](const QString& m) { fServices->Error(this, windowTitle(), m); });
  // The sheet boxes redraw the sketch.
  for (TRangeBox* b : {sePaperWidth, sePaperHeight, seWidth, seHeight, seGapX, seGapY, seMargLeft, seMargTop, seRows,
                       seColumns, edFirstRow, edFirstCol})
    connect(b, &QDoubleSpinBox::valueChanged, this, [this] {
      if (!fInitialising) RefreshSketch();
    });
  // On continuous paper the paper follows the label.
  for (TRangeBox* b : {seWidth, seHeight})
    connect(b, &QDoubleSpinBox::valueChanged, this, [this] {
      if (!fInitialising && cbContinousPaper->isChecked()) SetContinous(true);
    });
  connect(cbPaper, &QComboBox::activated, this, [this](int i) { ChoosePaper(i); });
  connect(RaBuHor, &QRadioButton::clicked, this, [this] { SetHorizontal(true); });
  connect(RaBuVer, &QRadioButton::clicked, this, [this] { SetHorizontal(false); });
  connect(cbContinousPaper, &QCheckBox::toggled, this, [this](bool on) {
    if (!fInitialising) SetContinous(on);
  });
  connect(edSheetSearch, &QLineEdit::textChanged, this, [this](const QString& t) { SearchSheets(t); });
  connect(lbSheets, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { ApplySheet(item->data(Qt::UserRole).toInt()); });
  connect(lbSheets, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { ApplySheet(item->data(Qt::UserRole).toInt()); });
  connect(cbCalPrinter, &QComboBox::currentTextChanged, this, [this](const QString& printer) {
    const QPointF off = PrintCalibration(printer);
    seCalX->setValue(off.x());
    seCalY->setValue(off.y());
  });
  connect(lbCounters, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!fInitialising) SelectCounter(row);
  });
  for (QLineEdit* e : {edCounterName, edTextBefore, edTextAfter, edFormat})
    connect(e, &QLineEdit::textEdited, this, [this] { CounterEdited(); });
  for (TRangeBox* b : {seStep, seFrom, seTo})
    connect(b, &QDoubleSpinBox::valueChanged, this, [this] { CounterEdited(); });
  connect(ckContinue, &QCheckBox::toggled, this, [this] { CounterEdited(); });
  connect(seNext, &QDoubleSpinBox::valueChanged, this, [this] { CounterEdited(); });
  connect(lbAsks, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!fInitialising) SelectAsk(row);
  });
  connect(butAddAsk, &QPushButton::clicked, this, [this] { AddAsk(); });
  connect(butDelAsk, &QPushButton::clicked, this, [this] { DeleteAsk(); });
  for (QLineEdit* e : {edAskName, edAskPrompt, edAskFormat, edAskDefault, edAskListFile})
    connect(e, &QLineEdit::textEdited, this, [this] { StoreAsk(); });
  connect(meAskList, &QPlainTextEdit::textChanged, this, [this] { StoreAsk(); });
  for (QComboBox* c : {cbAskKind, cbAskListSource})
    connect(c, &QComboBox::currentIndexChanged, this, [this] { StoreAsk(); });
  connect(butAddCounter, &QPushButton::clicked, this, [this] { AddCounter(); });
  connect(butSaveCounter, &QPushButton::clicked, this, [this] { SaveCounter(); });
  connect(butDelCounter, &QPushButton::clicked, this, [this] { DeleteCounter(); });
  connect(PageControl, &QTabWidget::currentChanged, this, [this] {
    if (!fInitialising) OfferSave();
  });
  connect(cbData, &QComboBox::activated, this, [this](int i) { ChooseData(i); });
  connect(butEdCsvFile, &QPushButton::clicked, this, [this] { ChooseCsvFile(); });
  connect(edCsvFile, &QLineEdit::editingFinished, this, [this] { ChooseData(cbData->currentIndex()); });
  connect(butJson, &QPushButton::clicked, this, [this] { EditJson(); });
  AcceptWhenChecked(butOk, this, fServices, [this] {
    OfferSave();
    return Check();
  });
  connect(butCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfLabelling::~TfLabelling() = default;

double TfLabelling::ToUnit(std::int64_t base) const { return Utils::GetValue(base, fDoc->GetUnits()); }
std::int64_t TfLabelling::ToBase(double value) const { return Utils::SetValue(value, fDoc->GetUnits()); }

void TfLabelling::FillLanguage() {
  setWindowTitle(Dlg("Label"));
  PageControl->setTabText(0, Dlg("Dimensions"));
  PageControl->setTabText(1, Dlg("Printing"));
  PageControl->setTabText(2, Dlg("Counters"));
  PageControl->setTabText(3, Dlg("Data"));
  PageControl->setTabText(4, Dlg("AskedValues"));
  ckContinue->setText(Dlg("ContinueCounter"));
  butAddAsk->setText(Dlg("Add"));
  butDelAsk->setText(Dlg("Delete"));
  cbAskKind->clear();
  for (int k = 0; k < kAskKinds; ++k) cbAskKind->addItem(TPLNMsg::GetListValue(QStringLiteral("AskKind%1").arg(k)));
  cbAskListSource->clear();
  for (int k = 0; k < 3; ++k) cbAskListSource->addItem(TPLNMsg::GetListValue(QStringLiteral("ListSource%1").arg(k)));
  for (auto& [l, key] : fLabels) l->setText(Dlg(key));
  RaBuVer->setText(Dlg("Vertical"));
  RaBuHor->setText(Dlg("Horizontal"));
  cbContinousPaper->setText(Dlg("ContinousPaper"));
  edSheetSearch->setPlaceholderText(Dlg("SearchSheets"));
  butAddCounter->setText(Dlg("Add"));
  butSaveCounter->setText(Dlg("Save"));
  butDelCounter->setText(Dlg("Delete"));
  butEdCsvFile->setText(QStringLiteral("…"));
  ckLinkData->setText(Dlg("LinkData"));
  ckSaveJson->setText(Dlg("SaveJson"));
  ckStock->setText(Dlg("ColouredStock"));
  ckShowStock->setText(Dlg("ShowStock"));
  ckPrintStock->setText(Dlg("PrintStock"));
  ckExportStock->setText(Dlg("ExportStock"));
  sgFields->setHorizontalHeaderLabels({Dlg("Name"), Dlg("Type")});
  butOk->setText(Dlg("Ok"));
  butCancel->setText(Dlg("Cancel"));
  // Sizes in the drawing's unit, named in the labels that carry a size.
  const QString unit = QStringLiteral(" (%1)").arg(Utils::UnitName(fDoc->GetUnits()));
  static const QStringList sized{"Width", "Height", "Left", "Top", "Horizontal", "Vertical"};
  for (auto& [l, key] : fLabels)
    if (sized.contains(QLatin1String(key))) l->setText(Dlg(key) + unit);
  // A refused value is named as the user sees the box.
  auto both = [](const char* group, const char* side) { return PlainLabel(Dlg(group)) + QLatin1Char(' ') + PlainLabel(Dlg(side)).toLower(); };
  const std::pair<TRangeBox*, QString> names[] = {
      {sePaperWidth, both("PaperSize", "Width")},         {sePaperHeight, both("PaperSize", "Height")},
      {seWidth, both("LabelSize", "Width")},              {seHeight, both("LabelSize", "Height")},
      {seGapX, both("LabelSeparation", "Horizontal")},    {seGapY, both("LabelSeparation", "Vertical")},
      {seMargLeft, both("LabelMargins", "Left")},         {seMargTop, both("LabelMargins", "Top")},
      {seRows, PlainLabel(Dlg("Rows"))},                  {seColumns, PlainLabel(Dlg("Columns"))},
      {edNumLabs, PlainLabel(Dlg("NumLabs"))},            {edFirstRow, PlainLabel(Dlg("FirstRow"))},
      {edFirstCol, PlainLabel(Dlg("FirstColumn"))},       {edRepetition, PlainLabel(Dlg("Repetition"))},
      {seCalX, PlainLabel(Dlg("OffsetX"))},               {seCalY, PlainLabel(Dlg("OffsetY"))},
      {seStockRadius, PlainLabel(Dlg("CornerRadius"))},
      {seStep, PlainLabel(Dlg("Step"))},                  {seFrom, PlainLabel(Dlg("FromNumber"))},
      {seTo, PlainLabel(Dlg("ToNumber"))},              {seNext, PlainLabel(Dlg("NextNumber"))}};
  for (const auto& [box, name] : names) box->Label = name;
}

void TfLabelling::Ini(TPlanoraFMX* doc) {
  fDoc = doc;
  fInitialising = true;
  FillLanguage();
  const int dec = Decimals(doc->GetUnits());
  for (TRangeBox* b : {sePaperWidth, sePaperHeight, seWidth, seHeight, seGapX, seGapY, seMargLeft, seMargTop}) {
    b->setDecimals(dec);
    b->setSingleStep(std::pow(10.0, 1 - dec) * 10);
  }
  const TPLNMeasure& m = doc->Measure();
  edName->setText(m.LabelName);
  ShowSheetBoxes(m);
  cbContinousPaper->setChecked(m.ContinousPaper);
  RaBuHor->setChecked(doc->PrintInfo.Horizontal);
  RaBuVer->setChecked(!doc->PrintInfo.Horizontal);
  FillPaper();
  const TPLNPrintInfo& pi = doc->PrintInfo;
  // No count means every cell of the pages: shown as that number, written only when changed.
  fShownLabs = std::clamp(pi.LabelsToPrint > 0 ? pi.LabelsToPrint : m.Rows * m.Columns * std::max(1, pi.LastPage), 1, 50000);
  edNumLabs->setValue(fShownLabs);
  edFirstRow->setValue(pi.FirstRow);
  edFirstCol->setValue(pi.FirstColumn);
  edRepetition->setValue(pi.Repetition);
  cbCalPrinter->clear();
  cbCalPrinter->addItems(QPrinterInfo::availablePrinterNames());
  const QString current = PrinterNames().value(doc->PrintInfo.PrinterIndex);
  if (!current.isEmpty()) cbCalPrinter->setCurrentText(current);
  const QPointF off = PrintCalibration(cbCalPrinter->currentText());
  seCalX->setValue(off.x());
  seCalY->setValue(off.y());
  seCalX->setEnabled(cbCalPrinter->count() > 0);
  seCalY->setEnabled(cbCalPrinter->count() > 0);
  const TPLNBackSurf& stock = doc->BackSurf();
  ckStock->setChecked(!stock.IsBlank());
  swStock->SetColor(stock.IsBlank() ? 0xFFFFFFFFu : stock.Color);
  swStock->setEnabled(!stock.IsBlank());
  seStockRadius->setValue(stock.GetRadius());
  ckShowStock->setChecked(doc->HasOption(doShowBackSurf));
  ckPrintStock->setChecked(doc->HasOption(doPrintBackSurf));
  ckExportStock->setChecked(doc->HasOption(doExportBackSurf));
  fJson = doc->DataSettings().GetJson();
  FillCounters();
  FillData();
  fAsks = doc->DataSettings().Asks;
  edCountersFile->setText(doc->DataSettings().CountersFile);
  FillAsks();
  SetContinous(m.ContinousPaper);
  fInitialising = false;
  SearchSheets({});
  RefreshSketch();
}

void TfLabelling::ShowSheetBoxes(const TPLNMeasure& m) {
  sePaperWidth->setValue(ToUnit(m.Sizes[TPLNMeasure::PaperWidth]));
  sePaperHeight->setValue(ToUnit(m.Sizes[TPLNMeasure::PaperHeight]));
  seWidth->setValue(ToUnit(m.Sizes[TPLNMeasure::LabelWidth]));
  seHeight->setValue(ToUnit(m.Sizes[TPLNMeasure::LabelHeight]));
  seGapX->setValue(ToUnit(m.Sizes[TPLNMeasure::HorzGap]));
  seGapY->setValue(ToUnit(m.Sizes[TPLNMeasure::VertGap]));
  seMargLeft->setValue(ToUnit(m.Sizes[TPLNMeasure::LeftMargin]));
  seMargTop->setValue(ToUnit(m.Sizes[TPLNMeasure::TopMargin]));
  seRows->setValue(m.Rows);
  seColumns->setValue(m.Columns);
}

void TfLabelling::FillPaper() {
  const double mm = Utils::UnitFactor(fDoc->GetUnits()) / Utils::kBasePerMM;
  const int index = FillPapers(cbPaper, sePaperWidth->value() * mm, sePaperHeight->value() * mm);
  sePaperWidth->setEnabled(index == UserPaperIndex);
  sePaperHeight->setEnabled(index == UserPaperIndex);
}

bool TfLabelling::Horizontal() const { return RaBuHor->isChecked(); }

void TfLabelling::ChoosePaper(int index) {
  if (index < 0 || index >= kPaperCount) return;
  cbPaper->setCurrentIndex(index);
  sePaperWidth->setEnabled(index == UserPaperIndex);
  sePaperHeight->setEnabled(index == UserPaperIndex);
  if (index != UserPaperIndex) {
    const QSizeF mm = PaperSizeMM(index, Horizontal());
    sePaperWidth->setValue(ToUnit(Utils::RoundHalfAway(mm.width() * Utils::kBasePerMM)));
    sePaperHeight->setValue(ToUnit(Utils::RoundHalfAway(mm.height() * Utils::kBasePerMM)));
  }
  RefreshSketch();
}

void TfLabelling::SetHorizontal(bool horizontal) {
  SetOrientation(RaBuVer, RaBuHor, sePaperWidth, sePaperHeight, horizontal);
  if (cbContinousPaper->isChecked()) SetContinous(true);
  RefreshSketch();
}

void TfLabelling::SetContinous(bool on) {
  cbContinousPaper->setChecked(on);
  for (QWidget* w : std::initializer_list<QWidget*>{seGapX, seGapY, seMargLeft, seMargTop, seRows, seColumns}) w->setEnabled(!on);
  if (!on) return;
  cbPaper->setCurrentIndex(UserPaperIndex);
  sePaperWidth->setEnabled(false);
  sePaperHeight->setEnabled(false);
  if (fInitialising) return;
  seGapX->setValue(0);
  seGapY->setValue(0);
  seMargLeft->setValue(0);
  seMargTop->setValue(0);
  seRows->setValue(1);
  seColumns->setValue(1);
  const double w = Horizontal() ? seHeight->value() : seWidth->value();
  const double h = Horizontal() ? seWidth->value() : seHeight->value();
  if (sePaperWidth->value() != w) sePaperWidth->setValue(w);
  if (sePaperHeight->value() != h) sePaperHeight->setValue(h);
  RefreshSketch();
}

void TfLabelling::RefreshSketch() {
  TSheetSketch::TSheet s;
  s.PaperW = sePaperWidth->value();
  s.PaperH = sePaperHeight->value();
  s.LabelW = seWidth->value();
  s.LabelH = seHeight->value();
  s.Left = seMargLeft->value();
  s.Top = seMargTop->value();
  s.GapX = seGapX->value();
  s.GapY = seGapY->value();
  s.Rows = static_cast<int>(std::lround(seRows->value()));
  s.Columns = static_cast<int>(std::lround(seColumns->value()));
  s.FirstRow = static_cast<int>(std::lround(edFirstRow->value()));
  s.FirstCol = static_cast<int>(std::lround(edFirstCol->value()));
  paintLab->SetSheet(s);
}

// ---- catalogue

void TfLabelling::SearchSheets(const QString& text) {
  const TORVSheetCatalog& cat = TORVSheetCatalog::Builtin();
  lbSheets->clear();
  for (int i : cat.Search(text, kSheetHits)) {
    const TORVSheet& s = cat.Sheet(i);
    auto* item = new QListWidgetItem(s.Name() + QStringLiteral(" — ") + s.Summary(), lbSheets);
    item->setData(Qt::UserRole, i);
  }
}

void TfLabelling::ApplySheet(int index) {
  const TORVSheetCatalog& cat = TORVSheetCatalog::Builtin();
  if (index < 0 || index >= cat.Count()) return;
  TPLNMeasure m = fDoc->Measure();
  TORVSheetCatalog::ApplyTo(cat.Sheet(index), m);
  fInitialising = true;
  cbContinousPaper->setChecked(false);
  SetContinous(false);
  ShowSheetBoxes(m);
  edName->setText(m.LabelName);
  const bool horizontal = m.IsLandscape();
  RaBuHor->setChecked(horizontal);
  RaBuVer->setChecked(!horizontal);
  FillPaper();
  fInitialising = false;
  RefreshSketch();
}

// ---- counters

void TfLabelling::FillCounters() {
  const bool was = fInitialising;
  fInitialising = true;
  lbCounters->clear();
  for (int i = 1; i <= fDoc->GetCountersCount(); ++i) lbCounters->addItem(fDoc->GetCounter(i)->GetName());
  if (lbCounters->count() > 0) lbCounters->setCurrentRow(0);
  fInitialising = was;
  fAddingCounter = false;
  ShowCounter();
}

void TfLabelling::ShowCounter() {
  const bool was = fInitialising;
  fInitialising = true;
  const TPLNCounter* c = fDoc->GetCounter(lbCounters->currentRow() + 1);
  const bool any = c != nullptr;
  edCounterName->setText(any ? c->GetName() : QString());
  seStep->setValue(any ? static_cast<double>(c->GetStep()) : 1);
  seFrom->setValue(any ? static_cast<double>(c->GetNumFrom()) : 1);
  seTo->setValue(any ? static_cast<double>(c->GetNumTo()) : 1);
  edTextBefore->setText(any ? c->TextBefore : QString());
  edTextAfter->setText(any ? c->TextAfter : QString());
  edFormat->setText(any ? c->Format : QString());
  ckContinue->setChecked(any && c->Continue);
  seNext->setValue(any ? static_cast<double>(c->GetNext()) : 1);
  lbCounterSample->setText(any ? QStringList{c->TextAt(0), c->TextAt(1), c->TextAt(2)}.join(QStringLiteral(", ")) + QStringLiteral(", …")
                               : QString());
  for (QWidget* w : std::initializer_list<QWidget*>{edCounterName, seStep, seFrom, seTo, edTextBefore, edTextAfter, edFormat,
                                                    ckContinue, seNext})
    w->setEnabled(any || fAddingCounter);
  butSaveCounter->setEnabled(false);
  butDelCounter->setEnabled(any);
  fCounterModified = false;
  fInitialising = was;
}

void TfLabelling::CounterEdited() {
  if (fInitialising) return;
  fCounterModified = true;
  butSaveCounter->setEnabled(true);
}

void TfLabelling::OfferSave() {
  if (!fCounterModified) return;
  if (fServices->Confirm(this, windowTitle(), Dlg("SaveCounter")))
    SaveCounter();
  else {
    fAddingCounter = false;
    ShowCounter();
  }
}

void TfLabelling::SelectCounter(int row) {
  OfferSave();
  const bool was = fInitialising;
  fInitialising = true;
  lbCounters->setCurrentRow(row);
  fInitialising = was;
  fAddingCounter = false;
  ShowCounter();
}

void TfLabelling::AddCounter() {
  if (fDoc->GetCountersCount() >= kMaxCounters) {
    fServices->Error(this, windowTitle(), Err("LimitCounters"));
    return;
  }
  OfferSave();
  const QString name = fServices->AskText(this, Dlg("AddCounter"), Prop("Name")).trimmed();
  if (name.isEmpty()) return;
  fInitialising = true;
  fAddingCounter = true;
  edCounterName->setText(name);
  seStep->setValue(1);
  seFrom->setValue(1);
  seTo->setValue(seTo->maximum());
  edTextBefore->clear();
  edTextAfter->clear();
  edFormat->clear();
  ckContinue->setChecked(false);
  seNext->setValue(1);
  fInitialising = false;
  fCounterModified = true;
  SaveCounter();
}

void TfLabelling::SaveCounter() {
  const QString name = edCounterName->text().trimmed();
  TPLNCounter* c = nullptr;
  if (fAddingCounter) {
    fAddingCounter = false;
    if (name.isEmpty() || fDoc->CounterName(name, nullptr)) {
      fServices->Error(this, windowTitle(), name.isEmpty() ? Err("EmptyName") : Err("RepeatName"));
      ShowCounter();
      return;
    }
  } else {
    c = fDoc->GetCounter(lbCounters->currentRow() + 1);
    if (!c) return;
    if (name.isEmpty() || fDoc->CounterName(name, c)) {
      fServices->Error(this, windowTitle(), name.isEmpty() ? Err("EmptyName") : Err("RepeatName"));
      return;
    }
  }
  // The new counter and its values are one step of the document's history.
  fDoc->BeginUpdate(true);
  if (!c) {
    c = fDoc->AddCounter(name);
    if (!c) {
      fDoc->EndUpdate();
      return;
    }
    fInitialising = true;
    lbCounters->addItem(name);
    lbCounters->setCurrentRow(lbCounters->count() - 1);
    fInitialising = false;
  }
  c->SetName(name);
  c->SetNumFrom(std::llround(seFrom->value()));
  c->SetNumTo(std::llround(seTo->value()));
  c->SetStep(std::llround(seStep->value()));
  c->Format = edFormat->text();
  c->TextBefore = edTextBefore->text();
  c->TextAfter = edTextAfter->text();
  c->Continue = ckContinue->isChecked();
  c->SetNext(std::llround(seNext->value()));
  fDoc->CountersChanged();
  fDoc->EndUpdate();
  lbCounters->currentItem()->setText(name);
  ShowCounter();
}

void TfLabelling::DeleteCounter() {
  const int row = lbCounters->currentRow();
  if (!fDoc->GetCounter(row + 1)) return;
  fCounterModified = false;
  fDoc->BeginUpdate(true);
  fDoc->DeleteCounter(row + 1);
  fDoc->EndUpdate();
  FillCounters();
  if (lbCounters->count() > 0) {
    fInitialising = true;
    lbCounters->setCurrentRow(std::min(row, lbCounters->count() - 1));
    fInitialising = false;
    ShowCounter();
  }
}

// ---- data

void TfLabelling::FillData() {
  const TPLNData& d = fDoc->DataSettings();
  cbData->clear();
  cbData->addItem(Dlg("NoData"), QString());
  cbData->addItem(Dlg("CsvFile"), TPLNData::CsvDataset());
  cbData->addItem(Dlg("JsonData"), TPLNData::JsonDataset());
  cbData->setCurrentIndex(std::max(0, cbData->findData(d.GetDataSel())));
  edCsvFile->setText(d.GetCsvFile());
  ckLinkData->setChecked(d.LinkData);
  ckSaveJson->setChecked(d.SaveJson);
  ChooseData(cbData->currentIndex());
  const int repeat = cbFieldRepeat->findText(d.GetFieldRepeat());
  cbFieldRepeat->setCurrentIndex(std::max(0, repeat));
}

std::shared_ptr<const TPLNDataSource> TfLabelling::ReadData(QString* error) const {
  TPLNData d;
  d.SetDataSel(GetData());
  d.SetCsvFile(edCsvFile->text().trimmed());
  d.SetJson(fJson);
  try {
    return ReadDataset(d, 1, QFileInfo(fDoc->GetFileName()).absolutePath());
  } catch (const std::exception& e) {
    if (error) *error = QString::fromUtf8(e.what());
    return nullptr;
  }
}

void TfLabelling::ChooseData(int index) {
  if (index >= 0) cbData->setCurrentIndex(index);
  const QString kind = GetData();
  edCsvFile->setEnabled(kind == TPLNData::CsvDataset());
  butEdCsvFile->setEnabled(kind == TPLNData::CsvDataset());
  butJson->setEnabled(kind == TPLNData::JsonDataset());
  const QString repeat = cbFieldRepeat->currentText();
  cbFieldRepeat->clear();
  cbFieldRepeat->addItem(QString());
  sgFields->setRowCount(0);
  lbDataError->clear();
  if (kind.isEmpty()) return;
  QString error;
  const auto source = ReadData(&error);
  if (!source) {
    lbDataError->setText(error);
    return;
  }
  const std::vector<int> types = source->FieldTypes();
  sgFields->setRowCount(static_cast<int>(source->Fields().size()));
  for (int f = 0; f < source->Fields().size(); ++f) {
    sgFields->setItem(f, 0, new QTableWidgetItem(source->Fields()[f]));
    sgFields->setItem(f, 1, new QTableWidgetItem(TypeName(types[static_cast<std::size_t>(f)])));
    // Only whole numbers can say how many labels a record gets.
    if (types[static_cast<std::size_t>(f)] == 2) cbFieldRepeat->addItem(source->Fields()[f]);
  }
  cbFieldRepeat->setCurrentIndex(std::max(0, cbFieldRepeat->findText(repeat)));
}

void TfLabelling::ChooseCsvFile() {
  const QString file = fServices->OpenFileName(this, Dlg("FileCsv"), QDir::currentPath(), Dlg("CsvFiles") + QStringLiteral(" (*.csv)"));
  if (file.isEmpty()) return;
  edCsvFile->setText(file);
  ChooseData(cbData->findData(TPLNData::CsvDataset()));
}

void TfLabelling::EditJson() {
  QString text = fJson;
  if (!OnEditJson || !OnEditJson(this, text)) return;
  if (text.compare(fJson, Qt::CaseInsensitive) == 0) return;
  fJson = text;
  ChooseData(cbData->currentIndex());
}

QString TfLabelling::GetData() const { return cbData->currentData().toString(); }
QString TfLabelling::GetFieldRepeat() const { return cbFieldRepeat->currentText(); }

// ---- values asked when printing

void TfLabelling::FillAsks() {
  const bool was = fInitialising;
  fInitialising = true;
  lbAsks->clear();
  for (const TPLNAskValue& a : fAsks) lbAsks->addItem(a.Name);
  fAskRow = fAsks.empty() ? -1 : std::clamp(fAskRow, 0, static_cast<int>(fAsks.size()) - 1);
  lbAsks->setCurrentRow(fAskRow);
  fInitialising = was;
  ShowAsk();
}

void TfLabelling::ShowAsk() {
  const bool was = fInitialising;
  fInitialising = true;
  const bool any = fAskRow >= 0 && fAskRow < static_cast<int>(fAsks.size());
  const TPLNAskValue a = any ? fAsks[static_cast<std::size_t>(fAskRow)] : TPLNAskValue();
  edAskName->setText(a.Name);
  edAskPrompt->setText(a.Prompt);
  cbAskKind->setCurrentIndex(static_cast<int>(a.Kind));
  edAskFormat->setText(a.Kind == TORVAskKind::Date ? a.DateFormat() : a.Format);
  edAskDefault->setText(a.Default);
  cbAskListSource->setCurrentIndex(static_cast<int>(a.ListSource));
  meAskList->setPlainText(a.List.join(QLatin1Char('\n')));
  edAskListFile->setText(a.ListFile);
  EnableAskBoxes();
  fInitialising = was;
}

void TfLabelling::EnableAskBoxes() {
  const bool any = fAskRow >= 0 && fAskRow < static_cast<int>(fAsks.size());
  const TPLNAskValue a = any ? fAsks[static_cast<std::size_t>(fAskRow)] : TPLNAskValue();
  const bool list = a.Kind == TORVAskKind::List;
  for (QWidget* w : std::initializer_list<QWidget*>{edAskName, edAskPrompt, cbAskKind, edAskDefault}) w->setEnabled(any);
  edAskFormat->setEnabled(any && a.Kind == TORVAskKind::Date);
  cbAskListSource->setEnabled(any && list);
  meAskList->setEnabled(any && list && a.ListSource == TORVListSource::Design);
  edAskListFile->setEnabled(any && list && a.ListSource == TORVListSource::File);
  butDelAsk->setEnabled(any);
  butAddAsk->setEnabled(static_cast<int>(fAsks.size()) < TPLNAskValue::kMaxAsks);
}

void TfLabelling::StoreAsk() {
  if (fInitialising || fAskRow < 0 || fAskRow >= static_cast<int>(fAsks.size())) return;
  TPLNAskValue& a = fAsks[static_cast<std::size_t>(fAskRow)];
  a.Name = edAskName->text().trimmed();
  a.Prompt = edAskPrompt->text();
  a.Kind = static_cast<TORVAskKind>(std::clamp(cbAskKind->currentIndex(), 0, kAskKinds - 1));
  a.Format = a.Kind == TORVAskKind::Date ? edAskFormat->text().trimmed() : QString();
  a.Default = edAskDefault->text();
  a.ListSource = static_cast<TORVListSource>(std::clamp(cbAskListSource->currentIndex(), 0, 2));
  a.List.clear();
  for (const QString& line : meAskList->toPlainText().split(QLatin1Char('\n'))) {
    const QString v = line.trimmed();
    if (!v.isEmpty()) a.List << v;
  }
  a.ListFile = edAskListFile->text().trimmed();
  if (QListWidgetItem* item = lbAsks->item(fAskRow)) item->setText(a.Name);
  // The boxes that apply follow the kind and the list source.
  EnableAskBoxes();
}

void TfLabelling::SelectAsk(int row) {
  fAskRow = row;
  ShowAsk();
}

void TfLabelling::AddAsk() {
  if (static_cast<int>(fAsks.size()) >= TPLNAskValue::kMaxAsks) return;
  const QString name = fServices->AskText(this, Dlg("AskedValues"), Prop("Name")).trimmed();
  if (name.isEmpty()) return;
  for (const TPLNAskValue& a : fAsks)
    if (a.Name.compare(name, Qt::CaseInsensitive) == 0) {
      fServices->Error(this, windowTitle(), Err("AskName"));
      return;
    }
  TPLNAskValue a;
  a.Name = name;
  fAsks.push_back(a);
  fAskRow = static_cast<int>(fAsks.size()) - 1;
  FillAsks();
}

void TfLabelling::DeleteAsk() {
  if (fAskRow < 0 || fAskRow >= static_cast<int>(fAsks.size())) return;
  fAsks.erase(fAsks.begin() + fAskRow);
  FillAsks();
}

// ---- write-back

QString TfLabelling::Check() {
  std::vector<TBoxCheck> boxes;
  for (TRangeBox* b : findChildren<TRangeBox*>()) boxes.push_back({b, b->Label});
  QString why = CheckBoxes(boxes);
  if (!why.isEmpty()) return why;
  for (TRangeBox* b : {sePaperWidth, sePaperHeight, seWidth, seHeight})
    if (ToBase(b->value()) <= 0) return Err("ValueRange").arg(b->Label, QLocale().toString(std::pow(10.0, -b->decimals()), 'f', b->decimals()), QLocale().toString(b->maximum(), 'f', 0));
  const int rows = static_cast<int>(std::lround(seRows->value())), cols = static_cast<int>(std::lround(seColumns->value()));
  const double across = seMargLeft->value() + cols * seWidth->value() + (cols - 1) * seGapX->value();
  const double down = seMargTop->value() + rows * seHeight->value() + (rows - 1) * seGapY->value();
  const QString unit = Utils::UnitName(fDoc->GetUnits());
  const int dec = sePaperWidth->decimals();
  // Half a hundredth of a millimetre is rounding, not a sheet that does not fit.
  const double slack = Utils::GetValue(10, fDoc->GetUnits());
  if (across > sePaperWidth->value() + slack)
    return Err("GridTooWide").arg(QLocale().toString(across - sePaperWidth->value(), 'f', dec) + QLatin1Char(' ') + unit);
  if (down > sePaperHeight->value() + slack)
    return Err("GridTooTall").arg(QLocale().toString(down - sePaperHeight->value(), 'f', dec) + QLatin1Char(' ') + unit);
  if (std::lround(edFirstRow->value()) > rows || std::lround(edFirstCol->value()) > cols)
    return Err("FirstOutside").arg(cols).arg(rows);
  for (std::size_t i = 0; i < fAsks.size(); ++i) {
    if (fAsks[i].Name.trimmed().isEmpty()) return Err("AskName");
    for (std::size_t j = 0; j < i; ++j)
      if (fAsks[j].Name.compare(fAsks[i].Name, Qt::CaseInsensitive) == 0) return Err("AskName");
  }
  fChecked.reset();
  if (!GetData().isEmpty()) {
    QString error;
    fChecked = ReadData(&error);
    if (!fChecked) return error;
    if (!GetFieldRepeat().isEmpty() && fChecked->FieldIndex(GetFieldRepeat()) < 0) return Err("NoRepeatField").arg(GetFieldRepeat());
  }
  return {};
}

void TfLabelling::WriteBack() {
  TPLNMeasure m = fDoc->Measure();
  m.LabelName = edName->text();
  m.Sizes[TPLNMeasure::PaperWidth] = ToBase(sePaperWidth->value());
  m.Sizes[TPLNMeasure::PaperHeight] = ToBase(sePaperHeight->value());
  m.Sizes[TPLNMeasure::LabelWidth] = ToBase(seWidth->value());
  m.Sizes[TPLNMeasure::LabelHeight] = ToBase(seHeight->value());
  m.Sizes[TPLNMeasure::HorzGap] = ToBase(seGapX->value());
  m.Sizes[TPLNMeasure::VertGap] = ToBase(seGapY->value());
  m.Sizes[TPLNMeasure::LeftMargin] = ToBase(seMargLeft->value());
  m.Sizes[TPLNMeasure::TopMargin] = ToBase(seMargTop->value());
  m.Rows = static_cast<int>(std::lround(seRows->value()));
  m.Columns = static_cast<int>(std::lround(seColumns->value()));
  m.ContinousPaper = cbContinousPaper->isChecked();
  TPLNData d = fDoc->DataSettings();
  const bool hadData = !d.GetDataSel().isEmpty();
  d.SetDataSel(GetData());
  d.SetFieldRepeat(GetFieldRepeat());
  d.SetCsvFile(edCsvFile->text().trimmed());
  d.SetJson(fJson);
  d.LinkData = ckLinkData->isChecked();
  d.SaveJson = ckSaveJson->isChecked();
  d.Asks = fAsks;
  d.CountersFile = edCountersFile->text().trimmed();

  fDoc->BeginUpdate(true);
  fDoc->SetMeasure(m);
  TPLNPrintInfo& pi = fDoc->PrintInfo;
  pi.Horizontal = !RaBuVer->isChecked();
  if (std::lround(edNumLabs->value()) != fShownLabs) pi.LabelsToPrint = static_cast<int>(std::lround(edNumLabs->value()));
  pi.FirstRow = static_cast<int>(std::lround(edFirstRow->value()));
  pi.FirstColumn = static_cast<int>(std::lround(edFirstCol->value()));
  pi.Repetition = static_cast<int>(std::lround(edRepetition->value()));
  fDoc->SetDataSettings(d);
  TPLNBackSurf stock;
  stock.Color = ckStock->isChecked() ? swStock->Color() : 0u;
  stock.SetRadius(static_cast<float>(seStockRadius->value()));
  fDoc->SetBackSurf(stock);
  std::uint16_t options = fDoc->GetOptions() & ~(doShowBackSurf | doPrintBackSurf | doExportBackSurf);
  if (ckShowStock->isChecked()) options |= doShowBackSurf;
  if (ckPrintStock->isChecked()) options |= doPrintBackSurf;
  if (ckExportStock->isChecked()) options |= doExportBackSurf;
  fDoc->SetOptions(options);
  fDoc->SetModified(true);
  fDoc->NotifyChange(TORChange::Document);
  fDoc->EndUpdate();
  // The data the settings name, with the run's repetitions; dropped when they name none.
  if (fChecked) {
    const int times = pi.Repetition;
    fDoc->SetDataSource(times > 1 || !d.GetFieldRepeat().isEmpty()
                            ? std::make_shared<const TPLNDataSource>(fChecked->Repeated(times, d.GetFieldRepeat()))
                            : fChecked);
  } else if (GetData().isEmpty() && hadData) {
    fDoc->ClearDataSource();
  }
  if (cbCalPrinter->count() > 0) SetPrintCalibration(cbCalPrinter->currentText(), {seCalX->value(), seCalY->value()});
}

}  // namespace Orv::Fmx
