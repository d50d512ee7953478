#include "MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QSettings>
#include <QStatusBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include "ImportDialog.h"
#include "ORV.FMX.AskValues.h"
#include "ORV.FMX.Editor.h"
#include "ORV.FMX.Export.h"
#include "ORV.FMX.Print.h"
#include "ORV.FMX.ShowPreview.h"
#include "ORV.FMX.h"
#include "ORV.Utils.h"
#include "StudioTexts.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace Planora::Studio {

namespace {

// The main window hears every change of its drawing: the title's modified mark, the edit
// commands' state and the palette's tool follow it.
class TDocWatch : public IORObserver {
 public:
  explicit TDocWatch(std::function<void(TORChange)> fn) : fFn(std::move(fn)) {}
  void UpdateCtrl(TORChange change, TORChangeValue) override { fFn(change); }

 private:
  std::function<void(TORChange)> fFn;
};

// One tool of the palette.
struct TTool {
  TORVDrawKind Kind;
  const char* Name;   // object name after "tool"
  const char* Label;  // message key
};

const TTool kTools[] = {
    {TORVDrawKind::None, "Select", "ToolSelect"},
    {TORVDrawKind::Point, "Point", "ToolPoint"},
    {TORVDrawKind::Line, "Line", "ToolLine"},
    {TORVDrawKind::ArrowLine, "ArrowLine", "ToolArrowLine"},
    {TORVDrawKind::PolyLine, "PolyLine", "ToolPolyLine"},
    {TORVDrawKind::Polygon, "Polygon", "ToolPolygon"},
    {TORVDrawKind::Bezier, "Bezier", "ToolBezier"},
    {TORVDrawKind::Rectangle, "Rectangle", "ToolRectangle"},
    {TORVDrawKind::Ellipse, "Ellipse", "ToolEllipse"},
    {TORVDrawKind::Circle, "Circle", "ToolCircle"},
    {TORVDrawKind::Circle3P, "Circle3P", "ToolCircle3P"},
    {TORVDrawKind::Arc, "Arc", "ToolArc"},
    {TORVDrawKind::Sector, "Sector", "ToolSector"},
    {TORVDrawKind::Text, "Text", "ToolText"},
    {TORVDrawKind::Paragraph, "Paragraph", "ToolParagraph"},
    {TORVDrawKind::RichText, "RichText", "ToolRichText"},
    {TORVDrawKind::Dim, "Dim", "ToolDim"},
    {TORVDrawKind::DimRadial, "DimRadial", "ToolDimRadial"},
    {TORVDrawKind::DimDiameter, "DimDiameter", "ToolDimDiameter"},
    {TORVDrawKind::DimAngle, "DimAngle", "ToolDimAngle"},
};

// The flow shapes, in the order of their values, and the link tool's choices. The names follow
// "flow", "linkRoute", "linkStart" or "linkEnd" in the actions' object names.
struct TFlowShape {
  TORVFlowType Type;
  const char* Name;
  const char* Label;  // message key
};

const TFlowShape kFlowShapes[] = {
    {TORVFlowType::Terminator, "Terminator", "FlowTerminator"},
    {TORVFlowType::Process, "Process", "FlowProcess"},
    {TORVFlowType::Document, "Document", "FlowDocument"},
    {TORVFlowType::MultiDocument, "Multidocument", "FlowMultidocument"},
    {TORVFlowType::Decision, "Decision", "FlowDecision"},
    {TORVFlowType::Data, "Data", "FlowData"},
    {TORVFlowType::Database, "Database", "FlowDatabase"},
    {TORVFlowType::Predefined, "Predefined", "FlowPredefined"},
    {TORVFlowType::ManualInput, "ManualInput", "FlowManualInput"},
    {TORVFlowType::ManualOperation, "ManualOperation", "FlowManualOperation"},
    {TORVFlowType::Preparation, "Preparation", "FlowPreparation"},
    {TORVFlowType::Ellipse, "Ellipse", "FlowEllipse"},
    {TORVFlowType::Start, "Start", "FlowStart"},
    {TORVFlowType::Step, "Step", "FlowStep"},
    {TORVFlowType::End, "End", "FlowEnd"},
};

// Word: how the status bar names the choice once selected links take it.
struct TChoice {
  int Value;
  const char* Name;
  const char* Label;  // message keys of the menu entry and of the status bar word
  const char* Word;
};

const TChoice kRoutes[] = {
    {0, "Direct", "RouteDirect", "RouteWordDirect"},
    {1, "LRTB", "RouteLRTB", "RouteWordLRTB"},
    {2, "TBLR", "RouteTBLR", "RouteWordTBLR"},
    {3, "Step", "RouteStep", "RouteWordStep"},
    {4, "Arc", "RouteArc", "RouteWordArc"},
    {5, "Curve", "RouteCurve", "RouteWordCurve"},
    {6, "PolyLine", "RoutePolyLine", "RouteWordPolyLine"},
    {7, "Round", "RouteRound", "RouteWordRound"},
};

const TChoice kTerminators[] = {
    {0, "None", "TermNone", "TermWordNone"},
    {1, "Circle", "TermCircle", "TermWordCircle"},
    {2, "FillCircle", "TermFillCircle", "TermWordFillCircle"},
    {3, "Arrow", "TermArrow", "TermWordArrow"},
    {4, "FillArrow", "TermFillArrow", "TermWordFillArrow"},
    {5, "Square", "TermSquare", "TermWordSquare"},
    {6, "FillSquare", "TermFillSquare", "TermWordFillSquare"},
    {7, "Rhombus", "TermRhombus", "TermWordRhombus"},
    {8, "FillRhombus", "TermFillRhombus", "TermWordFillRhombus"},
    {11, "Cross", "TermCross", "TermWordCross"},
};

// The outline of a flow shape in `r`, for the palette's pictures: bolder than the item's own
// (deeper waves and rims, wider stripes) so that each shape reads at 24 pixels.
QPainterPath FlowOutline(TORVFlowType type, const QRectF& r) {
  const double L = r.left(), T = r.top(), R = r.right(), B = r.bottom(), w = r.width(), h = r.height();
  const double cx = r.center().x(), cy = r.center().y();
  QPainterPath p;
  const auto poly = [&p](std::initializer_list<QPointF> pts) {
    p.addPolygon(QPolygonF(QList<QPointF>(pts)));
    p.closeSubpath();
  };
  switch (type) {
    case TORVFlowType::Terminator: p.addRoundedRect(r, h / 2, h / 2); break;
    case TORVFlowType::Process: p.addRect(r); break;
    case TORVFlowType::Document:
    case TORVFlowType::MultiDocument: {
      // The back sheets peek out above and to the right of the front one.
      const double d = type == TORVFlowType::MultiDocument ? w / 10 : 0;
      if (d > 0) poly({{L + 2 * d, T}, {R, T}, {R, B - 2 * d}, {L + 2 * d, B - 2 * d}});
      const double right = R - 2 * d, top = T + 2 * d;
      p.moveTo(L, B);
      p.quadTo(L + w / 4, B + h / 6, (L + right) / 2, B);
      p.quadTo(right - w / 4, B - h / 6, right, B);
      p.lineTo(right, top);
      p.lineTo(L, top);
      p.closeSubpath();
      break;
    }
    case TORVFlowType::Decision: poly({{cx, T}, {R, cy}, {cx, B}, {L, cy}}); break;
    case TORVFlowType::Data: poly({{L + w / 8, T}, {R, T}, {R - w / 8, B}, {L, B}}); break;
    case TORVFlowType::Database: {
      const double a = h / 6;
      p.moveTo(L, B - a);
      p.lineTo(L, T + a);
      p.quadTo(cx, T - a, R, T + a);
      p.lineTo(R, B - a);
      p.quadTo(cx, B + a, L, B - a);
      p.closeSubpath();
      p.moveTo(L, T + a);
      p.quadTo(cx, T + 3 * a, R, T + a);
      break;
    }
    case TORVFlowType::Predefined:
      p.addRect(r);
      p.moveTo(L + w / 8, T);
      p.lineTo(L + w / 8, B);
      p.moveTo(R - w / 8, T);
      p.lineTo(R - w / 8, B);
      break;
    case TORVFlowType::ManualInput: poly({{L, T + h / 3}, {R, T}, {R, B}, {L, B}}); break;
    case TORVFlowType::ManualOperation: poly({{L, T}, {R, T}, {R - w / 8, B}, {L + w / 8, B}}); break;
    case TORVFlowType::Preparation:
      poly({{L + w / 4, T}, {R - w / 4, T}, {R, cy}, {R - w / 4, B}, {L + w / 4, B}, {L, cy}});
      break;
    case TORVFlowType::Ellipse: p.addEllipse(r); break;
    case TORVFlowType::Start:
      p.moveTo(L + w / 8, T);
      p.lineTo(R - w / 8, T);
      p.lineTo(R, cy);
      p.lineTo(R - w / 8, B);
      p.lineTo(L + w / 8, B);
      p.cubicTo(L, B - h / 4, L, T + h / 4, L + w / 8, T);
      p.closeSubpath();
      break;
    case TORVFlowType::Step: poly({{L, T}, {R - w / 8, T}, {R, cy}, {R - w / 8, B}, {L, B}, {L + w / 8, cy}}); break;
    case TORVFlowType::End:
      p.moveTo(L, T);
      p.lineTo(R - w / 8, T);
      p.cubicTo(R, T + h / 4, R, B - h / 4, R - w / 8, B);
      p.lineTo(L, B);
      p.lineTo(L + w / 8, cy);
      p.closeSubpath();
      break;
  }
  return p;
}

// A 24 x 24 icon that `paint` draws on a transparent pixmap.
template <class F>
QIcon PaintedIcon(F paint) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  paint(p);
  p.end();
  return QIcon(pm);
}

