// planora: headless work on drawings — export, print, map backgrounds, convert, info, import of
// diagram text, and the drawing tools served to AI agents (mcp).

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMap>
#include <QSocketNotifier>
#include <QTextStream>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "ORV.Data.h"
#include "ORV.Diagram.h"
#include "ORV.FMX.Export.h"
#include "ORV.FMX.Print.h"
#include "ORV.SheetCatalog.h"
#include "ORV.FMX.Svg.h"
#include "ORV.FMX.h"
#include "ORV.Image.h"
#include "ORV.MCP.FMX.Args.h"
#include "ORV.MCP.FMX.SymbolCommands.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.Msg.h"
#include "ORV.Symbol.h"
#include "ORV.Utils.h"

using namespace Orv;
using namespace Orv::Fmx;

namespace {

const char* kUsage =
    "Usage: planora COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  export DOC OUT [--page N] [--scale S] [--fit] [--data FILE] [--all-pages]\n"
    "        [--records A-B | --pages A-B] [--svg-kind KIND] [--svg-ids] [--ask NAME=VALUE ...]\n"
    "        Render a drawing (.eti or .json) to OUT; the format follows OUT's extension\n"
    "        (.pdf, .xps, .svg, .png, .jpg/.jpeg, .bmp, .gif). --page N renders the label sheet of page N\n"
    "        (default 1), --fit renders the extent of the drawing instead of the sheet,\n"
    "        --scale S enlarges the output (0.2 to 5, default 1).\n"
    "        SVG: the page in millimetres, texts as text. --svg-kind current_unit (default:\n"
    "        sized in the drawing's unit), no_measures (without dimensions), factor (the size\n"
    "        times --scale S) or factor_px (in pixels, times --scale S); --svg-ids gives each\n"
    "        item's elements the id item-ID.\n"
    "        --data FILE fills the data-bound texts of the labels from a .csv or .json\n"
    "        table, one record per label; a PDF then holds every page the records fill\n"
    "        (unless --page picks one). --all-pages writes every page: one PDF, or one\n"
    "        bitmap or SVG per page named OUT with -1, -2, ... before the extension.\n"
    "        --records A-B (records A to B, from 1) or --pages A-B (the pages A to B of\n"
    "        the whole run) produce one shard of a large run: each record keeps the cell\n"
    "        it has in the whole run, so shards cut at page boundaries put together give\n"
    "        the whole run page for page. Both need --data.\n"
    "        --ask NAME=VALUE gives a value the drawing asks for when it is printed (a\n"
    "        batch number, a date in its format, a number, the copies, a list value);\n"
    "        give one --ask for every value the drawing asks (planora info lists them).\n"
    "  print DOC [--printer NAME] [--output FILE.pdf] [--data FILE] [--list-printers]\n"
    "        [--records A-B | --pages A-B] [--ask NAME=VALUE ...]\n"
    "        Print the label sheet (every page the records fill with --data) on the\n"
    "        first printer, the printer NAME, or into the PDF file FILE.pdf (for machines\n"
    "        without a printer). --list-printers shows the printer names, one a line.\n"
    "        --records and --pages print one shard, as for export. --ask as for export.\n"
    "        Counters that continue from the last print move on after the run: in their\n"
    "        counters file, or in DOC, which is then saved.\n"
    "  print --printer NAME --calibrate X,Y\n"
    "        Keep the printer's offset in millimetres (right, down; -50 to 50): every page\n"
    "        printed on NAME moves by it, for printers that feed the paper off. 0,0 forgets it.\n"
    "  map DOC OUT --lat LAT --lon LON [--zoom Z] [--provider NAME] [--layer N]\n"
    "        [--size WxH] [--center] [--scale] [--folder DIR] [--key KEY] [--tiles URL]\n"
    "        [--drop-unknown]\n"
    "        Compose a map around LAT, LON (degrees; --address TEXT finds them with\n"
    "        OpenStreetMap's Nominatim instead) and show it behind the labels on layer N\n"
    "        (default 1); save the drawing as OUT. --zoom 0 to 20 (default 15); --provider\n"
    "        openstreetmap (default), cartodb, esri, opentopo, sigpac, ignbase, ignpnoa,\n"
    "        googleroad, googlesatellite, googleterrain, googlehybrid, heremaps, cartodark,\n"
    "        cartovoyager; --size in pixels (default: the label at 96 dpi); --center marks\n"
    "        the centre; --scale sets the drawing scale to the map's; --folder keeps the map\n"
    "        there (default: the drawing's image folder); --key is the service's API key;\n"
    "        --tiles URL uses another tile server ({z}, {x}, {y}, {bbox}, {key} replaced).\n"
    "  convert IN OUT [--drop-unknown]\n"
    "        Load IN (.eti or .json) and save it as OUT (.eti or .json).\n"
    "  mcp [--document FILE] [--save-on-exit] [--drop-unknown]\n"
    "        Serve the drawing tools to an AI agent over the Model Context Protocol on\n"
    "        stdin and stdout (one JSON-RPC message per line; messages go to stderr).\n"
    "        --document FILE opens FILE (.eti or .json) if it exists; --save-on-exit\n"
    "        saves the drawing there when the input ends or on SIGTERM/SIGINT.\n"
    "  Commands that save (map, convert, mcp --save-on-exit) refuse a drawing whose file\n"
    "  held items this version cannot read, which the save would lose; --drop-unknown\n"
    "  saves without them.\n"
    "  import IN OUT [--format auto|mermaid|plantuml] [--no-arrows] [--strict]\n"
    "        Lay out a Gantt chart, flowchart, sequence diagram, mind map, WBS or fishbone\n"
    "        written as Mermaid, PlantUML or the native Gantt form (IN, or - for standard\n"
    "        input) and save the drawing as OUT (.eti or .json) or export it (.pdf, .xps,\n"
    "        .png, .jpg, .bmp, .gif). --format picks the language (default: auto, which\n"
    "        takes @start... for PlantUML); --no-arrows leaves out a Gantt chart's\n"
    "        dependency arrows; --strict refuses a text with anything it cannot read.\n"
    "        Diagnostics go to standard error as FILE:LINE: warning|error: MESSAGE; a\n"
    "        text that gives no drawing exits 1 and writes nothing.\n"
    "  library build IN.json OUT.lyp\n"
    "        Build a symbol library file from symbol definitions: {\"symbols\": [{\"name\",\n"
    "        \"category\", \"note\", \"units\", \"insert_x\", \"insert_y\", \"commands\": [...]}]},\n"
    "        the drawing commands of the create_symbol tool. A symbol without a usable\n"
    "        command, a repeated name or an unknown unit exits 1 and writes nothing;\n"
    "        commands that cannot be used are named on standard error.\n"
    "  library list FILE.lyp\n"
    "        One line per symbol: name, category, size and link points (mm from the\n"
    "        insertion point).\n"
    "  info DOC [--data FILE]\n"
    "        Describe a drawing: paper, label grid, layers, items and the values it asks\n"
    "        for when printed; with --data also\n"
    "        the records and the pages they fill (to plan shards).\n"
    "  sheets [WORDS...]\n"
    "        Search the catalogue of standard label sheets by part number, brand, label\n"
    "        size (70x37) or paper, words in any order; one sheet a line.\n"
    "  --help\n"
    "        Show this text.\n";

class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void Fail(const QString& message) { throw EUsage(message.toStdString()); }

QString Ext(const QString& file) { return QFileInfo(file).suffix().toLower(); }

QString Items(int n) { return n == 1 ? QStringLiteral("1 item") : QStringLiteral("%1 items").arg(n); }

// --ask NAME=VALUE, in the order given.
using TAskArgs = QList<QPair<QString, QString>>;
void ParseAsk(const QString& v, TAskArgs& asks) {
  const qsizetype eq = v.indexOf(QLatin1Char('='));
  if (eq <= 0) Fail(QStringLiteral("--ask takes NAME=VALUE, such as --ask Batch=L042, not %1").arg(Utils::QuoteForMessage(v)));
  asks.append(qMakePair(v.left(eq).trimmed(), v.mid(eq + 1)));
}

// Gives the drawing the values of the command line and checks them before anything is written:
// a value it does not ask for, or one it asks for and did not get, ends the command.
void ApplyAsks(TPlanoraFMX& doc, const TAskArgs& asks) {
  const TPLNData& d = doc.DataSettings();
  for (const auto& [name, value] : asks) {
    if (!d.FindAsk(name)) {
      QStringList names;
      for (const TPLNAskValue& a : d.Asks) names << a.Name;
      Fail(names.isEmpty() ? QStringLiteral("--ask %1: the drawing asks for no values").arg(Utils::QuoteForMessage(name))
                           : QStringLiteral("--ask %1: the drawing asks for no such value (it asks for %2)")
                                 .arg(Utils::QuoteForMessage(name), names.join(QStringLiteral(", "))));
    }
    doc.SetAskedValue(name, value);
  }
  for (const TPLNAskValue& a : d.Asks)
    if (!doc.HasAskedValue(a.Name))
      throw EPLNError(QStringLiteral("the drawing asks for \"%1\" (%2) when it is printed: give it with --ask %1=VALUE")
                          .arg(a.Name, a.Caption()));
  // Lists read from files or the application, then every value checked, before any output.
  doc.CheckAskData();
}

// Commands that only read warn about skipped items; commands that save call ForSaving instead.
void Load(TPlanoraFMX& doc, const QString& file, bool warn = true) {
  if (!QFileInfo::exists(file)) Fail(QStringLiteral("%1: no such file").arg(Utils::QuoteForMessage(file)));
  const QString ext = QFileInfo(file).suffix();
  if (ext != QLatin1String("eti") && ext != QLatin1String("json"))
    Fail(QStringLiteral("%1: not a drawing (expected a .eti or .json file)").arg(Utils::QuoteForMessage(file)));
  // Linked data that cannot be read leaves the labels without records: said, not fatal.
  doc.OnInfoMsg = [file](const QString& text) {
    std::fprintf(stderr, "planora: warning: %s: data not loaded: %s\n", qPrintable(Utils::QuoteForMessage(file)), qPrintable(text));
  };
  doc.LoadFromFile(file);
  if (warn && doc.SkippedItems() > 0)
    std::fprintf(stderr, "planora: warning: %s: %s this version cannot read were skipped\n",
                 qPrintable(Utils::QuoteForMessage(file)), qPrintable(Items(doc.SkippedItems())));
  // Pictures that will show as placeholders: said once here rather than found on the page.
  if (!warn) return;
  for (int i = 1; i <= doc.GetItemsCount(); ++i)
    if (const auto* img = dynamic_cast<const F2d::TPLNBaseImage*>(doc.GetItem(i))) {
      const QString problem = img->PictureProblem();
      if (!problem.isEmpty())
        std::fprintf(stderr, "planora: warning: %s: item %d: %s\n", qPrintable(Utils::QuoteForMessage(file)), i,
                     qPrintable(problem));
    }
}

// A drawing that lost items on reading is saved only when the user said so; checked before any
// work, so nothing is done in vain.
void ForSaving(TPlanoraFMX& doc, const QString& file, bool dropUnknown) {
  const int n = doc.SkippedItems();
  if (n == 0) return;
  if (!dropUnknown)
    throw EPLNError(QStringLiteral("%1: not saved: %2 could not be read and would be lost "
                                   "(--drop-unknown saves without them)")
                        .arg(Utils::QuoteForMessage(QFileInfo(file).fileName()), Items(n)));
  doc.DropSkippedItems = true;
  std::fprintf(stderr, "planora: warning: %s: %s this version cannot read are dropped\n",
               qPrintable(Utils::QuoteForMessage(file)), qPrintable(Items(n)));
}

// OUT with "-N" before the extension: the file of page N of a bitmap export.
QString PageFile(const QString& out, int page) {
  const QFileInfo fi(out);
  const QString name = fi.completeBaseName() + QStringLiteral("-%1").arg(page) +
                       (fi.suffix().isEmpty() ? QString() : QLatin1Char('.') + fi.suffix());
  return fi.dir().filePath(name);
}

void Progress(int page, int pages) {
  if (pages > 1) std::fprintf(stderr, "page %d of %d\n", page, pages);
}

// ---- shards of a data run

// A slice of the whole run the user asked for: records or pages, 1-based and inclusive.
struct TShardRange {
  QString Option;  // "--records" or "--pages"; empty: the whole run
  int From = 0, To = 0;
  bool IsSet() const { return !Option.isEmpty(); }
  QString Text() const { return QStringLiteral("%1 %2-%3").arg(Option).arg(From).arg(To); }
};

// "A-B" or "A", A from 1 and B not below A.
TShardRange ParseShard(const char* option, const QString& value) {
  TShardRange r;
  r.Option = QLatin1String(option);
  const QStringList parts = value.split(QLatin1Char('-'));
  bool ok1 = false, ok2 = false;
  if (parts.size() == 1) {
    r.From = r.To = parts[0].toInt(&ok1);
    ok2 = true;
  } else if (parts.size() == 2) {
    r.From = parts[0].toInt(&ok1);
    r.To = parts[1].toInt(&ok2);
  }
  if (!ok1 || !ok2 || r.From < 1 || r.To < r.From)
    Fail(QStringLiteral("%1 takes a range such as 1-5000 (from 1, the end not before the start), not %2")
             .arg(r.Option, Utils::QuoteForMessage(value)));
  return r;
}

// Tables whose footers sum up values that are no numbers say so once, over all the records.
void WarnTables(TPlanoraFMX& doc) {
  for (int i = 1; i <= doc.GetItemsCount(); ++i) {
    auto* table = dynamic_cast<F2d::TPLNBaseTable*>(doc.GetItem(i));
    if (!table || table->IsPreview() || !table->GetIsData()) continue;
    const int first = table->GetFirstRecord();
    table->SetFirstRecord(0);
    table->SetFillLimit(-1);
    table->FillTable(true, true);
    for (const QString& w : table->Warnings()) std::fprintf(stderr, "planora: warning: %s\n", qPrintable(w));
    table->SetFirstRecord(first);
  }
}

// Loads the data and, for a shard, keeps only its records; each keeps the cell it has in the
// whole run (the sheet starts on the cell of the shard's first record), so a shard's pages are
// the whole run's pages. Messages name `dataFile`.
void LoadData(TPlanoraFMX& doc, const QString& dataFile, const TShardRange& shard) {
  if (dataFile.isEmpty()) {
    if (shard.IsSet()) Fail(QStringLiteral("%1 picks records of the data: give the data with --data FILE").arg(shard.Option));
    return;
  }
  auto all = std::make_shared<TPLNDataSource>(TPLNDataSource::FromFile(dataFile));
  // The drawing's run settings say how many labels each record gets.
  const QString repeatField = doc.DataSettings().GetFieldRepeat();
  if (doc.PrintInfo.Repetition > 1 || (!repeatField.isEmpty() && all->FieldIndex(repeatField) >= 0))
    all = std::make_shared<TPLNDataSource>(all->Repeated(doc.PrintInfo.Repetition, all->FieldIndex(repeatField) >= 0 ? repeatField : QString()));
  doc.SetDataSource(all);
  WarnTables(doc);
  if (!shard.IsSet()) return;
  const int records = all->RecordCount(), pages = doc.GetDataPages();
  const QString name = Utils::QuoteForMessage(dataFile);
  int first = 0, last = 0;  // 0-based, inclusive
  if (shard.Option == QLatin1String("--pages")) {
    if (records == 0 || shard.From > pages)
      throw EPLNError(QStringLiteral("%1: the %2 records of %3 fill %4 pages").arg(shard.Text()).arg(records).arg(name).arg(pages));
    first = doc.FirstRecordOfPage(shard.From);
    last = std::min(records, doc.FirstRecordOfPage(shard.To + 1)) - 1;
  } else {
    if (shard.From > records)
      throw EPLNError(QStringLiteral("%1: %2 has %3 records").arg(shard.Text(), name).arg(records));
    first = shard.From - 1;
    last = std::min(records, shard.To) - 1;
  }
  // The pages of the first and last record in the whole run, and the first one's cell.
  int page = 1;
  while (page < pages && doc.FirstRecordOfPage(page + 1) <= first) ++page;
  int lastPage = page;
  while (lastPage < pages && doc.FirstRecordOfPage(lastPage + 1) <= last) ++lastPage;
  const TPLNMeasure& m = doc.Measure();
  const int columns = std::max(1, m.Columns), perSheet = std::max(1, m.Rows * m.Columns);
  const int cell = first - doc.FirstRecordOfPage(page) + (page == 1 ? perSheet - doc.LabelsPerPage(1) : 0);
  std::fprintf(stderr, "planora: %s: records %d-%d of %d, on pages %d-%d of %d\n", qPrintable(shard.Text()), first + 1,
               last + 1, records, page, lastPage, pages);
  if (first != doc.FirstRecordOfPage(page))
    std::fprintf(stderr, "planora: warning: the shard starts inside page %d; the shard before it prints the rest of that page\n", page);
  if (last + 1 != records && last + 1 != doc.FirstRecordOfPage(lastPage + 1))
    std::fprintf(stderr, "planora: warning: the shard ends inside page %d; the shard after it prints the rest of that page\n", lastPage);
  doc.PrintInfo.FirstRow = cell / columns + 1;
  doc.PrintInfo.FirstColumn = cell % columns + 1;
  doc.SetDataSource(std::make_shared<TPLNDataSource>(all->Slice(first, last - first + 1)));
}

// What messages call the records: the file given, else what the drawing's settings link.
QString DataName(const TPlanoraFMX& doc, const QString& dataFile) {
  if (!dataFile.isEmpty()) return dataFile;
  const TPLNData& d = doc.DataSettings();
  return d.GetDataSel() == TPLNData::CsvDataset() ? d.GetCsvFile() : QStringLiteral("the drawing's JSON data");
}

int CmdExport(const QStringList& args) {
  QStringList pos;
  int page = -1;
  double scale = 1.0;
  bool fit = false, allPages = false;
  QString dataFile;
  TShardRange shard;
  TSvgExport svg;
  svg.WithIds = false;  // ids on request
  bool svgKindGiven = false, svgIdsGiven = false, scaleGiven = false;
  TAskArgs asks;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    auto value = [&](const char* name) {
      if (i + 1 >= args.size()) Fail(QStringLiteral("%1 needs a value").arg(QLatin1String(name)));
      return args[++i];
    };
    if (a == QLatin1String("--page")) {
      bool ok = false;
      page = value("--page").toInt(&ok);
      if (!ok || page < 1) Fail(QStringLiteral("--page takes a page number from 1"));
    } else if (a == QLatin1String("--scale")) {
      bool ok = false;
      scaleGiven = true;
      scale = value("--scale").toDouble(&ok);
      if (!ok || !(scale > 0)) Fail(QStringLiteral("--scale takes a positive number such as 1.5"));
    } else if (a == QLatin1String("--fit")) {
      fit = true;
    } else if (a == QLatin1String("--data")) {
      dataFile = value("--data");
    } else if (a == QLatin1String("--all-pages")) {
      allPages = true;
    } else if (a == QLatin1String("--records") || a == QLatin1String("--pages")) {
      if (shard.IsSet()) Fail(QStringLiteral("give one of --records and --pages, once"));
      shard = ParseShard(a == QLatin1String("--records") ? "--records" : "--pages", value(qPrintable(a)));
    } else if (a == QLatin1String("--svg-kind")) {
      svgKindGiven = true;
      const QString kind = value("--svg-kind");
      if (!SvgKindOf(kind, &svg.Kind))
        Fail(QStringLiteral("--svg-kind takes %1, not %2")
                 .arg(SvgKindNames().join(QStringLiteral(", ")), Utils::QuoteForMessage(kind)));
    } else if (a == QLatin1String("--svg-ids")) {
      svgIdsGiven = true;
      svg.WithIds = true;
    } else if (a == QLatin1String("--ask")) {
      ParseAsk(value("--ask"), asks);
    } else if (a.startsWith(QLatin1String("--"))) {
      Fail(QStringLiteral("unknown option %1").arg(Utils::QuoteForMessage(a)));
    } else {
      pos << a;
    }
  }
  if (pos.size() != 2) Fail(QStringLiteral("export takes a drawing and an output file"));
  if (allPages && (fit || page > 0)) Fail(QStringLiteral("--all-pages cannot go with --fit or --page"));
  if (shard.IsSet() && (fit || page > 0)) Fail(QStringLiteral("%1 cannot go with --fit or --page").arg(shard.Option));
  const bool isSvg = Ext(pos[1]) == QLatin1String("svg");
  TORVExport type = TORVExport::PNG;
  if (!isSvg && !ExportTypeOfFile(pos[1], &type))
    Fail(QStringLiteral("%1: unknown output format (use .pdf, .xps, .svg, .png, .jpg, .bmp or .gif)")
             .arg(Utils::QuoteForMessage(pos[1])));
  if (!isSvg && (svgKindGiven || svgIdsGiven))
    Fail(QStringLiteral("%1 applies to .svg output only").arg(svgKindGiven ? "--svg-kind" : "--svg-ids"));
  if (isSvg) {
    // The factor kinds take their factor from --scale; the others draw the page as it is.
    if (SvgKindScales(svg.Kind)) svg.Factor = scale;
    else if (scaleGiven)
      Fail(QStringLiteral("--scale sets the factor of --svg-kind factor or factor_px; %1 draws the page at its size")
               .arg(SvgKindName(svg.Kind)));
  } else if (scale < 0.2 || scale > 5.0) {
    std::fprintf(stderr, "planora: warning: scale %g is outside 0.2 to 5 and was limited\n", scale);
  }
  TPlanoraFMX doc;
  Load(doc, pos[0]);
  LoadData(doc, dataFile, shard);
  ApplyAsks(doc, asks);
  // Data given here, or linked by the drawing itself.
  const bool data = doc.GetDataSource() != nullptr;
  if (data) {
    if (page > doc.GetDataPages())
      Fail(QStringLiteral("--page %1: the %2 records of %3 fill %4 pages")
               .arg(page).arg(doc.GetRecordCount()).arg(Utils::QuoteForMessage(DataName(doc, dataFile))).arg(doc.GetDataPages()));
  }
  QStringList written;
  auto run = [&](const QString& out, int exportPage) {
    if (isSvg) {
      svg.Fit = exportPage == 0;
      SaveSvgFile(doc, out, svg);
    } else {
      doc.ExportDoc(type, out, exportPage, static_cast<float>(scale), -1, false, false, fit);
      QString error;
      if (!doc.WaitForExport(&error)) throw EPLNError(error);
    }
    written << QFileInfo(out).absoluteFilePath();
  };
  const bool everyPage = !fit && page < 0 && (allPages || data);
  if (everyPage && type == TORVExport::PDF && !isSvg) {
    // One document of every page the records fill.
    doc.OnExportPage = Progress;
    run(pos[1], -1);
  } else if (everyPage && allPages) {
    const int pages = doc.GetDataPages();
    for (int p = 1; p <= pages; ++p) {
      Progress(p, pages);
      doc.PrintInfo.CurrentPage = p;
      run(PageFile(pos[1], p), p);
    }
  } else {
    // --page selects a sheet; without it, --fit draws the extent and anything else page 1.
    const int exportPage = page > 0 ? page : (fit ? 0 : 1);
    if (page > 0) doc.PrintInfo.CurrentPage = page;
    run(pos[1], exportPage);
  }
  for (const QString& f : written) std::printf("%s\n", qPrintable(f));
  return 0;
}

