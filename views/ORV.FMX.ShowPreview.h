#pragma once
// The print preview window: the preview control under a bar with page navigation, export
// settings, export, the view type and printing. Ini loads it from a document; exec shows it.

#include <QDialog>
#include <QString>
#include <memory>

#include "ORV.FMX.Preview.h"
#include "ORV.Types.h"

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;
class QMenu;
class QSpinBox;
class QToolButton;

namespace Orv::Fmx {

class TPlanoraFMX;

// What the window asks the user, replaceable so that tests and scripts run without dialogs.
class TPreviewServices {
 public:
  virtual ~TPreviewServices() = default;
  // A file to write, empty when the user cancelled.
  virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& suggested, const QString& filter);
  // Where to print: true with the name of a printer (as PrinterNames() lists them) or with a
  // PDF file to print into; false when the user cancelled.
  virtual bool ChoosePrinter(QWidget* parent, QString& printer, QString& pdfFile);
  virtual void Error(QWidget* parent, const QString& title, const QString& text);
};

class TfPreview : public QDialog {
  Q_OBJECT

 public:
  explicit TfPreview(QWidget* parent = nullptr, std::shared_ptr<TPreviewServices> services = nullptr);
  ~TfPreview() override;

  // Loads the window from the document: makes the print data (raises what CheckPrintData
  // raises), attaches the preview and shows page 1.
  void Ini(TPlanoraFMX* doc);

  TPLNPreview* Preview() const { return fPreview; }
  int PageCount() const { return fPages; }
  int CurrentPage() const;

  // Navigation; each redraws and sets the buttons' states.
  void GoToPage(int page);
  void FirstPage();
  void PriorPage();
  void NextPage();
  void LastPage();
  void CheckNavigation();

  // Writes the current page (or, with Fit ticked, the drawing) to `fileName` in `type` with the
  // window's scale, quality and transparency, and waits for it; false with the reason shown
  // through the services when it failed.
  bool ExportTo(TORVExport type, const QString& fileName);
  // Asks for a file through the services, then ExportTo.
  void Export(TORVExport type);
  // Asks where to print through the services, then PrintTo.
  void Print();
  // Prints every page the window shows on `printer` (a name of PrinterNames(); an unknown name
  // takes the first printer) or, with `pdfFile`, into that file; afterwards the window is back on
  // its page. False with the reason shown through the services when it failed.
  bool PrintTo(const QString& printer, const QString& pdfFile);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildBar();
  void PageTyped();

  std::shared_ptr<TPreviewServices> fServices;
  TPlanoraFMX* fDoc = nullptr;
  TPLNPreview* fPreview = nullptr;
  int fPages = 1;
  QToolButton* fFirst = nullptr;
  QToolButton* fPrior = nullptr;
  QLineEdit* edNumPage = nullptr;
  QToolButton* fNext = nullptr;
  QToolButton* fLast = nullptr;
  QCheckBox* ckFit = nullptr;
  QCheckBox* ckTransparent = nullptr;
  QSpinBox* seQuality = nullptr;
  QDoubleSpinBox* sfScale = nullptr;
  QToolButton* fClose = nullptr;
  QToolButton* fExport = nullptr;
  QMenu* fExportMenu = nullptr;
  QToolButton* fFullPage = nullptr;
  QToolButton* fPageWidth = nullptr;
  QToolButton* fPrint = nullptr;
};

}  // namespace Orv::Fmx
