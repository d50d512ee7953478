// Reading items back from their binary and JSON records.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonDocument>

#include "ItemTestContext.h"
#include "ORV.FMX.Items.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

QByteArray Record(const TPLNBaseItem& item) {
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  TBinaryWriter w(&buf);
  item.WriteData(w);
  return bytes;
}

QJsonObject JsonRecord(const TPLNBaseItem& item) {
  QJsonObject o = item.ToJson();
  o.remove(QStringLiteral("ID"));  // the document numbers items itself
  return o;
}

// Each class reads the whole record of its own kind, with the preview flag of the read type.
template <class T>
void CheckReads(TPLNBaseLabel& doc, const T& original) {
  SCOPED_TRACE(original.KindName().toStdString());
  const QByteArray bytes = Record(original);
  for (TORVReadType type : {TORVReadType::File, TORVReadType::Paste, TORVReadType::Preview}) {
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    TBinaryReader r(&buf);
    const int before = doc.GetItemsCount();
    T* item = T::Read(&doc, kFileVersion, r, type);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(doc.GetItemsCount(), before + 1);
    EXPECT_EQ(doc.GetItem(doc.GetItemsCount()), item);
    EXPECT_EQ(item->IsPreview(), type == TORVReadType::Preview);
    EXPECT_EQ(item->KindCode(), original.KindCode());
    EXPECT_EQ(Record(*item), bytes);
    EXPECT_EQ(buf.bytesAvailable(), 0);
  }
  T* fromJson = T::ReadFromJson(&doc, kFileVersion, JsonRecord(original));
  ASSERT_NE(fromJson, nullptr);
  EXPECT_FALSE(fromJson->IsPreview());
  EXPECT_EQ(JsonRecord(*fromJson), JsonRecord(original));

  // A cut record raises; without an owner the half-read item is not leaked.
  QByteArray cut = bytes.left(bytes.size() - 3);
  QBuffer buf(&cut);
  buf.open(QIODevice::ReadOnly);
  TBinaryReader r(&buf);
  EXPECT_THROW(T::Read(nullptr, kFileVersion, r, TORVReadType::File), EPLNError);
}

template <class T>
T* Make(TPLNBaseLabel& doc, std::initializer_list<TORVPto> pts) {
  auto* item = new T(&doc, false);
  item->AssignPoints(pts);
  item->SetColor(0xFF123456);
  item->SetPenWidth(700);
  item->SetLineType(4);
  item->SetName(QStringLiteral("n%1").arg(item->KindCode()));
  return item;
}

}  // namespace

TEST(ItemRead, EveryClassReadsItsOwnRecord) {
  ItemContext c;
  TPLNBaseLabel& doc = c.doc;
  CheckReads(doc, *Make<TPLNPoint>(doc, {TORVPto{5, 6}}));
  CheckReads(doc, *Make<TPLNLine>(doc, {TORVPto{1, 2}, TORVPto{3000, 4000}}));

  auto* pl = Make<TPLNPolyLine>(doc, {TORVPto{0, 0}, TORVPto{10, 20}, TORVPto{30, 5}});
  pl->FromType = 4;
  pl->ToColor = 0xFF00AA00;
  pl->SizeTo = 5.5f;
  CheckReads(doc, *pl);

  auto* pg = Make<TPLNPolygon>(doc, {TORVPto{0, 0}, TORVPto{10, 20}, TORVPto{30, 5}});
  pg->SetFilled(true);
  pg->SetBackColor(0xFFABCDEF);
  CheckReads(doc, *pg);

  auto* rc = Make<TPLNRectangle>(doc, {TORVPto{0, 0}, TORVPto{10000, 5000}});
  rc->SetBaseRadio(1200);
  rc->SetAlpha(false);
  CheckReads(doc, *rc);
  CheckReads(doc, *Make<TPLNCircle>(doc, {TORVPto{0, 0}, TORVPto{4000, 4000}}));
  CheckReads(doc, *Make<TPLNEllipse>(doc, {TORVPto{0, 0}, TORVPto{8000, 4000}}));

  auto* arc = new TPLNArc(&doc, 0, 1000, 1000, 0, 2000, 1000, false);
  arc->ToType = 2;
  CheckReads(doc, *arc);
  EXPECT_EQ(arc->GetRadius(), 1000);

  auto* sec = Make<TPLNSector>(doc, {TORVPto{0, 0}, TORVPto{8000, 8000}});
  sec->SetAngleStart(15);
  sec->SetAngleGap(120);
  CheckReads(doc, *sec);

  auto* bz = Make<TPLNBezier>(doc, {TORVPto{0, 0}, TORVPto{1, 2}, TORVPto{3, 4}, TORVPto{5, 6}});
  bz->FromType = 7;
  CheckReads(doc, *bz);
}
