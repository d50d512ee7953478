#pragma once
// Screen and paper drawing the QR code and the DataMatrix share: the background of the symbol's
// box, the modules in the pen colour, and the data mark of a data-bound code on the editor.

#include "ORV.BarcodeItems.h"
#include "ORV.FMX.Shared.h"

namespace Orv::Fmx::Codes2D {

// Module size, paddings, alignments and angle of the item.
TORV2DPlacement Placement(const Barcode::TPLNBase2DCode& item);
// What a context shows: the item's own matrix on the editor's surface, else (bound to a data
// field) the record's value encoded with the item's options into `scratch`. Never changes the
// item: exports draw on worker threads. Empty when the value cannot be encoded.
const Barcode::TORVModuleMatrix& Shown(const Barcode::TPLNBase2DCode& item, const TPLNBaseDraw& draw,
                                       Barcode::TORVModuleMatrix& scratch);
void Draw(const Barcode::TPLNBase2DCode& item, TPLNBaseDraw* draw);
void Print(const Barcode::TPLNBase2DCode& item, TPLNBaseDraw* draw);

}  // namespace Orv::Fmx::Codes2D
