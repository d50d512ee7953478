#include "ORV.Msg.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <iterator>
#include <memory>
#include <mutex>

namespace Orv {

namespace {

using Table = QHash<QString, QString>;

const Table& Dialogs() {
  static const Table t{
      // table and poly text editors
      {"Column", "Column"}, {"Header", "Header"}, {"Footer", "Footer"}, {"Count", "Count"},
      {"Min", "Minimum"}, {"Max", "Maximum"}, {"Sum", "Sum"}, {"Mean", "Mean"}, {"Median", "Median"},
      {"Variance", "Variance"}, {"StdDev", "Standard deviation"},
      {"NoFields", "The document has no data fields: load a data source to bind the table's columns."},
      {"AddColumn", "Add column"}, {"AddText", "Add text"}, {"Clear", "Clear"},
      // small dialogs and editor settings
      {"Save", "Save"},
      {"LoadJson", "Load JSON..."},
      {"Format", "Format"},
      {"FilterJson", "JSON files|*.json"},
      {"JsonNotValid", "JSON is not valid"},
      {"BackMargins", "Background image margins"},
      {"Top", "Top"},
      {"Left", "Left"},
      {"Bottom", "Bottom"},
      {"Right", "Right"},
      {"Text", "Text"},
      {"SelColor", "Colour"},
      {"SelFont", "Font"},
      {"SelSize", "Text size"},
      {"Settings", "Editor settings"},
      {"Grid", "Grid"},
      {"None", "None"},
      {"Points", "Points"},
      {"Lines", "Lines"},
      {"GridX", "Grid X"},
      {"GridY", "Grid Y"},
      {"MoveX", "Keyboard step X"},
      {"MoveY", "Keyboard step Y"},
      {"Moves", "Steps"},
      {"GridColor", "Grid colour"},
      {"UnitsColor", "Unit lines colour"},
      {"OrtoLines", "Orthogonal lines"},
      {"PickGap", "Pick gap (pixels)"},
      {"Rulers", "Rulers and guides"},
      {"ShowSizes", "Show sizes"},
      {"SizeColor", "Size colour"},
      {"ShowRefLines", "Show reference lines"},
      {"RefLinesColor", "Reference line colour"},
      {"ShowAlignLines", "Show alignment lines"},
      {"AlignLinesColor", "Alignment line colour"},
      {"AlignTextColor", "Alignment text colour"},
      {"Snap", "Snap to"},
      {"SnapGrid", "Grid"},
      {"EndPoint", "End point"},
      {"MiddlePoint", "Middle point"},
      {"CenterPoint", "Centre"},
      {"CrossPoint", "Intersection"},
      {"Point", "Point"},
      {"TangentPoint", "Tangent"},
      {"PerpendicularPoint", "Perpendicular"},
      {"RefSymbol", "Symbol reference"},
      {"RightRuler", "Right ruler"},
      {"LeftRuler", "Left ruler"},
      {"TopRuler", "Top ruler"},
      {"BottomRuler", "Bottom ruler"},
      {"Ok", "OK"},
      {"Cancel", "Cancel"},
      {"CurDrawing", "Current drawing"},
      {"SymbolLib", "Symbol library"},
      {"Layers", "Layers"},
      {"Properties", "Properties"},
      {"ScaleExp", "Scale of the exported page (0.2 to 5)"},
      {"FitExp", "Export only the drawn area instead of the whole page"},
      {"Fit", "Fit"},
      {"Quality", "JPEG quality (10 to 100)"},
      {"Transparent", "Transparent"},
      {"Export", "Export"},
      // page set-up
      {"Label", "Label sheet"},
      {"Dimensions", "Sheet"},
      {"LabelSize", "Label size"},
      {"LabelName", "Label name"},
      {"Width", "Width"},
      {"Height", "Height"},
      {"LabelSeparation", "Gaps between labels"},
      {"Horizontal", "Horizontal"},
      {"Vertical", "Vertical"},
      {"LabelMargins", "Margins of the first label"},
      {"LabelDisposition", "Labels on the sheet"},
      {"Rows", "Rows"},
      {"Columns", "Columns"},
      {"PaperSize", "Paper"},
      {"UserPaper", "User defined"},
      {"NumLabsToPrint", "Labels to print"},
      {"NumLabs", "Number of labels"},
      {"Printing", "Printing"},
      {"FirstLabel", "First label"},
      {"FirstRow", "First row"},
      {"FirstColumn", "First column"},
      {"Repetition", "Labels of each record"},
      {"Calibration", "Printer calibration (mm, kept on this computer)"},
      // label stock
      {"LabelStock", "Label stock"},
      {"ColouredStock", "Coloured labels"},
      {"CornerRadius", "Corner radius (mm)"},
      {"ShowStock", "Show the labels' colour on screen and in the preview"},
      {"PrintStock", "Print the labels' colour (plain paper)"},
      {"ExportStock", "Export the labels' colour"},
      {"Printer", "Printer"},
      {"OffsetX", "Move right by"},
      {"OffsetY", "Move down by"},
      {"Counters", "Counters"},
      {"Name", "Name"},
      {"Step", "Step"},
      {"FromNumber", "From number"},
      {"ToNumber", "To number"},
      {"TextBefore", "Text before"},
      {"TextAfter", "Text after"},
      {"CounterSample", "Gives"},
      {"SaveCounter", "The counter was changed. Save it?"},
      {"AddCounter", "New counter"},
      {"FieldList", "Fields"},
      {"FileCsv", "CSV file"},
      {"CsvFile", "CSV file"},
      {"CsvFiles", "CSV files"},
      {"JsonData", "JSON data"},
      {"NoData", "No data"},
      {"Data", "Data"},
      {"DataSource", "Data source"},
      {"FieldRepeat", "Labels per record from field"},
      {"LinkData", "Read the file again when the drawing opens"},
      {"SaveJson", "Keep the JSON data in the drawing"},
      {"Type", "Type"},
      {"ContinousPaper", "Continuous paper (one label per page)"},
      {"SheetCatalog", "Standard label sheets"},
      {"SearchSheets", "Search brand, part or size, e.g. avery 70x37"},
      {"Drawing", "Drawing"},
      {"DrawingName", "Drawing name"},
      {" (mm)", " (mm)"},
      {"DrawingScale", "Drawing scale"},
      {"DrawingArea", "Drawing area"},
      {"Author", "Author"},
      {"Promoter", "Promoter"},
      {"Date", "Date"},
      {"Title", "Title"},
      {"Note", "Note"},
      {"Project", "Project"},
      {"LineTerm", "Line ends of new lines and links"},
      {"ImageFiles", "Pictures"},
      {"TermColor", "Colour of new line ends"},
      {"FillTermColor", "Fill of new link ends"},
      {"TermSize", "Size (mm)"},
      // layers and dimension styles
      {"Add", "Add"},
      {"Delete", "Delete"},
      {"ApplyLayer", "Apply to items"},
      {"BackImage", "Background image…"},
      {"BackMap", "Map background…"},
      {"PrintBack", "Print the background"},
      {"ExportBack", "Export the background"},
      {"Layer", "Layer"},
      {"Up", "Up"},
      {"Down", "Down"},
      {"DelLayer", "Delete the selected layer? Its items move to the default layer."},
      {"NewLayer", "Layer %1"},
      {"DimStyles", "Dimension styles"},
      {"ActiveDimStyle", "Active style"},
      {"AddDimStyle", "New dimension style"},
      {"DelStyle", "Delete the active dimension style? Its dimensions take the default style."},
      {"Sample", "Sample"},
      // map selection
      {"SelMap", "Map"},
      {"GepMap", "Get map"},
      {"Search", "Search"},
      {"MapProv", "Map provider"},
      {"ShowCenter", "Mark the centre"},
      {"AssignScale", "Give the drawing the map's scale"},
      {"SearchLoc", "Place to search"},
      {"LocService", "Search with"},
      {"Level", "Level"},
      {"MapBusy", "Getting the map…"},
      {"MapSearching", "Searching…"},
      {"MapReady", "The map is ready."},
      // print-time values
      {"AskValues", "Values for this print"},
      {"AskedValues", "Asked values"},
      {"AskPrompt", "Question"},
      {"AskKind", "Kind"},
      {"AskFormat", "Date format"},
      {"AskDefault", "Default"},
      {"AskListSource", "List from"},
      {"AskListValues", "List values (one per line)"},
      {"AskListFile", "List file"},
      {"CountersFile", "Counters file"},
      {"ContinueCounter", "Continue from the last print"},
      {"NextNumber", "Next number"},
      {"NewAsk", "Value"},
      // preview
      {"PreviewFirst", "First page (Home)"},
      {"PreviewPrior", "Previous page (Page Up)"},
      {"PreviewNext", "Next page (Page Down)"},
      {"PreviewLast", "Last page (End)"},
      {"PreviewClose", "Close"},
      {"PreviewCloseTip", "Close (Esc)"},
      {"PreviewFullPage", "Full page"},
      {"PreviewFullPageTip", "Show the whole page"},
      {"PreviewPageWidth", "Page width"},
      {"PreviewPageWidthTip", "Fit the page's width"},
      {"PreviewPrint", "Print…"},
      {"PreviewPrintTip", "Print (Ctrl+P)"},
      {"PreviewPrintFailed", "the print failed"},
      {"FilterPdfFiles", "PDF Files (*.pdf)"},
      {"FilterBmp", "BMP images (*.bmp)"},
      {"FilterGif", "GIF images (*.gif)"},
      {"FilterPng", "PNG images (*.png)"},
      {"FilterJpg", "JPG images (*.jpg)"},
      {"TitlePreview", "Print preview"},
      {"MapImageReady", "Map image ready: %1"},
      // studio
      {"AlignBottom", "Bottom"},
      {"AlignLeft", "Left"},
      {"AlignRight", "Right"},
      {"AlignTop", "Top"},
      {"AllCategories", "All categories"},
      {"AskPrinter", "Print the label sheet on:"},
      {"AskReplace", "%1 already exists. Replace it?"},
      {"AskSaveChanges", "Save the changes to \"%1\"?"},
      {"AskSaveLosing", "%1 items of this drawing could not be read and would be lost. Save without them?"},
      {"AskSymbolScale", "Scale of the selected symbols"},
      {"CodeBarcode", "&Barcode"},
      {"CodeDataMatrix", "&DataMatrix"},
      {"CodePDF417", "&PDF417"},
      {"CodePolyText", "P&oly text"},
      {"CodeQRCode", "&QR code"},
      {"ExportBadExt", "%1: unknown output format (use .pdf, .xps, .svg, .png, .jpg, .bmp or .gif)"},
      {"FilterDrawings", "Drawings (*.json *.eti);;All files (*)"},
      {"FilterExport", "PDF (*.pdf);;XPS (*.xps);;SVG drawing (*.svg);;PNG image (*.png);;JPEG image (*.jpg *.jpeg);;BMP image (*.bmp);;GIF image (*.gif)"},
      {"FilterImages", "Pictures (*.png *.jpg *.jpeg *.bmp *.gif);;PNG (*.png);;JPEG (*.jpg *.jpeg);;Bitmap (*.bmp);;GIF (*.gif)"},
      {"FilterImport", "Diagram and Gantt texts (*.mmd *.mermaid *.puml *.plantuml *.pu *.uml *.txt *.gantt);;All files (*)"},
      {"FilterLibraries", "Symbol libraries (*.lyp);;All files (*)"},
      {"FilterPdf", "PDF (*.pdf)"},
      {"FilterPictures", "Images (*.png *.jpg *.jpeg *.bmp *.gif *.webp);;All files (*)"},
      {"FlowData", "Data"},
      {"FlowDatabase", "Database"},
      {"FlowDecision", "Decision"},
      {"FlowDocument", "Document"},
      {"FlowEllipse", "Ellipse"},
      {"FlowEnd", "End"},
      {"FlowManualInput", "Manual input"},
      {"FlowManualOperation", "Manual operation"},
      {"FlowMultidocument", "Multidocument"},
      {"FlowPredefined", "Predefined"},
      {"FlowPreparation", "Preparation"},
      {"FlowProcess", "Process"},
      {"FlowShapes", "Flow shapes"},
      {"FlowStart", "Start"},
      {"FlowStep", "Step"},
      {"FlowTerminator", "Terminator"},
      {"HintCode", "Click where the code goes; it starts with a sample code to replace"},
      {"HintFlow", "Drag or click two corners of the box, then type its text"},
      {"HintFlowText", "Type the box's text: Enter starts a new line; Esc or a click outside ends"},
      {"HintImage", "Drag or click two corners of the picture"},
      {"HintLevel", "Drag or click two corners of the box round the gauge's disc"},
      {"HintLinkEnd", "Release on a connector of the second item (or click it); right click or Esc cancels"},
      {"HintLinkStart", "Press on a connector of the first item, release on a connector of the second (or click one, then the other)"},
      {"HintNutri", "Drag or click two corners of the Nutri-Score label"},
      {"HintPackage", "Drag or click two corners of the package drawing's frame"},
      {"HintRank", "Drag or click two corners of the rating's row"},
      {"HintRichText", "Drag or click two corners of the box, then type; select words and use the toolbar or Ctrl+B, Ctrl+I, Ctrl+U"},
      {"HintSymbol", "Click where the symbol goes; Esc ends"},
      {"HintTable", "Drag or click two corners of the table; its columns show one row per data record when printed"},
      {"Import", "Import"},
      {"ImportArrows", "Gantt &dependency arrows"},
      {"ImportAutomatic", "Automatic"},
      {"ImportButton", "&Import"},
      {"ImportItems", "%1 item(s) to draw"},
      {"ImportLanguage", "&Language:"},
      {"ImportLineMessage", "Line %1: %2: %3"},
      {"ImportMermaid", "Mermaid"},
      {"ImportMessage", "%1: %2"},
      {"ImportNothing", "Nothing to draw: the text gives no diagram (%1 error(s), %2 warning(s))"},
      {"ImportPlantUml", "PlantUML"},
      {"ImportProblems", "; %1 error(s), %2 warning(s)"},
      {"ImportTooLarge", "%1: larger than 64 MB; not a diagram text"},
      {"ImportUnreadable", "%1: cannot be read: %2"},
      {"MenuActualSize", "&Actual Size"},
      {"MenuAlign", "Ali&gn"},
      {"MenuAnimate", "&Animate"},
      {"MenuAnimatePath", "Animate &Along Path"},
      {"MenuChooseSymbol", "&Choose Symbol…"},
      {"MenuCode", "&Code"},
      {"MenuConnectors", "Show &Connectors"},
      {"MenuCopy", "&Copy"},
      {"MenuCut", "Cu&t"},
      {"MenuDelete", "&Delete"},
      {"MenuDiagram", "Dia&gram"},
      {"MenuDimStyles", "&Dimension Styles…"},
      {"MenuDocument", "&Document"},
      {"MenuDuplicate", "D&uplicate"},
      {"MenuEdit", "&Edit"},
      {"MenuExport", "&Export…"},
      {"MenuFile", "&File"},
      {"MenuFitAll", "&Fit All"},
      {"MenuFitHeight", "Fit &Height"},
      {"MenuFitWidth", "Fit &Width"},
      {"MenuFlowShape", "Flow &Box Shape"},
      {"MenuGrid", "&Grid"},
      {"MenuGridLines", "&Lines"},
      {"MenuGridNone", "&None"},
      {"MenuGridPoints", "&Points"},
      {"MenuImport", "&Import Diagram…"},
      {"MenuInsert", "&Insert"},
      {"MenuItemForm", "Table Columns / Text &Runs…"},
      {"MenuLanguage", "&Language"},
      {"MenuLayers", "&Layers…"},
      {"MenuLevel", "&Level Gauge"},
      {"MenuLink", "&Link"},
      {"MenuLinkEnd", "&End"},
      {"MenuLinkRoute", "&Routing"},
      {"MenuLinkStart", "&Start"},
      {"MenuMap", "&Map…"},
      {"MenuNew", "&New"},
      {"MenuNutri", "&Nutri-Score"},
      {"MenuOpen", "&Open…"},
      {"MenuOpenLibrary", "Open S&ymbol Library…"},
      {"MenuOrto", "&Orthogonal"},
      {"MenuPackage", "&Package"},
      {"MenuPageSetup", "&Page Setup…"},
      {"MenuPaste", "&Paste"},
      {"MenuPause", "P&ause"},
      {"MenuPicture", "P&icture…"},
      {"MenuPlaceSymbol", "&Place Symbol"},
      {"MenuPlay", "&Play"},
      {"MenuPreview", "Print Pre&view…"},
      {"MenuPrint", "&Print…"},
      {"MenuQuit", "&Quit"},
      {"MenuRank", "&Rank Rating"},
      {"MenuRecent", "Open &Recent"},
      {"MenuRedo", "&Redo"},
      {"MenuRichText", "Rich Te&xt"},
      {"MenuRotateLeft", "Rotate &Left"},
      {"MenuRotateRight", "Rotate &Right"},
      {"MenuRulers", "&Rulers"},
      {"MenuSave", "&Save"},
      {"MenuSaveAs", "Save &As…"},
      {"MenuScale", "&Scale…"},
      {"MenuSelectAll", "Select &All"},
      {"MenuSettings", "Editor &Settings…"},
      {"MenuSnap", "&Snap to Grid"},
      {"MenuStop", "&Stop"},
      {"MenuSymbols", "S&ymbols"},
      {"MenuTable", "&Table"},
      {"MenuUndo", "&Undo"},
      {"MenuView", "&View"},
      {"MenuZoomIn", "Zoom &In"},
      {"MenuZoomOut", "Zoom &Out"},
      {"OpenNotDrawing", "%1: not a drawing (open a .json or .eti file)"},
      {"PdfFile", "PDF file…"},
      {"Replace", "Replace"},
      {"RouteArc", "&Arc"},
      {"RouteCurve", "&Curve"},
      {"RouteDirect", "&Direct"},
      {"RouteLRTB", "&LRTB: across, then up or down"},
      {"RoutePolyLine", "&Polyline"},
      {"RouteRound", "&Round"},
      {"RouteStep", "&Step"},
      {"RouteTBLR", "&TBLR: up or down, then across"},
      {"RouteWordArc", "arc"},
      {"RouteWordCurve", "curve"},
      {"RouteWordDirect", "direct"},
      {"RouteWordLRTB", "LRTB"},
      {"RouteWordPolyLine", "polyline"},
      {"RouteWordRound", "round"},
      {"RouteWordStep", "step"},
      {"RouteWordTBLR", "TBLR"},
      {"SaveBadExt", "%1: save as .json or .eti"},
      {"SaveWithout", "Save without them"},
      {"SearchByName", "Search by name"},
      {"StAnimateSelect", "Select one symbol and the item it should follow"},
      {"StAnimating", "Animating; F6 pauses, Shift+F5 stops"},
      {"StDimStylesDrawing", "Dimension styles belong to technical drawings."},
      {"StExported", "Exported %1"},
      {"StFlowShape", "1 flow box now has the %1 shape"},
      {"StFlowsShape", "%1 flow boxes now have the %2 shape"},
      {"StImported", "Imported %1 item(s)"},
      {"StLibrarySymbols", "%1: %2 symbols"},
      {"StLinkEnd", "1 link now ends with %1"},
      {"StLinkRoute", "1 link now uses %1 routing"},
      {"StLinkStart", "1 link now starts with %1"},
      {"StLinksEnd", "%1 links now end with %2"},
      {"StLinksRoute", "%1 links now use %2 routing"},
      {"StLinksStart", "%1 links now start with %2"},
      {"StNoPageSetup", "An interactive drawing has no page set-up."},
      {"StNotPath", "The item cannot be used as an animation path. Supported shapes: line, arrow line, polyline, polygon, rectangle, circle, ellipse, arc, Bezier curve and link."},
      {"StPickSymbol", "Pick a symbol in the Symbol Library first"},
      {"StSaved", "Saved %1"},
      {"StSelectTable", "Select one table or one poly text of text runs."},
      {"StSent", "Sent to %1"},
      {"StSkippedItems", "%1 items this version cannot read were skipped; saving asks before leaving them out"},
      {"StepAlign", "Align"},
      {"StepChange", "Change"},
      {"StepCopy", "Copy"},
      {"StepCut", "Cut"},
      {"StepDelete", "Delete"},
      {"StepDuplicate", "Duplicate"},
      {"StepPaste", "Paste"},
      {"StepPlaceSymbol", "Place symbol"},
      {"StepRedo", "Redo"},
      {"StepRotateLeft", "Rotate left"},
      {"StepRotateRight", "Rotate right"},
      {"StepScale", "Scale"},
      {"StepUndo", "Undo"},
      {"SymbolLibrary", "Symbol Library"},
      {"SymbolNotIn", "The symbol is not in %1."},
      {"TermArrow", "&Arrow"},
      {"TermCircle", "&Circle"},
      {"TermCross", "Cross"},
      {"TermFillArrow", "Filled a&rrow"},
      {"TermFillCircle", "&Filled circle"},
      {"TermFillRhombus", "Filled rh&ombus"},
      {"TermFillSquare", "Filled s&quare"},
      {"TermNone", "&None"},
      {"TermRhombus", "R&hombus"},
      {"TermSquare", "&Square"},
      {"TermWordArrow", "an arrow"},
      {"TermWordCircle", "a circle"},
      {"TermWordCross", "a cross"},
      {"TermWordFillArrow", "a filled arrow"},
      {"TermWordFillCircle", "a filled circle"},
      {"TermWordFillRhombus", "a filled rhombus"},
      {"TermWordFillSquare", "a filled square"},
      {"TermWordNone", "no terminator"},
      {"TermWordRhombus", "a rhombus"},
      {"TermWordSquare", "a square"},
      {"TitleExport", "Export page"},
      {"TitleImport", "Import diagram or Gantt text"},
      {"TitleImportFile", "Import %1"},
      {"TitleLanguage", "Language"},
      {"TitleOpen", "Open drawing"},
      {"TitleOpenLibrary", "Open symbol library"},
      {"TitlePlacePicture", "Place picture"},
      {"TitlePrint", "Print"},
      {"TitlePrintPdf", "Print to PDF file"},
      {"TitleSave", "Save drawing"},
      {"TitleSaveAs", "Save drawing as"},
      {"TitleUnsaved", "Unsaved changes"},
      {"ToolArc", "Arc"},
      {"ToolArrowLine", "Arrow line"},
      {"ToolBezier", "Bezier"},
      {"ToolCircle", "Circle"},
      {"ToolCircle3P", "Circle by 3 points"},
      {"ToolCode", "Code"},
      {"ToolDim", "Dimension"},
      {"ToolDimAngle", "Angle dim."},
      {"ToolDimDiameter", "Diameter dim."},
      {"ToolDimRadial", "Radial dim."},
      {"ToolEllipse", "Ellipse"},
      {"ToolFlow", "Flow box"},
      {"ToolImage", "Picture"},
      {"ToolLevel", "Level gauge"},
      {"ToolLine", "Line"},
      {"ToolLink", "Link"},
      {"ToolNutri", "Nutri-Score"},
      {"ToolPackage", "Package"},
      {"ToolParagraph", "Paragraph"},
      {"ToolPoint", "Point"},
      {"ToolPolyLine", "Polyline"},
      {"ToolPolygon", "Polygon"},
      {"ToolRank", "Rank rating"},
      {"ToolRectangle", "Rectangle"},
      {"ToolRichText", "Rich text"},
      {"ToolSector", "Sector"},
      {"ToolSelect", "Select"},
      {"ToolTable", "Table"},
      {"ToolText", "Text"},
      {"Tools", "Tools"},
      {"Untitled", "Untitled"},
  };
  return t;
}

const Table& Editor() {
  static const Table t{
      {"Zoom", "Zoom"},
      {"Units", "Units"},
      // editor strip
      {"ZoomTip", "Zoom: a fixed step, or fit the page's width, height or all of it"},
      {"UnitsTip", "Unit of the rulers, the grid and typed coordinates: click for the next one"},
      {"SettingsTip", "Editor settings"},
      {"RotateTip", "Turn the label a quarter turn: left button to the left, right button to the right"},
      {"OrtoOn", "Orthogonal lines: on (F8 switches)"},
      {"OrtoOff", "Orthogonal lines: off (F8 switches)"},
      {"SnapOn", "Snap to grid: on (F9 switches)"},
      {"SnapOff", "Snap to grid: off (F9 switches)"},
      {"RichTextColour", "Text Colour"},
      {"RichTextEdit", "Edit Rich Text"},
      {"RichTextTags", "Tags: <B> <I> <U> <S> <FN:name> <FS:size> <FC:RRGGBB> <BC:RRGGBB> <L> <C> <R> <BR>"},
  };
  return t;
}

const Table& Errors() {
  static const Table t{
      // small dialogs and editor settings
      {"ValueRange", "%1 must lie between %2 and %3."},
      {"MarginsTooLarge", "The margins leave no room for the image: together they must be smaller than the label."},
      {"NoLayer", "There is no such layer."},
      {"EventNumber", "The number of coordinates must be even."},
      {"Polygon", "A polygon needs at least three points."},
      {"FileRead", "Cannot read the file"},
      {"FileWrite", "Cannot write the file"},
      {"NotDrawing", "The file is not a Planora drawing."},
      {"Version", "The file was written by a newer version of Planora."},
      {"UnknownKind", "Unknown item kind"},
      {"BadJson", "The file is not valid JSON"},
      {"Font", "Could not load the specified font"},
      // page set-up
      {"LimitCounters", "A drawing has at most five counters."},
      {"RepeatName", "Another counter already has this name."},
      {"GridTooWide", "The labels do not fit the paper: they reach %1 past its right edge."},
      {"GridTooTall", "The labels do not fit the paper: they reach %1 past its bottom edge."},
      {"FirstOutside", "The first label to print lies outside the sheet of %1 columns and %2 rows."},
      {"NoRepeatField", "The data has no field \"%1\" to take the number of labels from."},
      // layers and dimension styles
      {"DelDefLayer", "The default layer cannot be deleted."},
      {"DelDefStyle", "The default dimension style cannot be deleted."},
      {"LayerName", "Another layer already has this name."},
      {"EmptyName", "The name must not be empty."},
      {"DimStyleName", "Another dimension style already has this name."},
      {"BadValue", "The value is out of range"},
      // map selection
      {"LocNotFound", "No place with that name was found."},
      {"MapNotNumber", "%1 must be a number of degrees, such as 41,3851 or -2.1734."},
      {"MapKeyNeeded", "%1 needs an API key, which is not set. Choose another provider."},
      {"MapFailed", "The map could not be made: %1"},
      // print-time values
      {"AskMissing", "No value is given for %1."},
      {"AskBadDate", "%1: %2 is not a date in the form %3."},
      {"AskBadNumber", "%1: %2 is not a number."},
      {"AskBadCopies", "%1: the number of copies must be a whole number from 1 to %2, not %3."},
      {"AskEmptyList", "%1: the list of values is empty."},
      {"AskNotInList", "%1: %2 is not one of the values of its list."},
      {"AskListFile", "%1: the list file %2 cannot be read."},
      {"AskCancelled", "The print was cancelled."},
      {"AskName", "Every asked value needs a name of its own."},
      {"CountersFileRead", "The counters file %1 cannot be read: %2"},
      {"CountersFileWrite", "The counters file %1 cannot be written: %2"},
      // language files
      {"TextNotFound", "No text is known for \"%1\"; the key is shown instead."},
      {"LangFileRead", "Cannot read the language file %1: %2"},
      {"LangNotJson", "The language file %1 is not valid JSON: %2"},
      {"LangBadValue", "The language file %1 has a wrong value at \"%2\": a name or text must be a string, a table an object."},
      {"LangMissingKeys", "The language file %1 lacks %2 texts, which stay in English: %3"},
      {"LangMoreKeys", " and %1 more"},
      // symbol library view
      {"NoSymbolDrawing", "There is no drawing to take symbols from."},
      // reading and saving drawings
      {"ReadLibSymbol", "library symbol %1 of %2: %3"},
      {"ReadItem", "item %1 of %2: %3"},
      {"ReadKindTooNew", "item %1 of %2 is a %3 (kind %4), which this version cannot read"},
      {"ReadKindUnknown", "item %1 of %2 has the unknown kind code %3"},
      {"ReadTrailingBytes", "%1 unexpected bytes after the last item"},
      {"ReadNoMemory", "not enough memory to read the drawing"},
      {"SaveWouldLose", "not saved: %1 items of the drawing could not be read and would be lost"},
      {"SaveWouldLoseOne", "not saved: 1 item of the drawing could not be read and would be lost"},
      {"ClipboardKind", "the clipboard holds an item this version cannot read"},
      // inspector
      {"InsNoWidth", "The item has no width to scale"},
      {"InsNoHeight", "The item has no height to scale"},
      {"InsPictureUnreadable", "Picture \"%1\" cannot be read"},
      {"InsNoColour", "\"%1\" is no colour: write #RRGGBB, #AARRGGBB or a colour name"},
      {"InsChooseEntry", "Choose one of the %1 entries of the list"},
      {"InsFontName", "A font needs a name"},
      {"InsReadOnly", "%1 cannot be changed"},
      {"InsNoLength", "\"%1\" is no length: write a number, optionally with mm, cm, in, pt, m or ft"},
      {"InsNoNumber", "\"%1\" is no number"},
      {"InsRange", "%1 must lie between %2 and %3%4"},
      {"InsNoSelection", "Nothing is selected"},
      {"InsNotEditable", "The drawing cannot be edited"},
      {"InsFixedProperty", "This property cannot be changed"},
      {"InsNotShared", "%1 is not a property of every selected item"},
      {"InsCannotEncode", "\"%1\" cannot be encoded in this symbology"},
  };
  return t;
}

const Table& Lists() {
  static const Table t{
      // table and poly text editors
      {"None", "None"},
      {"mm", "Millimetres"}, {"in", "Inches"}, {"cm", "Centimetres"}, {"dm", "Decimetres"},
      {"m", "Metres"},       {"ft", "Feet"},   {"yd", "Yards"},
      // page set-up
      {"String", "Text"}, {"Boolean", "Yes/no"}, {"Integer", "Whole number"}, {"Int64", "Whole number"},
      {"Float", "Number"}, {"Img64", "Image (Base64)"}, {"ImgBlob", "Image"},
      // layers and dimension styles
      {"LineType0", "Solid"}, {"LineType1", "Dots 0.5 mm"}, {"LineType2", "Dashes 1 mm"},
      {"LineType3", "Dashes 2/1 mm"}, {"LineType4", "Dashes 1/2 mm"}, {"LineType5", "Dashes 2 mm"},
      {"LineType6", "Dashes 3/1 mm"}, {"LineType7", "Dashes 3 mm"}, {"LineType8", "Dashes 4/1 mm"},
      {"LineType9", "Dashes 4/2 mm"}, {"LineType10", "Dashes 4 mm"}, {"LineType11", "Dash dot"},
      {"TextPos0", "Above the line"}, {"TextPos1", "Below the line"}, {"TextPos2", "On the line"},
      {"TextPos3", "In the line"}, {"TextPos4", "In the line, upright"}, {"TextPos5", "In the line, upwards"},
      // print-time values
      {"AskKind0", "Text"}, {"AskKind1", "Date"}, {"AskKind2", "Number"}, {"AskKind3", "Copies"},
      {"AskKind4", "List"},
      {"ListSource0", "The design"}, {"ListSource1", "A text file"}, {"ListSource2", "The application"},
      // inspector
      {"InsSolid", "Solid"},
      {"InsDashed", "Dashed"},
      {"InsDotted", "Dotted"},
      {"InsDashDot", "Dash dot"},
      {"InsDashDotDot", "Dash dot dot"},
      {"InsNone", "None"},
      {"InsCircle", "Circle"},
      {"InsFilledCircle", "Filled circle"},
      {"InsArrow", "Arrow"},
      {"InsFilledArrow", "Filled arrow"},
      {"InsSquare", "Square"},
      {"InsFilledSquare", "Filled square"},
      {"InsRhombus", "Rhombus"},
      {"InsFilledRhombus", "Filled rhombus"},
      {"InsCross", "Cross"},
      {"InsLeft", "Left"},
      {"InsCentre", "Centre"},
      {"InsRight", "Right"},
      {"InsJustify", "Justify"},
      {"InsTop", "Top"},
      {"InsMiddle", "Middle"},
      {"InsBottom", "Bottom"},
      {"InsGrey", "Grey"},
      {"InsBlackAndWhite", "Black and white"},
      {"InsTerminator", "Terminator"},
      {"InsProcess", "Process"},
      {"InsDocument", "Document"},
      {"InsDocuments", "Documents"},
      {"InsDecision", "Decision"},
      {"InsData", "Data"},
      {"InsDatabase", "Database"},
      {"InsPredefinedProcess", "Predefined process"},
      {"InsManualInput", "Manual input"},
      {"InsManualOperation", "Manual operation"},
      {"InsPreparation", "Preparation"},
      {"InsEllipse", "Ellipse"},
      {"InsStart", "Start"},
      {"InsStep", "Step"},
      {"InsEnd", "End"},
      {"InsDirect", "Direct"},
      {"InsHorizontalFirst", "Horizontal first"},
      {"InsVerticalFirst", "Vertical first"},
      {"InsSteps", "Steps"},
      {"InsArc", "Arc"},
      {"InsCurve", "Curve"},
      {"InsPolyline", "Polyline"},
      {"InsRounded", "Rounded"},
      {"InsFluidAcross", "Fluid, across"},
      {"InsFluidUpwards", "Fluid, upwards"},
      {"InsRingAcross", "Ring, across"},
      {"InsRingUpwards", "Ring, upwards"},
      {"InsSquares", "Squares"},
      {"InsCircles", "Circles"},
      {"InsStars", "Stars"},
      {"InsRhombi", "Rhombi"},
      {"InsA", "A"},
      {"InsB", "B"},
      {"InsC", "C"},
      {"InsD", "D"},
      {"InsE", "E"},
      {"InsTitleAbove", "Title above"},
      {"InsTitleBeside", "Title beside"},
      {"InsWireframe", "Wireframe"},
      {"InsWireframeWithSizes", "Wireframe with sizes"},
      {"InsSolidWithSizes", "Solid with sizes"},
      {"InsPartWithDrills", "Part with drills"},
      {"InsPartWithDrillsAndSizes", "Part with drills and sizes"},
      {"InsColumns", "Columns"},
      {"InsRows", "Rows"},
      {"InsBoth", "Both"},
      {"InsEAN13", "EAN-13"},
      {"InsEAN8", "EAN-8"},
      {"InsUPCA", "UPC-A"},
      {"InsCode39", "Code 39"},
      {"InsCode93", "Code 93"},
      {"InsCodabar", "Codabar"},
      {"InsCode128", "Code 128"},
      {"InsCode128A", "Code 128 A"},
      {"InsCode128B", "Code 128 B"},
      {"InsCode128C", "Code 128 C"},
      {"InsITF", "ITF"},
      {"InsMSI", "MSI"},
      {"InsPOSTNET", "POSTNET"},
      {"Yes", "Yes"},
      {"No", "No"},
      {"NoField", "(none)"},
      // item kinds
      {"KindArc", "Arc"},
      {"KindArrowLine", "Arrow line"},
      {"KindBarcode", "Barcode"},
      {"KindBezier", "Bezier curve"},
      {"KindCircle", "Circle"},
      {"KindDataMatrix", "DataMatrix"},
      {"KindDim", "Dimension"},
      {"KindEllipse", "Ellipse"},
      {"KindFlow", "Flow box"},
      {"KindImage", "Picture"},
      {"KindLevel", "Level gauge"},
      {"KindLine", "Line"},
      {"KindLink", "Link"},
      {"KindNutriScore", "Nutri-Score"},
      {"KindPDF417", "PDF417"},
      {"KindPackage", "Package"},
      {"KindParagraph", "Paragraph"},
      {"KindPoint", "Point"},
      {"KindPolyLine", "Polyline"},
      {"KindPolyText", "Poly text"},
      {"KindPolygon", "Polygon"},
      {"KindQRCode", "QR code"},
      {"KindRank", "Rank rating"},
      {"KindRectangle", "Rectangle"},
      {"KindRichText", "Rich text"},
      {"KindSector", "Sector"},
      {"KindSymbol", "Symbol"},
      {"KindTable", "Table"},
      {"KindText", "Text"},
  };
  return t;
}

const Table& Props() {
  static const Table t{
      // table and poly text editors
      {"Table", "Table"}, {"PolyText", "Poly text"}, {"Fixed", "Fixed text"}, {"Fill", "Fill"},
      {"Width", "Width"}, {"Height", "Height"}, {"Field", "Field"}, {"Iterline", "Line spacing"},
      {"WrapText", "Wrap text"}, {"Visible", "Visible"}, {"Title", "Title"}, {"Text", "Text"},
      {"AddParen", "In parentheses"}, {"IA", "IA string"},
      {"Color", "Colour"},
      {"PenWidth", "Pen width"},
      {"BackColor", "Fill colour"},
      {"Filled", "Filled"},
      {"LineType", "Line style"},
      // layers and dimension styles
      {"ZOrderLayer", "Items drawn in layer order"},
      {"FontColor", "Font colour"},
      {"FontName", "Font"},
      {"FontHeight", "Font height (mm)"},
      {"Active", "Active"},
      {"View", "Visible"},
      {"Print", "Print"},
      {"Select", "Selectable"},
      {"Name", "Name"},
      {"Format", "Number format"},
      {"Prefix", "Prefix"},
      {"Suffix", "Suffix"},
      {"HeadSize", "Head size (mm)"},
      {"HeadType", "Head"},
      {"HeadColor", "Head colour"},
      {"ExtColor", "Extension line colour"},
      {"DimColor", "Dimension line colour"},
      {"ExtSize", "Extension overshoot (mm)"},
      {"ExtGap", "Extension gap (mm)"},
      {"ArrowOpen", "Arrow opening"},
      {"DimBreak", "Text gap (mm)"},
      {"TextPos", "Text position"},
      {"DimPenWidth", "Dimension pen width (µm)"},
      {"ExtPenWidth", "Extension pen width (µm)"},
      {"Bold", "Bold"},
      {"Italic", "Italic"},
      {"Underline", "Underline"},
      // map selection
      {"Latitude", "Latitude"},
      {"Longitude", "Longitude"},
      // inspector
      {"InsID", "ID"},
      {"InsKind", "Kind"},
      {"InsName", "Name"},
      {"InsX", "X"},
      {"InsY", "Y"},
      {"InsWidth", "Width"},
      {"InsHeight", "Height"},
      {"InsColour", "Colour"},
      {"InsPenWidth", "Pen width"},
      {"InsLineStyle", "Line style"},
      {"InsFilled", "Filled"},
      {"InsFillColour", "Fill colour"},
      {"InsFillOnScreen", "Fill on screen"},
      {"InsLayer", "Layer"},
      {"InsEnd", "End"},
      {"InsStart", "Start"},
      {"InsEndSize", "End size"},
      {"InsStartSize", "Start size"},
      {"InsTurn", "Turn"},
      {"InsVisible", "Visible"},
      {"InsPrintable", "Printable"},
      {"InsSelectable", "Selectable"},
      {"InsExported", "Exported"},
      {"InsDataField", "Data field"},
      {"InsFormat", "Format"},
      {"InsCornerRadius", "Corner radius"},
      {"InsPaddingY", "Padding Y"},
      {"InsPaddingX", "Padding X"},
      {"InsFont", "Font"},
      {"InsSize", "Size"},
      {"InsTextColour", "Text colour"},
      {"InsBold", "Bold"},
      {"InsItalic", "Italic"},
      {"InsUnderline", "Underline"},
      {"InsHorizontal", "Horizontal"},
      {"InsVertical", "Vertical"},
      {"InsText", "Text"},
      {"InsWidthScale", "Width scale"},
      {"InsSymbology", "Symbology"},
      {"InsCode", "Code"},
      {"InsCheckDigit", "Check digit"},
      {"InsHumanReadableLine", "Human-readable line"},
      {"InsModuleWidth", "Module width"},
      {"InsBarHeight", "Bar height"},
      {"InsFile", "File"},
      {"InsKeepProportions", "Keep proportions"},
      {"InsFrame", "Frame"},
      {"InsFilter", "Filter"},
      {"InsShowMeasure", "Show measure"},
      {"InsStyle", "Style"},
      {"InsShape", "Shape"},
      {"InsRouting", "Routing"},
      {"InsSweepDeg", "Sweep (°)"},
      {"InsStartDeg", "Start (°)"},
      {"InsValue", "Value"},
      {"InsMaximum", "Maximum"},
      {"InsValueColour", "Value colour"},
      {"InsRating", "Rating"},
      {"InsMarks", "Marks"},
      {"InsMarksShape", "Marks shape"},
      {"InsShowEmptyMarks", "Show empty marks"},
      {"InsGrade", "Grade"},
      {"InsLayout", "Layout"},
      {"InsTitle", "Title"},
      {"InsBlackAndWhite", "Black and white"},
      {"InsA", "A"},
      {"InsB", "B"},
      {"InsC", "C"},
      {"InsD", "D"},
      {"InsE", "E"},
      {"InsBoxWidth", "Box width"},
      {"InsBoxLength", "Box length"},
      {"InsBoxHeight", "Box height"},
      {"InsDrawing", "Drawing"},
      {"InsBoxColour", "Box colour"},
      {"InsGrid", "Grid"},
      {"InsGridColour", "Grid colour"},
      {"InsGridWidth", "Grid width"},
      {"InsFitRowsToTheBox", "Fit rows to the box"},
      {"InsColumns", "Columns"},
      {"InsRuns", "Runs"},
      {"InsRichText", "Rich text"},
      {"InsScale", "Scale"},
      {"InsAngleDeg", "Angle (°)"},
      {"InsItem", "Item"},
      {"InsPosition", "Position"},
      {"InsPen", "Pen"},
      {"InsLine", "Line"},
      {"InsFill", "Fill"},
      {"InsPoints", "Points"},
      {"InsLineEnds", "Line ends"},
      {"InsOptions", "Options"},
      {"InsData", "Data"},
      {"InsCorners", "Corners"},
      {"InsPadding", "Padding"},
      {"InsAlignment", "Alignment"},
      {"InsBarcode", "Barcode"},
      {"InsModules", "Modules"},
      {"InsPicture", "Picture"},
      {"InsDimension", "Dimension"},
      {"InsDimensionStyle", "Dimension style"},
      {"InsFlowBox", "Flow box"},
      {"InsLink", "Link"},
      {"InsAngles", "Angles"},
      {"InsLevel", "Level"},
      {"InsRank", "Rank"},
      {"InsGradeColours", "Grade colours"},
      {"InsNutriScore", "Nutri-Score"},
      {"InsPackage", "Package"},
      {"InsTable", "Table"},
      {"InsPolyText", "Poly text"},
      {"InsSymbol", "Symbol"},
      {"InsOneColumn", "1 column"},
      {"InsColumnCount", "%1 columns"},
      {"InsOneRun", "1 run"},
      {"InsRunCount", "%1 runs"},
      {"InsPointRow", "Point %1"},
  };
  return t;
}

const Table& English(TORVMsgTable t) {
  switch (t) {
    case TORVMsgTable::Dialogs: return Dialogs();
    case TORVMsgTable::Editor: return Editor();
    case TORVMsgTable::Errors: return Errors();
    case TORVMsgTable::Lists: return Lists();
    case TORVMsgTable::Props: break;
  }
  return Props();
}

constexpr TORVMsgTable kTables[] = {TORVMsgTable::Dialogs, TORVMsgTable::Editor, TORVMsgTable::Errors,
                                    TORVMsgTable::Lists, TORVMsgTable::Props};

// A loaded language never changes: a switch replaces the whole object, so a lookup on another
// thread keeps reading the one it took.
struct TLanguage {
  QString Name;
  QString FileName;
  Table Tables[std::size(kTables)];  // only keys English also has
};

std::mutex gLanguageMutex;
std::shared_ptr<const TLanguage> gLanguage;  // null: English

std::shared_ptr<const TLanguage> CurrentLanguage() {
  std::lock_guard lock(gLanguageMutex);
  return gLanguage;
}

thread_local int tEnglishErrors = 0;

std::mutex gReportMutex;
TPLNMsg::TNotFoundHandler gNotFound;
QSet<QString> gReported;

void ReportNotFound(const QString& key) {
  TPLNMsg::TNotFoundHandler handler;
  {
    std::lock_guard lock(gReportMutex);
    if (!gNotFound || gReported.contains(key)) return;
    gReported.insert(key);
    handler = gNotFound;
  }
  // Outside the lock: the handler may look texts up itself.
  handler(key, TPLNMsg::GetErrorValue(QStringLiteral("TextNotFound")).arg(key));
}

// An unknown key shows as itself so a missing entry is visible, never an empty text.
QString Lookup(TORVMsgTable t, const QString& key) {
  const Table& english = English(t);
  const auto it = english.constFind(key);
  if (it == english.cend()) {
    ReportNotFound(key);
    return key;
  }
  if (t == TORVMsgTable::Errors && tEnglishErrors > 0) return *it;
  if (const auto language = CurrentLanguage()) {
    const Table& local = language->Tables[static_cast<int>(t)];
    const auto found = local.constFind(key);
    if (found != local.cend()) return *found;
  }
  return *it;
}

QString Err(const char* key) { return TPLNMsg::GetErrorValue(QString::fromLatin1(key)); }

// "a, b, c and 4 more"
QString FewKeys(const QStringList& keys) {
  constexpr int kShown = 5;
  QString text = keys.mid(0, kShown).join(QStringLiteral(", "));
  if (keys.size() > kShown) text += Err("LangMoreKeys").arg(keys.size() - kShown);
  return text;
}

}  // namespace

QString TPLNMsg::GetDialogsValue(const QString& key) { return Lookup(TORVMsgTable::Dialogs, key); }
QString TPLNMsg::GetEditorValue(const QString& key) { return Lookup(TORVMsgTable::Editor, key); }
QString TPLNMsg::GetErrorValue(const QString& key) { return Lookup(TORVMsgTable::Errors, key); }
QString TPLNMsg::GetListValue(const QString& key) { return Lookup(TORVMsgTable::Lists, key); }
QString TPLNMsg::GetPropValue(const QString& key) { return Lookup(TORVMsgTable::Props, key); }
QString TPLNMsg::GetValue(TORVMsgTable table, const QString& key) { return Lookup(table, key); }
QString TPLNMsg::GetEnglishValue(TORVMsgTable table, const QString& key) { return English(table).value(key, key); }

QString TPLNMsg::TableName(TORVMsgTable table) {
  switch (table) {
    case TORVMsgTable::Dialogs: return QStringLiteral("Dialogs");
    case TORVMsgTable::Editor: return QStringLiteral("Editor");
    case TORVMsgTable::Errors: return QStringLiteral("Errors");
    case TORVMsgTable::Lists: return QStringLiteral("Lists");
    case TORVMsgTable::Props: break;
  }
  return QStringLiteral("Props");
}

QStringList TPLNMsg::GetKeys(TORVMsgTable table) {
  QStringList keys = English(table).keys();
  keys.sort();
  return keys;
}

bool TPLNMsg::LoadLanguageFile(const QString& fileName, QString& message) {
  message.clear();
  const QString shown = QDir::toNativeSeparators(fileName);
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly)) {
    message = Err("LangFileRead").arg(shown, f.errorString());
    return false;
  }
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) {
    message = Err("LangNotJson").arg(shown, error.error != QJsonParseError::NoError ? error.errorString()
                                                                                    : QStringLiteral("not an object"));
    return false;
  }
  const QJsonObject root = doc.object();
  const QJsonValue name = root.value(QStringLiteral("Language"));
  if (!name.isString() || name.toString().trimmed().isEmpty()) {
    message = Err("LangBadValue").arg(shown, QStringLiteral("Language"));
    return false;
  }
  auto language = std::make_shared<TLanguage>();
  language->Name = name.toString().trimmed();
  language->FileName = fileName;
  QStringList missing;
  for (TORVMsgTable t : kTables) {
    const QString tableName = TableName(t);
    const QJsonValue value = root.value(tableName);
    if (!value.isUndefined() && !value.isObject()) {
      message = Err("LangBadValue").arg(shown, tableName);
      return false;
    }
    const QJsonObject texts = value.toObject();
    Table& local = language->Tables[static_cast<int>(t)];
    for (auto it = texts.begin(); it != texts.end(); ++it) {
      if (!it.value().isString()) {
        message = Err("LangBadValue").arg(shown, tableName + QLatin1Char('/') + it.key());
        return false;
      }
      if (English(t).contains(it.key())) local.insert(it.key(), it.value().toString());
    }
    for (const QString& key : GetKeys(t))
      if (!local.contains(key)) missing << tableName + QLatin1Char('/') + key;
  }
  {
    std::lock_guard lock(gLanguageMutex);
    gLanguage = std::move(language);
  }
  if (!missing.isEmpty()) message = Err("LangMissingKeys").arg(shown).arg(missing.size()).arg(FewKeys(missing));
  return true;
}

void TPLNMsg::SetEnglish() {
  std::lock_guard lock(gLanguageMutex);
  gLanguage.reset();
}

QString TPLNMsg::GetLanguageName() {
  const auto language = CurrentLanguage();
  return language ? language->Name : QStringLiteral("English");
}

QString TPLNMsg::GetLanguageFileName() {
  const auto language = CurrentLanguage();
  return language ? language->FileName : QString();
}

void TPLNMsg::SetNotFoundHandler(TNotFoundHandler handler) {
  std::lock_guard lock(gReportMutex);
  gNotFound = std::move(handler);
}

void TPLNMsg::ResetNotFoundReports() {
  std::lock_guard lock(gReportMutex);
  gReported.clear();
}

TPLNMsg::TEnglishErrors::TEnglishErrors() { ++tEnglishErrors; }
TPLNMsg::TEnglishErrors::~TEnglishErrors() { --tEnglishErrors; }

}  // namespace Orv