int CmdPrint(const QStringList& args) {
  QStringList pos;
  QString printer, output, dataFile;
  TShardRange shard;
  bool list = false;
  QString calibrate;
  TAskArgs asks;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    auto value = [&](const char* name) {
      if (i + 1 >= args.size()) Fail(QStringLiteral("%1 needs a value").arg(QLatin1String(name)));
      return args[++i];
    };
    if (a == QLatin1String("--printer")) printer = value("--printer");
    else if (a == QLatin1String("--calibrate")) calibrate = value("--calibrate");
    else if (a == QLatin1String("--output")) output = value("--output");
    else if (a == QLatin1String("--data")) dataFile = value("--data");
    else if (a == QLatin1String("--list-printers")) list = true;
    else if (a == QLatin1String("--ask")) ParseAsk(value("--ask"), asks);
    else if (a == QLatin1String("--records") || a == QLatin1String("--pages")) {
      if (shard.IsSet()) Fail(QStringLiteral("give one of --records and --pages, once"));
      shard = ParseShard(a == QLatin1String("--records") ? "--records" : "--pages", value(qPrintable(a)));
    } else if (a.startsWith(QLatin1String("--")))
      Fail(QStringLiteral("unknown option %1").arg(Utils::QuoteForMessage(a)));
    else pos << a;
  }
  if (list) {
    const QStringList names = PrinterNames();
    if (names.isEmpty()) std::fprintf(stderr, "no printers\n");
    for (const QString& n : names) std::printf("%s\n", qPrintable(n));
    if (pos.isEmpty()) return 0;
  }
  if (!calibrate.isEmpty()) {
    if (printer.isEmpty() || !pos.isEmpty()) Fail(QStringLiteral("--calibrate X,Y takes --printer NAME and no drawing"));
    if (!PrinterNames().contains(printer)) {
      std::fprintf(stderr, "planora: no printer named %s (see planora print --list-printers)\n",
                   qPrintable(Utils::QuoteForMessage(printer)));
      return 1;
    }
    const QStringList xy = calibrate.split(QLatin1Char(','));
    bool okX = false, okY = false;
    const double x = xy.size() == 2 ? QLocale::c().toDouble(xy[0].trimmed(), &okX) : 0;
    const double y = xy.size() == 2 ? QLocale::c().toDouble(xy[1].trimmed(), &okY) : 0;
    if (!okX || !okY) Fail(QStringLiteral("--calibrate takes X,Y in millimetres, such as 1.5,-0.5"));
    SetPrintCalibration(printer, QPointF(x, y));
    std::printf("%s: pages move %s mm right, %s mm down\n", qPrintable(printer), qPrintable(Utils::FormatFloat(x, 2)),
                qPrintable(Utils::FormatFloat(y, 2)));
    return 0;
  }
  if (pos.size() != 1) Fail(QStringLiteral("print takes one drawing"));
  if (!printer.isEmpty() && !output.isEmpty()) Fail(QStringLiteral("--printer and --output exclude each other"));
  if (!output.isEmpty() && Ext(output) != QLatin1String("pdf"))
    Fail(QStringLiteral("%1: --output writes a PDF file (.pdf)").arg(output));
  TPlanoraFMX doc;
  Load(doc, pos[0]);
  LoadData(doc, dataFile, shard);
  ApplyAsks(doc, asks);
  // Every page the records fill, or the sheet's own pages.
  doc.PrintInfo.CurrentPage = 1;
  doc.PrintInfo.LastPage = doc.GetDataSource() ? doc.GetDataPages() : std::max(1, doc.PrintInfo.LastPage);
  if (!output.isEmpty()) {
    doc.PrintToFile = output;
    doc.PrintInfo.PrinterIndex = 0;
  } else if (!printer.isEmpty()) {
    if (!doc.SelectPrinter(printer)) {
      std::fprintf(stderr, "planora: no printer named %s (see planora print --list-printers)\n",
                   qPrintable(Utils::QuoteForMessage(printer)));
      return 1;
    }
  } else {
    if (PrinterNames().isEmpty())
      throw EPLNError(QStringLiteral("this machine has no printer; print into a PDF file with --output FILE.pdf"));
    doc.PrintInfo.PrinterIndex = 0;
  }
  doc.Print();
  if (!output.isEmpty()) std::printf("%s\n", qPrintable(QFileInfo(output).absoluteFilePath()));
  // Counters kept in the drawing moved on: the next print starts where this one stopped.
  if (doc.GetModified() && doc.HasContinuingCounters()) {
    doc.SaveToFile(pos[0], Ext(pos[0]) == QLatin1String("json") ? TORVExt::Json : TORVExt::Eti);
    QStringList next;
    for (int i = 1; i <= doc.GetCountersCount(); ++i)
      if (const TPLNCounter* c = doc.GetCounter(i); c->Continue) next << QStringLiteral("%1 at %2").arg(c->GetName()).arg(c->GetNext());
    std::printf("%s saved: counters continue %s\n", qPrintable(QFileInfo(pos[0]).fileName()), qPrintable(next.join(QStringLiteral(", "))));
  } else if (doc.HasContinuingCounters() && !doc.CountersFilePath().isEmpty()) {
    std::printf("counters kept in %s\n", qPrintable(QFileInfo(doc.CountersFilePath()).absoluteFilePath()));
  }
  return 0;
}

