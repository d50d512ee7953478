#include "TPLNPolygon.h"

#include <QPolygonF>

#include "ORV.FMX.Shared.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;

TPLNPolygon::~TPLNPolygon() = default;

TSkPath TPLNPolygon::GetPath(const TPLNBaseDraw* draw) const {
  TSkPathBuilder b;
  const int n = NumPoints();
  for (int i = 1; i <= n; ++i) {
    const QPointF q = ScreenPos(*draw, GetPoint(i));
    if (i == 1) b.MoveTo(float(q.x()), float(q.y())); else b.LineTo(float(q.x()), float(q.y()));
  }
  if (n > 0) b.Close();
  return b.Detach();
}

void TPLNPolygon::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  const TSkPath path = GetPath(d);
  TSkPaint& p = *d->kP;
  if (ShowsFill(*this)) {
    SetupFill(d, GetBackColor(), true);
    d->kC->DrawPath(path, p);
  }
  // In the editor the outline is drawn even with no pen: a zero width is a hairline, so the
  // shape stays visible there. Exports and the preview show what prints: no outline.
  const bool editing = d->DrawState == TORVDrawState::Editor || d->DrawState == TORVDrawState::EditorUpdate ||
                       d->DrawState == TORVDrawState::Library;
  if (GetPenWidth() <= 0 && !editing) return;
  p.AntiAlias = true;
  SetupPen(d, *this);
  p.Style = TSkPaintStyle::Stroke;
  d->kC->DrawPath(path, p);
}

void TPLNPolygon::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  const int n = NumPoints();
  if (!d || !d->pC || n < 2) return;
  IPrintCanvas& c = *d->pC;
  QPolygonF poly;
  for (int i = 1; i <= n; ++i) poly << PrintPos(*d, GetPoint(i));
  if (SetupPrintFill(d, *this)) c.FillPolygon(poly, 1);
  if (GetPenWidth() > 0) {
    SetupPrintPen(d, *this);
    c.DrawPolygon(poly, 1);
  }
}

TPLNPolygon* TPLNPolygon::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r,
                               TORVReadType readType) {
  return ReadItem<TPLNPolygon>(owner, version, r, readType);
}
TPLNPolygon* TPLNPolygon::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNPolygon>(owner, version, o);
}

}  // namespace Orv::Fmx
