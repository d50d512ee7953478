#pragma once
// Mask selection for QR symbols. zint scores all eight masks slowly; EncodeQR lets it encode with
// a fixed mask and picks the mask here, on rows of bits, with the same penalty rules.

#include <cstdint>

#include "ORV.BarcodeItems.h"

namespace Orv::Barcode::QRMask {

// Side of the largest symbol (version 40).
constexpr int kMaxSize = 177;

// A symbol of `size` x `size` modules (21, 25, .. 177), given as rows of packed bits, lowest bit
// first (column c of row r at bit c % 8 of packed[r * stride + c / 8]), with its data modules
// masked with `fromMask` (0..7). Writes the symbol masked with `toMask` (0..7) to `out`, or with
// the mask of lowest penalty when `toMask` is -1, its format information for `ecLevel` (0 L .. 3
// H) included. Returns the mask written, or -1 (and leaves `out` alone) when an argument is out
// of range.
int Remask(const std::uint8_t* packed, int stride, int size, int ecLevel, int fromMask, int toMask,
           TORVModuleMatrix& out);

// Number of data modules (codeword and remainder bits) of a symbol of side `size`; 0 when `size`
// is not a QR size.
int DataModuleCount(int size);

}  // namespace Orv::Barcode::QRMask
