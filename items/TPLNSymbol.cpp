#include "TPLNSymbol.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "ORV.FMX.Calc.h"
#include "ORV.FMX.Shared.h"
#include "ORV.Layers.h"

namespace Orv::Fmx {

using namespace Orv::Canvas;
using Orv::Symbol::TPLNBaseLibSymbol;
using Orv::Symbol::TPLNSymItem;
using Orv::Symbol::TSymKind;

// ---------------------------------------------------------------- TORVDrawConf

void TORVDrawConf::Ini(TAlphaColor fore, TAlphaColor back, bool fill, TORVineType lineType, double penWidth) {
  ForeColor = fore;
  BackColor = back;
  Fill = fill;
  LineType = lineType;
  PenWidth = penWidth;
  RoundCap = false;
  ScalePen = false;
  PathMode = false;
}

void TORVDrawConf::IniFont(TAlphaColor color, bool bold, bool italic, bool underline, const QString& name,
                           double height, double scale) {
  FontColor = color;
  Bold = bold;
  Italic = italic;
  Underline = underline;
  FontName = name;
  FontHeight = height;
  FontScale = scale;
}

TORVDrawConf TORVDrawConf::FromLayer(const TPLNLayer* layer) {
  const TPLNLayer defaults;
  const TPLNLayer& l = layer ? *layer : defaults;
  TORVDrawConf c;
  // Layers carry no dash style: their items start solid.
  c.Ini(l.GetPenColor(), l.GetBackColor(), l.Fill, 0, l.GetPenWidth());
  c.IniFont(l.FontColor, l.Bold, l.Italic, false, l.FontName, double(l.GetFontHeight()) * 1000.0, 1.0);
  return c;
}

namespace {

// Device height (pixels) below which a symbol's text is not drawn.
constexpr float kSmallestText = 1.5f;

// ---------------------------------------------------------------- the two canvases

// How one stroke looks. Width is in the symbol's frame (already divided by the frame's scale
// when pens keep their device size); DashScale does the same for the dash lengths.
struct TPen {
  TAlphaColor Color = kBlack;
  float Width = 0;
  bool RoundCap = false;
  TORVineType LineType = 0;
  float DashScale = 1;
  // Marks of our own (link points, underlines): solid whatever the item's state.
  bool Plain = false;
};

// What the command interpreter draws with: the screen's Skia-shaped canvas or the print canvas.
// Paths come in the symbol's frame; texts bring the matrix of their own frame within it.
class TSurface {
 public:
  virtual ~TSurface() = default;
  virtual void Fill(const QPainterPath& path, TAlphaColor color) = 0;
  virtual void Stroke(const QPainterPath& path, const TPen& pen) = 0;
  virtual void Text(const QString& text, const QTransform& frame, float x, float top, float baseline,
                    const TSkFont& font, TAlphaColor color) = 0;
};

class TScreenSurface : public TSurface {
 public:
  TScreenSurface(TPLNDraw* d, TORVItemState state) : fD(d), fState(state) {}

  void Fill(const QPainterPath& path, TAlphaColor color) override {
    TSkPaint& p = *fD->kP;
    p.PathEffect.reset();
    p.Style = TSkPaintStyle::Fill;
    p.Color = color;
    p.AntiAlias = true;
    fD->kC->DrawPath(TSkPath(path), p);
  }

  void Stroke(const QPainterPath& path, const TPen& pen) override {
    TSkPaint& p = *fD->kP;
    p.AntiAlias = true;
    p.Color = pen.Color;
    p.StrokeCap = pen.RoundCap ? TSkStrokeCap::Round : TSkStrokeCap::Butt;
    p.StrokeJoin = TSkStrokeJoin::Miter;
    // A text's stroke-and-fill or an earlier item's dash must not carry over.
    p.PathEffect.reset();
    p.Style = TSkPaintStyle::Stroke;
    if (!pen.Plain) {
      AdjustLineType(fD, pen.LineType, fState);
      if (p.PathEffect && p.PathEffect->IsDash() && pen.DashScale != 1) {
        std::vector<float> dash = p.PathEffect->Intervals();
        for (float& v : dash) v *= pen.DashScale;
        p.PathEffect = TSkPathEffect::MakeDash(std::move(dash), p.PathEffect->Phase());
      }
    }
    p.StrokeWidth = pen.Width;
    fD->kC->DrawPath(TSkPath(path), p);
  }

