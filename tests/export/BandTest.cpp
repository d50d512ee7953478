// Bitmap exports are drawn in bands on several threads; the result must be the very image a
// single pass draws, seams included.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "ORV.Canvas.h"
#include "ORV.FMX.Export.h"
#include "ORV.FMX.h"

using namespace Orv;
using namespace Orv::Fmx;

TEST(BandedExport, MatchesASinglePassPixelForPixel) {
  TPlanoraFMX doc;
  TPLNMeasure m;  // A4 portrait: 794 x 1123 pixels, two bands or more
  doc.SetMeasure(m);
  // Dashed and solid shapes straddling every possible seam, plus thin diagonal lines.
  for (int i = 0; i < 12; ++i) {
    auto* c = TPLNFactory::AddCircle(&doc, 30.0f + 14 * i, 148.5f, 6.0f + i);
    c->SetLineType(static_cast<TORVineType>(i));
    c->SetPenWidth(400);
    auto* l = TPLNFactory::AddLine(&doc, 5.0f + 17 * i, 20.0f, 200.0f - 15 * i, 280.0f);
    l->SetLineType(static_cast<TORVineType>((i + 3) % 12));
  }
  auto* r = TPLNFactory::AddRectangle(&doc, 20, 60, 170, 180);
  r->SetLineType(3);
  r->SetPenWidth(700);

  const QString path = QDir::tempPath() + QStringLiteral("/planora-band-test.png");
  doc.ExportDoc(TORVExport::PNG, path, 1, 1.0f, -1, false, false, false);
  QString error;
  ASSERT_TRUE(doc.WaitForExport(&error)) << error.toStdString();
  const QImage banded = QImage(path).convertToFormat(QImage::Format_RGB32);

  const TExportLayout layout = ComputeExportLayout(doc, TORVExport::PNG, 1.0f, false, 1);
  QImage single(banded.size(), QImage::Format_RGB32);
  single.fill(Qt::white);
  {
    QPainter p(&single);
    p.setRenderHint(QPainter::Antialiasing, true);
    Canvas::TQPainterCanvas canvas(&p);
    TPLNDraw d;
    d.ResetMatrix(TORVDrawState::Export);
    d.SetResolution(96, 96, 1);
    d.SetStandardWidths();
    d.kC = &canvas;
    d.pC = &canvas;
    d.kP->AntiAlias = true;
    d.kP->StrokeCap = Canvas::TSkStrokeCap::Round;
    d.kP->StrokeJoin = Canvas::TSkStrokeJoin::Round;
    DrawExportPage(doc, d, layout, 96);
  }
  ASSERT_EQ(banded.size(), single.size());
  int differ = 0;
  for (int y = 0; y < single.height(); ++y) {
    const QRgb* a = reinterpret_cast<const QRgb*>(single.constScanLine(y));
    const QRgb* b = reinterpret_cast<const QRgb*>(banded.constScanLine(y));
    for (int x = 0; x < single.width(); ++x)
      if ((a[x] & 0xFFFFFFu) != (b[x] & 0xFFFFFFu)) {
        ++differ;
        break;
      }
  }
  EXPECT_EQ(differ, 0) << "rows that differ between the banded and the single-pass image";
  if (differ) single.save(QDir::tempPath() + QStringLiteral("/planora-band-single.png"));
  if (!differ) QFile::remove(path);
}
