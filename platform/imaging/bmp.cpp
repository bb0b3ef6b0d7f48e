#include "platform/imaging/bmp.h"

#include <algorithm>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/imaging/dib_internal.h"

namespace vx::plat::imaging {

namespace {

using detail::ByteReader;
using detail::DibHeader;
using detail::Fail;

constexpr const char* kBmp = "BMP";
constexpr std::uint64_t kFileHeaderSize = 14;

void CheckSignature(std::span<const std::uint8_t> data) {
  if (data.size() < 2 || data[0] != 'B' || data[1] != 'M') Fail(kBmp, "the \"BM\" signature is missing");
}

// Where the pixel bits start: bfOffBits, unless it points into the headers
// (some writers leave it 0), in which case right after the colour table.
std::uint64_t PixelOffset(const ByteReader& r, const DibHeader& h) {
  std::uint64_t offBits = r.U32(10, "file header");
  if (offBits < kFileHeaderSize + h.headerSize) offBits = h.tableEnd;
  if (offBits > r.Size()) Fail(kBmp, "pixel data lie outside the file");
  return offBits;
}

// Old OS/2 files may store fewer colours than the depth allows; their pixel
// offset then ends the table.
void TrimCoreTable(const ByteReader& r, DibHeader& h) {
  std::uint64_t offBits = r.U32(10, "file header");
  if (!h.coreTable || offBits < h.tableOffset || offBits >= h.tableEnd) return;
  h.tableEntries = (offBits - h.tableOffset) / 3;
  h.tableEnd = h.tableOffset + h.tableEntries * 3;
}

// How many bytes the pixel bits take, as the headers say; 0 when unknown
// (compressed bits without a size).
std::uint64_t DeclaredPixelBytes(const DibHeader& h) {
  if (h.compression == detail::kBiRgb || h.compression == detail::kBiBitfields ||
      h.compression == detail::kBiAlphaBitfields)
    return detail::DibPixelBytes(h);
  return h.sizeImage;
}

// The number of bytes a bitmap file image occupies, from its headers: its
// size field when that covers everything the headers need, else what they need.
std::uint64_t FileExtent(const ByteReader& r, const DibHeader& h, std::uint64_t available) {
  std::uint64_t bfSize = r.U32(2, "file header");
  std::uint64_t offBits = r.U32(10, "file header");
  if (offBits < kFileHeaderSize + h.headerSize) offBits = h.tableEnd;
  std::uint64_t pixelBytes = DeclaredPixelBytes(h);
  if (pixelBytes == 0 && h.width > 0 && h.height > 0) {
    // Compressed bits of unknown size: only the file's size field can tell.
    if (bfSize <= offBits || bfSize > available) Fail(kBmp, "the compressed pixel data have no size");
    return bfSize;
  }
  std::uint64_t needed = std::max(offBits + pixelBytes, h.tableEnd);
  return (bfSize >= needed && bfSize <= available) ? bfSize : needed;
}

std::uint16_t BitCountOf(TBmpDepth depth) { return static_cast<std::uint16_t>(depth); }

}  // namespace

Image ReadBmp(std::span<const std::uint8_t> data) {
  CheckSignature(data);
  ByteReader r(data, kBmp);
  r.Require(0, kFileHeaderSize, "file header");
  DibHeader h = detail::ParseDibHeader(r, kFileHeaderSize);
  TrimCoreTable(r, h);
  std::vector<std::uint32_t> palette = detail::ReadDibPalette(r, h);
  std::uint64_t offset = PixelOffset(r, h);
  return detail::DecodeDibPixels(kBmp, h, palette, data.subspan(static_cast<std::size_t>(offset)));
}

Image ReadBmp(TStream& stream) {
  std::int64_t start = stream.GetPosition();
  try {
    std::int64_t available = stream.Remaining();
    // The headers (with room for masks after a 40-byte header) tell the extent.
    std::int64_t headBytes = std::min<std::int64_t>(available, kFileHeaderSize + detail::kV5HeaderSize + 16);
    std::vector<std::uint8_t> head = detail::ReadExactly(stream, kBmp, headBytes);
    CheckSignature(head);
    ByteReader r(head, kBmp);
    r.Require(0, kFileHeaderSize, "file header");
    DibHeader h = detail::ParseDibHeader(r, kFileHeaderSize);
    TrimCoreTable(r, h);
    std::uint64_t extent = FileExtent(r, h, static_cast<std::uint64_t>(available));
    if (extent > static_cast<std::uint64_t>(available)) Fail(kBmp, "the data end before the picture does");
    stream.SetPosition(start);
    std::vector<std::uint8_t> bytes = detail::ReadExactly(stream, kBmp, static_cast<std::int64_t>(extent));
    return ReadBmp(bytes);
  } catch (...) {
    stream.SetPosition(start);
    throw;
  }
}

Image ReadBmpFile(const std::string& fileName) { return ReadBmp(detail::ReadWholeFile(fileName, kBmp)); }

Image ReadDib(std::span<const std::uint8_t> packed) {
  ByteReader r(packed, kBmp);
  DibHeader h = detail::ParseDibHeader(r, 0);
  std::vector<std::uint32_t> palette = detail::ReadDibPalette(r, h);
  return detail::DecodeDibPixels(kBmp, h, palette, packed.subspan(static_cast<std::size_t>(h.tableEnd)));
}

Image ReadDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits) {
  ByteReader r(info, kBmp);
  DibHeader h = detail::ParseDibHeader(r, 0);
  std::vector<std::uint32_t> palette = detail::ReadDibPalette(r, h);
  return detail::DecodeDibPixels(kBmp, h, palette, bits);
}