QIcon FlowIcon(TORVFlowType type) {
  return PaintedIcon([&](QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xE8, 0xF0, 0xFF));
    p.drawPath(FlowOutline(type, QRectF(2.5, 5.5, 19, 13)));
  });
}

// The code tool's kinds, as item kind codes.
struct TCodeKind {
  const char* Name;
  const char* Label;  // message key
  int Value;
};
const TCodeKind kCodeKinds[] = {
    {"Barcode", "CodeBarcode", Kind::Barcode},     {"QRCode", "CodeQRCode", Kind::QRCode},
    {"DataMatrix", "CodeDataMatrix", Kind::DataMatrix}, {"PDF417", "CodePDF417", Kind::PDF417},
    {"PolyText", "CodePolyText", Kind::PolyText},
};

// Bars for linear codes, a module pattern for the 2-D ones, styled runs for the poly text.
QIcon CodeIcon(int kind) {
  return PaintedIcon([&](QPainter& p) {
    const QColor ink(0x20, 0x20, 0x20);
    if (kind == Kind::Barcode || kind == Kind::PDF417) {
      static const int widths[] = {2, 1, 1, 2, 3, 1, 1, 1, 2, 1, 3, 1, 1, 2, 1};
      int x = 2;
      bool bar = true;
      for (int w : widths) {
        if (bar) p.fillRect(QRect(x, kind == Kind::PDF417 ? 6 : 4, w, kind == Kind::PDF417 ? 12 : 16), ink);
        x += w;
        bar = !bar;
      }
      if (kind == Kind::PDF417) p.fillRect(QRect(2, 11, 20, 1), Qt::white);
    } else if (kind == Kind::PolyText) {
      QFont f = p.font();
      f.setPixelSize(13);
      f.setBold(true);
      p.setFont(f);
      p.setPen(QColor(0x1E, 0x60, 0xC0));
      p.drawText(QRect(0, 2, 12, 20), Qt::AlignCenter, QStringLiteral("A"));
      f.setBold(false);
      f.setItalic(true);
      p.setFont(f);
      p.setPen(QColor(0xC0, 0x30, 0x30));
      p.drawText(QRect(11, 2, 12, 20), Qt::AlignCenter, QStringLiteral("b"));
    } else {
      // A fixed module pattern with finder-like corners.
      static const char* rows[] = {"1110101", "1010011", "1110100", "0001011", "1101110", "0110001", "1011101"};
      for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 7; ++c)
          if (rows[r][c] == '1') p.fillRect(QRect(2 + c * 3, 2 + r * 3, 3, 3), ink);
      if (kind == Kind::DataMatrix) {
        p.fillRect(QRect(2, 2, 1, 21), ink);
        p.fillRect(QRect(2, 22, 21, 1), ink);
      }
    }
  });
}

// Five grade cells, the middle one raised.
QIcon NutriIcon() {
  return PaintedIcon([&](QPainter& p) {
    static const QRgb colours[] = {0xFF038141, 0xFF85BB2F, 0xFFFECB02, 0xFFEE8100, 0xFFE63E11};
    for (int i = 0; i < 5; ++i) {
      const bool raised = i == 2;
      p.fillRect(QRect(1 + i * 4 + (raised ? -1 : 0), raised ? 6 : 8, raised ? 6 : 4, raised ? 12 : 8), QColor(colours[i]));
    }
  });
}

// A disc half full.
QIcon LevelIcon() {
  return PaintedIcon([&](QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath lower;
    lower.moveTo(2.5, 12);
    lower.arcTo(QRectF(2.5, 2.5, 19, 19), 180, 180);
    lower.closeSubpath();
    p.fillPath(lower, QColor(0x2E, 0x86, 0xDE));
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.4));
    p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
  });
}

// A carton in isometric view.
QIcon PackageIcon() {
  return PaintedIcon([&](QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x50, 0x3A, 0x1E), 1.1));
    p.setBrush(QColor(0xC8, 0xA1, 0x65));
    p.drawPolygon(QPolygonF{{12, 3}, {21, 7.5}, {12, 12}, {3, 7.5}});
    p.setBrush(QColor(0xB0, 0x88, 0x4E));
    p.drawPolygon(QPolygonF{{3, 7.5}, {12, 12}, {12, 21.5}, {3, 17}});
    p.setBrush(QColor(0xDA, 0xB8, 0x82));
    p.drawPolygon(QPolygonF{{12, 12}, {21, 7.5}, {21, 17}, {12, 21.5}});
  });
}

// A framed landscape: sky, a hill and the sun.
QIcon ImageIcon() {
  return PaintedIcon([&](QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(2.5, 4.5, 19, 15), QColor(0xCF, 0xE6, 0xFA));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4C, 0xA3, 0x4C));
    p.drawPolygon(QPolygonF{{2.5, 19.5}, {9, 11}, {14, 16}, {17, 13}, {21.5, 19.5}});
    p.setBrush(QColor(0xF5, 0xB3, 0x01));
    p.drawEllipse(QPointF(16.5, 8.5), 2, 2);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2.5, 4.5, 19, 15));
  });
}

// A grid of three columns with a dark header row.
QIcon TableIcon() {
  return PaintedIcon([&](QPainter& p) {
    p.fillRect(QRectF(2.5, 4.5, 19, 4), QColor(0x40, 0x50, 0x60));
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1));
    p.drawRect(QRectF(2.5, 4.5, 19, 15));
    for (double x : {8.8, 15.2}) p.drawLine(QPointF(x, 4.5), QPointF(x, 19.5));
    for (double y : {8.5, 12.2, 15.8}) p.drawLine(QPointF(2.5, y), QPointF(21.5, y));
  });
}

// Three stars of five filled.
QIcon RankIcon() {
  return PaintedIcon([&](QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 0.8));
    for (int i = 0; i < 3; ++i) {
      const QRectF cell(0.5 + i * 8, 8, 7, 7);
      p.setBrush(i < 2 ? QColor(0xF5, 0xB3, 0x01) : QColor(0xD9, 0xD9, 0xD9));
      p.drawPath(Orv::Fmx::TPLNRank::GetPathStar(cell));
    }
  });
}

// Two boxes and a stepped link with its head.
QIcon LinkIcon() {
  return PaintedIcon([&](QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.4));
    p.setBrush(QColor(0xE8, 0xF0, 0xFF));
    p.drawRect(QRectF(1.5, 2.5, 9, 6));
    p.drawRect(QRectF(13.5, 15.5, 9, 6));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{{6, 8.5}, {6, 12}, {18, 12}, {18, 14.5}});
    p.setBrush(QColor(0x20, 0x20, 0x20));
    p.drawPolygon(QPolygonF{{18, 15.5}, {15.5, 12.5}, {20.5, 12.5}});
  });
}

void ArrowHead(QPainter& p, QPointF tip, QPointF from) {
  const QLineF l(tip, from);
  QLineF a = l, b = l;
  a.setLength(5);
  b.setLength(5);
  a.setAngle(l.angle() + 25);
  b.setAngle(l.angle() - 25);
  p.drawLine(a);
  p.drawLine(b);
}

