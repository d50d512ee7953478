#include "TPLNGauges.h"

#include <algorithm>
#include <cmath>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"
#include "ORV.Text.h"
#include "TPLNText.h"
#include "TPLNSurface.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using namespace Orv::Fmx::TextDraw;
using F2d::TORVLevelType;
using F2d::TORVRankType;

namespace {

QPainterPath Oval(const QRectF& r) {
  QPainterPath p;
  p.addEllipse(r);
  return p;
}

// The disc of a level: the largest circle in its box, at its centre.
QRectF Disc(const QRectF& box) {
  const double d = std::min(box.width(), box.height());
  return QRectF(box.center().x() - d / 2, box.center().y() - d / 2, d, d);
}

// An arc of the device's clockwise degrees as Qt, whose angles turn counter-clockwise, takes it.
QPainterPath ArcPath(const QRectF& oval, double start, double sweep, bool closed) {
  QPainterPath p;
  p.arcMoveTo(oval, -start);
  p.arcTo(oval, -start, -sweep);
  if (closed) p.closeSubpath();
  return p;
}

void PaintLevel(const TPLNLevel& level, TItemSurface& s, const QRectF& box, double value, double penPixels) {
  const QRectF disc = Disc(box);
  if (!(disc.width() > 0)) return;
  const QPainterPath whole = Oval(disc);
  const double f = level.Fraction(value);
  const bool filled = ShowsFill(level), pen = level.GetPenWidth() > 0;
  const auto type = static_cast<TORVLevelType>(level.LevelType());
  if (type == TORVLevelType::FluidHorz || type == TORVLevelType::FluidVert) {
    // A full gauge is all value; a partial one shows its back under the liquid.
    if (f >= 1) s.Fill(whole, level.ValueColor());
    else if (filled) s.Fill(whole, level.GetBackColor());
    if (f > 0 && f < 1) s.Fill(level.GetPath(disc, value), level.ValueColor());
    if (pen) s.Outline(whole, level);
  } else {
    if (filled) s.Fill(whole, level.GetBackColor());
    // The dial's ring: a track of the sweep's full length, then the value along it, inside the
    // disc and thick enough to read at any pen width.
    const double width = std::max(penPixels, disc.width() * 0.08);
    const QRectF ring = disc.adjusted(width / 2, width / 2, -width / 2, -width / 2);
    double start = 0, sweep = 0;
    level.FilledArc(level.Maximum() > 0 ? level.Maximum() : 1, start, sweep);
    if (pen && sweep > 0) s.Stroke(ArcPath(ring, start, sweep, false), level.GetColor(), width);
    level.FilledArc(value, start, sweep);
    if (f > 0 && sweep > 0) s.Stroke(ArcPath(ring, start, sweep, false), level.ValueColor(), width * 0.7);
  }
  if (!level.GetText().isEmpty())
    s.Text(level.GetText(), disc.center(), Utils::PrintAngle(level.GetAngle()), level.GetFontName(), level.Bold(),
           level.Italic(), level.GetFontHeight(), level.GetFontColor());
}

void PaintRank(const TPLNRank& rank, TItemSurface& s, const QRectF& box, double gap, int position) {
  const std::vector<QRectF> cells = rank.Cells(box, gap);
  const bool filled = ShowsFill(rank), pen = rank.GetPenWidth() > 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const bool on = int(i) < position;
    if (!on && !rank.DrawEmpty()) continue;
    QPainterPath shape;
    switch (static_cast<TORVRankType>(rank.RankType())) {
      case TORVRankType::Square: shape.addRect(cells[i]); break;
      case TORVRankType::Circle: shape.addEllipse(cells[i]); break;
      case TORVRankType::Star: shape = TPLNRank::GetPathStar(cells[i]); break;
      case TORVRankType::Rhombus: shape = TPLNRank::GetPathRhombus(cells[i]); break;
    }
    if (!on) s.Fill(shape, rank.EmptyColor());
    else if (filled) s.Fill(shape, rank.GetBackColor());
    if (pen) s.Outline(shape, rank);
  }
}