int CmdMap(const QStringList& args) {
  QStringList pos;
  QString lat, lon, address, provider, size, folder, key, tiles;
  int zoom = 15, layer = 1;
  bool center = false, scale = false, dropUnknown = false;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    auto value = [&](const char* name) {
      if (i + 1 >= args.size()) Fail(QStringLiteral("%1 needs a value").arg(QLatin1String(name)));
      return args[++i];
    };
    auto number = [&](const char* name, int lo, int hi) {
      bool ok = false;
      const int v = value(name).toInt(&ok);
      if (!ok || v < lo || v > hi) Fail(QStringLiteral("%1 takes a whole number from %2 to %3").arg(QLatin1String(name)).arg(lo).arg(hi));
      return v;
    };
    if (a == QLatin1String("--lat")) lat = value("--lat");
    else if (a == QLatin1String("--lon")) lon = value("--lon");
    else if (a == QLatin1String("--address")) address = value("--address");
    else if (a == QLatin1String("--zoom")) zoom = number("--zoom", TPLNMapping::kMinZoom, TPLNMapping::kMaxZoom);
    else if (a == QLatin1String("--provider")) provider = value("--provider");
    else if (a == QLatin1String("--layer")) layer = number("--layer", 1, 1000000);
    else if (a == QLatin1String("--size")) size = value("--size");
    else if (a == QLatin1String("--folder")) folder = value("--folder");
    else if (a == QLatin1String("--key")) key = value("--key");
    else if (a == QLatin1String("--tiles")) tiles = value("--tiles");
    else if (a == QLatin1String("--center")) center = true;
    else if (a == QLatin1String("--scale")) scale = true;
    else if (a == QLatin1String("--drop-unknown")) dropUnknown = true;
    else if (a.startsWith(QLatin1String("--")))
      Fail(QStringLiteral("unknown option %1").arg(Utils::QuoteForMessage(a)));
    else pos << a;
  }
  if (pos.size() != 2) Fail(QStringLiteral("map takes a drawing and the drawing to write"));
  const bool latLon = !lat.isEmpty() && !lon.isEmpty(), someLatLon = !lat.isEmpty() || !lon.isEmpty();
  if (address.isEmpty() ? !latLon : someLatLon)
    Fail(QStringLiteral("map needs --lat and --lon, or --address"));
  const QString outExt = QFileInfo(pos[1]).suffix();
  if (outExt != QLatin1String("eti") && outExt != QLatin1String("json"))
    Fail(QStringLiteral("%1: unknown drawing format (use .eti or .json)").arg(Utils::QuoteForMessage(pos[1])));
  int provIndex = TPLNMapping::OpenStreetMap;
  if (!provider.isEmpty()) {
    provIndex = TPLNMapping::ProviderFromKey(provider);
    if (TPLNMapping::ProviderKey(provIndex).compare(provider, Qt::CaseInsensitive) != 0)
      Fail(QStringLiteral("unknown map provider %1 (see planora --help)").arg(Utils::QuoteForMessage(provider)));
  }

  TPlanoraFMX doc;
  Load(doc, pos[0], false);
  ForSaving(doc, pos[0], dropUnknown);
  if (layer > doc.GetLayersCount())
    Fail(QStringLiteral("the drawing has %1 layers; there is no layer %2").arg(doc.GetLayersCount()).arg(layer));
  if (!folder.isEmpty()) doc.ImageFolder = folder;
  TPLNMapping& m = doc.Mapping();
  m.SetProvider(provIndex);
  m.SetShowCenter(center);
  if (!key.isEmpty()) m.SetApiKey(key);
  if (!tiles.isEmpty()) m.SetUrlTemplate(provIndex, tiles);
  if (TPLNMapping::NeedsKey(provIndex) && m.GetApiKey().isEmpty())
    Fail(QStringLiteral("%1 needs an API key (--key)").arg(TPLNMapping::ProviderName(provIndex)));

  // The label at 96 dpi, the size the map shows at on screen.
  int w = static_cast<int>(Utils::RoundHalfAway(doc.Measure().GetSize(TPLNMeasure::LabelWidth) * 96.0 / 25400.0));
  int h = static_cast<int>(Utils::RoundHalfAway(doc.Measure().GetSize(TPLNMeasure::LabelHeight) * 96.0 / 25400.0));
  if (!size.isEmpty()) {
    const QStringList wh = size.toLower().split(QLatin1Char('x'));
    bool ok1 = false, ok2 = false;
    if (wh.size() == 2) {
      w = wh[0].toInt(&ok1);
      h = wh[1].toInt(&ok2);
    }
    if (!ok1 || !ok2) Fail(QStringLiteral("--size takes WIDTHxHEIGHT in pixels, such as 1024x768"));
  }
  if (!address.isEmpty()) {
    double la = 0, lo = 0;
    if (!doc.GeocodingFromNominatim(address, la, lo))
      throw EPLNError(QStringLiteral("no place found for \"%1\"").arg(Utils::QuoteForMessage(address)));
    lat = QString::number(la, 'f', 6);
    lon = QString::number(lo, 'f', 6);
  }
  doc.ComposeImage(lat, lon, zoom, w, h);
  QString error;
  if (!doc.WaitForCompose(&error)) throw EPLNError(error);
  doc.UseMapOnLayer(layer);
  if (scale) doc.Mapping().ApplyScale(doc);
  doc.SaveToFile(pos[1], outExt == QLatin1String("eti") ? TORVExt::Eti : TORVExt::Json);
  std::printf("%s\n%s\n", qPrintable(QFileInfo(doc.Mapping().GetFileName()).absoluteFilePath()),
              qPrintable(QFileInfo(pos[1]).absoluteFilePath()));
  return 0;
}

