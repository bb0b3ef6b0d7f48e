#include "platform/imaging/ico.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/imaging/dib_internal.h"
#include "platform/imaging/png.h"

namespace vx::plat::imaging {

namespace {

using detail::ByteReader;
using detail::DibHeader;
using detail::Fail;

constexpr const char* kIco = "ICO";
constexpr std::uint64_t kDirHeaderSize = 6;
constexpr std::uint64_t kDirEntrySize = 16;
constexpr std::int32_t kMaxIconSide = 256;

struct DirEntry {
  std::uint16_t planesOrHotX;
  std::uint16_t bitCountOrHotY;
  std::uint32_t bytes;
  std::uint32_t offset;
};

struct Directory {
  TIconKind kind;
  std::vector<DirEntry> entries;
  std::uint64_t extent;  // end of the last byte any image uses
};

std::string ImageName(std::size_t index) { return "image " + std::to_string(index + 1); }

// Reads the directory; every image must lie inside `available` bytes.
Directory ReadDirectory(const ByteReader& r, std::uint64_t available) {
  r.Require(0, kDirHeaderSize, "directory");
  std::uint16_t type = r.U16(2, "directory");
  if (r.U16(0, "directory") != 0 || (type != 1 && type != 2)) Fail(kIco, "not an icon or cursor file");
  std::uint16_t count = r.U16(4, "directory");
  if (count == 0) Fail(kIco, "the file holds no images");
  if (!r.Holds(kDirHeaderSize, count * kDirEntrySize)) Fail(kIco, "directory larger than the file");
  Directory dir{type == 2 ? TIconKind::ikCursor : TIconKind::ikIcon, {}, kDirHeaderSize + count * kDirEntrySize};
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t at = kDirHeaderSize + i * kDirEntrySize;
    DirEntry e{r.U16(at + 4, "directory"), r.U16(at + 6, "directory"), r.U32(at + 8, "directory"),
               r.U32(at + 12, "directory")};
    std::uint64_t end = std::uint64_t{e.offset} + e.bytes;
    if (e.bytes == 0) Fail(kIco, ImageName(i) + " is empty");
    if (end > available) Fail(kIco, ImageName(i) + " lies outside the file");
    dir.extent = std::max(dir.extent, end);
    dir.entries.push_back(e);
  }
  return dir;
}

bool IsPngData(std::span<const std::uint8_t> data) {
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return data.size() >= 8 && std::equal(kSignature, kSignature + 8, data.begin());
}

std::uint32_t BigEndian32(std::span<const std::uint8_t> d, std::size_t at) {
  return (std::uint32_t{d[at]} << 24) | (std::uint32_t{d[at + 1]} << 16) | (std::uint32_t{d[at + 2]} << 8) | d[at + 3];
}

// The pixel count an image will need, known before decoding it, so that a
// file of many large images cannot exhaust memory.
std::uint64_t ClaimedPixels(std::span<const std::uint8_t> data) {
  if (IsPngData(data)) return data.size() >= 24 ? std::uint64_t{BigEndian32(data, 16)} * BigEndian32(data, 20) : 0;
  ByteReader r(data, kIco);
  DibHeader h = detail::ParseDibHeader(r, 0);
  return static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height / 2);
}

std::vector<std::uint8_t> MaskFromAlpha(const Image& color) {
  std::vector<std::uint8_t> mask(color.Pixels.size(), 0);
  if (color.Alpha == TAlphaMode::amStraight)
    for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = PixelAlpha(color.Pixels[i]) == 0 ? 1 : 0;
  return mask;
}

IconImage DecodePngImage(std::span<const std::uint8_t> data) {
  IconImage icon;
  icon.Color = ReadPng(data);
  icon.Mask = MaskFromAlpha(icon.Color);
  icon.BitDepth = 32;
  icon.Encoding = TIconEncoding::iePng;
  return icon;
}