// The number in a data field's text, 0 when it holds none.
double NumberIn(const QString& text, bool* ok) {
  QString t = text.trimmed();
  double v = t.toDouble(ok);
  if (!*ok) v = QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(ok);
  return *ok && std::isfinite(v) ? v : 0;
}

}  // namespace

// ---------------------------------------------------------------- level

double TPLNLevel::ShownValue(const TPLNBaseDraw& draw) const {
  if (!GetIsData() || !ShowsData(draw)) return Value();
  bool ok = false;
  return NumberIn(DataText(*this, &draw, FillType(), FillName(), GetFormat(), QString::number(Value())), &ok);
}

QPainterPath TPLNLevel::GetPath(const QRectF& box, double value) const {
  const auto type = static_cast<TORVLevelType>(LevelType());
  if (type != TORVLevelType::FluidHorz && type != TORVLevelType::FluidVert) return {};
  double start = 0, sweep = 0;
  FilledArc(value, start, sweep);
  // The chord closes the segment.
  return ArcPath(Disc(box), start, sweep, true);
}

void TPLNLevel::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  const QRectF box = QRectF(ScreenPos(*d, GetPoint(1)), ScreenPos(*d, GetPoint(2))).normalized();
  TScreenSurface s(d);
  PaintLevel(*this, s, box, ShownValue(*d), Utils::BasePtoY(GetPenWidth(), *d));
  if (GetIsData() && d->DrawState == TORVDrawState::Editor)
    DrawData(d, float(box.center().x()), float(box.center().y()));
}

void TPLNLevel::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  const QRectF box = QRectF(PrintPos(*d, GetPoint(1)), PrintPos(*d, GetPoint(2))).normalized();
  TPaperSurface s(d);
  PaintLevel(*this, s, box, ShownValue(*d), Utils::BasePtoY(GetPenWidth(), *d));
}

TPLNLevel* TPLNLevel::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNLevel>(owner, version, r, readType);
}
TPLNLevel* TPLNLevel::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNLevel>(owner, version, o);
}

// ---------------------------------------------------------------- rank

int TPLNRank::ShownPosition(const TPLNBaseDraw& draw) const {
  if (!GetIsData() || !ShowsData(draw)) return Position();
  bool ok = false;
  const double v = NumberIn(DataText(*this, &draw, FillType(), FillName(), GetFormat(), GetText()), &ok);
  return int(std::clamp(std::round(v), 0.0, double(Maximum())));
}

QPainterPath TPLNRank::GetPathStar(const QRectF& rect) {
  QPainterPath p;
  for (std::size_t i = 0; i < F2d::StarPoints.size(); ++i) {
    const QPointF at(rect.left() + rect.width() * F2d::StarPoints[i].x() / 100,
                     rect.top() + rect.height() * F2d::StarPoints[i].y() / 100);
    i == 0 ? p.moveTo(at) : p.lineTo(at);
  }
  p.closeSubpath();
  return p;
}

QPainterPath TPLNRank::GetPathRhombus(const QRectF& rect) {
  QPainterPath p;
  const QPointF c = rect.center();
  p.moveTo(c.x(), rect.top());
  p.lineTo(rect.right(), c.y());
  p.lineTo(c.x(), rect.bottom());
  p.lineTo(rect.left(), c.y());
  p.closeSubpath();
  return p;
}

void TPLNRank::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  const QRectF box = QRectF(ScreenPos(*d, GetPoint(1)), ScreenPos(*d, GetPoint(2))).normalized();
  TScreenSurface s(d);
  PaintRank(*this, s, box, d->GetDrawY(GetBaseGap()), ShownPosition(*d));
  if (GetIsData() && d->DrawState == TORVDrawState::Editor) DrawData(d, float(box.left()), float(box.top()));
}

void TPLNRank::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  const QRectF box = QRectF(PrintPos(*d, GetPoint(1)), PrintPos(*d, GetPoint(2))).normalized();
  TPaperSurface s(d);
  PaintRank(*this, s, box, d->GetDrawY(GetBaseGap()), ShownPosition(*d));
}

TPLNRank* TPLNRank::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNRank>(owner, version, r, readType);
}
TPLNRank* TPLNRank::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNRank>(owner, version, o);
}

}  // namespace Orv::Fmx
