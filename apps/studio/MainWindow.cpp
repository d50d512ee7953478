#include "MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>

#include "ORV.FMX.Editor.h"
#include "ORV.FMX.Export.h"
#include "ORV.FMX.Print.h"
#include "ORV.FMX.h"
#include "ORV.Utils.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace Planora::Studio {

namespace {

const char* kDrawingFilter = "Drawings (*.json *.eti);;All files (*)";
const char* kExportFilter =
    "PDF (*.pdf);;XPS (*.xps);;PNG image (*.png);;JPEG image (*.jpg *.jpeg);;BMP image (*.bmp);;GIF image (*.gif)";

// The main window hears every change of its drawing, for the title's modified mark.
class TDocWatch : public IORObserver {
 public:
  explicit TDocWatch(std::function<void()> fn) : fFn(std::move(fn)) {}
  void UpdateCtrl(TORChange, TORChangeValue) override { fFn(); }

 private:
  std::function<void()> fFn;
};

}  // namespace

TMainWindow::TMainWindow(std::shared_ptr<TStudioServices> services, QWidget* parent)
    : QMainWindow(parent),
      fServices(services ? std::move(services) : std::make_shared<TStudioServices>()),
      fDoc(std::make_unique<TPlanoraFMX>()) {
  setObjectName(QStringLiteral("PlanoraStudio"));
  fEditor = new TPLNEditor(this);
  fEditor->setObjectName(QStringLiteral("editor"));
  fEditor->SetLabel(fDoc.get());
  setCentralWidget(fEditor);

  fPosition = new QLabel(this);
  fZoom = new QLabel(this);
  fPosition->setMinimumWidth(220);
  statusBar()->addWidget(fPosition);
  statusBar()->addPermanentWidget(fZoom);
  connect(fEditor, &TPLNBaseEditor::PointerMoved, this, &TMainWindow::ShowPosition);
  connect(fEditor, &TPLNBaseEditor::ZoomChanged, this, &TMainWindow::ShowZoom);

  BuildMenus();
  fWatch = std::make_unique<TDocWatch>([this] { UpdateTitle(); });
  fDoc->AddObserver(fWatch.get());

  QSettings s;
  if (!restoreGeometry(s.value(QStringLiteral("window/geometry")).toByteArray())) resize(1100, 780);
  restoreState(s.value(QStringLiteral("window/state")).toByteArray());
  const int style = s.value(QStringLiteral("view/grid"), 0).toInt();
  if (style >= 0 && style < fGridGroup->actions().size()) fGridGroup->actions()[style]->trigger();
  fRulersAction->setChecked(s.value(QStringLiteral("view/rulers"), true).toBool());
  UpdateRecentMenu();
  UpdateTitle();
  ShowZoom();
}

TMainWindow::~TMainWindow() {
  fDoc->RemoveObserver(fWatch.get());
  // The editor observes the document too: detach it before the document goes.
  fEditor->SetLabel(nullptr);
}

void TMainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(tr("&New"), QKeySequence::New, this, [this] { NewDrawing(); });
  file->addAction(tr("&Open…"), QKeySequence::Open, this, [this] {
    if (!MaybeSave()) return;
    const QString f = fServices->OpenFileName(this, tr("Open drawing"), QString::fromLatin1(kDrawingFilter));
    if (!f.isEmpty()) OpenFile(f);
  });
  fRecentMenu = file->addMenu(tr("Open &Recent"));
  file->addSeparator();
  file->addAction(tr("&Save"), QKeySequence::Save, this, [this] { Save(); });
  file->addAction(tr("Save &As…"), QKeySequence::SaveAs, this, [this] { SaveAs(); });
  file->addSeparator();
  file->addAction(tr("&Export…"), QKeySequence(tr("Ctrl+E")), this, [this] { ExportDialog(); });
  file->addAction(tr("&Print…"), QKeySequence::Print, this, [this] { PrintDialog(); });
  file->addSeparator();
  file->addAction(tr("&Quit"), QKeySequence::Quit, this, [this] { close(); });

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addAction(tr("Zoom &In"), QKeySequence::ZoomIn, this, [this] { fEditor->IncZoom(); });
  view->addAction(tr("Zoom &Out"), QKeySequence::ZoomOut, this, [this] { fEditor->DecZoom(); });
  view->addAction(tr("&Actual Size"), QKeySequence(tr("Ctrl+0")), this, [this] { fEditor->SetZoom(TORVZoom::zm100); });
  view->addAction(tr("Fit &Width"), this, [this] { fEditor->SetZoom(TORVZoom::zmWidth); });
  view->addAction(tr("Fit &Height"), this, [this] { fEditor->SetZoom(TORVZoom::zmHeight); });
  view->addAction(tr("&Fit All"), QKeySequence(tr("Ctrl+9")), this, [this] { fEditor->SetZoom(TORVZoom::zmFitAll); });
  view->addSeparator();
  fRulersAction = view->addAction(tr("&Rulers"));
  fRulersAction->setCheckable(true);
  connect(fRulersAction, &QAction::toggled, this, [this](bool on) {
    fEditor->Rulers().SetVisible(on ? std::uint8_t(rvLeft | rvTop) : std::uint8_t(0));
    QSettings().setValue(QStringLiteral("view/rulers"), on);
  });
  QMenu* grid = view->addMenu(tr("&Grid"));
  fGridGroup = new QActionGroup(this);
  const std::pair<const char*, TORVGridDraw> styles[] = {
      {"&None", TORVGridDraw::gdNone}, {"&Points", TORVGridDraw::gdPoints}, {"&Lines", TORVGridDraw::gdLines}};
  for (int i = 0; i < 3; ++i) {
    QAction* a = grid->addAction(tr(styles[i].first));
    a->setCheckable(true);
    fGridGroup->addAction(a);
    const TORVGridDraw style = styles[i].second;
    connect(a, &QAction::triggered, this, [this, style, i] {
      fEditor->Grid().SetStyle(style);
      QSettings().setValue(QStringLiteral("view/grid"), i);
    });
  }
  fGridGroup->actions()[0]->setChecked(true);
}

