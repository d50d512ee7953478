#include "TPLNImage.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "ORV.FMX.Shared.h"
#include "ORV.Text.h"
#include "TPLNText.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using F2d::TORVImageFilter;
using F2d::TORVImageShape;
using namespace Orv::Fmx::TextDraw;

namespace {

constexpr TAlphaColor kGuide = 0xFFC0C0C0u;
constexpr TAlphaColor kPlaceholder = 0xFF909090u;
constexpr TAlphaColor kPlaceholderText = 0xFF505050u;

bool Quarter(TORVAngle a) { return a == TORVAngle::A90 || a == TORVAngle::A270; }

// The rectangle the picture is drawn into once the canvas is turned about `r`'s centre: `r`
// itself unturned, else centred on the origin, its sides exchanged for a quarter turn.
QRectF TurnedRect(const QRectF& r, TORVAngle angle) {
  if (angle == TORVAngle::A0) return r;
  const QSizeF s = Quarter(angle) ? r.size().transposed() : r.size();
  return QRectF(-s.width() / 2, -s.height() / 2, s.width(), s.height());
}

// The transform of that turn, before the canvas's own.
QTransform TurnAbout(const QRectF& r, TORVAngle angle) {
  QTransform t;
  if (angle == TORVAngle::A0) return t;
  t.translate(r.center().x(), r.center().y());
  t.rotate(Utils::PrintAngle(angle));
  return t;
}

// What the picture is turned to: a quarter turn shows it on its side.
QSizeF TurnedSize(QSizeF s, TORVAngle angle) { return Quarter(angle) ? s.transposed() : s; }

QString PlaceholderName(const QString& fileName) {
  const QString n = QFileInfo(fileName).fileName();
  return n.isEmpty() ? QStringLiteral("(no image)") : n;
}

TSkFont PlaceholderFont(const TPLNBaseDraw& d, const QRectF& r) {
  TSkFont f;
  f.Family = QStringLiteral("Arial");
  f.Size = float(std::clamp(std::min(r.height() / 4, double(d.PixPerMM) * 3), 1.0, 200.0));
  return f;
}

}  // namespace

// ---------------------------------------------------------------- geometry

TPLNImage::TGeom TPLNImage::DrawRect(const TPLNBaseDraw& d, bool print) const {
  TGeom g;
  if (NumPoints() < 2) return g;
  const auto pos = [&](const TORVPto& p) { return print ? PrintPos(d, p) : ScreenPos(d, p); };
  g.Box = QRectF(pos(GetPoint(1)), pos(GetPoint(2))).normalized();
  const bool circle = Shape() == TORVImageShape::CircleFit || Shape() == TORVImageShape::CircleClip;
  g.FrameRect = circle ? F2d::CentredSquare(g.Box) : g.Box;
  const double px = d.GetDrawX(GetBasePadding()), py = d.GetDrawY(GetBasePadding());
  g.LImageDest = g.FrameRect.adjusted(px, py, -px, -py);
  if (circle) g.LImageDest = F2d::CentredSquare(g.LImageDest);
  if (!(g.LImageDest.width() > 0 && g.LImageDest.height() > 0)) g.LImageDest = QRectF(g.FrameRect.center(), QSizeF(0, 0));
  g.LImageDrw = g.LImageDest;
  g.Centre = g.LImageDest.center();
  g.Radius = std::min(g.LImageDest.width(), g.LImageDest.height()) / 2;
  return g;
}

