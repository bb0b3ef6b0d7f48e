// Internals shared by the codecs of this folder: error raising, bounds-checked
// little-endian reading of a byte buffer, pixel allocation and byte output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "platform/imaging/image.h"

namespace vx::plat {
class TStream;
}

namespace vx::plat::imaging::detail {

// Raises EInvalidGraphic "Invalid <format>: <what>".
[[noreturn]] void Fail(const char* format, const std::string& what);

// The message of a picture nested in another, for the outer one's error:
// "Invalid PNG: x" inside a BMP reads "PNG data: x"; a message of the outer
// format loses its "Invalid <format>: " start.
std::string NestedMessage(const char* outerFormat, const std::string& inner);

// Reads little-endian values at absolute offsets of a buffer; any read that
// would leave the buffer raises "Invalid <format>: <what> lies outside the file".
class ByteReader {
public:
  ByteReader(std::span<const std::uint8_t> data, const char* format) : FData(data), FFormat(format) {}

  std::size_t Size() const { return FData.size(); }
  const std::uint8_t* Data() const { return FData.data(); }
  const char* Format() const { return FFormat; }
  // True when [offset, offset + count) lies inside the buffer (64-bit safe).
  bool Holds(std::uint64_t offset, std::uint64_t count) const {
    return offset <= FData.size() && count <= FData.size() - offset;
  }
  // Raises unless [offset, offset + count) lies inside the buffer.
  void Require(std::uint64_t offset, std::uint64_t count, const char* what) const {
    if (!Holds(offset, count)) Fail(FFormat, std::string(what) + " lies outside the file");
  }
  std::uint8_t U8(std::uint64_t offset, const char* what) const {
    Require(offset, 1, what);
    return FData[offset];
  }
  std::uint16_t U16(std::uint64_t offset, const char* what) const {
    Require(offset, 2, what);
    return static_cast<std::uint16_t>(FData[offset] | (FData[offset + 1] << 8));
  }
  std::uint32_t U32(std::uint64_t offset, const char* what) const {
    Require(offset, 4, what);
    std::uint32_t v;
    std::memcpy(&v, FData.data() + offset, 4);
    return v;
  }
  std::int32_t I32(std::uint64_t offset, const char* what) const {
    return static_cast<std::int32_t>(U32(offset, what));
  }
  std::span<const std::uint8_t> Sub(std::uint64_t offset, std::uint64_t count, const char* what) const {
    Require(offset, count, what);
    return FData.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(count));
  }

private:
  std::span<const std::uint8_t> FData;
  const char* FFormat;
};

// A picture of the given size with every pixel set to fill, after the limit
// check; allocation failure raises EOutOfMemory.
Image MakeImage(const char* format, std::int64_t width, std::int64_t height, std::uint32_t fill = 0xFF000000u);

// Raises EInvalidGraphic unless image.Pixels holds exactly Width * Height pixels.
void CheckImageConsistent(const char* format, const Image& image);

// Reads everything from the stream's position to its end (at most limit bytes,
// else "Invalid <format>: the data exceed the limit of N bytes").
std::vector<std::uint8_t> ReadRemaining(TStream& stream, const char* format, std::int64_t limit);
// Reads exactly count bytes after checking them against what the stream holds.
std::vector<std::uint8_t> ReadExactly(TStream& stream, const char* format, std::int64_t count);
// Reads a whole file into memory.
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName, const char* format);
// Writes bytes to a file through a safe (temporary-then-rename) stream.
void WriteWholeFile(const std::string& fileName, std::span<const std::uint8_t> bytes);

// The biggest encoded picture a stream reader accepts (2 GiB - 1: the size
// fields of the formats are 32-bit).
inline constexpr std::int64_t kMaxEncodedBytes = 0x7FFFFFFF;

// Appends little-endian values to an output buffer.
inline void PutU8(std::vector<std::uint8_t>& out, std::uint8_t v) { out.push_back(v); }
inline void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void PutI32(std::vector<std::uint8_t>& out, std::int32_t v) { PutU32(out, static_cast<std::uint32_t>(v)); }
// Overwrites a little-endian 32-bit value at offset (already written).
inline void PatchU32(std::vector<std::uint8_t>& out, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace vx::plat::imaging::detail
