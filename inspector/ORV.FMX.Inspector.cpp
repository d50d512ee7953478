#include "ORV.FMX.Inspector.h"

#include "ORV.FMX.EdPolyText.h"
#include "ORV.FMX.EdTable.h"
#include "ORV.FMX.Types.h"
#include "ORV.Msg.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace Orv::Fmx {

namespace {

constexpr int kScrollWidth = 8;
constexpr int kArrowWidth = 14;
constexpr int kErrorHeight = 36;
constexpr int kSwatch = 14;

QString Key(const char* key, int cell) { return QLatin1String(key) + QString::number(cell); }

}  // namespace

TPLNBaseInspector::TPLNBaseInspector(QWidget* parent) : QWidget(parent) {
  resize(240, 240);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  fScroll = new QScrollBar(Qt::Vertical, this);
  fScroll->setObjectName(QStringLiteral("inspectorScroll"));
  fScroll->setFixedWidth(kScrollWidth);
  fScroll->hide();
  connect(fScroll, &QScrollBar::valueChanged, this, [this] {
    CloseEditor(true);
    update();
  });
  fCombo = new QComboBox(this);
  fCombo->setObjectName(QStringLiteral("inspectorList"));
  fCombo->hide();
  connect(fCombo, &QComboBox::activated, this, [this](int index) {
    const int row = fEditRow, cell = fEditCell;
    fCombo->hide();
    fEditRow = -1;
    if (row < 0) return;
    const int kind = EditorKind(row, cell);
    fRow = row;
    fCell = cell;
    if (kind == int(Ins::TORVInsProp::List)) SendValue(QJsonObject{{QStringLiteral("int"), index}});
    else SendValue(QJsonObject{{QStringLiteral("txt"), fCombo->itemData(index).isValid() ? fCombo->itemData(index).toString() : fCombo->itemText(index)}});
  });
  fEdit = new QLineEdit(this);
  fEdit->setObjectName(QStringLiteral("inspectorEdit"));
  fEdit->setFrame(false);
  fEdit->hide();
  fEdit->installEventFilter(this);
  fTimer = new QTimer(this);
  fTimer->setInterval(100);
  connect(fTimer, &QTimer::timeout, this, [this] { StepValue(fStepDirection); });
  OnPickFile = [this](const QString& folder) {
    return QFileDialog::getOpenFileName(this, TPLNMsg::GetDialogsValue(QStringLiteral("ToolImage")), folder,
                                        TPLNMsg::GetDialogsValue(QStringLiteral("FilterImages")));
  };
  GetStyleColors();
}

TPLNBaseInspector::~TPLNBaseInspector() {
  if (fDoc) fDoc->RemoveObserver(this);
}

void TPLNBaseInspector::SetLabel(TPLNBaseLabel* doc) {
  if (doc == fDoc) return;
  if (fDoc) fDoc->RemoveObserver(this);
  fDoc = doc;
  if (fDoc) fDoc->AddObserver(this);
  Refresh(true);
}

void TPLNBaseInspector::SetInspectPropBase(Ins::TORVInsTypesBase t) {
  fBaseTypes = t & Ins::kAllBase;
  Refresh(true);
}

void TPLNBaseInspector::SetInspectProp(Ins::TORVInsTypes t) {
  fTypes = t;
  Refresh(true);
}

void TPLNBaseInspector::SetOptions(std::uint32_t o) {
  fOptions = o;
  Refresh(true);
}

void TPLNBaseInspector::GetStyleColors() {
  const QPalette pal = palette();
  BackColor = pal.color(QPalette::Base);
  EditColor = pal.color(QPalette::Base);
  TitleColor = pal.color(QPalette::Text);
  // Values stand out from captions, in the theme's link colour.
  ValueColor = pal.color(QPalette::Link);
  SelColor = pal.color(QPalette::Highlight);
  SelButColor = pal.color(QPalette::Highlight).darker(120);
  ArrowColor = pal.color(QPalette::PlaceholderText);
  update();
}

void TPLNBaseInspector::changeEvent(QEvent* e) {
  if (e->type() == QEvent::PaletteChange || e->type() == QEvent::StyleChange) GetStyleColors();
  // The rows carry their captions: build them again in the new language.
  if (e->type() == QEvent::LanguageChange) Refresh(false);
  QWidget::changeEvent(e);
}

void TPLNBaseInspector::UpdateCtrl(TORChange change, TORChangeValue) {
  if (fSending) return;
  switch (change) {
    case TORChange::Selection: Refresh(true); break;
    case TORChange::Document:
    case TORChange::Items:
    case TORChange::Layers:
    case TORChange::Units:
    case TORChange::UndoRedo: ScheduleRefresh(); break;
    case TORChange::Action:
      // A point drag starts or ends.
      if (fPointsOnly != (fDoc && fDoc->Act().Dragging && fDoc->Act().Move == TORVMoveKind::Point)) ScheduleRefresh();
      break;
    default: break;
  }
}

