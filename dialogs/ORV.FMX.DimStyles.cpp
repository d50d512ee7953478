#include "ORV.FMX.DimStyles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "ORV.Canvas.h"
#include "ORV.Dim.h"
#include "ORV.FMX.DialogParts.h"
#include "ORV.FMX.DialogServices.h"
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.FMX.h"
#include "ORV.Msg.h"

namespace Orv::Fmx {

using Line::TPLNDimStyle;

namespace {

// The sample's outline in pixels at 96 dpi, and the part of that plane the box shows.
constexpr int kOutline[6][2] = {{140, 170}, {400, 170}, {400, 220}, {580, 260}, {580, 400}, {140, 400}};
const QRectF kSampleArea(30, 90, 660, 400);
constexpr int kTermCount = 12;
constexpr int kLineTypeCount = 12;
constexpr int kTextPosCount = 6;

std::int64_t Base(int pixels) { return std::llround(pixels * 25400.0 / 96.0); }

}  // namespace

// ---------------------------------------------------------------- sample

TDimSample::TDimSample(QWidget* parent) : QWidget(parent), fDoc(std::make_unique<TPlanoraFMX>()) {
  setObjectName(QStringLiteral("paintLab"));
  setMinimumSize(320, 210);
  fDoc->SetUndoLimit(0);
  fDoc->SetEditorMode(2);
  std::vector<std::int64_t> outline;
  for (const auto& p : kOutline) {
    outline.push_back(Base(p[0]));
    outline.push_back(Base(p[1]));
  }
  outline.push_back(outline[0]);
  outline.push_back(outline[1]);
  TPLNFactory::AddBasePolyLine(fDoc.get(), outline);
  auto dim = [&](int x1, int y1, int x2, int y2, int x3, int y3) {
    TPLNFactory::AddBaseDim(fDoc.get(), Base(x1), Base(y1), Base(x2), Base(y2), Base(x3), Base(y3));
  };
  dim(140, 170, 400, 170, 270, 125);  // top, horizontal
  dim(140, 400, 580, 400, 360, 450);  // bottom, horizontal
  dim(140, 170, 140, 400, 95, 285);   // left, vertical
  dim(580, 260, 580, 400, 630, 330);  // right, vertical
  dim(400, 220, 580, 260, 370, 183);  // the slope, aligned: the third point off the box's corner
}

TDimSample::~TDimSample() = default;

void TDimSample::SetStyle(const TPLNDimStyle& style) {
  *fDoc->GetDimStyle(1) = style;
  fDoc->CalcDimValues();
  update();
}

QStringList TDimSample::Captions() const {
  QStringList out;
  for (int i = 1; i <= fDoc->GetItemsCount(); ++i)
    if (const auto* d = dynamic_cast<const Line::TPLNBaseDim*>(fDoc->GetItem(i))) out << d->GetCaption();
  return out;
}

void TDimSample::Render(QPainter& painter, int w, int h) const {
  painter.fillRect(QRect(0, 0, w, h), Qt::white);
  const double zoom = std::min(w / kSampleArea.width(), h / kSampleArea.height());
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  Canvas::TQPainterCanvas canvas(&painter);
  canvas.Translate(static_cast<float>((w - kSampleArea.width() * zoom) / 2 - kSampleArea.left() * zoom),
                   static_cast<float>((h - kSampleArea.height() * zoom) / 2 - kSampleArea.top() * zoom));
  canvas.Scale(static_cast<float>(zoom), static_cast<float>(zoom));
  TPLNDraw d;
  d.ResetMatrix(TORVDrawState::Preview);
  d.kC = &canvas;
  d.pC = &canvas;
  d.kP->AntiAlias = true;
  d.SetResolution(96, 96, 1);
  d.PixPerUnitX = d.PixPerUnitY = static_cast<float>(96.0 / 25.4);
  d.Zoom = static_cast<float>(zoom);
  d.SetStandardWidths();
  for (int i = 1; i <= fDoc->GetItemsCount(); ++i) fDoc->GetItem(i)->DrawElement(&d);
  d.kC = nullptr;
  d.pC = nullptr;
  painter.restore();
}

void TDimSample::paintEvent(QPaintEvent*) {
  QPainter p(this);
  Render(p, width(), height());
}

// ---------------------------------------------------------------- window

TfDimStls::TfDimStls(QWidget* parent, std::shared_ptr<TDialogServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : TDialogServices::Default()) {
  setObjectName(QStringLiteral("fDimStls"));
  cbDimStyles = Named<QComboBox>(this, "cbDimStyles");
  butAdd = Named<QPushButton>(this, "butAdd");
  butDelete = Named<QPushButton>(this, "butDelete");
  cbFontName = Named<QComboBox>(this, "cbFontName");
  auto number = [this](const char* name, double lo, double hi, int decimals) {
    auto* b = Named<QDoubleSpinBox>(this, name);
    b->setRange(lo, hi);
    b->setDecimals(decimals);
    // Typing in a box writes when the user leaves it, not at every digit.
    b->setKeyboardTracking(false);
    return b;
  };
  seFontHeight = number("seFontHeight", 0.1, 1000, 2);
  ShColFontColor = Named<QToolButton>(this, "ShColFontColor");
  ckBold = Named<QCheckBox>(this, "ckBold");
  ckItalic = Named<QCheckBox>(this, "ckItalic");
  ckUnderline = Named<QCheckBox>(this, "ckUnderline");
  edPrefix = Named<QLineEdit>(this, "edPrefix");
  edFormat = Named<QLineEdit>(this, "edFormat");
  edSuffix = Named<QLineEdit>(this, "edSuffix");
  cbLineType = Named<QComboBox>(this, "cbLineType");
  cbPosText = Named<QComboBox>(this, "cbPosText");
  cbHeadType = Named<QComboBox>(this, "cbHeadType");
  cbHeadType->setIconSize(QSize(48, 16));
  seHeadSize = number("seHeadSize", 0, 10000, 2);
  seArrowOpen = Named<QSpinBox>(this, "seArrowOpen");
  seArrowOpen->setRange(0, 10000);
  seArrowOpen->setKeyboardTracking(false);
  shDimColor = Named<QToolButton>(this, "shDimColor");
  shExtColor = Named<QToolButton>(this, "shExtColor");
  shFillColor = Named<QToolButton>(this, "shFillColor");
  shHeadColor = Named<QToolButton>(this, "shHeadColor");
  seExtSize = number("seExtSize", 0, 10000, 2);
  seExtGap = number("seExtGap", 0, 10000, 2);
  seDimBreak = number("seDimBreak", 0, 10000, 2);
  seDimPenWidth = number("seDimPenWidth", 0, 10000, 0);
  seExtPenWidth = number("seExtPenWidth", 0, 10000, 0);
  butClose = Named<QPushButton>(this, "butClose");
  paintLab = new TDimSample(this);
  for (QToolButton* b : {ShColFontColor, shDimColor, shExtColor, shFillColor, shHeadColor}) b->setFixedSize(48, 22);
  // Enter confirms the field being typed in; it never presses a button.
  for (QPushButton* b : {butAdd, butDelete, butClose}) b->setAutoDefault(false);

  auto* form = new QGridLayout;
  int row = 0;
  auto put = [&](const char* key, QWidget* w, int column = 0) {
    auto* label = new QLabel(this);
    fLabels.emplace_back(label, key);
    form->addWidget(label, row, column);
    form->addWidget(w, row, column + 1);
    if (column == 2) ++row;
  };
  put("FontName", cbFontName);
  put("FontHeight", seFontHeight, 2);
  put("Color", ShColFontColor);
  {
    auto* flags = new QHBoxLayout;
    flags->addWidget(ckBold);
    flags->addWidget(ckItalic);
    flags->addWidget(ckUnderline);
    form->addLayout(flags, row++, 2, 1, 2);
  }
  put("Prefix", edPrefix);
  put("Suffix", edSuffix, 2);
  put("Format", edFormat);
  put("TextPos", cbPosText, 2);
  put("LineType", cbLineType);
  put("HeadType", cbHeadType, 2);
  put("HeadSize", seHeadSize);
  put("ArrowOpen", seArrowOpen, 2);
  put("DimColor", shDimColor);
  put("ExtColor", shExtColor, 2);
  put("BackColor", shFillColor);
  put("HeadColor", shHeadColor, 2);
  put("ExtSize", seExtSize);
  put("ExtGap", seExtGap, 2);
  put("DimBreak", seDimBreak);
  put("DimPenWidth", seDimPenWidth, 2);
  put("ExtPenWidth", seExtPenWidth);

  auto* styles = new QHBoxLayout;
  auto* active = new QLabel(this);
  fLabels.emplace_back(active, "ActiveDimStyle");
  styles->addWidget(active);
  styles->addWidget(cbDimStyles, 1);
  styles->addWidget(butAdd);
  styles->addWidget(butDelete);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(butClose);
  auto* top = new QVBoxLayout(this);
  top->addLayout(styles);
  auto* middle = new QHBoxLayout;
  middle->addLayout(form);
  middle->addWidget(paintLab, 1);
  top->addLayout(middle, 1);
  top->addLayout(bottom);

  connect(cbDimStyles, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (fUpdating || !fDoc || i < 0) return;
    {
      TPLNUndoGroup step(*fDoc);
      fDoc->SetActiveDimStyle(i + 1);
    }
    ShowStyle();
  });
  connect(cbFontName, &QComboBox::currentTextChanged, this, [this](const QString& name) {
    if (!fUpdating && !name.isEmpty()) ChangeStyle([&](TPLNDimStyle& s) { s.FontName = name; });
  });
  connect(ckBold, &QCheckBox::toggled, this, [this](bool on) {
    if (!fUpdating) ChangeStyle([&](TPLNDimStyle& s) { s.Bold = on; });
  });
  connect(ckItalic, &QCheckBox::toggled, this, [this](bool on) {
    if (!fUpdating) ChangeStyle([&](TPLNDimStyle& s) { s.Italic = on; });
  });
  const std::pair<QLineEdit*, QString TPLNDimStyle::*> texts[] = {
      {edPrefix, &TPLNDimStyle::Prefix}, {edFormat, &TPLNDimStyle::Format}, {edSuffix, &TPLNDimStyle::Suffix}};
  for (const auto& [edit, field] : texts)
    connect(edit, &QLineEdit::editingFinished, this, [this, edit = edit, field = field] {
      if (!fUpdating) ChangeStyle([&](TPLNDimStyle& s) { s.*field = edit->text(); });
    });
  connect(cbLineType, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (fUpdating || i < 0) return;
    // One line type for both lines of a dimension.
    ChangeStyle([&](TPLNDimStyle& s) { s.DimLineType = s.ExtLineType = static_cast<TORVineType>(i); });
  });
  connect(cbPosText, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!fUpdating && i >= 0) ChangeStyle([&](TPLNDimStyle& s) { s.TextPos = static_cast<Line::TORVTextPos>(i); });
  });
  connect(cbHeadType, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!fUpdating && i >= 0) ChangeStyle([&](TPLNDimStyle& s) { s.HeadType = static_cast<TORVTermType>(i); });
  });
  BindNumber(seFontHeight, [](TPLNDimStyle& s, double v) { s.FontHeight = static_cast<float>(v); },
             [](const TPLNDimStyle& s) { return double(s.FontHeight); });
  BindNumber(seHeadSize, [](TPLNDimStyle& s, double v) { s.HeadSize = static_cast<float>(v); },
             [](const TPLNDimStyle& s) { return double(s.HeadSize); });
  BindNumber(seExtSize, [](TPLNDimStyle& s, double v) { s.ExtSize = static_cast<float>(v); },
             [](const TPLNDimStyle& s) { return double(s.ExtSize); });
  BindNumber(seExtGap, [](TPLNDimStyle& s, double v) { s.ExtGap = static_cast<float>(v); },
             [](const TPLNDimStyle& s) { return double(s.ExtGap); });
  BindNumber(seDimBreak, [](TPLNDimStyle& s, double v) { s.DimBreak = static_cast<float>(v); },
             [](const TPLNDimStyle& s) { return double(s.DimBreak); });
  BindNumber(seDimPenWidth, [](TPLNDimStyle& s, double v) { s.DimPenWidth = v; },
             [](const TPLNDimStyle& s) { return s.DimPenWidth; });
  BindNumber(seExtPenWidth, [](TPLNDimStyle& s, double v) { s.ExtPenWidth = v; },
             [](const TPLNDimStyle& s) { return s.ExtPenWidth; });
  connect(seArrowOpen, &QSpinBox::valueChanged, this, [this](int v) {
    if (fUpdating) return;
    ChangeStyle([&](TPLNDimStyle& s) { s.ArrowOpen = static_cast<std::int16_t>(v); });
  });
  connect(ShColFontColor, &QToolButton::clicked, this, [this] { PickColor(0); });
  connect(shDimColor, &QToolButton::clicked, this, [this] { PickColor(1); });
  connect(shExtColor, &QToolButton::clicked, this, [this] { PickColor(2); });
  connect(shFillColor, &QToolButton::clicked, this, [this] { PickColor(3); });
  connect(shHeadColor, &QToolButton::clicked, this, [this] { PickColor(4); });
  connect(butAdd, &QPushButton::clicked, this, [this] { AddStyle(); });
  connect(butDelete, &QPushButton::clicked, this, [this] { DeleteStyle(); });
  connect(butClose, &QPushButton::clicked, this, &QDialog::accept);
  FillLanguage();
}