  void Text(const QString& text, const QTransform& frame, float x, float /*top*/, float baseline, const TSkFont& font,
            TAlphaColor color) override {
    fD->kC->Save();
    fD->kC->Concat(frame);
    TextDrawPaint(color);
    fD->kC->DrawSimpleText(text, x, baseline, font, *fD->kP);
    fD->kC->Restore();
  }

 private:
  void TextDrawPaint(TAlphaColor color) {
    TSkPaint& p = *fD->kP;
    p.PathEffect = TSkPathEffect::MakeStrokeAndFill();
    p.Style = TSkPaintStyle::Fill;
    p.AntiAlias = true;
    // The glyph outline's own stroke stays a hairline whatever the symbol's scale.
    p.StrokeWidth = 0;
    p.Color = color;
  }

  TPLNDraw* fD;
  TORVItemState fState;
};

class TPaperSurface : public TSurface {
 public:
  explicit TPaperSurface(TPLNDraw* d) : fD(d), fC(*d->pC) {}

  void Fill(const QPainterPath& path, TAlphaColor color) override {
    fC.Fill.Kind = TBrushKind::Solid;
    fC.Fill.Color = color;
    TPathData data;
    data.Path = path;
    fC.FillPath(data, 1);
  }

  void Stroke(const QPainterPath& path, const TPen& pen) override {
    TStrokeBrush& s = fC.Stroke;
    s.Kind = TBrushKind::Solid;
    s.Color = pen.Color;
    if (pen.Plain) {
      s.Dash = TStrokeDash::Solid;
    } else {
      // The brush's dashes are relative to its thickness: measured against the unscaled pen they
      // come out as long as the screen's.
      AdjustPrintLineType(fD, pen.DashScale > 0 ? pen.Width / pen.DashScale : pen.Width, pen.LineType);
    }
    s.Thickness = pen.Width;
    s.Cap = pen.RoundCap ? TStrokeCap::Round : TStrokeCap::Flat;
    s.Join = TStrokeJoin::Miter;
    TPathData data;
    data.Path = path;
    fC.DrawPath(data, 1);
  }

  void Text(const QString& text, const QTransform& frame, float x, float top, float /*baseline*/,
            const TSkFont& font, TAlphaColor color) override {
    const QTransform saved = fC.GetMatrix();
    fC.SetMatrix(frame * saved);
    fC.Font = font;
    fC.Font.Underline = false;  // drawn as a line of its own, as on screen
    fC.Fill.Kind = TBrushKind::Solid;
    fC.Fill.Color = color;
    const QPointF offset = GetInternalTextOffset(fC, text);
    fC.FillText(QRectF(x + offset.x(), top + offset.y(), 50000, 20000), text, false, 1, TTextAlign::Leading,
                TTextAlign::Leading);
    fC.SetMatrix(saved);
  }

 private:
  TPLNDraw* fD;
  IPrintCanvas& fC;
};

// ---------------------------------------------------------------- the interpreter

// The outlines of one symbol's commands at one resolution. They depend on the commands alone,
// so they are built once and drawn by every placement; the pens, fills and texts depend on the
// state the commands set up from the layer's, and are applied at each drawing.
struct TGeometry {
  double PixX = 0, PixY = 0;
  struct TShape {
    std::size_t After;  // drawn once the command of this index has run (the count: at the end)
    bool Area;          // a closed figure: filled, then outlined when there is a pen
    QPainterPath Path;
  };
  std::vector<TShape> Shapes;
  QPainterPath Links;  // a cross at every link point
};

class TGeometryBuilder {
 public:
  TGeometryBuilder(const TPLNBaseDraw& d, TGeometry& g) : fD(d), fG(g) {}