void TPLNImage::AdjustDrawRect(const TPLNBaseDraw& d, TGeom& g, bool inset, double w, double h) const {
  if (inset) {
    if (Shape() == TORVImageShape::RoundRect) {
      const double pen = Frame() ? GetPenWidth() / 2 : 0;
      const double ix = d.DrawBasePtoX(pen) + d.GetDrawX(GetBaseRadio());
      const double iy = d.DrawBasePtoY(pen) + d.GetDrawY(GetBaseRadio());
      QRectF r = g.LImageDrw.adjusted(ix, iy, -ix, -iy);
      // Corners larger than the frame leave the picture a point in its middle, not turned inside out.
      if (!(r.width() > 0 && r.height() > 0)) r = QRectF(g.LImageDrw.center(), QSizeF(0, 0));
      g.LImageDrw = r;
    } else if (Shape() == TORVImageShape::CircleFit) {
      g.LImageDrw = F2d::InscribedSquare(g.LImageDrw);
    }
    return;
  }
  // Fitted into what the frame leaves: a rounded frame's corners and a circle's square included.
  if (KeepAspect()) g.LImageDrw = F2d::FitAspect(g.LImageDrw, w, h, Align());
}

TSkPath TPLNImage::GetCirclePath(const TGeom& g) const {
  TSkPathBuilder b;
  b.AddOval(g.LImageDest);
  return b.Detach();
}

// ---------------------------------------------------------------- the picture

QString TPLNImage::ShownFileName(const TPLNBaseDraw& draw) const {
  if (GetIsData() && ShowsData(draw)) return PrintedText(*this, &draw);
  return FileName();
}

F2d::TORVDecodedPtr TPLNImage::Picture(const TPLNBaseDraw& draw, QSizeF want) {
  const QString name = ShownFileName(draw);
  const bool own = name == FileName();
  // Embedded bytes stand for the item's own file only; a data record names other files.
  if (own && Embed()) EmbedNow();
  const QByteArray bytes = own ? Bytes() : QByteArray();
  const QString path = ResolvePath(name);
  // The size class: a zoom that changes the wanted size by less than half reuses the picture.
  const int sizeClass = want.isEmpty() ? 0 : int(std::ceil(std::log2(std::max(1.0, std::max(want.width(), want.height())))));
  const QString key = path + QLatin1Char('|') + QString::number(bytes.size()) + QLatin1Char('|') +
                      QString::number(int(Filter())) + QLatin1Char('|') + QString::number(sizeClass);
  const bool reload = TakeReload();
  {
    std::lock_guard<std::mutex> g(fPictureLock);
    if (reload) fPicture.reset();
    if (fPicture && fPictureKey == key) return fPicture;
  }
  F2d::TORVDecodedPtr p = F2d::DecodeImage(path, bytes, Filter(), want);
  // Only pictures are kept: a missing or damaged file is looked at again next time, so a file
  // that turns up (or is mended) shows without a reload.
  if (!p->Image.isNull()) {
    std::lock_guard<std::mutex> g(fPictureLock);
    fPicture = p;
    fPictureKey = key;
  }
  return p;
}

// ---------------------------------------------------------------- screen