// The palette's pictures, drawn rather than shipped: sharp at any scale and in any theme.
QIcon ToolIcon(TORVDrawKind kind) {
  return PaintedIcon([&](QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF c(12, 12);
    auto dot = [&](QPointF at) {
      p.save();
      p.setBrush(p.pen().color());
      p.drawEllipse(at, 1.8, 1.8);
      p.restore();
    };
    switch (kind) {
      case TORVDrawKind::None: {
        const QPolygonF arrow{{7, 3}, {7, 19}, {11, 15}, {14, 21}, {16, 20}, {13, 14}, {18, 14}};
        p.setBrush(QColor(0x20, 0x20, 0x20));
        p.drawPolygon(arrow);
        break;
      }
      case TORVDrawKind::Point:
        p.drawLine(QPointF(6, 12), QPointF(18, 12));
        p.drawLine(QPointF(12, 6), QPointF(12, 18));
        dot(c);
        break;
      case TORVDrawKind::Line:
        p.drawLine(QPointF(4, 20), QPointF(20, 4));
        break;
      case TORVDrawKind::ArrowLine:
        p.drawLine(QPointF(4, 20), QPointF(20, 4));
        ArrowHead(p, QPointF(20, 4), QPointF(4, 20));
        break;
      case TORVDrawKind::PolyLine:
        p.drawPolyline(QPolygonF{{3, 18}, {9, 6}, {14, 16}, {21, 5}});
        break;
      case TORVDrawKind::Polygon:
        p.drawPolygon(QPolygonF{{12, 3}, {21, 10}, {17, 20}, {7, 20}, {3, 10}});
        break;
      case TORVDrawKind::Bezier: {
        QPainterPath path(QPointF(3, 19));
        path.cubicTo(QPointF(6, 2), QPointF(18, 22), QPointF(21, 5));
        p.drawPath(path);
        dot(QPointF(3, 19));
        dot(QPointF(21, 5));
        break;
      }
      case TORVDrawKind::Rectangle:
        p.drawRect(QRectF(4, 6, 16, 12));
        break;
      case TORVDrawKind::Ellipse:
        p.drawEllipse(QRectF(3, 7, 18, 10));
        break;
      case TORVDrawKind::Circle:
        p.drawEllipse(c, 8, 8);
        dot(c);
        break;
      case TORVDrawKind::Circle3P:
        p.drawEllipse(c, 8, 8);
        dot(QPointF(4, 12));
        dot(QPointF(17.7, 6.3));
        dot(QPointF(17.7, 17.7));
        break;
      case TORVDrawKind::Arc:
        p.drawArc(QRectF(4, 6, 16, 16), 0, 180 * 16);
        break;
      case TORVDrawKind::Sector:
        p.drawPie(QRectF(4, 4, 16, 16), 30 * 16, 240 * 16);
        break;
      case TORVDrawKind::RichText: {
        // A bold capital and an italic small letter in two colours.
        QFont f = p.font();
        f.setPixelSize(15);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(1, 2, 12, 20), Qt::AlignCenter, QStringLiteral("A"));
        f.setBold(false);
        f.setItalic(true);
        p.setFont(f);
        p.setPen(QColor(0xC0, 0x30, 0x30));
        p.drawText(QRectF(11, 4, 12, 20), Qt::AlignCenter, QStringLiteral("b"));
        break;
      }
      case TORVDrawKind::Text:
      case TORVDrawKind::Paragraph: {
        if (kind == TORVDrawKind::Paragraph) {
          p.drawRect(QRectF(3, 3, 18, 18));
          for (double y : {8.0, 12.0, 16.0}) p.drawLine(QPointF(6, y), QPointF(y == 16.0 ? 13 : 18, y));
          break;
        }
        QFont f = p.font();
        f.setPixelSize(18);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("A"));
        break;
      }
      case TORVDrawKind::Dim:
        p.drawLine(QPointF(4, 6), QPointF(4, 20));
        p.drawLine(QPointF(20, 6), QPointF(20, 20));
        p.drawLine(QPointF(4, 10), QPointF(20, 10));
        ArrowHead(p, QPointF(4, 10), QPointF(20, 10));
        ArrowHead(p, QPointF(20, 10), QPointF(4, 10));
        break;
      case TORVDrawKind::DimRadial:
        p.drawEllipse(c, 9, 9);
        p.drawLine(c, QPointF(18.4, 5.6));
        ArrowHead(p, QPointF(18.4, 5.6), c);
        dot(c);
        break;
      case TORVDrawKind::DimDiameter:
        p.drawEllipse(c, 9, 9);
        p.drawLine(QPointF(5.6, 18.4), QPointF(18.4, 5.6));
        ArrowHead(p, QPointF(18.4, 5.6), QPointF(5.6, 18.4));
        ArrowHead(p, QPointF(5.6, 18.4), QPointF(18.4, 5.6));
        break;
      case TORVDrawKind::DimAngle:
        p.drawLine(QPointF(3, 20), QPointF(21, 20));
        p.drawLine(QPointF(3, 20), QPointF(16, 5));
        p.drawArc(QRectF(-9, 8, 24, 24), 0, 49 * 16);
        break;
      case TORVDrawKind::Flow:
      case TORVDrawKind::Link:  // their buttons show the chosen shape and a link of their own
      case TORVDrawKind::Code:
      case TORVDrawKind::NutriScore:
      case TORVDrawKind::Package:
      case TORVDrawKind::Level:
      case TORVDrawKind::Rank:
      case TORVDrawKind::Image:
      case TORVDrawKind::Table:
      case TORVDrawKind::Count:
        break;
    }
  });
}

// The key sequences of a standard command, plus `extra` where the platform lacks it.
QList<QKeySequence> Keys(QKeySequence::StandardKey key, const QKeySequence& extra = {}) {
  QList<QKeySequence> keys = QKeySequence::keyBindings(key);
  if (!extra.isEmpty() && !keys.contains(extra)) keys << extra;
  return keys;
}

// How far Duplicate moves its copies: 5 mm on paper.
constexpr std::int64_t kDuplicateStep = 5000;

// The preview window asks its questions through the studio's services, as the studio's own
// Print and Export do.
class TStudioPreviewServices : public TPreviewServices {
 public:
  explicit TStudioPreviewServices(std::shared_ptr<TStudioServices> services) : fServices(std::move(services)) {}
  QString SaveFileName(QWidget* parent, const QString& title, const QString& suggested, const QString& filter) override {
    return fServices->SaveFileName(parent, title, QDir::home().filePath(suggested), filter);
  }
  bool ChoosePrinter(QWidget* parent, QString& printer, QString& pdfFile) override {
    QStringList choices = PrinterNames();
    const int printers = static_cast<int>(choices.size());
    choices << Txt("PdfFile");
    const int pick = fServices->Choose(parent, Txt("TitlePrint"), Txt("AskPrinter"), choices);
    if (pick < 0) return false;
    printer.clear();
    pdfFile.clear();
    if (pick < printers) {
      printer = choices[pick];
      return true;
    }
    pdfFile = fServices->SaveFileName(parent, Txt("TitlePrintPdf"),
                                      QDir::home().filePath(QStringLiteral("labels.pdf")), Txt("FilterPdf"));
    return !pdfFile.isEmpty();
  }
  void Error(QWidget* parent, const QString& title, const QString& text) override {
    fServices->Error(parent, title, text);
  }

 private:
  std::shared_ptr<TStudioServices> fServices;
};

// Map services from the environment, for sites with their own: PLANORA_MAP_TILES, an address
// pattern with {z}, {x} and {y} used for every provider; PLANORA_MAP_KEY, the services' API key;
// PLANORA_NOMINATIM, the place search's address.
void ConfigureMaps(TPLNMapping& m) {
  const QString tiles = qEnvironmentVariable("PLANORA_MAP_TILES");
  if (!tiles.isEmpty())
    for (int p = 0; p < TPLNMapping::ProviderCount; ++p) m.SetUrlTemplate(p, tiles);
  const QString key = qEnvironmentVariable("PLANORA_MAP_KEY");
  if (!key.isEmpty()) m.SetApiKey(key);
  const QString search = qEnvironmentVariable("PLANORA_NOMINATIM");
  if (!search.isEmpty()) m.NominatimUrl = search;
}

}  // namespace