  void Run(const TPLNBaseLibSymbol& symbol) {
    const std::vector<TPLNSymItem>& items = symbol.Items();
    for (fIndex = 0; fIndex < items.size(); ++fIndex) Command(items[fIndex]);
    // A path left open by the definition is drawn as if it had been closed.
    if (fPathMode) EndPath();
    const double hx = LX(1000), hy = LY(1000);
    for (const TORVPto& l : symbol.Links()) {
      const QPointF c = P(l);
      fG.Links.moveTo(c.x() - hx, c.y());
      fG.Links.lineTo(c.x() + hx, c.y());
      fG.Links.moveTo(c.x(), c.y() - hy);
      fG.Links.lineTo(c.x(), c.y() + hy);
    }
  }

 private:
  QPointF P(const TORVPto& p) const { return QPointF(p.X * fD.PixPerBaseX, p.Y * fD.PixPerBaseY); }
  double LX(double v) const { return v * fD.PixPerBaseX; }
  double LY(double v) const { return v * fD.PixPerBaseY; }

  void Add(QPainterPath path, bool area) {
    if (!path.isEmpty()) fG.Shapes.push_back({fIndex, area, std::move(path)});
  }

  // Path mode: the first geometry moves to its start, the others continue the outline.
  void Join(const QPointF& start) {
    if (fStarted) {
      fPath.lineTo(start);
    } else {
      fPath.moveTo(start);
      fStarted = true;
    }
  }
  void Continue(const QPointF& start) {
    if (!fStarted) {
      fPath.moveTo(start);
      fStarted = true;
    }
  }
  void BeginPath() {
    fPath = QPainterPath();
    fPath.setFillRule(Qt::WindingFill);
    fStarted = false;
    fPathMode = true;
  }
  void EndPath() {
    fPathMode = false;
    if (!fStarted) return;
    fPath.closeSubpath();
    Add(std::move(fPath), true);
    fPath = QPainterPath();
    fStarted = false;
  }