int CmdConvert(const QStringList& all) {
  QStringList args;
  bool dropUnknown = false;
  for (const QString& a : all) {
    if (a == QLatin1String("--drop-unknown")) dropUnknown = true;
    else if (a.startsWith(QLatin1String("--")))
      Fail(QStringLiteral("unknown option %1").arg(Utils::QuoteForMessage(a)));
    else args << a;
  }
  if (args.size() != 2) Fail(QStringLiteral("convert takes an input and an output drawing"));
  const QString ext = QFileInfo(args[1]).suffix();
  TORVExt out;
  if (ext == QLatin1String("eti")) out = TORVExt::Eti;
  else if (ext == QLatin1String("json")) out = TORVExt::Json;
  else Fail(QStringLiteral("%1: unknown drawing format (use .eti or .json)").arg(Utils::QuoteForMessage(args[1])));
  TPlanoraFMX doc;
  Load(doc, args[0], false);
  ForSaving(doc, args[0], dropUnknown);
  doc.SaveToFile(args[1], out);
  std::printf("%s\n", qPrintable(QFileInfo(args[1]).absoluteFilePath()));
  return 0;
}

// ---- diagrams from text

// The text of IN, or of standard input for "-"; refuses what is too large to be a diagram.
QString ReadDiagramText(const QString& in) {
  constexpr qint64 kMaxText = 64 * 1024 * 1024;
  QFile f;
  if (in == QLatin1String("-")) {
    if (!f.open(stdin, QIODevice::ReadOnly)) throw EPLNError(QStringLiteral("cannot read standard input"));
  } else {
    f.setFileName(in);
    if (!QFileInfo::exists(in)) Fail(QStringLiteral("%1: no such file").arg(Utils::QuoteForMessage(in)));
    if (!f.open(QIODevice::ReadOnly))
      throw EPLNError(QStringLiteral("%1: cannot be read: %2").arg(Utils::QuoteForMessage(in), f.errorString()));
  }
  const QByteArray bytes = f.read(kMaxText + 1);
  if (bytes.size() > kMaxText)
    throw EPLNError(QStringLiteral("%1: larger than 64 MB; not a diagram text").arg(Utils::QuoteForMessage(in)));
  return QString::fromUtf8(bytes);
}

