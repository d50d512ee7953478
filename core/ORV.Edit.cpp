#include "ORV.Edit.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "ORV.Base.h"
#include "ORV.Draw2D.h"
#include "ORV.EditGeom.h"
#include "ORV.F2d.h"
#include "ORV.Flow.h"
#include "ORV.Poly.h"
#include "ORV.Line.h"
#include "ORV.Text.h"
#include "ORV.RichTextItem.h"

namespace Orv {

using namespace EditGeom;

// ---------------------------------------------------------------- small helpers

TORVMoveKind MoveKindOf(TORVHandleKind kind) {
  switch (kind) {
    case TORVHandleKind::Move: return TORVMoveKind::Selection;
    case TORVHandleKind::SizeNW:
    case TORVHandleKind::SizeN:
    case TORVHandleKind::SizeNE:
    case TORVHandleKind::SizeE:
    case TORVHandleKind::SizeSE:
    case TORVHandleKind::SizeS:
    case TORVHandleKind::SizeSW:
    case TORVHandleKind::SizeW: return TORVMoveKind::Size;
    case TORVHandleKind::Point:
    case TORVHandleKind::Bezier: return TORVMoveKind::Point;
    case TORVHandleKind::Radius: return TORVMoveKind::Radius;
    case TORVHandleKind::Center: return TORVMoveKind::Center;
    case TORVHandleKind::Rotate: return TORVMoveKind::Rotate;
    case TORVHandleKind::InsertPoint: return TORVMoveKind::InsertPoint;
    case TORVHandleKind::Fixed: break;
  }
  return TORVMoveKind::None;
}

void AddSizeHandles(const TORVBounds& b, TPLNBaseItem* item, std::vector<TORVSelPoint>& out) {
  if (b.IsEmpty()) return;
  const std::int64_t mx = (b.X1 + b.X2) / 2, my = (b.Y1 + b.Y2) / 2;
  const TORVPto at[8] = {{b.X1, b.Y1}, {mx, b.Y1}, {b.X2, b.Y1}, {b.X2, my}, {b.X2, b.Y2}, {mx, b.Y2}, {b.X1, b.Y2}, {b.X1, my}};
  for (int i = 0; i < 8; ++i)
    out.push_back({at[i], static_cast<TORVHandleKind>(static_cast<int>(TORVHandleKind::SizeNW) + i), i + 1, item});
}

void TAct::SetMove(TORVMoveKind kind, std::int32_t index) {
  Move = kind;
  MoveIndex = index;
  Dragging = kind != TORVMoveKind::None;
  Action = Dragging ? TORVAction::Move : TORVAction::Selection;
  HasDragStart = false;
  DragChanged = false;
  Turned = 0;
  QuarterTurns = 0;
}

void TAct::SetMove(TORVMoveKind kind, std::int32_t index, TORVPto at) {
  SetMove(kind, index);
  DragStart = DragLast = at;
  HasDragStart = Dragging;
}

void TAct::Reset() {
  const int depth = UndoDepth;
  const TORVToolStyle style = Style;
  *this = TAct{};
  UndoDepth = depth;
  Style = style;
}

bool TMouseFilterS::FilterMouseMove(double x, double y, std::int64_t timeMs) {
  if (fHasPos) {
    if (timeMs - fTime < fMinInterval) return false;
    if (std::hypot(x - fX, y - fY) * 100.0 < double(fMinDistance)) return false;
  }
  fX = x;
  fY = y;
  fTime = timeMs;
  fHasPos = true;
  return true;
}

bool CursorOnPosS(double px, double py, double radius, double x, double y) {
  return std::abs(x - px) <= radius && std::abs(y - py) <= radius;
}

bool ValidInputKey(const QString& text, QChar key, int caret) {
  if (key != QLatin1Char('-')) return true;
  if (caret < 0 || caret > text.size()) return false;
  // Never two signs in a row.
  if (caret < text.size() && text[caret] == QLatin1Char('-')) return false;
  if (caret == 0) return true;
  const QChar prev = text[caret - 1];
  if (prev == QLatin1Char('@')) return true;
  const int comma = text.indexOf(QLatin1Char(','));
  return comma >= 0 && caret == comma + 1;
}

namespace TXTUtils {

bool DeleteCharPos(QString& text, int pos, int kind) {
  if (kind == 0) {
    if (pos < 1 || pos > text.size()) return false;
    text.remove(pos - 1, 1);
    return true;
  }
  if (kind == 1) {
    if (pos < 0 || pos >= text.size()) return false;
    text.remove(pos, 1);
    return true;
  }
  return false;
}

bool IsWordSeparator(QChar c) {
  static const QString seps = QStringLiteral("\n\r !\"'(),-.:;?[]{}");
  return seps.contains(c);
}

int FindPrevWordBoundary(const QString& text, int pos) {
  int p = std::clamp(pos, 0, static_cast<int>(text.size()));
  while (p > 0 && IsWordSeparator(text[p - 1])) --p;
  while (p > 0 && !IsWordSeparator(text[p - 1])) --p;
  return p;
}

int FindNextWordBoundary(const QString& text, int pos) {
  const int n = static_cast<int>(text.size());
  int p = std::clamp(pos, 0, n);
  while (p < n && !IsWordSeparator(text[p])) ++p;
  while (p < n && IsWordSeparator(text[p])) ++p;
  return p;
}

}  // namespace TXTUtils

// ---------------------------------------------------------------- item defaults: an open polyline of its points

bool TPLNBaseItem::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  return NearOutline(fPoints, false, double(x), double(y), double(tolerance) + GetPenWidth() / 2);
}

void TPLNBaseItem::GetSelPoints(std::vector<TORVSelPoint>& out) const {
  for (int i = 0; i < NumPoints(); ++i)
    out.push_back({fPoints[i], TORVHandleKind::Point, i + 1, const_cast<TPLNBaseItem*>(this)});
}

void TPLNBaseItem::SnapPoints(TORVSnap kind, std::vector<TORVPto>& out) const {
  if (fPoints.empty()) return;
  switch (kind) {
    case snPoint: out.insert(out.end(), fPoints.begin(), fPoints.end()); break;
    case snEndPoint:
      out.push_back(fPoints.front());
      if (fPoints.size() > 1) out.push_back(fPoints.back());
      break;
    case snMiddlePoint:
      for (std::size_t i = 0; i + 1 < fPoints.size(); ++i)
        out.push_back({(fPoints[i].X + fPoints[i + 1].X) / 2, (fPoints[i].Y + fPoints[i + 1].Y) / 2});
      break;
    default: break;
  }
}

void TPLNBaseItem::MovePoint(int index, std::int64_t x, std::int64_t y) {
  if (index < 1 || index > NumPoints()) return;
  if (fPoints[index - 1] == TORVPto{x, y}) return;
  fPoints[index - 1] = {x, y};
  Update();
}

void TPLNBaseItem::Resize(const TORVBounds& from, const TORVBounds& to) {
  for (TORVPto& p : fPoints) p = MapPoint(p, from, to);
  Update();
}