void TfDimStls::BindNumber(QDoubleSpinBox* box, const std::function<void(TPLNDimStyle&, double)>& set,
                           const std::function<double(const TPLNDimStyle&)>& get) {
  connect(box, &QDoubleSpinBox::valueChanged, this, [this, box, set, get](double v) {
    if (fUpdating) return;
    ChangeStyle([&](TPLNDimStyle& s) { set(s, v); });
    // Show what the style kept, corrected or refused.
    if (const TPLNDimStyle* s = fDoc ? fDoc->GetActiveDimStyle() : nullptr) {
      fUpdating = true;
      box->setValue(get(*s));
      if (box == seExtSize) seExtGap->setValue(s->ExtGap);
      fUpdating = false;
    }
  });
}

void TfDimStls::FillLanguage() {
  setWindowTitle(QStringLiteral("    ") + Dlg("DimStyles"));
  for (const auto& [label, key] : fLabels)
    label->setText(std::string_view(key) == "ActiveDimStyle" ? Dlg(key) : Prop(key));
  butAdd->setText(Dlg("Add"));
  butDelete->setText(Dlg("Delete"));
  butClose->setText(Dlg("Ok"));
  ckBold->setText(Prop("Bold"));
  ckItalic->setText(Prop("Italic"));
  ckUnderline->setText(Prop("Underline"));
  cbLineType->clear();
  for (int i = 0; i < kLineTypeCount; ++i) cbLineType->addItem(TPLNMsg::GetListValue(QStringLiteral("LineType%1").arg(i)));
  cbPosText->clear();
  for (int i = 0; i < kTextPosCount; ++i) cbPosText->addItem(TPLNMsg::GetListValue(QStringLiteral("TextPos%1").arg(i)));
}