int CmdImport(const QStringList& args) {
  QStringList pos;
  Diagram::TORVDiagramFormat format = Diagram::TORVDiagramFormat::Auto;
  bool arrows = true, strict = false;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QLatin1String("--format")) {
      if (i + 1 >= args.size()) Fail(QStringLiteral("--format needs a value"));
      const QString f = args[++i].toLower();
      if (f == QLatin1String("mermaid")) format = Diagram::TORVDiagramFormat::Mermaid;
      else if (f == QLatin1String("plantuml")) format = Diagram::TORVDiagramFormat::PlantUML;
      else if (f != QLatin1String("auto"))
        Fail(QStringLiteral("--format takes auto, mermaid or plantuml, not %1").arg(Utils::QuoteForMessage(args[i])));
    } else if (a == QLatin1String("--no-arrows")) {
      arrows = false;
    } else if (a == QLatin1String("--strict")) {
      strict = true;
    } else if (a.startsWith(QLatin1String("--"))) {
      Fail(QStringLiteral("unknown option %1").arg(Utils::QuoteForMessage(a)));
    } else {
      pos << a;
    }
  }
  if (pos.size() != 2) Fail(QStringLiteral("import takes a text file (or -) and an output file"));
  const QString out = pos[1], ext = Ext(out);
  TORVExport type{};
  const bool drawing = ext == QLatin1String("eti") || ext == QLatin1String("json");
  if (!drawing && !ExportTypeOfFile(out, &type))
    Fail(QStringLiteral("%1: unknown output format (use .eti, .json, .pdf, .xps, .png, .jpg, .bmp or .gif)")
             .arg(Utils::QuoteForMessage(out)));

  const QString text = ReadDiagramText(pos[0]);
  const QString name = pos[0] == QLatin1String("-") ? QStringLiteral("<stdin>") : pos[0];
  TPlanoraFMX doc;
  std::vector<Diagram::TORVDiagDiagnostic> diagnostics;
  const bool loaded = TPLNFactory::LoadDiagram(&doc, text, format, arrows, &diagnostics, strict);
  for (const auto& d : diagnostics) {
    // Line 0 is about the text as a whole.
    const QString where = d.Line > 0 ? QStringLiteral("%1:%2").arg(name).arg(d.Line) : name;
    std::fprintf(stderr, "%s: %s: %s\n", qPrintable(where), qPrintable(Diagram::SeverityName(d.Severity)),
                 qPrintable(d.Message));
  }
  if (!loaded) {
    std::fprintf(stderr, "%s: error: no drawing made; nothing written\n", qPrintable(name));
    return 1;
  }
  if (drawing) {
    doc.SaveToFile(out, ext == QLatin1String("eti") ? TORVExt::Eti : TORVExt::Json);
  } else {
    doc.ExportDoc(type, out, 1, 1.0f, -1, false, false, false);
    QString error;
    if (!doc.WaitForExport(&error)) throw EPLNError(error);
  }
  std::printf("%s\n", qPrintable(QFileInfo(out).absoluteFilePath()));
  return 0;
}

