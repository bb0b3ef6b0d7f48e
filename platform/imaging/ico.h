// Icon (.ico) and cursor (.cur) files: a directory of images, each stored as
// a device-independent bitmap with a colour (XOR) image and a 1-bit AND mask,
// or as an embedded PNG. Every image is decoded; bad data raise
// EInvalidGraphic ("Invalid ICO: image 2 lies outside the file").
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/core/types.h"
#include "platform/imaging/image.h"

namespace vx::plat {
class TStream;
}

namespace vx::plat::imaging {

// What a file of this family holds.
enum class TIconKind : std::uint8_t {
  ikIcon = 1,
  ikCursor = 2,  // images carry a hot spot
};

// How one image is stored in the file.
enum class TIconEncoding : std::uint8_t {
  ieBitmap,  // colour bits followed by the AND mask
  iePng,     // an embedded PNG file (transparency from its alpha)
};

// One image of an icon or cursor.
struct IconImage {
  // The colour image drawn where the mask is 0. Its alpha is meaningful for
  // 32-bit and PNG images; for 1 to 24 bits it is amIgnored and the mask alone
  // says what is transparent (colour pixels there are usually black, so that
  // "AND with the mask, then XOR with the colour" leaves the screen unchanged).
  Image Color;
  // The AND mask, Color.Width * Color.Height bytes, top row first:
  // 1 = transparent (screen shows through), 0 = opaque.
  std::vector<std::uint8_t> Mask;
  // Bits per pixel of a bitmap image (1, 4, 8, 24 or 32); 32 for PNG images.
  std::uint16_t BitDepth = 32;
  TIconEncoding Encoding = TIconEncoding::ieBitmap;
  // The point of a cursor that is the mouse position (ignored for icons).
  TPoint HotSpot;
};

// A whole icon or cursor file.
struct IconFile {
  TIconKind Kind = TIconKind::ikIcon;
  std::vector<IconImage> Images;
};

// Decodes an icon or cursor file image (every image of its directory).
IconFile ReadIco(std::span<const std::uint8_t> data);
// Decodes the file image at the stream's position and leaves the position
// just after its last image. On failure the position is restored.
IconFile ReadIco(TStream& stream);
// Decodes an icon or cursor file; a missing file raises EFOpenError.
IconFile ReadIcoFile(const std::string& fileName);

// The index of the image that best fits a square of `size` pixels at
// `bitDepth` bits per pixel: the nearest size first (the larger on a tie),
// then the exact depth, else the deepest below it, else the shallowest above.
// Raises EInvalidGraphic when the file holds no image.
std::size_t PickIconImage(const IconFile& file, std::int32_t size, std::uint16_t bitDepth = 32);

// An icon image of the picture: 32 bits, mask from its alpha (alpha 0 =
// transparent) when alpha is meaningful, else fully opaque.
IconImage MakeIconImage(const Image& color);

// Encodes an icon or cursor file. Each image is written at its BitDepth
// (1, 4, 8, 24 or 32; 32 carries alpha and mask) or as PNG; sides are at most
// 256 pixels. An empty Mask is derived from the colour's alpha.
std::vector<std::uint8_t> WriteIco(const IconFile& file);
void WriteIco(TStream& stream, const IconFile& file);
// Saves an icon or cursor file; a previous file is replaced only once the new one is complete.
void WriteIcoFile(const std::string& fileName, const IconFile& file);

}  // namespace vx::plat::imaging
