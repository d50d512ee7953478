// The editor's code, Nutri-Score, gauge, package, picture and table tools: what one click (or a box)
// of the palette makes.
#include "ORV.FMX.Shared.Factory.h"
#include "ORV.Poly.h"

namespace Orv::Fmx {

TPLNBaseItem* TPLNSharedFMX::AddBaseCode(std::int64_t x, std::int64_t y, std::int32_t kind) {
  // Sample codes that every kind encodes, for the user to replace.
  switch (kind) {
    case Kind::Barcode: return TPLNFactory::AddBaseBarcode(this, x, y, "123456789", TORVBarType::Code128);
    case Kind::QRCode: return TPLNFactory::AddBaseQRCode(this, x, y, QStringLiteral("https://example.com"));
    case Kind::DataMatrix: return TPLNFactory::AddBaseDataMatrix(this, x, y, "PLANORA-0001");
    case Kind::PDF417: return TPLNFactory::AddBasePDF417(this, x, y, "PLANORA PDF417 SAMPLE");
    case Kind::PolyText: {
      auto* poly = dynamic_cast<Text::TPLNBasePoly*>(TPLNFactory::AddBasePolyText(this, x, y));
      if (poly) poly->SetData(QStringLiteral("Poly text"));
      return poly;
    }
    default: return nullptr;
  }
}

TPLNBaseItem* TPLNSharedFMX::AddBaseNutriScore(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
  return TPLNFactory::AddBaseNutriScore(this, x, y, w, h);
}

TPLNBaseItem* TPLNSharedFMX::AddBaseLevel(std::int64_t cx, std::int64_t cy, std::int64_t r) {
  return TPLNFactory::AddBaseLevel(this, cx, cy, r);
}

TPLNBaseItem* TPLNSharedFMX::AddBaseRank(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
  return TPLNFactory::AddBaseRank(this, x, y, w, h);
}

TPLNBaseItem* TPLNSharedFMX::AddBasePackage(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
  return TPLNFactory::AddBasePackage(this, x, y, w, h);
}

TPLNBaseItem* TPLNSharedFMX::AddBaseImage(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                                          const QString& fileName) {
  // Without a file the picture shows its placeholder until one is chosen.
  return TPLNFactory::AddBaseImage(this, x, y, w, h, fileName);
}

TPLNBaseItem* TPLNSharedFMX::AddBaseTable(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
  return TPLNFactory::AddBaseTable(this, x, y, w, h);
}

}  // namespace Orv::Fmx