// A bitmap image: info header with twice the height (colour rows, then mask
// rows), colour table, colour bits, then the 1-bit AND mask, all bottom-up
// unless the height is negative.
IconImage DecodeBitmapImage(std::span<const std::uint8_t> data) {
  ByteReader r(data, kIco);
  DibHeader h = detail::ParseDibHeader(r, 0);
  if (h.compression != detail::kBiRgb && h.compression != detail::kBiBitfields)
    Fail(kIco, "compression " + std::to_string(h.compression) + " is not used in icons");
  h.height /= 2;
  if (h.width == 0 || h.height == 0) Fail(kIco, "an icon image has no pixels");
  std::vector<std::uint32_t> palette = detail::ReadDibPalette(r, h);
  std::uint64_t colourBytes = detail::DibPixelBytes(h);
  if (!r.Holds(h.tableEnd, colourBytes)) Fail(kIco, "pixel data larger than the file");

  IconImage icon;
  icon.Color = detail::DecodeDibPixels(kIco, h, palette, data.subspan(static_cast<std::size_t>(h.tableEnd)));
  icon.BitDepth = h.bitCount;
  std::uint64_t maskOffset = h.tableEnd + colourBytes;
  std::uint64_t maskStride = detail::DibRowBytes(static_cast<std::uint64_t>(h.width), 1);
  if (!r.Holds(maskOffset, maskStride * static_cast<std::uint64_t>(h.height))) {
    // Some writers leave out the mask of alpha images; the alpha tells it.
    if (h.bitCount != 32) Fail(kIco, "the mask lies outside the file");
    icon.Mask = MaskFromAlpha(icon.Color);
    return icon;
  }
  icon.Mask.assign(icon.Color.Pixels.size(), 0);
  for (std::int64_t row = 0; row < h.height; ++row) {
    const std::uint8_t* src = data.data() + maskOffset + static_cast<std::uint64_t>(row) * maskStride;
    std::int64_t y = h.topDown ? row : h.height - 1 - row;
    for (std::int64_t x = 0; x < h.width; ++x)
      icon.Mask[static_cast<std::size_t>(y * h.width + x)] = (src[x / 8] >> (7 - x % 8)) & 1;
  }
  return icon;
}

// "Invalid ICO: image 2: colour table larger than the file".
[[noreturn]] void FailInImage(std::size_t index, const std::string& inner) {
  Fail(kIco, ImageName(index) + ": " + detail::NestedMessage(kIco, inner));
}

IconFile DecodeIco(std::span<const std::uint8_t> data) {
  ByteReader r(data, kIco);
  Directory dir = ReadDirectory(r, data.size());
  IconFile file;
  file.Kind = dir.kind;
  std::uint64_t totalPixels = 0;
  for (std::size_t i = 0; i < dir.entries.size(); ++i) {
    const DirEntry& e = dir.entries[i];
    std::span<const std::uint8_t> bytes = data.subspan(e.offset, e.bytes);
    try {
      totalPixels += ClaimedPixels(bytes);
      if (totalPixels > static_cast<std::uint64_t>(kMaxImagePixels))
        Fail(kIco, "the images together exceed the limit of " + std::to_string(kMaxImagePixels) + " pixels");
      IconImage icon = IsPngData(bytes) ? DecodePngImage(bytes) : DecodeBitmapImage(bytes);
      if (file.Kind == TIconKind::ikCursor) icon.HotSpot = TPoint{e.planesOrHotX, e.bitCountOrHotY};
      file.Images.push_back(std::move(icon));
    } catch (const EInvalidGraphic& error) {
      FailInImage(i, error.Message());
    }
  }
  return file;
}

// --- writing ---------------------------------------------------------------

void CheckIconImage(const IconImage& icon, std::size_t index) {
  detail::CheckImageConsistent(kIco, icon.Color);
  const Image& c = icon.Color;
  if (c.Empty() || c.Width > kMaxIconSide || c.Height > kMaxIconSide)
    throw EInvalidGraphic("Cannot write ICO: " + ImageName(index) + " is " + std::to_string(c.Width) + " x " +
                          std::to_string(c.Height) + " pixels; icon images have 1 to 256 pixels a side");
  if (!icon.Mask.empty() && icon.Mask.size() != c.Pixels.size())
    throw EInvalidGraphic("Cannot write ICO: the mask of " + ImageName(index) + " does not match its size");
  std::uint16_t d = icon.BitDepth;
  if (icon.Encoding == TIconEncoding::ieBitmap && d != 1 && d != 4 && d != 8 && d != 24 && d != 32)
    throw EInvalidGraphic("Cannot write ICO: " + ImageName(index) + " has " + std::to_string(d) +
                          " bits per pixel; icons hold 1, 4, 8, 24 or 32");
}

