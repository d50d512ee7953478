#include "ORV.FMX.SelMap.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.DialogServices.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"
#include "ORV.Utils.h"

namespace Orv::Fmx {

namespace {

constexpr int kDefaultZoomEntry = 15;

// Degrees as the window writes them: fixed decimals with a comma for the decimal point.
QString CommaDegrees(double value, int decimals) {
  return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}

std::int32_t Px96(std::int64_t base) { return static_cast<std::int32_t>(Utils::RoundHalfAway(base * 96.0 / 25400.0)); }

}  // namespace

TfSelMap::TfSelMap(QWidget* parent, std::shared_ptr<TDialogServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : TDialogServices::Default()) {
  setObjectName(QStringLiteral("fSelMap"));
  cbMapProvider = Named<QComboBox>(this, "cbMapProvider");
  cbZoom = Named<QComboBox>(this, "cbZoom");
  edLatitude = Named<QLineEdit>(this, "edLatitude");
  edLongitude = Named<QLineEdit>(this, "edLongitude");
  butGetMap = Named<QPushButton>(this, "butGetMap");
  ckShowCenter = Named<QCheckBox>(this, "ckShowCenter");
  edLocation = Named<QLineEdit>(this, "edLocation");
  butSearch = Named<QPushButton>(this, "butSearch");
  RGLoc = Named<QGroupBox>(this, "RGLoc");
  rb1 = Named<QRadioButton>(RGLoc, "rb1");
  rb2 = Named<QRadioButton>(RGLoc, "rb2");
  rb1->setText(QStringLiteral("Nominatim"));
  rb2->setText(QStringLiteral("Google"));
  rb2->setChecked(true);
  ckAsignScale = Named<QCheckBox>(this, "ckAsignScale");
  butOK = Named<QPushButton>(this, "butOK");
  butCancel = Named<QPushButton>(this, "butCancel");
  lbMapProv = new QLabel(this);
  lbZoom = new QLabel(this);
  lbLatitude = new QLabel(this);
  lbLongitude = new QLabel(this);
  lbStatus = Named<QLabel>(this, "lbStatus");
  lbStatus->setWordWrap(true);
  pbBusy = Named<QProgressBar>(this, "pbBusy");
  pbBusy->setRange(0, 0);  // no steps known: it only shows that the window is working
  pbBusy->setTextVisible(false);
  pbBusy->setMaximumWidth(80);
  // The status line keeps its room, so the window does not jump when work starts or ends.
  QSizePolicy keep = pbBusy->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  pbBusy->setSizePolicy(keep);
  pbBusy->hide();
  // Enter in a field does not press OK behind the user's back.
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);

  auto* form = new QGridLayout;
  form->addWidget(lbMapProv, 0, 0);
  form->addWidget(cbMapProvider, 0, 1, 1, 2);
  form->addWidget(lbZoom, 1, 0);
  form->addWidget(cbZoom, 1, 1);
  form->addWidget(lbLatitude, 2, 0);
  form->addWidget(edLatitude, 2, 1);
  form->addWidget(lbLongitude, 3, 0);
  form->addWidget(edLongitude, 3, 1);
  form->addWidget(butGetMap, 3, 2);
  form->addWidget(ckShowCenter, 2, 2);
  form->setColumnStretch(1, 1);
  auto* search = new QGridLayout(RGLoc);
  search->addWidget(edLocation, 0, 0, 1, 2);
  search->addWidget(butSearch, 0, 2);
  search->addWidget(rb1, 1, 0);
  search->addWidget(rb2, 1, 1);
  auto* status = new QHBoxLayout;
  status->addWidget(pbBusy);
  status->addWidget(lbStatus, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ckAsignScale);
  buttons->addStretch(1);
  buttons->addWidget(butOK);
  buttons->addWidget(butCancel);
  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(RGLoc);
  root->addLayout(status);
  root->addStretch(1);
  root->addLayout(buttons);
  resize(370, 248);

  connect(butGetMap, &QPushButton::clicked, this, [this] { butGetMapClick(); });
  connect(butSearch, &QPushButton::clicked, this, [this] { butSearchClick(); });
  connect(edLocation, &QLineEdit::returnPressed, this, [this] { butSearchClick(); });
  connect(butOK, &QPushButton::clicked, this, &TfSelMap::accept);
  connect(butCancel, &QPushButton::clicked, this, &TfSelMap::reject);
  // A changed choice is not the map that arrived: OK waits for a new one.
  const auto stale = [this] {
    if (!fBusy) butOK->setEnabled(false);
  };
  connect(cbMapProvider, &QComboBox::currentIndexChanged, this, stale);
  connect(cbZoom, &QComboBox::currentIndexChanged, this, stale);
  connect(edLatitude, &QLineEdit::textEdited, this, stale);
  connect(edLongitude, &QLineEdit::textEdited, this, stale);
  connect(ckShowCenter, &QCheckBox::toggled, this, stale);
  butOK->setEnabled(false);
  FillLanguage();
}

