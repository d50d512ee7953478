// The recording canvas: what it keeps, and that its matrix agrees with the painter's.
#include "CanvasProbe.h"
#include "ORV.Canvas.Recording.h"

#include <gtest/gtest.h>

using namespace Orv::Canvas;
using namespace Orv::Canvas::Testing;

TEST(RecordingCanvas, KeepsCopiesTakenAtCallTime) {
  TRecordingCanvas rec;
  TSkPaint p = Paint(TSkPaintStyle::Stroke, 2, 0xFFFF0000);
  p.PathEffect = TSkPathEffect::MakeDash({4, 2}, 1);
  rec.DrawLine(1, 2, 3, 4, p);
  p.Color = 0xFF00FF00;
  p.StrokeWidth = 9;
  p.PathEffect = nullptr;
  rec.DrawArc(QRectF(0, 0, 10, 20), 30, -60, true, p);

  rec.Stroke.Thickness = 3;
  rec.Stroke.SetCustomDash({2, 1}, 0);
  rec.Fill.Color = 0xFF0000FF;
  rec.Font.Size = 10.5f;
  rec.DrawRect(QRectF(5, 5, 10, 10), 2, 3, TopLeft | BottomRight, 0.5f, TCornerType::Bevel);
  rec.Stroke.Thickness = 7;
  rec.Stroke.DashArray.clear();
  rec.Fill.Kind = TBrushKind::None;
  rec.FillText(QRectF(0, 0, 100, 20), QStringLiteral("x"), true, 1, TTextAlign::Trailing,
               TTextAlign::Center);

  ASSERT_EQ(rec.Names(),
            (std::vector<std::string>{"DrawLine", "DrawArc", "P.DrawRect", "P.FillText"}));
  const TRecordedOp& line = rec.Ops[0];
  EXPECT_EQ(line.Args, (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(line.Paint.Color, 0xFFFF0000u);
  EXPECT_EQ(line.Paint.StrokeWidth, 2);
  ASSERT_TRUE(line.Paint.PathEffect && line.Paint.PathEffect->IsDash());
  EXPECT_EQ(line.Paint.PathEffect->Intervals(), (std::vector<float>{4, 2}));

  const TRecordedOp& arc = rec.Ops[1];
  EXPECT_EQ(arc.Args, (std::vector<double>{30, -60, 1}));
  EXPECT_EQ(arc.Rect, QRectF(0, 0, 10, 20));
  EXPECT_EQ(arc.Paint.StrokeWidth, 9);
  EXPECT_FALSE(arc.Path.isEmpty());

  const TRecordedOp& rect = rec.Ops[2];
  EXPECT_EQ(rect.Args, (std::vector<double>{2, 3, TopLeft | BottomRight, 1}));
  EXPECT_EQ(rect.Stroke.Thickness, 3);
  EXPECT_EQ(rect.Stroke.DashArray, (std::vector<float>{2, 1}));
  EXPECT_EQ(rect.Fill.Color, 0xFF0000FFu);
  EXPECT_FLOAT_EQ(rect.Opacity, 0.5f);
  EXPECT_FLOAT_EQ(rect.Font.Size, 10.5f);

  const TRecordedOp& text = rec.Ops[3];
  EXPECT_EQ(text.Text, QStringLiteral("x"));
  EXPECT_EQ(text.Args, (std::vector<double>{1, double(TTextAlign::Trailing),
                                            double(TTextAlign::Center)}));
  EXPECT_EQ(text.Fill.Kind, TBrushKind::None);
  EXPECT_EQ(text.Stroke.Thickness, 7);

  EXPECT_EQ(rec.Count("P.DrawRect"), 1);
  EXPECT_EQ(rec.OpsNamed("DrawArc").size(), 1u);
  rec.Clear();
  EXPECT_TRUE(rec.Ops.empty());
}

TEST(RecordingCanvas, TracksTheMatrixLikeThePainter) {
  TRecordingCanvas rec;
  TImageCanvas painted(10, 10);
  auto both = [&](auto&& step) {
    step(static_cast<ISkCanvas&>(rec));
    step(static_cast<ISkCanvas&>(*painted));
    EXPECT_TRUE(qFuzzyCompare(rec.GetTotalMatrix(), painted->GetTotalMatrix()))
        << rec.Names().back();
  };
  both([](ISkCanvas& c) { c.Translate(10, 20); });
  both([](ISkCanvas& c) { c.Save(); });
  both([](ISkCanvas& c) { c.Rotate(30); });
  both([](ISkCanvas& c) { c.Scale(2, 0.5f); });
  both([](ISkCanvas& c) { c.Concat(QTransform(1, 0.2, 0.3, 1, 5, -5)); });
  const QTransform inner = rec.GetTotalMatrix();
  rec.DrawRect(QRectF(0, 0, 1, 1), TSkPaint());
  both([](ISkCanvas& c) { c.Restore(); });
  both([](ISkCanvas& c) { c.Restore(); });  // unmatched: ignored by both
  EXPECT_EQ(rec.GetTotalMatrix(), QTransform::fromTranslate(10, 20));
  EXPECT_EQ(rec.OpsNamed("DrawRect").at(0).Matrix, inner);
  EXPECT_EQ(rec.Count("Restore"), 1);
  EXPECT_EQ(rec.OpsNamed("Scale").at(0).Args, (std::vector<double>{2, 0.5}));

  // The print matrix is the same matrix, set absolutely.
  rec.SetMatrix(QTransform::fromScale(3, 3));
  EXPECT_EQ(rec.GetTotalMatrix(), QTransform::fromScale(3, 3));
  rec.FillEllipse(QRectF(0, 0, 2, 2), 1);
  EXPECT_EQ(rec.OpsNamed("P.FillEllipse").at(0).Matrix, QTransform::fromScale(3, 3));
  EXPECT_EQ(rec.SaveDepth(), 0);
}

TEST(RecordingCanvas, RecordsTheGeometryThePainterDraws) {
  TRecordingCanvas rec;
  rec.DrawArc(QRectF(20, 20, 80, 80), 0, 90, false, TSkPaint());
  // Clockwise from 3 o'clock: the arc's points lie in the lower-right quadrant.
  const QRectF arcBounds = rec.Ops.back().Path.boundingRect();
  EXPECT_NEAR(arcBounds.left(), 60, 0.5);
  EXPECT_NEAR(arcBounds.top(), 60, 0.5);
  EXPECT_NEAR(arcBounds.right(), 100, 0.5);
  EXPECT_NEAR(arcBounds.bottom(), 100, 0.5);

  rec.FillRect(QRectF(0, 0, 40, 20), 5, 5, AllCorners, 1, TCornerType::Round);
  const QPainterPath& rr = rec.Ops.back().Path;
  EXPECT_FALSE(rr.contains(QPointF(0.5, 0.5)));
  EXPECT_TRUE(rr.contains(QPointF(20, 10)));

  const double nan = std::numeric_limits<double>::quiet_NaN();
  rec.FillPolygon(QPolygonF() << QPointF(0, 0) << QPointF(4, 0) << QPointF(0, 4)
                              << QPointF(nan, nan) << QPointF(10, 10) << QPointF(14, 10)
                              << QPointF(10, 14),
                  1);
  EXPECT_EQ(rec.Ops.back().Args.size(), 14u);
  EXPECT_TRUE(rec.Ops.back().Path.contains(QPointF(11, 11)));
  EXPECT_FALSE(rec.Ops.back().Path.contains(QPointF(6, 6)));

  // Measuring answers like a screen would and is not an operation.
  rec.Font.Size = 20;
  const QRectF m = rec.MeasureText(QRectF(0, 0, 50000, 20000), QStringLiteral("Hello"), false,
                                   TTextAlign::Leading, TTextAlign::Leading);
  EXPECT_GT(m.width(), 20);
  EXPECT_GT(m.height(), 15);
  EXPECT_EQ(rec.Count("P.MeasureText"), 0);
  for (int dpi : {96, 300}) {
    TImageCanvas painted(10, 10, dpi);
    painted->Font = rec.Font;
    const QRectF p = painted->MeasureText(QRectF(0, 0, 50000, 20000), QStringLiteral("Hello"),
                                          false, TTextAlign::Leading, TTextAlign::Leading);
    EXPECT_NEAR(p.width(), m.width(), 1) << dpi;
    EXPECT_NEAR(p.height(), m.height(), 1) << dpi;
  }
}