void TPLNBaseItem::Rotate(std::int64_t cx, std::int64_t cy, double angle) {
  for (TORVPto& p : fPoints) p = RotatePoint(p, cx, cy, angle);
  Update();
}

bool TPLNBaseItem::DeletePoint(int) { return false; }
bool TPLNBaseItem::InsertPoint(int, std::int64_t, std::int64_t) { return false; }

// ---------------------------------------------------------------- document helpers

namespace {

bool CanSelect(const TPLNBaseItem* it) { return it && !it->IsPreview() && it->HasOptions(Opt::Visible | Opt::Selectable); }

// The geometry's box without the pen: what size handles grab and alignment lines up.
TORVBounds EditBox(const TPLNBaseItem* it) {
  TORVBounds b = it->GetBounds();
  if (b.IsEmpty()) return b;
  const auto half = static_cast<std::int64_t>(it->GetPenWidth() / 2);
  if (b.X2 - b.X1 >= 2 * half && b.Y2 - b.Y1 >= 2 * half) {
    b.X1 += half;
    b.Y1 += half;
    b.X2 -= half;
    b.Y2 -= half;
  }
  return b;
}

bool IsFlow(const TPLNBaseItem* it) { return dynamic_cast<const F2d::TPLNBaseFlow*>(it) != nullptr; }
bool IsTextKind(const TPLNBaseItem* it) {
  return it && (dynamic_cast<const Text::TPLNBaseText*>(it) || dynamic_cast<const Text::TPLNBasePara*>(it) || IsFlow(it));
}
// A poly text is typed as its runs (a line feed between two) or its code.
QString ItemText(const TPLNBaseItem* it) {
  if (auto* poly = dynamic_cast<const Text::TPLNBasePoly*>(it)) return poly->GetData();
  if (auto* t = dynamic_cast<const Text::TPLNBaseText*>(it)) return t->GetText();
  if (auto* p = dynamic_cast<const Text::TPLNBasePara*>(it)) return p->GetText();
  if (auto* f = dynamic_cast<const F2d::TPLNBaseFlow*>(it)) return f->GetText();
  return {};
}
void SetItemText(TPLNBaseItem* it, const QString& s) {
  if (auto* poly = dynamic_cast<Text::TPLNBasePoly*>(it)) poly->SetData(s);
  else if (auto* t = dynamic_cast<Text::TPLNBaseText*>(it)) t->SetText(s);
  else if (auto* p = dynamic_cast<Text::TPLNBasePara*>(it)) p->SetText(s);
  else if (auto* f = dynamic_cast<F2d::TPLNBaseFlow*>(it)) f->SetText(s);
}

// Kinds whose box is typed into as soon as it is drawn.
bool TypedBox(TORVDrawKind k) {
  return k == TORVDrawKind::Paragraph || k == TORVDrawKind::Flow || k == TORVDrawKind::RichText;
}

bool IsMultiClick(TORVDrawKind k) {
  return k == TORVDrawKind::PolyLine || k == TORVDrawKind::Polygon || k == TORVDrawKind::Bezier;
}

bool IsTwoPoint(TORVDrawKind k) {
  switch (k) {
    case TORVDrawKind::Line:
    case TORVDrawKind::ArrowLine:
    case TORVDrawKind::Rectangle:
    case TORVDrawKind::Ellipse:
    case TORVDrawKind::Circle:
    case TORVDrawKind::Paragraph:
    case TORVDrawKind::Flow:
    case TORVDrawKind::NutriScore:
    case TORVDrawKind::Package:
    case TORVDrawKind::Level:
    case TORVDrawKind::Rank:
    case TORVDrawKind::Image:
    case TORVDrawKind::Table:
    case TORVDrawKind::RichText: return true;
    default: return false;
  }
}

std::vector<std::int64_t> Flat(const std::vector<TORVPto>& pts) {
  std::vector<std::int64_t> v;
  v.reserve(pts.size() * 2);
  for (const TORVPto& p : pts) {
    v.push_back(p.X);
    v.push_back(p.Y);
  }
  return v;
}

// A smooth curve through the clicked anchors: Catmull-Rom tangents give the controls.
std::vector<TORVPto> BezierThrough(const std::vector<TORVPto>& a) {
  std::vector<TORVPto> out{a[0]};
  const std::size_t n = a.size();
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const TORVPto p0 = a[i == 0 ? 0 : i - 1], p1 = a[i], p2 = a[i + 1], p3 = a[i + 2 < n ? i + 2 : n - 1];
    out.push_back({p1.X + Round((p2.X - p0.X) / 6.0), p1.Y + Round((p2.Y - p0.Y) / 6.0)});
    out.push_back({p2.X - Round((p3.X - p1.X) / 6.0), p2.Y - Round((p3.Y - p1.Y) / 6.0)});
    out.push_back(p2);
  }
  return out;
}

// Centre and radius of a round item, for radius and diameter dimensions.
bool RoundOf(const TPLNBaseItem* it, TORVPto& c, std::int64_t& r) {
  if (auto* ci = dynamic_cast<const F2d::TPLNBaseCircle*>(it)) {
    c = ci->Center();
    r = ci->Radius();
    return r > 0;
  }
  if (auto* a = dynamic_cast<const Line::TPLNBaseArc*>(it)) {
    c = a->GetCenter();
    r = a->GetRadius();
    return r > 0;
  }
  if (auto* s = dynamic_cast<const F2d::TPLNBaseSector*>(it)) {
    c = {s->GetBaseCenterX(), s->GetBaseCenterY()};
    r = s->GetBaseRadio();
    return r > 0;
  }
  return false;
}

// One undo step and one notification for a change of several items.
class TStep {
 public:
  explicit TStep(TPLNBaseLabel& doc, bool undo = true) : fDoc(doc), fUndo(undo) {
    if (fUndo) fDoc.BeginUndoGroup();
    fDoc.BeginUpdate();
  }
  ~TStep() {
    fDoc.EndUpdate();
    if (fUndo) fDoc.EndUndoGroup();
  }
  TStep(const TStep&) = delete;
  TStep& operator=(const TStep&) = delete;

 private:
  TPLNBaseLabel& fDoc;
  bool fUndo;
};

void OpenGroup(TPLNBaseLabel& doc) {
  doc.BeginUndoGroup();
  ++doc.Act().UndoDepth;
}

void CloseGroups(TPLNBaseLabel& doc) {
  while (doc.Act().UndoDepth > 0) {
    --doc.Act().UndoDepth;
    doc.EndUndoGroup();
  }
}

// A group left open by an action that ended without the document (its TAct reset from outside).
void CloseOrphans(TPLNBaseLabel& doc) {
  const TAct& a = doc.Act();
  if (a.UndoDepth > 0 && !a.Dragging && !a.IsText() && !doc.GetTextObject()) CloseGroups(doc);
}

void Report(TPLNBaseLabel& doc, const QString& why) {
  if (doc.OnInfoMsg) doc.OnInfoMsg(why);
}