void TPLNBaseInspector::HostRemoved() {
  fDoc = nullptr;
  fRows = QJsonArray();
  FillInspector(true);
}

void TPLNBaseInspector::ScheduleRefresh() {
  // A drag changes the items at every pointer move: one rebuild per turn of the event loop.
  if (fRefreshPending) return;
  fRefreshPending = true;
  QTimer::singleShot(0, this, [this] {
    if (fRefreshPending) Refresh(false);
  });
}

void TPLNBaseInspector::Refresh(bool reset) {
  fRefreshPending = false;
  if (reset) SetError({});
  if (fEditRow >= 0 && !reset) {
    // An open editor keeps its row; what it shows is replaced when it closes.
    ScheduleRefresh();
    return;
  }
  fRows = BuildRows();
  FillInspector(reset);
  // While a point is dragged its row is the current one.
  if (fPointsOnly && fDoc) LocatePos(-1, int(Ins::TORVInsTypeBase::Points), 2 * fDoc->Act().MoveIndex - 1);
}

QJsonArray TPLNBaseInspector::BuildRows() {
  if (!fDoc) return {};
  // A point being dragged shows the points alone, so its numbers can be followed.
  const TAct& act = fDoc->Act();
  const bool points = act.Dragging && act.Move == TORVMoveKind::Point &&
                      (fBaseTypes & (1u << int(Ins::TORVInsTypeBase::Points)));
  fPointsOnly = points;
  if (points)
    return Ins::FillInspector(*fDoc, 1u << int(Ins::TORVInsTypeBase::Points), 0, fOptions & (1u << Ins::ioGroupHeads));
  return Ins::FillInspector(*fDoc, fBaseTypes, fTypes, fOptions & (1u << Ins::ioGroupHeads));
}

void TPLNBaseInspector::FillInspector(bool reset) {
  if (reset) {
    CloseEditor(false);
    fScroll->setValue(0);
    fRow = -1;
    fCell = 0;
  }
  fTops.assign(1, 0);
  for (const QJsonValue& r : fRows) fTops.push_back(fTops.back() + r.toObject().value(QStringLiteral("H")).toInt(22));
  if (fRow >= fRows.size()) fRow = -1;
  UpdateScrollBar();
  update();
}

int TPLNBaseInspector::ContentHeight() const { return fTops.empty() ? 0 : fTops.back(); }

void TPLNBaseInspector::UpdateScrollBar() {
  const int view = height() - (fError.isEmpty() ? 0 : kErrorHeight);
  const int content = ContentHeight();
  if (content <= view || fRows.isEmpty()) {
    fScroll->setValue(0);
    fScroll->hide();
    return;
  }
  fScroll->setGeometry(width() - kScrollWidth, 0, kScrollWidth, view);
  fScroll->setRange(0, content - view);
  fScroll->setPageStep(view);
  fScroll->setSingleStep(22);
  fScroll->show();
}

void TPLNBaseInspector::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  UpdateScrollBar();
}

int TPLNBaseInspector::RowTop(int row) const {
  return row >= 0 && row < int(fTops.size()) ? fTops[std::size_t(row)] - fScroll->value() : 0;
}

int TPLNBaseInspector::CaptionWidth() const { return std::max(70, (width() - kScrollWidth) * 2 / 5); }

QRect TPLNBaseInspector::ValueRect(int row) const {
  const int right = width() - (fScroll->isVisible() ? kScrollWidth : 0);
  const int h = fRows[row].toObject().value(QStringLiteral("H")).toInt(22);
  return QRect(CaptionWidth(), RowTop(row), right - CaptionWidth(), h);
}

QRect TPLNBaseInspector::CellRect(int row, int cell) const {
  if (row < 0 || row >= fRows.size()) return {};
  const QJsonObject r = fRows[row].toObject();
  const int n = std::max(1, r.value(QStringLiteral("N")).toInt(1));
  if (cell < 1 || cell > n || r.value(QStringLiteral("Head")).toBool()) return {};
  const QRect v = ValueRect(row);
  const int w = v.width() / n;
  QRect c(v.left() + (cell - 1) * w, v.top(), cell == n ? v.right() - (v.left() + (cell - 1) * w) + 1 : w, v.height());
  const int bottom = height() - (fError.isEmpty() ? 0 : kErrorHeight);
  if (c.bottom() < 0 || c.top() >= bottom) return {};
  return c;
}