TMainWindow::TMainWindow(std::shared_ptr<TStudioServices> services, QWidget* parent)
    : QMainWindow(parent),
      fServices(services ? std::move(services) : std::make_shared<TStudioServices>()),
      fDoc(std::make_unique<TPlanoraFMX>()) {
  setObjectName(QStringLiteral("PlanoraStudio"));
  fEditor = new TPLNEditor(this);
  fEditor->setObjectName(QStringLiteral("editor"));
  // Double click re-edits a text and ends a polyline, polygon or Bezier curve; a rich text
  // being typed into shows its formatting toolbar.
  fEditor->SetEditorOptions(fEditor->GetEditorOptions() | eoDblClick | eoRichTextToolbar);
  fEditor->SetLabel(fDoc.get());
  setCentralWidget(fEditor);

  fPosition = new QLabel(this);
  fZoom = new QLabel(this);
  fHint = new QLabel(this);
  fHint->setObjectName(QStringLiteral("toolHint"));
  fPosition->setMinimumWidth(220);
  statusBar()->addWidget(fPosition);
  statusBar()->addWidget(fHint, 1);
  statusBar()->addPermanentWidget(fZoom);
  // Notes that need no answer: a drawing's linked data that could not be read, a map.
  fDoc->OnInfoMsg = [this](const QString& text) { statusBar()->showMessage(text, 10000); };
  // A design that asks for values when printed asks them here, before any print or export.
  fDoc->OnGetAskValues = [this](TPlanoraFMX& d) {
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool given = TfAskValues::Ask(&d, this);
    QGuiApplication::restoreOverrideCursor();
    return given;
  };
  // A text the tables lack shows its key; the status bar says so, once per key. Lookups may
  // happen on an export thread: the report comes over to the window's thread.
  TPLNMsg::SetNotFoundHandler([window = QPointer<TMainWindow>(this)](const QString&, const QString& message) {
    if (window)
      QMetaObject::invokeMethod(window, [window, message] {
        if (window) window->statusBar()->showMessage(message, 10000);
      }, Qt::QueuedConnection);
  });
  RestoreLanguage();
  connect(fEditor, &TPLNBaseEditor::PointerMoved, this, &TMainWindow::ShowPosition);
  connect(fEditor, &TPLNBaseEditor::PointerLeft, fPosition, &QLabel::clear);
  connect(fEditor, &TPLNBaseEditor::ZoomChanged, this, &TMainWindow::ShowZoom);

  BuildMenus();
  BuildAnimationMenu();
  BuildToolPalette();
  BuildInspectorDock();
  BuildLibraryDock();
  BuildLanguageMenu();
  ApplyKeyedTexts(this);
  // The properties get the larger share of the right side.
  resizeDocks({findChild<QDockWidget*>(QStringLiteral("inspectorDock")), findChild<QDockWidget*>(QStringLiteral("libraryDock"))},
              {560, 300}, Qt::Vertical);
  fWatch = std::make_unique<TDocWatch>([this](TORChange change) { DocumentChanged(static_cast<int>(change)); });
  fDoc->AddObserver(fWatch.get());
  fDoc->OnUndoRedoEvent = [this] { UpdateEditActions(); };
  fEditor->Surface()->installEventFilter(this);
  // What another window or application copies changes what Paste offers.
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
    fCanPaste = fDoc->CanPasteFromClipboard();
    UpdateEditActions();
  });
  fCanPaste = fDoc->CanPasteFromClipboard();

  QSettings s;
  if (!restoreGeometry(s.value(QStringLiteral("window/geometry")).toByteArray())) {
    // Tall enough for the whole palette where the screen allows it.
    QSize size(1280, 900);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      size = size.boundedTo(screen->availableGeometry().size() * 0.92);
    resize(size);
  }
  restoreState(s.value(QStringLiteral("window/state")).toByteArray());
  const int style = s.value(QStringLiteral("view/grid"), 0).toInt();
  if (style >= 0 && style < fGridGroup->actions().size()) fGridGroup->actions()[style]->trigger();
  fRulersAction->setChecked(s.value(QStringLiteral("view/rulers"), true).toBool());
  fConnectorsAction->setChecked(s.value(QStringLiteral("view/connectors"), false).toBool());
  UpdateRecentMenu();
  UpdateTitle();
  ShowZoom();
  UpdateEditActions();
}

TMainWindow::~TMainWindow() {
  TPLNMsg::SetNotFoundHandler(nullptr);
  fDoc->RemoveObserver(fWatch.get());
  fDoc->OnUndoRedoEvent = nullptr;
  // The editor observes the document too: detach it before the document goes.
  fEditor->SetLabel(nullptr);
}

void TMainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(KeyTxt("MenuFile"));
  file->setObjectName(QStringLiteral("fileMenu"));
  file->addAction(KeyTxt("MenuNew"), QKeySequence::New, this, [this] { NewDrawing(); });
  file->addAction(KeyTxt("MenuOpen"), QKeySequence::Open, this, [this] {
    if (!MaybeSave()) return;
    const QString f = fServices->OpenFileName(this, Txt("TitleOpen"), Txt("FilterDrawings"));
    if (!f.isEmpty()) OpenFile(f);
  });
  fRecentMenu = file->addMenu(KeyTxt("MenuRecent"));
  QAction* import = file->addAction(KeyTxt("MenuImport"), this, [this] {
    if (!MaybeSave()) return;
    const QString f = fServices->OpenFileName(this, Txt("TitleImport"), Txt("FilterImport"));
    if (!f.isEmpty()) ImportFile(f);
  });
  import->setObjectName(QStringLiteral("fileImport"));
  import->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
  file->addSeparator();
  file->addAction(KeyTxt("MenuSave"), QKeySequence::Save, this, [this] { Save(); });
  // Not every platform theme binds Save As; Ctrl+Shift+S is what users try.
  QAction* saveAs = file->addAction(KeyTxt("MenuSaveAs"), this, [this] { SaveAs(); });
  saveAs->setObjectName(QStringLiteral("fileSaveAs"));
  saveAs->setShortcuts(Keys(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
  file->addSeparator();
  file->addAction(KeyTxt("MenuExport"), QKeySequence(QStringLiteral("Ctrl+E")), this, [this] { ExportDialog(); });
  QAction* preview = file->addAction(KeyTxt("MenuPreview"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P), this,
                                     [this] { fDoc->Preview(this, std::make_shared<TStudioPreviewServices>(fServices)); });
  preview->setObjectName(QStringLiteral("filePreview"));
  file->addAction(KeyTxt("MenuPrint"), QKeySequence::Print, this, [this] { PrintDialog(); })->setObjectName(QStringLiteral("filePrint"));
  file->addSeparator();
  file->addAction(KeyTxt("MenuQuit"), QKeySequence::Quit, this, [this] { close(); });

  BuildEditMenu();
  BuildDocumentMenu();

  QMenu* view = menuBar()->addMenu(KeyTxt("MenuView"));
  view->setObjectName(QStringLiteral("viewMenu"));
  view->addAction(KeyTxt("MenuZoomIn"), QKeySequence::ZoomIn, this, [this] { fEditor->IncZoom(); });
  view->addAction(KeyTxt("MenuZoomOut"), QKeySequence::ZoomOut, this, [this] { fEditor->DecZoom(); });
  view->addAction(KeyTxt("MenuActualSize"), QKeySequence(QStringLiteral("Ctrl+0")), this, [this] { fEditor->SetZoom(TORVZoom::zm100); });
  view->addAction(KeyTxt("MenuFitWidth"), this, [this] { fEditor->SetZoom(TORVZoom::zmWidth); });
  view->addAction(KeyTxt("MenuFitHeight"), this, [this] { fEditor->SetZoom(TORVZoom::zmHeight); });
  view->addAction(KeyTxt("MenuFitAll"), QKeySequence(QStringLiteral("Ctrl+9")), this, [this] { fEditor->SetZoom(TORVZoom::zmFitAll); });
  view->addSeparator();
  fRulersAction = view->addAction(KeyTxt("MenuRulers"));
  fRulersAction->setCheckable(true);
  connect(fRulersAction, &QAction::toggled, this, [this](bool on) {
    fEditor->Rulers().SetVisible(on ? std::uint8_t(rvLeft | rvTop) : std::uint8_t(0));
    QSettings().setValue(QStringLiteral("view/rulers"), on);
  });
  // The connectors of every item that takes links, as marks over the page; never printed.
  fConnectorsAction = view->addAction(KeyTxt("MenuConnectors"));
  fConnectorsAction->setObjectName(QStringLiteral("viewConnectors"));
  fConnectorsAction->setCheckable(true);
  connect(fConnectorsAction, &QAction::toggled, this, [this](bool on) {
    const std::uint16_t options = fEditor->GetEditorOptions();
    fEditor->SetEditorOptions(on ? std::uint16_t(options | eoLinkPoints) : std::uint16_t(options & ~eoLinkPoints));
    QSettings().setValue(QStringLiteral("view/connectors"), on);
  });
  QMenu* grid = view->addMenu(KeyTxt("MenuGrid"));
  fGridGroup = new QActionGroup(this);
  const std::pair<const char*, TORVGridDraw> styles[] = {
      {"MenuGridNone", TORVGridDraw::gdNone}, {"MenuGridPoints", TORVGridDraw::gdPoints}, {"MenuGridLines", TORVGridDraw::gdLines}};
  for (int i = 0; i < 3; ++i) {
    QAction* a = grid->addAction(KeyTxt(styles[i].first));
    a->setCheckable(true);
    fGridGroup->addAction(a);
    const TORVGridDraw style = styles[i].second;
    connect(a, &QAction::triggered, this, [this, style, i] {
      fEditor->Grid().SetStyle(style);
      QSettings().setValue(QStringLiteral("view/grid"), i);
    });
  }
  fGridGroup->actions()[0]->setChecked(true);
  view->addSeparator();
  // The settings window, from the menu and from the editor's button; the menu entries that
  // mirror its values follow what was accepted.
  const auto editSettings = [this] {
    fEditor->EditSettings();
    const QSignalBlocker block(fRulersAction);
    fRulersAction->setChecked(fEditor->Rulers().GetVisible() != 0);
    const int style = fEditor->Grid().GetStyle();
    if (style < fGridGroup->actions().size()) fGridGroup->actions()[style]->setChecked(true);
    QSettings s;
    s.setValue(QStringLiteral("view/grid"), style);
    s.setValue(QStringLiteral("view/rulers"), fRulersAction->isChecked());
    UpdateEditActions();
  };
  view->addAction(KeyTxt("MenuSettings"), this, editSettings)->setObjectName(QStringLiteral("viewSettings"));
  connect(fEditor, &TPLNBaseEditor::SettingsClicked, this, editSettings);
}

void TMainWindow::BuildEditMenu() {
  QMenu* edit = menuBar()->addMenu(KeyTxt("MenuEdit"));
  auto add = [&](const char* name, const QString& text, const QList<QKeySequence>& keys, std::function<void()> fn) {
    QAction* a = edit->addAction(text);
    a->setObjectName(QLatin1String(name));
    a->setShortcuts(keys);
    connect(a, &QAction::triggered, this, std::move(fn));
    return a;
  };
  // Undo and redo walk the history themselves: no group around them. They drop the status
  // message about the change they take back or bring again.
  fUndo = add("editUndo", KeyTxt("MenuUndo"), Keys(QKeySequence::Undo), [this] {
    statusBar()->clearMessage();
    RunEdit(Txt("StepUndo"), [this] { fDoc->Undo(); return true; }, false);
  });
  fRedo = add("editRedo", KeyTxt("MenuRedo"), Keys(QKeySequence::Redo, QKeySequence(Qt::CTRL | Qt::Key_Y)), [this] {
    statusBar()->clearMessage();
    RunEdit(Txt("StepRedo"), [this] { fDoc->Redo(); return true; }, false);
  });
  edit->addSeparator();
  fCut = add("editCut", KeyTxt("MenuCut"), Keys(QKeySequence::Cut), [this] { CutItems(); });
  fCopy = add("editCopy", KeyTxt("MenuCopy"), Keys(QKeySequence::Copy), [this] { CopyItems(); });
  fPaste = add("editPaste", KeyTxt("MenuPaste"), Keys(QKeySequence::Paste), [this] { PasteItems(); });
  fDuplicate = add("editDuplicate", KeyTxt("MenuDuplicate"), {QKeySequence(Qt::CTRL | Qt::Key_D)}, [this] {
    RunEdit(Txt("StepDuplicate"), [this] {
      fDoc->DuplicateSelection(kDuplicateStep * fDoc->GetCoordMultiplier());
      return true;
    });
  });
  fDelete = add("editDelete", KeyTxt("MenuDelete"), Keys(QKeySequence::Delete), [this] {
    RunEdit(Txt("StepDelete"), [this] {
      fDoc->DeleteSelection();
      return true;
    });
  });
  edit->addSeparator();
  // To the rulers' guide lines, as the editor's commands do it. The step's lambda holds the
  // editor and the command, not the window: GCC 12 built with -fsanitize=undefined hands a lambda
  // nested in another one a wrong `this` when it captures `this` together with a pointer to a
  // member function.
  struct TAlign {
    const char* Side;
    const char* Key;
    void (TPLNBaseEditor::*Fn)();
  };
  static constexpr TAlign kAligns[] = {
      {"Left", "AlignLeft", &TPLNBaseEditor::AlignSelectedLeft},
      {"Top", "AlignTop", &TPLNBaseEditor::AlignSelectedTop},
      {"Right", "AlignRight", &TPLNBaseEditor::AlignSelectedRight},
      {"Bottom", "AlignBottom", &TPLNBaseEditor::AlignSelectedBottom},
  };
  QMenu* align = edit->addMenu(KeyTxt("MenuAlign"));
  for (const TAlign& entry : kAligns) {
    void (TPLNBaseEditor::*const fn)() = entry.Fn;
    QAction* a = align->addAction(KeyTxt(entry.Key));
    a->setObjectName(QStringLiteral("editAlign") + QLatin1String(entry.Side));
    connect(a, &QAction::triggered, this, [this, fn] {
      TPLNBaseEditor* editor = fEditor;
      RunEdit(Txt("StepAlign"), [editor, fn] {
        (editor->*fn)();
        return true;
      });
    });
    fAlign.push_back(a);
  }
  edit->addSeparator();
  add("editItemForm", KeyTxt("MenuItemForm"), {}, [this] { EditSelectedItem(); });
  fSelectAll = add("editSelectAll", KeyTxt("MenuSelectAll"), Keys(QKeySequence::SelectAll), [this] {
    fDoc->SelectAll();
    UpdateEditActions();
  });
  edit->addSeparator();
  // The editor keeps these settings and shows them in its indicators; the menu mirrors them.
  fSnap = add("editSnap", KeyTxt("MenuSnap"), {QKeySequence(Qt::Key_F9)}, [this] {
    const std::uint16_t snap = fEditor->GetSnap();
    fEditor->SetSnap(fSnap->isChecked() ? std::uint16_t(snap | snGrid) : std::uint16_t(snap & ~snGrid));
  });
  fSnap->setCheckable(true);
  fOrto = add("editOrto", KeyTxt("MenuOrto"), {QKeySequence(Qt::Key_F8)}, [this] { fEditor->SetOrtoLines(fOrto->isChecked()); });
  fOrto->setCheckable(true);
}

// The document's own settings, each in its window; every change there is an undo step.
void TMainWindow::BuildDocumentMenu() {
  QMenu* document = menuBar()->addMenu(KeyTxt("MenuDocument"));
  document->setObjectName(QStringLiteral("documentMenu"));
  QAction* setup = document->addAction(KeyTxt("MenuPageSetup"));
  setup->setObjectName(QStringLiteral("documentPageSetup"));
  setup->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+U")));
  connect(setup, &QAction::triggered, this, [this] {
    if (fDoc->GetEditorMode() > 2)
      statusBar()->showMessage(Txt("StNoPageSetup"), 5000);
    else if (fDoc->EditProperties(this))
      fEditor->SetZoom(TORVZoom::zmFitAll);
    UpdateEditActions();
  });
  document->addSeparator();
  QAction* layers = document->addAction(KeyTxt("MenuLayers"));
  layers->setObjectName(QStringLiteral("documentLayers"));
  connect(layers, &QAction::triggered, this, [this] {
    ConfigureMaps(fDoc->Mapping());  // for the map button
    fDoc->EditLayers(this);
    UpdateEditActions();
  });
  QAction* styles = document->addAction(KeyTxt("MenuDimStyles"));
  styles->setObjectName(QStringLiteral("documentDimStyles"));
  connect(styles, &QAction::triggered, this, [this] {
    if (!fDoc->EditDimStyles(this)) statusBar()->showMessage(Txt("StDimStylesDrawing"), 5000);
    UpdateEditActions();
  });
}

void TMainWindow::BuildToolPalette() {
  fTools = new QToolBar(KeyTxt("Tools"), this);
  fTools->setObjectName(QStringLiteral("tools"));
  fTools->setIconSize(QSize(24, 24));
  addToolBar(Qt::LeftToolBarArea, fTools);
  fToolGroup = new QActionGroup(this);
  fToolGroup->setExclusive(true);
  for (const TTool& t : kTools) {
    QAction* a = fTools->addAction(ToolIcon(t.Kind), KeyTxt(t.Label));
    a->setObjectName(QStringLiteral("tool") + QLatin1String(t.Name));
    a->setCheckable(true);
    a->setData(static_cast<int>(t.Kind));
    fToolGroup->addAction(a);
    const TORVDrawKind kind = t.Kind;
    connect(a, &QAction::triggered, this, [this, kind] {
      if (kind == TORVDrawKind::None)
        fDoc->ResetAction();
      else
        fDoc->StartAction(kind);
      // The core may refuse a tool: show what it really does.
      SyncTool();
      fEditor->Surface()->setFocus();
    });
  }
  BuildStyledTools();
  fToolGroup->actions().first()->setChecked(true);
}

void TMainWindow::BuildStyledTools() {
  fTools->addSeparator();
  const auto start = [this](TORVDrawKind kind) {
    if (kind == TORVDrawKind::Image) {
      // The picture first; without one the tool does not start.
      fServices->StartFolder = fDoc->PictureFolder();
      const QString file = fServices->OpenFileName(
          this, Txt("TitlePlacePicture"), Txt("FilterPictures"));
      fServices->StartFolder.clear();
      if (file.isEmpty()) {
        SyncTool();
        return;
      }
      fDoc->PictureChosen(file);
      fImageFile = file;
    }
    fDoc->StartAction(kind);
    ApplyToolStyle();
    SyncTool();
    fEditor->Surface()->setFocus();
  };
  // A tool button whose arrow opens the tool's choices; a choice also starts the tool.
  const auto tool = [&](TORVDrawKind kind, const char* name, const QString& label, const QIcon& icon,
                        const QKeySequence& key, QMenu* menu) {
    QAction* a = fTools->addAction(icon, label);
    a->setObjectName(QStringLiteral("tool") + QLatin1String(name));
    a->setCheckable(true);
    a->setData(static_cast<int>(kind));
    a->setShortcut(key);
    a->setToolTip(QStringLiteral("%1 (%2)").arg(label, key.toString(QKeySequence::NativeText)));
    fToolGroup->addAction(a);
    connect(a, &QAction::triggered, this, [start, kind] { start(kind); });
    if (auto* button = menu ? qobject_cast<QToolButton*>(fTools->widgetForAction(a)) : nullptr) {
      button->setMenu(menu);
      button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    return a;
  };
  const auto group = [this](QMenu* menu, const char* prefix, const auto& choices, int checked) {
    auto* g = new QActionGroup(this);
    g->setExclusive(true);
    for (const auto& c : choices) {
      QAction* a = menu->addAction(KeyTxt(c.Label));
      a->setObjectName(QLatin1String(prefix) + QLatin1String(c.Name));
      a->setCheckable(true);
      a->setData(c.Value);
      a->setChecked(c.Value == checked);
      g->addAction(a);
    }
    return g;
  };

  auto* shapes = new QMenu(KeyTxt("FlowShapes"), this);
  fFlowShapes = new QActionGroup(this);
  fFlowShapes->setExclusive(true);
  for (const TFlowShape& shape : kFlowShapes) {
    QAction* a = shapes->addAction(FlowIcon(shape.Type), KeyTxt(shape.Label));
    a->setObjectName(QStringLiteral("flow") + QLatin1String(shape.Name));
    a->setCheckable(true);
    a->setData(static_cast<int>(shape.Type));
    a->setChecked(shape.Type == TORVFlowType::Process);
    fFlowShapes->addAction(a);
  }
  QAction* flow = tool(TORVDrawKind::Flow, "Flow", KeyTxt("ToolFlow"), FlowIcon(TORVFlowType::Process),
                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), shapes);
  // With flow boxes selected (and no tool drawing) the shape goes to them, and the selection
  // stays for another try; otherwise the tool starts with it.
  connect(fFlowShapes, &QActionGroup::triggered, this, [this, flow, start](QAction* shape) {
    flow->setIcon(shape->icon());
    if (!RestyleSelection(fFlowShapes, shape)) start(TORVDrawKind::Flow);
  });

  auto* choices = new QMenu(KeyTxt("MenuLink"), this);
  fLinkRoute = group(choices->addMenu(KeyTxt("MenuLinkRoute")), "linkRoute", kRoutes, 0);
  // A flow chart's links point at where they go.
  fLinkStart = group(choices->addMenu(KeyTxt("MenuLinkStart")), "linkStart", kTerminators, 0);
  fLinkEnd = group(choices->addMenu(KeyTxt("MenuLinkEnd")), "linkEnd", kTerminators, 4);
  tool(TORVDrawKind::Link, "Link", KeyTxt("ToolLink"), LinkIcon(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), choices);
  for (QActionGroup* g : {fLinkRoute, fLinkStart, fLinkEnd})
    connect(g, &QActionGroup::triggered, this, [this, g, start](QAction* choice) {
      if (!RestyleSelection(g, choice)) start(TORVDrawKind::Link);
    });

  // Codes: one click places the chosen kind with a sample code to replace.
  fTools->addSeparator();
  auto* codes = new QMenu(KeyTxt("MenuCode"), this);
  fCodeKinds = group(codes, "code", kCodeKinds, Kind::Barcode);
  QAction* code = tool(TORVDrawKind::Code, "Code", KeyTxt("ToolCode"), CodeIcon(Kind::Barcode),
                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), codes);
  connect(fCodeKinds, &QActionGroup::triggered, this, [code, start](QAction* choice) {
    code->setIcon(CodeIcon(choice->data().toInt()));
    start(TORVDrawKind::Code);
  });
  tool(TORVDrawKind::NutriScore, "NutriScore", KeyTxt("ToolNutri"), NutriIcon(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
       nullptr);
  tool(TORVDrawKind::Level, "Level", KeyTxt("ToolLevel"), LevelIcon(), QKeySequence(), nullptr);
  tool(TORVDrawKind::Rank, "Rank", KeyTxt("ToolRank"), RankIcon(), QKeySequence(), nullptr);
  tool(TORVDrawKind::Package, "Package", KeyTxt("ToolPackage"), PackageIcon(), QKeySequence(), nullptr);
  tool(TORVDrawKind::Image, "Image", KeyTxt("ToolImage"), ImageIcon(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), nullptr);
  tool(TORVDrawKind::Table, "Table", KeyTxt("ToolTable"), TableIcon(), QKeySequence(), nullptr);

  // The same choices from the menu bar, where the keyboard reaches them (a tool button's menu
  // opens only under the pointer).
  QMenu* chart = menuBar()->addMenu(KeyTxt("MenuDiagram"));
  chart->setObjectName(QStringLiteral("diagramMenu"));
  shapes->setTitle(KeyTxt("MenuFlowShape"));
  chart->addMenu(shapes);
  chart->addMenu(choices);
  QMenu* insert = menuBar()->addMenu(KeyTxt("MenuInsert"));
  insert->setObjectName(QStringLiteral("insertMenu"));
  insert->addMenu(codes);
  insert->addAction(NutriIcon(), KeyTxt("MenuNutri"), this, [start] { start(TORVDrawKind::NutriScore); });
  insert->addAction(LevelIcon(), KeyTxt("MenuLevel"), this, [start] { start(TORVDrawKind::Level); });
  insert->addAction(RankIcon(), KeyTxt("MenuRank"), this, [start] { start(TORVDrawKind::Rank); });
  insert->addAction(PackageIcon(), KeyTxt("MenuPackage"), this, [start] { start(TORVDrawKind::Package); });
  insert->addAction(ImageIcon(), KeyTxt("MenuPicture"), this, [start] { start(TORVDrawKind::Image); });
  // A map picture as large as the label, over it, to move and size like any picture; a map
  // behind the labels comes from the layers window's map button.
  QAction* map = insert->addAction(ImageIcon(), KeyTxt("MenuMap"), this, [this] {
    const TPLNMeasure& m = fDoc->Measure();
    ConfigureMaps(fDoc->Mapping());
    fDoc->AddBaseMapImage(0, 0, m.Sizes[TPLNMeasure::LabelWidth], m.Sizes[TPLNMeasure::LabelHeight], this);
    UpdateEditActions();
  });
  map->setObjectName(QStringLiteral("insertMap"));
  insert->addAction(TableIcon(), KeyTxt("MenuTable"), this, [start] { start(TORVDrawKind::Table); });
  insert->addAction(KeyTxt("MenuRichText"), this, [this] {
    for (QAction* a : fToolGroup->actions())
      if (a->data().toInt() == static_cast<int>(TORVDrawKind::RichText)) a->trigger();
  });
}

bool TMainWindow::RestyleSelection(const QActionGroup* group, const QAction* choice) {
  const bool flows = group == fFlowShapes;
  const std::int32_t kind = flows ? Kind::Flow : Kind::Link;
  // While a tool draws, its last item may still be selected: the choice is for the next one.
  std::vector<TPLNBaseItem*> items;
  if (!fDoc->Act().IsText() && !fDoc->Act().IsDrawing())
    for (int i = 1; i <= fDoc->GetSelectionCount(); ++i)
      if (TPLNBaseItem* it = fDoc->GetSelection(i); it->KindCode() == kind) items.push_back(it);
  if (items.empty()) return false;
  const int value = choice->data().toInt();
  const bool done = RunEdit(Txt("StepChange"), [&] {
    for (TPLNBaseItem* it : items) {
      if (auto* f = dynamic_cast<Orv::F2d::TPLNBaseFlow*>(it)) {
        f->SetFlowType(static_cast<TORVFlowType>(value));
      } else if (auto* l = dynamic_cast<Orv::F2d::TPLNBaseLink*>(it)) {
        if (group == fLinkRoute) l->SetLinkType(static_cast<Orv::F2d::TORVinkType>(value));
        else if (group == fLinkStart) l->SetFromType(static_cast<TORVTermType>(value));
        else l->SetToType(static_cast<TORVTermType>(value));
      }
    }
    return true;
  });
  if (!done) return true;
  ApplyToolStyle();
  const int n = static_cast<int>(items.size());
  const auto word = [value](const auto& table) {
    for (const auto& c : table)
      if (c.Value == value) return Txt(c.Word);
    return QString();
  };
  QString text;
  if (flows) {
    QString shape;
    for (const TFlowShape& f : kFlowShapes)
      if (static_cast<int>(f.Type) == value) shape = Txt(f.Label).toLower();
    text = n == 1 ? Txt("StFlowShape").arg(shape) : Txt("StFlowsShape").arg(n).arg(shape);
  } else if (group == fLinkRoute) {
    text = n == 1 ? Txt("StLinkRoute").arg(word(kRoutes))
                  : Txt("StLinksRoute").arg(n).arg(word(kRoutes));
  } else {
    const bool start = group == fLinkStart;
    const QString end = word(kTerminators);
    if (n == 1)
      text = start ? Txt("StLinkStart").arg(end) : Txt("StLinkEnd").arg(end);
    else
      text = start ? Txt("StLinksStart").arg(n).arg(end) : Txt("StLinksEnd").arg(n).arg(end);
  }
  statusBar()->showMessage(text, 6000);
  return true;
}

void TMainWindow::ApplyToolStyle() {
  const auto value = [](const QActionGroup* g, int fallback) {
    const QAction* a = g ? g->checkedAction() : nullptr;
    return a ? a->data().toInt() : fallback;
  };
  TORVToolStyle& style = fDoc->Act().Style;
  style.FlowType = static_cast<TORVFlowType>(value(fFlowShapes, static_cast<int>(TORVFlowType::Process)));
  style.LinkType = static_cast<std::uint8_t>(value(fLinkRoute, 0));
  style.FromType = static_cast<TORVTermType>(value(fLinkStart, 0));
  style.ToType = static_cast<TORVTermType>(value(fLinkEnd, 0));
  style.CodeKind = value(fCodeKinds, Kind::Barcode);
  style.ImageFile = fImageFile;
}

void TMainWindow::UpdateHint() {
  if (!fHint) return;
  const TAct& act = fDoc->Act();
  const TPLNBaseItem* typing = act.IsText() ? fDoc->GetTextObject() : nullptr;
  QString hint;
  if (typing && typing->KindCode() == Kind::Flow)
    hint = Txt("HintFlowText");
  else if (act.IsDrawing() && act.Kind == TORVDrawKind::Flow)
    hint = Txt("HintFlow");
  else if (act.IsDrawing() && act.Kind == TORVDrawKind::Code)
    hint = Txt("HintCode");
  else if (act.IsDrawing() && act.Kind == TORVDrawKind::NutriScore)
    hint = Txt("HintNutri");
  else if (act.IsDrawing() && act.Kind == TORVDrawKind::Level)
    hint = Txt("HintLevel");
  else if (act.IsDrawing() && act.Kind == TORVDrawKind::Rank)
    hint = Txt("HintRank");
  else if (act.IsDrawing() && act.Kind == TORVDrawKind::Package)
    hint = Txt("HintPackage");
  else if (act.IsDrawing() && act.Kind == TORVDrawKind::Image)
    hint = Txt("HintImage");
  else if (act.IsDrawing() && act.Kind == TORVDrawKind::RichText)
    hint = Txt("HintRichText");
  else if (act.IsDrawing() && act.Kind == TORVDrawKind::Table)
    hint = Txt("HintTable");
  else if (act.IsDrawing() && act.Kind == TORVDrawKind::Link && act.Points.empty())
    hint = Txt("HintLinkStart");
  else if (act.IsDrawing() && act.Kind == TORVDrawKind::Link)
    hint = Txt("HintLinkEnd");
  if (fHint->text() != hint) fHint->setText(hint);
}

QString TMainWindow::HintText() const { return fHint ? fHint->text() : QString(); }

void TMainWindow::SyncTool() {
  const TAct& act = fDoc->Act();
  const TORVDrawKind kind = act.IsDrawing() ? act.Kind : TORVDrawKind::None;
  for (QAction* a : fToolGroup->actions())
    if (a->data().toInt() == static_cast<int>(kind)) {
      if (!a->isChecked()) a->setChecked(true);
      return;
    }
  fToolGroup->actions().first()->setChecked(true);
}

void TMainWindow::DocumentChanged(int change) {
  switch (static_cast<TORChange>(change)) {
    case TORChange::Document:
    case TORChange::Action:
    case TORChange::StopTextEditing:
      SyncTool();
      break;
    default:
      break;
  }
  UpdateTitle();
  UpdateEditActions();
  UpdateHint();
}

void TMainWindow::UpdateEditActions() {
  if (!fUndo) return;
  // While a text is typed into, the keys of these commands belong to the text.
  const bool typing = fDoc->Act().IsText();
  const bool selection = !typing && fDoc->GetSelectionCount() > 0;
  fUndo->setEnabled(!typing && fDoc->CanUndo());
  fRedo->setEnabled(!typing && fDoc->CanRedo());
  fCut->setEnabled(selection);
  fCopy->setEnabled(selection);
  fDuplicate->setEnabled(selection);
  fDelete->setEnabled(selection);
  for (QAction* a : fAlign) a->setEnabled(selection);
  fPaste->setEnabled(!typing && fCanPaste);
  fSelectAll->setEnabled(!typing && fDoc->GetItemsCount() > 0);
  fSnap->setChecked((fEditor->GetSnap() & snGrid) != 0);
  fOrto->setChecked(fEditor->GetOrtoLines());
}

bool TMainWindow::RunEdit(const QString& title, const std::function<bool()>& fn, bool group) {
  bool done = false;
  try {
    if (group) {
      TPLNUndoGroup step(*fDoc);
      done = fn();
    } else {
      done = fn();
    }
  } catch (const std::exception& e) {
    fServices->Error(this, title, QString::fromUtf8(e.what()));
    done = false;
  }
  // Copies and duplicates fill the document's own clipboard stream too.
  fCanPaste = fDoc->CanPasteFromClipboard();
  UpdateEditActions();
  return done;
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (LibraryEvent(watched, event)) return true;
  // Menu shortcuts come before the focused widget's keys. While text or a coordinate is typed,
  // or a handle point is chosen for Delete, the editor's surface must get the key instead.
  if (watched == fEditor->Surface() && event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const TPLNBackEditor* surface = fEditor->Surface();
    const bool erase = key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace;
    const bool coordinate = surface->CoordEntry() && fDoc->Act().IsDrawing();
    if (surface->Typing() || (erase && (coordinate || surface->ChosenPoint() != 0))) {
      event->accept();
      return true;
    }
  }
  // With Paste disabled its key reaches the surface, whose own paste would bring back the last
  // items copied here even though the clipboard now holds something else.
  if (watched == fEditor->Surface() && event->type() == QEvent::KeyPress && !fPaste->isEnabled() &&
      !fEditor->Surface()->Typing() && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste) &&
      !(fDoc->Act().IsDrawing() && fDoc->Act().Kind == TORVDrawKind::Text))
    return true;
  return QMainWindow::eventFilter(watched, event);
}

