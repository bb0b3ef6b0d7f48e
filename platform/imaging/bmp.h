// BMP pictures: the bitmap file image (14-byte file header + device-independent
// bitmap) and the bare device-independent bitmap ("DIB": info header, colour
// table and pixel bits) that the clipboard and the device layer exchange.
//
// Read: info headers of 12 (OS/2 core), 16/64 (OS/2 2.x), 40, 52, 56, 108 (V4)
// and 124 (V5) bytes; 1, 4, 8, 16, 24 and 32 bits per pixel; uncompressed,
// bit fields (16 and 32 bits, e.g. 5-6-5), run-length (RLE8, RLE4) and
// embedded JPEG/PNG; colour tables (0 colours used = full table); bottom-up
// and top-down rows; rows padded to 4 bytes.
// Write: 1, 4, 8 (with a colour table), 16 (5-5-5), 24 and 32 bits per pixel.
//
// Every size, offset and count is checked against the data and the limits of
// image.h before anything is allocated; bad data raise EInvalidGraphic
// ("Invalid BMP: colour table larger than the file").
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/imaging/image.h"

namespace vx::plat {
class TStream;
}

namespace vx::plat::imaging {

// Bits per pixel of a written bitmap.
enum class TBmpDepth : std::uint8_t {
  bdSource = 0,  // the picture's SourceBitDepth (the depth of the file it came from)
  bd1 = 1,
  bd4 = 4,
  bd8 = 8,
  bd16 = 16,  // 5 bits per channel
  bd24 = 24,
  bd32 = 32,  // alpha kept when the picture's alpha is meaningful
};

// Order of the rows in a written bitmap.
enum class TRowOrder : std::uint8_t {
  roBottomUp,  // the usual layout: last row first, positive height
  roTopDown,   // first row first, negative height
};

// How pixels of a 32-bit BI_RGB bitmap are read: its fourth byte is alpha when
// any pixel has a non-zero fourth byte below 255, else the picture is opaque.
// Pixels of indexed bitmaps beyond the colour table are black.
// Skipped pixels of run-length bitmaps take colour table entry 0.

// Decodes a bitmap file image (starting with "BM").
Image ReadBmp(std::span<const std::uint8_t> data);
// Decodes the bitmap file image at the stream's position and leaves the
// position just after it (the size its header gives when that is consistent,
// else the size the headers imply). On failure the position is restored.
Image ReadBmp(TStream& stream);
// Decodes a bitmap file; a missing file raises EFOpenError.
Image ReadBmpFile(const std::string& fileName);

// Decodes a packed DIB: info header, masks/colour table, then the pixel bits.
Image ReadDib(std::span<const std::uint8_t> packed);
// Decodes a DIB whose info header (with masks and colour table) and pixel
// bits are held apart, as a device-independent transfer passes them.
Image ReadDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits);

// Encodes a bitmap file image. At 1, 4 and 8 bits per pixel the colour table
// is the picture's Palette when it fits, else the picture's own colours when
// there are few enough, else a fixed table, with every pixel mapped to the
// nearest entry. Raises EInvalidGraphic for a picture whose Pixels do not
// match its size.
std::vector<std::uint8_t> WriteBmp(const Image& image, TBmpDepth depth = TBmpDepth::bdSource,
                                   TRowOrder order = TRowOrder::roBottomUp);
void WriteBmp(TStream& stream, const Image& image, TBmpDepth depth = TBmpDepth::bdSource,
              TRowOrder order = TRowOrder::roBottomUp);
// Saves a bitmap file; a previous file is replaced only once the new one is complete.
void WriteBmpFile(const std::string& fileName, const Image& image, TBmpDepth depth = TBmpDepth::bdSource,
                  TRowOrder order = TRowOrder::roBottomUp);

// Encodes a packed DIB (no file header): info header (40 bytes, or 124 for a
// 32-bit picture with alpha), colour table, then the pixel bits.
std::vector<std::uint8_t> WriteDib(const Image& image, TBmpDepth depth = TBmpDepth::bdSource,
                                   TRowOrder order = TRowOrder::roBottomUp);

// Offset of the pixel bits inside a packed DIB (info header + masks + colour
// table); raises EInvalidGraphic for a malformed header.
std::size_t DibBitsOffset(std::span<const std::uint8_t> packed);

// Bytes per row of a DIB of the given width and bits per pixel (rows are
// padded to a multiple of 4 bytes).
std::int64_t DibStride(std::int32_t width, std::int32_t bitsPerPixel);

// The depth a picture is written at for `depth`: bdSource resolves to the
// picture's SourceBitDepth, or 24 for a picture made in memory (depth 0) or
// from a file depth BMP cannot hold.
std::uint16_t ResolveBmpDepth(const Image& image, TBmpDepth depth);

}  // namespace vx::plat::imaging