// Offset of the rotation handle above the selection: 5 mm on paper.
std::int64_t RotateGap(const TPLNBaseLabel& doc) { return 5000 * doc.GetCoordMultiplier(); }

}  // namespace

// ---------------------------------------------------------------- actions

void TPLNBaseLabel::StartAction(TORVDrawKind kind) {
  if (fTextObject) Clear(false, true);
  CloseGroups(*this);
  fAct.Reset();
  if (kind != TORVDrawKind::None && kind != TORVDrawKind::Count && fEditable) {
    fAct.Action = TORVAction::Draw;
    fAct.Kind = kind;
  }
  NotifyChange(TORChange::Action);
}

void TPLNBaseLabel::ResetAction() {
  if (fTextObject) Clear(false, true);
  CloseGroups(*this);
  fAct.Reset();
  NotifyChange(TORChange::Action);
}

namespace {

// Ends a drag of the selection action or of a handle; the action goes back to selection.
void EndDrag(TPLNBaseLabel& doc) {
  TAct& a = doc.Act();
  CloseGroups(doc);
  a.Move = TORVMoveKind::None;
  a.MoveIndex = 0;
  a.Dragging = false;
  a.HasDragStart = false;
  a.DragChanged = false;
  a.Turned = 0;
  a.QuarterTurns = 0;
  a.BandAdds = false;
  if (a.Action == TORVAction::Move) a.Action = TORVAction::Selection;
}

// Creates the item of the draw action from its placed points; false while more are needed.
// `finish`: a right click or double click ends an item of many points.
bool CompleteDraw(TPLNBaseLabel& doc, bool finish, TPLNBaseItem** madeOut = nullptr) {
  TAct& a = doc.Act();
  const std::vector<TORVPto>& p = a.Points;
  const std::size_t n = p.size();
  TPLNBaseItem* made = nullptr;
  bool done = false;
  auto create = [&](auto&& make) {
    done = true;
    doc.BeginUndoGroup();
    try {
      made = make();
    } catch (const EPLNError& e) {
      Report(doc, e.Message());
      made = nullptr;
    }
    doc.EndUndoGroup();
  };
  switch (a.Kind) {
    case TORVDrawKind::Point:
      if (n >= 1) create([&] { return doc.AddBasePoint(p[0].X, p[0].Y); });
      break;
    case TORVDrawKind::Code:
      if (n >= 1) create([&] { return doc.AddBaseCode(p[0].X, p[0].Y, a.Style.CodeKind); });
      break;
    case TORVDrawKind::Line:
    case TORVDrawKind::ArrowLine:
      if (n >= 2) {
        if (p[0] == p[1]) {
          done = true;
          break;
        }
        if (a.Kind == TORVDrawKind::Line) create([&] { return doc.AddBaseLine(p[0].X, p[0].Y, p[1].X, p[1].Y); });
        else create([&] { return doc.AddBaseArrowLine(p[0].X, p[0].Y, p[1].X, p[1].Y); });
      }
      break;
    case TORVDrawKind::Rectangle:
    case TORVDrawKind::Ellipse:
    case TORVDrawKind::Paragraph:
    case TORVDrawKind::Flow:
    case TORVDrawKind::NutriScore:
    case TORVDrawKind::Package:
    case TORVDrawKind::Level:
    case TORVDrawKind::Rank:
    case TORVDrawKind::Image:
    case TORVDrawKind::Table:
    case TORVDrawKind::RichText:
      if (n >= 2) {
        const TORVBounds b = BoxOf(p[0], p[1]);
        const std::int64_t w = b.X2 - b.X1, h = b.Y2 - b.Y1;
        if (w == 0 || h == 0) {
          done = true;
          break;
        }
        if (a.Kind == TORVDrawKind::Rectangle) create([&] { return doc.AddBaseRectangle(b.X1, b.Y1, w, h); });
        else if (a.Kind == TORVDrawKind::Ellipse)
          create([&] { return doc.AddBaseEllipse(b.X1 + w / 2, b.Y1 + h / 2, w / 2, h / 2); });
        else if (a.Kind == TORVDrawKind::Flow) create([&] { return doc.AddBaseFlow(b.X1, b.Y1, w, h, a.Style.FlowType); });
        else if (a.Kind == TORVDrawKind::NutriScore) create([&] { return doc.AddBaseNutriScore(b.X1, b.Y1, w, h); });
        else if (a.Kind == TORVDrawKind::Package) create([&] { return doc.AddBasePackage(b.X1, b.Y1, w, h); });
        else if (a.Kind == TORVDrawKind::Level)
          create([&] { return doc.AddBaseLevel(b.X1 + w / 2, b.Y1 + h / 2, std::min(w, h) / 2); });
        else if (a.Kind == TORVDrawKind::Rank) create([&] { return doc.AddBaseRank(b.X1, b.Y1, w, h); });
        else if (a.Kind == TORVDrawKind::Image)
          create([&] { return doc.AddBaseImage(b.X1, b.Y1, w, h, a.Style.ImageFile); });
        else if (a.Kind == TORVDrawKind::Table) create([&] { return doc.AddBaseTable(b.X1, b.Y1, w, h); });
        else if (a.Kind == TORVDrawKind::RichText) create([&] { return doc.AddBaseRichText(b.X1, b.Y1, w, h); });
        else create([&] { return doc.AddBaseParagraph(b.X1, b.Y1, w, h); });
      }
      break;
    case TORVDrawKind::Circle:
      if (n >= 2) {
        const std::int64_t r = Round(Dist(p[0], p[1]));
        if (r == 0) done = true;
        else create([&] { return doc.AddBaseCircle(p[0].X, p[0].Y, r); });
      }
      break;
    case TORVDrawKind::Circle3P:
      if (n >= 3) {
        std::int64_t cx, cy, r;
        if (!TDraw2D::CircleThreePoints(double(p[0].X), double(p[0].Y), double(p[1].X), double(p[1].Y), double(p[2].X),
                                        double(p[2].Y), cx, cy, r) || r == 0)
          done = true;
        else create([&] { return doc.AddBaseCircle(cx, cy, r); });
      }
      break;
    case TORVDrawKind::Arc:
      if (n >= 3) {
        TPointD c;
        double r, start, sweep;
        if (!TDraw2D::ArcThreePoints({double(p[0].X), double(p[0].Y)}, {double(p[1].X), double(p[1].Y)},
                                     {double(p[2].X), double(p[2].Y)}, c, r, start, sweep) || r < 1)
          done = true;
        else create([&] { return doc.AddBaseArc(Round(c.X), Round(c.Y), Round(r), start, sweep); });
      }
      break;
    case TORVDrawKind::Sector:
      if (n >= 3) {
        const std::int64_t r = Round(Dist(p[0], p[1]));
        if (r == 0) {
          done = true;
          break;
        }
        const double s = std::atan2(double(p[1].Y - p[0].Y), double(p[1].X - p[0].X));
        const double e = std::atan2(double(p[2].Y - p[0].Y), double(p[2].X - p[0].X));
        double gap = Norm(e - s) * 180.0 / kPi;
        if (gap < 1e-9) gap = 360;
        create([&] { return doc.AddBaseSector(p[0].X, p[0].Y, r, s * 180.0 / kPi, gap); });
      }
      break;
    case TORVDrawKind::PolyLine:
    case TORVDrawKind::Polygon:
    case TORVDrawKind::Bezier:
      if (finish) {
        done = true;
        const std::size_t need = a.Kind == TORVDrawKind::Polygon ? 3 : 2;
        if (n < need) break;
        if (a.Kind == TORVDrawKind::PolyLine) create([&] { return doc.AddBasePolyLine(Flat(p)); });
        else if (a.Kind == TORVDrawKind::Polygon) create([&] { return doc.AddBasePolygon(Flat(p)); });
        else create([&] { return doc.AddBaseBezier(Flat(BezierThrough(p))); });
      }
      break;
    case TORVDrawKind::Dim:
      if (n >= 3) {
        if (p[0] == p[1]) done = true;
        else create([&] { return doc.AddBaseDim(p[0].X, p[0].Y, p[1].X, p[1].Y, p[2].X, p[2].Y); });
      }
      break;
    case TORVDrawKind::DimRadial:
    case TORVDrawKind::DimDiameter:
      // Points: the picked circle's centre (with RefRadius), then the caption point.
      if (n >= 2) {
        const TORVPto c = p[0];
        const double d = Dist(c, p[1]);
        const double angle = d > 0 ? std::atan2(double(p[1].Y - c.Y), double(p[1].X - c.X)) : 0.0;
        const bool outside = d > double(a.RefRadius);
        const std::int64_t r = a.RefRadius;
        create([&] { return doc.AddBaseDimRadius(c.X, c.Y, r, angle, a.Kind == TORVDrawKind::DimDiameter, outside); });
      }
      break;
    case TORVDrawKind::DimAngle:
      if (n >= 4) create([&] { return doc.AddBaseDimAngle({p[0].X, p[0].Y, p[1].X, p[1].Y, p[0].X, p[0].Y, p[2].X, p[2].Y, p[3].X, p[3].Y}); });
      break;
    case TORVDrawKind::Link:
      // Points: the start connector's position, then the end's; the ends themselves were found
      // by LinkEnd when they were pressed.
      if (n >= 2 && a.LinkToID != 0) {
        const TORVToolStyle style = a.Style;
        const std::int32_t fromID = a.LinkFromID, toID = a.LinkToID;
        const auto fromPoint = static_cast<std::int16_t>(a.LinkFromPoint);
        const auto toPoint = static_cast<std::int16_t>(a.LinkToPoint);
        create([&] {
          TPLNBaseItem* item = doc.AddBaseLink(fromID, toID, fromPoint, toPoint, style.LinkType);
          if (auto* link = dynamic_cast<F2d::TPLNBaseLink*>(item)) {
            link->SetFromType(style.FromType);
            link->SetToType(style.ToType);
            link->SetFromColor(style.FromColor);
            link->SetToColor(style.ToColor);
          }
          return item;
        });
      } else if (n >= 2) {
        done = true;
      }
      break;
    case TORVDrawKind::Text:
    case TORVDrawKind::None:
    case TORVDrawKind::Count: break;
  }
  if (!done) return false;
  a.Points.clear();
  if (made) {
    doc.ClearSelection();
    doc.Select(made);
  }
  if (madeOut) *madeOut = made;
  return true;
}

// A press (or the release of a drag) of the link tool. The first on a connector starts the link;
// the next on a connector of another item ends it and makes the link. One anywhere else drops
// what was begun: a link is made whole or not at all.
void LinkEnd(TPLNBaseLabel& doc, const TORVPto& p) {
  TAct& a = doc.Act();
  const auto drop = [&a] {
    a.Points.clear();
    a.LinkFromID = a.LinkFromPoint = a.LinkToID = a.LinkToPoint = 0;
  };
  const TPLNBaseItem* from = nullptr;
  if (!a.Points.empty()) {
    from = doc.FindByID(a.LinkFromID);
    // The start went meanwhile (an undo from a menu): nothing to link from.
    if (!from) {
      drop();
      return;
    }
  }
  TORVink hit;
  if (!doc.SearchLink(p.X, p.Y, a.PressTolerance, hit, from)) {
    drop();
    return;
  }
  const TPLNBaseItem* item = doc.GetItem(hit.Item);
  if (!from) {
    a.Points.push_back(hit.P);
    a.Current = hit.P;
    a.LinkFromID = item->GetID();
    a.LinkFromPoint = hit.Point;
    return;
  }
  a.LinkToID = item->GetID();
  a.LinkToPoint = hit.Point;
  a.Points.push_back(hit.P);
  CompleteDraw(doc, false);
  drop();
}

}  // namespace

