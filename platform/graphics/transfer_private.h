// Pixel transfers shared by the graphics of this folder: 32-bit pixel rows
// (0x00RRGGBB) stretched onto a device context, plainly or through a mask.
#pragma once

#include <cstdint>
#include <span>

#include "platform/gdi/gdi.h"

namespace vx::plat::graphics_detail {

constexpr std::uint32_t kWhitePixel = 0x00FFFFFF;

// Sets the stretch mode that drops or repeats whole pixels (the same ones for
// every transfer of one picture, so a mask and its image stay aligned) and
// puts the previous mode back when it goes.
class TStretchModeGuard {
public:
  explicit TStretchModeGuard(HDC dc) : FDC(dc), FOld(SetStretchBltMode(dc, COLORONCOLOR)) {}
  ~TStretchModeGuard() {
    if (FOld) SetStretchBltMode(FDC, FOld);
  }
  TStretchModeGuard(const TStretchModeGuard&) = delete;
  TStretchModeGuard& operator=(const TStretchModeGuard&) = delete;

private:
  HDC FDC;
  int FOld;
};

// Stretches width x height pixels (rows of `stride` pixels, top row first)
// into r (logical units of dc) with `rop`.
void StretchPixels(HDC dc, const TRect& r, const std::uint32_t* pixels, int stride, int width, int height,
                   DWORD rop);

// The transparent transfer: destination := (destination AND mask) OR image,
// where mask is white and image black wherever the destination must stay.
void StretchMasked(HDC dc, const TRect& r, std::span<const std::uint32_t> mask,
                   std::span<const std::uint32_t> image, int width, int height);

}  // namespace vx::plat::graphics_detail