bool TMainWindow::CopyItems() {
  return RunEdit(Txt("StepCopy"), [this] { return fDoc->CopyToClipboard(); }, false);
}

bool TMainWindow::CutItems() {
  return RunEdit(Txt("StepCut"), [this] { return fDoc->CutToClipboard(); });
}

bool TMainWindow::PasteItems() {
  return RunEdit(Txt("StepPaste"), [this] { return fDoc->PasteFromClipboard(); });
}

QAction* TMainWindow::Action(const QString& name) const {
  return name.isEmpty() ? nullptr : findChild<QAction*>(name);
}

QStringList TMainWindow::RecentFiles() const {
  return QSettings().value(QStringLiteral("recentFiles")).toStringList();
}

void TMainWindow::AddRecent(const QString& path) {
  QStringList list = RecentFiles();
  const QString abs = QFileInfo(path).absoluteFilePath();
  list.removeAll(abs);
  list.prepend(abs);
  while (list.size() > kMaxRecent) list.removeLast();
  QSettings().setValue(QStringLiteral("recentFiles"), list);
  UpdateRecentMenu();
}

void TMainWindow::UpdateRecentMenu() {
  fRecentMenu->clear();
  const QStringList list = RecentFiles();
  for (int i = 0; i < list.size(); ++i) {
    const QString path = list[i];
    fRecentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()), this, [this, path] {
      if (MaybeSave()) OpenFile(path);
    })->setToolTip(path);
  }
  fRecentMenu->setEnabled(!list.isEmpty());
}