void TPLNBaseLabel::PickEditor(std::int64_t x, std::int64_t y, std::int64_t tolerance, TShiftState shift, bool /*flag*/) {
  CloseOrphans(*this);
  fAct.Press = {x, y};
  fAct.PressTolerance = tolerance < 0 ? 0 : tolerance;
  fAct.HasPress = true;

  if (fAct.IsText()) {
    // A press outside the text ends typing; the draw tool (if any) stays for the next item.
    Clear(true, true);
    return;
  }

  if (fAct.Action == TORVAction::Draw) {
    if (!fEditable) {
      ResetAction();
      return;
    }
    const TORVPto p{x, y};
    if (fAct.Kind == TORVDrawKind::Text) {
      OpenGroup(*this);
      TPLNBaseItem* item = nullptr;
      try {
        item = AddBaseText(x, y);
      } catch (const EPLNError& e) {
        Report(*this, e.Message());
      }
      if (!item) {
        CloseGroups(*this);
        return;
      }
      ClearSelection();
      Select(item);
      fTextObject = item;
      fTextObjectNew = true;
      fAct.Text.clear();
      fAct.Action = TORVAction::Text;
      NotifyChange(TORChange::TextEditing, reinterpret_cast<TORChangeValue>(item));
      NotifyChange(TORChange::Action);
      return;
    }
    if (fAct.Kind == TORVDrawKind::DimRadial || fAct.Kind == TORVDrawKind::DimDiameter) {
      if (fAct.Points.empty()) {
        // The first click picks the circle, arc or sector to dimension.
        std::vector<int> hits;
        ItemsIn({x - fAct.PressTolerance, y - fAct.PressTolerance, x + fAct.PressTolerance, y + fAct.PressTolerance}, hits);
        for (auto i = hits.rbegin(); i != hits.rend(); ++i) {
          const TPLNBaseItem* it = GetItem(*i);
          TORVPto c;
          std::int64_t r;
          if (!it->IsPreview() && it->HasOptions(Opt::Visible) && RoundOf(it, c, r) && it->Pick(x, y, fAct.PressTolerance)) {
            fAct.RefCenter = c;
            fAct.RefRadius = r;
            fAct.Points.push_back(c);
            break;
          }
        }
        NotifyChange(TORChange::Action);
        return;
      }
    }
    if (fAct.Kind == TORVDrawKind::Link) {
      LinkEnd(*this, p);
      NotifyChange(TORChange::Action);
      return;
    }
    // A second press on the same spot (the first half of a double click) adds nothing.
    if (IsMultiClick(fAct.Kind) && !fAct.Points.empty() && Dist(fAct.Points.back(), p) <= double(fAct.PressTolerance)) return;
    fAct.Points.push_back(p);
    fAct.Current = p;
    // A paragraph or a flow box is typed into once its box is drawn: creation and typing make
    // one undo step.
    const bool paragraph = TypedBox(fAct.Kind) && fAct.Points.size() == 2;
    if (paragraph) OpenGroup(*this);
    TPLNBaseItem* made = nullptr;
    CompleteDraw(*this, false, &made);
    if (paragraph) {
      if (made && IsTextKind(made)) {
        fTextObject = made;
        fTextObjectNew = true;
        fAct.Text.clear();
        fAct.Action = TORVAction::Text;
        NotifyChange(TORChange::TextEditing, reinterpret_cast<TORChangeValue>(made));
      } else {
        CloseGroups(*this);
      }
    }
    NotifyChange(TORChange::Action);
    return;
  }

  // Selection (a lingering handle drag ends first).
  if (fAct.Action == TORVAction::Move || fAct.Dragging) EndDrag(*this);
  const bool add = (shift & Shift::Shift) != 0;
  TPLNBaseItem* item = PickItemAt(x, y, fAct.PressTolerance);
  if (item) {
    if (add && IsSelected(item)) {
      Unselect(item);
      NotifyChange(TORChange::Action);
      return;
    }
    if (!IsSelected(item)) {
      if (!add) ClearSelection();
      Select(item);
    }
    if (fEditable) {
      fAct.Move = TORVMoveKind::Selection;
      fAct.Dragging = true;
      fAct.DragStart = fAct.DragLast = {x, y};
      fAct.HasDragStart = true;
    }
  } else {
    if (!add) ClearSelection();
    fAct.Move = TORVMoveKind::RubberBand;
    fAct.Dragging = true;
    fAct.BandAdds = add;
    fAct.DragStart = fAct.DragLast = {x, y};
    fAct.HasDragStart = true;
  }
  NotifyChange(TORChange::Action);
}

