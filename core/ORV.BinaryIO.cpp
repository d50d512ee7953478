#include "ORV.BinaryIO.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

namespace Orv {

EPLNError::EPLNError(const QString& message) : std::runtime_error(message.toStdString()) {}

void CheckCoord(std::int64_t v, const char* what) {
  // Negating INT64_MIN overflows: compare both sides instead.
  if (v > kMaxCoord || v < -kMaxCoord)
    throw EPLNError(QStringLiteral("%1 %2 is beyond the drawing's range of %3 km either way")
                        .arg(QLatin1String(what))
                        .arg(v)
                        .arg(kMaxCoord / 1'000'000'000));
}

TBinaryReader::TBinaryReader(QIODevice* device) : fDevice(device), fSize(device->size()) {}

qint64 TBinaryReader::Position() const { return fDevice->pos(); }
qint64 TBinaryReader::Remaining() const { return fSize - fDevice->pos(); }

void TBinaryReader::ReadRaw(void* dst, qint64 n) {
  if (n > Remaining())
    throw EPLNError(QStringLiteral("unexpected end of data at byte %1 (%2 more bytes needed)")
                        .arg(Position())
                        .arg(n - Remaining()));
  if (fDevice->read(static_cast<char*>(dst), n) != n)
    throw EPLNError(QStringLiteral("read error at byte %1: %2").arg(Position()).arg(fDevice->errorString()));
}

template <typename T>
static T FromLE(const unsigned char* b) {
  return qFromLittleEndian<T>(b);
}

std::int8_t TBinaryReader::ReadInt8() { return static_cast<std::int8_t>(ReadByte()); }
std::uint8_t TBinaryReader::ReadByte() {
  unsigned char b;
  ReadRaw(&b, 1);
  return b;
}
bool TBinaryReader::ReadBoolean() { return ReadByte() != 0; }
std::int16_t TBinaryReader::ReadInt16() { return static_cast<std::int16_t>(ReadUInt16()); }
std::uint16_t TBinaryReader::ReadUInt16() {
  unsigned char b[2];
  ReadRaw(b, 2);
  return FromLE<quint16>(b);
}
std::int32_t TBinaryReader::ReadInt32() { return static_cast<std::int32_t>(ReadUInt32()); }
std::uint32_t TBinaryReader::ReadUInt32() {
  unsigned char b[4];
  ReadRaw(b, 4);
  return FromLE<quint32>(b);
}
std::int64_t TBinaryReader::ReadInt64() {
  unsigned char b[8];
  ReadRaw(b, 8);
  return static_cast<std::int64_t>(FromLE<quint64>(b));
}
std::int64_t TBinaryReader::ReadCoord(const char* what) {
  const std::int64_t v = ReadInt64();
  CheckCoord(v, what);
  return v;
}
float TBinaryReader::ReadSingle() {
  const qint64 at = Position();
  std::uint32_t u = ReadUInt32();
  float f;
  std::memcpy(&f, &u, 4);
  if (!std::isfinite(f)) throw EPLNError(QStringLiteral("invalid number at byte %1").arg(at));
  return f;
}
double TBinaryReader::ReadDouble() {
  const qint64 at = Position();
  unsigned char b[8];
  ReadRaw(b, 8);
  quint64 u = FromLE<quint64>(b);
  double d;
  std::memcpy(&d, &u, 8);
  if (!std::isfinite(d)) throw EPLNError(QStringLiteral("invalid number at byte %1").arg(at));
  return d;
}
QString TBinaryReader::ReadString() {
  const qint64 at = Position();
  quint64 len = 0;
  int shift = 0;
  for (;;) {
    std::uint8_t b = ReadByte();
    len |= quint64(b & 0x7F) << shift;
    if (!(b & 0x80)) break;
    shift += 7;
    if (shift > 28) throw EPLNError(QStringLiteral("invalid text length at byte %1").arg(at));
  }
  if (static_cast<qint64>(len) > Remaining())
    throw EPLNError(QStringLiteral("text at byte %1 runs past the end of the data").arg(at));
  QByteArray bytes(static_cast<qsizetype>(len), Qt::Uninitialized);
  if (len) ReadRaw(bytes.data(), static_cast<qint64>(len));
  return QString::fromUtf8(bytes);
}
QByteArray TBinaryReader::ReadBytes(qint64 count) {
  if (count < 0) throw EPLNError(QStringLiteral("invalid byte count at byte %1").arg(Position()));
  QByteArray bytes(static_cast<qsizetype>(qMin(count, Remaining())), Qt::Uninitialized);
  ReadRaw(bytes.data(), count);
  return bytes;
}
std::int32_t TBinaryReader::ReadCount(qint64 minRecordBytes, const char* what) {
  const qint64 at = Position();
  std::int32_t n = ReadInt32();
  if (n < 0 || (minRecordBytes > 0 && qint64(n) * minRecordBytes > Remaining()))
    throw EPLNError(QStringLiteral("invalid %1 count %2 at byte %3").arg(QLatin1String(what)).arg(n).arg(at));
  return n;
}

TBinaryWriter::TBinaryWriter(QIODevice* device) : fDevice(device) {}

void TBinaryWriter::WriteRaw(const void* src, qint64 n) {
  if (fDevice->write(static_cast<const char*>(src), n) != n)
    throw EPLNError(QStringLiteral("write error: %1").arg(fDevice->errorString()));
}
void TBinaryWriter::WriteInt8(std::int8_t v) { WriteByte(static_cast<std::uint8_t>(v)); }
void TBinaryWriter::WriteByte(std::uint8_t v) { WriteRaw(&v, 1); }
void TBinaryWriter::WriteBoolean(bool v) { WriteByte(v ? 1 : 0); }
void TBinaryWriter::WriteInt16(std::int16_t v) { WriteUInt16(static_cast<std::uint16_t>(v)); }
void TBinaryWriter::WriteUInt16(std::uint16_t v) {
  unsigned char b[2];
  qToLittleEndian<quint16>(v, b);
  WriteRaw(b, 2);
}
void TBinaryWriter::WriteInt32(std::int32_t v) { WriteUInt32(static_cast<std::uint32_t>(v)); }
void TBinaryWriter::WriteUInt32(std::uint32_t v) {
  unsigned char b[4];
  qToLittleEndian<quint32>(v, b);
  WriteRaw(b, 4);
}
void TBinaryWriter::WriteInt64(std::int64_t v) {
  unsigned char b[8];
  qToLittleEndian<quint64>(static_cast<quint64>(v), b);
  WriteRaw(b, 8);
}
void TBinaryWriter::WriteSingle(float v) {
  std::uint32_t u;
  std::memcpy(&u, &v, 4);
  WriteUInt32(u);
}
void TBinaryWriter::WriteDouble(double v) {
  quint64 u;
  std::memcpy(&u, &v, 8);
  WriteInt64(static_cast<std::int64_t>(u));
}
void TBinaryWriter::WriteString(const QString& s) {
  const QByteArray utf8 = s.toUtf8();
  quint64 len = static_cast<quint64>(utf8.size());
  do {
    std::uint8_t b = len & 0x7F;
    len >>= 7;
    if (len) b |= 0x80;
    WriteByte(b);
  } while (len);
  WriteRaw(utf8.constData(), utf8.size());
}
void TBinaryWriter::WriteBytes(const QByteArray& b) { WriteRaw(b.constData(), b.size()); }

}  // namespace Orv
