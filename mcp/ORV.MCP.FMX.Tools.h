#pragma once
// The tool set AI agents draw with: set up the drawing, add, change, list and inspect items and
// layers. Every handler works on the document the server was opened for, in its current unit,
// and answers with a tool result; failures are error results, never exceptions.

#include "ORV.MCP.Server.h"

// Registers the tools with `server` in the order clients list them, and keeps the server for the
// tools that need its settings.
void ORVMCPRegisterDefaultTools(Orv::TPLNMCPServer* server);

namespace Orv::Mcp {

// The server the tools were last registered with.
TPLNMCPServer* RegisteredServer();

// The groups ORVMCPRegisterDefaultTools registers, in order.
void RegisterDrawingTools(TPLNMCPServer* server);    // document, items and layers
void RegisterShapeTools(TPLNMCPServer* server);      // rectangle ... paragraph
void RegisterBarcodeTools(TPLNMCPServer* server);    // linear barcodes
void RegisterTableTools(TPLNMCPServer* server);      // data tables
void RegisterPolyTools(TPLNMCPServer* server);       // poly texts
void RegisterGaugeTools(TPLNMCPServer* server);      // level gauges and rank ratings
void RegisterNutriTools(TPLNMCPServer* server);      // the Nutri-Score label
void RegisterPackageTools(TPLNMCPServer* server);    // package drawings
void RegisterCodes2DTools(TPLNMCPServer* server);    // QR codes, DataMatrix and PDF417 symbols
void RegisterImageTools(TPLNMCPServer* server);      // pictures
void RegisterFlowTools(TPLNMCPServer* server);       // flow boxes and links
void RegisterSymbolTools(TPLNMCPServer* server);     // library symbols: load, place, create, save, from images
void RegisterDimensionTools(TPLNMCPServer* server);  // the four dimensions
void RegisterDiagramTools(TPLNMCPServer* server);    // Gantt charts and diagrams from text
void RegisterSvgTool(TPLNMCPServer* server);         // export_svg
void RegisterExportTools(TPLNMCPServer* server);     // preview, export, save and load

}  // namespace Orv::Mcp
