// The tools that set up and inspect the drawing, its items and its layers.
#include "ORV.MCP.FMX.Tools.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <cmath>
#include <memory>

#include "ORV.Dim.h"
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.Modify.h"
#include "ORV.Utils.h"

namespace Orv::Mcp {

namespace {

TPLNMCPServer* gServer = nullptr;

// Layers beyond this many make a file the reader refuses.
constexpr int kMaxLayers = 10000;

const QStringList kUnitNames{"mm", "inch", "cm", "dm", "m", "ft", "yd"};
const QStringList kModeNames{"labelling", "flowchart", "drawing", "interactive"};
const QStringList kProviders{"openstreetmap", "cartodb", "cartodark", "cartoVoyager", "esri",
                             "opentopo", "sigpac", "ignbase", "ignpnoa", "googleroad",
                             "googlesatellite", "googleterrain", "googlehybrid", "heremaps"};

double MM(std::int64_t base) { return base / 1000.0; }
std::int64_t FromMM(double mm) { return Utils::RoundHalfAway(mm * 1000.0); }

// A standard paper by its name ("A4", "letter"), portrait, in millimetres.
bool StandardPaper(const QString& name, QSizeF* mm, QString* canonical) {
  const QString n = name.trimmed();
  for (int i = 0; i < QPageSize::LastPageSize; ++i) {
    const auto id = static_cast<QPageSize::PageSizeId>(i);
    if (id == QPageSize::Custom) continue;
    if (n.compare(QPageSize::key(id), Qt::CaseInsensitive) == 0 || n.compare(QPageSize::name(id), Qt::CaseInsensitive) == 0) {
      *mm = QPageSize::size(id, QPageSize::Millimeter);
      *canonical = QPageSize::key(id);
      return true;
    }
  }
  return false;
}

// The standard name of a paper of this size either way round, or "Custom".
QString PaperNameOf(double wMM, double hMM) {
  const QSizeF portrait(std::min(wMM, hMM), std::max(wMM, hMM));
  const QPageSize::PageSizeId id = QPageSize::id(portrait, QPageSize::Millimeter, QPageSize::FuzzyMatch);
  return id == QPageSize::Custom ? QStringLiteral("Custom") : QPageSize::key(id);
}

// Layer fields are plain values: the views hear of them once the call has set them all.
class TLayerChange {
 public:
  explicit TLayerChange(TPLNBaseLabel* doc) : fDoc(doc) {}
  ~TLayerChange() {
    fDoc->SetModified(true);
    fDoc->NotifyChange(TORChange::Layers);
  }
  TLayerChange(const TLayerChange&) = delete;
  TLayerChange& operator=(const TLayerChange&) = delete;