  void Command(const TPLNSymItem& it) {
    const std::size_t n = it.Points.size();
    switch (it.Kind) {
      case TSymKind::Path:
        // Switching on again closes what was collected so far rather than dropping it.
        if (fPathMode) EndPath();
        if (it.Flag) BeginPath();
        break;
      case TSymKind::Line:
        if (n < 2) break;
        if (fPathMode) {
          Continue(P(it.Points[0]));
          fPath.lineTo(P(it.Points[1]));
        } else {
          QPainterPath line(P(it.Points[0]));
          line.lineTo(P(it.Points[1]));
          Add(std::move(line), false);
        }
        break;
      case TSymKind::Polyline:
        if (n < 2) break;
        if (fPathMode) {
          Join(P(it.Points[0]));
          for (std::size_t i = 1; i < n; ++i) fPath.lineTo(P(it.Points[i]));
        } else {
          Add(TPLNSymbol::GetPathPolyline(fD, it), it.Flag);
        }
        break;
      case TSymKind::Bezier:
        if (n < 4) break;
        if (fPathMode) {
          Continue(P(it.Points[0]));
          for (std::size_t i = 1; i + 2 < n; i += 3)
            fPath.cubicTo(P(it.Points[i]), P(it.Points[i + 1]), P(it.Points[i + 2]));
        } else {
          Add(TPLNSymbol::GetPathBezier(fD, it), it.Flag);
        }
        break;
      case TSymKind::Arc: {
        if (n < 2 || it.Points[1].X <= 0 || it.Sweep == 0) break;
        const QRectF oval = Oval(it.Points[0], double(it.Points[1].X), double(it.Points[1].X));
        if (fPathMode) {
          if (!fStarted) {
            fPath.arcMoveTo(oval, it.Start);
            fStarted = true;
          }
          // Qt's angles turn counter-clockwise on the page, as the commands' do.
          fPath.arcTo(oval, it.Start, it.Sweep);
        } else {
          QPainterPath arc;
          arc.arcMoveTo(oval, it.Start);
          arc.arcTo(oval, it.Start, it.Sweep);
          Add(std::move(arc), false);
        }
        break;
      }
      case TSymKind::Circle:
        if (n < 2 || it.Points[1].X <= 0) break;
        Add(Ellipse(it.Points[0], double(it.Points[1].X), double(it.Points[1].X)), true);
        break;
      case TSymKind::Ellipse:
        if (n < 2 || it.Points[1].X <= 0 || it.Points[1].Y <= 0) break;
        Add(Ellipse(it.Points[0], double(it.Points[1].X), double(it.Points[1].Y)), true);
        break;
      case TSymKind::Rectangle: {
        if (n < 2) break;
        const QRectF r = QRectF(P(it.Points[0]), P(it.Points[1])).normalized();
        if (r.isEmpty()) break;
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        if (it.Value > 0)
          path.addRoundedRect(r, LX(it.Value), LY(it.Value));
        else
          path.addRect(r);
        Add(std::move(path), true);
        break;
      }
      case TSymKind::Sector:
        if (n < 2 || it.Points[1].X <= 0 || it.Sweep == 0) break;
        Add(TPLNSymbol::GetPathSector(fD, it), true);
        break;
      default:
        break;  // state commands and texts: the painter's
    }
  }

  QRectF Oval(const TORVPto& c, double rx, double ry) const {
    const QPointF centre = P(c);
    return QRectF(centre.x() - LX(rx), centre.y() - LY(ry), 2 * LX(rx), 2 * LY(ry));
  }
  QPainterPath Ellipse(const TORVPto& c, double rx, double ry) const {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addEllipse(Oval(c, rx, ry));
    return path;
  }

  const TPLNBaseDraw& fD;
  TGeometry& fG;
  std::size_t fIndex = 0;
  bool fPathMode = false;
  QPainterPath fPath;
  bool fStarted = false;
};

// The outlines of `symbol` at the resolution of `d`, from the symbol's cache when they were
// built at that resolution before.
std::shared_ptr<const TGeometry> GeometryOf(const TPLNBaseDraw& d, const TPLNBaseLibSymbol& symbol) {
  auto cached = std::static_pointer_cast<const TGeometry>(symbol.DrawCache());
  if (cached && cached->PixX == d.PixPerBaseX && cached->PixY == d.PixPerBaseY) return cached;
  auto g = std::make_shared<TGeometry>();
  g->PixX = d.PixPerBaseX;
  g->PixY = d.PixPerBaseY;
  TGeometryBuilder(d, *g).Run(symbol);
  symbol.SetDrawCache(g);
  return g;
}

class TInterpreter {
 public:
  TInterpreter(const TPLNBaseDraw& d, TSurface& s, float scale, TORVDrawConf& conf)
      : fD(d), fS(s), fScale(scale > 0 ? scale : 1), fConf(conf) {}

  void Run(const TPLNBaseLibSymbol& symbol, bool linkPoints, TAlphaColor linkColor) {
    const std::shared_ptr<const TGeometry> g = GeometryOf(fD, symbol);
    const std::vector<TPLNSymItem>& items = symbol.Items();
    std::size_t s = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
      Command(items[i]);
      for (; s < g->Shapes.size() && g->Shapes[s].After == i; ++s) Shape(g->Shapes[s]);
    }
    for (; s < g->Shapes.size(); ++s) Shape(g->Shapes[s]);  // the path the definition left open
    fConf.PathMode = false;
    if (linkPoints && !g->Links.isEmpty()) {
      TPen pen;
      pen.Color = linkColor;
      pen.Width = 1.0f / fScale;  // one device pixel
      pen.Plain = true;
      fS.Stroke(g->Links, pen);
    }
  }

