#include "ORV.PageSetup.h"

#include <QDir>
#include <QJsonDocument>
#include <algorithm>
#include <cmath>

#include "ORV.Data.h"

#include "ORV.Json.h"

namespace Orv {

namespace {
const TPLNPaper kPapers[kPaperCount] = {
    {"A0", 841, 1189},
    {"A1", 594, 841},
    {"A2", 420, 594},
    {"A3", 297, 420},
    {"A4", 210, 297},
    {"A5", 148, 210},
    {"A6", 105, 148},
    {"A7", 74, 105},
    {"B3", 353, 500},
    {"B4", 250, 353},
    {"B5", 176, 250},
    {"B6", 125, 176},
    {"C4 envelope", 229, 324},
    {"C5 envelope", 162, 229},
    {"C6 envelope", 114, 162},
    {"DL envelope", 110, 220},
    {"Letter", 215.9, 279.4},
    {"Legal", 215.9, 355.6},
    {"Tabloid", 279.4, 431.8},
    {"Executive", 184.15, 266.7},
    {"Statement", 139.7, 215.9},
    {"Folio", 215.9, 330.2},
    {"No. 10 envelope", 104.775, 241.3},
    {"Monarch envelope", 98.425, 190.5},
    {"Index card 4 x 6 in", 101.6, 152.4},
    {"Photo 10 x 15 cm", 100, 150},
    {"User defined", 0, 0},
};
}  // namespace

const TPLNPaper& Paper(int index) { return kPapers[std::clamp(index, 0, kPaperCount - 1)]; }

int PaperIndexOf(double w, double h) {
  auto near = [](double a, double b) { return std::fabs(a - b) <= 0.5; };
  for (int i = 0; i < UserPaperIndex; ++i) {
    const TPLNPaper& p = kPapers[i];
    if ((near(w, p.Width) && near(h, p.Height)) || (near(w, p.Height) && near(h, p.Width))) return i;
  }
  return UserPaperIndex;
}

// ---------------------------------------------------------------- counters

void TPLNCounter::SetNumFrom(std::int64_t n) {
  fFrom = std::clamp<std::int64_t>(n, 1, kMaxNumber);
  fTo = std::max(fTo, fFrom);
}

void TPLNCounter::SetNumTo(std::int64_t n) { fTo = std::clamp<std::int64_t>(n, fFrom, kMaxNumber); }

void TPLNCounter::SetStep(std::int64_t n) { fStep = std::clamp<std::int64_t>(n, 1, kMaxStep); }

void TPLNCounter::SetNext(std::int64_t n) { fNext = std::clamp<std::int64_t>(n, 1, kMaxNumber); }

std::int64_t TPLNCounter::StartNumber() const { return Continue ? std::clamp(fNext, fFrom, fTo) : fFrom; }

std::int64_t TPLNCounter::NumberAfter(std::int64_t start, std::int64_t labels) const {
  const std::int64_t span = fTo - fFrom + 1;
  const std::int64_t first = std::clamp(start, fFrom, fTo) - fFrom;
  // Label numbers of long runs times steps of 20000 stay far inside 64 bits.
  return fFrom + (first + (std::max<std::int64_t>(0, labels) % span) * fStep) % span;
}

QString TPLNCounter::TextAt(std::int64_t label, std::int64_t start) const {
  const std::int64_t n = NumberAfter(start, label);
  QString digits = QString::number(n);
  const bool zeros = !Format.isEmpty() && std::all_of(Format.begin(), Format.end(), [](QChar c) { return c == u'0'; });
  if (zeros && digits.size() < Format.size()) digits.prepend(QString(Format.size() - digits.size(), u'0'));
  return TextBefore + digits + TextAfter;
}

void TPLNCounter::Write(TBinaryWriter& w) const {
  w.WriteString(fName);
  w.WriteInt64(fFrom);
  w.WriteInt64(fTo);
  w.WriteInt64(fStep);
  w.WriteString(TextBefore);
  w.WriteString(TextAfter);
  w.WriteString(Format);
}

void TPLNCounter::Read(TBinaryReader& r) {
  fName = r.ReadString();
  const std::int64_t from = r.ReadInt64(), to = r.ReadInt64(), step = r.ReadInt64();
  if (from < 1 || from > kMaxNumber || to < from || to > kMaxNumber || step < 1 || step > kMaxStep)
    throw EPLNError(QStringLiteral("counter \"%1\": invalid numbers %2 to %3, step %4").arg(fName).arg(from).arg(to).arg(step));
  fFrom = from;
  fTo = to;
  fStep = step;
  TextBefore = r.ReadString();
  TextAfter = r.ReadString();
  Format = r.ReadString();
}

QJsonObject TPLNCounter::ToJson() const {
  QJsonObject o{{QStringLiteral("Name"), fName},
                {QStringLiteral("From"), static_cast<double>(fFrom)},
                {QStringLiteral("To"), static_cast<double>(fTo)},
                {QStringLiteral("Step"), static_cast<double>(fStep)}};
  if (!TextBefore.isEmpty()) o.insert(QStringLiteral("TextBefore"), TextBefore);
  if (!TextAfter.isEmpty()) o.insert(QStringLiteral("TextAfter"), TextAfter);
  if (!Format.isEmpty()) o.insert(QStringLiteral("Format"), Format);
  if (Continue) o.insert(QStringLiteral("Continue"), true);
  if (Continue || fNext != 1) o.insert(QStringLiteral("Next"), static_cast<double>(fNext));
  return o;
}

void TPLNCounter::FromJson(const QJsonObject& o) {
  fName = Json::Str(o, "Name");
  if (fName.trimmed().isEmpty()) throw EPLNError(QStringLiteral("a counter has no \"Name\""));
  const std::int64_t from = Json::Int(o, "From", 1), to = Json::Int(o, "To", kMaxNumber), step = Json::Int(o, "Step", 1);
  if (from < 1 || from > kMaxNumber || to < from || to > kMaxNumber || step < 1 || step > kMaxStep)
    throw EPLNError(QStringLiteral("counter \"%1\": invalid numbers %2 to %3, step %4").arg(fName).arg(from).arg(to).arg(step));
  fFrom = from;
  fTo = to;
  fStep = step;
  TextBefore = Json::Str(o, "TextBefore");
  TextAfter = Json::Str(o, "TextAfter");
  Format = Json::Str(o, "Format");
  Continue = Json::Bool(o, "Continue", false);
  const std::int64_t next = Json::Int(o, "Next", 1);
  if (next < 1 || next > kMaxNumber) throw EPLNError(QStringLiteral("counter \"%1\": invalid \"Next\" %2").arg(fName).arg(next));
  fNext = next;
}

bool operator==(const TPLNCounter& a, const TPLNCounter& b) {
  return a.fName == b.fName && a.fFrom == b.fFrom && a.fTo == b.fTo && a.fStep == b.fStep &&
         a.TextBefore == b.TextBefore && a.TextAfter == b.TextAfter && a.Format == b.Format &&
         a.Continue == b.Continue && a.fNext == b.fNext;
}

void TPLNCounter::WriteContinue(TBinaryWriter& w) const {
  w.WriteBoolean(Continue);
  w.WriteInt64(fNext);
}

void TPLNCounter::ReadContinue(TBinaryReader& r) {
  Continue = r.ReadBoolean();
  const std::int64_t next = r.ReadInt64();
  if (next < 1 || next > kMaxNumber) throw EPLNError(QStringLiteral("counter \"%1\": invalid next number %2").arg(fName).arg(next));
  fNext = next;
}

// ---------------------------------------------------------------- data settings

void TPLNData::Write(TBinaryWriter& w) const {
  w.WriteString(fDataSel);
  w.WriteString(fFieldRepeat);
  w.WriteString(fCsvFile);
  w.WriteBoolean(LinkData);
  w.WriteBoolean(SaveJson);
  w.WriteString(SaveJson ? fJson : QString());
}

void TPLNData::Read(TBinaryReader& r) {
  fDataSel = r.ReadString();
  fFieldRepeat = r.ReadString();
  fCsvFile = r.ReadString();
  LinkData = r.ReadBoolean();
  SaveJson = r.ReadBoolean();
  fJson = r.ReadString();
}

const TPLNAskValue* TPLNData::FindAsk(const QString& name) const {
  for (const TPLNAskValue& a : Asks)
    if (a.Name.compare(name, Qt::CaseInsensitive) == 0) return &a;
  return nullptr;
}

bool TPLNData::AsksListValues() const {
  return std::any_of(Asks.begin(), Asks.end(), [](const TPLNAskValue& a) { return a.Kind == TORVAskKind::List; });
}

void TPLNData::WriteAsks(TBinaryWriter& w) const {
  w.WriteInt32(static_cast<std::int32_t>(Asks.size()));
  for (const TPLNAskValue& a : Asks) a.Write(w);
  w.WriteString(CountersFile);
}

namespace {
void CheckAsks(const std::vector<TPLNAskValue>& asks) {
  if (asks.size() > static_cast<std::size_t>(TPLNAskValue::kMaxAsks))
    throw EPLNError(QStringLiteral("at most %1 asked values").arg(TPLNAskValue::kMaxAsks));
  for (std::size_t i = 0; i < asks.size(); ++i) {
    if (asks[i].Name.trimmed().isEmpty()) throw EPLNError(QStringLiteral("an asked value has no name"));
    for (std::size_t j = 0; j < i; ++j)
      if (asks[j].Name.compare(asks[i].Name, Qt::CaseInsensitive) == 0)
        throw EPLNError(QStringLiteral("two asked values are named \"%1\"").arg(asks[i].Name));
  }
}
}  // namespace

void TPLNData::ReadAsks(TBinaryReader& r) {
  const std::int32_t n = r.ReadCount(8, "asked value");
  std::vector<TPLNAskValue> asks(static_cast<std::size_t>(std::max(0, n)));
  for (TPLNAskValue& a : asks) a.Read(r);
  CheckAsks(asks);
  Asks = std::move(asks);
  CountersFile = r.ReadString();
}

QJsonObject TPLNData::ToJson() const {
  QJsonObject o;
  if (!Asks.empty()) {
    QJsonArray asks;
    for (const TPLNAskValue& a : Asks) asks.append(a.ToJson());
    o.insert(QStringLiteral("Ask"), asks);
  }
  if (!CountersFile.isEmpty()) o.insert(QStringLiteral("CountersFile"), CountersFile);
  if (!fDataSel.isEmpty()) o.insert(QStringLiteral("DataSel"), fDataSel);
  if (!fFieldRepeat.isEmpty()) o.insert(QStringLiteral("FieldRepeat"), fFieldRepeat);
  if (!fCsvFile.isEmpty()) o.insert(QStringLiteral("CsvFile"), fCsvFile);
  o.insert(QStringLiteral("LinkData"), LinkData);
  o.insert(QStringLiteral("SaveJson"), SaveJson);
  if (SaveJson && !fJson.isEmpty()) o.insert(QStringLiteral("Json"), fJson);
  return o;
}

void TPLNData::FromJson(const QJsonObject& o) {
  fDataSel = Json::Str(o, "DataSel");
  fFieldRepeat = Json::Str(o, "FieldRepeat");
  fCsvFile = Json::Str(o, "CsvFile");
  LinkData = Json::Bool(o, "LinkData", false);
  SaveJson = Json::Bool(o, "SaveJson", true);
  fJson = Json::Str(o, "Json");
  Asks.clear();
  if (o.contains(QStringLiteral("Ask"))) {
    const QJsonValue v = o.value(QStringLiteral("Ask"));
    if (!v.isArray()) throw EPLNError(QStringLiteral("\"Ask\" must be an array"));
    std::vector<TPLNAskValue> asks;
    for (const QJsonValue& e : v.toArray()) {
      if (!e.isObject()) throw EPLNError(QStringLiteral("every asked value must be an object"));
      asks.emplace_back().FromJson(e.toObject());
    }
    CheckAsks(asks);
    Asks = std::move(asks);
  }
  CountersFile = Json::Str(o, "CountersFile");
}

bool operator==(const TPLNData& a, const TPLNData& b) {
  return a.fDataSel == b.fDataSel && a.fFieldRepeat == b.fFieldRepeat && a.fCsvFile == b.fCsvFile &&
         a.LinkData == b.LinkData && a.SaveJson == b.SaveJson && a.fJson == b.fJson && a.Asks == b.Asks &&
         a.CountersFile == b.CountersFile;
}

// ---------------------------------------------------------------- document settings

void TPLNSettings::SetTermSize(float mm) { fTermSize = std::clamp(mm, kMinTermSize, kMaxTermSize); }

void TPLNSettings::Write(TBinaryWriter& w) const {
  w.WriteUInt32(TermColor);
  w.WriteUInt32(FillTermColor);
  w.WriteSingle(fTermSize);
}

void TPLNSettings::Read(TBinaryReader& r) {
  TermColor = r.ReadUInt32();
  FillTermColor = r.ReadUInt32();
  const float size = r.ReadSingle();
  if (!(size >= kMinTermSize && size <= kMaxTermSize)) throw EPLNError(QStringLiteral("invalid terminator size %1").arg(size));
  fTermSize = size;
}

QJsonObject TPLNSettings::ToJson() const {
  return {{QStringLiteral("TermColor"), Json::ColorValue(TermColor)},
          {QStringLiteral("FillTermColor"), Json::ColorValue(FillTermColor)},
          {QStringLiteral("TermSize"), static_cast<double>(fTermSize)}};
}

void TPLNSettings::FromJson(const QJsonObject& o) {
  TermColor = Json::Color(o, "TermColor", 0xFF000000u);
  FillTermColor = Json::Color(o, "FillTermColor", 0xFF000000u);
  const double size = Json::Num(o, "TermSize", 3.0);
  if (!(size >= kMinTermSize && size <= kMaxTermSize))
    throw EPLNError(QStringLiteral("\"TermSize\" must be between %1 and %2 mm").arg(kMinTermSize).arg(kMaxTermSize));
  fTermSize = static_cast<float>(size);
}

bool operator==(const TPLNSettings& a, const TPLNSettings& b) {
  return a.TermColor == b.TermColor && a.FillTermColor == b.FillTermColor && a.fTermSize == b.fTermSize;
}

// ---------------------------------------------------------------- label stock

void TPLNBackSurf::SetRadius(float mm) { fRadius = std::clamp(mm, 0.0f, kMaxRadius); }

void TPLNBackSurf::Write(TBinaryWriter& w) const {
  w.WriteUInt32(Color);
  w.WriteSingle(fRadius);
}

void TPLNBackSurf::Read(TBinaryReader& r) {
  Color = r.ReadUInt32();
  const float radius = r.ReadSingle();
  if (!(radius >= 0.0f && radius <= kMaxRadius)) throw EPLNError(QStringLiteral("invalid label corner radius %1").arg(radius));
  fRadius = radius;
}

QJsonObject TPLNBackSurf::ToJson() const {
  return {{QStringLiteral("Color"), Json::ColorValue(Color)}, {QStringLiteral("Radius"), static_cast<double>(fRadius)}};
}

void TPLNBackSurf::FromJson(const QJsonObject& o) {
  Color = Json::Color(o, "Color", 0u);
  const double radius = Json::Num(o, "Radius", 0.0);
  if (!(radius >= 0.0 && radius <= kMaxRadius))
    throw EPLNError(QStringLiteral("\"Radius\" must be between 0 and %1 mm").arg(kMaxRadius));
  fRadius = static_cast<float>(radius);
}

bool operator==(const TPLNBackSurf& a, const TPLNBackSurf& b) { return a.Color == b.Color && a.fRadius == b.fRadius; }

std::shared_ptr<const TPLNDataSource> ReadDataset(const TPLNData& d, int repetition, const QString& folder) {
  TPLNDataSource source;
  if (d.GetDataSel() == TPLNData::CsvDataset()) {
    if (d.GetCsvFile().trimmed().isEmpty()) throw EPLNError(QStringLiteral("no CSV file is chosen"));
    QString path = d.GetCsvFile();
    if (QDir::isRelativePath(path) && !folder.isEmpty()) path = QDir(folder).filePath(path);
    source = TPLNDataSource::FromFile(path);
  } else if (d.GetDataSel() == TPLNData::JsonDataset()) {
    QByteArray text = d.GetJson().toUtf8();
    const QJsonDocument doc = QJsonDocument::fromJson(text);
    if (doc.isObject()) {
      // An object holding the records: its first array.
      const QJsonObject o = doc.object();
      const auto it = std::find_if(o.begin(), o.end(), [](const QJsonValue& v) { return v.isArray(); });
      if (it == o.end()) throw EPLNError(QStringLiteral("JSON data: the object holds no array of records"));
      text = QJsonDocument(it->toArray()).toJson(QJsonDocument::Compact);
    }
    source = TPLNDataSource::FromJson(text, QStringLiteral("JSON data"));
  } else {
    return nullptr;
  }
  if (repetition > 1 || !d.GetFieldRepeat().isEmpty()) source = source.Repeated(repetition, d.GetFieldRepeat());
  return std::make_shared<const TPLNDataSource>(std::move(source));
}

}  // namespace Orv
