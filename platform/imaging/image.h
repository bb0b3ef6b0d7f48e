// The decoded picture every codec of this folder produces and consumes, the
// limits every decoder enforces, and recognition of a file type from its
// first bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vx::plat {
class TStream;
}

namespace vx::plat::imaging {

// Limits of every decoder, checked BEFORE anything is allocated: a side longer
// than kMaxImageSide pixels or more than kMaxImagePixels pixels in all (1 GiB
// of 32-bit pixels) is refused with EInvalidGraphic ("... exceeds the limit").
inline constexpr std::int64_t kMaxImageSide = 32768;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 28;

// How to read the alpha byte of the pixels.
enum class TAlphaMode : std::uint8_t {
  amIgnored,   // the picture has no transparency: every alpha byte is 255
  amStraight,  // alpha is meaningful and not premultiplied (0 = fully transparent)
};

// A decoded picture: 32-bit pixels, top row first. A pixel read as a
// little-endian uint32 is 0xAARRGGBB, i.e. its bytes are B, G, R, A in memory
// (the device layer's BGRX layout with the X byte holding alpha).
struct Image {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint32_t> Pixels;  // Width * Height entries, rows top-down
  TAlphaMode Alpha = TAlphaMode::amIgnored;
  // Bits per pixel of the file the picture came from (1, 4, 8, 16, 24 or 32),
  // so that a re-save can keep the depth; 0 for a picture made in memory
  // (saved at 24 bits as a bitmap).
  std::uint16_t SourceBitDepth = 0;
  // The file's colour table as 0x00RRGGBB entries (empty when it had none);
  // a re-save at 1, 4 or 8 bits per pixel reuses it.
  std::vector<std::uint32_t> Palette;

  Image() = default;
  // A picture of width x height pixels all set to fill; raises EInvalidGraphic
  // when the size is negative or beyond the limits above.
  Image(std::int32_t width, std::int32_t height, std::uint32_t fill = 0xFF000000u);

  bool Empty() const { return Width <= 0 || Height <= 0; }
  // The pixel at column x of row y (0 = top); no bounds check.
  std::uint32_t Pixel(std::int32_t x, std::int32_t y) const {
    return Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)];
  }
  void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t value) {
    Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)] = value;
  }
  // The first pixel of row y (0 = top).
  std::uint32_t* Row(std::int32_t y) {
    return Pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
  }
  const std::uint32_t* Row(std::int32_t y) const {
    return Pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
  }
};

// Packs 8-bit channels into a pixel (0xAARRGGBB).
constexpr std::uint32_t MakePixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
  return (std::uint32_t{a} << 24) | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | std::uint32_t{b};
}
constexpr std::uint8_t PixelRed(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 16); }
constexpr std::uint8_t PixelGreen(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 8); }
constexpr std::uint8_t PixelBlue(std::uint32_t p) { return static_cast<std::uint8_t>(p); }
constexpr std::uint8_t PixelAlpha(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 24); }

// Raises EInvalidGraphic "Invalid <format>: image of W x H pixels exceeds the
// limit" (or "... has a negative size") unless the size is within the limits.
void CheckImageSize(const char* format, std::int64_t width, std::int64_t height);

// File types recognised from their first bytes.
enum class TImageFormat : std::uint8_t {
  ifUnknown,
  ifBmp,   // "BM"
  ifIco,   // 00 00 01 00
  ifCur,   // 00 00 02 00
  ifJpeg,  // FF D8 FF
  ifPng,   // 89 "PNG" 0D 0A 1A 0A
  ifEmf,   // record type 1 and " EMF" at offset 40
  ifWmf,   // placeable (D7 CD C6 9A) or a standard metafile header
};

// Recognises the type from the first bytes (44 are enough for every type);
// ifUnknown when too short or not recognised.
TImageFormat DetectFormat(std::span<const std::uint8_t> data);
// Same, peeking at the stream's bytes from its position, which is kept.
TImageFormat DetectFormat(TStream& stream);
// A readable name: "BMP", "ICO", "CUR", "JPEG", "PNG", "EMF", "WMF", "unknown".
const char* FormatName(TImageFormat format);

}  // namespace vx::plat::imaging