void TMainWindow::UpdateTitle() {
  const QString name = fFile.isEmpty() ? Txt("Untitled") : QFileInfo(fFile).fileName();
  setWindowTitle(QStringLiteral("%1[*] — Planora Studio").arg(name));
  setWindowModified(fDoc->GetModified());
}

void TMainWindow::ShowZoom() {
  if (fZoom) fZoom->setText(ZoomText());
}

QString TMainWindow::ZoomText() const { return QStringLiteral("%1 %").arg(qRound(fEditor->ZoomFactor() * 100)); }

void TMainWindow::ShowPosition(double x, double y) {
  const QString unit = Utils::UnitName(fDoc->GetUnits());
  fPosition->setText(QStringLiteral("X: %1 %3   Y: %2 %3")
                         .arg(Utils::FormatFloat(x, 2), Utils::FormatFloat(y, 2), unit));
}

QString TMainWindow::PositionText() const { return fPosition->text(); }

bool TMainWindow::OpenFile(const QString& path) {
  try {
    if (!fDoc->LoadFromFile(path))
      throw EPLNError(Txt("OpenNotDrawing").arg(QFileInfo(path).fileName()));
  } catch (const std::exception& e) {
    fServices->Error(this, Txt("TitleOpen"), QString::fromUtf8(e.what()));
    return false;
  }
  fDoc->ClearUndo();
  fFile = QFileInfo(path).absoluteFilePath();
  if (fDoc->ImageFolder.isEmpty()) fDoc->ImageFolder = QFileInfo(path).absolutePath();
  if (fDoc->SkippedItems() > 0)
    statusBar()->showMessage(Txt("StSkippedItems").arg(fDoc->SkippedItems()), 8000);
  AddRecent(fFile);
  fEditor->SetZoom(TORVZoom::zmFitAll);
  UpdateTitle();
  return true;
}