 private:
  QPointF P(const TORVPto& p) const { return QPointF(p.X * fD.PixPerBaseX, p.Y * fD.PixPerBaseY); }
  double LY(double v) const { return v * fD.PixPerBaseY; }

  TPen Pen() const {
    TPen pen;
    pen.Color = fConf.ForeColor;
    const float device = fD.DrawBasePtoX(std::max(0.0, fConf.PenWidth));
    // The frame is already scaled: a pen that keeps its device size gives the scale back.
    pen.Width = fConf.ScalePen ? device : device / fScale;
    pen.DashScale = fConf.ScalePen ? 1.0f : 1.0f / fScale;
    pen.RoundCap = fConf.RoundCap;
    pen.LineType = fConf.LineType;
    return pen;
  }

  // Closed figures: the fill pass (with fill on), then the outline when there is a pen. Open
  // ones always take the pen, a hairline at width 0.
  void Shape(const TGeometry::TShape& shape) {
    if (!shape.Area) {
      fS.Stroke(shape.Path, Pen());
      return;
    }
    if (fConf.Fill) fS.Fill(shape.Path, fConf.BackColor);
    if (fConf.PenWidth > 0) fS.Stroke(shape.Path, Pen());
  }

  void Command(const TPLNSymItem& it) {
    switch (it.Kind) {
      case TSymKind::PenWidth: fConf.PenWidth = std::max(0.0, it.Value); break;
      case TSymKind::Fill: fConf.Fill = it.Flag; break;
      case TSymKind::RoundCap: fConf.RoundCap = it.Flag; break;
      case TSymKind::ScalePen: fConf.ScalePen = it.Flag; break;
      case TSymKind::FColor: fConf.ForeColor = it.Color; break;
      case TSymKind::BColor: fConf.BackColor = it.Color; break;
      case TSymKind::LineType: fConf.LineType = TORVineType(std::clamp(int(it.Value), 0, 255)); break;
      case TSymKind::FontColor: fConf.FontColor = it.Color; break;
      case TSymKind::FontHeight: fConf.FontHeight = std::max(0.0, it.Value); break;
      case TSymKind::FontName: fConf.FontName = it.Text; break;
      case TSymKind::Bold: fConf.Bold = it.Flag; break;
      case TSymKind::Italic: fConf.Italic = it.Flag; break;
      case TSymKind::Underline: fConf.Underline = it.Flag; break;
      case TSymKind::FontScale:
        if (it.Value > 0) fConf.FontScale = it.Value;
        break;
      case TSymKind::Path: fConf.PathMode = it.Flag; break;
      case TSymKind::Text:
        if (!it.Points.empty()) Text(it);
        break;
      default:
        break;  // geometry: drawn from the built outlines
    }
  }

