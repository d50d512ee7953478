#pragma once
// The label sheet window: paper, label size and grid, the print run, counters and the data the
// labels are filled from. Filled from the document by Ini; the sheet, run and data settings go
// back to the document only by WriteBack (after OK), as one undo step. Counters are changed in
// the document at once, each save one undo step.

#include <QDialog>
#include <functional>
#include <memory>

#include "ORV.Measure.h"
#include "ORV.PageSetup.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTabWidget;

namespace Orv {
class TPLNDataSource;
}

namespace Orv::Fmx {

class TPlanoraFMX;
class TDialogServices;
class TRangeBox;
class TColorSwatch;

// The drawn sketch of the sheet: paper, label cells, the cells a run skips in yellow.
class TSheetSketch : public QWidget {
 public:
  explicit TSheetSketch(QWidget* parent = nullptr);
  // Sizes in any one unit; first row and column from 1.
  struct TSheet {
    double PaperW = 210, PaperH = 297, LabelW = 210, LabelH = 297, Left = 0, Top = 0, GapX = 0, GapY = 0;
    int Rows = 1, Columns = 1, FirstRow = 1, FirstCol = 1;
  };
  void SetSheet(const TSheet& s);
  const TSheet& Sheet() const { return fSheet; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TSheet fSheet;
};

class TfLabelling : public QDialog {
 public:
  explicit TfLabelling(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = nullptr);
  ~TfLabelling() override;

  void Ini(TPlanoraFMX* doc);
  // Why the values cannot be written (empty when they can): a grid wider or taller than its
  // paper, a first label outside the grid, data that cannot be read.
  QString Check();
  // Writes the sheet, the print run and the data settings as one undo step, and gives the
  // document the data they name. Call after Check found nothing.
  void WriteBack();

  // The dataset and repeat field chosen: the stored names, empty when none.
  QString GetData() const;
  QString GetFieldRepeat() const;

  // What the buttons do, callable without a click.
  void ChoosePaper(int index);
  void SetHorizontal(bool horizontal);
  void SetContinous(bool on);
  // Fills the sheet boxes from catalogue sheet `index` (TORVSheetCatalog::Builtin()).
  void ApplySheet(int index);
  void SearchSheets(const QString& text);
  void AddCounter();
  void SaveCounter();
  void DeleteCounter();
  void SelectCounter(int row);
  void ChooseCsvFile();
  void EditJson();
  void ChooseData(int index);
  // The asked values page works on a copy, written with the data settings on OK. AddAsk asks
  // for the new value's name.
  void AddAsk();
  void DeleteAsk();
  void SelectAsk(int row);
  const std::vector<TPLNAskValue>& Asks() const { return fAsks; }

  // The JSON editor; replaced by tests (true and the new text when accepted).
  std::function<bool(QWidget*, QString&)> OnEditJson;

 private:
  void FillLanguage();
  void FillPaper();
  void FillCounters();
  void FillData();
  void ShowCounter();
  void FillAsks();
  void ShowAsk();
  void EnableAskBoxes();
  // The boxes of the shown value into its copy.
  void StoreAsk();
  void CounterEdited();
  // Asks to save a counter edited and not saved; false when the user keeps editing.
  void OfferSave();
  void RefreshSketch();
  void ShowSheetBoxes(const TPLNMeasure& m);
  bool Horizontal() const;
  // The dataset chosen, read (null without one); the reason in `error` when it cannot be read.
  std::shared_ptr<const TPLNDataSource> ReadData(QString* error) const;
  double ToUnit(std::int64_t base) const;
  std::int64_t ToBase(double value) const;

  TPlanoraFMX* fDoc = nullptr;
  std::shared_ptr<TDialogServices> fServices;
  bool fInitialising = false;
  bool fCounterModified = false;
  bool fAddingCounter = false;
  int fShownLabs = 0;
  QString fJson;
  std::shared_ptr<const TPLNDataSource> fChecked;
  std::vector<TPLNAskValue> fAsks;
  int fAskRow = -1;

  QTabWidget* PageControl;
  TSheetSketch* paintLab;
  QLineEdit* edName;
  QComboBox* cbPaper;
  TRangeBox* sePaperWidth;
  TRangeBox* sePaperHeight;
  TRangeBox* seWidth;
  TRangeBox* seHeight;
  TRangeBox* seGapX;
  TRangeBox* seGapY;
  TRangeBox* seMargLeft;
  TRangeBox* seMargTop;
  TRangeBox* seRows;
  TRangeBox* seColumns;
  QCheckBox* cbContinousPaper;
  QRadioButton* RaBuVer;
  QRadioButton* RaBuHor;
  QLineEdit* edSheetSearch;
  QListWidget* lbSheets;
  TRangeBox* edNumLabs;
  TRangeBox* edFirstRow;
  TRangeBox* edFirstCol;
  TRangeBox* edRepetition;
  QComboBox* cbCalPrinter;
  TRangeBox* seCalX;
  TRangeBox* seCalY;
  // The label stock: coloured or not, its colour, its corners and where it shows.
  QCheckBox* ckStock;
  TColorSwatch* swStock;
  TRangeBox* seStockRadius;
  QCheckBox* ckShowStock;
  QCheckBox* ckPrintStock;
  QCheckBox* ckExportStock;
  QListWidget* lbCounters;
  QLineEdit* edCounterName;
  TRangeBox* seStep;
  TRangeBox* seFrom;
  TRangeBox* seTo;
  QLineEdit* edTextBefore;
  QLineEdit* edTextAfter;
  QLineEdit* edFormat;
  QLabel* lbCounterSample;
  QCheckBox* ckContinue;
  TRangeBox* seNext;
  QPushButton* butAddCounter;
  QPushButton* butSaveCounter;
  QPushButton* butDelCounter;
  QComboBox* cbData;
  QComboBox* cbFieldRepeat;
  QLineEdit* edCsvFile;
  QPushButton* butEdCsvFile;
  QPushButton* butJson;
  QCheckBox* ckLinkData;
  QCheckBox* ckSaveJson;
  QTableWidget* sgFields;
  QLabel* lbDataError;
  QListWidget* lbAsks;
  QPushButton* butAddAsk;
  QPushButton* butDelAsk;
  QLineEdit* edAskName;
  QLineEdit* edAskPrompt;
  QComboBox* cbAskKind;
  QLineEdit* edAskFormat;
  QLineEdit* edAskDefault;
  QComboBox* cbAskListSource;
  QPlainTextEdit* meAskList;
  QLineEdit* edAskListFile;
  QLineEdit* edCountersFile;
  QPushButton* butOk;
  QPushButton* butCancel;
  std::vector<std::pair<QLabel*, const char*>> fLabels;
};

}  // namespace Orv::Fmx