void TPLNBaseLabel::PickEditorValue(double value) {
  if (!fEditable || !std::isfinite(value)) return;
  if (fAct.Move == TORVMoveKind::Rotate && !fSelection.empty()) {
    // An angle in degrees, clockwise, about the centre of the selection.
    const TORVBounds b = SelectionBox();
    const std::int64_t cx = (b.X1 + b.X2) / 2, cy = (b.Y1 + b.Y2) / 2;
    {
      TStep step(*this);
      for (TPLNBaseItem* it : std::vector<TPLNBaseItem*>(fSelection)) it->Rotate(cx, cy, value * kPi / 180.0);
    }
    EndDrag(*this);
    NotifyChange(TORChange::Action);
    return;
  }
  if (fAct.Action != TORVAction::Draw || fAct.Points.empty() || value <= 0) return;
  const std::int64_t len = Utils::SetValue(value, fUnits);
  if (len <= 0) return;
  const TORVPto p0 = fAct.Points.back();
  TORVPto next;
  switch (fAct.Kind) {
    case TORVDrawKind::Rectangle:
    case TORVDrawKind::Ellipse:
    case TORVDrawKind::Paragraph:
    case TORVDrawKind::Flow:
    case TORVDrawKind::NutriScore:
    case TORVDrawKind::Package:
    case TORVDrawKind::Level:
    case TORVDrawKind::Rank:
    case TORVDrawKind::Image:
    case TORVDrawKind::Table:
    case TORVDrawKind::RichText: {
      // A square of that side, towards the pointer.
      const std::int64_t sx = fAct.Current.X >= p0.X ? 1 : -1, sy = fAct.Current.Y >= p0.Y ? 1 : -1;
      next = {p0.X + sx * len, p0.Y + sy * len};
      break;
    }
    case TORVDrawKind::Circle:
    case TORVDrawKind::Sector:
    case TORVDrawKind::Line:
    case TORVDrawKind::ArrowLine:
    case TORVDrawKind::PolyLine:
    case TORVDrawKind::Polygon:
    case TORVDrawKind::Bezier:
    case TORVDrawKind::Dim: {
      // That length (a radius for round kinds) towards the pointer; along x without a direction.
      const double dx = double(fAct.Current.X - p0.X), dy = double(fAct.Current.Y - p0.Y), d = std::hypot(dx, dy);
      next = d > 0 ? TORVPto{p0.X + Round(dx / d * len), p0.Y + Round(dy / d * len)} : TORVPto{p0.X + len, p0.Y};
      break;
    }
    default: return;
  }
  // Exactly as if the point had been clicked.
  PickEditor(next.X, next.Y, fAct.PressTolerance, Shift::None, false);
}

void TPLNBaseLabel::RightButton(std::int64_t /*x*/, std::int64_t /*y*/, std::int64_t /*tolerance*/, TShiftState /*shift*/) {
  if (fAct.IsText()) {
    Clear(true, true);
    return;
  }
  if (fAct.Action == TORVAction::Draw) {
    // Ends an item of many points; any other unfinished item is dropped.
    if (!(IsMultiClick(fAct.Kind) && CompleteDraw(*this, true))) fAct.Points.clear();
    NotifyChange(TORChange::Action);
    return;
  }
  if (fAct.Dragging || fAct.Action == TORVAction::Move) {
    EndDrag(*this);
    NotifyChange(TORChange::Action);
  }
}

void TPLNBaseLabel::UpEditor(std::int64_t x, std::int64_t y) {
  CloseOrphans(*this);
  if (fAct.Action == TORVAction::Draw) {
    // Lines, boxes and links may be drawn by a drag as well as by two clicks: a release away
    // from the first point places the second.
    const bool twoPoint = IsTwoPoint(fAct.Kind) || fAct.Kind == TORVDrawKind::Link;
    if (twoPoint && fAct.State() == 1 && Dist(fAct.Points[0], TORVPto{x, y}) > double(fAct.PressTolerance))
      PickEditor(x, y, fAct.PressTolerance, Shift::None, false);
    return;
  }
  if (!fAct.Dragging && fAct.Action != TORVAction::Move) return;
  if (fAct.Move == TORVMoveKind::RubberBand) {
    fAct.DragLast = {x, y};
    const TORVBounds band = BoxOf(fAct.DragStart, fAct.DragLast);
    std::vector<int> hits;
    ItemsIn(band, hits);
    std::vector<TPLNBaseItem*> sel = fAct.BandAdds ? fSelection : std::vector<TPLNBaseItem*>{};
    std::unordered_set<const TPLNBaseItem*> in(sel.begin(), sel.end());
    for (int i : hits) {
      TPLNBaseItem* it = fItems[i - 1].get();
      if (!CanSelect(it) || in.count(it)) continue;
      const TORVBounds b = it->GetBounds();
      if (b.IsEmpty() || b.X1 < band.X1 || b.Y1 < band.Y1 || b.X2 > band.X2 || b.Y2 > band.Y2) continue;
      sel.push_back(it);
      in.insert(it);
    }
    for (TPLNBaseItem* it : fSelection) it->fState = kStateNormal;
    const std::vector<TPLNBaseItem*> before = std::exchange(fSelection, std::move(sel));
    for (TPLNBaseItem* it : fSelection) it->fState = kStateSelected;
    AnnounceSelection(before);
    NotifyChange(TORChange::Selection);
  }
  EndDrag(*this);
  NotifyChange(TORChange::Action);
}

