// PNG pictures (through libpng). Every input kind is expanded to 8-bit BGRA:
// palette, grey (1 to 16 bits), 16-bit channels, transparency chunks and
// interlaced files. Corrupt or truncated data raise EInvalidGraphic.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/imaging/image.h"

namespace vx::plat {
class TStream;
}

namespace vx::plat::imaging {

// Which channels a written PNG holds.
enum class TPngChannels : std::uint8_t {
  pcAuto,  // RGBA when the picture's alpha is meaningful, RGB otherwise
  pcRgb,   // 24-bit RGB: alpha is dropped
  pcRgba,  // 32-bit RGBA: an amIgnored picture is written fully opaque
};

// Decodes a whole PNG file image. Alpha is amStraight when the file has an
// alpha channel or a transparency chunk. SourceBitDepth is 1, 4 or 8 (with the
// palette) for palette files, 8 (grey palette) for grey files without alpha,
// 24 for RGB and 32 for files with alpha.
Image ReadPng(std::span<const std::uint8_t> data);
// Decodes the PNG starting at the stream's position and leaves the position
// just after its end chunk.
Image ReadPng(TStream& stream);
// Decodes a PNG file; a missing file raises EFOpenError.
Image ReadPngFile(const std::string& fileName);

// Encodes the picture as a PNG file image.
std::vector<std::uint8_t> WritePng(const Image& image, TPngChannels channels = TPngChannels::pcAuto);
// Writes the PNG file image at the stream's position.
void WritePng(TStream& stream, const Image& image, TPngChannels channels = TPngChannels::pcAuto);
// Saves the picture as a PNG file; a previous file is replaced only once the
// new one is complete.
void WritePngFile(const std::string& fileName, const Image& image, TPngChannels channels = TPngChannels::pcAuto);

}  // namespace vx::plat::imaging