 private:
  TPLNBaseLabel* fDoc;
};

const char* kLookupError = "Item not found. Provide index (0-based) or id parameter.";

// A linear barcode says its symbology.
void AddBarcodeType(QJsonObject& o, const TPLNBaseItem* it) {
  if (const auto* bar = dynamic_cast<const Barcode::TPLNBaseBarcode*>(it))
    o.insert(QStringLiteral("barcode_type"), BarTypeText(static_cast<int>(bar->GetBarType())));
}

QJsonObject ItemSummary(const TPLNBaseLabel* doc, int i) {
  const TPLNBaseItem* it = doc->GetItem(i);
  QJsonObject o{{QStringLiteral("index"), i - 1},
                {QStringLiteral("id"), QString::number(it->GetID())},
                {QStringLiteral("type"), KindText(it)},
                {QStringLiteral("color"), ColorText(it->GetColor())}};
  AddBarcodeType(o, it);
  if (it->GetLayer()) o.insert(QStringLiteral("layer"), it->GetLayer()->Name);
  return o;
}

// ---------------------------------------------------------------- tools

QJsonObject BeginUpdate(TPLNBaseLabel* doc, const TArgs&) {
  doc->BeginUpdate(true);
  return TextResult(QStringLiteral("BeginUpdate called - batch mode active"));
}

QJsonObject EndUpdate(TPLNBaseLabel* doc, const TArgs&) {
  doc->EndUpdate();
  return TextResult(QStringLiteral("EndUpdate called - %1 items in drawing").arg(doc->GetItemsCount()));
}

QJsonObject GetDrawingInfo(TPLNBaseLabel* doc, const TArgs&) {
  const TPLNMeasure& m = doc->Measure();
  const bool scaled = doc->GetEditorMode() == 2 || doc->GetEditorMode() == 3;
  // The paper says its unit in its keys; the label, its margins and gaps are in the drawing's
  // unit, like every size an agent gives the other tools.
  const auto inUnits = [&](int slot) { return Utils::GetValue(m.Sizes[slot], doc->GetUnits()); };
  const QJsonObject paper{
      {QStringLiteral("paper_name"), m.LabelName},
      {QStringLiteral("paper_width_mm"), MM(m.Sizes[TPLNMeasure::PaperWidth])},
      {QStringLiteral("paper_height_mm"), MM(m.Sizes[TPLNMeasure::PaperHeight])},
      {QStringLiteral("label_width"), inUnits(TPLNMeasure::LabelWidth)},
      {QStringLiteral("label_height"), inUnits(TPLNMeasure::LabelHeight)},
      {QStringLiteral("margin_left"), inUnits(TPLNMeasure::LeftMargin)},
      {QStringLiteral("margin_top"), inUnits(TPLNMeasure::TopMargin)},
      {QStringLiteral("rows"), m.Rows},
      {QStringLiteral("columns"), m.Columns},
      {QStringLiteral("gap_rows"), inUnits(TPLNMeasure::VertGap)},
      {QStringLiteral("gap_columns"), inUnits(TPLNMeasure::HorzGap)}};
  const QJsonObject info{{QStringLiteral("units"), UnitsText(doc->GetUnits())},
                         {QStringLiteral("editor_mode"), EditorModeText(doc->GetEditorMode())},
                         {QStringLiteral("items_count"), doc->GetItemsCount()},
                         {QStringLiteral("layers_count"), doc->GetLayersCount()},
                         {QStringLiteral("selection_count"), doc->GetSelectionCount()},
                         {QStringLiteral("paper"), paper},
                         {QStringLiteral("draw_scale"), scaled ? static_cast<double>(m.DrawScale) : 1.0}};
  return DataResult(info, info);
}

QJsonObject ListItems(TPLNBaseLabel* doc, const TArgs&) {
  QJsonArray items;
  for (int i = 1; i <= doc->GetItemsCount(); ++i) items.append(ItemSummary(doc, i));
  return DataResult(items, QJsonObject{{QStringLiteral("items"), items}});
}

QJsonObject GetItem(TPLNBaseLabel* doc, const TArgs& a) {
  const TPLNBaseItem* it = FindItem(doc, a.Int("index", -1), a.Str("id"));
  if (!it) throw EToolError(QLatin1String(kLookupError));
  QJsonObject o = it->ToJson();
  o.insert(QStringLiteral("type"), KindText(it));
  AddBarcodeType(o, it);
  if (it->GetLayer()) o.insert(QStringLiteral("layer"), it->GetLayer()->Name);
  return DataResult(o, o);
}

QJsonObject SetupDrawing(TPLNBaseLabel* doc, const TArgs& a) {
  // Everything is worked out and checked before the document changes.
  const TORVUnits units = a.Has("units") ? UnitsOf(a.Str("units")) : doc->GetUnits();
  const std::uint8_t mode = a.Has("mode") ? EditorModeOf(a.Str("mode")) : doc->GetEditorMode();
  const bool scaled = mode == 2 || mode == 3;
  TPLNMeasure m = doc->Measure();
  const double pw = a.Num("paper_width_mm", kNoSize), ph = a.Num("paper_height_mm", kNoSize);
  const double w = a.Num("width", kNoSize), h = a.Num("height", kNoSize);
  if (pw > 0 && ph > 0) {
    m.Sizes[TPLNMeasure::PaperWidth] = m.Sizes[TPLNMeasure::LabelWidth] = FromMM(pw);
    m.Sizes[TPLNMeasure::PaperHeight] = m.Sizes[TPLNMeasure::LabelHeight] = FromMM(ph);
    m.LabelName = PaperNameOf(pw, ph);
  } else if (w > 0 && h > 0) {
    m.Sizes[TPLNMeasure::LabelWidth] = Utils::SetValue(w, units);
    m.Sizes[TPLNMeasure::LabelHeight] = Utils::SetValue(h, units);
  }
  const int scale = a.Int("draw_scale", -1);
  if (scale > 0) m.DrawScale = scaled ? scale : 1;
  m.Validate();

  {
    TUpdate batch(doc);
    const bool redoDims = units != doc->GetUnits() || m.DrawScale != doc->Measure().DrawScale;
    doc->SetUnits(units);
    doc->SetEditorMode(mode);
    doc->SetMeasure(m);
    if (redoDims) doc->CalcDimValues();
  }
  QString text = QStringLiteral("Drawing configured: %1 x %2 %3, mode=%4")
                     .arg(Fmt(Utils::GetValue(m.Sizes[TPLNMeasure::LabelWidth], units)),
                          Fmt(Utils::GetValue(m.Sizes[TPLNMeasure::LabelHeight], units)), UnitsText(units),
                          EditorModeText(mode));
  if (scaled) text += QStringLiteral(", scale=1:%1").arg(doc->Measure().DrawScale);
  return TextResult(text);
}

QJsonObject SetPaper(TPLNBaseLabel* doc, const TArgs& a) {
  TPLNMeasure m = doc->Measure();
  const QString name = a.Str("paper_name").trimmed();
  if (!name.isEmpty()) {
    QSizeF size;
    QString canonical;
    if (!StandardPaper(name, &size, &canonical))
      throw EToolError(QStringLiteral("Unknown paper name \"%1\". Use a standard name such as A3, A4, A5, B5, Letter, "
                                      "Legal or Tabloid, or give paper_width and paper_height in mm")
                           .arg(Utils::QuoteForMessage(name, 80)));
    m.SetPaperSize(FromMM(size.width()), FromMM(size.height()));
    m.LabelName = canonical;
  }
  const double pw = a.Num("paper_width", kNoSize), ph = a.Num("paper_height", kNoSize);
  if (pw > 0 || ph > 0) {
    m.SetPaperSize(pw > 0 ? FromMM(pw) : m.Sizes[TPLNMeasure::PaperWidth], ph > 0 ? FromMM(ph) : m.Sizes[TPLNMeasure::PaperHeight]);
    if (name.isEmpty()) m.LabelName = PaperNameOf(MM(m.Sizes[TPLNMeasure::PaperWidth]), MM(m.Sizes[TPLNMeasure::PaperHeight]));
  }
  auto size = [&](const char* key, int slot, bool zeroOk) {
    const double v = a.Num(key, kNoSize);
    if (v > 0 || (zeroOk && v >= 0)) m.Sizes[slot] = FromMM(v);
  };
  size("label_width", TPLNMeasure::LabelWidth, false);
  size("label_height", TPLNMeasure::LabelHeight, false);
  size("margin_left", TPLNMeasure::LeftMargin, true);
  size("margin_top", TPLNMeasure::TopMargin, true);
  if (a.Int("rows", -1) > 0) m.Rows = a.Int("rows", -1);
  if (a.Int("columns", -1) > 0) m.Columns = a.Int("columns", -1);
  size("gap_rows", TPLNMeasure::VertGap, true);
  size("gap_columns", TPLNMeasure::HorzGap, true);
  m.Validate();
  {
    TUpdate batch(doc);
    doc->SetMeasure(m);
  }
  QString text = QStringLiteral("Paper: %1 %2 x %3 mm, label: %4 x %5, margins: L=%6 T=%7")
                     .arg(m.LabelName, Fmt(MM(m.Sizes[TPLNMeasure::PaperWidth])), Fmt(MM(m.Sizes[TPLNMeasure::PaperHeight])),
                          Fmt(MM(m.Sizes[TPLNMeasure::LabelWidth])), Fmt(MM(m.Sizes[TPLNMeasure::LabelHeight])),
                          Fmt(MM(m.Sizes[TPLNMeasure::LeftMargin])), Fmt(MM(m.Sizes[TPLNMeasure::TopMargin])));
  if (m.Rows > 1 || m.Columns > 1)
    text += QStringLiteral(", layout: %1x%2 gap: %3 x %4")
                .arg(m.Rows)
                .arg(m.Columns)
                .arg(Fmt(MM(m.Sizes[TPLNMeasure::VertGap])), Fmt(MM(m.Sizes[TPLNMeasure::HorzGap])));
  return TextResult(text);
}

QJsonObject SetMapBackground(TPLNBaseLabel* doc, const TArgs& a) {
  auto* fmx = dynamic_cast<Fmx::TPlanoraFMX*>(doc);
  if (!fmx) throw EToolError(QStringLiteral("set_map_background requires a FMX label (TPlanoraFMX)"));
  const double lat = a.Num("latitude", 0), lon = a.Num("longitude", 0);
  if (lat == 0 && lon == 0) throw EToolError(QStringLiteral("latitude and longitude are required"));
  const int zoom = a.Int("zoom", 15);
  const QString provider = a.Str("provider", QStringLiteral("openstreetmap"));
  int layer = a.Int("layer", 0);
  if (layer < 0 || layer >= doc->GetLayersCount()) layer = 0;
  const int width = a.Int("image_width", 1024), height = a.Int("image_height", 768);
  if (lat < -90 || lat > 90 || lon < -180 || lon > 180)
    throw EToolError(QStringLiteral("latitude must lie between -90 and 90 and longitude between -180 and 180 degrees"));
  if (zoom < TPLNMapping::kMinZoom || zoom > TPLNMapping::kMaxZoom)
    throw EToolError(QStringLiteral("zoom must be a whole number from 0 to 20"));
  if (width < 1 || height < 1 || width > TPLNMapping::kMaxPixels || height > TPLNMapping::kMaxPixels)
    throw EToolError(QStringLiteral("image_width and image_height must lie between 1 and %1 pixels").arg(TPLNMapping::kMaxPixels));

  if (fmx->ImageFolder.isEmpty()) fmx->ImageFolder = Fmx::TPlanoraFMX::DefaultMapFolder();
  if (!QDir().mkpath(fmx->ImageFolder))
    throw EToolError(QStringLiteral("Could not create the image folder \"%1\"").arg(Utils::QuoteForMessage(fmx->ImageFolder, 80)));
  TPLNMapping& map = fmx->Mapping();
  map.SetProvider(TPLNMapping::ProviderFromKey(provider.trimmed()));
  map.SetShowCenter(a.Bool("show_center", false));
  if (TPLNMapping::NeedsKey(map.GetProvider()) && map.GetApiKey().isEmpty())
    throw EToolError(QStringLiteral("The provider %1 needs an API key, which is not set; use another provider").arg(Utils::QuoteForMessage(provider, 80)));
  const QString latText = QString::number(lat, 'f', 6).replace(QLatin1Char(','), QLatin1Char('.'));
  const QString lonText = QString::number(lon, 'f', 6).replace(QLatin1Char(','), QLatin1Char('.'));
  // The answer waits for the map: an agent wants to know whether it worked. Calls behind this one
  // wait their turn (the server handles one at a time).
  fmx->ComposeImage(latText, lonText, zoom, width, height);
  QString error;
  if (!fmx->WaitForCompose(&error)) throw EToolError(QStringLiteral("The map could not be made: %1").arg(error));
  const QString file = map.GetFileName();
  if (file.isEmpty() || !QFileInfo(file).isFile())
    return TextResult(QStringLiteral("Map download initiated. Use OnComposeImage event to know when it completes."));
  fmx->UseMapOnLayer(layer + 1);
  return TextResult(QStringLiteral("Map loaded: provider=%1 center=(%2, %3) zoom=%4 on layer %5. File: %6")
                        .arg(provider, Fmt(lat, 6), Fmt(lon, 6))
                        .arg(zoom)
                        .arg(layer)
                        .arg(file));
}

QJsonObject SetImageFolder(TPLNBaseLabel* doc, const TArgs& a) {
  const QString folder = a.Str("folder");
  if (folder.isEmpty()) return TextResult(QStringLiteral("Current image folder: \"%1\"").arg(doc->ImageFolder));
  if (!QDir().mkpath(folder))
    throw EToolError(QStringLiteral("Could not create the folder \"%1\"").arg(Utils::QuoteForMessage(folder, 80)));
  doc->ImageFolder = folder;
  return TextResult(QStringLiteral("Image folder set to: \"%1\"").arg(folder));
}

QJsonObject ClearDrawing(TPLNBaseLabel* doc, const TArgs& a) {
  TUpdate batch(doc);
  doc->ClearItems();
  if (a.Bool("all", false)) {
    doc->ClearSymbols();
    doc->SetBackLayer(0);
    doc->SetImageRotation(0);
    while (doc->GetLayersCount() > 1) doc->DeleteLayer(doc->GetLayersCount());
    *doc->GetLayer(1) = TPLNLayer(QStringLiteral("Layer 1"));
    doc->SetActiveLayer(1);
    doc->SetActiveDimStyle(1);
    *doc->GetDimStyle(1) = Line::TPLNDimStyle();
    doc->SetMeasure(TPLNMeasure());
    doc->SetUnits(TORVUnits::mm);
    doc->SetEditorMode(0);
    doc->Title.clear();
    doc->NotifyChange(TORChange::Layers);
  }
  return TextResult(QStringLiteral("Drawing cleared"));
}

QJsonObject DeleteItem(TPLNBaseLabel* doc, const TArgs& a) {
  const int index = a.Int("index", -1);
  if (index >= 0 && index < doc->GetItemsCount()) {
    doc->DeleteItem(index + 1);
    return TextResult(QStringLiteral("Item at index %1 deleted").arg(index));
  }
  const QString id = a.Str("id");
  if (id.isEmpty()) throw EToolError(QStringLiteral("Provide index or id parameter"));
  TPLNBaseItem* it = FindItem(doc, -1, id);
  if (!it) throw EToolError(QStringLiteral("Item \"%1\" not found").arg(Utils::QuoteForMessage(id, 80)));
  doc->DeleteItem(doc->IndexOf(it));
  return TextResult(QStringLiteral("Item \"%1\" deleted").arg(id));
}

QJsonObject ListLayers(TPLNBaseLabel* doc, const TArgs&) {
  QJsonArray layers;
  for (int i = 1; i <= doc->GetLayersCount(); ++i) {
    const TPLNLayer* l = doc->GetLayer(i);
    QJsonObject o{{QStringLiteral("index"), i},
                  {QStringLiteral("name"), l->Name},
                  {QStringLiteral("color"), ColorText(l->PenColor)},
                  {QStringLiteral("back_color"), ColorText(l->BackColor)},
                  {QStringLiteral("pen_width"), Utils::GetValue(Utils::RoundHalfAway(l->PenWidth), doc->GetUnits())},
                  {QStringLiteral("visible"), l->HasOption(Opt::Visible)},
                  {QStringLiteral("printable"), l->HasOption(Opt::Print)},
                  {QStringLiteral("selectable"), l->HasOption(Opt::Selectable)},
                  {QStringLiteral("fill"), l->Fill}};
    if (!l->BackImageFile.isEmpty()) o.insert(QStringLiteral("background_image"), l->BackImageFile);
    if (i == doc->GetActiveLayerIndex()) o.insert(QStringLiteral("active"), true);
    layers.append(o);
  }
  return DataResult(layers, QJsonObject{{QStringLiteral("layers"), layers}});
}

// Option bits from the three tri-states; `def` is what an argument that is neither 0 nor 1 means
// (-1 for leaving the bit as it is).
std::uint16_t LayerOptions(const TArgs& a, std::uint16_t options, int def, int* changes) {
  auto bit = [&](const char* key, std::uint16_t b) {
    int v = a.Int(key, -1);
    if (v != 0 && v != 1) v = def;
    if (v < 0) return;
    options = v ? static_cast<std::uint16_t>(options | b) : static_cast<std::uint16_t>(options & ~b);
    if (changes && a.Has(key)) ++*changes;
  };
  bit("visible", Opt::Visible);
  bit("selectable", Opt::Selectable);
  bit("printable", Opt::Print);
  return options;
}

QJsonObject AddLayer(TPLNBaseLabel* doc, const TArgs& a) {
  if (doc->GetLayersCount() >= kMaxLayers)
    throw EToolError(QStringLiteral("The drawing already has %1 layers, the most a drawing can hold").arg(kMaxLayers));
  const double pen = a.Num("pen_width", kNoSize);
  const double penBase = pen >= 0 ? LengthBase(doc, "pen_width", pen) : -1;
  QString name = a.Str("name").trimmed();
  if (name.isEmpty()) name = QStringLiteral("Layer %1").arg(doc->GetLayersCount() + 1);
  TLayerChange change(doc);
  TPLNLayer* l = doc->AddLayer(name);
  l->PenColor = ColorArg(a, "color", l->PenColor);
  l->BackColor = ColorArg(a, "back_color", l->BackColor);
  if (penBase >= 0) l->PenWidth = penBase;
  l->Options = LayerOptions(a, l->Options, 1, nullptr);
  return TextResult(QStringLiteral("Layer added: index=%1 name=\"%2\"").arg(doc->GetLayersCount()).arg(name));
}

QJsonObject ModifyLayer(TPLNBaseLabel* doc, const TArgs& a) {
  const int index = a.Int("index", -1);
  if (index < 1 || index > doc->GetLayersCount())
    throw EToolError(QStringLiteral("Invalid layer index %1. Valid range: 1..%2").arg(index).arg(doc->GetLayersCount()));
  const double pen = a.Num("pen_width", kNoSize), font = a.Num("font_height", kNoSize);
  const double penBase = pen >= 0 ? LengthBase(doc, "pen_width", pen) : -1;
  const double fontBase = font >= 0 ? LengthBase(doc, "font_height", font) : -1;
  TPLNLayer* l = doc->GetLayer(index);
  TLayerChange change(doc);
  int n = 0;
  auto color = [&](const char* key, TAlphaColor& field) {
    if (a.Has(key) && ParseColor(a.Str(key), &field)) ++n;
  };
  auto flag = [&](const char* key, bool& field) {
    const int v = a.Int(key, -1);
    if (v == 0 || v == 1) {
      field = v == 1;
      ++n;
    }
  };
  if (!a.Str("name").isEmpty()) {
    l->Name = a.Str("name");
    ++n;
  }
  color("color", l->PenColor);
  color("back_color", l->BackColor);
  if (penBase >= 0) {
    l->PenWidth = penBase;
    ++n;
  }
  if (!a.Str("font_name").trimmed().isEmpty()) {
    l->FontName = a.Str("font_name").trimmed();
    ++n;
  }
  if (fontBase > 0) {
    l->FontHeight = static_cast<float>(fontBase / 1000.0);
    ++n;
  }
  color("font_color", l->FontColor);
  flag("bold", l->Bold);
  flag("italic", l->Italic);
  flag("fill", l->Fill);
  l->Options = LayerOptions(a, l->Options, -1, &n);
  if (n == 0) return TextResult(QStringLiteral("Layer %1 (\"%2\") found but no properties changed.").arg(index).arg(l->Name));
  return TextResult(QStringLiteral("Layer %1 (\"%2\") modified: %3 properties changed").arg(index).arg(l->Name).arg(n));
}

QJsonObject SetActiveLayer(TPLNBaseLabel* doc, const TArgs& a) {
  const int index = a.Int("index", -1);
  if (index < 1 || index > doc->GetLayersCount())
    throw EToolError(QStringLiteral("Invalid layer index %1. Valid range: 1..%2").arg(index).arg(doc->GetLayersCount()));
  doc->SetActiveLayer(index);
  if (doc->GetActiveLayerIndex() != index) throw EToolError(QStringLiteral("Could not set active layer to %1").arg(index));
  return TextResult(QStringLiteral("Active layer set to %1 (\"%2\")").arg(index).arg(doc->GetLayer(index)->Name));
}

}  // namespace

TPLNMCPServer* RegisteredServer() { return gServer; }

void RegisterDrawingTools(TPLNMCPServer* s) {
  const QStringList terms = TermNames();
  const QStringList lineTypes{"solid", "dashed", "dotted", "dashdot", "dashdotdot"};
  const QStringList textPos = TextPosNames();
  const QStringList barcodes{"EAN13", "EAN8", "UPCA", "CODE39", "CODE128", "CODE128A", "CODE128B",
                             "CODE128C", "CODABAR", "CODE93", "ITF", "POSTNET", "MSI"};
  auto lookup = [] {
    return TSchema().Int("index", "Item index (0-based)").Str("id", "Item ID string");
  };

  // Batches an agent leaves open when it goes away are closed, or the views would never hear
  // of the document again.
  auto open = std::make_shared<int>(0);
  QObject::connect(s, &TPLNMCPServer::InputClosed, s, [s, open] {
    for (; *open > 0; --*open) s->Document()->EndUpdate();
  });
  AddTool(s, "begin_update",
          "Start batch mode - call before adding many elements for better performance. Must be paired with end_update.",
          TSchema(), [open](TPLNBaseLabel* doc, const TArgs& a) {
            ++*open;
            return BeginUpdate(doc, a);
          });
  AddTool(s, "end_update", "End batch mode - refreshes the editor after all elements have been added. Pair with begin_update.",
          TSchema(), [open](TPLNBaseLabel* doc, const TArgs& a) {
            if (*open > 0) --*open;
            return EndUpdate(doc, a);
          });
  AddTool(s, "get_drawing_info",
          "Get current drawing state: paper/label dimensions, margins, units, editor mode, draw scale (1:N), item count, "
          "layers, selection.",
          TSchema(), GetDrawingInfo);
  AddTool(s, "list_items", "List all items in the drawing with their type, ID, color and layer.", TSchema(), ListItems);
  AddTool(s, "get_item", "Get the full properties of a single item (as JSON) by its index (0-based) or ID.", lookup(), GetItem);
  AddTool(s, "setup_drawing",
          "Configure drawing: measurement units (mm, inch, cm...), editor mode (labelling for labels/stickers, flowchart "
          "for flow diagrams, drawing for technical drawings), label/area dimensions, and draw scale (1:N, only for "
          "drawing/interactive mode).",
          TSchema()
              .Num("paper_width_mm", "Paper width in mm (uses SetPaperSizeMM). E.g. 297 for A4 landscape")
              .Num("paper_height_mm", "Paper height in mm (uses SetPaperSizeMM). E.g. 210 for A4 landscape")
              .Num("width", "Label/drawing area width in current units (alternative to paper_width_mm)")
              .Num("height", "Label/drawing area height in current units (alternative to paper_height_mm)")
              .Enum("units", kUnitNames, "Measurement units")
              .Enum("mode", kModeNames,
                    "Editor mode: labelling (labels/stickers), flowchart (flow diagrams), drawing (technical drawings with "
                    "scale), interactive")
              .Int("draw_scale",
                   "Drawing scale factor N for 1:N scale (only applies in drawing/interactive mode). E.g. 20 means scale 1:20"),
          SetupDrawing);
  AddTool(s, "set_paper",
          "Configure paper/sheet properties: standard paper size (A4, A3, Letter...), custom paper dimensions, label "
          "dimensions, margins, and multi-label layout (rows, columns, gaps for printing multiple labels per sheet).",
          TSchema()
              .Str("paper_name",
                   "Standard paper name (e.g. \"A4\", \"A3\", \"Letter\", \"Legal\"). Sets paper dimensions automatically.")
              .Num("paper_width", "Custom paper width in mm (overrides paper_name)")
              .Num("paper_height", "Custom paper height in mm (overrides paper_name)")
              .Num("label_width", "Label/drawing area width in mm")
              .Num("label_height", "Label/drawing area height in mm")
              .Num("margin_left", "Left margin in mm")
              .Num("margin_top", "Top margin in mm")
              .Int("rows", "Number of label rows per sheet (for multi-label printing)")
              .Int("columns", "Number of label columns per sheet (for multi-label printing)")
              .Num("gap_rows", "Vertical gap between label rows in mm")
              .Num("gap_columns", "Horizontal gap between label columns in mm"),
          SetPaper);
  AddTool(s, "set_map_background",
          "Download a map from an online tile service (OpenStreetMap, Google Maps, ESRI, CartoDB, IGN, SIGPAC, etc.) and "
          "set it as background of a layer. Specify center coordinates (lat/lon), zoom level and provider.",
          TSchema()
              .Num("latitude", "Center latitude in decimal degrees (WGS84). E.g. 41.3851 for Barcelona", true)
              .Num("longitude", "Center longitude in decimal degrees (WGS84). E.g. 2.1734 for Barcelona", true)
              .Int("zoom", "Map zoom level 0-20 (default: 15). Higher = more detail. 10=city, 15=streets, 18=buildings")
              .Enum("provider", kProviders, "Map tile provider")
              .Int("layer", "Layer index (0-based) to assign the map background to (default: 0)")
              .Int("image_width", "Width of the downloaded map image in pixels (default: 1024)")
              .Int("image_height", "Height of the downloaded map image in pixels (default: 768)")
              .Bool("show_center", "Draw a red crosshair at the map center (default: false)"),
          SetMapBackground);
  AddTool(s, "set_image_folder",
          "Set or query the image folder path. Images added with relative filenames are resolved against this folder.",
          TSchema().Str("folder", "Folder path where images are stored. If empty, returns the current folder."),
          SetImageFolder);
  AddTool(s, "clear_drawing", "Clear all items from the drawing. Set all=true to also reset layers and settings.",
          TSchema().Bool("all", "If true, clear everything including layers and settings. If false (default), only clear items."),
          ClearDrawing);
  AddTool(s, "delete_item", "Delete an item by its index (0-based) or ID string.", lookup(), DeleteItem);
  AddTool(s, "modify_item",
          "Modify properties of an existing item by index (0-based) or ID. Supports: color, pen_width, back_color, filled, "
          "radio, line_type, font (name/height/color/bold/italic/underline), alignment, padding, width/height, center, "
          "terminators, text, angle, barcode_type for 1D barcodes, and layer assignment. Only properties present in the "
          "arguments are changed.",
          lookup()
              .Str("color", "Stroke color as #RRGGBB")
              .Num("pen_width", "Stroke width in current units")
              .Num("x", "X position of first point in current units")
              .Num("y", "Y position of first point in current units")
              .Num("x2", "X position of second point in current units")
              .Num("y2", "Y position of second point in current units")
              .Int("layer", "Layer index (1-based) to assign this item to")
              .Str("back_color", "Fill/background color as #RRGGBB")
              .Int("filled", "1=filled, 0=not filled")
              .Num("radio", "Corner radius in current units")
              .Enum("line_type", lineTypes, "Line dash style")
              .Str("font_name", "Font family name")
              .Num("font_height", "Font height in current units")
              .Str("font_color", "Font color as #RRGGBB")
              .Int("bold", "Bold: 1=yes, 0=no")
              .Int("italic", "Italic: 1=yes, 0=no")
              .Int("underline", "Underline: 1=yes, 0=no")
              .Num("scale_x", "Horizontal text scale (1.0 = normal)")
              .Enum("horz_align", {"left", "right", "justify"}, "Horizontal alignment")
              .Enum("vert_align", {"top", "bottom"}, "Vertical alignment")
              .Num("padding_x", "Horizontal padding in current units")
              .Num("padding_y", "Vertical padding in current units")
              .Num("width", "Width in current units")
              .Num("height", "Height in current units")
              .Num("center_x", "Center X in current units")
              .Num("center_y", "Center Y in current units")
              .Enum("from_type", terms, "Start terminator")
              .Enum("to_type", terms, "End terminator")
              .Str("from_color", "Start terminator color as #RRGGBB")
              .Str("to_color", "End terminator color as #RRGGBB")
              .Num("size_from", "Start terminator size in current units")
              .Num("size_to", "End terminator size in current units")
              .Str("text", "Text content")
              .Enum("angle", {"0", "90", "180", "270"}, "Rotation angle")
              .Enum("barcode_type", barcodes, "1D barcode symbology (barcode items only)")
              .Num("start_angle", "Sector start angle in degrees")
              .Num("sweep_angle", "Sector sweep angle in degrees")
              .Num("sym_angle", "Symbol rotation angle in degrees (0-360)")
              .Num("scale", "Symbol scale factor (1.0 = original)")
              .Int("text_measure", "Dimension: 1=show auto-measured value, 0=use custom text")
              .Int("show_extension", "Dimension: 1=show extension lines, 0=hide")
              .Enum("text_pos", textPos, "Dimension text position")
              .Enum("head_type", terms, "Dimension arrow type")
              .Str("dim_color", "Dimension line color #RRGGBB")
              .Str("ext_color", "Extension line color #RRGGBB")
              .Str("head_color", "Arrow/terminator color #RRGGBB")
              .Num("dim_pen_width", "Dimension line width")
              .Num("ext_pen_width", "Extension line width")
              .Num("head_size", "Arrow/terminator size")
              .Str("prefix", "Dimension text prefix")
              .Str("suffix", "Dimension text suffix")
              .Str("format", "Dimension number format (e.g. \"0.00\")"),
          ModifyItem);
  AddTool(s, "list_layers",
          "List all layers with their properties: name, color, visibility, selectability, print, fill, background image.",
          TSchema(), ListLayers);
  AddTool(s, "add_layer", "Add a new layer with optional name, color, pen_width and visibility options.",
          TSchema()
              .Str("name", "Layer name")
              .Str("color", "Default stroke color as #RRGGBB")
              .Str("back_color", "Default background color as #RRGGBB")
              .Num("pen_width", "Default pen width in current units")
              .Int("visible", "1=visible (default), 0=hidden")
              .Int("selectable", "1=selectable (default), 0=locked")
              .Int("printable", "1=printable (default), 0=not printed"),
          AddLayer);
  AddTool(s, "modify_layer",
          "Modify properties of an existing layer by index (1-based). Supports: name, color, back_color, pen_width, fill, "
          "font properties, visible, selectable, printable.",
          TSchema()
              .Int("index", "Layer index (1-based)", true)
              .Str("name", "Layer name")
              .Str("color", "Default stroke color as #RRGGBB")
              .Str("back_color", "Default background color as #RRGGBB")
              .Num("pen_width", "Default pen width in current units")
              .Int("fill", "1=fill shapes, 0=no fill")
              .Str("font_name", "Default font name")
              .Num("font_height", "Default font height in current units")
              .Str("font_color", "Default font color as #RRGGBB")
              .Int("bold", "Default bold: 1=yes, 0=no")
              .Int("italic", "Default italic: 1=yes, 0=no")
              .Int("visible", "1=visible, 0=hidden")
              .Int("selectable", "1=selectable, 0=locked")
              .Int("printable", "1=printable, 0=not printed"),
          ModifyLayer);
  AddTool(s, "set_active_layer", "Set the active layer by index (1-based). New items will be added to this layer.",
          TSchema().Int("index", "Layer index (1-based) to make active", true), SetActiveLayer);
}

}  // namespace Orv::Mcp

void ORVMCPRegisterDefaultTools(Orv::TPLNMCPServer* server) {
  using namespace Orv::Mcp;
  gServer = server;
  RegisterDrawingTools(server);
  RegisterShapeTools(server);
  RegisterBarcodeTools(server);
  // The item tools, between the shapes and the dimensions.
  RegisterCodes2DTools(server);
  RegisterImageTools(server);
  RegisterTableTools(server);
  RegisterPolyTools(server);
  RegisterGaugeTools(server);
  RegisterNutriTools(server);
  RegisterPackageTools(server);
  RegisterFlowTools(server);
  RegisterSymbolTools(server);
  RegisterDimensionTools(server);
  RegisterDiagramTools(server);
  RegisterSvgTool(server);
  RegisterExportTools(server);
}