void TPLNBaseLabel::MoveEditor(std::int64_t /*dx*/, std::int64_t /*dy*/, std::int64_t x, std::int64_t y, std::int64_t gridX,
                               std::int64_t gridY) {
  const TORVPto p{gridX != -1 ? gridX : x, gridY != -1 ? gridY : y};
  if (fAct.Action == TORVAction::Draw || fAct.IsText()) {
    fAct.Current = p;
    return;
  }
  if (!fAct.Dragging || fAct.Move == TORVMoveKind::None) return;
  if (fAct.Move == TORVMoveKind::RubberBand) {
    fAct.DragLast = p;
    NotifyChange(TORChange::Action);
    return;
  }
  if (!fEditable || fSelection.empty()) return;
  const bool single = fSelection.size() == 1;
  if (!fAct.HasDragStart) {
    // Grabbed by SetMove without a point: the drag starts at the handle.
    TORVPto start = p;
    const int n = GetSelPointCount();
    for (int i = 1; i <= n; ++i) {
      const TORVSelPoint h = GetSelPoint(i);
      if (MoveKindOf(h.Kind) == fAct.Move && (h.Index == fAct.MoveIndex || fAct.Move == TORVMoveKind::Selection ||
                                               fAct.Move == TORVMoveKind::Rotate)) {
        start = h.P;
        break;
      }
    }
    fAct.DragStart = fAct.DragLast = start;
    fAct.HasDragStart = true;
  }
  auto begin = [this] {
    if (fAct.DragChanged) return;
    fAct.DragChanged = true;
    OpenGroup(*this);
    if (fAct.Move == TORVMoveKind::Rotate) {
      const TORVBounds b = SelectionBox();
      fAct.Pivot = {(b.X1 + b.X2) / 2, (b.Y1 + b.Y2) / 2};
    }
  };
  const std::vector<TPLNBaseItem*> sel = fSelection;
  switch (fAct.Move) {
    case TORVMoveKind::Selection: {
      const std::int64_t ddx = p.X - fAct.DragLast.X, ddy = p.Y - fAct.DragLast.Y;
      if (ddx == 0 && ddy == 0) return;
      begin();
      TStep step(*this, false);
      for (TPLNBaseItem* it : sel) it->Move(ddx, ddy);
      break;
    }
    case TORVMoveKind::Size: {
      if (fAct.MoveIndex < 1 || fAct.MoveIndex > 8) return;
      const TORVBounds from = SelectionBox();
      if (from.IsEmpty()) return;
      TORVBounds to = from;
      const int h = fAct.MoveIndex;
      // NW, N, NE, E, SE, S, SW, W: which sides follow the pointer; a box never turns inside out.
      if (h == 1 || h == 7 || h == 8) to.X1 = std::min(p.X, from.X2 - (from.X2 > from.X1 ? 1 : 0));
      if (h == 3 || h == 4 || h == 5) to.X2 = std::max(p.X, from.X1 + (from.X2 > from.X1 ? 1 : 0));
      if (h == 1 || h == 2 || h == 3) to.Y1 = std::min(p.Y, from.Y2 - (from.Y2 > from.Y1 ? 1 : 0));
      if (h == 5 || h == 6 || h == 7) to.Y2 = std::max(p.Y, from.Y1 + (from.Y2 > from.Y1 ? 1 : 0));
      if (to.X1 == from.X1 && to.X2 == from.X2 && to.Y1 == from.Y1 && to.Y2 == from.Y2) return;
      begin();
      TStep step(*this, false);
      for (TPLNBaseItem* it : sel) it->Resize(from, to);
      break;
    }
    case TORVMoveKind::Point:
    case TORVMoveKind::Radius:
    case TORVMoveKind::Center:
      if (!single) return;
      begin();
      sel[0]->MovePoint(fAct.MoveIndex, p.X, p.Y);
      break;
    case TORVMoveKind::InsertPoint:
      if (!single) return;
      begin();
      // The point goes in once; the drag then moves it.
      if (sel[0]->InsertPoint(fAct.MoveIndex, p.X, p.Y)) {
        fAct.Move = TORVMoveKind::Point;
        fAct.MoveIndex += 1;
      }
      break;
    case TORVMoveKind::Rotate: {
      begin();
      const double a0 = std::atan2(double(fAct.DragLast.Y - fAct.Pivot.Y), double(fAct.DragLast.X - fAct.Pivot.X));
      const double a1 = std::atan2(double(p.Y - fAct.Pivot.Y), double(p.X - fAct.Pivot.X));
      double da = a1 - a0;
      if (da > kPi) da -= 2 * kPi;
      if (da <= -kPi) da += 2 * kPi;
      if (da == 0) return;
      TStep step(*this, false);
      fAct.Turned += da;
      // Boxes and texts follow the pointer in whole quarter turns, the nearest to the angle swept.
      const int quarters = static_cast<int>(std::lround(fAct.Turned / (kPi / 2)));
      const double quarterStep = (quarters - fAct.QuarterTurns) * (kPi / 2);
      fAct.QuarterTurns = quarters;
      for (TPLNBaseItem* it : sel) {
        if (it->TurnsFreely()) it->Rotate(fAct.Pivot.X, fAct.Pivot.Y, da);
        else if (quarterStep != 0) it->Rotate(fAct.Pivot.X, fAct.Pivot.Y, quarterStep);
      }
      break;
    }
    default: return;
  }
  fAct.DragLast = p;
}

void TPLNBaseLabel::MoveGridEditor(std::int64_t x, std::int64_t y, std::int64_t px, std::int64_t py, bool /*flag*/) {
  if (fAct.Dragging && fAct.Move == TORVMoveKind::Selection) {
    // Whole grid steps: the selection moves by the step between the two grid points.
    if (!fEditable || fSelection.empty() || (x == px && y == py)) return;
    if (!fAct.DragChanged) {
      fAct.DragChanged = true;
      OpenGroup(*this);
    }
    TStep step(*this, false);
    for (TPLNBaseItem* it : std::vector<TPLNBaseItem*>(fSelection)) it->Move(x - px, y - py);
    fAct.DragLast = {x, y};
    return;
  }
  MoveEditor(x - px, y - py, x, y, x, y);
}

