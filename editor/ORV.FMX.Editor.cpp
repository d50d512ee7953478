#include "ORV.FMX.Editor.h"

#include <QComboBox>
#include <QFile>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ORV.FMX.h"
#include "ORV.FMX.Settings.h"
#include "ORV.FMX.Texts.h"
#include "ORV.Msg.h"
#include "ORV.Utils.h"

// Resources of a static library are registered by hand, outside any namespace.
static void InitEditorResources() { Q_INIT_RESOURCE(editor); }

namespace Orv::Fmx {

namespace {
const char* const kZoomTexts[] = {"25 %",  "50 %",  "75 %",  "100 %", "125 %", "150 %", "175 %",
                                  "200 %", "250 %", "300 %", "350 %", "400 %", "450 %", "500 %"};
constexpr int kSeparatorItem = 14;

QColor ToQColor(TAlphaColor c) { return QColor::fromRgba(c); }
}  // namespace

// ---------------------------------------------------------------- indicator

TPLNInfoEd::TPLNInfoEd(TORVTypeInfo kind, QWidget* parent) : QWidget(parent), fKind(kind) {}

void TPLNInfoEd::SetState(TORVStateInfo s) {
  // An indicator switched off for good (siNone) stays so.
  if (fState == siNone || s == fState) return;
  fState = s;
  update();
}

QSize TPLNInfoEd::sizeHint() const { return fState == siNone ? QSize(0, 0) : QSize(22, 22); }

void TPLNInfoEd::paintEvent(QPaintEvent*) {
  if (fState == siNone) return;
  QPainter p(this);
  const bool on = fState == siOn;
  const QRect box = rect().adjusted(2, 2, -3, -3);
  p.fillRect(box, on ? Qt::white : ToQColor(0xFFC0C0C0u));
  p.setPen(ToQColor(on ? 0xFF0000FFu : 0xFF808080u));
  p.drawRect(box);
  const int l = box.left() + 3, t = box.top() + 3, r = box.right() - 3, b = box.bottom() - 3;
  if (fKind == tiSnapToGrid) {
    p.setPen(ToQColor(0xFF808080u));
    for (int i = 0; i <= 2; ++i) {
      const int x = l + (r - l) * i / 2, y = t + (b - t) * i / 2;
      p.drawLine(x, t, x, b);
      p.drawLine(l, y, r, y);
    }
    p.fillRect(QRect((l + r) / 2 - 2, (t + b) / 2 - 2, 4, 4), ToQColor(0xFFFF0000u));
  } else {
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(l, t, l, b);
    p.drawLine(l, b, r, b);
  }
}

// ---------------------------------------------------------------- resource button

TResButton::TResButton(QWidget* parent) : QPushButton(parent) {}

void TResButton::ResName(const QString& name) {
  InitEditorResources();
  QFile file(QStringLiteral(":/planora/editor/") + name);
  QImage image;
  if (name.isEmpty() || !file.open(QIODevice::ReadOnly) || !image.loadFromData(file.readAll(), "PNG"))
    throw EPLNError(QStringLiteral("RCDATA resource \"%1\" not found.").arg(name));
  fName = name;
  fImage = image;
  setIcon(QIcon(QPixmap::fromImage(image)));
  setIconSize(QSize(16, 16));
}

void TResButton::mousePressEvent(QMouseEvent* event) {
  emit Pressed(event->button());
  QPushButton::mousePressEvent(event);
}

// ---------------------------------------------------------------- editor

TPLNBaseEditor::TPLNBaseEditor(QWidget* parent)
    : QWidget(parent),
      fRulers(std::make_unique<TPLNRulers>(this)),
      fGrid(std::make_unique<TPLNGrid>(this)),
      fSelColors(std::make_unique<TPLNSelColors>(this)) {
  InitEditorResources();
  AddCtrls();
}

TPLNBaseEditor::~TPLNBaseEditor() {
  if (fLabel) fLabel->RemoveObserver(this);
}

void TPLNBaseEditor::Assign(const TPLNBaseEditor& s) {
  if (&s == this) return;
  SetLabel(s.fLabel);
  fRulers->Assign(*s.fRulers);
  fGrid->Assign(*s.fGrid);
  fGridUnits = s.fGridUnits;
  fSelColors->Assign(*s.fSelColors);
  fPageColor = s.fPageColor;
  fLabelPosition = s.fLabelPosition;
  fGap = s.fGap;
  fSizeRef = s.fSizeRef;
  fZoom = s.fZoom;  // the factor follows at the next placement of a fit mode
  fMarginColor = s.fMarginColor;
  fMouseFilter = s.fMouseFilter;
  fShowRefLines = s.fShowRefLines;
  SetSnap(s.fSnap);
  SetEditorOptions(s.fOptions);
  SyncZoomBox();
  fSurface->Resize();
  fHorz->setValue(s.fHorz->value());
  fVert->setValue(s.fVert->value());
}

void TPLNBaseEditor::SetLabel(TPlanoraFMX* host) {
  if (host == fLabel) return;
  if (fLabel) fLabel->RemoveObserver(this);
  fSurface->ForgetHost();
  fLabel = host;
  if (fLabel) fLabel->AddObserver(this);
  fSurface->UpdatePageSize();
  ShowUnits();
  FollowUnits();
  fSurface->Resize();
  fSurface->ReportPointer();
}

void TPLNBaseEditor::HostRemoved() {
  // Called from the document's destructor: nothing of it may be touched, not even to detach.
  fSurface->ForgetHost();
  fLabel = nullptr;
  fSurface->UpdatePageSize();
  ShowUnits();
  fSurface->Resize();
  fSurface->ReportPointer();
}

void TPLNBaseEditor::UpdateCtrl(TORChange change, TORChangeValue value) {
  fSurface->DocumentChanged(change, value);
  // The drag's own changes: the kept page stays, the dragged items are drawn over it.
  if (fSurface->InDragLayer() && (change == TORChange::Items || change == TORChange::Document ||
                                  change == TORChange::Selection || change == TORChange::Modified)) {
    fSurface->UpdateOverlay();
    return;
  }
  switch (change) {
    case TORChange::Document:
    case TORChange::Measure:
      // A load or a new measure may bring another page size and scale.
      fSurface->UpdatePageSize();
      ShowUnits();
      FollowUnits();
      fSurface->Resize();
      fSurface->ReportPointer();
      break;
    case TORChange::Units:
      ShowUnits();
      FollowUnits();
      DrawEditor();
      fSurface->ReportPointer();
      break;
    case TORChange::Items:
    case TORChange::Selection:
    case TORChange::Layers:
      DrawEditor();
      break;
    case TORChange::Find:
      fSurface->ScrollItem(reinterpret_cast<const TPLNBaseItem*>(value));
      DrawEditor();
      break;
    case TORChange::Modified:
    case TORChange::UndoRedo:
      break;  // nothing on the surface shows it
    case TORChange::Action:
    case TORChange::TextEditing:
    case TORChange::StopTextEditing:
      break;  // the surface's own state, above
  }
}

// ---- zoom

void TPLNBaseEditor::SetZoom(TORVZoom z) {
  if (z == fZoom || z >= kZoomSteps) return;
  fZoom = z;
  if (z <= zm500) SetZoomFactor(ZoomStepFactor(z));
  SyncZoomBox();
  fSurface->Resize();
  emit ZoomChanged();
}

void TPLNBaseEditor::SetZoomFactor(double z) {
  if (z == fZoomFactor) return;
  fZoomFactor = z;
}

// Every drawing opens fitted, so zooming must leave a fit mode: the fixed step next to the
// fitted factor in the direction asked, nothing when the factor is already past the last step.
void TPLNBaseEditor::IncZoom() {
  if (fZoom <= zm500) {
    if (fZoom < zm500) SetZoom(static_cast<TORVZoom>(fZoom + 1));
    return;
  }
  for (int z = zm25; z <= zm500; ++z)
    if (ZoomStepFactor(static_cast<TORVZoom>(z)) > fZoomFactor * (1 + 1e-9)) {
      SetZoom(static_cast<TORVZoom>(z));
      return;
    }
}

void TPLNBaseEditor::DecZoom() {
  if (fZoom <= zm500) {
    if (fZoom > zm25) SetZoom(static_cast<TORVZoom>(fZoom - 1));
    return;
  }
  for (int z = zm500; z >= zm25; --z)
    if (ZoomStepFactor(static_cast<TORVZoom>(z)) < fZoomFactor * (1 - 1e-9)) {
      SetZoom(static_cast<TORVZoom>(z));
      return;
    }
}

void TPLNBaseEditor::CustomZoom() { fSurface->CustomZoom(); }
void TPLNBaseEditor::CheckDScroll() { fSurface->CheckDScroll(); }

void TPLNBaseEditor::ZoomBoxChanged(int index) {
  if (index == kSeparatorItem || index < 0 || index > 17) {
    SyncZoomBox();  // the separator chooses nothing
    return;
  }
  SetZoom(static_cast<TORVZoom>(index < kSeparatorItem ? index : index - 1));
}

void TPLNBaseEditor::SyncZoomBox() {
  if (!fZoomBox) return;
  const int index = fZoom <= zm500 ? int(fZoom) : int(fZoom) + 1;
  const QSignalBlocker block(fZoomBox);
  fZoomBox->setCurrentIndex(index);
}

// ---- settings

void TPLNBaseEditor::UpdateRulers(bool resize) {
  if (resize)
    fSurface->Resize();
  else
    fSurface->UpdateOverlay();  // rulers lie over the page: its drawing is kept
}

void TPLNBaseEditor::DrawEditor() {
  if (fSurface) fSurface->DrawEditor();
}

void TPLNBaseEditor::SetEditorOptions(std::uint16_t options) {
  options &= kAllEditorOptions;
  if (options == fOptions) return;
  fOptions = options;
  fSurface->DrawContext().aDrawLinkPto = (options & eoLinkPoints) != 0;
  AdjustCtrls();
  DrawEditor();
}

void TPLNBaseEditor::SetMargin(int margin) {
  margin = std::clamp(margin, 0, 100);
  if (margin == fMargin) return;
  fMargin = margin;
  fSurface->Resize();
}

void TPLNBaseEditor::SetMarginColor(TAlphaColor c) {
  if (c == fMarginColor) return;
  fMarginColor = c;
  DrawEditor();
}

void TPLNBaseEditor::SetPageColor(TAlphaColor c) {
  if (c == fPageColor) return;
  fPageColor = c;
  DrawEditor();
}

void TPLNBaseEditor::SetLabelPosition(TMLPlanoraPos pos) {
  if (pos == fLabelPosition) return;
  fLabelPosition = pos;
  fSurface->Resize();
}

void TPLNBaseEditor::SetGap(int gap) {
  gap = std::clamp(gap, 0, 30);
  if (gap == fGap) return;
  fGap = gap;
  fSurface->SetGap();
}

void TPLNBaseEditor::SetSizeRef(int size) { fSizeRef = std::clamp(size, 2, 24); }
void TPLNBaseEditor::SetSizePoint(int size) { fSizePoint = std::clamp(size, 1, 24); }

void TPLNBaseEditor::SetSnap(std::uint16_t snap) {
  snap &= 0x01FF;
  if (snap == fSnap) return;
  fSnap = snap;
  UpdateIndicators();
}

void TPLNBaseEditor::SetOrtoLines(bool b) {
  if (b == fOrtoLines) return;
  fOrtoLines = b;
  UpdateIndicators();
}

void TPLNBaseEditor::SetShowRefLines(bool b) {
  if (b == fShowRefLines) return;
  fShowRefLines = b;
  DrawEditor();
}

std::int64_t TPLNBaseEditor::ClampMove(std::int64_t step) const {
  return std::clamp<std::int64_t>(step, 100, std::max<std::int64_t>(100, 1000000 / DrawScale()));
}

void TPLNBaseEditor::SetMoveX(double v) {
  if (fLabel) fMoveX = static_cast<std::int32_t>(ClampMove(Utils::SetValue(v, Units()) / DrawScale()));
}
void TPLNBaseEditor::SetMoveY(double v) {
  if (fLabel) fMoveY = static_cast<std::int32_t>(ClampMove(Utils::SetValue(v, Units()) / DrawScale()));
}
double TPLNBaseEditor::GetMoveX() const {
  return fLabel ? Utils::GetValue(ClampMove(fMoveX) * DrawScale(), Units()) : 0.0;
}
double TPLNBaseEditor::GetMoveY() const {
  return fLabel ? Utils::GetValue(ClampMove(fMoveY) * DrawScale(), Units()) : 0.0;
}
double TPLNBaseEditor::MinMoveValue() const {
  return fLabel ? Utils::GetValue(100 * DrawScale(), Units()) : 0.0;
}
double TPLNBaseEditor::MaxMoveValue() const {
  return fLabel ? Utils::GetValue(std::max<std::int64_t>(100, 1000000 / DrawScale()) * DrawScale(), Units()) : 0.0;
}

// ---- document

TORVUnits TPLNBaseEditor::Units() const {
  if (!fLabel) return TORVUnits::mm;
  const TORVUnits u = fLabel->GetUnits();
  return static_cast<std::uint8_t>(u) <= 6 ? u : TORVUnits::mm;
}

std::int64_t TPLNBaseEditor::DrawScale() const {
  return fLabel ? std::max<std::int64_t>(1, fLabel->Measure().DrawScale) : 1;
}

void TPLNBaseEditor::ClickUnits() {
  if (!fLabel) return;
  const auto u = static_cast<int>(Units());
  const bool drawing = fLabel->GetEditorMode() >= static_cast<std::uint8_t>(TORVEditorMode::Drawing);
  const int count = drawing ? 7 : 3;
  fLabel->SetUnits(static_cast<TORVUnits>(u + 1 < count ? u + 1 : 0));
}

void TPLNBaseEditor::ShowUnits() {
  if (fUnitsButton) fUnitsButton->setText(Utils::UnitName(Units()));
}

namespace {
// The round step nearest to `v` (by ratio): 1, 2 or 5 times a power of ten, the steps the
// rulers count in, in every unit.
double NearestRoundStep(double v) {
  double best = v, far = std::numeric_limits<double>::max();
  for (int e = -4; e <= 7; ++e)
    for (double m : {1.0, 2.0, 5.0}) {
      const double s = m * std::pow(10.0, e);
      const double d = std::abs(std::log(v / s));
      if (d < far) {
        far = d;
        best = s;
      }
    }
  return best;
}
}  // namespace

void TPLNBaseEditor::FollowUnits() {
  const TORVUnits u = Units();
  if (u == fGridUnits) return;
  fGridUnits = u;
  // 10 mm reads 0.3937 in: the grid takes the round step nearest to what it had (0.5 in), so
  // grid and rulers count in the same unit.
  const auto fit = [&](double v) {
    return v > 0 && std::isfinite(v) ? NearestRoundStep(v) : v;
  };
  const double x = fit(fGrid->GetIncX()), y = fit(fGrid->GetIncY());
  fGrid->SetIncX(x);
  fGrid->SetIncY(y);
}

bool TPLNBaseEditor::SettingsHandled() const {
  return isSignalConnected(QMetaMethod::fromSignal(&TPLNBaseEditor::SettingsClicked));
}

// Qt calls these with its connection lock held, where asking whether a signal is connected
// would deadlock: the tool strip is laid out again once the event loop runs.
void TPLNBaseEditor::connectNotify(const QMetaMethod& signal) {
  QWidget::connectNotify(signal);
  if (signal == QMetaMethod::fromSignal(&TPLNBaseEditor::SettingsClicked))
    QMetaObject::invokeMethod(this, &TPLNBaseEditor::AdjustCtrls, Qt::QueuedConnection);
}

void TPLNBaseEditor::disconnectNotify(const QMetaMethod& signal) {
  QWidget::disconnectNotify(signal);
  // An invalid method: everything was disconnected at once.
  if (!signal.isValid() || signal == QMetaMethod::fromSignal(&TPLNBaseEditor::SettingsClicked))
    QMetaObject::invokeMethod(this, &TPLNBaseEditor::AdjustCtrls, Qt::QueuedConnection);
}

void TPLNBaseEditor::ClickSettings() {
  if (SettingsHandled())
    emit SettingsClicked();
  else
    EditSettings();
}

void TPLNBaseEditor::EditSettings() {
  if (!fLabel) return;
  TfSettings dialog(window());
  dialog.Ini(fLabel, this);
  if (dialog.exec() == QDialog::Accepted) dialog.WriteBack();
}

void TPLNBaseEditor::MouseDownRotate(Qt::MouseButton button) {
  if (button != Qt::LeftButton && button != Qt::RightButton) return;
  const bool right = button == Qt::RightButton;
  if (fLabel) {
    try {
      right ? fLabel->RotateRight() : fLabel->RotateLeft();
    } catch (const EPLNError& e) {
      // A sheet that cannot turn (its turned sizes refused) stays as it was.
      if (fLabel->OnInfoMsg) fLabel->OnInfoMsg(e.Message());
    }
  }
  emit RotateClicked(right);
}

void TPLNBaseEditor::ScrollToItem(const TPLNBaseItem* item) { fSurface->EnsureItemVisible(item); }

void TPLNBaseEditor::BeginUpdate() { fSurface->BeginUpdate(); }
void TPLNBaseEditor::EndUpdate() { fSurface->EndUpdate(); }

double TPLNBaseEditor::SizeSelection(int side) const {
  if (!fLabel || fLabel->GetSelectionCount() == 0 || side < 1 || side > 4) return -1;
  TORVBounds b;
  for (int i = 1; i <= fLabel->GetSelectionCount(); ++i) b.Add(fLabel->GetSelection(i)->GetBounds());
  if (b.IsEmpty()) return -1;
  const std::int64_t v[] = {b.X1, b.X2, b.Y1, b.Y2};
  return Utils::GetValue(v[side - 1], Units());
}

// ---- layout

void TPLNBaseEditor::AddCtrls() {
  for (int i = 0; i < fEntryCount; ++i) delete fEntries[i].Control;
  fEntryCount = 0;

  fHorz = new QScrollBar(Qt::Horizontal, this);
  fHorz->setSingleStep(10);
  connect(fHorz, &QScrollBar::valueChanged, this, [this] { fSurface->ChangeScrollHorz(); });
  fVert = new QScrollBar(Qt::Vertical, this);
  fVert->setSingleStep(10);
  connect(fVert, &QScrollBar::valueChanged, this, [this] { fSurface->ChangeScrollVert(); });

  fSurface = new TPLNBackEditor(this);
  fSurface->SetPageSize(200, 200, 200000, 200000);
  fSurface->DrawContext().aLinkPoint = fSelColors->GetLinkPoint();
  fSurface->DrawContext().aDrawLinkPto = (fOptions & eoLinkPoints) != 0;

  fZoomBox = new QComboBox(this);
  for (const char* text : kZoomTexts) fZoomBox->addItem(QString::fromLatin1(text));
  fZoomBox->addItem(QStringLiteral("     "));
  AddKeyedItem(fZoomBox, TORVMsgTable::Props, QStringLiteral("Width"));
  AddKeyedItem(fZoomBox, TORVMsgTable::Props, QStringLiteral("Height"));
  AddKeyedItem(fZoomBox, TORVMsgTable::Dialogs, QStringLiteral("Fit"));
  QFont itemFont = fZoomBox->font();
  itemFont.setPointSize(10);
  for (int i = 0; i < fZoomBox->count(); ++i) fZoomBox->setItemData(i, itemFont, Qt::FontRole);
  fZoomBox->setCurrentIndex(3);
  SyncZoomBox();
  connect(fZoomBox, &QComboBox::currentIndexChanged, this, &TPLNBaseEditor::ZoomBoxChanged);

  SetKeyedToolTip(fZoomBox, TORVMsgTable::Editor, QStringLiteral("ZoomTip"));

  fUnitsButton = new QPushButton(this);
  fUnitsButton->setCursor(Qt::PointingHandCursor);
  SetKeyedToolTip(fUnitsButton, TORVMsgTable::Editor, QStringLiteral("UnitsTip"));
  connect(fUnitsButton, &QPushButton::clicked, this, &TPLNBaseEditor::ClickUnits);

  fOrtoInfo = new TPLNInfoEd(tiOrto, this);
  fSnapInfo = new TPLNInfoEd(tiSnapToGrid, this);

  fSettingsButton = new TResButton(this);
  fSettingsButton->ResName(QStringLiteral("SETTINGS"));
  fSettingsButton->setCursor(Qt::PointingHandCursor);
  SetKeyedToolTip(fSettingsButton, TORVMsgTable::Editor, QStringLiteral("SettingsTip"));
  connect(fSettingsButton, &QPushButton::clicked, this, &TPLNBaseEditor::ClickSettings);

  fRotateButton = new TResButton(this);
  fRotateButton->ResName(QStringLiteral("ROTATE"));
  fRotateButton->setCursor(Qt::PointingHandCursor);
  SetKeyedToolTip(fRotateButton, TORVMsgTable::Editor, QStringLiteral("RotateTip"));
  connect(fRotateButton, &TResButton::Pressed, this, &TPLNBaseEditor::MouseDownRotate);

  AddControl(fSurface, 0, 0, 3, 4);
  AddControl(fSettingsButton, 0, 4, 1, 1);
  AddControl(fRotateButton, 1, 4, 1, 1);
  AddControl(fVert, 2, 4, 1, 1);
  AddControl(fZoomBox, 3, 0, 1, 1);
  AddControl(fUnitsButton, 3, 1, 1, 1);
  AddControl(fOrtoInfo, 3, 2, 1, 1);
  AddControl(fHorz, 3, 3, 1, 1);
  AddControl(fSnapInfo, 3, 4, 1, 1);

  ShowUnits();
  AdjustCtrls();
}

void TPLNBaseEditor::AddControl(QWidget* control, int row, int column, int rowSpan, int columnSpan) {
  if (fEntryCount >= 9) return;
  fEntries[fEntryCount++] = {control, row, column, rowSpan, columnSpan};
}

void TPLNBaseEditor::AdjustCtrls() {
  const auto on = [this](std::uint16_t bit) { return (fOptions & bit) != 0; };
  fColumns[0] = {on(eoZoomBox) ? 70.0 : 0.0, true};
  fColumns[1] = {on(eoUnitsButton) ? 30.0 : 0.0, true};
  const bool settings = on(eoSettingsButton);
  fRows[0] = {settings ? 22.0 : 0.0, true};
  fRows[1] = {on(eoRotateButton) ? 22.0 : 0.0, true};
  fColumns[2] = {on(eoOrtoInfo) ? 22.0 : 0.0, true};
  fZoomBox->setHidden(!on(eoZoomBox));
  fUnitsButton->setHidden(!on(eoUnitsButton));
  fSettingsButton->setHidden(!settings);
  fRotateButton->setHidden(!on(eoRotateButton));
  fOrtoInfo->setHidden(!on(eoOrtoInfo));
  fSnapInfo->setHidden(!on(eoSnapInfo));
  UpdateIndicators();
  UpdateLayout();
}

void TPLNBaseEditor::UpdateIndicators() {
  fOrtoInfo->SetState(fOrtoLines ? siOn : siOff);
  fSnapInfo->SetState((fSnap & snGrid) ? siOn : siOff);
  SetKeyedToolTip(fOrtoInfo, TORVMsgTable::Editor, fOrtoLines ? QStringLiteral("OrtoOn") : QStringLiteral("OrtoOff"));
  SetKeyedToolTip(fSnapInfo, TORVMsgTable::Editor, (fSnap & snGrid) ? QStringLiteral("SnapOn") : QStringLiteral("SnapOff"));
}

double TPLNBaseEditor::GetRowHeight(int i) const {
  if (i < 0 || i >= 4) return 0;
  if (fRows[i].Absolute) return fRows[i].Size;
  double fixed = 0, shares = 0;
  for (const TCell& c : fRows) (c.Absolute ? fixed : shares) += c.Size;
  if (shares <= 0) return 0;
  return std::max(0.0, height() - fixed) * fRows[i].Size / shares;
}

double TPLNBaseEditor::GetColumnWidth(int i) const {
  if (i < 0 || i >= 5) return 0;
  if (fColumns[i].Absolute) return fColumns[i].Size;
  double fixed = 0, shares = 0;
  for (const TCell& c : fColumns) (c.Absolute ? fixed : shares) += c.Size;
  if (shares <= 0) return 0;
  return std::max(0.0, width() - fixed) * fColumns[i].Size / shares;
}

void TPLNBaseEditor::UpdateLayout() {
  for (int e = 0; e < fEntryCount; ++e) {
    const TEntry& entry = fEntries[e];
    double x = 0, y = 0, w = 0, h = 0;
    for (int c = 0; c < entry.Column; ++c) x += GetColumnWidth(c);
    for (int r = 0; r < entry.Row; ++r) y += GetRowHeight(r);
    for (int c = entry.Column; c < entry.Column + entry.ColumnSpan; ++c) w += GetColumnWidth(c);
    for (int r = entry.Row; r < entry.Row + entry.RowSpan; ++r) h += GetRowHeight(r);
    const QRect bounds(qRound(x), qRound(y), qRound(w), qRound(h));
    entry.Control->setGeometry(bounds);
    bool show = bounds.width() > 0 && bounds.height() > 0;
    // A scroll bar shows only while the surface needs it; the other strip controls by option.
    if (entry.Control == fHorz) show = show && fHorzNeeded;
    else if (entry.Control == fVert) show = show && fVertNeeded;
    else if (entry.Control != fSurface) show = show && !entry.Control->isHidden();
    entry.Control->setVisible(show);
  }
  // A hidden widget gets its resize event only when shown: place the page now.
  if (!fSurface->isVisible()) fSurface->Resize();
}

void TPLNBaseEditor::SetScrollBarNeeded(bool horizontal, bool needed) {
  (horizontal ? fHorzNeeded : fVertNeeded) = needed;
  QScrollBar* bar = horizontal ? fHorz : fVert;
  bar->setVisible(needed && bar->width() > 0 && bar->height() > 0);
}

void TPLNBaseEditor::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UpdateLayout();
}

}  // namespace Orv::Fmx
