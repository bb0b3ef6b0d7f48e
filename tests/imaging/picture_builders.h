// Test helpers: pictures with known pixels, and byte-level builders of BMP and
// PNG files written field by field (independent of the codecs under test).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/imaging/image.h"

namespace vx::plat::imaging::testing {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void PutBE32(Bytes& b, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A picture whose pixels cycle through `colours` (x + 3y), so rows differ.
inline Image PatternImage(std::int32_t w, std::int32_t h, const std::vector<std::uint32_t>& colours) {
  Image image(w, h);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      image.SetPixel(x, y, colours[static_cast<std::size_t>(x + 3 * y) % colours.size()] | 0xFF000000u);
  return image;
}

// `count` distinct opaque colours, spread over the cube.
inline std::vector<std::uint32_t> DistinctColours(std::size_t count) {
  std::vector<std::uint32_t> colours;
  for (std::size_t i = 0; i < count; ++i)
    colours.push_back(MakePixel(static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(255 - i),
                                static_cast<std::uint8_t>(i * 7 + 3)) &
                      0x00FFFFFFu);
  return colours;
}

// A picture with every channel varying (alpha too when asked).
inline Image GradientImage(std::int32_t w, std::int32_t h, TAlphaMode alpha) {
  Image image(w, h);
  image.Alpha = alpha;
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x) {
      auto a = static_cast<std::uint8_t>(alpha == TAlphaMode::amStraight ? (x * 37 + y * 11 + 1) & 0xFF : 255);
      image.SetPixel(x, y,
                     MakePixel(static_cast<std::uint8_t>(x * 9 + y), static_cast<std::uint8_t>(y * 13),
                               static_cast<std::uint8_t>(x ^ (y * 5)), a));
    }
  return image;
}

// The fields of a bitmap file written as given (no validation), for crafting
// files the writer would never produce.
struct BmpFields {
  std::uint32_t headerSize = 40;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint32_t sizeImage = 0;
  std::uint32_t colorsUsed = 0;
  std::vector<std::uint32_t> palette{};  // 0x00RRGGBB (3 bytes each for a 12-byte header)
  std::vector<std::uint32_t> masks{};    // written after a 40-byte header, inside larger ones
  Bytes bits{};                          // pixel data exactly as stored
  std::int64_t offBits = -1;             // -1: right after the colour table
  std::int64_t fileSize = -1;            // -1: the real size
  bool fileHeader = true;                // false: a packed DIB
};

inline Bytes BuildBmp(const BmpFields& f) {
  Bytes info;
  if (f.headerSize == 12) {
    Put32(info, 12);
    Put16(info, static_cast<std::uint32_t>(f.width));
    Put16(info, static_cast<std::uint32_t>(f.height));
    Put16(info, 1);
    Put16(info, f.bitCount);
  } else {
    Put32(info, f.headerSize);
    Put32(info, static_cast<std::uint32_t>(f.width));
    Put32(info, static_cast<std::uint32_t>(f.height));
    Put16(info, 1);
    Put16(info, f.bitCount);
    Put32(info, f.compression);
    Put32(info, f.sizeImage);
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, f.colorsUsed);
    Put32(info, 0);
    if (f.headerSize > 40) {
      for (std::size_t i = 0; i < 4 && 40 + 4 * (i + 1) <= f.headerSize; ++i)
        Put32(info, i < f.masks.size() ? f.masks[i] : 0);
      while (info.size() < f.headerSize) info.push_back(0);
    } else {
      for (std::uint32_t m : f.masks) Put32(info, m);
    }
  }
  for (std::uint32_t c : f.palette) {
    info.push_back(static_cast<std::uint8_t>(c));
    info.push_back(static_cast<std::uint8_t>(c >> 8));
    info.push_back(static_cast<std::uint8_t>(c >> 16));
    if (f.headerSize != 12) info.push_back(0);
  }
  Bytes out;
  if (f.fileHeader) {
    std::uint32_t offBits =
        f.offBits >= 0 ? static_cast<std::uint32_t>(f.offBits) : 14u + static_cast<std::uint32_t>(info.size());
    std::uint32_t size = f.fileSize >= 0 ? static_cast<std::uint32_t>(f.fileSize)
                                         : 14u + static_cast<std::uint32_t>(info.size() + f.bits.size());
    out = {'B', 'M'};
    Put32(out, size);
    Put32(out, 0);
    Put32(out, offBits);
  }
  out.insert(out.end(), info.begin(), info.end());
  out.insert(out.end(), f.bits.begin(), f.bits.end());
  return out;
}

