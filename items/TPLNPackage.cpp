#include "TPLNPackage.h"

#include <algorithm>
#include <cmath>

#include "ORV.FMX.Shared.h"
#include "ORV.Text.h"
#include "TPLNSurface.h"

namespace Orv::Fmx {

using F2d::TORVPackageStyle;

namespace {

const QString kFamily = QStringLiteral("Arial");
// The room between a text and what it names, base units.
constexpr std::int64_t kTextGap = 2000;

bool SizesBeside(std::uint8_t style) {
  return style == std::uint8_t(TORVPackageStyle::WireframeDim) || style == std::uint8_t(TORVPackageStyle::SolidDim);
}
bool Solid(std::uint8_t style) {
  return style == std::uint8_t(TORVPackageStyle::Solid) || style == std::uint8_t(TORVPackageStyle::SolidDim);
}
bool Drilled(std::uint8_t style) {
  return style == std::uint8_t(TORVPackageStyle::PartDrill) || style == std::uint8_t(TORVPackageStyle::PartDrillDim);
}

QPainterPath Closed(std::initializer_list<QPointF> pts) {
  QPainterPath p;
  for (const QPointF& q : pts) p.elementCount() == 0 ? p.moveTo(q) : p.lineTo(q);
  p.closeSubpath();
  return p;
}

}  // namespace

TPLNPackage::TLayout TPLNPackage::Layout(const TPLNBaseDraw& d, const QRectF& box) const {
  TLayout l;
  QRectF r = box;
  if (SizesBeside(Style())) {
    const double strip = box.width() * 0.35;
    l.Strip = QRectF(box.left(), box.top(), strip, box.height());
    r.setLeft(box.left() + strip);
  }
  const auto x = [&](std::int64_t b) { return double(d.GetDrawX(b)); };
  const auto y = [&](std::int64_t b) { return double(d.GetDrawY(b)); };
  if (Style() == std::uint8_t(TORVPackageStyle::PartDrillDim)) {
    // The sizes go along the part's left and bottom edges.
    const std::int64_t room = Values().FontHeightSizes + kTextGap;
    r.adjust(x(room), y(kTextGap), -x(kTextGap), -y(room));
  } else {
    const std::int64_t room = Values().FontHeightBox + kTextGap;
    r.adjust(x(room), y(room), -x(room), -y(room));
  }
  l.Content = r.isValid() ? r : QRectF();
  return l;
}

void TPLNPackage::Paint(TPLNDraw* d, TItemSurface& s, const QRectF& box) {
  // The frame, as a rectangle draws itself.
  const float rx = d->GetDrawX(GetBaseRadio()), ry = d->GetDrawY(GetBaseRadio());
  QPainterPath frame;
  frame.addRoundedRect(box, rx, ry);
  if (ShowsFill(*this)) s.Fill(frame, GetBackColor());
  if (GetPenWidth() > 0) {
    const TFrameStroke f = FrameStroke(box, rx, ry, float(Utils::BasePtoY(GetPenWidth(), *d)));
    QPainterPath outline;
    outline.addRoundedRect(f.Rect, f.Rx, f.Ry);
    s.Outline(outline, *this);
  }

  const TLayout l = Layout(*d, box);
  if (!l.Strip.isEmpty()) PaintSizes(d, s, l.Strip);
  const QRectF r = l.Content;
  if (r.isEmpty()) return;
  const double thin = Utils::BasePtoY(200, *d);  // 0.2 mm
  const double boxText = GetFontHeightBox(), sizesText = GetFontHeightSizes();
  const double gapX = d->GetDrawX(kTextGap) / 2, gapY = d->GetDrawY(kTextGap) / 2;
  const double w = SizeWidth(), len = SizeLength(), h = SizeHeight();

  if (h <= 0) {
    // A flat part seen from above, in its own proportions.
    const QRectF p = F2d::CenteredRect(w, len, r);
    if (p.isEmpty()) return;
    QPainterPath part;
    part.addRect(p);
    if (Solid(Style())) s.Fill(part, BoxColor());
    else s.Stroke(part, BoxColor(), thin);
    if (Style() != std::uint8_t(TORVPackageStyle::PartDrill)) {
      const double th = Style() == std::uint8_t(TORVPackageStyle::PartDrillDim) ? sizesText : boxText;
      const double halfX = d->GetDrawX(std::int64_t(th * 1000)) / 2, halfY = d->GetDrawY(std::int64_t(th * 1000)) / 2;
      s.Text(SizeText(w), QPointF(p.center().x(), p.bottom() + gapY + halfY), 0, kFamily, false, false, th, GetFontColor());
      s.Text(SizeText(len), QPointF(p.left() - gapX - halfX, p.center().y()), 270, kFamily, false, false, th,
             GetFontColor());
    }
    if (Drilled(Style())) {
      // Holes are measured from the part's bottom-left corner.
      const auto at = [&](double x, double y) { return QPointF(p.left() + p.width() * x / w, p.bottom() - p.height() * y / len); };
      for (int i = 0; i < GetNumDrills(); ++i) {
        const F2d::TORVDrill& dr = GetDrillPoint(i);
        const double radius = p.width() * dr.Diameter / w / 2;
        QPainterPath hole;
        hole.addEllipse(at(dr.X, dr.Y), radius, radius);
        s.Stroke(hole, GetColor(), 0);
      }
      for (int i = 0; i < GetNumSlots(); ++i) {
        const F2d::TORVSlot& sl = GetSlot(i);
        const QPolygonF poly = F2d::CalculateSlotPolygon(at(sl.X1, sl.Y1), at(sl.X2, sl.Y2), p.width() * sl.Width / w);
        QPainterPath slot;
        slot.addPolygon(poly);
        slot.closeSubpath();
        s.Stroke(slot, GetColor(), 0);
      }
    }
    return;
  }

  // The carton in isometric view, fitted into the content rectangle.
  const F2d::TBoxProjection b = F2d::ProjectBox(w, len, h, r);
  if (!(b.Scale > 0)) return;
  const auto& c = b.Corner;
  if (Solid(Style())) {
    // The three faces towards the viewer: the top (z = 0) and the two fronts.
    const QPainterPath faces[] = {Closed({c[0], c[1], c[3], c[2]}), Closed({c[0], c[2], c[6], c[4]}),
                                  Closed({c[0], c[1], c[5], c[4]})};
    // All faces first: a later fill would hide half of an earlier face's edges.
    for (const QPainterPath& face : faces) s.Fill(face, BoxColor());
    for (const QPainterPath& face : faces) s.Stroke(face, GetColor(), thin);
  } else {
    static const int kEdges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                      {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    QPainterPath edges;
    for (const auto& e : kEdges) {
      edges.moveTo(c[std::size_t(e[0])]);
      edges.lineTo(c[std::size_t(e[1])]);
    }
    s.Stroke(edges, BoxColor(), thin);
  }
  const double halfX = d->GetDrawX(std::int64_t(boxText * 1000)) / 2, halfY = d->GetDrawY(std::int64_t(boxText * 1000)) / 2;
  // The height beside the leftmost upright edge, the width and length under the lower edges.
  const QPointF left = (c[2] + c[6]) / 2, widthMid = (c[4] + c[5]) / 2, lengthMid = (c[4] + c[6]) / 2;
  s.Text(SizeText(h), QPointF(left.x() - gapX - halfX, left.y()), 270, kFamily, false, false, boxText, GetFontColor());
  s.Text(SizeText(w), QPointF(widthMid.x(), widthMid.y() + gapY + halfY), 0, kFamily, false, false, boxText,
         GetFontColor());
  s.Text(SizeText(len), QPointF(lengthMid.x(), lengthMid.y() + gapY + halfY), 0, kFamily, false, false, boxText,
         GetFontColor());
}

void TPLNPackage::PaintSizes(TPLNDraw* d, TItemSurface& s, const QRectF& strip) {
  const double th = GetFontHeightSizes();
  const double line = d->GetDrawY(std::int64_t(th * 1000)) * 1.4;
  const QStringList rows = {NameWidth() + QStringLiteral(": ") + SizeText(SizeWidth()),
                            NameLength() + QStringLiteral(": ") + SizeText(SizeLength()),
                            NameHeight() + QStringLiteral(": ") + SizeText(SizeHeight())};
  const int n = SizeHeight() > 0 ? 3 : 2;
  double y = strip.center().y() - line * (n - 1) / 2;
  for (int i = 0; i < n; ++i, y += line)
    s.Text(rows[i], QPointF(strip.center().x(), y), 0, kFamily, false, false, th, GetFontColor());
}

void TPLNPackage::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  TScreenSurface s(d);
  Paint(d, s, QRectF(ScreenPos(*d, GetPoint(1)), ScreenPos(*d, GetPoint(2))).normalized());
}

void TPLNPackage::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  TPaperSurface s(d);
  Paint(d, s, QRectF(PrintPos(*d, GetPoint(1)), PrintPos(*d, GetPoint(2))).normalized());
}

void TPLNPackage::DrawSizes(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  TScreenSurface s(d);
  PaintSizes(d, s, Layout(*d, QRectF(ScreenPos(*d, GetPoint(1)), ScreenPos(*d, GetPoint(2))).normalized()).Strip);
}

void TPLNPackage::PrintSizes(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  TPaperSurface s(d);
  PaintSizes(d, s, Layout(*d, QRectF(PrintPos(*d, GetPoint(1)), PrintPos(*d, GetPoint(2))).normalized()).Strip);
}

TPLNPackage* TPLNPackage::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNPackage>(owner, version, r, readType);
}
TPLNPackage* TPLNPackage::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNPackage>(owner, version, o);
}

}  // namespace Orv::Fmx
