// Line breaking with the print canvas, in device units, on a real painter.
#include <QImage>
#include <QPainter>

#include "ORV.FMX.Types.h"
#include "TextLayoutSupport.h"

using namespace TextLayoutTest;

namespace {

class PrintLayoutTest : public ::testing::Test {
 protected:
  PrintLayoutTest() : Image(600, 400, QImage::Format_ARGB32_Premultiplied), Painter(&Image), Canvas(&Painter) {
    Image.fill(Qt::white);
    Canvas.Font.Family = QStringLiteral("DejaVu Sans");
    Canvas.Font.Size = 14;
    Draw.pC = &Canvas;
  }
  float Lay(const QString& text, float w, float h, TORVHorzAlign ha = TORVHorzAlign::Left,
            TORVVertAlign va = TORVVertAlign::Top, bool noVertAlign = false) {
    return PrintTxtPoints(text, &Draw, Lines, w, h, Lh, ha, va, false, noVertAlign);
  }
  QPointF Size(std::size_t k, const QString& text) { return GetTextSize(Canvas, Shown(LineText(text, Lines, k))); }
  QPointF Offset(std::size_t k, const QString& text) {
    return GetInternalTextOffset(Canvas, Shown(LineText(text, Lines, k)));
  }

  QImage Image;
  QPainter Painter;
  Canvas::TQPainterCanvas Canvas;
  TPLNDraw Draw;
  TxtFLines Lines;
  const float Lh = 20;
};

TEST_F(PrintLayoutTest, BreaksInsideTheWidthAndAlignsEachLine) {
  const QString text = QStringLiteral("Print lines break with the canvas of the printer and keep\r\nits breaks");
  const float w = 200;
  for (auto ha : {TORVHorzAlign::Left, TORVHorzAlign::Center, TORVHorzAlign::Right}) {
    const float used = Lay(text, w, 400, ha);
    ASSERT_GT(Lines.size(), 2u);
    ExpectContiguous(text, Lines);
    EXPECT_EQ(Shown(LineText(text, Lines, Lines.size() - 1)), QStringLiteral("its breaks"));
    EXPECT_FLOAT_EQ(used, float(Lines.size() - 1) * Lh + Lh);
    for (std::size_t k = 0; k < Lines.size(); ++k) {
      const float lw = float(Size(k, text).x()), ox = float(Offset(k, text).x());
      EXPECT_LE(lw, w);
      EXPECT_FLOAT_EQ(Lines[k].Y, float(k) * Lh + float(Offset(k, text).y()));
      const float left = Lines[k].X - ox;  // where the glyph box starts
      switch (ha) {
        case TORVHorzAlign::Center: EXPECT_NEAR(left, w - (left + lw), 0.01); break;
        case TORVHorzAlign::Right: EXPECT_NEAR(left + lw, w, 0.01); break;
        default: EXPECT_FLOAT_EQ(left, 0);
      }
    }
  }
  // A first word wider than the width ends the layout; without a print canvas nothing is laid out.
  const QString wide = QStringLiteral("ok\rextraordinarily");
  Lay(wide, float(GetTextSize(Canvas, QStringLiteral("extra")).x()), 400);
  EXPECT_EQ(Shown(wide, Lines), QStringList{QStringLiteral("ok")});
  EXPECT_EQ(PrintTxtPoints(text, nullptr, Lines, 200, 400, Lh, TORVHorzAlign::Left, TORVVertAlign::Top, false, false),
            0);
  EXPECT_TRUE(Lines.empty());
}

// Justified on paper: the lines before a break reach the right edge, word by word; the line
// before the break and the last line stay left and whole.
TEST_F(PrintLayoutTest, JustifiedLinesReachTheRightEdge) {
  const QString text = QStringLiteral("Print lines break with the canvas of the printer and keep\r\nits breaks");
  const float w = 200;
  Lay(text, w, 400, TORVHorzAlign::Justify);
  ExpectContiguous(text, Lines);
  std::vector<std::vector<TORVFTxtInf>> rows;
  for (const TORVFTxtInf& e : Lines) {
    if (rows.empty() || rows.back().front().Y != e.Y) rows.emplace_back();
    rows.back().push_back(e);
  }
  ASSERT_GE(rows.size(), 3u);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    SCOPED_TRACE(testing::Message() << "line " << r);
    const std::vector<TORVFTxtInf>& row = rows[r];
    const QString first = Shown(LineText(text, row, 0));
    EXPECT_NEAR(row.front().X - GetInternalTextOffset(Canvas, first).x(), 0, 0.01);
    const bool last = r + 2 >= rows.size();  // before the break, and after it
    if (last) {
      EXPECT_EQ(row.size(), 1u);
      continue;
    }
    ASSERT_GE(row.size(), 2u);
    const QString word = Shown(LineText(text, row, row.size() - 1));
    const float right = row.back().X - float(GetInternalTextOffset(Canvas, word).x()) + float(GetTextSize(Canvas, word).x());
    EXPECT_NEAR(right, w, 1.5);
  }
}

TEST_F(PrintLayoutTest, VerticalAlignmentUnlessSuppressedOrOverflowing) {
  const QString text = QStringLiteral("one\rtwo\rthree");
  const float h = 200;
  Lay(text, 300, h, TORVHorzAlign::Left, TORVVertAlign::Center);
  ASSERT_EQ(Lines.size(), 3u);
  EXPECT_NEAR(Lines[0].Y - Offset(0, text).y(), (h - 3 * Lh) / 2, 0.01);
  Lay(text, 300, h, TORVHorzAlign::Left, TORVVertAlign::Bottom);
  EXPECT_NEAR(Lines[2].Y - Offset(2, text).y(), h - Lh, 0.01);
  EXPECT_NEAR(Lines[0].Y - Offset(0, text).y(), h - 3 * Lh, 0.01);
  Lay(text, 300, h, TORVHorzAlign::Left, TORVVertAlign::Bottom, true);
  EXPECT_NEAR(Lines[0].Y - Offset(0, text).y(), 0, 0.01);

  // Two lines' room: the third is dropped and nothing moves.
  Lay(text, 300, 2.5f * Lh, TORVHorzAlign::Left, TORVVertAlign::Bottom);
  ASSERT_EQ(Lines.size(), 2u);
  EXPECT_NEAR(Lines[0].Y - Offset(0, text).y(), 0, 0.01);
}

// The offsets put the glyph box at the line's position: right-aligned ink ends at the box's edge.
TEST_F(PrintLayoutTest, DrawnLinesLandWhereLaidOut) {
  const QString text = QStringLiteral("Right\rEdge");
  const float w = 400;
  Lay(text, w, 300, TORVHorzAlign::Right);
  Canvas.Fill.Color = 0xFF000000;
  for (std::size_t k = 0; k < Lines.size(); ++k) {
    const QPointF size = Size(k, text);
    Canvas.FillText(QRectF(Lines[k].X, Lines[k].Y, size.x(), size.y()),
                    Shown(LineText(text, Lines, k)), false, 1, Canvas::TTextAlign::Leading,
                    Canvas::TTextAlign::Leading);
  }
  auto inkIn = [&](int x0, int x1) {
    for (int y = 0; y < 60; ++y)
      for (int x = x0; x < x1; ++x)
        if (qGray(Image.pixel(x, y)) < 128) return true;
    return false;
  };
  EXPECT_FALSE(inkIn(0, int(w) - 60));
  EXPECT_TRUE(inkIn(int(w) - 20, int(w)));
  EXPECT_FALSE(inkIn(int(w) + 2, Image.width()));
}

}  // namespace
