// Reading exported SVG back: rasterised by rsvg-convert and by QtSvg, and parsed as XML.
#pragma once

#include <QFile>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QProcess>
#include <QStringList>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include "PlanoraTestSupport.h"

namespace PlanoraTest {

// rsvg-convert's picture of `svg` at `dpi`, on white; null (and a failure) when it refused.
inline QImage RsvgRaster(const QByteArray& svg, const QString& name, double dpi) {
  const QString in = TmpPath(name + ".svg"), out = TmpPath(name + ".rsvg.png");
  WriteAll(in, svg);
  QFile::remove(out);
  QProcess p;
  p.start("rsvg-convert", {"-b", "white", "-d", QString::number(dpi), "-p", QString::number(dpi), "-o", out, in});
  if (!p.waitForFinished(120000) || p.exitCode() != 0) {
    ADD_FAILURE() << "rsvg-convert failed on " << in.toStdString() << ": " << p.readAllStandardError().toStdString()
                  << (p.error() == QProcess::FailedToStart ? " (not installed? run scripts/install-deps)" : "");
    return {};
  }
  return QImage(out).convertToFormat(QImage::Format_RGB32);
}

// QtSvg's picture of `svg` stretched over `size` pixels, on white.
inline QImage QtSvgRaster(const QByteArray& svg, QSize size) {
  QSvgRenderer renderer(svg);
  EXPECT_TRUE(renderer.isValid()) << "QtSvg cannot read the document";
  QImage img(size, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
  p.end();
  return img;
}

// One element of a parsed document: its name, attributes and text.
struct TSvgElement {
  QString Name;
  QMap<QString, QString> Attrs;
  QString Text;
};

// Every element in document order; a failure when the XML does not parse.
inline std::vector<TSvgElement> SvgElements(const QByteArray& svg) {
  std::vector<TSvgElement> out;
  std::vector<std::size_t> open;
  QXmlStreamReader xml(svg);
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      TSvgElement e;
      e.Name = xml.name().toString();
      for (const QXmlStreamAttribute& a : xml.attributes()) e.Attrs.insert(a.qualifiedName().toString(), a.value().toString());
      open.push_back(out.size());
      out.push_back(e);
    } else if (xml.isCharacters() && !open.empty()) {
      out[open.back()].Text += xml.text().toString();
    } else if (xml.isEndElement()) {
      open.pop_back();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line " << xml.lineNumber();
  return out;
}

// The ids of the "item-..." groups, in order.
inline QStringList ItemIds(const QByteArray& svg) {
  QStringList ids;
  for (const TSvgElement& e : SvgElements(svg))
    if (e.Name == QLatin1String("g") && e.Attrs.value("id").startsWith(QLatin1String("item-"))) ids << e.Attrs.value("id");
  return ids;
}

}  // namespace PlanoraTest