QJsonValue TPLNBaseInspector::CellValue(int row, int cell, const char* key) const {
  if (row < 0 || row >= fRows.size()) return {};
  return fRows[row].toObject().value(Key(key, cell));
}

int TPLNBaseInspector::EditorKind(int row, int cell) const { return CellValue(row, cell, "Prop").toInt(0); }

bool TPLNBaseInspector::FindCell(const QString& name, int* row, int* cell) const {
  for (int r = 0; r < fRows.size(); ++r) {
    const QJsonObject o = fRows[r].toObject();
    for (int c = 1; c <= o.value(QStringLiteral("N")).toInt(1); ++c)
      if (o.value(Key("Name", c)).toString() == name) {
        *row = r;
        *cell = c;
        return true;
      }
  }
  return false;
}

bool TPLNBaseInspector::LocatePos(int kind, int type, int prop) {
  const int first = std::max(0, int(std::upper_bound(fTops.begin(), fTops.end(), fScroll->value()) - fTops.begin()) - 1);
  for (int pass = 0; pass < 2; ++pass) {
    // From the first visible row on, then the rows above it.
    const int from = pass == 0 ? first : 0, to = pass == 0 ? int(fRows.size()) : first;
    for (int r = from; r < to; ++r) {
      const QJsonObject o = fRows[r].toObject();
      if (o.value(QStringLiteral("Head")).toBool()) continue;
      if ((kind >= 0 && o.value(QStringLiteral("Kind")).toInt() != kind) || o.value(QStringLiteral("Type")).toInt() != type) continue;
      for (int c = 1; c <= o.value(QStringLiteral("N")).toInt(1); ++c)
        if (o.value(Key("P", c)).toInt() == prop) {
          fRow = r;
          fCell = c;
          return true;
        }
    }
  }
  return false;
}

TPLNBaseInspector::THit TPLNBaseInspector::HitTest(const QPoint& p) const {
  THit h;
  for (int r = 0; r < fRows.size(); ++r) {
    const int top = RowTop(r), bottom = RowTop(r + 1);
    if (p.y() < top || p.y() >= bottom) continue;
    h.Row = r;
    const QJsonObject o = fRows[r].toObject();
    for (int c = 1; c <= o.value(QStringLiteral("N")).toInt(1); ++c) {
      const QRect cr = CellRect(r, c);
      if (!cr.contains(p)) continue;
      h.Cell = c;
      const int kind = o.value(Key("Prop", c)).toInt();
      const bool number = o.value(Key("FE", c)).toInt() != 0 && kind == int(Ins::TORVInsProp::Edit);
      if (number && p.x() >= cr.right() - kArrowWidth) {
        h.Arrows = true;
        h.Up = p.y() < cr.center().y();
      }
      if (kind == int(Ins::TORVInsProp::Color) && p.x() < cr.left() + kSwatch + 8) h.Swatch = true;
    }
    break;
  }
  return h;
}

