// JPEG pictures (through libjpeg-turbo). Colour, grey, CMYK and YCCK inputs,
// baseline or progressive, are decoded to opaque 8-bit BGRA. Corrupt or
// truncated data raise EInvalidGraphic with the decoder's own message.
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

// Colour model of a written JPEG.
enum class TJpegColour : std::uint8_t {
  jcColour,     // YCbCr from the picture's red, green and blue
  jcGrayscale,  // one grey channel (luminance of each pixel)
};

// Scan layout of a written JPEG.
enum class TJpegScan : std::uint8_t {
  jsBaseline,     // one sequential scan: read by every decoder
  jsProgressive,  // several scans refining the whole picture
};

// How a written JPEG is compressed.
struct TJpegOptions {
  int Quality = 90;  // 1 (smallest) .. 100 (best); clamped into that range
  TJpegColour Colour = TJpegColour::jcColour;
  TJpegScan Scan = TJpegScan::jsBaseline;
};

// Decodes a whole JPEG file image. Alpha is amIgnored; SourceBitDepth is 24,
// or 8 with a grey palette for grey files. A file that ends before its last
// scan is refused rather than shown half grey; other recoverable damage the
// decoder warns about is tolerated.
Image ReadJpeg(std::span<const std::uint8_t> data);
// Decodes the JPEG at the stream's position and leaves the position just after
// its end marker. On failure the position is restored.
Image ReadJpeg(TStream& stream);
// Decodes a JPEG file; a missing file raises EFOpenError.
Image ReadJpegFile(const std::string& fileName);

// Encodes the picture as a JPEG file image (alpha is dropped).
std::vector<std::uint8_t> WriteJpeg(const Image& image, const TJpegOptions& options = {});
void WriteJpeg(TStream& stream, const Image& image, const TJpegOptions& options = {});
// Saves a JPEG file; a previous file is replaced only once the new one is complete.
void WriteJpegFile(const std::string& fileName, const Image& image, const TJpegOptions& options = {});

}  // namespace vx::plat::imaging
