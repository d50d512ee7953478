#pragma once
// Little-endian binary reader and writer over a QIODevice. Strings are a 7-bit-encoded byte
// length followed by UTF-8. Every read checks what is left, so a truncated or corrupt stream
// raises a clear error instead of reading garbage.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <cstdint>
#include <stdexcept>

namespace Orv {

// Raised for any read or write failure; the text is meant for the user.
class EPLNError : public std::runtime_error {
 public:
  explicit EPLNError(const QString& message);
  QString Message() const { return QString::fromUtf8(what()); }
};

// Item coordinates in base units reach at most this far from the origin (4,000 km): a drawing of
// a few thousand kilometres. Both file readers refuse anything beyond, so every drawing one
// format holds the other holds too, and doubles keep such values exact.
constexpr std::int64_t kMaxCoord = 4'000'000'000'000;
// Raises EPLNError naming `what` when |v| is beyond kMaxCoord.
void CheckCoord(std::int64_t v, const char* what);

class TBinaryReader {
 public:
  explicit TBinaryReader(QIODevice* device);

  std::int8_t ReadInt8();
  std::uint8_t ReadByte();
  bool ReadBoolean();
  std::int16_t ReadInt16();
  std::uint16_t ReadUInt16();
  std::int32_t ReadInt32();
  std::uint32_t ReadUInt32();
  std::int64_t ReadInt64();
  std::int64_t ReadCoord(const char* what);  // ReadInt64 within kMaxCoord
  float ReadSingle();   // rejects NaN and infinities
  double ReadDouble();  // rejects NaN and infinities
  QString ReadString();
  QByteArray ReadBytes(qint64 count);

  // A count that is followed by `minRecordBytes` bytes per element: rejected when negative or
  // when the rest of the stream cannot hold that many records.
  std::int32_t ReadCount(qint64 minRecordBytes, const char* what);

  qint64 Position() const;
  qint64 Remaining() const;
  QIODevice* Device() const { return fDevice; }

 private:
  void ReadRaw(void* dst, qint64 n);
  QIODevice* fDevice;
  qint64 fSize;
};

class TBinaryWriter {
 public:
  explicit TBinaryWriter(QIODevice* device);

  void WriteInt8(std::int8_t v);
  void WriteByte(std::uint8_t v);
  void WriteBoolean(bool v);
  void WriteInt16(std::int16_t v);
  void WriteUInt16(std::uint16_t v);
  void WriteInt32(std::int32_t v);
  void WriteUInt32(std::uint32_t v);
  void WriteInt64(std::int64_t v);
  void WriteSingle(float v);
  void WriteDouble(double v);
  void WriteString(const QString& s);
  void WriteBytes(const QByteArray& b);

 private:
  void WriteRaw(const void* src, qint64 n);
  QIODevice* fDevice;
};

}  // namespace Orv
