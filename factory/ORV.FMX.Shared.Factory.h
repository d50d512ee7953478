#pragma once
// Creates items by coordinates, as the drawable classes, with the active layer's defaults.
// "Add" forms take floats in the document's unit, "AddBase" forms base units.

#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QString>

#include "ORV.Barcode.h"
#include "ORV.Base.h"
#include "ORV.Diagram.h"

namespace Orv::F2d {
enum class TORVinkType : std::uint8_t;
}

namespace Orv::Fmx {

class TPLNFactory {
 public:
  static inline std::int32_t fDPIX = 96;
  static inline std::int32_t fDPIY = 96;
  static void SetDPI(std::int32_t x, std::int32_t y) {
    fDPIX = x;
    fDPIY = y;
  }

  static TPLNBaseItem* AddPoint(TPLNBaseLabel* doc, float x, float y);
  static TPLNBaseItem* AddBasePoint(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y);
  static TPLNBaseItem* AddLine(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2);
  static TPLNBaseItem* AddBaseLine(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
  static TPLNBaseItem* AddRectangle(TPLNBaseLabel* doc, float x, float y, float w, float h);
  static TPLNBaseItem* AddBaseRectangle(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);
  static TPLNBaseItem* AddEllipse(TPLNBaseLabel* doc, float cx, float cy, float rx, float ry);
  static TPLNBaseItem* AddBaseEllipse(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t rx, std::int64_t ry);
  static TPLNBaseItem* AddCircle(TPLNBaseLabel* doc, float cx, float cy, float r);
  static TPLNBaseItem* AddBaseCircle(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r);
  static TPLNBaseItem* AddCircle2P(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2);
  static TPLNBaseItem* AddBaseCircle2P(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
  // No item when the three points are collinear.
  static TPLNBaseItem* AddCircle3P(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2, float x3, float y3);
  static TPLNBaseItem* AddBaseCircle3P(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                       std::int64_t y2, std::int64_t x3, std::int64_t y3);
  // Angles in radians, clockwise on the page.
  static TPLNBaseItem* AddArc(TPLNBaseLabel* doc, float cx, float cy, float r, double start, double sweep);
  static TPLNBaseItem* AddBaseArc(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r, double start,
                                  double sweep);
  // Through start, a point on the arc, end.
  static TPLNBaseItem* AddArc(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2, float x3, float y3);
  static TPLNBaseItem* AddBaseArc(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                                  std::int64_t x3, std::int64_t y3);
  // Angles in degrees, clockwise on the page.
  static TPLNBaseItem* AddSector(TPLNBaseLabel* doc, float cx, float cy, float r, double start, double gap);
  static TPLNBaseItem* AddBaseSector(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r, double start,
                                     double gap);
  static TPLNBaseItem* AddSector2P(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2, double start, double gap);
  static TPLNBaseItem* AddBaseSector2P(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                       std::int64_t y2, double start, double gap);
  static TPLNBaseItem* AddSector3P(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2, float x3, float y3,
                                   double start, double gap);
  static TPLNBaseItem* AddBaseSector3P(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                       std::int64_t y2, std::int64_t x3, std::int64_t y3, double start, double gap);

  // Point lists x1, y1, x2, y2, ...; an odd count raises "EventNumber", a base polygon of fewer
  // than three points raises "Polygon". Nothing is created when they raise.
  static TPLNBaseItem* AddPolyLine(TPLNBaseLabel* doc, const std::vector<float>& values);
  static TPLNBaseItem* AddBasePolyLine(TPLNBaseLabel* doc, const std::vector<std::int64_t>& values);
  static TPLNBaseItem* AddPolygon(TPLNBaseLabel* doc, const std::vector<float>& values);
  static TPLNBaseItem* AddBasePolygon(TPLNBaseLabel* doc, const std::vector<std::int64_t>& values);
  static TPLNBaseItem* AddBezier(TPLNBaseLabel* doc, const std::vector<float>& values);
  static TPLNBaseItem* AddBaseBezier(TPLNBaseLabel* doc, const std::vector<std::int64_t>& values);

  // Texts (ORV.FMX.Shared.Factory.Text.cpp).
  static TPLNBaseItem* AddText(TPLNBaseLabel* doc, float x, float y);
  static TPLNBaseItem* AddBaseText(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y);
  static TPLNBaseItem* AddParagraph(TPLNBaseLabel* doc, float x, float y, float w, float h);
  static TPLNBaseItem* AddBaseParagraph(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);
  // A rich text in the box, empty, in the active layer's font, colour and pen.
  static TPLNBaseItem* AddRichText(TPLNBaseLabel* doc, float x, float y, float w, float h);
  static TPLNBaseItem* AddBaseRichText(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);
  // Poly texts (ORV.FMX.Shared.Factory.Poly.cpp) anchored at (x, y), text runs, no runs yet, in
  // the active layer's pen colour.
  static TPLNBaseItem* AddPolyText(TPLNBaseLabel* doc, float x, float y);
  static TPLNBaseItem* AddBasePolyText(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y);

  // Arrow lines and dimensions (ORV.FMX.Shared.Factory.Dims.cpp). Angles in radians.
  static TPLNBaseItem* AddArrowLine(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2);
  static TPLNBaseItem* AddBaseArrowLine(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                        std::int64_t y2);
  static TPLNBaseItem* AddDim(TPLNBaseLabel* doc, float x1, float y1, float x2, float y2, float x3, float y3);
  static TPLNBaseItem* AddBaseDim(TPLNBaseLabel* doc, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                                  std::int64_t x3, std::int64_t y3);
  static TPLNBaseItem* AddDimRadial1(TPLNBaseLabel* doc, float cx, float cy, float r, double angle);
  static TPLNBaseItem* AddBaseDimRadial1(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r,
                                         double angle);
  static TPLNBaseItem* AddDimRadial2(TPLNBaseLabel* doc, float cx, float cy, float r, double angle);
  static TPLNBaseItem* AddBaseDimRadial2(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r,
                                         double angle);
  static TPLNBaseItem* AddDimDiameter1(TPLNBaseLabel* doc, float cx, float cy, float r, double angle);
  static TPLNBaseItem* AddBaseDimDiameter1(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r,
                                           double angle);
  static TPLNBaseItem* AddDimDiameter2(TPLNBaseLabel* doc, float cx, float cy, float r, double angle);
  static TPLNBaseItem* AddBaseDimDiameter2(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r,
                                           double angle);
  // Two lines p1-p2 and p3-p4 and a point P on the arc: ten values x1, y1, ... xP, yP.
  // No item when the lines are parallel.
  static TPLNBaseItem* AddDimAngle(TPLNBaseLabel* doc, const std::vector<float>& values);
  static TPLNBaseItem* AddBaseDimAngle(TPLNBaseLabel* doc, const std::vector<std::int64_t>& values);

  // Nutri-Score labels (ORV.FMX.Shared.Factory.Nutri.cpp) in the box (x, y, w, h), grade A, with
  // the active layer's pen, pen width and back colour.
  static TPLNBaseItem* AddNutriScore(TPLNBaseLabel* doc, float x, float y, float w, float h);
  static TPLNBaseItem* AddBaseNutriScore(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w,
                                         std::int64_t h);

  // Level gauges (ORV.FMX.Shared.Factory.Gauges.cpp) on the disc of centre (cx, cy) and radius
  // r, and rank ratings in the box (x, y, w, h), with the active layer's pen, pen width and back
  // colour.
  static TPLNBaseItem* AddLevel(TPLNBaseLabel* doc, float cx, float cy, float r);
  static TPLNBaseItem* AddBaseLevel(TPLNBaseLabel* doc, std::int64_t cx, std::int64_t cy, std::int64_t r);
  static TPLNBaseItem* AddRank(TPLNBaseLabel* doc, float x, float y, float w, float h);
  static TPLNBaseItem* AddBaseRank(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);

  // Package drawings (ORV.FMX.Shared.Factory.Gauges.cpp) in the frame (x, y, w, h), a carton with
  // its sizes beside, with the active layer's pen, pen width, back colour and font colour.
  static TPLNBaseItem* AddPackage(TPLNBaseLabel* doc, float x, float y, float w, float h);
  static TPLNBaseItem* AddBasePackage(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w,
                                      std::int64_t h);

  // Pictures (ORV.FMX.Shared.Factory.Image.cpp) in the box (x, y, w, h) with the active layer's pen
  // and pen width. A file inside the document's image folder is stored relative to it.
  static TPLNBaseItem* AddImage(TPLNBaseLabel* doc, float x, float y, float w, float h, const QString& fileName);
  static TPLNBaseItem* AddBaseImage(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                                    const QString& fileName);

  // Tables (ORV.FMX.Shared.Factory.Table.cpp) in the box (x, y, w, h): three columns with their
  // headers and a design row, a full grid, the active layer's pen, pen width and back colour.
  static TPLNBaseItem* AddTable(TPLNBaseLabel* doc, float x, float y, float w, float h);
  static TPLNBaseItem* AddBaseTable(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w,
                                    std::int64_t h);

  // Linear barcodes (ORV.FMX.Shared.Factory.Barcode.cpp) anchored at (x, y); the code is 8-bit.
  // The unit form takes the active layer's pen colour and font, the base form only its pen colour.
  static TPLNBaseItem* AddBarcode(TPLNBaseLabel* doc, float x, float y, const QByteArray& code, TORVBarType type);
  static TPLNBaseItem* AddBaseBarcode(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, const QByteArray& code,
                                      TORVBarType type);

  // Flow charts (ORV.FMX.Shared.Factory.Flow.cpp).
  static TPLNBaseItem* AddFlow(TPLNBaseLabel* doc, float x, float y, float w, float h, TORVFlowType type);
  static TPLNBaseItem* AddBaseFlow(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                                   TORVFlowType type);
  // Library symbols (ORV.FMX.Shared.Factory.Symbol.cpp) inserted at (x, y), showing the
  // document's current symbol; no item when there is none. The form with a library file loads
  // the named symbol into the document first (it becomes current); no item, and nothing raised,
  // when the file holds no such symbol or cannot be read.
  static TPLNBaseItem* AddSymbol(TPLNBaseLabel* doc, float x, float y);
  static TPLNBaseItem* AddBaseSymbol(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y);
  static TPLNBaseItem* AddSymbol(TPLNBaseLabel* doc, float x, float y, const QString& file, const QString& name);

  // Whether `item` can be an end of a link: it offers connectors and has an identifier.
  static bool IsLinkEnd(const TPLNBaseItem* item);
  // Whether a link may ask `item` for connector `index`: 0 (the link chooses) or one it has.
  static bool HasConnector(const TPLNBaseItem* item, int index);
  // A link between two items by identifier; connector 0 lets the link choose. No item (and the
  // document unchanged) when an end is missing or cannot be linked, when both ends are one item,
  // or when a connector is not one its item has.
  static TPLNBaseItem* AddBaseLink(TPLNBaseLabel* doc, std::int32_t fromID, std::int32_t toID, std::int16_t fromIndex,
                                   std::int16_t toIndex, F2d::TORVinkType linkType);
  // The same with each end found by name, or by identifier written as a number. A symbol's link
  // point k is stored as k + kSymbolLinkOffset.
  static TPLNBaseItem* AddLink(TPLNBaseLabel* doc, const QString& fromName, const QString& toName, std::int16_t fromIndex,
                               std::int16_t toIndex, F2d::TORVinkType linkType);
  // With link points x1, y1, x2, y2, ...: the route of a polyline link (the routed types make
  // their own from the ends). An odd count raises "EventNumber" before anything is made.
  static TPLNBaseItem* AddBasePolyLink(TPLNBaseLabel* doc, std::int32_t fromID, std::int32_t toID,
                                       std::int16_t fromIndex, std::int16_t toIndex, F2d::TORVinkType linkType,
                                       const std::vector<std::int64_t>& values);
  static TPLNBaseItem* AddPolyLink(TPLNBaseLabel* doc, std::int32_t fromID, std::int32_t toID, std::int16_t fromIndex,
                                   std::int16_t toIndex, F2d::TORVinkType linkType, const std::vector<float>& values);

  // QR codes and DataMatrix symbols (ORV.FMX.Shared.Factory.Codes2D.cpp) anchored at (x, y), in
  // the active layer's pen colour. The QR code takes any text, the DataMatrix 8-bit data.
  static TPLNBaseItem* AddQRCode(TPLNBaseLabel* doc, float x, float y, const QString& text);
  static TPLNBaseItem* AddBaseQRCode(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, const QString& text);
  static TPLNBaseItem* AddDataMatrix(TPLNBaseLabel* doc, float x, float y, const QByteArray& code);
  static TPLNBaseItem* AddBaseDataMatrix(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, const QByteArray& code);
  // PDF417 symbols (ORV.FMX.Shared.Factory.PDF417.cpp) of 8-bit data anchored at (x, y), in the
  // active layer's pen colour.
  static TPLNBaseItem* AddPDF417(TPLNBaseLabel* doc, float x, float y, const QByteArray& code);
  static TPLNBaseItem* AddBasePDF417(TPLNBaseLabel* doc, std::int64_t x, std::int64_t y, const QByteArray& code);

  // Gantt charts and diagrams from text (ORV.FMX.Diagrams.cpp). Each replaces the drawing, as
  // one undo step, and only once the text gave something to draw: otherwise the document is
  // left as it was and the result is false. `arrows` draws Gantt dependencies as links.
  // Diagnostics, when asked for, are appended whatever the result. Strict refuses a diagram text
  // with anything the parser could not read.
  static bool LoadGantt(TPLNBaseLabel* doc, const QString& text, bool arrows = false,
                        std::vector<Diagram::TORVDiagDiagnostic>* diagnostics = nullptr);
  static bool LoadDiagram(TPLNBaseLabel* doc, const QString& text, Diagram::TORVDiagramFormat format,
                          bool arrows = false, std::vector<Diagram::TORVDiagDiagnostic>* diagnostics = nullptr,
                          bool strict = false);
  static bool LoadMermaid(TPLNBaseLabel* doc, const QString& text);
  // The layouts: each clears the document and records the item made for every node in the
  // model, or, when the model has nothing to draw or would not fit the largest page, returns
  // false and changes nothing.
  static bool DrawFlowDiagram(TPLNBaseLabel* doc, Diagram::TPLNDiagramModel& model);
  static bool DrawSequenceDiagram(TPLNBaseLabel* doc, Diagram::TPLNDiagramModel& model);
  static bool DrawIshikawaDiagram(TPLNBaseLabel* doc, Diagram::TPLNDiagramModel& model);
  // The largest font height (base units, 1500 to 4000) at which a node's text fits its box.
  static std::int64_t NodeFontHeight(const QString& text, TORVFlowType shape);
};

// The document with the creation hooks routed through the factory.
class TPLNSharedFMX : public TPLNBaseLabel {
 public:
  TPLNSharedFMX() = default;

  TPLNBaseItem* AddBasePoint(std::int64_t x, std::int64_t y) override;
  TPLNBaseItem* AddBaseLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) override;
  TPLNBaseItem* AddBaseRectangle(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) override;
  TPLNBaseItem* AddBaseEllipse(std::int64_t cx, std::int64_t cy, std::int64_t rx, std::int64_t ry) override;
  TPLNBaseItem* AddBaseCircle(std::int64_t cx, std::int64_t cy, std::int64_t r) override;
  TPLNBaseItem* AddBaseArc(std::int64_t cx, std::int64_t cy, std::int64_t r, double start, double sweep) override;
  TPLNBaseItem* AddBaseSector(std::int64_t cx, std::int64_t cy, std::int64_t r, double start, double gap) override;
  TPLNBaseItem* AddBasePolyLine(const std::vector<std::int64_t>& values) override;
  TPLNBaseItem* AddBasePolygon(const std::vector<std::int64_t>& values) override;
  TPLNBaseItem* AddBaseBezier(const std::vector<std::int64_t>& values) override;
  TPLNBaseItem* AddBaseText(std::int64_t x, std::int64_t y) override;
  TPLNBaseItem* AddBaseParagraph(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) override;
  TPLNBaseItem* AddBaseArrowLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) override;
  TPLNBaseItem* AddBaseDim(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t x3,
                           std::int64_t y3) override;
  TPLNBaseItem* AddBaseDimRadius(std::int64_t cx, std::int64_t cy, std::int64_t r, double angle, bool diameter,
                                 bool outside) override;
  TPLNBaseItem* AddBaseDimAngle(const std::vector<std::int64_t>& values) override;
  TPLNBaseItem* AddBaseFlow(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, TORVFlowType type) override;
  TPLNBaseItem* AddBaseLink(std::int32_t fromID, std::int32_t toID, std::int16_t fromIndex, std::int16_t toIndex,
                            std::uint8_t linkType) override;
  TPLNBaseItem* AddBaseCode(std::int64_t x, std::int64_t y, std::int32_t kind) override;
  TPLNBaseItem* AddBaseNutriScore(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) override;
  TPLNBaseItem* AddBaseLevel(std::int64_t cx, std::int64_t cy, std::int64_t r) override;
  TPLNBaseItem* AddBaseRank(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) override;
  TPLNBaseItem* AddBasePackage(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) override;
  TPLNBaseItem* AddBaseImage(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                             const QString& fileName) override;
  TPLNBaseItem* AddBaseTable(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) override;
  TPLNBaseItem* AddBaseRichText(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) override;
};

}  // namespace Orv::Fmx