void TfDimStls::Ini(TPlanoraFMX* doc) {
  fDoc = doc;
  fUpdating = true;
  FillLanguage();
  // Underlines show on paper only; the window does not offer them.
  ckUnderline->setVisible(false);
  const QStringList fonts = FontList(fDoc, this);
  cbFontName->clear();
  cbFontName->addItems(fonts);
  fUpdating = false;
  FillStyles();
  ShowStyle();
}

void TfDimStls::FillStyles() {
  fUpdating = true;
  cbDimStyles->clear();
  if (fDoc) {
    for (int i = 1; i <= fDoc->GetDimStylesCount(); ++i) cbDimStyles->addItem(fDoc->GetDimStyle(i)->Name);
    cbDimStyles->setCurrentIndex(fDoc->GetActiveDimStyleIndex() - 1);
  }
  fUpdating = false;
}

void TfDimStls::FillHeadTypes() {
  const TPLNDimStyle* s = fDoc ? fDoc->GetActiveDimStyle() : nullptr;
  if (!s) return;
  const QSize size = cbHeadType->iconSize();
  const bool first = cbHeadType->count() == 0;
  for (int i = 0; i < kTermCount; ++i) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing);
      Canvas::TQPainterCanvas canvas(&p);
      DrawTerm(canvas, QRectF(QPointF(0, 0), QSizeF(size)), static_cast<TORVTermType>(i), s->HeadColor, s->FillColor);
    }
    if (first) {
      cbHeadType->addItem(QIcon(QPixmap::fromImage(image)), QString());
    } else {
      cbHeadType->setItemIcon(i, QIcon(QPixmap::fromImage(image)));
    }
  }
}