void TPLNImage::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 2) return;
  ISkCanvas& k = *d->kC;
  TSkPaint& p = *d->kP;
  p.PathEffect.reset();
  p.Style = TSkPaintStyle::Fill;
  p.AntiAlias = true;
  p.StrokeWidth = 0;

  TGeom g = DrawRect(*d, false);
  const TORVAngle angle = GetAngle();
  const float rx = d->GetDrawX(GetBaseRadio()), ry = d->GetDrawY(GetBaseRadio());
  const TORVImageShape shape = Shape();
  const bool circle = shape == TORVImageShape::CircleFit || shape == TORVImageShape::CircleClip;
  const auto frameShape = [&](const QRectF& r, float rxx, float ryy) {
    if (circle)
      k.DrawOval(r, p);
    else if (shape == TORVImageShape::RoundRect && GetBaseRadio() > 0)
      k.DrawRoundRect(r, rxx, ryy, p);
    else
      k.DrawRect(r, p);
  };

  // The box shows on the editor's surface even without a frame, so an empty picture can be found.
  if (shape == TORVImageShape::Rectangle && d->DrawState == TORVDrawState::Editor && GetState() == kStateNormal) {
    p.Style = TSkPaintStyle::Stroke;
    p.Color = kGuide;
    p.StrokeWidth = 0;
    frameShape(g.FrameRect, rx, ry);
  }
  if (ShowsFill(*this)) {
    SetupFill(d, GetBackColor(), true);
    frameShape(g.FrameRect, rx, ry);
  }

  const QSizeF want = TurnedSize(k.GetTotalMatrix().mapRect(g.LImageDest).size(), angle);
  const F2d::TORVDecodedPtr pic = Picture(*d, want);
  if (pic->Image.isNull() || pic->SourceSize.width() < 1 || pic->SourceSize.height() < 1) {
    // Crossed out, with the file's name: what is missing and where.
    p.PathEffect.reset();
    p.Style = TSkPaintStyle::Stroke;
    p.Color = kPlaceholder;
    p.StrokeWidth = 0;
    p.AntiAlias = true;
    const QRectF r = g.LImageDest;
    k.DrawRect(r, p);
    k.DrawLine(float(r.left()), float(r.top()), float(r.right()), float(r.bottom()), p);
    k.DrawLine(float(r.left()), float(r.bottom()), float(r.right()), float(r.top()), p);
    const TSkFont font = PlaceholderFont(*d, r);
    if (r.width() > 4 && r.height() > font.Size) {
      k.Save();
      k.ClipRect(r);
      p.Style = TSkPaintStyle::Fill;
      p.Color = kPlaceholderText;
      const TSkFontMetrics m = font.Metrics();
      k.DrawSimpleText(PlaceholderName(ShownFileName(*d)), float(r.left() + 2), float(r.top() + 1 + std::abs(m.Ascent)), font, p);
      k.Restore();
    }
  } else {
    g.W = pic->SourceSize.width();
    g.H = pic->SourceSize.height();
    const QSizeF turned = TurnedSize(QSizeF(g.W, g.H), angle);
    g.RW = turned.width();
    g.RH = turned.height();
    TSkPaint ip;
    ip.AntiAlias = true;
    k.Save();
    AdjustDrawRect(*d, g, true, g.RW, g.RH);
    AdjustDrawRect(*d, g, false, g.RW, g.RH);
    if (shape == TORVImageShape::CircleClip) k.ClipPath(GetCirclePath(g), true);
    if (angle != TORVAngle::A0) k.Concat(TurnAbout(g.LImageDrw, angle));
    const QImage& img = pic->Image;
    k.DrawImageRect(img, QRectF(0, 0, img.width(), img.height()), TurnedRect(g.LImageDrw, angle), ip);
    k.Restore();
  }

  if (Frame() && GetPenWidth() > 0) {
    SetupPen(d, *this);
    p.Style = TSkPaintStyle::Stroke;
    const TFrameStroke f = FrameStroke(g.FrameRect, rx, ry, p.StrokeWidth);
    frameShape(f.Rect, f.Rx, f.Ry);
  }
  if (GetIsData() && d->DrawState == TORVDrawState::Editor) DrawData(d, float(g.Box.left()), float(g.Box.top()));
}

// ---------------------------------------------------------------- paper