  void Text(const TPLNSymItem& it) {
    if (it.Text.isEmpty()) return;
    TSkFont font;
    font.Family = fConf.FontName.isEmpty() ? QStringLiteral("Arial") : fConf.FontName;
    font.Bold = fConf.Bold;
    font.Italic = fConf.Italic;
    // The height is a symbol length: the text keeps its proportion to the geometry.
    font.Size = float(LY(fConf.FontHeight));
    if (!(font.Size > 0)) return;
    // Under about a pixel and a half a text is a smudge nobody can read, and shaping it is most of
    // the cost of a page of small symbols: leave it out at that size.
    if (font.Size * fScale < kSmallestText) return;
    const TSkFontMetrics m = font.Metrics();
    const float asc = std::abs(m.Ascent), des = std::abs(m.Descent);
    const float width = font.MeasureText(it.Text);
    float x = 0, top = 0;
    if (it.HAlign == TORVHorzAlign::Center) x = -width / 2;
    else if (it.HAlign == TORVHorzAlign::Right) x = -width;
    if (it.VAlign == TORVVertAlign::Center) top = -(asc + des) / 2;
    else if (it.VAlign == TORVVertAlign::Bottom) top = -(asc + des);
    const float baseline = top + asc;
    // The text's own frame: at its anchor, turned counter-clockwise on the page, stretched along
    // the line by the font scale.
    const QPointF at = P(it.Points[0]);
    QTransform frame;
    frame.translate(at.x(), at.y());
    frame.rotate(-it.Angle);
    frame.scale(fConf.FontScale, 1);
    fS.Text(it.Text, frame, x, top, baseline, font, fConf.FontColor);
    if (fConf.Underline) {
      const float y = baseline + std::max(m.UnderlinePosition, 1.0f);
      QPainterPath line(QPointF(x, y));
      line.lineTo(QPointF(x + width, y));
      TPen pen;
      pen.Color = fConf.FontColor;
      pen.Width = std::max(m.UnderlineThickness, 0.5f) * float(std::sqrt(std::abs(frame.determinant())));
      pen.Plain = true;
      fS.Stroke(frame.map(line), pen);
    }
  }

  const TPLNBaseDraw& fD;
  TSurface& fS;
  float fScale;
  TORVDrawConf& fConf;
};

QPointF SymPoint(const TPLNBaseDraw& d, const TORVPto& p) { return QPointF(p.X * d.PixPerBaseX, p.Y * d.PixPerBaseY); }

}  // namespace

// ---------------------------------------------------------------- path builders

QPainterPath TPLNSymbol::GetPathPolyline(const TPLNBaseDraw& draw, const TPLNSymItem& polyline) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  if (polyline.Points.size() < 2) return path;
  path.moveTo(SymPoint(draw, polyline.Points[0]));
  for (std::size_t i = 1; i < polyline.Points.size(); ++i) path.lineTo(SymPoint(draw, polyline.Points[i]));
  if (polyline.Flag) path.closeSubpath();
  return path;
}

QPainterPath TPLNSymbol::GetPathBezier(const TPLNBaseDraw& draw, const TPLNSymItem& bezier) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  const std::size_t n = bezier.Points.size();
  if (n < 4) return path;
  path.moveTo(SymPoint(draw, bezier.Points[0]));
  for (std::size_t i = 1; i + 2 < n; i += 3)
    path.cubicTo(SymPoint(draw, bezier.Points[i]), SymPoint(draw, bezier.Points[i + 1]),
                 SymPoint(draw, bezier.Points[i + 2]));
  if (bezier.Flag) path.closeSubpath();
  return path;
}

QPainterPath TPLNSymbol::GetPathSector(const TPLNBaseDraw& draw, const TPLNSymItem& sector) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  if (sector.Points.size() < 2 || sector.Points[1].X <= 0) return path;
  const QPointF c = SymPoint(draw, sector.Points[0]);
  const double rx = sector.Points[1].X * draw.PixPerBaseX, ry = sector.Points[1].X * draw.PixPerBaseY;
  const QRectF oval(c.x() - rx, c.y() - ry, 2 * rx, 2 * ry);
  path.moveTo(c);
  path.arcTo(oval, sector.Start, std::clamp(sector.Sweep, -360.0, 360.0));
  path.closeSubpath();
  return path;
}

// ---------------------------------------------------------------- drawing

QTransform TPLNSymbol::TFrame::Matrix() const {
  QTransform m;
  m.translate(At.x(), At.y());
  m.scale(Scale, Scale);
  m.rotate(AngleDeg);
  return m;
}