void TfDimStls::ShowSwatch(QToolButton* swatch, unsigned colour) {
  const QColor c = QColor::fromRgba(colour);
  swatch->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid gray;").arg(c.name(QColor::HexArgb)));
  swatch->setProperty("colour", QVariant::fromValue(colour));
  swatch->setToolTip(c.name(QColor::HexArgb).toUpper());
}

void TfDimStls::ShowStyle() {
  const TPLNDimStyle* s = fDoc ? fDoc->GetActiveDimStyle() : nullptr;
  if (!s) return;
  fUpdating = true;
  cbDimStyles->setCurrentIndex(fDoc->GetActiveDimStyleIndex() - 1);
  int font = cbFontName->findText(s->FontName, Qt::MatchExactly);
  if (font < 0 && !s->FontName.isEmpty()) {
    cbFontName->insertItem(0, s->FontName);
    font = 0;
  }
  cbFontName->setCurrentIndex(font);
  seFontHeight->setValue(s->FontHeight);
  ShowSwatch(ShColFontColor, s->FontColor);
  ckBold->setChecked(s->Bold);
  ckItalic->setChecked(s->Italic);
  ckUnderline->setChecked(s->Underline);
  edPrefix->setText(s->Prefix);
  edFormat->setText(s->Format);
  edSuffix->setText(s->Suffix);
  cbLineType->setCurrentIndex(s->DimLineType < kLineTypeCount ? s->DimLineType : 0);
  cbPosText->setCurrentIndex(static_cast<int>(s->TextPos));
  FillHeadTypes();
  cbHeadType->setCurrentIndex(s->HeadType < kTermCount ? s->HeadType : -1);
  seHeadSize->setValue(s->HeadSize);
  seArrowOpen->setValue(s->ArrowOpen);
  ShowSwatch(shDimColor, s->DimColor);
  ShowSwatch(shExtColor, s->ExtColor);
  ShowSwatch(shFillColor, s->FillColor);
  ShowSwatch(shHeadColor, s->HeadColor);
  seExtSize->setValue(s->ExtSize);
  seExtGap->setValue(s->ExtGap);
  seDimBreak->setValue(s->DimBreak);
  seDimPenWidth->setValue(s->DimPenWidth);
  seExtPenWidth->setValue(s->ExtPenWidth);
  butDelete->setEnabled(fDoc->GetActiveDimStyleIndex() > 1);
  fUpdating = false;
  paintLab->SetStyle(*s);
}

