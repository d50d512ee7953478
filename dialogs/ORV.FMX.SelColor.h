#pragma once
// Colour selection: a palette, the four channels as numbers and eight recent colours kept for
// the whole process.

#include <QDialog>
#include <array>

#include "ORV.Types.h"

class QPushButton;
class QSpinBox;

namespace Orv::Fmx {

class TColorSwatch;

// The recent colours every colour form shows, shared by the whole process.
struct TORVRecentColor {
  TAlphaColor Color = 0;
  bool Used = false;
};
constexpr int kRecentColors = 8;
std::array<TORVRecentColor, kRecentColors>& RecentColors();

class TfSelColor : public QDialog {
  Q_OBJECT

 public:
  explicit TfSelColor(QWidget* parent = nullptr);

  void Ini(const QString& caption, TAlphaColor color);
  TAlphaColor GetSelColor() const { return fColor; }

  // What the widgets do, callable without clicking.
  void SetPanelColor(TAlphaColor c);
  void ClickRecent(int index);
  void Save();
  // The recent entry "Save" writes to; -1 when every entry is used and none was clicked.
  int SaveTarget() const { return fSaveTarget; }

  TColorSwatch* Recent(int index) const { return fRecent[index]; }

 private:
  void ShowRecent();
  void BoxesChanged();

  TAlphaColor fColor = 0xFF000000u;
  int fSaveTarget = -1;
  bool fGuard = false;
  TColorSwatch* fPreview = nullptr;
  QSpinBox* fRed = nullptr;
  QSpinBox* fGreen = nullptr;
  QSpinBox* fBlue = nullptr;
  QSpinBox* fAlpha = nullptr;
  QPushButton* fOk = nullptr;
  QPushButton* fCancel = nullptr;
  QPushButton* fSave = nullptr;
  std::array<TColorSwatch*, kRecentColors> fRecent{};
};

}  // namespace Orv::Fmx