TfSelMap::~TfSelMap() {
  // The document outlives the window: it must not call back into it, nor keep composing for it.
  if (fListening && fBusy && !fSearching) fHost->CancelCompose();
  Release();
}

void TfSelMap::Release() {
  if (!fListening) return;
  fListening = false;
  fHost->OnComposeImage = fOldReady;
  fHost->OnComposeFailed = fOldFailed;
  fOldReady = nullptr;
  fOldFailed = nullptr;
}

void TfSelMap::FillLanguage() {
  setWindowTitle(Dlg("SelMap"));
  butOK->setText(Dlg("Ok"));
  butCancel->setText(Dlg("Cancel"));
  butGetMap->setText(Dlg("GepMap"));
  butSearch->setText(Dlg("Search"));
  lbMapProv->setText(Dlg("MapProv"));
  lbZoom->setText(TPLNMsg::GetEditorValue(QStringLiteral("Zoom")));
  lbLatitude->setText(Prop("Latitude"));
  lbLongitude->setText(Prop("Longitude"));
  ckShowCenter->setText(Dlg("ShowCenter"));
  ckAsignScale->setText(Dlg("AssignScale"));
  edLocation->setPlaceholderText(Dlg("SearchLoc"));
  RGLoc->setTitle(Dlg("LocService"));
  const QSignalBlocker quiet(cbZoom);
  cbZoom->clear();
  for (int z = TPLNMapping::kMinZoom; z <= TPLNMapping::kMaxZoom; ++z)
    cbZoom->addItem(Dlg("Level") + QStringLiteral(" %1").arg(z), z);
  cbZoom->setCurrentIndex(kDefaultZoomEntry);
}

void TfSelMap::Ini(TPlanoraFMX* host, bool showScale, int width, int height) {
  Release();
  fHost = host;
  fBusy = fSearching = fStopped = false;
  pbBusy->hide();
  lbStatus->clear();
  ckAsignScale->setVisible(showScale);
  ckAsignScale->setChecked(false);
  butOK->setEnabled(false);
  FillLanguage();
  if (!fHost) {
    for (QWidget* w : {static_cast<QWidget*>(butGetMap), static_cast<QWidget*>(butSearch)}) w->setEnabled(false);
    return;
  }
  fSaved = fHost->Mapping();
  fOldReady = fHost->OnComposeImage;
  fOldFailed = fHost->OnComposeFailed;
  fListening = true;
  fHost->OnComposeImage = [this](TPlanoraFMX& h) { OnGetMap(h); };
  fHost->OnComposeFailed = [this](TPlanoraFMX&, const QString& why) {
    EndBusy({});
    if (!fStopped) fServices->Error(this, windowTitle(), Err("MapFailed").arg(why));
  };
  const TPLNMapping& m = fHost->Mapping();
  {
    const QSignalBlocker q1(cbZoom), q2(cbMapProvider), q3(ckShowCenter);
    ckShowCenter->setChecked(m.GetShowCenter());

    // The selected item's size when none is given; the label's without a selection.
    std::int64_t bw = fHost->Measure().Sizes[TPLNMeasure::LabelWidth];
    std::int64_t bh = fHost->Measure().Sizes[TPLNMeasure::LabelHeight];
    if (const auto* item = dynamic_cast<const TPLN2DItem*>(fHost->GetSelection(1))) {
      bw = item->GetWidth();
      bh = item->GetHeight();
    }
    fWidth = width != 0 ? width : Px96(std::llabs(bw));
    fHeight = height != 0 ? height : Px96(std::llabs(bh));

    if (m.GetZoom() >= TPLNMapping::kMinZoom && m.GetZoom() <= TPLNMapping::kMaxZoom) cbZoom->setCurrentIndex(m.GetZoom());
    edLatitude->setText(CommaDegrees(m.GetLatitude(), 8));
    edLongitude->setText(CommaDegrees(m.GetLongitude(), 8));

    cbMapProvider->clear();
    for (int p = 0; p < TPLNMapping::ProviderCount; ++p)
      if (m.Offers(p)) cbMapProvider->addItem(TPLNMapping::ProviderName(p), p);
    cbMapProvider->setCurrentIndex(std::max(0, cbMapProvider->findData(m.GetProvider())));
  }
  // Google answers only with a key: without one, the search starts on the service that needs none.
  const bool hasKey = !m.GetApiKey().isEmpty();
  rb2->setChecked(hasKey);
  rb1->setChecked(!hasKey);
  butGetMap->setEnabled(cbMapProvider->count() > 0);
  butSearch->setEnabled(true);
}