// SIGTERM and SIGINT end the mcp command through the event loop, so the drawing is still saved.
int gStopPipe[2] = {-1, -1};
void OnStopSignal(int) {
  const char c = 1;
  [[maybe_unused]] const ssize_t n = ::write(gStopPipe[1], &c, 1);
}

int CmdMcp(const QStringList& args) {
  QString file;
  bool saveOnExit = false, dropUnknown = false;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--document")) {
      if (i + 1 >= args.size()) Fail(QStringLiteral("--document needs a file"));
      file = args[++i];
    } else if (args[i] == QLatin1String("--save-on-exit")) {
      saveOnExit = true;
    } else if (args[i] == QLatin1String("--drop-unknown")) {
      dropUnknown = true;
    } else {
      Fail(QStringLiteral("unknown argument %1 for mcp (see planora --help)").arg(Utils::QuoteForMessage(args[i])));
    }
  }
  if (saveOnExit && file.isEmpty()) Fail(QStringLiteral("--save-on-exit needs --document FILE"));
  const QString ext = QFileInfo(file).suffix();
  if (!file.isEmpty() && ext != QLatin1String("eti") && ext != QLatin1String("json"))
    Fail(QStringLiteral("%1: not a drawing (expected a .eti or .json file)").arg(Utils::QuoteForMessage(file)));
  TPlanoraFMX doc;
  if (!file.isEmpty() && QFileInfo::exists(file)) {
    Load(doc, file, !saveOnExit);
    if (saveOnExit) ForSaving(doc, file, dropUnknown);
  }
  TPLNMCPServer server(&doc);
  ORVMCPRegisterDefaultTools(&server);
  QObject::connect(&server, &TPLNMCPServer::InputClosed, qApp, &QCoreApplication::quit);
  if (::pipe(gStopPipe) != 0) throw EPLNError(QStringLiteral("cannot set up signal handling"));
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGINT, &sa, nullptr);
  QSocketNotifier stop(gStopPipe[0], QSocketNotifier::Read);
  QObject::connect(&stop, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
  server.ServeStdio();
  std::fprintf(stderr, "planora mcp: serving %d tools%s%s\n", server.ToolCount(),
               file.isEmpty() ? "" : " on ", qPrintable(file));
  QCoreApplication::exec();
  server.Stop();
  if (saveOnExit) {
    doc.SaveToFile(file, ext == QLatin1String("eti") ? TORVExt::Eti : TORVExt::Json);
    std::fprintf(stderr, "planora mcp: saved %s\n", qPrintable(QFileInfo(file).absoluteFilePath()));
  }
  return 0;
}

