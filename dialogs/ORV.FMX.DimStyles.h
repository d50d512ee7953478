#pragma once
// The dimension styles window: picks the document's active dimension style, adds and deletes
// styles and edits the active one while a sample drawn with the real dimension items shows it.
// Every change goes into the style at once, one undo step each.

#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace Orv::Line {
class TPLNDimStyle;
}

namespace Orv::Fmx {

class TPlanoraFMX;
class TDialogServices;

// The sample: an outline with dimensions around it, drawn by the dimension items of a small
// document of its own that takes the style shown.
class TDimSample : public QWidget {
 public:
  explicit TDimSample(QWidget* parent = nullptr);
  ~TDimSample() override;
  // Copies `style` into the sample's document and repaints.
  void SetStyle(const Line::TPLNDimStyle& style);
  // The sample's captions, in drawing order (for checks without looking at pixels).
  QStringList Captions() const;
  // Draws the sample into `painter` over a w x h box.
  void Render(QPainter& painter, int w, int h) const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  std::unique_ptr<TPlanoraFMX> fDoc;
};

class TfDimStls : public QDialog {
 public:
  explicit TfDimStls(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = nullptr);

  // Fills texts, fonts and lists from the document and shows its active style.
  void Ini(TPlanoraFMX* doc);

  // The actions of the buttons, callable without a click.
  void AddStyle();
  void DeleteStyle();
  // Asks for a colour for swatch `tag` (0 font, 1 dimension line, 2 extension line, 3 fill,
  // 4 head) and gives it to the active style.
  void PickColor(int tag);
  TDimSample* Sample() const { return paintLab; }

 private:
  void FillLanguage();
  void FillStyles();
  void FillHeadTypes();
  void ShowStyle();
  // Applies `change` to a copy of the active style; a copy the style refuses changes nothing
  // and is reported. Otherwise one undo step, the dimensions recomputed, the sample redrawn.
  bool ChangeStyle(const std::function<void(Line::TPLNDimStyle&)>& change);
  void ShowSwatch(QToolButton* swatch, unsigned colour);
  // A numeric box: writes its value through `set` and shows what the style kept.
  void BindNumber(QDoubleSpinBox* box, const std::function<void(Line::TPLNDimStyle&, double)>& set,
                  const std::function<double(const Line::TPLNDimStyle&)>& get);

  TPlanoraFMX* fDoc = nullptr;
  std::shared_ptr<TDialogServices> fServices;
  bool fUpdating = false;

  QComboBox* cbDimStyles;
  QPushButton* butAdd;
  QPushButton* butDelete;
  QComboBox* cbFontName;
  QDoubleSpinBox* seFontHeight;
  QToolButton* ShColFontColor;
  QCheckBox* ckBold;
  QCheckBox* ckItalic;
  QCheckBox* ckUnderline;
  QLineEdit* edPrefix;
  QLineEdit* edFormat;
  QLineEdit* edSuffix;
  QComboBox* cbLineType;
  QComboBox* cbPosText;
  QComboBox* cbHeadType;
  QDoubleSpinBox* seHeadSize;
  QSpinBox* seArrowOpen;
  QToolButton* shDimColor;
  QToolButton* shExtColor;
  QToolButton* shFillColor;
  QToolButton* shHeadColor;
  QDoubleSpinBox* seExtSize;
  QDoubleSpinBox* seExtGap;
  QDoubleSpinBox* seDimBreak;
  QDoubleSpinBox* seDimPenWidth;
  QDoubleSpinBox* seExtPenWidth;
  QPushButton* butClose;
  TDimSample* paintLab;
  // Captions, keyed like the message tables.
  std::vector<std::pair<QLabel*, const char*>> fLabels;
};

}  // namespace Orv::Fmx
