#include "ORV.FMX.Drawing.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.DialogServices.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"
#include "ORV.PageSetup.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

TfDrawing::TfDrawing(QWidget* parent, std::shared_ptr<TDialogServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : TDialogServices::Default()) {
  setObjectName(QStringLiteral("fDrawing"));
  edName = Named<QLineEdit>(this, "edName");
  cbPaper = Named<QComboBox>(this, "cbPaper");
  // The paper of a drawing is paper: millimetres whatever unit the drawing measures in.
  sePaperWidth = Named<TRangeBox>(this, "sePaperWidth");
  sePaperHeight = Named<TRangeBox>(this, "sePaperHeight");
  for (TRangeBox* b : {sePaperWidth, sePaperHeight}) {
    b->setRange(1, 10000);
    b->setDecimals(2);
  }
  RaBuVer = Named<QRadioButton>(this, "RaBuVer");
  RaBuHor = Named<QRadioButton>(this, "RaBuHor");
  seScale = Named<TRangeBox>(this, "seScale");
  seScale->setDecimals(0);
  seScale->setPrefix(QStringLiteral("1 : "));
  lbScale = new QLabel(this);
  lbArea = Named<QLabel>(this, "lbArea");
  edAuthor = Named<QLineEdit>(this, "edAuthor");
  edPromoter = Named<QLineEdit>(this, "edPromoter");
  edDate = Named<QLineEdit>(this, "edDate");
  edTitle = Named<QLineEdit>(this, "edTitle");
  edProject = Named<QLineEdit>(this, "edProject");
  meNote = Named<QPlainTextEdit>(this, "meNote");
  meNote->setMaximumHeight(90);
  butOk = Named<QPushButton>(this, "butOk");
  butCancel = Named<QPushButton>(this, "butCancel");
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
  lbName = new QLabel(this);
  lbPaper = new QLabel(this);
  lbWidth = new QLabel(this);
  lbHeight = new QLabel(this);
  lbAuthor = new QLabel(this);
  lbPromoter = new QLabel(this);
  lbDate = new QLabel(this);
  lbTitle = new QLabel(this);
  lbProject = new QLabel(this);
  lbNote = new QLabel(this);

  auto* g = new QGridLayout;
  int row = 0;
  g->addWidget(lbName, row, 0);
  g->addWidget(edName, row++, 1, 1, 3);
  g->addWidget(lbPaper, row, 0);
  g->addWidget(cbPaper, row++, 1, 1, 3);
  g->addWidget(lbWidth, row, 0);
  g->addWidget(sePaperWidth, row, 1);
  g->addWidget(lbHeight, row, 2);
  g->addWidget(sePaperHeight, row++, 3);
  auto* orient = new QHBoxLayout;
  orient->addWidget(RaBuVer);
  orient->addWidget(RaBuHor);
  orient->addStretch();
  g->addLayout(orient, row++, 1, 1, 3);
  g->addWidget(lbScale, row, 0);
  g->addWidget(seScale, row++, 1);
  g->addWidget(lbArea, row++, 0, 1, 4);
  for (auto [l, e] : std::initializer_list<std::pair<QLabel*, QWidget*>>{
           {lbTitle, edTitle}, {lbProject, edProject}, {lbAuthor, edAuthor}, {lbPromoter, edPromoter}, {lbDate, edDate}, {lbNote, meNote}}) {
    g->addWidget(l, row, 0);
    g->addWidget(e, row++, 1, 1, 3);
  }
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(butOk);
  bottom->addWidget(butCancel);
  auto* v = new QVBoxLayout(this);
  v->addLayout(g);
  v->addLayout(bottom);

  for (TRangeBox* b : findChildren<TRangeBox*>())
    connect(b, &TRangeBox::Refused, this, [this](const QString& m) { fServices->Error(this, windowTitle(), m); });
  connect(cbPaper, &QComboBox::activated, this, [this](int i) { ChoosePaper(i); });
  connect(RaBuHor, &QRadioButton::clicked, this, [this] { SetHorizontal(true); });
  connect(RaBuVer, &QRadioButton::clicked, this, [this] { SetHorizontal(false); });
  for (TRangeBox* b : {sePaperWidth, sePaperHeight, seScale}) connect(b, &QDoubleSpinBox::valueChanged, this, [this] { ShowArea(); });
  AcceptWhenChecked(butOk, this, fServices, [this] { return Check(); });
  connect(butCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfDrawing::FillLanguage() {
  setWindowTitle(Dlg("Drawing"));
  lbName->setText(Dlg("DrawingName"));
  lbPaper->setText(Dlg("PaperSize") + Dlg(" (mm)"));
  lbWidth->setText(Dlg("Width"));
  lbHeight->setText(Dlg("Height"));
  lbScale->setText(Dlg("DrawingScale"));
  lbAuthor->setText(Dlg("Author"));
  lbPromoter->setText(Dlg("Promoter"));
  lbDate->setText(Dlg("Date"));
  lbTitle->setText(Dlg("Title"));
  lbNote->setText(Dlg("Note"));
  lbProject->setText(Dlg("Project"));
  RaBuVer->setText(Dlg("Vertical"));
  RaBuHor->setText(Dlg("Horizontal"));
  butOk->setText(Dlg("Ok"));
  butCancel->setText(Dlg("Cancel"));
  sePaperWidth->Label = PlainLabel(Dlg("PaperSize")) + QLatin1Char(' ') + PlainLabel(Dlg("Width")).toLower();
  sePaperHeight->Label = PlainLabel(Dlg("PaperSize")) + QLatin1Char(' ') + PlainLabel(Dlg("Height")).toLower();
  seScale->Label = PlainLabel(Dlg("DrawingScale"));
}

void TfDrawing::Ini(TPlanoraFMX* doc) {
  fDoc = doc;
  fFlowchart = doc->GetEditorMode() == 1;
  FillLanguage();
  const TPLNMeasure& m = doc->Measure();
  edName->setText(m.LabelName);
  edAuthor->setText(m.Author);
  edPromoter->setText(m.Promoter);
  edDate->setText(m.Date);
  edTitle->setText(m.DrawingTitle);
  edProject->setText(m.Project);
  meNote->setPlainText(m.Note);
  sePaperWidth->setValue(m.Sizes[TPLNMeasure::PaperWidth] / Utils::kBasePerMM);
  sePaperHeight->setValue(m.Sizes[TPLNMeasure::PaperHeight] / Utils::kBasePerMM);
  FillPapers(cbPaper, sePaperWidth->value(), sePaperHeight->value());
  RaBuHor->setChecked(doc->PrintInfo.Horizontal);
  RaBuVer->setChecked(!doc->PrintInfo.Horizontal);
  seScale->setRange(1, static_cast<double>(TPLNMeasure::GetMaxDrawScale()));
  seScale->setValue(static_cast<double>(m.DrawScale));
  // A flowchart is drawn at full size.
  for (QWidget* w : std::initializer_list<QWidget*>{seScale, lbScale, lbArea}) w->setVisible(!fFlowchart);
  ShowArea();
}

void TfDrawing::ChoosePaper(int index) {
  if (index < 0 || index >= kPaperCount) return;
  cbPaper->setCurrentIndex(index);
  if (index == UserPaperIndex) return;
  const QSizeF mm = PaperSizeMM(index, RaBuHor->isChecked());
  sePaperWidth->setValue(mm.width());
  sePaperHeight->setValue(mm.height());
}

void TfDrawing::SetHorizontal(bool horizontal) { SetOrientation(RaBuVer, RaBuHor, sePaperWidth, sePaperHeight, horizontal); }

QString TfDrawing::AreaText() const {
  const double scale = seScale->value();
  const TORVUnits u = fDoc->GetUnits();
  const QString unit = Utils::UnitName(u);
  auto side = [&](double mm) {
    return QLocale().toString(Utils::GetValue(Utils::RoundHalfAway(mm * Utils::kBasePerMM * scale), u), 'f', 2) + QLatin1Char(' ') + unit;
  };
  return Dlg("DrawingArea") + QStringLiteral(": ") + side(sePaperHeight->value()) + QStringLiteral(" x ") + side(sePaperWidth->value());
}

void TfDrawing::ShowArea() {
  if (fDoc && !fFlowchart) lbArea->setText(AreaText());
}

QString TfDrawing::Check() const {
  std::vector<TBoxCheck> boxes{{sePaperWidth, sePaperWidth->Label}, {sePaperHeight, sePaperHeight->Label}};
  if (!fFlowchart) boxes.push_back({seScale, seScale->Label});
  return CheckBoxes(boxes);
}

void TfDrawing::WriteBack() {
  TPLNMeasure m = fDoc->Measure();
  // A drawing is one sheet: the label is the paper.
  const std::int64_t w = Utils::RoundHalfAway(sePaperWidth->value() * Utils::kBasePerMM);
  const std::int64_t h = Utils::RoundHalfAway(sePaperHeight->value() * Utils::kBasePerMM);
  m.ContinousPaper = true;
  m.LabelName = edName->text();
  m.Sizes[TPLNMeasure::PaperWidth] = m.Sizes[TPLNMeasure::LabelWidth] = w;
  m.Sizes[TPLNMeasure::PaperHeight] = m.Sizes[TPLNMeasure::LabelHeight] = h;
  for (int s : {TPLNMeasure::LeftMargin, TPLNMeasure::TopMargin, TPLNMeasure::HorzGap, TPLNMeasure::VertGap}) m.Sizes[s] = 0;
  m.Rows = m.Columns = 1;
  if (!fFlowchart) m.DrawScale = std::llround(seScale->value());
  m.DrawingTitle = edTitle->text();
  m.Author = edAuthor->text();
  m.Date = edDate->text();
  m.Promoter = edPromoter->text();
  m.Note = meNote->toPlainText();
  m.Project = edProject->text();
  fDoc->BeginUpdate(true);
  fDoc->SetMeasure(m);
  fDoc->PrintInfo.Horizontal = !RaBuVer->isChecked();
  fDoc->SetModified(true);
  fDoc->NotifyChange(TORChange::Document);
  fDoc->EndUpdate();
}

}  // namespace Orv::Fmx