bool TfSelMap::AssignScale() const { return ckAsignScale->isVisibleTo(this) && ckAsignScale->isChecked(); }

bool TfSelMap::ReadDegrees(QLineEdit* edit, const QString& label, double limit, double& out) {
  QString t = edit->text().trimmed();
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  out = QLocale::c().toDouble(t, &ok);
  QString error;
  if (!ok || !std::isfinite(out))
    error = Err("MapNotNumber").arg(label);
  else if (std::abs(out) > limit)
    error = Err("ValueRange").arg(label, CommaDegrees(-limit, 4), CommaDegrees(limit, 4));
  if (error.isEmpty()) return true;
  fServices->Error(this, windowTitle(), error);
  edit->setFocus();
  edit->selectAll();
  return false;
}

void TfSelMap::SetBusy(const QString& what) {
  fBusy = true;
  fStopped = false;
  butGetMap->setEnabled(false);
  butSearch->setEnabled(false);
  pbBusy->show();
  lbStatus->setText(what);
}

void TfSelMap::EndBusy(const QString& status) {
  fBusy = false;
  fSearching = false;
  butGetMap->setEnabled(fHost && cbMapProvider->count() > 0);
  butSearch->setEnabled(fHost != nullptr);
  pbBusy->hide();
  lbStatus->setText(status);
}

void TfSelMap::butGetMapClick() {
  butOK->setEnabled(false);
  if (!fHost || fBusy || cbMapProvider->currentIndex() < 0) return;
  double lat = 0, lon = 0;
  if (!ReadDegrees(edLatitude, PlainLabel(lbLatitude->text()), MapMath::kMaxLatitude, lat) ||
      !ReadDegrees(edLongitude, PlainLabel(lbLongitude->text()), 180.0, lon))
    return;
  TPLNMapping& m = fHost->Mapping();
  const int provider = cbMapProvider->currentData().toInt();
  // The key is the document's own setting (an application gives it from its configuration).
  if (TPLNMapping::NeedsKey(provider) && m.GetApiKey().isEmpty()) {
    fServices->Error(this, windowTitle(), Err("MapKeyNeeded").arg(TPLNMapping::ProviderName(provider)));
    return;
  }
  m.SetShowCenter(ckShowCenter->isChecked());
  m.SetProvider(provider);
  SetBusy(Dlg("MapBusy"));
  // The texts go as typed; the composition reads a comma as the decimal point.
  fHost->ComposeImage(edLatitude->text().trimmed(), edLongitude->text().trimmed(), cbZoom->currentIndex(), fWidth,
                      fHeight);
}

void TfSelMap::OnGetMap(TPlanoraFMX&) {
  EndBusy(Dlg("MapReady"));
  butOK->setEnabled(true);
}

void TfSelMap::butSearchClick() {
  const QString place = edLocation->text().trimmed();
  if (!fHost || fBusy || place.isEmpty()) return;
  SetBusy(Dlg("MapSearching"));
  fSearching = true;
  // The search waits for its answer with the window still painting and Cancel still working.
  QPointer<TfSelMap> alive(this);
  double lat = 0, lon = 0;
  const bool found = rb1->isChecked() ? fHost->GeocodingFromNominatim(place, lat, lon)
                                      : fHost->GeocodingFromGoogle(place, lat, lon);
  if (!alive) return;
  const bool stopped = fStopped;
  EndBusy({});
  if (stopped) return;
  if (!found) {
    fServices->Error(this, windowTitle(), Err("LocNotFound"));
    return;
  }
  edLatitude->setText(CommaDegrees(lat, 6));
  edLongitude->setText(CommaDegrees(lon, 6));
  butOK->setEnabled(false);  // the map shown so far is not of this place
}

void TfSelMap::accept() {
  if (!butOK->isEnabled() || fBusy) return;
  Release();
  QDialog::accept();
}

void TfSelMap::reject() {
  if (fHost) {
    if (fBusy) {
      fStopped = true;
      if (fSearching)
        fHost->AbortGeocoding();
      else
        fHost->CancelCompose();
      EndBusy({});
    }
    fHost->Mapping() = fSaved;
    Release();
  }
  QDialog::reject();
}

}  // namespace Orv::Fmx
