// Internals of the device-independent bitmap form, shared by the BMP and ICO
// codecs: header parsing, colour tables, pixel decoding and encoding.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/imaging/image.h"
#include "platform/imaging/imaging_internal.h"

namespace vx::plat::imaging::detail {

// Compression codes of the info header.
enum DibCompression : std::uint32_t {
  kBiRgb = 0,
  kBiRle8 = 1,
  kBiRle4 = 2,
  kBiBitfields = 3,
  kBiJpeg = 4,
  kBiPng = 5,
  kBiAlphaBitfields = 6,
};

inline constexpr std::uint32_t kCoreHeaderSize = 12;
inline constexpr std::uint32_t kInfoHeaderSize = 40;
inline constexpr std::uint32_t kV4HeaderSize = 108;
inline constexpr std::uint32_t kV5HeaderSize = 124;

// The parsed info header of a DIB (any of the header versions).
struct DibHeader {
  std::uint32_t headerSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // always positive here; topDown holds the sign
  bool topDown = false;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t sizeImage = 0;
  std::uint32_t colorsUsed = 0;
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha (alpha 0 = none)
  bool hasMasks = false;                 // masks came from the file
  bool coreTable = false;                // colour table entries are 3 bytes (old OS/2 header)
  // Offset of the colour table (just after the header and any separate masks).
  std::uint64_t tableOffset = 0;
  // Number of colour table entries the file holds and their end offset.
  std::uint64_t tableEntries = 0;
  std::uint64_t tableEnd = 0;
};

// Parses the info header at offset (and the masks that follow a 40-byte
// header for bit-field compression), validating every field; errors name the
// reader's format. The colour table is located, not yet checked.
DibHeader ParseDibHeader(const ByteReader& reader, std::uint64_t offset);

// The colour table as 0x00RRGGBB entries (at most 2^bitCount for indexed
// pictures, none for others); raises "colour table larger than the file" when
// the table the header declares does not fit in the reader's data.
std::vector<std::uint32_t> ReadDibPalette(const ByteReader& reader, const DibHeader& header);

// Bytes per row of a DIB: rows are padded to 4 bytes (64-bit, no overflow).
constexpr std::uint64_t DibRowBytes(std::uint64_t width, std::uint64_t bitCount) {
  return ((width * bitCount + 31) / 32) * 4;
}

// Decodes the pixel bits of a DIB into a picture (any compression); `bits`
// runs from the first pixel byte to the end of the data available.
Image DecodeDibPixels(const char* format, const DibHeader& header, const std::vector<std::uint32_t>& palette,
                      std::span<const std::uint8_t> bits);

// How many bytes the pixel data of an uncompressed DIB occupy.
std::uint64_t DibPixelBytes(const DibHeader& header);

// Where a written 32-bit DIB keeps a meaningful alpha.
enum class DibAlphaLayout : std::uint8_t {
  V5Header,    // version-5 header with bit fields and an alpha mask (bitmap files)
  FourthByte,  // 40-byte header, alpha in each pixel's fourth byte (icon images)
};

// Encodes the info header (+ colour table) and the pixel bits at bitCount
// 1, 4, 8, 16, 24 or 32. Height is written negative for topDown. Alpha is
// written only for a 32-bit picture whose alpha is meaningful.
struct EncodedDib {
  std::vector<std::uint8_t> header;  // info header, masks and colour table
  std::vector<std::uint8_t> bits;
};
EncodedDib EncodeDib(const char* format, const Image& image, std::uint16_t bitCount, bool topDown,
                     DibAlphaLayout alphaLayout = DibAlphaLayout::V5Header);

// The colour table a picture is written with at 1, 4 or 8 bits per pixel: its
// own palette when it fits, else its colours when few enough, else a fixed one.
std::vector<std::uint32_t> ChoosePalette(const Image& image, std::uint16_t bitCount);

}  // namespace vx::plat::imaging::detail
