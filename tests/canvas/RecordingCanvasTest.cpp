// The recording canvas: what it keeps, and that its matrix agrees with the painter canvas.
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
  p.PathEffect = nullptr;
  rec.Stroke.Thickness = 3;
  rec.Stroke.SetCustomDash({2, 1}, 0);
  rec.Fill.Color = 0xFF0000FF;
  rec.Font.Size = 10.5f;
  rec.DrawRect(QRectF(5, 5, 10, 10), 2, 3, TopLeft | BottomRight, 0.5f, TCornerType::Bevel);
  rec.Stroke.Thickness = 7;
  rec.Stroke.DashArray.clear();
  rec.Fill.Kind = TBrushKind::None;
  rec.FillText(QRectF(0, 0, 100, 20), QStringLiteral("x"), true, 1, TTextAlign::Trailing, TTextAlign::Center);

  ASSERT_EQ(rec.Names(), (std::vector<std::string>{"DrawLine", "P.DrawRect", "P.FillText"}));
  const TRecordedOp& line = rec.Ops[0];
  EXPECT_EQ(line.Args, (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(line.Paint.Color, 0xFFFF0000u);
  EXPECT_EQ(PlanoraTest::Dash(line.Paint), (std::vector<float>{4, 2}));
  const TRecordedOp& rect = rec.Ops[1];
  EXPECT_EQ(rect.Args, (std::vector<double>{2, 3, TopLeft | BottomRight, 1}));
  EXPECT_EQ(rect.Stroke.Thickness, 3);
  EXPECT_EQ(rect.Stroke.DashArray, (std::vector<float>{2, 1}));
  EXPECT_EQ(rect.Fill.Color, 0xFF0000FFu);
  EXPECT_FLOAT_EQ(rect.Opacity, 0.5f);
  EXPECT_FLOAT_EQ(rect.Font.Size, 10.5f);
  const TRecordedOp& text = rec.Ops[2];
  EXPECT_EQ(text.Text, QStringLiteral("x"));
  EXPECT_EQ(text.Fill.Kind, TBrushKind::None);
  EXPECT_EQ(text.Stroke.Thickness, 7);
}

TEST(RecordingCanvas, TracksTheMatrixLikeThePainter) {
  TRecordingCanvas rec;
  TImageCanvas painted(10, 10);
  auto both = [&](auto&& step) {
    step(static_cast<ISkCanvas&>(rec));
    step(static_cast<ISkCanvas&>(*painted));
    EXPECT_TRUE(qFuzzyCompare(rec.GetTotalMatrix(), painted->GetTotalMatrix())) << rec.Names().back();
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
  // The print matrix is the same matrix, set absolutely.
  rec.SetMatrix(QTransform::fromScale(3, 3));
  rec.FillEllipse(QRectF(0, 0, 2, 2), 1);
  EXPECT_EQ(rec.OpsNamed("P.FillEllipse").at(0).Matrix, QTransform::fromScale(3, 3));
  EXPECT_EQ(rec.SaveDepth(), 0);
}
