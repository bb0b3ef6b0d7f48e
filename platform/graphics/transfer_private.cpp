#include "platform/graphics/transfer_private.h"

namespace vx::plat::graphics_detail {

namespace {

BITMAPINFO TopDownInfo32(int stride, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biWidth = stride;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = DWORD(std::int64_t(stride) * height * 4);
  return info;
}

}  // namespace

void StretchPixels(HDC dc, const TRect& r, const std::uint32_t* pixels, int stride, int width, int height,
                   DWORD rop) {
  const BITMAPINFO info = TopDownInfo32(stride, height);
  const std::int64_t w = std::int64_t(r.Right) - r.Left, h = std::int64_t(r.Bottom) - r.Top;
  // Extents beyond Int32 cannot be drawn by the device layer; nothing sensible shows anyway.
  if (w < INT32_MIN || w > INT32_MAX || h < INT32_MIN || h > INT32_MAX) return;
  StretchDIBits(dc, r.Left, r.Top, int(w), int(h), 0, 0, width, height, pixels,
                std::size_t(stride) * std::size_t(height) * 4, &info, DIB_RGB_COLORS, rop);
}

void StretchMasked(HDC dc, const TRect& r, std::span<const std::uint32_t> mask,
                   std::span<const std::uint32_t> image, int width, int height) {
  StretchPixels(dc, r, mask.data(), width, width, height, SRCAND);
  StretchPixels(dc, r, image.data(), width, width, height, SRCPAINT);
}

}  // namespace vx::plat::graphics_detail