void TPLNBaseInspector::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), BackColor);
  const int bottom = height() - (fError.isEmpty() ? 0 : kErrorHeight);
  p.setClipRect(0, 0, width(), bottom);
  const QColor grid = ArrowColor.lighter(150);
  for (int r = 0; r < fRows.size(); ++r) {
    const int top = RowTop(r), next = RowTop(r + 1);
    if (next <= 0) continue;
    if (top >= bottom) break;
    const QJsonObject o = fRows[r].toObject();
    const QRect rowRect(0, top, width() - (fScroll->isVisible() ? kScrollWidth : 0), next - top);
    if (o.value(QStringLiteral("Head")).toBool()) {
      p.fillRect(rowRect, TitleColor.lightnessF() > 0.5 ? BackColor.lighter(130) : BackColor.darker(108));
      QFont f = font();
      f.setBold(true);
      p.setFont(f);
      p.setPen(TitleColor);
      p.drawText(rowRect.adjusted(6, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, o.value(QStringLiteral("T1")).toString());
      p.setFont(font());
      continue;
    }
    const bool current = r == fRow;
    const QRect cap(0, top, CaptionWidth(), next - top);
    if (current) p.fillRect(cap, SelColor);
    p.setPen(current ? palette().color(QPalette::HighlightedText) : TitleColor);
    const int n = o.value(QStringLiteral("N")).toInt(1);
    const QString caption = n > 1 ? o.value(QStringLiteral("Caption")).toString() : o.value(QStringLiteral("T1")).toString();
    p.drawText(cap.adjusted(14, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(caption, Qt::ElideRight, cap.width() - 18));
    for (int c = 1; c <= n; ++c) DrawCell(p, CellRect(r, c), r, c, n > 1);
    p.setPen(grid);
    p.drawLine(0, next - 1, rowRect.right(), next - 1);
    p.drawLine(CaptionWidth() - 1, top, CaptionWidth() - 1, next - 1);
  }
  p.setClipping(false);
  if (!fError.isEmpty()) {
    const QRect er(0, bottom, width(), kErrorHeight);
    p.fillRect(er, QColor(0xFF, 0xEB, 0xEB));
    p.setPen(QColor(0xB0, 0, 0));
    p.drawText(er.adjusted(6, 2, -6, -2), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, fError);
  }
}

void TPLNBaseInspector::DrawCell(QPainter& p, const QRect& r, int row, int cell, bool caption) {
  if (r.isEmpty()) return;
  const QJsonObject o = fRows[row].toObject();
  const int kind = o.value(Key("Prop", cell)).toInt();
  const bool mixed = o.value(Key("M", cell)).toBool();
  QString text = mixed ? QStringLiteral("—") : o.value(Key("TV", cell)).toString();
  // Cells sharing a row are narrow: their unit is the row's, left out.
  const QString unit = o.value(Key("C", cell)).toString();
  if (caption && !unit.isEmpty() && text.endsWith(QLatin1Char(' ') + unit)) text.chop(unit.size() + 1);
  QRect tr = r.adjusted(4, 0, -2, 0);
  if (row == fRow && cell == fCell && fEditRow < 0) {
    p.setPen(SelButColor);
    p.drawRect(r.adjusted(0, 0, -1, -2));
  }
  if (caption) {
    p.setPen(TitleColor);
    const QString t = o.value(Key("T", cell)).toString();
    if (kind != int(Ins::TORVInsProp::Toggle)) {
      p.drawText(tr, Qt::AlignVCenter | Qt::AlignLeft, t);
      tr.setLeft(tr.left() + p.fontMetrics().horizontalAdvance(t) + 4);
    }
  }
  p.setPen(kind == int(Ins::TORVInsProp::ReadOnly) ? ArrowColor : ValueColor);
  QFont f = font();
  f.setItalic(mixed);
  p.setFont(f);
  const int cy = r.center().y();
  switch (kind) {
    case int(Ins::TORVInsProp::Color): {
      const QRect sw(tr.left(), cy - kSwatch / 2, kSwatch, kSwatch);
      if (!mixed) {
        const auto argb = static_cast<QRgb>(o.value(Key("Value", cell)).toInteger());
        p.fillRect(sw, QColor::fromRgba(argb));
      }
      p.setPen(ArrowColor);
      p.drawRect(sw);
      p.setPen(ValueColor);
      tr.setLeft(sw.right() + 6);
      p.drawText(tr, Qt::AlignVCenter | Qt::AlignLeft, text);
      break;
    }
    case int(Ins::TORVInsProp::Toggle): {
      const QRect box(tr.left(), cy - 6, 12, 12);
      p.setPen(ArrowColor);
      p.drawRect(box);
      p.setPen(ValueColor);
      if (mixed) p.drawLine(box.left() + 3, cy, box.right() - 3, cy);
      else if (o.value(Key("Value", cell)).toBool()) {
        p.drawLine(box.left() + 2, cy, box.left() + 5, box.bottom() - 2);
        p.drawLine(box.left() + 5, box.bottom() - 2, box.right() - 2, box.top() + 2);
      }
      if (caption) {
        p.setPen(TitleColor);
        p.drawText(tr.adjusted(18, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, o.value(Key("T", cell)).toString());
      }
      break;
    }
    default: {
      int right = tr.right();
      const bool number = o.value(Key("FE", cell)).toInt() != 0 && kind == int(Ins::TORVInsProp::Edit);
      const bool list = kind == int(Ins::TORVInsProp::List) || kind == int(Ins::TORVInsProp::Font) ||
                        kind == int(Ins::TORVInsProp::Field);
      const bool form = kind == int(Ins::TORVInsProp::Memo) || kind == int(Ins::TORVInsProp::File) ||
                        kind == int(Ins::TORVInsProp::Table) || kind == int(Ins::TORVInsProp::Poly);
      if (number || list || form) {
        right -= kArrowWidth;
        p.setPen(Qt::NoPen);
        p.setBrush(ArrowColor);
        const int ax = r.right() - kArrowWidth / 2 - 1;
        if (number) {
          p.drawPolygon(QPolygon({QPoint(ax - 4, cy - 2), QPoint(ax + 4, cy - 2), QPoint(ax, cy - 7)}));
          p.drawPolygon(QPolygon({QPoint(ax - 4, cy + 2), QPoint(ax + 4, cy + 2), QPoint(ax, cy + 7)}));
        } else if (list) {
          p.drawPolygon(QPolygon({QPoint(ax - 4, cy - 2), QPoint(ax + 4, cy - 2), QPoint(ax, cy + 3)}));
        } else {
          for (int d = -4; d <= 4; d += 4) p.drawEllipse(QPoint(ax + d, cy + 2), 1, 1);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(ValueColor);
      }
      const QString line = text.section(QLatin1Char('\n'), 0, 0);
      p.drawText(QRect(tr.left(), r.top(), right - tr.left(), r.height()), Qt::AlignVCenter | Qt::AlignLeft,
                 p.fontMetrics().elidedText(line, Qt::ElideRight, right - tr.left()));
    }
  }
  p.setFont(font());
}

void TPLNBaseInspector::mousePressEvent(QMouseEvent* e) {
  setFocus();
  if (e->button() != Qt::LeftButton || !fDoc) return;
  const THit h = HitTest(e->position().toPoint());
  if (h.Row < 0) return;
  CloseEditor(true);
  if (fRows[h.Row].toObject().value(QStringLiteral("Head")).toBool()) return;
  fRow = h.Row;
  fCell = h.Cell > 0 ? h.Cell : 1;
  update();
  if (h.Cell <= 0) return;
  if (h.Arrows) {
    fStepDirection = h.Up ? 1 : -1;
    StepValue(fStepDirection);
    // Holding the arrow repeats the step.
    fTimer->start();
    return;
  }
  if (h.Swatch) {
    OpenColor(h.Row, h.Cell);
    return;
  }
  PropEditor(h.Row, h.Cell);
}

void TPLNBaseInspector::mouseReleaseEvent(QMouseEvent*) {
  fTimer->stop();
  fStepDirection = 0;
}

void TPLNBaseInspector::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void TPLNBaseInspector::wheelEvent(QWheelEvent* e) {
  if (!fScroll->isVisible()) return;
  fScroll->setValue(fScroll->value() - e->angleDelta().y() / 120 * 3 * 22);
}

void TPLNBaseInspector::keyPressEvent(QKeyEvent* e) {
  auto move = [this](int step) {
    for (int r = fRow + step; r >= 0 && r < fRows.size(); r += step)
      if (!fRows[r].toObject().value(QStringLiteral("Head")).toBool()) {
        fRow = r;
        fCell = 1;
        // Keep the current row in sight.
        const int view = height() - (fError.isEmpty() ? 0 : kErrorHeight);
        if (RowTop(r) < 0) fScroll->setValue(fTops[std::size_t(r)]);
        else if (RowTop(r + 1) > view) fScroll->setValue(fTops[std::size_t(r) + 1] - view);
        update();
        return;
      }
  };
  switch (e->key()) {
    case Qt::Key_Down: move(1); return;
    case Qt::Key_Up: move(-1); return;
    case Qt::Key_Left:
      if (fRow >= 0 && fCell > 1) --fCell;
      update();
      return;
    case Qt::Key_Right:
      if (fRow >= 0 && fCell < fRows[fRow].toObject().value(QStringLiteral("N")).toInt(1)) ++fCell;
      update();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
    case Qt::Key_Space:
      if (fRow >= 0) PropEditor(fRow, std::max(1, fCell));
      return;
    case Qt::Key_PageDown: fScroll->setValue(fScroll->value() + fScroll->pageStep()); return;
    case Qt::Key_PageUp: fScroll->setValue(fScroll->value() - fScroll->pageStep()); return;
    default: break;
  }
  // Typing on a text or number cell starts editing it with what was typed.
  if (fRow >= 0 && EditorKind(fRow, fCell) == int(Ins::TORVInsProp::Edit) && !e->text().isEmpty() && e->text()[0].isPrint()) {
    Edit(fRow, fCell);
    fEdit->setText(e->text());
    return;
  }
  QWidget::keyPressEvent(e);
}

void TPLNBaseInspector::PropEditor(int row, int cell) {
  if (!fDoc || row < 0 || row >= fRows.size()) return;
  fRow = row;
  fCell = cell;
  const QJsonObject o = fRows[row].toObject();
  switch (Ins::TORVInsProp(EditorKind(row, cell))) {
    case Ins::TORVInsProp::Toggle: {
      // Mixed values all become true.
      const bool now = o.value(Key("M", cell)).toBool() ? false : o.value(Key("Value", cell)).toBool();
      SendValue(QJsonObject{{QStringLiteral("bol"), !now}});
      break;
    }
    case Ins::TORVInsProp::Color:
    case Ins::TORVInsProp::Edit: Edit(row, cell); break;
    case Ins::TORVInsProp::List:
    case Ins::TORVInsProp::Font:
    case Ins::TORVInsProp::Field: OpenList(row, cell); break;
    case Ins::TORVInsProp::Memo: OpenMemo(row, cell); break;
    case Ins::TORVInsProp::File: OpenFile(row, cell); break;
    case Ins::TORVInsProp::Table:
    case Ins::TORVInsProp::Poly: OpenItemEditor(Ins::TORVInsProp(EditorKind(row, cell))); return;
    default: break;
  }
  update();
}

void TPLNBaseInspector::Edit(int row, int cell) {
  const QRect r = CellRect(row, cell);
  if (r.isEmpty()) return;
  const QJsonObject o = fRows[row].toObject();
  fEditRow = row;
  fEditCell = cell;
  QString text = o.value(Key("M", cell)).toBool() ? QString() : o.value(Key("TV", cell)).toString();
  // Numbers are edited without their unit; a typed unit still counts.
  const QString unit = o.value(Key("C", cell)).toString();
  if (!unit.isEmpty() && text.endsWith(QLatin1Char(' ') + unit)) text.chop(unit.size() + 1);
  QRect er = r.adjusted(1, 1, -1, -1);
  if (o.value(Key("FE", cell)).toInt() != 0) er.setRight(er.right() - kArrowWidth);
  if (EditorKind(row, cell) == int(Ins::TORVInsProp::Color)) er.setLeft(er.left() + kSwatch + 8);
  fEdit->setGeometry(er);
  fEdit->setText(text);
  fEdit->selectAll();
  QPalette pal = fEdit->palette();
  pal.setColor(QPalette::Base, EditColor);
  fEdit->setPalette(pal);
  fEdit->setStyleSheet({});
  fEdit->show();
  fEdit->setFocus();
}

bool TPLNBaseInspector::UpdateNumberProp(bool final) {
  if (fEditRow < 0) return false;
  fRow = fEditRow;
  fCell = fEditCell;
  const bool ok = SendValue(QJsonObject{{QStringLiteral("txt"), fEdit->text()}});
  if (!ok) {
    // Refused in place: the typed text stays for correcting.
    fEdit->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid #C00000; }"));
    return false;
  }
  if (final) CloseEditor(false);
  return true;
}

void TPLNBaseInspector::CloseEditor(bool commit) {
  if (fEditRow < 0) return;
  if (commit && fEdit->isVisible() && fEdit->isModified()) {
    if (!UpdateNumberProp(true)) {
      // Leaving a refused value drops it; the message stays.
      fEditRow = -1;
      fEdit->hide();
      Refresh(false);
      return;
    }
  }
  fEditRow = -1;
  fEdit->hide();
  fCombo->hide();
  setFocus();
  if (fRefreshPending) Refresh(false);
  update();
}

bool TPLNBaseInspector::eventFilter(QObject* watched, QEvent* e) {
  if (watched == fEdit && e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    const bool number = fEditRow >= 0 && CellValue(fEditRow, fEditCell, "FE").toInt() != 0;
    switch (k->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (fEdit->isModified()) UpdateNumberProp(true);
        else CloseEditor(false);
        return true;
      case Qt::Key_Escape:
        CloseEditor(false);
        return true;
      case Qt::Key_Up:
      case Qt::Key_Down:
        if (number) {
          StepValue(k->key() == Qt::Key_Up ? 1 : -1);
          return true;
        }
        break;
      default:
        if (fEditRow >= 0 && (CellValue(fEditRow, fEditCell, "AT").toInt() & Ins::atBarcodeKeys) && !k->text().isEmpty() &&
            k->text()[0].isPrint() && !KeyBarcodeValid(k->text()[0]))
          return true;
        if (k->matches(QKeySequence::Paste)) {
          PasteFromClipBoard();
          return true;
        }
    }
  } else if (watched == fEdit && e->type() == QEvent::FocusOut && fEditRow >= 0 && !fSending) {
    CloseEditor(true);
  }
  return QWidget::eventFilter(watched, e);
}

bool TPLNBaseInspector::KeyBarcodeValid(QChar key) {
  // What a linear code can carry: printable ASCII.
  return key.unicode() >= 0x20 && key.unicode() < 0x7F;
}

void TPLNBaseInspector::PasteFromClipBoard() {
  if (fEditRow < 0) return;
  QString t = QApplication::clipboard()->text();
  t.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
  if (CellValue(fEditRow, fEditCell, "AT").toInt() & Ins::atBarcodeKeys) {
    QString kept;
    for (QChar c : t)
      if (KeyBarcodeValid(c)) kept += c;
    t = kept;
  }
  fEdit->insert(t);
}

void TPLNBaseInspector::StepValue(int direction) {
  const int row = fEditRow >= 0 ? fEditRow : fRow, cell = fEditRow >= 0 ? fEditCell : fCell;
  if (row < 0 || direction == 0) return;
  const QJsonObject o = fRows[row].toObject();
  if (o.value(Key("FE", cell)).toInt() == 0 || EditorKind(row, cell) != int(Ins::TORVInsProp::Edit)) return;
  double v = o.value(Key("Value", cell)).toDouble();
  if (fEditRow >= 0 && fEdit->isModified()) {
    // Steps go from what was typed, when it is a number.
    bool ok = false;
    const double typed = QLocale::c().toDouble(fEdit->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    if (ok) v = typed;
  }
  const double step = o.value(Key("I", cell)).toDouble(1);
  const double next = v + direction * step;
  // At a limit the step is not taken.
  if (next > o.value(Key("X", cell)).toDouble() + 1e-9 || next < o.value(Key("L", cell)).toDouble() - 1e-9) {
    fTimer->stop();
    return;
  }
  fRow = row;
  fCell = cell;
  const QString key = o.value(Key("FE", cell)).toInt() == 1 ? QStringLiteral("int") : QStringLiteral("ext");
  const QJsonValue sent = key == QLatin1String("int") ? QJsonValue(qint64(std::llround(next))) : QJsonValue(next);
  if (SendValue(QJsonObject{{key, sent}}) && fEditRow >= 0) {
    QString text = fRows[row].toObject().value(Key("TV", cell)).toString();
    const QString unit = o.value(Key("C", cell)).toString();
    if (!unit.isEmpty() && text.endsWith(QLatin1Char(' ') + unit)) text.chop(unit.size() + 1);
    fEdit->setText(text);
    fEdit->setModified(false);
  }
}

void TPLNBaseInspector::IncValue() { StepValue(1); }
void TPLNBaseInspector::DecValue() { StepValue(-1); }

bool TPLNBaseInspector::SendValue(const QJsonObject& value) {
  if (!fDoc || fRows.isEmpty() || fRow < 0 || fRow >= fRows.size()) return false;
  const QJsonObject o = fRows[fRow].toObject();
  QJsonObject result;
  {
    // Our own change: the rows are updated from the result, not rebuilt.
    const QScopedValueRollback<bool> guard(fSending, true);
    result = Ins::UpdateProp(*fDoc, o.value(Key("Prop", fCell)).toInt(), o.value(QStringLiteral("Kind")).toInt(),
                             o.value(QStringLiteral("Type")).toInt(), o.value(Key("P", fCell)).toInt(), value, fBaseTypes,
                             fTypes);
  }
  if (!result.value(QStringLiteral("Ok")).toBool()) {
    SetError(result.value(QStringLiteral("Error")).toString());
    update();
    return false;
  }
  SetError({});
  UpdateLinkedProp(result);
  return true;
}

void TPLNBaseInspector::UpdateLinkedProp(const QJsonObject& result) {
  if (result.value(QStringLiteral("Rebuild")).toBool()) {
    fRefreshPending = false;
    const int row = fRow, cell = fCell, scroll = fScroll->value();
    fRows = BuildRows();
    FillInspector(false);
    fScroll->setValue(scroll);
    fRow = row < fRows.size() ? row : -1;
    fCell = cell;
    update();
    return;
  }
  auto set = [this](int row, int cell, const QJsonObject& from) {
    QJsonObject o = fRows[row].toObject();
    o[Key("Value", cell)] = from.value(QStringLiteral("Value"));
    o[Key("TV", cell)] = from.value(QStringLiteral("TV"));
    o[Key("M", cell)] = from.value(QStringLiteral("M"));
    int at = o.value(Key("AT", cell)).toInt() & ~Ins::atMixed;
    o[Key("AT", cell)] = at | (from.value(QStringLiteral("M")).toBool() ? Ins::atMixed : 0);
    fRows[row] = o;
  };
  if (fRow >= 0 && fRow < fRows.size() && result.contains(QStringLiteral("Value"))) set(fRow, fCell, result);
  const int row = fRow, cell = fCell;
  for (const QJsonValue& l : result.value(QStringLiteral("Link")).toArray()) {
    const QJsonObject link = l.toObject();
    if (LocatePos(-1, link.value(QStringLiteral("Type")).toInt(), link.value(QStringLiteral("Pos")).toInt()))
      set(fRow, fCell, link);
  }
  fRow = row;
  fCell = cell;
  update();
}

void TPLNBaseInspector::SetError(const QString& message) {
  if (message == fError) return;
  fError = message;
  UpdateScrollBar();
  update();
  emit ErrorChanged(fError);
}

void TPLNBaseInspector::OpenList(int row, int cell) {
  const QRect r = CellRect(row, cell);
  if (r.isEmpty()) return;
  const QJsonObject o = fRows[row].toObject();
  const int kind = EditorKind(row, cell);
  fCombo->clear();
  if (kind == int(Ins::TORVInsProp::Font)) {
    fCombo->addItems(FontList(fDoc, this));
    const int i = fCombo->findText(o.value(Key("Value", cell)).toString(), Qt::MatchFixedString);
    if (i < 0) fCombo->insertItem(0, o.value(Key("Value", cell)).toString());
    fCombo->setCurrentIndex(std::max(0, i));
  } else if (kind == int(Ins::TORVInsProp::Field)) {
    for (const QJsonValue& f : o.value(Key("List", cell)).toArray())
      fCombo->addItem(f.toString().isEmpty() ? TPLNMsg::GetListValue(QStringLiteral("NoField")) : f.toString(), f.toString());
    fCombo->setCurrentIndex(std::max(0, fCombo->findData(o.value(Key("Value", cell)).toString())));
  } else {
    for (const QJsonValue& f : o.value(Key("List", cell)).toArray()) fCombo->addItem(f.toString());
    fCombo->setCurrentIndex(o.value(Key("Value", cell)).toInt(-1));
  }
  fEditRow = row;
  fEditCell = cell;
  fCombo->setGeometry(r);
  fCombo->show();
  fCombo->showPopup();
}

void TPLNBaseInspector::OpenColor(int row, int cell) {
  if (EditorKind(row, cell) != int(Ins::TORVInsProp::Color)) return;
  fRow = row;
  fCell = cell;
  auto* dlg = new QColorDialog(QColor::fromRgba(static_cast<QRgb>(CellValue(row, cell, "Value").toInteger())), this);
  dlg->setObjectName(QStringLiteral("inspectorColor"));
  dlg->setOption(QColorDialog::ShowAlphaChannel);
  dlg->setAttribute(Qt::WA_DeleteOnClose);
  connect(dlg, &QColorDialog::colorSelected, this, [this, row, cell](const QColor& c) {
    fRow = row;
    fCell = cell;
    SendValue(QJsonObject{{QStringLiteral("i64"), qint64(c.rgba())}});
  });
  dlg->open();
}

void TPLNBaseInspector::OpenMemo(int row, int cell) {
  auto* dlg = new QDialog(this);
  dlg->setObjectName(QStringLiteral("inspectorText"));
  dlg->setWindowTitle(CellValue(row, cell, "T").toString());
  dlg->setAttribute(Qt::WA_DeleteOnClose);
  auto* box = new QVBoxLayout(dlg);
  auto* text = new QPlainTextEdit(dlg);
  text->setObjectName(QStringLiteral("text"));
  text->setPlainText(CellValue(row, cell, "M").toBool() ? QString() : CellValue(row, cell, "Value").toString());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dlg);
  box->addWidget(text);
  box->addWidget(buttons);
  dlg->resize(460, 300);
  connect(buttons, &QDialogButtonBox::accepted, dlg, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, dlg, &QDialog::reject);
  connect(dlg, &QDialog::accepted, this, [this, row, cell, text] {
    fRow = row;
    fCell = cell;
    SendValue(QJsonObject{{QStringLiteral("txt"), text->toPlainText()}});
  });
  dlg->open();
}

void TPLNBaseInspector::OpenFile(int row, int cell) {
  if (!OnPickFile || !fDoc) return;
  const QString file = OnPickFile(fDoc->PictureFolder());
  if (file.isEmpty()) return;
  fRow = row;
  fCell = cell;
  SendValue(QJsonObject{{QStringLiteral("txt"), file}});
  // The next picture is looked for where this one was taken from.
  if (LastError().isEmpty()) fDoc->PictureChosen(file);
}

void TPLNBaseInspector::OpenItemEditor(Ins::TORVInsProp kind) {
  if (!fDoc) return;
  if (OnShowEditor) {
    OnShowEditor(fDoc, kind);
  } else if (kind == Ins::TORVInsProp::Table) {
    TfEdTable form(window());
    form.Ini(fDoc);
    form.exec();
  } else {
    TfEdPoly form(window());
    form.Ini(fDoc);
    form.exec();
  }
  // The form changed the item behind the rows' backs: show what it holds now.
  Refresh(false);
}

TPLNInspector::TPLNInspector(QWidget* parent) : TPLNBaseInspector(parent) {}

}  // namespace Orv::Fmx