bool TPLNBaseLabel::DoDblClick() {
  if (fAct.Action == TORVAction::Draw) {
    if (!IsMultiClick(fAct.Kind)) return false;
    const bool done = CompleteDraw(*this, true);
    NotifyChange(TORChange::Action);
    return done;
  }
  if (fAct.IsText() || !fAct.HasPress || !fEditable) return false;
  return EditItemText(PickItemAt(fAct.Press.X, fAct.Press.Y, fAct.PressTolerance));
}

bool TPLNBaseLabel::EditItemText(TPLNBaseItem* item) {
  if (!fEditable || !IsTextKind(item) || IndexOf(item) == 0) return false;
  if (fTextObject) Clear(true, true);
  EndDrag(*this);
  // A plain text's typing is one undo step; a rich text's changes are steps of their own, so
  // undo takes back one format or one word at a time.
  if (!dynamic_cast<const Text::TPLNBaseRichText*>(item)) OpenGroup(*this);
  ClearSelection();
  Select(item);
  fTextObject = item;
  fTextObjectNew = false;
  fAct.Text = ItemText(item);
  fAct.Action = TORVAction::Text;
  NotifyChange(TORChange::TextEditing, reinterpret_cast<TORChangeValue>(item));
  NotifyChange(TORChange::Action);
  return true;
}

bool TPLNBaseLabel::PickItem(const TPLNBaseItem* item, std::int64_t x, std::int64_t y, std::int64_t tolerance, bool /*flag*/) const {
  return item && item->Owner() == this && item->Pick(x, y, tolerance);
}

bool TPLNBaseLabel::SearchSelectedText(std::int64_t x, std::int64_t y, std::int64_t tolerance, TShiftState /*shift*/) {
  return fTextObject && fTextObject->Pick(x, y, tolerance);
}

// ---------------------------------------------------------------- handles

namespace {
// Every handle of the selection, in the order GetSelPoint counts them.
std::vector<TORVSelPoint> Handles(const TPLNBaseLabel& doc, const TORVBounds& box) {
  std::vector<TORVSelPoint> pts;
  const int n = doc.GetSelectionCount();
  if (n == 0) return pts;
  if (n == 1) {
    doc.GetSelection(1)->GetSelPoints(pts);
  } else {
    AddSizeHandles(box, nullptr, pts);
    pts.push_back({{(box.X1 + box.X2) / 2, (box.Y1 + box.Y2) / 2}, TORVHandleKind::Move, 0, nullptr});
  }
  if (!box.IsEmpty()) pts.push_back({{(box.X1 + box.X2) / 2, box.Y1 - RotateGap(doc)}, TORVHandleKind::Rotate, 0, nullptr});
  return pts;
}
}  // namespace

int TPLNBaseLabel::GetSelPointCount() const {
  if (fSelection.empty()) return 0;
  return static_cast<int>(Handles(*this, SelectionBox()).size());
}

TORVSelPoint TPLNBaseLabel::GetSelPoint(int i) const {
  if (fSelection.empty() || i < 1) return {};
  const std::vector<TORVSelPoint> pts = Handles(*this, SelectionBox());
  if (i > static_cast<int>(pts.size())) return {};
  return pts[i - 1];
}

TORVBounds TPLNBaseLabel::RubberBand() const {
  if (!fAct.Dragging || fAct.Move != TORVMoveKind::RubberBand) return {};
  return BoxOf(fAct.DragStart, fAct.DragLast);
}

// ---------------------------------------------------------------- selection commands

TORVBounds TPLNBaseLabel::SelectionBox() const {
  TORVBounds b;
  for (const TPLNBaseItem* it : fSelection) b.Add(EditBox(it));
  return b;
}

std::int64_t TPLNBaseLabel::SelectionBounds(int side) const {
  const TORVBounds b = SelectionBox();
  if (b.IsEmpty()) return -1;
  switch (side) {
    case 1: return b.X1;
    case 2: return b.Y1;
    case 3: return b.X2;
    case 4: return b.Y2;
    default: return -1;
  }
}

void TPLNBaseLabel::MoveSelection(double dx, double dy, bool /*refLines*/, bool undo) {
  if (!fEditable || fSelection.empty() || !std::isfinite(dx) || !std::isfinite(dy)) return;
  const std::int64_t bx = Utils::SetValue(dx, fUnits), by = Utils::SetValue(dy, fUnits);
  if (bx == 0 && by == 0) return;
  TStep step(*this, undo);
  for (TPLNBaseItem* it : std::vector<TPLNBaseItem*>(fSelection)) it->Move(bx, by);
}

void TPLNBaseLabel::MoveSize(double amount, int side, bool /*refLines*/, bool undo) {
  if (!fEditable || fSelection.empty() || !std::isfinite(amount) || side < 1 || side > 4) return;
  const std::int64_t d = Utils::SetValue(amount, fUnits);
  const TORVBounds from = SelectionBox();
  if (d == 0 || from.IsEmpty()) return;
  TORVBounds to = from;
  if (side == 1) to.X1 -= d;
  if (side == 2) to.Y1 -= d;
  if (side == 3) to.X2 += d;
  if (side == 4) to.Y2 += d;
  // Shrinking stops before the box turns inside out (or flat, when it had an extent).
  if (to.X2 - to.X1 < (from.X2 > from.X1 ? 1 : 0) || to.Y2 - to.Y1 < (from.Y2 > from.Y1 ? 1 : 0)) return;
  TStep step(*this, undo);
  for (TPLNBaseItem* it : std::vector<TPLNBaseItem*>(fSelection)) it->Resize(from, to);
}

namespace {

// A quarter turn of the label takes the sheet with it: paper, margins, gaps and the label grid
// exchange their axes, so a label that filled its sheet still does.
TPLNMeasure TurnedSheet(const TPLNMeasure& m) {
  TPLNMeasure t = m;
  std::swap(t.Sizes[TPLNMeasure::PaperWidth], t.Sizes[TPLNMeasure::PaperHeight]);
  std::swap(t.Sizes[TPLNMeasure::LabelWidth], t.Sizes[TPLNMeasure::LabelHeight]);
  std::swap(t.Sizes[TPLNMeasure::LeftMargin], t.Sizes[TPLNMeasure::TopMargin]);
  std::swap(t.Sizes[TPLNMeasure::HorzGap], t.Sizes[TPLNMeasure::VertGap]);
  std::swap(t.Rows, t.Columns);
  return t;
}

bool TurnLabel(TPLNBaseLabel& doc, bool right) {
  if (!doc.GetEditable()) return false;
  // Points placed for an item, or a text being typed, belong to the page as it was.
  if (doc.Act().Action != TORVAction::Selection) doc.ResetAction();
  const TPLNMeasure& m = doc.Measure();
  const std::int64_t scale = std::max<std::int64_t>(1, m.DrawScale);
  const std::int64_t w = m.GetSize(TPLNMeasure::LabelWidth) * scale, h = m.GetSize(TPLNMeasure::LabelHeight) * scale;
  TStep step(doc);
  doc.SetMeasure(TurnedSheet(m));
  // About the origin, exact in whole base units, then back onto the turned label: a right turn
  // takes (x, y) to (h - y, x), a left turn to (y, w - x).
  for (int i = 1; i <= doc.GetItemsCount(); ++i) {
    TPLNBaseItem* it = doc.GetItem(i);
    if (it->IsPreview()) continue;
    it->Rotate(0, 0, right ? kPi / 2 : -kPi / 2);
    it->Move(right ? h : 0, right ? 0 : w);
  }
  // The background picture turns with the page (its rotation counts counter-clockwise turns).
  doc.SetImageRotation(static_cast<std::uint8_t>((doc.GetImageRotation() + (right ? 3 : 1)) % 4));
  return true;
}

}  // namespace

