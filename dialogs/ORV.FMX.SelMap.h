#pragma once
// The map window: a tile provider, a zoom level and a centre (typed, or found by searching a
// place), and "get map", which has the document compose the map. OK is offered only once the
// map of the current choice has arrived. Cancel, or closing the window, ends a composition or
// a search still waiting for the network, and puts the document's map settings back.

#include <QDialog>
#include <functional>
#include <memory>

#include "ORV.Mapping.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace Orv::Fmx {

class TPlanoraFMX;
class TDialogServices;

class TfSelMap : public QDialog {
 public:
  explicit TfSelMap(QWidget* parent = nullptr, std::shared_ptr<TDialogServices> services = nullptr);
  ~TfSelMap() override;

  // Fills the window from the document's map settings and listens for its maps. The map is
  // `width` x `height` pixels; 0 takes the selected item's size at 96 dots per inch (the
  // label's without a selection). `showScale` offers the box that gives the drawing the map's
  // scale.
  void Ini(TPlanoraFMX* host, bool showScale, int width, int height);
  int MapWidth() const { return fWidth; }
  int MapHeight() const { return fHeight; }
  // Whether the drawing should take the map's scale (the box is offered and checked).
  bool AssignScale() const;
  // A composition or a search is waiting for the network.
  bool Busy() const { return fBusy; }

  // The buttons' actions, callable without a click.
  void butGetMapClick();
  void butSearchClick();
  // The document's map arrived.
  void OnGetMap(TPlanoraFMX& host);

  void accept() override;
  void reject() override;

 private:
  void FillLanguage();
  void SetBusy(const QString& what);
  void EndBusy(const QString& status);
  // The typed coordinate in degrees; false, with the message shown, for no number or one
  // beyond `limit`.
  bool ReadDegrees(QLineEdit* edit, const QString& label, double limit, double& out);
  void Release();

  std::shared_ptr<TDialogServices> fServices;
  TPlanoraFMX* fHost = nullptr;
  std::int32_t fWidth = 0;
  std::int32_t fHeight = 0;
  bool fBusy = false;
  bool fSearching = false;
  bool fStopped = false;    // Cancel ended what was running
  bool fListening = false;  // the document's map events call this window
  // What the document had before the window changed it, put back unless the window is accepted.
  TPLNMapping fSaved;
  std::function<void(TPlanoraFMX&)> fOldReady;
  std::function<void(TPlanoraFMX&, const QString&)> fOldFailed;

  QComboBox* cbMapProvider;
  QComboBox* cbZoom;
  QLineEdit* edLatitude;
  QLineEdit* edLongitude;
  QPushButton* butGetMap;
  QCheckBox* ckShowCenter;
  QLineEdit* edLocation;
  QPushButton* butSearch;
  QGroupBox* RGLoc;
  QRadioButton* rb1;
  QRadioButton* rb2;
  QCheckBox* ckAsignScale;
  QPushButton* butOK;
  QPushButton* butCancel;
  QLabel* lbMapProv;
  QLabel* lbZoom;
  QLabel* lbLatitude;
  QLabel* lbLongitude;
  QLabel* lbStatus;
  QProgressBar* pbBusy;
};

}  // namespace Orv::Fmx
