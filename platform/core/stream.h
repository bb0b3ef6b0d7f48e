// Byte streams: the abstract stream, a growable memory stream and a file stream.
// Multi-byte values are little-endian on every stream (ReadValue/WriteValue).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/core/object.h"

namespace vx::plat {

enum class TSeekOrigin : std::uint8_t { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
  // Writes up to count bytes; returns how many were written.
  virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
  // Moves the position; returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual void SetSize(std::int64_t newSize) = 0;

  std::int64_t GetPosition() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
  virtual std::int64_t GetSize();
  // Bytes between the position and the end; never negative.
  std::int64_t Remaining();

  // Reads exactly count bytes or raises EReadError ("Stream read error").
  void ReadBuffer(void* buffer, std::int64_t count);
  // Writes exactly count bytes or raises EWriteError.
  void WriteBuffer(const void* buffer, std::int64_t count);
  // Copies count bytes from source's position; count 0 copies all of source
  // from its start. Returns the number of bytes copied.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);

  // Little-endian scalar access (the platform is little-endian; static_assert below).
  template <class T>
  T ReadValue() {
    static_assert(std::is_trivially_copyable_v<T>);
    T v;
    ReadBuffer(&v, sizeof(T));
    return v;
  }
  template <class T>
  void WriteValue(const T& v) {
    static_assert(std::is_trivially_copyable_v<T>);
    WriteBuffer(&v, sizeof(T));
  }
};

// A stream over a growable block of memory.
class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  std::int32_t Read(void* buffer, std::int32_t count) override;
  std::int32_t Write(const void* buffer, std::int32_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;
  std::int64_t GetSize() override { return static_cast<std::int64_t>(FData.size()); }

  std::uint8_t* Memory() { return FData.data(); }
  const std::uint8_t* Memory() const { return FData.data(); }
  const std::vector<std::uint8_t>& Bytes() const { return FData; }
  void Clear();
  // Replaces the contents with all of source (from its start); position 0.
  void LoadFromStream(TStream& source);
  void LoadFromFile(const std::string& fileName);
  void SaveToStream(TStream& dest);
  void SaveToFile(const std::string& fileName);

private:
  std::vector<std::uint8_t> FData;
  std::int64_t FPosition = 0;
};

// File open modes.
enum TFileMode : std::uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmCreate = 0xFF00,  // create the file, replacing an existing one
};

// A stream over a file. Opening a missing file raises EFOpenError; creating
// one that cannot be created raises EFCreateError; both name the file.
class TFileStream : public TStream {
public:
  TFileStream(const std::string& fileName, std::uint16_t mode);
  ~TFileStream() override;
  std::int32_t Read(void* buffer, std::int32_t count) override;
  std::int32_t Write(const void* buffer, std::int32_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;
  const std::string& FileName() const { return FFileName; }

private:
  std::string FFileName;
  std::FILE* FFile = nullptr;
};

// Writes a file so that the previous one is never destroyed by a failed save:
// the data go to a temporary file in the same folder, which Commit renames over
// the target. Without Commit (an exception), the temporary file is removed.
class TSafeFileStream : public TStream {
public:
  explicit TSafeFileStream(const std::string& fileName);
  ~TSafeFileStream() override;
  std::int32_t Read(void* buffer, std::int32_t count) override;
  std::int32_t Write(const void* buffer, std::int32_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;
  // Flushes and renames the temporary file over the target; raises on failure.
  void Commit();

private:
  std::string FFileName;
  std::string FTempName;
  std::FILE* FFile = nullptr;
};

bool FileExists(const std::string& fileName);

}  // namespace vx::plat