bool TfDimStls::ChangeStyle(const std::function<void(TPLNDimStyle&)>& change) {
  TPLNDimStyle* s = fDoc ? fDoc->GetActiveDimStyle() : nullptr;
  if (!s) return false;
  TPLNDimStyle copy = *s;
  change(copy);
  if (copy == *s) return true;
  try {
    copy.Validate();
  } catch (const EPLNError& e) {
    fServices->Error(this, Dlg("DimStyles"), Err("BadValue") + QStringLiteral(": ") + QString::fromUtf8(e.what()));
    ShowStyle();
    return false;
  }
  {
    TPLNUndoGroup step(*fDoc);
    *s = copy;
    // The dimensions drawn with the style follow it at once.
    fDoc->CalcDimValues();
    fDoc->SetModified(true);
    fDoc->NotifyChange(TORChange::Document);
  }
  paintLab->SetStyle(*s);
  return true;
}

void TfDimStls::PickColor(int tag) {
  const TPLNDimStyle* s = fDoc ? fDoc->GetActiveDimStyle() : nullptr;
  if (!s) return;
  TAlphaColor TPLNDimStyle::*fields[] = {&TPLNDimStyle::FontColor, &TPLNDimStyle::DimColor, &TPLNDimStyle::ExtColor,
                                         &TPLNDimStyle::FillColor, &TPLNDimStyle::HeadColor};
  QToolButton* swatches[] = {ShColFontColor, shDimColor, shExtColor, shFillColor, shHeadColor};
  if (tag < 0 || tag > 4) return;
  QColor colour = QColor::fromRgba(s->*fields[tag]);
  if (!fServices->PickColor(this, colour)) return;
  const TAlphaColor chosen = colour.rgba();
  if (!ChangeStyle([&](TPLNDimStyle& st) { st.*fields[tag] = chosen; })) return;
  ShowSwatch(swatches[tag], chosen);
  // The head list shows the heads in the style's colours.
  if (tag >= 3) FillHeadTypes();
}

void TfDimStls::AddStyle() {
  if (!fDoc) return;
  const QString name = fServices->AskText(this, Dlg("AddDimStyle"), Prop("Name")).trimmed();
  if (name.isEmpty()) return;
  for (int i = 1; i <= fDoc->GetDimStylesCount(); ++i)
    if (fDoc->GetDimStyle(i)->Name.compare(name, Qt::CaseInsensitive) == 0) {
      fServices->Error(this, Dlg("DimStyles"), Err("DimStyleName"));
      return;
    }
  {
    TPLNUndoGroup step(*fDoc);
    TPLNDimStyle* s = fDoc->AddDimStyle(name);
    s->DimColor = 0xFF808080u;
    s->ExtColor = 0xFF808080u;
    fDoc->SetActiveDimStyle(fDoc->GetDimStylesCount());
  }
  FillStyles();
  ShowStyle();
}

void TfDimStls::DeleteStyle() {
  if (!fDoc) return;
  if (fDoc->GetActiveDimStyleIndex() == 1) {
    fServices->Error(this, Dlg("DimStyles"), Err("DelDefStyle"));
    return;
  }
  if (!fServices->Confirm(this, Dlg("DimStyles"), Dlg("DelStyle"))) return;
  bool deleted;
  {
    TPLNUndoGroup step(*fDoc);
    deleted = fDoc->DeleteActiveDimStyle();
  }
  if (!deleted) return;
  FillStyles();
  ShowStyle();
}

}  // namespace Orv::Fmx
