// A label sheet with a box in every cell, and probes that find those boxes on a printed page read
// back with QPdfDocument: shared by the print-to-file and the spooler tests.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPdfDocument>

#include "PlanoraTestSupport.h"

namespace PlanoraTest::Sheet {

constexpr double kDpi = 254;  // render resolution: 10 pixels per millimetre
constexpr int kTol = 2;       // 0.2 mm at that resolution

// A landscape A4 sheet of 3 x 2 labels of 90 x 95 mm, margins 10 mm, 5 mm between columns and
// 2 mm between rows (unequal, so a gap taken for the other shows), with a filled 30 x 15 mm
// rectangle at (10, 20) mm in each label; two pages on printer 0.
inline void MakeSheet(Orv::Fmx::TPlanoraFMX& doc) {
  using Orv::TPLNMeasure;
  TPLNMeasure m = Paper(297000, 210000);
  m.SetSize(TPLNMeasure::LabelWidth, 90000);
  m.SetSize(TPLNMeasure::LabelHeight, 95000);
  m.SetSize(TPLNMeasure::LeftMargin, 10000);
  m.SetSize(TPLNMeasure::TopMargin, 10000);
  m.SetSize(TPLNMeasure::HorzGap, 5000);
  m.SetSize(TPLNMeasure::VertGap, 2000);
  m.Columns = 3;
  m.Rows = 2;
  doc.SetMeasure(m);
  auto* r = static_cast<Orv::Fmx::TPLNRectangle*>(Orv::Fmx::TPLNFactory::AddRectangle(&doc, 10, 20, 30, 15));
  r->SetColor(0xFF000000u);
  r->SetBackColor(0xFF000000u);
  r->SetFilled(true);
  doc.PrintInfo.PrinterIndex = 0;
  doc.PrintInfo.LastPage = 2;
}

inline QImage RenderPage(QPdfDocument& pdf, int page) {
  const QSizeF pt = pdf.pagePointSize(page);
  const QSize px(qRound(pt.width() * kDpi / 72), qRound(pt.height() * kDpi / 72));
  // The rendering is transparent where nothing was printed: lay it on white paper.
  QImage paper(px, QImage::Format_RGB32);
  paper.fill(Qt::white);
  QPainter(&paper).drawImage(0, 0, pdf.render(page, px));
  return paper;
}

// Millimetres on the rendered page to pixels.
inline int P(double mm) { return qRound(mm * kDpi / 25.4); }

// The label cell (1-based column and row) holds its rectangle at 10 mm, 20 mm from its corner.
inline ::testing::AssertionResult BoxInCell(const QImage& img, int column, int row) {
  const double x = 10 + (column - 1) * 95 + 10, y = 10 + (row - 1) * 97 + 20;
  const QRect inside(P(x) + kTol, P(y) + kTol, P(30) - 2 * kTol, P(15) - 2 * kTol);
  for (const QPoint p : {inside.topLeft(), inside.bottomRight(), inside.center()})
    if (!Dark(img, p.x(), p.y())) return ::testing::AssertionFailure() << "no ink at " << p.x() << "," << p.y();
  // Just outside the edges: white, so the box is where it belongs within the tolerance.
  for (const QPoint p : {QPoint(P(x) - kTol - 1, inside.center().y()), QPoint(P(x + 30) + kTol + 1, inside.center().y()),
                         QPoint(inside.center().x(), P(y) - kTol - 1), QPoint(inside.center().x(), P(y + 15) + kTol + 1)})
    if (!White(img, p.x(), p.y())) return ::testing::AssertionFailure() << "ink at " << p.x() << "," << p.y();
  return ::testing::AssertionSuccess();
}

inline bool CellEmpty(const QImage& img, int column, int row) {
  const double x = 10 + (column - 1) * 95, y = 10 + (row - 1) * 97;
  return !InkInRect(img, QRect(P(x), P(y), P(90), P(95)));
}

}  // namespace PlanoraTest::Sheet
