#include "platform/core/stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace vx::plat {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "streams write scalars in memory order, which must be little-endian");

std::int64_t TStream::GetSize() {
  std::int64_t pos = Seek(0, TSeekOrigin::soCurrent);
  std::int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(pos, TSeekOrigin::soBeginning);
  return size;
}

std::int64_t TStream::Remaining() {
  std::int64_t r = GetSize() - GetPosition();
  return r < 0 ? 0 : r;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  auto* p = static_cast<std::uint8_t*>(buffer);
  while (count > 0) {
    std::int32_t chunk = static_cast<std::int32_t>(std::min<std::int64_t>(count, 1 << 30));
    std::int32_t got = Read(p, chunk);
    if (got != chunk) throw EReadError();
    p += got;
    count -= got;
  }
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  auto* p = static_cast<const std::uint8_t*>(buffer);
  while (count > 0) {
    std::int32_t chunk = static_cast<std::int32_t>(std::min<std::int64_t>(count, 1 << 30));
    std::int32_t put = Write(p, chunk);
    if (put != chunk) throw EWriteError();
    p += put;
    count -= put;
  }
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  std::int64_t total = count;
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(std::min<std::int64_t>(count, 64 * 1024)));
  while (count > 0) {
    std::int32_t n = static_cast<std::int32_t>(std::min<std::int64_t>(count, buf.size()));
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    count -= n;
  }
  return total;
}

// --- TMemoryStream ---------------------------------------------------------

std::int32_t TMemoryStream::Read(void* buffer, std::int32_t count) {
  if (count <= 0 || FPosition >= GetSize()) return 0;
  std::int64_t n = std::min<std::int64_t>(count, GetSize() - FPosition);
  std::memcpy(buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
  FPosition += n;
  return static_cast<std::int32_t>(n);
}

std::int32_t TMemoryStream::Write(const void* buffer, std::int32_t count) {
  if (count <= 0) return 0;
  std::int64_t end = FPosition + count;
  if (end > GetSize()) SetSize(end);
  std::memcpy(FData.data() + FPosition, buffer, static_cast<std::size_t>(count));
  FPosition = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                      : origin == TSeekOrigin::soCurrent ? FPosition
                                                          : GetSize();
  std::int64_t pos = base + offset;
  if (pos < 0) pos = 0;  // a memory stream cannot stand before its start
  FPosition = pos;
  return FPosition;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
  if (newSize < 0) newSize = 0;
  try {
    FData.resize(static_cast<std::size_t>(newSize));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  } catch (const std::length_error&) {
    throw EOutOfMemory();
  }
  if (FPosition > newSize) FPosition = newSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  std::int64_t size = source.GetSize();
  std::vector<std::uint8_t> data;
  try {
    data.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
  source.ReadBuffer(data.data(), size);
  FData.swap(data);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream f(fileName, fmOpenRead);
  LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& dest) { dest.WriteBuffer(FData.data(), GetSize()); }

void TMemoryStream::SaveToFile(const std::string& fileName) {
  TSafeFileStream f(fileName);
  SaveToStream(f);
  f.Commit();
}

// --- TFileStream -----------------------------------------------------------

namespace {

std::string Reason() { return std::strerror(errno); }

}  // namespace

TFileStream::TFileStream(const std::string& fileName, std::uint16_t mode) : FFileName(fileName) {
  if (mode == fmCreate) {
    FFile = std::fopen(fileName.c_str(), "w+b");
    if (!FFile) throw EFCreateError("Cannot create file \"" + fileName + "\". " + Reason());
    return;
  }
  const char* m = (mode & 3) == fmOpenRead ? "rb" : "r+b";
  FFile = std::fopen(fileName.c_str(), m);
  if (!FFile) throw EFOpenError("Cannot open file \"" + fileName + "\". " + Reason());
  // Reading a folder "succeeds" with fopen on Linux: reject it like a missing file.
  struct stat st {};
  if (fstat(fileno(FFile), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(FFile);
    FFile = nullptr;
    throw EFOpenError("Cannot open file \"" + fileName + "\". Is a directory");
  }
}

TFileStream::~TFileStream() {
  if (FFile) std::fclose(FFile);
}

std::int32_t TFileStream::Read(void* buffer, std::int32_t count) {
  if (count <= 0) return 0;
  return static_cast<std::int32_t>(std::fread(buffer, 1, static_cast<std::size_t>(count), FFile));
}

std::int32_t TFileStream::Write(const void* buffer, std::int32_t count) {
  if (count <= 0) return 0;
  return static_cast<std::int32_t>(std::fwrite(buffer, 1, static_cast<std::size_t>(count), FFile));
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
  if (fseeko(FFile, static_cast<off_t>(offset), whence) != 0) {
    // Seeking before the start stays at the start, as on a memory stream.
    fseeko(FFile, 0, SEEK_SET);
  }
  return static_cast<std::int64_t>(ftello(FFile));
}

void TFileStream::SetSize(std::int64_t newSize) {
  std::fflush(FFile);
  if (ftruncate(fileno(FFile), static_cast<off_t>(newSize)) != 0)
    throw EWriteError("Cannot resize file \"" + FFileName + "\". " + Reason());
  if (GetPosition() > newSize) SetPosition(newSize);
}

// --- TSafeFileStream -------------------------------------------------------

TSafeFileStream::TSafeFileStream(const std::string& fileName) : FFileName(fileName) {
  std::string pattern = fileName + ".tmpXXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) throw EFCreateError("Cannot create file \"" + fileName + "\". " + Reason());
  FTempName = name.data();
  FFile = fdopen(fd, "w+b");
  if (!FFile) {
    ::close(fd);
    std::remove(FTempName.c_str());
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + Reason());
  }
}

TSafeFileStream::~TSafeFileStream() {
  if (FFile) {
    std::fclose(FFile);
    std::remove(FTempName.c_str());
  }
}

std::int32_t TSafeFileStream::Read(void* buffer, std::int32_t count) {
  if (count <= 0) return 0;
  return static_cast<std::int32_t>(std::fread(buffer, 1, static_cast<std::size_t>(count), FFile));
}

std::int32_t TSafeFileStream::Write(const void* buffer, std::int32_t count) {
  if (count <= 0) return 0;
  return static_cast<std::int32_t>(std::fwrite(buffer, 1, static_cast<std::size_t>(count), FFile));
}

std::int64_t TSafeFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
  if (fseeko(FFile, static_cast<off_t>(offset), whence) != 0) fseeko(FFile, 0, SEEK_SET);
  return static_cast<std::int64_t>(ftello(FFile));
}

void TSafeFileStream::SetSize(std::int64_t newSize) {
  std::fflush(FFile);
  if (ftruncate(fileno(FFile), static_cast<off_t>(newSize)) != 0)
    throw EWriteError("Cannot resize file \"" + FFileName + "\". " + Reason());
}

void TSafeFileStream::Commit() {
  if (!FFile) return;
  bool ok = std::fflush(FFile) == 0 && fsync(fileno(FFile)) == 0;
  ok = (std::fclose(FFile) == 0) && ok;
  FFile = nullptr;
  if (!ok || std::rename(FTempName.c_str(), FFileName.c_str()) != 0) {
    std::string reason = Reason();
    std::remove(FTempName.c_str());
    throw EWriteError("Cannot write file \"" + FFileName + "\". " + reason);
  }
}

bool FileExists(const std::string& fileName) {
  struct stat st {};
  return stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace vx::plat
