#pragma once
// Linear barcodes for agents: the add_barcode tool and the check that tells an agent why a code
// does not fit its symbology.

#include <QByteArray>
#include <QString>

#include "ORV.Barcode.h"
#include "ORV.MCP.Server.h"

namespace Orv::Mcp {

// Why `code` is not a code of `type` with these options, in words an agent can act on; empty
// when it is one.
QString BarcodeProblem(const QString& code, TORVBarType type, bool checkDigit, bool flagB);
// Raises EToolError naming the code, the type and the rule it broke, when there is one.
void CheckBarcode(const QString& code, TORVBarType type, bool checkDigit, bool flagB);

void RegisterBarcodeTools(TPLNMCPServer* server);

}  // namespace Orv::Mcp