// ---- symbol libraries

// The definitions of IN as a library; every problem is collected so one run names them all.
int CmdLibraryBuild(const QString& in, const QString& out) {
  if (Ext(out) != QLatin1String("lyp"))
    Fail(QStringLiteral("%1: a symbol library is a .lyp file").arg(Utils::QuoteForMessage(out)));
  QFile f(in);
  if (!QFileInfo::exists(in)) Fail(QStringLiteral("%1: no such file").arg(Utils::QuoteForMessage(in)));
  if (!f.open(QIODevice::ReadOnly))
    throw EPLNError(QStringLiteral("%1: cannot be read: %2").arg(Utils::QuoteForMessage(in), f.errorString()));
  QJsonParseError perr{};
  const QJsonDocument json = QJsonDocument::fromJson(f.readAll(), &perr);
  const QString file = Utils::QuoteForMessage(in);
  if (perr.error != QJsonParseError::NoError)
    throw EPLNError(QStringLiteral("%1: not JSON: %2 at byte %3").arg(file, perr.errorString()).arg(perr.offset));
  const QJsonValue list = json.object().value(QLatin1String("symbols"));
  if (!json.isObject() || !list.isArray() || list.toArray().isEmpty())
    throw EPLNError(QStringLiteral("%1: expected {\"symbols\": [...]} with at least one symbol").arg(file));

  Symbol::TPLNLibrary lib;
  QStringList errors;
  int n = 0;
  for (const QJsonValue& v : list.toArray()) {
    ++n;
    const QJsonObject o = v.toObject();
    const QString name = o.value(QLatin1String("name")).toString().trimmed();
    const QString what = name.isEmpty() ? QStringLiteral("symbol %1").arg(n)
                                        : QStringLiteral("symbol %1 (\"%2\")").arg(n).arg(Utils::QuoteForMessage(name));
    if (!v.isObject() || name.isEmpty()) {
      errors << QStringLiteral("%1: not an object with a name").arg(what);
      continue;
    }
    if (lib.FindByName(name)) errors << QStringLiteral("%1: the name is taken by an earlier symbol").arg(what);
    const QString units = o.value(QLatin1String("units")).toString(QStringLiteral("mm")).trimmed().toLower();
    if (Mcp::UnitsText(Mcp::UnitsOf(units)) != units)
      errors << QStringLiteral("%1: unknown units \"%2\"").arg(what, Utils::QuoteForMessage(units));
    const QJsonArray commands = o.value(QLatin1String("commands")).toArray();
    Symbol::TPLNLibSymbol* s =
        lib.AddSymbol(name, o.value(QLatin1String("category")).toString(), o.value(QLatin1String("note")).toString(),
                      Mcp::UnitsOf(units), o.value(QLatin1String("insert_x")).toDouble(0),
                      o.value(QLatin1String("insert_y")).toDouble(0));
    // One command at a time, so the ones that add nothing can be named.
    int applied = 0;
    for (int i = 0; i < commands.size(); ++i) {
      if (Mcp::RunCommands(*s, QJsonArray{commands[i]}) > 0) {
        ++applied;
        continue;
      }
      const QString type = commands[i].toObject().value(QLatin1String("type")).toString();
      std::fprintf(stderr, "planora: warning: %s: %s, command %d%s was not applied\n", qPrintable(file), qPrintable(what),
                   i + 1, type.isEmpty() ? "" : qPrintable(QStringLiteral(" (\"%1\")").arg(Utils::QuoteForMessage(type))));
    }
    if (applied == 0) errors << QStringLiteral("%1: no usable drawing command").arg(what);
  }
  if (!errors.isEmpty()) {
    for (const QString& e : errors) std::fprintf(stderr, "planora: %s: %s\n", qPrintable(file), qPrintable(e));
    std::fprintf(stderr, "planora: %s: nothing written\n", qPrintable(Utils::QuoteForMessage(out)));
    return 1;
  }
  lib.SaveToFile(out);
  std::printf("%s: %d symbols in %d categories\n", qPrintable(QFileInfo(out).absoluteFilePath()),
              static_cast<int>(lib.Symbols.size()), static_cast<int>(lib.Categories().size()));
  return 0;
}

QString Millimetres(std::int64_t base) { return Utils::FormatFloat(base / 1000.0, 2); }

int CmdLibraryList(const QString& in) {
  if (!QFileInfo::exists(in)) Fail(QStringLiteral("%1: no such file").arg(Utils::QuoteForMessage(in)));
  Symbol::TPLNLibrary lib;
  lib.LoadFromFile(in);
  QTextStream out(stdout);
  for (const auto& s : lib.Symbols) {
    const TORVBounds b = s->Bounds();
    const QString size = b.IsEmpty() ? QStringLiteral("empty")
                                     : QStringLiteral("%1 x %2 mm").arg(Millimetres(b.X2 - b.X1), Millimetres(b.Y2 - b.Y1));
    QStringList links;
    for (const TORVPto& p : s->Links()) links << QStringLiteral("(%1, %2)").arg(Millimetres(p.X), Millimetres(p.Y));
    out << s->Name << '\t' << s->Category << '\t' << size << '\t' << links.size() << (links.size() == 1 ? " link point" : " link points")
        << (links.isEmpty() ? QString() : QStringLiteral(": ") + links.join(QLatin1Char(' '))) << '\n';
  }
  out.flush();
  std::fprintf(stderr, "%d symbols\n", static_cast<int>(lib.Symbols.size()));
  return 0;
}

int CmdLibrary(const QStringList& args) {
  const QString sub = args.value(0);
  if (sub == QLatin1String("build")) {
    if (args.size() != 3) Fail(QStringLiteral("library build takes a definitions file (.json) and a library file (.lyp)"));
    return CmdLibraryBuild(args[1], args[2]);
  }
  if (sub == QLatin1String("list")) {
    if (args.size() != 2) Fail(QStringLiteral("library list takes one library file (.lyp)"));
    return CmdLibraryList(args[1]);
  }
  Fail(QStringLiteral("library takes build or list (see planora --help)"));
  return 2;
}

QString MM(std::int64_t base) { return Utils::FormatFloat(base / 1000.0, 2) + QStringLiteral(" mm"); }

int CmdSheets(const QStringList& args) {
  const TORVSheetCatalog& c = TORVSheetCatalog::Builtin();
  const std::vector<int> hits = c.Search(args.join(QLatin1Char(' ')));
  for (int i : hits) {
    const TORVSheet& s = c.Sheet(i);
    std::printf("%s\t%s\t%s\n", qPrintable(s.Name()), qPrintable(s.Summary()), qPrintable(s.Description));
  }
  if (hits.empty()) {
    std::fprintf(stderr, "planora: no label sheet matches %s\n", qPrintable(Utils::QuoteForMessage(args.join(QLatin1Char(' ')))));
    return 1;
  }
  return 0;
}