void TPLNBaseLabel::RotateLeft() {
  if (TurnLabel(*this, false) && OnLabelRotate) OnLabelRotate(true);
}

void TPLNBaseLabel::RotateRight() {
  if (TurnLabel(*this, true) && OnLabelRotate) OnLabelRotate(false);
}

void TPLNBaseLabel::SelectAll() {
  const std::vector<TPLNBaseItem*> before = fSelection;
  for (TPLNBaseItem* it : fSelection) it->fState = kStateNormal;
  fSelection.clear();
  for (const auto& it : fItems)
    if (CanSelect(it.get())) {
      fSelection.push_back(it.get());
      it->fState = kStateSelected;
    }
  AnnounceSelection(before);
  NotifyChange(TORChange::Selection);
}

namespace {
// The next (step 1) or previous (step -1) selectable item after `from` (0: none), wrapping.
int NextSelectable(const TPLNBaseLabel& doc, int from, int step) {
  const int n = doc.GetItemsCount();
  if (n == 0) return 0;
  int i = from == 0 ? (step > 0 ? 0 : n + 1) : from;
  for (int k = 0; k < n; ++k) {
    i += step;
    if (i > n) i = 1;
    if (i < 1) i = n;
    if (CanSelect(doc.GetItem(i))) return i;
  }
  return 0;
}
}  // namespace

void TPLNBaseLabel::SelectNext() {
  const int from = fSelection.empty() ? 0 : IndexOf(fSelection.back());
  const int i = NextSelectable(*this, from, 1);
  if (i == 0) return;
  ClearSelection();
  Select(GetItem(i));
  NotifyChange(TORChange::Find, reinterpret_cast<TORChangeValue>(GetItem(i)));
}

void TPLNBaseLabel::SelectPrior() {
  const int from = fSelection.empty() ? 0 : IndexOf(fSelection.front());
  const int i = NextSelectable(*this, from, -1);
  if (i == 0) return;
  ClearSelection();
  Select(GetItem(i));
  NotifyChange(TORChange::Find, reinterpret_cast<TORChangeValue>(GetItem(i)));
}

void TPLNBaseLabel::DeleteSelection() {
  if (!fEditable || fSelection.empty()) return;
  if (fTextObject && IsSelected(fTextObject)) Clear(false, true);
  if (fAct.Dragging || fAct.Action == TORVAction::Move) EndDrag(*this);
  const std::unordered_set<const TPLNBaseItem*> gone(fSelection.begin(), fSelection.end());
  TStep step(*this);
  for (int i = GetItemsCount(); i >= 1; --i)
    if (gone.count(fItems[i - 1].get())) DeleteItem(i);
}

void TPLNBaseLabel::DeletePoint(int index) {
  if (!fEditable || fSelection.size() != 1) return;
  TPLNBaseItem* it = fSelection[0];
  bool done = false;
  {
    TStep step(*this);
    done = it->DeletePoint(index);
  }
  if (!done)
    Report(*this, QStringLiteral("%1: point %2 cannot be removed").arg(it->KindName()).arg(index));
}

void TPLNBaseLabel::CutSelection() {
  if (!fEditable || fSelection.empty()) return;
  CopySelection();
  TPLNUndoGroup step(*this);
  DeleteSelection();
}

void TPLNBaseLabel::DuplicateSelection(std::int64_t offset) {
  if (!fEditable || fSelection.empty()) return;
  // The user's clipboard is not the duplicate's business.
  const QByteArray kept = fClipboard;
  CopySelection();
  try {
    TStep step(*this);
    const std::size_t before = fItems.size();
    PasteSelection();
    if (fItems.size() > before)
      for (TPLNBaseItem* it : std::vector<TPLNBaseItem*>(fSelection)) it->Move(offset, offset);
  } catch (...) {
    fClipboard = kept;
    throw;
  }
  fClipboard = kept;
}

// ---------------------------------------------------------------- typing

void TPLNBaseLabel::SetTextObjectText(const QString& text) {
  if (!fTextObject || !fEditable) return;
  fAct.Text = text;
  if (ItemText(fTextObject) != text) SetItemText(fTextObject, text);
}

bool TPLNBaseLabel::SetRichTextObjectValue(const QString& markup) {
  auto* rich = dynamic_cast<Text::TPLNBaseRichText*>(fTextObject);
  if (!rich || !fEditable || IndexOf(rich) == 0) return false;
  if (rich->GetRichText() == markup) return false;
  // A new rich text's creation closes with its first change; every change after it is a step.
  CloseGroups(*this);
  {
    TStep step(*this);
    rich->SetRichTextValue(markup);
  }
  fAct.Text = markup;
  return true;
}

void TPLNBaseLabel::UpdateEditing(bool /*flag*/) {
  NotifyChange(TORChange::TextEditing, reinterpret_cast<TORChangeValue>(fTextObject));
}

void TPLNBaseLabel::Clear(bool textMember, bool notify) {
  TPLNBaseItem* item = fTextObject;
  // The item may have gone meanwhile (deleted, undone): never touch a stale pointer.
  if (item && IndexOf(item) == 0) item = nullptr;
  if (item) {
    if (textMember && fEditable && ItemText(item) != fAct.Text) SetItemText(item, fAct.Text);
    // An empty new text is no item; a flow box without a caption still is one.
    if (fTextObjectNew && ItemText(item).isEmpty() && !IsFlow(item)) DeleteItem(IndexOf(item));
  }
  const bool wasText = fTextObject != nullptr || fAct.IsText();
  fTextObject = nullptr;
  fTextObjectNew = false;
  fAct.Text.clear();
  CloseGroups(*this);
  if (fAct.IsText())
    fAct.Action = fAct.Kind == TORVDrawKind::Text || TypedBox(fAct.Kind) ? TORVAction::Draw : TORVAction::Selection;
  if (notify && wasText) {
    NotifyChange(TORChange::StopTextEditing);
    NotifyChange(TORChange::Action);
  }
}

}  // namespace Orv
