#pragma once
// Changing the properties of existing items: modify_item, and the property groups the element
// tools apply to the items they have just made.

#include "ORV.Dim.h"
#include "ORV.MCP.FMX.Args.h"

namespace Orv::Mcp {

QJsonObject ModifyItem(TPLNBaseLabel* doc, const TArgs& a);

// The dimension arguments: text, text_measure and show_extension on the dimension; text_pos,
// head_type, the colours, font, pen widths, head size, prefix, suffix and format on its style
// (shared by every dimension of that style). Everything is checked before anything changes.
// Returns the number of properties applied.
int ApplyDimArgs(TPLNBaseLabel* doc, Line::TPLNBaseDim* dim, const TArgs& a);

// Terminators from from_type, to_type, from_color, to_color, size_from and size_to. Returns the
// number applied; the caller updates the item.
int ApplyTermArgs(const TPLNBaseLabel* doc, TORVTerminators* t, const TArgs& a);

}  // namespace Orv::Mcp
