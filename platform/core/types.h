// Small value types of the platform: points, rectangles and sizes in 32-bit
// integers, laid out as the platform's drawing calls and files expect.
#pragma once

#include <cstdint>

namespace vx::plat {

struct TPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const TPoint&) const = default;
};

// Left/Top/Right/Bottom follow the device: Right and Bottom are exclusive when
// a rectangle names pixels (a 10x10 square at the origin is (0, 0, 10, 10)).
struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
  std::int32_t Width() const { return Right - Left; }
  std::int32_t Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool operator==(const TRect&) const = default;
};

struct TSize {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
  bool operator==(const TSize&) const = default;
};

constexpr TPoint Point(std::int32_t x, std::int32_t y) { return TPoint{x, y}; }
constexpr TRect Rect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) { return TRect{l, t, r, b}; }

}  // namespace vx::plat
