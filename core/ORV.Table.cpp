#include "ORV.Table.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

#include "ORV.Data.h"
#include "ORV.Json.h"
#include "ORV.Text.h"
#include "ORV.Utils.h"

namespace Orv::F2d {

using Text::CheckInt;
using Text::kMaxLength;

// ---------------------------------------------------------------- aggregates

QString FooterName(TORVFooter f) {
  static const char* const names[kFooterKinds] = {"none", "count", "min", "max", "sum", "mean", "median", "variance",
                                                  "stddev"};
  const int i = static_cast<int>(f);
  return i >= 0 && i < kFooterKinds ? QString::fromLatin1(names[i]) : QString();
}

std::optional<double> ParseNumber(const QString& text) {
  QString s = text.trimmed();
  if (s.isEmpty()) return std::nullopt;
  // "3,5" as written in much of Europe; "1,234.5" keeps its point and is no number here.
  if (!s.contains(QLatin1Char('.'))) s.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  QLocale c = QLocale::c();
  c.setNumberOptions(QLocale::RejectGroupSeparator);
  const double v = c.toDouble(s, &ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

TORVAggregate Aggregate(const QStringList& values) {
  TORVAggregate a;
  std::vector<double> numbers;
  numbers.reserve(values.size());
  for (const QString& v : values) {
    if (v.trimmed().isEmpty()) continue;
    ++a.Count;
    if (const auto n = ParseNumber(v)) numbers.push_back(*n);
    else ++a.Skipped;
  }
  a.Numbers = int(numbers.size());
  if (numbers.empty()) return a;
  a.Min = *std::min_element(numbers.begin(), numbers.end());
  a.Max = *std::max_element(numbers.begin(), numbers.end());
  for (double n : numbers) a.Sum += n;
  const double count = double(numbers.size());
  a.Mean = a.Sum / count;
  // Two passes: the squares of deviations, not of the values, keep large values exact.
  double squares = 0;
  for (double n : numbers) squares += (n - a.Mean) * (n - a.Mean);
  a.Variance = numbers.size() > 1 ? squares / (count - 1) : 0.0;
  a.StdDev = std::sqrt(a.Variance);
  std::vector<double> sorted = numbers;
  const std::size_t mid = sorted.size() / 2;
  std::nth_element(sorted.begin(), sorted.begin() + mid, sorted.end());
  a.Median = sorted[mid];
  if (sorted.size() % 2 == 0) a.Median = (a.Median + *std::max_element(sorted.begin(), sorted.begin() + mid)) / 2;
  return a;
}

std::optional<double> AggregateValue(const TORVAggregate& a, TORVFooter kind) {
  if (kind == TORVFooter::Count) return double(a.Count);
  if (kind == TORVFooter::None || a.Numbers == 0) return std::nullopt;
  switch (kind) {
    case TORVFooter::Min: return a.Min;
    case TORVFooter::Max: return a.Max;
    case TORVFooter::Sum: return a.Sum;
    case TORVFooter::Mean: return a.Mean;
    case TORVFooter::Median: return a.Median;
    case TORVFooter::Variance: return a.Variance;
    case TORVFooter::StdDev: return a.StdDev;
    default: return std::nullopt;
  }
}

// ---------------------------------------------------------------- column

namespace {

void CheckSlot(int slot, int count) {
  if (slot < 0 || slot >= count)
    throw EPLNError(QStringLiteral("Table column: no row slot %1 (0 to %2)").arg(slot).arg(count - 1));
}

int FontIndex(int slot) {
  if (slot < 1 || slot > 3) throw EPLNError(QStringLiteral("Table column: font slot %1 (1 to 3)").arg(slot));
  return slot - 1;
}

}  // namespace

QString TPLNColumn::GetLineTxt(int slot) const {
  CheckSlot(slot, SlotCount());
  return fSlots[slot].Text;
}

const TORVRowCol& TPLNColumn::GetData(int slot) const {
  CheckSlot(slot, SlotCount());
  return fSlots[slot];
}

void TPLNColumn::SetData(int slot, TORVRowCol record) {
  if (slot >= SlotCount() && slot >= 0) ResizeSlots(slot + 1);
  CheckSlot(slot, SlotCount());
  record.Calculated = true;
  fSlots[slot] = std::move(record);
}

void TPLNColumn::SetLineTxt(int slot, const QString& text) {
  if (slot >= SlotCount() && slot >= 0) ResizeSlots(slot + 1);
  CheckSlot(slot, SlotCount());
  fSlots[slot].Text = text;
  fSlots[slot].Calculated = false;
}

void TPLNColumn::ResetPrint() {
  fSlots.resize(3);
  for (TORVRowCol& s : fSlots) {
    s.Lines.clear();
    s.Calculated = false;
    s.Height = 0;
  }
}

void TPLNColumn::ResizeSlots(int count) { fSlots.resize(std::max(3, count)); }

void TPLNColumn::FontSettings(int slot, std::int64_t ascent, std::int64_t descent, std::int64_t underline,
                              double ratio) {
  fFonts[FontIndex(slot)] = {ascent, descent, underline, ratio};
}
std::int64_t TPLNColumn::AscFont(int slot) const { return fFonts[FontIndex(slot)].Asc; }
std::int64_t TPLNColumn::DesFont(int slot) const { return fFonts[FontIndex(slot)].Des; }
std::int64_t TPLNColumn::UndFont(int slot) const { return fFonts[FontIndex(slot)].Und; }
double TPLNColumn::RatFont(int slot) const { return fFonts[FontIndex(slot)].Ratio; }

// ---------------------------------------------------------------- table

bool TPLNBaseTable::Pick(std::int64_t x, std::int64_t y, std::int64_t tolerance) const {
  if (fPoints.size() < 2) return false;
  const std::int64_t x1 = std::min(fPoints[0].X, fPoints[1].X), x2 = std::max(fPoints[0].X, fPoints[1].X);
  const std::int64_t y1 = std::min(fPoints[0].Y, fPoints[1].Y), y2 = std::max(fPoints[0].Y, fPoints[1].Y);
  return x >= x1 - tolerance && x <= x2 + tolerance && y >= y1 - tolerance && y <= y2 + tolerance;
}

bool TPLNBaseTable::GetIsData() const {
  return std::any_of(fStyle.Columns.begin(), fStyle.Columns.end(),
                     [](const TPLNColumn& c) { return !c.Fixed && !c.Field.isEmpty(); });
}

TPLNColumn& TPLNBaseTable::GetColumn(int i) {
  if (i < 1 || i > GetColumnCount())
    throw EPLNError(QStringLiteral("Table: no column %1 (1 to %2)").arg(i).arg(GetColumnCount()));
  return fStyle.Columns[i - 1];
}
const TPLNColumn& TPLNBaseTable::GetColumn(int i) const { return const_cast<TPLNBaseTable*>(this)->GetColumn(i); }

TPLNColumn& TPLNBaseTable::AddColumn(const QString& header, const QString& field, float percent) {
  TPLNColumn c;
  c.Header.Text = header;
  c.Header.Bold = true;
  c.Header.HorzAlign = TORVHorzAlign::Center;
  c.Field = field;
  c.Percent = percent;
  fStyle.Columns.push_back(std::move(c));
  Changed();
  return fStyle.Columns.back();
}

void TPLNBaseTable::DeleteColumn(int i) {
  GetColumn(i);
  fStyle.Columns.erase(fStyle.Columns.begin() + (i - 1));
  Changed();
}

bool TPLNBaseTable::ExchangeColumns(int i, int j) {
  const int n = GetColumnCount();
  if (i < 1 || j < 1 || i > n || j > n || i == j) return false;
  std::swap(fStyle.Columns[std::size_t(i - 1)], fStyle.Columns[std::size_t(j - 1)]);
  Changed();
  return true;
}

QStringList TPLNBaseTable::GetDetailFields() const {
  const TPLNBaseLabel* doc = Owner();
  const TPLNDataSource* data = doc ? doc->GetDataSource() : nullptr;
  return data ? data->Fields() : QStringList();
}

double TPLNBaseTable::ColumnShare(int i) const {
  double total = 0;
  for (const TPLNColumn& c : fStyle.Columns) total += c.Percent;
  const double p = GetColumn(i).Percent / 100.0;
  // Columns that ask for more than the whole width share it in their proportions.
  return total > 100.0 ? p * 100.0 / total : p;
}

std::int64_t TPLNBaseTable::CoordMultiplier() const { return Owner() ? Owner()->GetCoordMultiplier() : 1; }
std::int64_t TPLNBaseTable::BaseScaleWidth() const { return GetWidth() / CoordMultiplier(); }
std::int64_t TPLNBaseTable::BaseScaleHeight() const { return GetHeight() / CoordMultiplier(); }

std::int64_t TPLNBaseTable::GetLinePos(int i) const {
  if (i < 0 || i >= GetLineCount())
    throw EPLNError(QStringLiteral("Table: no line %1 (0 to %2)").arg(i).arg(GetLineCount() - 1));
  return fLinePos[i];
}

void TPLNBaseTable::SetLinePos(int i, std::int64_t y) {
  if (i >= GetLineCount() && i >= 0) fLinePos.resize(i + 1, 0);
  GetLinePos(i);
  fLinePos[i] = y;
}

int TPLNBaseTable::FirstRowNotFitted() const {
  const int first = (fStyle.Title.Shown ? 1 : 0) + (fStyle.HeaderHeight > 0 ? 1 : 0);
  for (int r = 1; r <= fRowCount && first + r - 1 < GetLineCount(); ++r)
    if (fLinePos[first + r - 1] < 0) return r;
  return 0;
}

QStringList TPLNBaseTable::ColumnValues(int i) const {
  const TPLNColumn& c = GetColumn(i);
  QStringList out;
  out.reserve(fRowCount);
  for (int r = 1; r <= fRowCount && r + 2 < c.SlotCount(); ++r) out << c.GetLineTxt(r + 2);
  return out;
}

namespace {

QString FooterText(const TPLNColumnFooter& f, const QString& value) {
  if (f.Footer == TORVFooter::None) return f.Text;
  return f.Text + value;
}

QString FormatAggregate(double v, TORVFooter kind, const QString& format) {
  if (kind == TORVFooter::Count) return QString::number(qint64(v));
  return FormatDataValue(QString::number(v, 'g', 15), format);
}

}  // namespace

void TPLNBaseTable::FillTable(bool reset, bool dataMode) {
  fWarnings.clear();
  for (TPLNColumn& c : fStyle.Columns) {
    if (reset) c.ResetPrint();
    c.SetLineTxt(0, c.Header.Text);
    // The design row shows what each cell will hold: its own text, or the field it reads.
    const bool bound = !c.Fixed && !c.Field.isEmpty();
    c.SetLineTxt(1, !c.Body.Text.isEmpty() || !bound ? c.Body.Text : QStringLiteral("[%1]").arg(c.Field));
    c.SetLineTxt(2, FooterText(c.Footer, QStringLiteral("[%1]").arg(FooterName(c.Footer.Footer))));
  }
  if (!dataMode) {
    fRowCount = 0;
    return;
  }
  const TPLNBaseLabel* doc = Owner();
  // Without a data source the table prints its body texts once, as a table of fixed texts.
  int records = doc && doc->GetDataSource() ? std::max(0, doc->GetRecordCount() - fFirstRecord) : 1;
  if (fFillLimit >= 0) records = std::min(records, fFillLimit);
  fRowCount = records;
  fRaw.assign(GetColumnCount(), {});
  for (int i = 1; i <= GetColumnCount(); ++i) {
    TPLNColumn& c = fStyle.Columns[i - 1];
    const bool bound = !c.Fixed && !c.Field.isEmpty();
    QStringList values;
    values.reserve(records);
    for (int r = 0; r < records; ++r) {
      const int record = fFirstRecord + r;
      values << (bound && doc ? doc->DataValueAt(record, c.Field, QString(), 1, c.Body.Text) : c.Body.Text);
    }
    FillData(i, values);
  }
  // A field the data does not hold is most likely a typing mistake: say so rather than print a
  // column of blanks without a word.
  const TPLNDataSource* data = doc ? doc->GetDataSource() : nullptr;
  for (int i = 1; data && i <= GetColumnCount(); ++i) {
    const TPLNColumn& c = fStyle.Columns[i - 1];
    if (!c.Fixed && !c.Field.isEmpty() && data->FieldIndex(c.Field) < 0)
      fWarnings << QStringLiteral("Table column %1: the data has no field \"%2\" (its fields: %3)")
                       .arg(i)
                       .arg(Utils::QuoteForMessage(c.Field, 40), data->Fields().join(QStringLiteral(", ")).left(200));
  }
}

void TPLNBaseTable::FillData(int i, const QStringList& values) {
  TPLNColumn& c = GetColumn(i);
  const int n = int(values.size());
  c.ResizeSlots(n + 3);
  for (int r = 1; r <= n; ++r) c.SetLineTxt(r + 2, FormatDataValue(values[r - 1], c.Format));
  if (int(fRaw.size()) < GetColumnCount()) fRaw.resize(GetColumnCount());
  fRaw[i - 1] = values;
  FooterOf(i, values);
}

void TPLNBaseTable::FillFooters(int rows) {
  fWarnings.clear();
  for (int i = 1; i <= GetColumnCount() && i <= int(fRaw.size()); ++i)
    FooterOf(i, fRaw[i - 1].mid(0, std::max(0, rows)));
}

void TPLNBaseTable::FooterOf(int i, const QStringList& values) {
  TPLNColumn& c = GetColumn(i);
  const TORVFooter kind = c.Footer.Footer;
  if (kind == TORVFooter::None) {
    c.SetLineTxt(2, c.Footer.Text);
    return;
  }
  // The raw values: a body format of "0" must not round what the sum adds up.
  const TORVAggregate a = Aggregate(values);
  const auto v = AggregateValue(a, kind);
  c.SetLineTxt(2, FooterText(c.Footer, v ? FormatAggregate(*v, kind, c.Footer.Format) : QString()));
  if (kind != TORVFooter::Count && a.Skipped > 0) {
    const QString name = c.Field.isEmpty() ? c.Header.Text : c.Field;
    fWarnings << QStringLiteral("Table column \"%1\": %2 of %3 values are not numbers and were left out of the %4")
                     .arg(name)
                     .arg(a.Skipped)
                     .arg(a.Count)
                     .arg(FooterName(kind));
  }
}

// ---------------------------------------------------------------- reading and writing

namespace {

constexpr int kMaxColumns = 256;

void CheckCell(const QString& kind, const TPLNTableCell& c) {
  CheckInt(kind, "FontHeight", c.FontHeight, 0, kMaxLength);
  CheckInt(kind, "HorzAlign", static_cast<int>(c.HorzAlign), 0, 3);
  CheckInt(kind, "VertAlign", static_cast<int>(c.VertAlign), 0, 2);
  CheckInt(kind, "Height", c.Height, 0, kMaxLength);
  if (!(c.Interline >= 0.1 && c.Interline <= 10))
    throw EPLNError(QStringLiteral("%1: Interline %2 is outside 0.1 to 10").arg(kind).arg(c.Interline));
}

void WriteCell(TBinaryWriter& w, const TPLNTableCell& c) {
  w.WriteString(c.Text);
  w.WriteString(c.FontName);
  w.WriteInt64(c.FontHeight);
  w.WriteBoolean(c.Bold);
  w.WriteBoolean(c.Italic);
  w.WriteBoolean(c.Underline);
  w.WriteUInt32(c.FontColor);
  w.WriteBoolean(c.FillBack);
  w.WriteUInt32(c.BackColor);
  w.WriteByte(static_cast<std::uint8_t>(c.HorzAlign));
  w.WriteByte(static_cast<std::uint8_t>(c.VertAlign));
  w.WriteBoolean(c.WrapText);
  w.WriteDouble(c.Interline);
  w.WriteInt64(c.Height);
  w.WriteBoolean(c.Shown);
}

void ReadCell(TBinaryReader& r, TPLNTableCell& c) {
  c.Text = r.ReadString();
  c.FontName = r.ReadString();
  c.FontHeight = r.ReadInt64();
  c.Bold = r.ReadBoolean();
  c.Italic = r.ReadBoolean();
  c.Underline = r.ReadBoolean();
  c.FontColor = r.ReadUInt32();
  c.FillBack = r.ReadBoolean();
  c.BackColor = r.ReadUInt32();
  c.HorzAlign = static_cast<TORVHorzAlign>(r.ReadByte());
  c.VertAlign = static_cast<TORVVertAlign>(r.ReadByte());
  c.WrapText = r.ReadBoolean();
  c.Interline = r.ReadDouble();
  c.Height = r.ReadInt64();
  c.Shown = r.ReadBoolean();
}

QJsonObject CellJson(const TPLNTableCell& c) {
  QJsonObject o;
  Json::TJsonObjectSink s(o);
  s.Str("Text", c.Text);
  s.Str("FontName", c.FontName);
  s.Int("FontHeight", c.FontHeight);
  s.Bool("Bold", c.Bold);
  s.Bool("Italic", c.Italic);
  s.Bool("Underline", c.Underline);
  s.Color("FontColor", c.FontColor);
  s.Bool("FillBack", c.FillBack);
  s.Color("BackColor", c.BackColor);
  s.Int("HorzAlign", static_cast<int>(c.HorzAlign));
  s.Int("VertAlign", static_cast<int>(c.VertAlign));
  s.Bool("WrapText", c.WrapText);
  s.Num("Interline", c.Interline);
  s.Int("Height", c.Height);
  s.Bool("Shown", c.Shown);
  return o;
}

// Keys left out keep the defaults of `c`; a value of the wrong type names its key.
void CellFromJson(const QString& kind, const QJsonObject& o, TPLNTableCell& c) {
  c.Text = Json::Str(o, "Text", c.Text);
  c.FontName = Json::Str(o, "FontName", c.FontName);
  c.FontHeight = Json::Int(o, "FontHeight", c.FontHeight);
  c.Bold = Json::Bool(o, "Bold", c.Bold);
  c.Italic = Json::Bool(o, "Italic", c.Italic);
  c.Underline = Json::Bool(o, "Underline", c.Underline);
  c.FontColor = Json::Color(o, "FontColor", c.FontColor);
  c.FillBack = Json::Bool(o, "FillBack", c.FillBack);
  c.BackColor = Json::Color(o, "BackColor", c.BackColor);
  c.HorzAlign = static_cast<TORVHorzAlign>(CheckInt(kind, "HorzAlign", Json::Int(o, "HorzAlign", int(c.HorzAlign)), 0, 3));
  c.VertAlign = static_cast<TORVVertAlign>(CheckInt(kind, "VertAlign", Json::Int(o, "VertAlign", int(c.VertAlign)), 0, 2));
  c.WrapText = Json::Bool(o, "WrapText", c.WrapText);
  c.Interline = Json::Num(o, "Interline", c.Interline);
  c.Height = Json::Int(o, "Height", c.Height);
  c.Shown = Json::Bool(o, "Shown", c.Shown);
}

QJsonObject SubObject(const QString& kind, const QJsonObject& o, const char* key) {
  const QJsonValue v = o.value(QLatin1String(key));
  if (v.isUndefined() || v.isNull()) return {};
  if (!v.isObject()) throw EPLNError(QStringLiteral("%1: \"%2\" must be an object").arg(kind, QLatin1String(key)));
  return v.toObject();
}

}  // namespace

void TPLNBaseTable::CheckStyle(const TORVTableStyle& s) const {
  const QString kind = KindName();
  CheckCell(kind + QStringLiteral(" title"), s.Title);
  CheckInt(kind, "TitleHeight", s.Title.BaseHeight, 0, kMaxLength);
  CheckInt(kind, "HeaderHeight", s.HeaderHeight, 0, kMaxLength);
  CheckInt(kind, "RowHeight", s.RowHeight, 0, kMaxLength);
  CheckInt(kind, "FooterHeight", s.FooterHeight, 0, kMaxLength);
  CheckInt(kind, "PaddingX", s.PadX, 0, kMaxLength);
  CheckInt(kind, "PaddingY", s.PadY, 0, kMaxLength);
  CheckInt(kind, "Grid", static_cast<int>(s.Grid), 0, 3);
  if (!(s.GridWidth >= 0 && s.GridWidth <= 1000))
    throw EPLNError(QStringLiteral("%1: GridWidth %2 is outside 0 to 1000 mm").arg(kind).arg(s.GridWidth));
  CheckInt(kind, "Columns", qint64(s.Columns.size()), 0, kMaxColumns);
  for (std::size_t i = 0; i < s.Columns.size(); ++i) {
    const TPLNColumn& c = s.Columns[i];
    const QString where = QStringLiteral("%1 column %2").arg(kind).arg(i + 1);
    if (!(c.Percent >= 0 && c.Percent <= 100))
      throw EPLNError(QStringLiteral("%1: Percent %2 is outside 0 to 100").arg(where).arg(c.Percent));
    CheckCell(where + QStringLiteral(" header"), c.Header);
    CheckCell(where + QStringLiteral(" body"), c.Body);
    CheckCell(where + QStringLiteral(" footer"), c.Footer);
    CheckInt(where, "Footer", static_cast<int>(c.Footer.Footer), 0, kFooterKinds - 1);
  }
}

void TPLNBaseTable::WriteData(TBinaryWriter& w) const {
  TPLNBoxItem::WriteData(w);
  const TORVTableStyle& s = fStyle;
  WriteCell(w, s.Title);
  w.WriteInt32(s.Title.BaseHeight);
  w.WriteInt32(s.HeaderHeight);
  w.WriteInt32(s.RowHeight);
  w.WriteInt32(s.FooterHeight);
  w.WriteInt64(s.PadX);
  w.WriteInt64(s.PadY);
  w.WriteByte(static_cast<std::uint8_t>(s.Grid));
  w.WriteUInt32(s.GridColor);
  w.WriteDouble(s.GridWidth);
  w.WriteBoolean(s.FitToBox);
  w.WriteInt32(std::int32_t(s.Columns.size()));
  for (const TPLNColumn& c : s.Columns) {
    w.WriteSingle(c.Percent);
    w.WriteString(c.Field);
    w.WriteString(c.Format);
    w.WriteBoolean(c.Fixed);
    WriteCell(w, c.Header);
    WriteCell(w, c.Body);
    WriteCell(w, c.Footer);
    w.WriteByte(static_cast<std::uint8_t>(c.Footer.Footer));
    w.WriteString(c.Footer.Format);
  }
}

void TPLNBaseTable::ReadData(std::int32_t version, TBinaryReader& r, TORVReadType readType) {
  TPLNBoxItem::ReadData(version, r, readType);
  // Read whole and checked before anything changes.
  TORVTableStyle s;
  ReadCell(r, s.Title);
  s.Title.BaseHeight = r.ReadInt32();
  s.HeaderHeight = r.ReadInt32();
  s.RowHeight = r.ReadInt32();
  s.FooterHeight = r.ReadInt32();
  s.PadX = r.ReadInt64();
  s.PadY = r.ReadInt64();
  s.Grid = static_cast<Types::TPLNGrid>(r.ReadByte());
  s.GridColor = r.ReadUInt32();
  s.GridWidth = r.ReadDouble();
  s.FitToBox = r.ReadBoolean();
  // Three cells of at least 40 bytes each follow every column.
  const int n = r.ReadCount(130, "table columns");
  if (n > kMaxColumns) throw EPLNError(QStringLiteral("Table: %1 columns, at most %2").arg(n).arg(kMaxColumns));
  s.Columns.resize(n);
  for (TPLNColumn& c : s.Columns) {
    c.Percent = r.ReadSingle();
    c.Field = r.ReadString();
    c.Format = r.ReadString();
    c.Fixed = r.ReadBoolean();
    ReadCell(r, c.Header);
    ReadCell(r, c.Body);
    ReadCell(r, c.Footer);
    c.Footer.Footer = static_cast<TORVFooter>(r.ReadByte());
    c.Footer.Format = r.ReadString();
  }
  CheckStyle(s);
  fStyle = std::move(s);
  fLinePos.clear();
  fRowCount = 0;
}

void TPLNBaseTable::WriteJson(Json::TJsonSink& o) const {
  TPLNBoxItem::WriteJson(o);
  const TORVTableStyle& s = fStyle;
  QJsonObject title = CellJson(s.Title);
  title.insert(QStringLiteral("BandHeight"), qint64(s.Title.BaseHeight));
  o.Value("Title", title);
  o.Int("HeaderHeight", s.HeaderHeight);
  o.Int("RowHeight", s.RowHeight);
  o.Int("FooterHeight", s.FooterHeight);
  o.Int("PaddingX", s.PadX);
  o.Int("PaddingY", s.PadY);
  o.Int("Grid", static_cast<int>(s.Grid));
  o.Color("GridColor", s.GridColor);
  o.Num("GridWidth", s.GridWidth);
  o.Bool("FitToBox", s.FitToBox);
  QJsonArray columns;
  for (const TPLNColumn& c : s.Columns) {
    QJsonObject col;
    col.insert(QStringLiteral("Percent"), double(c.Percent));
    col.insert(QStringLiteral("Field"), c.Field);
    col.insert(QStringLiteral("Format"), c.Format);
    col.insert(QStringLiteral("Fixed"), c.Fixed);
    col.insert(QStringLiteral("Header"), CellJson(c.Header));
    col.insert(QStringLiteral("Body"), CellJson(c.Body));
    QJsonObject footer = CellJson(c.Footer);
    footer.insert(QStringLiteral("Footer"), static_cast<int>(c.Footer.Footer));
    footer.insert(QStringLiteral("Format"), c.Footer.Format);
    col.insert(QStringLiteral("FooterCell"), footer);
    columns.append(col);
  }
  o.Value("Columns", columns);
}

void TPLNBaseTable::ReadJson(std::int32_t version, const QJsonObject& o) {
  TPLNBoxItem::ReadJson(version, o);
  const QString kind = KindName();
  TORVTableStyle s = fStyle;
  const QJsonObject title = SubObject(kind, o, "Title");
  CellFromJson(kind + QStringLiteral(" title"), title, s.Title);
  s.Title.BaseHeight = std::int32_t(CheckInt(kind, "BandHeight", Json::Int(title, "BandHeight", s.Title.BaseHeight), 0, kMaxLength));
  s.HeaderHeight = std::int32_t(CheckInt(kind, "HeaderHeight", Json::Int(o, "HeaderHeight", s.HeaderHeight), 0, kMaxLength));
  s.RowHeight = std::int32_t(CheckInt(kind, "RowHeight", Json::Int(o, "RowHeight", s.RowHeight), 0, kMaxLength));
  s.FooterHeight = std::int32_t(CheckInt(kind, "FooterHeight", Json::Int(o, "FooterHeight", s.FooterHeight), 0, kMaxLength));
  s.PadX = Json::Int(o, "PaddingX", s.PadX);
  s.PadY = Json::Int(o, "PaddingY", s.PadY);
  s.Grid = static_cast<Types::TPLNGrid>(CheckInt(kind, "Grid", Json::Int(o, "Grid", int(s.Grid)), 0, 3));
  s.GridColor = Json::Color(o, "GridColor", s.GridColor);
  s.GridWidth = Json::Num(o, "GridWidth", s.GridWidth);
  s.FitToBox = Json::Bool(o, "FitToBox", s.FitToBox);
  const QJsonValue cols = o.value(QStringLiteral("Columns"));
  if (!cols.isUndefined() && !cols.isNull()) {
    if (!cols.isArray()) throw EPLNError(QStringLiteral("%1: \"Columns\" must be an array of objects").arg(kind));
    const QJsonArray a = cols.toArray();
    if (a.size() > kMaxColumns)
      throw EPLNError(QStringLiteral("%1: %2 columns, at most %3").arg(kind).arg(a.size()).arg(kMaxColumns));
    s.Columns.clear();
    for (qsizetype i = 0; i < a.size(); ++i) {
      const QString where = QStringLiteral("%1 column %2").arg(kind).arg(i + 1);
      if (!a.at(i).isObject()) throw EPLNError(QStringLiteral("%1: an object expected").arg(where));
      const QJsonObject co = a.at(i).toObject();
      TPLNColumn c;
      c.Header.Bold = true;
      c.Header.HorzAlign = TORVHorzAlign::Center;
      c.Percent = float(Json::Num(co, "Percent", c.Percent));
      c.Field = Json::Str(co, "Field");
      c.Format = Json::Str(co, "Format");
      c.Fixed = Json::Bool(co, "Fixed", false);
      CellFromJson(where + QStringLiteral(" header"), SubObject(where, co, "Header"), c.Header);
      CellFromJson(where + QStringLiteral(" body"), SubObject(where, co, "Body"), c.Body);
      const QJsonObject footer = SubObject(where, co, "FooterCell");
      CellFromJson(where + QStringLiteral(" footer"), footer, c.Footer);
      c.Footer.Footer = static_cast<TORVFooter>(CheckInt(where, "Footer", Json::Int(footer, "Footer", 0), 0, kFooterKinds - 1));
      c.Footer.Format = Json::Str(footer, "Format");
      s.Columns.push_back(std::move(c));
    }
  }
  CheckStyle(s);
  fStyle = std::move(s);
  fLinePos.clear();
  fRowCount = 0;
}

}  // namespace Orv::F2d
