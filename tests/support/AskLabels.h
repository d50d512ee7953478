// A small label sheet that asks for values when it is printed: a batch number, a best-before
// date, a lot chosen from a list and a copies count, with a counter numbering the labels. Shared
// by the data, print, command-line and dialog tests.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#if __has_include(<QPdfDocument>)
#include <QPdfDocument>
#define PLANORA_ASK_PDF 1
#endif

namespace PlanoraTest::Ask {

// A4 portrait, 2 columns x 2 rows of 90 x 60 mm labels; texts bound to "Batch", "Best", "Lot"
// and the counter "Serial" (S0001 onwards). `extraAsks` and `counter` are JSON put into "Ask"
// and the counter object.
inline QByteArray SheetJson(const QString& extraAsks = {}, const QString& counterExtra = {}, const QString& dataExtra = {}) {
  auto text = [](int id, int y, const char* field) {
    return QStringLiteral(R"({"Type": 10, "ID": %1, "Name": "%3", "Layer": 1, "Color": "#FF000000", "PenWidth": 0,
      "LineType": 0, "Options": 15, "Points": [[5000, %2], [5000, %2]], "Text": "%3", "FontName": "Arial",
      "FontHeight": 4000, "FontColor": "#FF000000", "FillType": 1, "FillName": "%3"})")
        .arg(id).arg(y).arg(QLatin1String(field));
  };
  QString asks = QStringLiteral(R"({"Name": "Batch", "Kind": "text", "Prompt": "Batch number"},
      {"Name": "Best", "Kind": "date", "Format": "dd/MM/yyyy", "Default": "01/01/2027"},
      {"Name": "Lot", "Kind": "list", "List": ["North", "South"]})");
  if (!extraAsks.isEmpty()) asks += QStringLiteral(",") + extraAsks;
  const QString json = QStringLiteral(R"({"Version": 3203, "Units": "mm", "EditorMode": 0,
    "Measure": {"PaperWidth": 210000, "PaperHeight": 297000, "LabelWidth": 90000, "LabelHeight": 60000,
      "LeftMargin": 10000, "TopMargin": 10000, "HorzGap": 5000, "VertGap": 5000, "Rows": 2, "Columns": 2,
      "LabelName": "ask", "DrawScale": 1},
    "Layers": [{"Name": "Label"}],
    "Counters": [{"Name": "Serial", "From": 1, "To": 9999, "Step": 1, "TextBefore": "S", "Format": "0000" %1}],
    "Data": {"Ask": [%2] %3},
    "Items": [%4, %5, %6, %7]})")
                           .arg(counterExtra, asks, dataExtra, text(1, 8000, "Batch"), text(2, 18000, "Best"),
                                text(3, 28000, "Lot"), text(4, 38000, "Serial"));
  return json.toUtf8();
}

#ifdef PLANORA_ASK_PDF
// The text of every page of a PDF, page after page; empty when it cannot be read.
inline QStringList PdfTexts(const QString& path) {
  QPdfDocument pdf;
  QStringList pages;
  if (pdf.load(path) != QPdfDocument::Error::None) return pages;
  for (int i = 0; i < pdf.pageCount(); ++i) pages << pdf.getAllText(i).text();
  return pages;
}
#endif

}  // namespace PlanoraTest::Ask
