#include "platform/imaging/image.h"

#include <algorithm>
#include <array>
#include <new>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/imaging/imaging_internal.h"

namespace vx::plat::imaging {

void CheckImageSize(const char* format, std::int64_t width, std::int64_t height) {
  if (width < 0 || height < 0)
    detail::Fail(format,
                 "image of " + std::to_string(width) + " x " + std::to_string(height) + " pixels has a negative size");
  // Both factors are at most 2^31 here, so the product fits in 64 bits.
  if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels)
    detail::Fail(format,
                 "image of " + std::to_string(width) + " x " + std::to_string(height) + " pixels exceeds the limit");
}

Image::Image(std::int32_t width, std::int32_t height, std::uint32_t fill) {
  *this = detail::MakeImage("picture", width, height, fill);
}

namespace {

bool StartsWith(std::span<const std::uint8_t> data, std::initializer_list<std::uint8_t> prefix) {
  if (data.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), data.begin());
}

std::uint32_t LeU32(std::span<const std::uint8_t> data, std::size_t offset) {
  return static_cast<std::uint32_t>(data[offset]) | (static_cast<std::uint32_t>(data[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(data[offset + 2]) << 16) | (static_cast<std::uint32_t>(data[offset + 3]) << 24);
}

// A standard (non-placeable) metafile starts with its type (1 memory, 2 disk),
// a header size of 9 words and version 0x0100 or 0x0300.
bool IsStandardWmf(std::span<const std::uint8_t> data) {
  if (data.size() < 18) return false;
  bool type = (data[0] == 1 || data[0] == 2) && data[1] == 0;
  bool headerSize = data[2] == 9 && data[3] == 0;
  bool version = data[4] == 0 && (data[5] == 1 || data[5] == 3);
  return type && headerSize && version;
}

}  // namespace

TImageFormat DetectFormat(std::span<const std::uint8_t> data) {
  if (StartsWith(data, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return TImageFormat::ifPng;
  if (StartsWith(data, {0xFF, 0xD8, 0xFF})) return TImageFormat::ifJpeg;
  if (StartsWith(data, {'B', 'M'})) return TImageFormat::ifBmp;
  if (StartsWith(data, {0x00, 0x00, 0x01, 0x00})) return TImageFormat::ifIco;
  if (StartsWith(data, {0x00, 0x00, 0x02, 0x00})) return TImageFormat::ifCur;
  if (StartsWith(data, {0xD7, 0xCD, 0xC6, 0x9A})) return TImageFormat::ifWmf;
  if (data.size() >= 44 && LeU32(data, 0) == 1 && LeU32(data, 40) == 0x464D4520u) return TImageFormat::ifEmf;
  if (IsStandardWmf(data)) return TImageFormat::ifWmf;
  return TImageFormat::ifUnknown;
}

TImageFormat DetectFormat(TStream& stream) {
  std::int64_t start = stream.GetPosition();
  std::array<std::uint8_t, 44> head{};
  std::int32_t got = stream.Read(head.data(), static_cast<std::int32_t>(head.size()));
  stream.SetPosition(start);
  return DetectFormat(std::span<const std::uint8_t>(head.data(), static_cast<std::size_t>(std::max(got, 0))));
}

const char* FormatName(TImageFormat format) {
  switch (format) {
    case TImageFormat::ifBmp: return "BMP";
    case TImageFormat::ifIco: return "ICO";
    case TImageFormat::ifCur: return "CUR";
    case TImageFormat::ifJpeg: return "JPEG";
    case TImageFormat::ifPng: return "PNG";
    case TImageFormat::ifEmf: return "EMF";
    case TImageFormat::ifWmf: return "WMF";
    case TImageFormat::ifUnknown: break;
  }
  return "unknown";
}

namespace detail {

void Fail(const char* format, const std::string& what) {
  throw EInvalidGraphic(std::string("Invalid ") + format + ": " + what);
}

std::string NestedMessage(const char* outerFormat, const std::string& inner) {
  const std::string prefix = "Invalid ";
  std::size_t colon = inner.find(": ");
  if (inner.rfind(prefix, 0) != 0 || colon == std::string::npos) return inner;
  std::string format = inner.substr(prefix.size(), colon - prefix.size());
  std::string rest = inner.substr(colon + 2);
  return format == outerFormat ? rest : format + " data: " + rest;
}

Image MakeImage(const char* format, std::int64_t width, std::int64_t height, std::uint32_t fill) {
  CheckImageSize(format, width, height);
  Image image;
  try {
    image.Pixels.assign(static_cast<std::size_t>(width * height), fill);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
  image.Width = static_cast<std::int32_t>(width);
  image.Height = static_cast<std::int32_t>(height);
  return image;
}

void CheckImageConsistent(const char* format, const Image& image) {
  CheckImageSize(format, image.Width, image.Height);
  std::uint64_t expected = static_cast<std::uint64_t>(image.Width) * static_cast<std::uint64_t>(image.Height);
  if (image.Pixels.size() != expected)
    throw EInvalidGraphic(std::string("Cannot write ") + format + ": the picture holds " +
                          std::to_string(image.Pixels.size()) + " pixels instead of " + std::to_string(expected));
}

std::vector<std::uint8_t> ReadExactly(TStream& stream, const char* format, std::int64_t count) {
  if (count < 0 || count > stream.Remaining()) Fail(format, "the data end before the picture does");
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
  stream.ReadBuffer(bytes.data(), count);
  return bytes;
}

std::vector<std::uint8_t> ReadRemaining(TStream& stream, const char* format, std::int64_t limit) {
  std::int64_t count = stream.Remaining();
  if (count > limit) Fail(format, "the data exceed the limit of " + std::to_string(limit) + " bytes");
  return ReadExactly(stream, format, count);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName, const char* format) {
  TFileStream file(fileName, fmOpenRead);
  return ReadRemaining(file, format, kMaxEncodedBytes);
}

void WriteWholeFile(const std::string& fileName, std::span<const std::uint8_t> bytes) {
  TSafeFileStream file(fileName);
  file.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  file.Commit();
}

}  // namespace detail

}  // namespace vx::plat::imaging
