#include "ORV.FMX.ShowPreview.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "ORV.FMX.Print.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"

namespace Orv::Fmx {

namespace {

struct TExportKind {
  const char* Text;
  TORVExport Type;
  const char* Ext;
  const char* Filter;  // message key of the file dialog filter
};
const TExportKind kExportKinds[] = {
    {"PDF", TORVExport::PDF, "pdf", "FilterPdfFiles"},  {"BMP", TORVExport::BMP, "bmp", "FilterBmp"},
    {"GIF", TORVExport::GIF, "gif", "FilterGif"}, {"PNG", TORVExport::PNG, "png", "FilterPng"},
    {"JPG", TORVExport::JPEG, "jpg", "FilterJpg"},
};

// Restores the cursor however the work ends.
struct TWaitCursor {
  TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

QString TPreviewServices::SaveFileName(QWidget* parent, const QString& title, const QString& suggested,
                                       const QString& filter) {
  return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

bool TPreviewServices::ChoosePrinter(QWidget* parent, QString& printer, QString& pdfFile) {
  QPrinter p;
  QPrintDialog dialog(&p, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  if (p.outputFormat() == QPrinter::PdfFormat && !p.outputFileName().isEmpty()) {
    pdfFile = p.outputFileName();
    printer.clear();
  } else {
    printer = p.printerName();
    pdfFile.clear();
  }
  return true;
}

void TPreviewServices::Error(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::critical(parent, title, text);
}

TfPreview::TfPreview(QWidget* parent, std::shared_ptr<TPreviewServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : std::make_shared<TPreviewServices>()) {
  setObjectName(QStringLiteral("fPreview"));
  resize(960, 740);
  BuildBar();
}

TfPreview::~TfPreview() {
  // The preview observes the document, which outlives this window.
  if (fPreview) fPreview->SetLabel(nullptr);
}

void TfPreview::BuildBar() {
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(0, 0, 0, 0);
  top->setSpacing(0);
  auto* bar = new QWidget(this);
  bar->setObjectName(QStringLiteral("previewBar"));
  bar->setFixedHeight(32);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(4, 2, 4, 2);
  row->setSpacing(4);
  auto button = [&](const char* name, const QString& text, const QString& tip) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    row->addWidget(b);
    return b;
  };
  fFirst = button("btnFirst", QStringLiteral("|◀"), TPLNMsg::GetDialogsValue(QStringLiteral("PreviewFirst")));
  fPrior = button("btnPrior", QStringLiteral("◀"), TPLNMsg::GetDialogsValue(QStringLiteral("PreviewPrior")));
  edNumPage = new QLineEdit(bar);
  edNumPage->setObjectName(QStringLiteral("edNumPage"));
  edNumPage->setAlignment(Qt::AlignCenter);
  edNumPage->setReadOnly(true);
  edNumPage->setFixedWidth(110);
  row->addWidget(edNumPage);
  fNext = button("btnNext", QStringLiteral("▶"), TPLNMsg::GetDialogsValue(QStringLiteral("PreviewNext")));
  fLast = button("btnLast", QStringLiteral("▶|"), TPLNMsg::GetDialogsValue(QStringLiteral("PreviewLast")));
  row->addSpacing(12);
  ckFit = new QCheckBox(bar);
  ckFit->setObjectName(QStringLiteral("ckFit"));
  row->addWidget(ckFit);
  ckTransparent = new QCheckBox(bar);
  ckTransparent->setObjectName(QStringLiteral("ckTransparent"));
  row->addWidget(ckTransparent);
  seQuality = new QSpinBox(bar);
  seQuality->setObjectName(QStringLiteral("seQuality"));
  seQuality->setRange(10, 100);
  row->addWidget(seQuality);
  sfScale = new QDoubleSpinBox(bar);
  sfScale->setObjectName(QStringLiteral("sfScale"));
  sfScale->setRange(0.2, 5.0);
  sfScale->setSingleStep(0.05);
  sfScale->setDecimals(2);
  row->addWidget(sfScale);
  row->addStretch(1);
  fClose = button("btnClose", TPLNMsg::GetDialogsValue(QStringLiteral("PreviewClose")), TPLNMsg::GetDialogsValue(QStringLiteral("PreviewCloseTip")));
  fExport = button("btnExport", QString(), QString());
  fExportMenu = new QMenu(fExport);
  fExportMenu->setObjectName(QStringLiteral("exportMenu"));
  for (const TExportKind& k : kExportKinds) {
    QAction* a = fExportMenu->addAction(QString::fromLatin1(k.Text));
    a->setObjectName(QStringLiteral("export%1").arg(QString::fromLatin1(k.Text)));
    const TORVExport type = k.Type;
    connect(a, &QAction::triggered, this, [this, type] { Export(type); });
  }
  // The menu opens just below the button.
  connect(fExport, &QToolButton::clicked, this,
          [this] { fExportMenu->popup(fExport->mapToGlobal(QPoint(0, fExport->height()))); });
  fFullPage = button("btnFullPage", TPLNMsg::GetDialogsValue(QStringLiteral("PreviewFullPage")), TPLNMsg::GetDialogsValue(QStringLiteral("PreviewFullPageTip")));
  fPageWidth = button("btnPageWidth", TPLNMsg::GetDialogsValue(QStringLiteral("PreviewPageWidth")), TPLNMsg::GetDialogsValue(QStringLiteral("PreviewPageWidthTip")));
  fPrint = button("btnPrint", TPLNMsg::GetDialogsValue(QStringLiteral("PreviewPrint")), TPLNMsg::GetDialogsValue(QStringLiteral("PreviewPrintTip")));
  top->addWidget(bar);

  connect(fFirst, &QToolButton::clicked, this, [this] { FirstPage(); });
  connect(fPrior, &QToolButton::clicked, this, [this] { PriorPage(); });
  connect(fNext, &QToolButton::clicked, this, [this] { NextPage(); });
  connect(fLast, &QToolButton::clicked, this, [this] { LastPage(); });
  connect(edNumPage, &QLineEdit::returnPressed, this, [this] { PageTyped(); });
  connect(fClose, &QToolButton::clicked, this, &QDialog::reject);
  connect(fFullPage, &QToolButton::clicked, this, [this] {
    if (fPreview) fPreview->SetViewType(TORVViewType::FullPage);
  });
  connect(fPageWidth, &QToolButton::clicked, this, [this] {
    if (fPreview) fPreview->SetViewType(TORVViewType::PageWidth);
  });
  connect(fPrint, &QToolButton::clicked, this, [this] { Print(); });
}

void TfPreview::Ini(TPlanoraFMX* doc) {
  fDoc = doc;
  if (!doc) return;
  setWindowTitle(QStringLiteral("    ") + doc->Measure().LabelName);
  doc->CheckPrintData();
  fPages = PreviewPageCount(*doc);
  // Fitting the export to the drawing means something only for a single label without data.
  const TPLNMeasure& m = doc->Measure();
  ckFit->setVisible(!doc->PrintInfo.MakeCopies && !doc->GetDataSource() && m.Rows * m.Columns <= 1);
  sfScale->setToolTip(TPLNMsg::GetDialogsValue(QStringLiteral("ScaleExp")));
  ckFit->setToolTip(TPLNMsg::GetDialogsValue(QStringLiteral("FitExp")));
  ckFit->setText(TPLNMsg::GetDialogsValue(QStringLiteral("Fit")));
  seQuality->setToolTip(TPLNMsg::GetDialogsValue(QStringLiteral("Quality")));
  ckTransparent->setToolTip(TPLNMsg::GetDialogsValue(QStringLiteral("Transparent")));
  ckTransparent->setText(TPLNMsg::GetDialogsValue(QStringLiteral("Transparent")));
  fExport->setText(TPLNMsg::GetDialogsValue(QStringLiteral("Export")) + QStringLiteral(" ▼"));
  if (!fPreview) {
    fPreview = new TPLNPreview(this);
    fPreview->setObjectName(QStringLiteral("preview"));
    static_cast<QVBoxLayout*>(layout())->addWidget(fPreview, 1);
  }
  fPreview->SetLabel(doc);
  sfScale->setValue(1.0);
  seQuality->setValue(100);
  FirstPage();
  fPreview->setFocus();
}

int TfPreview::CurrentPage() const { return fDoc ? std::max(1, fDoc->PrintInfo.CurrentPage) : 1; }

void TfPreview::GoToPage(int page) {
  if (!fDoc) return;
  fDoc->GoToPage(std::clamp(page, 1, fPages), false, true);
  if (fPreview) fPreview->update();
  CheckNavigation();
}

void TfPreview::FirstPage() { GoToPage(1); }
void TfPreview::PriorPage() { GoToPage(CurrentPage() - 1); }
void TfPreview::NextPage() { GoToPage(CurrentPage() + 1); }
void TfPreview::LastPage() { GoToPage(fPages); }

void TfPreview::CheckNavigation() {
  const int page = CurrentPage();
  if (fPages <= 1) {
    for (QToolButton* b : {fFirst, fPrior, fNext, fLast}) b->setEnabled(false);
    edNumPage->setText(QStringLiteral("1 / 1"));
    edNumPage->setReadOnly(true);
    return;
  }
  fFirst->setEnabled(page > 1);
  fPrior->setEnabled(page > 1);
  fNext->setEnabled(page < fPages);
  fLast->setEnabled(page < fPages);
  edNumPage->setText(QStringLiteral("%1 / %2").arg(page).arg(fPages));
  edNumPage->setReadOnly(false);
}

void TfPreview::PageTyped() {
  // "7", "7 / 12" or anything starting with a number; other text puts the page back.
  const QString text = edNumPage->text().section(QLatin1Char('/'), 0, 0).trimmed();
  bool ok = false;
  const int page = text.toInt(&ok);
  GoToPage(ok ? page : CurrentPage());
}

void TfPreview::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Print)) return Print();
  switch (event->key()) {
    case Qt::Key_PageUp: return PriorPage();
    case Qt::Key_PageDown: return NextPage();
    case Qt::Key_Home:
      if (edNumPage->hasFocus() && !edNumPage->isReadOnly()) break;
      return FirstPage();
    case Qt::Key_End:
      if (edNumPage->hasFocus() && !edNumPage->isReadOnly()) break;
      return LastPage();
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // Enter belongs to the page box, never to the dialog's default button.
      return;
    default:
      break;
  }
  QDialog::keyPressEvent(event);
}

bool TfPreview::ExportTo(TORVExport type, const QString& fileName) {
  if (!fDoc) return false;
  const bool fit = !ckFit->isHidden() && ckFit->isChecked();
  // Fit exports the drawing's extent, which only page 0 asks for; otherwise the page shown.
  const int page = fit ? 0 : CurrentPage();
  QString error;
  bool ok = false;
  {
    TWaitCursor wait;
    try {
      fDoc->ExportDoc(type, fileName, page, static_cast<float>(sfScale->value()),
                      static_cast<std::int16_t>(seQuality->value()), false, ckTransparent->isChecked(), fit);
      ok = fDoc->WaitForExport(&error);
    } catch (const std::exception& e) {  // asked values refused before the export started
      error = QString::fromUtf8(e.what());
    }
  }
  // The export moved the data cursor to its page; the window's page is what counts.
  fDoc->GoToPage(CurrentPage(), false, true);
  if (!ok) fServices->Error(this, TPLNMsg::GetDialogsValue(QStringLiteral("Export")), error);
  return ok;
}

void TfPreview::Export(TORVExport type) {
  if (!fDoc) return;
  const TExportKind* kind = nullptr;
  for (const TExportKind& k : kExportKinds)
    if (k.Type == type) kind = &k;
  if (!kind) return;
  const QString name = fDoc->Title.isEmpty() ? QStringLiteral("labels") : fDoc->Title;
  const QString f = fServices->SaveFileName(this, TPLNMsg::GetDialogsValue(QStringLiteral("TitleExport")),
                                            name + QLatin1Char('.') + QString::fromLatin1(kind->Ext),
                                            TPLNMsg::GetDialogsValue(QLatin1String(kind->Filter)));
  if (f.isEmpty()) return;
  // A name without an extension takes the format's own.
  const QString file = QFileInfo(f).suffix().isEmpty() ? f + QLatin1Char('.') + QString::fromLatin1(kind->Ext) : f;
  ExportTo(type, file);
}

void TfPreview::Print() {
  if (!fDoc) return;
  QString printer, pdf;
  if (!fServices->ChoosePrinter(this, printer, pdf)) return;
  PrintTo(printer, pdf);
}

bool TfPreview::PrintTo(const QString& printer, const QString& pdfFile) {
  if (!fDoc) return false;
  TPlanoraFMX& d = *fDoc;
  const int page = CurrentPage();
  int index = 0;
  if (pdfFile.isEmpty()) {
    const QStringList names = PrinterNames();
    index = static_cast<int>(names.indexOf(printer));
    if (index < 0)
      for (int i = 0; i < names.size() && index < 0; ++i)
        if (names[i].compare(printer, Qt::CaseInsensitive) == 0) index = i;
    index = std::max(0, index);
  }
  // The print runs over the pages the window shows, whichever page it is on; the document's
  // own print range and file are put back afterwards.
  const TPLNPrintInfo saved = d.PrintInfo;
  const QString savedFile = d.PrintToFile;
  d.PrintInfo.PrinterIndex = index;
  d.PrintInfo.CurrentPage = 1;
  d.PrintInfo.LastPage = fPages;
  d.PrintInfo.Counter = 1;
  d.PrintToFile = pdfFile;
  QString error;
  {
    TWaitCursor wait;
    try {
      d.Print();
    } catch (const EPLNCancelled&) {
      // Declined in the values window: nothing printed, nothing to report.
    } catch (const std::exception& e) {
      error = QString::fromUtf8(e.what());
      if (error.isEmpty()) error = TPLNMsg::GetDialogsValue(QStringLiteral("PreviewPrintFailed"));
    }
  }
  d.PrintInfo.PrinterIndex = index;  // the printer chosen stays chosen
  d.PrintInfo.CurrentPage = saved.CurrentPage;
  d.PrintInfo.LastPage = saved.LastPage;
  d.PrintInfo.Counter = saved.Counter;
  d.PrintToFile = savedFile;
  try {
    // The values were settled by the print: the copies again, without asking once more.
    d.MakePrintCopies();
  } catch (const std::exception& e) {
    if (error.isEmpty()) error = QString::fromUtf8(e.what());
  }
  fPages = PreviewPageCount(d);
  GoToPage(std::min(page, fPages));
  if (!error.isEmpty()) {
    fServices->Error(this, TPLNMsg::GetDialogsValue(QStringLiteral("TitlePrint")), error);
    return false;
  }
  return true;
}

}  // namespace Orv::Fmx
