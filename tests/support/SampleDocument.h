// A document with every basic kind and every field away from its default, and field-by-field
// comparison of two documents, for the file, clipboard and item-record tests.
#pragma once

#include <QBuffer>

#include <typeinfo>

#include "PlanoraTestSupport.h"

namespace PlanoraTest {

using namespace Orv;
using namespace Orv::Fmx;

// The binary form of a document, as SaveToFile would write it.
inline QByteArray EtiBytes(const TPlanoraFMX& doc) {
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  doc.SaveToStream(&buf);
  return bytes;
}

inline void SetCommon(TPLNBaseItem* it, const QString& name, TAlphaColor color, double pen, TORVineType lt,
                      std::uint16_t options) {
  it->SetName(name);
  it->SetColor(color);
  it->SetPenWidth(pen);
  it->SetLineType(lt);
  it->SetOptions(options);
}

inline void SetArea(TPLNBaseItem* it, TAlphaColor back, bool filled, bool alpha) {
  auto* a = dynamic_cast<TPLN2DItem*>(it);
  ASSERT_NE(a, nullptr);
  a->SetBackColor(back);
  a->SetFilled(filled);
  a->SetAlpha(alpha);
}

inline void SetTerms(TPLNBaseItem* it, TORVTermType from, TORVTermType to, TAlphaColor fc, TAlphaColor tc, float sf,
                     float st) {
  auto* t = dynamic_cast<TORVTerminators*>(it);
  ASSERT_NE(t, nullptr);
  t->FromType = from;
  t->ToType = to;
  t->FromColor = fc;
  t->ToColor = tc;
  t->SizeFrom = sf;
  t->SizeTo = st;
}

// Fills `doc` with all ten basic kinds (two sectors, one a full turn), two layers, a label grid,
// a drawing scale, print settings, inches and the drawing editor mode.
inline void BuildSample(TPlanoraFMX& doc) {
  doc.Title = QStringLiteral("Round trip – ümlaut ✓");
  doc.SetUnits(TORVUnits::inch);
  doc.SetEditorMode(2);
  TPLNMeasure m;
  m.Sizes[TPLNMeasure::PaperWidth] = 215900;
  m.Sizes[TPLNMeasure::PaperHeight] = 279400;
  m.Sizes[TPLNMeasure::LabelWidth] = 63500;
  m.Sizes[TPLNMeasure::LabelHeight] = 38100;
  m.Sizes[TPLNMeasure::LeftMargin] = 4763;
  m.Sizes[TPLNMeasure::TopMargin] = 12700;
  m.Sizes[TPLNMeasure::HorzGap] = 3175;
  m.Sizes[TPLNMeasure::VertGap] = 1;
  m.Rows = 7;
  m.Columns = 3;
  m.LabelName = QStringLiteral("Address 3 × 7");
  m.DrawScale = 20;
  doc.SetMeasure(m);
  doc.PrintInfo.FirstRow = 2;
  doc.PrintInfo.FirstColumn = 3;
  doc.PrintInfo.LastPage = 4;
  doc.PrintInfo.LabelsToPrint = 11;

  TPLNLayer* l2 = doc.AddLayer(QStringLiteral("Details"));
  l2->PenColor = 0x80112233;
  l2->BackColor = 0x40445566;
  l2->PenWidth = 123.5;
  l2->FontName = QStringLiteral("Courier New");
  l2->FontHeight = 4.25f;
  l2->FontColor = 0xC0778899;
  l2->Bold = true;
  l2->Italic = true;
  l2->Options = Opt::Visible | Opt::Export | Opt::ExportBackground;
  l2->BackImageFile = QStringLiteral("paper.png");
  l2->BackMargins[0] = 1;
  l2->BackMargins[1] = -2;
  l2->BackMargins[2] = 3000;
  l2->BackMargins[3] = 4;
  l2->EmbedImage = true;
  l2->ImageData = QByteArray("\x89PNG\0\xff", 6);
  TPLNLayer* l3 = doc.AddLayer(QStringLiteral("Third"));
  l3->Options = Opt::Print;
  l3->Italic = true;  // and not bold: the two flags cannot trade places unseen
  doc.SetActiveLayer(2);
  doc.SetBackLayer(2);
  doc.SetImageRotation(3);

  const std::uint16_t opts = Opt::Visible | Opt::Selectable | Opt::MapBackground;
  auto* pt = TPLNFactory::AddBasePoint(&doc, -1234, 5678);
  SetCommon(pt, QStringLiteral("pt"), 0x7F010203, 10.25, 3, opts);

  auto* line = TPLNFactory::AddBaseLine(&doc, 1, 2, 300003, -400004);
  SetCommon(line, QStringLiteral("line"), 0x11223344, 0, 11, Opt::Visible);

  auto* poly = TPLNFactory::AddBasePolyLine(&doc, {0, 0, 1000, 2000, -3000, 4000, 5000, -6000});
  SetCommon(poly, QStringLiteral("poly"), 0xAABBCCDD, 777.75, 5, opts);
  SetTerms(poly, 3, 7, 0x12345678, 0x9ABCDEF0, 2.5f, 4.75f);

  auto* arc = TPLNFactory::AddBaseArc(&doc, 50000, 60000, 12345, 0.3, -4.1);
  SetCommon(arc, QStringLiteral("arc"), 0x80FF0000, 600, 2, opts);
  SetTerms(arc, 1, 11, 0xFF00FF00, 0x8000FF00, 1.25f, 6.5f);

  auto* rect = TPLNFactory::AddBaseRectangle(&doc, 10000, 20000, 30000, 15000);
  SetCommon(rect, QStringLiteral("rect"), 0x40FFFFFF, 350, 1, opts);
  SetArea(rect, 0x20FF8000, true, false);
  static_cast<TPLNRectangle*>(rect)->SetBaseRadio(1500);

  auto* polygon = TPLNFactory::AddBasePolygon(&doc, {0, 0, 10000, 0, 10000, 10000, 5000, 15000, 0, 10000});
  SetCommon(polygon, QStringLiteral("polygon"), 0xFF0000FF, 1, 4, opts);
  SetArea(polygon, 0x01020304, true, true);

  auto* circle = TPLNFactory::AddBaseCircle(&doc, -5000, -5000, 2500);
  SetCommon(circle, QStringLiteral("circle"), 0xFE00FE00, 90, 6, opts);
  SetArea(circle, 0x00000000, true, false);

  auto* ellipse = TPLNFactory::AddBaseEllipse(&doc, 70000, 80000, 9000, 3000);
  SetCommon(ellipse, QStringLiteral("ellipse"), 0x01000000, 45.5, 7, opts);
  SetArea(ellipse, 0xFFFFFF00, false, false);

  auto* sector = TPLNFactory::AddBaseSector(&doc, 1000, 2000, 3000, -30.5, 360);
  SetCommon(sector, QStringLiteral("sector-full"), 0x12121212, 250, 8, opts);
  SetArea(sector, 0x34343434, true, false);
  auto* sector2 = TPLNFactory::AddBaseSector(&doc, 9000, 8000, 7000, 45.25, -120.75);
  SetCommon(sector2, QStringLiteral("sector"), 0x56565656, 260, 9, opts);

  auto* bez = TPLNFactory::AddBaseBezier(&doc, {0, 0, 1000, 5000, 6000, 5000, 7000, 0, 8000, -5000, 9000, 100, 12000, 1});
  SetCommon(bez, QStringLiteral("bezier"), 0xCC00CCCC, 500, 10, opts);
  SetArea(bez, 0x99887766, true, false);
  SetTerms(bez, 2, 9, 0xFF111111, 0xFF222222, 0.5f, 12.0f);

  // One item stays on layer 1, with the defaults it was made with, and one on the third layer.
  doc.SetActiveLayer(1);
  TPLNFactory::AddBaseLine(&doc, 0, 0, 1000, 1000);
  doc.SetActiveLayer(3);
  auto* r3 = TPLNFactory::AddBaseRectangle(&doc, 1, 1, 2, 2);
  r3->SetName(QStringLiteral("on third"));
  doc.SetActiveLayer(2);
  doc.SetLayerZOrder(true);
}

// Every field of the document and of each item, in order.
#define EXPECT_SAME(field) EXPECT_EQ(a.field, b.field) << #field
inline void ExpectSameDocument(const TPlanoraFMX& a, const TPlanoraFMX& b) {
  EXPECT_SAME(Title); EXPECT_SAME(GetUnits()); EXPECT_SAME(GetEditorMode()); EXPECT_SAME(GetLayerZOrder());
  EXPECT_TRUE(a.Measure() == b.Measure());
  EXPECT_SAME(PrintInfo.FirstRow); EXPECT_SAME(PrintInfo.FirstColumn); EXPECT_SAME(PrintInfo.LastPage);
  EXPECT_SAME(PrintInfo.LabelsToPrint); EXPECT_SAME(GetActiveLayerIndex());
  EXPECT_SAME(GetBackLayer()); EXPECT_SAME(GetImageRotation());
  ASSERT_EQ(a.GetLayersCount(), b.GetLayersCount());
  for (int i = 1; i <= a.GetLayersCount(); ++i) {
    SCOPED_TRACE(QStringLiteral("layer %1").arg(i).toStdString());
    const TPLNLayer &la = *a.GetLayer(i), &lb = *b.GetLayer(i);
    auto same = [&](const auto& x, const auto& y, const char* field) { EXPECT_EQ(x, y) << field; };
#define SAME_LAYER(field) same(la.field, lb.field, #field)
    SAME_LAYER(Name); SAME_LAYER(PenColor); SAME_LAYER(BackColor); SAME_LAYER(PenWidth); SAME_LAYER(FontName);
    SAME_LAYER(FontHeight); SAME_LAYER(FontColor); SAME_LAYER(Bold); SAME_LAYER(Italic); SAME_LAYER(Options);
    SAME_LAYER(BackImageFile);
    for (int k = 0; k < 4; ++k) SAME_LAYER(BackMargins[k]);
    SAME_LAYER(EmbedImage); SAME_LAYER(ImageData);
  }
  ASSERT_EQ(a.GetItemsCount(), b.GetItemsCount());
  for (int i = 1; i <= a.GetItemsCount(); ++i) {
    const TPLNBaseItem *x = a.GetItem(i), *y = b.GetItem(i);
    SCOPED_TRACE(QStringLiteral("item %1 (%2)").arg(i).arg(x->KindName()).toStdString());
    ASSERT_EQ(x->KindCode(), y->KindCode());
    EXPECT_EQ(typeid(*x), typeid(*y));
    EXPECT_EQ(a.LayerIndex(x->GetLayer()), b.LayerIndex(y->GetLayer()));
    auto same = [&](const auto& p, const auto& q, const char* field) { EXPECT_EQ(p, q) << field; };
#define SAME_AS(T, field) same(dynamic_cast<const T*>(x)->field, dynamic_cast<const T*>(y)->field, #field)
    SAME_AS(TPLNBaseItem, GetID()); SAME_AS(TPLNBaseItem, GetName()); SAME_AS(TPLNBaseItem, GetColor());
    SAME_AS(TPLNBaseItem, GetPenWidth()); SAME_AS(TPLNBaseItem, GetLineType()); SAME_AS(TPLNBaseItem, GetOptions());
    SAME_AS(TPLNBaseItem, Points());
    if (dynamic_cast<const TPLN2DItem*>(x)) {
      SAME_AS(TPLN2DItem, GetBackColor()); SAME_AS(TPLN2DItem, GetFilled()); SAME_AS(TPLN2DItem, Alpha());
    }
    if (dynamic_cast<const TORVTerminators*>(x)) {
      SAME_AS(TORVTerminators, FromType); SAME_AS(TORVTerminators, ToType); SAME_AS(TORVTerminators, FromColor);
      SAME_AS(TORVTerminators, ToColor); SAME_AS(TORVTerminators, SizeFrom); SAME_AS(TORVTerminators, SizeTo);
    }
    if (dynamic_cast<const TPLNRectangle*>(x)) SAME_AS(TPLNRectangle, GetBaseRadio());
    if (dynamic_cast<const TPLNSector*>(x)) {
      SAME_AS(TPLNSector, GetAngleStart()); SAME_AS(TPLNSector, GetAngleGap());
    }
    if (dynamic_cast<const TPLNArc*>(x)) {
      SAME_AS(TPLNArc, GetCenter()); SAME_AS(TPLNArc, GetRadius()); SAME_AS(TPLNArc, GetAngleStart());
      SAME_AS(TPLNArc, GetAngleSweep());
    }
#undef SAME_AS
#undef SAME_LAYER
  }
}
#undef EXPECT_SAME

}  // namespace PlanoraTest
