#include "ORV.FMX.SelColor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ORV.FMX.DialogParts.h"
#include "ORV.Msg.h"

namespace Orv::Fmx {

std::array<TORVRecentColor, kRecentColors>& RecentColors() {
  static std::array<TORVRecentColor, kRecentColors> table{};
  return table;
}

namespace {
// The palette: six rows of eight, from greys through the hues at three strengths.
constexpr TAlphaColor kPalette[48] = {
    0xFF000000, 0xFF404040, 0xFF808080, 0xFFA0A0A0, 0xFFC0C0C0, 0xFFE0E0E0, 0xFFF0F0F0, 0xFFFFFFFF,
    0xFF800000, 0xFF804000, 0xFF808000, 0xFF008000, 0xFF008080, 0xFF000080, 0xFF400080, 0xFF800080,
    0xFFFF0000, 0xFFFF8000, 0xFFFFFF00, 0xFF00FF00, 0xFF00FFFF, 0xFF0000FF, 0xFF8000FF, 0xFFFF00FF,
    0xFFFF8080, 0xFFFFC080, 0xFFFFFF80, 0xFF80FF80, 0xFF80FFFF, 0xFF8080FF, 0xFFC080FF, 0xFFFF80FF,
    0xFFFFC0C0, 0xFFFFE0C0, 0xFFFFFFC0, 0xFFC0FFC0, 0xFFC0FFFF, 0xFFC0C0FF, 0xFFE0C0FF, 0xFFFFC0FF,
    0xFFDC143C, 0xFFFFA500, 0xFFFFD700, 0xFF2E8B57, 0xFF4682B4, 0xFF191970, 0xFF8B4513, 0x00FFFFFF,
};

TAlphaColor Compose(int r, int g, int b, int a) {
  return (TAlphaColor(a) << 24) | (TAlphaColor(r) << 16) | (TAlphaColor(g) << 8) | TAlphaColor(b);
}

QSpinBox* ChannelBox(const char* name) {
  auto* b = new QSpinBox;
  b->setObjectName(QLatin1String(name));
  b->setRange(0, 255);
  return b;
}
}  // namespace

TfSelColor::TfSelColor(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fSelColor"));
  auto* root = new QVBoxLayout(this);

  auto* panel = new QWidget;
  panel->setObjectName(QStringLiteral("ColorPanel"));
  auto* grid = new QGridLayout(panel);
  grid->setSpacing(2);
  for (int i = 0; i < 48; ++i) {
    auto* s = new TColorSwatch;
    s->setObjectName(QStringLiteral("pal%1").arg(i, 2, 10, QLatin1Char('0')));
    s->SetColor(kPalette[i]);
    s->setFixedSize(26, 20);
    connect(s, &QToolButton::clicked, this, [this, s] { SetPanelColor(s->Color()); });
    grid->addWidget(s, i / 8, i % 8);
  }
  root->addWidget(panel);

  auto* row = new QHBoxLayout;
  fPreview = new TColorSwatch;
  fPreview->setObjectName(QStringLiteral("shpPreview"));
  fPreview->setFixedSize(64, 64);
  fPreview->setFocusPolicy(Qt::NoFocus);
  row->addWidget(fPreview);
  auto* form = new QFormLayout;
  fRed = ChannelBox("sbRed");
  fGreen = ChannelBox("sbGreen");
  fBlue = ChannelBox("sbBlue");
  fAlpha = ChannelBox("sbAlpha");
  form->addRow(QStringLiteral("R"), fRed);
  form->addRow(QStringLiteral("G"), fGreen);
  form->addRow(QStringLiteral("B"), fBlue);
  form->addRow(QStringLiteral("A"), fAlpha);
  row->addLayout(form);
  root->addLayout(row);
  for (QSpinBox* b : {fRed, fGreen, fBlue, fAlpha})
    connect(b, &QSpinBox::valueChanged, this, [this] { BoxesChanged(); });

  auto* recent = new QHBoxLayout;
  recent->setSpacing(2);
  for (int i = 0; i < kRecentColors; ++i) {
    auto* s = new TColorSwatch;
    s->setObjectName(QStringLiteral("rec%1").arg(i + 1, 2, 10, QLatin1Char('0')));
    s->setProperty("tag", i);
    s->setFixedSize(26, 20);
    s->setCheckable(true);
    fRecent[i] = s;
    connect(s, &QToolButton::clicked, this, [this, i] { ClickRecent(i); });
    recent->addWidget(s);
  }
  fSave = new QPushButton;
  fSave->setObjectName(QStringLiteral("btnSave"));
  connect(fSave, &QPushButton::clicked, this, &TfSelColor::Save);
  recent->addWidget(fSave);
  root->addLayout(recent);

  auto* buttons = new QDialogButtonBox;
  fOk = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
  fOk->setObjectName(QStringLiteral("btnOk"));
  fCancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
  fCancel->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  root->addWidget(buttons);
}

void TfSelColor::Ini(const QString& caption, TAlphaColor color) {
  setWindowTitle(caption);
  fOk->setText(TPLNMsg::GetDialogsValue(QStringLiteral("Ok")));
  fCancel->setText(TPLNMsg::GetDialogsValue(QStringLiteral("Cancel")));
  fSave->setText(TPLNMsg::GetDialogsValue(QStringLiteral("Save")));
  fColor = ~color;  // so that the panel takes it even when it equals the default
  SetPanelColor(color);
  fSaveTarget = -1;
  ShowRecent();
  for (int i = 0; i < kRecentColors; ++i)
    if (!RecentColors()[i].Used) {
      fSaveTarget = i;
      break;
    }
  for (int i = 0; i < kRecentColors; ++i) fRecent[i]->setChecked(i == fSaveTarget);
}

void TfSelColor::ShowRecent() {
  for (int i = 0; i < kRecentColors; ++i) {
    const TORVRecentColor& e = RecentColors()[i];
    fRecent[i]->SetColor(e.Used ? e.Color : 0x00000000u);
    fRecent[i]->setToolTip(e.Used ? QColor::fromRgba(e.Color).name(QColor::HexArgb) : QString());
  }
}

void TfSelColor::SetPanelColor(TAlphaColor c) {
  if (c == fColor) return;
  fColor = c;
  fPreview->SetColor(c);
  if (fGuard) return;
  fGuard = true;
  fRed->setValue((c >> 16) & 0xFF);
  fGreen->setValue((c >> 8) & 0xFF);
  fBlue->setValue(c & 0xFF);
  fAlpha->setValue((c >> 24) & 0xFF);
  fGuard = false;
}

void TfSelColor::BoxesChanged() {
  if (fGuard) return;
  fGuard = true;
  SetPanelColor(Compose(fRed->value(), fGreen->value(), fBlue->value(), fAlpha->value()));
  fGuard = false;
}

void TfSelColor::ClickRecent(int index) {
  if (index < 0 || index >= kRecentColors) return;
  fSaveTarget = index;
  for (int i = 0; i < kRecentColors; ++i) fRecent[i]->setChecked(i == index);
  if (RecentColors()[index].Used) SetPanelColor(RecentColors()[index].Color);
}

void TfSelColor::Save() {
  if (fSaveTarget < 0) return;
  RecentColors()[fSaveTarget] = {fColor, true};
  ShowRecent();
}

}  // namespace Orv::Fmx