std::size_t DibBitsOffset(std::span<const std::uint8_t> packed) {
  ByteReader r(packed, kBmp);
  DibHeader h = detail::ParseDibHeader(r, 0);
  if (h.tableEnd > packed.size()) Fail(kBmp, "colour table larger than the file");
  return static_cast<std::size_t>(h.tableEnd);
}

std::int64_t DibStride(std::int32_t width, std::int32_t bitsPerPixel) {
  if (width <= 0 || bitsPerPixel <= 0) return 0;
  return static_cast<std::int64_t>(
      detail::DibRowBytes(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(bitsPerPixel)));
}

std::uint16_t ResolveBmpDepth(const Image& image, TBmpDepth depth) {
  if (depth != TBmpDepth::bdSource) return BitCountOf(depth);
  switch (image.SourceBitDepth) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: return image.SourceBitDepth;
    default: return 24;
  }
}

std::vector<std::uint8_t> WriteDib(const Image& image, TBmpDepth depth, TRowOrder order) {
  detail::EncodedDib dib = detail::EncodeDib(kBmp, image, ResolveBmpDepth(image, depth), order == TRowOrder::roTopDown);
  std::vector<std::uint8_t> out;
  out.reserve(dib.header.size() + dib.bits.size());
  out.insert(out.end(), dib.header.begin(), dib.header.end());
  out.insert(out.end(), dib.bits.begin(), dib.bits.end());
  return out;
}

std::vector<std::uint8_t> WriteBmp(const Image& image, TBmpDepth depth, TRowOrder order) {
  detail::EncodedDib dib = detail::EncodeDib(kBmp, image, ResolveBmpDepth(image, depth), order == TRowOrder::roTopDown);
  std::uint64_t offBits = kFileHeaderSize + dib.header.size();
  std::uint64_t fileSize = offBits + dib.bits.size();
  if (fileSize > 0xFFFFFFFFu) throw EInvalidGraphic("Cannot write BMP: the picture is too large for a bitmap file");
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(fileSize));
  detail::PutU8(out, 'B');
  detail::PutU8(out, 'M');
  detail::PutU32(out, static_cast<std::uint32_t>(fileSize));
  detail::PutU32(out, 0);  // reserved
  detail::PutU32(out, static_cast<std::uint32_t>(offBits));
  out.insert(out.end(), dib.header.begin(), dib.header.end());
  out.insert(out.end(), dib.bits.begin(), dib.bits.end());
  return out;
}

void WriteBmp(TStream& stream, const Image& image, TBmpDepth depth, TRowOrder order) {
  std::vector<std::uint8_t> bytes = WriteBmp(image, depth, order);
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void WriteBmpFile(const std::string& fileName, const Image& image, TBmpDepth depth, TRowOrder order) {
  detail::WriteWholeFile(fileName, WriteBmp(image, depth, order));
}

}  // namespace vx::plat::imaging
