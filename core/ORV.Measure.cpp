#include "ORV.Measure.h"

#include <algorithm>

#include "ORV.Json.h"

namespace Orv {

namespace {
const char* const kSizeKeys[8] = {"PaperWidth", "PaperHeight", "LabelWidth", "LabelHeight",
                                  "LeftMargin", "TopMargin",   "HorzGap",    "VertGap"};
const char* const kTitleKeys[6] = {"Author", "Promoter", "Date", "DrawingTitle", "Note", "Project"};
// 100 m of paper is more than any printer or plotter takes; it keeps pixel sizes finite.
constexpr std::int64_t kMaxLength = 100000000;
}  // namespace

void TPLNMeasure::Validate() const {
  for (int i = 0; i < 8; ++i) {
    const bool isSize = i < 4;
    if ((isSize && Sizes[i] <= 0) || (!isSize && Sizes[i] < 0) || Sizes[i] > kMaxLength)
      throw EPLNError(QStringLiteral("invalid %1: %2").arg(QLatin1String(kSizeKeys[i])).arg(Sizes[i]));
  }
  if (Rows < 1 || Rows > 10000 || Columns < 1 || Columns > 10000)
    throw EPLNError(QStringLiteral("invalid label grid %1 x %2").arg(Columns).arg(Rows));
  if (DrawScale < 1 || DrawScale > GetMaxDrawScale()) throw EPLNError(QStringLiteral("invalid drawing scale 1:%1").arg(DrawScale));
}

void TPLNMeasure::Write(TBinaryWriter& w) const {
  for (std::int64_t s : Sizes) w.WriteInt64(s);
  w.WriteInt32(Rows);
  w.WriteInt32(Columns);
  w.WriteString(LabelName);
  w.WriteInt64(DrawScale);
  w.WriteBoolean(ContinousPaper);
  for (int i = 0; i < 6; ++i) w.WriteString(TitleText(i));
}

void TPLNMeasure::Read(TBinaryReader& r, std::int32_t version) {
  for (std::int64_t& s : Sizes) s = r.ReadInt64();
  Rows = r.ReadInt32();
  Columns = r.ReadInt32();
  LabelName = r.ReadString();
  DrawScale = r.ReadInt64();
  if (version < 3202) return;
  ContinousPaper = r.ReadBoolean();
  for (int i = 0; i < 6; ++i) TitleText(i) = r.ReadString();
}

QJsonObject TPLNMeasure::ToJson() const {
  QJsonObject o;
  for (int i = 0; i < 8; ++i) o.insert(QLatin1String(kSizeKeys[i]), static_cast<double>(Sizes[i]));
  o.insert(QStringLiteral("Rows"), Rows);
  o.insert(QStringLiteral("Columns"), Columns);
  o.insert(QStringLiteral("LabelName"), LabelName);
  o.insert(QStringLiteral("DrawScale"), static_cast<double>(DrawScale));
  if (ContinousPaper) o.insert(QStringLiteral("ContinousPaper"), true);
  for (int i = 0; i < 6; ++i)
    if (!TitleText(i).isEmpty()) o.insert(QLatin1String(kTitleKeys[i]), TitleText(i));
  return o;
}

void TPLNMeasure::FromJson(const QJsonObject& o) {
  for (int i = 0; i < 8; ++i) Sizes[i] = Json::Int(o, kSizeKeys[i], Sizes[i]);
  // A single-label page: label size defaults to the paper size.
  if (!o.contains(QStringLiteral("LabelWidth"))) Sizes[LabelWidth] = Sizes[PaperWidth];
  if (!o.contains(QStringLiteral("LabelHeight"))) Sizes[LabelHeight] = Sizes[PaperHeight];
  Rows = static_cast<std::int32_t>(std::clamp<std::int64_t>(Json::Int(o, "Rows", Rows), INT32_MIN, INT32_MAX));
  Columns = static_cast<std::int32_t>(std::clamp<std::int64_t>(Json::Int(o, "Columns", Columns), INT32_MIN, INT32_MAX));
  LabelName = Json::Str(o, "LabelName", LabelName);
  DrawScale = Json::Int(o, "DrawScale", DrawScale);
  ContinousPaper = Json::Bool(o, "ContinousPaper", false);
  for (int i = 0; i < 6; ++i) TitleText(i) = Json::Str(o, kTitleKeys[i]);
}

bool operator==(const TPLNMeasure& a, const TPLNMeasure& b) {
  return std::equal(std::begin(a.Sizes), std::end(a.Sizes), std::begin(b.Sizes)) && a.Rows == b.Rows &&
         a.Columns == b.Columns && a.LabelName == b.LabelName && a.DrawScale == b.DrawScale &&
         a.ContinousPaper == b.ContinousPaper && a.Author == b.Author && a.Promoter == b.Promoter && a.Date == b.Date &&
         a.DrawingTitle == b.DrawingTitle && a.Note == b.Note && a.Project == b.Project;
}

}  // namespace Orv
