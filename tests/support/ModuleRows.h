// Symbols as rows of '0' and '1' (dark), to compare ours with libzint's module for module.
#pragma once

#include <zint.h>

#include <string>
#include <vector>

#include "ORV.BarcodeItems.h"

namespace PlanoraTest {

inline std::vector<std::string> ModuleRows(const zint_symbol& s) {
  std::vector<std::string> rows;
  for (int r = 0; r < s.rows; ++r) {
    std::string row;
    // zint 2.11 keeps each row's modules as bits, lowest first.
    for (int c = 0; c < s.width; ++c) row += (s.encoded_data[r][c / 8] >> (c % 8)) & 1 ? '1' : '0';
    rows.push_back(row);
  }
  return rows;
}

inline std::vector<std::string> ModuleRows(const Orv::Barcode::TORVModuleMatrix& m) {
  std::vector<std::string> rows;
  for (int r = 0; r < m.Rows; ++r) {
    std::string row;
    for (int c = 0; c < m.Cols; ++c) row += m.At(c, r) ? '1' : '0';
    rows.push_back(row);
  }
  return rows;
}

}  // namespace PlanoraTest
