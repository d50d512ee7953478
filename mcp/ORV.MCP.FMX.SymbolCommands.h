#pragma once
// The symbol command interpreter of the symbol tools, shared with the library builder of the
// command-line tool, so a library built from definitions draws as the tools would draw it.

#include <QJsonArray>

#include "ORV.Symbol.h"

namespace Orv::Mcp {

// Runs the drawing commands ({"type": "line", "x1": ..., ...}) on the symbol in order; returns
// how many were recognised and applied. Unknown types and commands whose values cannot be used
// add nothing to the symbol.
int RunCommands(Symbol::TPLNLibSymbol& symbol, const QJsonArray& commands);

}  // namespace Orv::Mcp