// The colour image as written: alpha follows the mask where the picture has
// none (so that readers which trust alpha agree with the mask), and
// transparent pixels are black below 32 bits (AND-then-XOR leaves the screen).
Image PrepareColour(const IconImage& icon, const std::vector<std::uint8_t>& mask) {
  Image c = icon.Color;
  bool keepsAlpha = icon.BitDepth == 32 || icon.Encoding == TIconEncoding::iePng;
  bool ownAlpha = c.Alpha == TAlphaMode::amStraight;
  for (std::size_t i = 0; i < c.Pixels.size(); ++i) {
    bool transparent = mask[i] != 0;
    std::uint32_t& p = c.Pixels[i];
    if (keepsAlpha) {
      if (!ownAlpha) p = (p & 0x00FFFFFFu) | (transparent ? 0u : 0xFF000000u);
      if (transparent && icon.Encoding == TIconEncoding::iePng) p &= 0x00FFFFFFu;
    } else if (transparent) {
      p = 0xFF000000u;
    }
  }
  c.Alpha = keepsAlpha ? TAlphaMode::amStraight : TAlphaMode::amIgnored;
  return c;
}

std::vector<std::uint8_t> EncodeMask(const std::vector<std::uint8_t>& mask, std::int32_t width, std::int32_t height) {
  std::uint64_t stride = detail::DibRowBytes(static_cast<std::uint64_t>(width), 1);
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * static_cast<std::uint64_t>(height)), 0);
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t* dst = bits.data() + static_cast<std::uint64_t>(height - 1 - y) * stride;
    for (std::int32_t x = 0; x < width; ++x)
      if (mask[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)])
        dst[x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
  }
  return bits;
}

std::vector<std::uint8_t> EncodeImage(const IconImage& icon) {
  std::vector<std::uint8_t> mask = icon.Mask.empty() ? MaskFromAlpha(icon.Color) : icon.Mask;
  Image colour = PrepareColour(icon, mask);
  if (icon.Encoding == TIconEncoding::iePng) return WritePng(colour, TPngChannels::pcRgba);

  detail::EncodedDib dib = detail::EncodeDib(kIco, colour, icon.BitDepth, false, detail::DibAlphaLayout::FourthByte);
  std::vector<std::uint8_t> maskBits = EncodeMask(mask, colour.Width, colour.Height);
  // The header counts colour and mask rows together.
  detail::PatchU32(dib.header, 8, static_cast<std::uint32_t>(colour.Height) * 2u);
  detail::PatchU32(dib.header, 20, static_cast<std::uint32_t>(dib.bits.size() + maskBits.size()));
  std::vector<std::uint8_t> out = std::move(dib.header);
  out.insert(out.end(), dib.bits.begin(), dib.bits.end());
  out.insert(out.end(), maskBits.begin(), maskBits.end());
  return out;
}

// Colours a bitmap image's table holds, as the directory states them (0 = 256 or more).
std::uint8_t DirectoryColourCount(const IconImage& icon, std::span<const std::uint8_t> encoded) {
  if (icon.Encoding == TIconEncoding::iePng || icon.BitDepth > 8) return 0;
  std::uint32_t used;
  std::memcpy(&used, encoded.data() + 32, 4);
  return used >= 256 ? 0 : static_cast<std::uint8_t>(used);
}

}  // namespace

IconFile ReadIco(std::span<const std::uint8_t> data) { return DecodeIco(data); }