TPLNSymbol::TFrame TPLNSymbol::FrameOn(const TPLNBaseDraw& draw, bool paper) const {
  TFrame f;
  if (NumPoints() >= 1) f.At = paper ? PrintPos(draw, GetPoint(1)) : ScreenPos(draw, GetPoint(1));
  // The core's factor (a symbol that keeps its paper size grows with the drawing scale), so
  // what is drawn matches the bounds, picking and link ends.
  const double k = PageScale();
  f.Scale = k > 0 ? float(k) : 1.0f;
  // The angle turns clockwise on the page, as the canvas's rotation does on the device.
  f.AngleDeg = float(GetAngleDeg());
  return f;
}

void TPLNSymbol::DrawSymbol(TPLNDraw* draw, const TPLNBaseLibSymbol* symbol, float scale, TORVDrawConf& conf,
                            TORVItemState state) {
  if (!draw || !draw->kC || !symbol) return;
  TScreenSurface surface(draw, state);
  TInterpreter(*draw, surface, scale, conf).Run(*symbol, draw->aDrawLinkPto, draw->aLinkPoint);
}

void TPLNSymbol::DrawSymbol(TPLNDraw* draw, const TPLNBaseLibSymbol* symbol, float scale) {
  TORVDrawConf conf = TORVDrawConf::FromLayer(nullptr);
  DrawSymbol(draw, symbol, scale, conf);
}

void TPLNSymbol::PrintSymbol(TPLNDraw* draw, const TPLNBaseLibSymbol* symbol, float scale, TORVDrawConf& conf) {
  if (!draw || !draw->pC || !symbol) return;
  TPaperSurface surface(draw);
  TInterpreter(*draw, surface, scale, conf).Run(*symbol, draw->aDrawLinkPto, draw->aLinkPoint);
}

void TPLNSymbol::Draw(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->kC || NumPoints() < 1) return;
  // Every drawing starts from the layer's settings: nothing of an earlier symbol carries over.
  TORVDrawConf conf = TORVDrawConf::FromLayer(GetLayer());
  const TFrame f = FrameOn(*d, false);
  // The symbol draws under a scaled frame anyway: a canvas that would scale every outline on its
  // way through gives its scale to the frame instead.
  ISkCanvas* const canvas = d->kC;
  float zoom = 1;
  ISkCanvas& c = canvas->Unscaled(zoom);
  c.Save();
  c.Translate(float(f.At.x()) * zoom, float(f.At.y()) * zoom);
  c.Scale(f.Scale * zoom, f.Scale * zoom);
  c.Rotate(f.AngleDeg);
  d->kC = &c;
  try {
    if (const TPLNBaseLibSymbol* symbol = GetSymbol()) DrawSymbol(d, symbol, f.Scale, conf, GetState());
  } catch (...) {
    d->kC = canvas;
    c.Restore();
    throw;
  }
  d->kC = canvas;
  c.Restore();
}

void TPLNSymbol::Print(TPLNBaseDraw* draw) {
  TPLNDraw* d = ToDraw(draw);
  if (!d || !d->pC || NumPoints() < 1) return;
  const TPLNBaseLibSymbol* symbol = GetSymbol();
  if (!symbol) return;
  TORVDrawConf conf = TORVDrawConf::FromLayer(GetLayer());
  const TFrame f = FrameOn(*d, true);
  IPrintCanvas& c = *d->pC;
  const QTransform saved = c.GetMatrix();
  c.SetMatrix(f.Matrix() * saved);
  PrintSymbol(d, symbol, f.Scale, conf);
  c.SetMatrix(saved);
}

TPLNSymbol* TPLNSymbol::Read(TPLNBaseLabel* owner, std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  return ReadItem<TPLNSymbol>(owner, version, r, readType);
}
TPLNSymbol* TPLNSymbol::ReadFromJson(TPLNBaseLabel* owner, std::int32_t version, const QJsonObject& o) {
  return ReadItemJson<TPLNSymbol>(owner, version, o);
}

}  // namespace Orv::Fmx
