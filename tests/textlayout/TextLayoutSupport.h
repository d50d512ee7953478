// Shared by the text layout suites: a calibrated font and readers of laid-out lines.
#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include "ORV.FMX.Calc.h"

namespace TextLayoutTest {

using namespace Orv;
using namespace Orv::Fmx;

struct TMetrics {
  std::int64_t Asc = 0, Des = 0, Und = 0, Lh = 0;
  double Ratio = 0;
};

inline TMetrics Settle(const QString& family = QStringLiteral("DejaVu Sans"), std::int64_t height = 4000,
                       bool bold = false, bool italic = false) {
  TMetrics m;
  TPLNCalc::FontSettings(family, height, bold, italic, m.Asc, m.Des, m.Und, m.Lh, m.Ratio);
  return m;
}

template <class Lines>
QString LineText(const QString& text, const Lines& lines, std::size_t k) {
  return text.mid(lines[k].Start - 1, lines[k].Count);
}

// What a line shows: its characters without the line break and the spaces left behind by a
// wrapped word (a line of spaces alone keeps them).
inline QString Shown(QString s) {
  while (!s.isEmpty() && (s.back() == QChar(13) || s.back() == QChar(10))) s.chop(1);
  const QString trimmed = QString(s).remove(QRegularExpression(QStringLiteral(" +$")));
  return trimmed.isEmpty() ? s : trimmed;
}

template <class Lines>
QStringList Shown(const QString& text, const Lines& lines) {
  QStringList out;
  for (std::size_t k = 0; k < lines.size(); ++k) out << Shown(LineText(text, lines, k));
  return out;
}

// Lines cover the text from its start without gaps or overlaps, and never split a surrogate pair.
template <class Lines>
void ExpectContiguous(const QString& text, const Lines& lines) {
  QString joined;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    ASSERT_EQ(lines[k].Start - 1, joined.size()) << "line " << k;
    ASSERT_GE(lines[k].Count, 0);
    if (lines[k].Start - 1 < text.size()) {
      EXPECT_FALSE(text[lines[k].Start - 1].isLowSurrogate()) << "line " << k;
    }
    joined += LineText(text, lines, k);
  }
  EXPECT_EQ(joined, text);
}

}  // namespace TextLayoutTest