// --- PNG, written with stored (uncompressed) deflate blocks -------------------

inline std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline void PutChunk(Bytes& out, const char type[4], const Bytes& data) {
  PutBE32(out, static_cast<std::uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  PutBE32(out, Crc32(body.data(), body.size()));
}

inline Bytes ZlibStored(const Bytes& raw) {
  Bytes z = {0x78, 0x01};
  std::size_t pos = 0;
  do {
    std::size_t n = std::min<std::size_t>(raw.size() - pos, 65535);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    Put16(z, static_cast<std::uint32_t>(n));
    Put16(z, static_cast<std::uint32_t>(~n & 0xFFFF));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
             raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < raw.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  PutBE32(z, (b << 16) | a);
  return z;
}

// A PNG whose samples come from sample(x, y, channel) (values in the file's bit
// depth); interlaced files are written in the seven passes.
struct PngFields {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t bitDepth = 8;
  std::uint8_t colorType = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
  bool interlaced = false;
  std::vector<std::array<std::uint8_t, 3>> palette{};
  Bytes transparency{};  // tRNS chunk data as stored
};

template <class Sample>
Bytes BuildPng(const PngFields& f, Sample sample) {
  int channels = f.colorType == 0 || f.colorType == 3 ? 1 : f.colorType == 4 ? 2 : f.colorType == 2 ? 3 : 4;
  auto rowsOf = [&](std::uint32_t x0, std::uint32_t y0, std::uint32_t dx, std::uint32_t dy, Bytes& raw) {
    for (std::uint32_t y = y0; y < f.height; y += dy) {
      raw.push_back(0);  // filter: none
      std::uint32_t acc = 0;
      int bits = 0;
      for (std::uint32_t x = x0; x < f.width; x += dx)
        for (int c = 0; c < channels; ++c) {
          std::uint32_t v = sample(x, y, c);
          if (f.bitDepth == 16) {
            raw.push_back(static_cast<std::uint8_t>(v >> 8));
            raw.push_back(static_cast<std::uint8_t>(v));
          } else {
            acc = (acc << f.bitDepth) | v;
            bits += f.bitDepth;
            if (bits == 8) {
              raw.push_back(static_cast<std::uint8_t>(acc));
              acc = 0;
              bits = 0;
            }
          }
        }
      if (bits > 0) raw.push_back(static_cast<std::uint8_t>(acc << (8 - bits)));
    }
  };
  Bytes raw;
  if (!f.interlaced) {
    rowsOf(0, 0, 1, 1, raw);
  } else {
    const std::uint32_t passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                        {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto& p : passes)
      if (p[0] < f.width && p[1] < f.height) rowsOf(p[0], p[1], p[2], p[3], raw);
  }
  Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes ihdr;
  PutBE32(ihdr, f.width);
  PutBE32(ihdr, f.height);
  ihdr.insert(ihdr.end(), {f.bitDepth, f.colorType, 0, 0, static_cast<std::uint8_t>(f.interlaced ? 1 : 0)});
  PutChunk(out, "IHDR", ihdr);
  if (!f.palette.empty()) {
    Bytes plte;
    for (const auto& c : f.palette) plte.insert(plte.end(), c.begin(), c.end());
    PutChunk(out, "PLTE", plte);
  }
  if (!f.transparency.empty()) PutChunk(out, "tRNS", f.transparency);
  PutChunk(out, "IDAT", ZlibStored(raw));
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace vx::plat::imaging::testing