QStringList TMainWindow::RecentFiles() const {
  return QSettings().value(QStringLiteral("recentFiles")).toStringList();
}

void TMainWindow::AddRecent(const QString& path) {
  QStringList list = RecentFiles();
  const QString abs = QFileInfo(path).absoluteFilePath();
  list.removeAll(abs);
  list.prepend(abs);
  while (list.size() > kMaxRecent) list.removeLast();
  QSettings().setValue(QStringLiteral("recentFiles"), list);
  UpdateRecentMenu();
}

void TMainWindow::UpdateRecentMenu() {
  fRecentMenu->clear();
  const QStringList list = RecentFiles();
  for (int i = 0; i < list.size(); ++i) {
    const QString path = list[i];
    fRecentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()), this, [this, path] {
      if (MaybeSave()) OpenFile(path);
    })->setToolTip(path);
  }
  fRecentMenu->setEnabled(!list.isEmpty());
}

void TMainWindow::UpdateTitle() {
  const QString name = fFile.isEmpty() ? tr("Untitled") : QFileInfo(fFile).fileName();
  setWindowTitle(QStringLiteral("%1[*] — Planora Studio").arg(name));
  setWindowModified(fDoc->GetModified());
}

void TMainWindow::ShowZoom() {
  if (fZoom) fZoom->setText(ZoomText());
}

QString TMainWindow::ZoomText() const { return QStringLiteral("%1 %").arg(qRound(fEditor->ZoomFactor() * 100)); }

void TMainWindow::ShowPosition(double x, double y) {
  const QString unit = Utils::UnitName(fDoc->GetUnits());
  fPosition->setText(QStringLiteral("X: %1 %3   Y: %2 %3")
                         .arg(Utils::FormatFloat(x, 2), Utils::FormatFloat(y, 2), unit));
}

QString TMainWindow::PositionText() const { return fPosition->text(); }

bool TMainWindow::OpenFile(const QString& path) {
  try {
    if (!fDoc->LoadFromFile(path))
      throw EPLNError(tr("%1: not a drawing (open a .json or .eti file)").arg(QFileInfo(path).fileName()));
  } catch (const std::exception& e) {
    fServices->Error(this, tr("Open drawing"), QString::fromUtf8(e.what()));
    return false;
  }
  fFile = QFileInfo(path).absoluteFilePath();
  if (fDoc->ImageFolder.isEmpty()) fDoc->ImageFolder = QFileInfo(path).absolutePath();
  if (fDoc->SkippedItems() > 0)
    statusBar()->showMessage(tr("%1 items of kinds this version cannot draw were skipped").arg(fDoc->SkippedItems()), 8000);
  AddRecent(fFile);
  fEditor->SetZoom(TORVZoom::zmFitAll);
  UpdateTitle();
  return true;
}

