#pragma once
// The abstract drawing context: device resolution, scale and origin of the current label cell.
// The rendering layer derives the full context from it.

#include <cstdint>

#include "ORV.Types.h"

namespace Orv {

class TPLNBaseDraw {
 public:
  virtual ~TPLNBaseDraw() = default;

  std::int32_t DPIx = 96;
  std::int32_t DPIy = 96;
  // Pixels per base unit (DPI / 25400 on paper; divided by the drawing scale on a scaled view).
  double PixPerBaseX = 96.0 / 25400.0;
  double PixPerBaseY = 96.0 / 25400.0;
  // Pixels per document unit.
  float PixPerUnitX = 1.0f;
  float PixPerUnitY = 1.0f;
  float Zoom = 1.0f;
  std::int64_t DrawScale = 1;
  // Device origin of the current label cell: floats for screen and export, integers for print.
  float OriginX = 0.0f;
  float OriginY = 0.0f;
  std::int32_t IOriginX = 0;
  std::int32_t IOriginY = 0;
  std::int16_t Row = 1;
  std::int16_t Col = 1;
  // The data record of the current label cell, set by the sheet loops; -1 leaves data-bound
  // items on the document's current record.
  std::int32_t Record = -1;
  // The sheet page a print loop is on; 0 leaves items on the print settings' current page.
  std::int32_t Page = 0;
  float PageWidth = 0.0f;
  float PageHeight = 0.0f;
  float PixPerMM = 96.0f / 25.4f;
  TORVDrawState DrawState = TORVDrawState::Editor;

  // Sets the resolution and derives pixels per base unit and per millimetre.
  void SetResolution(std::int32_t dpiX, std::int32_t dpiY, std::int64_t drawScale = 1);

  // A length in base units to device pixels along x / y.
  float GetDrawX(std::int64_t length) const { return static_cast<float>(length * PixPerBaseX); }
  float GetDrawY(std::int64_t length) const { return static_cast<float>(length * PixPerBaseY); }
  // A pen width in base units to device pixels (physical, unaffected by the drawing scale).
  float DrawBasePtoX(double penWidth) const { return static_cast<float>(penWidth * DPIx / 25400.0); }
  float DrawBasePtoY(double penWidth) const { return static_cast<float>(penWidth * DPIy / 25400.0); }
};

}  // namespace Orv
