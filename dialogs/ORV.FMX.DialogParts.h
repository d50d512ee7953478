#pragma once
// Pieces the small dialogs share: a colour swatch button and the check of number boxes before
// a dialog accepts.

#include <QAbstractSpinBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QSizeF>
#include <QToolButton>
#include <functional>
#include <memory>

#include "ORV.Types.h"

class QAbstractButton;
class QComboBox;
class QListWidget;
class QPushButton;

namespace Orv {
class TPLNBaseLabel;
}

namespace Orv::Fmx {

class TDialogServices;

// A flat button that shows a colour; a click asks for another one (through the services'
// PickColor) unless a handler of its own is set.
class TColorSwatch : public QToolButton {
  Q_OBJECT

 public:
  explicit TColorSwatch(QWidget* parent = nullptr);
  TAlphaColor Color() const { return fColor; }
  void SetColor(TAlphaColor c);
  // Clicking asks the services for a colour; off for swatches that only show one.
  void SetPicks(bool picks, std::shared_ptr<TDialogServices> services = {});
  // Asks for a colour as a click would; true when one was chosen.
  bool Pick();

 signals:
  void ColorChanged(Orv::TAlphaColor color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TAlphaColor fColor = 0xFF000000u;
  bool fPicks = false;
  std::shared_ptr<TDialogServices> fServices;
};

// A number box that says so when a typed value lies outside its range, instead of quietly
// going back to the value it had. `Label` names it in the message.
class TRangeBox : public QDoubleSpinBox {
  Q_OBJECT

 public:
  // The value changes when the box is left, so a refused text goes back to what was there before.
  explicit TRangeBox(QWidget* parent = nullptr) : QDoubleSpinBox(parent) { setKeyboardTracking(false); }
  QString Label;
  // A number outside the range may be typed (and is refused when the box is left), so the
  // user learns why instead of seeing keys ignored.
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;

 signals:
  // The typed text was refused; `message` tells the range.
  void Refused(const QString& message) const;

 private:
  // Qt may fix one text up twice on one focus change: one message.
  mutable bool fTelling = false;
};

// A box whose text is out of its range (or no number) named, for the message that refuses it.
struct TBoxCheck {
  QAbstractSpinBox* Box;
  QString Label;
};
// The first box whose typed text is not an accepted value, with the message telling why; an
// empty message when every box holds a value of its range.
QString CheckBoxes(const std::vector<TBoxCheck>& boxes, QAbstractSpinBox** bad = nullptr);

// A caption from the dialog messages with its trailing colon or ellipsis dropped, for messages.
QString PlainLabel(const QString& text);

// Fills `box` with the standard papers and selects the one of this size (millimetres, either
// way round), else the user-defined entry; gives the index selected.
int FillPapers(QComboBox* box, double widthMM, double heightMM);
// Checks the orientation's button and turns the paper boxes to it: the longer side goes across
// for horizontal.
void SetOrientation(QAbstractButton* vertical, QAbstractButton* horizontalButton, QDoubleSpinBox* width,
                    QDoubleSpinBox* height, bool horizontal);
// The sizes in millimetres of standard paper `index` lying as `horizontal` says.
QSizeF PaperSizeMM(int index, bool horizontal);

// Changes made while it lives are one step of the document's history, and the views hear of
// them once.
class TDocStep {
 public:
  explicit TDocStep(TPLNBaseLabel& doc);
  ~TDocStep();
  TDocStep(const TDocStep&) = delete;
  TDocStep& operator=(const TDocStep&) = delete;

 private:
  TPLNBaseLabel& fDoc;
};

// Lists of entries that can be moved (table columns, text runs): the texts of lines `a` and `b`
// (from 0) change places and `b` is selected; a line dropped leaves the first one selected;
// up and down are on only where the selected line can go.
void SwapLines(QListWidget* list, int a, int b);
void DropLine(QListWidget* list, int row);
void AdjustUpDown(QListWidget* list, bool enabled, QAbstractButton* del, QAbstractButton* up, QAbstractButton* down);

// OK accepts `dialog` only when `check` finds nothing; else the services say why.
void AcceptWhenChecked(QPushButton* ok, QDialog* dialog, std::shared_ptr<TDialogServices> services,
                       std::function<QString()> check);

// Texts of the dialog, property and error message tables by key.
QString Dlg(const char* key);
QString Prop(const char* key);
QString Err(const char* key);

// A child widget with the object name tests and style sheets find it by.
template <class T>
T* Named(QWidget* parent, const char* name) {
  auto* w = new T(parent);
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

}  // namespace Orv::Fmx