bool TMainWindow::SaveTo(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toLower();
  if (ext != QLatin1String("json") && ext != QLatin1String("eti")) {
    fServices->Error(this, tr("Save drawing"), tr("%1: save as .json or .eti").arg(QFileInfo(path).fileName()));
    return false;
  }
  try {
    fDoc->SaveToFile(path, ext == QLatin1String("eti") ? TORVExt::Eti : TORVExt::Json);
  } catch (const std::exception& e) {
    fServices->Error(this, tr("Save drawing"), QString::fromUtf8(e.what()));
    return false;
  }
  fFile = QFileInfo(path).absoluteFilePath();
  AddRecent(fFile);
  UpdateTitle();
  statusBar()->showMessage(tr("Saved %1").arg(fFile), 4000);
  return true;
}

bool TMainWindow::Save() { return fFile.isEmpty() ? SaveAs() : SaveTo(fFile); }

bool TMainWindow::SaveAs() {
  const QString suggested = fFile.isEmpty() ? QDir::home().filePath(QStringLiteral("drawing.json")) : fFile;
  const QString f = fServices->SaveFileName(this, tr("Save drawing as"), suggested, QString::fromLatin1(kDrawingFilter));
  return !f.isEmpty() && SaveTo(f);
}

bool TMainWindow::MaybeSave() {
  if (!fDoc->GetModified()) return true;
  switch (fServices->AskSave(this, fFile.isEmpty() ? tr("Untitled") : QFileInfo(fFile).fileName())) {
    case TStudioServices::TSaveAnswer::Save:
      return Save();
    case TStudioServices::TSaveAnswer::Discard:
      return true;
    case TStudioServices::TSaveAnswer::Cancel:
      return false;
  }
  return false;
}

bool TMainWindow::NewDrawing() {
  if (!MaybeSave()) return false;
  TPlanoraFMX empty;
  fDoc->TakeOver(empty);
  fFile.clear();
  fEditor->SetZoom(TORVZoom::zmFitAll);
  UpdateTitle();
  return true;
}

bool TMainWindow::ExportTo(const QString& path) {
  TORVExport type;
  if (!ExportTypeOfFile(path, &type)) {
    fServices->Error(this, tr("Export"),
                     tr("%1: unknown output format (use .pdf, .xps, .png, .jpg, .bmp or .gif)").arg(QFileInfo(path).fileName()));
    return false;
  }
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const int page = std::max(1, fDoc->PrintInfo.CurrentPage);
  fDoc->ExportDoc(type, path, page, 1.0f, -1, fDoc->GetDataSource() != nullptr, false, false);
  QString error;
  const bool ok = fDoc->WaitForExport(&error);
  QGuiApplication::restoreOverrideCursor();
  if (!ok) {
    fServices->Error(this, tr("Export"), error);
    return false;
  }
  statusBar()->showMessage(tr("Exported %1").arg(QFileInfo(path).absoluteFilePath()), 4000);
  return true;
}

void TMainWindow::ExportDialog() {
  const QString base = fFile.isEmpty() ? QDir::home().filePath(QStringLiteral("drawing"))
                                       : QFileInfo(fFile).absolutePath() + QLatin1Char('/') + QFileInfo(fFile).completeBaseName();
  const QString f = fServices->SaveFileName(this, tr("Export page"), base + QStringLiteral(".pdf"),
                                            QString::fromLatin1(kExportFilter));
  if (!f.isEmpty()) ExportTo(f);
}

void TMainWindow::PrintDialog() {
  QStringList choices = PrinterNames();
  const int printers = static_cast<int>(choices.size());
  choices << tr("PDF file…");
  const int pick = fServices->Choose(this, tr("Print"), tr("Print the label sheet on:"), choices);
  if (pick < 0) return;
  TPlanoraFMX& d = *fDoc;
  d.PrintToFile.clear();
  if (pick == printers) {
    const QString f = fServices->SaveFileName(this, tr("Print to PDF file"), QDir::home().filePath(QStringLiteral("labels.pdf")),
                                              tr("PDF (*.pdf)"));
    if (f.isEmpty()) return;
    d.PrintToFile = f;
    d.PrintInfo.PrinterIndex = 0;
  } else {
    d.PrintInfo.PrinterIndex = pick;
  }
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    d.Print();
    QGuiApplication::restoreOverrideCursor();
    statusBar()->showMessage(tr("Sent to %1").arg(pick == printers ? d.PrintToFile : choices[pick]), 4000);
  } catch (const std::exception& e) {
    QGuiApplication::restoreOverrideCursor();
    fServices->Error(this, tr("Print"), QString::fromUtf8(e.what()));
  }
  d.PrintToFile.clear();
}

void TMainWindow::closeEvent(QCloseEvent* e) {
  if (!MaybeSave()) {
    e->ignore();
    return;
  }
  QSettings s;
  s.setValue(QStringLiteral("window/geometry"), saveGeometry());
  s.setValue(QStringLiteral("window/state"), saveState());
  e->accept();
}

}  // namespace Planora::Studio