IconFile ReadIco(TStream& stream) {
  std::int64_t start = stream.GetPosition();
  try {
    std::int64_t available = stream.Remaining();
    std::vector<std::uint8_t> head = detail::ReadExactly(stream, kIco, std::min<std::int64_t>(available, 6));
    ByteReader headReader(head, kIco);
    std::uint64_t count = headReader.U16(4, "directory");
    stream.SetPosition(start);
    std::vector<std::uint8_t> dirBytes = detail::ReadExactly(
        stream, kIco, std::min<std::int64_t>(available, static_cast<std::int64_t>(6 + count * kDirEntrySize)));
    Directory dir = ReadDirectory(ByteReader(dirBytes, kIco), static_cast<std::uint64_t>(available));
    stream.SetPosition(start);
    std::vector<std::uint8_t> bytes = detail::ReadExactly(stream, kIco, static_cast<std::int64_t>(dir.extent));
    return DecodeIco(bytes);
  } catch (...) {
    stream.SetPosition(start);
    throw;
  }
}

IconFile ReadIcoFile(const std::string& fileName) { return ReadIco(detail::ReadWholeFile(fileName, kIco)); }

std::size_t PickIconImage(const IconFile& file, std::int32_t size, std::uint16_t bitDepth) {
  if (file.Images.empty()) throw EInvalidGraphic("The icon holds no images");
  auto score = [&](const IconImage& icon) {
    std::int64_t w = icon.Color.Width, h = icon.Color.Height;
    std::int64_t distance = std::abs(w - size) + std::abs(h - size);
    std::int64_t depth = icon.BitDepth;
    std::int64_t depthRank = depth == bitDepth ? 0 : depth < bitDepth ? 1 + (bitDepth - depth) : 1000 + depth;
    return std::make_tuple(distance, -(w + h), depthRank);
  };
  std::size_t best = 0;
  for (std::size_t i = 1; i < file.Images.size(); ++i)
    if (score(file.Images[i]) < score(file.Images[best])) best = i;
  return best;
}

IconImage MakeIconImage(const Image& color) {
  IconImage icon;
  icon.Color = color;
  icon.Mask = MaskFromAlpha(color);
  icon.BitDepth = 32;
  return icon;
}

std::vector<std::uint8_t> WriteIco(const IconFile& file) {
  if (file.Images.empty() || file.Images.size() > 0xFFFF)
    throw EInvalidGraphic("Cannot write ICO: a file holds 1 to 65535 images");
  std::vector<std::vector<std::uint8_t>> encoded;
  for (std::size_t i = 0; i < file.Images.size(); ++i) {
    CheckIconImage(file.Images[i], i);
    encoded.push_back(EncodeImage(file.Images[i]));
  }
  std::vector<std::uint8_t> out;
  detail::PutU16(out, 0);
  detail::PutU16(out, static_cast<std::uint16_t>(file.Kind));
  detail::PutU16(out, static_cast<std::uint16_t>(file.Images.size()));
  std::uint64_t offset = kDirHeaderSize + kDirEntrySize * file.Images.size();
  for (std::size_t i = 0; i < file.Images.size(); ++i) {
    const IconImage& icon = file.Images[i];
    bool cursor = file.Kind == TIconKind::ikCursor;
    detail::PutU8(out, static_cast<std::uint8_t>(icon.Color.Width & 0xFF));  // 256 is written as 0
    detail::PutU8(out, static_cast<std::uint8_t>(icon.Color.Height & 0xFF));
    detail::PutU8(out, DirectoryColourCount(icon, encoded[i]));
    detail::PutU8(out, 0);
    detail::PutU16(out, cursor ? static_cast<std::uint16_t>(icon.HotSpot.x) : 1);
    detail::PutU16(out, cursor ? static_cast<std::uint16_t>(icon.HotSpot.y)
                               : (icon.Encoding == TIconEncoding::iePng ? 32 : icon.BitDepth));
    detail::PutU32(out, static_cast<std::uint32_t>(encoded[i].size()));
    detail::PutU32(out, static_cast<std::uint32_t>(offset));
    offset += encoded[i].size();
  }
  if (offset > 0xFFFFFFFFu) throw EInvalidGraphic("Cannot write ICO: the images are too large for one file");
  for (const auto& bytes : encoded) out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

void WriteIco(TStream& stream, const IconFile& file) {
  std::vector<std::uint8_t> bytes = WriteIco(file);
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void WriteIcoFile(const std::string& fileName, const IconFile& file) {
  detail::WriteWholeFile(fileName, WriteIco(file));
}

}  // namespace vx::plat::imaging
