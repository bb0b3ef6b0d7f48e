// Helpers of the device-context tests: a raster DC that frees itself, pixel
// reads, and pictures of pixel masks as text so that expected coverage reads
// like the drawing it describes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace vx::plat::testing {

// A white raster DC of the given size, deleted at scope end.
class RasterDC {
public:
  RasterDC(int width, int height) : FDC(CreateRasterDC(width, height)), FWidth(width), FHeight(height) {}
  ~RasterDC() { DeleteDC(FDC); }
  RasterDC(const RasterDC&) = delete;
  RasterDC& operator=(const RasterDC&) = delete;
  operator HDC() const { return FDC; }
  HDC Handle() const { return FDC; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

  // The pixel at device (x, y) as 0x00RRGGBB.
  std::uint32_t Pixel(int x, int y) const {
    int w = 0, h = 0, stride = 0;
    const std::uint32_t* p = RasterPixels(FDC, &w, &h, &stride);
    return p[static_cast<std::ptrdiff_t>(y) * stride + x];
  }
  // All pixels, row by row.
  std::vector<std::uint32_t> Snapshot() const {
    std::vector<std::uint32_t> out;
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x) out.push_back(Pixel(x, y));
    return out;
  }
  // Rows of the device rectangle, '#' where the pixel is not white, '.' where it is.
  std::string Mask(int left, int top, int right, int bottom) const { return MaskOf(left, top, right, bottom, 0xFFFFFF); }
  // Rows of the rectangle, '#' where the pixel equals `color` (0x00RRGGBB), '.' elsewhere.
  std::string MaskOfColor(int left, int top, int right, int bottom, std::uint32_t color) const {
    std::string s;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) s += Pixel(x, y) == color ? '#' : '.';
      s += '\n';
    }
    return s;
  }
  // Number of pixels that are not white.
  int InkCount() const {
    int n = 0;
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x) n += Pixel(x, y) != 0xFFFFFF;
    return n;
  }
  // Smallest rectangle around the pixels that are not white (empty if none).
  RECT InkBounds() const {
    RECT r{FWidth, FHeight, 0, 0};
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x)
        if (Pixel(x, y) != 0xFFFFFF) {
          r.Left = std::min(r.Left, x);
          r.Top = std::min(r.Top, y);
          r.Right = std::max(r.Right, x + 1);
          r.Bottom = std::max(r.Bottom, y + 1);
        }
    if (r.Right <= r.Left) return RECT{};
    return r;
  }

private:
  std::string MaskOf(int left, int top, int right, int bottom, std::uint32_t background) const {
    std::string s;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) s += Pixel(x, y) != background ? '#' : '.';
      s += '\n';
    }
    return s;
  }

  HDC FDC;
  int FWidth;
  int FHeight;
};

// Joins picture rows into the text Mask() returns.
inline std::string Rows(std::initializer_list<const char*> rows) {
  std::string s;
  for (const char* r : rows) {
    s += r;
    s += '\n';
  }
  return s;
}

// Selects an object for the scope and deletes it afterwards.
class Selected {
public:
  Selected(HDC dc, HGDIOBJ object) : FDC(dc), FObject(object), FOld(SelectObject(dc, object)) {}
  ~Selected() {
    SelectObject(FDC, FOld);
    DeleteObject(FObject);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

private:
  HDC FDC;
  HGDIOBJ FObject;
  HGDIOBJ FOld;
};

}  // namespace vx::plat::testing
