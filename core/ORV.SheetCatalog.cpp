#include "ORV.SheetCatalog.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include "ORV.BinaryIO.h"
#include "ORV.Utils.h"

static void InitSheetResources() { Q_INIT_RESOURCE(sheets); }

namespace Orv {

namespace {

// One CSV line into fields: commas separate, double quotes enclose, "" is a quote.
QStringList SplitCsv(const QString& line) {
  QStringList out;
  QString cur;
  bool quoted = false;
  for (int i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (quoted) {
      if (c == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
        cur += c;
        ++i;
      } else if (c == QLatin1Char('"')) {
        quoted = false;
      } else {
        cur += c;
      }
    } else if (c == QLatin1Char('"')) {
      quoted = true;
    } else if (c == QLatin1Char(',')) {
      out << cur;
      cur.clear();
    } else {
      cur += c;
    }
  }
  out << cur;
  return out;
}

QString Mm(double v) {
  QString t = Utils::FormatFloat(v, 2);
  while (t.contains(QLatin1Char('.')) && (t.endsWith(QLatin1Char('0')) || t.endsWith(QLatin1Char('.')))) t.chop(1);
  return t;
}

}  // namespace

QString TORVSheet::Summary() const {
  return QStringLiteral("%1 x %2 mm, %3 x %4 on %5").arg(Mm(LabelWidth), Mm(LabelHeight)).arg(Columns).arg(Rows).arg(Paper);
}

void TORVSheetCatalog::Read(const QByteArray& csv) {
  std::vector<TORVSheet> sheets;
  std::vector<QString> keys;
  const QList<QByteArray> lines = csv.split('\n');
  bool header = true;
  const QLocale c = QLocale::c();
  for (int n = 0; n < lines.size(); ++n) {
    const QString line = QString::fromUtf8(lines[n]).trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    if (header) {
      header = false;
      if (!line.startsWith(QLatin1String("brand,"))) throw EPLNError(QStringLiteral("Label sheet catalogue: no header line"));
      continue;
    }
    const QStringList f = SplitCsv(line);
    bool ok = f.size() == 16;
    auto num = [&](int i) {
      bool good = false;
      const double v = ok ? c.toDouble(f[i], &good) : 0;
      ok = ok && good && std::isfinite(v);
      return v;
    };
    TORVSheet s;
    if (ok) {
      s.Brand = f[0];
      s.Part = f[1];
      s.Description = f[2];
      s.Paper = f[3];
      s.Shape = f[14];
    }
    s.PaperWidth = num(4);
    s.PaperHeight = num(5);
    s.LabelWidth = num(6);
    s.LabelHeight = num(7);
    s.Columns = int(num(8));
    s.Rows = int(num(9));
    s.Left = num(10);
    s.Top = num(11);
    s.PitchX = num(12);
    s.PitchY = num(13);
    s.Corner = num(15);
    if (!ok || s.LabelWidth <= 0 || s.LabelHeight <= 0 || s.Columns < 1 || s.Rows < 1 || s.PaperWidth <= 0 || s.PaperHeight <= 0)
      throw EPLNError(QStringLiteral("Label sheet catalogue: line %1 cannot be read").arg(n + 1));
    keys.push_back(QStringLiteral("%1 %2 %3 %4 %5x%6 %7x%8").arg(s.Brand, s.Part, s.Description, s.Paper, Mm(s.LabelWidth),
                                                                  Mm(s.LabelHeight)).arg(s.Columns).arg(s.Rows).toLower());
    sheets.push_back(std::move(s));
  }
  fSheets = std::move(sheets);
  fKeys = std::move(keys);
}

const TORVSheetCatalog& TORVSheetCatalog::Builtin() {
  static const TORVSheetCatalog catalog = [] {
    InitSheetResources();
    TORVSheetCatalog c;
    QFile f(QStringLiteral(":/planora/label-sheets.csv"));
    // Built into the library: a read failure is a broken build, and an empty catalogue says so.
    if (f.open(QIODevice::ReadOnly)) c.Read(f.readAll());
    return c;
  }();
  return catalog;
}

std::vector<int> TORVSheetCatalog::Search(const QString& text, int limit) const {
  // "70 x 37" and "70x37" are the same size.
  QString t = text.toLower();
  t.replace(QRegularExpression(QStringLiteral("\\s*[x×]\\s*")), QStringLiteral("x"));
  const QStringList words = t.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  std::vector<int> out;
  for (std::size_t i = 0; i < fKeys.size(); ++i) {
    bool all = true;
    for (const QString& w : words)
      if (!fKeys[i].contains(w)) {
        all = false;
        break;
      }
    if (!all) continue;
    out.push_back(static_cast<int>(i));
    if (limit >= 0 && static_cast<int>(out.size()) >= limit) break;
  }
  return out;
}

void TORVSheetCatalog::ApplyTo(const TORVSheet& s, TPLNMeasure& m) {
  auto base = [](double mm) { return Utils::RoundHalfAway(mm * 1000.0); };
  m.Sizes[TPLNMeasure::PaperWidth] = base(s.PaperWidth);
  m.Sizes[TPLNMeasure::PaperHeight] = base(s.PaperHeight);
  m.Sizes[TPLNMeasure::LabelWidth] = base(s.LabelWidth);
  m.Sizes[TPLNMeasure::LabelHeight] = base(s.LabelHeight);
  m.Sizes[TPLNMeasure::LeftMargin] = std::max<std::int64_t>(0, base(s.Left));
  m.Sizes[TPLNMeasure::TopMargin] = std::max<std::int64_t>(0, base(s.Top));
  m.Sizes[TPLNMeasure::HorzGap] = std::max<std::int64_t>(0, base(s.PitchX - s.LabelWidth));
  m.Sizes[TPLNMeasure::VertGap] = std::max<std::int64_t>(0, base(s.PitchY - s.LabelHeight));
  m.Columns = s.Columns;
  m.Rows = s.Rows;
  m.LabelName = s.Name();
}

}  // namespace Orv
