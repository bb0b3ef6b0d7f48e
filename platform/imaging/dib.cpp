#include <algorithm>
#include <bit>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "platform/core/exceptions.h"
#include "platform/imaging/dib_internal.h"
#include "platform/imaging/jpeg.h"
#include "platform/imaging/png.h"

namespace vx::plat::imaging::detail {

namespace {

bool IsSupportedBitCount(std::uint16_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// A mask with a gap ("0x0F0F") cannot be read as one number.
bool IsContiguous(std::uint32_t mask) {
  if (mask == 0) return true;
  std::uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

void DefaultMasks(DibHeader& h) {
  if (h.bitCount == 16)
    h.masks = {0x7C00u, 0x03E0u, 0x001Fu, 0};
  else if (h.bitCount == 32)
    h.masks = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0};
}

void ParseCoreHeader(const ByteReader& r, std::uint64_t offset, DibHeader& h) {
  r.Require(offset, kCoreHeaderSize, "info header");
  h.width = r.U16(offset + 4, "info header");
  h.height = r.U16(offset + 6, "info header");
  h.bitCount = r.U16(offset + 10, "info header");
  h.coreTable = true;
}

// Headers of 16 bytes and more share the layout of the 40-byte header for the
// fields they hold; shorter OS/2 2.x headers leave the rest zero.
void ParseInfoHeader(const ByteReader& r, std::uint64_t offset, DibHeader& h) {
  r.Require(offset, h.headerSize, "info header");
  std::int32_t width = r.I32(offset + 4, "info header");
  std::int32_t height = r.I32(offset + 8, "info header");
  if (width < 0) Fail(r.Format(), "the image width " + std::to_string(width) + " is negative");
  h.width = width;
  h.topDown = height < 0;
  h.height = height < 0 ? -static_cast<std::int64_t>(height) : height;
  h.bitCount = r.U16(offset + 14, "info header");
  if (h.headerSize >= kInfoHeaderSize) {
    h.compression = r.U32(offset + 16, "info header");
    h.sizeImage = r.U32(offset + 20, "info header");
    h.colorsUsed = r.U32(offset + 32, "info header");
  }
}

bool IsOs2Header(std::uint32_t size) { return size == 16 || size == 64; }

void ValidateCompression(const ByteReader& r, DibHeader& h) {
  const char* format = r.Format();
  if (IsOs2Header(h.headerSize) && h.compression > kBiRle4)
    Fail(format, "OS/2 compression " + std::to_string(h.compression) + " is not supported");
  if (h.compression == kBiJpeg || h.compression == kBiPng) return;  // the embedded file says its depth
  if (!IsSupportedBitCount(h.bitCount)) Fail(format, std::to_string(h.bitCount) + " bits per pixel are not supported");
  switch (h.compression) {
    case kBiRgb: return;
    case kBiRle8:
      if (h.bitCount != 8) Fail(format, "RLE8 compression needs 8 bits per pixel");
      return;
    case kBiRle4:
      if (h.bitCount != 4) Fail(format, "RLE4 compression needs 4 bits per pixel");
      return;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (h.bitCount != 16 && h.bitCount != 32) Fail(format, "bit-field compression needs 16 or 32 bits per pixel");
      return;
    default: Fail(format, "compression " + std::to_string(h.compression) + " is not supported");
  }
}

// Bit-field masks sit in the header from 52 bytes on, else right after a
// 40-byte header (three, or four with alpha bit fields).
void ReadMasks(const ByteReader& r, std::uint64_t offset, DibHeader& h) {
  DefaultMasks(h);
  if (h.compression != kBiBitfields && h.compression != kBiAlphaBitfields) return;
  bool inHeader = h.headerSize >= 52 && !IsOs2Header(h.headerSize);
  std::uint64_t at = inHeader ? offset + 40 : offset + h.headerSize;
  int count = (h.compression == kBiAlphaBitfields || (inHeader && h.headerSize >= 56)) ? 4 : 3;
  r.Require(at, 4u * static_cast<unsigned>(count), "colour mask");
  for (int i = 0; i < count; ++i)
    h.masks[static_cast<std::size_t>(i)] = r.U32(at + 4u * static_cast<unsigned>(i), "colour mask");
  if (count == 3) h.masks[3] = 0;
  if (!inHeader) h.tableOffset += 4u * static_cast<unsigned>(count);
  for (std::uint32_t m : h.masks)
    if (!IsContiguous(m)) Fail(r.Format(), "a colour mask is not contiguous");
  h.hasMasks = true;
}

void LocateColourTable(DibHeader& h) {
  std::uint64_t entrySize = h.coreTable ? 3 : 4;
  if (h.bitCount >= 1 && h.bitCount <= 8 && h.compression != kBiJpeg && h.compression != kBiPng)
    h.tableEntries = h.colorsUsed != 0 ? h.colorsUsed : (std::uint64_t{1} << h.bitCount);
  else
    h.tableEntries = h.colorsUsed;  // an optional table for display on palette devices
  h.tableEnd = h.tableOffset + h.tableEntries * entrySize;
}

}  // namespace

DibHeader ParseDibHeader(const ByteReader& r, std::uint64_t offset) {
  DibHeader h;
  h.headerSize = r.U32(offset, "info header");
  switch (h.headerSize) {
    case kCoreHeaderSize: ParseCoreHeader(r, offset, h); break;
    case 16:
    case kInfoHeaderSize:
    case 52:
    case 56:
    case 64:
    case kV4HeaderSize:
    case kV5HeaderSize: ParseInfoHeader(r, offset, h); break;
    default: Fail(r.Format(), "info header size " + std::to_string(h.headerSize) + " is not supported");
  }
  CheckImageSize(r.Format(), h.width, h.height);
  ValidateCompression(r, h);
  h.tableOffset = offset + h.headerSize;
  ReadMasks(r, offset, h);
  LocateColourTable(h);
  return h;
}

std::vector<std::uint32_t> ReadDibPalette(const ByteReader& r, const DibHeader& h) {
  if (!r.Holds(h.tableOffset, h.tableEnd - h.tableOffset)) Fail(r.Format(), "colour table larger than the file");
  std::vector<std::uint32_t> palette;
  if (h.bitCount < 1 || h.bitCount > 8 || h.compression == kBiJpeg || h.compression == kBiPng) return palette;
  std::uint64_t entrySize = h.coreTable ? 3 : 4;
  std::uint64_t count = std::min<std::uint64_t>(h.tableEntries, std::uint64_t{1} << h.bitCount);
  palette.reserve(static_cast<std::size_t>(count));
  for (std::uint64_t i = 0; i < count; ++i) {
    std::uint64_t at = h.tableOffset + i * entrySize;
    palette.push_back(MakePixel(r.U8(at + 2, "colour table"), r.U8(at + 1, "colour table"), r.U8(at, "colour table")) &
                      0x00FFFFFFu);
  }
  return palette;
}

std::uint64_t DibPixelBytes(const DibHeader& h) {
  return DibRowBytes(static_cast<std::uint64_t>(h.width), h.bitCount) * static_cast<std::uint64_t>(h.height);
}

namespace {

// Index -> pixel lookup with every index a file can hold; entries missing
// from a short colour table are black.
std::array<std::uint32_t, 256> MakeLookup(const std::vector<std::uint32_t>& palette) {
  std::array<std::uint32_t, 256> lut;
  lut.fill(0xFF000000u);
  for (std::size_t i = 0; i < palette.size() && i < lut.size(); ++i) lut[i] = palette[i] | 0xFF000000u;
  return lut;
}

// One channel of a bit-field pixel, scaled to 8 bits with rounding.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint64_t max = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (m != 0) {
      shift = std::countr_zero(m);
      max = m >> shift;
    }
  }
  std::uint8_t Get(std::uint32_t pixel) const {
    if (max == 0) return 0;
    std::uint64_t v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

std::int64_t DestRow(const DibHeader& h, std::int64_t fileRow) { return h.topDown ? fileRow : h.height - 1 - fileRow; }

void DecodeIndexedRow(const std::uint8_t* src, std::uint32_t* dst, std::int64_t width, std::uint16_t bits,
                      const std::array<std::uint32_t, 256>& lut) {
  int perByte = 8 / bits;
  std::uint32_t mask = (1u << bits) - 1;
  for (std::int64_t x = 0; x < width; ++x) {
    int slot = static_cast<int>(x % perByte);
    std::uint32_t index = (src[x / perByte] >> (8 - bits * (slot + 1))) & mask;
    dst[x] = lut[index];
  }
}

void DecodeBitfieldRow(const std::uint8_t* src, std::uint32_t* dst, std::int64_t width, std::uint16_t bits,
                       const std::array<Channel, 4>& channels) {
  for (std::int64_t x = 0; x < width; ++x) {
    std::uint32_t p;
    if (bits == 16) {
      p = static_cast<std::uint32_t>(src[2 * x] | (src[2 * x + 1] << 8));
    } else {
      std::memcpy(&p, src + 4 * x, 4);
    }
    std::uint8_t a = channels[3].max ? channels[3].Get(p) : 255;
    dst[x] = MakePixel(channels[0].Get(p), channels[1].Get(p), channels[2].Get(p), a);
  }
}

void Decode24Row(const std::uint8_t* src, std::uint32_t* dst, std::int64_t width) {
  for (std::int64_t x = 0; x < width; ++x) dst[x] = MakePixel(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
}

// Pixels whose fourth byte may or may not be alpha: all zero means the file
// did not use it (classic 32-bit bitmaps), all 255 means opaque.
void SettleAlpha(Image& image) {
  bool anyNonZero = false;
  bool anyBelowFull = false;
  for (std::uint32_t p : image.Pixels) {
    std::uint8_t a = PixelAlpha(p);
    anyNonZero |= a != 0;
    anyBelowFull |= a != 255;
  }
  if (anyNonZero && anyBelowFull) {
    image.Alpha = TAlphaMode::amStraight;
    return;
  }
  image.Alpha = TAlphaMode::amIgnored;
  for (auto& p : image.Pixels) p |= 0xFF000000u;
}

// The caller has checked that `bits` holds every row.
void DecodeUncompressed(const DibHeader& h, const std::vector<std::uint32_t>& palette,
                        std::span<const std::uint8_t> bits, Image& image) {
  if (image.Empty()) return;  // a picture 0 pixels wide still has rows of nothing
  std::uint64_t stride = DibRowBytes(static_cast<std::uint64_t>(h.width), h.bitCount);
  auto lut = MakeLookup(palette);
  std::array<Channel, 4> channels{Channel(h.masks[0]), Channel(h.masks[1]), Channel(h.masks[2]), Channel(h.masks[3])};
  bool rawAlpha = h.bitCount == 32 && !h.hasMasks;
  for (std::int64_t row = 0; row < h.height; ++row) {
    const std::uint8_t* src = bits.data() + static_cast<std::uint64_t>(row) * stride;
    std::uint32_t* dst = image.Row(static_cast<std::int32_t>(DestRow(h, row)));
    if (h.bitCount <= 8)
      DecodeIndexedRow(src, dst, h.width, h.bitCount, lut);
    else if (h.bitCount == 24)
      Decode24Row(src, dst, h.width);
    else if (rawAlpha)
      std::memcpy(dst, src, static_cast<std::size_t>(h.width) * 4);
    else
      DecodeBitfieldRow(src, dst, h.width, h.bitCount, channels);
  }
  if (rawAlpha || h.masks[3] != 0) SettleAlpha(image);
}

// Run-length data: pairs (count, value) repeat a value; (0, 0) ends a row,
// (0, 1) ends the picture, (0, 2, dx, dy) moves, (0, n >= 3) copies n pixels
// stored literally, padded to an even number of bytes. Pixels beyond the right
// edge are dropped. Without an image the data are only checked, so that a few
// bytes cannot make us allocate a large picture before they turn out bad.
class RleDecoder {
public:
  RleDecoder(const char* format, const DibHeader& h, std::span<const std::uint8_t> data, Image* image,
             const std::array<std::uint32_t, 256>& lut)
      : FFormat(format), FHeader(h), FData(data), FImage(image), FLut(lut), FFourBit(h.compression == kBiRle4) {}

  void Run() {
    while (FRow < FHeader.height) {
      if (FPos + 2 > FData.size()) Fail(FFormat, "compressed pixel data end before the picture does");
      std::uint8_t count = FData[FPos];
      std::uint8_t value = FData[FPos + 1];
      FPos += 2;
      if (count > 0) {
        Repeat(count, value);
      } else if (value == 0) {
        FX = 0;
        ++FRow;
      } else if (value == 1) {
        return;
      } else if (value == 2) {
        if (FPos + 2 > FData.size()) Fail(FFormat, "compressed pixel data end before the picture does");
        FX += FData[FPos];
        FRow += FData[FPos + 1];
        FPos += 2;
      } else {
        Literal(value);
      }
    }
  }

private:
  void Put(std::uint32_t index) {
    if (FImage && FX < FHeader.width && FRow < FHeader.height)
      FImage->SetPixel(static_cast<std::int32_t>(FX), static_cast<std::int32_t>(DestRow(FHeader, FRow)), FLut[index]);
    ++FX;
  }
  void Repeat(std::uint8_t count, std::uint8_t value) {
    if (FX >= FHeader.width) {
      FX += count;
      return;
    }
    for (int i = 0; i < count; ++i) Put(FFourBit ? ((i & 1) ? value & 0x0F : value >> 4) : value);
  }
  void Literal(std::uint8_t count) {
    std::size_t bytes = FFourBit ? (count + 1u) / 2u : count;
    if (bytes > FData.size() - FPos) Fail(FFormat, "compressed pixel data end before the picture does");
    for (int i = 0; i < count; ++i) {
      std::uint8_t b = FData[FPos + (FFourBit ? static_cast<std::size_t>(i / 2) : static_cast<std::size_t>(i))];
      Put(FFourBit ? ((i & 1) ? b & 0x0F : b >> 4) : b);
    }
    FPos += std::min(bytes + (bytes & 1u), FData.size() - FPos);
  }

  const char* FFormat;
  const DibHeader& FHeader;
  std::span<const std::uint8_t> FData;
  Image* FImage;
  const std::array<std::uint32_t, 256>& FLut;
  bool FFourBit;
  std::size_t FPos = 0;
  std::int64_t FX = 0;
  std::int64_t FRow = 0;  // counted from the first row stored
};

Image DecodeEmbedded(const char* format, const DibHeader& h, std::span<const std::uint8_t> bits) {
  if (h.sizeImage != 0) {
    if (h.sizeImage > bits.size()) Fail(format, "embedded picture larger than the file");
    bits = bits.first(h.sizeImage);
  }
  Image image;
  try {
    image = h.compression == kBiJpeg ? ReadJpeg(bits) : ReadPng(bits);
  } catch (const EInvalidGraphic& error) {
    Fail(format, NestedMessage(format, error.Message()));
  }
  if (image.Width != h.width || image.Height != h.height)
    Fail(format, "the embedded picture's size differs from the header's");
  return image;
}

}  // namespace

Image DecodeDibPixels(const char* format, const DibHeader& h, const std::vector<std::uint32_t>& palette,
                      std::span<const std::uint8_t> bits) {
  if (h.compression == kBiJpeg || h.compression == kBiPng) return DecodeEmbedded(format, h, bits);
  auto lut = MakeLookup(palette);
  bool runLength = h.compression == kBiRle8 || h.compression == kBiRle4;
  if (runLength) {
    if (h.sizeImage != 0 && h.sizeImage < bits.size()) bits = bits.first(h.sizeImage);
    RleDecoder(format, h, bits, nullptr, lut).Run();
  } else if (DibPixelBytes(h) > bits.size()) {
    Fail(format, "pixel data larger than the file");
  }
  Image image = MakeImage(format, h.width, h.height, lut[0]);
  if (runLength)
    RleDecoder(format, h, bits, &image, lut).Run();
  else
    DecodeUncompressed(h, palette, bits, image);
  image.SourceBitDepth = h.bitCount;
  if (h.bitCount <= 8) image.Palette = palette;
  return image;
}

// --- encoding --------------------------------------------------------------

namespace {

std::uint32_t Rgb(std::uint32_t pixel) { return pixel & 0x00FFFFFFu; }

std::vector<std::uint32_t> FixedPalette(std::uint16_t bitCount) {
  if (bitCount == 1) return {0x000000u, 0xFFFFFFu};
  if (bitCount == 4)  // the 16 colours of the classic display palette
    return {0x000000u, 0x800000u, 0x008000u, 0x808000u, 0x000080u, 0x800080u, 0x008080u, 0xC0C0C0u,
            0x808080u, 0xFF0000u, 0x00FF00u, 0xFFFF00u, 0x0000FFu, 0xFF00FFu, 0x00FFFFu, 0xFFFFFFu};
  std::vector<std::uint32_t> table;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        table.push_back(MakePixel(static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                                  static_cast<std::uint8_t>(b * 51)) &
                        0x00FFFFFFu);
  for (int i = 0; i < 40; ++i) {  // greys between the cube's steps
    auto v = static_cast<std::uint8_t>((i + 1) * 255 / 41);
    table.push_back(MakePixel(v, v, v) & 0x00FFFFFFu);
  }
  return table;
}

// Maps colours to the index of the nearest colour table entry (exact matches
// first; results are remembered, as pictures repeat their colours).
class PaletteMapper {
public:
  explicit PaletteMapper(const std::vector<std::uint32_t>& palette) : FPalette(palette) {
    for (std::size_t i = FPalette.size(); i-- > 0;) FCache[Rgb(FPalette[i])] = static_cast<std::uint8_t>(i);
  }
  std::uint8_t Index(std::uint32_t pixel) {
    std::uint32_t rgb = Rgb(pixel);
    auto it = FCache.find(rgb);
    if (it != FCache.end()) return it->second;
    std::uint8_t best = Nearest(rgb);
    FCache.emplace(rgb, best);
    return best;
  }

private:
  std::uint8_t Nearest(std::uint32_t rgb) const {
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    std::uint8_t best = 0;
    for (std::size_t i = 0; i < FPalette.size(); ++i) {
      std::int64_t dr = PixelRed(rgb) - PixelRed(FPalette[i]);
      std::int64_t dg = PixelGreen(rgb) - PixelGreen(FPalette[i]);
      std::int64_t db = PixelBlue(rgb) - PixelBlue(FPalette[i]);
      std::int64_t d = dr * dr + dg * dg + db * db;
      if (d < bestDistance) {
        bestDistance = d;
        best = static_cast<std::uint8_t>(i);
      }
    }
    return best;
  }
  const std::vector<std::uint32_t>& FPalette;
  std::unordered_map<std::uint32_t, std::uint8_t> FCache;
};

void EncodeIndexedRow(const std::uint32_t* src, std::uint8_t* dst, std::int32_t width, std::uint16_t bits,
                      PaletteMapper& mapper) {
  int perByte = 8 / bits;
  for (std::int32_t x = 0; x < width; ++x) {
    int slot = x % perByte;
    dst[x / perByte] |= static_cast<std::uint8_t>(mapper.Index(src[x]) << (8 - bits * (slot + 1)));
  }
}

std::uint32_t To5Bits(std::uint8_t v) { return (v * 31u + 127u) / 255u; }

void EncodeDirectRow(const std::uint32_t* src, std::uint8_t* dst, std::int32_t width, std::uint16_t bits,
                     bool keepAlpha) {
  for (std::int32_t x = 0; x < width; ++x) {
    std::uint32_t p = src[x];
    if (bits == 16) {
      auto v = static_cast<std::uint16_t>((To5Bits(PixelRed(p)) << 10) | (To5Bits(PixelGreen(p)) << 5) |
                                          To5Bits(PixelBlue(p)));
      dst[2 * x] = static_cast<std::uint8_t>(v);
      dst[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
    } else if (bits == 24) {
      dst[3 * x] = PixelBlue(p);
      dst[3 * x + 1] = PixelGreen(p);
      dst[3 * x + 2] = PixelRed(p);
    } else {
      // The fourth byte of a bitmap without alpha stays 0, as classic readers expect.
      std::uint32_t v = keepAlpha ? p : (p & 0x00FFFFFFu);
      std::memcpy(dst + 4 * x, &v, 4);
    }
  }
}

// Resolution written into headers: the screen's 96 pixels per inch.
constexpr std::uint32_t kPixelsPerMetre = 3780;

void PutInfoHeader(std::vector<std::uint8_t>& out, const Image& image, std::uint16_t bitCount, bool topDown,
                   bool withAlpha, std::uint32_t sizeImage, std::uint32_t colours) {
  PutU32(out, withAlpha ? kV5HeaderSize : kInfoHeaderSize);
  PutI32(out, image.Width);
  PutI32(out, topDown ? -image.Height : image.Height);
  PutU16(out, 1);
  PutU16(out, bitCount);
  PutU32(out, withAlpha ? kBiBitfields : kBiRgb);
  PutU32(out, sizeImage);
  PutU32(out, kPixelsPerMetre);
  PutU32(out, kPixelsPerMetre);
  PutU32(out, colours);
  PutU32(out, 0);
  if (!withAlpha) return;
  PutU32(out, 0x00FF0000u);
  PutU32(out, 0x0000FF00u);
  PutU32(out, 0x000000FFu);
  PutU32(out, 0xFF000000u);
  PutU32(out, 0x73524742u);           // colour space "sRGB"
  out.insert(out.end(), 36 + 12, 0);  // end points and gamma (unused for sRGB)
  PutU32(out, 4);                     // rendering intent: pictures
  PutU32(out, 0);                     // no profile data
  PutU32(out, 0);
  PutU32(out, 0);
}

}  // namespace

std::vector<std::uint32_t> ChoosePalette(const Image& image, std::uint16_t bitCount) {
  std::size_t capacity = std::size_t{1} << bitCount;
  if (!image.Palette.empty() && image.Palette.size() <= capacity) {
    std::vector<std::uint32_t> own;
    for (std::uint32_t c : image.Palette) own.push_back(Rgb(c));
    return own;
  }
  std::vector<std::uint32_t> colours;
  std::unordered_set<std::uint32_t> seen;
  for (std::uint32_t p : image.Pixels) {
    if (!seen.insert(Rgb(p)).second) continue;
    if (seen.size() > capacity) return FixedPalette(bitCount);
    colours.push_back(Rgb(p));
  }
  // An empty table would read as "full table" (0 colours used): keep one entry.
  if (colours.empty()) colours.push_back(0);
  return colours;
}

EncodedDib EncodeDib(const char* format, const Image& image, std::uint16_t bitCount, bool topDown,
                     DibAlphaLayout alphaLayout) {
  CheckImageConsistent(format, image);
  if (!IsSupportedBitCount(bitCount))
    throw EInvalidGraphic(std::string("Cannot write ") + format + " at " + std::to_string(bitCount) +
                          " bits per pixel");
  bool withAlpha = bitCount == 32 && image.Alpha == TAlphaMode::amStraight;
  std::vector<std::uint32_t> palette;
  if (bitCount <= 8) palette = ChoosePalette(image, bitCount);

  std::uint64_t stride = DibRowBytes(static_cast<std::uint64_t>(image.Width), bitCount);
  std::uint64_t sizeImage = stride * static_cast<std::uint64_t>(image.Height);  // at most about 2^30
  EncodedDib dib;
  PutInfoHeader(dib.header, image, bitCount, topDown, withAlpha && alphaLayout == DibAlphaLayout::V5Header,
                static_cast<std::uint32_t>(sizeImage), static_cast<std::uint32_t>(palette.size()));
  for (std::uint32_t c : palette) PutU32(dib.header, c);  // B, G, R, 0

  try {
    dib.bits.assign(static_cast<std::size_t>(sizeImage), 0);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
  PaletteMapper mapper(palette);
  for (std::int32_t y = 0; y < image.Height; ++y) {
    std::int32_t fileRow = topDown ? y : image.Height - 1 - y;
    std::uint8_t* dst = dib.bits.data() + static_cast<std::uint64_t>(fileRow) * stride;
    if (bitCount <= 8)
      EncodeIndexedRow(image.Row(y), dst, image.Width, bitCount, mapper);
    else
      EncodeDirectRow(image.Row(y), dst, image.Width, bitCount, withAlpha);
  }
  return dib;
}

}  // namespace vx::plat::imaging::detail