int CmdInfo(const QStringList& args) {
  QStringList pos;
  QString dataFile;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--data")) {
      if (i + 1 >= args.size()) Fail(QStringLiteral("--data needs a value"));
      dataFile = args[++i];
    } else if (args[i].startsWith(QLatin1String("--"))) {
      Fail(QStringLiteral("unknown option %1").arg(Utils::QuoteForMessage(args[i])));
    } else {
      pos << args[i];
    }
  }
  if (pos.size() != 1) Fail(QStringLiteral("info takes one drawing"));
  TPlanoraFMX doc;
  Load(doc, pos[0]);
  LoadData(doc, dataFile, {});
  const TPLNMeasure& m = doc.Measure();
  static const char* modes[] = {"labelling", "flowchart", "drawing", "interactive"};
  QTextStream out(stdout);
  out << "File:        " << QFileInfo(pos[0]).fileName() << " (version " << doc.GetFileVersion() << ")\n";
  if (!doc.Title.isEmpty()) out << "Title:       " << doc.Title << "\n";
  out << "Mode:        " << modes[doc.GetEditorMode() & 3] << "\n";
  out << "Units:       " << Utils::UnitName(doc.GetUnits()) << "\n";
  out << "Paper:       " << MM(m.GetSize(TPLNMeasure::PaperWidth)) << " x " << MM(m.GetSize(TPLNMeasure::PaperHeight))
      << (m.IsLandscape() ? " (landscape)" : " (portrait)") << "\n";
  out << "Labels:      " << m.Columns << " x " << m.Rows << " of " << MM(m.GetSize(TPLNMeasure::LabelWidth)) << " x "
      << MM(m.GetSize(TPLNMeasure::LabelHeight)) << "\n";
  out << "Margins:     left " << MM(m.GetSize(TPLNMeasure::LeftMargin)) << ", top "
      << MM(m.GetSize(TPLNMeasure::TopMargin)) << "; gaps " << MM(m.GetSize(TPLNMeasure::HorzGap)) << " x "
      << MM(m.GetSize(TPLNMeasure::VertGap)) << "\n";
  out << "Scale:       1:" << m.DrawScale << "\n";
  out << "Layers:      " << doc.GetLayersCount() << "\n";
  for (int i = 1; i <= doc.GetLayersCount(); ++i) {
    const TPLNLayer* l = doc.GetLayer(i);
    int n = 0;
    for (int k = 1; k <= doc.GetItemsCount(); ++k) n += doc.GetItem(k)->GetLayer() == l;
    out << "  " << i << ". " << l->Name << " (" << n << " items"
        << (l->HasOption(Opt::Visible) ? "" : ", hidden") << (l->HasOption(Opt::Print) ? "" : ", not printed") << ")";
    if (l->HasOption(Opt::MapBackground))
      out << ", map " << TPLNMapping::ProviderName(l->MapProvider) << " at " << QString::number(l->MapLatitude, 'f', 6)
          << ", " << QString::number(l->MapLongitude, 'f', 6) << " zoom " << l->MapZoom;
    if (!l->BackImageFile.isEmpty()) out << (i == doc.GetBackLayer() ? ", background " : ", picture ") << l->BackImageFile;
    out << "\n";
  }
  out << "Items:       " << doc.GetItemsCount() << "\n";
  QMap<QString, int> kinds;
  for (int k = 1; k <= doc.GetItemsCount(); ++k) kinds[doc.GetItem(k)->KindName()]++;
  for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) out << "  " << it.key() << ": " << it.value() << "\n";
  const TORVBounds b = doc.CheckFit();
  if (!b.IsEmpty())
    out << "Extent:      " << MM(b.X1) << ", " << MM(b.Y1) << " to " << MM(b.X2) << ", " << MM(b.Y2) << "\n";
  const TPLNData& dataSettings = doc.DataSettings();
  if (!dataSettings.Asks.empty()) {
    out << "Asks:        " << dataSettings.Asks.size() << " (give each with --ask NAME=VALUE)\n";
    for (const TPLNAskValue& a : dataSettings.Asks) {
      out << "  " << a.Name << ": " << AskKindName(a.Kind);
      if (a.Kind == TORVAskKind::Date) out << " " << a.DateFormat();
      if (a.Kind == TORVAskKind::List) {
        if (a.ListSource == TORVListSource::Design) out << " of " << a.List.join(QStringLiteral(", "));
        else if (a.ListSource == TORVListSource::File) out << " from the file " << a.ListFile;
        else out << " given by the application";
      }
      if (!a.Prompt.isEmpty()) out << ", \"" << a.Prompt << "\"";
      if (!a.Default.isEmpty()) out << ", default " << a.Default;
      out << "\n";
    }
  }
  for (int i = 1; i <= doc.GetCountersCount(); ++i)
    if (const TPLNCounter* c = doc.GetCounter(i); c->Continue)
      out << "Counter:     " << c->GetName() << " continues at " << c->StartNumber()
          << (dataSettings.CountersFile.isEmpty() ? QString() : QStringLiteral(" (or as %1 says)").arg(dataSettings.CountersFile)) << "\n";
  if (doc.GetDataSource())
    out << "Data:        " << doc.GetRecordCount() << " records on " << doc.GetDataPages() << " pages of "
        << doc.LabelsPerPage(2) << " labels (" << doc.LabelsPerPage(1) << " on page 1)\n";
  return 0;
}

// Errors reach the user as one line of our own; Qt's notes on the environment (no runtime
// directory, font substitutions) would only bury it. Set PLANORA_QT_MESSAGES to see them.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "planora: %s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char** argv) {
  // Headless by default: fonts and rendering work without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("PLANORA_QT_MESSAGES")) qInstallMessageHandler(QuietQtMessages);
  QGuiApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h") ||
      args[0] == QLatin1String("help")) {
    std::fputs(kUsage, args.isEmpty() ? stderr : stdout);
    return args.isEmpty() ? 2 : 0;
  }
  const QString cmd = args.takeFirst();
  // Ended by Ctrl+C or a kill, an export leaves no temporary file (mcp sets its own handlers).
  RemoveExportFilesOnSignal();
  try {
    if (cmd == QLatin1String("export")) return CmdExport(args);
    if (cmd == QLatin1String("print")) return CmdPrint(args);
    if (cmd == QLatin1String("convert")) return CmdConvert(args);
    if (cmd == QLatin1String("map")) return CmdMap(args);
    if (cmd == QLatin1String("info")) return CmdInfo(args);
    if (cmd == QLatin1String("sheets")) return CmdSheets(args);
    if (cmd == QLatin1String("import")) return CmdImport(args);
    if (cmd == QLatin1String("mcp")) return CmdMcp(args);
    if (cmd == QLatin1String("library")) return CmdLibrary(args);
    Fail(QStringLiteral("unknown command %1 (see planora --help)").arg(Utils::QuoteForMessage(cmd)));
  } catch (const EUsage& e) {
    std::fprintf(stderr, "planora: %s\n", e.what());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "planora: %s\n", e.what());
    return 1;
  }
  return 0;
}