void TPLNImage::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 2) return;
  IPrintCanvas& c = *d->pC;
  TGeom g = DrawRect(*d, true);
  const TORVAngle angle = GetAngle();
  const TORVImageShape shape = Shape();
  const bool circle = shape == TORVImageShape::CircleFit || shape == TORVImageShape::CircleClip;
  const bool round = shape == TORVImageShape::RoundRect && GetBaseRadio() > 0;
  const float rx = round ? d->GetDrawX(GetBaseRadio()) : 0, ry = round ? d->GetDrawY(GetBaseRadio()) : 0;
  const unsigned corners = round ? AllCorners : 0u;

  if (SetupPrintFill(d, *this)) {
    if (circle)
      c.FillEllipse(g.FrameRect, 1);
    else
      c.FillRect(g.FrameRect, rx, ry, corners, 1, TCornerType::Round);
  }

  const QTransform base = c.GetMatrix();
  const QSizeF want = TurnedSize(base.mapRect(g.LImageDest).size(), angle);
  const F2d::TORVDecodedPtr pic = Picture(*d, want);
  if (pic->Image.isNull() || pic->SourceSize.width() < 1 || pic->SourceSize.height() < 1) {
    const QRectF r = g.LImageDest;
    c.Stroke.Kind = TBrushKind::Solid;
    c.Stroke.Color = kPlaceholder;
    c.Stroke.Thickness = std::max(1.0f, d->PixPerMM * 0.1f);
    c.Stroke.Dash = TStrokeDash::Solid;
    c.DrawRect(r, 0, 0, 0, 1, TCornerType::Round);
    c.DrawLine(r.topLeft(), r.bottomRight(), 1);
    c.DrawLine(r.bottomLeft(), r.topRight(), 1);
    c.Font = PlaceholderFont(*d, r);
    c.Fill.Kind = TBrushKind::Solid;
    c.Fill.Color = kPlaceholderText;
    c.FillText(r.adjusted(2, 1, -2, -1), PlaceholderName(ShownFileName(*d)), true, 1, TTextAlign::Leading,
               TTextAlign::Leading);
  } else {
    g.W = pic->SourceSize.width();
    g.H = pic->SourceSize.height();
    const QSizeF turned = TurnedSize(QSizeF(g.W, g.H), angle);
    g.RW = turned.width();
    g.RH = turned.height();
    AdjustDrawRect(*d, g, true, g.RW, g.RH);
    AdjustDrawRect(*d, g, false, g.RW, g.RH);
    const QImage& img = pic->Image;
    if (shape == TORVImageShape::CircleClip) {
      // The print canvas has no clip: the picture is cut to the circle on a sheet of the
      // printer's resolution first, then placed.
      const QRectF dest = g.LImageDest;
      const QRectF device = base.mapRect(dest);
      const QSize size(std::max(1, int(std::ceil(device.width()))), std::max(1, int(std::ceil(device.height()))));
      QImage sheet(size, QImage::Format_ARGB32_Premultiplied);
      sheet.fill(Qt::transparent);
      {
        QPainter sp(&sheet);
        sp.setRenderHint(QPainter::Antialiasing);
        sp.setRenderHint(QPainter::SmoothPixmapTransform);
        QTransform toSheet;
        toSheet.scale(size.width() / std::max(1e-9, dest.width()), size.height() / std::max(1e-9, dest.height()));
        toSheet.translate(-dest.left(), -dest.top());
        QPainterPath clip;
        clip.addEllipse(dest);
        sp.setTransform(toSheet);
        sp.setClipPath(clip);
        sp.setTransform(TurnAbout(g.LImageDrw, angle) * toSheet);
        sp.drawImage(TurnedRect(g.LImageDrw, angle), img, QRectF(0, 0, img.width(), img.height()));
      }
      c.DrawBitmap(sheet, QRectF(0, 0, sheet.width(), sheet.height()), dest, 1);
    } else {
      c.SetMatrix(TurnAbout(g.LImageDrw, angle) * base);
      c.DrawBitmap(img, QRectF(0, 0, img.width(), img.height()), TurnedRect(g.LImageDrw, angle), 1);
      c.SetMatrix(base);
    }
  }

  if (Frame() && GetPenWidth() > 0) {
    SetupPrintPen(d, *this);
    const TFrameStroke f = FrameStroke(g.FrameRect, rx, ry, c.Stroke.Thickness);
    if (circle)
      c.DrawEllipse(f.Rect, 1);
    else
      c.DrawRect(f.Rect, f.Rx, f.Ry, corners, 1, TCornerType::Round);
  }
}

TPLNImage* TPLNImage::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNImage>(owner, version, r, readType);
}
TPLNImage* TPLNImage::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNImage>(owner, version, o);
}

}  // namespace Orv::Fmx