bool TMainWindow::SaveTo(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toLower();
  if (ext != QLatin1String("json") && ext != QLatin1String("eti")) {
    fServices->Error(this, Txt("TitleSave"), Txt("SaveBadExt").arg(QFileInfo(path).fileName()));
    return false;
  }
  // Items the file held that this version cannot read are lost by a save: only when the user says so.
  if (fDoc->SkippedItems() > 0 && !fDoc->DropSkippedItems) {
    if (fServices->Choose(this, Txt("TitleSave"),
                          Txt("AskSaveLosing")
                              .arg(fDoc->SkippedItems()),
                          {Txt("SaveWithout"), Txt("Cancel")}) != 0)
      return false;
    fDoc->DropSkippedItems = true;
  }
  try {
    fDoc->SaveToFile(path, ext == QLatin1String("eti") ? TORVExt::Eti : TORVExt::Json);
  } catch (const std::exception& e) {
    fServices->Error(this, Txt("TitleSave"), QString::fromUtf8(e.what()));
    return false;
  }
  fFile = QFileInfo(path).absoluteFilePath();
  AddRecent(fFile);
  UpdateTitle();
  statusBar()->showMessage(Txt("StSaved").arg(fFile), 4000);
  return true;
}

bool TMainWindow::Save() { return fFile.isEmpty() ? SaveAs() : SaveTo(fFile); }

bool TMainWindow::SaveAs() {
  const QString suggested = fFile.isEmpty() ? QDir::home().filePath(QStringLiteral("drawing.json")) : fFile;
  QString f = fServices->SaveFileName(this, Txt("TitleSaveAs"), suggested, Txt("FilterDrawings"));
  if (f.isEmpty()) return false;
  // A name typed without an extension is a drawing in the default format.
  if (QFileInfo(f).suffix().isEmpty()) {
    if (f.endsWith(QLatin1Char('.'))) f.chop(1);
    f += QStringLiteral(".json");
    if (QFileInfo::exists(f) &&
        fServices->Choose(this, Txt("TitleSaveAs"), Txt("AskReplace").arg(QFileInfo(f).fileName()),
                          {Txt("Replace"), Txt("Cancel")}) != 0)
      return false;
  }
  return SaveTo(f);
}

bool TMainWindow::MaybeSave() {
  if (!fDoc->GetModified()) return true;
  switch (fServices->AskSave(this, fFile.isEmpty() ? Txt("Untitled") : QFileInfo(fFile).fileName())) {
    case TStudioServices::TSaveAnswer::Save:
      return Save();
    case TStudioServices::TSaveAnswer::Discard:
      return true;
    case TStudioServices::TSaveAnswer::Cancel:
      return false;
  }
  return false;
}

bool TMainWindow::NewDrawing() {
  if (!MaybeSave()) return false;
  TPlanoraFMX empty;
  fDoc->TakeOver(empty);
  fDoc->ClearUndo();
  fFile.clear();
  fEditor->SetZoom(TORVZoom::zmFitAll);
  UpdateTitle();
  return true;
}

TImportDialog* TMainWindow::ImportFile(const QString& path) {
  constexpr qint64 kMaxText = 64 * 1024 * 1024;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    fServices->Error(this, Txt("Import"), Txt("ImportUnreadable").arg(QFileInfo(path).fileName(), f.errorString()));
    return nullptr;
  }
  if (f.size() > kMaxText) {
    fServices->Error(this, Txt("Import"), Txt("ImportTooLarge").arg(QFileInfo(path).fileName()));
    return nullptr;
  }
  auto* dialog = new TImportDialog(QFileInfo(path).fileName(), QString::fromUtf8(f.readAll()), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] { AdoptImport(*dialog); });
  dialog->open();
  return dialog;
}

bool TMainWindow::AdoptImport(TImportDialog& dialog) {
  std::unique_ptr<TPlanoraFMX> drawing = dialog.TakeDrawing();
  if (!drawing) return false;
  fDoc->TakeOver(*drawing);
  fDoc->ClearUndo();
  fFile.clear();
  fEditor->SetZoom(TORVZoom::zmFitAll);
  UpdateTitle();
  statusBar()->showMessage(Txt("StImported").arg(fDoc->GetItemsCount()), 4000);
  return true;
}

bool TMainWindow::ExportTo(const QString& path) {
  if (QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) {
    // The sheet of the current page in millimetres, texts kept as text; written whole or not at all.
    try {
      // The values a design asks for are settled before the file is written, as for other formats.
      if (fDoc->DataSettings().AsksValues()) fDoc->CheckAskData();
      fDoc->SaveSVG(path, TORVSvgKind::CurrentUnit, 1.0, false);
    } catch (const EPLNCancelled&) {
      return false;
    } catch (const std::exception& e) {
      fServices->Error(this, Txt("Export"), QString::fromUtf8(e.what()));
      return false;
    }
    statusBar()->showMessage(Txt("StExported").arg(QFileInfo(path).absoluteFilePath()), 4000);
    return true;
  }
  TORVExport type;
  if (!ExportTypeOfFile(path, &type)) {
    fServices->Error(this, Txt("Export"),
                     Txt("ExportBadExt").arg(QFileInfo(path).fileName()));
    return false;
  }
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const int page = std::max(1, fDoc->PrintInfo.CurrentPage);
  QString error;
  bool ok = false;
  try {
    fDoc->ExportDoc(type, path, page, 1.0f, -1, fDoc->GetDataSource() != nullptr, false, false);
    ok = fDoc->WaitForExport(&error);
  } catch (const EPLNCancelled&) {
    QGuiApplication::restoreOverrideCursor();
    return false;  // declined in the values window
  } catch (const std::exception& e) {  // asked values refused: no file was written
    error = QString::fromUtf8(e.what());
  }
  QGuiApplication::restoreOverrideCursor();
  if (!ok) {
    fServices->Error(this, Txt("Export"), error);
    return false;
  }
  statusBar()->showMessage(Txt("StExported").arg(QFileInfo(path).absoluteFilePath()), 4000);
  return true;
}

void TMainWindow::ExportDialog() {
  const QString base = fFile.isEmpty() ? QDir::home().filePath(QStringLiteral("drawing"))
                                       : QFileInfo(fFile).absolutePath() + QLatin1Char('/') + QFileInfo(fFile).completeBaseName();
  const QString f = fServices->SaveFileName(this, Txt("TitleExport"), base + QStringLiteral(".pdf"),
                                            Txt("FilterExport"));
  if (!f.isEmpty()) ExportTo(f);
}

void TMainWindow::PrintDialog() {
  QStringList choices = PrinterNames();
  const int printers = static_cast<int>(choices.size());
  choices << Txt("PdfFile");
  const int pick = fServices->Choose(this, Txt("TitlePrint"), Txt("AskPrinter"), choices);
  if (pick < 0) return;
  TPlanoraFMX& d = *fDoc;
  d.PrintToFile.clear();
  if (pick == printers) {
    const QString f = fServices->SaveFileName(this, Txt("TitlePrintPdf"), QDir::home().filePath(QStringLiteral("labels.pdf")),
                                              Txt("FilterPdf"));
    if (f.isEmpty()) return;
    d.PrintToFile = f;
    d.PrintInfo.PrinterIndex = 0;
  } else {
    d.PrintInfo.PrinterIndex = pick;
  }
  // Every page the records fill, as the preview shows them; the drawing's own range comes back.
  const int current = d.PrintInfo.CurrentPage, last = d.PrintInfo.LastPage;
  d.PrintInfo.CurrentPage = 1;
  if (d.GetDataSource()) d.PrintInfo.LastPage = d.GetDataPages();
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    d.Print();
    d.PrintInfo.CurrentPage = current;
    d.PrintInfo.LastPage = last;
    QGuiApplication::restoreOverrideCursor();
    statusBar()->showMessage(Txt("StSent").arg(pick == printers ? d.PrintToFile : choices[pick]), 4000);
  } catch (const EPLNCancelled&) {
    // Declined in the values window: nothing printed.
    d.PrintInfo.CurrentPage = current;
    d.PrintInfo.LastPage = last;
    QGuiApplication::restoreOverrideCursor();
  } catch (const std::exception& e) {
    d.PrintInfo.CurrentPage = current;
    d.PrintInfo.LastPage = last;
    QGuiApplication::restoreOverrideCursor();
    fServices->Error(this, Txt("TitlePrint"), QString::fromUtf8(e.what()));
  }
  d.PrintToFile.clear();
}

void TMainWindow::closeEvent(QCloseEvent* e) {
  if (!MaybeSave()) {
    e->ignore();
    return;
  }
  QSettings s;
  s.setValue(QStringLiteral("window/geometry"), saveGeometry());
  s.setValue(QStringLiteral("window/state"), saveState());
  e->accept();
}

}  // namespace Planora::Studio
