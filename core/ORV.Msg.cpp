#include "ORV.Msg.h"

#include <QHash>

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
  };
  return t;
}

const Table& Editor() {
  static const Table t{
      {"Zoom", "Zoom"},
      {"Units", "Units"},
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
  };
  return t;
}

// An unknown key shows as itself so a missing entry is visible, never an empty text.
QString Lookup(const Table& t, const QString& key) { return t.value(key, key); }

}  // namespace

QString TPLNMsg::GetDialogsValue(const QString& key) { return Lookup(Dialogs(), key); }
QString TPLNMsg::GetEditorValue(const QString& key) { return Lookup(Editor(), key); }
QString TPLNMsg::GetErrorValue(const QString& key) { return Lookup(Errors(), key); }
QString TPLNMsg::GetListValue(const QString& key) { return Lookup(Lists(), key); }
QString TPLNMsg::GetPropValue(const QString& key) { return Lookup(Props(), key); }

}  // namespace Orv
