// Horizontal pixel runs: the common currency between shape rasterisation,
// regions and the raster device. All coordinates are device pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace vx::plat::gdi {

// Pixels x0 <= x < x1 of row y.
struct Span {
  std::int32_t y;
  std::int32_t x0;
  std::int32_t x1;
  bool operator==(const Span&) const = default;
};

// Sorted by y, then x0; spans of one row never overlap or touch.
using SpanList = std::vector<Span>;

struct DevPoint {
  std::int32_t x;
  std::int32_t y;
  bool operator==(const DevPoint&) const = default;
};

// A device rectangle; Right and Bottom are exclusive where a Part says so.
struct DevRect {
  std::int32_t Left;
  std::int32_t Top;
  std::int32_t Right;
  std::int32_t Bottom;
  bool operator==(const DevRect&) const = default;
};

}  // namespace vx::plat::gdi
